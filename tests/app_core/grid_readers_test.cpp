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

// The fields a reader fills, in one line.
std::string Fields(const T2DStock& s) {
    std::string out = s.Label + "|" + s.Material + "|" + s.LengthText + "|" + s.WidthText;
    for (int v : {s.Length, s.Width, s.Quantity, s.Cost, s.Priority, int(s.CanRotate),
                  int(s.ShapeKind), int(s.SourceKind)})
        out += "|" + std::to_string(v);
    return out + "|" + s.Comment + "|" + (s.Edge ? s.Edge->Label : "-");
}

}  // namespace

TEST_F(Readers, SheetsGridBuildsPiecesAndDefaultsEmptyCells) {
    sheets().SetRow(1, {" S1 ", " MDF ", "1 1/2", "2.5 ", "3", "", "", "c"});
    sheets().SetRow(2, {"", "", "", "", "", "9", "", "comment only"});  // skipped
    sheets().SetRow(4, {"S2", "", "10", "20", "0", "1.25", "4", ""});
    ASSERT_TRUE(ReadSheetsGrid(d, list, err)) << err.Message;
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(Fields(list[0]),
              "S1|MDF|1 1/2|2.5 |1500|2500|3|0|0|1|0|" + std::to_string(srcSheet) + "|c|-");
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
        {{"A", "", "abc", "10", "1"},
         2,
         MsgSheetLengthFormatInvalid + "['abc' is not a valid floating point value]"},
        {{"A", "", "", "10", "1"}, 2, MsgSheetLengthFormatInvalid + "[]"},  // no length
        {{"A", "", "10", "-5", "1"}, 3, MsgSheetWidthFormatInvalid + "[]"},
        {{"A", "", "10", "10", "-1"}, 4, MsgSheetQtyFormatInvalid + "[]"},
        {{"A", "", "10", "10", "1.5"},
         4,
         MsgSheetQtyFormatInvalid + "['1.5' is not a valid integer value]"},
        {{"A", "", "10", "10", "1", "-2"}, 5, MsgSheetCostFormatInvalid + "[]"},
        {{"A", "", "10", "10", "1", "1", "x"},
         6,
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
    EXPECT_EQ(Fields(list[0]),
              " OFF_1 |MDF|100|50|100000|50000|1|0|0|1|0|" + std::to_string(srcOffcut) + "|note|-");
    EXPECT_EQ(rack().Cell(OffcutRackCol::Cost, 1), "0");
    EXPECT_EQ(rack().Cell(OffcutRackCol::Priority, 1), "0");

    const struct {
        std::vector<std::string> Row;
        int Col;
        std::string Message;
    } bad[] = {
        {{"3", "X", "", "abc", "5"},
         3,
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
    EXPECT_EQ(Fields(list[0]), "P1|MDF|1 1/2|200|1500|200000|5|1|0|0|" + std::to_string(skCircle) +
                                   "|" + std::to_string(srcPart) +
                                   "|cm|E1");  // Max Qty copied from Qty
    EXPECT_EQ(qtys[0].Quantity, 5);
    EXPECT_EQ(qtys[0].Label, "P1");
    EXPECT_EQ(parts().Row(1), (std::vector<std::string>{" P1 ", " MDF ", "1 1/2", "200", "N", "5",
                                                        "5", "C", " E1 ", "cm"}));
    // Only "n"/"N" fix a part; Qty copied from Max Qty.
    EXPECT_EQ(Fields(list[1]), "P2||10|10|10000|10000|4|1|0|1|" + std::to_string(skRectangle) +
                                   "|" + std::to_string(srcPart) + "||-");
    EXPECT_EQ(qtys[1].Quantity, 4);
    EXPECT_EQ(parts().Cell(PartCol::Rotate, 2), "R");
    EXPECT_EQ(parts().Cell(PartCol::Shape, 2), "R");

    // An edge type that no longer exists is refused, not cut without allowances.
    parts().SetCell(PartCol::EdgeType, 2, "gone");
    EXPECT_FALSE(ReadPartsGrid(d, list, qtys, err));
    // The message names the edge-type column by its title and the label.
    const std::string title = parts().Cell(PartCol::EdgeType, 0);
    ASSERT_FALSE(title.empty());
    ExpectCell("TabSheetParts", "StringGridParts", PartCol::EdgeType, 2,
               "[gone]" + UnknownEdgeTypeMessage(title, "gone"));
    EXPECT_NE(err.Message.find("\"" + title + "\""), std::string::npos);
    EXPECT_NE(err.Message.find("\"gone\""), std::string::npos);
}

TEST_F(Readers, PartsGridMessages) {
    const struct {
        std::vector<std::string> Row;
        int Col;
        std::string Message;
    } cases[] = {
        {{"", "", "10", "10", "", "1"}, 0, "[]" + MsgPartLabelCantBeEmpty},
        {{"P", "", "abc", "10", "", "1"},
         2,
         "['abc' is not a valid floating point value]" + MsgPartLengthFormatInvalid},
        {{"P", "", "10", "0", "", "1"}, 3, "[]" + MsgPartWidthFormatInvalid},
        {{"P", "", "10", "10", "", "-1"}, 6, "[]" + MsgPartQtyFormatInvalid},
        {{"P", "", "10", "10", "", "5", "3"}, 6, "[]" + MsgPartQtyFormatInvalid},
        {{"P", "", "10", "10", "", "x", "3"},
         5,
         "['x' is not a valid integer value]" + MsgPartQtyFormatInvalid},
        // Blank quantities: Max Qty copies the blanks, which are no number.
        {{"P", "", "10", "10", "", " "},
         PartCol::MaxQty,
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
    const std::string shaped = std::to_string(skShaped) + "|" + std::to_string(srcPart);
    EXPECT_EQ(Fields(profiles[0]), "A|Oak|||0|0|3|1|0|1|" + shaped + "|first|-");
    EXPECT_EQ(Fields(qtys[0]), Fields(profiles[0]));
    EXPECT_EQ(Fields(profiles[1]), "B||||0|0|7|1|0|0|" + shaped + "||-");
    EXPECT_EQ(Fields(qtys[1]), Fields(profiles[1]));
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
