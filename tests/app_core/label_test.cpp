#include <gtest/gtest.h>

#include "app/core/captions.h"
#include "app/core/label_data.h"
#include "app/core/label_list.h"
#include "app/core/label_schemes.h"
#include "app/core/option_file.h"
#include "app/core/rack_pages.h"
#include "engine/pubfunc.h"
#include "engine/pubstr.h"
#include "engine/shared_state.h"
#include "platform/inifile.h"
#include "support/scratch.h"

namespace {

TStringGrid Labels(const std::vector<std::vector<std::string>>& Rows) {
    TStringGrid g(2, static_cast<int>(Rows.size()) + 1);
    g.SetRow(0, {"A", "B"});
    for (std::size_t i = 0; i < Rows.size(); ++i) g.SetRow(static_cast<int>(i) + 1, Rows[i]);
    return g;
}

std::vector<std::string> Column(const TStringGrid& G, int Col) {
    std::vector<std::string> c;
    for (int r = 1; r < G.RowCount(); ++r) c.push_back(G.Cell(Col, r));
    return c;
}

}  // namespace

TEST(LabelSchemes, RoundTripKeepsOtherSections) {
    testsupport::ScratchDir dir;
    const std::string file = dir.Path() + "/default.opt";
    TOptionPage page;
    page.EditBladeWidth = "0.125";
    TWindowOptions window;
    WriteOptionFileTo(file, page, window);

    // Every key's format is pinned by the golden scheme file; here the scheme
    // and the options must both survive the other's writer.
    TLabelDialogState s;
    s.Page.EditLabelColNumber = "4";
    s.SetCellSize(2, 3);
    s.Format.Cells[1][2] = "Comment";
    ASSERT_TRUE(SaveLabelScheme(file, 3, s));
    EXPECT_FALSE(SaveLabelScheme(file, 10, s));
    WriteOptionFileTo(file, page, window);  // the options rewritten after

    TLabelDialogState back;
    ASSERT_TRUE(LoadLabelScheme(file, 3, back));
    EXPECT_EQ(back.Page.EditLabelColNumber, "4");
    EXPECT_EQ(back.Format.Cells, s.Format.Cells);
    EXPECT_EQ(platform::TIniFile(file).ReadString("OPTION", "BLADE_WIDTH", ""), "0.125");

    // A scheme never saved: one label a page, one empty cell, portrait.
    TLabelDialogState fresh;
    ASSERT_TRUE(LoadLabelScheme(file, 5, fresh));
    EXPECT_EQ(fresh.Page.EditLabelColNumber, "1");
    EXPECT_EQ(fresh.Page.EditLabelRowNumber, "1");
    EXPECT_EQ(fresh.Format.Cells, (std::vector<std::vector<std::string>>{{""}}));
    EXPECT_EQ(fresh.Format.ColWidths, std::vector<int>{20});
    EXPECT_TRUE(fresh.PortraitPrinter);
}

TEST(LabelSchemes, SettingReadHeldToTheNineSchemes) {
    testsupport::ScratchDir dir;
    const std::string file = dir.Path() + "/x.opt";
    TOptionPage page;
    TWindowOptions window;
    for (auto [stored, read] : {std::pair{-4, 0}, {0, 0}, {8, 8}, {42, 8}}) {
        LayoutsLabelPrintIndex = stored;
        WriteOptionFileTo(file, page, window);
        ReadOptionFile(file, page, window);
        EXPECT_EQ(LayoutsLabelPrintIndex, read) << stored;
    }
}

TEST(LabelList, SortTogglesOnTheSameColumn) {
    TStringGrid g = Labels({{"b", "2"}, {"a", "1"}, {"c", "1"}});
    TLabelSortState st;
    SortLabelRows(g, 0, st);  // the first click on column 0 sorts descending
    EXPECT_EQ(Column(g, 0), (std::vector<std::string>{"c", "b", "a"}));
    SortLabelRows(g, 0, st);
    EXPECT_EQ(Column(g, 0), (std::vector<std::string>{"a", "b", "c"}));
    SortLabelRows(g, 1, st);  // another column keeps the direction; ties keep order
    EXPECT_EQ(Column(g, 0), (std::vector<std::string>{"a", "c", "b"}));
}

