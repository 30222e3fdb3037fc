#include "platform/atomic_save.h"

#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <set>

#include "platform/inifile.h"
#include "platform/message_sink.h"

namespace platform {

namespace {

namespace fs = std::filesystem;

// Writes all of Data to Fd; false, with errno set, when it could not.
bool WriteAll(int fd, std::string_view data) {
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = EIO;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// The number that makes this process's temporary names and kept old
// contents unique: one counter for all of them, so that none takes
// another's name.
unsigned NextSerial() {
    static std::atomic<unsigned> serial{0};
    return serial++;
}

bool AllDigits(std::string_view s) {
    return !s.empty() && s.find_first_not_of("0123456789") == std::string_view::npos;
}

// 128 bits from the system's random source, as 32 hex digits.
std::string NewSaveId() {
    unsigned char bytes[16] = {};
    std::size_t got = 0;
    while (got < sizeof bytes) {
        const ssize_t n = ::getrandom(bytes + got, sizeof bytes - got, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += static_cast<std::size_t>(n);
    }
    if (got < sizeof bytes) {
        // No random source: the clocks, the process, a counter and an
        // address, mixed (splitmix64), still unique in practice.
        std::uint64_t x =
            static_cast<std::uint64_t>(
                std::chrono::system_clock::now().time_since_epoch().count()) ^
            (static_cast<std::uint64_t>(::getpid()) << 32) ^
            static_cast<std::uint64_t>(
                std::chrono::steady_clock::now().time_since_epoch().count()) ^
            (static_cast<std::uint64_t>(NextSerial()) << 48) ^
            static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(&got));
        for (std::size_t i = 0; i < sizeof bytes; i += 8) {
            x += 0x9e3779b97f4a7c15ULL;
            std::uint64_t z = x;
            z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
            z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
            z ^= z >> 31;
            std::memcpy(bytes + i, &z, 8);
        }
    }
    static const char digits[] = "0123456789abcdef";
    std::string id;
    for (unsigned char c : bytes) {
        id += digits[c >> 4];
        id += digits[c & 15];
    }
    return id;
}

bool IsSaveId(std::string_view s) {
    return s.size() == 32 && s.find_first_not_of("0123456789abcdef") == std::string_view::npos;
}

// The identity of this process's single writes (outside a group).
const std::string& SingleWriteId() {
    static const std::string id = NewSaveId();
    return id;
}

// The group that takes this thread's writes, if any.
thread_local TFileWriteGroup* OpenGroup = nullptr;

std::atomic<TWriteCheck> WriteCheck{nullptr};

// A save's commit record, ".tessaly-commit~<identity>" in every folder the
// save writes to, written (through "<record>.part") before the first rename.
// A recovery acts only on the files of the record's own folder, named by
// their bare names with their temporary, the old contents kept for an undo,
// and the size and hash of their new and old contents. The first folder's
// record names the other folders, theirs name the first, each with where the
// file system it lay on was mounted, what that file system was, and the size
// and hash of the new and old contents of the save's files there: what that
// folder holds tells how far the save went should its record not be found.
// Renaming the first folder's record to "<record>.final" makes the save
// final; that record goes last, once the other folders hold none of the
// save's.
//
//   TESSALY WRITE GROUP 4
//   I  <identity>
//   S  <other folder>  <mount point>     (the first folder's record, per other folder)
//   D  <its file system>
//   G  <name>  <size>  <hash>  <old size or ->  <old hash or ->
//   P  <first folder>  <mount point>     (the other folders' records)
//   D  <its file system>
//   F  <name>  <size>  <hash>  <old size or ->  <old hash or ->
//   R  <temporary>  <target>  <old contents kept or ->  <size>  <hash>  <old size or ->  <old hash or ->
//   END
//
// Records of format 3 (an earlier build) give no old contents' size and
// hash, and name only the files of the other folders that the save
// replaced. Records of format 2 (a build before it) are named by "<pid>-<n>"
// and name their folders with a device and inode number; a save made final
// there had its first folder's record removed.
constexpr std::string_view kRecordPrefix = ".tessaly-commit~";
constexpr std::string_view kRecordPart = ".part";
constexpr std::string_view kRecordFinal = ".final";
constexpr std::string_view kRecordHeader = "TESSALY WRITE GROUP 4";
constexpr std::string_view kFormat3Header = "TESSALY WRITE GROUP 3";
constexpr std::string_view kFormat2Header = "TESSALY WRITE GROUP 2";
// No record of a save is larger: a longer one is damaged.
constexpr std::uint64_t kMaxRecordBytes = 1 << 20;

// A record's name taken apart.
struct RecordName {
    std::string Id;     // the save's identity (format 2: "<pid>-<n>")
    std::string Owner;  // what its temporaries carry: the identity (format 2: the pid)
    bool Old = false;   // format 2
    bool Part = false, Final = false;
};

bool ParseRecordName(std::string_view name, RecordName& out) {
    if (!name.starts_with(kRecordPrefix)) return false;
    std::string_view id = name.substr(kRecordPrefix.size());
    out = RecordName{};
    if (id.ends_with(kRecordPart)) {
        out.Part = true;
        id.remove_suffix(kRecordPart.size());
    } else if (id.ends_with(kRecordFinal)) {
        out.Final = true;
        id.remove_suffix(kRecordFinal.size());
    }
    out.Id = std::string(id);
    if (IsSaveId(id)) {
        out.Owner = out.Id;
        return true;
    }
    const std::size_t dash = id.find('-');
    if (out.Final || dash == std::string_view::npos || !AllDigits(id.substr(0, dash)) ||
        !AllDigits(id.substr(dash + 1)))
        return false;
    out.Old = true;
    out.Owner = std::string(id.substr(0, dash));
    return true;
}

// "<target>.tmp~<identity>-<n>", the name of a temporary or of old contents
// kept by a save of this build: true when Name is one. No user names a file
// so; an earlier build's "<target>.tmp~<pid>-<n>" might well be a user's
// ("invoice.pdf.tmp~2024-12"), so those go only with the record that names
// them.
bool TemporaryName(std::string_view name) {
    const std::size_t at = name.rfind(".tmp~");
    if (at == 0 || at == std::string_view::npos) return false;
    const std::string_view rest = name.substr(at + 5);
    const std::size_t dash = rest.rfind('-');
    return dash != std::string_view::npos && AllDigits(rest.substr(dash + 1)) &&
           IsSaveId(rest.substr(0, dash));
}

// Name is exactly "<target>.tmp~<owner>-<n>".
bool TemporaryOf(std::string_view name, std::string_view target, std::string_view owner) {
    const std::string start = std::string(target) + ".tmp~" + std::string(owner) + "-";
    return name.starts_with(start) && AllDigits(name.substr(start.size()));
}

std::mutex& SavesMutex() {
    static std::mutex m;
    return m;
}
// The saves this process is committing now (their identities): the only
// records a recovery leaves alone.
std::set<std::string>& ActiveSaves() {
    static std::set<std::string> s;
    return s;
}
// This process's temporaries and kept old contents, as "<folder's device>:
// <inode>/<name>": whoever clears leftovers in this process leaves them.
std::set<std::string>& LiveFiles() {
    static std::set<std::string> s;
    return s;
}

std::string FolderOfFile(const std::string& file) {
    const fs::path p(file);
    return p.parent_path().empty() ? std::string(".") : p.parent_path().string();
}

std::string BaseName(const std::string& path) {
    return fs::path(path).filename().string();
}

// A file of this process, known while it runs by its folder's device and
// inode and its name.
std::string LiveKey(const std::string& file) {
    return FolderKeyOf(FolderOfFile(file)) + "/" + BaseName(file);
}

void MarkLive(const std::string& file) {
    const std::string key = LiveKey(file);
    std::lock_guard<std::mutex> guard(SavesMutex());
    LiveFiles().insert(key);
}

void UnmarkLive(const std::string& file) {
    const std::string key = LiveKey(file);
    std::lock_guard<std::mutex> guard(SavesMutex());
    LiveFiles().erase(key);
}

bool Exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

// The test seam: the number of the next file-system call of the save this
// thread makes now (null: no save counts its calls now).
thread_local int* SeamCalls = nullptr;

// Counts the calls of one save while it lives (or, Count false, stops the
// counting, as for a recovery a commit makes).
class SeamScope {
  public:
    explicit SeamScope(bool count = true) : saved_(SeamCalls) {
        SeamCalls = count ? &calls_ : nullptr;
    }
    ~SeamScope() { SeamCalls = saved_; }
    SeamScope(const SeamScope&) = delete;
    SeamScope& operator=(const SeamScope&) = delete;

  private:
    int calls_ = 0;
    int* saved_;
};

// True, with errno EIO, when the test seam fails this call of the save.
bool SeamFails(const char* call, const std::string& path) {
    if (!SeamCalls) return false;
    const int n = (*SeamCalls)++;
    bool fail = n == TFileWriteGroup::FailCall;
    if (const auto hook = TFileWriteGroup::CallHook)
        fail = hook(std::string(call) + " " + BaseName(path)) || fail;
    if (fail) errno = EIO;
    return fail;
}

// The calls a save makes, each as the system makes it or failed by the seam.
int Fsync(int fd, const std::string& path) {
    return SeamFails("fsync", path) ? -1 : ::fsync(fd);
}
int Close(int fd, const std::string& path) {
    if (!SeamFails("close", path)) return ::close(fd);
    ::close(fd);
    errno = EIO;
    return -1;
}
bool Rename(const std::string& from, const std::string& to) {
    return !SeamFails("rename", to) && std::rename(from.c_str(), to.c_str()) == 0;
}
bool Unlink(const std::string& path) {
    return !SeamFails("unlink", path) && ::unlink(path.c_str()) == 0;
}

// Flushes a folder's entries (names made, renamed or removed) to the disk;
// false, with errno set, when that failed.
bool SyncFolder(const std::string& folder) {
    if (SeamFails("flush", folder)) return false;
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    // A folder this user may enter and write but not list cannot be opened
    // to be flushed: the system flushes it in its own time.
    if (fd < 0) return errno == EACCES || errno == EPERM;
    // Some file systems flush folders by themselves and refuse to be asked.
    const bool ok = ::fsync(fd) == 0 || errno == EINVAL || errno == ENOTSUP || errno == ENOSYS;
    const int err = errno;
    ::close(fd);
    errno = err;
    return ok;
}

// Writes Text to Path, a name not taken, completely, flushed; false, with
// errno set, when it could not be (and then nothing of it is left).
bool WriteWholeFile(const std::string& path, std::string_view text) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    int err = 0;
    if (!WriteAll(fd, text) || Fsync(fd, path) != 0) err = errno ? errno : EIO;
    if (Close(fd, path) != 0 && err == 0) err = errno ? errno : EIO;
    if (err == 0) return true;
    ::unlink(path.c_str());
    errno = err;
    return false;
}

std::uint64_t ContentHash(std::string_view data) {
    std::uint64_t h = 1469598103934665603ULL;  // FNV-1a
    for (char c : data) h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ULL;
    return h;
}

std::string Hex(std::uint64_t v) {
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof buf, v, 16);
    return std::string(buf, r.ptr);
}

// A bare file name of the record's own folder, one a record line can hold.
bool PlainName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of(std::string_view("/\t\n\0", 4)) == std::string_view::npos;
}

