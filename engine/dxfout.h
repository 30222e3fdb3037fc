// DXF drawing writer: builds an ASCII DXF file (group code line, value line)
// as a list of lines in memory and saves it in one piece.
//
// Use: construct, WriteHeader, any number of SetLayer and entity calls,
// WriteEOF, then SaveToFile (or Text). Numbers are always written with "."
// as decimal separator, whatever the process locale.
//
// Texts and layer names never carry a line break into the file: CR and LF are
// written as blanks, since a value spread over two lines would corrupt every
// group that follows it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/stock2d.h"

// Copy of S with every CR and LF replaced by a blank, for values that must
// stay on one line of a text file.
std::string BlankLineBreaks(std::string_view S);

// Points of the upper half of the ellipse that spans X1..X2 across and
// 2 * HalfHeight up about the line y = Cy, from X1 onwards in steps of about a
// hundredth of the span (at most 1001 points). Xs[i] pairs with Offsets[i],
// the height above Cy; the lower half mirrors them. X1 must differ from X2.
struct TEllipseHalf {
    std::vector<double> Xs;
    std::vector<double> Offsets;
};
TEllipseHalf EllipseUpperHalf(double X1, double X2, double Cy, double HalfHeight);

class TDXFOut {
  public:
    // Kept from construction, not written.
    double BoxMinX, BoxMinY, BoxMaxX, BoxMaxY;
    // Drawing limits written in the header ($LIMMIN, $LIMMAX).
    double LimMinX, LimMinY, LimMaxX, LimMaxY;
    // Kept from construction, not written.
    double Value9;
    // Digits after the decimal point of every number written.
    std::uint8_t Decimals;
    // Layer of the entities written from now on (at most 32 characters).
    std::string Layer;
    // The file's lines, without line ends.
    std::vector<std::string> Lines;

    TDXFOut(std::uint8_t Decimals, double BoxMinX, double BoxMinY, double BoxMaxX, double BoxMaxY,
            double LimMinX, double LimMinY, double LimMaxX, double LimMaxY, double Value9);

    // Fixed-point text with Decimals digits after ".". A value too large for
    // 32 characters in that form is written in exponent form instead (never
    // cut). Throws ERangeError for a value that is not a finite number, so
    // no unreadable NaN reaches a file.
    std::string FloatToDXF(double Value) const;

    // Layer := the first 32 characters of Name (line breaks as blanks).
    void SetLayer(std::string_view Name);

    // Header, tables (only layer "0" is declared) and the start of the
    // entities section; sets Layer to "0".
    void WriteHeader();
    // End of the entities section and of the file.
    void WriteEOF();

    // Entities in user units, written as given.
    void WriteLine(double X1, double Y1, double Z1, double X2, double Y2, double Z2);
    // Closed sets flag 1 (closed); an open polyline gets flag 0.
    void BeginPolyline(bool Closed);
    void WriteVertex(double X, double Y, double Z);
    // A vertex whose segment to the next vertex is an arc of the given DXF
    // bulge (tangent of a quarter of its angle, positive counter-clockwise);
    // a bulge of 0 is a straight segment and writes no bulge group.
    void WriteVertex(double X, double Y, double Z, double Bulge);
    void EndPolyline();
    void WriteText(std::string_view Text, double X, double Y, double Z, double Height,
                   double Angle);
    // Angles in degrees; the arc runs counter-clockwise from StartAngle to EndAngle.
    void WriteArc(double X, double Y, double Z, double Radius, double StartAngle, double EndAngle);
    // The same arc with centre, radius and angles to nine decimals (trailing
    // zeros beyond Decimals dropped), for an arc whose ends must meet the
    // ends of neighbouring entities: a reader finds them there to far below
    // a thousandth of a unit.
    void WriteFineArc(double X, double Y, double Z, double Radius, double StartAngle,
                      double EndAngle);

    // Entities in internal units (each value divided by 1000 before writing).
    // Four LINEs when DxfExportLines is on, else one closed POLYLINE.
    void WriteRect(const TRect& R);
    void WriteCircle(double X, double Y, double Z, double Radius);
    // Ellipse inscribed in the box (X1, Y1)-(X2, Y2) as a closed polyline of
    // chords no longer than a hundredth of the box width. The Z values are
    // not used. A box of zero width gives the flat ellipse: its two ends.
    void WriteEllipse(double X1, double Y1, double Z1, double X2, double Y2, double Z2);

    // The counter-clockwise arc from FromAngle to ToAngle (degrees, user
    // units) of a profile outline. When the two angles point the same way
    // (a sweep of a whole turn) a CIRCLE is written; any other sweep, however
    // small, is an ARC whose ends are drawn in by 0.001 degree (less for
    // sweeps under 0.004 degree, so the arc never turns inside out).
    void WriteArcSpan(double X, double Y, double Z, double Radius, double FromAngle,
                      double ToAngle);

    // A label placed about (CenterX, CenterY) in user units. With k = Height
    // rounded to a whole number, it starts (3 * k * characters) div 8 left of
    // the centre and its base line lies k div 2 above it, both offsets in
    // internal units (thousandths of a user unit), where stored drawings
    // have always had their labels. Angle 0.
    void WriteLabel(std::string_view Text, double CenterX, double CenterY, double Z, double Height);

    // The whole file, every line ended by CR LF.
    std::string Text() const;
    // Writes Text() to FileName completely or not at all; throws
    // platform::IniWriteError naming the file when it cannot be written.
    void SaveToFile(const std::string& FileName) const;

  private:
    void Add(std::string_view Code, std::string_view Value);
    void AddNumber(std::string_view Code, double Value);
    void AddFineNumber(std::string_view Code, double Value);
    void AddLayer();
    void AddPoint(double X, double Y, double Z);
    void AddSecondPoint(double X, double Y, double Z);
};

// True when two angles in degrees point the same way (differ by a whole
// number of turns, within rounding noise).
bool SameDirectionDegrees(double A, double B);
