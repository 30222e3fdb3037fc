#include "platform/xls_file.h"

#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-stdio.h>
#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-stdio.h>
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>

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

// The records of a workbook stream, to change and pack again.
struct TRecord {
    unsigned Id;
    std::string Body;
};
using TRecords = std::vector<TRecord>;

unsigned Le16(std::string_view S, std::size_t At) {
    return static_cast<unsigned char>(S[At]) | static_cast<unsigned char>(S[At + 1]) << 8;
}
std::string Pack16(unsigned V) { return {char(V & 0xFF), char(V >> 8)}; }

TRecords WorkbookRecords(const std::string& File) {
    GsfInput* input = gsf_input_stdio_new(File.c_str(), nullptr);
    GsfInfile* ole = input ? gsf_infile_msole_new(input, nullptr) : nullptr;
    GsfInput* stream = ole ? gsf_infile_child_by_name(ole, "Workbook") : nullptr;
    std::string bytes(stream ? static_cast<std::size_t>(gsf_input_size(stream)) : 0, '\0');
    EXPECT_TRUE(stream && gsf_input_read(stream, bytes.size(), reinterpret_cast<guint8*>(bytes.data())));
    for (void* o : {static_cast<void*>(stream), static_cast<void*>(ole), static_cast<void*>(input)})
        if (o) g_object_unref(o);
    TRecords records;
    for (std::size_t at = 0; at + 4 <= bytes.size(); at += 4 + Le16(bytes, at + 2))
        records.push_back({Le16(bytes, at), bytes.substr(at + 4, Le16(bytes, at + 2))});
    return records;
}

void WriteWorkbook(const std::string& File, const TRecords& Records) {
    std::string bytes;
    for (const TRecord& r : Records) bytes += Pack16(r.Id) + Pack16(static_cast<unsigned>(r.Body.size())) + r.Body;
    GsfOutput* sink = gsf_output_stdio_new(File.c_str(), nullptr);
    ASSERT_TRUE(sink);
    GsfOutfile* ole = gsf_outfile_msole_new(sink);
    g_object_unref(sink);
    GsfOutput* child = gsf_outfile_new_child(ole, "Workbook", FALSE);
    EXPECT_TRUE(gsf_output_write(child, bytes.size(), reinterpret_cast<const guint8*>(bytes.data())));
    gsf_output_close(child);
    g_object_unref(child);
    gsf_output_close(GSF_OUTPUT(ole));
    g_object_unref(ole);
}

// The FORMULA record of a cell (0-based), or the end.
TRecords::iterator FormulaOf(TRecords& Records, unsigned Row, unsigned Col) {
    for (auto r = Records.begin(); r != Records.end(); ++r)
        if (r->Id == 0x0006 && Le16(r->Body, 0) == Row && Le16(r->Body, 2) == Col) return r;
    ADD_FAILURE() << "no formula at " << Row << "," << Col;
    return Records.end();
}

// A text stored for a formula: a STRING record and CONTINUE records, each
// part its flags byte (BIFF8) and its bytes.
void StoreText(TRecords& Records, TRecords::iterator Formula, unsigned Count,
               const std::vector<std::string>& Parts) {
    auto next = Formula + 1;
    while (next != Records.end() && (next->Id == 0x0207 || next->Id == 0x003C)) next = Records.erase(next);
    TRecords text;
    for (const std::string& part : Parts) text.push_back({text.empty() ? 0x0207u : 0x003Cu, part});
    text[0].Body = Pack16(Count) + text[0].Body;
    Records.insert(next, text.begin(), text.end());
}

}  // namespace

const std::vector<std::string> kKindsRow2 = {"Tom\xE2\x80\x99s door", "600", "400", "2",
                                             "Tom\xE2\x80\x99s door \xE2\x80\x93 \xE2\x82\xAC",
                                             "TRUE", "", "0.24", "0.3", "", ""};

