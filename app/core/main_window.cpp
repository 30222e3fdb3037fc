#include "app/core/main_window.h"

#include <algorithm>
#include <exception>
#include <map>
#include <new>

#include "app/core/free_shapes.h"
#include "app/core/grid_readers.h"
#include "app/core/list_files.h"
#include "app/core/material_types.h"
#include "app/core/racks.h"
#include "app/core/run_control.h"
#include "engine/optimize2d.h"
#include "engine/partedge.h"
#include "engine/progress.h"
#include "engine/pubstr.h"
#include "engine/shared_state.h"
#include "engine/textfmt.h"
#include "output/report_text.h"
#include "platform/clock.h"
#include "platform/message_sink.h"

namespace {

constexpr std::int64_t kRunTimeLimitSeconds = 120;

// Whether a part fits a sheet by their net sizes (the blade width taken off).
bool PartFitsSheet(const T2DStock& part, const T2DStock& sheet) {
    const std::int32_t pl = part.NetLength(), pw = part.NetWidth();
    const std::int32_t sl = sheet.NetLength(), sw = sheet.NetWidth();
    if (part.CanRotate)
        return std::min(pl, pw) <= std::min(sl, sw) && std::max(pl, pw) <= std::max(sl, sw);
    return pl <= sl && pw <= sw;
}

// True when no part nor profile part asks for a piece (every quantity 0,
// as after a stock update that took the whole plan).
bool NothingToCut() {
    const auto wanted = [](const TPanels& parts) {
        return std::any_of(parts.begin(), parts.end(),
                           [](const T2DStock& p) { return p.Quantity > 0; });
    };
    return !wanted(PartList) && !wanted(ProfilePartList);
}

void AddUnique(std::vector<std::string>& list, const std::string& s) {
    if (std::find(list.begin(), list.end(), s) == list.end()) list.push_back(s);
}

}  // namespace

void TMainWindowCore::PrepareOptimize() {
    DumpErrorForCutomer();
    PubRandSeed = kPubRandomStartSeed;
    SeedRepaintRandom(static_cast<std::uint32_t>(kPubRandomStartSeed));
    ClearOptimizeCancel();
    LastErrorMessage.clear();
    LastErrorLocation.Clear();
    Optimizer.Clear();
    CurrentLayoutIndex = -1;
}

void TMainWindowCore::StartOptimizeClick() {
    TRunSnapshot before;
    before.Take(*this);
    PrepareOptimize();
    Run();
    FinishRun(*this, false, before);
}

void TMainWindowCore::Run() { RunBody(true); }
void TMainWindowCore::RunAfterInput() { RunBody(false); }

void TMainWindowCore::RunBody(bool readPages) {
    OptimizeStartTime = platform::NowMilliseconds();
    OptimizeTimeLimit = kRunTimeLimitSeconds;
    CompareEqualLayouts = true;
    try {
        if (readPages)
            StartOptimizeProcess();
        else
            OptimizeMaterialTypes();
    } catch (const std::bad_alloc&) {
        // Not a shortage of material: the plan of a run cut short is no plan.
        Optimizer.Best.Clear();
        LastErrorMessage += kMsgRunOutOfMemory;
    } catch (const std::exception& e) {
        Optimizer.Best.Clear();
        LastErrorMessage += MsgCantGetResult + "[" + e.what() + "]";
    }
}

bool TMainWindowCore::ReadInput() {
    LastErrorLocation.Clear();
    bool ok = ReadOption(Page, Colors, LastErrorLocation) &&
              ReadSheetsGrid(Data, LastErrorLocation) && ReadRackGrid(Data, LastErrorLocation) &&
              ReadPartsGrid(Data, LastErrorLocation) && ReadAnyShapeGrid(Data, LastErrorLocation);
    if (!ok) LastErrorMessage = LastErrorLocation.Message;
    return ok;
}

bool TMainWindowCore::StartOptimizeProcess() {
    return BeginOptimizeProcess() && OptimizeMaterialTypes();
}

bool TMainWindowCore::BeginOptimizeProcess() {
    KeepPlacements = true;
    LayoutViewSource = 0;
    TotalUsedSheets = 0;
    SheetsReportLines.clear();
    PartsReportLines.clear();
    SummaryReportLines.clear();
    return ReadInput();
}

