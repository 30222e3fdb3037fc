#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "app/core/layout_view.h"
#include "app/core/main_window.h"
#include "app/core/manual_edit.h"
#include "engine/pubstr.h"
#include "engine/shared_state.h"

namespace {

constexpr std::int32_t kBlade = 2000;

T2DStock Part(const std::string& Label, std::int32_t L, std::int32_t W, int Index,
              bool Rotate = true) {
    T2DStock p;
    p.Label = Label;
    p.Length = L + kBlade;
    p.Width = W + kBlade;
    p.Index = Index;
    p.CanRotate = Rotate;
    p.Quantity = 1;
    return p;
}

T2DStock At(T2DStock P, std::int32_t X, std::int32_t Y) {
    P.Position = {X, Y};
    return P;
}

// One layout on a sheet 100 x 50 (blade 2): A at (0,0), B at (32,0), the
// rest named as offcuts. Scale 1 pixel per 1000 units.
TPacket& BuildLayout(std::int32_t SheetW = 50000) {
    BladeWidth = kBlade;
    TPanels parts;
    parts.AddCopy(Part("A", 30000, 20000, 0));
    parts.AddCopy(Part("B", 40000, 20000, 1, false));
    TPacket p = TPacket::CreateFromParts(parts);
    p.Label = "S1";
    p.Length = 100000 + kBlade;
    p.Width = SheetW + kBlade;
    p.Quantity = 1;
    p.ResetSpaces();
    p.AddPlacement(At(parts[0], 0, 0));
    p.AddPlacement(At(parts[1], 32000, 0));
    NameOffcutsOfPacket(p);
    Optimizer.Best.Clear();
    Optimizer.Best.Packets.Add(std::move(p));
    CurrentLayoutIndex = 0;
    return Optimizer.Best[0];
}

// No two placements overlap and each lies on the sheet.
void ExpectValid(const TPacket& p) {
    const auto& v = p.Placements.Items();
    for (std::size_t i = 0; i < v.size(); ++i) {
        const TRect a = v[i].BoundsRect();
        EXPECT_TRUE(a.Left >= 0 && a.Top >= 0 && a.Right <= p.Length && a.Bottom <= p.Width)
            << v[i].Label;
        for (std::size_t j = i + 1; j < v.size(); ++j) {
            const TRect b = v[j].BoundsRect();
            EXPECT_TRUE(a.Right <= b.Left || b.Right <= a.Left || a.Bottom <= b.Top ||
                        b.Bottom <= a.Top)
                << v[i].Label << " overlaps " << v[j].Label;
        }
    }
}

const T2DStock* Find(const TPacket& p, const std::string& Label) {
    for (const T2DStock& s : p.Placements)
        if (s.Label == Label) return &s;
    return nullptr;
}

struct Editor {
    TManualEdit Edit;
    std::vector<platform::TCanvasRect> Shown;  // focus rectangles now visible
    Editor() {
        Edit.LayoutScale = 0.001;
        Edit.DrawFocusRect = [this](const platform::TCanvasRect& r) {
            for (auto it = Shown.begin(); it != Shown.end(); ++it)
                if (*it == r) {
                    Shown.erase(it);
                    return;
                }
            Shown.push_back(r);
        };
        Edit.ShowScheme = [] { RenameShownLayoutOffcuts(); };
    }
    // Grabs the piece under (FromX, FromY), turns it when Turn, drops it at (ToX, ToY).
    void Drag(int FromX, int FromY, int ToX, int ToY, bool Turn = false) {
        Edit.MouseDown(TMouseButton::Left, FromX, FromY);
        if (Turn) Edit.MouseDown(TMouseButton::Right, FromX, FromY);
        if (ToX != FromX || ToY != FromY) Edit.MouseMove(ToX, ToY);
        Edit.MouseDown(TMouseButton::Left, ToX, ToY);
    }
};

}  // namespace

