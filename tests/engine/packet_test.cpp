#include "engine/packet.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "engine/errors.h"
#include "engine/pubstr.h"

namespace {

TPanels Parts(int Count) {
    TPanels parts;
    for (int i = 0; i < Count; ++i) {
        T2DStock p;
        p.Index = i;
        p.Label = "P" + std::to_string(i);
        parts.AddCopy(p);
    }
    return parts;
}

TPacket Sheet(int Length, int Width, int PartTypes = 3) {
    TPacket s = TPacket::CreateFromParts(Parts(PartTypes));
    s.Length = Length;
    s.Width = Width;
    s.ResetSpaces();
    return s;
}

T2DStock Piece(int X, int Y, int Length, int Width, int Index = 0, const std::string& Label = "P") {
    T2DStock p;
    p.Position = {X, Y};
    p.Length = Length;
    p.Width = Width;
    p.Index = Index;
    p.Quantity = 1;
    p.Label = Label;
    return p;
}

TSpace Space(int L, int T, int R, int B) {
    return TSpace::FromRect({L, T, R, B});
}

std::vector<TRect> Rects(const TSpaceList& Spaces) {
    std::vector<TRect> r;
    for (const TSpace& s : Spaces) r.push_back(s.BoundsRect());
    return r;
}

}  // namespace

TEST(Packet, NewLayoutAndPartCounts) {
    TPacket empty;
    ASSERT_EQ(empty.Spaces.Count(), 1);  // the (empty) outline
    EXPECT_EQ(empty.Spaces[0], Space(0, 0, 0, 0));
    EXPECT_EQ(empty.Value, 0.0);
    EXPECT_TRUE(empty.Active);

    TPanels parts = Parts(2);
    parts[1].Quantity = 9;
    TPacket p = TPacket::CreateFromParts(parts);
    ASSERT_EQ(p.PartCounts.Count(), 2);
    EXPECT_EQ(p.PartCounts.Qty(1), 0);
    EXPECT_EQ(p.PartCounts.Part(1).Label, "P1");
    EXPECT_THROW(p.PartCounts.Qty(2), EListError);
    // Layouts of changed parts describe the parts as they are now.
    parts[1].Label = "Q1";
    EXPECT_EQ(TPacket::CreateFromParts(parts).PartCounts.Part(1).Label, "Q1");
    EXPECT_EQ(p.PartCounts.Part(1).Label, "P1");
}

TEST(Packet, FirstPieceLeavesTwoMaximalRectangles) {
    TPacket s = Sheet(1000, 500);
    s.AddPlacement(Piece(0, 0, 300, 200, 1));
    EXPECT_EQ(Rects(s.Spaces), (std::vector<TRect>{{300, 0, 1000, 500}, {0, 200, 1000, 500}}));
    EXPECT_EQ(s.PartCounts.Qty(1), 1);
    EXPECT_EQ(s.Placements.Count(), 1);
    EXPECT_EQ(Rects(s.OldSpaces), (std::vector<TRect>{{0, 0, 1000, 500}}));

    // The strip beside it: the right rectangle shrinks to its bottom part,
    // which the untouched lower rectangle then overwrites and joins again, so
    // it stands twice until the next update.
    s.AddPlacement(Piece(300, 0, 700, 200, 0));
    EXPECT_EQ(Rects(s.Spaces), (std::vector<TRect>{{0, 200, 1000, 500}, {0, 200, 1000, 500}}));
    s.AddPlacement(Piece(0, 200, 10, 10, 0));
    EXPECT_EQ(Rects(s.Spaces), (std::vector<TRect>{{10, 200, 1000, 500}, {0, 210, 1000, 500}}));
    EXPECT_EQ(s.TotalCount(), 3);
}

TEST(Packet, TouchingPieceLeavesRectangleAlone) {
    TPacket s = Sheet(1000, 500);
    s.Spaces.Clear();
    s.Spaces.Add(Space(300, 0, 1000, 500));
    s.UpdateSpaces(Piece(0, 0, 300, 500));
    EXPECT_EQ(Rects(s.Spaces), (std::vector<TRect>{{300, 0, 1000, 500}}));
    s.UpdateSpaces(Piece(300, 500, 10, 10));  // touches the bottom edge only
    EXPECT_EQ(Rects(s.Spaces), (std::vector<TRect>{{300, 0, 1000, 500}}));
}

