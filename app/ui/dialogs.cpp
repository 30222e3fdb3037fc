#include "app/ui/dialogs.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDialog>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QTableView>
#include <QTimer>
#include <algorithm>
#include <array>
#include <functional>

#include "app/core/about_box.h"
#include "app/core/captions.h"
#include "app/core/edge_types_dialog.h"
#include "app/core/exit_save.h"
#include "app/core/main_window.h"
#include "app/core/material_types.h"
#include "app/core/window_geometry.h"
#include "app/ui/edge_types_picture.h"
#include "app/ui/grid_model.h"
#include "app/ui/printing.h"
#include "app/ui/program_icon.h"
#include "app/ui/qt_canvas.h"
#include "app/ui/sdimain.h"
#include "engine/partedge.h"
#include "engine/pubstr.h"
#include "platform/message_sink.h"

namespace {

QPushButton* AddButton(QBoxLayout* into, QWidget* parent, const char* name, const std::string& text) {
    auto* b = new QPushButton(ToQString(text), parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    into->addWidget(b);
    return b;
}

// A label whose text, when longer than the room it is given, is shown with a
// part left out ("..."), whole in the tooltip, so that a long text (a deep
// folder's path, a long caption) never widens its dialog beyond the screen.
// Tail, when the text ends with it, is always shown whole (the side a
// caption is about).
class TShortenedLabel : public QLabel {
  public:
    TShortenedLabel(const QString& Text, Qt::TextElideMode Mode, QWidget* Parent, QString Tail = {})
        : QLabel(Text, Parent),
          mode_(Mode),
          tail_(Text.endsWith(Tail) ? std::move(Tail) : QString()) {
        setTextFormat(Qt::PlainText);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    }

    // The text as it is shown in the label's present width.
    QString ShownText() const {
        const QFontMetrics fm = fontMetrics();
        const int room = contentsRect().width();
        if (tail_.isEmpty() || fm.horizontalAdvance(text()) <= room)
            return fm.elidedText(text(), mode_, room);
        const QString head = text().left(text().size() - tail_.size());
        return fm.elidedText(head, mode_, std::max(room - fm.horizontalAdvance(tail_), 0)) + tail_;
    }

    QSize sizeHint() const override {
        const QSize whole = QLabel::sizeHint();
        return {std::min(whole.width(), fontMetrics().averageCharWidth() * kWidestChars),
                whole.height()};
    }
    QSize minimumSizeHint() const override {
        const QSize whole = QLabel::minimumSizeHint();
        return {std::min(whole.width(), fontMetrics().averageCharWidth() * kNarrowestChars),
                whole.height()};
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setPen(palette().color(QPalette::WindowText));
        painter.setFont(font());
        painter.drawText(contentsRect(), static_cast<int>(alignment()), ShownText());
    }
    void resizeEvent(QResizeEvent* Event) override {
        QLabel::resizeEvent(Event);
        setToolTip(ShownText() == text() ? QString() : text());
    }

  private:
    static constexpr int kWidestChars = 60, kNarrowestChars = 12;
    Qt::TextElideMode mode_;
    QString tail_;
};

}  // namespace

// Material types: the dialog's list mirrors the core's check list.
void ShowMaterialTypesDialog(TSDIAppForm& form) {
    TComboChoice& combo = form.Core().Page.ComboBoxTypeSelect;
    TypeListFromComboItems(combo.Items);
    TMaterialTypeDialog d;
    d.Activate();

    QDialog dialog(&form);
    dialog.setObjectName("FormSetupTypeString");
    dialog.setWindowTitle(ToQString(form.Core().Captions.Caption("ButtonTypeSetup")));
    auto* layout = new QHBoxLayout(&dialog);
    auto* left = new QVBoxLayout;
    left->addWidget(new QLabel(ToQString(form.Core().Captions.Caption("GroupBoxMaterialType")), &dialog));
    auto* edit = new QLineEdit(&dialog);
    edit->setObjectName("EditTypeString");
    left->addWidget(edit);
    auto* list = new QListWidget(&dialog);
    list->setObjectName("CheckListBoxMaterialType");
    left->addWidget(list, 1);
    layout->addLayout(left, 1);
    auto* buttons = new QVBoxLayout;
    layout->addLayout(buttons);

    bool filling = false;
    const auto fill = [&] {
        filling = true;
        list->clear();
        for (const TTypeItem& item : d.Items) {
            auto* w = new QListWidgetItem(ToQString(item.Text), list);
            w->setFlags(w->flags() | Qt::ItemIsUserCheckable);
            w->setCheckState(item.Checked ? Qt::Checked : Qt::Unchecked);
        }
        list->setCurrentRow(d.ItemIndex);
        filling = false;
    };
    QObject::connect(list, &QListWidget::itemChanged, &dialog, [&](QListWidgetItem* w) {
        if (filling) return;
        const int i = list->row(w);
        if (i >= 0 && i < static_cast<int>(d.Items.size())) d.Items[i].Checked = w->checkState() == Qt::Checked;
    });
    QObject::connect(list, &QListWidget::currentRowChanged, &dialog, [&](int row) {
        if (filling) return;
        d.ItemIndex = row;
        if (row < 0) return;
        d.EditTypeString = d.Items[static_cast<std::size_t>(row)].Text;  // shown, not yet edited
        edit->setText(ToQString(d.EditTypeString));
    });
    const auto command = [&](const char* name, const std::string& text, void (TMaterialTypeDialog::*f)()) {
        QObject::connect(AddButton(buttons, &dialog, name, text), &QPushButton::clicked, &dialog, [&, f] {
            d.EditTypeString = FromQString(edit->text(), d.EditTypeString);
            (d.*f)();
            fill();
        });
    };
    command("ButtonAddGlassType", AddMaterialTypeCaption, &TMaterialTypeDialog::AddClick);
    command("ButtonModifyGlassType", ModifyMaterialTypeCaption, &TMaterialTypeDialog::ModifyClick);
    command("ButtonDeleteGlassType", DeleteMaterialTypeCaption, &TMaterialTypeDialog::DeleteClick);
    command("ButtonRemoveAllGlassType", RemoveAllMaterialTypeCaption, &TMaterialTypeDialog::RemoveAllClick);
    QObject::connect(AddButton(buttons, &dialog, "ButtonSaveTypeList", SaveMaterialTypeCaption),
                     &QPushButton::clicked, &dialog, [&] {
                         try {
                             d.SaveClick();
                         } catch (const std::exception& e) {
                             platform::CurrentMessageSink().Warning(std::string("[") + e.what() + "]");
                         }
                         dialog.accept();
                     });
    QObject::connect(AddButton(buttons, &dialog, "ButtonCloseTypeSetup", ConfirmDataCaption),
                     &QPushButton::clicked, &dialog, [&] {
                         d.CloseClick();
                         dialog.accept();
                     });
    buttons->addStretch(1);
    fill();
    if (dialog.exec() != QDialog::Accepted) return;  // closed by its frame: nothing changes
    combo.Items = TypeComboItems(&d);
    combo.Select(combo.ItemIndex >= 0 && combo.ItemIndex < static_cast<int>(combo.Items.size())
                     ? combo.ItemIndex
                     : 0);
}

void TSDIAppForm::ButtonTypeSetupClick() { ShowMaterialTypesDialog(*this); }

// Edge types.
bool ShowEdgeTypesDialog(TSDIAppForm& form) {
    TEdgeTypesDialog d;
    d.Fill();
    QDialog dialog(&form);
    dialog.setObjectName("FormGrindgingAndBand");
    dialog.setWindowTitle(ToQString(EdgeTypesDialogCaption(form.Core().Captions)));
    auto* layout = new QVBoxLayout(&dialog);
    auto* table = new QTableView(&dialog);
    table->setObjectName("StringGridGrindingAndBand");
    auto* model = new TStringGridModel(d.Grid, table);
    model->SetReadOnly(true);
    table->setModel(model);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->horizontalHeader()->setDefaultSectionSize(70);
    layout->addWidget(table, 1);

    static constexpr const char* kEditNames[EdgeCol::Count] = {
        "LabeledEditGBLabel", "LabeledEditBT", "LabeledEditBB", "LabeledEditBL", "LabeledEditBR",
        "LabeledEditGT",      "LabeledEditGB", "LabeledEditGL", "LabeledEditGR"};
    static constexpr const char* kSides[EdgeCol::Count] = {
        "", " top", " bottom", " left", " right", " top", " bottom", " left", " right"};
    std::string titles[EdgeCol::Count];
    for (int c = 0; c < EdgeCol::Count; ++c)
        titles[c] = (c == 0             ? BandAndGrindingLabelCaption + " "
                     : c <= EdgeCol::BR ? BandCaption
                                        : GrindingCaption) +
                    kSides[c];
    std::array<QLineEdit*, EdgeCol::Count> edits{};
    auto* grid = new QGridLayout;
    for (int c = 0; c < EdgeCol::Count; ++c) {
        edits[c] = new QLineEdit(&dialog);
        edits[c]->setObjectName(kEditNames[c]);
        const int row = c == 0 ? 0 : 1 + (c - 1) / 4, col = c == 0 ? 0 : (c - 1) % 4;
        grid->addWidget(
            new TShortenedLabel(ToQString(titles[c]), Qt::ElideRight, &dialog, kSides[c]), row * 2,
            col);
        grid->addWidget(edits[c], row * 2 + 1, col);
    }
    // Each title right over its edit, the room left below them.
    grid->setRowStretch(grid->rowCount(), 1);
    // The edits, and beside them the picture of which side is which.
    auto* lower = new QHBoxLayout;
    lower->addLayout(grid, 3);
    lower->addWidget(new TEdgeTypesPicture(&dialog), 2);
    layout->addLayout(lower);
    const auto toEdits = [&] {
        for (int c = 0; c < EdgeCol::Count; ++c) edits[c]->setText(ToQString(d.Edits[c]));
    };
    const auto fromEdits = [&] {
        for (int c = 0; c < EdgeCol::Count; ++c)
            d.Edits[c] = FromQString(edits[c]->text(), d.Edits[c]);
    };
    QObject::connect(table, &QTableView::clicked, &dialog, [&](const QModelIndex& i) {
        d.ClickRow(i.row() + 1);
        toEdits();
    });
    auto* buttons = new QHBoxLayout;
    layout->addLayout(buttons);
    const auto command = [&](const char* name, const std::string& text, auto call) {
        QObject::connect(AddButton(buttons, &dialog, name, text), &QPushButton::clicked, &dialog, [&, call] {
            fromEdits();
            int bad = -1;
            if (call(bad)) {
                model->Reload();
                table->selectRow(d.Row - 1);
            } else if (bad >= 0) {
                edits[bad]->setFocus();
                edits[bad]->selectAll();
            }
            toEdits();
        });
    };
    command("ButtonAddGB", AddMaterialTypeCaption, [&](int& bad) { return d.AddClick(&bad); });
    command("ButtonModifyGB", ModifyMaterialTypeCaption, [&](int& bad) { return d.ModifyClick(&bad); });
    command("ButtonDeleteGB", DeleteMaterialTypeCaption, [&](int&) { return d.DeleteClick(); });
    buttons->addStretch(1);
    QObject::connect(AddButton(buttons, &dialog, "ButtonOK", ConfirmDataCaption), &QPushButton::clicked,
                     &dialog, [&] {
                         if (d.OKClick()) dialog.accept();
                     });
    QObject::connect(AddButton(buttons, &dialog, "ButtonCancel", "Cancel"), &QPushButton::clicked,
                     &dialog, &QDialog::reject);
    dialog.resize(760, 500);
    FitDialogToScreen(dialog);
    const bool taken = dialog.exec() == QDialog::Accepted;
    form.BGTypeList2ComboBox();
    return taken;
}

void TSDIAppForm::ButtonGrindingAndBandSettingClick() { ShowEdgeTypesDialog(*this); }

// Grids to save on exit.
bool ShowSaveSelectGrids(TSDIAppForm& form) {
    QDialog dialog(&form);
    dialog.setObjectName("FormSaveSelectGrids");
    const TCaptionStore& captions = form.Core().Captions;
    dialog.setWindowTitle(ToQString(PlainCaptionText(captions.Caption("SheetsSave"))));
    dialog.setToolTip(ToQString(captions.Hint("SheetsSave")));
    dialog.setMinimumWidth(320);  // room for the whole title
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel("Save these lists before closing:", &dialog));
    TExitSaveChoice choice = ExitSaveChoice();
    struct Box {
        const char* Name;
        const char* Page;
        bool* Tick;
    };
    const Box boxes[] = {{"CheckBoxSaveSheets", "TabSheetSheets", &choice.Sheets},
                         {"CheckBoxSaveParts", "TabSheetParts", &choice.Parts},
                         {"CheckBoxSaveOffcuts", "TabSheetOffcuts", &choice.Offcuts},
                         {"CheckBoxSaveHarpRackParts", "TabSheetPartHarp", &choice.PartRack},
                         {"CheckBoxSaveProfile", "TabSheetAnyShape", &choice.Profiles}};
    std::vector<QCheckBox*> checks;
    for (const Box& b : boxes) {
        auto* c = new QCheckBox(ToQString(form.Core().Captions.Caption(b.Page)), &dialog);
        c->setObjectName(b.Name);
        c->setChecked(*b.Tick);
        layout->addWidget(c);
        checks.push_back(c);
    }
    auto* buttons = new QHBoxLayout;
    auto* ok = new QPushButton(ToQString(ConfirmDataCaption), &dialog);
    ok->setObjectName("ButtonSaveSelectGrids");
    ok->setDefault(true);
    auto* cancel = new QPushButton(ToQString(CancelDataCaption), &dialog);
    cancel->setObjectName("ButtonCancelSaveSelectGrids");
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    bool cancelled = false;
    QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, &dialog, [&] {
        cancelled = true;
        dialog.reject();
    });
    if (dialog.exec() != QDialog::Accepted) return !cancelled;  // the frame: the ticks stay as they were
    for (std::size_t i = 0; i < checks.size(); ++i) *boxes[i].Tick = checks[i]->isChecked();
    StoreExitSaveChoice(choice);
    return true;
}

