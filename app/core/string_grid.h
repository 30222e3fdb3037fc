// A grid of texts as the main window's string grids hold them: row 0 is the
// title row, column 0 usually the row number. Cells are addressed
// (column, row) like the window's grids.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "engine/errors.h"

class TStringGrid {
public:
    TStringGrid() = default;
    TStringGrid(int ColCount, int RowCount) { SetSize(ColCount, RowCount); }

    int ColCount() const { return cols_; }
    int RowCount() const { return rows_; }
    // Changes the size, keeping the cells that remain inside.
    void SetSize(int ColCount, int RowCount);
    void SetColCount(int ColCount) { SetSize(ColCount, rows_); }
    void SetRowCount(int RowCount) { SetSize(cols_, RowCount); }

    // Throws EListError for a cell outside the grid.
    const std::string& Cell(int Col, int Row) const;
    std::string& Cell(int Col, int Row);
    void SetCell(int Col, int Row, std::string Text) { Cell(Col, Row) = std::move(Text); }

    // Every cell of a row or column.
    std::vector<std::string> Row(int Row) const;
    void SetRow(int Row, const std::vector<std::string>& Texts);

    // Empties every cell of the rows from FirstRow on (titles stay).
    void ClearRows(int FirstRow = 1);
    // True when every cell of the row, from column FirstCol on, is empty.
    bool RowEmpty(int Row, int FirstCol = 1) const;

private:
    int cols_ = 0;
    int rows_ = 0;
    std::vector<std::string> cells_;  // row-major
};

// Called with the new size before a grid makes room for its cells, the step
// that runs out of memory with a huge list. Tests put a hook in place that
// throws std::bad_alloc there; an empty function removes it.
void SetStringGridSizeHook(std::function<void(int ColCount, int RowCount)> Hook);
