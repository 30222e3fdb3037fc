#include "app/ui/settings_page.h"

#include <QAction>
#include <QBoxLayout>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSlider>
#include <QTabWidget>

#include "app/core/main_window.h"
#include "app/core/error_location.h"
#include "app/core/exit_save.h"
#include "app/core/layout_view.h"
#include "app/core/option_edits.h"
#include "app/core/option_file.h"
#include "app/core/option_reader.h"
#include "app/ui/layout_page.h"
#include "app/ui/qt_canvas.h"
#include "app/ui/rack_pages.h"
#include "app/ui/sdimain.h"
#include "app/ui/wheel_guard.h"
#include "engine/pubstr.h"
#include "platform/message_sink.h"

namespace {

using Page = TOptionPage;

// A one-line edit that reports a mouse click once it has handled the click
// itself (the press has placed the cursor by then).
class TClickEdit : public QLineEdit {
  public:
    using QLineEdit::QLineEdit;
    std::function<void()> OnClick;

  protected:
    void mouseReleaseEvent(QMouseEvent* Event) override {
        QLineEdit::mouseReleaseEvent(Event);
        if (Event->button() == Qt::LeftButton && OnClick) OnClick();
    }
};

// Captions of controls the caption files do not name.
struct FixedText {
    const char* Name;
    const char* Text;
};
constexpr FixedText kFixedTexts[] = {
    {"LabelSetupDecimal", "Decimals"},
    {"LabelSpeedXY", "XY Speed"},
    {"LabelSpeedZ", "Z Speed"},
    {"LabelGCodeN", "N Step"},
    {"LabelDXFFontSize", "DXF Font Size"},
    {"LabelBothOrEither", "Offcut Sides"},
    {"LabelFontLabel", "Label"},
    {"LabelFontDim", "Dimension"},
    {"LabelFontPosition", "Position"},
    {"LabelFontCutSeq", "Cut Sequence"},
    {"LabelPrinterFont", "Text"},
    {"GroupBoxOptimize", "Optimize"},
    {"GroupBoxSizes", "Sizes"},
    {"GroupBoxColors", "Colors"},
    {"GroupBoxRacks", "Racks"},
    {"LabelAutoPrinterZoom", "Zoom"},
};

QString Text(const TCaptionStore& Store, const char* Name) {
    std::string t = Store.Caption(Name);
    if (t.empty())
        for (const FixedText& f : kFixedTexts)
            if (std::string_view(f.Name) == Name) t = f.Text;
    return ToQString(t);
}

// Named colours of the colour boxes.
struct NamedColor {
    const char* Name;
    platform::TColor Color;
};
constexpr NamedColor kColors[] = {
    {"Black", platform::clBlack}, {"Maroon", platform::clMaroon},   {"Green", platform::clGreen},
    {"Olive", platform::clOlive}, {"Navy", platform::clNavy},       {"Purple", platform::clPurple},
    {"Teal", platform::clTeal},   {"Gray", platform::clGray},       {"Silver", platform::clSilver},
    {"Red", platform::clRed},     {"Lime", platform::clLime},       {"Yellow", platform::clYellow},
    {"Blue", platform::clBlue},   {"Fuchsia", platform::clFuchsia}, {"Aqua", platform::clAqua},
    {"White", platform::clWhite},
};

void SelectColor(QComboBox* Box, TOptionColor Color) {
    int i = Box->findData(Color);
    if (i < 0) {
        Box->addItem(QString("$%1").arg(Color, 8, 16, QChar('0')), Color);
        i = Box->count() - 1;
    }
    Box->setCurrentIndex(i);
}

}  // namespace

