#include "app/ui/desktop_opener.h"

#include <QDesktopServices>
#include <QPointer>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>
#include <memory>

#include "app/ui/qt_canvas.h"

void OpenOnDesktop(QObject* Owner, const std::string& Target, bool IsFile, TOpenAnswer Answer,
                   int DeadlineMs) {
    const QString target = IsFile ? ToQFileName(Target) : ToQString(Target);
    const QString opener = QStandardPaths::findExecutable("xdg-open");
    if (opener.isEmpty()) {
        const QUrl url = IsFile ? QUrl::fromLocalFile(target) : QUrl(target);
        Answer(QDesktopServices::openUrl(url));
        return;
    }
    auto* process = new QProcess(Owner);
    process->setProgram(opener);
    process->setArguments({target});
    // The program the opener starts may outlive this one: it gets no pipe
    // of ours to write into.
    process->setStandardInputFile(QProcess::nullDevice());
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    auto answer = std::make_shared<TOpenAnswer>(std::move(Answer));
    const auto give = [answer](bool Opened) {
        if (!*answer) return;
        const TOpenAnswer a = std::move(*answer);
        *answer = nullptr;
        a(Opened);
    };
    QObject::connect(process, &QProcess::finished, process,
                     [process, give](int Code, QProcess::ExitStatus Status) {
                         process->deleteLater();
                         give(Status == QProcess::NormalExit && Code == 0);
                     });
    QObject::connect(process, &QProcess::errorOccurred, process,
                     [process, give](QProcess::ProcessError Error) {
                         if (Error != QProcess::FailedToStart)
                             return;  // the others end in finished
                         process->deleteLater();
                         give(false);
                     });
    // The owner going: the opener is ended quietly and gives no answer.
    QObject::connect(Owner, &QObject::destroyed, process, [process, answer] {
        *answer = nullptr;
        if (process->state() == QProcess::NotRunning) return;
        process->kill();
        process->waitForFinished(1000);
    });
    auto* deadline = new QTimer(process);
    deadline->setSingleShot(true);
    QObject::connect(deadline, &QTimer::timeout, process, [give] { give(true); });
    deadline->start(DeadlineMs);
    process->start();
}

TDesktopOpener DesktopOpener(QObject* Owner, int DeadlineMs) {
    QPointer<QObject> owner(Owner);
    return [owner, DeadlineMs](const std::string& Target, bool IsFile, TOpenAnswer Answer) {
        if (owner) OpenOnDesktop(owner, Target, IsFile, std::move(Answer), DeadlineMs);
    };
}
