// The engine's ordered, owning list of pieces, with quantity arithmetic
// between lists that describe the same part or sheet types in the same order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <iterator>
#include <memory>
#include <utility>
#include <vector>

#include "engine/stock2d.h"

// Throws EListError "List index out of bounds (Index)".
[[noreturn]] void ThrowListIndexError(std::int64_t Index);

// An ordered list of pieces held by value in contiguous storage. The list owns
// its pieces; copies are deep (the edge type reference of a piece is shared).
// A reference to an item stays valid until the list grows or shrinks.
//
// Lists derived from a list of types (counts, weights, remaining quantities)
// hold one item per type in the same order, item i carrying Index = i. The
// quantity arithmetic addresses its target by the source item's Index; the
// comparisons address both lists by position and read the other list at
// every position of this one (a missing position is a list-index error).
class TPartCounts;

class TPanels {
  public:
    TPanels();
    TPanels(const TPanels& Source);
    TPanels(TPanels&& Source) noexcept = default;
    TPanels& operator=(const TPanels& Source);
    TPanels& operator=(TPanels&& Source) noexcept = default;
    ~TPanels() = default;

    static TPanels CreateCopy(const TPanels& Source) { return TPanels(Source); }

    int Count() const { return static_cast<int>(Items_.size()); }
    bool Empty() const { return Items_.empty(); }
    // Checked access: a position outside the list throws EListError.
    T2DStock& operator[](int Index) {
        if (Index < 0 || Index >= Count()) ThrowListIndexError(Index);
        return Items_[static_cast<std::size_t>(Index)];
    }
    const T2DStock& operator[](int Index) const {
        if (Index < 0 || Index >= Count()) ThrowListIndexError(Index);
        return Items_[static_cast<std::size_t>(Index)];
    }
    T2DStock& First() { return (*this)[0]; }
    T2DStock& Last() { return (*this)[Count() - 1]; }

    auto begin() { return Items_.begin(); }
    auto end() { return Items_.end(); }
    auto begin() const { return Items_.begin(); }
    auto end() const { return Items_.end(); }

    // Frees every piece and empties the list.
    void Clear() { Items_.clear(); }
    // Appends a plain copy of Piece (T2DStock::CreateCopy, whatever Piece's
    // class); returns its position.
    int AddCopy(const T2DStock& Piece);
    // Clear, then AppendCopies(Source).
    void Assign(const TPanels& Source);
    // AddCopy of every item of Source, in order.
    void AppendCopies(const TPanels& Source);
    // Removes the item at Index (checked).
    void Delete(int Index);
    // Inserts a plain copy of Piece before Index (0..Count, checked).
    void Insert(int Index, const T2DStock& Piece);
    // Swaps the items at I and J (checked).
    void Exchange(int I, int J);

    // item[Piece.Index].Quantity += / -= Piece.Quantity.
    void AddQuantityOf(const T2DStock& Piece);
    void SubtractQuantityOf(const T2DStock& Piece);
    // For i over this list's positions: AddQuantityOf(Other[i]) /
    // SubtractQuantityOf(Other[i]).
    void AddQuantities(const TPanels& Other);
    void SubtractQuantities(const TPanels& Other);

    // Some own[i].Quantity > Other[i].Quantity (False when empty).
    bool AnyQtyGreater(const TPanels& Other) const;
    // Every own[i].Quantity = Other[i].Quantity (True when empty).
    bool SameQuantities(const TPanels& Other) const;
    // Every own[i].Quantity <= Other[i].Quantity (True when empty).
    bool AllQtyNotGreater(const TPanels& Other) const;
    // The first differing position decides (own greater: True); all equal: False.
    bool QtyGreaterLex(const TPanels& Other) const;
    // Every Quantity <= 0 (True when empty).
    bool AllZero() const;
    // Each own item has, as the first item of Other with the same Label and
    // Material (exact comparison), an item of the same Quantity.
    bool SameItems(const TPanels& Other) const;

    // Sum of Quantity.
    std::int32_t TotalQty() const;
    // Sum of Quantity x Area.
    double TotalArea() const;
    // Some item has Length >= ALength and Width >= AWidth (no turning).
    bool AnyFits(std::int32_t ALength, std::int32_t AWidth) const;

    // Value of a candidate layout whose per-part counts this list holds:
    // -1.0 as soon as a count exceeds the remaining quantity, else the sum of
    // c x w x r / ((q + 1) x (o + 1)), each term divided by 1.02 when q - r >= o.
    // AvgArea does not enter the result.
    double Score(const TPanels& Remaining, const TPanels& Wanted, const TPanels& Weights,
                 const TPanels& Other, double AvgArea = 0.0) const;
    // This list holds one weight per part type in Quantity. Weights up to
    // 9999999 become round((Counts[i] / avg + 1) x w), avg = TotalQty(Wanted)
    // div Count(Wanted). Throws ERangeError when Wanted is empty, its average
    // is 0, or a weight leaves 32 bits.
    void RaiseWeights(const TPanels& Counts, const TPanels& Wanted, double AvgArea = 0.0);
    // Weights up to 9999999 become round((1 - Counts[i] / total) x w), total =
    // TotalQty(Wanted). Throws ERangeError when total is 0 or a weight leaves
    // 32 bits.
    void LowerWeights(const TPanels& Counts, const TPanels& Wanted, double AvgArea = 0.0);
    void LowerWeights(const TPartCounts& Counts, const TPanels& Wanted);

