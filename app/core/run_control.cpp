#include "app/core/run_control.h"

#include <string>
#include <utility>

#include "app/core/main_window.h"
#include "engine/optimize2d.h"
#include "engine/progress.h"
#include "engine/pubstr.h"
#include "engine/shared_state.h"

struct TRunSnapshotData {
    TSchemes Best;
    TPacket Packet;
    TPanels WorkParts, Parts, Panels, PanelsLeft;
    TPanels Sheets, PartsList, PartQtys, Offcuts, Profiles, ProfileQtys, UsedParts, UsedSheets;
    std::int32_t LayoutIndex = -1, UsedSheetsTotal = 0;
    std::vector<std::string> Header, Summary, SheetsReport, PartsReport, Notes, ListBoxReport;
    std::string LastError;
    int LayoutViewSource = 0;
    TStockUpdateButtons UpdateButtons;
};

TRunSnapshot::TRunSnapshot() : data_(std::make_unique<TRunSnapshotData>()) {}
TRunSnapshot::~TRunSnapshot() = default;

namespace {

// Copies every item of the snapshot one way or the other.
template <class Optimizer, class Data>
void Transfer(Optimizer& o, Data& d, bool toSnapshot, auto& w) {
    auto move = [toSnapshot](auto& live, auto& kept) {
        if (toSnapshot)
            kept = live;
        else
            live = kept;
    };
    move(o.Best, d.Best);
    move(o.WorkParts, d.WorkParts);
    move(o.Parts, d.Parts);
    move(o.Panels, d.Panels);
    move(o.PanelsLeft, d.PanelsLeft);
    move(SheetList, d.Sheets);
    move(PartList, d.PartsList);
    move(PartQtyList, d.PartQtys);
    move(OffcutRackList, d.Offcuts);
    move(ProfilePartList, d.Profiles);
    move(ProfilePartQtyList, d.ProfileQtys);
    move(UsedPartsList, d.UsedParts);
    move(UsedSheetsList, d.UsedSheets);
    move(CurrentLayoutIndex, d.LayoutIndex);
    move(TotalUsedSheets, d.UsedSheetsTotal);
    move(LayoutHeaderLines, d.Header);
    move(SummaryReportLines, d.Summary);
    move(SheetsReportLines, d.SheetsReport);
    move(PartsReportLines, d.PartsReport);
    move(OptimizeNotes, d.Notes);
    move(w.ListBoxReport, d.ListBoxReport);
    move(w.LastErrorMessage, d.LastError);
    move(w.LayoutViewSource, d.LayoutViewSource);
    move(w.UpdateButtons, d.UpdateButtons);
}

}  // namespace

void TRunSnapshot::Take(TMainWindowCore& w) {
    Transfer(Optimizer, *data_, true, w);
    data_->Packet.Assign(Optimizer.Packet);
}

void TRunSnapshot::Restore(TMainWindowCore& w) const {
    Transfer(Optimizer, *data_, false, w);
    Optimizer.Packet.Assign(data_->Packet);
}

bool StartRunOnGuiThread(TMainWindowCore& w) {
    w.PrepareOptimize();
    return w.BeginOptimizeProcess();
}

bool FinishRun(TMainWindowCore& w, bool cancelled, const TRunSnapshot& before) {
    ClearOptimizeCancel();
    if (cancelled) {
        before.Restore(w);
        return false;
    }
    if (w.OptimizeThreadDone()) return true;
    // A refused or failed run leaves the plan of before it, which may have
    // been booked already and still be printed or labelled; its own error
    // (shown by now) is kept.
    std::string error = std::move(w.LastErrorMessage);
    before.Restore(w);
    w.LastErrorMessage = std::move(error);
    return false;
}
