// Fuzzes the spreadsheet reader and the import dialog's loading on top of
// it: any bytes given as a workbook must end in cells or in an XlsxError
// (a warning for the import), never in a crash, a hang or unbounded memory.
#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>

#include "app/core/import_data.h"
#include "platform/message_sink.h"
#include "platform/xlsx_file.h"

namespace {

class TQuietSink : public platform::MessageSink {
  public:
    void Warning(const std::string&) override {}
    bool Confirm(const std::string&, bool Default) override { return Default; }
};

// The input's file, in a folder of this process alone.
const std::string& InputFile() {
    static const std::string file = [] {
        std::string folder = "/tmp/tessaly-fuzz-XXXXXX";
        if (!::mkdtemp(folder.data())) abort();
        return folder + "/input.xlsx";
    }();
    return file;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    static TQuietSink sink;
    platform::SetMessageSink(&sink);
    {
        std::ofstream out(InputFile(), std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(Data), static_cast<std::streamsize>(Size));
    }
    for (int sheet : {0, 1}) {
        try {
            const platform::TXlsxSheet s = platform::ReadXlsxSheet(InputFile(), sheet, 20, 11);
            if (s.Cells.size() != 20) abort();
        } catch (const platform::XlsxError&) {
        }
    }
    TImportData dialog;
    dialog.LoadExcelFile(InputFile(), 0);
    if (dialog.StringGridImportData.RowCount() < 2) abort();
    return 0;
}
