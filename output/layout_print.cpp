#include "output/layout_print.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

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

namespace {

// Where one layout goes in its cell (or, on a roll, in its strips) and at
// what scale; every length in printer pixels.
struct TLayoutGeometry {
    int H = 0;        // character height of the print font
    int M = 0;        // margin
    int S = 0;        // line step
    int Header = 0;   // height of the header, from the first line's top step
    int DrawTop = 0;  // the sheet's top below the cell's (or the layout's) top
    int AW = 0;       // available width and height of the drawing (a strip's on a roll)
    int AH = 0;
    double Scale = 0;  // not positive: no room for the drawing
};

// The geometry of LayoutIndex: its header is built into LayoutHeaderLines
// and the print font set on C first. Outside rolling mode the header and the
// marks above the sheet come off the cell; on a roll the header comes off the
// page once and the rest is shared by Rows strips.
TLayoutGeometry LayoutGeometry(platform::TCanvas& C, int LayoutIndex, int PageWidth, int PageHeight,
                               int Rows, int Cols) {
    BuildLayoutHeaderText(LayoutIndex);
    SetPrintFont(C, PageWidth, true);
    const TPacket& layout = Optimizer.Best[LayoutIndex];
    TLayoutGeometry g;
    g.H = C.TextHeight("W");
    g.M = 2 * g.H;
    g.S = g.H + g.H / 3;
    g.Header = g.H + g.S * static_cast<int>(LayoutHeaderLines.size());
    // The drawing starts a line step below the header's last line, and lower
    // still by the band of the marks above the sheet when there are any.
    const bool topMarks = !RollingMode && WidthEdge != 0;
    g.DrawTop = g.M + g.Header + g.S + (topMarks ? kTopMarksBand : 0);
    if (RollingMode) {
        g.AW = PageWidth - 2 * g.M;
        g.AH = (PageHeight - g.Header - 2 * g.M) / Rows - 2 * g.S;
    } else {
        g.AW = PageWidth / Cols - 2 * g.M;
        g.AH = PageHeight / Rows - g.DrawTop - g.M - 2 * g.S;
    }
    const double sx = static_cast<double>(g.AW) / (layout.Length + 2.0 * WidthEdge);
    const double sy = static_cast<double>(g.AH) / (layout.Width + 2.0 * LengthEdge);
    // A roll is scaled to its strip's height; a strip with no width shows nothing.
    g.Scale = RollingMode ? (g.AW > 0 ? sy : 0) : std::min(sx, sy);
    if (!(g.Scale > 0)) g.Scale = 0;
    return g;
}

// Prints the header lines from Top on; lines that would pass Bottom are left
// out, so that a long parts list never runs into the next cell.
void PrintHeader(platform::TCanvas& C, const TLayoutGeometry& G, int Left, int Top, int Bottom) {
    int y = G.H;
    for (const std::string& line : LayoutHeaderLines) {
        y += G.S;
        if (Top + G.M + y + G.H > Bottom) break;
        C.TextOut(Left + G.M, Top + G.M + y, line);
    }
}

class TLayoutPrinter {
  public:
    TLayoutPrinter(platform::TPrintJob& Job, int LayoutIndex, int Rows, int Cols, bool ShowLabel,
                   bool ShowLengthXWidth, bool ShowXYPos)
        : job_(Job),
          c_(Job.Canvas()),
          index_(LayoutIndex),
          layout_(Optimizer.Best[LayoutIndex]),
          pw_(Job.PageWidth()),
          ph_(Job.PageHeight()),
          showLabel_(ShowLabel),
          showLengthXWidth_(ShowLengthXWidth),
          showXYPos_(ShowXYPos) {
        g_ = LayoutGeometry(c_, LayoutIndex, pw_, ph_, Rows, Cols);
    }

    const TLayoutGeometry& Geometry() const { return g_; }

