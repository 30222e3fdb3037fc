#include "engine/shared_state.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/defaults.h"
#include "engine/guillotine.h"
#include "engine/pubstr.h"
#include "support/exact_guillotine.h"
#include "support/run_settings.h"

namespace {

TPacket Sheet(std::int32_t Length, std::int32_t Width) {
    TPanels parts;
    parts.AddCopy(T2DStock{});
    TPacket p = TPacket::CreateFromParts(parts);
    p.Length = Length;
    p.Width = Width;
    p.Label = "S";
    p.Quantity = 1;
    p.ResetSpaces();
    return p;
}

void Place(TPacket& Sheet, std::int32_t X, std::int32_t Y, std::int32_t Length,
           std::int32_t Width) {
    T2DStock piece;
    piece.Index = 0;
    piece.Label = "A";
    piece.Quantity = 1;
    piece.Position = {X, Y};
    piece.Length = Length;
    piece.Width = Width;
    Sheet.AddPlacement(piece);
}

struct Box {
    std::int32_t X, Y, Length, Width;
};

std::string Offcuts(const TPacket& P) {
    std::string text;
    for (const T2DStock& p : P.Placements) {
        if (p.Label == "A") continue;
        text += p.Label + "@" + std::to_string(p.Position.X) + "," + std::to_string(p.Position.Y) +
                "/" + std::to_string(p.Length) + "x" + std::to_string(p.Width) + " ";
    }
    return text;
}

}  // namespace

// The free rectangles of a layout become named offcuts, the largest first;
// strips no wider than the blade are numbered apart; offcuts are no part.
TEST(NameOffcuts, LargestFreeRectangleFirst) {
    const struct {
        std::int32_t Blade;
        std::vector<Box> Pieces;
        std::string Offcuts;
    } cases[] = {
        {0, {{0, 0, 300, 200}}, "OFFCUT_1@300,0/700x500 OFFCUT_2@0,200/300x300 "},
        {0, {{0, 0, 1000, 500}}, ""},
        {5, {{0, 0, 995, 300}}, "OFFCUT_1@0,300/1000x200 ZEROOFFCUT_1@995,0/5x300 "},
    };
    for (const auto& c : cases) {
        BladeWidth = c.Blade;
        TPacket p = Sheet(1000, 500);
        for (const Box& b : c.Pieces) Place(p, b.X, b.Y, b.Length, b.Width);
        NameOffcutsOfPacket(p);
        NameOffcutsOfPacket(p);  // naming again adds no offcut twice
        EXPECT_EQ(Offcuts(p), c.Offcuts);
        EXPECT_TRUE(p.Spaces.Empty());
        EXPECT_EQ(p.PartCounts.Qty(0), 1);
        EXPECT_EQ(p.TotalCount(), 1);
    }
}

TEST(NameOffcuts, GuillotineModeTakesOnlyCuttableRectanglesBySize) {
    GuillotineMode = true;
    // Two pieces in a pinwheel-like corner arrangement.
    TPacket p = Sheet(300, 300);
    Place(p, 0, 0, 200, 100);
    Place(p, 200, 0, 100, 200);
    NameOffcutsOfPacket(p);
    EXPECT_TRUE(GuillotineMode);  // restored
    EXPECT_TRUE(p.Spaces.Empty());
    GuillotineMode = false;
    std::int64_t free = 0;
    for (const T2DStock& piece : p.Placements)
        if (piece.Label != "A") free += std::int64_t{piece.Length} * piece.Width;
    EXPECT_EQ(free, 300 * 300 - 2 * 200 * 100);
}

