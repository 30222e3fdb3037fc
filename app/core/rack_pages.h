// What the rack pages show besides their grids: the totals under each rack,
// the slot-count check of a reset, and the lines of a printed rack page.
#pragma once

#include <string>
#include <vector>

#include "app/core/main_data.h"

// Totals of a rack page: area, number of filled slots and (offcut rack) cost.
struct TRackTotals {
    std::string Area;
    std::string Number;
    std::string Cost;
};
// Slots whose sizes or cost do not convert count in the number only.
TRackTotals OffcutRackTotals(const TMainData& Data);
TRackTotals PartRackTotals(const TMainData& Data);

// The slot-count dialog's Confirm for a reset: a count below 2 is refused
// like a text that is no number (a rack of one slot could never be saved nor
// read back); otherwise as ConfirmSlotQty.
bool ConfirmRackSlotQty(TMainData& Data, const std::string& Text, const std::string& LabelCaption);

// The first two lines of a printed rack page: the company text with the date
// and time, then the project title.
std::vector<std::string> RackPrintHeader(const std::string& Date, const std::string& Time);

// Splits lines into pages for a page of PageHeight pixels and characters of
// Height pixels: the first line at Height, one step of Height + Height / 3
// per line, a new page whenever a line would pass PageHeight - Height.
std::vector<std::vector<std::string>> RackPrintPages(const std::vector<std::string>& Lines,
                                                     int Height, int PageHeight);
