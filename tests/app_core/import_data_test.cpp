#include "app/core/import_data.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <new>

#include "app/core/grid_text_files.h"
#include "app/core/list_files.h"
#include "engine/pubstr.h"
#include "platform/inifile.h"
#include "platform/text_encoding.h"
#include "platform/xlsx_file.h"
#include "support/scratch.h"

using testsupport::AppDirScope;
using testsupport::CaptureSink;
using testsupport::ScratchDir;

namespace {

std::string Data(const std::string& Name) { return std::string(TESSALY_TEST_DATA) + "/xlsx/" + Name; }

// The parts rows of the round trips: empty cells, fractions, a long label
// and bytes beyond ASCII.
const std::vector<std::vector<std::string>> kParts = {
    {"Door", "MDF", "720", "396", "R", "4", "4", "R", "ends", "oak"},
    {"Shelf", "", "1 1/2", "300.5", "N", "2", "", "C", "", ""},
    {std::string(300, 'L'), "PLY", "3/4", "12", "", "1", "1", "", "", "a & <b> \"c\""},
    {"T\xFCr \xE9", "Eiche", "560", "", "R", "", "", "", "", "\xC0\xFF"},
};

TMainData PartsData() {
    TMainData d;
    d.RefreshGridTitles();
    for (std::size_t r = 0; r < kParts.size(); ++r) d.StringGridParts.SetRow(static_cast<int>(r) + 1, kParts[r]);
    return d;
}

// A dialog for a parts import whose column k goes to grid column k.
TImportData PartsDialog(const TMainData& D) {
    TImportData dialog;
    PrepareImport(dialog, D, false);
    for (int k = 0; k < kImportColumns; ++k) dialog.ComboIndex[k] = k < PartCol::Count ? k + 1 : 0;
    return dialog;
}

std::vector<std::vector<std::string>> UsedRows(const TStringGrid& G) {
    std::vector<std::vector<std::string>> rows;
    for (int r = 1; r < G.RowCount(); ++r)
        if (!G.RowEmpty(r, 0)) rows.push_back(G.Row(r));
    return rows;
}

}  // namespace

TEST(Import, GridRoundTripsThroughSpreadsheetAndTabText) {
    ScratchDir dir;
    AppDirScope app(dir.Path());
    const struct {
        const char* File;
        std::function<bool(const TMainData&, const std::string&)> Write;
        bool Excel;
    } cases[] = {
        {"parts.xlsx", [](const TMainData& d, const std::string& f) { return WritePartsExcelFile(d, f, false); }, true},
        {"parts.txt", [](const TMainData& d, const std::string& f) { return WritePartsTxtFile(d, f, false); }, false},
    };
    for (const auto& c : cases) {
        const TMainData source = PartsData();
        ASSERT_TRUE(c.Write(source, dir.File(c.File)));
        TMainData target;
        target.RefreshGridTitles();
        TImportData dialog = PartsDialog(target);
        ASSERT_TRUE(c.Excel ? dialog.LoadExcelFile(dir.File(c.File), 0) : dialog.LoadTextFile(dir.File(c.File)));
        EXPECT_EQ(dialog.Confirm(TImportResult::Copy), -1);
        ASSERT_TRUE(ApplyImport(target, false, dialog));
        // A workbook holds UTF-8: the bytes that are not UTF-8 come back as
        // the Windows-1252 characters they show.
        std::vector<std::vector<std::string>> expected = kParts;
        if (c.Excel)
            for (auto& row : expected)
                for (auto& cell : row) cell = platform::TextAsUtf8(cell);
        EXPECT_EQ(UsedRows(target.StringGridParts), expected) << c.File;
        EXPECT_EQ(target.StringGridParts.Row(0), source.StringGridParts.Row(0));
        EXPECT_EQ(ImportFileName, dir.File(c.File));
    }
}

