#include "app/core/racks.h"

#include <filesystem>
#include <new>

#include "engine/errors.h"
#include "engine/pubstr.h"
#include "engine/textfmt.h"
#include "platform/inifile.h"
#include "platform/message_sink.h"

namespace {

struct SlotKey {
    const char* Key;
    int Col;
};

// In writing order.
constexpr SlotKey kOffcutKeys[] = {
    {"LABEL", OffcutRackCol::Label},       {"TYPE", OffcutRackCol::Type},
    {"LENGTH", OffcutRackCol::Length},     {"WIDTH", OffcutRackCol::Width},
    {"PRiORITY", OffcutRackCol::Priority}, {"COST", OffcutRackCol::Cost},
    {"COMMENT", OffcutRackCol::Comment},
};
constexpr SlotKey kPartKeys[] = {
    {"LABEL", PartRackCol::Label}, {"TYPE", PartRackCol::Type},   {"LENGTH", PartRackCol::Length},
    {"WIDTH", PartRackCol::Width}, {"SHAPE", PartRackCol::Shape}, {"COMMENT", PartRackCol::Comment},
};

template <std::size_t N>
TRackFileRead ReadRack(TMainData& d, TStringGrid& g, std::string& field, const std::string& fileName,
                       const SlotKey (&keys)[N]) {
    if (fileName.empty() || platform::ProbeFile(fileName) == platform::FileState::Missing)
        return TRackFileRead::NotThere;
    if (RefuseUnreadableFile(fileName)) return TRackFileRead::Refused;
    const auto refuse = [&](const std::string& why) {
        platform::CurrentMessageSink().Warning("The rack file \"" + fileName + "\" " + why +
                                               " The file was not loaded.");
        return TRackFileRead::Refused;
    };
    // Read aside: a file that cannot be held in memory leaves the rack as it was.
    try {
        const platform::TIniFile ini(fileName);
        if (!ini.SectionExists("HEAD")) {
            // Only a file with nothing in it is a rack not made yet; any
            // other text, or bytes that are no text, are not a rack to be
            // written over.
            if (ini.ReadSections().empty()) {
                if (BlankFile(fileName)) return TRackFileRead::NotThere;
                return refuse(
                    "holds no section at all, so it is no rack file: a rack file starts with a "
                    "[HEAD] section, which names its slot count (NUMBER).");
            }
            return refuse("has no [HEAD] section, which names its slot count (NUMBER).");
        }
        const std::int32_t n = ini.ReadInteger("HEAD", "NUMBER", -1);
        if (n == -1 && ini.ReadInteger("HEAD", "NUMBER", -2) == -2)
            return refuse("names no slot count: its [HEAD] section has no whole number NUMBER.");
        if (n < 2) return TRackFileRead::TooFewSlots;
        if (n > kMaxRackSlots)
            return refuse("names " + IntToStr(n) + " slots; a rack holds at most " +
                          IntToStr(kMaxRackSlots) + " slots.");
        TStringGrid read = g;
        read.SetRowCount(n + 1);
        for (int i = 0; i < n; ++i) {
            const std::string section = "SLOT" + IntToStr(i);
            read.SetCell(0, i + 1, IntToStr(i + 1));
            for (const auto& k : keys) read.SetCell(k.Col, i + 1, ini.ReadString(section, k.Key, ""));
        }
        g = std::move(read);
    } catch (const std::bad_alloc&) {
        WarnNoMemoryFor(fileName);
        return TRackFileRead::Refused;
    }
    field = fileName;
    NoteListFile(d, fileName);
    return TRackFileRead::Loaded;
}

template <std::size_t N>
bool WriteRack(TMainData& d, TStringGrid& g, std::string& field, const std::string& name,
               int slotCount, bool showName, const SlotKey (&keys)[N]) {
    // A rack without a file of its own is not written anywhere: a default
    // name could be another rack's file (the job's own default rack).
    if (name.empty() || slotCount < 2) return false;
    const TListSaveGuard guard(d, name);
    const int oldRows = g.RowCount();
    g.SetRowCount(slotCount + 1);
    for (int r = oldRows; r < g.RowCount(); ++r) g.SetCell(0, r, IntToStr(r));
    platform::TIniFile ini(name);
    ini.WriteString("HEAD", "NUMBER", IntToStr(slotCount));
    for (int i = 0; i < slotCount; ++i) {
        const std::string section = "SLOT" + IntToStr(i);
        for (const auto& k : keys)
            ini.WriteString(section, k.Key, g.Cell(k.Col, i + 1));
    }
    ini.UpdateFile();
    NoteListFile(d, name);
    if (showName) field = name;
    return true;
}

bool EmptySlot(const TStringGrid& g, int slot, int labelCol, int typeCol, int lengthCol,
               int widthCol) {
    if (slot < 1 || slot >= g.RowCount()) return true;
    return Trim(g.Cell(labelCol, slot)).empty() && Trim(g.Cell(typeCol, slot)).empty() &&
           Trim(g.Cell(lengthCol, slot)).empty() && Trim(g.Cell(widthCol, slot)).empty();
}

void ClearSlot(TStringGrid& g, int row) {
    if (row < 1 || row >= g.RowCount()) return;
    for (int c = 1; c < g.ColCount(); ++c) g.Cell(c, row).clear();
}

void ClearAllSlots(TStringGrid& g) {
    for (int r = 1; r < g.RowCount(); ++r) ClearSlot(g, r);
}

bool SlotQtyAcceptable(int qty) {
    if (qty <= kMaxRackSlots) return true;
    platform::CurrentMessageSink().Warning("A rack holds at most " + IntToStr(kMaxRackSlots) +
                                           " slots; " + IntToStr(qty) + " slots cannot be made.");
    return false;
}

template <typename Write>
bool ResetRack(TMainData& d, TStringGrid& g, const std::string& field, Write write) {
    if (!d.SlotQtyConfirmed || d.SlotQty <= 0) return false;
    if (!SlotQtyAcceptable(d.SlotQty)) return false;
    g.SetRowCount(d.SlotQty + 1);
    NumberRackSlots(g);
    ClearAllSlots(g);
    write(std::string(field), d.SlotQty);
    return true;
}

std::string AddOne(const std::string& count) {
    return IntToStr(StrToIntDef(count, 0) + 1);
}

std::string JoinedAppDir(const char* name) {
    if (AppDir.empty()) return name;
    return (std::filesystem::path(AppDir) / name).string();
}

}  // namespace

