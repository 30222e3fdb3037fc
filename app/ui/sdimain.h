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

class QBoxLayout;
class QMenu;
class QProgressBar;
class QTabWidget;
class QToolBar;
class TMainWindowCore;

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

  signals:
    // The plan was replaced or edited (end of a run, layout edits, updates).
    void PlanChanged();
    // A run started (true) or ended (false).
    void RunningChanged(bool Running);
    // The grids were refilled from files (start-up, open, import).
    void GridsReloaded();

  public slots:
    void NotifyPlanChanged() { emit PlanChanged(); }
    void NotifyGridsReloaded() { emit GridsReloaded(); }

  protected:
    void SetRunning(bool Running);

  private:
    TMainWindowCore& core_;
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

// The page modules. Each adds its controls to the window once.
void InstallLayoutPage(TSDIAppForm& Form);    // layout view, manual editing
void InstallPrinting(TSDIAppForm& Form);      // printing commands and help
void InstallSettingsPages(TSDIAppForm& Form); // settings, captions, racks, stock update, labels
void InstallImportExport(TSDIAppForm& Form);  // grid import and export, plan exports
