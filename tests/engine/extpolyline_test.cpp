#include "engine/extpolyline.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "engine/errors.h"
#include "engine/pubstr.h"

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kTwoPi = 2.0 * std::numbers::pi;

void AddLine(TExtPolyline& o, TPoint a, TPoint b) {
    o.AddSegment(psLine, a, b, {}, 0, 0.0, 0.0, 0, "0");
}
void AddArc(TExtPolyline& o, TPoint c, int r, double s, double e, int cw) {
    o.AddSegment(psArc, {}, {}, c, r, s, e, static_cast<std::uint8_t>(cw), "0");
}

// Angles equal modulo a full turn.
bool SameDirection(double a, double b) {
    const double d = std::fabs(std::remainder(a - b, kTwoPi));
    return d < 1e-9;
}

// A box 100 x 50 with a line and an arc inside.
TExtPolyline Sample() {
    TExtPolyline o;
    o.SetLength(100);
    o.SetWidth(50);
    AddLine(o, {10, 5}, {90, 20});
    AddArc(o, {30, 25}, 10, 0.3, 2.0, 1);
    return o;
}

}  // namespace

TEST(NormalizeAngle, BringsAnglesIntoOneTurn) {
    EXPECT_DOUBLE_EQ(NormalizeAngle(0), kTwoPi);
    EXPECT_DOUBLE_EQ(NormalizeAngle(-kTwoPi), kTwoPi);
    EXPECT_DOUBLE_EQ(NormalizeAngle(-kPi / 2), 3 * kPi / 2);
    EXPECT_DOUBLE_EQ(NormalizeAngle(3 * kPi), kPi);
    EXPECT_DOUBLE_EQ(NormalizeAngle(7), 7 - kTwoPi);
    EXPECT_DOUBLE_EQ(NormalizeAngle(1.25), 1.25);
}

TEST(NormalizeAngle, QuadrantsIncludeTheirUpperBound) {
    EXPECT_EQ(AngleQuadrant(0.1), 0);
    EXPECT_EQ(AngleQuadrant(kPi / 2), 0);
    EXPECT_EQ(AngleQuadrant(kPi), 1);
    EXPECT_EQ(AngleQuadrant(4.0), 2);
    EXPECT_EQ(AngleQuadrant(0), 3);  // 0 counts as a full turn
    EXPECT_EQ(AngleQuadrant(-0.1), 3);
    EXPECT_EQ(AngleQuadrant(std::nan("")), -1);
}

TEST(ExtPolyline, AddSegmentKeepsOnlyTheFieldsOfItsKind) {
    TExtPolyline o;
    o.AddSegment(psLine, {1, 2}, {3, 4}, {5, 6}, 7, 0.5, 1.5, 1, "L1");
    o.AddSegment(psArc, {1, 2}, {3, 4}, {5, 6}, 7, 0.5, 1.5, 1, "L2");
    o.AddSegment(9, {1, 2}, {3, 4}, {5, 6}, 7, 0.5, 1.5, 1, "L3");
    ASSERT_EQ(o.Count(), 3u);

    const TPolySegment& line = o.Items(0);
    EXPECT_EQ(line.Kind, psLine);
    EXPECT_EQ(line.P2, (TPoint{3, 4}));
    EXPECT_EQ(line.Center, TPoint{});
    EXPECT_EQ(line.Radius, 0);
    EXPECT_EQ(line.Clockwise, 0);
    EXPECT_EQ(line.Name, "L1");

    const TPolySegment& arc = o.Items(1);
    EXPECT_EQ(arc.Kind, psArc);
    EXPECT_EQ(arc.P1, TPoint{});
    EXPECT_EQ(arc.Center, (TPoint{5, 6}));
    EXPECT_EQ(arc.Radius, 7);
    EXPECT_EQ(arc.EndAngle, 1.5);
    EXPECT_EQ(arc.Clockwise, 1);

    TPolySegment empty;
    empty.Name = "L3";
    EXPECT_EQ(o.Items(2), empty);
    EXPECT_THROW(o.Items(3), EListError);
}

TEST(ExtPolyline, AssignReplacesSegmentsAndExtents) {
    TExtPolyline target;
    AddLine(target, {0, 0}, {5, 5});
    AddLine(target, {5, 5}, {0, 0});
    AddLine(target, {5, 5}, {9, 0});
    const TExtPolyline source = Sample();
    target.Assign(source);
    EXPECT_EQ(target, source);
    target.Assign(target);
    EXPECT_EQ(target, source);
}

TEST(ExtPolylineTurns, MirrorReversesLinesAndArcs) {
    TExtPolyline o;
    o.SetLength(100);
    AddLine(o, {0, 0}, {100, 0});
    AddArc(o, {30, 10}, 5, 0.25, 1.0, 1);
    o.MirrorX();
    EXPECT_EQ(o.Items(0).P1, (TPoint{100, 0}));
    EXPECT_EQ(o.Items(0).P2, (TPoint{0, 0}));
    const TPolySegment& a = o.Items(1);
    EXPECT_EQ(a.Center, (TPoint{70, 10}));
    EXPECT_DOUBLE_EQ(a.StartAngle, kPi - 0.25);
    EXPECT_DOUBLE_EQ(a.EndAngle, kPi - 1.0);
    EXPECT_EQ(a.Clockwise, 0);
    EXPECT_EQ(o.Length, 100);
}

