#include "app/core/grid_editing.h"

#include <gtest/gtest.h>

#include "app/core/grid_readers.h"
#include "app/core/material_types.h"
#include "engine/pubstr.h"

namespace {

// A grid whose column Col holds Cells from row 1 on.
TStringGrid Column(const std::vector<std::string>& Cells, int Cols = 1, int Col = 0) {
    TStringGrid g(Cols, static_cast<int>(Cells.size()) + 1);
    for (int r = 0; r < static_cast<int>(Cells.size()); ++r) g.SetCell(Col, r + 1, Cells[r]);
    return g;
}

std::vector<std::string> Cells(const TStringGrid& g, int col) {
    std::vector<std::string> v;
    for (int r = 1; r < g.RowCount(); ++r) v.push_back(g.Cell(col, r));
    return v;
}

}  // namespace

TEST(GridEditing, FillDownCopiesTheCellAboveIntoAnEmptyCellFromRow2) {
    TStringGrid g = Column({"A", " ", "C", ""});
    EXPECT_FALSE(FillDownCell(g, 0, 1));
    EXPECT_TRUE(FillDownCell(g, 0, 2));
    EXPECT_FALSE(FillDownCell(g, 0, 3));  // holds a text
    EXPECT_EQ(Cells(g, 0), (std::vector<std::string>{"A", "A", "C", ""}));
}

TEST(GridEditing, EnterMovesInReadingOrderAndGrowsOnlyTheListGrids) {
    TStringGrid g(8, 3);
    bool completed = false;
    EXPECT_EQ(EnterGrowing(g, {3, 1}, &completed), (TCellPos{4, 1}));
    EXPECT_FALSE(completed);
    EXPECT_EQ(EnterGrowing(g, {7, 2}, &completed), (TCellPos{0, 3}));
    EXPECT_TRUE(completed);
    EXPECT_EQ(g.RowCount(), 13);

    TStringGrid rack(8, 3);
    EXPECT_EQ(EnterStepping(rack, {7, 1}), (TCellPos{1, 2}));  // column 0 is skipped
    EXPECT_EQ(EnterStepping(rack, {7, 2}), (TCellPos{7, 2}));  // last cell: stays
    EXPECT_EQ(rack.RowCount(), 3);
}

TEST(GridEditing, SortNumericColumnsAsLengthsAndTextColumnsAsText) {
    TStringGrid g = Column({"10", "2 1/2", "", "2.5"}, SheetCol::Count, SheetCol::Length);
    const char* labels[] = {"b", "a", "", "B"};
    for (int r = 1; r <= 4; ++r) g.SetCell(SheetCol::Label, r, labels[r - 1]);
    TGridSort sort;
    sort.Column = SheetCol::Label;
    SortSheetsGrid(g, sort, SheetCol::Length);  // a new column: ascending
    EXPECT_FALSE(sort.Descending);
    // Empty counts as 0; "2 1/2" equals 2.5 and keeps its place before it.
    EXPECT_EQ(Cells(g, SheetCol::Length), (std::vector<std::string>{"", "2 1/2", "2.5", "10"}));
    SortSheetsGrid(g, sort, SheetCol::Length);  // the same column again: descending
    EXPECT_EQ(Cells(g, SheetCol::Length), (std::vector<std::string>{"10", "2 1/2", "2.5", ""}));
    SortSheetsGrid(g, sort, SheetCol::Label);  // another column keeps the direction
    EXPECT_EQ(Cells(g, SheetCol::Label), (std::vector<std::string>{"b", "a", "B", ""}));
    SortSheetsGrid(g, sort, SheetCol::Label);
    EXPECT_EQ(Cells(g, SheetCol::Label), (std::vector<std::string>{"", "B", "a", "b"}));
}

TEST(GridEditing, DeleteEmptyRemovesBlankAndZeroQuantitiesButKeeps00) {
    TStringGrid g = Column({"3", " 0 ", "", "00", "0"}, SheetCol::Count, SheetCol::Qty);
    EXPECT_EQ(DeleteEmptyRows(g, SheetCol::Qty, 5), 2);
    EXPECT_EQ(Cells(g, SheetCol::Qty), (std::vector<std::string>{"3", "00"}));
}

