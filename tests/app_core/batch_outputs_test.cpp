// What a batch job writes, and when it must write nothing: racks that are
// no racks, parts left out by an unticked type, report files that fail
// before the update, two outputs of one file, switches given without
// -auto:yes, and a report reader that goes away.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <thread>

#include "app/core/app_defaults.h"
#include "app/core/main_window.h"
#include "app/core/material_types.h"
#include "app/core/startup.h"
#include "engine/shared_state.h"
#include "support/batch_job.h"
#include "support/sample_job.h"
#include "support/scratch.h"

namespace fs = std::filesystem;
using testsupport::ReadText;
using testsupport::WriteText;

namespace {

// The sample job in a folder of its own, run in batch mode.
struct Job : testsupport::BatchJobFolder {
    Job() { setKey("default.opt", "OPTION", "CheckBoxDisablePartsRack", "0"); }
    int batch(std::vector<std::string> args) { return runBatch(std::move(args)); }
    // The switches of a job that plans, reports and updates the stock.
    std::vector<std::string> update() const {
        return {"-auto:yes", "-hide:yes", "-update:yes", "-ex_sheet:" + at("left.txt"),
                "-ex_part:" + at("parts.txt")};
    }
};

// Bytes of no text, the same every time; no "[", so no section either.
std::string NoiseBytes(std::size_t n) {
    std::string s;
    std::uint32_t x = 2463534242u;
    while (s.size() < n) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        const char c = static_cast<char>(x & 0xFF);
        s += c == '[' ? '\x01' : c;
    }
    return s;
}

}  // namespace

TEST(BatchOutputs, ARackFileWithNoSectionIsRefusedAndKeptWhileAnEmptyOneIsANewRack) {
    const struct {
        const char* Name;
        std::string Text;
        bool Refused;
    } contents[] = {
        {"NUL bytes", std::string(64, '\0'), true},
        {"text", "slots of the shop\r\nNUMBER=100\r\nLABEL=KEPT\r\n", true},
        {"random bytes", NoiseBytes(4096), true},
        {"empty", "", false},
        {"blank lines", "\r\n  \r\n\t\n", false},
        {"a byte order mark alone", "\xEF\xBB\xBF\r\n", false},
    };
    for (const char* rack : {"default_offcut.rck", "default_part.prk"})
        for (const auto& c : contents) {
            SCOPED_TRACE(std::string(rack) + ", " + c.Name);
            Job job;
            WriteText(job.at(rack), c.Text);
            const auto before = job.files(false);
            const int status = job.batch(job.update());
            if (c.Refused) {
                EXPECT_EQ(status, 1);
                EXPECT_TRUE(job.warned("The rack file \"" + job.at(rack) + "\" holds no section"))
                    << job.warnings();
                EXPECT_EQ(Optimizer.Best.Count(), 0);
                EXPECT_FALSE(fs::exists(job.at("dump.sht"))) << "a run was started";
                EXPECT_EQ(job.files(false), before);
            } else {
                // Nothing in it: a rack not made yet, which the update fills.
                EXPECT_EQ(status, 0) << job.warnings();
                EXPECT_NE(ReadText(job.at(rack)).find("[HEAD]"), std::string::npos);
            }
        }
}

