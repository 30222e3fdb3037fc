#include "engine/schemes.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string_view>
#include <utility>

#include "engine/guillotine.h"
#include "engine/pubstr.h"

// ---- TPacketList ------------------------------------------------------------

namespace {

// A copy of Packet to keep in the list, its counts held.
std::unique_ptr<TPacket> HeldCopy(const TPacket& Packet) {
    return std::make_unique<TPacket>(Packet, true);
}

}  // namespace

TPacketList::TPacketList(const TPacketList& Source) {
    Items_.reserve(std::max<std::size_t>(2048, Source.Items_.size()));
    for (const auto& p : Source.Items_) Items_.push_back(HeldCopy(*p));
}

TPacketList& TPacketList::operator=(const TPacketList& Source) {
    if (this == &Source) return *this;
    Storage copy;
    copy.reserve(std::max<std::size_t>(2048, Source.Items_.size()));
    for (const auto& p : Source.Items_) copy.push_back(HeldCopy(*p));
    Items_ = std::move(copy);
    return *this;
}

TPacket& TPacketList::operator[](int Index) {
    if (Index < 0 || Index >= Count()) ThrowListIndexError(Index);
    return *Items_[static_cast<std::size_t>(Index)];
}

const TPacket& TPacketList::operator[](int Index) const {
    if (Index < 0 || Index >= Count()) ThrowListIndexError(Index);
    return *Items_[static_cast<std::size_t>(Index)];
}

int TPacketList::Add(const TPacket& Packet) {
    Items_.push_back(HeldCopy(Packet));
    return Count() - 1;
}

int TPacketList::Add(TPacket&& Packet) {
    Items_.push_back(std::make_unique<TPacket>(std::move(Packet)));
    Items_.back()->PartCounts.Hold();
    return Count() - 1;
}

void TPacketList::Delete(int Index) {
    (*this)[Index];  // range check
    Items_.erase(Items_.begin() + Index);
}

void TPacketList::Exchange(int I, int J) {
    (*this)[I];
    (*this)[J];
    std::swap(Items_[static_cast<std::size_t>(I)], Items_[static_cast<std::size_t>(J)]);
}

// ---- TSchemes ---------------------------------------------------------------

void TSchemes::Assign(const TSchemes& Source) {
    if (this == &Source) return;
    Clear();
    AppendCopies(Source);
}

void TSchemes::AppendCopies(const TSchemes& Source) {
    const int n = Source.Count();  // Source may be this plan
    for (int i = 0; i < n; ++i) Packets.Add(Source.Packets[i]);
}

bool BetterThanEqual(const TPacket& New, const TPacket& Kept) {
    const double nl = New.LargestSpaceArea(), kl = Kept.LargestSpaceArea();
    if (nl != kl) return nl > kl;
    if (Kept.Spaces.Count() != New.Spaces.Count()) return Kept.Spaces.Count() > New.Spaces.Count();
    const double nt = New.TotalSpaceArea(), kt = Kept.TotalSpaceArea();
    if (nt != kt) return nt > kt;
    return New.SumOfPositions() > Kept.SumOfPositions();
}

namespace {

// How two lists of part counts stand to each other.
struct TCountOrder {
    bool Same = false;            // every count equal
    bool NewNotGreater = false;   // every count of New <= Kept's
    bool KeptNotGreater = false;  // every count of Kept <= New's
};

// One pass over both lists when they are parallel; otherwise the three
// comparisons in the order the gate asks them, so a short list fails the same way.
TCountOrder CompareCounts(const TPartCounts& New, const TPartCounts& Kept) {
    TCountOrder o;
    if (New.Count() != Kept.Count()) {
        o.Same = New.SameQuantities(Kept);
        if (o.Same) return o;
        o.NewNotGreater = New.AllQtyNotGreater(Kept);
        if (o.NewNotGreater) return o;
        o.KeptNotGreater = Kept.AllQtyNotGreater(New);
        return o;
    }
    const auto [newLeq, keptLeq] = New.NotGreaterEachWay(Kept);
    o.Same = newLeq && keptLeq;
    o.NewNotGreater = newLeq;
    o.KeptNotGreater = keptLeq;
    return o;
}

}  // namespace

bool TSchemes::AddPacket(TPacket& Packet, bool CheckGuillotine, bool AllowDominated,
                         int /*Unused*/) {
    if (MinOffcutSize > 0 && Packet.MinSpaceSide() < MinOffcutSize) return false;
    if (!KeepPlacements) {
        Packet.Placements.Clear();
        Packet.Spaces.Clear();
    }
    if (CheckGuillotine && !Guillotine.Check(Packet)) return false;
    if (Packets.Empty()) {
        Packets.Add(Packet);
        return true;
    }

    TPacketList::Storage& items = Packets.Items();
    bool replaced = false;
    for (int i = Packets.Count() - 1; i >= 0; --i) {
        TPacket& kept = *items[static_cast<std::size_t>(i)];
        if (kept.Index != Packet.Index) continue;
        const TCountOrder order = CompareCounts(Packet.PartCounts, kept.PartCounts);
        if (order.Same) {
            if (!CompareEqualLayouts) return replaced;
            if (BetterThanEqual(Packet, kept)) {
                kept.Assign(Packet);
                return true;
            }
            return replaced;
        }
        if (order.NewNotGreater) {
            if (!AllowDominated) return replaced;
            continue;
        }
        if (order.KeptNotGreater) {
            if (!replaced) {
                kept.Assign(Packet);
                replaced = true;
            } else {
                items.erase(items.begin() + i);
            }
        }
    }
    if (!replaced) Packets.Add(Packet);
    return true;
}

