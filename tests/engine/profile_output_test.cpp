#include "engine/profile_output.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "engine/dxfout.h"
#include "engine/errors.h"
#include "engine/pubstr.h"
#include "engine/shape_templates.h"
#include "engine/trapezium.h"
#include "support/recording_canvas.h"

namespace {

using testsupport::OpKind;
using testsupport::RecordingCanvas;
constexpr double kPi = std::numbers::pi;

void AddLine(TExtPolyline& o, TPoint a, TPoint b) {
    o.AddSegment(psLine, a, b, {}, 0, 0.0, 0.0, 0, "0");
}

void AddArc(TExtPolyline& o, TPoint c, int r, double from, double to, std::uint8_t cw) {
    o.AddSegment(psArc, {}, {}, c, r, from, to, cw, "0");
}

// A half disc of radius 1000 lying on its diameter (screen orientation):
// the chord along y = 1000, the arc over the top through (1000, 0).
TExtPolyline HalfDisc() {
    TExtPolyline o;
    AddLine(o, {0, 1000}, {2000, 1000});
    AddArc(o, {1000, 1000}, 1000, kPi, 2 * kPi, 1);
    o.Length = 2000;
    o.Width = 1000;
    return o;
}

TDXFOut Writer() {
    return TDXFOut(3, 0, 0, 100, 100, 0, 0, 100, 100, 0);
}

// The value following group code Code in the n-th entity of type Entity.
std::vector<std::string> Entity(const TDXFOut& d, const std::string& type, int n = 0) {
    const auto& l = d.Lines;
    for (std::size_t i = 0; i + 1 < l.size(); i += 2) {
        if (l[i] != "0" || l[i + 1] != type || n-- > 0) continue;
        std::vector<std::string> out;
        for (std::size_t j = i + 2; j + 1 < l.size() && l[j] != "0"; j += 2) {
            out.push_back(l[j] + "=" + l[j + 1]);
        }
        return out;
    }
    return {};
}

int CountEntities(const TDXFOut& d, const std::string& type) {
    int n = 0;
    for (std::size_t i = 0; i + 1 < d.Lines.size(); i += 2)
        if (d.Lines[i] == "0" && d.Lines[i + 1] == type) ++n;
    return n;
}

}  // namespace

TEST(ProfileDraw, LinesAndArcAtScaledPositions) {
    RecordingCanvas c;
    DrawProfile(HalfDisc(), {10, 20}, {0, 0}, c, 0.01, "P", false, false, false, platform::clRed,
                "");
    auto lines = c.OfKind(OpKind::Line);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].Points[0], (platform::TCanvasPoint{10, 30}));
    EXPECT_EQ(lines[0].Points[1], (platform::TCanvasPoint{30, 30}));
    EXPECT_EQ(lines[0].Pen.Color, platform::clRed);
    auto arcs = c.OfKind(OpKind::Arc);
    ASSERT_EQ(arcs.size(), 1u);
    // Full-circle box, then (Clockwise set) the end ray before the start ray:
    // the canvas runs counter-clockwise from the right end over the top.
    const std::vector<platform::TCanvasPoint> expect{{10, 20}, {30, 40}, {30, 30}, {10, 30}};
    EXPECT_EQ(arcs[0].Points, expect);
    EXPECT_TRUE(c.Texts().empty());

    // Clockwise clear: the start ray first.
    TExtPolyline o;
    AddArc(o, {100, 100}, 100, 0, kPi / 2, 0);
    c.Clear();
    DrawProfile(o, {0, 0}, {0, 0}, c, 1.0, "", false, false, false, platform::clBlack, "");
    arcs = c.OfKind(OpKind::Arc);
    ASSERT_EQ(arcs.size(), 1u);
    EXPECT_EQ(arcs[0].Points[2], (platform::TCanvasPoint{200, 100}));
    EXPECT_EQ(arcs[0].Points[3], (platform::TCanvasPoint{100, 200}));
}

