#include "engine/optimize2d.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <map>
#include <string>
#include <vector>

#include "engine/guillotine.h"
#include "engine/progress.h"
#include "engine/pubfunc.h"
#include "engine/pubstr.h"
#include "engine/trapezium.h"
#include "platform/clock.h"

namespace {

struct PartRow {
    std::string Label;
    std::int32_t Length, Width;
    std::int32_t Required, Maximum;
    bool CanRotate = true;
};

struct SheetRow {
    std::string Label;
    std::int32_t Length, Width, Quantity;
    std::int32_t Priority = 0;
    std::int32_t Cost = 1;
};

// The settings an optimisation run of the main window works with, a clock
// that stands still (no phase reaches its limit) and the generator seeded.
class OptimizerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        platform::SetClockHook([] { return std::int64_t{0}; });
        OptimizeTimeLimit = 120;
        KeepPlacements = true;
        CompareEqualLayouts = true;
        FastOptimize = false;
        PubRandSeed = kPubRandomStartSeed;
    }

    static std::string Fill(TOptimize2d& Opt, const std::vector<SheetRow>& Sheets,
                            const std::vector<PartRow>& Parts) {
        std::string err;
        for (const SheetRow& s : Sheets) {
            Opt.AddPanel(s.Label, "", "", "", s.Length, s.Width, s.Quantity, s.Priority, s.Cost,
                         srcSheet, err);
            if (!err.empty()) return err;
        }
        for (const PartRow& p : Parts) {
            Opt.AddPart(p.Label, "", "", "", p.Length, p.Width, p.CanRotate, p.Maximum, p.Required,
                        skRectangle, nullptr, err);
            if (!err.empty()) return err;
        }
        return err;
    }

    static std::string RunJob(TOptimize2d& Opt, const std::vector<SheetRow>& Sheets,
                              const std::vector<PartRow>& Parts) {
        // The optimiser's constructor switched it on; the run switches it off.
        FastOptimize = false;
        PubRandSeed = kPubRandomStartSeed;
        std::string err = Fill(Opt, Sheets, Parts);
        if (err.empty()) Opt.Run(err);
        return err;
    }
};

bool Overlap(const TRect& A, const TRect& B) {
    return A.Left < B.Right && B.Left < A.Right && A.Top < B.Bottom && B.Top < A.Bottom;
}

// What every plan must satisfy.
void ExpectSoundPlan(const TOptimize2d& Opt, const std::vector<SheetRow>& Sheets,
                     const std::vector<PartRow>& Parts) {
    ASSERT_GT(Opt.Best.Count(), 0);
    std::map<std::string, std::int64_t> pieces;
    std::map<std::string, std::int64_t> sheetsUsed;
    for (const TPacket& layout : Opt.Best.Packets) {
        EXPECT_GE(layout.Quantity, 1);
        sheetsUsed[layout.Label] += layout.Quantity;
        std::map<std::string, std::int32_t> counted;
        const TRect sheet{0, 0, layout.Length, layout.Width};
        for (int i = 0; i < layout.Placements.Count(); ++i) {
            const T2DStock& p = layout.Placements[i];
            const TRect r = p.BoundsRect();
            EXPECT_TRUE(r.Left >= sheet.Left && r.Top >= sheet.Top && r.Right <= sheet.Right &&
                        r.Bottom <= sheet.Bottom)
                << p.Label << " lies outside its sheet " << layout.Label;
            // Shaped parts placed in pairs interlock: their boxes may overlap.
            for (int k = 0; k < i; ++k)
                if (p.ShapeKind != skShaped || layout.Placements[k].ShapeKind != skShaped) {
                    EXPECT_FALSE(Overlap(r, layout.Placements[k].BoundsRect()))
                        << p.Label << " overlaps " << layout.Placements[k].Label;
                }
            ++counted[p.Label];
            pieces[p.Label] += layout.Quantity;
        }
        for (const T2DStock& c : layout.PartCounts.ToPanels())
            EXPECT_EQ(c.Quantity, counted[c.Label]) << "counts of " << c.Label;
        if (GuillotineMode) {
            EXPECT_TRUE(Guillotine.Check(layout));
        }
    }
    for (const PartRow& p : Parts) {
        EXPECT_GE(pieces[p.Label], p.Required) << p.Label;
        EXPECT_LE(pieces[p.Label], p.Maximum) << p.Label;
    }
    if (!OrderOptimize) {
        for (const SheetRow& s : Sheets) EXPECT_LE(sheetsUsed[s.Label], s.Quantity) << s.Label;
    }
}

// The whole plan as text: layouts in order with their placements.
std::string PlanText(const TSchemes& Plan) {
    std::string text;
    for (const TPacket& layout : Plan.Packets) {
        text += layout.Label + " x" + std::to_string(layout.Quantity) + ":";
        for (const T2DStock& p : layout.Placements)
            text += " " + p.Label + "@" + std::to_string(p.Position.X) + "," +
                    std::to_string(p.Position.Y) + "/" + std::to_string(p.Length) + "x" +
                    std::to_string(p.Width);
        text += "\n";
    }
    return text;
}

std::int32_t SheetsOf(const TSchemes& Plan) {
    std::int32_t n = 0;
    for (const TPacket& layout : Plan.Packets) n += layout.Quantity;
    return n;
}

const std::vector<SheetRow> kOneSheet = {{"S", 2440000, 1220000, 20}};

const std::vector<PartRow> kMixedParts = {
    {"P0", 600000, 400000, 5, 5},        {"P1", 500000, 300000, 7, 7},
    {"P2", 800000, 200000, 4, 4},        {"P3", 300000, 300000, 9, 9},
    {"P4", 1000000, 450000, 3, 3},       {"P5", 250000, 150000, 12, 12},
    {"P6", 700000, 350000, 4, 6},        {"P7", 400000, 220000, 6, 6},
    {"P8", 350000, 500000, 3, 3, false}, {"P9", 120000, 90000, 20, 30},
};

}  // namespace

// ---- filling and validation -------------------------------------------------

