// The batch road end to end: start-up files, switches, the run, the report
// files and the stock update, with no display.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "app/core/list_files.h"
#include "app/core/main_window.h"
#include "app/core/material_types.h"
#include "app/core/startup.h"
#include "engine/guillotine.h"
#include "engine/pubstr.h"
#include "engine/shared_state.h"
#include "support/scratch.h"

namespace fs = std::filesystem;

namespace {

class BatchTest : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const auto& f :
             fs::directory_iterator(fs::path(TESSALY_TEST_DATA) / "../../examples/sample"))
            fs::copy_file(f.path(), dir_.File(f.path().filename().string()));
    }
    std::string at(const char* name) const { return dir_.File(name); }
    int batch(std::vector<std::string> args) {
        window_ = std::make_unique<TMainWindowCore>();
        return RunBatch(*window_, TCommandLine(std::move(args)));
    }
    // Edits one key of a list file by hand.
    void setKey(const char* file, const char* section, const char* key, const char* value) {
        platform::TIniFile ini(at(file));
        ini.WriteString(section, key, value);
        ini.UpdateFile();
    }

    testsupport::ScratchDir dir_;
    testsupport::AppDirScope app_{dir_.Path()};
    testsupport::CaptureSink sink_;
    std::unique_ptr<TMainWindowCore> window_;
};

bool Overlap(const TRect& a, const TRect& b) {
    return a.Left < b.Right && b.Left < a.Right && a.Top < b.Bottom && b.Top < a.Bottom;
}

}  // namespace

TEST_F(BatchTest, SampleJobMakesASoundPlanAndWritesItsFiles) {
    const std::string report = at("plan.txt");
    ASSERT_EQ(batch({"-auto:yes", "-hide:yes", "-report:" + report}), 0)
        << ::testing::PrintToString(sink_.Warnings);
    EXPECT_TRUE(sink_.Warnings.empty());
    for (const char* f : {"plan.txt", "plan.txt_EXECL.txt", "plan.txt_LABEL.txt", "dump.sht",
                          "dump.prt", "dump.apt", "dump.rck", "dump.prk", "dump.typ", "dump.edg"})
        EXPECT_TRUE(fs::exists(at(f))) << f;
    EXPECT_FALSE(fs::exists(at("dump.opt")));  // batch runs keep the options' dump out

    ASSERT_GT(Optimizer.Best.Count(), 0);
    // Every piece lies inside its sheet and no two parts overlap.
    for (const TPacket& p : Optimizer.Best.Packets) {
        const auto& pl = p.Placements.Items();
        for (std::size_t i = 0; i < pl.size(); ++i) {
            const TRect r = pl[i].BoundsRect();
            EXPECT_GE(r.Left, 0);
            EXPECT_GE(r.Top, 0);
            EXPECT_LE(r.Right, p.Length);
            EXPECT_LE(r.Bottom, p.Width);
            for (std::size_t j = i + 1; j < pl.size(); ++j)
                EXPECT_FALSE(Overlap(r, pl[j].BoundsRect()))
                    << pl[i].Label << " overlaps " << pl[j].Label << " on " << p.Label;
        }
        if (GuillotineMode) {
            // The parts are cut by guillotine cuts; the offcuts named from the
            // free space afterwards need not be.
            TPacket parts(p);
            parts.Placements.Clear();
            for (const T2DStock& x : p.Placements)
                if (x.Label.find(OffcutPrefix) == std::string::npos) parts.Placements.AddCopy(x);
            EXPECT_TRUE(Guillotine.Check(parts)) << p.Label;
        }
    }
    // Every required piece is cut, none beyond its maximum.
    ComputeUsedQuantities();
    for (int i = 0; i < UsedPartsList.Count(); ++i) {
        const T2DStock& used = UsedPartsList[i];
        EXPECT_GE(used.Quantity, Optimizer.WorkParts[i].Quantity) << used.Label;
        EXPECT_LE(used.Quantity, Optimizer.Parts[i].Quantity) << used.Label;
    }
    std::ifstream in(report, std::ios::binary);
    std::string first;
    std::getline(in, first);
    EXPECT_EQ(first, " \r");
}

TEST_F(BatchTest, SameJobTwiceGivesTheSamePlan) {
    ASSERT_EQ(batch({"-auto:yes", "-hide:yes"}), 0);
    std::vector<std::string> keys;
    for (const TPacket& p : Optimizer.Best.Packets)
        keys.push_back(p.LayoutKey() + "#" + std::to_string(p.Quantity));
    ASSERT_EQ(batch({"-auto:yes", "-hide:yes"}), 0);
    std::vector<std::string> again;
    for (const TPacket& p : Optimizer.Best.Packets)
        again.push_back(p.LayoutKey() + "#" + std::to_string(p.Quantity));
    EXPECT_EQ(keys, again);
}

TEST_F(BatchTest, PartTooLargeForEverySheetEndsTheRunWithItsMessage) {
    setKey("default.prt", "PART1", "LENGTH", "5000");
    EXPECT_EQ(batch({"-auto:yes", "-hide:yes", "-report:" + at("plan.txt")}), 1);
    ASSERT_EQ(sink_.Warnings.size(), 1u);
    EXPECT_EQ(sink_.Warnings[0],
              "ERROR :[SIDE] [Plywood 18]5000 x 560 is bigger than all raw panels or can NOT find "
              "any raw panels with material type : [Plywood 18]");
    EXPECT_TRUE(fs::exists(at("plan.txt")));  // the report page of that moment
}

