#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "app/core/main_data.h"
#include "app/core/material_types.h"
#include "app/ui/dialogs.h"
#include "engine/partedge.h"
#include "window_fixture.h"

using testsupport::ReadText;
using testsupport::WriteText;

TEST_F(WindowTest, ListFilesOpenSaveAndSaveAsThroughTheirCommands) {
    std::vector<bool> asked;  // Save of each dialog shown
    std::string answer = dir.File("job.sht");
    form->FileDialog = [&](bool save, const std::string&, const std::string& filter, const std::string&,
                           const std::string&) {
        asked.push_back(save);
        EXPECT_NE(filter.find("*.sht"), std::string::npos);
        return answer;
    };
    TypeRow(form->StringGridSheets(), 1, {"S1", "MDF", "100", "50", "2"});
    form->FileSaveAs1Execute();  // the sheets page is in front
    EXPECT_EQ(core.Data.EditSheetsFileName, answer);
    EXPECT_EQ(static_cast<QLineEdit*>(form->Control("EditSheetsFileName"))->text().toStdString(), answer);

    Type(form->StringGridSheets(), SheetCol::Qty, 1, "7");
    form->FileSave1Execute();  // no dialog: the named file
    form->SheetsDeleteAllClick();
    EXPECT_EQ(core.Data.StringGridSheets.Cell(SheetCol::Label, 1), "");
    form->FileOpen1Execute();
    EXPECT_EQ(core.Data.StringGridSheets.Cell(SheetCol::Qty, 1), "7");
    EXPECT_EQ(form->SheetsTotals().Number, "7");
    EXPECT_EQ(asked, (std::vector<bool>{true, false}));

    // A list imported from a text file is saved only through Save As.
    core.Data.EditSheetsFileName = dir.File("import.txt");
    WriteText(core.Data.EditSheetsFileName, "text\n");
    answer.clear();  // the dialog is cancelled
    form->SheetsSaveClick();
    EXPECT_EQ(asked.back(), true);
    EXPECT_EQ(ReadText(dir.File("import.txt")), "text\n");
}

TEST_F(WindowTest, TypeDialogsAddOnTheirButtonsAndTheirFramesCancel) {
    core.Page.ComboBoxTypeSelect.Items = {"MDF"};
    OnModal([](QWidget* d) {
        d->findChild<QLineEdit*>("EditTypeString")->setText("Glass 4");
        d->findChild<QPushButton*>("ButtonAddGlassType")->click();
        d->findChild<QPushButton*>("ButtonCloseTypeSetup")->click();
    });
    form->ButtonTypeSetupClick();
    EXPECT_EQ(core.Page.ComboBoxTypeSelect.Items, (std::vector<std::string>{"MDF", "Glass 4"}));

    OnModal([](QWidget* d) {
        d->findChild<QPushButton*>("ButtonRemoveAllGlassType")->click();
        d->close();  // the frame
    });
    form->ButtonTypeSetupClick();
    EXPECT_EQ(core.Page.ComboBoxTypeSelect.Items.size(), 2u);

    // The edge types: added on OK, nothing on the frame.
    PartEdgeList.AddEdge("N/A", "0", "0", "0", "0", "0", "0", "0", "0");
    OnModal([](QWidget* d) {
        d->findChild<QLineEdit*>("LabeledEditGBLabel")->setText("BAND1");
        for (const char* e : {"LabeledEditBT", "LabeledEditBB", "LabeledEditBL", "LabeledEditBR",
                              "LabeledEditGT", "LabeledEditGB", "LabeledEditGL", "LabeledEditGR"})
            d->findChild<QLineEdit*>(e)->setText("1/2");
        d->findChild<QPushButton*>("ButtonAddGB")->click();
        d->findChild<QPushButton*>("ButtonOK")->click();
    });
    form->ButtonGrindingAndBandSettingClick();
    ASSERT_EQ(PartEdgeList.Count(), 2);
    EXPECT_EQ(PartEdgeList.GetEdge(1)->GT, 500);

    OnModal([](QWidget* d) { d->close(); });
    form->ButtonGrindingAndBandSettingClick();
    EXPECT_EQ(PartEdgeList.Count(), 2);
}

TEST_F(WindowTest, ClosingAsksWhichGridsToSaveAndWritesTheTicked) {
    core.Data.EditSheetsFileName = dir.File("exit.sht");
    core.Data.EditPartsFileName = dir.File("exit.prt");
    TypeRow(form->StringGridSheets(), 1, {"S1", "MDF", "100", "50", "2"});
    OnModal([](QWidget* d) {
        d->findChild<QCheckBox*>("CheckBoxSaveParts")->setChecked(false);
        d->findChild<QPushButton*>("ButtonSaveSelectGrids")->click();
    });
    form->close();
    EXPECT_FALSE(ReadText(dir.File("exit.sht")).empty());
    EXPECT_TRUE(ReadText(dir.File("exit.prt")).empty());
    EXPECT_FALSE(ReadText(dir.File("default.opt")).empty());
}

TEST_F(WindowTest, EnterGrowsTheGridTitleClickSortsAndTheTypeEditorLearns) {
    TGridView* grid = form->StringGridSheets();
    const int rows = core.Data.StringGridSheets.RowCount();
    grid->SetCurrentCell({SheetCol::Comment, rows - 1});
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(grid, &enter);
    EXPECT_EQ(core.Data.StringGridSheets.RowCount(), rows + 10);
    EXPECT_EQ(grid->CurrentCell(), (TCellPos{0, rows}));

    TypeRow(grid, 1, {"B", "", "1 1/2"});
    TypeRow(grid, 2, {"A", "", "1.25"});
    grid->OnTitleClick(SheetCol::Length);  // what a click on the title forwards
    EXPECT_EQ(core.Data.StringGridSheets.Cell(SheetCol::Label, 1), "");  // empty rows count as 0
    const int n = core.Data.StringGridSheets.RowCount() - 1;
    EXPECT_EQ(core.Data.StringGridSheets.Cell(SheetCol::Label, n - 1), "A");
    EXPECT_EQ(core.Data.StringGridSheets.Cell(SheetCol::Label, n), "B");

    // The type editor learns a new type and Enter moves on.
    form->show();
    const QModelIndex cell = grid->model()->index(0, SheetCol::Type);
    grid->setCurrentIndex(cell);
    grid->edit(cell);
    auto* box = grid->findChild<QComboBox*>();
    ASSERT_NE(box, nullptr);
    box->setEditText("Oak 22");
    QApplication::sendEvent(box->focusProxy() ? box->focusProxy() : box, &enter);
    QApplication::processEvents();
    EXPECT_EQ(core.Data.StringGridSheets.Cell(SheetCol::Type, 1), "Oak 22");
    EXPECT_EQ(core.Page.ComboBoxTypeSelect.Items.front(), "Oak 22");
    EXPECT_EQ(grid->CurrentCell(), (TCellPos{SheetCol::Type + 1, 1}));
}

TEST(Splash, ClosesItselfAtTheFirstTimerTick) {
    QElapsedTimer t;
    t.start();
    ShowSplash();
    EXPECT_GE(t.elapsed(), 900);
    EXPECT_LT(t.elapsed(), 10000);
}
