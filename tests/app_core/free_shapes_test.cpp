#include "app/core/free_shapes.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "engine/pubstr.h"
#include "engine/shape_templates.h"
#include "engine/shared_state.h"
#include "engine/trapezium.h"
#include "output/dxf_import.h"
#include "platform/inifile.h"
#include "support/scratch.h"

using testsupport::CaptureSink;
using testsupport::ReadText;
using testsupport::ScratchDir;
using testsupport::WriteText;

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
    g.SetCell(StandardParaCol::Value, 1, "12");
    d.DxfShapeChosen = true;
    ComboBoxStandShapeChange(d, 2);  // Trapezium1
    EXPECT_FALSE(d.DxfShapeChosen);
    EXPECT_EQ(g.RowCount(), 5);
    EXPECT_EQ(g.Cell(0, 1), "G");
    EXPECT_EQ(g.Cell(StandardParaCol::Value, 1), "12");  // typed values stay

    ComboBoxStandShapeChange(d, 7);
    EXPECT_EQ(g.RowCount(), 3);
    EXPECT_EQ(StandardShapeValues(d), (std::vector<std::string>{"12", "", "", "", "", ""}));

    ChooseDxfProfile(d);
    EXPECT_TRUE(d.DxfShapeChosen);
    EXPECT_EQ(g.RowCount(), 2);
    ComboBoxStandShapeChange(d, 99);  // outside the list: only the DXF choice goes
    EXPECT_FALSE(d.DxfShapeChosen);
    EXPECT_EQ(g.RowCount(), 2);
}

TEST_F(FreeShapes, ShowListAndSaveWriteTheFileFormat) {
    ScratchDir dir;
    AddProfile("A", 5, 2, "MDF", true);
    AddProfile("B", 1, 1, "", false, "Disc3");
    d.StringGridAnyShape.SetRow(3, {"stale", "x", "x", "x", "x", "x"});
    ShowAnyShapeList(d);
    EXPECT_EQ(d.StringGridAnyShape.Row(1),
              (std::vector<std::string>{"A", "MDF", "R", "2", "5", ""}));
    EXPECT_EQ(d.StringGridAnyShape.Cell(AnyShapeCol::Rotate, 2), "N");
    EXPECT_TRUE(d.StringGridAnyShape.RowEmpty(3, 0));

    d.StringGridAnyShape.SetCell(AnyShapeCol::Comment, 1, "edited in the grid");
    const std::string f = dir.File("a.apt");
    WriteText(f, "[OLD]\nX=1\n");
    ASSERT_TRUE(SaveAnyShapeFile(d, f, true));
    EXPECT_EQ(d.EditAnyShapeFileName, f);
    const std::string shape = "P1=30\r\nP2=40\r\nP3=\r\nP4=\r\nP5=\r\nP6=\r\nDX=0\r\n\r\n";
    EXPECT_EQ(ReadText(f), "[STR]\r\nCN=2\r\n\r\n[STR0TZ]\r\nN=Triangle2\r\n" + shape +
                               "[STR0]\r\nL=A\r\nQ=2\r\nMQ=5\r\nC=edited in the grid\r\n"
                               "T=MDF\r\nR=1\r\n\r\n[STR1TZ]\r\nN=Disc3\r\n" +
                               shape + "[STR1]\r\nL=B\r\nQ=1\r\nMQ=1\r\nC=\r\nT=\r\nR=0\r\n\r\n");
}

