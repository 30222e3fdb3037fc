#include "engine/guillotine.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <thread>
#include <vector>

#include "engine/errors.h"

namespace {

// A layout of Length x Width holding pieces given as (left, top, right, bottom).
TPacket Layout(int Length, int Width, std::initializer_list<TRect> Pieces) {
    TPacket p;
    p.Length = Length;
    p.Width = Width;
    p.ResetSpaces();
    for (const TRect& r : Pieces) {
        T2DStock piece;
        piece.SetBounds(r);
        piece.Quantity = 1;
        p.Placements.AddCopy(piece);
    }
    return p;
}

// The same layout with every coordinate scaled and moved, so the grid keeps
// its shape but the numbers change.
TPacket Scaled(const TPacket& P, int Factor, int Dx, int Dy) {
    TPacket s = Layout(P.Length * Factor + 2 * Dx, P.Width * Factor + 2 * Dy, {});
    for (const T2DStock& q : P.Placements) {
        const TRect r = q.BoundsRect();
        T2DStock piece;
        piece.SetBounds({r.Left * Factor + Dx, r.Top * Factor + Dy, r.Right * Factor + Dx,
                         r.Bottom * Factor + Dy});
        s.Placements.AddCopy(piece);
    }
    return s;
}

}  // namespace

TEST(Guillotine, AcceptsLayoutsCutFromEdgeToEdge) {
    EXPECT_TRUE(Guillotine.Check(Layout(10, 10, {})));
    EXPECT_TRUE(Guillotine.Check(Layout(10, 10, {{0, 0, 4, 3}})));
    EXPECT_TRUE(Guillotine.Check(Layout(10, 10, {{3, 3, 6, 5}})));  // free all round
    EXPECT_TRUE(Guillotine.Check(Layout(10, 10, {{0, 0, 10, 10}})));
    EXPECT_TRUE(Guillotine.Check(Layout(10, 10, {{6, 4, 10, 10}})));  // on two sheet edges
    // 2 x 2 filling the sheet.
    EXPECT_TRUE(
        Guillotine.Check(Layout(2, 2, {{0, 0, 1, 1}, {1, 0, 2, 1}, {0, 1, 1, 2}, {1, 1, 2, 2}})));
    // Side by side, different heights, both at the top edge.
    EXPECT_TRUE(Guillotine.Check(Layout(10, 10, {{0, 0, 3, 6}, {3, 0, 8, 2}})));
}

TEST(Guillotine, AcceptsStackedStripsAndNestedCuts) {
    // Two strips across the sheet, each cut into pieces of its own height or less.
    const TPacket strips =
        Layout(10, 6, {{0, 0, 3, 2}, {3, 0, 7, 2}, {0, 2, 5, 5}, {5, 2, 6, 4}, {6, 2, 10, 5}});
    EXPECT_TRUE(Guillotine.Check(strips));
    EXPECT_TRUE(Guillotine.Check(Scaled(strips, 1000, 7, 13)));

    // Cuts within cuts: x = 6 first, then each side on its own.
    const TPacket nested = Layout(10, 10,
                                  {{0, 0, 2, 4},
                                   {2, 0, 6, 3},
                                   {0, 4, 6, 7},
                                   {0, 7, 3, 10},
                                   {6, 0, 10, 5},
                                   {6, 5, 8, 10},
                                   {8, 5, 10, 7}});
    EXPECT_TRUE(Guillotine.Check(nested));
}

TEST(Guillotine, RejectsPinwheels) {
    // Five pieces filling a 3 x 3 sheet around a centre piece.
    const TPacket five =
        Layout(3, 3, {{0, 0, 2, 1}, {2, 0, 3, 2}, {1, 2, 3, 3}, {0, 1, 1, 3}, {1, 1, 2, 2}});
    EXPECT_FALSE(Guillotine.Check(five));
    // The same around an empty centre, and inside a larger sheet.
    const TPacket four = Layout(3, 3, {{0, 0, 2, 1}, {2, 0, 3, 2}, {1, 2, 3, 3}, {0, 1, 1, 3}});
    EXPECT_FALSE(Guillotine.Check(four));
    EXPECT_FALSE(Guillotine.Check(Scaled(four, 100, 50, 20)));
    EXPECT_FALSE(Guillotine.Check(Scaled(five, 7, 3, 0)));
}

TEST(Guillotine, RejectsPinwheelBehindAFirstCut) {
    // One cut along y = 1 frees the top strip, but what remains below is a
    // pinwheel around the hole (1,2)-(2,3). A vertical run through x = 2
    // would have to cross the piece (1,1)-(3,2) after reaching the cut y = 1.
    const TPacket p = Layout(3, 4, {{2, 2, 3, 4}, {1, 1, 3, 2}, {0, 1, 1, 3}, {0, 3, 2, 4}});
    EXPECT_FALSE(Guillotine.Check(p));
    EXPECT_FALSE(Guillotine.Check(Scaled(p, 250, 0, 0)));
    // Turned a quarter the same holds.
    TPacket turned = p;
    turned.Rotate();
    EXPECT_FALSE(Guillotine.Check(turned));
}

TEST(Guillotine, LeavesTheLayoutAlone) {
    TPacket p = Layout(3, 3, {{0, 0, 2, 1}, {2, 0, 3, 2}});
    const TPacket before = p;
    Guillotine.Check(p);
    ASSERT_EQ(p.Placements.Count(), 2);
    EXPECT_EQ(p.Placements[1].BoundsRect(), before.Placements[1].BoundsRect());
}

TEST(Guillotine, CoordinateLimit) {
    // 4096 narrow pieces in a row: 8193 distinct X values with the sheet's ends.
    TPacket atLimit = Layout(8192, 2, {});
    for (int i = 0; i < 4096; ++i) {
        T2DStock piece;
        piece.SetBounds({2 * i, 0, 2 * i + 1, 1});
        atLimit.Placements.AddCopy(piece);
    }
    EXPECT_TRUE(Guillotine.Check(atLimit));

    TPacket beyond = atLimit;
    beyond.Length = 9000;
    T2DStock extra;
    extra.SetBounds({8192, 0, 8193, 1});
    beyond.Placements.AddCopy(extra);
    EXPECT_THROW(Guillotine.Check(beyond), ERangeError);
    // The next test on the same thread is unaffected.
    EXPECT_TRUE(Guillotine.Check(Layout(10, 10, {{0, 0, 4, 3}})));
}

TEST(Guillotine, MalformedPiecesDoNotBreakTheTest) {
    // Overlapping pieces, a piece past the sheet and an inverted piece.
    const TPacket odd = Layout(10, 10, {{0, 0, 6, 6}, {4, 4, 12, 8}, {5, 5, 3, 3}, {0, 0, 0, 0}});
    Guillotine.Check(odd);  // any verdict, no fault
    TPacket empty;
    EXPECT_TRUE(Guillotine.Check(empty));
}

TEST(Guillotine, ConcurrentTestsDoNotInterfere) {
    const TPacket good = Layout(10, 6, {{0, 0, 3, 2}, {3, 0, 7, 2}, {0, 2, 5, 5}, {5, 2, 6, 4}});
    const TPacket bad = Layout(3, 4, {{2, 2, 3, 4}, {1, 1, 3, 2}, {0, 1, 1, 3}, {0, 3, 2, 4}});
    std::vector<int> wrong(4, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 200; ++i) {
                const bool g = (i + t) % 2 == 0;
                if (Guillotine.Check(g ? good : bad) != g) ++wrong[t];
            }
        });
    }
    for (std::thread& th : threads) th.join();
    EXPECT_EQ(wrong, std::vector<int>(4, 0));
}
