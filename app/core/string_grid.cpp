#include "app/core/string_grid.h"

#include <algorithm>
#include <utility>

namespace {
std::function<void(int, int)>& SizeHook() {
    static std::function<void(int, int)> hook;
    return hook;
}
}  // namespace

void SetStringGridSizeHook(std::function<void(int ColCount, int RowCount)> Hook) {
    SizeHook() = std::move(Hook);
}

void TStringGrid::SetSize(int cols, int rows) {
    cols = std::max(cols, 0);
    rows = std::max(rows, 0);
    if (SizeHook()) SizeHook()(cols, rows);
    std::vector<std::string> cells(static_cast<std::size_t>(cols) * rows);
    for (int r = 0; r < std::min(rows, rows_); ++r)
        for (int c = 0; c < std::min(cols, cols_); ++c)
            cells[static_cast<std::size_t>(r) * cols + c] =
                std::move(cells_[static_cast<std::size_t>(r) * cols_ + c]);
    cells_ = std::move(cells);
    cols_ = cols;
    rows_ = rows;
}

const std::string& TStringGrid::Cell(int col, int row) const {
    if (col < 0 || col >= cols_ || row < 0 || row >= rows_)
        throw EListError("Grid index out of range (" + std::to_string(col) + ", " +
                         std::to_string(row) + ")");
    return cells_[static_cast<std::size_t>(row) * cols_ + col];
}

std::string& TStringGrid::Cell(int col, int row) {
    return const_cast<std::string&>(static_cast<const TStringGrid&>(*this).Cell(col, row));
}

std::vector<std::string> TStringGrid::Row(int row) const {
    std::vector<std::string> out;
    out.reserve(cols_);
    for (int c = 0; c < cols_; ++c) out.push_back(Cell(c, row));
    return out;
}

void TStringGrid::SetRow(int row, const std::vector<std::string>& texts) {
    for (int c = 0; c < cols_ && c < static_cast<int>(texts.size()); ++c) Cell(c, row) = texts[c];
}

void TStringGrid::ClearRows(int firstRow) {
    for (int r = std::max(firstRow, 0); r < rows_; ++r)
        for (int c = 0; c < cols_; ++c) Cell(c, r).clear();
}

bool TStringGrid::RowEmpty(int row, int firstCol) const {
    for (int c = std::max(firstCol, 0); c < cols_; ++c)
        if (!Cell(c, row).empty()) return false;
    return true;
}
