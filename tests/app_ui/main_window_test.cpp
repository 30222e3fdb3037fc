#include <gtest/gtest.h>

#include <QTabWidget>

#include "app/core/main_window.h"
#include "app/ui/sdimain.h"

TEST(MainWindow, ShowsEveryPageUnderItsCaption) {
    TMainWindowCore core;
    TSDIAppForm form(core);
    ASSERT_EQ(form.PageControl()->count(), static_cast<int>(TSDIAppForm::TPage::Count));
    EXPECT_EQ(form.PageControl()->tabText(0).toStdString(), core.Captions.Caption("TabSheetSheets"));
    EXPECT_EQ(form.PageControl()->tabText(7).toStdString(), core.Captions.Caption("TabSheetSetup"));
}
