// Editing the main window's grids in place: fill-down of an empty cell,
// the Enter move (growing the sheets and parts grids by 10 rows), sorting
// by a column title, deleting rows without quantity, the drop-down editors'
// choices and the totals under each grid. The window forwards its events
// here and shows the result.
#pragma once

#include <string>
#include <vector>

#include "app/core/error_location.h"
#include "app/core/main_data.h"

struct TCellPos {
    int Col = 0;
    int Row = 1;
    bool operator==(const TCellPos&) const = default;
};

// A click on (Col, Row): when Row is 2 or more and the cell is empty after
// trimming, it gets the text of the cell above. True when a text was copied.
bool FillDownCell(TStringGrid& Grid, int Col, int Row);

// Enter in the sheets or parts grid: the next cell in reading order; when it
// lies below the last row the grid first grows by 10 rows. Completed is set
// when the move lands on column 0 (a row was finished: recompute the totals).
TCellPos EnterGrowing(TStringGrid& Grid, TCellPos At, bool* Completed = nullptr);
// Enter in the rack, free-shape and shape-parameter grids: the next cell in
// reading order, skipping column 0, never adding rows; at the last cell of
// the last row the position stays.
TCellPos EnterStepping(const TStringGrid& Grid, TCellPos At);

// The Edit menu on a grid's current cell while no cell editor is open: Copy
// gives the cell's text (nothing outside the data rows; row 0 holds the
// titles), Cut gives it and empties the cell, Paste puts the clipboard's
// first line, up to its first tab, into the cell (a cell holds one field).
std::string CopyCell(const TStringGrid& Grid, TCellPos At);
std::string CellTextOfClipboard(const std::string& Clipboard);

// Sorting by a click on a column title: the last sorted column and the
// direction; a second click on the same column flips the direction.
struct TGridSort {
    int Column = 0;
    bool Descending = false;
};
// Sorts every data row (empty rows included) by Column. Numeric columns
// compare as typed lengths (fractions equal their decimals; a text that is
// no number comes after every number, among such texts by text); the others
// compare the texts case-sensitively. Equal rows keep their order.
void SortGridByColumn(TStringGrid& Grid, TGridSort& State, int Column,
                      const std::vector<int>& NumericColumns);
void SortSheetsGrid(TStringGrid& Grid, TGridSort& State, int Column);
void SortPartsGrid(TStringGrid& Grid, TGridSort& State, int Column);

// Removes, from the last data row up, every row whose trimmed quantity cell
// is empty or "0" ("00" stays). Returns the row to select afterwards: the
// previous current row, or the last row when the grid became shorter.
int DeleteEmptyRows(TStringGrid& Grid, int QtyColumn, int CurrentRow);

// The totals shown under a grid (empty texts where a grid has no such total).
struct TGridTotals {
    std::string Area;
    std::string Number;
    std::string Cost;
};
// Each total walks the rows that have both sizes, reading their quantity as
// a run does (an empty sheet quantity is a bad cell; an empty part Qty is
// taken from Max Qty, which then must hold one), and stops at the first bad
// cell: false, with Error naming the page, grid and cell and
// the message "[" + conversion error + "]" + message; Totals is then left as
// it was. Empty costs become "0" and the parts' rotation and shape letters are
// normalised in the grid as the rows are read.
bool TotalOfSheets(TStringGrid& Grid, TGridTotals& Totals, TErrorLocation& Error);
bool TotalOfParts(TStringGrid& Grid, TGridTotals& Totals, TErrorLocation& Error);
bool TotalOfOffcuts(TStringGrid& Grid, TGridTotals& Totals, TErrorLocation& Error);
bool TotalOfPartsRack(TStringGrid& Grid, TGridTotals& Totals, TErrorLocation& Error);
// The totals of the sheets or parts grid after any change of its cells,
// however the edit ended (a cell left by a click, Tab or Enter, a paste, a
// cut, a drop-down's choice, a fill-down, a row deleted): computed again with
// no box, so that they never disagree with the grid; a grid with a bad cell
// gets empty totals rather than those of before. The box naming a bad cell
// belongs to the Enter that finishes a row (TotalOfSheets, TotalOfParts).
void SheetsTotalsAfterEdit(TStringGrid& Grid, TGridTotals& Totals);
void PartsTotalsAfterEdit(TStringGrid& Grid, TGridTotals& Totals);
// Both rack totals. With no Error a bad cell stops nothing: its row still
// counts in the number and adds to the area or cost only what converts.
bool RackGridTotals(TStringGrid& Grid, bool PartRack, TGridTotals& Totals, TErrorLocation* Error);

// The drop-down editors.
inline const std::vector<std::string>& PriorityItems() {
    static const std::vector<std::string> items{"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"};
    return items;
}
// Item shown when the rotation editor opens on Cell (1 for "N", else 0) and
// the cell text for a chosen item.
int RotationItemOfCell(const std::string& Cell);
std::string RotationCellOfItem(int Item);
// The same for the shape editor ("C" is item 1).
int ShapeItemOfCell(const std::string& Cell);
std::string ShapeCellOfItem(int Item);
// Leaving the type (or edge type) editor with Text: when its trimmed text
// equals no trimmed item it becomes the first item; the trimmed text is
// returned for the cell; an empty text is never learned. LearnMaterialType
// also ticks a new type for runs.
std::string LearnComboText(std::vector<std::string>& Items, const std::string& Text);
std::string LearnMaterialType(std::vector<std::string>& Items, const std::string& Text);
