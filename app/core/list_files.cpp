#include "app/core/list_files.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <new>

#include "app/core/exit_save.h"
#include "engine/errors.h"
#include "engine/pubstr.h"
#include "engine/shared_state.h"
#include "engine/textfmt.h"
#include "platform/inifile.h"
#include "platform/message_sink.h"

namespace {

// Key, column and reader default of one stored cell.
struct KeyCol {
    const char* Key;
    int Col;
    const char* Default;
};

constexpr KeyCol kSheetKeys[] = {
    {"LABEL", SheetCol::Label, ""},
    {"TYPE", SheetCol::Type, ""},
    {"LENGTH", SheetCol::Length, ""},
    {"WIDTH", SheetCol::Width, ""},
    {"QTY", SheetCol::Qty, ""},
    {"COST", SheetCol::Cost, ""},
    {"PRIORITY", SheetCol::Priority, "0"},
    {"COMMENT", SheetCol::Comment, ""},
};

constexpr KeyCol kPartKeys[] = {
    {"LABEL", PartCol::Label, ""},     {"TYPE", PartCol::Type, ""},
    {"LENGTH", PartCol::Length, ""},   {"WIDTH", PartCol::Width, ""},
    {"QTY", PartCol::Qty, ""},         {"MAXQTY", PartCol::MaxQty, ""},
    {"ROTATE", PartCol::Rotate, "R"},  {"SHAPE", PartCol::Shape, "R"},
    {"BGTYPE", PartCol::EdgeType, ""}, {"COMMENT", PartCol::Comment, ""},
};

// A row is stored unless its label, length, width and quantity cells are all
// exactly empty (a cell of blanks counts as filled).
bool RowStored(const TStringGrid& g, int row, int labelCol, int lengthCol, int widthCol,
               int qtyCol) {
    return !(g.Cell(labelCol, row).empty() && g.Cell(lengthCol, row).empty() &&
             g.Cell(widthCol, row).empty() && g.Cell(qtyCol, row).empty());
}

std::string SectionName(const char* prefix, int n) {
    return prefix + IntToStr(n);
}

// Ensures the grid has row Row (growing by half again, so that reading a long
// file does not copy the grid once per row; the reader sets the final count).
void EnsureRow(TStringGrid& g, int row) {
    if (row >= g.RowCount()) g.SetRowCount(std::max(row + 1, g.RowCount() + g.RowCount() / 2));
}

// The integer sum of the quantity in cell (Col, Row) of G and Added, the
// quantity of an appended row with the same label, type, length and width.
// A text that is no whole number, or a sum beyond 32 bits, throws the
// conversion or range error with a message naming the row, the column and
// why.
std::string AddQuantities(const TStringGrid& g, int col, int row, const std::string& added,
                          const std::string& columnName) {
    const std::string title = Trim(g.Cell(col, 0)).empty() ? columnName : Trim(g.Cell(col, 0));
    const std::string match = "it matches row " + IntToStr(row) +
                              " of the list (the same label, type, length and width), and ";
    const auto number = [&](const std::string& text, const std::string& whose) {
        try {
            return static_cast<std::int64_t>(StrToInt(text));
        } catch (const EConvertError& e) {
            throw EConvertError(match + whose + " " + title + ", \"" + text +
                                "\", is not a whole number (" + e.what() +
                                "), so the two cannot be added.");
        }
    };
    const std::int64_t sum = number(g.Cell(col, row), "that row's") + number(added, "its own");
    if (sum < INT32_MIN || sum > INT32_MAX)
        throw ERangeError(match + "that row's " + title + " (" + g.Cell(col, row) +
                          ") and its own (" + added + ") add up to " + IntToStr(sum) +
                          ", more than a quantity can hold (Range check error).");
    return IntToStr(sum);
}

// The first data row whose trimmed label, type, length and width equal the
// trimmed arguments; 0 when none (or when label, length or width is empty).
int FindEqualRow(const TStringGrid& g, const std::string& label, const std::string& type,
                 const std::string& length, const std::string& width, int labelCol, int typeCol,
                 int lengthCol, int widthCol) {
    const std::string l = Trim(label), t = Trim(type), x = Trim(length), y = Trim(width);
    if (l.empty() || x.empty() || y.empty()) return 0;
    for (int r = 1; r < g.RowCount(); ++r)
        if (Trim(g.Cell(labelCol, r)) == l && Trim(g.Cell(typeCol, r)) == t &&
            Trim(g.Cell(lengthCol, r)) == x && Trim(g.Cell(widthCol, r)) == y)
            return r;
    return 0;
}

// The first data row whose label, length and width are empty after trimming;
// the grid grows by 10 rows when there is none.
int FreeRow(TStringGrid& g, int labelCol, int lengthCol, int widthCol) {
    for (int r = 1; r < g.RowCount(); ++r)
        if (Trim(g.Cell(labelCol, r)).empty() && Trim(g.Cell(lengthCol, r)).empty() &&
            Trim(g.Cell(widthCol, r)).empty())
            return r;
    const int row = g.RowCount();
    g.SetRowCount(row + 10);
    return row;
}

// True when A and B name the same file (a missing file: the same path).
bool SameFile(const std::string& a, const std::string& b) {
    namespace fs = std::filesystem;
    std::error_code ec;
    if (fs::equivalent(a, b, ec)) return true;
    const fs::path x = fs::weakly_canonical(a, ec), y = fs::weakly_canonical(b, ec);
    return !ec && x == y;
}

// The warning of a list file read or appended only up to kMaxListSections.
void WarnListCut(const std::string& fileName, bool parts) {
    platform::CurrentMessageSink().Warning(
        "List file \"" + fileName + "\" holds more than " + IntToStr(kMaxListSections) + " " +
        (parts ? "parts" : "sheets") + "; only the first " + IntToStr(kMaxListSections) +
        " were read, and the list is not saved over that file.");
}

void SaveList(const TStringGrid& g, const std::string& fileName, const char* prefix, bool parts,
              const std::string& cutFrom) {
    if (!cutFrom.empty() && SameFile(cutFrom, fileName))
        throw platform::IniWriteError(
            "Cannot write file \"" + fileName + "\": the list was read from it cut to its first " +
            IntToStr(kMaxListSections) + " rows, and saving would lose the others; save it under another name");
    platform::TIniFile ini(fileName);
    EraseAllIniSections(ini);
    int n = 0;
    for (int r = 1; r < g.RowCount(); ++r) {
        if (parts
                ? !RowStored(g, r, PartCol::Label, PartCol::Length, PartCol::Width, PartCol::MaxQty)
                : !RowStored(g, r, SheetCol::Label, SheetCol::Length, SheetCol::Width,
                             SheetCol::Qty))
            continue;
        const std::string section = SectionName(prefix, ++n);
        if (parts) {
            for (const auto& k : kPartKeys) {
                std::string v = g.Cell(k.Col, r);
                if (k.Col == PartCol::Rotate) v = NormalRotateCell(v);
                if (k.Col == PartCol::Shape) v = NormalShapeCell(v);
                ini.WriteString(section, k.Key, v);
            }
        } else {
            for (const auto& k : kSheetKeys) ini.WriteString(section, k.Key, g.Cell(k.Col, r));
        }
    }
    ini.UpdateFile();
}

// What a list file of the kind holds, for the refusal of one without a list.
std::string ListKind(bool parts) {
    return parts ? "part list" : "sheet list";
}

// Reads the list of Ini into G; true when the file holds more rows than were read.
bool ReadList(TStringGrid& g, const platform::TIniFile& ini, const std::string& fileName,
              const char* prefix, bool parts) {
    g.ClearRows(1);
    int n = 1;
    for (; n <= kMaxListSections; ++n) {
        const std::string section = SectionName(prefix, n);
        if (!ini.SectionExists(section)) break;
        EnsureRow(g, n);
        if (parts) {
            for (const auto& k : kPartKeys)
                g.SetCell(k.Col, n, ini.ReadString(section, k.Key, k.Default));
            g.SetCell(PartCol::Rotate, n, NormalRotateCell(g.Cell(PartCol::Rotate, n)));
            g.SetCell(PartCol::Shape, n, NormalShapeCell(g.Cell(PartCol::Shape, n)));
        } else {
            for (const auto& k : kSheetKeys)
                g.SetCell(k.Col, n, ini.ReadString(section, k.Key, k.Default));
        }
    }
    // Title row, the rows read and one empty row.
    g.SetRowCount(n + 1);
    const bool cut = n > kMaxListSections && ini.SectionExists(SectionName(prefix, n));
    if (cut) WarnListCut(fileName, parts);
    return cut;
}

// Reads a list file into a copy of Grid, so that a file that cannot be held
// (std::bad_alloc) or that holds no list leaves the grid as it was; true when
// read.
bool ReadListInto(TStringGrid& grid, std::string& cutFrom, const std::string& fileName,
                  const char* prefix, bool parts) {
    try {
        if (ListFileReadFault) ListFileReadFault(fileName);
        const platform::TIniFile ini(fileName);
        if (RefuseFileWithoutListSection(ini, fileName, prefix, false, ListKind(parts)))
            return false;
        TStringGrid read = grid;
        const bool cut = ReadList(read, ini, fileName, prefix, parts);
        grid = std::move(read);
        cutFrom = cut ? fileName : std::string();
        return true;
    } catch (const std::bad_alloc&) {
        WarnNoMemoryFor(fileName);
        return false;
    }
}

// Appends section Section of FileName with Append. A quantity that cannot be
// added stops the append: the error names the section and the file, what
// went wrong, and that the sections before it stay appended.
template <typename Append>
void AppendSection(const std::string& fileName, const std::string& section, Append append) {
    const auto framed = [&](const std::exception& e) {
        return "Section " + section + " of \"" + fileName + "\" was not appended: " + e.what() +
               " The sections before it were appended, none after it.";
    };
    try {
        append();
    } catch (const EConvertError& e) {
        throw EConvertError(framed(e));
    } catch (const ERangeError& e) {
        throw ERangeError(framed(e));
    }
}

}  // namespace

