#include "engine/dxfout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/errors.h"
#include "engine/pubstr.h"
#include "engine/textfmt.h"
#include "platform/inifile.h"
#include "support/scratch.h"

namespace {

TDXFOut MakeWriter(std::uint8_t Decimals = 3) {
    return TDXFOut(Decimals, 0, 0, 0, 0, 0, 0, 0, 0, 0);
}

// Code/value pairs of the writer's lines.
std::vector<std::pair<std::string, std::string>> Pairs(const TDXFOut& W) {
    std::vector<std::pair<std::string, std::string>> out;
    for (std::size_t i = 0; i + 1 < W.Lines.size(); i += 2)
        out.emplace_back(W.Lines[i], W.Lines[i + 1]);
    return out;
}

// Values of one group code, in order.
std::vector<std::string> Values(const TDXFOut& W, const std::string& Code) {
    std::vector<std::string> out;
    for (const auto& [c, v] : Pairs(W))
        if (c == Code) out.push_back(v);
    return out;
}

std::vector<double> Numbers(const TDXFOut& W, const std::string& Code) {
    std::vector<double> out;
    for (const auto& v : Values(W, Code)) out.push_back(StrToFloat(v));
    return out;
}

}  // namespace

TEST(DxfOutNumbers, FixedDecimalsWithPointWhateverTheLocale) {
    const auto w = MakeWriter(3);
    EXPECT_EQ(w.FloatToDXF(12.5), "12.500");
    EXPECT_EQ(w.FloatToDXF(-3), "-3.000");
    EXPECT_EQ(w.FloatToDXF(-0.0001), "0.000");
    EXPECT_EQ(MakeWriter(0).FloatToDXF(2.4), "2");
    const char* old = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = old ? old : "C";
    if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") || std::setlocale(LC_NUMERIC, "de_DE")) {
        EXPECT_EQ(w.FloatToDXF(12.5), "12.500");
        std::setlocale(LC_NUMERIC, saved.c_str());
    }
}

TEST(DxfOutNumbers, HugeValuesStayReadableAndNaNIsRefused) {
    const auto w = MakeWriter(3);
    const std::string s = w.FloatToDXF(1e40);
    EXPECT_LE(s.size(), 32u);
    EXPECT_DOUBLE_EQ(StrToFloat(s), 1e40);
    EXPECT_THROW(w.FloatToDXF(std::nan("")), ERangeError);
    EXPECT_THROW(w.FloatToDXF(INFINITY), ERangeError);
}

TEST(DxfOutStructure, LayerAndTextNeverBreakTheLineStructure) {
    auto w = MakeWriter();
    w.SetLayer(std::string(40, 'L'));
    EXPECT_EQ(w.Layer, std::string(32, 'L'));
    w.SetLayer("parts\r\nLINE");
    w.WriteText("A\nB\rC", 0, 0, 0, 4, 0);
    EXPECT_EQ(Values(w, "8"), std::vector<std::string>{"parts  LINE"});
    EXPECT_EQ(Values(w, "1"), std::vector<std::string>{"A B C"});
    // The file has exactly one line per stored line.
    const std::string text = w.Text();
    std::size_t breaks = 0;
    for (char c : text) breaks += (c == '\n');
    EXPECT_EQ(breaks, w.Lines.size());
}

TEST(DxfOutEntities, RectangleAsPolylineOrLines) {
    auto w = MakeWriter();
    w.WriteRect({0, 0, 1000, 3000});
    EXPECT_EQ(Values(w, "0"), (std::vector<std::string>{"POLYLINE", "VERTEX", "VERTEX", "VERTEX",
                                                        "VERTEX", "SEQEND"}));
    EXPECT_EQ(Values(w, "70"), (std::vector<std::string>{"1", "1", "1", "1", "1"}));
    EXPECT_EQ(Values(w, "10"),
              (std::vector<std::string>{"0.000", "0.000", "1.000", "1.000", "0.000"}));
    EXPECT_EQ(Values(w, "20"),
              (std::vector<std::string>{"0.000", "0.000", "0.000", "3.000", "3.000"}));

    DxfExportLines = true;
    auto l = MakeWriter();
    l.WriteRect({0, 0, 1000, 3000});
    EXPECT_EQ(Values(l, "0"), (std::vector<std::string>{"LINE", "LINE", "LINE", "LINE"}));
    EXPECT_EQ(Values(l, "11"), (std::vector<std::string>{"1.000", "1.000", "0.000", "0.000"}));

    auto open = MakeWriter();
    open.BeginPolyline(false);
    EXPECT_EQ(Values(open, "70"), std::vector<std::string>{"0"});
}

