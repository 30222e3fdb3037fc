#include "platform/xls_file.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <filesystem>
#include <fstream>

#include "support/scratch.h"

using platform::ReadXlsSheet;
using platform::XlsxError;

namespace {

std::string Data(const std::string& Name) { return std::string(TESSALY_TEST_DATA) + "/xls/" + Name; }

std::string ErrorOf(auto&& Action) {
    try {
        Action();
    } catch (const XlsxError& e) {
        return e.what();
    }
    return {};
}

// The workbook of 1001 sheets, unpacked into Dir.
std::string ManySheets(const testsupport::ScratchDir& Dir) {
    const std::string file = Dir.File("many_sheets.xls");
    gzFile in = gzopen(Data("many_sheets.xls.gz").c_str(), "rb");
    EXPECT_TRUE(in);
    std::ofstream out(file, std::ios::binary);
    char buffer[1 << 14];
    for (int n; in && (n = gzread(in, buffer, sizeof buffer)) > 0;) out.write(buffer, n);
    if (in) gzclose(in);
    return file;
}

}  // namespace

TEST(XlsReader, NumbersTextsBooleansAndRowsLeftOut) {
    const platform::TXlsxSheet s = ReadXlsSheet(Data("sheets.xls"), 0, 5, 5);
    EXPECT_EQ(s.SheetNames, (std::vector<std::string>{"first", "zweite \xC3\xA9"}));
    EXPECT_FALSE(s.MoreRows);
    // Calc stores its booleans as the numbers 1 and 0.
    EXPECT_EQ(s.Cells, (std::vector<std::vector<std::string>>{
                           {"Board \xC3\xBC", "", "1", "2.5", "0"},
                           {" x ", "1000", "1E+20", "1.23456789012346E+17", "-0.1"},
                           std::vector<std::string>(5),
                           {"", "after blank", "\xD0\x9A\xD1\x83\xD1\x85\xD0\xBD\xD1\x8F \xE2\x82\xAC", "", ""},
                           std::vector<std::string>(5)}));
    EXPECT_TRUE(ReadXlsSheet(Data("sheets.xls"), 0, 3, 5).MoreRows);
    EXPECT_FALSE(ReadXlsSheet(Data("sheets.xls"), 0, 3, 1).MoreRows);

    // The second sheet: a formula beyond the columns and below the rows read
    // is no refusal; the one below tells that rows were left out.
    const platform::TXlsxSheet t = ReadXlsSheet(Data("sheets.xls"), 1, 2, 11);
    EXPECT_EQ(t.Cells[0][10], "eleven");
    EXPECT_EQ(t.Cells[1][0], "two");
    EXPECT_TRUE(t.MoreRows);

    // Records of the other spreadsheet program: a boolean reads as a word.
    EXPECT_EQ(ReadXlsSheet(Data("bool_error.xls"), 0, 2, 4).Cells[1],
              (std::vector<std::string>{" x ", "TRUE", "1E+20", "1.23456789012346E+17"}));
}

TEST(XlsReader, RefusesWhatItCannotReadNamingFileAndReason) {
    testsupport::ScratchDir dir;
    // Larger than a workbook may be (a sparse file, no disk used).
    const std::string large = dir.File("large.xls");
    {
        std::ofstream out(large, std::ios::binary);
        out.write("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    }
    std::filesystem::resize_file(large, platform::kXlsMaxFileBytes + 1);
    const std::string many = ManySheets(dir);

    const struct {
        std::string File;
        int Sheet, Rows, Columns;
        const char* Reason;
    } cases[] = {
        {Data("formulas.xls"), 0, 1000, 11, "cell F2 holds a formula whose stored value cannot be read"},
        {Data("sheets.xls"), 1, 3, 11, "cell A3 holds a formula whose stored value cannot be read"},
        {Data("sheets.xls"), 1, 1, 12, "cell L1 holds a formula"},
        {Data("sheets.xls"), 2, 1, 1, "it has no sheet number 3"},
        {Data("bool_error.xls"), 0, 2, 5, "cell E2 holds the error value #DIV/0! instead of a value"},
        {Data("big_sheet.xls"), 0, 1, 1, "its sheets span more than 1000000 cells"},
        {many, 0, 1, 1, "it has more than 1000 sheets"},
        {large, 0, 1, 1, "it is larger than 64 MB"},
        {Data("format_past_record.xls"), 0, 1000, 11, "its workbook stream is damaged (a record is too short)"},
        {Data("outside_size.xls"), 0, 1000, 11, "cell A3 lies outside the size its sheet states"},
        {Data("truncated.xls"), 0, 1000, 11, "it is not an .xls workbook or it is damaged"},
        {Data("flipped.xls"), 0, 1000, 11, "it is not an .xls workbook or it is damaged"},
        {Data("not_ole.xls"), 0, 1000, 11, "it is not an .xls workbook"},
        {Data("xlsx_named.xls"), 0, 1000, 11, "it is not an .xls workbook"},
        {Data("no_such_file.xls"), 0, 1000, 11, "the file cannot be opened"},
        {dir.Path(), 0, 1000, 11, "the file cannot be opened"},
    };
    for (const auto& c : cases) {
        const std::string error = ErrorOf([&] { ReadXlsSheet(c.File, c.Sheet, c.Rows, c.Columns); });
        EXPECT_NE(error.find("\"" + c.File + "\""), std::string::npos) << c.File << ": " << error;
        EXPECT_NE(error.find(c.Reason), std::string::npos) << c.File << ": " << error;
    }
    EXPECT_NE(ErrorOf([&] { ReadXlsSheet(Data("sheets.xls"), 0, 1000001, 1); }).find("1000000 cells"),
              std::string::npos);
    EXPECT_TRUE(platform::IsXlsFile(Data("xls_named.xlsx")));
    EXPECT_FALSE(platform::IsXlsFile(Data("xlsx_named.xls")));
    EXPECT_FALSE(platform::IsXlsFile(Data("no_such_file.xls")));
}
