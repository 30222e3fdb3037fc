// Keeps window tests from waiting on a dialog nobody answers. A watch runs
// on the Qt event loop of every window test binary: a message box that no
// answer is waiting for fails the test at once, any other modal dialog that
// stays open longer than a few seconds fails it; either way the test names
// the dialog and its text, and the watch closes it so the suite goes on.
// Answers set up for a dialog that never came are dropped when the test ends.
#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <string>
#include <vector>

namespace testsupport {

inline constexpr int kModalDeadlineMs = 8000;

struct TModalWatch {
    int DeadlineMs = kModalDeadlineMs;  // how long a dialog a test drives may stay open
    QPointer<QWidget> Seen;  // the modal widget on top when last looked
    QElapsedTimer Since;     // since when it has been on top
    std::vector<QPointer<QTimer>> Answers;  // answers waiting for their dialog
};

inline TModalWatch& ModalWatch() {
    static TModalWatch watch;
    return watch;
}

inline bool AnswerPending() {
    for (const QPointer<QTimer>& t : ModalWatch().Answers)
        if (t && t->isActive()) return true;
    return false;
}

// The dialog's kind, title and the texts it shows.
inline std::string DescribeModal(QWidget* W) {
    std::string text = W->metaObject()->className();
    if (!W->objectName().isEmpty()) text += " '" + W->objectName().toStdString() + "'";
    text += " titled \"" + W->windowTitle().toStdString() + "\"";
    if (auto* box = qobject_cast<QMessageBox*>(W)) {
        text += ", saying \"" + box->text().toStdString() + "\"";
        if (!box->informativeText().isEmpty()) text += " \"" + box->informativeText().toStdString() + "\"";
    } else if (auto* files = qobject_cast<QFileDialog*>(W)) {
        text += ", in folder \"" + files->directory().absolutePath().toStdString() + "\"";
        for (const QString& f : files->selectedFiles()) text += ", file \"" + f.toStdString() + "\"";
    } else {
        for (QLabel* label : W->findChildren<QLabel*>())
            if (label->isVisible() && !label->text().isEmpty()) text += ", \"" + label->text().toStdString() + "\"";
    }
    return text;
}

inline void CloseModal(QWidget* W) {
    if (auto* d = qobject_cast<QDialog*>(W)) d->reject();
    else W->close();
}

// One look at the modal widget on top.
inline void CheckModal() {
    TModalWatch& watch = ModalWatch();
    QWidget* w = QApplication::activeModalWidget();
    if (!w) {
        watch.Seen = nullptr;
        return;
    }
    if (qobject_cast<QMessageBox*>(w) && !AnswerPending()) {
        ADD_FAILURE() << "A message box appeared that the test does not answer: " << DescribeModal(w);
        watch.Seen = nullptr;
        CloseModal(w);
        return;
    }
    if (w != watch.Seen) {
        watch.Seen = w;
        watch.Since.start();
        return;
    }
    if (watch.Since.elapsed() < watch.DeadlineMs) return;
    ADD_FAILURE() << "A dialog stayed open for more than " << watch.DeadlineMs << " ms: " << DescribeModal(w);
    watch.Seen = nullptr;
    CloseModal(w);
}

// Drops the answers still waiting at the end of a test, so that none acts on
// a later test's dialog.
inline void DropModalAnswers() {
    TModalWatch& watch = ModalWatch();
    for (QPointer<QTimer>& t : watch.Answers)
        if (t) {
            t->stop();
            t->deleteLater();
        }
    watch.Answers.clear();
    watch.Seen = nullptr;
    watch.DeadlineMs = kModalDeadlineMs;
}

class TModalWatchListener : public ::testing::EmptyTestEventListener {
    void OnTestEnd(const ::testing::TestInfo&) override { DropModalAnswers(); }
};

// Starts the watch; call once the QApplication exists.
inline void InstallModalWatch() {
    auto* timer = new QTimer(qApp);
    QObject::connect(timer, &QTimer::timeout, [] { CheckModal(); });
    timer->start(50);
    ::testing::UnitTest::GetInstance()->listeners().Append(new TModalWatchListener);
}

// Runs Action on the next modal dialog once it is shown. When none shows
// within the deadline while the test waits on the event loop, the test fails.
inline void OnModal(std::function<void(QWidget*)> Action) {
    auto* timer = new QTimer;
    auto* clock = new QElapsedTimer;
    clock->start();
    QObject::connect(timer, &QObject::destroyed, [clock] { delete clock; });
    QObject::connect(timer, &QTimer::timeout, [timer, clock, Action] {
        QWidget* w = QApplication::activeModalWidget();
        if (!w && clock->elapsed() < ModalWatch().DeadlineMs) return;
        timer->stop();
        timer->deleteLater();
        if (!w) {
            ADD_FAILURE() << "No dialog appeared within " << ModalWatch().DeadlineMs << " ms";
            return;
        }
        Action(w);
    });
    timer->start(20);
    ModalWatch().Answers.push_back(timer);
}

}  // namespace testsupport
