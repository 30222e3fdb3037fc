// The program's own dialogs on a small screen: each can be made as small as
// the smallest window (781 x 575 less the frame) with all of it reachable,
// and none opens bigger than the screen; the label dialog's shared captions.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <functional>
#include <string>

#include "app/core/captions.h"
#include "app/core/import_data.h"
#include "app/core/window_geometry.h"
#include "app/ui/dialogs.h"
#include "app/ui/edge_types_picture.h"
#include "app/ui/import_export.h"
#include "app/ui/label_dialog.h"
#include "app/ui/layouts_per_page_dialog.h"
#include "app/ui/rack_pages.h"
#include "app_ui/sample_window.h"
#include "engine/pubstr.h"
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

// The about box of a job in a deep folder: the link shows the help page's
// path with its middle left out, whole in its tooltip, and the box with its
// OK button fits the smallest screen.
TEST_F(DialogFitTest, AboutBoxWithALongPathFitsTheSmallestScreen) {
    std::string deep;
    while (deep.size() < 300) deep += "/jobs_of_the_workshop_by_customer";
    testsupport::AppDirScope appDir(deep);
    const std::string page = deep + "/help/tessaly_help.html";
    int seen = 0;
    CheckNextModal("about box", [&](QWidget* w) {
        ++seen;
        auto* link = w->findChild<QLabel*>("Comments");
        auto* ok = w->findChild<QPushButton*>("OKButton");
        ASSERT_TRUE(link && ok);
        EXPECT_EQ(link->toolTip().toStdString(), page);
        ExpectFitsTheSmallestScreen(w);
        // At its least size the link and the OK button are inside the box,
        // the link shortened.
        w->resize(LeastSize(w));
        w->layout()->activate();
        EXPECT_TRUE(w->rect().contains(ok->geometry())) << w->width();
        EXPECT_TRUE(w->rect().contains(link->geometry()));
        EXPECT_LT(link->width(), link->fontMetrics().horizontalAdvance(link->text()));
    });
    ShowAboutBox(*form_);
    EXPECT_EQ(seen, 1);
}

namespace {

// The picture's words and drawing in their places: every word whole inside
// the picture and over no other word, mark or line of the drawing; the side
// marks inside the part, T above B, L left of R.
void ExpectPictureInPlace(TEdgeTypesPicture* P) {
    const QRect area = P->rect();
    EXPECT_TRUE(area.contains(P->GrindingRect())) << P->width() << "x" << P->height();
    const QRect part = P->PartRect();
    const int band = P->TopBand().height();
    const QRect insideBands = part.adjusted(band, band, -band, -band);
    struct Word {
        QLabel* Label;
        bool OnThePart;
    };
    const Word words[] = {{P->LabelPartLength, false}, {P->LabelPartWidth, false},
                          {P->LabelPartLength2, true}, {P->LabelPartWidth2, true},
                          {P->LabelBand, false},       {P->LabelGrinding, false}};
    std::vector<QRect> taken;
    for (const Word& w : words) {
        SCOPED_TRACE(w.Label->objectName().toStdString());
        const QRect r = w.Label->geometry();
        EXPECT_TRUE(w.Label->isVisible());
        EXPECT_FALSE(w.Label->text().isEmpty());
        EXPECT_TRUE(area.contains(r));
        if (w.OnThePart)
            EXPECT_TRUE(insideBands.contains(r));
        else
            EXPECT_FALSE(r.intersects(P->GrindingRect()));
        EXPECT_FALSE(r.intersects(P->BandSample()));
        EXPECT_FALSE(r.intersects(P->GrindingSample()));
        for (const QRect& m : P->SideMarks()) EXPECT_FALSE(r.intersects(m));
        for (const QRect& t : taken) EXPECT_FALSE(r.intersects(t));
        taken.push_back(r);
    }
    const auto& marks = P->SideMarks();  // T, B, L, R
    for (const QRect& m : marks) EXPECT_TRUE(insideBands.contains(m));
    EXPECT_LT(marks[0].bottom(), marks[1].top());
    EXPECT_LT(marks[2].right(), marks[3].left());
    EXPECT_LT(marks[2].right(), marks[0].left());
    EXPECT_GT(marks[3].left(), marks[0].right());
    EXPECT_TRUE(area.contains(P->BandSample()) && area.contains(P->GrindingSample()));
}

}  // namespace

// The edge types dialog at the smallest screen shows its picture whole and
// at least at its least size, the words in their places, also when a
// caption file gives them words too long for their places (cut short, whole
// in the tooltip).
TEST_F(DialogFitTest, EdgeTypesDialogWithItsPictureFitsTheSmallestScreen) {
    const struct {
        const char* What;
        std::string Length, Width, Band, Grinding;
        bool Cut;
    } captions[] = {
        {"the program's words", "Length", "Width", "Band", "Grinding", false},
        {"long words", "Length of the finished part along its grain", "Width of the finished part",
         "Edge band glued on after grinding", "Allowance ground off before banding", true},
    };
    for (const auto& c : captions) {
        SCOPED_TRACE(c.What);
        PartLengthCaption = c.Length;
        PartWidthCaption = c.Width;
        BandCaption = c.Band;
        GrindingCaption = c.Grinding;
        int seen = 0;
        CheckNextModal("edge types", [&](QWidget* w) {
            ++seen;
            ExpectFitsTheSmallestScreen(w);
            auto* picture = w->findChild<TEdgeTypesPicture*>("ImageGrindingAndBand");
            ASSERT_NE(picture, nullptr);
            w->resize(kMinClientWidth, kMinClientHeight);
            w->layout()->activate();
            EXPECT_TRUE(w->rect().contains(picture->geometry()));
            EXPECT_GE(picture->width(), picture->minimumSizeHint().width());
            EXPECT_GE(picture->height(), picture->minimumSizeHint().height());
            ExpectPictureInPlace(picture);
            const std::pair<QLabel*, std::string> words[] = {{picture->LabelPartLength, c.Length},
                                                             {picture->LabelPartWidth, c.Width},
                                                             {picture->LabelBand, c.Band},
                                                             {picture->LabelGrinding, c.Grinding}};
            for (const auto& [label, word] : words) {
                if (!c.Cut) {
                    EXPECT_EQ(label->text().toStdString(), word);
                    EXPECT_TRUE(label->toolTip().isEmpty());
                } else {
                    EXPECT_TRUE(label->text().endsWith(QChar(0x2026)))
                        << label->text().toStdString();
                    EXPECT_EQ(label->toolTip().toStdString(), word);
                }
            }
            // Larger, all stays in place.
            w->resize(1100, 700);
            w->layout()->activate();
            ExpectPictureInPlace(picture);
        });
        ShowEdgeTypesDialog(*form_);
        EXPECT_EQ(seen, 1);
    }
}
