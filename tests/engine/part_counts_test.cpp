// Part counts in their two forms: a layout of a job with many part kinds
// keeps its counts compact once it is held in a list of layouts.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "engine/packet.h"
#include "engine/panels.h"
#include "engine/schemes.h"

namespace {

constexpr int kParts = 2 * TPartCounts::CompactFrom;

// kParts parts P0, P1, ... of different sizes, with the given quantities (0
// elsewhere).
TPanels ManyParts(const std::map<int, int>& Quantities) {
    TPanels list;
    for (int i = 0; i < kParts; ++i) {
        T2DStock p;
        p.Index = i;
        p.Label = "P" + std::to_string(i);
        p.Length = 10 + i;
        p.Width = 20 + i % 7;
        const auto q = Quantities.find(i);
        p.Quantity = q == Quantities.end() ? 0 : q->second;
        list.AddCopy(p);
    }
    return list;
}

// The counts of Parts, held (compact) or not (dense).
TPartCounts CountsOf(const TPanels& Parts, bool Held) {
    TPartCounts c;
    if (Held) c.Hold();
    c.Assign(Parts, true);
    return c;
}

std::vector<std::int32_t> ReadInOrder(const TPartCounts& C) {
    return {C.Quantities().begin(), C.Quantities().end()};
}

}  // namespace

TEST(PartCounts, DenseAndCompactAnswerAlike) {
    const std::vector<std::map<int, int>> counts = {
        {},
        {{3, 2}},
        {{3, 2}, {200, 1}},
        {{3, 1}, {200, 1}},
        {{3, 2}, {200, 1}, {255, 4}},
        {{0, 1}, {3, 2}, {200, -1}},
        {{100, 1}},
    };
    TPanels remaining = ManyParts({{3, 2}, {200, 1}, {255, 9}, {0, 1}});
    remaining[100].Quantity = -1;  // less than nothing left of P100
    const TPanels wanted = ManyParts({{3, 5}, {200, 2}, {255, 9}, {100, 1}});
    TPanels weights = ManyParts({});
    for (T2DStock& w : weights) w.Quantity = 100 + w.Index;
    const TPanels other = ManyParts({{3, 1}});

    for (std::size_t x = 0; x < counts.size(); ++x) {
        const TPanels parts = ManyParts(counts[x]);
        const TPartCounts dense = CountsOf(parts, false), compact = CountsOf(parts, true);
        ASSERT_FALSE(dense.IsCompact());
        ASSERT_TRUE(compact.IsCompact());
        EXPECT_EQ(ReadInOrder(compact), ReadInOrder(dense));
        for (int i : {0, 3, 4, 100, 200, 255})
            EXPECT_EQ(compact.Qty(i), dense.Qty(i)) << x << " at " << i;
        EXPECT_EQ(compact.Quantities()[200], dense.Quantities()[200]);
        EXPECT_EQ(compact.TotalQty(), dense.TotalQty());
        EXPECT_EQ(compact.AnyQtyGreater(remaining), dense.AnyQtyGreater(remaining));
        EXPECT_TRUE(compact.SameQuantities(parts));
        EXPECT_EQ(compact.Score(remaining, wanted, weights, other),
                  dense.Score(remaining, wanted, weights, other));
        TPanels lowerDense = weights, lowerCompact = weights;
        lowerDense.LowerWeights(dense, wanted);
        lowerCompact.LowerWeights(compact, wanted);
        EXPECT_TRUE(lowerCompact.SameQuantities(lowerDense));

        TPacket sheetDense, sheetCompact;
        sheetDense.Length = sheetCompact.Length = 1000;
        sheetDense.Width = sheetCompact.Width = 500;
        sheetDense.PartCounts = dense;
        sheetCompact.PartCounts.Hold();
        sheetCompact.PartCounts = dense;
        ASSERT_TRUE(sheetCompact.PartCounts.IsCompact());
        EXPECT_EQ(sheetCompact.UsedValue(), sheetDense.UsedValue());
        EXPECT_EQ(sheetCompact.LayoutKey(), sheetDense.LayoutKey());
        EXPECT_EQ(sheetCompact.SinglePartIndex(), sheetDense.SinglePartIndex());

        // Every pairing of forms compares as two dense lists do.
        for (std::size_t y = 0; y < counts.size(); ++y) {
            const TPanels otherParts = ManyParts(counts[y]);
            const TPartCounts d = CountsOf(otherParts, false), c = CountsOf(otherParts, true);
            for (const TPartCounts* a : {&dense, &compact}) {
                for (const TPartCounts* b : {&d, &c}) {
                    SCOPED_TRACE(std::to_string(x) + " vs " + std::to_string(y));
                    EXPECT_EQ(a->QtyGreaterLex(*b), dense.QtyGreaterLex(d));
                    EXPECT_EQ(a->SameQuantities(*b), dense.SameQuantities(d));
                    EXPECT_EQ(a->AllQtyNotGreater(*b), dense.AllQtyNotGreater(d));
                    EXPECT_EQ(a->NotGreaterEachWay(*b),
                              std::make_pair(dense.AllQtyNotGreater(d), d.AllQtyNotGreater(dense)));
                    EXPECT_EQ(a->SameItems(*b), x == y);
                }
            }
        }
    }
}

