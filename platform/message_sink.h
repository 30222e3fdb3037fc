// Where the program's warning boxes go: the window shows a box, batch mode
// writes a line to standard error. Code that warns the user calls the
// current sink and never waits for a person itself.
#pragma once

#include <string>

namespace platform {

class MessageSink {
public:
    virtual ~MessageSink() = default;
    // A warning with a single confirming button.
    virtual void Warning(const std::string& Text) = 0;
    // A question answered yes (true) or no. Batch sinks answer DefaultAnswer.
    virtual bool Confirm(const std::string& Text, bool DefaultAnswer) = 0;
    // A note of something done that nobody has to confirm (batch mode writes
    // it to standard error); nothing by default.
    virtual void Note(const std::string& Text) { (void)Text; }
};

// Writes every message to standard error; answers every question with its default.
class StderrMessageSink : public MessageSink {
public:
    void Warning(const std::string& Text) override;
    bool Confirm(const std::string& Text, bool DefaultAnswer) override;
    void Note(const std::string& Text) override;
};

// The sink in use; a StderrMessageSink until the window installs its own.
MessageSink& CurrentMessageSink();
// Installs Sink (not owned; nullptr restores the standard error sink).
void SetMessageSink(MessageSink* Sink);

}  // namespace platform
