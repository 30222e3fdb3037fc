// Scratch folders and file helpers for the option, caption and material type tests.
#pragma once

#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "engine/pubstr.h"

namespace opttest {

// A fresh folder under the system's temporary folder, removed afterwards.
class ScratchDir {
  public:
    ScratchDir() {
        static std::atomic<int> counter{0};
        path_ = std::filesystem::temp_directory_path() /
                ("tessaly_appopt_" + std::to_string(::getpid()) + "_" + std::to_string(counter++));
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~ScratchDir() {
        std::error_code ec;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(path_, ec);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    std::string File(const std::string& Name) const { return (path_ / Name).string(); }
    std::string Path() const { return path_.string(); }

  private:
    std::filesystem::path path_;
};

// Points AppDir at Folder for the life of the guard.
class AppDirScope {
  public:
    explicit AppDirScope(const std::string& Folder) : old_(AppDir) { AppDir = Folder; }
    ~AppDirScope() { AppDir = old_; }
    AppDirScope(const AppDirScope&) = delete;
    AppDirScope& operator=(const AppDirScope&) = delete;

  private:
    std::string old_;
};

inline void WriteText(const std::string& Path, const std::string& Text) {
    std::ofstream out(Path, std::ios::binary);
    out << Text;
}

inline std::string ReadText(const std::string& Path) {
    std::ifstream in(Path, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

// Makes writing next to File impossible: the folder loses its write
// permission, and because a privileged process writes there all the same,
// the name of the writer's temporary file is taken by a folder as well.
// Returns a guard that undoes both.
class WriteBlocker {
  public:
    explicit WriteBlocker(const std::string& File)
        : dir_(std::filesystem::path(File).parent_path()), tmp_(File + ".tmp~") {
        std::filesystem::create_directory(tmp_);
        std::filesystem::permissions(dir_,
                                     std::filesystem::perms::owner_write |
                                         std::filesystem::perms::group_write |
                                         std::filesystem::perms::others_write,
                                     std::filesystem::perm_options::remove);
    }
    ~WriteBlocker() {
        std::error_code ec;
        std::filesystem::permissions(dir_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
        std::filesystem::remove(tmp_, ec);
    }
    WriteBlocker(const WriteBlocker&) = delete;
    WriteBlocker& operator=(const WriteBlocker&) = delete;

  private:
    std::filesystem::path dir_;
    std::filesystem::path tmp_;
};

}  // namespace opttest
