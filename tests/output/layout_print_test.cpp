#include "output/layout_print.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>
#include <utility>
#include <vector>

#include "engine/merge_line.h"
#include "output/sample_plan.h"
#include "support/recording_canvas.h"

using testsupport::OpKind;
using testsupport::RecordingCanvas;

namespace {

std::size_t CountOps(const platform::TCanvas& C) {
    return static_cast<const RecordingCanvas&>(C).Ops.size();
}

bool HasText(const RecordingCanvas& C, const std::string& T) {
    return C.FindText(T) != nullptr;
}

struct Printer {
    RecordingCanvas Canvas;
    platform::TRecordingPrintJob Job;
    Printer(int W, int H) : Job(Canvas, W, H, 300, &CountOps) { Job.BeginDoc(); }
};

// The sample plan in the nested cut mode (the program's own default is rolling).
void BuildPlan() {
    sample_plan::Build();
    RollingMode = false;
}

}  // namespace

TEST(LayoutView, DrawsPiecesLabelsSizesAndOffcutsOnlyWhenAsked) {
    BuildPlan();
    MinScrapLength = 0;  // even the ZEROOFFCUT_ piece would be big enough to draw
    MinScrapWidth = 0;
    for (bool offcuts : {false, true}) {
        RecordingCanvas c;
        TLayoutViewOptions o;
        o.ShowOffcuts = offcuts;
        EXPECT_EQ(DrawLayoutView(0, c, 0.005, o), 0);
        EXPECT_TRUE(HasText(c, "A"));
        EXPECT_TRUE(HasText(c, "30"));  // size of A along its bottom
        EXPECT_EQ(HasText(c, "OFFCUT_1"), offcuts);
        EXPECT_FALSE(HasText(c, "ZEROOFFCUT_1"));
    }
    // The carried piece is left out.
    RecordingCanvas c;
    TLayoutViewOptions o;
    o.SkipPiece = 2;  // B
    DrawLayoutView(0, c, 0.005, o);
    EXPECT_FALSE(HasText(c, "B"));
}

TEST(LayoutView, DrawsNumberedCutsOrTheAnimatedFirstCuts) {
    BuildPlan();
    TLayoutViewOptions o;
    o.ShowCutSequence = true;
    RecordingCanvas all;
    const int cuts = DrawLayoutView(1, all, 0.005, o);
    ASSERT_GT(cuts, 2);
    EXPECT_TRUE(HasText(all, "1"));
    EXPECT_TRUE(HasText(all, std::to_string(cuts)));
    EXPECT_EQ(all.Count(OpKind::Line), static_cast<std::size_t>(cuts));  // no piece outlines
    EXPECT_EQ(all.FindText("P")->Font.Color, platform::clBlack);         // not a cut's colour

    o.CutsShown = 2;
    RecordingCanvas two;
    DrawLayoutView(1, two, 0.005, o);
    EXPECT_EQ(two.Count(OpKind::Line), 2u);
    EXPECT_FALSE(HasText(two, "1"));

    // A layout with a shaped part draws outlines instead.
    RecordingCanvas shaped;
    EXPECT_EQ(DrawLayoutView(0, shaped, 0.005, o), 0);
}

TEST(PrintLayout, ScalesTheSheetIntoTheCellWithFramesAndDimensionMarks) {
    BuildPlan();
    Printer p(2000, 3000);
    PrintLayout(p.Job, 1, 1, 1, 0, true, true, false, false, false);
    // Automatic font: 2000 div 99 = 20 pixels; margin 40, line step 26.
    const int h = 20, m = 40, s = 26;
    const int hh = h + s * static_cast<int>(LayoutHeaderLines.size());
    // The sheet starts a line step below the header, lower by the 53 pixels
    // of the trim marks above it.
    const int top = m + hh + s + 53;
    const double sx = (2000 - 2 * m) / (82000.0 + 2000);
    const double sy = (3000 - top - m - 2 * s) / (62000.0 + 1000);
    const double sc = std::min(sx, sy);
    const auto rects = p.Canvas.OfKind(OpKind::Rectangle);
    ASSERT_GE(rects.size(), 2u);
    const platform::TCanvasRect r1 = rects[0].Box();
    EXPECT_EQ(r1.Left, m);
    EXPECT_EQ(r1.Top, top);
    EXPECT_EQ(r1.Right, m + static_cast<int>(std::nearbyint(82000 * sc)));
    EXPECT_EQ(r1.Bottom, top + static_cast<int>(std::nearbyint(61000 * sc)));
    const platform::TCanvasRect r2 = rects[1].Box();
    EXPECT_EQ(r2.Left, m + static_cast<int>(std::nearbyint(1000 * sc)));
    // Typed length below the sheet, width right of it, trims and net sizes above and left.
    const auto* length = p.Canvas.FindText("80");
    ASSERT_NE(length, nullptr);
    EXPECT_EQ(length->Points[0].Y, r1.Top - 53);  // net length above the sheet comes first
    EXPECT_TRUE(HasText(p.Canvas, "1"));
    EXPECT_TRUE(HasText(p.Canvas, "0.5"));
    EXPECT_TRUE(HasText(p.Canvas, "60"));
    EXPECT_TRUE(HasText(p.Canvas, "P"));
    EXPECT_FALSE(HasText(p.Canvas, "OFFCUT_1"));
}

