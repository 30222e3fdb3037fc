#include "output/report_text.h"

#include <algorithm>
#include <cstdint>
#include <ctime>
#include <numeric>
#include <utility>
#include <vector>

#include "engine/dxfout.h"
#include "engine/numeric.h"
#include "engine/pubfunc.h"
#include "engine/pubstr.h"
#include "engine/shared_state.h"
#include "engine/textfmt.h"
#include "platform/inifile.h"

namespace {

std::function<TReportDateTime()>& DateTimeSource() {
    static std::function<TReportDateTime()> source;
    return source;
}

const std::string& YesNo(bool Value) {
    return Value ? TrueCaption : FalseCaption;
}

std::string ShapeWord(std::uint8_t ShapeKind) {
    switch (ShapeKind) {
        case skRectangle:
            return RectangleShapeCaption;
        case skCircle:
            return CircleShapeCaption;
        case skShaped:
            return ProfilesCaption;
        default:
            return std::string();
    }
}

// A shaped part has no length and width of its own in the tables.
std::string SizeText(const T2DStock& Piece, const std::string& Text) {
    return Piece.ShapeKind == skShaped ? std::string() : Text;
}

std::string AreaText(double Area) {
    return PubFunc.AreaToStr(Area) + SqrCaption + MeasureUnitName + ".";
}

// A percentage rounded to two decimals (halves to even) in general format.
std::string PercentText(double Value) {
    return FloatToStr(static_cast<double>(Round64(Value / 0.01)) * 0.01) + "%";
}

std::string TimeText(const char* Pattern, const std::tm& When) {
    char buf[128];
    const std::size_t n = std::strftime(buf, sizeof buf, Pattern, &When);
    return std::string(buf, n);
}

// The order of the parts report: the parts by material, then label
// (ordinal), as an exchange sort puts them, and the order the required
// quantities take, which move along with their parts while both lists reach
// that far. Neither list is changed.
void PartsReportOrder(const TPanels& Parts, const TPanels& Work, std::vector<int>& Order,
                      std::vector<int>& WorkOrder) {
    const int n = Parts.Count();
    const int w = Work.Count();
    Order.resize(static_cast<std::size_t>(n));
    WorkOrder.resize(static_cast<std::size_t>(w));
    std::iota(Order.begin(), Order.end(), 0);
    std::iota(WorkOrder.begin(), WorkOrder.end(), 0);
    auto less = [&Parts](int A, int B) {
        const T2DStock& a = Parts[A];
        const T2DStock& b = Parts[B];
        return a.Material < b.Material || (a.Material == b.Material && a.Label < b.Label);
    };
    // With no two parts of one material and label, every sort gives the same
    // order, and the exchange sort's takes too long for thousands of parts.
    std::sort(Order.begin(), Order.end(), less);
    bool distinct = w == n;
    for (int i = 1; distinct && i < n; ++i)
        distinct = less(Order[static_cast<std::size_t>(i - 1)], Order[static_cast<std::size_t>(i)]);
    if (distinct) {
        WorkOrder = Order;
        return;
    }
    // Equal keys: where each of them ends up is the exchange sort's own.
    std::iota(Order.begin(), Order.end(), 0);
    for (int i = 0; i < n; ++i) {
        for (int j = i + 1; j < n; ++j) {
            if (less(Order[static_cast<std::size_t>(j)], Order[static_cast<std::size_t>(i)])) {
                std::swap(Order[static_cast<std::size_t>(i)], Order[static_cast<std::size_t>(j)]);
                if (i < w && j < w)
                    std::swap(WorkOrder[static_cast<std::size_t>(i)],
                              WorkOrder[static_cast<std::size_t>(j)]);
            }
        }
    }
}

}  // namespace

TReportDateTime LocalReportDateTime() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (!localtime_r(&now, &local)) return {};
    return {TimeText("%x", local), TimeText("%X", local)};
}

void SetReportDateTimeSource(std::function<TReportDateTime()> Source) {
    DateTimeSource() = std::move(Source);
}

