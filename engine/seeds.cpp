#include "engine/seeds.h"

#include "engine/optimize2d.h"
#include "engine/guillotine.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <utility>

#include "engine/progress.h"
#include "engine/pubstr.h"
#include "engine/textfmt.h"
#include "engine/trapezium.h"
#include "platform/clock.h"

std::int32_t SeedQueueCount = 0;

namespace {

constexpr std::int32_t kMaxCombinedSeeds = 2048;
constexpr std::int32_t kMaxQueuedBlocks = 4096;
constexpr std::int32_t kPinwheelPartLimit = 128;
constexpr std::int32_t kPinwheelSeedLimit = 512;

using TCount = TSeeds::TCount;

// Quantities of a list by position.
std::vector<std::int32_t> QuantitiesOf(const TPanels& List) {
    std::vector<std::int32_t> q;
    q.reserve(static_cast<std::size_t>(List.Count()));
    for (const T2DStock& s : List) q.push_back(s.Quantity);
    return q;
}

// Some count exceeds the quantity at its position.
bool Exceeds(const std::vector<TCount>& Counts, const std::vector<std::int32_t>& Quantities) {
    for (const TCount& c : Counts)
        if (c.Qty > Quantities[static_cast<std::size_t>(c.Index)]) return true;
    return false;
}

// Sum of two count lists, in part order.
std::vector<TCount> SumOf(const std::vector<TCount>& A, const std::vector<TCount>& B) {
    std::vector<TCount> sum;
    sum.reserve(A.size() + B.size());
    std::size_t i = 0, j = 0;
    while (i < A.size() || j < B.size()) {
        if (j == B.size() || (i < A.size() && A[i].Index < B[j].Index)) {
            sum.push_back(A[i++]);
        } else if (i == A.size() || B[j].Index < A[i].Index) {
            sum.push_back(B[j++]);
        } else {
            sum.push_back({A[i].Index, A[i].Qty + B[j].Qty});
            ++i;
            ++j;
        }
    }
    return sum;
}

// The first position where the two count sequences differ decides: True
// when A holds more there; False when equal throughout.
bool CountsGreaterLex(const std::vector<TCount>& A, const std::vector<TCount>& B) {
    std::size_t i = 0, j = 0;
    while (i < A.size() || j < B.size()) {
        const std::int32_t ia =
            i < A.size() ? A[i].Index : std::numeric_limits<std::int32_t>::max();
        const std::int32_t ib =
            j < B.size() ? B[j].Index : std::numeric_limits<std::int32_t>::max();
        if (ia < ib) return true;   // A holds pieces where B holds none
        if (ib < ia) return false;  // and the other way round
        if (A[i].Qty != B[j].Qty) return A[i].Qty > B[j].Qty;
        ++i;
        ++j;
    }
    return false;
}

std::int64_t ElapsedWholeSeconds(std::int64_t StartMs) {
    return std::llabs(platform::NowMilliseconds() - StartMs) / 1000;
}

}  // namespace

TSeeds::TSeeds() {
    ByLength.ByLength = true;
    ByWidth.ByLength = false;
    SeedList.reserve(1024);
    SeedInfos.reserve(1024);
}

std::unique_ptr<TPacket> TSeeds::NewBlock(std::int32_t Length, std::int32_t Width) const {
    auto block = std::make_unique<TPacket>(EmptyBlock_);
    block->Length = Length;
    block->Width = Width;
    block->ResetSpaces();
    return block;
}

void TSeeds::Clear() {
    QueueInfos_.clear();
    CompactBlocks_ = false;
    BuiltCompact_ = false;
    SeedList.clear();
    SeedInfos.clear();
    SeedSizes.clear();
    SeedFirsts.clear();
    HoldersStart_.clear();
    Queue.clear();
    Parts.Clear();
    Panels.Clear();
    ByLength.Clear();
    ByWidth.Clear();
    Keys.clear();
}

TSeeds::TBlockInfo TSeeds::InfoOf(const TPacket& Block) {
    TBlockInfo info;
    // Gathered first, then copied at its size: one allocation per block.
    thread_local std::vector<TCount> counts;
    counts.clear();
    Block.PartCounts.ForEachNonZero([&info](int i, std::int32_t q) {
        counts.push_back({i, q});
        info.Total += q;
    });
    info.Counts.assign(counts.begin(), counts.end());
    info.FirstShaped =
        !Block.Placements.Empty() && Block.Placements.Items().front().ShapeKind == skShaped;
    return info;
}

std::string TSeeds::KeyOf(std::int32_t Length, std::int32_t Width,
                          const std::vector<TCount>& Counts) {
    std::string key = IntToStr(Length);
    key += ' ';
    key += IntToStr(Width);
    for (const TCount& c : Counts) {
        if (c.Qty <= 0) continue;
        key += ' ';
        key += IntToStr(c.Index);
        key += 'x';
        key += IntToStr(c.Qty);
    }
    return key;
}

std::int32_t TSeeds::AddSeed(std::unique_ptr<TPacket> Block) {
    TBlockInfo info = InfoOf(*Block);
    return AddSeed(std::move(Block), std::move(info));
}

std::int32_t TSeeds::AddSeed(std::unique_ptr<TPacket> Block, TBlockInfo Info) {
    const auto index = static_cast<std::int32_t>(SeedList.size());
    NoteSeed(*Block, Info);
    SeedInfos.push_back(std::move(Info));
    ByLength.Add(*Block, index);
    ByWidth.Add(*Block, index);
    SeedList.push_back(std::move(Block));
    return index;
}

