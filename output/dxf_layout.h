// One layout of the current plan (Optimizer.Best) as a DXF drawing: the sheet
// and its usable area, every placed piece with the texts the layout view
// shows, and the layout header as text lines below the sheet. Drawing units
// are the user's units; Y is the negative of the distance from the sheet's top
// edge, so the sheet lies between y = 0 and y = -(its width with the trims).
#pragma once

#include <string>

#include "engine/dxfout.h"

// The drawing of layout LayoutIndex (0-based). Rebuilds LayoutHeaderLines for
// it. Throws EListError for an index outside the plan.
TDXFOut LayoutDxfDrawing(int LayoutIndex);

// Writes the drawing of layout LayoutIndex as BaseName + "_" + (LayoutIndex
// + 1) + ".dxf", completely or not at all, and sets OutName to that name.
// Throws platform::IniWriteError naming the file when it cannot be written
// (OutName is then unchanged), EListError for a bad index.
void SaveLayoutDxf(const std::string& BaseName, int LayoutIndex, std::string& OutName);
