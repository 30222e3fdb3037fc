#include "output/dxf_import.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <initializer_list>
#include <numbers>
#include <string>
#include <vector>

#include "engine/dxfout.h"
#include "engine/profile_output.h"
#include "engine/pubstr.h"
#include "engine/shared_state.h"
#include "platform/inifile.h"
#include "support/scratch.h"

namespace {

constexpr double kPi = std::numbers::pi;

// A drawing from its lines, CR LF line ends.
std::string Dxf(std::initializer_list<const char*> Lines) {
    std::string out;
    for (const char* l : Lines) out += std::string(l) + "\r\n";
    return out;
}

// An ENTITIES section around Body's lines.
std::string Entities(const std::string& Body) {
    return Dxf({"0", "SECTION", "2", "ENTITIES"}) + Body + Dxf({"0", "ENDSEC", "0", "EOF"});
}

TExtPolyline Read(const std::string& Text) {
    TExtPolyline out;
    const std::string err = ParseDxfProfile(Text, out);
    EXPECT_EQ(err, "");
    return out;
}

std::vector<std::uint8_t> Kinds(const TExtPolyline& O) {
    std::vector<std::uint8_t> k;
    for (const auto& s : O.Segments()) k.push_back(s.Kind);
    return k;
}

bool SameAngle(double A, double B) {
    return std::abs(std::remainder(A - B, 2 * kPi)) < 1e-4;
}

// Whether B has a segment like S (within a unit), whichever way it runs: a
// line by its ends, an arc by its centre, radius and ends.
bool HasSegment(const TExtPolyline& B, const TPolySegment& S) {
    auto ends = [](const TPolySegment& G) {
        auto at = [&G](double A) {
            return TPoint{static_cast<std::int32_t>(std::lround(G.Center.X + G.Radius * std::cos(A))),
                          static_cast<std::int32_t>(std::lround(G.Center.Y + G.Radius * std::sin(A)))};
        };
        TPoint a = G.Kind == psLine ? G.P1 : at(G.StartAngle), b = G.Kind == psLine ? G.P2 : at(G.EndAngle);
        if (b.X < a.X - 1 || (std::abs(b.X - a.X) <= 1 && b.Y < a.Y)) std::swap(a, b);
        return std::vector<std::int32_t>{a.X, a.Y, b.X, b.Y, G.Center.X, G.Center.Y, G.Radius};
    };
    const std::vector<std::int32_t> want = ends(S);
    for (const TPolySegment& g : B.Segments()) {
        const std::vector<std::int32_t> have = ends(g);
        bool same = g.Kind == S.Kind;
        for (std::size_t i = 0; i < want.size(); ++i) same = same && std::abs(have[i] - want[i]) <= 1;
        if (same) return true;
    }
    return false;
}

// A plate with an outward round bump, an inward round notch and a hole.
const std::string kPlate = Entities(
    Dxf({"0",      "LWPOLYLINE", "8",    "CUT", "90", "5",  "70", "1",  "10", "0",           "20",
         "0",      "10",         "60",   "20",  "0",  "10", "60", "20", "20", "42",          "1",
         "10",     "60",         "20",   "40",  "10", "0",  "20", "40", "42", "-0.41421356", "0",
         "CIRCLE", "8",          "HOLE", "10",  "30", "20", "20", "40", "5"}));

}  // namespace

TEST(DxfBulge, CentreLiesOnTheSideTheBulgeSays) {
    TPoint c;
    bool ccw = false, large = true;
    BulgeArcCenter({0, 0}, {8000, 0}, c, ccw, large, 0.5);
    EXPECT_EQ(c, (TPoint{4000, 3000}));
    EXPECT_TRUE(ccw);
    EXPECT_FALSE(large);
    BulgeArcCenter({0, 0}, {8000, 0}, c, ccw, large, -0.5);
    EXPECT_EQ(c, (TPoint{4000, -3000}));
    EXPECT_FALSE(ccw);
    BulgeArcCenter({0, 0}, {8000, 0}, c, ccw, large, 2.0);  // more than half a turn
    EXPECT_EQ(c, (TPoint{4000, -3000}));
    EXPECT_TRUE(large);
    BulgeArcCenter({0, 0}, {0, 8000}, c, ccw, large, 0.5);
    EXPECT_EQ(c, (TPoint{-3000, 4000}));
}

