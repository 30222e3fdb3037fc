// The window started with "-auto:yes" and without "-hide:", as a script
// starts it: whatever happens to the reader of its report, the process ends
// with the status a batch job would have, never by a signal.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QPrinter>
#include <QTimer>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "app/core/command_line.h"
#include "app/core/main_window.h"
#include "app/ui/gui_main.h"
#include "engine/pubstr.h"
#include "support/sample_job.h"

namespace {

namespace fs = std::filesystem;

// Whether this process holds a descriptor on Path other than Own.
bool OtherDescriptorOn(const std::string& Path, int Own) {
    std::error_code ec;
    for (fs::directory_iterator it("/proc/self/fd", ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name == std::to_string(Own)) continue;
        std::error_code linkError;
        if (fs::read_symlink(it->path(), linkError) == Path) return true;
    }
    return false;
}

// The reader of the FIFO Path that leaves while the report is written into
// it: it holds the pipe open and full, so that the program's write has to
// wait, and closes it once the program has opened the pipe for its report.
void ReaderThatLeaves(const std::string& Path) {
    const int fd = ::open(Path.c_str(), O_RDWR | O_NONBLOCK);
    if (fd < 0) return;
    const char block[4096] = {};
    while (::write(fd, block, sizeof block) > 0) {
    }
    while (::write(fd, block, 1) > 0) {
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(40);
    while (!OtherDescriptorOn(Path, fd) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));  // the write is waiting
    ::close(fd);
}

// The user of the window: answers every message box with its first button
// and the lists to save on exit with OK, and closes the window once the job
// has ended (the splash closes itself).
void PlayTheUser() {
    auto* timer = new QTimer(qApp);
    QObject::connect(timer, &QTimer::timeout, [] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            if (!box->buttons().isEmpty()) box->buttons().front()->click();
        } else if (modal && modal->objectName() == "FormSaveSelectGrids") {
            static_cast<QDialog*>(modal)->accept();
        } else if (!modal && !AutoMode) {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (w->inherits("TSDIAppForm") && w->isVisible())
                    QTimer::singleShot(0, w, &QWidget::close);  // its questions need this timer
        }
    });
    timer->start(50);
}

}  // namespace

TEST(WindowJobExit, AReportReaderThatLeavesEndsTheProgramWithStatus1NotBySignal) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            // The test binary's watch for unanswered dialogs stands aside:
            // here the user answers them.
            for (QTimer* t : qApp->findChildren<QTimer*>()) t->stop();
            testsupport::SampleJobFolder job;
            const std::string fifo = job.at("report.fifo");
            if (::mkfifo(fifo.c_str(), 0600) != 0) std::_Exit(98);
            // The print library ignores SIGPIPE once in a process, as its
            // first printer is made (the window makes one): that is done
            // here, and the signal's default action is back, so that only
            // the program's own handling counts.
            { QPrinter first; }
            std::signal(SIGPIPE, SIG_DFL);
            std::thread(ReaderThatLeaves, fifo).detach();
            PlayTheUser();
            QTimer::singleShot(45000, [] { std::_Exit(99); });  // never waits for ever
            TMainWindowCore window;
            const TCommandLine commandLine({"-auto:yes", "-report:" + fifo});
            std::_Exit(RunMainWindow(window, commandLine));
        },
        ::testing::ExitedWithCode(1), "");
}
