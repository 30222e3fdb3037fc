// A placed piece as the drawing and output tests build it by hand.
#pragma once

#include <cstdint>
#include <string>

#include "engine/extpolyline.h"
#include "engine/stock2d.h"
#include "engine/trapezium.h"

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

// A right triangle 4000 x 3000 registered as the shape of Label, with a
// disc template's margin at both ends.
inline void AddTriangleShape(const std::string& Label, std::int32_t Margin = 0) {
    TExtPolyline o;
    o.AddSegment(psLine, {0, 0}, {4000, 0}, {}, 0, 0.0, 0.0, 0, "0");
    o.AddSegment(psLine, {4000, 0}, {0, 3000}, {}, 0, 0.0, 0.0, 0, "0");
    o.AddSegment(psLine, {0, 3000}, {0, 0}, {}, 0, 0.0, 0.0, 0, "0");
    TTrapezium t;
    t.SetParam8(Margin);
    t.SetParam9(Margin);
    t.Setup(false, Label, 0, o, 4000 + 2 * Margin, 0, 0, 0, 4000 + 2 * Margin, 3000);
    TrapeziumList.AddOrUpdate(t);
}

}  // namespace placed_piece
