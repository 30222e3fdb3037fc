// The interactive start: the Qt application, the main window on the core's
// data and the message loop.
#pragma once

#include <string>

#include "platform/message_sink.h"

class TCommandLine;
class TMainWindowCore;

// Shows the window over Window (start-up files already loaded by the caller
// or loaded here) and runs until it closes. Returns the process exit status:
// 1 when the job "-auto:yes" asked for failed (TAutoJob::Failed).
int RunWindow(int argc, char** argv, TMainWindowCore& Window, const TCommandLine& CommandLine);
// The same in a program whose Qt application already exists.
int RunMainWindow(TMainWindowCore& Window, const TCommandLine& CommandLine);

// The window's messages: warnings and questions as message boxes over the
// active window, each with the program's icon, also those of the start-up
// that come before the main window.
class TBoxMessageSink : public platform::MessageSink {
  public:
    void Warning(const std::string& Text) override;
    bool Confirm(const std::string& Text, bool DefaultAnswer) override;
};
