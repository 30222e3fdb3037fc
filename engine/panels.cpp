#include "engine/panels.h"

#include <algorithm>
#include <memory>
#include <string>
#include <unordered_set>
#include <utility>

#include "engine/errors.h"
#include "engine/numeric.h"
#include "engine/textfmt.h"

void ThrowListIndexError(std::int64_t Index) {
    throw EListError("List index out of bounds (" + IntToStr(Index) + ")");
}

namespace {
// Weights above this are left alone by RaiseWeights and LowerWeights.
constexpr std::int32_t kMaxAdjustedWeight = 9999999;
}  // namespace

TPanels::TPanels() {
    Items_.reserve(32);
}

TPanels::TPanels(const TPanels& Source) {
    Items_.reserve(std::max<std::size_t>(32, Source.Items_.size()));
    AppendCopies(Source);
}

TPanels& TPanels::operator=(const TPanels& Source) {
    if (this != &Source) Assign(Source);
    return *this;
}

// Pieces have no move constructor, so every piece is made in place and then
// assigned: one copy of the strings per piece, and existing pieces (with their
// string buffers) are reused where the list already has them.
int TPanels::AddCopy(const T2DStock& Piece) {
    const T2DStock* data = Items_.data();
    if (&Piece >= data && &Piece < data + Items_.size() && Items_.size() == Items_.capacity()) {
        // Piece lives in this list and would move when the list grows.
        T2DStock copy = T2DStock::CreateCopy(Piece);
        Items_.emplace_back();
        Items_.back().Assign(copy);
    } else {
        Items_.emplace_back();
        Items_.back().Assign(Piece);
    }
    return Count() - 1;
}

void TPanels::Assign(const TPanels& Source) {
    if (this == &Source) return;
    const std::size_t n = Source.Items_.size();
    if (Items_.size() > n)
        Items_.erase(Items_.begin() + static_cast<std::ptrdiff_t>(n), Items_.end());
    for (std::size_t i = 0; i < Items_.size(); ++i) {
        Items_[i].Assign(Source.Items_[i]);
        Items_[i].ExtraText.clear();
    }
    Items_.reserve(n);
    for (std::size_t i = Items_.size(); i < n; ++i) {
        Items_.emplace_back();
        Items_.back().Assign(Source.Items_[i]);
    }
}

void TPanels::AppendCopies(const TPanels& Source) {
    // Source may be this list: copy the count first so the loop ends.
    const int n = Source.Count();
    Items_.reserve(Items_.size() + static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) AddCopy(Source.Items_[static_cast<std::size_t>(i)]);
}

void TPanels::Delete(int Index) {
    (*this)[Index];  // range check
    Items_.erase(Items_.begin() + Index);
}

void TPanels::Insert(int Index, const T2DStock& Piece) {
    if (Index < 0 || Index > Count()) ThrowListIndexError(Index);
    Items_.insert(Items_.begin() + Index, T2DStock::CreateCopy(Piece));
}

void TPanels::Exchange(int I, int J) {
    std::swap((*this)[I], (*this)[J]);
}

void TPanels::AddQuantityOf(const T2DStock& Piece) {
    (*this)[Piece.Index].Quantity += Piece.Quantity;
}

void TPanels::SubtractQuantityOf(const T2DStock& Piece) {
    (*this)[Piece.Index].Quantity -= Piece.Quantity;
}

void TPanels::AddQuantities(const TPanels& Other) {
    for (int i = 0; i < Count(); ++i) AddQuantityOf(Other[i]);
}

void TPanels::SubtractQuantities(const TPanels& Other) {
    for (int i = 0; i < Count(); ++i) SubtractQuantityOf(Other[i]);
}

bool TPanels::AnyQtyGreater(const TPanels& Other) const {
    for (int i = 0; i < Count(); ++i)
        if (Items_[i].Quantity > Other[i].Quantity) return true;
    return false;
}

bool TPanels::SameQuantities(const TPanels& Other) const {
    for (int i = 0; i < Count(); ++i)
        if (Items_[i].Quantity != Other[i].Quantity) return false;
    return true;
}

bool TPanels::AllQtyNotGreater(const TPanels& Other) const {
    for (int i = 0; i < Count(); ++i)
        if (Items_[i].Quantity > Other[i].Quantity) return false;
    return true;
}

bool TPanels::QtyGreaterLex(const TPanels& Other) const {
    for (int i = 0; i < Count(); ++i) {
        const std::int32_t a = Items_[i].Quantity, b = Other[i].Quantity;
        if (a != b) return a > b;
    }
    return false;
}

bool TPanels::AllZero() const {
    for (const T2DStock& p : Items_)
        if (p.Quantity > 0) return false;
    return true;
}

bool TPanels::SameItems(const TPanels& Other) const {
    for (const T2DStock& p : Items_) {
        const T2DStock* match = nullptr;
        for (const T2DStock& o : Other.Items_) {
            if (o.Label == p.Label && o.Material == p.Material) {
                match = &o;
                break;
            }
        }
        if (!match || match->Quantity != p.Quantity) return false;
    }
    return true;
}

