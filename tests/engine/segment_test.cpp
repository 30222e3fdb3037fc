#include "engine/segment.h"

#include <gtest/gtest.h>

#include "engine/errors.h"

namespace {

TPoint P(std::int32_t X, std::int32_t Y) {
    return {X, Y};
}

TEST(SegmentLines, PerpendicularFootRoundsHalvesToEven) {
    TPoint q;
    PerpendicularFoot(P(3, 8), q, 0, 1, -5);  // y = 5
    EXPECT_EQ(q, P(3, 5));
    // x - y = 0 from (1, 2): foot (1.5, 1.5) rounds to (2, 2).
    PerpendicularFoot(P(1, 2), q, -1, 1, 0);
    EXPECT_EQ(q, P(2, 2));
    // A foot beyond 32 bits is a range error.
    EXPECT_THROW(PerpendicularFoot(P(0, 0), q, 1, 0, -1e12), ERangeError);
}

TEST(SegmentLines, ParallelInBothDirections) {
    EXPECT_TRUE(AreLinesParallel(P(0, 0), P(10, 3), P(10, 3), P(0, 0)));
    EXPECT_TRUE(AreLinesParallel(P(0, 0), P(100, 0), P(5, 7), P(900, 7)));
    EXPECT_FALSE(AreLinesParallel(P(0, 0), P(100, 0), P(0, 0), P(0, 100)));
    // One unit of rise over 100 is far more than the 0.001 of direction allowed.
    EXPECT_FALSE(AreLinesParallel(P(0, 0), P(100, 0), P(0, 0), P(100, 1)));
}

TEST(SegmentLines, ZeroLengthSegmentsHaveNoDirection) {
    double a, b, c;
    EXPECT_FALSE(LineCoefficients(a, b, c, P(0, 0), P(0, 0)));
    EXPECT_FALSE(AreLinesParallel(P(5, 5), P(5, 5), P(0, 0), P(10, 0)));
    EXPECT_FALSE(AreLinesParallel(P(0, 0), P(10, 0), P(5, 5), P(5, 5)));
    EXPECT_FALSE(AreLinesParallel(P(5, 5), P(5, 5), P(5, 5), P(5, 5)));
    TPoint x{-1, -1};
    EXPECT_FALSE(LineIntersection(x, P(5, 5), P(5, 5), P(0, 0), P(10, 10)));
    EXPECT_FALSE(LineIntersection(x, P(0, 0), P(10, 10), P(3, 3), P(3, 3)));
    EXPECT_EQ(x, P(-1, -1));
}

TEST(SegmentLines, Intersection) {
    TPoint x;
    ASSERT_TRUE(LineIntersection(x, P(0, 0), P(10, 0), P(5, -5), P(5, 5)));
    EXPECT_EQ(x, P(5, 0));
    EXPECT_FALSE(LineIntersection(x, P(0, 0), P(10, 0), P(0, 4), P(10, 4)));
    // The infinite lines meet even where the segments do not.
    ASSERT_TRUE(LineIntersection(x, P(0, 0), P(10, 10), P(100, 0), P(100, 1)));
    EXPECT_EQ(x, P(100, 100));
    ASSERT_TRUE(LineIntersection(x, P(0, 10), P(10, 0), P(0, 0), P(10, 10)));
    EXPECT_EQ(x, P(5, 5));
}

TEST(SegmentLines, IntersectionBeyond32BitsIsNoIntersection) {
    TPoint x{7, 7};
    // Falling 2 units per 1000 from y = 2000: meets y = 0 at x = 1 000 000.
    ASSERT_TRUE(LineIntersection(x, P(0, 2000), P(1000, 1998), P(0, 0), P(10, 0)));
    EXPECT_EQ(x, P(1000000, 0));
    // The same slope from y = 2 000 000 000 meets it 10^12 units away.
    x = P(7, 7);
    EXPECT_FALSE(LineIntersection(x, P(0, 2000000000), P(1000, 1999999998), P(0, 0), P(10, 0)));
    EXPECT_FALSE(LineIntersection(x, P(0, 0), P(0, 10), P(-2000000000, 0), P(-1999999998, 1000)));
    EXPECT_EQ(x, P(7, 7));
}

TEST(SegmentClip, CrossingsLieOnTheRectangleEdges) {
    TPoint q1, q2;
    const TRect r{1, 1, 100, 100};
    ASSERT_TRUE(ClipSegmentToRect(q1, q2, P(-100, 50), P(200, 50), r));
    EXPECT_EQ(q1, P(100, 50));  // right edge comes before left in edge order
    EXPECT_EQ(q2, P(1, 50));

    ASSERT_TRUE(ClipSegmentToRect(q1, q2, P(0, 50), P(100, 50), r));  // x = 0 is inside
    EXPECT_EQ(q1, P(0, 50));
    EXPECT_EQ(q2, P(100, 50));

    ASSERT_TRUE(ClipSegmentToRect(q1, q2, P(50, 20), P(50, 300), r));
    EXPECT_EQ(q1, P(50, 20));
    EXPECT_EQ(q2, P(50, 100));

    EXPECT_FALSE(ClipSegmentToRect(q1, q2, P(-50, -50), P(-10, 300), r));
    EXPECT_FALSE(ClipSegmentToRect(q1, q2, P(200, 5), P(300, 5), r));
    // A point outside the rectangle, and a corner touched at one point only.
    EXPECT_FALSE(ClipSegmentToRect(q1, q2, P(200, 200), P(200, 200), r));
    EXPECT_FALSE(ClipSegmentToRect(q1, q2, P(90, 110), P(110, 90), r));
}

// Two parallel segments within the tolerance of each other join into one
// span; gaps, distance and a negative tolerance keep them apart.
TEST(SegmentMerge, OverlapOfParallelSegments) {
    const struct {
        TPoint A1, A2, B1, B2;
        int Tolerance;
        bool Merged;
        TPoint U1, U2;
    } cases[] = {
        {P(0, 0), P(10, 0), P(10, 0), P(20, 0), 0, true, P(0, 0), P(20, 0)},  // touching
        {P(20, 0), P(10, 0), P(15, 0), P(0, 0), 0, true, P(0, 0), P(20, 0)},  // reversed
        {P(4, 0), P(6, 0), P(0, 0), P(20, 0), 0, true, P(0, 0), P(20, 0)},   // one inside
        {P(0, 0), P(0, 50), P(2, 30), P(2, 80), 2, true, P(1, 0), P(1, 80)},  // mean line
        {P(0, 0), P(10, 0), P(0, 3), P(10, 3), 3, true, P(0, 2), P(10, 2)},  // y 1.5 to even
        // A point within a horizontal line joins it; on a vertical line it
        // does not (a point counts as horizontal), and nothing divides by 0.
        {P(5, 0), P(5, 0), P(0, 0), P(10, 0), 0, true, P(0, 0), P(10, 0)},
        {P(0, 5), P(0, 5), P(0, 0), P(0, 10), 0, false, {}, {}},
        {P(0, 0), P(10, 0), P(11, 0), P(20, 0), 5, false, {}, {}},  // gap
        {P(0, 0), P(10, 0), P(0, 3), P(10, 3), 2, false, {}, {}},   // too far
        {P(0, 0), P(10, 0), P(0, 0), P(10, 0), -1, false, {}, {}},
        {P(0, 0), P(10, 0), P(5, -5), P(5, 5), 100, false, {}, {}},  // crossing
    };
    for (const auto& c : cases) {
        TPoint u1{-9, -9}, u2{-9, -9};
        EXPECT_EQ(OverlapParallelSegments(u1, u2, c.A1, c.A2, c.B1, c.B2, c.Tolerance), c.Merged)
            << c.A1.X << "," << c.A1.Y << " " << c.B1.X << "," << c.B1.Y;
        EXPECT_EQ(u1, c.Merged ? c.U1 : P(-9, -9));
        EXPECT_EQ(u2, c.Merged ? c.U2 : P(-9, -9));
    }
    // Slope -0.00005 for both: a1 + a2 + 0.0001 is (nearly) 0.
    TPoint u1, u2;
    ASSERT_TRUE(OverlapParallelSegments(u1, u2, P(0, 0), P(20000, 1), P(10000, 0), P(30000, 1), 1));
    EXPECT_EQ(u1.X, 0);
    EXPECT_EQ(u2.X, 30000);
}

}  // namespace
