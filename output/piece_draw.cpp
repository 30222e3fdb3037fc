#include "output/piece_draw.h"

#include "engine/numeric.h"
#include "engine/profile_output.h"
#include "engine/pubfunc.h"
#include "engine/pubstr.h"
#include "engine/textfmt.h"

namespace {

constexpr int kScreenFontHeight = 11;

std::int64_t Px(double V, double Scale) {
    return Round32(V * Scale);
}

int Pix(std::int64_t V) {
    return CheckedInt32(V);
}

// The piece box on the canvas.
struct TBox {
    std::int64_t L, T, R, B;  // edges
    std::int64_t W, H;        // px(NetLength), px(NetWidth)
};

TBox PieceBox(const T2DStock& P, TPoint Offset, double Scale) {
    const double x = P.Position.X, y = P.Position.Y;
    const double nl = P.NetLength(), nw = P.NetWidth();
    return {Offset.X + Px(x, Scale),      Offset.Y + Px(y, Scale), Offset.X + Px(nl + x, Scale),
            Offset.Y + Px(nw + y, Scale), Px(nl, Scale),           Px(nw, Scale)};
}

bool InBox(const T2DStock& P, int X, int Y, double Scale) {
    const TBox b = PieceBox(P, {0, 0}, Scale);
    return b.L <= X && X < b.R && b.T <= Y && Y < b.B;
}

std::string PositionText(const T2DStock& P) {
    return "(" + PubFunc.UnitsToStr(P.Position.X) + "," + PubFunc.UnitsToStr(P.Position.Y) + ")";
}

// Label (and the extra text below it) of a rectangle or circle, drawn only
// when the label fits the box. Circles centre the label, rectangles set it
// just above the middle.
void DrawLabel(platform::TCanvas& Canvas, const T2DStock& P, const TBox& b, bool Circle) {
    const std::int64_t tw = Canvas.TextWidth(P.Label) + 2;
    const std::int64_t th = Canvas.TextHeight(P.Label) + 2;
    if (!(tw < b.W && th < b.H)) return;
    const std::int64_t x = b.L + 1 + (b.W - tw) / 2;
    const std::int64_t y = Circle ? b.T + 1 + (b.H - th) / 2 : b.T + 1 + b.H / 2 - th;
    Canvas.TextOut(Pix(x), Pix(y), P.Label);
    if (P.ExtraText.empty()) return;
    const std::int64_t ey = Circle ? b.T + 1 + (b.H - th) / 2 + kScreenFontHeight + 1
                                   : b.T + 1 + (b.H - 2 * th) / 2 + kScreenFontHeight + 1;
    Canvas.TextOut(Pix(x), Pix(ey), P.ExtraText);
}

}  // namespace

std::string_view PieceLabelPrefix(std::string_view Label) {
    const std::size_t u = Label.find('_');
    return u == std::string_view::npos ? Label : Label.substr(0, u + 1);
}

bool IsOffcutPiece(const T2DStock& Piece) {
    const std::string_view prefix = PieceLabelPrefix(Piece.Label);
    return prefix == OffcutPrefix || prefix == ZeroOffcutPrefix;
}

bool IsPieceShown(const T2DStock& Piece) {
    if (!IsOffcutPiece(Piece)) return true;
    const std::int32_t l = Piece.NetLength(), w = Piece.NetWidth();
    if (l >= MinScrapLength && w >= MinScrapWidth) return true;
    return OffcutLenRotatable && l >= MinScrapWidth && w >= MinScrapLength;
}

TPieceOutline PieceOutline(const T2DStock& Piece, bool ForGCode) {
    TPieceOutline out;
    out.Shape = TrapeziumList.FindByLabel(Piece.Label);
    if (!out.Shape) return out;
    const int turn = ((Piece.TurnState % 4) + 4) % 4;
    out.Outline = ForGCode ? &out.Shape->GetPolylineC(turn) : &out.Shape->GetPolylineB(turn);
    // Centred in the net box: a piece packed with the trapezium's full size
    // leaves the template's margin on both sides, a piece the seed builder
    // has already cut down to the outline's own size leaves none.
    const std::int64_t dx = std::int64_t{Piece.NetLength()} - out.Outline->Length;
    const std::int64_t dy = std::int64_t{Piece.NetWidth()} - out.Outline->Width;
    out.Shift = {CheckedInt32(dx / 2), CheckedInt32(dy / 2)};
    return out;
}

