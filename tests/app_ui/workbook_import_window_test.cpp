// Workbooks that once crashed or exhausted the window: the import dialog
// refuses them with a warning, the window keeps running and no grid changes.
#include <gtest/gtest.h>

#include <QPushButton>

#include "app/core/main_window.h"
#include "app/ui/import_export.h"
#include "app/ui/sdimain.h"
#include "window_fixture.h"

TEST(WorkbookImportWindow, RefusedWorkbooksLeaveTheDialogAndTheGridsAsTheyWere) {
    TMainWindowCore core;
    TSDIAppForm form(core);
    testsupport::ScratchDir dir;
    testsupport::AppDirScope app(dir.Path());
    core.Data.StringGridParts.SetRow(1, {"Kept", "MDF", "100", "50", "R", "1", "1", "R", "", ""});
    const TStringGrid before = core.Data.StringGridParts;

    OnModal([](QWidget* w) {
        auto* dialog = qobject_cast<TFormImportData*>(w);
        ASSERT_TRUE(dialog);
        const std::string data = std::string(TESSALY_TEST_DATA) + "/xlsx/";
        dialog->LoadExcelFile(data + "libreoffice_formulas.xlsx", 0);
        const TStringGrid loaded = dialog->Data().StringGridImportData;
        EXPECT_EQ(loaded.RowCount(), 5);
        for (const char* bad : {"cell_a0.xlsx", "cell_outside_row.xlsx", "expand_shared_copies.xlsx",
                                "expand_sheets.xlsx", "opendocument.ods"}) {
            testsupport::CaptureSink sink;
            dialog->LoadExcelFile(data + bad, 0);
            EXPECT_EQ(sink.Warnings.size(), 1u) << bad;
            EXPECT_EQ(dialog->Data().StringGridImportData.RowCount(), loaded.RowCount()) << bad;
            EXPECT_EQ(dialog->Data().StringGridImportData.Row(2), loaded.Row(2)) << bad;
        }
        dialog->close();
    });
    form.findChild<QPushButton*>("ButtonImportParts")->click();
    for (int r = 0; r < before.RowCount(); ++r) EXPECT_EQ(core.Data.StringGridParts.Row(r), before.Row(r));
}