std::string NormalRotateCell(const std::string& cell) {
    return (cell == "n" || cell == "N") ? "N" : "R";
}

std::string NormalShapeCell(const std::string& cell) {
    return (cell == "c" || cell == "C") ? "C" : "R";
}

void SaveSheetsFile(TMainData& data, const std::string& fileName, bool showName) {
    const TListSaveGuard guard(data, fileName);
    SaveList(data.StringGridSheets, fileName, "SHEET", false, data.SheetsCutFrom);
    NoteListFile(data, fileName);
    if (showName) data.EditSheetsFileName = fileName;
}

void SavePartsFile(TMainData& data, const std::string& fileName, bool showName) {
    const TListSaveGuard guard(data, fileName);
    SaveList(data.StringGridParts, fileName, "PART", true, data.PartsCutFrom);
    NoteListFile(data, fileName);
    if (showName) data.EditPartsFileName = fileName;
}

std::string SaveCommandFile(const TMainData& data, bool sheets) {
    const std::string& name = sheets ? data.EditSheetsFileName : data.EditPartsFileName;
    const bool on = sheets ? data.SheetsSaveEnabled : data.PartsSaveEnabled;
    return on && IsListFileOfKind(name, sheets ? "sht" : "prt") ? name : std::string();
}

bool ReadSheetsFile(TMainData& data, const std::string& fileName) {
    if (RefuseUnreadableFile(fileName)) return false;
    if (!ReadListInto(data.StringGridSheets, data.SheetsCutFrom, fileName, "SHEET", false)) return false;
    NoteListFile(data, fileName);
    data.EditSheetsFileName = fileName;
    data.SheetsSaveEnabled = true;
    return true;
}