void ApplyCaptionsToWindow(TSDIAppForm& Form) {
    const TCaptionStore& s = Form.Core().Captions;
    QTabWidget* tabs = Form.PageControl();
    for (int i = 0; i < tabs->count(); ++i) {
        const std::string name = tabs->widget(i)->objectName().toStdString();
        if (s.Find(name)) tabs->setTabText(i, ToQString(s.Caption(name)));
    }
    Form.MenuFile()->setTitle(ToQString(s.Caption("File1")));
    Form.MenuEdit()->setTitle(ToQString(s.Caption("Edit1")));
    Form.MenuHelp()->setTitle(ToQString(s.Caption("Help1")));
    for (QAction* a : Form.findChildren<QAction*>()) {
        const TControlText* t = s.Find(a->objectName().toStdString());
        if (!t || a->objectName().isEmpty()) continue;
        if (!t->Caption.empty()) a->setText(ToQString(t->Caption));
        a->setToolTip(ToQString(t->Hint));
    }
    for (QWidget* w : Form.findChildren<QWidget*>()) {
        const std::string name = w->objectName().toStdString();
        const TControlText* t = s.Find(name);
        if (!t || name.empty()) continue;
        const std::string shown = s.ShownCaption(name);
        const QString caption = ToQString(shown);
        if (auto* b = qobject_cast<QAbstractButton*>(w)) {
            if (!t->Caption.empty()) b->setText(caption);
        } else if (auto* l = qobject_cast<QLabel*>(w)) {
            // A label takes "&" as a mnemonic only when it has a buddy.
            if (!t->Caption.empty()) l->setText(l->buddy() ? caption : ToQString(PlainCaptionText(shown)));
        } else if (auto* g = qobject_cast<QGroupBox*>(w)) {
            if (!t->Caption.empty()) g->setTitle(caption);
            // A radio group: its buttons take the items in order.
            const auto radios = g->findChildren<QRadioButton*>();
            for (int i = 0; i < radios.size() && i < static_cast<int>(t->Items.size()); ++i)
                radios[i]->setText(ToQString(t->Items[static_cast<std::size_t>(i)]));
        } else if (auto* c = qobject_cast<QComboBox*>(w); c && !t->Items.empty()) {
            const int chosen = c->currentIndex();
            const QSignalBlocker block(c);
            c->clear();
            for (const std::string& item : t->Items) c->addItem(ToQString(item));
            c->setCurrentIndex(chosen);
        }
        if (!t->Hint.empty()) w->setToolTip(ToQString(t->Hint));
    }
}

TSettingsPageView::TSettingsPageView(TSDIAppForm& Form) : QObject(&Form), form_(Form) {
    Build();
    LoadFromData();
    connect(&Form, &TSDIAppForm::GridsReloaded, this, [this] { LoadFromData(); });
    connect(&Form, &TSDIAppForm::RunningChanged, this, [this](bool Running) {
        form_.PageControl()
            ->widget(static_cast<int>(TSDIAppForm::TPage::Setup))
            ->setEnabled(!Running);
    });
}

