// Saves whose calls fail one by one, and stopped saves settled where a
// record is not where it was looked for, leftovers were removed by hand or a
// user's file only looks like a leftover.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <map>

#include "platform/atomic_save.h"
#include "support/leftovers.h"
#include "support/own_mounts.h"
#include "support/scratch.h"

namespace fs = std::filesystem;
using platform::TFileWriteGroup;
using testsupport::Leftovers;
using testsupport::ReadText;
using testsupport::WriteText;

namespace {

// The commit's seam while it lives: every call counted is logged, and those
// named in Fail (exactly) fail.
struct Seam {
    static inline std::vector<std::string> Log, Fail;
    explicit Seam(std::vector<std::string> fail = {}) {
        Log.clear();
        Fail = std::move(fail);
        TFileWriteGroup::CallHook = [](const std::string& call) {
            Log.push_back(call);
            return std::find(Fail.begin(), Fail.end(), call) != Fail.end();
        };
    }
    ~Seam() {
        TFileWriteGroup::CallHook = nullptr;
        TFileWriteGroup::FailCall = -1;
    }
};

// CallHook set to Hook while it lives.
struct HookScope {
    explicit HookScope(bool (*hook)(const std::string&)) { TFileWriteGroup::CallHook = hook; }
    ~HookScope() { TFileWriteGroup::CallHook = nullptr; }
};

// The renaming of the first folder's record to its final name: the commit point.
bool FinalRename(const std::string& call) {
    return call.starts_with("rename .tessaly-commit~") && call.ends_with(".final");
}

// The removal of a record other than the first folder's, once the save is final.
bool JobRecordRemoval(const std::string& call) {
    return call.starts_with("unlink .tessaly-commit~") && !call.ends_with(".final");
}

struct StopScope {
    explicit StopScope(int n) { TFileWriteGroup::StopAfterRenames = n; }
    ~StopScope() { TFileWriteGroup::StopAfterRenames = -1; }
};


std::string RecordIn(const std::string& folder) {
    for (const std::string& n : Leftovers(folder))
        if (n.starts_with(".tessaly-commit~")) return folder + "/" + n;
    return "";
}

std::string Contents(const std::string& file) {
    return fs::exists(file) ? ReadText(file) : "(none)";
}

std::string Joined(const std::vector<std::string>& texts) {
    std::string all;
    for (const std::string& t : texts) all += t + "\n";
    return all;
}

// A stock update over a rack folder (the save's first folder) and a job
// folder: the rack file, replaced (made by the save when NewRacks), the
// job's stock list, replaced, and its parts left, made by the save.
struct Update {
    testsupport::ScratchDir top;
    std::string racks = top.File("racks"), job = top.File("job");
    explicit Update(bool newRacks = false) : newRacks_(newRacks) {
        fs::create_directory(racks);
        fs::create_directory(job);
        if (!newRacks) WriteText(racks + "/rack.rck", "old rack");
        WriteText(job + "/stock.txt", "old stock");
    }
    std::vector<std::string> RackFiles() const { return {racks + "/rack.rck"}; }
    std::vector<std::string> JobFiles() const { return {job + "/stock.txt", job + "/left.txt"}; }
    // Stopped after Stop renames, as by a kill; Stop -1: made final, but the
    // job folder's record could not be removed (so it is left behind). The
    // job folder is Job, or the update's own.
    void Save(int stop, std::string job = "") {
        if (job.empty()) job = this->job;
        StopScope scope(stop);
        testsupport::CaptureSink sink;
        HookScope hook(stop >= 0 ? nullptr : JobRecordRemoval);
        TFileWriteGroup group;
        for (const std::string& f : RackFiles()) platform::WriteFileAtomic(f, "new rack");
        platform::WriteFileAtomic(job + "/stock.txt", "new stock");
        platform::WriteFileAtomic(job + "/left.txt", "new left");
        group.Commit();
        if (stop < 0) {
            EXPECT_EQ(sink.Warnings.size(), 1u) << Joined(sink.Warnings);
        }
    }
    // "new", "old", or the files' contents when they are neither.
    std::string State(const std::vector<std::string>& files) const {
        std::string now, was, is;
        for (const std::string& f : files) {
            now += "new " + fs::path(f).stem().string() + "|";
            const bool made = f.ends_with("left.txt") || (f.ends_with("rack.rck") && newRacks_);
            was += made ? "(none)|" : "old " + fs::path(f).stem().string() + "|";
            is += Contents(f) + "|";
        }
        return is == now ? "new" : is == was ? "old" : is;
    }
    bool newRacks_ = false;
};

// Replaces what the job folder's record says of the rack folder's file
// system: as if another one were mounted where it was.
void AnotherDiskInTheRackFoldersPlace(const Update& u) {
    const std::string record = RecordIn(u.job);
    std::string text = ReadText(record);
    const std::size_t d = text.find("\nD\t", text.find("\nP\t")) + 3;
    text.replace(d, text.find('\n', d) - d, "ext4 uuid of-another-disk root /");
    WriteText(record, text);
}

}  // namespace