// A layout made by hand whose parts stand in a pinwheel: no guillotine cut
// frees the hole in its middle nor, with the parts as they are, the strip
// beside it. In guillotine mode no free rectangle qualifies: the first ones
// are named as waste, however large, while the pass number stays below the
// number of free rectangles left (here one of two); without it both become
// offcuts.
TEST(NameOffcuts, GuillotineModeNamesWhatNoCutFreesAsWaste) {
    const struct {
        bool Guillotine;
        std::string Offcuts;
        int FreeLeft;
    } cases[] = {
        {false, "OFFCUT_1@300,0/100x300 OFFCUT_2@100,100/100x100 ", 0},
        {true, "ZEROOFFCUT_1@300,0/100x300 ", 1},
    };
    for (const auto& c : cases) {
        BladeWidth = 0;
        GuillotineMode = c.Guillotine;
        TPacket p = Sheet(400, 300);
        Place(p, 0, 0, 200, 100);
        Place(p, 200, 0, 100, 200);
        Place(p, 100, 200, 200, 100);
        Place(p, 0, 100, 100, 200);
        ASSERT_FALSE(Guillotine.Check(p));
        NameOffcutsOfPacket(p);
        EXPECT_EQ(GuillotineMode, c.Guillotine);
        EXPECT_EQ(Offcuts(p), c.Offcuts) << c.Guillotine;
        EXPECT_EQ(p.Spaces.Count(), c.FreeLeft) << c.Guillotine;
        EXPECT_EQ(p.TotalCount(), 4);
    }
    GuillotineMode = false;
}

// In guillotine mode every offcut named can be cut out together with the
// parts (checked by the exact test): a job of 27 part kinds on 2440 x 1220
// sheets less trims of 10, blade 2, Level 0, whose first layout once named
// a free rectangle that only a cut through a part could free.
TEST(NameOffcuts, GuillotineModeNamesOnlyOffcutsCutOutWithTheParts) {
    struct Kind {
        std::int32_t Length, Width, Qty, MaxQty;
        bool CanRotate;
    };
    const Kind parts[] = {
        {94, 205, 2, 2, true},  {336, 80, 3, 3, true},   {328, 287, 4, 4, true},
        {360, 184, 1, 3, true}, {328, 243, 1, 1, false}, {279, 63, 2, 3, false},
        {305, 155, 3, 3, true}, {200, 191, 8, 8, true},  {85, 140, 4, 4, false},
        {64, 172, 1, 1, false}, {305, 244, 6, 6, true},  {111, 68, 3, 5, true},
        {178, 298, 1, 2, true}, {342, 257, 1, 1, true},  {103, 73, 12, 12, true},
        {368, 206, 8, 9, true}, {140, 210, 2, 3, true},  {338, 68, 2, 2, true},
        {105, 227, 4, 6, true}, {232, 261, 4, 4, true},  {267, 67, 3, 4, true},
        {137, 76, 2, 3, true},  {61, 235, 3, 3, false},  {247, 270, 2, 2, false},
        {313, 38, 1, 2, true},  {60, 126, 4, 6, true},   {338, 32, 8, 9, false},
    };
    testsupport::ProgramRunSettings(0, true, 2000);
    TOptimize2d opt;
    std::string err;
    opt.AddPanel("S", "", "", "", 2420000, 1200000, 99, 1, 1, srcSheet, err);
    int k = 0;
    for (const Kind& p : parts)
        opt.AddPart("P" + std::to_string(k++), "", "", "", p.Length * 1000, p.Width * 1000,
                    p.CanRotate, p.MaxQty, p.Qty, skRectangle, nullptr, err);
    ASSERT_EQ(err, "");
    opt.Run(err);
    ASSERT_EQ(err, "");
    int offcuts = 0;
    for (TPacket& layout : opt.Best.Packets) {
        NameOffcutsOfPacket(layout);
        std::vector<TRect> kept;  // the parts and the offcuts, not the waste
        for (const T2DStock& piece : layout.Placements)
            if (piece.Label.rfind(ZeroOffcutPrefix, 0) != 0) kept.push_back(piece.BoundsRect());
        EXPECT_TRUE(CutsApart(kept, {0, 0, layout.Length, layout.Width}));
        for (const T2DStock& piece : layout.Placements)
            offcuts += piece.Label.rfind(OffcutPrefix, 0) == 0 ? 1 : 0;
    }
    EXPECT_GT(offcuts, 0);
    ResetProgramDefaults();
}

