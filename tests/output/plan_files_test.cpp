// The G-code and DXF files of plans made by the optimiser, read back and
// compared with the plan: pieces drawn and cut in place, no cut inside a
// part, every part edge cut, a safe first move and closed outlines.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "engine/optimize2d.h"
#include "engine/pubfunc.h"
#include "engine/pubstr.h"
#include "engine/shape_templates.h"
#include "engine/shared_state.h"
#include "engine/trapezium.h"
#include "output/plan_files_check.h"
#include "platform/clock.h"

namespace {

struct RectPart {
    std::string Label;
    int Length, Width, Qty;
    bool Rotate = true;
    std::uint8_t Kind = skRectangle;
};

struct ShapePart {
    std::string Label, Template, P1, P2, P3, P4;
    int Qty;
    bool Rotate = true;
};

struct Job {
    std::string Name;
    bool Guillotine;
    int Blade, LengthTrim, WidthTrim;  // user units
    int SheetLength, SheetWidth, Sheets;
    std::vector<RectPart> Parts;
    std::vector<ShapePart> Shapes;
};

int U(int UserValue) {
    return UserValue * 1000;
}

// The run of one material type as the main window makes it: sheets less
// twice the trims, parts and shaped parts, offcuts named afterwards.
void RunJob(const Job& J) {
    BladeWidth = U(J.Blade);
    WidthEdge = U(J.WidthTrim);
    LengthEdge = U(J.LengthTrim);
    GuillotineMode = J.Guillotine;
    PubRandSeed = kPubRandomStartSeed;
    Optimizer.Clear();
    std::string err;
    Optimizer.AddPanel("S", "", "", "", U(J.SheetLength) - 2 * WidthEdge,
                       U(J.SheetWidth) - 2 * LengthEdge, J.Sheets, 0, 1, srcSheet, err);
    ASSERT_EQ(err, "");
    for (const RectPart& p : J.Parts) {
        Optimizer.AddPart(p.Label, "", "", "", U(p.Length), U(p.Width), p.Rotate, p.Qty, p.Qty,
                          p.Kind, nullptr, err);
        ASSERT_EQ(err, "") << p.Label;
    }
    for (const ShapePart& s : J.Shapes) {
        ASSERT_TRUE(AddStandardProfilePart(s.Label, "", s.Template, s.P1, s.P2, s.P3, s.P4, "", "",
                                           s.Qty, s.Qty, ""))
            << s.Label;
        T2DStock part = ProfilePartList.Last();
        part.CanRotate = s.Rotate;
        Optimizer.AddPartStock(part, s.Qty);
    }
    Optimizer.Run(err);
    ASSERT_EQ(err, "");
    for (TPacket& p : Optimizer.Best.Packets) NameOffcutsOfPacket(p);
}

const std::vector<ShapePart> kEveryTemplate = {
    {"TRI1", "Triangle1", "300", "400", "500", "", 2},
    {"TRI2", "Triangle2", "200", "150", "", "", 2, false},
    {"TRA1", "Trapezium1", "300", "200", "40", "150", 2},
    {"TRA2", "Trapezium2", "250", "150", "120", "", 1},
    {"TRA3", "Trapezium3", "200", "60", "120", "", 2},
    {"SEG", "Disc1", "400", "120", "", "", 2},
    {"BIGSEG", "Disc2", "200", "160", "", "", 1, false},
    {"SECTOR", "Disc3", "150", "100", "", "", 2},
    {"FAN", "Disc3", "120", "240", "", "", 1},
    {"RING", "Disc4", "100", "90", "50", "", 2},
};

const std::vector<RectPart> kRectanglesAndCircles = {
    {"SIDE", 600, 400, 3},         {"SHELF", 300, 200, 4},
    {"RAIL", 700, 90, 2, false},   {"DISC", 200, 200, 2, true, skCircle},
    {"OVAL", 300, 180, 1, true, skCircle},
};

class PlanFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        platform::SetClockHook([] { return std::int64_t{0}; });
        KeepPlacements = true;
        CompareEqualLayouts = true;
        GCodeZMoves = true;
        GCodeCutExtension = 0;
    }
    static void ExpectSound(const Job& J) {
        SCOPED_TRACE(J.Name);
        RunJob(J);
        ASSERT_GT(Optimizer.Best.Count(), 0);
        EXPECT_EQ(plan_files_check::CheckPlanFiles(), std::vector<std::string>{});
        // The plan holds every shape, turned and not.
        std::set<std::string> labels;
        std::set<int> turns;
        for (const TPacket& layout : Optimizer.Best.Packets)
            for (const T2DStock& p : layout.Placements) {
                labels.insert(p.Label);
                if (p.ShapeKind == skShaped) turns.insert(p.TurnState % 2);
            }
        for (const ShapePart& s : J.Shapes) EXPECT_EQ(labels.count(s.Label), 1u) << s.Label;
        if (J.Shapes.size() > 1) {
            EXPECT_EQ(turns.size(), 2u);
        }
    }
};

}  // namespace

TEST_F(PlanFiles, EveryShapeCircleAndRectangleInPlace) {
    const std::vector<Job> jobs = {
        {"nested, no blade", false, 0, 0, 0, 2440, 1220, 4, kRectanglesAndCircles, kEveryTemplate},
        {"nested, blade 4, trims", false, 4, 10, 6, 2440, 1220, 4, kRectanglesAndCircles,
         kEveryTemplate},
        {"nested, blade 3, uneven trims", false, 3, 2, 9, 2440, 1220, 4, kRectanglesAndCircles,
         kEveryTemplate},
        {"guillotine, blade 4, trims", true, 4, 10, 10, 2800, 2070, 6, kRectanglesAndCircles,
         kEveryTemplate},
        {"guillotine, no blade", true, 0, 0, 0, 2440, 1220, 6, kRectanglesAndCircles,
         kEveryTemplate},
    };
    for (const Job& j : jobs) {
        ProfilePartList.Clear();
        ProfilePartQtyList.Clear();
        TrapeziumList.Clear();
        ExpectSound(j);
    }
}

// A disc segment packed next to a part that may not turn: the segment is
// drawn and cut within its own place, not in its neighbour's.
TEST_F(PlanFiles, SegmentStaysOutOfItsNeighbour) {
    ExpectSound({"segment", false, 0, 0, 0, 500, 125, 1, {{"R", 95, 120, 1, false}},
                 {{"SEG", "Disc1", "400", "120", "", "", 1, false}}});
    const TPacket& layout = Optimizer.Best[0];
    for (const T2DStock& p : layout.Placements)
        if (p.Label == "SEG") {
            EXPECT_EQ(p.Position, (TPoint{0, 0}));
        }
}
