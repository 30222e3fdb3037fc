#include "engine/profile_output.h"

#include <cmath>
#include <cstdlib>
#include <numbers>

#include "engine/merge_line.h"
#include "engine/numeric.h"
#include "engine/pubfunc.h"
#include "engine/pubstr.h"
#include "engine/textfmt.h"

namespace {

constexpr double kDegreesPerRadian = 180.0 / std::numbers::pi;

double User(std::int64_t Internal) {
    return static_cast<double>(Internal) / 1000.0;
}

std::int32_t Scaled(double V, double Scale) {
    return Round32(V * Scale);
}

// The printer fonts of the three kinds of text; empty on screen, where every
// text keeps the canvas's own font.
struct TPrintFonts {
    bool Active = false;
    std::int32_t PageWidth = 0;
};

void SelectFont(platform::TCanvas& Canvas, const TPrintFonts& Fonts, const std::string& Name,
                std::int32_t Size) {
    if (!Fonts.Active) return;
    Canvas.Font.Name = Name;
    Canvas.Font.Height = PrinterFontHeight(Size, Fonts.PageWidth);
    Canvas.Font.Direction = platform::TTextDirection::Horizontal;
}

int LineHeight(platform::TCanvas& Canvas, const std::string& Text) {
    const int h = std::abs(Canvas.Font.Height);
    return h != 0 ? h : Canvas.TextHeight(Text);
}

std::string CoordinateText(std::int64_t X, std::int64_t Y, TPoint Offset) {
    return "(" + PubFunc.UnitsToStr(CheckedInt32(X + Offset.X)) + "," +
           PubFunc.UnitsToStr(CheckedInt32(Y + Offset.Y)) + ")";
}

// Screen position of the arc point at angle A, rounded after scaling.
platform::TCanvasPoint ArcScreenPoint(const TPolySegment& S, double A, TPoint Origin,
                                      double Scale) {
    const double x = S.Center.X + S.Radius * std::cos(A);
    const double y = S.Center.Y + S.Radius * std::sin(A);
    return {CheckedInt32(static_cast<std::int64_t>(Origin.X) + Scaled(x, Scale)),
            CheckedInt32(static_cast<std::int64_t>(Origin.Y) + Scaled(y, Scale))};
}

void DrawOutline(const TExtPolyline& Outline, TPoint Origin, TPoint Offset,
                 platform::TCanvas& Canvas, double Scale, const std::string& Label, bool ShowLabel,
                 bool ShowLengths, bool ShowCoordinates, platform::TColor PenColor,
                 const std::string& Text2, const std::string& Text3, const TPrintFonts& Fonts) {
    Canvas.Pen.Color = PenColor;
    const TPoint p = Outline.CenterPoint();
    const platform::TCanvasPoint lp = ProfileScreenPoint(Origin, Scale, p.X, p.Y);

    if (ShowLabel) {
        SelectFont(Canvas, Fonts, LabelFontName, LabelFontSize);
        const platform::TTextExtent e = Canvas.TextExtent(Label);
        const int x = lp.X - e.Width / 2;
        const int y = lp.Y - e.Height / 2;
        Canvas.TextOut(x, y, Label);
        const int f = LineHeight(Canvas, Label);
        if (!Fonts.Active) {
            if (!Text2.empty()) Canvas.TextOut(x, y + f, Text2);
        } else if (PrintingComment) {
            if (!Text2.empty()) Canvas.TextOut(x, y + f, Text2);
            if (!Text3.empty()) Canvas.TextOut(x, y + 2 * f, Text3);
        }
    }

    for (const TPolySegment& s : Outline.Segments()) {
        if (s.Kind == psArc) {
            const platform::TCanvasPoint a = ArcScreenPoint(s, s.StartAngle, Origin, Scale);
            const platform::TCanvasPoint b = ArcScreenPoint(s, s.EndAngle, Origin, Scale);
            if (ShowCoordinates) {
                SelectFont(Canvas, Fonts, PositionFontName, PositionFontSize);
                const TPoint pa = ArcEndPoint(s, s.StartAngle);
                const TPoint pb = ArcEndPoint(s, s.EndAngle);
                Canvas.TextOut(a.X, a.Y, CoordinateText(pa.X, pa.Y, Offset));
                Canvas.TextOut(b.X, b.Y, CoordinateText(pb.X, pb.Y, Offset));
            }
            const std::int64_t cx = s.Center.X, cy = s.Center.Y, r = s.Radius;
            const platform::TCanvasPoint tl = ProfileScreenPoint(Origin, Scale, cx - r, cy - r);
            const platform::TCanvasPoint br = ProfileScreenPoint(Origin, Scale, cx + r, cy + r);
            // The canvas arc runs counter-clockwise on screen, that is through
            // decreasing angles of the outline.
            if (s.Clockwise)
                Canvas.Arc(tl.X, tl.Y, br.X, br.Y, b.X, b.Y, a.X, a.Y);
            else
                Canvas.Arc(tl.X, tl.Y, br.X, br.Y, a.X, a.Y, b.X, b.Y);
            continue;
        }
        const platform::TCanvasPoint a = ProfileScreenPoint(Origin, Scale, s.P1.X, s.P1.Y);
        const platform::TCanvasPoint b = ProfileScreenPoint(Origin, Scale, s.P2.X, s.P2.Y);
        if (ShowCoordinates) {
            SelectFont(Canvas, Fonts, PositionFontName, PositionFontSize);
            Canvas.TextOut(a.X, a.Y, CoordinateText(s.P1.X, s.P1.Y, Offset));
            Canvas.TextOut(b.X, b.Y, CoordinateText(s.P2.X, s.P2.Y, Offset));
        }
        if (ShowLengths) {
            SelectFont(Canvas, Fonts, DimFontName, DimFontSize);
            const double dx = static_cast<double>(s.P2.X) - s.P1.X;
            const double dy = static_cast<double>(s.P2.Y) - s.P1.Y;
            const std::int32_t len = Round32(std::sqrt(dx * dx + dy * dy));
            const double mx = (static_cast<double>(s.P1.X) + s.P2.X) * Scale / 2;
            const double my = (static_cast<double>(s.P1.Y) + s.P2.Y) * Scale / 2;
            Canvas.TextOut(CheckedInt32(static_cast<std::int64_t>(Origin.X) + Round32(mx)),
                           CheckedInt32(static_cast<std::int64_t>(Origin.Y) + Round32(my)),
                           PubFunc.UnitsToStr(len));
        }
        Canvas.MoveTo(a.X, a.Y);
        Canvas.LineTo(b.X, b.Y);
    }
}

// Machine coordinates of an outline point.
TPoint Machine(std::int64_t X, std::int64_t Y, std::int32_t BaseY, TPoint Origin) {
    return {CheckedInt32(X + Origin.X), CheckedInt32(BaseY - (Y + Origin.Y))};
}

std::string XY(const char* Template, TPoint P) {
    return Format(Template, {PubFunc.UnitsToStr(P.X), PubFunc.UnitsToStr(P.Y)});
}

}  // namespace