TEST(ManualEdit, DropGoesToNearestFreeCornerAndKeepsPlanValid) {
    struct Case {
        const char* Name;
        int FromX, FromY, ToX, ToY;  // mouse positions of the grab and the drop
        const char* Part;
        TPoint Expect;
    } cases[] = {
        {"inside a free area", 1, 1, 80, 30, "A", {70000, 30000}},  // its bottom-right corner
        {"overlapping B", 1, 1, 40, 5, "A", {70000, 22000}},        // under B, at the right
        {"on the border", 1, 1, 0, 49, "A", {0, 30000}},            // under A
        {"far outside", 1, 1, 500, 500, "A", {70000, 30000}},
        {"without moving", 40, 10, 40, 10, "B", {32000, 0}},  // stays where it is
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        BuildLayout();
        Editor e;
        ASSERT_TRUE(e.Edit.StartManual());
        e.Drag(c.FromX, c.FromY, c.ToX, c.ToY);
        const TPacket& p = Optimizer.Best[0];
        const T2DStock* a = Find(p, c.Part);
        ASSERT_NE(a, nullptr);
        EXPECT_EQ(a->Position, c.Expect);
        EXPECT_EQ(p.PartCounts.Qty(0), 1);
        EXPECT_TRUE(e.Shown.empty());
        ExpectValid(p);
    }
}

TEST(ManualEdit, TurnedPartWithoutRoomGoesBackExactly) {
    // A shaped part 40 x 20 on a sheet 20 high cannot stand turned.
    BuildLayout(20000);
    TPacket& p = Optimizer.Best[0];
    p.Placements[1].ShapeKind = skShaped;
    p.Placements[1].TurnState = 1;
    const T2DStock before = T2DStock::CreateCopy(p.Placements[1]);
    Editor e;
    e.Edit.StartManual();
    e.Edit.MouseDown(TMouseButton::Left, 40, 10);
    e.Edit.MouseDown(TMouseButton::Right, 40, 10);  // B may not turn: right button drops
    EXPECT_FALSE(e.Edit.Dragging);
    e.Edit.MouseDown(TMouseButton::Left, 1, 1);  // A may turn
    e.Edit.MouseDown(TMouseButton::Right, 1, 1);
    EXPECT_TRUE(e.Edit.TurnWhileMoving);
    e.Edit.MouseDown(TMouseButton::Left, 1, 1);
    const T2DStock* a = Find(Optimizer.Best[0], "A");
    EXPECT_EQ(a->Position, (TPoint{0, 0}));
    EXPECT_EQ(a->TurnState, 1);
    const T2DStock* b = Find(Optimizer.Best[0], "B");
    EXPECT_EQ(b->TurnState, before.TurnState);
    EXPECT_EQ(b->Position, before.Position);
    ExpectValid(Optimizer.Best[0]);
}

TEST(ManualEdit, OffcutsCannotBePickedAndAreNamedAgainAfterADrop) {
    BuildLayout();
    Editor e;
    e.Edit.StartManual();
    e.Edit.MouseDown(TMouseButton::Left, 90, 40);  // an offcut
    EXPECT_FALSE(e.Edit.Dragging);
    e.Drag(1, 1, 80, 30, true);  // turned, with room to stand
    EXPECT_EQ(Find(Optimizer.Best[0], "A")->Length, 22000);
    EXPECT_EQ(Find(Optimizer.Best[0], "A")->Width, 32000);
    // The freed corner is an offcut again: the free area was filled anew.
    const TPacket& p = Optimizer.Best[0];
    EXPECT_TRUE(std::any_of(p.Placements.begin(), p.Placements.end(), [](const T2DStock& s) {
        return s.Label.starts_with(OffcutPrefix) && s.Position == TPoint{0, 0};
    }));
    ExpectValid(p);
}

TEST(ManualEdit, CancelRestoresConfirmKeepsAndARunLocks) {
    BuildLayout();
    const TPacket start(Optimizer.Best[0]);
    Editor e;
    e.Edit.StartManual();
    e.Drag(1, 1, 80, 30);
    e.Drag(71, 31, 10, 0);
    e.Edit.Cancel();
    EXPECT_FALSE(e.Edit.ManualMode);
    EXPECT_EQ(Optimizer.Best[0].LayoutKey(), start.LayoutKey());
    EXPECT_EQ(Find(Optimizer.Best[0], "A")->Position, (TPoint{0, 0}));

    e.Edit.StartManual();
    e.Drag(1, 1, 80, 30);
    e.Edit.Confirm();
    EXPECT_EQ(Find(Optimizer.Best[0], "A")->Position, (TPoint{70000, 30000}));

    e.Edit.Locked = true;
    EXPECT_FALSE(e.Edit.StartManual());
    EXPECT_EQ(e.Edit.MouseMove(40, 10), "");
    e.Edit.MouseDown(TMouseButton::Left, 80, 30);
    EXPECT_FALSE(e.Edit.Dragging);
}

