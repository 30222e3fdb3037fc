// Fuzzes the .xls reader and the import dialog's loading on top of it: any
// bytes given as an .xls workbook must end in cells or in an XlsxError (a
// warning for the import), never in a crash, a hang or unbounded memory.
//
// An input that starts like an OLE compound file is the workbook file
// itself. Any other input is the workbook stream (the BIFF records), which
// is packed into a well-formed compound file, so that the mutations reach
// the record readers instead of ending at the container's sector tables
// (make_xls_stream_seeds.sh makes such seeds from the test workbooks).
#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-stdio.h>
#include <gsf/gsf-utils.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "app/core/import_data.h"
#include "fuzz/fuzz_input.h"
#include "platform/message_sink.h"
#include "platform/xls_file.h"

namespace {

const std::string& InputFile() {
    return fuzzinput::InputFile("input.xls");
}

// Packs Stream as the "Workbook" stream of a compound file.
void WriteStreamWorkbook(std::string_view Stream) {
    GsfOutput* sink = gsf_output_stdio_new(InputFile().c_str(), nullptr);
    if (!sink) abort();
    GsfOutfile* ole = gsf_outfile_msole_new(sink);
    g_object_unref(sink);
    GsfOutput* child = gsf_outfile_new_child(ole, "Workbook", FALSE);
    if (!child || !gsf_output_write(child, Stream.size(), reinterpret_cast<const guint8*>(Stream.data())) ||
        !gsf_output_close(child))
        abort();
    g_object_unref(child);
    if (!gsf_output_close(GSF_OUTPUT(ole))) abort();
    g_object_unref(ole);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    return fuzzinput::TestOneInput(
        std::string_view(reinterpret_cast<const char*>(Data), Size), "\xD0\xCF\x11\xE0", InputFile(),
        [](std::string_view Input) { WriteStreamWorkbook(Input); },
        [](const std::string& File, int Sheet, int Rows, int Columns) {
            return platform::ReadXlsSheet(File, Sheet, Rows, Columns);
        });
}
