#include "output/piece_draw.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/pubstr.h"
#include "output/placed_piece.h"
#include "support/recording_canvas.h"

namespace {

using placed_piece::AddTriangleShape;
using placed_piece::Piece;
using platform::TCanvasPoint;
using testsupport::CanvasOp;
using testsupport::OpKind;
using testsupport::RecordingCanvas;

RecordingCanvas Canvas() {
    RecordingCanvas c;
    c.CharWidth = 6;
    return c;
}

std::vector<std::vector<TCanvasPoint>> Lines(const RecordingCanvas& c) {
    std::vector<std::vector<TCanvasPoint>> out;
    for (const CanvasOp& op : c.OfKind(OpKind::Line)) out.push_back(op.Points);
    return out;
}

}  // namespace

TEST(PieceLabel, OffcutOnlyByItsPrefix) {
    EXPECT_EQ(PieceLabelPrefix("OFFCUT_12"), "OFFCUT_");
    EXPECT_EQ(PieceLabelPrefix("door"), "door");
    EXPECT_TRUE(IsOffcutPiece(Piece("OFFCUT_1", {}, 1, 1)));
    EXPECT_TRUE(IsOffcutPiece(Piece("ZEROOFFCUT_2", {}, 1, 1)));
    EXPECT_FALSE(IsOffcutPiece(Piece("MY_OFFCUT_1", {}, 1, 1)));
    EXPECT_FALSE(IsOffcutPiece(Piece("XOFFCUT_1", {}, 1, 1)));
    EXPECT_FALSE(IsOffcutPiece(Piece("OFFCUT", {}, 1, 1)));
}

TEST(PieceDraw, RectangleAtItsPlaceWithLabelAndSizes) {
    RecordingCanvas c = Canvas();
    T2DStock p = Piece("P1", {1000, 2000}, 3000, 2000);
    DrawPiece(p, {5, 7}, c, 0.1, true, true, false, platform::clGreen, platform::clRed, true);
    // Box (105, 207)-(405, 407); label 14 x 13 with its margin.
    const auto* label = c.FindText("P1");
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->Points[0], (TCanvasPoint{249, 295}));
    EXPECT_EQ(label->Font.Height, -11);
    const auto* len = c.FindText("3");
    ASSERT_NE(len, nullptr);
    EXPECT_EQ(len->Points[0], (TCanvasPoint{253, 395}));
    const auto* wid = c.FindText("2");
    ASSERT_NE(wid, nullptr);
    EXPECT_EQ(wid->Points[0], (TCanvasPoint{404, 306}));
    EXPECT_EQ(wid->Font.Direction, platform::TTextDirection::Down);
    EXPECT_EQ(c.Font.Direction, platform::TTextDirection::Horizontal);
    const std::vector<std::vector<TCanvasPoint>> expect{{{105, 207}, {405, 207}},
                                                        {{405, 207}, {405, 407}},
                                                        {{405, 407}, {105, 407}},
                                                        {{105, 407}, {105, 207}}};
    EXPECT_EQ(Lines(c), expect);
    EXPECT_EQ(c.OfKind(OpKind::Line)[0].Pen.Color, platform::clGreen);
}

TEST(PieceDraw, TypedSizesPositionAndNetSize) {
    BladeWidth = 100;
    RecordingCanvas c = Canvas();
    T2DStock p = Piece("P", {1500, 0}, 5100, 2100);
    p.LengthText = "5 1/2";
    DrawPiece(p, {0, 0}, c, 0.1, false, true, true, 0, 0, true);
    EXPECT_NE(c.FindText("5 1/2"), nullptr);
    EXPECT_NE(c.FindText("2"), nullptr);  // net width 2100 - 100
    const auto* pos = c.FindText("(1.5,0)");
    ASSERT_NE(pos, nullptr);
    EXPECT_EQ(pos->Points[0], (TCanvasPoint{151, 1}));
}

TEST(PieceDraw, NarrowPieceDropsLabelButKeepsSizes) {
    RecordingCanvas c = Canvas();
    T2DStock p = Piece("LONGLABEL", {0, 0}, 500, 3000);
    p.ExtraText = "x";
    DrawPiece(p, {0, 0}, c, 0.1, true, true, false, 0, 0, true);
    EXPECT_EQ(c.FindText("LONGLABEL"), nullptr);
    EXPECT_EQ(c.FindText("x"), nullptr);
    EXPECT_NE(c.FindText("0.5"), nullptr);
    EXPECT_NE(c.FindText("3"), nullptr);
}