TEST(Import, SpreadsheetOfAnotherProgramStopsAtItsFirstBlankRow) {
    TImportData dialog;
    ASSERT_TRUE(dialog.LoadExcelFile(Data("libreoffice_parts.xlsx"), 0));
    const TStringGrid& g = dialog.StringGridImportData;
    ASSERT_EQ(g.RowCount(), 5);
    EXPECT_EQ(g.Row(1), (std::vector<std::string>{"Label", "Type", "Length", "Width", "Qty", "Comment", "", "", "", "", ""}));
    EXPECT_EQ(g.Row(3)[2], "1.5");
    EXPECT_EQ(g.Row(4)[0], "T\xC3\xBCr \xC3\xA9");
    EXPECT_EQ(g.Row(4)[5], "long comment with blanks and & < > \" signs");

    // A blank row ends the sheet.
    ASSERT_TRUE(dialog.LoadExcelFile(Data("handmade.xlsx"), 0));
    EXPECT_EQ(dialog.StringGridImportData.RowCount(), 3);
}

TEST(Import, WorkbookWithFormulasImportsTheirStoredValues) {
    TImportData dialog;
    CaptureSink sink;
    ASSERT_TRUE(dialog.LoadExcelFile(Data("libreoffice_formulas.xlsx"), 0));
    EXPECT_TRUE(sink.Warnings.empty());
    const TStringGrid& g = dialog.StringGridImportData;
    ASSERT_EQ(g.RowCount(), 5);
    EXPECT_EQ(g.Row(3), (std::vector<std::string>{"Shelf", "MDF", "0.3", "250.5", "4", "Shelf \xE2\x80\x93 MDF",
                                                  "7.515E-05", "FALSE", "", "", ""}));
    EXPECT_EQ(g.Row(4)[4], "6");  // the totals row under the list
}

TEST(Import, SpreadsheetReadUpToItsRowLimitSaysSo) {
    ScratchDir dir;
    for (const int rows : {kImportMaxRows, kImportMaxRows + 1}) {
        const std::string file = dir.File("rows" + std::to_string(rows) + ".xlsx");
        platform::WriteXlsxFile(file, "parts", std::vector<std::vector<std::string>>(rows, {"P", "", "10"}));
        TImportData dialog;
        CaptureSink sink;
        ASSERT_TRUE(dialog.LoadExcelFile(file, 0));
        EXPECT_EQ(dialog.StringGridImportData.RowCount(), kImportMaxRows + 1);
        EXPECT_EQ(sink.Warnings.size(), rows > kImportMaxRows ? 1u : 0u);
        if (rows > kImportMaxRows) {
            EXPECT_EQ(sink.Warnings.at(0),
                      "Only the first 1000 rows of sheet \"parts\" were read; the rows below them were left out.");
        }
    }
}

