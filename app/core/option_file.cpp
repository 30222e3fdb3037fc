#include "app/core/option_file.h"

#include <filesystem>
#include <utility>

#include "app/core/label_schemes.h"
#include "app/core/main_data.h"
#include "engine/pubstr.h"
#include "platform/inifile.h"

namespace {

constexpr std::string_view S = kOptionSection;

// Grid column counts of the grids whose widths are stored.
constexpr int kSheetsGridCols = 8;
constexpr int kOffcutsGridCols = 8;
constexpr int kPartsGridCols = 10;
constexpr int kProfilesGridCols = 6;
constexpr int kPartsRackGridCols = 7;

// One folder key and its variable.
struct DirKey {
    const char* Key;
    std::string* Dir;
};

const std::vector<DirKey>& DirKeys() {
    static const std::vector<DirKey> keys = {
        {"DIR_SHEETS", &DirSheets},
        {"DIR_PARTS", &DirParts},
        {"DIR_OFFCUTS", &DirOffcuts},
        {"DIR_PROFILES", &DirProfiles},
        {"DIR_PARTS_RACK", &DirPartsRack},
        {"DIR_IMPORT_DXFS", &DirImportDxfs},
        {"DIR_IMPORT_SHEETS_TXT", &DirImportSheetsTxt},
        {"DIR_IMPORT_SHEETS_EXCEL", &DirImportSheetsExcel},
        {"DIR_IMPORT_PARTS_TXT", &DirImportPartsTxt},
        {"DIR_IMPORT_PARTS_EXCEL", &DirImportPartsExcel},
        {"DIR_EXPORT_SHEETS_TXT", &DirExportSheetsTxt},
        {"DIR_EXPORT_SHEETS_EXCEL", &DirExportSheetsExcel},
        {"DIR_EXPORT_PARTS_TXT", &DirExportPartsTxt},
        {"DIR_EXPORT_PARTS_EXCEL", &DirExportPartsExcel},
        {"DIR_EXPORT_OFFCUTS_TXT", &DirExportOffcutsTxt},
        {"DIR_EXPORT_OFFCUTS_EXCEL", &DirExportOffcutsExcel},
        {"DIR_EXPORT_PARTS_RACK_TXT", &DirExportPartsRackTxt},
        {"DIR_EXPORT_PARTS_RACK_EXCEL", &DirExportPartsRackExcel},
        {"DIR_EXPORT_HTML", &DirExportHtml},
        {"DIR_EXPORT_DXF", &DirExportDxf},
        {"DIR_EXPORT_CNC", &DirExportCnc},
    };
    return keys;
}

// One label-scheme choice key and its variable.
struct IndexKey {
    const char* Key;
    std::int32_t* Index;
};

const std::vector<IndexKey>& LabelIndexKeys() {
    static const std::vector<IndexKey> keys = {
        {"SHEETS_LABEL_PRINT_INDEX", &SheetsLabelPrintIndex},
        {"PARTS_LABEL_PRINT_INDEX", &PartsLabelPrintIndex},
        {"PROFILES_LABEL_PRINT_INDEX", &ProfilesLabelPrintIndex},
        {"OFFCUTS_RACK_LABEL_PRINT_INDEX", &OffcutsRackLabelPrintIndex},
        {"PARTS_RACK_LABEL_PRINT_INDEX", &PartsRackLabelPrintIndex},
        {"LAYOUTS_LABEL_PRINT_INDEX", &LayoutsLabelPrintIndex},
    };
    return keys;
}

struct BoolVarKey {
    const char* Key;
    bool* Flag;
};

const std::vector<BoolVarKey>& AutoSaveKeys() {
    static const std::vector<BoolVarKey> keys = {
        {"AUTO_SAVE_PANEL", &AutoSavePanel},     {"AUTO_SAVE_PART", &AutoSavePart},
        {"AUTO_SAVE_OFFCUT", &AutoSaveOffcut},   {"AUTO_SAVE_PARTRACK", &AutoSavePartRack},
        {"AUTO_SAVE_PROFILE", &AutoSaveProfile},
    };
    return keys;
}

// The grids whose column widths are stored, with their key prefixes.
struct ColWidthKey {
    const char* Prefix;
    std::vector<int> TWindowOptions::*Widths;
};

const std::vector<ColWidthKey>& ColWidthKeys() {
    static const std::vector<ColWidthKey> keys = {
        {"SHEETS_GRID_COL_", &TWindowOptions::SheetsGridColWidths},
        {"OFFCUTS_GRID_COL_", &TWindowOptions::OffcutsGridColWidths},
        {"PARTS_GRID_COL_", &TWindowOptions::PartsGridColWidths},
        {"PROFILES_GRID_COL_", &TWindowOptions::ProfilesGridColWidths},
        {"PARTS_RACK_GRID_COL_", &TWindowOptions::PartsRackGridColWidths},
    };
    return keys;
}

// Boolean keys are "1"/"0", read as whole numbers (non-zero = true).
bool ReadFlag(const platform::TIniFile& Ini, std::string_view Key, bool Default) {
    return Ini.ReadInteger(S, Key, Default ? 1 : 0) != 0;
}
void WriteFlag(platform::TIniFile& Ini, std::string_view Key, bool Value) {
    Ini.WriteString(S, Key, Value ? "1" : "0");
}
// Texts of edits are stored so that they read back exactly as typed.
void WriteText(platform::TIniFile& Ini, std::string_view Key, std::string_view Text) {
    Ini.WriteString(S, Key, Text);
}
void WriteTF(platform::TIniFile& Ini, std::string_view Key, bool Value) {
    Ini.WriteString(S, Key, Value ? "T" : "F");
}

namespace fs = std::filesystem;

fs::path FolderOf(const std::string& optionFile) {
    return fs::absolute(fs::path(optionFile)).lexically_normal().parent_path();
}

}  // namespace

