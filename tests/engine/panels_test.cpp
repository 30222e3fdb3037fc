#include "engine/panels.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "engine/errors.h"
#include "engine/packet.h"

namespace {

// A list of quantities, item i carrying Index i.
TPanels Qty(std::initializer_list<int> Quantities) {
    TPanels list;
    int i = 0;
    for (int q : Quantities) {
        T2DStock p;
        p.Index = i++;
        p.Quantity = q;
        list.AddCopy(p);
    }
    return list;
}

struct ItemRow {
    std::string Label;
    int Quantity;
    std::string Material;
};

TPanels Items(std::initializer_list<ItemRow> Rows) {
    TPanels list;
    for (const ItemRow& r : Rows) {
        T2DStock p;
        p.Label = r.Label;
        p.Quantity = r.Quantity;
        p.Material = r.Material;
        list.AddCopy(p);
    }
    return list;
}

std::string ErrorOf(auto&& Action) {
    try {
        Action();
    } catch (const EListError& e) {
        return e.what();
    }
    return "";
}

}  // namespace

TEST(Panels, CopiesAreDeepAndPlainButShareTheEdge) {
    auto edge = std::make_shared<TPartEdge>();
    TPacket sheet;
    sheet.Label = "S";
    sheet.ExtraText = "note";
    sheet.Edge = edge;
    sheet.PartCounts.Assign(Qty({1}), true);

    TPanels a;
    a.AddCopy(sheet);
    EXPECT_TRUE(a[0].ExtraText.empty());
    EXPECT_EQ(a[0].Edge, edge);
    TPanels b(a);
    b[0].Label = "changed";
    EXPECT_EQ(a[0].Label, "S");

    // Copying a list into or onto itself.
    TPanels c = Qty({1, 2});
    c.AppendCopies(c);
    EXPECT_EQ(c.Count(), 4);
    c.Assign(c);
    EXPECT_EQ(c.Count(), 4);
}

TEST(Panels, PositionsOutsideTheListAreListErrors) {
    TPanels list = Qty({1, 2});
    EXPECT_EQ(ErrorOf([&] { list[2]; }), "List index out of bounds (2)");
    EXPECT_EQ(ErrorOf([&] { list[-1]; }), "List index out of bounds (-1)");
    EXPECT_EQ(ErrorOf([&] { list.Delete(5); }), "List index out of bounds (5)");

    // The other list is read at every own position.
    TPanels shorter = Qty({1});
    EXPECT_EQ(ErrorOf([&] { list.SameQuantities(shorter); }), "List index out of bounds (1)");
    EXPECT_EQ(ErrorOf([&] { list.AnyQtyGreater(shorter); }), "List index out of bounds (1)");

    // Quantity arithmetic addresses its target by the source item's Index.
    T2DStock stray;
    stray.Index = 7;
    EXPECT_EQ(ErrorOf([&] { list.AddQuantityOf(stray); }), "List index out of bounds (7)");
}

TEST(Panels, QuantityArithmeticFollowsTheSourceIndex) {
    TPanels target = Qty({10, 20});
    TPanels source = Qty({1, 2});
    source[0].Index = 1;
    source[1].Index = 0;
    target.AddQuantities(source);
    EXPECT_EQ(target[0].Quantity, 12);
    EXPECT_EQ(target[1].Quantity, 21);
    target.SubtractQuantities(source);
    EXPECT_EQ(target[0].Quantity, 10);
    EXPECT_EQ(target[1].Quantity, 20);
}

TEST(Panels, Comparisons) {
    const struct {
        std::initializer_list<int> A, B;
        bool AnyGreater, AllNotGreater, Same, GreaterLex;
    } cases[] = {
        {{}, {}, false, true, true, false},
        {{2, 0}, {1, 9}, true, false, false, true},
        {{1, 9}, {1, 9}, false, true, true, false},
        {{1, 9}, {2, 0}, true, false, false, false},
        {{1, 3}, {2, 2}, true, false, false, false},
        {{1, 2}, {1, 2, 0}, false, true, true, false},  // the other list may be longer
    };
    for (const auto& c : cases) {
        const TPanels a = Qty(c.A), b = Qty(c.B);
        EXPECT_EQ(a.AnyQtyGreater(b), c.AnyGreater);
        EXPECT_EQ(a.AllQtyNotGreater(b), c.AllNotGreater);
        EXPECT_EQ(a.SameQuantities(b), c.Same);
        EXPECT_EQ(a.QtyGreaterLex(b), c.GreaterLex);
    }
    EXPECT_TRUE(TPanels().AllZero());
    EXPECT_TRUE(Qty({0, -3}).AllZero());
    EXPECT_FALSE(Qty({0, 1}).AllZero());
}

