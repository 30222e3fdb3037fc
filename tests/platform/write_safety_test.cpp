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

TEST(WriteGroupRecovery, AGroupStoppedAfterAnyRenameIsFinishedAtTheNextStart) {
    // Three files in two folders, stopped after 0 to 3 renames: the next
    // start, from either folder, makes them all new.
    for (int stop = 0; stop <= 3; ++stop) {
        for (int fromSecond = 0; fromSecond < 2; ++fromSecond) {
            SCOPED_TRACE("stop after " + std::to_string(stop) +
                         (fromSecond ? ", second folder" : ""));
            testsupport::ScratchDir a, b;
            const std::vector<std::string> files = {a.File("stock.rck"), b.File("stock.txt"),
                                                    a.File("parts.txt")};
            for (const auto& f : files) WriteText(f, "old " + f);
            {
                StopScope scope(stop);
                platform::TFileWriteGroup group;
                for (const auto& f : files) platform::WriteFileAtomic(f, "new " + f);
                EXPECT_EQ(group.Commit().size(), static_cast<std::size_t>(stop));
            }
            for (int i = 0; i < 3; ++i)
                EXPECT_EQ(ReadText(files[i]), (i < stop ? "new " : "old ") + files[i]);
            const auto notes = platform::RecoverWriteGroups(fromSecond ? b.Path() : a.Path());
            EXPECT_EQ(notes.size(), stop < 3 ? 1u : 0u);
            for (const auto& f : files) EXPECT_EQ(ReadText(f), "new " + f);
            EXPECT_TRUE(Leftovers(a.Path()).empty())
                << ::testing::PrintToString(Leftovers(a.Path()));
            EXPECT_TRUE(Leftovers(b.Path()).empty())
                << ::testing::PrintToString(Leftovers(b.Path()));
        }
    }
}

TEST(WriteGroupRecovery, AGroupWhoseRecordIsNotCompleteIsUndone) {
    // Stopped before its first rename with its record cut short (or one of
    // its copies missing): every file stays old and the staged files go.
    for (int cut = 0; cut < 2; ++cut) {
        SCOPED_TRACE(cut ? "a record copy missing" : "record cut short");
        testsupport::ScratchDir a, b;
        const std::vector<std::string> files = {a.File("x.rck"), b.File("y.txt")};
        for (const auto& f : files) WriteText(f, "old");
        {
            StopScope scope(0);
            platform::TFileWriteGroup group;
            for (const auto& f : files) platform::WriteFileAtomic(f, "new");
            group.Commit();
        }
        for (const auto& e : fs::directory_iterator(a.Path())) {
            const std::string n = e.path().filename().string();
            if (!n.starts_with(".tessaly-commit~")) continue;
            if (cut) {
                fs::remove(b.File(n));
            } else {
                const std::string text = ReadText(e.path());
                WriteText(e.path(), text.substr(0, text.size() - 4));  // without "END\n"
            }
        }
        platform::RecoverWriteGroups(a.Path());
        platform::RecoverWriteGroups(b.Path());
        for (const auto& f : files) EXPECT_EQ(ReadText(f), "old");
        EXPECT_TRUE(Leftovers(a.Path()).empty()) << ::testing::PrintToString(Leftovers(a.Path()));
        EXPECT_TRUE(Leftovers(b.Path()).empty()) << ::testing::PrintToString(Leftovers(b.Path()));
    }
}

TEST(WriteGroupRecovery, StagedFilesOfACompleteRecordAreNoStaleTemporaries) {
    // A killed process left its record and one staged file; a plain write of
    // another file of the folder, and one of that very target, must not take
    // the staged file for a stale temporary before the group is finished.
    testsupport::ScratchDir dir;
    const std::string dead = std::to_string(testsupport::EndedProcess());
    const std::string staged = dir.File("stock.txt.tmp~" + dead + "-0");
    WriteText(dir.File("stock.txt"), "old");
    WriteText(staged, "new");
    WriteText(dir.File(".tessaly-commit~" + dead + "-0"),
              "TESSALY WRITE GROUP 1\nC\t" + dir.File(".tessaly-commit~" + dead + "-0") + "\nR\t" +
                  staged + "\t" + dir.File("stock.txt") + "\nEND\n");
    platform::WriteFileAtomic(dir.File("stock.txt"), "written meanwhile");
    EXPECT_TRUE(fs::exists(staged));
    platform::RecoverWriteGroups(dir.Path());
    EXPECT_EQ(ReadText(dir.File("stock.txt")), "new");
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