void TSettingsPageView::Build() {
    TMainWindowCore& core = form_.Core();
    TOptionPage& page = core.Page;
    QWidget* tab = form_.PageControl()->widget(static_cast<int>(TSDIAppForm::TPage::Setup));
    auto* scroll = new QScrollArea(tab);
    scroll->setWidgetResizable(true);
    auto* content = new QWidget(scroll);
    auto* columns = new QHBoxLayout(content);
    scroll->setWidget(content);
    form_.PageBody(TSDIAppForm::TPage::Setup)->addWidget(scroll);

    auto* save = new QPushButton(Text(core.Captions, "ButtonSaveOptions"), tab);
    save->setObjectName("ButtonSaveOptions");
    connect(save, &QPushButton::clicked, this, [this] { ButtonSaveOptionsClick(); });
    form_.PageTools(TSDIAppForm::TPage::Setup)->addWidget(save);
    form_.PageTools(TSDIAppForm::TPage::Setup)->addStretch(1);

    auto group = [&](QBoxLayout* Column, const char* Name) {
        auto* g = new QGroupBox(Text(core.Captions, Name), content);
        g->setObjectName(Name);
        auto* form = new QFormLayout(g);
        Column->addWidget(g);
        return form;
    };
    auto label = [&](const char* Name) {
        auto* l = new QLabel(Text(core.Captions, Name));
        l->setObjectName(Name);
        return l;
    };
    auto edit = [&](QFormLayout* F, const char* LabelName, const char* Name,
                    std::string Page::*Field) {
        auto* e = new QLineEdit;
        e->setObjectName(Name);
        F->addRow(label(LabelName), e);
        connect(e, &QLineEdit::textEdited, this,
                [&page, Field](const QString& T) { page.*Field = FromQString(T); });
        loaders_.push_back([e, &page, Field] { e->setText(ToQString(page.*Field)); });
        return e;
    };
    auto check = [&](QFormLayout* F, const char* Name, bool Page::*Field,
                     std::function<void()> After = {}) {
        auto* c = new QCheckBox(Text(core.Captions, Name));
        c->setObjectName(Name);
        F->addRow(c);
        connect(c, &QCheckBox::toggled, this, [this, &page, Field, After](bool On) {
            page.*Field = On;
            if (After && !loading_) After();
        });
        loaders_.push_back([c, &page, Field] { c->setChecked(page.*Field); });
        return c;
    };
    auto combo = [&](QFormLayout* F, const char* LabelName, const char* Name, int Page::*Field) {
        auto* c = new QComboBox;
        c->setObjectName(Name);
        for (const std::string& item : core.Captions.Items(Name)) c->addItem(ToQString(item));
        F->addRow(label(LabelName), c);
        connect(c, &QComboBox::currentIndexChanged, this, [this, &page, Field](int I) {
            if (!loading_ && I >= 0) page.*Field = I;
        });
        loaders_.push_back([c, &page, Field] { c->setCurrentIndex(page.*Field); });
    };

    auto* left = new QVBoxLayout;
    auto* middle = new QVBoxLayout;
    auto* right = new QVBoxLayout;
    columns->addLayout(left);
    columns->addLayout(middle);
    columns->addLayout(right);

    // Optimisation.
    QFormLayout* opt = group(left, "GroupBoxOptimize");
    {
        auto* box = new QGroupBox(Text(core.Captions, "RadioGroupCutMode"));
        box->setObjectName("RadioGroupCutMode");
        auto* lay = new QVBoxLayout(box);
        auto* buttons = new QButtonGroup(box);
        const auto items = core.Captions.Items("RadioGroupCutMode");
        for (int i = 0; i < static_cast<int>(items.size()); ++i) {
            auto* r = new QRadioButton(ToQString(items[static_cast<std::size_t>(i)]), box);
            buttons->addButton(r, i);
            lay->addWidget(r);
        }
        // The mode changes at once: the layout view shows it.
        connect(buttons, &QButtonGroup::idClicked, this, [this, &page](int Id) {
            RadioGroupCutModeClick(page, Id);
            if (TLayoutPage* layout = FindLayoutPage(form_)) layout->ShowScheme();
        });
        loaders_.push_back([buttons, &page] {
            if (QAbstractButton* b = buttons->button(page.RadioGroupCutMode)) b->setChecked(true);
        });
        opt->addRow(box);
    }
    check(opt, "CheckBoxFastSpeed", &Page::CheckBoxFastSpeed);
    check(opt, "CheckBoxCostOptimize", &Page::CheckBoxCostOptimize);
    check(opt, "CheckBoxOrderOptimize", &Page::CheckBoxOrderOptimize,
          [&page] { CheckBoxOrderOptimizeClick(page, page.CheckBoxOrderOptimize); });
    {
        auto* speed = new QSlider(Qt::Horizontal);
        speed->setObjectName("TrackBarSpeed");
        speed->setRange(kTrackBarSpeedMin, kTrackBarSpeedMax);
        opt->addRow(label("LabelOptimizeSpeedTrackbar"));
        opt->addRow(speed);
        connect(speed, &QSlider::valueChanged, this,
                [&page](int V) { OnChangeOptimizeSpeedTrackbar(page, V); });
        loaders_.push_back([speed, &page] { speed->setValue(page.TrackBarSpeed); });
    }

    // Sizes and scrap.
    QFormLayout* sizes = group(left, "GroupBoxSizes");
    edit(sizes, "LabelSetupMeasure", "EditMeasure", &Page::EditMeasure);
    edit(sizes, "LabelSetupDecimal", "EditDecimal", &Page::EditDecimal)->setEnabled(false);
    edit(sizes, "LabelSetupBladeWidth", "EditBladeWidth", &Page::EditBladeWidth);
    edit(sizes, "LabelSetupLengthEdge", "EditHeightEdige", &Page::EditHeightEdige);
    edit(sizes, "LabelSetupWidthEdge", "EditWidthEdge", &Page::EditWidthEdge);
    QFormLayout* scrap = group(left, "GroupBoxScrap");
    for (const bool width : {false, true}) {
        QLineEdit* e =
            width ? edit(scrap, "LabelSetupMinScrap2", "EditMinOffcutLength2",
                         &Page::EditMinOffcutLength2)
                  : edit(scrap, "LabelSetupMinScrap1", "EditMinOffcutLength1",
                         &Page::EditMinOffcutLength1);
        connect(e, &QLineEdit::editingFinished, this,
                [this, e, width] { MinOffcutEditExit(e, width); });
    }
    combo(scrap, "LabelBothOrEither", "ComboBoxBothOrEither", &Page::ComboBoxBothOrEither);
    if (auto* sides = form_.findChild<QComboBox*>("ComboBoxBothOrEither"))
        connect(sides, &QComboBox::activated, this, [this](int I) {
            // Which offcuts are kept changes at once: the view shows it.
            OnChangeOffcutsrotatable(form_.Core().Page, I);
            if (TLayoutPage* layout = FindLayoutPage(form_)) layout->ShowScheme();
        });
    edit(scrap, "LabeledEditOffcutsPrefix", "EditOffcutsPrefix", &Page::LabeledEditOffcutsPrefix);
    left->addStretch(1);

    // Printer.
    QFormLayout* printer = group(middle, "GroupBoxSettingsPrinter");
    const struct {
        const char* Label;
        const char* SizeName;
        std::string Page::*Size;
        const char* FontName;
        std::string Page::*Font;
    } fonts[] = {
        {"LabelPrinterFont", "EditPrinterFontSize", &Page::EditPrinterFontSize,
         "EditPrinterFontName", &Page::EditPrinterFontName},
        {"LabelFontLabel", "EditFontLabelSize", &Page::EditFontLabelSize, "EditFontLabel",
         &Page::EditFontLabel},
        {"LabelFontDim", "EditFontDimSize", &Page::EditFontDimSize, "EditFontDim",
         &Page::EditFontDim},
        {"LabelFontPosition", "EditFontPositionSize", &Page::EditFontPositionSize,
         "EditFontPosition", &Page::EditFontPosition},
        {"LabelFontCutSeq", "EditFontCutSeqSize", &Page::EditFontCutSeqSize, "EditFontCutSeq",
         &Page::EditFontCutSeq},
    };
    printer->addRow(label("LabelSetupPrinterFont"), label("LabelPrinterFontName"));
    for (const auto& f : fonts) {
        auto* size = new QLineEdit;
        size->setObjectName(f.SizeName);
        size->setMaximumWidth(50);
        auto* name = new QLineEdit;
        name->setObjectName(f.FontName);
        name->setMinimumWidth(100);  // the page scrolls rather than hide the font's name
        auto* row = new QHBoxLayout;
        row->addWidget(size);
        row->addWidget(name, 1);
        printer->addRow(label(f.Label), row);
        for (auto [e, field] : {std::pair{size, f.Size}, std::pair{name, f.Font}}) {
            connect(e, &QLineEdit::textEdited, this,
                    [&page, field = field](const QString& T) { page.*field = FromQString(T); });
            loaders_.push_back([e = e, &page, field = field] { e->setText(ToQString(page.*field)); });
        }
    }
    QCheckBox* scale =
        check(printer, "CheckBoxAutoPrinterSetupFont", &Page::CheckBoxAutoPrinterSetupFont);
    auto* zoom = new QScrollBar(Qt::Horizontal);
    zoom->setObjectName("ScrollBarAutoPrinterSetupSize");
    zoom->setRange(kAutoPrinterZoomMin, kAutoPrinterZoomMax);
    printer->addRow(label("LabelAutoPrinterZoom"), zoom);
    connect(zoom, &QScrollBar::valueChanged, this, [&page](int V) {
        page.ScrollBarAutoPrinterSetupSize = V;
        AutoPrinterFontZoom = V;
    });
    connect(scale, &QCheckBox::toggled, this, [&page, zoom](bool On) {
        CheckAutoPrinterSetupFontSize(page, On);
        zoom->setEnabled(page.ZoomBarEnabled());
    });
    loaders_.push_back([zoom, &page] {
        zoom->setValue(page.ScrollBarAutoPrinterSetupSize);
        zoom->setEnabled(page.ZoomBarEnabled());
    });
    edit(printer, "LabelPrintTitle", "EditPrintTitle", &Page::EditPrintTitle);

    // Colours of the layout view.
    QFormLayout* colors = group(middle, "GroupBoxColors");
    const struct {
        const char* Label;
        const char* Name;
        TOptionColor Page::*Field;
    } colorBoxes[] = {
        {"LabelSetupSheetColor", "ColorBoxSheets", &Page::ColorBoxSheets},
        {"LabelSetupPartsColor", "ColorBoxParts", &Page::ColorBoxParts},
        {"LabelSetupEdgeColor", "ColorBoxEdge", &Page::ColorBoxEdge},
        {"LabelOffcutsColor", "ColorBoxOffcuts", &Page::ColorBoxOffcuts},
    };
    for (const auto& c : colorBoxes) {
        auto* box = new QComboBox;
        box->setObjectName(c.Name);
        for (const NamedColor& n : kColors) {
            QPixmap swatch(12, 12);
            swatch.fill(ToQColor(n.Color));
            box->addItem(QIcon(swatch), n.Name, n.Color);
        }
        colors->addRow(label(c.Label), box);
        const auto field = c.Field;
        connect(box, &QComboBox::currentIndexChanged, this, [this, box, &page, field](int I) {
            if (!loading_ && I >= 0) page.*field = box->itemData(I).toInt();
        });
        loaders_.push_back([box, &page, field] { SelectColor(box, page.*field); });
    }
    middle->addStretch(1);

    // G-code and DXF.
    QFormLayout* gcode = group(right, "GroupBoxGCode");
    QCheckBox* zAxis = check(gcode, "CheckBoxZAxis", &Page::CheckBoxZAxis,
                             [&page] { CheckBoxZAxisClick(page, page.CheckBoxZAxis); });
    QLineEdit* depth = edit(gcode, "LabelDrillDepth", "EditDrillDepth", &Page::EditDrillDepth);
    QLineEdit* safety =
        edit(gcode, "LabelSafetyHeigth", "EditSafetyHeigth", &Page::EditSafetyHeigth);
    for (const bool safe : {false, true}) {
        QLineEdit* e = safe ? safety : depth;
        connect(e, &QLineEdit::editingFinished, this, [this, e, safe] {
            CheckedEditExit(e, [safe](const std::string& Text, TErrorLocation& Error) {
                return GCodeDepthEditDone(Text, safe, Error);
            });
        });
    }
    auto drills = [depth, safety, &page] {
        depth->setEnabled(page.DrillEditsEnabled());
        safety->setEnabled(page.DrillEditsEnabled());
    };
    connect(zAxis, &QCheckBox::toggled, this, drills);
    loaders_.push_back(drills);
    // XY Speed, Z Speed and N Step are kept in the option file but not shown.
    for (QLineEdit* hidden :
         {edit(gcode, "LabelSpeedXY", "LabeledEditSpeedXY", &Page::LabeledEditSpeedXY),
          edit(gcode, "LabelSpeedZ", "LabeledEditSpeedZ", &Page::LabeledEditSpeedZ),
          edit(gcode, "LabelGCodeN", "LabeledEditGCodeN", &Page::LabeledEditGCodeN)})
        gcode->setRowVisible(hidden, false);
    edit(gcode, "LabelDXFFontSize", "lbledtDXFFontSize", &Page::lbledtDXFFontSize);

    // Racks.
    QFormLayout* racks = group(right, "GroupBoxRacks");
    check(racks, "CheckBoxDisableOffcutsRack", &Page::CheckBoxDisableOffcutsRack,
          [this] { ShowRackPages(); });
    check(racks, "CheckBoxDisablePartsRack", &Page::CheckBoxDisablePartsRack,
          [this] { ShowRackPages(); });
    loaders_.push_back([this] { ShowRackPages(); });

    right->addWidget(BuildCaptionEditor());
    right->addStretch(1);
    ScrollPageOnWheel(scroll);
}

