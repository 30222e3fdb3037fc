#include "engine/packet.h"

#include <algorithm>
#include <utility>

#include "engine/errors.h"
#include "engine/pubstr.h"
#include "engine/textfmt.h"

namespace {

// A free rectangle as edges, for the intersection tests of the update.
struct TEdges {
    std::int32_t L, T, R, B;
};

inline TEdges EdgesOf(const TSpace& S) {
    return {S.Position.X, S.Position.Y, S.Position.X + S.Length, S.Position.Y + S.Width};
}

inline TEdges EdgesOf(const TRect& R) {
    return {R.Left, R.Top, R.Right, R.Bottom};
}

inline TSpace SpaceOf(std::int32_t L, std::int32_t T, std::int32_t R, std::int32_t B) {
    return {{L, T}, R - L, B - T};
}

// Area of A n B, 0 when they do not intersect (touching rectangles do not).
inline double OverlapArea(const TEdges& A, const TEdges& B) {
    const std::int32_t l = std::max(A.L, B.L), r = std::min(A.R, B.R);
    if (l >= r) return 0.0;
    const std::int32_t t = std::max(A.T, B.T), b = std::min(A.B, B.B);
    if (t >= b) return 0.0;
    return static_cast<double>(r - l) * static_cast<double>(b - t);
}

// Minimal stock fields copied by Assign; ExtraText stays as it is.
void AssignStock(T2DStock& Dest, const T2DStock& Source) {
    Dest.T2DStock::Assign(Source);
}

}  // namespace

// ---- TSpace, TSpaceList --------------------------------------------------

std::int32_t TSpace::NetLength() const {
    return Length - BladeWidth;
}
std::int32_t TSpace::NetWidth() const {
    return Width - BladeWidth;
}

T2DStock TSpace::ToStock() const {
    T2DStock s;
    s.Position = Position;
    s.Length = Length;
    s.Width = Width;
    s.Quantity = 1;
    s.Index = 0;
    return s;
}

void TSpaceList::Delete(int Index) {
    (*this)[Index];  // range check
    Items_.erase(Items_.begin() + Index);
}

// ---- construction and copying ---------------------------------------------

TPacket::TPacket() {
    ResetSpaces();
}

TPacket::TPacket(const TPacket& Source) : T2DStock() {
    Assign(Source);
}

TPacket::TPacket(const TPacket& Source, bool HoldCounts) : T2DStock() {
    if (HoldCounts) PartCounts.Hold();
    Assign(Source);
}

TPacket::TPacket(TPacket&& Source) noexcept
    : T2DStock(Source),
      OldSpaces(std::move(Source.OldSpaces)),
      Value(Source.Value),
      Active(Source.Active),
      PartCounts(std::move(Source.PartCounts)),
      Placements(std::move(Source.Placements)),
      Spaces(std::move(Source.Spaces)) {}

TPacket& TPacket::operator=(const TPacket& Source) {
    Assign(Source);
    return *this;
}

TPacket& TPacket::operator=(TPacket&& Source) noexcept {
    if (this == &Source) return *this;
    AssignStock(*this, Source);
    ExtraText = Source.ExtraText;
    OldSpaces = std::move(Source.OldSpaces);
    Value = Source.Value;
    Active = Source.Active;
    PartCounts = std::move(Source.PartCounts);
    Placements = std::move(Source.Placements);
    Spaces = std::move(Source.Spaces);
    return *this;
}

TPacket TPacket::CreateFromParts(const TPanels& Parts) {
    TPacket p;
    p.PartCounts.Assign(Parts, false);
    return p;
}

void TPacket::Assign(const TPacket& Source) {
    if (this == &Source) return;
    // Reset, then take everything over; the counts, placements and free
    // rectangles are replaced wholesale, so only the scratch list needs emptying.
    OldSpaces.Clear();
    AssignStock(*this, Source);
    PartCounts = Source.PartCounts;
    Placements.Assign(Source.Placements);
    Spaces.Items() = Source.Spaces.Items();
    Value = Source.Value;
    Active = Source.Active;
}

// ---- placing and free space -----------------------------------------------

void TPacket::ResetSpaces() {
    Spaces.Clear();
    Spaces.Add({Position, Length, Width});
}