void TSeeds::NoteSeed(const TPacket& Block, const TBlockInfo& Info) {
    HoldersStart_.clear();
    SeedSizes.push_back({Block.Length, Block.Width});
    SeedFirsts.push_back(Info.Counts.empty()
                             ? TCount{std::numeric_limits<std::int32_t>::max(), 0}
                             : Info.Counts.front());
}

void TSeeds::QueueBlock(std::unique_ptr<TPacket> Block) {
    if (CompactBlocks_) {
        // The counts of every part kind per block would fill the memory when
        // there are many kinds: the block keeps only its non-zero counts.
        QueueInfos_.push_back(InfoOf(*Block));
        Block->PartCounts = TPartCounts();
    }
    Queue.push_back(std::move(Block));
    ++SeedQueueCount;
}

// ---- base blocks ------------------------------------------------------------

void TSeeds::AddBaseSeeds() {
    // Count first; make every block only when few are queued (Build then
    // combines them), else only those Build keeps.
    SeedQueueCount = 0;
    EmptyBlock_ = TPacket::CreateFromParts(Parts);
    EnumerateBaseBlocks(TBaseMode::Count);
    const std::int32_t count = SeedQueueCount;
    SeedQueueCount = 0;
    const bool kept = count >= 64 || RollingMode;
    // The kept blocks are made seeds as they are, with neither combinations
    // nor (with this many part kinds) pinwheels reading their counts.
    CompactBlocks_ = kept && Parts.Count() >= kPinwheelPartLimit;
    EnumerateBaseBlocks(kept ? TBaseMode::BuildKept : TBaseMode::BuildAll);
    BuiltCompact_ = CompactBlocks_;
    CompactBlocks_ = false;
    SeedQueueCount = count;
}

void TSeeds::EnumerateBaseBlocks(TBaseMode Mode) {
    for (const T2DStock& part : Parts) {
        if (part.ShapeKind == skShaped) {
            const PTrapezium z = TrapeziumList.FindByLabel(part.Label);
            if (z && (z->Param3 > 0 || z->Param6 > 0)) {
                EnumeratePairBlocks(part, Mode);
                continue;
            }
        }
        EnumerateGridBlocks(part, Mode);
    }
}

void TSeeds::EnumerateGridBlocks(const T2DStock& Part, TBaseMode Mode) {
    const bool square = Part.Length == Part.Width;
    const std::int32_t qty = Part.Quantity;
    for (int o = 0; o < 2; ++o) {
        if (o == 1 && (!Part.CanRotate || square)) break;
        T2DStock piece = T2DStock::CreateCopy(Part);
        if (o == 1) piece.Rotate();
        piece.Quantity = 1;
        const std::int32_t pL = piece.Length;
        const std::int32_t pW = piece.Width;
        if (pL <= 0 || pW <= 0) continue;
        std::int32_t cols = MaxLength / pL;
        const std::int32_t rows = MaxWidth / pW;
        if (RollingMode && cols > 2) cols = 1;
        for (std::int32_t i = 1; i <= cols && i <= qty; ++i) {
            // The blocks i x j that may be queued form a prefix of j: the
            // quantity, the sheet size and the stock all allow fewer rows
            // whenever they allow more.
            const std::int32_t length = i * pL;
            std::int32_t lo = 0;
            std::int32_t hi = std::min(rows, qty / i);
            while (lo < hi) {
                const std::int32_t mid = lo + (hi - lo + 1) / 2;
                if (Panels.AnyFits(length, mid * pW))
                    lo = mid;
                else
                    hi = mid - 1;
            }
            const std::int32_t jCount = lo;
            if (Mode == TBaseMode::Count) {
                SeedQueueCount += jCount;
                continue;
            }
            const std::int32_t jLast =
                Mode == TBaseMode::BuildKept && i > 1 ? std::min(jCount, 1) : jCount;
            for (std::int32_t j = 1; j <= jLast; ++j) {
                if (CompactBlocks_) {
                    // Only the pieces and their one count.
                    auto block = std::make_unique<TPacket>();
                    block->Length = length;
                    block->Width = j * pW;
                    block->ResetSpaces();
                    for (std::int32_t a = 0; a < i; ++a)
                        for (std::int32_t b = 0; b < j; ++b) {
                            piece.Position = {pL * a, pW * b};
                            block->Placements.AddCopy(piece);
                        }
                    TBlockInfo info;
                    info.Counts.push_back({piece.Index, i * j});
                    info.Total = i * j;
                    info.FirstShaped = piece.ShapeKind == skShaped;
                    QueueInfos_.push_back(std::move(info));
                    Queue.push_back(std::move(block));
                    ++SeedQueueCount;
                    continue;
                }
                auto block = NewBlock(length, j * pW);
                for (std::int32_t a = 0; a < i; ++a)
                    for (std::int32_t b = 0; b < j; ++b) {
                        piece.Position = {pL * a, pW * b};
                        block->AddPlacementNoSpaces(piece);
                    }
                QueueBlock(std::move(block));
            }
        }
    }
}

