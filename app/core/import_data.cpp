#include "app/core/import_data.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <new>

#include "app/core/grid_text_files.h"
#include "engine/errors.h"
#include "engine/pubstr.h"
#include "engine/textfmt.h"
#include "platform/inifile.h"
#include "platform/message_sink.h"
#include "platform/xls_file.h"
#include "platform/xlsx_file.h"

std::string ImportFileName;
std::vector<std::string> ImportFieldList;

void ResetImportDefaults() {
    ImportFileName.clear();
    ImportFieldList.clear();
}

namespace {

void Warn(const std::string& Text) { platform::CurrentMessageSink().Warning(Text); }

std::string FieldKey(int Column) {
    return std::string(Column < 9 ? "FIELD0" : "FIELD") + IntToStr(Column + 1);
}

const char* MappingSection(bool Sheets) { return Sheets ? "SHEET_FIELDS" : "PART_FIELDS"; }

// The first data row equal to Row in the four key columns (trimmed; label,
// length and width not empty); 0 when none.
int EqualRow(const TStringGrid& Grid, const std::vector<std::string>& Row, const int (&Keys)[4]) {
    if (Trim(Row[Keys[0]]).empty() || Trim(Row[Keys[2]]).empty() || Trim(Row[Keys[3]]).empty())
        return 0;
    for (int r = 1; r < Grid.RowCount(); ++r)
        if (std::all_of(std::begin(Keys), std::end(Keys),
                        [&](int c) { return Trim(Grid.Cell(c, r)) == Trim(Row[c]); }))
            return r;
    return 0;
}

// Adds Row to Grid: to the quantities of an equal row, or whole into the
// first empty row (the grid grows by 10 rows when it has none). Throws
// EConvertError or ERangeError for a quantity that cannot be added.
void MergeRow(TStringGrid& Grid, const std::vector<std::string>& Row, const int (&Keys)[4],
              const std::vector<int>& QtyColumns) {
    if (const int r = EqualRow(Grid, Row, Keys)) {
        std::vector<std::string> sums;
        for (int c : QtyColumns) {
            const std::int64_t sum = std::int64_t{StrToInt(Grid.Cell(c, r))} + StrToInt(Row[c]);
            if (sum < INT32_MIN || sum > INT32_MAX) throw ERangeError();
            sums.push_back(IntToStr(sum));
        }
        for (std::size_t i = 0; i < QtyColumns.size(); ++i) Grid.SetCell(QtyColumns[i], r, sums[i]);
        return;
    }
    int r = 1;
    while (r < Grid.RowCount() && !Grid.RowEmpty(r, 0)) ++r;
    if (r == Grid.RowCount()) Grid.SetRowCount(r + 10);
    Grid.SetRow(r, Row);
}

}  // namespace

TImportData::TImportData() : StringGridImportData(kImportColumns, 2) {
    for (int c = 0; c < kImportColumns; ++c) StringGridImportData.SetCell(c, 0, IntToStr(c + 1));
}

void TImportData::ClearImportGrid() {
    StringGridImportData.ClearRows(1);
    StringGridImportData.SetRowCount(2);
}

bool TImportData::HoldsRows() const {
    for (int r = 1; r < StringGridImportData.RowCount(); ++r)
        for (int c = 0; c < kImportColumns; ++c)
            if (!Trim(StringGridImportData.Cell(c, r)).empty()) return true;
    return false;
}

bool TImportData::LoadTextFile(const std::string& FileName) {
    ClearImportGrid();
    SheetNames.clear();
    SheetIndex = 0;
    try {
        std::string text, error;
        if (!ReadTabTextFile(FileName, text, error)) {
            Warn("[" + error + "]" + MsgCantReadImportTxtFile);
            return false;
        }
        TStringGrid grid = StringGridImportData;
        FillGridFromTabText(grid, text, true);  // every line a row, empty ones too
        StringGridImportData = std::move(grid);
    } catch (const std::bad_alloc&) {
        WarnNoMemoryFor(FileName);
        return false;
    }
    ImportFileName = FileName;
    return true;
}

