#include "app/core/list_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "app/core/captions.h"
#include "app/core/exit_save.h"
#include "app/core/free_shapes.h"
#include "app/core/main_window.h"
#include "app/core/main_data.h"
#include "engine/errors.h"
#include "engine/pubstr.h"
#include "platform/inifile.h"
#include "support/scratch.h"

using testsupport::ReadText;
using testsupport::ScratchDir;
using testsupport::WriteText;

TEST(MainData, GridTitlesFollowTheCaptions) {
    TMainData d;
    EXPECT_EQ(d.StringGridParts.Row(0),
              (std::vector<std::string>{"Label", "Material Type", "Length", "Width", "Rotate",
                                        "Qty", "Max Qty", "Rec/Cir", "BG Type", "Comment"}));
    EXPECT_EQ(d.StringGridOffcutRack.Cell(0, 100), "100");  // rack slots are numbered

    // Changed words flow into the titles on the next refresh.
    PartQtyCaption = "Anzahl";
    TGridTitleWords w = DefaultGridTitleWords();
    w.MaterialType = "Stoff";
    d.RefreshGridTitles(w);
    EXPECT_EQ(d.StringGridParts.Cell(PartCol::Qty, 0), "Anzahl");
    EXPECT_EQ(d.StringGridSheets.Cell(SheetCol::Type, 0), "Stoff");
    EXPECT_EQ(d.StringGridPartRack.Cell(PartRackCol::Type, 0), "Stoff");

    // The caption store's control captions give the same titles as the shared words.
    TCaptionStore store;
    store.SetCaption("LabelLayoutCost", "Preis");
    d.RefreshGridTitles(GridTitleWords(store));
    EXPECT_EQ(d.StringGridSheets.Cell(SheetCol::Cost, 0), "Preis");
    EXPECT_EQ(d.StringGridSheets.Cell(SheetCol::Label, 0), "Label");
}

TEST(MainData, DeleteRowMovesRowsUpAndKeepsTwoRows) {
    TStringGrid g(2, 4);
    g.SetRow(1, {"a", "1"});
    g.SetRow(2, {"b", "2"});
    g.SetRow(3, {"c", "3"});
    DeleteGridRow(g, 1);
    EXPECT_EQ(g.RowCount(), 3);
    EXPECT_EQ(g.Cell(0, 2), "c");
    DeleteGridRow(g, 5);  // outside: nothing
    EXPECT_EQ(g.RowCount(), 3);
    DeleteGridRow(g, 2);
    DeleteGridRow(g, 1);
    EXPECT_EQ(g.RowCount(), 2);
    EXPECT_TRUE(g.RowEmpty(1, 0));

    TMainData d;  // the list commands
    d.StringGridParts.SetRow(1, {"A"});
    d.StringGridParts.SetRow(2, {"B"});
    PartsDelete(d, 1);
    EXPECT_EQ(d.StringGridParts.Cell(0, 1), "B");
    PartsDeleteAll(d);
    EXPECT_EQ(d.StringGridParts.RowCount(), 500);
    EXPECT_TRUE(d.StringGridParts.RowEmpty(1, 0));
    EXPECT_EQ(d.StringGridParts.Cell(0, 0), "Label");
}

namespace {

void FillSheets(TMainData& d) {
    d.StringGridSheets.SetRow(1, {"S1", "MDF", "2440", "1220", "5", "30", "1", "first"});
    d.StringGridSheets.SetRow(3, {"S2", "", "1 1/2", " 800", "2", "", "", ""});
}

}  // namespace