    // Direct access to the storage, for code that walks the items in bulk.
    std::vector<T2DStock>& Items() { return Items_; }
    const std::vector<T2DStock>& Items() const { return Items_; }

  private:
    std::vector<T2DStock> Items_;
};

// The per-part counts of a layout: one count per part type, by position. The
// part descriptions (a part list's items with their Quantity left out) are
// shared, read-only, by every count list made from equal part lists, so a
// layout costs at most one number per part type.
//
// The counts take one of two forms. Dense: one number per part. Compact: the
// non-zero counts only, as (position, count) pairs by ascending position. A
// list held in a list of layouts (Hold) keeps the compact form whenever it
// has many parts and few of them counted, so thousands of kept layouts of a
// job with thousands of part kinds cost what their pieces are, not what the
// job is. Every reading gives the same answer in either form; writing a
// single count (Qty(Index) as a reference) turns a compact list dense, and a
// copy made by construction is dense, ready to be worked on.
class TPartCounts {
  public:
    // Lists of fewer parts always stay dense.
    static constexpr int CompactFrom = 128;

    // Every count by position, read-only, whatever the form; valid until
    // the list changes. Reading in order (an iterator) costs the same in
    // both forms; a position read out of order costs a search in the
    // compact form.
    class TView {
      public:
        class iterator {
          public:
            using iterator_category = std::forward_iterator_tag;
            using value_type = std::int32_t;
            using difference_type = std::ptrdiff_t;
            using pointer = const std::int32_t*;
            using reference = std::int32_t;
            iterator() = default;
            std::int32_t operator*() const {
                if (Dense_ != nullptr) return Dense_[Position_];
                return Pair_ != PairsEnd_ && static_cast<std::size_t>(Pair_[0]) == Position_
                           ? Pair_[1]
                           : 0;
            }
            iterator& operator++() {
                if (Dense_ == nullptr && Pair_ != PairsEnd_ &&
                    static_cast<std::size_t>(Pair_[0]) == Position_)
                    Pair_ += 2;
                ++Position_;
                return *this;
            }
            iterator operator++(int) {
                iterator t = *this;
                ++*this;
                return t;
            }
            friend bool operator==(const iterator& A, const iterator& B) {
                return A.Position_ == B.Position_;
            }

          private:
            friend class TView;
            const std::int32_t* Dense_ = nullptr;
            const std::int32_t* Pair_ = nullptr;
            const std::int32_t* PairsEnd_ = nullptr;
            std::size_t Position_ = 0;
        };

        std::size_t size() const { return Size_; }
        bool empty() const { return Size_ == 0; }
        // Unchecked, as a vector's.
        std::int32_t operator[](std::size_t Index) const {
            return Dense_ != nullptr ? Dense_[Index] : Find(Index);
        }
        iterator begin() const { return At(0, Pairs_); }
        iterator end() const { return At(Size_, PairsEnd_); }

      private:
        friend class TPartCounts;
        iterator At(std::size_t Position, const std::int32_t* Pair) const {
            iterator i;
            i.Dense_ = Dense_;
            i.Pair_ = Pair;
            i.PairsEnd_ = PairsEnd_;
            i.Position_ = Position;
            return i;
        }
        std::int32_t Find(std::size_t Index) const;
        const std::int32_t* Dense_ = nullptr;
        const std::int32_t* Pairs_ = nullptr;
        const std::int32_t* PairsEnd_ = nullptr;
        std::size_t Size_ = 0;
    };

    // Reads the counts at ascending positions, each read in constant time in
    // either form. Checked as Qty; a position below one read before is not
    // allowed.
    class TReader {
      public:
        explicit TReader(const TPartCounts& Counts)
            : Counts_(&Counts), Pair_(Counts.Data_.data()) {}
        std::int32_t At(int Index) {
            const std::size_t i = Counts_->Checked(Index);
            if (!Counts_->Compact_) return Counts_->Data_[i];
            const std::int32_t* end = Counts_->Data_.data() + Counts_->Data_.size();
            while (Pair_ != end && Pair_[0] < Index) Pair_ += 2;
            return Pair_ != end && Pair_[0] == Index ? Pair_[1] : 0;
        }

      private:
        const TPartCounts* Counts_;
        const std::int32_t* Pair_;
    };

