// A scratch copy of the sample job of examples/sample, with AppDir pointing
// at it, and the helpers the batch tests read and edit its files with.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <system_error>

#include "platform/inifile.h"
#include "support/scratch.h"

namespace testsupport {

struct SampleJobFolder {
    SampleJobFolder() {
        namespace fs = std::filesystem;
        for (const auto& f : fs::directory_iterator(fs::path(TESSALY_TEST_DATA) / "../../examples/sample"))
            fs::copy_file(f.path(), dir.File(f.path().filename().string()));
    }
    std::string at(const std::string& name) const { return dir.File(name); }
    // Edits one key of a list file by hand.
    void setKey(const char* file, const char* section, const char* key, const std::string& value) {
        platform::TIniFile ini(at(file));
        ini.WriteString(section, key, value);
        ini.UpdateFile();
    }
    // The bytes of every file in the folder; without WithDumps, but the dump
    // files, which every run writes.
    std::map<std::string, std::string> files(bool WithDumps = true) const {
        std::map<std::string, std::string> out;
        std::error_code ec;  // a link that leads nowhere is no file
        for (const auto& f : std::filesystem::directory_iterator(dir.Path())) {
            const std::string name = f.path().filename().string();
            if (f.is_regular_file(ec) && (WithDumps || !name.starts_with("dump.")))
                out[name] = ReadText(f.path());
        }
        return out;
    }

    ScratchDir dir;
    AppDirScope app{dir.Path()};
};

}  // namespace testsupport