TEST(SheetListFile, SaveSkipsEmptyRowsNumbersWithoutGapsAndErasesOtherSections) {
    ScratchDir dir;
    TMainData d;
    FillSheets(d);
    d.StringGridSheets.SetRow(4, {"", "", "", "", "", "9", "", ""});     // cost only: dropped
    d.StringGridSheets.SetRow(5, {"", "", "", "", "", "", "", "note"});  // comment only: dropped
    const std::string f = dir.File("a.sht");
    WriteText(f, "[OTHER]\r\nX=1\r\n[SHEET9]\r\nLABEL=stale\r\n");
    SaveSheetsFile(d, f, true);
    EXPECT_EQ(d.EditSheetsFileName, f);
    EXPECT_EQ(ReadText(f),
              "[SHEET1]\r\nLABEL=S1\r\nTYPE=MDF\r\nLENGTH=2440\r\nWIDTH=1220\r\nQTY=5\r\n"
              "COST=30\r\nPRIORITY=1\r\nCOMMENT=first\r\n\r\n[SHEET2]\r\nLABEL=S2\r\nTYPE=\r\n"
              "LENGTH=1 1/2\r\nWIDTH=\" 800\"\r\nQTY=2\r\nCOST=\r\nPRIORITY=\r\nCOMMENT=\r\n\r\n");

    TMainData e;
    e.StringGridSheets.SetRow(7, {"old", "", "1", "1", "1", "", "", ""});
    ReadSheetsFile(e, f);
    EXPECT_EQ(e.EditSheetsFileName, f);
    EXPECT_EQ(e.StringGridSheets.RowCount(), 4);  // title, two rows, one empty row
    EXPECT_EQ(e.StringGridSheets.Row(2), d.StringGridSheets.Row(3));  // " 800" kept as typed
    EXPECT_TRUE(e.StringGridSheets.RowEmpty(3, 0));

    // A write that cannot be made throws and leaves the old file and the field alone.
    const std::string before = ReadText(f);
    d.StringGridSheets.SetCell(0, 1, "changed");
    d.EditSheetsFileName = "";
    {
        testsupport::WriteBlocker block(f);
        EXPECT_THROW(SaveSheetsFile(d, f, true), platform::IniWriteError);
    }
    EXPECT_EQ(ReadText(f), before);
    EXPECT_EQ(d.EditSheetsFileName, "");
}

TEST(SheetListFile, HandWrittenFile) {
    ScratchDir dir;
    const std::string f = dir.File("h.sht");
    // Keys and sections in other letter case, a missing priority, a gap after 2.
    WriteText(f,
              "[sheet1]\nlabel=A\nLength=100\nwidth=50\nqty=3\n"
              "[Sheet2]\nLABEL=B\nPRIORITY=4\n"
              "[SHEET4]\nLABEL=never\n");
    TMainData d;
    ReadSheetsFile(d, f);
    EXPECT_EQ(d.StringGridSheets.RowCount(), 4);
    EXPECT_EQ(d.StringGridSheets.Row(1),
              (std::vector<std::string>{"A", "", "100", "50", "3", "", "0", ""}));
    EXPECT_EQ(d.StringGridSheets.Cell(SheetCol::Priority, 2), "4");

    // A missing file reads as an empty list with one empty row.
    ReadSheetsFile(d, dir.File("none.sht"));
    EXPECT_EQ(d.StringGridSheets.RowCount(), 2);
    EXPECT_TRUE(d.StringGridSheets.RowEmpty(1, 0));
}

TEST(SheetListFile, ReadsAtMostTenThousandSections) {
    ScratchDir dir;
    const std::string f = dir.File("big.sht");
    std::string text;
    for (int n = 1; n <= kMaxListSections + 5; ++n)
        text += "[SHEET" + std::to_string(n) + "]\nLABEL=L" + std::to_string(n) + "\n";
    WriteText(f, text);
    TMainData d;
    testsupport::CaptureSink sink;
    ReadSheetsFile(d, f);
    EXPECT_EQ(d.StringGridSheets.RowCount(), kMaxListSections + 2);
    EXPECT_EQ(d.StringGridSheets.Cell(0, kMaxListSections), "L10000");
    EXPECT_EQ(sink.Warnings, (std::vector<std::string>{"List file \"" + f + "\" holds more than 10000 sheets; only "
                                                       "the first 10000 were read, and the list is not saved over that file."}));
}

