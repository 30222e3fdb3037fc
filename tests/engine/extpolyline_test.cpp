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
    return std::fabs(std::remainder(a - b, kTwoPi)) < 1e-9;
}

void ExpectSameOutline(const TExtPolyline& a, const TExtPolyline& b) {
    EXPECT_EQ(a.Length, b.Length);
    EXPECT_EQ(a.Width, b.Width);
    ASSERT_EQ(a.Count(), b.Count());
    for (std::size_t i = 0; i < a.Count(); ++i) {
        EXPECT_EQ(a.Items(i).P1, b.Items(i).P1) << i;
        EXPECT_EQ(a.Items(i).P2, b.Items(i).P2) << i;
        EXPECT_EQ(a.Items(i).Center, b.Items(i).Center) << i;
        EXPECT_EQ(a.Items(i).Clockwise, b.Items(i).Clockwise) << i;
        EXPECT_TRUE(SameDirection(a.Items(i).StartAngle, b.Items(i).StartAngle)) << i;
        EXPECT_TRUE(SameDirection(a.Items(i).EndAngle, b.Items(i).EndAngle)) << i;
    }
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

TEST(NormalizeAngle, OneTurnAndQuadrants) {
    const struct {
        double In, Normal;
    } normal[] = {{0, kTwoPi},  {-kTwoPi, kTwoPi}, {-kPi / 2, 3 * kPi / 2},
                  {3 * kPi, kPi}, {7, 7 - kTwoPi},   {1.25, 1.25}};
    for (const auto& c : normal) EXPECT_DOUBLE_EQ(NormalizeAngle(c.In), c.Normal) << c.In;
    // Quadrants include their upper bound; 0 counts as a full turn.
    const struct {
        double In;
        int Quadrant;
    } quadrant[] = {{0.1, 0}, {kPi / 2, 0}, {kPi, 1}, {4.0, 2}, {0, 3}, {-0.1, 3}, {std::nan(""), -1}};
    for (const auto& c : quadrant) EXPECT_EQ(AngleQuadrant(c.In), c.Quadrant) << c.In;
}

TEST(ExtPolyline, AssignReplacesSegmentsAndExtentsAndSurvivesItself) {
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

TEST(ExtPolylineTurns, QuarterAndHalfTurns) {
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

    // Half turn about the box centre.
    TExtPolyline h = Sample();
    h.Rotate180();
    EXPECT_EQ(h.Items(0).P1, (TPoint{90, 45}));
    EXPECT_EQ(h.Items(1).Center, (TPoint{70, 25}));

    // A quarter and a half make three quarters; four quarters change nothing.
    TExtPolyline three = Sample();
    for (int i = 0; i < 3; ++i) three.Rotate90();
    h = Sample();
    h.Rotate90();
    h.Rotate180();
    ExpectSameOutline(h, three);
    three.Rotate90();
    ExpectSameOutline(three, Sample());
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

    TExtPolyline q;  // a quarter arc turns the other way round on screen
    AddArc(q, {0, 0}, 1000, 0, kPi / 2, 1);
    q.Normalize(err);
    const TPolySegment& a = q.Items(0);
    EXPECT_EQ(a.Center, (TPoint{0, 1000}));
    EXPECT_EQ(a.Clockwise, 0);
    EXPECT_TRUE(SameDirection(a.StartAngle, 0));
    EXPECT_TRUE(SameDirection(a.EndAngle, -kPi / 2));
}

// The extent of one arc of radius 1000 about the origin: an arc counts the
// axis points it passes, whatever turn its angles are given in.
TEST(ExtPolylineNormalize, ArcExtents) {
    const struct {
        double Start, End;
        int Clockwise;
        int Length, Width;
    } cases[] = {
        {0, kPi / 2, 1, 1000, 1000},
        {kPi / 2, 0, 0, 1000, 1000},  // the other sense is run backwards
        {0, 0, 1, 2000, 2000},        // a full circle
        {0, kTwoPi, 1, 2000, 2000},
        {-3 * kPi / 4, -kPi / 4, 1, 1414, 1000 - 707},  // passes -90 degrees
        {kPi / 4 + kTwoPi, 3 * kPi / 4 + kTwoPi, 1, 1414, 1000 - 707},
        {-kPi / 4, kPi / 4, 1, 1000 - 707, 1414},  // passes 0 degrees
        {5 * kPi / 3, 0, 1, 500, 866},             // ends at 0: no full circle
    };
    for (const auto& c : cases) {
        TExtPolyline o;
        AddArc(o, {0, 0}, 1000, c.Start, c.End, c.Clockwise);
        std::string err = "x";
        o.Normalize(err);
        EXPECT_EQ(err, "");
        EXPECT_EQ(o.Length, c.Length) << c.Start << " " << c.End;
        EXPECT_EQ(o.Width, c.Width) << c.Start << " " << c.End;
    }
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

    TExtPolyline beyond32Bits;
    AddArc(beyond32Bits, {2000000000, 0}, 500000000, 0, 1, 1);
    EXPECT_THROW(beyond32Bits.Normalize(err), ERangeError);
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
