#include "engine/guillotine.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "engine/errors.h"

TGuillotine Guillotine;

namespace {

// Point states.
enum : std::uint8_t { stInside = 0, stFree = 1, stBorder = 2, stCut = 3 };
// Line flags: a line may not pass, may pass, a cut passes.
enum : std::uint8_t { lfBlocked = 0, lfOpen = 1, lfCut = 2 };

struct TGridPoint {
    std::uint8_t State;
    std::uint8_t HFlag;
    std::uint8_t VFlag;
};

// Scratch of one thread, reused from test to test.
struct TGridScratch {
    std::vector<std::int32_t> Xs, Ys;
    std::vector<TGridPoint> Points;
    std::vector<char> ColumnChanged, RowChanged;  // lines to extend again
};

// Grids beyond this many points are given back after the test instead of
// being kept for the next one.
constexpr std::size_t kKeepPoints = std::size_t{1} << 22;

int PosOf(const std::vector<std::int32_t>& V, std::int32_t C) {
    return static_cast<int>(std::lower_bound(V.begin(), V.end(), C) - V.begin());
}

// Extends cut runs along one line of the grid: Count points, the first at
// First, Stride apart; Flag selects the flag of the line's direction. The
// lines crossing this one at a changed point are marked in Crossing.
bool ExtendLine(TGridPoint* First, std::ptrdiff_t Stride, int Count,
                std::uint8_t TGridPoint::*Flag, std::vector<char>& Crossing) {
    bool changed = false;
    bool open = false;
    int start = 0;
    for (int k = 0; k < Count; ++k) {
        TGridPoint& p = First[k * Stride];
        switch (p.State) {
            case stInside:
                open = false;
                break;
            case stFree:
                break;
            case stBorder:
                if (p.*Flag == lfBlocked) open = false;
                break;
            default:  // stCut
                if (open) {
                    for (int j = start; j <= k; ++j) {
                        TGridPoint& q = First[j * Stride];
                        if (q.State != stCut) {
                            q.State = stCut;
                            q.*Flag = lfCut;
                            Crossing[static_cast<std::size_t>(j)] = 1;
                            changed = true;
                        }
                    }
                }
                // A run goes on only through points its line may cross: a cut
                // that meets a piece edge at right angles ends there.
                open = p.*Flag != lfBlocked;
                start = k;
                break;
        }
    }
    return changed;
}

}  // namespace

bool TGuillotine::Check(const TPacket& Packet) const {
    thread_local TGridScratch scratch;
    std::vector<std::int32_t>& xs = scratch.Xs;
    std::vector<std::int32_t>& ys = scratch.Ys;
    xs.clear();
    ys.clear();
    xs.push_back(0);
    xs.push_back(Packet.Length);
    ys.push_back(0);
    ys.push_back(Packet.Width);
    for (const T2DStock& p : Packet.Placements) {
        const TRect r = p.BoundsRect();
        xs.push_back(r.Left);
        xs.push_back(r.Right);
        ys.push_back(r.Top);
        ys.push_back(r.Bottom);
    }
    std::sort(xs.begin(), xs.end());
    xs.erase(std::unique(xs.begin(), xs.end()), xs.end());
    std::sort(ys.begin(), ys.end());
    ys.erase(std::unique(ys.begin(), ys.end()), ys.end());
    if (xs.size() > static_cast<std::size_t>(MaxCoords) ||
        ys.size() > static_cast<std::size_t>(MaxCoords))
        throw ERangeError();

    const int nx = static_cast<int>(xs.size());
    const int ny = static_cast<int>(ys.size());
    std::vector<TGridPoint>& grid = scratch.Points;
    grid.assign(static_cast<std::size_t>(nx) * static_cast<std::size_t>(ny),
                TGridPoint{stFree, lfOpen, lfOpen});
    auto at = [&](int y, int x) -> TGridPoint& {
        return grid[static_cast<std::size_t>(y) * static_cast<std::size_t>(nx) +
                    static_cast<std::size_t>(x)];
    };

    // Pieces, in order: a later piece overwrites an earlier one's marks.
    for (const T2DStock& p : Packet.Placements) {
        const TRect r = p.BoundsRect();
        const int x1 = PosOf(xs, r.Left), x2 = PosOf(xs, r.Right);
        const int y1 = PosOf(ys, r.Top), y2 = PosOf(ys, r.Bottom);
        at(y1, x1) = {stBorder, lfOpen, lfOpen};
        at(y1, x2).State = stBorder;
        at(y1, x2).VFlag = lfOpen;
        at(y2, x1).State = stBorder;
        at(y2, x1).HFlag = lfOpen;
        at(y2, x2).State = stBorder;
        for (int x = x1 + 1; x < x2; ++x) {
            at(y1, x) = {stBorder, lfOpen, lfBlocked};
            at(y2, x).State = stBorder;
            at(y2, x).HFlag = lfOpen;
        }
        for (int y = y1 + 1; y < y2; ++y) {
            at(y, x1) = {stBorder, lfBlocked, lfOpen};
            at(y, x2).State = stBorder;
            at(y, x2).VFlag = lfOpen;
            for (int x = x1 + 1; x < x2; ++x) at(y, x) = {stInside, lfBlocked, lfBlocked};
        }
    }

    // The sheet border is cut.
    for (int x = 0; x < nx; ++x) {
        at(0, x).State = stCut;
        at(0, x).HFlag = lfCut;
        at(ny - 1, x).State = stCut;
        at(ny - 1, x).HFlag = lfCut;
    }
    for (int y = 0; y < ny; ++y) {
        at(y, 0).State = stCut;
        at(y, 0).VFlag = lfCut;
        at(y, nx - 1).State = stCut;
        at(y, nx - 1).VFlag = lfCut;
    }

    // Extend cuts, vertical then horizontal, until a full pass changes nothing.
    // A line none of whose points changed since its last extension would
    // change nothing again: only lines crossed by a change are extended.
    std::vector<char>& columnChanged = scratch.ColumnChanged;
    std::vector<char>& rowChanged = scratch.RowChanged;
    columnChanged.assign(static_cast<std::size_t>(nx), 1);
    rowChanged.assign(static_cast<std::size_t>(ny), 1);
    bool changed = true;
    while (changed) {
        changed = false;
        for (int x = 1; x <= nx - 2; ++x) {
            if (!columnChanged[static_cast<std::size_t>(x)]) continue;
            columnChanged[static_cast<std::size_t>(x)] = 0;
            changed |= ExtendLine(&at(0, x), nx, ny, &TGridPoint::VFlag, rowChanged);
        }
        for (int y = 1; y <= ny - 2; ++y) {
            if (!rowChanged[static_cast<std::size_t>(y)]) continue;
            rowChanged[static_cast<std::size_t>(y)] = 0;
            changed |= ExtendLine(&at(y, 0), 1, nx, &TGridPoint::HFlag, columnChanged);
        }
    }

    const bool ok = std::none_of(grid.begin(), grid.end(),
                                 [](const TGridPoint& p) { return p.State == stBorder; });
    if (grid.capacity() > kKeepPoints) std::vector<TGridPoint>().swap(grid);
    return ok;
}