bool TMainWindowCore::OptimizeMaterialTypes() {
    MainStringList.clear();
    MainSchemes.Clear();
    OptimizeNotes.clear();
    NotPlanned.clear();
    Unticked.clear();
    PartsLeftOut = false;
    FastOptimize = false;

    for (const T2DStock& s : SheetList) AddUnique(MainStringList, s.Material);
    for (const T2DStock& s : OffcutRackList) AddUnique(MainStringList, s.Material);

    MainPanels2.Clear();
    MainPanels3.Clear();
    MainPanels4.Clear();
    MainPanels5.Clear();

    const std::string typeCaption = Captions.Caption("GroupBoxMaterialType");
    for (const std::string& type : MainStringList) {
        // A cancelled run ends here: no further material, nothing after the
        // optimiser (the window puts back the plan of before the run).
        if (OptimizeCancelRequested()) return false;
        const bool known = std::find(TypeList.begin(), TypeList.end(), type) != TypeList.end();
        if (known && !IsTypeChecked(type)) {
            NoteUnticked(type);
            continue;
        }

        Optimizer.Clear();
        Optimizer2.Clear();
        ListBoxReport.clear();
        CurrentLayoutIndex = -1;
        OptimizeStepCount = 0;

        // Every part to cut must fit some sheet of its own material.
        for (const T2DStock& part : PartList) {
            if (part.Quantity <= 0) continue;
            bool fits = false;
            for (const T2DStock& sheet : SheetList)
                if (sheet.Material == part.Material && PartFitsSheet(part, sheet)) {
                    fits = true;
                    break;
                }
            if (!fits) {
                LastErrorMessage =
                    "ERROR :[" + part.Label + "] [" + part.Material + "]" + part.LengthText +
                    " x " + part.WidthText + " is bigger than all raw panels" +
                    " or can NOT find any raw panels with material type : [" + part.Material + "]";
                return false;
            }
        }

        std::string err;
        // Sheets and rack offcuts of this type, each less twice the trims. An
        // offcut's error names the offcut; a sheet's stands alone.
        auto addStock = [&](const TPanels& stock, std::uint8_t source) {
            for (const T2DStock& s : stock) {
                if (s.Material != type) continue;
                Optimizer.AddPanel(s.Label, s.LengthText, s.WidthText, s.Comment,
                                   s.Length - 2 * WidthEdge, s.Width - 2 * LengthEdge, s.Quantity,
                                   s.Priority, s.Cost, source, err);
                if (!err.empty()) {
                    LastErrorMessage = source == srcSheet ? err : err + "=[" + s.Label + "]";
                    return false;
                }
            }
            return true;
        };
        if (!addStock(SheetList, srcSheet) || !addStock(OffcutRackList, srcOffcut)) return false;
        for (int i = 0; i < PartList.Count(); ++i) {
            const T2DStock& p = PartList[i];
            if (p.Quantity <= 0 || p.Material != type) continue;
            const std::int32_t required = i < PartQtyList.Count() ? PartQtyList[i].Quantity : 0;
            Optimizer.AddPart(p.Label, p.LengthText, p.WidthText, p.Comment, p.Length, p.Width,
                              p.CanRotate, p.Quantity, required, p.ShapeKind, p.Edge, err);
            if (!err.empty()) {
                LastErrorMessage = err + "=[" + p.Label + "]";
                return false;
            }
        }
        for (int i = 0; i < ProfilePartList.Count(); ++i) {
            const T2DStock& p = ProfilePartList[i];
            if (p.Quantity <= 0 || p.Material != type) continue;
            const std::int32_t required =
                i < ProfilePartQtyList.Count() ? ProfilePartQtyList[i].Quantity : 0;
            Optimizer.AddPartStock(p, required);
        }

        if (Optimizer.Parts.Empty()) {
            OptimizeNotes.push_back("------>  " + typeCaption + " [" + type + "] " +
                                    Captions.Caption("TabSheetParts") + "'" + PartQtyCaption +
                                    "=0");
            continue;
        }

        ProgressSink().StepIt();
        Optimizer.Run(err);
        if (Optimizer.Stats.Cancelled || OptimizeCancelRequested()) return false;
        if (!err.empty()) {
            OptimizeNotes.push_back("------>  " + typeCaption + " [" + type + "] \"" + err + "\"");
            NoteNotPlanned(type, err);
            continue;
        }

        for (TPacket& p : Optimizer.Best.Packets) p.Material = type;
        for (T2DStock& s : Optimizer.Panels.Items()) s.Material = type;
        for (T2DStock& s : Optimizer.Parts.Items()) s.Material = type;
        MainSchemes.AppendCopies(Optimizer.Best);
        MainPanels2.AppendCopies(Optimizer.Panels);
        MainPanels3.AppendCopies(Optimizer.Parts);
        MainPanels4.AppendCopies(Optimizer.WorkParts);
        MainPanels5.AppendCopies(Optimizer.PanelsLeft);
    }

    if (OptimizeCancelRequested()) return false;
    Optimizer.Best.Assign(MainSchemes);
    if (Optimizer.Best.Count() == 0) {
        LastErrorMessage = NothingToCut() ? std::string(kMsgNothingToCut) : MsgCantGetResult;
        return false;
    }
    // Naming the offcuts of thousands of layouts in guillotine mode takes
    // seconds: a cancel is looked at between layouts.
    for (TPacket& p : Optimizer.Best.Packets) {
        if (OptimizeCancelRequested()) return false;
        NameOffcutsOfPacket(p);
    }
    Optimizer.Parts.Assign(MainPanels3);
    Optimizer.WorkParts.Assign(MainPanels4);
    Optimizer.Panels.Assign(MainPanels2);
    Optimizer.PanelsLeft.Assign(MainPanels5);
    // The layouts of one material share their part descriptions: they are
    // changed once per material, not copied for every layout.
    std::map<std::string, TPartCounts::TEditCache> edited;
    for (TPacket& p : Optimizer.Best.Packets) {
        const std::string material = p.Material;
        p.PartCounts.EditParts(edited[material],
                               [&material](T2DStock& c) { c.Material = material; });
        for (T2DStock& c : p.Placements.Items()) c.Material = p.Material;
    }
    Optimizer.Packet.Assign(Optimizer.Best[0]);
    Optimizer.Best.Sort();
    return true;
}

