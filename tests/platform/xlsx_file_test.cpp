#include "platform/xlsx_file.h"

#include <gtest/gtest.h>

#include <filesystem>

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
    EXPECT_EQ(s.SheetNames, (std::vector<std::string>{"first", "zweite \xE9"}));
    ASSERT_EQ(s.Cells.size(), 5u);
    EXPECT_EQ(s.Cells, (std::vector<std::vector<std::string>>{{"Board \xFC", "", "TRUE", "2.5"},
                                                             {" x ", "1000", "", ""},
                                                             std::vector<std::string>(4),
                                                             {"", "after blank", "", ""},
                                                             std::vector<std::string>(4)}));

    // The second sheet, with a cell past the columns asked for.
    const platform::TXlsxSheet t = ReadXlsxSheet(Data("handmade.xlsx"), 1, 1, 11);
    EXPECT_EQ(t.Cells[0][10], "eleven");
}

TEST(XlsxReader, RefusesWhatItCannotReadNamingFileAndReason) {
    const struct {
        const char* File;
        const char* Reason;
    } cases[] = {
        {"not_a_zip.xlsx", "not a zip archive"},
        {"missing_sheet.xlsx", "\"xl/worksheets/sheet1.xml\" is missing"},
        {"bad_xml.xlsx", "bad XML"},
        {"past_column_limit.xlsx", "\"XFE1\" is past the sheet's limits"},
        {"past_row_limit.xlsx", "\"1048577\" is past the sheet's limits"},
        {"formula.xlsx", "cell A1 holds a formula"},
        {"no_such_file.xlsx", "cannot be opened"},
    };
    for (const auto& c : cases) {
        const std::string error = ErrorOf([&] { ReadXlsxSheet(Data(c.File), 0, 10, 11); });
        EXPECT_NE(error.find(Data(c.File)), std::string::npos) << c.File << ": " << error;
        EXPECT_NE(error.find(c.Reason), std::string::npos) << c.File << ": " << error;
    }
    EXPECT_THROW(ReadXlsxSheet(Data("handmade.xlsx"), 2, 1, 1), XlsxError);
}

TEST(XlsxWriter, CellsReadBackAsWritten) {
    testsupport::ScratchDir dir;
    const std::string file = dir.File("grid.xlsx");
    const std::vector<std::vector<std::string>> rows = {
        {"Label", "Length", "", "Comment"},
        {"Tür \xC4\xD6\xDC\xDF", "1 1/2", "", std::string(5000, 'w')},
        {},
        {"", "", "", "<b>&\"x\""}};
    WriteXlsxFile(file, "parts", rows);
    const platform::TXlsxSheet s = ReadXlsxSheet(file, 0, 4, 4);
    EXPECT_EQ(s.SheetNames, (std::vector<std::string>{"parts"}));
    for (std::size_t r = 0; r < rows.size(); ++r)
        for (std::size_t c = 0; c < 4; ++c)
            EXPECT_EQ(s.Cells[r][c], c < rows[r].size() ? rows[r][c] : "") << r << "," << c;
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