QWidget* TSettingsPageView::BuildCaptionEditor() {
    const TCaptionStore& s = form_.Core().Captions;
    auto* holder = new QWidget;
    auto* lay = new QVBoxLayout(holder);
    lay->setContentsMargins(0, 0, 0, 0);
    auto* custom = new QCheckBox("Custom Captions", holder);
    custom->setObjectName("CheckBoxCustomCaption");
    lay->addWidget(custom);
    auto* box = new QGroupBox("Custom ANY Language && Captions", holder);
    box->setObjectName("GroupBoxSetupCaption");
    box->setVisible(false);
    lay->addWidget(box);
    connect(custom, &QCheckBox::toggled, this, [this, box](bool On) {
        editor_.CheckBoxCustomCaption = On;
        box->setVisible(editor_.GroupBoxSetupCaptionVisible());
    });

    auto* form = new QFormLayout(box);
    captionList_ = new QComboBox(box);
    captionList_->setObjectName("ComboBoxInterfaceCaption");
    captionList_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    for (const TCaptionEditorItem& item : CaptionEditorItems())
        captionList_->addItem(ToQString(item.Text));
    captionList_->setCurrentIndex(-1);
    form->addRow(captionList_);
    // A field whose click goes to the editor's handler, then shows the
    // selection it made.
    const auto clickEdit = [this, box](const char* name, void (TCaptionEditor::*onClick)()) {
        auto* edit = new TClickEdit(box);
        edit->setObjectName(name);
        edit->OnClick = [this, onClick] {
            (editor_.*onClick)();
            ShowSelection();
        };
        return edit;
    };
    captionEdit_ = clickEdit("EditModifyCaption", &TCaptionEditor::OnClickEditCaption);
    hintEdit_ = clickEdit("EditModifyHint", &TCaptionEditor::OnClickEditHint);
    form->addRow(captionEdit_);
    form->addRow(hintEdit_);
    connect(captionList_, &QComboBox::activated, this,
            [this](int I) { ComboBoxInterfaceCaptionChange(I); });
    connect(captionEdit_, &QLineEdit::textEdited, this,
            [this](const QString& T) { editor_.EditModifyCaption = FromQString(T); });
    connect(hintEdit_, &QLineEdit::textEdited, this,
            [this](const QString& T) { editor_.EditModifyHint = FromQString(T); });

    const struct {
        const char* Name;
        const char* Text;
        void (TSettingsPageView::*Click)();
    } buttons[] = {
        {"ButtonLoadCaption", "Load Caption file", &TSettingsPageView::ButtonLoadCaptionClick},
        {"ButtonSaveCaption", "Save Caption file", &TSettingsPageView::ButtonSaveCaptionClick},
        {"ButtonConfirmCaption", "Confirm", &TSettingsPageView::ButtonConfirmCaptionClick},
        {"ButtonSetAsDefaultCaption", "Set As Default",
         &TSettingsPageView::ButtonSetAsDefaultCaptionClick},
    };
    auto* row = new QGridLayout;
    int i = 0;
    for (const auto& b : buttons) {
        auto* button = new QPushButton(b.Text, box);
        button->setObjectName(b.Name);
        const auto click = b.Click;
        connect(button, &QPushButton::clicked, this, [this, click] { (this->*click)(); });
        row->addWidget(button, i / 2, i % 2);
        ++i;
    }
    form->addRow(row);
    (void)s;
    return holder;
}

