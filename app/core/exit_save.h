// Saving when the main window closes: the material types and edge types of
// the start-up folder always, then each list the user ticked in the
// grids-to-save dialog to the file its page names, then the option file.
//
// A grid is written only to a list file of its own kind (by extension: .sht,
// .prt, .apt, .rck, .prk), so a list read from a text file or spreadsheet is
// never overwritten with an INI list; such a grid, a grid without file name
// and a rack of fewer than 2 slots are skipped and named in the result. Every
// write is checked and its failure is named in the result too.
#pragma once

#include <string>
#include <string_view>
#include <vector>

class TMainData;
class TMainWindowCore;

// The ticks of the grids-to-save dialog, in its box order.
struct TExitSaveChoice {
    bool Sheets = true;
    bool Parts = true;
    bool Offcuts = true;
    bool PartRack = true;
    bool Profiles = true;
};
// From and to AutoSavePanel, AutoSavePart, AutoSaveOffcut, AutoSavePartRack
// and AutoSaveProfile.
TExitSaveChoice ExitSaveChoice();
void StoreExitSaveChoice(const TExitSaveChoice& Choice);

struct TExitSaveResult {
    std::vector<std::string> Written;   // files written
    std::vector<std::string> Problems;  // one line per grid skipped or write that failed
    std::vector<std::string> Failed;    // the files whose write failed (a retry may help)
};

// The lists of the exit save, in the order it writes them.
enum class TExitList { Sheets, Parts, Profiles, Offcuts, PartRack };
// The tab page of a list ("TabSheetSheets" ...) and its file kind ("sht" ...).
const char* ExitListPage(TExitList List);
const char* ExitListExt(TExitList List);
// The file-name field of the list's page, and the last folder of its file dialogs.
std::string& ExitListFileName(TMainData& Data, TExitList List);
std::string& ExitListFolder(TExitList List);

// The ticked lists (ExitSaveChoice) that hold rows but are named by no list
// file of their own kind, as after an import or a start with "-sheet:": the
// exit save would skip them and their rows would be lost. The window offers
// each for saving under a name the user chooses before it saves.
std::vector<TExitList> ListsWithoutFile(TMainWindowCore& Window);

// What a page's file-name field shows: the list file, or "(untitled)" when the
// grid has none of its own kind (with the file it was read from, if any).
std::string ShownListFileName(const std::string& FileName, std::string_view Extension);

// The remembered list files of the option file := the pages' list files of
// their own kind. An untitled list keeps the file the option file named for
// it when start-up could not read that file (NoteUnreadListFiles), else it
// is remembered empty; once its page names a list file of its own, that
// file is remembered and the unread one is forgotten.
void TakeListFileNames(TMainWindowCore& Window);
// After start-up has read the lists: each list file the option file named
// whose page does not name it (it was not read) is noted as unread.
void NoteUnreadListFiles(TMainWindowCore& Window);

// "Save Configure": the option file written with the state of the window at
// this moment, as the exit save writes it (the window stores its placement,
// column widths and layout page choices in Window.Window first). Throws on a
// failed write.
void ButtonSaveOptionsClick(TMainWindowCore& Window);

// True when FileName ends with "." + Extension, in any letter case.
bool IsListFileOfKind(std::string_view FileName, std::string_view Extension);

// Whether the "Saving on exit failed" box offers Retry as its default
// button: only when writing every failed file again may work (a full disk
// freed, an I/O error gone). A file refused for good (a write-protected file,
// a missing or read-only folder, a folder whose stopped save could not be
// settled at start-up) fails again on Retry: the box's default is
// then to keep the window open.
bool ExitRetryMayHelp(const TExitSaveResult& Result);

// Writes default.typ (the type list := the items of the type drop-down, so
// types learned in the grids are kept), default.edg, the ticked lists (the
// current choice of ExitSaveChoice) and default.opt, whose remembered list
// files are those just written or read of their own kind. The ticked lists
// that hold a stock update not yet saved (Window.UnsavedUpdate) are written
// together, under the lock of their folders: when one of them is refused
// (changed by another program and not to be written over, or its write
// failed) none of them is written, and the result names each list not
// saved; Failed names the refused one. Nothing is written into a folder
// whose stopped save could not be settled at start-up (InUnsettledFolder):
// each file there is refused and named in the result.
TExitSaveResult SaveOnExit(TMainWindowCore& Window);
