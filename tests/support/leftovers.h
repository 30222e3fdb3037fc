// The files a save leaves in a folder while it is unsettled.
#pragma once

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace testsupport {

// The names in Folder that belong to unfinished saves (staged files, old
// contents kept, records), sorted.
inline std::vector<std::string> Leftovers(const std::string& Folder) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(Folder)) {
        const std::string n = e.path().filename().string();
        if (n.find(".tmp~") != std::string::npos || n.starts_with(".tessaly-commit~"))
            names.push_back(n);
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace testsupport
