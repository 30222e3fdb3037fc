// One layout: a stock sheet (or a block of parts handled as a unit) with the
// pieces placed on it, how many of each part type they are, and the maximal
// free rectangles that remain.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/panels.h"
#include "engine/stock2d.h"

// One free rectangle of a layout. Named like the piece fields so code reads
// the same for both; as a piece it has Quantity 1 and Index 0 (ToStock).
// Rectangles are half-open: X <= x < X + Length, Y <= y < Y + Width; one with
// Length <= 0 or Width <= 0 is empty.
struct TSpace {
    TPoint Position;
    std::int32_t Length = 0;
    std::int32_t Width = 0;

    static TSpace FromRect(const TRect& R) {
        return {{R.Left, R.Top}, R.Right - R.Left, R.Bottom - R.Top};
    }
    TRect BoundsRect() const {
        return {Position.X, Position.Y, Position.X + Length, Position.Y + Width};
    }
    double Area() const { return static_cast<double>(Length) * static_cast<double>(Width); }
    std::int32_t NetLength() const;  // Length - BladeWidth
    std::int32_t NetWidth() const;   // Width - BladeWidth
    // A piece with this position and size, Quantity 1 and Index 0.
    T2DStock ToStock() const;
    friend bool operator==(const TSpace&, const TSpace&) = default;
};

// The free rectangles of a layout, in contiguous storage.
class TSpaceList {
  public:
    int Count() const { return static_cast<int>(Items_.size()); }
    bool Empty() const { return Items_.empty(); }
    // Checked access: a position outside the list throws EListError.
    TSpace& operator[](int Index) {
        if (Index < 0 || Index >= Count()) ThrowListIndexError(Index);
        return Items_[static_cast<std::size_t>(Index)];
    }
    const TSpace& operator[](int Index) const {
        if (Index < 0 || Index >= Count()) ThrowListIndexError(Index);
        return Items_[static_cast<std::size_t>(Index)];
    }
    auto begin() { return Items_.begin(); }
    auto end() { return Items_.end(); }
    auto begin() const { return Items_.begin(); }
    auto end() const { return Items_.end(); }
    void Clear() { Items_.clear(); }
    void Add(const TSpace& S) { Items_.push_back(S); }
    void Delete(int Index);
    std::vector<TSpace>& Items() { return Items_; }
    const std::vector<TSpace>& Items() const { return Items_; }

  private:
    std::vector<TSpace> Items_;
};

class TPacket : public T2DStock {
  public:
    // Free rectangles before the last update (scratch, reused).
    TSpaceList OldSpaces;
    // The value as last computed (optimiser: GetValue; plan Sort: UsedValue).
    double Value = 0.0;
    bool Active = true;
    // Pieces on this layout per part type, by position.
    TPartCounts PartCounts;
    // The placed pieces, Position in the layout's coordinates.
    TPanels Placements;
    // The maximal free rectangles.
    TSpaceList Spaces;

    // An empty layout: defaults of a piece, one (empty) free rectangle.
    TPacket();
    // Copies are made as Create then Assign: ExtraText and OldSpaces are not
    // carried over.
    TPacket(const TPacket& Source);
    // A copy to keep in a list of layouts: its part counts held
    // (TPartCounts::Hold) from the start, so no dense copy is made on the way.
    TPacket(const TPacket& Source, bool HoldCounts);
    TPacket(TPacket&& Source) noexcept;
    TPacket& operator=(const TPacket& Source);
    TPacket& operator=(TPacket&& Source) noexcept;
    ~TPacket() override = default;

    // As TPacket(), then PartCounts := the parts of Parts, every count 0.
    static TPacket CreateFromParts(const TPanels& Parts);
    static TPacket CreateCopy(const TPacket& Source) { return TPacket(Source); }

    // Reset, the piece fields of Source, copies of PartCounts, Placements
    // and Spaces, then Value and Active.
    void Assign(const TPacket& Source);
    // The piece fields only (T2DStock::Assign); lists untouched.
    using T2DStock::Assign;

    // Spaces := one rectangle equal to the outline.
    void ResetSpaces();
    // Counts to 0, ResetSpaces, Placements and OldSpaces emptied; outline kept.
    void Reset();

    // Copy of Piece into Placements, Piece's Quantity added to PartCounts at
    // Piece's Index, then UpdateSpaces(Piece). Throws EListError (changing
    // nothing) when Index is no position of PartCounts.
    void AddPlacement(const T2DStock& Piece);
    // Copy and UpdateSpaces, no count (offcut pieces).
    void AddPlacementNoCount(const T2DStock& Piece);
    // Copy and count; free rectangles untouched.
    void AddPlacementNoSpaces(const T2DStock& Piece);

    // Maximal-rectangles update after Piece has been placed.
    void UpdateSpaces(const T2DStock& Piece);
    void UpdateSpaces(const TRect& P);
    // Adds R unless it lies inside a free rectangle; free rectangles lying
    // inside R take R's position and size first.
    void AddSpace(const TSpace& R);
    // Guillotine update: Block, placed at a corner of free rectangle
    // SpaceIndex, is cut out of it by two guillotine cuts, the first one the
    // shorter of the two cuts right across the rectangle (along the block's
    // top or bottom when the rectangle is no wider than high). What is left
    // stays free as at most two rectangles, in the old one's place. Free
    // rectangles then never overlap, so a layout filled only through this
    // update with blocks that are guillotine-cuttable stays so.
    void SplitSpace(int SpaceIndex, const TRect& Block);
    // ResetSpaces, then UpdateSpaces for every placement in order.
    void RebuildSpaces();
    // Sets Piece's Position to the best corner (1..4) of Spaces[SpaceIndex]:
    // least covered free area; PreferredCorner on a tie, else the last tied
    // corner. Only corner 1 in rolling mode. Throws EListError for a bad
    // SpaceIndex and ERangeError for a corner outside 1..4.
    void PlaceAt(T2DStock& Piece, int SpaceIndex, int PreferredCorner) const;

    // Moves every placement of Block by Block's Position (Block is changed),
    // then AddPlacement of it.
    void AddPlacementsFrom(TPacket& Block);
    // Adds a copy of every placement of Block moved by Offset, counted, with
    // the free rectangles untouched.
    void CopyPlacementsShifted(const TPacket& Block, TPoint Offset);
    // This layout := the two blocks joined, B below A (AlongWidth) or beside it.
    void MergeFrom(bool AlongWidth, const TPacket& A, const TPacket& B);

    // Measures. Areas in squared internal units.
    std::int32_t TotalCount() const;
    int SinglePartIndex() const;
    double UsedValue() const;
    // Sets Cost to 1 first when it is 0.
    double ValuePerCost(double Factor);
    double GetValue(bool ByCost, double Factor);
    double Utilization() const;
    double WasteArea() const;
    double SpaceOverlapArea(const T2DStock& Piece) const;
    double SpaceOverlapArea(const TRect& P) const;
    double LargestSpaceArea() const;
    double TotalSpaceArea() const;
    std::int32_t MinSpaceSide() const;
    bool NoSpaceFits(const T2DStock& Piece) const;
    std::int64_t SumOfPositions() const;
    // "Length Width" then " IndexxQuantity" for every count above 0.
    void LayoutKey(std::string& Key) const;
    std::string LayoutKey() const;

    // Transformations.
    // Placements by Y, then X, ascending; stable.
    void SortPlacements();
    // Turns the layout onto its diagonal: outline, placements and free
    // rectangles swap X and Y and are turned.
    void Rotate();
    // Length -= 2 x M for the layout and every placement.
    void ShrinkLength(std::int32_t M);
};
