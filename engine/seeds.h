// Seed blocks: parts already packed together (one part repeated in a grid,
// pairs of shaped parts, two blocks of nearly equal length or width joined,
// pinwheels of four blocks), which the sheet filler places as units. The
// filler fills one stock sheet once from every seed as a start block, putting
// into each free rectangle the seed that fits it best, and offers every
// resulting layout to a plan.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "engine/index_seeds.h"
#include "engine/packet.h"
#include "engine/panels.h"
#include "engine/schemes.h"

class TPlanGate;

// Blocks put into the queue and not yet made seeds.
extern std::int32_t SeedQueueCount;

class TSeeds {
  public:
    // One part count of a block: position in the part list and pieces (> 0).
    struct TCount {
        std::int32_t Index;
        std::int32_t Qty;
    };
    // The non-zero part counts of a block in part order, and what the builder
    // asks of its pieces.
    struct TBlockInfo {
        std::vector<TCount> Counts;
        std::int32_t Total = 0;
        bool FirstShaped = false;  // the first piece is a shaped part
        // The one part the block holds, -1 when it holds none or several.
        std::int32_t SinglePart() const { return Counts.size() == 1 ? Counts[0].Index : -1; }
    };

    std::int32_t MaxLength = 0;                  // largest Length of the stock entries
    std::int32_t MaxWidth = 0;                   // largest Width of the stock entries
    TPanels Parts;                               // the parts with the quantities open to the seeds
    TPanels Panels;                              // the stock entries
    TIndexSeedsSet ByLength;                     // seeds grouped by Length
    TIndexSeedsSet ByWidth;                      // seeds grouped by Width
    std::unordered_set<std::string> Keys;        // layout keys of the blocks made so far
    std::deque<std::unique_ptr<TPacket>> Queue;  // blocks waiting to become seeds

    TSeeds();
    TSeeds(const TSeeds&) = delete;
    TSeeds& operator=(const TSeeds&) = delete;

    // Frees every seed and queued block; empties Parts, Panels, the index sets
    // and Keys. MaxLength and MaxWidth stay.
    void Clear();
    void SetMaxLength(std::int32_t L) { MaxLength = L; }
    void SetMaxWidth(std::int32_t W) { MaxWidth = W; }

    // The seeds; seed 0 is the empty block once Build has run. With many part
    // kinds (128 or more, and so many base blocks that only the kept ones are
    // made) a seed's part counts are empty: SeedInfo holds its counts.
    std::int32_t SeedCount() const { return static_cast<std::int32_t>(SeedList.size()); }
    const TPacket& Seed(std::int32_t Index) const { return *SeedList.at(Index); }
    const TBlockInfo& SeedInfo(std::int32_t Index) const { return SeedInfos.at(Index); }

    // Appends Block to the seeds and files it in both index sets; returns its
    // seed index.
    std::int32_t AddSeed(std::unique_ptr<TPacket> Block);
    // The same with the block's counts given.
    std::int32_t AddSeed(std::unique_ptr<TPacket> Block, TBlockInfo Info);

    // Queues the base blocks: shaped-part pairs and grid blocks of every part
    // that some stock entry holds. SeedQueueCount counts all of them; when
    // there are 64 or more, or in rolling mode, only the blocks that Build
    // keeps in that case (single pieces, single rows and single columns) are
    // made, so a small part with a large quantity does not fill the memory.
    void AddBaseSeeds();

    // Builds the seeds from Parts, Panels, MaxLength and MaxWidth (after
    // Clear): the empty seed 0, the base blocks, their combinations and the
    // pinwheels. Keys is empty afterwards.
    void Build();
    // The seeds for the same parts and stock with the quantities of
    // NewParts, as Clear, Parts := NewParts, Panels := NewPanels and Build
    // make them (MaxLength and MaxWidth stay). With many part kinds and no
    // quantity above the last build's, the seeds within the new quantities
    // are kept instead of being made again: the build would make them alike
    // and in the same order.
    void Rebuild(const TPanels& NewParts, const TPanels& NewPanels);

    // Fills Packet (a sheet whose part counts follow the part list) once from
    // every seed that fits it and Parts, from the last seed to seed 0, and
    // offers each filled sheet to Plan. Random: free rectangles and
    // candidates are skipped at random (PubRandom). Strategy: the preferred
    // corner 1..4 of each placement. Returns the growth of Plan after the last
    // start that ran to its end. Gate: when given, the gate that follows Plan
    // takes the layouts (the same decisions, faster for large plans).
    std::int32_t FillPanel(const TPanels& Parts, const TPacket& Packet, TSchemes& Plan, bool Random,
                           std::int32_t Strategy, TPlanGate* Gate = nullptr);

    // The non-zero counts of a block (also for blocks that are not seeds).
    static TBlockInfo InfoOf(const TPacket& Block);
    // The layout key of a block of Length x Width holding Counts (the same
    // text as TPacket::LayoutKey).
    static std::string KeyOf(std::int32_t Length, std::int32_t Width,
                             const std::vector<TCount>& Counts);

  private:
    std::vector<std::unique_ptr<TPacket>> SeedList;
    std::vector<TBlockInfo> SeedInfos;
    // Length and Width of every seed, side by side for the filler's scans.
    struct TSize {
        std::int32_t Length, Width;
    };
    std::vector<TSize> SeedSizes;
    // The first count of every seed (Index past every part when it has
    // none), which settles most comparisons of counts.
    std::vector<TCount> SeedFirsts;
    void NoteSeed(const TPacket& Block, const TBlockInfo& Info);
    // The seeds that hold each part: those of part j are Holders_[k] for k
    // from HoldersStart_[j] to HoldersStart_[j + 1] - 1. Made when first
    // asked for after the seeds changed (HoldersStart_ is then empty).
    std::vector<std::size_t> HoldersStart_;
    std::vector<std::int32_t> Holders_;
    const std::vector<std::size_t>& HoldersStart(std::size_t PartCount);

    // An empty block of the part list (its descriptions shared by every block).
    TPacket EmptyBlock_;
    // While set, queued blocks keep their non-zero counts in QueueInfos_
    // (parallel to Queue) instead of a count per part kind.
    bool CompactBlocks_ = false;
    // The last build made only kept blocks with their counts apart (many
    // part kinds).
    bool BuiltCompact_ = false;
    std::deque<TBlockInfo> QueueInfos_;
    std::unique_ptr<TPacket> NewBlock(std::int32_t Length, std::int32_t Width) const;

    enum class TBaseMode { Count, BuildAll, BuildKept };
    void EnumerateBaseBlocks(TBaseMode Mode);
    void EnumerateGridBlocks(const T2DStock& Part, TBaseMode Mode);
    void EnumeratePairBlocks(const T2DStock& Part, TBaseMode Mode);
    void QueueBlock(std::unique_ptr<TPacket> Block);
    void Combine(const TPacket& B, const TBlockInfo& BInfo, bool AlongWidth, double Tol);
    void AddPinwheels();
};
