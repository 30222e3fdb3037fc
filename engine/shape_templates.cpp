#include "engine/shape_templates.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <numbers>
#include <utility>

#include "engine/errors.h"
#include "engine/extpolyline.h"
#include "engine/numeric.h"
#include "engine/pubfunc.h"
#include "engine/pubstr.h"
#include "engine/shared_state.h"
#include "engine/textfmt.h"
#include "engine/trapezium.h"
#include "platform/message_sink.h"

namespace {

constexpr double kPi = std::numbers::pi;

using Texts = std::vector<std::string>;

// A typed dimension in internal units; throws on a text that is no number.
std::int32_t Units(const std::string& S) {
    std::string decimal;
    FractionToDecimalStr(S, decimal);
    // A malformed fraction ("2 3", "1/2 3") comes back empty; it must not
    // pass as 0.
    if (decimal.empty() && !Trim(S).empty())
        throw EConvertError("'" + S + "' is not a valid floating point value");
    return PubFunc.StrToUnits(decimal);
}

std::int32_t R32(double V) {
    return Round32(V);
}

std::int32_t Sum(std::int64_t A, std::int64_t B) {
    return CheckedInt32(A + B);
}

// What a template computes: the outline, the piece size and the trapezium.
struct TShapeBuild {
    TExtPolyline Outline;
    std::int32_t Length = 0, Width = 0;
    std::int32_t Bottom = 0, Param3 = 0, TopOffset = 0, Top = 0, Param6 = 0, Height = 0;
    std::int32_t Param8 = 0, Param9 = 0;

    void Line(TPoint A, TPoint B) { Outline.AddSegment(psLine, A, B, {}, 0, 0.0, 0.0, 0, "0"); }
    void Arc(TPoint Center, std::int32_t Radius, double StartAngle, double EndAngle) {
        Outline.AddSegment(psArc, {}, {}, Center, Radius, StartAngle, EndAngle, 1, "0");
    }
    // A closed polygon through the points.
    void Polygon(std::initializer_list<TPoint> Points) {
        const std::vector<TPoint> p(Points);
        for (std::size_t i = 0; i < p.size(); ++i) Line(p[i], p[(i + 1) % p.size()]);
    }
    void Trapezium(std::int32_t B, std::int32_t P3, std::int32_t TO, std::int32_t T,
                   std::int32_t P6, std::int32_t H) {
        Bottom = B;
        Param3 = P3;
        TopOffset = TO;
        Top = T;
        Param6 = P6;
        Height = H;
    }
    void Margins(std::int32_t M) { Param8 = Param9 = M; }
};

// Stores a finished shape under the piece's label. A shape without length or
// width is no part at all.
bool Finish(T2DStock& Piece, const std::string& Name, const Texts& Used, const TShapeBuild& B) {
    if (B.Length < 1 || B.Width < 1) return false;
    TTrapezium shape;
    shape.SetParam8(B.Param8);
    shape.SetParam9(B.Param9);
    shape.Setup(false, Piece.Label, static_cast<std::int32_t>(TrapeziumList.Count()), B.Outline,
                B.Bottom, B.Param3, B.TopOffset, B.Top, B.Param6, B.Height);
    shape.Name = Name;
    std::string* fields[6] = {&shape.P1, &shape.P2, &shape.P3, &shape.P4, &shape.P5, &shape.P6};
    for (std::size_t i = 0; i < 6; ++i) *fields[i] = i < Used.size() ? Used[i] : std::string();
    TrapeziumList.AddOrUpdate(shape);
    Piece.ShapeKind = skShaped;
    Piece.Length = B.Length;
    Piece.Width = B.Width;
    return true;
}

// Runs a template's computation; any conversion error or overflow means the
// texts make no valid shape.
template <typename F>
bool Build(T2DStock& Piece, const std::string& Name, const Texts& Used, F&& Compute) {
    try {
        TShapeBuild b;
        if (!Compute(b)) return false;
        return Finish(Piece, Name, Used, b);
    } catch (const std::exception&) {
        return false;
    }
}

// The segment construction shared by the disc templates, for radius R and
// segment height s.
struct TSegmentSizes {
    double T = 0;   // top side of the enclosing trapezium
    double Bw = 0;  // its bottom side
};

TSegmentSizes SegmentSizes(double R, double s) {
    const double e = s - R;
    const double beta = std::asin(ClampToUnit((R - e) / (2 * R)));
    const double gamma = (kPi / 2 - beta) / 2;
    TSegmentSizes out;
    out.T = 2 * R * std::tan(gamma);
    const double S = R * std::sin(2 * gamma);
    out.Bw = (2 * S - out.T / 2) * 2;
    return out;
}

// Trapezium, margins and the piece length of a disc part whose outline is
// OutlineLength long, from the segment sizes.
void DiscTrapezium(TShapeBuild& b, const TSegmentSizes& z, double OutlineLength,
                   std::int32_t Height) {
    const std::int32_t side = R32((z.Bw - z.T) / 2);
    b.Margins(R32((z.Bw - OutlineLength) / 2));
    b.Trapezium(R32(z.Bw), 0, side, R32(z.T), side, Height);
    b.Length = R32(z.Bw);
}

}  // namespace

