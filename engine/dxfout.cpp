#include "engine/dxfout.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>

#include "engine/errors.h"
#include "engine/numeric.h"
#include "engine/pubstr.h"
#include "engine/textfmt.h"
#include "platform/inifile.h"

namespace {

constexpr std::size_t kMaxLayerLength = 32;
constexpr std::size_t kMaxNumberLength = 32;
constexpr double kArcTrim = 0.001;       // degrees taken off each end of an arc
constexpr double kTurnTolerance = 1e-9;  // degrees
constexpr int kFineDecimals = 9;

double User(double Internal) {
    return Internal / 1000.0;
}

}  // namespace

std::string BlankLineBreaks(std::string_view S) {
    std::string out(S);
    std::replace_if(
        out.begin(), out.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    return out;
}

bool SameDirectionDegrees(double A, double B) {
    return std::abs(std::remainder(A - B, 360.0)) < kTurnTolerance;
}

TDXFOut::TDXFOut(std::uint8_t Decimals, double BoxMinX, double BoxMinY, double BoxMaxX,
                 double BoxMaxY, double LimMinX, double LimMinY, double LimMaxX, double LimMaxY,
                 double Value9)
    : BoxMinX(BoxMinX),
      BoxMinY(BoxMinY),
      BoxMaxX(BoxMaxX),
      BoxMaxY(BoxMaxY),
      LimMinX(LimMinX),
      LimMinY(LimMinY),
      LimMaxX(LimMaxX),
      LimMaxY(LimMaxY),
      Value9(Value9),
      Decimals(Decimals) {}

std::string TDXFOut::FloatToDXF(double Value) const {
    if (!std::isfinite(Value)) throw ERangeError("DXF value is not a finite number");
    std::string s = FloatToStrF(Value, Decimals);
    // A small negative value that rounds to zero is written as plain zero.
    if (!s.empty() && s[0] == '-' && s.find_first_not_of("-0.") == std::string::npos) s.erase(0, 1);
    if (s.size() > kMaxNumberLength) s = FloatToStr(Value);
    return s;
}

void TDXFOut::SetLayer(std::string_view Name) {
    Layer = BlankLineBreaks(Name.substr(0, std::min(Name.size(), kMaxLayerLength)));
}

void TDXFOut::Add(std::string_view Code, std::string_view Value) {
    Lines.emplace_back(Code);
    Lines.emplace_back(Value);
}

void TDXFOut::AddNumber(std::string_view Code, double Value) {
    Add(Code, FloatToDXF(Value));
}

void TDXFOut::AddFineNumber(std::string_view Code, double Value) {
    if (!std::isfinite(Value)) throw ERangeError("DXF value is not a finite number");
    std::string s = FloatToStrF(Value, kFineDecimals);
    const std::size_t point = s.find('.');
    if (point != std::string::npos) {
        const std::size_t keep = point + 1 + Decimals;
        while (s.size() > keep && s.back() == '0') s.pop_back();
        if (s.back() == '.') s.pop_back();
    }
    if (s.size() > kMaxNumberLength) {
        AddNumber(Code, Value);
        return;
    }
    Add(Code, s.find_first_not_of("-0.") == std::string::npos ? FloatToDXF(0) : s);
}

void TDXFOut::AddLayer() {
    Add("8", Layer);
}

void TDXFOut::AddPoint(double X, double Y, double Z) {
    AddNumber("10", X);
    AddNumber("20", Y);
    AddNumber("30", Z);
}

void TDXFOut::AddSecondPoint(double X, double Y, double Z) {
    AddNumber("11", X);
    AddNumber("21", Y);
    AddNumber("31", Z);
}

void TDXFOut::WriteHeader() {
    Layer = "0";
    Add("0", "SECTION");
    Add("2", "HEADER");
    Add("9", "$LIMMIN");
    AddNumber("10", LimMinX);
    AddNumber("20", LimMinY);
    Add("9", "$LIMMAX");
    AddNumber("10", LimMaxX);
    AddNumber("20", LimMaxY);
    Add("0", "ENDSEC");
    Add("0", "SECTION");
    Add("2", "TABLES");
    Add("0", "TABLE");
    Add("2", "LAYER");
    Add("70", "1");
    Add("0", "LAYER");
    Add("2", "0");
    Add("70", "64");
    Add("62", "7");
    Add("6", "CONTINUOUS");
    Add("0", "ENDTAB");
    Add("0", "ENDSEC");
    Add("0", "SECTION");
    Add("2", "ENTITIES");
}

void TDXFOut::WriteEOF() {
    Add("0", "ENDSEC");
    Add("0", "EOF");
}

void TDXFOut::WriteLine(double X1, double Y1, double Z1, double X2, double Y2, double Z2) {
    Add("0", "LINE");
    AddLayer();
    AddPoint(X1, Y1, Z1);
    AddSecondPoint(X2, Y2, Z2);
}

void TDXFOut::BeginPolyline(bool Closed) {
    Add("0", "POLYLINE");
    AddLayer();
    Add("66", "1");
    AddPoint(0, 0, 0);
    Add("70", Closed ? "1" : "0");
}

void TDXFOut::WriteVertex(double X, double Y, double Z) {
    WriteVertex(X, Y, Z, 0);
}

void TDXFOut::WriteVertex(double X, double Y, double Z, double Bulge) {
    Add("0", "VERTEX");
    AddLayer();
    AddPoint(X, Y, Z);
    if (Bulge != 0) Add("42", FloatToStrF(Bulge, 9));
    Add("70", "1");
}

void TDXFOut::EndPolyline() {
    Add("0", "SEQEND");
    AddLayer();
}

void TDXFOut::WriteText(std::string_view Text, double X, double Y, double Z, double Height,
                        double Angle) {
    Add("0", "TEXT");
    AddLayer();
    AddPoint(X, Y, Z);
    AddNumber("40", Height);
    Add("1", BlankLineBreaks(Text));
    AddNumber("50", Angle);
}

void TDXFOut::WriteArc(double X, double Y, double Z, double Radius, double StartAngle,
                       double EndAngle) {
    Add("0", "ARC");
    AddLayer();
    AddPoint(X, Y, Z);
    AddNumber("40", Radius);
    AddNumber("50", StartAngle);
    AddNumber("51", EndAngle);
}

void TDXFOut::WriteFineArc(double X, double Y, double Z, double Radius, double StartAngle,
                           double EndAngle) {
    Add("0", "ARC");
    AddLayer();
    AddFineNumber("10", X);
    AddFineNumber("20", Y);
    AddNumber("30", Z);
    AddFineNumber("40", Radius);
    AddFineNumber("50", StartAngle);
    AddFineNumber("51", EndAngle);
}

void TDXFOut::WriteRect(const TRect& R) {
    const double l = User(R.Left), t = User(R.Top), r = User(R.Right), b = User(R.Bottom);
    if (DxfExportLines) {
        WriteLine(l, t, 0, r, t, 0);
        WriteLine(r, t, 0, r, b, 0);
        WriteLine(r, b, 0, l, b, 0);
        WriteLine(l, b, 0, l, t, 0);
        return;
    }
    BeginPolyline(true);
    WriteVertex(l, t, 0);
    WriteVertex(r, t, 0);
    WriteVertex(r, b, 0);
    WriteVertex(l, b, 0);
    EndPolyline();
}

void TDXFOut::WriteCircle(double X, double Y, double Z, double Radius) {
    Add("0", "CIRCLE");
    AddLayer();
    AddPoint(User(X), User(Y), User(Z));
    AddNumber("40", User(Radius));
}

TEllipseHalf EllipseUpperHalf(double X1, double X2, double Cy, double HalfHeight) {
    const double s0 = (X2 - X1) / 100;
    const double a = std::abs(X1 - X2) / 2;
    const double b = HalfHeight;
    const double cx = (X1 + X2) / 2;
    TEllipseHalf h;
    std::vector<double>& xs = h.Xs;
    std::vector<double>& offs = h.Offsets;
    xs.push_back(X1);
    offs.push_back(0.0);
    for (int i = 1; i <= 1000; ++i) {
        const double px = xs.back();
        const double py = Cy + offs.back();
        double s = s0;
        double off = 0;
        bool finished = false;
        for (int attempt = 0; attempt < 10; ++attempt) {
            const double x = px + s;
            if (x > X2) {
                s /= 2;
                if (s <= s0 / 500) {
                    finished = true;
                    break;
                }
                continue;
            }
            const double u = (x - cx) / a;
            off = b * std::sqrt(std::abs(1 - u * u));
            const double dx = x - px, dy = Cy + off - py;
            if (dx * dx + dy * dy <= s0 * s0) break;
            s /= 2;
        }
        if (finished) break;
        xs.push_back(px + s);
        offs.push_back(off);
    }
    return h;
}

void TDXFOut::WriteEllipse(double X1, double Y1, double /*Z1*/, double X2, double Y2,
                           double /*Z2*/) {
    if (X2 < X1) std::swap(X1, X2);
    const double cy = (Y1 + Y2) / 2;
    BeginPolyline(true);
    if (X1 == X2) {
        // No width: the curve is the vertical segment between its two ends.
        WriteVertex(User(X1), User(std::max(Y1, Y2)), 0);
        WriteVertex(User(X1), User(std::min(Y1, Y2)), 0);
        EndPolyline();
        return;
    }
    // The upper half; the lower half mirrors it about cy.
    const TEllipseHalf h = EllipseUpperHalf(X1, X2, cy, std::abs(Y1 - Y2) / 2);
    const std::vector<double>& xs = h.Xs;
    const std::vector<double>& offs = h.Offsets;
    for (std::size_t i = 0; i < xs.size(); ++i) WriteVertex(User(xs[i]), User(cy + offs[i]), 0);
    for (std::size_t i = xs.size(); i-- > 0;) WriteVertex(User(xs[i]), User(cy - offs[i]), 0);
    EndPolyline();
}

void TDXFOut::WriteArcSpan(double X, double Y, double Z, double Radius, double FromAngle,
                           double ToAngle) {
    if (SameDirectionDegrees(FromAngle, ToAngle)) {
        Add("0", "CIRCLE");
        AddLayer();
        AddPoint(X, Y, Z);
        AddNumber("40", Radius);
        return;
    }
    double sweep = std::fmod(ToAngle - FromAngle, 360.0);
    if (sweep <= 0) sweep += 360.0;
    const double trim = std::min(kArcTrim, sweep / 4);
    WriteArc(X, Y, Z, Radius, FromAngle + trim, ToAngle - trim);
}

void TDXFOut::WriteLabel(std::string_view Text, double CenterX, double CenterY, double Z,
                         double Height) {
    const std::int64_t k = Round32(Height);
    const std::int64_t n = static_cast<std::int64_t>(Text.size());
    const double x = CenterX - User(static_cast<double>(k * 3 * n / 8));
    const double y = CenterY + User(static_cast<double>(k / 2));
    WriteText(Text, x, y, Z, Height, 0);
}

std::string TDXFOut::Text() const {
    std::size_t size = 0;
    for (const auto& line : Lines) size += line.size() + 2;
    std::string out;
    out.reserve(size);
    for (const auto& line : Lines) {
        out += line;
        out += "\r\n";
    }
    return out;
}

void TDXFOut::SaveToFile(const std::string& FileName) const {
    platform::WriteFileAtomic(FileName, Text());
}
