// The window on a workshop screen: its smallest size with every command in
// reach, cell editing by keyboard and mouse, the mouse wheel on the settings
// page, the carried part's outline, live captions, the free-shape page and
// the Edit menu.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabWidget>
#include <fstream>

#include "app/core/captions.h"
#include "app/core/manual_edit.h"
#include "app/core/window_geometry.h"
#include "app/ui/qt_canvas.h"
#include "app/ui/settings_page.h"
#include "app_ui/sample_window.h"
#include "engine/pubstr.h"
#include "window_fixture.h"

using sample_window::Wait;
using WindowFitTest = sample_window::SampleWindowTest;

namespace {

// Whether the control can be seen whole, once the scroll area holding it (if
// any) has scrolled to it: inside the window and not squeezed below the
// size it needs.
bool Reachable(QWidget* Control, QWidget* Window) {
    for (QWidget* p = Control->parentWidget(); p && p->parentWidget(); p = p->parentWidget())
        if (auto* area = qobject_cast<QScrollArea*>(p->parentWidget()->parentWidget());
            area && area->widget() == p) {
            area->ensureWidgetVisible(Control, 0, 0);
            QApplication::processEvents();
            const QRect inArea(Control->mapTo(area->viewport(), QPoint(0, 0)), Control->size());
            if (!area->viewport()->rect().contains(inArea)) return false;
            break;
        }
    const QRect inWindow(Control->mapTo(Window, QPoint(0, 0)), Control->size());
    const QSize need = Control->minimumSizeHint();
    return Window->rect().contains(inWindow) && Control->width() >= std::min(need.width(), 40) &&
           Control->height() >= std::min(need.height(), 12);
}

// The commands and fields shown on the page now.
QList<QWidget*> ShownControls(QWidget* Page) {
    QList<QWidget*> out;
    for (QWidget* w : Page->findChildren<QWidget*>()) {
        const bool control = qobject_cast<QAbstractButton*>(w) || qobject_cast<QComboBox*>(w) ||
                             (qobject_cast<QLineEdit*>(w) && !w->objectName().isEmpty()) ||
                             (qobject_cast<QLabel*>(w) && !w->objectName().isEmpty());
        // Widgets of a combo box's popup or of a scroll bar are not controls.
        if (control && w->isVisibleTo(Page) && !w->objectName().startsWith("qt_")) out << w;
    }
    return out;
}

// A click of the left button, and keys typed, as the platform sends them.
void ClickAt(QWidget* W, QPoint At) {
    for (const QEvent::Type t : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent e(t, At, W->mapToGlobal(At), Qt::LeftButton,
                      t == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, {});
        QApplication::sendEvent(W, &e);
    }
    QApplication::processEvents();
}
void Key(int K, const QString& Text = {}) {
    for (const QEvent::Type t : {QEvent::KeyPress, QEvent::KeyRelease}) {
        QKeyEvent e(t, K, Qt::NoModifier, Text);
        QApplication::sendEvent(QApplication::focusWidget(), &e);
    }
    QApplication::processEvents();
}
void TypeKeys(const QString& Text) {
    for (const QChar c : Text) Key(c.toUpper().unicode(), QString(c));
}

}  // namespace

TEST_F(WindowFitTest, EveryCommandIsReachableAtTheSmallestSizeAndManualDoesNotGrowTheWindow) {
    form_->resize(300, 200);  // the window does not go below its minimum
    QApplication::processEvents();
    EXPECT_EQ(form_->size(), QSize(kMinClientWidth, kMinClientHeight));
    QTabWidget* pages = form_->PageControl();
    for (int i = 0; i < pages->count(); ++i) {
        pages->setTabVisible(i, true);
        pages->setCurrentIndex(i);
        QApplication::processEvents();
        for (QWidget* w : ShownControls(pages->widget(i)))
            EXPECT_TRUE(Reachable(w, form_.get()))
                << pages->widget(i)->objectName().toStdString() << ": " << w->objectName().toStdString()
                << " at " << w->mapTo(form_.get(), QPoint(0, 0)).x() << ","
                << w->mapTo(form_.get(), QPoint(0, 0)).y() << " " << w->width() << "x" << w->height();
        EXPECT_EQ(form_->size(), QSize(kMinClientWidth, kMinClientHeight)) << pages->widget(i)->objectName().toStdString();
    }
    form_->ShowPage(TSDIAppForm::TPage::Layout);
    child<QPushButton>("ButtonManual")->click();
    QApplication::processEvents();
    ASSERT_TRUE(page_->Edit().ManualMode);
    EXPECT_EQ(form_->size(), QSize(kMinClientWidth, kMinClientHeight));
    for (const char* name : {"ButtonConfirm", "ButtonCancelManual"})
        EXPECT_TRUE(Reachable(child<QPushButton>(name), form_.get())) << name;
    child<QPushButton>("ButtonCancelManual")->click();
    QApplication::processEvents();
    EXPECT_EQ(form_->size(), QSize(kMinClientWidth, kMinClientHeight));
}

