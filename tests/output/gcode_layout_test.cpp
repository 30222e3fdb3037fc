#include "output/gcode_layout.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "engine/errors.h"
#include "engine/merge_line.h"
#include "engine/pubstr.h"
#include "engine/shared_state.h"
#include "output/dxf_layout.h"
#include "output/piece_output.h"
#include "output/report_text.h"
#include "output/sample_plan.h"
#include "platform/inifile.h"

using namespace sample_plan;
using testsupport::ReadText;
using testsupport::ScratchDir;

namespace {

// As the export command leaves them.
void EmptyGCodeTexts() {
    GCodeCutPrefix.clear();
    GCodePlungePrefix.clear();
    GCodeNumberSuffix.clear();
}

// The merged cuts of Lines on a sheet of the given size, as G-code lines.
std::vector<std::string> MergedCuts(const std::vector<TCutLine>& Lines, std::int32_t SheetLength,
                                    std::int32_t SheetWidth) {
    TMergeLine set;
    set.Lines = Lines;
    set.SetSheetLength(SheetLength);
    set.SetSheetWidth(SheetWidth);
    set.MergeLines();
    set.BuildCutSequence();
    std::vector<std::string> f;
    set.WriteGCode(f, "-1", "5");
    return f;
}

std::vector<std::string> Join(std::vector<std::string> A, const std::vector<std::string>& B) {
    A.insert(A.end(), B.begin(), B.end());
    return A;
}

int CountPrefix(const std::vector<std::string>& Lines, const std::string& Prefix) {
    int n = 0;
    for (const std::string& l : Lines)
        if (l.rfind(Prefix, 0) == 0) ++n;
    return n;
}

}  // namespace

// Layout 1 on a sheet 102 x 51 with its trims (1 along the length, 0.5 along
// the width) and blade 2: the paths run on the middle of the kerf, Y up.
TEST(GCodeLayout, FirstLayoutFile) {
    Build();
    FixedDateTime fixed;
    PartsInLayout = true;
    EmptyGCodeTexts();

    std::vector<std::string> expected;
    for (const std::string& l : SplitCrLf(Expected("layout_header_1.txt")))
        expected.push_back("!" + l);
    // The first sideways move comes after a lift.
    expected = Join(expected, {"!b", "G0 Z5", "G0 X86Y40.5", "G1 Z -1", "G3 X86Y40.5I-11J0", "G0 Z 5"});

    // The rectangles' sides: A at (0, 0), A at (32, 0), B at (0, 22).
    std::vector<TCutLine> raw = {
        {0, 29500, 32000, 29500},     {32000, 29500, 32000, 51500}, {0, 51500, 32000, 51500},
        {0, 29500, 0, 51500},         {32000, 29500, 64000, 29500}, {64000, 29500, 64000, 51500},
        {32000, 51500, 64000, 51500}, {32000, 29500, 32000, 51500}, {0, 2500, 44000, 2500},
        {44000, 2500, 44000, 29500},  {0, 29500, 44000, 29500},     {0, 2500, 0, 29500}};
    // The triangle's sides go to the same set; its own lines hold its comment.
    MergeLineSet.ClearLines();
    std::vector<std::string> shaped;
    WritePieceNC(Optimizer.Best[0].Placements[4], 51000, {1000, 500}, shaped, "-1", "5");
    EXPECT_EQ(shaped, std::vector<std::string>{"!T1"});
    ASSERT_EQ(MergeLineSet.Lines.size(), 3u);
    raw.insert(raw.end(), MergeLineSet.Lines.begin(), MergeLineSet.Lines.end());
    MergeLineSet.ClearLines();
    expected.push_back("!T1");
    expected = Join(expected, MergedCuts(raw, 102000, 51000));
    expected = Join(expected, {"G0 Z5", "G0 X0Y0"});

    ScratchDir dir;
    std::string out;
    SaveLayoutGCode(dir.File("door.gnc"), "-1", "5", out, 0);
    EXPECT_EQ(out, dir.File("door.gnc_1.gnc"));
    EXPECT_EQ(ReadText(out), JoinTextFileLines(expected));
    EXPECT_TRUE(MergeLineSet.Lines.empty());
}

