#include "app/ui/sdimain.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QBoxLayout>
#include <QClipboard>
#include <QCloseEvent>
#include <QFileDialog>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressBar>
#include <QScreen>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolBar>
#include <filesystem>

#include "app/core/error_location.h"
#include "app/core/exit_save.h"
#include "app/core/main_window.h"
#include "app/core/run_control.h"
#include "app/core/window_geometry.h"
#include "app/ui/dialogs.h"
#include "app/ui/flow_layout.h"
#include "app/ui/grid_view.h"
#include "app/ui/program_icon.h"
#include "app/ui/qt_canvas.h"
#include "app/ui/settings_page.h"
#include "app/ui/window_progress.h"
#include "engine/partedge.h"
#include "engine/progress.h"
#include "engine/pubstr.h"
#include "platform/message_sink.h"

namespace {
// The control names of the tab pages, in TPage order.
constexpr const char* kPageNames[] = {"TabSheetSheets", "TabSheetOffcuts", "TabSheetParts",  "TabSheetAnyShape",
                                      "TabSheetLayout", "TabSheetReport",  "TabSheetPartHarp", "TabSheetSetup"};
static_assert(std::size(kPageNames) == static_cast<std::size_t>(TSDIAppForm::TPage::Count));

// "Open File(*.sht)|*.sht" as a Qt file dialog filter.
QString QtFilter(const std::string& filter) {
    return ToQString(filter.substr(0, filter.find('|')));
}
}  // namespace

TSDIAppForm::TSDIAppForm(TMainWindowCore& Core, QWidget* Parent) : QMainWindow(Parent), core_(Core) {
    setObjectName("SDIAppForm");
    // The program's icon for this window and every dialog and window after it.
    QApplication::setWindowIcon(ProgramIcon());
    setWindowTitle(ToQString(ProductName + " version " + VersionNumber));
    pageControl_ = new QTabWidget(this);
    pageControl_->setObjectName("PageControl1");
    for (int i = 0; i < static_cast<int>(TPage::Count); ++i) {
        auto* page = new QWidget(pageControl_);
        page->setObjectName(kPageNames[i]);
        auto* outer = new QVBoxLayout(page);
        tools_[i] = new TFlowBoxLayout;
        bodies_[i] = new QVBoxLayout;
        outer->addLayout(tools_[i]);
        outer->addLayout(bodies_[i], 1);
        pageControl_->addTab(page, ToQString(core_.Captions.Caption(kPageNames[i])));
    }
    setCentralWidget(pageControl_);
    // Every page fits a workshop screen: its tool strip wraps, its side
    // panels scroll.
    setMinimumSize(kMinClientWidth, kMinClientHeight);

    menuFile_ = menuBar()->addMenu(ToQString(core_.Captions.Caption("File1")));
    menuEdit_ = menuBar()->addMenu(ToQString(core_.Captions.Caption("Edit1")));
    menuHelp_ = menuBar()->addMenu(ToQString(core_.Captions.Caption("Help1")));
    toolBar_ = addToolBar("ToolBar1");
    toolBar_->setObjectName("ToolBar1");

    progressBar_ = new QProgressBar(this);
    progressBar_->setObjectName("ProgressBar1");
    progressBar_->setTextVisible(false);
    progressBar_->setRange(0, 100);
    progressBar_->hide();
    statusBar()->addPermanentWidget(progressBar_);

    FileDialog = [this](bool save, const std::string& title, const std::string& filter,
                        const std::string& folder, const std::string& ext) -> std::string {
        QFileDialog dialog(this, ToQString(title), ToQFileName(folder), QtFilter(filter));
        dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
        dialog.setDefaultSuffix(ToQString(ext));
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
        return FromQFileName(dialog.selectedFiles().front());
    };
    SaveSelectGridsDialog = [this] { return ShowSaveSelectGrids(*this); };
    ExitListFileDialog = [this](TExitList list) { return AskExitListFile(list); };
    ExitRetryDialog = [this](const TExitSaveResult& result) { return AskExitRetry(result); };

    BGTypeList2ComboBox();
    BuildCommands();
    BuildListPage(TPage::Sheets);
    BuildListPage(TPage::Parts);
    BuildAnyShapePage();
    BuildReportPage();

    InstallLayoutPage(*this);
    InstallPrinting(*this);
    InstallSettingsPages(*this);
    InstallImportExport(*this);
    ApplyCaptionsToWindow(*this);  // every module's controls, as the caption store names them

    connect(this, &TSDIAppForm::RunningChanged, this, [this](bool running) {
        for (QWidget* w : listCommands_) w->setEnabled(!running);
        ShowSaveCommands();
        for (QAction* a : menuFile_->actions())
            if (a->objectName() != "FileExitItem") a->setEnabled(!running);
        startOptimize_->setEnabled(!running);
        cancelOptimize_->setEnabled(running);
        // The worker rebuilds the plan: the layout page shows its controls
        // disabled and draws no layout (TLayoutPage) until the run has ended.
        pageControl_->widget(static_cast<int>(TPage::Layout))->setEnabled(!running);
    });
    // Every view of a grid follows a reload of the grids, whoever made it
    // (an import, a stock update, the automatic job).
    connect(this, &TSDIAppForm::GridsReloaded, this, [this] {
        RefreshGrids();
        ShowTotalsQuietly();
        ShowSaveCommands();
    });
    ComboBoxStandShapeChange(0);
    TotalOfSheets();
    TotalOfParts();
    ShowReport();
    UpdateFileNameEdits();
    ShowSaveCommands();
    ColumnWidths(false);
    ShowPage(TPage::Sheets);
}

