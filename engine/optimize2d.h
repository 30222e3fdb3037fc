// The optimiser: takes the stock sheets, rack offcuts and parts of one
// material type, checks and prepares them, collects candidate layouts with
// the seed blocks (quick passes), builds complete plans from them (trial
// search) and holds the best plan in Best.
//
// Use:
//   TOptimize2d opt;  std::string err;
//   opt.AddPanel(...);  opt.AddPart(...);  // each stops at the first error
//   opt.Run(err);                          // err empty: the plan is in opt.Best
// With PubRandSeed set to 479 before the run, equal input and settings give
// an equal plan as long as no phase reaches its time limit (OptimizeTimeLimit
// seconds per phase, measured from OptimizeStartTime on the program clock).
// Progress goes to ProgressSink(). RequestOptimizeCancel() ends the run within
// a step of whatever phase it is in: a plan the run already has (the search's
// best one, or above Level 0 the lowest level's) stands; without one the run
// ends with no plan and no error. Either way Stats.Cancelled is set.
#pragma once

#include <cstdint>
#include <set>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "engine/packet.h"
#include "engine/panels.h"
#include "engine/partedge.h"
#include "engine/schemes.h"
#include "engine/seeds.h"

// True only when a run works in batches with extra passes (more part kinds
// than one batch takes); read by the trial search.
extern bool OptimizeInnerFlag;

// The parts (by position mod 256) a layout holds pieces of. A part of one
// layout missing in another's mask proves a greater count there without
// reading the counts.
struct TPartMask {
    std::uint64_t W[4] = {0, 0, 0, 0};
    void Set(std::int32_t Part) {
        const auto b = static_cast<std::uint32_t>(Part) % 256;
        W[b / 64] |= std::uint64_t{1} << (b % 64);
    }
    // The parts by position mod 64: a part of one layout missing in
    // another's folded mask is missing in its full mask too.
    std::uint64_t Folded() const { return W[0] | W[1] | W[2] | W[3]; }
    // Some part of this mask is not in Other.
    bool HasOutside(const TPartMask& Other) const {
        return ((W[0] & ~Other.W[0]) | (W[1] & ~Other.W[1]) | (W[2] & ~Other.W[2]) |
                (W[3] & ~Other.W[3])) != 0;
    }
};

// Mask of every count above 0.
TPartMask PartMask(const std::vector<TSeeds::TCount>& Counts);

// The folded part masks of a list of layouts, also held one bit list per
// mask bit (bit-sliced): which layouts' folded sets lie within a given one,
// or hold it, is read 64 layouts per word instead of one layout per step.
class TFoldIndex {
  public:
    std::size_t Size() const { return Folds_.size(); }
    void Clear();
    void Append(std::uint64_t Fold);
    void Set(std::size_t K, std::uint64_t Fold);
    // Removes layout K; the layouts after it move down one place.
    void Erase(std::size_t K);
    // Words[W] bit J, for every layout K = 64 W + J: the layout's fold lies
    // within Fold or holds it. Bits past the last layout are 0.
    void Related(std::uint64_t Fold, std::vector<std::uint64_t>& Words) const;

  private:
    // Layouts in chunks of 512: chunk C holds Rows rows of 8 words from
    // Bits_[C * Rows * 8]; bit J of word W of row B is set when layout
    // 512 C + 64 W + J has fold bit B (rows 0 to 63) or bit B - 64 of its
    // fold folded again to 16 bits (rows 64 to 79). A layout has most of the
    // 16 coarse bits, so few rows of them show most layouts to hold a part
    // outside a given set.
    static constexpr std::size_t ChunkWords = 8;
    static constexpr std::size_t Rows = 80;
    std::vector<std::uint64_t> Bits_;
    std::vector<std::uint64_t> Folds_;
    static std::uint64_t Coarse(std::uint64_t Fold) {
        Fold |= Fold >> 32;
        Fold |= Fold >> 16;
        return Fold & 0xFFFF;
    }
    std::uint64_t& Word(std::size_t B, std::size_t W) {
        return Bits_[((W / ChunkWords) * Rows + B) * ChunkWords + W % ChunkWords];
    }
};

// What the trial search reads of every layout of a plan, held side by side
// so that scans over thousands of layouts need not visit the layouts.
class TLayoutFacts {
  public:
    std::vector<std::int32_t> Totals;    // the total part count
    std::vector<std::int32_t> Index;     // the stock entry
    std::vector<std::int32_t> Priority;  // the stock entry's priority
    std::vector<TPartMask> Masks;        // the parts held
    TFoldIndex Folds;                    // Masks folded to 64 bits
    std::vector<double> Values;          // the layout's Value when it was taken

