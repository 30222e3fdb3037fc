#include "platform/inifile.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <set>

#include "platform/folder_lock.h"

namespace platform {

namespace {

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]);
        unsigned char y = static_cast<unsigned char>(b[i]);
        if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

std::string_view TrimView(std::string_view s) {
    std::size_t b = 0, e = s.size();
    while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
    while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
    return s.substr(b, e - b);
}

std::string Unquote(std::string_view v) {
    v = TrimView(v);
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        v = v.substr(1, v.size() - 2);
    return std::string(v);
}

}  // namespace

FileState ProbeFile(const std::string& path) {
    // Non-blocking, so that opening a pipe with no writer does not wait.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return (errno == ENOENT || errno == ENOTDIR) ? FileState::Missing : FileState::Unreadable;
    struct stat st {};
    FileState state = FileState::Readable;
    if (::fstat(fd, &st) != 0)
        state = FileState::Unreadable;
    else if (!S_ISREG(st.st_mode))
        state = FileState::NotAFile;
    ::close(fd);
    return state;
}

FileState ReadRegularFile(const std::string& path, std::string& data, std::uint64_t maxBytes) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return (errno == ENOENT || errno == ENOTDIR) ? FileState::Missing : FileState::Unreadable;
    struct FdCloser {
        int fd;
        ~FdCloser() { ::close(fd); }
    } closer{fd};
    struct stat st {};
    if (::fstat(fd, &st) != 0) return FileState::Unreadable;
    if (!S_ISREG(st.st_mode)) return FileState::NotAFile;
    if (static_cast<std::uint64_t>(st.st_size) > maxBytes) return FileState::TooLarge;
    std::string buffer;
    buffer.reserve(static_cast<std::size_t>(st.st_size));
    char chunk[1 << 16];
    for (;;) {
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n < 0) {
            if (errno == EINTR) continue;
            return FileState::Unreadable;
        }
        if (n == 0) break;
        // The file may have grown since it was measured.
        if (buffer.size() + static_cast<std::size_t>(n) > maxBytes) return FileState::TooLarge;
        buffer.append(chunk, static_cast<std::size_t>(n));
    }
    data.swap(buffer);
    return FileState::Readable;
}

bool ReadFileBytes(const std::string& path, std::string& data) {
    return ReadRegularFile(path, data) == FileState::Readable;
}

namespace {


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

// The number that makes this process's temporary names, kept old contents
// and records unique: one counter for all of them, so that none takes
// another's name.
unsigned NextSerial() {
    static std::atomic<unsigned> serial{0};
    return serial++;
}

// The group that takes this thread's writes, if any.
thread_local TFileWriteGroup* OpenGroup = nullptr;

// A group's commit record: ".tessaly-commit~<pid>-<n>" in every folder the
// group writes to, written (through "<record>.part") before the first rename.
// Each names only the files of its own folder, by their bare names, with the
// old contents kept for an undo and the new contents' size and hash. The
// record of the group's first folder is its commit point: removing it makes
// the group's save final; the records of the other folders name that folder.
constexpr std::string_view kRecordPrefix = ".tessaly-commit~";
constexpr std::string_view kRecordPart = ".part";
constexpr std::string_view kRecordHeader = "TESSALY WRITE GROUP 2";

// The process id that starts Rest ("<pid>-..."), as the names of temporary
// files and commit records carry it; false when Rest starts otherwise.
bool PidBeforeDash(std::string_view rest, pid_t& pid) {
    const auto r = std::from_chars(rest.data(), rest.data() + rest.size(), pid);
    return r.ec == std::errc() && pid > 0 && r.ptr != rest.data() + rest.size() && *r.ptr == '-';
}

bool AllDigits(std::string_view s) {
    return !s.empty() && s.find_first_not_of("0123456789") == std::string_view::npos;
}

// "<pid>-<n>", digits only: the process id.
bool ParseSaveId(std::string_view id, pid_t& pid) {
    const std::size_t dash = id.find('-');
    return dash != std::string_view::npos && AllDigits(id.substr(0, dash)) &&
           AllDigits(id.substr(dash + 1)) && PidBeforeDash(id, pid);
}

// The process id in a record's name; false when it is no record name.
bool RecordOwner(std::string_view name, pid_t& pid) {
    return name.starts_with(kRecordPrefix) &&
           PidBeforeDash(name.substr(kRecordPrefix.size()), pid);
}

// The processes that have a commit record in Folder.
std::vector<pid_t> CommitRecordOwners(const std::filesystem::path& folder) {
    std::vector<pid_t> owners;
    std::error_code ec;
    std::filesystem::directory_iterator it(folder, ec);
    for (; !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
        pid_t pid = 0;
        if (RecordOwner(it->path().filename().string(), pid)) owners.push_back(pid);
    }
    return owners;
}

bool ProcessRuns(pid_t pid) {
    return pid == ::getpid() || !(::kill(pid, 0) != 0 && errno == ESRCH);
}

// The records of the commits this process is making now (absolute paths):
// the only records a recovery leaves alone, whatever the process id.
std::mutex& ActiveRecordsMutex() {
    static std::mutex m;
    return m;
}
std::set<std::string>& ActiveRecords() {
    static std::set<std::string> s;
    return s;
}
bool RecordActive(const std::string& path) {
    std::lock_guard<std::mutex> guard(ActiveRecordsMutex());
    return ActiveRecords().count(path) != 0;
}

// Flushes a folder's entries (names made, renamed or removed) to the disk;
// false, with errno set, when that failed.
bool SyncFolder(const std::string& folder) {
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

std::string FolderOfFile(const std::string& file) {
    const std::filesystem::path p(file);
    return p.parent_path().empty() ? std::string(".") : p.parent_path().string();
}

bool Exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

// "<device>:<inode>" of a folder, empty when it is not there: tells a folder
// from another one put in its place (an empty mount point).
std::string FolderIdentity(const std::string& folder) {
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return "";
    return std::to_string(static_cast<unsigned long long>(st.st_dev)) + ":" +
           std::to_string(static_cast<unsigned long long>(st.st_ino));
}

// Writes Text to Path completely, flushed; false when it could not be.
bool WriteWholeFile(const std::string& path, std::string_view text) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    bool ok = WriteAll(fd, text);
    ok = ::fsync(fd) == 0 && ok;
    ok = ::close(fd) == 0 && ok;
    if (!ok) ::unlink(path.c_str());
    return ok;
}

// A record's lines: the files of its folder, and the group's other folders.
struct RecordEntry {
    std::string Temporary, Target, Backup;  // bare names; Backup empty: no old file
    std::uint64_t Size = 0, Hash = 0;       // of the new contents
};
struct CommitRecord {
    std::string Primary;                  // the first folder, in the other folders' records
    std::string PrimaryIdentity;
    std::vector<std::pair<std::string, std::string>> Secondaries;  // the other folders and
                                                                   // their identities, in the
                                                                   // first folder's record
    std::vector<std::string> PrimaryFiles; // the names the save gave the first folder
    std::vector<RecordEntry> Entries;
};

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

// A bare file name of the record's own folder.
bool PlainName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of(std::string_view("/\0", 2)) == std::string_view::npos;
}