void ShowSplash() {
    QDialog splash(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint);
    splash.setObjectName("ComeInForm");
    auto* layout = new QVBoxLayout(&splash);
    auto* picture = new QLabel(&splash);
    picture->setObjectName("Image1");
    picture->setPixmap(ProgramIcon().pixmap(64, 64));
    layout->addWidget(picture, 0, Qt::AlignCenter);
    auto* title = new QLabel(ToQString(ProductName), &splash);
    QFont f = title->font();
    f.setPointSize(f.pointSize() * 2);
    f.setBold(true);
    title->setFont(f);
    layout->addWidget(title, 0, Qt::AlignCenter);
    layout->addWidget(new QLabel(ToQString(VersionCaption + " " + VersionNumber), &splash), 0, Qt::AlignCenter);
    layout->addWidget(new QLabel("Cutting planner for sheets and offcuts", &splash), 0, Qt::AlignCenter);
    splash.resize(360, 230);
    QTimer::singleShot(1000, &splash, &QDialog::accept);
    splash.exec();
}

namespace {

// A link: underlined, in the link colour, with a hand cursor, its whole
// text in the tooltip; a left click on it runs Click. A long text is shown
// with its middle left out.
class TLinkLabel : public TShortenedLabel {
  public:
    TLinkLabel(const char* Name, const std::string& Text, std::function<void()> Click,
               QWidget* Parent)
        : TShortenedLabel(ToQString(Text), Qt::ElideMiddle, Parent), click_(std::move(Click)) {
        setObjectName(Name);
        QFont f = font();
        f.setUnderline(true);
        setFont(f);
        QPalette p = palette();
        p.setColor(QPalette::WindowText, p.color(QPalette::Link));
        setPalette(p);
        setCursor(Qt::PointingHandCursor);
        setToolTip(text());
    }

