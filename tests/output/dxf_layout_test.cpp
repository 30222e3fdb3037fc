#include "output/dxf_layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "engine/extpolyline.h"
#include "engine/pubstr.h"
#include "engine/shared_state.h"
#include "engine/textfmt.h"
#include "output/dxf_import.h"
#include "output/report_text.h"
#include "output/sample_plan.h"

using namespace sample_plan;

namespace {

struct Point {
    double X, Y;
};

// One entity of the entities section; a POLYLINE holds its vertices.
struct Entity {
    std::string Type, Layer, Text;
    std::vector<Point> Points;
    double Radius = 0;
};

// The entities section read back; vertex points go to their polyline.
std::vector<Entity> ParseEntities(const std::string& Text) {
    const std::vector<std::string> l = SplitCrLf(Text);
    std::vector<Entity> out;
    std::size_t i = 0;
    while (i + 1 < l.size() && l[i + 1] != "ENTITIES") i += 2;
    bool vertex = false, ended = false;  // in a VERTEX, after a SEQEND
    for (i += 2; i + 1 < l.size() && !(l[i] == "0" && l[i + 1] == "ENDSEC"); i += 2) {
        const std::string code = Trim(l[i]), &value = l[i + 1];
        auto number = [&value] { return StrToFloat(value); };
        if (code == "0") {
            vertex = value == "VERTEX";
            ended = value == "SEQEND";
            if (vertex)
                out.back().Points.push_back({0, 0});
            else if (!ended)
                out.push_back({value, "", "", {}, 0});
            continue;
        }
        Entity& e = out.back();
        if (ended || (e.Type == "POLYLINE" && !vertex && code != "8")) continue;
        if (code == "8" && !vertex) e.Layer = value;
        if (code == "1") e.Text = value;
        if (code == "40") e.Radius = number();
        if (code == "10" && vertex)
            e.Points.back().X = number();
        else if (code == "10" || code == "11")
            e.Points.push_back({number(), 0});
        if (code == "20" || code == "21") e.Points.back().Y = number();
    }
    return out;
}

std::vector<Entity> OfLayer(const std::vector<Entity>& All, const std::string& Type,
                            const std::string& Layer) {
    std::vector<Entity> out;
    for (const Entity& e : All)
        if (e.Type == Type && e.Layer == Layer) out.push_back(e);
    return out;
}

bool Near(double A, double B) {
    return std::fabs(A - B) < 1e-9;
}

// Whether a closed polyline with the corners of the box exists.
bool HasBox(const std::vector<Entity>& Polylines, double L, double T, double R, double B) {
    for (const Entity& e : Polylines) {
        if (e.Points.size() != 4) continue;
        const Point& a = e.Points[0];
        const Point& c = e.Points[2];
        if (Near(a.X, L) && Near(a.Y, T) && Near(c.X, R) && Near(c.Y, B) &&
            Near(e.Points[1].X, R) && Near(e.Points[3].Y, B))
            return true;
    }
    return false;
}

}  // namespace

// Every placed piece of layout 1 is in the drawing at its place (trims 1 and
// 0.5, net sizes), and our own reader takes the drawing.
TEST(DxfLayout, EveryPlacedPieceOutlineIsDrawnAndReadable) {
    Build();
    LayoutShowOffcuts = true;
    const std::string text = LayoutDxfDrawing(0).Text();

    TExtPolyline outline;
    EXPECT_EQ(ParseDxfProfile(text, outline), "");
    EXPECT_GT(outline.Count(), 0u);

    const std::vector<Entity> all = ParseEntities(text);
    const std::vector<Entity> parts = OfLayer(all, "POLYLINE", "parts");
    ASSERT_EQ(parts.size(), 4u);                      // the last one the triangle T1
    EXPECT_TRUE(HasBox(parts, 1, -0.5, 31, -20.5));   // A at (0, 0)
    EXPECT_TRUE(HasBox(parts, 33, -0.5, 63, -20.5));  // A at (32, 0)
    EXPECT_TRUE(HasBox(parts, 1, -22.5, 43, -47.5));  // B at (0, 22), 42 x 25
    const std::vector<Entity> circles = OfLayer(all, "CIRCLE", "parts");
    ASSERT_EQ(circles.size(), 1u);
    EXPECT_TRUE(Near(circles[0].Points[0].X, 75) && Near(circles[0].Points[0].Y, -10.5));
    EXPECT_TRUE(Near(circles[0].Radius, 10));
    ASSERT_EQ(parts[3].Points.size(), 3u);
    for (const Point& p : parts[3].Points)
        EXPECT_TRUE(p.X >= 45 - 1e-9 && p.X <= 65 + 1e-9 && p.Y <= -22.5 + 1e-9 &&
                    p.Y >= -42.5 - 1e-9);

    // The offcuts big enough to keep, on their own layer; OFFCUT_3 (8 wide)
    // and the ZEROOFFCUT_ piece are not drawn.
    const std::vector<Entity> offcuts = OfLayer(all, "POLYLINE", "offcuts");
    ASSERT_EQ(offcuts.size(), 2u);
    EXPECT_TRUE(HasBox(offcuts, 87, -0.5, 101, -50.5));
    EXPECT_TRUE(HasBox(offcuts, 67, -22.5, 85, -50.5));
    // Labels of the drawn pieces.
    std::vector<std::string> labels;
    for (const Entity& e : OfLayer(all, "TEXT", "parts label")) labels.push_back(e.Text);
    EXPECT_EQ(labels, (std::vector<std::string>{"A", "A", "B", "b", "T1", "OFFCUT_1", "OFFCUT_2"}));
}