TEST(DxfOutEllipse, ChordsAreShortAndPointsLieOnTheCurve) {
    // A circle box 100 user units across, then a flat ellipse.
    for (double height : {100000.0, 30000.0}) {
        auto w = MakeWriter(6);
        w.WriteEllipse(0, 0, 0, 100000, height, 0);
        const auto xs = Numbers(w, "10"), ys = Numbers(w, "20");
        ASSERT_GT(xs.size(), 10u);
        // The first pair belongs to the polyline header.
        const std::size_t n = (xs.size() - 1) / 2;
        ASSERT_EQ(xs.size(), 1 + 2 * n);
        const double a = 50, b = height / 2000, cy = height / 2000, s0 = 1.0;
        EXPECT_DOUBLE_EQ(xs[1], 0);
        EXPECT_DOUBLE_EQ(ys[1], cy);
        for (std::size_t i = 1; i < xs.size(); ++i) {
            const double u = (xs[i] - a) / a, v = (ys[i] - cy) / b;
            EXPECT_NEAR(u * u + v * v, 1.0, 0.01) << i;
        }
        for (std::size_t i = 2; i <= n; ++i)
            EXPECT_LE(std::hypot(xs[i] - xs[i - 1], ys[i] - ys[i - 1]), s0 + 1e-5) << i;
        EXPECT_LE(xs[n], 100.0);
        EXPECT_GT(xs[n], 100.0 - s0);
        // The lower half mirrors the upper half, back to the start.
        for (std::size_t i = 1; i <= n; ++i) {
            EXPECT_DOUBLE_EQ(xs[i], xs[2 * n + 1 - i]);
            EXPECT_NEAR(ys[i] - cy, cy - ys[2 * n + 1 - i], 1e-5);
        }
    }
}

TEST(DxfOutEllipse, ZeroWidthBoxWritesNoNaN) {
    auto w = MakeWriter();
    w.WriteEllipse(2000, 0, 0, 2000, 5000, 0);
    const std::string text = w.Text();
    EXPECT_EQ(text.find("nan"), std::string::npos);
    EXPECT_EQ(text.find("NAN"), std::string::npos);
    EXPECT_EQ(Values(w, "10"), (std::vector<std::string>{"0.000", "2.000", "2.000"}));
    EXPECT_EQ(Values(w, "20"), (std::vector<std::string>{"0.000", "5.000", "0.000"}));
}

TEST(DxfOutArcs, FullTurnIsACircleAndAnyOtherSweepAnArc) {
    auto w = MakeWriter();
    w.WriteArcSpan(1, 2, 0, 3, 360, 0);
    w.WriteArcSpan(1, 2, 0, 3, 90, 90 + 360 * (1 + 1e-15));
    EXPECT_EQ(Values(w, "0"), (std::vector<std::string>{"CIRCLE", "CIRCLE"}));

    auto q = MakeWriter();
    q.WriteArcSpan(1, 2, 0, 3, 360, 270);
    EXPECT_EQ(Values(q, "0"), std::vector<std::string>{"ARC"});
    EXPECT_EQ(Values(q, "50"), std::vector<std::string>{"360.001"});
    EXPECT_EQ(Values(q, "51"), std::vector<std::string>{"269.999"});

    // Start and end round to the same whole degree: still a small arc.
    auto t = MakeWriter(5);
    t.WriteArcSpan(0, 0, 0, 100, 10.1, 10.4);
    EXPECT_EQ(Values(t, "0"), std::vector<std::string>{"ARC"});
    EXPECT_EQ(Values(t, "50"), std::vector<std::string>{"10.10100"});
    EXPECT_EQ(Values(t, "51"), std::vector<std::string>{"10.39900"});

    // A sweep smaller than the trim is drawn in less, never turned inside out.
    auto tiny = MakeWriter(8);
    tiny.WriteArcSpan(0, 0, 0, 100, 359.9999, 0.0001);
    ASSERT_EQ(Values(tiny, "0"), std::vector<std::string>{"ARC"});
    EXPECT_EQ(Values(tiny, "50"), std::vector<std::string>{"359.99995000"});
    EXPECT_EQ(Values(tiny, "51"), std::vector<std::string>{"0.00005000"});
}

TEST(DxfOutFile, SavedCompletelyOrNotAtAll) {
    testsupport::ScratchDir dir;
    auto w = MakeWriter();
    w.WriteCircle(0, 0, 0, 1000);
    w.SaveToFile(dir.File("plan.dxf"));
    EXPECT_EQ(testsupport::ReadText(dir.File("plan.dxf")), w.Text());
    EXPECT_THROW(w.SaveToFile(dir.File("missing/plan.dxf")), platform::IniWriteError);
    EXPECT_FALSE(std::filesystem::exists(dir.File("missing/plan.dxf")));
}

TEST(DxfOutText, InTheDeclaredCodePageAndUnicodeFormsForWhatItLacks) {
    const std::pair<const char*, const char*> cases[] = {
        {"Küche", "K\xFC\x63he"},
        {"K\xFC\x63he", "K\xFC\x63he"},  // Windows-1252 bytes: the same label
        {"Кухня", "\\U+041A\\U+0443\\U+0445\\U+043D\\U+044F"},
        {"Tom’s € –", "Tom\x92s \x80 \x96"},
        {"\xC2\x81", "\\U+0081"},                  // no character in Windows-1252
        {"a\\U+0041 \\P", "a\\U+005CU+0041 \\P"},  // a backslash that would start a form
        {"\xF0\x9F\x98\x80", "\\U+D83D\\U+DE00"},
    };
    for (const auto& [text, written] : cases) EXPECT_EQ(DxfText(text), written) << text;

    auto w = MakeWriter();
    w.SetLayer("Teile Кухня");
    w.WriteText("x", 0, 0, 0, 4, 0);
    EXPECT_EQ(Values(w, "8"),
              std::vector<std::string>{"Teile \\U+041A\\U+0443\\U+0445\\U+043D\\U+044F"});
    // A layer name is cut at 32 characters, not bytes.
    w.SetLayer(std::string(31, 'L') + "üü");
    EXPECT_EQ(w.Layer, std::string(31, 'L') + "ü");
}
