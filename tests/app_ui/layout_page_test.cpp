#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QToolBar>
#include <QEventLoop>
#include <QMouseEvent>
#include <QTimer>
#include <filesystem>

#include "app/core/main_window.h"
#include "app/core/startup.h"
#include "app/ui/layout_page.h"
#include "app/ui/sdimain.h"
#include "engine/pubstr.h"
#include "engine/shared_state.h"
#include "support/scratch.h"

namespace fs = std::filesystem;

namespace {

void Wait(int Ms) {
    QEventLoop loop;
    QTimer::singleShot(Ms, &loop, &QEventLoop::quit);
    loop.exec();
}

void Click(QWidget* W, Qt::MouseButton B, QPoint At) {
    QMouseEvent press(QEvent::MouseButtonPress, At, W->mapToGlobal(At), B, B, {});
    QApplication::sendEvent(W, &press);
}

class YesSink : public platform::MessageSink {
  public:
    YesSink() { platform::SetMessageSink(this); }
    ~YesSink() override { platform::SetMessageSink(nullptr); }
    void Warning(const std::string& Text) override { Warnings.push_back(Text); }
    bool Confirm(const std::string& Text, bool) override {
        Warnings.push_back(Text);
        return true;
    }
    std::vector<std::string> Warnings;
};

// The sample job run in the core, then shown in a window.
class LayoutPageTest : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const auto& f :
             fs::directory_iterator(fs::path(TESSALY_TEST_DATA) / "../../examples/sample"))
            fs::copy_file(f.path(), dir_.File(f.path().filename().string()));
        LoadStartupFiles(core_);
        core_.StartOptimizeClick();
        ASSERT_GT(Optimizer.Best.Count(), 0);
        form_ = std::make_unique<TSDIAppForm>(core_);
        form_->resize(1100, 700);
        form_->ShowPage(TSDIAppForm::TPage::Layout);
        form_->show();
        form_->NotifyPlanChanged();
        QApplication::processEvents();
        page_ = FindLayoutPage(*form_);
        ASSERT_NE(page_, nullptr);
    }
    template <typename T>
    T* child(const char* name) {
        return form_->findChild<T*>(name);
    }
    // Clicks the paint box at a point of the sheet (internal units).
    void clickSheet(Qt::MouseButton b, double x, double y) {
        const QPoint o = page_->SheetOrigin();
        const double s = page_->LayoutScale();
        Click(page_->PaintBox(), b, QPoint(o.x() + int(x * s), o.y() + int(y * s)));
    }
    bool valid(const TPacket& p) {
        for (int i = 0; i < p.Placements.Count(); ++i) {
            const TRect a = p.Placements[i].BoundsRect();
            if (a.Left < 0 || a.Top < 0 || a.Right > p.Length || a.Bottom > p.Width) return false;
            for (int j = i + 1; j < p.Placements.Count(); ++j) {
                const TRect b = p.Placements[j].BoundsRect();
                if (a.Left < b.Right && b.Left < a.Right && a.Top < b.Bottom && b.Top < a.Bottom)
                    return false;
            }
        }
        return true;
    }

    testsupport::ScratchDir dir_;
    testsupport::AppDirScope app_{dir_.Path()};
    YesSink sink_;
    TMainWindowCore core_;
    std::unique_ptr<TSDIAppForm> form_;
    TLayoutPage* page_ = nullptr;
};

}  // namespace

TEST_F(LayoutPageTest, ShowsTheLayoutsFactsAndParts) {
    const int n = Optimizer.Best.Count();
    EXPECT_EQ(child<QComboBox>("ComboBoxLayoutList")->count(), n);
    EXPECT_EQ(child<QComboBox>("ComboBoxLayoutList")->itemText(0).toStdString(),
              "1 / " + std::to_string(n));
    EXPECT_EQ(child<QLabel>("LabelSheetLabel")->text().toStdString(), Optimizer.Best[0].Label);
    EXPECT_GT(child<QTableWidget>("StringGridPartsInLayout")->rowCount(), 0);
    EXPECT_GT(page_->LayoutScale(), 0.0);
    EXPECT_TRUE(child<QWidget>("DrawPanelSheet")->isVisible());
}

TEST_F(LayoutPageTest, MovesAPieceByHandAndConfirms) {
    const TPacket& p = Optimizer.Best[CurrentLayoutIndex];
    int k = 0;
    while (k < p.Placements.Count() && p.Placements[k].Label.find(OffcutPrefix) != std::string::npos) ++k;
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

TEST_F(LayoutPageTest, DeletesLayoutsAndRebuildsTheReport) {
    const int n = Optimizer.Best.Count();
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
    if (!box->isVisible()) GTEST_SKIP() << "first layout has a shaped part";
    box->click();
    QApplication::processEvents();
    page_->PaintBox()->repaint();
    EXPECT_EQ(page_->CutsShown(), 0);  // the GUI thread is free while the cuts appear
    Wait(1200);
    EXPECT_NE(page_->CutsShown(), 0);
}

TEST_F(LayoutPageTest, Screenshot) {
    const char* dir = std::getenv("TESSALY_SCREENSHOT_DIR");
    if (!dir) GTEST_SKIP() << "TESSALY_SCREENSHOT_DIR not set";
    child<QCheckBox>("ShowXYPos")->click();
    QApplication::processEvents();
    form_->grab().save(QString(dir) + "/layout_page.png");
    auto* box = child<QCheckBox>("ShowCutSequence");
    if (box->isVisible()) {
        box->click();
        Wait(100);
        for (int k = 0; k < 200 && page_->CutsShown() != -1; ++k) Wait(200);
        form_->grab().save(QString(dir) + "/layout_page_cuts.png");
    }
}
