#include "platform/inifile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

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

std::string LowerName(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
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

bool ReadFileBytes(const std::string& path, std::string& data) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream ss;
    ss << in.rdbuf();
    if (in.bad()) return false;
    data = ss.str();
    return true;
}

void WriteFileAtomic(const std::string& path, std::string_view data) {
    const std::string tmp = path + ".tmp~";
    auto fail = [&](const char* what) {
        const int err = errno;
        std::remove(tmp.c_str());
        throw IniWriteError("Cannot write file \"" + path + "\": " + what + " (" +
                            std::strerror(err) + ")");
    };
    int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        const int err = errno;
        throw IniWriteError("Cannot write file \"" + path + "\": " + std::strerror(err));
    }
    std::size_t done = 0;
    while (done < data.size()) {
        ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            ::close(fd);
            fail("write failed");
        }
        done += static_cast<std::size_t>(n);
    }
    if (::fsync(fd) != 0) {
        ::close(fd);
        fail("flush failed");
    }
    if (::close(fd) != 0) fail("close failed");
    if (std::rename(tmp.c_str(), path.c_str()) != 0) fail("rename failed");
}

TIniFile::TIniFile(std::string fileName) : fileName_(std::move(fileName)) {
    std::string data;
    if (!ReadFileBytes(fileName_, data)) return;
    std::size_t pos = 0;
    Section* current = nullptr;
    while (pos < data.size()) {
        std::size_t end = data.find('\n', pos);
        if (end == std::string::npos) end = data.size();
        std::string_view line(data.data() + pos, end - pos);
        pos = end + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        std::string_view t = TrimView(line);
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
        if (t.front() == ';') {
            current->entries.push_back({std::string(), std::string(line)});
            continue;
        }
        auto eq = t.find('=');
        if (eq == std::string_view::npos) {
            current->entries.push_back({std::string(), std::string(line)});
            continue;
        }
        std::string key(TrimView(t.substr(0, eq)));
        std::string value(t.substr(eq + 1));
        // A repeated key: the first one is the one that is read and written.
        bool seen = false;
        for (const auto& e : current->entries)
            if (!e.key.empty() && SameName(e.key, key)) seen = true;
        if (!seen && !key.empty()) current->entries.push_back({std::move(key), std::move(value)});
    }
}

TIniFile::Section* TIniFile::find(std::string_view name) {
    auto it = index_.find(LowerName(name));
    return it == index_.end() ? nullptr : &sections_[it->second];
}

const TIniFile::Section* TIniFile::find(std::string_view name) const {
    auto it = index_.find(LowerName(name));
    return it == index_.end() ? nullptr : &sections_[it->second];
}

TIniFile::Section& TIniFile::addSection(std::string_view name) {
    index_.emplace(LowerName(name), sections_.size());
    sections_.push_back({std::string(name), {}});
    return sections_.back();
}

void TIniFile::reindex() {
    index_.clear();
    for (std::size_t i = 0; i < sections_.size(); ++i)
        index_.emplace(LowerName(sections_[i].name), i);
}

const TIniFile::Entry* TIniFile::findEntry(std::string_view section, std::string_view key) const {
    const Section* s = find(section);
    if (!s) return nullptr;
    for (const auto& e : s->entries)
        if (!e.key.empty() && SameName(e.key, key)) return &e;
    return nullptr;
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
    for (auto& e : s->entries) {
        if (!e.key.empty() && SameName(e.key, key)) {
            e.value.assign(value);
            return;
        }
    }
    s->entries.push_back({std::string(key), std::string(value)});
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
    for (auto it = sections_.begin(); it != sections_.end(); ++it) {
        if (SameName(it->name, section)) {
            sections_.erase(it);
            reindex();
            modified_ = true;
            return;
        }
    }
}

void TIniFile::EraseAllSections() {
    if (!sections_.empty()) modified_ = true;
    sections_.clear();
    index_.clear();
}

void TIniFile::DeleteKey(std::string_view section, std::string_view key) {
    Section* s = find(section);
    if (!s) return;
    for (auto it = s->entries.begin(); it != s->entries.end(); ++it) {
        if (!it->key.empty() && SameName(it->key, key)) {
            s->entries.erase(it);
            modified_ = true;
            return;
        }
    }
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
