#include "engine/merge_line.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <thread>
#include <utility>

#include "engine/numeric.h"
#include "engine/pubfunc.h"
#include "engine/pubstr.h"
#include "engine/segment.h"
#include "engine/textfmt.h"

TMergeLine MergeLineSet;
TMergeLine MergeLineSet2;

namespace {

constexpr int MergePasses = 5;

bool IsVertical(const TCutLine& L) {
    return L.X1 == L.X2;
}
bool IsHorizontal(const TCutLine& L) {
    return L.Y1 == L.Y2;
}

// Whether P lies on M widened by H on each side: a vertical M covers its
// x +- H over its Y range, any other M its X range over its y range +- H.
bool LiesOn(TPoint P, const TCutLine& M, std::int32_t H) {
    TPoint f = M.P1(), s = M.P2();
    if (f.X > s.X || (f.X == s.X && f.Y > s.Y)) std::swap(f, s);
    std::int64_t xlo, xhi, ylo, yhi;
    if (f.X == s.X) {
        xlo = static_cast<std::int64_t>(f.X) - H;
        xhi = static_cast<std::int64_t>(f.X) + H;
        ylo = f.Y;
        yhi = s.Y;
    } else {
        xlo = f.X;
        xhi = s.X;
        ylo = static_cast<std::int64_t>(std::min(f.Y, s.Y)) - H;
        yhi = static_cast<std::int64_t>(std::max(f.Y, s.Y)) + H;
    }
    return xlo <= P.X && P.X <= xhi && ylo <= P.Y && P.Y <= yhi;
}

// Whether an end of L lies on M.
bool EndsOn(const TCutLine& L, const TCutLine& M, std::int32_t H) {
    return LiesOn(L.P1(), M, H) || LiesOn(L.P2(), M, H);
}

std::int64_t Span(std::int32_t A, std::int32_t B) {
    return std::llabs(static_cast<std::int64_t>(A) - static_cast<std::int64_t>(B));
}

// A line while the cut order is built, with the number of crossing lines
// that block it: a vertical line (AsV) is blocked by a horizontal line it
// ends on that does not end on it, a horizontal one (AsH) likewise by a
// vertical line. A single point is both vertical and horizontal.
struct TOrderLine {
    TCutLine L;
    bool Alive = true;
    bool V = false, H = false;
    int BlockedAsV = 0, BlockedAsH = 0;
};

// Whether M blocks L as a line of the given orientation.
bool Blocks(const TOrderLine& M, const TOrderLine& L, bool AsV, std::int32_t H) {
    if (AsV ? !(L.V && M.H) : !(L.H && M.V)) return false;
    return EndsOn(L.L, M.L, H) && !EndsOn(M.L, L.L, H);
}

// The lines of a layout in list order (the order new lines are appended),
// with their blocking counts kept up to date as lines come and go, so that
// each step of the cut order costs one pass over the lines.
class TOrderLines {
  public:
    TOrderLines(const std::vector<TCutLine>& Lines, std::int32_t H) : h_(H) {
        for (const TCutLine& l : Lines) Add(l);
    }
    std::vector<TOrderLine>& Items() { return items_; }

    void Add(const TCutLine& Line) {
        TOrderLine n{Line, true, IsVertical(Line), IsHorizontal(Line), 0, 0};
        for (TOrderLine& o : items_) {
            if (!o.Alive) continue;
            n.BlockedAsV += Blocks(o, n, true, h_);
            n.BlockedAsH += Blocks(o, n, false, h_);
            o.BlockedAsV += Blocks(n, o, true, h_);
            o.BlockedAsH += Blocks(n, o, false, h_);
        }
        items_.push_back(n);
    }

    void Remove(std::size_t K) {
        TOrderLine& gone = items_[K];
        gone.Alive = false;
        for (TOrderLine& o : items_) {
            if (!o.Alive) continue;
            o.BlockedAsV -= Blocks(gone, o, true, h_);
            o.BlockedAsH -= Blocks(gone, o, false, h_);
        }
    }