// A workbook saved as .xls and as .xlsx reads the same cells: the values
// stored with its formulas, numbers as the spreadsheet shows them.
TEST(XlsReader, FormulasReadTheirStoredValuesAsTheSameWorkbookSavedAsXlsx) {
    const struct {
        const char *Xls, *Xlsx;
        int Rows, Columns;
    } pairs[] = {
        {"formula_kinds.xls", "formula_kinds.xlsx", 6, 11},
        {"formula_kinds.xls", "formula_kinds.xlsx", 3, 11},  // rows left out
        {"formulas.xls", "../xlsx/libreoffice_formulas.xlsx", 5, 11},
        {"parts.xls", "../xlsx/libreoffice_parts.xlsx", 6, 11},
    };
    for (const auto& p : pairs) {
        SCOPED_TRACE(p.Xls);
        const platform::TXlsxSheet xls = ReadXlsSheet(Data(p.Xls), 0, p.Rows, p.Columns);
        const platform::TXlsxSheet xlsx = platform::ReadXlsxSheet(Data(p.Xlsx), 0, p.Rows, p.Columns);
        EXPECT_EQ(xls.SheetNames, xlsx.SheetNames);
        EXPECT_EQ(xls.Cells, xlsx.Cells);
        EXPECT_EQ(xls.MoreRows, xlsx.MoreRows);
    }
    const platform::TXlsxSheet kinds = ReadXlsSheet(Data("formula_kinds.xls"), 0, 6, 11);
    EXPECT_EQ(kinds.Cells[1], kKindsRow2);
    EXPECT_EQ(kinds.Cells[2], (std::vector<std::string>{"Shelf", "0.1", "250.5", "8", "Shelf x", "FALSE", "",
                                                        "2.505E-05", "-0.333333333333333", "", ""}));
    std::string longText;  // in a STRING record and three CONTINUE records
    for (int k = 0; k < 5000; ++k) longText += "ab";
    for (int k = 0; k < 3000; ++k) longText += "\xC3\xBC\xE2\x82\xAC";
    EXPECT_EQ(kinds.Cells[3][4], longText);
    EXPECT_EQ(kinds.Cells[4], (std::vector<std::string>{"Total", "", "", "16", "", "", "", "200000000000000", "", "", ""}));
    EXPECT_TRUE(ReadXlsSheet(Data("formula_kinds.xls"), 0, 3, 11).MoreRows);
    // The error value of column L refuses both.
    for (const std::string& error : {ErrorOf([] { ReadXlsSheet(Data("formula_kinds.xls"), 0, 6, 12); }),
                                     ErrorOf([] { platform::ReadXlsxSheet(Data("formula_kinds.xlsx"), 0, 6, 12); })})
        EXPECT_NE(error.find("cell L2 holds the error value #DIV/0! instead of a value"), std::string::npos) << error;
}

