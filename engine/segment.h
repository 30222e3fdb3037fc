// Geometry of integer points and straight segments in internal length units:
// distances, line equations, intersections, parallel tests, clipping to a
// rectangle and the merging of two nearly collinear segments.
//
// All arithmetic is in double precision. A real result that becomes a
// coordinate is rounded to the nearest integer, halves to even (Round32).
#pragma once

#include <cstdint>
#include <string_view>

#include "engine/stock2d.h"

inline constexpr std::string_view GeoVersion = "1.00";

// Euclidean distance of P and Q.
double PointDistance(TPoint P, TPoint Q);

// The line a*x + b*y + c = 0 through P1 and P2: horizontal (a 0, b 1), sloped
// (b 1) or vertical (a 1, b 0). False when P1 = P2; the coefficients are then
// those of the horizontal line through the points.
bool LineCoefficients(double& a, double& b, double& c, TPoint P1, TPoint P2);

// Q := the foot of the perpendicular from P on the line a*x + b*y + c = 0.
// Throws ERangeError when the foot lies beyond 32 bits. A line with a = b = 0
// has no direction; Q is then P.
void PerpendicularFoot(TPoint P, TPoint& Q, double a, double b, double c);

// P taken to lie on the line AB: whether P.X lies between A.X and B.X
// (inclusive, either order), or P.Y between A.Y and B.Y when A.X = B.X.
bool IsPointBetween(TPoint P, TPoint A, TPoint B);

// Whether P1P2 and Q1Q2 run in the same or in opposite directions (unit
// directions equal within 0.001 in both components). A segment of zero length
// has no direction and is parallel to nothing.
bool AreLinesParallel(TPoint P1, TPoint P2, TPoint Q1, TPoint Q2);

// X := the intersection of the infinite lines P1P2 and Q1Q2. False when they
// are parallel, when either pair is one point, or when the intersection lies
// beyond the 32-bit range (nearly parallel lines); X is then unchanged.
bool LineIntersection(TPoint& X, TPoint P1, TPoint P2, TPoint Q1, TPoint Q2);

// The part of segment AB inside R, where a point counts as inside when
// R.Left - 1 <= x <= R.Right and R.Top - 1 <= y <= R.Bottom. Crossings are
// taken on R's edges in the order top, right, bottom, left. False when no part
// of the segment is left.
bool ClipSegmentToRect(TPoint& Q1, TPoint& Q2, TPoint A, TPoint B, const TRect& R);

// Distance of the parallel lines a*x + b*y + c1 = 0 and a*x + b*y + c2 = 0.
double ParallelLineDistance(double c1, double c2, double a, double b);

// Merges segment A1A2 and segment B1B2 when they are nearly parallel, lie
// less than Tol + 1 apart and overlap or touch: U1-U2 is then their union
// projected on the mean line, its lower end first. False otherwise, with U1
// and U2 unchanged.
bool OverlapParallelSegments(TPoint& U1, TPoint& U2, TPoint A1, TPoint A2, TPoint B1, TPoint B2,
                             std::int32_t Tol);
