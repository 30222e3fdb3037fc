#include "engine/schemes.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "engine/errors.h"
#include "engine/pubstr.h"

namespace {

// A 1000 x 1000 layout of sheet type SheetIndex with the given part counts
// and, when given, exactly these free rectangles.
TPacket Layout(int SheetIndex, std::initializer_list<int> Counts,
               std::initializer_list<TRect> Spaces = {}, const std::string& Label = "S") {
    TPacket p;
    p.Index = SheetIndex;
    p.Label = Label;
    p.Length = 1000;
    p.Width = 1000;
    p.Quantity = 1;
    p.ResetSpaces();
    TPanels parts;
    int i = 0;
    for (int c : Counts) {
        T2DStock part;
        part.Index = i++;
        part.Label = "P" + std::to_string(part.Index);
        part.Quantity = c;
        parts.AddCopy(part);
    }
    p.PartCounts.Assign(parts, true);
    if (Spaces.size() > 0) {
        p.Spaces.Clear();
        for (const TRect& r : Spaces) p.Spaces.Add(TSpace::FromRect(r));
    }
    return p;
}

std::vector<int> CountsOf(const TPacket& P) {
    std::vector<int> c;
    for (const std::int32_t q : P.PartCounts.Quantities()) c.push_back(q);
    return c;
}

std::vector<std::vector<int>> PlanCounts(const TSchemes& Plan) {
    std::vector<std::vector<int>> all;
    for (const TPacket& p : Plan.Packets) all.push_back(CountsOf(p));
    return all;
}

T2DStock Placed(const std::string& Label, TRect R) {
    T2DStock p;
    p.Label = Label;
    p.SetBounds(R);
    p.Index = 0;
    p.Quantity = 1;
    return p;
}

}  // namespace

TEST(Schemes, SmallFreeRectanglesDropALayout) {
    TSchemes plan;
    TPacket p = Layout(0, {1}, {{0, 0, 100, 40}});
    EXPECT_TRUE(plan.AddPacket(p, false, false));  // MinOffcutSize 0: nothing dropped
    MinOffcutSize = 50;
    TPacket q = Layout(1, {1}, {{0, 0, 100, 40}});
    EXPECT_FALSE(plan.AddPacket(q, false, false));
    TPacket r = Layout(1, {1}, {{0, 0, 100, 50}});
    EXPECT_TRUE(plan.AddPacket(r, false, false));
    EXPECT_EQ(plan.Count(), 2);
}

TEST(Schemes, PlacementsAreKeptOnlyWhenAsked) {
    TSchemes plan;
    TPacket p = Layout(0, {0});
    p.AddPlacementNoSpaces(Placed("P0", {0, 0, 10, 10}));
    plan.AddPacket(p, false, false);
    EXPECT_EQ(p.Placements.Count(), 0);  // the candidate itself is emptied
    EXPECT_EQ(p.Spaces.Count(), 0);
    EXPECT_EQ(plan[0].Placements.Count(), 0);
    EXPECT_EQ(CountsOf(plan[0]), std::vector<int>{1});

    KeepPlacements = true;
    TPacket q = Layout(1, {1});
    q.AddPlacement(Placed("P0", {0, 0, 10, 10}));
    plan.AddPacket(q, false, false);
    EXPECT_EQ(plan[1].Placements.Count(), 1);
    EXPECT_EQ(plan[1].Spaces.Count(), 2);
}

TEST(Schemes, GuillotineGate) {
    KeepPlacements = true;
    TPacket pinwheel = Layout(0, {4});
    pinwheel.Length = 3;
    pinwheel.Width = 3;
    for (const TRect& r :
         {TRect{0, 0, 2, 1}, TRect{2, 0, 3, 2}, TRect{1, 2, 3, 3}, TRect{0, 1, 1, 3}})
        pinwheel.AddPlacement(Placed("P0", r));
    TSchemes plan;
    TPacket a = pinwheel;
    EXPECT_FALSE(plan.AddPacket(a, true, false));
    EXPECT_EQ(plan.Count(), 0);
    TPacket b = pinwheel;
    EXPECT_TRUE(plan.AddPacket(b, false, false));
    EXPECT_EQ(plan.Count(), 1);
}

TEST(Schemes, DominatedLayoutsAreDroppedUnlessAllowed) {
    TSchemes plan;
    TPacket kept = Layout(0, {2, 0});
    plan.AddPacket(kept, false, false);
    TPacket less = Layout(0, {1, 0});
    EXPECT_FALSE(plan.AddPacket(less, false, false));
    EXPECT_EQ(plan.Count(), 1);
    TPacket again = Layout(0, {1, 0});
    EXPECT_TRUE(plan.AddPacket(again, false, true));
    EXPECT_EQ(PlanCounts(plan), (std::vector<std::vector<int>>{{2, 0}, {1, 0}}));
}

