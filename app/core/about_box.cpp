#include "app/core/about_box.h"

#include "engine/pubstr.h"

TAboutBox::TAboutBox(const TProgramAddresses& Addresses, const std::string& ProgramFolder)
    : ProductName(::ProductName),
      Version(VersionCaption + " " + VersionNumber),
      Text("Plans how parts are cut from stock sheets and kept offcuts."),
      Comments(LinkedPage(HomepageTarget(Addresses), ProgramFolder)),
      supportTarget_(LinkedPage(SupportMailTarget(Addresses), ProgramFolder)) {}

void TAboutBox::NeedHelpClick(const TShellOpener& Open) const {
    if (Open) Open(supportTarget_);
}

void TAboutBox::CommentsClick(const TShellOpener& Open) const {
    if (Open) Open(Comments);
}
