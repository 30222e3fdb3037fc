#include "engine/pubfunc.h"

#include <cmath>
#include <limits>

#include "engine/errors.h"
#include "engine/numeric.h"
#include "engine/textfmt.h"

TPubFunc PubFunc;

void ResetPubFuncDefaults() { PubFunc = TPubFunc(); }

namespace {

constexpr std::int64_t kFixedMax = std::numeric_limits<std::int64_t>::max() / 10;

[[noreturn]] void NotANumber(std::string_view s) {
    throw EConvertError("'" + std::string(s) + "' is not a valid floating point value");
}

// Rounds Num / Den to the nearest integer, halves to even. Den > 0.
std::int64_t DivRoundHalfEven(__int128 num, __int128 den) {
    __int128 q = num / den;
    __int128 r = num % den;
    if (r < 0) {
        r += den;
        q -= 1;
    }
    // now num = q*den + r with 0 <= r < den
    if (2 * r > den || (2 * r == den && (q & 1) != 0)) q += 1;
    if (q > std::numeric_limits<std::int64_t>::max() || q < std::numeric_limits<std::int64_t>::min())
        throw ERangeError();
    return static_cast<std::int64_t>(q);
}

std::int64_t DoubleToFixed4(double d) {
    const double x = d * 10000.0;
    if (!std::isfinite(x) || std::fabs(x) >= 9.2e18) throw ERangeError();
    return Round64(x);
}

}  // namespace

std::int64_t StrToFixed4(std::string_view s) {
    const std::string t = Trim(s);
    std::size_t i = 0;
    bool neg = false;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) neg = t[i++] == '-';
    // The value is Digits (leading zeros dropped) times ten to the power Power;
    // digits are kept as text, so that no length of text can overflow.
    std::string digits;
    std::int64_t power = 0;
    bool any = false, dot = false;
    for (; i < t.size(); ++i) {
        const char c = t[i];
        if (c >= '0' && c <= '9') {
            any = true;
            if (dot) --power;
            if (!digits.empty() || c != '0') digits += c;
        } else if (c == '.' && !dot) {
            dot = true;
        } else {
            break;
        }
    }
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E') && any) {
        ++i;
        bool eneg = false;
        if (i < t.size() && (t[i] == '+' || t[i] == '-')) eneg = t[i++] == '-';
        std::int64_t exponent = 0;
        bool edig = false;
        while (i < t.size() && t[i] >= '0' && t[i] <= '9') {
            edig = true;
            if (exponent < 1000000) exponent = exponent * 10 + (t[i] - '0');
            ++i;
        }
        if (!edig) NotANumber(s);
        power += eneg ? -exponent : exponent;
    }
    if (!any || i != t.size()) NotANumber(s);
    if (digits.empty()) return 0;

    // In ten-thousandths: the whole part is the first WholeDigits digits.
    power += 4;
    const std::int64_t wholeDigits = static_cast<std::int64_t>(digits.size()) + power;
    if (wholeDigits > 19) throw ERangeError();
    std::uint64_t q = 0;
    const std::size_t kept = wholeDigits > 0 ? static_cast<std::size_t>(wholeDigits) : 0;
    for (std::size_t k = 0; k < kept; ++k) q = q * 10 + (k < digits.size() ? digits[k] - '0' : 0);
    if (kept < digits.size()) {
        // Round the dropped digits, halves to the even neighbour (a value below a
        // tenth of the last kept place rounds down).
        const bool belowFirst = wholeDigits < 0;
        const char first = belowFirst ? '0' : digits[kept];
        const bool more =
            digits.find_first_not_of('0', belowFirst ? 0 : kept + 1) != std::string::npos;
        if (first > '5' || (first == '5' && (more || (q & 1) != 0))) ++q;
    }
    if (q > static_cast<std::uint64_t>(kFixedMax)) throw ERangeError();
    const auto v = static_cast<std::int64_t>(q);
    return neg ? -v : v;
}

std::string Fixed4ToStr(std::int64_t v) {
    const bool neg = v < 0;
    const std::uint64_t a = neg ? 0 - static_cast<std::uint64_t>(v) : static_cast<std::uint64_t>(v);
    std::string s = std::to_string(a / 10000);
    std::uint64_t frac = a % 10000;
    if (frac != 0) {
        std::string f = std::to_string(frac);
        f.insert(0, 4 - f.size(), '0');
        while (!f.empty() && f.back() == '0') f.pop_back();
        s += "." + f;
    }
    return neg ? "-" + s : s;
}

std::int32_t TPubFunc::StrToUnits(std::string_view S) const {
    std::string t = Trim(S);
    if (t.empty()) t = "0";
    const std::int64_t fixed = StrToFixed4(t);
    const std::int64_t v = DivRoundHalfEven(static_cast<__int128>(fixed) * FScale, 10000);
    return CheckedInt32(v);
}

std::string TPubFunc::UnitsToStr(std::int32_t V) const {
    if (FScale == 0) throw ERangeError();
    __int128 num = static_cast<__int128>(V) * 10000;
    __int128 den = FScale;
    if (den < 0) {
        num = -num;
        den = -den;
    }
    return Fixed4ToStr(DivRoundHalfEven(num, den));
}

std::string TPubFunc::AreaToStr(double A) const {
    const double s = static_cast<double>(FScale);
    return Fixed4ToStr(DoubleToFixed4(A / (s * s)));
}

std::string TPubFunc::FloatUnitsToStr(double D) const {
    return Fixed4ToStr(DoubleToFixed4(D / static_cast<double>(FScale)));
}

std::int32_t TPubFunc::GetDecimals() const {
    switch (FScale) {
        case 1: return 0;
        case 10: return 1;
        case 100: return 2;
        case 1000: return 3;
        default: return -1;
    }
}

void TPubFunc::SetDecimals(std::int32_t N) {
    switch (N) {
        case 0: FScale = 1; break;
        case 1: FScale = 10; break;
        case 2: FScale = 100; break;
        case 3: FScale = 1000; break;
        default: FScale = -1; break;
    }
}

void FractionToDecimalStr(std::string_view S, std::string& Result) {
    const std::string t = Trim(S);
    const auto blank = t.find(' ');
    const auto slash = t.find('/');
    if (blank == std::string::npos && slash == std::string::npos) {
        Result = t;
        return;
    }
    if (slash == std::string::npos || (blank != std::string::npos && slash < blank)) {
        Result.clear();
        return;
    }
    const std::string whole = blank == std::string::npos ? "0" : t.substr(0, blank);
    const std::string rest = blank == std::string::npos ? t : t.substr(blank + 1);
    const auto s2 = rest.find('/');
    try {
        const std::int32_t w = StrToInt(whole);
        const std::int32_t n = StrToInt(rest.substr(0, s2));
        const std::int32_t d = StrToInt(rest.substr(s2 + 1));
        if (d == 0) {
            Result = "[]";
            return;
        }
        Result = FloatToStr(static_cast<double>(w) + static_cast<double>(n) / d);
    } catch (const EConvertError& e) {
        Result = std::string("[") + e.what() + "]";
    }
}