    TPartCounts() = default;
    // A dense copy, not held.
    TPartCounts(const TPartCounts& Source);
    TPartCounts(TPartCounts&& Source) noexcept;
    // The counts of Source; a held list stays held and compact where it pays.
    TPartCounts& operator=(const TPartCounts& Source);
    TPartCounts& operator=(TPartCounts&& Source) noexcept;
    ~TPartCounts() = default;

    int Count() const { return Count_; }
    // Checked access: a position outside the list throws EListError.
    std::int32_t Qty(int Index) const {
        const std::size_t i = Checked(Index);
        return Compact_ ? Find(i) : Data_[i];
    }
    // The count to change; a compact list turns dense first.
    std::int32_t& Qty(int Index) {
        const std::size_t i = Checked(Index);
        if (Compact_) MakeDense();
        return Data_[i];
    }
    // The description of part Index; its Quantity means nothing.
    const T2DStock& Part(int Index) const { return (*Parts_)[Checked(Index)]; }
    // The description to change; it stops being shared with other lists.
    T2DStock& EditPart(int Index);
    TView Quantities() const;
    // Visit(position, count) for every count that is not 0, by ascending position.
    template <class TVisit>
    void ForEachNonZero(TVisit&& Visit) const {
        if (Compact_) {
            for (std::size_t k = 0; k < Data_.size(); k += 2) Visit(Data_[k], Data_[k + 1]);
            return;
        }
        // Mostly zeros: four counts are passed over at a time.
        const std::int32_t* d = Data_.data();
        int i = 0;
        for (; i + 4 <= Count_; i += 4) {
            if ((d[i] | d[i + 1] | d[i + 2] | d[i + 3]) == 0) continue;
            for (int k = i; k < i + 4; ++k)
                if (d[k] != 0) Visit(k, d[k]);
        }
        for (; i < Count_; ++i)
            if (d[i] != 0) Visit(i, d[i]);
    }
    // From now on the list keeps the compact form where it pays (see above).
    void Hold();
    // Hold, with Pairs (position, count, position, count, ... by ascending
    // position) exactly the list's non-zero counts: no count is read.
    void HoldWith(const std::vector<std::int32_t>& Pairs);
    bool Held() const { return Held_; }
    bool IsCompact() const { return Compact_; }

    // Changes every description through Edit. A list whose descriptions were
    // shared with one changed before through the same Cache takes that one's
    // changed descriptions instead, so Edit must treat equal parts alike.
    using TShared = std::shared_ptr<const std::vector<T2DStock>>;
    using TEditCache = std::vector<std::pair<TShared, TShared>>;
    void EditParts(TEditCache& Cache, const std::function<void(T2DStock&)>& Edit);

    // The descriptions of Parts, the counts those of Parts or all 0.
    void Assign(const TPanels& Parts, bool WithQuantities);
    // Every count 0.
    void Zero();
    // A part list as the counts describe it: each part with its count as
    // Quantity (for reports and editors, not for the optimiser's loops).
    TPanels ToPanels() const;

    // As the TPanels comparisons of the same names, on the counts.
    std::int32_t TotalQty() const;
    bool QtyGreaterLex(const TPartCounts& Other) const;
    bool SameQuantities(const TPartCounts& Other) const;
    bool SameQuantities(const TPanels& Other) const;
    bool AllQtyNotGreater(const TPartCounts& Other) const;
    bool AnyQtyGreater(const TPanels& Other) const;
    bool SameItems(const TPartCounts& Other) const;
    // For a list of the same length: whether every count is <= Other's
    // (first) and whether every count of Other is <= this list's (second).
    std::pair<bool, bool> NotGreaterEachWay(const TPartCounts& Other) const;
    // As TPanels::Score with these counts in the role of the list's quantities.
    double Score(const TPanels& Remaining, const TPanels& Wanted, const TPanels& Weights,
                 const TPanels& Other) const;

  private:
    std::size_t Checked(int Index) const {
        if (Index < 0 || Index >= Count()) ThrowListIndexError(Index);
        return static_cast<std::size_t>(Index);
    }
    // The count at a valid position of a compact list.
    std::int32_t Find(std::size_t Index) const { return Quantities().Find(Index); }
    void MakeDense();
    // The counts of Source in this list's form: compact when held and it
    // pays, else dense.
    void CopyCounts(const TPartCounts& Source);
    // Held and dense: compact when it pays.
    void CompactIfWorth();

    TShared Parts_;
    // Dense: Count_ counts. Compact: position, count, position, count, ...
    std::vector<std::int32_t> Data_;
    int Count_ = 0;
    bool Compact_ = false;
    bool Held_ = false;
};

// The count at position Index of a list of quantities (checked). A compact
// count list searches for it; TPartCounts::TReader reads a walk in order
// faster.
inline std::int32_t CountAt(const TPanels& List, int Index) {
    return List[Index].Quantity;
}
inline std::int32_t CountAt(const TPartCounts& List, int Index) {
    return List.Qty(Index);
}