  protected:
    void mouseReleaseEvent(QMouseEvent* Event) override {
        QLabel::mouseReleaseEvent(Event);
        if (Event->button() == Qt::LeftButton && rect().contains(Event->position().toPoint()) && click_)
            click_();
    }
    // The tooltip stays the whole text, shortened or not.
    void resizeEvent(QResizeEvent* Event) override { QLabel::resizeEvent(Event); }

  private:
    std::function<void()> click_;
};

}  // namespace

void ShowAboutBox(TSDIAppForm& Form) {
    const TAboutBox box(ProgramAddresses(), FromQString(QCoreApplication::applicationDirPath()));
    const TShellOpener open = [&Form](const std::string& Target) {
        if (TPrinting* printing = FindPrinting(Form)) printing->OpenTarget(Target);
    };
    QDialog about(&Form);
    about.setObjectName("AboutBox");
    about.setWindowTitle(ToQString(box.Caption));
    auto* layout = new QVBoxLayout(&about);
    auto* row = new QHBoxLayout;
    layout->addLayout(row);
    auto* icon = new QLabel(&about);
    icon->setObjectName("ProgramIcon");
    icon->setPixmap(ProgramIcon().pixmap(64, 64));
    row->addWidget(icon, 0, Qt::AlignTop);
    auto* texts = new QVBoxLayout;
    row->addLayout(texts, 1);
    const auto label = [&](const char* name, const std::string& text) {
        auto* l = new QLabel(ToQString(text), &about);
        l->setObjectName(name);
        texts->addWidget(l);
        return l;
    };
    QLabel* product = label("ProductName", box.ProductName);
    QFont bold = product->font();
    bold.setBold(true);
    product->setFont(bold);
    label("Version", box.Version);
    label("Copyright", box.Text)->setWordWrap(true);
    texts->addWidget(new TLinkLabel("Comments", box.Comments, [&] { box.CommentsClick(open); }, &about));
    texts->addWidget(new TLinkLabel("Label1", box.Label1, [&] { box.NeedHelpClick(open); }, &about));
    auto* ok = new QPushButton(ToQString(box.OKButton), &about);
    ok->setObjectName("OKButton");
    ok->setDefault(true);
    QObject::connect(ok, &QPushButton::clicked, &about, &QDialog::accept);
    layout->addWidget(ok, 0, Qt::AlignRight);
    about.adjustSize();
    FitDialogToScreen(about);
    about.exec();
}

void FitDialogToScreen(QWidget& Dialog) {
    QScreen* screen = Dialog.parentWidget() ? Dialog.parentWidget()->screen() : Dialog.screen();
    if (!screen) return;
    const QRect area = screen->availableGeometry();
    const QSize least = Dialog.minimumSizeHint().expandedTo(Dialog.minimumSize());
    Dialog.resize(FitSide(Dialog.width(), least.width(), area.width(), kFrameAllowanceX),
                  FitSide(Dialog.height(), least.height(), area.height(), kFrameAllowanceY));
}