TEST_F(WindowFitTest, TheCarriedPartStandsOutOnEverySheetColour) {
    const TPacket& p = Optimizer.Best[CurrentLayoutIndex];
    int k = 0;
    while (k < p.Placements.Count() && p.Placements[k].Label.find(OffcutPrefix) != std::string::npos) ++k;
    ASSERT_LT(k, p.Placements.Count());
    const T2DStock piece = T2DStock::CreateCopy(p.Placements[k]);
    child<QPushButton>("ButtonManual")->click();
    clickSheet(Qt::LeftButton, piece.Position.X + piece.NetLength() / 2.0,
               piece.Position.Y + piece.NetWidth() / 2.0);
    ASSERT_TRUE(page_->Edit().Dragging);
    const platform::TCanvasRect r = page_->Edit().DragRect;
    const QPoint o = page_->SheetOrigin();
    for (const platform::TColor sheet :
         {platform::clGray, platform::clWhite, platform::clBlack, platform::clYellow, platform::clNavy}) {
        core_.Page.ColorBoxEdge = sheet;
        page_->ShowScheme();
        QApplication::processEvents();
        const QImage image = page_->PaintBox()->grab().toImage();
        const QColor bg = ToQColor(sheet);
        // Along the top edge of the carried rectangle: the strongest contrast
        // with the sheet's colour is plain (at least half the range).
        int best = 0;
        for (int x = r.Left + 2; x < r.Right - 2; ++x) {
            const QColor c = image.pixelColor(o.x() + x, o.y() + r.Top);
            best = std::max(best, std::abs(c.red() - bg.red()) + std::abs(c.green() - bg.green()) +
                                      std::abs(c.blue() - bg.blue()));
        }
        EXPECT_GE(best, 3 * 128) << std::hex << sheet;
    }
    child<QPushButton>("ButtonCancelManual")->click();
}

TEST(CarriedOutlineColors, DashIsBlackOnLightAndWhiteOnDarkSheets) {
    const struct {
        platform::TColor Sheet, Dash;
    } cases[] = {{platform::clWhite, platform::clBlack}, {platform::clGray, platform::clBlack},
                 {platform::clYellow, platform::clBlack}, {platform::clSilver, platform::clBlack},
                 {platform::clBlack, platform::clWhite}, {platform::clNavy, platform::clWhite},
                 {platform::clMaroon, platform::clWhite}, {platform::clBlue, platform::clWhite}};
    for (const auto& c : cases) {
        EXPECT_EQ(CarriedOutlineColors(c.Sheet).Dash, c.Dash) << std::hex << c.Sheet;
        EXPECT_NE(CarriedOutlineColors(c.Sheet).Gap, c.Dash);
    }
}

