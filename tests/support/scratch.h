// Scratch folders, file helpers and message capture shared by the tests.
#pragma once

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "engine/pubstr.h"
#include "platform/message_sink.h"

namespace testsupport {

// Gives the owner full rights on Folder again (quietly, whatever they were).
inline void GiveBackWrite(const std::filesystem::path& Folder) {
    std::error_code ec;
    std::filesystem::permissions(Folder, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
}

// A fresh folder under the system's temporary folder, unique to the process
// and the test, removed afterwards (write permission given back first).
class ScratchDir {
  public:
    ScratchDir() {
        static std::atomic<int> counter{0};
        path_ = std::filesystem::temp_directory_path() /
                ("tessaly_test_" + std::to_string(::getpid()) + "_" + std::to_string(counter++));
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~ScratchDir() {
        GiveBackWrite(path_);
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    // The path of Name inside the folder.
    std::string File(const std::string& Name) const { return (path_ / Name).string(); }
    std::string Path() const { return path_.string(); }

  private:
    std::filesystem::path path_;
};

// Writes Text to Path byte for byte.
inline void WriteText(const std::string& Path, const std::string& Text) {
    std::ofstream out(Path, std::ios::binary);
    out << Text;
}

// The bytes of a file; empty when it cannot be read.
inline std::string ReadText(const std::string& Path) {
    std::ifstream in(Path, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

// The id of a process that has ended (a child already reaped).
inline pid_t EndedProcess() {
    const pid_t child = ::fork();
    if (child == 0) ::_exit(0);
    int status = 0;
    ::waitpid(child, &status, 0);
    return child;
}

// True when the process may write into a folder whose write permission was
// removed (running as root), so read-only tests cannot be made.
inline bool CanWriteReadOnlyFolders() {
    return ::geteuid() == 0;
}

// Collects the warnings and questions shown while it is installed; questions
// get their default answer.
class CaptureSink : public platform::MessageSink {
  public:
    CaptureSink() { platform::SetMessageSink(this); }
    ~CaptureSink() override { platform::SetMessageSink(nullptr); }
    CaptureSink(const CaptureSink&) = delete;
    CaptureSink& operator=(const CaptureSink&) = delete;

    void Warning(const std::string& Text) override { Warnings.push_back(Text); }
    void Note(const std::string& Text) override { Notes.push_back(Text); }
    bool Confirm(const std::string& Text, bool DefaultAnswer) override {
        Warnings.push_back(Text);
        return DefaultAnswer;
    }
    std::vector<std::string> Warnings;
    std::vector<std::string> Notes;
};

// Makes writing next to File impossible: the folder loses its write
// permission, and because a privileged process writes there all the same,
// the process may not grow any file while the guard lives (writes fail with
// "File too large"). Undoes both when it ends.
class WriteBlocker {
  public:
    explicit WriteBlocker(const std::string& File)
        : dir_(std::filesystem::path(File).parent_path()) {
        ::getrlimit(RLIMIT_FSIZE, &limit_);
        oldSignal_ = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit none = limit_;
        none.rlim_cur = 0;
        ::setrlimit(RLIMIT_FSIZE, &none);
        std::filesystem::permissions(dir_,
                                     std::filesystem::perms::owner_write |
                                         std::filesystem::perms::group_write |
                                         std::filesystem::perms::others_write,
                                     std::filesystem::perm_options::remove);
    }
    ~WriteBlocker() {
        GiveBackWrite(dir_);
        ::setrlimit(RLIMIT_FSIZE, &limit_);
        std::signal(SIGXFSZ, oldSignal_);
    }
    WriteBlocker(const WriteBlocker&) = delete;
    WriteBlocker& operator=(const WriteBlocker&) = delete;

  private:
    std::filesystem::path dir_;
    struct rlimit limit_ {};
    void (*oldSignal_)(int) = SIG_DFL;
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

}  // namespace testsupport
