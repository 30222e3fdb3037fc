#include "engine/stock2d.h"

#include <numbers>

#include "engine/pubfunc.h"
#include "engine/pubstr.h"
#include "engine/trapezium.h"

void T2DStock::Assign(const T2DStock& s) {
    Index = s.Index;
    Length = s.Length;
    Width = s.Width;
    Position = s.Position;
    Label = s.Label;
    Quantity = s.Quantity;
    CanRotate = s.CanRotate;
    Cost = s.Cost;
    Factor = s.Factor;
    ShapeKind = s.ShapeKind;
    ProfileIndex = s.ProfileIndex;
    TurnState = s.TurnState;
    Selectable = s.Selectable;
    SourceKind = s.SourceKind;
    Priority = s.Priority;
    LengthText = s.LengthText;
    WidthText = s.WidthText;
    Comment = s.Comment;
    Material = s.Material;
    Edge = s.Edge;
    Rotated = s.Rotated;
}

std::int32_t T2DStock::NetLength() const { return Length - BladeWidth; }
std::int32_t T2DStock::NetWidth() const { return Width - BladeWidth; }

double T2DStock::ShapeNetArea() const {
    const double a = NetArea();
    return ShapeKind == skCircle ? a * std::numbers::pi / 4 : a;
}

double T2DStock::ShapeArea() const {
    if (ShapeKind == skShaped) return ShapeAreaOfLabel(Label, Area());
    return Area();
}

void T2DStock::SetBounds(const TRect& r) {
    Position = {r.Left, r.Top};
    Length = r.Right - r.Left;
    Width = r.Bottom - r.Top;
}

void T2DStock::Rotate() {
    std::swap(Length, Width);
    std::swap(LengthText, WidthText);
    TurnState = (TurnState + 1) % 4;
    Rotated = !Rotated;
}

void T2DStock::TurnHalf() {
    if (ShapeKind == skShaped) TurnState = (TurnState + 2) % 4;
}

void T2DStock::SetTextsFromPart(const T2DStock& part) {
    if (Rotated) {
        LengthText = part.WidthText;
        WidthText = part.LengthText;
    } else {
        LengthText = part.LengthText;
        WidthText = part.WidthText;
    }
    const bool lengthEdged = Edge && (Edge->BL > 0 || Edge->BR > 0 || Edge->GL > 0 || Edge->GR > 0);
    const bool widthEdged = Edge && (Edge->BT > 0 || Edge->BB > 0 || Edge->GT > 0 || Edge->GB > 0);
    if (lengthEdged || BladeWidth > 0) LengthText = PubFunc.UnitsToStr(NetLength());
    if (widthEdged || BladeWidth > 0) WidthText = PubFunc.UnitsToStr(NetWidth());
    Comment = part.Comment;
    Material = part.Material;
}

void T2DStock::ClearText() {
    LengthText.clear();
    WidthText.clear();
    Material.clear();
    Comment.clear();
}