TEST(GCodeLayout, WithoutZMovesTheFileEndsAtTheOrigin) {
    Build();
    GCodeZMoves = false;
    const std::vector<std::string> f = LayoutGCodeLines(0, "-1", "5");
    EXPECT_EQ(f.back(), "G0 X0Y0");
    for (const std::string& l : f) EXPECT_EQ(l.find(" Z"), std::string::npos) << l;
    EXPECT_EQ(CountPrefix(f, "G3 "), 1);
}

TEST(GCodeLayout, OffcutsOnlyWhenShownAndNeverTheTooSmallOnes) {
    Build();
    MinScrapLength = 0;
    MinScrapWidth = 0;
    const std::vector<std::string> hidden = LayoutGCodeLines(0, "-1", "5");
    LayoutShowOffcuts = true;
    const std::vector<std::string> shown = LayoutGCodeLines(0, "-1", "5");
    EXPECT_GT(CountPrefix(shown, "G0 X"), CountPrefix(hidden, "G0 X"));

    // Taking the ZEROOFFCUT_ piece away changes nothing.
    TPanels& placements = Optimizer.Best[0].Placements;
    ASSERT_EQ(placements.Last().Label, "ZEROOFFCUT_1");
    placements.Delete(placements.Count() - 1);
    EXPECT_EQ(LayoutGCodeLines(0, "-1", "5"), shown);
}

TEST(GCodeLayout, NamesEndLinesAndHeaderComment) {
    Build();
    EXPECT_EQ(LayoutFileName("/x/door.gnc", 2, ".gnc"), "/x/door.gnc_3.gnc");
    EXPECT_EQ(LayoutFileName("plan", 0, ".dxf"), "plan_1.dxf");
    // The program's default prefixes and number suffix belong to other
    // dialects: none of them reaches the file.
    const std::vector<std::string> f = LayoutGCodeLines(2, "-1", "5");
    EXPECT_EQ(f[0].substr(0, 5), "!    ");
    EXPECT_EQ(f[f.size() - 2], "G0 Z5");
    EXPECT_EQ(f.back(), "G0 X0Y0");
    for (const std::string& line : f) {
        EXPECT_FALSE(line.starts_with("70")) << line;
        EXPECT_EQ(line.find(".0000"), std::string::npos) << line;
    }
}

// A missing folder or a layout beyond the numbers a file can hold: no file,
// and the error names the file it was to be; a layout outside the plan is
// refused.
TEST(LayoutFiles, FailedWritesNameTheFileAndLeaveNothing) {
    using Save = void (*)(const std::string&, int, std::string&);
    const std::pair<const char*, Save> saves[] = {
        {".gnc", [](const std::string& B, int I, std::string& O) { SaveLayoutGCode(B, "-1", "5", O, I); }},
        {".dxf", [](const std::string& B, int I, std::string& O) { SaveLayoutDxf(B, I, O); }}};
    for (const auto& [ext, save] : saves)
        for (const bool tooLarge : {false, true}) {
            SCOPED_TRACE(std::string(ext) + (tooLarge ? ", too large" : ", no folder"));
            Build();
            if (tooLarge) Optimizer.Best[0].Placements[0].Position.X = 2147483000;
            ScratchDir dir;
            std::string out = "before";
            const std::string base = dir.File(tooLarge ? "plan" : "none/plan");
            try {
                save(base, 0, out);
                ADD_FAILURE() << "no error";
            } catch (const platform::IniWriteError& e) {
                EXPECT_NE(std::string(e.what()).find(base + "_1" + ext), std::string::npos);
            }
            EXPECT_THROW(save(dir.File("plan"), 3, out), EListError);
            EXPECT_EQ(out, "before");
            EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));
        }
}