void TSettingsPageView::MinOffcutEditExit(QLineEdit* Edit, bool Width) {
    CheckedEditExit(Edit, [Width](const std::string& Text, TErrorLocation& Error) {
        return MinOffcutEditDone(Text, Width, Error);
    });
}

void TSettingsPageView::CheckedEditExit(
    QLineEdit* Edit, const std::function<bool(const std::string&, TErrorLocation&)>& Check) {
    // The box takes the focus from the edit, which ends its editing once more.
    if (checkingEdit_) return;
    checkingEdit_ = true;
    TErrorLocation error;
    if (!Check(FromQString(Edit->text()), error)) {
        platform::CurrentMessageSink().Warning(error.Message);
        form_.ShowErrorLocation(error);
    }
    checkingEdit_ = false;
}

void TSettingsPageView::LoadFromData() {
    loading_ = true;
    for (const auto& load : loaders_) load();
    loading_ = false;
}

void TSettingsPageView::ShowRackPages() {
    const TOptionPage& page = form_.Core().Page;
    DisableOffcutsRack = page.CheckBoxDisableOffcutsRack;
    DisablePartsRack = page.CheckBoxDisablePartsRack;
    form_.PageControl()->setTabVisible(static_cast<int>(TSDIAppForm::TPage::Offcuts),
                                       page.OffcutsPageVisible());
    form_.PageControl()->setTabVisible(static_cast<int>(TSDIAppForm::TPage::PartHarp),
                                       page.PartsRackPageVisible());
    // The rack buttons of the stock update follow their racks.
    if (auto* stock = form_.findChild<TStockUpdateView*>()) stock->UpdateEnabling();
}

