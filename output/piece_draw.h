// A placed piece of a layout on a screen canvas: its drawing with label,
// sizes and position, the hit tests of the layout view and its hint text.
//
// Pixel mapping: px(v) = round(v * Scale), halves to even; Offset is the
// sheet's origin on the canvas in pixels. The piece box runs from
// (Offset + px(Position)) to (Offset + px(Position + net size)).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/extpolyline.h"
#include "engine/stock2d.h"
#include "engine/trapezium.h"
#include "platform/canvas.h"

// The label up to and including its first "_"; the whole label when it has none.
std::string_view PieceLabelPrefix(std::string_view Label);

// An offcut piece: its label prefix is OffcutPrefix or ZeroOffcutPrefix. A
// part whose label merely contains "OFFCUT_" further on is an ordinary part.
bool IsOffcutPiece(const T2DStock& Piece);

// A piece that is drawn, printed and written: every piece but an offcut
// smaller than MinScrapLength x MinScrapWidth (either way round when
// OffcutLenRotatable is on).
bool IsPieceShown(const T2DStock& Piece);

// Where a shaped part's outline goes: centred in the piece's net box, so
// that it lies inside the box whether the piece keeps the size of the
// trapezium it was packed as (a disc template's trapezium is wider than the
// disc) or was cut down to the outline's own size.
struct TPieceOutline {
    PTrapezium Shape;                       // keeps the outline alive
    const TExtPolyline* Outline = nullptr;  // null: the part has no shape
    TPoint Shift;                           // outline (0, 0) relative to the piece position
};
// The drawing outline (ForGCode false) or the G-code outline (true) of the
// piece's quarter turn, looked up by label in TrapeziumList.
TPieceOutline PieceOutline(const T2DStock& Piece, bool ForGCode);

// Draws the piece: a rectangle with label, position and size texts and its
// outline (only when DrawOutline; the layout view leaves it out when it draws
// the merged cut lines), a circle with its label and its outline (always), or
// a shaped part's outline with its texts. Offcuts in OffcutColor, everything
// else in PartColor; an offcut that is too small is not drawn at all. Sets the
// canvas font to an 11-pixel height.
void DrawPiece(const T2DStock& Piece, TPoint Offset, platform::TCanvas& Canvas, double Scale,
               bool ShowLabel, bool ShowLengthXWidth, bool ShowXYPos, platform::TColor PartColor,
               platform::TColor OffcutColor, bool DrawOutline);

// Whether the canvas point (X, Y), relative to the sheet origin, lies in the
// piece box (left and top inclusive, right and bottom exclusive). The mouse
// down test also needs a shaped part to be Selectable; the mouse move test
// takes every rectangle, circle and shaped part.
bool PieceHitTest(const T2DStock& Piece, int X, int Y, double Scale);
bool PieceHitTestMove(const T2DStock& Piece, int X, int Y, double Scale);

// The hint shown while the mouse rests on the piece.
std::string PieceHintText(const T2DStock& Piece);
void PieceHintText(const T2DStock& Piece, std::string& Hint);

// The size texts of a piece: as typed, or its net size when nothing was typed.
std::string PieceLengthText(const T2DStock& Piece);
std::string PieceWidthText(const T2DStock& Piece);