TEST(Packet, AddSpaceContainment) {
    TPacket s = Sheet(1000, 500);
    s.AddSpace(Space(10, 10, 20, 20));  // inside the outline
    EXPECT_EQ(s.Spaces.Count(), 1);

    s.Spaces.Clear();
    s.Spaces.Add(Space(0, 0, 10, 10));
    s.Spaces.Add(Space(20, 0, 30, 10));
    s.Spaces.Add(Space(500, 500, 600, 600));
    s.AddSpace(Space(0, 0, 100, 100));
    EXPECT_EQ(Rects(s.Spaces),
              (std::vector<TRect>{
                  {0, 0, 100, 100}, {0, 0, 100, 100}, {500, 500, 600, 600}, {0, 0, 100, 100}}));
    // The next update drops the repeats: each lies inside the first copy.
    s.UpdateSpaces(Piece(900, 900, 1, 1));
    EXPECT_EQ(Rects(s.Spaces), (std::vector<TRect>{{0, 0, 100, 100}, {500, 500, 600, 600}}));

    // Overlapping without containment: both stay.
    s.AddSpace(Space(50, 50, 150, 150));
    EXPECT_EQ(s.Spaces.Count(), 3);
}

TEST(Packet, FreeSpaceMeasures) {
    BladeWidth = 3;
    TPacket s = Sheet(1000, 500);
    EXPECT_EQ(s.MinSpaceSide(), 497);
    s.AddPlacement(Piece(0, 0, 300, 200));
    EXPECT_DOUBLE_EQ(s.LargestSpaceArea(), 700.0 * 500);
    EXPECT_DOUBLE_EQ(s.TotalSpaceArea(), 700.0 * 500 + 1000.0 * 300);
    EXPECT_EQ(s.MinSpaceSide(), 297);
    EXPECT_DOUBLE_EQ(s.SpaceOverlapArea(Piece(250, 150, 100, 100)), 50.0 * 100 + 100.0 * 50);

    T2DStock tall = Piece(0, 0, 400, 600);
    EXPECT_FALSE(s.NoSpaceFits(tall));  // turned it fits 700 x 500
    tall.CanRotate = false;
    EXPECT_TRUE(s.NoSpaceFits(tall));

    s.Spaces.Clear();
    EXPECT_EQ(s.MinSpaceSide(), 9999999);
    EXPECT_TRUE(s.NoSpaceFits(Piece(0, 0, 1, 1)));
    EXPECT_EQ(s.LargestSpaceArea(), 0.0);
}

TEST(Packet, LayoutKey) {
    EXPECT_EQ(Sheet(1000, 500).LayoutKey(), "1000 500");
    TPacket s = Sheet(3000, 1500);
    T2DStock p = Piece(0, 0, 100, 100, 0);
    p.Quantity = 3;
    s.AddPlacementNoSpaces(p);
    s.AddPlacementNoSpaces(Piece(0, 0, 100, 100, 2));
    std::string key = "old";
    s.LayoutKey(key);
    EXPECT_EQ(key, "3000 1500 0x3 2x1");
}

TEST(Packet, UtilizationAndWaste) {
    TPacket s = Sheet(1000, 1000);
    EXPECT_EQ(s.Utilization(), 0.0);
    s.AddPlacement(Piece(0, 0, 500, 1000));
    const double u = 100.0 * (500.0 * 1000) / (1000.0 * 1000 + 0.1);
    EXPECT_DOUBLE_EQ(s.Utilization(), u);
    EXPECT_LT(s.Utilization(), 50.0);
    EXPECT_DOUBLE_EQ(s.WasteArea(), 1000.0 * 1000 * (100 - u) / 100);

    // Once offcut pieces stand on the layout they are left out.
    T2DStock off = Piece(500, 0, 500, 500, 0, "OFFCUT_1");
    s.AddPlacementNoCount(off);
    T2DStock zero = Piece(500, 500, 500, 500, 0, "ZEROOFFCUT_1");
    s.AddPlacementNoCount(zero);
    EXPECT_DOUBLE_EQ(s.Utilization(), u);
}

