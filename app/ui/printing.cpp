#include "app/ui/printing.h"

#include <QAction>
#include <QBoxLayout>
#include <QCheckBox>
#include <QCoreApplication>
#include <QEvent>
#include <QFontDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QImage>
#include <QPainter>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScrollBar>
#include <QToolBar>

#include "app/core/main_window.h"
#include "app/core/option_reader.h"
#include "app/core/print_commands.h"
#include "app/ui/desktop_opener.h"
#include "app/ui/layout_page.h"
#include "app/ui/layouts_per_page_dialog.h"
#include "app/ui/qt_canvas.h"
#include "app/ui/qt_print_job.h"
#include "app/ui/sdimain.h"
#include "engine/pubstr.h"
#include "engine/shared_state.h"
#include "output/layout_print.h"
#include "platform/message_sink.h"

namespace {

// Printed pages at 300 pixels per inch: the dimension marks and the
// automatic font sizes are meant for about that resolution.
constexpr int kPrintResolution = 300;

QString Caption(TSDIAppForm& Form, const char* Name) {
    return ToQString(Form.Core().Captions.Caption(Name));
}

QPushButton* AddButton(TSDIAppForm& Form, QBoxLayout* Strip, const char* Name) {
    auto* b = new QPushButton(Caption(Form, Name));
    b->setObjectName(Name);
    Strip->addWidget(b);
    return b;
}

bool HasPlan() {
    return Optimizer.Best.Count() > 0;
}

}  // namespace

TPrinting::TPrinting(TSDIAppForm& Form) : QObject(&Form), form_(Form) {
    setObjectName("Printing");
    Opener = DesktopOpener(this);
    printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer_->setResolution(kPrintResolution);

    QBoxLayout* layoutTools = Form.PageTools(TSDIAppForm::TPage::Layout);
    connect(AddButton(Form, layoutTools, "ButtonPrintCurrentPage"), &QPushButton::clicked, this,
            &TPrinting::ButtonPrintCurrentPageClick);
    connect(AddButton(Form, layoutTools, "ButtonPrintAll"), &QPushButton::clicked, this,
            &TPrinting::ButtonPrintAllClick);
    QBoxLayout* reportTools = Form.PageTools(TSDIAppForm::TPage::Report);
    connect(AddButton(Form, reportTools, "ButtonPrintReport"), &QPushButton::clicked, this,
            &TPrinting::ButtonPrintReportClick);
    auto enable = [this] {
        const bool on = !form_.Running();
        for (const char* name : {"ButtonPrintCurrentPage", "ButtonPrintAll", "ButtonPrintReport"})
            if (auto* b = form_.findChild<QPushButton*>(name)) b->setEnabled(on);
    };
    connect(&Form, &TSDIAppForm::RunningChanged, this, enable);
    BuildMenus();
    Form.installEventFilter(this);
}

TPrinting::~TPrinting() = default;

void TPrinting::SetOutputFile(const QString& FileName) {
    askPrinter_ = FileName.isEmpty();
    printer_->setOutputFormat(FileName.isEmpty() ? QPrinter::NativeFormat : QPrinter::PdfFormat);
    printer_->setOutputFileName(FileName);
}

bool TPrinting::ChoosePrinter() {
    if (!askPrinter_) return true;
    QPrintDialog dialog(printer_.get(), &form_);
    return dialog.exec() == QDialog::Accepted;
}

template <typename F>
void TPrinting::PrintJob(F Body) {
    bool failed = false;
    try {
        TQtPrintJob job(*printer_);
        job.BeginDoc();
        Body(job);
        job.EndDoc();
    } catch (const std::exception& e) {
        platform::CurrentMessageSink().Warning(std::string("[") + e.what() + "]");
        failed = true;
    }
    // A printer whose job failed is left unusable; the next job gets a fresh one.
    if (failed) RenewPrinter(printer_, !askPrinter_);
}

