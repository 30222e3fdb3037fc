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
};

// True when FileName ends with "." + Extension, in any letter case.
bool IsListFileOfKind(std::string_view FileName, std::string_view Extension);

// Writes default.typ (the type list := the items of the type drop-down, so
// types learned in the grids are kept), default.edg, the ticked lists (the
// current choice of ExitSaveChoice) and default.opt, whose remembered list
// files are those just written or read of their own kind.
TExitSaveResult SaveOnExit(TMainWindowCore& Window);
