// Conversion between typed lengths and internal units.
//
// Every length is a 32-bit integer equal to the user's value times the scale
// (1000 for three decimals). Texts are read and written with "." as decimal
// separator, whatever the process locale.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

class TPubFunc {
public:
    TPubFunc() = default;

    // Parses S (blank or empty counts as 0) with up to four decimals, times
    // the scale, rounded half to even. Throws EConvertError for a text that
    // is not a number and ERangeError when the result does not fit 32 bits.
    std::int32_t StrToUnits(std::string_view S) const;
    // V / scale rounded to four decimals, shortest text ("1.5", "3", "-0.25").
    std::string UnitsToStr(std::int32_t V) const;
    // A / scale^2 in the same form.
    std::string AreaToStr(double A) const;
    // D / scale in the same form.
    std::string FloatUnitsToStr(double D) const;

    // 0..3 for the scales 1, 10, 100, 1000; -1 otherwise.
    std::int32_t GetDecimals() const;
    // Scale 1, 10, 100, 1000 for N = 0..3; -1 for any other N.
    void SetDecimals(std::int32_t N);

    std::int32_t Scale() const { return FScale; }

private:
    std::int32_t FScale = 1000;
};

// The program's length converter.
extern TPubFunc PubFunc;

// Decimal text of a typed fraction or mixed fraction ("1 1/2" -> "1.5",
// "3/4" -> "0.75"). Plain texts pass through trimmed; malformed fractions give
// an empty text, "[]" for a zero denominator, or "[" + conversion message + "]".
// Never throws.
void FractionToDecimalStr(std::string_view S, std::string& Result);

// Parses a decimal text into ten-thousandths (four-decimal fixed point),
// rounding further decimals half to even. Throws EConvertError.
std::int64_t StrToFixed4(std::string_view S);
// Shortest decimal text of a ten-thousandths value.
std::string Fixed4ToStr(std::int64_t V);

// Restores the converter to its start-up scale.
void ResetPubFuncDefaults();
