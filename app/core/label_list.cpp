#include "app/core/label_list.h"

#include <algorithm>
#include <set>

#include "engine/textfmt.h"

namespace {

// Rows 1.. of the grid, taken out and put back.
std::vector<std::vector<std::string>> DataRows(const TStringGrid& G) {
    std::vector<std::vector<std::string>> rows;
    for (int r = 1; r < G.RowCount(); ++r) rows.push_back(G.Row(r));
    return rows;
}

void PutRows(TStringGrid& G, const std::vector<std::vector<std::string>>& Rows) {
    G.SetRowCount(static_cast<int>(Rows.size()) + 1);
    for (std::size_t i = 0; i < Rows.size(); ++i) G.SetRow(static_cast<int>(i) + 1, Rows[i]);
}

std::vector<std::string> Trimmed(const std::vector<std::string>& Row) {
    std::vector<std::string> t;
    t.reserve(Row.size());
    for (const std::string& s : Row) t.push_back(Trim(s));
    return t;
}

}  // namespace

void SortLabelRows(TStringGrid& Labels, int Column, TLabelSortState& State) {
    if (Column < 0 || Column >= Labels.ColCount()) return;
    if (Column == State.LabelSortColumn) State.LabelSortDescending = !State.LabelSortDescending;
    State.LabelSortColumn = Column;
    auto rows = DataRows(Labels);
    const auto k = static_cast<std::size_t>(Column);
    if (State.LabelSortDescending)
        std::stable_sort(rows.begin(), rows.end(),
                         [k](const auto& a, const auto& b) { return a[k] > b[k]; });
    else
        std::stable_sort(rows.begin(), rows.end(),
                         [k](const auto& a, const auto& b) { return a[k] < b[k]; });
    PutRows(Labels, rows);
}

void DistinctLabelRows(TStringGrid& Labels) {
    std::vector<std::vector<std::string>> kept;
    std::set<std::vector<std::string>> seen;
    for (const auto& row : DataRows(Labels))
        if (seen.insert(Trimmed(row)).second) kept.push_back(row);
    if (Labels.ColCount() > 0)
        std::stable_sort(kept.begin(), kept.end(),
                         [](const auto& a, const auto& b) { return Trim(a[0]) > Trim(b[0]); });
    PutRows(Labels, kept);
}
