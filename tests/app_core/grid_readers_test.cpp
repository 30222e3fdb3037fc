#include "app/core/grid_readers.h"

#include <gtest/gtest.h>

#include "engine/partedge.h"
#include "engine/pubstr.h"
#include "engine/trapezium.h"

namespace {

struct Readers : ::testing::Test {
    TMainData d;
    TPanels list, qtys;
    TErrorLocation err;

    TStringGrid& sheets() { return d.StringGridSheets; }
    TStringGrid& parts() { return d.StringGridParts; }
    TStringGrid& rack() { return d.StringGridOffcutRack; }

    void ExpectCell(const char* page, const char* grid, int col, int row,
                    const std::string& message) {
        EXPECT_EQ(err.Page, page);
        EXPECT_EQ(err.Control, grid);
        EXPECT_EQ(err.Col, col);
        EXPECT_EQ(err.Row, row);
        EXPECT_EQ(err.Message, message);
    }
};

}  // namespace

TEST_F(Readers, SheetsGridBuildsPiecesAndDefaultsEmptyCells) {
    sheets().SetRow(1, {" S1 ", " MDF ", "1 1/2", "2.5 ", "3", "", "", "c"});
    sheets().SetRow(2, {"", "", "", "", "", "9", "", "comment only"});  // skipped
    sheets().SetRow(4, {"S2", "", "10", "20", "0", "1.25", "4", ""});
    ASSERT_TRUE(ReadSheetsGrid(d, list, err)) << err.Message;
    ASSERT_EQ(list.Count(), 2);
    const T2DStock& s = list[0];
    EXPECT_EQ(s.Label, "S1");
    EXPECT_EQ(s.Material, "MDF");
    EXPECT_EQ(s.Length, 1500);
    EXPECT_EQ(s.Width, 2500);
    EXPECT_EQ(s.LengthText, "1 1/2");
    EXPECT_EQ(s.WidthText, "2.5 ");
    EXPECT_EQ(s.Quantity, 3);
    EXPECT_EQ(s.Cost, 0);
    EXPECT_EQ(s.Priority, 0);
    EXPECT_EQ(s.Comment, "c");
    EXPECT_EQ(s.SourceKind, srcSheet);
    EXPECT_EQ(sheets().Cell(SheetCol::Cost, 1), "0");
    EXPECT_EQ(sheets().Cell(SheetCol::Priority, 1), "0");
    EXPECT_EQ(list[1].Cost, 1250);
    EXPECT_EQ(list[1].Priority, 4);
}

TEST_F(Readers, SheetsGridMessagesPutTheConversionErrorLast) {
    const struct {
        std::vector<std::string> Row;
        int Col;
        std::string Message;
    } cases[] = {
        {{"  ", "", "10", "10", "1"}, 0, MsgSheetLabelCantBeEmpty + "[]"},
        {{"A", "", "abc", "10", "1"}, 2,
         MsgSheetLengthFormatInvalid + "['abc' is not a valid floating point value]"},
        {{"A", "", "", "10", "1"}, 2, MsgSheetLengthFormatInvalid + "[]"},  // no length
        {{"A", "", "10", "-5", "1"}, 3, MsgSheetWidthFormatInvalid + "[]"},
        {{"A", "", "10", "10", "-1"}, 4, MsgSheetQtyFormatInvalid + "[]"},
        {{"A", "", "10", "10", "1.5"}, 4,
         MsgSheetQtyFormatInvalid + "['1.5' is not a valid integer value]"},
        {{"A", "", "10", "10", "1", "-2"}, 5, MsgSheetCostFormatInvalid + "[]"},
        {{"A", "", "10", "10", "1", "1", "x"}, 6,
         MsgSheetPriorityFormatInvalid + "['x' is not a valid integer value]"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Message);
        TMainData fresh;
        d = fresh;
        sheets().SetRow(1, c.Row);
        EXPECT_FALSE(ReadSheetsGrid(d, list, err));
        ExpectCell("TabSheetSheets", "StringGridSheets", c.Col, 1, c.Message);
    }
}

TEST_F(Readers, SheetsGridCostRulesAndEmptyGrid) {
    EXPECT_FALSE(ReadSheetsGrid(d, list, err));
    ExpectCell("TabSheetSheets", "StringGridSheets", 0, 1, MsgSheetDataIsEmpty);

    sheets().SetRow(1, {"A", "", "10", "10", "1", "0", "", ""});
    EXPECT_TRUE(ReadSheetsGrid(d, list, err));
    CostOptimize = true;
    EXPECT_FALSE(ReadSheetsGrid(d, list, err));
    EXPECT_EQ(err.Message, MsgSheetCostFormatInvalid + "[]");
    sheets().SetCell(SheetCol::Cost, 1, "");  // defaulted to 0: refused too
    EXPECT_FALSE(ReadSheetsGrid(d, list, err));
    EXPECT_EQ(sheets().Cell(SheetCol::Cost, 1), "0");
}

