#include "engine/index_seeds.h"

#include <utility>

std::int32_t TIndexSeedsSet::FindPos(std::int32_t Key) const {
    const std::int32_t n = Count();
    if (n == 0) return 0;
    std::int32_t lo = 0;
    std::int32_t hi = n;
    while (hi - lo > 2) {
        const std::int32_t mid = (lo + hi) / 2;
        const std::int32_t k = KeyAt(mid);
        if (k == Key) return mid;
        if (k > Key)
            lo = mid;
        else
            hi = mid;
    }
    for (std::int32_t i = lo; i < n; ++i)
        if (KeyAt(i) <= Key) return i;
    return n;
}

void TIndexSeedsSet::Add(const T2DStock& Block, std::int32_t SeedIndex) {
    const std::int32_t key = ByLength ? Block.Length : Block.Width;
    const std::int32_t other = ByLength ? Block.Width : Block.Length;
    const std::int32_t pos = FindPos(key);
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
}
