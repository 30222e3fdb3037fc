#include "app/core/exit_save.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "app/core/list_files.h"
#include "app/core/main_window.h"
#include "platform/inifile.h"
#include "support/scratch.h"

using namespace testsupport;

namespace {

void FillSheet(TMainData& d) { d.StringGridSheets.SetRow(1, {"S", "MDF", "100", "50", "2", "", "", ""}); }

}  // namespace

TEST(ExitSave, WritesOnlyListFilesOfTheirOwnKind) {
    ScratchDir dir;
    AppDirScope app(dir.Path());
    TMainWindowCore w;
    FillSheet(w.Data);
    w.Data.StringGridParts.SetRow(1, {"P", "MDF", "10", "10", "R", "1", "1", "R", "", ""});
    w.Data.EditSheetsFileName = dir.File("job.SHT");
    w.Data.EditPartsFileName = dir.File("parts.txt");  // imported as text
    WriteText(w.Data.EditPartsFileName, "P\tMDF\t10\t10\n");
    StoreExitSaveChoice({true, true, false, false, false});

    const TExitSaveResult r = SaveOnExit(w);
    for (const char* f : {"default.typ", "default.edg", "default.opt"})
        EXPECT_TRUE(std::filesystem::exists(dir.File(f))) << f;
    EXPECT_EQ(platform::TIniFile(dir.File("job.SHT")).ReadString("SHEET1", "LABEL", ""), "S");
    EXPECT_EQ(ReadText(dir.File("parts.txt")), "P\tMDF\t10\t10\n");
    ASSERT_EQ(r.Problems.size(), 1u);
    EXPECT_NE(r.Problems[0].find("parts.txt"), std::string::npos);
    // The option file remembers only the list of its own kind (relative to
    // its folder, where the list lies).
    platform::TIniFile opt(dir.File("default.opt"));
    EXPECT_EQ(opt.ReadString("OPTION", "SHEETS_FILE", ""), "job.SHT");
    EXPECT_EQ(opt.ReadString("OPTION", "PARTS_FILE", "x"), "");
}

TEST(ExitSave, UntickedGridsAndShortRacksAreNotWrittenAndFailuresAreReported) {
    ScratchDir dir;
    AppDirScope app(dir.Path());
    TMainWindowCore w;
    FillSheet(w.Data);
    w.Data.EditSheetsFileName = dir.File("job.sht");
    w.Data.EditOffcutsFileName = dir.File("rack.rck");
    w.Data.StringGridOffcutRack.SetRowCount(2);
    StoreExitSaveChoice({false, false, true, false, false});
    TExitSaveResult r = SaveOnExit(w);
    EXPECT_FALSE(std::filesystem::exists(dir.File("job.sht")));
    EXPECT_FALSE(std::filesystem::exists(dir.File("rack.rck")));
    ASSERT_EQ(r.Problems.size(), 1u);
    EXPECT_NE(r.Problems[0].find("rack.rck"), std::string::npos);

    StoreExitSaveChoice({true, false, false, false, false});
    {
        WriteBlocker block(dir.File("job.sht"));
        r = SaveOnExit(w);
    }
    EXPECT_FALSE(std::filesystem::exists(dir.File("job.sht")));
    EXPECT_GE(r.Problems.size(), 2u);  // the list and the start-up files
}
