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

// Bytes as the program shows them: UTF-8 when valid, else Windows-1252.
TEST(TextRule, Utf8WhenValidElseWindows1252) {
    const struct {
        const char* Bytes;
        bool Utf8;
        const char* Shown;  // UTF-8
    } cases[] = {
        {"plain", true, "plain"},
        {"Küche", true, "Küche"},
        {"Кухня", true, "Кухня"},
        {"Tom’s", true, "Tom’s"},
        {"€", true, "€"},
        {"K\xFC" "che", false, "Küche"},
        {"Tom\x92s \x80", false, "Tom’s €"},
        {"\x81\x8D\x8F\x90\x9D", false, "\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D"},  // unassigned in 1252
        {"\xC0\xAF", false, "À¯"},            // overlong "/"
        {"\xED\xA0\x80", false, "í\xC2\xA0€"},  // a UTF-16 half
        {"\xE2\x82", false, "\xC3\xA2\xE2\x80\x9A"},            // cut short
        {"\xF4\x90\x80\x80", false, "ô\xC2\x90€€"},  // beyond U+10FFFF
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsUtf8(c.Bytes), c.Utf8) << c.Bytes;
        EXPECT_EQ(TextAsUtf8(c.Bytes), c.Shown) << c.Bytes;
    }
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    EXPECT_EQ(TextCharacters(all).size(), 256u);  // every byte is one character
    EXPECT_TRUE(IsUtf8(TextAsUtf8(all)));
}