TEST(PartCounts, HeldListsChangeFormAndKeepTheirCounts) {
    TPartCounts c;
    c.Hold();
    c.Assign(ManyParts({{5, 3}}), true);
    EXPECT_TRUE(c.IsCompact());
    c.Qty(7) += 2;  // a count to change: dense from here on
    EXPECT_FALSE(c.IsCompact());
    EXPECT_EQ(c.Qty(5), 3);
    EXPECT_EQ(c.Qty(7), 2);
    EXPECT_EQ(c.TotalQty(), 5);

    // Assigned counts take the compact form again when few are counted, the
    // dense form when many are.
    std::map<int, int> many;
    for (int i = 0; i < kParts; i += 2) many[i] = 1;
    c = CountsOf(ManyParts(many), false);
    EXPECT_FALSE(c.IsCompact());
    EXPECT_EQ(c.TotalQty(), kParts / 2);
    c = CountsOf(ManyParts({{9, 1}}), false);
    EXPECT_TRUE(c.IsCompact());
    EXPECT_EQ(c.Qty(9), 1);
    c.Zero();
    EXPECT_EQ(c.TotalQty(), 0);
    EXPECT_EQ(c.Qty(9), 0);

    TPartCounts moved(std::move(c));
    EXPECT_TRUE(moved.Held());
    EXPECT_EQ(moved.Count(), kParts);
    EXPECT_EQ(c.Count(), 0);  // NOLINT: the moved-from list is empty

    // A short list stays dense, held or not.
    TPartCounts shortList;
    shortList.Hold();
    TPanels few = ManyParts({{1, 1}});
    few.Items().resize(TPartCounts::CompactFrom - 1);
    shortList.Assign(few, true);
    EXPECT_FALSE(shortList.IsCompact());
    EXPECT_EQ(shortList.Qty(1), 1);
}

// Holding with the non-zero counts given takes the form and keeps the counts
// that holding by reading every count gives: few counts, the most a compact
// list keeps, one more, and a short list.
TEST(PartCounts, HoldingWithTheCountsGivenMatchesHolding) {
    std::map<int, int> atMost, oneMore;
    for (int i = 0; i < kParts / 4; ++i) atMost[i * 4 + 1] = i % 3 + 1;
    oneMore = atMost;
    oneMore[2] = 5;
    struct Case {
        const char* Name;
        std::map<int, int> Quantities;
        int Length;
    } cases[] = {{"few", {{3, 2}, {200, 1}}, kParts},
                 {"at most", atMost, kParts},
                 {"one more", oneMore, kParts},
                 {"short", {{1, 4}}, TPartCounts::CompactFrom - 1}};
    for (const Case& c : cases) {
        TPanels parts = ManyParts(c.Quantities);
        parts.Items().resize(static_cast<std::size_t>(c.Length));
        TPartCounts read = CountsOf(parts, false), given = CountsOf(parts, false);
        read.Hold();
        std::vector<std::int32_t> pairs;
        for (const auto& [at, q] : c.Quantities) {
            pairs.push_back(at);
            pairs.push_back(q);
        }
        given.HoldWith(pairs);
        EXPECT_TRUE(given.Held()) << c.Name;
        EXPECT_EQ(given.IsCompact(), read.IsCompact()) << c.Name;
        EXPECT_EQ(ReadInOrder(given), ReadInOrder(read)) << c.Name;
        TPartCounts copy;
        copy.Hold();
        copy = given;
        EXPECT_EQ(ReadInOrder(copy), ReadInOrder(read)) << c.Name;
    }
}

TEST(PartCounts, CopiesOfCompactLists) {
    TPacket sheet = TPacket::CreateFromParts(ManyParts({}));
    sheet.Label = "S";
    sheet.Quantity = 1;
    sheet.PartCounts.Qty(4) = 2;
    sheet.PartCounts.Qty(150) = 1;

    // Layouts kept in a plan hold compact counts, also through copies of the plan.
    TSchemes plan;
    plan.Packets.Add(sheet);
    plan.Packets.Add(TPacket(sheet));
    const TSchemes copy = plan;
    for (const TSchemes* s : {static_cast<const TSchemes*>(&plan), &copy}) {
        for (const TPacket& p : s->Packets) {
            EXPECT_TRUE(p.PartCounts.IsCompact());
            EXPECT_TRUE(p.PartCounts.SameQuantities(sheet.PartCounts));
        }
    }

    // A layout copied out is dense and on its own.
    TPacket work(plan[0]);
    EXPECT_FALSE(work.PartCounts.IsCompact());
    EXPECT_FALSE(work.PartCounts.Held());
    EXPECT_EQ(ReadInOrder(work.PartCounts), ReadInOrder(sheet.PartCounts));
    work.PartCounts.Qty(4) = 0;
    EXPECT_EQ(plan[0].PartCounts.Qty(4), 2);

    // A kept layout that takes another's counts stays compact.
    plan[1].Assign(work);
    EXPECT_TRUE(plan[1].PartCounts.IsCompact());
    EXPECT_EQ(plan[1].PartCounts.Qty(4), 0);
    EXPECT_EQ(plan[1].PartCounts.Qty(150), 1);
    EXPECT_EQ(copy[1].PartCounts.Qty(4), 2);

    // Merging by counts finds the equal layout whatever its form.
    plan.AddOrMergeLayout(sheet);
    EXPECT_EQ(plan.Count(), 2);
    EXPECT_EQ(plan[0].Quantity, 2);
}
