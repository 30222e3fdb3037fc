#include "output/gcode_layout.h"

#include <cstdint>

#include "engine/errors.h"
#include "engine/merge_line.h"
#include "engine/numeric.h"
#include "engine/pubstr.h"
#include "engine/shared_state.h"
#include "engine/textfmt.h"
#include "output/piece_draw.h"
#include "output/piece_output.h"
#include "output/report_text.h"
#include "platform/inifile.h"

namespace {

// Empties the cut-line set however the writer leaves.
struct TClearMergeLines {
    ~TClearMergeLines() { MergeLineSet.ClearLines(); }
};

}  // namespace

std::string LayoutFileName(const std::string& BaseName, int LayoutIndex,
                           const std::string& Extension) {
    return BaseName + "_" + IntToStr(std::int64_t{LayoutIndex} + 1) + Extension;
}

void SaveLayoutFile(const std::string& Name, const std::function<std::string()>& Build) {
    std::string text;
    try {
        text = Build();
    } catch (const ERangeError& e) {
        throw platform::IniWriteError("Cannot write file \"" + Name + "\": " + e.what());
    }
    platform::WriteFileAtomic(Name, text);
}

bool LayoutPieceIsExported(const T2DStock& Piece) {
    const std::string_view prefix = PieceLabelPrefix(Piece.Label);
    if (prefix == ZeroOffcutPrefix) return false;
    if (prefix == OffcutPrefix) return LayoutShowOffcuts;
    return true;
}

std::vector<std::string> LayoutGCodeLines(int LayoutIndex, const std::string& CutZText,
                                          const std::string& SafeZText) {
    const TPacket& layout = Optimizer.Best[LayoutIndex];
    BuildLayoutHeaderText(LayoutIndex);
    std::vector<std::string> f;
    for (const std::string& line : LayoutHeaderLines) f.push_back(Format("!%s", {line}));
    const std::size_t header = f.size();

    TClearMergeLines clearAfter;
    MergeLineSet.ClearLines();
    const std::int32_t sheetLength =
        CheckedInt32(std::int64_t{layout.NetLength()} + 2 * std::int64_t{WidthEdge});
    const std::int32_t sheetWidth =
        CheckedInt32(std::int64_t{layout.NetWidth()} + 2 * std::int64_t{LengthEdge});
    MergeLineSet.SetSheetLength(sheetLength);
    MergeLineSet.SetSheetWidth(sheetWidth);
    for (const T2DStock& piece : layout.Placements) {
        if (!LayoutPieceIsExported(piece)) continue;
        // Circles and shaped parts are written at once; rectangles add their
        // sides to the cut-line set.
        WritePieceNC(piece, sheetWidth, {WidthEdge, LengthEdge}, f, CutZText, SafeZText);
    }
    MergeLineSet.MergeLines();
    MergeLineSet.BuildCutSequence();
    // The file's words are plain whatever prefixes and suffix the program
    // holds: they belong to other machine dialects.
    MergeLineSet.WriteGCode(f, CutZText, SafeZText, "", "", "");

    if (GCodeZMoves) {
        // The tool is lifted before its first sideways move, whichever
        // section comes first.
        std::size_t first = header;
        while (first < f.size() && f[first].starts_with("!")) ++first;
        if (first < f.size() && !f[first].starts_with("G0 Z"))
            f.insert(f.begin() + static_cast<std::ptrdiff_t>(first), Format("G0 Z%s", {SafeZText}));
        f.push_back(Format("G0 Z%s", {SafeZText}));
    }
    f.push_back("G0 X0Y0");
    return f;
}

void SaveLayoutGCode(const std::string& BaseName, const std::string& CutZText,
                     const std::string& SafeZText, std::string& OutName, int LayoutIndex) {
    const std::string name = LayoutFileName(BaseName, LayoutIndex, ".gnc");
    SaveLayoutFile(name, [&] {
        return JoinTextFileLines(LayoutGCodeLines(LayoutIndex, CutZText, SafeZText));
    });
    OutName = name;
}
