// The batch road end to end: start-up files, switches, the run, the report
// files and the stock update, with no display.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <map>

#include "app/core/app_defaults.h"
#include "app/core/grid_text_files.h"
#include "app/core/list_files.h"
#include "app/core/main_window.h"
#include "app/core/material_types.h"
#include "app/core/racks.h"
#include "app/core/startup.h"
#include "engine/guillotine.h"
#include "engine/pubstr.h"
#include "engine/shared_state.h"
#include "support/sample_job.h"
#include "support/scratch.h"

namespace fs = std::filesystem;

namespace {

// The sample job; a run may add files, the files of before keep their bytes.
struct SampleFolder : testsupport::SampleJobFolder {
    void expectUnchanged(const std::map<std::string, std::string>& before) const {
        for (const auto& [name, bytes] : before)
            EXPECT_EQ(testsupport::ReadText(at(name)), bytes) << name;
    }
};

class BatchTest : public ::testing::Test {
  protected:
    std::string at(const char* name) const { return job_.at(name); }
    int batch(std::vector<std::string> args) {
        window_ = std::make_unique<TMainWindowCore>();
        return RunBatch(*window_, TCommandLine(std::move(args)));
    }
    void setKey(const char* file, const char* section, const char* key, const char* value) {
        job_.setKey(file, section, key, value);
    }

    SampleFolder job_;
    testsupport::CaptureSink sink_;
    std::unique_ptr<TMainWindowCore> window_;
};

// Every piece of the layout lies inside its sheet and apart from the others;
// gives the number of pieces (offcuts left out).
int ExpectSoundLayout(const TPacket& p) {
    const auto& pl = p.Placements.Items();
    int pieces = 0;
    for (std::size_t i = 0; i < pl.size(); ++i) {
        const TRect r = pl[i].BoundsRect();
        EXPECT_TRUE(r.Left >= 0 && r.Top >= 0 && r.Right <= p.Length && r.Bottom <= p.Width)
            << pl[i].Label << " outside " << p.Label;
        for (std::size_t j = i + 1; j < pl.size(); ++j) {
            const TRect o = pl[j].BoundsRect();
            EXPECT_FALSE(r.Left < o.Right && o.Left < r.Right && r.Top < o.Bottom &&
                         o.Top < r.Bottom)
                << pl[i].Label << " overlaps " << pl[j].Label << " on " << p.Label;
        }
        if (pl[i].Label.rfind(OffcutPrefix, 0) != 0 && pl[i].Label.rfind(ZeroOffcutPrefix, 0) != 0)
            ++pieces;
    }
    return pieces;
}

// The layouts of the plan, each with its count.
std::vector<std::string> PlanKeys() {
    std::vector<std::string> keys;
    for (const TPacket& p : Optimizer.Best.Packets)
        keys.push_back(p.LayoutKey() + "#" + std::to_string(p.Quantity));
    return keys;
}

}  // namespace