std::string DefaultOffcutRackFileName() {
    return JoinedAppDir("default_offcut.rck");
}
std::string DefaultPartRackFileName() {
    return JoinedAppDir("default_part.prk");
}

TRackFileRead ReadOffcutRackFile(TMainData& d, const std::string& fileName) {
    return ReadRack(d, d.StringGridOffcutRack, d.EditOffcutsFileName, fileName, kOffcutKeys);
}

TRackFileRead ReadPartRackFile(TMainData& d, const std::string& fileName) {
    return ReadRack(d, d.StringGridPartRack, d.EditPartHRFileName, fileName, kPartKeys);
}

bool ReadOffcutRackFromFile(TMainData& d, const std::string& fileName) {
    return ReadOffcutRackFile(d, fileName) == TRackFileRead::Loaded;
}

bool ReadPartRackFromFile(TMainData& d, const std::string& fileName) {
    return ReadPartRackFile(d, fileName) == TRackFileRead::Loaded;
}

bool WriteOffcutRackToFile(TMainData& d, const std::string& fileName, int slotCount,
                           bool showName) {
    return WriteRack(d, d.StringGridOffcutRack, d.EditOffcutsFileName, fileName, slotCount,
                     showName, kOffcutKeys);
}

bool WritePartRackToFile(TMainData& d, const std::string& fileName, int slotCount, bool showName) {
    return WriteRack(d, d.StringGridPartRack, d.EditPartHRFileName, fileName, slotCount, showName,
                     kPartKeys);
}

bool SaveOffcutRack(TMainData& d) {
    return WriteOffcutRackToFile(d, d.EditOffcutsFileName, d.StringGridOffcutRack.RowCount() - 1,
                                 true);
}

bool SavePartRack(TMainData& d) {
    return WritePartRackToFile(d, d.EditPartHRFileName, d.StringGridPartRack.RowCount() - 1, true);
}

