#include "app/ui/rack_pages.h"

#include <filesystem>

#include <QBoxLayout>
#include <QDate>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTime>

#include "app/core/exit_save.h"
#include "app/core/main_window.h"
#include "app/core/option_reader.h"
#include "app/core/rack_pages.h"
#include "app/core/stock_update.h"
#include "app/ui/grid_model.h"
#include "app/ui/label_dialog.h"
#include "app/ui/qt_print_job.h"
#include "app/ui/qt_canvas.h"
#include "app/ui/sdimain.h"
#include "engine/pubstr.h"
#include "engine/schemes.h"
#include "engine/shared_state.h"
#include "engine/textfmt.h"
#include "platform/message_sink.h"

namespace {

std::string Today() {
    return FromQString(QLocale().toString(QDate::currentDate(), QLocale::ShortFormat));
}
std::string Now() {
    return FromQString(QLocale().toString(QTime::currentTime(), QLocale::ShortFormat));
}

QPushButton* Button(const TCaptionStore& Captions, const char* Name, QWidget* Parent) {
    auto* b = new QPushButton(ToQString(Captions.Caption(Name)), Parent);
    b->setObjectName(Name);
    b->setToolTip(ToQString(Captions.Hint(Name)));
    return b;
}

void Warn(const std::exception& E) {
    platform::CurrentMessageSink().Warning(E.what());
}

}  // namespace

// ---------------------------------------------------------------------------

TFormInputSlotQty::TFormInputSlotQty(TMainData& Data, const QString& Title, QWidget* Parent)
    : QDialog(Parent), data_(Data) {
    setObjectName("FormInputSlotQty");
    setWindowTitle(Title);
    auto* form = new QFormLayout(this);
    edit_ = new QLineEdit(ToQString(IntToStr(Data.SlotQty)), this);
    edit_->setObjectName("LabeledEditSlotNumber");
    form->addRow(ToQString(SlotQtyCaption), edit_);
    auto* box = new QDialogButtonBox(this);
    QPushButton* yes = box->addButton(ToQString(ConfirmDataCaption), QDialogButtonBox::AcceptRole);
    yes->setObjectName("ButtonYesSlot");
    yes->setDefault(true);
    QPushButton* no = box->addButton(ToQString(CancelDataCaption), QDialogButtonBox::RejectRole);
    no->setObjectName("ButtonNoSlot");
    form->addRow(box);
    connect(yes, &QPushButton::clicked, this, [this] { ButtonYesSlotClick(); });
    connect(no, &QPushButton::clicked, this, [this] { reject(); });
}

void TFormInputSlotQty::ButtonYesSlotClick() {
    if (ConfirmRackSlotQty(data_, FromQString(edit_->text()), SlotQtyCaption)) accept();
}

void TFormInputSlotQty::reject() {
    CancelSlotQty(data_);
    QDialog::reject();
}

// ---------------------------------------------------------------------------

TFormReportOffcutsRack::TFormReportOffcutsRack(TRackReport Report, const QString& Title,
                                               const QString& PrintCaption,
                                               std::vector<std::string> HeaderLines,
                                               QWidget* Parent)
    : QDialog(Parent), report_(std::move(Report)), header_(std::move(HeaderLines)) {
    setObjectName("FormReportOffcutsRack");
    setWindowTitle(Title);
    resize(760, 420);
    auto* lay = new QVBoxLayout(this);
    auto* summary = new QLabel(ToQString(report_.Summary), this);
    summary->setObjectName("LabelReportOffcutsRack");
    lay->addWidget(summary);
    auto* view = new QTableView(this);
    view->setObjectName("StringGridReportOffcutsRack");
    view->setModel(new TStringGridModel(report_.Grid, view));
    lay->addWidget(view, 1);
    auto* print = new QPushButton(PrintCaption, this);
    print->setObjectName("ButtonPrintReportOffcutsRack");
    lay->addWidget(print, 0, Qt::AlignRight);
    connect(print, &QPushButton::clicked, this, [this] { ButtonPrintReportOffcutsRackClick(); });
}