TEST(ProfileDraw, LabelTextsLengthsAndCoordinates) {
    TExtPolyline o;
    AddLine(o, {0, 0}, {3000, 0});
    AddLine(o, {3000, 0}, {0, 4000});
    AddLine(o, {0, 4000}, {0, 0});
    o.Length = 3000;
    o.Width = 4000;
    RecordingCanvas c;
    c.CharWidth = 6;
    c.Font.Height = -10;
    DrawProfile(o, {100, 100}, {500, 0}, c, 0.1, "AB", true, true, true, platform::clBlue, "x2");
    // Label point: mean of the ends (1000, 1333) -> (200, 233) on screen,
    // moved left by half the text width and up by half its height.
    const auto* label = c.FindText("AB");
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->Points[0], (platform::TCanvasPoint{194, 228}));
    const auto* extra = c.FindText("x2");
    ASSERT_NE(extra, nullptr);
    EXPECT_EQ(extra->Points[0], (platform::TCanvasPoint{194, 238}));
    // The slanted side is 5 long, its middle at (150, 200) + origin.
    const auto* len = c.FindText("5");
    ASSERT_NE(len, nullptr);
    EXPECT_EQ(len->Points[0], (platform::TCanvasPoint{250, 300}));
    // Coordinates carry the offset.
    const auto* corner = c.FindText("(3.5,0)");
    ASSERT_NE(corner, nullptr);
    EXPECT_EQ(corner->Points[0], (platform::TCanvasPoint{400, 100}));
    EXPECT_EQ(c.Count(OpKind::Line), 3u);
}

TEST(ProfileDraw, PrinterFontsAndCommentLines) {
    TExtPolyline o = HalfDisc();
    RecordingCanvas c;
    LabelFontName = "LabelFace";
    LabelFontSize = 30;
    DimFontName = "DimFace";
    PositionFontName = "PosFace";
    PrintingComment = true;
    DrawProfileDimensioned(o, {0, 0}, {0, 0}, c, 0.1, "L", true, true, true, platform::clBlack, "",
                           "comment", 3000);
    const auto* label = c.FindText("L");
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->Font.Name, "LabelFace");
    EXPECT_EQ(label->Font.Height, -30);
    // Text2 is empty: only the comment, two lines below the label.
    const auto* comment = c.FindText("comment");
    ASSERT_NE(comment, nullptr);
    EXPECT_EQ(comment->Points[0].Y, label->Points[0].Y + 60);
    const auto* len = c.FindText("2");
    ASSERT_NE(len, nullptr);
    EXPECT_EQ(len->Font.Name, "DimFace");
    const auto* pos = c.FindText("(0,1)");
    ASSERT_NE(pos, nullptr);
    EXPECT_EQ(pos->Font.Name, "PosFace");

    c.Clear();
    AutoPrinterFontSize = true;
    AutoPrinterFontZoom = 100;
    PrintingComment = false;
    DrawProfileDimensioned(o, {0, 0}, {0, 0}, c, 0.1, "L", true, false, false, platform::clBlack,
                           "extra", "comment", 3050);
    EXPECT_EQ(c.FindText("L")->Font.Height, -30);
    EXPECT_EQ(c.Texts().size(), 1u);
    // A zero zoom falls back to the fixed size instead of dividing by zero.
    AutoPrinterFontZoom = 0;
    EXPECT_EQ(PrinterFontHeight(25, 3000), -25);
}

TEST(ProfileDxf, LinesTurnedUpAndCircleForFullTurn) {
    TExtPolyline o;
    AddLine(o, {0, 0}, {2000, 500});
    AddArc(o, {1000, 1000}, 500, 0, 2 * kPi, 0);
    AddArc(o, {1000, 1000}, 500, kPi / 2, kPi / 2, 1);
    TDXFOut d = Writer();
    WriteProfileDXF(o, {10000, 20000}, d, "parts", "lab", false);
    auto line = Entity(d, "LINE");
    const std::vector<std::string> expect{"8=parts",   "10=10.000", "20=20.000", "30=0.000",
                                          "11=12.000", "21=19.500", "31=0.000"};
    EXPECT_EQ(line, expect);
    EXPECT_EQ(CountEntities(d, "CIRCLE"), 2);
    EXPECT_EQ(CountEntities(d, "ARC"), 0);
    auto circle = Entity(d, "CIRCLE");
    EXPECT_EQ(circle[1], "10=11.000");
    EXPECT_EQ(circle[2], "20=19.000");
    EXPECT_EQ(circle[4], "40=0.500");
    EXPECT_EQ(CountEntities(d, "TEXT"), 0);
}

