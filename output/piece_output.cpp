#include "output/piece_output.h"

#include <cmath>
#include <cstdlib>

#include "engine/merge_line.h"
#include "engine/numeric.h"
#include "engine/profile_output.h"
#include "engine/pubfunc.h"
#include "engine/pubstr.h"
#include "engine/textfmt.h"
#include "output/piece_draw.h"

namespace {

std::int64_t Px(double V, double Scale) {
    return Round32(V * Scale);
}

int Pix(std::int64_t V) {
    return CheckedInt32(V);
}

double User(std::int64_t Internal) {
    return static_cast<double>(Internal) / 1000.0;
}

void SelectFont(platform::TCanvas& Canvas, const std::string& Name, std::int32_t Size,
                std::int32_t PageWidth) {
    Canvas.Font.Name = Name;
    Canvas.Font.Height = PrinterFontHeight(Size, PageWidth);
    Canvas.Font.Direction = platform::TTextDirection::Horizontal;
}

std::string PositionText(const T2DStock& P) {
    return "(" + PubFunc.UnitsToStr(P.Position.X) + "," + PubFunc.UnitsToStr(P.Position.Y) + ")";
}

// Extra text and comment under a printed label (with PrintingComment).
void PrintComments(platform::TCanvas& Canvas, const T2DStock& P, std::int64_t X,
                   std::int64_t ExtraY, std::int64_t CommentY) {
    if (!PrintingComment) return;
    if (!P.ExtraText.empty()) Canvas.TextOut(Pix(X), Pix(ExtraY), P.ExtraText);
    if (!P.Comment.empty()) Canvas.TextOut(Pix(X), Pix(CommentY), P.Comment);
}

std::string Num(std::int64_t V) {
    return PubFunc.UnitsToStr(CheckedInt32(V));
}

void WriteEllipseNC(std::vector<std::string>& F, double X1, double X2, double YLow, double YHigh,
                    const std::string& CutZ, const std::string& SafeZ) {
    const double a = std::abs(X2 - X1) / 2;
    const double b = std::abs(YHigh - YLow) / 2;
    const double cy = (YLow + YHigh) / 2;
    auto point = [](const char* code, double x, double y) {
        return Format("%s X%5.5fY%5.5f", {code, x / 1000, y / 1000});
    };
    if (a == 0) {
        // No length: the curve is the straight cut between its two ends.
        F.push_back(point("G0", X1, cy + b));
        if (GCodeZMoves) F.push_back(Format("G1 Z %s", {CutZ}));
        F.push_back(point("G1", X1, cy - b));
        if (GCodeZMoves) F.push_back(Format("G0 Z %s", {SafeZ}));
        return;
    }
    const TEllipseHalf h = EllipseUpperHalf(X1, X2, cy, b);
    const std::vector<double>& xs = h.Xs;
    const std::vector<double>& ys = h.Offsets;
    F.push_back(point("G0", xs[0], cy));
    if (GCodeZMoves) F.push_back(Format("G1 Z %s", {CutZ}));
    for (std::size_t k = 1; k < xs.size(); ++k) F.push_back(point("G1", xs[k], cy + ys[k]));
    for (std::size_t k = xs.size(); k-- > 0;) F.push_back(point("G1", xs[k], cy - ys[k]));
    if (GCodeZMoves) F.push_back(Format("G0 Z %s", {SafeZ}));
}

}  // namespace

