// The window's automatic job ("-auto:yes" without "-hide:yes") and what it
// books: the lock on its files from reading to the end of its update, its
// exports against lists changed by another program, the exit save of the
// update it made, and an update refused inside a job.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "app/core/app_defaults.h"
#include "app/core/exit_save.h"
#include "app/core/main_window.h"
#include "app/core/run_control.h"
#include "app/core/startup.h"
#include "engine/shared_state.h"
#include "platform/folder_lock.h"
#include "support/batch_job.h"
#include "support/sample_job.h"
#include "support/scratch.h"

namespace fs = std::filesystem;
using testsupport::ReadText;
using testsupport::WriteText;

namespace {

// True when another program could lock Folder now (the lock is an flock of
// its own open folder, which conflicts with this process's lock as another
// program's would).
bool OtherProgramCanLock(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    EXPECT_GE(fd, 0) << folder;
    const bool free = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    ::close(fd);
    return free;
}

struct LockWait {
    explicit LockWait(int ms) : old_(platform::FolderLockWaitMs.exchange(ms)) {}
    ~LockWait() { platform::FolderLockWaitMs = old_; }
    int old_;
};

// The sample job of the folder with the stock and the order as text lists.
struct WindowJob : testsupport::FromAppDefaults, testsupport::SampleJobFolder, ::testing::Test {
    WindowJob() {
        WriteText(at("stock.txt"),
                  "PLY-2440\tPlywood 18\t2440\t1220\t100\t54\t0\tbirch ply\r\n"
                  "MDF-2800\tMDF 16\t2800\t2070\t100\t38\t0\traw MDF\r\n");
        WriteText(at("order.txt"),
                  "SIDE\tPlywood 18\t720\t560\tR\t6\t6\tR\t\tcabinet side\r\n"
                  "SHELF\tMDF 16\t760\t300\tR\t5\t5\tR\t\tshelf\r\n");
    }
    // The sample job's switches, as the window is started with them.
    std::vector<std::string> SampleArgs() const {
        return {"-auto:yes",
                "-update:yes",
                "-sheet:" + at("stock.txt"),
                "-part:" + at("order.txt"),
                "-ex_sheet:" + at("stock.txt"),
                "-ex_part:" + at("parts_left.txt"),
                "-report:" + at("plan.txt")};
    }
    TCommandLine SampleCommandLine() const { return TCommandLine(SampleArgs()); }
    // A run as the window makes it, on this thread; true when it made a plan.
    bool WindowRun(bool cancel = false) {
        TRunSnapshot before;
        before.Take(w);
        if (StartRunOnGuiThread(w) && !cancel) w.RunAfterInput();
        return FinishRun(w, cancel, before);
    }
    bool Warned(const std::string& text) const {
        for (const std::string& s : sink.Warnings)
            if (s.find(text) != std::string::npos) return true;
        return false;
    }
    std::string Warnings() const {
        std::string all;
        for (const std::string& s : sink.Warnings) all += s + "\n";
        return all;
    }

    testsupport::CaptureSink sink;
    TMainWindowCore w;
};

}  // namespace

