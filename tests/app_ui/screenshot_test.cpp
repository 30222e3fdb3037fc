// Screenshots of every page of the window on the sample job, written to
// screenshots/ in the folder the test runs in (run it under xvfb-run to see
// the real platform's drawing).
#include <QDir>
#include <QLineEdit>
#include <QPixmap>
#include <QTabWidget>

#include "app_ui/sample_window.h"
#include "window_fixture.h"

using Screenshots = sample_window::SampleWindowTest;

TEST_F(Screenshots, EveryPageOfTheSampleJob) {
    EXPECT_TRUE(sink_.Warnings.empty()) << sink_.Warnings.front();
    // A shaped part from the first template, shown in the free-shape preview.
    WindowTest::TypeRow(form_->StringGridStandardPara(), 1, {"", "600"});
    WindowTest::TypeRow(form_->StringGridStandardPara(), 2, {"", "800"});
    WindowTest::TypeRow(form_->StringGridStandardPara(), 3, {"", "1000"});
    child<QLineEdit>("EditSelectLabel")->setText("TRI");
    child<QLineEdit>("EditSelectQty")->setText("2");
    form_->ButtonAddAnyShapeClick();
    EXPECT_TRUE(sink_.Warnings.empty()) << sink_.Warnings.front();
    form_->StringGridAnyShape()->SetCurrentCell({0, 1});

    QDir().mkpath("screenshots");
    QTabWidget* pages = form_->PageControl();
    for (int i = 0; i < pages->count(); ++i) {
        pages->setTabVisible(i, true);  // the sample switches the racks off
        pages->setCurrentIndex(i);
        QApplication::processEvents();
        const QString name = "screenshots/" + pages->widget(i)->objectName() + ".png";
        EXPECT_TRUE(form_->grab().save(name)) << name.toStdString();
    }
}
