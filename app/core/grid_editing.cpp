#include "app/core/grid_editing.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numeric>

#include "app/core/list_files.h"
#include "app/core/material_types.h"
#include "app/core/option_reader.h"
#include "engine/pubfunc.h"
#include "engine/pubstr.h"
#include "engine/stock2d.h"
#include "engine/textfmt.h"

namespace {

bool Present(const std::string& cell) { return !Trim(cell).empty(); }

// An area total: at most three decimals, without trailing zeros.
std::string AreaText(double area) { return FloatToStr(std::round(area * 1000) / 1000); }

// A sort key: the length of a numeric cell, or the text.
struct SortKey {
    bool Number = false;
    std::int32_t Units = 0;
    std::string Text;
};

SortKey KeyOf(const std::string& cell, bool numeric) {
    SortKey k;
    k.Text = cell;
    std::string e;
    if (numeric) k.Number = TypedLengthToUnits(cell, k.Units, e);
    return k;
}

// Numbers before texts that are none; numbers by value, texts by text.
bool Less(const SortKey& a, const SortKey& b, bool numeric) {
    if (!numeric) return a.Text < b.Text;
    if (a.Number != b.Number) return a.Number;
    return a.Number ? a.Units < b.Units : a.Text < b.Text;
}

// The checks of the totals: a typed length above 0, a whole number or cost at
// least 0. E gets the conversion error, empty when a value breaks the rule.
bool Length(const std::string& text, std::int32_t& units, std::string& e) {
    e.clear();
    return TypedLengthToUnits(text, units, e) && units > 0;
}

bool Count(const std::string& text, std::int32_t& value, std::string& e) {
    e.clear();
    try {
        value = StrToInt(Trim(text));
    } catch (const EConvertError& ex) {
        e = ex.what();
        return false;
    }
    return value >= 0;
}

bool Cost(TStringGrid& g, int col, int row, std::int32_t& units, std::string& e) {
    if (g.Cell(col, row).empty()) g.SetCell(col, row, "0");
    e.clear();
    return StrToUnitsOrError(g.Cell(col, row), units, e) && units >= 0;
}

// Reports the bad cell of a total.
struct TotalPlace {
    const char* Page;
    const char* Grid;
    bool Fail(TErrorLocation& error, int col, int row, const std::string& e,
              const std::string& message) const {
        error = TErrorLocation::Cell(Page, Grid, col, row, "[" + e + "]" + message);
        return false;
    }
};

// The columns of a list grid's counted rows and their messages. QtyStandIn:
// the column a run takes the quantity from when the quantity cell is empty
// (a part's Max Qty), or -1 when a run refuses an empty quantity.
struct SizeColumns {
    int Length, Width, Qty, QtyStandIn;
    const std::string &LengthMsg, &WidthMsg, &QtyMsg;
};
enum class RowRead { Skip, Ok, Bad };

// Reads the sizes and quantity of row r; a row without both sizes is
// skipped. A row with both counts with its quantity as a run reads it: an
// empty one is a bad cell, as a run refuses it, unless the run takes the
// stand-in column's instead.
RowRead ReadSizes(const TStringGrid& g, const TotalPlace& at, int r, const SizeColumns& c,
                  std::int32_t& l, std::int32_t& w, std::int32_t& q, TErrorLocation& error) {
    if (!Present(g.Cell(c.Length, r)) || !Present(g.Cell(c.Width, r))) return RowRead::Skip;
    const int qtyCol = !Present(g.Cell(c.Qty, r)) && c.QtyStandIn >= 0 ? c.QtyStandIn : c.Qty;
    std::string e;
    if (!Length(g.Cell(c.Length, r), l, e)) {
        at.Fail(error, c.Length, r, e, c.LengthMsg);
        return RowRead::Bad;
    }
    if (!Length(g.Cell(c.Width, r), w, e)) {
        at.Fail(error, c.Width, r, e, c.WidthMsg);
        return RowRead::Bad;
    }
    if (!Count(g.Cell(qtyCol, r), q, e)) {
        at.Fail(error, qtyCol, r, e, c.QtyMsg);
        return RowRead::Bad;
    }
    return RowRead::Ok;
}

}  // namespace