TEST_F(WindowFitTest, CaptionsOfACaptionFileShowAtOnceOnEveryControl) {
    // Every key of the list gets a new text.
    const std::string file = dir_.File("all.cap");
    {
        std::ofstream out(file);
        out << "[CAPTION]\n";
        for (const TCaptionKey& k : CaptionKeys())
            if (k.Kind == TCaptionKind::Control || k.Kind == TCaptionKind::Menu)
                out << k.Key << "=Z" << k.Target << "\n";
    }
    core_.Captions.ReadCaptionFile(file);
    auto* settings = form_->findChild<TSettingsPageView*>();
    ASSERT_NE(settings, nullptr);
    settings->RefreshCaption();
    QApplication::processEvents();
    // The layout facts' titles among them.
    for (const char* name : {"LabelLayoutLabel", "LabelLayoutLength", "LabelLayoutUtilization",
                             "LabelLayoutWaste", "LabelLayoutArea", "LabelPartsInLayout"}) {
        auto* l = child<QLabel>(name);
        ASSERT_NE(l, nullptr) << name;
        EXPECT_EQ(l->text().toStdString(), "Z" + std::string(name));
    }
    // Whatever the store holds a caption for and the window shows, shows it.
    int checked = 0;
    for (const std::string& name : core_.Captions.ControlNames()) {
        const std::string caption = PlainCaptionText(core_.Captions.ShownCaption(name));
        if (caption.empty()) continue;
        const QString qname = QString::fromStdString(name);
        for (QAction* a : form_->findChildren<QAction*>(qname)) {
            ++checked;
            EXPECT_EQ(PlainCaptionText(a->text().toStdString()), caption) << name;
        }
        for (QWidget* w : form_->findChildren<QWidget*>(qname)) {
            QString shown;
            if (auto* b = qobject_cast<QAbstractButton*>(w)) shown = b->text();
            else if (auto* g = qobject_cast<QGroupBox*>(w)) shown = g->title();
            else if (auto* l = qobject_cast<QLabel*>(w); l) {
                ++checked;  // a label shows the plain text
                EXPECT_EQ(l->text().toStdString(), caption) << name;
                continue;
            } else {
                continue;
            }
            ++checked;
            EXPECT_EQ(PlainCaptionText(shown.toStdString()), caption) << name;
        }
    }
    EXPECT_GT(checked, 100);
    for (QAction* a : form_->MenuEdit()->actions())
        EXPECT_EQ(a->text().toStdString().substr(0, 1), "Z");
}

TEST_F(WindowFitTest, TheParameterGridHasANameAndAValueColumn) {
    form_->ShowPage(TSDIAppForm::TPage::AnyShape);
    TGridView* para = form_->StringGridStandardPara();
    ASSERT_EQ(para->model()->columnCount(), 2);
    EXPECT_EQ(para->model()->headerData(0, Qt::Horizontal).toString().toStdString(),
              StandardProfileVarNameCaption);
    EXPECT_EQ(para->model()->headerData(1, Qt::Horizontal).toString().toStdString(),
              StandardProfileValueCaption);
    const QModelIndex name = para->model()->index(0, 0), value = para->model()->index(0, 1);
    EXPECT_FALSE(para->model()->flags(name).testFlag(Qt::ItemIsEditable));
    EXPECT_TRUE(para->model()->flags(value).testFlag(Qt::ItemIsEditable));
    EXPECT_FALSE(para->model()->setData(name, "X", Qt::EditRole));
    EXPECT_EQ(para->model()->data(name, Qt::DisplayRole).toString(), "A");
}

// The window over an empty job.
class BareWindowTest : public WindowTest {};

TEST_F(BareWindowTest, ClickThenTypeReplacesTheCellAndNoKeyIsLost) {
    form->resize(1000, 700);
    form->show();
    form->activateWindow();
    QApplication::processEvents();
    TGridView* grid = form->StringGridSheets();
    Type(grid, SheetCol::Length, 1, "2440");
    const auto at = [grid](int col, int row) {
        return grid->visualRect(grid->model()->index(row - 1, col - grid->GridModel()->FirstColumn())).center();
    };
    const auto cell = [grid](int col, int row) { return grid->Grid().Cell(col, row); };
    // A click, a second click, then typing at once.
    ClickAt(grid->viewport(), at(SheetCol::Length, 1));
    ClickAt(grid->viewport(), at(SheetCol::Length, 1));
    TypeKeys("1800");
    Key(Qt::Key_Return);
    EXPECT_EQ(cell(SheetCol::Length, 1), "1800");
    // Typing straight after a click on another cell: every key arrives.
    ClickAt(grid->viewport(), at(SheetCol::Label, 2));
    TypeKeys("PLY");
    Key(Qt::Key_Return);
    EXPECT_EQ(cell(SheetCol::Label, 2), "PLY");
    // F2 selects the whole text, which the next key replaces.
    grid->SetCurrentCell({SheetCol::Label, 2});
    grid->setFocus();
    QApplication::processEvents();
    Key(Qt::Key_F2);
    auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->selectedText(), "PLY");
    TypeKeys("MDF");
    Key(Qt::Key_Return);
    EXPECT_EQ(cell(SheetCol::Label, 2), "MDF");
}