TEST(PartListFile, ListReadCutIsNeverSavedOverItsFile) {
    ScratchDir dir;
    testsupport::AppDirScope app(dir.Path());
    const std::string big = dir.File("default.prt"), exact = dir.File("exact.prt");
    std::string text;
    for (int n = 1; n <= kMaxListSections + 2000; ++n) {
        text += "[PART" + std::to_string(n) + "]\nLABEL=P" + std::to_string(n) + "\nMAXQTY=1\n";
        if (n == kMaxListSections) WriteText(exact, text);
    }
    WriteText(big, text);
    testsupport::CaptureSink sink;
    TMainWindowCore w;
    ASSERT_TRUE(ReadPartsFile(w.Data, big));
    EXPECT_EQ(w.Data.PartsCutFrom, big);
    ASSERT_EQ(sink.Warnings.size(), 1u);
    EXPECT_NE(sink.Warnings[0].find("more than 10000 parts"), std::string::npos);

    // Neither the Save command nor the exit save writes the cut list over
    // its file, whatever name leads to it; another name takes it.
    EXPECT_THROW(SavePartsFile(w.Data, big, true), platform::IniWriteError);
    EXPECT_THROW(SavePartsFile(w.Data, dir.Path() + "/./default.prt", true), platform::IniWriteError);
    const TExitSaveResult saved = SaveOnExit(w);
    EXPECT_EQ(std::count_if(saved.Problems.begin(), saved.Problems.end(),
                            [&](const std::string& p) { return p.find(big) != std::string::npos; }),
              1);
    EXPECT_EQ(ReadText(big), text);
    SavePartsFile(w.Data, dir.File("first.prt"), true);
    EXPECT_EQ(platform::TIniFile(dir.File("first.prt")).ReadSections().size(), 10000u);

    // A list of exactly the limit, or a list read afterwards, is whole.
    sink.Warnings.clear();
    ASSERT_TRUE(ReadPartsFile(w.Data, exact));
    EXPECT_TRUE(w.Data.PartsCutFrom.empty());
    EXPECT_TRUE(sink.Warnings.empty());
    EXPECT_NO_THROW(SavePartsFile(w.Data, exact, true));
}

TEST(PartListFile, RoundTripNormalisesRotationAndShape) {
    ScratchDir dir;
    TMainData d;
    auto& g = d.StringGridParts;
    g.SetRow(1, {"P1", "MDF", "300", "200", "n", "4", "6", "c", "E1", "c1"});
    g.SetRow(2, {"P2", "", "10", "10", "no", "1", "", "x", "", ""});
    g.SetRow(4, {"", "", "", "", "", "", "7", "", "", ""});      // only Max Qty: saved
    g.SetRow(5, {"P5", "", "1", "1", "", "3", "", "", "", ""});  // Qty without Max Qty: saved
    g.SetRow(6, {"", "", "", "", "", "3", "", "", "", "c"});     // Qty only: not saved
    const std::string f = dir.File("p.prt");
    SavePartsFile(d, f, true);
    platform::TIniFile ini(f);
    EXPECT_EQ(ini.ReadSections().size(), 4u);
    EXPECT_EQ(ini.ReadSection("PART1"),
              (std::vector<std::string>{"LABEL", "TYPE", "LENGTH", "WIDTH", "QTY", "MAXQTY",
                                        "ROTATE", "SHAPE", "BGTYPE", "COMMENT"}));
    EXPECT_EQ(ini.ReadString("PART2", "ROTATE", ""), "R");
    EXPECT_EQ(ini.ReadString("PART2", "SHAPE", ""), "R");

    TMainData e;
    ReadPartsFile(e, f);
    EXPECT_EQ(e.StringGridParts.Row(1), (std::vector<std::string>{"P1", "MDF", "300", "200", "N",
                                                                  "4", "6", "C", "E1", "c1"}));
    EXPECT_EQ(e.StringGridParts.Cell(PartCol::Rotate, 2), "R");
    EXPECT_EQ(e.StringGridParts.Cell(PartCol::MaxQty, 3), "7");
    EXPECT_EQ(e.StringGridParts.Cell(PartCol::Label, 4), "P5");
}