TEST(PrintLayout, FiveLayoutsTwoByTwoMakeTwoPages) {
    BuildPlan();
    Optimizer.Best.Packets.Add(TPacket(Optimizer.Best[1]));
    Optimizer.Best.Packets.Add(TPacket(Optimizer.Best[2]));
    Printer p(2000, 3000);
    PrintAllLayouts(p.Job, 2, 2, true, true, true, true, true);
    ASSERT_EQ(p.Job.PageCount(), 2);
    // The fifth layout starts page 2 in its top-left cell.
    const auto& first = p.Canvas.Ops[p.Job.PageStarts[1]];
    EXPECT_EQ(first.Kind, OpKind::Text);
    EXPECT_EQ(first.Points[0].X, 40);
    EXPECT_EQ(first.Points[0].Y, 40 + 20 + 26);
}

TEST(PrintLayout, FontBelowEightBecomesEightOnlyWhenItIsTheSetSize) {
    struct Case {
        bool Auto;
        int PageWidth;
        int SizeAfter;
    } cases[] = {{false, 2000, 8}, {true, 500, 72}};
    for (const Case& c : cases) {
        BuildPlan();
        AutoPrinterFontSize = c.Auto;
        PrinterFontSize = c.Auto ? 72 : 5;
        Printer p(c.PageWidth, 3000);
        PrintLayout(p.Job, 1, 1, 1, 0, true, true, false, false, false);
        EXPECT_EQ(PrinterFontSize, c.SizeAfter);
        EXPECT_EQ(p.Canvas.Ops.front().Font.Height, -8);
        EXPECT_EQ(LabelFontSize, 72);
    }
}

// On a roll the layout goes on over the next rows and pages, without
// dimension marks; a cell with no width left ends the printing.
TEST(PrintLayout, RollingModeContinuesOnTheNextRowsAndPages) {
    BuildPlan();
    RollingMode = true;
    Printer p(600, 3000);
    PrintLayout(p.Job, 1, 2, 1, 0, true, false, false, false, false);
    EXPECT_GE(p.Job.PageCount(), 2);
    EXPECT_FALSE(HasText(p.Canvas, "0.5"));
    Printer narrow(32, 3000);  // 8-pixel font: the margins leave no width
    EXPECT_EQ(PrintLayout(narrow.Job, 1, 1, 4, 0, true, false, false, false, false), 1);
    EXPECT_EQ(narrow.Job.PageCount(), 1);
}

// Whatever the header holds, it ends above the marks over the sheet and the
// sheet itself.
TEST(PrintLayout, HeaderEndsAboveTheDrawing) {
    for (const bool parts : {false, true})
        for (const std::int32_t trim : {0, 1000}) {
            BuildPlan();
            PartsInLayout = parts;
            WidthEdge = trim;
            Printer p(2000, 3000);
            PrintLayout(p.Job, 0, 2, 2, 3, true, true, false, false, false);
            const std::size_t lines = LayoutHeaderLines.size();
            const auto texts = p.Canvas.OfKind(OpKind::Text);
            ASSERT_GT(texts.size(), lines);
            EXPECT_EQ(texts[lines - 1].Text, LayoutsCaption);
            const int headerBottom = texts[lines - 1].Points[0].Y + 20;  // 20-pixel font
            const int sheetTop = p.Canvas.OfKind(OpKind::Rectangle)[0].Box().Top;
            EXPECT_LT(headerBottom, sheetTop) << parts << trim;
            // Every later text (marks, labels) and line lies below the header.
            for (std::size_t k = lines; k < p.Canvas.Ops.size(); ++k) {
                if (p.Canvas.Ops[k].Points.empty()) continue;
                EXPECT_GT(p.Canvas.Ops[k].Points[0].Y, headerBottom) << p.Canvas.Ops[k].Text;
            }
        }
}