bool AbsolutePath(std::string_view p) {
    return p.size() > 1 && p.front() == '/' &&
           p.find_first_of(std::string_view("\t\n\0", 3)) == std::string_view::npos;
}

std::vector<std::string_view> SplitTabs(std::string_view line) {
    std::vector<std::string_view> parts;
    for (;;) {
        const std::size_t tab = line.find('\t');
        parts.push_back(line.substr(0, tab));
        if (tab == std::string_view::npos) return parts;
        line.remove_prefix(tab + 1);
    }
}

std::string QuotedList(const std::vector<std::string>& names) {
    std::string list;
    for (const std::string& n : names) list += (list.empty() ? "\"" : ", \"") + n + "\"";
    return list;
}

// The size and hash of a file's contents.
struct Contents {
    std::uint64_t Size = 0, Hash = 0;
    bool operator==(const Contents&) const = default;
};

Contents ContentsOf(std::string_view data) {
    return {data.size(), ContentHash(data)};
}

// A file of a save's other folder, as a record names it.
struct SavedFile {
    std::string Name;
    Contents New, Old;
    bool Created = false;  // the save made it: no old contents
    bool Known = true;     // its contents are given (not in format 3)
};
// A record's lines: the files of its folder, and the save's other folders.
struct RecordEntry {
    std::string Temporary, Target, Backup;  // bare names; Backup empty: no old file
    Contents New, Old;                      // Old: format 4, with a Backup
};
struct OtherFolder {
    std::string Path;
    std::string Mount;     // where the file system it was on was mounted
    std::string Identity;  // what that file system was (format 4)
    std::vector<SavedFile> Files;  // the save's files there (format 3: those it replaced)
};
struct CommitRecord {
    int Format = 0;
    OtherFolder Primary;                   // the first folder, in the other folders' records
    std::vector<OtherFolder> Secondaries;  // the other folders, in the first folder's record
    std::vector<RecordEntry> Entries;
};

bool Number(std::string_view s, int base, std::uint64_t& v) {
    const auto r = std::from_chars(s.data(), s.data() + s.size(), v, base);
    return !s.empty() && r.ec == std::errc() && r.ptr == s.data() + s.size();
}

// Fields At.. of F: new size and hash, then old size and hash ("-" and "-"
// for a file the save created).
bool ParseContents(const std::vector<std::string_view>& f, std::size_t at, Contents& now,
                   Contents& old, bool& created) {
    if (!Number(f[at], 10, now.Size) || !Number(f[at + 1], 16, now.Hash)) return false;
    created = f[at + 2] == "-" && f[at + 3] == "-";
    return created || (Number(f[at + 2], 10, old.Size) && Number(f[at + 3], 16, old.Hash));
}

// Reads the record of the save Name names; false when it is damaged, cut
// short, of another save, or names anything but its own folder's files and
// their temporary names.
bool ParseRecord(std::string_view text, const RecordName& name, CommitRecord& rec) {
    const auto mountPoint = [](std::string_view p) {
        return !p.empty() && p.front() == '/' &&
               p.find_first_of(std::string_view("\t\n\0", 3)) == std::string_view::npos;
    };
    int line = 0;
    bool sawId = false, wantIdentity = false;
    OtherFolder* folder = nullptr;  // the folder the F or G lines name files of
    std::vector<std::string> targets;
    while (!text.empty()) {
        const std::size_t nl = text.find('\n');
        if (nl == std::string_view::npos) return false;  // a last line cut short
        const std::string_view l = text.substr(0, nl);
        text.remove_prefix(nl + 1);
        if (line++ == 0) {
            if (name.Old)
                rec.Format = l == kFormat2Header ? 2 : 0;
            else
                rec.Format = l == kRecordHeader ? 4 : l == kFormat3Header ? 3 : 0;
            if (rec.Format == 0) return false;
            sawId = rec.Format == 2;
            continue;
        }
        if (l == "END") {
            // From format 4 on, every other folder names the save's files there.
            const bool named =
                rec.Format < 4 ||
                std::all_of(rec.Secondaries.begin(), rec.Secondaries.end(),
                            [](const OtherFolder& o) { return !o.Files.empty(); });
            return sawId && !wantIdentity && named && text.empty() &&
                   (rec.Format < 4 || rec.Primary.Path.empty() || !rec.Primary.Files.empty());
        }
        const std::vector<std::string_view> f = SplitTabs(l);
        const bool v4 = rec.Format == 4;
        if (!sawId) {
            if (f[0] != "I" || f.size() != 2 || f[1] != name.Id) return false;
            sawId = true;
        } else if (wantIdentity) {
            // Format 4: the file system of the folder just named.
            if (f[0] != "D" || f.size() != 2 || f[1].empty()) return false;
            folder->Identity = f[1];
            wantIdentity = false;
        } else if (f[0] == "P" && f.size() == 3 && AbsolutePath(f[1]) &&
                   (rec.Format == 2 || mountPoint(f[2])) && rec.Primary.Path.empty() &&
                   rec.Secondaries.empty()) {
            rec.Primary.Path = f[1];
            if (rec.Format != 2) rec.Primary.Mount = f[2];
            folder = &rec.Primary;
            wantIdentity = v4;
        } else if (f[0] == "S" && f.size() == 3 && AbsolutePath(f[1]) &&
                   (rec.Format == 2 || mountPoint(f[2])) && rec.Primary.Path.empty()) {
            rec.Secondaries.push_back(
                {std::string(f[1]), rec.Format == 2 ? std::string() : std::string(f[2]), {}, {}});
            folder = &rec.Secondaries.back();
            wantIdentity = v4;
        } else if (((f[0] == "F" && folder == &rec.Primary) ||
                    (f[0] == "G" && rec.Format != 2 && folder && folder != &rec.Primary)) &&
                   f.size() == (v4 ? 6u : 2u) && PlainName(f[1])) {
            SavedFile file{std::string(f[1]), {}, {}, false, v4};
            if (v4 && !ParseContents(f, 2, file.New, file.Old, file.Created)) return false;
            for (const SavedFile& other : folder->Files)
                if (other.Name == file.Name) return false;
            folder->Files.push_back(std::move(file));
        } else if (f[0] == "R" && f.size() == (v4 ? 8u : 6u)) {
            RecordEntry e{std::string(f[1]), std::string(f[2]), std::string(f[3]), {}, {}};
            if (e.Backup == "-") e.Backup.clear();
            bool created = false;
            if (!PlainName(e.Target) || !TemporaryOf(e.Temporary, e.Target, name.Owner) ||
                (!e.Backup.empty() && !TemporaryOf(e.Backup, e.Target, name.Owner)) ||
                e.Backup == e.Temporary || !Number(f[4], 10, e.New.Size) ||
                !Number(f[5], 16, e.New.Hash) ||
                (v4 && (!ParseContents(f, 4, e.New, e.Old, created) ||
                        created != e.Backup.empty())) ||
                std::find(targets.begin(), targets.end(), e.Target) != targets.end())
                return false;
            targets.push_back(e.Target);
            rec.Entries.push_back(std::move(e));
        } else {
            return false;
        }
    }
    return false;
}

