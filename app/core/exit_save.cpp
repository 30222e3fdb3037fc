#include "app/core/exit_save.h"

#include <exception>
#include <functional>

#include "app/core/free_shapes.h"
#include "app/core/list_files.h"
#include "app/core/main_window.h"
#include "app/core/material_types.h"
#include "app/core/racks.h"
#include "engine/partedge.h"
#include "engine/pubstr.h"
#include "engine/textfmt.h"
#include "platform/folder_lock.h"
#include "platform/inifile.h"
#include "platform/write_access.h"

namespace {

// The file a page names, kept for the option file only when it is of the
// page's own kind.
std::string OwnKindOrEmpty(const std::string& name, std::string_view ext) {
    return IsListFileOfKind(name, ext) ? name : std::string();
}

}  // namespace

namespace {

struct ExitListInfo {
    const char* Page;
    const char* Ext;
    std::string TMainData::*FileName;
    TStringGrid TMainData::*Grid;
    bool TExitSaveChoice::*Ticked;
    int FirstCol;  // racks: column 0 holds the slot number
};

// A list of the exit save that holds a stock update not yet saved, and the
// mark to clear once it is.
struct TUpdateList {
    std::string Name;
    std::function<bool()> Write;
    bool* Unsaved;
};

// Writes the lists of a stock update together, under the lock of their
// folders: each to its temporary name first, then all renamed into place.
// When one is refused (changed by another program and not to be written
// over, a lock held elsewhere, a failed write) none of them is written, and
// the result names each.
void SaveUpdateLists(TMainData& d, const std::vector<TUpdateList>& lists,
                     TExitSaveResult& result) {
    if (lists.empty()) return;
    std::vector<std::string> names;
    for (const TUpdateList& l : lists) names.push_back(l.Name);
    platform::TFolderLock lock;
    std::string why;
    if (!lock.Acquire(platform::WriteFoldersOf(names), why)) {
        for (const std::string& name : names) {
            result.Problems.push_back("[" + name + "] not saved: " + why);
            result.Failed.push_back(name);
        }
        return;
    }
    std::string refused;
    {
        platform::TFileWriteGroup group;
        for (const TUpdateList& l : lists) {
            try {
                if (!l.Write()) why = MsgCantOpenFile;
            } catch (const std::exception& e) {
                why = e.what();
            }
            if (!why.empty()) {
                refused = l.Name;
                break;
            }
        }
        if (refused.empty()) {
            try {
                group.Commit();
            } catch (const std::exception& e) {
                result.Problems.push_back(e.what());
                result.Failed.insert(result.Failed.end(), names.begin(), names.end());
                return;
            }
        }
    }
    if (!refused.empty()) {
        result.Problems.push_back("[" + refused + "] " + why);
        result.Failed.push_back(refused);
        for (const std::string& name : names)
            if (name != refused)
                result.Problems.push_back("[" + name +
                                          "] not saved: the lists of the stock update are saved "
                                          "together, and \"" + refused + "\" was not saved");
        return;
    }
    for (const TUpdateList& l : lists) {
        NoteListFile(d, l.Name);  // as renamed into place
        result.Written.push_back(l.Name);
        *l.Unsaved = false;
    }
}

const ExitListInfo& Info(TExitList list) {
    static const ExitListInfo kInfo[] = {
        {"TabSheetSheets", "sht", &TMainData::EditSheetsFileName, &TMainData::StringGridSheets,
         &TExitSaveChoice::Sheets, 0},
        {"TabSheetParts", "prt", &TMainData::EditPartsFileName, &TMainData::StringGridParts,
         &TExitSaveChoice::Parts, 0},
        {"TabSheetAnyShape", "apt", &TMainData::EditAnyShapeFileName,
         &TMainData::StringGridAnyShape, &TExitSaveChoice::Profiles, 0},
        {"TabSheetOffcuts", "rck", &TMainData::EditOffcutsFileName,
         &TMainData::StringGridOffcutRack, &TExitSaveChoice::Offcuts, 1},
        {"TabSheetPartHarp", "prk", &TMainData::EditPartHRFileName, &TMainData::StringGridPartRack,
         &TExitSaveChoice::PartRack, 1},
    };
    return kInfo[static_cast<int>(list)];
}

}  // namespace