TEST(LabelList, DistinctDropsOnlyDuplicates) {
    TStringGrid g = Labels({{"a", "1"}, {"", "x"}, {"b ", "2"}, {"a", "1 "}, {"b", "2"}});
    DistinctLabelRows(g);
    EXPECT_EQ(Column(g, 0), (std::vector<std::string>{"b ", "a", ""}));
    EXPECT_EQ(g.Cell(1, 3), "x");
}

class LabelData : public ::testing::Test {
  protected:
    void SetUp() override {
        BladeWidth = 0;
        MinScrapLength = MinScrapWidth = 10000;
        OffcutLenRotatable = true;
    }
    static T2DStock Piece(const std::string& Label, int L, int W, const std::string& LT,
                          const std::string& WT, int X = 0, int Y = 0) {
        T2DStock q;
        q.Position = {X * 1000, Y * 1000};
        q.Label = Label;
        q.Length = L * 1000;
        q.Width = W * 1000;
        q.LengthText = LT;
        q.WidthText = WT;
        q.Quantity = 1;
        q.Index = 0;
        q.Material = "MDF";
        q.Comment = "pc";
        return q;
    }
    TLabelStamp stamp_{"7.12.26", "03:00", "Job"};
};

TEST_F(LabelData, LayoutRowsPerCopyWithKeptOffcutsOnly) {
    TSchemes plan;
    TPacket p;
    p.Label = "S1";
    p.Length = 100000;
    p.Width = 50000;
    p.Quantity = 2;
    p.Comment = "sheet";
    p.Material = "Oak";
    p.ResetSpaces();
    // Typed 900 x 1000: numerically larger first, the typed texts shown.
    p.AddPlacementNoCount(Piece("P1", 90, 50, "900", "1000"));
    p.AddPlacementNoCount(Piece("P2", 10, 30, "", "", 90, 0));
    p.AddPlacementNoCount(Piece("OFFCUT_9", 5, 5, "", "", 90, 30));  // too small to keep
    p.AddPlacementNoCount(Piece("ZEROOFFCUT_1", 5, 5, "", "", 95, 30));
    // The free 10 x 15 left at (90, 35) becomes a kept offcut.
    plan.Packets.Add(std::move(p));
    const auto rows = LayoutLabelRows(plan, stamp_);

    // Two copies of P1, P2 and the kept offcut named from the free space.
    ASSERT_EQ(rows.size(), 6u);
    EXPECT_EQ(rows[0][0], "P1");
    EXPECT_EQ(rows[3][0], "P1");
    EXPECT_EQ(rows[0][2], "1000 X 900");
    EXPECT_EQ(rows[1][2], "30 X 10");
    EXPECT_EQ(rows[2][0].rfind(OffcutPrefix, 0), 0u);
    EXPECT_EQ(rows[2][3], "sheet");
    EXPECT_EQ(rows[2][1], "Oak");  // an offcut is of its sheet's material
    EXPECT_EQ(rows[0][4], "1");
    EXPECT_EQ(rows[0][7], "Job");
}

TEST_F(LabelData, ListRowsAndSizes) {
    TPanels list;
    T2DStock a = Piece("R1", 40, 30, "40", "30 1/2");
    a.Quantity = 3;
    list.AddCopy(a);
    BladeWidth = 2000;
    // Rack offcuts and sheets show the typed size, profiles the net size.
    EXPECT_EQ(ListLabelRows(list, TLabelKind::OffcutRack, stamp_).size(), 3u);
    EXPECT_EQ(ListLabelRows(list, TLabelKind::OffcutRack, stamp_)[0][2], "40 X 30 1/2");
    EXPECT_EQ(ListLabelRows(list, TLabelKind::Profiles, stamp_)[0][2], "38 X 28");

    TStringGrid rack(PartRackCol::Count, 4);
    rack.SetRow(1, {"1", "A", "MDF", "10", "20", "Rect", "c"});
    rack.SetRow(3, {"3", "B", "PLY", "5", "6", "Circ", ""});
    const auto rows = PartRackLabelRows(rack, stamp_);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1],
              (std::vector<std::string>{"B", "PLY", "5 X 6", "", "", "7.12.26", "03:00", "Job"}));
}