TEST(UsedQuantities, CountsPiecesAndSheetsOfThePlan) {
    std::string err;
    Optimizer.AddPanel("S", "", "", "", 1000, 500, 9, 0, 1, srcSheet, err);
    Optimizer.AddPanel("T", "", "", "", 1000, 500, 9, 0, 1, srcSheet, err);
    Optimizer.AddPart("A", "", "", "", 100, 100, true, 20, 20, 0, nullptr, err);
    Optimizer.AddPart("B", "", "", "", 100, 50, true, 20, 20, 0, nullptr, err);
    Optimizer.Panels[1].Material = "oak";

    TPacket first = TPacket::CreateFromParts(Optimizer.Parts);
    first.Label = "S";
    first.Quantity = 3;
    first.PartCounts.Qty(0) = 4;
    Optimizer.Best.Packets.Add(first);
    first.Quantity = 2;
    first.PartCounts.Qty(0) = 1;
    first.PartCounts.Qty(1) = 2;
    Optimizer.Best.Packets.Add(first);
    first.Label = "T";  // material differs from the sheet type T
    first.Quantity = 1;
    first.PartCounts.Qty(0) = 4;
    first.PartCounts.Qty(1) = 0;
    Optimizer.Best.Packets.Add(first);

    ComputeUsedQuantities();
    EXPECT_EQ(UsedPartsList[0].Quantity, 3 * 4 + 2 * 1 + 1 * 4);
    EXPECT_EQ(UsedPartsList[1].Quantity, 4);
    EXPECT_EQ(UsedSheetsList[0].Quantity, 5);
    EXPECT_EQ(UsedSheetsList[1].Quantity, 0);
    EXPECT_EQ(Optimizer.Parts[0].Quantity, 20);  // the optimiser's lists are untouched
}

// Many part kinds (the layouts' counts held compact) and a merged run of two
// materials: every part of a label gets the pieces of all parts of that
// label, whichever list and place they have.
TEST(UsedQuantities, EveryPartOfALabelGetsThePiecesOfThatLabel) {
    TPanels first, second;
    for (int i = 0; i < 200; ++i) {
        T2DStock p;
        p.Label = "P" + std::to_string(i == 150 ? 7 : i);
        p.Quantity = 30;
        first.AddCopy(p);
    }
    for (const char* label : {"P7", "Q"}) {
        T2DStock p;
        p.Label = label;
        p.Material = "oak";
        p.Quantity = 30;
        second.AddCopy(p);
    }
    auto layout = [](const TPanels& Parts, std::int32_t Quantity,
                     std::vector<std::pair<int, std::int32_t>> Counts) {
        TPacket p = TPacket::CreateFromParts(Parts);
        p.Label = "S";
        p.Quantity = Quantity;
        for (const auto& [index, count] : Counts) p.PartCounts.Qty(index) = count;
        Optimizer.Best.Packets.Add(p);
    };
    layout(first, 3, {{7, 2}, {150, 1}, {199, 6}});
    layout(first, 2, {{7, 1}});
    layout(second, 4, {{0, 1}, {1, 2}});
    ASSERT_TRUE(Optimizer.Best[0].PartCounts.IsCompact());
    Optimizer.Parts = first;
    Optimizer.Parts.AppendCopies(second);

    ComputeUsedQuantities();
    ASSERT_EQ(UsedPartsList.Count(), 202);
    for (int i = 0; i < UsedPartsList.Count(); ++i) {
        const std::string& label = UsedPartsList[i].Label;
        const std::int32_t expected = label == "P7"     ? 3 * 2 + 3 * 1 + 2 * 1 + 4 * 1
                                      : label == "P199" ? 3 * 6
                                      : label == "Q"    ? 4 * 2
                                                        : 0;
        EXPECT_EQ(UsedPartsList[i].Quantity, expected) << i << " " << label;
    }
    Optimizer.Clear();
}