// The column widths the option file keeps for the sheets, parts, free-shape
// and rack grids: shown (Store false) or taken from the grids (true). A rack
// grid shows its slot column as the row header, so its view columns start at
// grid column 1.
void TSDIAppForm::ColumnWidths(bool store) {
    const std::pair<TGridView*, std::vector<int>*> grids[] = {
        {gridSheets_, &core_.Window.SheetsGridColWidths},
        {gridParts_, &core_.Window.PartsGridColWidths},
        {gridAnyShape_, &core_.Window.ProfilesGridColWidths},
        {findChild<TGridView*>("StringGridOffcutRack"), &core_.Window.OffcutsGridColWidths},
        {findChild<TGridView*>("StringGridPartRack"), &core_.Window.PartsRackGridColWidths}};
    for (const auto& [view, widths] : grids) {
        if (!view) continue;
        const int first = view->GridModel()->FirstColumn();
        const int n = std::min<int>(static_cast<int>(widths->size()) - first, view->model()->columnCount());
        for (int c = 0; c < n; ++c) {
            int& width = (*widths)[static_cast<std::size_t>(c + first)];
            if (store)
                width = view->columnWidth(c);
            else  // never narrower than the column's title
                view->setColumnWidth(c, std::max(width, view->horizontalHeader()->sectionSizeHint(c)));
        }
    }
}

void TSDIAppForm::StoreWindowState() {
    core_.Window.AppLeft = x();
    core_.Window.AppTop = y();
    core_.Window.AppMaximized = isMaximized();
    ColumnWidths(true);
}

QBoxLayout* TSDIAppForm::PageBody(TPage Page) { return bodies_[static_cast<int>(Page)]; }
QBoxLayout* TSDIAppForm::PageTools(TPage Page) { return tools_[static_cast<int>(Page)]; }
void TSDIAppForm::ShowPage(TPage Page) { pageControl_->setCurrentIndex(static_cast<int>(Page)); }

QWidget* TSDIAppForm::Control(const char* Name) const {
    return findChild<QWidget*>(QString::fromLatin1(Name));
}

std::string ChooseFile(QWidget* From, bool Save, const std::string& Title, const std::string& Filter,
                       const std::string& Start, const std::string& DefaultExt) {
    for (QWidget* w = From; w; w = w->parentWidget())
        if (auto* form = qobject_cast<TSDIAppForm*>(w))
            return form->FileDialog ? form->FileDialog(Save, Title, Filter, Start, DefaultExt) : std::string();
    return {};
}

void TSDIAppForm::SetRunning(bool Running) {
    if (running_ == Running) return;
    running_ = Running;
    emit RunningChanged(Running);
}