TEST_F(LabelData, FillWritesFieldNamesAndStopsOnBadGrid) {
    TMainData data;
    TCaptionStore captions;
    TStringGrid out;
    TErrorLocation error;
    data.StringGridSheets.SetRow(1, {"S", "MDF", "x", "10", "1", "", "", ""});
    EXPECT_FALSE(FillLabelData(TLabelKind::Sheets, data, captions, stamp_, out, error));
    EXPECT_FALSE(error.Message.empty());
    ASSERT_TRUE(FillLabelData(TLabelKind::PartRack, data, captions, stamp_, out, error));
    EXPECT_EQ(out.RowCount(), 1);
    EXPECT_EQ(out.Cell(1, 0), captions.Caption("GroupBoxMaterialType"));
    EXPECT_EQ(out.Cell(2, 0), "Length X Width");
}

TEST(RackPages, SlotCountBelowTwoIsRefused) {
    testsupport::CaptureSink sink;
    TMainData data;
    for (const char* text : {"1", "0", "-3", "x"}) {
        EXPECT_FALSE(ConfirmRackSlotQty(data, text, "Slot Qty")) << text;
        EXPECT_FALSE(data.SlotQtyConfirmed);
    }
    EXPECT_EQ(sink.Warnings.size(), 4u);
    EXPECT_EQ(sink.Warnings[0], "[]Invalid Slot Qty format.");
    EXPECT_TRUE(ConfirmRackSlotQty(data, "2", "Slot Qty"));
    EXPECT_EQ(data.SlotQty, 2);
}

TEST(RackPages, TotalsAndPrintedPages) {
    TMainData data;
    data.StringGridOffcutRack.SetRow(2, {"2", "A", "MDF", "10", "2 1/2", "3.5", "", ""});
    data.StringGridOffcutRack.SetRow(5, {"5", "B", "MDF", "x", "4", "1", "", ""});
    const TRackTotals t = OffcutRackTotals(data);
    EXPECT_EQ(t.Number, "2");
    EXPECT_EQ(t.Area, "25");
    EXPECT_EQ(t.Cost, "4.5");

    // Lines of height 30 at 30, 70, 110 ...: four lines fit a 190 page.
    const auto pages = RackPrintPages(std::vector<std::string>(9, "l"), 30, 190);
    ASSERT_EQ(pages.size(), 3u);
    EXPECT_EQ(pages[0].size(), 4u);
    EXPECT_EQ(pages[2].size(), 1u);
}

// New cell columns share the format grid's width; new cell rows keep the
// column widths the user set.
TEST(LabelSchemes, CellRowsKeepTheColumnWidthsCellColumnsShareTheGrid) {
    TLabelDialogState s;
    s.SetCellSize(3, 2);
    s.Format.ColWidths = {129, 137};
    s.ChangeCellRows(5);
    EXPECT_EQ(s.CellRows(), 5);
    EXPECT_EQ(s.Format.ColWidths, (std::vector<int>{129, 137}));
    s.ChangeCellRows(1);
    EXPECT_EQ(s.Format.ColWidths, (std::vector<int>{129, 137}));
    // (grid width - fixed column - 4) div columns - 1
    s.ChangeCellCols(3, 300, 11);
    EXPECT_EQ(s.CellRows(), 1);
    EXPECT_EQ(s.Format.ColWidths, (std::vector<int>{94, 94, 94}));
    s.ChangeCellCols(9, 300, 11);  // held to the scroll bar's range
    EXPECT_EQ(s.Format.ColWidths, std::vector<int>(kLabelCellColsMax, 70));
    s.ChangeCellCols(2, 10, 11);  // never below one pixel
    EXPECT_EQ(s.Format.ColWidths, (std::vector<int>{1, 1}));
}
