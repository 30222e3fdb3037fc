#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "engine/index_seeds.h"

namespace {

T2DStock Block(std::int32_t Length, std::int32_t Width) {
    T2DStock b;
    b.Length = Length;
    b.Width = Width;
    return b;
}

std::vector<std::int32_t> Keys(const TIndexSeedsSet& Set) {
    std::vector<std::int32_t> keys;
    for (int i = 0; i < Set.Count(); ++i) keys.push_back(Set.KeyAt(i));
    return keys;
}

}  // namespace

TEST(IndexSeedsSet, GroupsByKeyDescendingKeepingOrderOfAdding) {
    TIndexSeedsSet set;
    set.ByLength = true;
    set.Add(Block(500, 1), 0);
    set.Add(Block(800, 2), 1);
    set.Add(Block(500, 3), 2);
    set.Add(Block(300, 4), 3);
    ASSERT_EQ(Keys(set), (std::vector<std::int32_t>{800, 500, 300}));
    EXPECT_EQ(set.Group(0).Items(), (std::vector<std::int32_t>{1}));
    EXPECT_EQ(set.Group(1).Items(), (std::vector<std::int32_t>{0, 2}));
    EXPECT_EQ(set.Group(2).Items(), (std::vector<std::int32_t>{3}));
    EXPECT_EQ(set.Group(1).KeyLength, 500);
    EXPECT_EQ(set.Group(1).KeyWidth, 0);
}

TEST(IndexSeedsSet, RenumberFilesAsAddingTheKeptSeedsOneAfterTheOther) {
    // Repeated keys and other sides in both sets; every third seed and every
    // seed of one key (its group goes) are dropped, before and after the
    // search is readied.
    for (bool byLength : {true, false}) {
        for (int prepared = 0; prepared < 2; ++prepared) {
            TIndexSeedsSet all, kept;
            all.ByLength = kept.ByLength = byLength;
            std::vector<std::int32_t> newIndex(401, -1), keptOther(401, 0);
            std::int32_t next = 1;
            for (std::int32_t i = 0; i < 400; ++i) {
                const std::int32_t length = (i * 37) % 23 + 1, width = (i * 53) % 19 + 1;
                all.Add(Block(length, width), i + 1);
                if (i % 3 == 0 || (byLength ? length : width) == 7) continue;
                newIndex[static_cast<std::size_t>(i) + 1] = next;
                keptOther[static_cast<std::size_t>(next)] = byLength ? width : length;
                kept.Add(Block(length, width), next++);
            }
            // Ranked by the other side, widest first (ties in the order
            // added): a renumbered ranking is the ranking of the kept seeds.
            std::vector<std::int32_t> otherOf(401, 0);
            for (std::int32_t i = 0; i < 400; ++i)
                otherOf[static_cast<std::size_t>(i) + 1] =
                    byLength ? (i * 53) % 19 + 1 : (i * 37) % 23 + 1;
            all.RankGroups([&](std::int32_t A, std::int32_t B) {
                return otherOf[static_cast<std::size_t>(A)] > otherOf[static_cast<std::size_t>(B)];
            });
            if (prepared == 1) all.PrepareSearch();
            all.Renumber(newIndex);
            ASSERT_EQ(all.Count(), kept.Count());
            for (int g = 0; g < kept.Count(); ++g) {
                EXPECT_EQ(all.Group(g).KeyLength, kept.Group(g).KeyLength);
                EXPECT_EQ(all.Group(g).KeyWidth, kept.Group(g).KeyWidth);
                EXPECT_EQ(all.Group(g).Items(), kept.Group(g).Items());
                EXPECT_EQ(all.Group(g).OtherSides(), kept.Group(g).OtherSides());
                EXPECT_EQ(all.Group(g).LeastOtherSide(), kept.Group(g).LeastOtherSide());
                ASSERT_TRUE(all.Group(g).Ranked());
                std::vector<std::int32_t> ranked = kept.Group(g).Items();
                std::stable_sort(ranked.begin(), ranked.end(), [&](std::int32_t A, std::int32_t B) {
                    return keptOther[static_cast<std::size_t>(A)] >
                           keptOther[static_cast<std::size_t>(B)];
                });
                EXPECT_EQ(all.Group(g).RankedItems(), ranked);
                std::vector<std::int32_t> rankedOthers;
                for (const std::int32_t k : ranked)
                    rankedOthers.push_back(keptOther[static_cast<std::size_t>(k)]);
                EXPECT_EQ(all.Group(g).RankedOtherSides(), rankedOthers);
            }
            for (std::int32_t key = 0; key <= 25; ++key) {
                EXPECT_EQ(all.FindPos(key), kept.FindPos(key));
                for (std::int32_t room = 0; room <= 20; ++room)
                    EXPECT_EQ(all.NextFitting(all.FindPos(key), room),
                              kept.NextFitting(kept.FindPos(key), room));
            }
        }
    }
}

