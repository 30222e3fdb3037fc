// The about box without its widgets: its texts and what its two links open.
// Both links go through the opener of the help links, which names the page
// to open by hand when no program opens it.
#pragma once

#include <functional>
#include <string>

#include "app/core/print_commands.h"

// Opens Target (a web page, a "mailto:" link or a file) in the program the
// desktop has for it.
using TShellOpener = std::function<void(const std::string& Target)>;

class TAboutBox {
  public:
    // ProgramFolder: where the program's own help page lies (see LinkedPage),
    // so that the box shows the page its link really opens.
    explicit TAboutBox(const TProgramAddresses& Addresses = ProgramAddresses(),
                       const std::string& ProgramFolder = "");

    std::string Caption = "About";
    std::string ProductName;
    std::string Version;
    std::string Text;      // the line under the version
    std::string Comments;  // the web address, shown as a link: what its click opens
    std::string Label1 = "Tech Support";
    std::string OKButton = "OK";

    // "Tech Support": the support mail link.
    void NeedHelpClick(const TShellOpener& Open) const;
    // Comments: its own caption.
    void CommentsClick(const TShellOpener& Open) const;

  private:
    std::string supportTarget_;
};
