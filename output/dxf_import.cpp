#include "output/dxf_import.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <new>
#include <numbers>
#include <optional>
#include <stdexcept>
#include <utility>
#include <vector>

#include "engine/errors.h"
#include "engine/numeric.h"
#include "engine/pubstr.h"
#include "engine/shared_state.h"
#include "engine/textfmt.h"
#include "platform/inifile.h"
#include "platform/text_encoding.h"

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kTwoPi = 2.0 * std::numbers::pi;
constexpr double kHalfPi = std::numbers::pi / 2.0;

// Largest coordinate or radius taken, in internal units; larger drawings are
// refused as too large for an outline.
constexpr double kMaxCoordinate = 999999999.0;
constexpr std::size_t kMaxLwVertices = 1001;
constexpr std::size_t kMaxPolylineVertices = 1000;

// A drawing that cannot be read; the text says what and where.
class EDxfFormat : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// A value beyond the size an outline may have.
class EDxfTooLarge : public std::runtime_error {
  public:
    EDxfTooLarge() : std::runtime_error("too large") {}
};

std::string AtLine(std::size_t Line) {
    return " (line " + IntToStr(static_cast<long long>(Line)) + ")";
}

struct TPair {
    int Code = 0;
    std::string Value;
    std::size_t Line = 0;  // 1-based line of the code
};