TEST_F(BareWindowTest, TheEditMenuCutsCopiesAndPastesTheCurrentCell) {
    form->show();
    form->activateWindow();
    TGridView* grid = form->StringGridParts();
    Type(grid, PartCol::Label, 1, "DOOR");
    form->ShowPage(TSDIAppForm::TPage::Parts);
    grid->SetCurrentCell({PartCol::Label, 1});
    grid->setFocus();
    QApplication::processEvents();
    form->CopyItemExecute();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "DOOR");
    grid->SetCurrentCell({PartCol::Label, 2});
    form->PasteItemExecute();
    EXPECT_EQ(grid->Grid().Cell(PartCol::Label, 2), "DOOR");
    form->CutItemExecute();
    EXPECT_EQ(grid->Grid().Cell(PartCol::Label, 2), "");
    // A field takes the text at its cursor.
    auto* label = form->findChild<QLineEdit*>("EditSelectLabel");
    form->ShowPage(TSDIAppForm::TPage::AnyShape);
    label->setFocus();
    QApplication::processEvents();
    ASSERT_EQ(QApplication::focusWidget(), label);
    form->PasteItemExecute();
    EXPECT_EQ(label->text(), "DOOR");
}

TEST_F(BareWindowTest, TheWheelScrollsTheSettingsPageAndChangesOnlyAFocusedControl) {
    form->resize(kMinClientWidth, kMinClientHeight);
    form->show();
    form->activateWindow();
    form->ShowPage(TSDIAppForm::TPage::Setup);
    QApplication::processEvents();
    auto* edge = form->findChild<QComboBox*>("ColorBoxEdge");
    ASSERT_NE(edge, nullptr);
    QScrollArea* area = nullptr;
    for (QWidget* p = edge->parentWidget(); p && !area; p = p->parentWidget())
        area = qobject_cast<QScrollArea*>(p);
    ASSERT_NE(area, nullptr);
    const int index = edge->currentIndex();
    const auto wheel = [](QWidget* w, int delta) {
        const QPointF at(w->width() / 2.0, w->height() / 2.0);
        QWheelEvent e(at, w->mapToGlobal(at), {}, {0, delta}, Qt::NoButton, {}, Qt::NoScrollPhase, false);
        QApplication::sendEvent(w, &e);
    };
    form->StringGridSheets()->setFocus();
    area->verticalScrollBar()->setValue(0);
    wheel(edge, -120);
    EXPECT_EQ(edge->currentIndex(), index);
    ASSERT_GT(area->verticalScrollBar()->maximum(), 0);  // the page is higher than the window
    EXPECT_GT(area->verticalScrollBar()->value(), 0);
    edge->setFocus();
    wheel(edge, -120);
    EXPECT_NE(edge->currentIndex(), index);
}

TEST_F(WindowFitTest, OffcutSidesChangeTheKeptOffcutsAtOnce) {
    auto* sides = child<QComboBox>("ComboBoxBothOrEither");
    ASSERT_NE(sides, nullptr);
    sides->setCurrentIndex(1);
    emit sides->activated(1);
    EXPECT_FALSE(OffcutLenRotatable);
    EXPECT_EQ(core_.Page.ComboBoxBothOrEither, 1);
    sides->setCurrentIndex(0);
    emit sides->activated(0);
    EXPECT_TRUE(OffcutLenRotatable);
}

namespace {
// A pixel in about Color (lines may be smoothed).
bool Near(const QColor& A, const QColor& B) {
    return std::abs(A.red() - B.red()) + std::abs(A.green() - B.green()) + std::abs(A.blue() - B.blue()) < 120;
}
// Pixels of the widget in about Color.
int CountColor(QWidget* W, const QColor& Color) {
    const QImage image = W->grab().toImage();
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) n += Near(image.pixelColor(x, y), Color);
    return n;
}
}  // namespace

