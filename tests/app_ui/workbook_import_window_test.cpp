// Workbooks that once crashed or exhausted the window: the import dialog
// refuses them with a warning and shows nothing to import, the window keeps
// running and no grid changes.
#include <gtest/gtest.h>

#include <QAbstractItemModel>
#include <QComboBox>
#include <QHeaderView>
#include <QPushButton>
#include <QTableView>

#include "app/core/main_window.h"
#include "app/ui/import_export.h"
#include "app/ui/sdimain.h"
#include "window_fixture.h"

TEST(WorkbookImportWindow, RefusedWorkbooksEmptyTheDialogAndLeaveTheGridsAsTheyWere) {
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
        for (const char* bad : {"cell_a0.xlsx", "cell_outside_row.xlsx", "expand_shared_copies.xlsx",
                                "expand_sheets.xlsx", "opendocument.ods"}) {
            dialog->LoadExcelFile(data + "libreoffice_formulas.xlsx", 0);
            EXPECT_EQ(dialog->Data().StringGridImportData.RowCount(), 5);
            EXPECT_EQ(dialog->StringGridImportData->verticalHeader()->count(), 4);
            testsupport::CaptureSink sink;
            dialog->LoadExcelFile(data + bad, 0);
            EXPECT_EQ(sink.Warnings.size(), 1u) << bad;
            EXPECT_FALSE(dialog->Data().HoldsRows()) << bad;
            EXPECT_EQ(dialog->StringGridImportData->verticalHeader()->count(), 1) << bad;
        }
        dialog->close();
    });
    form.findChild<QPushButton*>("ButtonImportParts")->click();
    for (int r = 0; r < before.RowCount(); ++r) EXPECT_EQ(core.Data.StringGridParts.Row(r), before.Row(r));
}

using RefusedImportWindow = WindowTest;

// Three parts from a text file, then a workbook that is refused: the dialog
// shows nothing, and Copy and Append say there is nothing to import and keep
// the list of 30 parts, its file and its Save.
TEST_F(RefusedImportWindow, TextRowsThenARefusedWorkbookImportNothing) {
    testsupport::WriteText(dir.File("three.txt"), "A\tMDF\t100\t50\nB\tMDF\t200\t50\nC\tPLY\t300\t50\n");
    for (int r = 1; r <= 30; ++r)
        core.Data.StringGridParts.SetRow(r, {"P" + std::to_string(r), "MDF", "100", "50", "R", "1", "1", "R", "", ""});
    core.Data.EditPartsFileName = dir.File("job.prt");
    form->NotifyGridsReloaded();
    const TStringGrid before = core.Data.StringGridParts;
    auto* save = form->findChild<QPushButton*>("PartsSave");
    ASSERT_TRUE(save->isEnabled());

    const std::string text = dir.File("three.txt");
    OnModal([this, text](QWidget* w) {
        auto* dialog = qobject_cast<TFormImportData*>(w);
        ASSERT_TRUE(dialog);
        for (int c = 0; c < 4; ++c) dialog->ComboBoxes[c]->setCurrentIndex(c + 1);
        dialog->LoadTextFile(text);
        // The rows the table shows (its header follows the model's signals).
        const QHeaderView* rows = dialog->StringGridImportData->verticalHeader();
        const QAbstractItemModel* shown = dialog->StringGridImportData->model();
        ASSERT_EQ(rows->count(), 3);
        EXPECT_EQ(shown->index(2, 0).data().toString(), "C");
        sink.Warnings.clear();
        dialog->LoadExcelFile(std::string(TESSALY_TEST_DATA) + "/xlsx/formula_no_value.xlsx", 0);
        ASSERT_EQ(sink.Warnings.size(), 1u);
        EXPECT_NE(sink.Warnings[0].find("formula"), std::string::npos) << sink.Warnings[0];
        EXPECT_EQ(rows->count(), 1);
        for (int c = 0; c < shown->columnCount(); ++c) EXPECT_EQ(shown->index(0, c).data().toString(), "");
        for (QPushButton* button : {dialog->ButtonOK, dialog->ButtonAppend}) {
            sink.Warnings.clear();
            button->click();
            EXPECT_TRUE(dialog->isVisible());
            EXPECT_EQ(sink.Warnings.size(), 1u);
        }
        dialog->close();
    });
    form->findChild<QPushButton*>("ButtonImportParts")->click();
    ASSERT_EQ(core.Data.StringGridParts.RowCount(), before.RowCount());
    for (int r = 0; r < before.RowCount(); ++r) EXPECT_EQ(core.Data.StringGridParts.Row(r), before.Row(r));
    EXPECT_EQ(core.Data.EditPartsFileName, dir.File("job.prt"));
    EXPECT_TRUE(save->isEnabled());
}

