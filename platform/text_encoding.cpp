#include "platform/text_encoding.h"

namespace platform {

namespace {

// Windows-1252 bytes 0x80 to 0x9F; the five the code page leaves unassigned
// stand for the control characters of the same number.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// The character of well-formed UTF-8 starting at S[I], I moved past it; or
// nothing (I unchanged) when the bytes there are not well-formed UTF-8.
bool NextUtf8(std::string_view S, std::size_t& I, char32_t& C) {
    const auto b = [&](std::size_t k) { return static_cast<unsigned char>(S[k]); };
    const unsigned char lead = b(I);
    if (lead < 0x80) {
        C = lead;
        ++I;
        return true;
    }
    // Continuation bytes, least value and the lead byte's bits by the lead's form.
    std::size_t n;
    char32_t min;
    if ((lead & 0xE0) == 0xC0) {
        n = 1, min = 0x80, C = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        n = 2, min = 0x800, C = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        n = 3, min = 0x10000, C = lead & 0x07;
    } else {
        return false;
    }
    if (I + n >= S.size()) return false;
    for (std::size_t k = 1; k <= n; ++k) {
        if ((b(I + k) & 0xC0) != 0x80) return false;
        C = (C << 6) | (b(I + k) & 0x3F);
    }
    // Overlong forms, UTF-16 surrogates and values beyond Unicode are not UTF-8.
    if (C < min || C > 0x10FFFF || (C >= 0xD800 && C <= 0xDFFF)) return false;
    I += n + 1;
    return true;
}

}  // namespace

bool IsUtf8(std::string_view S) {
    char32_t c;
    for (std::size_t i = 0; i < S.size();)
        if (!NextUtf8(S, i, c)) return false;
    return true;
}

std::u32string TextCharacters(std::string_view S) {
    std::u32string out;
    out.reserve(S.size());
    if (IsUtf8(S)) {
        char32_t c;
        for (std::size_t i = 0; i < S.size();) {
            NextUtf8(S, i, c);
            out += c;
        }
    } else {
        for (char ch : S) {
            const auto b = static_cast<unsigned char>(ch);
            out += (b >= 0x80 && b < 0xA0) ? char32_t(kCp1252High[b - 0x80]) : char32_t(b);
        }
    }
    return out;
}

int Windows1252Byte(char32_t C) {
    if (C < 0x80 || (C >= 0xA0 && C <= 0xFF)) return static_cast<int>(C);
    for (int i = 0; i < 32; ++i)
        if (kCp1252High[i] == C && C >= 0x100) return 0x80 + i;
    return -1;
}

void AppendUtf8(std::string& Out, char32_t C) {
    const auto put = [&](unsigned v) { Out += static_cast<char>(v); };
    if (C < 0x80) {
        put(C);
    } else if (C < 0x800) {
        put(0xC0 | (C >> 6));
        put(0x80 | (C & 0x3F));
    } else if (C < 0x10000) {
        put(0xE0 | (C >> 12));
        put(0x80 | ((C >> 6) & 0x3F));
        put(0x80 | (C & 0x3F));
    } else {
        put(0xF0 | (C >> 18));
        put(0x80 | ((C >> 12) & 0x3F));
        put(0x80 | ((C >> 6) & 0x3F));
        put(0x80 | (C & 0x3F));
    }
}

std::string TextAsUtf8(std::string_view S) {
    if (IsUtf8(S)) return std::string(S);
    std::string out;
    for (char32_t c : TextCharacters(S)) AppendUtf8(out, c);
    return out;
}

}  // namespace platform