TEST(IndexSeedsSet, FindPosGivesEqualOrNextSmallerKey) {
    TIndexSeedsSet set;
    EXPECT_EQ(set.FindPos(123), 0);
    for (std::int32_t k : {800, 500, 300}) set.Add(Block(k, 1), 0);
    EXPECT_EQ(set.FindPos(600), 1);
    EXPECT_EQ(set.FindPos(900), 0);
    EXPECT_EQ(set.FindPos(100), 3);
    EXPECT_EQ(set.FindPos(500), 1);
    EXPECT_EQ(set.FindPos(800), 0);
    EXPECT_EQ(set.FindPos(300), 2);
}

TEST(IndexSeedsSet, ManyKeysStayDescendingAndFindable) {
    // Keys next to each other, and keys spread up to a sheet's length in
    // thousandths of a millimetre, before and after the search is readied.
    for (std::int32_t spread : {1, 2447}) {
        TIndexSeedsSet set;
        set.ByLength = false;
        // Keys in a scrambled order, several seeds per key.
        for (std::int32_t i = 0; i < 3000; ++i) set.Add(Block(1, ((i * 7919) % 997) * spread + 1), i);
        ASSERT_EQ(set.Count(), 997);
        for (int i = 1; i < set.Count(); ++i) ASSERT_GT(set.KeyAt(i - 1), set.KeyAt(i));
        for (int prepared = 0; prepared < 2; ++prepared) {
            if (prepared == 1) set.PrepareSearch();
            for (std::int32_t k = 0; k <= 1000; ++k)
                for (std::int32_t key : {k * spread - 1, k * spread, k * spread + 1, k * spread + spread / 2}) {
                    const int pos = set.FindPos(key);
                    int expected = 0;
                    while (expected < set.Count() && set.KeyAt(expected) > key) ++expected;
                    ASSERT_EQ(pos, expected) << key << " " << prepared;
                }
        }
        EXPECT_EQ(set.Group(0).KeyWidth, 996 * spread + 1);
        EXPECT_EQ(set.Group(0).KeyLength, 0);
    }
}

// The first group from a position on that holds a seed no wider than the
// room, the same before and after the search is readied, for every start
// and room.
TEST(IndexSeedsSet, NextFittingFindsTheFirstGroupWithANarrowEnoughSeed) {
    TIndexSeedsSet set;
    for (std::int32_t i = 0; i < 700; ++i)
        set.Add(Block((i * 7919) % 251 + 1, (i * 104729) % 613 + 20), i);
    for (int prepared = 0; prepared < 2; ++prepared) {
        if (prepared == 1) set.PrepareSearch();
        for (std::int32_t pos = 0; pos <= set.Count(); pos += 3)
            for (std::int32_t room : {0, 19, 20, 21, 100, 350, 632, 700}) {
                std::int32_t expected = pos;
                while (expected < set.Count() && set.Group(expected).LeastOtherSide() > room)
                    ++expected;
                ASSERT_EQ(set.NextFitting(pos, room), expected) << pos << " " << room;
            }
    }
    // A group added later is found at once.
    set.Add(Block(1000, 5), 700);
    EXPECT_EQ(set.NextFitting(0, 5), 0);
}

TEST(IndexSeedsSet, SeedIndicesBeyondSixteenBitsAreKept) {
    TIndexSeedsSet set;
    set.Add(Block(10, 10), 40000);
    set.Add(Block(10, 10), 70000);
    EXPECT_EQ(set.Group(0).Items(), (std::vector<std::int32_t>{40000, 70000}));
}

