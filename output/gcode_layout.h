// One layout of the current plan (Optimizer.Best) as a G-code file: the
// layout header as "!" comment lines, the tool paths of circles, ellipses and
// shaped parts, the merged straight cuts of the rectangles in cutting order,
// then a final lift and the return to the origin. With Z moves on, the tool
// is lifted before its first sideways move. The words are plain (no cut or
// plunge prefix, no number suffix, whatever the program holds). Lines end
// CR LF; numbers use "." as decimal separator. Machine Y grows upward from
// the sheet's corner including the trims.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "engine/stock2d.h"

// BaseName + "_" + (LayoutIndex + 1) + Extension ("plan.gnc", 2, ".gnc" gives
// "plan.gnc_3.gnc": the chosen extension stays in the middle).
std::string LayoutFileName(const std::string& BaseName, int LayoutIndex,
                           const std::string& Extension);

// Builds the text of file Name with Build and writes it completely or not at
// all. A failure to write, or a layout too large for its numbers
// (ERangeError), throws platform::IniWriteError naming the file.
void SaveLayoutFile(const std::string& Name, const std::function<std::string()>& Build);

// Whether a placed piece goes into a layout's G-code and DXF drawing: never
// an offcut too small to keep (label prefix ZeroOffcutPrefix), a usable
// offcut (prefix OffcutPrefix) only while LayoutShowOffcuts is on, every
// other piece always.
bool LayoutPieceIsExported(const T2DStock& Piece);

// The lines of the G-code file of layout LayoutIndex (0-based). Rebuilds
// LayoutHeaderLines for it and uses MergeLineSet, whose lines are empty
// afterwards. CutZText and SafeZText are written as given. Throws EListError
// for an index outside the plan.
std::vector<std::string> LayoutGCodeLines(int LayoutIndex, const std::string& CutZText,
                                          const std::string& SafeZText);

// Writes the G-code file of layout LayoutIndex as LayoutFileName(BaseName,
// LayoutIndex, ".gnc"), completely or not at all, and sets OutName to that
// name. Throws platform::IniWriteError naming the file when it cannot be
// written (OutName is then unchanged), EListError for a bad index.
void SaveLayoutGCode(const std::string& BaseName, const std::string& CutZText,
                     const std::string& SafeZText, std::string& OutName, int LayoutIndex);
