#include "platform/xlsx_file.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include <unistd.h>

#include "support/scratch.h"

using platform::ReadXlsxSheet;
using platform::WriteXlsxFile;
using platform::XlsxError;

namespace {

std::string Data(const std::string& Name) { return std::string(TESSALY_TEST_DATA) + "/xlsx/" + Name; }

// The error text of Action, empty when it succeeds.
std::string ErrorOf(auto&& Action) {
    try {
        Action();
    } catch (const XlsxError& e) {
        return e.what();
    }
    return {};
}

}  // namespace

TEST(XlsxReader, InlineStringsNumbersBooleansAndRowsLeftOut) {
    const platform::TXlsxSheet s = ReadXlsxSheet(Data("handmade.xlsx"), 0, 5, 4);
    EXPECT_EQ(s.SheetNames, (std::vector<std::string>{"first", "zweite \xC3\xA9"}));
    ASSERT_EQ(s.Cells.size(), 5u);
    EXPECT_FALSE(s.MoreRows);
    EXPECT_EQ(s.Cells, (std::vector<std::vector<std::string>>{{"Board \xC3\xBC", "", "TRUE", "2.5"},
                                                             {" x ", "1000", "", ""},
                                                             std::vector<std::string>(4),
                                                             {"", "after blank", "", ""},
                                                             std::vector<std::string>(4)}));

    // The second sheet, with a cell past the columns asked for.
    const platform::TXlsxSheet t = ReadXlsxSheet(Data("handmade.xlsx"), 1, 1, 11);
    EXPECT_EQ(t.Cells[0][10], "eleven");
    // Stopping at the rows asked for is told when a value lies below them.
    EXPECT_TRUE(ReadXlsxSheet(Data("handmade.xlsx"), 0, 1, 4).MoreRows);
    EXPECT_FALSE(ReadXlsxSheet(Data("handmade.xlsx"), 0, 4, 4).MoreRows);
    EXPECT_FALSE(ReadXlsxSheet(Data("handmade.xlsx"), 0, 1, 0).MoreRows);
}

TEST(XlsxReader, StoredValuesOfFormulasEscapesAndTextBeyondLatin1) {
    const platform::TXlsxSheet s = ReadXlsxSheet(Data("stored_values.xlsx"), 0, 8, 11);
    EXPECT_EQ(s.Cells[0], (std::vector<std::string>{"2", "2x", "FALSE", "0.3", "Door\rleft",
                                                    "Tom\xE2\x80\x99s \xE2\x82\xAC \xE2\x80\x93 _x0041_",
                                                    "", "", "", "", ""}));
    EXPECT_EQ(s.Cells[1][0], "1.23456789012346E+17");
    EXPECT_EQ(s.Cells[1][1], "1E+20");
    EXPECT_EQ(s.Cells[1][2], "0");

    // A workbook saved by LibreOffice Calc: text formulas, an area column, a
    // totals row, and an error value beyond the eleven columns read.
    const platform::TXlsxSheet lo = ReadXlsxSheet(Data("libreoffice_formulas.xlsx"), 0, 10, 11);
    EXPECT_EQ(lo.SheetNames, (std::vector<std::string>{"Parts"}));
    EXPECT_EQ(lo.Cells[1], (std::vector<std::string>{"Tom\xE2\x80\x99s door", "MDF \xE2\x82\xAC", "600", "400",
                                                     "2", "Tom\xE2\x80\x99s door \xE2\x80\x93 MDF \xE2\x82\xAC",
                                                     "0.24", "TRUE", "", "", "", }));
    EXPECT_EQ(lo.Cells[2][2], "0.3");
    EXPECT_EQ(lo.Cells[2][6], "7.515E-05");
    EXPECT_EQ(lo.Cells[3], (std::vector<std::string>{"Total", "", "", "", "6", "", "0.24007515", "", "", "", ""}));
}

