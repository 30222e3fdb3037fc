#include "output/dxf_layout.h"

#include <cstdint>

#include "engine/numeric.h"
#include "engine/pubfunc.h"
#include "engine/pubstr.h"
#include "engine/shared_state.h"
#include "engine/textfmt.h"
#include "output/gcode_layout.h"
#include "output/piece_draw.h"
#include "output/piece_output.h"
#include "output/report_text.h"

namespace {

// A length as the converter writes it, read back as a number.
double UserValue(std::int32_t Internal) {
    return StrToFloat(PubFunc.UnitsToStr(Internal));
}

}  // namespace

TDXFOut LayoutDxfDrawing(int LayoutIndex) {
    const TPacket& layout = Optimizer.Best[LayoutIndex];
    BuildLayoutHeaderText(LayoutIndex);

    const std::int32_t netLength = layout.NetLength();
    const std::int32_t netWidth = layout.NetWidth();
    const std::int32_t L = CheckedInt32(std::int64_t{netLength} + 2 * std::int64_t{WidthEdge});
    const std::int32_t H = CheckedInt32(std::int64_t{netWidth} + 2 * std::int64_t{LengthEdge});
    const double h = DxfTextHeight;
    const std::int32_t decimals = PubFunc.GetDecimals();
    const double maxX = UserValue(L);
    const double maxY = UserValue(H) + 100 * h;
    TDXFOut dxf(static_cast<std::uint8_t>(decimals < 0 ? 3 : decimals), 0, 0, maxX, maxY, 0, 0,
                maxX, maxY, 0);
    dxf.WriteHeader();

    dxf.SetLayer(DxfLayerSheet);
    if (BladeWidth != 0) dxf.WriteRect({0, 0, L, CheckedInt32(-std::int64_t{H})});
    // The usable area; its far corner lies one thousandth beyond the net size.
    dxf.WriteRect({WidthEdge, CheckedInt32(-std::int64_t{LengthEdge}),
                   CheckedInt32(std::int64_t{WidthEdge} + netLength + 1),
                   CheckedInt32(-(std::int64_t{LengthEdge} + netWidth) + 1)});

    const TPoint offset{WidthEdge, CheckedInt32(-std::int64_t{LengthEdge})};
    for (const T2DStock& piece : layout.Placements) {
        if (!LayoutPieceIsExported(piece)) continue;
        const bool offcut = PieceLabelPrefix(piece.Label) == OffcutPrefix;
        WritePieceDXF(piece, offset, dxf, offcut ? DxfLayerOffcuts : DxfLayerParts, LayoutShowLabel,
                      LayoutShowLengthXWidth, LayoutShowXYPos);
    }

    // The header below the sheet: the first line 3 x h under its lower edge,
    // each further line 1.5 x h lower.
    dxf.SetLayer(DxfLayerReport);
    double y = -static_cast<double>(H) / 1000.0 - 1.5 * h;
    for (const std::string& line : LayoutHeaderLines) {
        y -= 1.5 * h;
        dxf.WriteText(line, 0, y, 0, h, 0);
    }
    dxf.WriteEOF();
    return dxf;
}

void SaveLayoutDxf(const std::string& BaseName, int LayoutIndex, std::string& OutName) {
    const std::string name = LayoutFileName(BaseName, LayoutIndex, ".dxf");
    SaveLayoutFile(name, [LayoutIndex] { return LayoutDxfDrawing(LayoutIndex).Text(); });
    OutName = name;
}
