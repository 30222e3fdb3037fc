#include "engine/segment.h"

#include <cmath>
#include <limits>
#include <optional>

#include "engine/errors.h"
#include "engine/numeric.h"

namespace {

// The rounded value of X when it fits 32 bits; nothing otherwise.
std::optional<std::int32_t> TryRound32(double X) {
    if (!std::isfinite(X) || std::fabs(X) > 4294967296.0) return std::nullopt;
    try {
        return Round32(X);
    } catch (const ERangeError&) {
        return std::nullopt;
    }
}

// Foot of the perpendicular from P on a*x + b*y + c = 0; nothing when it does
// not fit 32 bits.
std::optional<TPoint> FootOf(TPoint P, double a, double b, double c) {
    const double n = a * a + b * b;
    if (n == 0) return P;
    const double px = P.X, py = P.Y;
    const auto x = TryRound32((b * b * px - a * b * py - a * c) / n);
    const auto y = TryRound32((a * a * py - a * b * px - b * c) / n);
    if (!x || !y) return std::nullopt;
    return TPoint{*x, *y};
}

// |(u - v) / (u + v + 0.0001)|, the relative difference of two line
// coefficients; 0 for equal coefficients even when the sum cancels the bias.
double RelativeDifference(double u, double v) {
    const double d = u - v;
    if (d == 0) return 0;
    const double s = u + v + 0.0001;
    if (s == 0) return std::numeric_limits<double>::infinity();
    return std::fabs(d / s);
}

bool SamePoint(TPoint P, TPoint Q) {
    return P.X == Q.X && P.Y == Q.Y;
}

}  // namespace

double PointDistance(TPoint P, TPoint Q) {
    const double dx = static_cast<double>(P.X) - static_cast<double>(Q.X);
    const double dy = static_cast<double>(P.Y) - static_cast<double>(Q.Y);
    return std::sqrt(dx * dx + dy * dy);
}

bool LineCoefficients(double& a, double& b, double& c, TPoint P1, TPoint P2) {
    if (P1.Y == P2.Y) {
        a = 0;
        b = 1;
        c = -static_cast<double>(P2.Y);
    } else if (P1.X != P2.X) {
        b = 1;
        a = -(static_cast<double>(P2.Y) - static_cast<double>(P1.Y)) /
            (static_cast<double>(P2.X) - static_cast<double>(P1.X));
        c = -static_cast<double>(P2.Y) - a * static_cast<double>(P2.X);
    } else {
        a = 1;
        b = 0;
        c = -static_cast<double>(P2.X);
    }
    return !SamePoint(P1, P2);
}

void PerpendicularFoot(TPoint P, TPoint& Q, double a, double b, double c) {
    const auto f = FootOf(P, a, b, c);
    if (!f) throw ERangeError();
    Q = *f;
}

bool IsPointBetween(TPoint P, TPoint A, TPoint B) {
    if (A.X != B.X) return (A.X <= P.X && P.X <= B.X) || (B.X <= P.X && P.X <= A.X);
    return (A.Y <= P.Y && P.Y <= B.Y) || (B.Y <= P.Y && P.Y <= A.Y);
}

bool AreLinesParallel(TPoint P1, TPoint P2, TPoint Q1, TPoint Q2) {
    const double lp = PointDistance(P1, P2);
    const double lq = PointDistance(Q1, Q2);
    if (lp == 0 || lq == 0) return false;
    const double ux = (static_cast<double>(P2.X) - static_cast<double>(P1.X)) / lp;
    const double uy = (static_cast<double>(P2.Y) - static_cast<double>(P1.Y)) / lp;
    const double vx = (static_cast<double>(Q2.X) - static_cast<double>(Q1.X)) / lq;
    const double vy = (static_cast<double>(Q2.Y) - static_cast<double>(Q1.Y)) / lq;
    if (std::fabs(uy - vy) < 0.001 && std::fabs(ux - vx) < 0.001) return true;
    return std::fabs(uy + vy) < 0.001 && std::fabs(ux + vx) < 0.001;
}

bool LineIntersection(TPoint& X, TPoint P1, TPoint P2, TPoint Q1, TPoint Q2) {
    if (SamePoint(P1, P2) || SamePoint(Q1, Q2)) return false;
    if (AreLinesParallel(P1, P2, Q1, Q2)) return false;
    double a1, b1, c1, a2, b2, c2;
    LineCoefficients(a1, b1, c1, P2, P1);
    LineCoefficients(a2, b2, c2, Q1, Q2);
    const double d = a1 * b2 - a2 * b1;
    if (d == 0) return false;
    const auto x = TryRound32((b1 * c2 - b2 * c1) / d);
    const auto y = TryRound32((a2 * c1 - a1 * c2) / d);
    if (!x || !y) return false;
    X = {*x, *y};
    return true;
}

