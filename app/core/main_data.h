// The main window's data without its widgets: the string grids of the sheet,
// part, free-shape, rack and shape-parameter pages, and the file-name fields
// of those pages. The window shows and edits these objects; batch mode uses
// them without any display.
#pragma once

#include <map>
#include <string>
#include <string_view>

#include "app/core/string_grid.h"
#include "platform/folder_lock.h"

namespace platform {
class TIniFile;
}

// Column positions of the grids.
namespace SheetCol {
enum : int { Label, Type, Length, Width, Qty, Cost, Priority, Comment, Count };
}
namespace PartCol {
enum : int { Label, Type, Length, Width, Rotate, Qty, MaxQty, Shape, EdgeType, Comment, Count };
}
namespace AnyShapeCol {
enum : int { Label, Type, Rotate, Qty, MaxQty, Comment, Count };
}
namespace OffcutRackCol {
enum : int { Slot, Label, Type, Length, Width, Cost, Priority, Comment, Count };
}
namespace PartRackCol {
enum : int { Slot, Label, Type, Length, Width, Shape, Comment, Count };
}
namespace StandardParaCol {
enum : int { Name, Value, Count };
}

// Row counts the window starts with (title row included).
constexpr int kListGridRows = 501;        // sheets, parts, free shapes
constexpr int kRackGridRows = 101;        // 100 slots
constexpr int kStandardParaGridRows = 4;  // "Triangle1", the first template
constexpr int kPartsInLayoutColumns = 3;

// The words of the grid titles that are captions of controls rather than
// shared words. The caption store fills them from its control captions; the
// defaults are the shared words of the same meaning.
struct TGridTitleWords {
    std::string LayoutLabel;   // LabelLayoutLabel
    std::string MaterialType;  // GroupBoxMaterialType
    std::string LayoutLength;  // LabelLayoutLength
    std::string LayoutWidth;   // LabelLayoutWidth
    std::string LayoutQty;     // LabelLayoutQty
    std::string LayoutCost;    // LabelLayoutCost
};
// The title words taken from the shared words (LabelCaption, MaterialTypeCaption...).
TGridTitleWords DefaultGridTitleWords();
// The title words taken from the controls' captions of a caption store.
class TCaptionStore;
TGridTitleWords GridTitleWords(const TCaptionStore& Captions);

class TMainData {
  public:
    TMainData();

    TStringGrid StringGridSheets;
    TStringGrid StringGridParts;
    TStringGrid StringGridAnyShape;
    TStringGrid StringGridOffcutRack;
    TStringGrid StringGridPartRack;
    TStringGrid StringGridStandardPara;
    TStringGrid StringGridPartsInLayout;

    // File-name fields of the pages (the file last read or saved with its name shown).
    std::string EditSheetsFileName;
    std::string EditPartsFileName;
    std::string EditAnyShapeFileName;
    std::string EditOffcutsFileName;
    std::string EditPartHRFileName;

    // The list file the sheets or parts grid was read from when that file
    // held more rows than a list reads (kMaxListSections), else empty. Such a
    // cut grid is never saved over that file.
    std::string SheetsCutFrom;
    std::string PartsCutFrom;

    // Whether the Save command of the sheets or parts page is on. An import
    // turns it off, so that a list that is no longer its file's is saved
    // through Save As; opening or appending a list file turns it on again.
    bool SheetsSaveEnabled = true;
    bool PartsSaveEnabled = true;

    // The list and rack files as they were on the disk when last read or
    // written here, by the path they lead to (see NoteListFile).
    std::map<std::string, platform::TFileStamp> ListFileStamps;

    // Free-shape page: the template chosen in ComboBoxStandShape, the label
    // and quantity edits of the "Select Profile" box, and whether the last
    // choice was an imported DXF outline rather than a template.
    int ComboBoxStandShape = 0;
    std::string EditSelectLabel;
    std::string EditSelectQty;
    bool DxfShapeChosen = false;

    // Slot-count dialog: the count last confirmed and whether the last use
    // of the dialog was confirmed. Both keep their values between uses.
    int SlotQty = 100;
    bool SlotQtyConfirmed = false;

