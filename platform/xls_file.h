// Old binary spreadsheet workbooks (.xls, BIFF5 and BIFF8 in an OLE
// compound file): a reader of the cell values of one worksheet, the same in
// shape as the .xlsx reader (platform/xlsx_file.h), whose TXlsxSheet it
// fills and whose XlsxError it throws.
//
// The cells are read by libfreexl. That library gives no value for a
// formula cell and takes booleans and error values for numbers, so the
// workbook stream is also looked through (libgsf opens the compound file):
// within the rows and columns read, a formula reads the value the
// spreadsheet stored with it (a number as the .xlsx reader shows it, a text,
// "TRUE" or "FALSE"), a boolean reads "TRUE" or "FALSE" as in an .xlsx
// workbook, and an error value, stored or a formula's, refuses the file
// naming the cell, as does a formula whose stored value is missing, damaged
// or of a kind the reader does not know. Numbers,
// texts and the limits are those of the .xlsx reader; in addition the file
// may hold at most kXlsMaxFileBytes and its sheets may span at most
// kXlsMaxCellsSpanned cells, since the library holds every cell of every
// sheet in memory. The library trusts the lengths and sizes the records
// state (a damaged file made it read and free memory not its own), so the
// stream is refused before the library opens it when a record it reads is
// too short for its fields or text, the shared strings run past their
// records, a sheet states its size twice or a cell lies outside that size.
#pragma once

#include <cstdint>
#include <string>

#include "platform/xlsx_file.h"

namespace platform {

constexpr std::uint64_t kXlsMaxFileBytes = 64u << 20;
constexpr std::uint64_t kXlsMaxCellsSpanned = 1000000;

// The file starts as an OLE compound file does (an .xls workbook, whatever
// its name); false when it cannot be read.
bool IsXlsFile(const std::string& FileName);

// Reads the names of FileName's worksheets and the first MaxRows x MaxColumns
// cells of sheet SheetIndex (0-based). Throws XlsxError naming the file and
// the reason.
TXlsxSheet ReadXlsSheet(const std::string& FileName, int SheetIndex, int MaxRows, int MaxColumns);

}  // namespace platform
