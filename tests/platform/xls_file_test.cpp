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
#include <tuple>

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

std::string Pack32(std::uint32_t V) { return Pack16(V & 0xFFFF) + Pack16(V >> 16); }

std::string StreamOf(const TRecords& Records) {
    std::string bytes;
    for (const TRecord& r : Records) bytes += Pack16(r.Id) + Pack16(static_cast<unsigned>(r.Body.size())) + r.Body;
    return bytes;
}

// A compound file of the streams (name, bytes).
void WriteCompoundFile(const std::string& File, const std::vector<std::pair<std::string, std::string>>& Streams) {
    GsfOutput* sink = gsf_output_stdio_new(File.c_str(), nullptr);
    ASSERT_TRUE(sink);
    GsfOutfile* ole = gsf_outfile_msole_new(sink);
    g_object_unref(sink);
    for (const auto& [name, bytes] : Streams) {
        GsfOutput* child = gsf_outfile_new_child(ole, name.c_str(), FALSE);
        EXPECT_TRUE(gsf_output_write(child, bytes.size(), reinterpret_cast<const guint8*>(bytes.data())));
        gsf_output_close(child);
        g_object_unref(child);
    }
    gsf_output_close(GSF_OUTPUT(ole));
    g_object_unref(ole);
}

void WriteWorkbook(const std::string& File, const TRecords& Records) {
    WriteCompoundFile(File, {{"Workbook", StreamOf(Records)}});
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
        // Sheets that state 65536 x 256 cells and 2 x 6 cells: the records read.
        {"big_sheet.xls", "../xlsx/libreoffice_parts.xlsx", 6, 11},
        {"outside_size.xls", "../xlsx/libreoffice_parts.xlsx", 6, 11},
        // Saved by LibreOffice and gnumeric: dates, an empty text, a text of
        // 20,000 characters; the 1904 date system; a list of 5,000 rows.
        {"lo_writers.xls", "lo_writers.xlsx", 9, 11},
        {"gnumeric_97.xls", "lo_writers.xlsx", 9, 11},
        {"lo_1904.xls", "lo_1904.xlsx", 9, 11},
        {"gnumeric_list.xls", "gnumeric_list.xlsx", 1000, 11},
        {"gnumeric_list.xls", "gnumeric_list.xlsx", 5001, 11},
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
        {"older workbook: 8-bit text of the workbook's code page",
         [](TRecords& r) {
             r[0].Body[1] = 5;
             std::find_if(r.begin(), r.end(), [](const TRecord& x) { return x.Id == 0x0042; })->Body = Pack16(1252);
             StoreText(r, FormulaOf(r, 1, 4), 14, {"Tom\x92s door \x96 \x80"});
         },
         "E2", kKindsRow2[4], ""},
        {"older workbook: code page unknown",
         [](TRecords& r) {
             r[0].Body[1] = 5;
             std::find_if(r.begin(), r.end(), [](const TRecord& x) { return x.Id == 0x0042; })->Body = Pack16(9999);
             StoreText(r, FormulaOf(r, 1, 4), 5, {"Tom\x92s"});
         },
         "E2", "", "holds a text in code page 9999 that cannot be read"},
        {"a sheet's header alone says older: the workbook's first header holds",
         [](TRecords& r) {
             std::find_if(r.begin() + 1, r.end(), [](const TRecord& x) { return x.Id == 0x0809; })->Body[1] = 5;
         },
         "E2", kKindsRow2[4], ""},
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
        {many, 0, 1, 1, "it has more than 1000 sheets"},
        {large, 0, 1, 1, "it is larger than 64 MB"},
        {Data("format_past_record.xls"), 0, 1000, 11, "its workbook stream is damaged (a record is too short)"},
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

// The dates of the workbooks LibreOffice and gnumeric saved: as dates,
// after 2100 too, with their times; a date formula's value as a date.
TEST(XlsReader, DatesReadAsTheirDatesInEveryWriterAndDateSystem) {
    const std::vector<std::string> due = {"Due",        "2024-01-05",          "2024-01-05 13:45:30",
                                          "2100-02-28", "2100-03-01",          "2100-03-01 06:00:00",
                                          "1900-03-01", ""};
    const std::vector<std::string> formulas = {"2100-03-02", "12:00:00", "2024-01-05 18:00:00"};
    for (const char* file : {"lo_writers.xls", "lo_writers.xlsx", "lo_1904.xls", "lo_1904.xlsx", "gnumeric_97.xls",
                             "gnumeric_95.xls"}) {
        SCOPED_TRACE(file);
        const platform::TXlsxSheet s = std::string_view(file).ends_with(".xlsx")
                                           ? platform::ReadXlsxSheet(Data(file), 0, 8, 6)
                                           : ReadXlsSheet(Data(file), 0, 8, 6);
        // In the 1904 date system a date before 1904 is a negative number,
        // and a time alone has the date of day 0.
        const bool mac = std::string_view(file).starts_with("lo_1904");
        for (std::size_t r = 0; r < due.size(); ++r)
            EXPECT_EQ(s.Cells[r][4], mac && r == 6 ? "-1401" : due[r]) << r;
        for (std::size_t r = 0; r < formulas.size(); ++r)
            EXPECT_EQ(s.Cells[r + 4][5], mac && r == 1 ? "1904-01-01 12:00:00" : formulas[r]) << r;
        // A number in no date format stays a number; an empty text is empty.
        EXPECT_EQ(s.Cells[7][1], "45296");
        EXPECT_EQ(s.Cells[1][5], "");
        // The text of 20,000 characters: gnumeric's Excel 95 workbook holds
        // it in a text cell and ten CONTINUE records.
        EXPECT_EQ(platform::Utf8Chars(s.Cells[3][5]), 20000u);
        EXPECT_TRUE(s.Cells[3][5].starts_with("Part 00000 Part 00001 "));
    }
}

namespace {

// The cells another reader (xlrd) reads of a workbook: check_xlrd.py wrote
// them beside it.
struct TXlrdSheet {
    std::string Name;
    std::vector<std::tuple<unsigned, unsigned, std::string>> Cells;  // row, column, text
};

std::vector<TXlrdSheet> XlrdCells(const std::string& File) {
    std::ifstream in(File, std::ios::binary);
    std::vector<TXlrdSheet> sheets;
    auto unescape = [](std::string_view S) {
        std::string out;
        for (std::size_t k = 0; k < S.size(); ++k) {
            if (S[k] != '\\' || k + 1 == S.size()) {
                out += S[k];
                continue;
            }
            const char c = S[++k];
            out += c == 't' ? '\t' : c == 'n' ? '\n' : c == 'r' ? '\r' : c;
        }
        return out;
    };
    for (std::string line; std::getline(in, line);) {
        const std::size_t tab = line.find('\t');
        if (tab == std::string::npos) continue;
        const std::string key = line.substr(0, tab), value = unescape(std::string_view(line).substr(tab + 1));
        if (key == "sheet") {
            sheets.push_back({value, {}});
            continue;
        }
        unsigned col = 0, k = 0;
        for (; k < key.size() && key[k] >= 'A' && key[k] <= 'Z'; ++k) col = col * 26 + unsigned(key[k] - 'A' + 1);
        EXPECT_FALSE(sheets.empty()) << line;
        if (!sheets.empty()) sheets.back().Cells.emplace_back(std::stoul(key.substr(k)) - 1, col - 1, value);
    }
    return sheets;
}

}  // namespace

// Every workbook of the tests that xlrd reads is read cell for cell as xlrd
// reads it; an error value refuses it naming the first such cell. Where xlrd
// falls short: it reads a text cell (not a shared string) only as far as its
// first record goes.
TEST(XlsReader, ReadsTheCellsXlrdReads) {
    const struct {
        const char* File;
        unsigned Row, Col;
    } xlrdShort[] = {{"gnumeric_95.xls", 3, 5}};
    int books = 0;
    for (const auto& entry : std::filesystem::directory_iterator(Data(""))) {
        const std::string dump = entry.path().string();
        if (!dump.ends_with(".xlrd")) continue;
        const std::string file = dump.substr(0, dump.size() - 5);
        SCOPED_TRACE(file);
        ++books;
        const bool xlsx = file.ends_with(".xlsx");
        const std::vector<TXlrdSheet> sheets = XlrdCells(dump);
        for (std::size_t index = 0; index < sheets.size(); ++index) {
            const TXlrdSheet& expected = sheets[index];
            unsigned rows = 1, cols = 1;
            const std::tuple<unsigned, unsigned, std::string>* error = nullptr;
            for (const auto& cell : expected.Cells) {
                rows = std::max(rows, std::get<0>(cell) + 1);
                cols = std::max(cols, std::get<1>(cell) + 1);
                if (std::get<2>(cell) == "!error" && (!error || cell < *error)) error = &cell;
            }
            auto read = [&] {
                return xlsx ? platform::ReadXlsxSheet(file, int(index), int(rows), int(cols))
                            : ReadXlsSheet(file, int(index), int(rows), int(cols));
            };
            if (error) {
                const std::string name = std::string(1, char('A' + std::get<1>(*error))) +
                                         std::to_string(std::get<0>(*error) + 1);
                EXPECT_NE(ErrorOf(read).find("cell " + name + " holds the error value"), std::string::npos);
                continue;
            }
            const platform::TXlsxSheet s = read();
            EXPECT_EQ(s.SheetNames.at(index), expected.Name);
            EXPECT_EQ(s.SheetNames.size(), sheets.size());
            std::vector<std::vector<std::string>> cells(rows, std::vector<std::string>(cols));
            for (const auto& [r, c, text] : expected.Cells) cells[r][c] = text;
            for (const auto& k : xlrdShort)
                if (file == Data(k.File) && index == 0 && s.Cells[k.Row][k.Col].starts_with(cells[k.Row][k.Col]) &&
                    s.Cells[k.Row][k.Col].size() > cells[k.Row][k.Col].size())
                    cells[k.Row][k.Col] = s.Cells[k.Row][k.Col];
            for (unsigned r = 0; r < rows; ++r) EXPECT_EQ(s.Cells[r], cells[r]) << "row " << r + 1;
            EXPECT_FALSE(s.MoreRows);
        }
    }
    EXPECT_GE(books, 18);
}

namespace {

// A workbook stream made record by record: the workbook's own records, then
// each sheet's.
struct TBook {
    unsigned Version = 0x0600, SheetVersion = 0x0600;
    TRecords Globals;  // after its header and before the list of sheets
    struct TSheet {
        std::string Name;
        unsigned Kind = 0;  // 0 a worksheet, 2 a chart
        TRecords Records;
    };
    std::vector<TSheet> Sheets = {{"Data", 0, {}}};

    std::string Stream() const {
        auto bof = [](unsigned Version, unsigned Kind) {
            return TRecord{0x0809, Pack16(Version) + Pack16(Kind) + std::string(Version == 0x0600 ? 12 : 4, '\0')};
        };
        auto sheetRecord = [&](const TSheet& Sheet, std::uint32_t Offset) {
            return TRecord{0x0085, Pack32(Offset) + '\0' + char(Sheet.Kind) + char(Sheet.Name.size()) +
                                       (Version == 0x0600 ? std::string(1, '\0') : "") + Sheet.Name};
        };
        TRecords globals = {bof(Version, 5)};
        globals.insert(globals.end(), Globals.begin(), Globals.end());
        for (const TSheet& sheet : Sheets) globals.push_back(sheetRecord(sheet, 0));
        globals.push_back({0x000A, ""});
        std::uint32_t at = static_cast<std::uint32_t>(StreamOf(globals).size());
        std::string sheets;
        for (std::size_t k = 0; k < Sheets.size(); ++k) {
            globals[1 + Globals.size() + k] = sheetRecord(Sheets[k], at + static_cast<std::uint32_t>(sheets.size()));
            TRecords records = {bof(SheetVersion, Sheets[k].Kind == 2 ? 0x20 : 0x10)};
            records.insert(records.end(), Sheets[k].Records.begin(), Sheets[k].Records.end());
            records.push_back({0x000A, ""});
            sheets += StreamOf(records);
        }
        return StreamOf(globals) + sheets;
    }
};

std::string Cell(unsigned Row, unsigned Col, unsigned Xf) { return Pack16(Row) + Pack16(Col) + Pack16(Xf); }
std::string Float(double V) {
    std::string bytes(8, '\0');
    std::memcpy(bytes.data(), &V, 8);
    return bytes;
}
TRecord Number(unsigned Row, unsigned Col, double V, unsigned Xf = 0) {
    return {0x0203, Cell(Row, Col, Xf) + Float(V)};
}
// A BIFF8 text cell of Count characters of one byte, Text its bytes.
TRecord Label(unsigned Row, unsigned Col, unsigned Count, const std::string& Text) {
    return {0x0204, Cell(Row, Col, 0) + Pack16(Count) + '\0' + Text};
}
TRecord LabelSst(unsigned Row, unsigned Col, std::uint32_t Index) { return {0x00FD, Cell(Row, Col, 0) + Pack32(Index)}; }
// A formula whose value is not a number: its kind (0 a text in the STRING
// record after it, 3 an empty text).
TRecord TextFormula(unsigned Row, unsigned Col, char Kind) {
    return {0x0006, Cell(Row, Col, 0) + Kind + std::string(5, '\0') + "\xFF\xFF" + std::string(6, '\0')};
}
TRecord Format(unsigned Index, const std::string& Code) {
    return {0x041E, Pack16(Index) + Pack16(static_cast<unsigned>(Code.size())) + '\0' + Code};
}
TRecord Xf(unsigned FormatIndex) { return {0x00E0, Pack16(0) + Pack16(FormatIndex) + std::string(16, '\0')}; }

// Sheet records holding Count cells: one number, the rest formatted empty cells.
TRecords CellsHeld(std::uint32_t Count) {
    TRecords records = {Number(0, 0, 7)};
    for (std::uint32_t left = Count - 1, row = 1; left > 0; ++row) {
        const unsigned n = std::min<std::uint32_t>(left, 250);
        std::string body = Pack16(row) + Pack16(0);
        for (unsigned k = 0; k < n; ++k) body += Pack16(0);
        records.push_back({0x00BE, body + Pack16(n - 1)});
        left -= n;
    }
    return records;
}

}  // namespace

// Workbooks made record by record: what each reads as, or why it is refused.
TEST(XlsReader, RecordsReadAsWrittenOrRefuseNamingTheReason) {
    testsupport::ScratchDir dir;
    using TChange = std::function<void(TBook&)>;
    const std::string tuer = "T\xC3\xBCr \xE2\x82\xAC";  // "Tür €" in UTF-8
    const struct {
        const char* Name;
        TChange Change;
        int Sheet, Rows;
        std::vector<std::string> Row1;  // the first row's cells (three), when read
        std::string Reason;             // else why the workbook is refused
        bool MoreRows = false;
    } cases[] = {
        {"a text filling its record", [](TBook& b) { b.Sheets[0].Records = {Label(0, 1, 4, "abcd")}; }, 0, 1,
         {"", "abcd", ""}, ""},
        {"a text one byte past its record", [](TBook& b) { b.Sheets[0].Records = {Label(0, 1, 5, "abcd")}; }, 0, 1,
         {}, "cell B1 is damaged (its text runs past its record)"},
        {"an empty text", [](TBook& b) { b.Sheets[0].Records = {Label(0, 0, 0, ""), Number(0, 1, 2)}; }, 0, 1,
         {"", "2", ""}, ""},
        {"shared strings continued with a change of width, both ways",
         [](TBook& b) {
             // "ab" + "€x" (16-bit) and "€" (16-bit) + "ab" (8-bit), the
             // second string's head in the first CONTINUE record.
             b.Globals = {{0x00FC, Pack32(2) + Pack32(2) + Pack16(4) + '\0' + "ab"},
                          {0x003C, std::string("\x01\xAC\x20x\0", 5) + Pack16(3) + '\x01' + "\xAC\x20"},
                          {0x003C, std::string("\0ab", 3)}};
             b.Sheets[0].Records = {LabelSst(0, 0, 0), LabelSst(0, 2, 1)};
         },
         0, 1, {"ab\xE2\x82\xACx", "", "\xE2\x82\xAC" "ab"}, ""},
        {"a shared string that is missing",
         [](TBook& b) {
             b.Globals = {{0x00FC, Pack32(1) + Pack32(1) + Pack16(1) + '\0' + "a"}};
             b.Sheets[0].Records = {LabelSst(0, 0, 1)};
         },
         0, 1, {}, "cell A1 names a missing shared string"},
        {"a shared string running past the table",
         [](TBook& b) { b.Globals = {{0x00FC, Pack32(1) + Pack32(1) + Pack16(3) + '\0' + "ab"}}; }, 0, 1, {},
         "its shared strings run past their records"},
        {"cells held: exactly the limit", [](TBook& b) { b.Sheets[0].Records = CellsHeld(1000000); }, 0, 1,
         {"7", "", ""}, ""},
        {"cells held: one more than the limit",
         [](TBook& b) {
             b.Sheets = {{"Data", 0, CellsHeld(999999)}, {"Other", 0, {Number(3, 3, 1), Number(4, 4, 1)}}};
         },
         0, 1, {}, "its sheets hold more than 1000000 cells, the most a workbook may hold"},
        {"formulas below the rows read: an empty text and a text of none",
         [](TBook& b) {
             b.Sheets[0].Records = {Number(0, 0, 1), TextFormula(1, 0, 3), TextFormula(2, 1, 0),
                                    {0x0207, Pack16(0) + '\0'}};
         },
         0, 1, {"1", "", ""}, ""},
        {"a formula below the rows read: a text",
         [](TBook& b) {
             b.Sheets[0].Records = {Number(0, 0, 1), TextFormula(2, 1, 0), {0x0207, Pack16(1) + '\0' + "x"}};
         },
         0, 1, {"1", "", ""}, "", true},
        {"a password to open",
         [](TBook& b) { b.Globals = {{0x002F, Pack16(1) + std::string(52, '\x5A')}}; }, 0, 1, {},
         "it is protected by a password: save it without one"},
        {"a chart sheet before the worksheet: the worksheet",
         [](TBook& b) { b.Sheets = {{"Chart 1", 2, {}}, {"Data", 0, {Number(0, 2, 5)}}}; }, 1, 1, {"", "", "5"},
         ""},
        {"a chart sheet before the worksheet: the chart",
         [](TBook& b) { b.Sheets = {{"Chart 1", 2, {}}, {"Data", 0, {Number(0, 2, 5)}}}; }, 0, 1, {},
         "sheet \"Chart 1\" is not a worksheet"},
        {"Excel 95 whose sheet header says Excel 97",
         [](TBook& b) {
             b.Version = 0x0500;
             b.Globals = {{0x0042, Pack16(1252)}};
             b.Sheets[0].Records = {{0x0204, Cell(0, 0, 0) + Pack16(5) + "T\xFCr \x80"}, Number(0, 1, 1.5)};
         },
         0, 1, {tuer, "1.5", ""}, ""},
        {"Excel 95 in another code page",
         [](TBook& b) {
             b.Version = b.SheetVersion = 0x0500;
             b.Globals = {{0x0042, Pack16(1251)}};
             b.Sheets[0].Records = {{0x0204, Cell(0, 0, 0) + Pack16(2) + "\xCA\xF3"}};
         },
         0, 1, {"\xD0\x9A\xD1\x83", "", ""}, ""},
        {"an Excel version before 5.0", [](TBook& b) { b.Version = 0x0400; }, 0, 1, {},
         "it is a workbook of an Excel version before 5.0"},
        {"a sheet that lies nowhere",
         [](TBook& b) {
             b.Sheets[0].Records = {Number(0, 0, 1)};
             b.Globals = {{0x0085, Pack32(3) + std::string("\0\0\1\0X", 5)}};
         },
         0, 1, {}, "its list of sheets is damaged"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TBook book;
        c.Change(book);
        const std::string file = dir.File("built.xls");
        WriteCompoundFile(file, {{"Workbook", book.Stream()}});
        std::string error;
        try {
            const platform::TXlsxSheet s = ReadXlsSheet(file, c.Sheet, c.Rows, 3);
            EXPECT_EQ(s.Cells[0], c.Row1);
            EXPECT_EQ(s.MoreRows, c.MoreRows);
        } catch (const XlsxError& e) {
            error = e.what();
        }
        if (c.Reason.empty()) EXPECT_EQ(error, "");
        else EXPECT_NE(error.find(c.Reason), std::string::npos) << error;
    }
}

// The numbers of cells in date and time formats, by the format's number
// and code and the workbook's date system.
TEST(XlsReader, NumbersInDateFormatsReadAsDates) {
    testsupport::ScratchDir dir;
    TBook book;
    book.Globals = {Format(164, "yyyy-mm-dd hh:mm"), Format(165, "[Red]0.00"), Format(166, "0.0\"d\""),
                    Format(167, "[h]:mm"), Format(14, "0.00"),
                    Xf(0), Xf(14), Xf(164), Xf(165), Xf(166), Xf(167), Xf(22), Xf(2)};
    // RK numbers: 45296 as an integer, 452.96 as an integer divided by 100.
    book.Sheets[0].Records = {
        Number(0, 0, 45296.5, 0), Number(0, 1, 45296.5, 1), Number(0, 2, 45296.5, 2), Number(0, 3, 45296.5, 3),
        Number(0, 4, 45296.5, 4), Number(0, 5, 45296.5, 5), Number(0, 6, 45296.5, 6), Number(0, 7, 45296.5, 7),
        {0x027E, Cell(1, 0, 2) + Pack32(45296u << 2 | 2)}, {0x027E, Cell(1, 1, 7) + Pack32(45296u << 2 | 3)},
        {0x0006, Cell(1, 2, 2) + Float(73110) + std::string(6, '\0')}, Number(1, 3, 60, 2), Number(1, 4, -1, 2),
        Number(1, 5, 0.25, 2)};
    WriteCompoundFile(dir.File("dates.xls"), {{"Workbook", book.Stream()}});
    // Format 14 is given a code of no date: its code holds.
    const platform::TXlsxSheet s = ReadXlsSheet(dir.File("dates.xls"), 0, 2, 8);
    EXPECT_EQ(s.Cells[0], (std::vector<std::string>{"45296.5", "45296.5", "2024-01-05 12:00:00", "45296.5",
                                                    "45296.5", "2024-01-05 12:00:00", "2024-01-05 12:00:00",
                                                    "45296.5"}));
    EXPECT_EQ(s.Cells[1], (std::vector<std::string>{"2024-01-05", "452.96", "2100-03-01", "1900-02-29", "-1",
                                                    "06:00:00", "", ""}));
    book.Globals.push_back({0x0022, Pack16(1)});  // the 1904 date system
    WriteCompoundFile(dir.File("dates1904.xls"), {{"Workbook", book.Stream()}});
    const platform::TXlsxSheet t = ReadXlsSheet(dir.File("dates1904.xls"), 0, 2, 8);
    EXPECT_EQ(t.Cells[1][0], "2028-01-06");
    EXPECT_EQ(t.Cells[1][5], "1904-01-01 06:00:00");
}

// The compound file around the workbook stream: a password, a stream that
// runs past the file.
TEST(XlsReader, CompoundFileRefusalsNameTheReason) {
    testsupport::ScratchDir dir;
    // An .xlsx workbook with a password to open is a compound file of an
    // encrypted package.
    const std::string encrypted = dir.File("encrypted.xlsx");
    WriteCompoundFile(encrypted, {{"EncryptionInfo", std::string(64, '\1')}, {"EncryptedPackage", std::string(64, '\2')}});
    const std::string saved = Data("lo_password.xls");
    // The workbook stream's size in its directory entry, past the end of the file.
    std::ifstream in(Data("parts.xls"), std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), {});
    const std::string name("W\0o\0r\0k\0b\0o\0o\0k\0", 16);
    const std::size_t entry = bytes.find(name);
    ASSERT_NE(entry, std::string::npos);
    bytes.replace(entry + 0x78, 4, Pack32(200000));
    const std::string past = dir.File("past.xls");
    std::ofstream(past, std::ios::binary) << bytes;
    for (const auto& [file, reason] : {std::pair{encrypted, "it is protected by a password: save it without one"},
                                       std::pair{saved, "it is protected by a password: save it without one"},
                                       std::pair{past, "its workbook stream is damaged"}}) {
        const std::string error = ErrorOf([&] { ReadXlsSheet(file, 0, 10, 10); });
        EXPECT_NE(error.find(reason), std::string::npos) << file << ": " << error;
    }
}
