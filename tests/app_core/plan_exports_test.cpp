#include "app/core/plan_exports.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <stdexcept>

#include "app/core/option_edits.h"
#include "engine/pubstr.h"
#include "engine/shared_state.h"
#include "output/dxf_import.h"
#include "output/dxf_layout.h"
#include "output/gcode_layout.h"
#include "output/sample_plan.h"
#include "support/scratch.h"

using testsupport::CaptureSink;
using testsupport::ReadText;
using testsupport::ScratchDir;

namespace {

std::string FakePicture(int LayoutIndex) { return "BM picture " + std::to_string(LayoutIndex); }

}  // namespace

TEST(PlanExports, HtmlTextEscapesBeforeBlanksBecomeSpaces) {
    EXPECT_EQ(HtmlText("<b>&\"x\""), "&lt;b&gt;&amp;&quot;x&quot;");
    EXPECT_EQ(HtmlText(" a  b "), "&nbsp;a&nbsp;&nbsp;b&nbsp;");
    EXPECT_EQ(HtmlText("T\xFCr"), "T\xFCr");
}

TEST(PlanExports, BaseNameIsTheChosenNameLessItsExtension) {
    const std::pair<const char*, const char*> cases[] = {
        {"/w/job.html", "/w/job"}, {"/w/job.htm", "/w/job"},   {"/w/job", "/w/job"},
        {"/w.x/job", "/w.x/job"},  {"/w/.hidden", "/w/.hidden"}, {"job.tar.gz", "job.tar"},
    };
    for (const auto& [name, base] : cases) EXPECT_EQ(ExportBaseName(name), base) << name;
}

TEST(PlanExports, HtmlReportWritesListsPicturesAndPageWithRelativeNames) {
    sample_plan::Build();
    sample_plan::FixedDateTime time;
    ScratchDir dir;
    const std::string page = dir.File("my job.htm");
    std::vector<std::string> written;
    ASSERT_TRUE(HtmlReport({" ", "Part <b>&\"x\"  2"}, page, FakePicture, written));

    EXPECT_EQ(ReadText(dir.File("my job.txt")), sample_plan::Expected("cut_list_EXECL.txt"));
    EXPECT_EQ(ReadText(dir.File("my job_LABEL.txt")), sample_plan::Expected("cut_list_LABEL.txt"));
    const std::string html = ReadText(page);
    EXPECT_NE(html.find("<tr><td>\r\nPart&nbsp;&lt;b&gt;&amp;&quot;x&quot;&nbsp;&nbsp;2\r\n</td></tr>"),
              std::string::npos);
    EXPECT_EQ(html.find(dir.Path()), std::string::npos);  // no absolute names
    for (int i = 1; i <= 3; ++i) {
        const std::string picture = "my job.htm_" + std::to_string(i) + ".bmp";
        EXPECT_EQ(ReadText(dir.File(picture)), FakePicture(i - 1));
        EXPECT_NE(html.find("<img src=\"my%20job.htm_" + std::to_string(i) + ".bmp\">"), std::string::npos);
    }
    EXPECT_EQ(written.size(), 6u);
    EXPECT_EQ(written.back(), page);
}

TEST(PlanExports, FailedPictureNamesItsFileAndWritesNoPage) {
    sample_plan::Build();
    ScratchDir dir;
    const std::string page = dir.File("job.html");
    std::vector<std::string> written;
    CaptureSink sink;
    EXPECT_FALSE(HtmlReport({" "}, page, [](int i) -> std::string {
        if (i == 1) throw std::runtime_error("no memory");
        return "BM";
    }, written));
    ASSERT_EQ(sink.Warnings.size(), 1u);
    EXPECT_NE(sink.Warnings[0].find(page + "_2.bmp"), std::string::npos) << sink.Warnings[0];
    EXPECT_FALSE(std::filesystem::exists(page));
    EXPECT_FALSE(std::filesystem::exists(page + "_2.bmp"));
}

TEST(PlanExports, DxfOfEveryLayoutReadsBackAsItsDrawing) {
    sample_plan::Build();
    ScratchDir dir;
    std::vector<std::string> written;
    ASSERT_TRUE(ExportLayoutsDxf(dir.File("plan.dxf"), written));
    ASSERT_EQ(written.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(written[i], dir.File("plan.dxf_" + std::to_string(i + 1) + ".dxf"));
        TExtPolyline fromFile, expected;
        ASSERT_EQ(ReadDxfProfileFile(written[i], fromFile), "") << written[i];
        ASSERT_EQ(ParseDxfProfile(LayoutDxfDrawing(i).Text(), expected), "");
        EXPECT_EQ(fromFile, expected) << written[i];
        EXPECT_EQ(fromFile.Length, Optimizer.Best[i].Length) << written[i];
    }
}

TEST(PlanExports, EveryExportOfAnEmptyPlanWarnsAndWritesNothing) {
    sample_plan::Build();
    Optimizer.Best.Clear();
    ScratchDir dir;
    std::vector<std::string> written;
    CaptureSink sink;
    EXPECT_FALSE(HtmlReport({" "}, dir.File("a.html"), FakePicture, written));
    EXPECT_FALSE(ExportLayoutsDxf(dir.File("a"), written));
    EXPECT_FALSE(ExportLayoutsGCode(dir.File("a"), "-0.02", "0.02", written));
    EXPECT_EQ(sink.Warnings, std::vector<std::string>(3, MsgLayoutIsEmpty));
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));
}

