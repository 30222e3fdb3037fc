#include "app/core/startup.h"

#include <algorithm>
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
#include "engine/textfmt.h"
#include "output/cut_lists.h"
#include "platform/folder_lock.h"
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
    return read(name);
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

// Finishes or undoes, before anything is read there, the saves that a kill
// stopped in Folders (each folder once).
void RecoverInterruptedSaves(const std::vector<std::string>& folders) {
    std::vector<std::string> done;
    for (const std::string& folder : folders) {
        if (std::find(done.begin(), done.end(), folder) != done.end()) continue;
        done.push_back(folder);
        for (const std::string& note : platform::RecoverWriteGroups(folder)) Warn(note);
    }
}

// The files the command line names: read, or written by the update.
std::vector<std::string> CommandLineFiles(const TCommandLine& cl) {
    std::vector<std::string> files;
    for (const char* sw :
         {"-sheet:", "-part:", "-sht:", "-prt:", "-option:", "-ex_sheet:", "-ex_part:"})
        files.push_back(cl.GetParaValue(sw));
    return files;
}

// The refusal of a stock update whose files another program holds.
void WarnLocked(const std::string& why) {
    Warn(why + " The stock update was refused; nothing was written.");
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
    // (then no file is changed). The files are noted as written in Data.
    bool Commit(TMainData& data) {
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
        for (const auto& [file, what] : names_) {
            NoteListFile(data, file);
            platform::CurrentMessageSink().Note(std::string(what) + " saved to \"" + file + "\"");
        }
        return true;
    }

  private:
    platform::TFileWriteGroup group_;
    std::vector<std::pair<std::string, const char*>> names_;
    bool failed_ = false;
};

// Writes the job's TAB export of a grid to File, unless File is a list the
// job read that another program has changed since: the export, worked out
// from the stock as it was read, would write over that program's result.
bool WriteJobExport(const TMainData& d, const std::string& file,
                    bool (*write)(const TMainData&, const std::string&, bool)) {
    if (ListFileChangedSince(d, file)) {
        Warn("The file \"" + file +
             "\" was changed by another program since this job read it; the job's export was "
             "not written over it.");
        return false;
    }
    return write(d, file, true);
}

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
    RecoverInterruptedSaves({AppDir});
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
                        [](const std::string& f) { return PartEdgeList.LoadFromIni(f), true; }) &&
         ok;
    ok =
        ReadIfReadable(InAppDir("default.cap"),
                       [&](const std::string& f) { return w.Captions.ReadCaptionFile(f), true; }) &&
        ok;
    w.Data.RefreshGridTitles(GridTitleWords(w.Captions));

    w.OffcutRackFile = LastUsedOr(w.Window.OffcutsRackFileName, "default_offcut.rck");
    w.PartRackFile = LastUsedOr(w.Window.PartsRackFileName, "default_part.prk");
    RecoverInterruptedSaves(
        platform::WriteFoldersOf({w.Window.SheetsFileName, w.Window.PartsFileName, w.Window.ProfilesFileName,
                   w.OffcutRackFile, w.PartRackFile}));
    // A list the reader refused (too large for memory, not a list it can
    // read) counts as a failure like an unreadable one: the job must not go
    // on from the grid it left, nor save that grid over the file.
    const auto into = [&](bool (*read)(TMainData&, const std::string&)) {
        return [&w, read](const std::string& f) { return read(w.Data, f); };
    };
    const auto rack = [&](TRackFileRead (*read)(TMainData&, const std::string&)) {
        return [&w, read](const std::string& f) {
            switch (read(w.Data, f)) {
                case TRackFileRead::Loaded:
                case TRackFileRead::NotThere:
                    return true;
                case TRackFileRead::TooFewSlots:
                    Warn("The rack file \"" + f +
                         "\" names fewer than 2 slots, the least a rack holds. The file was not "
                         "loaded.");
                    return false;
                case TRackFileRead::Refused:
                    break;
            }
            return false;
        };
    };
    ok = ReadIfReadable(LastUsedOr(w.Window.SheetsFileName, "default.sht"), into(ReadSheetsFile)) &&
         ok;
    ok = ReadIfReadable(LastUsedOr(w.Window.PartsFileName, "default.prt"), into(ReadPartsFile)) &&
         ok;
    ok = ReadIfReadable(LastUsedOr(w.Window.ProfilesFileName, "default.apt"),
                        into(ReadAnyShapeFile)) &&
         ok;
    ok = ReadIfReadable(w.OffcutRackFile, rack(ReadOffcutRackFile)) && ok;
    ok = ReadIfReadable(w.PartRackFile, rack(ReadPartRackFile)) && ok;
    return ok;
}

