#include "engine/profile_output.h"

#include <cmath>
#include <cstdlib>
#include <numbers>
#include <utility>

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

// Arc ends farther than this (squared, internal units) from every other end
// are left where they are.
constexpr std::int64_t kJoinDistance2 = 5 * 5;

std::int64_t Distance2(TPoint A, TPoint B) {
    const std::int64_t dx = std::int64_t{A.X} - B.X, dy = std::int64_t{A.Y} - B.Y;
    return dx * dx + dy * dy;
}

// The arc point at angle A, rounded after the centre is added.
TPoint ArcPoint(const TPolySegment& S, double A) {
    return {Round32(std::cos(A) * S.Radius + S.Center.X),
            Round32(std::sin(A) * S.Radius + S.Center.Y)};
}

// How far an arc turns from its start to its end, in (0, 2pi); 0 for a
// whole turn.
double Sweep(const TPolySegment& S) {
    constexpr double turn = 2 * std::numbers::pi;
    const double d = S.Clockwise ? S.EndAngle - S.StartAngle : S.StartAngle - S.EndAngle;
    const double r = std::remainder(d, turn);
    if (std::abs(r) < 1e-12) return 0;
    return r < 0 ? r + turn : r;
}

bool IsWholeCircle(const TPolySegment& S) {
    return S.Kind == psArc && Sweep(S) == 0;
}

// A segment's two ends in the order it runs.
struct TEnds {
    TPoint Start, End;
};

// The ends of every segment as they are written: a line's own points, an
// arc's rounded points, each arc end moved onto the end of a line (or of an
// earlier arc) that rounding left a few units away, so that segments that
// meet share their end points exactly.
std::vector<TEnds> JoinedEnds(const TExtPolyline& Outline) {
    const std::vector<TPolySegment>& segs = Outline.Segments();
    std::vector<TEnds> ends;
    ends.reserve(segs.size());
    for (const TPolySegment& s : segs)
        ends.push_back(s.Kind == psArc ? TEnds{ArcPoint(s, s.StartAngle), ArcPoint(s, s.EndAngle)}
                                       : TEnds{s.P1, s.P2});
    auto snap = [&](TPoint& P, std::size_t Self) {
        const TPoint* best = nullptr;
        std::int64_t bestD = kJoinDistance2 + 1;
        for (int pass = 0; pass < 2 && !best; ++pass)  // lines first, then earlier arcs
            for (std::size_t j = 0; j < (pass == 0 ? segs.size() : Self); ++j) {
                if (j == Self || (pass == 0) != (segs[j].Kind != psArc)) continue;
                for (const TPoint* q : {&ends[j].Start, &ends[j].End}) {
                    const std::int64_t d = Distance2(P, *q);
                    if (d < bestD) {
                        bestD = d;
                        best = q;
                    }
                }
            }
        if (best) P = *best;
    };
    for (std::size_t i = 0; i < segs.size(); ++i) {
        if (segs[i].Kind != psArc || IsWholeCircle(segs[i])) continue;
        snap(ends[i].Start, i);
        snap(ends[i].End, i);
    }
    return ends;
}

// One segment of a closed loop, run forward or backward.
struct TLoopStep {
    std::size_t Index;
    bool Reversed;
};

