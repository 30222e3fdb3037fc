// Cut-list files of the current plan (Optimizer.Best): the layout list, one
// line per layout and one per part type on it, and the piece list, one line
// per layout and one per piece the whole plan produces. Fixed-width lines,
// each ended by CR LF; used by batch runs and the HTML export.
#pragma once

#include <string>
#include <vector>

// The lines of the layout list file.
std::vector<std::string> LayoutsListLines();
// The lines of the piece list file.
std::vector<std::string> PiecesListLines();

// Write the lists to FileName (created or replaced) completely or not at all.
// An empty plan gives an empty file. Throw platform::IniWriteError naming the
// file when it cannot be written.
void SaveLayoutsListFile(const std::string& FileName);
void SavePiecesListFile(const std::string& FileName);
