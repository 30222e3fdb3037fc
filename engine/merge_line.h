// Straight cut lines of one layout: merging of lines on the same cut, clipping
// to the sheet, the order in which a saw can make them, and their G-code.
//
// Per layout: ClearLines, set the sheet size, add the lines, MergeLines,
// BuildCutSequence, then draw or write Merged.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/stock2d.h"
#include "platform/canvas.h"

// One cut line in internal units, from (X1, Y1) to (X2, Y2). Tag is the
// producer's value; merged and split lines carry 0.
struct TCutLine {
    std::int32_t X1 = 0, Y1 = 0, X2 = 0, Y2 = 0;
    std::int32_t Tag = 0;

    TPoint P1() const { return {X1, Y1}; }
    TPoint P2() const { return {X2, Y2}; }
    friend bool operator==(const TCutLine&, const TCutLine&) = default;
};

// Colours of the numbered cuts, by cut index mod 9: blue, teal, fuchsia, green,
// maroon, lime, purple, red, black.
inline constexpr platform::TColor CutSeqColors[9] = {
    platform::clBlue,   platform::clTeal,   platform::clFuchsia,
    platform::clGreen,  platform::clMaroon, platform::clLime,
    platform::clPurple, platform::clRed,    platform::clBlack};

class TMergeLine {
  public:
    std::vector<TCutLine> Lines;  // the lines as added; after MergeLines the merged lines
    std::int32_t SheetLength = 0;
    std::int32_t SheetWidth = 0;
    std::vector<TCutLine> Merged;  // merged lines; after BuildCutSequence in cutting order

    void AddLine(TPoint P1, TPoint P2, std::int32_t Tag);
    void ClearLines() { Lines.clear(); }
    void SetSheetLength(std::int32_t Value) { SheetLength = Value; }
    void SetSheetWidth(std::int32_t Value) { SheetWidth = Value; }

    // Five passes that join lines lying on the same cut, clip them to the
    // sheet (0..SheetLength, 0..SheetWidth) and drop those on the sheet
    // border. Result in Merged and in Lines. Lines on one line (less than a
    // unit apart) that overlap or touch, such as the sides of two pieces
    // along one kerf, become their union, which keeps their outermost end
    // points. Lines apart by more, even by less than the blade width, are
    // different cuts and stay apart: joined on their mean line, the cut
    // would run into one part and leave the other's edge uncut.
    void MergeLines();
    void AddMerged(TPoint P1, TPoint P2, std::int32_t Tag);

    // Reorders Merged so that every cut ends on the sheet border or on cuts
    // made before it, splitting lines at each cut that crosses them. Lines
    // that cannot be ordered stay at the end in their order.
    void BuildCutSequence();

    // Appends the G-code lines of every cut of Merged in list order, each cut
    // run from the end nearer the previous cut's end (starting at 0,0). Uses
    // GCodeCutExtension, GCodeNumberSuffix, GCodeCutPrefix, GCodePlungePrefix
    // and GCodeZMoves. Numbers always use "." as decimal separator.
    void WriteGCode(std::vector<std::string>& F, const std::string& CutZText,
                    const std::string& SafeZText) const;
    // The same with the given plunge and cut prefixes and number suffix in
    // place of the program's.
    void WriteGCode(std::vector<std::string>& F, const std::string& CutZText,
                    const std::string& SafeZText, const std::string& PlungePrefix,
                    const std::string& CutPrefix, const std::string& NumberSuffix) const;

    // Appends the G-code lines of one cut. A positive Extension shortens a
    // horizontal or vertical cut at both ends (a negative one lengthens it); a
    // cut shorter than twice Extension shrinks to its middle, never reversing.
    static void WriteGCodeCut(std::vector<std::string>& F, const std::string& SafeZText,
                              const std::string& CutZText, std::int32_t StartX, std::int32_t StartY,
                              std::int32_t EndX, std::int32_t EndY, const std::string& PlungePrefix,
                              const std::string& CutPrefix, const std::string& NumberSuffix,
                              std::int32_t Extension);

    // The cuts of Merged on a screen canvas, in the canvas's current font:
    // cut i is drawn from its first to its second end at Origin +
    // round(coordinate * Scale) in colour i mod 9, its number i + 1 beside it.
    // Animate leaves the numbers out and calls Wait(500) (milliseconds) before
    // each horizontal or vertical cut; an empty Wait sleeps.
    void DrawLines(platform::TCanvas& Canvas, TPoint Origin, double Scale, bool Animate,
                   const std::function<void(int)>& Wait = {}) const;
    // The same on a printer page of PageWidth pixels, the numbers in
    // CutSeqFontName at height -CutSeqFontSize, or -(PageWidth div
    // AutoPrinterFontZoom) when AutoPrinterFontSize is on.
    void DrawCutSequence(platform::TCanvas& Canvas, TPoint Origin, double Scale,
                         std::int32_t PageWidth) const;

  private:
    // Joins Other into Cur when they lie on one line (see MergeLines).
    static bool Join(TCutLine& Cur, const TCutLine& Other);
    void DrawCuts(platform::TCanvas& Canvas, TPoint Origin, double Scale, bool Numbers,
                  const std::function<void(int)>* Wait) const;
};

// The two program-wide cut-line sets; only MergeLineSet is used.
extern TMergeLine MergeLineSet;
extern TMergeLine MergeLineSet2;

// Adds the four sides of a placed rectangular piece to MergeLineSet, on the
// middle of the kerf: the piece box starts BladeWidth div 2 before its
// position (plus Offset). Circles and shaped parts add nothing. Throws
// ERangeError when a side lies beyond 32 bits.
void AddPieceEdgesToMergeLine(const T2DStock& Piece, TPoint Offset);

// Empties both cut-line sets.
void ResetMergeLineDefaults();
