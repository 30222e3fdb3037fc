#include "platform/message_sink.h"

#include <iostream>

namespace platform {

namespace {
MessageSink* g_sink = nullptr;
}

void StderrMessageSink::Warning(const std::string& text) { std::cerr << text << '\n'; }

bool StderrMessageSink::Confirm(const std::string& text, bool defaultAnswer) {
    std::cerr << text << (defaultAnswer ? " [yes]" : " [no]") << '\n';
    return defaultAnswer;
}

void StderrMessageSink::Note(const std::string& text) { std::cerr << text << '\n'; }

MessageSink& CurrentMessageSink() {
    static StderrMessageSink fallback;
    return g_sink ? *g_sink : fallback;
}

void SetMessageSink(MessageSink* sink) { g_sink = sink; }

}  // namespace platform