std::int32_t TPanels::TotalQty() const {
    std::int64_t sum = 0;
    for (const T2DStock& p : Items_) sum += p.Quantity;
    return CheckedInt32(sum);
}

double TPanels::TotalArea() const {
    double sum = 0.0;
    for (const T2DStock& p : Items_) sum += p.Quantity * p.Area();
    return sum;
}

bool TPanels::AnyFits(std::int32_t ALength, std::int32_t AWidth) const {
    for (const T2DStock& p : Items_)
        if (p.Length >= ALength && p.Width >= AWidth) return true;
    return false;
}

namespace {

// The value of a candidate layout with the given counts (see TPanels::Score).
template <class TCounts>
double ScoreOf(const TCounts& Counts, const TPanels& Remaining, const TPanels& Wanted,
               const TPanels& Weights, const TPanels& Other) {
    double sum = 0.0;
    for (int i = 0; i < Counts.Count(); ++i) {
        const std::int32_t n = CountAt(Counts, i);
        const double c = n;
        const std::int32_t r = Remaining[i].Quantity;
        if (r < n) return -1.0;
        const std::int32_t q = Wanted[i].Quantity;
        const std::int32_t o = Other[i].Quantity;
        const double w = Weights[i].Quantity;
        double t = c * w * static_cast<double>(r) /
                   ((static_cast<double>(q) + 1.0) * (static_cast<double>(o) + 1.0));
        if (static_cast<std::int64_t>(q) - r >= o) t = t / 1.02;
        sum += t;
    }
    return sum;
}

template <class TCounts>
void LowerWeightsOf(std::vector<T2DStock>& Weights, const TCounts& Counts, const TPanels& Wanted) {
    const std::int32_t total = Wanted.TotalQty();
    for (int i = 0; i < static_cast<int>(Weights.size()); ++i) {
        T2DStock& w = Weights[static_cast<std::size_t>(i)];
        if (w.Quantity > kMaxAdjustedWeight) continue;
        const double c = CountAt(Counts, i);
        w.Quantity = Round32((1.0 - c / total) * w.Quantity);
    }
}

}  // namespace

double TPanels::Score(const TPanels& Remaining, const TPanels& Wanted, const TPanels& Weights,
                      const TPanels& Other, double /*AvgArea*/) const {
    return ScoreOf(*this, Remaining, Wanted, Weights, Other);
}

void TPanels::RaiseWeights(const TPanels& Counts, const TPanels& Wanted, double /*AvgArea*/) {
    if (Wanted.Count() == 0) throw ERangeError("Division by zero");
    const std::int32_t avg = Wanted.TotalQty() / Wanted.Count();
    for (int i = 0; i < Count(); ++i) {
        T2DStock& w = Items_[i];
        if (w.Quantity > kMaxAdjustedWeight) continue;
        const double c = Counts[i].Quantity;
        w.Quantity = Round32((c / avg + 1.0) * w.Quantity);
    }
}

void TPanels::LowerWeights(const TPanels& Counts, const TPanels& Wanted, double /*AvgArea*/) {
    LowerWeightsOf(Items_, Counts, Wanted);
}

void TPanels::LowerWeights(const TPartCounts& Counts, const TPanels& Wanted) {
    LowerWeightsOf(Items_, Counts, Wanted);
}

// ---- TPartCounts ------------------------------------------------------------

namespace {

// Two descriptions of the same part: every field but Quantity and ExtraText.
bool SameDescription(const T2DStock& A, const T2DStock& B) {
    return A.Index == B.Index && A.Length == B.Length && A.Width == B.Width &&
           A.CanRotate == B.CanRotate && A.Position == B.Position && A.Label == B.Label &&
           A.Cost == B.Cost && A.Factor == B.Factor && A.Selectable == B.Selectable &&
           A.ShapeKind == B.ShapeKind && A.ProfileIndex == B.ProfileIndex &&
           A.TurnState == B.TurnState && A.LengthText == B.LengthText &&
           A.WidthText == B.WidthText && A.Comment == B.Comment && A.Material == B.Material &&
           A.Priority == B.Priority && A.SourceKind == B.SourceKind && A.Edge == B.Edge &&
           A.Rotated == B.Rotated;
}

// The shared descriptions of Parts: those made last on this thread when
// they describe the same parts, else new ones.
std::shared_ptr<const std::vector<T2DStock>> DescriptionsOf(const TPanels& Parts) {
    thread_local std::shared_ptr<const std::vector<T2DStock>> last;
    const std::vector<T2DStock>& items = Parts.Items();
    if (last && last->size() == items.size() &&
        std::equal(items.begin(), items.end(), last->begin(), SameDescription))
        return last;
    auto made = std::make_shared<std::vector<T2DStock>>(items.size());
    for (std::size_t i = 0; i < items.size(); ++i) {
        (*made)[i].Assign(items[i]);
        (*made)[i].Quantity = 0;
    }
    last = made;
    return last;
}

}  // namespace