TEST_F(Readers, SheetsGridKeepsSheetsBeforeTheBadRow) {
    sheets().SetRow(1, {"A", "", "10", "10", "1", "", "", ""});
    sheets().SetRow(2, {"B", "", "10", "10", "?", "", "", ""});
    EXPECT_FALSE(ReadSheetsGrid(d, list, err));
    EXPECT_EQ(list.Count(), 1);
    EXPECT_EQ(err.Row, 2);
}

TEST_F(Readers, RackGridTakesLabelsAsTheyStandAndAllowsZeroCost) {
    CostOptimize = true;
    rack().SetRow(1, {"1", " OFF_1 ", " MDF", "100", "50", "", "", "note"});
    rack().SetRow(2, {"2", "", "MDF", "", "", "5", "2", "no size"});  // skipped
    ASSERT_TRUE(ReadRackGrid(d, list, err)) << err.Message;
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list[0].Label, " OFF_1 ");
    EXPECT_EQ(list[0].Material, "MDF");
    EXPECT_EQ(list[0].Quantity, 1);
    EXPECT_EQ(list[0].Cost, 0);
    EXPECT_EQ(list[0].SourceKind, srcOffcut);
    EXPECT_EQ(rack().Cell(OffcutRackCol::Cost, 1), "0");
    EXPECT_EQ(rack().Cell(OffcutRackCol::Priority, 1), "0");

    const struct {
        std::vector<std::string> Row;
        int Col;
        std::string Message;
    } bad[] = {
        {{"3", "X", "", "abc", "5"}, 3,
         "['abc' is not a valid floating point value]" + MsgSheetLengthFormatInvalid},
        {{"3", "X", "", "5", "5", "-1"}, 5, "[]" + MsgSheetCostFormatInvalid},
        {{"3", "X", "", "5", "5", "1", "-1"}, 6, "[]" + MsgSheetPriorityFormatInvalid},
    };
    for (const auto& c : bad) {
        rack().SetRow(3, c.Row);
        EXPECT_FALSE(ReadRackGrid(d, list, err));
        ExpectCell("TabSheetOffcuts", "StringGridOffcutRack", c.Col, 3, c.Message);
    }

    // Switched off: not read at all, and the list is emptied.
    DisableOffcutsRack = true;
    EXPECT_TRUE(ReadRackGrid(d, list, err));
    EXPECT_TRUE(list.Empty());

    // An empty rack is no error.
    DisableOffcutsRack = false;
    TMainData empty;
    EXPECT_TRUE(ReadRackGrid(empty, list, err));
}

TEST_F(Readers, PartsGridBuildsBothListsAndNormalisesCells) {
    PartEdgeList.AddEdge("E1", "1", "0", "0", "0", "0", "0", "0", "0");
    parts().SetRow(1, {" P1 ", " MDF ", "1 1/2", "200", "n", "5", "", "c", " E1 ", "cm"});
    parts().SetRow(2, {"P2", "", "10", "10", "no", "", "4", "circle", " ", ""});
    ASSERT_TRUE(ReadPartsGrid(d, list, qtys, err)) << err.Message;
    ASSERT_EQ(list.Count(), 2);
    ASSERT_EQ(qtys.Count(), 2);
    const T2DStock& p = list[0];
    EXPECT_EQ(p.Label, "P1");
    EXPECT_EQ(p.Material, "MDF");
    EXPECT_EQ(p.Length, 1500);
    EXPECT_FALSE(p.CanRotate);
    EXPECT_EQ(p.ShapeKind, skCircle);
    EXPECT_EQ(p.Quantity, 5);  // Max Qty copied from Qty
    EXPECT_EQ(p.Comment, "cm");
    EXPECT_EQ(p.SourceKind, srcPart);
    ASSERT_TRUE(p.Edge);
    EXPECT_EQ(p.Edge->Label, "E1");
    EXPECT_EQ(qtys[0].Quantity, 5);
    EXPECT_EQ(qtys[0].Label, "P1");
    EXPECT_EQ(parts().Row(1)[PartCol::Rotate], "N");
    EXPECT_EQ(parts().Row(1)[PartCol::MaxQty], "5");
    EXPECT_EQ(parts().Row(1)[PartCol::Shape], "C");

    EXPECT_TRUE(list[1].CanRotate);  // only "n"/"N" fix a part
    EXPECT_EQ(list[1].ShapeKind, skRectangle);
    EXPECT_EQ(list[1].Quantity, 4);
    EXPECT_EQ(qtys[1].Quantity, 4);  // Qty copied from Max Qty
    EXPECT_FALSE(list[1].Edge);
    EXPECT_EQ(parts().Cell(PartCol::Rotate, 2), "R");
    EXPECT_EQ(parts().Cell(PartCol::Shape, 2), "R");

    // An edge type that no longer exists is refused, not cut without allowances.
    parts().SetCell(PartCol::EdgeType, 2, "gone");
    EXPECT_FALSE(ReadPartsGrid(d, list, qtys, err));
    ExpectCell("TabSheetParts", "StringGridParts", PartCol::EdgeType, 2, "[gone]" + MsgInvalidData);
}