// The records in Folder (every name with the record prefix), sorted.
std::vector<std::string> RecordNames(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        const std::string n = it->path().filename().string();
        if (n.starts_with(kRecordPrefix)) names.push_back(n);
    }
    std::sort(names.begin(), names.end());
    return names;
}

// Removes the temporaries and old contents of this build's saves in Folder
// (absolute, locked by the caller) that belong to no save going on: no
// record there names them, and this process is not writing them. A record
// that cannot be read keeps everything: its files wait for it to be settled.
void ClearLeftovers(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec))
        names.push_back(it->path().filename().string());
    if (ec) return;
    std::set<std::string> named;
    for (const std::string& n : names) {
        if (!n.starts_with(kRecordPrefix)) continue;
        RecordName rn;
        std::string text;
        CommitRecord rec;
        if (!ParseRecordName(n, rn)) return;
        if (rn.Part) continue;  // never finished: nothing renamed under it
        if (ReadRegularFile(folder + "/" + n, text, kMaxRecordBytes) != FileState::Readable ||
            !ParseRecord(text, rn, rec))
            return;
        for (const RecordEntry& e : rec.Entries) {
            named.insert(e.Temporary);
            named.insert(e.Backup);
        }
    }
    const std::string key = FolderKeyOf(folder);
    if (key.empty()) return;
    for (const std::string& n : names) {
        if (!TemporaryName(n) || named.count(n)) continue;
        {
            std::lock_guard<std::mutex> guard(SavesMutex());
            if (LiveFiles().count(key + "/" + n)) continue;
        }
        const std::string path = folder + "/" + n;
        struct stat st {};
        if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) ::unlink(path.c_str());
    }
}

// Takes the lock of the folder a write to Target changes into Lock and
// clears the leftovers there. Throws when another program holds it; a
// folder that cannot be locked at all is written without it.
void HoldFolderOf(const std::string& path, const std::string& target, TFolderLock& lock) {
    const std::string folder = CanonicalPath(FolderOfFile(target));
    std::string error;
    if (lock.Acquire({folder}, error)) {
        ClearLeftovers(folder);
    } else if (lock.Busy()) {
        throw IniWriteError("Cannot write file \"" + path + "\": " + error);
    }
}

// Writes Data into a device or pipe that is there already: opened for
// writing without waiting (a pipe nobody reads is refused), never created,
// truncated or renamed.
void WriteInPlace(const std::string& path, std::string_view data) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        const int err = errno;
        throw IniWriteError("Cannot write file \"" + path + "\": it is not a regular file and " +
                            (err == ENXIO
                                 ? std::string("nothing reads from it")
                                 : "cannot be opened (" + std::string(std::strerror(err)) + ")"));
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    if (!WriteAll(fd, data)) {
        const int err = errno;
        ::close(fd);
        throw IniWriteError("Cannot write file \"" + path + "\": write failed (" +
                            std::strerror(err) + ")");
    }
    ::close(fd);
}

}  // namespace

std::string WriteTarget(const std::string& path) {
    fs::path p(path);
    for (int hops = 0; hops < 40; ++hops) {
        std::error_code ec;
        if (!fs::is_symlink(fs::symlink_status(p, ec))) break;
        const fs::path target = fs::read_symlink(p, ec);
        if (ec) break;
        p = target.is_absolute() ? target : p.parent_path() / target;
    }
    return p.string();
}

bool IsRegularFileOrAbsent(const std::string& path) {
    // The kernel follows the links: also those of /proc/self/fd, which name
    // pipes and sockets by no path.
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return true;
    return S_ISREG(st.st_mode);
}

bool WriteProtected(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 &&
           ((st.st_mode & 0222) == 0 || ::access(path.c_str(), W_OK) != 0);
}

void WriteFileAtomic(const std::string& path, std::string_view data) {
    const std::string target = WriteTarget(path);
    auto error = [&](const std::string& what, int err) {
        const std::string reason = std::strerror(err);
        return IniWriteError("Cannot write file \"" + path +
                             "\": " + (what.empty() ? reason : what + " (" + reason + ")"));
    };

    // What the name leads to, as the kernel follows it (a pipe behind
    // /proc/self/fd has no path to follow by hand).
    struct stat old {};
    const bool exists = ::stat(path.c_str(), &old) == 0;
    if (exists && !S_ISREG(old.st_mode)) {
        // A device or a pipe is never replaced by a file: it is written in
        // place, as a program writing to it expects. Anything else (a folder,
        // a socket, a disk) is refused.
        if (!S_ISCHR(old.st_mode) && !S_ISFIFO(old.st_mode))
            throw IniWriteError("Cannot write file \"" + path + "\": it is not a regular file");
        WriteInPlace(path, data);
        return;
    }
    if (const TWriteCheck check = WriteCheck.load()) check(path);
    // A file the user may not write is not replaced behind their back (the
    // rename would do it, as it needs only the folder's permission).
    if (exists && WriteProtected(path))
        throw IniWriteError("Cannot write file \"" + path + "\": the file is write-protected");

    // The calls of a write outside a group are those of a save of its own;
    // a group's are counted by its commit.
    SeamScope seam(!OpenGroup);
    // The folder is held while a temporary of this write is in it.
    TFolderLock ownLock;
    HoldFolderOf(path, target, OpenGroup ? OpenGroup->lock_ : ownLock);

    // A name of this write alone, created exclusively.
    const std::string& id = OpenGroup ? OpenGroup->id_ : SingleWriteId();
    std::string tmp;
    int fd = -1;
    for (int attempt = 0; fd < 0; ++attempt) {
        tmp = target + ".tmp~" + id + "-" + std::to_string(NextSerial());
        MarkLive(tmp);
        fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            const int err = errno;
            UnmarkLive(tmp);
            if (err != EEXIST || attempt >= 100) throw error("", err);
        }
    }
    auto fail = [&](const char* what) {
        const int err = errno;
        ::close(fd);
        ::unlink(tmp.c_str());
        UnmarkLive(tmp);
        throw error(what, err);
    };
    // The new file takes the old one's owner (where allowed) and permission
    // bits: a file system that keeps none (FAT, exFAT) gives every file the
    // same bits, which are then kept.
    if (exists) {
        if (::fchown(fd, old.st_uid, old.st_gid) != 0) {
            // Only a privileged process may give a file away; the bits still count.
        }
        struct stat now {};
        if (::fchmod(fd, old.st_mode & 07777) != 0 &&
            !(::fstat(fd, &now) == 0 && (now.st_mode & 07777) == (old.st_mode & 07777)))
            fail("permissions not kept");
    }
    if (!WriteAll(fd, data)) fail("write failed");
    if (Fsync(fd, tmp) != 0) fail("flush failed");
    if (Close(fd, tmp) != 0) {
        const int err = errno;
        ::unlink(tmp.c_str());
        UnmarkLive(tmp);
        throw error("close failed", err);
    }
    if (OpenGroup) {
        // A second write of one target in the group replaces the first.
        auto& staged = OpenGroup->staged_;
        for (auto it = staged.begin(); it != staged.end(); ++it)
            if (it->Target == target) {
                ::unlink(it->Temporary.c_str());
                UnmarkLive(it->Temporary);
                staged.erase(it);
                break;
            }
        try {
            staged.push_back({path, target, tmp, std::string(), data.size(), ContentHash(data)});
        } catch (...) {
            ::unlink(tmp.c_str());
            UnmarkLive(tmp);
            throw;
        }
        return;
    }
    if (!Rename(tmp, target)) {
        const int err = errno;
        ::unlink(tmp.c_str());
        UnmarkLive(tmp);
        throw error("rename failed", err);
    }
    UnmarkLive(tmp);
    // The new name is on the disk only once its folder is; the file is in
    // place all the same.
    if (!SyncFolder(FolderOfFile(target)))
        CurrentMessageSink().Warning("The file \"" + path +
                                     "\" was saved, but its folder cannot be flushed to the disk (" +
                                     std::strerror(errno) +
                                     "): a power cut before the system writes it may still undo "
                                     "the save.");
}