bool TPrinting::LayoutsPerPage(bool EditsEnabled, int& Rows, int& Cols, QString& RowsText,
                               QString& ColsText, bool& PartsChecked) {
    TOptionPage& page = form_.Core().Page;
    TFormPrintLayoutsSetup dialog(&form_);
    dialog.setWindowTitle(Caption(form_, "ButtonPrintAll"));
    dialog.LabelRowsPerPage->setText(ToQString(PrintLayoutRowsPerPageCaption));
    dialog.LabelColumnsPerPage->setText(ToQString(PrintLayoutColumnsPerPageCaption));
    dialog.CheckBoxPrintPartsInLayout->setText(Caption(form_, "LabelPartsInLayout"));
    dialog.CheckBoxPrintComment->setText(ToQString(CommentCaption));
    dialog.CheckBoxPrintComment->setChecked(PrintingComment);
    dialog.CheckBoxPrintPartsInLayout->setChecked(LayoutsPrintParts);
    dialog.ButtonLayoutSetupOK->setText(ToQString(ConfirmDataCaption));
    dialog.ButtonLayoutSetupCancel->setText(ToQString(CancelDataCaption));
    dialog.EditColumnsPerPage->setText(ToQString(LayoutsPrintCol));
    dialog.EditRowsPerPage->setText(ToQString(LayoutsPrintRow));
    dialog.EditColumnsPerPage->setEnabled(EditsEnabled);
    dialog.EditRowsPerPage->setEnabled(EditsEnabled);
    dialog.exec();
    if (!dialog.LayoutSetupConfirmed) return false;
    ReadPrintSetup(page, dialog.CheckBoxPrintPartsInLayout->isChecked(),
                   dialog.CheckBoxPrintComment->isChecked());
    Rows = dialog.LayoutRowsPerPage;
    Cols = RollingMode ? 1 : dialog.LayoutColumnsPerPage;
    RowsText = dialog.EditRowsPerPage->text();
    ColsText = dialog.EditColumnsPerPage->text();
    PartsChecked = dialog.CheckBoxPrintPartsInLayout->isChecked();
    return true;
}

template <typename F>
auto TPrinting::Measure(F Body) {
    // The printer's own page and resolution; text measured at that resolution.
    const int dpi = printer_->resolution();
    QImage image(1, 1, QImage::Format_RGB32);
    image.setDotsPerMeterX(qRound(dpi / 0.0254));
    image.setDotsPerMeterY(qRound(dpi / 0.0254));
    QPainter painter(&image);
    TQtCanvas canvas(painter, dpi);
    return Body(canvas, printer_->width(), printer_->height(), dpi);
}

int TPrinting::LayoutWithoutDrawing(int Rows, int Cols, int First, int Last) {
    return Measure([&](platform::TCanvas& C, int W, int H, int) {
        return FirstLayoutWithoutDrawing(C, W, H, Rows, Cols, First, Last);
    });
}

std::string TPrinting::SmallDrawings(int Rows, int Cols, int First, int Last) {
    const auto sizes = Measure([&](platform::TCanvas& C, int W, int H, int Dpi) {
        return PrintedDrawingSizes(C, W, H, Dpi, Rows, Cols, First, Last);
    });
    return SmallDrawingQuestion(sizes, First, Rows, Cols, PartsInLayout);
}

