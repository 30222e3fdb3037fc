// What only the window shows of the settings and lists it keeps: a text
// import redrawn, settings acting at once, the layout page's boxes read and
// written, the order after a run, rack grids and the exit's questions.
#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <filesystem>

#include "app/core/exit_save.h"
#include "app/ui/import_export.h"
#include "engine/pubstr.h"
#include "engine/shared_state.h"
#include "window_fixture.h"

namespace {

std::string ShownName(TSDIAppForm& f, const char* edit) {
    return f.findChild<QLineEdit*>(edit)->text().toStdString();
}

}  // namespace

TEST_F(WindowTest, TextImportRedrawsTheGridAndShowsTheListUntitled) {
    core.Data.EditSheetsFileName = dir.File("default.sht");
    form->RefreshGrids();
    const std::string file = dir.File("stock.txt");
    testsupport::WriteText(file, "Label\tLength\nA\t100\nB\t200\n");
    OnModal([file](QWidget* w) {
        auto* dialog = qobject_cast<TFormImportData*>(w);
        ASSERT_TRUE(dialog);
        dialog->LoadTextFile(file);
        dialog->ComboBoxes[0]->setCurrentIndex(SheetCol::Label + 1);
        dialog->ComboBoxes[1]->setCurrentIndex(SheetCol::Length + 1);
        dialog->ButtonOK->click();
    });
    form->findChild<QPushButton*>("ButtonImportSheets")->click();
    QAbstractItemModel* m = form->StringGridSheets()->model();
    ASSERT_EQ(m->rowCount(), core.Data.StringGridSheets.RowCount() - 1);
    ASSERT_GE(m->rowCount(), 2);
    const int last = core.Data.StringGridSheets.Cell(SheetCol::Label, 3) == "B" ? 2 : 1;
    EXPECT_EQ(m->index(last, SheetCol::Label).data().toString(), "B");
    EXPECT_EQ(m->index(last, SheetCol::Length).data().toString(), "200");
    EXPECT_EQ(ShownName(*form, "EditSheetsFileName"), "(untitled)");
}

TEST_F(WindowTest, SettingsActAtOnceAndTheGCodeSpeedsAreHidden) {
    form->findChild<QSlider*>("TrackBarSpeed")->setValue(6);
    EXPECT_EQ(OptimizeSpeed, 6);
    auto* order = form->findChild<QCheckBox*>("CheckBoxOrderOptimize");
    order->setChecked(!order->isChecked());
    EXPECT_EQ(OrderOptimize, order->isChecked());
    auto* z = form->findChild<QCheckBox*>("CheckBoxZAxis");
    z->setChecked(false);
    EXPECT_FALSE(GCodeZMoves);
    EXPECT_FALSE(form->findChild<QLineEdit*>("EditDrillDepth")->isEnabled());
    for (const char* hidden : {"LabeledEditSpeedXY", "LabeledEditSpeedZ", "LabeledEditGCodeN"})
        EXPECT_FALSE(form->findChild<QLineEdit*>(hidden)->isVisibleTo(form.get())) << hidden;
}

