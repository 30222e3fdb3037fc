// Reads the G-code and the DXF drawing of a layout back, on their own
// terms, and compares them with the plan (Optimizer.Best):
// - every drawn entity lies inside the net box of a piece, every piece is
//   drawn, and every cut path of a circle or shaped part inside its box;
// - no straight cut with its kerf enters the net area of a part;
// - every side of a rectangular part lies on a straight cut;
// - the first sideways move of the G-code comes after a lift;
// - shaped outlines close: DXF outlines are closed polylines, and every arc
//   end of the G-code meets another arc or a straight cut exactly.
// Lengths are compared in internal units in the sheet's frame (Y down from
// the sheet's top edge, trims included).
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <numbers>
#include <string>
#include <vector>

#include "engine/pubstr.h"
#include "engine/shared_state.h"
#include "engine/textfmt.h"
#include "output/dxf_layout.h"
#include "output/gcode_layout.h"
#include "output/piece_draw.h"
#include "output/report_text.h"

namespace plan_files_check {

struct Pt {
    double X = 0, Y = 0;
};

struct Box {
    double L, T, R, B;
    bool Holds(Pt P, double Tol) const {
        return P.X >= L - Tol && P.X <= R + Tol && P.Y >= T - Tol && P.Y <= B + Tol;
    }
};

// A straight piece of a cut path or of a drawing, or an arc (Centre set).
struct Prim {
    Pt A, B;
    bool Arc = false;
    Pt Centre;
    bool Ccw = false;  // in the sheet's frame (Y down) as seen on paper
};

inline Prim Straight(Pt A, Pt B) {
    Prim p;
    p.A = A;
    p.B = B;
    return p;
}

// Points along a primitive, its ends included.
inline std::vector<Pt> Samples(const Prim& P) {
    if (!P.Arc) return {P.A, P.B};
    const double r = std::hypot(P.A.X - P.Centre.X, P.A.Y - P.Centre.Y);
    // Paper angles (Y up) of the ends.
    const double a0 = std::atan2(-(P.A.Y - P.Centre.Y), P.A.X - P.Centre.X);
    const double a1 = std::atan2(-(P.B.Y - P.Centre.Y), P.B.X - P.Centre.X);
    constexpr double turn = 2 * std::numbers::pi;
    double sweep = P.Ccw ? a1 - a0 : a0 - a1;
    sweep = std::fmod(sweep + 2 * turn, turn);
    if (sweep < 1e-12) sweep = turn;
    std::vector<Pt> out;
    for (int i = 0; i <= 64; ++i) {
        const double a = a0 + (P.Ccw ? 1 : -1) * sweep * i / 64;
        out.push_back({P.Centre.X + r * std::cos(a), P.Centre.Y - r * std::sin(a)});
    }
    return out;
}

// The exported pieces of a layout with their boxes in the sheet's frame.
struct PlacedBox {
    const T2DStock* Piece;
    Box Net;   // the part itself
    Box Path;  // the middle of the kerf around it
};

inline std::vector<PlacedBox> Pieces(const TPacket& Layout) {
    std::vector<PlacedBox> out;
    const double h = BladeWidth / 2;  // as the writers take it, toward zero
    for (const T2DStock& p : Layout.Placements) {
        if (!LayoutPieceIsExported(p) || !IsPieceShown(p)) continue;
        const double x = static_cast<double>(WidthEdge) + p.Position.X;
        const double y = static_cast<double>(LengthEdge) + p.Position.Y;
        out.push_back({&p,
                       {x, y, x + p.NetLength(), y + p.NetWidth()},
                       {x - h, y - h, x - h + p.Length, y - h + p.Width}});
    }
    return out;
}

// Whether segment A-B enters the open box (Liang-Barsky clip).
inline bool SegmentEnters(Pt A, Pt B, const Box& Bx) {
    double t0 = 0, t1 = 1;
    const double dx = B.X - A.X, dy = B.Y - A.Y;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {A.X - Bx.L, Bx.R - A.X, A.Y - Bx.T, Bx.B - A.Y};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] <= 0) return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
        if (t0 >= t1) return false;
    }
    return true;
}