TEST(PieceDraw, ExtraTextBelowTheLabel) {
    RecordingCanvas c = Canvas();
    T2DStock p = Piece("A", {0, 0}, 2000, 2000);
    p.ExtraText = "2/5";
    DrawPiece(p, {0, 0}, c, 0.1, true, false, false, 0, 0, true);
    // th = 13: label at 1 + 100 - 13, extra at 1 + (200 - 26) / 2 + 12.
    EXPECT_EQ(c.FindText("A")->Points[0].Y, 88);
    EXPECT_EQ(c.FindText("2/5")->Points[0].Y, 100);
}

TEST(PieceDraw, SmallOffcutsAreNotDrawn) {
    MinScrapLength = 500;
    MinScrapWidth = 200;
    OffcutLenRotatable = false;
    RecordingCanvas c = Canvas();
    DrawPiece(Piece("ZEROOFFCUT_3", {0, 0}, 100, 100), {0, 0}, c, 1, true, true, true, 0, 0, true);
    EXPECT_TRUE(c.Ops.empty());

    T2DStock off = Piece("OFFCUT_1", {0, 0}, 300, 800);
    DrawPiece(off, {0, 0}, c, 1, false, false, false, 0, 0, true);
    EXPECT_TRUE(c.Ops.empty());
    OffcutLenRotatable = true;
    DrawPiece(off, {0, 0}, c, 1, false, false, false, platform::clGreen, platform::clRed, true);
    ASSERT_EQ(c.Count(OpKind::Line), 4u);
    EXPECT_EQ(c.Ops[0].Pen.Color, platform::clRed);

    // A part whose label only contains the prefix is drawn as a part.
    c.Clear();
    DrawPiece(Piece("MY_OFFCUT_1", {0, 0}, 100, 100), {0, 0}, c, 1, false, false, false,
              platform::clGreen, platform::clRed, true);
    ASSERT_EQ(c.Count(OpKind::Line), 4u);
    EXPECT_EQ(c.Ops[0].Pen.Color, platform::clGreen);
}

TEST(PieceDraw, OffcutOutlineInsetWhileTheKerfIsThin) {
    RecordingCanvas c = Canvas();
    BladeWidth = 30;  // 3 pixels
    DrawPiece(Piece("OFFCUT_1", {0, 0}, 1030, 530), {0, 0}, c, 0.1, false, false, false, 0, 0,
              true);
    EXPECT_EQ(Lines(c)[0], (std::vector<TCanvasPoint>{{2, 2}, {98, 2}}));
    c.Clear();
    BladeWidth = 40;  // 4 pixels
    DrawPiece(Piece("OFFCUT_1", {0, 0}, 1040, 540), {0, 0}, c, 0.1, false, false, false, 0, 0,
              true);
    EXPECT_EQ(Lines(c)[0], (std::vector<TCanvasPoint>{{0, 0}, {100, 0}}));
    // Parts are never inset.
    c.Clear();
    DrawPiece(Piece("P", {0, 0}, 1040, 540), {0, 0}, c, 0.1, false, false, false, 0, 0, true);
    EXPECT_EQ(Lines(c)[0], (std::vector<TCanvasPoint>{{0, 0}, {100, 0}}));
}

TEST(PieceDraw, MergedCutLinesLeaveOutRectanglesButNotCircles) {
    RecordingCanvas c = Canvas();
    DrawPiece(Piece("R", {0, 0}, 1000, 1000), {0, 0}, c, 0.1, false, false, false, 0, 0, false);
    EXPECT_EQ(c.Count(OpKind::Line), 0u);
    DrawPiece(Piece("C", {1000, 0}, 1000, 500, skCircle), {0, 10}, c, 0.1, false, false, false, 0,
              0, false);
    auto arcs = c.OfKind(OpKind::Arc);
    ASSERT_EQ(arcs.size(), 1u);
    const std::vector<TCanvasPoint> expect{{100, 10}, {200, 60}, {100, 10}, {100, 10}};
    EXPECT_EQ(arcs[0].Points, expect);
}

TEST(PieceDraw, CircleLabelCentred) {
    RecordingCanvas c = Canvas();
    T2DStock p = Piece("C", {0, 0}, 2000, 2000, skCircle);
    p.ExtraText = "e";
    DrawPiece(p, {0, 0}, c, 0.1, true, true, true, 0, 0, true);
    // tw 8, th 13: (1 + 96, 1 + 93), extra 12 lower; no size or position texts.
    EXPECT_EQ(c.FindText("C")->Points[0], (TCanvasPoint{97, 94}));
    EXPECT_EQ(c.FindText("e")->Points[0], (TCanvasPoint{97, 106}));
    EXPECT_EQ(c.Texts().size(), 2u);
}

