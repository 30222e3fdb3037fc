#include "platform/folder_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <map>
#include <mutex>
#include <thread>

#include "platform/inifile.h"

namespace platform {

namespace {

struct HeldFolder {
    int Fd = -1;
    int Count = 0;
};

// The folders this process holds, by device and inode, with how many
// TFolderLock objects hold each.
std::mutex& TableMutex() {
    static std::mutex m;
    return m;
}
std::map<std::string, HeldFolder>& Table() {
    static std::map<std::string, HeldFolder> t;
    return t;
}

std::string KeyOf(const struct stat& st) {
    return std::to_string(static_cast<unsigned long long>(st.st_dev)) + ":" +
           std::to_string(static_cast<unsigned long long>(st.st_ino));
}

}  // namespace

std::string FolderKeyOf(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? KeyOf(st) : std::string();
}

std::string CanonicalPath(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::path p = fs::absolute(path.empty() ? "." : path, ec);
    const fs::path canonical = fs::weakly_canonical(p, ec);
    if (!ec) p = canonical;
    p = p.lexically_normal();
    if (!p.has_filename() && p.has_parent_path() && p != p.root_path()) p = p.parent_path();
    return p.string();
}

std::string WriteFolderOf(const std::string& path) {
    std::error_code ec;
    return CanonicalPath(
        std::filesystem::absolute(WriteTarget(path.empty() ? "." : path), ec).parent_path().string());
}

std::vector<std::string> WriteFoldersOf(const std::vector<std::string>& paths) {
    std::vector<std::string> folders;
    for (const std::string& p : paths)
        if (!p.empty()) folders.push_back(WriteFolderOf(p));
    return folders;
}

bool TFolderLock::Acquire(const std::vector<std::string>& folders, std::string& error, int waitMs) {
    busy_ = false;
    // A refusal gives back only what this call took.
    const std::size_t before = held_.size();
    struct Wanted {
        std::string Key, Folder;
    };
    std::vector<Wanted> wanted;
    for (const std::string& f : folders) {
        struct stat st {};
        if (::stat(f.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
            continue;  // nothing to change there
        const std::string key = KeyOf(st);
        if (std::none_of(wanted.begin(), wanted.end(),
                         [&](const Wanted& w) { return w.Key == key; }) &&
            std::find(held_.begin(), held_.end(), key) == held_.end())
            wanted.push_back({key, f});
    }
    // One order for every program: by device and inode.
    std::sort(wanted.begin(), wanted.end(),
              [](const Wanted& a, const Wanted& b) { return a.Key < b.Key; });

    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs < 0 ? FolderLockWaitMs.load() : waitMs);
    for (const Wanted& w : wanted) {
        {
            std::lock_guard<std::mutex> guard(TableMutex());
            auto it = Table().find(w.Key);
            if (it != Table().end()) {
                ++it->second.Count;
                held_.push_back(w.Key);
                continue;
            }
        }
        const int fd = ::open(w.Folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) {
            error =
                "The folder \"" + w.Folder + "\" cannot be locked (" + std::strerror(errno) + ").";
            ReleaseFrom(before);
            return false;
        }
        for (;;) {
            if (::flock(fd, LOCK_EX | LOCK_NB) == 0) break;
            if (errno != EWOULDBLOCK && errno != EINTR) {
                error = "The folder \"" + w.Folder + "\" cannot be locked (" +
                        std::strerror(errno) + ").";
                ::close(fd);
                ReleaseFrom(before);
                return false;
            }
            if (std::chrono::steady_clock::now() >= deadline) {
                error = "The files in \"" + w.Folder +
                        "\" are being changed by another program: the lock on that folder was "
                        "not given back within " +
                        std::to_string(waitMs < 0 ? FolderLockWaitMs.load() : waitMs) + " ms.";
                busy_ = true;
                ::close(fd);
                ReleaseFrom(before);
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        std::lock_guard<std::mutex> guard(TableMutex());
        Table()[w.Key] = HeldFolder{fd, 1};
        held_.push_back(w.Key);
    }
    return true;
}

bool TFolderLock::Covers(const std::vector<std::string>& folders) const {
    for (const std::string& f : folders) {
        struct stat st {};
        if (::stat(f.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) continue;
        if (std::find(held_.begin(), held_.end(), KeyOf(st)) == held_.end()) return false;
    }
    return true;
}

void TFolderLock::Release() {
    ReleaseFrom(0);
}

void TFolderLock::ReleaseFrom(std::size_t first) {
    std::lock_guard<std::mutex> guard(TableMutex());
    for (std::size_t i = first; i < held_.size(); ++i) {
        const std::string& key = held_[i];
        auto it = Table().find(key);
        if (it == Table().end()) continue;
        if (--it->second.Count > 0) continue;
        ::flock(it->second.Fd, LOCK_UN);
        ::close(it->second.Fd);
        Table().erase(it);
    }
    held_.resize(std::min(first, held_.size()));
}

}  // namespace platform

namespace platform {

TFileStamp StampFile(const std::string& path) {
    TFileStamp s;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return s;
    s.There = true;
    s.Device = static_cast<unsigned long long>(st.st_dev);
    s.Inode = static_cast<unsigned long long>(st.st_ino);
    s.Size = static_cast<unsigned long long>(st.st_size);
    s.ModifiedNs = static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
    return s;
}

}  // namespace platform