// Every load starts with an empty grid: a refused file leaves nothing to
// import, and Copy or Append then keep the list as it was.
TEST(Import, UnreadableFilesWarnAndLeaveNothingToImport) {
    ScratchDir dir;
    AppDirScope app(dir.Path());
    testsupport::WriteText(dir.File("three.txt"), "A\tMDF\t100\t50\nB\tMDF\t200\t50\nC\tPLY\t300\t50\n");
    const struct {
        const char* First;  // loaded before, a text file or a workbook
        const char* Bad;
        bool BadIsText;
    } cases[] = {
        {"three.txt", "formula_no_value.xlsx", false},
        {"three.txt", "not_a_zip.xlsx", false},
        {"libreoffice_parts.xlsx", "expand_shared_copies.xlsx", false},
        {"libreoffice_parts.xlsx", "no_such_file.txt", true},
        {"three.txt", "../xls/bool_error.xls", false},
        {"libreoffice_parts.xlsx", "../xls/truncated.xls", false},
        {"../xls/parts.xls", "../xls/format_past_record.xls", false},
        {"../xls/parts.xls", "no_such_file.txt", true},
        {"three.txt", "no_such_file.txt", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.First) + " then " + c.Bad);
        const TMainData before = PartsData();
        TMainData target = before;
        TImportData dialog = PartsDialog(target);
        const bool firstIsText = std::string(c.First).ends_with(".txt");
        const std::string first = firstIsText ? dir.File(c.First) : Data(c.First);
        ASSERT_TRUE(firstIsText ? dialog.LoadTextFile(first) : dialog.LoadExcelFile(first, 0));
        ASSERT_TRUE(dialog.HoldsRows());
        CaptureSink sink;
        EXPECT_FALSE(c.BadIsText ? dialog.LoadTextFile(Data(c.Bad)) : dialog.LoadExcelFile(Data(c.Bad), 0));
        ASSERT_EQ(sink.Warnings.size(), 1u);
        EXPECT_NE(sink.Warnings[0].find(Data(c.Bad)), std::string::npos) << sink.Warnings[0];
        if (c.BadIsText) {
            EXPECT_NE(sink.Warnings[0].find(MsgCantReadImportTxtFile), std::string::npos);
        }
        EXPECT_EQ(dialog.StringGridImportData.RowCount(), 2);
        EXPECT_FALSE(dialog.HoldsRows());
        EXPECT_TRUE(dialog.SheetNames.empty());
        EXPECT_EQ(ImportFileName, first);

        for (const TImportResult mode : {TImportResult::Copy, TImportResult::Append}) {
            sink.Warnings.clear();
            EXPECT_EQ(dialog.Confirm(mode), kImportColumns);
            EXPECT_EQ(sink.Warnings.size(), 1u);
            EXPECT_EQ(dialog.Result, TImportResult::Cancel);
            EXPECT_FALSE(ApplyImport(target, false, dialog));
            EXPECT_EQ(target.StringGridParts.RowCount(), before.StringGridParts.RowCount());
            EXPECT_EQ(UsedRows(target.StringGridParts), kParts);
            EXPECT_TRUE(target.PartsSaveEnabled);
        }
    }
}

// A refused sheet of a workbook leaves its other sheets to choose.
TEST(Import, RefusedSheetKeepsTheWorkbooksOtherSheets) {
    TImportData dialog;
    CaptureSink sink;
    ASSERT_TRUE(dialog.LoadExcelFile(Data("formula_no_value.xlsx"), 1));
    const std::vector<std::string> names = dialog.SheetNames;
    ASSERT_EQ(names.size(), 2u);
    EXPECT_FALSE(dialog.LoadExcelFile(Data("formula_no_value.xlsx"), 0));
    EXPECT_FALSE(dialog.HoldsRows());
    EXPECT_EQ(dialog.SheetNames, names);
    EXPECT_EQ(dialog.SheetIndex, 0);
    ASSERT_TRUE(dialog.LoadExcelFile(Data("formula_no_value.xlsx"), 1));
    EXPECT_EQ(dialog.StringGridImportData.Cell(10, 1), "eleven");
    EXPECT_EQ(sink.Warnings.size(), 1u);
}

TEST(Import, OutcomeIsSetOnlyByAPassingColumnCheck) {
    TMainData d = PartsData();
    TImportData dialog = PartsDialog(d);
    dialog.StringGridImportData.SetRow(1, {"New", "MDF", "100", "50"});
    dialog.ComboIndex[10] = dialog.ComboIndex[3];  // column 4 and 11 both to "Width"
    dialog.ComboIndex[5] = dialog.ComboIndex[6] = 0;  // two "Ignore" pass
    CaptureSink sink;
    EXPECT_EQ(dialog.Confirm(TImportResult::Copy), 10);
    EXPECT_EQ(dialog.Confirm(TImportResult::Append), 10);
    EXPECT_EQ(dialog.Result, TImportResult::Cancel);
    EXPECT_EQ(sink.Warnings, std::vector<std::string>(2, MsgSameFieldError));
    EXPECT_FALSE(ApplyImport(d, false, dialog));
    EXPECT_EQ(UsedRows(d.StringGridParts), kParts);

    // A refused Copy does not turn a later Append into a Copy.
    dialog.ComboIndex[10] = 0;
    EXPECT_EQ(dialog.Confirm(TImportResult::Append), -1);
    EXPECT_EQ(dialog.Result, TImportResult::Append);
    dialog.Activate();
    EXPECT_EQ(dialog.Result, TImportResult::Cancel);
}

