// The window's geometry, the Edit menu on grid cells, the template pictures
// of the free-shape page and the offcut sides drop-down.
#include <gtest/gtest.h>

#include <cmath>

#include "app/core/free_shapes.h"
#include "app/core/grid_editing.h"
#include "app/core/layout_view.h"
#include "app/core/option_page.h"
#include "app/core/window_geometry.h"
#include "engine/pubstr.h"
#include "engine/shared_state.h"
#include "engine/trapezium.h"

TEST(FlowRows, WrapsWhenTheNextCommandDoesNotFit) {
    const std::vector<TFlowSize> items{{100, 20}, {100, 24}, {100, 20}, {250, 20}};
    int height = 0;
    // One line when there is room for all.
    auto r = FlowRows(items, 600, 6, &height);
    EXPECT_EQ(r[3], (TWindowRect{318, 0, 250, 20}));
    EXPECT_EQ(height, 24);
    // Two lines: the third command starts the second.
    r = FlowRows(items, 210, 6, &height);
    EXPECT_EQ(r[1], (TWindowRect{106, 0, 100, 24}));
    EXPECT_EQ(r[2], (TWindowRect{0, 30, 100, 20}));
    // A command wider than a line gets one of its own, cut to its width.
    EXPECT_EQ(r[3], (TWindowRect{0, 56, 210, 20}));
    EXPECT_EQ(height, 76);
    EXPECT_TRUE(FlowRows({}, 100, 6, &height).empty());
    EXPECT_EQ(height, 0);
}

TEST(OpeningWindowRect, KeepsTheTitleBarOnTheScreen) {
    const TWindowRect wide{0, 0, 1920, 1080}, workshop{0, 0, 1366, 768}, small{0, 0, 800, 600};
    const struct {
        int Left, Top;
        TWindowRect Screen, Want;
    } cases[] = {
        {100, 50, wide, {100, 50, kDefaultWindowWidth, kDefaultWindowHeight}},
        {-1, -30, wide, {0, 0, kDefaultWindowWidth, kDefaultWindowHeight}},  // off the top left
        {1800, 1000, wide, {1920 - kDefaultWindowWidth - kFrameAllowanceX,
                            1080 - kDefaultWindowHeight - kFrameAllowanceY, kDefaultWindowWidth,
                            kDefaultWindowHeight}},
        {0, 0, workshop, {0, 0, kDefaultWindowWidth, 768 - kFrameAllowanceY}},
        {300, 300, small, {0, 0, 800 - kFrameAllowanceX, 600 - kFrameAllowanceY}},
        {300, 300, {0, 0, 781, 500}, {0, 0, kMinClientWidth, kMinClientHeight}},  // never below the minimum
    };
    for (const auto& c : cases) EXPECT_EQ(OpeningWindowRect(c.Left, c.Top, c.Screen), c.Want) << c.Left;
}

TEST(EditMenuOnCells, CopiesTheCellAndPastesOneField) {
    TStringGrid g(3, 3);
    g.SetCell(1, 0, "Title");
    g.SetCell(1, 2, "PLY 18");
    EXPECT_EQ(CopyCell(g, {1, 2}), "PLY 18");
    EXPECT_EQ(CopyCell(g, {1, 0}), "");  // the titles are no data
    EXPECT_EQ(CopyCell(g, {1, 3}), "");
    EXPECT_EQ(CopyCell(g, {5, 1}), "");
    EXPECT_EQ(CellTextOfClipboard("2440\t1220\r\nnext"), "2440");
    EXPECT_EQ(CellTextOfClipboard("MDF\nnext"), "MDF");
    EXPECT_EQ(CellTextOfClipboard("OAK"), "OAK");
}

TEST(StandardShapePicture, EachTemplateIsDrawnWithItsNamedDimensions) {
    const std::size_t shapes = TrapeziumList.Count();
    for (const std::string& name : StandardShapeNames()) {
        const TShapePicture& p = StandardShapePicture(name);
        EXPECT_GT(p.Outline.Count(), 0u) << name;
        EXPECT_GT(p.Length, 0) << name;
        EXPECT_GT(p.Width, 0) << name;
        // The dimensions are the template's parameters, in the grid's order,
        // and lie on the picture.
        std::vector<std::string> names;
        for (const TShapeDimension& d : p.Dimensions) {
            names.push_back(d.Name);
            for (const TPoint q : {d.From, d.To}) {
                EXPECT_GE(q.X, 0) << name << " " << d.Name;
                EXPECT_LE(q.X, p.Length) << name << " " << d.Name;
                EXPECT_GE(q.Y, 0) << name << " " << d.Name;
                EXPECT_LE(q.Y, p.Width) << name << " " << d.Name;
            }
        }
        std::vector<std::string> want = StandardShapeParameters(name);
        std::sort(names.begin(), names.end());
        std::sort(want.begin(), want.end());
        EXPECT_EQ(names, want) << name;
    }
    EXPECT_EQ(TrapeziumList.Count(), shapes);  // the list is as it was
    // The right-angled triangle: G along the top side, H down the left side.
    const TShapePicture& t = StandardShapePicture("Triangle2");
    ASSERT_EQ(t.Dimensions.size(), 2u);
    EXPECT_EQ(t.Dimensions[0].From.Y, t.Dimensions[0].To.Y);
    EXPECT_EQ(std::abs(t.Dimensions[0].To.X - t.Dimensions[0].From.X), t.Length);
    EXPECT_EQ(t.Dimensions[1].From.X, t.Dimensions[1].To.X);
    EXPECT_EQ(std::abs(t.Dimensions[1].To.Y - t.Dimensions[1].From.Y), t.Width);
    EXPECT_EQ(StandardShapePicture("Star").Outline.Count(), 0u);
}

TEST(OffcutSides, TakeEffectAtOnce) {
    TOptionPage page;
    OnChangeOffcutsrotatable(page, 1);
    EXPECT_EQ(page.ComboBoxBothOrEither, 1);
    EXPECT_FALSE(OffcutLenRotatable);
    OnChangeOffcutsrotatable(page, 0);
    EXPECT_EQ(page.ComboBoxBothOrEither, 0);
    EXPECT_TRUE(OffcutLenRotatable);
}