void TSchemes::AddOrMergeLayout(const TPacket& Packet) {
    if (Packet.Quantity == 0) return;
    for (TPacket& kept : Packets) {
        if (kept.Label == Packet.Label && Packet.PartCounts.SameItems(kept.PartCounts)) {
            kept.Quantity += Packet.Quantity;
            return;
        }
    }
    Packets.Add(Packet);
}

double TSchemes::TotalWaste() const {
    double sum = 0.0;
    for (const TPacket& p : Packets) sum += p.Quantity * p.WasteArea();
    return sum;
}

namespace {

// Sum of Quantity x (Area - WasteArea) and of Quantity x Area over a plan.
std::pair<double, double> UsedAndSheetArea(const TPacketList& Packets) {
    double used = 0.0, sheet = 0.0;
    for (const TPacket& p : Packets) {
        used += p.Quantity * (p.Area() - p.WasteArea());
        sheet += p.Quantity * p.Area();
    }
    return {used, sheet};
}

// The label up to and including its first "_", or the whole label.
std::string_view LabelPrefix(const std::string& Label) {
    const std::size_t u = Label.find('_');
    return u == std::string::npos ? std::string_view(Label)
                                  : std::string_view(Label).substr(0, u + 1);
}

}  // namespace

double TSchemes::Utilization() const {
    const auto [used, sheet] = UsedAndSheetArea(Packets);
    return 100.0 * used / (0.000001 + sheet);
}

double TSchemes::TotalUsableArea() const {
    double sum = 0.0;
    for (const TPacket& p : Packets) sum += p.Quantity * p.NetArea();
    return sum;
}

std::int64_t TSchemes::TotalSheetCost() const {
    std::int64_t sum = 0;
    for (const TPacket& p : Packets) sum += static_cast<std::int64_t>(p.Quantity) * p.Cost;
    return sum;
}

double TSchemes::UsableOffcutArea(std::int32_t MinLength, std::int32_t MinWidth) const {
    double sum = 0.0;
    for (const TPacket& p : Packets) {
        for (const T2DStock& piece : p.Placements) {
            const std::string_view prefix = LabelPrefix(piece.Label);
            if (prefix != OffcutPrefix || prefix == ZeroOffcutPrefix) continue;
            if (piece.Length < MinLength || piece.Width < MinWidth) continue;
            sum += piece.Area() * p.Quantity;
        }
    }
    return sum;
}

double TSchemes::UtilizationInclOffcuts(std::int32_t MinLength, std::int32_t MinWidth) const {
    const auto [used, sheet] = UsedAndSheetArea(Packets);
    return 100.0 * (UsableOffcutArea(MinLength, MinWidth) + used) / (0.000001 + sheet);
}

double TSchemes::KeptOffcutArea(std::int32_t MinLength, std::int32_t MinWidth,
                                bool Rotatable) const {
    double sum = 0.0;
    for (const TPacket& p : Packets)
        for (const T2DStock& piece : p.Placements)
            if (OffcutIsKept(piece, MinLength, MinWidth, Rotatable)) sum += piece.NetArea() * p.Quantity;
    return sum;
}

double TSchemes::UtilizationInclKeptOffcuts(std::int32_t MinLength, std::int32_t MinWidth,
                                            bool Rotatable) const {
    const auto [used, sheet] = UsedAndSheetArea(Packets);
    return 100.0 * (KeptOffcutArea(MinLength, MinWidth, Rotatable) + used) / (0.000001 + sheet);
}

bool OffcutIsKept(const T2DStock& Piece, std::int32_t MinLength, std::int32_t MinWidth,
                  bool Rotatable) {
    const std::string_view prefix = LabelPrefix(Piece.Label);
    if (prefix != OffcutPrefix) return false;
    const std::int32_t l = Piece.NetLength(), w = Piece.NetWidth();
    if (l >= MinLength && w >= MinWidth) return true;
    return Rotatable && l >= MinWidth && w >= MinLength;
}

void TSchemes::Sort() {
    for (TPacket& p : Packets) p.Value = p.UsedValue();
    // An undefined value (an empty outline) sorts after every number.
    auto key = [](const TPacket& p) {
        return std::isnan(p.Value) ? -std::numeric_limits<double>::infinity() : p.Value;
    };
    std::stable_sort(Packets.Items().begin(), Packets.Items().end(),
                     [&](const std::unique_ptr<TPacket>& a, const std::unique_ptr<TPacket>& b) {
                         return key(*a) > key(*b);
                     });
}