void SetWriteCheck(TWriteCheck check) {
    WriteCheck = check;
}

TFileWriteGroup::TFileWriteGroup() {
    if (OpenGroup) return;
    OpenGroup = this;
    active_ = true;
    id_ = NewSaveId();
}

TFileWriteGroup::~TFileWriteGroup() {
    Discard();
    if (active_) OpenGroup = nullptr;
}

void TFileWriteGroup::Discard() {
    for (const TStaged& s : staged_) {
        ::unlink(s.Temporary.c_str());
        UnmarkLive(s.Temporary);
        if (!s.Backup.empty()) {
            ::unlink(s.Backup.c_str());
            UnmarkLive(s.Backup);
        }
    }
    staged_.clear();
}

namespace {

// One line of the mount table: where a file system is mounted, the folder
// of it that is mounted there, its type and what it was mounted from.
struct MountEntry {
    std::string Point, Root, Type, Source;
};

// A field of the mount table, its "\040" and the like made bytes again.
std::string Unescape(std::string_view raw) {
    std::string text;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == '\\' && i + 3 < raw.size()) {
            text += static_cast<char>((raw[i + 1] - '0') * 64 + (raw[i + 2] - '0') * 8 +
                                      (raw[i + 3] - '0'));
            i += 3;
        } else {
            text += raw[i];
        }
    }
    return text;
}

// What is mounted where in this process's view, in the order of the mount
// table (a file system mounted over another comes after it).
std::vector<MountEntry> MountTable() {
    std::vector<MountEntry> entries;
    std::string table;  // read to its end: /proc files tell no size
    if (ReadRegularFile("/proc/self/mountinfo", table, 1 << 24) != FileState::Readable)
        return entries;
    std::size_t pos = 0;
    while (pos < table.size()) {
        std::size_t end = table.find('\n', pos);
        if (end == std::string::npos) end = table.size();
        // "id parent major:minor root mount-point options [tags] - type source ...".
        std::vector<std::string_view> f;
        std::string_view line(table.data() + pos, end - pos);
        pos = end + 1;
        for (std::size_t blank; (blank = line.find(' ')) != std::string_view::npos;) {
            f.push_back(line.substr(0, blank));
            line.remove_prefix(blank + 1);
        }
        f.push_back(line);
        const auto dash = std::find(f.begin() + std::min<std::size_t>(f.size(), 6), f.end(), "-");
        if (f.size() < 5) continue;
        MountEntry e{Unescape(f[4]), Unescape(f[3]), "", ""};
        if (f.end() - dash >= 3) {
            e.Type = Unescape(dash[1]);
            e.Source = Unescape(dash[2]);
        }
        entries.push_back(std::move(e));
    }
    return entries;
}

// Path (absolute, links followed) is where something is mounted: a file
// mounted over another (as a container's volume is) cannot be renamed over.
bool MountedAt(const std::string& path) {
    const std::vector<MountEntry> table = MountTable();
    return std::any_of(table.begin(), table.end(),
                       [&](const MountEntry& m) { return m.Point == path; });
}

// Where the file system that holds Folder (absolute, links followed) is
// mounted: the deepest mount point that is Folder or above it.
std::string MountPointOf(const std::string& folder, const std::vector<MountEntry>& table) {
    std::string best = "/";
    for (const MountEntry& m : table)
        if (m.Point.size() > best.size() && folder.starts_with(m.Point) &&
            (folder.size() == m.Point.size() || folder[m.Point.size()] == '/'))
            best = m.Point;
    return best;
}

// The file system mounted at Point now (the last mounted there), or null.
const MountEntry* MountedThere(const std::vector<MountEntry>& table, const std::string& point) {
    for (auto it = table.rbegin(); it != table.rend(); ++it)
        if (it->Point == point) return &*it;
    return nullptr;
}

// The UUID by which the system knows the disk Source (a block device), as
// /dev/disk/by-uuid names it; empty when it names none.
std::string VolumeUuid(const std::string& source) {
    struct stat dev {};
    if (!source.starts_with("/dev/") || ::stat(source.c_str(), &dev) != 0 || !S_ISBLK(dev.st_mode))
        return "";
    std::error_code ec;
    fs::directory_iterator it("/dev/disk/by-uuid", ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        struct stat st {};
        if (::stat(it->path().c_str(), &st) == 0 && S_ISBLK(st.st_mode) && st.st_rdev == dev.st_rdev)
            return it->path().filename().string();
    }
    return "";
}

// What a file system was mounted from: a loop device by the image file
// (and the place in it) it shows, anything else by its name.
std::string MountSource(const std::string& source) {
    if (!source.starts_with("/dev/loop")) return source;
    const std::string loop = "/sys/block/" + source.substr(5) + "/loop/";
    std::string file, offset;
    if (ReadRegularFile(loop + "backing_file", file, 1 << 16) != FileState::Readable ||
        file.empty())
        return source;
    ReadRegularFile(loop + "offset", offset, 64);
    const auto line = [](std::string t) { return t.substr(0, t.find('\n')); };
    return "image " + line(file) + " at " + line(offset);
}

// What the file system mounted as M is, told apart as well as can be from
// another mounted in its place (another disk, another image file): its
// type; the UUID of its disk where the system names one, else its file
// system id where it gives one (of no use on its own: FAT gives the device
// number) and what it was mounted from; and the folder of it mounted there.
// Path is a folder of it. Never a device or inode number of this start
// alone: the same disk mounted again through another loop device is the
// same file system. Empty when it cannot be told.
std::string FileSystemIdentity(const MountEntry& m, const std::string& path) {
    if (m.Type.empty()) return "";
    std::string id = m.Type;
    if (const std::string uuid = VolumeUuid(m.Source); !uuid.empty()) {
        id += " uuid " + uuid;
    } else {
        struct statfs st {};
        std::uint32_t words[2] = {0, 0};
        static_assert(sizeof st.f_fsid == sizeof words);
        if (::statfs(path.c_str(), &st) == 0) std::memcpy(words, &st.f_fsid, sizeof words);
        if (words[0] != 0 || words[1] != 0) id += " fsid " + Hex(words[0]) + ":" + Hex(words[1]);
        id += " from " + MountSource(m.Source);
    }
    id += " root " + m.Root;
    std::replace_if(id.begin(), id.end(), [](char c) { return c == '\t' || c == '\n'; }, '?');
    return id;
}

// The identity of the file system that holds Folder (links followed) now;
// empty when it cannot be told.
std::string FileSystemOf(const std::string& folder) {
    const std::vector<MountEntry> table = MountTable();
    const std::string canonical = CanonicalPath(folder);
    const MountEntry* m = MountedThere(table, MountPointOf(canonical, table));
    return m ? FileSystemIdentity(*m, canonical) : std::string();
}

// The file system Identity is mounted at Point now (not merely some file
// system: another disk in its place is not it).
bool MountedNowAt(const std::string& point, const std::string& identity) {
    const std::vector<MountEntry> table = MountTable();
    const MountEntry* m = MountedThere(table, point);
    return m && !identity.empty() && FileSystemIdentity(*m, point) == identity;
}

