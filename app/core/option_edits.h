// Settings checked as soon as their edit is left: the minimum offcut length
// and width, which take effect at once, and the G-code depths. They are
// checked when editing ends, so a half-typed number never pops a box.
#pragma once

#include <cstdint>
#include <string>

#include "app/core/error_location.h"
#include "app/core/option_page.h"

// Leaving EditMinOffcutLength1 (Width false) or EditMinOffcutLength2 (Width
// true): MinScrapLength or MinScrapWidth := the text as a length (decimals,
// no fractions) when it converts to a value of at least 0. Otherwise the
// setting keeps its value and Error names the edit with
// "[" + conversion error + "]" + MsgMinScrapLengthFormatInvalid (or
// MsgMinScrapWidthFormatInvalid); the window shows it and selects the text.
bool MinOffcutEditDone(const std::string& Text, bool Width, TErrorLocation& Error);

// The G-code depths: the cut depth (EditDrillDepth) and the safety height
// (EditSafetyHeigth) must be lengths (decimals with ".", no fractions) from
// -999.999 to 999.999 units.
constexpr std::int32_t kGCodeDepthLimit = 999999;  // internal units
// The message for a depth that is not such a length, after "[" + conversion
// error + "]".
std::string GCodeDepthRangeMessage(bool SafetyHeight);
// Leaving one of the two edits: Error names the edit with "[" + conversion
// error + "]" + GCodeDepthRangeMessage when Text is not such a length.
bool GCodeDepthEditDone(const std::string& Text, bool SafetyHeight, TErrorLocation& Error);
// What the G-code export writes: both texts as lengths in the converter's
// form (CutZ, SafeZ), the safety height above the cut depth. Otherwise false
// with Message: the range message of the first bad text, or that the safety
// height is not above the cut depth (rapid moves would run inside the board).
bool ReadGCodeDepths(const std::string& CutZText, const std::string& SafeZText, std::string& CutZ,
                     std::string& SafeZ, std::string& Message);

// Settings that take effect the moment their control changes, for the next
// run and the next export alike:
// the speed track bar: TrackBarSpeed and OptimizeSpeed := Position (bounded
// to the bar's range);
void OnChangeOptimizeSpeedTrackbar(TOptionPage& Page, int Position);
// the cut mode: index 0 nested, 1 guillotine, 2 rolling sets
// RadioGroupCutMode, GuillotineMode and RollingMode (the layout view and the
// printouts follow at once); any other index changes nothing;
void RadioGroupCutModeClick(TOptionPage& Page, int Index);
// "Order Optimize": CheckBoxOrderOptimize and OrderOptimize := Checked;
void CheckBoxOrderOptimizeClick(TOptionPage& Page, bool Checked);
// "Z Axis": CheckBoxZAxis and GCodeZMoves := Checked (the drill depth and
// safety height edits follow DrillEditsEnabled).
void CheckBoxZAxisClick(TOptionPage& Page, bool Checked);
