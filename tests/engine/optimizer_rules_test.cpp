// The optimiser's own rules (the random draws of the filler, the order of the
// quick passes, the feedback into the weights, the tie thresholds of the
// search modes) decide every plan without any one rule being visible in it:
// these tests pin what a few jobs give, in the settings a run of the program
// uses, so that a changed rule shows as a changed plan.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/defaults.h"
#include "engine/optimize2d.h"
#include "engine/pubfunc.h"
#include "engine/pubstr.h"
#include "platform/clock.h"
#include "support/run_settings.h"

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

namespace {

std::int32_t SheetsOf(const TSchemes& Plan) {
    std::int32_t n = 0;
    for (const TPacket& layout : Plan.Packets) n += layout.Quantity;
    return n;
}

// Records the most candidate layouts seen when the limit was reached.
class TLimitWatch : public TOptimize2d {
  public:
    std::int32_t Most = 0;
    void SchemeLimitHook() override {
        Most = std::max(Most, Candidates.Count());
    }
};

}  // namespace

// The search of Level 20 takes another path than Level 0's and once ended
// on 12 sheets where Level 0 needs 11: a standard instance of 40 items
// (Berkey & Wang class 1) on 10 x 10 bins, in guillotine mode.
TEST(OptimizerRules, HigherLevelNeverUsesMoreSheetsThanLevelZero) {
    const std::int32_t items[][2] = {
        {7, 4}, {3, 1}, {7, 6}, {2, 8}, {4, 9}, {2, 6}, {7, 7},  {6, 3}, {7, 2}, {3, 1},
        {8, 3}, {3, 4}, {9, 1}, {1, 8}, {10, 1}, {6, 7}, {5, 9}, {7, 3}, {3, 8}, {9, 6},
        {5, 2}, {1, 5}, {4, 8}, {3, 6}, {10, 7}, {10, 5}, {2, 5}, {9, 5}, {6, 9}, {2, 10},
        {9, 9}, {2, 7}, {2, 1}, {9, 8}, {10, 2}, {2, 7}, {10, 3}, {7, 2}, {4, 9}, {1, 3}};
    platform::SetClockHook([] { return std::int64_t{0}; });
    std::int32_t sheets[2] = {0, 0};
    for (const std::int32_t level : {0, 20}) {
        TOptimize2d opt;
        testsupport::ProgramRunSettings(level, true, 0);
        std::string err;
        opt.AddPanel("BIN", "", "", "", 10000, 10000, 40, 0, 1, srcSheet, err);
        // One part kind per size, a turned size being the same kind.
        std::vector<std::pair<std::int32_t, std::int32_t>> kinds;
        std::vector<std::int32_t> counts;
        for (const auto& hw : items) {
            std::pair<std::int32_t, std::int32_t> key{std::max(hw[0], hw[1]), std::min(hw[0], hw[1])};
            const auto at = std::find(kinds.begin(), kinds.end(), key);
            if (at == kinds.end()) {
                kinds.push_back(key);
                counts.push_back(1);
            } else {
                ++counts[static_cast<std::size_t>(at - kinds.begin())];
            }
        }
        for (std::size_t k = 0; k < kinds.size(); ++k)
            opt.AddPart("I" + std::to_string(k), "", "", "", kinds[k].first * 1000,
                        kinds[k].second * 1000, true, counts[k], counts[k], skRectangle, nullptr,
                        err);
        ASSERT_EQ(err, "");
        opt.Run(err);
        ASSERT_EQ(err, "");
        sheets[level == 0 ? 0 : 1] = SheetsOf(opt.Best);
        // Level 20's own plan lost to Level 0's in the run's comparison.
        if (level > 0) {
            EXPECT_TRUE(opt.Stats.LowestLevelKept);
        }
    }
    EXPECT_EQ(sheets[0], 11);
    EXPECT_LE(sheets[1], sheets[0]);
}

// The candidate layouts never outgrow MaxCandidateLayouts, however many the
// quick passes and the refills of the search make.
TEST(OptimizerRules, CandidateLayoutsStayWithinTheirLimit) {
    platform::SetClockHook([] { return std::int64_t{0}; });
    TLimitWatch opt;
    testsupport::ProgramRunSettings(3, false, 4000);
    MaxCandidateLayouts = 300;
    std::string err;
    opt.AddPanel("S", "", "", "", 2440000, 1220000, 400, 0, 1, srcSheet, err);
    std::uint64_t state = 150;
    auto next = [&state](std::int32_t Low, std::int32_t High) {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return Low + static_cast<std::int32_t>((state >> 33) % static_cast<std::uint64_t>(High - Low + 1));
    };
    for (int i = 0; i < 150; ++i)
        opt.AddPart("P" + std::to_string(i), "", "", "", next(60, 700) * 1000,
                    next(40, 500) * 1000, i % 3 != 0, 2, 2, skRectangle, nullptr, err);
    ASSERT_EQ(err, "");
    opt.Run(err);
    ASSERT_EQ(err, "");
    EXPECT_EQ(opt.Most, 300);  // reached, and held
    EXPECT_LE(opt.Candidates.Count(), 300);
    ResetProgramDefaults();
}