// Why Target cannot be renamed over now (empty when it can): its folder
// cannot be written, the name is a mount point (a file mounted there, as a
// container's volume is), or the folder is sticky and neither it nor the
// file belongs to this user.
std::string RenameRefusal(const std::string& target) {
    const std::string folder = FolderOfFile(target);
    struct stat dir {}, file {};
    if (::stat(folder.c_str(), &dir) != 0)
        return std::string("its folder cannot be reached (") + std::strerror(errno) + ")";
    if (::access(folder.c_str(), W_OK | X_OK) != 0)
        return std::string("its folder cannot be written (") + std::strerror(errno) + ")";
    if (::lstat(target.c_str(), &file) != 0) return "";
    std::error_code ec;
    const std::string canonical = fs::weakly_canonical(target, ec).string();
    if (file.st_dev != dir.st_dev || (!ec && MountedAt(canonical)))
        return "it is mounted where it stands and cannot be replaced (" +
               std::string(std::strerror(EBUSY)) + ")";
    const uid_t me = ::geteuid();
    if ((dir.st_mode & S_ISVTX) && me != 0 && file.st_uid != me && dir.st_uid != me)
        return "it belongs to another user in a shared folder (" +
               std::string(std::strerror(EPERM)) + ")";
    return "";
}

// Keeps the old contents of Target under Backup (a second link where the
// file system has them, else a copy), so that the save can be undone, and
// gives their size and hash; false, with errno set, when not.
bool KeepOldContents(const std::string& target, const std::string& backup, Contents& old) {
    std::string data;
    if (::link(target.c_str(), backup.c_str()) == 0) {
        errno = 0;
        if (ReadRegularFile(backup, data) == FileState::Readable) {
            old = ContentsOf(data);
            return true;
        }
        const int err = errno ? errno : EIO;
        ::unlink(backup.c_str());
        errno = err;
        return false;
    }
    if (errno == EEXIST) return false;
    errno = 0;
    if (ReadRegularFile(target, data) != FileState::Readable) {
        if (errno == 0) errno = EIO;
        return false;
    }
    old = ContentsOf(data);
    return WriteWholeFile(backup, data);
}

}  // namespace