platform::TCanvasPoint ProfileScreenPoint(TPoint Origin, double Scale, std::int64_t X,
                                          std::int64_t Y) {
    return {
        CheckedInt32(Origin.X + static_cast<std::int64_t>(Scaled(static_cast<double>(X), Scale))),
        CheckedInt32(Origin.Y + static_cast<std::int64_t>(Scaled(static_cast<double>(Y), Scale)))};
}

int PrinterFontHeight(std::int32_t Size, std::int32_t PageWidth) {
    if (AutoPrinterFontSize && AutoPrinterFontZoom > 0) return -(PageWidth / AutoPrinterFontZoom);
    return -Size;
}

void DrawProfile(const TExtPolyline& Outline, TPoint Origin, TPoint Offset,
                 platform::TCanvas& Canvas, double Scale, const std::string& Label, bool ShowLabel,
                 bool ShowLengths, bool ShowCoordinates, platform::TColor PenColor,
                 const std::string& Text2) {
    DrawOutline(Outline, Origin, Offset, Canvas, Scale, Label, ShowLabel, ShowLengths,
                ShowCoordinates, PenColor, Text2, {}, TPrintFonts{});
}

void DrawProfileDimensioned(const TExtPolyline& Outline, TPoint Origin, TPoint Offset,
                            platform::TCanvas& Canvas, double Scale, const std::string& Label,
                            bool ShowLabel, bool ShowLengths, bool ShowCoordinates,
                            platform::TColor PenColor, const std::string& Text2,
                            const std::string& Text3, std::int32_t PageWidth) {
    DrawOutline(Outline, Origin, Offset, Canvas, Scale, Label, ShowLabel, ShowLengths,
                ShowCoordinates, PenColor, Text2, Text3, TPrintFonts{true, PageWidth});
}

