// A placed piece on the three outputs of a layout: the printer page, a DXF
// drawing and a G-code file. An offcut too small to keep goes to none of
// them (the rule of the screen drawing).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/dxfout.h"
#include "engine/stock2d.h"
#include "platform/canvas.h"

// Prints the piece on a printer canvas PageWidth pixels wide. Origin is the
// pixel position of the trimmed sheet area's top-left corner; px(v) =
// round(v * Scale). Texts use the printer fonts (label, position, dimension;
// with AutoPrinterFontSize each -(PageWidth div AutoPrinterFontZoom) high); a
// rectangle's label is printed whatever room it has, its outline always.
// With PrintingComment the extra text and the comment follow the label. The
// pen colour is left as the caller set it.
void PrintPiece(const T2DStock& Piece, TPoint Origin, platform::TCanvas& Canvas, bool ShowLabel,
                double Scale, bool ShowLengthXWidth, bool ShowXYPos, std::int32_t PageWidth);

// Writes the piece into Dxf (user units, Y up): the piece occupies x from
// Offset.X + X to Offset.X + X + NetLength and y from Offset.Y - Y -
// NetWidth to Offset.Y - Y (Offset in internal units). The outline goes to
// Layer; the label, position and size texts to their own layers.
void WritePieceDXF(const T2DStock& Piece, TPoint Offset, TDXFOut& Dxf, const std::string& Layer,
                   bool ShowLabel, bool ShowLengthXWidth, bool ShowXYPos);

// G-code of the piece, Y up (y written = SheetWidth - y); Offset are the
// trims in internal units. The tool path runs on the middle of the kerf. A
// rectangle adds its four sides to MergeLineSet and writes nothing; a circle
// or ellipse and a shaped part append their lines to F, starting with the
// comment "!" + label. CutZ and SafeZ are written as given. Numbers always use
// "." as decimal separator.
void WritePieceNC(const T2DStock& Piece, std::int32_t SheetWidth, TPoint Offset,
                  std::vector<std::string>& F, const std::string& CutZ, const std::string& SafeZ);
