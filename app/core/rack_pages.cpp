#include "app/core/rack_pages.h"

#include "app/core/racks.h"
#include "engine/pubstr.h"
#include "engine/textfmt.h"
#include "platform/message_sink.h"

namespace {

TRackTotals Totals(TStringGrid Grid, bool PartRack) {
    TRackTotals t;
    RackGridTotals(Grid, PartRack, t, nullptr);
    return t;
}

}  // namespace

TRackTotals OffcutRackTotals(const TMainData& D) { return Totals(D.StringGridOffcutRack, false); }
TRackTotals PartRackTotals(const TMainData& D) { return Totals(D.StringGridPartRack, true); }

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
