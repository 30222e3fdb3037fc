#include "app/ui/label_dialog.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QFileInfo>
#include <QFontDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPageLayout>
#include <QPainter>
#include <QPrintDialog>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTime>

#include "app/core/main_window.h"
#include "app/ui/dialogs.h"
#include "app/ui/flow_layout.h"
#include "app/ui/grid_model.h"
#include "app/ui/qt_print_job.h"
#include "app/ui/qt_canvas.h"
#include "app/ui/sdimain.h"
#include "engine/pubstr.h"
#include "engine/textfmt.h"
#include "platform/message_sink.h"

namespace {

// The preview's paint box.
class TPaintBox : public QWidget {
  public:
    std::function<void(QWidget*)> OnPaint;
    using QWidget::QWidget;

  protected:
    void paintEvent(QPaintEvent*) override {
        if (OnPaint) OnPaint(this);
    }
};

// Format cells are edited in an editable drop-down of the field names.
class TFieldDelegate : public QStyledItemDelegate {
  public:
    std::function<std::vector<std::string>()> Fields;
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* Parent, const QStyleOptionViewItem&,
                          const QModelIndex&) const override {
        auto* box = new QComboBox(Parent);
        box->setObjectName("ComboBoxLabelGridData");
        box->setEditable(true);
        for (const std::string& f : Fields()) box->addItem(ToQString(f));
        return box;
    }
    void setEditorData(QWidget* Editor, const QModelIndex& Index) const override {
        static_cast<QComboBox*>(Editor)->setEditText(Index.data().toString().trimmed());
    }
    void setModelData(QWidget* Editor, QAbstractItemModel* Model,
                      const QModelIndex& Index) const override {
        Model->setData(Index, static_cast<QComboBox*>(Editor)->currentText());
    }
};

// Smaller text than this would be unreadable on the screen.
constexpr int kLeastPreviewFont = 9;

}  // namespace

TFormPrintLabel::TFormPrintLabel(QWidget* Parent)
    : QDialog(Parent), printer_(std::make_unique<QPrinter>(QPrinter::HighResolution)) {
    setObjectName("FormPrintLabel");
    labels_.SetSize(8, 1);
    Build();
    RefreshPrintLabelCaption();
    LoadControls();
}

std::vector<std::string> TFormPrintLabel::FieldNames() const {
    return labels_.RowCount() > 0 ? labels_.Row(0) : std::vector<std::string>();
}