TEST(ExtPolylineTurns, QuarterTurnMovesPointsAndKeepsDirection) {
    TExtPolyline o = Sample();
    o.Rotate90();
    EXPECT_EQ(o.Length, 50);
    EXPECT_EQ(o.Width, 100);
    // (x, y) goes to (old Width - y, x).
    EXPECT_EQ(o.Items(0).P1, (TPoint{45, 10}));
    EXPECT_EQ(o.Items(0).P2, (TPoint{30, 90}));
    const TPolySegment& a = o.Items(1);
    EXPECT_EQ(a.Center, (TPoint{25, 30}));
    EXPECT_TRUE(SameDirection(a.StartAngle, 0.3 + kPi / 2));
    EXPECT_TRUE(SameDirection(a.EndAngle, 2.0 + kPi / 2));
    EXPECT_EQ(a.Clockwise, 1);
}

TEST(ExtPolylineTurns, FourQuarterTurnsRestoreTheOutline) {
    const TExtPolyline start = Sample();
    TExtPolyline o = start;
    for (int i = 0; i < 4; ++i) o.Rotate90();
    EXPECT_EQ(o.Length, start.Length);
    EXPECT_EQ(o.Width, start.Width);
    for (std::size_t i = 0; i < o.Count(); ++i) {
        EXPECT_EQ(o.Items(i).P1, start.Items(i).P1);
        EXPECT_EQ(o.Items(i).P2, start.Items(i).P2);
        EXPECT_EQ(o.Items(i).Center, start.Items(i).Center);
        EXPECT_EQ(o.Items(i).Clockwise, start.Items(i).Clockwise);
        EXPECT_TRUE(SameDirection(o.Items(i).StartAngle, start.Items(i).StartAngle));
        EXPECT_TRUE(SameDirection(o.Items(i).EndAngle, start.Items(i).EndAngle));
    }
}

TEST(ExtPolylineTurns, QuarterAndHalfTurnMakeThreeQuarters) {
    TExtPolyline a = Sample(), b = Sample();
    a.Rotate90();
    a.Rotate180();
    for (int i = 0; i < 3; ++i) b.Rotate90();
    EXPECT_EQ(a.Length, b.Length);
    EXPECT_EQ(a.Width, b.Width);
    EXPECT_EQ(a.Items(0).P1, b.Items(0).P1);
    EXPECT_EQ(a.Items(0).P2, b.Items(0).P2);
    EXPECT_EQ(a.Items(1).Center, b.Items(1).Center);
    EXPECT_TRUE(SameDirection(a.Items(1).StartAngle, b.Items(1).StartAngle));
    EXPECT_EQ(a.Items(1).Clockwise, b.Items(1).Clockwise);
    // Half turn about the box centre.
    TExtPolyline h = Sample();
    h.Rotate180();
    EXPECT_EQ(h.Items(0).P1, (TPoint{90, 45}));
    EXPECT_EQ(h.Items(1).Center, (TPoint{70, 25}));
}

TEST(ExtPolylineNormalize, MovesToOriginAndFlipsToScreen) {
    TExtPolyline o;
    AddLine(o, {10, 20}, {110, 70});
    AddLine(o, {110, 70}, {10, 70});
    std::string err = "x";
    o.Normalize(err);
    EXPECT_EQ(err, "");
    EXPECT_EQ(o.Length, 100);
    EXPECT_EQ(o.Width, 50);
    EXPECT_EQ(o.Items(0).P1, (TPoint{0, 50}));
    EXPECT_EQ(o.Items(0).P2, (TPoint{100, 0}));
    EXPECT_EQ(o.Items(1).P2, (TPoint{0, 0}));
}

TEST(ExtPolylineNormalize, QuarterArcBounds) {
    TExtPolyline o;
    AddArc(o, {0, 0}, 1000, 0, kPi / 2, 1);
    std::string err;
    o.Normalize(err);
    EXPECT_EQ(err, "");
    EXPECT_EQ(o.Length, 1000);
    EXPECT_EQ(o.Width, 1000);
    const TPolySegment& a = o.Items(0);
    EXPECT_EQ(a.Center, (TPoint{0, 1000}));
    EXPECT_EQ(a.Clockwise, 0);
    EXPECT_TRUE(SameDirection(a.StartAngle, 0));
    EXPECT_TRUE(SameDirection(a.EndAngle, -kPi / 2));
}

TEST(ExtPolylineNormalize, FullCircleGetsAllAxisPoints) {
    for (double end : {0.0, kTwoPi}) {
        TExtPolyline o;
        AddArc(o, {500, -300}, 1000, 0, end, 1);
        std::string err;
        o.Normalize(err);
        EXPECT_EQ(err, "");
        EXPECT_EQ(o.Length, 2000);
        EXPECT_EQ(o.Width, 2000);
        const TPolySegment& a = o.Items(0);
        EXPECT_EQ(a.Center, (TPoint{1000, 1000}));
        EXPECT_EQ(a.Clockwise, 0);
        EXPECT_TRUE(SameDirection(a.StartAngle, a.EndAngle));
    }
}