TEST(Import, AppendPutsImportedRowsFirstAndMergesTheGridsRowsWhole) {
    ScratchDir dir;
    AppDirScope app(dir.Path());
    TMainData d = PartsData();
    d.EditPartsFileName = dir.File("job.prt");
    TImportData dialog = PartsDialog(d);
    dialog.StringGridImportData.SetRowCount(3);
    dialog.StringGridImportData.SetRow(1, {"New", "MDF", "100", "50", "R", "3", "3", "", "", "", ""});
    dialog.StringGridImportData.SetRow(2, {"Door", "MDF", "720", "396", "R", "1", "2", "", "", "", ""});
    ASSERT_EQ(dialog.Confirm(TImportResult::Append), -1);
    ASSERT_TRUE(ApplyImport(d, false, dialog));
    const auto rows = UsedRows(d.StringGridParts);
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[0][PartCol::Label], "New");
    EXPECT_EQ(rows[1][PartCol::Qty], "5");  // Door
    EXPECT_EQ(rows[1][PartCol::MaxQty], "6");
    EXPECT_EQ(std::vector(rows.begin() + 2, rows.end()), std::vector(kParts.begin() + 1, kParts.end()));
    // The list file field gets its text back; a Copy empties it.
    EXPECT_EQ(d.EditPartsFileName, dir.File("job.prt"));
    EXPECT_FALSE(std::filesystem::exists(dir.File("tmp.prt")));
    TMainData copied = PartsData();
    copied.EditPartsFileName = "job.prt";
    ASSERT_EQ(dialog.Confirm(TImportResult::Copy), -1);
    ASSERT_TRUE(ApplyImport(copied, false, dialog));
    EXPECT_EQ(copied.EditPartsFileName, "");
    ASSERT_EQ(dialog.Confirm(TImportResult::Append), -1);

    // A quantity that cannot be added leaves the grid and its file name.
    TMainData e = PartsData();
    e.EditPartsFileName = "job.prt";
    dialog.StringGridImportData.SetCell(PartCol::Qty, 2, "many");
    CaptureSink sink;
    EXPECT_FALSE(ApplyImport(e, false, dialog));
    EXPECT_EQ(sink.Warnings.size(), 1u);
    EXPECT_EQ(UsedRows(e.StringGridParts), kParts);
    EXPECT_EQ(e.EditPartsFileName, "job.prt");
}