TEST(SaveSeam, ASingleWriteReportsEachFailedCallAndWarnsOfAFolderNotFlushed) {
    // The calls of a write outside a group, each failed in turn: before the
    // file is in place the write fails and leaves the file as it was; the
    // folder's flush after it is a warning.
    testsupport::ScratchDir dir;
    const std::string file = dir.File("list.sht");
    WriteText(file, "old");
    std::vector<std::string> calls;
    {
        Seam seam;
        platform::WriteFileAtomic(file, "first");
        calls = Seam::Log;
    }
    ASSERT_EQ(calls.size(), 4u) << Joined(calls);
    const std::vector<std::string> kinds = {"fsync list.sht.tmp~", "close list.sht.tmp~",
                                            "rename list.sht", "flush " + fs::path(dir.Path()).filename().string()};
    for (std::size_t i = 0; i < kinds.size(); ++i) EXPECT_TRUE(calls[i].starts_with(kinds[i])) << calls[i];
    const std::vector<std::string> said = {"flush failed", "close failed", "rename failed", ""};
    for (std::size_t i = 0; i < calls.size(); ++i) {
        SCOPED_TRACE(kinds[i]);
        WriteText(file, "old");
        testsupport::CaptureSink sink;
        Seam seam;
        TFileWriteGroup::FailCall = static_cast<int>(i);
        std::string error;
        try {
            platform::WriteFileAtomic(file, "new");
        } catch (const platform::IniWriteError& e) {
            error = e.what();
        }
        if (said[i].empty()) {
            EXPECT_EQ(error, "");
            EXPECT_EQ(ReadText(file), "new");
            ASSERT_EQ(sink.Warnings.size(), 1u);
            EXPECT_NE(sink.Warnings[0].find("a power cut"), std::string::npos) << sink.Warnings[0];
        } else {
            EXPECT_EQ(error, "Cannot write file \"" + file + "\": " + said[i] + " (" +
                                 std::strerror(EIO) + ")");
            EXPECT_EQ(ReadText(file), "old");
            EXPECT_TRUE(sink.Warnings.empty()) << Joined(sink.Warnings);
        }
        EXPECT_TRUE(Leftovers(dir.Path()).empty()) << Joined(Leftovers(dir.Path()));
    }
}

