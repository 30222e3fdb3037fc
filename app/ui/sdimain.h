// The main window: tab pages over the core's data, menus, tool bar and the
// status line with the run's progress bar. Every rule lives in app/core; the
// window shows the core's data and forwards the user's events to it.
//
// The pages are filled by page modules (layout view, settings, racks,
// import and export, printing), each installed once by the window's
// constructor through its Install... function. A module finds its page's
// body and tool strip here and follows PlanChanged / RunningChanged to keep
// its controls' enabling right.
#pragma once

#include <QMainWindow>
#include <array>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/core/exit_save.h"
#include "app/core/grid_editing.h"

class QAction;
class QBoxLayout;
class QComboBox;
class QLineEdit;
class QListWidget;
class QMenu;
class QProgressBar;
class QPushButton;
class QTabWidget;
class QToolBar;
class QWidget;
class TGridView;
class TMainData;
class TMainWindowCore;
class TRunSnapshot;
struct TErrorLocation;

class TSDIAppForm : public QMainWindow {
    Q_OBJECT
  public:
    // The tab pages in the order the window shows them.
    enum class TPage : int { Sheets, Offcuts, Parts, AnyShape, Layout, Report, PartHarp, Setup, Count };

    explicit TSDIAppForm(TMainWindowCore& Core, QWidget* Parent = nullptr);
    ~TSDIAppForm() override;

    TMainWindowCore& Core() { return core_; }

    QTabWidget* PageControl() { return pageControl_; }
    // The page's body: a vertical layout below the page's tool strip.
    QBoxLayout* PageBody(TPage Page);
    // The page's tool strip: a horizontal row of buttons at the top.
    QBoxLayout* PageTools(TPage Page);
    void ShowPage(TPage Page);

    QMenu* MenuFile() { return menuFile_; }
    QMenu* MenuEdit() { return menuEdit_; }
    QMenu* MenuHelp() { return menuHelp_; }
    QToolBar* ToolBar() { return toolBar_; }
    QProgressBar* ProgressBar1() { return progressBar_; }

    // True while an optimisation runs: nothing may read or change the plan
    // or the lists until its end.
    bool Running() const { return running_; }

    // The grids of the sheets, parts and free-shape pages, the report page.
    TGridView* StringGridSheets() { return gridSheets_; }
    TGridView* StringGridParts() { return gridParts_; }
    TGridView* StringGridAnyShape() { return gridAnyShape_; }
    TGridView* StringGridStandardPara() { return gridPara_; }
    QListWidget* ListBoxReport() { return listBoxReport_; }
    QAction* StartOptimize() { return startOptimize_; }
    QAction* CancelOptimize() { return cancelOptimize_; }
    // The totals under the sheets and parts grids (area, number, cost).
    const TGridTotals& SheetsTotals() const { return sheetsTotals_; }
    const TGridTotals& PartsTotals() const { return partsTotals_; }
    // A named control of the window (buttons and edits carry their control
    // names), or nullptr.
    QWidget* Control(const char* Name) const;

    // The file dialogs: Save chooses between an open and a save dialog.
    // Returns the chosen file, empty when cancelled. Tests replace it.
    std::function<std::string(bool Save, const std::string& Title, const std::string& Filter,
                              const std::string& Folder, const std::string& DefaultExt)>
        FileDialog;
    // Asked when the window closes: the grids-to-save dialog (false: Cancel,
    // the window stays open). Tests replace it.
    std::function<bool()> SaveSelectGridsDialog;
    // Asked at exit for a list that has rows but no list file: the file to
    // save it to, an empty name to let it go, nothing to keep the window
    // open. Tests replace it; without it such lists are let go.
    std::function<std::optional<std::string>(TExitList List)> ExitListFileDialog;
    // Asked when a write of the exit save failed.
    enum class TExitRetry { Retry, Cancel, Close };
    std::function<TExitRetry(const TExitSaveResult& Result)> ExitRetryDialog;

    // Brings the page and the field of a refused input to the front.
    void ShowErrorLocation(const TErrorLocation& Where);
    // Shows the grids again after the core changed them.
    void RefreshGrids();
    // Applies the window placement of the option file.
    void ApplyWindowPlacement();
    // The window's placement and column widths into the core's window state,
    // as the option file keeps them (exit save and Save Configure).
    void StoreWindowState();

  public slots:
    // Tool bar: the run on a worker thread, and its cancel.
    void StartOptimizeClick();
    void CancelOptimizeClick();
    // Sheet and part list commands.
    void SheetsOpenClick();
    void SheetsAppendClick();
    void SheetsSaveClick();
    void SheetsSaveasClick();
    void SheetsDeleteClick();
    void SheetsDeleteAllClick();
    void ButtonSheetsDeleteEmptyClick();
    void PartsOpenClick();
    void PartsAppendClick();
    void PartsSaveClick();
    void PartsSaveasClick();
    void PartsDeleteClick();
    void PartsDeleteAllClick();
    void ButtonPartsDeleteEmptyClick();
    // Free-shape page.
    void ComboBoxStandShapeChange(int Index);
    void ButtonImportDXFClick();
    void ButtonAddAnyShapeClick();
    void AnyShapeOpenClick();
    void AnyShapeSaveClick();
    void AnyShapeSaveAsClick();
    void AnyShapeDeleteClick();
    void AnyShapeDeleteAllClick();
    // Totals under the grids; false after a refused cell (a box was shown).
    bool TotalOfSheets();
    bool TotalOfParts();
    // Dialogs.
    void ButtonTypeSetupClick();
    void ButtonGrindingAndBandSettingClick();
    void HelpAbout1Execute();
    // Edit menu: cut, copy and paste in the focused field or grid cell.
    void CutItemExecute();
    void CopyItemExecute();
    void PasteItemExecute();
    // File menu: Open and Save (As) work on the list of the page shown.
    void FileOpen1Execute();
    void FileSave1Execute();
    void FileSaveAs1Execute();
    // The report page shows the core's report lines.
    void ShowReport();
    // The edge type editor's items := the labels of the edge types.
    void BGTypeList2ComboBox();

