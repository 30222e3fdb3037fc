// Start-up of the main window without widgets: the default files of the
// start-up folder, the last-used lists, the command-line switches, and the
// batch job of "-auto:yes".
#pragma once

#include <string>

#include "app/core/command_line.h"
#include "app/core/main_window.h"

// Loads the material types, options, edge types, captions and the lists
// (those last used as the option file names them, else the default files of
// AppDir), then applies the command-line switches. Missing files leave their
// data at its defaults.
void LoadStartupFiles(TMainWindowCore& Window);
void ApplyCommandLine(TMainWindowCore& Window, const TCommandLine& CommandLine);

// The work of "-auto:yes" after the switches: the optimisation (on the
// calling thread), then the report files of "-report:" and the stock update
// of "-update:yes", "-ex_sheet:" and "-ex_part:". True when a plan was made
// and every file asked for was written.
bool RunAutoJob(TMainWindowCore& Window, const TCommandLine& CommandLine);
// The part of RunAutoJob after the run: the report files and the stock
// update. The window calls it when its run on the worker thread has ended.
bool FinishAutoJob(TMainWindowCore& Window, const TCommandLine& CommandLine);

// The whole batch start: LoadStartupFiles, ApplyCommandLine and, when
// "-auto:" is "yes", RunAutoJob. Returns the process exit status.
int RunBatch(TMainWindowCore& Window, const TCommandLine& CommandLine);
