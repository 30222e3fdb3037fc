// The piece record: a part type, a stock sheet, a rack offcut, a placed piece,
// a free rectangle, and the base of a layout.
#pragma once

#include <cstdint>
#include <string>

#include "engine/partedge.h"

struct TPoint {
    std::int32_t X = 0;
    std::int32_t Y = 0;
    friend bool operator==(const TPoint&, const TPoint&) = default;
};

struct TRect {
    std::int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
    friend bool operator==(const TRect&, const TRect&) = default;
};

// Kinds of shape of a piece.
enum : std::uint8_t { skRectangle = 0, skCircle = 1, skShaped = 2 };
// Where a piece comes from.
enum : std::uint8_t { srcSheet = 0, srcOffcut = 1, srcPart = 2, srcNotSet = 3 };

class T2DStock {
public:
    // Numbers first, texts next, flags last: no padding between fields,
    // which counts with thousands of placed pieces held at once.
    std::int32_t Index = -1;
    std::int32_t Length = 0;  // extent along X, internal units
    std::int32_t Width = 0;   // extent along Y, internal units
    TPoint Position;
    std::int32_t Quantity = 0;
    std::int32_t Cost = 1;
    std::int32_t ProfileIndex = -1;
    std::int32_t TurnState = 1;
    std::int32_t Priority = 0;
    double Factor = 1.0;
    std::string Label;
    std::string LengthText;
    std::string WidthText;
    std::string ExtraText;
    std::string Comment;
    std::string Material;
    PPartEdge Edge;  // shared with the edge type list
    bool CanRotate = true;
    bool Selectable = true;
    bool Rotated = false;
    std::uint8_t ShapeKind = skRectangle;
    std::uint8_t SourceKind = srcNotSet;

    T2DStock() = default;
    virtual ~T2DStock() = default;

    // A new piece that takes Source's values through Assign (so ExtraText
    // stays empty). A layout's copy runs the layout's own assignment.
    static T2DStock CreateCopy(const T2DStock& Source) {
        T2DStock s;
        s.Assign(Source);
        return s;
    }

    // Copies every field but ExtraText; the edge reference is shared.
    virtual void Assign(const T2DStock& Source);

    void SetPosition(TPoint P) { Position = P; }
    void SetQuantity(std::int32_t Q) { Quantity = Q; }
    void SetQuantity2(std::int32_t Q) { Quantity = Q; }
    void SetIndex(std::int32_t I) { Index = I; }
    void SetLength(std::int32_t L) { Length = L; }
    void SetWidth(std::int32_t W) { Width = W; }
    void SetLabel(const std::string& S) { Label = S; }
    void SetCost(std::int32_t C) { Cost = C; }
    void SetProfileIndex(std::int32_t I) { ProfileIndex = I; }
    void SetTurnState(std::int32_t T) { TurnState = T; }
    void SetShapeKind(std::uint8_t K) { ShapeKind = K; }
    void SetFactor(double F) { Factor = F; }
    std::int32_t GetCost() const { return Cost; }

    // Length x Width in floating point (cannot overflow).
    double Area() const { return static_cast<double>(Length) * static_cast<double>(Width); }
    std::int32_t NetLength() const;  // Length - BladeWidth
    std::int32_t NetWidth() const;   // Width - BladeWidth
    double NetArea() const {
        return static_cast<double>(NetLength()) * static_cast<double>(NetWidth());
    }
    // NetArea, times pi/4 for a circle.
    double ShapeNetArea() const;
    // The area of a shaped part's trapezium (found by label); Area otherwise.
    // A shaped part whose label names no shape counts with its full Area.
    double ShapeArea() const;

    TRect BoundsRect() const {
        return {Position.X, Position.Y, Position.X + Length, Position.Y + Width};
    }
    void SetBounds(const TRect& R);

    // Quarter turn: swaps sizes and size texts, advances TurnState, flips Rotated.
    void Rotate();
    // Half turn of a shaped part's outline; nothing for other kinds.
    void TurnHalf();

    // Fills the size texts, comment and material of a placed piece from its
    // part type; pieces cut to a size other than typed show their net size.
    void SetTextsFromPart(const T2DStock& Part);
    // Empties LengthText, WidthText, Material and Comment.
    void ClearText();
};
