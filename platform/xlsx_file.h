// Spreadsheet workbooks (.xlsx): a writer of one worksheet of text cells and
// a small reader of the cell values of one worksheet.
//
// Texts on our side are the program's single bytes (Latin-1); the files hold
// UTF-8. A character the program cannot hold reads as "?".
//
// The reader takes shared strings, inline strings, numbers and booleans,
// empty cells and rows left out. It refuses everything else (formulas, error
// values, dates stored as text dates, cell references past the sheet limits,
// encrypted or damaged files) with an XlsxError whose text names the file and
// the reason. Numbers read as their shortest decimal text ("2.5", "1200").
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

namespace platform {

class XlsxError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The largest row and column numbers a worksheet may hold.
constexpr int kXlsxMaxRows = 1048576;
constexpr int kXlsxMaxColumns = 16384;

// The sheet names of a workbook and the cells of one of its sheets.
struct TXlsxSheet {
    std::vector<std::string> SheetNames;  // in workbook order
    // Cells[r][c] for rows 1..MaxRows and columns 1..MaxColumns of the sheet
    // (0-based here); every row has MaxColumns cells, missing ones empty.
    std::vector<std::vector<std::string>> Cells;
};

// Reads the names of FileName's worksheets and the first MaxRows x MaxColumns
// cells of sheet SheetIndex (0-based). Throws XlsxError.
TXlsxSheet ReadXlsxSheet(const std::string& FileName, int SheetIndex, int MaxRows, int MaxColumns);

// Writes a workbook with one worksheet named SheetName whose cell (r, c) is
// the text Rows[r][c] (empty texts make empty cells). The file is written
// completely or not at all. Throws XlsxError naming the file.
void WriteXlsxFile(const std::string& FileName, const std::string& SheetName,
                   const std::vector<std::vector<std::string>>& Rows);

}  // namespace platform
