#include "output/layout_print.h"

#include <algorithm>
#include <cstdlib>

#include "engine/merge_line.h"
#include "engine/numeric.h"
#include "engine/pubfunc.h"
#include "engine/pubstr.h"
#include "engine/shared_state.h"
#include "output/piece_draw.h"
#include "output/piece_output.h"
#include "output/report_text.h"

namespace {

// Room above the sheet for the trim marks and the net length printed over
// them (ticks from 20 to 50 pixels out, texts 53 pixels out).
constexpr int kTopMarksBand = 53;

int Px(double V, double Scale) {
    return CheckedInt32(Round64(V * Scale));
}

bool HasShapedPart(const TPacket& P) {
    return std::any_of(P.Placements.begin(), P.Placements.end(),
                       [](const T2DStock& p) { return p.ShapeKind == skShaped; });
}

void Tick(platform::TCanvas& C, int X1, int Y1, int X2, int Y2) {
    C.MoveTo(X1, Y1);
    C.LineTo(X2, Y2);
}

void UseDimFont(platform::TCanvas& C, int PageWidth) {
    C.Font.Name = DimFontName;
    C.Font.Height = AutoPrinterFontSize && AutoPrinterFontZoom > 0
                        ? -(PageWidth / AutoPrinterFontZoom)
                        : -DimFontSize;
}

// The sizes of the sheet and its trims around the printed sheet R1 / R2.
void PrintDimensionMarks(platform::TCanvas& C, const TPacket& P, const platform::TCanvasRect& R1,
                         const platform::TCanvasRect& R2, int PageWidth) {
    const std::string font = C.Font.Name;
    const int height = C.Font.Height;
    if (WidthEdge != 0) {
        for (int x : {R1.Left, R2.Left, R2.Right}) Tick(C, x, R1.Top - 20, x, R1.Top - 50);
        C.TextOut(R1.Left + 3, R1.Top - 53, WidthEdgeText);
        UseDimFont(C, PageWidth);
        C.TextOut((R2.Left + R2.Right) / 2, R1.Top - 53, PubFunc.UnitsToStr(P.NetLength()));
        C.Font.Name = font;
        C.Font.Height = height;
    }
    if (LengthEdge != 0) {
        for (int y : {R1.Top, R2.Top, R2.Bottom}) Tick(C, R1.Left - 20, y, R1.Left - 50, y);
        C.TextOut(R1.Left - 53, R1.Top + 3, LengthEdgeText);
        UseDimFont(C, PageWidth);
        C.TextOut(R1.Left - 53, (R2.Top + R2.Bottom) / 2, PubFunc.UnitsToStr(P.NetWidth()));
    }
    for (int x : {R1.Left, R1.Right}) Tick(C, x, R1.Bottom + 20, x, R1.Bottom + 50);
    UseDimFont(C, PageWidth);
    C.TextOut((R1.Left + R1.Right) / 2, R1.Bottom + 3, P.LengthText);
    for (int y : {R1.Top, R1.Bottom}) Tick(C, R1.Right + 20, y, R1.Right + 50, y);
    UseDimFont(C, PageWidth);
    C.TextOut(R1.Right + 3, (R1.Top + R1.Bottom) / 2, P.WidthText);
}

}  // namespace

bool LayoutPieceIsDrawn(const T2DStock& Piece, bool ShowOffcuts) {
    const std::string_view prefix = PieceLabelPrefix(Piece.Label);
    if (prefix == ZeroOffcutPrefix) return false;
    return prefix != OffcutPrefix || ShowOffcuts;
}

void BuildLayoutCutLines(int LayoutIndex) {
    const TPacket& layout = Optimizer.Best[LayoutIndex];
    MergeLineSet.ClearLines();
    MergeLineSet.SetSheetLength(
        CheckedInt32(std::int64_t{layout.NetLength()} + 2 * std::int64_t{WidthEdge}));
    MergeLineSet.SetSheetWidth(
        CheckedInt32(std::int64_t{layout.NetWidth()} + 2 * std::int64_t{LengthEdge}));
    for (const T2DStock& piece : layout.Placements)
        if (PieceLabelPrefix(piece.Label) != ZeroOffcutPrefix)
            AddPieceEdgesToMergeLine(piece, {WidthEdge, LengthEdge});
    MergeLineSet.MergeLines();
}

