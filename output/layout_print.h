// One layout of the current plan (Optimizer.Best) on the screen and on the
// printer, the printed summary report, and the layout's cut lines.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/stock2d.h"
#include "platform/canvas.h"
#include "platform/print_job.h"

// Whether a layout output shows the piece: never a ZEROOFFCUT_ piece, an
// OFFCUT_ piece only when offcuts are shown.
bool LayoutPieceIsDrawn(const T2DStock& Piece, bool ShowOffcuts);

// Refills MergeLineSet with the merged cut lines of the layout (usable
// offcuts included), shifted by the trims, on the full sheet.
void BuildLayoutCutLines(int LayoutIndex);

// What the layout view draws.
struct TLayoutViewOptions {
    bool ShowLabel = true;
    bool ShowLengthXWidth = true;
    bool ShowXYPos = false;
    bool ShowOffcuts = false;
    // Merged cut lines in their cut order instead of piece outlines (not for
    // a layout with a shaped part).
    bool ShowCutSequence = false;
    // While the cut sequence is animated: how many cuts are drawn so far,
    // without numbers. -1: all of them with their numbers.
    int CutsShown = -1;
    // The piece carried in manual editing is left out (-1: none).
    int SkipPiece = -1;
    platform::TColor PartColor = platform::clBlack;
    platform::TColor OffcutColor = platform::clGray;
};

// Draws the layout's pieces at the view's scale, the sheet corner at
// (round(WidthEdge * Scale) + 1, round(LengthEdge * Scale) + 1). Returns the
// number of cuts of the cut sequence (0 when none is shown).
int DrawLayoutView(int LayoutIndex, platform::TCanvas& Canvas, double Scale,
                   const TLayoutViewOptions& Options);

// Prints layout LayoutIndex into cell CellIndex (row-major) of a page grid of
// Rows x Cols: header, then below it the sheet with trims, dimension marks,
// the numbered cut sequence when asked and possible, and the pieces; header
// and drawing never overlap, and header lines that would pass the cell's
// bottom are left out. Offcut pieces follow LayoutShowOffcuts. When the cell
// leaves no room for the drawing only the header is printed. In rolling mode
// there is one column and CellIndex is not used: the header stands at the
// top of the page and the roll is printed below it in strips, Rows strips on
// the page (the header's height taken off the page once), continuing at the
// top of new pages. Returns the number of cells or strips used (at least 1).
int PrintLayout(platform::TPrintJob& Job, int LayoutIndex, int Rows, int Cols, int CellIndex,
                bool ShowLabel, bool ShowLengthXWidth, bool ShowXYPos, bool ShowOffcuts,
                bool ShowCutSequence);

// Prints every layout of the plan, Rows x Cols to a page, each in a cell of
// its own, starting a page whenever one is full. In rolling mode the rolls
// follow one another down the pages: a roll starts below the last strip of
// the one before when its header and first strip fit there, else at the top
// of a new page.
void PrintAllLayouts(platform::TPrintJob& Job, int Rows, int Cols, bool ShowLabel,
                     bool ShowLengthXWidth, bool ShowXYPos, bool ShowOffcuts, bool ShowCutSequence);

// The first of the layouts First..Last that a print Rows x Cols to a page of
// PageWidth x PageHeight pixels would leave without its drawing (its header
// and the margins leave no room), or -1 when each gets its drawing. Text is
// measured on Canvas, which is left with the print font.
int FirstLayoutWithoutDrawing(platform::TCanvas& Canvas, int PageWidth, int PageHeight, int Rows,
                              int Cols, int First, int Last);

// The size a layout's drawing (the sheet with its trims) gets on the paper,
// in millimetres: LengthMm across the page (on a roll: all its strips
// together), WidthMm down the page; 0 x 0 when it gets no drawing.
struct TPrintedDrawingSize {
    double LengthMm = 0;
    double WidthMm = 0;
};

// The drawing sizes of the layouts First..Last (entry k: layout First + k)
// printed Rows x Cols to a page of PageWidth x PageHeight pixels at
// Resolution pixels per inch. Text is measured on Canvas, which is left with
// the print font.
std::vector<TPrintedDrawingSize> PrintedDrawingSizes(platform::TCanvas& Canvas, int PageWidth,
                                                     int PageHeight, int Resolution, int Rows,
                                                     int Cols, int First, int Last);

// Prints the summary report in the fixed-pitch printer font, on as many
// pages as it needs.
void PrintSummaryReport(platform::TPrintJob& Job);

// Sets the printer font on Canvas (black, fixed pitch): PrinterFontName at
// PrinterFontSize, or the page width divided by AutoPrinterFontZoom when the
// size is automatic. With MinimumEight a height below 8 pixels becomes 8; a
// set size below 8 is then stored as 8 too, an automatic size is not stored.
void SetPrintFont(platform::TCanvas& Canvas, int PageWidth, bool MinimumEight);