void TFormPrintLabel::Build() {
    // The page description, the titles, the cell layout and the preview in
    // a column that scrolls on a low screen; the commands wrap into lines
    // on a narrow one.
    auto* outer = new QHBoxLayout(this);
    auto* leftPane = new QWidget;
    auto* left = new QVBoxLayout(leftPane);
    left->setContentsMargins(0, 0, 0, 0);
    auto* leftScroll = new QScrollArea(this);
    leftScroll->setObjectName("ScrollBoxLabelLayout");
    leftScroll->setFrameShape(QFrame::NoFrame);
    leftScroll->setWidgetResizable(true);
    leftScroll->setWidget(leftPane);
    auto* right = new QVBoxLayout;
    outer->addWidget(leftScroll, 0);
    outer->addLayout(right, 1);

    auto labelFor = [this](const char* Name) {
        auto* l = new QLabel(this);
        l->setObjectName(Name);
        return l;
    };
    auto page = new QFormLayout;
    left->addLayout(page);
    auto* measure = new QComboBox(this);
    measure->setObjectName("ComboBoxMeasure");
    measure->addItems({"inch", "mm"});
    page->addRow(labelFor("LabelLabelMeasure"), measure);
    connect(measure, &QComboBox::currentIndexChanged, this, [this](int I) {
        if (loading_ || I < 0) return;
        state_.Page.ComboBoxMeasure = I;
        RefreshPreview();
    });
    loaders_.push_back([this, measure] { measure->setCurrentIndex(state_.Page.ComboBoxMeasure); });

    auto edit = [&](QFormLayout* Form, const char* LabelName, const char* Name,
                    std::string TLabelPageText::*Field, bool Refreshes = true) {
        auto* e = new QLineEdit(this);
        e->setObjectName(Name);
        Form->addRow(labelFor(LabelName), e);
        connect(e, &QLineEdit::textEdited, this,
                [this, Field](const QString& T) { state_.Page.*Field = FromQString(T); });
        if (Refreshes) connect(e, &QLineEdit::editingFinished, this, [this] { RefreshPreview(); });
        loaders_.push_back([this, e, Field] { e->setText(ToQString(state_.Page.*Field)); });
    };
    using P = TLabelPageText;
    edit(page, "LabelLabelColNumber", "EditLabelColNumber", &P::EditLabelColNumber);
    edit(page, "LabelLabelRowNumber", "EditLabelRowNumber", &P::EditLabelRowNumber);
    edit(page, "LabelHorizontalLabalToLabelGap", "EditLabelHorizontalGap",
         &P::EditLabelHorizontalGap);
    edit(page, "LabelVerticalLabelToLabelGap", "EditLabelVerticalGap", &P::EditLabelVerticalGap);
    edit(page, "LabelLengthMarge", "EditLengthMarge", &P::EditLengthMarge);
    edit(page, "LabelWidthMarge", "EditWidthMarge", &P::EditWidthMarge);

    // The two titles.
    const struct {
        const char* Box;
        const char* Check;
        bool TLabelFormat::*Enabled;
        const char* CaptionEdit;
        std::string TLabelFormat::*Caption;
        const char* DataBox;
        int TLabelFormat::*Data;
        const char* SizeLabel;
        const char* SizeEdit;
        std::string TLabelPageText::*Size;
    } titles[] = {
        {"GroupBoxTopTitle", "CheckBoxTopTitle", &TLabelFormat::TopTitle, "EditTopTitleCaption",
         &TLabelFormat::TopTitleCaption, "ComboBoxTopTitleData", &TLabelFormat::TopTitleData,
         "LabelTopTitleWidth", "EditTopTitleWidth", &P::EditTopTitleWidth},
        {"GroupBoxLeftTitle", "CheckBoxLeftTitle", &TLabelFormat::LeftTitle, "EditLeftTitleCaption",
         &TLabelFormat::LeftTitleCaption, "ComboBoxLeftTitleData", &TLabelFormat::LeftTitleData,
         "LabelLeftTitleLength", "EditLeftTitleLength", &P::EditLeftTitleLength},
    };
    for (const auto& t : titles) {
        auto* box = new QGroupBox(this);
        box->setObjectName(t.Box);
        auto* form = new QFormLayout(box);
        auto* check = new QCheckBox(box);
        check->setObjectName(t.Check);
        auto* caption = new QLineEdit(box);
        caption->setObjectName(t.CaptionEdit);
        auto* data = new QComboBox(box);
        data->setObjectName(t.DataBox);
        fieldBoxes_.push_back(data);
        auto* row = new QHBoxLayout;
        row->addWidget(check);
        row->addWidget(caption, 1);
        row->addWidget(data, 1);
        form->addRow(row);
        edit(form, t.SizeLabel, t.SizeEdit, t.Size);
        left->addWidget(box);
        const auto enabled = t.Enabled;
        const auto text = t.Caption;
        const auto field = t.Data;
        connect(check, &QCheckBox::toggled, this, [this, enabled](bool On) {
            state_.Format.*enabled = On;
            if (!loading_) RefreshPreview();
        });
        connect(caption, &QLineEdit::textEdited, this, [this, text](const QString& T) {
            state_.Format.*text = FromQString(T);
            RefreshPreview();
        });
        connect(data, &QComboBox::currentIndexChanged, this, [this, field](int I) {
            if (loading_ || I < 0) return;
            state_.Format.*field = I;
            RefreshPreview();
        });
        loaders_.push_back([this, check, caption, data, enabled, text, field] {
            check->setChecked(state_.Format.*enabled);
            caption->setText(ToQString(state_.Format.*text));
            data->setCurrentIndex(std::min(state_.Format.*field, data->count() - 1));
        });
    }

    // The cells of one label.
    auto* cells = new QHBoxLayout;
    left->addLayout(cells);
    auto* rowsLabel = labelFor("LabelLabelRowCount");
    auto* rows = new QSpinBox(this);
    rows->setObjectName("ScrollBarLabelRowCount");
    rows->setRange(1, kLabelCellRowsMax);
    auto* colsLabel = labelFor("LabelLabelColCount");
    auto* cols = new QSpinBox(this);
    cols->setObjectName("ScrollBarLabelColCount");
    cols->setRange(1, kLabelCellColsMax);
    for (QWidget* w : std::initializer_list<QWidget*>{rowsLabel, rows, colsLabel, cols})
        cells->addWidget(w);
    cells->addStretch(1);
    formatGrid_ = new QTableWidget(this);
    formatGrid_->setObjectName("StringGridLabelDataFormat");
    formatGrid_->setMinimumHeight(130);
    auto* delegate = new TFieldDelegate(formatGrid_);
    delegate->Fields = [this] { return FieldNames(); };
    formatGrid_->setItemDelegate(delegate);
    left->addWidget(formatGrid_);
    // New columns share the grid's width equally; new rows leave the
    // column widths as they are.
    connect(rows, &QSpinBox::valueChanged, this, [this](int Rows) {
        if (loading_) return;
        state_.ChangeCellRows(Rows);
        FillFormatGrid();
        RefreshPreview();
    });
    connect(cols, &QSpinBox::valueChanged, this, [this](int Cols) {
        if (loading_) return;
        state_.ChangeCellCols(Cols, formatGrid_->width(), formatGrid_->verticalHeader()->width());
        FillFormatGrid();
        RefreshPreview();
    });
    loaders_.push_back([this, rows, cols] {
        rows->setValue(state_.CellRows());
        cols->setValue(state_.CellCols());
        FillFormatGrid();
    });
    connect(formatGrid_, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* Item) {
        if (loading_) return;
        const int r = Item->row(), c = Item->column();
        if (r < state_.CellRows() && c < state_.CellCols())
            state_.Format.Cells[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)] =
                FromQString(Item->text());
        RefreshPreview();
    });
    connect(formatGrid_->horizontalHeader(), &QHeaderView::sectionResized, this,
            [this](int C, int, int W) {
                if (loading_ || C >= state_.CellCols()) return;
                state_.Format.ColWidths[static_cast<std::size_t>(C)] = W;
                RefreshPreview();
            });

    auto* previewTitle = labelFor("LabelLabelPreview");
    left->addWidget(previewTitle);
    auto* box = new TPaintBox(this);
    box->setObjectName("PaintBoxPrintLabelPreview");
    box->setMinimumSize(300, 140);
    box->OnPaint = [this](QWidget* On) { PaintPreview(On); };
    preview_ = box;
    left->addWidget(preview_, 1);

    // The column is as wide as its contents, the scroll bar included (longer
    // captions read from a caption file scroll sideways).
    leftScroll->setMinimumWidth(leftPane->minimumSizeHint().width() +
                                leftScroll->verticalScrollBar()->sizeHint().width());

    // Labels, schemes and print commands.
    auto* top = new TFlowBoxLayout;
    right->addLayout(top);
    schemes_ = new QComboBox(this);
    schemes_->setObjectName("ComboBoxLabelSchemes");
    for (int i = 1; i <= kLabelSchemeCount; ++i) schemes_->addItem("Label" + QString::number(i));
    schemes_->setCurrentIndex(-1);
    connect(schemes_, &QComboBox::activated, this, [this] { onchangeLabelScheme(); });
    top->addWidget(schemes_);
    const struct {
        const char* Name;
        const char* Text;
        std::function<void()> Click;
    } buttons[] = {
        {"ButtonSaveLabelScheme", "Save", [this] { ButtonSaveLabelSchemeClick(); }},
        {"ButtonMergeTheSame", "Distinct", [this] { ButtonMergeTheSameClick(); }},
        {"ButtonLabelFontSetup", "Font Setup", [this] { ButtonLabelFontSetupClick(); }},
        {"ButtonPrintSetup", "Printer Setup", [this] { ButtonPrintSetupClick(); }},
        {"ButtonPrintAllLabel", "Print All", [this] { ButtonPrintAllLabelClick(); }},
        {"ButtonPrintSelected", "Print Selected", [this] { ButtonPrintSelectedClick(); }},
    };
    for (const auto& b : buttons) {
        auto* button = new QPushButton(b.Text, this);
        button->setObjectName(b.Name);
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, b.Click);
        top->addWidget(button);
    }
    top->addStretch(1);

    auto* from = new QHBoxLayout;
    right->addLayout(from);
    from->addWidget(labelFor("LabelFromLabelRowandCol"));
    const struct {
        const char* Label;
        const char* Name;
        std::string TLabelPageText::*Field;
    } starts[] = {{"LabelPrintLabelFromRow", "EditPrintLabelFromRow", &P::EditPrintLabelFromRow},
                  {"LabelPrintLabelFromCol", "EditPrintLabelFromCol", &P::EditPrintLabelFromCol}};
    for (const auto& s : starts) {
        from->addWidget(labelFor(s.Label));
        auto* e = new QLineEdit(this);
        e->setObjectName(s.Name);
        e->setMaximumWidth(50);
        from->addWidget(e);
        const auto field = s.Field;
        connect(e, &QLineEdit::textEdited, this,
                [this, field](const QString& T) { state_.Page.*field = FromQString(T); });
        loaders_.push_back([this, e, field] { e->setText(ToQString(state_.Page.*field)); });
    }
    from->addStretch(1);

    dataModel_ = new TStringGridModel(labels_, this);
    dataView_ = new QTableView(this);
    dataView_->setObjectName("StringGridLabelData");
    dataView_->setModel(dataModel_);
    dataView_->setSelectionBehavior(QAbstractItemView::SelectRows);
    dataView_->setSelectionMode(QAbstractItemView::ContiguousSelection);
    right->addWidget(dataView_, 1);
    resize(980, 640);
    FitDialogToScreen(*this);
    connect(dataView_->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int Column) {
        SortLabelRows(labels_, Column, sort_);
        dataModel_->Reload();
        RefreshPreview();
    });
    connect(dataView_, &QTableView::clicked, this, [this] { RefreshPreview(); });
}

