// Time and peak memory of reading a large parts list from a workbook: a
// sheet of ROWS rows (10000 unless given) and the eleven columns the import
// reads, written by the program's own writer. Measured:
//   read      the spreadsheet reader taking every row of the sheet;
//   import    the import dialog's load, which reads the first 1000 rows and
//             says that the rest were left out.
// Each is run in a fresh process of its own, so that its peak memory
// (resident set) is its own; times are the median of five runs.
//   xlsx_import_bench [ROWS]
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/core/import_data.h"
#include "platform/message_sink.h"
#include "platform/xlsx_file.h"

namespace {

class TQuietSink : public platform::MessageSink {
  public:
    void Warning(const std::string&) override {}
    bool Confirm(const std::string&, bool Default) override { return Default; }
};

// Runs the work five times; prints the median time.
int RunChild(const std::string& What, const std::string& File, int Rows) {
    TQuietSink sink;
    platform::SetMessageSink(&sink);
    std::vector<double> seconds;
    for (int i = 0; i < 5; ++i) {
        const auto start = std::chrono::steady_clock::now();
        if (What == "read") {
            const platform::TXlsxSheet s = platform::ReadXlsxSheet(File, 0, Rows, 11);
            if (s.Cells.back()[0].empty()) return 1;
        } else {
            TImportData dialog;
            if (!dialog.LoadExcelFile(File, 0)) return 1;
        }
        seconds.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(seconds.begin(), seconds.end());
    std::printf("%-8s median %.3f s", What.c_str(), seconds[2]);
    std::fflush(stdout);
    return 0;
}

// Runs one measurement in a fresh process of this program, so that the peak
// memory is that of the work alone (with the program's own few MB).
void Measure(const char* What, const std::string& File, int Rows) {
    std::fflush(stdout);
    const std::string rows = std::to_string(Rows);
    const pid_t child = ::fork();
    if (child == 0) {
        ::execl("/proc/self/exe", "xlsx_import_bench", "--child", What, File.c_str(), rows.c_str(),
                static_cast<char*>(nullptr));
        std::_Exit(127);
    }
    int status = 0;
    rusage usage{};
    ::wait4(child, &status, 0, &usage);
    std::printf(", peak memory %.1f MB%s\n", static_cast<double>(usage.ru_maxrss) / 1024.0,
                WIFEXITED(status) && WEXITSTATUS(status) == 0 ? "" : " (failed)");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 5 && std::string(argv[1]) == "--child") return RunChild(argv[2], argv[3], std::atoi(argv[4]));
    const int rows = argc > 1 ? std::atoi(argv[1]) : 10000;
    std::string folder = (std::filesystem::temp_directory_path() / "tessaly-bench-XXXXXX").string();
    if (!::mkdtemp(folder.data())) return 1;
    const std::string file = folder + "/parts.xlsx";
    {
    std::vector<std::vector<std::string>> sheet;
    sheet.push_back({"Label", "Material", "Length", "Width", "Rotate", "Qty", "Max Qty", "Shape", "Edge",
                     "Comment", "Area"});
    for (int r = 1; r < rows; ++r)
        sheet.push_back({"Part " + std::to_string(r), r % 3 ? "MDF 18" : "Plywood 12", std::to_string(200 + r % 900),
                         std::to_string(100 + r % 500) + ".5", r % 2 ? "R" : "N", std::to_string(1 + r % 7),
                         std::to_string(2 + r % 7), "R", r % 5 ? "" : "ABS 2", "order " + std::to_string(r / 40),
                         std::to_string((200 + r % 900) * (100 + r % 500))});
    platform::WriteXlsxFile(file, "parts", sheet);
    }
    std::printf("workbook of %d rows x 11 columns: %ju bytes\n", rows,
                static_cast<std::uintmax_t>(std::filesystem::file_size(file)));
    Measure("read", file, rows);
    Measure("import", file, rows);
    std::filesystem::remove_all(folder);
    return 0;
}