// Numbers after the letters of a G-code line ("G1 X1.5Y2", "G1 Z -1").
inline std::map<char, double> Words(const std::string& Line) {
    std::map<char, double> w;
    for (std::size_t i = 0; i < Line.size(); ++i) {
        const char c = Line[i];
        if (c < 'A' || c > 'Z') continue;
        std::size_t j = i + 1;
        while (j < Line.size() && Line[j] == ' ') ++j;
        std::size_t k = j;
        while (k < Line.size() && (std::isdigit(static_cast<unsigned char>(Line[k])) ||
                                   Line[k] == '.' || Line[k] == '-'))
            ++k;
        w[c] = k > j ? StrToFloat(Line.substr(j, k - j)) : 0;
        i = k - 1;
    }
    return w;
}

// Thousandths as an exact integer.
inline long long Milli(double UserValue) {
    return std::llround(UserValue * 1000);
}

struct Path {
    std::vector<Prim> Prims;
    int Piece = -1;  // index into the non-rectangular pieces, -1 for none
};

class Checker {
  public:
    std::vector<std::string> Faults;

    explicit Checker(int LayoutIndex) : layout_(Optimizer.Best[LayoutIndex]) {
        boxes_ = Pieces(layout_);
        if (boxes_.empty()) Fault("no piece to check");
        sheetL_ = static_cast<double>(layout_.NetLength()) + 2.0 * WidthEdge;
        sheetW_ = static_cast<double>(layout_.NetWidth()) + 2.0 * LengthEdge;
        h_ = BladeWidth / 2.0;
        ReadGCode(LayoutGCodeLines(LayoutIndex, "-1", "5"));
        CheckCuts();
        ReadDxf(LayoutDxfDrawing(LayoutIndex).Lines);
    }

  private:
    const TPacket& layout_;
    std::vector<PlacedBox> boxes_;
    double sheetL_ = 0, sheetW_ = 0, h_ = 0;
    std::vector<Prim> cuts_;  // straight cuts of the merged section
    std::vector<Path> paths_;

    void Fault(const std::string& Text) { Faults.push_back(Text); }
    std::string Name(const PlacedBox& P) const {
        return P.Piece->Label + " at (" + IntToStr(P.Piece->Position.X) + "," +
               IntToStr(P.Piece->Position.Y) + ")";
    }