TEST(PlanExports, GCodeOfEveryLayoutAndAFailureNamingTheFile) {
    sample_plan::Build();
    ScratchDir dir;
    std::vector<std::string> written;
    ASSERT_TRUE(ExportLayoutsGCode(dir.File("cnc"), "-0.02", "0.02", written));
    ASSERT_EQ(written.size(), 3u);
    EXPECT_EQ(written[2], dir.File("cnc_3.gnc"));
    CaptureSink sink;
    written.clear();
    EXPECT_FALSE(ExportLayoutsGCode(dir.File("missing/cnc"), "-0.02", "0.02", written));
    ASSERT_EQ(sink.Warnings.size(), 1u);
    EXPECT_NE(sink.Warnings[0].find(dir.File("missing/cnc_1.gnc")), std::string::npos) << sink.Warnings[0];
    EXPECT_TRUE(written.empty());
}

// Depths that are no lengths, or a safety height not above the cut depth,
// are refused before any file is written; good ones are written as lengths.
TEST(PlanExports, GCodeDepthsAreCheckedBeforeAnyFile) {
    sample_plan::Build();
    const struct {
        const char* Cut;
        const char* Safe;
        const char* Says;  // nullptr: written
    } cases[] = {
        {"-18,5", "5", "Drill Depth must be a length"},
        {"abc", "5", "Drill Depth must be a length"},
        {"", "5", "Drill Depth must be a length"},
        {"-18.5", " ", "Safety Height must be a length"},
        {"-1000", "5", "Drill Depth must be a length from -999.999 to 999.999"},
        {"5", "-18", "is not above"},
        {"-18", "-18", "is not above"},
        {"-18.50", "+5", nullptr},
    };
    for (const auto& c : cases) {
        ScratchDir dir;
        CaptureSink sink;
        std::vector<std::string> written;
        const bool ok = ExportLayoutsGCode(dir.File("cnc"), c.Cut, c.Safe, written);
        EXPECT_EQ(ok, c.Says == nullptr) << c.Cut << " / " << c.Safe;
        if (c.Says) {
            ASSERT_EQ(sink.Warnings.size(), 1u) << c.Cut;
            EXPECT_NE(sink.Warnings[0].find(c.Says), std::string::npos) << sink.Warnings[0];
            EXPECT_TRUE(std::filesystem::is_empty(dir.Path())) << c.Cut;
            continue;
        }
        const std::string g = ReadText(dir.File("cnc_1.gnc"));  // with a circle
        EXPECT_NE(g.find("G1 Z -18.5\r\n"), std::string::npos);
        EXPECT_NE(g.find("G0 Z5\r\n"), std::string::npos);
    }
    // Without Z moves the depths are not written and not checked.
    GCodeZMoves = false;
    ScratchDir dir;
    std::vector<std::string> written;
    EXPECT_TRUE(ExportLayoutsGCode(dir.File("cnc"), "abc", "", written));

    TErrorLocation error;
    EXPECT_TRUE(GCodeDepthEditDone("-18.5", false, error));
    EXPECT_FALSE(GCodeDepthEditDone("1 1/2", true, error));
    EXPECT_EQ(error.Control, "EditSafetyHeigth");
    EXPECT_NE(error.Message.find(GCodeDepthRangeMessage(true)), std::string::npos);
}

// The page never takes a companion's name; its pictures follow the page.
TEST(PlanExports, HtmlPageNamedApartFromItsLists) {
    const std::pair<const char*, const char*> names[] = {
        {"/w/x.txt", "/w/x.html"}, {"/w/x", "/w/x.html"}, {"/w/x.HTM", "/w/x.HTM"},
        {"/w/x_LABEL.txt", "/w/x_LABEL.html"}, {"/w/x.html", "/w/x.html"}};
    for (const auto& [chosen, page] : names) EXPECT_EQ(HtmlPageFileName(chosen), page) << chosen;

    sample_plan::Build();
    ScratchDir dir;
    std::vector<std::string> written;
    ASSERT_TRUE(HtmlReport({" "}, dir.File("x.txt"), FakePicture, written));
    EXPECT_EQ(ReadText(dir.File("x.txt")), sample_plan::Expected("cut_list_EXECL.txt"));
    EXPECT_EQ(written.back(), dir.File("x.html"));
    EXPECT_NE(ReadText(dir.File("x.html")).find("<img src=\"x.html_1.bmp\">"), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(dir.File("x.html_3.bmp")));
}

// A sheet keeps 800 pixels on its longer side; a long roll keeps at least
// 300 on its shorter side, as long as the longer stays within 16000.
TEST(PlanExports, PictureOfALongRollStaysReadable) {
    const struct {
        std::int32_t Length, Width;
        int Longer, Shorter;
    } cases[] = {{2440000, 1220000, 800, 400},
                 {1220000, 2440000, 800, 400},
                 {30000000, 2100000, 4286, 300},
                 {300000000, 1000000, 16000, 53}};
    for (const auto& c : cases) {
        const double s = LayoutPictureScale(c.Length, c.Width);
        EXPECT_EQ(std::lround(std::max(c.Length, c.Width) * s), c.Longer) << c.Length;
        EXPECT_EQ(std::lround(std::min(c.Length, c.Width) * s), c.Shorter) << c.Length;
    }
}
