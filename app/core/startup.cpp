#include "app/core/startup.h"

#include <exception>
#include <filesystem>
#include <utility>
#include <vector>

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
#include "platform/inifile.h"
#include "platform/message_sink.h"

namespace {

std::string InAppDir(const char* name) {
    return AppDir + "/" + name;
}

std::string LastUsedOr(const std::string& lastUsed, const char* defaultName) {
    return lastUsed.empty() ? InAppDir(defaultName) : lastUsed;
}

std::string OrDefault(const std::string& name, const std::string& defaultName) {
    return name.empty() ? defaultName : name;
}

void Warn(const std::string& text) {
    platform::CurrentMessageSink().Warning(text);
}

// Reads Name with Read unless it is there but cannot be read (reported).
template <typename Read>
bool ReadIfReadable(const std::string& name, Read read) {
    if (RefuseUnreadableFile(name)) return false;
    read(name);
    return true;
}

// A file named on the command line must be there; a missing one is reported.
bool NamedFileThere(const std::string& name) {
    if (platform::ProbeFile(name) != platform::FileState::Missing) return true;
    WarnUnreadableFile(name);
    return false;
}

// A list file named on the command line replaces its grid; one that is not
// there or cannot be read leaves the grid empty, so nothing is planned from
// the list it replaced.
bool ReadNamedList(TMainData& d, const std::string& name,
                   bool (*read)(TMainData&, const std::string&), void (*clear)(TMainData&)) {
    if (NamedFileThere(name) && read(d, name)) return true;
    clear(d);
    return false;
}

bool SameCells(const TStringGrid& a, const TStringGrid& b) {
    if (a.ColCount() != b.ColCount() || a.RowCount() != b.RowCount()) return false;
    for (int r = 0; r < a.RowCount(); ++r)
        if (a.Row(r) != b.Row(r)) return false;
    return true;
}

// The files of one stock update, written to their temporary names until all
// are written, then renamed together and named on the message sink.
class TUpdateFiles {
  public:
    // Writes one file (Write reports its own failure and returns false).
    template <typename Write>
    void Add(const std::string& file, const char* what, Write write) {
        bool written = false;
        try {
            written = write();
        } catch (const std::exception& e) {
            Warn(std::string("[") + e.what() + "]");
        }
        if (written)
            names_.emplace_back(file, what);
        else
            failed_ = true;
    }
    // Renames every file into place when all were written; false otherwise
    // (then no file is changed).
    bool Commit() {
        if (failed_) {
            Warn("No file of the stock update was saved, so that its files stay in step.");
            return false;
        }
        try {
            group_.Commit();
        } catch (const std::exception& e) {
            Warn(std::string("[") + e.what() + "]");
            return false;
        }
        for (const auto& [file, what] : names_)
            platform::CurrentMessageSink().Note(std::string(what) + " saved to \"" + file + "\"");
        return true;
    }

  private:
    platform::TFileWriteGroup group_;
    std::vector<std::pair<std::string, const char*>> names_;
    bool failed_ = false;
};

// Saves a rack the update changed to File, all of its slots.
void SaveChangedRack(TUpdateFiles& files, TMainData& d, const TStringGrid& before,
                     const TStringGrid& now, const std::string& file, const char* rackName,
                     bool (*write)(TMainData&, const std::string&, int, bool)) {
    if (SameCells(before, now)) return;
    files.Add(file, rackName, [&] { return write(d, file, now.RowCount() - 1, false); });
}

}  // namespace

bool LoadStartupFiles(TMainWindowCore& w) {
    if (AppDir.empty()) AppDir = std::filesystem::current_path().string();
    bool ok = true;
    const std::string typeError = ReadTypeFile(InAppDir("default.typ"));
    if (!typeError.empty()) {
        Warn(typeError);
        ok = false;
    }
    // The type drop-down holds the types before the option file picks one.
    w.Page.ComboBoxTypeSelect.Items = TypeComboItems(nullptr);
    w.Page.ComboBoxTypeSelect.Select(0);
    ok = ReadOptionFile(InAppDir("default.opt"), w.Page, w.Window) && ok;
    ok = ReadIfReadable(InAppDir("default.edg"),
                        [](const std::string& f) { PartEdgeList.LoadFromIni(f); }) &&
         ok;
    ok = ReadIfReadable(InAppDir("default.cap"),
                        [&](const std::string& f) { w.Captions.ReadCaptionFile(f); }) &&
         ok;
    w.Data.RefreshGridTitles(GridTitleWords(w.Captions));

    w.OffcutRackFile = LastUsedOr(w.Window.OffcutsRackFileName, "default_offcut.rck");
    w.PartRackFile = LastUsedOr(w.Window.PartsRackFileName, "default_part.prk");
    const auto into = [&](bool (*read)(TMainData&, const std::string&)) {
        return [&w, read](const std::string& f) { read(w.Data, f); };
    };
    ok = ReadIfReadable(LastUsedOr(w.Window.SheetsFileName, "default.sht"), into(ReadSheetsFile)) &&
         ok;
    ok = ReadIfReadable(LastUsedOr(w.Window.PartsFileName, "default.prt"), into(ReadPartsFile)) &&
         ok;
    ok = ReadIfReadable(LastUsedOr(w.Window.ProfilesFileName, "default.apt"),
                        into(ReadAnyShapeFile)) &&
         ok;
    ok = ReadIfReadable(w.OffcutRackFile, into(ReadOffcutRackFromFile)) && ok;
    ok = ReadIfReadable(w.PartRackFile, into(ReadPartRackFromFile)) && ok;
    return ok;
}