void TFormPrintLabel::RefreshPrintLabelCaption() {
    setWindowTitle(ToQString(sPrintLabel));
    auto set = [this](const char* Name, const std::string& Text) {
        QWidget* w = findChild<QWidget*>(Name);
        if (auto* l = qobject_cast<QLabel*>(w)) l->setText(ToQString(Text));
        if (auto* b = qobject_cast<QAbstractButton*>(w)) b->setText(ToQString(Text));
    };
    const struct {
        const char* Name;
        const std::string& Text;
    } texts[] = {
        {"LabelLabelColNumber", sPrintLabelColumnQty},
        {"LabelLabelRowNumber", sPrintLabelRowQty},
        {"LabelHorizontalLabalToLabelGap", sPrintLabelHoriGap},
        {"LabelVerticalLabelToLabelGap", sPrintLabelVertGap},
        {"LabelWidthMarge", sPrintLabelWidthMarge},
        {"LabelLengthMarge", sPrintLabelLengthMarge},
        {"CheckBoxTopTitle", sPrintLabelEnableTitle},
        {"CheckBoxLeftTitle", sPrintLabelEnableTitle},
        {"LabelTopTitleWidth", sPrintLabelTopTitleWidth},
        {"LabelLeftTitleLength", sPrintLabelLeftTitleLength},
        {"LabelLabelRowCount", sPrintLabelRow},
        {"LabelLabelColCount", sPrintLabelCol},
        {"ButtonPrintSetup", sPrintLabelPrintSetup},
        {"ButtonPrintAllLabel", sPrintLabelPrintAll},
        {"ButtonPrintSelected", sPrintLabelPrintSelected},
        {"LabelFromLabelRowandCol", sPrintLabelFrom},
        {"LabelPrintLabelFromRow", sPrintLabelFromRow},
        {"LabelPrintLabelFromCol", sPrintLabelFromCol},
        {"LabelLabelMeasure", MeasureCaption},
        {"ButtonMergeTheSame", DistinctLabelCaption},
        {"LabelLabelPreview", sPrintLabelPreview},
    };
    for (const auto& t : texts) set(t.Name, t.Text);
    // "Save" and "Font Setup" read as the main window's commands of the same meaning.
    if (auto* form = qobject_cast<TSDIAppForm*>(parentWidget())) {
        const TCaptionStore& captions = form->Core().Captions;
        const struct {
            const char* Button;
            const char* Caption;
        } shared[] = {{"ButtonSaveLabelScheme", "SheetsSave"}, {"ButtonLabelFontSetup", "ButtonFontSetup"}};
        for (const auto& b : shared)
            if (auto* button = findChild<QAbstractButton*>(b.Button)) {
                button->setText(ToQString(PlainCaptionText(captions.Caption(b.Caption))));
                button->setToolTip(ToQString(captions.Hint(b.Caption)));
            }
    }
    if (auto* m = findChild<QComboBox*>("ComboBoxMeasure")) {
        m->setItemText(0, ToQString(sPrintLabelInch));
        m->setItemText(1, ToQString(sPrintLabelMm));
    }
    for (int i = 0; i < schemes_->count(); ++i)
        schemes_->setItemText(i, ToQString(sLabelScheme + " " + IntToStr(i + 1)));
}