// An import turns the page's Save off, so the list goes through Save As and
// never over the file it was read from; opening or appending a list file of
// that page turns it on again. The other page's Save stays as it was.
TEST(Import, ImportTurnsSaveOffTillAListFileIsOpenedOrAppended) {
    ScratchDir dir;
    AppDirScope app(dir.Path());
    for (const bool sheets : {true, false}) {
        for (const TImportResult mode : {TImportResult::Copy, TImportResult::Append}) {
            SCOPED_TRACE(std::string(sheets ? "sheets " : "parts ") +
                         (mode == TImportResult::Copy ? "copy" : "append"));
            const std::string list = dir.File(sheets ? "job.sht" : "job.prt");
            TMainData d;
            d.RefreshGridTitles();
            d.StringGridSheets.SetRow(1, {"Board", "MDF", "2440", "1220", "3"});
            d.StringGridParts.SetRow(1, {"Door", "MDF", "720", "396", "R", "4", "4"});
            (sheets ? SaveSheetsFile : SavePartsFile)(d, list, true);
            bool& save = sheets ? d.SheetsSaveEnabled : d.PartsSaveEnabled;
            const bool& other = sheets ? d.PartsSaveEnabled : d.SheetsSaveEnabled;
            ASSERT_TRUE(save);
            EXPECT_EQ(SaveCommandFile(d, sheets), list);

            TImportData dialog;
            PrepareImport(dialog, d, sheets);
            for (int k = 0; k < 7; ++k) dialog.ComboIndex[k] = k + 1;  // column k to column k
            dialog.StringGridImportData.SetRow(1, sheets ? std::vector<std::string>{"New", "MDF", "100", "50", "1"}
                                                         : std::vector<std::string>{"New", "MDF", "100", "50", "R", "1", "1"});
            ASSERT_EQ(dialog.Confirm(mode), -1);
            ASSERT_TRUE(ApplyImport(d, sheets, dialog));
            EXPECT_FALSE(save);
            EXPECT_TRUE(other);
            EXPECT_EQ(SaveCommandFile(d, sheets), "");

            // Appending a list file: Save writes to the file the page names,
            // which an Append import kept and a Copy emptied.
            ASSERT_TRUE((sheets ? AppendSheetsFile : AppendPartsFile)(d, list));
            EXPECT_TRUE(save);
            EXPECT_EQ(SaveCommandFile(d, sheets), mode == TImportResult::Append ? list : "");

            ASSERT_EQ(dialog.Confirm(TImportResult::Copy), -1);
            ASSERT_TRUE(ApplyImport(d, sheets, dialog));
            EXPECT_FALSE(save);
            ASSERT_TRUE((sheets ? ReadSheetsFile : ReadPartsFile)(d, list));
            EXPECT_TRUE(save);
            EXPECT_EQ(SaveCommandFile(d, sheets), list);
        }
    }
    {
        // A TAB text file read into a grid (the "-sheet:" and "-part:"
        // switches) is not saved over by Save either.
        TMainData t;
        testsupport::WriteText(dir.File("rows.txt"), "A\tMDF\t100\t50\t1\r\n");
        ASSERT_TRUE(ReadSheetsTXTFile(t, dir.File("rows.txt")));
        ASSERT_TRUE(ReadPartsTXTFile(t, dir.File("rows.txt")));
        EXPECT_FALSE(t.SheetsSaveEnabled);
        EXPECT_FALSE(t.PartsSaveEnabled);
    }
    // Save never writes a list file over a file of another kind.
    TMainData d;
    d.EditSheetsFileName = dir.File("stock.txt");
    d.EditPartsFileName = dir.File("job.sht");
    EXPECT_EQ(SaveCommandFile(d, true), "");
    EXPECT_EQ(SaveCommandFile(d, false), "");
}

// Every line of a text file is a row of the import grid, an empty line and
// a line of TABs only too, wherever it stands; the end of the last line adds
// no row.
TEST(Import, EveryLineOfATextFileIsARow) {
    const struct {
        const char* Text;
        int Rows;  // data rows of the grid
    } cases[] = {
        {"a\tb\n\n\t\t\n", 3},
        {"a\r\n\r\n", 2},
        {"\n\na", 3},
        {"a\n\t\n\n\n", 4},
        {"", 1},  // the grid keeps one empty row
    };
    ScratchDir dir;
    for (const auto& c : cases) {
        testsupport::WriteText(dir.File("in.txt"), c.Text);
        TImportData dialog;
        ASSERT_TRUE(dialog.LoadTextFile(dir.File("in.txt"))) << c.Text;
        EXPECT_EQ(dialog.StringGridImportData.RowCount() - 1, c.Rows) << c.Text;
    }
    std::string lines;
    for (int i = 0; i < 25; ++i) lines += i < 20 ? "p\t1\n" : "\n";
    testsupport::WriteText(dir.File("in.txt"), lines);
    TImportData dialog;
    ASSERT_TRUE(dialog.LoadTextFile(dir.File("in.txt")));
    EXPECT_EQ(dialog.StringGridImportData.RowCount() - 1, 25);
    // A list read into a grid leaves its empty lines at the end out.
    TStringGrid grid(3, 2);
    FillGridFromTabText(grid, lines);
    EXPECT_EQ(grid.RowCount() - 1, 20);
}

