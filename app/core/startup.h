// Start-up of the main window without widgets: the default files of the
// start-up folder, the last-used lists, the command-line switches, and the
// batch job of "-auto:yes".
#pragma once

#include <string>

#include "app/core/command_line.h"
#include "app/core/main_window.h"

// Loads the material types, options, edge types, captions and the lists
// (those last used as the option file names them, else the default files of
// AppDir). Missing files leave their data at its defaults. A file that is
// there but cannot be read (a folder, a pipe, no permission) is reported and
// not read; the result is then false.
bool LoadStartupFiles(TMainWindowCore& Window);

// Applies the command-line switches. A file named by "-sheet:", "-part:",
// "-sht:", "-prt:" or "-option:" must be there and readable: otherwise it is
// reported, the grid it was to fill is left empty (the options stay as they
// were) and the result is false.
bool ApplyCommandLine(TMainWindowCore& Window, const TCommandLine& CommandLine);

// The work of "-auto:yes" after the switches: the optimisation (on the
// calling thread), then the report files of "-report:" and the stock update
// of "-update:yes", "-ex_sheet:" and "-ex_part:". In batch mode ("-hide:yes",
// which has no exit that saves the lists) an update that succeeds saves the
// racks it changed to the files they were loaded from and notes each file on
// the message sink. True when a plan was made and every file asked for was
// written.
bool RunAutoJob(TMainWindowCore& Window, const TCommandLine& CommandLine);
// The part of RunAutoJob after the run: the report files and the stock
// update. The window calls it when its run on the worker thread has ended.
bool FinishAutoJob(TMainWindowCore& Window, const TCommandLine& CommandLine);

// The whole batch start: LoadStartupFiles, ApplyCommandLine and, when
// "-auto:" is "yes", RunAutoJob. A file that could not be read ends the job
// before any plan is made. Returns the process exit status: 0 when all went
// well, 1 when the job failed, 2 after an unexpected error.
int RunBatch(TMainWindowCore& Window, const TCommandLine& CommandLine);