bool RackGridTotals(TStringGrid& g, bool partRack, TGridTotals& totals, TErrorLocation* error) {
    static_assert(int{PartRackCol::Length} == int{OffcutRackCol::Length} &&
                  int{PartRackCol::Width} == int{OffcutRackCol::Width});
    const TotalPlace at = partRack ? TotalPlace{"TabSheetPartHarp", "StringGridPartRack"}
                                   : TotalPlace{"TabSheetOffcuts", "StringGridOffcutRack"};
    const std::string& lengthMsg = partRack ? MsgPartLengthFormatInvalid : MsgSheetLengthFormatInvalid;
    const std::string& widthMsg = partRack ? MsgPartWidthFormatInvalid : MsgSheetWidthFormatInvalid;
    const int lengthCol = OffcutRackCol::Length, widthCol = OffcutRackCol::Width;
    double area = 0, cost = 0;
    int count = 0;
    std::string e;
    for (int r = 1; r < g.RowCount(); ++r) {
        if (!Present(g.Cell(lengthCol, r)) || !Present(g.Cell(widthCol, r))) continue;
        ++count;
        std::int32_t l = 0, w = 0, c = 0;
        const bool lengthOk = Length(g.Cell(lengthCol, r), l, e);
        if (!lengthOk && error) return at.Fail(*error, lengthCol, r, e, lengthMsg);
        const bool widthOk = Length(g.Cell(widthCol, r), w, e);
        if (!widthOk && error) return at.Fail(*error, widthCol, r, e, widthMsg);
        if (!partRack && !Cost(g, OffcutRackCol::Cost, r, c, e)) {
            if (error) return at.Fail(*error, OffcutRackCol::Cost, r, e, MsgSheetCostFormatInvalid);
            c = 0;
        }
        if (lengthOk && widthOk) area += (l / 1000.0) * (w / 1000.0);
        cost += c / 1000.0;
    }
    totals.Area = AreaText(area);
    totals.Number = IntToStr(count);
    totals.Cost = partRack ? std::string() : FloatToStr(cost);
    return true;
}

bool FillDownCell(TStringGrid& g, int col, int row) {
    if (row < 2 || row >= g.RowCount() || col < 0 || col >= g.ColCount()) return false;
    if (Present(g.Cell(col, row))) return false;
    g.SetCell(col, row, g.Cell(col, row - 1));
    return true;
}

TCellPos EnterGrowing(TStringGrid& g, TCellPos at, bool* completed) {
    const int cols = g.ColCount();
    const int k = at.Row * cols + at.Col + 1;
    if (k / cols >= g.RowCount()) g.SetRowCount(g.RowCount() + 10);
    const TCellPos next{k % cols, k / cols};
    if (completed) *completed = next.Col == 0;
    return next;
}

TCellPos EnterStepping(const TStringGrid& g, TCellPos at) {
    const int cols = g.ColCount();
    if (at.Row >= g.RowCount() - 1 && at.Col >= cols - 1) return at;
    TCellPos next = at;
    if (++next.Col >= cols) {
        next.Col = std::min(1, cols - 1);
        ++next.Row;
    }
    return next;
}

void SortGridByColumn(TStringGrid& g, TGridSort& state, int column,
                      const std::vector<int>& numericColumns) {
    if (column < 0 || column >= g.ColCount()) return;
    if (column == state.Column) state.Descending = !state.Descending;
    state.Column = column;
    const bool numeric =
        std::find(numericColumns.begin(), numericColumns.end(), column) != numericColumns.end();
    const int n = g.RowCount() - 1;
    if (n < 2) return;
    std::vector<SortKey> keys;
    keys.reserve(n);
    for (int r = 1; r <= n; ++r) keys.push_back(KeyOf(g.Cell(column, r), numeric));
    std::vector<int> order(n);
    std::iota(order.begin(), order.end(), 0);
    const bool desc = state.Descending;
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return desc ? Less(keys[b], keys[a], numeric) : Less(keys[a], keys[b], numeric);
    });
    std::vector<std::vector<std::string>> rows;
    rows.reserve(n);
    for (int i : order) rows.push_back(g.Row(i + 1));
    for (int r = 1; r <= n; ++r) g.SetRow(r, rows[r - 1]);
}

void SortSheetsGrid(TStringGrid& g, TGridSort& state, int column) {
    SortGridByColumn(g, state, column,
                     {SheetCol::Qty, SheetCol::Length, SheetCol::Width, SheetCol::Cost});
}

void SortPartsGrid(TStringGrid& g, TGridSort& state, int column) {
    SortGridByColumn(g, state, column,
                     {PartCol::MaxQty, PartCol::Length, PartCol::Width, PartCol::Qty});
}

int DeleteEmptyRows(TStringGrid& g, int qtyColumn, int currentRow) {
    for (int r = g.RowCount() - 1; r >= 1; --r) {
        const std::string q = Trim(g.Cell(qtyColumn, r));
        if (q.empty() || q == "0") DeleteGridRow(g, r);
    }
    return std::max(1, std::min(currentRow, g.RowCount() - 1));
}