void TFormPrintLabel::onshowlabelprint() {
    loading_ = true;
    for (QComboBox* box : fieldBoxes_) {
        box->clear();
        for (const std::string& f : FieldNames()) box->addItem(ToQString(f));
    }
    loading_ = false;
    dataModel_->Reload();
    if (labels_.RowCount() > 1) dataView_->selectRow(0);
    LoadControls();
    RefreshPreview();
}

void TFormPrintLabel::LoadControls() {
    loading_ = true;
    for (const auto& load : loaders_) load();
    loading_ = false;
}

void TFormPrintLabel::FillFormatGrid() {
    const bool was = loading_;
    loading_ = true;
    formatGrid_->setRowCount(state_.CellRows());
    formatGrid_->setColumnCount(state_.CellCols());
    for (int r = 0; r < state_.CellRows(); ++r)
        for (int c = 0; c < state_.CellCols(); ++c)
            formatGrid_->setItem(
                r, c,
                new QTableWidgetItem(ToQString(state_.Format.Cells[static_cast<std::size_t>(r)]
                                                                  [static_cast<std::size_t>(c)])));
    for (int c = 0; c < state_.CellCols(); ++c)
        formatGrid_->setColumnWidth(c, state_.Format.ColWidths[static_cast<std::size_t>(c)]);
    loading_ = was;
}

