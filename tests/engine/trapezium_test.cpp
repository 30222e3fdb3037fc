#include "engine/trapezium.h"

#include <gtest/gtest.h>

#include <numbers>

#include "engine/defaults.h"
#include "engine/errors.h"
#include "engine/stock2d.h"
#include "platform/inifile.h"
#include "support/scratch.h"

namespace {

void AddLine(TExtPolyline& o, TPoint a, TPoint b) {
    o.AddSegment(psLine, a, b, {}, 0, 0.0, 0.0, 0, "0");
}

// A right triangle 40 x 30 with a rounded corner arc, as a template builds it.
TExtPolyline Profile() {
    TExtPolyline o;
    AddLine(o, {0, 0}, {40, 0});
    AddLine(o, {40, 0}, {0, 30});
    o.AddSegment(psArc, {}, {}, {5, 5}, 5, std::numbers::pi, 1.5 * std::numbers::pi, 1, "0");
    return o;
}

// The sample trapezium: bottom 100, top 60 starting at x = 20, height 50.
TTrapezium Sample(const std::string& label = "T1") {
    TTrapezium t;
    t.Setup(false, label, 0, Profile(), 100, 0, 20, 60, 20, 50);
    return t;
}

std::vector<TPoint> Corners(const TExtPolyline& o) {
    std::vector<TPoint> p;
    for (const TPolySegment& s : o.Segments()) p.push_back(s.P1);
    return p;
}

}  // namespace

TEST(Trapezium, SetupBuildsTheTrapeziumInFourTurns) {
    const TTrapezium t = Sample();
    EXPECT_EQ(t.Label, "T1");
    EXPECT_EQ(t.Top, 60);
    EXPECT_EQ(t.Param6, 20);
    const std::vector<TPoint> corners[4] = {{{0, 0}, {100, 0}, {80, 50}, {20, 50}},
                                            {{50, 0}, {50, 100}, {0, 80}, {0, 20}},
                                            {{100, 50}, {0, 50}, {20, 0}, {80, 0}},
                                            {{0, 100}, {0, 0}, {50, 20}, {50, 80}}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(Corners(t.OutlineA[i]), corners[i]) << "turn " << i;
        EXPECT_EQ(t.OutlineA[i].Length, i % 2 ? 50 : 100);
        EXPECT_EQ(t.OutlineA[i].Width, i % 2 ? 100 : 50);
    }
    EXPECT_EQ(t.OutlineA[0].Items(3).P2, (TPoint{0, 0}));
    // The given outline, turned with the box.
    EXPECT_EQ(t.GetPolylineB(1).Count(), 3u);
    EXPECT_EQ(t.GetPolylineC(1).Width, 100);
    EXPECT_THROW(t.GetPolylineB(4), ERangeError);
    EXPECT_THROW(t.GetPolylineC(-1), ERangeError);
}

TEST(Trapezium, DiscMarginsShortenEveryOutline) {
    TTrapezium t;
    t.SetParam8(10);
    t.SetParam9(10);
    t.Setup(false, "D", 0, Profile(), 100, 6, 0, 106, 0, 50);
    for (int i = 0; i < 4; ++i) {
        const bool turned = i % 2 == 1;
        for (const TExtPolyline* o : {&t.OutlineA[i], &t.OutlineB[i], &t.OutlineC[i]}) {
            EXPECT_EQ(turned ? o->Width : o->Length, 86);
            EXPECT_EQ(turned ? o->Length : o->Width, 50);
        }
    }
    EXPECT_EQ(t.Param8, 10);
}

TEST(Trapezium, SetupFromItsOwnOutline) {
    TTrapezium t = Sample();
    t.Setup(true, "T1", 3, t.OutlineB[0], 100, 0, 0, 100, 0, 50);
    EXPECT_EQ(t.OutlineB[0].Count(), 3u);
    EXPECT_EQ(t.OutlineC[2].Count(), 3u);
    EXPECT_TRUE(t.DX);
    EXPECT_EQ(t.ListIndex, 3);
}

TEST(Trapezium, AssignCopiesEverything) {
    TTrapezium source = Sample();
    source.Name = "Triangle2";
    source.P2 = "30";
    source.SetParam9(4);
    TTrapezium t;
    t.Assign(source);
    EXPECT_EQ(t, source);
    t.OutlineB[1].Clear();  // a deep copy
    EXPECT_EQ(source.OutlineB[1].Count(), 3u);
}

TEST(TrapeziumList, AddOrUpdateReplacesByExactLabel) {
    TTrapeziumList list;
    list.AddOrUpdate(Sample("A"));
    list.AddOrUpdate(Sample("a"));
    ASSERT_EQ(list.Count(), 2u);

    TTrapezium changed = Sample("A");
    changed.Name = "Disc1";
    list.AddOrUpdate(changed);
    EXPECT_EQ(list.Count(), 2u);
    EXPECT_EQ(list.FindByLabel("A")->Name, "Disc1");
    EXPECT_EQ(list.FindByLabel("a")->Name, "");
    EXPECT_EQ(list.Items(0)->Label, "A");
    EXPECT_THROW(list.Items(2), EListError);

    // The caller keeps its own shape.
    changed.Name = "other";
    EXPECT_EQ(list.FindByLabel("A")->Name, "Disc1");
    // Updating a shape from itself changes nothing.
    list.AddOrUpdate(*list.FindByLabel("a"));
    EXPECT_EQ(list.Count(), 2u);
}

