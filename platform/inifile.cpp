#include "platform/inifile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>

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