    // Outside rolling mode: the layout in the cell whose top-left corner is
    // (CX, CY) and whose size is CellW x CellH.
    void InCell(int CX, int CY, int CellH, bool ShowCutSequence) {
        PrintHeader(c_, g_, CX, CY, CY + CellH);
        SetPrintFont(c_, pw_, true);
        if (g_.Scale <= 0) return;
        const auto [r1, r2] = Frames(CX + g_.M, CY + g_.DrawTop, 0);
        PrintDimensionMarks(c_, layout_, r1, r2, pw_);
        const TPoint origin{r2.Left, r2.Top};
        if (ShowCutSequence && !HasShapedPart(layout_)) {
            BuildLayoutCutLines(index_);
            MergeLineSet.BuildCutSequence();
            MergeLineSet.DrawCutSequence(c_, origin, g_.Scale, pw_);
            c_.Pen.Color = platform::clBlack;
        }
        Pieces(origin);
    }

    // On a roll: the header from Top of the current page (0: the page's top),
    // then the strips below it, each showing the roll shifted left by one
    // available width more, until a strip would start beyond the last
    // printed piece. A strip that would pass the page's bottom margin goes
    // to the top of a new page. Returns the number of strips; Top becomes
    // the bottom of what was printed on the page the layout ended on.
    int Roll(int& Top) {
        PrintHeader(c_, g_, 0, Top, ph_);
        SetPrintFont(c_, pw_, true);
        if (g_.Scale <= 0) {
            Top += g_.M + g_.Header + g_.H;
            return 0;
        }
        std::int64_t maxX = 0;
        for (const T2DStock& piece : layout_.Placements)
            if (LayoutPieceIsDrawn(piece, LayoutShowOffcuts))
                maxX = std::max<std::int64_t>(maxX, std::int64_t{piece.NetLength()} + piece.Position.X);
        const std::int64_t rollEnd = Px(WidthEdge, g_.Scale) + Round64(static_cast<double>(maxX) * g_.Scale);
        const int left = g_.M;
        int stripTop = Top + g_.DrawTop;
        int strips = 0;
        for (std::int64_t j = 0;; ++j) {
            if (j > 0) {
                stripTop += g_.AH + g_.M;
                if (stripTop + g_.AH > ph_ - g_.M) {
                    job_.NewPage();
                    stripTop = g_.M;
                }
            }
            c_.SetClipRect({left, stripTop, left + g_.AW + 1, stripTop + g_.AH + 1});
            const auto [r1, r2] = Frames(left, stripTop, std::int64_t{g_.AW} * j);
            Pieces({r2.Left, r2.Top});
            c_.ResetClip();
            ++strips;
            if (std::int64_t{g_.AW} * (j + 1) >= rollEnd) break;
        }
        Top = stripTop + g_.AH;
        return strips;
    }

  private:
    // The sheet and its trimmed area with the sheet's top-left corner at
    // (Left, Top), shifted left by Shift pixels.
    std::pair<platform::TCanvasRect, platform::TCanvasRect> Frames(int Left, int Top, std::int64_t Shift) {
        const double sc = g_.Scale;
        const int l = CheckedInt32(Left - Shift);
        const platform::TCanvasRect r1{l, Top, l + Px(layout_.NetLength() + 2.0 * WidthEdge, sc),
                                       Top + Px(layout_.NetWidth() + 2.0 * LengthEdge, sc)};
        platform::TCanvasRect r2{l + Px(WidthEdge, sc), Top + Px(LengthEdge, sc), 0, 0};
        r2.Right = r2.Left + Px(layout_.NetLength(), sc) + 1;
        r2.Bottom = r2.Top + Px(layout_.NetWidth(), sc) + 1;
        c_.Pen.Color = platform::clBlack;
        c_.Rectangle(r1.Left, r1.Top, r1.Right, r1.Bottom);
        c_.Rectangle(r2.Left, r2.Top, r2.Right, r2.Bottom);
        return {r1, r2};
    }
    void Pieces(TPoint Origin) {
        for (const T2DStock& piece : layout_.Placements) {
            if (!LayoutPieceIsDrawn(piece, LayoutShowOffcuts)) continue;
            SetPrintFont(c_, pw_, false);
            PrintPiece(piece, Origin, c_, showLabel_, g_.Scale, showLengthXWidth_, showXYPos_, pw_);
        }
    }

    platform::TPrintJob& job_;
    platform::TCanvas& c_;
    int index_;
    const TPacket& layout_;
    int pw_, ph_;
    bool showLabel_, showLengthXWidth_, showXYPos_;
    TLayoutGeometry g_;
};

}  // namespace