void TSettingsPageView::ButtonSaveOptionsClick() {
    form_.StoreWindowState();
    try {
        ::ButtonSaveOptionsClick(form_.Core());
    } catch (const std::exception& e) {
        platform::CurrentMessageSink().Warning("[" + std::string(e.what()) + "]" + MsgCantOpenFile);
    }
}

void TSettingsPageView::ShowEditor() {
    captionEdit_->setText(ToQString(editor_.EditModifyCaption));
    hintEdit_->setText(ToQString(editor_.EditModifyHint));
    captionEdit_->setVisible(editor_.CaptionEditVisible);
    hintEdit_->setVisible(editor_.HintEditVisible);
}

void TSettingsPageView::ShowSelection() {
    using F = TCaptionEditor::TField;
    if (editor_.SelectedWhole == F::Caption) captionEdit_->selectAll();
    if (editor_.SelectedWhole == F::Hint) hintEdit_->selectAll();
}

void TSettingsPageView::ComboBoxInterfaceCaptionChange(int Index) {
    editor_.ComboBoxInterfaceCaption = Index;
    form_.Core().Captions.ComboBoxInterfaceCaptionChange(editor_);
    ShowEditor();
}

void TSettingsPageView::ButtonConfirmCaptionClick() {
    form_.Core().Captions.ButtonConfirmCaptionClick(editor_);
    RefreshCaption();
}