const std::vector<std::string>& StandardTemplateNames() {
    static const std::vector<std::string> names{"Triangle1",  "Triangle2",  "Trapezium1",
                                                "Trapezium2", "Trapezium3", "Disc1",
                                                "Disc2",      "Disc3",      "Disc4"};
    return names;
}

bool MakeTriangle1Profile(T2DStock& Piece, const std::string& P1, const std::string& P2,
                          const std::string& P3, const std::string&, const std::string&,
                          const std::string&) {
    return Build(Piece, "Triangle1", {P1, P2, P3}, [&](TShapeBuild& b) {
        const std::int64_t a = Units(P1), base = Units(P2), c = Units(P3);
        if (a < 0 || base < 0 || c < 0) return false;
        const std::int64_t sum = a + base + c;
        if (!(2 * a < sum && 2 * base < sum && 2 * c < sum)) return false;
        const double da = static_cast<double>(a), db = static_cast<double>(base);
        const double dc = static_cast<double>(c);
        const double x = (dc * dc - da * da - db * db) / (2 * db);
        const double h = std::sqrt(std::max(0.0, da * da - x * x));
        const std::int32_t H = R32(h);
        const std::int32_t bi = static_cast<std::int32_t>(base);
        b.Width = H;
        if (x >= 0) {
            // Right or obtuse angle at the corner between a and the base: the
            // base lies at the bottom, the corner at the top left.
            const std::int32_t X = R32(x);
            const std::int32_t right = Sum(bi, X);
            b.Polygon({{0, 0}, {right, H}, {X, H}});
            b.Length = right;
            b.Trapezium(0, right, X, bi, 0, H);
            return true;
        }
        const std::int32_t X = R32(-x);
        b.Polygon({{0, 0}, {bi, 0}, {X, H}});
        if (X <= bi) {
            b.Length = bi;
            b.Trapezium(bi, 0, X, 0, bi - X, H);
        } else {
            // Obtuse angle at the right end of the base: the apex lies beyond
            // it, and so do the piece and its trapezium.
            b.Length = X;
            b.Trapezium(bi, X - bi, X, 0, 0, H);
        }
        return true;
    });
}

bool MakeTriangle2Profile(T2DStock& Piece, const std::string& P1, const std::string& P2,
                          const std::string&, const std::string&, const std::string&,
                          const std::string&) {
    return Build(Piece, "Triangle2", {P1, P2}, [&](TShapeBuild& b) {
        const std::int32_t a = Units(P1), c = Units(P2);
        if (a < 1 || c < 1) return false;
        b.Polygon({{0, 0}, {a, 0}, {0, c}});
        b.Length = a;
        b.Width = c;
        b.Trapezium(a, 0, 0, 0, a, c);
        return true;
    });
}