void TPacket::Reset() {
    PartCounts.Zero();
    ResetSpaces();
    Placements.Clear();
    OldSpaces.Clear();
}

void TPacket::AddPlacement(const T2DStock& Piece) {
    // Read everything first: Piece may live in this layout's own lists.
    const TRect r = Piece.BoundsRect();
    std::int32_t& count = PartCounts.Qty(Piece.Index);  // range check before any change
    const std::int32_t q = Piece.Quantity;
    Placements.AddCopy(Piece);
    count += q;
    UpdateSpaces(r);
}

void TPacket::AddPlacementNoCount(const T2DStock& Piece) {
    const TRect r = Piece.BoundsRect();
    Placements.AddCopy(Piece);
    UpdateSpaces(r);
}

void TPacket::AddPlacementNoSpaces(const T2DStock& Piece) {
    std::int32_t& count = PartCounts.Qty(Piece.Index);
    const std::int32_t q = Piece.Quantity;
    Placements.AddCopy(Piece);
    count += q;
}

void TPacket::UpdateSpaces(const T2DStock& Piece) {
    UpdateSpaces(Piece.BoundsRect());
}

void TPacket::UpdateSpaces(const TRect& Rect) {
    // The old rectangles move to OldSpaces; both buffers keep their capacity.
    std::swap(OldSpaces.Items(), Spaces.Items());
    Spaces.Clear();
    const TEdges P = EdgesOf(Rect);
    for (const TSpace& S : OldSpaces) {
        const TEdges s = EdgesOf(S);
        const std::int32_t il = std::max(s.L, P.L), ir = std::min(s.R, P.R);
        const std::int32_t it = std::max(s.T, P.T), ib = std::min(s.B, P.B);
        if (il >= ir || it >= ib) {
            AddSpace(S);
            continue;
        }
        // Left, right, top, bottom of the piece, each kept when not empty.
        if (il > s.L) AddSpace(SpaceOf(s.L, s.T, il, s.B));
        if (s.R > ir) AddSpace(SpaceOf(ir, s.T, s.R, s.B));
        if (it > s.T) AddSpace(SpaceOf(s.L, s.T, s.R, it));
        if (s.B > ib) AddSpace(SpaceOf(s.L, ib, s.R, s.B));
    }
}

void TPacket::AddSpace(const TSpace& R) {
    std::vector<TSpace>& v = Spaces.Items();
    const TEdges r = EdgesOf(R);
    const std::size_t n = v.size();
    for (std::size_t i = 0; i < n; ++i) {
        const TEdges f = EdgesOf(v[i]);
        const std::int32_t il = std::max(f.L, r.L), ir = std::min(f.R, r.R);
        if (il >= ir) continue;
        const std::int32_t it = std::max(f.T, r.T), ib = std::min(f.B, r.B);
        if (it >= ib) continue;
        if (il == r.L && it == r.T && ir == r.R && ib == r.B) return;    // R inside F
        if (il == f.L && it == f.T && ir == f.R && ib == f.B) v[i] = R;  // F inside R
    }
    v.push_back(R);
}

void TPacket::RebuildSpaces() {
    ResetSpaces();
    for (const T2DStock& p : Placements) UpdateSpaces(p.BoundsRect());
}

void TPacket::SplitSpace(int SpaceIndex, const TRect& Block) {
    const TEdges s = EdgesOf(Spaces[SpaceIndex]);
    const TEdges b = EdgesOf(Block);
    // The leftover beside the block (along X) and the one above or below it.
    const std::int32_t sideL = b.L == s.L ? b.R : s.L, sideR = b.L == s.L ? s.R : b.L;
    const std::int32_t stripT = b.T == s.T ? b.B : s.T, stripB = b.T == s.T ? s.B : b.T;
    // First cut along the block's top or bottom: the side rectangle is as
    // high as the block and the strip spans the rectangle; else the other way.
    const bool across = s.R - s.L <= s.B - s.T;
    const TSpace parts[2] = {across ? SpaceOf(sideL, b.T, sideR, b.B)
                                    : SpaceOf(sideL, s.T, sideR, s.B),
                             across ? SpaceOf(s.L, stripT, s.R, stripB)
                                    : SpaceOf(b.L, stripT, b.R, stripB)};
    std::vector<TSpace>& items = Spaces.Items();
    auto at = items.erase(items.begin() + SpaceIndex);
    for (const TSpace& r : parts)
        if (r.Length > 0 && r.Width > 0) at = items.insert(at, r) + 1;
}