// Name is exactly "<target>.tmp~<pid>-<n>" of the record's process.
bool TemporaryOf(std::string_view name, std::string_view target, pid_t pid) {
    const std::string start = std::string(target) + ".tmp~" + std::to_string(pid) + "-";
    return name.starts_with(start) && AllDigits(name.substr(start.size()));
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

// Reads a record of process Pid; false when it is damaged, cut short or
// names anything but its own folder's files and their temporary names.
bool ParseRecord(std::string_view text, pid_t pid, CommitRecord& rec, bool lenient = false) {
    bool first = true;
    std::vector<std::string> targets;
    while (!text.empty()) {
        const std::size_t nl = text.find('\n');
        if (nl == std::string_view::npos) return lenient;  // a last line cut short
        const std::string_view line = text.substr(0, nl);
        text.remove_prefix(nl + 1);
        if (first) {
            if (line != kRecordHeader) return false;
            first = false;
            continue;
        }
        if (line == "END") return text.empty();
        const std::vector<std::string_view> f = SplitTabs(line);
        const auto absolute = [](std::string_view p) {
            return p.size() > 1 && p.front() == '/' && p.find('\0') == std::string_view::npos;
        };
        if (f[0] == "P" && f.size() == 3 && absolute(f[1]) && rec.Primary.empty()) {
            rec.Primary = f[1];
            rec.PrimaryIdentity = f[2];
        } else if (f[0] == "F" && f.size() == 2 && PlainName(f[1])) {
            rec.PrimaryFiles.emplace_back(f[1]);
        } else if (f[0] == "S" && f.size() == 3 && absolute(f[1])) {
            rec.Secondaries.emplace_back(f[1], f[2]);
        } else if (f[0] == "R" && f.size() == 6) {
            RecordEntry e{std::string(f[1]), std::string(f[2]), std::string(f[3])};
            if (e.Backup == "-") e.Backup.clear();
            const auto num = [](std::string_view s, int base, std::uint64_t& v) {
                const auto r = std::from_chars(s.data(), s.data() + s.size(), v, base);
                return !s.empty() && r.ec == std::errc() && r.ptr == s.data() + s.size();
            };
            if (!PlainName(e.Target) || !TemporaryOf(e.Temporary, e.Target, pid) ||
                (!e.Backup.empty() && !TemporaryOf(e.Backup, e.Target, pid)) ||
                e.Backup == e.Temporary || !num(f[4], 10, e.Size) || !num(f[5], 16, e.Hash) ||
                std::find(targets.begin(), targets.end(), e.Target) != targets.end())
                return lenient;
            targets.push_back(e.Target);
            rec.Entries.push_back(std::move(e));
        } else {
            return lenient;
        }
    }
    return lenient;
}

// Removes the temporary files of Target ("<target>.tmp~<pid>-<n>") whose
// process no longer runs: what a killed write left behind.
void RemoveStaleTemporaries(const std::string& target) {
    namespace fs = std::filesystem;
    const std::string prefix = fs::path(target).filename().string() + ".tmp~";
    const fs::path folder = FolderOfFile(target);
    // The staged files and old contents of a group whose commit record is
    // there wait for that record to be settled: they are not stale.
    const std::vector<pid_t> committing = CommitRecordOwners(folder);
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (!name.starts_with(prefix)) continue;
        pid_t pid = 0;
        if (!ParseSaveId(std::string_view(name).substr(prefix.size()), pid) || pid == ::getpid())
            continue;
        if (std::find(committing.begin(), committing.end(), pid) != committing.end()) continue;
        struct stat st {};
        if (::lstat(it->path().c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
        if (!ProcessRuns(pid)) ::unlink(it->path().c_str());
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
    namespace fs = std::filesystem;
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

    // A file the user may not write is not replaced behind their back (the
    // rename would do it, as it needs only the folder's permission).
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
    if (exists && WriteProtected(path))
        throw IniWriteError("Cannot write file \"" + path + "\": the file is write-protected");

    RemoveStaleTemporaries(target);

    // A name of this process alone, created exclusively.
    std::string tmp;
    int fd = -1;
    for (int attempt = 0; fd < 0; ++attempt) {
        tmp = target + ".tmp~" + std::to_string(::getpid()) + "-" + std::to_string(NextSerial());
        fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && (errno != EEXIST || attempt >= 100)) throw error("", errno);
    }
    auto fail = [&](const char* what) {
        const int err = errno;
        ::close(fd);
        ::unlink(tmp.c_str());
        throw error(what, err);
    };
    // The new file takes the old one's owner (where allowed) and permission bits.
    if (exists) {
        if (::fchown(fd, old.st_uid, old.st_gid) != 0) {
            // Only a privileged process may give a file away; the bits still count.
        }
        if (::fchmod(fd, old.st_mode & 07777) != 0) fail("permissions not kept");
    }
    if (!WriteAll(fd, data)) fail("write failed");
    if (::fsync(fd) != 0) fail("flush failed");
    if (::close(fd) != 0) {
        const int err = errno;
        ::unlink(tmp.c_str());
        throw error("close failed", err);
    }
    if (OpenGroup) {
        // A second write of one target in the group replaces the first.
        auto& staged = OpenGroup->staged_;
        for (auto it = staged.begin(); it != staged.end(); ++it)
            if (it->Target == target) {
                ::unlink(it->Temporary.c_str());
                staged.erase(it);
                break;
            }
        try {
            staged.push_back({path, target, tmp, std::string(), data.size(), ContentHash(data)});
        } catch (...) {
            ::unlink(tmp.c_str());
            throw;
        }
        return;
    }
    if (std::rename(tmp.c_str(), target.c_str()) != 0) {
        const int err = errno;
        ::unlink(tmp.c_str());
        throw error("rename failed", err);
    }
    // The new name is on the disk only once its folder is.
    if (!SyncFolder(FolderOfFile(target)))
        throw error("the file was replaced, but its folder cannot be flushed to the disk, so a "
                    "power cut may still undo it",
                    errno);
}

TFileWriteGroup::TFileWriteGroup() {
    if (OpenGroup) return;
    OpenGroup = this;
    active_ = true;
}

TFileWriteGroup::~TFileWriteGroup() {
    Discard();
    if (active_) OpenGroup = nullptr;
}

void TFileWriteGroup::Discard() {
    for (const TStaged& s : staged_) {
        ::unlink(s.Temporary.c_str());
        if (!s.Backup.empty()) ::unlink(s.Backup.c_str());
    }
    staged_.clear();
}

namespace {

// Path (absolute, links followed) is where something is mounted: a file
// mounted over another (as a container's volume is) cannot be renamed over.
bool MountedAt(const std::string& path) {
    std::string table;  // read to its end: /proc files tell no size
    if (ReadRegularFile("/proc/self/mountinfo", table, 1 << 24) != FileState::Readable)
        return false;
    std::size_t pos = 0;
    while (pos < table.size()) {
        std::size_t end = table.find('\n', pos);
        if (end == std::string::npos) end = table.size();
        // "id parent major:minor root mount-point ...", blanks written as \040.
        std::string_view line(table.data() + pos, end - pos);
        pos = end + 1;
        for (int field = 0; field < 4; ++field) {
            const std::size_t blank = line.find(' ');
            if (blank == std::string_view::npos) return false;
            line.remove_prefix(blank + 1);
        }
        const std::string_view raw = line.substr(0, line.find(' '));
        std::string point;
        for (std::size_t i = 0; i < raw.size(); ++i) {
            if (raw[i] == '\\' && i + 3 < raw.size()) {
                point += static_cast<char>((raw[i + 1] - '0') * 64 + (raw[i + 2] - '0') * 8 +
                                           (raw[i + 3] - '0'));
                i += 3;
            } else {
                point += raw[i];
            }
        }
        if (point == path) return true;
    }
    return false;
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
    const std::string canonical = std::filesystem::weakly_canonical(target, ec).string();
    if (file.st_dev != dir.st_dev || (!ec && MountedAt(canonical)))
        return "it is mounted where it stands and cannot be replaced (" +
               std::string(std::strerror(EBUSY)) + ")";
    const uid_t me = ::geteuid();
    if ((dir.st_mode & S_ISVTX) && me != 0 && file.st_uid != me && dir.st_uid != me)
        return "it belongs to another user in a shared folder (" +
               std::string(std::strerror(EPERM)) + ")";
    return "";
}

// Keeps the old contents of Target under Backup (a second link, else a
// copy), so that the group can be undone; false, with errno set, when not.
bool KeepOldContents(const std::string& target, const std::string& backup) {
    if (::link(target.c_str(), backup.c_str()) == 0) return true;
    std::string data;
    if (ReadRegularFile(target, data) != FileState::Readable) {
        if (errno == 0) errno = EIO;
        return false;
    }
    return WriteWholeFile(backup, data);
}

std::string QuotedList(const std::vector<std::string>& names) {
    std::string list;
    for (const std::string& n : names) list += (list.empty() ? "\"" : ", \"") + n + "\"";
    return list;
}

}  // namespace

std::vector<std::string> TFileWriteGroup::Commit() {
    if (active_) OpenGroup = nullptr;
    active_ = false;
    std::vector<std::string> written;
    if (staged_.empty()) return written;
    const std::string first = staged_.front().Path;
    auto refuse = [&](std::string path, const std::string& why) {
        Discard();
        return IniWriteError("Cannot write file \"" + path + "\": " + why +
                             ". No file of its save was changed.");
    };

    // The folders written to, in the order of their first file, and the
    // folder of each file.
    std::vector<std::string> folders;
    std::vector<std::size_t> folderOf;
    for (const TStaged& s : staged_) {
        const std::string folder = CanonicalPath(FolderOfFile(s.Target));
        const auto at = std::find(folders.begin(), folders.end(), folder);
        folderOf.push_back(static_cast<std::size_t>(at - folders.begin()));
        if (at == folders.end()) folders.push_back(folder);
    }
    // Every commit holds the lock of its folders: a record that a recovery
    // finds while holding that lock belongs to no commit going on.
    TFolderLock lock;
    std::string lockError;
    if (!lock.Acquire(folders, lockError)) throw refuse(first, lockError);

    // Every target can be renamed over, or nothing is renamed.
    for (const TStaged& s : staged_)
        if (const std::string why = RenameRefusal(s.Target); !why.empty()) throw refuse(s.Path, why);
    // The old contents stay beside each file until the save is final.
    const std::string pid = std::to_string(::getpid());
    for (TStaged& s : staged_) {
        struct stat st {};
        if (::lstat(s.Target.c_str(), &st) != 0) continue;
        for (int attempt = 0; s.Backup.empty(); ++attempt) {
            const std::string backup = s.Target + ".tmp~" + pid + "-" + std::to_string(NextSerial());
            if (KeepOldContents(s.Target, backup)) {
                s.Backup = backup;
            } else if (errno != EEXIST || attempt >= 100) {
                throw refuse(s.Path, std::string("its old contents cannot be kept for an undo (") +
                                         std::strerror(errno) + ")");
            }
        }
    }
    for (const std::string& f : folders)
        if (!SyncFolder(f))
            throw refuse(first, "the folder \"" + f + "\" cannot be flushed to the disk (" +
                                    std::strerror(errno) + ")");

    // A stopped save in these folders is settled first: a new save is never
    // made over files that are part old, part new.
    for (const std::string& f : folders) {
        const TRecovery r = RecoverWriteGroups(f);
        if (!r.Settled()) throw refuse(first, r.Refusals.front());
    }
    for (const TStaged& s : staged_) {
        struct stat st {};
        if (::lstat(s.Temporary.c_str(), &st) != 0)
            throw refuse(s.Path, "its staged copy \"" + s.Temporary + "\" is gone");
    }

    // One record per folder, the first folder's written first and removed
    // first (the moment the save is final), under a name no folder holds.
    std::string name;
    for (int attempt = 0; name.empty(); ++attempt) {
        const std::string n = std::string(kRecordPrefix) + pid + "-" + std::to_string(NextSerial());
        bool taken = false;
        for (const std::string& f : folders)
            taken = taken || Exists(f + "/" + n) || Exists(f + "/" + n + std::string(kRecordPart));
        if (!taken) name = n;
        if (taken && attempt >= 100) throw refuse(first, "no name is free for its record");
    }
    std::vector<std::string> records;
    for (const std::string& f : folders) records.push_back(f + "/" + name);
    std::size_t published = 0;
    auto unregister = [&] {
        std::lock_guard<std::mutex> guard(ActiveRecordsMutex());
        for (const std::string& r : records) ActiveRecords().erase(r);
    };
    {
        std::lock_guard<std::mutex> guard(ActiveRecordsMutex());
        for (const std::string& r : records) ActiveRecords().insert(r);
    }
    auto removeRecords = [&] {
        bool ok = true;
        for (std::size_t i = 0; i < published; ++i) {
            ok = (::unlink(records[i].c_str()) == 0 || errno == ENOENT) && ok;
            ok = SyncFolder(folders[i]) && ok;
        }
        return ok;
    };
    for (std::size_t i = 0; i < folders.size(); ++i) {
        std::string text = std::string(kRecordHeader) + "\n";
        if (i == 0)
            for (std::size_t k = 1; k < folders.size(); ++k)
                text += "S\t" + folders[k] + "\t" + FolderIdentity(folders[k]) + "\n";
        else
            text += "P\t" + folders[0] + "\t" + FolderIdentity(folders[0]) + "\n";
        const auto base = [](const std::string& p) {
            return std::filesystem::path(p).filename().string();
        };
        if (i > 0)
            for (std::size_t k = 0; k < staged_.size(); ++k)
                if (folderOf[k] == 0) text += "F\t" + base(staged_[k].Target) + "\n";
        for (std::size_t k = 0; k < staged_.size(); ++k) {
            if (folderOf[k] != i) continue;
            const TStaged& s = staged_[k];
            text += "R\t" + base(s.Temporary) + "\t" + base(s.Target) + "\t" +
                    (s.Backup.empty() ? std::string("-") : base(s.Backup)) + "\t" +
                    std::to_string(s.Size) + "\t" + Hex(s.Hash) + "\n";
        }
        text += "END\n";
        // Made under its "part" name and linked to its own, so that it never
        // replaces a record that is there.
        const std::string part = records[i] + std::string(kRecordPart);
        const bool written = WriteWholeFile(part, text);
        const bool linked = written && ::link(part.c_str(), records[i].c_str()) == 0;
        int err = errno;
        if (linked) ++published;
        if (written) ::unlink(part.c_str());
        if (!linked || !SyncFolder(folders[i])) {
            if (linked) err = errno;
            removeRecords();
            unregister();
            throw refuse(first, std::string("the record of its save cannot be written (") +
                                    std::strerror(err) + ")");
        }
    }

    // Puts the old files back after the renames of Done; true when all are.
    auto putBack = [&](std::size_t done) {
        bool ok = true;
        for (std::size_t i = done; i-- > 0;) {
            const TStaged& s = staged_[i];
            if (!s.Backup.empty())
                ok = std::rename(s.Backup.c_str(), s.Target.c_str()) == 0 && ok;
            else
                ok = ::unlink(s.Target.c_str()) == 0 && ok;
        }
        for (const std::string& f : folders) ok = SyncFolder(f) && ok;
        return ok;
    };
    // A save that fails after its first rename is undone here, or else at
    // the next start in its folders: it is never made final later.
    auto failAfter = [&](std::size_t done, const std::string& path, const std::string& what) {
        const int err = errno;
        std::vector<std::string> saved, notSaved;
        for (std::size_t i = 0; i < staged_.size(); ++i)
            (i < done ? saved : notSaved).push_back(staged_[i].Path);
        std::string message = "Cannot write file \"" + path + "\": " + what + " (" +
                              std::strerror(err) + ").";
        if (putBack(done)) {
            // The old contents go before the staged copy: a file whose staged
            // copy is gone counts as renamed.
            for (std::size_t i = done; i < staged_.size(); ++i) {
                if (!staged_[i].Backup.empty()) ::unlink(staged_[i].Backup.c_str());
                ::unlink(staged_[i].Temporary.c_str());
            }
            staged_.clear();
            if (removeRecords()) {
                unregister();
                return IniWriteError(message + " No file of its save was changed.");
            }
        }
        staged_.clear();
        unregister();
        return IniWriteError(message + " Not saved: " + QuotedList(notSaved) + "." +
                             (saved.empty() ? std::string()
                                            : " " + QuotedList(saved) +
                                                  " could not be put back yet: the next start in "
                                                  "their folder puts back their old contents."));
    };

    for (std::size_t i = 0; i < staged_.size(); ++i) {
        if (StopAfterRenames >= 0 && static_cast<int>(i) == StopAfterRenames) {
            // As if the process were killed here: staged files and records stay.
            staged_.clear();
            unregister();
            return written;
        }
        const TStaged& s = staged_[i];
        if (std::rename(s.Temporary.c_str(), s.Target.c_str()) != 0)
            throw failAfter(i, s.Path, "it could not be renamed into place");
        written.push_back(s.Path);
    }
    if (StopAfterRenames >= 0 && static_cast<int>(written.size()) == StopAfterRenames) {
        staged_.clear();
        unregister();
        return written;
    }
    for (const std::string& f : folders)
        if (!SyncFolder(f))
            throw failAfter(staged_.size(), first,
                            "the folder \"" + f + "\" cannot be flushed to the disk");
    // The first folder's record goes first: from then on the save is final.
    if (::unlink(records[0].c_str()) != 0)
        throw failAfter(staged_.size(), first, "the record of its save cannot be removed");
    const bool flushed = SyncFolder(folders[0]);
    const int flushError = errno;
    removeRecords();
    for (const TStaged& s : staged_)
        if (!s.Backup.empty()) ::unlink(s.Backup.c_str());
    staged_.clear();
    unregister();
    if (!flushed)
        throw IniWriteError("Cannot write file \"" + first + "\": its save was made, but the folder \"" +
                            folders[0] + "\" cannot be flushed to the disk (" +
                            std::strerror(flushError) + "): a power cut now may still undo it.");
    return written;
}

namespace {

// What the record of a stopped save asks: the refusal, when it cannot be
// settled, tells which record it is and what to do.
std::string RecordRefusal(const std::string& record, const std::string& why) {
    return "The record \"" + record + "\" of a save that was stopped part way " + why +
           ". The files of its folder may be part old, part new, so nothing is read from them "
           "or saved over them. Check the files it names against the \".tmp~\" files beside "
           "them (each of its lines names a file, its new contents and its old contents kept, "
           "in that order), then remove the record.";
}


// The new contents of a save are in File: its size and hash match.
bool HoldsNewContents(const std::string& file, const RecordEntry& e) {
    std::string data;
    return ReadRegularFile(file, data, e.Size) == FileState::Readable && data.size() == e.Size &&
           ContentHash(data) == e.Hash;
}

// Settles the record Name of Folder (absolute, locked by the caller): the
// save it belongs to is undone in this folder (every file as it was before
// it), or, when the save was made final in its first folder, its leftovers
// are removed. Adds a note or a refusal to Out.
void SettleRecord(const std::string& folder, const std::string& name, pid_t pid,
                  TRecovery& out) {
    const std::string record = folder + "/" + name;
    struct stat st {};
    if (::lstat(record.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
        out.Refusals.push_back(RecordRefusal(record, "is no regular file"));
        return;
    }
    std::string text;
    const FileState state = ReadRegularFile(record, text, 1 << 24);
    if (state != FileState::Readable) {
        out.Refusals.push_back(RecordRefusal(
            record, "cannot be read (" +
                        std::string(state == FileState::TooLarge ? "too large"
                                                                 : std::strerror(errno)) +
                        ")"));
        return;
    }
    CommitRecord rec;
    if (!ParseRecord(text, pid, rec) || (!rec.Primary.empty() && !rec.Secondaries.empty()) ||
        (rec.Primary.empty() && !rec.PrimaryFiles.empty())) {
        out.Refusals.push_back(RecordRefusal(
            record, "is damaged, or names files other than those of its own folder"));
        return;
    }
    const auto in = [&](const std::string& n) { return folder + "/" + n; };
    // The other folders of the save must be there to tell how far it went.
    std::vector<std::pair<std::string, std::string>> others = rec.Secondaries;
    if (!rec.Primary.empty()) others.emplace_back(rec.Primary, rec.PrimaryIdentity);
    for (const auto& [other, identity] : others)
        if (FolderIdentity(other) != identity) {
            out.Refusals.push_back(RecordRefusal(
                record, "belongs to a save that also changed the folder \"" + other +
                            "\", which is not there now as it was: make it reachable again "
                            "(mount it, or move it back) and start again"));
            return;
        }
    const bool final = !rec.Primary.empty() && !Exists(rec.Primary + "/" + name);
    // Made final, the first folder holds the files the save gave it; an
    // empty folder where another is mounted at times does not.
    if (final)
        for (const std::string& f : rec.PrimaryFiles)
            if (!Exists(rec.Primary + "/" + f)) {
                out.Refusals.push_back(RecordRefusal(
                    record, "belongs to a save that also changed the folder \"" + rec.Primary +
                                "\", which does not hold \"" + f +
                                "\" now: make it reachable again (mount it, or move it back) "
                                "and start again"));
                return;
            }
    if (::access(folder.c_str(), W_OK | X_OK) != 0) {
        out.Refusals.push_back(RecordRefusal(
            record, std::string("cannot be settled: its folder cannot be written (") +
                        std::strerror(errno) + ")"));
        return;
    }

    // What each file needs, checked before anything is touched.
    std::vector<std::string> restored, changed;
    for (const RecordEntry& e : rec.Entries) {
        const bool renamed = !Exists(in(e.Temporary));
        if (final) {
            if (!renamed) {
                out.Refusals.push_back(RecordRefusal(
                    record, "was made final, yet \"" + e.Temporary + "\" was never renamed"));
                return;
            }
            continue;
        }
        if (!renamed) continue;
        const bool pending = e.Backup.empty() ? Exists(in(e.Target)) : Exists(in(e.Backup));
        if (!pending) continue;  // put back already
        if (!HoldsNewContents(in(e.Target), e)) changed.push_back(e.Target);
    }
    if (!changed.empty()) {
        out.Refusals.push_back(RecordRefusal(
            record, "cannot be undone: " + QuotedList(changed) + " changed after it"));
        return;
    }

    bool ok = true;
    for (const RecordEntry& e : rec.Entries) {
        const bool renamed = !Exists(in(e.Temporary));
        if (!final && renamed) {
            if (!e.Backup.empty() && Exists(in(e.Backup))) {
                ok = std::rename(in(e.Backup).c_str(), in(e.Target).c_str()) == 0 && ok;
                restored.push_back(in(e.Target));
            } else if (e.Backup.empty() && Exists(in(e.Target))) {
                ok = ::unlink(in(e.Target).c_str()) == 0 && ok;
                restored.push_back(in(e.Target));
            }
        }
        // The old contents go before the staged copy: a file whose staged
        // copy is gone counts as renamed.
        if (!e.Backup.empty() && Exists(in(e.Backup)))
            ok = ::unlink(in(e.Backup).c_str()) == 0 && ok;
        if (!renamed) ok = ::unlink(in(e.Temporary).c_str()) == 0 && ok;
    }
    ok = SyncFolder(folder) && ok;
    // The first folder's record stays until the other folders are settled:
    // it tells them that the save was not made final.
    bool othersSettled = true;
    for (const auto& [other, identity] : rec.Secondaries)
        othersSettled = othersSettled && !Exists(other + "/" + name);
    if (ok && othersSettled) {
        ok = ::unlink(record.c_str()) == 0 && SyncFolder(folder);
    } else if (ok && !rec.Entries.empty()) {
        // Kept for the other folders, without the files undone here.
        std::string kept = std::string(kRecordHeader) + "\n";
        for (const auto& [other, identity] : rec.Secondaries)
            kept += "S\t" + other + "\t" + identity + "\n";
        kept += "END\n";
        const std::string part = record + std::string(kRecordPart);
        ::unlink(part.c_str());
        ok = WriteWholeFile(part, kept) && std::rename(part.c_str(), record.c_str()) == 0 &&
             SyncFolder(folder);
    }
    if (!ok) {
        out.Refusals.push_back(RecordRefusal(
            record, std::string("could not be settled (") + std::strerror(errno) + ")"));
        return;
    }
    if (!restored.empty())
        out.Notes.push_back("A save that was stopped part way was undone: " +
                            QuotedList(restored) +
                            (restored.size() == 1 ? " holds its contents" : " hold their contents") +
                            " from before it again.");
}

// Removes a record that was never finished, and the temporary files it
// names: no file was renamed under it.
void DropUnfinishedRecord(const std::string& folder, const std::string& name, pid_t pid) {
    const std::string record = folder + "/" + name;
    std::string text;
    CommitRecord rec;
    if (ReadRegularFile(record, text, 1 << 24) == FileState::Readable &&
        ParseRecord(text, pid, rec, true))
        for (const RecordEntry& e : rec.Entries) {
            ::unlink((folder + "/" + e.Temporary).c_str());
            if (!e.Backup.empty()) ::unlink((folder + "/" + e.Backup).c_str());
        }
    ::unlink(record.c_str());
}

}  // namespace

TRecovery RecoverWriteGroups(const std::string& folderName) {
    namespace fs = std::filesystem;
    TRecovery out;
    const std::string folder = CanonicalPath(folderName);
    const auto recordNames = [&] {
        std::vector<std::string> names;
        std::error_code ec;
        fs::directory_iterator it(folder, ec);
        for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
            const std::string n = it->path().filename().string();
            if (n.starts_with(kRecordPrefix)) names.push_back(n);
        }
        std::sort(names.begin(), names.end());
        return names;
    };
    if (recordNames().empty()) return out;
    // Every commit holds this lock: with it held, no record here belongs to
    // a save going on, whatever process id it names. The records are looked
    // for again then: a save that was going on has removed its own.
    TFolderLock lock;
    std::string lockError;
    if (!lock.Acquire({folder}, lockError)) {
        out.Refusals.push_back(lockError + " A save of another program may be going on there: "
                                           "nothing was read from that folder.");
        return out;
    }
    const std::vector<std::string> names = recordNames();
    for (const std::string& n : names) {
        const std::string record = folder + "/" + n;
        std::string_view id = std::string_view(n).substr(kRecordPrefix.size());
        const bool unfinished = id.ends_with(kRecordPart);
        if (unfinished) id.remove_suffix(kRecordPart.size());
        if (RecordActive(folder + "/" + std::string(kRecordPrefix) + std::string(id)))
            continue;  // this process's own commit, going on now
        pid_t pid = 0;
        if (!ParseSaveId(id, pid)) {
            out.Refusals.push_back(RecordRefusal(record, "has a name this program never gives"));
            continue;
        }
        if (unfinished)
            DropUnfinishedRecord(folder, n, pid);
        else
            SettleRecord(folder, n, pid, out);
    }
    return out;
}

TIniFile::TIniFile(std::string fileName) : fileName_(std::move(fileName)) {
    std::string data;
    if (!ReadFileBytes(fileName_, data)) return;
    // A UTF-8 byte order mark (as Windows editors write) is not part of the first line.
    std::size_t pos = data.starts_with("\xEF\xBB\xBF") ? 3 : 0;
    Section* current = nullptr;
    while (pos < data.size()) {
        // A line ends at LF, CR LF or CR alone.
        std::size_t end = data.find_first_of("\r\n", pos);
        if (end == std::string::npos) end = data.size();
        const std::string_view line(data.data() + pos, end - pos);
        pos = end;
        if (pos < data.size())
            pos += (data[pos] == '\r' && pos + 1 < data.size() && data[pos + 1] == '\n') ? 2 : 1;
        const std::string_view t = TrimView(line);
        if (t.empty()) continue;
        if (t.front() == '[') {
            auto close = t.find(']');
            std::string name(TrimView(
                t.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1)));
            current = find(name);
            if (!current) current = &addSection(name);
            continue;
        }
        if (!current) continue;  // lines before the first section are ignored
        const auto eq = t.front() == ';' ? std::string_view::npos : t.find('=');
        if (eq == std::string_view::npos) {
            current->entries.push_back({std::string(), std::string(line)});
            continue;
        }
        std::string key(TrimView(t.substr(0, eq)));
        if (!key.empty()) current->addKey(std::move(key), std::string(t.substr(eq + 1)));
    }
}

std::size_t TIniFile::NameHash::operator()(std::string_view name) const noexcept {
    std::uint64_t h = 1469598103934665603ULL;  // FNV-1a of the lower-cased name
    for (char ch : name) {
        unsigned char c = static_cast<unsigned char>(ch);
        if (c >= 'A' && c <= 'Z') c = static_cast<unsigned char>(c - 'A' + 'a');
        h = (h ^ c) * 1099511628211ULL;
    }
    return static_cast<std::size_t>(h);
}

bool TIniFile::NameEqual::operator()(std::string_view a, std::string_view b) const noexcept {
    return SameName(a, b);
}

TIniFile::Entry* TIniFile::Section::findKey(std::string_view key) {
    auto it = keys.find(key);
    return it == keys.end() ? nullptr : &entries[it->second];
}

const TIniFile::Entry* TIniFile::Section::findKey(std::string_view key) const {
    auto it = keys.find(key);
    return it == keys.end() ? nullptr : &entries[it->second];
}

void TIniFile::Section::addKey(std::string key, std::string value) {
    // A repeated key: the first one is the one that is read and written.
    if (!keys.emplace(key, entries.size()).second) return;
    entries.push_back({std::move(key), std::move(value)});
}

void TIniFile::Section::reindex() {
    keys.clear();
    for (std::size_t i = 0; i < entries.size(); ++i)
        if (!entries[i].key.empty()) keys.emplace(entries[i].key, i);
}

TIniFile::Section* TIniFile::find(std::string_view name) {
    auto it = index_.find(name);
    return it == index_.end() ? nullptr : &sections_[it->second];
}

const TIniFile::Section* TIniFile::find(std::string_view name) const {
    auto it = index_.find(name);
    return it == index_.end() ? nullptr : &sections_[it->second];
}

TIniFile::Section& TIniFile::addSection(std::string_view name) {
    index_.emplace(std::string(name), sections_.size());
    sections_.push_back({std::string(name), {}, {}});
    return sections_.back();
}

void TIniFile::reindex() {
    index_.clear();
    for (std::size_t i = 0; i < sections_.size(); ++i) index_.emplace(sections_[i].name, i);
}

const TIniFile::Entry* TIniFile::findEntry(std::string_view section, std::string_view key) const {
    const Section* s = find(section);
    return s ? s->findKey(key) : nullptr;
}

std::string TIniFile::ReadString(std::string_view section, std::string_view key,
                                 std::string_view def) const {
    const Entry* e = findEntry(section, key);
    return e ? Unquote(e->value) : std::string(def);
}

std::int32_t TIniFile::ReadInteger(std::string_view section, std::string_view key,
                                   std::int32_t def) const {
    const std::string s = ReadString(section, key, "");
    std::string_view v = s;
    if (!v.empty() && v.front() == '+') v.remove_prefix(1);
    std::int32_t out = 0;
    auto r = std::from_chars(v.data(), v.data() + v.size(), out);
    if (v.empty() || r.ec != std::errc() || r.ptr != v.data() + v.size()) return def;
    return out;
}

bool TIniFile::ReadBool(std::string_view section, std::string_view key, bool def) const {
    const std::string s = ReadString(section, key, "");
    if (s == "1" || SameName(s, "true")) return true;
    if (s == "0" || SameName(s, "false")) return false;
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

double TIniFile::ReadFloat(std::string_view section, std::string_view key, double def) const {
    const std::string s = ReadString(section, key, "");
    std::string_view v = s;
    if (!v.empty() && v.front() == '+') v.remove_prefix(1);
    double out = 0;
    auto r = std::from_chars(v.data(), v.data() + v.size(), out);
    if (v.empty() || r.ec != std::errc() || r.ptr != v.data() + v.size()) return def;
    return out;
}

void TIniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
    // A line break inside a value would start new lines in the file: store
    // blanks. A value that the reader would trim or unquote is stored quoted,
    // so reading gives it back as written.
    std::string clean(value);
    for (char& ch : clean)
        if (ch == '\r' || ch == '\n') ch = ' ';
    const auto blank = [](char ch) { return static_cast<unsigned char>(ch) <= ' '; };
    if (!clean.empty() && (blank(clean.front()) || blank(clean.back()) ||
                           (clean.size() >= 2 && (clean.front() == '"' || clean.front() == '\'') &&
                            clean.back() == clean.front())))
        clean = '"' + clean + '"';
    value = clean;
    Section* s = find(section);
    if (!s) s = &addSection(section);
    modified_ = true;
    if (Entry* e = s->findKey(key))
        e->value.assign(value);
    else
        s->addKey(std::string(key), std::string(value));
}

void TIniFile::WriteInteger(std::string_view section, std::string_view key, std::int32_t value) {
    WriteString(section, key, std::to_string(value));
}

void TIniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
    WriteString(section, key, value ? "1" : "0");
}