void TSettingsPageView::ButtonLoadCaptionClick() {
    const std::string file = ChooseFile(&form_, false, MsgOpenFileTitle, MsgOpenFileTitle + "(*.cap)", AppDir, "cap");
    if (file.empty()) return;
    form_.Core().Captions.ReadCaptionFile(file);
    RefreshCaption();
}

void TSettingsPageView::ButtonSaveCaptionClick() {
    const std::string file = ChooseFile(&form_, true, MsgSaveAsFileTitle, MsgSaveAsFileTitle + "(*.cap)", AppDir, "cap");
    if (file.empty()) return;
    try {
        form_.Core().Captions.WriteCaptionFile(file);
    } catch (const std::exception& e) {
        platform::CurrentMessageSink().Warning(e.what());
    }
}

void TSettingsPageView::ButtonSetAsDefaultCaptionClick() {
    try {
        form_.Core().Captions.ButtonSetAsDefaultCaptionClick();
    } catch (const std::exception& e) {
        platform::CurrentMessageSink().Warning(e.what());
    }
}

void TSettingsPageView::RefreshCaption() {
    TMainWindowCore& core = form_.Core();
    core.Data.RefreshGridTitles(GridTitleWords(core.Captions));
    ApplyCaptionsToWindow(form_);
    form_.NotifyGridsReloaded();
    // The titles of the parts-in-layout grid.
    if (TLayoutPage* layout = FindLayoutPage(form_)) layout->ShowScheme();
}
