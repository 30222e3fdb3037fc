#include "app/core/racks.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>

#include "engine/pubstr.h"
#include "platform/inifile.h"
#include "support/scratch.h"

using testsupport::CaptureSink;
using testsupport::ReadText;
using testsupport::ScratchDir;
using testsupport::WriteText;

namespace {

void FillOffcutRack(TMainData& d) {
    auto& g = d.StringGridOffcutRack;
    g.SetRow(1, {"1", "OFF_1", "MDF", "500", "300", "12", "2", "left"});
    g.SetRow(3, {"3", " spaced ", "MDF", "1 1/2", "300", "", "", ""});
}

}  // namespace

TEST(RackFiles, RoundTripWithPriorityKeySpelling) {
    ScratchDir dir;
    TMainData d;
    FillOffcutRack(d);
    const std::string f = dir.File("r.rck");
    ASSERT_TRUE(WriteOffcutRackToFile(d, f, 100, true));
    EXPECT_EQ(d.EditOffcutsFileName, f);
    const std::string text = ReadText(f);
    EXPECT_NE(text.find("PRiORITY=2\r\n"), std::string::npos);
    platform::TIniFile ini(f);
    EXPECT_EQ(ini.ReadInteger("HEAD", "NUMBER", 0), 100);
    EXPECT_EQ(ini.ReadSection("SLOT0"),
              (std::vector<std::string>{"LABEL", "TYPE", "LENGTH", "WIDTH", "PRiORITY", "COST",
                                        "COMMENT"}));

    TMainData e;
    e.StringGridOffcutRack.SetRowCount(5);
    ASSERT_TRUE(ReadOffcutRackFromFile(e, f));
    EXPECT_EQ(e.EditOffcutsFileName, f);
    EXPECT_EQ(e.StringGridOffcutRack.RowCount(), 101);
    for (int r = 1; r <= 100; ++r)
        ASSERT_EQ(e.StringGridOffcutRack.Row(r), d.StringGridOffcutRack.Row(r)) << r;

    // The part rack: the same layout without priority and cost.
    d.StringGridPartRack.SetRow(2, {"2", "P1", "MDF", "10", "20", "Rect", "c"});
    const std::string p = dir.File("p.prk");
    ASSERT_TRUE(WritePartRackToFile(d, p, 100, true));
    EXPECT_EQ(platform::TIniFile(p).ReadSection("SLOT1"),
              (std::vector<std::string>{"LABEL", "TYPE", "LENGTH", "WIDTH", "SHAPE", "COMMENT"}));
    ASSERT_TRUE(ReadPartRackFromFile(e, p));
    EXPECT_EQ(e.EditPartHRFileName, p);
    EXPECT_EQ(e.StringGridPartRack.Row(2), d.StringGridPartRack.Row(2));
}

TEST(OffcutRackFile, FewerSlotsKeepStaleSectionsAndReadBackExactly) {
    ScratchDir dir;
    const std::string f = dir.File("s.rck");
    TMainData d;
    d.StringGridOffcutRack.SetCell(OffcutRackCol::Label, 100, "last");
    ASSERT_TRUE(WriteOffcutRackToFile(d, f, 200, false));
    EXPECT_EQ(d.StringGridOffcutRack.Cell(0, 200), "200");  // new slots are numbered
    ASSERT_TRUE(WriteOffcutRackToFile(d, f, 150, false));
    EXPECT_EQ(d.EditOffcutsFileName, "");
    platform::TIniFile ini(f);
    EXPECT_TRUE(ini.SectionExists("SLOT199"));
    TMainData e;
    ASSERT_TRUE(ReadOffcutRackFromFile(e, f));
    EXPECT_EQ(e.StringGridOffcutRack.RowCount(), 151);
    EXPECT_EQ(e.StringGridOffcutRack.Cell(OffcutRackCol::Label, 100), "last");
}

