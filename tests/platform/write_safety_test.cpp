// Saves that must leave every file all old or all new, whatever stops them,
// and targets that are no regular files.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <thread>

#include "platform/folder_lock.h"
#include "platform/inifile.h"
#include "support/scratch.h"

namespace fs = std::filesystem;
using testsupport::ReadText;
using testsupport::WriteText;

namespace {


// Names in Folder that belong to unfinished saves (staged files, records).
std::vector<std::string> Leftovers(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder)) {
        const std::string n = e.path().filename().string();
        if (n.find(".tmp~") != std::string::npos || n.starts_with(".tessaly-commit~"))
            names.push_back(n);
    }
    return names;
}

struct StopScope {
    explicit StopScope(int n) { platform::TFileWriteGroup::StopAfterRenames = n; }
    ~StopScope() { platform::TFileWriteGroup::StopAfterRenames = -1; }
};

}  // namespace

// Three files in two folders, written as one group and stopped (as by a
// kill) after Stop renames: A is the group's first folder.
struct StoppedGroup {
    testsupport::ScratchDir a, b;
    std::vector<std::string> files;
    explicit StoppedGroup(int stop) {
        files = {a.File("stock.rck"), b.File("stock.txt"), a.File("parts.txt")};
        for (const auto& f : files) WriteText(f, "old " + f);
        StopScope scope(stop);
        platform::TFileWriteGroup group;
        for (const auto& f : files) platform::WriteFileAtomic(f, "new " + f);
        EXPECT_EQ(group.Commit().size(), static_cast<std::size_t>(stop));
    }
    std::string Record(const std::string& folder) const {
        for (const auto& e : fs::directory_iterator(folder))
            if (e.path().filename().string().starts_with(".tessaly-commit~"))
                return e.path().string();
        return "";
    }
    std::vector<std::string> Contents() const {
        std::vector<std::string> c;
        for (const auto& f : files) c.push_back(ReadText(f));
        return c;
    }
};

TEST(WriteGroupRecovery, AGroupStoppedAfterAnyRenameIsUndoneAtTheNextStart) {
    // From either folder first, and again at a later start: every file old,
    // nothing left behind. The process id in the records is this test's own,
    // alive: the folder lock, not the id, tells that no save goes on.
    for (int stop = 0; stop <= 3; ++stop) {
        for (int fromSecond = 0; fromSecond < 2; ++fromSecond) {
            SCOPED_TRACE("stop after " + std::to_string(stop) +
                         (fromSecond ? ", second folder first" : ""));
            StoppedGroup g(stop);
            for (int i = 0; i < 3; ++i)
                EXPECT_EQ(ReadText(g.files[i]), (i < stop ? "new " : "old ") + g.files[i]);
            std::size_t notes = 0;
            for (const auto& folder : fromSecond ? std::vector<std::string>{g.b.Path(), g.a.Path()}
                                                 : std::vector<std::string>{g.a.Path(), g.b.Path(),
                                                                            g.a.Path()}) {
                const platform::TRecovery r = platform::RecoverWriteGroups(folder);
                EXPECT_TRUE(r.Settled()) << ::testing::PrintToString(r.Refusals);
                notes += r.Notes.size();
                // A folder settled is all old at once.
                for (const auto& f : g.files) {
                    if (fs::path(f).parent_path() == fs::path(folder)) {
                        EXPECT_EQ(ReadText(f), "old " + f);
                    }
                }
            }
            EXPECT_EQ(notes, static_cast<std::size_t>(stop == 0 ? 0 : stop == 1 ? 1 : 2));
            for (const auto& f : g.files) EXPECT_EQ(ReadText(f), "old " + f);
            EXPECT_TRUE(Leftovers(g.a.Path()).empty()) << ::testing::PrintToString(Leftovers(g.a.Path()));
            EXPECT_TRUE(Leftovers(g.b.Path()).empty()) << ::testing::PrintToString(Leftovers(g.b.Path()));
        }
    }
}