TEST(XlsxReader, RefusesWhatItCannotReadNamingFileAndReason) {
    const struct {
        const char* File;
        const char* Reason;
    } cases[] = {
        {"not_a_zip.xlsx", "it is not an .xlsx workbook; open it in the spreadsheet program and save it as an "
                           "Excel 2007-365 workbook (.xlsx)"},
        {"opendocument.ods", "OpenDocument file (.ods), not an .xlsx workbook; open it"},
        {"old_excel.xls", "old Excel workbook (.xls), not an .xlsx workbook; open it"},
        {"cell_outside_row.xlsx", "cell \"B3\" lies outside a row"},
        {"cell_a0.xlsx", "cell \"A0\" lies outside a row"},
        {"cell_a0_in_row.xlsx", "\"A0\" is past the sheet's limits"},
        {"formula_no_value.xlsx", "cell B2 holds a formula with no stored value"},
        {"error_value.xlsx", "cell C1 holds the error value #DIV/0!"},
        {"expand_shared_copies.xlsx", "the cells read hold more than 64 MB of text"},
        {"expand_empty_strings.xlsx", "more than 1000000 shared strings"},
        {"expand_nesting.xlsx", "nested more than 100 deep"},
        {"expand_long_cell.xlsx", "cell A1 holds more than 32767 characters"},
        {"expand_part_bytes.xlsx", "unpacks to more than 64 MB"},
        {"expand_sheets.xlsx", "more than 1000 sheets"},
        {"missing_sheet.xlsx", "\"xl/worksheets/sheet1.xml\" is missing"},
        {"bad_xml.xlsx", "bad XML"},
        {"past_column_limit.xlsx", "\"XFE1\" is past the sheet's limits"},
        {"past_row_limit.xlsx", "\"1048577\" is past the sheet's limits"},
        {"no_such_file.xlsx", "cannot be opened"},
    };
    for (const auto& c : cases) {
        const std::string error = ErrorOf([&] { ReadXlsxSheet(Data(c.File), 0, 1000, 11); });
        EXPECT_NE(error.find(Data(c.File)), std::string::npos) << c.File << ": " << error;
        EXPECT_NE(error.find(c.Reason), std::string::npos) << c.File << ": " << error;
    }
    EXPECT_THROW(ReadXlsxSheet(Data("handmade.xlsx"), 2, 1, 1), XlsxError);
    EXPECT_NE(ErrorOf([&] { ReadXlsxSheet(Data("handmade.xlsx"), 0, 1000001, 1); }).find("1000000 cells"),
              std::string::npos);
    // An error value or a formula without its value counts only within the
    // rows and columns read.
    EXPECT_EQ(ReadXlsxSheet(Data("formula.xlsx"), 0, 1, 1).Cells[0][0], "2");
    EXPECT_NO_THROW(ReadXlsxSheet(Data("error_value.xlsx"), 0, 1, 2));
    EXPECT_NO_THROW(ReadXlsxSheet(Data("stored_values.xlsx"), 0, 8, 11));
    EXPECT_NE(ErrorOf([&] { ReadXlsxSheet(Data("stored_values.xlsx"), 0, 9, 11); }).find("cell A9 holds the error value #REF!"),
              std::string::npos);
}

TEST(XlsxWriter, CellsReadBackAsWritten) {
    testsupport::ScratchDir dir;
    const std::string file = dir.File("grid.xlsx");
    // Text is stored as UTF-8: valid UTF-8 as it is, other bytes taken as
    // Windows-1252; a CR and a text that looks like an escape come back as they were.
    const std::vector<std::vector<std::string>> rows = {
        {"Label", "Length", "", "Comment"},
        {"T\xFCr \x80 \x96", "1 1/2", "", std::string(5000, 'w')},
        {},
        {"K\xC3\xBC" "che \xD0\x9A\xD1\x83\xD1\x85\xD0\xBD\xD1\x8F", "Door\rleft", "_x0041_ _x005F_", "<b>&\"x\""}};
    const std::vector<std::vector<std::string>> read = {
        {"Label", "Length", "", "Comment"},
        {"T\xC3\xBCr \xE2\x82\xAC \xE2\x80\x93", "1 1/2", "", std::string(5000, 'w')},
        {"", "", "", ""},
        rows[3]};
    WriteXlsxFile(file, "parts \xE4", rows);
    const platform::TXlsxSheet s = ReadXlsxSheet(file, 0, 4, 4);
    EXPECT_EQ(s.SheetNames, (std::vector<std::string>{"parts \xC3\xA4"}));
    EXPECT_EQ(s.Cells, read);
    EXPECT_FALSE(std::filesystem::exists(file + ".tmp~"));
}

TEST(XlsxWriter, FailureNamesTheFileAndLeavesNothing) {
    testsupport::ScratchDir dir;
    const std::string file = dir.File("missing/grid.xlsx");
    EXPECT_NE(ErrorOf([&] { WriteXlsxFile(file, "parts", {{"a"}}); }).find(file), std::string::npos);
    // A cell too long for a spreadsheet: the old file stays as it was.
    const std::string kept = dir.File("kept.xlsx");
    testsupport::WriteText(kept, "old");
    EXPECT_THROW(WriteXlsxFile(kept, "parts", {{std::string(40000, 'x')}}), XlsxError);
    EXPECT_EQ(testsupport::ReadText(kept), "old");
    EXPECT_FALSE(std::filesystem::exists(kept + ".tmp~"));
}