TEST(PartListFile, HandWrittenDefaultsAndGaps) {
    ScratchDir dir;
    const std::string f = dir.File("h.prt");
    WriteText(f,
              "[PART1]\nlabel=A\nrotate=x\n"
              "[part2]\nLABEL=B\nSHAPE=c\nROTATE=n\n"
              "[PART4]\nLABEL=D\n");
    TMainData d;
    ReadPartsFile(d, f);
    EXPECT_EQ(d.StringGridParts.RowCount(), 4);
    EXPECT_EQ(d.StringGridParts.Cell(PartCol::Rotate, 1), "R");
    EXPECT_EQ(d.StringGridParts.Cell(PartCol::Shape, 1), "R");  // missing SHAPE
    EXPECT_EQ(d.StringGridParts.Cell(PartCol::Rotate, 2), "N");
    EXPECT_EQ(d.StringGridParts.Cell(PartCol::Shape, 2), "C");
}

TEST(ListAppend, SheetRowsMergeOrFillTheFirstFreeRow) {
    TStringGrid g(SheetCol::Count, 3);
    g.SetRow(1, {"A", "MDF", "100", "50", "2", "", "", ""});
    g.SetRow(2, {"B", "", "10", "10", "1", "", "", ""});
    AppendToSheetsGrid(g, " A ", "MDF ", "100", " 50", "3", "9", "9", "x");
    EXPECT_EQ(g.Cell(SheetCol::Qty, 1), "5");
    EXPECT_EQ(g.Cell(SheetCol::Cost, 1), "");  // only the quantity changes
    // A different type is another row; the full grid grows by 10.
    AppendToSheetsGrid(g, "A", "Oak", "100", "50", "1", "", "0", "");
    EXPECT_EQ(g.RowCount(), 13);
    EXPECT_EQ(g.Cell(SheetCol::Type, 3), "Oak");
    // The free row is found again before growing.
    AppendToSheetsGrid(g, "C", "", "1", "1", "1", "", "0", "");
    EXPECT_EQ(g.Cell(SheetCol::Label, 4), "C");
    EXPECT_EQ(g.RowCount(), 13);

    EXPECT_THROW(AppendToSheetsGrid(g, "A", "MDF", "100", "50", "abc", "", "", ""), EConvertError);
    EXPECT_EQ(g.Cell(SheetCol::Qty, 1), "5");
    g.SetCell(SheetCol::Qty, 2, "2147483647");
    EXPECT_THROW(AppendToSheetsGrid(g, "B", "", "10", "10", "1", "", "", ""), ERangeError);
}

TEST(ListAppend, PartRowsAddBothQuantitiesAndKeepEdgeCell) {
    TStringGrid g(PartCol::Count, 2);
    g.SetRow(1, {"A", "", "10", "10", "R", "1", "2", "R", "", ""});
    AppendToParttsGrid(g, "A", "", "10", "10", "2", "3", "", "N", "");
    EXPECT_EQ(g.Cell(PartCol::Qty, 1), "3");
    EXPECT_EQ(g.Cell(PartCol::MaxQty, 1), "5");
    EXPECT_EQ(g.Cell(PartCol::Rotate, 1), "R");
    // A failing second sum changes neither cell.
    EXPECT_THROW(AppendToParttsGrid(g, "A", "", "10", "10", "1", "", "", "", ""), EConvertError);
    EXPECT_EQ(g.Cell(PartCol::Qty, 1), "3");

    g.SetRowCount(3);
    g.SetCell(PartCol::EdgeType, 2, "keep");
    AppendToParttsGrid(g, "B", "T", "5", "6", "1", "1", "C", "N", "c");
    EXPECT_EQ(g.Row(2),
              (std::vector<std::string>{"B", "T", "5", "6", "N", "1", "1", "C", "keep", "c"}));
}