void TSeeds::EnumeratePairBlocks(const T2DStock& Part, TBaseMode Mode) {
    const PTrapezium z = TrapeziumList.FindByLabel(Part.Label);
    const std::int64_t kerf = BladeWidth;
    const std::int64_t pairW = std::int64_t{z->Bottom} + z->Top + 2 * kerf;
    const std::int64_t oneW = std::int64_t{z->Bottom} + z->Param3 + kerf;
    const std::int64_t shrink = 2 * std::int64_t{z->Param8};
    auto rowLen = [&](std::int64_t k) {
        return k % 2 == 1 ? (k / 2) * pairW + oneW : (k / 2) * pairW + z->TopOffset;
    };
    const std::int64_t m = std::max(MaxLength, MaxWidth);
    const std::int32_t qty = Part.Quantity;
    const std::int32_t pW = Part.Width;
    if (pW <= 0) return;
    std::int32_t kMax = 0;
    for (std::int32_t k = 1; k <= qty; ++k) {
        if (rowLen(k) > m) break;
        kMax = k;
    }
    const std::int64_t jMax = m / pW;
    const double shapeArea = Part.ShapeArea();
    auto fits = [&](std::int64_t L, std::int64_t W) {
        return L <= MaxLength && W <= MaxWidth &&
               Panels.AnyFits(static_cast<std::int32_t>(L), static_cast<std::int32_t>(W));
    };
    for (std::int32_t i = 1; i <= kMax; ++i) {
        for (std::int64_t j = 1; j <= jMax && i * j <= qty; ++j) {
            if (i == 1 && j > 1) break;
            const std::int64_t blockL = rowLen(i) - shrink;  // after ShrinkLength
            const std::int64_t blockW = pW * j;
            const bool plain = fits(blockL, blockW);
            // A part that may not turn is never placed turned.
            const bool turned = Part.CanRotate && fits(blockW, blockL);
            if (Mode == TBaseMode::Count) {
                SeedQueueCount += (plain ? 1 : 0) + (turned ? 1 : 0);
                continue;
            }
            if (!plain && !turned) continue;
            if (Mode == TBaseMode::BuildKept) {
                // Kept: one piece, or the first piece as long or as wide as the block.
                const bool kept = i * j == 1 || Part.Length - shrink == blockL || pW == blockW;
                if (!kept) continue;
            }
            const double fullArea = static_cast<double>(rowLen(i)) * static_cast<double>(blockW);
            const double factor = static_cast<double>(i * j) * shapeArea / fullArea;
            auto block = NewBlock(static_cast<std::int32_t>(rowLen(i)),
                                  static_cast<std::int32_t>(blockW));
            block->Quantity = 1;
            for (std::int32_t a = 0; a < i; ++a) {
                const std::int64_t n = a + 1;
                const std::int64_t x =
                    n % 2 == 1 ? (n / 2) * pairW : (n / 2) * pairW + z->TopOffset - oneW;
                for (std::int64_t b = 0; b < j; ++b) {
                    T2DStock piece = T2DStock::CreateCopy(Part);
                    piece.Quantity = 1;
                    piece.Position = {static_cast<std::int32_t>(x),
                                      static_cast<std::int32_t>(pW * b)};
                    if (n % 2 == 0) piece.TurnHalf();
                    piece.Factor = factor;
                    piece.Selectable = i == 1;
                    block->AddPlacementNoSpaces(piece);
                }
            }
            block->ShrinkLength(z->Param8);
            if (plain) QueueBlock(std::make_unique<TPacket>(*block));
            if (turned) {
                block->Rotate();
                QueueBlock(std::move(block));
            }
        }
    }
}

// ---- build ------------------------------------------------------------------

void TSeeds::Combine(const TPacket& B, const TBlockInfo& BInfo, bool AlongWidth, double Tol) {
    const TIndexSeedsSet& set = AlongWidth ? ByLength : ByWidth;
    const std::int32_t bKey = AlongWidth ? B.Length : B.Width;
    const std::vector<std::int32_t> limits = QuantitiesOf(Parts);
    for (std::int32_t g = set.FindPos(bKey); g < set.Count(); ++g) {
        if (!(static_cast<double>(bKey) <= static_cast<double>(set.KeyAt(g)) * Tol)) break;
        for (const std::int32_t idx : set.Group(g).Items()) {
            const TPacket& c = *SeedList[static_cast<std::size_t>(idx)];
            const TBlockInfo& cInfo = SeedInfos[static_cast<std::size_t>(idx)];
            std::int64_t length, width;
            if (AlongWidth) {
                length = B.Length;
                width = std::int64_t{c.Width} + B.Width;
                if (width > MaxWidth) continue;
            } else {
                length = std::int64_t{c.Length} + B.Length;
                width = B.Width;
                if (length > MaxLength) continue;
            }
            if (!Panels.AnyFits(static_cast<std::int32_t>(length),
                                static_cast<std::int32_t>(width)))
                continue;
            const std::vector<TCount> sum = SumOf(BInfo.Counts, cInfo.Counts);
            if (Exceeds(sum, limits)) continue;
            std::string key =
                KeyOf(static_cast<std::int32_t>(length), static_cast<std::int32_t>(width), sum);
            if (Keys.count(key) != 0) continue;
            if (BInfo.SinglePart() >= 0 && BInfo.SinglePart() == cInfo.SinglePart()) continue;
            if (BInfo.FirstShaped && cInfo.FirstShaped) continue;
            auto merged = std::make_unique<TPacket>();
            merged->MergeFrom(AlongWidth, B, c);
            Keys.insert(std::move(key));
            QueueBlock(std::move(merged));
        }
    }
}

