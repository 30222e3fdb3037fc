#include <gtest/gtest.h>

#include "support/recording_canvas.h"

using namespace platform;
using testsupport::OpKind;
using testsupport::RecordingCanvas;

TEST(Canvas, LineToDrawsFromPenPositionAndMovesIt) {
    RecordingCanvas c;
    c.MoveTo(10, 20);
    c.LineTo(30, 20);
    c.LineTo(30, 40);
    ASSERT_EQ(c.Count(OpKind::Line), 2u);
    EXPECT_EQ(c.Ops[0].Points[0], (TCanvasPoint{10, 20}));
    EXPECT_EQ(c.Ops[0].Points[1], (TCanvasPoint{30, 20}));
    EXPECT_EQ(c.Ops[1].Points[0], (TCanvasPoint{30, 20}));
    EXPECT_EQ(c.PenPos(), (TCanvasPoint{30, 40}));
}

TEST(Canvas, PrimitivesUseThePenBrushAndFontInForce) {
    RecordingCanvas c;
    c.Pen.Color = clRed;
    c.Rectangle(0, 0, 5, 5);
    c.Pen.Color = clBlue;
    c.Pen.Mode = TPenMode::Xor;
    c.Brush.Style = TBrushStyle::Clear;
    c.Font.Direction = TTextDirection::Down;
    c.TextOut(1, 2, "W");
    EXPECT_EQ(c.Ops[0].Pen.Color, clRed);
    EXPECT_EQ(c.Ops[0].Pen.Mode, TPenMode::Copy);
    EXPECT_EQ(c.Ops[1].Pen.Color, clBlue);
    EXPECT_EQ(c.Ops[1].Pen.Mode, TPenMode::Xor);
    EXPECT_EQ(c.Ops[1].Brush.Style, TBrushStyle::Clear);
    EXPECT_EQ(c.Ops[1].Font.Direction, TTextDirection::Down);
}

TEST(Canvas, FocusRectangleDrawnTwiceIsErased) {
    RecordingCanvas c;
    const TCanvasRect a{1, 2, 30, 40}, b{5, 5, 20, 20};
    c.DrawFocusRect(a);
    c.DrawFocusRect(b);
    c.DrawFocusRect(a);
    ASSERT_EQ(c.VisibleFocusRects().size(), 1u);
    EXPECT_EQ(c.VisibleFocusRects()[0], b);
    c.DrawFocusRect(b);
    EXPECT_TRUE(c.VisibleFocusRects().empty());
}

TEST(Canvas, TextMetricsFollowTheFontHeight) {
    RecordingCanvas c;
    c.Font.Height = -11;
    EXPECT_EQ(c.TextExtent("abcd"), (TTextExtent{24, 11}));
    c.CharWidth = 7;
    EXPECT_EQ(c.TextWidth("abc"), 21);
    c.Ppi = 600;
    c.SetFontSize(12);
    EXPECT_EQ(c.Font.Height, -100);
    EXPECT_EQ(c.TextHeight("x"), 100);
}
