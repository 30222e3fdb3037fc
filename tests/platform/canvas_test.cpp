// The drawing helpers every canvas shares (the rest of a canvas belongs to
// the platform or, in tests, to the recording stand-in).
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
    EXPECT_EQ(c.Ops[0].Points, (std::vector<TCanvasPoint>{{10, 20}, {30, 20}}));
    EXPECT_EQ(c.Ops[1].Points[0], (TCanvasPoint{30, 20}));
    EXPECT_EQ(c.PenPos(), (TCanvasPoint{30, 40}));
}

TEST(Canvas, FontSizeInPointsFollowsThePixelDensity) {
    RecordingCanvas c;
    c.Ppi = 600;
    c.SetFontSize(12);
    EXPECT_EQ(c.Font.Height, -100);
}