    // ---- G-code ---------------------------------------------------------
    void ReadGCode(const std::vector<std::string>& F) {
        std::vector<int> own;  // boxes_ index of each piece with paths of its own
        for (std::size_t i = 0; i < boxes_.size(); ++i)
            if (boxes_[i].Piece->ShapeKind != skRectangle) own.push_back(static_cast<int>(i));
        const std::size_t header = LayoutHeaderLines.size();
        int piece = -1;
        bool zKnown = false, down = false, moved = false;
        Pt at{0, sheetW_};
        Path cur;
        auto machine = [this](const std::map<char, double>& W) {
            return Pt{static_cast<double>(Milli(W.at('X'))),
                      sheetW_ - static_cast<double>(Milli(W.at('Y')))};
        };
        for (std::size_t i = header; i < F.size(); ++i) {
            const std::string& l = F[i];
            if (l.starts_with("!")) {
                ++piece;
                continue;
            }
            const auto w = Words(l);
            if (w.count('Z')) {
                if (l.starts_with("G0")) {
                    zKnown = true;
                    if (down && !cur.Prims.empty()) paths_.push_back(cur);
                    down = false;
                } else {
                    down = true;
                    cur = {{}, piece >= 0 && piece < static_cast<int>(own.size())
                                   ? own[static_cast<std::size_t>(piece)]
                                   : -1};
                }
                continue;
            }
            if (!w.count('X')) continue;
            const Pt to = machine(w);
            if (l.starts_with("G0")) {
                if (!moved && !zKnown) Fault("first sideways move before any lift: " + l);
                moved = true;
            } else if (down) {
                Prim p = Straight(at, to);
                if (l.starts_with("G2") || l.starts_with("G3")) {
                    p.Arc = true;
                    p.Centre = {at.X + Milli(w.at('I')), at.Y - Milli(w.at('J'))};
                    p.Ccw = l.starts_with("G3");
                }
                cur.Prims.push_back(p);
            }
            at = to;
        }
        // A single straight move is a merged cut; curves and ellipses
        // belong to the piece whose comment they follow.
        for (const Path& p : paths_) {
            if (p.Prims.size() == 1 && !p.Prims[0].Arc) {
                cuts_.push_back(p.Prims[0]);
                continue;
            }
            if (p.Piece < 0) {
                Fault("curve outside any piece's section");
                continue;
            }
            const PlacedBox& b = boxes_[static_cast<std::size_t>(p.Piece)];
            const Box& allowed = b.Piece->ShapeKind == skCircle ? b.Path : b.Net;
            bool left = false;
            for (const Prim& q : p.Prims)
                for (const Pt& s : Samples(q))
                    if (!left && !allowed.Holds(s, 2)) {
                        left = true;
                        Fault("G-code of " + Name(b) + " leaves its box at (" +
                              FloatToStr(s.X / 1000) + "," + FloatToStr(s.Y / 1000) + ")");
                    }
        }
        CheckArcEnds();
    }

    bool OnACut(Pt P) const {
        for (const Prim& c : cuts_) {
            if ((c.A.X == P.X && c.A.Y == P.Y) || (c.B.X == P.X && c.B.Y == P.Y)) return true;
            if (c.A.X == c.B.X && c.A.X == P.X && P.Y >= std::min(c.A.Y, c.B.Y) &&
                P.Y <= std::max(c.A.Y, c.B.Y))
                return true;
            if (c.A.Y == c.B.Y && c.A.Y == P.Y && P.X >= std::min(c.A.X, c.B.X) &&
                P.X <= std::max(c.A.X, c.B.X))
                return true;
        }
        return false;
    }

    void CheckArcEnds() {
        for (const Path& p : paths_) {
            if (p.Piece < 0 || boxes_[static_cast<std::size_t>(p.Piece)].Piece->ShapeKind != skShaped)
                continue;
            for (const Prim& a : p.Prims)
                for (const Pt& e : {a.A, a.B}) {
                    // Met by another segment, or by the sheet's edge, which
                    // needs no cut.
                    bool met = (a.A.X == a.B.X && a.A.Y == a.B.Y) || OnACut(e) || e.X == 0 ||
                               e.Y == 0 || e.X == sheetL_ || e.Y == sheetW_;
                    for (const Path& o : paths_)
                        for (const Prim& b : o.Prims)
                            if (&b != &a && o.Piece == p.Piece &&
                                ((b.A.X == e.X && b.A.Y == e.Y) || (b.B.X == e.X && b.B.Y == e.Y)))
                                met = true;
                    if (!met)
                        Fault("open outline of " + Name(boxes_[static_cast<std::size_t>(p.Piece)]) +
                              ": an arc ends alone at (" + FloatToStr(e.X / 1000) + "," +
                              FloatToStr(e.Y / 1000) + ")");
                }
        }
    }

    // Whether the cuts on the line x = C (Vertical) or y = C cover From..To.
    bool Covered(bool Vertical, double C, double From, double To) const {
        std::vector<std::pair<double, double>> spans;
        for (const Prim& c : cuts_) {
            if (Vertical ? (c.A.X != C || c.B.X != C) : (c.A.Y != C || c.B.Y != C)) continue;
            const double a = Vertical ? c.A.Y : c.A.X, b = Vertical ? c.B.Y : c.B.X;
            spans.emplace_back(std::min(a, b), std::max(a, b));
        }
        std::sort(spans.begin(), spans.end());
        double reach = From;
        for (const auto& [a, b] : spans) {
            if (a > reach + 1) break;
            reach = std::max(reach, b);
        }
        return reach >= To - 1;
    }

