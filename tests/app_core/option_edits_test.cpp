#include "app/core/option_edits.h"

#include <gtest/gtest.h>

#include "engine/pubstr.h"

TEST(OptionEdits, MinimumOffcutSizesAreTakenWhenValidAndKeptOtherwise) {
    TErrorLocation err;
    ASSERT_TRUE(MinOffcutEditDone("12.5", false, err));
    EXPECT_EQ(MinScrapLength, 12500);
    for (const char* bad : {"-1", "1 1/2", "abc"}) {
        EXPECT_FALSE(MinOffcutEditDone(bad, false, err)) << bad;
        EXPECT_EQ(MinScrapLength, 12500);
    }
    EXPECT_EQ(err.Control, "EditMinOffcutLength1");
    EXPECT_NE(err.Message.find(MsgMinScrapLengthFormatInvalid), std::string::npos);
    ASSERT_TRUE(MinOffcutEditDone("", true, err));  // empty is 0
    EXPECT_EQ(MinScrapWidth, 0);
}

// A click on a cut mode switches the mode at once; an index beyond the three
// modes changes nothing.
TEST(OptionEdits, CutModeClickSwitchesTheModeAtOnce) {
    const struct {
        int Index;
        int Shown;
        bool Guillotine, Rolling;
    } cases[] = {{kCutModeRolling, kCutModeRolling, false, true},
                 {kCutModeNested, kCutModeNested, false, false},
                 {kCutModeGuillotine, kCutModeGuillotine, true, false},
                 {3, kCutModeGuillotine, true, false},
                 {-1, kCutModeGuillotine, true, false}};
    TOptionPage page;
    for (const auto& c : cases) {
        RadioGroupCutModeClick(page, c.Index);
        EXPECT_EQ(page.RadioGroupCutMode, c.Shown) << c.Index;
        EXPECT_EQ(GuillotineMode, c.Guillotine) << c.Index;
        EXPECT_EQ(RollingMode, c.Rolling) << c.Index;
    }
}