TEST(Schemes, DominatingLayoutTakesThePlaceOfTheLaterAndRemovesTheOthers) {
    TSchemes plan;
    for (TPacket p : {Layout(5, {0, 7}), Layout(0, {2, 0}), Layout(6, {1, 1}), Layout(0, {1, 1}),
                      Layout(7, {0, 0})})
        plan.AddPacket(p, false, false);
    ASSERT_EQ(plan.Count(), 5);
    TPacket better = Layout(0, {2, 1});
    EXPECT_TRUE(plan.AddPacket(better, false, false));
    EXPECT_EQ(PlanCounts(plan), (std::vector<std::vector<int>>{{0, 7}, {1, 1}, {2, 1}, {0, 0}}));
    EXPECT_EQ(plan[2].Index, 0);
    EXPECT_EQ(plan[1].Index, 6);
}

TEST(Schemes, SheetTypesNeverReplaceEachOther) {
    TSchemes plan;
    TPacket a = Layout(0, {1, 1});
    TPacket b = Layout(1, {2, 2});
    TPacket c = Layout(2, {0, 1});
    plan.AddPacket(a, false, false);
    plan.AddPacket(b, false, false);
    plan.AddPacket(c, false, false);
    EXPECT_EQ(plan.Count(), 3);
}

TEST(Schemes, EqualCounts) {
    KeepPlacements = true;
    TSchemes plan;
    TPacket kept = Layout(0, {1, 0}, {{0, 0, 5, 5}});
    plan.AddPacket(kept, false, false);

    // Without the comparison of equal layouts the newcomer is dropped.
    TPacket roomier = Layout(0, {1, 0}, {{0, 0, 10, 10}});
    EXPECT_FALSE(plan.AddPacket(roomier, false, false));
    EXPECT_EQ(plan[0].LargestSpaceArea(), 25.0);

    CompareEqualLayouts = true;
    // A larger largest free rectangle wins.
    EXPECT_TRUE(plan.AddPacket(roomier, false, false));
    EXPECT_EQ(plan.Count(), 1);
    EXPECT_EQ(plan[0].LargestSpaceArea(), 100.0);

    // Then fewer free rectangles.
    TPacket more = Layout(0, {1, 0}, {{0, 0, 10, 10}, {0, 0, 1, 1}});
    EXPECT_FALSE(plan.AddPacket(more, false, false));
    plan[0].Spaces.Add(TSpace::FromRect({0, 0, 1, 1}));
    plan[0].Spaces.Add(TSpace::FromRect({0, 0, 1, 1}));
    EXPECT_TRUE(plan.AddPacket(more, false, false));
    EXPECT_EQ(plan[0].Spaces.Count(), 2);

    // Then more free area in all.
    TPacket wider = Layout(0, {1, 0}, {{0, 0, 10, 10}, {0, 0, 2, 2}});
    EXPECT_TRUE(plan.AddPacket(wider, false, false));
    EXPECT_EQ(plan[0].TotalSpaceArea(), 104.0);

    // Then pieces further from the origin; a full tie keeps the old one.
    TPacket same = Layout(0, {1, 0}, {{0, 0, 10, 10}, {0, 0, 2, 2}});
    same.Label = "newcomer";
    EXPECT_FALSE(plan.AddPacket(same, false, false));
    EXPECT_EQ(plan[0].Label, "S");
    same.AddPlacementNoSpaces(Placed("P0", {5, 5, 6, 6}));
    EXPECT_TRUE(plan.AddPacket(same, false, false));
    EXPECT_EQ(plan[0].Label, "newcomer");
    EXPECT_EQ(plan.Count(), 1);
}

TEST(Schemes, AddOrMergeLayout) {
    TSchemes plan;
    TPacket a = Layout(0, {1, 2});
    a.Quantity = 2;
    plan.AddOrMergeLayout(a);
    TPacket b = Layout(0, {1, 2});
    b.Quantity = 3;
    plan.AddOrMergeLayout(b);
    ASSERT_EQ(plan.Count(), 1);
    EXPECT_EQ(plan[0].Quantity, 5);

    TPacket none = Layout(0, {1, 2});
    none.Quantity = 0;
    plan.AddOrMergeLayout(none);
    TPacket otherLabel = Layout(0, {1, 2}, {}, "T");
    plan.AddOrMergeLayout(otherLabel);
    TPacket otherCounts = Layout(0, {2, 2});
    plan.AddOrMergeLayout(otherCounts);
    EXPECT_EQ(plan.Count(), 3);
    EXPECT_EQ(plan[0].Quantity, 5);
}