// Rolling, several layouts to a page: each layout has its header once, in a
// cell of its own; a roll longer than the page width goes on in the cells after
// it.
TEST(PrintLayout, RollingLayoutsEachInCellsOfTheirOwn) {
    BuildPlan();
    RollingMode = true;
    for (const int width : {3000, 900}) {
        Printer p(width, 3000);
        PrintAllLayouts(p.Job, 2, 3, true, false, false, false, false);
        // The page and cell of every header's layout line.
        std::vector<std::pair<int, int>> cells;
        int page = 0;
        for (std::size_t k = 0; k < p.Canvas.Ops.size(); ++k) {
            while (page + 1 < p.Job.PageCount() && k >= p.Job.PageStarts[page + 1]) ++page;
            const auto& op = p.Canvas.Ops[k];
            if (op.Kind == OpKind::Text && op.Text.find("--- " + LayoutsCaption) != std::string::npos)
                cells.emplace_back(page, op.Points[0].Y / 1500);
        }
        ASSERT_EQ(cells.size(), 3u) << width;
        for (std::size_t a = 0; a < cells.size(); ++a)
            for (std::size_t b = a + 1; b < cells.size(); ++b) EXPECT_NE(cells[a], cells[b]) << width;
        if (width == 3000) {
            // One strip each, as high as two rows of a page whose header takes
            // its share: the next header and strip no longer fit below.
            EXPECT_EQ(p.Job.PageCount(), 3);
        } else {
            EXPECT_GT(p.Job.PageCount(), 2);
        }
    }
}

namespace {

// What a print put on its pages: for every layout (in print order) its page,
// the top of its header and the frames of its sheet, strip by strip.
struct PrintedLayout {
    int Page = 0;
    int HeaderTop = 0, HeaderBottom = 0;
    std::vector<std::pair<int, platform::TCanvasRect>> Frames;  // page, outer frame
};

std::vector<PrintedLayout> PrintedLayouts(const Printer& P, int FontHeight, int LineStep) {
    std::vector<PrintedLayout> out;
    std::vector<int> headerTexts;  // tops of the texts of the last header
    int page = 0;
    bool frameNext = false, inHeader = false;
    for (std::size_t k = 0; k < P.Canvas.Ops.size(); ++k) {
        while (page + 1 < P.Job.PageCount() && k >= P.Job.PageStarts[page + 1]) ++page;
        const auto& op = P.Canvas.Ops[k];
        // The layout's number stands in its header's third line.
        if (op.Kind == OpKind::Text && op.Text.find("--- " + LayoutsCaption) != std::string::npos) {
            // Its first two lines were taken for the layout before when that
            // has no drawing.
            if (inHeader && headerTexts.size() >= 2) {
                headerTexts.resize(headerTexts.size() - 2);
                out.back().HeaderBottom = headerTexts.empty() ? out.back().HeaderTop : headerTexts.back() + FontHeight;
            }
            out.push_back({page, op.Points[0].Y - 2 * LineStep, op.Points[0].Y + FontHeight, {}});
            headerTexts.assign(1, op.Points[0].Y);
            inHeader = true;
            frameNext = true;
            continue;
        }
        if (out.empty()) continue;
        if (op.Kind == OpKind::Text && inHeader) {
            out.back().HeaderBottom = op.Points[0].Y + FontHeight;
            headerTexts.push_back(op.Points[0].Y);
        } else if (op.Kind == OpKind::Clip) {
            frameNext = true;
        } else if (op.Kind == OpKind::Rectangle && frameNext) {
            out.back().Frames.emplace_back(page, op.Box());
            frameNext = inHeader = false;
        } else if (op.Kind != OpKind::Text) {
            inHeader = false;
        }
    }
    return out;
}

bool Overlap(int Top1, int Bottom1, int Top2, int Bottom2) {
    return Top1 < Bottom2 && Top2 < Bottom1;
}

}  // namespace