bool MakeTrapezium1Profile(T2DStock& Piece, const std::string& P1, const std::string& P2,
                           const std::string& P3, const std::string& P4, const std::string&,
                           const std::string&) {
    return Build(Piece, "Trapezium1", {P1, P2, P3, P4}, [&](TShapeBuild& b) {
        const std::int32_t a = Units(P1), t = Units(P2), c = Units(P3), h = Units(P4);
        if (a <= 0 || t < 0 || c < 0 || h <= 0) return false;
        const std::int32_t tc = Sum(t, c);
        const std::int32_t d = CheckedInt32(std::int64_t{a} - t - c);  // the left inset
        if (d >= 0 && d <= c) {
            b.Polygon({{0, 0}, {a, 0}, {a - c, h}, {d, h}});
            b.Trapezium(a, 0, d, t, c, h);
        } else if (d >= 0) {
            // The larger inset goes to the right.
            b.Polygon({{0, 0}, {a, 0}, {tc, h}, {c, h}});
            b.Trapezium(a, 0, c, t, d, h);
        } else if (-d > c) {
            b.Polygon({{0, 0}, {a, 0}, {tc, h}, {c, h}});
            b.Trapezium(a, -d, c, t, 0, h);
        } else {
            // The given top becomes the side on y = 0.
            b.Polygon({{0, 0}, {t, 0}, {tc, h}, {-d, h}});
            b.Trapezium(t, c, -d, a, 0, h);
        }
        b.Length = std::max(a, tc);
        b.Width = h;
        return true;
    });
}

bool MakeTrapezium2Profile(T2DStock& Piece, const std::string& P1, const std::string& P2,
                           const std::string& P3, const std::string&, const std::string&,
                           const std::string&) {
    return Build(Piece, "Trapezium2", {P1, P2, P3}, [&](TShapeBuild& b) {
        const std::int32_t a = Units(P1), c = Units(P2), h = Units(P3);
        if (a < 1 || c < 0 || h <= 0) return false;
        const std::int32_t L = std::max(a, c);
        b.Polygon({{0, 0}, {c, 0}, {a, h}, {0, h}});
        b.Trapezium(c, L - c, 0, a, L - a, h);
        b.Length = L;
        b.Width = h;
        return true;
    });
}

bool MakeTrapezium3Profile(T2DStock& Piece, const std::string& P1, const std::string& P2,
                           const std::string& P3, const std::string&, const std::string&,
                           const std::string&) {
    return Build(Piece, "Trapezium3", {P1, P2, P3}, [&](TShapeBuild& b) {
        std::int32_t a = Units(P1), s = Units(P2), h = Units(P3);
        if (a < 1 || s < 0 || h <= 0) return false;
        const double S = std::hypot(static_cast<double>(s), static_cast<double>(h));
        if (a < R32(S)) {
            // Laid on the slanted pair of sides, which are the longer ones.
            const std::int32_t h2 = R32(static_cast<double>(h) * a / S);
            const double da = a, dh2 = h2;
            const std::int32_t s2 = R32(std::sqrt(std::max(0.0, da * da - dh2 * dh2)));
            a = R32(S);
            h = h2;
            s = s2;
        }
        const std::int32_t right = Sum(a, s);
        b.Polygon({{0, 0}, {a, 0}, {right, h}, {s, h}});
        b.Trapezium(a, s, s, a, 0, h);
        b.Length = right;
        b.Width = h;
        return true;
    });
}

bool MakeDisc1Profile(T2DStock& Piece, const std::string& P1, const std::string& P2,
                      const std::string&, const std::string&, const std::string&,
                      const std::string&) {
    return Build(Piece, "Disc1", {P1, P2}, [&](TShapeBuild& b) {
        const std::int32_t ci = Units(P1), si = Units(P2);
        if (ci <= 0 || si <= 0 || std::int64_t{ci} < 2 * std::int64_t{si}) return false;
        const double c = ci, s = si;
        const double R = (c * c / 4 + s * s) / (2 * s);
        const double theta = std::asin(ClampToUnit((c / 2) / R));
        const double t = R * std::tan(theta / 4);
        const double m = std::sqrt(std::abs(s * R - s * s / 4));
        const double W = 2 * m - t;
        const double alpha = std::asin(ClampToUnit((R - s) / R));
        b.Line({0, 0}, {ci, 0});
        b.Arc({ci / 2, -std::abs(R32(R - s))}, R32(R), alpha, kPi - alpha);
        b.Margins(R32(W - c / 2));
        b.Trapezium(R32(2 * W), 0, R32(W - t), R32(2 * t), R32(W - t), si);
        b.Length = R32(2 * W);
        b.Width = si;
        return true;
    });
}

