#include "app/core/exit_save.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

#include "app/core/list_files.h"
#include "app/core/main_window.h"
#include "app/core/racks.h"
#include "app/core/startup.h"
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

// A job whose option file names a sheets list and an offcut rack kept in a
// folder of their own (a share several jobs use).
struct SharedListsJob {
    ScratchDir job, share;
    AppDirScope app{job.Path()};
    CaptureSink sink;
    std::string sheets = share.File("stock.sht"), rack = share.File("shop.rck");
    SharedListsJob() {
        WriteText(sheets, "[SHEET1]\r\nLABEL=PLY\r\nLENGTH=2440\r\nWIDTH=1220\r\nQTY=3\r\n");
        WriteText(rack, "[HEAD]\r\nNUMBER=2\r\n[SLOT0]\r\nLABEL=SHARED\r\n");
        WriteText(job.File("default.opt"), "[OPTION]\r\nSHEETS_FILE=" + sheets +
                                               "\r\nOFFCUTS_RACK_FILE=" + rack + "\r\n");
    }
    std::string entry(const char* key) const {
        return platform::TIniFile(job.File("default.opt")).ReadString("OPTION", key, "?");
    }
};

TEST(ExitSave, TheOptionFileKeepsNamingListsStartUpCouldNotRead) {
    namespace fs = std::filesystem;
    struct Cause {
        const char* Name;
        std::string (*Spoil)(SharedListsJob&);  // what is to be put back, if anything
        bool SheetsUnread;  // the sheets list is not read either (a missing one reads empty)
    } causes[] = {
        {"a stopped save not settled in the share",
         [](SharedListsJob& j) {
             const std::string record = j.share.File(".tessaly-commit~31999-1");
             WriteText(record, "TESSALY WRITE GROUP 2\nR\tshop.rck");
             return record;
         },
         true},
        {"the lists refused",
         [](SharedListsJob& j) {
             WriteText(j.sheets, "PLY\tMDF\t2440\t1220\r\n");  // a TAB text
             WriteText(j.rack, "[SLOT0]\r\nLABEL=x\r\n");  // no slot count
             return std::string();
         },
         true},
        {"the share not mounted",
         [](SharedListsJob& j) {
             fs::rename(j.share.Path(), j.share.Path() + ".away");
             return j.share.Path() + ".away";
         },
         false},
    };
    for (const Cause& c : causes) {
        SCOPED_TRACE(c.Name);
        SharedListsJob j;
        const std::string sheets = ReadText(j.sheets), rack = ReadText(j.rack);
        const std::string spoiled = c.Spoil(j);
        TMainWindowCore w;
        LoadStartupFiles(w);
        ASSERT_TRUE(w.Data.EditOffcutsFileName.empty());
        EXPECT_EQ(w.Data.EditSheetsFileName.empty(), c.SheetsUnread);
        // "Save Configure" and the exit save: both entries stay as they were.
        ButtonSaveOptionsClick(w);
        EXPECT_EQ(j.entry("OFFCUTS_RACK_FILE"), j.rack);
        EXPECT_EQ(j.entry("SHEETS_FILE"), j.sheets);
        SaveOnExit(w);
        EXPECT_EQ(j.entry("OFFCUTS_RACK_FILE"), j.rack);
        EXPECT_EQ(j.entry("SHEETS_FILE"), j.sheets);

        // Once the cause is gone, the next start reads the shared lists.
        if (fs::is_directory(spoiled)) {
            fs::remove_all(j.share.Path());
            fs::rename(spoiled, j.share.Path());
        } else if (!spoiled.empty()) {
            fs::remove(spoiled);
        }
        WriteText(j.sheets, sheets);
        WriteText(j.rack, rack);
        TMainWindowCore next;
        EXPECT_TRUE(LoadStartupFiles(next));
        EXPECT_EQ(next.Data.StringGridOffcutRack.Cell(OffcutRackCol::Label, 1), "SHARED");
        EXPECT_EQ(next.Data.StringGridSheets.Cell(SheetCol::Label, 1), "PLY");

        // A list the user saves elsewhere is the one named from then on; the
        // unread one is forgotten, also when the list later loses its file
        // (as to an import that replaces it).
        WriteOffcutRackToFile(w.Data, j.job.File("own.rck"), 10, true);
        SaveSheetsFile(w.Data, j.job.File("own.sht"), true);
        ButtonSaveOptionsClick(w);
        EXPECT_EQ(j.entry("OFFCUTS_RACK_FILE"), "own.rck");
        EXPECT_EQ(j.entry("SHEETS_FILE"), "own.sht");
        w.Data.EditSheetsFileName.clear();
        ButtonSaveOptionsClick(w);
        EXPECT_EQ(j.entry("SHEETS_FILE"), "");
    }
}