void TPrinting::PrintLayouts(bool All) {
    if (!HasPlan() ||
        (!All && (CurrentLayoutIndex < 0 || CurrentLayoutIndex >= Optimizer.Best.Count()))) {
        platform::CurrentMessageSink().Warning(MsgLayoutIsEmpty);
        return;
    }
    // Printing the shown layout shows the dialog's edits only for information.
    int rows = 1, cols = 1;
    QString rowsText, colsText;
    bool parts = false;
    if (!LayoutsPerPage(All, rows, cols, rowsText, colsText, parts) || !ChoosePrinter()) return;
    // A print that would leave a layout without its drawing prints nothing.
    const int first = All ? 0 : CurrentLayoutIndex;
    const int last = All ? Optimizer.Best.Count() - 1 : first;
    const int pageRows = All ? rows : 1, pageCols = All && !RollingMode ? cols : 1;
    const int bad = LayoutWithoutDrawing(pageRows, pageCols, first, last);
    if (bad >= 0) {
        platform::CurrentMessageSink().Warning(
            LayoutWithoutDrawingMessage(bad + 1, pageRows, pageCols));
        return;
    }
    // Drawings too small to read are printed only when the user says so.
    const std::string small = SmallDrawings(pageRows, pageCols, first, last);
    if (!small.empty() && !platform::CurrentMessageSink().Confirm(small, false)) return;
    TLayoutPage* view = FindLayoutPage(form_);
    const bool cuts = view && view->ShowCutSequenceChecked();
    PrintJob([&](platform::TPrintJob& job) {
        if (All)
            PrintAllLayouts(job, rows, cols, LayoutShowLabel, LayoutShowLengthXWidth,
                            LayoutShowXYPos, LayoutShowOffcuts, cuts);
        else
            PrintLayout(job, CurrentLayoutIndex, 1, 1, 0, LayoutShowLabel, LayoutShowLengthXWidth,
                        LayoutShowXYPos, LayoutShowOffcuts, cuts);
    });
    if (!All) return;
    StoreLayoutsPerPage(form_.Core().Window, FromQString(colsText), FromQString(rowsText), parts);
}

void TPrinting::ButtonPrintReportClick() {
    if (!HasPlan()) {
        platform::CurrentMessageSink().Warning(MsgLayoutIsEmpty);
        return;
    }
    TOptionPage& page = form_.Core().Page;
    ReadPrinterFontSize(page);
    ProjectTitle = page.EditPrintTitle;
    if (!ChoosePrinter()) return;
    PrintJob([](platform::TPrintJob& job) { PrintSummaryReport(job); });
}

void TPrinting::PrintSetup1Click() {
    QPageSetupDialog dialog(printer_.get(), &form_);
    dialog.exec();
}

void TPrinting::OpenTarget(const std::string& Target) {
    OpenForUser(Opener, {LinkedPage(Target, FromQString(QCoreApplication::applicationDirPath()))});
}

void TPrinting::Contents1Click() {
    OpenTarget(HelpFilePath());
}
void TPrinting::Homepage1Click() {
    OpenTarget(HomepageTarget());
}
void TPrinting::Update1Click() {
    OpenTarget(DownloadTarget());
}
void TPrinting::emailsupport1Click() {
    OpenTarget(SupportMailTarget());
}

void TPrinting::BuildMenus() {
    auto add = [this](QMenu* menu, const char* name, void (TPrinting::*slot)()) {
        QAction* a = menu->addAction(Caption(form_, name));
        a->setObjectName(name);
        connect(a, &QAction::triggered, this, slot);
    };
    add(form_.MenuFile(), "PrintSetup1", &TPrinting::PrintSetup1Click);
    add(form_.MenuFile(), "Update1", &TPrinting::Update1Click);
    add(form_.MenuFile(), "NeedHelp1", &TPrinting::NeedHelp1Click);
    add(form_.MenuHelp(), "Contents1", &TPrinting::Contents1Click);
    add(form_.MenuHelp(), "Homepage1", &TPrinting::Homepage1Click);
    add(form_.MenuHelp(), "emailsupport1", &TPrinting::emailsupport1Click);
    QAction* help =
        form_.ToolBar()->addAction(ToQString(form_.Core().Captions.Hint("ToolButton2")));
    help->setObjectName("ToolButton2");
    help->setToolTip(help->text());
    connect(help, &QAction::triggered, this, &TPrinting::ToolButton2Click);
}

