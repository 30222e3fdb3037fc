// Exclusive locks on folders, so that two programs that change the same files
// (two stock updates at once, or a batch job and the window) take turns
// instead of each writing over the other's result.
//
// The lock is an flock() on the folder itself: it needs no file of its own,
// and the system drops it when the process ends, however it ends. Locks are
// taken for a whole set of folders at once, in one fixed order, so two
// programs never wait on each other in a circle. A folder this process holds
// already (through another TFolderLock) counts as taken.
#pragma once

#include <atomic>
#include <string>
#include <vector>

namespace platform {

// How long, in milliseconds, a lock held by another program is waited for
// before the work that needs it is refused. Tests shorten it.
inline std::atomic<int> FolderLockWaitMs{5000};

// Path made absolute, its symbolic links followed (as far as it is there)
// and without "." or ".." steps, so that one file or folder reached by two
// names has one name ("" is the current folder).
std::string CanonicalPath(const std::string& Path);
// The folder a write to Path changes: its symbolic links followed, made
// absolute. "." for a bare name in the current folder is made absolute too.
std::string WriteFolderOf(const std::string& Path);
// "<device>:<inode>" of the folder (or file) Path leads to, as the lock tells
// folders apart while the program runs; empty when it is not there.
std::string FolderKeyOf(const std::string& Path);
// WriteFolderOf of each path that is not empty, in order.
std::vector<std::string> WriteFoldersOf(const std::vector<std::string>& Paths);

class TFolderLock {
  public:
    TFolderLock() = default;
    ~TFolderLock() { Release(); }
    TFolderLock(const TFolderLock&) = delete;
    TFolderLock& operator=(const TFolderLock&) = delete;

    // Locks every folder of Folders (duplicates and folders that name the
    // same place count once), waiting for each at most WaitMs (-1:
    // FolderLockWaitMs). False when one stays locked by another program (or
    // cannot be opened): the folders taken are given back and Error names
    // the folder.
    bool Acquire(const std::vector<std::string>& Folders, std::string& Error, int WaitMs = -1);
    // After a refusal: true when another program held a folder, false when
    // a folder could not be locked at all (not opened, no locks there).
    bool Busy() const { return busy_; }
    // True when this object holds every folder of Folders that is there
    // (one that is not there has nothing to change).
    bool Covers(const std::vector<std::string>& Folders) const;
    // Gives back every folder this object holds.
    void Release();
    bool Held() const { return !held_.empty(); }

  private:
    void ReleaseFrom(std::size_t First);
    std::vector<std::string> held_;  // keys of the process-wide table
    bool busy_ = false;
};

}  // namespace platform

namespace platform {

// What a file was on the disk when it was last read or written, so that a
// change by another program since can be seen before it is written over.
struct TFileStamp {
    bool There = false;
    unsigned long long Device = 0, Inode = 0, Size = 0;
    long long ModifiedNs = 0;
    bool operator==(const TFileStamp&) const = default;
};
// The stamp of the file Path leads to (links followed); There false when none.
TFileStamp StampFile(const std::string& Path);

}  // namespace platform