TEST_F(Readers, PartsGridMessages) {
    const struct {
        std::vector<std::string> Row;
        int Col;
        std::string Message;
    } cases[] = {
        {{"", "", "10", "10", "", "1"}, 0, "[]" + MsgPartLabelCantBeEmpty},
        {{"P", "", "abc", "10", "", "1"}, 2,
         "['abc' is not a valid floating point value]" + MsgPartLengthFormatInvalid},
        {{"P", "", "10", "0", "", "1"}, 3, "[]" + MsgPartWidthFormatInvalid},
        {{"P", "", "10", "10", "", "-1"}, 6, "[]" + MsgPartQtyFormatInvalid},
        {{"P", "", "10", "10", "", "5", "3"}, 6, "[]" + MsgPartQtyFormatInvalid},
        {{"P", "", "10", "10", "", "x", "3"}, 5,
         "['x' is not a valid integer value]" + MsgPartQtyFormatInvalid},
        // Blank quantities: Max Qty copies the blanks, which are no number.
        {{"P", "", "10", "10", "", " "}, PartCol::MaxQty,
         "[' ' is not a valid integer value]" + MsgPartQtyFormatInvalid},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Message);
        TMainData fresh;
        d = fresh;
        parts().SetRow(1, c.Row);
        EXPECT_FALSE(ReadPartsGrid(d, list, qtys, err));
        ExpectCell("TabSheetParts", "StringGridParts", c.Col, 1, c.Message);
    }
}

TEST_F(Readers, PartsGridMayBeEmptyWhenFreeShapesExist) {
    EXPECT_FALSE(ReadPartsGrid(d, list, qtys, err));
    ExpectCell("TabSheetParts", "StringGridParts", 0, 1, MsgPartDataIsEmpty);
    TTrapezium t;
    t.Label = "shape";
    TrapeziumList.AddOrUpdate(t);
    EXPECT_TRUE(ReadPartsGrid(d, list, qtys, err));
    EXPECT_TRUE(list.Empty());
}

TEST_F(Readers, AnyShapeGridFillsBothProfileLists) {
    TPanels profiles;
    T2DStock a;
    a.Label = "A";
    a.ShapeKind = skShaped;
    a.Quantity = 1;
    profiles.AddCopy(a);
    a.Label = "B";
    profiles.AddCopy(a);
    auto& g = d.StringGridAnyShape;
    g.SetRow(1, {"A", " Oak ", "r", "3", "", "first"});
    g.SetRow(2, {"B", "", "N", "", "7", ""});
    ASSERT_TRUE(ReadAnyShapeGrid(d, profiles, qtys, err)) << err.Message;
    ASSERT_EQ(qtys.Count(), 2);
    EXPECT_EQ(profiles[0].Quantity, 3);
    EXPECT_EQ(qtys[0].Quantity, 3);
    EXPECT_EQ(profiles[0].Material, "Oak");
    EXPECT_EQ(profiles[0].Comment, "first");
    EXPECT_TRUE(profiles[0].CanRotate);
    EXPECT_EQ(qtys[0].Material, "Oak");
    EXPECT_FALSE(profiles[1].CanRotate);
    EXPECT_FALSE(qtys[1].CanRotate);
    EXPECT_EQ(profiles[1].Quantity, 7);
    EXPECT_EQ(qtys[1].Quantity, 7);
    EXPECT_EQ(g.Cell(AnyShapeCol::MaxQty, 1), "3");
    EXPECT_EQ(g.Cell(AnyShapeCol::Qty, 2), "7");

    g.SetRow(2, {"B", "", "", "8", "7", ""});
    EXPECT_FALSE(ReadAnyShapeGrid(d, profiles, qtys, err));
    ExpectCell("TabSheetAnyShape", "StringGridAnyShape", 4, 2, "[]" + MsgPartQtyFormatInvalid);
    g.SetRow(2, {"B", "", "", "-1", "7", ""});
    EXPECT_FALSE(ReadAnyShapeGrid(d, profiles, qtys, err));
    ExpectCell("TabSheetAnyShape", "StringGridAnyShape", 3, 2, "[]" + MsgPartQtyFormatInvalid);

    // No profile parts: nothing to read.
    TPanels none;
    EXPECT_TRUE(ReadAnyShapeGrid(d, none, qtys, err));
    EXPECT_TRUE(qtys.Empty());
}