TEST(WriteGroupRecovery, AGroupMadeFinalInItsFirstFolderKeepsItsNewFiles) {
    // Killed after the first folder's record went: the other folder keeps
    // the new files and only loses the leftovers.
    StoppedGroup g(3);
    fs::remove(g.Record(g.a.Path()));
    {
        // The first folder as an empty mount point while its disk is away:
        // no record there, and none of the save's files either.
        const std::string away = g.a.Path() + ".away";
        fs::rename(g.a.Path(), away);
        fs::create_directory(g.a.Path());
        const auto leftovers = Leftovers(g.b.Path());
        EXPECT_EQ(platform::RecoverWriteGroups(g.b.Path()).Refusals.size(), 1u);
        EXPECT_EQ(Leftovers(g.b.Path()), leftovers);
        fs::remove(g.a.Path());
        fs::rename(away, g.a.Path());
    }
    for (const auto& folder : {g.b.Path(), g.a.Path()})
        EXPECT_TRUE(platform::RecoverWriteGroups(folder).Settled());
    for (const auto& f : g.files) EXPECT_EQ(ReadText(f), "new " + f);
    // The first folder's old contents wait there as stale temporaries.
    EXPECT_TRUE(g.Record(g.a.Path()).empty());
    EXPECT_TRUE(Leftovers(g.b.Path()).empty()) << ::testing::PrintToString(Leftovers(g.b.Path()));
}

TEST(WriteGroupRecovery, ARecordOfAnyProcessIdIsSettledUnderTheLock) {
    // A record of pid 1 (alive: a kill inside a container, or a start after
    // a reboot, gives the id to another process) is settled like any other.
    testsupport::ScratchDir dir;
    WriteText(dir.File("stock.txt"), "old");
    {
        StopScope scope(1);
        platform::TFileWriteGroup group;
        platform::WriteFileAtomic(dir.File("stock.txt"), "new");
        group.Commit();
    }
    const std::string own = "~" + std::to_string(::getpid()) + "-";
    for (const auto& e : fs::directory_iterator(dir.Path())) {
        std::string n = e.path().filename().string();
        const std::size_t at = n.find(own);
        if (at == std::string::npos) continue;
        std::string text = ReadText(e.path());
        for (std::size_t p; (p = text.find(own)) != std::string::npos;) text.replace(p, own.size(), "~1-");
        fs::remove(e.path());
        WriteText(dir.File(n.replace(at, own.size(), "~1-")), text);
    }
    ASSERT_EQ(ReadText(dir.File("stock.txt")), "new");
    const platform::TRecovery r = platform::RecoverWriteGroups(dir.Path());
    EXPECT_TRUE(r.Settled()) << ::testing::PrintToString(r.Refusals);
    EXPECT_EQ(ReadText(dir.File("stock.txt")), "old");
    EXPECT_TRUE(Leftovers(dir.Path()).empty()) << ::testing::PrintToString(Leftovers(dir.Path()));
}