    void CheckCuts() {
        for (const PlacedBox& b : boxes_) {
            if (b.Piece->ShapeKind == skShaped || IsOffcutPiece(*b.Piece)) continue;
            // The kerf is h wide on each side of a cut: it may reach the part's
            // edge, not its inside (a unit of rounding allowed).
            const Box inner{b.Net.L - h_ + 1, b.Net.T - h_ + 1, b.Net.R + h_ - 1, b.Net.B + h_ - 1};
            for (const Prim& c : cuts_)
                if (SegmentEnters(c.A, c.B, inner))
                    Fault("cut (" + FloatToStr(c.A.X / 1000) + "," + FloatToStr(c.A.Y / 1000) +
                          ")-(" + FloatToStr(c.B.X / 1000) + "," + FloatToStr(c.B.Y / 1000) +
                          ") enters " + Name(b));
            if (b.Piece->ShapeKind != skRectangle) continue;
            const Box& p = b.Path;
            const struct {
                bool Vertical;
                double C, From, To, Limit;
            } sides[4] = {{true, p.L, p.T, p.B, sheetL_},
                          {true, p.R, p.T, p.B, sheetL_},
                          {false, p.T, p.L, p.R, sheetW_},
                          {false, p.B, p.L, p.R, sheetW_}};
            for (const auto& s : sides) {
                if (s.C <= 0 || s.C >= s.Limit) continue;  // on or beyond the sheet's edge
                const double other = s.Vertical ? sheetW_ : sheetL_;
                if (!Covered(s.Vertical, s.C, std::max(0.0, s.From), std::min(other, s.To)))
                    Fault("a side of " + Name(b) + " at " + FloatToStr(s.C / 1000) +
                          " is not cut");
            }
        }
    }

    // ---- DXF ------------------------------------------------------------
    struct Entity {
        std::string Type, Layer;
        std::vector<Prim> Prims;
        bool Closed = false;
    };

    void ReadDxf(const std::vector<std::string>& L) {
        std::vector<Entity> all;
        std::vector<Pt> vertices;
        std::vector<double> bulges;
        Entity* poly = nullptr;
        for (std::size_t i = 0; i + 1 < L.size(); i += 2) {
            if (L[i] != "0") continue;
            const std::string type = L[i + 1];
            std::map<std::string, std::string> g;
            std::size_t j = i + 2;
            for (; j + 1 < L.size() && L[j] != "0"; j += 2) g[L[j]] = L[j + 1];
            auto num = [&g](const char* Code) {
                return g.count(Code) ? StrToFloat(g.at(Code)) * 1000 : 0.0;
            };
            // Y of the drawing grows upward from the sheet's top edge.
            const Pt p{num("10"), -num("20")};
            if (type == "VERTEX" && poly) {
                vertices.push_back(p);
                bulges.push_back(num("42") / 1000);
            } else if (type == "SEQEND" && poly) {
                for (std::size_t k = 0; k < vertices.size(); ++k) {
                    const std::size_t n = (k + 1) % vertices.size();
                    if (n == 0 && !poly->Closed) break;
                    poly->Prims.push_back(BulgePrim(vertices[k], vertices[n], bulges[k]));
                }
                poly = nullptr;
            } else if (type == "POLYLINE") {
                all.push_back({type, g["8"], {}, g["70"] == "1"});
                poly = &all.back();
                vertices.clear();
                bulges.clear();
            } else if (type == "LINE") {
                all.push_back({type, g["8"], {Straight(p, {num("11"), -num("21")})}});
            } else if (type == "CIRCLE" || type == "ARC") {
                const double r = num("40");
                const double a0 = type == "ARC" ? num("50") / 1000 : 0;
                const double a1 = type == "ARC" ? num("51") / 1000 : 360;
                const double d = std::numbers::pi / 180;
                Prim q = Straight({p.X + r * std::cos(a0 * d), p.Y - r * std::sin(a0 * d)},
                                  {p.X + r * std::cos(a1 * d), p.Y - r * std::sin(a1 * d)});
                q.Arc = true;
                q.Centre = p;
                q.Ccw = true;
                all.push_back({type, g["8"], {q}});
            }
            i = j - 2;
        }
        CheckDrawing(all);
    }

