// Importing sheets and parts from a TAB text file or a spreadsheet, and
// exporting the grids as spreadsheets.
//
// The import dialog without its widgets (TImportData): the import grid, the
// eleven column choices, the sheet names of a spreadsheet and the outcome.
// The window's import commands prepare it from the mapping file `default`,
// show it, and then copy or append its rows into the sheets or parts grid
// (ApplyImport).
#pragma once

#include <array>
#include <string>
#include <vector>

#include "app/core/main_data.h"
#include "app/core/string_grid.h"

constexpr int kImportColumns = 11;
// A spreadsheet is read down to its first blank row, at most this many rows.
constexpr int kImportMaxRows = 1000;

// The file last loaded into the import dialog (empty at start-up).
extern std::string ImportFileName;
// After a confirmed import: the eleven column choices in order, each
// IgnoreCaption or a column title of the target grid.
extern std::vector<std::string> ImportFieldList;
void ResetImportDefaults();

enum class TImportResult { Cancel, Copy, Append };

class TImportData {
  public:
    TImportData();

    // Row 0 holds the column numbers; the imported rows are rows 1...
    TStringGrid StringGridImportData;
    // The entries offered in each of the eleven column boxes (IgnoreCaption,
    // then the target grid's titles) and the position chosen in each.
    std::vector<std::string> ComboItems;
    std::array<int, kImportColumns> ComboIndex{};
    // The worksheets of the spreadsheet last loaded, and the one shown (none
    // after a text file).
    std::vector<std::string> SheetNames;
    int SheetIndex = 0;
    // Set only by a confirming button whose column check passed.
    TImportResult Result = TImportResult::Cancel;

    // Each showing starts with no outcome.
    void Activate() { Result = TImportResult::Cancel; }
    void ClearImportGrid();
    // Load a file into the import grid. LoadExcelFile reads an .xls workbook
    // (an OLE compound file, known by its first bytes) or an .xlsx one. Every load empties the grid first,
    // so a file that cannot be read, is no spreadsheet we can read or cannot
    // be held in memory leaves nothing to import (the message sink gets the
    // reason and the result is false); the sheet names stay only when
    // another sheet of the same workbook was refused. On success
    // ImportFileName := FileName; a sheet with values below the rows read
    // (kImportMaxRows) loads those rows and the sink is told the rest were
    // left out.
    bool LoadTextFile(const std::string& FileName);
    bool LoadExcelFile(const std::string& FileName, int SheetIndex);
    // True when some cell of the import grid holds more than blanks.
    bool HoldsRows() const;

    // The column check: -1 when no title is chosen twice, else the later box
    // (0-based) of the first pair.
    int SameFieldColumn() const;
    // Copy or Append: when the grid holds rows and the check passes,
    // ImportFieldList := the choices and Result := Mode, and the result is
    // -1. Otherwise Result stays as it was and the dialog stays open: with
    // nothing to import the sink is told so and the result is
    // kImportColumns (no box to focus); with every box at IgnoreCaption it
    // is told that no column is chosen and the first box gets the focus (0);
    // a column chosen twice gives MsgSameFieldError and the box to focus
    // (0-based).
    int Confirm(TImportResult Mode);
    // The choices as texts.
    std::vector<std::string> ChosenFields() const;
};

// The import mapping file: AppDir + "/default".
std::string ImportMappingFileName();

// Fills the dialog's column boxes with IgnoreCaption and the titles of row 0
// of the target grid (sheets or parts) and selects the positions stored in
// the mapping file (a missing or bad value selects "Ignore").
void PrepareImport(TImportData& Dialog, const TMainData& Data, bool Sheets);

// After the dialog: Copy replaces the target grid's rows with the mapped
// import rows; Append puts the mapped import rows first and merges the grid's
// rows after them (an equal row, same label, type, length and width, adds its
// quantities), keeping every column. A quantity that is no whole number
// leaves the grid as it was (message to the sink, false). After a Copy the
// grid's file-name field is emptied ("untitled", so that no list file is
// written over the imported file); an Append keeps it, as the list it adds
// to is still that file's. On success the mapping file is written and the
// grid's Save command is off (SheetsSaveEnabled, PartsSaveEnabled): the list
// is no longer the file's, so it is saved through Save As.
// Cancel changes nothing and returns false. Running out of memory while the
// rows are taken over leaves the grid as it was too, with
// ImportOutOfMemoryMessage(ImportFileName) to the sink.
bool ApplyImport(TMainData& Data, bool Sheets, const TImportData& Dialog);
std::string ImportOutOfMemoryMessage(const std::string& FileName);

// The grids as spreadsheets: one worksheet ("panels", "parts", "offcuts harp
// rack", "parts harp rack") of text cells, row 0 of the grid first when
// WithTitles. Written completely or not at all; a failure goes to the
// message sink as "[" + error + "]" and the result is false.
bool WriteGridExcelFile(const TStringGrid& Grid, const std::string& SheetName,
                        const std::string& FileName, bool WithTitles);
bool WriteSheetsExcelFile(const TMainData& Data, const std::string& FileName, bool WithTitles);
bool WritePartsExcelFile(const TMainData& Data, const std::string& FileName, bool WithTitles);
bool WriteOffcutsExcelFile(const TMainData& Data, const std::string& FileName, bool WithTitles);
bool WritePartsRackExcelFile(const TMainData& Data, const std::string& FileName, bool WithTitles);
