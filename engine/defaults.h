// Restores every program-wide variable of the program to its start-up value.
// Tests call it before each test; every module with program-wide state adds
// its own reset to ResetProgramDefaults().
#pragma once

void ResetProgramDefaults();
