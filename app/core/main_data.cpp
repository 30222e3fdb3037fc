#include "app/core/main_data.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <vector>

#include "app/core/captions.h"
#include "engine/pubstr.h"
#include "engine/textfmt.h"
#include "platform/inifile.h"
#include "platform/message_sink.h"

TGridTitleWords DefaultGridTitleWords() {
    TGridTitleWords w;
    w.LayoutLabel = LabelCaption;
    w.MaterialType = MaterialTypeCaption;
    w.LayoutLength = LengthCaption;
    w.LayoutWidth = WidthCaption;
    w.LayoutQty = QtyCaption;
    w.LayoutCost = CostCaption;
    return w;
}

TGridTitleWords GridTitleWords(const TCaptionStore& c) {
    TGridTitleWords w;
    w.LayoutLabel = c.Caption("LabelLayoutLabel");
    w.MaterialType = c.Caption("GroupBoxMaterialType");
    w.LayoutLength = c.Caption("LabelLayoutLength");
    w.LayoutWidth = c.Caption("LabelLayoutWidth");
    w.LayoutQty = c.Caption("LabelLayoutQty");
    w.LayoutCost = c.Caption("LabelLayoutCost");
    return w;
}

TMainData::TMainData()
    : StringGridSheets(SheetCol::Count, kListGridRows),
      StringGridParts(PartCol::Count, kListGridRows),
      StringGridAnyShape(AnyShapeCol::Count, kListGridRows),
      StringGridOffcutRack(OffcutRackCol::Count, kRackGridRows),
      StringGridPartRack(PartRackCol::Count, kRackGridRows),
      StringGridStandardPara(StandardParaCol::Count, kStandardParaGridRows),
      StringGridPartsInLayout(kPartsInLayoutColumns, 1) {
    NumberRackSlots(StringGridOffcutRack);
    NumberRackSlots(StringGridPartRack);
    // The first template, "Triangle1", is chosen at start.
    StringGridStandardPara.SetCell(StandardParaCol::Name, 1, "A");
    StringGridStandardPara.SetCell(StandardParaCol::Name, 2, "B");
    StringGridStandardPara.SetCell(StandardParaCol::Name, 3, "C");
    RefreshGridTitles();
}

void TMainData::RefreshGridTitles(const TGridTitleWords& w) {
    auto& s = StringGridSheets;
    s.SetCell(SheetCol::Label, 0, w.LayoutLabel);
    s.SetCell(SheetCol::Type, 0, w.MaterialType);
    s.SetCell(SheetCol::Length, 0, w.LayoutLength);
    s.SetCell(SheetCol::Width, 0, w.LayoutWidth);
    s.SetCell(SheetCol::Qty, 0, w.LayoutQty);
    s.SetCell(SheetCol::Cost, 0, w.LayoutCost);
    s.SetCell(SheetCol::Priority, 0, SheetsPriorityCaption);
    s.SetCell(SheetCol::Comment, 0, CommentCaption);

    auto& o = StringGridOffcutRack;
    o.SetCell(OffcutRackCol::Label, 0, w.LayoutLabel);
    o.SetCell(OffcutRackCol::Type, 0, w.MaterialType);
    o.SetCell(OffcutRackCol::Length, 0, w.LayoutLength);
    o.SetCell(OffcutRackCol::Width, 0, w.LayoutWidth);
    o.SetCell(OffcutRackCol::Cost, 0, w.LayoutCost);
    o.SetCell(OffcutRackCol::Priority, 0, SheetsPriorityCaption);
    o.SetCell(OffcutRackCol::Comment, 0, CommentCaption);

    auto& p = StringGridParts;
    p.SetCell(PartCol::Label, 0, PartLabelCaption);
    p.SetCell(PartCol::Type, 0, w.MaterialType);
    p.SetCell(PartCol::Length, 0, PartLengthCaption);
    p.SetCell(PartCol::Width, 0, PartWidthCaption);
    p.SetCell(PartCol::Qty, 0, PartQtyCaption);
    p.SetCell(PartCol::MaxQty, 0, MaxPartsQtyCaption);
    p.SetCell(PartCol::Rotate, 0, PartRotateCaption);
    p.SetCell(PartCol::Shape, 0, PartShapeCaption);
    p.SetCell(PartCol::EdgeType, 0, PartsBGTypeCaption);
    p.SetCell(PartCol::Comment, 0, CommentCaption);

    auto& r = StringGridPartRack;
    r.SetCell(PartRackCol::Label, 0, PartLabelCaption);
    r.SetCell(PartRackCol::Type, 0, w.MaterialType);
    r.SetCell(PartRackCol::Length, 0, PartLengthCaption);
    r.SetCell(PartRackCol::Width, 0, PartWidthCaption);
    r.SetCell(PartRackCol::Shape, 0, PartShapeCaption);
    r.SetCell(PartRackCol::Comment, 0, CommentCaption);

    auto& a = StringGridAnyShape;
    a.SetCell(AnyShapeCol::Label, 0, PartLabelCaption);
    a.SetCell(AnyShapeCol::Type, 0, w.MaterialType);
    a.SetCell(AnyShapeCol::Rotate, 0, PartRotateCaption);
    a.SetCell(AnyShapeCol::Qty, 0, PartQtyCaption);
    a.SetCell(AnyShapeCol::MaxQty, 0, MaxPartsQtyCaption);
    a.SetCell(AnyShapeCol::Comment, 0, CommentCaption);

    StringGridStandardPara.SetCell(StandardParaCol::Name, 0, StandardProfileVarNameCaption);
    StringGridStandardPara.SetCell(StandardParaCol::Value, 0, StandardProfileValueCaption);

    StringGridPartsInLayout.SetCell(0, 0, PartLabelCaption);
    StringGridPartsInLayout.SetCell(1, 0, PartQtyCaption);
}