TEST(ManualEdit, HintShowsThePieceUnderTheMouse) {
    BuildLayout();
    Editor e;
    EXPECT_NE(e.Edit.MouseMove(40, 10).find("B"), std::string::npos);
    EXPECT_EQ(e.Edit.MouseMove(90, 40), "");  // offcuts hidden
    e.Edit.ShowOffcuts = true;
    EXPECT_NE(e.Edit.MouseMove(90, 40).find(OffcutCaption), std::string::npos);
}

TEST(LayoutView, SortsAndDeletesLayouts) {
    BuildLayout();
    TPacket second(Optimizer.Best[0]);
    second.Material = "B";
    Optimizer.Best[0].Material = "a";
    second.Placements.Clear();
    second.PartCounts.Qty(1) = 0;
    Optimizer.Best.Packets.Add(second);
    SortLayouts(Optimizer.Best, 1);
    EXPECT_EQ(Optimizer.Best[0].Material, "B");  // ordinal: upper case first
    SortLayouts(Optimizer.Best, 0);
    EXPECT_EQ(Optimizer.Best[0].Material, "a");  // the fuller layout first

    TMainWindowCore core;
    CurrentLayoutIndex = 1;
    EXPECT_TRUE(DeleteLayout(core, 1));
    EXPECT_EQ(CurrentLayoutIndex, 0);
    EXPECT_FALSE(core.ListBoxReport.empty());
    EXPECT_TRUE(DeleteLayout(core, 0));
    EXPECT_EQ(CurrentLayoutIndex, -1);
    EXPECT_TRUE(core.ListBoxReport.empty());
    EXPECT_FALSE(DeleteLayout(core, 0));
}

TEST(LayoutView, FactsListAndScale) {
    BuildLayout();
    MeasureUnitName = "inch";
    const TLayoutViewFacts f = LayoutFacts(Optimizer.Best[0]);
    EXPECT_EQ(f.SheetLabel, "S1");
    EXPECT_EQ(f.PartsInLayout.size(), 2u);
    EXPECT_EQ(f.Area, "5000.sq.inch");
    EXPECT_EQ(LayoutListEntries(2), (std::vector<std::string>{"1 / 2", "2 / 2"}));
    EXPECT_EQ(LayoutScrollHint(3, 0), "TOTAL3\r\nCURRENT1");
    EXPECT_DOUBLE_EQ(LayoutViewScale(Optimizer.Best[0], 200, 200, false), 0.002);
    EXPECT_DOUBLE_EQ(LayoutViewScale(Optimizer.Best[0], 200, 200, true), 0.004);
    EXPECT_EQ(RollingScrollOffsetFor(2, 2, 250, 100), 150);  // last position: right end
    EXPECT_EQ(RollingScrollOffsetFor(1, 2, 250, 100), 100);
}

TEST(ManualEdit, ConfirmRebuildsTheReportsFromTheEditedPlan) {
    BuildLayout();
    // Only offcuts of 25 x 25 and more are usable: where A lies decides which.
    MinScrapLength = MinScrapWidth = 25000;
    TMainWindowCore core;
    core.RebuildReports();
    core.ShowReport();
    const std::vector<std::string> before = core.ListBoxReport;
    Editor e;
    ASSERT_TRUE(e.Edit.StartManual());
    e.Drag(1, 1, 80, 30);
    ConfirmManualEdit(core, e.Edit);
    EXPECT_FALSE(e.Edit.ManualMode);
    const std::vector<std::string> shown = core.ListBoxReport;
    const std::vector<std::string> summary = SummaryReportLines;
    // What a fresh build of the edited plan says, and not what the plan said before.
    core.RebuildReports();
    core.ShowReport();
    EXPECT_EQ(shown, core.ListBoxReport);
    EXPECT_EQ(summary, SummaryReportLines);  // the printed report's lines
    EXPECT_NE(shown, before);
}