  signals:
    // The plan was replaced or edited (end of a run, layout edits, updates).
    void PlanChanged();
    // A run started (true) or ended (false).
    void RunningChanged(bool Running);
    // Every run's end, after its plan or refusal is shown: also a run the
    // pages refused before any thread started, and a run cancelled (by the
    // Cancel command or by closing the window during it).
    void RunFinished(bool Cancelled);
    // The grids were refilled from files (start-up, open, import).
    void GridsReloaded();

  public:
    // Whether the last run that ended made a new plan (a refused, failed or
    // cancelled one leaves the plan of before it).
    bool LastRunMadePlan() const { return lastRunMadePlan_; }

  public slots:
    void NotifyPlanChanged() { emit PlanChanged(); }
    void NotifyGridsReloaded() { emit GridsReloaded(); }

  protected:
    void SetRunning(bool Running);
    void closeEvent(QCloseEvent* Event) override;

  private:
    void BuildListPage(TPage Page);
    void BuildAnyShapePage();
    void BuildReportPage();
    void BuildCommands();
    void ConnectGrid(TGridView* View, bool Grows);
    void ShowTotals();
    // The totals of the sheets and parts grids, with no box for a bad cell.
    void ShowTotalsQuietly();
    // The totals of the sheets (or parts) grid after a change of its cells.
    void TotalsAfterEdit(bool Sheets);
    void ColumnWidths(bool Store);
    void LoadListFile(bool Sheets, bool (*Load)(TMainData&, const std::string&));
    bool ShowTotalsOf(bool Ok, const TErrorLocation& Error, TGridView* Grid);
    void RunEnded();
    std::string ChooseFile(bool Save, const std::string& Title, const std::string& Filter,
                           std::string& Folder, const std::string& DefaultExt);
    void UpdateFileNameEdits();
    // The Save buttons of the sheets and parts pages: on when the core has
    // their Save command on and no run is going.
    void ShowSaveCommands();
    bool SaveOnExit();
    std::optional<std::string> AskExitListFile(TExitList List);
    TExitRetry AskExitRetry(const TExitSaveResult& Result);
    bool ClickRackCommand(const char* OffcutButton, const char* PartButton);

    TMainWindowCore& core_;
    TGridView* gridSheets_ = nullptr;
    TGridView* gridParts_ = nullptr;
    TGridView* gridAnyShape_ = nullptr;
    TGridView* gridPara_ = nullptr;
    QListWidget* listBoxReport_ = nullptr;
    QAction* startOptimize_ = nullptr;
    QAction* cancelOptimize_ = nullptr;
    QComboBox* comboStandShape_ = nullptr;
    QLineEdit* editSelectLabel_ = nullptr;
    QLineEdit* editSelectQty_ = nullptr;
    QWidget* shapePreview_ = nullptr;  // the part of the grid's current row
    QWidget* selectShape_ = nullptr;   // the template's picture or the DXF outline
    std::array<QLineEdit*, 3> sheetsTotalEdits_{};
    std::array<QLineEdit*, 3> partsTotalEdits_{};
    std::array<QLineEdit*, 3> fileNameEdits_{};  // sheets, parts, free shapes
    TGridTotals sheetsTotals_, partsTotals_;
    TGridSort sheetsSort_, partsSort_;
    std::vector<std::string> edgeItems_;  // ComboBoxGBTypeSelect
    std::vector<QWidget*> listCommands_;  // disabled while a run lasts
    std::thread worker_;
    std::unique_ptr<TRunSnapshot> before_;
    std::atomic<bool> cancelled_{false};
    bool lastRunMadePlan_ = false;
    class TWindowProgress;
    std::unique_ptr<TWindowProgress> progress_;
    bool exitSaved_ = false;
    QTabWidget* pageControl_ = nullptr;
    std::array<QBoxLayout*, static_cast<int>(TPage::Count)> bodies_{};
    std::array<QBoxLayout*, static_cast<int>(TPage::Count)> tools_{};
    QMenu* menuFile_ = nullptr;
    QMenu* menuEdit_ = nullptr;
    QMenu* menuHelp_ = nullptr;
    QToolBar* toolBar_ = nullptr;
    QProgressBar* progressBar_ = nullptr;
    bool running_ = false;
};

// A file chosen through the file dialog of the window that owns From (a
// dialog of the window or the window itself): every file choice of the
// program goes through that one hook. Start is a folder, or a file to
// offer. Empty when cancelled or when no window owns From.
std::string ChooseFile(QWidget* From, bool Save, const std::string& Title, const std::string& Filter,
                       const std::string& Start, const std::string& DefaultExt);

// The page modules. Each adds its controls to the window once.
void InstallLayoutPage(TSDIAppForm& Form);    // layout view, manual editing
void InstallPrinting(TSDIAppForm& Form);      // printing commands and help
void InstallSettingsPages(TSDIAppForm& Form); // settings, captions, racks, stock update, labels
void InstallImportExport(TSDIAppForm& Form);  // grid import and export, plan exports