// The program's own drawing of an outline, as one closed polyline with
// bulges or entity by entity, reads back as the same outline.
TEST(DxfImport, OurWriterReadBackGivesTheSameOutline) {
    const TExtPolyline first = Read(kPlate);
    ASSERT_EQ(Kinds(first),
              (std::vector<std::uint8_t>{psLine, psLine, psArc, psLine, psArc, psArc}));
    EXPECT_EQ(first.Length, 70000);
    EXPECT_EQ(first.Width, 40000);
    for (const bool entities : {false, true}) {
        DxfExportLines = entities;
        TDXFOut w(3, 0, 0, 0, 0, 0, 0, 100, 100, 0);
        w.WriteHeader();
        WriteProfileDXF(first, {0, 0}, w, "p", "", false);
        w.WriteEOF();
        const TExtPolyline second = Read(w.Text());
        EXPECT_EQ(second.Count(), first.Count()) << entities;
        EXPECT_NEAR(second.Length, first.Length, 1);
        EXPECT_NEAR(second.Width, first.Width, 1);
        for (const TPolySegment& s : first.Segments())
            EXPECT_TRUE(HasSegment(second, s)) << entities << " " << s.P1.X << "," << s.P1.Y << " "
                                               << s.Center.X << "," << s.Center.Y;
    }
}

TEST(DxfImport, CadDrawingWithBulgesFlagsLinesAndArcs) {
    // As a CAD program writes it: padded codes, subclass markers, a closed
    // flag with the plinegen bit (129), a TEXT and a layer named like entities.
    // clang-format off
    const std::string text = Dxf({"  0", "SECTION", "  2", "ENTITIES",
                                  "  0", "TEXT", "  8", "LINE", "100", "AcDbText", " 10", "5",
                                  " 20", "5", " 40", "2.5", "  1", "LINE",
                                  "  0", "LWPOLYLINE", "  5", "2F", "100", "AcDbEntity", "  8",
                                  "LWPOLYLINE", "100", "AcDbPolyline", " 90", "4", " 70", "129",
                                  " 43", "0.0", " 10", "0.0", " 20", "0.0", " 10", "100.0", " 20",
                                  "0.0", " 10", "100.0", " 20", "50.0", " 42", "1.0", " 10", "0.0",
                                  " 20", "50.0",
                                  "  0", "LINE", "  8", "MARK", " 10", "20.0", " 20", "10.0",
                                  " 30", "0.0", " 11", "80.0", " 21", "10.0", " 31", "0.0",
                                  "  0", "ARC", "  8", "MARK", " 10", "50.0", " 20", "50.0", " 40",
                                  "20.0", " 50", "0.0", " 51", "180.0",
                                  "  0", "ENDSEC", "  0", "EOF"});
    // clang-format on
    const TExtPolyline o = Read(text);
    ASSERT_EQ(Kinds(o), (std::vector<std::uint8_t>{psLine, psLine, psArc, psLine, psLine, psArc}));
    EXPECT_EQ(o.Length, 100000);
    EXPECT_EQ(o.Width, 100000);  // the half circle on top reaches y = 100
    // Y is turned downwards: the bottom edge of the drawing is at y = 100000.
    EXPECT_EQ(o.Items(0).P1, (TPoint{0, 100000}));
    EXPECT_EQ(o.Items(0).P2, (TPoint{100000, 100000}));
    EXPECT_EQ(o.Items(3).P1, (TPoint{0, 50000}));
    EXPECT_EQ(o.Items(3).P2, (TPoint{0, 100000}));  // closing segment
    EXPECT_EQ(o.Items(0).Name, "LWPOLYLINE");
    const auto& bump = o.Items(2);
    EXPECT_EQ(bump.Center, (TPoint{50000, 50000}));
    EXPECT_EQ(bump.Radius, 50000);
    EXPECT_EQ(bump.Clockwise, 0);
    EXPECT_TRUE(SameAngle(bump.StartAngle, 0));
    EXPECT_TRUE(SameAngle(bump.EndAngle, kPi));
    EXPECT_EQ(o.Items(4).P1, (TPoint{20000, 90000}));
    EXPECT_EQ(o.Items(4).Name, "MARK");
    EXPECT_EQ(o.Items(5).Center, (TPoint{50000, 50000}));
    EXPECT_EQ(o.Items(5).Radius, 20000);
}

