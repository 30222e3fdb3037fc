#include "app/core/startup.h"

#include <sys/stat.h>

#include <algorithm>
#include <csignal>
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
#include "platform/text_encoding.h"

namespace {

std::string InAppDir(const char* name) {
    return AppDir + "/" + name;
}

std::string LastUsedOr(const std::string& lastUsed, const char* defaultName) {
    return lastUsed.empty() ? InAppDir(defaultName) : lastUsed;
}

// The list and rack files start-up reads: those the option file names, else
// the default files of AppDir (sheets, parts, free shapes, offcut rack, part
// rack).
std::vector<std::string> StartupListFiles(const TWindowOptions& o) {
    return {LastUsedOr(o.SheetsFileName, "default.sht"), LastUsedOr(o.PartsFileName, "default.prt"),
            LastUsedOr(o.ProfilesFileName, "default.apt"),
            LastUsedOr(o.OffcutsRackFileName, "default_offcut.rck"),
            LastUsedOr(o.PartsRackFileName, "default_part.prk")};
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
    if (InUnsettledFolder(name) || RefuseUnreadableFile(name)) return false;
    return read(name);
}

// A file named on the command line must be there; a missing one is reported.
bool NamedFileThere(const std::string& name) {
    if (platform::ProbeFile(name) != platform::FileState::Missing) return true;
    WarnUnreadableFile(name);
    return false;
}

// A list file named on the command line replaces its grid; one that is not
// there, cannot be read or holds no list leaves the grid empty and its page
// naming no file, so that nothing is planned from the list it replaced and no
// save writes the empty grid over that list's file.
bool ReadNamedList(TMainData& d, const std::string& name,
                   bool (*read)(TMainData&, const std::string&), void (*clear)(TMainData&)) {
    if (!InUnsettledFolder(name) && NamedFileThere(name) && read(d, name)) return true;
    clear(d);
    return false;
}

// Settles, before anything is read there, the saves that a kill stopped in
// Folders (each folder once). False, after the refusals, when a folder holds
// a record that could not be settled: nothing is to be read from its files.
bool RecoverInterruptedSaves(const std::vector<std::string>& folders) {
    std::vector<std::string> done;
    bool ok = true;
    for (const std::string& folder : folders) {
        if (std::find(done.begin(), done.end(), folder) != done.end()) continue;
        done.push_back(folder);
        if (IsUnsettledFolder(folder)) {
            ok = false;  // refused once in this start already
            continue;
        }
        const platform::TRecovery r = platform::RecoverWriteGroups(folder);
        for (const std::string& note : r.Notes) Warn(note);
        for (const std::string& refusal : r.Refusals) Warn(refusal);
        // No file of such a folder is read, and none is saved there.
        if (!r.Settled()) MarkUnsettledFolder(folder);
        ok = r.Settled() && ok;
    }
    return ok;
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

// A report that goes to a device or pipe, or to a stream's name
// (/dev/stdout, also when it leads to a file): its cut lists would land
// beside the name, in a system folder, so it gets none.
bool ReportIsStream(const std::string& report) {
    return !platform::IsRegularFileOrAbsent(report) || report.starts_with("/dev/") ||
           report.starts_with("/proc/");
}

// One file a job writes, and what names it.
struct TJobOutput {
    std::string What;
    std::string Path;
};

// The files the report and the update of the job write.
std::vector<TJobOutput> JobOutputs(const TMainWindowCore& w, const TCommandLine& cl) {
    std::vector<TJobOutput> out;
    const std::string report = cl.GetParaValue("-report:");
    if (!report.empty()) {
        out.push_back({"-report:", report});
        if (!ReportIsStream(report)) {
            out.push_back({"the cut list of -report:", report + "_EXECL.txt"});
            out.push_back({"the cut list of -report:", report + "_LABEL.txt"});
        }
    }
    if (!UpdateMode) return out;
    // Batch mode saves the racks with the update, the window at its exit.
    out.push_back({"the offcut rack the update saves",
                   OrDefault(w.OffcutRackFile, DefaultOffcutRackFileName())});
    out.push_back({"the part rack the update saves",
                   OrDefault(w.PartRackFile, DefaultPartRackFileName())});
    out.push_back(
        {cl.GetParaValue("-ex_sheet:").empty() ? "the sheets list of -update:yes" : "-ex_sheet:",
         ExSheetFileName});
    out.push_back(
        {cl.GetParaValue("-ex_part:").empty() ? "the parts list of -update:yes" : "-ex_part:",
         ExPartFileName});
    return out;
}

// Whether writes to A and B replace one file: the same file when both are
// there (hard links too), else the same place. Devices and pipes take each
// write in turn, so they replace nothing.
bool OneFile(const std::string& a, const std::string& b) {
    struct stat sa = {};
    struct stat sb = {};
    const bool aThere = ::stat(a.c_str(), &sa) == 0, bThere = ::stat(b.c_str(), &sb) == 0;
    if ((aThere && !S_ISREG(sa.st_mode)) || (bThere && !S_ISREG(sb.st_mode))) return false;
    if (aThere && bThere) return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
    return aThere == bThere && platform::CanonicalPath(platform::WriteTarget(a)) ==
                                   platform::CanonicalPath(platform::WriteTarget(b));
}

// The capitals that a disk ignoring letter case takes for their small
// letters: First to Last, every Step-th, is Delta away from its small letter.
// exFAT folds the letter case of every alphabet through its up-case table;
// here are the capitals of the Latin, Greek and Cyrillic letters that the
// languages of Europe and Vietnamese write (a capital of another alphabet is
// left as it is, so two names that differ in it count as two).
struct TCapitals {
    char32_t First, Last;
    int Delta, Step;
};
// clang-format off
constexpr TCapitals kCapitals[] = {
    // Latin: ASCII, Latin-1 (the multiplication sign is none), Extended-A and -B
    {0x41, 0x5A, 32, 1}, {0xC0, 0xD6, 32, 1}, {0xD8, 0xDE, 32, 1}, {0x100, 0x12E, 1, 2},
    {0x132, 0x136, 1, 2}, {0x139, 0x147, 1, 2}, {0x14A, 0x176, 1, 2}, {0x178, 0x178, -121, 1},
    {0x179, 0x17D, 1, 2}, {0x1A0, 0x1A4, 1, 2}, {0x1AF, 0x1AF, 1, 1}, {0x1CD, 0x1DB, 1, 2},
    {0x1DE, 0x1EE, 1, 2}, {0x1F8, 0x21E, 1, 2}, {0x222, 0x232, 1, 2},
    // Latin Extended Additional (Vietnamese among others)
    {0x1E00, 0x1E94, 1, 2}, {0x1EA0, 0x1EFE, 1, 2},
    // Greek; a final sigma is a sigma
    {0x386, 0x386, 38, 1}, {0x388, 0x38A, 37, 1}, {0x38C, 0x38C, 64, 1}, {0x38E, 0x38F, 63, 1},
    {0x391, 0x3A1, 32, 1}, {0x3A3, 0x3AB, 32, 1}, {0x3C2, 0x3C2, 1, 1},
    // Cyrillic
    {0x400, 0x40F, 80, 1}, {0x410, 0x42F, 32, 1}, {0x460, 0x480, 1, 2}, {0x48A, 0x4BE, 1, 2},
    {0x4C0, 0x4C0, 15, 1}, {0x4C1, 0x4CD, 1, 2}, {0x4D0, 0x52E, 1, 2},
};
// clang-format on

// The characters of Text (as the program reads texts) with every capital made
// small.
std::u32string WithoutLetterCase(std::string_view text) {
    std::u32string s = platform::TextCharacters(text);
    for (char32_t& c : s)
        for (const TCapitals& r : kCapitals)
            if (c >= r.First && c <= r.Last && (c - r.First) % r.Step == 0) {
                c = static_cast<char32_t>(static_cast<int>(c) + r.Delta);
                break;
            }
    return s;
}

// Whether writes to A and B replace one file on a disk that ignores letter
// case, as a FAT or exFAT stick does: names that differ only in letter case,
// in one folder (told apart as the lock tells them) or in folders of one disk
// whose paths differ only in letter case (a FUSE mount of such a disk gives
// each spelling of a file or folder an inode of its own). On a disk that
// tells letter case apart they are two files, but the job cannot know which
// disk it writes to before it writes. Devices and pipes replace nothing.
bool OneFileIgnoringCase(const std::string& a, const std::string& b) {
    if (!platform::IsRegularFileOrAbsent(a) || !platform::IsRegularFileOrAbsent(b)) return false;
    namespace fs = std::filesystem;
    if (WithoutLetterCase(fs::path(platform::WriteTarget(a)).filename().string()) !=
        WithoutLetterCase(fs::path(platform::WriteTarget(b)).filename().string()))
        return false;
    const std::string fa = platform::WriteFolderOf(a), fb = platform::WriteFolderOf(b);
    struct stat sa = {};
    struct stat sb = {};
    if (::stat(fa.c_str(), &sa) == 0 && ::stat(fb.c_str(), &sb) == 0) {
        if (sa.st_dev != sb.st_dev) return false;
        if (sa.st_ino == sb.st_ino) return true;
    }
    return WithoutLetterCase(fa) == WithoutLetterCase(fb);
}

// False, with a message naming both, when two files the job writes are one,
// or would be one on a disk that ignores letter case: each would replace the
// other.
bool OutputsApart(const TMainWindowCore& w, const TCommandLine& cl) {
    const std::vector<TJobOutput> out = JobOutputs(w, cl);
    for (std::size_t i = 0; i < out.size(); ++i)
        for (std::size_t j = i + 1; j < out.size(); ++j) {
            const bool one = OneFile(out[i].Path, out[j].Path);
            if (!one && !OneFileIgnoringCase(out[i].Path, out[j].Path)) continue;
            Warn(out[i].What + " \"" + out[i].Path + "\" and " + out[j].What + " \"" + out[j].Path +
                 (one ? "\" are one file, so each would replace the other"
                      : "\" differ only in letter case, which a FAT or exFAT disk does not tell "
                        "apart: there they are one file, and each would replace the other") +
                 ": nothing was written. Give them different names.");
            return false;
        }
    return true;
}

// The switches that act only after a run of "-auto:yes", given without it.
void WarnIgnoredSwitches(const TCommandLine& cl) {
    std::vector<std::string> given;
    if (cl.IsYes("-update:")) given.push_back("-update:yes");
    for (const char* sw : {"-report:", "-ex_sheet:", "-ex_part:"})
        if (!cl.GetParaValue(sw).empty()) given.push_back(sw);
    if (given.empty()) return;
    std::string names;
    for (std::size_t i = 0; i < given.size(); ++i)
        names += (i == 0 ? "" : i + 1 == given.size() ? " and " : ", ") + given[i];
    Warn("Nothing was run and no file was written: " + names +
         (given.size() == 1 ? " works" : " work") + " only together with -auto:yes.");
}

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

bool LoadStartupFiles(TMainWindowCore& w, const platform::TFolderLock* jobLock) {
    if (AppDir.empty()) AppDir = std::filesystem::current_path().string();
    ClearUnsettledFolders();
    bool ok = RecoverInterruptedSaves({AppDir});
    // A folder whose stopped save could not be settled is not read at all,
    // as its message says: the window starts from the defaults.
    const bool unsettled = InUnsettledFolder(InAppDir("default.opt"));
    const std::string typeError = unsettled ? "" : ReadTypeFile(InAppDir("default.typ"));
    if (!typeError.empty()) {
        Warn(typeError);
        ok = false;
    }
    // The type drop-down holds the types before the option file picks one.
    w.Page.ComboBoxTypeSelect.Items = TypeComboItems(nullptr);
    w.Page.ComboBoxTypeSelect.Select(0);
    ok = (unsettled || ReadOptionFile(InAppDir("default.opt"), w.Page, w.Window)) && ok;
    ok = ReadIfReadable(InAppDir("default.edg"),
                        [](const std::string& f) { return PartEdgeList.LoadFromIni(f), true; }) &&
         ok;
    ok =
        ReadIfReadable(InAppDir("default.cap"),
                       [&](const std::string& f) { return w.Captions.ReadCaptionFile(f), true; }) &&
        ok;
    w.Data.RefreshGridTitles(GridTitleWords(w.Captions));

    const std::vector<std::string> lists = StartupListFiles(w.Window);
    w.OffcutRackFile = lists[3];
    w.PartRackFile = lists[4];
    // The job's lock was taken on the folders of the lists that the option
    // file named then; one it names now in another folder (the file was
    // changed in between) is not read unlocked.
    if (jobLock && !jobLock->Covers(platform::WriteFoldersOf(lists))) {
        Warn("The option file \"" + InAppDir("default.opt") +
             "\" was changed as the job started: it names lists in a folder the job did not lock "
             "before reading. Nothing was read from them; run the job again.");
        return false;
    }
    ok = RecoverInterruptedSaves(platform::WriteFoldersOf(lists)) && ok;
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
    ok = ReadIfReadable(lists[0], into(ReadSheetsFile)) && ok;
    ok = ReadIfReadable(lists[1], into(ReadPartsFile)) && ok;
    ok = ReadIfReadable(lists[2], into(ReadAnyShapeFile)) && ok;
    ok = ReadIfReadable(w.OffcutRackFile, rack(ReadOffcutRackFile)) && ok;
    ok = ReadIfReadable(w.PartRackFile, rack(ReadPartRackFile)) && ok;
    return ok;
}

bool RefuseUnclearFlags(const TCommandLine& cl) {
    const auto unclear = cl.UnclearFlags();
    for (const auto& [name, value] : unclear)
        Warn("The switch " + name + " has the value \"" + value +
             "\": only yes or no is understood (in any letter case). Nothing was run and no "
             "file was written.");
    return !unclear.empty();
}

bool ApplyCommandLine(TMainWindowCore& w, const TCommandLine& cl) {
    if (!cl.HasParameters()) return true;
    bool ok = RecoverInterruptedSaves(platform::WriteFoldersOf(CommandLineFiles(cl)));
    std::string v;
    if (!(v = cl.GetParaValue("-sheet:")).empty())
        ok = !InUnsettledFolder(v) && ReadSheetsTXTFile(w.Data, v) && ok;
    if (!(v = cl.GetParaValue("-part:")).empty())
        ok = !InUnsettledFolder(v) && ReadPartsTXTFile(w.Data, v) && ok;
    if (!(v = cl.GetParaValue("-sht:")).empty())
        ok = ReadNamedList(w.Data, v, ReadSheetsFile, [](TMainData& d) {
                 SheetsDeleteAll(d);
                 d.EditSheetsFileName.clear();
                 d.SheetsCutFrom.clear();
             }) && ok;
    if (!(v = cl.GetParaValue("-prt:")).empty())
        ok = ReadNamedList(w.Data, v, ReadPartsFile, [](TMainData& d) {
                 PartsDeleteAll(d);
                 d.EditPartsFileName.clear();
                 d.PartsCutFrom.clear();
             }) && ok;
    if (!(v = cl.GetParaValue("-option:")).empty())
        ok = !InUnsettledFolder(v) && NamedFileThere(v) && ReadOptionFile(v, w.Page, w.Window) &&
             ok;
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
    // The window leaves an unticked type out as the user asked; a job names
    // the parts it did not cut.
    for (const std::string& line : w.Unticked) Warn(line);
    // A plan that leaves out parts to cut is not the job done.
    bool ok = planned && !w.PartsLeftOut;

    // Every report file asked for, written before the update: a job whose
    // report is lost is run again, and must not book its plan twice.
    bool reported = true;
    const std::string report = cl.GetParaValue("-report:");
    if (!report.empty() && !planned) {
        // The report and cut lists of the run before (a plan that may have
        // been booked and is being cut) are not emptied by a run that failed.
        platform::CurrentMessageSink().Note(
            "No plan was made, so the report files were not written: \"" + report +
            "\" and its cut lists stay as they were.");
    } else if (!report.empty()) {
        reported = WriteExportTXTFile(w.ListBoxReport, report);
        if (ReportIsStream(report)) {
            platform::CurrentMessageSink().Note("\"" + report +
                                                "\" is a device, pipe or stream: its cut lists (" +
                                                "_EXECL.txt, _LABEL.txt) were not written.");
        } else {
            try {
                SaveLayoutsListFile(report + "_EXECL.txt");
                SavePiecesListFile(report + "_LABEL.txt");
            } catch (const std::exception& e) {
                Warn(std::string("[") + e.what() + "]");
                reported = false;
            }
        }
    }
    ok = ok && reported;

    if (!UpdateMode) return ok;
    if (!planned) {
        // Nothing was cut: the stock stays as it is and no list is exported.
        Warn("No plan was made, so the stock was not updated and no list was exported.");
        return false;
    }
    if (!reported) {
        Warn("The report files could not all be written, so nothing was updated: the stock, "
             "the racks and the exported lists stay as they were.");
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
    // The lists as they were, put back when the files of the update are not
    // saved: the window must not keep, and save at its exit, an update whose
    // exported lists were refused.
    const TMainData before = w.Data;
    const TStockUpdateButtons buttonsBefore = w.UpdateButtons;
    TStockUpdater updater(w.Data, w.Page, w.UpdateButtons);
    if (!updater.ButtonUpdateAllClick()) {
        Warn("The stock update was refused, so no list was exported.");
        return false;
    }
    // The racks and the exported lists of one update are saved together
    // or not at all: a kill between them would book the offcuts twice at
    // the next run.
    TUpdateFiles files;
    if (HideMode) {
        // Batch mode has no exit that saves the lists: the racks the
        // update filled are saved here, or the offcuts and parts are lost.
        SaveChangedRack(files, w.Data, before.StringGridOffcutRack, w.Data.StringGridOffcutRack,
                        OrDefault(w.OffcutRackFile, DefaultOffcutRackFileName()), "Offcut rack",
                        WriteOffcutRackToFile);
        SaveChangedRack(files, w.Data, before.StringGridPartRack, w.Data.StringGridPartRack,
                        OrDefault(w.PartRackFile, DefaultPartRackFileName()), "Part rack",
                        WritePartRackToFile);
    }
    files.Add(ExSheetFileName, "Sheets list",
              [&] { return WriteJobExport(w.Data, ExSheetFileName, WriteSheetsTxtFile); });
    files.Add(ExPartFileName, "Parts list",
              [&] { return WriteJobExport(w.Data, ExPartFileName, WritePartsTxtFile); });
    if (!files.Commit(w.Data)) {
        w.Data = before;
        w.UpdateButtons = buttonsBefore;
        return false;
    }
    w.UnsavedUpdate.Note(updater.Outcome());
    if (w.PartsLeftOut)
        Warn("The stock was updated with the plan as it was made, without the parts left out: "
             "running this job again would book that plan a second time.");
    return ok;
}

void TAutoJob::LoadFiles() {
    const bool locked = LockFiles();
    const bool read = LoadStartupFiles(window_, lock_.Held() ? &lock_ : nullptr);
    if (!ApplyCommandLine(window_, commandLine_) || !read || !locked) AutoMode = false;
    // Two files of the job that are one are refused before any plan.
    if (AutoMode && !OutputsApart(window_, commandLine_)) AutoMode = false;
}

namespace {

// A job that will update the stock holds the lock on the folders of its
// files (AppDir, those the switches name and those of the lists and racks
// default.opt names) from before it reads them, so
// that a second update waits for this one's result instead of working from
// the same old stock. False, after the refusal, when another program holds
// one of them.
bool LockJobFiles(const TCommandLine& cl, platform::TFolderLock& lock) {
    if (!cl.HasParameters() || !cl.IsYes("-auto:") ||
        !(cl.IsYes("-update:") || !cl.GetParaValue("-ex_sheet:").empty() ||
          !cl.GetParaValue("-ex_part:").empty()))
        return true;
    if (AppDir.empty()) AppDir = std::filesystem::current_path().string();
    std::vector<std::string> folders = platform::WriteFoldersOf(CommandLineFiles(cl));
    folders.push_back(AppDir);
    // The lists and racks the option file names (a rack folder shared by
    // several jobs) are locked with the others, in the one order of
    // TFolderLock, before any of them is read.
    TWindowOptions named;
    ReadListFileNames(InAppDir("default.opt"), named);
    for (const std::string& folder : platform::WriteFoldersOf(StartupListFiles(named)))
        folders.push_back(folder);
    std::string error;
    if (lock.Acquire(folders, error)) return true;
    WarnLocked(error);
    return false;
}

}  // namespace

bool TAutoJob::LockFiles() {
    return LockJobFiles(commandLine_, lock_);
}

void TDeferredMessages::Begin() {
    shown_ = &platform::CurrentMessageSink();
    platform::SetMessageSink(this);
}

void TDeferredMessages::End() {
    if (shown_) platform::SetMessageSink(shown_);
}

void TDeferredMessages::Show() {
    if (!shown_) return;
    for (const auto& [warning, text] : held_) warning ? shown_->Warning(text) : shown_->Note(text);
    held_.clear();
}

bool TDeferredMessages::Confirm(const std::string& Text, bool DefaultAnswer) {
    return shown_ ? shown_->Confirm(Text, DefaultAnswer) : DefaultAnswer;
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
    TDeferredMessages held;
    if (!Cancelled) {
        // The job's messages are shown once its lock is given back: a box
        // waiting for the user keeps no other program out of the folders.
        held.Begin();
        FinishAutoJob(window_, commandLine_);
        held.End();
    }
    AutoMode = false;
    lock_.Release();
    held.Show();
    return !Cancelled;
}

int RunBatch(TMainWindowCore& w, const TCommandLine& cl) {
    // A reader that closes its pipe early (the report sent to "head") makes
    // the write fail, which is reported, instead of ending the process
    // without a word.
    std::signal(SIGPIPE, SIG_IGN);
    try {
        if (RefuseUnclearFlags(cl)) return 1;
        if (AppDir.empty()) AppDir = std::filesystem::current_path().string();
        platform::TFolderLock lock;
        if (!LockJobFiles(cl, lock)) return 1;
        const bool loaded = LoadStartupFiles(w, lock.Held() ? &lock : nullptr);
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
        if (!AutoMode) {
            WarnIgnoredSwitches(cl);
            return 0;
        }
        if (!OutputsApart(w, cl)) return 1;
        return RunAutoJob(w, cl) ? 0 : 1;
    } catch (const std::exception& e) {
        Warn(std::string("load program exception information[") + e.what() + "]");
        return 2;
    }
}
