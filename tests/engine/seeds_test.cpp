#include <gtest/gtest.h>

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
    TIndexSeedsSet set;
    set.ByLength = false;
    // Keys in a scrambled order, several seeds per key.
    for (std::int32_t i = 0; i < 3000; ++i) set.Add(Block(1, (i * 7919) % 997 + 1), i);
    ASSERT_EQ(set.Count(), 997);
    for (int i = 1; i < set.Count(); ++i) ASSERT_GT(set.KeyAt(i - 1), set.KeyAt(i));
    for (std::int32_t key = 0; key <= 1000; ++key) {
        const int pos = set.FindPos(key);
        int expected = 0;
        while (expected < set.Count() && set.KeyAt(expected) > key) ++expected;
        ASSERT_EQ(pos, expected) << key;
    }
    EXPECT_EQ(set.Group(0).KeyWidth, 997);
    EXPECT_EQ(set.Group(0).KeyLength, 0);
}

TEST(IndexSeedsSet, SeedIndicesBeyondSixteenBitsAreKept) {
    TIndexSeedsSet set;
    set.Add(Block(10, 10), 40000);
    set.Add(Block(10, 10), 70000);
    EXPECT_EQ(set.Group(0).Items(), (std::vector<std::int32_t>{40000, 70000}));
}