bool TMainWindowCore::OptimizeThreadDone() {
    if (Optimizer.Best.Count() == 0) {
        platform::CurrentMessageSink().Warning(LastErrorMessage);
        return false;
    }
    CurrentLayoutIndex = 0;
    UpdateButtons = TStockUpdateButtons();
    RebuildReports();
    ShowReport();
    ProgressSink().StepByMax();
    if (!NotPlanned.empty()) {
        std::string text;
        for (const std::string& line : NotPlanned) text += (text.empty() ? "" : "\n") + line;
        platform::CurrentMessageSink().Warning(text);
    }
    return true;
}

namespace {

// The parts and profile parts of material Type a run takes (Max Qty above 0):
// how many, how many of them with a quantity to cut, and their labels.
struct TPartsOfType {
    std::int64_t Parts = 0, Required = 0;
    std::vector<std::string> Labels;
};

TPartsOfType PartsOfType(const std::string& Type) {
    TPartsOfType of;
    auto count = [&](const TPanels& list, const TPanels& qtys) {
        for (int i = 0; i < list.Count(); ++i) {
            if (list[i].Quantity <= 0 || list[i].Material != Type) continue;
            ++of.Parts;
            if (i < qtys.Count() && qtys[i].Quantity > 0) ++of.Required;
            AddUnique(of.Labels, list[i].Label);
        }
    };
    count(PartList, PartQtyList);
    count(ProfilePartList, ProfilePartQtyList);
    return of;
}

}  // namespace

void TMainWindowCore::NoteNotPlanned(const std::string& Type, const std::string& Error) {
    const TPartsOfType of = PartsOfType(Type);
    if (of.Required > 0) PartsLeftOut = true;
    NotPlanned.push_back("Material [" + Type + "] was not planned (" + Error +
                         "): " + IntToStr(of.Parts) + " part(s) left out, " +
                         IntToStr(of.Required) + " of them with a quantity to cut.");
}

void TMainWindowCore::NoteUnticked(const std::string& Type) {
    const TPartsOfType of = PartsOfType(Type);
    if (of.Parts == 0) return;
    if (of.Required > 0) PartsLeftOut = true;
    std::string labels;
    for (const std::string& l : of.Labels) labels += (labels.empty() ? "" : ", ") + l;
    Unticked.push_back("Material [" + Type +
                       "] is unticked in the material types, so its parts were left out: " +
                       labels + " (" + IntToStr(of.Parts) + " part(s), " + IntToStr(of.Required) +
                       " of them with a quantity to cut).");
}