bool MakeDisc2Profile(T2DStock& Piece, const std::string& P1, const std::string& P2,
                      const std::string&, const std::string&, const std::string&,
                      const std::string&) {
    return Build(Piece, "Disc2", {P1, P2}, [&](TShapeBuild& b) {
        const std::int32_t ci = Units(P1), si = Units(P2);
        if (ci <= 0 || si <= 0 || !(std::int64_t{ci} < 2 * std::int64_t{si})) return false;
        const double c = ci, s = si;
        const double R = (c * c / 4 + s * s) / (2 * s);
        const double d = std::asin(ClampToUnit((s - R) / R));
        b.Line({R32(R - c / 2), 0}, {R32(R + c / 2), 0});
        b.Arc({R32(R), std::abs(R32(R - s))}, R32(R), 2 * kPi - d, kPi + d);
        DiscTrapezium(b, SegmentSizes(R, s), 2 * R, si);
        b.Width = si;
        return true;
    });
}

bool MakeDisc3Profile(T2DStock& Piece, const std::string& P1, const std::string& P2,
                      const std::string&, const std::string&, const std::string&,
                      const std::string&) {
    return Build(Piece, "Disc3", {P1, P2}, [&](TShapeBuild& b) {
        const std::int32_t ri = Units(P1), angleUnits = Units(P2);
        if (ri <= 0 || angleUnits <= 0 || angleUnits >= 360000) return false;
        const double r = ri;
        const double angle = angleUnits / 1000.0;
        const double phi = angle * kPi / 360;
        if (angle < 180) {
            // The sector with its apex at the bottom, the arc at the top.
            const std::int32_t sx = R32(r * std::sin(phi));
            const std::int32_t sy = R32(r - r * std::cos(phi));
            b.Line({0, sy}, {sx, ri});
            b.Line({sx, ri}, {R32(2 * r * std::sin(phi)), sy});
            b.Arc({sx, ri}, ri, 3 * kPi / 2 - phi, 3 * kPi / 2 + phi);
            if (angle <= 90) {
                const std::int32_t L = R32(2 * r * std::tan(phi));
                b.Margins(R32(r * std::tan(phi) - r * std::sin(phi)));
                b.Trapezium(L, 0, L / 2, 0, L / 2, ri);
                b.Length = L;
                b.Width = ri;
            } else {
                const std::int32_t w = Sum(ri, 1);
                DiscTrapezium(b, SegmentSizes(r, r + 1), 2 * r * std::sin(phi), w);
                b.Width = w;
            }
            return true;
        }
        // Half a disc or more: the chord at the top, the apex inside.
        const double s = r + r * std::cos(kPi - phi);
        const double c = 2 * r * std::sin(kPi - phi);
        const std::int32_t cy = std::abs(R32(r - s));
        const double d = std::asin(ClampToUnit((s - r) / r));
        b.Line({R32(r - c / 2), 0}, {ri, cy});
        b.Line({R32(r + c / 2), 0}, {ri, cy});
        b.Arc({ri, cy}, ri, 2 * kPi - d, kPi + d);
        b.Width = R32(s);
        DiscTrapezium(b, SegmentSizes(r, s), 2 * r, b.Width);
        return true;
    });
}

bool MakeDisc4Profile(T2DStock& Piece, const std::string& P1, const std::string& P2,
                      const std::string& P3, const std::string&, const std::string&,
                      const std::string&) {
    return Build(Piece, "Disc4", {P1, P2, P3}, [&](TShapeBuild& b) {
        const std::int32_t ri = Units(P1), angle = Units(P2) / 1000, wi = Units(P3);
        if (ri <= 0 || wi <= 0 || angle < 1 || angle > 180) return false;
        const double r = ri, w = wi;
        const std::int32_t Ri = Sum(ri, wi);
        const double R = Ri;
        const double phi = angle * kPi / 360;
        const double a = r * std::cos(phi);
        const double e = R - a;
        const double psi = std::asin(ClampToUnit(r * std::sin(phi) / R));
        const double g = R * std::cos(psi) - a;
        const double k = R - a - g;
        const std::int32_t width = R32(2 * R * std::sin(phi));
        // The ring opens towards +X, its outer side at x = 0.
        b.Line({R32(e - w * std::cos(phi)), 0}, {R32(e), R32(w * std::sin(phi))});
        b.Line({R32(e - w * std::cos(phi)), width},
               {R32(e), R32(w * std::sin(phi) + 2 * r * std::sin(phi))});
        const TPoint center{Ri, R32(R * std::sin(phi))};
        b.Arc(center, ri, kPi - phi, kPi + phi);
        b.Arc(center, Ri, kPi - phi, kPi + phi);
        b.Margins(R32(k));
        b.Trapezium(R32(2 * k + e), 0, R32(2 * k), R32(e - 2 * k), R32(2 * k), width);
        b.Length = R32(2 * k + e);
        b.Width = width;
        return true;
    });
}