TEST_F(OptimizerTest, AddPartRefusesInOrderAndAddsNothing) {
    TOptimize2d opt;
    std::string err;
    opt.AddPart("", "", "", "", 0, 0, true, -1, 1, 0, nullptr, err);
    EXPECT_EQ(err, "Current part Label can't be empty");
    opt.AddPart("A", "", "", "", 0, 0, true, -1, 1, 0, nullptr, err);
    EXPECT_EQ(err, "Current part Length format error");
    opt.AddPart("A", "", "", "", 10, 0, true, -1, 1, 0, nullptr, err);
    EXPECT_EQ(err, "Current part Width format error");
    opt.AddPart("A", "", "", "", 10, 10, true, -1, 1, 0, nullptr, err);
    EXPECT_EQ(err, "Current part quantity format error");
    EXPECT_EQ(opt.Parts.Count(), 0);
    opt.AddPart("A", "1", "2", "c", 10, 20, false, 5, 3, 1, nullptr, err);
    EXPECT_EQ(err, "");
    opt.AddPart("A", "", "", "", 10, 10, true, 1, 1, 0, nullptr, err);
    EXPECT_EQ(err, "label isn't unique");
    ASSERT_EQ(opt.Parts.Count(), 1);
    EXPECT_EQ(opt.Parts[0].Quantity, 5);
    EXPECT_EQ(opt.WorkParts[0].Quantity, 3);
    EXPECT_EQ(opt.Parts[0].SourceKind, srcPart);
    EXPECT_EQ(opt.Parts[0].ShapeKind, skCircle);
    EXPECT_FALSE(opt.Parts[0].CanRotate);
}

TEST_F(OptimizerTest, AddPanelRefusesInOrderAndNumbersEntries) {
    TOptimize2d opt;
    std::string err;
    opt.AddPanel("S", "", "", "", 100, 100, 1, 0, -1, srcSheet, err);
    EXPECT_EQ(err, MsgSheetCostFormatInvalid);
    opt.AddPanel("S", "", "", "", 100, 100, -1, 0, 0, srcSheet, err);
    EXPECT_EQ(err, "Current Panel quantity format error");
    opt.AddPanel("S", "", "", "", 100, 100, 0, 0, 0, srcSheet, err);  // cost 0, quantity 0
    EXPECT_EQ(err, "");
    opt.AddPanel("R", "", "", "", 50, 50, 1, 2, 3, srcOffcut, err);
    EXPECT_EQ(err, "");
    opt.AddPanel("S", "", "", "", 100, 100, 1, 0, 1, srcSheet, err);
    EXPECT_EQ(err, "\"S\" label isn't unique");
    ASSERT_EQ(opt.Panels.Count(), 2);
    EXPECT_EQ(opt.Panels[1].Index, 1);
    EXPECT_EQ(opt.Panels[1].SourceKind, srcOffcut);
    EXPECT_EQ(opt.Panels[1].Priority, 2);
}

TEST_F(OptimizerTest, SortPartsIsStableByAreaAndKeepsWorkPartsParallel) {
    TOptimize2d opt;
    std::string err;
    opt.AddPart("small", "", "", "", 10, 10, true, 1, 11, 0, nullptr, err);
    opt.AddPart("eq1", "", "", "", 20, 50, true, 1, 12, 0, nullptr, err);
    opt.AddPart("big", "", "", "", 100, 100, true, 1, 13, 0, nullptr, err);
    opt.AddPart("eq2", "", "", "", 50, 20, true, 1, 14, 0, nullptr, err);
    opt.SortParts(err);
    EXPECT_EQ(err, "");
    const std::vector<std::string> order = {"big", "eq1", "eq2", "small"};
    const std::vector<std::int32_t> required = {13, 12, 14, 11};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(opt.Parts[i].Label, order[static_cast<std::size_t>(i)]);
        EXPECT_EQ(opt.Parts[i].Index, i);
        EXPECT_EQ(opt.WorkParts[i].Label, order[static_cast<std::size_t>(i)]);
        EXPECT_EQ(opt.WorkParts[i].Quantity, required[static_cast<std::size_t>(i)]);
    }

    TOptimize2d none;
    none.SortParts(err);
    EXPECT_EQ(err, "Parts data is empty");
    none.AddPart("z", "", "", "", 10, 10, true, 0, 0, 0, nullptr, err);
    none.SortParts(err);
    EXPECT_EQ(err, "Parts data is empty");
}

TEST_F(OptimizerTest, KerfAndEdgeAllowances) {
    BladeWidth = 3000;
    auto edge = std::make_shared<TPartEdge>();
    edge->GL = edge->GR = 1500;
    edge->BL = edge->BR = 500;
    edge->GT = 1000;
    edge->BB = 200;
    TOptimize2d opt;
    std::string err;
    opt.AddPanel("S", "", "", "", 100000, 50000, 1, 0, 1, srcSheet, err);
    opt.AddPart("E", "", "", "", 20000, 10000, true, 1, 1, 0, edge, err);
    opt.AddPart("N", "", "", "", 20000, 10000, true, 1, 1, 0, nullptr, err);
    opt.AddKerfAndEdges(err);
    EXPECT_EQ(err, "");
    EXPECT_EQ(opt.Parts[0].Length, 25000);
    EXPECT_EQ(opt.Parts[0].Width, 10000 + 3000 + 1000 - 200);
    EXPECT_EQ(opt.Parts[1].Length, 23000);
    EXPECT_EQ(opt.WorkParts[0].Length, 20000);
    EXPECT_EQ(opt.Panels[0].Length, 103000);
    EXPECT_EQ(opt.Panels[0].Width, 53000);
}

TEST_F(OptimizerTest, PartLeftWithoutSizeByItsBandingIsRefusedByName) {
    auto edge = std::make_shared<TPartEdge>();
    edge->BT = edge->BB = 3000;
    TOptimize2d opt;
    std::string err;
    opt.AddPanel("S", "", "", "", 100000, 50000, 1, 0, 1, srcSheet, err);
    opt.AddPart("thin", "", "", "", 20000, 6000, true, 1, 1, 0, edge, err);
    opt.Run(err);
    EXPECT_EQ(err, PartHasNoSizeMessage("thin"));
    EXPECT_NE(err.find("thin"), std::string::npos);
    EXPECT_EQ(opt.Best.Count(), 0);
}

TEST_F(OptimizerTest, CheckPartsFitTurnsOnlyWhenAllowed) {
    TOptimize2d opt;
    std::string err;
    opt.AddPanel("S", "", "", "", 2440, 1220, 1, 0, 1, srcSheet, err);
    opt.AddPart("tall", "", "", "", 1000, 2440, true, 1, 1, 0, nullptr, err);
    opt.AddPart("unused", "", "", "", 5000, 5000, false, 0, 0, 0, nullptr, err);
    opt.CheckPartsFit(err);
    EXPECT_EQ(err, "");
    opt.Parts[0].CanRotate = false;
    opt.CheckPartsFit(err);
    EXPECT_EQ(err, "Part[label=tall] is too large.");
}

