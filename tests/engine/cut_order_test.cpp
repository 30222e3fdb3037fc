// The cut order of many random layouts against a plain reference that
// searches every line afresh at each step (the order the program has always
// given, at a cost of the cube of the number of lines).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>
#include <utility>
#include <vector>

#include "engine/merge_line.h"
#include "engine/pubstr.h"
#include "engine/segment.h"

namespace {

namespace reference {

bool LiesOn(TPoint P, const TCutLine& M, std::int64_t H) {
    TPoint f = M.P1(), s = M.P2();
    if (f.X > s.X || (f.X == s.X && f.Y > s.Y)) std::swap(f, s);
    std::int64_t xlo = f.X, xhi = s.X, ylo = std::min(f.Y, s.Y) - H, yhi = std::max(f.Y, s.Y) + H;
    if (f.X == s.X) {
        xlo = f.X - H;
        xhi = f.X + H;
        ylo = f.Y;
        yhi = s.Y;
    }
    return xlo <= P.X && P.X <= xhi && ylo <= P.Y && P.Y <= yhi;
}

bool EndsOn(const TCutLine& L, const TCutLine& M, std::int64_t H) {
    return LiesOn(L.P1(), M, H) || LiesOn(L.P2(), M, H);
}

int Candidate(const std::vector<TCutLine>& Lines, bool Vertical, std::int64_t H) {
    int best = -1;
    for (int i = 0; i < static_cast<int>(Lines.size()); ++i) {
        const TCutLine& L = Lines[i];
        if (Vertical ? L.X1 != L.X2 : L.Y1 != L.Y2) continue;
        bool blocked = false;
        for (int j = 0; j < static_cast<int>(Lines.size()); ++j) {
            const TCutLine& M = Lines[j];
            if (j != i && (Vertical ? M.Y1 == M.Y2 : M.X1 == M.X2) && EndsOn(L, M, H) &&
                !EndsOn(M, L, H))
                blocked = true;
        }
        if (blocked) continue;
        if (best < 0) {
            best = i;
            continue;
        }
        const TCutLine& B = Lines[best];
        const long long len = Vertical ? std::llabs(1LL * L.Y1 - L.Y2) : std::llabs(1LL * L.X1 - L.X2);
        const long long bl = Vertical ? std::llabs(1LL * B.Y1 - B.Y2) : std::llabs(1LL * B.X1 - B.X2);
        const int k1 = Vertical ? L.X1 : L.Y1, b1 = Vertical ? B.X1 : B.Y1;
        const int k2 = Vertical ? L.Y1 : L.X1, b2 = Vertical ? B.Y1 : B.X1;
        if (len > bl || (len == bl && (k1 < b1 || (k1 == b1 && k2 < b2)))) best = i;
    }
    return best;
}

std::vector<TCutLine> Order(std::vector<TCutLine> Merged, std::int32_t Blade) {
    const std::int64_t h = Blade / 2;
    std::vector<TCutLine> sequence, work;
    auto touches = [&](TPoint P) {
        for (const TCutLine& S : sequence)
            if (LiesOn(P, S, h)) return true;
        return false;
    };
    while (!Merged.empty()) {
        const int vi = Candidate(Merged, true, h), hi = Candidate(Merged, false, h);
        if (vi < 0 && hi < 0) break;
        int ci = vi < 0 ? hi : vi;
        if (vi >= 0 && hi >= 0) {
            const TCutLine &V = Merged[vi], &H = Merged[hi];
            const bool takeV =
                !EndsOn(V, H, h) && (EndsOn(H, V, h) || touches(V.P2()) ||
                                     (!touches(H.P2()) && touches(V.P1()) && !touches(H.P1())));
            ci = takeV ? vi : hi;
        }
        const TCutLine C = Merged[ci];
        sequence.push_back(C);
        Merged.erase(Merged.begin() + ci);
        for (int k = static_cast<int>(Merged.size()) - 1; k >= 0; --k) {
            const TCutLine L = Merged[k];
            TPoint X;
            if (AreLinesParallel(C.P1(), C.P2(), L.P1(), L.P2()) ||
                !LineIntersection(X, C.P1(), C.P2(), L.P1(), L.P2()) ||
                !IsPointBetween(X, C.P1(), C.P2()) || !IsPointBetween(X, L.P1(), L.P2()))
                continue;
            Merged.erase(Merged.begin() + k);
            if (!(L.P1() == X)) work.push_back({L.X1, L.Y1, X.X, X.Y, 0});
            if (!(X == L.P2())) work.push_back({X.X, X.Y, L.X2, L.Y2, 0});
        }
        Merged.insert(Merged.end(), work.begin(), work.end());
        work.clear();
    }
    sequence.insert(sequence.end(), Merged.begin(), Merged.end());
    return sequence;
}

}  // namespace reference

// Pieces packed in rows of random heights, some of them split again across,
// with a few stray lines: sloped ones, short ones, single points.
std::vector<TCutLine> RandomLayout(std::mt19937& Rng, std::int32_t Blade) {
    auto pick = [&Rng](int Lo, int Hi) { return std::uniform_int_distribution<int>(Lo, Hi)(Rng); };
    const int sheetL = 1000, sheetW = 600;
    TMergeLine set;
    set.SetSheetLength(sheetL);
    set.SetSheetWidth(sheetW);
    const std::int32_t h = Blade / 2;
    auto rect = [&](int X, int Y, int L, int W) {
        const TPoint a{X - h, Y - h}, b{X - h + L, Y - h}, c{X - h + L, Y - h + W}, d{X - h, Y - h + W};
        set.AddLine(d, c, 0);
        set.AddLine(c, b, 0);
        set.AddLine(a, b, 0);
        set.AddLine(d, a, 0);
    };
    for (int y = 0; y < sheetW - 50;) {
        const int rowW = pick(40, 200);
        for (int x = 0; x < sheetL - 40;) {
            const int len = pick(30, 300);
            if (pick(0, 3) == 0) {
                const int w1 = pick(10, rowW - 10);
                rect(x, y, len, w1 + Blade);
                rect(x, y + w1 + Blade, len, rowW - w1);
            } else {
                rect(x, y, len, pick(rowW / 2, rowW) + Blade);
            }
            x += len + (pick(0, 4) == 0 ? pick(1, 6) : 0);
        }
        y += rowW + Blade + (pick(0, 5) == 0 ? pick(1, 6) : 0);
    }
    for (int k = pick(0, 3); k > 0; --k) {
        const TPoint a{pick(0, sheetL), pick(0, sheetW)};
        const int kind = pick(0, 2);
        const TPoint b = kind == 0 ? TPoint{pick(0, sheetL), pick(0, sheetW)}
                         : kind == 1 ? TPoint{a.X + pick(1, 40), a.Y}
                                     : a;
        set.AddLine(a, b, 0);
    }
    set.MergeLines();
    return set.Merged;
}

}  // namespace

TEST(CutOrder, SameOrderAsTheReferenceOnRandomLayouts) {
    std::mt19937 rng(20261207);
    for (int n = 0; n < 150; ++n) {
        const std::int32_t blade = std::vector<std::int32_t>{0, 1, 3, 4, 10}[n % 5];
        BladeWidth = blade;
        TMergeLine m;
        m.Merged = RandomLayout(rng, blade);
        const std::vector<TCutLine> expected = reference::Order(m.Merged, blade);
        m.BuildCutSequence();
        ASSERT_EQ(m.Merged, expected) << "layout " << n << ", blade " << blade;
    }
}
