// The interactive start: the Qt application, the main window on the core's
// data and the message loop.
#pragma once

class TCommandLine;
class TMainWindowCore;

// Shows the window over Window (start-up files already loaded by the caller
// or loaded here) and runs until it closes. Returns the process exit status.
int RunWindow(int argc, char** argv, TMainWindowCore& Window, const TCommandLine& CommandLine);
