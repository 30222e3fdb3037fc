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
