#include "platform/text_encoding.h"

#include <gtest/gtest.h>

using platform::BytesToUtf8;
using platform::IsValidUtf8;

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
        EXPECT_EQ(IsValidUtf8(c.Bytes), c.Valid) << c.Bytes;
        EXPECT_EQ(BytesToUtf8(c.Bytes), c.Utf8) << c.Bytes;
    }
}