TEST(PieceDraw, TurnedShapedPartDrawsItsQuarterTurnOutline) {
    AddTriangleShape("S");
    T2DStock p = Piece("S", {1000, 0}, 3000, 4000, skShaped);
    p.TurnState = 1;
    RecordingCanvas c = Canvas();
    DrawPiece(p, {0, 0}, c, 0.01, false, false, false, platform::clBlue, platform::clRed, true);
    // Turned a quarter: (x, y) -> (3000 - y, x), at the piece box corner (10, 0).
    const std::vector<std::vector<TCanvasPoint>> expect{
        {{40, 0}, {40, 40}}, {{40, 40}, {10, 0}}, {{10, 0}, {40, 0}}};
    EXPECT_EQ(Lines(c), expect);
    EXPECT_EQ(c.Ops[0].Pen.Color, platform::clBlue);

    c.Clear();
    p.TurnState = 0;
    std::swap(p.Length, p.Width);
    DrawPiece(p, {0, 0}, c, 0.01, true, false, true, platform::clBlue, platform::clRed, true);
    EXPECT_EQ(Lines(c)[0], (std::vector<TCanvasPoint>{{10, 0}, {50, 0}}));
    EXPECT_NE(c.FindText("S"), nullptr);
    EXPECT_NE(c.FindText("(5,0)"), nullptr);  // coordinates on the sheet
}

// A disc template's outline (4000 x 3000, margin 500) in the box of its
// trapezium keeps the margin on both sides; in a box of its own size, as the
// seed builder leaves such pieces, it starts at the box corner.
TEST(PieceDraw, ShapedOutlineCentredInItsBox) {
    AddTriangleShape("D", 500);
    struct Row {
        std::int32_t Length, Width, Turn;
        std::vector<TCanvasPoint> FirstLine;
    };
    for (const Row& r : {Row{5000, 3000, 0, {{5, 0}, {45, 0}}}, Row{3000, 5000, 1, {{30, 5}, {30, 45}}},
                         Row{4000, 3000, 0, {{0, 0}, {40, 0}}}, Row{3000, 4000, 1, {{30, 0}, {30, 40}}}}) {
        T2DStock p = Piece("D", {0, 0}, r.Length, r.Width, skShaped);
        p.TurnState = r.Turn;
        RecordingCanvas c = Canvas();
        DrawPiece(p, {0, 0}, c, 0.01, false, false, false, 0, 0, true);
        EXPECT_EQ(Lines(c)[0], r.FirstLine) << r.Length << " x " << r.Width;
    }
}

TEST(PieceDraw, ShapedPartWithoutShapeDrawsNothing) {
    RecordingCanvas c = Canvas();
    DrawPiece(Piece("none", {0, 0}, 1000, 1000, skShaped), {0, 0}, c, 0.1, true, true, true, 0, 0,
              true);
    EXPECT_EQ(c.Count(OpKind::Line) + c.Count(OpKind::Text), 0u);
}

TEST(PieceHit, BoxEdgesAndSelectable) {
    T2DStock p = Piece("P", {1000, 500}, 2000, 1000);
    EXPECT_TRUE(PieceHitTest(p, 100, 50, 0.1));
    EXPECT_TRUE(PieceHitTest(p, 299, 149, 0.1));
    EXPECT_FALSE(PieceHitTest(p, 300, 100, 0.1));
    EXPECT_FALSE(PieceHitTest(p, 200, 150, 0.1));
    EXPECT_FALSE(PieceHitTest(p, 99, 100, 0.1));

    p.ShapeKind = skShaped;
    p.Selectable = false;
    EXPECT_FALSE(PieceHitTest(p, 200, 100, 0.1));
    EXPECT_TRUE(PieceHitTestMove(p, 200, 100, 0.1));
    p.ShapeKind = 3;
    EXPECT_TRUE(PieceHitTest(p, 200, 100, 0.1));
    EXPECT_FALSE(PieceHitTestMove(p, 200, 100, 0.1));
}

TEST(PieceHint, Texts) {
    T2DStock p = Piece("door", {0, 0}, 2000, 1000);
    EXPECT_EQ(PieceHintText(p), "Label: door , Length: 2 , Width: 1  ");
    p.ExtraText = "1/3";
    p.Comment = "oak";
    p.WidthText = "1 0/1";
    EXPECT_EQ(PieceHintText(p), "Label: door , Length: 2 , Width: 1 0/1 1/3 oak");

    T2DStock off = Piece("OFFCUT_2", {0, 0}, 2000, 1000);
    EXPECT_EQ(PieceHintText(off), "Offcut: OFFCUT_2 , Length: 2 , Width: 1  ");
    off.ShapeKind = skCircle;
    EXPECT_EQ(PieceHintText(off), "Label: OFFCUT_2 , Length: 2 , Width: 1  ");

    T2DStock s = Piece("tri", {0, 0}, 2000, 1000, skShaped);
    s.Comment = "c";
    std::string hint;
    PieceHintText(s, hint);
    EXPECT_EQ(hint, "Label: tri  c");
}
