#include "engine/index_seeds.h"

#include <algorithm>
#include <functional>
#include <limits>
#include <utility>

std::int32_t TIndexSeedsSet::FindPos(std::int32_t Key) const {
    // Keys are unique and descending: the first key at most Key, searched
    // for between the bounds of Key's range when they are known.
    auto first = Keys_.begin(), last = Keys_.end();
    if (!Starts_.empty() && Key >= 0) {
        const auto range = static_cast<std::size_t>(Key >> Shift_);
        if (range >= Starts_.size()) return 0;
        if (Shift_ == 0) return Starts_[range];  // one key per range
        first = Keys_.begin() + Starts_[range];
        if (range > 0) last = Keys_.begin() + Starts_[range - 1];
    }
    return static_cast<std::int32_t>(std::lower_bound(first, last, Key, std::greater<>()) -
                                     Keys_.begin());
}

void TIndexSeedsSet::Add(const T2DStock& Block, std::int32_t SeedIndex) {
    const std::int32_t key = ByLength ? Block.Length : Block.Width;
    const std::int32_t other = ByLength ? Block.Width : Block.Length;
    const std::int32_t pos = FindPos(key);
    LeastTree_.clear();  // NextFitting scans until PrepareSearch runs again
    Leaves_ = 0;
    Starts_.clear();
    if (pos < Count() && KeyAt(pos) == key) {
        Groups[pos].Add(SeedIndex, other);
        return;
    }
    TIndexSeeds group = NewGroup(key);
    group.Add(SeedIndex, other);
    Groups.insert(Groups.begin() + pos, std::move(group));
    Keys_.insert(Keys_.begin() + pos, key);
}

TIndexSeeds TIndexSeedsSet::NewGroup(std::int32_t Key) const {
    TIndexSeeds group;
    group.SetKeyLength(ByLength ? Key : 0);
    group.SetKeyWidth(ByLength ? 0 : Key);
    return group;
}

void TIndexSeeds::Renumber(const std::vector<std::int32_t>& NewIndex) {
    std::size_t kept = 0;
    for (std::size_t k = 0; k < Indices.size(); ++k) {
        const std::int32_t to = NewIndex[static_cast<std::size_t>(Indices[k])];
        if (to < 0) continue;
        if (kept == 0 || Others[k] < LeastOther) LeastOther = Others[k];
        Indices[kept] = to;
        Others[kept] = Others[k];
        ++kept;
    }
    Indices.resize(kept);
    Others.resize(kept);
    if (!Ranked_) return;
    kept = 0;
    for (std::size_t k = 0; k < RankedIndices.size(); ++k) {
        const std::int32_t to = NewIndex[static_cast<std::size_t>(RankedIndices[k])];
        if (to < 0) continue;
        RankedIndices[kept] = to;
        RankedOthers[kept] = RankedOthers[k];
        ++kept;
    }
    RankedIndices.resize(kept);
    RankedOthers.resize(kept);
}

void TIndexSeedsSet::Renumber(const std::vector<std::int32_t>& NewIndex) {
    LeastTree_.clear();
    Leaves_ = 0;
    Starts_.clear();
    std::size_t kept = 0;
    for (std::size_t g = 0; g < Groups.size(); ++g) {
        Groups[g].Renumber(NewIndex);
        if (Groups[g].Count() == 0) continue;
        if (kept != g) {
            Groups[kept] = std::move(Groups[g]);
            Keys_[kept] = Keys_[g];
        }
        ++kept;
    }
    Groups.resize(kept);
    Keys_.resize(kept);
}

void TIndexSeedsSet::PrepareSearch() {
    const auto n = static_cast<std::int32_t>(Groups.size());
    // Key ranges of equal width: one per key while the keys are few (a
    // sheet's sides in most units), else about two per group; at most 65,536.
    Starts_.clear();
    if (n > 0 && Keys_.front() >= 0) {
        const std::int64_t top = Keys_.front();
        Shift_ = 0;
        if (top >= std::max<std::int64_t>(8 * n, 4096))
            while ((top >> Shift_) >= std::max<std::int64_t>(2 * n, 64) && Shift_ < 31) ++Shift_;
        while ((top >> Shift_) >= 65536) ++Shift_;
        Starts_.resize(static_cast<std::size_t>(top >> Shift_) + 1);
        // Range B starts at the first key at most its highest key.
        std::int32_t k = 0;
        for (auto b = static_cast<std::int64_t>(Starts_.size()) - 1; b >= 0; --b) {
            const std::int64_t highest = ((b + 1) << Shift_) - 1;
            while (k < n && Keys_[static_cast<std::size_t>(k)] > highest) ++k;
            Starts_[static_cast<std::size_t>(b)] = k;
        }
    }
    Leaves_ = 1;
    while (Leaves_ < n) Leaves_ *= 2;
    LeastTree_.assign(2 * static_cast<std::size_t>(Leaves_),
                      std::numeric_limits<std::int32_t>::max());
    for (std::int32_t g = 0; g < n; ++g)
        LeastTree_[static_cast<std::size_t>(Leaves_ + g)] =
            Groups[static_cast<std::size_t>(g)].LeastOtherSide();
    for (std::int32_t i = Leaves_ - 1; i >= 1; --i)
        LeastTree_[static_cast<std::size_t>(i)] =
            std::min(LeastTree_[2 * static_cast<std::size_t>(i)],
                     LeastTree_[2 * static_cast<std::size_t>(i) + 1]);
}

std::int32_t TIndexSeedsSet::NextFittingAfter(std::int32_t Pos, std::int32_t Room) const {
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
