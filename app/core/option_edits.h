// Settings that take effect as soon as their edit is left: the minimum
// offcut length and width. They are checked when editing ends, so a
// half-typed number never pops a box.
#pragma once

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

// Settings that take effect the moment their control changes, for the next
// run and the next export alike:
// the speed track bar: TrackBarSpeed and OptimizeSpeed := Position (bounded
// to the bar's range);
void OnChangeOptimizeSpeedTrackbar(TOptionPage& Page, int Position);
// "Order Optimize": CheckBoxOrderOptimize and OrderOptimize := Checked;
void CheckBoxOrderOptimizeClick(TOptionPage& Page, bool Checked);
// "Z Axis": CheckBoxZAxis and GCodeZMoves := Checked (the drill depth and
// safety height edits follow DrillEditsEnabled).
void CheckBoxZAxisClick(TOptionPage& Page, bool Checked);
