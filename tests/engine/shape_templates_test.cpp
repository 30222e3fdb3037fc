#include "engine/shape_templates.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "engine/pubstr.h"
#include "engine/shared_state.h"
#include "engine/trapezium.h"
#include "support/scratch.h"

namespace {

constexpr double kPi = std::numbers::pi;

class ShapeTemplates : public ::testing::Test {
  protected:
    testsupport::CaptureSink sink;
};

struct TBounds {
    double MinX = 1e18, MinY = 1e18, MaxX = -1e18, MaxY = -1e18;
    void Add(double X, double Y) {
        MinX = std::min(MinX, X);
        MaxX = std::max(MaxX, X);
        MinY = std::min(MinY, Y);
        MaxY = std::max(MaxY, Y);
    }
};

// The real extent of an outline: line ends and points along every arc.
TBounds Extent(const TExtPolyline& o) {
    TBounds b;
    for (const TPolySegment& s : o.Segments()) {
        if (s.Kind == psLine) {
            b.Add(s.P1.X, s.P1.Y);
            b.Add(s.P2.X, s.P2.Y);
            continue;
        }
        double sweep = std::fmod(s.EndAngle - s.StartAngle, 2 * kPi);
        if (sweep <= 0) sweep += 2 * kPi;
        if (!s.Clockwise) sweep -= 2 * kPi;
        for (int i = 0; i <= 720; ++i) {
            const double a = s.StartAngle + sweep * i / 720;
            b.Add(s.Center.X + s.Radius * std::cos(a), s.Center.Y + s.Radius * std::sin(a));
        }
    }
    return b;
}

std::vector<TPoint> LineStarts(const TExtPolyline& o) {
    std::vector<TPoint> p;
    for (const TPolySegment& s : o.Segments())
        if (s.Kind == psLine) p.push_back(s.P1);
    return p;
}

// Builds a template into a fresh piece labelled "X"; the piece is returned
// through P.
bool Make(const std::string& name, std::vector<std::string> t, T2DStock& p) {
    t.resize(6);
    p = T2DStock();
    p.Label = "X";
    for (const std::string& n : StandardTemplateNames()) {
        if (n != name) continue;
        if (name == "Triangle1") return MakeTriangle1Profile(p, t[0], t[1], t[2], t[3], t[4], t[5]);
        if (name == "Triangle2") return MakeTriangle2Profile(p, t[0], t[1], t[2], t[3], t[4], t[5]);
        if (name == "Trapezium1")
            return MakeTrapezium1Profile(p, t[0], t[1], t[2], t[3], t[4], t[5]);
        if (name == "Trapezium2")
            return MakeTrapezium2Profile(p, t[0], t[1], t[2], t[3], t[4], t[5]);
        if (name == "Trapezium3")
            return MakeTrapezium3Profile(p, t[0], t[1], t[2], t[3], t[4], t[5]);
        if (name == "Disc1") return MakeDisc1Profile(p, t[0], t[1], t[2], t[3], t[4], t[5]);
        if (name == "Disc2") return MakeDisc2Profile(p, t[0], t[1], t[2], t[3], t[4], t[5]);
        if (name == "Disc3") return MakeDisc3Profile(p, t[0], t[1], t[2], t[3], t[4], t[5]);
        if (name == "Disc4") return MakeDisc4Profile(p, t[0], t[1], t[2], t[3], t[4], t[5]);
    }
    return false;
}

// Checks that a built shape is consistent with its piece: the trapezium spans
// the piece, every outline lies inside the piece box once moved by its margin,
// and the turned outlines have the turned sizes.
void ExpectConsistent(const T2DStock& p) {
    const PTrapezium z = TrapeziumList.FindByLabel(p.Label);
    ASSERT_TRUE(z);
    EXPECT_EQ(z->Bottom + z->Param3, p.Length);
    EXPECT_EQ(z->Height, p.Width);
    EXPECT_GE(p.Length, 1);
    EXPECT_GE(p.Width, 1);
    const TExtPolyline& o = z->GetPolylineB(0);
    EXPECT_EQ(o.Length, p.Length - z->Param8 - z->Param9);
    const TBounds b = Extent(o);
    EXPECT_GE(b.MinX + z->Param8, -1.5);
    EXPECT_LE(b.MaxX + z->Param8, p.Length + 1.5);
    EXPECT_GE(b.MinY, -1.5);
    EXPECT_LE(b.MaxY, p.Width + 1.5);
    // The outline fills its own box (within rounding).
    EXPECT_NEAR(b.MaxX - b.MinX, o.Length, 3);
    EXPECT_NEAR(b.MaxY - b.MinY, o.Width, 3);
    EXPECT_EQ(z->GetPolylineB(1).Length, o.Width);
    EXPECT_EQ(z->GetPolylineC(3).Width, o.Length);
}

}  // namespace

