#include "app/core/free_shapes.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "app_core/list_test_util.h"
#include "engine/pubstr.h"
#include "engine/shared_state.h"
#include "engine/trapezium.h"
#include "platform/inifile.h"

using listtest::CaptureSink;
using listtest::ReadText;
using listtest::TempDir;
using listtest::WriteText;

namespace {

struct FreeShapes : ::testing::Test {
    TMainData d;

    void SetUp() override { ResetSharedStateDefaults(); }
    void TearDown() override { ResetSharedStateDefaults(); }

    // A profile part with its shape, as the template builders leave them.
    void AddProfile(const std::string& label, int maxQty, int qty, const std::string& material,
                    bool rotate, const std::string& templ = "Triangle2") {
        TTrapezium t;
        t.Label = label;
        t.Name = templ;
        t.P1 = "30";
        t.P2 = "40";
        t.P3 = t.P4 = t.P5 = t.P6 = "";
        TrapeziumList.AddOrUpdate(t);
        T2DStock p;
        p.Label = label;
        p.ShapeKind = skShaped;
        p.SourceKind = srcPart;
        p.Material = material;
        p.CanRotate = rotate;
        p.Quantity = maxQty;
        p.ProfileIndex = ProfilePartList.Count();
        ProfilePartList.AddCopy(p);
        p.Quantity = qty;
        ProfilePartQtyList.AddCopy(p);
    }
};

}  // namespace

TEST_F(FreeShapes, TemplateChoiceSetsParameterRows) {
    auto& g = d.StringGridStandardPara;
    EXPECT_EQ(g.RowCount(), 4);  // "Triangle1" at start
    EXPECT_EQ(g.Cell(0, 3), "C");
    EXPECT_EQ(g.Cell(0, 0), StandardProfileVarNameCaption);
    EXPECT_EQ(g.Cell(1, 0), StandardProfileValueCaption);
    g.SetCell(StandardParaCol::Value, 1, "12");

    ASSERT_EQ(StandardShapeNames().size(), 8u);
    EXPECT_EQ(StandardShapeNames()[2], "Trapezium1");
    d.DxfShapeChosen = true;
    ComboBoxStandShapeChange(d, 2);
    EXPECT_FALSE(d.DxfShapeChosen);
    EXPECT_EQ(d.ComboBoxStandShape, 2);
    EXPECT_EQ(g.RowCount(), 5);
    EXPECT_EQ(g.Cell(0, 1), "G");
    EXPECT_EQ(g.Cell(0, 4), "H");
    EXPECT_EQ(g.Cell(StandardParaCol::Value, 1), "12");  // typed values stay

    ComboBoxStandShapeChange(d, 7);
    EXPECT_EQ(g.RowCount(), 3);
    EXPECT_EQ(g.Cell(0, 1), "R");
    EXPECT_EQ(g.Cell(0, 2), "A");
    EXPECT_EQ(StandardShapeValues(d),
              (std::vector<std::string>{"12", "", "", "", "", ""}));

    ChooseDxfProfile(d);
    EXPECT_TRUE(d.DxfShapeChosen);
    EXPECT_EQ(g.RowCount(), 2);
    EXPECT_EQ(g.Cell(0, 1), "");
    ComboBoxStandShapeChange(d, 99);  // outside the list: only the DXF choice goes
    EXPECT_FALSE(d.DxfShapeChosen);
    EXPECT_EQ(g.RowCount(), 2);
    EXPECT_EQ(StandardShapeParameters("Disc1"), (std::vector<std::string>{"G", "H"}));
    EXPECT_TRUE(StandardShapeParameters("Disc4").empty());
}

TEST_F(FreeShapes, ShowListFillsRowsAndEmptiesTheRest) {
    AddProfile("A", 5, 2, "MDF", true);
    AddProfile("B", 1, 1, "", false);
    d.StringGridAnyShape.SetRow(3, {"stale", "x", "x", "x", "x", "x"});
    ShowAnyShapeList(d);
    EXPECT_EQ(d.StringGridAnyShape.Row(1),
              (std::vector<std::string>{"A", "MDF", "R", "2", "5", ""}));
    EXPECT_EQ(d.StringGridAnyShape.Cell(AnyShapeCol::Rotate, 2), "N");
    EXPECT_TRUE(d.StringGridAnyShape.RowEmpty(3, 0));
    EXPECT_EQ(d.StringGridAnyShape.Cell(0, 0), PartLabelCaption);
}

