#include "app/core/edge_types_dialog.h"

#include <gtest/gtest.h>

#include "app/core/captions.h"
#include "engine/partedge.h"
#include "engine/pubstr.h"
#include "support/scratch.h"

using namespace testsupport;

namespace {

void Type(TEdgeTypesDialog& d, const std::string& label, const std::string& value) {
    d.Edits.fill(value);
    d.Edits[EdgeCol::Label] = label;
}

}  // namespace

TEST(EdgeTypesDialog, AddModifyDeleteAndOk) {
    CaptureSink sink;
    PartEdgeList.ClearEdges();
    PartEdgeList.AddEdge("N/A", "0", "0", "0", "0", "0", "0", "0", "0");
    PartEdgeList.AddEdge("BAND", "1", "1", "1", "1", "2", "2", "2", "2");
    const PPartEdge held = PartEdgeList.GetEdge(1);  // as a piece of a plan holds it

    TEdgeTypesDialog d;
    d.Fill();
    ASSERT_EQ(d.Grid.RowCount(), 3);
    Type(d, " GRIND ", "1 1/2");
    ASSERT_TRUE(d.AddClick());
    EXPECT_EQ(d.Grid.Cell(EdgeCol::Label, 3), "GRIND");
    EXPECT_EQ(d.Grid.Cell(EdgeCol::GT, 3), "1 1/2");  // kept as typed
    Type(d, BandAndGrindingLabelCaption, "0");
    EXPECT_FALSE(d.AddClick());  // the title counts as a label
    Type(d, "X", "-1");
    int bad = -1;
    EXPECT_FALSE(d.AddClick(&bad));
    EXPECT_EQ(bad, EdgeCol::BT);

    d.ClickRow(2);
    d.Edits[EdgeCol::Label] = "GRIND";  // another row's label
    EXPECT_FALSE(d.ModifyClick());
    d.Edits[EdgeCol::Label] = "BAND2";
    EXPECT_TRUE(d.ModifyClick());
    d.ClickRow(1);
    EXPECT_FALSE(d.ModifyClick());  // the first edge type is protected
    EXPECT_FALSE(d.DeleteClick());
    d.ClickRow(3);
    EXPECT_TRUE(d.DeleteClick());

    ASSERT_TRUE(d.OKClick());
    ASSERT_EQ(PartEdgeList.Count(), 2);
    EXPECT_EQ(PartEdgeList.GetEdge(1)->Label, "BAND2");
    EXPECT_EQ(PartEdgeList.GetEdge(1)->GT, 1000);
    EXPECT_EQ(held->Label, "BAND");  // the plan's record is still alive
    EXPECT_EQ(sink.Warnings.size(), 3u);
}

// The dialog's title is the caption of the button that opens it, so a caption
// file that relabels the button relabels the title as well.
TEST(EdgeTypesDialog, TitleIsTheCaptionOfItsButtonAfterACaptionFile) {
    ScratchDir dir;
    struct Case {
        const char* File;   // the CAPTION section's lines
        const char* Title;  // the dialog's title, as the button shows its caption
    } cases[] = {
        {"", "Band & Grinding"},
        {"Band Caption=Kante\n", "Kante & Grinding"},
        {"band caption=Kante\nGrinding Caption=Schliff\n", "Kante & Schliff"},
        {"Grinding Caption=Fr&&asen\n", "Kante & Fr&asen"},  // on top of the texts in force
    };
    TCaptionStore captions;
    for (const Case& c : cases) {
        WriteText(dir.File("job.cap"), std::string("[CAPTION]\n") + c.File);
        captions.ReadCaptionFile(dir.File("job.cap"));
        EXPECT_EQ(EdgeTypesDialogCaption(captions), c.Title) << c.File;
        EXPECT_EQ(EdgeTypesDialogCaption(captions),
                  PlainCaptionText(captions.Caption("ButtonGrindingAndBandSetting")));
    }
}