std::vector<std::string> TFileWriteGroup::Commit() {
    if (active_) OpenGroup = nullptr;
    active_ = false;
    std::vector<std::string> written;
    if (staged_.empty()) return written;
    SeamScope seam;
    const std::string first = staged_.front().Path;
    auto refuse = [&](std::string path, const std::string& why) {
        Discard();
        return IniWriteError("Cannot write file \"" + path + "\": " + why +
                             ". No file of its save was changed.");
    };

    // The folders written to, in the order of their first file, told apart
    // by what they are now (so a folder reached by two names, a link or a
    // bind mount, is one), and the folder of each file.
    struct Folder {
        std::string Path;
        dev_t Device;
        ino_t Inode;
    };
    std::vector<Folder> folders;
    std::vector<std::size_t> folderOf;
    for (const TStaged& s : staged_) {
        const std::string folder = CanonicalPath(FolderOfFile(s.Target));
        struct stat st {};
        if (::stat(folder.c_str(), &st) != 0)
            throw refuse(s.Path, std::string("its folder cannot be reached (") +
                                     std::strerror(errno) + ")");
        if (!PlainName(BaseName(s.Target)) || !AbsolutePath(folder))
            throw refuse(s.Path, "its name holds a tab or a line break, which the record of its "
                                 "save cannot hold");
        const auto at = std::find_if(folders.begin(), folders.end(), [&](const Folder& f) {
            return f.Device == st.st_dev && f.Inode == st.st_ino;
        });
        folderOf.push_back(static_cast<std::size_t>(at - folders.begin()));
        if (at == folders.end()) folders.push_back({folder, st.st_dev, st.st_ino});
    }
    std::vector<std::string> paths;
    for (const Folder& f : folders) paths.push_back(f.Path);
    // Every commit holds the lock of its folders: a record that a recovery
    // finds while holding that lock belongs to no commit going on.
    std::string lockError;
    if (!lock_.Acquire(paths, lockError)) throw refuse(first, lockError);

    // A stopped save in these folders is settled first: a new save is never
    // made over files that are part old, part new, and the old contents it
    // keeps for an undo are those the files hold once that save is settled.
    {
        SeamScope uncounted(false);
        for (const std::string& f : paths) {
            const TRecovery r = RecoverWriteGroups(f);
            if (!r.Settled()) throw refuse(first, r.Refusals.front());
        }
    }
    // Every target can be renamed over, or nothing is renamed.
    for (const TStaged& s : staged_)
        if (const std::string why = RenameRefusal(s.Target); !why.empty()) throw refuse(s.Path, why);
    // The old contents stay beside each file until the save is final.
    for (TStaged& s : staged_) {
        struct stat st {};
        if (::lstat(s.Target.c_str(), &st) != 0) continue;
        for (int attempt = 0; s.Backup.empty(); ++attempt) {
            const std::string backup = s.Target + ".tmp~" + id_ + "-" + std::to_string(NextSerial());
            MarkLive(backup);
            Contents old;
            if (KeepOldContents(s.Target, backup, old)) {
                s.Backup = backup;
                s.OldSize = old.Size;
                s.OldHash = old.Hash;
            } else {
                const int err = errno;
                UnmarkLive(backup);
                if (err != EEXIST || attempt >= 100)
                    throw refuse(s.Path, std::string("its old contents cannot be kept for an undo (") +
                                             std::strerror(err) + ")");
            }
        }
    }
    for (const std::string& f : paths)
        if (!SyncFolder(f))
            throw refuse(first, "the folder \"" + f + "\" cannot be flushed to the disk (" +
                                    std::strerror(errno) + ")");
    for (const TStaged& s : staged_)
        if (!Exists(s.Temporary))
            throw refuse(s.Path, "its staged copy \"" + s.Temporary + "\" is gone");

    // One record per folder under the save's own name, the first folder's
    // written first and settled last.
    const std::string name = std::string(kRecordPrefix) + id_;
    std::vector<std::string> records;
    for (const std::string& f : paths) {
        records.push_back(f + "/" + name);
        for (const std::string_view suffix : {std::string_view(), kRecordPart, kRecordFinal})
            if (Exists(records.back() + std::string(suffix)))
                throw refuse(first, "the name of its record is taken");
    }
    // Where each folder's file system is mounted, and what it is.
    std::vector<std::string> mounts, systems;
    {
        const std::vector<MountEntry> table = MountTable();
        for (const std::string& f : paths) {
            mounts.push_back(MountPointOf(f, table));
            const MountEntry* m = MountedThere(table, mounts.back());
            const std::string identity = m ? FileSystemIdentity(*m, f) : std::string();
            systems.push_back(identity.empty() ? "?" : identity);  // never taken for the same
        }
    }
    std::size_t published = 0;
    {
        std::lock_guard<std::mutex> guard(SavesMutex());
        ActiveSaves().insert(id_);
    }
    auto unregister = [&] {
        std::lock_guard<std::mutex> guard(SavesMutex());
        ActiveSaves().erase(id_);
        for (const TStaged& s : staged_) {
            LiveFiles().erase(LiveKey(s.Temporary));
            if (!s.Backup.empty()) LiveFiles().erase(LiveKey(s.Backup));
        }
    };
    auto removeRecords = [&] {
        bool ok = true;
        for (std::size_t i = published; i-- > 0;) {
            ok = (Unlink(records[i]) || errno == ENOENT) && ok;
            ok = SyncFolder(paths[i]) && ok;
        }
        return ok;
    };
    // The size and hash of a file's new and old contents ("-" for none).
    const auto contents = [](const TStaged& s) {
        return std::to_string(s.Size) + "\t" + Hex(s.Hash) + "\t" +
               (s.Backup.empty() ? std::string("-\t-")
                                 : std::to_string(s.OldSize) + "\t" + Hex(s.OldHash));
    };
    // The files of folder K, as another folder's record names them.
    const auto filesIn = [&](std::size_t k, const char* tag) {
        std::string lines;
        for (std::size_t j = 0; j < staged_.size(); ++j)
            if (folderOf[j] == k)
                lines += std::string(tag) + "\t" + BaseName(staged_[j].Target) + "\t" +
                         contents(staged_[j]) + "\n";
        return lines;
    };
    const auto folderLines = [&](std::size_t k, const char* tag, const char* filesTag) {
        return std::string(tag) + "\t" + paths[k] + "\t" + mounts[k] + "\nD\t" + systems[k] +
               "\n" + filesIn(k, filesTag);
    };
    for (std::size_t i = 0; i < paths.size(); ++i) {
        std::string text = std::string(kRecordHeader) + "\nI\t" + id_ + "\n";
        if (i == 0) {
            for (std::size_t k = 1; k < paths.size(); ++k) text += folderLines(k, "S", "G");
        } else {
            text += folderLines(0, "P", "F");
        }
        for (std::size_t k = 0; k < staged_.size(); ++k) {
            if (folderOf[k] != i) continue;
            const TStaged& s = staged_[k];
            text += "R\t" + BaseName(s.Temporary) + "\t" + BaseName(s.Target) + "\t" +
                    (s.Backup.empty() ? std::string("-") : BaseName(s.Backup)) + "\t" +
                    contents(s) + "\n";
        }
        text += "END\n";
        // Made whole under its "part" name, then renamed to its own: a
        // rename every file system offers, and no cooperating program makes
        // the same name while the lock is held.
        const std::string part = records[i] + std::string(kRecordPart);
        const bool written = WriteWholeFile(part, text);
        bool renamed = false;
        if (written) {
            renamed = !Exists(records[i]) && Rename(part, records[i]);
            if (!renamed && Exists(records[i])) errno = EEXIST;
        }
        int err = errno;
        if (renamed) ++published;
        if (written && !renamed) ::unlink(part.c_str());
        const bool flushed = renamed && SyncFolder(paths[i]);
        if (!flushed) {
            if (renamed) err = errno;
            removeRecords();
            unregister();
            throw refuse(first, std::string("the record of its save cannot be written (") +
                                    std::strerror(err) + ")");
        }
    }

    // Puts the old files back after the renames of Done; gives the files
    // that still hold their new contents, or whose folder could not be
    // flushed after they were put back.
    auto putBack = [&](std::size_t done) {
        std::vector<bool> back(done, true), renamedIn(paths.size(), false);
        for (std::size_t i = done; i-- > 0;) {
            const TStaged& s = staged_[i];
            back[i] = s.Backup.empty() ? Unlink(s.Target) : Rename(s.Backup, s.Target);
            renamedIn[folderOf[i]] = true;
        }
        std::vector<bool> flushed(paths.size(), true);
        for (std::size_t k = 0; k < paths.size(); ++k)
            if (renamedIn[k]) flushed[k] = SyncFolder(paths[k]);
        std::vector<std::string> notBack;
        for (std::size_t i = 0; i < done; ++i)
            if (!back[i] || !flushed[folderOf[i]]) notBack.push_back(staged_[i].Path);
        return notBack;
    };
    // A save that fails before it is final is undone here, or else at the
    // next start in its folders: it is never made final later.
    auto failAfter = [&](std::size_t done, const std::string& path, const std::string& what) {
        const int err = errno;
        const std::string message = "Cannot write file \"" + path + "\": " + what + " (" +
                                    std::strerror(err) + ").";
        const std::vector<std::string> notBack = putBack(done);
        if (notBack.empty()) {
            for (std::size_t i = done; i < staged_.size(); ++i) {
                if (!staged_[i].Backup.empty()) ::unlink(staged_[i].Backup.c_str());
                ::unlink(staged_[i].Temporary.c_str());
            }
            // A record that cannot be removed now is removed by the next
            // start in its folder, which finds every file as it was.
            removeRecords();
            unregister();
            staged_.clear();
            return IniWriteError(message + " No file of its save was changed.");
        }
        std::vector<std::string> all;
        for (const TStaged& s : staged_) all.push_back(s.Path);
        unregister();
        staged_.clear();
        return IniWriteError(message + " Not saved: " + QuotedList(all) + ". " +
                             QuotedList(notBack) +
                             " could not be put back yet: the next start in their folder puts "
                             "back their old contents.");
    };
    // As if the process were killed here: staged files and records stay.
    auto stopHere = [&] {
        unregister();
        staged_.clear();
        return written;
    };

    for (std::size_t i = 0; i < staged_.size(); ++i) {
        if (StopAfterRenames >= 0 && static_cast<int>(i) == StopAfterRenames) return stopHere();
        const TStaged& s = staged_[i];
        if (!Rename(s.Temporary, s.Target))
            throw failAfter(i, s.Path, "it could not be renamed into place");
        written.push_back(s.Path);
    }
    if (StopAfterRenames >= 0 && static_cast<int>(written.size()) == StopAfterRenames)
        return stopHere();
    for (const std::string& f : paths)
        if (!SyncFolder(f))
            throw failAfter(staged_.size(), first,
                            "the folder \"" + f + "\" cannot be flushed to the disk");
    // The save is final once the first folder's record has its final name.
    const std::string final = records[0] + std::string(kRecordFinal);
    if (!Rename(records[0], final))
        throw failAfter(staged_.size(), first, "the record of its save cannot be made final");
    const bool flushed = SyncFolder(paths[0]);
    const int flushError = errno;

    // Made final: what is left is tidying, which the next start in these
    // folders finishes when it cannot be done now. Each other folder's
    // record goes before its old contents (while it is there, the folder
    // can still be undone, should its first folder be put back from a copy
    // made before the save), then the first folder's old contents, and its
    // record once the others are gone for good.
    const auto dropBackups = [&](std::size_t folder) {
        for (std::size_t j = 0; j < staged_.size(); ++j)
            if (folderOf[j] == folder && !staged_[j].Backup.empty())
                ::unlink(staged_[j].Backup.c_str());
    };
    std::vector<std::pair<std::string, int>> stuck;  // records left, and why
    const auto removeRecord = [&](const std::string& record, std::size_t folder) {
        const bool gone = (Unlink(record) || errno == ENOENT) && SyncFolder(paths[folder]);
        if (!gone) stuck.emplace_back(record, errno);
        return gone;
    };
    bool othersGone = true;
    for (std::size_t i = records.size(); i-- > 1;) {
        const bool gone = removeRecord(records[i], i);
        if (gone) dropBackups(i);
        othersGone = gone && othersGone;
    }
    dropBackups(0);
    if (othersGone) removeRecord(final, 0);
    unregister();
    staged_.clear();
    if (!flushed)
        CurrentMessageSink().Warning(
            "The files " + QuotedList(written) + " were saved, but the folder \"" + paths[0] +
            "\" cannot be flushed to the disk (" + std::strerror(flushError) +
            "): a power cut before the system writes it may still undo the save.");
    for (const auto& [record, err] : stuck)
        CurrentMessageSink().Warning("The files " + QuotedList(written) +
                                     " were saved, but the record \"" + record +
                                     "\" of their save could not be removed (" +
                                     std::strerror(err) +
                                     "): the next start in its folder removes it.");
    return written;
}