namespace {

struct TFontRowNames {
    TPrinterFontRow Kind;
    const char* Title;
    const char* SizeEdit;
    const char* NameEdit;
    const char* Button;
};
constexpr TFontRowNames kFontRows[] = {
    {TPrinterFontRow::Text, "Text", "EditPrinterFontSize", "EditPrinterFontName",
     "ButtonFontSetup"},
    {TPrinterFontRow::Label, "Label", "EditFontLabelSize", "EditFontLabel", "ButtonFontLabel"},
    {TPrinterFontRow::Dim, "Dimension", "EditFontDimSize", "EditFontDim", "ButtonFontDim"},
    {TPrinterFontRow::Position, "(left,top)", "EditFontPositionSize", "EditFontPosition",
     "ButtonFontPosition"},
    {TPrinterFontRow::CutSeq, "Cut Sequence", "EditFontCutSeqSize", "EditFontCutSeq",
     "ButtonFontCutSeq"},
};

// The layout below Root that holds Widget itself.
QBoxLayout* LayoutHolding(QLayout* Root, QWidget* Widget) {
    if (!Root) return nullptr;
    if (Root->indexOf(Widget) >= 0) return qobject_cast<QBoxLayout*>(Root);
    for (int i = 0; i < Root->count(); ++i)
        if (QBoxLayout* found = LayoutHolding(Root->itemAt(i)->layout(), Widget)) return found;
    return nullptr;
}

}  // namespace

bool TPrinting::eventFilter(QObject* Watched, QEvent* Event) {
    // Every page module is in place once the window shows.
    if (Watched == &form_ && Event->type() == QEvent::Show && !fontsInstalled_)
        InstallFontButtons();
    return QObject::eventFilter(Watched, Event);
}

QPushButton* TPrinting::FontButton(TPrinterFontRow Kind, const char* Name, QLineEdit* NameEdit,
                                   QLineEdit* SizeEdit) {
    TOptionPage& page = form_.Core().Page;
    const QString caption = Caption(form_, Name);
    auto* button = new QPushButton(caption.isEmpty() ? QString("...") : caption);
    button->setObjectName(Name);
    connect(button, &QPushButton::clicked, this, [this, &page, Kind, NameEdit, SizeEdit] {
        ReadPrinterFontRow(page, Kind);
        SizeEdit->setText(ToQString(PrinterFontSizeEdit(page, Kind)));
        bool ok = false;
        QFont initial(ToQString(PrinterFontNameEdit(page, Kind)));
        initial.setPointSize(std::stoi(PrinterFontSizeEdit(page, Kind)));
        const QFont chosen = QFontDialog::getFont(&ok, initial, &form_);
        if (!ok) return;
        PrinterFontChosen(page, Kind, FromQString(chosen.family()), chosen.pointSize());
        NameEdit->setText(ToQString(PrinterFontNameEdit(page, Kind)));
        SizeEdit->setText(ToQString(PrinterFontSizeEdit(page, Kind)));
    });
    fontButtons_.push_back(button);
    return button;
}

void TPrinting::EnableFontButtons() {
    for (QPushButton* b : fontButtons_) b->setEnabled(form_.Core().Page.FontButtonsEnabled());
}

// The font buttons beside the settings page's printer font edits; a window
// without those edits gets a printer box of its own here.
void TPrinting::InstallFontButtons() {
    fontsInstalled_ = true;
    if (!form_.findChild<QLineEdit*>("EditPrinterFontSize")) BuildPrinterBox();
    for (const TFontRowNames& row : kFontRows) {
        auto* name = form_.findChild<QLineEdit*>(row.NameEdit);
        auto* size = form_.findChild<QLineEdit*>(row.SizeEdit);
        if (!name || !size || form_.findChild<QPushButton*>(row.Button)) continue;
        if (QBoxLayout* holder = LayoutHolding(name->parentWidget()->layout(), name))
            holder->addWidget(FontButton(row.Kind, row.Button, name, size));
    }
    if (auto* autoSize = form_.findChild<QCheckBox*>("CheckBoxAutoPrinterSetupFont"))
        connect(autoSize, &QCheckBox::toggled, this, [this](bool Auto) {
            for (QPushButton* b : fontButtons_) b->setEnabled(!Auto);
        });
    connect(&form_, &TSDIAppForm::GridsReloaded, this, [this] { EnableFontButtons(); });
    EnableFontButtons();
}