bool TotalOfSheets(TStringGrid& g, TGridTotals& totals, TErrorLocation& error) {
    const TotalPlace at{"TabSheetSheets", "StringGridSheets"};
    double area = 0, cost = 0;
    std::int64_t count = 0;
    std::string e;
    const SizeColumns cols{SheetCol::Length, SheetCol::Width, SheetCol::Qty, -1, MsgSheetLengthFormatInvalid,
                           MsgSheetWidthFormatInvalid, MsgSheetQtyFormatInvalid};
    for (int r = 1; r < g.RowCount(); ++r) {
        std::int32_t l = 0, w = 0, q = 0, c = 0;
        const RowRead read = ReadSizes(g, at, r, cols, l, w, q, error);
        if (read == RowRead::Bad) return false;
        if (read == RowRead::Skip) continue;
        if (!Cost(g, SheetCol::Cost, r, c, e))
            return at.Fail(error, SheetCol::Cost, r, e, MsgSheetCostFormatInvalid);
        area += static_cast<double>(l) * w * q / 1e6;
        cost += static_cast<double>(c) * q;
        count += q;
    }
    totals.Area = AreaText(area);
    totals.Number = IntToStr(count);
    totals.Cost = PubFunc.FloatUnitsToStr(cost);
    return true;
}

bool TotalOfParts(TStringGrid& g, TGridTotals& totals, TErrorLocation& error) {
    const TotalPlace at{"TabSheetParts", "StringGridParts"};
    double area = 0;
    std::int64_t count = 0;
    const SizeColumns cols{PartCol::Length, PartCol::Width, PartCol::Qty, PartCol::MaxQty, MsgPartLengthFormatInvalid,
                           MsgPartWidthFormatInvalid, MsgPartQtyFormatInvalid};
    for (int r = 1; r < g.RowCount(); ++r) {
        T2DStock p;
        std::int32_t q = 0;
        const RowRead read = ReadSizes(g, at, r, cols, p.Length, p.Width, q, error);
        if (read == RowRead::Bad) return false;
        if (read == RowRead::Skip) continue;
        g.SetCell(PartCol::Rotate, r, NormalRotateCell(g.Cell(PartCol::Rotate, r)));
        g.SetCell(PartCol::Shape, r, NormalShapeCell(g.Cell(PartCol::Shape, r)));
        p.ShapeKind = g.Cell(PartCol::Shape, r) == "C" ? skCircle : skRectangle;
        area += p.ShapeNetArea() * q / 1e6;
        count += q;
    }
    totals.Area = AreaText(area);
    totals.Number = IntToStr(count);
    totals.Cost.clear();
    return true;
}

bool TotalOfOffcuts(TStringGrid& g, TGridTotals& totals, TErrorLocation& error) {
    return RackGridTotals(g, false, totals, &error);
}

bool TotalOfPartsRack(TStringGrid& g, TGridTotals& totals, TErrorLocation& error) {
    return RackGridTotals(g, true, totals, &error);
}

void SheetsTotalsAfterEdit(TStringGrid& g, TGridTotals& totals) {
    TErrorLocation ignored;
    if (!TotalOfSheets(g, totals, ignored)) totals = {};
}

void PartsTotalsAfterEdit(TStringGrid& g, TGridTotals& totals) {
    TErrorLocation ignored;
    if (!TotalOfParts(g, totals, ignored)) totals = {};
}

int RotationItemOfCell(const std::string& cell) { return Trim(cell) == "N" ? 1 : 0; }
std::string RotationCellOfItem(int item) { return item == 0 ? "R" : "N"; }
int ShapeItemOfCell(const std::string& cell) { return UpperCase(Trim(cell)) == "C" ? 1 : 0; }
std::string ShapeCellOfItem(int item) { return item == 0 ? "R" : "C"; }

std::string LearnComboText(std::vector<std::string>& items, const std::string& text) {
    std::string t = Trim(text);
    if (t.empty()) return t;  // an empty cell names no type to learn
    const bool known =
        std::any_of(items.begin(), items.end(), [&](const std::string& i) { return Trim(i) == t; });
    if (!known) items.insert(items.begin(), t);
    return t;
}

std::string LearnMaterialType(std::vector<std::string>& items, const std::string& text) {
    const std::size_t before = items.size();
    std::string t = LearnComboText(items, text);
    if (items.size() != before) CheckedTypeList.push_back(t);
    return t;
}

std::string CopyCell(const TStringGrid& Grid, TCellPos At) {
    const bool data = At.Row >= 1 && At.Row < Grid.RowCount() && At.Col >= 0 && At.Col < Grid.ColCount();
    return data ? Grid.Cell(At.Col, At.Row) : std::string();
}

std::string CellTextOfClipboard(const std::string& Clipboard) {
    return Clipboard.substr(0, Clipboard.find_first_of("\t\r\n"));
}
