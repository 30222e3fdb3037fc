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