void TSDIAppForm::BuildCommands() {
    auto action = [this](QMenu* menu, const char* name, const QString& text, auto slot) {
        auto* a = new QAction(text, this);
        a->setObjectName(name);
        connect(a, &QAction::triggered, this, slot);
        if (menu) menu->addAction(a);
        return a;
    };
    const auto caption = [this](const char* name, const char* fallback) {
        const std::string c = core_.Captions.Caption(name);
        return ToQString(c.empty() ? fallback : c);
    };
    action(menuFile_, "FileOpen1", "&Open...", &TSDIAppForm::FileOpen1Execute);
    action(menuFile_, "FileSave1", "&Save", &TSDIAppForm::FileSave1Execute);
    action(menuFile_, "FileSaveAs1", "Save &As...", &TSDIAppForm::FileSaveAs1Execute);
    menuFile_->addSeparator();
    action(menuFile_, "FileExitItem", caption("FileExitItem", "E&xit"), &QWidget::close);
    action(menuHelp_, "HelpAboutItem", caption("HelpAboutItem", "&About..."),
           &TSDIAppForm::HelpAbout1Execute);
    // Edit: on the focused field, or the current cell of the focused grid.
    QAction* cut = action(menuEdit_, "CutItem", caption("CutItem", "Cu&t"), &TSDIAppForm::CutItemExecute);
    QAction* copy = action(menuEdit_, "CopyItem", caption("CopyItem", "&Copy"), &TSDIAppForm::CopyItemExecute);
    QAction* paste =
        action(menuEdit_, "PasteItem", caption("PasteItem", "&Paste"), &TSDIAppForm::PasteItemExecute);
    cut->setShortcut(QKeySequence::Cut);
    copy->setShortcut(QKeySequence::Copy);
    paste->setShortcut(QKeySequence::Paste);

    startOptimize_ = action(nullptr, "StartOptimize", "Start Optimize", &TSDIAppForm::StartOptimizeClick);
    startOptimize_->setToolTip("Start optimize job");
    startOptimize_->setShortcut(Qt::Key_F9);
    cancelOptimize_ = action(nullptr, "CancelOptimize", "Cancel", &TSDIAppForm::CancelOptimizeClick);
    cancelOptimize_->setEnabled(false);
    toolBar_->addAction(startOptimize_);
    toolBar_->addAction(cancelOptimize_);
    toolBar_->widgetForAction(startOptimize_)->setObjectName("StartOptimizeButton");
    toolBar_->addSeparator();
    const std::pair<QAction*, const char*> tools[] = {
        {cut, "ToolButton4"}, {copy, "ToolButton5"}, {paste, "ToolButton6"}};
    for (const auto& [a, name] : tools) {
        toolBar_->addAction(a);
        QWidget* button = toolBar_->widgetForAction(a);
        button->setObjectName(name);
        button->setToolTip(ToQString(core_.Captions.Hint(name)));
        // The tool button must not take the focus from the field it acts on.
        button->setFocusPolicy(Qt::NoFocus);
    }
}

void TSDIAppForm::ShowErrorLocation(const TErrorLocation& where) {
    for (int i = 0; i < static_cast<int>(TPage::Count); ++i)
        if (where.Page == kPageNames[i]) ShowPage(static_cast<TPage>(i));
    if (where.Control.empty()) return;
    QWidget* w = Control(where.Control.c_str());
    if (auto* grid = qobject_cast<TGridView*>(w); grid && where.IsGridCell()) {
        grid->SetCurrentCell({where.Col, where.Row});
        grid->setFocus();
    } else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        edit->setFocus();
        edit->selectAll();
    } else if (w) {
        w->setFocus();
    }
}

void TSDIAppForm::RefreshGrids() {
    for (TGridView* g : {gridSheets_, gridParts_, gridAnyShape_, gridPara_})
        if (g) g->Reload();
    UpdateFileNameEdits();
}

void TSDIAppForm::ApplyWindowPlacement() {
    const TWindowOptions& w = core_.Window;
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        const TWindowRect r =
            OpeningWindowRect(w.AppLeft, w.AppTop, {area.x(), area.y(), area.width(), area.height()});
        // The frame's corner, so that the title bar is on the screen.
        move(r.Left, r.Top);
        resize(r.Width, r.Height);
    }
    if (w.AppMaximized) setWindowState(windowState() | Qt::WindowMaximized);
}

