// Plans of jobs of many part kinds. From 128 kinds on the optimiser takes
// paths that smaller jobs never reach: part counts kept as pairs, seeds kept
// across the refills instead of being built again, the candidate gate that
// reads the kept layouts through their bit-sliced facts, and the bound on
// the number of candidate layouts. These tests pin what a few generated jobs
// give in the settings a run of the program uses, so that a change to one of
// those paths that changes a plan shows.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "bench/plan_digest.h"
#include "engine/optimize2d.h"
#include "engine/pubstr.h"
#include "platform/clock.h"
#include "support/run_settings.h"

namespace {

struct Generated {
    const char* Name;
    std::int32_t Kinds;
    std::int32_t Level;
    bool Guillotine;
    std::int32_t Pieces;                // pieces of every kind, to cut and at most
    std::int32_t MinLength, MaxLength;  // part sizes, whole millimetres
    std::int32_t MinWidth, MaxWidth;
    // What the run gives.
    std::int32_t Candidates;  // candidate layouts after the run
    std::int32_t Trials;
    std::int32_t Refills;
    std::int32_t Sheets;
    std::uint32_t Plan;  // digest of the plan
};

using plan_digest::JobRandom;
using plan_digest::PlanDigest;
using plan_digest::SheetsOf;

// Runs the job on 2440 x 1220 sheets, blade 4, with the clock standing still
// so that no time limit can end a phase whatever the machine's speed.
void RunAndCompare(const Generated& G) {
    platform::SetClockHook([] { return std::int64_t{0}; });
    struct RestoreClock {
        ~RestoreClock() { platform::SetClockHook({}); }
    } restore;
    TOptimize2d opt;
    testsupport::ProgramRunSettings(G.Level, G.Guillotine, 4000);
    std::string err;
    opt.AddPanel("S", "", "", "", 2440000, 1220000, G.Kinds * G.Pieces, 0, 1, srcSheet, err);
    JobRandom r{static_cast<std::uint64_t>(G.Kinds)};
    for (int i = 0; i < G.Kinds; ++i) {
        const std::int32_t length = r.Next(G.MinLength, G.MaxLength) * 1000;
        const std::int32_t width = r.Next(G.MinWidth, G.MaxWidth) * 1000;
        opt.AddPart("P" + std::to_string(i), "", "", "", length, width, i % 3 != 0, G.Pieces,
                    G.Pieces, skRectangle, nullptr, err);
    }
    ASSERT_EQ(err, "") << G.Name;
    opt.Run(err);
    ASSERT_EQ(err, "") << G.Name;
    EXPECT_FALSE(opt.Stats.TimeLimitReached) << G.Name;
    EXPECT_EQ(opt.Candidates.Count(), G.Candidates) << G.Name;
    EXPECT_EQ(opt.Stats.Trials, G.Trials) << G.Name;
    EXPECT_EQ(opt.Stats.Refills, G.Refills) << G.Name;
    EXPECT_EQ(SheetsOf(opt.Best), G.Sheets) << G.Name;
    EXPECT_EQ(PlanDigest(opt.Best), G.Plan) << G.Name << " " << std::hex << PlanDigest(opt.Best);
}

}  // namespace

// Large parts: the candidate layouts reach their bound of 32768.
TEST(ManyKindsPlans, TwoHundredKindsLevel8Guillotine) {
    RunAndCompare({"200 kinds, level 8, guillotine", 200, 8, true, 1, 300, 1200, 200, 600, 32768,
                   92, 612, 23, 0xd1541705u});
}

TEST(ManyKindsPlans, TwoHundredKindsLevel8Nested) {
    RunAndCompare({"200 kinds, level 8", 200, 8, false, 1, 300, 1200, 200, 600, 32768, 69, 335, 23,
                   0xd412804fu});
}

TEST(ManyKindsPlans, ThousandKindsLevel0) {
    RunAndCompare({"1000 kinds, level 0", 1000, 0, false, 1, 400, 1400, 250, 700, 17512, 20, 210,
                   148, 0x144a056eu});
}

// Small parts, two pieces each: seeds of several pieces per kind.
TEST(ManyKindsPlans, ThreeHundredKindsLevel0Guillotine) {
    RunAndCompare({"300 kinds x 2, level 0, guillotine", 300, 0, true, 2, 60, 700, 40, 500, 17779,
                   20, 200, 24, 0x157c7aa2u});
}