TEST(Import, MappingFileKeepsTheChoicesOfEachKind) {
    ScratchDir dir;
    AppDirScope app(dir.Path());
    TMainData d = PartsData();
    {
        TImportData dialog;
        PrepareImport(dialog, d, true);
        EXPECT_EQ(dialog.ComboIndex, (std::array<int, kImportColumns>{}));  // no file: all "Ignore"
        EXPECT_TRUE(ImportSheetsMode);
        dialog.ComboIndex[10] = SheetCol::Comment + 1;
        dialog.StringGridImportData.SetRow(1, {"New", "", "100", "50"});
        ASSERT_EQ(dialog.Confirm(TImportResult::Copy), -1);
        ASSERT_TRUE(ApplyImport(d, true, dialog));
    }
    const platform::TIniFile ini(ImportMappingFileName());
    EXPECT_EQ(ini.ReadInteger("SHEET_FIELDS", "FIELD11", 0), SheetCol::Comment + 1);
    EXPECT_EQ(ini.ReadInteger("SHEET_FIELDS", "FIELD01", -1), 0);
    EXPECT_FALSE(ini.SectionExists("PART_FIELDS"));
    TImportData again;
    PrepareImport(again, d, true);
    EXPECT_EQ(again.ChosenFields()[10], d.StringGridSheets.Cell(SheetCol::Comment, 0));

    // A value past the entries selects "Ignore".
    platform::TIniFile bad(ImportMappingFileName());
    bad.WriteInteger("PART_FIELDS", "FIELD02", 99);
    bad.UpdateFile();
    PrepareImport(again, d, false);
    EXPECT_EQ(again.ComboIndex[1], 0);
}

TEST(Import, RunningOutOfMemoryAtOkLeavesTheGridAsItWas) {
    ScratchDir dir;
    AppDirScope app(dir.Path());
    CaptureSink sink;
    ImportFileName = dir.File("big.txt");
    for (const TImportResult mode : {TImportResult::Copy, TImportResult::Append}) {
        SCOPED_TRACE(mode == TImportResult::Copy ? "copy" : "append");
        std::filesystem::remove(ImportMappingFileName());
        TMainData target = PartsData();
        target.EditPartsFileName = dir.File("job.prt");
        const TMainData before = target;
        TImportData dialog = PartsDialog(target);
        dialog.StringGridImportData.SetRowCount(3);
        dialog.StringGridImportData.SetRow(1, {"Extra", "MDF", "10", "10", "R", "1", "1"});
        dialog.StringGridImportData.SetRow(2, {"Extra", "PLY", "20", "10", "N", "2", "2"});
        ASSERT_EQ(dialog.Confirm(mode), -1);
        sink.Warnings.clear();
        // The grid made for the imported rows finds no memory.
        SetStringGridSizeHook([](int, int) { throw std::bad_alloc(); });
        bool applied = true;
        EXPECT_NO_THROW(applied = ApplyImport(target, false, dialog));
        SetStringGridSizeHook(nullptr);
        EXPECT_FALSE(applied);
        EXPECT_EQ(UsedRows(target.StringGridParts), UsedRows(before.StringGridParts));
        EXPECT_EQ(target.StringGridParts.RowCount(), before.StringGridParts.RowCount());
        EXPECT_EQ(target.EditPartsFileName, before.EditPartsFileName);
        ASSERT_EQ(sink.Warnings.size(), 1u);
        EXPECT_EQ(sink.Warnings[0], ImportOutOfMemoryMessage(dir.File("big.txt")));
        EXPECT_NE(sink.Warnings[0].find("Out of memory"), std::string::npos);
        EXPECT_FALSE(std::filesystem::exists(ImportMappingFileName()));
        // With the memory back, the same dialog imports.
        EXPECT_TRUE(ApplyImport(target, false, dialog));
    }
}

