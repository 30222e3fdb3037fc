#include "platform/text_encoding.h"

#include <gtest/gtest.h>

using namespace platform;

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
        {"K\xFC\x63he", false, "Küche"},
        {"Tom\x92s \x80", false, "Tom’s €"},
        {"\x81\x8D\x8F\x90\x9D", false,
         "\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D"},  // unassigned in 1252
        {"\xC0\xAF", false, "À¯"},                     // overlong "/"
        {"\xED\xA0\x80", false, "í\xC2\xA0€"},         // a UTF-16 half
        {"\xE2\x82", false, "\xC3\xA2\xE2\x80\x9A"},   // cut short
        {"\xF4\x90\x80\x80", false, "ô\xC2\x90€€"},    // beyond U+10FFFF
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
TEST(TextEncoding, ValidUtf8StaysOtherBytesAreWindows1252) {
    const struct {
        std::string Bytes;
        bool Valid;
        std::string Utf8;
    } cases[] = {
        {"plain", true, "plain"},
        {"K\xC3\xBC" "che \xD0\x9A \xE2\x82\xAC \xF0\x9F\x94\xA8", true, "K\xC3\xBC" "che \xD0\x9A \xE2\x82\xAC \xF0\x9F\x94\xA8"},
        {"K\xFC" "che", false, "K\xC3\xBC" "che"},
        {"Tom\x92s \x80 \x96 \x81", false, "Tom\xE2\x80\x99s \xE2\x82\xAC \xE2\x80\x93 \xC2\x81"},
        {"\xC0\xAF", false, "\xC3\x80\xC2\xAF"},                   // overlong form
        {"\xED\xA0\x80", false, "\xC3\xAD\xC2\xA0\xE2\x82\xAC"},  // surrogate
        {"\xF4\x90\x80\x80", false, "\xC3\xB4\xC2\x90\xE2\x82\xAC\xE2\x82\xAC"},  // beyond U+10FFFF
        {"\xE2\x82", false, "\xC3\xA2\xE2\x80\x9A"},               // cut short
    };
    for (const auto& c : cases) {
        EXPECT_EQ(platform::IsUtf8(c.Bytes), c.Valid) << c.Bytes;
        EXPECT_EQ(platform::TextAsUtf8(c.Bytes), c.Utf8) << c.Bytes;
    }
}