TEST(WriteGroupRecovery, ARecordThatCannotBeTrustedIsRefusedAndTouchesNothing) {
    // Each case leaves a group stopped after its first rename (stock.rck new,
    // parts.txt old), then spoils or replaces the first folder's record.
    testsupport::ScratchDir elsewhere;
    const std::string pid = std::to_string(::getpid());
    const std::string hdr = "TESSALY WRITE GROUP 2\n";
    const auto row = [](const std::string& tmp, const std::string& target) {
        return "R\t" + tmp + "\t" + target + "\t-\t3\t1\n";
    };
    struct Case {
        const char* name;
        std::function<std::string(const std::string&)> spoil;  // old text -> new text
    };
    const std::string far = elsewhere.File("c.txt");
    const std::vector<Case> cases = {
        {"END line gone", [](const std::string& t) { return t.substr(0, t.size() - 4); }},
        {"cut in half", [](const std::string& t) { return t.substr(0, t.size() / 2); }},
        {"zeroed", [](const std::string& t) { return std::string(t.size(), '\0'); }},
        {"random bytes", [](const std::string& t) {
             std::string r(t.size(), ' ');
             for (std::size_t i = 0; i < r.size(); ++i) r[i] = static_cast<char>((i * 131 + 7) % 256);
             return r;
         }},
        {"empty", [](const std::string&) { return std::string(); }},
        {"a file elsewhere", [&](const std::string&) {
             return hdr + row(far + ".tmp~" + pid + "-1", far) + "END\n";
         }},
        {"a path up and out", [&](const std::string&) {
             return hdr + row("../c.txt.tmp~" + pid + "-1", "../c.txt") + "END\n";
         }},
        {"a name in a subfolder", [&](const std::string&) {
             return hdr + row("V/c.txt.tmp~" + pid + "-1", "V/c.txt") + "END\n";
         }},
        {"a temporary not of its target", [&](const std::string&) {
             return hdr + row("parts.txt", "stock.rck") + "END\n";
         }},
        {"a temporary of another process", [&](const std::string&) {
             return hdr + row("stock.rck.tmp~1-1", "stock.rck") + "END\n";
         }},
        {"a file changed since", [](const std::string& t) { return t; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StoppedGroup g(1);
        WriteText(far, "far");
        const std::string record = g.Record(g.a.Path());
        ASSERT_FALSE(record.empty());
        WriteText(record, c.spoil(ReadText(record)));
        if (std::string(c.name) == "a file changed since") WriteText(g.files[0], "edited by hand");
        const auto before = g.Contents();
        const auto leftovers = Leftovers(g.a.Path());
        const platform::TRecovery r = platform::RecoverWriteGroups(g.a.Path());
        ASSERT_EQ(r.Refusals.size(), 1u);
        EXPECT_NE(r.Refusals[0].find(record), std::string::npos) << r.Refusals[0];
        EXPECT_EQ(g.Contents(), before);
        EXPECT_EQ(Leftovers(g.a.Path()), leftovers);
        EXPECT_EQ(ReadText(far), "far");
    }
}

TEST(WriteGroupRecovery, ARecordUnreadableOrUnsettledIsRefused) {
    // Not for root, who reads and writes whatever the permissions say.
    if (::geteuid() == 0) GTEST_SKIP() << "permissions do not bind root";
    for (const char* how : {"record mode 000", "folder read-only"}) {
        SCOPED_TRACE(how);
        StoppedGroup g(1);
        const auto before = g.Contents();
        const std::string record = g.Record(g.a.Path());
        const bool folder = std::string(how) == "folder read-only";
        fs::permissions(folder ? g.a.Path() : record,
                        folder ? fs::perms::owner_read | fs::perms::owner_exec : fs::perms::none);
        const platform::TRecovery r = platform::RecoverWriteGroups(g.a.Path());
        fs::permissions(folder ? g.a.Path() : record, fs::perms::owner_all);
        EXPECT_EQ(r.Refusals.size(), 1u);
        EXPECT_EQ(g.Contents(), before);
        EXPECT_TRUE(fs::exists(record));
    }
}

TEST(WriteGroupRecovery, AFolderMovedOrCopiedIsSettledWhereItIsNow) {
    for (const bool copy : {false, true}) {
        SCOPED_TRACE(copy ? "copied" : "moved");
        testsupport::ScratchDir top;
        const std::string job = top.File("job"), now = top.File("job2");
        fs::create_directory(job);
        WriteText(job + "/stock.txt", "old stock");
        WriteText(job + "/parts.txt", "old parts");
        {
            StopScope scope(1);
            platform::TFileWriteGroup group;
            platform::WriteFileAtomic(job + "/stock.txt", "new stock");
            platform::WriteFileAtomic(job + "/parts.txt", "new parts");
            group.Commit();
        }
        if (copy)
            fs::copy(job, now, fs::copy_options::recursive);
        else
            fs::rename(job, now);
        EXPECT_TRUE(platform::RecoverWriteGroups(now).Settled());
        EXPECT_EQ(ReadText(now + "/stock.txt"), "old stock");
        EXPECT_EQ(ReadText(now + "/parts.txt"), "old parts");
        EXPECT_TRUE(Leftovers(now).empty()) << ::testing::PrintToString(Leftovers(now));
        if (copy) {  // the original is left for its own next start
            EXPECT_EQ(ReadText(job + "/stock.txt"), "new stock");
            // Its record, one staged file and the two old contents.
            EXPECT_EQ(Leftovers(job).size(), 4u) << ::testing::PrintToString(Leftovers(job));
        }
    }
}

TEST(WriteGroupRecovery, AGroupWhoseOtherFolderIsNotThereIsRefused) {
    // The other folder gone, or an empty one in its place (a mount point
    // while its disk is away): each folder refuses, touching nothing, until
    // the other is back.
    for (const bool firstGone : {false, true})
        for (const bool emptyInPlace : {false, true}) {
            SCOPED_TRACE(std::string(firstGone ? "first" : "second") + " folder " +
                         (emptyInPlace ? "replaced by an empty one" : "gone"));
            StoppedGroup g(2);
            const std::string gone = firstGone ? g.a.Path() : g.b.Path();
            const std::string here = firstGone ? g.b.Path() : g.a.Path();
            const std::string moved = gone + ".away";
            fs::rename(gone, moved);
            if (emptyInPlace) fs::create_directory(gone);
            const auto leftovers = Leftovers(here);
            const auto contents = ReadText(firstGone ? g.files[1] : g.files[0]);
            const platform::TRecovery r = platform::RecoverWriteGroups(here);
            EXPECT_EQ(r.Refusals.size(), 1u);
            EXPECT_EQ(Leftovers(here), leftovers);
            EXPECT_EQ(ReadText(firstGone ? g.files[1] : g.files[0]), contents);
            if (emptyInPlace) fs::remove(gone);
            fs::rename(moved, gone);
            EXPECT_TRUE(platform::RecoverWriteGroups(g.b.Path()).Settled());
            EXPECT_TRUE(platform::RecoverWriteGroups(g.a.Path()).Settled());
            for (const auto& f : g.files) EXPECT_EQ(ReadText(f), "old " + f);
        }
}

TEST(WriteGroupRecovery, OneFolderReachedByTwoNamesHasOneRecord) {
    testsupport::ScratchDir top;
    const std::string real = top.File("job"), link = top.File("link");
    fs::create_directory(real);
    fs::create_directory_symlink(real, link);
    const std::vector<std::string> files = {real + "/a.txt", link + "/b.txt"};
    for (const auto& f : files) WriteText(f, "old");
    {
        StopScope scope(1);
        platform::TFileWriteGroup group;
        for (const auto& f : files) platform::WriteFileAtomic(f, "new");
        group.Commit();
    }
    int records = 0;
    for (const auto& n : Leftovers(real)) records += n.starts_with(".tessaly-commit~");
    EXPECT_EQ(records, 1);
    EXPECT_TRUE(platform::RecoverWriteGroups(link).Settled());
    for (const auto& f : files) EXPECT_EQ(ReadText(f), "old");
    EXPECT_TRUE(Leftovers(real).empty()) << ::testing::PrintToString(Leftovers(real));
}

TEST(WriteGroupCommit, ARenameRefusedPartWayPutsBackWhatWasRenamed) {
    // The third file's staged copy goes missing: its rename fails after the
    // two others were made, and those two are put back.
    testsupport::ScratchDir a;
    const std::vector<std::string> files = {a.File("x.rck"), a.File("y.prk"), a.File("z.txt")};
    for (const auto& f : {files[0], files[2]}) WriteText(f, "old");
    {
        platform::TFileWriteGroup group;
        for (const auto& f : files) platform::WriteFileAtomic(f, "new");
        for (const auto& e : fs::directory_iterator(a.Path()))
            if (e.path().filename().string().starts_with("z.txt.tmp~")) fs::remove(e.path());
        try {
            group.Commit();
            ADD_FAILURE() << "the commit went through";
        } catch (const platform::IniWriteError& e) {
            EXPECT_NE(std::string(e.what()).find("No file of its save was changed"),
                      std::string::npos)
                << e.what();
        }
    }
    EXPECT_EQ(ReadText(files[0]), "old");
    EXPECT_FALSE(fs::exists(files[1]));
    EXPECT_EQ(ReadText(files[2]), "old");
    EXPECT_TRUE(Leftovers(a.Path()).empty()) << ::testing::PrintToString(Leftovers(a.Path()));
}

TEST(WriteGroupRecovery, StagedFilesOfARecordAreNoStaleTemporaries) {
    // A killed process left its record and one staged file; a plain write of
    // another file of the folder, and one of that very target, must not take
    // the staged file for a stale temporary before the group is settled.
    testsupport::ScratchDir dir;
    WriteText(dir.File("stock.txt"), "old");
    WriteText(dir.File("other.txt"), "old");
    {
        StopScope scope(0);
        platform::TFileWriteGroup group;
        platform::WriteFileAtomic(dir.File("stock.txt"), "new");
        group.Commit();
    }
    const auto staged = Leftovers(dir.Path());
    platform::WriteFileAtomic(dir.File("other.txt"), "written meanwhile");
    EXPECT_EQ(Leftovers(dir.Path()), staged);
    EXPECT_TRUE(platform::RecoverWriteGroups(dir.Path()).Settled());
    EXPECT_EQ(ReadText(dir.File("stock.txt")), "old");
    EXPECT_TRUE(Leftovers(dir.Path()).empty());
}

TEST(WriteFileTargets, StaleTemporariesAreLookedForBesideTheFileALinkLeadsTo) {
    testsupport::ScratchDir here, there;
    const std::string dead = std::to_string(testsupport::EndedProcess());
    WriteText(there.File("real.sht"), "old");
    fs::create_symlink(there.File("real.sht"), here.File("link.sht"));
    const std::string stale = there.File("real.sht.tmp~" + dead + "-0");
    const std::string besideLink = here.File("real.sht.tmp~" + dead + "-0");
    WriteText(stale, "half");
    WriteText(besideLink, "not of this target's folder");
    platform::WriteFileAtomic(here.File("link.sht"), "new");
    EXPECT_FALSE(fs::exists(stale));
    EXPECT_TRUE(fs::exists(besideLink));
    EXPECT_TRUE(fs::is_symlink(here.File("link.sht")));
    EXPECT_EQ(ReadText(there.File("real.sht")), "new");
}

TEST(WriteFileTargets, APipeIsWrittenInPlaceOrRefusedNeverReplaced) {
    testsupport::ScratchDir dir;
    const std::string fifo = dir.File("report.fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // Nobody reads it: refused at once, no wait.
    EXPECT_THROW(platform::WriteFileAtomic(fifo, "report"), platform::IniWriteError);
    EXPECT_TRUE(fs::is_fifo(fifo));
    // A reader: the text goes through the pipe.
    const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    {
        platform::TFileWriteGroup group;  // a pipe cannot wait for a rename
        platform::WriteFileAtomic(fifo, "report");
    }
    char buf[16] = {};
    EXPECT_EQ(::read(reader, buf, sizeof buf), 6);
    EXPECT_EQ(std::string(buf), "report");
    ::close(reader);
    EXPECT_TRUE(fs::is_fifo(fifo));
    EXPECT_TRUE(Leftovers(dir.Path()).empty());
    // A folder is refused.
    fs::create_directory(dir.File("folder"));
    EXPECT_THROW(platform::WriteFileAtomic(dir.File("folder"), "x"), platform::IniWriteError);
    EXPECT_TRUE(fs::is_directory(dir.File("folder")));
    EXPECT_FALSE(platform::IsRegularFileOrAbsent(fifo));
    EXPECT_TRUE(platform::IsRegularFileOrAbsent(dir.File("none")));
    // A pipe reached through /proc/self/fd, as /dev/stdout of a program in
    // a pipeline: its link names no path ("pipe:[...]").
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    const std::string end = "/proc/self/fd/" + std::to_string(ends[1]);
    EXPECT_FALSE(platform::IsRegularFileOrAbsent(end));
    platform::WriteFileAtomic(end, "piped");
    char piped[16] = {};
    EXPECT_EQ(::read(ends[0], piped, sizeof piped), 5);
    EXPECT_EQ(std::string(piped), "piped");
    ::close(ends[0]);
    ::close(ends[1]);
}

TEST(WriteFileTargets, ALinkToACharacterDeviceLeavesBothAsTheyAre) {
    if (::geteuid() != 0) GTEST_SKIP() << "making a device node needs root";
    testsupport::ScratchDir dir;
    const std::string dev = dir.File("null");
    ASSERT_EQ(::mknod(dev.c_str(), S_IFCHR | 0666, ::makedev(1, 3)), 0);  // as /dev/null
    fs::create_symlink(dev, dir.File("out"));
    platform::WriteFileAtomic(dir.File("out"), "report");
    EXPECT_TRUE(fs::is_symlink(dir.File("out")));
    EXPECT_TRUE(fs::is_character_file(dev));
    EXPECT_FALSE(platform::IsRegularFileOrAbsent(dir.File("out")));
    EXPECT_TRUE(Leftovers(dir.Path()).empty());
}

TEST(FolderLock, AFolderHeldElsewhereIsWaitedForThenRefusedNamingIt) {
    testsupport::ScratchDir dir;
    const int other = ::open(dir.Path().c_str(), O_RDONLY | O_DIRECTORY);  // another holder
    ASSERT_EQ(::flock(other, LOCK_EX), 0);
    const int wait = platform::FolderLockWaitMs.exchange(50);
    {
        platform::TFolderLock lock;
        std::string error;
        EXPECT_FALSE(lock.Acquire({dir.Path()}, error));
        EXPECT_NE(error.find("\"" + platform::WriteFolderOf(dir.File("x")) + "\""),
                  std::string::npos)
            << error;
        EXPECT_FALSE(lock.Held());
    }
    // Given back while a second one waits: that one gets it.
    platform::FolderLockWaitMs = 60000;
    std::thread release([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        ::flock(other, LOCK_UN);
    });
    platform::TFolderLock lock;
    std::string error;
    EXPECT_TRUE(lock.Acquire({dir.Path(), dir.Path() + "/."}, error)) << error;
    release.join();
    // Held by this process: another lock of it in this process counts as taken.
    platform::TFolderLock inner;
    EXPECT_TRUE(inner.Acquire({dir.Path()}, error));
    inner.Release();
    EXPECT_NE(::flock(other, LOCK_EX | LOCK_NB), 0);  // still held by the first
    lock.Release();
    EXPECT_EQ(::flock(other, LOCK_EX | LOCK_NB), 0);
    ::close(other);
    platform::FolderLockWaitMs = wait;
}

TEST(WriteGroupRecovery, ARecordOfASaveGoingOnIsWaitedForNotTakenForDamage) {
    // Another program holds the folder while its save ends: the records seen
    // before the lock was given are gone once it is, and nothing is refused.
    platform::FolderLockWaitMs = 5000;
    StoppedGroup g(3);
    const std::string folder = g.a.Path();
    const int other = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_EQ(::flock(other, LOCK_EX), 0);
    platform::TRecovery r;
    std::thread recovery([&] { r = platform::RecoverWriteGroups(folder); });
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    for (const std::string& n : Leftovers(folder)) fs::remove(fs::path(folder) / n);  // its save ends
    ::flock(other, LOCK_UN);
    ::close(other);
    recovery.join();
    EXPECT_TRUE(r.Settled()) << ::testing::PrintToString(r.Refusals);
    EXPECT_TRUE(r.Notes.empty());
}
