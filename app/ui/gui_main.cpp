#include "app/ui/gui_main.h"

#include <csignal>

#include <QApplication>
#include <QMessageBox>
#include <exception>

#include "app/core/startup.h"
#include "app/ui/dialogs.h"
#include "app/ui/program_icon.h"
#include "app/ui/qt_canvas.h"
#include "app/ui/sdimain.h"
#include "engine/pubstr.h"
#include "platform/message_sink.h"

void TBoxMessageSink::Warning(const std::string& Text) {
    QMessageBox box(QMessageBox::Warning, QString(), ToQString(Text), QMessageBox::Yes,
                    QApplication::activeWindow());
    box.setWindowIcon(ProgramIcon());
    box.exec();
}

bool TBoxMessageSink::Confirm(const std::string& Text, bool) {
    QMessageBox box(QMessageBox::Question, QString(), ToQString(Text),
                    QMessageBox::Yes | QMessageBox::No, QApplication::activeWindow());
    box.setWindowIcon(ProgramIcon());
    return box.exec() == QMessageBox::Yes;
}

int RunWindow(int argc, char** argv, TMainWindowCore& Window, const TCommandLine& CommandLine) {
    QApplication app(argc, argv);
    return RunMainWindow(Window, CommandLine);
}

int RunMainWindow(TMainWindowCore& Window, const TCommandLine& CommandLine) {
    // Every window has the program's icon, also the messages of the start-up
    // shown before the main window is there.
    QApplication::setWindowIcon(ProgramIcon());
    // A report sent to a pipe whose reader has gone fails with a message
    // instead of ending the program without a word.
    std::signal(SIGPIPE, SIG_IGN);
    TBoxMessageSink sink;
    platform::SetMessageSink(&sink);
    int status = 0;
    try {
        // "-auto:yes": a job that updates the stock holds the lock on its
        // files from before they are read until its update has ended.
        TAutoJob job(Window, CommandLine);
        job.LoadFiles();
        TSDIAppForm form(Window);
        form.ApplyWindowPlacement();
        ShowSplash();
        form.show();
        // The report files and the update follow the end of the job's own
        // run, and of no other.
        QObject::connect(&form, &TSDIAppForm::RunFinished, &form, [&](bool cancelled) {
            if (!job.Pending()) return;
            if (!job.RunEnded(cancelled)) return;
            form.NotifyGridsReloaded();
            form.NotifyPlanChanged();  // an update books the plan: its edits are off
            form.ShowReport();
        });
        if (job.Begin()) form.StartOptimizeClick();
        status = QApplication::exec();
        // A script that started the window's job learns, as from a batch
        // job, whether it was done.
        if (status == 0 && job.Failed()) status = 1;
    } catch (const std::exception& e) {
        sink.Warning(std::string("load program exception information[") + e.what() + "]");
        status = 2;
    }
    platform::SetMessageSink(nullptr);
    return status;
}
