// The main window without its widgets: the data of its pages and the
// optimisation run that turns them into a plan. The Qt window shows and edits
// these objects; batch mode drives them with no display at all.
#pragma once

#include <string>
#include <vector>

#include "app/core/captions.h"
#include "app/core/error_location.h"
#include "app/core/main_data.h"
#include "app/core/option_file.h"
#include "app/core/option_page.h"
#include "app/core/option_reader.h"
#include "app/core/stock_update.h"
#include "engine/panels.h"
#include "engine/schemes.h"

// The end of a run whose lists ask for no piece at all.
inline constexpr const char* kMsgNothingToCut =
    "Nothing to cut: the quantity of every part is 0. Enter the quantities to cut and start "
    "again.";

// The end of a run that ran out of memory.
inline constexpr const char* kMsgRunOutOfMemory =
    "Out of memory: the optimisation was stopped before it made a plan. Close other programs, or "
    "plan fewer parts at a time, and start again.";

class TMainWindowCore {
  public:
    TMainWindowCore() = default;

    TMainData Data;
    TOptionPage Page;
    TWindowOptions Window;
    TLayoutColors Colors;
    TCaptionStore Captions;

    // The error that ended the last run, and where the refused input is.
    std::string LastErrorMessage;
    TErrorLocation LastErrorLocation;

    // The material types the last run could not plan (the optimiser refused
    // them), one line each; the types it skipped because they are unticked
    // in the material types while parts of theirs were to be cut, one line
    // each naming those parts (the window shows these lines to nobody: the
    // user unticked the type); and whether parts with a quantity to cut were
    // among what either left out.
    std::vector<std::string> NotPlanned;
    std::vector<std::string> Unticked;
    bool PartsLeftOut = false;

    // The report page's lines.
    std::vector<std::string> ListBoxReport;

    // Working lists of a run: its material types in order of first
    // appearance and the merged plan, stock, parts, working parts and stock
    // left over of all types.
    std::vector<std::string> MainStringList;
    TSchemes MainSchemes;
    TPanels MainPanels2, MainPanels3, MainPanels4, MainPanels5;

    // Which stock-update commands the current plan still allows.
    TStockUpdateButtons UpdateButtons;

    // The lists a stock update has changed since the exit save last wrote
    // them (Parts: the parts and free-shape lists). The exit save writes
    // these together or none of them, so that an update is never saved in
    // part.
    struct TUnsavedUpdate {
        bool Sheets = false;
        bool Parts = false;
        bool OffcutRack = false;
        bool PartRack = false;
        void Note(const TStockUpdateOutcome& Outcome) {
            Sheets = Sheets || Outcome.SheetsChanged;
            Parts = Parts || Outcome.PartsChanged;
            OffcutRack = OffcutRack || Outcome.OffcutRackChanged;
            PartRack = PartRack || Outcome.PartRackChanged;
        }
    } UnsavedUpdate;

    // The files the racks were loaded from at start-up (or would have been,
    // had they been there); a batch update saves the racks back to them.
    std::string OffcutRackFile;
    std::string PartRackFile;

    // 0: the view shows the plan's layouts.
    int LayoutViewSource = 0;

    // "Start Optimize": writes the dump files, seeds both generators with
    // 479, clears the plan, then runs Run and OptimizeThreadDone on the
    // calling thread; a run that makes no plan leaves the plan of before it
    // (FinishRun). A window that runs the work on a thread calls
    // PrepareOptimize, then Run on the worker and OptimizeThreadDone after.
    void StartOptimizeClick();
    void PrepareOptimize();
    // The run body: start time, the 120 s limit per phase, then
    // StartOptimizeProcess; an exception is appended to LastErrorMessage
    // (running out of memory as kMsgRunOutOfMemory) and leaves no plan.
    void Run();
    // The two halves of a run on a worker thread. On the GUI thread, after
    // PrepareOptimize: BeginOptimizeProcess reads the pages into the shared
    // lists (false when refused; LastErrorMessage says why). On the worker:
    // RunAfterInput, which is Run without reading the pages again.
    bool BeginOptimizeProcess();
    void RunAfterInput();
    // Reads the pages into the shared lists, optimises each material type
    // and merges the plans into Optimizer. False when the run ended early
    // (LastErrorMessage says why) or was cancelled: a cancel request
    // (RequestOptimizeCancel) ends the run within the optimiser's next step,
    // with no further material optimised and nothing done after the
    // optimiser; the window's FinishRun then puts back the plan of before.
    bool StartOptimizeProcess();
    // The end of a run: with no layout, LastErrorMessage goes to the message
    // sink and the result is false; otherwise the used quantities, the
    // reports and the report page are rebuilt, the materials not planned
    // (NotPlanned) go to the message sink, and the result is true.
    bool OptimizeThreadDone();

    // "Auto Rearrange": re-optimises the layout at CurrentLayoutIndex alone.
    void ButtonLayoutAgainClick();
    void LayoutAgainClick();

    // Writes the dump files of the current input into AppDir. Failures go to
    // the message sink; the run goes on.
    void DumpErrorForCutomer();

    // Rebuilds the sheets, parts and summary reports of the current plan.
    void RebuildReports();
    // The report page := " " and the summary report's lines.
    void ShowReport();

  private:
    bool ReadInput();
    void RunBody(bool ReadPages);
    bool OptimizeMaterialTypes();
    // Notes in NotPlanned that type Type was left out for Error.
    void NoteNotPlanned(const std::string& Type, const std::string& Error);
    // Notes in Unticked the parts of type Type, which is unticked, if any.
    void NoteUnticked(const std::string& Type);
};