TEST_F(WindowFitTest, TheFreeShapePageShowsTheTemplateTheDxfOutlineAndTheWholePart) {
    form_->ShowPage(TSDIAppForm::TPage::AnyShape);
    QWidget* select = child<QWidget>("PaintBoxShowSelectShape");
    QWidget* preview = child<QWidget>("PaintBoxShowAnyShpe");
    ASSERT_TRUE(select && preview);
    QApplication::processEvents();
    EXPECT_GT(CountColor(select, Qt::black), 40);  // the template's outline
    // A right-angled triangle part: its preview shows all three sides.
    form_->ComboBoxStandShapeChange(1);
    WindowTest::TypeRow(form_->StringGridStandardPara(), 1, {"", "1000"});
    WindowTest::TypeRow(form_->StringGridStandardPara(), 2, {"", "600"});
    child<QLineEdit>("EditSelectLabel")->setText("TRI");
    child<QLineEdit>("EditSelectQty")->setText("1");
    const int row = ProfilePartList.Count() + 1;
    form_->ButtonAddAnyShapeClick();
    ASSERT_EQ(ProfilePartList.Count(), row);
    form_->StringGridAnyShape()->SetCurrentCell({0, row});
    QApplication::processEvents();
    const QImage part = preview->grab().toImage();
    const QColor parts = ToQColor(core_.Page.ColorBoxParts);
    int top = 0, left = 0, inside = 0;
    for (int d = 0; d < 8; ++d) {  // the sides along the box's top and left edges
        for (int x = 0; x < part.width(); ++x) top += part.pixelColor(x, d) == parts;
        for (int y = 0; y < part.height(); ++y) left += part.pixelColor(d, y) == parts;
    }
    for (int y = 10; y < part.height() - 10; ++y)
        for (int x = 10; x < part.width() - 10; ++x) inside += part.pixelColor(x, y) == parts;
    EXPECT_GT(top, 50);
    EXPECT_GT(left, 50);
    EXPECT_GT(inside, 50);  // the long side
    // An imported DXF outline stays shown while a part row is selected.
    const std::string dxf = dir_.File("plate.dxf");
    {
        std::ofstream out(dxf);
        for (const char* l : {"0", "SECTION", "2", "ENTITIES", "0", "LWPOLYLINE", "8", "CUT", "90", "4",
                              "70", "1", "10", "0", "20", "0", "10", "600", "20", "0", "10", "600", "20",
                              "400", "10", "0", "20", "400", "0", "ENDSEC", "0", "EOF"})
            out << l << "\r\n";
    }
    form_->FileDialog = [&](bool, const std::string&, const std::string&, const std::string&,
                            const std::string&) { return dxf; };
    form_->ButtonImportDXFClick();
    EXPECT_TRUE(sink_.Warnings.empty()) << (sink_.Warnings.empty() ? "" : sink_.Warnings.back());
    QApplication::processEvents();
    EXPECT_EQ(form_->StringGridAnyShape()->CurrentCell().Row, row);
    EXPECT_GT(CountColor(select, parts), 100);
}

TEST_F(BareWindowTest, TheLayoutsPageKeepsItsControlsShownAndDisabledDuringARun) {
    TypeRow(form->StringGridSheets(), 1, {"S1", "MDF", "2000", "1000", "3", "10"});
    TypeRow(form->StringGridParts(), 1, {"P1", "MDF", "600", "400", "R", "5", "5"});
    form->show();
    form->ShowPage(TSDIAppForm::TPage::Layout);
    QWidget* page = form->PageControl()->widget(static_cast<int>(TSDIAppForm::TPage::Layout));
    int checked = 0;
    QObject::connect(form.get(), &TSDIAppForm::RunningChanged, [&](bool running) {
        if (!running) return;
        EXPECT_TRUE(page->updatesEnabled());  // the page is drawn, greyed
        for (const char* name : {"ButtonManual", "ButtonDeleteLayout", "ComboBoxLayoutList", "ShowLabel",
                                 "LabelLayoutUtilization", "StringGridPartsInLayout"}) {
            QWidget* w = form->findChild<QWidget*>(name);
            ASSERT_NE(w, nullptr) << name;
            EXPECT_TRUE(w->isVisibleTo(page)) << name;
            EXPECT_FALSE(w->isEnabled()) << name;
            ++checked;
        }
    });
    form->StartOptimizeClick();
    ASSERT_TRUE(WaitForRunEnd(30000));
    EXPECT_EQ(checked, 6);
    EXPECT_TRUE(form->findChild<QWidget*>("ButtonManual")->isEnabled());
}