void TMainWindowCore::RebuildReports() {
    ComputeUsedQuantities();
    BuildSheetsReport();
    BuildPartsReport();
    BuildSummaryReport();
}

void TMainWindowCore::ShowReport() {
    ListBoxReport = ReportTextLines();
}

void TMainWindowCore::ButtonLayoutAgainClick() {
    if (!UpdateButtons.ButtonLayoutAgain) return;  // the plan was cut and booked
    if (Optimizer.Best.Count() < 1) {
        platform::CurrentMessageSink().Warning(MsgLayoutIsEmpty);
        return;
    }
    if (CurrentLayoutIndex >= 0 && CurrentLayoutIndex < Optimizer.Best.Count()) LayoutAgainClick();
}

void TMainWindowCore::LayoutAgainClick() {
    Optimizer2.Clear();
    LayoutViewSource = 0;
    KeepPlacements = true;
    CompareEqualLayouts = true;
    if (CurrentLayoutIndex < 0 || CurrentLayoutIndex >= Optimizer.Best.Count()) return;
    TPacket& p = Optimizer.Best[CurrentLayoutIndex];
    const std::int32_t quantity = p.Quantity;
    const std::string material = p.Material;

    std::string err;
    Optimizer2.AddPanel(p.Label, p.LengthText, p.WidthText, p.Comment, p.Length, p.Width, 1,
                        p.Priority, p.Cost, p.SourceKind, err);
    if (!err.empty()) return;
    const TPanels counts = p.PartCounts.ToPanels();
    for (const T2DStock& c : counts) {
        if (c.ShapeKind == skShaped) continue;
        Optimizer2.AddPart(c.Label, c.LengthText, c.WidthText, c.Comment, c.Length, c.Width,
                           c.CanRotate, c.Quantity, c.Quantity, c.ShapeKind, c.Edge, err);
        if (!err.empty()) return;
    }
    for (const T2DStock& c : counts)
        if (c.ShapeKind == skShaped) Optimizer2.AddPartStock(c, c.Quantity);

    Optimizer2.SortParts(err);
    if (!err.empty()) return;
    for (int attempt = 0; attempt < 11; ++attempt) {
        err.clear();
        Optimizer2.PrepareSeeds(err);
        if (err.empty()) Optimizer2.Seeds.Queue.clear();
        if (err.empty()) Optimizer2.OptimizeQuick(err);
        if (err.empty()) Optimizer2.Run(err);
        if (err.empty() && Optimizer2.Best.Count() == 1 && Optimizer2.Best[0].Quantity == 1) {
            p.Assign(Optimizer2.Best[0]);
            p.Quantity = quantity;
            p.Material = material;
            break;
        }
    }
    ProgressSink().StepByMax();
}

void TMainWindowCore::DumpErrorForCutomer() {
    auto dump = [](const char* name) { return AppDir + "/" + name; };
    // Nothing is saved in a start-up folder whose stopped save could not be
    // settled, and these copies are the program's own, not a save asked for.
    if (InUnsettledFolder(dump("dump.sht"))) return;
    try {
        SaveSheetsFile(Data, dump("dump.sht"), false);
        SavePartsFile(Data, dump("dump.prt"), false);
        SaveAnyShapeFile(Data, dump("dump.apt"), false);
        WriteOffcutRackToFile(Data, dump("dump.rck"), Data.StringGridOffcutRack.RowCount() - 1,
                              false);
        WritePartRackToFile(Data, dump("dump.prk"), Data.StringGridPartRack.RowCount() - 1, false);
        WriteTypeFile(dump("dump.typ"));
        PartEdgeList.SaveToIni(dump("dump.edg"));
        if (!AutoMode && !HideMode) WriteOptionFile("dump", Page, Window);
    } catch (const std::bad_alloc&) {
        platform::CurrentMessageSink().Warning("Out of memory: the dump files were not written.");
    } catch (const std::exception& e) {
        platform::CurrentMessageSink().Warning(std::string("[") + e.what() + "]");
    }
}