TEST_F(ShapeTemplates, Triangle1ThreeFourFive) {
    T2DStock p;
    ASSERT_TRUE(Make("Triangle1", {"3", "4", "5"}, p));
    EXPECT_EQ(p.ShapeKind, skShaped);
    EXPECT_EQ(p.Length, 4000);
    EXPECT_EQ(p.Width, 3000);
    const PTrapezium z = TrapeziumList.FindByLabel("X");
    ASSERT_TRUE(z);
    EXPECT_EQ(LineStarts(z->GetPolylineB(0)),
              (std::vector<TPoint>{{0, 0}, {4000, 3000}, {0, 3000}}));
    EXPECT_EQ(z->Name, "Triangle1");
    EXPECT_EQ(z->P1, "3");
    EXPECT_EQ(z->P3, "5");
    EXPECT_EQ(z->P4, "");
    EXPECT_EQ(z->P6, "");
    EXPECT_FALSE(z->DX);
    ExpectConsistent(p);
}

TEST_F(ShapeTemplates, Triangle1ValidityIsStrict) {
    T2DStock p;
    EXPECT_FALSE(Make("Triangle1", {"1", "1", "2"}, p));
    EXPECT_FALSE(Make("Triangle1", {"0", "0", "0"}, p));
    EXPECT_FALSE(Make("Triangle1", {"-1", "3", "3"}, p));
    // Just valid by one thousandth (exact integer comparison).
    ASSERT_TRUE(Make("Triangle1", {"1", "1", "1.999"}, p));
    EXPECT_EQ(TrapeziumList.Count(), 1u);
}

TEST_F(ShapeTemplates, Triangle1AcuteAndObtuseCorners) {
    T2DStock p;
    // Both base angles acute: apex above the base.
    ASSERT_TRUE(Make("Triangle1", {"5", "6", "5"}, p));
    EXPECT_EQ(p.Length, 6000);
    EXPECT_EQ(p.Width, 4000);
    EXPECT_EQ(LineStarts(TrapeziumList.FindByLabel("X")->GetPolylineB(0)),
              (std::vector<TPoint>{{0, 0}, {6000, 0}, {3000, 4000}}));
    ExpectConsistent(p);

    // Obtuse angle at the right end of the base: the apex lies beyond it and
    // the piece is as long as the apex is far.
    ASSERT_TRUE(Make("Triangle1", {"10", "4", "7"}, p));
    EXPECT_EQ(p.Length, 8375);
    EXPECT_EQ(p.Width, 5464);
    const PTrapezium z = TrapeziumList.FindByLabel("X");
    EXPECT_EQ(z->Bottom, 4000);
    EXPECT_EQ(z->Param3, 4375);
    EXPECT_EQ(z->TopOffset, 8375);
    EXPECT_EQ(z->Param6, 0);
    ExpectConsistent(p);

    // Obtuse angle at the left end: the corner goes to the top left.
    ASSERT_TRUE(Make("Triangle1", {"4", "6", "9"}, p));
    ExpectConsistent(p);
}