TEST_F(OptimizerTest, RunRefusesAPartTooLargeForEverySheet) {
    TOptimize2d opt;
    const std::vector<PartRow> parts = {{"ok", 1000, 1000, 1, 1}, {"huge", 3000, 3000, 1, 1}};
    EXPECT_EQ(RunJob(opt, {{"S", 2000, 2000, 5}}, parts), "Part[label=huge] is too large.");
    EXPECT_EQ(opt.Best.Count(), 0);
}

TEST_F(OptimizerTest, SeedsNeedStock) {
    TOptimize2d opt;
    std::string err;
    opt.AddPart("A", "", "", "", 10, 10, true, 1, 1, 0, nullptr, err);
    opt.PrepareSeeds(err);
    EXPECT_EQ(err, "no Sheet");
}

// ---- plans ------------------------------------------------------------------------

TEST_F(OptimizerTest, MixedJobGivesASoundRepeatablePlan) {
    TOptimize2d first, second;
    ASSERT_EQ(RunJob(first, kOneSheet, kMixedParts), "");
    ExpectSoundPlan(first, kOneSheet, kMixedParts);
    ASSERT_EQ(RunJob(second, kOneSheet, kMixedParts), "");
    EXPECT_EQ(PlanText(first.Best), PlanText(second.Best));
    // The lists are handed back with the sizes as given.
    EXPECT_EQ(first.Parts[0].Length, 1000000);
    EXPECT_EQ(first.Panels[0].Length, 2440000);
    // PanelsLeft: the stock less the sheets the plan uses.
    EXPECT_EQ(first.PanelsLeft[0].Quantity, 20 - SheetsOf(first.Best));
}

TEST_F(OptimizerTest, LevelsAndModesStaySound) {
    for (std::int32_t level : {0, 8, 15}) {
        OptimizeSpeed = level;
        TOptimize2d a, b;
        ASSERT_EQ(RunJob(a, kOneSheet, kMixedParts), "") << level;
        ExpectSoundPlan(a, kOneSheet, kMixedParts);
        ASSERT_EQ(RunJob(b, kOneSheet, kMixedParts), "") << level;
        EXPECT_EQ(PlanText(a.Best), PlanText(b.Best)) << level;
    }
}

TEST_F(OptimizerTest, GuillotineAndRollingModesStaySound) {
    GuillotineMode = true;
    {
        TOptimize2d opt;
        ASSERT_EQ(RunJob(opt, kOneSheet, kMixedParts), "");
        ExpectSoundPlan(opt, kOneSheet, kMixedParts);
    }
    RollingMode = false;
    {
        TOptimize2d opt;
        ASSERT_EQ(RunJob(opt, kOneSheet, kMixedParts), "");
        ExpectSoundPlan(opt, kOneSheet, kMixedParts);
    }
    GuillotineMode = false;
    {
        TOptimize2d opt;
        ASSERT_EQ(RunJob(opt, kOneSheet, kMixedParts), "");
        ExpectSoundPlan(opt, kOneSheet, kMixedParts);
    }
}

TEST_F(OptimizerTest, LimitedStockOfSeveralTypesWithCostsAndBlade) {
    BladeWidth = 4000;
    CostOptimize = true;
    const std::vector<SheetRow> sheets = {{"big", 2800000, 2070000, 2, 0, 90},
                                           {"std", 2440000, 1220000, 3, 0, 40},
                                           {"small", 1220000, 1220000, 6, 0, 25}};
    TOptimize2d opt;
    ASSERT_EQ(RunJob(opt, sheets, kMixedParts), "");
    ExpectSoundPlan(opt, sheets, kMixedParts);
    // Placed pieces carry the size they are cut to.
    for (const TPacket& layout : opt.Best.Packets)
        for (const T2DStock& p : layout.Placements) {
            EXPECT_EQ(p.LengthText, PubFunc.UnitsToStr(p.NetLength()));
            EXPECT_EQ(p.WidthText, PubFunc.UnitsToStr(p.NetWidth()));
        }
}

TEST_F(OptimizerTest, SmallerPriorityNumberIsUsedFirst) {
    const std::vector<SheetRow> sheets = {{"later", 2440000, 1220000, 10, 1},
                                           {"first", 2440000, 1220000, 10, 0}};
    TOptimize2d opt;
    ASSERT_EQ(RunJob(opt, sheets, kMixedParts), "");
    ExpectSoundPlan(opt, sheets, kMixedParts);
    for (const TPacket& layout : opt.Best.Packets) EXPECT_EQ(layout.Label, "first");
}

TEST_F(OptimizerTest, StockOfQuantityZeroOnlyWhenOrdering) {
    const std::vector<SheetRow> sheets = {{"one", 2440000, 1220000, 1},
                                           {"none", 2800000, 2070000, 0}};
    {
        TOptimize2d opt;
        EXPECT_EQ(RunJob(opt, sheets, kMixedParts), MsgCantGetResult);
    }
    OrderOptimize = true;
    TOptimize2d opt;
    ASSERT_EQ(RunJob(opt, sheets, kMixedParts), "");
    ExpectSoundPlan(opt, sheets, kMixedParts);
}

TEST_F(OptimizerTest, NotEnoughStockIsNoPlan) {
    const std::vector<SheetRow> sheets = {{"S", 2440000, 1220000, 1}};
    TOptimize2d opt;
    EXPECT_EQ(RunJob(opt, sheets, kMixedParts), MsgCantGetResult);
    EXPECT_EQ(opt.Best.Count(), 0);
}

TEST_F(OptimizerTest, OnePartTypeFillingOneSheetExactly) {
    const std::vector<PartRow> parts = {{"Q", 500000, 250000, 4, 4}};
    TOptimize2d opt;
    ASSERT_EQ(RunJob(opt, {{"S", 1000000, 500000, 3}}, parts), "");
    ExpectSoundPlan(opt, {{"S", 1000000, 500000, 3}}, parts);
    ASSERT_EQ(opt.Best.Count(), 1);
    EXPECT_EQ(opt.Best[0].Quantity, 1);
    EXPECT_EQ(opt.Candidates.Count(), 1);
}

