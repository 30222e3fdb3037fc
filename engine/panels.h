// The engine's ordered, owning list of pieces, with quantity arithmetic
// between lists that describe the same part or sheet types in the same order.
#pragma once

#include <cstdint>
#include <functional>
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
// layout costs one number per part type.
class TPartCounts {
  public:
    int Count() const { return static_cast<int>(Qty_.size()); }
    // Checked access: a position outside the list throws EListError.
    std::int32_t Qty(int Index) const { return Qty_[Checked(Index)]; }
    std::int32_t& Qty(int Index) { return Qty_[Checked(Index)]; }
    // The description of part Index; its Quantity means nothing.
    const T2DStock& Part(int Index) const { return (*Parts_)[Checked(Index)]; }
    // The description to change; it stops being shared with other lists.
    T2DStock& EditPart(int Index);
    const std::vector<std::int32_t>& Quantities() const { return Qty_; }
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
    // As TPanels::Score with these counts in the role of the list's quantities.
    double Score(const TPanels& Remaining, const TPanels& Wanted, const TPanels& Weights,
                 const TPanels& Other) const;

  private:
    std::size_t Checked(int Index) const {
        if (Index < 0 || Index >= Count()) ThrowListIndexError(Index);
        return static_cast<std::size_t>(Index);
    }
    TShared Parts_;
    std::vector<std::int32_t> Qty_;
};

// The count at position Index of a list of quantities (checked).
inline std::int32_t CountAt(const TPanels& List, int Index) {
    return List[Index].Quantity;
}
inline std::int32_t CountAt(const TPartCounts& List, int Index) {
    return List.Qty(Index);
}
