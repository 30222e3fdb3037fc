// What the window keeps and what it books: the automatic job's end, the
// stock update against replaced lists, Save Configure, list paths in the
// option file, settings that act at once, lists without a file at exit.
#include <gtest/gtest.h>

#include <filesystem>
#include <new>

#include "app/core/exit_save.h"
#include "app/core/grid_editing.h"
#include "app/core/main_window.h"
#include "app/core/option_edits.h"
#include "app/core/option_file.h"
#include "app/core/print_commands.h"
#include "app/core/run_control.h"
#include "app/core/startup.h"
#include "app/core/stock_update.h"
#include "engine/progress.h"
#include "engine/pubstr.h"
#include "engine/shared_state.h"
#include "platform/inifile.h"
#include "support/scratch.h"

using namespace testsupport;
namespace fs = std::filesystem;

namespace {

class WindowState : public ::testing::Test {
  protected:
    void SetUp() override {
        w.Data.StringGridSheets.SetRow(1, {"S", "MDF", "1000", "500", "5", "1", "", ""});
        w.Data.StringGridParts.SetRow(1, {"P", "MDF", "400", "200", "R", "4", "4", "R", "", ""});
    }
    // A run as the window makes it; true when it made a plan.
    bool WindowRun(bool cancel = false) {
        TRunSnapshot before;
        before.Take(w);
        if (StartRunOnGuiThread(w) && !cancel) w.RunAfterInput();
        return FinishRun(w, cancel, before);
    }
    std::string Cell(const TStringGrid& g, int col) const { return g.Cell(col, 1); }

    ScratchDir dir;
    AppDirScope app{dir.Path()};
    CaptureSink sink;
    TMainWindowCore w;
};

}  // namespace

TEST_F(WindowState, TheAutomaticJobEndsWithItsOwnRunAndNeverBooksALaterOne) {
    const std::string report = dir.File("r.txt");
    const TCommandLine cl({"-auto:yes", "-update:yes", "-report:" + report,
                           "-ex_sheet:" + dir.File("xs.txt"), "-ex_part:" + dir.File("xp.txt")});
    for (const bool closeDuringRun : {false, true}) {
        SCOPED_TRACE(closeDuringRun ? "window closed during the run" : "first run refused");
        fs::remove(report);
        ASSERT_TRUE(ApplyCommandLine(w, cl));
        TAutoJob job(w, cl);
        ASSERT_TRUE(job.Begin());
        EXPECT_FALSE(job.Begin());  // one run only
        if (!closeDuringRun) {
            // A title row in the sheets grid: the pages refuse the run.
            w.Data.StringGridSheets.SetRow(2, {"Label", "Type", "Length", "Width", "Qty", "", "", ""});
            EXPECT_FALSE(WindowRun());
        } else {
            EXPECT_FALSE(WindowRun(true));
        }
        EXPECT_EQ(job.RunEnded(closeDuringRun), !closeDuringRun);
        EXPECT_FALSE(job.Pending());
        EXPECT_FALSE(AutoMode);
        // A refused run made no plan, so its job wrote no report; a
        // cancelled one wrote nothing either.
        EXPECT_FALSE(fs::exists(report));
        fs::remove(report);

        // The user's next run is the user's own: nothing written, nothing booked.
        DeleteGridRow(w.Data.StringGridSheets, 2);
        ASSERT_TRUE(WindowRun());
        EXPECT_FALSE(job.RunEnded(false));
        EXPECT_FALSE(fs::exists(report));
        EXPECT_EQ(Cell(w.Data.StringGridSheets, SheetCol::Qty), "5");
        EXPECT_EQ(Cell(w.Data.StringGridParts, PartCol::Qty), "4");
        EXPECT_TRUE(w.UpdateButtons.ButtonUpdateAll);
    }
}