void TPacket::PlaceAt(T2DStock& Piece, int SpaceIndex, int PreferredCorner) const {
    const TSpace S = Spaces[SpaceIndex];
    if (PreferredCorner < 1 || PreferredCorner > 4) throw ERangeError();
    const std::int32_t right = S.Position.X + S.Length - Piece.Length;
    const std::int32_t bottom = S.Position.Y + S.Width - Piece.Width;
    const TPoint corners[4] = {{S.Position.X, S.Position.Y},
                               {S.Position.X, bottom},
                               {right, S.Position.Y},
                               {right, bottom}};
    const int tried = RollingMode ? 1 : 4;
    double score[4];
    double best = 0.0;
    for (int k = 0; k < tried; ++k) {
        const TRect r{corners[k].X, corners[k].Y, corners[k].X + Piece.Length,
                      corners[k].Y + Piece.Width};
        score[k] = SpaceOverlapArea(r);
        if (k == 0 || score[k] < best) best = score[k];
    }
    int chosen = 0;
    if (PreferredCorner <= tried && score[PreferredCorner - 1] == best) {
        chosen = PreferredCorner - 1;
    } else {
        for (int k = tried - 1; k >= 0; --k) {
            if (score[k] == best) {
                chosen = k;
                break;
            }
        }
    }
    Piece.Position = corners[chosen];
}

void TPacket::AddPlacementsFrom(TPacket& Block) {
    if (&Block == this) {
        TPacket copy(Block);
        AddPlacementsFrom(copy);
        return;
    }
    for (T2DStock& p : Block.Placements) {
        p.Position.X += Block.Position.X;
        p.Position.Y += Block.Position.Y;
        AddPlacement(p);
    }
}

void TPacket::CopyPlacementsShifted(const TPacket& Block, TPoint Offset) {
    const int n = Block.Placements.Count();  // Block may be this layout
    for (int i = 0; i < n; ++i) {
        T2DStock p = T2DStock::CreateCopy(Block.Placements[i]);
        p.Position.X += Offset.X;
        p.Position.Y += Offset.Y;
        AddPlacementNoSpaces(p);
    }
}

void TPacket::MergeFrom(bool AlongWidth, const TPacket& A, const TPacket& B) {
    // Either block may be this layout: work from copies then.
    if (&A == this || &B == this) {
        const TPacket a(A), b(B);
        MergeFrom(AlongWidth, a, b);
        return;
    }
    const bool sameSide = AlongWidth ? A.Length == B.Length : A.Width == B.Width;
    const TPacket* first = &A;
    const TPacket* second = &B;
    if (sameSide && !A.PartCounts.QtyGreaterLex(B.PartCounts)) std::swap(first, second);

    Assign(*first);
    TPoint offset;
    if (AlongWidth) {
        offset = {first->Position.X, first->Position.Y + first->Width};
        Width = first->Width + second->Width;
    } else {
        offset = {first->Position.X + first->Length, first->Position.Y};
        Length = first->Length + second->Length;
    }
    RebuildSpaces();
    for (const T2DStock& p : second->Placements) {
        AddPlacementNoSpaces(p);
        T2DStock& added = Placements.Last();
        added.Position.X += offset.X;
        added.Position.Y += offset.Y;
    }
}

// ---- measures -------------------------------------------------------------

std::int32_t TPacket::TotalCount() const {
    return PartCounts.TotalQty();
}

int TPacket::SinglePartIndex() const {
    int found = -1, held = 0;
    PartCounts.ForEachNonZero([&](int i, std::int32_t q) {
        if (q > 0 && held++ == 0) found = i;
    });
    return held == 1 ? found : -1;
}

