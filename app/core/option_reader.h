// The option reader: turns the settings page into the program-wide settings
// before every optimisation run, and the printer font size readers it uses.
#pragma once

#include <cstdint>
#include <string>

#include "app/core/error_location.h"
#include "app/core/option_page.h"

// The four drawing colours of the layout view.
struct TLayoutColors {
    TOptionColor Edge = kDefaultEdgeColor;
    TOptionColor Sheets = kDefaultSheetColor;
    TOptionColor Parts = kDefaultPartColor;
    TOptionColor Offcuts = kDefaultOffcutColor;
};

// Reads the settings page into the settings of engine/pubstr.h (cut mode,
// fast and cost optimisation, blade width, trims, least offcut sizes, offcut
// rotation, measure word, printer fonts, DXF text height) and the layout
// view's colours. The first bad field stops it: Error then names page
// "TabSheetSetup", the edit, and the text "[" + conversion error + "]" +
// message (the conversion error is empty for a value that converts but breaks
// a rule), and the result is false. Settings read before the bad field keep
// their new values. A cut mode outside the three items is set back to
// Guillotine on the page; the printer font size edits may be set to "8".
bool ReadOption(TOptionPage& Page, TLayoutColors& Colors, TErrorLocation& Error);

// Printer font size readers, one per font of the settings page: the size
// setting := the size edit as a whole number; a text that is no whole number,
// or a size below 8, sets the edit to "8" and the size to 8. Then the font's
// name setting := the name edit.
void ReadPrinterFontSize(TOptionPage& Page);
void ReadPrinterFontSizeLabel(TOptionPage& Page);
void ReadPrinterFontSizeDim(TOptionPage& Page);
void ReadPrinterFontSizePosition(TOptionPage& Page);
void ReadPrinterFontSizeCutSeq(TOptionPage& Page);

// Switches automatic printer font sizes on or off (the page's "Scale Size"
// box decides which font buttons and which zoom bar are enabled).
void CheckAutoPrinterSetupFontSize(TOptionPage& Page, bool Auto);

// A typed length (decimal or fraction such as "1 1/2") in internal units.
// Returns false with the conversion error's text in E when it cannot be
// converted; an empty text is 0.
bool TypedLengthToUnits(const std::string& Text, std::int32_t& Units, std::string& E);
// PubFunc.StrToUnits(Text) into Units (decimals only, no fractions). Returns
// false with the conversion or range error's text in E, Units untouched,
// when Text is no length.
bool StrToUnitsOrError(const std::string& Text, std::int32_t& Units, std::string& E);
