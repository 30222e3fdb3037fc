#include "app/core/startup.h"

#include <exception>
#include <filesystem>

#include "app/core/free_shapes.h"
#include "app/core/grid_text_files.h"
#include "app/core/list_files.h"
#include "app/core/material_types.h"
#include "app/core/racks.h"
#include "app/core/stock_update.h"
#include "engine/partedge.h"
#include "engine/pubstr.h"
#include "engine/shared_state.h"
#include "output/cut_lists.h"
#include "platform/message_sink.h"

namespace {

std::string InAppDir(const char* name) {
    return AppDir + "/" + name;
}

std::string LastUsedOr(const std::string& lastUsed, const char* defaultName) {
    return lastUsed.empty() ? InAppDir(defaultName) : lastUsed;
}

void Warn(const std::string& text) {
    platform::CurrentMessageSink().Warning(text);
}

}  // namespace

void LoadStartupFiles(TMainWindowCore& w) {
    if (AppDir.empty()) AppDir = std::filesystem::current_path().string();
    const std::string typeError = ReadTypeFile(InAppDir("default.typ"));
    if (!typeError.empty()) Warn(typeError);
    // The type drop-down holds the types before the option file picks one.
    w.Page.ComboBoxTypeSelect.Items = TypeComboItems(nullptr);
    w.Page.ComboBoxTypeSelect.Select(0);
    ReadOptionFile(InAppDir("default.opt"), w.Page, w.Window);
    PartEdgeList.LoadFromIni(InAppDir("default.edg"));
    w.Captions.ReadCaptionFile(InAppDir("default.cap"));
    w.Data.RefreshGridTitles(GridTitleWords(w.Captions));

    ReadSheetsFile(w.Data, LastUsedOr(w.Window.SheetsFileName, "default.sht"));
    ReadPartsFile(w.Data, LastUsedOr(w.Window.PartsFileName, "default.prt"));
    ReadAnyShapeFile(w.Data, LastUsedOr(w.Window.ProfilesFileName, "default.apt"));
    ReadOffcutRackFromFile(w.Data, LastUsedOr(w.Window.OffcutsRackFileName, "default_offcut.rck"));
    ReadPartRackFromFile(w.Data, LastUsedOr(w.Window.PartsRackFileName, "default_part.prk"));
}

void ApplyCommandLine(TMainWindowCore& w, const TCommandLine& cl) {
    if (!cl.HasParameters()) return;
    std::string v;
    if (!(v = cl.GetParaValue("-sheet:")).empty()) ReadSheetsTXTFile(w.Data, v);
    if (!(v = cl.GetParaValue("-part:")).empty()) ReadPartsTXTFile(w.Data, v);
    if (!(v = cl.GetParaValue("-sht:")).empty()) ReadSheetsFile(w.Data, v);
    if (!(v = cl.GetParaValue("-prt:")).empty()) ReadPartsFile(w.Data, v);
    if (!(v = cl.GetParaValue("-option:")).empty()) ReadOptionFile(v, w.Page, w.Window);
    if (!(v = cl.GetParaValue("-measure:")).empty()) w.Page.EditMeasure = v;
    AutoMode = cl.IsYes("-auto:");
    UpdateMode = cl.IsYes("-update:");
    if (!(v = cl.GetParaValue("-ex_sheet:")).empty()) {
        UpdateMode = true;
        ExSheetFileName = v;
    }
    if (!(v = cl.GetParaValue("-ex_part:")).empty()) {
        UpdateMode = true;
        ExPartFileName = v;
    }
    HideMode = cl.IsYes("-hide:");
}

bool RunAutoJob(TMainWindowCore& w, const TCommandLine& cl) {
    w.StartOptimizeClick();
    return FinishAutoJob(w, cl);
}

bool FinishAutoJob(TMainWindowCore& w, const TCommandLine& cl) {
    bool ok = Optimizer.Best.Count() > 0;

    const std::string report = cl.GetParaValue("-report:");
    if (!report.empty()) {
        ok = WriteExportTXTFile(w.ListBoxReport, report) && ok;
        try {
            SaveLayoutsListFile(report + "_EXECL.txt");
            SavePiecesListFile(report + "_LABEL.txt");
        } catch (const std::exception& e) {
            Warn(std::string("[") + e.what() + "]");
            ok = false;
        }
    }

    if (UpdateMode) {
        w.Page.CheckBoxDisableOffcutsRack = true;
        DisableOffcutsRack = false;
        TStockUpdater updater(w.Data, w.Page, w.UpdateButtons);
        if (!updater.ButtonUpdateAllClick()) ok = false;
        ok = WriteSheetsTxtFile(w.Data, ExSheetFileName, true) && ok;
        ok = WritePartsTxtFile(w.Data, ExPartFileName, true) && ok;
    }
    return ok;
}

int RunBatch(TMainWindowCore& w, const TCommandLine& cl) {
    try {
        LoadStartupFiles(w);
        ApplyCommandLine(w, cl);
        if (!AutoMode) return 0;
        return RunAutoJob(w, cl) ? 0 : 1;
    } catch (const std::exception& e) {
        Warn(std::string("load program exception information[") + e.what() + "]");
        return 2;
    }
}