bool IsEmptyOffcutSlot(const TMainData& d, int slot) {
    return EmptySlot(d.StringGridOffcutRack, slot, OffcutRackCol::Label, OffcutRackCol::Type,
                     OffcutRackCol::Length, OffcutRackCol::Width);
}

bool IsEmptyPartSlot(const TMainData& d, int slot) {
    return EmptySlot(d.StringGridPartRack, slot, PartRackCol::Label, PartRackCol::Type,
                     PartRackCol::Length, PartRackCol::Width);
}

void ClearOffcutSlot(TMainData& d, int row) {
    ClearSlot(d.StringGridOffcutRack, row);
}
void ClearPartSlot(TMainData& d, int row) {
    ClearSlot(d.StringGridPartRack, row);
}
void ClearAllOffcutSlots(TMainData& d) {
    ClearAllSlots(d.StringGridOffcutRack);
}
void ClearAllPartSlots(TMainData& d) {
    ClearAllSlots(d.StringGridPartRack);
}

bool ConfirmSlotQty(TMainData& d, const std::string& text, const std::string& labelCaption) {
    std::int32_t n = 0;
    try {
        n = StrToInt(text);
    } catch (const EConvertError& e) {
        platform::CurrentMessageSink().Warning("[" + std::string(e.what()) + "]" + "Invalid " +
                                               labelCaption + " format.");
        return false;
    }
    // A rack of fewer than 2 slots could not be written (and would be lost at exit).
    if (n < 2) {
        platform::CurrentMessageSink().Warning("[" + IntToStr(n) + "]" + "Invalid " + labelCaption +
                                               " format.");
        return false;
    }
    d.SlotQty = n;
    d.SlotQtyConfirmed = true;
    return true;
}

void CancelSlotQty(TMainData& d) {
    d.SlotQtyConfirmed = false;
}

bool ResetOffcutRack(TMainData& d) {
    return ResetRack(d, d.StringGridOffcutRack, d.EditOffcutsFileName,
                     [&](std::string name, int n) { WriteOffcutRackToFile(d, name, n, true); });
}

bool ResetPartRack(TMainData& d) {
    return ResetRack(d, d.StringGridPartRack, d.EditPartHRFileName,
                     [&](std::string name, int n) { WritePartRackToFile(d, name, n, true); });
}

std::string OffcutRackFileFilter(const std::string& title) {
    return title + "(*.rck)|*.rck";
}
std::string PartRackFileFilter(const std::string& title) {
    return title + "(*.prk)|*.prk";
}

TRackReport BuildOffcutRackReport(const TMainData& d, const TRackSummaryTexts& t,
                                  const std::string& qtyTitle) {
    const TStringGrid& rack = d.StringGridOffcutRack;
    TRackReport rep;
    rep.OffcutReportMode = true;
    rep.Summary = t.AreaCaption + " :    " + t.AreaText + "     " + t.QtyCaption + " :    " +
                  t.QtyText + "     " + t.CostCaption + " :    " + t.CostText;
    TStringGrid& g = rep.Grid;
    g.SetSize(7, 2);
    g.SetRow(0, {rack.Cell(OffcutRackCol::Label, 0), rack.Cell(OffcutRackCol::Type, 0),
                 rack.Cell(OffcutRackCol::Length, 0), rack.Cell(OffcutRackCol::Width, 0), qtyTitle,
                 rack.Cell(OffcutRackCol::Cost, 0), rack.Cell(OffcutRackCol::Comment, 0)});
    int groups = 0;
    for (int r = 1; r < rack.RowCount(); ++r) {
        const std::string type = Trim(rack.Cell(OffcutRackCol::Type, r));
        const std::string length = Trim(rack.Cell(OffcutRackCol::Length, r));
        const std::string width = Trim(rack.Cell(OffcutRackCol::Width, r));
        if (type.empty() && length.empty() && width.empty()) continue;
        int found = 0;
        for (int k = 1; k <= groups && !found; ++k)
            if (Trim(g.Cell(1, k)) == type && Trim(g.Cell(2, k)) == length &&
                Trim(g.Cell(3, k)) == width)
                found = k;
        if (found) {
            g.SetCell(4, found, AddOne(g.Cell(4, found)));
            continue;
        }
        ++groups;
        if (groups >= g.RowCount()) g.SetRowCount(groups + 1);
        g.SetRow(groups,
                 {rack.Cell(OffcutRackCol::Label, r), rack.Cell(OffcutRackCol::Type, r),
                  rack.Cell(OffcutRackCol::Length, r), rack.Cell(OffcutRackCol::Width, r), "1",
                  rack.Cell(OffcutRackCol::Cost, r), rack.Cell(OffcutRackCol::Comment, r)});
    }
    g.SetRowCount(groups + 1);
    return rep;
}

