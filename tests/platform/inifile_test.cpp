#include "platform/inifile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

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
    EXPECT_EQ(again.ReadSections(),
              (std::vector<std::string>{"OPTION", "LABEL_SCHEME_1", "OTHER", "NEW"}));
    EXPECT_EQ(again.ReadSection("option"), (std::vector<std::string>{"A", "B", "D"}));
}

TEST_F(IniFileTest, ValuesReadBackAsWrittenAndLineBreaksCannotAddLines) {
    const std::pair<std::string, std::string> texts[] = {
        {"", ""},           {"plain", "plain"},
        {" lead", " lead"}, {"trail ", "trail "},
        {"'x'", "'x'"},     {"\"y\"", "\"y\""},
        {"a=b", "a=b"},     {"\"", "\""},
        {" \" ", " \" "},   {" 0 ", " 0 "},
        {"tab\t", "tab\t"}, {"a\r\n[EVIL]\r\nx=1", "a  [EVIL]  x=1"},
    };
    {
        TIniFile ini(path("q.ini"));
        for (std::size_t i = 0; i < std::size(texts); ++i)
            ini.WriteString("S", "K" + std::to_string(i), texts[i].first);
        ini.UpdateFile();
    }
    TIniFile ini(path("q.ini"));
    EXPECT_EQ(ini.ReadSections(), (std::vector<std::string>{"S"}));
    for (std::size_t i = 0; i < std::size(texts); ++i)
        EXPECT_EQ(ini.ReadString("S", "K" + std::to_string(i), "?"), texts[i].second) << i;
}

TEST_F(IniFileTest, FailedWriteIsReportedAndOldFileIntact) {
    TIniFile nowhere(path("no/such/dir/x.ini"));
    nowhere.WriteString("A", "b", "c");
    EXPECT_THROW(nowhere.UpdateFile(), platform::IniWriteError);

    WriteText(path("d.ini"), "[A]\r\nb=old\r\n");
    TIniFile ini(path("d.ini"));
    ini.WriteString("A", "b", "new");
    {
        testsupport::WriteBlocker block(path("d.ini"));
        try {
            ini.UpdateFile();
            FAIL() << "a write that cannot be made must fail";
        } catch (const platform::IniWriteError& e) {
            EXPECT_NE(std::string(e.what()).find("d.ini"), std::string::npos);
        }
    }
    EXPECT_EQ(ReadText(path("d.ini")), "[A]\r\nb=old\r\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_.Path()), fs::directory_iterator()), 1);
}

TEST_F(IniFileTest, WriteFileIsAtomicOverADirectoryTarget) {
    // a target that cannot be replaced leaves no temporary file behind
    fs::create_directories(path("target"));
    EXPECT_THROW(platform::WriteFileAtomic(path("target"), "data"), platform::IniWriteError);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_.Path()), fs::directory_iterator()), 1);
    EXPECT_TRUE(fs::is_directory(path("target")));
}

TEST_F(IniFileTest, LfCrLfAndCrAloneEndLinesAlike) {
    const std::string text = "junk\n[A]\nk=1\n; note\n[b]\nK= two \nk=ignored\nL=\"q\"\n";
    std::vector<std::string> seen;
    for (const char* end : {"\n", "\r\n", "\r"}) {
        std::string file;
        for (char c : text) file += c == '\n' ? std::string(end) : std::string(1, c);
        WriteText(path("e.ini"), file);
        TIniFile ini(path("e.ini"));
        std::string all;
        for (const std::string& s : ini.ReadSections())
            for (const std::string& k : ini.ReadSection(s))
                all += s + "." + k + "=" + ini.ReadString(s, k, "?") + ";";
        seen.push_back(all);
    }
    EXPECT_EQ(seen[0], "A.k=1;b.K=two;b.L=q;");
    EXPECT_EQ(seen[1], seen[0]);
    EXPECT_EQ(seen[2], seen[0]);
}

TEST_F(IniFileTest, ByteOrderMarkOfAnEditorDoesNotHideTheFirstSection) {
    WriteText(path("bom.sht"), "\xEF\xBB\xBF[SHEET1]\r\nLABEL=Küche\r\n");
    EXPECT_EQ(TIniFile(path("bom.sht")).ReadString("SHEET1", "LABEL", "?"), "Küche");
}

TEST_F(IniFileTest, KeyIndexFollowsDeletesAndErasedSections) {
    WriteText(path("k.ini"), "[S1]\na=1\nB=2\nc=3\n[s2]\nx=9\n[S3]\ny=8\n");
    TIniFile ini(path("k.ini"));
    ini.DeleteKey("s1", "A");
    ini.EraseSection("S2");
    ini.EraseSection("missing");
    ini.WriteString("S1", "D", "4");
    EXPECT_EQ(ini.ReadSections(), (std::vector<std::string>{"S1", "S3"}));
    EXPECT_FALSE(ini.ValueExists("S1", "a"));
    EXPECT_EQ(ini.ReadString("s1", "b", ""), "2");
    EXPECT_EQ(ini.ReadString("S1", "C", ""), "3");
    EXPECT_EQ(ini.ReadString("S1", "d", ""), "4");
    EXPECT_EQ(ini.ReadString("s3", "Y", ""), "8");
    EXPECT_EQ(ini.ReadSection("S1"), (std::vector<std::string>{"B", "c", "D"}));
}