void TFormReportOffcutsRack::ButtonPrintReportOffcutsRackClick() {
    std::vector<std::string> lines = header_;
    for (const std::string& l : RackReportLines(report_)) lines.push_back(l);
    PrintRackLines(this, lines);
}

// ---------------------------------------------------------------------------

void PrintRackLines(QWidget* Parent, const std::vector<std::string>& Lines) {
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, Parent);
    if (dialog.exec() != QDialog::Accepted) return;
    if (!PrintRackLines(printer, Lines)) platform::CurrentMessageSink().Warning(MsgCantOpenFile);
}

bool PrintRackLines(QPrinter& Printer, const std::vector<std::string>& Lines) {
    try {
        TQtPrintJob job(Printer);
        job.BeginDoc();
        UsePrinterFont(job, PrinterFontName, PrinterFontSize);
        platform::TCanvas& c = job.Canvas();
        const int h = std::max(1, c.TextHeight("Wg"));
        std::vector<std::string> all = RackPrintHeader(Today(), Now());
        all.insert(all.end(), Lines.begin(), Lines.end());
        bool first = true;
        for (const auto& page : RackPrintPages(all, h, job.PageHeight())) {
            if (!first) job.NewPage();
            first = false;
            int y = h;
            for (const std::string& line : page) {
                c.TextOut(7 * h, y, line);
                y += h + h / 3;
            }
        }
        job.EndDoc();
    } catch (const platform::TPrintError&) {
        return false;
    }
    return true;
}

// ---------------------------------------------------------------------------