bool ClipSegmentToRect(TPoint& Q1, TPoint& Q2, TPoint A, TPoint B, const TRect& R) {
    auto inside = [&R](TPoint P) {
        const std::int64_t l = static_cast<std::int64_t>(R.Left) - 1;
        const std::int64_t t = static_cast<std::int64_t>(R.Top) - 1;
        return l <= P.X && P.X <= R.Right && t <= P.Y && P.Y <= R.Bottom;
    };
    const TPoint edges[4][2] = {{{R.Left, R.Top}, {R.Right, R.Top}},
                                {{R.Right, R.Top}, {R.Right, R.Bottom}},
                                {{R.Left, R.Bottom}, {R.Right, R.Bottom}},
                                {{R.Left, R.Top}, {R.Left, R.Bottom}}};
    // The crossings of AB with the edges, in edge order.
    TPoint cross[4];
    int n = 0;
    for (const auto& e : edges) {
        TPoint X;
        if (LineIntersection(X, A, B, e[0], e[1]) && IsPointBetween(X, A, B) &&
            IsPointBetween(X, e[0], e[1]))
            cross[n++] = X;
    }

    const bool inA = inside(A), inB = inside(B);
    if (inA && inB) {
        Q1 = A;
        Q2 = B;
        return true;
    }
    if (inA || inB) {
        for (int i = 0; i < n; ++i) {
            if (!SamePoint(cross[i], A) && !SamePoint(cross[i], B)) {
                Q1 = inA ? A : B;
                Q2 = cross[i];
                return true;
            }
        }
        return false;
    }
    for (int i = 1; i < n; ++i) {
        if (!SamePoint(cross[i], cross[0])) {
            Q1 = cross[0];
            Q2 = cross[i];
            return true;
        }
    }
    return false;
}

double ParallelLineDistance(double c1, double c2, double a, double b) {
    if (a == 0 || b == 0) return std::fabs(c2 - c1);
    return std::fabs(c2 - c1) / std::sqrt(a * a + b * b);
}

bool OverlapParallelSegments(TPoint& U1, TPoint& U2, TPoint A1, TPoint A2, TPoint B1, TPoint B2,
                             std::int32_t Tol) {
    if (Tol < 0) return false;
    double a1, b1, c1, a2, b2, c2;
    LineCoefficients(a1, b1, c1, A2, A1);
    LineCoefficients(a2, b2, c2, B2, B1);
    if (!(RelativeDifference(b1, b2) < 0.01 && RelativeDifference(a1, a2) < 0.01)) return false;
    const double d = ParallelLineDistance(c2, c1, a1, b1);
    if (!(d < static_cast<double>(Tol) + 1)) return false;

    const double a = (a1 + a2) / 2, b = (b1 + b2) / 2, c = (c1 + c2) / 2;
    const auto pa1 = FootOf(A1, a, b, c), pa2 = FootOf(A2, a, b, c);
    const auto pb1 = FootOf(B1, a, b, c), pb2 = FootOf(B2, a, b, c);
    if (!pa1 || !pa2 || !pb1 || !pb2) return false;

    // Work along X unless the projection is vertical. A segment that is a
    // single point tells no direction; the other segment decides then, so
    // that merging a point into a line keeps the whole line.
    const bool aIsPoint = *pa1 == *pa2;
    const bool alongY = aIsPoint ? pb1->X == pb2->X : pa1->X == pa2->X;
    auto co = [alongY](TPoint P) { return alongY ? P.Y : P.X; };
    TPoint u1 = *pa1, u2 = *pa2;
    if (co(u2) < co(u1)) std::swap(u1, u2);
    std::int32_t lo = co(u1), hi = co(u2);
    const std::int32_t b1c = co(*pb1), b2c = co(*pb2);

    const bool overlap = (lo <= b1c && b1c <= hi) || (lo <= b2c && b2c <= hi) ||
                         (lo >= b1c && hi <= b2c) || (lo >= b2c && hi <= b1c);
    if (!overlap) return false;

    if (hi <= b1c) {
        u2 = *pb1;
        hi = b1c;
    } else if (lo >= b1c) {
        u1 = *pb1;
        lo = b1c;
    }
    if (hi <= b2c)
        u2 = *pb2;
    else if (lo >= b2c)
        u1 = *pb2;
    U1 = u1;
    U2 = u2;
    return true;
}