TEST(OffcutRackFile, HandWrittenFiles) {
    ScratchDir dir;
    const std::string f = dir.File("h.rck");
    // Sections and keys in other letter case; slot 1 missing entirely.
    WriteText(f,
              "[head]\nnumber=3\n[slot0]\nlabel=A\npriority=7\nCost=4\n"
              "[SLOT2]\nWIDTH=9\n[SLOT3]\nLABEL=beyond the count\n");
    TMainData d;
    ASSERT_TRUE(ReadOffcutRackFromFile(d, f));
    EXPECT_EQ(d.StringGridOffcutRack.RowCount(), 4);
    EXPECT_EQ(d.StringGridOffcutRack.Row(1),
              (std::vector<std::string>{"1", "A", "", "", "", "4", "7", ""}));
    EXPECT_EQ(d.StringGridOffcutRack.Row(2),
              (std::vector<std::string>{"2", "", "", "", "", "", "", ""}));
    EXPECT_EQ(d.StringGridOffcutRack.Cell(OffcutRackCol::Width, 3), "9");
}

TEST(OffcutRackFile, RefusedFilesChangeNothing) {
    ScratchDir dir;
    const std::string f = dir.File("r.rck");
    const struct {
        const char* Text;  // nullptr: no file
        std::string Name;
        const char* Message;  // nullptr: no message
    } cases[] = {{"[HEAD]\nNUMBER=1\n[SLOT0]\nLABEL=x\n", f, nullptr},
                 {"[HEAD]\nNUMBER=2000000000\n", f, "at most 100000 slots"},
                 {nullptr, dir.File("missing.rck"), nullptr},
                 {nullptr, "", nullptr}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Text ? c.Text : c.Name);
        if (c.Text) WriteText(f, c.Text);
        TMainData d;
        d.StringGridOffcutRack.SetCell(1, 1, "keep");
        d.EditOffcutsFileName = "old.rck";
        CaptureSink sink;
        EXPECT_FALSE(ReadOffcutRackFromFile(d, c.Name));
        EXPECT_EQ(d.EditOffcutsFileName, "old.rck");
        EXPECT_EQ(d.StringGridOffcutRack.Cell(1, 1), "keep");
        EXPECT_EQ(d.StringGridOffcutRack.RowCount(), 101);
        if (c.Message) {
            ASSERT_EQ(sink.Warnings.size(), 1u);
            EXPECT_NE(sink.Warnings[0].find(c.Message), std::string::npos);
            EXPECT_NE(sink.Warnings[0].find(f), std::string::npos);
        }
    }
    WriteText(f, "[HEAD]\nNUMBER=100000\n");  // the largest accepted count
    TMainData d;
    EXPECT_TRUE(ReadOffcutRackFromFile(d, f));
    EXPECT_EQ(d.StringGridOffcutRack.RowCount(), 100001);
}

TEST(OffcutRackFile, EmptyNameWritesNothing) {
    ScratchDir dir;
    testsupport::AppDirScope app(dir.Path());
    // The job's own default racks, which a rack without a name must not replace.
    WriteText(dir.File("default_offcut.rck"), "[HEAD]\nNUMBER=2\n[SLOT0]\nLABEL=kept\n");
    WriteText(dir.File("default_part.prk"), "[HEAD]\nNUMBER=2\n[SLOT0]\nLABEL=kept\n");
    TMainData d;
    FillOffcutRack(d);
    d.StringGridPartRack.SetCell(PartRackCol::Label, 1, "P");
    const int rows = d.StringGridOffcutRack.RowCount();
    EXPECT_FALSE(SaveOffcutRack(d));  // no file name known yet
    EXPECT_FALSE(SavePartRack(d));
    EXPECT_FALSE(WritePartRackToFile(d, "", 5, true));
    EXPECT_FALSE(WriteOffcutRackToFile(d, "", 5, true));
    EXPECT_EQ(d.StringGridOffcutRack.RowCount(), rows);  // nothing changed
    EXPECT_EQ(d.EditOffcutsFileName, "");
    EXPECT_EQ(d.EditPartHRFileName, "");
    // A reset with no file name empties the rack and writes no file either.
    ASSERT_TRUE(ConfirmSlotQty(d, "5", "Slot Qty."));
    EXPECT_TRUE(ResetPartRack(d));
    EXPECT_EQ(d.StringGridPartRack.RowCount(), 6);
    EXPECT_EQ(ReadText(dir.File("default_offcut.rck")), "[HEAD]\nNUMBER=2\n[SLOT0]\nLABEL=kept\n");
    EXPECT_EQ(ReadText(dir.File("default_part.prk")), "[HEAD]\nNUMBER=2\n[SLOT0]\nLABEL=kept\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()),
                            std::filesystem::directory_iterator()),
              2);
    // Fewer than two slots are never written.
    EXPECT_FALSE(WriteOffcutRackToFile(d, dir.File("one.rck"), 1, true));
    EXPECT_FALSE(std::filesystem::exists(dir.File("one.rck")));
}