TEST_F(WindowJob, HoldsTheLockFromReadingItsFilesUntilItEndsHoweverItEnds) {
    testsupport::ScratchDir out;  // a folder named only by a switch is locked too
    const struct {
        const char* Name;
        const char* PartsFile;  // "-part:" in the job's folder
        bool Begins;
        bool RefuseRun;  // the pages refuse the run
        bool Cancel;     // the window closed during the run
        bool Exported;
    } cases[] = {
        {"plan made and booked", "order.txt", true, false, false, true},
        {"run refused by the pages", "order.txt", true, true, false, false},
        {"window closed during the run", "order.txt", true, false, true, false},
        {"a file of the job missing", "missing.txt", false, false, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        w = TMainWindowCore();
        fs::remove(out.File("parts_left.txt"));
        const TCommandLine cl({"-auto:yes", "-update:yes", "-sheet:" + at("stock.txt"),
                               "-part:" + at(c.PartsFile), "-ex_sheet:" + at("left.txt"),
                               "-ex_part:" + out.File("parts_left.txt")});
        TAutoJob job(w, cl);
        job.LoadFiles();
        EXPECT_EQ(AutoMode, c.Begins);
        ASSERT_EQ(job.Begin(), c.Begins);
        if (c.Begins) {
            EXPECT_TRUE(job.HoldsLock());
            EXPECT_FALSE(OtherProgramCanLock(dir.Path()));
            EXPECT_FALSE(OtherProgramCanLock(out.Path()));
            if (c.RefuseRun) {
                w.Data.StringGridSheets.SetRowCount(4);
                w.Data.StringGridSheets.SetRow(3, {"Label", "Type", "Length", "Width", "Qty", "",
                                                   "", ""});
            }
            EXPECT_EQ(WindowRun(c.Cancel), !c.RefuseRun && !c.Cancel);
            // Between the run's end and the job's end the lock stays.
            EXPECT_FALSE(OtherProgramCanLock(dir.Path()));
            EXPECT_EQ(job.RunEnded(c.Cancel), !c.Cancel);
        }
        EXPECT_FALSE(job.HoldsLock());
        EXPECT_TRUE(OtherProgramCanLock(dir.Path()));
        EXPECT_TRUE(OtherProgramCanLock(out.Path()));
        EXPECT_EQ(fs::exists(out.File("parts_left.txt")), c.Exported) << Warnings();
        // Only the job done in full lets the window end with status 0.
        EXPECT_EQ(job.Failed(), !c.Exported);
    }
}

TEST_F(WindowJob, DoesNotRunWhileAnotherProgramHoldsItsFiles) {
    const auto before = files(false);
    const int fd = ::open(dir.Path().c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);
    {
        LockWait wait(50);
        const TCommandLine cl = SampleCommandLine();
        TAutoJob job(w, cl);
        job.LoadFiles();
        EXPECT_FALSE(AutoMode);
        EXPECT_FALSE(job.Begin());
        EXPECT_FALSE(job.HoldsLock());
    }
    ::close(fd);
    EXPECT_TRUE(Warned("The stock update was refused; nothing was written.")) << Warnings();
    // The window shows the lists all the same.
    EXPECT_EQ(w.Data.StringGridSheets.Cell(SheetCol::Label, 1), "PLY-2440");
    EXPECT_EQ(files(false), before);
}

// Another program that does not take the lock (an editor, a copy) changes
// the list the job read while the job runs: the job's exports are refused,
// all of them, and that program's file stays.
TEST_F(WindowJob, ItsExportIsNotWrittenOverAListChangedSinceItWasRead) {
    const TCommandLine cl = SampleCommandLine();
    TAutoJob job(w, cl);
    job.LoadFiles();
    ASSERT_TRUE(job.Begin());
    ASSERT_TRUE(WindowRun());
    const std::string theirs = "PLY-2440\tPlywood 18\t2440\t1220\t40\t54\t0\tcounted again\r\n"
                               "MDF-2800\tMDF 16\t2800\t2070\t30\t38\t0\tcounted again\r\n";
    WriteText(at("stock.txt"), theirs);
    const TStringGrid sheets = w.Data.StringGridSheets, rack = w.Data.StringGridOffcutRack;
    EXPECT_TRUE(job.RunEnded(false));
    EXPECT_EQ(ReadText(at("stock.txt")), theirs);
    // Nothing of the update stays in the window to be saved at its exit.
    EXPECT_EQ(w.Data.StringGridSheets.Cell(SheetCol::Qty, 1), sheets.Cell(SheetCol::Qty, 1));
    for (int r = 1; r < rack.RowCount(); ++r)
        EXPECT_EQ(w.Data.StringGridOffcutRack.Row(r), rack.Row(r)) << r;
    EXPECT_FALSE(fs::exists(at("parts_left.txt")));
    EXPECT_TRUE(Warned("\"" + at("stock.txt") + "\" was changed by another program since this "
                       "job read it"))
        << Warnings();
    EXPECT_TRUE(Warned("No file of the stock update was saved")) << Warnings();
    EXPECT_FALSE(job.HoldsLock());

    // The same job on the file as it was read exports over it.
    w = TMainWindowCore();
    TAutoJob again(w, cl);
    again.LoadFiles();
    ASSERT_TRUE(again.Begin());
    ASSERT_TRUE(WindowRun());
    EXPECT_TRUE(again.RunEnded(false));
    EXPECT_NE(ReadText(at("stock.txt")), theirs);
    EXPECT_TRUE(fs::exists(at("parts_left.txt")));
}

// The window's exit save of an update the job made: when another program has
// changed one of the update's lists and the user keeps that program's
// version, none of the update's lists is written, and the result says which.
TEST_F(WindowJob, TheExitSaveWritesTheListsOfItsUpdateTogetherOrNotAtAll) {
    const char* const group[] = {"default.sht", "default.prt", "default_offcut.rck",
                                 "default_part.prk"};
    for (const char* refused : {"default.sht", "default_offcut.rck"}) {
        SCOPED_TRACE(refused);
        testsupport::SampleJobFolder job;
        job.setKey("default.opt", "OPTION", "CheckBoxDisablePartsRack", "0");
        ResetAppDefaults();
        platform::SetMessageSink(&sink);
        w = TMainWindowCore();
        const TCommandLine cl({"-auto:yes", "-update:yes", "-ex_sheet:" + job.at("left.txt"),
                               "-ex_part:" + job.at("parts.txt")});
        TAutoJob autoJob(w, cl);
        autoJob.LoadFiles();
        ASSERT_TRUE(autoJob.Begin());
        ASSERT_TRUE(WindowRun());
        ASSERT_TRUE(autoJob.RunEnded(false));
        ASSERT_TRUE(fs::exists(job.at("left.txt"))) << Warnings();

        // A batch update in between changed one of them.
        WriteText(job.at(refused), ReadText(job.at(refused)) + "; booked by another program\r\n");
        const auto before = job.files(false);
        sink.Warnings.clear();
        TExitSaveResult r = SaveOnExit(w);  // the sink keeps the other program's file
        EXPECT_TRUE(Warned("\"" + job.at(refused) + "\" was changed by another program"))
            << Warnings();
        for (const char* f : group) {
            EXPECT_EQ(job.files(false).at(f), before.at(f)) << f;
            bool named = false;
            for (const std::string& p : r.Problems)
                named = named || p.starts_with("[" + job.at(f) + "]");
            EXPECT_TRUE(named) << f;
            for (const std::string& written : r.Written) EXPECT_NE(written, job.at(f));
        }
        EXPECT_EQ(r.Failed, std::vector<std::string>{job.at(refused)});
        for (const auto& [name, text] : job.files(false))
            EXPECT_EQ(name.find(".tmp~"), std::string::npos) << "left behind: " << name;
        for (const char* f : {"default.typ", "default.edg", "default.opt"}) {
            EXPECT_NE(std::find(r.Written.begin(), r.Written.end(), job.at(f)), r.Written.end())
                << f;
        }

        // Told to write over it, the exit save writes the whole update.
        {
            struct Yes : testsupport::CaptureSink {
                bool Confirm(const std::string&, bool) override { return true; }
            } yes;
            r = SaveOnExit(w);
        }
        EXPECT_TRUE(r.Failed.empty());
        for (const char* f : group) {
            EXPECT_NE(job.files(false).at(f), before.at(f)) << f;
            EXPECT_NE(std::find(r.Written.begin(), r.Written.end(), job.at(f)), r.Written.end())
                << f;
        }
    }
}

// An update refused after the job's run (here a least offcut width that is
// no length) fails the job: nothing is exported, no rack changes.
TEST_F(WindowJob, AStockUpdateRefusedInsideTheJobFailsIt) {
    const TCommandLine cl = SampleCommandLine();
    ASSERT_TRUE(LoadStartupFiles(w));
    ASSERT_TRUE(ApplyCommandLine(w, cl));
    w.StartOptimizeClick();
    ASSERT_GT(Optimizer.Best.Count(), 0);
    const auto before = files(false);
    w.Page.EditMinOffcutLength2 = "wide";
    EXPECT_FALSE(FinishAutoJob(w, cl));
    EXPECT_TRUE(Warned("The stock update was refused, so no list was exported.")) << Warnings();
    auto now = files(false);
    now.erase("plan.txt");
    now.erase("plan.txt_EXECL.txt");
    now.erase("plan.txt_LABEL.txt");
    EXPECT_EQ(now, before);
}

// A least offcut length typed as a fraction in the option file is read by
// the update as by the run: the batch job plans, books and exports.
TEST_F(WindowJob, AFractionAsTheLeastOffcutLengthIsBookedInBatchMode) {
    setKey("default.opt", "OPTION", "SCRAP_LEN1", "3/4");
    std::vector<std::string> args = SampleArgs();
    args.push_back("-hide:yes");
    EXPECT_EQ(RunBatch(w, TCommandLine(args)), 0) << Warnings();
    EXPECT_EQ(MinScrapLength, 750);
    EXPECT_TRUE(fs::exists(at("parts_left.txt")));
    EXPECT_NE(ReadText(at("stock.txt")).find("PLY-2440\tPlywood 18\t2440\t1220\t"),
              std::string::npos);
}

// The job's messages wait for its lock to be given back: a box left open
// keeps no other program out of the job's folders.
TEST_F(WindowJob, ItsMessagesAreShownAfterItsLockIsGivenBack) {
    struct ProbeSink : platform::MessageSink {
        std::string folder;
        std::vector<bool> free;
        void Warning(const std::string&) override { free.push_back(OtherProgramCanLock(folder)); }
        bool Confirm(const std::string&, bool answer) override { return answer; }
    } probe;
    probe.folder = dir.Path();
    const TCommandLine cl = SampleCommandLine();
    TAutoJob job(w, cl);
    job.LoadFiles();
    ASSERT_TRUE(job.Begin());
    ASSERT_TRUE(WindowRun());
    WriteText(at("stock.txt"), "changed meanwhile\r\n");  // the export is refused, with warnings
    platform::SetMessageSink(&probe);
    job.RunEnded(false);
    platform::SetMessageSink(&sink);
    ASSERT_FALSE(probe.free.empty());
    for (const bool free : probe.free) EXPECT_TRUE(free);
}

// Two files of the window's job that are one are refused before any plan,
// the racks its exit saves among them.
TEST_F(WindowJob, TwoOfItsFilesThatAreOneAreRefusedBeforeAnyPlan) {
    const auto before = files(false);
    const TCommandLine cl({"-auto:yes", "-update:yes", "-sheet:" + at("stock.txt"),
                           "-part:" + at("order.txt"), "-ex_sheet:" + at("default_offcut.rck")});
    TAutoJob job(w, cl);
    job.LoadFiles();
    EXPECT_FALSE(AutoMode);
    EXPECT_FALSE(job.Begin());
    EXPECT_TRUE(Warned("are one file")) << Warnings();
    EXPECT_EQ(files(false), before);
}
