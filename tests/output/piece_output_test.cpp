#include "output/piece_output.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "engine/dxfout.h"
#include "engine/pubstr.h"
#include "output/placed_piece.h"
#include "support/recording_canvas.h"

namespace {

using placed_piece::AddTriangleShape;
using placed_piece::Piece;
using platform::TCanvasPoint;
using testsupport::OpKind;
using testsupport::RecordingCanvas;
using Lines = std::vector<std::string>;

TDXFOut Writer() {
    return TDXFOut(3, 0, 0, 100, 100, 0, 0, 100, 100, 0);
}

// Each entity of the drawing as its type followed by "code=value" items.
std::vector<std::vector<std::string>> Entities(const TDXFOut& d) {
    std::vector<std::vector<std::string>> out;
    for (std::size_t i = 0; i + 1 < d.Lines.size(); i += 2) {
        if (d.Lines[i] == "0")
            out.push_back({d.Lines[i + 1]});
        else if (!out.empty())
            out.back().push_back(d.Lines[i] + "=" + d.Lines[i + 1]);
    }
    return out;
}

}  // namespace

TEST(PieceNC, LabelCannotInjectLines) {
    Lines f;
    GCodeZMoves = false;
    WritePieceNC(Piece("C\nG0 Z-99", {0, 0}, 2000, 2000, skCircle), 10000, {0, 0}, f, "", "");
    ASSERT_EQ(f.size(), 3u);
    EXPECT_EQ(f[0], "!C G0 Z-99");
}

TEST(PieceNC, EllipseUpperThenLowerHalf) {
    Lines f;
    WritePieceNC(Piece("E", {0, 0}, 2000, 1000, skCircle), 1000, {0, 0}, f, "-1", "5");
    ASSERT_GT(f.size(), 10u);
    EXPECT_EQ(f[0], "!E");
    EXPECT_EQ(f[1], "G0 X0.00000Y0.50000");
    EXPECT_EQ(f[2], "G1 Z -1");
    EXPECT_EQ(f[f.size() - 2], "G1 X0.00000Y0.50000");
    EXPECT_EQ(f.back(), "G0 Z 5");
    // Every point lies on the ellipse within a chord's sag, below x = 2.
    for (std::size_t i = 3; i + 1 < f.size(); ++i) {
        double x = 0, y = 0;
        ASSERT_EQ(std::sscanf(f[i].c_str(), "G1 X%lfY%lf", &x, &y), 2) << f[i];
        EXPECT_LE(x, 2.0);
        const double u = (x - 1.0), v = (y - 0.5) / 0.5;
        EXPECT_NEAR(u * u + v * v, 1.0, 0.05) << f[i];
    }
    GCodeZMoves = false;
    Lines g;
    WritePieceNC(Piece("E", {0, 0}, 2000, 1000, skCircle), 1000, {0, 0}, g, "-1", "5");
    EXPECT_EQ(g.size(), f.size() - 2);
}

TEST(PieceNC, EllipseWithoutLengthIsAStraightCut) {
    GCodeZMoves = false;
    Lines f;
    WritePieceNC(Piece("E", {0, 0}, 0, 1000, skCircle), 1000, {0, 0}, f, "", "");
    EXPECT_EQ(f, (Lines{"!E", "G0 X0.00000Y1.00000", "G1 X0.00000Y0.00000"}));
}

TEST(PieceNC, ShapedPartWritesItsOutlineAtThePiece) {
    AddTriangleShape("S");
    MergeCommonCuts = false;
    GCodeZMoves = false;
    T2DStock p = Piece("S", {1000, 0}, 4000, 3000, skShaped);
    p.TurnState = 0;
    Lines f;
    WritePieceNC(p, 10000, {10, 20}, f, "-1", "5");
    ASSERT_EQ(f.size(), 7u);
    EXPECT_EQ(f[0], "!S");
    EXPECT_EQ(f[1], "G0 X1.01Y9.98");
    EXPECT_EQ(f[2], "G1 X5.01Y9.98");

    // No shape for the label: nothing at all.
    f.clear();
    p.Label = "other";
    WritePieceNC(p, 10000, {10, 20}, f, "-1", "5");
    EXPECT_TRUE(f.empty());
}

TEST(PieceDxf, TypedSizesAndLongLabel) {
    TDXFOut d = Writer();
    T2DStock p = Piece("ABCDEFGHIJ", {0, 0}, 40000, 20000);
    p.WidthText = "20";
    WritePieceDXF(p, {0, 0}, d, "parts", true, true, false);
    auto e = Entities(d);
    // Ten characters at height 4 start 15 internal units left of the centre (20).
    EXPECT_EQ(e[0][2], "10=19.985");
    EXPECT_EQ(e[1][6], "1=X20");
}