double TPacket::UsedValue() const {
    double used = 0.0;
    // Only the parts the layout holds add to it; the others need not be read.
    PartCounts.ForEachNonZero([&](int i, std::int32_t q) {
        const T2DStock& c = PartCounts.Part(i);
        if (c.ShapeKind == skShaped)
            used += c.ShapeArea() * q * c.Factor;
        else
            used += c.Area() * q;
    });
    return 100.0 * used / (static_cast<double>(Length) * static_cast<double>(Width));
}

double TPacket::ValuePerCost(double Factor) {
    if (Cost == 0) Cost = 1;
    return UsedValue() * Area() / Cost / Factor;
}

double TPacket::GetValue(bool ByCost, double Factor) {
    return ByCost ? ValuePerCost(Factor) : UsedValue();
}

double TPacket::Utilization() const {
    if (Placements.Empty()) return 0.0;
    const bool skipOffcuts = Placements.Count() != TotalCount();
    double used = 0.0;
    for (const T2DStock& p : Placements) {
        if (skipOffcuts && p.Label.find(OffcutPrefix) != std::string::npos) continue;
        used += p.ShapeArea();
    }
    return 100.0 * used / (static_cast<double>(Length) * static_cast<double>(Width) + 0.1);
}

double TPacket::WasteArea() const {
    return static_cast<double>(Length) * static_cast<double>(Width) * (100.0 - Utilization()) /
           100.0;
}

double TPacket::SpaceOverlapArea(const T2DStock& Piece) const {
    return SpaceOverlapArea(Piece.BoundsRect());
}

double TPacket::SpaceOverlapArea(const TRect& P) const {
    const TEdges p = EdgesOf(P);
    double sum = 0.0;
    for (const TSpace& S : Spaces) sum += OverlapArea(EdgesOf(S), p);
    return sum;
}

double TPacket::LargestSpaceArea() const {
    double best = 0.0;
    bool any = false;
    for (const TSpace& S : Spaces) {
        const double a = S.Area();
        if (!any || a > best) best = a;
        any = true;
    }
    return best;
}

double TPacket::TotalSpaceArea() const {
    double sum = 0.0;
    for (const TSpace& S : Spaces) sum += S.Area();
    return sum;
}

std::int32_t TPacket::MinSpaceSide() const {
    std::int32_t least = 9999999;
    for (const TSpace& S : Spaces) least = std::min({least, S.NetLength(), S.NetWidth()});
    return least;
}

bool TPacket::NoSpaceFits(const T2DStock& Piece) const {
    for (const TSpace& S : Spaces) {
        if (S.Length >= Piece.Length && S.Width >= Piece.Width) return false;
        if (Piece.CanRotate && S.Length >= Piece.Width && S.Width >= Piece.Length) return false;
    }
    return true;
}

std::int64_t TPacket::SumOfPositions() const {
    std::int64_t sum = 0;
    for (const T2DStock& p : Placements)
        sum += static_cast<std::int64_t>(p.Position.X) + p.Position.Y;
    return sum;
}

void TPacket::LayoutKey(std::string& Key) const {
    Key = IntToStr(Length);
    Key += ' ';
    Key += IntToStr(Width);
    PartCounts.ForEachNonZero([&](int i, std::int32_t q) {
        if (q <= 0) return;
        Key += ' ';
        Key += IntToStr(PartCounts.Part(i).Index);
        Key += 'x';
        Key += IntToStr(q);
    });
}

std::string TPacket::LayoutKey() const {
    std::string key;
    LayoutKey(key);
    return key;
}

// ---- transformations ------------------------------------------------------

void TPacket::SortPlacements() {
    std::stable_sort(Placements.begin(), Placements.end(),
                     [](const T2DStock& a, const T2DStock& b) {
                         if (a.Position.Y != b.Position.Y) return a.Position.Y < b.Position.Y;
                         return a.Position.X < b.Position.X;
                     });
}

void TPacket::Rotate() {
    T2DStock::Rotate();
    for (T2DStock& p : Placements) {
        std::swap(p.Position.X, p.Position.Y);
        p.Rotate();
    }
    for (TSpace& s : Spaces) {
        std::swap(s.Position.X, s.Position.Y);
        std::swap(s.Length, s.Width);
    }
}

void TPacket::ShrinkLength(std::int32_t M) {
    Length -= 2 * M;
    for (T2DStock& p : Placements) p.Length -= 2 * M;
}