TEST_F(ShapeTemplates, Triangle2AndTrapezia) {
    T2DStock p;
    ASSERT_TRUE(Make("Triangle2", {"4", "3"}, p));
    EXPECT_EQ(p.Length, 4000);
    EXPECT_EQ(p.Width, 3000);
    ExpectConsistent(p);
    EXPECT_FALSE(Make("Triangle2", {"0", "3"}, p));

    ASSERT_TRUE(Make("Trapezium1", {"100", "60", "10", "50"}, p));
    const PTrapezium z = TrapeziumList.FindByLabel("X");
    EXPECT_EQ(z->TopOffset, 10000);
    EXPECT_EQ(z->Top, 60000);
    EXPECT_EQ(z->Param6, 30000);
    EXPECT_EQ(p.Length, 100000);
    ExpectConsistent(p);
    // The other three arrangements of the insets.
    for (const std::vector<std::string>& t : std::vector<std::vector<std::string>>{
             {"100", "60", "30", "50"}, {"100", "110", "5", "50"}, {"100", "90", "40", "50"}}) {
        ASSERT_TRUE(Make("Trapezium1", t, p)) << t[2];
        ExpectConsistent(p);
    }
    EXPECT_FALSE(Make("Trapezium1", {"100", "60", "10", "0"}, p));

    ASSERT_TRUE(Make("Trapezium2", {"30", "50", "20"}, p));
    EXPECT_EQ(p.Length, 50000);
    ExpectConsistent(p);
    ASSERT_TRUE(Make("Trapezium2", {"50", "30", "20"}, p));
    ExpectConsistent(p);
}

TEST_F(ShapeTemplates, Trapezium3LaidOnItsLongerSides) {
    T2DStock p;
    ASSERT_TRUE(Make("Trapezium3", {"10", "30", "40"}, p));
    const PTrapezium z = TrapeziumList.FindByLabel("X");
    EXPECT_EQ(z->Bottom, 50000);
    EXPECT_EQ(z->Height, 8000);
    EXPECT_EQ(z->Param3, 6000);
    EXPECT_EQ(p.Length, 56000);
    EXPECT_EQ(p.Width, 8000);
    ExpectConsistent(p);
    ASSERT_TRUE(Make("Trapezium3", {"60", "30", "40"}, p));
    EXPECT_EQ(p.Length, 90000);
    EXPECT_EQ(p.Width, 40000);
    // So slanted that laid on its long sides it has no height left: no part.
    EXPECT_FALSE(Make("Trapezium3", {"0.001", "1", "0.001"}, p));
}

TEST_F(ShapeTemplates, DiscSegments) {
    T2DStock p;
    // A chord twice the height: half a disc of radius 10.
    ASSERT_TRUE(Make("Disc1", {"20", "10"}, p));
    const PTrapezium z = TrapeziumList.FindByLabel("X");
    const TPolySegment& arc = z->GetPolylineB(0).Items(1);
    EXPECT_EQ(arc.Kind, psArc);
    EXPECT_EQ(arc.Radius, 10000);
    EXPECT_EQ(arc.Center, (TPoint{10000, 0}));
    EXPECT_NEAR(z->GetPolylineB(0).Length, 20000, 1);  // the chord, rounded twice
    EXPECT_EQ(p.Width, 10000);
    EXPECT_EQ(z->Param8, z->Param9);
    ExpectConsistent(p);
    ASSERT_TRUE(Make("Disc1", {"100", "5"}, p));
    ExpectConsistent(p);
    EXPECT_FALSE(Make("Disc1", {"10", "10"}, p));

    ASSERT_TRUE(Make("Disc2", {"10", "10"}, p));
    EXPECT_NEAR(TrapeziumList.FindByLabel("X")->GetPolylineB(0).Length, 12500, 1);  // 2R
    ExpectConsistent(p);
    ASSERT_TRUE(Make("Disc2", {"1", "30"}, p));
    ExpectConsistent(p);
    EXPECT_FALSE(Make("Disc2", {"20", "10"}, p));
}

