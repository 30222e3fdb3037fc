// Outlines of shaped parts: ordered line and arc segments in internal length
// units, with the extents of the outline.
//
// A normalised outline is in screen orientation (Y down) with the corner of
// its bounding box at (0, 0). Angles are radians from the +X axis of the
// outline's own coordinates; a point of an arc at angle a is
// (Center.X + R cos a, Center.Y + R sin a).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/stock2d.h"

// Kinds of segment.
enum : std::uint8_t { psLine = 0, psArc = 1 };

// One segment. A line uses P1 and P2 only; an arc uses Center, Radius, the
// two angles and Clockwise only. The unused fields keep their defaults.
struct TPolySegment {
    std::uint8_t Kind = psLine;
    TPoint P1;      // line start
    TPoint P2;      // line end
    TPoint Center;  // arc centre
    std::int32_t Radius = 0;
    double StartAngle = 0.0;
    double EndAngle = 0.0;
    // Set: the arc runs from StartAngle to EndAngle through increasing angles;
    // clear: through decreasing angles.
    std::uint8_t Clockwise = 0;
    std::string Name = "0";  // the DXF layer of imported outlines

    friend bool operator==(const TPolySegment&, const TPolySegment&) = default;
};

// Brings an angle into one turn: a > 0 gives a value in [0, 2pi), a <= 0 a
// value in (0, 2pi] (so 0 becomes 2pi).
double NormalizeAngle(double A);

// Quadrant of an angle after NormalizeAngle: [0, pi/2] 0, (pi/2, pi] 1,
// (pi, 3pi/2] 2, (3pi/2, 2pi] 3; -1 for anything else (not a number).
int AngleQuadrant(double A);

// The point of an arc at angle A: (Center.X + round(cos A * R),
// Center.Y + round(sin A * R)). Throws ERangeError when it does not fit 32 bits.
TPoint ArcEndPoint(const TPolySegment& Arc, double A);

class TExtPolyline {
  public:
    std::int32_t Length = 0;  // X extent
    std::int32_t Width = 0;   // Y extent

    TExtPolyline() = default;

    // Number of segments and read access to them, in order.
    std::size_t Count() const { return segments_.size(); }
    const std::vector<TPolySegment>& Segments() const { return segments_; }
    // Throws EListError when Index is out of range.
    const TPolySegment& Items(std::size_t Index) const;

    // Resets a record to an empty line named "0".
    static void InitSegment(TPolySegment& Segment);

    // Appends a segment: kind 0 keeps P1 and P2; kind 1 keeps Center, Radius,
    // the angles and Clockwise; any other kind gives an empty line. Name is
    // kept in every case.
    void AddSegment(std::uint8_t Kind, TPoint P1, TPoint P2, TPoint Center, std::int32_t Radius,
                    double StartAngle, double EndAngle, std::uint8_t Clockwise,
                    const std::string& Name);

    void Clear() { segments_.clear(); }

    // Replaces the segments and extents by copies of Source's.
    void Assign(const TExtPolyline& Source);

    void SetLength(std::int32_t Value) { Length = Value; }
    void SetWidth(std::int32_t Value) { Width = Value; }

    // The transforms below take the extents as the bounding box with its
    // corner at (0, 0).
    // Mirror about the vertical centre line; arcs change direction.
    void MirrorX();
    // Half turn about the centre of the box.
    void Rotate180();
    // Quarter turn: (x, y) goes to (old Width - y, x), angles grow by pi/2,
    // the extents are swapped.
    void Rotate90();

    // Turns an outline read from a drawing (Y up, anywhere) into a normalised
    // one: moved to the origin, extents set, Y flipped to screen orientation,
    // every arc left with Clockwise clear. ErrorText is empty on success, else
    // MsgDxfErrorOutside when the outline is larger than 999,999,999 units;
    // the outline is then left part-done and should be discarded.
    void Normalize(std::string& ErrorText);

    // Where a label goes: the mean of the segments' end points when there
    // are more than two segments, else the middle of the box.
    TPoint CenterPoint() const;
    void CenterPoint(TPoint& P) const { P = CenterPoint(); }

    friend bool operator==(const TExtPolyline&, const TExtPolyline&) = default;

  private:
    std::vector<TPolySegment> segments_;
};