int PrintLayout(platform::TPrintJob& Job, int LayoutIndex, int Rows, int Cols, int CellIndex,
                bool ShowLabel, bool ShowLengthXWidth, bool ShowXYPos, bool /*ShowOffcuts*/,
                bool ShowCutSequence) {
    if (RollingMode) Cols = 1;
    if (Rows < 1 || Cols < 1) return 0;
    TLayoutPrinter printer(Job, LayoutIndex, Rows, Cols, ShowLabel, ShowLengthXWidth, ShowXYPos);
    if (RollingMode) {
        // A roll starts at the top of its page.
        int top = 0;
        return std::max(printer.Roll(top), 1);
    }
    CellIndex = std::clamp(CellIndex, 0, Rows * Cols - 1);
    const int cellW = Job.PageWidth() / Cols, cellH = Job.PageHeight() / Rows;
    printer.InCell(cellW * (CellIndex % Cols), cellH * (CellIndex / Cols), cellH, ShowCutSequence);
    return 1;
}

void PrintAllLayouts(platform::TPrintJob& Job, int Rows, int Cols, bool ShowLabel,
                     bool ShowLengthXWidth, bool ShowXYPos, bool ShowOffcuts,
                     bool ShowCutSequence) {
    if (RollingMode) Cols = 1;
    if (Rows < 1 || Cols < 1) return;
    if (RollingMode) {
        // The rolls one below the other: a roll starts below the last strip
        // of the one before when its header and first strip fit there, else
        // at the top of a new page.
        int top = 0;
        for (int i = 0; i < Optimizer.Best.Count(); ++i) {
            TLayoutPrinter printer(Job, i, Rows, 1, ShowLabel, ShowLengthXWidth, ShowXYPos);
            const TLayoutGeometry& g = printer.Geometry();
            if (top > 0 && top + g.DrawTop + std::max(g.AH, 0) > Job.PageHeight() - g.M) {
                Job.NewPage();
                top = 0;
            }
            printer.Roll(top);
        }
        return;
    }
    const int cells = Rows * Cols;
    int cell = 0;
    for (int i = 0; i < Optimizer.Best.Count(); ++i) {
        if (cell >= cells) {
            Job.NewPage();
            cell = 0;
        }
        cell += PrintLayout(Job, i, Rows, Cols, cell, ShowLabel, ShowLengthXWidth, ShowXYPos,
                            ShowOffcuts, ShowCutSequence);
    }
}

int FirstLayoutWithoutDrawing(platform::TCanvas& Canvas, int PageWidth, int PageHeight, int Rows,
                              int Cols, int First, int Last) {
    if (RollingMode) Cols = 1;
    if (Rows < 1 || Cols < 1) return First;
    for (int i = std::max(First, 0); i <= Last && i < Optimizer.Best.Count(); ++i) {
        if (LayoutGeometry(Canvas, i, PageWidth, PageHeight, Rows, Cols).Scale <= 0) return i;
    }
    return -1;
}

std::vector<TPrintedDrawingSize> PrintedDrawingSizes(platform::TCanvas& Canvas, int PageWidth,
                                                     int PageHeight, int Resolution, int Rows,
                                                     int Cols, int First, int Last) {
    std::vector<TPrintedDrawingSize> sizes;
    if (RollingMode) Cols = 1;
    const double mmPerPixel = Resolution > 0 ? 25.4 / Resolution : 0;
    for (int i = std::max(First, 0); i <= Last && i < Optimizer.Best.Count(); ++i) {
        TPrintedDrawingSize size;
        if (Rows >= 1 && Cols >= 1) {
            const double sc = LayoutGeometry(Canvas, i, PageWidth, PageHeight, Rows, Cols).Scale;
            const TPacket& layout = Optimizer.Best[i];
            // The sheet's frame as it is printed.
            if (sc > 0) {
                size.LengthMm = Px(layout.NetLength() + 2.0 * WidthEdge, sc) * mmPerPixel;
                size.WidthMm = Px(layout.NetWidth() + 2.0 * LengthEdge, sc) * mmPerPixel;
            }
        }
        sizes.push_back(size);
    }
    return sizes;
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