std::string ListPathForOptionFile(const std::string& ListFile, const std::string& OptionFile) {
    if (ListFile.empty()) return ListFile;
    std::error_code ec;
    const fs::path list = fs::absolute(fs::path(ListFile), ec).lexically_normal();
    if (ec) return ListFile;
    const fs::path rel = list.lexically_relative(FolderOf(OptionFile));
    if (rel.empty() || rel.is_absolute() || *rel.begin() == "..") return ListFile;
    return rel.generic_string();
}

std::string ListPathFromOptionFile(const std::string& Stored, const std::string& OptionFile) {
    if (Stored.empty() || fs::path(Stored).is_absolute()) return Stored;
    return (FolderOf(OptionFile) / fs::path(Stored)).lexically_normal().string();
}

std::string FolderPathFromOptionFile(const std::string& Stored, const std::string& OptionFile) {
    const std::string folder = ListPathFromOptionFile(Stored, OptionFile);
    const fs::path p(folder);
    // "." read back is the option file's folder itself, not that folder + "/".
    if (!p.has_filename() && p.has_relative_path()) return p.parent_path().string();
    return folder;
}

platform::TIniFile OpenIniForRewrite(const std::string& FileName) {
    const platform::FileState state = platform::ProbeFile(FileName);
    if (state != platform::FileState::Readable && state != platform::FileState::Missing)
        throw platform::IniWriteError("Cannot read file \"" + FileName +
                                      "\"; it was not rewritten");
    return platform::TIniFile(FileName);
}

TWindowOptions::TWindowOptions()
    : SheetsGridColWidths(kSheetsGridCols, kDefaultGridColWidth),
      OffcutsGridColWidths(kOffcutsGridCols, kDefaultGridColWidth),
      PartsGridColWidths(kPartsGridCols, kDefaultGridColWidth),
      ProfilesGridColWidths(kProfilesGridCols, kDefaultGridColWidth),
      PartsRackGridColWidths(kPartsRackGridCols, kDefaultGridColWidth) {}

std::string OptionFilePath(const std::string& Name) {
    return (std::filesystem::path(AppDir) / (Name + ".opt")).string();
}

void WriteOptionFile(const std::string& Name, const TOptionPage& Page,
                     const TWindowOptions& Window) {
    WriteOptionFileTo(OptionFilePath(Name), Page, Window);
}