std::string TSDIAppForm::ChooseFile(bool save, const std::string& title, const std::string& filter,
                                    std::string& folder, const std::string& ext) {
    const std::string name = ::ChooseFile(this, save, title, filter, folder, ext);
    if (!name.empty()) folder = std::filesystem::path(name).parent_path().string();
    return name;
}

void TSDIAppForm::closeEvent(QCloseEvent* event) {
    if (worker_.joinable()) {
        cancelled_ = true;
        RequestOptimizeCancel();
        worker_.join();
        FinishRun(core_, true, *before_);
        SetProgressSink(nullptr);
        SetRunning(false);
        emit RunFinished(true);
    }
    if (!exitSaved_ && !SaveOnExit()) {
        event->ignore();  // the user chose to keep the window open
        return;
    }
    event->accept();
}

bool TSDIAppForm::SaveOnExit() {
    StoreWindowState();
    if (SaveSelectGridsDialog && !SaveSelectGridsDialog()) return false;
    // A list with rows but no list file of its own (imported, or read from a
    // text file) is offered for saving under a name the user chooses.
    for (TExitList list : ListsWithoutFile(core_)) {
        if (!ExitListFileDialog) continue;
        const std::optional<std::string> name = ExitListFileDialog(list);
        if (!name) return false;
        if (!name->empty()) ExitListFileName(core_.Data, list) = *name;
    }
    for (;;) {
        const TExitSaveResult result = ::SaveOnExit(core_);
        if (result.Failed.empty()) {
            if (!result.Problems.empty()) {
                std::string text;
                for (const std::string& line : result.Problems) text += line + "\n";
                platform::CurrentMessageSink().Warning(text);
            }
            break;
        }
        // A write failed: try again, keep the window open, or close without it.
        const TExitRetry answer = ExitRetryDialog ? ExitRetryDialog(result) : TExitRetry::Close;
        if (answer == TExitRetry::Cancel) return false;
        if (answer == TExitRetry::Close) break;
    }
    UpdateFileNameEdits();
    exitSaved_ = true;
    return true;
}

// The exit's questions as message boxes.
std::optional<std::string> TSDIAppForm::AskExitListFile(TExitList list) {
    const std::string page = core_.Captions.Caption(ExitListPage(list));
    QMessageBox box(QMessageBox::Question, ToQString(ProductName),
                    ToQString("The list \"" + page +
                              "\" has no list file of its own and would be lost. Save it under a "
                              "name?"),
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, this);
    box.setObjectName("ExitListFileQuestion");
    box.setDefaultButton(QMessageBox::Save);
    const int answer = box.exec();
    if (answer == QMessageBox::Discard) return std::string();
    if (answer != QMessageBox::Save) return std::nullopt;
    const std::string ext = ExitListExt(list);
    const std::string title = MsgSaveAsFileTitle;
    const std::string name = ChooseFile(true, title + " " + page, title + "(*." + ext + ")|*." + ext,
                                        ExitListFolder(list), ext);
    if (name.empty()) return std::nullopt;
    return name;
}

TSDIAppForm::TExitRetry TSDIAppForm::AskExitRetry(const TExitSaveResult& result) {
    std::string text = "Saving on exit failed:\n";
    for (const std::string& line : result.Problems) text += line + "\n";
    if (!result.Written.empty()) {
        text += "Saved:\n";
        for (const std::string& file : result.Written) text += "[" + file + "]\n";
    }
    QMessageBox box(QMessageBox::Warning, ToQString(ProductName), ToQString(text),
                    QMessageBox::Retry | QMessageBox::Cancel | QMessageBox::Discard, this);
    box.setObjectName("ExitRetryQuestion");
    box.button(QMessageBox::Discard)->setText("Close without saving");
    // A file that cannot succeed on Retry: the default keeps the window open.
    box.setDefaultButton(ExitRetryMayHelp(result) ? QMessageBox::Retry : QMessageBox::Cancel);
    const int answer = box.exec();
    return answer == QMessageBox::Retry     ? TExitRetry::Retry
           : answer == QMessageBox::Discard ? TExitRetry::Close
                                            : TExitRetry::Cancel;
}

