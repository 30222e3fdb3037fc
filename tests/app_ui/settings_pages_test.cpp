#include <gtest/gtest.h>

#include <QAbstractItemModel>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPrinter>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <filesystem>

#include "app/core/captions.h"
#include "app/core/grid_readers.h"
#include "app/core/main_window.h"
#include "app/core/option_edits.h"
#include "app/core/option_file.h"
#include "app/ui/label_dialog.h"
#include "app/ui/rack_pages.h"
#include "app/ui/sdimain.h"
#include "app/ui/settings_page.h"
#include "engine/pubstr.h"
#include "engine/shared_state.h"
#include "app_ui/window_fixture.h"

namespace {

template <class T>
T* Find(QObject& In, const char* Name) {
    T* w = In.findChild<T*>(Name);
    if (!w) ADD_FAILURE() << "no control " << Name;
    return w;
}

std::string Cell(QTableView* View, int Row, int Col) {
    return View->model()->index(Row, Col).data().toString().toStdString();
}

class SettingsPages : public ::testing::Test {
  protected:
    SettingsPages() {
        AppDir = dir_.Path();
        form_.resize(1200, 760);
    }
    testsupport::ScratchDir dir_;
    testsupport::CaptureSink sink_;
    TMainWindowCore core_;
    TSDIAppForm form_{core_};
};

// One MDF sheet S1 of 1000 x 500 cut twice with one part P1 of 600 x 500.
void SamplePlan(TMainData& Data) {
    Data.StringGridSheets.SetRow(1, {"S1", "MDF", "1000", "500", "5", "20", "0", ""});
    Data.StringGridParts.SetRow(1, {"P1", "MDF", "600", "500", "R", "2", "2", "R", "", ""});
    // The lists a run reads: a plan is booked only against the rows it was made from.
    TErrorLocation error;
    EXPECT_TRUE(ReadSheetsGrid(Data, error) && ReadPartsGrid(Data, error));
    T2DStock part;
    part.Label = "P1";
    part.Material = "MDF";
    part.Index = 0;
    Optimizer.Parts.AddCopy(part);
    TPacket p = TPacket::CreateFromParts(Optimizer.Parts);
    p.Label = "S1";
    p.Material = "MDF";
    p.Length = 1000000;
    p.Width = 500000;
    p.Quantity = 2;
    p.Cost = 20000;
    p.ResetSpaces();
    T2DStock q = part;
    q.Quantity = 1;
    q.Length = 600000;
    q.Width = 500000;
    q.LengthText = "600";
    q.WidthText = "500";
    p.AddPlacement(q);
    Optimizer.Best.Packets.Add(std::move(p));
}

}  // namespace

TEST_F(SettingsPages, PageShowsAndSavesTheOptionData) {
    auto* blade = Find<QLineEdit>(form_, "EditBladeWidth");
    ASSERT_TRUE(blade);
    EXPECT_EQ(blade->text(), "0");
    blade->setText("1/8");
    emit blade->textEdited("1/8");
    EXPECT_EQ(core_.Page.EditBladeWidth, "1/8");
    Find<QCheckBox>(form_, "CheckBoxDisableOffcutsRack")->setChecked(false);
    EXPECT_FALSE(core_.Page.CheckBoxDisableOffcutsRack);
    EXPECT_TRUE(form_.PageControl()->isTabVisible(static_cast<int>(TSDIAppForm::TPage::Offcuts)));

    Find<QPushButton>(form_, "ButtonSaveOptions")->click();
    TOptionPage back;
    TWindowOptions window;
    ReadOptionFile(OptionFilePath("default"), back, window);
    EXPECT_EQ(back.EditBladeWidth, "1/8");
    EXPECT_FALSE(back.CheckBoxDisableOffcutsRack);

    // The reverse: data read into the core shows on the page.
    core_.Page.EditMinOffcutLength1 = "12";
    core_.Page.CheckBoxZAxis = false;
    form_.NotifyGridsReloaded();
    EXPECT_EQ(Find<QLineEdit>(form_, "EditMinOffcutLength1")->text(), "12");
    EXPECT_FALSE(Find<QLineEdit>(form_, "EditDrillDepth")->isEnabled());
}