namespace {

using TBuilder = bool (*)(T2DStock&, const std::string&, const std::string&, const std::string&,
                          const std::string&, const std::string&, const std::string&);

TBuilder FindBuilder(const std::string& Name) {
    static const std::pair<const char*, TBuilder> builders[] = {
        {"Triangle1", MakeTriangle1Profile},
        {"Triangle2", MakeTriangle2Profile},
        {"Trapezium1", MakeTrapezium1Profile},
        {"Trapezium2", MakeTrapezium2Profile},
        {"Trapezium3", MakeTrapezium3Profile},
        {"Disc1", MakeDisc1Profile},
        {"Disc2", MakeDisc2Profile},
        {"Disc3", MakeDisc3Profile},
        {"Disc4", MakeDisc4Profile}};
    for (const auto& [name, builder] : builders)
        if (Name == name) return builder;
    return nullptr;
}

bool LabelInProfileList(const std::string& Label) {
    for (const T2DStock& p : ProfilePartList)
        if (p.Label == Label) return true;
    return false;
}

bool Refuse(const std::string& Message) {
    platform::CurrentMessageSink().Warning(Message);
    return false;
}

// Appends the new profile part to both lists.
void AppendProfilePart(T2DStock& Piece, std::int32_t Quantity2) {
    ProfilePartList.AddCopy(Piece);
    Piece.Quantity = Quantity2;
    ProfilePartQtyList.AddCopy(Piece);
}

}  // namespace

bool AddStandardProfilePart(const std::string& Label, const std::string& Comment,
                            const std::string& TemplateName, const std::string& P1,
                            const std::string& P2, const std::string& P3, const std::string& P4,
                            const std::string& P5, const std::string& P6, std::int32_t Quantity1,
                            std::int32_t Quantity2, const std::string& Material) {
    T2DStock piece;
    piece.Label = Label;
    piece.Quantity = Quantity1;
    piece.Comment = Comment;
    piece.SourceKind = srcPart;
    piece.Material = Material;
    piece.CanRotate = true;
    if (LabelInProfileList(Label)) return Refuse(MsgLabelIsntUnique);
    std::string detail;
    try {
        const TBuilder builder = FindBuilder(TemplateName);
        if (builder && builder(piece, P1, P2, P3, P4, P5, P6)) {
            piece.ProfileIndex = ProfilePartList.Count();
            piece.TurnState = 0;
            AppendProfilePart(piece, Quantity2);
            return true;
        }
    } catch (const std::exception& e) {
        detail = e.what();
    }
    return Refuse("[" + detail + "]" + MsgShapeParaFormatInvalid);
}

bool AddDxfProfilePart(const std::string& Label, const std::string& Comment,
                       const std::string& ProfileName, std::int32_t Quantity1,
                       std::int32_t Quantity2, const std::string& Material, bool CanRotate) {
    if (LabelInProfileList(Label)) return Refuse(MsgLabelIsntUnique);
    const std::int32_t length = DxfOutline.Length, width = DxfOutline.Width;
    if (length <= 0 || width <= 0) return Refuse(MsgProfileFileFormatError);

    DxfShape.Setup(true, Label, static_cast<std::int32_t>(TrapeziumList.Count()), DxfOutline,
                   length, 0, 0, length, 0, width);
    DxfShape.Name = ProfileName;
    TrapeziumList.AddOrUpdate(DxfShape);

    T2DStock piece;
    piece.Label = Label;
    piece.Quantity = Quantity1;
    piece.Length = length;
    piece.Width = width;
    piece.ProfileIndex = ProfilePartList.Count();
    piece.TurnState = 0;
    piece.ShapeKind = skShaped;
    piece.Comment = Comment;
    piece.CanRotate = CanRotate;
    piece.SourceKind = srcPart;
    piece.Material = Material;
    AppendProfilePart(piece, Quantity2);
    return true;
}