TEST(OffcutRackFile, FailedWriteKeepsTheOldFile) {
    ScratchDir dir;
    const std::string f = dir.File("w.rck");
    TMainData d;
    FillOffcutRack(d);
    ASSERT_TRUE(WriteOffcutRackToFile(d, f, 100, false));
    const std::string before = ReadText(f);
    d.StringGridOffcutRack.SetCell(1, 1, "changed");
    {
        testsupport::WriteBlocker block(f);
        EXPECT_THROW(WriteOffcutRackToFile(d, f, 100, true), platform::IniWriteError);
    }
    EXPECT_EQ(ReadText(f), before);
    EXPECT_EQ(d.EditOffcutsFileName, "");
}

TEST(RackSlots, EmptyTestAndClearing) {
    TMainData d;
    FillOffcutRack(d);
    d.StringGridOffcutRack.SetRow(2, {"2", " ", "", "", "", "5", "3", "only cost"});
    EXPECT_FALSE(IsEmptyOffcutSlot(d, 1));
    EXPECT_TRUE(IsEmptyOffcutSlot(d, 2));  // cost, priority and comment do not count
    EXPECT_TRUE(IsEmptyOffcutSlot(d, 0));
    EXPECT_TRUE(IsEmptyOffcutSlot(d, 101));
    ClearOffcutSlot(d, 1);
    EXPECT_EQ(d.StringGridOffcutRack.Row(1),
              (std::vector<std::string>{"1", "", "", "", "", "", "", ""}));
    ClearOffcutSlot(d, 500);  // outside: nothing
    ClearAllOffcutSlots(d);
    EXPECT_TRUE(d.StringGridOffcutRack.RowEmpty(3, 1));
    EXPECT_EQ(d.StringGridOffcutRack.Cell(0, 3), "3");
    EXPECT_EQ(d.StringGridOffcutRack.Cell(1, 0), "Label");

    d.StringGridPartRack.SetRow(4, {"4", "", "T", "", "", "Rect", ""});
    EXPECT_FALSE(IsEmptyPartSlot(d, 4));
    ClearAllPartSlots(d);
    EXPECT_TRUE(IsEmptyPartSlot(d, 4));
}

TEST(RackSlots, SlotCountDialogAndReset) {
    ScratchDir dir;
    TMainData d;
    CaptureSink sink;
    // Fewer than 2 slots are refused too: such a rack could never be written.
    for (const char* bad : {"ten", "-3", "0", "1"})
        EXPECT_FALSE(ConfirmSlotQty(d, bad, "Slot Qty."));
    EXPECT_EQ(sink.Warnings[0], "['ten' is not a valid integer value]Invalid Slot Qty. format.");
    EXPECT_FALSE(d.SlotQtyConfirmed);
    EXPECT_EQ(d.SlotQty, 100);

    // A cancelled dialog resets nothing.
    ASSERT_TRUE(ConfirmSlotQty(d, "20", "Slot Qty."));
    CancelSlotQty(d);
    EXPECT_FALSE(ResetOffcutRack(d));

    d.EditOffcutsFileName = dir.File("reset.rck");
    FillOffcutRack(d);
    ASSERT_TRUE(ConfirmSlotQty(d, "20", "Slot Qty."));
    ASSERT_TRUE(ResetOffcutRack(d));
    EXPECT_EQ(d.StringGridOffcutRack.RowCount(), 21);
    EXPECT_TRUE(d.StringGridOffcutRack.RowEmpty(1, 1));
    EXPECT_EQ(d.StringGridOffcutRack.Cell(0, 20), "20");
    platform::TIniFile ini(dir.File("reset.rck"));
    EXPECT_EQ(ini.ReadInteger("HEAD", "NUMBER", 0), 20);

    // Beyond the bound: a message and no change.
    sink.Warnings.clear();
    ASSERT_TRUE(ConfirmSlotQty(d, "100001", "Slot Qty."));
    EXPECT_FALSE(ResetOffcutRack(d));
    EXPECT_EQ(sink.Warnings.size(), 1u);
    EXPECT_EQ(d.StringGridOffcutRack.RowCount(), 21);
}

