#include "app/core/option_edits.h"

#include <cstdint>

#include "app/core/option_reader.h"
#include "engine/pubfunc.h"
#include "engine/pubstr.h"
#include "engine/textfmt.h"

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

namespace {

// The text as a length within the depth limit; E gets the conversion error
// (empty for a value out of range).
bool DepthUnits(const std::string& Text, std::int32_t& Units, std::string& E) {
    // An empty text would read as 0 and write a Z word without a number.
    if (Trim(Text).empty()) {
        E = "'" + Text + "' is not a valid floating point value";
        return false;
    }
    if (!StrToUnitsOrError(Text, Units, E)) return false;
    return Units >= -kGCodeDepthLimit && Units <= kGCodeDepthLimit;
}

}  // namespace

std::string GCodeDepthRangeMessage(bool SafetyHeight) {
    const std::string limit = PubFunc.UnitsToStr(kGCodeDepthLimit);
    return std::string(SafetyHeight ? "Safety Height" : "Drill Depth") +
           " must be a length from -" + limit + " to " + limit + " (decimals after a \".\")";
}

bool GCodeDepthEditDone(const std::string& Text, bool SafetyHeight, TErrorLocation& Error) {
    std::int32_t units = 0;
    std::string e;
    if (DepthUnits(Text, units, e)) return true;
    Error = TErrorLocation::Field("TabSheetSetup", SafetyHeight ? "EditSafetyHeigth" : "EditDrillDepth",
                                  "[" + e + "]" + GCodeDepthRangeMessage(SafetyHeight));
    return false;
}

bool ReadGCodeDepths(const std::string& CutZText, const std::string& SafeZText, std::string& CutZ,
                     std::string& SafeZ, std::string& Message) {
    std::int32_t cut = 0, safe = 0;
    std::string e;
    if (!DepthUnits(CutZText, cut, e)) {
        Message = "[" + e + "]" + GCodeDepthRangeMessage(false);
        return false;
    }
    if (!DepthUnits(SafeZText, safe, e)) {
        Message = "[" + e + "]" + GCodeDepthRangeMessage(true);
        return false;
    }
    CutZ = PubFunc.UnitsToStr(cut);
    SafeZ = PubFunc.UnitsToStr(safe);
    if (safe <= cut) {
        Message = "Safety Height " + SafeZ + " is not above Drill Depth " + CutZ +
                  ": the rapid moves between cuts would run through the board";
        return false;
    }
    return true;
}

void OnChangeOptimizeSpeedTrackbar(TOptionPage& page, int position) {
    page.TrackBarSpeed = ClampPosition(position, kTrackBarSpeedMin, kTrackBarSpeedMax);
    OptimizeSpeed = page.TrackBarSpeed;
}

void RadioGroupCutModeClick(TOptionPage& page, int index) {
    if (index != kCutModeNested && index != kCutModeGuillotine && index != kCutModeRolling) return;
    page.RadioGroupCutMode = index;
    GuillotineMode = index == kCutModeGuillotine;
    RollingMode = index == kCutModeRolling;
}

void CheckBoxOrderOptimizeClick(TOptionPage& page, bool checked) {
    page.CheckBoxOrderOptimize = checked;
    OrderOptimize = checked;
}

void CheckBoxZAxisClick(TOptionPage& page, bool checked) {
    page.CheckBoxZAxis = checked;
    GCodeZMoves = checked;
}