TEST(SaveSeam, ACommitFailsAtEachCallBeforeItsCommitPointAndWarnsAtEachAfterIt) {
    // A save over two folders. Each call of its commit fails in turn: up to
    // the renaming of the first folder's record to its final name the save
    // is refused and undone; after it the save is made, and what could not
    // be done (a folder not flushed, a record not removed) is a warning.
    const auto save = [](Update& u) {
        TFileWriteGroup group;
        platform::WriteFileAtomic(u.racks + "/rack.rck", "new rack");
        platform::WriteFileAtomic(u.job + "/stock.txt", "new stock");
        platform::WriteFileAtomic(u.job + "/left.txt", "new left");
        return group.Commit().size();
    };
    std::vector<std::string> calls;
    {
        Update u;
        Seam seam;
        save(u);
        calls = Seam::Log;
    }
    const auto final = std::find_if(calls.begin(), calls.end(), FinalRename);
    ASSERT_NE(final, calls.end()) << Joined(calls);
    const std::size_t commitPoint = static_cast<std::size_t>(final - calls.begin());
    // Among the calls before it: the records' own flushes and the folders'
    // flushes after the renames, whose failures must not go unseen.
    for (const char* kind : {"fsync .tessaly-commit~", "close .tessaly-commit~", "flush "})
        EXPECT_TRUE(std::any_of(calls.begin(), final,
                                [&](const std::string& c) { return c.starts_with(kind); }))
            << kind;
    EXPECT_EQ(calls.size() - commitPoint - 1, 5u) << Joined(calls);  // flush, 2 x (unlink, flush)
    for (std::size_t n = 0; n < calls.size(); ++n) {
        SCOPED_TRACE("call " + std::to_string(n) + " (" + calls[n] + ") fails");
        Update u;
        testsupport::CaptureSink sink;
        std::string error;
        {
            Seam seam;
            TFileWriteGroup::FailCall = static_cast<int>(n);
            try {
                EXPECT_EQ(save(u), 3u);
            } catch (const platform::IniWriteError& e) {
                error = e.what();
            }
        }
        const bool made = n > commitPoint;
        EXPECT_EQ(error.empty(), made) << error;
        if (!made) {
            EXPECT_NE(error.find("No file of its save was changed"), std::string::npos) << error;
        }
        ASSERT_EQ(sink.Warnings.size(), made ? 1u : 0u) << Joined(sink.Warnings);
        if (made) {
            const bool record = calls[n].starts_with("unlink") || calls[n - 1].starts_with("unlink");
            EXPECT_NE(sink.Warnings[0].find(record ? "of their save could not be removed"
                                                   : "a power cut"),
                      std::string::npos)
                << sink.Warnings[0];
        }
        for (const std::string& folder : {u.racks, u.job, u.racks})
            EXPECT_TRUE(platform::RecoverWriteGroups(folder).Settled());
        EXPECT_EQ(u.State(u.RackFiles()), made ? "new" : "old");
        EXPECT_EQ(u.State(u.JobFiles()), made ? "new" : "old");
        EXPECT_TRUE(Leftovers(u.racks).empty()) << Joined(Leftovers(u.racks));
        EXPECT_TRUE(Leftovers(u.job).empty()) << Joined(Leftovers(u.job));
    }
}