// Drawn as single entities, arcs point exactly at their ends.
TEST(ProfileDxf, ArcAnglesBothDirections) {
    DxfExportLines = true;
    TExtPolyline o;
    AddArc(o, {0, 0}, 1000, 0, kPi / 2, 0);
    AddArc(o, {0, 0}, 1000, 0, kPi / 2, 1);
    TDXFOut d = Writer();
    WriteProfileDXF(o, {0, 0}, d, "p", "", false);
    auto a = Entity(d, "ARC", 0);
    EXPECT_EQ(a[5], "50=360.000");
    EXPECT_EQ(a[6], "51=270.000");
    auto b = Entity(d, "ARC", 1);
    EXPECT_EQ(b[5], "50=270.000");
    EXPECT_EQ(b[6], "51=360.000");

    TExtPolyline tiny;  // stays an arc
    AddArc(tiny, {0, 0}, 1000, 0.001, 0.002, 1);
    TDXFOut t = Writer();
    WriteProfileDXF(tiny, {0, 0}, t, "p", "", false);
    EXPECT_EQ(CountEntities(t, "ARC"), 1);
    EXPECT_EQ(CountEntities(t, "CIRCLE"), 0);
}

// Drawn as separate entities, the outline of every disc template stays
// closed in each quarter turn: each entity's ends, an arc's as a reader
// works them out from centre, radius and angles, meet another entity's end.
TEST(ProfileDxf, EntitiesOfAnOutlineShareTheirEnds) {
    DxfExportLines = true;
    using Maker = bool (*)(T2DStock&, const std::string&, const std::string&, const std::string&,
                           const std::string&, const std::string&, const std::string&);
    const struct {
        Maker Make;
        const char* P1;
        const char* P2;
        const char* P3;
    } shapes[] = {{MakeDisc1Profile, "433.7", "91.3", ""},
                  {MakeDisc2Profile, "433.7", "301.9", ""},
                  {MakeDisc3Profile, "251.3", "37", ""},
                  {MakeDisc4Profile, "187.9", "113", "61.7"}};
    for (const auto& shape : shapes) {
        T2DStock piece;
        piece.Label = "D";
        ASSERT_TRUE(shape.Make(piece, shape.P1, shape.P2, shape.P3, "", "", "")) << shape.P1;
        for (int turn = 0; turn < 4; ++turn) {
            TDXFOut d = Writer();
            WriteProfileDXF(TrapeziumList.FindByLabel("D")->OutlineB[turn], {12345, 67891}, d, "p",
                            "", false);
            std::vector<std::pair<double, double>> ends;
            for (int n = 0; n < CountEntities(d, "LINE"); ++n) {
                const auto e = Entity(d, "LINE", n);
                auto v = [&e](int i) { return std::stod(e[i].substr(e[i].find('=') + 1)); };
                ends.emplace_back(v(1), v(2));
                ends.emplace_back(v(4), v(5));
            }
            const int arcs = CountEntities(d, "ARC");
            EXPECT_GT(arcs, 0);
            for (int n = 0; n < arcs; ++n) {
                const auto e = Entity(d, "ARC", n);
                auto v = [&e](int i) { return std::stod(e[i].substr(e[i].find('=') + 1)); };
                for (int a : {5, 6}) {
                    const double rad = v(a) * kPi / 180;
                    ends.emplace_back(v(1) + v(4) * std::cos(rad), v(2) + v(4) * std::sin(rad));
                }
            }
            for (std::size_t i = 0; i < ends.size(); ++i) {
                double nearest = 1e9;
                for (std::size_t j = 0; j < ends.size(); ++j)
                    if (j / 2 != i / 2)
                        nearest = std::min(nearest, std::hypot(ends[i].first - ends[j].first,
                                                               ends[i].second - ends[j].second));
                EXPECT_LT(nearest, 1e-7) << shape.P1 << " turn " << turn << " end " << i;
            }
        }
    }
}

// A closed outline is one closed polyline whose arcs are bulges: the line
// from left to right, then the arc back over the top, counter-clockwise.
TEST(ProfileDxf, ClosedOutlineIsOnePolyline) {
    TDXFOut d = Writer();
    WriteProfileDXF(HalfDisc(), {0, 10000}, d, "p", "", false);
    EXPECT_EQ(CountEntities(d, "LINE") + CountEntities(d, "ARC"), 0);
    EXPECT_EQ(Entity(d, "POLYLINE")[5], "70=1");
    EXPECT_EQ(Entity(d, "VERTEX", 0), (std::vector<std::string>{"8=p", "10=0.000", "20=9.000", "30=0.000", "70=1"}));
    EXPECT_EQ(Entity(d, "VERTEX", 1), (std::vector<std::string>{"8=p", "10=2.000", "20=9.000", "30=0.000",
                                                            "42=1.000000000", "70=1"}));
    EXPECT_EQ(CountEntities(d, "VERTEX"), 2);
}