// The records of formula_kinds.xls changed: what a damaged or unusual
// stored value reads as, or why the file is refused naming the cell.
TEST(XlsReader, DamagedStoredValuesOfFormulasRefuseNamingTheCell) {
    testsupport::ScratchDir dir;
    const TRecords original = WorkbookRecords(Data("formula_kinds.xls"));
    const std::string runsPast = "is damaged (the text its formula stored runs past its records)";
    using TChange = std::function<void(TRecords&)>;
    const struct {
        const char* Name;
        TChange Change;
        const char* Cell;   // and its text, or the reason after "cell " + Cell
        std::string Text, Reason;
    } cases[] = {
        {"text count past its record", [](TRecords& r) { (FormulaOf(r, 1, 4) + 1)->Body[0] += 100; }, "E2", "",
         runsPast},
        {"text record shorter than its head",
         [](TRecords& r) { (FormulaOf(r, 1, 4) + 1)->Body.resize(2); }, "E2", "", runsPast},
        {"no text record", [](TRecords& r) { r.erase(FormulaOf(r, 1, 4) + 1); }, "E2", "",
         "is damaged (the text its formula stored is missing)"},
        {"last CONTINUE missing", [](TRecords& r) { r.erase(FormulaOf(r, 3, 4) + 4); }, "E4", "", runsPast},
        {"empty CONTINUE", [](TRecords& r) { (FormulaOf(r, 3, 4) + 2)->Body.clear(); }, "E4", "", runsPast},
        {"text longer than a cell",
         [](TRecords& r) { StoreText(r, FormulaOf(r, 3, 4), 40000, std::vector<std::string>(5, '\0' + std::string(8000, 'a'))); },
         "E4", "", "holds more than 32767 characters, the most a cell may hold"},
        {"unknown kind of value", [](TRecords& r) { FormulaOf(r, 1, 5)->Body[6] = 4; }, "F2", "",
         "holds a formula whose stored value cannot be read from an .xls workbook; open it"},
        {"stored infinity",
         [](TRecords& r) { FormulaOf(r, 1, 3)->Body.replace(6, 8, std::string("\0\0\0\0\0\0\xF0\x7F", 8)); }, "D2",
         "", "holds no number"},
        {"error value", [](TRecords& r) {
             auto f = FormulaOf(r, 1, 5);
             f->Body[6] = 2;
             f->Body[8] = 0x2A;
         }, "F2", "",
         "holds the error value #N/A instead of a value"},
        {"array record before the text",
         [](TRecords& r) { r.insert(FormulaOf(r, 1, 4) + 1, {0x0221, std::string(14, '\0')}); }, "E2",
         kKindsRow2[4], ""},
        {"widths changing between records, a pair of halves, a lone half",
         [](TRecords& r) {
             StoreText(r, FormulaOf(r, 3, 4), 8,
                       {std::string("\0ab", 3), std::string("\1\xFC\0\xAC\x20\x34\xD8\x1E\xDD\x34\xD8", 11),
                        std::string("\0c", 2)});
         },
         "E4", "ab\xC3\xBC\xE2\x82\xAC\xF0\x9D\x84\x9E\xEF\xBF\xBD" "c", ""},
        {"older sheet: 8-bit text of the workbook's code page",
         [](TRecords& r) {
             std::find_if(r.begin() + 1, r.end(), [](const TRecord& x) { return x.Id == 0x0809; })->Body[1] = 5;
             std::find_if(r.begin(), r.end(), [](const TRecord& x) { return x.Id == 0x0042; })->Body = Pack16(1252);
             StoreText(r, FormulaOf(r, 1, 4), 14, {"Tom\x92s door \x96 \x80"});
         },
         "E2", kKindsRow2[4], ""},
        {"older sheet: code page unknown",
         [](TRecords& r) {
             std::find_if(r.begin() + 1, r.end(), [](const TRecord& x) { return x.Id == 0x0809; })->Body[1] = 5;
         },
         "E2", "", "holds a text in code page 1200 that cannot be read"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TRecords records = original;
        c.Change(records);
        const std::string file = dir.File("changed.xls");
        WriteWorkbook(file, records);
        std::string error;
        try {
            const platform::TXlsxSheet s = ReadXlsSheet(file, 0, 1000, 11);
            const unsigned col = static_cast<unsigned>(c.Cell[0] - 'A'), row = static_cast<unsigned>(c.Cell[1] - '1');
            EXPECT_EQ(s.Cells[row][col], c.Text);
        } catch (const XlsxError& e) {
            error = e.what();
        }
        if (!c.Reason.empty())
            EXPECT_NE(error.find(std::string("cell ") + c.Cell + " " + c.Reason), std::string::npos) << error;
        else
            EXPECT_EQ(error, "");
    }
}

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
    EXPECT_EQ(ReadXlsSheet(Data("sheets.xls"), 1, 3, 11).Cells[2][0], "6");

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
        {Data("formulas.xls"), 0, 1000, 13, "cell M2 holds the error value #DIV/0! instead of a value"},
        {Data("sheets.xls"), 1, 1, 12, "cell L1 holds the error value #DIV/0! instead of a value"},
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