bool TImportData::LoadExcelFile(const std::string& FileName, int Sheet) {
    // A refused sheet leaves nothing to import; its workbook's other sheets
    // can still be chosen.
    ClearImportGrid();
    if (FileName == ImportFileName && Sheet >= 0 && Sheet < static_cast<int>(SheetNames.size())) {
        SheetIndex = Sheet;
    } else {
        SheetNames.clear();
        SheetIndex = 0;
    }
    platform::TXlsxSheet book;
    TStringGrid grid(kImportColumns, 2);
    int rows = 0;
    try {
        // An old binary workbook is known by its first bytes, whatever its name.
        book = platform::IsXlsFile(FileName)
                   ? platform::ReadXlsSheet(FileName, Sheet, kImportMaxRows, kImportColumns)
                   : platform::ReadXlsxSheet(FileName, Sheet, kImportMaxRows, kImportColumns);
        // Rows down to the first blank one.
        while (rows < kImportMaxRows &&
               std::any_of(book.Cells[rows].begin(), book.Cells[rows].end(),
                           [](const std::string& s) { return !Trim(s).empty(); }))
            ++rows;
        grid = StringGridImportData;
        grid.ClearRows(1);
        grid.SetRowCount(std::max(2, rows + 1));
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < kImportColumns; ++c) grid.SetCell(c, r + 1, std::move(book.Cells[r][c]));
    } catch (const platform::XlsxError& e) {
        Warn("[" + std::string(e.what()) + "]");
        return false;
    } catch (const std::bad_alloc&) {
        WarnNoMemoryFor(FileName);
        return false;
    }
    if (rows == kImportMaxRows && book.MoreRows)
        Warn("Only the first " + IntToStr(kImportMaxRows) + " rows of sheet \"" +
             book.SheetNames[static_cast<std::size_t>(Sheet)] + "\" were read; the rows below them were left out.");
    StringGridImportData = std::move(grid);
    SheetNames = std::move(book.SheetNames);
    SheetIndex = Sheet;
    ImportFileName = FileName;
    return true;
}

std::vector<std::string> TImportData::ChosenFields() const {
    std::vector<std::string> fields;
    for (int i : ComboIndex)
        fields.push_back(i >= 0 && i < static_cast<int>(ComboItems.size()) ? ComboItems[i] : IgnoreCaption);
    return fields;
}

int TImportData::SameFieldColumn() const {
    const std::vector<std::string> fields = ChosenFields();
    for (int i = 0; i < kImportColumns; ++i) {
        if (fields[i] == IgnoreCaption) continue;
        for (int j = i + 1; j < kImportColumns; ++j)
            if (fields[j] == fields[i]) return j;
    }
    return -1;
}

int TImportData::Confirm(TImportResult Mode) {
    if (!HoldsRows()) {
        Warn("There is nothing to import: load a text file or a spreadsheet first.");
        return kImportColumns;
    }
    const std::vector<std::string> fields = ChosenFields();
    if (std::all_of(fields.begin(), fields.end(), [](const std::string& f) { return f == IgnoreCaption; })) {
        Warn("There is nothing to import: every column is set to \"" + IgnoreCaption +
             "\"; choose the list column of at least one import column first.");
        return 0;
    }
    const int same = SameFieldColumn();
    if (same >= 0) {
        Warn(MsgSameFieldError);
        return same;
    }
    ImportFieldList = ChosenFields();
    Result = Mode;
    return -1;
}

std::string ImportMappingFileName() { return AppDir + "/default"; }

void PrepareImport(TImportData& Dialog, const TMainData& Data, bool Sheets) {
    const TStringGrid& target = Sheets ? Data.StringGridSheets : Data.StringGridParts;
    Dialog.ComboItems = {IgnoreCaption};
    for (int c = 0; c < target.ColCount(); ++c) Dialog.ComboItems.push_back(target.Cell(c, 0));
    const platform::TIniFile ini(ImportMappingFileName());
    for (int k = 0; k < kImportColumns; ++k) {
        const int i = ini.ReadInteger(MappingSection(Sheets), FieldKey(k), 0);
        Dialog.ComboIndex[k] = i >= 0 && i < static_cast<int>(Dialog.ComboItems.size()) ? i : 0;
    }
    ImportSheetsMode = Sheets;
    Dialog.Activate();
}