double TFormPrintLabel::PageWidthInches() const {
    return printer_->pageLayout().paintRect(QPageLayout::Inch).width();
}
double TFormPrintLabel::PageHeightInches() const {
    return printer_->pageLayout().paintRect(QPageLayout::Inch).height();
}

bool TFormPrintLabel::Refuse(const TLabelCheck& Check) {
    if (Check.Ok) return false;
    LoadControls();  // defaults written into empty edits
    platform::CurrentMessageSink().Warning(Check.Message);
    if (QWidget* w = findChild<QWidget*>(ToQString(Check.Field))) w->setFocus();
    return true;
}

bool TFormPrintLabel::ValidateLabelLayout() {
    const TLabelCheck check =
        ::ValidateLabelLayout(state_.Page, PageWidthInches(), PageHeightInches(), geometry_);
    if (Refuse(check)) return false;
    LoadControls();
    return true;
}

void TFormPrintLabel::RefreshPreview() {
    if (loading_) return;
    previewRefused_ = !ValidateLabelLayout();
    preview_->update();
}

void TFormPrintLabel::PaintPreview(QWidget* On) {
    QPainter painter(On);
    painter.fillRect(On->rect(), Qt::white);
    if (previewRefused_ || labels_.RowCount() < 2) return;
    const QModelIndex current = dataView_->currentIndex();
    int row = current.isValid() ? current.row() + 1 : 1;
    if (row >= labels_.RowCount()) row = 1;
    // The label at the screen's resolution, made smaller when it would not
    // fit the box.
    int dpi = On->logicalDpiX();
    if (geometry_.LabelWidth > 0 && geometry_.LabelHeight > 0)
        dpi = std::max(1, std::min({dpi, static_cast<int>((On->width() - 2) / geometry_.LabelWidth),
                                    static_cast<int>((On->height() - 2) / geometry_.LabelHeight)}));
    TQtCanvas canvas(painter, dpi);
    canvas.Font.Name = "Monospace";
    canvas.Font.Pitch = platform::TFontPitch::Fixed;
    // The printed font in proportion, so the preview shows what the page will.
    if (AutoPrinterFontSize && AutoPrinterFontZoom > 0)
        canvas.Font.Height = -std::max(
            kLeastPreviewFont, static_cast<int>(PageWidthInches() * dpi) / AutoPrinterFontZoom);
    else
        canvas.Font.Height = std::min(-kLeastPreviewFont, -PrintLabelFontSize * dpi / 72);
    DrawLabel(canvas, state_.Format, geometry_, FieldNames(), labels_.Row(row), 0, 0,
              geometry_.LabelWidth, geometry_.LabelHeight);
}

