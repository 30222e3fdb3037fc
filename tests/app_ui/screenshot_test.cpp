// Screenshots of every page of the window on the sample job, written to
// screenshots/ in the folder the test runs in (run it under xvfb-run to see
// the real platform's drawing).
#include <QDir>
#include <QLineEdit>
#include <QPixmap>
#include <QTabWidget>
#include <filesystem>

#include "app/core/startup.h"
#include "engine/optimize2d.h"
#include "engine/shared_state.h"
#include "window_fixture.h"

TEST(Screenshots, EveryPageOfTheSampleJob) {
    testsupport::ScratchDir dir;
    testsupport::AppDirScope appDir(dir.Path());
    testsupport::CaptureSink sink;
    for (const auto& f : std::filesystem::directory_iterator(TESSALY_TEST_DATA "/../../examples/sample"))
        std::filesystem::copy(f.path(), dir.File(f.path().filename().string()));
    TMainWindowCore core;
    LoadStartupFiles(core);
    TSDIAppForm form(core);
    form.resize(1100, 720);
    form.show();
    form.StartOptimizeClick();
    QElapsedTimer t;
    t.start();
    while (form.Running() && t.elapsed() < 30000) QApplication::processEvents(QEventLoop::AllEvents, 20);
    ASSERT_FALSE(form.Running());
    EXPECT_TRUE(sink.Warnings.empty()) << sink.Warnings.front();
    EXPECT_GE(Optimizer.Best.Count(), 1);

    // A shaped part from the first template, shown in the free-shape preview.
    WindowTest::TypeRow(form.StringGridStandardPara(), 1, {"", "600"});
    WindowTest::TypeRow(form.StringGridStandardPara(), 2, {"", "800"});
    WindowTest::TypeRow(form.StringGridStandardPara(), 3, {"", "1000"});
    form.findChild<QLineEdit*>("EditSelectLabel")->setText("TRI");
    form.findChild<QLineEdit*>("EditSelectQty")->setText("2");
    form.ButtonAddAnyShapeClick();
    EXPECT_TRUE(sink.Warnings.empty()) << sink.Warnings.front();
    form.StringGridAnyShape()->SetCurrentCell({0, 1});

    QDir().mkpath("screenshots");
    for (int i = 0; i < form.PageControl()->count(); ++i) {
        form.PageControl()->setTabVisible(i, true);  // the sample switches the racks off
        form.PageControl()->setCurrentIndex(i);
        QApplication::processEvents();
        const QString name = "screenshots/" + form.PageControl()->widget(i)->objectName() + ".png";
        EXPECT_TRUE(form.grab().save(name)) << name.toStdString();
    }
}
