// The label dialog's state and its nine label schemes, kept in the option
// file `default.opt` in sections LABEL_SCHEME_1 ... LABEL_SCHEME_9 beside the
// options of section OPTION.
//
// A scheme holds the page description, the titles, the cell layout with its
// texts and column widths, and the printer orientation; row heights, the
// font and the start position are not part of it. Saving overwrites the
// scheme's keys in place: other sections and keys of the file stay.
#pragma once

#include <string>

#include "output/label_layout.h"

constexpr int kLabelSchemeCount = 9;
// Ranges of the two scroll bars that size a label's cell grid.
constexpr int kLabelCellColsMax = 4;
constexpr int kLabelCellRowsMax = 5;
// Width of a format column that no scheme has set.
constexpr int kDefaultLabelCellWidth = 20;

// The dialog's page description and label layout.
struct TLabelDialogState {
    TLabelDialogState();

    TLabelPageText Page;
    TLabelFormat Format;  // Format.Cells holds the layout's rows and columns
    bool PortraitPrinter = true;

    int CellRows() const { return static_cast<int>(Format.Cells.size()); }
    int CellCols() const { return static_cast<int>(Format.ColWidths.size()); }
    // Resizes the cell grid (bounded to the scroll bars' ranges), keeping
    // the texts and widths inside; new columns get NewWidth.
    void SetCellSize(int Rows, int Cols, int NewWidth = kDefaultLabelCellWidth);
    // The cell rows' scroll bar moved to Rows: the column widths stay.
    void ChangeCellRows(int Rows);
    // The cell columns' scroll bar moved to Cols: every column gets the same
    // share of the format grid, (GridWidth - HeaderWidth - 4) div Cols - 1
    // pixels (at least 1), HeaderWidth being the grid's fixed first column.
    void ChangeCellCols(int Cols, int GridWidth, int HeaderWidth);
};

// AppDir + "/default.opt": the scheme file, whatever option file was read.
std::string LabelSchemeFileName();
// "LABEL_SCHEME_" + SchemeNo.
std::string LabelSchemeSection(int SchemeNo);

// Both do nothing (false) unless 1 <= SchemeNo <= 9. Saving throws
// platform::IniWriteError when the file cannot be written; nothing is lost.
bool SaveLabelScheme(const std::string& FileName, int SchemeNo, const TLabelDialogState& State);
bool LoadLabelScheme(const std::string& FileName, int SchemeNo, TLabelDialogState& State);

// The scheme list position for a scheme setting read from the option file,
// held to the nine schemes (0 ... 8).
int LabelSchemeItem(int Setting);
