#include "app/core/layout_view.h"

#include <algorithm>

#include "app/core/main_data.h"
#include "app/core/main_window.h"
#include "app/core/manual_edit.h"
#include "app/core/option_page.h"
#include "engine/numeric.h"
#include "engine/pubfunc.h"
#include "engine/pubstr.h"
#include "engine/shared_state.h"
#include "engine/textfmt.h"

namespace {

double RoundTo(double V, int Decimals) {
    double f = 1.0;
    for (int i = 0; i < Decimals; ++i) f *= 10.0;
    return static_cast<double>(Round64(V * f)) / f;
}

// The "Sheet" order: material, label, then the larger used value first.
bool SheetOrderBefore(const TPacket& A, const TPacket& B) {
    if (A.Material != B.Material) return A.Material < B.Material;
    if (A.Label != B.Label) return A.Label < B.Label;
    return A.UsedValue() > B.UsedValue();
}

}  // namespace

double FullLayoutLength(const TPacket& Packet) {
    return static_cast<double>(Packet.NetLength()) + 2.0 * WidthEdge;
}

double FullLayoutWidth(const TPacket& Packet) {
    return static_cast<double>(Packet.NetWidth()) + 2.0 * LengthEdge;
}

TLayoutViewFacts LayoutFacts(const TPacket& P) {
    TLayoutViewFacts f;
    f.Utilization = FloatToStr(RoundTo(P.Utilization(), 2)) + "%";
    f.WasteArea = PubFunc.AreaToStr(RoundTo(P.WasteArea(), 4)) + SqrCaption + MeasureUnitName + ".";
    f.SheetLabel = P.Label;
    f.SheetType = P.Material;
    f.SheetLength = P.LengthText + " " + MeasureUnitName;
    f.SheetWidth = P.WidthText + " " + MeasureUnitName;
    f.SheetNumber = IntToStr(P.Quantity);
    f.Cost = PubFunc.UnitsToStr(P.GetCost());
    f.Area = PubFunc.AreaToStr(RoundTo(FullLayoutLength(P) * FullLayoutWidth(P), 4)) + SqrCaption +
             MeasureUnitName;
    P.PartCounts.ForEachNonZero([&](int Index, std::int32_t Qty) {
        f.PartsInLayout.emplace_back(P.PartCounts.Part(Index).Label, IntToStr(Qty));
    });
    f.HasShapedPart = std::any_of(P.Placements.begin(), P.Placements.end(),
                                  [](const T2DStock& p) { return p.ShapeKind == skShaped; });
    return f;
}

double LayoutViewScale(const TPacket& Packet, int AvailWidth, int AvailHeight, bool Rolling) {
    const double fl = FullLayoutLength(Packet), fw = FullLayoutWidth(Packet);
    if (fl <= 0 || fw <= 0 || AvailWidth <= 0 || AvailHeight <= 0) return 0.0;
    const double sx = AvailWidth / fl, sy = AvailHeight / fw;
    if (Rolling) return sy;
    return sx <= sy ? sx : sy;
}

int RollingScrollMax(int PaintWidth, int PanelWidth) {
    return PanelWidth > 0 ? PaintWidth / PanelWidth : 0;
}

int RollingScrollOffsetFor(int Position, int Max, int PaintWidth, int PanelWidth) {
    if (Position != Max) return PanelWidth * Position;
    return Position > 0 ? PaintWidth - PanelWidth : 0;
}

std::vector<std::string> LayoutListEntries(int Count) {
    std::vector<std::string> out;
    for (int i = 1; i <= Count; ++i) out.push_back(IntToStr(i) + " / " + IntToStr(Count));
    return out;
}

std::string LayoutScrollHint(int Count, int Index) {
    return MsgScrollLayoutTotal + IntToStr(Count) + "\r\n" + MsgScrollLayoutCurrent +
           IntToStr(std::int64_t{Index} + 1);
}

void SortLayouts(TSchemes& Plan, int Order) {
    auto& items = Plan.Packets.Items();
    std::stable_sort(items.begin(), items.end(), [Order](const auto& a, const auto& b) {
        return Order == 0 ? a->UsedValue() > b->UsedValue() : SheetOrderBefore(*a, *b);
    });
}

bool DeleteLayout(TMainWindowCore& Core, int Index) {
    TSchemes& plan = Optimizer.Best;
    // After a stock update the plan is what was cut: it stays whole.
    if (!Core.UpdateButtons.ButtonDeleteLayout) return false;
    if (Index < 0 || Index >= plan.Count()) return false;
    plan.Packets.Delete(Index);
    if (CurrentLayoutIndex >= plan.Count()) --CurrentLayoutIndex;
    if (plan.Count() > 0) {
        Core.RebuildReports();
        Core.ShowReport();
    } else {
        Core.ListBoxReport.clear();
    }
    return true;
}

void RenameShownLayoutOffcuts() {
    if (CurrentLayoutIndex < 0 || CurrentLayoutIndex >= Optimizer.Best.Count()) return;
    NameOffcutsOfPacket(Optimizer.Best[CurrentLayoutIndex]);
}

void ConfirmManualEdit(TMainWindowCore& Core, TManualEdit& Edit) {
    if (!Edit.ManualMode) return;
    Edit.Confirm();
    // A drop takes the layout's offcut pieces off; the report counts them.
    RenameShownLayoutOffcuts();
    if (Optimizer.Best.Count() == 0) return;
    Core.RebuildReports();
    Core.ShowReport();
}

void OnChangeOffcutsrotatable(TOptionPage& Page, int Item) {
    Page.ComboBoxBothOrEither = Item;
    OffcutLenRotatable = Item != 1;
}