TEST(Packet, UsedValueAndCost) {
    TPacket s = Sheet(1000, 1000);
    s.AddPlacement(Piece(0, 0, 500, 500, 0));
    s.AddPlacement(Piece(500, 0, 500, 500, 1));
    s.PartCounts.EditPart(1).Length = 500;  // counts carry the part sizes
    s.PartCounts.EditPart(1).Width = 500;
    s.PartCounts.EditPart(1).ShapeKind = skCircle;  // counts with its full square
    EXPECT_DOUBLE_EQ(s.UsedValue(), 25.0);
    s.PartCounts.EditPart(0).Length = 500;
    s.PartCounts.EditPart(0).Width = 500;
    EXPECT_DOUBLE_EQ(s.UsedValue(), 50.0);

    s.Cost = 0;
    EXPECT_DOUBLE_EQ(s.ValuePerCost(2.0), 50.0 * 1.0e6 / 1 / 2.0);
    EXPECT_EQ(s.Cost, 1);
    s.Cost = 4;
    EXPECT_DOUBLE_EQ(s.GetValue(true, 1.0), 50.0 * 1.0e6 / 4);
    EXPECT_DOUBLE_EQ(s.GetValue(false, 1.0), 50.0);
}

TEST(Packet, CountsAndSinglePart) {
    TPacket s = Sheet(100, 100);
    EXPECT_EQ(s.SinglePartIndex(), -1);
    s.AddPlacement(Piece(0, 0, 10, 10, 2));
    s.AddPlacement(Piece(10, 0, 10, 10, 2));
    EXPECT_EQ(s.SinglePartIndex(), 2);
    s.AddPlacement(Piece(20, 0, 10, 10, 0));
    EXPECT_EQ(s.SinglePartIndex(), -1);
    EXPECT_EQ(s.TotalCount(), 3);
    EXPECT_EQ(s.SumOfPositions(), 30);
}

TEST(Packet, PlacementWithUnknownPartChangesNothing) {
    TPacket s = Sheet(100, 100, 1);
    EXPECT_THROW(s.AddPlacement(Piece(0, 0, 10, 10, 4)), EListError);
    EXPECT_THROW(s.AddPlacementNoSpaces(Piece(0, 0, 10, 10, -1)), EListError);
    EXPECT_EQ(s.Placements.Count(), 0);
    EXPECT_EQ(s.Spaces.Count(), 1);
}

TEST(Packet, PlaceAtChoosesCorner) {
    RollingMode = false;
    TPacket s = Sheet(1000, 500);
    // Empty sheet: every corner covers the piece's own area.
    const TPoint corners[4] = {{0, 0}, {0, 300}, {700, 0}, {700, 300}};
    for (int c = 1; c <= 4; ++c) {
        T2DStock p = Piece(5, 5, 300, 200);
        s.PlaceAt(p, 0, c);
        EXPECT_EQ(p.Position, corners[c - 1]) << c;
    }
    RollingMode = true;
    for (int c = 1; c <= 4; ++c) {
        T2DStock p = Piece(5, 5, 300, 200);
        s.PlaceAt(p, 0, c);
        EXPECT_EQ(p.Position, (TPoint{0, 0})) << c;
    }
}

TEST(Packet, PlaceAtBreaksTiesTowardsTheLastCorner) {
    RollingMode = false;
    TPacket s = Sheet(1000, 1000);
    s.Spaces.Clear();
    s.Spaces.Add(Space(0, 0, 100, 100));
    s.Spaces.Add(Space(0, 0, 100, 50));  // makes corners 1 and 3 dearer
    T2DStock p = Piece(0, 0, 50, 50);
    s.PlaceAt(p, 0, 1);
    EXPECT_EQ(p.Position, (TPoint{50, 50}));  // corner 4
    s.PlaceAt(p, 0, 2);
    EXPECT_EQ(p.Position, (TPoint{0, 50}));
    s.PlaceAt(p, 0, 3);
    EXPECT_EQ(p.Position, (TPoint{50, 50}));

    EXPECT_THROW(s.PlaceAt(p, 2, 1), EListError);
    EXPECT_THROW(s.PlaceAt(p, 0, 0), ERangeError);
    EXPECT_THROW(s.PlaceAt(p, 0, 5), ERangeError);
}