// Every roll of Print All gets its drawing at the height its rows give: the
// header comes off the page once and the rest is shared by the rows. A roll
// going on over new pages starts each at the top; the next roll follows below
// its last strip or on a new page, never over anything already printed.
TEST(PrintLayout, RollingPrintAllGivesEveryRowItsHeightAndOverprintsNothing) {
    const int pw = 400, ph = 3000, h = 8, m = 16, s = 10;  // 400 div 99 is below 8
    for (const bool parts : {false, true})
        for (const int rows : {1, 2, 3, 4}) {
            BuildPlan();
            RollingMode = true;
            PartsInLayout = parts;
            Printer p(pw, ph);
            PrintAllLayouts(p.Job, rows, 1, true, true, false, false, false);
            const auto printed = PrintedLayouts(p, h, h + h / 3);
            ASSERT_EQ(printed.size(), static_cast<std::size_t>(Optimizer.Best.Count())) << rows;
            bool spansPages = false;
            for (int i = 0; i < Optimizer.Best.Count(); ++i) {
                const PrintedLayout& l = printed[static_cast<std::size_t>(i)];
                ASSERT_FALSE(l.Frames.empty()) << "layout " << i << " rows " << rows << " parts " << parts;
                BuildLayoutHeaderText(i);
                const int hh = h + s * static_cast<int>(LayoutHeaderLines.size());
                const int ah = (ph - hh - 2 * m) / rows - 2 * s;
                const TPacket& layout = Optimizer.Best[i];
                const int height = static_cast<int>(std::nearbyint(
                    (layout.NetWidth() + 2.0 * LengthEdge) * ah / (layout.Width + 2.0 * LengthEdge)));
                for (const auto& [page, frame] : l.Frames) {
                    EXPECT_GE(frame.Bottom - frame.Top, height) << i << " rows " << rows;
                    EXPECT_GE(frame.Top, 0);
                    EXPECT_LE(frame.Bottom, ph - m) << i << " rows " << rows;
                }
                // The first strip below the header; the first strip of every
                // further page at its top margin.
                EXPECT_GT(l.Frames.front().second.Top, l.HeaderBottom);
                for (std::size_t k = 1; k < l.Frames.size(); ++k)
                    if (l.Frames[k].first != l.Frames[k - 1].first) {
                        EXPECT_EQ(l.Frames[k].second.Top, m) << i << " rows " << rows;
                        spansPages |= l.Frames[k].first >= l.Page + 2;
                    }
                if (i == 0) { EXPECT_EQ(l.Frames.size() > static_cast<std::size_t>(rows), l.Frames.back().first > 0); }
            }
            if (rows <= 2) { EXPECT_TRUE(spansPages) << rows; }  // the case of a roll over two new pages
            // Nothing printed twice on a spot: headers and strips of all
            // layouts, page by page.
            std::vector<std::tuple<int, int, int>> bands;  // page, top, bottom
            for (const PrintedLayout& l : printed) {
                bands.emplace_back(l.Page, l.HeaderTop, l.HeaderBottom);
                for (const auto& [page, frame] : l.Frames) bands.emplace_back(page, frame.Top, frame.Bottom);
            }
            for (std::size_t a = 0; a < bands.size(); ++a)
                for (std::size_t b = a + 1; b < bands.size(); ++b)
                    EXPECT_FALSE(std::get<0>(bands[a]) == std::get<0>(bands[b]) &&
                                 Overlap(std::get<1>(bands[a]), std::get<2>(bands[a]), std::get<1>(bands[b]),
                                         std::get<2>(bands[b])))
                        << "rows " << rows << " parts " << parts << ": bands " << a << " and " << b;
        }
}

