#include "engine/extpolyline.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <utility>

#include "engine/errors.h"
#include "engine/numeric.h"
#include "engine/pubstr.h"
#include "engine/textfmt.h"

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kTwoPi = 2.0 * std::numbers::pi;
constexpr double kHalfPi = std::numbers::pi / 2.0;

// Largest extent (and shifted coordinate) a normalised outline may have.
constexpr std::int64_t kMaxOutline = 999999999;

// Differences of coordinates, checked so that a corrupt outline raises a range
// error instead of wrapping.
std::int32_t Minus(std::int32_t A, std::int32_t B) {
    return CheckedInt32(static_cast<std::int64_t>(A) - B);
}

// An angle brought into [0, 2pi), so that angles that point the same way
// compare equal.
double AngleInTurn(double A) {
    double b = NormalizeAngle(A);
    if (b >= kTwoPi) b -= kTwoPi;
    return b;
}

bool InRange(double From, double To, double A) {
    return From <= A && A <= To;
}

struct TBounds {
    std::int64_t MinX = kMaxOutline, MinY = kMaxOutline;
    std::int64_t MaxX = -kMaxOutline, MaxY = -kMaxOutline;
    void Add(std::int64_t X, std::int64_t Y) {
        MinX = std::min(MinX, X);
        MaxX = std::max(MaxX, X);
        MinY = std::min(MinY, Y);
        MaxY = std::max(MaxY, Y);
    }
    void Add(TPoint P) { Add(P.X, P.Y); }
};

bool Outside(std::int64_t V) {
    return V > kMaxOutline || V < -kMaxOutline;
}

}  // namespace

double NormalizeAngle(double A) {
    if (A > 0) return A - std::trunc(A / kTwoPi) * kTwoPi;
    return A + std::fabs(std::trunc(A / kTwoPi) - 1.0) * kTwoPi;
}

int AngleQuadrant(double A) {
    const double b = NormalizeAngle(A);
    if (0 <= b && b <= kHalfPi) return 0;
    if (kHalfPi < b && b <= kPi) return 1;
    if (kPi < b && b <= 3.0 * kPi / 2.0) return 2;
    if (3.0 * kPi / 2.0 < b && b <= kTwoPi) return 3;
    return -1;
}

TPoint ArcEndPoint(const TPolySegment& Arc, double A) {
    const std::int64_t dx = Round32(std::cos(A) * Arc.Radius);
    const std::int64_t dy = Round32(std::sin(A) * Arc.Radius);
    return {CheckedInt32(Arc.Center.X + dx), CheckedInt32(Arc.Center.Y + dy)};
}

const TPolySegment& TExtPolyline::Items(std::size_t Index) const {
    if (Index >= segments_.size())
        throw EListError(Format("List index out of bounds (%d)", {static_cast<long long>(Index)}));
    return segments_[Index];
}

void TExtPolyline::InitSegment(TPolySegment& Segment) {
    Segment = TPolySegment{};
}

void TExtPolyline::AddSegment(std::uint8_t Kind, TPoint P1, TPoint P2, TPoint Center,
                              std::int32_t Radius, double StartAngle, double EndAngle,
                              std::uint8_t Clockwise, const std::string& Name) {
    TPolySegment s;
    InitSegment(s);
    if (Kind == psLine) {
        s.P1 = P1;
        s.P2 = P2;
    } else if (Kind == psArc) {
        s.Kind = psArc;
        s.Center = Center;
        s.Radius = Radius;
        s.StartAngle = StartAngle;
        s.EndAngle = EndAngle;
        s.Clockwise = Clockwise;
    }
    s.Name = Name;
    segments_.push_back(std::move(s));
}

void TExtPolyline::Assign(const TExtPolyline& Source) {
    if (&Source == this) return;
    Clear();
    Length = Source.Length;
    Width = Source.Width;
    for (const TPolySegment& s : Source.segments_)
        AddSegment(s.Kind, s.P1, s.P2, s.Center, s.Radius, s.StartAngle, s.EndAngle, s.Clockwise,
                   s.Name);
}

void TExtPolyline::MirrorX() {
    for (TPolySegment& s : segments_) {
        if (s.Kind == psArc) {
            s.Center.X = Minus(Length, s.Center.X);
            s.StartAngle = NormalizeAngle(kPi - s.StartAngle);
            s.EndAngle = NormalizeAngle(kPi - s.EndAngle);
            s.Clockwise = s.Clockwise ? 0 : 1;
        } else {
            s.P1.X = Minus(Length, s.P1.X);
            s.P2.X = Minus(Length, s.P2.X);
        }
    }
}

void TExtPolyline::Rotate180() {
    for (TPolySegment& s : segments_) {
        if (s.Kind == psArc) {
            s.Center = {Minus(Length, s.Center.X), Minus(Width, s.Center.Y)};
            s.StartAngle = NormalizeAngle(s.StartAngle + kPi);
            s.EndAngle = NormalizeAngle(s.EndAngle + kPi);
        } else {
            s.P1 = {Minus(Length, s.P1.X), Minus(Width, s.P1.Y)};
            s.P2 = {Minus(Length, s.P2.X), Minus(Width, s.P2.Y)};
        }
    }
}

