#include "app/core/about_box.h"

#include "engine/pubstr.h"

TAboutBox::TAboutBox(const TProgramAddresses& Addresses)
    : ProductName(::ProductName),
      Version(VersionCaption + " " + VersionNumber),
      Text("Plans how parts are cut from stock sheets and kept offcuts."),
      Comments(HomepageTarget(Addresses)),
      supportTarget_(SupportMailTarget(Addresses)) {}

void TAboutBox::NeedHelpClick(const TShellOpener& Open) const {
    if (Open) Open(supportTarget_);
}

void TAboutBox::CommentsClick(const TShellOpener& Open) const {
    if (Open) Open(Comments);
}
