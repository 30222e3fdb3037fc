#include "app/core/grid_text_files.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "engine/pubstr.h"
#include "support/scratch.h"

using testsupport::CaptureSink;
using testsupport::ReadText;
using testsupport::ScratchDir;
using testsupport::WriteText;

namespace {

std::string Tabs(int n) {
    return std::string(static_cast<std::size_t>(n), '\t');
}

}  // namespace

TEST(GridTextExport, EveryRowOneLineEndingInTabWithOrWithoutTitles) {
    TMainData d;
    d.StringGridSheets.SetRow(1, {" Board ", "MDF", "2440", "1220", "5", "12.5", "0", "a note"});
    d.StringGridSheets.SetRow(3, {"Spare", "", "", "", "", "", "", ""});

    const std::string plain = GridTextFileText(d.StringGridSheets, false);
    std::vector<std::string> lines;
    for (std::size_t p = 0, q; (q = plain.find("\r\n", p)) != std::string::npos; p = q + 2)
        lines.push_back(plain.substr(p, q - p));
    ASSERT_EQ(lines.size(), 500u);  // 500 data rows, empty ones included
    EXPECT_EQ(lines[0], "Board\tMDF\t2440\t1220\t5\t12.5\t0\ta note\t");
    EXPECT_EQ(lines[1], Tabs(8));
    EXPECT_EQ(lines[2], "Spare" + Tabs(8));
    EXPECT_EQ(lines[499], Tabs(8));

    const std::string titled = GridTextFileText(d.StringGridSheets, true);
    const std::string titleLine = titled.substr(0, titled.find("\r\n"));
    EXPECT_EQ(titleLine, LabelCaption + "\t" + MaterialTypeCaption + "\t" + LengthCaption + "\t" +
                             WidthCaption + "\t" + QtyCaption + "\t" + CostCaption + "\t" +
                             SheetsPriorityCaption + "\t" + CommentCaption + "\t");
    EXPECT_EQ(titled.substr(titleLine.size() + 2), plain);
}

TEST(GridTextExport, TabsAndLineBreaksInsideCellsDoNotSplitTheRow) {
    TStringGrid g(3, 2);
    g.SetRow(1, {"a\tb", "two\r\nlines", "c"});
    EXPECT_EQ(GridTextFileText(g, false), "a b\ttwo  lines\tc\t\r\n");
}

TEST(GridTextExport, RackWritersStartWithTheSlotNumber) {
    ScratchDir dir;
    TMainData d;
    d.StringGridPartRack.SetRow(2, {"2", "P1", "MDF", "300", "200", "Rect", "L1_P1_2 "});
    ASSERT_TRUE(WritePartsRackTxtFile(d, dir.File("pr.txt"), false));
    const std::string text = ReadText(dir.File("pr.txt"));
    EXPECT_EQ(text.substr(0, 42), "1" + Tabs(7) + "\r\n2\tP1\tMDF\t300\t200\tRect\tL1_P1_2\t\r\n");
    ASSERT_TRUE(WriteOffcutsTxtFile(d, dir.File("o.txt"), true));
    EXPECT_EQ(ReadText(dir.File("o.txt")).substr(0, 1), "\t");  // slot column has no title
}

TEST(GridTextFiles, ReadTakesEveryLineAsARowTitlesIncluded) {
    ScratchDir dir;
    TMainData d;
    d.StringGridSheets.SetRow(7, {"old", "", "", "", "", "", "", ""});
    const std::string f = dir.File("in.txt");
    // Titles on the first line, an empty line, a short line, a long line,
    // LF and CR LF ends, untrimmed cells, no line end at the very end.
    WriteText(f,
              "Label\tType\tLength\r\n"
              "\r\n"
              " A \tMDF\n"
              "B\tOak\t1\t2\t3\t4\t5\t6\t7\t8\t9\n"
              "C\t\t5\t");
    ASSERT_TRUE(ReadSheetsTXTFile(d, f));
    const TStringGrid& g = d.StringGridSheets;
    ASSERT_EQ(g.RowCount(), 6);
    EXPECT_EQ(g.Row(0)[0], LabelCaption);  // the grid's own titles stay
    EXPECT_EQ(g.Row(1), (std::vector<std::string>{"Label", "Type", "Length", "", "", "", "", ""}));
    EXPECT_TRUE(g.RowEmpty(2, 0));
    EXPECT_EQ(g.Row(3), (std::vector<std::string>{" A ", "MDF", "", "", "", "", "", ""}));
    EXPECT_EQ(g.Row(4), (std::vector<std::string>{"B", "Oak", "1", "2", "3", "4", "5", "6"}));
    EXPECT_EQ(g.Row(5), (std::vector<std::string>{"C", "", "5", "", "", "", "", ""}));
}

TEST(GridTextFiles, FileThatCannotBeWrittenIsReportedAndOldFileKept) {
    ScratchDir dir;
    CaptureSink sink;
    TMainData d;
    const std::string f = dir.File("old.txt");
    WriteText(f, "old contents");

    // A path inside a missing folder can never be written.
    EXPECT_FALSE(WriteSheetsTxtFile(d, dir.File("no/such/folder.txt"), true));
    EXPECT_FALSE(WriteExportTXTFile({"line"}, dir.File("no/such/report.txt")));
    ASSERT_EQ(sink.Warnings.size(), 2u);
    EXPECT_EQ(sink.Warnings[0].front(), '[');
    EXPECT_EQ(sink.Warnings[0].back(), ']');
    EXPECT_FALSE(std::filesystem::exists(dir.File("no")));

    {
        testsupport::WriteBlocker block(f);
        EXPECT_FALSE(WritePartsTxtFile(d, f, false));
    }
    EXPECT_EQ(ReadText(f), "old contents");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()),
                            std::filesystem::directory_iterator()),
              1);  // no temporary file left behind
}