    static Prim BulgePrim(Pt A, Pt B, double Bulge) {
        Prim p = Straight(A, B);
        if (Bulge == 0) return p;
        // Centre from the chord and the bulge, on paper (Y up).
        const double ax = A.X, ay = -A.Y, bx = B.X, by = -B.Y;
        const double c = std::hypot(bx - ax, by - ay);
        const double theta = 4 * std::atan(Bulge);
        const double r = c / (2 * std::sin(theta / 2));
        const double mx = (ax + bx) / 2, my = (ay + by) / 2;
        const double ux = -(by - ay) / c, uy = (bx - ax) / c;  // left of the chord
        const double off = r * std::cos(theta / 2);
        p.Arc = true;
        p.Centre = {mx + ux * off, -(my + uy * off)};
        p.Ccw = Bulge > 0;
        return p;
    }

    void CheckDrawing(const std::vector<Entity>& All) {
        std::vector<bool> drawn(boxes_.size(), false);
        for (const Entity& e : All) {
            if (e.Layer != DxfLayerParts && e.Layer != DxfLayerOffcuts) continue;
            if (e.Type == "POLYLINE" && !e.Closed) Fault("open polyline");
            if (!DxfExportLines && (e.Type == "LINE" || e.Type == "ARC"))
                Fault("outline drawn as separate " + e.Type + " entities");
            std::vector<Pt> pts;
            for (const Prim& p : e.Prims)
                for (const Pt& s : Samples(p)) pts.push_back(s);
            Box bb{1e18, 1e18, -1e18, -1e18};
            for (const Pt& s : pts)
                bb = {std::min(bb.L, s.X), std::min(bb.T, s.Y), std::max(bb.R, s.X),
                      std::max(bb.B, s.Y)};
            bool inside = false;
            for (std::size_t k = 0; k < boxes_.size(); ++k) {
                const Box& n = boxes_[k].Net;
                if (!n.Holds({bb.L, bb.T}, 2) || !n.Holds({bb.R, bb.B}, 2)) continue;
                inside = true;
                // A rectangle is drawn as its whole box.
                const bool whole = std::abs(bb.L - n.L) <= 2 && std::abs(bb.R - n.R) <= 2 &&
                                   std::abs(bb.T - n.T) <= 2 && std::abs(bb.B - n.B) <= 2;
                if (whole || boxes_[k].Piece->ShapeKind != skRectangle) drawn[k] = true;
            }
            if (!inside)
                Fault(e.Type + " on layer " + e.Layer + " from (" + FloatToStr(bb.L / 1000) + "," +
                      FloatToStr(bb.T / 1000) + ") to (" + FloatToStr(bb.R / 1000) + "," +
                      FloatToStr(bb.B / 1000) + ") lies in no piece's box");
        }
        for (std::size_t k = 0; k < boxes_.size(); ++k)
            if (!drawn[k]) Fault("no drawing of " + Name(boxes_[k]));
    }
};

// The faults of the G-code and DXF drawing of every layout of the plan.
inline std::vector<std::string> CheckPlanFiles() {
    std::vector<std::string> all;
    for (int i = 0; i < Optimizer.Best.Count(); ++i)
        for (const std::string& f : Checker(i).Faults)
            all.push_back("layout " + IntToStr(i + 1) + ": " + f);
    return all;
}

}  // namespace plan_files_check
