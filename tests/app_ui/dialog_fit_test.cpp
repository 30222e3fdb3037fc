// The program's own dialogs on a small screen: each can be made as small as
// the smallest window (781 x 575 less the frame) with all of it reachable,
// and none opens bigger than the screen; the label dialog's shared captions.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QLayout>
#include <QScreen>
#include <QTimer>
#include <functional>
#include <string>

#include "app/core/captions.h"
#include "app/core/import_data.h"
#include "app/core/window_geometry.h"
#include "app/ui/dialogs.h"
#include "app/ui/import_export.h"
#include "app/ui/label_dialog.h"
#include "app/ui/layouts_per_page_dialog.h"
#include "app/ui/rack_pages.h"
#include "app_ui/sample_window.h"
#include "support/modal_watch.h"

namespace {

using DialogFitTest = sample_window::SampleWindowTest;

// The least size Dialog can be given: its minimum width, and the height its
// layout needs at that width (rows that wrap grow higher as they narrow).
QSize LeastSize(QWidget* Dialog) {
    QSize least = Dialog->minimumSizeHint().expandedTo(Dialog->minimumSize());
    if (QLayout* l = Dialog->layout(); l && l->hasHeightForWidth())
        least.setHeight(std::max(least.height(), l->totalHeightForWidth(kMinClientWidth)));
    return least;
}

void ExpectFitsTheSmallestScreen(QWidget* Dialog) {
    const std::string name = Dialog->objectName().toStdString();
    const QSize least = LeastSize(Dialog);
    EXPECT_LE(least.width(), kMinClientWidth) << name;
    EXPECT_LE(least.height(), kMinClientHeight) << name;
    // It opens no bigger than the screen leaves room for.
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        EXPECT_LE(Dialog->width(), std::max(area.width() - kFrameAllowanceX, least.width())) << name;
        EXPECT_LE(Dialog->height(), std::max(area.height() - kFrameAllowanceY, least.height())) << name;
    }
}

// Runs Check on the next modal dialog and closes it.
void CheckNextModal(const std::string& What, std::function<void(QWidget*)> Check) {
    testsupport::OnModal([What, Check](QWidget* W) {
        SCOPED_TRACE(What);
        Check(W);
        if (auto* d = qobject_cast<QDialog*>(W)) d->reject();
        else W->close();
    });
}

}  // namespace

TEST_F(DialogFitTest, EveryDialogFitsTheSmallestScreen) {
    // The dialogs of the window's commands, as they open.
    int seen = 0;
    auto check = [&seen](QWidget* w) {
        ++seen;
        ExpectFitsTheSmallestScreen(w);
    };
    CheckNextModal("label dialog", check);
    ShowLabelDialog(*form_, TLabelKind::Parts);
    CheckNextModal("material types", check);
    ShowMaterialTypesDialog(*form_);
    CheckNextModal("edge types", check);
    ShowEdgeTypesDialog(*form_);
    CheckNextModal("lists to save", check);
    ShowSaveSelectGrids(*form_);
    CheckNextModal("about box", check);
    ShowAboutBox(*form_);
    EXPECT_EQ(seen, 5);

    // The dialogs the commands make and show, made here.
    TImportData data;
    PrepareImport(data, core_.Data, false);
    TFormImportData importDialog(data, form_.get());
    TFormExportFileTypeSelect exportType(form_.get());
    TFormPrintLayoutsSetup layoutsPerPage(form_.get());
    TFormInputSlotQty slotQty(core_.Data, "slots", form_.get());
    TFormReportOffcutsRack rack(TRackReport{}, "rack", "Print", {}, form_.get());
    for (QWidget* d : std::initializer_list<QWidget*>{&importDialog, &exportType, &layoutsPerPage, &slotQty, &rack})
        ExpectFitsTheSmallestScreen(d);
}

// "Save" and "Font Setup" of the label dialog read as the main window's
// commands of the same meaning, hints included.
TEST_F(DialogFitTest, LabelDialogSharesTheWindowsSaveAndFontCaptions) {
    core_.Captions.SetCaption("SheetsSave", "&Keep");
    core_.Captions.SetHint("SheetsSave", "Keep the list");
    core_.Captions.SetCaption("ButtonFontSetup", "Letters");
    core_.Captions.SetHint("ButtonFontSetup", "Choose the letters");
    TFormPrintLabel& dialog = FormPrintLabel(*form_);
    dialog.RefreshPrintLabelCaption();
    auto* save = dialog.findChild<QAbstractButton*>("ButtonSaveLabelScheme");
    auto* font = dialog.findChild<QAbstractButton*>("ButtonLabelFontSetup");
    ASSERT_TRUE(save && font);
    EXPECT_EQ(save->text().toStdString(), "Keep");
    EXPECT_EQ(save->toolTip().toStdString(), "Keep the list");
    EXPECT_EQ(font->text().toStdString(), "Letters");
    EXPECT_EQ(font->toolTip().toStdString(), "Choose the letters");
}