// An .xls workbook imports the rows of the same workbook saved as .xlsx,
// whatever the name says: the reader goes by the file's first bytes.
TEST(Import, XlsAndXlsxOfOneWorkbookImportTheSameRows) {
    TImportData xlsx;
    ASSERT_TRUE(xlsx.LoadExcelFile(Data("libreoffice_parts.xlsx"), 0));
    ASSERT_EQ(xlsx.StringGridImportData.RowCount(), 5);
    for (const char* file : {"../xls/parts.xls", "../xls/xls_named.xlsx", "../xls/xlsx_named.xls"}) {
        SCOPED_TRACE(file);
        TImportData dialog;
        CaptureSink sink;
        ASSERT_TRUE(dialog.LoadExcelFile(Data(file), 0));
        EXPECT_TRUE(sink.Warnings.empty());
        EXPECT_EQ(dialog.SheetNames, xlsx.SheetNames);
        ASSERT_EQ(dialog.StringGridImportData.RowCount(), xlsx.StringGridImportData.RowCount());
        for (int r = 1; r < xlsx.StringGridImportData.RowCount(); ++r)
            EXPECT_EQ(dialog.StringGridImportData.Row(r), xlsx.StringGridImportData.Row(r));
        EXPECT_EQ(ImportFileName, Data(file));
    }
    // The sheet-name box of an .xls workbook: another sheet, and a refused
    // one that keeps the names to choose from.
    TImportData dialog;
    CaptureSink sink;
    ASSERT_TRUE(dialog.LoadExcelFile(Data("../xls/sheets.xls"), 0));
    EXPECT_EQ(dialog.SheetNames, (std::vector<std::string>{"first", "zweite \xC3\xA9"}));
    EXPECT_EQ(dialog.StringGridImportData.RowCount(), 3);  // down to the first blank row
    EXPECT_EQ(dialog.StringGridImportData.Cell(4, 2), "-0.1");
    ASSERT_TRUE(dialog.LoadExcelFile(Data("../xls/sheets.xls"), 1));
    EXPECT_EQ(dialog.StringGridImportData.Cell(0, 3), "6");  // a formula's stored value
    EXPECT_EQ(dialog.SheetIndex, 1);
    ASSERT_TRUE(dialog.LoadExcelFile(Data("../xls/bool_error.xls"), 1));
    EXPECT_FALSE(dialog.LoadExcelFile(Data("../xls/bool_error.xls"), 0));
    EXPECT_FALSE(dialog.HoldsRows());
    EXPECT_EQ(dialog.SheetNames.size(), 2u);
    EXPECT_EQ(dialog.SheetIndex, 0);
    ASSERT_EQ(sink.Warnings.size(), 1u);
    EXPECT_NE(sink.Warnings[0].find("cell E2 holds the error value #DIV/0!"), std::string::npos);
}

// Copy or Append with every column box at "Ignore" (a job folder without a
// mapping file) says there is nothing to import and keeps the list.
TEST(Import, NoColumnChosenImportsNothing) {
    ScratchDir dir;
    AppDirScope app(dir.Path());
    for (const TImportResult mode : {TImportResult::Copy, TImportResult::Append}) {
        SCOPED_TRACE(mode == TImportResult::Copy ? "copy" : "append");
        TMainData target = PartsData();
        target.EditPartsFileName = dir.File("job.prt");
        TImportData dialog;
        PrepareImport(dialog, target, false);
        ASSERT_TRUE(dialog.LoadExcelFile(Data("libreoffice_parts.xlsx"), 0));
        CaptureSink sink;
        EXPECT_EQ(dialog.Confirm(mode), 0);
        ASSERT_EQ(sink.Warnings.size(), 1u);
        EXPECT_NE(sink.Warnings[0].find("There is nothing to import"), std::string::npos);
        EXPECT_EQ(dialog.Result, TImportResult::Cancel);
        EXPECT_FALSE(ApplyImport(target, false, dialog));
        EXPECT_EQ(UsedRows(target.StringGridParts), kParts);
        EXPECT_EQ(target.EditPartsFileName, dir.File("job.prt"));
        EXPECT_TRUE(target.PartsSaveEnabled);
        EXPECT_FALSE(std::filesystem::exists(ImportMappingFileName()));
        // One column chosen is enough.
        dialog.ComboIndex[4] = PartCol::Qty + 1;
        EXPECT_EQ(dialog.Confirm(mode), -1);
    }
}