void TSeeds::Build() {
    const std::int32_t nParts = Parts.Count();
    const double tol = nParts <= 8 ? 1.03 : nParts <= 16 ? 1.02 : nParts <= 32 ? 1.01 : 1.00;

    // Seed 0 is the empty block; it is not filed in the index sets.
    EmptyBlock_ = TPacket::CreateFromParts(Parts);
    SeedList.push_back(NewBlock(0, 0));
    TBlockInfo emptyInfo = InfoOf(*SeedList.back());
    NoteSeed(*SeedList.back(), emptyInfo);
    SeedInfos.push_back(std::move(emptyInfo));

    AddBaseSeeds();

    if (SeedQueueCount >= 64 || RollingMode) {
        while (!Queue.empty()) {
            std::unique_ptr<TPacket> b = std::move(Queue.front());
            Queue.pop_front();
            TBlockInfo info;
            if (QueueInfos_.empty()) {
                info = InfoOf(*b);
            } else {
                info = std::move(QueueInfos_.front());
                QueueInfos_.pop_front();
            }
            const T2DStock* first = b->Placements.Empty() ? nullptr : &b->Placements.Items()[0];
            if (info.Total == 1 ||
                (first && (first->Length == b->Length || first->Width == b->Width)))
                AddSeed(std::move(b), std::move(info));
        }
    } else if (nParts >= 32) {
        while (!Queue.empty()) {
            AddSeed(std::move(Queue.front()));
            Queue.pop_front();
        }
    } else {
        std::reverse(Queue.begin(), Queue.end());
        for (const auto& b : Queue) Keys.insert(b->LayoutKey());
        while (!Queue.empty() && SeedCount() < kMaxCombinedSeeds &&
               SeedQueueCount < kMaxQueuedBlocks && !OptimizeCancelRequested()) {
            if (SeedCount() % 10 == 0) ProgressStep();
            std::unique_ptr<TPacket> b = std::move(Queue.front());
            Queue.pop_front();
            const TBlockInfo info = InfoOf(*b);
            Combine(*b, info, true, tol);
            Combine(*b, info, false, tol);
            AddSeed(std::move(b));
            --SeedQueueCount;
        }
        while (!Queue.empty()) {
            std::unique_ptr<TPacket> b = std::move(Queue.front());
            Queue.pop_front();
            if (InfoOf(*b).Total == 1) AddSeed(std::move(b));
        }
    }

    if (nParts < kPinwheelPartLimit && SeedCount() < kPinwheelSeedLimit &&
        (!GuillotineMode || SeedsIgnoreGuillotine))
        AddPinwheels();
    Keys.clear();
}

void TSeeds::Rebuild(const TPanels& NewParts, const TPanels& NewPanels) {
    auto build = [&] {
        const std::int32_t maxLength = MaxLength, maxWidth = MaxWidth;
        Clear();
        Parts.Assign(NewParts);
        SetMaxLength(maxLength);
        SetMaxWidth(maxWidth);
        Panels.Assign(NewPanels);
        Build();
    };
    // Blocks of many part kinds are made per part, in part order, and a part
    // with fewer pieces gives the blocks of more pieces that hold no more
    // than it has: the seeds within the new quantities are those a build
    // would make, as long as the build takes the same path (enough blocks).
    bool narrow = BuiltCompact_ && NewParts.Count() == Parts.Count() &&
                  NewPanels.Count() == Panels.Count();
    for (int j = 0; narrow && j < Parts.Count(); ++j) {
        const T2DStock& a = Parts[j];
        const T2DStock& b = NewParts[j];
        narrow = b.Quantity <= a.Quantity && a.Length == b.Length && a.Width == b.Width &&
                 a.CanRotate == b.CanRotate && a.ShapeKind == b.ShapeKind && a.Index == b.Index &&
                 a.Label == b.Label;
    }
    for (int e = 0; narrow && e < Panels.Count(); ++e)
        narrow = Panels[e].Length == NewPanels[e].Length && Panels[e].Width == NewPanels[e].Width;
    if (!narrow) {
        build();
        return;
    }
    Parts.Assign(NewParts);
    Panels.Assign(NewPanels);
    SeedQueueCount = 0;
    EnumerateBaseBlocks(TBaseMode::Count);
    if (SeedQueueCount < 64 && !RollingMode) {
        build();
        return;
    }
    const std::vector<std::int32_t> limits = QuantitiesOf(Parts);
    std::vector<std::int32_t> newIndex(SeedList.size(), -1);
    std::size_t kept = 1;  // seed 0 stays
    for (std::size_t k = 1; k < SeedList.size(); ++k) {
        if (Exceeds(SeedInfos[k].Counts, limits)) continue;
        newIndex[k] = static_cast<std::int32_t>(kept);
        if (kept != k) {
            SeedList[kept] = std::move(SeedList[k]);
            SeedInfos[kept] = std::move(SeedInfos[k]);
            SeedSizes[kept] = SeedSizes[k];
            SeedFirsts[kept] = SeedFirsts[k];
        }
        ++kept;
    }
    SeedList.resize(kept);
    SeedInfos.resize(kept);
    SeedSizes.resize(kept);
    SeedFirsts.resize(kept);
    HoldersStart_.clear();
    ByLength.Renumber(newIndex);
    ByWidth.Renumber(newIndex);
    Keys.clear();
}

