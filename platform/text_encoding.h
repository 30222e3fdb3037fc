// The program keeps its texts as bytes. Where they must become UTF-8 (on
// screen, in a workbook) one rule holds: bytes that are valid UTF-8 are taken
// as UTF-8, any other text as Windows-1252, the code page that list files
// written on Windows hold.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// True when Text is well-formed UTF-8 (no overlong forms, no surrogates,
// nothing beyond U+10FFFF).
bool IsValidUtf8(std::string_view Text);

// Each byte of Text as its Windows-1252 character in UTF-8 (the five bytes
// that code page leaves undefined become the control characters of the same
// number, as Windows maps them).
std::string Windows1252ToUtf8(std::string_view Text);

// Text as UTF-8 by the rule above: valid UTF-8 unchanged, else Windows-1252.
std::string BytesToUtf8(std::string_view Text);

// Appends code point Code (at most U+10FFFF, no surrogate) as UTF-8.
void AppendUtf8(std::string& Out, char32_t Code);

}  // namespace platform
