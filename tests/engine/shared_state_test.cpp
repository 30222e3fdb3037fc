#include "engine/shared_state.h"

#include <gtest/gtest.h>

#include <string>

#include "engine/guillotine.h"
#include "engine/pubstr.h"

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