TEST_F(FreeShapes, SaveRefusesABadGridAndKeepsTheFile) {
    ScratchDir dir;
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
    {
        testsupport::WriteBlocker block(f);
        EXPECT_THROW(SaveAnyShapeFile(d, f, true), platform::IniWriteError);
    }
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
    EXPECT_TRUE(ProfilePartList.Empty() && ProfilePartQtyList.Empty());
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

namespace {

// A 40 x 30 rectangle outline as a DXF drawing.
std::string RectangleDxf() {
    std::string out;
    for (const char* l :
         {"0",  "SECTION", "2",  "ENTITIES", "0",  "LWPOLYLINE", "90", "4",      "70", "1",
          "10", "0",       "20", "0",        "10", "40",         "20", "0",      "10", "40",
          "20", "30",      "10", "0",        "20", "30",         "0",  "ENDSEC", "0",  "EOF"})
        out += std::string(l) + "\r\n";
    return out;
}

}  // namespace

TEST_F(FreeShapes, FileRoundTripRebuildsTemplateAndDxfParts) {
    ScratchDir dir;
    const std::string dxf = dir.File("plate.dxf");
    WriteText(dxf, RectangleDxf());
    ASSERT_TRUE(AddStandardProfilePart("T", "tri", "Triangle2", "30", "1 1/2", "", "", "", "", 5, 2,
                                       "MDF"));
    ProfilePartList.Last().CanRotate = false;
    ASSERT_EQ(ReadDxfProfileFile(dxf, DxfOutline), "");
    ASSERT_TRUE(AddDxfProfilePart("D", "", dxf, 3, 3, "Oak", true));
    ShowAnyShapeList(d);
    const std::string f = dir.File("shapes.apt");
    ASSERT_TRUE(SaveAnyShapeFile(d, f, false));

    TMainData e;
    ResetSharedStateDefaults();
    ASSERT_TRUE(ReadAnyShapeFile(e, f));
    EXPECT_EQ(e.EditAnyShapeFileName, f);
    ASSERT_EQ(ProfilePartList.Count(), 2);
    ASSERT_EQ(ProfilePartQtyList.Count(), 2);
    ASSERT_EQ(TrapeziumList.Count(), 2u);
    EXPECT_FALSE(ProfilePartList[0].CanRotate);  // R = 0 comes back fixed
    EXPECT_EQ(ProfilePartList[0].Width, 1500);
    EXPECT_EQ(TrapeziumList.FindByLabel("T")->P2, "1 1/2");
    EXPECT_EQ(ProfilePartList[1].Material, "Oak");
    EXPECT_EQ(ProfilePartList[1].Length, 40000);
    EXPECT_TRUE(TrapeziumList.FindByLabel("D")->DX);
    EXPECT_EQ(e.StringGridAnyShape.Row(1),
              (std::vector<std::string>{"T", "MDF", "N", "2", "5", "tri"}));
    EXPECT_EQ(DxfOutline.Count(), 0);
}

TEST_F(FreeShapes, HandWrittenFiles) {
    ScratchDir dir;
    const std::string f = dir.File("h.apt");
    // Other letter case, a missing DXF file, a stale entry beyond the count.
    WriteText(f,
              "[str]\ncn=2\n"
              "[Str0TZ]\nn=Triangle2\np1=3\np2=4\n[str0]\nl=A\nq=1\nmq=2\nr=0\n"
              "[STR1TZ]\nN=missing.dxf\nDX=1\n[STR1]\nL=B\nQ=1\nMQ=1\n"
              "[STR2TZ]\nN=Triangle2\nP1=1\nP2=1\n[STR2]\nL=stale\n");
    CaptureSink sink;
    ASSERT_TRUE(ReadAnyShapeFile(d, f));
    ASSERT_EQ(ProfilePartList.Count(), 1);
    EXPECT_EQ(ProfilePartList[0].Label, "A");
    EXPECT_FALSE(ProfilePartList[0].CanRotate);
    ASSERT_EQ(sink.Warnings.size(), 1u);  // the skipped DXF entry is named
    EXPECT_NE(sink.Warnings[0].find("missing.dxf"), std::string::npos);

    // No STR section: no free-shape list, refused with the parts kept.
    WriteText(f, "[OTHER]\nX=1\n");
    EXPECT_FALSE(ReadAnyShapeFile(d, f));
    EXPECT_EQ(ProfilePartList.Count(), 1);
    sink.Warnings.pop_back();
    // A count of 0: an empty list, and the old parts are gone.
    WriteText(f, "[STR]\nCN=0\n");
    EXPECT_TRUE(ReadAnyShapeFile(d, f));
    EXPECT_TRUE(ProfilePartList.Empty());
    EXPECT_TRUE(d.StringGridAnyShape.RowEmpty(1, 0));
    // A count far beyond the entries stops at the first missing entry.
    WriteText(f, "[STR]\nCN=2000000000\n[STR0TZ]\nN=Triangle2\nP1=3\nP2=4\n[STR0]\nL=A\n");
    EXPECT_TRUE(ReadAnyShapeFile(d, f));
    EXPECT_EQ(ProfilePartList.Count(), 1);

    // A file that cannot be read keeps the shapes and the file name.
    std::filesystem::create_directory(dir.File("folder.apt"));
    EXPECT_FALSE(ReadAnyShapeFile(d, dir.File("folder.apt")));
    EXPECT_EQ(sink.Warnings.size(), 2u);
    EXPECT_EQ(ProfilePartList.Count(), 1);
    EXPECT_EQ(d.EditAnyShapeFileName, f);
}

TEST_F(FreeShapes, AddFromTemplateOrDxf) {
    CaptureSink sink;
    const struct {
        const char* Label;
        const char* Qty;
        std::string Message;
    } refused[] = {
        {"", "", MsgSelectShapeLabelEmpty},
        {"  ", "", "[]" + MsgPartLabelCantBeEmpty},
        {"T1", "x", "['x' is not a valid integer value]" + MsgPartQtyFormatInvalid},
        {"T1", "0", "[]" + MsgPartQtyFormatInvalid},
    };
    for (const auto& r : refused) {
        d.EditSelectLabel = r.Label;
        d.EditSelectQty = r.Qty;
        EXPECT_FALSE(ButtonAddAnyShapeClick(d));
        EXPECT_EQ(sink.Warnings.back(), r.Message);
    }

    d.EditSelectQty = "3";
    ComboBoxStandShapeChange(d, 1);  // Triangle2
    d.StringGridStandardPara.SetCell(StandardParaCol::Value, 1, "30");
    d.StringGridStandardPara.SetCell(StandardParaCol::Value, 2, "40");
    ASSERT_TRUE(ButtonAddAnyShapeClick(d));
    ASSERT_EQ(ProfilePartList.Count(), 1);
    EXPECT_EQ(ProfilePartList[0].Quantity, 3);
    EXPECT_EQ(ProfilePartQtyList[0].Quantity, 3);
    EXPECT_EQ(d.StringGridAnyShape.Row(1), (std::vector<std::string>{"T1", "", "R", "3", "3", ""}));

    // The same label again is refused; another letter case is another label.
    EXPECT_FALSE(ButtonAddAnyShapeClick(d));
    EXPECT_EQ(sink.Warnings.back(), MsgLabelIsntUnique);
    d.EditSelectLabel = "t1";
    EXPECT_TRUE(ButtonAddAnyShapeClick(d));

    // Values the template refuses add nothing.
    d.EditSelectLabel = "bad";
    d.StringGridStandardPara.SetCell(StandardParaCol::Value, 1, "0");
    EXPECT_FALSE(ButtonAddAnyShapeClick(d));
    EXPECT_EQ(ProfilePartList.Count(), 2);

    // Grid edits reach the lists before the grid is redrawn; a bad one stops the add.
    d.StringGridAnyShape.SetCell(AnyShapeCol::Comment, 1, "kept");
    d.StringGridAnyShape.SetCell(AnyShapeCol::Qty, 2, "99");
    d.EditSelectLabel = "more";
    d.StringGridStandardPara.SetCell(StandardParaCol::Value, 1, "30");
    EXPECT_FALSE(ButtonAddAnyShapeClick(d));
    EXPECT_EQ(sink.Warnings.back(), "[]" + MsgPartQtyFormatInvalid);
    d.StringGridAnyShape.SetCell(AnyShapeCol::Qty, 2, "1");
    ASSERT_TRUE(ButtonAddAnyShapeClick(d));
    EXPECT_EQ(d.StringGridAnyShape.Cell(AnyShapeCol::Comment, 1), "kept");
    EXPECT_EQ(ProfilePartList.Count(), 3);

    // A DXF outline chosen last.
    ScratchDir dir;
    const std::string dxf = dir.File("r.dxf");
    WriteText(dxf, RectangleDxf());
    ASSERT_EQ(ReadDxfProfileFile(dxf, DxfOutline), "");
    DxfProfileFileName = dxf;
    ChooseDxfProfile(d);
    d.EditSelectLabel = "D";
    ASSERT_TRUE(ButtonAddAnyShapeClick(d));
    EXPECT_EQ(ProfilePartList.Last().Length, 40000);
    EXPECT_EQ(TrapeziumList.FindByLabel("D")->Name, dxf);
}