void PrintPiece(const T2DStock& Piece, TPoint Origin, platform::TCanvas& Canvas, bool ShowLabel,
                double Scale, bool ShowLengthXWidth, bool ShowXYPos, std::int32_t PageWidth) {
    if (!IsPieceShown(Piece)) return;
    SelectFont(Canvas, PrinterFontName, PrinterFontSize, PageWidth);

    const double x = Piece.Position.X, y = Piece.Position.Y;
    const double nl = Piece.NetLength(), nw = Piece.NetWidth();
    const std::int64_t L = Origin.X + Px(x, Scale), T = Origin.Y + Px(y, Scale);
    const std::int64_t R = Origin.X + Px(nl + x, Scale), B = Origin.Y + Px(nw + y, Scale);
    const std::int64_t W = Px(nl, Scale), H = Px(nw, Scale);

    if (Piece.ShapeKind == skShaped) {
        const TPieceOutline o = PieceOutline(Piece, false);
        if (!o.Outline) return;
        const TPoint origin{Pix(L + Px(o.Shift.X, Scale)), Pix(T + Px(o.Shift.Y, Scale))};
        const TPoint position{Pix(static_cast<std::int64_t>(Piece.Position.X) + o.Shift.X),
                              Pix(static_cast<std::int64_t>(Piece.Position.Y) + o.Shift.Y)};
        DrawProfileDimensioned(*o.Outline, origin, position, Canvas, Scale, Piece.Label, ShowLabel,
                               ShowLengthXWidth, ShowXYPos, Canvas.Pen.Color, Piece.ExtraText,
                               Piece.Comment, PageWidth);
        return;
    }

    if (Piece.ShapeKind == skCircle) {
        if (ShowLabel) {
            SelectFont(Canvas, LabelFontName, LabelFontSize, PageWidth);
            const std::int64_t tw = Canvas.TextWidth(Piece.Label) + 2;
            const std::int64_t th = Canvas.TextHeight(Piece.Label) + 2;
            if (tw < W && th < H) {
                const std::int64_t f = std::abs(Canvas.Font.Height);
                const std::int64_t lx = L + 1 + (W - tw) / 2;
                const std::int64_t ly = T + 1 + (H - th) / 2;
                Canvas.TextOut(Pix(lx), Pix(ly), Piece.Label);
                PrintComments(Canvas, Piece, lx, ly + f + 1, ly + 2 * f + 1);
            }
        }
        Canvas.Arc(Pix(L), Pix(T), Pix(R), Pix(B), Pix(L), Pix(T), Pix(L), Pix(T));
        return;
    }
    if (Piece.ShapeKind != skRectangle) return;

    if (ShowLabel) {
        SelectFont(Canvas, LabelFontName, LabelFontSize, PageWidth);
        const std::int64_t tw = Canvas.TextWidth(Piece.Label) + 2;
        const std::int64_t th = Canvas.TextHeight(Piece.Label) + 2;
        const std::int64_t f = std::abs(Canvas.Font.Height);
        const std::int64_t lx = L + 1 + (W - tw) / 2;
        const std::int64_t ly = T + 1 + H / 2 - th;
        Canvas.TextOut(Pix(lx), Pix(ly), Piece.Label);
        PrintComments(Canvas, Piece, lx, ly + f + 1, T + 1 + (H - th) / 2 + 2 * f + 1);
    }
    if (ShowXYPos) {
        SelectFont(Canvas, PositionFontName, PositionFontSize, PageWidth);
        const std::string pos = PositionText(Piece);
        const platform::TTextExtent e = Canvas.TextExtent(pos);
        if (e.Width + 2 < W && e.Height + 2 < H) Canvas.TextOut(Pix(L + 1), Pix(T + 1), pos);
    }
    if (ShowLengthXWidth) {
        SelectFont(Canvas, DimFontName, DimFontSize, PageWidth);
        const std::string lt = PieceLengthText(Piece);
        const platform::TTextExtent le = Canvas.TextExtent(lt);
        Canvas.TextOut(Pix(Origin.X + Px(nl / 2 + x, Scale) - (le.Width + 2) / 2 + 1),
                       Pix(B - 3 - le.Height), lt);
        Canvas.Font.Direction = platform::TTextDirection::Down;
        Canvas.TextOut(Pix(R - 1), Pix(Origin.Y + Px(nw / 2 + y, Scale) - 1),
                       PieceWidthText(Piece));
        Canvas.Font.Direction = platform::TTextDirection::Horizontal;
    }
    Canvas.MoveTo(Pix(L), Pix(T));
    Canvas.LineTo(Pix(R), Pix(T));
    Canvas.LineTo(Pix(R), Pix(B));
    Canvas.LineTo(Pix(L), Pix(B));
    Canvas.LineTo(Pix(L), Pix(T));
}

