// Old binary spreadsheet workbooks (.xls: BIFF5, the Excel 5 and 95 format,
// and BIFF8, Excel 97 to 2003, in an OLE compound file): a reader of the
// cell values of one worksheet, the same in shape as the .xlsx reader
// (platform/xlsx_file.h), whose TXlsxSheet it fills and whose XlsxError it
// throws.
//
// libgsf opens the compound file; the workbook stream is read into memory
// and its records are read here, every length checked against the record
// it lies in. The workbook's first header gives the format of every record.
// Within the rows and columns read: numbers read as the .xlsx reader shows
// them, a number in a date or time format as its date (SpreadsheetDateText,
// by the workbook's date system), texts as written (shared strings and
// texts that go on in further records included; 8-bit texts of a BIFF5
// workbook in its code page), booleans "TRUE" or "FALSE", a formula the
// value the spreadsheet stored with it; an error value, stored or a
// formula's, and a formula whose stored value is missing, damaged or of a
// kind the reader does not know refuse the file naming the cell. Anywhere,
// a record too short for its fields refuses the file as damaged, and so do
// a workbook encrypted with a password and the limits of the .xlsx reader;
// in addition the file may hold at most kXlsMaxFileBytes and its sheets at
// most kXlsMaxCells cells (each value and each formatted empty cell that a
// record holds, whatever size the sheets state).
#pragma once

#include <cstdint>
#include <string>

#include "platform/xlsx_file.h"

namespace platform {

constexpr std::uint64_t kXlsMaxFileBytes = 64u << 20;
constexpr std::uint64_t kXlsMaxCells = 1000000;

// The file starts as an OLE compound file does (an .xls workbook, whatever
// its name); false when it cannot be read.
bool IsXlsFile(const std::string& FileName);

// Reads the names of FileName's sheets (worksheets, chart and macro sheets,
// in workbook order) and the first MaxRows x MaxColumns cells of sheet
// SheetIndex (0-based), which must be a worksheet. Throws XlsxError naming
// the file and the reason.
TXlsxSheet ReadXlsSheet(const std::string& FileName, int SheetIndex, int MaxRows, int MaxColumns);

}  // namespace platform
