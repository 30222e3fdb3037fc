// Showing files and links to the user in the desktop's programs for them
// (the help page, the web and mail links, the pages and lists an export has
// written), and what the user is told when no program takes one.
#pragma once

#include <functional>
#include <string>
#include <vector>

// The opener's answer for one target: true when a program took it.
using TOpenAnswer = std::function<void(bool Opened)>;
// Starts opening Target in the desktop's program for it: a web or "mailto:"
// address, or (IsFile) the absolute path of a file. It answers exactly once,
// at once or later, through Answer.
using TDesktopOpener =
    std::function<void(const std::string& Target, bool IsFile, TOpenAnswer Answer)>;

// A web ("http:", "https:") or mail ("mailto:") address, not a file.
bool IsLinkAddress(const std::string& Target);

// Opens every target through Open. A file that is not there is not opened:
// it is named at once (MsgCantOpenFile). Once every target opened has
// answered, those that no program took are named in one message, each file
// with its whole path, so that the user can open it by hand; nothing is said
// when a program took each. A file is opened by its absolute path.
void OpenForUser(const TDesktopOpener& Open, const std::vector<std::string>& Targets);