bool ApplyCommandLine(TMainWindowCore& w, const TCommandLine& cl) {
    if (!cl.HasParameters()) return true;
    RecoverInterruptedSaves(platform::WriteFoldersOf(CommandLineFiles(cl)));
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
    const bool planned = Optimizer.Best.Count() > 0;
    // A plan that leaves out parts to cut is not the job done.
    bool ok = planned && !w.PartsLeftOut;

    const std::string report = cl.GetParaValue("-report:");
    if (!report.empty()) {
        ok = WriteExportTXTFile(w.ListBoxReport, report) && ok;
        if (!platform::IsRegularFileOrAbsent(report) || report.starts_with("/dev/") ||
            report.starts_with("/proc/")) {
            // A device or pipe, or a stream's name (/dev/stdout, also when
            // it leads to a file), takes the report; its cut lists would
            // land beside the name, in a system folder.
            platform::CurrentMessageSink().Note("\"" + report +
                                                "\" is a device, pipe or stream: its cut lists (" +
                                                "_EXECL.txt, _LABEL.txt) were not written.");
        } else {
            try {
                SaveLayoutsListFile(report + "_EXECL.txt");
                SavePiecesListFile(report + "_LABEL.txt");
            } catch (const std::exception& e) {
                Warn(std::string("[") + e.what() + "]");
                ok = false;
            }
        }
    }

    if (!UpdateMode) return ok;
    if (!planned) {
        // Nothing was cut: the stock stays as it is and no list is exported.
        Warn("No plan was made, so the stock was not updated and no list was exported.");
        return false;
    }
    // The files of the update are changed by one program at a time: the
    // lock is held from before they were read (batch mode) until the last
    // rename.
    platform::TFolderLock lock;
    std::string lockError;
    if (!lock.Acquire(platform::WriteFoldersOf({OrDefault(w.OffcutRackFile, DefaultOffcutRackFileName()),
                                 OrDefault(w.PartRackFile, DefaultPartRackFileName()),
                                 ExSheetFileName, ExPartFileName}),
                      lockError)) {
        WarnLocked(lockError);
        return false;
    }
    w.Page.CheckBoxDisableOffcutsRack = true;
    DisableOffcutsRack = false;
    const TStringGrid offcutsBefore = w.Data.StringGridOffcutRack;
    const TStringGrid partsBefore = w.Data.StringGridPartRack;
    TStockUpdater updater(w.Data, w.Page, w.UpdateButtons);
    if (!updater.ButtonUpdateAllClick()) {
        Warn("The stock update was refused, so no list was exported.");
        return false;
    }
    w.UnsavedUpdate.Note(updater.Outcome());
    // The racks and the exported lists of one update are saved together
    // or not at all: a kill between them would book the offcuts twice at
    // the next run.
    TUpdateFiles files;
    if (HideMode) {
        // Batch mode has no exit that saves the lists: the racks the
        // update filled are saved here, or the offcuts and parts are lost.
        SaveChangedRack(files, w.Data, offcutsBefore, w.Data.StringGridOffcutRack,
                        OrDefault(w.OffcutRackFile, DefaultOffcutRackFileName()), "Offcut rack",
                        WriteOffcutRackToFile);
        SaveChangedRack(files, w.Data, partsBefore, w.Data.StringGridPartRack,
                        OrDefault(w.PartRackFile, DefaultPartRackFileName()), "Part rack",
                        WritePartRackToFile);
    }
    files.Add(ExSheetFileName, "Sheets list",
              [&] { return WriteJobExport(w.Data, ExSheetFileName, WriteSheetsTxtFile); });
    files.Add(ExPartFileName, "Parts list",
              [&] { return WriteJobExport(w.Data, ExPartFileName, WritePartsTxtFile); });
    return files.Commit(w.Data) && ok;
}

void TAutoJob::LoadFiles() {
    const bool locked = LockFiles();
    const bool read = LoadStartupFiles(window_);
    if (!ApplyCommandLine(window_, commandLine_) || !read || !locked) AutoMode = false;
}

bool TAutoJob::LockFiles() {
    const TCommandLine& cl = commandLine_;
    if (!cl.HasParameters() || !cl.IsYes("-auto:") ||
        !(cl.IsYes("-update:") || !cl.GetParaValue("-ex_sheet:").empty() ||
          !cl.GetParaValue("-ex_part:").empty()))
        return true;
    if (AppDir.empty()) AppDir = std::filesystem::current_path().string();
    std::vector<std::string> folders = platform::WriteFoldersOf(CommandLineFiles(cl));
    folders.push_back(AppDir);
    std::string error;
    if (lock_.Acquire(folders, error)) return true;
    WarnLocked(error);
    return false;
}

bool TAutoJob::Begin() {
    if (pending_) return false;
    if (!AutoMode) {
        lock_.Release();
        return false;
    }
    pending_ = true;
    return true;
}

bool TAutoJob::RunEnded(bool Cancelled) {
    if (!pending_) return false;
    pending_ = false;
    if (!Cancelled) FinishAutoJob(window_, commandLine_);
    AutoMode = false;
    lock_.Release();
    return !Cancelled;
}

int RunBatch(TMainWindowCore& w, const TCommandLine& cl) {
    try {
        if (AppDir.empty()) AppDir = std::filesystem::current_path().string();
        // A job that will update the stock holds the lock on the folders of
        // its files from before it reads them, so that a second update
        // waits for this one's result instead of working from the same old
        // stock.
        platform::TFolderLock lock;
        if (cl.HasParameters() && cl.IsYes("-auto:") &&
            (cl.IsYes("-update:") || !cl.GetParaValue("-ex_sheet:").empty() ||
             !cl.GetParaValue("-ex_part:").empty())) {
            std::vector<std::string> folders = platform::WriteFoldersOf(CommandLineFiles(cl));
            folders.push_back(AppDir);
            std::string error;
            if (!lock.Acquire(folders, error)) {
                WarnLocked(error);
                return 1;
            }
        }
        const bool loaded = LoadStartupFiles(w);
        const bool applied = ApplyCommandLine(w, cl);
        if (!loaded || !applied) {
            if (AutoMode)
                Warn("No plan was made: a file of the job cannot be read or was refused.");
            return 1;
        }
        // A list cut at the most rows a list file holds would plan without
        // the rest and export the list without them.
        for (const std::string* cut : {&w.Data.SheetsCutFrom, &w.Data.PartsCutFrom})
            if (AutoMode && !cut->empty()) {
                Warn("No plan was made: the list file \"" + *cut + "\" holds more than " +
                     IntToStr(kMaxListSections) + " rows, the most a list reads.");
                return 1;
            }
        if (!AutoMode) return 0;
        return RunAutoJob(w, cl) ? 0 : 1;
    } catch (const std::exception& e) {
        Warn(std::string("load program exception information[") + e.what() + "]");
        return 2;
    }
}
