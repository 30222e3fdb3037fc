#include <gtest/gtest.h>

#include "engine/defaults.h"
#include "engine/pubstr.h"

TEST(PubRandom, FixedSequenceFromStartSeed) {
    PubRandSeed = 479;
    EXPECT_EQ(PubRandom(1000), 602);
    EXPECT_EQ(PubRandSeed, 54566);
    EXPECT_EQ(PubRandom(1000), 388);
    EXPECT_EQ(PubRandSeed, 14161);
    EXPECT_EQ(PubRandom(1000), 514);
    EXPECT_EQ(PubRandSeed, 31952);
}

TEST(PubRandom, OneAlwaysZeroButAdvances) {
    PubRandSeed = 479;
    EXPECT_EQ(PubRandom(1), 0);
    EXPECT_EQ(PubRandSeed, 54566);
    EXPECT_EQ(PubRandom(1), 0);
    EXPECT_EQ(PubRandSeed, 14161);
}

TEST(PubRandom, ZeroRangeIsAnErrorNotACrash) { EXPECT_THROW(PubRandom(0), std::domain_error); }

TEST(PubDefaults, ResetRestoresSettingsTextsAndSeed) {
    BladeWidth = 3000;
    RollingMode = false;
    MsgLayoutIsEmpty = "replaced";
    OptimizeNotes.push_back("note");
    DirSheets = "/tmp";
    PubRandom(10);
    ResetProgramDefaults();
    EXPECT_EQ(BladeWidth, 0);
    EXPECT_TRUE(RollingMode);
    EXPECT_EQ(MsgLayoutIsEmpty, "Layout is empty, please click optimize button in Toolbar");
    EXPECT_TRUE(OptimizeNotes.empty());
    EXPECT_TRUE(DirSheets.empty());
    EXPECT_EQ(PubRandSeed, 479);
    EXPECT_EQ(MaxCandidateLayouts, 32768);
    EXPECT_TRUE(FewPartKinds);
    EXPECT_FALSE(FewPiecesMode);
    EXPECT_DOUBLE_EQ(DxfTextHeight, 4.0);
}

TEST(PubDefaults, MultiLineMessageUsesCrLf) {
    EXPECT_EQ(MsgCantGetResult.rfind("Not enough material for the requested parts, optimalization "
                                     "incomplete\r\nCan't Get result, because of\r\n",
                                     0),
              0u);
    EXPECT_EQ(std::count(MsgCantGetResult.begin(), MsgCantGetResult.end(), '\n'), 8);
}

TEST(PubDefaults, StringTableReachesTheVariables) {
    bool found = false;
    for (const auto& e : PubStringTable()) {
        if (std::string(e.Name) == "OffcutCaption") {
            *e.Value = "Rest";
            found = true;
        }
    }
    EXPECT_TRUE(found);
    EXPECT_EQ(OffcutCaption, "Rest");
}
