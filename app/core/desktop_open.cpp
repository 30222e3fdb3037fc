#include "app/core/desktop_open.h"

#include <filesystem>
#include <memory>

#include "app/core/print_commands.h"
#include "engine/pubstr.h"
#include "platform/message_sink.h"

bool IsLinkAddress(const std::string& Target) {
    return Target.starts_with("http:") || Target.starts_with("https:") ||
           Target.starts_with("mailto:");
}

namespace {

struct TOpened {
    std::string Target;
    bool IsFile = false;
    bool Answered = false;
    bool Opened = false;
};

// The targets of one OpenForUser call while their answers come in. Waiting
// counts the answers still to come, and one more while targets are still
// being handed to the opener, so that answers given at once do not end the
// wait early.
struct TOpening {
    std::vector<TOpened> Targets;
    int Waiting = 1;

    void Answer(std::size_t Index, bool Opened) {
        TOpened& t = Targets[Index];
        if (t.Answered) return;  // an opener that answers twice is heard once
        t.Answered = true;
        t.Opened = Opened;
        Done();
    }
    void Done() {
        if (--Waiting > 0) return;
        std::vector<const TOpened*> failed;
        for (const TOpened& t : Targets)
            if (t.Answered && !t.Opened) failed.push_back(&t);
        if (failed.empty()) return;
        if (failed.size() == 1) {
            platform::CurrentMessageSink().Warning(
                NoProgramOpenedMessage(failed[0]->Target, failed[0]->IsFile));
            return;
        }
        bool files = true;
        for (const TOpened* t : failed) files = files && t->IsFile;
        std::string text = files ? "No program could open the files. Open them by hand:"
                                 : "No program could open these:";
        for (const TOpened* t : failed) text += "\n" + t->Target;
        platform::CurrentMessageSink().Warning(text);
    }
};

}  // namespace

void OpenForUser(const TDesktopOpener& Open, const std::vector<std::string>& Targets) {
    auto opening = std::make_shared<TOpening>();
    for (const std::string& target : Targets) {
        TOpened t;
        t.Target = target;
        t.IsFile = !IsLinkAddress(target);
        if (t.IsFile) {
            std::error_code ec;
            if (!std::filesystem::exists(target, ec)) {
                platform::CurrentMessageSink().Warning(MsgCantOpenFile + "[" + target + "]");
                continue;
            }
            const std::filesystem::path whole = std::filesystem::absolute(target, ec);
            if (!ec) t.Target = whole.lexically_normal().string();
        }
        opening->Targets.push_back(std::move(t));
    }
    if (!Open) return;
    opening->Waiting += static_cast<int>(opening->Targets.size());
    for (std::size_t i = 0; i < opening->Targets.size(); ++i) {
        const TOpened& t = opening->Targets[i];
        Open(t.Target, t.IsFile, [opening, i](bool Opened) { opening->Answer(i, Opened); });
    }
    opening->Done();
}
