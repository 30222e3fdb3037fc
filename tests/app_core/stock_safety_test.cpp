// The stock a job keeps (racks, lists, exported lists) is never lost, doubled
// or written over by a job that did not load it: refused files, lists cut at
// their limit, failed runs, two updates at once.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <map>
#include <new>
#include <sstream>
#include <thread>

#include "app/core/app_defaults.h"
#include "app/core/exit_save.h"
#include "app/core/grid_text_files.h"
#include "app/core/import_data.h"
#include "app/core/list_files.h"
#include "app/core/main_window.h"
#include "app/core/racks.h"
#include "app/core/startup.h"
#include "engine/shared_state.h"
#include "platform/folder_lock.h"
#include "platform/inifile.h"
#include "support/batch_job.h"
#include "support/own_mounts.h"
#include "support/sample_job.h"
#include "support/scratch.h"

namespace fs = std::filesystem;
using testsupport::ReadText;
using testsupport::WriteText;

namespace {

// The sample job, run in batch mode; its files but the dump files must stay
// exactly as they were where a job is refused.
struct Job : testsupport::BatchJobFolder {
    std::map<std::string, std::string> files() const { return SampleJobFolder::files(false); }
    void expectUnchanged(const std::map<std::string, std::string>& before) const {
        EXPECT_EQ(files(), before);
    }
    int batch(std::vector<std::string> args) {
        args.insert(args.begin(), {"-auto:yes", "-hide:yes"});
        return runBatch(std::move(args));
    }
};

// Holds an flock on Folder as another program would, until it ends (or Give).
class OtherHolder {
  public:
    explicit OtherHolder(const std::string& folder)
        : fd_(::open(folder.c_str(), O_RDONLY | O_DIRECTORY)) {
        EXPECT_EQ(::flock(fd_, LOCK_EX), 0);
    }
    ~OtherHolder() { ::close(fd_); }
    void Give() { ::flock(fd_, LOCK_UN); }

  private:
    int fd_;
};

struct LockWait {
    explicit LockWait(int ms) : old_(platform::FolderLockWaitMs.exchange(ms)) {}
    ~LockWait() { platform::FolderLockWaitMs = old_; }
    int old_;
};

// The quantity cell of the row labelled Label in a sheets text export.
int ExportedQty(const std::string& text, const std::string& label) {
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line))
        if (line.starts_with(label + "\t")) {
            std::vector<std::string> cells;
            std::istringstream fields(line);
            std::string cell;
            while (std::getline(fields, cell, '\t')) cells.push_back(cell);
            return std::stoi(cells.at(SheetCol::Qty));
        }
    return -1000;
}

// Sheets of Label the plan of the last run uses.
int SheetsUsed(const std::string& label) {
    int n = 0;
    for (const TPacket& p : Optimizer.Best.Packets)
        if (p.Label == label && p.SourceKind != srcOffcut) n += p.Quantity;
    return n;
}

[[noreturn]] void NoMemory(const std::string&) {
    throw std::bad_alloc();
}

}  // namespace

