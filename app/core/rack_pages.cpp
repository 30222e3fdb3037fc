#include "app/core/rack_pages.h"

#include "app/core/racks.h"
#include "engine/errors.h"
#include "engine/pubfunc.h"
#include "engine/pubstr.h"
#include "engine/textfmt.h"
#include "platform/message_sink.h"

namespace {

// A typed length (decimal or fraction) in internal units; false when it
// does not convert.
bool Length(const std::string& Text, double& Units) {
    std::string decimal;
    FractionToDecimalStr(Text, decimal);
    if (decimal.empty() || decimal[0] == '[') return false;
    try {
        Units = PubFunc.StrToUnits(decimal);
        return true;
    } catch (const EConvertError&) {
    } catch (const ERangeError&) {
    }
    return false;
}

TRackTotals Totals(const TStringGrid& G, int LengthCol, int WidthCol, int CostCol,
                   bool (*Empty)(const TMainData&, int), const TMainData& Data) {
    double area = 0, cost = 0;
    int number = 0;
    for (int r = 1; r < G.RowCount(); ++r) {
        if (Empty(Data, r)) continue;
        ++number;
        double l = 0, w = 0;
        if (Length(G.Cell(LengthCol, r), l) && Length(G.Cell(WidthCol, r), w)) area += l * w;
        if (CostCol >= 0) cost += StrToFloatDef(Trim(G.Cell(CostCol, r)), 0.0);
    }
    return {PubFunc.AreaToStr(area), IntToStr(number), CostCol >= 0 ? FloatToStr(cost) : ""};
}

}  // namespace

TRackTotals OffcutRackTotals(const TMainData& D) {
    return Totals(D.StringGridOffcutRack, OffcutRackCol::Length, OffcutRackCol::Width,
                  OffcutRackCol::Cost, IsEmptyOffcutSlot, D);
}

TRackTotals PartRackTotals(const TMainData& D) {
    return Totals(D.StringGridPartRack, PartRackCol::Length, PartRackCol::Width, -1,
                  IsEmptyPartSlot, D);
}

bool ConfirmRackSlotQty(TMainData& Data, const std::string& Text, const std::string& LabelCaption) {
    const std::int32_t n = StrToIntDef(Text, 2);
    if (n < 2) {
        platform::CurrentMessageSink().Warning("[]Invalid " + LabelCaption + " format.");
        return false;
    }
    return ConfirmSlotQty(Data, Text, LabelCaption);
}

std::vector<std::string> RackPrintHeader(const std::string& Date, const std::string& Time) {
    return {MyCompanyInformation + "    " + Date + "   " + Time, ProjectTitle};
}

std::vector<std::vector<std::string>> RackPrintPages(const std::vector<std::string>& Lines,
                                                     int Height, int PageHeight) {
    std::vector<std::vector<std::string>> pages(1);
    const int step = Height + Height / 3;
    int y = Height;
    for (const std::string& line : Lines) {
        if (!pages.back().empty()) y += step;
        if (y > PageHeight - Height && !pages.back().empty()) {
            pages.emplace_back();
            y = Height;
        }
        pages.back().push_back(line);
    }
    return pages;
}