TEST_F(ShapeTemplates, DiscSectors) {
    T2DStock p;
    for (const char* angle : {"1", "60", "90", "90.5", "120", "179.999", "180", "270", "359.5"}) {
        ASSERT_TRUE(Make("Disc3", {"10", angle}, p)) << angle;
        ExpectConsistent(p);
    }
    ASSERT_TRUE(Make("Disc3", {"10", "90"}, p));
    EXPECT_EQ(p.Length, 20000);
    EXPECT_EQ(p.Width, 10000);
    EXPECT_FALSE(Make("Disc3", {"10", "360"}, p));
    EXPECT_FALSE(Make("Disc3", {"10", "0"}, p));
    EXPECT_FALSE(Make("Disc3", {"0", "90"}, p));
}

TEST_F(ShapeTemplates, RingSectorsIncludingThinRings) {
    T2DStock p, q;
    ASSERT_TRUE(Make("Disc4", {"100", "90.9", "100"}, p));
    EXPECT_EQ(TrapeziumList.FindByLabel("X")->P2, "90.9");
    ExpectConsistent(p);
    ASSERT_TRUE(Make("Disc4", {"100", "90", "100"}, q));
    EXPECT_EQ(p.Length, q.Length);
    EXPECT_EQ(p.Width, q.Width);
    EXPECT_EQ(q.Width, 282843);

    for (const char* angle : {"1", "45", "90", "135", "180"}) {
        ASSERT_TRUE(Make("Disc4", {"100", angle, "0.001"}, p)) << angle;
        ExpectConsistent(p);
        ASSERT_TRUE(Make("Disc4", {"1000", angle, "1"}, p)) << angle;
        ExpectConsistent(p);
    }
    EXPECT_FALSE(Make("Disc4", {"100", "0.9", "1"}, p));
    EXPECT_FALSE(Make("Disc4", {"100", "181", "1"}, p));
    EXPECT_FALSE(Make("Disc4", {"100", "90", "0"}, p));
}

TEST_F(ShapeTemplates, TextsMustConvert) {
    T2DStock p;
    ASSERT_TRUE(Make("Triangle2", {"1 1/2", "3/4"}, p));
    EXPECT_EQ(p.Length, 1500);
    EXPECT_EQ(p.Width, 750);
    EXPECT_FALSE(Make("Triangle2", {"abc", "3"}, p));
    EXPECT_FALSE(Make("Triangle2", {"1/0", "3"}, p));
    // Malformed fractions are refused, not read as 0.
    EXPECT_FALSE(Make("Triangle2", {"2 3", "3"}, p));
    EXPECT_FALSE(Make("Triangle2", {"4", "1/2 3"}, p));
    EXPECT_FALSE(Make("Trapezium1", {"1000", "2000000", "1000000", "5"}, p));  // overflow
    EXPECT_EQ(TrapeziumList.Count(), 1u);
}

TEST_F(ShapeTemplates, AddStandardProfilePartOncePerLabel) {
    ASSERT_TRUE(
        AddStandardProfilePart("T", "note", "Triangle2", "4", "3", "", "", "", "", 5, 2, "oak"));
    ASSERT_EQ(ProfilePartList.Count(), 1);
    ASSERT_EQ(ProfilePartQtyList.Count(), 1);
    const T2DStock& p = ProfilePartList[0];
    EXPECT_EQ(p.Quantity, 5);
    EXPECT_EQ(ProfilePartQtyList[0].Quantity, 2);
    EXPECT_EQ(p.ShapeKind, skShaped);
    EXPECT_EQ(p.ProfileIndex, 0);
    EXPECT_EQ(p.TurnState, 0);
    EXPECT_EQ(p.SourceKind, srcPart);
    EXPECT_EQ(p.Material, "oak");
    EXPECT_EQ(p.Comment, "note");
    EXPECT_EQ(p.Length, 4000);
    EXPECT_TRUE(sink.Warnings.empty());

    EXPECT_FALSE(AddStandardProfilePart("T", "", "Disc1", "20", "10", "", "", "", "", 1, 1, ""));
    EXPECT_EQ(sink.Warnings, std::vector<std::string>{"label isn't unique"});
    EXPECT_EQ(ProfilePartList.Count(), 1);
    EXPECT_EQ(TrapeziumList.FindByLabel("T")->Name, "Triangle2");

    // Labels differ in letter case: a second part.
    ASSERT_TRUE(AddStandardProfilePart("t", "", "Disc1", "20", "10", "", "", "", "", 1, 1, ""));
    EXPECT_EQ(ProfilePartList[1].ProfileIndex, 1);
}

