// Fuzzes the spreadsheet reader and the import dialog's loading on top of
// it: any bytes given as a workbook must end in cells or in an XlsxError
// (a warning for the import), never in a crash, a hang or unbounded memory.
//
// An input that starts like a zip archive ("PK") is the workbook file
// itself. Any other input is split at NUL bytes into the worksheet, the
// shared strings and the workbook part (the two last optional), which are
// packed into a well-formed workbook, so that the mutations reach the XML
// readers instead of ending at the archive's checksums
// (make_part_seeds.py makes such seeds from the test workbooks).
#include <stdlib.h>
#include <unistd.h>
#include <zip.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "app/core/import_data.h"
#include "fuzz/fuzz_input.h"
#include "platform/message_sink.h"
#include "platform/xlsx_file.h"

namespace {

const std::string& InputFile() {
    return fuzzinput::InputFile("input.xlsx");
}

constexpr std::string_view kWorkbook =
    "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
    "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
    "<sheets><sheet name=\"one\" sheetId=\"1\" r:id=\"rId1\"/><sheet name=\"two\" sheetId=\"2\" r:id=\"rId1\"/>"
    "</sheets></workbook>";
constexpr std::string_view kRels =
    "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
    "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet\" "
    "Target=\"worksheets/sheet1.xml\"/>"
    "<Relationship Id=\"rId2\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/sharedStrings\" "
    "Target=\"sharedStrings.xml\"/></Relationships>";

// Packs the parts (sheet, shared strings, workbook) into a workbook file.
void WritePartsWorkbook(std::string_view Input) {
    std::vector<std::string_view> parts;
    for (std::size_t start = 0;;) {
        const std::size_t nul = Input.find('\0', start);
        parts.push_back(Input.substr(start, nul == std::string_view::npos ? nul : nul - start));
        if (nul == std::string_view::npos || parts.size() == 3) break;
        start = nul + 1;
    }
    const std::pair<const char*, std::string_view> files[] = {
        {"xl/worksheets/sheet1.xml", parts[0]},
        {"xl/sharedStrings.xml", parts.size() > 1 ? parts[1] : std::string_view("<sst/>")},
        {"xl/workbook.xml", parts.size() > 2 ? parts[2] : kWorkbook},
        {"xl/_rels/workbook.xml.rels", kRels},
    };
    zipFile zip = zipOpen64(InputFile().c_str(), APPEND_STATUS_CREATE);
    if (!zip) abort();
    for (const auto& [name, text] : files) {
        zip_fileinfo info{};
        if (zipOpenNewFileInZip64(zip, name, &info, nullptr, 0, nullptr, 0, nullptr, 0, 0, 0) != ZIP_OK ||
            zipWriteInFileInZip(zip, text.data(), static_cast<unsigned>(text.size())) != ZIP_OK ||
            zipCloseFileInZip(zip) != ZIP_OK)
            abort();
    }
    if (zipClose(zip, nullptr) != ZIP_OK) abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    return fuzzinput::TestOneInput(
        std::string_view(reinterpret_cast<const char*>(Data), Size), "PK", InputFile(),
        [](std::string_view Input) { WritePartsWorkbook(Input); },
        [](const std::string& File, int Sheet, int Rows, int Columns) {
            return platform::ReadXlsxSheet(File, Sheet, Rows, Columns);
        });
}
