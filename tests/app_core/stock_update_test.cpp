#include "app/core/stock_update.h"

#include <gtest/gtest.h>

#include "app/core/list_files.h"
#include "app/core/option_reader.h"
#include "app/core/racks.h"
#include "engine/pubfunc.h"
#include "engine/pubstr.h"
#include "engine/shared_state.h"
#include "engine/textfmt.h"
#include "output/report_text.h"
#include "support/scratch.h"

using testsupport::CaptureSink;
using Row = std::vector<std::string>;

namespace {

// Sizes in the units the user types (times 1000 inside).
constexpr std::int32_t U(double V) { return static_cast<std::int32_t>(V * 1000); }

// Adds a part kind to the optimiser's part list (the parts of the run).
void AddRunPart(const std::string& Label, const std::string& Material) {
    T2DStock p;
    p.Label = Label;
    p.Material = Material;
    p.Index = Optimizer.Parts.Count();
    Optimizer.Parts.AddCopy(p);
}

// A layout of the plan: a sheet with its counts for every part of the run.
TPacket& AddLayout(const std::string& Label, const std::string& Material, double Length,
                   double Width, int Quantity, double Cost, std::uint8_t Source = srcSheet) {
    TPacket p = TPacket::CreateFromParts(Optimizer.Parts);
    p.Label = Label;
    p.Material = Material;
    p.Length = U(Length);
    p.Width = U(Width);
    p.LengthText = PubFunc.UnitsToStr(p.Length);
    p.WidthText = PubFunc.UnitsToStr(p.Width);
    p.Quantity = Quantity;
    p.Cost = U(Cost);
    p.Comment = "c";
    p.SourceKind = Source;
    p.ResetSpaces();
    return Optimizer.Best[Optimizer.Best.Packets.Add(std::move(p))];
}

// Places one piece of the run's part PartIndex at (X, Y); a Label of its own
// makes a piece that takes no part count (an offcut already named).
void Place(TPacket& P, int PartIndex, double X, double Y, double Length, double Width,
           const std::string& Label = "") {
    T2DStock q;
    q.Index = PartIndex;
    q.Label = Label.empty() ? Optimizer.Parts[PartIndex].Label : Label;
    q.Quantity = 1;
    q.Position = {U(X), U(Y)};
    q.Length = U(Length);
    q.Width = U(Width);
    q.LengthText = PubFunc.UnitsToStr(q.Length);
    q.WidthText = PubFunc.UnitsToStr(q.Width);
    q.Comment = "pc";
    if (Label.empty())
        P.AddPlacement(q);
    else
        P.AddPlacementNoCount(q);
}

// The placed piece labelled Label in layout P.
const T2DStock& Piece(const TPacket& P, const std::string& Label) {
    for (const T2DStock& q : P.Placements)
        if (q.Label == Label) return q;
    throw std::runtime_error("no piece " + Label);
}

// Every grid the updates write, to check that a refused update changed none.
std::vector<Row> Grids(const TMainData& D) {
    std::vector<Row> rows;
    for (const TStringGrid* g : {&D.StringGridSheets, &D.StringGridParts, &D.StringGridOffcutRack,
                                 &D.StringGridPartRack})
        for (int r = 0; r < g->RowCount(); ++r) rows.push_back(g->Row(r));
    return rows;
}

// The lists a run would have read from the grids as they stand (without the
// readers' checks): a plan is booked only against the rows it was made from.
void TakeRunLists(const TMainData& D) {
    const auto units = [](const std::string& Text) {
        std::int32_t v = 0;
        std::string e;
        TypedLengthToUnits(Text, v, e);
        return v;
    };
    const auto qty = [](const std::string& Text, const std::string& Other) {
        return StrToIntDef(Trim(Text).empty() ? Other : Text, 0);
    };
    SheetList.Clear();
    PartList.Clear();
    PartQtyList.Clear();
    ProfilePartList.Clear();
    ProfilePartQtyList.Clear();
    const TStringGrid& s = D.StringGridSheets;
    for (int r = 1; r < s.RowCount(); ++r) {
        T2DStock p;
        p.Label = Trim(s.Cell(SheetCol::Label, r));
        p.Material = Trim(s.Cell(SheetCol::Type, r));
        p.Length = units(s.Cell(SheetCol::Length, r));
        p.Width = units(s.Cell(SheetCol::Width, r));
        p.Quantity = qty(s.Cell(SheetCol::Qty, r), "");
        if (!p.Label.empty()) SheetList.AddCopy(p);
    }
    const TStringGrid& g = D.StringGridParts;
    for (int r = 1; r < g.RowCount(); ++r) {
        T2DStock p;
        p.Label = Trim(g.Cell(PartCol::Label, r));
        p.Material = Trim(g.Cell(PartCol::Type, r));
        p.Length = units(g.Cell(PartCol::Length, r));
        p.Width = units(g.Cell(PartCol::Width, r));
        p.CanRotate = NormalRotateCell(g.Cell(PartCol::Rotate, r)) == "R";
        p.ShapeKind = NormalShapeCell(g.Cell(PartCol::Shape, r)) == "C" ? skCircle : skRectangle;
        if (p.Label.empty()) continue;
        p.Quantity = qty(g.Cell(PartCol::MaxQty, r), g.Cell(PartCol::Qty, r));
        PartList.AddCopy(p);
        p.Quantity = qty(g.Cell(PartCol::Qty, r), g.Cell(PartCol::MaxQty, r));
        PartQtyList.AddCopy(p);
    }
    const TStringGrid& a = D.StringGridAnyShape;
    for (int r = 1; r < a.RowCount(); ++r) {
        T2DStock p;
        p.Label = Trim(a.Cell(AnyShapeCol::Label, r));
        p.Material = Trim(a.Cell(AnyShapeCol::Type, r));
        const std::string rot = Trim(a.Cell(AnyShapeCol::Rotate, r));
        p.CanRotate = rot.empty() || SameText(rot, "R");
        if (p.Label.empty()) continue;
        p.Quantity = qty(a.Cell(AnyShapeCol::MaxQty, r), a.Cell(AnyShapeCol::Qty, r));
        ProfilePartList.AddCopy(p);
        p.Quantity = qty(a.Cell(AnyShapeCol::Qty, r), a.Cell(AnyShapeCol::MaxQty, r));
        ProfilePartQtyList.AddCopy(p);
    }
}

class StockUpdate : public ::testing::Test {
  protected:
    StockUpdate() : Updater(Data, Page, Buttons) {
        Page.LabeledEditOffcutsPrefix = "OC";
        Data.StringGridSheets.SetRow(1, {"S1", "MDF", "1000", "500", "5", "20", "0", "stock"});
        Data.StringGridSheets.SetRow(2, {"S1", "Oak", "1000", "500", "7", "20", "0", ""});
        Data.StringGridParts.SetRow(1, {"P1", "MDF", "600", "500", "R", "3", "4", "R", "", ""});
        Data.StringGridParts.SetRow(2, {" P2 ", "MDF", "100", "100", "R", "1", "9", "R", "", ""});
        Data.StringGridOffcutRack.SetRow(1, {"1", "OLD", "MDF", "50", "50", "0", "0", ""});
    }