TEST(StockSafety, RefusedRacksAndListsEndTheBatchJobAndStayAsTheyWere) {
    const std::string slots =
        "[SLOT0]\r\nLABEL=KEPT\r\nTYPE=Plywood 18\r\nLENGTH=900\r\nWIDTH=600\r\n";
    const struct {
        const char* Name;
        const char* File;  // written with Text; nullptr: the memory fault of the list reader
        std::string Text;
        const char* Message;
    } cases[] = {
        {"offcut rack, too many slots", "default_offcut.rck", "[HEAD]\r\nNUMBER=100001\r\n" + slots,
         "at most 100000 slots"},
        {"offcut rack without [HEAD]", "default_offcut.rck", slots, "has no [HEAD] section"},
        {"offcut rack, NUMBER not a number", "default_offcut.rck",
         "[HEAD]\r\nNUMBER=lots\r\n" + slots, "no whole number NUMBER"},
        {"offcut rack of one slot", "default_offcut.rck", "[HEAD]\r\nNUMBER=1\r\n" + slots,
         "fewer than 2 slots"},
        {"part rack, too many slots", "default_part.prk", "[HEAD]\r\nNUMBER=100001\r\n" + slots,
         "at most 100000 slots"},
        {"part rack without [HEAD]", "default_part.prk", slots, "has no [HEAD] section"},
        {"parts list beyond memory", nullptr, "", "Not enough memory to read file"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        Job job;
        job.setKey("default.opt", "OPTION", "CheckBoxDisablePartsRack", "0");
        if (c.File) WriteText(job.at(c.File), c.Text);
        ListFileReadFault = c.File ? nullptr : NoMemory;
        const auto before = job.files();
        EXPECT_EQ(job.batch({"-update:yes", "-ex_sheet:" + job.at("left.txt"),
                             "-ex_part:" + job.at("parts.txt")}),
                  1);
        ListFileReadFault = nullptr;
        EXPECT_EQ(Optimizer.Best.Count(), 0);
        EXPECT_FALSE(fs::exists(job.at("dump.sht"))) << "a run was started";
        EXPECT_NE(job.warnings().find(c.Message), std::string::npos) << job.warnings();
        if (c.File) {
            EXPECT_NE(job.warnings().find(job.at(c.File)), std::string::npos);
        }
        job.expectUnchanged(before);
    }
}

TEST(StockSafety, ARackRefusedAtStartIsNotSavedOverWhenTheWindowCloses) {
    for (const char* text : {"[SLOT0]\r\nLABEL=KEPT\r\n", "[HEAD]\r\nNUMBER=100001\r\n"}) {
        SCOPED_TRACE(text);
        Job job;
        WriteText(job.at("default_offcut.rck"), text);
        TMainWindowCore w;
        EXPECT_FALSE(LoadStartupFiles(w));
        const TExitSaveResult r = SaveOnExit(w);
        EXPECT_EQ(ReadText(job.at("default_offcut.rck")), text);
        for (const std::string& f : r.Written) EXPECT_NE(f, job.at("default_offcut.rck"));
    }
}

TEST(StockSafety, AListCutAtItsLimitEndsTheBatchJobBeforeAnyPlan) {
    for (const char* list : {"default.prt", "default.sht"}) {
        SCOPED_TRACE(list);
        Job job;
        const bool parts = std::string(list) == "default.prt";
        {
            platform::TIniFile ini(job.at(list));
            const char* prefix = parts ? "PART" : "SHEET";
            const std::string first = std::string(prefix) + "1";
            for (int n = 2; n <= kMaxListSections + 1; ++n)
                for (const std::string& key : ini.ReadSection(first))
                    ini.WriteString(prefix + std::to_string(n), key,
                                    ini.ReadString(first, key, ""));
            ini.UpdateFile();
        }
        const auto before = job.files();
        EXPECT_EQ(job.batch({"-update:yes", "-ex_sheet:" + job.at("left.txt"),
                             "-ex_part:" + job.at("parts.txt")}),
                  1);
        EXPECT_EQ(Optimizer.Best.Count(), 0);
        EXPECT_FALSE(fs::exists(job.at("dump.sht"))) << "a run was started";
        EXPECT_NE(job.warnings().find("holds more than 10000 rows"), std::string::npos)
            << job.warnings();
        job.expectUnchanged(before);
    }
}

TEST(StockSafety, AFailedRunUpdatesNothingAndLeavesTheExportsUntouched) {
    Job job;
    fs::remove(job.at("default.sht"));
    fs::remove(job.at("default_offcut.rck"));  // nothing to cut from: the run fails
    WriteText(job.at("left.txt"), "the user's own list\r\n");
    const auto before = job.files();
    EXPECT_EQ(job.batch({"-update:yes", "-ex_sheet:" + job.at("left.txt"),
                         "-ex_part:" + job.at("parts.txt")}),
              1);
    EXPECT_EQ(Optimizer.Best.Count(), 0);
    job.expectUnchanged(before);
    EXPECT_NE(job.warnings().find("the stock was not updated"), std::string::npos)
        << job.warnings();
}

TEST(StockSafety, AnExportedListIsReadBackWithoutItsTitlesLine) {
    Job job;
    ASSERT_EQ(job.batch({"-ex_sheet:" + job.at("stock.txt"), "-ex_part:" + job.at("parts.txt")}), 0)
        << job.warnings();
    for (const char* file : {"stock.txt", "parts.txt"}) {
        SCOPED_TRACE(file);
        const bool parts = std::string(file) == "parts.txt";
        const std::string text = ReadText(job.at(file));
        const std::string titles = text.substr(0, text.find("\r\n"));
        TMainData& d = job.window->Data;  // the titles of the job's captions
        ASSERT_TRUE(parts ? ReadPartsTXTFile(d, job.at(file)) : ReadSheetsTXTFile(d, job.at(file)));
        const TStringGrid& g = parts ? d.StringGridParts : d.StringGridSheets;
        EXPECT_EQ(g.Cell(0, 1), parts ? "SIDE" : "PLY-2440");
        // The same rows again (the export's last, empty row aside).
        EXPECT_TRUE(text.starts_with(GridTextFileText(g, true))) << GridTextFileText(g, true);
        // A file of the user's whose first line is not exactly that line
        // keeps it as a row.
        WriteText(job.at("user.txt"), titles + " \r\n" + text.substr(titles.size() + 2));
        ASSERT_TRUE(parts ? ReadPartsTXTFile(d, job.at("user.txt"))
                          : ReadSheetsTXTFile(d, job.at("user.txt")));
        EXPECT_EQ(g.Cell(0, 1), g.Cell(0, 0));
    }
}

TEST(StockSafety, AnUpdateIsRefusedWhileAnotherProgramHoldsItsFiles) {
    // Locked before the job reads its files: no plan, nothing written.
    {
        Job job;
        const auto before = job.files();
        OtherHolder other(job.dir.Path());
        LockWait wait(50);
        EXPECT_EQ(job.batch({"-update:yes", "-ex_sheet:" + job.at("left.txt"),
                             "-ex_part:" + job.at("parts.txt")}),
                  1);
        EXPECT_EQ(Optimizer.Best.Count(), 0);
        EXPECT_NE(job.warnings().find("\"" + platform::WriteFolderOf(job.at("x")) + "\""),
                  std::string::npos)
            << job.warnings();
        EXPECT_NE(job.warnings().find("The stock update was refused; nothing was written."),
                  std::string::npos);
        job.expectUnchanged(before);
    }
    // The offcut rack lives in a folder of its own that default.opt names:
    // it is locked with the job's folder before anything is read, so the
    // job is refused before any plan.
    {
        Job job;
        testsupport::ScratchDir racks;
        fs::rename(job.at("default_offcut.rck"), racks.File("shop.rck"));
        job.setKey("default.opt", "OPTION", "OFFCUTS_RACK_FILE", racks.File("shop.rck"));
        const auto before = job.files();
        const std::string rack = ReadText(racks.File("shop.rck"));
        OtherHolder other(racks.Path());
        LockWait wait(50);
        EXPECT_EQ(job.batch({"-update:yes", "-ex_sheet:" + job.at("left.txt"),
                             "-ex_part:" + job.at("parts.txt")}),
                  1);
        EXPECT_EQ(Optimizer.Best.Count(), 0);
        EXPECT_NE(job.warnings().find("\"" + platform::WriteFolderOf(racks.File("x")) + "\""),
                  std::string::npos)
            << job.warnings();
        EXPECT_NE(job.warnings().find("The stock update was refused"), std::string::npos)
            << job.warnings();
        job.expectUnchanged(before);
        EXPECT_EQ(ReadText(racks.File("shop.rck")), rack);
    }
}

TEST(StockSafety, AnUpdateThatWaitedAppliesOnTopOfTheFirstOnesResult) {
    Job job;
    const std::vector<std::string> out = {"-update:yes", "-ex_sheet:" + job.at("stock.txt"),
                                          "-ex_part:" + job.at("parts.txt")};
    ASSERT_EQ(job.batch(out), 0) << job.warnings();
    const std::string first = ReadText(job.at("stock.txt"));
    const std::vector<std::string> labels = {"PLY-2440", "PLY-1830", "MDF-2800"};
    std::vector<int> afterFirst;
    for (const auto& l : labels) afterFirst.push_back(ExportedQty(first, l));
    const std::string rackAfterFirst = ReadText(job.at("default_offcut.rck"));

    // The second reads the stock only once the holder gives the folder back:
    // it sees what the holder wrote last, 46 more PLY-1830 sheets.
    const std::string row = "PLY-1830\tPlywood 18\t1830\t1220\t";
    const std::size_t at = first.find(row + std::to_string(afterFirst[1]) + "\t");
    ASSERT_NE(at, std::string::npos);
    std::string lastWrite = first;
    lastWrite.replace(at + row.size(), std::to_string(afterFirst[1]).size(),
                      std::to_string(afterFirst[1] + 46));
    afterFirst[1] += 46;
    OtherHolder other(job.dir.Path());
    LockWait wait(60000);
    std::thread give([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        WriteText(job.at("stock.txt"), lastWrite);
        other.Give();
    });
    // Two sides more, from what the first left.
    WriteText(job.at("more.txt"), "SIDE\tPlywood 18\t720\t560\tR\t2\t2\tR\t\tmore\r\n");
    std::vector<std::string> second = out;
    second.push_back("-sheet:" + job.at("stock.txt"));
    second.push_back("-part:" + job.at("more.txt"));
    const int status = job.batch(second);
    give.join();
    ASSERT_EQ(status, 0) << job.warnings();
    ASSERT_GT(Optimizer.Best.Count(), 0);
    const std::string now = ReadText(job.at("stock.txt"));
    for (std::size_t i = 0; i < labels.size(); ++i) {
        SCOPED_TRACE(labels[i]);
        EXPECT_GE(afterFirst[i], 0);
        EXPECT_EQ(ExportedQty(now, labels[i]), afterFirst[i] - SheetsUsed(labels[i]));
    }
    EXPECT_NE(ReadText(job.at("default_offcut.rck")), rackAfterFirst);
}

TEST(StockSafety, AListChangedElsewhereIsWrittenOverOnlyWhenTheUserSaysSo) {
    struct Answer : testsupport::CaptureSink {
        bool Yes = false;
        bool Confirm(const std::string& Text, bool) override {
            Warnings.push_back(Text);
            return Yes;
        }
    };
    Job job;
    for (const bool rack : {false, true}) {
        SCOPED_TRACE(rack ? "rack" : "list");
        const std::string file = job.at(rack ? "default_offcut.rck" : "default.sht");
        TMainData d;
        ASSERT_TRUE(rack ? ReadOffcutRackFromFile(d, file) : ReadSheetsFile(d, file));
        const auto save = [&] { rack ? (void)SaveOffcutRack(d) : SaveSheetsFile(d, file, true); };
        save();  // unchanged on the disk: no question
        WriteText(file, "[HEAD]\r\nNUMBER=2\r\n; another program's version\r\n");
        Answer answer;
        EXPECT_THROW(save(), platform::IniWriteError);
        ASSERT_EQ(answer.Warnings.size(), 1u);
        EXPECT_NE(answer.Warnings[0].find(file), std::string::npos);
        EXPECT_EQ(ReadText(file), "[HEAD]\r\nNUMBER=2\r\n; another program's version\r\n");
        answer.Yes = true;
        save();
        EXPECT_NE(ReadText(file).find("PLY"), std::string::npos);
    }
}

TEST(StockSafety, AReportToAPipeOrDeviceLeavesItAsItIsAndNoCutListsBesideIt) {
    Job job;
    const std::string fifo = job.at("report.fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    std::vector<std::string> targets = {fifo};
    if (::geteuid() == 0) {
        // A link to a character device of our own (as /dev/stdout to /dev/null).
        ASSERT_EQ(::mknod(job.at("null").c_str(), S_IFCHR | 0666, ::makedev(1, 3)), 0);
        fs::create_symlink(job.at("null"), job.at("stdout"));
        targets.push_back(job.at("stdout"));
    }
    // The names /dev/stdout has in a pipeline and when it is sent to a
    // file: the report goes there, and its cut lists nowhere.
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    ASSERT_EQ(::fcntl(ends[0], F_SETFL, O_NONBLOCK), 0);
    targets.push_back("/proc/self/fd/" + std::to_string(ends[1]));
    const int file = ::open(job.at("out.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(file, 0);
    targets.push_back("/proc/self/fd/" + std::to_string(file));
    for (const std::string& target : targets) {
        SCOPED_TRACE(target);
        EXPECT_EQ(job.batch({"-report:" + target}), 0) << job.warnings();
        EXPECT_FALSE(fs::exists(target + "_EXECL.txt"));
        EXPECT_FALSE(fs::exists(target + "_LABEL.txt"));
    }
    char piped[256];
    EXPECT_GT(::read(ends[0], piped, sizeof piped), 0);  // the report went through the pipe
    ::close(ends[0]);
    ::close(ends[1]);
    ::close(file);
    EXPECT_NE(ReadText(job.at("out.txt")).find("Utilization"), std::string::npos);
    char buf[256];
    EXPECT_GT(::read(reader, buf, sizeof buf), 0);  // the report went through the pipe
    ::close(reader);
    EXPECT_TRUE(fs::is_fifo(fifo));
    if (targets.size() > 1) {
        EXPECT_TRUE(fs::is_symlink(job.at("stdout")));
        EXPECT_TRUE(fs::is_character_file(job.at("null")));
    }
}

TEST(StockSafety, AnUpdateStoppedAmongItsRenamesIsUndoneByTheNextStart) {
    // Stopped (as by a kill) after 0 to 4 renames, the update booked
    // nothing: the next start, a job that only plans, puts every file back
    // as it was, so that running the update again books it once.
    const std::vector<std::string> names = {"default_offcut.rck", "default_part.prk", "left.txt",
                                            "parts.txt"};
    const auto update = [](Job& job) {
        job.setKey("default.opt", "OPTION", "CheckBoxDisablePartsRack", "0");
        return job.batch(
            {"-update:yes", "-ex_sheet:" + job.at("left.txt"), "-ex_part:" + job.at("parts.txt")});
    };
    const auto contents = [&](Job& job) {
        std::map<std::string, std::string> c;
        for (const auto& n : names) c[n] = fs::exists(job.at(n)) ? ReadText(job.at(n)) : "(none)";
        return c;
    };
    std::map<std::string, std::string> whole;
    {
        Job job;
        ASSERT_EQ(update(job), 0) << job.warnings();
        whole = contents(job);
    }
    for (int stop = 0; stop <= 4; ++stop) {
        SCOPED_TRACE("stopped after " + std::to_string(stop) + " renames");
        Job job;
        job.setKey("default.opt", "OPTION", "CheckBoxDisablePartsRack", "0");
        const auto before = contents(job);
        platform::TFileWriteGroup::StopAfterRenames = stop;
        update(job);
        platform::TFileWriteGroup::StopAfterRenames = -1;
        EXPECT_EQ(job.batch({}), 0) << job.warnings();
        EXPECT_EQ(contents(job), before);
        for (const auto& f : fs::directory_iterator(job.dir.Path())) {
            const std::string n = f.path().filename().string();
            EXPECT_TRUE(n.find(".tmp~") == std::string::npos && !n.starts_with(".tessaly-commit~"))
                << n;
        }
        // Run again, it books the update once.
        ASSERT_EQ(update(job), 0) << job.warnings();
        EXPECT_EQ(contents(job), whole);
    }
}

TEST(StockSafety, ARecordThatCannotBeSettledEndsTheJobBeforeAnyPlan) {
    // A stray record (naming a file outside the job) and a damaged one: the
    // job plans nothing, saves nothing, and names the record.
    for (const bool stray : {true, false}) {
        SCOPED_TRACE(stray ? "stray record" : "damaged record");
        Job job;
        testsupport::ScratchDir elsewhere;
        WriteText(elsewhere.File("c.txt"), "far");
        const auto before = job.files();
        const std::string record = job.at(".tessaly-commit~31999-1");
        WriteText(record, stray ? "TESSALY WRITE GROUP 2\nR\t" + elsewhere.File("b.txt") + "\t" +
                                      elsewhere.File("c.txt") + "\t-\t3\t1\nEND\n"
                                : std::string("TESSALY WRITE GROUP 2\nR\tdefault_offcut.rck"));
        EXPECT_EQ(job.batch({"-update:yes", "-report:" + job.at("plan.txt")}), 1);
        EXPECT_NE(job.warnings().find(record), std::string::npos) << job.warnings();
        EXPECT_FALSE(fs::exists(job.at("plan.txt")));
        EXPECT_EQ(ReadText(elsewhere.File("c.txt")), "far");
        EXPECT_TRUE(fs::exists(record));
        fs::remove(record);
        job.expectUnchanged(before);
    }
}

TEST(StockSafety, ARackLinkedToAPipeOrDeviceIsRefusedWithWhatItIs) {
    for (const bool pipe : {true, false}) {
        SCOPED_TRACE(pipe ? "pipe" : "device");
        Job job;
        testsupport::ScratchDir other;
        const std::string target = pipe ? other.File("rack.fifo") : std::string("/dev/null");
        if (pipe) {
            ASSERT_EQ(::mkfifo(target.c_str(), 0644), 0);
        }
        fs::remove(job.at("default_offcut.rck"));
        fs::create_symlink(target, job.at("default_offcut.rck"));
        EXPECT_EQ(job.batch({"-update:yes"}), 1);
        EXPECT_NE(job.warnings().find(pipe ? "it is a pipe (FIFO), not a file"
                                           : "it is a device, not a file"),
                  std::string::npos)
            << job.warnings();
        EXPECT_TRUE(fs::is_symlink(job.at("default_offcut.rck")));
    }
}

namespace {

// Two jobs, each in a folder of its own, whose default.opt names one offcut
// rack in a shared folder; their offcuts are named "A-" and "B-".
struct SharedRackJobs {
    SharedRackJobs() {
        fs::copy_file(a.at("default_offcut.rck"), rack);
        for (Job* j : {&a, &b}) {
            fs::remove(j->at("default_offcut.rck"));
            j->setKey("default.opt", "OPTION", "OFFCUTS_RACK_FILE", rack);
            j->setKey("default.opt", "OPTION", "OFFCUTS_PREFIX", j == &a ? "A-" : "B-");
        }
    }
    // The job's update in its folder, in a process of its own when Apart.
    static pid_t Update(Job& j, bool apart) {
        const pid_t pid = apart ? ::fork() : 0;
        if (pid != 0) return pid;
        AppDir = j.dir.Path();
        const int status =
            j.batch({"-update:yes", "-ex_sheet:" + j.at("left.txt"), "-ex_part:" + j.at("p.txt")});
        if (apart) ::_exit(status);
        return status;
    }
    static int Ended(pid_t pid) {
        int status = 0;
        ::waitpid(pid, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    testsupport::ScratchDir shared;
    std::string rack = shared.File("shop.rck");
    Job a, b;
};

}  // namespace

TEST(StockSafety, TwoUpdatesSharingARackFolderTakeTurnsAndBothAreBooked) {
    LockWait wait(60000);
    std::map<std::string, std::string> racks;
    for (const std::string order : {"AB", "BA", "both at once"}) {
        SCOPED_TRACE(order);
        SharedRackJobs jobs;
        if (order == "both at once") {
            const pid_t a = jobs.Update(jobs.a, true), b = jobs.Update(jobs.b, true);
            EXPECT_EQ(jobs.Ended(a), 0);
            EXPECT_EQ(jobs.Ended(b), 0);
        } else {
            EXPECT_EQ(jobs.Update(order == "AB" ? jobs.a : jobs.b, false), 0);
            EXPECT_EQ(jobs.Update(order == "AB" ? jobs.b : jobs.a, false), 0);
        }
        racks[order] = ReadText(jobs.rack);
    }
    // Booked one after the other, whichever came first.
    EXPECT_NE(racks["AB"], racks["BA"]);
    EXPECT_TRUE(racks["both at once"] == racks["AB"] || racks["both at once"] == racks["BA"]);
}

TEST(StockSafety, TheWindowsJobReadsTheSharedRackOnlyOnceItHoldsItsFolder) {
    SharedRackJobs jobs;
    AppDir = jobs.a.dir.Path();
    OtherHolder other(jobs.shared.Path());
    LockWait wait(60000);
    std::thread give([&] {  // the other program's update, saved as it gives the folder back
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        std::string text = ReadText(jobs.rack);
        WriteText(jobs.rack, text.insert(text.find("LABEL=", text.find("[SLOT99]")) + 6, "HELD"));
        other.Give();
    });
    TMainWindowCore w;
    const TCommandLine cl({"-auto:yes", "-update:yes"});
    TAutoJob(w, cl).LoadFiles();
    give.join();
    EXPECT_TRUE(AutoMode);
    EXPECT_EQ(w.Data.StringGridOffcutRack.Cell(OffcutRackCol::Label, 100), "HELD");
}

TEST(StockSafety, NothingIsSavedIntoAFolderWhoseStoppedSaveCannotBeSettled) {
    Job job;
    WriteText(job.at(".tessaly-commit~31999-1"), "TESSALY WRITE GROUP 2\nR\tdefault_offcut.rck");
    TMainWindowCore w;
    ASSERT_FALSE(LoadStartupFiles(w));
    EXPECT_EQ(w.Page.EditMeasure, "inch");  // its option file is not read either
    w.Data.StringGridSheets.SetRow(1, {"S", "MDF 16", "100", "50", "2", "", "", ""});
    testsupport::ScratchDir elsewhere;
    WriteText(elsewhere.File("parts.txt"), "SIDE\tPlywood 18\t720\t560\r\n");
    const auto all = [&] { return static_cast<testsupport::SampleJobFolder&>(job).files(true); };
    const auto before = all();
    const std::function<void()> saves[] = {
        [&] {
            const TExitSaveResult r = SaveOnExit(w);
            EXPECT_FALSE(ExitRetryMayHelp(r));
            for (const std::string& p : r.Problems) job.sink.Warning(p);
        },
        [&] { ButtonSaveOptionsClick(w); },  // "Save Configure"
        [&] { SaveSheetsFile(w.Data, job.at("new.sht"), true); },
        [&] { WriteOffcutRackToFile(w.Data, job.at("new.rck"), 10, true); },
        [&] { WriteSheetsTxtFile(w.Data, job.at("new.txt"), true); },
        [&] { w.DumpErrorForCutomer(); },  // the program's own copies: skipped unsaid
        [&] {  // an import keeps its column choices elsewhere: skipped unsaid
            TImportData dialog;
            PrepareImport(dialog, w.Data, false);
            ASSERT_TRUE(dialog.LoadTextFile(elsewhere.File("parts.txt")));
            dialog.ComboIndex[0] = 1;
            dialog.Confirm(TImportResult::Copy);
            EXPECT_TRUE(ApplyImport(w.Data, false, dialog));
        },
    };
    for (const auto& save : saves) {
        SCOPED_TRACE(&save - saves);
        job.sink.Warnings.clear();
        try {
            save();
        } catch (const platform::IniWriteError& e) {
            job.sink.Warning(e.what());
        }
        const auto now = all();
        EXPECT_EQ(now.size(), before.size());
        for (const auto& [name, bytes] : now)  // named, not printed: racks are long
            EXPECT_TRUE(before.contains(name) && before.at(name) == bytes) << name;
        EXPECT_EQ(job.warned("\"" + platform::WriteFolderOf(job.at("x")) +
                             "\" holds the record of a save that was stopped"),
                  &save < &saves[5])
            << job.warnings();
    }
}
TEST(StockSafety, AListFileHoldingNoListEndsTheJobAndIsNeverSavedOver) {
    const std::string tab = "PLY-2440\tPlywood 18\t2440\t1220\t5\r\n";  // as -ex_sheet: writes
    const struct {
        const char* File;
        const char* Switch;  // nullptr: read at start-up
    } cases[] = {{"default.sht", nullptr}, {"stock.sht", "-sht:"}, {"order.prt", "-prt:"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.File);
        Job job;
        WriteText(job.at(c.File), tab);
        std::vector<std::string> args;
        if (c.Switch) args.push_back(c.Switch + job.at(c.File));
        const auto before = job.files();
        EXPECT_EQ(job.batch(args), 1);
        EXPECT_EQ(Optimizer.Best.Count(), 0);
        EXPECT_TRUE(job.warned("\"" + job.at(c.File) + "\" holds no [")) << job.warnings();
        job.expectUnchanged(before);
        // The window names no file on that page, and its exit save writes over none.
        TMainWindowCore w;
        LoadStartupFiles(w);
        ApplyCommandLine(w, TCommandLine(args));
        SaveOnExit(w);
        for (const char* list : {"default.sht", "default.prt", c.File})
            EXPECT_EQ(ReadText(job.at(list)), before.at(list)) << list;
    }
}

TEST(StockSafety, TwoOutputsWhoseNamesDifferOnlyInLetterCaseRefuseTheJobBeforeAnyPlan) {
    // A FAT or exFAT stick holds them as one file (and a FUSE mount of one
    // gives each spelling an inode of its own): the second would replace
    // the first, the stock list lost to the parts list.
    struct Case {
        std::string Name;
        std::function<void(Job&)> Prepare;
        std::string Sheets, Parts;  // -ex_sheet: and -ex_part: ("": not given)
        std::string Report;         // -report: ("": not given)
        std::string First;          // the file the message names first
    };
    std::vector<Case> cases = {
        {"sheets and parts list", nullptr, "stock.txt", "STOCK.TXT", "", "stock.txt"},
        {"both there, as a stick shows them",
         [](Job& j) {
             WriteText(j.at("stock.txt"), "kept\r\n");
             WriteText(j.at("Stock.Txt"), "kept too\r\n");
         },
         "stock.txt", "Stock.Txt", "", "stock.txt"},
        {"sheets list over the offcut rack", nullptr, "Default_Offcut.RCK", "", "",
         "default_offcut.rck"},
        {"the report's cut list and the parts list", nullptr, "", "PLAN.TXT_execl.txt", "plan.txt",
         "plan.txt_EXECL.txt"},
        {"through a linked folder",
         [](Job& j) { fs::create_directory_symlink(j.dir.Path(), j.at("here")); }, "stock.txt",
         "here/Stock.txt", "", "stock.txt"},
        {"folders spelt two ways on one disk",
         [](Job& j) {
             fs::create_directory(j.at("Out"));
             fs::create_directory(j.at("OUT"));
         },
         "Out/stock.txt", "OUT/stock.txt", "", "Out/stock.txt"},
    };
    // Letters beyond ASCII, small and capital: Latin of Western, Central and
    // Eastern Europe and of Vietnam, Greek (a final sigma too), Cyrillic.
    const std::pair<std::string, std::string> letters[] = {
        {"é", "É"}, {"ÿ", "Ÿ"}, {"ł", "Ł"}, {"ș", "Ș"}, {"ư", "Ư"}, {"ạ", "Ạ"},
        {"ά", "Ά"}, {"σ", "Σ"}, {"ς", "Σ"}, {"ж", "Ж"}, {"ё", "Ё"}, {"ґ", "Ґ"}};
    for (const auto& [small, capital] : letters)
        cases.push_back({small + " and " + capital, nullptr, "st" + small + ".txt",
                         "st" + capital + ".txt", "", "st" + small + ".txt"});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Job job;
        if (c.Prepare) c.Prepare(job);
        std::vector<std::string> args;
        if (!c.Report.empty()) args.push_back("-report:" + job.at(c.Report));
        if (!c.Sheets.empty()) args.push_back("-ex_sheet:" + job.at(c.Sheets));
        if (!c.Parts.empty()) args.push_back("-ex_part:" + job.at(c.Parts));
        const auto before = job.files();
        EXPECT_EQ(job.batch(args), 1);
        EXPECT_EQ(Optimizer.Best.Count(), 0);
        EXPECT_FALSE(fs::exists(job.at("dump.sht"))) << "a run was started";
        job.expectUnchanged(before);
        ASSERT_EQ(job.sink.Warnings.size(), 1u) << job.warnings();
        const std::string& w = job.sink.Warnings[0];
        const std::string second = job.at(c.Parts.empty() ? c.Sheets : c.Parts);
        EXPECT_NE(w.find("\"" + job.at(c.First) + "\" and "), std::string::npos) << w;
        EXPECT_NE(w.find("\"" + second + "\" differ only in letter case"), std::string::npos) << w;
    }

    // Names that differ in more than letter case, or lie in two folders,
    // are two files: the window's job goes on to its run.
    const std::vector<std::pair<std::string, std::string>> apart = {
        {"stock.txt", "stock2.txt"}, {"a/stock.txt", "b/STOCK.TXT"}, {"sté.txt", "ste.txt"},
        {"st×.txt", "st÷.txt"},      {"stß.txt", "stss.txt"},        {"stı.txt", "sti.txt"}};
    for (const auto& [sheets, parts] : apart) {
        SCOPED_TRACE(sheets + " and " + parts);
        Job job;
        fs::create_directory(job.at("a"));
        fs::create_directory(job.at("b"));
        TMainWindowCore w;
        const TCommandLine cl(
            {"-auto:yes", "-ex_sheet:" + job.at(sheets), "-ex_part:" + job.at(parts)});
        TAutoJob(w, cl).LoadFiles();
        EXPECT_TRUE(AutoMode);
        EXPECT_EQ(job.warnings(), "");
    }
}

TEST(StockSafety, AJobReadsNoListFromAFolderItsLockDoesNotCover) {
    // The job locks the folders of the lists and racks that default.opt
    // names, then reads them. A default.opt changed in between (saved by the
    // window meanwhile) may name a list elsewhere: read unlocked, another
    // program's update of it could be booked over. Nothing is read from it.
    const struct {
        const char* Name;
        const char* Key;    // of default.opt
        const char* Moved;  // the file named there, moved
        bool Elsewhere;     // to a folder of its own (else within the job's)
        bool Locked;        // that folder among those the job locked
    } cases[] = {
        {"offcut rack elsewhere", "OFFCUTS_RACK_FILE", "default_offcut.rck", true, false},
        {"sheets list elsewhere", "SHEETS_FILE", "default.sht", true, false},
        {"offcut rack elsewhere, locked", "OFFCUTS_RACK_FILE", "default_offcut.rck", true, true},
        {"offcut rack renamed in the job's folder", "OFFCUTS_RACK_FILE", "default_offcut.rck",
         false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        Job job;
        testsupport::ScratchDir other;
        const std::string moved = c.Elsewhere ? other.File(std::string("shop_") + c.Moved)
                                              : job.at(std::string("shop_") + c.Moved);
        // The job's lock, taken while default.opt named no other folder.
        platform::TFolderLock lock;
        std::string error;
        std::vector<std::string> folders = {job.dir.Path()};
        if (c.Locked) folders.push_back(other.Path());
        ASSERT_TRUE(lock.Acquire(folders, error)) << error;
        fs::rename(job.at(c.Moved), moved);
        job.setKey("default.opt", "OPTION", c.Key, moved);
        TMainWindowCore w;
        const bool read = LoadStartupFiles(w, &lock);
        const bool sheets = std::string(c.Moved) == "default.sht";
        const std::string first = sheets
                                      ? w.Data.StringGridSheets.Cell(SheetCol::Label, 1)
                                      : w.Data.StringGridOffcutRack.Cell(OffcutRackCol::Label, 1);
        EXPECT_EQ(read, c.Locked) << job.warnings();
        EXPECT_EQ(first, !c.Locked ? "" : sheets ? "PLY-2440" : "RACK-PLY");
        EXPECT_EQ(job.warned("\"" + job.at("default.opt") + "\" was changed as the job started"),
                  !c.Locked)
            << job.warnings();
    }
}

namespace {

// Marks the folder Marked as one whose stopped save could not be settled
// and checks that it is known so under the name Other too, and that Apart,
// another folder, is not: the checks that failed ("" when all held).
std::string UnsettledUnderEitherName(const std::string& marked, const std::string& other,
                                     const std::string& apart) {
    testsupport::ChildChecks c;
    ClearUnsettledFolders();
    MarkUnsettledFolder(marked);
    for (const std::string& folder : {marked, other}) {
        const std::string file = folder + "/shop.rck";
        c.Check(IsUnsettledFolder(folder), folder + " is not known as unsettled");
        c.Check(InUnsettledFolder(file), file + " is not known to lie in an unsettled folder");
        std::string error;
        try {
            platform::WriteFileAtomic(file, "[HEAD]\r\nNUMBER=2\r\n");
        } catch (const platform::IniWriteError& e) {
            error = e.what();
        }
        c.Check(error.find("could not be settled") != std::string::npos && !fs::exists(file),
                "a save of " + file + " was not refused: \"" + error + "\"");
        fs::remove(file);
    }
    c.Check(!IsUnsettledFolder(apart), apart + " is taken for unsettled");
    platform::WriteFileAtomic(apart + "/shop.rck", "saved");
    c.Check(ReadText(apart + "/shop.rck") == "saved", "no save into " + apart);
    fs::remove(apart + "/shop.rck");
    ClearUnsettledFolders();
    return c.Failures;
}

}  // namespace

TEST(StockSafety, AFolderWhoseSaveCannotBeSettledIsRefusedUnderEveryNameItHas) {
    // One folder reached by a second name, by a link or by a bind mount (as
    // a container's volume is): marked under one name, it is refused under
    // the other, both ways round.
    testsupport::ScratchDir top;
    const std::string real = top.File("racks"), linked = top.File("linked"),
                      bound = top.File("bound"), apart = top.File("apart");
    for (const std::string& f : {real, bound, apart}) fs::create_directory(f);
    fs::create_directory_symlink(real, linked);
    EXPECT_EQ(UnsettledUnderEitherName(real, linked, apart), "");
    EXPECT_EQ(UnsettledUnderEitherName(linked, real, apart), "");
    const testsupport::ChildOutcome outcome = testsupport::InOwnMountNamespace([&] {
        testsupport::BindMount(real, bound);
        return UnsettledUnderEitherName(real, bound, apart) +
               UnsettledUnderEitherName(bound, real, apart);
    });
    if (outcome.Skipped) GTEST_SKIP() << outcome.Why;
    EXPECT_EQ(outcome.Failures, "");
}