TEST(DxfImport, ClosedFlagIsBitOneOfThePolylineItself) {
    const auto lw = [](const char* flag) {
        return Entities(Dxf({"0",  "LWPOLYLINE", "70", flag, "10", "0", "20", "0", "10", "4",
                             "20", "0",          "10", "4",  "20", "3", "10", "0", "20", "3"}));
    };
    EXPECT_EQ(Read(lw("1")).Count(), 4u);
    EXPECT_EQ(Read(lw("129")).Count(), 4u);
    EXPECT_EQ(Read(lw("0")).Count(), 3u);
    EXPECT_EQ(Read(lw("128")).Count(), 3u);

    // Old-style polyline: the VERTEX flags 0 do not reopen a closed header,
    // and a header without its own point keeps its first vertex.
    const std::string poly = Entities(
        Dxf({"0",  "POLYLINE", "8",  "P", "66", "1",      "70", "1", "0",  "VERTEX", "10", "0",
             "20", "0",        "70", "0", "0",  "VERTEX", "10", "4", "20", "0",      "70", "0",
             "0",  "VERTEX",   "10", "4", "20", "3",      "70", "0", "0",  "SEQEND"}));
    const TExtPolyline o = Read(poly);
    ASSERT_EQ(o.Count(), 3u);
    EXPECT_EQ(o.Length, 4000);
    EXPECT_EQ(o.Width, 3000);
    EXPECT_EQ(o.Items(2).P2, (TPoint{0, 3000}));
    EXPECT_EQ(o.Items(0).Name, "P");
}

// Layers and text values named like entities start nothing and bulges do not
// carry over to the next polyline; an entity ends at the next group 0 (a LINE
// without its end adds nothing); segments come out by kind and an arc whose
// ends round to one point is left out.
TEST(DxfImport, EntitiesBulgesAndKinds) {
    const struct {
        const char* Name;
        std::string Body;
        std::vector<std::uint8_t> Kinds;
        std::int32_t Length, Width;
    } cases[] = {
        {"keywords", Dxf({"0",  "TEXT", "8", "LINE",       "1",  "ARC", "10", "9", "20", "9", "11", "9",
                          "21", "9",    "0", "LWPOLYLINE", "10", "0",   "20", "0", "42", "1", "10", "2",
                          "20", "0",    "0", "LWPOLYLINE", "10", "0",   "20", "5", "10", "2", "20", "5"}),
         {psArc, psLine}, 2000, 6000},  // the half circle dips to y = -1
        {"group 0", Dxf({"0", "LINE", "10", "0", "20", "0", "11", "5", "0", "LINE", "10", "1", "20", "1",
                         "11", "3", "21", "4"}),
         {psLine}, 2000, 3000},
        {"kinds", Dxf({"0", "ARC", "10", "0", "20", "0", "40", "1", "50", "0", "51", "90", "0", "LINE",
                       "10", "0", "20", "0", "11", "1", "21", "0", "0", "CIRCLE", "10", "0", "20", "0",
                       "40", "1", "0", "LWPOLYLINE", "10", "0", "20", "0", "42", "0.5", "10", "0.0001",
                       "20", "0", "0", "LWPOLYLINE", "10", "0", "20", "0", "10", "0", "20", "0"}),
         {psLine, psArc, psLine, psArc}, 2000, 2000},
    };
    for (const auto& c : cases) {
        const TExtPolyline o = Read(Entities(c.Body));
        EXPECT_EQ(Kinds(o), c.Kinds) << c.Name;
        EXPECT_EQ(o.Length, c.Length) << c.Name;
        EXPECT_EQ(o.Width, c.Width) << c.Name;
    }
}