TEST_F(BatchTest, UntickedTypeIsSkippedAndTypeWithoutPartsGetsANote) {
    // MDF parts all at quantity 0: the type is noted, not optimised.
    for (int i = 13; i <= 30; ++i)
        setKey("default.prt", ("PART" + std::to_string(i)).c_str(), "QTY", "0");
    for (int i = 13; i <= 30; ++i)
        setKey("default.prt", ("PART" + std::to_string(i)).c_str(), "MAXQTY", "0");
    ASSERT_EQ(batch({"-auto:yes", "-hide:yes"}), 0);
    ASSERT_EQ(OptimizeNotes.size(), 1u);
    EXPECT_EQ(OptimizeNotes[0], "------>  Panels Type [MDF 16] Parts'Qty=0");

    // Plywood unticked: skipped silently, and with MDF without parts nothing is left.
    TypeList = {"Plywood 18", "MDF 16"};
    CheckedTypeList = {"MDF 16"};
    WriteTypeFile(at("default.typ"));
    EXPECT_EQ(batch({"-auto:yes", "-hide:yes"}), 1);
    ASSERT_FALSE(sink_.Warnings.empty());
    EXPECT_EQ(sink_.Warnings.back(), MsgCantGetResult);
}

TEST_F(BatchTest, EmptySheetListStopsAtTheSheetsReader) {
    fs::remove(at("default.sht"));
    fs::remove(at("default_offcut.rck"));
    EXPECT_EQ(batch({"-auto:yes", "-hide:yes"}), 1);
    ASSERT_EQ(sink_.Warnings.size(), 1u);
    EXPECT_NE(sink_.Warnings[0].find(MsgSheetDataIsEmpty), std::string::npos);
}

TEST_F(BatchTest, HideWithoutAutoLoadsAndEnds) {
    EXPECT_EQ(batch({"-hide:yes", "-report:" + at("plan.txt")}), 0);
    EXPECT_FALSE(fs::exists(at("plan.txt")));
    EXPECT_EQ(Optimizer.Best.Count(), 0);
    EXPECT_EQ(window_->Data.StringGridSheets.Cell(0, 1), "PLY-2440");
}

TEST_F(BatchTest, ExportSwitchRunsTheUpdateAndWritesBothLists) {
    const std::string sheets = at("left.txt");
    ASSERT_EQ(batch({"-auto:yes", "-hide:yes", "-ex_sheet:" + sheets}), 0);
    EXPECT_TRUE(UpdateMode);
    EXPECT_TRUE(fs::exists(sheets));
    // The parts list goes to the default exchange name, relative to the current folder.
    EXPECT_TRUE(fs::exists(ExPartFileName));
    fs::remove(ExPartFileName);
    // Used sheets are gone from the stock: fewer than the 6 sheets of PLY-2440 remain.
    const std::string text = testsupport::ReadText(sheets);
    EXPECT_NE(text.find("PLY-2440\tPlywood 18\t2440\t1220\t"), std::string::npos);
    EXPECT_EQ(text.find("PLY-2440\tPlywood 18\t2440\t1220\t6\t"), std::string::npos);
}

TEST_F(BatchTest, ReportThatCannotBeWrittenFailsTheJob) {
    EXPECT_NE(batch({"-auto:yes", "-hide:yes", "-report:" + at("missing/dir/plan.txt")}), 0);
    EXPECT_FALSE(sink_.Warnings.empty());
    EXPECT_FALSE(fs::exists(at("missing")));
}

TEST_F(BatchTest, AutoRearrangeNeedsAPlanAndKeepsTheLayoutsCounts) {
    TMainWindowCore empty;
    empty.ButtonLayoutAgainClick();
    ASSERT_EQ(sink_.Warnings.size(), 1u);
    EXPECT_EQ(sink_.Warnings[0], MsgLayoutIsEmpty);

    ASSERT_EQ(batch({"-auto:yes", "-hide:yes"}), 0);
    CurrentLayoutIndex = Optimizer.Best.Count() - 1;
    const TPacket before = Optimizer.Best[CurrentLayoutIndex];
    window_->ButtonLayoutAgainClick();
    const TPacket& after = Optimizer.Best[CurrentLayoutIndex];
    EXPECT_EQ(after.Quantity, before.Quantity);
    EXPECT_EQ(after.Material, before.Material);
    EXPECT_EQ(after.Label, before.Label);
    // The same pieces, all inside the sheet and apart from each other.
    int pieces = 0;
    for (const T2DStock& c : before.PartCounts) pieces += c.Quantity;
    int placed = 0;
    const auto& pl = after.Placements.Items();
    for (std::size_t i = 0; i < pl.size(); ++i) {
        if (pl[i].Label.rfind(OffcutPrefix, 0) == 0 || pl[i].Label.rfind(ZeroOffcutPrefix, 0) == 0)
            continue;
        ++placed;
        const TRect r = pl[i].BoundsRect();
        EXPECT_LE(r.Right, after.Length);
        EXPECT_LE(r.Bottom, after.Width);
        for (std::size_t j = i + 1; j < pl.size(); ++j)
            EXPECT_FALSE(Overlap(r, pl[j].BoundsRect()));
    }
    EXPECT_EQ(placed, pieces);
}