TEST_F(OptimizerTest, FillersUpToTheirMaximumOnly) {
    const std::vector<PartRow> parts = {{"must", 900000, 600000, 3, 3},
                                         {"filler", 200000, 150000, 0, 40}};
    TOptimize2d opt;
    ASSERT_EQ(RunJob(opt, kOneSheet, parts), "");
    ExpectSoundPlan(opt, kOneSheet, parts);
}

TEST_F(OptimizerTest, ShapedPartsInPairs) {
    // A trapezium whose top reaches 50 beyond its bottom: pairs interlock.
    TTrapezium z;
    z.Label = "T";
    z.Bottom = 300000;
    z.Top = 200000;
    z.TopOffset = 150000;
    z.Param3 = 50000;
    z.Height = 200000;
    TrapeziumList.AddOrUpdate(z);
    T2DStock shaped;
    shaped.Label = "T";
    shaped.Length = 350000;
    shaped.Width = 200000;
    shaped.Quantity = 12;
    shaped.ShapeKind = skShaped;
    shaped.SourceKind = srcPart;
    const std::vector<PartRow> plain = {{"R", 400000, 300000, 6, 6}};
    const std::vector<SheetRow> sheets = {{"S", 1220000, 1220000, 10}};
    for (bool turn : {false, true}) {
        shaped.CanRotate = turn;
        TOptimize2d opt;
        PubRandSeed = kPubRandomStartSeed;
        std::string err = Fill(opt, sheets, plain);
        opt.AddPartStock(shaped, 12);
        ASSERT_EQ(err, "");
        opt.Run(err);
        ASSERT_EQ(err, "");
        std::vector<PartRow> all = plain;
        all.push_back({"T", 350000, 200000, 12, 12});
        ExpectSoundPlan(opt, sheets, all);
        bool paired = false;
        for (const TPacket& layout : opt.Best.Packets)
            for (const T2DStock& p : layout.Placements) {
                if (p.ShapeKind != skShaped) continue;
                if (!turn) {
                    EXPECT_FALSE(p.Rotated);
                }
                // Every second piece of a pair stands half turned.
                paired = paired || (p.TurnState - (p.Rotated ? 1 : 0) + 4) % 4 == 3;
            }
        EXPECT_TRUE(paired) << turn;
    }
}

TEST_F(OptimizerTest, ManySmallPartKindsAndQuantities) {
    std::vector<PartRow> parts;
    for (int i = 0; i < 40; ++i)
        parts.push_back({"K" + std::to_string(i), 90000 + 7919 * (i % 13), 60000 + 4391 * (i % 7),
                         1 + i % 4, 1 + i % 4, i % 5 != 0});
    TOptimize2d a, b;
    ASSERT_EQ(RunJob(a, kOneSheet, parts), "");
    ExpectSoundPlan(a, kOneSheet, parts);
    ASSERT_EQ(RunJob(b, kOneSheet, parts), "");
    EXPECT_EQ(PlanText(a.Best), PlanText(b.Best));
}

namespace {

struct CountingSink : TProgressSink {
    int Steps = 0, Maxed = 0, Repaints = 0;
    void StepIt() override { ++Steps; }
    void StepByMax() override { ++Maxed; }
    void Refresh() override { ++Repaints; }
};

}  // namespace

namespace {

// An optimiser that works in batches already beyond five open part kinds.
class BatchOptimizer : public TOptimize2d {
  public:
    BatchOptimizer() { ManyPartKinds = 5; }
    // The hook runs once per batch, with the sizes the batch cuts.
    void SchemeLimitHook() override { SheetLengths.push_back(Panels[0].Length); }
    std::vector<std::int32_t> SheetLengths;
};

}  // namespace

TEST_F(OptimizerTest, BatchesAndExtraPassesStillPlaceEveryPart) {
    // Enough pieces that a batch, which asks for only some of the parts,
    // leaves parts open for the next one.
    std::vector<PartRow> parts = kMixedParts;
    for (PartRow& p : parts) p.Required = p.Maximum = 4 * p.Required;
    BladeWidth = 3000;
    BatchOptimizer opt;
    const std::vector<SheetRow> sheets = {{"S", 2440000, 1220000, 30}};
    CountingSink sink;
    SetProgressSink(&sink);
    ASSERT_EQ(RunJob(opt, sheets, parts), "");
    SetProgressSink(nullptr);
    EXPECT_GE(sink.Maxed, 3);  // one search per batch and per extra pass
    ExpectSoundPlan(opt, sheets, parts);
    // Every batch cuts the sheets as given, the blade width added once.
    EXPECT_GE(opt.SheetLengths.size(), 3u);
    for (std::int32_t length : opt.SheetLengths) EXPECT_EQ(length, 2440000 + 3000);
    for (const TPacket& layout : opt.Best.Packets) EXPECT_EQ(layout.Length, 2440000 + 3000);
    EXPECT_FALSE(FewPartKinds);
    // The lists are handed back as given.
    EXPECT_EQ(opt.Panels[0].Length, 2440000);
    EXPECT_EQ(opt.Panels[0].Quantity, 30);
}

// ---- time, cancel, errors -----------------------------------------------------------

TEST_F(OptimizerTest, PhasesEndAtTheTimeLimitWithASoundPlan) {
    // Every reading of the clock lies ten minutes after the one before.
    std::int64_t now = 0;
    platform::SetClockHook([&now] { return now += 600000; });
    OptimizeSpeed = 20;
    TOptimize2d opt;
    ASSERT_EQ(RunJob(opt, kOneSheet, kMixedParts), "");
    ExpectSoundPlan(opt, kOneSheet, kMixedParts);
    EXPECT_GT(OptimizeElapsedSeconds, OptimizeTimeLimit);
}

TEST_F(OptimizerTest, ClockGoingBackwardsCountsAsElapsed) {
    std::int64_t now = 1000000000;
    platform::SetClockHook([&now] { return now -= 600000; });
    TOptimize2d opt;
    ASSERT_EQ(RunJob(opt, kOneSheet, kMixedParts), "");
    EXPECT_GT(OptimizeElapsedSeconds, OptimizeTimeLimit);
}

