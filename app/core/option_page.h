// The settings page of the main window (`TabSheetSetup`) as plain data: the
// text of every edit, the state of every check box and the choice of every
// radio group, drop-down list, colour box, track bar and scroll bar that the
// option file and the option reader use, each under the name of its control.
//
// The window shows and edits these fields; the option reader turns them into
// the program-wide settings before a run, and the option file stores them.
// Texts are kept exactly as typed: nothing is checked here.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A colour as 0x00BBGGRR (the value the option file stores).
using TOptionColor = std::int32_t;

constexpr TOptionColor kDefaultSheetColor = 32768;    // green
constexpr TOptionColor kDefaultPartColor = 16776960;  // aqua
constexpr TOptionColor kDefaultEdgeColor = 8421504;   // grey
constexpr TOptionColor kDefaultOffcutColor = 65280;   // lime

// A drop-down list: its items and the chosen one (-1: none).
struct TComboChoice {
    std::vector<std::string> Items;
    int ItemIndex = -1;

    // The chosen item's text, empty when none is chosen.
    std::string Text() const;
    // Chooses Index, or nothing (-1) when Index is outside the items.
    void Select(int Index);
};

// Positions of the cut-mode radio group.
enum TCutModeIndex : int { kCutModeNested = 0, kCutModeGuillotine = 1, kCutModeRolling = 2 };

// Range of the optimisation speed track bar and of the printer zoom scroll bar.
constexpr int kTrackBarSpeedMin = 0;
constexpr int kTrackBarSpeedMax = 20;
constexpr int kAutoPrinterZoomMin = 33;
constexpr int kAutoPrinterZoomMax = 165;

// The smallest printer font size the size edits accept.
constexpr int kMinPrinterFontSize = 8;

struct TOptionPage {
    // Optimisation.
    int RadioGroupCutMode = kCutModeGuillotine;  // "Nested", "Guillotine", "Rolling"
    bool CheckBoxFastSpeed = true;
    bool CheckBoxCostOptimize = true;
    bool CheckBoxOrderOptimize = false;
    int TrackBarSpeed = 0;  // kTrackBarSpeedMin..kTrackBarSpeedMax

    // Measure, trims and blade, as typed (decimals or fractions).
    std::string EditMeasure = "inch";
    std::string EditDecimal = "3";  // shown only; always "3"
    std::string EditBladeWidth = "0";
    std::string EditHeightEdige = "0";  // trim taken off each sheet's width ("Length Edge")
    std::string EditWidthEdge = "0";    // trim taken off each sheet's length ("Width Edge")
    std::string EditMinOffcutLength1 = "0";
    std::string EditMinOffcutLength2 = "0";
    std::string EditMinOffcutSize = "0";  // hidden; a run ignores it
    // Item 0 "Rotatable", item 1 "Non-rotatable" (texts come from the captions).
    int ComboBoxBothOrEither = 0;
    std::string LabeledEditOffcutsPrefix;

    // Material type drop-down (also used as the grids' type editor).
    TComboChoice ComboBoxTypeSelect;

    // Layout view colours.
    TOptionColor ColorBoxSheets = kDefaultSheetColor;
    TOptionColor ColorBoxParts = kDefaultPartColor;
    TOptionColor ColorBoxEdge = kDefaultEdgeColor;
    TOptionColor ColorBoxOffcuts = kDefaultOffcutColor;

    // Printer fonts: size and name of the printout text, labels, dimensions,
    // positions and cut sequence numbers.
    std::string EditPrinterFontSize = "72";
    std::string EditPrinterFontName = "MS Mincho";
    std::string EditFontLabelSize = "72";
    std::string EditFontLabel = "MS Mincho";
    std::string EditFontDimSize = "72";
    std::string EditFontDim = "MS Mincho";
    std::string EditFontPositionSize = "72";
    std::string EditFontPosition = "MS Mincho";
    std::string EditFontCutSeqSize = "72";
    std::string EditFontCutSeq = "MS Mincho";
    bool CheckBoxAutoPrinterSetupFont = true;  // "Scale Size"
    int ScrollBarAutoPrinterSetupSize = 99;    // kAutoPrinterZoomMin..kAutoPrinterZoomMax
    std::string EditPrintTitle;

    // G-code and DXF.
    bool CheckBoxZAxis = true;
    std::string EditDrillDepth = "-0.02";
    std::string EditSafetyHeigth = "0.02";
    std::string LabeledEditSpeedXY = "70000";
    std::string LabeledEditSpeedZ = "70";
    std::string LabeledEditGCodeN = "3";
    std::string lbledtDXFFontSize = "4.0";

    // Rack switches: a ticked box hides the rack's page and keeps the rack out
    // of runs and stock updates.
    bool CheckBoxDisableOffcutsRack = true;
    bool CheckBoxDisablePartsRack = true;

    // States that follow the check boxes.
    bool DrillEditsEnabled() const { return CheckBoxZAxis; }  // depth and height
    bool FontButtonsEnabled() const { return !CheckBoxAutoPrinterSetupFont; }
    bool ZoomBarEnabled() const { return CheckBoxAutoPrinterSetupFont; }
    bool OffcutsPageVisible() const { return !CheckBoxDisableOffcutsRack; }
    bool PartsRackPageVisible() const { return !CheckBoxDisablePartsRack; }
};

// Bounds a track bar or scroll bar position to its range.
int ClampPosition(int Position, int Min, int Max);