void WriteProfileDXF(const TExtPolyline& Outline, TPoint Origin, TDXFOut& Dxf,
                     const std::string& Layer, const std::string& Label, bool ShowLabel) {
    Dxf.SetLayer(Layer);
    const std::int64_t ox = Origin.X, oy = Origin.Y;
    for (const TPolySegment& s : Outline.Segments()) {
        if (s.Kind != psArc) {
            Dxf.WriteLine(User(ox + s.P1.X), User(oy - s.P1.Y), 0, User(ox + s.P2.X),
                          User(oy - s.P2.Y), 0);
            continue;
        }
        // Y up turns every angle round: a runs to -a.
        const double S = NormalizeAngle(-s.StartAngle) * kDegreesPerRadian;
        const double E = NormalizeAngle(-s.EndAngle) * kDegreesPerRadian;
        const double x = User(ox + s.Center.X), y = User(oy - s.Center.Y);
        if (s.Clockwise)
            Dxf.WriteArcSpan(x, y, 0, User(s.Radius), E, S);
        else
            Dxf.WriteArcSpan(x, y, 0, User(s.Radius), S, E);
    }
    if (ShowLabel) {
        Dxf.SetLayer(DxfLayerPartsLabel);
        const TPoint p = Outline.CenterPoint();
        Dxf.WriteLabel(Label, User(ox + p.X), User(oy - p.Y), 0, DxfTextHeight);
    }
}

void WriteProfileGCode(const TExtPolyline& Outline, std::int32_t BaseY, TPoint Origin,
                       std::vector<std::string>& F, const std::string& Comment,
                       const std::string& CutZText, const std::string& SafeZText) {
    F.push_back(Format("!%s", {BlankLineBreaks(Comment)}));
    for (const TPolySegment& s : Outline.Segments()) {
        if (s.Kind != psArc) {
            const TPoint a = Machine(s.P1.X, s.P1.Y, BaseY, Origin);
            const TPoint b = Machine(s.P2.X, s.P2.Y, BaseY, Origin);
            if (MergeCommonCuts) {
                MergeLineSet.AddLine(a, b, CutOnEdge);
                continue;
            }
            F.push_back(XY("G0 X%sY%s", a));
            if (GCodeZMoves) F.push_back(Format("G1 Z %s", {CutZText}));
            F.push_back(XY("G1 X%sY%s", b));
            if (GCodeZMoves) F.push_back(Format("G0 Z %s", {SafeZText}));
            continue;
        }
        // The end points are rounded after the centre is added.
        const double r = s.Radius;
        const std::int32_t sx = Round32(std::cos(s.StartAngle) * r + s.Center.X);
        const std::int32_t sy = Round32(std::sin(s.StartAngle) * r + s.Center.Y);
        const std::int32_t ex = Round32(std::cos(s.EndAngle) * r + s.Center.X);
        const std::int32_t ey = Round32(std::sin(s.EndAngle) * r + s.Center.Y);
        const TPoint a = Machine(sx, sy, BaseY, Origin);
        const TPoint b = Machine(ex, ey, BaseY, Origin);
        const double i = (static_cast<double>(s.Center.X) - sx) / 1000.0;
        const double j = (static_cast<double>(sy) - s.Center.Y) / 1000.0;
        F.push_back(XY("G0 X%sY%s", a));
        if (GCodeZMoves) F.push_back(Format("G1 Z %s", {CutZText}));
        F.push_back(Format(
            "%s X%sY%sI%3.3fJ%3.3f",
            {s.Clockwise ? "G2" : "G3", PubFunc.UnitsToStr(b.X), PubFunc.UnitsToStr(b.Y), i, j}));
        if (GCodeZMoves) F.push_back(Format("G0 Z %s", {SafeZText}));
    }
}