TEST(ProfileDxf, LabelOnItsLayerInUserUnits) {
    TExtPolyline o = HalfDisc();  // two segments: label at the box middle (1000, 500)
    TDXFOut d = Writer();
    WriteProfileDXF(o, {0, 10000}, d, "parts", "ABCDEFGHIJ", true);
    auto t = Entity(d, "TEXT");
    ASSERT_FALSE(t.empty());
    EXPECT_EQ(t[0], "8=parts label");
    // 10 characters, height 4: 15 internal units left of the centre, 2 above it.
    EXPECT_EQ(t[1], "10=0.985");
    EXPECT_EQ(t[2], "20=9.502");
    EXPECT_EQ(t[4], "40=4.000");
}

TEST(ProfileGCode, LinesWithAndWithoutZMoves) {
    MergeCommonCuts = false;
    GCodeZMoves = false;
    TExtPolyline o;
    AddLine(o, {0, 0}, {1500, 250});
    std::vector<std::string> f;
    WriteProfileGCode(o, 1000, {0, 0}, f, "P", "-1", "5");
    EXPECT_EQ(f, (std::vector<std::string>{"!P", "G0 X0Y1", "G1 X1.5Y0.75"}));
    GCodeZMoves = true;
    f.clear();
    WriteProfileGCode(o, 1000, {0, 0}, f, "P", "-1", "5");
    EXPECT_EQ(f, (std::vector<std::string>{"!P", "G0 X0Y1", "G1 Z -1", "G1 X1.5Y0.75", "G0 Z 5"}));
}

TEST(ProfileGCode, ArcDirectionAndCentreOffset) {
    // Over the top on screen from the right end to the left end: through
    // decreasing angles (Clockwise clear), counter-clockwise on the machine.
    TExtPolyline o;
    AddArc(o, {1000, 1000}, 1000, 2 * kPi, kPi, 0);
    std::vector<std::string> f;
    WriteProfileGCode(o, 5000, {0, 0}, f, "arc", "-1", "5");
    EXPECT_EQ(f, (std::vector<std::string>{"!arc", "G0 X2Y4", "G1 Z -1", "G3 X0Y4I-1.000J0.000",
                                           "G0 Z 5"}));
    // Under the centre on screen: clockwise on the machine.
    TExtPolyline u;
    AddArc(u, {1000, 1000}, 1000, 0, kPi, 1);
    f.clear();
    GCodeZMoves = false;
    WriteProfileGCode(u, 5000, {250, 0}, f, "arc", "-1", "5");
    EXPECT_EQ(f, (std::vector<std::string>{"!arc", "G0 X2.25Y4", "G2 X0.25Y4I-1.000J0.000"}));
}

TEST(ProfileGCode, ArcEndsRoundedAfterAddingTheCentre) {
    // sin(pi/6) is a hair under 0.5; adding the centre 1 gives exactly 1.5,
    // which rounds to 2, where rounding the offset alone and adding gives 1.
    TExtPolyline o;
    AddArc(o, {0, 1}, 1, kPi / 6, kPi / 2, 1);
    MergeCommonCuts = false;
    GCodeZMoves = false;
    std::vector<std::string> f;
    WriteProfileGCode(o, 0, {0, 0}, f, "", "", "");
    ASSERT_EQ(f.size(), 3u);
    EXPECT_EQ(f[1], "G0 X0.001Y-0.002");
}

TEST(ProfileGCode, CommentCannotInjectLines) {
    std::vector<std::string> f;
    WriteProfileGCode(TExtPolyline(), 0, {0, 0}, f, "A\r\nG0 X0", "", "");
    ASSERT_EQ(f.size(), 1u);
    EXPECT_EQ(f[0], "!A  G0 X0");
}

TEST(ProfileGCode, OverflowIsARangeError) {
    MergeCommonCuts = false;
    TExtPolyline o;
    AddLine(o, {0, 0}, {2000000000, 0});
    std::vector<std::string> f;
    EXPECT_THROW(WriteProfileGCode(o, 0, {2000000000, 0}, f, "", "", ""), ERangeError);
}
