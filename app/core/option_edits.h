// Settings that take effect as soon as their edit is left: the minimum
// offcut length and width. They are checked when editing ends, so a
// half-typed number never pops a box.
#pragma once

#include <string>

#include "app/core/error_location.h"

// Leaving EditMinOffcutLength1 (Width false) or EditMinOffcutLength2 (Width
// true): MinScrapLength or MinScrapWidth := the text as a length (decimals,
// no fractions) when it converts to a value of at least 0. Otherwise the
// setting keeps its value and Error names the edit with
// "[" + conversion error + "]" + MsgMinScrapLengthFormatInvalid (or
// MsgMinScrapWidthFormatInvalid); the window shows it and selects the text.
bool MinOffcutEditDone(const std::string& Text, bool Width, TErrorLocation& Error);
