#include "engine/partedge.h"

#include <gtest/gtest.h>

#include "engine/errors.h"
#include "engine/stock2d.h"
#include "platform/inifile.h"
#include "support/scratch.h"

namespace {

using testsupport::ReadText;

class PartEdgeFile : public ::testing::Test {
  protected:
    std::string PathOf(const std::string& Name) const { return dir_.File(Name); }
    std::string Write(const std::string& Name, const std::string& Text) const {
        testsupport::WriteText(PathOf(Name), Text);
        return PathOf(Name);
    }

    testsupport::ScratchDir dir_;
};

void ExpectNotApplicable(const TPartEdge& e) {
    EXPECT_EQ(e.Label, "N/A");
    for (auto v : {e.GT, e.GB, e.GL, e.GR, e.BT, e.BB, e.BL, e.BR}) EXPECT_EQ(v, 0);
    for (const auto* t :
         {&e.GTText, &e.GBText, &e.GLText, &e.GRText, &e.BTText, &e.BBText, &e.BLText, &e.BRText})
        EXPECT_EQ(*t, "0");
}

TEST(PartEdgeList, AddEdgeKeepsTextsAndConvertsFractions) {
    TPartEdgeList list;
    const PPartEdge e = list.AddEdge("Oak", "1/16", "1 1/2", "0.5", "", "2", "0", "3/4", " 1 ");
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list.GetEdge(0), e);
    EXPECT_EQ(e->GTText, "1/16");
    // 1/16 is 62.5 units: to the even neighbour
    EXPECT_EQ(std::vector<int>({e->GT, e->GB, e->GL, e->GR, e->BT, e->BB, e->BL, e->BR}),
              std::vector<int>({62, 1500, 500, 0, 2000, 0, 750, 1000}));
    EXPECT_EQ(e->BRText, " 1 ");
}

TEST(PartEdgeList, BadValuesAddNothing) {
    TPartEdgeList list;
    list.AddEdge("A", "0", "0", "0", "0", "0", "0", "0", "0");
    const char* converts[] = {"x", "1/0", "2 3", "1/2 3",  // malformed fractions must not pass as 0
                              // A line break counts as the blank a saved file holds in its
                              // place: "1 /2" is no fraction, so it is refused now.
                              "1\n/2"};
    for (const char* v : converts) {
        EXPECT_THROW(list.AddEdge("B", v, "0", "0", "0", "0", "0", "0", "0"), EConvertError) << v;
        EXPECT_THROW(list.AddEdge("B", "0", "0", "0", "0", "0", "0", "0", v), EConvertError) << v;
    }
    EXPECT_THROW(list.AddEdge("B", "0", "0", "9999999", "0", "0", "0", "0", "0"), ERangeError);
    EXPECT_EQ(list.Count(), 1);
}

TEST(PartEdgeList, LookupsAreCaseSensitiveAndIndexOfMissingIsZero) {
    TPartEdgeList list;
    EXPECT_EQ(list.FindByLabel("Glass"), nullptr);
    EXPECT_EQ(list.IndexOfLabel("Glass"), 0);
    list.AddEdge("Oak", "0", "0", "0", "0", "0", "0", "0", "0");
    auto glass = list.AddEdge("Glass", "1", "0", "0", "0", "0", "0", "0", "0");
    list.AddEdge("Glass", "2", "0", "0", "0", "0", "0", "0", "0");
    EXPECT_EQ(list.FindByLabel("Glass"), glass);
    EXPECT_EQ(list.FindByLabel("glass"), nullptr);
    EXPECT_EQ(list.IndexOfLabel("Glass"), 1);
    EXPECT_EQ(list.IndexOfLabel("glass"), 0);
}

TEST(PartEdgeList, DeletingOrClearingNeverFreesARecordAPieceUses) {
    TPartEdgeList list;
    list.AddEdge("Oak", "0", "0", "0", "0", "0", "0", "0", "0");
    list.AddEdge("Glass", "1", "1", "1", "1", "0", "0", "0", "0");
    T2DStock piece;
    piece.Edge = list.FindByLabel("Glass");
    T2DStock copy = T2DStock::CreateCopy(piece);
    list.DeleteEdge(1);
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list.GetEdge(0)->Label, "Oak");
    list.ClearEdges();
    EXPECT_EQ(list.Count(), 0);
    ASSERT_TRUE(piece.Edge);
    EXPECT_EQ(piece.Edge->Label, "Glass");
    EXPECT_EQ(copy.Edge, piece.Edge);  // copies share the record
    EXPECT_EQ(copy.Edge->GL, 1000);
    EXPECT_THROW(list.GetEdge(0), EListError);
    EXPECT_THROW(list.DeleteEdge(-1), EListError);
}

