// What the spreadsheet fuzz targets share: a message sink that shows
// nothing, and the file each input is written to, in a folder of this
// process alone that goes when the process ends.
#pragma once

#include <stdlib.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "app/core/import_data.h"
#include "platform/message_sink.h"
#include "platform/xlsx_file.h"

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

// One input: written as it is to File when it starts with Signature (a whole
// workbook), else made into a workbook by Pack(Input); then sheets 0 and 1
// are read with Read(File, Sheet, Rows, Columns) and the file is loaded into
// the import dialog. A refusal is fine; anything else is a finding.
template <typename Pack, typename Read>
int TestOneInput(std::string_view Input, std::string_view Signature, const std::string& File,
                 Pack&& PackInput, Read&& ReadSheet) {
    static TQuietSink sink;
    platform::SetMessageSink(&sink);
    if (Input.starts_with(Signature)) {
        std::ofstream out(File, std::ios::binary | std::ios::trunc);
        out.write(Input.data(), static_cast<std::streamsize>(Input.size()));
    } else {
        ::unlink(File.c_str());
        PackInput(Input);
    }
    for (int sheet : {0, 1}) {
        try {
            const platform::TXlsxSheet s = ReadSheet(File, sheet, 20, 11);
            if (s.Cells.size() != 20) abort();
        } catch (const platform::XlsxError&) {
        }
    }
    TImportData dialog;
    dialog.LoadExcelFile(File, 0);
    if (dialog.StringGridImportData.RowCount() < 2) abort();
    return 0;
}

}  // namespace fuzzinput