TEST(SaveRecovery, AFirstFolderWhoseRecordIsNotFoundIsJudgedByWhatItsFilesHold) {
    // A save over a rack folder (its first folder) and a job folder, stopped
    // or left with the job folder's record; then the rack folder's record is
    // not where the job folder looks for it, or leftovers are removed by
    // hand. The folder judged keeps the save, undoes it, or is refused and
    // left as it is, naming what is amiss.
    enum class Outcome { Kept, Undone, Refused };
    struct Case {
        const char* name;
        bool newRacks;  // the rack file was made by the save
        int stop;       // renames before the stop; -1: made final, the job's record left
        std::function<void(Update&)> change;
        bool racksFirst;   // the rack folder is settled before the one judged
        bool judgeRacks;   // the rack folder is judged, not the job folder
        Outcome outcome;
        const char* said;  // in the refusal, or in the note
    };
    const auto removeRackRecord = [](Update& u) { fs::remove(RecordIn(u.racks)); };
    const auto removeLeftovers = [](Update& u) {
        for (const std::string& folder : {u.racks, u.job})
            for (const std::string& n : Leftovers(folder))
                if (n.find(".tmp~") != std::string::npos) fs::remove(folder + "/" + n);
    };
    const std::vector<Case> cases = {
        {"made final, the rack folder settled first", false, -1, [](Update&) {}, true, false,
         Outcome::Kept, ""},
        {"made final, the job folder moved, the rack folder settled first", false, -1,
         [](Update& u) {
             const std::string moved = u.top.File("job2");
             fs::rename(u.job, moved);
             EXPECT_TRUE(platform::RecoverWriteGroups(u.racks).Settled());
             u.job = moved;
         },
         false, false, Outcome::Kept, ""},
        {"made final, the rack folder's record gone, its files new", false, -1, removeRackRecord,
         false, false, Outcome::Kept, ""},
        {"not made final, the rack folder settled first", false, 3, [](Update&) {}, true, false,
         Outcome::Undone, ""},
        {"not made final, racks made by the save, the rack folder settled first", true, 3,
         [](Update&) {}, true, false, Outcome::Undone, ""},
        {"the rack folder put back from a copy made before the save", false, -1,
         [&](Update& u) {
             removeRackRecord(u);
             for (const std::string& n : Leftovers(u.racks)) fs::remove(u.racks + "/" + n);
             WriteText(u.racks + "/rack.rck", "old rack");
         },
         false, false, Outcome::Undone, ""},
        {"the rack folder deleted", false, -1, [](Update& u) { fs::remove_all(u.racks); }, false,
         false, Outcome::Undone, "is no longer there"},
        {"the rack folder's record gone, a rack changed since", false, -1,
         [&](Update& u) {
             removeRackRecord(u);
             WriteText(u.racks + "/rack.rck", "booked by another job");
         },
         false, false, Outcome::Refused, "holds \"rack.rck\" neither as the save made it"},
        {"another disk mounted where the rack folder's disk was", false, -1,
         [](Update& u) {
             fs::rename(u.racks, u.racks + ".away");
             AnotherDiskInTheRackFoldersPlace(u);
         },
         false, false, Outcome::Refused, "is not the one it was on"},
        {"racks made by the save, their disk not mounted (an empty folder in its place)", true,
         -1,
         [](Update& u) {
             fs::rename(u.racks, u.racks + ".away");
             fs::create_directory(u.racks);
             AnotherDiskInTheRackFoldersPlace(u);
         },
         false, false, Outcome::Refused, "it is not on the disk it was on"},
        {"stopped before final, leftovers removed by hand, the racks renamed", false, 1,
         removeLeftovers, false, true, Outcome::Refused,
         "the contents from before it of \"rack.rck\" are gone"},
        {"stopped before final, leftovers removed by hand, all renamed", false, 3,
         removeLeftovers, false, false, Outcome::Refused,
         "the contents from before it of \"stock.txt\" are gone"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Update u(c.newRacks);
        u.Save(c.stop);
        c.change(u);
        if (c.racksFirst) {
            EXPECT_TRUE(platform::RecoverWriteGroups(u.racks).Settled());
        }
        const std::string folder = c.judgeRacks ? u.racks : u.job;
        const std::vector<std::string> files = c.judgeRacks ? u.RackFiles() : u.JobFiles();
        const std::string before = u.State(files);
        const auto leftovers = Leftovers(folder);
        const platform::TRecovery r = platform::RecoverWriteGroups(folder);
        if (c.outcome == Outcome::Refused) {
            ASSERT_EQ(r.Refusals.size(), 1u) << Joined(r.Refusals);
            EXPECT_NE(r.Refusals[0].find(c.said), std::string::npos) << r.Refusals[0];
            EXPECT_EQ(u.State(files), before);
            EXPECT_EQ(Leftovers(folder), leftovers);
            continue;
        }
        EXPECT_TRUE(r.Settled()) << Joined(r.Refusals);
        const bool kept = c.outcome == Outcome::Kept;
        EXPECT_EQ(u.State(files), kept ? "new" : "old");
        EXPECT_TRUE(Leftovers(folder).empty()) << Joined(Leftovers(folder));
        EXPECT_NE(Joined(r.Notes).find(c.said), std::string::npos) << Joined(r.Notes);
        // The rack folder, where it is there, comes out the same way.
        if (fs::exists(u.racks)) {
            EXPECT_TRUE(platform::RecoverWriteGroups(u.racks).Settled());
            EXPECT_EQ(u.State(u.RackFiles()), kept ? "new" : "old");
            EXPECT_TRUE(Leftovers(u.racks).empty()) << Joined(Leftovers(u.racks));
        }
    }
}

TEST(SaveRecovery, AFirstFolderIsSettledBeforeItsFilesAreJudged) {
    // Two like jobs share the rack folder. The first one's update is stopped
    // after its renames and undone in the rack folder; the second one's,
    // booking the same offcuts, is stopped likewise. The racks then hold the
    // very contents the first update would have made, yet only as a save
    // that will be undone: the first job folder settles the rack folder
    // before it judges it, and both jobs come out undone.
    Update u;
    const std::string second = u.top.File("job2");
    fs::create_directory(second);
    WriteText(second + "/stock.txt", "old stock");
    u.Save(3);
    EXPECT_TRUE(platform::RecoverWriteGroups(u.racks).Settled());
    u.Save(3, second);
    ASSERT_EQ(u.State(u.RackFiles()), "new");
    const platform::TRecovery r = platform::RecoverWriteGroups(u.job);
    EXPECT_TRUE(r.Settled()) << Joined(r.Refusals);
    EXPECT_EQ(r.Notes.size(), 2u) << Joined(r.Notes);  // the racks, then this job
    EXPECT_EQ(u.State(u.RackFiles()), "old");
    EXPECT_EQ(u.State(u.JobFiles()), "old");
    EXPECT_TRUE(platform::RecoverWriteGroups(second).Settled());
    EXPECT_EQ(ReadText(second + "/stock.txt"), "old stock");
    for (const std::string& folder : {u.racks, u.job, second})
        EXPECT_TRUE(Leftovers(folder).empty()) << folder << ": " << Joined(Leftovers(folder));
}

TEST(SaveRecovery, ARecordOverTheReadLimitOrNoFileIsRefusedWhoeverRuns) {
    // Neither root nor anyone else reads these: the records are refused and
    // the files they name left as they are.
    for (const bool folder : {false, true}) {
        SCOPED_TRACE(folder ? "a folder in the record's place" : "a record over the read limit");
        Update u;
        u.Save(1);
        const std::string record = RecordIn(u.racks);
        if (folder) {
            fs::remove(record);
            fs::create_directory(record);
        } else {
            std::string text = ReadText(record);
            text.insert(text.find("END\n"), std::string((1 << 20) + 1, '\n'));
            WriteText(record, text);
        }
        const std::string before = u.State(u.RackFiles());
        const auto leftovers = Leftovers(u.racks);
        const platform::TRecovery r = platform::RecoverWriteGroups(u.racks);
        ASSERT_EQ(r.Refusals.size(), 1u);
        EXPECT_NE(r.Refusals[0].find(folder ? "is no regular file" : "cannot be read (too large)"),
                  std::string::npos)
            << r.Refusals[0];
        EXPECT_EQ(u.State(u.RackFiles()), before);
        EXPECT_EQ(Leftovers(u.racks), leftovers);
    }
}

TEST(SaveRecovery, ARecordInAFolderRootCannotWriteIsRefusedUnsettled) {
    // A folder on a disk mounted read-only binds root too: the record there
    // is refused, nothing changed.
    if (::geteuid() != 0) GTEST_SKIP() << "without root, a folder's permissions do (WriteGroupRecovery)";
    Update u;
    u.Save(1);
    const std::string before = u.State(u.RackFiles());
    const testsupport::ChildOutcome outcome = testsupport::InOwnMountNamespace([&] {
        testsupport::ChildChecks c;
        testsupport::BindMount(u.racks, u.racks);
        if (::mount(nullptr, u.racks.c_str(), nullptr, MS_BIND | MS_REMOUNT | MS_RDONLY, nullptr) != 0)
            throw testsupport::ChildSkip{"no read-only mount here"};
        const platform::TRecovery r = platform::RecoverWriteGroups(u.racks);
        c.Check(r.Refusals.size() == 1 &&
                    r.Refusals[0].find("its folder cannot be written") != std::string::npos,
                "the refusals: " + Joined(r.Refusals));
        return c.Failures;
    });
    if (outcome.Skipped) GTEST_SKIP() << outcome.Why;
    EXPECT_EQ(outcome.Failures, "");
    EXPECT_EQ(u.State(u.RackFiles()), before);
}

TEST(SaveRecovery, ADeletedFolderIsOneWhoseOwnDiskIsStillMountedWhereItWas) {
    // One folder of a save lies on a disk of its own (here a bind mount) at
    // a place of its own; the save was made final and the job folder's
    // record left. Then that folder is not found: with its disk still
    // mounted there it was deleted; with another disk there, or none, it
    // may come back. Asked by the job folder, the rack folder deleted undoes
    // the job's part, and is refused otherwise; the rack folder lets its
    // final record go, with a note, only once the job folder was deleted.
    testsupport::ScratchDir disks;
    const std::string disk = disks.File("disk"), other = disks.File("other"),
                      point = disks.File("mnt");
    for (const std::string& d : {disk, other, point}) fs::create_directory(d);
    const testsupport::ChildOutcome outcome = testsupport::InOwnMountNamespace([&] {
        testsupport::ChildChecks c;
        for (const bool jobOnDisk : {false, true}) {
            for (const char* how : {"deleted", "another disk", "no disk"}) {
                const std::string name =
                    std::string(jobOnDisk ? "job" : "rack") + " folder, " + how + ": ";
                testsupport::BindMount(disk, point);
                Update u;
                std::string& moved = jobOnDisk ? u.job : u.racks;
                fs::remove_all(moved);
                moved = point + (jobOnDisk ? "/job" : "/racks");
                fs::remove_all(moved);
                fs::create_directory(moved);
                WriteText(jobOnDisk ? u.job + "/stock.txt" : u.racks + "/rack.rck",
                          jobOnDisk ? "old stock" : "old rack");
                u.Save(-1);
                fs::remove_all(moved);
                const bool deleted = how == std::string("deleted");
                if (!deleted) ::umount(point.c_str());
                if (how == std::string("another disk")) testsupport::BindMount(other, point);
                if (!jobOnDisk) {
                    const platform::TRecovery r = platform::RecoverWriteGroups(u.job);
                    c.Check(deleted ? r.Settled() : !r.Settled(), name + Joined(r.Refusals));
                    c.Check(u.State(u.JobFiles()) == (deleted ? "old" : "new"),
                            name + "the job's files " + u.State(u.JobFiles()));
                    if (!deleted)
                        c.Check(Joined(r.Refusals).find(how == std::string("no disk")
                                                            ? "nor is the disk it was on"
                                                            : "is not the one it was on") !=
                                    std::string::npos,
                                name + Joined(r.Refusals));
                } else {
                    const platform::TRecovery r = platform::RecoverWriteGroups(u.racks);
                    c.Check(r.Settled() && u.State(u.RackFiles()) == "new",
                            name + "the racks " + u.State(u.RackFiles()) + Joined(r.Refusals));
                    c.Check(RecordIn(u.racks).empty() == deleted,
                            name + "the rack folder's record: " + RecordIn(u.racks));
                    c.Check((Joined(r.Notes).find("no longer there") != std::string::npos) == deleted,
                            name + "the notes: " + Joined(r.Notes));
                }
                ::umount(point.c_str());
            }
        }
        return c.Failures;
    });
    if (outcome.Skipped) GTEST_SKIP() << outcome.Why;
    EXPECT_EQ(outcome.Failures, "");
}

TEST(SaveRecovery, ACommitSettlesAStoppedSaveBeforeItKeepsTheOldContents) {
    // A save of the same file stopped after its rename lies in the folder.
    // The next save settles it first: its old contents are the file's own,
    // so its own failure puts back what was there before both, and its
    // success is never undone by the stopped save's record.
    for (const bool fails : {true, false}) {
        SCOPED_TRACE(fails ? "the next save fails" : "the next save is made");
        testsupport::ScratchDir dir;
        const std::string file = dir.File("stock.txt");
        WriteText(file, "old");
        {
            StopScope scope(1);
            TFileWriteGroup group;
            platform::WriteFileAtomic(file, "stopped");
            group.Commit();
        }
        ASSERT_EQ(ReadText(file), "stopped");
        {
            HookScope hook(fails ? FinalRename : nullptr);
            TFileWriteGroup group;
            platform::WriteFileAtomic(file, "next");
            if (fails)
                EXPECT_THROW(group.Commit(), platform::IniWriteError);
            else
                group.Commit();
        }
        EXPECT_EQ(ReadText(file), fails ? "old" : "next");
        EXPECT_TRUE(platform::RecoverWriteGroups(dir.Path()).Settled());
        EXPECT_EQ(ReadText(file), fails ? "old" : "next");
        EXPECT_TRUE(Leftovers(dir.Path()).empty()) << Joined(Leftovers(dir.Path()));
    }
}

TEST(SaveRecovery, ARecordNeverFinishedGoesWithItsTemporaries) {
    // Killed while the job folder's record was written: that folder holds
    // its record's "part" only, the rack folder a whole record. Nothing was
    // renamed; both come out as they were, with nothing left behind.
    Update u;
    u.Save(0);
    const std::string record = RecordIn(u.job);
    fs::rename(record, record + ".part");
    for (const std::string& folder : {u.job, u.racks}) {
        EXPECT_TRUE(platform::RecoverWriteGroups(folder).Settled());
        EXPECT_TRUE(Leftovers(folder).empty()) << Joined(Leftovers(folder));
    }
    EXPECT_EQ(u.State(u.JobFiles()), "old");
    EXPECT_EQ(u.State(u.RackFiles()), "old");
}

TEST(SaveRecovery, AUsersFileThatOnlyLooksLikeALeftoverIsKept) {
    // Only names a save of this program gives ("<file>.tmp~<32 hex digits>-
    // <n>") are cleared as leftovers; a name of an earlier build's form
    // ("<file>.tmp~<pid>-<n>") only with the record of that build naming it.
    testsupport::ScratchDir dir;
    const std::string hex(32, 'e');
    const std::vector<std::string> users = {
        "invoice.pdf.tmp~2024-12", "notes.txt.tmp~1-0", "a.txt.tmp~" + hex.substr(1) + "-1",
        "b.txt.tmp~" + std::string(32, 'E') + "-1", "c.txt.tmp~" + hex + "-", "d.txt.tmp~" + hex + "-1x",
        "stock.txt.tmp~4242-9"};
    const std::vector<std::string> leftovers = {"stock.txt.tmp~" + hex + "-3",
                                                "stock.txt.tmp~4242-1", "stock.txt.tmp~4242-2"};
    WriteText(dir.File("stock.txt"), "old");
    for (const std::string& n : users) WriteText(dir.File(n), "the user's");
    for (const std::string& n : leftovers) WriteText(dir.File(n), "left");
    // An earlier build's record of a save stopped before its rename.
    WriteText(dir.File(".tessaly-commit~4242-1"),
              "TESSALY WRITE GROUP 2\nR\tstock.txt.tmp~4242-1\tstock.txt\tstock.txt.tmp~4242-2\t4\t1\nEND\n");
    platform::WriteFileAtomic(dir.File("other.txt"), "written");
    EXPECT_TRUE(fs::exists(dir.File("stock.txt.tmp~4242-1")));  // its record not settled yet
    EXPECT_TRUE(platform::RecoverWriteGroups(dir.Path()).Settled());
    platform::WriteFileAtomic(dir.File("other.txt"), "written again");
    for (const std::string& n : users) EXPECT_EQ(Contents(dir.File(n)), "the user's") << n;
    for (const std::string& n : leftovers) EXPECT_FALSE(fs::exists(dir.File(n))) << n;
    EXPECT_EQ(ReadText(dir.File("stock.txt")), "old");
}

TEST(SaveRecovery, AFailedPutBackNamesTheFilesNotSavedAndOnlyThoseNotPutBack) {
    // The third rename fails; of the two files renamed before it, the one
    // the save made cannot be removed again, the other is put back.
    Update u;
    const std::vector<std::string> files = {u.racks + "/rack.rck", u.racks + "/rack.prk",
                                            u.job + "/stock.txt"};
    std::string error;
    {
        Seam seam({"rename stock.txt", "unlink rack.prk"});
        TFileWriteGroup group;
        for (const std::string& f : files) platform::WriteFileAtomic(f, "new");
        try {
            group.Commit();
        } catch (const platform::IniWriteError& e) {
            error = e.what();
        }
    }
    EXPECT_EQ(error, "Cannot write file \"" + files[2] + "\": it could not be renamed into place (" +
                         std::strerror(EIO) + "). Not saved: \"" + files[0] + "\", \"" + files[1] +
                         "\", \"" + files[2] + "\". \"" + files[1] +
                         "\" could not be put back yet: the next start in their folder puts back "
                         "their old contents.");
    EXPECT_EQ(ReadText(files[0]), "old rack");
    EXPECT_EQ(ReadText(files[1]), "new");
    for (const std::string& folder : {u.racks, u.job})
        EXPECT_TRUE(platform::RecoverWriteGroups(folder).Settled());
    EXPECT_FALSE(fs::exists(files[1]));
    EXPECT_EQ(ReadText(files[2]), "old stock");
    EXPECT_TRUE(Leftovers(u.racks).empty()) << Joined(Leftovers(u.racks));
    EXPECT_TRUE(Leftovers(u.job).empty()) << Joined(Leftovers(u.job));
}