TEST_F(WindowTest, LayoutBoxesOrderAndRackWidthsAreReadAndWritten) {
    form.reset();
    core.Window.ShowLabel = false;
    core.Window.ShowLengthXWidth = true;
    core.Window.ShowOffcuts = true;
    core.Window.RadioGroupLayoutsOrder = 1;
    core.Window.OffcutsGridColWidths[OffcutRackCol::Type] = 190;
    form = std::make_unique<TSDIAppForm>(core);
    auto box = [&](const char* name) { return form->findChild<QCheckBox*>(name); };
    EXPECT_FALSE(box("ShowLabel")->isChecked());
    EXPECT_TRUE(box("ShowLengthXWidth")->isChecked());
    EXPECT_TRUE(box("ShowOffcuts")->isChecked());
    EXPECT_TRUE(LayoutShowOffcuts);
    const auto radios = form->findChild<QWidget*>("RadioGroupLayoutsOrder")->findChildren<QRadioButton*>();
    ASSERT_EQ(radios.size(), 2);
    EXPECT_TRUE(radios[1]->isChecked());
    auto* rack = form->findChild<TGridView*>("StringGridOffcutRack");
    EXPECT_EQ(rack->columnWidth(OffcutRackCol::Type - 1), 190);

    box("ShowLengthXWidth")->click();
    EXPECT_FALSE(core.Window.ShowLengthXWidth);
    EXPECT_FALSE(LayoutShowLengthXWidth);
    rack->setColumnWidth(OffcutRackCol::Type - 1, 120);
    form->StoreWindowState();
    EXPECT_EQ(core.Window.OffcutsGridColWidths[OffcutRackCol::Type], 120);

    // After a run the order is "Utilization".
    TypeRow(form->StringGridSheets(), 1, {"S1", "MDF", "2000", "1000", "3", "10"});
    TypeRow(form->StringGridParts(), 1, {"P1", "MDF", "600", "400", "R", "5", "5"});
    form->StartOptimizeClick();
    ASSERT_TRUE(WaitForRunEnd(30000));
    EXPECT_TRUE(radios[0]->isChecked());
    EXPECT_EQ(core.Window.RadioGroupLayoutsOrder, 0);
}

TEST_F(WindowTest, FileMenuActsOnTheRackInFront) {
    core.Page.CheckBoxDisableOffcutsRack = false;
    core.Data.EditOffcutsFileName = dir.File("rack.rck");
    core.Data.StringGridOffcutRack.SetCell(OffcutRackCol::Label, 1, "OC1");
    form->ShowPage(TSDIAppForm::TPage::Offcuts);
    form->FileSave1Execute();
    EXPECT_NE(testsupport::ReadText(dir.File("rack.rck")).find("OC1"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dir.File("default.sht")));
}

TEST_F(WindowTest, ClosingCanBeCancelledAndOffersListsWithoutAFile) {
    TypeRow(form->StringGridSheets(), 1, {"S1", "MDF", "100", "50", "2"});
    core.Data.EditSheetsFileName = dir.File("imported.txt");
    // The grids-to-save dialog: a readable title and Cancel, which keeps the window open.
    OnModal([](QWidget* d) {
        EXPECT_EQ(d->windowTitle().toStdString(), "Save File");
        d->findChild<QPushButton*>("ButtonCancelSaveSelectGrids")->click();
    });
    form->show();
    EXPECT_FALSE(form->close());
    EXPECT_TRUE(form->isVisible());
    EXPECT_FALSE(std::filesystem::exists(dir.File("default.opt")));

    // The list without a file is offered; declining the name keeps the window open.
    std::vector<TExitList> asked;
    form->SaveSelectGridsDialog = [] { return true; };
    form->ExitListFileDialog = [&](TExitList l) -> std::optional<std::string> {
        asked.push_back(l);
        return std::nullopt;
    };
    EXPECT_FALSE(form->close());
    EXPECT_EQ(asked, std::vector<TExitList>{TExitList::Sheets});

    // A failed write can be retried: the first attempt finds a folder in the way.
    const std::string target = dir.File("kept.sht");
    std::filesystem::create_directory(target);
    form->ExitListFileDialog = [&](TExitList) -> std::optional<std::string> { return target; };
    int retries = 0;
    form->ExitRetryDialog = [&](const TExitSaveResult& r) {
        EXPECT_FALSE(r.Failed.empty());
        ++retries;
        std::filesystem::remove(target);
        return TSDIAppForm::TExitRetry::Retry;
    };
    EXPECT_TRUE(form->close());
    EXPECT_EQ(retries, 1);
    EXPECT_NE(testsupport::ReadText(target).find("S1"), std::string::npos);
}