TEST(DxfImportErrors, BadDrawingsLeaveThePreviousOutlineUntouched) {
    TExtPolyline before = Read(kPlate);
    const TExtPolyline kept = before;
    const std::string good =
        Entities(Dxf({"0", "LINE", "10", "0", "20", "0", "11", "1", "21", "1"}));
    const auto fails = [&](const std::string& text, const std::string& message) {
        const std::string err = ParseDxfProfile(text, before);
        EXPECT_NE(err.find(message), std::string::npos) << err;
        EXPECT_EQ(before, kept);
        return err;
    };
    // Cut short inside the LINE.
    fails(good.substr(0, good.find("11")), MsgDxfFileNotFound);
    // A line missing: the pairs no longer match.
    fails(Dxf({"0", "SECTION", "2", "ENTITIES", "0", "LINE", "10", "0", "20"}), MsgDxfFileNotFound);
    const std::string comma =
        fails(Entities(Dxf({"0", "LINE", "10", "0", "20", "1,5", "11", "1", "21", "1"})),
              MsgDxfFileNotFound);
    EXPECT_EQ(comma.substr(0, 1), "[");
    EXPECT_NE(comma.find("1,5"), std::string::npos);
    // Too large: one coordinate beyond the limit, or an outline wider than it.
    EXPECT_EQ(fails(Entities(Dxf({"0", "LINE", "10", "0", "20", "0", "11", "1e7", "21", "1"})),
                    MsgDxfErrorOutside),
              MsgDxfErrorOutside);
    fails(Entities(Dxf({"0", "LINE", "10", "-600000", "20", "0", "11", "600000", "21", "0"})),
          MsgDxfErrorOutside);
    fails(Entities(
              Dxf({"0", "LWPOLYLINE", "10", "0", "20", "0", "42", "1e-12", "10", "1", "20", "0"})),
          MsgDxfErrorOutside);
    EXPECT_EQ(fails(Entities(Dxf({"0", "TEXT", "1", "hello", "10", "0", "20", "0"})),
                    MsgNotFindPolylineData),
              MsgNotFindPolylineData);
    // A vertex without its Y, and a polyline longer than the reader takes.
    fails(Entities(Dxf({"0", "LWPOLYLINE", "10", "0", "10", "1", "20", "1"})), MsgDxfFileNotFound);
    std::string many = Dxf({"0", "LWPOLYLINE"});
    for (int i = 0; i < 1002; ++i) many += "10\r\n" + std::to_string(i) + "\r\n20\r\n0\r\n";
    fails(Entities(many), MsgDxfFileNotFound);
}

TEST(DxfImportFile, ReadsAFileAndRefusesAMissingOne) {
    testsupport::ScratchDir dir;
    const std::string name = dir.File("plate.dxf");
    platform::WriteFileAtomic(name, "\xEF\xBB\xBF" + kPlate);  // with a byte order mark
    EXPECT_TRUE(FileCanBeOpened(name));
    EXPECT_FALSE(FileCanBeOpened(""));
    EXPECT_FALSE(FileCanBeOpened(dir.Path()));

    TExtPolyline o;
    EXPECT_EQ(ReadDxfProfileFile(name, o), "");
    EXPECT_EQ(o.Count(), 6u);
    const TExtPolyline kept = o;
    EXPECT_EQ(ReadDxfProfileFile(dir.File("missing.dxf"), o), MsgCantOpenFile);
    EXPECT_EQ(ReadDxfProfileFile(dir.Path(), o), MsgCantOpenFile);
    EXPECT_EQ(o, kept);

    // The program's outline changes only when a drawing was read.
    EXPECT_EQ(ImportDxfProfile(name), "");
    EXPECT_EQ(DxfOutline, kept);
    EXPECT_EQ(DxfProfileFileName, name);
    EXPECT_EQ(ImportDxfProfile(dir.File("missing.dxf")), MsgCantOpenFile);
    EXPECT_EQ(DxfOutline, kept);
    EXPECT_EQ(DxfProfileFileName, name);
}

TEST(DxfImportFile, AFileBeyondTheBoundIsRefusedWithTheBoundNamed) {
    testsupport::ScratchDir dir;
    const std::string name = dir.File("huge.dxf");
    platform::WriteFileAtomic(name, kPlate);
    TExtPolyline o;
    ASSERT_EQ(ReadDxfProfileFile(name, o), "");
    const TExtPolyline kept = o;
    // Grown to the bound (sparse: no disk is used) the drawing still reads up
    // to its EOF; one byte more and it is not read at all.
    std::filesystem::resize_file(name, kMaxDxfFileBytes);
    EXPECT_EQ(ReadDxfProfileFile(name, o), "");
    std::filesystem::resize_file(name, kMaxDxfFileBytes + 1);
    const std::string error = ReadDxfProfileFile(name, o);
    EXPECT_EQ(error, DxfFileTooLargeMessage(name));
    EXPECT_NE(error.find("16 MB"), std::string::npos) << error;
    EXPECT_NE(error.find("16777216 bytes"), std::string::npos) << error;
    EXPECT_EQ(error.find(MsgDxfFileNotFound), std::string::npos);
    EXPECT_EQ(o, kept);
}