TEST_F(ShapeTemplates, AddStandardProfilePartRefusesBadShapes) {
    EXPECT_FALSE(AddStandardProfilePart("A", "", "Square", "4", "3", "", "", "", "", 1, 1, ""));
    EXPECT_FALSE(AddStandardProfilePart("A", "", "triangle2", "4", "3", "", "", "", "", 1, 1, ""));
    EXPECT_FALSE(AddStandardProfilePart("A", "", "Triangle1", "1", "1", "2", "", "", "", 1, 1, ""));
    ASSERT_EQ(sink.Warnings.size(), 3u);
    EXPECT_EQ(sink.Warnings[0], "[]profile variant value is invalid");
    EXPECT_EQ(ProfilePartList.Count(), 0);
    EXPECT_EQ(ProfilePartQtyList.Count(), 0);
    EXPECT_EQ(TrapeziumList.Count(), 0u);
}

TEST_F(ShapeTemplates, AddDxfProfilePart) {
    DxfOutline.AddSegment(psLine, {0, 0}, {5000, 0}, {}, 0, 0, 0, 0, "0");
    DxfOutline.AddSegment(psArc, {}, {}, {2500, 0}, 2500, 0, kPi, 1, "0");
    DxfOutline.Length = 5000;
    DxfOutline.Width = 2500;
    ASSERT_TRUE(AddDxfProfilePart("D", "c", "arch.dxf", 3, 1, "pine", false));
    const PTrapezium z = TrapeziumList.FindByLabel("D");
    ASSERT_TRUE(z);
    EXPECT_TRUE(z->DX);
    EXPECT_EQ(z->Name, "arch.dxf");
    EXPECT_EQ(z->Bottom, 5000);
    EXPECT_EQ(z->Top, 5000);
    EXPECT_EQ(z->Height, 2500);
    EXPECT_EQ(z->GetPolylineB(1).Length, 2500);
    const T2DStock& p = ProfilePartList[0];
    EXPECT_EQ(p.Length, 5000);
    EXPECT_EQ(p.Width, 2500);
    EXPECT_EQ(p.ShapeKind, skShaped);
    EXPECT_FALSE(p.CanRotate);
    EXPECT_EQ(p.Quantity, 3);
    EXPECT_EQ(ProfilePartQtyList[0].Quantity, 1);

    // The same label again is refused like a template part's.
    EXPECT_FALSE(AddDxfProfilePart("D", "", "other.dxf", 1, 1, "", true));
    EXPECT_EQ(sink.Warnings, std::vector<std::string>{"label isn't unique"});
    EXPECT_EQ(ProfilePartList.Count(), 1);
    EXPECT_EQ(TrapeziumList.FindByLabel("D")->Name, "arch.dxf");
}

TEST_F(ShapeTemplates, AddDxfProfilePartRefusesAFlatOutline) {
    DxfOutline.AddSegment(psLine, {0, 0}, {5000, 0}, {}, 0, 0, 0, 0, "0");
    DxfOutline.Length = 5000;
    DxfOutline.Width = 0;
    EXPECT_FALSE(AddDxfProfilePart("F", "", "line.dxf", 1, 1, "", true));
    DxfOutline = TExtPolyline();
    EXPECT_FALSE(AddDxfProfilePart("F", "", "empty.dxf", 1, 1, "", true));
    EXPECT_EQ(sink.Warnings, (std::vector<std::string>{"profile file format is invalid",
                                                       "profile file format is invalid"}));
    EXPECT_EQ(ProfilePartList.Count(), 0);
    EXPECT_EQ(TrapeziumList.Count(), 0u);
}