    // The longest unblocked vertical (or horizontal) line; on equal length
    // the one nearer the sheet's left (top) edge, then the other
    // coordinate, then the first in the list. -1 when there is none.
    long Candidate(bool Vertical) const {
        long best = -1;
        std::int64_t bestLen = 0;
        for (std::size_t i = 0; i < items_.size(); ++i) {
            const TOrderLine& o = items_[i];
            if (!o.Alive || (Vertical ? !o.V || o.BlockedAsV : !o.H || o.BlockedAsH)) continue;
            const TCutLine& L = o.L;
            const std::int64_t len = Vertical ? Span(L.Y1, L.Y2) : Span(L.X1, L.X2);
            if (best >= 0) {
                const TCutLine& B = items_[static_cast<std::size_t>(best)].L;
                const std::int32_t k1 = Vertical ? L.X1 : L.Y1, bk1 = Vertical ? B.X1 : B.Y1;
                const std::int32_t k2 = Vertical ? L.Y1 : L.X1, bk2 = Vertical ? B.Y1 : B.X1;
                if (!(len > bestLen || (len == bestLen && (k1 < bk1 || (k1 == bk1 && k2 < bk2)))))
                    continue;
            }
            best = static_cast<long>(i);
            bestLen = len;
        }
        return best;
    }

  private:
    std::vector<TOrderLine> items_;
    std::int32_t h_;
};

// Where cut C crosses L, the crossing lying on both: the exact crossing for
// a horizontal or vertical L, the segment geometry's for any other.
bool Crossing(const TCutLine& C, const TOrderLine& L, TPoint& X) {
    const bool cv = IsVertical(C), ch = IsHorizontal(C);
    if (L.V != L.H && cv != ch) {
        if (L.V == cv) return false;  // parallel
        const TCutLine& v = cv ? C : L.L;
        const TCutLine& w = cv ? L.L : C;
        const std::int32_t x = v.X1, y = w.Y1;
        if (x < std::min(w.X1, w.X2) || x > std::max(w.X1, w.X2)) return false;
        if (y < std::min(v.Y1, v.Y2) || y > std::max(v.Y1, v.Y2)) return false;
        X = {x, y};
        return true;
    }
    if (AreLinesParallel(C.P1(), C.P2(), L.L.P1(), L.L.P2())) return false;
    if (!LineIntersection(X, C.P1(), C.P2(), L.L.P1(), L.L.P2())) return false;
    return IsPointBetween(X, C.P1(), C.P2()) && IsPointBetween(X, L.L.P1(), L.L.P2());
}

}  // namespace

void TMergeLine::AddLine(TPoint P1, TPoint P2, std::int32_t Tag) {
    Lines.push_back({P1.X, P1.Y, P2.X, P2.Y, Tag});
}

void TMergeLine::AddMerged(TPoint P1, TPoint P2, std::int32_t Tag) {
    Merged.push_back({P1.X, P1.Y, P2.X, P2.Y, Tag});
}

bool TMergeLine::Join(TCutLine& Cur, const TCutLine& Other) {
    TPoint u1, u2;
    if (!OverlapParallelSegments(u1, u2, Cur.P1(), Cur.P2(), Other.P1(), Other.P2(), 0))
        return false;
    // The union keeps the outermost of the four end points, so that no end
    // moves off the line it came from.
    const TPoint ends[4] = {Cur.P1(), Cur.P2(), Other.P1(), Other.P2()};
    // Along X, lower end first, unless the line is vertical.
    const TCutLine& dir = Cur.P1() == Cur.P2() ? Other : Cur;
    const bool alongY = dir.X1 == dir.X2;
    auto less = [alongY](TPoint A, TPoint B) {
        return alongY ? std::pair(A.Y, A.X) < std::pair(B.Y, B.X)
                      : std::pair(A.X, A.Y) < std::pair(B.X, B.Y);
    };
    const TPoint lo = *std::min_element(ends, ends + 4, less);
    const TPoint hi = *std::max_element(ends, ends + 4, less);
    Cur = {lo.X, lo.Y, hi.X, hi.Y, 0};
    return true;
}

void TMergeLine::MergeLines() {
    // Points count as inside the sheet when 0 <= x <= SheetLength and
    // 0 <= y <= SheetWidth.
    const TRect sheet{1, 1, SheetLength, SheetWidth};
    for (int pass = 0; pass < MergePasses; ++pass) {
        Merged.clear();
        std::vector<bool> gone(Lines.size(), false);
        for (std::size_t i = 0; i < Lines.size(); ++i) {
            if (gone[i]) continue;
            TCutLine cur = Lines[i];
            for (std::size_t j = i + 1; j < Lines.size(); ++j)
                if (!gone[j] && Join(cur, Lines[j])) gone[j] = true;
            TPoint q1, q2;
            if (!ClipSegmentToRect(q1, q2, cur.P1(), cur.P2(), sheet)) continue;
            if (q1.X == q2.X && (q1.X == 0 || q1.X == SheetLength)) continue;
            if (q1.Y == q2.Y && (q1.Y == 0 || q1.Y == SheetWidth)) continue;
            AddMerged(q1, q2, 0);
        }
        Lines = Merged;
    }
}

