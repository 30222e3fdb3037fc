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
    EXPECT_EQ(shipped.Label1, "Tech Support");
    EXPECT_EQ(shipped.ProductName, ProductName);
}

// Which help page the box shows and opens: the start-up folder's when it is
// there (also when the program's folder has one too), else the one beside
// the program; with neither, the start-up folder's, so that the message of
// a failed open names where the page belongs.
TEST(AboutBox, LinkedPageFallsBackToTheProgramsFolder) {
    testsupport::ScratchDir start, program;
    testsupport::AppDirScope appDir(start.Path());
    const std::string atStart = start.File("help/tessaly_help.html");
    const std::string beside = program.File("help/tessaly_help.html");
    const struct {
        const char* What;
        bool InStart, Beside;
        std::string Shown;
    } cases[] = {
        {"no page anywhere", false, false, atStart},
        {"only beside the program", false, true, beside},
        {"only in the start-up folder", true, false, atStart},
        {"in both folders", true, true, atStart},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.What);
        for (const auto& [path, there] :
             {std::pair{atStart, c.InStart}, std::pair{beside, c.Beside}}) {
            std::filesystem::remove_all(std::filesystem::path(path).parent_path());
            if (!there) continue;
            std::filesystem::create_directories(std::filesystem::path(path).parent_path());
            testsupport::WriteText(path, "<html></html>");
        }
        const TAboutBox box(ProgramAddresses(), program.Path());
        std::vector<std::string> opened;
        const TShellOpener record = [&](const std::string& Target) { opened.push_back(Target); };
        box.CommentsClick(record);
        box.NeedHelpClick(record);
        EXPECT_EQ(box.Comments, c.Shown);
        EXPECT_EQ(opened, std::vector<std::string>(2, c.Shown));
    }
}
