#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QToolBar>

#include "app_ui/sample_window.h"
#include "engine/pubstr.h"
#include "output/report_text.h"

using sample_window::Wait;
using LayoutPageTest = sample_window::SampleWindowTest;

TEST_F(LayoutPageTest, MovesAPieceByHandAndConfirms) {
    const TPacket& p = Optimizer.Best[CurrentLayoutIndex];
    int k = 0;
    while (k < p.Placements.Count() &&
           p.Placements[k].Label.find(OffcutPrefix) != std::string::npos)
        ++k;
    ASSERT_LT(k, p.Placements.Count());
    const T2DStock piece = T2DStock::CreateCopy(p.Placements[k]);
    child<QPushButton>("ButtonManual")->click();
    EXPECT_TRUE(page_->Edit().ManualMode);
    EXPECT_FALSE(form_->ToolBar()->isEnabled());
    clickSheet(Qt::LeftButton, piece.Position.X + piece.NetLength() / 2.0,
               piece.Position.Y + piece.NetWidth() / 2.0);
    EXPECT_TRUE(page_->Edit().Dragging);
    clickSheet(Qt::RightButton, piece.Position.X + piece.NetLength() / 2.0,
               piece.Position.Y + piece.NetWidth() / 2.0);
    clickSheet(Qt::LeftButton, p.Length, p.Width);  // drop at the far corner
    EXPECT_FALSE(page_->Edit().Dragging);
    EXPECT_TRUE(valid(Optimizer.Best[CurrentLayoutIndex]));
    child<QPushButton>("ButtonConfirm")->click();
    EXPECT_FALSE(page_->Edit().ManualMode);
    EXPECT_TRUE(form_->ToolBar()->isEnabled());
}

// The report page's lines as the window shows them.
static std::vector<std::string> ShownReport(QListWidget* List) {
    std::vector<std::string> lines;
    for (int i = 0; i < List->count(); ++i) lines.push_back(List->item(i)->text().toStdString());
    return lines;
}

TEST_F(LayoutPageTest, ConfirmAndDeleteShowTheReportOfThePlanAsItNowIs) {
    auto* report = child<QListWidget>("ListBoxReport");
    auto* layouts = child<QScrollBar>("ScrollBarSchemes");
    std::vector<std::string> shown = ShownReport(report);
    ASSERT_FALSE(shown.empty());
    // On each layout the first part is dropped at the sheet's far corner and
    // the edit confirmed: where the part moves, the usable offcuts change.
    int changed = 0;
    for (int i = 0; i < Optimizer.Best.Count(); ++i) {
        SCOPED_TRACE("layout " + std::to_string(i + 1));
        layouts->setValue(i);
        ASSERT_EQ(CurrentLayoutIndex, i);
        const TPacket& p = Optimizer.Best[i];
        const T2DStock piece = T2DStock::CreateCopy(p.Placements[0]);
        ASSERT_EQ(piece.Label.find(OffcutPrefix), std::string::npos);
        child<QPushButton>("ButtonManual")->click();
        clickSheet(Qt::LeftButton, piece.Position.X + piece.NetLength() / 2.0,
                   piece.Position.Y + piece.NetWidth() / 2.0);
        const QPoint o = page_->SheetOrigin();
        const QPoint corner(o.x() + int(p.Length * page_->LayoutScale()),
                            o.y() + int(p.Width * page_->LayoutScale()));
        QMouseEvent move(QEvent::MouseMove, corner, page_->PaintBox()->mapToGlobal(corner),
                         Qt::NoButton, Qt::NoButton, {});
        QApplication::sendEvent(page_->PaintBox(), &move);
        clickSheet(Qt::LeftButton, p.Length, p.Width);
        child<QPushButton>("ButtonConfirm")->click();
        const std::vector<std::string> before = shown;
        shown = ShownReport(report);
        EXPECT_EQ(core_.ListBoxReport, shown);  // what the HTML export writes
        core_.RebuildReports();
        EXPECT_EQ(ReportTextLines(), shown);  // what the edited plan says
        changed += shown != before;
    }
    EXPECT_GT(changed, 0);

    child<QPushButton>("ButtonDeleteLayout")->click();
    const std::vector<std::string> deleted = ShownReport(report);
    core_.RebuildReports();
    EXPECT_EQ(ReportTextLines(), deleted);
    EXPECT_NE(deleted, shown);
}

TEST_F(LayoutPageTest, ShowsTheLayoutsAndDeletesThem) {
    const int n = Optimizer.Best.Count();
    EXPECT_EQ(child<QComboBox>("ComboBoxLayoutList")->itemText(0).toStdString(),
              "1 / " + std::to_string(n));
    EXPECT_EQ(child<QLabel>("LabelSheetLabel")->text().toStdString(), Optimizer.Best[0].Label);
    EXPECT_GT(child<QTableWidget>("StringGridPartsInLayout")->rowCount(), 0);
    EXPECT_TRUE(child<QWidget>("DrawPanelSheet")->isVisible());
    child<QPushButton>("ButtonDeleteLayout")->click();
    EXPECT_EQ(Optimizer.Best.Count(), n - 1);
    EXPECT_EQ(child<QComboBox>("ComboBoxLayoutList")->count(), n - 1);
    while (Optimizer.Best.Count() > 0) child<QPushButton>("ButtonDeleteLayout")->click();
    EXPECT_FALSE(child<QWidget>("DrawPanelSheet")->isVisible());
    EXPECT_TRUE(core_.ListBoxReport.empty());
    child<QPushButton>("ButtonDeleteLayout")->click();  // disabled: nothing happens
}

TEST_F(LayoutPageTest, CutSequenceIsAnimatedOnATimer) {
    auto* box = child<QCheckBox>("ShowCutSequence");
    ASSERT_TRUE(box->isVisible());  // the first layout of the sample has no shaped part
    box->click();
    QApplication::processEvents();
    page_->PaintBox()->repaint();
    EXPECT_EQ(page_->CutsShown(), 0);  // the GUI thread is free while the cuts appear
    Wait(1200);
    EXPECT_NE(page_->CutsShown(), 0);
}

TEST_F(LayoutPageTest, RollingModeFillsTheHeightAndScrollsToTheRightEnd) {
    RollingMode = true;
    form_->NotifyPlanChanged();
    QApplication::processEvents();
    auto* bar = child<QScrollBar>("scrlbrRollingMode");
    ASSERT_TRUE(bar->isVisible());
    auto* panel = child<QWidget>("DrawPanelSheet");
    QWidget* box = page_->PaintBox();
    const TPacket& p = Optimizer.Best[CurrentLayoutIndex];
    EXPECT_EQ(panel->height(),
              std::lround((p.NetWidth() + 2.0 * LengthEdge) * page_->LayoutScale()) + 10);
    ASSERT_GT(bar->maximum(), 0);  // the sample's sheet is longer than the view
    bar->setValue(bar->maximum());
    EXPECT_EQ(box->x() + box->width(), panel->width());  // the right end exactly
}
