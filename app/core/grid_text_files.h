// Tab-separated text files of the grids: the export of the sheets, parts,
// offcut rack and part rack grids, the import of a text file into the sheets
// or parts grid, and the report page written as a text file.
//
// Grid text file: one line per grid row from row 1 (row 0, the titles, first
// when asked for), every row written, empty ones included. A line holds, for
// every column in order, the cell's text trimmed of blanks followed by one
// TAB, so every line ends with a TAB, then CR LF. A TAB or line break inside a
// cell would split the cell or the row when the file is read back, so it is
// written as a blank.
//
// Files are written completely or not at all; a file that cannot be written
// is reported to the message sink as "[" + error + "]" and the writer returns
// false.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/core/main_data.h"
#include "app/core/string_grid.h"

// The text of a grid text file.
std::string GridTextFileText(const TStringGrid& Grid, bool WithTitles);

// Writes Grid as a grid text file.
bool WriteGridTxtFile(const TStringGrid& Grid, const std::string& FileName, bool WithTitles);

// The four grids' writers (the command-line exports use the first two with
// titles).
bool WriteSheetsTxtFile(const TMainData& Data, const std::string& FileName, bool WithTitles);
bool WritePartsTxtFile(const TMainData& Data, const std::string& FileName, bool WithTitles);
bool WriteOffcutsTxtFile(const TMainData& Data, const std::string& FileName, bool WithTitles);
bool WritePartsRackTxtFile(const TMainData& Data, const std::string& FileName, bool WithTitles);

// Fills Grid from the lines of a TAB text: line i goes to row i + 1, split at
// TAB characters into the columns from 0 (cells untrimmed; fields beyond the
// grid's columns dropped; a short line leaves its other cells empty). Every
// line becomes a row, a title line and empty lines included, except the
// empty lines (or lines of TABs only) at the end, which would only add empty
// rows (with EveryLine those make rows too, as in the import dialog); lines
// end with LF, CR LF or CR. Every data row is emptied first and the row
// count becomes the number of lines + 1 (at least 2, so the grid keeps one
// data row).
void FillGridFromTabText(TStringGrid& Grid, const std::string& Text, bool EveryLine = false);

// The limits of a TAB text import: a larger file, or one with more lines
// (the empty lines at its end not counted), is refused.
constexpr std::uint64_t kMaxImportFileBytes = 4 * 1024 * 1024;
constexpr int kMaxImportLines = 10000;

// Reads a TAB text file within the limits above. False with the reason in
// Error (a missing file, a folder, device or pipe, no permission, beyond the
// limits); the callers show "[" + Error + "]" + MsgCantReadImportTxtFile.
// A first line that is exactly Titles (not empty: the titles line a grid's
// export writes) is left out of Text and not counted among the lines.
bool ReadTabTextFile(const std::string& FileName, std::string& Text, std::string& Error,
                     const std::string& Titles = {});

// Replace the sheets or parts grid with a TAB text file and show FileName in
// the grid's file-name field; the caller disables the grid's Save button and
// recomputes its totals. The grid is emptied first. A file that cannot be
// read (missing, a folder, a device or pipe, no permission, beyond the
// limits above) leaves it empty: the message sink gets "[" + error + "]" +
// MsgCantReadImportTxtFile and the result is false.
bool ReadSheetsTXTFile(TMainData& Data, const std::string& FileName);
bool ReadPartsTXTFile(TMainData& Data, const std::string& FileName);

// Writes the report page's lines to FileName, one per CR LF line. A file that
// cannot be written: "[" + error + "]" to the message sink, nothing written,
// false.
bool WriteExportTXTFile(const std::vector<std::string>& ReportLines, const std::string& FileName);