// The printer box: five fonts, the automatic size and its zoom, the title
// printed in the header.
void TPrinting::BuildPrinterBox() {
    TOptionPage& page = form_.Core().Page;
    auto* box = new QGroupBox("Printer");
    box->setObjectName("GroupBoxPrinter");
    auto* g = new QVBoxLayout(box);
    std::vector<std::pair<QLineEdit*, QLineEdit*>> edits;
    for (const TFontRowNames& row : kFontRows) {
        auto* name = new QLineEdit(ToQString(PrinterFontNameEdit(page, row.Kind)));
        name->setObjectName(row.NameEdit);
        auto* size = new QLineEdit(ToQString(PrinterFontSizeEdit(page, row.Kind)));
        size->setObjectName(row.SizeEdit);
        size->setMaximumWidth(60);
        const TPrinterFontRow kind = row.Kind;
        connect(name, &QLineEdit::textEdited, this, [&page, kind](const QString& t) {
            PrinterFontNameEdit(page, kind) = FromQString(t);
        });
        connect(size, &QLineEdit::textEdited, this, [&page, kind](const QString& t) {
            PrinterFontSizeEdit(page, kind) = FromQString(t);
        });
        auto* line = new QHBoxLayout;
        line->addWidget(new QLabel(row.Title));
        line->addWidget(name, 1);
        line->addWidget(size);
        g->addLayout(line);
        edits.emplace_back(name, size);
    }
    auto* autoSize = new QCheckBox(Caption(form_, "CheckBoxAutoPrinterSetupFont"));
    autoSize->setObjectName("CheckBoxAutoPrinterSetupFont");
    auto* zoom = new QScrollBar(Qt::Horizontal);
    zoom->setObjectName("ScrollBarAutoPrinterSetupSize");
    zoom->setRange(kAutoPrinterZoomMin, kAutoPrinterZoomMax);
    auto* title = new QLineEdit;
    title->setObjectName("EditPrintTitle");
    g->addWidget(autoSize);
    g->addWidget(zoom);
    g->addWidget(title);

    auto refresh = [&page, edits, autoSize, zoom, title] {
        for (std::size_t i = 0; i < edits.size(); ++i) {
            const auto kind = static_cast<TPrinterFontRow>(i);
            edits[i].first->setText(ToQString(PrinterFontNameEdit(page, kind)));
            edits[i].second->setText(ToQString(PrinterFontSizeEdit(page, kind)));
        }
        autoSize->setChecked(page.CheckBoxAutoPrinterSetupFont);
        zoom->setValue(page.ScrollBarAutoPrinterSetupSize);
        zoom->setEnabled(page.ZoomBarEnabled());
        title->setText(ToQString(page.EditPrintTitle));
    };
    connect(autoSize, &QCheckBox::clicked, this, [&page, refresh](bool on) {
        CheckAutoPrinterSetupFontSize(page, on);
        refresh();
    });
    connect(zoom, &QScrollBar::valueChanged, this, [&page](int v) {
        page.ScrollBarAutoPrinterSetupSize = v;
        AutoPrinterFontZoom = v;
    });
    connect(title, &QLineEdit::textEdited, this,
            [&page](const QString& t) { page.EditPrintTitle = FromQString(t); });
    connect(&form_, &TSDIAppForm::GridsReloaded, this, refresh);
    refresh();
    form_.PageBody(TSDIAppForm::TPage::Setup)->addWidget(box);
}

TPrinting* FindPrinting(TSDIAppForm& Form) {
    return Form.findChild<TPrinting*>("Printing");
}

void InstallPrinting(TSDIAppForm& Form) {
    new TPrinting(Form);
}
