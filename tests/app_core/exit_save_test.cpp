#include "app/core/exit_save.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

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

namespace {

// Files may not grow beyond 0 bytes while it lives: a write fails as on a
// full disk, for root as for anyone.
class NoRoomForFiles {
  public:
    NoRoomForFiles() {
        ::getrlimit(RLIMIT_FSIZE, &limit_);
        oldSignal_ = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit none = limit_;
        none.rlim_cur = 0;
        ::setrlimit(RLIMIT_FSIZE, &none);
    }
    ~NoRoomForFiles() {
        ::setrlimit(RLIMIT_FSIZE, &limit_);
        std::signal(SIGXFSZ, oldSignal_);
    }
    NoRoomForFiles(const NoRoomForFiles&) = delete;
    NoRoomForFiles& operator=(const NoRoomForFiles&) = delete;

  private:
    struct rlimit limit_ {};
    void (*oldSignal_)(int) = SIG_DFL;
};

}  // namespace

TEST(ExitSave, RetryIsTheDefaultOnlyWhenWritingAgainMayWork) {
    namespace fs = std::filesystem;
    ScratchDir dir;
    AppDirScope app(dir.Path());
    TMainWindowCore w;
    FillSheet(w.Data);
    StoreExitSaveChoice({true, false, false, false, false});
    fs::create_directory(dir.File("folder.sht"));
    const std::string locked = dir.File("locked.sht");
    WriteText(locked, "[SHEET1]\r\nLABEL=old\r\n");
    // No write bit at all: refused for root as well.
    fs::permissions(locked, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);

    // Lists that fail again whatever is retried.
    for (const std::string& file : {locked, dir.File("missing/job.sht"), dir.File("folder.sht")}) {
        SCOPED_TRACE(file);
        w.Data.EditSheetsFileName = file;
        const TExitSaveResult r = SaveOnExit(w);
        ASSERT_EQ(r.Failed, std::vector<std::string>{file});
        EXPECT_FALSE(ExitRetryMayHelp(r));
    }
    EXPECT_EQ(ReadText(locked), "[SHEET1]\r\nLABEL=old\r\n");

    // No room: Retry may work once room is made, and does.
    w.Data.EditSheetsFileName = dir.File("job.sht");
    TExitSaveResult r;
    {
        NoRoomForFiles full;
        r = SaveOnExit(w);
    }
    ASSERT_FALSE(r.Failed.empty());
    EXPECT_TRUE(ExitRetryMayHelp(r));
    EXPECT_TRUE(SaveOnExit(w).Failed.empty());

    // One lasting failure among passing ones: no Retry by default.
    r.Failed.push_back(locked);
    EXPECT_FALSE(ExitRetryMayHelp(r));
    EXPECT_FALSE(ExitRetryMayHelp(TExitSaveResult{}));
    fs::permissions(locked, fs::perms::owner_all);
}
