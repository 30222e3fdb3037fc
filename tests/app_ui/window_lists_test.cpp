#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
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

// The totals under the sheets and parts grids follow a quantity left by a
// click on another row (the view commits the editor) or by Tab.
TEST_F(WindowTest, TotalsFollowAQuantityLeftByAClickOrTab) {
    form->show();
    const struct Case {
        bool Sheets, Click;
        const char* Typed;
    } cases[] = {{true, true, "200"}, {false, true, "200"}, {true, false, "7"}};
    for (const Case& c : cases) {
        TGridView* grid = c.Sheets ? form->StringGridSheets() : form->StringGridParts();
        const int qty = c.Sheets ? static_cast<int>(SheetCol::Qty) : static_cast<int>(PartCol::Qty);
        for (int row : {1, 2}) {
            TypeRow(grid, row, {"A", "MDF", "200", "100"});
            Type(grid, qty, row, row == 1 ? "300" : "110");
        }
        c.Sheets ? form->TotalOfSheets() : form->TotalOfParts();  // as Enter at a row's end
        auto* number = qobject_cast<QLineEdit*>(
            form->Control(c.Sheets ? "EditTotalSheetsNumber" : "EditTotalPartsNumber"));
        ASSERT_EQ(number->text(), "410");

        form->ShowPage(c.Sheets ? TSDIAppForm::TPage::Sheets : TSDIAppForm::TPage::Parts);
        const QModelIndex cell = grid->model()->index(0, qty);
        grid->setCurrentIndex(cell);
        grid->edit(cell);
        QLineEdit* editor = nullptr;
        for (QLineEdit* e : grid->viewport()->findChildren<QLineEdit*>())
            if (e->isVisible()) editor = e;
        ASSERT_NE(editor, nullptr);
        editor->setText(c.Typed);
        const QPoint at = grid->visualRect(grid->model()->index(1, 0)).center();
        const QPoint global = grid->viewport()->mapToGlobal(at);
        QMouseEvent press(QEvent::MouseButtonPress, at, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QMouseEvent release(QEvent::MouseButtonRelease, at, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
        if (c.Click) {
            QApplication::sendEvent(grid->viewport(), &press);
            QApplication::sendEvent(grid->viewport(), &release);
        } else {
            QApplication::sendEvent(editor, &tab);
        }
        QApplication::processEvents();
        EXPECT_EQ(grid->Grid().Cell(qty, 1), c.Typed);
        EXPECT_EQ(number->text().toInt(), std::stoi(c.Typed) + 110) << c.Sheets << c.Click;
    }
}

// A click on an empty cell copies the cell above into it: the totals follow.
// Until then the second row, whose quantity is empty, is one a run would
// refuse, and the totals say so by staying empty.
TEST_F(WindowTest, TotalsFollowAFillDown) {
    form->show();
    for (const bool sheets : {true, false}) {
        SCOPED_TRACE(sheets ? "sheets" : "parts");
        TGridView* grid = sheets ? form->StringGridSheets() : form->StringGridParts();
        const int qty = sheets ? static_cast<int>(SheetCol::Qty) : static_cast<int>(PartCol::Qty);
        form->ShowPage(sheets ? TSDIAppForm::TPage::Sheets : TSDIAppForm::TPage::Parts);
        TypeRow(grid, 1, {"A", "MDF", "200", "100"});
        Type(grid, qty, 1, "3");
        TypeRow(grid, 2, {"B", "MDF", "200", "100"});
        auto* number = qobject_cast<QLineEdit*>(
            form->Control(sheets ? "EditTotalSheetsNumber" : "EditTotalPartsNumber"));
        EXPECT_EQ(number->text().toStdString(), "");

        const QModelIndex cell = grid->model()->index(1, qty - grid->GridModel()->FirstColumn());
        const QPoint at = grid->visualRect(cell).center();
        const QPoint global = grid->viewport()->mapToGlobal(at);
        QMouseEvent press(QEvent::MouseButtonPress, at, global, Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QMouseEvent release(QEvent::MouseButtonRelease, at, global, Qt::LeftButton, Qt::NoButton,
                            Qt::NoModifier);
        QApplication::sendEvent(grid->viewport(), &press);
        QApplication::sendEvent(grid->viewport(), &release);
        QApplication::processEvents();
        EXPECT_EQ(grid->Grid().Cell(qty, 2), "3");
        EXPECT_EQ(number->text().toStdString(), "6");
    }
}