TEST(GridTextFiles, ReportLinesEndInCrLf) {
    ScratchDir dir;
    const std::string f = dir.File("plan.txt");
    WriteText(f, "an older and longer report");
    ASSERT_TRUE(WriteExportTXTFile({"Layout 1", "", "  Sheet   Qty"}, f));
    EXPECT_EQ(ReadText(f), "Layout 1\r\n\r\n  Sheet   Qty\r\n");
    ASSERT_TRUE(WriteExportTXTFile({}, f));
    EXPECT_EQ(ReadText(f), "");
}

TEST(GridTextFiles, EmptyLinesAtTheEndAddNoRows) {
    ScratchDir dir;
    TMainData d;
    const std::string f = dir.File("tail.txt");
    WriteText(f, "A\tMDF\r\r\n\tB\n" + std::string(3 * 1024 * 1024, '\n') + "\t\t\r\n");
    ASSERT_TRUE(ReadSheetsTXTFile(d, f));
    ASSERT_EQ(d.StringGridSheets.RowCount(), 4);
    EXPECT_EQ(d.StringGridSheets.Cell(0, 1), "A");
    EXPECT_TRUE(d.StringGridSheets.RowEmpty(2, 0));
    EXPECT_EQ(d.StringGridSheets.Cell(1, 3), "B");

    // An empty file leaves one empty row.
    WriteText(f, "");
    ASSERT_TRUE(ReadSheetsTXTFile(d, f));
    EXPECT_EQ(d.StringGridSheets.RowCount(), 2);
    EXPECT_TRUE(d.StringGridSheets.RowEmpty(1, 0));
}

// Files named and filled beyond ASCII keep their bytes both ways; a UTF-8
// byte order mark before the first line is not part of the first cell.
TEST(GridTextFiles, NamesAndCellsBeyondAsciiRoundTripAndAByteOrderMarkIsSkipped) {
    ScratchDir dir;
    for (const std::string name : {"Küche", "Кухня", "Tom’s", "€", "T\xFCr"}) {
        std::filesystem::create_directories(dir.File(name));
        const std::string f = dir.File(name + "/" + name + ".txt");
        TMainData d;
        d.StringGridSheets.SetRow(1, {name, "€ – ’", "10", "5", "1", "", "0", "T\x92s"});
        ASSERT_TRUE(WriteSheetsTxtFile(d, f, false)) << name;
        TMainData back;
        ASSERT_TRUE(ReadSheetsTXTFile(back, f)) << name;
        EXPECT_EQ(back.StringGridSheets.Row(1), d.StringGridSheets.Row(1)) << name;

        WriteText(f, "\xEF\xBB\xBF" + name + "\tMDF\r\n");
        ASSERT_TRUE(ReadSheetsTXTFile(back, f));
        EXPECT_EQ(back.StringGridSheets.Cell(0, 1), name);
        EXPECT_EQ(back.StringGridSheets.RowCount(), 2);
    }
}

// A list of the most rows an import reads, exported with its titles line
// (one line more), reads back whole: the titles line is no row. One row more,
// or a first line that is not exactly the titles, is beyond the limit.
TEST(GridTextFiles, AListOfTheMostRowsReadsBackFromItsExportWithTitles) {
    ScratchDir dir;
    const std::string file = dir.File("list.txt");
    const struct {
        const char* Name;
        TStringGrid TMainData::*Grid;
        bool (*Write)(const TMainData&, const std::string&, bool);
        bool (*Read)(TMainData&, const std::string&);
    } lists[] = {{"sheets", &TMainData::StringGridSheets, WriteSheetsTxtFile, ReadSheetsTXTFile},
                 {"parts", &TMainData::StringGridParts, WritePartsTxtFile, ReadPartsTXTFile}};
    for (const auto& l : lists) {
        for (const int rows : {kMaxImportLines, kMaxImportLines + 1}) {
            SCOPED_TRACE(std::string(l.Name) + " " + std::to_string(rows));
            TMainData d;
            TStringGrid& g = d.*l.Grid;
            g.SetRowCount(rows + 1);
            for (int r = 1; r <= rows; ++r) {
                g.SetCell(0, r, "L" + std::to_string(r));
                g.SetCell(2, r, "10");
            }
            ASSERT_TRUE(l.Write(d, file, true));
            TMainData back;
            CaptureSink sink;
            const bool fits = rows <= kMaxImportLines;
            EXPECT_EQ(l.Read(back, file), fits) << (sink.Warnings.empty() ? "" : sink.Warnings[0]);
            if (fits) {
                const TStringGrid& b = back.*l.Grid;
                ASSERT_EQ(b.RowCount(), rows + 1);
                EXPECT_EQ(b.Cell(0, 1), "L1");
                EXPECT_EQ(b.Cell(0, rows), "L" + std::to_string(rows));
                // Another first line is a row like any other: one too many.
                const std::string text = ReadText(file);
                WriteText(file, "Label\t" + text.substr(text.find("\r\n")));
                EXPECT_FALSE(l.Read(back, file));
            } else {
                EXPECT_NE(sink.Warnings.at(0).find("more than 10000 lines"), std::string::npos);
            }
        }
    }
}
