// Label sheets: a page of labels in rows and columns, described in inches or
// millimetres, and the drawing of one label from a row of label data.
//
// All geometry is worked in inches; a canvas turns inches into pixels with
// its own resolution. The page description is checked before anything is
// drawn or a print job is opened: a number that is no number, a count below
// 1, a negative length, or margins and gaps that leave no room for a label
// are refused with "[" + message + "]" + MsgInvalidData.
#pragma once

#include <string>
#include <vector>

#include "platform/canvas.h"

// Inches per millimetre.
constexpr double kInchesPerMm = 0.03937;

// The page description as typed in the label dialog (the titles' check
// boxes are part of TLabelFormat).
struct TLabelPageText {
    int ComboBoxMeasure = 0;  // 0 inch, 1 mm
    std::string EditLabelColNumber = "20";
    std::string EditLabelRowNumber = "40";
    std::string EditLabelHorizontalGap = "0";
    std::string EditLabelVerticalGap = "0";
    std::string EditLengthMarge = "0";      // left and right page margin
    std::string EditWidthMarge = "0";       // top and bottom page margin
    std::string EditTopTitleWidth = "0.5";  // height of the top title band
    std::string EditLeftTitleLength = "1";  // width of the left title column
    std::string EditPrintLabelFromRow = "1";
    std::string EditPrintLabelFromCol = "1";
};

// The checked page, in inches.
struct TLabelGeometry {
    int LabelColsPerPage = 1;
    int LabelRowsPerPage = 1;
    double LabelHorizontalGap = 0, LabelVerticalGap = 0;
    double LabelLengthMargin = 0, LabelWidthMargin = 0;
    double LabelTopTitleWidth = 0, LabelLeftTitleLength = 0;
    double LabelWidth = 0, LabelHeight = 0;  // one label
    int LabelFromRow = 1, LabelFromCol = 1;  // start on the first page, from 1
};

// The outcome of a check: the edit to focus and the message when refused.
struct TLabelCheck {
    bool Ok = true;
    std::string Field;  // control name of the refused edit
    std::string Message;
};

// Fills empty edits with their defaults (columns "3", rows "10", gaps and
// margins "0", top title "0.3", left title "1"), then reads the page
// description into Geometry for a page of PageWidth x PageHeight inches.
TLabelCheck ValidateLabelLayout(TLabelPageText& Text, double PageWidth, double PageHeight,
                                TLabelGeometry& Geometry);
// ValidateLabelLayout, then the start position (row within the rows per page,
// column within the columns per page).
TLabelCheck ReadPrintOptions(TLabelPageText& Text, double PageWidth, double PageHeight,
                             TLabelGeometry& Geometry);

// Where one label goes: its page (from 0) and its top-left corner in inches.
struct TLabelPlace {
    int Page = 0;
    double X = 0, Y = 0;
};
// The places of Count labels printed from the start position: the first page
// leaves the positions before it empty, later pages start at the top left.
std::vector<TLabelPlace> PlaceLabels(const TLabelGeometry& Geometry, int Count);
// Pages needed for Count labels.
int LabelPageCount(const TLabelGeometry& Geometry, int Count);

// The content of one label: optional titles and a grid of cells, each naming
// a field (its value is printed) or holding literal text.
struct TLabelFormat {
    bool TopTitle = false;
    std::string TopTitleCaption;
    int TopTitleData = 0;  // field index
    bool LeftTitle = false;
    std::string LeftTitleCaption;
    int LeftTitleData = 0;
    // Cells[r][c]; every row has ColWidths.size() cells.
    std::vector<std::vector<std::string>> Cells;
    std::vector<int> ColWidths;  // design widths, shared out over the label
};

// Whether a label of Format prints anything: refused (with the format grid
// to focus) when every cell is empty or blank and no title is enabled, so
// that no job prints pages of empty frames.
TLabelCheck CheckLabelContent(const TLabelFormat& Format);

// Draws one label with its top-left corner at (X, Y) and the size Width x
// Height (inches) on Canvas, in the canvas's current font. Fields are the
// field names, Row the label's data in the same order.
void DrawLabel(platform::TCanvas& Canvas, const TLabelFormat& Format,
               const TLabelGeometry& Geometry, const std::vector<std::string>& Fields,
               const std::vector<std::string>& Row, double X, double Y, double Width,
               double Height);