void TMergeLine::BuildCutSequence() {
    const std::int32_t h = BladeWidth / 2;
    std::vector<TCutLine> sequence;
    auto touches = [&sequence, h](TPoint P) {
        for (const TCutLine& S : sequence)
            if (LiesOn(P, S, h)) return true;
        return false;
    };
    TOrderLines lines(Merged, h);
    std::vector<TOrderLine>& items = lines.Items();
    std::vector<std::pair<std::size_t, TPoint>> crossed;
    for (;;) {
        const long vi = lines.Candidate(true);
        const long hi = lines.Candidate(false);
        if (vi < 0 && hi < 0) break;
        long ci;
        if (vi < 0) {
            ci = hi;
        } else if (hi < 0) {
            ci = vi;
        } else {
            const TCutLine& V = items[static_cast<std::size_t>(vi)].L;
            const TCutLine& H = items[static_cast<std::size_t>(hi)].L;
            if (EndsOn(V, H, h))
                ci = hi;
            else if (EndsOn(H, V, h))
                ci = vi;
            else if (touches(V.P2()))
                ci = vi;
            else if (touches(H.P2()))
                ci = hi;
            else if (touches(V.P1()) && !touches(H.P1()))
                ci = vi;
            else
                ci = hi;
        }
        const TCutLine C = items[static_cast<std::size_t>(ci)].L;
        sequence.push_back(C);
        lines.Remove(static_cast<std::size_t>(ci));

        // Split every line that C crosses into its two sides; the sides join
        // the end of the list, those of later lines first.
        crossed.clear();
        for (std::size_t k = items.size(); k-- > 0;) {
            TPoint X;
            if (items[k].Alive && Crossing(C, items[k], X)) crossed.emplace_back(k, X);
        }
        for (const auto& [k, X] : crossed) lines.Remove(k);
        for (const auto& [k, X] : crossed) {
            const TCutLine L = items[k].L;
            if (!(L.P1() == X)) lines.Add({L.X1, L.Y1, X.X, X.Y, 0});
            if (!(X == L.P2())) lines.Add({X.X, X.Y, L.X2, L.Y2, 0});
        }
    }
    for (const TOrderLine& o : items)
        if (o.Alive) sequence.push_back(o.L);
    Merged = std::move(sequence);
}

void TMergeLine::WriteGCode(std::vector<std::string>& F, const std::string& CutZText,
                            const std::string& SafeZText) const {
    WriteGCode(F, CutZText, SafeZText, GCodePlungePrefix, GCodeCutPrefix, GCodeNumberSuffix);
}

void TMergeLine::WriteGCode(std::vector<std::string>& F, const std::string& CutZText,
                            const std::string& SafeZText, const std::string& PlungePrefix,
                            const std::string& CutPrefix, const std::string& NumberSuffix) const {
    TPoint cur{0, 0};
    auto dist2 = [&cur](TPoint P) {
        const double dx = static_cast<double>(P.X) - cur.X, dy = static_cast<double>(P.Y) - cur.Y;
        return dx * dx + dy * dy;
    };
    for (const TCutLine& L : Merged) {
        TPoint s = L.P1(), e = L.P2();
        if (dist2(s) >= dist2(e)) std::swap(s, e);
        WriteGCodeCut(F, SafeZText, CutZText, s.X, s.Y, e.X, e.Y, PlungePrefix, CutPrefix,
                      NumberSuffix, GCodeCutExtension);
        cur = e;
    }
}

void TMergeLine::WriteGCodeCut(std::vector<std::string>& F, const std::string& SafeZText,
                               const std::string& CutZText, std::int32_t StartX,
                               std::int32_t StartY, std::int32_t EndX, std::int32_t EndY,
                               const std::string& PlungePrefix, const std::string& CutPrefix,
                               const std::string& NumberSuffix, std::int32_t Extension) {
    std::int64_t sx = StartX, sy = StartY, ex = EndX, ey = EndY;
    // Moves both ends inward by Extension along the cut (outward when it is
    // negative); a cut too short for that shrinks to its middle.
    auto shorten = [Extension](std::int64_t& s, std::int64_t& e) {
        const std::int64_t len = e >= s ? e - s : s - e;
        std::int64_t ext = Extension;
        if (2 * ext > len) {
            ext = len / 2;
            s += e >= s ? ext : -ext;
            e = s;
            return;
        }
        if (e >= s) {
            s += ext;
            e -= ext;
        } else {
            s -= ext;
            e += ext;
        }
    };
    if (StartX == EndX)
        shorten(sy, ey);
    else if (StartY == EndY)
        shorten(sx, ex);
    auto num = [](std::int64_t V) { return PubFunc.UnitsToStr(CheckedInt32(V)); };

    if (GCodeZMoves) F.push_back(Format("G0 Z%s%s", {SafeZText, NumberSuffix}));
    F.push_back(Format("G0 X%s%sY%s%s", {num(sx), NumberSuffix, num(sy), NumberSuffix}));
    if (GCodeZMoves) F.push_back(Format("%sG1 Z%s%s", {PlungePrefix, CutZText, NumberSuffix}));
    F.push_back(
        Format("%sG1 X%s%sY%s%s", {CutPrefix, num(ex), NumberSuffix, num(ey), NumberSuffix}));
}