namespace {

// Requests the cancel at progress step At (counted from 1; 0 asks before
// the run) and counts the steps and sheet fills after it.
class TCancelAtStep : public TProgressSink {
  public:
    std::int64_t At = 0;
    std::int64_t Steps = 0;
    std::int64_t StepsAfter = 0;
    std::int32_t FillsAtCancel = 0;
    void StepIt() override {
        if (OptimizeCancelRequested()) {
            ++StepsAfter;
            return;
        }
        if (++Steps == At) {
            FillsAtCancel = OptimizeStepCount;
            RequestOptimizeCancel();
        }
    }
};

}  // namespace

// A cancel ends the run at once wherever it comes (seed building, quick
// passes, any step of any trial, refills): with no plan yet the run ends
// with none and no error; a plan it already has stands. The run is marked
// cancelled either way; an uncancelled run is not.
TEST_F(OptimizerTest, CancelEndsEveryPhaseEarly) {
    for (const std::int32_t level : {0, 20}) {
        ClearOptimizeCancel();
        OptimizeSpeed = level;
        TCancelAtStep counter;
        SetProgressSink(&counter);
        OptimizeStepCount = 0;
        TOptimize2d full;
        ASSERT_EQ(RunJob(full, kOneSheet, kMixedParts), "");
        EXPECT_FALSE(full.Stats.Cancelled);
        const std::int64_t fullSteps = counter.Steps;
        ASSERT_GT(fullSteps, 40);

        bool sawNoPlan = false, sawPlan = false;
        for (std::int64_t at = 0; at < fullSteps; at += 1 + fullSteps / 30) {
            ClearOptimizeCancel();
            TCancelAtStep sink;
            sink.At = at;
            if (at == 0) RequestOptimizeCancel();
            SetProgressSink(&sink);
            OptimizeStepCount = 0;
            TOptimize2d opt;
            EXPECT_EQ(RunJob(opt, kOneSheet, kMixedParts), "") << level << " at " << at;
            EXPECT_TRUE(opt.Stats.Cancelled) << level << " at " << at;
            // No sheet fill starts after the one under way at the cancel;
            // the steps after it are those of the end of the run (one per
            // placed piece of a plan that stands).
            EXPECT_LE(OptimizeStepCount - sink.FillsAtCancel, 1) << level << " at " << at;
            std::int64_t placed = 0;
            for (const TPacket& layout : opt.Best.Packets) placed += layout.Placements.Count();
            EXPECT_LE(sink.StepsAfter, 2 + placed) << level << " at " << at;
            if (opt.Best.Count() == 0) {
                sawNoPlan = true;
                EXPECT_EQ(opt.Panels[0].Length, kOneSheet[0].Length) << level << " at " << at;
            } else {
                sawPlan = true;
                ExpectSoundPlan(opt, kOneSheet, kMixedParts);
            }
            if (at == 0) {
                EXPECT_EQ(OptimizeStepCount, 0) << level;
                EXPECT_EQ(opt.Best.Count(), 0) << level;
            }
        }
        EXPECT_TRUE(sawNoPlan) << level;
        EXPECT_TRUE(sawPlan) << level;
    }
    SetProgressSink(nullptr);
    ClearOptimizeCancel();
}

namespace {

// Asks for a cancel at the first step of the search of the Nth phase run
// (or, with AfterPlan, at its first step once the search holds a plan).
class TCancelAtSearch : public TOptimize2d, public TProgressSink {
  public:
    int At = 1;
    bool AfterPlan = false;
    bool Armed = false;
    void SchemeLimitHook() override { Armed = Armed || --At == 0; }
    void StepIt() override {
        if (Armed && (!AfterPlan || Best.Count() > 0)) {
            Armed = false;
            RequestOptimizeCancel();
        }
    }
};

}  // namespace

// A cancel stops the search between two steps of a trial, the first trial
// too: with no plan yet the run ends with none (the first trial does not
// reach its first refill) and says no error; at a higher level the lowest
// level's plan stands; once the search has a plan, that plan stands.
TEST_F(OptimizerTest, CancelDuringTheSearchEndsItBetweenTheStepsOfATrial) {
    const struct {
        std::int32_t Level;
        int At;          // the phase run whose search is cancelled
        bool AfterPlan;  // the cancel waits for the search's first plan
        bool Plan;       // a plan stands
    } cases[] = {{8, 2, false, true}, {0, 1, false, false}, {0, 1, true, true}};
    for (const auto& c : cases) {
        ClearOptimizeCancel();
        OptimizeSpeed = 0;
        TOptimize2d lowest;
        ASSERT_EQ(RunJob(lowest, kOneSheet, kMixedParts), "");
        ASSERT_GT(lowest.Stats.Trials, 2);
        ASSERT_GT(lowest.Stats.Refills, 0);
        OptimizeSpeed = c.Level;
        TCancelAtSearch opt;
        opt.At = c.At;
        opt.AfterPlan = c.AfterPlan;
        SetProgressSink(&opt);
        EXPECT_EQ(RunJob(opt, kOneSheet, kMixedParts), "") << c.Level;
        SetProgressSink(nullptr);
        EXPECT_TRUE(opt.Stats.Cancelled) << c.Level;
        if (!c.Plan) {
            EXPECT_EQ(opt.Best.Count(), 0);
            EXPECT_EQ(opt.Stats.Trials, 1);
            EXPECT_EQ(opt.Stats.Refills, 0);
            continue;
        }
        ExpectSoundPlan(opt, kOneSheet, kMixedParts);
        if (c.Level > 0) {
            EXPECT_EQ(PlanText(opt.Best), PlanText(lowest.Best));
        } else {
            // The plan of the first trial; the second one was cut short.
            EXPECT_EQ(opt.Stats.Trials, 2);
            EXPECT_LT(opt.Stats.Refills, lowest.Stats.Refills);
        }
    }
    ClearOptimizeCancel();
}

namespace {

// Works in batches beyond five open part kinds and asks for a cancel in the
// search of its Nth batch pass (or, with AfterPlan, once that search holds a
// plan); counts the progress steps and sheet fills after the cancel.
class TCancelInBatch : public TOptimize2d, public TProgressSink {
  public:
    TCancelInBatch() { ManyPartKinds = 5; }
    int At = 1;
    bool AfterPlan = false;
    bool Armed = false;
    int Passes = 0;
    std::int64_t StepsAfter = 0, MaxedAfter = 0;
    std::int32_t FillsAtCancel = -1;
    int PassAtCancel = 0;
    void SchemeLimitHook() override {
        ++Passes;
        Armed = Armed || Passes == At;
    }
    void StepIt() override {
        if (OptimizeCancelRequested()) {
            ++StepsAfter;
            return;
        }
        if (Armed && (!AfterPlan || Best.Count() > 0)) {
            Armed = false;
            FillsAtCancel = OptimizeStepCount;
            PassAtCancel = Passes;
            RequestOptimizeCancel();
        }
    }
    void StepByMax() override {
        if (OptimizeCancelRequested()) ++MaxedAfter;
    }
};

}  // namespace

