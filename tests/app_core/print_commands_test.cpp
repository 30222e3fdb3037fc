#include "app/core/print_commands.h"

#include <gtest/gtest.h>

#include "engine/pubstr.h"

TEST(PrintCommands, LayoutsPerPageAcceptsOnlyWholeNumbersAboveZero) {
    struct Case {
        const char *Rows, *Cols;
        int R, C;  // 0: refused
    } cases[] = {{"2", "3", 2, 3}, {" 1 ", "1", 1, 1}, {"0", "1", 0, 0},
                 {"x", "1", 0, 0}, {"1", "-2", 0, 0},  {"", "1", 0, 0}};
    for (const Case& c : cases) {
        int r = 0, k = 0;
        std::string message;
        EXPECT_EQ(ParseLayoutsPerPage(c.Rows, c.Cols, r, k, message), c.R > 0) << c.Rows;
        if (c.R > 0)
            EXPECT_EQ(std::pair(r, k), std::pair(c.R, c.C));
        else
            EXPECT_TRUE(message.ends_with(MsgInvalidData)) << message;
    }
}

TEST(PrintCommands, FontSizesBelowEightBecomeEightForTheirOwnFontOnly) {
    TOptionPage page;
    page.EditPrinterFontSize = "abc";
    page.EditFontLabelSize = "5";
    page.EditFontDimSize = "12";
    page.EditPrintTitle = "Job 7";
    ReadPrintSetup(page, true, false);
    EXPECT_EQ(page.EditPrinterFontSize, "8");
    EXPECT_EQ(PrinterFontSize, 8);
    EXPECT_EQ(page.EditFontLabelSize, "8");
    EXPECT_EQ(LabelFontSize, 8);
    EXPECT_EQ(DimFontSize, 12);
    EXPECT_EQ(ProjectTitle, "Job 7");
}

TEST(PrintCommands, ChosenFontIsStoredAtOnceExceptForThePrintoutText) {
    TOptionPage page;
    PrinterFontChosen(page, TPrinterFontRow::Text, "Serif", 20);
    EXPECT_EQ(page.EditPrinterFontName, "Serif");
    EXPECT_EQ(PrinterFontSize, 72);
    PrinterFontChosen(page, TPrinterFontRow::CutSeq, "Mono", 14);
    EXPECT_EQ(CutSeqFontName, "Mono");
    EXPECT_EQ(CutSeqFontSize, 14);
}

TEST(PrintCommands, LinksOpenTheHelpFileWhileNoAddressIsSet) {
    AppDir = "/start";
    EXPECT_EQ(HelpFilePath(), "/start/help/tessaly_help.html");
    ASSERT_TRUE(ProgramAddresses().WebSite.empty());
    for (const std::string& t : {HomepageTarget(), DownloadTarget(), SupportMailTarget()})
        EXPECT_EQ(t, HelpFilePath());
}

// Before printing, a drawing under 20 mm on its shorter side is asked about,
// with its size; the first such layout is named, the others counted.
TEST(PrintCommands, DrawingsTooSmallToReadAreAskedAbout) {
    using Sizes = std::vector<TPrintedDrawingSize>;
    const struct {
        Sizes Drawings;
        int First;
        std::string Question;  // empty: none asked
    } cases[] = {
        {{{200, 150}, {20, 20}, {300, 20}}, 0, ""},  // exactly 20 mm is readable
        {{{200, 150}, {0, 0}}, 0, ""},               // no drawing: refused elsewhere
        {{{200, 150}, {2.54, 1.27}, {10, 8}, {19.95, 400}},
         0,
         "Layout 2 would print only 2.5 x 1.2 mm large at 3 x 1 layouts to a page, too small to "
         "read (under 20 mm on its shorter side); 2 more layout(s) as small. Print anyway?"},
        {{{400, 19.99}},
         4,
         "Layout 5 would print only 400.0 x 19.9 mm large at 3 x 1 layouts to a page, too small "
         "to read (under 20 mm on its shorter side). Print anyway?"},
    };
    for (const auto& c : cases) {
        const std::string q = SmallDrawingQuestion(c.Drawings, c.First, 3, 1, false);
        if (c.Question.empty()) {
            EXPECT_EQ(q, "");
            continue;
        }
        EXPECT_EQ(q.substr(0, c.Question.size()), c.Question);
    }
    // Leaving out the parts lists is offered only when they are printed.
    const Sizes small = {{10, 8}};
    const std::string parts = "fewer rows or columns, or print without the parts in the layout.";
    EXPECT_TRUE(SmallDrawingQuestion(small, 0, 5, 1, true).ends_with(parts));
    EXPECT_TRUE(SmallDrawingQuestion(small, 0, 5, 1, false).ends_with("fewer rows or columns."));
    // One layout to a page has no fewer rows or columns to offer.
    EXPECT_TRUE(SmallDrawingQuestion(small, 0, 1, 1, true)
                    .ends_with("Choose No to go back and print without the parts in the layout."));
    EXPECT_TRUE(SmallDrawingQuestion(small, 0, 1, 1, false).ends_with("Print anyway?"));
}
