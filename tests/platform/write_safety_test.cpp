// Saves that must leave every file all old or all new, whatever stops them,
// and targets that are no regular files.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/file.h>
#include <sys/inotify.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <thread>

#include "platform/folder_lock.h"
#include "platform/inifile.h"
#include "support/leftovers.h"
#include "support/own_mounts.h"
#include "support/scratch.h"

namespace fs = std::filesystem;
using testsupport::Leftovers;
using testsupport::ReadText;
using testsupport::WriteText;

namespace {

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
    // Gives the first folder's record its final name, as the commit does
    // at its commit point.
    void MakeFinal() const {
        const std::string record = Record(a.Path());
        fs::rename(record, record + ".final");
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

TEST(WriteGroupRecovery, AGroupMadeFinalKeepsItsNewFilesWhicheverFolderIsSettledFirst) {
    // Stopped just after the commit point: the first folder's record has its
    // final name. It stays until the other folder holds none of the save's.
    for (const bool firstFolderFirst : {true, false}) {
        SCOPED_TRACE(firstFolderFirst ? "first folder first" : "second folder first");
        StoppedGroup g(3);
        g.MakeFinal();
        const std::vector<std::string> order =
            firstFolderFirst ? std::vector<std::string>{g.a.Path(), g.b.Path(), g.a.Path()}
                             : std::vector<std::string>{g.b.Path(), g.a.Path()};
        for (std::size_t i = 0; i < order.size(); ++i) {
            const platform::TRecovery r = platform::RecoverWriteGroups(order[i]);
            EXPECT_TRUE(r.Settled()) << ::testing::PrintToString(r.Refusals);
            EXPECT_TRUE(r.Notes.empty()) << ::testing::PrintToString(r.Notes);
            if (firstFolderFirst && i == 0) {
                EXPECT_FALSE(g.Record(g.a.Path()).empty());  // asked by the second folder yet
            }
        }
        for (const auto& f : g.files) EXPECT_EQ(ReadText(f), "new " + f);
        EXPECT_TRUE(Leftovers(g.a.Path()).empty()) << ::testing::PrintToString(Leftovers(g.a.Path()));
        EXPECT_TRUE(Leftovers(g.b.Path()).empty()) << ::testing::PrintToString(Leftovers(g.b.Path()));
    }
}

TEST(WriteGroupRecovery, ASecondFolderAsksItsFirstFoldersRecordWhetherTheSaveWasMadeFinal) {
    // Every file renamed, the save stopped before or after its commit point;
    // then the first folder is changed as disks and users change folders.
    // The second folder decides by the first one's record alone: device and
    // inode numbers, and whether the first folder was taken apart, do not
    // count.
    enum class Outcome { Kept, Undone, Refused };
    struct Case {
        const char* name;
        bool final;
        std::function<void(StoppedGroup&)> change;
        Outcome outcome;
        const char* note;  // in the note of an undo
    };
    const auto away = [](StoppedGroup& g) { return g.a.Path() + ".away"; };
    const std::vector<Case> cases = {
        {"made final", true, [](StoppedGroup&) {}, Outcome::Kept, ""},
        {"not made final", false, [](StoppedGroup&) {}, Outcome::Undone, ""},
        {"first folder settled first", false,
         [](StoppedGroup& g) { EXPECT_TRUE(platform::RecoverWriteGroups(g.a.Path()).Settled()); },
         Outcome::Undone, ""},
        {"first folder restored from a copy made before the save", true,
         [](StoppedGroup& g) {
             fs::remove_all(g.a.Path());  // its inode may well come back
             fs::create_directory(g.a.Path());
             for (const auto& f : {g.files[0], g.files[2]}) WriteText(f, "old " + f);
         },
         Outcome::Undone, ""},
        {"first folder deleted", false, [](StoppedGroup& g) { fs::remove_all(g.a.Path()); },
         Outcome::Undone, "is no longer there"},
        {"first folder mounted again from another device", true,
         [&](StoppedGroup& g) {
             // Copied to another file system (/dev/shm where there is one)
             // and reached by its old name.
             const fs::path other = fs::exists("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
             const std::string moved = (other / ("tessaly_moved_" + std::to_string(::getpid()))).string();
             fs::remove_all(moved);
             fs::copy(g.a.Path(), moved, fs::copy_options::recursive);
             fs::remove_all(g.a.Path());
             fs::create_directory_symlink(moved, g.a.Path());
         },
         Outcome::Kept, ""},
        {"first folder's disk not mounted (an empty folder in its place)", true,
         [&](StoppedGroup& g) {
             fs::rename(g.a.Path(), away(g));
             fs::create_directory(g.a.Path());
         },
         Outcome::Refused, ""},
        {"first folder's disk not mounted (the folder gone with it)", true,
         [&](StoppedGroup& g) {
             // As if the first folder had been on a disk mounted at a
             // place where nothing is mounted now.
             const std::string record = g.Record(g.b.Path());
             std::string text = ReadText(record);
             const std::size_t p = text.find("\nP\t") + 1, tab = text.find('\t', p + 2);
             text.replace(tab + 1, text.find('\n', tab) - tab - 1, g.a.Path() + ".disk");
             WriteText(record, text);
             fs::rename(g.a.Path(), away(g));
         },
         Outcome::Refused, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StoppedGroup g(3);
        if (c.final) g.MakeFinal();
        c.change(g);
        const std::string stock = ReadText(g.files[1]);
        const auto leftovers = Leftovers(g.b.Path());
        const platform::TRecovery r = platform::RecoverWriteGroups(g.b.Path());
        if (c.outcome == Outcome::Refused) {
            ASSERT_EQ(r.Refusals.size(), 1u);
            EXPECT_NE(r.Refusals[0].find("make it reachable again"), std::string::npos) << r.Refusals[0];
            EXPECT_EQ(ReadText(g.files[1]), stock);
            EXPECT_EQ(Leftovers(g.b.Path()), leftovers);
            if (fs::exists(g.a.Path())) fs::remove(g.a.Path());
            fs::rename(away(g), g.a.Path());  // mounted again: both settle, made final
            EXPECT_TRUE(platform::RecoverWriteGroups(g.b.Path()).Settled());
            EXPECT_TRUE(platform::RecoverWriteGroups(g.a.Path()).Settled());
            for (const auto& f : g.files) EXPECT_EQ(ReadText(f), "new " + f);
            continue;
        }
        EXPECT_TRUE(r.Settled()) << ::testing::PrintToString(r.Refusals);
        const bool kept = c.outcome == Outcome::Kept;
        EXPECT_EQ(ReadText(g.files[1]), (kept ? "new " : "old ") + g.files[1]);
        EXPECT_TRUE(Leftovers(g.b.Path()).empty()) << ::testing::PrintToString(Leftovers(g.b.Path()));
        EXPECT_EQ(r.Notes.size(), kept ? 0u : 1u) << ::testing::PrintToString(r.Notes);
        if (!kept && !r.Notes.empty()) {
            EXPECT_NE(r.Notes[0].find(c.note), std::string::npos) << r.Notes[0];
        }
        // The first folder, where it is there, comes out the same way.
        if (fs::exists(g.a.Path())) {
            EXPECT_TRUE(platform::RecoverWriteGroups(g.a.Path()).Settled());
            for (const auto& f : {g.files[0], g.files[2]})
                EXPECT_EQ(ReadText(f), (kept ? "new " : "old ") + f);
            EXPECT_TRUE(Leftovers(g.a.Path()).empty()) << ::testing::PrintToString(Leftovers(g.a.Path()));
        }
        if (fs::is_symlink(g.a.Path())) {
            const fs::path moved = fs::read_symlink(g.a.Path());
            fs::remove(g.a.Path());
            fs::remove_all(moved);
        }
    }
}

TEST(WriteGroupRecovery, TheFirstFolderSettlesWithoutItsOtherFolders) {
    // Made final, its record stays while the other folder is away, and goes
    // once that folder is known deleted, the note saying what was kept.
    {
        StoppedGroup g(3);
        g.MakeFinal();
        const std::string moved = g.b.Path() + ".away";
        fs::rename(g.b.Path(), moved);
        fs::create_directory(g.b.Path());  // its disk not mounted
        EXPECT_TRUE(platform::RecoverWriteGroups(g.a.Path()).Settled());
        EXPECT_FALSE(g.Record(g.a.Path()).empty());
        fs::remove(g.b.Path());
        fs::remove_all(moved);  // deleted
        const platform::TRecovery r = platform::RecoverWriteGroups(g.a.Path());
        EXPECT_TRUE(r.Settled()) << ::testing::PrintToString(r.Refusals);
        ASSERT_EQ(r.Notes.size(), 1u);
        EXPECT_NE(r.Notes[0].find("keeps its files in \"" + g.a.Path() + "\""), std::string::npos)
            << r.Notes[0];
        EXPECT_TRUE(Leftovers(g.a.Path()).empty()) << ::testing::PrintToString(Leftovers(g.a.Path()));
        for (const auto& f : {g.files[0], g.files[2]}) EXPECT_EQ(ReadText(f), "new " + f);
    }
    // Stopped before its commit point, the save is undone in its first
    // folder whether or not the other one is there; the other one, back
    // later, finds no record there and is undone too.
    for (const bool emptyInPlace : {false, true}) {
        SCOPED_TRACE(emptyInPlace ? "an empty folder in place of the second" : "second folder away");
        StoppedGroup g(2);
        const std::string moved = g.b.Path() + ".away";
        fs::rename(g.b.Path(), moved);
        if (emptyInPlace) fs::create_directory(g.b.Path());
        const platform::TRecovery r = platform::RecoverWriteGroups(g.a.Path());
        EXPECT_TRUE(r.Settled()) << ::testing::PrintToString(r.Refusals);
        EXPECT_TRUE(Leftovers(g.a.Path()).empty()) << ::testing::PrintToString(Leftovers(g.a.Path()));
        if (emptyInPlace) fs::remove(g.b.Path());
        fs::rename(moved, g.b.Path());
        EXPECT_TRUE(platform::RecoverWriteGroups(g.b.Path()).Settled());
        for (const auto& f : g.files) EXPECT_EQ(ReadText(f), "old " + f);
        EXPECT_TRUE(Leftovers(g.b.Path()).empty()) << ::testing::PrintToString(Leftovers(g.b.Path()));
    }
}

TEST(WriteGroupRecovery, TheNoteOfAnUndoSaysWhatWasPutBackAndWhatWasRemoved) {
    testsupport::ScratchDir dir;
    WriteText(dir.File("stock.txt"), "old");
    {
        StopScope scope(2);
        platform::TFileWriteGroup group;
        platform::WriteFileAtomic(dir.File("stock.txt"), "new");
        platform::WriteFileAtomic(dir.File("left.txt"), "made by the save");
        group.Commit();
    }
    const platform::TRecovery r = platform::RecoverWriteGroups(dir.Path());
    ASSERT_EQ(r.Notes.size(), 1u);
    EXPECT_EQ(r.Notes[0], "A save that was stopped part way was undone: \"" + dir.File("stock.txt") +
                              "\" holds its contents from before it again; \"" +
                              dir.File("left.txt") + "\", which it had made, was removed.");
    EXPECT_EQ(ReadText(dir.File("stock.txt")), "old");
    EXPECT_FALSE(fs::exists(dir.File("left.txt")));
}

TEST(WriteGroupRecovery, ARecordThatCannotBeTrustedIsRefusedAndTouchesNothing) {
    // Each case leaves a group stopped after its first rename (stock.rck new,
    // parts.txt old), then spoils or replaces the first folder's record.
    testsupport::ScratchDir elsewhere;
    // Each spoiled record keeps the identity of the save it names, so that
    // only what it says is wrong.
    std::string id;
    const auto hdr = [&] { return "TESSALY WRITE GROUP 3\nI\t" + id + "\n"; };
    const std::string otherSave(32, 'b');
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
             return hdr() + row(far + ".tmp~" + id + "-1", far) + "END\n";
         }},
        {"a path up and out", [&](const std::string&) {
             return hdr() + row("../c.txt.tmp~" + id + "-1", "../c.txt") + "END\n";
         }},
        {"a name in a subfolder", [&](const std::string&) {
             return hdr() + row("V/c.txt.tmp~" + id + "-1", "V/c.txt") + "END\n";
         }},
        {"a temporary not of its target", [&](const std::string&) {
             return hdr() + row("parts.txt", "stock.rck") + "END\n";
         }},
        {"a temporary of another save", [&](const std::string&) {
             return hdr() + row("stock.rck.tmp~" + otherSave + "-1", "stock.rck") + "END\n";
         }},
        {"the identity of another save", [&](const std::string& t) {
             std::string r = t;
             r.replace(r.find(id), id.size(), otherSave);
             return r;
         }},
        {"its first folder named by a record of an earlier build's form", [&](const std::string& t) {
             std::string r = t;
             r.insert(r.find("R\t"), "P\t" + elsewhere.Path() + "\t1:2\n");
             return r;
         }},
        {"a file changed since", [](const std::string& t) { return t; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StoppedGroup g(1);
        WriteText(far, "far");
        const std::string record = g.Record(g.a.Path());
        ASSERT_FALSE(record.empty());
        id = record.substr(record.find('~') + 1);
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

TEST(WriteGroupRecovery, OneFolderReachedByTwoNamesHasOneRecord) {
    // By a link, and (where this process may mount) by a bind mount, as a
    // container's volume is seen under two paths.
    for (const bool bind : {false, true}) {
        SCOPED_TRACE(bind ? "bind mount" : "symbolic link");
        testsupport::ScratchDir top;
        const std::string real = top.File("job"), other = top.File("other");
        fs::create_directory(real);
        const std::vector<std::string> files = {real + "/a.txt", other + "/b.txt"};
        for (const auto& f : {real + "/a.txt", real + "/b.txt"}) WriteText(f, "old");
        const auto save = [&] {
            StopScope scope(1);
            platform::TFileWriteGroup group;
            for (const auto& f : files) platform::WriteFileAtomic(f, "new");
            group.Commit();
            int records = 0;
            for (const auto& n : Leftovers(real)) records += n.starts_with(".tessaly-commit~");
            return records;
        };
        if (!bind) {
            fs::create_directory_symlink(real, other);
            EXPECT_EQ(save(), 1);
        } else {
            if (::geteuid() != 0) GTEST_SKIP() << "a bind mount needs root";
            // In a child of its own mount namespace, so the mount goes with it.
            fs::create_directory(other);
            const pid_t child = ::fork();
            if (child == 0) {
                if (::unshare(CLONE_NEWNS) != 0 ||
                    ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
                    ::mount(real.c_str(), other.c_str(), nullptr, MS_BIND, nullptr) != 0)
                    ::_exit(77);
                int records = 99;
                try {
                    records = save();
                } catch (...) {
                }
                ::_exit(records);
            }
            int status = 0;
            ::waitpid(child, &status, 0);
            ASSERT_TRUE(WIFEXITED(status));
            if (WEXITSTATUS(status) == 77) GTEST_SKIP() << "no bind mount here";
            EXPECT_EQ(WEXITSTATUS(status), 1);
        }
        EXPECT_TRUE(platform::RecoverWriteGroups(real).Settled());
        for (const auto& f : {real + "/a.txt", real + "/b.txt"}) EXPECT_EQ(ReadText(f), "old");
        EXPECT_TRUE(Leftovers(real).empty()) << ::testing::PrintToString(Leftovers(real));
    }
}

TEST(WriteGroupCommit, ACommitFailingAtAnyCallSaysWhatTheNextStartKeeps) {
    // Each file-system call of a commit over two folders fails in turn. A
    // commit that returns has made the save final: the next start keeps it,
    // whatever failed after that point (a warning says so). One that throws
    // has not: the next start finds every file as it was.
    testsupport::CaptureSink messages;
    int returned = 0, thrown = 0;
    for (int call = 0; call < 40; ++call) {
        SCOPED_TRACE("call " + std::to_string(call) + " fails");
        testsupport::ScratchDir a, b;
        const std::vector<std::string> files = {a.File("stock.rck"), b.File("stock.txt"),
                                                a.File("parts.txt")};
        for (const auto& f : {files[0], files[1]}) WriteText(f, "old " + f);
        bool made = false;
        platform::TFileWriteGroup::FailCall = call;
        try {
            platform::TFileWriteGroup group;
            for (const auto& f : files) platform::WriteFileAtomic(f, "new " + f);
            made = group.Commit().size() == files.size();
            ++returned;
        } catch (const platform::IniWriteError& e) {
            ++thrown;
            const std::string what = e.what();
            EXPECT_TRUE(what.find("No file of its save was changed") != std::string::npos ||
                        what.find("the next start in their folder puts back") != std::string::npos)
                << what;
        }
        platform::TFileWriteGroup::FailCall = -1;
        // While the second folder holds a record, it keeps its old contents:
        // it can still be undone should the first folder be put back from a
        // copy made before the save.
        bool record = false, backup = false;
        for (const auto& n : Leftovers(b.Path())) (n.starts_with(".tessaly-commit~") ? record : backup) = true;
        EXPECT_TRUE(!record || backup);
        for (const auto& folder : {a.Path(), b.Path(), a.Path(), b.Path()})
            EXPECT_TRUE(platform::RecoverWriteGroups(folder).Settled());
        for (const auto& f : {files[0], files[1]})
            EXPECT_EQ(ReadText(f), (made ? "new " : "old ") + f);
        EXPECT_EQ(fs::exists(files[2]), made);
        EXPECT_TRUE(Leftovers(a.Path()).empty()) << ::testing::PrintToString(Leftovers(a.Path()));
        EXPECT_TRUE(Leftovers(b.Path()).empty()) << ::testing::PrintToString(Leftovers(b.Path()));
    }
    EXPECT_GT(thrown, 10);
    EXPECT_GT(returned, 1);
    // The commit point's flush failing is the one failure after it that is
    // worth a word: a power cut may still undo the save.
    bool warned = false;
    for (const auto& w : messages.Warnings) warned = warned || w.find("a power cut") != std::string::npos;
    EXPECT_TRUE(warned);
}

TEST(WriteFileTargets, LeftoversAreClearedByWhoeverHoldsTheFolderWhateverProcessMadeThem) {
    // Temporaries of killed writes carry a save's identity, whichever
    // process made them (its id may be alive again: pid 1 in a container, a
    // parent): whoever holds the folder clears them. What a save going on
    // still needs is left: the staged file of a group of this process, and
    // everything while another program holds the folder. Names of an earlier
    // build's form ("<pid>-<n>") may be a user's own files and stay.
    testsupport::ScratchDir dir;
    const std::string id(32, 'a');
    const std::vector<std::string> stale = {"list.sht.tmp~" + std::string(32, 'c') + "-0",
                                            "list.sht.tmp~" + std::string(32, '0') + "-3",
                                            "other.rck.tmp~" + id + "-0"};
    const std::vector<std::string> kept = {
        "list.sht.tmp~1-x", "list.sht.tmp~", "list.sht.tmp~" + id,
        "list.sht.tmp~" + std::to_string(testsupport::EndedProcess()) + "-0",
        "list.sht.tmp~" + std::to_string(::getppid()) + "-3", "list.sht.tmp~1-17"};
    for (const auto& name : stale) WriteText(dir.File(name), "half");
    for (const auto& name : kept) WriteText(dir.File(name), "other");
    // Another program holds the folder: nothing is touched, and no wait.
    const int other = ::open(dir.Path().c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_EQ(::flock(other, LOCK_EX), 0);
    EXPECT_TRUE(platform::RecoverWriteGroups(dir.Path()).Settled());
    for (const auto& name : stale) EXPECT_TRUE(fs::exists(dir.File(name))) << name;
    ::close(other);
    // This thread's group has a file staged while another thread writes.
    platform::TFileWriteGroup group;
    platform::WriteFileAtomic(dir.File("rack.rck"), "staged");
    std::thread([&] { platform::WriteFileAtomic(dir.File("list.sht"), "[SHEET1]\r\n"); }).join();
    for (const auto& name : stale) EXPECT_FALSE(fs::exists(dir.File(name))) << name;
    for (const auto& name : kept) EXPECT_TRUE(fs::exists(dir.File(name))) << name;
    EXPECT_EQ(ReadText(dir.File("list.sht")), "[SHEET1]\r\n");
    group.Commit();
    EXPECT_EQ(ReadText(dir.File("rack.rck")), "staged");
}

TEST(WriteGroupCommit, ARenameRefusedPartWayPutsBackWhatWasRenamed) {
    // The third file's rename into place fails after the two others were
    // made: the one it replaced gets its old contents back, the one it made
    // goes.
    testsupport::ScratchDir a;
    const std::vector<std::string> files = {a.File("x.rck"), a.File("y.prk"), a.File("z.txt")};
    for (const auto& f : {files[0], files[2]}) WriteText(f, "old");
    struct Hook {
        Hook() {
            platform::TFileWriteGroup::CallHook = [](const std::string& call) {
                return call == "rename z.txt";
            };
        }
        ~Hook() { platform::TFileWriteGroup::CallHook = nullptr; }
    } hook;
    {
        platform::TFileWriteGroup group;
        for (const auto& f : files) platform::WriteFileAtomic(f, "new");
        try {
            group.Commit();
            ADD_FAILURE() << "the commit went through";
        } catch (const platform::IniWriteError& e) {
            EXPECT_EQ(std::string(e.what()),
                      "Cannot write file \"" + files[2] +
                          "\": it could not be renamed into place (" + std::strerror(EIO) +
                          "). No file of its save was changed.");
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
    const std::string dead(32, 'd');  // the identity of a save no longer going on
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

TEST(WriteGroupCommit, ATargetMountedOverIsRefusedBeforeAnyFileIsRenamed) {
    // A file mounted over a target (as a container's volume is) cannot be
    // renamed over. The commit finds it before its first rename: no file of
    // the save is put in place even for a moment, and nothing changes. The
    // mounted target comes after another file, in its folder or in a second.
    for (const bool secondFolder : {false, true}) {
        SCOPED_TRACE(secondFolder ? "in a second folder" : "in the first folder");
        testsupport::ScratchDir a, b, volume;
        const std::string rack = a.File("stock.rck");
        const std::string stock = (secondFolder ? b : a).File("stock.txt");
        WriteText(rack, "old rack");
        WriteText(stock, "old stock");
        WriteText(volume.File("stock.txt"), "the volume's");
        const testsupport::ChildOutcome outcome = testsupport::InOwnMountNamespace([&] {
            testsupport::ChildChecks c;
            testsupport::BindMount(volume.File("stock.txt"), stock);
            std::string error;
            // Every rename into either folder from the commit on is seen.
            const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
            c.Check(watch >= 0, "no inotify here");
            {
                platform::TFileWriteGroup group;
                platform::WriteFileAtomic(rack, "new rack");
                platform::WriteFileAtomic(stock, "new stock");
                for (const std::string& folder : {a.Path(), b.Path()})
                    ::inotify_add_watch(watch, folder.c_str(), IN_MOVED_TO);
                try {
                    group.Commit();
                } catch (const platform::IniWriteError& e) {
                    error = e.what();
                }
            }
            c.Check(error.find("\"" + stock + "\"") != std::string::npos &&
                        error.find("mounted where it stands") != std::string::npos &&
                        error.find("No file of its save was changed") != std::string::npos,
                    "the commit's refusal: \"" + error + "\"");
            std::string renamed;
            alignas(inotify_event) char events[4096];
            for (ssize_t n; (n = ::read(watch, events, sizeof events)) > 0;)
                for (ssize_t at = 0; at < n;) {
                    const auto* e = reinterpret_cast<const inotify_event*>(events + at);
                    const std::string name = e->len ? e->name : "";
                    if (name == "stock.rck" || name == "stock.txt") renamed += " " + name;
                    at += static_cast<ssize_t>(sizeof(inotify_event) + e->len);
                }
            ::close(watch);
            c.Check(renamed.empty(), "renamed into place meanwhile:" + renamed);
            c.Check(ReadText(rack) == "old rack", "the rack holds \"" + ReadText(rack) + "\"");
            c.Check(ReadText(stock) == "the volume's",
                    "the volume holds \"" + ReadText(stock) + "\"");
            for (const std::string& folder : {a.Path(), b.Path()})
                c.Check(Leftovers(folder).empty(),
                        "left in " + folder + ": " + ::testing::PrintToString(Leftovers(folder)));
            return c.Failures;
        });
        if (outcome.Skipped) GTEST_SKIP() << outcome.Why;
        EXPECT_EQ(outcome.Failures, "");
        EXPECT_EQ(ReadText(rack), "old rack");
        EXPECT_EQ(ReadText(stock), "old stock");
        EXPECT_EQ(ReadText(volume.File("stock.txt")), "the volume's");
    }
}

TEST(FolderLock, ARefusedRequestGivesBackWhatItTookAndKeepsWhatWasHeld) {
    // A lock holds A and asks for more; another program holds one folder of
    // the request. The refusal gives back the folder the request had taken
    // before it, and A stays held as it was before the request.
    testsupport::ScratchDir a, b, c;
    // Folders are taken in the order of their keys: the one held elsewhere
    // comes last, so that the other one is taken before the refusal.
    std::string taken = b.Path(), busy = c.Path();
    if (platform::FolderKeyOf(busy) < platform::FolderKeyOf(taken)) std::swap(taken, busy);
    const auto heldElsewhere = [](const std::string& folder) {
        const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
        const bool held = ::flock(fd, LOCK_EX | LOCK_NB) != 0;
        ::close(fd);
        return held;
    };
    const int other = ::open(busy.c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_EQ(::flock(other, LOCK_EX), 0);
    const int wait = platform::FolderLockWaitMs.exchange(50);
    {
        platform::TFolderLock lock;
        std::string error;
        ASSERT_TRUE(lock.Acquire({a.Path()}, error)) << error;
        for (const std::vector<std::string>& request :
             {std::vector<std::string>{busy}, std::vector<std::string>{taken, busy},
              std::vector<std::string>{a.Path(), taken, busy}}) {
            SCOPED_TRACE(::testing::PrintToString(request));
            error.clear();
            EXPECT_FALSE(lock.Acquire(request, error));
            EXPECT_TRUE(lock.Busy());
            EXPECT_NE(error.find("\"" + busy + "\""), std::string::npos) << error;
            EXPECT_TRUE(lock.Held());
            EXPECT_TRUE(lock.Covers({a.Path()}));
            EXPECT_FALSE(lock.Covers({taken}));
            EXPECT_TRUE(heldElsewhere(a.Path()));
            EXPECT_FALSE(heldElsewhere(taken));
        }
        lock.Release();
        EXPECT_FALSE(heldElsewhere(a.Path()));
    }
    platform::FolderLockWaitMs = wait;
    ::close(other);
}