void TSeeds::AddPinwheels() {
    const std::vector<std::int32_t> limits = QuantitiesOf(Parts);
    std::int32_t minL = MaxLength;
    std::int32_t minW = MaxWidth;
    for (std::int32_t s = 1; s < SeedCount(); ++s) {
        minL = std::min(minL, SeedList[static_cast<std::size_t>(s)]->Length);
        minW = std::min(minW, SeedList[static_cast<std::size_t>(s)]->Width);
    }
    const std::int32_t nA = SeedCount();
    for (std::int32_t ia = 1; ia < nA; ++ia) {
        for (std::int32_t ib = 1; ib < SeedCount(); ++ib) {
            // Seeds are added below: take what is needed by value.
            const TPacket& A = *SeedList[static_cast<std::size_t>(ia)];
            const TPacket& B = *SeedList[static_cast<std::size_t>(ib)];
            const std::int64_t sumL = std::int64_t{A.Length} + B.Length;
            const std::int64_t sumW = std::int64_t{A.Width} + B.Width;
            if (sumL > MaxLength || sumW > MaxWidth) continue;
            if (!Panels.AnyFits(static_cast<std::int32_t>(sumL), static_cast<std::int32_t>(sumW)))
                continue;
            const std::int32_t dL = std::abs(A.Length - B.Length);
            const std::int32_t dW = std::abs(A.Width - B.Width);
            if (dL < minL || dW < minW) continue;
            if ((A.Length > B.Length && A.Width > B.Width) ||
                (B.Length > A.Length && B.Width > A.Width))
                continue;
            if (A.Length == B.Length || A.Width == B.Width) continue;
            const TBlockInfo& aInfo = SeedInfos[static_cast<std::size_t>(ia)];
            const TBlockInfo& bInfo = SeedInfos[static_cast<std::size_t>(ib)];
            const std::vector<TCount> ab = SumOf(aInfo.Counts, bInfo.Counts);
            const std::vector<TCount> twice = SumOf(ab, ab);
            if (Exceeds(twice, limits)) continue;

            TPacket n(A);
            n.Length = static_cast<std::int32_t>(sumL);
            n.Width = static_cast<std::int32_t>(sumW);
            n.CopyPlacementsShifted(B, {0, A.Width});
            n.CopyPlacementsShifted(B, {A.Length, 0});
            n.CopyPlacementsShifted(A, {B.Length, B.Width});
            const TPoint hole =
                A.Length >= B.Length ? TPoint{B.Length, A.Width} : TPoint{A.Length, B.Width};

            const std::string nKey = KeyOf(n.Length, n.Width, twice);
            if (Keys.count(nKey) == 0) {
                bool filled = false;
                const std::int32_t nSeeds = SeedCount();
                for (std::int32_t ic = 1; ic < nSeeds; ++ic) {
                    const TPacket& C = *SeedList[static_cast<std::size_t>(ic)];
                    if (C.Length > dL || C.Width > dW) continue;
                    const double share =
                        (static_cast<double>(C.Length) + C.Width) / (static_cast<double>(dL) + dW);
                    if (!(share >= 0.95)) continue;
                    const std::vector<TCount> withC =
                        SumOf(twice, SeedInfos[static_cast<std::size_t>(ic)].Counts);
                    if (Exceeds(withC, limits)) continue;
                    filled = true;
                    std::string key = KeyOf(n.Length, n.Width, withC);
                    if (Keys.count(key) != 0) continue;
                    auto block = std::make_unique<TPacket>(n);
                    block->CopyPlacementsShifted(C, hole);
                    Keys.insert(std::move(key));
                    AddSeed(std::move(block));
                }
                if (!filled && n.GetValue(false, 1.0) > 97.0) {
                    Keys.insert(nKey);
                    AddSeed(std::make_unique<TPacket>(std::move(n)));
                }
            }
            if (SeedCount() % 10 == 0) ProgressStep();
            if (SeedCount() > kPinwheelSeedLimit || OptimizeCancelRequested()) return;
        }
    }
}

// ---- filling a sheet ----------------------------------------------------------

const std::vector<std::size_t>& TSeeds::HoldersStart(std::size_t PartCount) {
    if (HoldersStart_.size() == PartCount + 1) return HoldersStart_;
    HoldersStart_.assign(PartCount + 1, 0);
    for (const TBlockInfo& info : SeedInfos)
        for (const TCount& c : info.Counts) ++HoldersStart_[static_cast<std::size_t>(c.Index) + 1];
    for (std::size_t j = 0; j < PartCount; ++j) HoldersStart_[j + 1] += HoldersStart_[j];
    Holders_.resize(HoldersStart_[PartCount]);
    std::vector<std::size_t> next(HoldersStart_.begin(), HoldersStart_.end() - 1);
    for (std::size_t k = 0; k < SeedInfos.size(); ++k)
        for (const TCount& c : SeedInfos[k].Counts)
            Holders_[next[static_cast<std::size_t>(c.Index)]++] = static_cast<std::int32_t>(k);
    return HoldersStart_;
}