// A print is refused before anything is printed exactly when some layout
// would get its header and no drawing; a header too long for its cell is cut
// at the cell's bottom instead of running into the next one.
TEST(PrintLayout, LayoutsWithoutDrawingAreFoundBeforePrinting) {
    const int pw = 2000, ph = 3000, h = 20;
    for (const bool rolling : {false, true})
        for (const bool parts : {false, true})
            for (const int rows : {1, 2, 4, 6, 8, 12, 60}) {
                if (rows == 60 && !rolling) continue;  // a cell lower than one header line
                BuildPlan();
                RollingMode = rolling;
                PartsInLayout = parts;
                RecordingCanvas measure;
                const int bad = FirstLayoutWithoutDrawing(measure, pw, ph, rows, 1, 0, Optimizer.Best.Count() - 1);
                Printer p(pw, ph);
                PrintAllLayouts(p.Job, rows, 1, true, true, false, false, false);
                const auto printed = PrintedLayouts(p, h, h + h / 3);
                ASSERT_EQ(printed.size(), static_cast<std::size_t>(Optimizer.Best.Count()));
                int firstEmpty = -1;
                for (std::size_t i = 0; i < printed.size() && firstEmpty < 0; ++i)
                    if (printed[i].Frames.empty()) firstEmpty = static_cast<int>(i);
                EXPECT_EQ(bad, firstEmpty) << "rolling " << rolling << " parts " << parts << " rows " << rows;
                if (rows <= 2) { EXPECT_EQ(bad, -1) << rolling << parts << rows; }
                if (rows == (rolling ? 60 : 12)) { EXPECT_EQ(bad, 0) << rolling << parts << rows; }
                // Only the layouts First..Last are looked at.
                if (bad > 0) { EXPECT_EQ(FirstLayoutWithoutDrawing(measure, pw, ph, rows, 1, 0, bad - 1), -1); }
                if (rolling) continue;
                for (std::size_t i = 0; i < printed.size(); ++i) {
                    const int cellBottom = ph / rows * (static_cast<int>(i) % rows + 1);
                    EXPECT_LE(printed[i].HeaderBottom, cellBottom) << parts << " rows " << rows;
                }
            }
}

// The drawing sizes found before printing are those of the frames the print
// draws, in millimetres at the page's resolution; a layout without a drawing
// has none.
TEST(PrintLayout, DrawingSizesAreThoseOfThePrintedFramesInMillimetres) {
    const int pw = 2000, ph = 3000, h = 20, dpi = 300;
    for (const bool rolling : {false, true})
        for (const bool parts : {false, true})
            for (const int rows : {1, 3, 6, 12}) {
                SCOPED_TRACE(testing::Message()
                             << "rolling " << rolling << " parts " << parts << " rows " << rows);
                BuildPlan();
                RollingMode = rolling;
                PartsInLayout = parts;
                RecordingCanvas measure;
                const int last = Optimizer.Best.Count() - 1;
                const auto sizes = PrintedDrawingSizes(measure, pw, ph, dpi, rows, 1, 0, last);
                ASSERT_EQ(static_cast<int>(sizes.size()), last + 1);
                Printer p(pw, ph);
                PrintAllLayouts(p.Job, rows, 1, true, true, false, false, false);
                const auto printed = PrintedLayouts(p, h, h + h / 3);
                ASSERT_EQ(printed.size(), sizes.size());
                for (std::size_t i = 0; i < sizes.size(); ++i) {
                    if (printed[i].Frames.empty()) {
                        EXPECT_EQ(sizes[i].LengthMm, 0) << i;
                        EXPECT_EQ(sizes[i].WidthMm, 0) << i;
                        continue;
                    }
                    const platform::TCanvasRect f = printed[i].Frames[0].second;
                    EXPECT_NEAR(sizes[i].LengthMm, (f.Right - f.Left) * 25.4 / dpi, 1e-9) << i;
                    EXPECT_NEAR(sizes[i].WidthMm, (f.Bottom - f.Top) * 25.4 / dpi, 1e-9) << i;
                    EXPECT_GT(sizes[i].WidthMm, 0) << i;
                }
                // Only the layouts First..Last, from First on.
                const auto tail = PrintedDrawingSizes(measure, pw, ph, dpi, rows, 1, 1, last);
                ASSERT_EQ(tail.size(), sizes.size() - 1);
                EXPECT_EQ(tail[0].WidthMm, sizes[1].WidthMm);
            }
}

TEST(PrintSummaryReport, ContinuesOnNewPagesWithoutRepeatingTheTitle) {
    BuildPlan();
    SummaryReportLines.assign(100, "line");
    Printer p(2000, 1000);
    PrintSummaryReport(p.Job);
    EXPECT_GE(p.Job.PageCount(), 3);
    const auto texts = p.Canvas.Texts();
    EXPECT_EQ(std::count(texts.begin(), texts.end(), "line"), 100);
    EXPECT_EQ(std::count(texts.begin(), texts.end(), ReportCaption), 1);
    for (const auto& op : p.Canvas.Ops) EXPECT_EQ(op.Font.Pitch, platform::TFontPitch::Fixed);
}