TRackPageView::TRackPageView(TSDIAppForm& Form, bool OffcutRack)
    : QObject(&Form), form_(Form), offcut_(OffcutRack) {
    const TCaptionStore& cap = Form.Core().Captions;
    const auto page = OffcutRack ? TSDIAppForm::TPage::Offcuts : TSDIAppForm::TPage::PartHarp;
    QWidget* tab = Form.PageControl()->widget(static_cast<int>(page));
    QBoxLayout* tools = Form.PageTools(page);

    const struct {
        const char* Offcut;
        const char* Part;
        void (TRackPageView::*Click)();
    } commands[] = {
        {"ButtonLoadOffcutsRack", "ButtonLoadPartRack", &TRackPageView::ButtonLoadClick},
        {"ButtonSaveOffcutRack", "ButtonSavePartRack", &TRackPageView::ButtonSaveClick},
        {"ButtonSaveAsOffcutsHarpRack", "ButtonSaveAsPartRack", &TRackPageView::ButtonSaveAsClick},
        {"ButtonDeleteOffcutSlot", "ButtonDeletePartSlot", &TRackPageView::ButtonDeleteSlotClick},
        {"ButtonDeleteOffcutAllSlot", "ButtonDeletePartAllSlot",
         &TRackPageView::ButtonDeleteAllSlotClick},
        {"ButtonResetOffcutRack", "ButtonResetPartRack", &TRackPageView::ButtonResetClick},
        {"ButtonPrintOffcutRack", "ButtonPrintPartRack", &TRackPageView::ButtonPrintClick},
        {"ButtonReportOffcutsRack", "ButtonReportPartsRack", &TRackPageView::ButtonReportClick},
    };
    for (const auto& c : commands) {
        QPushButton* b = Button(cap, OffcutRack ? c.Offcut : c.Part, tab);
        const auto click = c.Click;
        connect(b, &QPushButton::clicked, this, [this, click] { (this->*click)(); });
        tools->addWidget(b);
        buttons_.push_back(b);
    }
    QPushButton* label =
        Button(cap, OffcutRack ? "ButtonPrintOffcutRackLabel" : "ButtonPrintPartRackLabel", tab);
    const TLabelKind kind = OffcutRack ? TLabelKind::OffcutRack : TLabelKind::PartRack;
    connect(label, &QPushButton::clicked, this, [this, kind] { ShowLabelDialog(form_, kind); });
    tools->addWidget(label);
    buttons_.push_back(label);
    tools->addStretch(1);

    QBoxLayout* body = Form.PageBody(page);
    auto* fileRow = new QHBoxLayout;
    auto* fileLabel = new QLabel(
        ToQString(cap.Caption(OffcutRack ? "LabelOffcuts_FileName" : "LabelPartHR_FileName")), tab);
    fileLabel->setObjectName(OffcutRack ? "LabelOffcuts_FileName" : "LabelPartHR_FileName");
    fileName_ = new QLineEdit(tab);
    fileName_->setObjectName(OffcutRack ? "EditOffcutsFileName" : "EditPartHRFileName");
    fileName_->setReadOnly(true);
    fileRow->addWidget(fileLabel);
    fileRow->addWidget(fileName_, 1);
    body->addLayout(fileRow);

    // The slot column is the row header.
    view_ = new TGridView(RackGrid(), tab, 1);
    view_->setObjectName(OffcutRack ? "StringGridOffcutRack" : "StringGridPartRack");
    view_->horizontalHeader()->setStretchLastSection(true);
    model_ = view_->GridModel();
    model_->OnCellEdited = [this](int, int) { Reload(); };
    view_->TypeItems = &Form.Core().Page.ComboBoxTypeSelect.Items;
    view_->SetColumnEditor(OffcutRackCol::Type, TGridView::TEditor::Type);
    if (OffcutRack)
        view_->SetColumnEditor(OffcutRackCol::Priority, TGridView::TEditor::Priority);
    else
        view_->SetColumnEditor(PartRackCol::Shape, TGridView::TEditor::Shape);
    view_->OnCellClick = [this](TCellPos At) { FillDownCell(RackGrid(), At.Col, At.Row); };
    view_->OnEnter = [this](TCellPos At) {
        const TCellPos next = EnterStepping(RackGrid(), At);
        // A bad cell found by the totals stays the current cell.
        if (next.Col == 1 && !(next == At) && !ShowTotals(true)) return view_->CurrentCell();
        return next;
    };
    body->addWidget(view_, 1);

    auto* totals = new QHBoxLayout;
    auto total = [&](const char* LabelName, const char* EditName) {
        auto* l = new QLabel(ToQString(cap.Caption(LabelName)), tab);
        l->setObjectName(LabelName);
        auto* e = new QLineEdit(tab);
        e->setObjectName(EditName);
        e->setReadOnly(true);
        totals->addWidget(l);
        totals->addWidget(e);
        return e;
    };
    if (OffcutRack) {
        totalArea_ = total("LabelTotalArea_Offcuts", "EditTotalOffcutsArea");
        totalNumber_ = total("LabelQty_Offcuts", "EditTotalOffcutsNumber");
        totalCost_ = total("LabelCost_Offcuts", "EditTotalOffcutsCost");
    } else {
        totalArea_ = total("LabelTotalArea_PartRack", "EditTotalPartsRackArea");
        totalNumber_ = total("LabelQty_PartRack", "EditTotalPartsRackNumber");
    }
    totals->addStretch(1);
    body->addLayout(totals);

    connect(&Form, &TSDIAppForm::GridsReloaded, this, [this] { Reload(); });
    connect(&Form, &TSDIAppForm::RunningChanged, this, [this](bool Running) {
        view_->setEnabled(!Running);
        for (QPushButton* b : buttons_) b->setEnabled(!Running);
    });
    Reload();
}

TStringGrid& TRackPageView::RackGrid() {
    TMainData& d = form_.Core().Data;
    return offcut_ ? d.StringGridOffcutRack : d.StringGridPartRack;
}

std::string& TRackPageView::FileNameField() {
    TMainData& d = form_.Core().Data;
    return offcut_ ? d.EditOffcutsFileName : d.EditPartHRFileName;
}

