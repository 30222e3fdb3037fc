// The option file (`default.opt`, `dump.opt` or any file given with
// "-option:"): section OPTION holds the settings page and the remembered
// state of the main window.
//
// The writer overwrites its keys in place and never erases a section, so the
// label schemes kept in the same file (LABEL_SCHEME_1 ... LABEL_SCHEME_9)
// survive a rewrite. The file is replaced completely or not at all; a failure
// throws platform::IniWriteError naming the file, and an existing file that
// cannot be read is not rewritten (its other sections would be lost).
//
// The reader checks no value: texts go into the edits as they are and are
// refused only when a run reads the settings page. A missing file or key
// gives the key's default; a file that is there but cannot be read is
// refused, never taken for an empty one.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "app/core/option_page.h"
#include "platform/inifile.h"

constexpr std::string_view kOptionSection = "OPTION";

// Width of a grid column before the option file sets it.
constexpr int kDefaultGridColWidth = 64;

// The main window's state that the option file keeps besides the settings page.
struct TWindowOptions {
    TWindowOptions();

    // File-name fields of the list and rack pages (written).
    std::string EditSheetsFileName;
    std::string EditPartsFileName;
    std::string EditAnyShapeFileName;
    std::string EditOffcutsFileName;
    std::string EditPartHRFileName;
    // The last-used list files (read); start-up loads them, or the default
    // file of each list when empty.
    std::string SheetsFileName;
    std::string PartsFileName;
    std::string ProfilesFileName;
    std::string OffcutsRackFileName;
    std::string PartsRackFileName;
    // Those of the five that start-up named but could not read (refused, not
    // there, in a folder whose stopped save is not settled): while the list's
    // page names no list file of its own, the option file goes on naming
    // them, so that the next start reads them once the cause is gone.
    std::string UnreadSheetsFileName;
    std::string UnreadPartsFileName;
    std::string UnreadProfilesFileName;
    std::string UnreadOffcutsRackFileName;
    std::string UnreadPartsRackFileName;

    // Layout page.
    int RadioGroupLayoutsOrder = 0;  // "Utilization", "Sheet"
    bool ShowLabel = true;
    bool ShowXYPos = false;
    bool ShowLengthXWidth = true;
    bool ShowOffcuts = false;

    // Layouts-per-page dialog (`TFormPrintLayoutsSetup`).
    std::string EditColumnsPerPage = "1";
    std::string EditRowsPerPage = "1";
    bool CheckBoxPrintPartsInLayout = false;

    // Main window placement.
    int AppLeft = 0;
    int AppTop = 0;
    bool AppMaximized = false;

    // Column widths, one entry per column of StringGridSheets,
    // StringGridOffcutRack, StringGridParts, StringGridAnyShape and
    // StringGridPartRack.
    std::vector<int> SheetsGridColWidths;
    std::vector<int> OffcutsGridColWidths;
    std::vector<int> PartsGridColWidths;
    std::vector<int> ProfilesGridColWidths;
    std::vector<int> PartsRackGridColWidths;
};

// AppDir + "/" + Name + ".opt".
std::string OptionFilePath(const std::string& Name);

// Writes every key of section OPTION to the file OptionFilePath(Name) from
// the page, the window state and the program-wide settings. Sets
// OffcutLenRotatable from the page's drop-down first.
void WriteOptionFile(const std::string& Name, const TOptionPage& Page,
                     const TWindowOptions& Window);
// The same into the file FileName.
void WriteOptionFileTo(const std::string& FileName, const TOptionPage& Page,
                       const TWindowOptions& Window);

// Reads the file FileName (a full path) into the page, the window state and
// the program-wide settings the keys belong to. Keys the file lacks give
// their defaults; the window position, the layout page's boxes and order,
// and the column widths keep their current values when missing. A file that
// exists but cannot be read (a folder, a pipe, no permission) is refused:
// the message sink is told, nothing changes and the result is false.
bool ReadOptionFile(const std::string& FileName, TOptionPage& Page, TWindowOptions& Window);

// The page, the window state and the program-wide settings as an option
// file without any key gives them (a new folder's): for a window that reads
// no option file.
void ReadOptionDefaults(TOptionPage& Page, TWindowOptions& Window);

// Only the last-used list files of the option file FileName (SHEETS_FILE,
// PARTS_FILE, PROFILES_FILE, OFFCUTS_RACK_FILE, PARTS_RACK_FILE) into the
// five file-name variables of Window, as ReadOptionFile reads them; nothing
// is said of a file that cannot be read (it names none).
void ReadListFileNames(const std::string& FileName, TWindowOptions& Window);

// List files in the option file: a list that lies in the option file's
// folder (or below it) is written relative to that folder, any other with
// its full path; a relative name read back is resolved against the folder
// of the option file it was read from.
std::string ListPathForOptionFile(const std::string& ListFile, const std::string& OptionFile);
std::string ListPathFromOptionFile(const std::string& Stored, const std::string& OptionFile);
// The last-used folders (the DIR_ keys) are stored as list files are (the
// option file's own folder as "."); a folder read back has no trailing
// separator.
std::string FolderPathFromOptionFile(const std::string& Stored, const std::string& OptionFile);

// Opens an INI file that is to be changed key by key and written back. Throws
// platform::IniWriteError when the file exists but cannot be read, since
// writing it back would drop everything the program could not read.
platform::TIniFile OpenIniForRewrite(const std::string& FileName);