TEST_F(WindowState, AStockUpdateIsRefusedWhenThePlansListsAreGone) {
    ASSERT_TRUE(WindowRun());
    const TMainData lists = w.Data;
    struct Change {
        const char* Name;
        void (*Apply)(TMainData&);
    } changes[] = {
        {"other parts", [](TMainData& d) { d.StringGridParts.SetCell(PartCol::Label, 1, "Q"); }},
        {"other sheets", [](TMainData& d) { d.StringGridSheets.SetCell(SheetCol::Label, 1, "T"); }},
    };
    for (const Change& c : changes) {
        SCOPED_TRACE(c.Name);
        w.Data = lists;
        c.Apply(w.Data);
        const TMainData changed = w.Data;
        sink.Warnings.clear();
        TStockUpdater u(w.Data, w.Page, w.UpdateButtons);
        EXPECT_FALSE(u.ButtonUpdateAllClick());
        EXPECT_FALSE(std::string(c.Name) == "other parts" ? u.ButtonUpdatePartsClick()
                                                          : u.ButtonUpdateSheetsClick());
        ASSERT_EQ(sink.Warnings.size(), 2u);
        EXPECT_NE(sink.Warnings[0].find("other lists"), std::string::npos);
        EXPECT_EQ(w.Data.StringGridSheets.Row(1), changed.StringGridSheets.Row(1));
        EXPECT_EQ(w.Data.StringGridParts.Row(1), changed.StringGridParts.Row(1));
        EXPECT_TRUE(w.UpdateButtons.ButtonUpdateAll);  // nothing marked done
        EXPECT_TRUE(w.UpdateButtons.ButtonUpdateParts);
        EXPECT_TRUE(w.UpdateButtons.ButtonUpdateSheets);
    }
    // The lists the plan was made from are booked.
    w.Data = lists;
    TStockUpdater u(w.Data, w.Page, w.UpdateButtons);
    EXPECT_TRUE(u.ButtonUpdateAllClick());
    EXPECT_EQ(Cell(w.Data.StringGridParts, PartCol::Qty), "0");
}

TEST_F(WindowState, ARunWithNothingToCutSaysSo) {
    w.Data.StringGridParts.SetCell(PartCol::Qty, 1, "0");
    w.Data.StringGridParts.SetCell(PartCol::MaxQty, 1, "0");
    EXPECT_FALSE(WindowRun());
    EXPECT_EQ(w.LastErrorMessage, kMsgNothingToCut);
}

TEST_F(WindowState, SaveConfigureWritesTheWindowAsTheExitSaveDoes) {
    ScratchDir elsewhere;
    w.Data.EditSheetsFileName = dir.File("job.sht");
    w.Data.EditPartsFileName = elsewhere.File("parts.prt");
    w.Data.EditAnyShapeFileName = dir.File("import.txt");  // no list file of its own
    w.Window.ShowLabel = false;
    w.Window.ShowOffcuts = true;
    w.Window.RadioGroupLayoutsOrder = 1;
    StoreLayoutsPerPage(w.Window, "2", "3", true);
    ButtonSaveOptionsClick(w);

    const platform::TIniFile opt(dir.File("default.opt"));
    const auto key = [&](const char* k) { return opt.ReadString("OPTION", k, "?"); };
    EXPECT_EQ(key("SHEETS_FILE"), "job.sht");  // relative: it lies beside the option file
    EXPECT_EQ(key("PARTS_FILE"), elsewhere.File("parts.prt"));
    EXPECT_EQ(key("PROFILES_FILE"), "");
    EXPECT_EQ(key("LAYOUTS_SHOW_LABEL"), "0");
    EXPECT_EQ(key("LAYOUTS_SHOW_DIMENSION"), "1");
    EXPECT_EQ(key("LAYOUTS_SHOW_OFFCUT"), "1");
    EXPECT_EQ(key("LAYOUTS_ORDER_STYLE"), "1");
    EXPECT_EQ(key("LAYOUTS_PRINT_COL"), "2");
    EXPECT_EQ(key("LAYOUTS_PRINT_ROW"), "3");
    EXPECT_EQ(key("LAYOUTS_PRINT_PARTS"), "1");

    // A copy of the folder opens its own lists; absolute names stay as they are.
    ScratchDir copy;
    fs::copy_file(dir.File("default.opt"), copy.File("default.opt"));
    for (const ScratchDir* from : {&dir, &copy}) {
        TOptionPage page;
        TWindowOptions window;
        ASSERT_TRUE(ReadOptionFile(from->File("default.opt"), page, window));
        EXPECT_EQ(fs::path(window.SheetsFileName), fs::path(from->File("job.sht")));
        EXPECT_EQ(window.PartsFileName, elsewhere.File("parts.prt"));
        EXPECT_FALSE(window.ShowLabel);
        EXPECT_TRUE(window.ShowOffcuts);
        EXPECT_EQ(window.EditColumnsPerPage, "2");
        EXPECT_TRUE(LayoutsPrintParts);
    }
    EXPECT_EQ(ListPathForOptionFile(dir.File("sub/a.sht"), dir.File("x.opt")), "sub/a.sht");
    EXPECT_EQ(ListPathFromOptionFile("", dir.File("x.opt")), "");
}

