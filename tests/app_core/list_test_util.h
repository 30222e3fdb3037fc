// Scratch folders and file helpers for the list, rack and free-shape tests.
#pragma once

#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/message_sink.h"

namespace listtest {

// Collects the warnings shown while it is installed.
class CaptureSink : public platform::MessageSink {
  public:
    CaptureSink() { platform::SetMessageSink(this); }
    ~CaptureSink() override { platform::SetMessageSink(nullptr); }
    void Warning(const std::string& Text) override { Warnings.push_back(Text); }
    bool Confirm(const std::string& Text, bool DefaultAnswer) override {
        Warnings.push_back(Text);
        return DefaultAnswer;
    }
    std::vector<std::string> Warnings;
};

// A fresh folder under the system's temporary folder, removed afterwards.
class TempDir {
  public:
    TempDir() {
        static std::atomic<int> counter{0};
        path_ = std::filesystem::temp_directory_path() /
                ("tessaly_applist_" + std::to_string(::getpid()) + "_" + std::to_string(counter++));
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    std::string File(const std::string& name) const { return (path_ / name).string(); }
    const std::filesystem::path& Path() const { return path_; }

  private:
    std::filesystem::path path_;
};

inline void WriteText(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

inline std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

// True when the process may write into a folder whose write permission was
// removed (running as root), so read-only tests cannot be made.
inline bool CanWriteReadOnlyFolders() {
    return ::geteuid() == 0;
}

}  // namespace listtest