TEST(ExtPolylineNormalize, AnArcOfTheOtherSenseIsRunBackwards) {
    // Clockwise clear: from pi/2 down to 0, the same quarter as 0 up to pi/2.
    TExtPolyline o;
    AddArc(o, {0, 0}, 1000, kPi / 2, 0, 0);
    std::string err;
    o.Normalize(err);
    EXPECT_EQ(o.Length, 1000);
    EXPECT_EQ(o.Width, 1000);
}

TEST(ExtPolylineNormalize, NegativeAnglesStillReachTheAxisPoints) {
    // From -135 to -45 degrees the arc passes -90 degrees, its lowest point.
    TExtPolyline o;
    AddArc(o, {0, 0}, 1000, -3 * kPi / 4, -kPi / 4, 1);
    std::string err;
    o.Normalize(err);
    EXPECT_EQ(err, "");
    EXPECT_EQ(o.Length, 1414);
    EXPECT_EQ(o.Width, 1000 - 707);

    // From 45 to 135 degrees given one turn too high passes 90 degrees.
    TExtPolyline h;
    AddArc(h, {0, 0}, 1000, kPi / 4 + kTwoPi, 3 * kPi / 4 + kTwoPi, 1);
    h.Normalize(err);
    EXPECT_EQ(h.Width, 1000 - 707);

    // From -45 to 45 degrees passes 0 degrees.
    TExtPolyline z;
    AddArc(z, {0, 0}, 1000, -kPi / 4, kPi / 4, 1);
    z.Normalize(err);
    EXPECT_EQ(z.Length, 1000 - 707);
    EXPECT_EQ(z.Width, 1414);
}

TEST(ExtPolylineNormalize, ArcEndingAtZeroIsNotAFullCircle) {
    // 300 degrees up to 360: a sixth of a circle, not the whole of it.
    TExtPolyline o;
    AddArc(o, {0, 0}, 1000, 5 * kPi / 3, 0, 1);
    std::string err;
    o.Normalize(err);
    EXPECT_EQ(o.Length, 500);
    EXPECT_EQ(o.Width, 866);
}

TEST(ExtPolylineNormalize, EmptyOutlineHasNoExtent) {
    TExtPolyline o;
    std::string err = "x";
    o.Normalize(err);
    EXPECT_EQ(err, "");
    EXPECT_EQ(o.Length, 0);
    EXPECT_EQ(o.Width, 0);
}

TEST(ExtPolylineNormalize, TooLargeOutlinesAreRefused) {
    std::string err;
    // The far end of the line is the point beyond the limit.
    TExtPolyline wide;
    AddLine(wide, {0, 0}, {1000000000, 0});
    wide.Normalize(err);
    EXPECT_EQ(err, MsgDxfErrorOutside);

    TExtPolyline high;
    AddLine(high, {0, -600000000}, {0, 0});
    AddLine(high, {0, 0}, {0, 600000000});
    high.Normalize(err);
    EXPECT_EQ(err, MsgDxfErrorOutside);

    // A flat arc whose centre lies far outside the outline.
    TExtPolyline flat;
    AddArc(flat, {0, -1100000000}, 1100000000, kPi / 2 - 1e-6, kPi / 2 + 1e-6, 1);
    flat.Normalize(err);
    EXPECT_EQ(err, MsgDxfErrorOutside);

    TExtPolyline fits;
    AddLine(fits, {-999999999, 0}, {0, 0});
    fits.Normalize(err);
    EXPECT_EQ(err, "");
    EXPECT_EQ(fits.Length, 999999999);
}

TEST(ExtPolylineNormalize, ArcPointsBeyond32BitsAreARangeError) {
    TExtPolyline o;
    AddArc(o, {2000000000, 0}, 500000000, 0, 1, 1);
    std::string err;
    EXPECT_THROW(o.Normalize(err), ERangeError);
}

TEST(ExtPolyline, CenterPoint) {
    TExtPolyline two;
    two.SetLength(101);
    two.SetWidth(-7);
    AddLine(two, {0, 0}, {100, 0});
    AddLine(two, {0, 0}, {100, 100});
    EXPECT_EQ(two.CenterPoint(), (TPoint{50, -3}));

    TExtPolyline tri;
    AddLine(tri, {0, 0}, {100, 0});
    AddLine(tri, {100, 0}, {0, 50});
    AddLine(tri, {0, 50}, {0, 0});
    // Sums 200 and 100 over six points.
    EXPECT_EQ(tri.CenterPoint(), (TPoint{33, 16}));

    AddArc(tri, {0, 0}, 10, 0, kPi / 2, 0);  // end points (10, 0) and (0, 10)
    TPoint p;
    tri.CenterPoint(p);
    EXPECT_EQ(p, (TPoint{26, 13}));
}