TEST(PieceDxf, CircleAndEllipse) {
    TDXFOut d = Writer();
    WritePieceDXF(Piece("C", {1000, 1000}, 2000, 2000, skCircle), {0, 0}, d, "parts", false, true,
                  true);
    WritePieceDXF(Piece("E", {0, 0}, 2000, 1000, skCircle), {0, 0}, d, "offcuts", false, false,
                  false);
    auto e = Entities(d);
    ASSERT_GE(e.size(), 2u);
    EXPECT_EQ(e[0], (Lines{"CIRCLE", "8=parts", "10=2.000", "20=-2.000", "30=0.000", "40=1.000"}));
    EXPECT_EQ(e[1][0], "POLYLINE");
    EXPECT_EQ(e[1][1], "8=offcuts");
}

TEST(PieceDxf, SmallOffcutWritesNothingAndShapedPartItsOutline) {
    MinScrapLength = 5000;
    MinScrapWidth = 5000;
    TDXFOut d = Writer();
    WritePieceDXF(Piece("OFFCUT_1", {0, 0}, 1000, 1000), {0, 0}, d, "offcuts", true, true, true);
    EXPECT_TRUE(d.Lines.empty());

    AddTriangleShape("S");
    T2DStock p = Piece("S", {1000, 0}, 3000, 4000, skShaped);
    p.TurnState = 1;
    WritePieceDXF(p, {0, -500}, d, "parts", false, false, false);
    auto e = Entities(d);
    ASSERT_EQ(e.size(), 5u);  // POLYLINE, three VERTEX, SEQEND
    // Turned a quarter, the first side runs (3000, 0) -> (3000, 4000).
    EXPECT_EQ(e[1], (Lines{"VERTEX", "8=parts", "10=4.000", "20=-0.500", "30=0.000", "70=1"}));
    EXPECT_EQ(e[2], (Lines{"VERTEX", "8=parts", "10=4.000", "20=-4.500", "30=0.000", "70=1"}));
}

TEST(PiecePrint, RectangleLabelCommentsSizesAndOutline) {
    RecordingCanvas c;
    c.CharWidth = 6;
    AutoPrinterFontSize = true;
    AutoPrinterFontZoom = 99;
    PrintingComment = true;
    LabelFontName = "Label";
    DimFontName = "Dim";
    T2DStock p = Piece("P1", {1000, 2000}, 3000, 2000);
    p.ExtraText = "e";
    p.Comment = "c";
    PrintPiece(p, {50, 60}, c, true, 0.1, true, true, 990);
    // Box (150, 260)-(450, 460), fonts 10 pixels high.
    const auto* label = c.FindText("P1");
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->Points[0], (TCanvasPoint{294, 349}));
    EXPECT_EQ(label->Font.Name, "Label");
    EXPECT_EQ(label->Font.Height, -10);
    EXPECT_EQ(c.FindText("e")->Points[0], (TCanvasPoint{294, 360}));
    EXPECT_EQ(c.FindText("c")->Points[0], (TCanvasPoint{294, 376}));
    EXPECT_EQ(c.FindText("(1,2)")->Points[0], (TCanvasPoint{151, 261}));
    const auto* len = c.FindText("3");
    EXPECT_EQ(len->Points[0], (TCanvasPoint{297, 447}));
    EXPECT_EQ(len->Font.Name, "Dim");
    const auto* wid = c.FindText("2");
    EXPECT_EQ(wid->Points[0], (TCanvasPoint{449, 359}));
    EXPECT_EQ(wid->Font.Direction, platform::TTextDirection::Down);
    auto lines = c.OfKind(OpKind::Line);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0].Points, (std::vector<TCanvasPoint>{{150, 260}, {450, 260}}));
    EXPECT_EQ(lines[2].Points, (std::vector<TCanvasPoint>{{450, 460}, {150, 460}}));
}

TEST(PiecePrint, RectangleLabelWithoutRoomStillPrinted) {
    RecordingCanvas c;
    c.CharWidth = 6;
    AutoPrinterFontSize = false;
    LabelFontSize = 10;
    PrintPiece(Piece("LONGLABEL", {0, 0}, 200, 200), {0, 0}, c, true, 0.1, false, false, 1000);
    EXPECT_NE(c.FindText("LONGLABEL"), nullptr);
    // A circle needs the room.
    c.Clear();
    PrintPiece(Piece("LONGLABEL", {0, 0}, 200, 200, skCircle), {0, 0}, c, true, 0.1, false, false,
               1000);
    EXPECT_EQ(c.FindText("LONGLABEL"), nullptr);
    EXPECT_EQ(c.Count(OpKind::Arc), 1u);
}
