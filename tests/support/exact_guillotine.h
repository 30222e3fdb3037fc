// An exact guillotine test for the tests, independent of the engine's grid
// test: a layout can be cut when its rectangles can be separated by cuts
// from edge to edge of the piece being cut, recursively.
#pragma once

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

#include "engine/packet.h"

// True when the rectangles inside Region can be separated by cuts from edge
// to edge of Region, recursively. Any cut that crosses no rectangle may be
// taken first: both sides of a guillotine layout stay guillotine layouts.
inline bool CutsApart(std::vector<TRect> Rects, const TRect& Region) {
    if (Rects.size() <= 1) return true;
    for (const bool vertical : {true, false}) {
        for (const TRect& r : Rects) {
            const std::int32_t at = vertical ? r.Right : r.Bottom;
            if (at >= (vertical ? Region.Right : Region.Bottom)) continue;
            const bool crossed = std::any_of(Rects.begin(), Rects.end(), [&](const TRect& o) {
                return vertical ? (o.Left < at && at < o.Right) : (o.Top < at && at < o.Bottom);
            });
            if (crossed) continue;
            std::vector<TRect> before, after;
            for (const TRect& o : Rects) ((vertical ? o.Right : o.Bottom) <= at ? before : after).push_back(o);
            if (before.empty() || after.empty()) continue;
            TRect first = Region, second = Region;
            (vertical ? first.Right : first.Bottom) = at;
            (vertical ? second.Left : second.Top) = at;
            return CutsApart(std::move(before), first) && CutsApart(std::move(after), second);
        }
    }
    return false;
}

inline bool GuillotineCuttable(const TPacket& Layout) {
    std::vector<TRect> rects;
    for (const T2DStock& p : Layout.Placements) rects.push_back(p.BoundsRect());
    return CutsApart(rects, {0, 0, Layout.Length, Layout.Width});
}