int DrawLayoutView(int LayoutIndex, platform::TCanvas& Canvas, double Scale,
                   const TLayoutViewOptions& Options) {
    if (LayoutIndex < 0 || LayoutIndex >= Optimizer.Best.Count()) return 0;
    const TPacket& layout = Optimizer.Best[LayoutIndex];
    bool drawOutline = true;
    int cuts = 0;
    if (Options.ShowCutSequence && !HasShapedPart(layout)) {
        BuildLayoutCutLines(LayoutIndex);
        MergeLineSet.BuildCutSequence();
        cuts = static_cast<int>(MergeLineSet.Merged.size());
        // The numbers take their cut's colour; the pieces' texts keep the canvas's own.
        const platform::TColor textColor = Canvas.Font.Color;
        Canvas.Font.Height = -11;
        if (Options.CutsShown >= 0) {
            TMergeLine part;
            part.Merged.assign(MergeLineSet.Merged.begin(),
                               MergeLineSet.Merged.begin() + std::min(Options.CutsShown, cuts));
            part.DrawLines(Canvas, {1, 1}, Scale, true, [](int) {});
        } else {
            MergeLineSet.DrawLines(Canvas, {1, 1}, Scale, false);
        }
        Canvas.Font.Color = textColor;
        drawOutline = false;
    }
    const TPoint origin{Px(WidthEdge, Scale) + 1, Px(LengthEdge, Scale) + 1};
    for (int i = 0; i < layout.Placements.Count(); ++i) {
        const T2DStock& piece = layout.Placements[i];
        if (i == Options.SkipPiece || !LayoutPieceIsDrawn(piece, Options.ShowOffcuts)) continue;
        DrawPiece(piece, origin, Canvas, Scale, Options.ShowLabel, Options.ShowLengthXWidth,
                  Options.ShowXYPos, Options.PartColor, Options.OffcutColor, drawOutline);
    }
    return cuts;
}

void SetPrintFont(platform::TCanvas& Canvas, int PageWidth, bool MinimumEight) {
    Canvas.Font.Color = platform::clBlack;
    Canvas.Font.Name = PrinterFontName;
    Canvas.Font.Pitch = platform::TFontPitch::Fixed;
    Canvas.Font.Direction = platform::TTextDirection::Horizontal;
    const bool automatic = AutoPrinterFontSize && AutoPrinterFontZoom > 0;
    Canvas.Font.Height = automatic ? -(PageWidth / AutoPrinterFontZoom) : -PrinterFontSize;
    if (MinimumEight && std::abs(Canvas.Font.Height) < 8) {
        if (!automatic) PrinterFontSize = 8;
        Canvas.Font.Height = -8;
    }
}