T2DStock& TPartCounts::EditPart(int Index) {
    const std::size_t i = Checked(Index);
    if (Parts_.use_count() != 1) Parts_ = std::make_shared<std::vector<T2DStock>>(*Parts_);
    return const_cast<T2DStock&>((*Parts_)[i]);
}

void TPartCounts::EditParts(TEditCache& Cache, const std::function<void(T2DStock&)>& Edit) {
    if (!Parts_) return;
    for (const auto& [before, after] : Cache) {
        if (before == Parts_) {
            Parts_ = after;
            return;
        }
    }
    auto edited = std::make_shared<std::vector<T2DStock>>(*Parts_);
    for (T2DStock& c : *edited) Edit(c);
    Cache.emplace_back(Parts_, edited);
    Parts_ = edited;
}

void TPartCounts::Assign(const TPanels& Parts, bool WithQuantities) {
    Parts_ = DescriptionsOf(Parts);
    Qty_.assign(static_cast<std::size_t>(Parts.Count()), 0);
    if (WithQuantities)
        for (std::size_t i = 0; i < Qty_.size(); ++i) Qty_[i] = Parts.Items()[i].Quantity;
}

TPanels TPartCounts::ToPanels() const {
    TPanels list;
    for (int i = 0; i < Count(); ++i) list[list.AddCopy(Part(i))].Quantity = Qty(i);
    return list;
}

void TPartCounts::Zero() {
    std::fill(Qty_.begin(), Qty_.end(), 0);
}

std::int32_t TPartCounts::TotalQty() const {
    std::int64_t sum = 0;
    for (const std::int32_t q : Qty_) sum += q;
    return CheckedInt32(sum);
}

bool TPartCounts::QtyGreaterLex(const TPartCounts& Other) const {
    for (int i = 0; i < Count(); ++i) {
        const std::int32_t a = Qty_[static_cast<std::size_t>(i)], b = Other.Qty(i);
        if (a != b) return a > b;
    }
    return false;
}

bool TPartCounts::SameQuantities(const TPartCounts& Other) const {
    for (int i = 0; i < Count(); ++i)
        if (Qty_[static_cast<std::size_t>(i)] != Other.Qty(i)) return false;
    return true;
}

bool TPartCounts::SameQuantities(const TPanels& Other) const {
    for (int i = 0; i < Count(); ++i)
        if (Qty_[static_cast<std::size_t>(i)] != Other[i].Quantity) return false;
    return true;
}

bool TPartCounts::AllQtyNotGreater(const TPartCounts& Other) const {
    for (int i = 0; i < Count(); ++i)
        if (Qty_[static_cast<std::size_t>(i)] > Other.Qty(i)) return false;
    return true;
}

bool TPartCounts::AnyQtyGreater(const TPanels& Other) const {
    for (int i = 0; i < Count(); ++i)
        if (Qty_[static_cast<std::size_t>(i)] > Other[i].Quantity) return true;
    return false;
}

namespace {

// Whether no two descriptions share label and material, remembered for the
// descriptions asked about last on this thread.
bool UniqueLabels(const TPartCounts::TShared& Parts) {
    thread_local std::weak_ptr<const std::vector<T2DStock>> last;
    thread_local bool lastUnique = false;
    const bool same = !last.expired() && !last.owner_before(Parts) && !Parts.owner_before(last);
    if (!same) {
        std::unordered_set<std::string> seen;
        seen.reserve(Parts->size());
        lastUnique = true;
        for (const T2DStock& p : *Parts) {
            std::string key = p.Label;
            key += '\0';
            key += p.Material;
            if (!seen.insert(std::move(key)).second) {
                lastUnique = false;
                break;
            }
        }
        last = Parts;
    }
    return lastUnique;
}

}  // namespace

bool TPartCounts::SameItems(const TPartCounts& Other) const {
    // The same descriptions, no label twice: each part matches itself.
    if (Parts_ && Parts_ == Other.Parts_ && UniqueLabels(Parts_)) return Qty_ == Other.Qty_;
    for (int i = 0; i < Count(); ++i) {
        const T2DStock& p = Part(i);
        int match = -1;
        for (int j = 0; j < Other.Count(); ++j) {
            const T2DStock& o = Other.Part(j);
            if (o.Label == p.Label && o.Material == p.Material) {
                match = j;
                break;
            }
        }
        if (match < 0 || Other.Qty(match) != Qty(i)) return false;
    }
    return true;
}

double TPartCounts::Score(const TPanels& Remaining, const TPanels& Wanted, const TPanels& Weights,
                          const TPanels& Other) const {
    return ScoreOf(*this, Remaining, Wanted, Weights, Other);
}
