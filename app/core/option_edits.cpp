#include "app/core/option_edits.h"

#include <cstdint>

#include "app/core/option_reader.h"
#include "engine/pubstr.h"

bool MinOffcutEditDone(const std::string& text, bool width, TErrorLocation& error) {
    std::int32_t units = 0;
    std::string e;
    if (StrToUnitsOrError(text, units, e) && units >= 0) {
        (width ? MinScrapWidth : MinScrapLength) = units;
        return true;
    }
    error = TErrorLocation::Field(
        "TabSheetSetup", width ? "EditMinOffcutLength2" : "EditMinOffcutLength1",
        "[" + e + "]" + (width ? MsgMinScrapWidthFormatInvalid : MsgMinScrapLengthFormatInvalid));
    return false;
}

void OnChangeOptimizeSpeedTrackbar(TOptionPage& page, int position) {
    page.TrackBarSpeed = ClampPosition(position, kTrackBarSpeedMin, kTrackBarSpeedMax);
    OptimizeSpeed = page.TrackBarSpeed;
}

void CheckBoxOrderOptimizeClick(TOptionPage& page, bool checked) {
    page.CheckBoxOrderOptimize = checked;
    OrderOptimize = checked;
}

void CheckBoxZAxisClick(TOptionPage& page, bool checked) {
    page.CheckBoxZAxis = checked;
    GCodeZMoves = checked;
}
