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

void PrintLayout(platform::TPrintJob& Job, int LayoutIndex, int Rows, int Cols, int CellIndex,
                 bool ShowLabel, bool ShowLengthXWidth, bool ShowXYPos, bool /*ShowOffcuts*/,
                 bool ShowCutSequence) {
    if (Rows < 1 || Cols < 1) return;
    platform::TCanvas& C = Job.Canvas();
    const int pw = Job.PageWidth(), ph = Job.PageHeight();
    if (RollingMode) {
        CellIndex = 0;
        ShowCutSequence = false;
    }
    BuildLayoutHeaderText(LayoutIndex);
    const TPacket& layout = Optimizer.Best[LayoutIndex];

    SetPrintFont(C, pw, true);
    const int h = C.TextHeight("W");
    const int m = 2 * h, s = h + h / 3;
    const int cx = (pw / Cols) * (CellIndex % Cols), cy = (ph / Rows) * (CellIndex / Cols);
    int y = h;
    for (const std::string& line : LayoutHeaderLines) {
        y += s;
        C.TextOut(cx + m, cy + m + y, line);
    }
    const int hh = y;
    SetPrintFont(C, pw, true);

    const int aw = pw / Cols - 2 * m;
    const int ah = RollingMode ? (ph - hh - 2 * m) / Rows - 2 * s : ph / Rows - 2 * m - hh - 2 * s;
    const double sx = static_cast<double>(aw) / (layout.Length + 2.0 * WidthEdge);
    const double sy = static_cast<double>(ah) / (layout.Width + 2.0 * LengthEdge);
    const double sc = RollingMode ? sy : std::min(sx, sy);
    if (!(sc > 0)) return;

    const int left = cx + m, top = cy + m + hh;
    const platform::TCanvasRect r1{left, top, left + Px(layout.NetLength() + 2.0 * WidthEdge, sc),
                                   top + Px(layout.NetWidth() + 2.0 * LengthEdge, sc)};
    platform::TCanvasRect r2{left + Px(WidthEdge, sc), top + Px(LengthEdge, sc), 0, 0};
    r2.Right = r2.Left + Px(layout.NetLength(), sc) + 1;
    r2.Bottom = r2.Top + Px(layout.NetWidth(), sc) + 1;
    C.Pen.Color = platform::clBlack;
    C.Rectangle(r1.Left, r1.Top, r1.Right, r1.Bottom);
    C.Rectangle(r2.Left, r2.Top, r2.Right, r2.Bottom);
    if (!RollingMode) PrintDimensionMarks(C, layout, r1, r2, pw);

    const TPoint origin{r2.Left, r2.Top};
    if (ShowCutSequence && !HasShapedPart(layout)) {
        BuildLayoutCutLines(LayoutIndex);
        MergeLineSet.BuildCutSequence();
        MergeLineSet.DrawCutSequence(C, origin, sc, pw);
        C.Pen.Color = platform::clBlack;
    }
    if (!RollingMode) {
        for (const T2DStock& piece : layout.Placements) {
            if (!LayoutPieceIsDrawn(piece, LayoutShowOffcuts)) continue;
            SetPrintFont(C, pw, false);
            PrintPiece(piece, origin, C, ShowLabel, sc, ShowLengthXWidth, ShowXYPos, pw);
        }
        return;
    }
    // The roll in strips: each strip shows it shifted left by one available
    // width, one strip per row of the page. With no width to shift by, one
    // strip is all that can be printed.
    for (std::int64_t j = 0;; ++j) {
        std::int64_t maxX = 0;
        for (const T2DStock& piece : layout.Placements) {
            if (!LayoutPieceIsDrawn(piece, LayoutShowOffcuts)) continue;
            maxX = std::max<std::int64_t>(maxX, std::int64_t{piece.NetLength()} + piece.Position.X);
            SetPrintFont(C, pw, false);
            const TPoint o{CheckedInt32(origin.X - std::int64_t{aw} * j),
                           CheckedInt32(origin.Y + (j % Rows) * (std::int64_t{ah} + m))};
            PrintPiece(piece, o, C, ShowLabel, sc, ShowLengthXWidth, ShowXYPos, pw);
        }
        if (aw <= 0) break;
        if (std::llabs(origin.X - std::int64_t{aw} * (j + 1)) >
            Round64(static_cast<double>(maxX) * sc))
            break;
        if ((j + 1) % Rows == 0) Job.NewPage();
    }
}

void PrintAllLayouts(platform::TPrintJob& Job, int Rows, int Cols, bool ShowLabel,
                     bool ShowLengthXWidth, bool ShowXYPos, bool ShowOffcuts,
                     bool ShowCutSequence) {
    int cell = 0;
    for (int i = 0; i < Optimizer.Best.Count(); ++i) {
        if (cell >= Rows * Cols) {
            Job.NewPage();
            cell = 0;
        }
        PrintLayout(Job, i, Rows, Cols, cell, ShowLabel, ShowLengthXWidth, ShowXYPos, ShowOffcuts,
                    ShowCutSequence);
        ++cell;
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