bool ApplyImport(TMainData& Data, bool Sheets, const TImportData& Dialog) {
    if (Dialog.Result == TImportResult::Cancel) return false;
    TStringGrid& target = Sheets ? Data.StringGridSheets : Data.StringGridParts;
    const TStringGrid& source = Dialog.StringGridImportData;

    // The new rows are made aside: a quantity that cannot be added, or rows
    // too many for the memory left, leave the grid as it was.
    TStringGrid grid;
    try {
        const std::vector<std::string> fields = Dialog.ChosenFields();
        grid = target;
        grid.ClearRows(1);
        grid.SetRowCount(std::max(2, source.RowCount()));
        for (int i = 0; i < kImportColumns; ++i) {
            if (fields[i] == IgnoreCaption) continue;
            for (int c = 0; c < grid.ColCount(); ++c)
                if (grid.Cell(c, 0) == fields[i])
                    for (int r = 1; r < source.RowCount(); ++r) grid.SetCell(c, r, source.Cell(i, r));
        }
        if (Dialog.Result == TImportResult::Append) {
            static const int kSheetKeys[4] = {SheetCol::Label, SheetCol::Type, SheetCol::Length, SheetCol::Width};
            static const int kPartKeys[4] = {PartCol::Label, PartCol::Type, PartCol::Length, PartCol::Width};
            const std::vector<int> qty = Sheets ? std::vector<int>{SheetCol::Qty}
                                                : std::vector<int>{PartCol::Qty, PartCol::MaxQty};
            for (int r = 1; r < target.RowCount(); ++r)
                if (!target.RowEmpty(r, 0)) MergeRow(grid, target.Row(r), Sheets ? kSheetKeys : kPartKeys, qty);
        }
    } catch (const std::bad_alloc&) {
        Warn(ImportOutOfMemoryMessage(ImportFileName));
        return false;
    } catch (const std::exception& e) {
        Warn("[" + std::string(e.what()) + "]");
        return false;
    }
    target = std::move(grid);
    // Copy replaces every row: the list file named and a list read cut
    // before are gone. Append keeps the list file's name.
    if (Dialog.Result == TImportResult::Copy) {
        (Sheets ? Data.EditSheetsFileName : Data.EditPartsFileName).clear();
        (Sheets ? Data.SheetsCutFrom : Data.PartsCutFrom).clear();
    }
    (Sheets ? Data.SheetsSaveEnabled : Data.PartsSaveEnabled) = false;

    // The column choices are kept for the next import, but not in a folder
    // whose stopped save could not be settled: nothing is saved there.
    if (!InUnsettledFolder(ImportMappingFileName())) {
        try {
            platform::TIniFile ini(ImportMappingFileName());
            for (int k = 0; k < kImportColumns; ++k)
                ini.WriteInteger(MappingSection(Sheets), FieldKey(k), Dialog.ComboIndex[k]);
            ini.UpdateFile();
        } catch (const std::bad_alloc&) {
            Warn("Out of memory: the column choices were not stored in \"" + ImportMappingFileName() +
                 "\".");
        } catch (const platform::IniWriteError& e) {
            Warn("[" + std::string(e.what()) + "]");
        }
    }
    return true;
}

std::string ImportOutOfMemoryMessage(const std::string& FileName) {
    return "Out of memory: the rows of \"" + FileName +
           "\" could not be taken into the grid; the grid is as it was.";
}

bool WriteGridExcelFile(const TStringGrid& Grid, const std::string& SheetName,
                        const std::string& FileName, bool WithTitles) {
    std::vector<std::vector<std::string>> rows;
    for (int r = WithTitles ? 0 : 1; r < Grid.RowCount(); ++r) rows.push_back(Grid.Row(r));
    try {
        platform::WriteXlsxFile(FileName, SheetName, rows);
        return true;
    } catch (const platform::XlsxError& e) {
        Warn("[" + std::string(e.what()) + "]");
        return false;
    }
}

bool WriteSheetsExcelFile(const TMainData& Data, const std::string& FileName, bool WithTitles) {
    return WriteGridExcelFile(Data.StringGridSheets, "panels", FileName, WithTitles);
}
bool WritePartsExcelFile(const TMainData& Data, const std::string& FileName, bool WithTitles) {
    return WriteGridExcelFile(Data.StringGridParts, "parts", FileName, WithTitles);
}
bool WriteOffcutsExcelFile(const TMainData& Data, const std::string& FileName, bool WithTitles) {
    return WriteGridExcelFile(Data.StringGridOffcutRack, "offcuts harp rack", FileName, WithTitles);
}
bool WritePartsRackExcelFile(const TMainData& Data, const std::string& FileName, bool WithTitles) {
    return WriteGridExcelFile(Data.StringGridPartRack, "parts harp rack", FileName, WithTitles);
}