bool TFormPrintLabel::PrintLabels(int From, int To) {
    if (From < 1 || To < From || To >= labels_.RowCount()) return false;
    // The label and the description are checked before a job is opened: a
    // refused one prints no blank page.
    if (Refuse(CheckLabelContent(state_.Format))) return false;
    const TLabelCheck check =
        ReadPrintOptions(state_.Page, PageWidthInches(), PageHeightInches(), geometry_);
    if (Refuse(check)) return false;
    LoadControls();
    if (!PrinterHasOutput(*printer_)) {
        QString file = ToQFileName(ChooseFile(this, true, sPrintLabel, "PDF (*.pdf)", "", "pdf"));
        if (file.isEmpty()) return false;
        if (QFileInfo(file).suffix().isEmpty()) file += ".pdf";
        printer_->setOutputFormat(QPrinter::PdfFormat);
        printer_->setOutputFileName(file);
    }
    try {
        TQtPrintJob job(*printer_);
        job.BeginDoc();
        UsePrinterFont(job, PrintLabelFontName, PrintLabelFontSize);
        platform::TCanvas& c = job.Canvas();
        const std::vector<std::string> fields = FieldNames();
        const std::vector<TLabelPlace> places = PlaceLabels(geometry_, To - From + 1);
        int page = 0;
        for (std::size_t i = 0; i < places.size(); ++i) {
            for (; page < places[i].Page; ++page) job.NewPage();
            DrawLabel(c, state_.Format, geometry_, fields, labels_.Row(From + static_cast<int>(i)),
                      places[i].X, places[i].Y, geometry_.LabelWidth, geometry_.LabelHeight);
        }
        job.EndDoc();
    } catch (const platform::TPrintError& e) {
        platform::CurrentMessageSink().Warning(std::string("The labels were not printed: ") +
                                               e.what());
        RenewPrinter(printer_, false);
        return false;
    }
    return true;
}

bool TFormPrintLabel::ButtonPrintAllLabelClick() {
    return PrintLabels(1, labels_.RowCount() - 1);
}

bool TFormPrintLabel::ButtonPrintSelectedClick() {
    const QModelIndexList rows = dataView_->selectionModel()->selectedRows();
    if (rows.isEmpty()) return false;
    int top = rows.first().row(), bottom = top;
    for (const QModelIndex& i : rows) {
        top = std::min(top, i.row());
        bottom = std::max(bottom, i.row());
    }
    return PrintLabels(top + 1, bottom + 1);
}

void TFormPrintLabel::ButtonPrintSetupClick() {
    QPrintDialog dialog(printer_.get(), this);
    dialog.exec();
    state_.PortraitPrinter = printer_->pageLayout().orientation() == QPageLayout::Portrait;
    RefreshPreview();
}