// The drawing's code/value pairs up to and including (0, EOF).
std::vector<TPair> ReadPairs(std::string_view Text) {
    if (Text.starts_with("\xEF\xBB\xBF")) Text.remove_prefix(3);  // UTF-8 byte order mark
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= Text.size(); ++i) {
        if (i < Text.size() && Text[i] != '\n' && Text[i] != '\r') continue;
        lines.push_back(Trim(Text.substr(start, i - start)));
        if (i + 1 < Text.size() && Text[i] == '\r' && Text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    while (!lines.empty() && lines.back().empty()) lines.pop_back();

    std::vector<TPair> pairs;
    for (std::size_t i = 0; i < lines.size(); i += 2) {
        if (i + 1 >= lines.size())
            throw EDxfFormat("Group code without a value, odd number of lines" + AtLine(i + 1));
        TPair p;
        p.Line = i + 1;
        try {
            p.Code = StrToInt(lines[i]);
        } catch (const EConvertError&) {
            throw EDxfFormat("'" + lines[i] + "' is not a valid group code" + AtLine(i + 1));
        }
        p.Value = lines[i + 1];
        const bool end = p.Code == 0 && p.Value == "EOF";
        pairs.push_back(std::move(p));
        if (end) break;
    }
    return pairs;
}

double Number(const TPair& P) {
    try {
        return StrToFloat(P.Value);
    } catch (const EConvertError& e) {
        throw EDxfFormat(e.what() + AtLine(P.Line + 1));
    }
}

// A coordinate or radius of the file in internal units (times 1000).
double ScaledLength(const TPair& P) {
    const double v = Number(P) * 1000.0;
    if (std::abs(v) > kMaxCoordinate) throw EDxfTooLarge();
    return v;
}

std::int32_t RoundLength(double V) {
    return Round32(V);
}

TPoint RoundPoint(double X, double Y) {
    return {RoundLength(X), RoundLength(Y)};
}

struct TVertex {
    std::optional<double> X, Y;
    double Bulge = 0;
    std::size_t Line = 0;
};

// Angle of (X, Y) about the centre, in [0, 2pi], D being their distance.
double AngleAbout(double X, double Y, double Cx, double Cy, double D) {
    const double a = std::acos(ClampToUnit(std::abs(X - Cx) / D));
    if (X >= Cx && Y >= Cy) return a;
    if (X <= Cx && Y >= Cy) return kPi - a;
    if (X <= Cx && Y <= Cy) return kPi + a;
    return kTwoPi - a;
}

class TReader {
  public:
    // Segments of each entity kind, in file order.
    std::vector<TPolySegment> Polylines, LwPolylines, Circles, LinesRead, Arcs;

    void Read(const std::vector<TPair>& Pairs) {
        for (const TPair& p : Pairs) {
            if (p.Code == 0)
                Next(p);
            else
                Group(p);
        }
        if (kind_ != TKind::None)
            throw EDxfFormat("The file ends inside an entity, it may be cut short" +
                             AtLine(start_));
    }

  private:
    enum class TKind { None, Polyline, LwPolyline, Circle, Line, Arc };

    TKind kind_ = TKind::None;
    std::size_t start_ = 0;  // line where the entity began
    std::string layer_ = "0";
    bool closed_ = false;
    bool inVertex_ = false;  // POLYLINE: reading a VERTEX entity
    std::vector<TVertex> vertices_;
    std::optional<double> x1_, y1_, x2_, y2_, radius_, start_angle_, end_angle_;

    void Begin(TKind Kind, std::size_t Line) {
        kind_ = Kind;
        start_ = Line;
        layer_ = "0";
        closed_ = false;
        inVertex_ = false;
        vertices_.clear();
        x1_ = y1_ = x2_ = y2_ = radius_ = start_angle_ = end_angle_ = std::nullopt;
    }

    // A group 0: ends the current entity (a POLYLINE only at SEQEND) and
    // starts the one it names.
    void Next(const TPair& P) {
        if (kind_ == TKind::Polyline && P.Value == "VERTEX") {
            inVertex_ = true;
            NewVertex(P.Line, kMaxPolylineVertices);
            return;
        }
        Finish();
        kind_ = TKind::None;
        if (P.Value == "SEQEND") return;
        if (P.Value == "POLYLINE")
            Begin(TKind::Polyline, P.Line);
        else if (P.Value == "LWPOLYLINE")
            Begin(TKind::LwPolyline, P.Line);
        else if (P.Value == "CIRCLE")
            Begin(TKind::Circle, P.Line);
        else if (P.Value == "LINE")
            Begin(TKind::Line, P.Line);
        else if (P.Value == "ARC")
            Begin(TKind::Arc, P.Line);
    }

    void NewVertex(std::size_t Line, std::size_t Max) {
        CheckLastVertex();
        if (vertices_.size() >= Max)
            throw EDxfFormat("A polyline has more than " + IntToStr(static_cast<long long>(Max)) +
                             " vertices" + AtLine(Line));
        vertices_.push_back({});
        vertices_.back().Line = Line;
    }

    void CheckLastVertex() const {
        if (!vertices_.empty() && (!vertices_.back().X || !vertices_.back().Y))
            throw EDxfFormat("A polyline vertex lacks a coordinate" +
                             AtLine(vertices_.back().Line));
    }

    void Group(const TPair& P) {
        switch (kind_) {
            case TKind::None:
                return;
            case TKind::Polyline:
                if (inVertex_)
                    VertexGroup(P);
                else if (P.Code == 8)
                    layer_ = P.Value;
                else if (P.Code == 70)
                    closed_ = (StrToIntDef(P.Value, 0) & 1) != 0;
                // The header's own point (groups 10, 20) is only an elevation.
                return;
            case TKind::LwPolyline:
                if (P.Code == 8)
                    layer_ = P.Value;
                else if (P.Code == 70)
                    closed_ = (StrToIntDef(P.Value, 0) & 1) != 0;
                else if (P.Code == 10) {
                    NewVertex(P.Line, kMaxLwVertices);
                    VertexGroup(P);
                } else if (P.Code == 20 || P.Code == 42) {
                    if (vertices_.empty())
                        throw EDxfFormat("A polyline value comes before its vertex" +
                                         AtLine(P.Line));
                    VertexGroup(P);
                }
                return;
            case TKind::Circle:
            case TKind::Line:
            case TKind::Arc:
                SimpleGroup(P);
                return;
        }
    }

    void VertexGroup(const TPair& P) {
        TVertex& v = vertices_.back();
        if (P.Code == 10)
            v.X = ScaledLength(P);
        else if (P.Code == 20)
            v.Y = ScaledLength(P);
        else if (P.Code == 42)
            v.Bulge = Number(P);
        // A vertex's own flags (group 70) do not open or close the polyline.
    }

    void SimpleGroup(const TPair& P) {
        switch (P.Code) {
            case 8:
                layer_ = P.Value;
                break;
            case 10:
                x1_ = ScaledLength(P);
                break;
            case 20:
                y1_ = ScaledLength(P);
                break;
            case 11:
                if (kind_ == TKind::Line) x2_ = ScaledLength(P);
                break;
            case 21:
                if (kind_ == TKind::Line) y2_ = ScaledLength(P);
                break;
            case 40:
                if (kind_ != TKind::Line) {
                    radius_ = ScaledLength(P);
                    if (*radius_ < 0) throw EDxfFormat("Negative radius" + AtLine(P.Line));
                }
                break;
            case 50:
                if (kind_ == TKind::Arc) start_angle_ = Number(P);
                break;
            case 51:
                if (kind_ == TKind::Arc) end_angle_ = Number(P);
                break;
            default:
                break;
        }
    }

    void Finish() {
        switch (kind_) {
            case TKind::None:
                return;
            case TKind::Polyline:
                FinishPolyline(Polylines);
                return;
            case TKind::LwPolyline:
                FinishPolyline(LwPolylines);
                return;
            case TKind::Circle:
                if (x1_ && y1_ && radius_)
                    Circles.push_back(ArcSegment(*x1_, *y1_, *radius_, 0.0, 0.0, true));
                return;
            case TKind::Line:
                if (x1_ && y1_ && x2_ && y2_) {
                    TPolySegment s;
                    s.Kind = psLine;
                    s.P1 = RoundPoint(*x1_, *y1_);
                    s.P2 = RoundPoint(*x2_, *y2_);
                    s.Name = layer_;
                    LinesRead.push_back(std::move(s));
                }
                return;
            case TKind::Arc:
                if (x1_ && y1_ && radius_ && start_angle_ && end_angle_)
                    Arcs.push_back(ArcSegment(*x1_, *y1_, *radius_, *start_angle_ * kTwoPi / 360.0,
                                              *end_angle_ * kTwoPi / 360.0, true));
                return;
        }
    }

    TPolySegment ArcSegment(double Cx, double Cy, double Radius, double Start, double End,
                            bool CounterClockwise) const {
        TPolySegment s;
        s.Kind = psArc;
        s.Center = RoundPoint(Cx, Cy);
        s.Radius = RoundLength(Radius);
        s.StartAngle = Start;
        s.EndAngle = End;
        s.Clockwise = CounterClockwise ? 1 : 0;
        s.Name = layer_;
        return s;
    }

    void FinishPolyline(std::vector<TPolySegment>& Out) {
        CheckLastVertex();
        const std::size_t n = vertices_.size();
        const std::size_t count = closed_ ? n : (n == 0 ? 0 : n - 1);
        for (std::size_t i = 0; i < count; ++i) Segment(vertices_[i], vertices_[(i + 1) % n], Out);
    }

    // The segment from vertex A to vertex B, as A's bulge says.
    void Segment(const TVertex& A, const TVertex& B, std::vector<TPolySegment>& Out) const {
        const TPoint p1 = RoundPoint(*A.X, *A.Y), p2 = RoundPoint(*B.X, *B.Y);
        TPolySegment s;
        s.Name = layer_;
        if (A.Bulge != 0) {
            if (p1 == p2) return;  // no room for an arc
            TPoint c;
            bool ccw = false, large = false;
            try {
                BulgeArcCenter(p1, p2, c, ccw, large, A.Bulge);
            } catch (const ERangeError&) {
                throw EDxfTooLarge();
            }
            if (std::abs(static_cast<double>(c.X)) > kMaxCoordinate ||
                std::abs(static_cast<double>(c.Y)) > kMaxCoordinate)
                throw EDxfTooLarge();
            const double d = std::hypot(*A.X - c.X, *A.Y - c.Y);
            if (d > kMaxCoordinate) throw EDxfTooLarge();
            // An arc too small to have a radius of one unit is kept as its chord.
            if (d >= 0.5) {
                s.Kind = psArc;
                s.Center = c;
                s.Radius = RoundLength(d);
                s.StartAngle = AngleAbout(*A.X, *A.Y, c.X, c.Y, d);
                s.EndAngle = AngleAbout(*B.X, *B.Y, c.X, c.Y, d);
                s.Clockwise = ccw ? 1 : 0;
                Out.push_back(std::move(s));
                return;
            }
        }
        s.Kind = psLine;
        s.P1 = p1;
        s.P2 = p2;
        Out.push_back(std::move(s));
    }
};

std::string FormatError(const std::string& Detail) {
    return "[" + Detail + "]" + MsgDxfFileNotFound + "[" + Detail + "]";
}

}  // namespace

