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
// Progress goes to ProgressSink(); RequestOptimizeCancel() ends every phase at
// its next time check.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/packet.h"
#include "engine/panels.h"
#include "engine/partedge.h"
#include "engine/schemes.h"
#include "engine/seeds.h"

// True only when a run works in batches with extra passes (more part kinds
// than one batch takes); read by the trial search.
extern bool OptimizeInnerFlag;

// The gate of TSchemes::AddPacket for a plan that holds thousands of
// layouts of many part kinds: the same decisions, but the non-zero part
// counts of the kept layouts are held beside the plan, so a candidate is
// compared without reading every part of every kept layout. The plan may
// change only through this gate while it follows the plan; call Sync after
// any other change.
class TPlanGate {
public:
    explicit TPlanGate(TSchemes& Plan) : Plan_(Plan) { Sync(); }

    // Reads the counts of every layout again.
    void Sync();
    // As TSchemes::AddPacket(Packet, CheckGuillotine, AllowDominated).
    bool AddPacket(TPacket& Packet, bool CheckGuillotine, bool AllowDominated);

    // The non-zero counts and the total count of layout K.
    const std::vector<TSeeds::TCount>& Counts(int K) const {
        return Counts_[static_cast<std::size_t>(K)];
    }
    std::int32_t Total(int K) const { return Totals_[static_cast<std::size_t>(K)]; }
    const std::vector<std::vector<TSeeds::TCount>>& AllCounts() const { return Counts_; }
    const std::vector<std::int32_t>& AllTotals() const { return Totals_; }

private:
    TSchemes& Plan_;
    std::vector<std::vector<TSeeds::TCount>> Counts_;
    std::vector<std::int32_t> Totals_;
    std::vector<std::int32_t> Index_;  // each layout's stock entry
    int Length_ = -1;  // the common length of the part count lists, -2 when they differ
};

// Figures of the last run, for benchmarks and diagnostics; they never
// influence the plan.
struct TOptimizeStats {
    std::int64_t PrepareMs = 0;          // sorting, allowances, fit check, seeds
    std::int64_t QuickMs = 0;            // quick passes
    std::int64_t SearchMs[3] = {0, 0, 0};  // trial search by mode 0, 1, 2
    std::int32_t Trials = 0;             // trials carried out (skipped ones not counted)
    std::int32_t Refills = 0;            // refills of the trial search
    bool TimeLimitReached = false;       // some phase ended at its time limit
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
    // The whole optimisation; on success Best, PanelsLeft and Packet hold the plan.
    void Run(std::string& ErrorText);
    // The quick passes: fill every stock entry to collect Candidates.
    void OptimizeQuick(std::string& ErrorText);
    // The trial search with tie rules of Mode (0, 1 or 2); ErrorText is set
    // when Best is empty afterwards and cleared when it is not.
    void OptimizeSearch(std::int32_t Mode, std::string& ErrorText);
    // Sets List's quantities to part weights by Strategy (mod 10).
    void WeightParts(TPanels& List, std::int32_t Strategy);
    // -1 when trial plan B beats the best plan A, else 1.
    std::int32_t CompareSchemes(const TSchemes& A, const TSchemes& B) const;
    // Called whenever Candidates holds more than MaxCandidateLayouts layouts.
    virtual void SchemeLimitHook() {}

protected:
    // More open part kinds than this are optimised in batches.
    std::int32_t ManyPartKinds = 999999;

private:
    void SortPartsByArea();
    bool TimeCheckFails();
};

// The message of a part refused because no size is left after its edge
// banding.
std::string PartHasNoSizeMessage(const std::string& Label);
