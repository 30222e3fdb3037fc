#include <gtest/gtest.h>

#include "engine/errors.h"
#include "engine/textfmt.h"

TEST(Format, AlignmentNeverCuts) {
    EXPECT_EQ(Format("%15s|", {"abc"}), "            abc|");
    EXPECT_EQ(Format("%-6s|", {"abc"}), "abc   |");
    EXPECT_EQ(Format("%3s|", {"abcdef"}), "abcdef|");
    EXPECT_EQ(Format("%5d|%-4d|", {42, 7}), "   42|7   |");
    EXPECT_EQ(Format("100%% %s", {std::string("done")}), "100% done");
    EXPECT_EQ(Format("%s", {12}), "12");
    EXPECT_EQ(Format("%8.3f", {3.14159}), "   3.142");
}

TEST(Format, TooFewArgumentsIsAnError) {
    EXPECT_THROW(Format("%s %s", {"a"}), EConvertError);
    EXPECT_THROW(Format("%q", {"a"}), EConvertError);
}

TEST(FloatToStr, GeneralForm) {
    EXPECT_EQ(FloatToStr(1.5), "1.5");
    EXPECT_EQ(FloatToStr(3.0), "3");
    EXPECT_EQ(FloatToStr(-0.25), "-0.25");
    EXPECT_EQ(FloatToStr(1e20), "1E20");
    EXPECT_EQ(FloatToStr(0.1 + 0.2), "0.3");
}

TEST(TextHelpers, ParsingAndCase) {
    EXPECT_EQ(StrToInt(" 42 "), 42);
    EXPECT_EQ(StrToInt("+7"), 7);
    EXPECT_THROW(StrToInt("4x"), EConvertError);
    EXPECT_THROW(StrToInt("99999999999"), EConvertError);
    EXPECT_EQ(StrToIntDef("", -1), -1);
    EXPECT_DOUBLE_EQ(StrToFloat("2.5e2"), 250.0);
    EXPECT_THROW(StrToFloat("2,5"), EConvertError);
    EXPECT_TRUE(SameText("Option", "OPTION"));
    EXPECT_FALSE(SameText("Option", "Options"));
    EXPECT_EQ(Trim("\t a b \r\n"), "a b");
}
