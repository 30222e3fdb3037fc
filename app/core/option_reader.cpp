#include "app/core/option_reader.h"

#include "engine/errors.h"
#include "engine/pubfunc.h"
#include "engine/pubstr.h"
#include "engine/textfmt.h"

namespace {

constexpr const char* kSetupPage = "TabSheetSetup";

void ReadFontSize(std::string& SizeEdit, const std::string& NameEdit, std::int32_t& Size,
                  std::string& Name) {
    std::int32_t v = 0;
    try {
        v = StrToInt(SizeEdit);
    } catch (const EConvertError&) {
        v = 0;
    }
    if (v < kMinPrinterFontSize) {
        SizeEdit = IntToStr(kMinPrinterFontSize);
        v = kMinPrinterFontSize;
    }
    Size = v;
    Name = NameEdit;
}

// Reads one length edit that must not be negative. On failure fills Error
// with "[" + E + "]" + Message.
bool ReadNonNegative(const std::string& Control, const std::string& Text,
                     const std::string& Message, std::int32_t& Value, TErrorLocation& Error) {
    std::string e;
    std::int32_t v = 0;
    if (!TypedLengthToUnits(Text, v, e) || v < 0) {
        Error = TErrorLocation::Field(kSetupPage, Control, "[" + e + "]" + Message);
        return false;
    }
    Value = v;
    return true;
}

}  // namespace

bool TypedLengthToUnits(const std::string& Text, std::int32_t& Units, std::string& E) {
    std::string decimal;
    FractionToDecimalStr(Text, decimal);
    // A malformed fraction gives an empty text, which would read as 0.
    if (decimal.empty() && !Trim(Text).empty()) {
        E = "'" + Text + "' is not a valid floating point value";
        return false;
    }
    return StrToUnitsOrError(decimal, Units, E);
}

bool StrToUnitsOrError(const std::string& Text, std::int32_t& Units, std::string& E) {
    try {
        Units = PubFunc.StrToUnits(Text);
    } catch (const EConvertError& ex) {
        E = ex.what();
        return false;
    } catch (const ERangeError& ex) {
        E = ex.what();
        return false;
    }
    return true;
}

void ReadPrinterFontSize(TOptionPage& Page) {
    ReadFontSize(Page.EditPrinterFontSize, Page.EditPrinterFontName, PrinterFontSize,
                 PrinterFontName);
}
void ReadPrinterFontSizeLabel(TOptionPage& Page) {
    ReadFontSize(Page.EditFontLabelSize, Page.EditFontLabel, LabelFontSize, LabelFontName);
}
void ReadPrinterFontSizeDim(TOptionPage& Page) {
    ReadFontSize(Page.EditFontDimSize, Page.EditFontDim, DimFontSize, DimFontName);
}
void ReadPrinterFontSizePosition(TOptionPage& Page) {
    ReadFontSize(Page.EditFontPositionSize, Page.EditFontPosition, PositionFontSize,
                 PositionFontName);
}
void ReadPrinterFontSizeCutSeq(TOptionPage& Page) {
    ReadFontSize(Page.EditFontCutSeqSize, Page.EditFontCutSeq, CutSeqFontSize, CutSeqFontName);
}

void CheckAutoPrinterSetupFontSize(TOptionPage& Page, bool Auto) {
    Page.CheckBoxAutoPrinterSetupFont = Auto;
    AutoPrinterFontSize = Auto;
}

bool ReadOption(TOptionPage& Page, TLayoutColors& Colors, TErrorLocation& Error) {
    Error.Clear();

    switch (Page.RadioGroupCutMode) {
        case kCutModeNested:
            GuillotineMode = false;
            RollingMode = false;
            break;
        case kCutModeRolling:
            GuillotineMode = false;
            RollingMode = true;
            break;
        default:
            Page.RadioGroupCutMode = kCutModeGuillotine;
            GuillotineMode = true;
            RollingMode = false;
            break;
    }

    FastOptimize = Page.CheckBoxFastSpeed;
    CostOptimize = Page.CheckBoxCostOptimize;
    PubFunc.SetDecimals(MeasureDecimals);
    MinOffcutSize = 0;
    MinOffcutSizeText = "0";

    {
        std::string e;
        std::int32_t v = 0;
        if (!TypedLengthToUnits(Page.EditBladeWidth, v, e) || v < 0 || v % 2 != 0) {
            Error = TErrorLocation::Field(kSetupPage, "EditBladeWidth",
                                          "[" + e + "]" + MsgBladeWidthFormatInvalid);
            return false;
        }
        BladeWidth = v;
        BladeWidthText = Page.EditBladeWidth;
    }

    if (!ReadNonNegative("EditHeightEdige", Page.EditHeightEdige, MsgWidthEdgeFormatInvalid,
                         LengthEdge, Error))
        return false;
    LengthEdgeText = Page.EditHeightEdige;

    if (!ReadNonNegative("EditWidthEdge", Page.EditWidthEdge, MsgLengthEdgeFormatInvalid, WidthEdge,
                         Error))
        return false;
    WidthEdgeText = Page.EditWidthEdge;

    if (!ReadNonNegative("EditMinOffcutLength1", Page.EditMinOffcutLength1,
                         MsgMinScrapLengthFormatInvalid, MinScrapLength, Error))
        return false;
    MinScrapLengthText = Page.EditMinOffcutLength1;

    if (!ReadNonNegative("EditMinOffcutLength2", Page.EditMinOffcutLength2,
                         MsgMinScrapWidthFormatInvalid, MinScrapWidth, Error))
        return false;
    MinScrapWidthText = Page.EditMinOffcutLength2;

    OffcutLenRotatable = Page.ComboBoxBothOrEither != 1;

    Colors.Edge = Page.ColorBoxEdge;
    Colors.Sheets = Page.ColorBoxSheets;
    Colors.Parts = Page.ColorBoxParts;
    Colors.Offcuts = Page.ColorBoxOffcuts;

    MeasureUnitName = Page.EditMeasure;

    ReadPrinterFontSize(Page);
    ReadPrinterFontSizeLabel(Page);
    ReadPrinterFontSizePosition(Page);
    ReadPrinterFontSizeDim(Page);
    ReadPrinterFontSizeCutSeq(Page);

    try {
        DxfTextHeight = StrToFloat(Page.lbledtDXFFontSize);
    } catch (const EConvertError&) {
        if (DxfTextHeight < 0) DxfTextHeight = 4.0;
    }
    return true;
}
