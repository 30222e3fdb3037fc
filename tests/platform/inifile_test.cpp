#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/inifile.h"
#include "support/scratch.h"

namespace fs = std::filesystem;
using platform::TIniFile;
using testsupport::ReadText;
using testsupport::WriteText;

namespace {

class IniFileTest : public ::testing::Test {
protected:
    std::string path(const char* name) const { return dir_.File(name); }
    testsupport::ScratchDir dir_;
};

}  // namespace

TEST_F(IniFileTest, MissingFileReadsAsEmpty) {
    TIniFile ini(path("none.ini"));
    EXPECT_EQ(ini.ReadString("A", "b", "dflt"), "dflt");
    EXPECT_EQ(ini.ReadInteger("A", "b", 7), 7);
    EXPECT_TRUE(ini.ReadSections().empty());
}

TEST_F(IniFileTest, NamesMatchWithoutCaseValuesTrimmedAndUnquoted) {
    WriteText(path("a.ini"),
              "[Option]\r\nBladeWidth =  0.125 \r\nTitle=\"  quoted  \"\r\nSingle='x'\r\n"
              "Odd=\"half\r\nCount=12\r\nBad=1x\r\nFlag=1\r\n");
    TIniFile ini(path("a.ini"));
    EXPECT_EQ(ini.ReadString("OPTION", "bladewidth", ""), "0.125");
    EXPECT_EQ(ini.ReadString("option", "TITLE", ""), "  quoted  ");
    EXPECT_EQ(ini.ReadString("option", "single", ""), "x");
    EXPECT_EQ(ini.ReadString("option", "odd", ""), "\"half");
    EXPECT_EQ(ini.ReadInteger("option", "count", 0), 12);
    EXPECT_EQ(ini.ReadInteger("option", "bad", -1), -1);
    EXPECT_TRUE(ini.ReadBool("option", "flag", false));
    EXPECT_DOUBLE_EQ(ini.ReadFloat("option", "bladewidth", 0), 0.125);
}

TEST_F(IniFileTest, RewriteInPlaceKeepsOtherSectionsKeysAndOrder) {
    WriteText(path("b.ini"), "[OPTION]\nA=1\nB=2\n[LABEL_SCHEME_1]\nX=keep\n[OTHER]\nC=3\n");
    {
        TIniFile ini(path("b.ini"));
        ini.WriteString("option", "b", "20");
        ini.WriteString("OPTION", "D", "4");
        ini.WriteString("NEW", "k", "v");
        ini.UpdateFile();
    }
    EXPECT_EQ(ReadText(path("b.ini")),
              "[OPTION]\r\nA=1\r\nB=20\r\nD=4\r\n\r\n[LABEL_SCHEME_1]\r\nX=keep\r\n\r\n"
              "[OTHER]\r\nC=3\r\n\r\n[NEW]\r\nk=v\r\n\r\n");
    TIniFile again(path("b.ini"));
    EXPECT_EQ(again.ReadSections(), (std::vector<std::string>{"OPTION", "LABEL_SCHEME_1", "OTHER", "NEW"}));
    EXPECT_EQ(again.ReadSection("option"), (std::vector<std::string>{"A", "B", "D"}));
}

TEST_F(IniFileTest, LineBreakInValueCannotAddLines) {
    TIniFile ini(path("e.ini"));
    ini.WriteString("PART1", "Label", "a\r\n[EVIL]\r\nx=1");
    ini.UpdateFile();
    TIniFile again(path("e.ini"));
    EXPECT_EQ(again.ReadSections(), (std::vector<std::string>{"PART1"}));
    EXPECT_EQ(again.ReadString("PART1", "Label", ""), "a  [EVIL]  x=1");
}

TEST_F(IniFileTest, ValuesReadBackAsWritten) {
    const std::vector<std::string> texts = {"",      "plain", " lead", "trail ", "'x'", "\"y\"",
                                            "a=b",   "\"",    " \" ",  " 0 ",    "tab\t"};
    {
        TIniFile ini(path("q.ini"));
        for (std::size_t i = 0; i < texts.size(); ++i)
            ini.WriteString("S", "K" + std::to_string(i), texts[i]);
        ini.UpdateFile();
    }
    TIniFile ini(path("q.ini"));
    for (std::size_t i = 0; i < texts.size(); ++i)
        EXPECT_EQ(ini.ReadString("S", "K" + std::to_string(i), "?"), texts[i]) << i;
}

TEST_F(IniFileTest, EraseSection) {
    WriteText(path("c.ini"), "[SHEET1]\nL=1\n[sheet2]\nL=2\n[SHEET3]\nL=3\n");
    TIniFile ini(path("c.ini"));
    ini.EraseSection("SHEET2");
    ini.EraseSection("missing");
    ini.UpdateFile();
    TIniFile again(path("c.ini"));
    EXPECT_EQ(again.ReadSections(), (std::vector<std::string>{"SHEET1", "SHEET3"}));
    EXPECT_FALSE(again.SectionExists("sheet2"));
}

TEST_F(IniFileTest, FailedWriteIsReportedAndOldFileIntact) {
    if (::geteuid() == 0) {
        // root ignores directory permissions; a missing folder fails the same way
        TIniFile ini(path("no/such/dir/x.ini"));
        ini.WriteString("A", "b", "c");
        EXPECT_THROW(ini.UpdateFile(), platform::IniWriteError);
    }
    WriteText(path("d.ini"), "[A]\r\nb=old\r\n");
    TIniFile ini(path("d.ini"));
    ini.WriteString("A", "b", "new");
    fs::permissions(dir_.Path(), fs::perms::owner_read | fs::perms::owner_exec);
    if (::geteuid() != 0) {
        try {
            ini.UpdateFile();
            FAIL() << "write into a read-only folder must fail";
        } catch (const platform::IniWriteError& e) {
            EXPECT_NE(std::string(e.what()).find("d.ini"), std::string::npos);
        }
    }
    fs::permissions(dir_.Path(), fs::perms::owner_all, fs::perm_options::add);
    EXPECT_EQ(ReadText(path("d.ini")), "[A]\r\nb=old\r\n");
    EXPECT_FALSE(fs::exists(path("d.ini.tmp~")));
}

TEST_F(IniFileTest, WriteFileIsAtomicOverADirectoryTarget) {
    // a target that cannot be replaced leaves no temporary file behind
    fs::create_directories(path("target"));
    EXPECT_THROW(platform::WriteFileAtomic(path("target"), "data"), platform::IniWriteError);
    EXPECT_FALSE(fs::exists(path("target.tmp~")));
    EXPECT_TRUE(fs::is_directory(path("target")));
}