void WriteOptionFileTo(const std::string& FileName, const TOptionPage& Page,
                       const TWindowOptions& Window) {
    platform::TIniFile Ini = OpenIniForRewrite(FileName);

    WriteFlag(Ini, "PARTS_IN_LAYOUT", PartsInLayout);
    WriteFlag(Ini, "PRINTING_COMMENT", PrintingComment);
    WriteText(Ini, "BLADE_WIDTH", Page.EditBladeWidth);
    WriteTF(Ini, "FAST_OPTIMIZE", Page.CheckBoxFastSpeed);
    WriteTF(Ini, "COST_OPTIMIZE", Page.CheckBoxCostOptimize);
    const int mode = Page.RadioGroupCutMode;
    Ini.WriteString(S, "GUILLOTINE",
                    mode == kCutModeNested    ? "0"
                    : mode == kCutModeRolling ? "2"
                                              : "1");
    WriteTF(Ini, "ORDER_OPTIMIZE", Page.CheckBoxOrderOptimize);
    WriteText(Ini, "MEASURE", Page.EditMeasure);
    WriteText(Ini, "PRINTERFONTSIZE", Page.EditPrinterFontSize);
    WriteText(Ini, "PRINTERFONTNAME", Page.EditPrinterFontName);
    WriteText(Ini, "PRINTERFONTSIZELABEL", Page.EditFontLabelSize);
    WriteText(Ini, "PRINTERFONTNAMELABEL", Page.EditFontLabel);
    WriteText(Ini, "PRINTERFONTSIZEDIM", Page.EditFontDimSize);
    WriteText(Ini, "PRINTERFONTNAMEDIM", Page.EditFontDim);
    WriteText(Ini, "PRINTERFONTSIZEPOSITION", Page.EditFontPositionSize);
    WriteText(Ini, "PRINTERFONTNAMEPOSITION", Page.EditFontPosition);
    WriteText(Ini, "PRINTERFONTSIZECUTSEQ", Page.EditFontCutSeqSize);
    WriteText(Ini, "PRINTERFONTNAMECUTSEQ", Page.EditFontCutSeq);
    WriteText(Ini, "MIN_OFFCUT_SIZE", Page.EditMinOffcutSize);
    WriteText(Ini, "LENGTH_EDGE", Page.EditHeightEdige);
    WriteText(Ini, "WIDTH_EDGE", Page.EditWidthEdge);
    WriteText(Ini, "SCRAP_LEN1", Page.EditMinOffcutLength1);
    WriteText(Ini, "SCRAP_LEN2", Page.EditMinOffcutLength2);
    OffcutLenRotatable = Page.ComboBoxBothOrEither != 1;
    WriteFlag(Ini, "OFFCUT_LEN_ROTATABLE", OffcutLenRotatable);
    Ini.WriteInteger(S, "SHEET_COLOR", Page.ColorBoxSheets);
    Ini.WriteInteger(S, "PART_COLOR", Page.ColorBoxParts);
    Ini.WriteInteger(S, "EDGE_COLOR", Page.ColorBoxEdge);
    Ini.WriteInteger(S, "OFFCUT_COLOR", Page.ColorBoxOffcuts);
    WriteFlag(Ini, "Z_AXIS", Page.CheckBoxZAxis);
    WriteText(Ini, "DRILL_DEPTH", Page.EditDrillDepth);
    WriteText(Ini, "SAFETY_HEIGTH", Page.EditSafetyHeigth);
    Ini.WriteInteger(S, "MATERIAL_TYPE", Page.ComboBoxTypeSelect.ItemIndex);
    WriteText(Ini, "PROJECT_TITLE", Page.EditPrintTitle);
    // A list in the option file's folder is named relative to it, so that a
    // copy of the folder opens its own lists.
    const auto listFile = [&](const std::string& f) { return ListPathForOptionFile(f, FileName); };
    WriteText(Ini, "SHEETS_FILE", listFile(Window.EditSheetsFileName));
    WriteText(Ini, "PARTS_FILE", listFile(Window.EditPartsFileName));
    WriteText(Ini, "PROFILES_FILE", listFile(Window.EditAnyShapeFileName));
    WriteText(Ini, "OFFCUTS_RACK_FILE", listFile(Window.EditOffcutsFileName));
    WriteText(Ini, "PARTS_RACK_FILE", listFile(Window.EditPartHRFileName));
    for (const auto& k : LabelIndexKeys()) Ini.WriteInteger(S, k.Key, *k.Index);
    WriteFlag(Ini, "CheckBoxDisableOffcutsRack", Page.CheckBoxDisableOffcutsRack);
    WriteFlag(Ini, "CheckBoxDisablePartsRack", Page.CheckBoxDisablePartsRack);
    // Folders too, so that a copy of the folder exports into itself.
    for (const auto& k : DirKeys()) WriteText(Ini, k.Key, listFile(*k.Dir));
    WriteText(Ini, "OFFCUTS_PREFIX", Page.LabeledEditOffcutsPrefix);
    Ini.WriteInteger(S, "APP_LEFT", Window.AppLeft);
    Ini.WriteInteger(S, "APP_TOP", Window.AppTop);
    Ini.WriteInteger(S, "APP_WIN_STYLE", Window.AppMaximized ? 1 : 0);
    for (const auto& k : ColWidthKeys()) {
        const std::vector<int>& widths = Window.*k.Widths;
        for (std::size_t i = 0; i < widths.size(); ++i)
            Ini.WriteInteger(S, k.Prefix + std::to_string(i), widths[i]);
    }
    Ini.WriteInteger(S, "LAYOUTS_ORDER_STYLE", Window.RadioGroupLayoutsOrder);
    WriteFlag(Ini, "LAYOUTS_SHOW_LABEL", Window.ShowLabel);
    WriteFlag(Ini, "LAYOUTS_SHOW_POSITION", Window.ShowXYPos);
    WriteFlag(Ini, "LAYOUTS_SHOW_DIMENSION", Window.ShowLengthXWidth);
    WriteFlag(Ini, "LAYOUTS_SHOW_OFFCUT", Window.ShowOffcuts);
    WriteText(Ini, "LAYOUTS_PRINT_COL", Window.EditColumnsPerPage);
    WriteText(Ini, "LAYOUTS_PRINT_ROW", Window.EditRowsPerPage);
    WriteFlag(Ini, "LAYOUTS_PRINT_PARTS", Window.CheckBoxPrintPartsInLayout);
    Ini.WriteInteger(S, "TRACK_OPTIMIZE_SPEED", Page.TrackBarSpeed);
    for (const auto& k : AutoSaveKeys()) WriteFlag(Ini, k.Key, *k.Flag);
    Ini.WriteInteger(S, "LABEL_FONT_SIZE", PrintLabelFontSize);
    WriteText(Ini, "LABEL_FONT_NAME", PrintLabelFontName);
    WriteFlag(Ini, "AUTO_SETUP_PRINTER_FONT_SIZE", Page.CheckBoxAutoPrinterSetupFont);
    Ini.WriteInteger(S, "AUTO_PRINTER_FONT_ZOOM", Page.ScrollBarAutoPrinterSetupSize);
    WriteText(Ini, "GCODE_XY_SPEED", Page.LabeledEditSpeedXY);
    WriteText(Ini, "GCODE_Z_SPEED", Page.LabeledEditSpeedZ);
    WriteText(Ini, "GCODE_N", Page.LabeledEditGCodeN);
    WriteText(Ini, "DXF_FONT_SIZE", Page.lbledtDXFFontSize);

    Ini.UpdateFile();
}

