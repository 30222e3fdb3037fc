// The optimiser's own rules (the random draws of the filler, the order of the
// quick passes, the feedback into the weights, the tie thresholds of the
// search modes) decide every plan without any one rule being visible in it:
// these tests pin what a few jobs give, in the settings a run of the program
// uses, so that a changed rule shows as a changed plan.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "engine/defaults.h"
#include "engine/optimize2d.h"
#include "engine/pubfunc.h"
#include "engine/pubstr.h"
#include "platform/clock.h"

namespace {

struct Pinned {
    const char* Name;
    std::int32_t Level;
    bool Guillotine;
    bool CompareEqual;  // CompareEqualLayouts: on in every run after the first
    std::int32_t Candidates;  // candidate layouts after the run
    std::uint32_t Kept;       // digest of the candidate layouts
    std::int32_t Trials;      // trials of the search
    std::uint32_t Plan;       // digest of the plan
};

// Digest of the plan: every layout with its sheet count and placements.
std::uint32_t Digest(const TSchemes& Plan) {
    std::string text;
    for (const TPacket& layout : Plan.Packets) {
        text += std::to_string(layout.Index) + "x" + std::to_string(layout.Quantity) + ":";
        for (const T2DStock& p : layout.Placements)
            text += std::to_string(p.Index) + "@" + std::to_string(p.Position.X) + "," +
                    std::to_string(p.Position.Y) + "/" + std::to_string(p.Length) + " ";
    }
    std::uint32_t h = 2166136261u;
    for (const char c : text) h = (h ^ static_cast<unsigned char>(c)) * 16777619u;
    return h;
}

// Fourteen part kinds of a workshop on two sheet sizes, blade 4.
void FillJob(TOptimize2d& Opt) {
    std::string err;
    Opt.AddPanel("A", "", "", "", 2440000, 1220000, 30, 0, 45, srcSheet, err);
    Opt.AddPanel("B", "", "", "", 1830000, 1220000, 30, 0, 35, srcSheet, err);
    const std::int32_t sizes[][3] = {{600, 400, 5}, {500, 300, 7}, {800, 200, 4}, {300, 300, 9},
                                     {1000, 450, 3}, {250, 150, 12}, {700, 350, 6}, {400, 220, 6},
                                     {350, 500, 3}, {120, 90, 20}, {900, 610, 2}, {450, 450, 4},
                                     {1200, 300, 2}, {200, 180, 10}};
    int i = 0;
    for (const auto& s : sizes) {
        Opt.AddPart("P" + std::to_string(i), "", "", "", s[0] * 1000, s[1] * 1000, i % 5 != 4,
                    s[2], s[2], skRectangle, nullptr, err);
        ++i;
    }
    ASSERT_EQ(err, "");
}

}  // namespace

TEST(OptimizerRules, PlansOfTheProgramSettingsStayAsTheyAre) {
    const Pinned pinned[] = {
        {"level 0", 0, false, true, 776, 0xb52167e8u, 20, 0xa4777d08u},
        {"level 8", 8, false, true, 1042, 0xbb2e1d39u, 78, 0xf4c9d49au},
        {"level 15", 15, false, true, 1062, 0x2cb006fau, 109, 0xf4c9d49au},
        {"level 8 guillotine", 8, true, true, 834, 0x1e939a11u, 80, 0xb47efe9au},
        // The first layout of equal counts stays: which pass made it shows.
        {"level 8 first run", 8, false, false, 1042, 0x4d948992u, 78, 0xbb7e432eu},
        {"level 8 guillotine first run", 8, true, false, 834, 0x6e2fe987u, 80, 0xf1df4eb4u},
    };
    platform::SetClockHook([] { return std::int64_t{0}; });
    for (const Pinned& p : pinned) {
        TOptimize2d opt;
        // As a run of the program: after the optimiser exists.
        FastOptimize = false;
        OptimizeSpeed = p.Level;
        GuillotineMode = p.Guillotine;
        OptimizeTimeLimit = 120;
        KeepPlacements = true;
        CompareEqualLayouts = p.CompareEqual;
        BladeWidth = 4000;
        PubRandSeed = kPubRandomStartSeed;
        FillJob(opt);
        std::string err;
        opt.Run(err);
        ASSERT_EQ(err, "") << p.Name;
        EXPECT_EQ(opt.Candidates.Count(), p.Candidates) << p.Name;
        EXPECT_EQ(Digest(opt.Candidates), p.Kept) << p.Name << " " << std::hex << Digest(opt.Candidates);
        EXPECT_EQ(opt.Stats.Trials, p.Trials) << p.Name;
        EXPECT_EQ(Digest(opt.Best), p.Plan) << p.Name << " " << std::hex << Digest(opt.Best);
    }
}