    std::size_t Size() const { return Totals.size(); }
    // The non-zero part counts of layout K, in part order.
    std::span<const TSeeds::TCount> Counts(std::size_t K) const {
        return {Arena_.data() + Start_[K], Length_[K]};
    }
    void Build(const TSchemes& Plan);
    void Set(std::size_t K, const TPacket& Layout, const TSeeds::TBlockInfo& Info);
    void Append(const TPacket& Layout, const TSeeds::TBlockInfo& Info);
    void Erase(std::size_t K);

  private:
    // The counts of all layouts, one run after the other; runs of replaced
    // or removed layouts are left behind until the arena is packed.
    std::vector<TSeeds::TCount> Arena_;
    std::vector<std::size_t> Start_;
    std::vector<std::size_t> Length_;
    std::size_t Live_ = 0;  // counts in use
    std::size_t Put(const std::vector<TSeeds::TCount>& Counts);
    void Pack();
};

// The gate of TSchemes::AddPacket for a plan that holds thousands of
// layouts of many part kinds: the same decisions, but a candidate is
// compared with the kept layouts through their facts, without reading every
// part of every kept layout. The plan may change only through this gate
// while it follows the plan; call Sync after any other change.
class TPlanGate {
  public:
    explicit TPlanGate(TSchemes& Plan) : Plan_(Plan) { Sync(); }

    // The most layouts the plan may hold (0: no limit). A full plan takes
    // a layout only in place of the kept layouts it betters.
    std::int32_t Limit = 0;
    // When set, a full plan makes room for a layout of higher Value by
    // dropping its layout of lowest Value (the first of equal ones).
    bool DropLowestValue = false;

    // Reads the facts of every layout again.
    void Sync();
    // As TSchemes::AddPacket(Packet, CheckGuillotine, AllowDominated), but
    // a layout that would be added to a full plan is refused.
    // Info: the packet's non-zero counts when the caller has them at hand
    // (InfoOf(Packet) otherwise). Packet's counts may take the compact form.
    bool AddPacket(TPacket& Packet, bool CheckGuillotine, bool AllowDominated,
                   const TSeeds::TBlockInfo* Info = nullptr);

    const TLayoutFacts& Facts() const { return Facts_; }
    std::int32_t Total(int K) const { return Facts_.Totals[static_cast<std::size_t>(K)]; }

  private:
    TSchemes& Plan_;
    TLayoutFacts Facts_;
    int Length_ = -1;  // the common length of the part count lists, -2 when they differ
    std::vector<std::uint64_t> Related_;  // scratch of AddPacket
    // With DropLowestValue: the kept layouts by Value, equal ones by place,
    // as (Value, key); the keys grow with the place, Keys_ by place.
    bool Ordered_ = false;
    std::set<std::pair<double, std::uint64_t>> ByValue_;
    std::vector<std::uint64_t> Keys_;
    std::uint64_t NextKey_ = 0;
    void Order();
    void Forget(std::size_t K);    // before layout K is replaced or removed
    void Remember(std::size_t K);  // after layout K is added or replaced
};

// Figures of the last run, for benchmarks and diagnostics; they never
// influence the plan.
struct TOptimizeStats {
    std::int64_t PrepareMs = 0;            // sorting, allowances, fit check, seeds
    std::int64_t QuickMs = 0;              // quick passes
    std::int64_t SearchMs[3] = {0, 0, 0};  // trial search by mode 0, 1, 2
    std::int32_t Trials = 0;               // trials carried out (skipped ones not counted)
    std::int32_t Refills = 0;              // refills of the trial search
    bool TimeLimitReached = false;         // some phase ended at its time limit
    std::int64_t LowestLevelMs = 0;        // the run of the lowest level made before a higher one
    bool LowestLevelKept = false;          // the lowest level's plan was the better one
    bool Cancelled = false;                // the run saw a cancel request and ended at it
};

class TOptimize2d {
  public:
    TSeeds Seeds;                 // the seed blocks of the current run
    TPanels CandidatePartTotals;  // per part: its count over all candidate layouts
    TSchemes Candidates;          // candidate layouts of the quick passes and refills
    TSchemes Best;                // the result: the cutting plan
    TPacket Packet;               // after a search: a copy of Best's first layout
    TPanels WorkParts;            // per part: the pieces the plan must hold
    TPanels Parts;                // per part: the most pieces the plan may hold
    TPanels Panels;               // the stock: sheets and rack offcuts
    TPanels PanelsLeft;           // the stock left after the plan
    TOptimizeStats Stats;         // figures of the last run

