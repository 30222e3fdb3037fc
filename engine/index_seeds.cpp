#include "engine/index_seeds.h"

#include <algorithm>
#include <functional>
#include <limits>
#include <utility>

std::int32_t TIndexSeedsSet::FindPos(std::int32_t Key) const {
    // Keys are unique and descending: the first key at most Key.
    return static_cast<std::int32_t>(
        std::lower_bound(Keys_.begin(), Keys_.end(), Key, std::greater<>()) - Keys_.begin());
}

void TIndexSeedsSet::Add(const T2DStock& Block, std::int32_t SeedIndex) {
    const std::int32_t key = ByLength ? Block.Length : Block.Width;
    const std::int32_t other = ByLength ? Block.Width : Block.Length;
    const std::int32_t pos = FindPos(key);
    LeastTree_.clear();  // NextFitting scans until PrepareSearch runs again
    Leaves_ = 0;
    if (pos < Count() && KeyAt(pos) == key) {
        Groups[pos].Add(SeedIndex, other);
        return;
    }
    TIndexSeeds group;
    if (ByLength) {
        group.SetKeyLength(key);
        group.SetKeyWidth(0);
    } else {
        group.SetKeyWidth(key);
        group.SetKeyLength(0);
    }
    group.Add(SeedIndex, other);
    Groups.insert(Groups.begin() + pos, std::move(group));
    Keys_.insert(Keys_.begin() + pos, key);
}

void TIndexSeedsSet::PrepareSearch() {
    const auto n = static_cast<std::int32_t>(Groups.size());
    Leaves_ = 1;
    while (Leaves_ < n) Leaves_ *= 2;
    LeastTree_.assign(2 * static_cast<std::size_t>(Leaves_),
                      std::numeric_limits<std::int32_t>::max());
    for (std::int32_t g = 0; g < n; ++g)
        LeastTree_[static_cast<std::size_t>(Leaves_ + g)] = Groups[static_cast<std::size_t>(g)].LeastOtherSide();
    for (std::int32_t i = Leaves_ - 1; i >= 1; --i)
        LeastTree_[static_cast<std::size_t>(i)] =
            std::min(LeastTree_[2 * static_cast<std::size_t>(i)],
                     LeastTree_[2 * static_cast<std::size_t>(i) + 1]);
}

std::int32_t TIndexSeedsSet::NextFitting(std::int32_t Pos, std::int32_t Room) const {
    const std::int32_t n = Count();
    if (Pos >= n) return n;
    if (Leaves_ == 0) {
        for (std::int32_t g = Pos; g < n; ++g)
            if (Groups[static_cast<std::size_t>(g)].LeastOtherSide() <= Room) return g;
        return n;
    }
    auto least = [this](std::int32_t Node) { return LeastTree_[static_cast<std::size_t>(Node)]; };
    std::int32_t i = Leaves_ + Pos;
    if (least(i) <= Room) return Pos;
    // Up until a right neighbour's subtree holds a fitting group, then down
    // to its first fitting leaf.
    for (;;) {
        if (i == 1) return n;
        if ((i & 1) == 0 && least(i + 1) <= Room) {
            ++i;
            break;
        }
        i /= 2;
    }
    while (i < Leaves_) {
        i *= 2;
        if (least(i) > Room) ++i;
    }
    return i - Leaves_;
}