TEST(GridEditing, TotalsCountCompleteRowsAndRefuseTheFirstBadCell) {
    TStringGrid g(SheetCol::Count, 4);
    g.SetRow(1, {"A", "", "2000", "1000", "2", "", "", ""});
    g.SetRow(2, {"B", "", "1 1/2", "1000", "1", "3.5", "", ""});
    g.SetRow(3, {"only a label", "", "", "", "", "", "", ""});
    TGridTotals t;
    TErrorLocation err;
    ASSERT_TRUE(TotalOfSheets(g, t, err));
    EXPECT_EQ(t.Number, "3");
    EXPECT_EQ(t.Area, "4001500");  // in square units of the measure
    EXPECT_EQ(t.Cost, "3.5");
    EXPECT_EQ(g.Cell(SheetCol::Cost, 1), "0");

    g.SetCell(SheetCol::Width, 2, "abc");
    const TGridTotals before = t;
    EXPECT_FALSE(TotalOfSheets(g, t, err));
    EXPECT_EQ(t.Area, before.Area);
    EXPECT_EQ(err.Col, SheetCol::Width);
    EXPECT_EQ(err.Row, 2);
    EXPECT_NE(err.Message.find(MsgSheetWidthFormatInvalid), std::string::npos);

    TStringGrid parts(PartCol::Count, 3);
    parts.SetRow(1, {"P", "", "100", "100", "n", "2", "", "c", "", ""});
    ASSERT_TRUE(TotalOfParts(parts, t, err));
    EXPECT_EQ(t.Number, "2");
    EXPECT_EQ(parts.Cell(PartCol::Rotate, 1), "N");
    EXPECT_EQ(parts.Cell(PartCol::Shape, 1), "C");

    TStringGrid rack(OffcutRackCol::Count, 3);
    rack.SetRow(1, {"1", "X", "", "500", "200", "", "", ""});
    rack.SetRow(2, {"2", "Y", "", "-5", "200", "", "", ""});
    EXPECT_FALSE(TotalOfOffcuts(rack, t, err));
    EXPECT_EQ(err.Page, "TabSheetOffcuts");
    rack.SetCell(OffcutRackCol::Length, 2, "");
    ASSERT_TRUE(TotalOfOffcuts(rack, t, err));
    EXPECT_EQ(t.Number, "1");
    EXPECT_EQ(t.Area, "100000");
}

TEST(GridEditing, EditorsChooseItemsAndLearnNewTypes) {
    EXPECT_EQ(RotationItemOfCell(" N "), 1);
    EXPECT_EQ(RotationItemOfCell("n"), 0);
    EXPECT_EQ(ShapeItemOfCell("c"), 1);
    EXPECT_EQ(ShapeCellOfItem(1), "C");
    EXPECT_EQ(RotationCellOfItem(0), "R");

    std::vector<std::string> items{"MDF", " Ply "};
    EXPECT_EQ(LearnMaterialType(items, " Ply"), "Ply");
    EXPECT_EQ(items.size(), 2u);
    EXPECT_EQ(LearnMaterialType(items, "Glass 4 "), "Glass 4");
    EXPECT_EQ(items.front(), "Glass 4");
    EXPECT_TRUE(IsTypeChecked("Glass 4"));
    // Leaving the editor on an empty cell learns no empty type.
    for (const char* empty : {"", "   "}) {
        EXPECT_EQ(LearnMaterialType(items, empty), "");
        EXPECT_EQ(LearnComboText(items, empty), "");
    }
    EXPECT_EQ(items.size(), 3u);
    EXPECT_FALSE(IsTypeChecked(""));
}