TRackReport BuildPartRackReport(const TMainData& d, const TRackSummaryTexts& t,
                                const std::string& qtyTitle) {
    const TStringGrid& titles = d.StringGridOffcutRack;
    const TStringGrid& rack = d.StringGridPartRack;
    TRackReport rep;
    rep.OffcutReportMode = false;
    rep.Summary =
        t.AreaCaption + " :    " + t.AreaText + "     " + t.QtyCaption + " :    " + t.QtyText;
    TStringGrid& g = rep.Grid;
    g.SetSize(6, 2);
    g.SetRow(0, {titles.Cell(OffcutRackCol::Label, 0), titles.Cell(OffcutRackCol::Type, 0),
                 titles.Cell(OffcutRackCol::Length, 0), titles.Cell(OffcutRackCol::Width, 0),
                 qtyTitle, titles.Cell(OffcutRackCol::Comment, 0)});
    int groups = 0;
    for (int r = 1; r < rack.RowCount(); ++r) {
        const std::string label = Trim(rack.Cell(PartRackCol::Label, r));
        if (label.empty()) continue;
        int found = 0;
        for (int k = 1; k <= groups && !found; ++k)
            if (Trim(g.Cell(0, k)) == label) found = k;
        if (found) {
            g.SetCell(4, found, AddOne(g.Cell(4, found)));
            continue;
        }
        ++groups;
        if (groups >= g.RowCount()) g.SetRowCount(groups + 1);
        g.SetRow(groups, {rack.Cell(PartRackCol::Label, r), rack.Cell(PartRackCol::Type, r),
                          rack.Cell(PartRackCol::Length, r), rack.Cell(PartRackCol::Width, r), "1",
                          rack.Cell(PartRackCol::Comment, r)});
    }
    g.SetRowCount(groups + 1);
    return rep;
}

std::vector<std::string> RackListingLines(const TMainData& d, bool offcutRack) {
    const TStringGrid& g = offcutRack ? d.StringGridOffcutRack : d.StringGridPartRack;
    std::vector<std::string> lines;
    for (int r = 0; r < g.RowCount(); ++r) {
        if (offcutRack)
            lines.push_back(Format("%-5s%-35s%-20s%-10s%-10s%-10s%-s",
                                   {g.Cell(0, r), g.Cell(1, r), g.Cell(2, r), g.Cell(3, r),
                                    g.Cell(4, r), g.Cell(5, r), g.Cell(7, r)}));
        else
            lines.push_back(Format("%-5s%-35s%-20s%-10s%-10s%-10s%-s",
                                   {g.Cell(0, r), g.Cell(1, r), g.Cell(2, r), g.Cell(3, r),
                                    g.Cell(4, r), g.Cell(5, r), g.Cell(6, r)}));
        if (r == 0) lines.push_back(std::string(106, '-'));
    }
    return lines;
}

std::vector<std::string> RackReportLines(const TRackReport& rep) {
    const TStringGrid& g = rep.Grid;
    std::vector<std::string> lines;
    for (int r = 0; r < g.RowCount(); ++r) {
        if (rep.OffcutReportMode)
            lines.push_back(Format("%-35s%-20s%-10s%-10s%-10s%-10s%-s",
                                   {g.Cell(0, r), g.Cell(1, r), g.Cell(2, r), g.Cell(3, r),
                                    g.Cell(4, r), g.Cell(5, r), g.Cell(6, r)}));
        else
            lines.push_back(
                Format("%-35s%-20s%-10s%-10s%-10s%-s", {g.Cell(0, r), g.Cell(1, r), g.Cell(2, r),
                                                        g.Cell(3, r), g.Cell(4, r), g.Cell(5, r)}));
        if (r == 0) lines.push_back(std::string(106, '-'));
    }
    return lines;
}