// A cancel in a batch pass (the road of many part kinds) ends the run there:
// the plan of one batch is no plan of every part, so the run ends cancelled
// with no plan, no error and its lists as given, and no later batch pass
// starts: no sheet fill and no progress step follow the cancel but the one
// advance of the pass it ended.
TEST_F(OptimizerTest, ACancelledBatchPassEndsTheRunWithNoFurtherSteps) {
    std::vector<PartRow> parts = kMixedParts;
    for (PartRow& p : parts) p.Required = p.Maximum = 4 * p.Required;
    const std::vector<SheetRow> sheets = {{"S", 2440000, 1220000, 30}};
    const struct {
        int At;          // the batch pass whose search is cancelled
        bool AfterPlan;  // the cancel waits for that search's first plan
    } cases[] = {{1, true}, {2, true}, {1, false}, {2, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "pass " << c.At << " after plan " << c.AfterPlan);
        ClearOptimizeCancel();
        OptimizeSpeed = 0;
        OptimizeStepCount = 0;
        TCancelInBatch opt;
        opt.At = c.At;
        opt.AfterPlan = c.AfterPlan;
        SetProgressSink(&opt);
        EXPECT_EQ(RunJob(opt, sheets, parts), "");
        SetProgressSink(nullptr);
        ASSERT_GE(opt.FillsAtCancel, 0) << "no cancel was asked for";
        EXPECT_FALSE(FewPartKinds);  // the batch road
        EXPECT_TRUE(opt.Stats.Cancelled);
        EXPECT_GE(opt.PassAtCancel, c.At);
        EXPECT_EQ(opt.Passes, opt.PassAtCancel);
        EXPECT_EQ(opt.Best.Count(), 0);
        EXPECT_EQ(opt.StepsAfter, 0);
        EXPECT_LE(opt.MaxedAfter, 1);
        EXPECT_LE(OptimizeStepCount - opt.FillsAtCancel, 1);
        EXPECT_EQ(opt.Panels[0].Length, sheets[0].Length);
        EXPECT_EQ(opt.Panels[0].Quantity, sheets[0].Quantity);
        EXPECT_EQ(opt.Parts.Count(), static_cast<int>(parts.size()));
    }
    ClearOptimizeCancel();
}

TEST_F(OptimizerTest, SearchWithoutCandidatesReportsNoResultWithOffcutHint) {
    // No layout leaves free rectangles this wide: every layout is dropped.
    MinOffcutSize = 10000000;
    TOptimize2d opt;
    std::string err = Fill(opt, kOneSheet, kMixedParts);
    ASSERT_EQ(err, "");
    opt.SortParts(err);
    opt.AddKerfAndEdges(err);
    opt.PrepareSeeds(err);
    opt.CandidatePartTotals.Assign(opt.Parts);
    opt.OptimizeSearch(2, err);
    EXPECT_EQ(err, MsgCantGetResult + "\r\nSetup Minimum Offcut Size to 0, try it again.");

    // A later mode that finds a plan clears the message.
    MinOffcutSize = 0;
    opt.OptimizeQuick(err);
    ASSERT_GT(opt.Candidates.Count(), 0);
    err = "left over";
    opt.OptimizeSearch(1, err);
    EXPECT_EQ(err, "");
    EXPECT_GT(opt.Best.Count(), 0);
}

TEST_F(OptimizerTest, WeightsBeyondThirtyTwoBitsAreHeld) {
    TOptimize2d opt;
    std::string err;
    opt.AddPart("A", "", "", "", 100, 100, true, 1, 1, 0, nullptr, err);
    opt.CandidatePartTotals.Assign(opt.Parts);
    TPanels list(opt.Parts);
    list[0].Quantity = 2000000000;
    FewPiecesMode = true;
    opt.WeightParts(list, 1);
    EXPECT_EQ(list[0].Quantity, 2147483647);
    list[0].Quantity = 2147483647;
    FewPiecesMode = false;
    opt.WeightParts(list, 0);
    EXPECT_EQ(list[0].Quantity, 2147483647);
}

TEST_F(OptimizerTest, WeightStrategies) {
    TOptimize2d opt;
    std::string err;
    opt.AddPart("A", "", "", "", 200, 100, true, 4, 4, 0, nullptr, err);
    opt.AddPart("B", "", "", "", 100, 100, true, 8, 8, 0, nullptr, err);
    opt.CandidatePartTotals.Assign(opt.Parts);
    opt.CandidatePartTotals[0].Quantity = 3;
    opt.CandidatePartTotals[1].Quantity = 0;
    TPanels list(opt.Parts);
    // Strategy 0: (q + 1) x (TotalCand + 1) / sqrt(count + 1), to the nearest.
    opt.WeightParts(list, 10);
    EXPECT_EQ(list[0].Quantity, 10);  // 5 x 4 / 2
    EXPECT_EQ(list[1].Quantity, 36);  // 9 x 4 / 1
    // Strategy 2: the average required quantity (6) plus 0 or 1.
    list.Assign(opt.Parts);
    opt.WeightParts(list, 2);
    for (int i = 0; i < 2; ++i) EXPECT_TRUE(list[i].Quantity == 6 || list[i].Quantity == 7);
    // Strategy 3: 0 or 1 plus area share (4/3 and 2/3) times 6.
    list.Assign(opt.Parts);
    opt.WeightParts(list, 3);
    EXPECT_TRUE(list[0].Quantity == 8 || list[0].Quantity == 9);
    EXPECT_TRUE(list[1].Quantity == 4 || list[1].Quantity == 5);
}

// ---- comparing plans -------------------------------------------------------------

