// The progress sink of a run on a worker thread (see sdimain_run.cpp).
#pragma once

#include <QMetaObject>
#include <QProgressBar>
#include <atomic>

#include "app/ui/sdimain.h"
#include "engine/progress.h"

// Progress of the worker, shown by the GUI thread: the worker only counts,
// and at most one update waits in the GUI thread's queue at a time.
class TSDIAppForm::TWindowProgress : public TProgressSink {
  public:
    explicit TWindowProgress(QProgressBar* bar) : bar_(bar) {}
    void StepIt() override {
        ++steps_;
        Post();
    }
    void StepByMax() override {
        toMax_ = true;
        Post();
    }

  private:
    void Post() {
        if (pending_.exchange(true)) return;
        QMetaObject::invokeMethod(
            bar_,
            [this] {
                pending_ = false;
                if (toMax_.exchange(false))
                    bar_->setValue(bar_->maximum());
                else
                    bar_->setValue(steps_ % (bar_->maximum() + 1));
            },
            Qt::QueuedConnection);
    }

    QProgressBar* bar_;
    std::atomic<int> steps_{0};
    std::atomic<bool> toMax_{false};
    std::atomic<bool> pending_{false};
};

