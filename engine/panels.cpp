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

// Reads the quantities of a part list at ascending positions, as
// TPartCounts::TReader reads counts.
class TPanelsReader {
  public:
    explicit TPanelsReader(const TPanels& List) : List_(List) {}
    std::int32_t At(int Index) const { return List_[Index].Quantity; }

  private:
    const TPanels& List_;
};

TPanelsReader ReaderOf(const TPanels& List) {
    return TPanelsReader(List);
}
TPartCounts::TReader ReaderOf(const TPartCounts& List) {
    return TPartCounts::TReader(List);
}

// The value of a candidate layout with the given counts (see TPanels::Score).
template <class TCounts>
double ScoreOf(const TCounts& Counts, const TPanels& Remaining, const TPanels& Wanted,
               const TPanels& Weights, const TPanels& Other) {
    auto counts = ReaderOf(Counts);
    double sum = 0.0;
    for (int i = 0; i < Counts.Count(); ++i) {
        const std::int32_t n = counts.At(i);
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
    auto counts = ReaderOf(Counts);
    const std::int32_t total = Wanted.TotalQty();
    for (int i = 0; i < static_cast<int>(Weights.size()); ++i) {
        T2DStock& w = Weights[static_cast<std::size_t>(i)];
        if (w.Quantity > kMaxAdjustedWeight) continue;
        const double c = counts.At(i);
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

// ---- TPartCounts: forms ------------------------------------------------------

namespace {

// The non-zero counts of Dense as pairs into Pairs; false (Pairs then
// incomplete) once they pass a quarter of the positions: a pair costs two
// numbers, and a list with that many counts is read faster dense.
// The most non-zero counts a list of Positions keeps compact.
std::size_t MostCompactCounts(std::size_t Positions) {
    return Positions / 4;
}

bool GatherPairs(const std::vector<std::int32_t>& Dense, std::vector<std::int32_t>& Pairs) {
    Pairs.clear();
    const int n = static_cast<int>(Dense.size());
    const std::size_t most = MostCompactCounts(Dense.size());
    for (int i = 0; i < n; ++i) {
        const std::int32_t q = Dense[static_cast<std::size_t>(i)];
        if (q == 0) continue;
        if (Pairs.size() / 2 == most) return false;
        Pairs.push_back(i);
        Pairs.push_back(q);
    }
    return true;
}

}  // namespace

std::int32_t TPartCounts::TView::Find(std::size_t Index) const {
    // Binary search over the pairs' positions.
    std::size_t lo = 0, hi = static_cast<std::size_t>(PairsEnd_ - Pairs_) / 2;
    while (lo < hi) {
        const std::size_t mid = (lo + hi) / 2;
        const auto at = static_cast<std::size_t>(Pairs_[2 * mid]);
        if (at == Index) return Pairs_[2 * mid + 1];
        if (at < Index)
            lo = mid + 1;
        else
            hi = mid;
    }
    return 0;
}

TPartCounts::TView TPartCounts::Quantities() const {
    TView v;
    v.Size_ = static_cast<std::size_t>(Count_);
    if (Compact_) {
        v.Pairs_ = Data_.data();
        v.PairsEnd_ = Data_.data() + Data_.size();
    } else {
        v.Dense_ = Data_.data();
    }
    return v;
}

TPartCounts::TPartCounts(const TPartCounts& Source) : Parts_(Source.Parts_), Count_(Source.Count_) {
    CopyCounts(Source);
}

TPartCounts::TPartCounts(TPartCounts&& Source) noexcept
    : Parts_(std::move(Source.Parts_)),
      Data_(std::move(Source.Data_)),
      Count_(Source.Count_),
      Compact_(Source.Compact_),
      Held_(Source.Held_) {
    Source.Data_.clear();
    Source.Count_ = 0;
    Source.Compact_ = false;
}

TPartCounts& TPartCounts::operator=(const TPartCounts& Source) {
    if (this == &Source) return *this;
    Parts_ = Source.Parts_;
    Count_ = Source.Count_;
    CopyCounts(Source);
    return *this;
}

TPartCounts& TPartCounts::operator=(TPartCounts&& Source) noexcept {
    if (this == &Source) return *this;
    Parts_ = std::move(Source.Parts_);
    Data_ = std::move(Source.Data_);
    Count_ = Source.Count_;
    Compact_ = Source.Compact_;
    Source.Data_.clear();
    Source.Count_ = 0;
    Source.Compact_ = false;
    CompactIfWorth();
    return *this;
}

void TPartCounts::CopyCounts(const TPartCounts& Source) {
    if (Source.Compact_) {
        if (Held_) {
            Data_.assign(Source.Data_.begin(), Source.Data_.end());
            Compact_ = true;
            return;
        }
        Data_.assign(static_cast<std::size_t>(Count_), 0);
        for (std::size_t k = 0; k < Source.Data_.size(); k += 2)
            Data_[static_cast<std::size_t>(Source.Data_[k])] = Source.Data_[k + 1];
        Compact_ = false;
        return;
    }
    if (Held_ && Count_ >= CompactFrom) {
        thread_local std::vector<std::int32_t> pairs;
        if (GatherPairs(Source.Data_, pairs)) {
            // Exactly the pairs' size when the storage has to grow.
            Data_.assign(pairs.begin(), pairs.end());
            Compact_ = true;
            return;
        }
    }
    Data_.assign(Source.Data_.begin(), Source.Data_.end());
    Compact_ = false;
}

void TPartCounts::MakeDense() {
    std::vector<std::int32_t> dense(static_cast<std::size_t>(Count_), 0);
    for (std::size_t k = 0; k < Data_.size(); k += 2)
        dense[static_cast<std::size_t>(Data_[k])] = Data_[k + 1];
    Data_ = std::move(dense);
    Compact_ = false;
}

void TPartCounts::CompactIfWorth() {
    if (!Held_ || Compact_ || Count_ < CompactFrom) return;
    thread_local std::vector<std::int32_t> pairs;
    if (!GatherPairs(Data_, pairs)) return;
    // A new buffer of the pairs' size: the dense one is given back.
    Data_ = std::vector<std::int32_t>(pairs.begin(), pairs.end());
    Compact_ = true;
}

void TPartCounts::Hold() {
    Held_ = true;
    CompactIfWorth();
}

void TPartCounts::HoldWith(const std::vector<std::int32_t>& Pairs) {
    Held_ = true;
    // Compact exactly when gathering the pairs would make it so.
    if (Compact_ || Count_ < CompactFrom ||
        Pairs.size() / 2 > MostCompactCounts(static_cast<std::size_t>(Count_)))
        return;
    // A buffer of the pairs' size, as CompactIfWorth makes.
    Data_ = std::vector<std::int32_t>(Pairs.begin(), Pairs.end());
    Compact_ = true;
}

// ---- TPartCounts ------------------------------------------------------------

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
    Count_ = Parts.Count();
    Data_.assign(static_cast<std::size_t>(Count_), 0);
    Compact_ = false;
    if (WithQuantities)
        for (std::size_t i = 0; i < Data_.size(); ++i) Data_[i] = Parts.Items()[i].Quantity;
    CompactIfWorth();
}

TPanels TPartCounts::ToPanels() const {
    TPanels list;
    TReader counts(*this);
    for (int i = 0; i < Count(); ++i) list[list.AddCopy(Part(i))].Quantity = counts.At(i);
    return list;
}

void TPartCounts::Zero() {
    if (Compact_)
        Data_.clear();
    else
        std::fill(Data_.begin(), Data_.end(), 0);
}

std::int32_t TPartCounts::TotalQty() const {
    std::int64_t sum = 0;
    ForEachNonZero([&sum](int, std::int32_t q) { sum += q; });
    return CheckedInt32(sum);
}

namespace {

// Calls Pair(a, b) with the counts of A and B at every position of A, in
// order, until it returns true; a position B lacks is a list-index error.
// True when Pair stopped the walk.
template <class TPair>
bool WalkPositions(const TPartCounts& A, const TPartCounts& B, TPair&& Pair) {
    TPartCounts::TReader a(A), b(B);
    for (int i = 0; i < A.Count(); ++i)
        if (Pair(a.At(i), b.At(i))) return true;
    return false;
}

}  // namespace

bool TPartCounts::QtyGreaterLex(const TPartCounts& Other) const {
    bool greater = false;
    WalkPositions(*this, Other, [&greater](std::int32_t a, std::int32_t b) {
        if (a == b) return false;
        greater = a > b;
        return true;
    });
    return greater;
}

bool TPartCounts::SameQuantities(const TPartCounts& Other) const {
    if (Count_ == Other.Count_ && Compact_ && Other.Compact_) return Data_ == Other.Data_;
    return !WalkPositions(*this, Other, [](std::int32_t a, std::int32_t b) { return a != b; });
}

bool TPartCounts::SameQuantities(const TPanels& Other) const {
    TReader counts(*this);
    for (int i = 0; i < Count(); ++i)
        if (counts.At(i) != Other[i].Quantity) return false;
    return true;
}

bool TPartCounts::AllQtyNotGreater(const TPartCounts& Other) const {
    return !WalkPositions(*this, Other, [](std::int32_t a, std::int32_t b) { return a > b; });
}

bool TPartCounts::AnyQtyGreater(const TPanels& Other) const {
    TReader counts(*this);
    for (int i = 0; i < Count(); ++i)
        if (counts.At(i) > Other[i].Quantity) return true;
    return false;
}

std::pair<bool, bool> TPartCounts::NotGreaterEachWay(const TPartCounts& Other) const {
    if (Count_ != Other.Count_) ThrowListIndexError(std::min(Count_, Other.Count_));
    bool thisLeq = true, otherLeq = true;
    auto order = [&](std::int32_t a, std::int32_t b) {
        if (a > b)
            thisLeq = false;
        else if (a < b)
            otherLeq = false;
        return !thisLeq && !otherLeq;
    };
    if (!Compact_ && !Other.Compact_) {
        const std::int32_t* a = Data_.data();
        const std::int32_t* b = Other.Data_.data();
        for (std::size_t i = 0, n = Data_.size(); i < n; ++i)
            if (order(a[i], b[i])) break;
    } else if (Compact_ && Other.Compact_) {
        // Positions absent from both lists are 0 on both sides.
        std::size_t x = 0, y = 0;
        const std::vector<std::int32_t>&a = Data_, &b = Other.Data_;
        while (x < a.size() || y < b.size()) {
            std::int32_t qa = 0, qb = 0;
            if (y == b.size() || (x < a.size() && a[x] < b[y])) {
                qa = a[x + 1];
                x += 2;
            } else if (x == a.size() || b[y] < a[x]) {
                qb = b[y + 1];
                y += 2;
            } else {
                qa = a[x + 1];
                qb = b[y + 1];
                x += 2;
                y += 2;
            }
            if (order(qa, qb)) break;
        }
    } else {
        WalkPositions(*this, Other, order);
    }
    return {thisLeq, otherLeq};
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
    if (Parts_ && Parts_ == Other.Parts_ && UniqueLabels(Parts_)) return SameQuantities(Other);
    TReader counts(*this);
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
        if (match < 0 || Other.Qty(match) != counts.At(i)) return false;
    }
    return true;
}

double TPartCounts::Score(const TPanels& Remaining, const TPanels& Wanted, const TPanels& Weights,
                          const TPanels& Other) const {
    return ScoreOf(*this, Remaining, Wanted, Weights, Other);
}