namespace {

TPacket UsedLayout(std::int32_t Length, std::int32_t Width, std::int32_t PieceLength,
                   std::int32_t Quantity, std::int32_t Cost = 1) {
    TPanels parts;
    T2DStock part;
    part.Index = 0;
    part.Label = "P";
    part.Length = PieceLength;
    part.Width = Width;
    parts.AddCopy(part);
    TPacket p = TPacket::CreateFromParts(parts);
    p.Length = Length;
    p.Width = Width;
    p.Quantity = Quantity;
    p.Cost = Cost;
    p.ResetSpaces();
    part.Quantity = 1;
    p.AddPlacement(part);
    return p;
}

}  // namespace

TEST_F(OptimizerTest, CompareSchemesByUtilisationThenTieRules) {
    TOptimize2d opt;
    FewPartKinds = true;
    TSchemes a, b;
    a.Packets.Add(UsedLayout(1000, 100, 900, 1));
    b.Packets.Add(UsedLayout(1000, 100, 950, 1));
    EXPECT_EQ(opt.CompareSchemes(a, b), -1);  // B uses more of its sheets
    EXPECT_EQ(opt.CompareSchemes(b, a), 1);

    // Equal utilisation: the emptier last sheet wins, then fewer layouts.
    TSchemes c, d;
    c.Packets.Add(UsedLayout(1000, 100, 800, 1));
    c.Packets.Add(UsedLayout(1000, 100, 600, 1));
    d.Packets.Add(UsedLayout(1000, 100, 900, 1));
    d.Packets.Add(UsedLayout(1000, 100, 500, 1));
    EXPECT_EQ(opt.CompareSchemes(c, d), -1);
    EXPECT_EQ(opt.CompareSchemes(d, c), 1);
    TSchemes e;
    e.Packets.Add(UsedLayout(1000, 100, 700, 2));
    TSchemes f;
    f.Packets.Add(UsedLayout(1000, 100, 700, 1));
    f.Packets.Add(UsedLayout(1000, 100, 700, 1));
    EXPECT_EQ(opt.CompareSchemes(f, e), -1);
    EXPECT_EQ(opt.CompareSchemes(e, f), 1);

    // By cost: the cheaper plan wins; costs within 0.01 % go to the tie rules.
    CostOptimize = true;
    TSchemes g, h;
    g.Packets.Add(UsedLayout(1000, 100, 900, 1, 50));
    h.Packets.Add(UsedLayout(1000, 100, 500, 1, 40));
    EXPECT_EQ(opt.CompareSchemes(g, h), -1);
    h[0].Cost = 50;
    EXPECT_EQ(opt.CompareSchemes(g, h), -1);  // tie: h's last sheet is emptier
    EXPECT_EQ(opt.CompareSchemes(h, g), 1);
}

// ---- the candidate gate ----------------------------------------------------------

namespace {

// A layout of sheet type Sheet with the given counts of four part kinds and
// one free rectangle whose size sets the tie rule of equal counts.
TPacket Candidate(std::int32_t Sheet, const std::vector<std::int32_t>& Counts,
                  std::int32_t FreeLength) {
    TPanels parts;
    for (std::size_t i = 0; i < Counts.size(); ++i) {
        T2DStock part;
        part.Index = static_cast<std::int32_t>(i);
        part.Label = "P" + std::to_string(i);
        parts.AddCopy(part);
    }
    TPacket p = TPacket::CreateFromParts(parts);
    p.Index = Sheet;
    p.Label = "S" + std::to_string(Sheet);
    p.Length = 1000;
    p.Width = 1000;
    for (std::size_t i = 0; i < Counts.size(); ++i)
        p.PartCounts.Qty(static_cast<int>(i)) = Counts[i];
    p.Spaces.Clear();
    p.Spaces.Add({{0, 0}, FreeLength, 10});
    return p;
}

std::string CountsText(const TSchemes& Plan) {
    std::string text;
    for (const TPacket& p : Plan.Packets) {
        text += std::to_string(p.Index) + ":";
        for (const T2DStock& c : p.PartCounts.ToPanels()) text += std::to_string(c.Quantity) + ",";
        text += std::to_string(p.Spaces.Empty() ? 0 : p.Spaces[0].Length) + " ";
    }
    return text;
}

}  // namespace

// Pieces of a layout: Rects as (left, top, right, bottom).
static void PlacePieces(TPacket& Layout, std::initializer_list<TRect> Rects) {
    for (const TRect& r : Rects) {
        T2DStock piece;
        piece.SetBounds(r);
        Layout.Placements.AddCopy(piece);
    }
}

TEST_F(OptimizerTest, CandidateGateDecidesAsThePlan) {
    // Few part kinds give many equal and dominated layouts; more than 256
    // kinds share the bits of the gate's masks. With the guillotine test,
    // every third layout is a pinwheel that fails it.
    KeepPlacements = true;
    for (std::size_t kinds : {std::size_t{4}, std::size_t{300}})
    for (bool guillotine : {false, true}) {
        for (bool equalCompared : {false, true}) {
            CompareEqualLayouts = equalCompared;
            TSchemes plain, gated;
            TPlanGate gate(gated);
            std::uint32_t state = 12345;
            auto next = [&state](std::uint32_t N) {
                state = state * 1103515245u + 12345u;
                return (state >> 16) % N;
            };
            const int steps = kinds == 4 ? 3000 : 600;
            for (int step = 0; step < steps; ++step) {
                std::vector<std::int32_t> counts(kinds);
                if (kinds == 4) {
                    for (auto& c : counts) c = static_cast<std::int32_t>(next(3));
                } else {
                    // Two or three parts at positions 256 apart or anywhere.
                    const std::uint32_t base = next(6);
                    counts[base] = static_cast<std::int32_t>(1 + next(2));
                    counts[base + 256] = static_cast<std::int32_t>(next(2));
                    counts[next(300)] += static_cast<std::int32_t>(next(2));
                }
                const auto sheet = static_cast<std::int32_t>(next(2));
                const auto freeLength = static_cast<std::int32_t>(10 + next(4));
                const bool allowDominated = next(4) == 0;
                TPacket a = Candidate(sheet, counts, freeLength);
                const bool pinwheel = guillotine && next(3) == 0;
                if (pinwheel)
                    PlacePieces(a, {{0, 0, 600, 300},
                                    {600, 0, 900, 600},
                                    {300, 600, 900, 900},
                                    {0, 300, 300, 900},
                                    {300, 300, 600, 600}});
                else
                    PlacePieces(a, {{0, 0, 300, 300}});
                ASSERT_EQ(Guillotine.Check(a), !pinwheel);
                TPacket b = a;
                const bool storedPlain = plain.AddPacket(a, guillotine, allowDominated);
                const bool storedGated = gate.AddPacket(b, guillotine, allowDominated);
                ASSERT_EQ(storedPlain, storedGated) << kinds << " " << step;
                ASSERT_EQ(plain.Count(), gated.Count()) << kinds << " " << step;
                if (step % 50 == 0 || step == steps - 1) {
                    ASSERT_EQ(CountsText(plain), CountsText(gated)) << kinds << " " << step;
                }
            }
            EXPECT_GT(gated.Count(), 3);
            for (int k = 0; k < gated.Count(); ++k) EXPECT_EQ(gate.Total(k), gated[k].TotalCount());
        }
    }
}

