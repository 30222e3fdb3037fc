#include "output/report_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "engine/errors.h"
#include "engine/pubstr.h"
#include "engine/shared_state.h"
#include "output/sample_plan.h"
#include "platform/inifile.h"

using namespace sample_plan;
using testsupport::ReadText;
using testsupport::ScratchDir;

namespace {

void BuildAllReports() {
    BuildSheetsReport();
    BuildPartsReport();
    BuildSummaryReport();
}

std::vector<std::string> PartLabels() {
    std::vector<std::string> labels;
    for (const T2DStock& p : Optimizer.Parts) labels.push_back(p.Label);
    return labels;
}

}  // namespace

TEST(ReportText, WholeReportMatchesTheExpectedFile) {
    Build();
    ReportAllRawPanels = true;
    ReportAllParts = true;
    BuildAllReports();
    EXPECT_EQ(TotalUsedSheets, 4);
    EXPECT_EQ(JoinTextFileLines(ReportTextLines()), Expected("report_text.txt"));

    ScratchDir dir;
    SaveReportTextFile(dir.File("job"));
    EXPECT_EQ(ReadText(dir.File("job")), Expected("report_text.txt"));
}

TEST(ReportText, LayoutHeaderMatchesTheExpectedFile) {
    Build();
    FixedDateTime fixed;
    PartsInLayout = true;
    BuildLayoutHeaderText(0);
    EXPECT_EQ(JoinTextFileLines(LayoutHeaderLines), Expected("layout_header_1.txt"));
}

TEST(ReportText, LayoutHeaderWithoutPartsAndWithReplacedWords) {
    Build();
    FixedDateTime fixed;
    LayoutsCaption = "Plans";
    ReportTitle = "T";
    BuildLayoutHeaderText(2);
    ASSERT_EQ(LayoutHeaderLines.size(), 8u);
    EXPECT_EQ(LayoutHeaderLines[0], "T    2024-05-17   14:03:07");
    EXPECT_EQ(LayoutHeaderLines[2], "------------ Plans 3 ------------");
    EXPECT_EQ(LayoutHeaderLines[3],
              "          Label: R7                           Comment: rack 7");
    EXPECT_EQ(LayoutHeaderLines[6], " ");
    EXPECT_EQ(LayoutHeaderLines[7], "Plans");

    // A later call replaces the lines; an index outside the plan leaves none.
    EXPECT_THROW(BuildLayoutHeaderText(3), EListError);
    EXPECT_TRUE(LayoutHeaderLines.empty());
}

TEST(ReportText, RealClockGivesDateAndTime) {
    Build();
    BuildLayoutHeaderText(0);
    const TReportDateTime now = LocalReportDateTime();
    EXPECT_FALSE(now.Date.empty());
    EXPECT_FALSE(now.Time.empty());
    EXPECT_EQ(LayoutHeaderLines[0].substr(0, 4), "    ");
}

TEST(ReportText, TablesWithoutRowsStillCountAndTitle) {
    Build();
    BuildAllReports();
    EXPECT_EQ(SheetsReportLines, std::vector<std::string>{" "});
    EXPECT_EQ(PartsReportLines, std::vector<std::string>{" "});
    EXPECT_EQ(TotalUsedSheets, 4);
    const std::vector<std::string>& s = SummaryReportLines;
    const auto raw = std::find(s.begin(), s.end(), "RAW Panels:");
    ASSERT_NE(raw, s.end());
    EXPECT_EQ(*(raw + 1), " ");
    EXPECT_EQ(*(raw + 2), " ");
    EXPECT_EQ(*(raw + 3), " ");
    EXPECT_EQ(*(raw + 4), "USED Qty: 4");
    EXPECT_NE(std::find(s.begin(), s.end(), "Parts:"), s.end());

    // Rebuilding starts from an empty list and count.
    BuildSheetsReport();
    EXPECT_EQ(SheetsReportLines.size(), 1u);
    EXPECT_EQ(TotalUsedSheets, 4);
}

TEST(ReportText, PartsReportKeepsThePlanOrder) {
    Build();
    ReportAllParts = true;
    const std::vector<std::string> before = PartLabels();
    BuildPartsReport();
    EXPECT_EQ(PartLabels(), before);
    ASSERT_EQ(Optimizer.WorkParts.Count(), 6);
    EXPECT_EQ(Optimizer.WorkParts[2].Label, "A");
    EXPECT_EQ(Optimizer.WorkParts[2].Quantity, 4);
    // The used quantities follow the plan's order again.
    EXPECT_EQ(UsedPartsList[2].Label, "A");
    EXPECT_EQ(UsedPartsList[2].Quantity, 5);
    // "B" sorts before "b" and each row keeps its own required quantity.
    ASSERT_EQ(PartsReportLines.size(), 8u);
    EXPECT_EQ(PartsReportLines[3].substr(0, 1), "B");
    EXPECT_EQ(PartsReportLines[6].substr(0, 1), "b");
    EXPECT_EQ(PartsReportLines[6].substr(70, 10), "1         ");
}

TEST(ReportText, LongValuesPushTheColumnsAlong) {
    Build();
    ReportAllRawPanels = true;
    Optimizer.Panels[0].Label = "A_VERY_LONG_SHEET_LABEL_1";
    BuildSheetsReport();
    ASSERT_EQ(SheetsReportLines.size(), 5u);
    EXPECT_EQ(SheetsReportLines[2].substr(0, 28), "A_VERY_LONG_SHEET_LABEL_1MDF");
}

TEST(ReportText, SheetWithoutUseIsLeftOut) {
    Build();
    ReportAllRawPanels = true;
    BuildSheetsReport();
    for (const std::string& line : SheetsReportLines) EXPECT_NE(line.substr(0, 2), "S3");
    Optimizer.Best.Packets.Delete(0);
    ComputeUsedQuantities();
    BuildSheetsReport();
    EXPECT_EQ(TotalUsedSheets, 2);
    EXPECT_EQ(SheetsReportLines.size(), 4u);
}

TEST(ReportText, EmptyPlanReportsZeroTotals) {
    Build();
    Optimizer.Best.Clear();
    ComputeUsedQuantities();
    BuildAllReports();
    const std::vector<std::string>& s = SummaryReportLines;
    EXPECT_NE(std::find(s.begin(), s.end(), "USED Qty: 0"), s.end());
    EXPECT_NE(std::find(s.begin(), s.end(), "Utilization                             : 0%"),
              s.end());
    EXPECT_NE(std::find(s.begin(), s.end(), "TOTAL WASTE AREA                        : 0.sq.inch."),
              s.end());
}

TEST(ReportText, FailedWriteNamesTheFileAndLeavesNothing) {
    Build();
    BuildAllReports();
    ScratchDir dir;
    const std::string name = dir.File("missing/report");
    try {
        SaveReportTextFile(name);
        FAIL() << "no error";
    } catch (const platform::IniWriteError& e) {
        EXPECT_NE(std::string(e.what()).find(name), std::string::npos);
    }
    EXPECT_FALSE(std::filesystem::exists(name));
}

TEST(ReportText, LineBreaksInsideAValueStayOnOneLine) {
    EXPECT_EQ(JoinTextFileLines({"a\r\nb", "c"}), "a  b\r\nc\r\n");
    EXPECT_EQ(JoinTextFileLines({}), "");
}
