// How the program's texts become characters. The texts are bytes as files
// and the user gave them, shown by one rule: bytes that are valid UTF-8 are
// UTF-8; any other bytes are Windows-1252, every one of the 256 standing for a
// character (so files written on Windows keep reading right). What the user
// types is stored as UTF-8. A text read from a file and not changed keeps its
// bytes. Every place that shows a text, or writes it where an encoding is
// declared (the window, the HTML report, DXF drawings), goes through here.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// True when S is well-formed UTF-8 (ASCII is).
bool IsUtf8(std::string_view S);
// The characters of S by that rule.
std::u32string TextCharacters(std::string_view S);
// S by that rule as UTF-8: S itself when it is UTF-8 already.
std::string TextAsUtf8(std::string_view S);
// The Windows-1252 byte of the character C, or -1 when the code page has
// none (the five bytes it leaves unassigned stand for no character there).
int Windows1252Byte(char32_t C);
// Appends the UTF-8 form of the character C.
void AppendUtf8(std::string& Out, char32_t C);

}  // namespace platform