TEST_F(IniFileTest, OnlyRegularFilesAreRead) {
    ASSERT_EQ(::mkfifo(path("pipe").c_str(), 0600), 0);
    fs::create_directory(path("folder"));
    WriteText(path("ten.ini"), "[A]\nb=123\n");
    const struct {
        std::string Path;
        platform::FileState State;
    } cases[] = {
        {path("none"), platform::FileState::Missing},
        {path("pipe"), platform::FileState::NotAFile},  // must not wait for a writer
        {path("folder"), platform::FileState::NotAFile},
        {"/dev/zero", platform::FileState::NotAFile},  // would never end
        {path("ten.ini"), platform::FileState::Readable},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Path);
        EXPECT_EQ(platform::ProbeFile(c.Path), c.State);
        std::string data = "before";
        EXPECT_EQ(platform::ReadRegularFile(c.Path, data), c.State);
        if (c.State != platform::FileState::Readable) {
            EXPECT_EQ(data, "before");
            const TIniFile ini(c.Path);  // reads as an empty file
            EXPECT_TRUE(ini.ReadSections().empty());
            EXPECT_EQ(ini.ReadString("A", "b", "dflt"), "dflt");
            EXPECT_EQ(ini.ReadInteger("A", "b", 7), 7);
        }
    }
    std::string data;
    EXPECT_EQ(platform::ReadRegularFile(path("ten.ini"), data, 10), platform::FileState::Readable);
    EXPECT_EQ(platform::ReadRegularFile(path("ten.ini"), data, 9), platform::FileState::TooLarge);
}

TEST_F(IniFileTest, WriteGoesThroughLinksKeepsModesAndSharesNoTemporaryName) {
    fs::create_directory(path("real"));
    const struct {
        const char* Link;    // the name written to
        std::string Target;  // where the link points ("" for no link)
        fs::perms Mode;
    } cases[] = {
        {"plain.ini", "", fs::perms::owner_read | fs::perms::owner_write},
        {"rel.ini", "real/rel.ini",
         fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read},
        {"abs.ini", path("real/abs.ini"), fs::perms::owner_all | fs::perms::others_read},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Link);
        const std::string file = c.Target.empty()                   ? path(c.Link)
                                 : fs::path(c.Target).is_absolute() ? c.Target
                                                                    : path(c.Target.c_str());
        WriteText(file, "[A]\nb=old\n");
        fs::permissions(file, c.Mode);
        if (!c.Target.empty()) fs::create_symlink(c.Target, path(c.Link));
        // A left-over temporary of the old fixed name is neither used nor removed.
        fs::create_directory(path(c.Link) + ".tmp~");
        TIniFile ini(path(c.Link));
        ini.WriteString("A", "b", "new");
        ini.UpdateFile();
        EXPECT_EQ(fs::is_symlink(path(c.Link)), !c.Target.empty());
        EXPECT_EQ(ReadText(file), "[A]\r\nb=new\r\n\r\n");
        EXPECT_EQ(fs::status(file).permissions() & fs::perms::all, c.Mode);
        EXPECT_TRUE(fs::is_directory(path(c.Link) + ".tmp~"));
    }
    for (const char* folder : {"", "real"})
        for (const auto& e : fs::directory_iterator(path(folder)))
            if (!fs::is_directory(e.path())) {
                EXPECT_EQ(e.path().string().find(".tmp~"), std::string::npos) << e.path();
            }
}


TEST_F(IniFileTest, WriteProtectedFileIsRefusedNotReplaced) {
    const std::string file = path("kept.prt");
    WriteText(file, "old");
    fs::permissions(file, fs::perms::owner_read);
    try {
        platform::WriteFileAtomic(file, "new");
        ADD_FAILURE() << "replaced a write-protected file";
    } catch (const platform::IniWriteError& e) {
        EXPECT_NE(std::string(e.what()).find("\"" + file + "\": the file is write-protected"), std::string::npos)
            << e.what();
    }
    EXPECT_EQ(ReadText(file), "old");
    EXPECT_EQ(fs::status(file).permissions() & fs::perms::all, fs::perms::owner_read);
}

TEST_F(IniFileTest, GroupRenamesItsFilesOnlyWhenCommitted) {
    WriteText(path("a.rck"), "old a");
    WriteText(path("b.txt"), "old b");
    auto temporaries = [&] {
        int n = 0;
        for (const auto& e : fs::directory_iterator(dir_.Path()))
            n += e.path().filename().string().find(".tmp~") != std::string::npos;
        return n;
    };
    {
        platform::TFileWriteGroup group;
        platform::WriteFileAtomic(path("a.rck"), "new a");
        platform::WriteFileAtomic(path("b.txt"), "first b");
        platform::WriteFileAtomic(path("b.txt"), "new b");  // the later write counts
        EXPECT_EQ(ReadText(path("a.rck")), "old a");
        EXPECT_EQ(temporaries(), 2);
        EXPECT_EQ(group.Commit(), (std::vector<std::string>{path("a.rck"), path("b.txt")}));
        // Writes after the commit are plain writes again.
        platform::WriteFileAtomic(path("c.txt"), "c");
    }
    EXPECT_EQ(ReadText(path("a.rck")), "new a");
    EXPECT_EQ(ReadText(path("b.txt")), "new b");
    EXPECT_EQ(ReadText(path("c.txt")), "c");
    {
        // A group left without its commit changes nothing.
        platform::TFileWriteGroup group;
        platform::WriteFileAtomic(path("a.rck"), "lost");
    }
    EXPECT_EQ(ReadText(path("a.rck")), "new a");
    EXPECT_EQ(temporaries(), 0);
}
