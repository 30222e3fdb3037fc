#include "output/report_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
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

// Without a fixed source the header shows the local date and time in the
// system's short forms (month/day/year and 24-hour time in the C locale),
// here with the local zone set to UTC and compared with the system clock.
TEST(ReportText, HeaderShowsTheLocalDateAndTime) {
    const char* oldZone = std::getenv("TZ");
    const std::string saved = oldZone ? oldZone : "";
    ::setenv("TZ", "UTC", 1);
    ::tzset();
    auto text = [](std::chrono::system_clock::time_point When) {
        auto two = [](long V) { return std::string(V < 10 ? "0" : "") + std::to_string(V); };
        const auto day = std::chrono::floor<std::chrono::days>(When);
        const std::chrono::year_month_day ymd(day);
        const std::chrono::hh_mm_ss hms(std::chrono::floor<std::chrono::seconds>(When - day));
        return "    " + two(static_cast<unsigned>(ymd.month())) + "/" +
               two(static_cast<unsigned>(ymd.day())) + "/" +
               two(static_cast<int>(ymd.year()) % 100) + "   " + two(hms.hours().count()) + ":" +
               two(hms.minutes().count()) + ":" + two(hms.seconds().count());
    };
    Build();
    const std::string before = text(std::chrono::system_clock::now());
    BuildLayoutHeaderText(0);
    const std::string after = text(std::chrono::system_clock::now());
    if (oldZone)
        ::setenv("TZ", saved.c_str(), 1);
    else
        ::unsetenv("TZ");
    ::tzset();
    ASSERT_FALSE(LayoutHeaderLines.empty());
    EXPECT_TRUE(LayoutHeaderLines[0] == before || LayoutHeaderLines[0] == after)
        << LayoutHeaderLines[0] << " / " << before;
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

// Parts of one material and label are ordered as the exchange sort leaves
// them (not as they came), and the required quantities move along only
// while both lists reach that far.
TEST(ReportText, PartsOfOneLabelKeepTheExchangeSortsOrder) {
    const struct {
        int WorkCount;
        const char* Rows;  // length and required quantity of every row
    } cases[] = {
        {4, "2:2 4:4 3:3 1:1 "},
        {3, "2:2 4:1 3:3 1:0 "},
    };
    for (const auto& c : cases) {
        Optimizer.Clear();
        const char* labels[] = {"X", "A", "X", "A"};
        for (int i = 0; i < 4; ++i) {
            T2DStock p;
            p.Label = labels[i];
            p.Material = "M";
            p.LengthText = std::to_string(i + 1);
            p.Quantity = 9;
            Optimizer.Parts.AddCopy(p);
            p.Quantity = i + 1;
            if (i < c.WorkCount) Optimizer.WorkParts.AddCopy(p);
        }
        ReportAllParts = true;
        BuildPartsReport();
        ASSERT_EQ(PartsReportLines.size(), 6u);
        std::string rows;
        for (std::size_t i = 2; i < 6; ++i) {
            const std::string& line = PartsReportLines[i];
            rows += line.substr(40, line.find(' ', 40) - 40) + ":" +
                    line.substr(70, line.find(' ', 70) - 70) + " ";
        }
        EXPECT_EQ(rows, c.Rows) << c.WorkCount;
        EXPECT_EQ(PartLabels(), (std::vector<std::string>{"X", "A", "X", "A"}));
    }
    Optimizer.Clear();
}