void BuildLayoutHeaderText(int LayoutIndex) {
    LayoutHeaderLines.clear();
    const TPacket& p = Optimizer.Best[LayoutIndex];
    const auto& source = DateTimeSource();
    const TReportDateTime now = source ? source() : LocalReportDateTime();

    std::vector<std::string>& out = LayoutHeaderLines;
    out.push_back(ReportTitle + "    " + now.Date + "   " + now.Time);
    out.push_back(ProjectTitle);
    out.push_back(Format("------------ %s %d ------------", {LayoutsCaption, LayoutIndex + 1}));
    out.push_back(
        Format("%15s: %-20s %15s: %s", {LabelCaption, p.Label, CommentCaption, p.Comment}));
    out.push_back(
        Format("%15s: %-20d %15s: %s", {QtyCaption, p.Quantity, MaterialTypeCaption, p.Material}));
    out.push_back(Format("%15s: %-20s %15s: %s", {LengthCaption, p.LengthText + MeasureUnitName,
                                                  WidthCaption, p.WidthText + MeasureUnitName}));
    if (PartsInLayout) {
        out.push_back(" ");
        out.push_back(Format("%-s", {PartsInLayoutCaption}));
        out.push_back(
            Format("%-20s%10s%10s%10s%10s%10s  %s",
                   {PartLabelCaption, PartLengthCaption, PartWidthCaption, PartRotateCaption,
                    PartQtyCaption, PartShapeCaption, CommentCaption}));
        p.PartCounts.ForEachNonZero([&](int Index, std::int32_t Qty) {
            const T2DStock& c = p.PartCounts.Part(Index);
            out.push_back(Format("%-20s%10s%10s%10s%10d%10s  %s",
                                 {c.Label, SizeText(c, c.LengthText), SizeText(c, c.WidthText),
                                  YesNo(c.CanRotate), Qty, ShapeWord(c.ShapeKind), c.Comment}));
        });
    }
    out.push_back(" ");
    out.push_back(LayoutsCaption);
}

void BuildSheetsReport() {
    SheetsReportLines.clear();
    TotalUsedSheets = 0;
    if (ReportAllRawPanels)
        SheetsReportLines.push_back(
            Format("%-20s%-20s%-10s%-10s%-15s%-10s%-10s%-10s%-10s%-10s  %s",
                   {LabelCaption, MaterialTypeCaption, LengthCaption, WidthCaption, AreaCaption,
                    CostCaption, QtyCaption, SheetUsedCaption, SheetRestCaption,
                    SheetsPriorityCaption, CommentCaption}));
    SheetsReportLines.push_back(" ");
    std::int64_t total = 0;
    for (int i = 0; i < Optimizer.Panels.Count(); ++i) {
        const T2DStock& s = Optimizer.Panels[i];
        const std::int32_t used = i < UsedSheetsList.Count() ? UsedSheetsList[i].Quantity : 0;
        if (used == 0) continue;
        total += used;
        if (!ReportAllRawPanels) continue;
        // The stock lists hold the sheets' own sizes (the run takes its blade
        // allowance off again), so the sheet's area is Length x Width.
        SheetsReportLines.push_back(
            Format("%-20s%-20s%-10s%-10s%-15s%-10s%-10d%-10d%-10d%-10d  %s",
                   {s.Label, s.Material, s.LengthText, s.WidthText, PubFunc.AreaToStr(s.Area()),
                    PubFunc.UnitsToStr(s.Cost), s.Quantity, used,
                    static_cast<long long>(s.Quantity) - used, s.Priority, s.Comment}));
    }
    TotalUsedSheets = CheckedInt32(total);
}