void DrawPiece(const T2DStock& Piece, TPoint Offset, platform::TCanvas& Canvas, double Scale,
               bool ShowLabel, bool ShowLengthXWidth, bool ShowXYPos, platform::TColor PartColor,
               platform::TColor OffcutColor, bool DrawOutline) {
    Canvas.Font.Height = -kScreenFontHeight;
    Canvas.Font.Direction = platform::TTextDirection::Horizontal;
    const bool offcut = IsOffcutPiece(Piece);
    Canvas.Pen.Color = offcut ? OffcutColor : PartColor;
    if (!IsPieceShown(Piece)) return;
    const TBox b = PieceBox(Piece, Offset, Scale);

    if (Piece.ShapeKind == skCircle) {
        if (ShowLabel) DrawLabel(Canvas, Piece, b, true);
        Canvas.Arc(Pix(b.L), Pix(b.T), Pix(b.R), Pix(b.B), Pix(b.L), Pix(b.T), Pix(b.L), Pix(b.T));
        return;
    }

    if (Piece.ShapeKind == skShaped) {
        const TPieceOutline o = PieceOutline(Piece, false);
        if (!o.Outline) return;
        const TPoint origin{Pix(b.L + Px(o.Shift.X, Scale)), Pix(b.T + Px(o.Shift.Y, Scale))};
        const TPoint position{
            CheckedInt32(static_cast<std::int64_t>(Piece.Position.X) + o.Shift.X),
            CheckedInt32(static_cast<std::int64_t>(Piece.Position.Y) + o.Shift.Y)};
        DrawProfile(*o.Outline, origin, position, Canvas, Scale, Piece.Label, ShowLabel,
                    ShowLengthXWidth, ShowXYPos, PartColor, Piece.ExtraText);
        return;
    }

    if (Piece.ShapeKind != skRectangle) return;
    if (ShowLabel) DrawLabel(Canvas, Piece, b, false);
    if (ShowXYPos) {
        const std::string pos = PositionText(Piece);
        const platform::TTextExtent e = Canvas.TextExtent(pos);
        if (e.Width + 2 < b.W && e.Height + 2 < b.H)
            Canvas.TextOut(Pix(b.L + 1), Pix(b.T + 1), pos);
    }
    if (ShowLengthXWidth) {
        const std::string lt = PieceLengthText(Piece);
        const platform::TTextExtent le = Canvas.TextExtent(lt);
        const double half = Piece.NetLength() / 2.0 + Piece.Position.X;
        Canvas.TextOut(Pix(Offset.X + Px(half, Scale) - le.Width / 2 + 1), Pix(b.B - 1 - le.Height),
                       lt);
        const std::string wt = PieceWidthText(Piece);
        Canvas.Font.Direction = platform::TTextDirection::Down;
        const double mid = Piece.NetWidth() / 2.0 + Piece.Position.Y;
        Canvas.TextOut(Pix(b.R - 1), Pix(Offset.Y + Px(mid, Scale) - 1), wt);
        Canvas.Font.Direction = platform::TTextDirection::Horizontal;
    }
    if (DrawOutline) {
        const std::int64_t i = offcut && Px(BladeWidth, Scale) < 4 ? 2 : 0;
        Canvas.MoveTo(Pix(b.L + i), Pix(b.T + i));
        Canvas.LineTo(Pix(b.R - i), Pix(b.T + i));
        Canvas.LineTo(Pix(b.R - i), Pix(b.B - i));
        Canvas.LineTo(Pix(b.L + i), Pix(b.B - i));
        Canvas.LineTo(Pix(b.L + i), Pix(b.T + i));
    }
}

bool PieceHitTest(const T2DStock& Piece, int X, int Y, double Scale) {
    return InBox(Piece, X, Y, Scale) && (Piece.ShapeKind != skShaped || Piece.Selectable);
}

bool PieceHitTestMove(const T2DStock& Piece, int X, int Y, double Scale) {
    if (Piece.ShapeKind > skShaped) return false;
    return InBox(Piece, X, Y, Scale);
}

std::string PieceLengthText(const T2DStock& Piece) {
    return Piece.LengthText.empty() ? PubFunc.UnitsToStr(Piece.NetLength()) : Piece.LengthText;
}

std::string PieceWidthText(const T2DStock& Piece) {
    return Piece.WidthText.empty() ? PubFunc.UnitsToStr(Piece.NetWidth()) : Piece.WidthText;
}

void PieceHintText(const T2DStock& Piece, std::string& Hint) {
    if (Piece.ShapeKind == skShaped) {
        Hint =
            Format("%s: %s %s %s", {PartLabelCaption, Piece.Label, Piece.ExtraText, Piece.Comment});
        return;
    }
    const std::string& first =
        Piece.ShapeKind != skCircle && IsOffcutPiece(Piece) ? OffcutCaption : PartLabelCaption;
    Hint = Format("%s: %s , %s: %s , %s: %s %s %s",
                  {first, Piece.Label, PartLengthCaption, PieceLengthText(Piece), PartWidthCaption,
                   PieceWidthText(Piece), Piece.ExtraText, Piece.Comment});
}

std::string PieceHintText(const T2DStock& Piece) {
    std::string hint;
    PieceHintText(Piece, hint);
    return hint;
}