    // Sets FastOptimize on.
    TOptimize2d();
    virtual ~TOptimize2d() = default;
    TOptimize2d(const TOptimize2d&) = delete;
    TOptimize2d& operator=(const TOptimize2d&) = delete;

    // Empties Seeds, Candidates, Best, Parts, WorkParts, Panels and PanelsLeft
    // (CandidatePartTotals stays).
    void Clear();

    // Validates and appends one part (Quantity: the most pieces; Required: the
    // pieces that must be cut). ErrorText is empty on success.
    void AddPart(const std::string& Label, const std::string& LengthText,
                 const std::string& WidthText, const std::string& Comment, std::int32_t Length,
                 std::int32_t Width, bool CanRotate, std::int32_t Quantity,
                 std::int32_t RequiredQuantity, std::uint8_t ShapeKind, const PPartEdge& Edge,
                 std::string& ErrorText);
    // Validates and appends one stock entry (SourceKind: 0 sheet, 1 rack
    // offcut); its Index is its position.
    void AddPanel(const std::string& Label, const std::string& LengthText,
                  const std::string& WidthText, const std::string& Comment, std::int32_t Length,
                  std::int32_t Width, std::int32_t Quantity, std::int32_t Priority,
                  std::int32_t Cost, std::uint8_t SourceKind, std::string& ErrorText);
    // Appends Part unchecked (profile parts), with RequiredQuantity in WorkParts.
    void AddPartStock(const T2DStock& Part, std::int32_t RequiredQuantity);

    // Parts (and WorkParts alike) by area, largest first, stable; Index :=
    // position. "Parts data is empty" when there are no pieces at all.
    void SortParts(std::string& ErrorText);
    // Adds the blade width and each part's edge allowances to every size.
    // Refuses a part left with no size (banding thicker than the part).
    void AddKerfAndEdges(std::string& ErrorText);
    // "Part[label=...] is too large." for the first part that fits no stock entry.
    void CheckPartsFit(std::string& ErrorText);
    // Rebuilds the seeds from Parts and Panels; "no Sheet" without stock.
    void PrepareSeeds(std::string& ErrorText);
    // The whole optimisation; on success Best, PanelsLeft and Packet hold the
    // plan. Above Level 0 the plan of Level 0 is made too, and kept when
    // CompareSchemes(higher level's plan, Level 0's plan) prefers it. A run
    // cancelled before it had a plan ends with Best empty and ErrorText empty
    // (Stats.Cancelled tells it from a run that had nothing to plan).
    void Run(std::string& ErrorText);
    // The quick passes: fill every stock entry to collect Candidates.
    void OptimizeQuick(std::string& ErrorText);
    // The trial search with tie rules of Mode (0, 1 or 2); ErrorText is set
    // when Best is empty afterwards and cleared when it is not, unless a
    // cancel ended the search (ErrorText is then empty).
    void OptimizeSearch(std::int32_t Mode, std::string& ErrorText);
    // Sets List's quantities to part weights by Strategy (mod 10).
    void WeightParts(TPanels& List, std::int32_t Strategy);
    // -1 when trial plan B beats the best plan A, else 1.
    std::int32_t CompareSchemes(const TSchemes& A, const TSchemes& B) const;
    // The message of a run that found no plan: in guillotine mode, with stock
    // to fill and no minimum offcut, a part to cut that no candidate layout
    // holds (every layout of it failed the guillotine test) is named;
    // otherwise the material is short.
    std::string NoPlanMessage() const;
    // Called whenever Candidates holds MaxCandidateLayouts layouts (the most
    // it takes).
    virtual void SchemeLimitHook() {}

  protected:
    // More open part kinds than this are optimised in batches.
    std::int32_t ManyPartKinds = 999999;

  private:
    void SortPartsByArea();
    bool TimeCheckFails();
    // Whether a cancel is requested; notes it in Stats.
    bool CancelSeen();
    // No plan, and the part and stock lists as given.
    void StartOver(const TPanels& GivenParts, const TPanels& GivenWork, const TPanels& GivenStock);
    // The end of a run at a level cancelled without a plan: StartOver, no
    // error.
    void EndCancelled(std::string& ErrorText, const TPanels& GivenParts, const TPanels& GivenWork,
                      const TPanels& GivenStock);
    // The run at the level OptimizeSpeed.
    void RunAtLevel(std::string& ErrorText);
};

// The message of a part refused because no size is left after its edge
// banding.
std::string PartHasNoSizeMessage(const std::string& Label);
// The message of a run in guillotine mode whose layouts holding a part all
// failed the guillotine test.
std::string NoGuillotineLayoutMessage(const std::string& Label);