void TFormPrintLabel::ButtonLabelFontSetupClick() {
    bool ok = false;
    QFont initial(ToQString(PrintLabelFontName), PrintLabelFontSize);
    const QFont chosen = QFontDialog::getFont(&ok, initial, this);
    if (!ok) return;
    PrintLabelFontSize = std::max(8, chosen.pointSize());
    const std::string family = Trim(FromQString(chosen.family()));
    PrintLabelFontName = family.empty() ? "MS Mincho" : family;
}

void TFormPrintLabel::ButtonSaveLabelSchemeClick() {
    try {
        SaveLabelScheme(LabelSchemeFileName(), schemes_->currentIndex() + 1, state_);
    } catch (const std::exception& e) {
        platform::CurrentMessageSink().Warning(e.what());
    }
}

void TFormPrintLabel::onchangeLabelScheme() {
    if (!LoadLabelScheme(LabelSchemeFileName(), schemes_->currentIndex() + 1, state_)) return;
    printer_->setPageOrientation(state_.PortraitPrinter ? QPageLayout::Portrait
                                                       : QPageLayout::Landscape);
    LoadControls();
    RefreshPreview();
}

void TFormPrintLabel::ButtonMergeTheSameClick() {
    DistinctLabelRows(labels_);
    dataModel_->Reload();
    if (labels_.RowCount() > 1) dataView_->setCurrentIndex(dataModel_->index(0, 0));
    RefreshPreview();
}

// ---------------------------------------------------------------------------

TFormPrintLabel& FormPrintLabel(TSDIAppForm& Form) {
    if (auto* d = Form.findChild<TFormPrintLabel*>("FormPrintLabel")) return *d;
    return *new TFormPrintLabel(&Form);
}

void ShowLabelDialog(TSDIAppForm& Form, TLabelKind Kind) {
    if (Form.Running()) return;
    TMainWindowCore& core = Form.Core();
    TFormPrintLabel& dialog = FormPrintLabel(Form);
    TLabelStamp stamp{FromQString(QLocale().toString(QDate::currentDate(), QLocale::ShortFormat)),
                      FromQString(QLocale().toString(QTime::currentTime(), QLocale::ShortFormat)),
                      core.Page.EditPrintTitle};
    TErrorLocation error;
    if (!FillLabelData(Kind, core.Data, core.Captions, stamp, dialog.StringGridLabelData(),
                       error)) {
        platform::CurrentMessageSink().Warning(error.Message);
        return;
    }
    dialog.RefreshPrintLabelCaption();
    std::int32_t& setting = LabelSchemeSetting(Kind);
    dialog.ComboBoxLabelSchemes()->setCurrentIndex(LabelSchemeItem(setting));
    dialog.onchangeLabelScheme();
    dialog.onshowlabelprint();
    dialog.exec();
    setting = dialog.ComboBoxLabelSchemes()->currentIndex();
}

void InstallLabelButtons(TSDIAppForm& Form) {
    using P = TSDIAppForm::TPage;
    const struct {
        P Page;
        const char* Name;
        TLabelKind Kind;
    } buttons[] = {
        {P::Sheets, "ButtonPrintSheetLabel", TLabelKind::Sheets},
        {P::Parts, "ButtonPrintPartLabel", TLabelKind::Parts},
        {P::AnyShape, "ButtonPrintProfileLabel", TLabelKind::Profiles},
    };
    for (const auto& b : buttons) {
        auto* button = new QPushButton(ToQString(Form.Core().Captions.Caption(b.Name)),
                                       Form.PageControl()->widget(static_cast<int>(b.Page)));
        button->setObjectName(b.Name);
        const TLabelKind kind = b.Kind;
        QObject::connect(button, &QPushButton::clicked, &Form,
                         [&Form, kind] { ShowLabelDialog(Form, kind); });
        QObject::connect(&Form, &TSDIAppForm::RunningChanged, button,
                         [button](bool Running) { button->setEnabled(!Running); });
        Form.PageTools(b.Page)->addWidget(button);
    }
}