// File menu: the list of the page shown (sheets unless the parts, the
// free-shape or a rack page is in front). A rack page's command is its own
// button's.
bool TSDIAppForm::ClickRackCommand(const char* OffcutButton, const char* PartButton) {
    const int page = pageControl_->currentIndex();
    const char* name = page == static_cast<int>(TPage::Offcuts)    ? OffcutButton
                       : page == static_cast<int>(TPage::PartHarp) ? PartButton
                                                                   : nullptr;
    auto* button = name ? qobject_cast<QAbstractButton*>(Control(name)) : nullptr;
    if (!button) return false;
    if (button->isEnabled()) button->click();
    return true;
}

void TSDIAppForm::FileOpen1Execute() {
    const int page = pageControl_->currentIndex();
    if (ClickRackCommand("ButtonLoadOffcutsRack", "ButtonLoadPartRack")) return;
    if (page == static_cast<int>(TPage::Parts)) PartsOpenClick();
    else if (page == static_cast<int>(TPage::AnyShape)) AnyShapeOpenClick();
    else SheetsOpenClick();
}

void TSDIAppForm::FileSave1Execute() {
    const int page = pageControl_->currentIndex();
    if (ClickRackCommand("ButtonSaveOffcutRack", "ButtonSavePartRack")) return;
    if (page == static_cast<int>(TPage::Parts)) PartsSaveClick();
    else if (page == static_cast<int>(TPage::AnyShape)) AnyShapeSaveClick();
    else SheetsSaveClick();
}

void TSDIAppForm::FileSaveAs1Execute() {
    const int page = pageControl_->currentIndex();
    if (ClickRackCommand("ButtonSaveAsOffcutsHarpRack", "ButtonSaveAsPartRack")) return;
    if (page == static_cast<int>(TPage::Parts)) PartsSaveasClick();
    else if (page == static_cast<int>(TPage::AnyShape)) AnyShapeSaveAsClick();
    else SheetsSaveasClick();
}

void TSDIAppForm::HelpAbout1Execute() { ShowAboutBox(*this); }

// Edit menu. The focused field does its own cut, copy and paste; a grid
// without an open editor works on its current cell.
namespace {
enum class TEditCommand { Cut, Copy, Paste };

void EditFocused(TEditCommand command) {
    QWidget* focus = QApplication::focusWidget();
    if (auto* edit = qobject_cast<QLineEdit*>(focus)) {
        switch (command) {
            case TEditCommand::Cut: edit->cut(); break;
            case TEditCommand::Copy: edit->copy(); break;
            case TEditCommand::Paste: edit->paste(); break;
        }
        return;
    }
    auto* grid = qobject_cast<TGridView*>(focus);
    if (!grid) return;
    const TCellPos at = grid->CurrentCell();
    TStringGridModel* model = grid->GridModel();
    const QModelIndex index = model->index(at.Row - 1, at.Col - model->FirstColumn());
    QClipboard* clipboard = QGuiApplication::clipboard();
    const bool editable = index.isValid() && model->flags(index).testFlag(Qt::ItemIsEditable);
    // Changes go through the model, so that the page sees the edit.
    if (command == TEditCommand::Paste) {
        if (editable) model->setData(index, ToQString(CellTextOfClipboard(FromQString(clipboard->text()))), Qt::EditRole);
        return;
    }
    clipboard->setText(ToQString(CopyCell(grid->Grid(), at)));
    if (command == TEditCommand::Cut && editable) model->setData(index, QString(), Qt::EditRole);
}
}  // namespace

void TSDIAppForm::CutItemExecute() { EditFocused(TEditCommand::Cut); }
void TSDIAppForm::CopyItemExecute() { EditFocused(TEditCommand::Copy); }
void TSDIAppForm::PasteItemExecute() { EditFocused(TEditCommand::Paste); }

void TSDIAppForm::BGTypeList2ComboBox() {
    edgeItems_.clear();
    for (const PPartEdge& e : PartEdgeList.Items()) edgeItems_.push_back(e->Label);
}