void TIniFile::WriteFloat(std::string_view section, std::string_view key, double value) {
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, value);
    WriteString(section, key, std::string_view(buf, static_cast<std::size_t>(r.ptr - buf)));
}

void TIniFile::EraseSection(std::string_view section) {
    const auto it = index_.find(section);
    if (it == index_.end()) return;
    sections_.erase(sections_.begin() + static_cast<std::ptrdiff_t>(it->second));
    reindex();
    modified_ = true;
}

void TIniFile::EraseAllSections() {
    if (!sections_.empty()) modified_ = true;
    sections_.clear();
    index_.clear();
}

void TIniFile::DeleteKey(std::string_view section, std::string_view key) {
    Section* s = find(section);
    const Entry* e = s ? s->findKey(key) : nullptr;
    if (!e) return;
    s->entries.erase(s->entries.begin() + (e - s->entries.data()));
    s->reindex();
    modified_ = true;
}

bool TIniFile::SectionExists(std::string_view section) const {
    return find(section) != nullptr;
}

bool TIniFile::ValueExists(std::string_view section, std::string_view key) const {
    return findEntry(section, key) != nullptr;
}

std::vector<std::string> TIniFile::ReadSections() const {
    std::vector<std::string> out;
    out.reserve(sections_.size());
    for (const auto& s : sections_) out.push_back(s.name);
    return out;
}

std::vector<std::string> TIniFile::ReadSection(std::string_view section) const {
    std::vector<std::string> out;
    if (const Section* s = find(section))
        for (const auto& e : s->entries)
            if (!e.key.empty()) out.push_back(e.key);
    return out;
}

void TIniFile::UpdateFile() {
    std::string data;
    for (const auto& s : sections_) {
        data += "[" + s.name + "]\r\n";
        for (const auto& e : s.entries) {
            if (e.key.empty())
                data += e.value + "\r\n";
            else
                data += e.key + "=" + e.value + "\r\n";
        }
        data += "\r\n";
    }
    WriteFileAtomic(fileName_, data);
    modified_ = false;
}

}  // namespace platform
