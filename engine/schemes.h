// A cutting plan: an ordered list of layouts, each standing for Quantity
// identical sheets, and the gate that decides which candidate layouts to keep.
#pragma once

#include <cstdint>
#include <iterator>
#include <memory>
#include <vector>

#include "engine/packet.h"

// The owning list of a plan's layouts. Layouts stay at one address while the
// list changes around them. The layouts' part counts are held
// (TPartCounts::Hold): compact when a job has many part kinds.
class TPacketList {
  public:
    using Storage = std::vector<std::unique_ptr<TPacket>>;

    // Iterates the layouts themselves (TPacket&), not their holders.
    template <typename It, typename T>
    class Iter {
      public:
        using iterator_category = std::random_access_iterator_tag;
        using value_type = TPacket;
        using difference_type = std::ptrdiff_t;
        using pointer = T*;
        using reference = T&;
        Iter() = default;
        explicit Iter(It I) : I_(I) {}
        T& operator*() const { return **I_; }
        T* operator->() const { return I_->get(); }
        Iter& operator++() {
            ++I_;
            return *this;
        }
        Iter operator++(int) {
            Iter t = *this;
            ++I_;
            return t;
        }
        Iter& operator--() {
            --I_;
            return *this;
        }
        Iter operator+(difference_type N) const { return Iter(I_ + N); }
        difference_type operator-(const Iter& O) const { return I_ - O.I_; }
        friend bool operator==(const Iter& A, const Iter& B) { return A.I_ == B.I_; }

      private:
        It I_{};
    };
    using iterator = Iter<Storage::iterator, TPacket>;
    using const_iterator = Iter<Storage::const_iterator, const TPacket>;

    TPacketList() { Items_.reserve(2048); }
    TPacketList(const TPacketList& Source);
    TPacketList(TPacketList&&) noexcept = default;
    TPacketList& operator=(const TPacketList& Source);
    TPacketList& operator=(TPacketList&&) noexcept = default;

    int Count() const { return static_cast<int>(Items_.size()); }
    bool Empty() const { return Items_.empty(); }
    // Checked access: a position outside the list throws EListError.
    TPacket& operator[](int Index);
    const TPacket& operator[](int Index) const;
    iterator begin() { return iterator(Items_.begin()); }
    iterator end() { return iterator(Items_.end()); }
    const_iterator begin() const { return const_iterator(Items_.begin()); }
    const_iterator end() const { return const_iterator(Items_.end()); }

    void Clear() { Items_.clear(); }
    // Appends a copy of Packet; returns its position.
    int Add(const TPacket& Packet);
    // Appends Packet itself (moved in); returns its position.
    int Add(TPacket&& Packet);
    // Removes and frees the layout at Index (checked).
    void Delete(int Index);
    // Swaps the layouts at I and J (checked).
    void Exchange(int I, int J);

    Storage& Items() { return Items_; }
    const Storage& Items() const { return Items_; }

  private:
    Storage Items_;
};

// Whether New should take Kept's place when both hold the same part counts:
// more room in the largest free rectangle, then fewer free rectangles, then
// more free area, then pieces further from the origin. A full tie keeps Kept.
bool BetterThanEqual(const TPacket& New, const TPacket& Kept);

class TSchemes {
  public:
    TPacketList Packets;

    TSchemes() = default;
    TSchemes(const TSchemes& Source) = default;  // deep
    TSchemes(TSchemes&&) noexcept = default;
    TSchemes& operator=(const TSchemes& Source) = default;
    TSchemes& operator=(TSchemes&&) noexcept = default;
    static TSchemes CreateCopy(const TSchemes& Source) { return TSchemes(Source); }

    int Count() const { return Packets.Count(); }
    TPacket& operator[](int Index) { return Packets[Index]; }
    const TPacket& operator[](int Index) const { return Packets[Index]; }

    void Clear() { Packets.Clear(); }
    // Clear, then AppendCopies(Source).
    void Assign(const TSchemes& Source);
    // Appends a copy of every layout of Source, in order.
    void AppendCopies(const TSchemes& Source);

    // Offers a candidate layout. Drops it when a free rectangle is narrower
    // than MinOffcutSize, when the guillotine test rejects it (CheckGuillotine
    // set), or when a kept layout of the same sheet type is as good; replaces
    // kept layouts that it dominates. Without KeepPlacements, Packet's
    // placements and free rectangles are emptied first (Packet is changed).
    // True when a copy of Packet was stored. Unused has no effect.
    bool AddPacket(TPacket& Packet, bool CheckGuillotine, bool AllowDominated, int Unused = 0);
    // Nothing for Quantity 0; else adds Quantity to the first kept layout of
    // the same Label whose counts match (SameItems), or appends a copy.
    void AddOrMergeLayout(const TPacket& Packet);

    // Sum of Quantity x WasteArea.
    double TotalWaste() const;
    // 100 x used area / (0.000001 + sheet area), over all sheets.
    double Utilization() const;
    // Sum of Quantity x NetArea.
    double TotalUsableArea() const;
    // Sum of Quantity x Cost.
    std::int64_t TotalSheetCost() const;
    // Area of the usable offcut placements (prefix OffcutPrefix, not
    // ZeroOffcutPrefix, at least MinLength x MinWidth), times the sheet count.
    double UsableOffcutArea(std::int32_t MinLength, std::int32_t MinWidth) const;
    double UtilizationInclOffcuts(std::int32_t MinLength, std::int32_t MinWidth) const;
    // The offcuts the stock update keeps (OffcutIsKept), at the net size it
    // files them with, times the sheet count; and the utilisation counting
    // them as used. What the report shows.
    double KeptOffcutArea(std::int32_t MinLength, std::int32_t MinWidth, bool Rotatable) const;
    double UtilizationInclKeptOffcuts(std::int32_t MinLength, std::int32_t MinWidth,
                                      bool Rotatable) const;

    // Value := UsedValue for every layout, then by Value descending, stable.
    void Sort();
};

// Whether the stock update keeps an offcut placement: its label prefix is
// OffcutPrefix and its net size (less the blade width) is at least
// MinLength x MinWidth, or, when Rotatable, at least MinWidth x MinLength.
bool OffcutIsKept(const T2DStock& Piece, std::int32_t MinLength, std::int32_t MinWidth,
                  bool Rotatable);
