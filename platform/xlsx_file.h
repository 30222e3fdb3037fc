// Spreadsheet workbooks (.xlsx): a writer of one worksheet of text cells and
// a small reader of the cell values of one worksheet.
//
// The files hold UTF-8. Texts read come back as UTF-8; texts written are
// made UTF-8 by the program's rule (platform/text_encoding.h: valid UTF-8
// stays, other bytes are Windows-1252). The escapes "_xHHHH_" that
// spreadsheet programs write for control characters are decoded.
//
// The reader takes shared strings, inline strings, numbers, booleans and the
// stored values of formulas, empty cells and rows left out. A number (a
// formula's too) whose cell has a date or time format reads as its date
// (SpreadsheetDateText), by the workbook's date system. Within the rows
// and columns read it refuses error values, formulas without a stored value
// (no value element, or an empty one for anything but a text result)
// and dates stored as text dates; anywhere it refuses cell references past
// the sheet limits or out of order, a cell outside a row, encrypted or
// damaged files and workbooks beyond the limits below. Each refusal is an
// XlsxError whose text names the file and the reason. Numbers read as a
// spreadsheet program shows them: at most 15 significant digits ("2.5",
// "1200", "0.3" for 0.1 + 0.2).
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

class XlsxError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The largest row and column numbers a worksheet may hold.
constexpr int kXlsxMaxRows = 1048576;
constexpr int kXlsxMaxColumns = 16384;

// What a workbook may expand to when it is read: far above any parts list,
// far below the memory of the machine. A workbook beyond one of them is
// refused with a message stating the limit.
constexpr std::uint64_t kXlsxMaxPartBytes = 64u << 20;         // one part, unpacked
constexpr std::size_t kXlsxMaxSharedStrings = 1000000;         // entries of the string table
constexpr std::size_t kXlsxMaxCellsHeld = 1000000;             // MaxRows x MaxColumns
constexpr std::uint64_t kXlsxMaxTextHeld = 64u << 20;          // text of the cells read
constexpr int kXlsxMaxDepth = 100;                             // elements nested in a part
constexpr std::size_t kXlsxMaxSheets = 1000;                   // sheets of the workbook
constexpr std::size_t kXlsxMaxCellChars = 32767;               // one cell's text, in characters

// The sheet names of a workbook and the cells of one of its sheets.
struct TXlsxSheet {
    std::vector<std::string> SheetNames;  // in workbook order
    // Cells[r][c] for rows 1..MaxRows and columns 1..MaxColumns of the sheet
    // (0-based here); every row has MaxColumns cells, missing ones empty.
    std::vector<std::vector<std::string>> Cells;
    // The sheet holds a value below row MaxRows within the columns read: the
    // reader stopped at its limit.
    bool MoreRows = false;
};

// Reads the names of FileName's worksheets and the first MaxRows x MaxColumns
// cells of sheet SheetIndex (0-based). Throws XlsxError (also when the cells
// asked for exceed kXlsxMaxCellsHeld).
TXlsxSheet ReadXlsxSheet(const std::string& FileName, int SheetIndex, int MaxRows, int MaxColumns);

// What the workbook readers share for their limits and messages: a size in
// whole megabytes ("64 MB"), and the characters of UTF-8 text.
std::string Megabytes(std::uint64_t Bytes);
std::size_t Utf8Chars(std::string_view Text);

// A number as a spreadsheet program shows it: at most 15 significant digits,
// "E" notation for very large or small values, no "-0".
std::string SpreadsheetNumberText(double Value);

// Whether a cell's number format shows a date or a time: a format code of
// the workbook's own (Code, when not null) with a part of a date or time
// (y, m, d, h or s, also an elapsed time such as [h]) outside quoted text,
// escaped characters and other bracketed parts (colours, conditions,
// currencies); without a code, the built-in formats of dates and times
// (numbers 14 to 22, 27 to 36, 45 to 47 and 50 to 58).
bool IsDateFormat(unsigned FormatId, const std::string* Code);

// A number in a date or time format as its date, "yyyy-mm-dd", followed by
// " hh:mm:ss" when it has a time of day (to the nearest second). Date1904:
// the workbook counts days from 1904-01-01 (day 0); else from 1900-01-01
// (day 1), with day 60, which spreadsheet programs count as 1900-02-29, read
// as that text, and a number below 1 read as the time of day alone
// ("hh:mm:ss"). A number that stands for no date (negative, past
// 9999-12-31) reads as the number.
std::string SpreadsheetDateText(double Serial, bool Date1904);

// Writes a workbook with one worksheet named SheetName whose cell (r, c) is
// the text Rows[r][c] (empty texts make empty cells). The file is written
// completely or not at all: the workbook is made in a folder of this process
// alone (no other user can place a link there), then its bytes go through
// WriteFileAtomic. Throws XlsxError naming the file.
void WriteXlsxFile(const std::string& FileName, const std::string& SheetName,
                   const std::vector<std::vector<std::string>>& Rows);

}  // namespace platform