TEST(DxfLayout, RectanglesAsLinesStayReadable) {
    Build();
    DxfExportLines = true;
    const std::string text = LayoutDxfDrawing(0).Text();
    TExtPolyline outline;
    EXPECT_EQ(ParseDxfProfile(text, outline), "");
    const std::vector<Entity> all = ParseEntities(text);
    EXPECT_TRUE(OfLayer(all, "POLYLINE", "parts").empty());
    EXPECT_EQ(OfLayer(all, "LINE", "parts").size(), 3u * 4 + 3);
    EXPECT_EQ(OfLayer(all, "LINE", "sheet").size(), 8u);
}

// With no blade the sheet has no usable-area frame: net size 82 x 62.
TEST(DxfLayout, SheetFrameOnlyWithABladeWidth) {
    Build();
    BladeWidth = 0;
    const std::vector<Entity> sheet =
        OfLayer(ParseEntities(LayoutDxfDrawing(1).Text()), "POLYLINE", "sheet");
    ASSERT_EQ(sheet.size(), 1u);
    EXPECT_TRUE(HasBox(sheet, 1, -0.5, 83.001, -62.499));
}

TEST(DxfLayout, OffcutsOnlyWhenShownAndNeverTheTooSmallOnes) {
    Build();
    MinScrapLength = 0;
    MinScrapWidth = 0;
    EXPECT_TRUE(OfLayer(ParseEntities(LayoutDxfDrawing(0).Text()), "POLYLINE", "offcuts").empty());
    LayoutShowOffcuts = true;
    const std::vector<Entity> all = ParseEntities(LayoutDxfDrawing(0).Text());
    EXPECT_EQ(OfLayer(all, "POLYLINE", "offcuts").size(), 3u);
    for (const Entity& e : all) EXPECT_NE(e.Text, "ZEROOFFCUT_1");
}

// Labels and layer names beyond ASCII, typed (UTF-8) or read from a Windows
// file (Windows-1252), read back by a DXF reader as themselves.
TEST(DxfLayout, LabelsBeyondAsciiReadBackAsThemselves) {
    Build();
    DxfLayerPartsLabel = "Beschriftung Küche";
    const std::vector<std::string> labels = {"Küche", "Кухня", "Tom\x92s",
                                             "€"};  // one Windows-1252
    TPacket& layout = Optimizer.Best[0];
    for (std::size_t i = 0; i < labels.size(); ++i)
        layout.Placements[static_cast<int>(i)].Label = labels[i];
    const std::string text = LayoutDxfDrawing(0).Text();

    const std::vector<std::string> read = DxfTextValues(text);
    for (const char* label : {"Küche", "Кухня", "Tom’s", "€"})
        EXPECT_NE(std::find(read.begin(), read.end(), label), read.end()) << label;
    const std::string layer = "Beschriftung K\xFC\x63he";               // in the declared code page
    EXPECT_EQ(OfLayer(ParseEntities(text), "TEXT", layer).size(), 5u);  // T1's too
    EXPECT_NE(text.find("$DWGCODEPAGE\r\n3\r\nANSI_1252\r\n"), std::string::npos);
}