bool FileCanBeOpened(const std::string& FileName) {
    if (FileName.empty()) return false;
    std::error_code ec;
    if (std::filesystem::is_directory(FileName, ec)) return false;
    std::ifstream in(FileName, std::ios::binary);
    return static_cast<bool>(in);
}

void BulgeArcCenter(TPoint P1, TPoint P2, TPoint& Center, bool& Direction, bool& Large,
                    double Bulge) {
    const double dx = static_cast<double>(P2.X) - P1.X;
    const double dy = static_cast<double>(P2.Y) - P1.Y;
    const double h = std::sqrt(dx * dx + dy * dy) / 2;
    double theta = 4 * std::atan(std::abs(Bulge));
    if (theta > kPi) theta = kTwoPi - theta;
    theta /= 2;
    const double r = h / std::sin(theta);
    double alpha = std::acos(ClampToUnit(dx / (2 * h)));
    if (dy > 0) alpha = kTwoPi - alpha;
    const double beta = kHalfPi - theta;
    const bool useB = Bulge >= 1 || (Bulge < 0 && Bulge >= -1);
    const double phi = useB ? alpha + beta : alpha - beta;
    Center = {Round32(P1.X + r * std::cos(phi)), Round32(P1.Y - r * std::sin(phi))};
    Direction = Bulge >= 0;
    Large = std::abs(Bulge) >= 1;
}