namespace {

// What the record of a stopped save asks: the refusal, when it cannot be
// settled, tells which record it is and what to do.
std::string RecordRefusal(const std::string& record, const std::string& why) {
    return "The record \"" + record + "\" of a save that was stopped part way " + why +
           ". The files of its folder may be part old, part new, so nothing is read from them "
           "or saved over them. Check the files it names against the \".tmp~\" files beside "
           "them (each line that starts with R names a file's new contents, the file and its "
           "old contents kept, in that order), then remove the record.";
}

// What a file holds, against a save's new contents for it and its old ones
// (none: the save made it). New and Old both hold when they are alike.
struct Held {
    bool Absent = false, New = false, Old = false;
};
Held WhatFileHolds(const std::string& file, const Contents& now, const Contents* old) {
    Held h;
    struct stat st {};
    if (::lstat(file.c_str(), &st) != 0) {
        h.Absent = errno == ENOENT || errno == ENOTDIR;
        return h;
    }
    std::string data;
    if (!S_ISREG(st.st_mode) ||
        ReadRegularFile(file, data, std::max(now.Size, old ? old->Size : 0)) != FileState::Readable)
        return h;
    const Contents c = ContentsOf(data);
    h.New = c == now;
    h.Old = old && c == *old;
    return h;
}

// The note of an undo: the files that hold their old contents again and
// those the save had made, removed.
std::string UndoNote(const std::vector<std::string>& restored,
                     const std::vector<std::string>& removed, const std::string& where) {
    std::string text = "A save that was stopped part way was undone" + where + ": ";
    if (!restored.empty())
        text += QuotedList(restored) +
                (restored.size() == 1 ? " holds its contents" : " hold their contents") +
                " from before it again";
    if (!removed.empty())
        text += (restored.empty() ? "" : "; ") + QuotedList(removed) +
                (removed.size() == 1 ? ", which it had made, was removed"
                                     : ", which it had made, were removed");
    return text + ".";
}

// Every file of Files that the save replaced (not made) is in Folder: those
// are there whatever stage the save reached.
bool HoldsReplaced(const std::string& folder, const std::vector<SavedFile>& files) {
    return std::all_of(files.begin(), files.end(), [&](const SavedFile& f) {
        return f.Created || Exists(folder + "/" + f.Name);
    });
}

// A save's other folder, not there now, was deleted: the file system it was
// on is mounted where it was at the save. One on a disk not mounted now is
// not taken for deleted (nor is any folder an earlier build's record names);
// from format 4 on, nor is one whose place holds another disk.
bool FolderGone(const OtherFolder& other, int format) {
    struct stat st {};
    if (::stat(other.Path.c_str(), &st) == 0 || (errno != ENOENT && errno != ENOTDIR) ||
        other.Mount.empty())
        return false;
    if (format >= 4) return MountedNowAt(other.Mount, other.Identity);
    return other.Mount == "/" || MountedAt(other.Mount);
}

// The other folder Other holds no record of the save Id (of any stage) and
// is there as the save left it (from format 4 on: on the disk it was on),
// or it was deleted: its part of the save is settled.
bool OtherFolderSettled(const OtherFolder& other, const std::string& id, int format) {
    const std::string record = other.Path + "/" + std::string(kRecordPrefix) + id;
    struct stat st {};
    if (::stat(other.Path.c_str(), &st) != 0) return FolderGone(other, format);
    return S_ISDIR(st.st_mode) && HoldsReplaced(other.Path, other.Files) && !Exists(record) &&
           !Exists(record + std::string(kRecordPart)) &&
           !Exists(record + std::string(kRecordFinal)) &&
           (format < 4 || FileSystemOf(other.Path) == other.Identity);
}

// What a save's first folder, where its record of the save is not found,
// tells of the save (format 4): by what its files hold, the save was made
// final there (Kept) or was not, or was undone (Undone); or it cannot be
// told (Refused, Why saying what is amiss). Files a save made count as not
// made only when they are absent from a folder on the disk it was on at
// the save: an empty folder in the place of a disk not mounted tells
// nothing.
constexpr const char* kMakeReachable =
    ": make it reachable again as it was (mount the disk it was on, or move it back) and start "
    "again";
struct Verdict {
    enum { Kept, Undone, Refused } Outcome;
    std::string Why;
    bool Deleted = false;  // the folder is no longer there
};
Verdict JudgeFirstFolder(const OtherFolder& first) {
    struct stat dir {};
    if (::stat(first.Path.c_str(), &dir) != 0) {
        const int err = errno;
        if (err != ENOENT && err != ENOTDIR)
            return {Verdict::Refused,
                    "cannot be reached (" + std::string(std::strerror(err)) + ")" + kMakeReachable};
        if (MountedNowAt(first.Mount, first.Identity)) return {Verdict::Undone, "", true};
        return {Verdict::Refused,
                (MountedAt(first.Mount)
                     ? "is not there, and the disk mounted at \"" + first.Mount +
                           "\" is not the one it was on"
                     : "is not there, nor is the disk it was on (mounted at \"" + first.Mount +
                           "\")") +
                    kMakeReachable};
    }
    if (!S_ISDIR(dir.st_mode))
        return {Verdict::Refused, "cannot be reached (" + std::string(std::strerror(ENOTDIR)) +
                                      ")" + kMakeReachable};
    const bool sameDisk = FileSystemOf(first.Path) == first.Identity;
    bool allNew = true, allOld = true;
    std::vector<std::string> missing, odd;
    for (const SavedFile& f : first.Files) {
        const Held h = WhatFileHolds(first.Path + "/" + f.Name, f.New, f.Created ? nullptr : &f.Old);
        const bool old = h.Old || (f.Created && h.Absent && sameDisk);
        allNew = allNew && h.New;
        allOld = allOld && old;
        if (!h.New && !old) (h.Absent ? missing : odd).push_back(f.Name);
    }
    if (allNew) return {Verdict::Kept, ""};
    if (allOld) return {Verdict::Undone, ""};
    std::vector<std::string> parts;
    if (!missing.empty())
        parts.push_back("lacks " + QuotedList(missing));
    if (!odd.empty())
        parts.push_back("holds " + QuotedList(odd) + " neither as the save made " +
                        (odd.size() == 1 ? "it" : "them") + " nor as " +
                        (odd.size() == 1 ? "it was" : "they were") + " before it");
    if (parts.empty())
        parts.push_back("holds some of the save's files as it made them, others as they were "
                        "before it");
    std::string why = parts[0] + (parts.size() > 1 ? " and " + parts[1] : "");
    if (!sameDisk) why += ", and it is not on the disk it was on at the save";
    return {Verdict::Refused, why + kMakeReachable};
}

// How deep the recoveries this thread makes are nested: a first folder is
// settled for another folder's sake, but never a third for its sake.
thread_local int SettlingDepth = 0;

TRecovery RecoverNested(const std::string& folder);

// Holds the first folder First of a save (when it is there) in Lock while
// its files are judged, and settles the saves stopped there first: until
// they are, its files may hold what one of them made and will undo. Adds
// what that settling did to Out; false, with Why, when it cannot be done.
bool SettleFirstFolder(const std::string& first, TFolderLock& lock, TRecovery& out,
                       std::string& why) {
    struct stat dir {};
    if (::stat(first.c_str(), &dir) != 0 || !S_ISDIR(dir.st_mode)) return true;
    std::string error;
    if (!lock.Acquire({first}, error) && lock.Busy()) {
        why = "is held by another program (" + error + "): start again once it is not";
        return false;
    }
    if (RecordNames(first).empty()) return true;
    if (SettlingDepth > 0) {
        why = "holds the record of another save stopped part way: start the program there "
              "first, then again here";
        return false;
    }
    const TRecovery r = RecoverNested(first);
    out.Notes.insert(out.Notes.end(), r.Notes.begin(), r.Notes.end());
    if (r.Settled()) return true;
    why = "holds the record of another save stopped part way, which cannot be settled: " +
          r.Refusals.front() + " Once it is, start again";
    return false;
}

// Settles the record Name of Folder (absolute, locked by the caller): the
// save it belongs to is undone in this folder (every file as it was before
// it), or, when the save was made final, its leftovers are removed. Adds a
// note or a refusal to Out.
void SettleRecord(const std::string& folder, const std::string& name, const RecordName& rn,
                  TRecovery& out) {
    const std::string record = folder + "/" + name;
    struct stat st {};
    if (::lstat(record.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
        out.Refusals.push_back(RecordRefusal(record, "is no regular file"));
        return;
    }
    std::string text;
    const FileState state = ReadRegularFile(record, text, kMaxRecordBytes);
    if (state != FileState::Readable) {
        out.Refusals.push_back(RecordRefusal(
            record, "cannot be read (" +
                        std::string(state == FileState::TooLarge ? "too large"
                                                                 : std::strerror(errno)) +
                        ")"));
        return;
    }
    CommitRecord rec;
    if (!ParseRecord(text, rn, rec) || (rn.Final && !rec.Primary.Path.empty())) {
        out.Refusals.push_back(RecordRefusal(
            record, "is damaged, or names files other than those of its own folder"));
        return;
    }
    const bool v4 = rec.Format >= 4;
    const auto in = [&](const std::string& n) { return folder + "/" + n; };
    const std::string own = std::string(kRecordPrefix) + rn.Id;

    // Whether the save was made final: its first folder's record says, or,
    // where that is not found, what the first folder holds.
    bool final = rn.Final;
    std::string where;  // said in the note when the first folder is gone
    if (!rec.Primary.Path.empty()) {
        const std::string there = rec.Primary.Path + "/" + own;
        const std::string gone = " in \"" + folder + "\" (the folder \"" + rec.Primary.Path +
                                 "\" it also changed is no longer there)";
        struct stat dir {};
        const bool reached = ::stat(rec.Primary.Path.c_str(), &dir) == 0;
        const int reachError = errno;
        if (Exists(there + std::string(kRecordFinal))) {
            final = true;
        } else if (Exists(there) || Exists(there + std::string(kRecordPart))) {
            final = false;
        } else if (v4) {
            TFolderLock firstLock;
            std::string why;
            const Verdict v = SettleFirstFolder(rec.Primary.Path, firstLock, out, why)
                                  ? JudgeFirstFolder(rec.Primary)
                                  : Verdict{Verdict::Refused, why};
            if (v.Outcome == Verdict::Refused) {
                out.Refusals.push_back(RecordRefusal(
                    record, "belongs to a save that also changed the folder \"" +
                                rec.Primary.Path + "\", whose record of the save is not there; " +
                                "that folder " + v.Why));
                return;
            }
            final = v.Outcome == Verdict::Kept;
            if (v.Deleted) where = gone;
        } else if (FolderGone(rec.Primary, rec.Format)) {
            // Deleted with the lists it held: what the save did here is
            // undone, so this folder is as it was before it.
            where = gone;
        } else if (!reached || !S_ISDIR(dir.st_mode) ||
                   !HoldsReplaced(rec.Primary.Path, rec.Primary.Files)) {
            const std::string missing =
                reached && S_ISDIR(dir.st_mode)
                    ? "does not hold the files the save changed there"
                : reached || (reachError != ENOENT && reachError != ENOTDIR)
                    ? "cannot be reached (" + std::string(std::strerror(reached ? ENOTDIR : reachError)) + ")"
                    : "is not there, nor is the disk it was on (mounted at \"" + rec.Primary.Mount + "\")";
            out.Refusals.push_back(RecordRefusal(
                record, "belongs to a save that also changed the folder \"" + rec.Primary.Path +
                            "\", which " + missing +
                            " now: make it reachable again (mount it, or move it back) and start "
                            "again"));
            return;
        } else {
            // The first folder, there with its files, holds no record: it
            // was settled undone (an earlier build removed its record to
            // make the save final instead).
            final = rn.Old;
        }
    }
    if (::access(folder.c_str(), W_OK | X_OK) != 0) {
        out.Refusals.push_back(RecordRefusal(
            record, std::string("cannot be settled: its folder cannot be written (") +
                        std::strerror(errno) + ")"));
        return;
    }

    // What each file needs, checked before anything is touched. A staged
    // copy or old contents that are gone are taken for renamed or put back
    // only where the file holds what that means (from format 4 on).
    enum class Act { None, Restore, Remove };
    std::vector<Act> acts(rec.Entries.size(), Act::None);
    std::vector<std::string> changed, lost;
    for (std::size_t i = 0; i < rec.Entries.size(); ++i) {
        const RecordEntry& e = rec.Entries[i];
        const bool staged = Exists(in(e.Temporary));
        if (final) {
            if (staged) {
                out.Refusals.push_back(RecordRefusal(
                    record, "was made final, yet \"" + e.Temporary + "\" was never renamed"));
                return;
            }
            continue;
        }
        if (staged) continue;  // never renamed
        const bool made = e.Backup.empty();
        if (v4) {
            const Held h = WhatFileHolds(in(e.Target), e.New, made ? nullptr : &e.Old);
            if (h.Old || (made && h.Absent)) continue;  // never renamed, or put back
            if (!h.New) {
                changed.push_back(e.Target);
            } else if (made) {
                acts[i] = Act::Remove;
            } else if (WhatFileHolds(in(e.Backup), e.Old, nullptr).New) {
                acts[i] = Act::Restore;
            } else {
                lost.push_back(e.Target);
            }
            continue;
        }
        const bool pending = made ? Exists(in(e.Target)) : Exists(in(e.Backup));
        if (!pending) continue;  // put back already
        if (!WhatFileHolds(in(e.Target), e.New, nullptr).New)
            changed.push_back(e.Target);
        else
            acts[i] = made ? Act::Remove : Act::Restore;
    }
    if (!changed.empty() || !lost.empty()) {
        std::string why = "cannot be undone: ";
        if (!lost.empty())
            why += "the contents from before it of " + QuotedList(lost) + " are gone (the " +
                   (lost.size() == 1 ? "\".tmp~\" file that kept them was"
                                     : "\".tmp~\" files that kept them were") +
                   " removed), and " + (lost.size() == 1 ? "that file holds" : "those files hold") +
                   " what the save wrote";
        if (!changed.empty())
            why += (lost.empty() ? "" : "; ") + QuotedList(changed) + " changed after it";
        out.Refusals.push_back(RecordRefusal(record, why));
        return;
    }

    bool ok = true;
    std::vector<std::string> restored, removed;
    for (std::size_t i = 0; i < rec.Entries.size(); ++i) {
        const RecordEntry& e = rec.Entries[i];
        if (acts[i] == Act::Restore) {
            ok = std::rename(in(e.Backup).c_str(), in(e.Target).c_str()) == 0 && ok;
            restored.push_back(in(e.Target));
        } else if (acts[i] == Act::Remove) {
            ok = ::unlink(in(e.Target).c_str()) == 0 && ok;
            removed.push_back(in(e.Target));
        }
        // The old contents go before the staged copy: an earlier build takes
        // a file whose staged copy is gone for renamed.
        if (!e.Backup.empty() && Exists(in(e.Backup)))
            ok = ::unlink(in(e.Backup).c_str()) == 0 && ok;
        if (Exists(in(e.Temporary))) ok = ::unlink(in(e.Temporary).c_str()) == 0 && ok;
    }
    ok = SyncFolder(folder) && ok;
    // A final record stays until the other folders hold none of the save's:
    // they ask it whether the save was made final. (An earlier build's first
    // folder kept its record, undone, for the same question.)
    bool othersSettled = true;
    std::vector<std::string> gone;
    if (final || rn.Old)
        for (const OtherFolder& other : rec.Secondaries) {
            othersSettled = othersSettled && OtherFolderSettled(other, rn.Id, rec.Format);
            if (FolderGone(other, rec.Format)) gone.push_back(other.Path);
        }
    if (ok && othersSettled) ok = ::unlink(record.c_str()) == 0 && SyncFolder(folder);
    if (ok && othersSettled && final && !gone.empty())
        out.Notes.push_back("A save that was stopped after it was made final keeps its files in \"" +
                            folder + "\"; " +
                            (gone.size() == 1 ? "the folder " : "the folders ") + QuotedList(gone) +
                            (gone.size() == 1 ? " it also changed is" : " it also changed are") +
                            " no longer there.");
    if (!ok) {
        out.Refusals.push_back(RecordRefusal(
            record, std::string("could not be settled (") + std::strerror(errno) + ")"));
        return;
    }
    if (!restored.empty() || !removed.empty())
        out.Notes.push_back(UndoNote(restored, removed, where));
}

// Folder holds a name that may be a leftover temporary.
bool HasTemporaries(const std::string& folder) {
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        if (TemporaryName(it->path().filename().string())) return true;
    }
    return false;
}

}  // namespace