void TRackPageView::Reload(bool Report) {
    if (model_->rowCount() != RackGrid().RowCount() - 1 ||
        model_->columnCount() != RackGrid().ColCount() - 1)
        model_->Reload();
    else
        emit model_->dataChanged(model_->index(0, 0),
                                 model_->index(model_->rowCount() - 1, model_->columnCount() - 1));
    fileName_->setText(ToQFileName(ShownListFileName(FileNameField(), offcut_ ? "rck" : "prk")));
    ShowTotals(Report);
}

bool TRackPageView::ShowTotals(bool Report) {
    TGridTotals t;
    TErrorLocation error;
    const bool ok = RackGridTotals(RackGrid(), !offcut_, t, &error);
    if (!ok && Report) {
        // The fields keep what they showed; the bad cell is brought to the front.
        form_.ShowErrorLocation(error);
        platform::CurrentMessageSink().Warning(error.Message);
        return false;
    }
    if (!ok) t = offcut_ ? OffcutRackTotals(form_.Core().Data) : PartRackTotals(form_.Core().Data);
    totalArea_->setText(ToQString(t.Area));
    totalNumber_->setText(ToQString(t.Number));
    if (totalCost_) totalCost_->setText(ToQString(t.Cost));
    return ok;
}

void TRackPageView::ButtonResetClick() {
    TMainData& d = form_.Core().Data;
    const TCaptionStore& cap = form_.Core().Captions;
    d.SlotQtyConfirmed = false;
    const char* reset = offcut_ ? "ButtonResetOffcutRack" : "ButtonResetPartRack";
    TFormInputSlotQty dialog(d, ToQString(cap.Caption(reset)), &form_);
    dialog.setToolTip(ToQString(cap.Hint(reset)));
    dialog.exec();
    try {
        const bool reset_ = offcut_ ? ResetOffcutRack(d) : ResetPartRack(d);
        if (reset_) model_->Reload();
    } catch (const std::exception& e) {
        Warn(e);
    }
    Reload();
}

void TRackPageView::ButtonDeleteSlotClick() {
    const QModelIndex current = view_->currentIndex();
    if (!current.isValid()) return;
    TMainData& d = form_.Core().Data;
    (offcut_ ? ClearOffcutSlot : ClearPartSlot)(d, current.row() + 1);
    Reload(true);
}

void TRackPageView::ButtonDeleteAllSlotClick() {
    TMainData& d = form_.Core().Data;
    (offcut_ ? ClearAllOffcutSlots : ClearAllPartSlots)(d);
    Reload(true);
}

void TRackPageView::ButtonSaveClick() {
    // A rack with no file of its own yet is saved under a name the user chooses.
    if ((offcut_ ? form_.Core().Data.EditOffcutsFileName : form_.Core().Data.EditPartHRFileName)
            .empty())
        return ButtonSaveAsClick();
    try {
        TMainData& d = form_.Core().Data;
        offcut_ ? SaveOffcutRack(d) : SavePartRack(d);
    } catch (const std::exception& e) {
        Warn(e);
    }
    Reload();
}

QString TRackPageView::ChooseRackFile(bool Save) {
    const std::string title = Save ? MsgSaveAsFileTitle : MsgOpenFileTitle;
    const std::string ext = offcut_ ? "rck" : "prk";
    std::string& dir = offcut_ ? DirOffcuts : DirPartsRack;
    const std::string file = form_.FileDialog(Save, title, title + "(*." + ext + ")", dir, ext);
    if (file.empty()) return {};
    dir = std::filesystem::absolute(file).parent_path().string();
    return ToQFileName(file);
}

void TRackPageView::ButtonSaveAsClick() {
    const QString file = ChooseRackFile(true);
    if (file.isEmpty()) return;
    TMainData& d = form_.Core().Data;
    const int slotCount = RackGrid().RowCount() - 1;
    try {
        offcut_ ? WriteOffcutRackToFile(d, FromQFileName(file), slotCount, true)
                : WritePartRackToFile(d, FromQFileName(file), slotCount, true);
    } catch (const std::exception& e) {
        Warn(e);
    }
    Reload();
}