void DeleteGridRow(TStringGrid& grid, int row) {
    if (row < 1 || row >= grid.RowCount()) return;
    for (int r = row; r + 1 < grid.RowCount(); ++r)
        for (int c = 0; c < grid.ColCount(); ++c) grid.Cell(c, r) = std::move(grid.Cell(c, r + 1));
    const int last = grid.RowCount() - 1;
    for (int c = 0; c < grid.ColCount(); ++c) grid.Cell(c, last).clear();
    if (grid.RowCount() - 1 >= 2) grid.SetRowCount(grid.RowCount() - 1);
}

void NumberRackSlots(TStringGrid& grid) {
    for (int r = 1; r < grid.RowCount(); ++r) grid.SetCell(0, r, IntToStr(r));
}

bool FileExistsButUnreadable(const std::string& fileName) {
    const platform::FileState state = platform::ProbeFile(fileName);
    return state != platform::FileState::Readable && state != platform::FileState::Missing;
}

void WarnUnreadableFile(const std::string& fileName) {
    platform::CurrentMessageSink().Warning(MsgCantOpenFile + "[" + fileName + "]");
}

namespace {

// Why a file that is there cannot be read as a list: what it is, or what
// the system says.
std::string UnreadableReason(const std::string& fileName) {
    struct stat st {};
    if (::stat(fileName.c_str(), &st) != 0) return std::strerror(errno);
    if (S_ISDIR(st.st_mode)) return "it is a folder, not a file";
    if (S_ISFIFO(st.st_mode)) return "it is a pipe (FIFO), not a file";
    if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode)) return "it is a device, not a file";
    if (S_ISSOCK(st.st_mode)) return "it is a socket, not a file";
    const int fd = ::open(fileName.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return std::strerror(errno);
    ::close(fd);
    return "it cannot be read";
}

}  // namespace

bool RefuseUnreadableFile(const std::string& fileName) {
    if (!FileExistsButUnreadable(fileName)) return false;
    platform::CurrentMessageSink().Warning(MsgCantOpenFile + "[" + fileName + "] (" +
                                           UnreadableReason(fileName) + ")");
    return true;
}

namespace {

// The key of a file in ListFileStamps: the absolute path it leads to.
std::string StampKey(const std::string& fileName) {
    std::error_code ec;
    const std::filesystem::path p = std::filesystem::weakly_canonical(fileName, ec);
    return ec ? fileName : p.string();
}

}  // namespace

void NoteListFile(TMainData& d, const std::string& fileName) {
    if (fileName.empty()) return;
    d.ListFileStamps[StampKey(fileName)] = platform::StampFile(fileName);
}

bool ListFileChangedSince(const TMainData& d, const std::string& fileName) {
    if (fileName.empty()) return false;
    const auto it = d.ListFileStamps.find(StampKey(fileName));
    return it != d.ListFileStamps.end() && platform::StampFile(fileName) != it->second;
}

void CheckListFileUnchanged(const TMainData& d, const std::string& fileName) {
    if (!ListFileChangedSince(d, fileName)) return;
    if (platform::CurrentMessageSink().Confirm(
            "The file \"" + fileName +
                "\" was changed by another program since it was read here. Write over it?",
            false))
        return;
    throw platform::IniWriteError("Cannot write file \"" + fileName +
                                  "\": another program changed it since it was read here, and "
                                  "it was not written over");
}