void TExtPolyline::Rotate90() {
    std::swap(Length, Width);
    for (TPolySegment& s : segments_) {
        if (s.Kind == psArc) {
            std::swap(s.Center.X, s.Center.Y);
            s.StartAngle = NormalizeAngle(kHalfPi - s.StartAngle);
            s.EndAngle = NormalizeAngle(kHalfPi - s.EndAngle);
            s.Clockwise = s.Clockwise ? 0 : 1;
        } else {
            std::swap(s.P1.X, s.P1.Y);
            std::swap(s.P2.X, s.P2.Y);
        }
    }
    MirrorX();
}

void TExtPolyline::Normalize(std::string& ErrorText) {
    ErrorText.clear();
    if (segments_.empty()) {
        Length = 0;
        Width = 0;
        return;
    }
    TBounds b;
    for (TPolySegment& s : segments_) {
        if (s.Kind != psArc) {
            b.Add(s.P1);
            b.Add(s.P2);
            continue;
        }
        // Run every arc through increasing angles.
        if (s.Clockwise == 0) {
            s.Clockwise = 1;
            std::swap(s.StartAngle, s.EndAngle);
        }
        b.Add(ArcEndPoint(s, s.StartAngle));
        b.Add(ArcEndPoint(s, s.EndAngle));

        // Which axis points the arc passes: both angles are first brought into
        // one turn (drawings may give negative angles or angles beyond a full
        // turn), so the sweep [from, to] lies within [0, 4pi). Equal angles
        // make a full circle. This also covers every sweep that ends in the
        // quadrant it starts from.
        const double from = AngleInTurn(s.StartAngle);
        double to = AngleInTurn(s.EndAngle);
        if (to <= from) to += kTwoPi;
        const std::int64_t cx = s.Center.X, cy = s.Center.Y, r = s.Radius;
        if (InRange(from, to, 0.0) || InRange(from, to, kTwoPi)) b.Add(cx + r, cy);
        if (InRange(from, to, kHalfPi) || InRange(from, to, 5.0 * kPi / 2.0)) b.Add(cx, cy + r);
        if (InRange(from, to, kPi) || InRange(from, to, 3.0 * kPi)) b.Add(cx - r, cy);
        if (InRange(from, to, 3.0 * kPi / 2.0) || InRange(from, to, 7.0 * kPi / 2.0))
            b.Add(cx, cy - r);

        if (s.EndAngle <= s.StartAngle) s.EndAngle += kTwoPi;
        s.EndAngle = NormalizeAngle(s.EndAngle);
    }

    // Every point of the outline lies within the bounds, so the extents decide
    // whether the outline fits.
    if (b.MaxX - b.MinX > kMaxOutline || b.MaxY - b.MinY > kMaxOutline) {
        ErrorText = MsgDxfErrorOutside;
        return;
    }
    Length = static_cast<std::int32_t>(b.MaxX - b.MinX);
    Width = static_cast<std::int32_t>(b.MaxY - b.MinY);

    for (TPolySegment& s : segments_) {
        if (s.Kind == psArc) {
            // The centre of a flat arc may lie far outside the outline.
            const std::int64_t x = s.Center.X - b.MinX, y = s.Center.Y - b.MinY;
            if (Outside(x) || Outside(y)) {
                ErrorText = MsgDxfErrorOutside;
                return;
            }
            s.Center = {static_cast<std::int32_t>(x), static_cast<std::int32_t>(y)};
        } else {
            s.P1 = {static_cast<std::int32_t>(s.P1.X - b.MinX),
                    static_cast<std::int32_t>(s.P1.Y - b.MinY)};
            s.P2 = {static_cast<std::int32_t>(s.P2.X - b.MinX),
                    static_cast<std::int32_t>(s.P2.Y - b.MinY)};
        }
    }

    // To screen orientation.
    for (TPolySegment& s : segments_) {
        if (s.Kind == psArc) {
            s.Center.Y = Minus(Width, s.Center.Y);
            s.StartAngle = NormalizeAngle(-s.StartAngle);
            s.EndAngle = NormalizeAngle(-s.EndAngle);
            s.Clockwise = s.Clockwise ? 0 : 1;
        } else {
            s.P1.Y = Minus(Width, s.P1.Y);
            s.P2.Y = Minus(Width, s.P2.Y);
        }
    }
}

TPoint TExtPolyline::CenterPoint() const {
    const std::size_t n = segments_.size();
    if (n <= 2) return {Length / 2, Width / 2};
    double sx = 0, sy = 0;
    for (const TPolySegment& s : segments_) {
        TPoint a = s.P1, c = s.P2;
        if (s.Kind == psArc) {
            a = ArcEndPoint(s, s.StartAngle);
            c = ArcEndPoint(s, s.EndAngle);
        }
        sx += a.X;
        sx += c.X;
        sy += a.Y;
        sy += c.Y;
    }
    const double d = 2.0 * static_cast<double>(n);
    return {static_cast<std::int32_t>(std::trunc(sx / d)),
            static_cast<std::int32_t>(std::trunc(sy / d))};
}