void WritePieceDXF(const T2DStock& Piece, TPoint Offset, TDXFOut& Dxf, const std::string& Layer,
                   bool ShowLabel, bool ShowLengthXWidth, bool ShowXYPos) {
    if (!IsPieceShown(Piece)) return;
    const std::int64_t left = static_cast<std::int64_t>(Offset.X) + Piece.Position.X;
    const std::int64_t top = static_cast<std::int64_t>(Offset.Y) - Piece.Position.Y;
    const std::int64_t right = left + Piece.NetLength();
    const std::int64_t bottom = top - Piece.NetWidth();
    const double h = DxfTextHeight;

    if (Piece.ShapeKind == skShaped) {
        const TPieceOutline o = PieceOutline(Piece, false);
        if (!o.Outline) return;
        WriteProfileDXF(*o.Outline, {Pix(left + o.Shift.X), Pix(top - o.Shift.Y)}, Dxf, Layer,
                        Piece.Label, ShowLabel);
        return;
    }
    if (Piece.ShapeKind != skRectangle && Piece.ShapeKind != skCircle) return;

    if (ShowLabel) {
        Dxf.SetLayer(DxfLayerPartsLabel);
        Dxf.WriteLabel(Piece.Label, User((left + right) / 2), User((top + bottom) / 2), 0, h);
    }
    if (Piece.ShapeKind == skCircle) {
        Dxf.SetLayer(Layer);
        if (Piece.NetLength() == Piece.NetWidth())
            Dxf.WriteCircle((left + right) / 2.0, (top + bottom) / 2.0, 0, Piece.NetLength() / 2.0);
        else
            Dxf.WriteEllipse(left, top, 0, right, bottom, 0);
        return;
    }

    const double k = Round32(h);
    if (ShowXYPos) {
        Dxf.SetLayer(DxfLayerPartsOrigin);
        Dxf.WriteText(PositionText(Piece), User(left) + 0.2 * k, User(top) - 1.2 * k, 0, h, 0);
    }
    if (ShowLengthXWidth) {
        Dxf.SetLayer(DxfLayerPartsLxW);
        const std::string size = !Piece.LengthText.empty() || !Piece.WidthText.empty()
                                     ? Piece.LengthText + "X" + Piece.WidthText
                                     : PubFunc.UnitsToStr(Piece.NetLength()) + "X" +
                                           PubFunc.UnitsToStr(Piece.NetWidth());
        Dxf.WriteText(size, User(left) + 0.2 * k, User(bottom) + 0.2 * k, 0, h, 0);
    }
    Dxf.SetLayer(Layer);
    Dxf.WriteRect({Pix(left), Pix(top), Pix(right), Pix(bottom)});
}

void WritePieceNC(const T2DStock& Piece, std::int32_t SheetWidth, TPoint Offset,
                  std::vector<std::string>& F, const std::string& CutZ, const std::string& SafeZ) {
    if (!IsPieceShown(Piece)) return;
    const std::int64_t h2 = BladeWidth / 2;
    const std::int64_t x1 = static_cast<std::int64_t>(Piece.Position.X) + Offset.X - h2;
    const std::int64_t x2 = x1 + Piece.Length;
    const std::int64_t top = static_cast<std::int64_t>(Piece.Position.Y) + Offset.Y - h2;
    const std::int64_t ylow = SheetWidth - (top + Piece.Width);
    const std::int64_t yhigh = SheetWidth - top;

    if (Piece.ShapeKind == skRectangle) {
        const TPoint a{Pix(x1), Pix(ylow)}, b{Pix(x2), Pix(ylow)};
        const TPoint c{Pix(x1), Pix(yhigh)}, d{Pix(x2), Pix(yhigh)};
        MergeLineSet.AddLine(a, b, 0);
        MergeLineSet.AddLine(b, d, 0);
        MergeLineSet.AddLine(c, d, 0);
        MergeLineSet.AddLine(a, c, 0);
        return;
    }

    if (Piece.ShapeKind == skShaped) {
        const TPieceOutline o = PieceOutline(Piece, true);
        if (!o.Outline) return;
        const TPoint origin{
            Pix(static_cast<std::int64_t>(Piece.Position.X) + Offset.X + o.Shift.X),
            Pix(static_cast<std::int64_t>(Piece.Position.Y) + Offset.Y + o.Shift.Y)};
        WriteProfileGCode(*o.Outline, SheetWidth, origin, F, Piece.Label, CutZ, SafeZ);
        return;
    }
    if (Piece.ShapeKind != skCircle) return;

    F.push_back(Format("!%s", {BlankLineBreaks(Piece.Label)}));
    if (Piece.NetLength() == Piece.NetWidth()) {
        const std::int64_t yc = (ylow + yhigh) / 2;
        F.push_back(Format("G0 X%sY%s", {Num(x2), Num(yc)}));
        if (GCodeZMoves) F.push_back(Format("G1 Z %s", {CutZ}));
        F.push_back(Format("G3 X%sY%sI-%sJ0", {Num(x2), Num(yc), Num((yhigh - ylow) / 2)}));
        if (GCodeZMoves) F.push_back(Format("G0 Z %s", {SafeZ}));
        return;
    }
    WriteEllipseNC(F, static_cast<double>(x1), static_cast<double>(x2), static_cast<double>(ylow),
                   static_cast<double>(yhigh), CutZ, SafeZ);
}
