#include "app/core/run_control.h"

#include <gtest/gtest.h>

#include "app/core/main_window.h"
#include "engine/optimize2d.h"
#include "engine/pubstr.h"
#include "engine/shared_state.h"
#include "support/scratch.h"

using namespace testsupport;

TEST(RunControl, ACancelledRunLeavesThePreviousPlanAndReportAndAFinishedOneReplacesThem) {
    ScratchDir dir;
    AppDirScope app(dir.Path());
    CaptureSink sink;
    TMainWindowCore w;
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