TEST(Packet, FreeRectanglesStayMaximalAndDisjointFromPieces) {
    // Fill a sheet with mixed pieces and compare the free rectangles with the
    // cells of the sheet that no piece covers.
    RollingMode = false;
    const int L = 60, W = 40;
    TPacket s = Sheet(L, W, 1);
    const int sizes[][2] = {{7, 5}, {13, 4}, {3, 11}, {9, 9}, {5, 2}, {17, 6}, {4, 4}};
    int k = 0;
    for (int step = 0; step < 200; ++step) {
        T2DStock p = Piece(0, 0, sizes[k % 7][0], sizes[k % 7][1]);
        ++k;
        int target = -1;
        for (int i = 0; i < s.Spaces.Count(); ++i)
            if (s.Spaces[i].Length >= p.Length && s.Spaces[i].Width >= p.Width) {
                target = i;
                break;
            }
        if (target < 0) continue;
        s.PlaceAt(p, target, 1 + step % 4);
        s.AddPlacement(p);
    }
    ASSERT_GT(s.Placements.Count(), 20);

    std::vector<int> covered(L * W, 0);
    for (const T2DStock& p : s.Placements)
        for (int y = p.Position.Y; y < p.Position.Y + p.Width; ++y)
            for (int x = p.Position.X; x < p.Position.X + p.Length; ++x) {
                ASSERT_EQ(covered[y * L + x], 0) << "pieces overlap";
                covered[y * L + x] = 1;
            }
    std::vector<int> free(L * W, 0);
    for (const TSpace& r : s.Spaces) {
        ASSERT_GT(r.Length, 0);
        ASSERT_GT(r.Width, 0);
        for (int y = r.Position.Y; y < r.Position.Y + r.Width; ++y)
            for (int x = r.Position.X; x < r.Position.X + r.Length; ++x) {
                ASSERT_TRUE(x >= 0 && x < L && y >= 0 && y < W);
                ASSERT_EQ(covered[y * L + x], 0) << "free rectangle over a piece";
                free[y * L + x] = 1;
            }
    }
    for (int c = 0; c < L * W; ++c) EXPECT_EQ(covered[c] + free[c], 1) << c;
    // No rectangle lies inside a different one (repeats may stand).
    for (int i = 0; i < s.Spaces.Count(); ++i)
        for (int j = 0; j < s.Spaces.Count(); ++j) {
            const TRect a = s.Spaces[i].BoundsRect(), b = s.Spaces[j].BoundsRect();
            if (a == b) continue;
            EXPECT_FALSE(a.Left >= b.Left && a.Top >= b.Top && a.Right <= b.Right &&
                         a.Bottom <= b.Bottom)
                << i << " in " << j;
        }

    // Rebuilding from the placements gives the same rectangles.
    const std::vector<TRect> before = Rects(s.Spaces);
    s.RebuildSpaces();
    EXPECT_EQ(Rects(s.Spaces), before);
}

TEST(Packet, CopiesAreDeep) {
    TPacket s = Sheet(1000, 500);
    s.Label = "Sheet";
    s.ExtraText = "note";
    s.Value = 4.5;
    s.Active = false;
    s.AddPlacement(Piece(0, 0, 300, 200, 1, "A"));
    TPacket c(s);
    EXPECT_EQ(c.Label, "Sheet");
    EXPECT_TRUE(c.ExtraText.empty());
    EXPECT_TRUE(c.OldSpaces.Empty());
    EXPECT_EQ(c.Value, 4.5);
    EXPECT_FALSE(c.Active);
    EXPECT_EQ(Rects(c.Spaces), Rects(s.Spaces));
    c.Placements[0].Label = "B";
    c.PartCounts.Qty(1) = 7;
    c.PartCounts.EditPart(1).Material = "oak";  // the copy's own description
    c.Spaces.Clear();
    EXPECT_EQ(s.Placements[0].Label, "A");
    EXPECT_EQ(s.PartCounts.Qty(1), 1);
    EXPECT_EQ(s.PartCounts.Part(1).Material, "");
    EXPECT_EQ(s.Spaces.Count(), 2);

    // Reset keeps the outline.
    s.Reset();
    EXPECT_EQ(s.Length, 1000);
    EXPECT_EQ(s.PartCounts.Qty(1), 0);
    EXPECT_EQ(s.Placements.Count(), 0);
    EXPECT_EQ(Rects(s.Spaces), (std::vector<TRect>{{0, 0, 1000, 500}}));

    // A piece list copy of a layout is a plain piece.
    TPanels list;
    list.AddCopy(c);
    EXPECT_EQ(list[0].Label, "Sheet");
}

TEST(Packet, SortPlacementsIsStableByYThenX) {
    TPacket s = Sheet(100, 100);
    s.AddPlacementNoSpaces(Piece(50, 10, 1, 1, 0, "a"));
    s.AddPlacementNoSpaces(Piece(0, 10, 1, 1, 0, "b"));
    s.AddPlacementNoSpaces(Piece(0, 0, 1, 1, 0, "c"));
    s.AddPlacementNoSpaces(Piece(0, 10, 1, 1, 0, "d"));
    s.SortPlacements();
    std::string order;
    for (const T2DStock& p : s.Placements) order += p.Label;
    EXPECT_EQ(order, "cbda");
}