    // One MDF sheet S1 of 1000 x 500 cut three times: P1 (600 x 500) leaves
    // one 400 x 500 offcut.
    TPacket& SimplePlan() {
        AddRunPart("P1", "MDF");
        AddRunPart("P2", "MDF");
        TPacket& p = AddLayout("S1", "MDF", 1000, 500, 3, 20);
        Place(p, 0, 0, 0, 600, 500);
        return p;
    }

    // The updater, with the run's lists taken from the grids as they stand.
    TStockUpdater& Update() {
        TakeRunLists(Data);
        return Updater;
    }

    TMainData Data;
    TOptionPage Page;
    TStockUpdateButtons Buttons;
    TStockUpdater Updater;
    CaptureSink Sink;
};

TEST_F(StockUpdate, UpdateAllSubtractsAndFilesBothRacks) {
    BladeWidth = U(4);  // comes off the offcut's size
    TPacket& layout = SimplePlan();
    ASSERT_TRUE(Update().ButtonUpdateAllClick());
    EXPECT_TRUE(Sink.Warnings.empty());

    const TStringGrid& s = Data.StringGridSheets;
    EXPECT_EQ(s.Cell(SheetCol::Qty, 1), "2");
    EXPECT_EQ(s.Cell(SheetCol::Qty, 2), "7");  // other material
    const TStringGrid& p = Data.StringGridParts;
    EXPECT_EQ(p.Cell(PartCol::Qty, 1), "0");
    EXPECT_EQ(p.Cell(PartCol::MaxQty, 1), "1");
    EXPECT_EQ(p.Cell(PartCol::Qty, 2), "1");  // none of P2 cut

    // Each copy of the offcut gets a slot of its own, after the occupied one.
    const TStringGrid& o = Data.StringGridOffcutRack;
    EXPECT_EQ(o.Row(1), (Row{"1", "OLD", "MDF", "50", "50", "0", "0", ""}));
    for (int slot = 2; slot <= 4; ++slot)
        EXPECT_EQ(o.Row(slot), (Row{std::to_string(slot), "OC396X496_" + std::to_string(slot),
                                    "MDF", "396", "496", "8", "", "S1_c"}));
    EXPECT_TRUE(IsEmptyOffcutSlot(Data, 5));
    EXPECT_EQ(Piece(layout, "OFFCUT_1").ExtraText, "(2-4)");

    const TStringGrid& r = Data.StringGridPartRack;
    for (int slot = 1; slot <= 3; ++slot)
        EXPECT_EQ(r.Row(slot), (Row{std::to_string(slot), "P1", "MDF", "600", "500", "Rect",
                                    "S1_P1_" + std::to_string(slot) + " pc"}));
    EXPECT_TRUE(IsEmptyPartSlot(Data, 4));
    EXPECT_EQ(Piece(layout, "P1").ExtraText, "(1-3)");

    const TStockUpdateOutcome& out = Updater.Outcome();
    EXPECT_TRUE(out.SheetsChanged && out.PartsChanged && out.OffcutRackChanged &&
                out.PartRackChanged);
    EXPECT_EQ(out.PageToFront, "TabSheetPartHarp");
    EXPECT_FALSE(Buttons.ButtonUpdateAll || Buttons.ButtonAddPartToRack || Buttons.ButtonManual);

    // The same plan is never taken out twice.
    const auto before = Grids(Data);
    EXPECT_FALSE(Update().ButtonUpdateAllClick());
    EXPECT_FALSE(Update().ButtonUpdateSheetsClick());
    EXPECT_FALSE(Update().ButtonAddPartToRackClick());
    EXPECT_EQ(Grids(Data), before);
}

// Sheets subtracted or offcuts filed by their own command are not taken
// again by Update All.
TEST_F(StockUpdate, EachStepIsTakenOnceWhicheverCommandTakesIt) {
    SimplePlan();
    ASSERT_TRUE(Update().ButtonUpdateSheetsClick());
    EXPECT_FALSE(Buttons.ButtonUpdateSheets);
    ASSERT_TRUE(Update().ButtonAddOffcutToRackClick());
    EXPECT_EQ(Updater.Outcome().PageToFront, "TabSheetOffcuts");
    EXPECT_FALSE(Update().ButtonAddOffcutsToSheetsClick());
    EXPECT_TRUE(Buttons.ButtonUpdateAll);
    ASSERT_TRUE(Update().ButtonUpdateAllClick());
    EXPECT_EQ(Data.StringGridSheets.Cell(SheetCol::Qty, 1), "2");
    EXPECT_EQ(Data.StringGridParts.Cell(PartCol::Qty, 1), "0");
    EXPECT_TRUE(IsEmptyOffcutSlot(Data, 5));  // still three copies in slots 2..4
    EXPECT_EQ(Data.StringGridPartRack.Cell(PartRackCol::Label, 3), "P1");
}

TEST_F(StockUpdate, SheetsGridReceivesOffcutsWhenTheRacksAreOff) {
    DisableOffcutsRack = DisablePartsRack = true;
    AddRunPart("P1", "MDF");
    // Two equal offcuts left and right of a 200 wide part, layout cut twice.
    TPacket& p = AddLayout("S1", "MDF", 1000, 500, 2, 20);
    Place(p, 0, 400, 0, 200, 500);
    // A second layout whose offcut already has a row of its own.
    TPacket& q = AddLayout("S1", "Oak", 1000, 500, 1, 10);
    Place(q, 0, 0, 0, 700, 500);
    // The part cut from Oak has its row (a plan is booked only against its lists).
    Data.StringGridParts.SetRow(3, {"P1", "Oak", "700", "500", "R", "1", "1", "R", "", ""});
    Data.StringGridSheets.SetRow(3, {"OC300_500", "Oak", "300", "500", "1", "3", "0", "x"});
    Data.StringGridOffcutRack.SetRow(2, {"2", "S1", "MDF", "1000", "500", "", "", ""});
    const Row rack = Data.StringGridOffcutRack.Row(2);

    ASSERT_TRUE(Update().ButtonUpdateAllClick());
    const TStringGrid& s = Data.StringGridSheets;
    EXPECT_EQ(s.Row(4), (Row{"OC400_500", "MDF", "400", "500", "4", "8", "0", "S1 "}));
    EXPECT_EQ(s.Row(3), (Row{"OC300_500", "Oak", "300", "500", "2", "3", "0", "x"}));
    EXPECT_TRUE(s.RowEmpty(5, 0));
    EXPECT_EQ(s.Cell(SheetCol::Qty, 1), "3");
    EXPECT_EQ(s.Cell(SheetCol::Qty, 2), "6");
    // The rack is neither filled nor emptied.
    EXPECT_EQ(Data.StringGridOffcutRack.Row(2), rack);
    EXPECT_TRUE(IsEmptyOffcutSlot(Data, 3));
    EXPECT_FALSE(Updater.Outcome().OffcutRackChanged);
    EXPECT_TRUE(IsEmptyPartSlot(Data, 1));
    EXPECT_FALSE(Updater.Outcome().PartRackChanged);
}

TEST_F(StockUpdate, RackOffcutsUsedAsSheetsLeaveByTheirSlot) {
    AddRunPart("P1", "MDF");
    Data.StringGridOffcutRack.SetRow(2, {"2", "R1", "MDF", "700", "500", "3", "0", ""});
    Data.StringGridOffcutRack.SetRow(3, {"3", "R1", "MDF", "800", "500", "3", "0", ""});
    Data.StringGridOffcutRack.SetRow(4, {"4", "R1", "Oak", "800", "500", "3", "0", ""});
    Data.StringGridSheets.SetRow(3, {"R1", "MDF", "800", "500", "4", "1", "0", ""});
    // The 800 x 500 MDF offcut R1 served as a sheet.
    TPacket& p = AddLayout("R1", "MDF", 800, 500, 1, 3, srcOffcut);
    Place(p, 0, 0, 0, 600, 500);

    ASSERT_TRUE(Update().ButtonUpdateAllClick());
    const TStringGrid& o = Data.StringGridOffcutRack;
    EXPECT_EQ(o.Cell(OffcutRackCol::Label, 2), "R1");  // same label, other size
    EXPECT_TRUE(IsEmptyOffcutSlot(Data, 3));           // the one used
    EXPECT_EQ(o.Cell(0, 3), "3");
    EXPECT_EQ(o.Cell(OffcutRackCol::Label, 4), "R1");  // other material
    // The new offcut went into the first slot empty before the update.
    EXPECT_EQ(o.Cell(OffcutRackCol::Label, 5), "OC200X500_5");
    EXPECT_EQ(o.Cell(OffcutRackCol::Cost, 5), "0.75");
    // A sheets row of the same name is no rack offcut.
    EXPECT_EQ(Data.StringGridSheets.Cell(SheetCol::Qty, 3), "4");
}

TEST_F(StockUpdate, FullRackIsReportedAndNotedOnThePiece) {
    AddRunPart("P1", "MDF");
    TPacket& p = AddLayout("S1", "MDF", 1000, 500, 4, 20);
    Place(p, 0, 0, 0, 600, 500);
    TStringGrid& o = Data.StringGridOffcutRack;
    o.SetRowCount(7);
    NumberRackSlots(o);
    for (int slot : {4, 5}) o.SetCell(OffcutRackCol::Label, slot, "busy");
    Data.StringGridPartRack.SetRowCount(3);  // two part slots for four copies

    ASSERT_TRUE(Update().ButtonUpdateAllClick());
    EXPECT_EQ(Piece(p, "OFFCUT_1").ExtraText, "(2-3,6-1X1)");
    EXPECT_EQ(Piece(p, "P1").ExtraText, "(1-2,-1X2)");
    EXPECT_EQ(Updater.Outcome().OffcutsNotStored, 1);
    EXPECT_EQ(Updater.Outcome().PartsNotStored, 2);
    ASSERT_EQ(Sink.Warnings.size(), 2u);
    EXPECT_NE(Sink.Warnings[0].find("offcut rack is full"), std::string::npos);
    EXPECT_NE(Sink.Warnings[1].find("part rack is full"), std::string::npos);
}

TEST_F(StockUpdate, WhichOffcutsAreKept) {
    AddRunPart("P1", "MDF");
    TPacket& p = AddLayout("S1", "MDF", 1500, 800, 1, 15);
    Place(p, 0, 0, 0, 500, 800);
    Place(p, 0, 500, 0, 300, 800, "OFFCUT_1");        // 300 x 800: kept only turned
    Place(p, 0, 800, 0, 700, 300, "OFFCUT_2");        // 700 x 300: too short
    Place(p, 0, 800, 300, 700, 500, "ZEROOFFCUT_1");  // never filed
    Page.EditMinOffcutLength1 = "800";
    Page.EditMinOffcutLength2 = "300";
    const struct {
        bool Rotatable;
        const char* MinLength;
        Row Filed;
    } cases[] = {
        {false, "800", {}},
        {true, "800", {"OC300X800_2"}},
        {true, "700", {"OC300X800_2", "OC700X300_3"}},  // exactly the least size is kept
    };
    for (const auto& c : cases) {
        OffcutLenRotatable = c.Rotatable;
        Page.EditMinOffcutLength1 = c.MinLength;
        TStockUpdateButtons b;
        TMainData d = Data;
        ASSERT_TRUE(TStockUpdater(d, Page, b).ButtonAddOffcutToRackClick());
        Row filed;
        for (int slot = 2; !IsEmptyOffcutSlot(d, slot); ++slot)
            filed.push_back(d.StringGridOffcutRack.Cell(OffcutRackCol::Label, slot));
        EXPECT_EQ(filed, c.Filed) << c.Rotatable << " " << c.MinLength;
    }
    EXPECT_EQ(MinScrapWidth, 300000);
}

// The least offcut sizes are read by the update as the run reads them: a
// fraction or mixed fraction typed there is the same length for both, and a
// text the run refuses is refused by the update too.
TEST_F(StockUpdate, LeastOffcutSizesAreReadAsTheRunReadsThem) {
    SimplePlan();
    const struct {
        const char* Text;
        std::int32_t Units;  // -1: refused
    } cases[] = {{"3/4", 750}, {"1 1/2", 1500}, {" 12.5 ", 12500}, {"1/2 3", -1}, {"1 1/0", -1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Text);
        for (const bool width : {false, true}) {
            std::string& edit = width ? Page.EditMinOffcutLength2 : Page.EditMinOffcutLength1;
            const std::int32_t& value = width ? MinScrapWidth : MinScrapLength;
            Page.EditMinOffcutLength1 = Page.EditMinOffcutLength2 = "0";
            edit = c.Text;
            TLayoutColors colors;
            TErrorLocation runError;
            MinScrapLength = MinScrapWidth = -7;
            EXPECT_EQ(ReadOption(Page, colors, runError), c.Units >= 0) << runError.Message;
            if (c.Units >= 0) {
                EXPECT_EQ(value, c.Units);
            }

            MinScrapLength = MinScrapWidth = -7;
            TMainData d = Data;
            TStockUpdateButtons b;
            TStockUpdater u(d, Page, b);
            CaptureSink sink;
            EXPECT_EQ(u.ButtonAddOffcutToRackClick(), c.Units >= 0);
            EXPECT_EQ(value, c.Units >= 0 ? c.Units : -7);
            EXPECT_EQ(sink.Warnings.size(), c.Units >= 0 ? 0u : 1u);
            if (c.Units < 0) {
                EXPECT_EQ(u.Outcome().Error.Control,
                          width ? "EditMinOffcutLength2" : "EditMinOffcutLength1");
            }
        }
    }
}

// The report's usable offcut area and its utilisation with offcuts count
// exactly the offcuts the update files, at the size it files them with: the
// net size, less the blade width, at the least offcut size and just below it.
TEST_F(StockUpdate, ReportCountsTheOffcutsTheUpdateFiles) {
    const std::int32_t blade = BladeWidth;
    BladeWidth = U(4);
    AddRunPart("P1", "MDF");
    TPacket& p = AddLayout("S1", "MDF", 1500, 800, 2, 15);
    Place(p, 0, 0, 0, 500, 800);
    Place(p, 0, 500, 0, 154, 104, "OFFCUT_1");  // net 150 x 100: kept
    Place(p, 0, 500, 104, 154, 100, "OFFCUT_2");  // net 150 x 96: too narrow
    Place(p, 0, 654, 0, 104, 154, "OFFCUT_3");  // net 100 x 150: kept only turned
    Place(p, 0, 500, 204, 154, 596);  // parts fill the rest: no free space to name
    Place(p, 0, 654, 154, 104, 646);
    Place(p, 0, 758, 0, 742, 800);
    Page.EditMinOffcutLength1 = "150";
    Page.EditMinOffcutLength2 = "100";
    for (const bool rotatable : {false, true}) {
        OffcutLenRotatable = rotatable;
        TStockUpdateButtons b;
        TMainData d = Data;
        ASSERT_TRUE(TStockUpdater(d, Page, b).ButtonAddOffcutToRackClick());
        double filed = 0;
        for (int slot = 2; !IsEmptyOffcutSlot(d, slot); ++slot)
            filed += StrToFloat(d.StringGridOffcutRack.Cell(OffcutRackCol::Length, slot)) *
                     StrToFloat(d.StringGridOffcutRack.Cell(OffcutRackCol::Width, slot)) * 1e6;
        // Each copy of the layout files its offcuts.
        EXPECT_EQ(filed, 2 * (rotatable ? 2 : 1) * 150.0 * 100 * 1e6) << rotatable;
        const TSchemes& plan = Optimizer.Best;
        EXPECT_EQ(plan.KeptOffcutArea(MinScrapLength, MinScrapWidth, rotatable), filed) << rotatable;
        EXPECT_NEAR(plan.UtilizationInclKeptOffcuts(MinScrapLength, MinScrapWidth, rotatable) -
                        plan.Utilization(),
                    100 * filed / (1500.0 * 800 * 1e6 * 2), 1e-9)
            << rotatable;
        BuildSummaryReport();
        bool shown = false;
        for (const std::string& line : SummaryReportLines)
            if (line.rfind(TotalUsableOffcutsAreaCaption, 0) == 0)
                shown = line.find(": " + PubFunc.AreaToStr(filed)) != std::string::npos;
        EXPECT_TRUE(shown) << rotatable;
    }
    BladeWidth = blade;
}

TEST_F(StockUpdate, PartQuantitiesStopAtZeroMaximaMayGoBelow) {
    AddRunPart("P1", "MDF");
    AddRunPart("Star", "MDF");
    TPacket& p = AddLayout("S1", "MDF", 1000, 500, 2, 20);
    Place(p, 0, 0, 0, 300, 500);
    Place(p, 0, 300, 0, 300, 500);
    Place(p, 1, 600, 0, 300, 300);
    Data.StringGridAnyShape.SetRow(1, {"Star", "MDF", "R", "5", "1", ""});
    Data.StringGridAnyShape.SetRow(2, {"Star", "Oak", "R", "5", "5", ""});

    ASSERT_TRUE(Update().ButtonUpdatePartsClick());
    EXPECT_EQ(Data.StringGridParts.Cell(PartCol::Qty, 1), "0");
    EXPECT_EQ(Data.StringGridParts.Cell(PartCol::MaxQty, 1), "0");
    EXPECT_EQ(Data.StringGridAnyShape.Cell(AnyShapeCol::Qty, 1), "3");
    EXPECT_EQ(Data.StringGridAnyShape.Cell(AnyShapeCol::MaxQty, 1), "-1");
    EXPECT_EQ(Data.StringGridAnyShape.Cell(AnyShapeCol::Qty, 2), "5");
    EXPECT_EQ(Data.StringGridSheets.Cell(SheetCol::Qty, 1), "5");  // sheets untouched
    EXPECT_FALSE(Buttons.ButtonUpdateParts);
    EXPECT_TRUE(Buttons.ButtonManual);
}

// A bad cell or setting stops the whole update before any grid changes.
TEST_F(StockUpdate, BadInputChangesNothing) {
    SimplePlan();
    const struct {
        int Col;  // of the parts grid; -1: the sheets' quantity
        const char* Text;
        const char *MinLength, *MinWidth;
        std::string Warning, Control;
    } cases[] = {
        {PartCol::MaxQty, "4x", "0", "0", "['4x' is not a valid integer value]" + MsgPartQtyFormatInvalid,
         "StringGridParts"},
        {-1, "-2147483647", "0", "0", "[Range check error]" + MsgSheetQtyFormatInvalid,
         "StringGridSheets"},
        {PartCol::MaxQty, "4", "0", "wide", "['wide' is not a valid floating point value]" +
                                                 MsgMinScrapWidthFormatInvalid,
         "EditMinOffcutLength2"},
        {PartCol::MaxQty, "4", "-1", "0", "[]" + MsgMinScrapLengthFormatInvalid,
         "EditMinOffcutLength1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Text);
        TMainData d = Data;
        if (c.Col < 0)
            d.StringGridSheets.SetCell(SheetCol::Qty, 1, c.Text);
        else
            d.StringGridParts.SetCell(c.Col, 1, c.Text);
        Page.EditMinOffcutLength1 = c.MinLength;
        Page.EditMinOffcutLength2 = c.MinWidth;
        TStockUpdateButtons b;
        TStockUpdater u(d, Page, b);
        CaptureSink sink;
        const auto before = Grids(d);
        EXPECT_FALSE(u.ButtonUpdateAllClick());
        EXPECT_EQ(sink.Warnings, Row{c.Warning});
        EXPECT_EQ(u.Outcome().Error.Control, c.Control);
        EXPECT_EQ(Grids(d), before);
        EXPECT_TRUE(b.ButtonUpdateAll && b.ButtonUpdateSheets);
        EXPECT_TRUE(Piece(Optimizer.Best[0], "P1").ExtraText.empty());
    }
    // Empty plan: each command warns.
    Optimizer.Best.Clear();
    CaptureSink sink;
    EXPECT_FALSE(Update().ButtonUpdateAllClick());
    EXPECT_FALSE(Update().ButtonAddPartToRackClick());
    EXPECT_EQ(sink.Warnings, Row(2, MsgLayoutIsEmpty));
}

TEST_F(StockUpdate, PlanIsBookedOnlyAgainstRowsOfItsLabelAndMaterial) {
    // The sheet's or part's row now names another material while a row of
    // the same label remains (S1 in Oak; P1 in Oak added): the plan was made
    // from other lists, and the update is refused.
    SimplePlan();
    TakeRunLists(Data);  // the lists as the run read them
    const struct {
        const char* Name;
        TStringGrid TMainData::*Grid;
        int Row, TypeCol;
        std::string Message;
    } cases[] = {
        {"sheet", &TMainData::StringGridSheets, 1, SheetCol::Type, "the sheet [S1] [MDF]"},
        {"part", &TMainData::StringGridParts, 1, PartCol::Type, "the part [P1] [MDF]"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TMainData d = Data;
        // Rows of the same label in Oak read as the MDF rows did.
        d.StringGridParts.SetRow(3, {"P1", "Oak", "600", "500", "R", "3", "4", "R", "", ""});
        d.StringGridSheets.SetCell(SheetCol::Qty, 2, "5");
        (d.*c.Grid).SetCell(c.TypeCol, c.Row, "Pine");
        TStockUpdateButtons b;
        TStockUpdater u(d, Page, b);
        CaptureSink sink;
        const auto before = Grids(d);
        EXPECT_FALSE(u.ButtonUpdateAllClick());
        ASSERT_EQ(sink.Warnings.size(), 1u);
        EXPECT_NE(sink.Warnings[0].find(c.Message), std::string::npos) << sink.Warnings[0];
        EXPECT_EQ(Grids(d), before);
    }
}

// A free-shape row the plan was cut from is booked only as the run read it,
// like a sheets or parts row: one changed since the run refuses the update,
// which shows the row's page and the cell that changed.
TEST_F(StockUpdate, AFreeShapeRowChangedSinceTheRunIsRefusedAtItsCell) {
    AddRunPart("P1", "MDF");
    AddRunPart("Star", "MDF");
    TPacket& p = AddLayout("S1", "MDF", 1000, 500, 1, 20);
    Place(p, 0, 0, 0, 600, 500);
    Place(p, 1, 600, 0, 300, 300);
    Data.StringGridAnyShape.SetRow(1, {"Star", "Oak", "R", "2", "2", ""});
    Data.StringGridAnyShape.SetRow(2, {"Star", "MDF", "R", "2", "3", ""});
    TakeRunLists(Data);
    const struct {
        int Col;
        const char* Text;
        int ShownCol;  // -1: the grid as a whole, no row left to show
        const char* Message;
    } cases[] = {
        {AnyShapeCol::Qty, "1", AnyShapeCol::Qty, "has been changed since the run"},
        {AnyShapeCol::MaxQty, "5", AnyShapeCol::MaxQty, "has been changed since the run"},
        {AnyShapeCol::Rotate, "N", AnyShapeCol::Rotate, "has been changed since the run"},
        {AnyShapeCol::Type, "Pine", -1, "is no longer in the grid"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Text);
        TMainData d = Data;
        d.StringGridAnyShape.SetCell(c.Col, 2, c.Text);
        const Row shapes = d.StringGridAnyShape.Row(2);
        TStockUpdateButtons b;
        TStockUpdater u(d, Page, b);
        CaptureSink sink;
        const auto before = Grids(d);
        EXPECT_FALSE(u.ButtonUpdateAllClick());
        ASSERT_EQ(sink.Warnings.size(), 1u);
        EXPECT_NE(sink.Warnings[0].find("the part [Star] [MDF] " + std::string(c.Message)),
                  std::string::npos)
            << sink.Warnings[0];
        const TErrorLocation& e = u.Outcome().Error;
        EXPECT_EQ(e.Page, "TabSheetAnyShape");
        EXPECT_EQ(e.Control, "StringGridAnyShape");
        EXPECT_EQ(e.Col, c.ShownCol);
        EXPECT_EQ(e.Row, c.ShownCol < 0 ? -1 : 2);
        EXPECT_EQ(Grids(d), before);
        EXPECT_EQ(d.StringGridAnyShape.Row(2), shapes);
        EXPECT_TRUE(b.ButtonUpdateAll && b.ButtonUpdateParts);
    }
    // As the run read it, the row is booked.
    ASSERT_TRUE(Updater.ButtonUpdatePartsClick());
    EXPECT_EQ(Data.StringGridAnyShape.Row(2), (Row{"Star", "MDF", "R", "1", "2", ""}));
}

// Of several rows of one label and material, the one that no longer reads as
// the run read it is shown, at the cell that changed.
TEST_F(StockUpdate, ARefusalShowsTheChangedOneOfRowsOfTheSameLabel) {
    SimplePlan();
    Data.StringGridSheets.SetRow(3, {"S1", "MDF", "1000", "500", "2", "20", "0", ""});
    Data.StringGridParts.SetRow(3, {"P1", "MDF", "600", "500", "R", "1", "1", "R", "", ""});
    TakeRunLists(Data);
    using G = TStringGrid TMainData::*;
    const struct {
        G Grid;
        int Row, Col;
        const char* Text;
        const char *Page, *Control;
    } cases[] = {
        {&TMainData::StringGridSheets, 3, SheetCol::Qty, "3", "TabSheetSheets", "StringGridSheets"},
        {&TMainData::StringGridSheets, 1, SheetCol::Width, "400", "TabSheetSheets",
         "StringGridSheets"},
        {&TMainData::StringGridParts, 3, PartCol::Qty, "0", "TabSheetParts", "StringGridParts"},
        {&TMainData::StringGridParts, 3, PartCol::Shape, "C", "TabSheetParts", "StringGridParts"},
        {&TMainData::StringGridParts, 1, PartCol::Length, "601", "TabSheetParts",
         "StringGridParts"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.Control) + " " + c.Text);
        TMainData d = Data;
        (d.*c.Grid).SetCell(c.Col, c.Row, c.Text);
        TStockUpdateButtons b;
        TStockUpdater u(d, Page, b);
        CaptureSink sink;
        EXPECT_FALSE(u.ButtonUpdateAllClick());
        const TErrorLocation& e = u.Outcome().Error;
        EXPECT_EQ(e.Page, c.Page);
        EXPECT_EQ(e.Control, c.Control);
        EXPECT_EQ(e.Col, c.Col);
        EXPECT_EQ(e.Row, c.Row);
        ASSERT_EQ(sink.Warnings.size(), 1u);
        EXPECT_NE(sink.Warnings[0].find("changed since the run"), std::string::npos);
    }
}

TEST_F(StockUpdate, SameLabelInTwoMaterialsTakesEachPieceOnce) {
    AddRunPart("P1", "MDF");
    AddRunPart("P1", "Oak");
    AddRunPart("OFFCUT_9", "Oak");  // a part named like an offcut piece is never filed
    TPacket& a = AddLayout("S1", "MDF", 1000, 500, 1, 20);
    Place(a, 0, 0, 0, 600, 500);
    TPacket& b = AddLayout("S1", "Oak", 1000, 500, 2, 20);
    Place(b, 1, 0, 0, 1000, 250);
    TPacket& c = AddLayout("S2", "Oak", 300, 300, 1, 20);
    Place(c, 0, 0, 0, 300, 300, "OFFCUT_9");

    ASSERT_TRUE(Update().ButtonAddPartToRackClick());
    const TStringGrid& r = Data.StringGridPartRack;
    EXPECT_EQ(r.Cell(PartRackCol::Type, 1), "MDF");
    EXPECT_EQ(r.Cell(PartRackCol::Type, 2), "Oak");
    EXPECT_EQ(r.Cell(PartRackCol::Comment, 3), "S1_P1_3 pc");
    EXPECT_TRUE(IsEmptyPartSlot(Data, 4));
    EXPECT_EQ(Piece(b, "P1").ExtraText, "(2-3)");
}

}  // namespace