// ---- seed blocks ----------------------------------------------------------------

#include <functional>
#include <set>
#include <string>

#include "engine/errors.h"
#include "engine/pubstr.h"
#include "engine/seeds.h"
#include "engine/trapezium.h"
#include "platform/clock.h"

namespace {

T2DStock PartOf(const std::string& Label, std::int32_t Length, std::int32_t Width,
                std::int32_t Quantity, bool CanRotate = true) {
    T2DStock p;
    p.Label = Label;
    p.Length = Length;
    p.Width = Width;
    p.Quantity = Quantity;
    p.CanRotate = CanRotate;
    return p;
}

// Seeds over Parts (numbered in order) on one sheet of Length x Width.
void Prepare(TSeeds& Seeds, std::vector<T2DStock> Parts, std::int32_t Length, std::int32_t Width) {
    Seeds.Clear();
    for (std::size_t i = 0; i < Parts.size(); ++i) {
        Parts[i].Index = static_cast<std::int32_t>(i);
        Seeds.Parts.AddCopy(Parts[i]);
    }
    T2DStock sheet;
    sheet.Index = 0;
    sheet.Label = "S";
    sheet.Length = Length;
    sheet.Width = Width;
    sheet.Quantity = 1;
    Seeds.Panels.AddCopy(sheet);
    Seeds.SetMaxLength(Length);
    Seeds.SetMaxWidth(Width);
}

std::multiset<std::string> QueuedSizes(const TSeeds& Seeds) {
    std::multiset<std::string> sizes;
    for (const auto& b : Seeds.Queue)
        sizes.insert(std::to_string(b->Length) + "x" + std::to_string(b->Width) + "/" +
                     std::to_string(b->TotalCount()));
    return sizes;
}

bool HasSeed(const TSeeds& Seeds, std::int32_t Length, std::int32_t Width,
             const std::vector<std::int32_t>& Counts) {
    for (std::int32_t s = 1; s < Seeds.SeedCount(); ++s) {
        const TPacket& b = Seeds.Seed(s);
        if (b.Length != Length || b.Width != Width) continue;
        bool same = true;
        for (std::size_t i = 0; i < Counts.size(); ++i)
            same = same && b.PartCounts.Qty(static_cast<int>(i)) == Counts[i];
        if (same) return true;
    }
    return false;
}

class SeedsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        platform::SetClockHook([] { return std::int64_t{0}; });
        RollingMode = false;
        KeepPlacements = true;
    }
    TSeeds seeds;
};

}  // namespace

TEST_F(SeedsTest, GridBlocksInBothOrientationsOnlyWhenThePartMayTurn) {
    Prepare(seeds, {PartOf("A", 300, 200, 4)}, 1000, 500);
    seeds.AddBaseSeeds();
    EXPECT_EQ(SeedQueueCount, 9);
    EXPECT_EQ(
        QueuedSizes(seeds),
        (std::multiset<std::string>{"300x200/1", "300x400/2", "600x200/2", "600x400/4", "900x200/3",
                                    "200x300/1", "400x300/2", "600x300/3", "800x300/4"}));

    Prepare(seeds, {PartOf("A", 300, 200, 4, false)}, 1000, 500);
    seeds.AddBaseSeeds();
    EXPECT_EQ(SeedQueueCount, 5);
    for (const auto& b : seeds.Queue)
        for (const T2DStock& p : b->Placements) EXPECT_FALSE(p.Rotated);

    Prepare(seeds, {PartOf("Q", 200, 200, 1)}, 1000, 500);
    seeds.AddBaseSeeds();
    EXPECT_EQ(QueuedSizes(seeds), (std::multiset<std::string>{"200x200/1"}));
}

TEST_F(SeedsTest, RollingModeGivesSingleColumns) {
    RollingMode = true;
    Prepare(seeds, {PartOf("A", 300, 200, 10, false)}, 1000, 500);
    seeds.AddBaseSeeds();
    EXPECT_EQ(QueuedSizes(seeds), (std::multiset<std::string>{"300x200/1", "300x400/2"}));
}

