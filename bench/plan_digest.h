// What the benchmarks and the plan pins share: a generator of generated
// jobs of their own (so the jobs do not depend on the optimiser's random
// numbers), a digest of a whole plan and its count of sheets.
#pragma once

#include <cstdint>

#include "engine/schemes.h"

namespace plan_digest {

struct JobRandom {
    std::uint64_t State;
    std::int32_t Next(std::int32_t Low, std::int32_t High) {
        State = State * 6364136223846793005ull + 1442695040888963407ull;
        return Low + static_cast<std::int32_t>((State >> 33) %
                                               static_cast<std::uint64_t>(High - Low + 1));
    }
};

// A digest of the whole plan (layouts in order, their counts and every
// placement), to see that a change of the engine left the plans alone.
inline std::uint32_t PlanDigest(const TSchemes& Plan) {
    std::uint32_t h = 2166136261u;
    auto mix = [&h](std::int64_t V) {
        for (int i = 0; i < 8; ++i) {
            h ^= static_cast<std::uint32_t>(V >> (8 * i)) & 0xffu;
            h *= 16777619u;
        }
    };
    for (const TPacket& layout : Plan.Packets) {
        mix(layout.Index);
        mix(layout.Quantity);
        for (const T2DStock& p : layout.Placements) {
            mix(p.Index);
            mix(p.Position.X);
            mix(p.Position.Y);
            mix(p.Length);
            mix(p.Width);
            mix(p.TurnState);
        }
    }
    return h;
}

inline std::int64_t SheetsOf(const TSchemes& Plan) {
    std::int64_t n = 0;
    for (const TPacket& layout : Plan.Packets) n += layout.Quantity;
    return n;
}

}  // namespace plan_digest