TEST_F(OptimizerTest, FullCandidateGateDropsTheFirstLayoutOfLowestValue) {
    // A full plan takes a layout that betters none of its own only in place
    // of the first of its layouts of lowest Value, and only when that Value
    // is below the new one's. The plan's own gate, followed by that rule,
    // is the model; Values repeat so that ties occur.
    const int limit = 40;
    for (std::size_t kinds : {std::size_t{12}, std::size_t{300}}) {
        TSchemes plain, gated;
        TPlanGate gate(gated);
        gate.Limit = limit;
        gate.DropLowestValue = true;
        std::uint32_t state = 777;
        auto next = [&state](std::uint32_t N) {
            state = state * 1103515245u + 12345u;
            return (state >> 16) % N;
        };
        int drops = 0;
        for (int step = 0; step < 1500; ++step) {
            std::vector<std::int32_t> counts(kinds);
            for (int n = 0; n < 3; ++n) counts[next(static_cast<std::uint32_t>(kinds))] += 1;
            TPacket a = Candidate(0, counts, 10);
            a.Value = 0.5 + 0.1 * next(5);
            TPacket b = a;
            const bool allowDominated = next(4) == 0;
            const int before = plain.Count();
            bool storedPlain = plain.AddPacket(a, false, allowDominated);
            if (storedPlain && plain.Count() == before + 1 && before >= limit) {
                // Appended to a full plan: only in place of the lowest Value.
                plain.Packets.Delete(plain.Count() - 1);
                int lowest = -1;
                for (int k = 0; k < plain.Count(); ++k)
                    if (plain[k].Value < a.Value &&
                        (lowest < 0 || plain[k].Value < plain[lowest].Value))
                        lowest = k;
                storedPlain = lowest >= 0;
                if (storedPlain) {
                    plain.Packets.Delete(lowest);
                    plain.Packets.Add(a);
                    ++drops;
                }
            }
            ASSERT_EQ(gate.AddPacket(b, false, allowDominated), storedPlain)
                << kinds << " " << step;
            ASSERT_EQ(plain.Count(), gated.Count()) << kinds << " " << step;
            for (int k = 0; k < plain.Count(); ++k) ASSERT_EQ(plain[k].Value, gated[k].Value);
            if (step % 25 == 0) {
                ASSERT_EQ(CountsText(plain), CountsText(gated)) << kinds << " " << step;
            }
        }
        EXPECT_LE(gated.Count(), limit);
        EXPECT_GT(drops, 20) << kinds;
    }
}

TEST(FoldIndex, RelatedMatchesTheFoldsThroughAppendsChangesAndRemovals) {
    // A list grown past several words and cut back again, with removals at
    // word edges and inside words; after every step each layout's bit must
    // say whether its fold and the asked one lie one within the other.
    TFoldIndex index;
    std::vector<std::uint64_t> folds;
    std::uint64_t state = 99;
    auto next = [&state] {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return state >> 11;
    };
    // Folds of 1 to 32 bits on average, so that both relations occur; the
    // empty and the full fold relate to every layout.
    auto fold = [&] {
        std::uint64_t f = (next() << 11) ^ next();
        for (std::uint64_t n = next() % 4; n > 0; --n) f &= (next() << 11) ^ next();
        return f;
    };
    std::vector<std::uint64_t> words;
    for (int step = 0; step < 7000; ++step) {
        const std::uint64_t r = next() % 10;
        if (r < 5 || folds.empty()) {
            folds.push_back(fold());
            index.Append(folds.back());
        } else if (r < 7) {
            const std::size_t k = next() % folds.size();
            const std::uint64_t f = fold();
            index.Set(k, f);
            folds[k] = f;
        } else {
            const std::size_t k = r == 7 ? folds.size() - 1 : next() % folds.size();
            index.Erase(k);
            folds.erase(folds.begin() + static_cast<std::ptrdiff_t>(k));
        }
        ASSERT_EQ(index.Size(), folds.size());
        std::uint64_t asked = step % 3 == 0 && !folds.empty() ? folds[next() % folds.size()] : fold();
        if (step % 11 == 0) asked = step % 2 == 0 ? 0 : ~std::uint64_t{0};
        const std::size_t count = folds.size();
        index.Related(asked, words);
        ASSERT_EQ(words.size(), (count + 63) / 64) << step;
        for (std::size_t k = 0; k < words.size() * 64; ++k) {
            const bool related =
                k < count && ((folds[k] & ~asked) == 0 || (asked & ~folds[k]) == 0);
            ASSERT_EQ(((words[k / 64] >> (k % 64)) & 1) != 0, related) << step << " " << k;
        }
    }
    EXPECT_GT(folds.size(), 1024u);
}

// ---- progress -----------------------------------------------------------------------

TEST_F(OptimizerTest, ProgressReachesTheSinkWithoutTouchingThePlan) {
    TOptimize2d quiet;
    ASSERT_EQ(RunJob(quiet, kOneSheet, kMixedParts), "");

    CountingSink sink;
    SetProgressSink(&sink);
    SeedRepaintRandom(7);  // another repaint sequence: the plan must not change
    TOptimize2d watched;
    ASSERT_EQ(RunJob(watched, kOneSheet, kMixedParts), "");
    SetProgressSink(nullptr);

    EXPECT_EQ(PlanText(quiet.Best), PlanText(watched.Best));
    EXPECT_EQ(sink.Maxed, 1);
    EXPECT_GT(sink.Steps, 50);
    // About one repaint in ten steps that allow one.
    EXPECT_GT(sink.Repaints, 0);
    EXPECT_LT(sink.Repaints, sink.Steps / 3);
}