// Closed loops of segments joined end to end; Rest gets every segment that
// belongs to none (whole circles, open chains), in outline order.
std::vector<std::vector<TLoopStep>> ClosedLoops(const TExtPolyline& Outline,
                                                const std::vector<TEnds>& Ends,
                                                std::vector<std::size_t>& Rest) {
    const std::vector<TPolySegment>& segs = Outline.Segments();
    std::vector<bool> used(segs.size(), false);
    std::vector<std::vector<TLoopStep>> loops;
    for (std::size_t i = 0; i < segs.size(); ++i) {
        if (used[i] || IsWholeCircle(segs[i])) continue;
        std::vector<TLoopStep> loop{{i, false}};
        used[i] = true;
        TPoint at = Ends[i].End;
        while (!(at == Ends[i].Start)) {
            bool found = false;
            for (std::size_t j = 0; j < segs.size() && !found; ++j) {
                if (used[j] || IsWholeCircle(segs[j])) continue;
                if (Ends[j].Start == at || Ends[j].End == at) {
                    const bool reversed = !(Ends[j].Start == at);
                    loop.push_back({j, reversed});
                    used[j] = true;
                    at = reversed ? Ends[j].Start : Ends[j].End;
                    found = true;
                }
            }
            if (!found) break;
        }
        if (at == Ends[i].Start) {
            loops.push_back(std::move(loop));
        } else {
            for (const TLoopStep& s : loop) used[s.Index] = false;
            used[i] = true;  // an open chain starts here: written entity by entity
        }
    }
    Rest.clear();
    std::vector<bool> inLoop(segs.size(), false);
    for (const auto& loop : loops)
        for (const TLoopStep& s : loop) inLoop[s.Index] = true;
    for (std::size_t i = 0; i < segs.size(); ++i)
        if (!inLoop[i]) Rest.push_back(i);
    return loops;
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
    auto ux = [ox](TPoint P) { return User(ox + P.X); };
    auto uy = [oy](TPoint P) { return User(oy - P.Y); };
    const std::vector<TPolySegment>& segs = Outline.Segments();
    const std::vector<TEnds> ends = JoinedEnds(Outline);
    std::vector<std::size_t> rest;
    std::vector<std::vector<TLoopStep>> loops;
    if (DxfExportLines) {
        for (std::size_t i = 0; i < segs.size(); ++i) rest.push_back(i);
    } else {
        loops = ClosedLoops(Outline, ends, rest);
    }
    // A closed loop is one closed polyline, its arcs given by their bulge:
    // every vertex is written once, so the outline closes exactly.
    for (const std::vector<TLoopStep>& loop : loops) {
        std::vector<std::pair<TPoint, double>> vertices;  // each with its bulge
        for (const TLoopStep& step : loop) {
            const TPolySegment& s = segs[step.Index];
            const TPoint from = step.Reversed ? ends[step.Index].End : ends[step.Index].Start;
            const TPoint to = step.Reversed ? ends[step.Index].Start : ends[step.Index].End;
            if (from == to) continue;
            double bulge = 0;
            if (s.Kind == psArc) {
                // Y up: an arc through growing angles (Clockwise) turns clockwise.
                bulge = std::tan(Sweep(s) / 4) * (s.Clockwise ? -1 : 1) * (step.Reversed ? -1 : 1);
            }
            vertices.emplace_back(from, bulge);
        }
        if (vertices.size() < 2) continue;  // a loop that has shrunk to a point
        Dxf.BeginPolyline(true);
        for (const auto& [v, bulge] : vertices) Dxf.WriteVertex(ux(v), uy(v), 0, bulge);
        Dxf.EndPolyline();
    }
    // Anything else entity by entity; an arc's angles point at its joined ends.
    for (const std::size_t i : rest) {
        const TPolySegment& s = segs[i];
        const TEnds& e = ends[i];
        if (s.Kind != psArc) {
            Dxf.WriteLine(ux(e.Start), uy(e.Start), 0, ux(e.End), uy(e.End), 0);
            continue;
        }
        if (IsWholeCircle(s)) {
            Dxf.WriteCircle(static_cast<double>(ox + s.Center.X),
                            static_cast<double>(oy - s.Center.Y), 0, s.Radius);
            continue;
        }
        if (e.Start == e.End) continue;  // nothing left of it after rounding
        // Rounding and joining leave the ends a little off the circle; the
        // centre moves onto the ends' perpendicular bisector, so both lie on
        // the arc written and a reader finds them where the neighbours end.
        const double ax = e.Start.X, ay = e.Start.Y, bx = e.End.X, by = e.End.Y;
        const double mx = (ax + bx) / 2, my = (ay + by) / 2;
        const double nx = -(by - ay), ny = bx - ax, nn = nx * nx + ny * ny;
        const double k = ((s.Center.X - mx) * nx + (s.Center.Y - my) * ny) / nn;
        const double cx = mx + k * nx, cy = my + k * ny;
        auto angle = [cx, cy](TPoint P) {
            const double a = std::atan2(-(static_cast<double>(P.Y) - cy), static_cast<double>(P.X) - cx);
            return NormalizeAngle(a) * kDegreesPerRadian;
        };
        // In user units, unrounded.
        const double x = (static_cast<double>(ox) + cx) / 1000.0;
        const double y = (static_cast<double>(oy) - cy) / 1000.0;
        const double r = std::hypot(ax - cx, ay - cy) / 1000.0;
        if (s.Clockwise)
            Dxf.WriteFineArc(x, y, 0, r, angle(e.End), angle(e.Start));
        else
            Dxf.WriteFineArc(x, y, 0, r, angle(e.Start), angle(e.End));
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
    const std::vector<TEnds> ends = JoinedEnds(Outline);
    for (std::size_t k = 0; k < Outline.Count(); ++k) {
        const TPolySegment& s = Outline.Segments()[k];
        if (s.Kind != psArc) {
            const TPoint a = Machine(s.P1.X, s.P1.Y, BaseY, Origin);
            const TPoint b = Machine(s.P2.X, s.P2.Y, BaseY, Origin);
            if (MergeCommonCuts) {
                MergeLineSet.AddLine(a, b, 0);
                continue;
            }
            F.push_back(XY("G0 X%sY%s", a));
            if (GCodeZMoves) F.push_back(Format("G1 Z %s", {CutZText}));
            F.push_back(XY("G1 X%sY%s", b));
            if (GCodeZMoves) F.push_back(Format("G0 Z %s", {SafeZText}));
            continue;
        }
        // The end points are rounded after the centre is added and meet the
        // segments next to them exactly.
        const std::int32_t sx = ends[k].Start.X, sy = ends[k].Start.Y;
        const TPoint a = Machine(sx, sy, BaseY, Origin);
        const TPoint b = Machine(ends[k].End.X, ends[k].End.Y, BaseY, Origin);
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
