// Small text helpers for the program's fixed-width texts and number output.
// Numbers always use "." as decimal separator, whatever the process locale.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <variant>

// One argument of Format: a text, a whole number or a floating-point number.
class FmtArg {
public:
    FmtArg(const std::string& s) : v_(std::string_view(s)) {}
    FmtArg(std::string_view s) : v_(s) {}
    FmtArg(const char* s) : v_(std::string_view(s)) {}
    FmtArg(int v) : v_(static_cast<std::int64_t>(v)) {}
    FmtArg(long v) : v_(static_cast<std::int64_t>(v)) {}
    FmtArg(long long v) : v_(static_cast<std::int64_t>(v)) {}
    FmtArg(unsigned v) : v_(static_cast<std::int64_t>(v)) {}
    FmtArg(double v) : v_(v) {}
    const std::variant<std::string_view, std::int64_t, double>& value() const { return v_; }

private:
    std::variant<std::string_view, std::int64_t, double> v_;
};

// printf-style formatting of a report template: %s, %d, %f, %g and %% with an
// optional "-" (left-align), width and precision ("%15s" right-aligns,
// "%-20s" left-aligns, "%.2f"). Nothing is ever cut to the width. A %s given a
// number prints the number; a %d given a text prints the text. Throws
// EConvertError for a template that asks for more arguments than given.
std::string Format(std::string_view Template, std::initializer_list<FmtArg> Args);

// Right-aligns S in Width characters (never cuts).
std::string PadLeft(std::string_view S, std::size_t Width);
// Left-aligns S in Width characters (never cuts).
std::string PadRight(std::string_view S, std::size_t Width);

// Decimal text of a whole number.
std::string IntToStr(std::int64_t V);

// General floating-point text with up to 15 significant digits: no trailing
// zeros, no separator for whole numbers, "E" notation for very large or very
// small values (1E20, 1E-7).
std::string FloatToStr(double V);

// Fixed text with Decimals digits after ".".
std::string FloatToStrF(double V, int Decimals);

// Parses a whole number (optional sign, decimal digits, surrounding blanks
// allowed). Throws EConvertError "'S' is not a valid integer value".
std::int32_t StrToInt(std::string_view S);
// Like StrToInt, returning Default instead of throwing.
std::int32_t StrToIntDef(std::string_view S, std::int32_t Default);

// Parses a decimal number with "." as separator and an optional exponent.
// Throws EConvertError "'S' is not a valid floating point value".
double StrToFloat(std::string_view S);
double StrToFloatDef(std::string_view S, double Default);

// Text without leading and trailing blanks and control characters.
std::string Trim(std::string_view S);
// ASCII upper and lower case.
std::string UpperCase(std::string_view S);
std::string LowerCase(std::string_view S);
// Case-insensitive (ASCII) equality.
bool SameText(std::string_view A, std::string_view B);