const char* ExitListPage(TExitList list) { return Info(list).Page; }
const char* ExitListExt(TExitList list) { return Info(list).Ext; }
std::string& ExitListFileName(TMainData& d, TExitList list) { return d.*Info(list).FileName; }
std::string& ExitListFolder(TExitList list) {
    std::string* const folders[] = {&DirSheets, &DirParts, &DirProfiles, &DirOffcuts, &DirPartsRack};
    return *folders[static_cast<int>(list)];
}

std::vector<TExitList> ListsWithoutFile(TMainWindowCore& w) {
    const TExitSaveChoice c = ExitSaveChoice();
    std::vector<TExitList> lists;
    for (TExitList l : {TExitList::Sheets, TExitList::Parts, TExitList::Profiles,
                        TExitList::Offcuts, TExitList::PartRack}) {
        const ExitListInfo& i = Info(l);
        if (!(c.*i.Ticked) || IsListFileOfKind(w.Data.*i.FileName, i.Ext)) continue;
        const TStringGrid& g = w.Data.*i.Grid;
        for (int r = 1; r < g.RowCount(); ++r)
            if (!g.RowEmpty(r, i.FirstCol)) {
                lists.push_back(l);
                break;
            }
    }
    return lists;
}

std::string ShownListFileName(const std::string& name, std::string_view ext) {
    if (IsListFileOfKind(name, ext)) return name;
    return name.empty() ? "(untitled)" : "(untitled, read from " + name + ")";
}

namespace {

// One list's file: its page's field, the option file's entry read at
// start-up and written on saving, and the entry start-up could not read.
struct TListEntry {
    TExitList List;
    std::string TWindowOptions::*Named;
    std::string TWindowOptions::*Written;
    std::string TWindowOptions::*Unread;
};

constexpr TListEntry kListEntries[] = {
    {TExitList::Sheets, &TWindowOptions::SheetsFileName, &TWindowOptions::EditSheetsFileName,
     &TWindowOptions::UnreadSheetsFileName},
    {TExitList::Parts, &TWindowOptions::PartsFileName, &TWindowOptions::EditPartsFileName,
     &TWindowOptions::UnreadPartsFileName},
    {TExitList::Profiles, &TWindowOptions::ProfilesFileName, &TWindowOptions::EditAnyShapeFileName,
     &TWindowOptions::UnreadProfilesFileName},
    {TExitList::Offcuts, &TWindowOptions::OffcutsRackFileName,
     &TWindowOptions::EditOffcutsFileName, &TWindowOptions::UnreadOffcutsRackFileName},
    {TExitList::PartRack, &TWindowOptions::PartsRackFileName, &TWindowOptions::EditPartHRFileName,
     &TWindowOptions::UnreadPartsRackFileName},
};

}  // namespace

void TakeListFileNames(TMainWindowCore& w) {
    for (const TListEntry& e : kListEntries) {
        std::string& unread = w.Window.*e.Unread;
        const std::string own = OwnKindOrEmpty(ExitListFileName(w.Data, e.List), ExitListExt(e.List));
        if (!own.empty()) unread.clear();
        w.Window.*e.Written = own.empty() ? unread : own;
    }
}

void NoteUnreadListFiles(TMainWindowCore& w) {
    for (const TListEntry& e : kListEntries) {
        const std::string& named = w.Window.*e.Named;
        w.Window.*e.Unread = named != ExitListFileName(w.Data, e.List) ? named : std::string();
    }
}

void ButtonSaveOptionsClick(TMainWindowCore& w) {
    TakeListFileNames(w);
    WriteOptionFile("default", w.Page, w.Window);
}

TExitSaveChoice ExitSaveChoice() {
    return {AutoSavePanel, AutoSavePart, AutoSaveOffcut, AutoSavePartRack, AutoSaveProfile};
}

