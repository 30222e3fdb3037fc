#include "engine/optimize2d.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <numeric>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "engine/guillotine.h"
#include "engine/numeric.h"
#include "engine/progress.h"
#include "engine/pubstr.h"
#include "platform/clock.h"

bool OptimizeInnerFlag = false;

namespace {

constexpr std::int32_t kWeightCeiling = 9999999;

// Nearest integer, halves to even; values beyond 32 bits are held at the
// nearest 32-bit bound instead of ending the run.
std::int32_t HeldRound(double X) {
    if (std::isnan(X)) return 0;
    if (X >= 2147483647.0) return std::numeric_limits<std::int32_t>::max();
    if (X <= -2147483648.0) return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(std::nearbyint(X));
}

std::int32_t HeldSum(std::int64_t A, std::int64_t B) {
    const std::int64_t s = A + B;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(
        s, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

std::int64_t TotalQty64(const TPanels& List) {
    std::int64_t sum = 0;
    for (const T2DStock& s : List) sum += s.Quantity;
    return sum;
}

// The raising of the trial weights (TPanels::RaiseWeights) with weights that
// would leave 32 bits held at the largest 32-bit value.
template <class TCounts>
void RaiseWeightsHeld(TPanels& Weights, const TCounts& Counts, const TPanels& Wanted) {
    if (Wanted.Empty()) return;
    const std::int64_t avg = TotalQty64(Wanted) / Wanted.Count();
    for (int i = 0; i < Weights.Count(); ++i) {
        T2DStock& w = Weights[i];
        if (w.Quantity > kWeightCeiling) continue;
        const std::int32_t c = CountAt(Counts, i);
        double share;
        if (c == 0)
            share = 0.0;
        else if (avg == 0)
            share = c > 0 ? std::numeric_limits<double>::infinity()
                          : -std::numeric_limits<double>::infinity();
        else
            share = static_cast<double>(c) / static_cast<double>(avg);
        const double x = w.Quantity == 0 ? 0.0 : (share + 1.0) * w.Quantity;
        w.Quantity = HeldRound(x);
    }
}

// The scratch sheet takes a stock entry's outline and data.
void LoadStockEntry(TPacket& Sheet, const T2DStock& Entry) {
    Sheet.Length = Entry.Length;
    Sheet.Width = Entry.Width;
    Sheet.Position = {0, 0};
    Sheet.Quantity = 1;
    Sheet.Label = Entry.Label;
    Sheet.Index = Entry.Index;
    Sheet.Cost = Entry.Cost;
    Sheet.LengthText = Entry.LengthText;
    Sheet.WidthText = Entry.WidthText;
    Sheet.Comment = Entry.Comment;
    Sheet.SourceKind = Entry.SourceKind;
    Sheet.Priority = Entry.Priority;
}

// Position of the first item labelled Label (exact comparison), -1 when none.
int FindByLabel(const TPanels& List, const std::string& Label) {
    for (int i = 0; i < List.Count(); ++i)
        if (List.Items()[static_cast<std::size_t>(i)].Label == Label) return i;
    return -1;
}

// Layouts by UsedValue, largest first, keeping the order of equal values.
void SortByUsedValue(TSchemes& Plan) {
    auto& items = Plan.Packets.Items();
    std::vector<std::pair<double, std::size_t>> keyed;
    keyed.reserve(items.size());
    for (std::size_t i = 0; i < items.size(); ++i) keyed.emplace_back(items[i]->UsedValue(), i);
    std::stable_sort(keyed.begin(), keyed.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
    TPacketList::Storage sorted;
    sorted.reserve(items.size());
    for (const auto& k : keyed) sorted.push_back(std::move(items[k.second]));
    items = std::move(sorted);
}

// The layouts of Plan leave R and the stock: each part count times the
// layout's sheet count from the first part of the same label, the sheet
// count from every stock entry of the layout's label.
void SubtractLayout(const TPacket& Layout, TPanels& R, TPanels& Stock) {
    for (int i = 0; i < Layout.PartCounts.Count(); ++i) {
        const int j = FindByLabel(R, Layout.PartCounts.Part(i).Label);
        if (j >= 0)
            R[j].Quantity = HeldSum(R[j].Quantity, -std::int64_t{Layout.PartCounts.Qty(i)} *
                                                       std::int64_t{Layout.Quantity});
    }
    for (T2DStock& e : Stock)
        if (e.Label == Layout.Label) e.Quantity -= Layout.Quantity;
}

// The part counts of all layouts added up, as a list of the first layout's
// parts: each count goes to the position its part's Index names.
TPanels PartTotals(const TSchemes& Layouts) {
    TPanels totals = Layouts[0].PartCounts.ToPanels();
    for (int k = 1; k < Layouts.Count(); ++k) {
        const TPartCounts& c = Layouts[k].PartCounts;
        for (int i = 0; i < totals.Count(); ++i) totals[c.Part(i).Index].Quantity += c.Qty(i);
    }
    return totals;
}

// The position of the first part of each label of a list, as FindByLabel
// finds it; valid while the list's labels stay as they are.
class TLabelIndex {
  public:
    explicit TLabelIndex(const TPanels& List) {
        Positions_.reserve(static_cast<std::size_t>(List.Count()));
        for (int i = 0; i < List.Count(); ++i)
            Positions_.emplace(List.Items()[static_cast<std::size_t>(i)].Label, i);
    }
    int Find(const std::string& Label) const {
        const auto at = Positions_.find(Label);
        return at == Positions_.end() ? -1 : at->second;
    }

  private:
    std::unordered_map<std::string_view, int> Positions_;
};

// Every part of Counts takes the texts of the part of Parts with its label.
void RenewPartTexts(TPartCounts& Counts, const TPanels& Parts, const TLabelIndex& Labels,
                    TPartCounts::TEditCache& Cache) {
    Counts.EditParts(Cache, [&](T2DStock& c) {
        const int j = Labels.Find(c.Label);
        if (j >= 0) c.SetTextsFromPart(Parts[j]);
    });
}

// Quantities of a list by position.
std::vector<std::int32_t> Quantities(const TPanels& List) {
    std::vector<std::int32_t> q;
    q.reserve(static_cast<std::size_t>(List.Count()));
    for (const T2DStock& s : List) q.push_back(s.Quantity);
    return q;
}

}  // namespace

std::string PartHasNoSizeMessage(const std::string& Label) {
    return "Part[label=" + Label + "] has no size left after its edge banding.";
}

std::string NoGuillotineLayoutMessage(const std::string& Label) {
    return "Part[label=" + Label +
           "] can't be placed: no layout holding it passes the guillotine test.";
}

std::string TOptimize2d::NoPlanMessage() const {
    // With stock to fill and no minimum offcut, only the guillotine test can
    // have kept every layout of a part out of the candidates.
    const bool stock = std::any_of(Panels.begin(), Panels.end(), [](const T2DStock& e) {
        return e.Quantity != 0 || OrderOptimize;
    });
    if (GuillotineMode && stock && MinOffcutSize < 1) {
        std::vector<char> held(static_cast<std::size_t>(Parts.Count()), 0);
        for (const TPacket& layout : Candidates.Packets)
            for (int i = 0; i < layout.PartCounts.Count(); ++i) {
                const std::int32_t index = layout.PartCounts.Part(i).Index;
                if (layout.PartCounts.Qty(i) > 0 && index >= 0 && index < Parts.Count())
                    held[static_cast<std::size_t>(index)] = 1;
            }
        for (int j = 0; j < Parts.Count() && j < WorkParts.Count(); ++j)
            if (WorkParts[j].Quantity > 0 && !held[static_cast<std::size_t>(j)])
                return NoGuillotineLayoutMessage(Parts[j].Label);
    }
    std::string text = MsgCantGetResult;
    if (MinOffcutSize >= 1) text += "\r\nSetup Minimum Offcut Size to 0, try it again.";
    return text;
}

TOptimize2d::TOptimize2d() {
    FastOptimize = true;
}

void TOptimize2d::Clear() {
    Seeds.Clear();
    Candidates.Clear();
    Best.Clear();
    Parts.Clear();
    WorkParts.Clear();
    Panels.Clear();
    PanelsLeft.Clear();
}

bool TOptimize2d::TimeCheckFails() {
    OptimizeElapsedSeconds = std::llabs(platform::NowMilliseconds() - OptimizeStartTime) / 1000;
    if (OptimizeElapsedSeconds > OptimizeTimeLimit) {
        Stats.TimeLimitReached = true;
        return true;
    }
    return CancelSeen();
}

bool TOptimize2d::CancelSeen() {
    if (!OptimizeCancelRequested()) return false;
    Stats.Cancelled = true;
    return true;
}

void TOptimize2d::StartOver(const TPanels& GivenParts, const TPanels& GivenWork,
                           const TPanels& GivenStock) {
    Best.Clear();
    PanelsLeft.Clear();
    Packet = TPacket();
    Parts = GivenParts;
    WorkParts = GivenWork;
    Panels = GivenStock;
}

void TOptimize2d::EndCancelled(std::string& ErrorText, const TPanels& GivenParts,
                               const TPanels& GivenWork, const TPanels& GivenStock) {
    ErrorText.clear();
    StartOver(GivenParts, GivenWork, GivenStock);
}

// ---- the candidate gate ---------------------------------------------------------

TPartMask PartMask(const std::vector<TSeeds::TCount>& Counts) {
    TPartMask mask;
    for (const TSeeds::TCount& c : Counts)
        if (c.Qty > 0) mask.Set(c.Index);
    return mask;
}

void TFoldIndex::Clear() {
    Bits_.clear();
    Folds_.clear();
}

void TFoldIndex::Append(std::uint64_t Fold) {
    if (Folds_.size() % (64 * ChunkWords) == 0) Bits_.resize(Bits_.size() + Rows * ChunkWords, 0);
    Folds_.push_back(0);
    Set(Folds_.size() - 1, Fold);
}

void TFoldIndex::Set(std::size_t K, std::uint64_t Fold) {
    const std::uint64_t bit = std::uint64_t{1} << (K % 64);
    for (std::uint64_t change = Folds_[K] ^ Fold; change != 0; change &= change - 1)
        Word(static_cast<std::size_t>(std::countr_zero(change)), K / 64) ^= bit;
    for (std::uint64_t change = Coarse(Folds_[K]) ^ Coarse(Fold); change != 0; change &= change - 1)
        Word(64 + static_cast<std::size_t>(std::countr_zero(change)), K / 64) ^= bit;
    Folds_[K] = Fold;
}

void TFoldIndex::Erase(std::size_t K) {
    constexpr std::size_t C = ChunkWords;
    const std::size_t chunks = Bits_.size() / (Rows * C);
    const std::size_t first = K / 64;
    const std::uint64_t below = (std::uint64_t{1} << (K % 64)) - 1;
    std::uint64_t low[Rows];
    for (std::size_t b = 0; b < Rows; ++b) low[b] = Word(b, first) & below;
    // Every word from layout K's on takes the lowest bit of the next one
    // as its highest; then the bits below K come back.
    for (std::size_t c = first / C; c < chunks; ++c)
        for (std::size_t b = 0; b < Rows; ++b) {
            std::uint64_t* row = Bits_.data() + (c * Rows + b) * C;
            const std::uint64_t carry = c + 1 < chunks ? row[Rows * C] << 63 : 0;
            for (std::size_t j = c == first / C ? first % C : 0; j + 1 < C; ++j)
                row[j] = (row[j] >> 1) | (row[j + 1] << 63);
            row[C - 1] = (row[C - 1] >> 1) | carry;
        }
    for (std::size_t b = 0; b < Rows; ++b) Word(b, first) = low[b] | (Word(b, first) & ~below);
    Folds_.erase(Folds_.begin() + static_cast<std::ptrdiff_t>(K));
    if (Folds_.size() % (64 * C) == 0) Bits_.resize(Bits_.size() - Rows * C);
}

void TFoldIndex::Related(std::uint64_t Fold, std::vector<std::uint64_t>& Words) const {
    constexpr std::size_t C = ChunkWords;
    const std::size_t count = Folds_.size();
    const std::size_t words = (count + 63) / 64;
    Words.assign(words, 0);
    // The rows read: bits of Fold (a layout without one cannot hold Fold)
    // and other bits (a layout with one is not within Fold). The coarse
    // rows outside Fold's coarse bits come first: most layouts have one.
    // With five bits of Fold they leave about one layout in a chunk; the
    // fine rows then settle the rest.
    std::uint8_t in[64], out[80];
    std::size_t nIn = 0, nOut = 0;
    const std::uint64_t coarse = Coarse(Fold);
    for (std::uint8_t b = 0; b < 16; ++b)
        if (!((coarse >> b) & 1)) out[nOut++] = static_cast<std::uint8_t>(64 + b);
    const std::size_t firstOut = nOut;
    for (std::uint8_t b = 0; b < 64; ++b) {
        if ((Fold >> b) & 1)
            in[nIn++] = b;
        else
            out[nOut++] = b;
    }
    const std::size_t firstIn = std::min<std::size_t>(nIn, 5);
    for (std::size_t chunk = 0; chunk * C < words; ++chunk) {
        const std::uint64_t* rows = Bits_.data() + chunk * Rows * C;
        // The layouts of the chunk.
        std::uint64_t valid[C];
        for (std::size_t j = 0; j < C; ++j) {
            const std::size_t w = chunk * C + j;
            valid[j] = w >= words                         ? 0
                       : w + 1 < words || count % 64 == 0 ? ~std::uint64_t{0}
                                                          : (std::uint64_t{1} << (count % 64)) - 1;
        }
        // Holds: layouts with every bit of Fold read; Outside: layouts with
        // a bit outside Fold.
        std::uint64_t holds[C], outside[C];
        for (std::size_t j = 0; j < C; ++j) {
            holds[j] = ~std::uint64_t{0};
            outside[j] = 0;
        }
        // Then two bits of Fold and six others at a time, until no layout
        // is left or every row is read.
        std::size_t i = 0, o = 0, inEnd = firstIn, outEnd = firstOut;
        for (;;) {
            for (; i < inEnd; ++i) {
                const std::uint64_t* row = rows + in[i] * C;
                for (std::size_t j = 0; j < C; ++j) holds[j] &= row[j];
            }
            for (; o < outEnd; ++o) {
                const std::uint64_t* row = rows + out[o] * C;
                for (std::size_t j = 0; j < C; ++j) outside[j] |= row[j];
            }
            std::uint64_t any = 0;
            for (std::size_t j = 0; j < C; ++j) any |= (holds[j] | ~outside[j]) & valid[j];
            if (any == 0) break;
            if (i == nIn && o == nOut) {
                for (std::size_t j = 0; j < C && chunk * C + j < words; ++j)
                    Words[chunk * C + j] = (holds[j] | ~outside[j]) & valid[j];
                break;
            }
            inEnd = std::min(nIn, i + 2);
            outEnd = std::min(nOut, o + 6);
        }
    }
}

void TLayoutFacts::Build(const TSchemes& Plan) {
    Totals.clear();
    Index.clear();
    Priority.clear();
    Masks.clear();
    Folds.Clear();
    Values.clear();
    Arena_.clear();
    Start_.clear();
    Length_.clear();
    Live_ = 0;
    for (const TPacket& p : Plan.Packets) Append(p, TSeeds::InfoOf(p));
}

std::size_t TLayoutFacts::Put(const std::vector<TSeeds::TCount>& Counts) {
    const std::size_t start = Arena_.size();
    Arena_.insert(Arena_.end(), Counts.begin(), Counts.end());
    Live_ += Counts.size();
    return start;
}

void TLayoutFacts::Pack() {
    std::vector<TSeeds::TCount> packed;
    packed.reserve(Live_ + Live_ / 2);
    for (std::size_t k = 0; k < Start_.size(); ++k) {
        const std::size_t start = packed.size();
        packed.insert(packed.end(), Arena_.begin() + static_cast<std::ptrdiff_t>(Start_[k]),
                      Arena_.begin() + static_cast<std::ptrdiff_t>(Start_[k] + Length_[k]));
        Start_[k] = start;
    }
    Arena_ = std::move(packed);
}

void TLayoutFacts::Set(std::size_t K, const TPacket& Layout, const TSeeds::TBlockInfo& Info) {
    Live_ -= Length_[K];
    if (Info.Counts.size() <= Length_[K]) {
        std::copy(Info.Counts.begin(), Info.Counts.end(),
                  Arena_.begin() + static_cast<std::ptrdiff_t>(Start_[K]));
        Live_ += Info.Counts.size();
    } else {
        Start_[K] = Put(Info.Counts);
    }
    Length_[K] = Info.Counts.size();
    Totals[K] = Info.Total;
    Index[K] = Layout.Index;
    Priority[K] = Layout.Priority;
    Masks[K] = PartMask(Info.Counts);
    Folds.Set(K, Masks[K].Folded());
    Values[K] = Layout.Value;
    if (Arena_.size() > 2 * Live_ + 4096) Pack();
}

void TLayoutFacts::Append(const TPacket& Layout, const TSeeds::TBlockInfo& Info) {
    Start_.push_back(Put(Info.Counts));
    Length_.push_back(Info.Counts.size());
    Totals.push_back(Info.Total);
    Index.push_back(Layout.Index);
    Priority.push_back(Layout.Priority);
    Masks.push_back(PartMask(Info.Counts));
    Folds.Append(Masks.back().Folded());
    Values.push_back(Layout.Value);
}

void TLayoutFacts::Erase(std::size_t K) {
    const auto k = static_cast<std::ptrdiff_t>(K);
    Live_ -= Length_[K];
    Start_.erase(Start_.begin() + k);
    Length_.erase(Length_.begin() + k);
    Totals.erase(Totals.begin() + k);
    Index.erase(Index.begin() + k);
    Priority.erase(Priority.begin() + k);
    Masks.erase(Masks.begin() + k);
    Folds.Erase(K);
    Values.erase(Values.begin() + k);
    if (Arena_.size() > 2 * Live_ + 4096) Pack();
}

// Layouts of no comparable Value are never the lowest.
static double OrderedValue(double Value) {
    return std::isnan(Value) ? std::numeric_limits<double>::infinity() : Value;
}

void TPlanGate::Order() {
    ByValue_.clear();
    Keys_.clear();
    for (std::size_t k = 0; k < Facts_.Size(); ++k) {
        Keys_.push_back(NextKey_);
        ByValue_.emplace(OrderedValue(Facts_.Values[k]), NextKey_++);
    }
    Ordered_ = true;
}

void TPlanGate::Forget(std::size_t K) {
    if (Ordered_) ByValue_.erase({OrderedValue(Facts_.Values[K]), Keys_[K]});
}

void TPlanGate::Remember(std::size_t K) {
    if (Ordered_) ByValue_.emplace(OrderedValue(Facts_.Values[K]), Keys_[K]);
}

void TPlanGate::Sync() {
    Ordered_ = false;
    Facts_.Build(Plan_);
    Length_ = -1;
    for (const TPacket& p : Plan_.Packets) {
        if (Length_ == -1)
            Length_ = p.PartCounts.Count();
        else if (Length_ != p.PartCounts.Count())
            Length_ = -2;
    }
}

bool TPlanGate::AddPacket(TPacket& Packet, bool CheckGuillotine, bool AllowDominated,
                          const TSeeds::TBlockInfo* Info) {
    const int length = Packet.PartCounts.Count();
    if (Length_ == -2 || (Length_ >= 0 && Length_ != length)) {
        // Lists of different lengths: the plan's own gate decides.
        bool stored = Plan_.AddPacket(Packet, CheckGuillotine, AllowDominated);
        if (stored && Limit > 0 && Plan_.Count() > Limit) {
            // Added at the end of a full plan.
            Plan_.Packets.Delete(Plan_.Count() - 1);
            stored = false;
        }
        Sync();
        return stored;
    }
    if (MinOffcutSize > 0 && Packet.MinSpaceSide() < MinOffcutSize) return false;
    if (!KeepPlacements) {
        Packet.Placements.Clear();
        Packet.Spaces.Clear();
    }
    TSeeds::TBlockInfo own;
    if (Info == nullptr) own = TSeeds::InfoOf(Packet);
    const TSeeds::TBlockInfo& info = Info != nullptr ? *Info : own;
    // A layout kept takes the compact form from the counts at hand.
    auto holdCompact = [&] {
        thread_local std::vector<std::int32_t> pairs;
        pairs.clear();
        for (const TSeeds::TCount& c : info.Counts) {
            pairs.push_back(c.Index);
            pairs.push_back(c.Qty);
        }
        Packet.PartCounts.HoldWith(pairs);
    };
    const TPartMask mask = PartMask(info.Counts);
    if (DropLowestValue && !Ordered_) Order();
    auto append = [&] {
        holdCompact();
        Plan_.Packets.Add(Packet);
        Facts_.Append(Packet, info);
        Length_ = length;
        if (Ordered_) {
            Keys_.push_back(NextKey_++);
            Remember(Facts_.Size() - 1);
        }
    };
    auto replace = [&](int K) {
        const auto k = static_cast<std::size_t>(K);
        Forget(k);
        holdCompact();
        Plan_[K].Assign(Packet);
        Facts_.Set(k, Packet, info);
        Remember(k);
    };
    auto remove = [&](int K) {
        const auto k = static_cast<std::size_t>(K);
        Forget(k);
        if (Ordered_) Keys_.erase(Keys_.begin() + K);
        Plan_.Packets.Delete(K);
        Facts_.Erase(k);
    };
    const std::vector<TSeeds::TCount>& a = info.Counts;
    // The kept layouts whose folded part sets lie within the new one's or
    // hold it; every other one holds pieces of a part the new one has none
    // of and the other way round, so neither can dominate the other.
    Facts_.Folds.Related(mask.Folded(), Related_);
    // The last kept layout at or before position I of the new one's stock
    // entry that may stand in relation to it, -1 when none. Layouts below
    // the one at hand keep their places while the plan changes.
    auto lastRelated = [&](int I) {
        for (; I >= 0; --I) {
            auto w = static_cast<std::size_t>(I) / 64;
            const unsigned top = static_cast<unsigned>(I) % 64;
            std::uint64_t bits = Related_[w] & (~std::uint64_t{0} >> (63 - top));
            while (bits == 0) {
                if (w == 0) return -1;
                bits = Related_[--w];
            }
            I = static_cast<int>(w * 64 + 63 - static_cast<std::size_t>(std::countl_zero(bits)));
            const auto k = static_cast<std::size_t>(I);
            if (Facts_.Index[k] != Packet.Index) continue;
            const TPartMask& keptMask = Facts_.Masks[k];
            if (mask.HasOutside(keptMask) && keptMask.HasOutside(mask)) continue;
            return I;
        }
        return -1;
    };
    // How the new counts stand to those of kept layout K (absent positions
    // are 0 on both sides).
    struct TRelation {
        bool NewLeq = true, KeptLeq = true;
    };
    auto relationTo = [&](int K) {
        const std::span<const TSeeds::TCount> b = Facts_.Counts(static_cast<std::size_t>(K));
        TRelation r;
        std::size_t x = 0, y = 0;
        while ((r.NewLeq || r.KeptLeq) && (x < a.size() || y < b.size())) {
            std::int32_t qa = 0, qb = 0;
            if (y == b.size() || (x < a.size() && a[x].Index < b[y].Index)) {
                qa = a[x++].Qty;
            } else if (x == a.size() || b[y].Index < a[x].Index) {
                qb = b[y++].Qty;
            } else {
                qa = a[x++].Qty;
                qb = b[y++].Qty;
            }
            if (qa > qb)
                r.NewLeq = false;
            else if (qa < qb)
                r.KeptLeq = false;
        }
        return r;
    };

    int top = Plan_.Count() - 1;
    if (CheckGuillotine) {
        // When the first kept layout in relation to the new one refuses it
        // at once, nothing changes whatever the guillotine test says: the
        // test is spared.
        top = lastRelated(top);
        if (top >= 0) {
            const TRelation r = relationTo(top);
            if (r.NewLeq && r.KeptLeq &&
                (!CompareEqualLayouts || !BetterThanEqual(Packet, Plan_[top])))
                return false;
            if (r.NewLeq && !r.KeptLeq && !AllowDominated) return false;
        }
        if (!Guillotine.Check(Packet)) return false;
    }
    if (Plan_.Count() == 0) {
        append();
        return true;
    }
    bool replaced = false;
    for (int i = lastRelated(top); i >= 0; i = lastRelated(i - 1)) {
        const TRelation r = relationTo(i);
        if (r.NewLeq && r.KeptLeq) {
            if (!CompareEqualLayouts) return replaced;
            if (BetterThanEqual(Packet, Plan_[i])) {
                replace(i);
                return true;
            }
            return replaced;
        }
        if (r.NewLeq) {
            if (!AllowDominated) return replaced;
            continue;
        }
        if (r.KeptLeq) {
            if (!replaced) {
                replace(i);
                replaced = true;
            } else {
                remove(i);
            }
        }
    }
    if (!replaced) {
        if (Limit > 0 && Plan_.Count() >= Limit) {
            if (!DropLowestValue) return false;
            // The first layout of the lowest Value below the new one's.
            if (ByValue_.empty() || !(ByValue_.begin()->first < Packet.Value)) return false;
            const std::uint64_t key = ByValue_.begin()->second;
            remove(static_cast<int>(std::lower_bound(Keys_.begin(), Keys_.end(), key) -
                                    Keys_.begin()));
        }
        append();
    }
    return true;
}

// ---- filling and validation ---------------------------------------------------

void TOptimize2d::AddPart(const std::string& Label, const std::string& LengthText,
                          const std::string& WidthText, const std::string& Comment,
                          std::int32_t Length, std::int32_t Width, bool CanRotate,
                          std::int32_t Quantity, std::int32_t RequiredQuantity,
                          std::uint8_t ShapeKind, const PPartEdge& Edge, std::string& ErrorText) {
    ErrorText.clear();
    if (Label.empty()) {
        ErrorText = MsgPartLabelCantBeEmpty;
    } else if (Length < 1) {
        ErrorText = MsgPartLengthFormatInvalid;
    } else if (Width < 1) {
        ErrorText = MsgPartWidthFormatInvalid;
    } else if (Quantity < 0) {
        ErrorText = MsgPartQtyFormatInvalid;
    } else if (FindByLabel(Parts, Label) >= 0) {
        ErrorText = MsgLabelIsntUnique;
    }
    if (!ErrorText.empty()) return;
    T2DStock part;
    part.Label = Label;
    part.Length = Length;
    part.Width = Width;
    part.CanRotate = CanRotate;
    part.Quantity = Quantity;
    part.ShapeKind = ShapeKind;
    part.Position = {0, 0};
    part.LengthText = LengthText;
    part.WidthText = WidthText;
    part.Comment = Comment;
    part.SourceKind = srcPart;
    part.Edge = Edge;
    Parts.AddCopy(part);
    part.Quantity = RequiredQuantity;
    WorkParts.AddCopy(part);
}

void TOptimize2d::AddPanel(const std::string& Label, const std::string& LengthText,
                           const std::string& WidthText, const std::string& Comment,
                           std::int32_t Length, std::int32_t Width, std::int32_t Quantity,
                           std::int32_t Priority, std::int32_t Cost, std::uint8_t SourceKind,
                           std::string& ErrorText) {
    ErrorText.clear();
    if (Label.empty()) {
        ErrorText = MsgSheetLabelCantBeEmpty;
    } else if (Length < 1) {
        ErrorText = MsgSheetLengthFormatInvalid;
    } else if (Width < 1) {
        ErrorText = MsgSheetWidthFormatInvalid;
    } else if (Quantity < 0) {
        ErrorText = MsgSheetQtyFormatInvalid;
    } else if (Cost < 0) {
        ErrorText = MsgSheetCostFormatInvalid;
    } else if (FindByLabel(Panels, Label) >= 0) {
        ErrorText = "\"" + Label + "\" " + MsgLabelIsntUnique;
    }
    if (!ErrorText.empty()) return;
    T2DStock entry;
    entry.Label = Label;
    entry.Length = Length;
    entry.Width = Width;
    entry.Quantity = Quantity;
    entry.Position = {0, 0};
    entry.Cost = Cost;
    entry.LengthText = LengthText;
    entry.WidthText = WidthText;
    entry.Comment = Comment;
    entry.SourceKind = SourceKind;
    entry.Priority = Priority;
    const int pos = Panels.AddCopy(entry);
    Panels[pos].Index = pos;
}

void TOptimize2d::AddPartStock(const T2DStock& Part, std::int32_t RequiredQuantity) {
    Parts.AddCopy(Part);
    T2DStock work = T2DStock::CreateCopy(Part);
    work.Quantity = RequiredQuantity;
    WorkParts.AddCopy(work);
}

void TOptimize2d::SortPartsByArea() {
    const int n = Parts.Count();
    std::vector<int> order(static_cast<std::size_t>(n));
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [this](int a, int b) {
        return Parts.Items()[static_cast<std::size_t>(a)].Area() >
               Parts.Items()[static_cast<std::size_t>(b)].Area();
    });
    const bool parallel = WorkParts.Count() == n;
    TPanels parts, work;
    for (int i : order) {
        parts.AddCopy(Parts[i]);
        if (parallel) work.AddCopy(WorkParts[i]);
    }
    Parts = std::move(parts);
    if (parallel) WorkParts = std::move(work);
}

void TOptimize2d::SortParts(std::string& ErrorText) {
    ErrorText.clear();
    SortPartsByArea();
    for (int i = 0; i < Parts.Count(); ++i) Parts[i].Index = i;
    for (int i = 0; i < WorkParts.Count(); ++i) WorkParts[i].Index = i;
    if (Parts.Empty() || TotalQty64(Parts) == 0) ErrorText = MsgPartDataIsEmpty;
}

void TOptimize2d::AddKerfAndEdges(std::string& ErrorText) {
    ErrorText.clear();
    const std::int64_t kerf = BladeWidth;
    auto grown = [kerf](const T2DStock& p) {
        std::int64_t length = std::int64_t{p.Length} + kerf;
        std::int64_t width = std::int64_t{p.Width} + kerf;
        if (p.Edge) {
            const TPartEdge& e = *p.Edge;
            length += -std::int64_t{e.BL} - e.BR + e.GL + e.GR;
            width += -std::int64_t{e.BT} - e.BB + e.GT + e.GB;
        }
        return std::pair{length, width};
    };
    // A part must keep a size of its own once the blade width is taken off
    // again: every later step divides by it. Nothing changes when one has none.
    for (const T2DStock& p : Parts) {
        const auto [length, width] = grown(p);
        if (length - kerf <= 0 || width - kerf <= 0) {
            ErrorText = PartHasNoSizeMessage(p.Label);
            return;
        }
    }
    for (T2DStock& p : Parts) {
        const auto [length, width] = grown(p);
        p.Length = CheckedInt32(length);
        p.Width = CheckedInt32(width);
    }
    for (T2DStock& e : Panels) {
        e.Length = CheckedInt32(std::int64_t{e.Length} + kerf);
        e.Width = CheckedInt32(std::int64_t{e.Width} + kerf);
    }
}

void TOptimize2d::CheckPartsFit(std::string& ErrorText) {
    ErrorText.clear();
    for (const T2DStock& p : Parts) {
        if (p.Quantity <= 0) continue;
        const std::int32_t L = p.NetLength();
        const std::int32_t W = p.NetWidth();
        bool fits = false;
        for (const T2DStock& e : Panels) {
            const std::int32_t pL = e.NetLength();
            const std::int32_t pW = e.NetWidth();
            if ((L <= pL && W <= pW) || (p.CanRotate && L <= pW && W <= pL)) {
                fits = true;
                break;
            }
        }
        if (!fits) {
            ErrorText = "Part[label=" + p.Label + "] is too large.";
            return;
        }
    }
}

void TOptimize2d::PrepareSeeds(std::string& ErrorText) {
    ErrorText.clear();
    Seeds.Clear();
    if (Panels.Empty()) {
        ErrorText = "no Sheet";
        return;
    }
    Seeds.Parts.Assign(Parts);
    std::int32_t maxLength = 0, maxWidth = 0;
    for (const T2DStock& e : Panels) {
        maxLength = std::max(maxLength, e.Length);
        maxWidth = std::max(maxWidth, e.Width);
    }
    Seeds.SetMaxLength(maxLength);
    Seeds.SetMaxWidth(maxWidth);
    Seeds.Panels.Assign(Panels);
    Seeds.Build();
    Seeds.Keys.clear();
}

// ---- the run --------------------------------------------------------------------

void TOptimize2d::Run(std::string& ErrorText) {
    if (OptimizeSpeed <= 0) {
        Stats = TOptimizeStats();
        RunAtLevel(ErrorText);
        CancelSeen();
        return;
    }
    // A higher level searches more widely but along another path, which can
    // end in a worse plan than the lowest level's. The lowest level's plan is
    // made first, from the same start of the random generator as the
    // level's own path, and stays when CompareSchemes prefers it.
    const TPanels parts(Parts), work(WorkParts), panels(Panels);
    const std::int64_t seed = PubRandSeed;
    const std::int32_t level = OptimizeSpeed;
    Stats = TOptimizeStats();
    std::string lowError;
    {
        // The level is a program-wide setting: it comes back however the
        // run ends.
        struct TRestoreLevel {
            std::int32_t Level;
            ~TRestoreLevel() { OptimizeSpeed = Level; }
        } restore{level};
        OptimizeSpeed = 0;
        RunAtLevel(lowError);
        CancelSeen();
    }
    const TOptimizeStats lowStats = Stats;
    if (lowStats.Cancelled) {
        // The lowest level's plan, if it has one, stands: no higher level.
        ErrorText = lowError;
        return;
    }
    TSchemes lowBest = std::move(Best);
    TPanels lowLeft = std::move(PanelsLeft);
    TPacket lowPacket = std::move(Packet);
    StartOver(parts, work, panels);
    PubRandSeed = seed;

    Stats = TOptimizeStats();
    RunAtLevel(ErrorText);
    CancelSeen();
    Stats.LowestLevelMs = lowStats.PrepareMs + lowStats.QuickMs + lowStats.SearchMs[2];
    Stats.TimeLimitReached = Stats.TimeLimitReached || lowStats.TimeLimitReached;
    if (!lowError.empty()) return;
    // A higher level cancelled before it had a plan leaves the lowest level's.
    const bool cancelledEmpty = Stats.Cancelled && Best.Count() == 0;
    if (ErrorText.empty() && !cancelledEmpty && CompareSchemes(Best, lowBest) >= 0) return;
    ErrorText.clear();
    Best = std::move(lowBest);
    PanelsLeft = std::move(lowLeft);
    Packet = std::move(lowPacket);
    Parts = parts;
    WorkParts = work;
    Panels = panels;
    Stats.LowestLevelKept = true;
}

void TOptimize2d::RunAtLevel(std::string& ErrorText) {
    ErrorText.clear();
    double maxArea = -9999999.0;
    for (const T2DStock& e : Panels)
        if (e.Area() > maxArea) maxArea = e.Area();
    SortPartsByArea();

    const TPanels A(Parts);      // maximum quantities
    TPanels R(Parts);            // remaining quantities
    const TPanels W(WorkParts);  // required quantities
    const TPanels S(Panels);     // the stock as given
    TSchemes P;

    std::int32_t extraPasses;
    if (A.Count() <= ManyPartKinds) {
        extraPasses = 0;
        FewPartKinds = true;
    } else {
        extraPasses = 2;
        FewPartKinds = false;
    }

    for (;;) {
        Best.Clear();
        const int n = A.Count();
        std::vector<int> open;
        std::vector<std::int32_t> placed(static_cast<std::size_t>(n));
        for (int j = 0; j < n; ++j) {
            const std::int32_t a = A[j].Quantity, w = W[j].Quantity;
            const std::int32_t done = HeldSum(a, -std::int64_t{R[j].Quantity});
            placed[static_cast<std::size_t>(j)] = done;
            if ((w == a && done < w) || (w < a && done <= w) || w > a) open.push_back(j);
        }
        Parts.Clear();
        WorkParts.Clear();
        auto take = [&](int j, std::int32_t Required) {
            T2DStock c = T2DStock::CreateCopy(R[j]);
            c.ClearText();
            Parts.AddCopy(c);
            c.Quantity = Required;
            WorkParts.AddCopy(c);
        };
        const bool batch = static_cast<std::int64_t>(open.size()) > ManyPartKinds;
        if (!batch) {
            if (open.empty()) break;
            for (int j : open)
                take(j, HeldSum(W[j].Quantity, -std::int64_t{placed[static_cast<std::size_t>(j)]}));
        } else {
            std::vector<char> taken(static_cast<std::size_t>(n), 0);
            auto required = [&](int j) {
                const std::int32_t q =
                    HeldSum(W[j].Quantity, -std::int64_t{placed[static_cast<std::size_t>(j)]});
                return PubRandom(2) == 0 ? 0 : q;
            };
            std::size_t k = 0;
            std::int32_t count = 0;
            double area = 0.0;  // TotalArea of Parts, summed as the parts are taken
            auto takeOpen = [&](int j) {
                taken[static_cast<std::size_t>(j)] = 1;
                take(j, required(j));
                area += Parts.Last().Quantity * Parts.Last().Area();
            };
            for (; k < open.size() && count < 249999; ++k, ++count) takeOpen(open[k]);
            count = 0;
            for (; k < open.size() && count < 249999 && area < 3.0 * maxArea; ++k, ++count)
                takeOpen(open[k]);
            count = 0;
            for (auto it = open.rbegin(); it != open.rend() && count < 499999; ++it) {
                if (taken[static_cast<std::size_t>(*it)]) continue;
                taken[static_cast<std::size_t>(*it)] = 1;
                take(*it, 0);
                ++count;
            }
        }

        SortParts(ErrorText);
        if (!ErrorText.empty()) break;
        ProgressStep();
        AddKerfAndEdges(ErrorText);
        if (!ErrorText.empty()) return;
        ProgressStep();
        CheckPartsFit(ErrorText);
        if (!ErrorText.empty()) return;
        if (CancelSeen()) return EndCancelled(ErrorText, A, W, S);
        std::int64_t phaseStart = platform::NowMilliseconds();
        PrepareSeeds(ErrorText);
        Seeds.Keys.clear();
        ProgressStep();
        Stats.PrepareMs += platform::NowMilliseconds() - phaseStart;
        if (!ErrorText.empty()) return;
        if (CancelSeen()) return EndCancelled(ErrorText, A, W, S);
        phaseStart = platform::NowMilliseconds();
        OptimizeQuick(ErrorText);
        ProgressStep();
        Stats.QuickMs += platform::NowMilliseconds() - phaseStart;
        if (!ErrorText.empty()) return;
        // The quick passes make candidates, not a plan.
        if (CancelSeen()) return EndCancelled(ErrorText, A, W, S);
        if (Candidates.Count() == 0) {
            ErrorText = NoPlanMessage();
            return;
        }
        CandidatePartTotals = PartTotals(Candidates);
        SchemeLimitHook();
        OptimizeInnerFlag = extraPasses >= 1;

        for (std::int32_t mode : {2, 1, 0}) {
            if ((mode == 1 && OptimizeSpeed <= 7) || (mode == 0 && OptimizeSpeed <= 14)) break;
            // A cancelled search leaves its plan (or none) to the next mode.
            if (CancelSeen()) break;
            phaseStart = platform::NowMilliseconds();
            OptimizeSearch(mode, ErrorText);
            Stats.SearchMs[mode] += platform::NowMilliseconds() - phaseStart;
        }
        ProgressAdvanceByMax();
        // Cancelled: a plan of this pass stands when it is the plan of every
        // part (not one batch of them); otherwise the run ends with none.
        const bool cancelled = CancelSeen();
        if (cancelled && (Best.Count() == 0 || batch)) return EndCancelled(ErrorText, A, W, S);
        if (!ErrorText.empty()) return;
        Best.Sort();

        if (!batch) {
            for (const TPacket& layout : Best.Packets) P.AddOrMergeLayout(layout);
            if (extraPasses == 0 || cancelled) break;
            --extraPasses;
            P.Sort();
            const int keep = P.Count() / 2;
            for (int i = P.Count() - 1; i >= keep; --i) P.Packets.Delete(i);
            R = A;
            Panels = S;
            for (const TPacket& layout : P.Packets) SubtractLayout(layout, R, Panels);
        } else {
            for (const TPacket& layout : Best.Packets) {
                SubtractLayout(layout, R, Panels);
                P.AddOrMergeLayout(layout);
            }
            // The next batch adds the blade width again: start from the
            // sizes as given.
            for (int i = 0; i < Panels.Count() && i < S.Count(); ++i) {
                Panels[i].Length = S[i].Length;
                Panels[i].Width = S[i].Width;
            }
        }
    }

    Parts = A;
    WorkParts = W;
    Panels = S;
    Best = std::move(P);

    TPartCounts::TEditCache renewed;
    const TLabelIndex labels(Parts);
    for (TPacket& layout : Best.Packets) {
        RenewPartTexts(layout.PartCounts, Parts, labels, renewed);
        for (T2DStock& p : layout.Placements) {
            ProgressStep();
            const int j = labels.Find(p.Label);
            if (j >= 0) p.SetTextsFromPart(Parts[j]);
        }
    }
}

// ---- quick passes -----------------------------------------------------------------

void TOptimize2d::OptimizeQuick(std::string& ErrorText) {
    ErrorText.clear();
    SeedsFromRefine = false;
    OptimizeStartTime = platform::NowMilliseconds();
    TPanels q(Parts);
    Candidates.Clear();
    TPlanGate gate(Candidates);
    gate.Limit = MaxCandidateLayouts;
    TPacket sheet = TPacket::CreateFromParts(Parts);

    auto takesPart = [](const T2DStock& e) { return e.Quantity != 0 || OrderOptimize; };
    auto done = [this] {
        return Candidates.Count() == 1 && Candidates[0].PartCounts.SameQuantities(Parts);
    };
    auto overLimit = [this] { return Candidates.Count() >= MaxCandidateLayouts; };
    auto hook = [&] {
        SchemeLimitHook();
        gate.Sync();
    };

    [&] {
        for (const T2DStock& e : Panels) {
            if (!takesPart(e)) continue;
            LoadStockEntry(sheet, e);
            Seeds.FillPanel(Parts, sheet, Candidates, false, 1, &gate);
            if (CancelSeen()) return;
        }
        if (done()) return;
        if (overLimit()) hook();
        if (TimeCheckFails()) return;
        if (FastOptimize) return;

        for (std::int32_t s = 1; s <= 4; ++s) {
            std::int32_t added = 0;
            const std::int32_t before = Candidates.Count();
            for (const T2DStock& e : Panels) {
                if (!takesPart(e)) continue;
                LoadStockEntry(sheet, e);
                added += Seeds.FillPanel(Parts, sheet, Candidates, true, s, &gate);
                if (TimeCheckFails()) return;
            }
            if (done() || added == 0) return;
            if ((before + 1.0) / (Candidates.Count() + 1.0) > 0.99 || overLimit()) return;
            if (TimeCheckFails()) return;
        }

        for (std::int32_t r = 1; r <= 100 && r <= 5 * OptimizeSpeed; ++r) {
            std::int32_t added = 0;
            const std::int32_t before = Candidates.Count();
            for (const T2DStock& e : Panels) {
                if (!takesPart(e)) continue;
                LoadStockEntry(sheet, e);
                bool accepted = false;
                for (int draw = 0; draw < 100 && !accepted; ++draw) {
                    for (int j = 0; j < q.Count(); ++j) {
                        const std::int64_t upper = std::int64_t{Parts[j].Quantity} + 1;
                        q[j].Quantity =
                            PubRandom(static_cast<std::int32_t>(std::clamp<std::int64_t>(
                                upper, 1, std::numeric_limits<std::int32_t>::max())));
                        if (PubRandom(4) == 0) q[j].Quantity = 0;
                    }
                    accepted = q.TotalArea() > 3.0 * sheet.Area();
                }
                if (!accepted) break;
                added += Seeds.FillPanel(q, sheet, Candidates, true, 1, &gate);
                if (done() || TimeCheckFails()) return;
                if (OptimizeSpeed >= 5) {
                    for (std::int32_t s : {4, 2, 3}) {
                        added += Seeds.FillPanel(q, sheet, Candidates, true, s, &gate);
                        if (done() || TimeCheckFails()) return;
                    }
                }
                if (overLimit()) hook();
            }
            if (TimeCheckFails()) return;
            if ((before + 1.0) / (Candidates.Count() + 1.0) > 0.998 || added == 0 || overLimit())
                return;
        }
    }();

    OptimizeStartTime = platform::NowMilliseconds();
}

// ---- trial search -----------------------------------------------------------------

void TOptimize2d::WeightParts(TPanels& List, std::int32_t Strategy) {
    double avgArea = 0.0;
    for (const T2DStock& w : WorkParts) avgArea += w.Area();
    avgArea /= WorkParts.Count();
    std::int64_t avgQty = WorkParts.Count() > 0 ? TotalQty64(WorkParts) / WorkParts.Count() : 0;
    if (avgQty == 0) avgQty = 1;
    const double totalCand = static_cast<double>(TotalQty64(CandidatePartTotals));
    const double avg = static_cast<double>(avgQty);

    for (int i = 0; i < List.Count(); ++i) {
        T2DStock& item = List[i];
        const double r = item.Area() / avgArea;
        if (FewPiecesMode) item.Quantity = HeldRound(static_cast<double>(item.Quantity) * 30.0);
        const double q = item.Quantity;
        const double r2 = r * r;
        const double r4 = r2 * r2;
        std::int64_t value = 0;
        switch (Strategy % 10) {
            case 0:
                value = HeldRound((q + 1) * (totalCand + 1) /
                                  std::sqrt(CandidatePartTotals[i].Quantity + 1.0));
                break;
            case 1:
                value = std::int64_t{item.Quantity} + PubRandom(2);
                break;
            case 2:
                value = avgQty + PubRandom(2);
                break;
            case 3:
                value = PubRandom(2) + std::int64_t{HeldRound(r * avg)};
                break;
            case 4:
                value = PubRandom(2) + std::int64_t{HeldRound(r * q)};
                break;
            case 5:
                value = PubRandom(2) + std::int64_t{HeldRound(r2 * avg)};
                break;
            case 6:
                value = PubRandom(2) + std::int64_t{HeldRound(r2 * q)};
                break;
            case 7:
                value = PubRandom(2) + std::int64_t{HeldRound(r4 * avg)};
                break;
            case 8:
                value = PubRandom(2) + std::int64_t{HeldRound(r4 * q)};
                break;
            default:
                value = PubRandom(100) + avgQty;
                break;
        }
        item.Quantity = HeldSum(value, 0);
    }
}

std::int32_t TOptimize2d::CompareSchemes(const TSchemes& A, const TSchemes& B) const {
    auto tieRule = [&]() -> std::int32_t {
        if (B.Count() > 0 && A.Count() > 0 &&
            B[B.Count() - 1].UsedValue() < A[A.Count() - 1].UsedValue())
            return -1;
        if (A.Count() > B.Count()) return -1;
        return 1;
    };
    if (CostOptimize) {
        const double cA = static_cast<double>(A.TotalSheetCost());
        const double cB = static_cast<double>(B.TotalSheetCost());
        if (std::fabs(cA - cB) / (cA + 0.01) < 0.0001) return tieRule();
        return cB < cA ? -1 : 1;
    }
    if (!FewPartKinds) {
        const double aA = A.TotalUsableArea();
        const double aB = B.TotalUsableArea();
        if (aB < aA) return -1;
        if (aB > aA) return 1;
    }
    const double uA = A.Utilization();
    const double uB = B.Utilization();
    if (std::fabs(uA - uB) / uA < 0.0001) return tieRule();
    return uB > uA ? -1 : 1;
}

void TOptimize2d::OptimizeSearch(std::int32_t Mode, std::string& ErrorText) {
    OptimizeStartTime = platform::NowMilliseconds();
    const int nParts = Parts.Count();
    FewPiecesMode = nParts > 0 && static_cast<double>(TotalQty64(Parts)) / nParts < 8.0;
    for (TPacket& c : Candidates.Packets) c.Value = c.GetValue(false, 1.0);

    TPanels U(Parts);
    WeightParts(U, 0);
    TPanels V;
    TPanels Rm(Parts);
    TSchemes T;
    TSchemes F;
    const TPanels Wsave(WorkParts);
    TPacket sheet = TPacket::CreateFromParts(Parts);
    TSchemes* source = nullptr;

    const std::int32_t trials = 5 * OptimizeSpeed + 20;
    std::int32_t lastImprovement = -1;
    std::int32_t strategyIndex = -1;
    bool normalDone = false;
    const std::int64_t avgPieces = nParts > 0 ? TotalQty64(Parts) / nParts : 0;

    // Working copies by position: the remaining quantities (rm is the master
    // while picking; Rm follows it at each commit), the maxima, the required
    // quantities, the trial's weights and the stock left (St).
    std::vector<std::int32_t> rm;
    const std::vector<std::int32_t> partsQ = Quantities(Parts);
    std::vector<std::int32_t> workQ = Quantities(WorkParts);
    std::vector<double> vQ;
    std::vector<std::int32_t> st;
    auto workHasMinusOne = [&workQ] {
        return std::find(workQ.begin(), workQ.end(), -1) != workQ.end();
    };
    bool denseScore = workHasMinusOne();
    // Parts (mod 64) that still have pieces to place: a layout holding a part
    // outside this mask holds more than remains of it.
    TPartMask openMask;
    auto refreshOpenMask = [&] {
        openMask = TPartMask();
        for (int j = 0; j < nParts; ++j)
            if (rm[static_cast<std::size_t>(j)] > 0) openMask.Set(j);
    };

    // The facts of the source plan's layouts: the gate's for Candidates.
    TPlanGate candidateGate(Candidates);
    candidateGate.Limit = MaxCandidateLayouts;
    // Between trials no candidate is picked: a fresh layout of the refills
    // may take the place of the weakest one.
    candidateGate.DropLowestValue = true;
    TLayoutFacts refillFacts;
    const TLayoutFacts* facts = nullptr;
    // The Quantity of every source layout, side by side: the picks read it
    // for every layout, the layouts themselves only when they must. A
    // source is taken with every Quantity 0.
    std::vector<std::int32_t> picked;
    auto useCandidates = [&] {
        source = &Candidates;
        facts = &candidateGate.Facts();
        picked.assign(static_cast<std::size_t>(Candidates.Count()), 0);
    };

    // Layouts of Quantity 0 add nothing to the trial.
    auto moveSourceToTrial = [&] {
        for (std::size_t k = 0; k < picked.size(); ++k) {
            if (picked[k] == 0) continue;
            TPacket& p = (*source)[static_cast<int>(k)];
            T.AddOrMergeLayout(p);
            p.Quantity = 0;
            picked[k] = 0;
        }
    };
    auto exceedsRm = [&rm](std::span<const TSeeds::TCount> Counts) {
        for (const TSeeds::TCount& c : Counts)
            if (c.Qty > rm[static_cast<std::size_t>(c.Index)]) return true;
        return false;
    };
    // TPanels::Score over the non-zero counts only: the other positions add
    // exactly 0.
    auto scoreOf = [&](const TPacket& p, std::span<const TSeeds::TCount> Counts) {
        if (denseScore) {
            for (int j = 0; j < nParts; ++j) Rm[j].Quantity = rm[static_cast<std::size_t>(j)];
            return p.PartCounts.Score(Rm, Parts, V, WorkParts);
        }
        double sum = 0.0;
        for (const TSeeds::TCount& c : Counts) {
            const auto i = static_cast<std::size_t>(c.Index);
            const std::int32_t r = rm[i];
            const std::int32_t q = partsQ[i];
            const std::int32_t o = workQ[i];
            double t = static_cast<double>(c.Qty) * vQ[i] * static_cast<double>(r) /
                       ((static_cast<double>(q) + 1.0) * (static_cast<double>(o) + 1.0));
            if (static_cast<std::int64_t>(q) - r >= o) t = t / 1.02;
            sum += t;
        }
        return sum;
    };

    for (std::int32_t t = 0; t < trials; ++t) {
        std::int32_t refills = 0, commits = 0;
        bool finished = false, extended = false;
        T.Clear();
        rm = partsQ;
        st = Quantities(Panels);

        if (t % 5 == 0) {
            ++strategyIndex;
            V = Parts;
            WeightParts(V, strategyIndex);
        } else if (U.SameQuantities(V)) {
            ++lastImprovement;
            continue;
        } else {
            V = U;
        }
        vQ.assign(static_cast<std::size_t>(nParts), 0.0);
        for (int j = 0; j < nParts; ++j) vQ[static_cast<std::size_t>(j)] = V[j].Quantity;

        if (Best.Count() > 0 && t - lastImprovement > 20 && t > 30) break;
        if (Candidates.Count() >= MaxCandidateLayouts && Best.Count() > 0 &&
            t - lastImprovement > 20)
            break;
        ++Stats.Trials;

        std::int32_t picks = 0;
        useCandidates();
        for (TPacket& c : Candidates.Packets) c.Quantity = 0;
        U = V;
        refreshOpenMask();

        bool completed = false;
        // A cancel request ends the search between two steps of a trial (a
        // trial of many part kinds can take a minute), also the first one: a
        // trial cut short is no plan, and Best keeps what it holds.
        auto cancelled = [this] { return CancelSeen(); };
        for (;;) {
            if (cancelled()) break;
            // ---- pick step ----
            const std::int32_t mode = commits > 0 ? 1 : Mode;
            double bestScore = 0.0;
            int bestIndex = -1;
            std::int32_t bestPriority = 999999;
            completed = false;

            // The Value of source layout K is in the facts: no source
            // layout's Value changes while it is in the source.
            auto valueOf = [&](int K, double score) {
                const double value = facts->Values[static_cast<std::size_t>(K)];
                if (mode == 0) return value;
                if (FewPiecesMode) return value * value * score + 1;
                return value * score + 1;
            };
            auto perPiece = [&](int k) {
                return (*source)[k].Area() /
                       static_cast<double>(facts->Totals[static_cast<std::size_t>(k)]);
            };
            auto byArea = [&](int kp, int kb) {
                const double ap = perPiece(kp), ab = perPiece(kb);
                if (std::fabs(ap / ab - 1) < 0.05)
                    return (*source)[kp].Area() < (*source)[kb].Area();
                return ap > ab;
            };

            auto& layouts = source->Packets.Items();
            const int nLayouts = static_cast<int>(layouts.size());
            for (int k = 0; k < nLayouts; ++k) {
                const auto fk = static_cast<std::size_t>(k);
                if (facts->Priority[fk] > bestPriority) continue;
                if (st[static_cast<std::size_t>(facts->Index[fk])] == 0) continue;
                if (facts->Masks[fk].HasOutside(openMask)) continue;  // holds a closed part
                const std::span<const TSeeds::TCount> counts = facts->Counts(fk);
                if (exceedsRm(counts)) continue;
                TPacket& p = *layouts[fk];
                double score = scoreOf(p, counts);
                if (score < 0) continue;
                if (CostOptimize) score = (p.Area() * score + 0.0001) / (p.Cost + 1.0) + 1.0;
                if (picked[fk] > 0) score *= 1.01;
                if (facts->Priority[fk] < bestPriority || !(bestScore > 0)) {
                    bestScore = score;
                    bestIndex = k;
                    bestPriority = facts->Priority[fk];
                    continue;
                }
                const double sp = OptimizeInnerFlag ? 1.0 : score;
                const double sb = OptimizeInnerFlag ? 1.0 : bestScore;
                bool wins = false;
                if (mode == 0 || mode == 1) {
                    const double vp = valueOf(k, sp), vb = valueOf(bestIndex, sb);
                    if (std::fabs(vp / vb - 1) >= 0.001)
                        wins = vp > vb;
                    else if (std::fabs(sp / sb - 1) >= 0.001)
                        wins = sp > sb;
                    else
                        wins = byArea(k, bestIndex);
                } else if (mode == 2) {
                    if (std::fabs((sp + 1) / (sb + 1) - 1) >= 0.05)
                        wins = sp > sb;
                    else if (const double pv = facts->Values[fk],
                             bv = facts->Values[static_cast<std::size_t>(bestIndex)];
                             std::fabs((pv + 1) / (bv + 1) - 1) >= 0.001)
                        wins = pv > bv;
                    else
                        wins = byArea(k, bestIndex);
                }
                if (wins) {
                    bestScore = score;
                    bestIndex = k;
                    bestPriority = facts->Priority[fk];
                }
            }

            bool commit = false;
            if (bestIndex >= 0) {
                TPacket& p = (*source)[bestIndex];
                const std::span<const TSeeds::TCount> counts =
                    facts->Counts(static_cast<std::size_t>(bestIndex));
                ProgressStep();
                ++picks;
                for (const TSeeds::TCount& c : counts) {
                    const std::int32_t r = rm[static_cast<std::size_t>(c.Index)];
                    if (r > 0 && r == c.Qty) {
                        completed = true;
                        break;
                    }
                }
                for (const TSeeds::TCount& c : counts)
                    rm[static_cast<std::size_t>(c.Index)] -= c.Qty;
                p.Quantity += 1;
                picked[static_cast<std::size_t>(bestIndex)] += 1;
                st[static_cast<std::size_t>(p.Index)] -= 1;

                bool all = true;
                for (int j = 0; j < nParts && all; ++j)
                    all = std::int64_t{partsQ[static_cast<std::size_t>(j)]} -
                              rm[static_cast<std::size_t>(j)] >=
                          workQ[static_cast<std::size_t>(j)];
                if (all) {
                    finished = true;
                    for (std::size_t k = 0; k < picked.size(); ++k)
                        if (picked[k] != 0) T.AddOrMergeLayout((*source)[static_cast<int>(k)]);
                    break;
                }
                if (completed && avgPieces >= 9) {
                    commit = true;
                } else {
                    if (refills == 0 && picks % 5 == 1) {
                        int lowest = -1;
                        double lowestValue = 999.0;
                        for (int k = 0; k < source->Count(); ++k) {
                            if (picked[static_cast<std::size_t>(k)] == 0) continue;
                            const TPacket& s = (*source)[k];
                            const double v =
                                CostOptimize
                                    ? (s.Area() * s.Value + 0.0001) / (s.Cost + 0.0001) + 1.0
                                    : s.Value;
                            if (v < lowestValue) {
                                lowestValue = v;
                                lowest = k;
                            }
                        }
                        if (lowest >= 0 && lowest != bestIndex) {
                            TPacket& g = (*source)[lowest];
                            for (const TSeeds::TCount& c :
                                 facts->Counts(static_cast<std::size_t>(lowest)))
                                rm[static_cast<std::size_t>(c.Index)] += c.Qty;
                            g.Quantity -= 1;
                            picked[static_cast<std::size_t>(lowest)] -= 1;
                            st[static_cast<std::size_t>(g.Index)] += 1;
                        }
                    }
                    refreshOpenMask();
                    continue;
                }
            } else {
                commit = true;
            }
            if (!commit) continue;

            // ---- commit step ----
            ++commits;
            moveSourceToTrial();
            source = nullptr;
            facts = nullptr;
            for (int j = 0; j < nParts; ++j) Rm[j].Quantity = rm[static_cast<std::size_t>(j)];
            refreshOpenMask();
            if (Rm.AllZero()) {
                finished = true;
                break;
            }
            if (commits == 1) {
                WorkParts = Wsave;
                workQ = Quantities(WorkParts);
                denseScore = workHasMinusOne();
            }
            RaiseWeightsHeld(U, Rm, Parts);
            if (refills >= 1 && picks == 0) {
                if (extended || !OrderOptimize) break;
                extended = true;
                for (int e = 0; e < Panels.Count(); ++e)
                    if (Panels[e].SourceKind == srcSheet) st[static_cast<std::size_t>(e)] = 9999;
                commits = 0;
                useCandidates();
                continue;
            }

            if (cancelled()) break;
            // Refill: seeds and fresh layouts for the remaining quantities.
            picks = 0;
            Seeds.Rebuild(Rm, Panels);
            Seeds.Keys.clear();
            F.Clear();
            TPlanGate refillGate(F);
            ++refills;
            ++Stats.Refills;
            for (int e = 0; e < Panels.Count(); ++e) {
                if (st[static_cast<std::size_t>(e)] == 0) continue;
                LoadStockEntry(sheet, Panels[e]);
                sheet.PartCounts.Assign(Parts, true);
                SeedsFromRefine = true;
                Seeds.FillPanel(Rm, sheet, F, false, 1, &refillGate);
            }
            for (TPacket& f : F.Packets) {
                f.Quantity = 0;
                f.Value = f.GetValue(false, 1.0);
            }
            if (F.Count() > 1024) F.Sort();
            // Every layout of F passed the guillotine test when F took it.
            for (TPacket& f : F.Packets) {
                f.Active = false;
                candidateGate.AddPacket(f, false, completed);
            }
            if (completed) {
                useCandidates();
                F.Clear();
            } else {
                source = &F;
                picked.assign(static_cast<std::size_t>(F.Count()), 0);
                refillFacts.Build(F);
                facts = &refillFacts;
            }
            if (T.Count() == 0) break;
        }

        if (cancelled()) break;
        // ---- end of the trial ----
        ProgressStep(false);
        SortByUsedValue(T);
        const int n = T.Count();
        if (n >= 2) {
            auto raise = [&](const TPacket& L) {
                for (std::int32_t k = 0; k < L.Quantity; ++k)
                    RaiseWeightsHeld(U, L.PartCounts, Parts);
            };
            raise(T[n - 1]);
            for (int i = n - 2; i >= n / 2 + 1; --i) raise(T[i]);
            for (int i = 0; i <= n / 2 - 1; ++i)
                for (std::int32_t k = 0; k < T[i].Quantity; ++k)
                    U.LowerWeights(T[i].PartCounts, Parts);
        }
        if (!finished) continue;
        if (extended && normalDone) continue;
        if (Best.Count() == 0 || CompareSchemes(Best, T) < 0) {
            Best = T;
            lastImprovement = t;
        }
        if (OptimizeInnerFlag && t - lastImprovement > 3 && Best.Count() > 0) break;
        if (Panels.Count() == 1 && Best.Count() == 1 && Best[0].Quantity == 1) break;
        if (!extended)
            normalDone = true;
        else if (std::accumulate(st.begin(), st.end(), std::int64_t{0}) ==
                 999 * static_cast<std::int64_t>(st.size()))
            normalDone = true;
        if (TimeCheckFails()) break;
    }

    WorkParts = Wsave;
    if (Best.Count() > 0) {
        for (int i = Best.Count() - 1; i >= 0; --i)
            if (Best[i].Quantity == 0) Best.Packets.Delete(i);
        for (TPacket& layout : Best.Packets) layout.SortPlacements();
        PanelsLeft = Panels;
        for (const TPacket& layout : Best.Packets)
            PanelsLeft[layout.Index].Quantity -= layout.Quantity;
        Packet = Best[0];
        // A plan found here stands, whatever an earlier mode reported.
        ErrorText.clear();
    } else if (CancelSeen()) {
        ErrorText.clear();
    } else {
        ErrorText = NoPlanMessage();
    }
}