void BuildPartsReport() {
    PartsReportLines.clear();
    if (ReportAllParts)
        PartsReportLines.push_back(
            Format("%-20s%-20s%-10s%-10s%-10s%-10s%-10s%-10s%-10s  %s",
                   {PartLabelCaption, MaterialTypeCaption, PartLengthCaption, PartWidthCaption,
                    PartRotateCaption, PartQtyCaption, MaxPartsQtyCaption, UsedPartsQtyCaption,
                    PartShapeCaption, CommentCaption}));
    PartsReportLines.push_back(" ");
    ComputeUsedQuantities();
    if (ReportAllParts) {
        const TPanels& parts = Optimizer.Parts;
        const TPanels& work = Optimizer.WorkParts;
        std::vector<int> order, workOrder;
        PartsReportOrder(parts, work, order, workOrder);
        for (std::size_t i = 0; i < order.size(); ++i) {
            const T2DStock& p = parts[order[i]];
            const std::int32_t required = i < workOrder.size() ? work[workOrder[i]].Quantity : 0;
            // The used quantities go by label, so each part keeps its own.
            PartsReportLines.push_back(
                Format("%-20s%-20s%-10s%-10s%-10s%-10d%-10d%-10d%-10s  %s",
                       {p.Label, p.Material, SizeText(p, p.LengthText), SizeText(p, p.WidthText),
                        YesNo(p.CanRotate), required, p.Quantity,
                        UsedPartsList[order[i]].Quantity, ShapeWord(p.ShapeKind), p.Comment}));
        }
    }
}

void BuildSummaryReport() {
    std::vector<std::string>& out = SummaryReportLines;
    out.clear();
    out.push_back(" ");
    out.push_back(Format("%-25s: %s", {GuillotineCaption, YesNo(GuillotineMode)}));
    out.push_back(Format("%-25s: %s", {CostOptimizeCaption, YesNo(CostOptimize)}));
    out.push_back(Format("%-25s: %s", {MeasureCaption, MeasureUnitName}));
    out.push_back(Format("%-25s: %s%s", {BladeWidthCaption, BladeWidthText, MeasureUnitName}));
    // The settings field captioned "Length Edge" holds WidthEdgeText and the
    // one captioned "Width Edge" LengthEdgeText.
    out.push_back(Format("%-25s: %s%s", {LengthEdgeCaption, WidthEdgeText, MeasureUnitName}));
    out.push_back(Format("%-25s: %s%s", {WidthEdgeCaption, LengthEdgeText, MeasureUnitName}));
    out.push_back(" ");
    out.insert(out.end(), OptimizeNotes.begin(), OptimizeNotes.end());
    out.push_back(" ");
    out.push_back(Format("%s:", {RawPanelsCaption}));
    out.push_back(" ");
    out.insert(out.end(), SheetsReportLines.begin(), SheetsReportLines.end());
    out.push_back(" ");
    out.push_back(Format("%s %s: %d", {SheetUsedCaption, UsedQtyCaption, TotalUsedSheets}));
    out.push_back(" ");
    out.push_back(Format("%s:", {PartsCaption}));
    out.push_back(" ");
    out.insert(out.end(), PartsReportLines.begin(), PartsReportLines.end());
    out.push_back(" ");

    const TSchemes& plan = Optimizer.Best;
    auto total = [&](const std::string& Caption, const std::string& Value) {
        out.push_back(Format("%-40s: %s", {Caption, Value}));
    };
    total(UtilizationCaption, PercentText(plan.Utilization()));
    total(UtilizationIncludeUsableOffcutsCaption,
          PercentText(plan.UtilizationInclKeptOffcuts(MinScrapLength, MinScrapWidth,
                                                    OffcutLenRotatable)));
    out.push_back(" ");
    total(TotalUsableAreaCaption, AreaText(plan.TotalUsableArea()));
    total(TotalCostCaption, PubFunc.FloatUnitsToStr(static_cast<double>(plan.TotalSheetCost())));
    total(TotalUsableOffcutsAreaCaption,
          AreaText(plan.KeptOffcutArea(MinScrapLength, MinScrapWidth, OffcutLenRotatable)));
    total(TotalWasteAreaCaption, AreaText(plan.TotalWaste()));
    out.push_back(" ");
}

std::vector<std::string> ReportTextLines() {
    std::vector<std::string> lines;
    lines.reserve(SummaryReportLines.size() + 1);
    lines.push_back(" ");
    lines.insert(lines.end(), SummaryReportLines.begin(), SummaryReportLines.end());
    return lines;
}

std::string JoinTextFileLines(const std::vector<std::string>& Lines) {
    std::string text;
    for (const std::string& line : Lines) {
        text += BlankLineBreaks(line);
        text += "\r\n";
    }
    return text;
}

void SaveReportTextFile(const std::string& FileName) {
    platform::WriteFileAtomic(FileName, JoinTextFileLines(ReportTextLines()));
}
