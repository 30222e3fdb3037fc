#include <gtest/gtest.h>

#include "engine/defaults.h"
#include "engine/pubstr.h"

// From the start seed 479 every call draws from the state before it and
// keeps only the low 16 bits of the next; a range of 1 still advances.
TEST(PubRandom, FixedSequenceFromStartSeed) {
    const struct {
        std::int32_t Range, Value;
        std::int64_t Seed;
    } draws[] = {{1000, 602, 54566}, {1000, 388, 14161}, {1000, 514, 31952}};
    for (std::int32_t range : {1000, 1}) {
        PubRandSeed = 479;
        for (const auto& d : draws) {
            EXPECT_EQ(PubRandom(range), range == 1 ? 0 : d.Value);
            EXPECT_EQ(PubRandSeed, d.Seed);
        }
    }
}

TEST(PubRandom, ZeroRangeIsAnErrorNotACrash) { EXPECT_THROW(PubRandom(0), std::domain_error); }

// Skipping ends where as many calls end, from the start seed, from a seed
// above 16 bits and from every count up to a few hundred and beyond.
TEST(PubRandom, SkipEndsWhereTheCallsEnd) {
    for (std::int64_t start : {std::int64_t{479}, std::int64_t{0}, std::int64_t{65535},
                               std::int64_t{1234567891}}) {
        for (std::int64_t count : {0, 1, 2, 3, 7, 64, 255, 256, 1000, 65536, 100003}) {
            PubRandSeed = start;
            for (std::int64_t k = 0; k < count; ++k) PubRandom(7);
            const std::int64_t called = PubRandSeed;
            PubRandSeed = start;
            PubRandomSkip(count);
            ASSERT_EQ(PubRandSeed, called) << start << " " << count;
        }
    }
}

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
    // A message of many lines breaks them with CR LF.
    EXPECT_EQ(MsgCantGetResult.rfind("Not enough material for the requested parts, optimalization "
                                     "incomplete\r\nCan't Get result, because of\r\n",
                                     0),
              0u);
    EXPECT_EQ(std::count(MsgCantGetResult.begin(), MsgCantGetResult.end(), '\n'), 8);
}

TEST(PubDefaults, StringTableReachesTheVariables) {
    for (const auto& e : PubStringTable())
        if (std::string(e.Name) == "OffcutCaption") *e.Value = "Rest";
    EXPECT_EQ(OffcutCaption, "Rest");
}
