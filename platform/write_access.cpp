#include "platform/write_access.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "platform/inifile.h"

namespace platform {

bool WriteRefusedForGood(const std::string& path) {
    namespace fs = std::filesystem;
    // A link is written through: the file and folder that count are its target's.
    const fs::path target(WriteTarget(path));

    struct stat st {};
    if (::stat(target.c_str(), &st) == 0) {
        if (!S_ISREG(st.st_mode)) return true;
        if (WriteProtected(target.string())) return true;
        if (ProbeFile(target.string()) == FileState::Unreadable) return true;
    } else if (errno != ENOENT) {
        return true;  // ENOTDIR, a loop of links, a name too long
    }

    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    struct stat dir {};
    if (::stat(folder.c_str(), &dir) != 0 || !S_ISDIR(dir.st_mode)) return true;
    return ::access(folder.c_str(), W_OK | X_OK) != 0;
}

}  // namespace platform