std::string DxfOutOfMemoryMessage() {
    return "Out of memory: the DXF drawing could not be read; nothing was changed.";
}

std::string DxfFileTooLargeMessage(const std::string& FileName) {
    return "The DXF file \"" + FileName + "\" is larger than " +
           IntToStr(static_cast<long long>(kMaxDxfFileBytes / (1024 * 1024))) + " MB (" +
           IntToStr(static_cast<long long>(kMaxDxfFileBytes)) +
           " bytes), the most an outline file may hold; it was not read.";
}

std::string ParseDxfProfile(std::string_view Text, TExtPolyline& Outline) {
    TExtPolyline local;
    try {
        TReader reader;
        reader.Read(ReadPairs(Text));
        for (const auto* list : {&reader.Polylines, &reader.LwPolylines, &reader.Circles,
                                 &reader.LinesRead, &reader.Arcs})
            for (const TPolySegment& s : *list)
                local.AddSegment(s.Kind, s.P1, s.P2, s.Center, s.Radius, s.StartAngle, s.EndAngle,
                                 s.Clockwise, s.Name);
    } catch (const EDxfTooLarge&) {
        return MsgDxfErrorOutside;
    } catch (const std::bad_alloc&) {
        return DxfOutOfMemoryMessage();
    } catch (const std::exception& e) {
        return FormatError(e.what());
    }
    if (local.Count() == 0) return MsgNotFindPolylineData;
    std::string error;
    try {
        local.Normalize(error);
    } catch (const ERangeError&) {
        error = MsgDxfErrorOutside;
    } catch (const std::bad_alloc&) {
        error = DxfOutOfMemoryMessage();
    }
    if (!error.empty()) return error;
    Outline = std::move(local);
    return {};
}

std::string ReadDxfProfileFile(const std::string& FileName, TExtPolyline& Outline) {
    if (!FileCanBeOpened(FileName)) return MsgCantOpenFile;
    try {
        std::string data;
        switch (platform::ReadRegularFile(FileName, data, kMaxDxfFileBytes)) {
            case platform::FileState::Readable:
                return ParseDxfProfile(data, Outline);
            case platform::FileState::TooLarge:
                return DxfFileTooLargeMessage(FileName);
            default:
                return FormatError("cannot read " + FileName);
        }
    } catch (const std::bad_alloc&) {
        return DxfOutOfMemoryMessage();
    }
}

std::vector<std::string> DxfTextValues(std::string_view Text) {
    std::vector<TPair> pairs;
    try {
        pairs = ReadPairs(Text);
    } catch (const EDxfFormat&) {
        return {};
    }
    std::vector<std::string> labels;
    bool inText = false;
    for (const TPair& p : pairs) {
        if (p.Code == 0) inText = p.Value == "TEXT" || p.Value == "MTEXT";
        if (!inText || p.Code != 1) continue;
        const std::u32string chars = platform::TextCharacters(p.Value);
        std::u32string decoded;
        for (std::size_t i = 0; i < chars.size(); ++i) {
            char32_t c = chars[i];
            if (c == '\\' && i + 6 < chars.size() && chars[i + 1] == 'U' && chars[i + 2] == '+') {
                char32_t code = 0;
                std::size_t k = 3;
                for (; k < 7; ++k) {
                    const char32_t h = chars[i + k];
                    const int v = h >= '0' && h <= '9'   ? int(h - '0')
                                  : h >= 'A' && h <= 'F' ? int(h - 'A' + 10)
                                  : h >= 'a' && h <= 'f' ? int(h - 'a' + 10)
                                                         : -1;
                    if (v < 0) break;
                    code = code * 16 + static_cast<char32_t>(v);
                }
                if (k == 7) {
                    c = code;
                    i += 6;
                }
            }
            // A low UTF-16 half after a high one: the two are one character.
            if (c >= 0xDC00 && c <= 0xDFFF && !decoded.empty() && decoded.back() >= 0xD800 &&
                decoded.back() <= 0xDBFF)
                decoded.back() = 0x10000 + ((decoded.back() - 0xD800) << 10) + (c - 0xDC00);
            else
                decoded += c;
        }
        std::string utf8;
        for (char32_t c : decoded) platform::AppendUtf8(utf8, c);
        labels.push_back(std::move(utf8));
    }
    return labels;
}

std::string ImportDxfProfile(const std::string& FileName) {
    std::string error = ReadDxfProfileFile(FileName, DxfOutline);
    if (error.empty()) DxfProfileFileName = FileName;
    return error;
}