TEST(RackReports, OffcutsGroupBySizeAndTypeKeepingTheFirstSlot) {
    TMainData d;
    auto& g = d.StringGridOffcutRack;
    g.SetRow(1, {"1", "A", "MDF", "500", "300", "10", "", "first"});
    g.SetRow(2, {"2", "B", "MDF ", " 500", "300", "99", "", "second"});
    g.SetRow(3, {"3", "label only", "", "", "", "", "", ""});
    g.SetRow(4, {"4", "C", "Oak", "500", "300", "", "", ""});
    g.SetRow(6, {"6", "D", "mdf", "500", "300", "", "", ""});  // case counts
    TRackSummaryTexts t{"Total Area", "0.45", "Qty", "4", "Total Cost", "1.2"};
    TRackReport rep = BuildOffcutRackReport(d, t, "Qty");
    EXPECT_TRUE(rep.OffcutReportMode);
    EXPECT_EQ(rep.Summary, "Total Area :    0.45     Qty :    4     Total Cost :    1.2");
    ASSERT_EQ(rep.Grid.ColCount(), 7);
    ASSERT_EQ(rep.Grid.RowCount(), 4);
    EXPECT_EQ(rep.Grid.Row(0), (std::vector<std::string>{"Label", "Material Type", "Length",
                                                         "Width", "Qty", "Cost", "Comment"}));
    EXPECT_EQ(rep.Grid.Row(1),
              (std::vector<std::string>{"A", "MDF", "500", "300", "2", "10", "first"}));
    EXPECT_EQ(rep.Grid.Cell(0, 2), "C");
    EXPECT_EQ(rep.Grid.Cell(0, 3), "D");

    const auto lines = RackReportLines(rep);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[1], std::string(106, '-'));
    EXPECT_EQ(lines[2].substr(0, 40), "A                                  MDF  ");
}

TEST(RackReports, PartsGroupByLabelWhateverTheirSizes) {
    TMainData d;
    auto& g = d.StringGridPartRack;
    g.SetRow(1, {"1", "P", "MDF", "10", "20", "Rect", "x"});
    g.SetRow(2, {"2", " P", "Oak", "99", "99", "Circ", "y"});
    g.SetRow(3, {"3", "", "MDF", "10", "20", "Rect", ""});
    g.SetRow(5, {"5", "Q", "", "", "", "", ""});
    TRackSummaryTexts t{"Area", "1", "Qty", "3", "", ""};
    TRackReport rep = BuildPartRackReport(d, t, "Count");
    EXPECT_FALSE(rep.OffcutReportMode);
    EXPECT_EQ(rep.Summary, "Area :    1     Qty :    3");
    ASSERT_EQ(rep.Grid.RowCount(), 3);
    EXPECT_EQ(rep.Grid.Cell(4, 0), "Count");
    EXPECT_EQ(rep.Grid.Row(1), (std::vector<std::string>{"P", "MDF", "10", "20", "2", "x"}));
    EXPECT_EQ(rep.Grid.Cell(0, 2), "Q");
}

TEST(RackReports, ListingLeavesOutTheOffcutPriority) {
    TMainData d;
    d.StringGridOffcutRack.SetRowCount(3);
    d.StringGridOffcutRack.SetRow(1, {"1", "A", "MDF", "5", "3", "12", "PRIO", "note"});
    const auto lines = RackListingLines(d, true);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[2].find("PRIO"), std::string::npos);
    EXPECT_EQ(lines[2].substr(0, 5), "1    ");
    EXPECT_NE(lines[2].find("12        note"), std::string::npos);
}