TEST_F(PartEdgeFile, MissingFileOrCountZeroGivesOneEmptyEdgeTypeAndHugeCountIsCapped) {
    const struct {
        const char* Text;  // nullptr: no file
        int Count;
    } cases[] = {{nullptr, 1},
                 {"[EDGETYPECOUNT]\r\nCOUNT=0\r\n[EDGETYPE0]\r\nLABEL=Oak\r\nGT=5\r\n", 1},
                 {"[EDGETYPECOUNT]\r\nCOUNT=2000000000\r\n", MaxEdgeTypes}};
    for (const auto& c : cases) {
        TPartEdgeList list;
        list.LoadFromIni(c.Text ? Write("e.edg", c.Text) : PathOf("none.edg"));
        ASSERT_EQ(list.Count(), c.Count);
        ExpectNotApplicable(*list.GetEdge(0));
    }
}

TEST_F(PartEdgeFile, MissingSectionsAndKeysReadAsDefaults) {
    TPartEdgeList list;
    list.AddEdge("Mine", "0", "0", "0", "0", "0", "0", "0", "0");  // loading appends
    list.LoadFromIni(Write("two.edg",
                           "[EDGETYPECOUNT]\r\nCOUNT=2\r\n"
                           "[EDGETYPE0]\r\nLABEL=Oak\r\nGT=1/16\r\nbr=2\r\n"));
    ASSERT_EQ(list.Count(), 3);
    const auto oak = list.GetEdge(1);
    EXPECT_EQ(oak->Label, "Oak");
    EXPECT_EQ(oak->GT, 62);
    EXPECT_EQ(oak->BR, 2000);  // keys match in any letter case
    EXPECT_EQ(oak->GB, 0);
    EXPECT_EQ(oak->GBText, "0");
    ExpectNotApplicable(*list.GetEdge(2));
}

TEST_F(PartEdgeFile, SaveWritesTypedTextsInKeyOrder) {
    TPartEdgeList list;
    list.AddEdge("Oak", "1/16", "0", "0.5", "0", "0", "0", "0", "2");
    const std::string path = PathOf("out.edg");
    list.SaveToIni(path);
    EXPECT_EQ(ReadText(path),
              "[EDGETYPECOUNT]\r\nCOUNT=1\r\n\r\n"
              "[EDGETYPE0]\r\nLABEL=Oak\r\nGT=1/16\r\nGB=0\r\nGL=0.5\r\nGR=0\r\n"
              "BT=0\r\nBB=0\r\nBL=0\r\nBR=2\r\n\r\n");
}

TEST_F(PartEdgeFile, ShorterSaveLeavesStaleSectionsThatAreIgnored) {
    const std::string path = PathOf("default.edg");
    TPartEdgeList three;
    three.AddEdge("A", "1", "0", "0", "0", "0", "0", "0", "0");
    three.AddEdge("B", "2", "0", "0", "0", "0", "0", "0", "0");
    three.AddEdge("C", "3", "0", "0", "0", "0", "0", "0", "0");
    three.SaveToIni(path);

    TPartEdgeList two;
    two.AddEdge("X", "7", "0", "0", "0", "0", "0", "0", "0");
    two.AddEdge("Y", "8", "0", "0", "0", "0", "0", "0", "0");
    two.SaveToIni(path);

    const platform::TIniFile ini(path);
    EXPECT_EQ(ini.ReadInteger("EDGETYPECOUNT", "COUNT", -1), 2);
    EXPECT_EQ(ini.ReadString("EDGETYPE1", "LABEL", ""), "Y");
    EXPECT_EQ(ini.ReadString("EDGETYPE2", "LABEL", ""), "C");

    TPartEdgeList back;
    back.LoadFromIni(path);
    ASSERT_EQ(back.Count(), 2);
    EXPECT_EQ(back.GetEdge(0)->Label, "X");
    EXPECT_EQ(back.GetEdge(1)->GT, 8000);
}

TEST_F(PartEdgeFile, FailedSaveIsReported) {
    TPartEdgeList list;
    list.AddEdge("Oak", "0", "0", "0", "0", "0", "0", "0", "0");
    EXPECT_THROW(list.SaveToIni(PathOf("no/such/folder/x.edg")), platform::IniWriteError);
}

}  // namespace