bool ApplyCommandLine(TMainWindowCore& w, const TCommandLine& cl) {
    if (!cl.HasParameters()) return true;
    bool ok = true;
    std::string v;
    if (!(v = cl.GetParaValue("-sheet:")).empty()) ok = ReadSheetsTXTFile(w.Data, v) && ok;
    if (!(v = cl.GetParaValue("-part:")).empty()) ok = ReadPartsTXTFile(w.Data, v) && ok;
    if (!(v = cl.GetParaValue("-sht:")).empty())
        ok = ReadNamedList(w.Data, v, ReadSheetsFile, SheetsDeleteAll) && ok;
    if (!(v = cl.GetParaValue("-prt:")).empty())
        ok = ReadNamedList(w.Data, v, ReadPartsFile, PartsDeleteAll) && ok;
    if (!(v = cl.GetParaValue("-option:")).empty())
        ok = NamedFileThere(v) && ReadOptionFile(v, w.Page, w.Window) && ok;
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
    return ok;
}

bool RunAutoJob(TMainWindowCore& w, const TCommandLine& cl) {
    w.StartOptimizeClick();
    return FinishAutoJob(w, cl);
}

bool FinishAutoJob(TMainWindowCore& w, const TCommandLine& cl) {
    // A plan that leaves out parts to cut is not the job done.
    bool ok = Optimizer.Best.Count() > 0 && !w.PartsLeftOut;

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
        const TStringGrid offcutsBefore = w.Data.StringGridOffcutRack;
        const TStringGrid partsBefore = w.Data.StringGridPartRack;
        TStockUpdater updater(w.Data, w.Page, w.UpdateButtons);
        const bool updated = updater.ButtonUpdateAllClick();
        // The racks and the exported lists of one update are saved together
        // or not at all: a kill between them would book the offcuts twice at
        // the next run.
        TUpdateFiles files;
        if (updated && HideMode) {
            // Batch mode has no exit that saves the lists: the racks the
            // update filled are saved here, or the offcuts and parts are lost.
            SaveChangedRack(files, w.Data, offcutsBefore, w.Data.StringGridOffcutRack,
                            OrDefault(w.OffcutRackFile, DefaultOffcutRackFileName()), "Offcut rack",
                            WriteOffcutRackToFile);
            SaveChangedRack(files, w.Data, partsBefore, w.Data.StringGridPartRack,
                            OrDefault(w.PartRackFile, DefaultPartRackFileName()), "Part rack",
                            WritePartRackToFile);
        }
        if (!updated) ok = false;
        files.Add(ExSheetFileName, "Sheets list",
                  [&] { return WriteSheetsTxtFile(w.Data, ExSheetFileName, true); });
        files.Add(ExPartFileName, "Parts list",
                  [&] { return WritePartsTxtFile(w.Data, ExPartFileName, true); });
        ok = files.Commit() && ok;
    }
    return ok;
}

bool TAutoJob::Begin() {
    if (pending_ || !AutoMode) return false;
    pending_ = true;
    return true;
}

bool TAutoJob::RunEnded(bool Cancelled) {
    if (!pending_) return false;
    pending_ = false;
    if (!Cancelled) FinishAutoJob(window_, commandLine_);
    AutoMode = false;
    return !Cancelled;
}

int RunBatch(TMainWindowCore& w, const TCommandLine& cl) {
    try {
        const bool loaded = LoadStartupFiles(w);
        const bool applied = ApplyCommandLine(w, cl);
        if (!loaded || !applied) {
            if (AutoMode) Warn("No plan was made: a file of the job cannot be read.");
            return 1;
        }
        if (!AutoMode) return 0;
        return RunAutoJob(w, cl) ? 0 : 1;
    } catch (const std::exception& e) {
        Warn(std::string("load program exception information[") + e.what() + "]");
        return 2;
    }
}
