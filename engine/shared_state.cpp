#include "engine/shared_state.h"

#include <map>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "engine/guillotine.h"
#include "engine/pubstr.h"
#include "engine/textfmt.h"
#include "platform/inifile.h"

std::vector<std::string> LayoutHeaderLines;
std::vector<std::string> SummaryReportLines;
std::vector<std::string> SheetsReportLines;
std::vector<std::string> PartsReportLines;

TOptimize2d Optimizer;
TOptimize2d Optimizer2;

TPanels SheetList;
TPanels PartList;
TPanels PartQtyList;
TPanels OffcutRackList;
TPanels ProfilePartList;
TPanels ProfilePartQtyList;

TExtPolyline DxfOutline;
std::string DxfProfileFileName;
TTrapezium DxfShape;

TPanels UsedPartsList;
TPanels UsedSheetsList;
std::int32_t CurrentLayoutIndex = -1;
TSchemes ManualSchemes;
std::int32_t TotalUsedSheets = 0;

namespace {

// Adds Space as an uncounted placement and names it; Waste names it as too
// small to keep whatever its size.
void AddOffcut(TPacket& Packet, const TSpace& Space, std::int32_t& N, std::int32_t& Z,
               bool Waste = false) {
    Packet.AddPlacementNoCount(Space.ToStock());
    T2DStock& piece = Packet.Placements.Last();
    if (!Waste && piece.Length > BladeWidth && piece.Width > BladeWidth)
        piece.Label = OffcutPrefix + IntToStr(N++);
    else
        piece.Label = ZeroOffcutPrefix + IntToStr(Z++);
}

}  // namespace

void NameOffcutsOfPacket(TPacket& Packet) {
    Packet.RebuildSpaces();
    std::int32_t n = 1;
    std::int32_t z = 1;
    const bool g = GuillotineMode;
    GuillotineMode = false;
    struct Restore {
        bool G;
        ~Restore() { GuillotineMode = G; }
    } restore{g};

    // The guillotine test reads the sheet's size and its placements only: a
    // scratch layout of those, kept equal to Packet's, takes each rectangle
    // to test as one more placement (without a copy of the part counts).
    TPacket scratch;
    if (g) {
        scratch.Length = Packet.Length;
        scratch.Width = Packet.Width;
        for (const T2DStock& piece : Packet.Placements) scratch.Placements.AddCopy(piece);
    }
    bool noneQualifies = false;
    while (!Packet.Spaces.Empty()) {
        int candidate = -1;
        double candidateArea = -1.0;
        for (int k = 0; k < Packet.Spaces.Count(); ++k) {
            const TSpace& s = Packet.Spaces[k];
            if (!(s.Area() > candidateArea)) continue;
            if (g) {
                // The layout with this rectangle as one more piece must
                // still be cuttable.
                scratch.Placements.AddCopy(s.ToStock());
                const bool cuttable = Guillotine.Check(scratch);
                scratch.Placements.Delete(scratch.Placements.Count() - 1);
                if (!cuttable) continue;
            }
            candidate = k;
            candidateArea = s.Area();
        }
        if (candidate < 0) {
            noneQualifies = true;
            break;
        }
        const TSpace chosen = Packet.Spaces[candidate];
        AddOffcut(Packet, chosen, n, z);
        if (g) scratch.Placements.AddCopy(Packet.Placements.Last());
    }
    if (noneQualifies) {
        // In guillotine mode no cut frees what is left together with the
        // parts and the offcuts named so far: it is waste, not an offcut
        // the workshop could put into the rack.
        const int k = Packet.Spaces.Count();
        for (int pass = 0; pass < k && pass < Packet.Spaces.Count(); ++pass) {
            const TSpace first = Packet.Spaces[0];
            AddOffcut(Packet, first, n, z, g);
        }
    }
}

void ComputeUsedQuantities() {
    // A part's use is the sum, over the layouts, of the layout's count times
    // the pieces of every counted part of the same label: totals by label in
    // one pass over the counted parts, then one look-up per part. Sums are
    // kept in 64 bits and cut to 32 at the end, which wraps as adding in 32
    // bits one layout at a time does.
    std::unordered_map<std::string_view, std::int64_t> byLabel;
    byLabel.reserve(static_cast<std::size_t>(Optimizer.Parts.Count()));
    for (const TPacket& layout : Optimizer.Best.Packets) {
        const std::int64_t times = layout.Quantity;
        layout.PartCounts.ForEachNonZero([&](int Index, std::int32_t Qty) {
            byLabel[layout.PartCounts.Part(Index).Label] += times * Qty;
        });
    }
    UsedPartsList.Assign(Optimizer.Parts);
    for (T2DStock& u : UsedPartsList) {
        const auto found = byLabel.find(u.Label);
        u.Quantity = found == byLabel.end() ? 0 : static_cast<std::int32_t>(found->second);
    }

    // A sheet's use: the layouts of its label and material.
    std::map<std::pair<std::string_view, std::string_view>, std::int64_t> bySheet;
    for (const TPacket& layout : Optimizer.Best.Packets)
        bySheet[{layout.Label, layout.Material}] += layout.Quantity;
    UsedSheetsList.Assign(Optimizer.Panels);
    for (T2DStock& u : UsedSheetsList) {
        const auto found = bySheet.find({u.Label, u.Material});
        u.Quantity = found == bySheet.end() ? 0 : static_cast<std::int32_t>(found->second);
    }
}

void EraseAllIniSections(platform::TIniFile& Ini) {
    Ini.EraseAllSections();
}

void ResetSharedStateDefaults() {
    LayoutHeaderLines.clear();
    SummaryReportLines.clear();
    SheetsReportLines.clear();
    PartsReportLines.clear();
    Optimizer.Clear();
    Optimizer.CandidatePartTotals.Clear();
    Optimizer.Packet = TPacket();
    Optimizer2.Clear();
    Optimizer2.CandidatePartTotals.Clear();
    Optimizer2.Packet = TPacket();
    SheetList.Clear();
    PartList.Clear();
    PartQtyList.Clear();
    OffcutRackList.Clear();
    ProfilePartList.Clear();
    ProfilePartQtyList.Clear();
    DxfOutline = TExtPolyline();
    DxfProfileFileName.clear();
    DxfShape = TTrapezium();
    UsedPartsList.Clear();
    UsedSheetsList.Clear();
    CurrentLayoutIndex = -1;
    ManualSchemes.Clear();
    TotalUsedSheets = 0;
    OptimizeInnerFlag = false;
    SeedQueueCount = 0;
}