bool ReadPartsFile(TMainData& data, const std::string& fileName) {
    if (RefuseUnreadableFile(fileName)) return false;
    if (!ReadListInto(data.StringGridParts, data.PartsCutFrom, fileName, "PART", true)) return false;
    NoteListFile(data, fileName);
    data.EditPartsFileName = fileName;
    data.PartsSaveEnabled = true;
    return true;
}

bool AppendSheetsFile(TMainData& data, const std::string& fileName) {
    if (RefuseUnreadableFile(fileName)) return false;
    const platform::TIniFile ini(fileName);
    if (RefuseFileWithoutListSection(ini, fileName, "SHEET", false, ListKind(false))) return false;
    if (ini.SectionExists(SectionName("SHEET", kMaxListSections + 1))) WarnListCut(fileName, false);
    for (int n = 1; n <= kMaxListSections; ++n) {
        const std::string s = SectionName("SHEET", n);
        if (!ini.SectionExists(s)) break;
        AppendSection(fileName, s, [&] {
            AppendToSheetsGrid(data.StringGridSheets, ini.ReadString(s, "LABEL", ""),
                               ini.ReadString(s, "TYPE", ""), ini.ReadString(s, "LENGTH", ""),
                               ini.ReadString(s, "WIDTH", ""), ini.ReadString(s, "QTY", ""),
                               ini.ReadString(s, "COST", ""), ini.ReadString(s, "PRIORITY", "0"),
                               ini.ReadString(s, "COMMENT", ""));
        });
    }
    data.SheetsSaveEnabled = true;
    return true;
}