TEST(ListAppend, AppendFilesAddRowsAndLeaveTheFileName) {
    ScratchDir dir;
    TMainData d;
    d.EditSheetsFileName = "current.sht";
    d.StringGridSheets.SetRow(1, {"A", "", "100", "50", "2", "", "", ""});
    const std::string f = dir.File("add.sht");
    WriteText(f, "[SHEET1]\nLABEL=A\nLENGTH=100\nWIDTH=50\nQTY=3\n[SHEET2]\nLABEL=N\nQTY=1\n");
    AppendSheetsFile(d, f);
    EXPECT_EQ(d.StringGridSheets.Cell(SheetCol::Qty, 1), "5");
    EXPECT_EQ(d.StringGridSheets.Cell(SheetCol::Label, 2), "N");
    EXPECT_EQ(d.StringGridSheets.Cell(SheetCol::Priority, 2), "0");
    EXPECT_EQ(d.EditSheetsFileName, "current.sht");

    const std::string p = dir.File("add.prt");
    WriteText(p, "[PART1]\nLABEL=C\nLENGTH=5\nWIDTH=5\nQTY=1\nMAXQTY=1\nSHAPE=C\nBGTYPE=E\n");
    AppendPartsFile(d, p);
    EXPECT_EQ(d.StringGridParts.Row(1),
              (std::vector<std::string>{"C", "", "5", "5", "R", "1", "1", "", "", ""}));
}

