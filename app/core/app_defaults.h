// Restores every program-wide variable of the engine, the outputs and the
// main window's data modules to its start-up value.
#pragma once

void ResetAppDefaults();