std::int32_t TSeeds::FillPanel(const TPanels& PartsAvailable, const TPacket& Packet, TSchemes& Plan,
                               bool Random, std::int32_t Strategy, TPlanGate* Gate) {
    const std::int64_t start = platform::NowMilliseconds();
    const std::int32_t n = PubRandom(2) + 2;
    const std::int32_t before = Plan.Count();
    std::int32_t packets = 0;
    std::int32_t result = 0;
    ProgressStep(false);
    ++OptimizeStepCount;

    const std::vector<std::int32_t> available = QuantitiesOf(PartsAvailable);
    const std::vector<std::int32_t> seedParts = QuantitiesOf(Parts);
    // The parts the seeds were made for, in part order: no other part can
    // have pieces off the sheet.
    std::vector<std::size_t> seeded;
    for (std::size_t j = 0; j < seedParts.size(); ++j)
        if (seedParts[j] > 0) seeded.push_back(j);
    // The seeds, the quantities and the sheet count the same parts.
    if (PartsAvailable.Count() != Parts.Count()) ThrowListIndexError(PartsAvailable.Count());
    if (Packet.PartCounts.Count() != Parts.Count()) ThrowListIndexError(Packet.PartCounts.Count());
    const std::int64_t packetCap = (std::int64_t{OptimizeSpeed} + 1) * 128;
    const std::int64_t budget = SeedsFromRefine ? 20 : 360;
    const std::size_t nParts = available.size();

    // The pieces of each part still off the sheet of the current start.
    std::vector<std::int32_t> rem(available);
    std::vector<char> fallbackFailed(nParts, 0);
    // Whether a seed's counts exceed rem, asked once per seed while the
    // quantities of its parts stand still instead of once per free rectangle:
    // 0 not known, 1 within rem, 2 above it. A change of rem[j] forgets the
    // answers of the seeds that hold part j (listed by part in holders).
    std::vector<char> exceedState(static_cast<std::size_t>(SeedCount()), 0);
    const std::vector<std::size_t>& holdersStart = HoldersStart(nParts);
    const std::vector<std::int32_t>& holders = Holders_;
    // The parts whose rem differs from available, each listed once.
    std::vector<std::size_t> changed;
    std::vector<char> isChanged(nParts, 0);
    auto forget = [&](std::size_t Part) {
        for (std::size_t h = holdersStart[Part]; h < holdersStart[Part + 1]; ++h)
            exceedState[static_cast<std::size_t>(holders[h])] = 0;
    };
    auto setRem = [&](std::size_t Part, std::int32_t Quantity) {
        if (rem[Part] == Quantity) return;
        rem[Part] = Quantity;
        if (!isChanged[Part]) {
            isChanged[Part] = 1;
            changed.push_back(Part);
        }
        forget(Part);
    };
    auto exceedsRem = [&](std::int32_t Seed) {
        char& state = exceedState[static_cast<std::size_t>(Seed)];
        if (state == 0) state = Exceeds(SeedInfos[static_cast<std::size_t>(Seed)].Counts, rem) ? 2 : 1;
        return state == 2;
    };
    // Parts with a seed of one piece in every orientation the part may take.
    std::vector<char> singleSeeded(nParts, 0);
    {
        std::vector<char> plain(nParts, 0), turned(nParts, 0);
        for (std::int32_t k = 1; k < SeedCount(); ++k) {
            const std::vector<TCount>& counts = SeedInfos[static_cast<std::size_t>(k)].Counts;
            if (counts.size() != 1 || counts[0].Qty != 1) continue;
            const auto j = static_cast<std::size_t>(counts[0].Index);
            const T2DStock& part = Parts.Items()[j];
            const TSize& size = SeedSizes[static_cast<std::size_t>(k)];
            if (size.Length == part.Length && size.Width == part.Width) plain[j] = 1;
            if (size.Length == part.Width && size.Width == part.Length) turned[j] = 1;
        }
        for (std::size_t j = 0; j < nParts; ++j)
            singleSeeded[j] = plain[j] && (turned[j] || !Parts.Items()[j].CanRotate);
    }
    // The seeded parts a fill without random skips may fall back to whatever
    // the sheet holds: no one-piece seed in every orientation, or no piece
    // to start with. The others become such parts only once their rem falls
    // below one, which lists them in changed.
    std::vector<std::size_t> fallbackBase;
    for (const std::size_t j : seeded)
        if (!singleSeeded[j] || available[j] < 1) fallbackBase.push_back(j);
    std::vector<std::size_t> fallbackOrder;

    // In guillotine mode each block is cut out of its free rectangle by
    // guillotine cuts: a layout of blocks that each pass the guillotine test
    // passes it too, and the plan need not test it again.
    const bool guillotine = GuillotineMode;
    std::vector<signed char> blockCuttable(static_cast<std::size_t>(SeedCount()), -1);
    auto cuttable = [&](std::int32_t Seed) {
        signed char& known = blockCuttable[static_cast<std::size_t>(Seed)];
        if (known < 0) known = Guillotine.Check(*SeedList[static_cast<std::size_t>(Seed)]) ? 1 : 0;
        return known == 1;
    };
    // Of two seeds that fit equally well the one with greater counts in part
    // order is taken: the first counts decide unless they are equal.
    auto greater = [this](std::int32_t A, std::int32_t B) {
        const TCount& a = SeedFirsts[static_cast<std::size_t>(A)];
        const TCount& b = SeedFirsts[static_cast<std::size_t>(B)];
        return a.Index != b.Index ? a.Index < b.Index
               : a.Qty != b.Qty   ? a.Qty > b.Qty
                                  : CountsGreaterLex(SeedInfos[static_cast<std::size_t>(A)].Counts,
                                                     SeedInfos[static_cast<std::size_t>(B)].Counts);
    };
    ByLength.RankGroups(greater);
    ByWidth.RankGroups(greater);
    ByLength.PrepareSearch();
    ByWidth.PrepareSearch();
    // The first group of each set that fits a free rectangle, and its ratio,
    // by the rectangle's size: most rectangles stay as they are from one
    // placement to the next, and many sizes recur.
    struct TFirstFit {
        std::int32_t Side = -1, Room = -1, Group = 0;
        double Ratio = 0.0;
    };
    constexpr std::size_t kFitBits = 10;
    std::vector<TFirstFit> firstFits(2 << kFitBits);
    auto firstFit = [&](int Pass, std::int32_t Side, std::int32_t Room) -> const TFirstFit& {
        const std::uint32_t hash = (static_cast<std::uint32_t>(Side) * 0x9E3779B1u) ^
                                   (static_cast<std::uint32_t>(Room) * 0x85EBCA77u);
        TFirstFit& f = firstFits[(static_cast<std::size_t>(Pass) << kFitBits) +
                                 (hash >> (32 - kFitBits))];
        if (f.Side == Side && f.Room == Room) return f;
        const TIndexSeedsSet& set = Pass == 0 ? ByLength : ByWidth;
        f.Side = Side;
        f.Room = Room;
        f.Group = set.NextFitting(set.FindPos(Side), Room);
        f.Ratio = f.Group < set.Count() ? 100.0 * set.KeyAt(f.Group) / Side : 0.0;
        return f;
    };
    TPacket work(Packet);
    T2DStock probe;  // the size of the block to place, at the corner found for it
    // The parts with pieces on work, each listed once: the sheet's counts
    // are read from them instead of from every part.
    std::vector<std::int32_t> sheetParts;
    std::vector<char> isSheetPart(nParts, 0);
    // Puts the pieces of Block into work with the block's corner at At, in
    // free rectangle SpaceIndex.
    auto placeBlock = [&](const TPacket& Block, TPoint At, int SpaceIndex) {
        for (const T2DStock& p : Block.Placements) {
            const auto j = static_cast<std::size_t>(p.Index);
            if (j < nParts && !isSheetPart[j]) {
                isSheetPart[j] = 1;
                sheetParts.push_back(p.Index);
            }
            if (guillotine) {
                // Free rectangles are split once per block: the piece is
                // moved into place after it is added.
                work.AddPlacementNoSpaces(p);
                TPoint& at = work.Placements[work.Placements.Count() - 1].Position;
                at.X += At.X;
                at.Y += At.Y;
                continue;
            }
            T2DStock q = T2DStock::CreateCopy(p);
            q.Position.X += At.X;
            q.Position.Y += At.Y;
            work.AddPlacement(q);
        }
        if (guillotine && !Block.Placements.Empty())
            work.SplitSpace(SpaceIndex, {At.X, At.Y, At.X + Block.Length, At.Y + Block.Width});
    };
    for (std::int32_t s = SeedCount() - 1; s >= 0; --s) {
        const TPacket& seed = *SeedList[static_cast<std::size_t>(s)];
        const TBlockInfo& seedInfo = SeedInfos[static_cast<std::size_t>(s)];
        if (seed.Length > Packet.Length || seed.Width > Packet.Width) continue;
        if (Exceeds(seedInfo.Counts, available)) continue;

        bool rnd = Random;
        // The sheet as given, emptied (one copy serves every start).
        work.Quantity = Packet.Quantity;
        work.Reset();
        for (const std::int32_t j : sheetParts) isSheetPart[static_cast<std::size_t>(j)] = 0;
        sheetParts.clear();
        placeBlock(seed, seed.Position, 0);
        bool blocksCuttable = guillotine && cuttable(s);
        // rem: available less the start seed.
        for (const std::size_t j : changed) {
            isChanged[j] = 0;
            if (rem[j] == available[j]) continue;
            rem[j] = available[j];
            forget(j);
        }
        changed.clear();
        for (const TCount& c : seedInfo.Counts) {
            const auto j = static_cast<std::size_t>(c.Index);
            setRem(j, available[j] - c.Qty);
        }

        std::int32_t lastFallback = -1;
        bool anyFailed = false;
        for (;;) {
            double bestRatio = 0.0;
            std::int32_t bestRect = -1;
            std::int32_t best = 0;
            const std::int32_t nSpaces = work.Spaces.Count();
            for (std::int32_t r = 0; r < nSpaces; ++r) {
                if (rnd && PubRandom(n) == 0) continue;
                const TSpace& space = work.Spaces.Items()[static_cast<std::size_t>(r)];
                for (int pass = 0; pass < 2; ++pass) {
                    const bool byLength = pass == 0;
                    if (byLength && RollingMode) continue;
                    const TIndexSeedsSet& set = byLength ? ByLength : ByWidth;
                    const std::int32_t side = byLength ? space.Length : space.Width;
                    const std::int32_t room = byLength ? space.Width : space.Length;
                    // Draws of the random skips owed by seeds that cannot be
                    // taken whatever the draw says.
                    std::int64_t owedDraws = 0;
                    const TFirstFit& first = firstFit(pass, side, room);
                    for (std::int32_t g = first.Group; g < set.Count(); ++g) {
                        // Groups with no seed narrow enough are passed over.
                        if (g != first.Group) {
                            g = set.NextFitting(g, room);
                            if (g == set.Count()) break;
                        }
                        // The key side fits (the group's key is at most the
                        // rectangle's side): test the other side from the
                        // group's own list.
                        const TIndexSeeds& group = set.Group(g);
                        const std::vector<std::int32_t>& others = group.OtherSides();
                        const std::vector<std::int32_t>& members = group.Items();
                        // The seeds of this group, and of the groups after it
                        // (shorter ones), fall more than 1 below the best
                        // ratio: none of them can be taken. Without random
                        // skips the scan ends; with them, each such seed
                        // still takes its one draw.
                        const double groupRatio =
                            g == first.Group ? first.Ratio : 100.0 * set.KeyAt(g) / side;
                        if (!(groupRatio - bestRatio > 1) && std::fabs(groupRatio - bestRatio) > 1) {
                            if (!rnd) break;
                            for (std::size_t k = 0; k < members.size(); ++k)
                                if (others[k] <= room && !exceedsRem(members[k])) ++owedDraws;
                            continue;
                        }
                        // Every seed of the group has the key as its side:
                        // the group's ratio is each seed's.
                        const double ratio = groupRatio;
                        if (!rnd) {
                            // Without random skips the group offers the first
                            // seed it ranks that fits and is within rem: the
                            // scan in the order added would end up with it.
                            const std::vector<std::int32_t>& ranked = group.RankedItems();
                            const std::vector<std::int32_t>& rankedOthers =
                                group.RankedOtherSides();
                            for (std::size_t k = 0; k < ranked.size(); ++k) {
                                if (rankedOthers[k] > room) continue;
                                const std::int32_t idx = ranked[k];
                                if (exceedsRem(idx)) continue;
                                if (ratio - bestRatio > 1 || greater(idx, best)) {
                                    best = idx;
                                    bestRatio = ratio;
                                    bestRect = r;
                                }
                                break;
                            }
                            continue;
                        }
                        for (std::size_t k = 0; k < members.size(); ++k) {
                            if (others[k] > room) continue;
                            const std::int32_t idx = members[k];
                            if (exceedsRem(idx)) continue;
                            if (rnd && PubRandom(n) == 0) continue;
                            if (ratio - bestRatio > 1) {
                                if (rnd && PubRandom(n) == 0) continue;
                            } else if (std::fabs(ratio - bestRatio) > 1) {
                                continue;
                            } else {
                                if (!greater(idx, best)) continue;
                                if (rnd && PubRandom(n) == 0) continue;
                            }
                            best = idx;
                            bestRatio = ratio;
                            bestRect = r;
                        }
                    }
                    PubRandomSkip(owedDraws);
                }
            }

            if (bestRect >= 0) {
                const TPacket& chosen = *SeedList[static_cast<std::size_t>(best)];
                probe.Length = chosen.Length;
                probe.Width = chosen.Width;
                work.PlaceAt(probe, bestRect, Strategy);
                placeBlock(chosen, probe.Position, bestRect);
                blocksCuttable = blocksCuttable && cuttable(best);
                for (const TCount& c : SeedInfos[static_cast<std::size_t>(best)].Counts) {
                    const auto j = static_cast<std::size_t>(c.Index);
                    setRem(j, rem[j] - c.Qty);
                }
                lastFallback = -1;
                if (anyFailed) {
                    std::fill(fallbackFailed.begin(), fallbackFailed.end(), 0);
                    anyFailed = false;
                }
                continue;
            }

            // No seed fits: let the first part that still has pieces off the
            // sheet and fits a free rectangle have all of them. A part whose
            // allowance found no seed either is passed over, so the fill
            // always ends.
            if (lastFallback >= 0) {
                fallbackFailed[static_cast<std::size_t>(lastFallback)] = 1;
                anyFailed = true;
            }
            std::int32_t chosenPart = -1;
            const TPartCounts::TView onSheet = work.PartCounts.Quantities();
            auto fallBackTo = [&](std::size_t j) {
                if (fallbackFailed[j]) return false;
                const std::int32_t left = seedParts[j] - onSheet[j];
                if (left <= 0) return false;
                // A scan without random skips that found nothing would have
                // found this part's one-piece seed in a free rectangle.
                if (!rnd && rem[j] >= 1 && singleSeeded[j]) return false;
                if (work.NoSpaceFits(Parts.Items()[j])) return false;
                setRem(j, left);
                chosenPart = static_cast<std::int32_t>(j);
                return true;
            };
            if (rnd) {
                for (const std::size_t j : seeded)
                    if (fallBackTo(j)) break;
            } else {
                // Only the parts that can pass, in part order.
                fallbackOrder.clear();
                for (const std::size_t j : changed)
                    if (rem[j] < 1 && seedParts[j] > 0) fallbackOrder.push_back(j);
                std::sort(fallbackOrder.begin(), fallbackOrder.end());
                std::size_t b = 0, c = 0, last = nParts;
                while (b < fallbackBase.size() || c < fallbackOrder.size()) {
                    const std::size_t j =
                        c == fallbackOrder.size() ||
                                (b < fallbackBase.size() && fallbackBase[b] <= fallbackOrder[c])
                            ? fallbackBase[b++]
                            : fallbackOrder[c++];
                    if (j == last) continue;
                    last = j;
                    if (fallBackTo(j)) break;
                }
            }
            if (chosenPart < 0) break;
            lastFallback = chosenPart;
            rnd = false;
        }

        work.Quantity = 0;
        if (!work.Placements.Empty()) {
            ++packets;
            if (Gate != nullptr) {
                std::sort(sheetParts.begin(), sheetParts.end());
                TBlockInfo info;
                const TPartCounts::TView counts = work.PartCounts.Quantities();
                for (const std::int32_t j : sheetParts) {
                    const std::int32_t q = counts[static_cast<std::size_t>(j)];
                    if (q == 0) continue;
                    info.Counts.push_back({j, q});
                    info.Total += q;
                }
                info.FirstShaped = work.Placements.Items().front().ShapeKind == skShaped;
                Gate->AddPacket(work, GuillotineMode && !blocksCuttable, false, &info);
            }
            else
                Plan.AddPacket(work, GuillotineMode && !blocksCuttable, false);
            if (packets > packetCap) break;
        }
        result = Plan.Count() - before;
        ProgressStep();
        if (ElapsedWholeSeconds(start) > budget || OptimizeCancelRequested()) break;
    }
    return result;
}
