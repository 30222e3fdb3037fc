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

// The group that takes this thread's writes, if any.
thread_local TFileWriteGroup* OpenGroup = nullptr;

// A group's commit record: ".tessaly-commit~<pid>-<n>" in every folder the
// group writes to, each a full copy, written (through "<record>.part") before
// the first rename and removed after the last one.
constexpr std::string_view kRecordPrefix = ".tessaly-commit~";
constexpr std::string_view kRecordPart = ".part";
constexpr std::string_view kRecordHeader = "TESSALY WRITE GROUP 1";

// The process id that starts Rest ("<pid>-..."), as the names of temporary
// files and commit records carry it; false when Rest starts otherwise.
bool PidBeforeDash(std::string_view rest, pid_t& pid) {
    const auto r = std::from_chars(rest.data(), rest.data() + rest.size(), pid);
    return r.ec == std::errc() && pid > 0 && r.ptr != rest.data() + rest.size() && *r.ptr == '-';
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

// Flushes a folder's entries (names made, renamed or removed) to the disk.
void SyncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

std::string FolderOfFile(const std::string& file) {
    const std::filesystem::path p(file);
    return p.parent_path().empty() ? std::string(".") : p.parent_path().string();
}

std::string AbsolutePath(const std::string& file) {
    std::error_code ec;
    std::filesystem::path p = std::filesystem::absolute(file, ec).lexically_normal();
    if (ec) return file;
    if (!p.has_filename()) p = p.parent_path();  // "/job/." and "/job" are one folder
    return p.string();
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

// A record's lines: the copies of the record, then temporary -> target pairs.
struct CommitRecord {
    std::vector<std::string> Copies;
    std::vector<std::pair<std::string, std::string>> Renames;
    bool Complete = false;  // header and end line both there
};

CommitRecord ParseRecord(std::string_view text) {
    CommitRecord rec;
    bool first = true;
    while (!text.empty()) {
        const std::size_t nl = text.find('\n');
        if (nl == std::string_view::npos) break;  // a last line cut short is no line
        const std::string_view line = text.substr(0, nl);
        text.remove_prefix(nl + 1);
        if (first) {
            if (line != kRecordHeader) return rec;
            first = false;
        } else if (line == "END") {
            rec.Complete = text.empty();
            return rec;
        } else if (line.starts_with("C\t")) {
            rec.Copies.emplace_back(line.substr(2));
        } else if (line.starts_with("R\t")) {
            const std::string_view rest = line.substr(2);
            const std::size_t tab = rest.find('\t');
            if (tab == std::string_view::npos) return rec;
            rec.Renames.emplace_back(std::string(rest.substr(0, tab)),
                                     std::string(rest.substr(tab + 1)));
        } else {
            return rec;
        }
    }
    return rec;
}

// Removes the temporary files of Target ("<target>.tmp~<pid>-<n>") whose
// process no longer runs: what a killed write left behind.
void RemoveStaleTemporaries(const std::string& target) {
    namespace fs = std::filesystem;
    const std::string prefix = fs::path(target).filename().string() + ".tmp~";
    const fs::path folder = FolderOfFile(target);
    // The staged files of a group whose commit record is there wait for the
    // next start to finish or undo the group: they are not stale.
    const std::vector<pid_t> committing = CommitRecordOwners(folder);
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (!name.starts_with(prefix)) continue;
        // "<pid>-<n>", digits only.
        const std::string_view rest = std::string_view(name).substr(prefix.size());
        pid_t pid = 0;
        if (rest.find_first_not_of("0123456789-") != std::string_view::npos ||
            std::count(rest.begin(), rest.end(), '-') != 1 || rest.ends_with('-') ||
            !PidBeforeDash(rest, pid) || pid == ::getpid())
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
    static std::atomic<unsigned> serial{0};
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
        tmp = target + ".tmp~" + std::to_string(::getpid()) + "-" + std::to_string(serial++);
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
            staged.push_back({path, target, tmp});
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
    for (const TStaged& s : staged_) ::unlink(s.Temporary.c_str());
    staged_.clear();
}

std::vector<std::string> TFileWriteGroup::Commit() {
    if (active_) OpenGroup = nullptr;
    active_ = false;
    std::vector<std::string> written;
    if (staged_.empty()) return written;
    static std::atomic<unsigned> serial{0};

    // Every file is on the disk under its temporary name; so are their names.
    std::vector<std::string> folders;
    for (const TStaged& s : staged_) {
        const std::string folder = AbsolutePath(FolderOfFile(s.Target));
        if (std::find(folders.begin(), folders.end(), folder) == folders.end())
            folders.push_back(folder);
    }
    for (const std::string& f : folders) SyncFolder(f);

    // The commit record, a full copy in every folder: from the moment all
    // are there, the next start finishes the renames of a group a kill
    // stopped; before that, it removes the staged files.
    const std::string id = std::to_string(::getpid()) + "-" + std::to_string(serial++);
    std::vector<std::string> records;
    for (const std::string& f : folders)
        records.push_back((std::filesystem::path(f) / (std::string(kRecordPrefix) + id)).string());
    std::string text = std::string(kRecordHeader) + "\n";
    for (const std::string& r : records) text += "C\t" + r + "\n";
    for (const TStaged& s : staged_)
        text += "R\t" + AbsolutePath(s.Temporary) + "\t" + AbsolutePath(s.Target) + "\n";
    text += "END\n";
    auto removeRecords = [&] {
        for (const std::string& r : records) ::unlink(r.c_str());
        for (const std::string& f : folders) SyncFolder(f);
    };
    for (std::size_t i = 0; i < records.size(); ++i) {
        const std::string part = records[i] + std::string(kRecordPart);
        if (!WriteWholeFile(part, text) || std::rename(part.c_str(), records[i].c_str()) != 0) {
            const int err = errno;
            ::unlink(part.c_str());
            removeRecords();
            const std::string first = staged_.front().Path;
            Discard();
            throw IniWriteError("Cannot write file \"" + first +
                                "\": the record of its group cannot be written (" +
                                std::strerror(err) + ")");
        }
        SyncFolder(folders[i]);
    }

    while (!staged_.empty()) {
        if (StopAfterRenames >= 0 && static_cast<int>(written.size()) == StopAfterRenames) {
            // As if the process were killed here: staged files and records stay.
            staged_.clear();
            return written;
        }
        const TStaged s = staged_.front();
        staged_.erase(staged_.begin());
        if (std::rename(s.Temporary.c_str(), s.Target.c_str()) != 0) {
            const int err = errno;
            ::unlink(s.Temporary.c_str());
            Discard();
            removeRecords();
            throw IniWriteError("Cannot write file \"" + s.Path + "\": rename failed (" + std::strerror(err) + ")");
        }
        written.push_back(s.Path);
    }
    if (StopAfterRenames >= 0 && static_cast<int>(written.size()) == StopAfterRenames)
        return written;
    for (const std::string& f : folders) SyncFolder(f);
    removeRecords();
    return written;
}

std::vector<std::string> RecoverWriteGroups(const std::string& folder) {
    namespace fs = std::filesystem;
    std::vector<std::string> notes;
    std::vector<fs::path> found;
    std::error_code ec;
    fs::directory_iterator it(folder.empty() ? fs::path(".") : fs::path(folder), ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) found.push_back(it->path());
    std::sort(found.begin(), found.end());
    for (const fs::path& p : found) {
        const std::string name = p.filename().string();
        pid_t pid = 0;
        if (!RecordOwner(name, pid)) continue;
        if (pid != ::getpid() && ProcessRuns(pid)) continue;  // a commit going on now
        if (name.ends_with(kRecordPart)) {
            ::unlink(p.c_str());  // a record never finished: its group never began
            continue;
        }
        std::string text;
        if (ReadRegularFile(p.string(), text, 1 << 24) != FileState::Readable) continue;
        const CommitRecord rec = ParseRecord(text);
        bool complete = rec.Complete;
        for (const std::string& c : rec.Copies) complete = complete && fs::exists(c, ec);
        std::vector<std::string> targets;
        bool failed = false;
        for (const auto& [tmp, target] : rec.Renames) {
            struct stat st {};
            if (::lstat(tmp.c_str(), &st) != 0) continue;  // renamed before the stop
            if (complete) {
                if (std::rename(tmp.c_str(), target.c_str()) == 0)
                    targets.push_back(target);
                else
                    failed = true;
            } else {
                ::unlink(tmp.c_str());
            }
        }
        if (failed) {
            notes.push_back("An interrupted save (\"" + p.string() +
                            "\") could not be finished: its files are left as they are.");
            continue;
        }
        for (const std::string& c : rec.Copies) {
            ::unlink(c.c_str());
            SyncFolder(FolderOfFile(c));
        }
        ::unlink(p.c_str());
        SyncFolder(folder.empty() ? "." : folder);
        if (complete && !targets.empty()) {
            std::string list;
            for (const std::string& t : targets) list += (list.empty() ? "\"" : ", \"") + t + "\"";
            notes.push_back("A save that was stopped part way was finished: " + list + ".");
        }
    }
    return notes;
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