TEST(TrapeziumList, DeleteAndClear) {
    TTrapeziumList list;
    EXPECT_EQ(list.FindByLabel("none"), nullptr);
    list.DeleteByLabel("none");  // absent labels are safe
    list.AddOrUpdate(Sample("A"));
    list.AddOrUpdate(Sample("B"));
    list.AddOrUpdate(Sample("C"));
    const PTrapezium held = list.FindByLabel("B");
    list.DeleteByLabel("B");
    list.DeleteByLabel("B");
    EXPECT_EQ(list.Count(), 2u);
    EXPECT_EQ(list.FindByLabel("B"), nullptr);
    EXPECT_EQ(list.Items(1)->Label, "C");
    // A shape still held elsewhere stays usable.
    EXPECT_EQ(held->OutlineA[2].Count(), 4u);
    list.Clear();
    EXPECT_EQ(list.Count(), 0u);
}

TEST(TrapeziumList, ProgramListIsResetBetweenRuns) {
    TrapeziumList.AddOrUpdate(Sample("A"));
    ResetProgramDefaults();
    EXPECT_EQ(TrapeziumList.Count(), 0u);
}

TEST(TrapeziumArea, ShapedPieceUsesItsTrapeziumWithoutOverflow) {
    T2DStock piece;
    piece.Label = "T1";
    piece.Length = 100;
    piece.Width = 50;
    piece.ShapeKind = skShaped;
    // Without a shape the piece counts with its full area.
    EXPECT_EQ(piece.ShapeArea(), 5000.0);
    TrapeziumList.AddOrUpdate(Sample("T1"));
    EXPECT_EQ(piece.ShapeArea(), (100.0 + 60.0) * 50.0 / 2.0);
    piece.ShapeKind = skRectangle;
    EXPECT_EQ(piece.ShapeArea(), 5000.0);

    // Large shapes do not overflow.
    TTrapezium t;
    t.Setup(false, "big", 0, TExtPolyline(), 3000000, 0, 0, 3000000, 0, 2000000);
    EXPECT_EQ(t.Area(), 6e12);
    TrapeziumList.AddOrUpdate(t);
    EXPECT_EQ(ShapeAreaOfLabel("big", 0), 6e12);
    EXPECT_EQ(ShapeAreaOfLabel("small", -1), -1);
}

TEST(TrapeziumIni, SectionRoundTrip) {
    testsupport::ScratchDir dir;
    auto path = [&](const char* Name) { return dir.File(Name); };
    TTrapezium t = Sample();
    t.Name = "Trapezium1";
    t.P1 = "100";
    t.P2 = "60";
    t.P3 = "1 1/2";
    t.P4 = "50";
    t.P5 = t.P6 = "";
    {
        platform::TIniFile ini(path("shapes.apt"));
        t.SaveToIni(ini, "STR0");
        ini.UpdateFile();
    }
    std::string text;
    ASSERT_TRUE(platform::ReadFileBytes(path("shapes.apt"), text));
    EXPECT_NE(text.find("[STR0TZ]\r\nN=Trapezium1\r\nP1=100\r\nP2=60\r\nP3=1 1/2\r\nP4=50\r\n"
                        "P5=\r\nP6=\r\nDX=0\r\n"),
              std::string::npos)
        << text;

    const platform::TIniFile ini(path("shapes.apt"));
    TTrapezium back;
    back.LoadFromIni(ini, "STR0");
    EXPECT_EQ(back.Name, "Trapezium1");
    EXPECT_EQ(back.P3, "1 1/2");
    EXPECT_EQ(back.P5, "");
    EXPECT_FALSE(back.DX);
    // Only the texts come back; the caller rebuilds the shape from them.
    EXPECT_EQ(back.Bottom, 0);
    EXPECT_EQ(back.Label, "");
    EXPECT_EQ(back.OutlineA[0].Count(), 0u);
}

TEST(TrapeziumIni, MissingKeysGetDefaults) {
    testsupport::ScratchDir dir;
    auto path = [&](const char* Name) { return dir.File(Name); };
    {
        platform::TIniFile ini(path("shapes.apt"));
        ini.WriteString("STR1TZ", "N", "part.dxf");
        ini.WriteString("STR1TZ", "P1", "5");
        ini.WriteString("STR1TZ", "DX", "1");
        ini.UpdateFile();
    }
    const platform::TIniFile ini(path("shapes.apt"));
    TTrapezium t;
    t.P4 = "old";
    t.LoadFromIni(ini, "STR1");
    EXPECT_EQ(t.Name, "part.dxf");
    EXPECT_EQ(t.P1, "5");
    EXPECT_EQ(t.P4, "-1");
    EXPECT_TRUE(t.DX);

    TTrapezium none;
    none.Name = "old";
    none.DX = true;
    none.LoadFromIni(ini, "STR7");
    EXPECT_EQ(none.Name, "");
    EXPECT_EQ(none.P1, "-1");
    EXPECT_FALSE(none.DX);
}