namespace {

void ReadListFileNames(const platform::TIniFile& Ini, const std::string& FileName,
                       TWindowOptions& Window) {
    const auto listFile = [&](std::string_view Key) {
        return ListPathFromOptionFile(Ini.ReadString(S, Key, ""), FileName);
    };
    Window.SheetsFileName = listFile("SHEETS_FILE");
    Window.PartsFileName = listFile("PARTS_FILE");
    Window.ProfilesFileName = listFile("PROFILES_FILE");
    Window.OffcutsRackFileName = listFile("OFFCUTS_RACK_FILE");
    Window.PartsRackFileName = listFile("PARTS_RACK_FILE");
}

}  // namespace

void ReadListFileNames(const std::string& FileName, TWindowOptions& Window) {
    ReadListFileNames(platform::TIniFile(FileName), FileName, Window);
}

namespace {

// Reads Ini, the option file FileName, into the page, the window state and
// the program-wide settings.
void ReadOptions(const platform::TIniFile& Ini, const std::string& FileName, TOptionPage& Page,
                 TWindowOptions& Window) {
    auto text = [&](std::string_view Key, std::string_view Default) {
        return Ini.ReadString(S, Key, Default);
    };

    PartsInLayout = ReadFlag(Ini, "PARTS_IN_LAYOUT", false);
    PrintingComment = ReadFlag(Ini, "PRINTING_COMMENT", true);
    Page.EditBladeWidth = text("BLADE_WIDTH", "0");
    Page.CheckBoxFastSpeed = text("FAST_OPTIMIZE", "T") == "T";
    Page.CheckBoxCostOptimize = text("COST_OPTIMIZE", "T") == "T";

    // The cut mode and order optimisation boxes keep their settings in step,
    // as clicking them does.
    const std::string mode = text("GUILLOTINE", "1");
    Page.RadioGroupCutMode = mode == "0"   ? kCutModeNested
                             : mode == "2" ? kCutModeRolling
                                           : kCutModeGuillotine;
    GuillotineMode = Page.RadioGroupCutMode == kCutModeGuillotine;
    RollingMode = Page.RadioGroupCutMode == kCutModeRolling;
    Page.CheckBoxOrderOptimize = text("ORDER_OPTIMIZE", "F") == "T";
    OrderOptimize = Page.CheckBoxOrderOptimize;

    Page.EditMeasure = text("MEASURE", MeasureUnitName);
    Page.EditPrinterFontSize = text("PRINTERFONTSIZE", "72");
    Page.EditPrinterFontName = text("PRINTERFONTNAME", "MS Mincho");
    Page.EditFontLabelSize = text("PRINTERFONTSIZELABEL", "72");
    Page.EditFontLabel = text("PRINTERFONTNAMELABEL", "MS Mincho");
    Page.EditFontDimSize = text("PRINTERFONTSIZEDIM", "72");
    Page.EditFontDim = text("PRINTERFONTNAMEDIM", "MS Mincho");
    Page.EditFontPositionSize = text("PRINTERFONTSIZEPOSITION", "72");
    Page.EditFontPosition = text("PRINTERFONTNAMEPOSITION", "MS Mincho");
    Page.EditFontCutSeqSize = text("PRINTERFONTSIZECUTSEQ", "72");
    Page.EditFontCutSeq = text("PRINTERFONTNAMECUTSEQ", "MS Mincho");
    Page.EditMinOffcutSize = text("MIN_OFFCUT_SIZE", "0");
    Page.EditHeightEdige = text("LENGTH_EDGE", "0");
    Page.EditWidthEdge = text("WIDTH_EDGE", "0");
    Page.EditMinOffcutLength1 = text("SCRAP_LEN1", "0");
    Page.EditMinOffcutLength2 = text("SCRAP_LEN2", "0");
    OffcutLenRotatable = ReadFlag(Ini, "OFFCUT_LEN_ROTATABLE", true);
    Page.ComboBoxBothOrEither = OffcutLenRotatable ? 0 : 1;

    Page.ColorBoxSheets = Ini.ReadInteger(S, "SHEET_COLOR", kDefaultSheetColor);
    Page.ColorBoxParts = Ini.ReadInteger(S, "PART_COLOR", kDefaultPartColor);
    Page.ColorBoxEdge = Ini.ReadInteger(S, "EDGE_COLOR", kDefaultEdgeColor);
    Page.ColorBoxOffcuts = Ini.ReadInteger(S, "OFFCUT_COLOR", kDefaultOffcutColor);

    Page.CheckBoxZAxis = ReadFlag(Ini, "Z_AXIS", true);
    GCodeZMoves = Page.CheckBoxZAxis;
    Page.EditDrillDepth = text("DRILL_DEPTH", "-0.02");
    Page.EditSafetyHeigth = text("SAFETY_HEIGTH", "0.02");

    const int typeIndex = Ini.ReadInteger(S, "MATERIAL_TYPE", 0);
    const int typeCount = static_cast<int>(Page.ComboBoxTypeSelect.Items.size());
    Page.ComboBoxTypeSelect.Select(typeIndex >= 0 && typeIndex < typeCount ? typeIndex : 0);

    Page.EditPrintTitle = text("PROJECT_TITLE", "");
    for (const auto& k : LabelIndexKeys()) *k.Index = Ini.ReadInteger(S, k.Key, 0);
    // A label scheme choice names one of the nine schemes.
    for (const auto& k : LabelIndexKeys()) *k.Index = LabelSchemeItem(*k.Index);
    for (const auto& k : DirKeys())
        *k.Dir = Ini.ValueExists(S, k.Key) ? FolderPathFromOptionFile(text(k.Key, ""), FileName)
                                           : AppDir;
    Page.LabeledEditOffcutsPrefix = text("OFFCUTS_PREFIX", "");

    Window.RadioGroupLayoutsOrder =
        Ini.ReadInteger(S, "LAYOUTS_ORDER_STYLE", Window.RadioGroupLayoutsOrder);
    Window.ShowLabel = ReadFlag(Ini, "LAYOUTS_SHOW_LABEL", Window.ShowLabel);
    Window.ShowXYPos = ReadFlag(Ini, "LAYOUTS_SHOW_POSITION", Window.ShowXYPos);
    Window.ShowLengthXWidth = ReadFlag(Ini, "LAYOUTS_SHOW_DIMENSION", Window.ShowLengthXWidth);
    Window.ShowOffcuts = ReadFlag(Ini, "LAYOUTS_SHOW_OFFCUT", Window.ShowOffcuts);
    LayoutShowLabel = Window.ShowLabel;
    LayoutShowXYPos = Window.ShowXYPos;
    LayoutShowLengthXWidth = Window.ShowLengthXWidth;

    // The layouts-per-page dialog shows what was read, so that saving the
    // options again keeps it even when the dialog was never opened.
    LayoutsPrintCol = text("LAYOUTS_PRINT_COL", "1");
    LayoutsPrintRow = text("LAYOUTS_PRINT_ROW", "1");
    LayoutsPrintParts = ReadFlag(Ini, "LAYOUTS_PRINT_PARTS", false);
    Window.EditColumnsPerPage = LayoutsPrintCol;
    Window.EditRowsPerPage = LayoutsPrintRow;
    Window.CheckBoxPrintPartsInLayout = LayoutsPrintParts;

    Page.TrackBarSpeed = ClampPosition(Ini.ReadInteger(S, "TRACK_OPTIMIZE_SPEED", 0),
                                       kTrackBarSpeedMin, kTrackBarSpeedMax);
    OptimizeSpeed = Page.TrackBarSpeed;

    for (const auto& k : AutoSaveKeys()) *k.Flag = ReadFlag(Ini, k.Key, true);
    PrintLabelFontSize = Ini.ReadInteger(S, "LABEL_FONT_SIZE", 8);
    PrintLabelFontName = text("LABEL_FONT_NAME", "MS Mincho");

    Page.CheckBoxAutoPrinterSetupFont = ReadFlag(Ini, "AUTO_SETUP_PRINTER_FONT_SIZE", true);
    AutoPrinterFontSize = Page.CheckBoxAutoPrinterSetupFont;
    Page.ScrollBarAutoPrinterSetupSize = ClampPosition(
        Ini.ReadInteger(S, "AUTO_PRINTER_FONT_ZOOM", 99), kAutoPrinterZoomMin, kAutoPrinterZoomMax);
    AutoPrinterFontZoom = Page.ScrollBarAutoPrinterSetupSize;

    Page.LabeledEditSpeedXY = text("GCODE_XY_SPEED", "70000");
    Page.LabeledEditSpeedZ = text("GCODE_Z_SPEED", "70");
    Page.LabeledEditGCodeN = text("GCODE_N", "3");
    Page.lbledtDXFFontSize = text("DXF_FONT_SIZE", "4.0");

    Page.EditDecimal = "3";

    ReadListFileNames(Ini, FileName, Window);

    Page.CheckBoxDisableOffcutsRack = ReadFlag(Ini, "CheckBoxDisableOffcutsRack", true);
    DisableOffcutsRack = Page.CheckBoxDisableOffcutsRack;
    Page.CheckBoxDisablePartsRack = ReadFlag(Ini, "CheckBoxDisablePartsRack", true);
    DisablePartsRack = Page.CheckBoxDisablePartsRack;

    Window.AppLeft = Ini.ReadInteger(S, "APP_LEFT", Window.AppLeft);
    Window.AppTop = Ini.ReadInteger(S, "APP_TOP", Window.AppTop);
    Window.AppMaximized = Ini.ReadInteger(S, "APP_WIN_STYLE", 0) != 0;

    for (const auto& k : ColWidthKeys()) {
        std::vector<int>& widths = Window.*k.Widths;
        for (std::size_t i = 0; i < widths.size(); ++i)
            widths[i] = Ini.ReadInteger(S, k.Prefix + std::to_string(i), widths[i]);
    }
}

}  // namespace

bool ReadOptionFile(const std::string& FileName, TOptionPage& Page, TWindowOptions& Window) {
    if (RefuseUnreadableFile(FileName)) return false;
    ReadOptions(platform::TIniFile(FileName), FileName, Page, Window);
    return true;
}

void ReadOptionDefaults(TOptionPage& Page, TWindowOptions& Window) {
    // An INI file without a name reads nothing: every key gives its default.
    ReadOptions(platform::TIniFile(std::string()), OptionFilePath("default"), Page, Window);
}
