#include "app/core/about_box.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "engine/pubstr.h"
#include "support/scratch.h"

// The about box's two links open, through the opener, the support mail link
// and the address Comments shows; with no address set, the help page.
TEST(AboutBox, LinksOpenTheAddressesKeptForTheProgramOrTheHelpPage) {
    AppDir = "/start";
    const std::string help = "/start/help/tessaly_help.html";
    struct Case {
        TProgramAddresses Addresses;
        const char* Comments;  // shown, and opened by its click
        const char* Support;   // opened by "Tech Support"
    } cases[] = {
        {{}, help.c_str(), help.c_str()},
        {{"https://tessaly.example", ""}, "https://tessaly.example/", help.c_str()},
        {{"", "help@tessaly.example"}, help.c_str(), "mailto:help@tessaly.example"},
        {{"https://t.example", "a@t.example"}, "https://t.example/", "mailto:a@t.example"},
    };
    for (const Case& c : cases) {
        const TAboutBox box(c.Addresses);
        std::vector<std::string> opened;
        const TShellOpener record = [&](const std::string& Target) { opened.push_back(Target); };
        box.CommentsClick(record);
        box.NeedHelpClick(record);
        EXPECT_EQ(box.Comments, c.Comments);
        EXPECT_EQ(opened, (std::vector<std::string>{c.Comments, c.Support})) << c.Comments;
    }
    // The program's own: none published yet, so both links lead to the help page.
    const TAboutBox shipped;
    EXPECT_EQ(shipped.Comments, help);
    // A start-up folder without a help page: the one beside the program,
    // shown as it is opened.
    testsupport::ScratchDir program;
    std::filesystem::create_directories(program.File("help"));
    testsupport::WriteText(program.File("help/tessaly_help.html"), "<html></html>");
    const TAboutBox beside(ProgramAddresses(), program.Path());
    std::vector<std::string> opened;
    beside.CommentsClick([&](const std::string& Target) { opened.push_back(Target); });
    EXPECT_EQ(beside.Comments, program.File("help/tessaly_help.html"));
    EXPECT_EQ(opened, std::vector<std::string>{beside.Comments});
    EXPECT_EQ(shipped.Label1, "Tech Support");
    EXPECT_EQ(shipped.ProductName, ProductName);
}
