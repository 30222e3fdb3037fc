#include "engine/textfmt.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <limits>
#include <vector>

#include "engine/errors.h"

namespace {

std::string NumberText(std::int64_t v) {
    char buf[32];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

std::string FixedText(double v, int decimals) {
    char buf[512];
    auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals);
    if (r.ec != std::errc()) return FloatToStr(v);
    return std::string(buf, r.ptr);
}

struct Field {
    bool left = false;
    std::size_t width = 0;
    int precision = -1;
    char conv = 's';
};

std::string Render(const Field& field, const FmtArg& arg) {
    const auto& v = arg.value();
    switch (field.conv) {
        case 'd':
            if (auto* i = std::get_if<std::int64_t>(&v)) return NumberText(*i);
            if (auto* d = std::get_if<double>(&v)) return NumberText(static_cast<std::int64_t>(*d));
            return std::string(std::get<std::string_view>(v));
        case 'f':
            if (auto* d = std::get_if<double>(&v))
                return FixedText(*d, field.precision < 0 ? 6 : field.precision);
            if (auto* i = std::get_if<std::int64_t>(&v))
                return FixedText(static_cast<double>(*i), field.precision < 0 ? 6 : field.precision);
            return std::string(std::get<std::string_view>(v));
        default:
            if (auto* s = std::get_if<std::string_view>(&v)) {
                // A precision on %s is a maximum length, as in printf.
                if (field.precision >= 0 && s->size() > static_cast<std::size_t>(field.precision))
                    return std::string(s->substr(0, field.precision));
                return std::string(*s);
            }
            if (auto* i = std::get_if<std::int64_t>(&v)) return NumberText(*i);
            return FloatToStr(std::get<double>(v));
    }
}

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

}  // namespace

std::string Format(std::string_view tpl, std::initializer_list<FmtArg> args) {
    std::string out;
    out.reserve(tpl.size() + 16);
    auto next = args.begin();
    for (std::size_t i = 0; i < tpl.size(); ++i) {
        const char c = tpl[i];
        if (c != '%') {
            out += c;
            continue;
        }
        if (i + 1 < tpl.size() && tpl[i + 1] == '%') {
            out += '%';
            ++i;
            continue;
        }
        Field field;
        std::size_t j = i + 1;
        if (j < tpl.size() && tpl[j] == '-') {
            field.left = true;
            ++j;
        }
        while (j < tpl.size() && std::isdigit(static_cast<unsigned char>(tpl[j])))
            field.width = field.width * 10 + static_cast<std::size_t>(tpl[j++] - '0');
        if (j < tpl.size() && tpl[j] == '.') {
            field.precision = 0;
            ++j;
            while (j < tpl.size() && std::isdigit(static_cast<unsigned char>(tpl[j])))
                field.precision = field.precision * 10 + (tpl[j++] - '0');
        }
        if (j >= tpl.size()) throw EConvertError("Format '" + std::string(tpl) + "' invalid");
        field.conv = static_cast<char>(std::tolower(static_cast<unsigned char>(tpl[j])));
        if (field.conv != 's' && field.conv != 'd' && field.conv != 'f' && field.conv != 'g')
            throw EConvertError("Format '" + std::string(tpl) + "' invalid");
        if (next == args.end())
            throw EConvertError("Format '" + std::string(tpl) + "' invalid or incompatible with argument");
        std::string text = Render(field, *next++);
        out += field.left ? PadRight(text, field.width) : PadLeft(text, field.width);
        i = j;
    }
    return out;
}

std::string PadLeft(std::string_view s, std::size_t width) {
    std::string out;
    if (s.size() < width) out.assign(width - s.size(), ' ');
    out += s;
    return out;
}

std::string PadRight(std::string_view s, std::size_t width) {
    std::string out(s);
    if (out.size() < width) out.append(width - out.size(), ' ');
    return out;
}

std::string IntToStr(std::int64_t v) { return NumberText(v); }

std::string FloatToStr(double v) {
    if (std::isnan(v)) return "NAN";
    if (std::isinf(v)) return v > 0 ? "INF" : "-INF";
    if (v == 0) return "0";
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 15);
    std::string s(buf, r.ptr);
    // "1e+20" -> "1E20", "1e-07" -> "1E-7"
    auto e = s.find('e');
    if (e != std::string::npos) {
        std::string mant = s.substr(0, e);
        std::string ex = s.substr(e + 1);
        bool neg = !ex.empty() && ex[0] == '-';
        if (!ex.empty() && (ex[0] == '+' || ex[0] == '-')) ex.erase(0, 1);
        while (ex.size() > 1 && ex[0] == '0') ex.erase(0, 1);
        s = mant + "E" + (neg ? "-" : "") + ex;
    }
    return s;
}

std::string FloatToStrF(double v, int decimals) { return FixedText(v, decimals); }

std::int32_t StrToInt(std::string_view s) {
    std::string t = Trim(s);
    const char* b = t.data();
    const char* e = b + t.size();
    if (b != e && *b == '+') ++b;
    std::int32_t v = 0;
    auto r = std::from_chars(b, e, v);
    if (t.empty() || r.ec != std::errc() || r.ptr != e)
        throw EConvertError("'" + std::string(s) + "' is not a valid integer value");
    return v;
}

std::int32_t StrToIntDef(std::string_view s, std::int32_t def) {
    try {
        return StrToInt(s);
    } catch (const EConvertError&) {
        return def;
    }
}

double StrToFloat(std::string_view s) {
    std::string t = Trim(s);
    const char* b = t.data();
    const char* e = b + t.size();
    if (b != e && *b == '+') ++b;
    double v = 0;
    auto r = std::from_chars(b, e, v, std::chars_format::general);
    if (t.empty() || r.ec != std::errc() || r.ptr != e || !std::isfinite(v))
        throw EConvertError("'" + std::string(s) + "' is not a valid floating point value");
    return v;
}

double StrToFloatDef(std::string_view s, double def) {
    try {
        return StrToFloat(s);
    } catch (const EConvertError&) {
        return def;
    }
}

std::string Trim(std::string_view s) {
    std::size_t b = 0, e = s.size();
    while (b < e && IsBlank(s[b])) ++b;
    while (e > b && IsBlank(s[e - 1])) --e;
    return std::string(s.substr(b, e - b));
}

std::string UpperCase(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

std::string LowerCase(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

bool SameText(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}