// An append whose quantities cannot be added stops at that section and says
// which section of which file, the list row it matches, the column and why;
// the sections before it stay appended.
TEST(ListAppend, ARefusedAppendNamesTheSectionRowColumnAndWhy) {
    ScratchDir dir;
    const struct Case {
        const char* Name;
        bool Parts;
        std::vector<std::string> Row;  // list row 1
        const char* Section;           // section 2 of the file, which matches row 1
        std::vector<std::string> Said;
        bool Range;
    } cases[] = {
        {"the list's quantity empty", false, {"A", "MDF", "100", "50", "", "", "", ""},
         "LABEL=A\nTYPE=MDF\nLENGTH=100\nWIDTH=50\nQTY=3\n",
         {"row 1 of the list", "that row's Qty, \"\"", "'' is not a valid integer value"}, false},
        {"the file's quantity not a number", false, {"A", "MDF", "100", "50", "2", "", "", ""},
         "LABEL=A\nTYPE=MDF\nLENGTH=100\nWIDTH=50\nQTY=abc\n",
         {"row 1 of the list", "its own Qty, \"abc\"", "'abc' is not a valid integer value"}, false},
        {"a part without Max Qty", true, {"P", "", "10", "10", "R", "1", "2", "R", "", ""},
         "LABEL=P\nLENGTH=10\nWIDTH=10\nQTY=1\n",
         {"row 1 of the list", "its own Max Qty, \"\"", "'' is not a valid integer value"}, false},
        {"a sum too large", false, {"A", "", "100", "50", "2147483647", "", "", ""},
         "LABEL=A\nLENGTH=100\nWIDTH=50\nQTY=1\n",
         {"row 1 of the list", "that row's Qty (2147483647) and its own (1) add up to 2147483648"},
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TMainData d;
        TStringGrid& g = c.Parts ? d.StringGridParts : d.StringGridSheets;
        g.SetRow(1, c.Row);
        const std::string prefix = c.Parts ? "PART" : "SHEET";
        const std::string file = dir.File(c.Parts ? "add.prt" : "add.sht");
        WriteText(file, "[" + prefix + "1]\nLABEL=NEW\nLENGTH=1\nWIDTH=1\nQTY=1\nMAXQTY=1\n[" +
                            prefix + "2]\n" + c.Section + "[" + prefix +
                            "3]\nLABEL=LATE\nLENGTH=1\nWIDTH=1\nQTY=1\nMAXQTY=1\n");
        std::string said;
        try {
            (c.Parts ? AppendPartsFile : AppendSheetsFile)(d, file);
        } catch (const ERangeError& e) {
            EXPECT_TRUE(c.Range);
            said = e.what();
        } catch (const EConvertError& e) {
            EXPECT_FALSE(c.Range);
            said = e.what();
        }
        EXPECT_NE(said.find("Section " + prefix + "2 of \"" + file + "\" was not appended"),
                  std::string::npos)
            << said;
        for (const std::string& words : c.Said) EXPECT_NE(said.find(words), std::string::npos) << said;
        EXPECT_EQ(g.Row(1), c.Row);  // unchanged
        EXPECT_EQ(g.Cell(0, 2), "NEW");  // the section before it stays
        EXPECT_EQ(g.Cell(0, 3), "");     // none after it
    }
}

TEST(ListFiles, UnreadableFileIsRefusedWithoutChange) {
    ScratchDir dir;
    const std::string folder = dir.File("folder.sht");
    std::filesystem::create_directory(folder);  // exists, but no file can be read there
    TMainData d;
    FillSheets(d);
    d.EditSheetsFileName = "before.sht";
    testsupport::CaptureSink sink;
    EXPECT_FALSE(ReadSheetsFile(d, folder));
    EXPECT_FALSE(AppendSheetsFile(d, folder));
    EXPECT_FALSE(ReadPartsFile(d, folder));
    ASSERT_EQ(sink.Warnings.size(), 3u);
    EXPECT_EQ(sink.Warnings[0], MsgCantOpenFile + "[" + folder + "] (it is a folder, not a file)");
    EXPECT_EQ(d.StringGridSheets.Cell(0, 1), "S1");
    EXPECT_EQ(d.EditSheetsFileName, "before.sht");
    EXPECT_TRUE(ReadSheetsFile(d, dir.File("missing.sht")));  // missing is just empty
}

TEST(ListFiles, AFileHoldingNoListSectionIsRefusedAndABlankOneIsAnEmptyList) {
    ScratchDir dir;
    const std::string file = dir.File("list");
    const struct {
        const char* Name;
        std::string TMainData::*Field;
        bool (*Read)(TMainData&, const std::string&);
    } readers[] = {
        {"read sheets", &TMainData::EditSheetsFileName, ReadSheetsFile},
        {"append sheets", &TMainData::EditSheetsFileName, AppendSheetsFile},
        {"read parts", &TMainData::EditPartsFileName, ReadPartsFile},
        {"append parts", &TMainData::EditPartsFileName, AppendPartsFile},
        {"read free shapes", &TMainData::EditAnyShapeFileName, ReadAnyShapeFile},
    };
    const struct {
        std::string Text;
        bool Refused;
    } files[] = {
        {"PLY\tMDF 16\t2440\t1220\t5\r\n", true},                   // tab-separated text
        {std::string("\xFF\xFE[\0S\0T\0R\0]\0\r\0\n\0", 16), true},  // UTF-16
        {"[OPTION]\r\nBLADE_WIDTH=3\r\n", true},
        {"", false},
        {"\xEF\xBB\xBF \r\n\t\r\n", false},  // a byte order mark and blanks
    };
    for (const auto& r : readers)
        for (const auto& f : files) {
            SCOPED_TRACE(std::string(r.Name) + ": " + ::testing::PrintToString(f.Text));
            WriteText(file, f.Text);
            TMainData d;
            FillSheets(d);
            d.*r.Field = "before";
            testsupport::CaptureSink sink;
            EXPECT_EQ(r.Read(d, file), !f.Refused);
            ASSERT_EQ(sink.Warnings.size(), f.Refused ? 1u : 0u);
            if (!f.Refused) continue;
            EXPECT_NE(sink.Warnings[0].find("\"" + file + "\""), std::string::npos);
            EXPECT_EQ(d.*r.Field, "before");
            EXPECT_EQ(d.StringGridSheets.Cell(0, 1), "S1");
        }
}
