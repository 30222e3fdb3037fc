// The sample job of examples/sample run in the core and shown in a window,
// for the tests of the layout page and the printing commands.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QEventLoop>
#include <QMouseEvent>
#include <QTimer>
#include <filesystem>
#include <memory>

#include "app/core/main_window.h"
#include "app/core/startup.h"
#include "app/ui/layout_page.h"
#include "app/ui/sdimain.h"
#include "engine/shared_state.h"
#include "support/scratch.h"

namespace sample_window {

namespace fs = std::filesystem;

inline void Wait(int Ms) {
    QEventLoop loop;
    QTimer::singleShot(Ms, &loop, &QEventLoop::quit);
    loop.exec();
}

inline void Click(QWidget* W, Qt::MouseButton B, QPoint At) {
    QMouseEvent press(QEvent::MouseButtonPress, At, W->mapToGlobal(At), B, B, {});
    QApplication::sendEvent(W, &press);
}

// Records the messages and answers every question with yes.
class YesSink : public testsupport::CaptureSink {
  public:
    bool Confirm(const std::string& Text, bool) override {
        Warnings.push_back(Text);
        return true;
    }
};

// The sample job run in the core, then shown in a window.
class SampleWindowTest : public ::testing::Test {
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

}  // namespace sample_window