TEST_F(WindowState, SettingsTakeEffectAtOnce) {
    TOptionPage& page = w.Page;
    OnChangeOptimizeSpeedTrackbar(page, 7);
    EXPECT_EQ(OptimizeSpeed, 7);
    OnChangeOptimizeSpeedTrackbar(page, 99);
    EXPECT_EQ(OptimizeSpeed, kTrackBarSpeedMax);
    EXPECT_EQ(page.TrackBarSpeed, kTrackBarSpeedMax);
    for (const bool on : {true, false}) {
        CheckBoxOrderOptimizeClick(page, on);
        EXPECT_EQ(OrderOptimize, on);
        CheckBoxZAxisClick(page, on);
        EXPECT_EQ(GCodeZMoves, on);
        EXPECT_EQ(page.DrillEditsEnabled(), on);
    }
}

TEST_F(WindowState, ListsWithRowsButNoListFileAreOfferedAtExit) {
    w.Data.EditSheetsFileName = dir.File("import.txt");  // read from a text file
    w.Data.EditPartsFileName = dir.File("job.prt");
    w.Data.StringGridOffcutRack.SetCell(OffcutRackCol::Slot, 1, "1");  // a slot number alone
    StoreExitSaveChoice({true, true, true, true, true});
    EXPECT_EQ(ListsWithoutFile(w), std::vector<TExitList>{TExitList::Sheets});
    EXPECT_EQ(ShownListFileName(w.Data.EditSheetsFileName, "sht"),
              "(untitled, read from " + dir.File("import.txt") + ")");
    EXPECT_EQ(ShownListFileName("", "prt"), "(untitled)");
    EXPECT_EQ(ShownListFileName(w.Data.EditPartsFileName, "prt"), dir.File("job.prt"));

    // Named, it is written; unticked, it is not asked for.
    ExitListFileName(w.Data, TExitList::Sheets) = dir.File("kept.sht");
    EXPECT_TRUE(ListsWithoutFile(w).empty());
    EXPECT_TRUE(SaveOnExit(w).Failed.empty());
    EXPECT_TRUE(fs::exists(dir.File("kept.sht")));
    w.Data.EditSheetsFileName.clear();
    StoreExitSaveChoice({false, true, true, true, true});
    EXPECT_TRUE(ListsWithoutFile(w).empty());
}

namespace {

// A progress sink that runs out of memory at the run's first step.
class OutOfMemoryAtFirstStep : public TProgressSink {
  public:
    void StepIt() override { throw std::bad_alloc(); }
};

}  // namespace

