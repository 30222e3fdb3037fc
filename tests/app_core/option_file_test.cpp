#include "app/core/option_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "engine/pubstr.h"
#include "platform/inifile.h"
#include "support/scratch.h"

namespace {

using testsupport::ReadText;
using testsupport::ScratchDir;
using testsupport::WriteText;

TEST(OptionFile, MissingFileGivesTheDefaults) {
    ScratchDir dir;
    testsupport::AppDirScope app(dir.Path());
    TOptionPage page;
    page.CheckBoxFastSpeed = false;
    page.RadioGroupCutMode = kCutModeNested;
    page.CheckBoxDisableOffcutsRack = false;
    page.EditDecimal = "2";
    page.ComboBoxTypeSelect.Items = {"Glass", "Wood"};
    TWindowOptions window;
    window.AppLeft = 17;
    AutoSavePart = false;

    ReadOptionFile(dir.File("none.opt"), page, window);

    EXPECT_TRUE(page.CheckBoxFastSpeed);
    EXPECT_EQ(page.RadioGroupCutMode, kCutModeGuillotine);
    EXPECT_TRUE(GuillotineMode);
    EXPECT_TRUE(DisableOffcutsRack && DisablePartsRack);
    EXPECT_FALSE(page.OffcutsPageVisible());
    EXPECT_EQ(DirSheets, dir.Path());
    EXPECT_TRUE(AutoSavePart);
    EXPECT_EQ(page.EditDecimal, "3");
    EXPECT_EQ(page.ComboBoxTypeSelect.ItemIndex, 0);
    EXPECT_EQ(page.ColorBoxParts, 16776960);
    EXPECT_EQ(window.AppLeft, 17);  // the current position stays
    EXPECT_TRUE(window.SheetsFileName.empty());

    TOptionPage noTypes;  // an empty type list selects nothing
    ReadOptionFile(dir.File("none.opt"), noTypes, window);
    EXPECT_EQ(noTypes.ComboBoxTypeSelect.ItemIndex, -1);
    EXPECT_EQ(noTypes.ComboBoxTypeSelect.Text(), "");
}

TEST(OptionFile, RoundTripKeepsEverySetting) {
    ScratchDir dir;
    testsupport::AppDirScope app(dir.Path());
    TOptionPage page;
    const std::pair<std::string TOptionPage::*, const char*> texts[] = {
        {&TOptionPage::EditMeasure, "mm"},
        {&TOptionPage::EditBladeWidth, " 1 1/2"},  // kept exactly as typed
        {&TOptionPage::EditHeightEdige, "0.25"},
        {&TOptionPage::EditWidthEdge, "\"quoted\""},
        {&TOptionPage::EditMinOffcutLength1, "3/4"},
        {&TOptionPage::EditMinOffcutLength2, "12"},
        {&TOptionPage::EditMinOffcutSize, "9"},
        {&TOptionPage::LabeledEditOffcutsPrefix, "REST_"},
        {&TOptionPage::EditPrinterFontSize, "10"},
        {&TOptionPage::EditPrinterFontName, "Courier New"},
        {&TOptionPage::EditFontLabelSize, "11"},
        {&TOptionPage::EditFontLabel, "Arial"},
        {&TOptionPage::EditFontDimSize, "12"},
        {&TOptionPage::EditFontDim, "Dim"},
        {&TOptionPage::EditFontPositionSize, "13"},
        {&TOptionPage::EditFontPosition, "Pos"},
        {&TOptionPage::EditFontCutSeqSize, "14"},
        {&TOptionPage::EditFontCutSeq, "Seq"},
        {&TOptionPage::EditPrintTitle, "Kitchen; [job] = 4"},
        {&TOptionPage::EditDrillDepth, "-1"},
        {&TOptionPage::EditSafetyHeigth, "2"},
        {&TOptionPage::LabeledEditSpeedXY, "100"},
        {&TOptionPage::LabeledEditSpeedZ, "5"},
        {&TOptionPage::LabeledEditGCodeN, "4"},
        {&TOptionPage::lbledtDXFFontSize, "2.5"},
    };
    const std::pair<int TOptionPage::*, int> numbers[] = {
        {&TOptionPage::RadioGroupCutMode, kCutModeRolling},
        {&TOptionPage::TrackBarSpeed, 7},
        {&TOptionPage::ComboBoxBothOrEither, 1},
        {&TOptionPage::ColorBoxSheets, 1},
        {&TOptionPage::ColorBoxParts, 2},
        {&TOptionPage::ColorBoxEdge, -16777201},
        {&TOptionPage::ColorBoxOffcuts, 4},
        {&TOptionPage::ScrollBarAutoPrinterSetupSize, 120},
    };
    bool TOptionPage::*const flipped[] = {
        &TOptionPage::CheckBoxFastSpeed,
        &TOptionPage::CheckBoxCostOptimize,
        &TOptionPage::CheckBoxOrderOptimize,
        &TOptionPage::CheckBoxAutoPrinterSetupFont,
        &TOptionPage::CheckBoxZAxis,
        &TOptionPage::CheckBoxDisableOffcutsRack,
        &TOptionPage::CheckBoxDisablePartsRack,
    };
    for (const auto& [field, value] : texts) page.*field = value;
    for (const auto& [field, value] : numbers) page.*field = value;
    for (auto field : flipped) page.*field = !(page.*field);
    page.ComboBoxTypeSelect.Items = {"A", "B", "C"};
    page.ComboBoxTypeSelect.ItemIndex = 2;

    TWindowOptions window;
    window.EditSheetsFileName = "/jobs/a.sht";
    window.EditPartsFileName = "/jobs/a.prt";
    window.EditAnyShapeFileName = "/jobs/a.apt";
    window.EditOffcutsFileName = "/jobs/a.rck";
    window.EditPartHRFileName = "/jobs/a.prk";
    window.RadioGroupLayoutsOrder = 1;
    window.ShowLabel = false;
    window.ShowXYPos = window.ShowLengthXWidth = window.ShowOffcuts = true;
    window.EditColumnsPerPage = "3";
    window.EditRowsPerPage = "2";
    window.CheckBoxPrintPartsInLayout = true;
    window.AppLeft = -5;
    window.AppTop = 40;
    window.AppMaximized = true;
    window.PartsGridColWidths[9] = 200;
    window.PartsRackGridColWidths[0] = 33;

    PartsInLayout = true;
    PrintingComment = false;
    PartsLabelPrintIndex = 3;
    LayoutsLabelPrintIndex = 8;
    DirImportDxfs = "/dxf";
    AutoSaveOffcut = false;
    PrintLabelFontSize = 11;
    PrintLabelFontName = "Label Font";

    WriteOptionFile("round", page, window);
    EXPECT_FALSE(OffcutLenRotatable);  // taken from the drop-down before writing

    ResetPubStrDefaults();
    TOptionPage read;
    read.ComboBoxTypeSelect.Items = {"A", "B", "C"};
    TWindowOptions readWindow;
    ReadOptionFile(dir.File("round.opt"), read, readWindow);

    for (const auto& [field, value] : texts) EXPECT_EQ(read.*field, value);
    for (const auto& [field, value] : numbers) EXPECT_EQ(read.*field, value);
    for (auto field : flipped) EXPECT_EQ(read.*field, page.*field);
    EXPECT_EQ(read.ComboBoxTypeSelect.ItemIndex, 2);
    // The program-wide settings follow the page.
    EXPECT_TRUE(RollingMode && OrderOptimize && !GuillotineMode && !AutoPrinterFontSize);
    EXPECT_EQ(OptimizeSpeed, 7);
    EXPECT_EQ(AutoPrinterFontZoom, 120);
    EXPECT_FALSE(OffcutLenRotatable || DisableOffcutsRack);
    EXPECT_FALSE(LayoutShowLabel);
    EXPECT_EQ(readWindow.SheetsFileName, "/jobs/a.sht");
    EXPECT_EQ(readWindow.PartsRackFileName, "/jobs/a.prk");

    // Whatever else was read is written back the same: nothing was lost.
    readWindow.EditSheetsFileName = readWindow.SheetsFileName;
    readWindow.EditPartsFileName = readWindow.PartsFileName;
    readWindow.EditAnyShapeFileName = readWindow.ProfilesFileName;
    readWindow.EditOffcutsFileName = readWindow.OffcutsRackFileName;
    readWindow.EditPartHRFileName = readWindow.PartsRackFileName;
    WriteOptionFile("again", read, readWindow);
    EXPECT_EQ(ReadText(dir.File("again.opt")), ReadText(dir.File("round.opt")));
}

TEST(OptionFile, HandWrittenFileInOtherLetterCase) {
    ScratchDir dir;
    testsupport::AppDirScope app(dir.Path());
    const std::string path = dir.File("hand.opt");
    WriteText(path,
              "[option]\r\n"
              "guillotine=7\r\n"
              "fast_optimize=F\r\n"
              "Blade_Width=0.004\r\n"
              "material_type=99\r\n"
              "app_win_style=2\r\n"
              "sheet_color=abc\r\n"
              "part_color=255\r\n"
              "checkboxdisableoffcutsrack=0\r\n"
              "track_optimize_speed=500\r\n"
              "auto_printer_font_zoom=5\r\n"
              "Sheets_Grid_Col_3=120\r\n"
              "Sheets_Grid_Col_99=7\r\n"
              "Z_AXIS=0\r\n");
    TOptionPage page;
    page.RadioGroupCutMode = kCutModeNested;
    page.ComboBoxTypeSelect.Items = {"a", "b", "c", "d", "e"};
    page.ComboBoxTypeSelect.ItemIndex = 3;
    TWindowOptions window;
    ReadOptionFile(path, page, window);

    EXPECT_EQ(page.RadioGroupCutMode, kCutModeGuillotine);
    EXPECT_FALSE(page.CheckBoxFastSpeed);
    EXPECT_TRUE(page.CheckBoxCostOptimize);
    EXPECT_EQ(page.EditBladeWidth, "0.004");
    EXPECT_EQ(page.ComboBoxTypeSelect.ItemIndex, 0);
    EXPECT_TRUE(window.AppMaximized);
    EXPECT_EQ(page.ColorBoxSheets, kDefaultSheetColor);
    EXPECT_EQ(page.ColorBoxParts, 255);
    EXPECT_FALSE(page.CheckBoxDisableOffcutsRack);
    EXPECT_TRUE(page.CheckBoxDisablePartsRack);
    EXPECT_EQ(page.TrackBarSpeed, kTrackBarSpeedMax);
    EXPECT_EQ(OptimizeSpeed, kTrackBarSpeedMax);
    EXPECT_EQ(page.ScrollBarAutoPrinterSetupSize, kAutoPrinterZoomMin);
    EXPECT_EQ(window.SheetsGridColWidths[3], 120);
    EXPECT_EQ(window.SheetsGridColWidths.size(), 8u);
    EXPECT_FALSE(page.CheckBoxZAxis);
    EXPECT_FALSE(GCodeZMoves);
}

TEST(OptionFile, CutModeOutsideTheItemsIsWrittenAsGuillotine) {
    ScratchDir dir;
    testsupport::AppDirScope app(dir.Path());
    TOptionPage page;
    page.RadioGroupCutMode = 5;
    WriteOptionFile("mode", page, TWindowOptions());
    platform::TIniFile ini(dir.File("mode.opt"));
    EXPECT_EQ(ini.ReadString("OPTION", "GUILLOTINE", ""), "1");
    EXPECT_EQ(ini.ReadString("OPTION", "FAST_OPTIMIZE", ""), "T");
    EXPECT_EQ(ini.ReadString("OPTION", "PARTS_IN_LAYOUT", ""), "0");
    EXPECT_EQ(ini.ReadString("OPTION", "PARTS_RACK_GRID_COL_6", ""), "64");
    EXPECT_FALSE(ini.ValueExists("OPTION", "PARTS_RACK_GRID_COL_7"));
    EXPECT_EQ(ini.ReadSections().size(), 1u);
}

TEST(OptionFile, RewriteKeepsLabelSchemesAndForeignKeys) {
    ScratchDir dir;
    testsupport::AppDirScope app(dir.Path());
    const std::string path = dir.File("default.opt");
    WriteText(path,
              "[LABEL_SCHEME_1]\r\nCOL=3\r\nROW=4\r\n"
              "[OPTION]\r\nblade_width=2\r\nSOMETHING_ELSE=kept\r\n"
              "[LABEL_SCHEME_9]\r\nCOL=1\r\n");
    TOptionPage page;
    page.EditBladeWidth = "0.5";
    WriteOptionFile("default", page, TWindowOptions());

    platform::TIniFile ini(path);
    EXPECT_EQ(ini.ReadString("LABEL_SCHEME_1", "ROW", ""), "4");
    EXPECT_EQ(ini.ReadString("LABEL_SCHEME_9", "COL", ""), "1");
    EXPECT_EQ(ini.ReadString("OPTION", "SOMETHING_ELSE", ""), "kept");
    EXPECT_EQ(ini.ReadString("OPTION", "BLADE_WIDTH", ""), "0.5");
    // The key is rewritten where it stood, not added a second time.
    const std::string text = ReadText(path);
    EXPECT_EQ(text.find("BLADE_WIDTH"), std::string::npos);
    EXPECT_NE(text.find("blade_width=0.5"), std::string::npos);
}

TEST(OptionFile, LineBreakInAnEditCannotForgeASection) {
    ScratchDir dir;
    testsupport::AppDirScope app(dir.Path());
    TOptionPage page;
    page.EditPrintTitle = "Job\r\n[LABEL_SCHEME_1]";
    WriteOptionFile("x", page, TWindowOptions());
    platform::TIniFile ini(dir.File("x.opt"));
    EXPECT_FALSE(ini.SectionExists("LABEL_SCHEME_1"));
    EXPECT_EQ(ini.ReadString("OPTION", "PROJECT_TITLE", ""), "Job  [LABEL_SCHEME_1]");
}

TEST(OptionFile, FailedWriteIsReportedAndLeavesTheOldFile) {
    ScratchDir dir;
    testsupport::AppDirScope app(dir.Path());
    const std::string path = dir.File("default.opt");
    const std::string old = "[OPTION]\r\nBLADE_WIDTH=2\r\n[LABEL_SCHEME_1]\r\nCOL=3\r\n";
    WriteText(path, old);
    {
        testsupport::WriteBlocker block(path);
        TOptionPage page;
        page.EditBladeWidth = "9";
        EXPECT_THROW(WriteOptionFile("default", page, TWindowOptions()), platform::IniWriteError);
    }
    EXPECT_EQ(ReadText(path), old);
}

// An option file that is there but cannot be read keeps its label schemes:
// it is not rewritten. A link to itself cannot be opened by any user; a
// file without read permission only by an unprivileged one.
TEST(OptionFile, UnreadableFileIsNotRewritten) {
    namespace fs = std::filesystem;
    for (const bool selfLink : {true, false}) {
        SCOPED_TRACE(selfLink ? "a link to itself" : "no read permission");
        if (!selfLink && ::geteuid() == 0) continue;  // a privileged process reads every file
        ScratchDir dir;
        testsupport::AppDirScope app(dir.Path());
        const std::string path = dir.File("default.opt");
        if (selfLink) {
            fs::create_symlink("default.opt", path);
        } else {
            WriteText(path, "[LABEL_SCHEME_1]\r\nCOL=3\r\n");
            fs::permissions(path, fs::perms::owner_write);
        }
        EXPECT_THROW(WriteOptionFile("default", TOptionPage(), TWindowOptions()), platform::IniWriteError);
        if (selfLink) {
            ASSERT_TRUE(fs::is_symlink(fs::symlink_status(path)));
            EXPECT_EQ(fs::read_symlink(path), "default.opt");
        } else {
            fs::permissions(path, fs::perms::owner_all);
            EXPECT_EQ(ReadText(path), "[LABEL_SCHEME_1]\r\nCOL=3\r\n");
        }
    }
}

TEST(OptionFile, FoldersInTheJobFolderFollowACopyOfIt) {
    ScratchDir dir, elsewhere;
    testsupport::AppDirScope app(dir.Path());
    std::filesystem::create_directories(dir.File("out/html"));
    DirExportHtml = dir.File("out/html");
    DirExportDxf = dir.Path();
    DirExportCnc = elsewhere.Path();
    TOptionPage page;
    TWindowOptions window;
    WriteOptionFile("default", page, window);
    const platform::TIniFile opt(dir.File("default.opt"));
    EXPECT_EQ(opt.ReadString("OPTION", "DIR_EXPORT_HTML", ""), "out/html");
    EXPECT_EQ(opt.ReadString("OPTION", "DIR_EXPORT_DXF", ""), ".");
    EXPECT_EQ(opt.ReadString("OPTION", "DIR_EXPORT_CNC", ""), elsewhere.Path());

    // The copied job exports into itself; a folder outside stays where it is.
    ScratchDir copy;
    std::filesystem::copy_file(dir.File("default.opt"), copy.File("default.opt"));
    for (const ScratchDir* job : {&dir, &copy}) {
        SCOPED_TRACE(job->Path());
        ReadOptionFile(job->File("default.opt"), page, window);
        EXPECT_EQ(std::filesystem::path(DirExportHtml), std::filesystem::path(job->File("out/html")));
        EXPECT_EQ(std::filesystem::path(DirExportDxf), std::filesystem::path(job->Path()));
        EXPECT_EQ(DirExportDxf.back(), job->Path().back());  // no separator added
        EXPECT_EQ(DirExportCnc, elsewhere.Path());
    }
}

}  // namespace
