// A placed piece as the drawing and output tests build it by hand.
#pragma once

#include <cstdint>
#include <string>

#include "engine/stock2d.h"

namespace placed_piece {

// Piece Label of Length x Width at Pos, of shape Kind.
inline T2DStock Piece(const std::string& Label, TPoint Pos, int Length, int Width,
                      std::uint8_t Kind = skRectangle) {
    T2DStock p;
    p.Label = Label;
    p.Position = Pos;
    p.Length = Length;
    p.Width = Width;
    p.ShapeKind = Kind;
    return p;
}

}  // namespace placed_piece
