// The desktop's opener run for real, with a stand-in "xdg-open" first on the
// PATH that fails, opens or keeps running; the HTML export's pages through
// it; the program's icon on the start-up messages.
#include "app/ui/desktop_opener.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QIcon>
#include <QMessageBox>
#include <QPushButton>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>

#include "app/ui/gui_main.h"
#include "app/ui/import_export.h"
#include "app/ui/program_icon.h"
#include "output/sample_plan.h"
#include "window_fixture.h"

namespace {

// A stand-in for the desktop's opener, first on the PATH while it lives: a
// script that notes its argument and then runs Body.
class TFakeXdgOpen {
  public:
    explicit TFakeXdgOpen(const std::string& Body)
        : hadPath_(qEnvironmentVariableIsSet("PATH")), path_(qgetenv("PATH")) {
        const std::string script = dir_.File("xdg-open");
        testsupport::WriteText(script, "#!/bin/sh\nprintf '%s\\n' \"$1\" >> '" + dir_.File("args") +
                                           "'\n" + Body + "\n");
        std::filesystem::permissions(script, std::filesystem::perms::owner_all);
        qputenv("PATH",
                QByteArray::fromStdString(dir_.Path()) + (hadPath_ ? ":" + path_ : QByteArray()));
    }
    ~TFakeXdgOpen() {
        if (hadPath_)
            qputenv("PATH", path_);
        else
            qunsetenv("PATH");
    }
    TFakeXdgOpen(const TFakeXdgOpen&) = delete;
    TFakeXdgOpen& operator=(const TFakeXdgOpen&) = delete;

    // The arguments it was started with, one a run.
    std::vector<std::string> Opened() const {
        std::vector<std::string> lines;
        std::ifstream in(dir_.File("args"));
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }

  private:
    testsupport::ScratchDir dir_;
    bool hadPath_;
    QByteArray path_;
};

// Processes events until Done() holds or Ms have passed; whether it holds.
bool WaitFor(const std::function<bool()>& Done, int Ms) {
    QElapsedTimer clock;
    clock.start();
    while (!Done() && clock.elapsed() < Ms) QApplication::processEvents(QEventLoop::AllEvents, 20);
    return Done();
}

constexpr int kWaitMs = 8000;  // far longer than an opener needs to end

}  // namespace

// The opener's exit status is waited for: a failure or a crash answers
// false, a clean exit true; an opener still running at the deadline answers
// true then, long before it ends. The call itself returns at once, and each
// answer comes once, also after the deadline has passed. When the owner
// goes first, the opener still running is ended and answers nothing.
TEST(DesktopOpener, AnswersWithTheOpenersExitStatusOrAtTheDeadline) {
    testsupport::ScratchDir dir;
    TFakeXdgOpen xdg(R"(case "$1" in
  *fails*) exit 3 ;;
  *crashes*) kill -KILL $$ ;;
  *runs*) exec sleep 30 ;;
  *) exit 0 ;;
