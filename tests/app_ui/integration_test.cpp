// The window's pages joined to the core's rules: settings edits, rack grids,
// captions and the stock-update buttons.
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

#include "app/core/option_reader.h"
#include "app/ui/rack_pages.h"
#include "sample_window.h"
#include "engine/shared_state.h"
#include "engine/textfmt.h"
#include "window_fixture.h"

namespace {

using IntegrationTest = WindowTest;

// Leaving a minimum offcut edit takes a good length and refuses a bad one
// with one box, keeping the setting and selecting the text.
TEST_F(IntegrationTest, MinOffcutEditsCheckWhenEditingEnds) {
    struct Case {
        const char* Edit;
        std::int32_t* Setting;
    } cases[] = {{"EditMinOffcutLength1", &MinScrapLength}, {"EditMinOffcutLength2", &MinScrapWidth}};
    for (const Case& c : cases) {
        auto* edit = form->findChild<QLineEdit*>(c.Edit);
        ASSERT_NE(edit, nullptr) << c.Edit;
        std::int32_t want = 0;
        std::string e;
        ASSERT_TRUE(StrToUnitsOrError("125", want, e));

        edit->setText("125");
        emit edit->editingFinished();
        EXPECT_EQ(*c.Setting, want);
        EXPECT_TRUE(sink.Warnings.empty());

        edit->setText("12x");
        emit edit->editingFinished();
        EXPECT_EQ(*c.Setting, want);
        ASSERT_EQ(sink.Warnings.size(), 1u) << c.Edit;
        EXPECT_TRUE(edit->hasSelectedText());
        sink.Warnings.clear();
    }
}

// The rack grids edit as the window's other grids: Enter steps without
// growing and recomputes the totals at a row's start, naming a bad cell once.
TEST_F(IntegrationTest, RackGridStepsAndTotalsOnEnter) {
    auto* grid = form->findChild<TGridView*>("StringGridOffcutRack");
    auto* number = form->findChild<QLineEdit*>("EditTotalOffcutsNumber");
    ASSERT_TRUE(grid && number);
    const int rows = grid->Grid().RowCount();
    auto enterAt = [grid](TCellPos at) {
        grid->SetCurrentCell(at);
        QKeyEvent key(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(grid, &key);
    };
    TypeRow(grid, 1, {"", "A", "MDF", "500", "200"});
    TypeRow(grid, 2, {"", "", "", "400", "100"});
    enterAt({OffcutRackCol::Comment, 1});
    EXPECT_EQ(grid->CurrentCell(), (TCellPos{1, 2}));
    EXPECT_EQ(number->text(), "2");
    EXPECT_TRUE(sink.Warnings.empty());

    Type(grid, OffcutRackCol::Length, 2, "x");
    enterAt({OffcutRackCol::Comment, 2});
    ASSERT_EQ(sink.Warnings.size(), 1u);
    EXPECT_EQ(grid->CurrentCell(), (TCellPos{OffcutRackCol::Length, 2}));
    EXPECT_EQ(grid->Grid().RowCount(), rows);

    // A click on an empty cell fills it from the cell above.
    grid->OnCellClick({OffcutRackCol::Type, 2});
    EXPECT_EQ(grid->Grid().Cell(OffcutRackCol::Type, 2), "MDF");
}

// Update All books the plan: the layout page can no longer change it and no
// command of the window subtracts it a second time.
using BookedPlanTest = sample_window::SampleWindowTest;
TEST_F(BookedPlanTest, UpdateAllLocksThePlanAgainstEditsAndSecondBooking) {
    const char* edits[] = {"ButtonManual", "ButtonLayoutAgain", "ButtonDeleteLayout", "ButtonUpdateAll"};
    for (const char* name : edits) EXPECT_TRUE(child<QPushButton>(name)->isEnabled()) << name;
    child<QPushButton>("ButtonUpdateAll")->click();
    QApplication::processEvents();
    for (const char* name : edits) EXPECT_FALSE(child<QPushButton>(name)->isEnabled()) << name;
    // The totals follow the subtracted lists: the sample's parts are all cut.
    EXPECT_EQ(form_->PartsTotals().Number, "0");

    auto rows = [](const TStringGrid& g) {
        std::vector<std::vector<std::string>> r;
        for (int i = 0; i < g.RowCount(); ++i) r.push_back(g.Row(i));
        return r;
    };
    const auto sheets = rows(core_.Data.StringGridSheets);
    const auto parts = rows(core_.Data.StringGridParts);
    const int layouts = Optimizer.Best.Count();
    auto* stock = form_->findChild<TStockUpdateView*>();
    ASSERT_NE(stock, nullptr);
    stock->ButtonUpdateAllClick();
    stock->ButtonUpdateSheetsClick();
    stock->ButtonUpdatePartsClick();
    page_->ButtonDeleteLayoutClick();
    page_->ButtonManualClick();
    core_.ButtonLayoutAgainClick();
    EXPECT_EQ(Optimizer.Best.Count(), layouts);
    EXPECT_FALSE(child<QPushButton>("ButtonConfirm")->isVisible());
    EXPECT_EQ(rows(core_.Data.StringGridSheets), sheets);
    EXPECT_EQ(rows(core_.Data.StringGridParts), parts);
}

// A refused stock update shows the field or cell at fault focused, its text
// selected: a bad least offcut size, a sheet count that is no number.
TEST_F(BookedPlanTest, ARefusedUpdateFocusesTheFaultyFieldOrCell) {
    auto* stock = form_->findChild<TStockUpdateView*>();
    ASSERT_NE(stock, nullptr);
    auto* minimum = child<QLineEdit>("EditMinOffcutLength1");
    ASSERT_NE(minimum, nullptr);
    core_.Page.EditMinOffcutLength1 = "12x";
    minimum->setText("12x");
    form_->ShowPage(TSDIAppForm::TPage::Layout);
    stock->ButtonAddOffcutToRackClick();
    QApplication::processEvents();
    EXPECT_EQ(form_->PageControl()->currentWidget(), form_->PageControl()->widget(static_cast<int>(TSDIAppForm::TPage::Setup)));
    EXPECT_EQ(form_->focusWidget(), minimum);
    EXPECT_EQ(minimum->selectedText(), "12x");
    core_.Page.EditMinOffcutLength1 = "0";
    minimum->setText("0");

    // The first sheet row the plan takes from gets a count that is no number.
    TStringGrid& sheets = core_.Data.StringGridSheets;
    int row = 1;
    while (row < sheets.RowCount() && Trim(sheets.Cell(SheetCol::Label, row)) != Optimizer.Best[0].Label) ++row;
    ASSERT_LT(row, sheets.RowCount());
    sheets.SetCell(SheetCol::Qty, row, "many");
    form_->ShowPage(TSDIAppForm::TPage::Layout);
    stock->ButtonUpdateSheetsClick();
    QApplication::processEvents();
    auto* grid = child<TGridView>("StringGridSheets");
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(form_->PageControl()->currentWidget(), form_->PageControl()->widget(static_cast<int>(TSDIAppForm::TPage::Sheets)));
    EXPECT_EQ(grid->CurrentCell(), (TCellPos{SheetCol::Qty, row}));
    EXPECT_EQ(form_->focusWidget(), grid);
    EXPECT_EQ(sheets.Cell(SheetCol::Qty, row), "many");
}

}  // namespace