TEST_F(SettingsPages, CaptionEditorRelabelsTheLiveWindow) {
    auto* view = form_.findChild<TSettingsPageView*>();
    ASSERT_TRUE(view);
    const auto& items = CaptionEditorItems();
    int tabParts = -1, offcutButton = -1;
    for (int i = 0; i < static_cast<int>(items.size()); ++i) {
        if (items[i].Text == "Tab Parts") tabParts = i;
        if (items[i].Text == "Add Offcut To Rack Button") offcutButton = i;
    }
    auto* edit = Find<QLineEdit>(form_, "EditModifyCaption");
    view->ComboBoxInterfaceCaptionChange(tabParts);
    EXPECT_EQ(edit->text().toStdString(), core_.Captions.Caption("TabSheetParts"));
    emit edit->textEdited("Teile");
    view->ButtonConfirmCaptionClick();
    EXPECT_EQ(form_.PageControl()->tabText(2), "Teile");
    EXPECT_EQ(PartsCaption, "Teile");  // the reports' word
    EXPECT_EQ(MaterialTypeCaption, "Material Type");

    view->ComboBoxInterfaceCaptionChange(offcutButton);
    emit edit->textEdited("Reste ins Lager");
    view->ButtonConfirmCaptionClick();
    EXPECT_EQ(Find<QPushButton>(form_, "ButtonAddOffcutToRack")->text(), "Reste ins Lager");

    view->ButtonSetAsDefaultCaptionClick();
    TCaptionStore fresh;
    fresh.ReadCaptionFile(DefaultCaptionFilePath());
    EXPECT_EQ(fresh.Caption("TabSheetParts"), "Teile");
}

// A click into the caption or hint field, as the platform sends it, selects
// the field's whole text; pressing alone only places the cursor.
TEST_F(SettingsPages, ClickIntoACaptionFieldSelectsItsWholeText) {
    form_.show();
    form_.ShowPage(TSDIAppForm::TPage::Setup);
    Find<QCheckBox>(form_, "CheckBoxCustomCaption")->click();
    auto* view = form_.findChild<TSettingsPageView*>();
    ASSERT_TRUE(view);
    int blade = -1;
    const auto& items = CaptionEditorItems();
    for (int i = 0; i < static_cast<int>(items.size()); ++i)
        if (items[i].Text == "Blade Width Caption") blade = i;
    view->ComboBoxInterfaceCaptionChange(blade);
    auto* caption = Find<QLineEdit>(form_, "EditModifyCaption");
    auto* hint = Find<QLineEdit>(form_, "EditModifyHint");
    ASSERT_TRUE(caption && hint);
    hint->setText("Width of the saw cut");
    QApplication::processEvents();
    ASSERT_TRUE(caption->isVisible() && hint->isVisible());

    const auto mouse = [](QLineEdit* Edit, QEvent::Type Type) {
        const QPoint at(Edit->width() / 2, Edit->height() / 2);
        QMouseEvent e(Type, at, Edit->mapToGlobal(at), Qt::LeftButton,
                      Type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, {});
        QApplication::sendEvent(Edit, &e);
        QApplication::processEvents();
    };
    for (QLineEdit* edit : {caption, hint, caption}) {
        SCOPED_TRACE(edit->objectName().toStdString());
        mouse(edit, QEvent::MouseButtonPress);
        EXPECT_FALSE(edit->hasSelectedText());
        mouse(edit, QEvent::MouseButtonRelease);
        EXPECT_EQ(edit->selectedText(), edit->text());
        EXPECT_FALSE(edit->text().isEmpty());
    }
    EXPECT_EQ(caption->text(), "Blade Width");
}

TEST_F(SettingsPages, UpdateAllFillsTheRacksOnceThroughTheWindow) {
    SamplePlan(core_.Data);
    core_.Page.CheckBoxDisableOffcutsRack = core_.Page.CheckBoxDisablePartsRack = false;
    DisableOffcutsRack = DisablePartsRack = false;
    core_.Page.LabeledEditOffcutsPrefix = "OC";
    form_.NotifyPlanChanged();
    auto* all = Find<QPushButton>(form_, "ButtonUpdateAll");
    auto* sheets = Find<QPushButton>(form_, "ButtonUpdateSheets");
    ASSERT_TRUE(all && sheets);
    ASSERT_TRUE(all->isEnabled());
    all->click();
    EXPECT_TRUE(sink_.Warnings.empty());

    auto* offcuts = Find<QTableView>(form_, "StringGridOffcutRack");
    auto* parts = Find<QTableView>(form_, "StringGridPartRack");
    EXPECT_EQ(Cell(offcuts, 0, 0), "OC400X500_1");
    EXPECT_EQ(Cell(offcuts, 1, 0), "OC400X500_2");
    EXPECT_EQ(Cell(parts, 1, 0), "P1");
    EXPECT_EQ(Find<QLineEdit>(form_, "EditTotalOffcutsNumber")->text(), "2");
    EXPECT_EQ(core_.Data.StringGridSheets.Cell(SheetCol::Qty, 1), "3");

    // Every update button is off now, and a second try changes nothing.
    for (const char* name : {"ButtonUpdateAll", "ButtonUpdateSheets", "ButtonUpdateParts",
                             "ButtonAddOffcutToRack", "ButtonAddPartToRack"})
        EXPECT_FALSE(Find<QPushButton>(form_, name)->isEnabled()) << name;
    form_.findChild<TStockUpdateView*>()->ButtonUpdateSheetsClick();
    form_.findChild<TStockUpdateView*>()->ButtonUpdateAllClick();
    EXPECT_EQ(core_.Data.StringGridSheets.Cell(SheetCol::Qty, 1), "3");
    EXPECT_EQ(Cell(offcuts, 2, 0), "");

    // The printed rack listing.
    ProjectTitle = "Kitchen";
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    const std::string pdf = dir_.Path() + "/rack.pdf";
    printer.setOutputFileName(QString::fromStdString(pdf));
    ASSERT_TRUE(PrintRackLines(printer, RackListingLines(core_.Data, true)));
    const std::string text = Shell("pdftotext -layout '" + pdf + "' -");
    EXPECT_NE(text.find("Kitchen"), std::string::npos);
    EXPECT_NE(text.find("OC400X500_2"), std::string::npos);
    EXPECT_NE(text.find("-----"), std::string::npos);
}