void TMergeLine::DrawCuts(platform::TCanvas& Canvas, TPoint Origin, double Scale, bool Numbers,
                          const std::function<void(int)>* Wait) const {
    auto px = [&](std::int32_t O, std::int32_t V) {
        return CheckedInt32(static_cast<std::int64_t>(O) + Round32(V * Scale));
    };
    for (std::size_t i = 0; i < Merged.size(); ++i) {
        const TCutLine& L = Merged[i];
        const platform::TColor color = CutSeqColors[i % 9];
        const int x1 = px(Origin.X, L.X1), y1 = px(Origin.Y, L.Y1);
        const int x2 = px(Origin.X, L.X2), y2 = px(Origin.Y, L.Y2);
        if (Numbers) {
            // Beside the middle of the cut: above a horizontal cut, right of a
            // vertical one, one text height away.
            const std::string text = IntToStr(static_cast<std::int64_t>(i + 1));
            const int th = Canvas.TextHeight(text);
            const int mx = static_cast<int>((static_cast<std::int64_t>(x1) + x2) / 2);
            const int my = static_cast<int>((static_cast<std::int64_t>(y1) + y2) / 2);
            Canvas.Font.Color = color;
            Canvas.TextOut(IsHorizontal(L) ? mx : mx + th, IsVertical(L) ? my : my - th, text);
        }
        if (Wait && (IsHorizontal(L) || IsVertical(L))) {
            if (*Wait)
                (*Wait)(500);
            else
                std::this_thread::sleep_for(std::chrono::milliseconds(500));
        }
        Canvas.Pen.Color = color;
        Canvas.MoveTo(x1, y1);
        Canvas.LineTo(x2, y2);
    }
}

void TMergeLine::DrawLines(platform::TCanvas& Canvas, TPoint Origin, double Scale, bool Animate,
                           const std::function<void(int)>& Wait) const {
    DrawCuts(Canvas, Origin, Scale, !Animate, Animate ? &Wait : nullptr);
}

void TMergeLine::DrawCutSequence(platform::TCanvas& Canvas, TPoint Origin, double Scale,
                                 std::int32_t PageWidth) const {
    Canvas.Font.Name = CutSeqFontName;
    // A zoom of 0 or less cannot scale the font to the page; the set size
    // is used then.
    Canvas.Font.Height = AutoPrinterFontSize && AutoPrinterFontZoom > 0
                             ? -(PageWidth / AutoPrinterFontZoom)
                             : -CutSeqFontSize;
    DrawCuts(Canvas, Origin, Scale, true, nullptr);
}

void AddPieceEdgesToMergeLine(const T2DStock& Piece, TPoint Offset) {
    if (Piece.ShapeKind != skRectangle) return;
    const std::int64_t h = BladeWidth / 2;
    const std::int64_t x1 = static_cast<std::int64_t>(Offset.X) + Piece.Position.X - h;
    const std::int64_t y1 = static_cast<std::int64_t>(Offset.Y) + Piece.Position.Y - h;
    const std::int32_t X1 = CheckedInt32(x1), Y1 = CheckedInt32(y1);
    const std::int32_t X2 = CheckedInt32(x1 + Piece.Length), Y2 = CheckedInt32(y1 + Piece.Width);
    MergeLineSet.AddLine({X1, Y2}, {X2, Y2}, 0);
    MergeLineSet.AddLine({X2, Y2}, {X2, Y1}, 0);
    MergeLineSet.AddLine({X1, Y1}, {X2, Y1}, 0);
    MergeLineSet.AddLine({X1, Y2}, {X1, Y1}, 0);
}

void ResetMergeLineDefaults() {
    MergeLineSet = TMergeLine();
    MergeLineSet2 = TMergeLine();
}