TEST(XlsxWriter, WritesNothingThroughTheTemporaryFolder) {
    // Another user's links in the temporary folder, at every name the writer
    // once used, lead nowhere: the workbook is made in a folder of its own.
    testsupport::ScratchDir tmp, out;
    const std::string victim = out.File("victim.txt");
    testsupport::WriteText(victim, "keep");
    for (int n = 0; n < 8; ++n)
        std::filesystem::create_symlink(victim, tmp.File("tessaly-" + std::to_string(::getpid()) + "-" +
                                                         std::to_string(n) + ".xlsx"));
    const char* old = std::getenv("TMPDIR");
    const std::string saved = old ? old : "";
    ::setenv("TMPDIR", tmp.Path().c_str(), 1);
    WriteXlsxFile(out.File("grid.xlsx"), "parts", {{"a"}});
    WriteXlsxFile(out.File("grid2.xlsx"), "parts", {{"b"}});
    if (old) ::setenv("TMPDIR", saved.c_str(), 1); else ::unsetenv("TMPDIR");
    EXPECT_EQ(testsupport::ReadText(victim), "keep");
    EXPECT_EQ(ReadXlsxSheet(out.File("grid2.xlsx"), 0, 1, 1).Cells[0][0], "b");
    int left = 0;
    for (const auto& e : std::filesystem::directory_iterator(tmp.Path())) left += !e.is_symlink();
    EXPECT_EQ(left, 0);
}

// Which number formats show dates, by their codes or, without one, their numbers.
TEST(SpreadsheetDates, FormatsOfDatesAndTimes) {
    const struct {
        unsigned Id;
        const char* Code;  // null: a built-in format
        bool Date;
    } cases[] = {
        {14, nullptr, true},  {22, nullptr, true},  {45, nullptr, true},  {47, nullptr, true},
        {27, nullptr, true},  {58, nullptr, true},  {0, nullptr, false},  {13, nullptr, false},
        {23, nullptr, false}, {44, nullptr, false}, {49, nullptr, false}, {164, nullptr, false},
        {14, "0.00", false},  {164, "yyyy-mm-dd", true}, {164, "DD/MM/YY", true}, {164, "h:mm AM/PM", true},
        {164, "[h]:mm:ss", true}, {164, "[Red]0.00", false}, {164, "[$-409]0.00", false},
        {164, "[$-409]d-mmm-yy", true}, {164, "0.00\" days\"", false}, {164, "0\\h", false},
        {164, "#,##0_);[Red](#,##0)", false}, {164, "* #,##0.00 \"s\"", false}, {164, "General", false},
        {164, "@", false}, {164, "0.00E+00", false}, {164, "\"unclosed", false}, {164, "[unclosed", false},
        {164, "mm:ss.0", true}, {164, "[ss]", true}, {164, "[hm]", false},
    };
    for (const auto& c : cases) {
        const std::string code = c.Code ? c.Code : "";
        EXPECT_EQ(platform::IsDateFormat(c.Id, c.Code ? &code : nullptr), c.Date) << c.Id << " " << code;
    }
}

// A date cell's number as its date, in either date system; the day that
// does not exist, 1900-02-29, as the spreadsheet shows it.
TEST(SpreadsheetDates, NumbersAsTheirDates) {
    const struct {
        double Serial;
        bool Date1904;
        const char* Text;
    } cases[] = {
        {1, false, "1900-01-01"},         {59, false, "1900-02-28"},
        {60, false, "1900-02-29"},        {61, false, "1900-03-01"},
        {45296, false, "2024-01-05"},     {45296.5, false, "2024-01-05 12:00:00"},
        {73109, false, "2100-02-28"},     {73110, false, "2100-03-01"},
        {73110.25, false, "2100-03-01 06:00:00"}, {2958465, false, "9999-12-31"},
        {2958466, false, "2958466"},      {-1, false, "-1"},
        {0.75, false, "18:00:00"},        {0, false, "00:00:00"},
        {45296.99999999, false, "2024-01-06"}, {45296 + 1.4 / 86400, false, "2024-01-05 00:00:01"},
        {0, true, "1904-01-01"},          {0.5, true, "1904-01-01 12:00:00"},
        {43834, true, "2024-01-05"},      {2957003, true, "9999-12-31"},
        {2957004, true, "2957004"},       {-1401, true, "-1401"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(platform::SpreadsheetDateText(c.Serial, c.Date1904), c.Text) << c.Serial << " " << c.Date1904;
}
