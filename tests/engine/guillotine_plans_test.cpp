// Guillotine mode plans every job, and every layout of its plans can be cut
// by guillotine cuts, checked here by an exact recursive test independent of
// the engine's grid test.
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
#include "support/exact_guillotine.h"

namespace {

struct Job {
    std::int32_t SheetLength, SheetWidth, Sheets;
    std::vector<std::int32_t> Lengths, Widths, Quantities;
    std::int32_t Blade = 0;
};

class GuillotinePlans : public ::testing::Test {
  protected:
    void SetUp() override {
        platform::SetClockHook([] { return std::int64_t{0}; });
        GuillotineMode = true;
    }

    // Runs Job as the program runs it (FastOptimize off once the optimiser
    // exists) and checks the plan: every required piece, every layout
    // guillotine-cuttable, no more sheets than stock.
    static void ExpectPlan(const Job& J, const std::string& Name) {
        TOptimize2d opt;
        FastOptimize = false;
        OptimizeTimeLimit = 120;
        KeepPlacements = true;
        CompareEqualLayouts = true;
        BladeWidth = J.Blade;
        PubRandSeed = kPubRandomStartSeed;
        std::string err;
        opt.AddPanel("S", "", "", "", J.SheetLength, J.SheetWidth, J.Sheets, 0, 1, srcSheet, err);
        std::int32_t pieces = 0;
        for (std::size_t i = 0; i < J.Lengths.size(); ++i) {
            opt.AddPart("P" + std::to_string(i), "", "", "", J.Lengths[i], J.Widths[i], true,
                        J.Quantities[i], J.Quantities[i], skRectangle, nullptr, err);
            pieces += J.Quantities[i];
        }
        ASSERT_EQ(err, "") << Name;
        opt.Run(err);
        ASSERT_EQ(err, "") << Name;
        std::int32_t placed = 0, sheets = 0;
        for (const TPacket& layout : opt.Best.Packets) {
            EXPECT_TRUE(GuillotineCuttable(layout)) << Name;
            placed += layout.Quantity * layout.Placements.Count();
            sheets += layout.Quantity;
        }
        EXPECT_EQ(placed, pieces) << Name;
        EXPECT_LE(sheets, J.Sheets) << Name;
    }
};

// A small generator of the tests' own, independent of PubRandom.
struct JobRandom {
    std::uint64_t State;
    std::int32_t Next(std::int32_t Low, std::int32_t High) {
        State = State * 6364136223846793005ull + 1442695040888963407ull;
        return Low + static_cast<std::int32_t>((State >> 33) % static_cast<std::uint64_t>(High - Low + 1));
    }
};

}  // namespace

TEST(ExactGuillotineCheck, TellsGuillotineLayoutsFromPinwheels) {
    EXPECT_TRUE(CutsApart({{0, 0, 2, 1}, {2, 0, 3, 2}, {0, 1, 2, 3}, {2, 2, 3, 3}}, {0, 0, 3, 3}));
    EXPECT_FALSE(CutsApart({{0, 0, 2, 1}, {2, 0, 3, 2}, {1, 2, 3, 3}, {0, 1, 1, 3}, {1, 1, 2, 2}},
                           {0, 0, 3, 3}));
    // A pinwheel behind a first cut.
    EXPECT_FALSE(CutsApart({{0, 0, 4, 1}, {0, 1, 2, 2}, {2, 1, 3, 3}, {1, 3, 3, 4}, {0, 2, 1, 4}},
                           {0, 0, 4, 4}));
}