void TRackPageView::ButtonLoadClick() {
    const QString file = ChooseRackFile(false);
    if (file.isEmpty()) return;
    TMainData& d = form_.Core().Data;
    offcut_ ? ReadOffcutRackFromFile(d, FromQFileName(file))
            : ReadPartRackFromFile(d, FromQFileName(file));
    model_->Reload();
    Reload(true);
}

void TRackPageView::ButtonPrintClick() {
    TMainWindowCore& core = form_.Core();
    ReadPrinterFontSize(core.Page);
    ProjectTitle = core.Page.EditPrintTitle;
    PrintRackLines(&form_, RackListingLines(core.Data, offcut_));
}

TRackSummaryTexts TRackPageView::Summary() {
    const TCaptionStore& cap = form_.Core().Captions;
    TRackSummaryTexts t;
    t.AreaCaption = cap.Caption(offcut_ ? "LabelTotalArea_Offcuts" : "LabelTotalArea_PartRack");
    t.AreaText = FromQString(totalArea_->text());
    t.QtyCaption = cap.Caption(offcut_ ? "LabelQty_Offcuts" : "LabelQty_PartRack");
    t.QtyText = FromQString(totalNumber_->text());
    if (offcut_) {
        t.CostCaption = cap.Caption("LabelCost_Offcuts");
        t.CostText = FromQString(totalCost_->text());
    }
    return t;
}

void TRackPageView::ButtonReportClick() {
    TMainWindowCore& core = form_.Core();
    const TCaptionStore& cap = core.Captions;
    Reload();
    const std::string qtyTitle = cap.Caption("LabelQty_Offcuts");
    TRackReport report = offcut_ ? BuildOffcutRackReport(core.Data, Summary(), qtyTitle)
                                 : BuildPartRackReport(core.Data, Summary(), qtyTitle);
    ReadPrinterFontSize(core.Page);
    ProjectTitle = core.Page.EditPrintTitle;
    // The printed report: the rack's tab, its file and the summary, each
    // after an empty line, then the table.
    const std::string fileLabel =
        cap.Caption(offcut_ ? "LabelOffcuts_FileName" : "LabelPartHR_FileName");
    std::vector<std::string> header = {
        "", cap.Caption(offcut_ ? "TabSheetOffcuts" : "TabSheetPartHarp"),
        "", fileLabel + " : " + FileNameField(),
        "", report.Summary,
        ""};
    TFormReportOffcutsRack dialog(
        std::move(report), ToQString(HarpRackReportButton),
        ToQString(cap.Caption(offcut_ ? "ButtonPrintOffcutRack" : "ButtonPrintPartRack")),
        std::move(header), &form_);
    dialog.exec();
}

// ---------------------------------------------------------------------------

