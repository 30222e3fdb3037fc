#include "engine/shared_state.h"

#include <gtest/gtest.h>

#include <string>

#include "engine/guillotine.h"
#include "engine/pubstr.h"
#include "platform/inifile.h"
#include "support/scratch.h"

namespace {

TPanels OnePartList() {
    TPanels parts;
    T2DStock part;
    part.Index = 0;
    part.Label = "A";
    parts.AddCopy(part);
    return parts;
}

TPacket Sheet(std::int32_t Length, std::int32_t Width) {
    TPacket p = TPacket::CreateFromParts(OnePartList());
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

TEST(NameOffcuts, LargestFreeRectangleFirst) {
    TPacket p = Sheet(1000, 500);
    Place(p, 0, 0, 300, 200);
    NameOffcutsOfPacket(p);
    EXPECT_EQ(Offcuts(p), "OFFCUT_1@300,0/700x500 OFFCUT_2@0,200/300x300 ");
    EXPECT_TRUE(p.Spaces.Empty());
    EXPECT_EQ(p.PartCounts[0].Quantity, 1);  // offcuts are not counted
    EXPECT_EQ(p.TotalCount(), 1);
}

TEST(NameOffcuts, FullLayoutGetsNone) {
    TPacket p = Sheet(1000, 500);
    Place(p, 0, 0, 1000, 500);
    NameOffcutsOfPacket(p);
    EXPECT_EQ(Offcuts(p), "");
}

TEST(NameOffcuts, StripsNoWiderThanTheBladeAreNumberedApart) {
    BladeWidth = 5;
    TPacket p = Sheet(1000, 500);
    Place(p, 0, 0, 995, 300);
    NameOffcutsOfPacket(p);
    EXPECT_EQ(Offcuts(p), "OFFCUT_1@0,300/1000x200 ZEROOFFCUT_1@995,0/5x300 ");
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
    first.PartCounts[0].Quantity = 4;
    TPacket second = first;
    second.Quantity = 2;
    second.PartCounts[0].Quantity = 1;
    second.PartCounts[1].Quantity = 2;
    TPacket third = first;
    third.Label = "T";  // material differs from the sheet type T
    third.Quantity = 1;
    Optimizer.Best.Packets.Add(first);
    Optimizer.Best.Packets.Add(second);
    Optimizer.Best.Packets.Add(third);

    ComputeUsedQuantities();
    EXPECT_EQ(UsedPartsList[0].Quantity, 3 * 4 + 2 * 1 + 1 * 4);
    EXPECT_EQ(UsedPartsList[1].Quantity, 4);
    EXPECT_EQ(UsedSheetsList[0].Quantity, 5);
    EXPECT_EQ(UsedSheetsList[1].Quantity, 0);
    EXPECT_EQ(Optimizer.Parts[0].Quantity, 20);  // the optimiser's lists are untouched
}

TEST(SharedState, StartsEmpty) {
    EXPECT_EQ(CurrentLayoutIndex, -1);
    EXPECT_EQ(TotalUsedSheets, 0);
    EXPECT_EQ(Optimizer.Best.Count(), 0);
    EXPECT_TRUE(UsedPartsList.Empty());
}

TEST(EraseAllIniSections, LeavesAnEmptyFile) {
    testsupport::ScratchDir dir;
    const std::string name = dir.File("erase_all_sections.ini");
    {
        platform::TIniFile ini(name);
        ini.WriteString("ONE", "a", "1");
        ini.WriteString("TWO", "b", "2");
        ini.UpdateFile();
    }
    platform::TIniFile ini(name);
    EraseAllIniSections(ini);
    EXPECT_TRUE(ini.ReadSections().empty());
    ini.UpdateFile();
    EXPECT_TRUE(platform::TIniFile(name).ReadSections().empty());
}
