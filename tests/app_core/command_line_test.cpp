#include <gtest/gtest.h>

#include "app/core/command_line.h"

TEST(CommandLine, SwitchesMatchWithoutCaseFirstOccurrenceWins) {
    TCommandLine cl({"-AUTO:YES", "-Report:Plan.TXT", "-report:second.txt", "-hide:no"});
    EXPECT_TRUE(cl.IsYes("-auto:"));
    EXPECT_EQ(cl.GetParaValue("-report:"), "Plan.TXT");
    EXPECT_FALSE(cl.IsYes("-hide:"));
    EXPECT_EQ(cl.GetParaValue("-sheet:"), "");
    EXPECT_EQ(cl.GetParaValue(""), "");
}

TEST(CommandLine, EmptyParameterEndsTheSearchAndValuesAreCut) {
    TCommandLine cl({"-sht:a.sht", "", "-auto:yes"});
    EXPECT_EQ(cl.GetParaValue("-sht:"), "a.sht");
    EXPECT_FALSE(cl.IsYes("-auto:"));
    TCommandLine longValue({"-sheet:" + std::string(300, 'x')});
    EXPECT_EQ(longValue.GetParaValue("-sheet:").size(), 255u);
    EXPECT_FALSE(TCommandLine({"", "-auto:yes"}).HasParameters());
}
