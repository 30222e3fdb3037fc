#include "engine/merge_line.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "engine/errors.h"
#include "engine/pubstr.h"
#include "engine/segment.h"
#include "support/recording_canvas.h"

void PrintTo(const TCutLine& C, std::ostream* os) {
    *os << "(" << C.X1 << "," << C.Y1 << ")-(" << C.X2 << "," << C.Y2 << ")";
}

namespace {

TCutLine Cut(std::int32_t X1, std::int32_t Y1, std::int32_t X2, std::int32_t Y2) {
    return {X1, Y1, X2, Y2, 0};
}

T2DStock Piece(std::int32_t X, std::int32_t Y, std::int32_t L, std::int32_t W) {
    T2DStock p;
    p.Position = {X, Y};
    p.Length = L;
    p.Width = W;
    return p;
}

TMergeLine Sheet(std::int32_t L, std::int32_t W, const std::vector<TCutLine>& Lines) {
    TMergeLine m;
    m.SetSheetLength(L);
    m.SetSheetWidth(W);
    for (const auto& c : Lines) m.AddLine(c.P1(), c.P2(), 7);
    return m;
}

// Whether P lies on C widened by H (the test the saw order is built on).
bool OnCut(TPoint P, const TCutLine& C, std::int32_t H) {
    const std::int32_t x1 = std::min(C.X1, C.X2), x2 = std::max(C.X1, C.X2);
    const std::int32_t y1 = std::min(C.Y1, C.Y2), y2 = std::max(C.Y1, C.Y2);
    return x1 - H <= P.X && P.X <= x2 + H && y1 - H <= P.Y && P.Y <= y2 + H;
}

// Every cut must end on the sheet border (where clipping puts it: 0..1 and the
// far edges) or on a cut made before it, as a panel saw needs.
void ExpectSawOrder(const TMergeLine& M) {
    const std::int32_t h = BladeWidth / 2;
    auto onBorder = [&](TPoint P) {
        return P.X <= 1 + h || P.Y <= 1 + h || P.X >= M.SheetLength - h || P.Y >= M.SheetWidth - h;
    };
    for (std::size_t k = 0; k < M.Merged.size(); ++k) {
        const TCutLine& c = M.Merged[k];
        for (TPoint end : {c.P1(), c.P2()}) {
            bool held = onBorder(end);
            for (std::size_t j = 0; j < k && !held; ++j) held = OnCut(end, M.Merged[j], h);
            EXPECT_TRUE(held) << "cut " << k + 1 << " (" << c.X1 << "," << c.Y1 << ")-(" << c.X2
                              << "," << c.Y2 << ") ends in the open at (" << end.X << "," << end.Y
                              << ")";
        }
    }
}

TEST(CutLinePieces, RectangleAddsItsFourSidesOnTheKerfMiddle) {
    BladeWidth = 3;
    AddPieceEdgesToMergeLine(Piece(10, 20, 100, 50), {0, 0});
    EXPECT_EQ(MergeLineSet.Lines, (std::vector<TCutLine>{Cut(9, 69, 109, 69), Cut(109, 69, 109, 19),
                                                         Cut(9, 19, 109, 19), Cut(9, 69, 9, 19)}));
    MergeLineSet.ClearLines();
    BladeWidth = -3;  // toward zero
    AddPieceEdgesToMergeLine(Piece(10, 20, 100, 50), {5, 6});
    EXPECT_EQ(MergeLineSet.Lines.front(), Cut(16, 77, 116, 77));

    MergeLineSet.ClearLines();
    T2DStock circle = Piece(0, 0, 100, 100), shaped = circle;
    circle.ShapeKind = skCircle;
    shaped.ShapeKind = skShaped;
    AddPieceEdgesToMergeLine(circle, {0, 0});
    AddPieceEdgesToMergeLine(shaped, {0, 0});
    EXPECT_TRUE(MergeLineSet.Lines.empty());
}

TEST(CutLinePieces, SidesBeyond32BitsAreARangeError) {
    EXPECT_THROW(AddPieceEdgesToMergeLine(Piece(2147483000, 0, 1000, 10), {0, 0}), ERangeError);
    EXPECT_TRUE(MergeLineSet.Lines.empty());
}

TEST(CutLineMerge, JoinsDropsAndClips) {
    const struct {
        const char* Name;
        std::int32_t Blade, L, W;
        std::vector<TCutLine> Lines, Merged;
    } cases[] = {
        {"collinear", 0, 1000, 200, {Cut(0, 100, 500, 100), Cut(400, 100, 900, 100)}, {Cut(0, 100, 900, 100)}},
        {"collinear", 4, 1000, 200, {Cut(0, 100, 500, 100), Cut(400, 100, 900, 100)}, {Cut(0, 100, 900, 100)}},
        {"collinear", 50, 1000, 200, {Cut(0, 100, 500, 100), Cut(400, 100, 900, 100)}, {Cut(0, 100, 900, 100)}},
        {"parallel 1 apart", 4000, 1000000, 900000, {Cut(0, 5000, 500000, 5000), Cut(200000, 5001, 700000, 5001)},
         {Cut(0, 5000, 500000, 5000), Cut(200000, 5001, 700000, 5001)}},
        {"parallel 3 apart", 4000, 1000000, 900000, {Cut(0, 5000, 500000, 5000), Cut(200000, 5003, 700000, 5003)},
         {Cut(0, 5000, 500000, 5000), Cut(200000, 5003, 700000, 5003)}},
        {"parallel 3750 apart", 4000, 1000000, 900000,
         {Cut(0, 500000, 500000, 500000), Cut(200000, 503750, 700000, 503750)},
         {Cut(0, 500000, 500000, 500000), Cut(200000, 503750, 700000, 503750)}},
        {"nearly collinear", 4, 10000, 10000, {Cut(0, 0, 3000, 1001), Cut(1500, 500, 6001, 2001)},
         {Cut(0, 0, 6001, 2001)}},
        {"bridge", 0, 1000, 200,
         {Cut(0, 50, 100, 50), Cut(200, 50, 300, 50), Cut(90, 50, 210, 50), Cut(600, 50, 700, 50)},
         {Cut(0, 50, 300, 50), Cut(600, 50, 700, 50)}},
        {"border and outside", 0, 1000, 500,
         {Cut(0, 0, 0, 500), Cut(1000, 100, 1000, 200), Cut(0, 0, 1000, 0), Cut(10, 500, 300, 500),
          Cut(-50, -5, 2000, -5), Cut(1200, 10, 1200, 400), Cut(400, 0, 400, 500)},
         {Cut(400, 0, 400, 500)}},
        {"clipped", 0, 1000, 500, {Cut(300, 200, 1500, 200), Cut(700, -40, 700, 100)},
         {Cut(300, 200, 1000, 200), Cut(700, 100, 700, 1)}},
    };
    for (const auto& c : cases) {
        BladeWidth = c.Blade;
        auto m = Sheet(c.L, c.W, c.Lines);
        m.MergeLines();
        EXPECT_EQ(m.Merged, c.Merged) << c.Name << ", blade " << c.Blade;
        EXPECT_EQ(m.Lines, m.Merged) << c.Name;
    }
}

TEST(CutLineOrder, FullWidthCutComesBeforeTheCutEndingOnIt) {
    TMergeLine m;
    m.SetSheetLength(1000);
    m.SetSheetWidth(500);
    m.Merged = {Cut(400, 0, 400, 250), Cut(0, 250, 1000, 250)};
    m.BuildCutSequence();
    EXPECT_EQ(m.Merged, (std::vector<TCutLine>{Cut(0, 250, 1000, 250), Cut(400, 0, 400, 250)}));
}

TEST(CutLineOrder, EarlierCutSplitsTheLinesItCrosses) {
    // The horizontal line ends on the verticals at x = 200 and x = 800, so
    // every vertical, also the one through its middle, is cut before it and
    // the middle one halves it.
    TMergeLine m;
    m.SetSheetLength(1000);
    m.SetSheetWidth(1000);
    m.Merged = {Cut(200, 300, 800, 300), Cut(500, 0, 500, 1000), Cut(200, 0, 200, 1000),
                Cut(800, 0, 800, 1000)};
    m.BuildCutSequence();
    // The left half ends on the two cuts already made and goes before the
    // last vertical.
    EXPECT_EQ(m.Merged, (std::vector<TCutLine>{Cut(200, 0, 200, 1000), Cut(500, 0, 500, 1000),
                                               Cut(200, 300, 500, 300), Cut(800, 0, 800, 1000),
                                               Cut(500, 300, 800, 300)}));
    ExpectSawOrder(m);
}

TEST(CutLineOrder, PinwheelThatNoSawCanFollowKeepsEveryLine) {
    auto m = Sheet(300, 300, {});
    for (const auto& p : {Piece(0, 0, 200, 100), Piece(200, 0, 100, 200), Piece(100, 200, 200, 100),
                          Piece(0, 100, 100, 200), Piece(100, 100, 100, 100)}) {
        MergeLineSet.ClearLines();
        AddPieceEdgesToMergeLine(p, {0, 0});
        for (const auto& c : MergeLineSet.Lines) m.AddLine(c.P1(), c.P2(), c.Tag);
    }
    m.MergeLines();
    auto merged = m.Merged;
    ASSERT_EQ(merged.size(), 4u);
    m.BuildCutSequence();
    EXPECT_EQ(m.Merged, merged);  // none can go first: all stay, in their order
}

// (Whether every side is cut, the plan-file checker tests on optimiser plans.)
TEST(CutLineOrder, GuillotineLayoutGivesASawOrder) {
    BladeWidth = 4;
    const std::vector<T2DStock> pieces = {Piece(0, 0, 804, 504),      Piece(0, 504, 804, 496),
                                          Piece(804, 0, 600, 304),    Piece(804, 304, 600, 304),
                                          Piece(804, 608, 600, 392),  Piece(1404, 0, 596, 600),
                                          Piece(1404, 600, 296, 400), Piece(1700, 600, 300, 400)};
    MergeLineSet.SetSheetLength(2000);
    MergeLineSet.SetSheetWidth(1000);
    for (const auto& p : pieces) AddPieceEdgesToMergeLine(p, {0, 0});
    MergeLineSet.MergeLines();
    MergeLineSet.BuildCutSequence();
    const TMergeLine& m = MergeLineSet;
    ASSERT_FALSE(m.Merged.empty());
    ExpectSawOrder(m);

    // The first cut runs through the whole sheet.
    const TCutLine& first = m.Merged.front();
    EXPECT_TRUE(std::abs(first.X1 - first.X2) >= 1990 || std::abs(first.Y1 - first.Y2) >= 990);
}

class CutLineGCode : public ::testing::Test {
  protected:
    void SetUp() override {
        GCodeZMoves = false;
        GCodeCutExtension = 0;
        GCodeCutPrefix.clear();
        GCodePlungePrefix.clear();
        GCodeNumberSuffix.clear();
    }
    std::vector<std::string> Write(const std::vector<TCutLine>& Cuts) {
        TMergeLine m;
        m.Merged = Cuts;
        std::vector<std::string> f;
        m.WriteGCode(f, "-5", "10");
        return f;
    }
};

TEST_F(CutLineGCode, ZMovesPrefixesAndSuffix) {
    EXPECT_EQ(Write({Cut(1500, 250, 3000, 250)}),
              (std::vector<std::string>{"G0 X1.5Y0.25", "G1 X3Y0.25"}));
    GCodeZMoves = true;
    GCodeCutPrefix = "N1 ";
    GCodePlungePrefix = "N2 ";
    GCodeNumberSuffix = ".0";
    EXPECT_EQ(
        Write({Cut(1000, 0, 2000, 0)}),
        (std::vector<std::string>{"G0 Z10.0", "G0 X1.0Y0.0", "N2 G1 Z-5.0", "N1 G1 X2.0Y0.0"}));
}

TEST_F(CutLineGCode, EachCutStartsAtTheEndNearerThePreviousCut) {
    EXPECT_EQ(Write({Cut(500, 1000, 500, 0), Cut(900, 2000, 100, 2000)}),
              (std::vector<std::string>{"G0 X0.5Y0", "G1 X0.5Y1", "G0 X0.1Y2", "G1 X0.9Y2"}));
    // Both ends equally far: from the second end to the first.
    EXPECT_EQ(Write({Cut(0, 1000, 1000, 0)}), (std::vector<std::string>{"G0 X1Y0", "G1 X0Y1"}));
}

TEST_F(CutLineGCode, ExtensionShortensStraightCutsAtBothEnds) {
    GCodeCutExtension = 10;
    EXPECT_EQ(Write({Cut(500, 0, 500, 1000)}),
              (std::vector<std::string>{"G0 X0.5Y0.01", "G1 X0.5Y0.99"}));
    EXPECT_EQ(Write({Cut(1000, 300, 0, 300)}),  // runs from x = 0 after the swap
              (std::vector<std::string>{"G0 X0.01Y0.3", "G1 X0.99Y0.3"}));
    // A sloped cut keeps its ends.
    EXPECT_EQ(Write({Cut(0, 0, 1000, 2000)}), (std::vector<std::string>{"G0 X0Y0", "G1 X1Y2"}));
    // A negative extension lengthens.
    GCodeCutExtension = -10;
    EXPECT_EQ(Write({Cut(500, 0, 500, 1000)}),
              (std::vector<std::string>{"G0 X0.5Y-0.01", "G1 X0.5Y1.01"}));
}

// Shorter than twice the extension: both ends meet in the middle.
TEST_F(CutLineGCode, CutShorterThanTwiceTheExtensionNeverRunsBackwards) {
    const struct {
        std::int32_t X1, Y1, X2, Y2;
        std::vector<std::string> Lines;
    } cases[] = {{0, 100, 0, 115, {"G0 X0Y0.107", "G1 X0Y0.107"}},
                 {200, 0, 185, 0, {"G0 X0.193Y0", "G1 X0.193Y0"}},
                 {0, 100, 0, 120, {"G0 X0Y0.11", "G1 X0Y0.11"}}};  // exactly twice
    for (const auto& c : cases) {
        std::vector<std::string> f;
        TMergeLine::WriteGCodeCut(f, "10", "-5", c.X1, c.Y1, c.X2, c.Y2, "", "", "", 10);
        EXPECT_EQ(f, c.Lines);
    }
}

TEST(CutLineDraw, NumberedCutsInTheirColours) {
    TMergeLine m;
    for (int i = 0; i < 10; ++i) m.Merged.push_back(Cut(i * 100, 0, i * 100, 1000));
    m.Merged.push_back(Cut(0, 500, 1000, 500));
    testsupport::RecordingCanvas c;
    c.Font.Height = -12;
    m.DrawLines(c, {10, 20}, 0.5, false);
    const auto lines = c.OfKind(testsupport::OpKind::Line);
    ASSERT_EQ(lines.size(), 11u);
    EXPECT_EQ(lines[1].Points[0], (platform::TCanvasPoint{60, 20}));
    EXPECT_EQ(lines[1].Points[1], (platform::TCanvasPoint{60, 520}));
    EXPECT_EQ(lines[0].Pen.Color, platform::clBlue);
    EXPECT_EQ(lines[8].Pen.Color, platform::clBlack);
    EXPECT_EQ(lines[9].Pen.Color, platform::clBlue);
    const auto* two = c.FindText("2");
    ASSERT_NE(two, nullptr);
    EXPECT_EQ(two->Font.Color, platform::clTeal);
    EXPECT_EQ(two->Points[0], (platform::TCanvasPoint{72, 270}));  // right of the vertical cut
    const auto* eleven = c.FindText("11");
    ASSERT_NE(eleven, nullptr);
    EXPECT_EQ(eleven->Points[0], (platform::TCanvasPoint{260, 258}));  // above the horizontal cut
}

TEST(CutLineDraw, AnimationLeavesNumbersOutAndWaitsBeforeStraightCuts) {
    TMergeLine m;
    m.Merged = {Cut(0, 0, 0, 100), Cut(0, 0, 100, 50), Cut(0, 10, 100, 10)};
    testsupport::RecordingCanvas c;
    std::vector<int> waits;
    m.DrawLines(c, {0, 0}, 1.0, true, [&](int ms) { waits.push_back(ms); });
    EXPECT_TRUE(c.Texts().empty());
    EXPECT_EQ(c.Count(testsupport::OpKind::Line), 3u);
    EXPECT_EQ(waits, (std::vector<int>{500, 500}));
}

TEST(CutLineDraw, PrinterNumbersUseTheCutSequenceFont) {
    TMergeLine m;
    m.Merged = {Cut(0, 0, 0, 100)};
    testsupport::RecordingCanvas c;
    auto height = [&] {
        c.Clear();
        m.DrawCutSequence(c, {0, 0}, 1.0, 4950);
        return c.OfKind(testsupport::OpKind::Text).at(0).Font.Height;
    };
    AutoPrinterFontSize = true;
    AutoPrinterFontZoom = 99;
    EXPECT_EQ(height(), -50);
    EXPECT_EQ(c.OfKind(testsupport::OpKind::Text)[0].Font.Name, CutSeqFontName);
    AutoPrinterFontZoom = 0;  // cannot scale to the page: the set size
    EXPECT_EQ(height(), -CutSeqFontSize);
}

}  // namespace