    // Writes the column titles (row 0) of every grid from the shared words
    // and the given control captions.
    void RefreshGridTitles(const TGridTitleWords& Words);
    void RefreshGridTitles() { RefreshGridTitles(DefaultGridTitleWords()); }
};

// Removes data row Row of Grid: the rows below move up one, the last row is
// emptied and the row count shrinks by one while it stays at least 2. A row
// outside 1..RowCount-1 changes nothing.
void DeleteGridRow(TStringGrid& Grid, int Row);

// Writes the slot numbers 1..RowCount-1 into column 0 of a rack grid.
void NumberRackSlots(TStringGrid& Grid);

// True when FileName names something that exists but cannot be read as a file
// (a folder, device or pipe, or a file without read permission); nothing is
// read to find out, so a pipe or device never blocks. Readers refuse such a name
// instead of taking it for a missing file, which would empty their list and
// later let a save overwrite the file.
bool FileExistsButUnreadable(const std::string& FileName);
// Warns through the message sink that FileName cannot be read
// (MsgCantOpenFile + "[" + FileName + "]").
void WarnUnreadableFile(const std::string& FileName);
// Both of the above: true, after the warning, when FileName exists but cannot
// be read; a reader then stops without touching its list.
bool RefuseUnreadableFile(const std::string& FileName);
// Records how FileName is on the disk now, after it was read or written.
void NoteListFile(TMainData& Data, const std::string& FileName);
// True when FileName was read or written here and has been changed on the
// disk since (by another program).
bool ListFileChangedSince(const TMainData& Data, const std::string& FileName);
// Before a list or rack file is written over: when another program changed
// it since it was last read or written here, the user is asked (the batch
// sink answers no); a no throws platform::IniWriteError naming the file, so
// the file keeps the other program's contents.
void CheckListFileUnchanged(const TMainData& Data, const std::string& FileName);

// Held while a list or rack file is saved: refused in a folder whose stopped
// save could not be settled (RefuseSaveInUnsettledFolder), then the lock of
// the stock update on the file's folder (a stock update of another program
// is waited for a bounded time), then CheckListFileUnchanged. Throws
// platform::IniWriteError naming the folder, the lock or the file when the
// save may not go on.
class TListSaveGuard {
  public:
    TListSaveGuard(const TMainData& Data, const std::string& FileName);

  private:
    platform::TFolderLock lock_;
};

// The window's stock update commands hold the same lock on the folders of
// the lists and racks they change while they run. False, after a warning
// naming the lock, when another program holds it.
bool LockStockFiles(const TMainData& Data, platform::TFolderLock& Lock);

// Warns that FileName could not be read for want of memory (std::bad_alloc);
// the reader that caught it leaves its grid as it was.
void WarnNoMemoryFor(const std::string& FileName);

// True when File holds nothing but blanks and line ends, after a byte order
// mark if any (as an editor saves an empty file); false also when it cannot
// be read.
bool BlankFile(const std::string& File);

// A list file of a kind whose sections are named Prefix followed by a number
// (Prefix alone too when BareToo), that is there and holds text but no such
// section (a tab-separated text, a file saved as UTF-16, another kind of
// file): true, after a warning naming it and Kind ("sheet list"), since it
// holds no list to read and must not be saved over as an empty one. A missing
// file, an empty file or one of blanks is an empty list (false).
bool RefuseFileWithoutListSection(const platform::TIniFile& Ini, const std::string& FileName,
                                  std::string_view Prefix, bool BareToo, const std::string& Kind);

// The folders of this start whose stopped save could not be settled (their
// commit record was refused at start-up): nothing is read from them, and
// nothing is saved there, until the record is settled and the program
// started again. Folders are told apart as the lock tells them.
void MarkUnsettledFolder(const std::string& Folder);
void ClearUnsettledFolders();
bool IsUnsettledFolder(const std::string& Folder);
// FileName lies in such a folder (the folder a write to it changes).
bool InUnsettledFolder(const std::string& FileName);
// Throws platform::IniWriteError naming the file and its folder when
// FileName lies in such a folder: the check of every save
// (platform::SetWriteCheck, installed by MarkUnsettledFolder).
void RefuseSaveInUnsettledFolder(const std::string& FileName);