TEST(Panels, SameItemsMatchesByLabelAndMaterialExactly) {
    const TPanels a2 = Items({{"A", 2, ""}});
    EXPECT_TRUE(a2.SameItems(Items({{"B", 1, ""}, {"A", 2, ""}})));
    EXPECT_FALSE(Items({{"A", 2, ""}, {"B", 1, ""}}).SameItems(a2));
    EXPECT_FALSE(Items({{"a", 2, ""}}).SameItems(a2));
    // The first item of the same label and material decides.
    EXPECT_TRUE(a2.SameItems(Items({{"A", 1, "oak"}, {"A", 2, ""}, {"A", 3, ""}})));
}

TEST(Panels, Totals) {
    TPanels list = Qty({3, 4});
    list[0].Length = list[0].Width = 100000;
    list[1].Length = 2;
    list[1].Width = 5;
    EXPECT_EQ(list.TotalQty(), 7);
    EXPECT_DOUBLE_EQ(list.TotalArea(), 3.0e10 + 40.0);
    EXPECT_TRUE(list.AnyFits(100000, 100000));
    EXPECT_FALSE(list.AnyFits(100001, 5));
    EXPECT_FALSE(list.AnyFits(5, 100001));  // no turning
}

TEST(Panels, Score) {
    const TPanels counts = Qty({1, 0});
    const double s = counts.Score(Qty({3, 2}), Qty({3, 2}), Qty({100, 50}), Qty({0, 0}), 123.0);
    EXPECT_DOUBLE_EQ(s, 75.0 / 1.02);

    // Without the reduction: q - r < o.
    EXPECT_DOUBLE_EQ(counts.Score(Qty({3, 2}), Qty({3, 2}), Qty({100, 50}), Qty({1, 0})), 37.5);

    // More of a type than remains: -1 whatever the other terms.
    EXPECT_EQ(Qty({1, 5}).Score(Qty({9, 4}), Qty({9, 9}), Qty({1000, 1}), Qty({0, 0})), -1.0);
    EXPECT_EQ(TPanels().Score(TPanels(), TPanels(), TPanels(), TPanels()), 0.0);
}

TEST(Panels, RaiseAndLowerWeights) {
    TPanels w = Qty({10, 10000000});
    w.RaiseWeights(Qty({5, 0}), Qty({4, 6}), 1.0);
    EXPECT_EQ(w[0].Quantity, 20);
    EXPECT_EQ(w[1].Quantity, 10000000);

    TPanels l = Qty({10, 7});
    l.LowerWeights(Qty({5, 0}), Qty({4, 6}));
    EXPECT_EQ(l[0].Quantity, 5);
    EXPECT_EQ(l[1].Quantity, 7);

    // Halves go to the even neighbour: (1/4 + 1) x 10 = 12.5 -> 12; x 6 = 7.5 -> 8.
    TPanels h = Qty({10, 6});
    h.RaiseWeights(Qty({1, 1}), Qty({4, 4}));
    EXPECT_EQ(h[0].Quantity, 12);
    EXPECT_EQ(h[1].Quantity, 8);
}

TEST(Panels, WeightsOutsideTheirRangeAreRangeErrors) {
    TPanels big = Qty({9999999});
    EXPECT_THROW(big.RaiseWeights(Qty({10000}), Qty({1})), ERangeError);
    TPanels w = Qty({5});
    EXPECT_THROW(w.RaiseWeights(Qty({1}), TPanels()), ERangeError);
    EXPECT_THROW(w.RaiseWeights(Qty({1}), Qty({0})), ERangeError);  // average 0
    EXPECT_THROW(w.LowerWeights(Qty({1}), Qty({0})), ERangeError);  // total 0
    EXPECT_EQ(w[0].Quantity, 5);
}
