// Seeds grouped by length or by width: groups of seed indices sharing one
// key, the groups ordered by key from the largest down, so that every seed
// no longer (or wider) than a given size is found longest first.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/stock2d.h"

// One group: the indices of the seeds that share a key, in the order added.
class TIndexSeeds {
  public:
    std::int32_t KeyLength = 0;  // the group's length (0 in a set keyed by width)
    std::int32_t KeyWidth = 0;   // the group's width (0 in a set keyed by length)

    TIndexSeeds() {
        Indices.reserve(64);
        Others.reserve(64);
    }

    void SetKeyLength(std::int32_t K) { KeyLength = K; }
    void SetKeyWidth(std::int32_t K) { KeyWidth = K; }

    // Other: the seed's side that is not the key (its width in a set keyed
    // by length), kept beside the index for the filler's size test.
    void Add(std::int32_t SeedIndex, std::int32_t Other = 0) {
        Indices.push_back(SeedIndex);
        Others.push_back(Other);
        if (Indices.size() == 1 || Other < LeastOther) LeastOther = Other;
        Ranked_ = false;
    }
    // Keeps the seeds whose NewIndex is not negative, under that index, in
    // their order.
    void Renumber(const std::vector<std::int32_t>& NewIndex);
    std::int32_t Count() const { return static_cast<std::int32_t>(Indices.size()); }
    std::int32_t operator[](std::int32_t Pos) const { return Indices[Pos]; }
    const std::vector<std::int32_t>& Items() const { return Indices; }
    // The other sides, parallel to Items, and the least of them.
    const std::vector<std::int32_t>& OtherSides() const { return Others; }
    std::int32_t LeastOtherSide() const { return LeastOther; }

    // The members again, most preferred first (see Rank), with their other
    // sides; valid while Ranked.
    const std::vector<std::int32_t>& RankedItems() const { return RankedIndices; }
    const std::vector<std::int32_t>& RankedOtherSides() const { return RankedOthers; }
    bool Ranked() const { return Ranked_; }
    // Ranks the members: Before(A, B) is true when seed A is preferred to
    // seed B (a strict weak order); equally preferred seeds keep the order
    // they were added in. Adding a seed undoes it; Renumber keeps it.
    template <class TBefore>
    void Rank(TBefore&& Before) {
        std::vector<std::size_t> pos(Indices.size());
        for (std::size_t k = 0; k < pos.size(); ++k) pos[k] = k;
        std::stable_sort(pos.begin(), pos.end(), [&](std::size_t A, std::size_t B) {
            return Before(Indices[A], Indices[B]);
        });
        RankedIndices.resize(pos.size());
        RankedOthers.resize(pos.size());
        for (std::size_t k = 0; k < pos.size(); ++k) {
            RankedIndices[k] = Indices[pos[k]];
            RankedOthers[k] = Others[pos[k]];
        }
        Ranked_ = true;
    }

  private:
    // Seed indices are 32-bit: a run with many small part kinds can make
    // more seeds than a 16-bit index could number.
    std::vector<std::int32_t> Indices;
    std::vector<std::int32_t> Others;
    std::int32_t LeastOther = 0;
    std::vector<std::int32_t> RankedIndices;
    std::vector<std::int32_t> RankedOthers;
    bool Ranked_ = false;
};

// The groups of one set, keys unique and strictly descending.
class TIndexSeedsSet {
  public:
    // True: blocks are filed by their Length; False: by their Width.
    bool ByLength = true;

    TIndexSeedsSet() { Groups.reserve(1024); }

    void Clear() {
        Groups.clear();
        Keys_.clear();
        LeastTree_.clear();
        Leaves_ = 0;
        Starts_.clear();
    }
    std::int32_t Count() const { return static_cast<std::int32_t>(Groups.size()); }
    const TIndexSeeds& Group(std::int32_t Pos) const { return Groups[Pos]; }
    std::int32_t KeyAt(std::int32_t Pos) const {
        return ByLength ? Groups[Pos].KeyLength : Groups[Pos].KeyWidth;
    }

    // The position of the group whose key equals Key; without one, the
    // position of the first group with a smaller key (the number of groups
    // when every key is larger).
    std::int32_t FindPos(std::int32_t Key) const;

    // Files SeedIndex under Block's Length (or Width).
    void Add(const T2DStock& Block, std::int32_t SeedIndex);
    // Keeps the seeds whose NewIndex is not negative, under that index (in
    // the order of their old ones), dropping the groups left empty: as
    // Add of each kept seed in turn would file them.
    void Renumber(const std::vector<std::int32_t>& NewIndex);

    // Ranks every group not ranked since its last Add (TIndexSeeds::Rank).
    template <class TBefore>
    void RankGroups(TBefore&& Before) {
        for (TIndexSeeds& g : Groups)
            if (!g.Ranked()) g.Rank(Before);
    }

    // Readies NextFitting after groups were added.
    void PrepareSearch();
    // The first group at or after Pos (in key order) holding a seed whose
    // other side is at most Room; Count() when there is none. Fast once
    // PrepareSearch has run after the last Add.
    std::int32_t NextFitting(std::int32_t Pos, std::int32_t Room) const {
        // Most often the group at Pos holds one.
        if (Leaves_ > 0 && Pos < Count() &&
            LeastTree_[static_cast<std::size_t>(Leaves_ + Pos)] <= Room)
            return Pos;
        return NextFittingAfter(Pos, Room);
    }

  private:
    std::vector<TIndexSeeds> Groups;
    std::vector<std::int32_t> Keys_;  // the groups' keys, side by side for FindPos
    // The least other sides of the groups as a tree of minima: leaf
    // Leaves_ + g is group g, node i the least of nodes 2i and 2i + 1.
    std::vector<std::int32_t> LeastTree_;
    std::int32_t Leaves_ = 0;
    // After PrepareSearch: for keys from B << Shift_ to ((B + 1) << Shift_) - 1,
    // FindPos lies from Starts_[B] to Starts_[B - 1] (or Count() for B 0).
    std::vector<std::int32_t> Starts_;
    int Shift_ = 0;
    // NextFitting past its first test.
    std::int32_t NextFittingAfter(std::int32_t Pos, std::int32_t Room) const;
    // An empty group of this set's key.
    TIndexSeeds NewGroup(std::int32_t Key) const;
};
