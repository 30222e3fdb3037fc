#include "engine/shared_state.h"

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
                TPacket scratch(Packet);
                scratch.Placements.AddCopy(s.ToStock());
                if (!Guillotine.Check(scratch)) continue;
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
    UsedPartsList.Assign(Optimizer.Parts);
    for (T2DStock& u : UsedPartsList) u.Quantity = 0;
    for (const TPacket& layout : Optimizer.Best.Packets)
        for (const T2DStock& c : layout.PartCounts.ToPanels())
            for (T2DStock& u : UsedPartsList)
                if (u.Label == c.Label)
                    u.Quantity = static_cast<std::int32_t>(
                        u.Quantity + std::int64_t{layout.Quantity} * c.Quantity);

    UsedSheetsList.Assign(Optimizer.Panels);
    for (T2DStock& u : UsedSheetsList) u.Quantity = 0;
    for (int i = 0; i < Optimizer.Panels.Count(); ++i) {
        const T2DStock& sheet = Optimizer.Panels[i];
        for (const TPacket& layout : Optimizer.Best.Packets)
            if (sheet.Label == layout.Label && sheet.Material == layout.Material)
                UsedSheetsList[i].Quantity += layout.Quantity;
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