namespace {

TRecovery RecoverNested(const std::string& folder) {
    ++SettlingDepth;
    try {
        TRecovery r = RecoverWriteGroups(folder);
        --SettlingDepth;
        return r;
    } catch (...) {
        --SettlingDepth;
        throw;
    }
}

}  // namespace

TRecovery RecoverWriteGroups(const std::string& folderName) {
    TRecovery out;
    const std::string folder = CanonicalPath(folderName);
    TFolderLock lock;
    std::string lockError;
    if (RecordNames(folder).empty()) {
        // Only leftovers, if anything: cleared when nobody else holds the
        // folder, else left to whoever does.
        if (HasTemporaries(folder) && lock.Acquire({folder}, lockError, 0)) ClearLeftovers(folder);
        return out;
    }
    // Every commit holds this lock: with it held, no record here belongs to
    // a save going on. The records are looked for again then: a save that
    // was going on has removed its own.
    if (!lock.Acquire({folder}, lockError)) {
        out.Refusals.push_back(lockError + " A save of another program may be going on there: "
                                           "nothing was read from that folder.");
        return out;
    }
    for (const std::string& n : RecordNames(folder)) {
        const std::string record = folder + "/" + n;
        RecordName rn;
        if (!ParseRecordName(n, rn)) {
            out.Refusals.push_back(RecordRefusal(record, "has a name this program never gives"));
            continue;
        }
        {
            std::lock_guard<std::mutex> guard(SavesMutex());
            if (ActiveSaves().count(rn.Id)) continue;  // this process's own, going on now
        }
        if (!Exists(record)) continue;  // settled with another record of its save
        // A record never finished: no file was renamed under it, and its
        // temporaries go with the other leftovers below.
        if (rn.Part)
            ::unlink(record.c_str());
        else
            SettleRecord(folder, n, rn, out);
    }
    ClearLeftovers(folder);
    return out;
}

}  // namespace platform