// The EXCEL button offers .xls and .xlsx files and shows an .xls workbook;
// a text file then shows its rows, and a text file that is refused after it
// shows the grid emptied, as a refused workbook does. Copy with every column
// at "Ignore" says there is nothing to import and keeps the list.
TEST_F(RefusedImportWindow, XlsWorkbookThenARefusedTextFileShowsTheGridEmptied) {
    testsupport::WriteText(dir.File("three.txt"), "A\tMDF\t100\t50\nB\tMDF\t200\t50\nC\tPLY\t300\t50\n");
    core.Data.StringGridParts.SetRow(1, {"Kept", "MDF", "100", "50", "R", "1", "1", "R", "", ""});
    form->NotifyGridsReloaded();
    const TStringGrid before = core.Data.StringGridParts;
    std::vector<std::string> answers = {std::string(TESSALY_TEST_DATA) + "/xls/parts.xls", dir.File("three.txt"),
                                        dir.File("missing.txt")};
    std::vector<std::string> filters;
    form->FileDialog = [&](bool, const std::string&, const std::string& Filter, const std::string&,
                           const std::string&) {
        filters.push_back(Filter);
        const std::string answer = answers.front();
        answers.erase(answers.begin());
        return answer;
    };
    OnModal([this, &filters](QWidget* w) {
        auto* dialog = qobject_cast<TFormImportData*>(w);
        ASSERT_TRUE(dialog);
        const QHeaderView* rows = dialog->StringGridImportData->verticalHeader();
        const QAbstractItemModel* shown = dialog->StringGridImportData->model();
        dialog->ButtonImportEXCEL->click();
        ASSERT_EQ(filters.size(), 1u);
        EXPECT_NE(filters[0].find("(*.xls *.xlsx)"), std::string::npos) << filters[0];
        EXPECT_EQ(rows->count(), 4);
        EXPECT_EQ(shown->index(1, 0).data().toString(), "Door");
        EXPECT_EQ(dialog->ComboBoxSheetName->currentText(), "parts");
        for (int step = 0; step < 2; ++step) {
            sink.Warnings.clear();
            dialog->ButtonImportTXT->click();
            EXPECT_EQ(sink.Warnings.size(), step == 0 ? 0u : 1u);
            ASSERT_EQ(rows->count(), step == 0 ? 3 : 1);
            EXPECT_EQ(shown->index(0, 0).data().toString(), step == 0 ? "A" : "");
        }
        // Nothing loaded, then rows loaded but no column chosen: Copy stays.
        dialog->LoadTextFile(dir.File("three.txt"));
        for (int c = 0; c < kImportColumns; ++c) dialog->ComboBoxes[c]->setCurrentIndex(0);
        sink.Warnings.clear();
        dialog->ButtonOK->click();
        EXPECT_TRUE(dialog->isVisible());
        ASSERT_EQ(sink.Warnings.size(), 1u);
        EXPECT_NE(sink.Warnings[0].find("nothing to import"), std::string::npos) << sink.Warnings[0];
        dialog->close();
    });
    form->findChild<QPushButton*>("ButtonImportParts")->click();
    ASSERT_EQ(core.Data.StringGridParts.RowCount(), before.RowCount());
    for (int r = 0; r < before.RowCount(); ++r) EXPECT_EQ(core.Data.StringGridParts.Row(r), before.Row(r));
}