esac)");
    constexpr int kDeadlineMs = 3000, kShortDeadlineMs = 500;
    struct Case {
        std::string Target;
        bool IsFile;
        int DeadlineMs;
        bool Opened;
        std::optional<bool> Answer;
        int Answers;
    } cases[] = {
        {dir.File("fails.html"), true, kDeadlineMs, false, {}, 0},
        {dir.File("opens.html"), true, kDeadlineMs, true, {}, 0},
        {dir.File("crashes.html"), true, kDeadlineMs, false, {}, 0},
        {"mailto:fails@tessaly.example", false, kDeadlineMs, false, {}, 0},
        {dir.File("runs.html"), true, kShortDeadlineMs, true, {}, 0},
    };
    QObject owner;
    QElapsedTimer clock;
    clock.start();
    for (Case& c : cases) {
        if (c.IsFile) testsupport::WriteText(c.Target, "<html></html>");
        QElapsedTimer call;
        call.start();
        OpenOnDesktop(
            &owner, c.Target, c.IsFile,
            [&c](bool Opened) {
                c.Answer = Opened;
                ++c.Answers;
            },
            c.DeadlineMs);
        EXPECT_LT(call.elapsed(), kShortDeadlineMs) << c.Target;
    }
    const auto answered = [&] {
        for (const Case& c : cases)
            if (!c.Answer) return false;
        return true;
    };
    ASSERT_TRUE(WaitFor(answered, kWaitMs));
    EXPECT_LT(clock.elapsed(), kWaitMs);
    WaitFor([] { return false; },
            std::max(0, kDeadlineMs + 300 - static_cast<int>(clock.elapsed())));
    for (const Case& c : cases) {
        EXPECT_EQ(c.Answer, c.Opened) << c.Target;
        EXPECT_EQ(c.Answers, 1) << c.Target;
    }
    std::vector<std::string> opened = xdg.Opened(), targets;
    for (const Case& c : cases) targets.push_back(c.Target);
    std::sort(opened.begin(), opened.end());
    std::sort(targets.begin(), targets.end());
    EXPECT_EQ(opened, targets);

    // An owner gone before its opener ended: no answer, no opener left.
    bool heard = false;
    {
        QObject shortLived;
        OpenOnDesktop(
            &shortLived, dir.File("runs.html"), true, [&](bool) { heard = true; }, kDeadlineMs);
        WaitFor([&] { return xdg.Opened().size() > targets.size(); }, kWaitMs);
    }
    WaitFor([] { return false; }, 200);
    EXPECT_FALSE(heard);
}

// The HTML export opens its two lists and its page; when no program opens
// them, one message names the three files.
TEST(DesktopOpenerWindow, HtmlExportWithAFailingOpenerNamesItsFilesOnce) {
    sample_plan::Build();
    TMainWindowCore core;
    TSDIAppForm form(core);
    testsupport::ScratchDir dir;
    testsupport::CaptureSink sink;
    TFakeXdgOpen xdg("exit 3");
    form.FileDialog = [&](bool, auto&, auto&, auto&, auto&) { return dir.File("job.html"); };
    form.findChild<QPushButton*>("ButtonSaveToHtml")->click();
    ASSERT_TRUE(WaitFor([&] { return !sink.Warnings.empty(); }, kWaitMs));
    WaitFor([] { return false; }, 300);  // no second message follows
    const std::vector<std::string> files{dir.File("job.txt"), dir.File("job_LABEL.txt"),
                                         dir.File("job.html")};
    EXPECT_EQ(sink.Warnings,
              std::vector<std::string>{"No program could open the files. Open them by hand:\n" +
                                       files[0] + "\n" + files[1] + "\n" + files[2]});
    std::vector<std::string> opened = xdg.Opened();
    std::sort(opened.begin(), opened.end());
    std::vector<std::string> sorted = files;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(opened, sorted);
}

// The window's messages carry the program's icon, also those that come
// before any window (the start-up's: unsettled folders, refused lists).
TEST(DesktopOpenerWindow, StartUpMessagesCarryTheProgramsIcon) {
    const QImage icon = ProgramIcon().pixmap(32, 32).toImage();
    const QIcon was = QApplication::windowIcon();
    QApplication::setWindowIcon(QIcon());  // as before the main window sets it
    TBoxMessageSink boxes;
    platform::SetMessageSink(&boxes);
    for (const bool question : {false, true}) {
        SCOPED_TRACE(question ? "question" : "warning");
        QImage shown;
        OnModal([&](QWidget* d) {
            shown = d->windowIcon().pixmap(32, 32).toImage();
            if (auto* box = qobject_cast<QMessageBox*>(d))
                box->button(QMessageBox::Yes)->click();
            else
                d->close();
        });
        if (question)
            EXPECT_TRUE(platform::CurrentMessageSink().Confirm("Settle the folder?", false));
        else
            platform::CurrentMessageSink().Warning("The folder holds a stopped save.");
        EXPECT_FALSE(shown.isNull());
        EXPECT_EQ(shown, icon);
    }
    platform::SetMessageSink(nullptr);
    QApplication::setWindowIcon(was);
}