void StoreExitSaveChoice(const TExitSaveChoice& c) {
    AutoSavePanel = c.Sheets;
    AutoSavePart = c.Parts;
    AutoSaveOffcut = c.Offcuts;
    AutoSavePartRack = c.PartRack;
    AutoSaveProfile = c.Profiles;
}

bool IsListFileOfKind(std::string_view name, std::string_view ext) {
    if (name.size() <= ext.size() + 1) return false;
    const std::string_view tail = name.substr(name.size() - ext.size() - 1);
    return tail[0] == '.' && SameText(tail.substr(1), ext);
}

bool ExitRetryMayHelp(const TExitSaveResult& result) {
    if (result.Failed.empty()) return false;
    for (const std::string& file : result.Failed)
        if (InUnsettledFolder(file) || platform::WriteRefusedForGood(file)) return false;
    return true;
}

TExitSaveResult SaveOnExit(TMainWindowCore& w) {
    TExitSaveResult result;
    auto attempt = [&](const std::string& file, const std::function<bool()>& write) {
        try {
            if (write())
                result.Written.push_back(file);
            else {
                result.Problems.push_back("[" + file + "] " + MsgCantOpenFile);
                result.Failed.push_back(file);
            }
        } catch (const std::exception& e) {
            result.Problems.push_back("[" + file + "] " + e.what());
            result.Failed.push_back(file);
        }
    };

    TypeListFromComboItems(w.Page.ComboBoxTypeSelect.Items);
    const std::string typFile = AppDir + "/default.typ", edgFile = AppDir + "/default.edg";
    attempt(typFile, [&] { return WriteTypeFile(typFile), true; });
    attempt(edgFile, [&] { return PartEdgeList.SaveToIni(edgFile), true; });

    TMainData& d = w.Data;
    TMainWindowCore::TUnsavedUpdate& booked = w.UnsavedUpdate;
    // The lists a stock update changed, written together after the others.
    std::vector<TUpdateList> update;
    // One ticked list: skipped when its page names no file or a file of
    // another kind.
    auto list = [&](bool ticked, bool* ofUpdate, const std::string& name, std::string_view ext,
                    const std::function<bool()>& write) {
        if (!ticked || name.empty()) return;
        if (!IsListFileOfKind(name, ext)) {
            result.Problems.push_back("[" + name + "] not saved: not a *." + std::string(ext) +
                                      " list file");
            return;
        }
        if (*ofUpdate)
            update.push_back({name, write, ofUpdate});
        else
            attempt(name, write);
    };
    const TExitSaveChoice c = ExitSaveChoice();
    list(c.Sheets, &booked.Sheets, d.EditSheetsFileName, "sht",
         [&] { return SaveSheetsFile(d, d.EditSheetsFileName, true), true; });
    list(c.Parts, &booked.Parts, d.EditPartsFileName, "prt",
         [&] { return SavePartsFile(d, d.EditPartsFileName, true), true; });
    list(c.Profiles, &booked.Parts, d.EditAnyShapeFileName, "apt",
         [&] { return SaveAnyShapeFile(d, d.EditAnyShapeFileName, true); });
    auto rack = [&](bool ticked, bool* ofUpdate, std::string& name, std::string_view ext,
                    TStringGrid& grid, bool (*write)(TMainData&, const std::string&, int, bool)) {
        const int slots = grid.RowCount() - 1;
        if (ticked && !name.empty() && slots < 2) {
            result.Problems.push_back("[" + name + "] not saved: a rack needs at least 2 slots");
            return;
        }
        list(ticked, ofUpdate, name, ext,
             [&d, &name, write, slots] { return write(d, name, slots, true); });
    };
    rack(c.Offcuts, &booked.OffcutRack, d.EditOffcutsFileName, "rck", d.StringGridOffcutRack,
         WriteOffcutRackToFile);
    rack(c.PartRack, &booked.PartRack, d.EditPartHRFileName, "prk", d.StringGridPartRack,
         WritePartRackToFile);
    SaveUpdateLists(d, update, result);

    TakeListFileNames(w);
    const std::string optFile = OptionFilePath("default");
    attempt(optFile, [&] { return WriteOptionFile("default", w.Page, w.Window), true; });
    return result;
}