bool AppendPartsFile(TMainData& data, const std::string& fileName) {
    if (RefuseUnreadableFile(fileName)) return false;
    const platform::TIniFile ini(fileName);
    if (RefuseFileWithoutListSection(ini, fileName, "PART", false, ListKind(true))) return false;
    if (ini.SectionExists(SectionName("PART", kMaxListSections + 1))) WarnListCut(fileName, true);
    for (int n = 1; n <= kMaxListSections; ++n) {
        const std::string s = SectionName("PART", n);
        if (!ini.SectionExists(s)) break;
        // Appended rows carry no shape and no edge type.
        AppendSection(fileName, s, [&] {
            AppendToParttsGrid(data.StringGridParts, ini.ReadString(s, "LABEL", ""),
                               ini.ReadString(s, "TYPE", ""), ini.ReadString(s, "LENGTH", ""),
                               ini.ReadString(s, "WIDTH", ""), ini.ReadString(s, "QTY", ""),
                               ini.ReadString(s, "MAXQTY", ""), "",
                               ini.ReadString(s, "ROTATE", "R"), ini.ReadString(s, "COMMENT", ""));
        });
    }
    data.PartsSaveEnabled = true;
    return true;
}

bool AppendToSheetsGrid(TStringGrid& g, const std::string& label, const std::string& type,
                        const std::string& length, const std::string& width, const std::string& qty,
                        const std::string& cost, const std::string& priority,
                        const std::string& comment) {
    if (int r = FindEqualRow(g, label, type, length, width, SheetCol::Label, SheetCol::Type,
                             SheetCol::Length, SheetCol::Width)) {
        g.SetCell(SheetCol::Qty, r, AddQuantities(g, SheetCol::Qty, r, qty, QtyCaption));
        return true;
    }
    const int r = FreeRow(g, SheetCol::Label, SheetCol::Length, SheetCol::Width);
    g.SetRow(r, {label, type, length, width, qty, cost, priority, comment});
    return true;
}

bool AppendToParttsGrid(TStringGrid& g, const std::string& label, const std::string& type,
                        const std::string& length, const std::string& width, const std::string& qty,
                        const std::string& maxQty, const std::string& shape,
                        const std::string& rotate, const std::string& comment) {
    if (int r = FindEqualRow(g, label, type, length, width, PartCol::Label, PartCol::Type,
                             PartCol::Length, PartCol::Width)) {
        // Both sums are made before either cell changes.
        std::string q = AddQuantities(g, PartCol::Qty, r, qty, PartQtyCaption);
        std::string m = AddQuantities(g, PartCol::MaxQty, r, maxQty, MaxPartsQtyCaption);
        g.SetCell(PartCol::Qty, r, std::move(q));
        g.SetCell(PartCol::MaxQty, r, std::move(m));
        return true;
    }
    const int r = FreeRow(g, PartCol::Label, PartCol::Length, PartCol::Width);
    g.SetCell(PartCol::Label, r, label);
    g.SetCell(PartCol::Type, r, type);
    g.SetCell(PartCol::Length, r, length);
    g.SetCell(PartCol::Width, r, width);
    g.SetCell(PartCol::Rotate, r, rotate);
    g.SetCell(PartCol::Qty, r, qty);
    g.SetCell(PartCol::MaxQty, r, maxQty);
    g.SetCell(PartCol::Shape, r, shape);
    g.SetCell(PartCol::Comment, r, comment);
    return true;
}

void SheetsDelete(TMainData& data, int row) {
    DeleteGridRow(data.StringGridSheets, row);
}
void SheetsDeleteAll(TMainData& data) {
    data.StringGridSheets.ClearRows(1);
}
void PartsDelete(TMainData& data, int row) {
    DeleteGridRow(data.StringGridParts, row);
}
void PartsDeleteAll(TMainData& data) {
    data.StringGridParts.ClearRows(1);
}

std::string SheetsFileFilter(const std::string& title) {
    return title + "(*.sht)|*.sht";
}
std::string PartsFileFilter(const std::string& title) {
    return title + "(*.prt)|*.prt";
}
