// Sheet list files (*.sht, sections SHEET1, SHEET2, ...) and part list files
// (*.prt, sections PART1, PART2, ...): the sheets and parts grids stored as
// typed, without validation.
//
// Writers erase every section of the file and write the grid's used rows;
// the file is replaced completely or not at all, and a failure throws
// platform::IniWriteError with the file name (the grid's file-name field is
// then left unchanged). A missing file, an empty file or one of blanks reads
// as an empty list; a file that exists but cannot be read, or that holds no
// list section of its kind, is refused with a warning and changes nothing.
#pragma once

#include <string>

#include "app/core/main_data.h"

// At most this many numbered sections are read from a list file. A file
// holding more is read up to the limit with a warning that says so, and the
// grid remembers it (SheetsCutFrom, PartsCutFrom): saving that grid over the
// same file is refused (IniWriteError), so the rows beyond the limit are
// never lost unasked.
constexpr int kMaxListSections = 10000;

void SaveSheetsFile(TMainData& Data, const std::string& FileName, bool ShowName);
void SavePartsFile(TMainData& Data, const std::string& FileName, bool ShowName);

// The file the Save command of the sheets or parts page writes to: the list
// file its file-name field names. Empty when the list goes through Save As:
// its Save command is off (after an import) or the field names no list file
// of the page's kind.
std::string SaveCommandFile(const TMainData& Data, bool Sheets);

// Replace the grid's contents with the file; the file-name field shows
// FileName and the grid's Save command is on. The caller recomputes the
// grid's totals.
// False when the file was refused: unreadable, or there with text but no
// list section of its kind (SHEET<n>, PART<n>), as a tab-separated text or a
// file saved as UTF-16 (a warning names it); the grid and its file-name field
// are then unchanged.
bool ReadSheetsFile(TMainData& Data, const std::string& FileName);
bool ReadPartsFile(TMainData& Data, const std::string& FileName);

// For tests: when set, called as a list file is read into its grid; it may
// throw std::bad_alloc to stand for a file that memory cannot hold.
inline void (*ListFileReadFault)(const std::string& FileName) = nullptr;

// Add the file's rows after the grid's used rows (equal rows add their
// quantities). A file the readers above refuse adds nothing (false). A quantity that is not a whole number throws EConvertError;
// the rows added before it stay. The file-name field is not changed; once
// every row is added the grid's Save command is on.
bool AppendSheetsFile(TMainData& Data, const std::string& FileName);
bool AppendPartsFile(TMainData& Data, const std::string& FileName);

// Adds one sheet row, or adds Qty to the quantity of the first row with the
// same trimmed label, type, length and width. The grid grows by 10 rows when
// it has no empty row. Throws EConvertError for a quantity that is not a
// whole number, ERangeError when a sum leaves the 32-bit range.
bool AppendToSheetsGrid(TStringGrid& Grid, const std::string& Label, const std::string& Type,
                        const std::string& Length, const std::string& Width, const std::string& Qty,
                        const std::string& Cost, const std::string& Priority,
                        const std::string& Comment);
// The same for a part row; a match adds Qty and MaxQty. A new row leaves its
// edge-type cell unchanged.
bool AppendToParttsGrid(TStringGrid& Grid, const std::string& Label, const std::string& Type,
                        const std::string& Length, const std::string& Width, const std::string& Qty,
                        const std::string& MaxQty, const std::string& Shape,
                        const std::string& Rotate, const std::string& Comment);

// Delete (one row) and delete all of the two grids; the caller recomputes totals.
void SheetsDelete(TMainData& Data, int Row);
void SheetsDeleteAll(TMainData& Data);
void PartsDelete(TMainData& Data, int Row);
void PartsDeleteAll(TMainData& Data);

// "R" for "n"/"N" -> "N" and anything else -> "R"; "C" for "c"/"C", else "R".
std::string NormalRotateCell(const std::string& Cell);
std::string NormalShapeCell(const std::string& Cell);

// The open and save dialogs' filters ("Open File(*.sht)|*.sht").
std::string SheetsFileFilter(const std::string& Title);
std::string PartsFileFilter(const std::string& Title);
