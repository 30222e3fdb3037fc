// The optimisation run of the main window on a worker thread. The pages are
// read on the GUI thread first; the worker runs the optimiser alone and
// touches no widget; its progress reaches the progress bar through queued
// calls; the end of the run is handled on the GUI thread again.
#include <QApplication>
#include <QProgressBar>
#include <QStatusBar>

#include "app/core/main_window.h"
#include "app/core/run_control.h"
#include "app/ui/grid_view.h"
#include "app/ui/sdimain.h"
#include "app/ui/window_progress.h"
#include "engine/progress.h"

void TSDIAppForm::StartOptimizeClick() {
    if (running_ || worker_.joinable()) return;
    // An open cell editor hands its text to the grid first.
    if (QWidget* focus = QApplication::focusWidget()) focus->clearFocus();
    if (!before_) before_ = std::make_unique<TRunSnapshot>();
    if (!progress_) progress_ = std::make_unique<TWindowProgress>(progressBar_);
    before_->Take(core_);
    if (!StartRunOnGuiThread(core_)) {
        lastRunMadePlan_ = FinishRun(core_, false, *before_);
        ShowErrorLocation(core_.LastErrorLocation);
        ShowReport();
        emit PlanChanged();
        emit RunFinished(false);
        return;
    }
    cancelled_ = false;
    progressBar_->setValue(0);
    progressBar_->show();
    statusBar()->showMessage("Optimizing...");
    SetProgressSink(progress_.get());
    SetRunning(true);
    worker_ = std::thread([this] {
        core_.RunAfterInput();
        QMetaObject::invokeMethod(this, [this] { RunEnded(); }, Qt::QueuedConnection);
    });
}

void TSDIAppForm::CancelOptimizeClick() {
    if (!worker_.joinable()) return;
    cancelled_ = true;
    statusBar()->showMessage("Cancelling...");
    RequestOptimizeCancel();
}

void TSDIAppForm::RunEnded() {
    if (!worker_.joinable()) return;
    worker_.join();
    SetProgressSink(nullptr);
    const bool cancelled = cancelled_;
    const bool planMade = FinishRun(core_, cancelled, *before_);
    lastRunMadePlan_ = planMade;
    statusBar()->clearMessage();
    progressBar_->hide();
    SetRunning(false);
    ShowReport();
    if (planMade) ShowPage(TPage::Layout);
    else if (!cancelled) ShowErrorLocation(core_.LastErrorLocation);
    emit PlanChanged();
    emit RunFinished(cancelled);
}

TSDIAppForm::~TSDIAppForm() {
    // A cell editor still open commits as the widgets go: the totals of a
    // window being torn down are no longer shown.
    for (TGridView* grid : {gridSheets_, gridParts_})
        if (grid) grid->GridModel()->OnCellEdited = nullptr;
    if (worker_.joinable()) {
        RequestOptimizeCancel();
        worker_.join();
        FinishRun(core_, true, *before_);
    }
    SetProgressSink(nullptr);
}