TEST_F(SettingsPages, LabelsPrintToPdfAndRefuseBadPages) {
    SamplePlan(core_.Data);
    TFormPrintLabel& dialog = FormPrintLabel(form_);
    TErrorLocation error;
    ASSERT_TRUE(FillLabelData(TLabelKind::Layouts, core_.Data, core_.Captions,
                              {"7.12.26", "03:00", "Job"}, dialog.StringGridLabelData(), error));
    ASSERT_EQ(dialog.StringGridLabelData().RowCount(), 5);  // two copies of P1 and of its offcut
    TLabelDialogState& s = dialog.State();
    s.Page.EditLabelColNumber = "2";
    s.Page.EditLabelRowNumber = "8";
    s.Page.EditPrintLabelFromCol = "2";
    s.SetCellSize(2, 2);
    s.Format.Cells = {{"Label", "Length X Width"}, {"Layouts", "cut"}};
    dialog.onshowlabelprint();
    s.Page.EditLabelRowNumber = "1";
    dialog.onshowlabelprint();

    const std::string pdf = dir_.Path() + "/labels.pdf";
    dialog.Printer().setOutputFormat(QPrinter::PdfFormat);
    dialog.Printer().setOutputFileName(QString::fromStdString(pdf));
    ASSERT_TRUE(dialog.ButtonPrintAllLabelClick());
    // From column 2 of a 2 x 1 page: one label on the first page, two on the others.
    EXPECT_NE(Shell("pdfinfo '" + pdf + "' | tr -s ' '").find("Pages: 3\n"), std::string::npos);
    const std::string text = Shell("pdftotext -layout '" + pdf + "' -");
    EXPECT_NE(text.find("P1"), std::string::npos);
    EXPECT_NE(text.find("600 X 500"), std::string::npos);
    EXPECT_NE(text.find("cut"), std::string::npos);

    std::filesystem::remove(pdf);
    s.Page.EditLengthMarge = "20";  // margins wider than the page
    dialog.onshowlabelprint();
    sink_.Warnings.clear();
    EXPECT_FALSE(dialog.ButtonPrintAllLabelClick());
    ASSERT_FALSE(sink_.Warnings.empty());
    EXPECT_EQ(sink_.Warnings.back(), "[]" + MsgInvalidData);
    EXPECT_FALSE(std::filesystem::exists(pdf));
}

TEST_F(SettingsPages, LabelCommandRemembersTheSchemeChosen) {
    PartsRackLabelPrintIndex = 42;  // as read from a damaged option file
    core_.Data.StringGridPartRack.SetRow(1, {"1", "A", "MDF", "10", "20", "Rect", ""});
    int rows = -1;
    QTimer::singleShot(0, [&] {
        auto* d = qobject_cast<TFormPrintLabel*>(QApplication::activeModalWidget());
        if (!d) return;
        rows = d->StringGridLabelData().RowCount();
        EXPECT_EQ(d->ComboBoxLabelSchemes()->currentIndex(), 8);
        d->ComboBoxLabelSchemes()->setCurrentIndex(2);
        d->reject();
    });
    ShowLabelDialog(form_, TLabelKind::PartRack);
    EXPECT_EQ(rows, 2);
    EXPECT_EQ(PartsRackLabelPrintIndex, 2);
}

// A G-code depth that is no length is refused when its edit is left.
TEST_F(SettingsPages, GCodeDepthThatIsNoLengthIsRefused) {
    for (const bool safe : {false, true}) {
        auto* edit = Find<QLineEdit>(form_, safe ? "EditSafetyHeigth" : "EditDrillDepth");
        sink_.Warnings.clear();
        edit->setText("-18,5");
        emit edit->editingFinished();
        ASSERT_EQ(sink_.Warnings.size(), 1u);
        EXPECT_NE(sink_.Warnings[0].find(GCodeDepthRangeMessage(safe)), std::string::npos);
        edit->setText("-18.5");
        emit edit->editingFinished();
        EXPECT_EQ(sink_.Warnings.size(), 1u);
    }
}