TListSaveGuard::TListSaveGuard(const TMainData& d, const std::string& fileName) {
    if (fileName.empty()) return;
    RefuseSaveInUnsettledFolder(fileName);
    // The copies of the lists written before every run for the support
    // (dump.*) are no stock: a run does not wait for an update elsewhere.
    const std::filesystem::path p(fileName);
    if (p.filename().string().starts_with("dump.") &&
        p.parent_path() == std::filesystem::path(AppDir))
        return;
    std::string error;
    if (!lock_.Acquire({platform::WriteFolderOf(fileName)}, error))
        throw platform::IniWriteError("Cannot write file \"" + fileName + "\": " + error);
    CheckListFileUnchanged(d, fileName);
}

bool LockStockFiles(const TMainData& d, platform::TFolderLock& lock) {
    std::string error;
    if (lock.Acquire(platform::WriteFoldersOf({d.EditSheetsFileName, d.EditPartsFileName,
                                               d.EditAnyShapeFileName, d.EditOffcutsFileName,
                                               d.EditPartHRFileName}),
                     error))
        return true;
    platform::CurrentMessageSink().Warning(error + " The stock update was not made.");
    return false;
}

bool BlankFile(const std::string& file) {
    std::string bytes;
    if (!platform::ReadFileBytes(file, bytes)) return false;
    const std::size_t start = bytes.starts_with("\xEF\xBB\xBF") ? 3 : 0;
    return bytes.find_first_not_of(" \t\r\n", start) == std::string::npos;
}

bool RefuseFileWithoutListSection(const platform::TIniFile& ini, const std::string& fileName,
                                  std::string_view prefix, bool bareToo, const std::string& kind) {
    for (const std::string& name : ini.ReadSections()) {
        if (name.size() < prefix.size() || !SameText(name.substr(0, prefix.size()), prefix))
            continue;
        const std::string_view number = std::string_view(name).substr(prefix.size());
        if (number.empty() ? bareToo
                           : number.find_first_not_of("0123456789") == std::string_view::npos)
            return false;
    }
    if (platform::ProbeFile(fileName) == platform::FileState::Missing || BlankFile(fileName))
        return false;
    platform::CurrentMessageSink().Warning(
        "The file \"" + fileName + "\" holds no [" + std::string(prefix) + (bareToo ? "" : "1") +
        "] section, nor any other section of a " + kind + ", so it is no " + kind +
        ": it was not loaded, and it is not saved over. A tab-separated text is imported, not "
        "opened; a list an editor saved as UTF-16 is to be saved as UTF-8 first.");
    return true;
}

namespace {

// The unsettled folders, by UnsettledKey.
std::mutex& UnsettledMutex() {
    static std::mutex m;
    return m;
}
std::vector<std::string>& UnsettledFolders() {
    static std::vector<std::string> folders;
    return folders;
}

// A folder as the lock knows it while the program runs (its device and
// inode), so that one reached by two names, a link or a bind mount, is one;
// its path when it is not there.
std::string UnsettledKey(const std::string& folder) {
    const std::string key = platform::FolderKeyOf(folder);
    return key.empty() ? platform::CanonicalPath(folder) : key;
}

}  // namespace

void MarkUnsettledFolder(const std::string& folder) {
    // Every save of the program passes the check, whatever writes it.
    platform::SetWriteCheck(RefuseSaveInUnsettledFolder);
    const std::string key = UnsettledKey(folder);
    std::lock_guard<std::mutex> guard(UnsettledMutex());
    if (std::find(UnsettledFolders().begin(), UnsettledFolders().end(), key) ==
        UnsettledFolders().end())
        UnsettledFolders().push_back(key);
}

void ClearUnsettledFolders() {
    std::lock_guard<std::mutex> guard(UnsettledMutex());
    UnsettledFolders().clear();
}

bool IsUnsettledFolder(const std::string& folder) {
    const std::string key = UnsettledKey(folder);
    std::lock_guard<std::mutex> guard(UnsettledMutex());
    return std::find(UnsettledFolders().begin(), UnsettledFolders().end(), key) !=
           UnsettledFolders().end();
}

bool InUnsettledFolder(const std::string& fileName) {
    {
        std::lock_guard<std::mutex> guard(UnsettledMutex());
        if (UnsettledFolders().empty()) return false;
    }
    return IsUnsettledFolder(platform::WriteFolderOf(fileName));
}

void RefuseSaveInUnsettledFolder(const std::string& fileName) {
    if (!InUnsettledFolder(fileName)) return;
    throw platform::IniWriteError(
        "Cannot write file \"" + fileName + "\": its folder \"" +
        platform::WriteFolderOf(fileName) +
        "\" holds the record of a save that was stopped part way and could not be settled at "
        "start-up, so nothing is saved there. Settle that record as the start-up message said, "
        "then start the program again");
}

void WarnNoMemoryFor(const std::string& fileName) {
    platform::CurrentMessageSink().Warning("Not enough memory to read file \"" + fileName +
                                           "\"; nothing was changed.");
}