TEST_F(BatchTest, SampleJobMakesASoundRepeatablePlanAndWritesItsFiles) {
    const std::string report = at("plan.txt");
    ASSERT_EQ(batch({"-auto:yes", "-hide:yes", "-report:" + report}), 0)
        << ::testing::PrintToString(sink_.Warnings);
    EXPECT_TRUE(sink_.Warnings.empty());
    for (const char* f : {"plan.txt", "plan.txt_EXECL.txt", "plan.txt_LABEL.txt", "dump.sht",
                          "dump.prt", "dump.apt", "dump.rck", "dump.prk", "dump.typ", "dump.edg"})
        EXPECT_TRUE(fs::exists(at(f))) << f;
    EXPECT_FALSE(fs::exists(at("dump.opt")));  // batch runs keep the options' dump out

    ASSERT_GT(Optimizer.Best.Count(), 0);
    for (const TPacket& p : Optimizer.Best.Packets) {
        ExpectSoundLayout(p);
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
    EXPECT_EQ(testsupport::ReadText(report).substr(0, 3), " \r\n");

    // The same job again gives the same plan.
    const std::vector<std::string> keys = PlanKeys();
    ASSERT_EQ(batch({"-auto:yes", "-hide:yes"}), 0);
    EXPECT_EQ(PlanKeys(), keys);
}

TEST_F(BatchTest, PartTooLargeForEverySheetEndsTheRunWithItsMessage) {
    setKey("default.prt", "PART1", "LENGTH", "5000");
    EXPECT_EQ(batch({"-auto:yes", "-hide:yes", "-report:" + at("plan.txt")}), 1);
    ASSERT_EQ(sink_.Warnings.size(), 1u);
    EXPECT_EQ(sink_.Warnings[0],
              "ERROR :[SIDE] [Plywood 18]5000 x 560 is bigger than all raw panels or can NOT find "
              "any raw panels with material type : [Plywood 18]");
    // No plan, no report: the files of the run before would be emptied.
    EXPECT_FALSE(fs::exists(at("plan.txt")));
}

// A part that fits its sheet but not once the trims are taken off: the
// optimiser refuses its material, the other material is still planned, and
// the run says what was left out; a batch job fails when parts to cut were.
TEST_F(BatchTest, MaterialTheOptimiserRefusesIsNamedAndFailsTheJobWhenPartsToCutAreLeftOut) {
    const struct {
        const char* Name;
        bool OnlyOptional;  // every MDF part at Qty 0 (Max Qty kept)
        int Exit;
        const char* Warning;
    } cases[] = {
        {"parts to cut", false, 1,
         "Material [MDF 16] was not planned (Part[label=TABLE-TOP] is too large.): 18 part(s) left "
         "out, 18 of them with a quantity to cut."},
        {"only parts that may be cut", true, 0,
         "Material [MDF 16] was not planned (Part[label=TABLE-TOP] is too large.): 18 part(s) left "
         "out, 0 of them with a quantity to cut."},
    };
    for (const auto& c : cases) {
        SampleFolder job;
        testsupport::CaptureSink sink;
        job.setKey("default.prt", "PART13", "LENGTH", "2800");  // the MDF sheet's own length
        if (c.OnlyOptional)
            for (int i = 13; i <= 30; ++i)
                job.setKey("default.prt", ("PART" + std::to_string(i)).c_str(), "QTY", "0");
        TMainWindowCore window;
        EXPECT_EQ(RunBatch(window, TCommandLine({"-auto:yes", "-hide:yes",
                                                 "-report:" + job.at("plan.txt")})),
                  c.Exit)
            << c.Name;
        ASSERT_EQ(sink.Warnings.size(), 1u) << c.Name;
        EXPECT_EQ(sink.Warnings[0], c.Warning) << c.Name;
        ASSERT_GT(Optimizer.Best.Count(), 0) << c.Name;
        for (const TPacket& p : Optimizer.Best.Packets) EXPECT_EQ(p.Material, "Plywood 18");
        EXPECT_TRUE(fs::exists(job.at("plan.txt"))) << c.Name;
    }
}

TEST_F(BatchTest, UntickedTypeIsSkippedAndTypeWithoutPartsGetsANote) {
    // MDF parts all at quantity 0: the type is noted, not optimised.
    for (int i = 13; i <= 30; ++i)
        for (const char* key : {"QTY", "MAXQTY"})
            setKey("default.prt", ("PART" + std::to_string(i)).c_str(), key, "0");
    ASSERT_EQ(batch({"-auto:yes", "-hide:yes"}), 0);
    ASSERT_EQ(OptimizeNotes.size(), 1u);
    EXPECT_EQ(OptimizeNotes[0], "------>  Panels Type [MDF 16] Parts'Qty=0");

    // Plywood unticked: skipped, and with MDF without parts nothing is left;
    // the job names the Plywood parts it did not cut after the run's message.
    TypeList = {"Plywood 18", "MDF 16"};
    CheckedTypeList = {"MDF 16"};
    WriteTypeFile(at("default.typ"));
    EXPECT_EQ(batch({"-auto:yes", "-hide:yes"}), 1);
    ASSERT_GE(sink_.Warnings.size(), 2u);
    EXPECT_EQ(sink_.Warnings[sink_.Warnings.size() - 2], MsgCantGetResult);
    EXPECT_TRUE(sink_.Warnings.back().starts_with("Material [Plywood 18] is unticked"))
        << sink_.Warnings.back();
}

TEST_F(BatchTest, HideWithoutAutoLoadsAndEnds) {
    EXPECT_EQ(batch({"-hide:yes", "-report:" + at("plan.txt")}), 0);
    EXPECT_FALSE(fs::exists(at("plan.txt")));
    EXPECT_EQ(Optimizer.Best.Count(), 0);
    EXPECT_EQ(window_->Data.StringGridSheets.Cell(0, 1), "PLY-2440");
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
    const int pieces = before.PartCounts.TotalQty();
    EXPECT_EQ(ExpectSoundLayout(after), pieces);
}

namespace {

// A batch job that must end without a plan: what it is given and how it ends.
struct Refusal {
    const char* Name;
    // Prepares the folder; gives the switches besides -auto:yes -hide:yes.
    std::function<std::vector<std::string>(SampleFolder&)> Prepare;
    int Status;
    std::string Message;                        // a text one of the messages holds
    TStringGrid TMainData::*Emptied = nullptr;  // the grid a refused file leaves empty
    bool NeedsPermissions = false;              // an unreadable file, which root still reads
};

std::vector<std::string> Switch(const char* name, const std::string& value) {
    return {name + value};
}

}  // namespace

TEST(BatchRoads, FilesThatCannotBeReadEndTheJobWithoutAPlan) {
    using Args = std::vector<std::string>;
    // The switch given a path: none there, a folder, or a file written with Text.
    const auto missing = [](const char* sw) {
        return [sw](SampleFolder& j) { return Switch(sw, j.at("missing")); };
    };
    const auto folder = [](const char* sw) {
        return [sw](SampleFolder& j) {
            fs::create_directory(j.at("folder"));
            return Switch(sw, j.at("folder"));
        };
    };
    const auto file = [](std::string text) {
        return [text](SampleFolder& j) {
            testsupport::WriteText(j.at("in.txt"), text);
            return Switch("-part:", j.at("in.txt"));
        };
    };
    // A start-up file replaced by a folder, or given one hand-edited key.
    const auto replaceByFolder = [](const char* name) {
        return [name](SampleFolder& j) {
            fs::remove(j.at(name));
            fs::create_directory(j.at(name));
            return Args{};
        };
    };
    const auto edit = [](const char* name, const char* section, const char* key,
                         std::string value) {
        return [=](SampleFolder& j) {
            j.setKey(name, section, key, value.c_str());
            return Args{};
        };
    };
    std::string tooManyLines;
    for (int i = 0; i <= kMaxImportLines; ++i) tooManyLines += "P\tPlywood 18\t10\t10\tR\t1\n";
    const auto parts = &TMainData::StringGridParts;
    const auto sheets = &TMainData::StringGridSheets;
    const std::vector<Refusal> roads = {
        {"-part: missing", missing("-part:"), 1, "Cannot open file", parts},
        {"-sheet: missing", missing("-sheet:"), 1, MsgCantReadImportTxtFile, sheets},
        {"-part: folder", folder("-part:"), 1, "is not a file]", parts},
        {"-part: device", [](SampleFolder&) { return Switch("-part:", "/dev/zero"); }, 1,
         "is not a file]", parts},
        {"-part: pipe",
         [](SampleFolder& j) {
             ::mkfifo(j.at("pipe").c_str(), 0600);
             return Switch("-part:", j.at("pipe"));
         },
         1, "is not a file]", parts},
        {"-part: too large", file(std::string(kMaxImportFileBytes + 1, 'x')), 1, "larger than 4 MB",
         parts},
        {"-part: too many lines", file(tooManyLines), 1, "more than 10000 lines", parts},
        {"-sht: missing", missing("-sht:"), 1, MsgCantOpenFile, sheets},
        {"-sht: folder", folder("-sht:"), 1, MsgCantOpenFile, sheets},
        {"-prt: missing", missing("-prt:"), 1, MsgCantOpenFile, parts},
        {"-prt: folder", folder("-prt:"), 1, MsgCantOpenFile, parts},
        {"-prt: unreadable",
         [](SampleFolder& j) {
             fs::permissions(j.at("default.prt"), fs::perms::none);
             return Switch("-prt:", j.at("default.prt"));
         },
         1, MsgCantOpenFile, parts, true},
        {"-prt: a link to itself",  // cannot be opened, even by a privileged process
         [](SampleFolder& j) {
             fs::create_symlink("loop.prt", j.at("loop.prt"));
             return Switch("-prt:", j.at("loop.prt"));
         },
         1, MsgCantOpenFile, parts},
        {"-option: missing", missing("-option:"), 1, MsgCantOpenFile},
        {"-option: folder", folder("-option:"), 1, MsgCantOpenFile},
        {"default.opt folder", replaceByFolder("default.opt"), 1, MsgCantOpenFile},
        {"default.typ folder", replaceByFolder("default.typ"), 1, MsgCantOpenFile},
        {"default.edg folder", replaceByFolder("default.edg"), 1, MsgCantOpenFile},
        {"overlong sheet length",
         edit("default.sht", "SHEET1", "LENGTH", "7000000000000000000000000000000e16"), 1,
         "Range check error"},
        {"overlong edge value", edit("default.edg", "EDGETYPE0", "BT", std::string(60, '9')), 2,
         "Range check error"},
        {"no sheets at all",
         [](SampleFolder& j) {
             fs::remove(j.at("default.sht"));
             fs::remove(j.at("default_offcut.rck"));
             return Args{};
         },
         1, MsgSheetDataIsEmpty},
    };
    for (const Refusal& road : roads) {
        SCOPED_TRACE(road.Name);
        if (road.NeedsPermissions && testsupport::CanWriteReadOnlyFolders()) continue;
        ResetAppDefaults();
        SampleFolder job;
        testsupport::CaptureSink sink;
        std::vector<std::string> args = road.Prepare(job);
        const auto before = job.files();
        args.insert(args.begin(), {"-auto:yes", "-hide:yes", "-update:yes"});
        TMainWindowCore window;
        EXPECT_EQ(RunBatch(window, TCommandLine(args)), road.Status);
        EXPECT_EQ(Optimizer.Best.Count(), 0);
        std::string all;
        for (const std::string& w : sink.Warnings) all += w + "\n";
        EXPECT_NE(all.find(road.Message), std::string::npos) << all;
        if (road.Emptied) {
            EXPECT_TRUE((window.Data.*road.Emptied).RowEmpty(1, 0));
        }
        job.expectUnchanged(before);
        fs::permissions(job.at("default.prt"), fs::perms::owner_all, fs::perm_options::add);
    }
}

TEST_F(BatchTest, ExportSwitchRunsTheUpdateWritesBothListsAndSavesTheRacks) {
    setKey("default.opt", "OPTION", "CheckBoxDisablePartsRack", "0");
    const std::string offcutsBefore = testsupport::ReadText(at("default_offcut.rck"));
    const std::string partsBefore = testsupport::ReadText(at("default_part.prk"));
    const std::string sheetsBefore = testsupport::ReadText(at("default.sht"));

    ASSERT_EQ(batch({"-auto:yes", "-hide:yes", "-ex_sheet:" + at("left.txt")}), 0)
        << ::testing::PrintToString(sink_.Warnings);
    EXPECT_TRUE(UpdateMode);
    // The parts list goes to the default exchange name, relative to the current folder.
    EXPECT_TRUE(fs::exists(ExPartFileName));
    fs::remove(ExPartFileName);
    // Used sheets are gone from the stock: fewer than the 6 sheets of PLY-2440 remain.
    const std::string text = testsupport::ReadText(at("left.txt"));
    EXPECT_NE(text.find("PLY-2440\tPlywood 18\t2440\t1220\t"), std::string::npos);
    EXPECT_EQ(text.find("PLY-2440\tPlywood 18\t2440\t1220\t6\t"), std::string::npos);
    EXPECT_EQ(testsupport::ReadText(at("default.sht")), sheetsBefore);  // the exports carry it

    EXPECT_EQ(sink_.Notes,
              (std::vector<std::string>{"Offcut rack saved to \"" + at("default_offcut.rck") + "\"",
                                        "Part rack saved to \"" + at("default_part.prk") + "\"",
                                        "Sheets list saved to \"" + at("left.txt") + "\"",
                                        "Parts list saved to \"" + ExPartFileName + "\""}));
    EXPECT_NE(testsupport::ReadText(at("default_offcut.rck")), offcutsBefore);
    EXPECT_NE(testsupport::ReadText(at("default_part.prk")), partsBefore);
    // What was saved is what the update left in the racks.
    TMainData saved;
    ASSERT_TRUE(ReadOffcutRackFromFile(saved, at("default_offcut.rck")));
    ASSERT_TRUE(ReadPartRackFromFile(saved, at("default_part.prk")));
    for (int r = 1; r < window_->Data.StringGridPartRack.RowCount(); ++r) {
        EXPECT_EQ(saved.StringGridOffcutRack.Row(r), window_->Data.StringGridOffcutRack.Row(r));
        EXPECT_EQ(saved.StringGridPartRack.Row(r), window_->Data.StringGridPartRack.Row(r));
    }
}

TEST_F(BatchTest, UpdateSavesAllItsFilesOrNone) {
    // The parts export cannot be written: the racks the update filled are not
    // saved either, so the next run does not file the same offcuts again.
    setKey("default.opt", "OPTION", "CheckBoxDisablePartsRack", "0");
    const auto before = job_.files();
    EXPECT_EQ(batch({"-auto:yes", "-hide:yes", "-ex_sheet:" + at("left.txt"),
                     "-ex_part:" + at("no_folder/parts.txt")}),
              1);
    job_.expectUnchanged(before);
    EXPECT_FALSE(fs::exists(at("left.txt")));
    EXPECT_TRUE(sink_.Notes.empty());
    ASSERT_GE(sink_.Warnings.size(), 2u);
    EXPECT_NE(sink_.Warnings[sink_.Warnings.size() - 2].find(at("no_folder/parts.txt")), std::string::npos)
        << ::testing::PrintToString(sink_.Warnings);
    EXPECT_EQ(sink_.Warnings.back(), "No file of the stock update was saved, so that its files stay in step.");
    for (const auto& f : fs::directory_iterator(job_.dir.Path()))
        EXPECT_EQ(f.path().string().find(".tmp~"), std::string::npos) << f.path();
}

TEST_F(BatchTest, AFlagNeitherYesNorNoIsNamedAndRunsNothing) {
    const struct {
        std::vector<std::string> Args;
        const char* Named;  // the switch and its value in the message; nullptr: accepted
    } cases[] = {
        {{"-auto:yes", "-hide:yes", "-update:y"}, "-update: has the value \"y\""},
        {{"-auto:yes", "-hide:yes", "-update:Y", "-update:yes"}, "-update: has the value \"Y\""},
        {{"-auto:on", "-hide:yes", "-update:yes"}, "-auto: has the value \"on\""},
        {{"-auto:yes", "-hide:true"}, "-hide: has the value \"true\""},
        {{"-auto:YES", "-hide:Yes", "-update:No"}, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.Args));
        fs::remove(at("dump.sht"));
        sink_.Warnings.clear();
        const auto before = job_.files();
        EXPECT_EQ(batch(c.Args), c.Named ? 1 : 0);
        EXPECT_EQ(fs::exists(at("dump.sht")), !c.Named);  // a run was made
        if (!c.Named) continue;
        ASSERT_EQ(sink_.Warnings.size(), 1u) << ::testing::PrintToString(sink_.Warnings);
        EXPECT_NE(sink_.Warnings[0].find(c.Named), std::string::npos) << sink_.Warnings[0];
        EXPECT_NE(sink_.Warnings[0].find("only yes or no"), std::string::npos);
        job_.expectUnchanged(before);
    }
}

TEST_F(BatchTest, ARunThatMakesNoPlanLeavesTheReportAndCutListsOfTheRunBefore) {
    // A booked update whose exported parts list, all cut, is run again.
    ASSERT_EQ(batch({"-auto:yes", "-hide:yes", "-ex_sheet:" + at("s.txt"), "-ex_part:" + at("p.txt"),
                     "-report:" + at("rep.txt")}),
              0);
    std::map<std::string, std::string> booked;
    for (const char* f : {"rep.txt", "rep.txt_EXECL.txt", "rep.txt_LABEL.txt"})
        ASSERT_FALSE((booked[f] = testsupport::ReadText(at(f))).empty()) << f;
    // (The window's job takes the same road: WindowState tests its refused run.)
    EXPECT_EQ(batch({"-hide:yes", "-auto:yes", "-part:" + at("p.txt"), "-report:" + at("rep.txt")}), 1);
    EXPECT_NE(::testing::PrintToString(sink_.Warnings).find("Nothing to cut"), std::string::npos);
    job_.expectUnchanged(booked);
}