// The totals and a run read a row's quantity alike: where a run refuses an
// empty one, Enter at the row's end names the same cell; where a run takes
// Max Qty for an empty part Qty, so do the totals.
TEST(GridEditing, TotalsReadAnEmptyQuantityAsARunDoes) {
    const struct Case {
        const char* Name;
        bool Parts;
        std::vector<std::string> Row;
        int BadCol;  // -1: read, counting Number
        const char* Number;
    } cases[] = {
        {"sheet without quantity", false, {"S", "", "100", "50", "", "1", "", ""}, SheetCol::Qty, ""},
        {"part without Qty and Max Qty", true, {"P", "", "10", "10", "R", "", "", "R", "", ""},
         PartCol::MaxQty, ""},
        {"part with Max Qty alone", true, {"P", "", "10", "10", "R", "", "3", "R", "", ""}, -1, "3"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TMainData d;
        TStringGrid& g = c.Parts ? d.StringGridParts : d.StringGridSheets;
        g.SetRow(1, c.Row);
        TGridTotals totals{"old", "old", "old"};
        TErrorLocation totalError, runError;
        const bool counted = c.Parts ? TotalOfParts(g, totals, totalError)
                                     : TotalOfSheets(g, totals, totalError);
        TPanels list, qtys;
        const bool read = c.Parts ? ReadPartsGrid(d, list, qtys, runError)
                                  : ReadSheetsGrid(d, list, runError);
        EXPECT_EQ(counted, read);
        if (c.BadCol < 0) {
            EXPECT_EQ(totals.Number, c.Number);
            continue;
        }
        EXPECT_EQ(totals.Number, "old");  // the box's totals stay as they were
        EXPECT_EQ(totalError.Col, c.BadCol);
        EXPECT_EQ(totalError.Row, 1);
        EXPECT_EQ(runError.Col, c.BadCol);
        EXPECT_NE(totalError.Message.find("'' is not a valid integer value"), std::string::npos)
            << totalError.Message;
    }
}

// Whatever ends an edit, the totals under the sheets and parts grids follow
// the grid: a changed quantity at once, a bad cell as empty totals (never
// those of before), a row made incomplete no longer counted.
TEST(GridEditing, TotalsFollowEveryEditOfTheSheetsAndPartsGrids) {
    TStringGrid sheets(SheetCol::Count, 4);
    sheets.SetRow(1, {"A", "", "2000", "1000", "300", "1", "", ""});
    sheets.SetRow(2, {"B", "", "1000", "1000", "110", "", "", ""});
    TStringGrid parts(PartCol::Count, 3);
    parts.SetRow(1, {"P", "", "100", "100", "R", "5", "", "R", "", ""});
    struct Case {
        bool Parts;
        int Col, Row;
        const char* Text;
        const char *Number, *Area, *Cost;  // the totals after the edit
    } cases[] = {
        {false, SheetCol::Qty, 1, "200", "310", "510000000", "200"},
        {false, SheetCol::Width, 2, "abc", "", "", ""},
        {false, SheetCol::Width, 2, "500", "310", "455000000", "200"},
        // An empty quantity is refused, as a run refuses it.
        {false, SheetCol::Qty, 2, "", "", "", ""},
        {false, SheetCol::Qty, 2, "0", "200", "400000000", "200"},
        {false, SheetCol::Cost, 1, "x", "", "", ""},
        {false, SheetCol::Cost, 1, "1.5", "200", "400000000", "300"},
        {true, PartCol::Qty, 1, "7", "7", "70000", ""},
        {true, PartCol::Shape, 1, "c", "7", "54977.871", ""},
        {true, PartCol::Qty, 1, "-1", "", "", ""},
        // A run takes an empty Qty from Max Qty, and refuses both empty.
        {true, PartCol::Qty, 1, "", "", "", ""},
        {true, PartCol::MaxQty, 1, "4", "4", "31415.927", ""},
    };
    TGridTotals sheetsTotals, partsTotals;
    SheetsTotalsAfterEdit(sheets, sheetsTotals);
    PartsTotalsAfterEdit(parts, partsTotals);
    EXPECT_EQ(sheetsTotals.Number, "410");
    for (const Case& c : cases) {
        TStringGrid& g = c.Parts ? parts : sheets;
        TGridTotals& t = c.Parts ? partsTotals : sheetsTotals;
        g.SetCell(c.Col, c.Row, c.Text);
        c.Parts ? PartsTotalsAfterEdit(g, t) : SheetsTotalsAfterEdit(g, t);
        EXPECT_EQ(t.Number, c.Number) << c.Col << " " << c.Text;
        EXPECT_EQ(t.Area, c.Area) << c.Col << " " << c.Text;
        EXPECT_EQ(t.Cost, c.Cost) << c.Col << " " << c.Text;
    }
    EXPECT_EQ(parts.Cell(PartCol::Shape, 1), "C");  // read as the run reads it
}