TEST(BatchOutputs, PartsOfAnUntickedTypeAreNamedAndFailTheJobWhenTheyWereToBeCut) {
    const struct {
        const char* Name;
        bool Unticked;
        bool OnlyOptional;  // every Plywood part at Qty 0 (Max Qty kept)
        int Exit;
    } cases[] = {
        {"Plywood unticked", true, false, 1},
        {"Plywood unticked, its parts only optional", true, true, 0},
        {"every type ticked", false, false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        Job job;
        if (c.OnlyOptional)
            for (int i = 1; i <= 12; ++i)
                job.setKey("default.prt", ("PART" + std::to_string(i)).c_str(), "QTY", "0");
        TypeList = {"Plywood 18", "MDF 16"};
        CheckedTypeList = c.Unticked ? std::vector<std::string>{"MDF 16"} : TypeList;
        WriteTypeFile(job.at("default.typ"));
        EXPECT_EQ(job.batch({"-auto:yes", "-hide:yes", "-report:" + job.at("plan.txt")}), c.Exit);
        ASSERT_GT(Optimizer.Best.Count(), 0);
        if (!c.Unticked) {
            EXPECT_TRUE(job.sink.Warnings.empty()) << job.warnings();
            continue;
        }
        for (const TPacket& p : Optimizer.Best.Packets) EXPECT_EQ(p.Material, "MDF 16");
        ASSERT_EQ(job.sink.Warnings.size(), 1u) << job.warnings();
        EXPECT_EQ(job.sink.Warnings[0],
                  "Material [Plywood 18] is unticked in the material types, so its parts were left "
                  "out: SIDE, TOP, BOTTOM, SHELF, BACK-RAIL, DOOR, DRAWER-FRONT, DRAWER-SIDE, "
                  "DRAWER-BACK, PLINTH, FILLER, LAZY-SUSAN (12 part(s), " +
                      std::string(c.OnlyOptional ? "0" : "12") +
                      " of them with a quantity to cut).");
        EXPECT_TRUE(fs::exists(job.at("plan.txt")));
    }
}

TEST(BatchOutputs, TheWindowSkipsAnUntickedTypeWithoutAWord) {
    Job job;
    TypeList = {"Plywood 18", "MDF 16"};
    CheckedTypeList = {"MDF 16"};
    WriteTypeFile(job.at("default.typ"));
    TMainWindowCore w;
    ASSERT_TRUE(LoadStartupFiles(w));
    w.StartOptimizeClick();
    ASSERT_GT(Optimizer.Best.Count(), 0);
    EXPECT_TRUE(job.sink.Warnings.empty()) << job.warnings();
    EXPECT_EQ(w.Unticked.size(), 1u);
}

TEST(BatchOutputs, AReportThatCannotBeWrittenLeavesTheStockAsItWas) {
    const struct {
        const char* Name;
        std::function<std::string(Job&)> Report;  // prepares the folder, gives -report:'s value
    } cases[] = {
        {"report in a missing folder", [](Job& j) { return j.at("nodir/plan.txt"); }},
        {"a cut list's name is a folder",
         [](Job& j) {
             fs::create_directory(j.at("plan.txt_LABEL.txt"));
             return j.at("plan.txt");
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        Job job;
        WriteText(job.at("left.txt"), "the list of before\r\n");
        std::vector<std::string> args = job.update();
        args.push_back("-report:" + c.Report(job));
        const auto before = job.files(false);
        EXPECT_EQ(job.batch(args), 1);
        EXPECT_GT(Optimizer.Best.Count(), 0);
        EXPECT_TRUE(job.warned("could not all be written, so nothing was updated"))
            << job.warnings();
        auto now = job.files(false);
        // A report or cut list that could be written is there; nothing else changed.
        for (const char* written : {"plan.txt", "plan.txt_EXECL.txt"}) now.erase(written);
        EXPECT_EQ(now, before);
        for (const std::string& note : job.sink.Notes)
            EXPECT_EQ(note.find("saved to"), std::string::npos) << note;
    }
}

TEST(BatchOutputs, TwoOutputsOfOneFileRefuseTheJobBeforeAnyPlan) {
    const struct {
        const char* Name;
        // Prepares the folder; gives the switches after -auto:yes -hide:yes.
        std::function<std::vector<std::string>(Job&)> Args;
        const char* First;  // what names each of the two, as the message says
        const char* Second;
    } cases[] = {
        {"sheets list over the offcut rack",
         [](Job& j) { return std::vector<std::string>{"-ex_sheet:" + j.at("default_offcut.rck")}; },
         "the offcut rack the update saves", "-ex_sheet:"},
        {"parts list over the part rack",
         [](Job& j) { return std::vector<std::string>{"-ex_part:" + j.at("default_part.prk")}; },
         "the part rack the update saves", "-ex_part:"},
        {"sheets and parts list, one name",
         [](Job& j) {
             return std::vector<std::string>{"-ex_sheet:" + j.at("out.txt"),
                                             "-ex_part:" + j.at("out.txt")};
         },
         "-ex_sheet:", "-ex_part:"},
        {"one file, spelt two ways",
         [](Job& j) {
             return std::vector<std::string>{"-ex_sheet:" + j.dir.Path() + "/./out.txt",
                                             "-ex_part:" + j.at("out.txt")};
         },
         "-ex_sheet:", "-ex_part:"},
        {"a link to the other, leading nowhere yet",
         [](Job& j) {
             fs::create_symlink(j.at("out.txt"), j.at("link.txt"));
             return std::vector<std::string>{"-ex_sheet:" + j.at("link.txt"),
                                             "-ex_part:" + j.at("out.txt")};
         },
         "-ex_sheet:", "-ex_part:"},
        {"through a linked folder",
         [](Job& j) {
             fs::create_directory_symlink(j.dir.Path(), j.at("here"));
             return std::vector<std::string>{"-ex_sheet:" + j.at("out.txt"),
                                             "-ex_part:" + j.at("here/out.txt")};
         },
         "-ex_sheet:", "-ex_part:"},
        {"two hard links of one file",
         [](Job& j) {
             WriteText(j.at("out.txt"), "kept\r\n");
             fs::create_hard_link(j.at("out.txt"), j.at("other.txt"));
             return std::vector<std::string>{"-ex_sheet:" + j.at("out.txt"),
                                             "-ex_part:" + j.at("other.txt")};
         },
         "-ex_sheet:", "-ex_part:"},
        {"report and sheets list",
         [](Job& j) {
             return std::vector<std::string>{"-report:" + j.at("out.txt"),
                                             "-ex_sheet:" + j.at("out.txt")};
         },
         "-report:", "-ex_sheet:"},
        {"the report's cut list and the parts list",
         [](Job& j) {
             return std::vector<std::string>{"-report:" + j.at("plan.txt"),
                                             "-ex_part:" + j.at("plan.txt_EXECL.txt")};
         },
         "the cut list of -report:", "-ex_part:"},
        {"the report's label list and the sheets list",
         [](Job& j) {
             return std::vector<std::string>{"-report:" + j.at("plan.txt"),
                                             "-ex_sheet:" + j.at("plan.txt_LABEL.txt")};
         },
         "the cut list of -report:", "-ex_sheet:"},
        {"report over the offcut rack",
         [](Job& j) {
             return std::vector<std::string>{"-update:yes",
                                             "-report:" + j.at("default_offcut.rck")};
         },
         "-report:", "the offcut rack the update saves"},
        {"sheets list over the default parts list name",
         [](Job&) {
             return std::vector<std::string>{"-update:yes", "-ex_sheet:ExPart.txt"};
         },
         "-ex_sheet:", "the parts list of -update:yes"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        Job job;
        std::vector<std::string> args = c.Args(job);
        args.insert(args.begin(), {"-auto:yes", "-hide:yes"});
        const auto before = job.files();
        EXPECT_EQ(job.batch(args), 1);
        EXPECT_EQ(Optimizer.Best.Count(), 0);
        EXPECT_EQ(job.files(), before);  // no dump either: no run was started
        ASSERT_EQ(job.sink.Warnings.size(), 1u) << job.warnings();
        const std::string& w = job.sink.Warnings[0];
        EXPECT_TRUE(w.starts_with(c.First)) << w;
        EXPECT_NE(w.find(std::string(" and ") + c.Second + " \""), std::string::npos) << w;
        EXPECT_NE(w.find("are one file"), std::string::npos) << w;
    }

    // Devices take each write in turn: two outputs there replace nothing.
    Job job;
    EXPECT_EQ(job.batch({"-auto:yes", "-hide:yes", "-report:/dev/null", "-ex_sheet:/dev/null",
                         "-ex_part:/dev/null"}),
              0)
        << job.warnings();
}

TEST(BatchOutputs, SwitchesThatNeedAutoSayThatNothingWasRun) {
    const struct {
        std::vector<std::string> Args;
        const char* Warning;  // nullptr: none
    } cases[] = {
        {{"-hide:yes", "-update:yes"},
         "Nothing was run and no file was written: -update:yes works only together with "
         "-auto:yes."},
        {{"-hide:yes", "-report:plan.txt"},
         "Nothing was run and no file was written: -report: works only together with -auto:yes."},
        {{"-hide:yes", "-auto:no", "-ex_part:p.txt", "-ex_sheet:s.txt", "-report:r.txt"},
         "Nothing was run and no file was written: -report:, -ex_sheet: and -ex_part: work only "
         "together with -auto:yes."},
        {{"-hide:yes", "-update:no"}, nullptr},
        {{"-hide:yes"}, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.Args));
        Job job;
        const auto before = job.files();
        EXPECT_EQ(job.batch(c.Args), 0);
        EXPECT_EQ(job.files(), before);
        if (c.Warning)
            EXPECT_EQ(job.sink.Warnings, std::vector<std::string>{c.Warning});
        else
            EXPECT_TRUE(job.sink.Warnings.empty()) << job.warnings();
    }
}

// The report goes to a pipe whose reader leaves while the job writes: the
// write fails and says so, and the job fails without updating the stock,
// where the default action of the broken pipe would end the process
// without a word. Run in a child process, which that default would kill.
TEST(BatchOutputs, AReportReaderThatLeavesFailsTheJobAndBooksNothing) {
    Job job;
    const auto before = job.files(false);
    EXPECT_EXIT(
        {
            std::signal(SIGPIPE, SIG_DFL);
            int ends[2];
            if (::pipe(ends) != 0) ::_exit(3);
            // A full pipe: the report waits for its reader.
            ::fcntl(ends[1], F_SETFL, O_NONBLOCK);
            const std::string fill(4096, 'x');
            while (::write(ends[1], fill.data(), fill.size()) > 0) {
            }
            // The reader leaves once the job has opened the pipe (a third
            // descriptor of it in this process), or after a minute at most.
            const std::string link = fs::read_symlink("/proc/self/fd/" + std::to_string(ends[1]));
            std::thread reader([&] {
                const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
                while (std::chrono::steady_clock::now() < end) {
                    int seen = 0;
                    std::error_code ec;
                    for (const auto& f : fs::directory_iterator("/proc/self/fd", ec))
                        if (fs::read_symlink(f.path(), ec) == link) ++seen;
                    if (seen > 2) break;
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
                }
                ::close(ends[0]);
            });
            std::vector<std::string> args = job.update();
            args.push_back("-report:/proc/self/fd/" + std::to_string(ends[1]));
            const int status = job.batch(args);
            reader.join();
            std::fprintf(stderr, "%s", job.warnings().c_str());
            ::_exit(status);
        },
        ::testing::ExitedWithCode(1), "could not all be written, so nothing was updated");
    EXPECT_EQ(job.files(false), before);
}
