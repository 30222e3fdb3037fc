// What the spreadsheet fuzz targets share: a message sink that shows
// nothing, and the file each input is written to, in a folder of this
// process alone that goes when the process ends.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

#include <stdlib.h>

#include "platform/message_sink.h"

namespace fuzzinput {

class TQuietSink : public platform::MessageSink {
  public:
    void Warning(const std::string&) override {}
    bool Confirm(const std::string&, bool Default) override { return Default; }
};

inline std::string& InputFolder() {
    static std::string folder;
    return folder;
}

inline void RemoveInputFolder() {
    std::error_code ec;
    std::filesystem::remove_all(InputFolder(), ec);
}

// The input's file, named Name.
inline const std::string& InputFile(const char* Name) {
    static const std::string file = [Name] {
        const char* tmp = std::getenv("TMPDIR");
        std::string folder = std::string(tmp && *tmp ? tmp : "/tmp") + "/tessaly-fuzz-XXXXXX";
        if (!::mkdtemp(folder.data())) abort();
        InputFolder() = folder;
        std::atexit(RemoveInputFolder);
        return folder + "/" + Name;
    }();
    return file;
}

}  // namespace fuzzinput
