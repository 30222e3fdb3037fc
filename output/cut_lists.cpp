#include "output/cut_lists.h"

#include <cstdint>

#include "engine/shared_state.h"
#include "engine/textfmt.h"
#include "output/report_text.h"
#include "platform/inifile.h"

namespace {

std::string LayoutLine(int Number, const TPacket& Layout) {
    return Format("==> (%2d) %20s%20s%20s%20s%20d",
                  {Number, Layout.Label, Layout.Material, Layout.LengthText, Layout.WidthText,
                   Layout.Quantity});
}

// Calls Emit(line, how many times) for every line of the piece list in order.
template <typename EmitFn>
void ForEachPieceLine(EmitFn Emit) {
    int number = 0;
    for (const TPacket& layout : Optimizer.Best.Packets) {
        ++number;
        Emit(LayoutLine(number, layout), 1);
        // The counted parts only, read where the counts are kept.
        layout.PartCounts.ForEachNonZero([&](int Index, std::int32_t Qty) {
            if (Qty <= 0 || layout.Quantity <= 0) return;
            const T2DStock& c = layout.PartCounts.Part(Index);
            // One line per piece: the count on one sheet times the sheets.
            const std::uint64_t pieces =
                static_cast<std::uint64_t>(Qty) * static_cast<std::uint64_t>(layout.Quantity);
            Emit(Format("-->  %2d  %20s%20s%20s%20s%20s%20s%20s%20s%20s",
                        {number, layout.Label, layout.Material, layout.LengthText, layout.WidthText,
                         layout.Comment, c.Label, c.LengthText, c.WidthText, c.Comment}),
                 static_cast<std::size_t>(pieces));
        });
    }
}

}  // namespace

std::vector<std::string> LayoutsListLines() {
    std::vector<std::string> lines;
    int number = 0;
    for (const TPacket& layout : Optimizer.Best.Packets) {
        ++number;
        lines.push_back(LayoutLine(number, layout));
        layout.PartCounts.ForEachNonZero([&](int Index, std::int32_t Qty) {
            if (Qty <= 0) return;
            const T2DStock& c = layout.PartCounts.Part(Index);
            lines.push_back(Format("-->  %2d  %20s%20s%20s%20s%20d",
                                   {number, c.Label, layout.Material, c.LengthText, c.WidthText,
                                    Qty}));
        });
    }
    return lines;
}

std::vector<std::string> PiecesListLines() {
    std::vector<std::string> lines;
    ForEachPieceLine([&lines](const std::string& Line, std::size_t Repeat) {
        lines.insert(lines.end(), Repeat, Line);
    });
    return lines;
}

void SaveLayoutsListFile(const std::string& FileName) {
    platform::WriteFileAtomic(FileName, JoinTextFileLines(LayoutsListLines()));
}

void SavePiecesListFile(const std::string& FileName) {
    // Built straight into the file text: a plan of many sheets gives many
    // identical lines.
    std::string text;
    ForEachPieceLine([&text](const std::string& Line, std::size_t Repeat) {
        const std::string line = JoinTextFileLines({Line});
        for (std::size_t i = 0; i < Repeat; ++i) text += line;
    });
    platform::WriteFileAtomic(FileName, text);
}