TStockUpdateView::TStockUpdateView(TSDIAppForm& Form) : QObject(&Form), form_(Form) {
    const TCaptionStore& cap = Form.Core().Captions;
    QWidget* tab = Form.PageControl()->widget(static_cast<int>(TSDIAppForm::TPage::Layout));
    QBoxLayout* tools = Form.PageTools(TSDIAppForm::TPage::Layout);
    using B = TStockUpdateButtons;
    const struct {
        const char* Name;
        const char* Text;  // when the caption files name no text
        bool B::*Enabled;
        void (TStockUpdateView::*Click)();
    } commands[] = {
        {"ButtonUpdateAll", "Update All", &B::ButtonUpdateAll,
         &TStockUpdateView::ButtonUpdateAllClick},
        {"ButtonUpdateSheets", "Update Sheets", &B::ButtonUpdateSheets,
         &TStockUpdateView::ButtonUpdateSheetsClick},
        {"ButtonUpdateParts", "Update Parts", &B::ButtonUpdateParts,
         &TStockUpdateView::ButtonUpdatePartsClick},
        {"ButtonAddOffcutToRack", "Add Offcuts To Rack", &B::ButtonAddOffcutToRack,
         &TStockUpdateView::ButtonAddOffcutToRackClick},
        {"ButtonAddOffcutsToSheets", "Add Offcuts To Sheets", &B::ButtonAddOffcutsToSheets,
         &TStockUpdateView::ButtonAddOffcutsToSheetsClick},
        {"ButtonAddPartToRack", "Add Parts To Rack", &B::ButtonAddPartToRack,
         &TStockUpdateView::ButtonAddPartToRackClick},
    };
    for (const auto& c : commands) {
        QPushButton* b = Button(cap, c.Name, tab);
        if (b->text().isEmpty()) b->setText(c.Text);
        const auto click = c.Click;
        connect(b, &QPushButton::clicked, this, [this, click] { (this->*click)(); });
        tools->addWidget(b);
        buttons_.push_back({b, c.Enabled});
    }
    QPushButton* label = Button(cap, "ButtonPrintLayoutsLabel", tab);
    connect(label, &QPushButton::clicked, this,
            [this] { ShowLabelDialog(form_, TLabelKind::Layouts); });
    tools->addWidget(label);
    connect(&Form, &TSDIAppForm::PlanChanged, this, [this] { UpdateEnabling(); });
    connect(&Form, &TSDIAppForm::RunningChanged, this, [this](bool) { UpdateEnabling(); });
    connect(this, &TStockUpdateView::StockChanged, &Form, &TSDIAppForm::NotifyGridsReloaded);
    UpdateEnabling();
}

void TStockUpdateView::UpdateEnabling() {
    const bool planReady = !form_.Running() && Optimizer.Best.Count() > 0;
    const TStockUpdateButtons state = OfferedUpdateButtons(form_.Core().UpdateButtons);
    for (auto& [button, enabled] : buttons_) button->setEnabled(planReady && state.*enabled);
}

template <class Command>
void TStockUpdateView::Run(Command C) {
    if (form_.Running()) return;
    TMainWindowCore& core = form_.Core();
    platform::TFolderLock lock;
    if (!LockStockFiles(core.Data, lock)) return;
    TStockUpdater updater(core.Data, core.Page, core.UpdateButtons);
    const bool done = (updater.*C)();
    lock.Release();
    const TStockUpdateOutcome& o = updater.Outcome();
    core.UnsavedUpdate.Note(o);
    UpdateEnabling();
    if (o.SheetsChanged || o.PartsChanged || o.OffcutRackChanged || o.PartRackChanged)
        emit StockChanged();
    // The totals under the sheets and parts grids follow the subtraction.
    if (o.SheetsChanged) form_.TotalOfSheets();
    if (o.PartsChanged) form_.TotalOfParts();
    // Slot notes on the pieces; the layout page's edit buttons follow the rules.
    if (done) form_.NotifyPlanChanged();
    if (o.PageToFront == "TabSheetOffcuts") form_.ShowPage(TSDIAppForm::TPage::Offcuts);
    if (o.PageToFront == "TabSheetPartHarp") form_.ShowPage(TSDIAppForm::TPage::PartHarp);
    // A refusal over a bad field or cell shows it focused and selected.
    if (!o.Error.Empty()) form_.ShowErrorLocation(o.Error);
}

void TStockUpdateView::ButtonUpdateAllClick() {
    Run(&TStockUpdater::ButtonUpdateAllClick);
}
void TStockUpdateView::ButtonUpdateSheetsClick() {
    Run(&TStockUpdater::ButtonUpdateSheetsClick);
}
void TStockUpdateView::ButtonUpdatePartsClick() {
    Run(&TStockUpdater::ButtonUpdatePartsClick);
}
void TStockUpdateView::ButtonAddOffcutToRackClick() {
    Run(&TStockUpdater::ButtonAddOffcutToRackClick);
}
void TStockUpdateView::ButtonAddOffcutsToSheetsClick() {
    Run(&TStockUpdater::ButtonAddOffcutsToSheetsClick);
}
void TStockUpdateView::ButtonAddPartToRackClick() {
    Run(&TStockUpdater::ButtonAddPartToRackClick);
}