TEST_F(SeedsTest, SmallPartWithLargeQuantityMakesOnlyTheKeptBlocks) {
    // 200 x 200 grid positions: all blocks together would hold 400 million
    // pieces; only single rows and columns are kept.
    Prepare(seeds, {PartOf("tiny", 10, 10, 1000000)}, 2000, 2000);
    seeds.AddBaseSeeds();
    EXPECT_EQ(SeedQueueCount, 40000);
    EXPECT_EQ(seeds.Queue.size(), 399u);

    Prepare(seeds, {PartOf("tiny", 10, 10, 1000000)}, 2000, 2000);
    seeds.Build();
    EXPECT_TRUE(HasSeed(seeds, 2000, 10, {200}));
    EXPECT_TRUE(HasSeed(seeds, 10, 2000, {200}));
    EXPECT_FALSE(HasSeed(seeds, 20, 20, {4}));
    // Pinwheels of a row and a column round a single piece come on top.
    EXPECT_TRUE(HasSeed(seeds, 30, 30, {9}));
}

TEST_F(SeedsTest, NearlyEqualLengthsCombineWithinTheTolerance) {
    // Part kinds without pieces make no blocks but set the tolerance.
    auto parts = [](int Kinds) {
        std::vector<T2DStock> list = {PartOf("A", 1025, 100, 1), PartOf("B", 1000, 100, 1)};
        for (int i = 2; i < Kinds; ++i) list.push_back(PartOf("Z" + std::to_string(i), 5, 5, 0));
        return list;
    };
    Prepare(seeds, parts(8), 2000, 1000);
    seeds.Build();
    EXPECT_TRUE(HasSeed(seeds, 1025, 200, {1, 1}));
    EXPECT_TRUE(seeds.Keys.empty());

    Prepare(seeds, parts(20), 2000, 1000);
    seeds.Build();
    EXPECT_FALSE(HasSeed(seeds, 1025, 200, {1, 1}));
}

TEST_F(SeedsTest, ShapedPairsTurnOnlyWhenThePartMayTurn) {
    TTrapezium z;
    z.Label = "T";
    z.Bottom = 100;
    z.Top = 60;
    z.TopOffset = 40;
    z.Param6 = 0;
    z.Param3 = 20;
    z.Height = 50;
    TrapeziumList.AddOrUpdate(z);
    T2DStock part = PartOf("T", 120, 50, 4, false);
    part.ShapeKind = skShaped;
    Prepare(seeds, {part}, 1000, 1000);
    seeds.AddBaseSeeds();
    ASSERT_FALSE(seeds.Queue.empty());
    for (const auto& b : seeds.Queue)
        for (const T2DStock& p : b->Placements) EXPECT_FALSE(p.Rotated);
    const std::int32_t fixedCount = SeedQueueCount;

    part.CanRotate = true;
    Prepare(seeds, {part}, 1000, 1000);
    seeds.AddBaseSeeds();
    EXPECT_EQ(SeedQueueCount, 2 * fixedCount);
    // Pairs: every second piece of a row stands half turned.
    bool halfTurned = false;
    for (const auto& b : seeds.Queue)
        for (const T2DStock& p : b->Placements) halfTurned = halfTurned || p.TurnState == 3;
    EXPECT_TRUE(halfTurned);
}

TEST_F(SeedsTest, FillPanelFillsSheetsWithinTheParts) {
    std::vector<T2DStock> parts = {PartOf("A", 250, 250, 8), PartOf("B", 150, 100, 30)};
    Prepare(seeds, parts, 1000, 500);
    seeds.Build();
    EXPECT_EQ(seeds.Seed(0).Length, 0);
    EXPECT_EQ(seeds.Seed(0).Width, 0);

    TPacket sheet = TPacket::CreateFromParts(seeds.Parts);
    sheet.Length = 1000;
    sheet.Width = 500;
    sheet.Index = 0;
    sheet.Label = "S";
    TSchemes plan;
    for (bool random : {false, true}) {
        for (std::int32_t strategy = 1; strategy <= 4; ++strategy) {
            const std::int64_t seedBefore = PubRandSeed;
            seeds.FillPanel(seeds.Parts, sheet, plan, random, strategy);
            EXPECT_NE(PubRandSeed, seedBefore);  // the skip divisor is always drawn
        }
    }
    ASSERT_GT(plan.Count(), 0);
    for (const TPacket& layout : plan.Packets) {
        EXPECT_EQ(layout.Quantity, 0);
        EXPECT_FALSE(layout.PartCounts.AnyQtyGreater(seeds.Parts));
        for (int i = 0; i < layout.Placements.Count(); ++i) {
            const TRect r = layout.Placements[i].BoundsRect();
            EXPECT_TRUE(r.Left >= 0 && r.Top >= 0 && r.Right <= 1000 && r.Bottom <= 500);
            for (int k = 0; k < i; ++k) {
                const TRect o = layout.Placements[k].BoundsRect();
                EXPECT_FALSE(r.Left < o.Right && o.Left < r.Right && r.Top < o.Bottom &&
                             o.Top < r.Bottom);
            }
        }
    }
    // Some layout covers the whole sheet: 8 x A fill 1000 x 500.
    bool full = false;
    for (const TPacket& layout : plan.Packets) full = full || layout.UsedValue() == 100.0;
    EXPECT_TRUE(full);
}

