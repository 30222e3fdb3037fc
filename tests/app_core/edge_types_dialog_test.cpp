#include "app/core/edge_types_dialog.h"

#include <gtest/gtest.h>

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
