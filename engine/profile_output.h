// Output of a shaped part's outline: on a screen canvas, on the printer page
// with dimension texts, into a DXF drawing and as G-code lines.
//
// The outline is a normalised TExtPolyline (screen orientation, Y down, box
// corner at (0, 0)) in internal length units; each operation puts it at an
// origin of its own. Points are rounded to the nearest integer, halves to
// even; a coordinate that leaves the 32-bit range throws ERangeError.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/dxfout.h"
#include "engine/extpolyline.h"
#include "engine/stock2d.h"
#include "platform/canvas.h"

// Screen position of an outline point: Origin + round(P * Scale).
platform::TCanvasPoint ProfileScreenPoint(TPoint Origin, double Scale, std::int64_t X,
                                          std::int64_t Y);

// Draws Outline with its (0, 0) at the pixel Origin, Scale pixels per internal
// unit, in PenColor. Offset is added to the coordinates shown in texts.
// ShowLabel: Label centred on the outline's label point, Text2 (when not
// empty) one font height below it. ShowLengths: the length of every line at
// its middle. ShowCoordinates: "(x,y)" at every segment end. Texts use the
// canvas's current font.
void DrawProfile(const TExtPolyline& Outline, TPoint Origin, TPoint Offset,
                 platform::TCanvas& Canvas, double Scale, const std::string& Label, bool ShowLabel,
                 bool ShowLengths, bool ShowCoordinates, platform::TColor PenColor,
                 const std::string& Text2);

// The same drawing on a printer page PageWidth pixels wide, each kind of text
// in its printer font (label, position and dimension fonts; with
// AutoPrinterFontSize every height is -(PageWidth div AutoPrinterFontZoom)).
// With PrintingComment on, Text2 and Text3 (each when not empty) are printed
// one and two lines below the label.
void DrawProfileDimensioned(const TExtPolyline& Outline, TPoint Origin, TPoint Offset,
                            platform::TCanvas& Canvas, double Scale, const std::string& Label,
                            bool ShowLabel, bool ShowLengths, bool ShowCoordinates,
                            platform::TColor PenColor, const std::string& Text2,
                            const std::string& Text3, std::int32_t PageWidth);

// Font height for printed texts of the given point size: -Size, or
// -(PageWidth div AutoPrinterFontZoom) when AutoPrinterFontSize is on (and the
// zoom is positive).
int PrinterFontHeight(std::int32_t Size, std::int32_t PageWidth);

// Writes Outline into Dxf on Layer, turned Y up: a point (x, y) goes to
// (Origin.X + x, Origin.Y - y), in user units. Lines are LINEs; an arc is an
// ARC, or a CIRCLE when it sweeps a whole turn. ShowLabel: Label as TEXT on
// layer DxfLayerPartsLabel, centred on the outline's label point, height
// DxfTextHeight.
void WriteProfileDXF(const TExtPolyline& Outline, TPoint Origin, TDXFOut& Dxf,
                     const std::string& Layer, const std::string& Label, bool ShowLabel);

// Appends the G-code of Outline to F: the comment line "!" + Comment (line
// breaks as blanks), then each segment. Machine coordinates are X = x +
// Origin.X and Y = BaseY - (y + Origin.Y). With MergeCommonCuts on, lines go
// to MergeLineSet instead of F; otherwise "G0 X..Y..", "G1 X..Y.." framed by
// the Z moves when GCodeZMoves is on. Arcs are G2 (Clockwise set) or G3 from
// their start to their end point, with the centre offset I, J in user units
// (three decimals). Numbers always use "." as decimal separator.
void WriteProfileGCode(const TExtPolyline& Outline, std::int32_t BaseY, TPoint Origin,
                       std::vector<std::string>& F, const std::string& Comment,
                       const std::string& CutZText, const std::string& SafeZText);
