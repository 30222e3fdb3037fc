#include <QAction>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>

#include "app/core/main_data.h"
#include "engine/optimize2d.h"
#include "engine/shared_state.h"
#include "engine/textfmt.h"
#include "window_fixture.h"

class WindowRunTest : public WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        TypeRow(form->StringGridSheets(), 1, {"S1", "MDF", "2000", "1000", "3", "10"});
        TypeRow(form->StringGridParts(), 1, {"P1", "MDF", "600", "400", "R", "5", "5"});
        TypeRow(form->StringGridParts(), 2, {"P2", "MDF", "300", "1 1/2", "N", "4", "4"});
    }
    // Enough parts and sheets for a run that lasts a while.
    void TypeLargeJob() {
        Type(form->StringGridSheets(), SheetCol::Qty, 1, "500");
        for (int r = 3; r < 80; ++r)
            TypeRow(form->StringGridParts(), r,
                    {"Q" + IntToStr(r), "MDF", IntToStr(101 + 7 * r % 500), IntToStr(53 + 11 * r % 300),
                     "R", "9", "9"});
    }
    bool CommandsEnabled() {
        return form->Control("SheetsOpen")->isEnabled() && form->StringGridParts()->isEnabled() &&
               form->StartOptimize()->isEnabled();
    }
};

// A typed job runs on the worker with the commands off and shows its plan;
// a cancelled second run keeps that plan and its report.
TEST_F(WindowRunTest, RunShowsThePlanAndCancelKeepsIt) {
    bool sawRunning = false;
    QObject::connect(form.get(), &TSDIAppForm::RunningChanged, [&](bool running) {
        if (running) sawRunning = !CommandsEnabled() && form->CancelOptimize()->isEnabled();
    });
    form->StartOptimizeClick();
    ASSERT_TRUE(WaitForRunEnd(30000));
    EXPECT_TRUE(sawRunning);
    EXPECT_TRUE(sink.Warnings.empty()) << sink.Warnings.front();
    const int layouts = Optimizer.Best.Count();
    const int lines = form->ListBoxReport()->count();
    EXPECT_GE(layouts, 1);
    EXPECT_EQ(form->PageControl()->currentIndex(), static_cast<int>(TSDIAppForm::TPage::Layout));
    EXPECT_GT(lines, 3);
    EXPECT_TRUE(CommandsEnabled());
    EXPECT_FALSE(form->CancelOptimize()->isEnabled());

    TypeLargeJob();
    form->StartOptimizeClick();
    ASSERT_TRUE(form->Running());
    QTimer::singleShot(300, form.get(), &TSDIAppForm::CancelOptimizeClick);
    ASSERT_TRUE(WaitForRunEnd(30000));
    EXPECT_EQ(Optimizer.Best.Count(), layouts);
    EXPECT_EQ(form->ListBoxReport()->count(), lines);
    EXPECT_TRUE(CommandsEnabled());
    EXPECT_TRUE(sink.Warnings.empty());
}

TEST_F(WindowRunTest, RefusedInputShowsTheMessageAndTheCell) {
    Type(form->StringGridParts(), PartCol::Width, 2, "abc");
    form->StartOptimizeClick();
    EXPECT_FALSE(form->Running());
    ASSERT_EQ(sink.Warnings.size(), 1u);
    EXPECT_EQ(form->PageControl()->currentIndex(), static_cast<int>(TSDIAppForm::TPage::Parts));
    EXPECT_EQ(form->StringGridParts()->CurrentCell(), (TCellPos{PartCol::Width, 2}));
}

TEST_F(WindowRunTest, ClosingDuringARunCancelsItAndStillSaves) {
    TypeLargeJob();
    core.Data.EditSheetsFileName = dir.File("close.sht");
    form->SaveSelectGridsDialog = nullptr;
    form->ExitListFileDialog = nullptr;  // the parts list has no file: let it go
    form->StartOptimizeClick();
    ASSERT_TRUE(form->Running());
    form->close();
    EXPECT_FALSE(form->Running());
    EXPECT_EQ(Optimizer.Best.Count(), 0);  // the plan of before the run: none
    EXPECT_FALSE(testsupport::ReadText(dir.File("close.sht")).empty());
}
