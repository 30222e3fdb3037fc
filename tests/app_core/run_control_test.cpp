#include "app/core/run_control.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/core/main_window.h"
#include "engine/optimize2d.h"
#include "engine/progress.h"
#include "engine/pubstr.h"
#include "engine/shared_state.h"
#include "support/scratch.h"

using namespace testsupport;

// A window's data in a folder of its own, its messages caught.
class RunControl : public ::testing::Test {
  protected:
    ScratchDir dir;
    AppDirScope app{dir.Path()};
    CaptureSink sink;
    TMainWindowCore w;
};

TEST_F(RunControl, ACancelledRunLeavesThePreviousPlanAndReportAndAFinishedOneReplacesThem) {
    w.Data.StringGridSheets.SetRow(1, {"S", "MDF", "1000", "500", "5", "1", "", ""});
    w.Data.StringGridParts.SetRow(1, {"P", "MDF", "400", "200", "R", "4", "4", "R", "", ""});
    w.StartOptimizeClick();
    ASSERT_GT(Optimizer.Best.Count(), 0);
    const int layouts = Optimizer.Best.Count();
    const auto report = w.ListBoxReport;

    w.Data.StringGridParts.SetCell(PartCol::Qty, 1, "12");
    w.Data.StringGridParts.SetCell(PartCol::MaxQty, 1, "12");
    TRunSnapshot before;
    before.Take(w);
    ASSERT_TRUE(StartRunOnGuiThread(w));
    w.RunAfterInput();
    EXPECT_FALSE(FinishRun(w, true, before));
    EXPECT_EQ(Optimizer.Best.Count(), layouts);
    EXPECT_EQ(w.ListBoxReport, report);
    EXPECT_EQ(PartList[0].Quantity, 4);

    before.Take(w);
    ASSERT_TRUE(StartRunOnGuiThread(w));
    w.RunAfterInput();
    EXPECT_TRUE(FinishRun(w, false, before));
    EXPECT_EQ(PartList[0].Quantity, 12);
    EXPECT_NE(w.ListBoxReport, report);
    EXPECT_TRUE(sink.Warnings.empty());
}

namespace {

// Notes the sheets of the optimiser at each progress step, counts the steps
// of the first material (sheet "SM") and asks for the cancel at step At.
class TCancellingSink : public TProgressSink {
  public:
    int At = 0;
    int Steps = 0;
    int FirstSteps = 0;
    std::vector<std::string> SheetsSeen;
    void StepIt() override {
        for (const T2DStock& s : Optimizer.Panels)
            if (std::find(SheetsSeen.begin(), SheetsSeen.end(), s.Label) == SheetsSeen.end())
                SheetsSeen.push_back(s.Label);
        if (!Optimizer.Panels.Empty() && Optimizer.Panels[0].Label == "SM") ++FirstSteps;
        if (++Steps == At) RequestOptimizeCancel();
    }
};

}  // namespace

// A cancel in the optimiser of the first of two materials ends the run: the
// second material is not optimised, no plan is merged and no message says
// that nothing could be planned; the plan and report of before come back.
TEST_F(RunControl, ACancelDuringTheFirstMaterialEndsTheRunWithoutTheSecond) {
    w.Data.StringGridSheets.SetRow(1, {"SM", "MDF", "1000", "500", "50", "1", "", ""});
    w.Data.StringGridSheets.SetRow(2, {"SP", "PLY", "1000", "500", "50", "1", "", ""});
    w.Data.StringGridParts.SetRow(1, {"P", "MDF", "400", "200", "R", "4", "4", "R", "", ""});
    w.Data.StringGridParts.SetRow(2, {"Q", "PLY", "300", "200", "R", "4", "4", "R", "", ""});
    w.StartOptimizeClick();
    ASSERT_EQ(Optimizer.Best.Count(), 2);
    const auto report = w.ListBoxReport;

    for (int row : {1, 2}) {
        w.Data.StringGridParts.SetCell(PartCol::Qty, row, "30");
        w.Data.StringGridParts.SetCell(PartCol::MaxQty, row, "30");
    }
    // The first run counts the steps of the first material; the second one
    // is cancelled half-way through them, in the first material's optimiser.
    int at = 0;
    for (int run = 0; run < 2; ++run) {
        TCancellingSink steps;
        steps.At = at;
        SetProgressSink(&steps);
        TRunSnapshot before;
        before.Take(w);
        ASSERT_TRUE(StartRunOnGuiThread(w));
        w.RunAfterInput();
        SetProgressSink(nullptr);
        if (run == 0) {
            ASSERT_GT(steps.FirstSteps, 20);
            EXPECT_EQ(steps.SheetsSeen, (std::vector<std::string>{"SM", "SP"}));
            FinishRun(w, true, before);
            at = steps.FirstSteps / 2;
            continue;
        }
        EXPECT_EQ(steps.SheetsSeen, std::vector<std::string>{"SM"});
        EXPECT_EQ(Optimizer.Best.Count(), 0);
        EXPECT_TRUE(OptimizeNotes.empty());
        EXPECT_FALSE(FinishRun(w, true, before));
        EXPECT_FALSE(OptimizeCancelRequested());
        EXPECT_EQ(Optimizer.Best.Count(), 2);
        EXPECT_EQ(w.ListBoxReport, report);
        EXPECT_EQ(PartList[0].Quantity, 4);
    }
    EXPECT_TRUE(sink.Warnings.empty());
}
