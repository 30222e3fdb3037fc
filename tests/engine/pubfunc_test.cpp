#include "engine/pubfunc.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <locale>

#include "engine/errors.h"
#include "engine/numeric.h"
#include "engine/textfmt.h"

TEST(StrToUnits, DecimalsRoundHalfToEvenAndBadTextsAreRefused) {
    const struct {
        const char* Text;
        int Units;
    } good[] = {{"12.5", 12500},
                {"", 0},
                {"   ", 0},
                {"0.0005", 0},
                {"0.0015", 2},
                {"0.0025", 2},
                {" -3.25 ", -3250},
                {"0.00049", 0},
                {"1.23456", 1235},  // more than four decimals first round to four
                {"2147483.647", 2147483647}};
    for (const auto& c : good) EXPECT_EQ(PubFunc.StrToUnits(c.Text), c.Units) << c.Text;
    for (const char* bad : {"abc", "12,5", "1 1/2", "[]", "-"})
        EXPECT_THROW(PubFunc.StrToUnits(bad), EConvertError) << bad;
    EXPECT_THROW(PubFunc.StrToUnits("3000000"), ERangeError);  // 3e9 units
    EXPECT_THROW(PubFunc.StrToUnits("99999999999999999999999"), std::exception);
}

namespace {
struct CommaPunct : std::numpunct<char> {
    char do_decimal_point() const override { return ','; }
};
}  // namespace

TEST(StrToUnits, IndependentOfProcessLocale) {
    // Under a comma locale the program still reads and writes ".".
    const std::locale savedGlobal =
        std::locale::global(std::locale(std::locale::classic(), new CommaPunct));
    EXPECT_EQ(PubFunc.StrToUnits("12.5"), 12500);
    EXPECT_EQ(PubFunc.UnitsToStr(1500), "1.5");
    EXPECT_EQ(Format("%.2f|%s", {2.5, 0.75}), "2.50|0.75");
    std::locale::global(savedGlobal);
    const char* old = std::setlocale(LC_ALL, nullptr);
    std::string saved = old ? old : "C";
    bool haveComma = std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
    EXPECT_EQ(PubFunc.StrToUnits("12.5"), 12500);
    EXPECT_EQ(PubFunc.UnitsToStr(1500), "1.5");
    EXPECT_EQ(FloatToStr(0.75), "0.75");
    EXPECT_EQ(Format("%.2f", {2.5}), "2.50");
    std::setlocale(LC_ALL, saved.c_str());
    if (!haveComma) GTEST_SKIP() << "de_DE.UTF-8 not installed; checked under the C locale only";
}

TEST(UnitsToStr, ShortestText) {
    EXPECT_EQ(PubFunc.UnitsToStr(1500), "1.5");
    EXPECT_EQ(PubFunc.UnitsToStr(3000), "3");
    EXPECT_EQ(PubFunc.UnitsToStr(-250), "-0.25");
    EXPECT_EQ(PubFunc.UnitsToStr(0), "0");
    EXPECT_EQ(PubFunc.UnitsToStr(1), "0.001");
    EXPECT_EQ(PubFunc.AreaToStr(2500000.0), "2.5");
    EXPECT_EQ(PubFunc.FloatUnitsToStr(1234.5), "1.2345");
    // a 3000 x 2000 sheet in units, area in square units
    EXPECT_EQ(PubFunc.AreaToStr(3000000.0 * 2000000.0), "6000000");
}

TEST(Decimals, ScalesAndInvalid) {
    TPubFunc f;
    EXPECT_EQ(f.GetDecimals(), 3);
    f.SetDecimals(1);
    EXPECT_EQ(f.GetDecimals(), 1);
    EXPECT_EQ(f.StrToUnits("2.25"), 22);  // 22.5 -> 22
    EXPECT_EQ(f.UnitsToStr(25), "2.5");
    f.SetDecimals(4);
    EXPECT_EQ(f.GetDecimals(), -1);
}

TEST(FractionToDecimalStr, MixedFractionsAndMalformedInput) {
    const struct {
        const char* In;
        const char* Out;
    } cases[] = {{"1 1/2", "1.5"},
                 {"3/4", "0.75"},
                 {"  12.5  ", "12.5"},
                 {"2 3", ""},
                 {"1/2 3", ""},
                 {"1 1/0", "[]"},
                 {"a 1/2", "['a' is not a valid integer value]"},
                 {"1/16", "0.0625"},
                 {"1/3", "0.333333333333333"}};
    std::string r;
    for (const auto& c : cases) {
        FractionToDecimalStr(c.In, r);
        EXPECT_EQ(r, c.Out) << c.In;
    }
    EXPECT_EQ(PubFunc.StrToUnits("0.0625"), 62);  // 62.5 rounds to the even 62
}

TEST(Round32, HalvesToEvenAndRange) {
    EXPECT_EQ(Round32(0.5), 0);
    EXPECT_EQ(Round32(1.5), 2);
    EXPECT_EQ(Round32(2.5), 2);
    EXPECT_EQ(Round32(-2.5), -2);
    EXPECT_EQ(Round32(-0.6), -1);
    EXPECT_EQ(Round32(2147483647.4), 2147483647);
    EXPECT_THROW(Round32(2147483647.6), ERangeError);
    EXPECT_THROW(Round32(std::nan("")), ERangeError);
    EXPECT_THROW(CheckedInt32(3000000000LL), ERangeError);
    try {
        Round32(1e12);
        FAIL() << "not refused";
    } catch (const ERangeError& e) {
        EXPECT_STREQ(e.what(), "Range check error");
    }
}

TEST(ClampToUnit, Bounds) {
    EXPECT_EQ(ClampToUnit(1.0000001), 1.0);
    EXPECT_EQ(ClampToUnit(-3), -1.0);
    EXPECT_EQ(ClampToUnit(0.5), 0.5);
}

TEST(StrToFixed4, AnyLengthOfDigitsIsExactOrOutOfRange) {
    const std::string zeros(400, '0');
    const struct {
        std::string Text;
        std::int64_t Fixed;  // -1: out of range
    } cases[] = {
        {"7000000000000000000000000000000e16", -1},  // once wrapped round to a small length
        {"7e46", -1},
        {std::string(60, '9'), -1},
        {"1" + zeros, -1},
        {"-1" + zeros + ".5", -1},
        {"92233720368547.7581", -1},  // just above the largest value
        {"92233720368547.758", 922337203685477580},
        {zeros + "12.5", 125000},
        {"0." + zeros + "1e401", 10000},
        {"1." + zeros + "1", 10000},
        {"0.00005" + zeros + "1", 1},  // above the half: up
        {"0.00005" + zeros, 0},        // the half: to even
        {"0.00015", 2},
        {"1e-" + zeros + "5", 0},
        {"1e9999999999", -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Text.substr(0, 40));
        if (c.Fixed < 0) {
            try {
                StrToFixed4(c.Text);
                ADD_FAILURE() << "not refused";
            } catch (const ERangeError& e) {
                EXPECT_STREQ(e.what(), "Range check error");
            }
        } else {
            EXPECT_EQ(StrToFixed4(c.Text), c.Fixed);
        }
    }
    EXPECT_THROW(PubFunc.StrToUnits(std::string(40, '7')), ERangeError);
}