TEST_F(GuillotinePlans, ReproducersOfJobsThatFoundNoPlan) {
    Job squares{100000, 100000, 22, {}, {}, {}};
    for (std::int32_t side : {10, 11, 13, 15, 17, 19, 21, 22, 24, 26, 27, 28, 29, 30}) {
        squares.Lengths.push_back(side * 1000);
        squares.Widths.push_back(side * 1000);
        squares.Quantities.push_back(1);
    }
    ExpectPlan(squares, "14 squares");

    Job kinds{100000, 100000, 32, {}, {}, {}};
    for (std::int32_t i = 0; i < 32; ++i) {
        kinds.Lengths.push_back((10 + i) * 1000);
        kinds.Widths.push_back((5 + i % 7) * 1000);
        kinds.Quantities.push_back(1);
    }
    ExpectPlan(kinds, "32 kinds");

    // Sheets of 2440 x 1220 less trims of 10, blade 4: 22 kinds, 52 pieces.
    Job workshop{2420000, 1200000, 52, {}, {}, {}, 4000};
    JobRandom r{22};
    for (std::int32_t i = 0; i < 22; ++i) {
        workshop.Lengths.push_back(r.Next(117, 400) * 1000);
        workshop.Widths.push_back(r.Next(50, 261) * 1000);
        workshop.Quantities.push_back(i < 8 ? 4 : 1);
    }
    ExpectPlan(workshop, "22 kinds");
}

TEST_F(GuillotinePlans, RandomJobsOfManySmallParts) {
    JobRandom r{17};
    for (int n = 0; n < 8; ++n) {
        Job j{2440000, 1220000, 200, {}, {}, {}, r.Next(0, 10) * 1000};
        const std::int32_t kinds = n == 0 ? 1 : r.Next(2, 60);
        for (std::int32_t i = 0; i < kinds; ++i) {
            j.Lengths.push_back(r.Next(30, 500) * 1000);
            j.Widths.push_back(r.Next(20, 300) * 1000);
            j.Quantities.push_back(r.Next(1, 6));
        }
        ExpectPlan(j, "random job " + std::to_string(n));
    }
}

TEST_F(GuillotinePlans, NoStockIsShortMaterialNotTheGuillotineTest) {
    TOptimize2d opt;
    FastOptimize = false;
    std::string err;
    opt.AddPanel("S", "", "", "", 1000000, 1000000, 0, 0, 1, srcSheet, err);
    opt.AddPart("P", "", "", "", 300000, 200000, true, 2, 2, skRectangle, nullptr, err);
    ASSERT_EQ(err, "");
    opt.Run(err);
    EXPECT_EQ(err, MsgCantGetResult);
}

TEST_F(GuillotinePlans, NoPlanMessageSaysWhatLacks) {
    TOptimize2d opt;
    std::string err;
    opt.AddPanel("S", "", "", "", 1000000, 1000000, 5, 0, 1, srcSheet, err);
    opt.AddPart("SMALL", "", "", "", 300000, 200000, true, 2, 2, skRectangle, nullptr, err);
    opt.AddPart("BIG", "", "", "", 600000, 500000, true, 2, 2, skRectangle, nullptr, err);
    opt.SortParts(err);
    ASSERT_EQ(err, "");
    // No candidate layout holds BIG: the guillotine test refused them all.
    TPacket layout = TPacket::CreateFromParts(opt.Parts);
    layout.PartCounts.Qty(1) = 3;
    opt.Candidates.Packets.Add(layout);
    EXPECT_EQ(opt.NoPlanMessage(), NoGuillotineLayoutMessage("BIG"));
    // Every part has layouts: the material is short.
    opt.Candidates[0].PartCounts.Qty(0) = 1;
    EXPECT_EQ(opt.NoPlanMessage(), MsgCantGetResult);
    // A minimum offcut may have dropped the layouts too; no stock is short
    // material; outside guillotine mode the test plays no part.
    opt.Candidates.Clear();
    MinOffcutSize = 1;
    EXPECT_EQ(opt.NoPlanMessage(),
              MsgCantGetResult + "\r\nSetup Minimum Offcut Size to 0, try it again.");
    MinOffcutSize = 0;
    opt.Panels[0].Quantity = 0;
    EXPECT_EQ(opt.NoPlanMessage(), MsgCantGetResult);
    opt.Panels[0].Quantity = 5;
    GuillotineMode = false;
    EXPECT_EQ(opt.NoPlanMessage(), MsgCantGetResult);
}
