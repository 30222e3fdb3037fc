// Saves that leave every file all old or all new, whatever stops them: a
// single file written through a temporary name, the files of one stock
// update renamed together under commit records, and the recovery that
// settles a save a kill or a power cut stopped part way.
//
// Every save is known by an identity of its own, 128 random bits, that its
// temporary names and its commit records carry; what a recovery does is
// decided by what the records say and by what the files they name hold
// (their size and hash), never by process ids, device or inode numbers, or
// the text of a path. Whoever holds a folder's lock (TFolderLock) may clear
// the temporaries of saves no longer going on there: every save holds the
// lock of its folder while a temporary of its own is in it.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/folder_lock.h"

namespace platform {

class IniWriteError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Writes Data to Path completely or not at all: a temporary file beside the
// target is written, flushed and renamed over it. A target that is there but
// is no regular file is never replaced: a character device or a pipe is
// written in place (a pipe that nobody reads is refused), anything else is
// refused. A symbolic link is written through: its target gets the new
// contents and the link stays. An existing file keeps its permission bits
// (as far as its file system keeps any); one that no one may write (no write
// bit) or that this user may not write is refused, not replaced.
//
// The write holds the lock of the target's folder (waiting for it at most
// FolderLockWaitMs; a folder that cannot be locked at all is written without
// it) and, holding it, clears the temporaries that no save going on owns
// there. The temporary name is "<target>.tmp~<identity>-<n>", created
// exclusively; only names of that form are cleared as leftovers ("a.pdf.tmp~
// 2024-12" is a user's file). Throws IniWriteError naming Path. A file put
// in place whose folder then cannot be flushed to the disk counts as
// written: a warning on the message sink says that a power cut may still
// undo it.
//
// Inside a TFileWriteGroup of the same thread the file is only written to
// its temporary name; the group's Commit() renames it into place.
void WriteFileAtomic(const std::string& Path, std::string_view Data);

// A check every WriteFileAtomic of a file (not of a device or pipe) makes
// before anything is written, installed by the program: it throws
// IniWriteError when Path is not to be written. Null: none.
using TWriteCheck = void (*)(const std::string& Path);
void SetWriteCheck(TWriteCheck Check);

// Files that belong together (the files of one stock update): while the group
// is open, WriteFileAtomic on this thread writes each file to its temporary
// name only, and Commit() renames them into place one after another once all
// are written. A group ended without Commit() removes its temporary files and
// changes no file. Groups do not nest: an inner group leaves the writes to
// the outer one. A device or pipe is written at once, in place. The group
// holds the lock of each folder it has written a temporary to until it ends.
class TFileWriteGroup {
  public:
    TFileWriteGroup();
    ~TFileWriteGroup();
    TFileWriteGroup(const TFileWriteGroup&) = delete;
    TFileWriteGroup& operator=(const TFileWriteGroup&) = delete;

    // Renames the files written, in the order written, and returns their
    // names as given to WriteFileAtomic; all of them or none. It returns
    // once the save is final, and throws IniWriteError only when it is not:
    // a failure after that point (a folder that cannot be flushed, a record
    // that cannot be removed yet) is a warning on the message sink.
    //
    // Folders are told apart as the lock tells them (one folder reached by
    // two names, a link or a bind mount, is one). A save stopped earlier in
    // them is settled first (RecoverWriteGroups); a folder where it cannot
    // be is refused. Before the first rename each target is checked to be
    // replaceable (its folder can be written, it is no mount point, no other
    // user's file in a shared sticky folder) and its old contents are kept
    // beside it. A commit record naming the save's identity and the files of
    // its folder with the size and hash of their new and old contents is
    // written into each folder and flushed; the first folder's record also
    // names the other folders, theirs name the first, each with the file
    // system it lies on and the contents of the save's files there.
    // Renaming the first folder's record to its final name makes the save
    // final. A rename that fails puts back what was renamed and throws,
    // naming the files not saved and those not put back yet; what cannot be
    // put back at once is put back by the next RecoverWriteGroups there, so
    // a save reported as failed never becomes final later.
    std::vector<std::string> Commit();

    // For tests: when 0 or more, Commit stops after that many renames as if
    // the process had been killed there, leaving the records, the staged
    // files and the old contents behind.
    static inline int StopAfterRenames = -1;
    // For tests: the file-system calls of one save are counted from 0: those
    // of a Commit (each rename, removal, folder flush, and each flush and
    // close of a file it writes) and those of a WriteFileAtomic outside a
    // group (its temporary's flush and close, its rename and its folder's
    // flush). When FailCall is 0 or more, the call of that number fails
    // with EIO; so does every call for which CallHook, when set, returns
    // true. CallHook is told each call as "<call> <name>", the call one of
    // "fsync", "close", "rename", "unlink" and "flush" (a folder), the name
    // the bare name of the file the call acts on (a rename: the new name).
    static inline int FailCall = -1;
    static inline bool (*CallHook)(const std::string& Call) = nullptr;

    struct TStaged {
        std::string Path, Target, Temporary;
        std::string Backup;  // the old contents, kept until the save is final
        std::uint64_t Size = 0, Hash = 0;  // of the new contents
        std::uint64_t OldSize = 0, OldHash = 0;  // of the old contents, when kept
    };

  private:
    friend void WriteFileAtomic(const std::string&, std::string_view);
    void Discard();
    std::string id_;  // the save's identity
    std::vector<TStaged> staged_;
    TFolderLock lock_;
    bool active_ = false;
};

// What RecoverWriteGroups did in a folder.
struct TRecovery {
    std::vector<std::string> Notes;      // saves undone
    std::vector<std::string> Refusals;   // records that could not be settled
    bool Settled() const { return Refusals.empty(); }
};

// Settles the saves stopped during their commit (a kill, a power cut, a
// failure that could not be put back at once), as found by their commit
// records in Folder, holding the folder's lock (so no record there belongs
// to a save going on): a save whose first folder's record is final keeps its
// new files and only its leftovers go; any other gets its old contents back
// in this folder. Where the first folder holds no record of the save, what
// its files hold decides: the save's new contents, kept; the old ones,
// undone (a file the save made counts as not made only when it is absent
// from a folder on the file system it was on at the save). A first folder
// that is no longer there while the file system it lay on is still mounted
// where it was (deleted) gets this folder's part undone, and the note says
// so. It acts only on Folder's own files, by the bare names its record
// gives, each temporary exactly "<target>.tmp~<identity>-<n>" of the
// record's save, and takes a file for renamed or put back only when it
// holds what that means. A record that is damaged, cannot be read, names
// anything else, whose files changed since or lost the old contents it
// needs, whose first folder cannot tell (another disk or none where it was,
// its files changed since), or that cannot be settled is left as it is and
// refused, saying what to make reachable: the folder's files are then not
// to be read or written. Holding the lock, it also clears the temporaries
// of saves no longer going on. Called at start-up, before the files of the
// folder are read.
TRecovery RecoverWriteGroups(const std::string& Folder);

// The file a write to Path lands in: symbolic links followed to their end
// (a link to nothing gives the name it points at).
std::string WriteTarget(const std::string& Path);

// False when Path (its links followed) is there and is no regular file: a
// device, a pipe, a folder. Such a target is written in place or refused by
// WriteFileAtomic, never replaced.
bool IsRegularFileOrAbsent(const std::string& Path);
// Path leads to a file that is not to be written over: one nobody may write,
// or this process may not.
bool WriteProtected(const std::string& Path);

}  // namespace platform
