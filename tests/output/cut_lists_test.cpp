#include "output/cut_lists.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>

#include "engine/shared_state.h"
#include "output/sample_plan.h"
#include "platform/inifile.h"

using namespace sample_plan;
using testsupport::ReadText;
using testsupport::ScratchDir;

TEST(CutLists, FilesMatchTheExpectedFiles) {
    Build();
    ScratchDir dir;
    SaveLayoutsListFile(dir.File("job_EXECL.txt"));
    SavePiecesListFile(dir.File("job_LABEL.txt"));
    EXPECT_EQ(ReadText(dir.File("job_EXECL.txt")), Expected("cut_list_EXECL.txt"));
    EXPECT_EQ(ReadText(dir.File("job_LABEL.txt")), Expected("cut_list_LABEL.txt"));
}

TEST(CutLists, OnePieceLinePerPieceOfThePlan) {
    Build();
    // Layout 2 cut on 3 sheets: its two P pieces give 6 lines, its one part line stays.
    Optimizer.Best[1].Quantity = 3;
    const std::vector<std::string> pieces = PiecesListLines();
    int p = 0;
    for (const std::string& line : pieces)
        if (line.rfind("-->   2", 0) == 0) ++p;
    EXPECT_EQ(p, 6);
    int parts = 0;
    for (const std::string& line : LayoutsListLines())
        if (line.rfind("-->   2", 0) == 0) ++parts;
    EXPECT_EQ(parts, 1);
    // Every piece of the plan has its line.
    std::int64_t total = 0;
    for (const TPacket& l : Optimizer.Best.Packets)
        total += std::int64_t{l.TotalCount()} * l.Quantity;
    EXPECT_EQ(static_cast<std::int64_t>(pieces.size()), total + Optimizer.Best.Count());
}

TEST(CutLists, WideValuesAndLayoutNumbersShiftTheLine) {
    Build();
    Optimizer.Best[0].Label = "A_SHEET_LABEL_OF_25_CHARS";
    TPacket copy(Optimizer.Best[2]);
    while (Optimizer.Best.Count() < 100) Optimizer.Best.Packets.Add(copy);
    const std::vector<std::string> lines = LayoutsListLines();
    EXPECT_EQ(lines[0],
              "==> ( 1) A_SHEET_LABEL_OF_25_CHARS                 MDF                 100"
              "                  50                   2");
    EXPECT_EQ(lines.back().substr(0, 10), "-->  100  ");
    EXPECT_EQ(lines[lines.size() - 2].substr(0, 10), "==> (100) ");
}

TEST(CutLists, EmptyPlanGivesEmptyFiles) {
    Build();
    Optimizer.Best.Clear();
    ScratchDir dir;
    SaveLayoutsListFile(dir.File("a.txt"));
    SavePiecesListFile(dir.File("b.txt"));
    EXPECT_TRUE(std::filesystem::exists(dir.File("a.txt")));
    EXPECT_EQ(ReadText(dir.File("a.txt")), "");
    EXPECT_EQ(ReadText(dir.File("b.txt")), "");
}

TEST(CutLists, FailedWriteNamesTheFile) {
    Build();
    ScratchDir dir;
    const std::string name = dir.File("folder");
    std::filesystem::create_directory(name);  // a folder cannot be replaced by the file
    try {
        SavePiecesListFile(name);
        FAIL() << "no error";
    } catch (const platform::IniWriteError& e) {
        EXPECT_NE(std::string(e.what()).find(name), std::string::npos);
    }
    EXPECT_TRUE(std::filesystem::is_directory(name));
    EXPECT_THROW(SaveLayoutsListFile(dir.File("none/x.txt")), platform::IniWriteError);
}