TEST(Schemes, SortIsStableByUsedValue) {
    TSchemes plan;
    const int used[] = {50, 80, 80, 20};
    for (int i = 0; i < 4; ++i) {
        TPacket p = Layout(i, {1}, {}, "L" + std::to_string(i));
        p.PartCounts.EditPart(0).Length = 1000;
        p.PartCounts.EditPart(0).Width = used[i] * 10;
        plan.Packets.Add(p);
    }
    plan.Sort();
    std::string order;
    for (const TPacket& p : plan.Packets) order += p.Label;
    EXPECT_EQ(order, "L1L2L0L3");
    EXPECT_DOUBLE_EQ(plan[0].Value, 80.0);
    EXPECT_DOUBLE_EQ(plan[3].Value, 20.0);
}

TEST(Schemes, Totals) {
    TSchemes empty;
    EXPECT_EQ(empty.Utilization(), 0.0);
    EXPECT_EQ(empty.TotalWaste(), 0.0);

    BladeWidth = 10;
    TSchemes plan;
    TPacket p = Layout(0, {1});
    p.Quantity = 3;
    p.Cost = 700000000;  // the cost total leaves 32 bits
    p.AddPlacementNoSpaces(Placed("P0", {0, 0, 500, 1000}));
    plan.Packets.Add(p);
    TPacket q = Layout(1, {0});
    q.Quantity = 1;
    plan.Packets.Add(q);

    const double waste = p.WasteArea();
    EXPECT_DOUBLE_EQ(plan.TotalWaste(), 3 * waste + 1.0e6);
    EXPECT_DOUBLE_EQ(plan.Utilization(), 100.0 * 3 * (1.0e6 - waste) / (0.000001 + 4.0e6));
    EXPECT_DOUBLE_EQ(plan.TotalUsableArea(), 4 * 990.0 * 990.0);
    EXPECT_EQ(plan.TotalSheetCost(), 3LL * 700000000 + 1);
}

TEST(Schemes, UsableOffcuts) {
    TSchemes plan;
    TPacket p = Layout(0, {0});
    p.Length = 1000000;
    p.Width = 1000000;
    p.Quantity = 2;
    p.AddPlacementNoCount(Placed("OFFCUT_3", {0, 0, 400000, 300000}));
    p.AddPlacementNoCount(Placed("OFFCUT_4", {0, 300000, 400000, 599999}));  // too narrow
    p.AddPlacementNoCount(Placed("ZEROOFFCUT_1", {400000, 0, 900000, 900000}));
    p.AddPlacementNoCount(Placed("MYOFFCUT_1", {0, 600000, 400000, 1000000}));
    p.AddPlacementNoCount(Placed("OFFCUT", {900000, 0, 1000000, 1000000}));
    plan.Packets.Add(p);

    EXPECT_DOUBLE_EQ(plan.UsableOffcutArea(300000, 300000), 2 * 400000.0 * 300000);
    EXPECT_DOUBLE_EQ(plan.UsableOffcutArea(0, 0), 2 * (400000.0 * 300000 + 400000.0 * 299999));
    EXPECT_EQ(plan.UsableOffcutArea(500000, 0), 0.0);
    // The piece labelled OFFCUT is no offcut piece, so it counts as used.
    const double used = 2 * (1.0e12 - plan[0].WasteArea());
    EXPECT_DOUBLE_EQ(used, 2 * 100000.0 * 1000000 * 1.0e12 / (1.0e12 + 0.1));
    EXPECT_DOUBLE_EQ(plan.UtilizationInclOffcuts(300000, 300000),
                     100.0 * (2 * 400000.0 * 300000 + used) / (0.000001 + 2 * 1.0e12));
}

TEST(Schemes, CopiesAreDeep) {
    TSchemes plan;
    plan.Packets.Add(Layout(0, {1}));
    plan.Packets.Add(Layout(1, {2}));
    TSchemes copy(plan);
    copy[0].PartCounts.Qty(0) = 9;
    EXPECT_EQ(plan[0].PartCounts.Qty(0), 1);

    plan.AppendCopies(plan);
    EXPECT_EQ(plan.Count(), 4);
    copy.Assign(plan);
    EXPECT_EQ(copy.Count(), 4);

    plan.Packets.Exchange(0, 1);
    EXPECT_EQ(plan[0].Index, 1);
    plan.Packets.Delete(0);
    EXPECT_EQ(plan.Count(), 3);
    EXPECT_THROW(plan.Packets.Delete(3), EListError);
    EXPECT_THROW(plan[-1], EListError);
    plan.Clear();
    EXPECT_EQ(plan.Count(), 0);
}