TEST_F(WindowState, ARunThatMakesNoPlanKeepsThePlanBeforeIt) {
    struct Case {
        const char* Name;
        void (*Break)(TMainWindowCore&);  // what makes the next run fail
        const char* Message;              // in the run's own error
    } cases[] = {
        // After Update All every quantity is 0: nothing to cut.
        {"nothing left to cut", [](TMainWindowCore&) {}, kMsgNothingToCut},
        {"pages refused",
         [](TMainWindowCore& m) { m.Data.StringGridSheets.SetCell(SheetCol::Length, 1, "long"); },
         MsgSheetLengthFormatInvalid.c_str()},
        {"out of memory", [](TMainWindowCore&) {}, "Out of memory"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        SetUp();
        ASSERT_TRUE(WindowRun());
        const bool bookFirst = std::string(c.Name) == "nothing left to cut";
        if (bookFirst) {
            TStockUpdater u(w.Data, w.Page, w.UpdateButtons);
            ASSERT_TRUE(u.ButtonUpdateAllClick());
        }
        const int layouts = Optimizer.Best.Count();
        const auto report = w.ListBoxReport;
        const auto buttons = w.UpdateButtons;
        c.Break(w);
        sink.Warnings.clear();

        OutOfMemoryAtFirstStep noMemory;
        if (std::string(c.Name) == "out of memory") SetProgressSink(&noMemory);
        // Both roads of a run: the window's (worker thread) and the direct one.
        EXPECT_FALSE(WindowRun());
        SetProgressSink(nullptr);
        EXPECT_NE(w.LastErrorMessage.find(c.Message), std::string::npos) << w.LastErrorMessage;
        ASSERT_EQ(sink.Warnings.size(), 1u);
        EXPECT_EQ(sink.Warnings[0], w.LastErrorMessage);
        EXPECT_EQ(Optimizer.Best.Count(), layouts);
        EXPECT_EQ(w.ListBoxReport, report);
        // A booked plan stays booked: it can be printed, not booked twice.
        EXPECT_EQ(w.UpdateButtons.ButtonUpdateAll, buttons.ButtonUpdateAll);
        EXPECT_EQ(w.UpdateButtons.ButtonUpdateAll, !bookFirst);

        if (std::string(c.Name) == "out of memory") SetProgressSink(&noMemory);
        w.StartOptimizeClick();
        SetProgressSink(nullptr);
        EXPECT_EQ(Optimizer.Best.Count(), layouts);
        EXPECT_EQ(w.ListBoxReport, report);
    }
}

TEST_F(WindowState, OutOfMemoryInARunIsSaidInWords) {
    OutOfMemoryAtFirstStep noMemory;
    SetProgressSink(&noMemory);
    EXPECT_FALSE(WindowRun());
    SetProgressSink(nullptr);
    EXPECT_EQ(w.LastErrorMessage, kMsgRunOutOfMemory);
    EXPECT_EQ(w.LastErrorMessage.find(MsgCantGetResult), std::string::npos);
    EXPECT_EQ(w.LastErrorMessage.find("bad_alloc"), std::string::npos);
    EXPECT_EQ(Optimizer.Best.Count(), 0);
}

TEST_F(WindowState, AStockUpdateIsRefusedWhenARowThePlanUsesChangedSinceTheRun) {
    w.Data.StringGridParts.SetRow(2, {"Q", "MDF", "300", "100", "R", "2", "2", "R", "", ""});
    ASSERT_TRUE(WindowRun());
    const TMainData lists = w.Data;
    using G = TStringGrid TMainData::*;
    struct Change {
        const char* Name;
        G Grid;
        int Col;
        const char* Text;
        const char* Message;
        int ShownCol;  // the cell shown; -1: the grid as a whole
    } changes[] = {
        {"part quantity", &TMainData::StringGridParts, PartCol::Qty, "2", "changed since the run",
         PartCol::Qty},
        {"part max quantity", &TMainData::StringGridParts, PartCol::MaxQty, "9", "changed since",
         PartCol::MaxQty},
        {"part length", &TMainData::StringGridParts, PartCol::Length, "401", "changed since",
         PartCol::Length},
        {"part width", &TMainData::StringGridParts, PartCol::Width, "199", "changed since",
         PartCol::Width},
        {"part rotation", &TMainData::StringGridParts, PartCol::Rotate, "N", "changed since",
         PartCol::Rotate},
        {"part shape", &TMainData::StringGridParts, PartCol::Shape, "C", "changed since",
         PartCol::Shape},
        // A cell that no longer reads is named where it stands.
        {"part quantity unreadable", &TMainData::StringGridParts, PartCol::Qty, "x",
         "'x' is not a valid integer value", PartCol::Qty},
        {"part material", &TMainData::StringGridParts, PartCol::Type, "PLY",
         "no longer in the grid", -1},
        {"sheet quantity", &TMainData::StringGridSheets, SheetCol::Qty, "1", "changed since",
         SheetCol::Qty},
        {"sheet length", &TMainData::StringGridSheets, SheetCol::Length, "900", "changed since",
         SheetCol::Length},
        {"sheet width", &TMainData::StringGridSheets, SheetCol::Width, "501", "changed since",
         SheetCol::Width},
        {"sheet material", &TMainData::StringGridSheets, SheetCol::Type, "PLY", "no longer", -1},
    };
    for (const Change& c : changes) {
        SCOPED_TRACE(c.Name);
        w.Data = lists;
        (w.Data.*c.Grid).SetCell(c.Col, 1, c.Text);
        const TMainData changed = w.Data;
        sink.Warnings.clear();
        TStockUpdater u(w.Data, w.Page, w.UpdateButtons);
        EXPECT_FALSE(u.ButtonUpdateAllClick());
        // The refusal shows the row's page and selects the cell that changed.
        const bool parts = c.Grid == &TMainData::StringGridParts;
        const TErrorLocation shown = u.Outcome().Error;
        EXPECT_EQ(shown.Page, parts ? "TabSheetParts" : "TabSheetSheets");
        EXPECT_EQ(shown.Control, parts ? "StringGridParts" : "StringGridSheets");
        EXPECT_EQ(shown.Col, c.ShownCol);
        EXPECT_EQ(shown.Row, c.ShownCol < 0 ? -1 : 1);
        EXPECT_FALSE(parts ? u.ButtonUpdatePartsClick() : u.ButtonUpdateSheetsClick());
        EXPECT_EQ(u.Outcome().Error.Row, shown.Row);
        ASSERT_EQ(sink.Warnings.size(), 2u);
        EXPECT_NE(sink.Warnings[0].find(c.Message), std::string::npos) << sink.Warnings[0];
        for (const G g : {&TMainData::StringGridSheets, &TMainData::StringGridParts})
            for (int r = 1; r < 3; ++r) EXPECT_EQ((w.Data.*g).Row(r), (changed.*g).Row(r));
        EXPECT_TRUE(w.UpdateButtons.ButtonUpdateAll);
        EXPECT_TRUE(w.UpdateButtons.ButtonUpdateParts);
        EXPECT_TRUE(w.UpdateButtons.ButtonUpdateSheets);
    }

    // Rows the plan does not use, and cells that read as the run read them,
    // may change: the update is booked.
    w.Data = lists;
    w.Data.StringGridParts.SetRow(3, {"New", "MDF", "10", "10", "R", "7", "7", "R", "", ""});
    w.Data.StringGridParts.SetCell(PartCol::Comment, 1, "a note");
    w.Data.StringGridParts.SetCell(PartCol::Length, 1, "400.0");
    w.Data.StringGridSheets.SetCell(SheetCol::Cost, 1, "2");
    TStockUpdater u(w.Data, w.Page, w.UpdateButtons);
    EXPECT_TRUE(u.ButtonUpdateAllClick());
    EXPECT_EQ(Cell(w.Data.StringGridParts, PartCol::Qty), "0");
    EXPECT_EQ(w.Data.StringGridParts.Cell(PartCol::Qty, 3), "7");
}

TEST_F(WindowState, ACancelledRunDoesNotLetTheOldPlanBookNewQuantities) {
    w.Data.StringGridParts.SetRow(1, {"P", "MDF", "400", "200", "R", "20", "20", "R", "", ""});
    w.Data.StringGridSheets.SetCell(SheetCol::Qty, 1, "20");
    ASSERT_TRUE(WindowRun());
    w.Data.StringGridParts.SetCell(PartCol::Qty, 1, "5");
    w.Data.StringGridParts.SetCell(PartCol::MaxQty, 1, "5");
    EXPECT_FALSE(WindowRun(true));  // the plan for 20 comes back
    sink.Warnings.clear();
    TStockUpdater u(w.Data, w.Page, w.UpdateButtons);
    EXPECT_FALSE(u.ButtonUpdatePartsClick());
    ASSERT_EQ(sink.Warnings.size(), 1u);
    EXPECT_NE(sink.Warnings[0].find("[P] [MDF]"), std::string::npos);
    EXPECT_EQ(Cell(w.Data.StringGridParts, PartCol::Qty), "5");
}