TEST(Packet, RotateTwiceRestores) {
    TPacket s = Sheet(1000, 500);
    s.AddPlacement(Piece(100, 0, 300, 200));
    const std::vector<TRect> spaces = Rects(s.Spaces);
    s.Rotate();
    EXPECT_EQ(s.Length, 500);
    EXPECT_EQ(s.Width, 1000);
    EXPECT_EQ(s.Placements[0].BoundsRect(), (TRect{0, 100, 200, 400}));
    EXPECT_TRUE(s.Placements[0].Rotated);
    EXPECT_EQ(s.Spaces[0].BoundsRect(), (TRect{0, 0, 500, 100}));
    s.Rotate();
    EXPECT_EQ(s.Length, 1000);
    EXPECT_EQ(s.Placements[0].BoundsRect(), (TRect{100, 0, 400, 200}));
    EXPECT_FALSE(s.Placements[0].Rotated);
    EXPECT_EQ(Rects(s.Spaces), spaces);
}

TEST(Packet, ShrinkLength) {
    TPacket s = Sheet(1000, 500);
    s.AddPlacementNoSpaces(Piece(10, 0, 300, 200));
    s.ShrinkLength(5);
    EXPECT_EQ(s.Length, 990);
    EXPECT_EQ(s.Placements[0].Length, 290);
    EXPECT_EQ(s.Placements[0].Position.X, 10);
}

TEST(Packet, BlocksArePlacedAndMerged) {
    TPacket block = Sheet(200, 100);
    block.AddPlacement(Piece(0, 0, 100, 100, 0));
    block.AddPlacement(Piece(100, 0, 100, 100, 0));
    block.Position = {300, 50};

    TPacket s = Sheet(1000, 500);
    s.AddPlacementsFrom(block);
    EXPECT_EQ(block.Placements[1].Position, (TPoint{400, 50}));  // the block's own pieces move
    EXPECT_EQ(s.Placements[0].Position, (TPoint{300, 50}));
    EXPECT_EQ(s.PartCounts.Qty(0), 2);
    EXPECT_DOUBLE_EQ(s.SpaceOverlapArea(Piece(300, 50, 200, 100)), 0.0);

    TPacket shifted = Sheet(1000, 500);
    shifted.CopyPlacementsShifted(s, {-300, -50});
    EXPECT_EQ(shifted.Placements[1].Position, (TPoint{100, 0}));
    EXPECT_EQ(shifted.PartCounts.Qty(0), 2);
    EXPECT_EQ(shifted.Spaces.Count(), 1);  // free rectangles untouched
    EXPECT_EQ(s.Placements[1].Position, (TPoint{400, 50}));
}

TEST(Packet, MergeFromOrdersEqualSidesByCounts) {
    TPacket a = Sheet(100, 40);
    a.AddPlacement(Piece(0, 0, 100, 40, 1));
    TPacket b = Sheet(100, 60);
    b.AddPlacement(Piece(0, 0, 50, 60, 0));
    b.AddPlacement(Piece(50, 0, 50, 60, 0));

    // Same length across the width: B's counts (2, 0) beat A's (0, 1), B goes first.
    TPacket m;
    m.MergeFrom(true, a, b);
    EXPECT_EQ(m.Length, 100);
    EXPECT_EQ(m.Width, 100);
    ASSERT_EQ(m.Placements.Count(), 3);
    EXPECT_EQ(m.Placements[2].BoundsRect(), (TRect{0, 60, 100, 100}));
    EXPECT_EQ(m.PartCounts.Qty(0), 2);
    EXPECT_EQ(m.PartCounts.Qty(1), 1);
    // Free rectangles only of the first block's pieces in the enlarged outline.
    EXPECT_EQ(Rects(m.Spaces), (std::vector<TRect>{{0, 60, 100, 100}, {0, 60, 100, 100}}));

    // Different widths side by side: A first whatever the counts.
    TPacket n;
    n.MergeFrom(false, a, b);
    EXPECT_EQ(n.Length, 200);
    EXPECT_EQ(n.Width, 40);
    EXPECT_EQ(n.Placements[0].BoundsRect(), (TRect{0, 0, 100, 40}));
    EXPECT_EQ(n.Placements[1].BoundsRect(), (TRect{100, 0, 150, 60}));
}