// With many part kinds a rebuild for fewer pieces keeps the seeds within
// them; the seeds, their order and their groups are those a new build makes,
// also when the quantities fall so low that the build takes another path, or
// when a quantity grows.
TEST_F(SeedsTest, RebuildForFewerPiecesGivesTheSeedsOfANewBuild) {
    std::vector<T2DStock> parts;
    for (int i = 0; i < 150; ++i)
        parts.push_back(PartOf("P" + std::to_string(i), 40 + (i * 37) % 300, 30 + (i * 53) % 200,
                               1 + i % 4, i % 3 != 0));
    auto describe = [](const TSeeds& S) {
        std::string text;
        for (std::int32_t k = 0; k < S.SeedCount(); ++k) {
            text += std::to_string(S.Seed(k).Length) + "x" + std::to_string(S.Seed(k).Width);
            for (const auto& c : S.SeedInfo(k).Counts)
                text += ":" + std::to_string(c.Index) + "=" + std::to_string(c.Qty);
            text += " ";
        }
        for (const TIndexSeedsSet* set : {&S.ByLength, &S.ByWidth})
            for (std::int32_t g = 0; g < set->Count(); ++g) {
                text += "|" + std::to_string(set->KeyAt(g));
                for (std::int32_t k : set->Group(g).Items()) text += "," + std::to_string(k);
            }
        return text;
    };
    Prepare(seeds, parts, 1000, 600);
    seeds.Build();
    TPanels stock(seeds.Panels);
    // Fewer pieces of some parts, none of others; then almost none at all;
    // then more again.
    const std::vector<std::function<std::int32_t(int, std::int32_t)>> steps = {
        [](int i, std::int32_t q) { return i % 5 == 0 ? 0 : q - (i % 2); },
        [](int i, std::int32_t q) { return i < 3 ? q : 0; },
        [](int i, std::int32_t) { return 1 + i % 3; }};
    for (const auto& step : steps) {
        TPanels fewer(seeds.Parts);
        for (int i = 0; i < fewer.Count(); ++i) fewer[i].Quantity = std::max(0, step(i, fewer[i].Quantity));
        seeds.Rebuild(fewer, stock);
        const std::int32_t queued = SeedQueueCount;
        TSeeds fresh;
        Prepare(fresh, parts, 1000, 600);
        fresh.Parts.Assign(fewer);
        fresh.Build();
        EXPECT_EQ(queued, SeedQueueCount);
        ASSERT_EQ(describe(seeds), describe(fresh));
    }
}

TEST_F(SeedsTest, FillPanelRefusesQuantitiesOfAnotherPartList) {
    Prepare(seeds, {PartOf("A", 250, 250, 8), PartOf("B", 150, 100, 3)}, 1000, 500);
    seeds.Build();
    TPacket sheet = TPacket::CreateFromParts(seeds.Parts);
    sheet.Length = 1000;
    sheet.Width = 500;
    TPanels fewer;
    fewer.AddCopy(seeds.Parts[0]);
    TSchemes plan;
    EXPECT_THROW(seeds.FillPanel(fewer, sheet, plan, false, 1), EListError);
    EXPECT_EQ(plan.Count(), 0);
}