TEST_F(FreeShapes, SaveWritesTheFileFormat) {
    TempDir dir;
    AddProfile("A", 5, 2, "MDF", true);
    AddProfile("B", 1, 1, "", false, "Disc3");
    ShowAnyShapeList(d);
    d.StringGridAnyShape.SetCell(AnyShapeCol::Comment, 1, "edited in the grid");
    const std::string f = dir.File("a.apt");
    WriteText(f, "[OLD]\nX=1\n");
    ASSERT_TRUE(SaveAnyShapeFile(d, f, true));
    EXPECT_EQ(d.EditAnyShapeFileName, f);

    platform::TIniFile ini(f);
    EXPECT_EQ(ini.ReadSections(),
              (std::vector<std::string>{"STR", "STR0TZ", "STR0", "STR1TZ", "STR1"}));
    EXPECT_EQ(ini.ReadInteger("STR", "CN", -1), 2);
    EXPECT_EQ(ini.ReadSection("STR0"),
              (std::vector<std::string>{"L", "Q", "MQ", "C", "T", "R"}));
    EXPECT_EQ(ini.ReadString("STR0", "C", ""), "edited in the grid");
    EXPECT_EQ(ini.ReadString("STR0", "Q", ""), "2");
    EXPECT_EQ(ini.ReadString("STR0", "MQ", ""), "5");
    EXPECT_EQ(ini.ReadString("STR0", "R", ""), "1");
    EXPECT_EQ(ini.ReadString("STR1", "R", ""), "0");
    EXPECT_EQ(ini.ReadString("STR1TZ", "N", ""), "Disc3");
    EXPECT_EQ(ini.ReadString("STR0TZ", "P1", ""), "30");
}

TEST_F(FreeShapes, SaveRefusesABadGridAndKeepsTheFile) {
    TempDir dir;
    AddProfile("A", 5, 2, "MDF", true);
    ShowAnyShapeList(d);
    d.StringGridAnyShape.SetCell(AnyShapeCol::Qty, 1, "9");  // above Max Qty 5
    const std::string f = dir.File("b.apt");
    WriteText(f, "[STR]\nCN=0\n");
    CaptureSink sink;
    EXPECT_FALSE(SaveAnyShapeFile(d, f, true));
    ASSERT_EQ(sink.Warnings.size(), 1u);
    EXPECT_EQ(sink.Warnings[0], "[]" + MsgPartQtyFormatInvalid);
    EXPECT_EQ(ReadText(f), "[STR]\nCN=0\n");
    EXPECT_EQ(d.EditAnyShapeFileName, "");

    // A write that cannot be made throws and leaves the old file alone.
    d.StringGridAnyShape.SetCell(AnyShapeCol::Qty, 1, "1");
    std::filesystem::create_directory(f + ".tmp~");
    EXPECT_THROW(SaveAnyShapeFile(d, f, true), platform::IniWriteError);
    EXPECT_EQ(ReadText(f), "[STR]\nCN=0\n");
    EXPECT_EQ(d.EditAnyShapeFileName, "");
}

TEST_F(FreeShapes, DeleteRemovesPartAndShapeAndClearsAShownPlan) {
    AddProfile("A", 1, 1, "", true);
    AddProfile("B", 2, 2, "", true);
    AddProfile("C", 3, 3, "", true);
    TPacket layout;
    layout.Quantity = 1;
    Optimizer.Best.AddOrMergeLayout(layout);
    ASSERT_EQ(Optimizer.Best.Count(), 1);

    EXPECT_FALSE(AnyShapeDelete(d, 0));
    EXPECT_FALSE(AnyShapeDelete(d, 4));
    EXPECT_EQ(Optimizer.Best.Count(), 1);

    ASSERT_TRUE(AnyShapeDelete(d, 2));
    EXPECT_EQ(Optimizer.Best.Count(), 0);
    ASSERT_EQ(ProfilePartList.Count(), 2);
    EXPECT_EQ(ProfilePartList[1].Label, "C");
    EXPECT_EQ(ProfilePartQtyList[1].Label, "C");
    EXPECT_EQ(TrapeziumList.Count(), 2u);
    EXPECT_FALSE(TrapeziumList.FindByLabel("B"));
    EXPECT_EQ(d.StringGridAnyShape.Cell(0, 2), "C");
    EXPECT_TRUE(d.StringGridAnyShape.RowEmpty(3, 0));

    AnyShapeDeleteAll(d);
    EXPECT_TRUE(ProfilePartList.Empty());
    EXPECT_TRUE(ProfilePartQtyList.Empty());
    EXPECT_EQ(TrapeziumList.Count(), 0u);
    EXPECT_TRUE(d.StringGridAnyShape.RowEmpty(1, 0));
}

TEST_F(FreeShapes, DeletingOneOfTwoPartsOfOneLabelKeepsTheShape) {
    AddProfile("A", 1, 1, "", true);
    AddProfile("A", 2, 2, "", true);  // a DXF label added twice shares its shape
    ASSERT_EQ(TrapeziumList.Count(), 1u);
    ASSERT_TRUE(AnyShapeDelete(d, 1));
    EXPECT_TRUE(TrapeziumList.FindByLabel("A"));
    ASSERT_TRUE(AnyShapeDelete(d, 1));
    EXPECT_FALSE(TrapeziumList.FindByLabel("A"));
}