int PrintLayout(platform::TPrintJob& Job, int LayoutIndex, int Rows, int Cols, int CellIndex,
                bool ShowLabel, bool ShowLengthXWidth, bool ShowXYPos, bool /*ShowOffcuts*/,
                bool ShowCutSequence) {
    if (RollingMode) {
        Cols = 1;
        ShowCutSequence = false;
    }
    if (Rows < 1 || Cols < 1) return 0;
    CellIndex = std::clamp(CellIndex, 0, Rows * Cols - 1);
    platform::TCanvas& C = Job.Canvas();
    const int pw = Job.PageWidth(), ph = Job.PageHeight();
    BuildLayoutHeaderText(LayoutIndex);
    const TPacket& layout = Optimizer.Best[LayoutIndex];

    SetPrintFont(C, pw, true);
    const int h = C.TextHeight("W");
    const int m = 2 * h, s = h + h / 3;
    const int cellW = pw / Cols, cellH = ph / Rows;
    const int cx = cellW * (CellIndex % Cols), cy = cellH * (CellIndex / Cols);
    int y = h;
    for (const std::string& line : LayoutHeaderLines) {
        y += s;
        C.TextOut(cx + m, cy + m + y, line);
    }
    const int hh = y;
    SetPrintFont(C, pw, true);

    // The drawing starts a line step below the header's last line, and lower
    // still by the band of the marks above the sheet when there are any.
    const bool topMarks = !RollingMode && WidthEdge != 0;
    const int drawTop = m + hh + s + (topMarks ? kTopMarksBand : 0);  // within the cell
    const int aw = cellW - 2 * m;
    const int ah = cellH - drawTop - m - 2 * s;
    const double sx = static_cast<double>(aw) / (layout.Length + 2.0 * WidthEdge);
    const double sy = static_cast<double>(ah) / (layout.Width + 2.0 * LengthEdge);
    const double sc = RollingMode ? sy : std::min(sx, sy);
    if (!(sc > 0)) return 1;

    const int left = cx + m;
    // The sheet and its trimmed area with the sheet's top at Top, shifted
    // left by Shift pixels.
    auto frames = [&](int Top, std::int64_t Shift) {
        const int l = CheckedInt32(left - Shift);
        const platform::TCanvasRect r1{l, Top, l + Px(layout.NetLength() + 2.0 * WidthEdge, sc),
                                       Top + Px(layout.NetWidth() + 2.0 * LengthEdge, sc)};
        platform::TCanvasRect r2{l + Px(WidthEdge, sc), Top + Px(LengthEdge, sc), 0, 0};
        r2.Right = r2.Left + Px(layout.NetLength(), sc) + 1;
        r2.Bottom = r2.Top + Px(layout.NetWidth(), sc) + 1;
        C.Pen.Color = platform::clBlack;
        C.Rectangle(r1.Left, r1.Top, r1.Right, r1.Bottom);
        C.Rectangle(r2.Left, r2.Top, r2.Right, r2.Bottom);
        return std::pair{r1, r2};
    };
    auto pieces = [&](TPoint Origin) {
        for (const T2DStock& piece : layout.Placements) {
            if (!LayoutPieceIsDrawn(piece, LayoutShowOffcuts)) continue;
            SetPrintFont(C, pw, false);
            PrintPiece(piece, Origin, C, ShowLabel, sc, ShowLengthXWidth, ShowXYPos, pw);
        }
    };

    if (!RollingMode) {
        const auto [r1, r2] = frames(cy + drawTop, 0);
        PrintDimensionMarks(C, layout, r1, r2, pw);
        const TPoint origin{r2.Left, r2.Top};
        if (ShowCutSequence && !HasShapedPart(layout)) {
            BuildLayoutCutLines(LayoutIndex);
            MergeLineSet.BuildCutSequence();
            MergeLineSet.DrawCutSequence(C, origin, sc, pw);
            C.Pen.Color = platform::clBlack;
        }
        pieces(origin);
        return 1;
    }

    // The roll in strips, one cell each from CellIndex on: strip j shows the
    // roll shifted left by j available widths, clipped to the cell's width,
    // until a strip would start beyond the last printed piece. The header
    // stands in the first cell only. With no width to shift by, one strip is
    // all that can be printed.
    std::int64_t maxX = 0;
    for (const T2DStock& piece : layout.Placements)
        if (LayoutPieceIsDrawn(piece, LayoutShowOffcuts))
            maxX = std::max<std::int64_t>(maxX, std::int64_t{piece.NetLength()} + piece.Position.X);
    const std::int64_t rollEnd = Px(WidthEdge, sc) + Round64(static_cast<double>(maxX) * sc);
    int cell = CellIndex;
    int strips = 0;
    for (std::int64_t j = 0;; ++j) {
        if (j > 0 && ++cell == Rows) {
            Job.NewPage();
            cell = 0;
        }
        const int top = cellH * cell;
        C.SetClipRect({left, top, left + std::max(aw, 0) + 1, top + cellH});
        const auto [r1, r2] = frames(top + drawTop, std::int64_t{aw} * j);
        pieces({r2.Left, r2.Top});
        C.ResetClip();
        ++strips;
        if (aw <= 0 || std::int64_t{aw} * (j + 1) >= rollEnd) break;
    }
    return strips;
}

void PrintAllLayouts(platform::TPrintJob& Job, int Rows, int Cols, bool ShowLabel,
                     bool ShowLengthXWidth, bool ShowXYPos, bool ShowOffcuts,
                     bool ShowCutSequence) {
    if (RollingMode) Cols = 1;
    if (Rows < 1 || Cols < 1) return;
    const int cells = Rows * Cols;
    int cell = 0;
    for (int i = 0; i < Optimizer.Best.Count(); ++i) {
        if (cell >= cells) {
            Job.NewPage();
            cell = 0;
        }
        cell += PrintLayout(Job, i, Rows, Cols, cell, ShowLabel, ShowLengthXWidth, ShowXYPos,
                            ShowOffcuts, ShowCutSequence);
        // A roll that went on over new pages leaves the cell after its last strip.
        if (cell > cells) cell = (cell - 1) % cells + 1;
    }
}

void PrintSummaryReport(platform::TPrintJob& Job) {
    platform::TCanvas& C = Job.Canvas();
    SetPrintFont(C, Job.PageWidth(), false);
    const int h = C.TextHeight("W");
    const int m = 7 * h, s = h + h / 3, w = Job.PageWidth() - 2 * m;
    const TReportDateTime now = LocalReportDateTime();
    int y = h;
    C.TextOut(m, y, ReportTitle + "    " + now.Date + "  " + now.Time);
    y += s;
    C.TextOut(m, y, ProjectTitle);
    y += s;
    C.TextOut(w / 4 + m + 10, y, ReportCaption);
    y += s;
    for (const std::string& line : SummaryReportLines) {
        y += s;
        if (y > Job.PageHeight() - h) {
            Job.NewPage();
            y = h;
        }
        C.TextOut(m, y, line);
    }
}
