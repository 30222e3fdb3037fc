#include "app/core/captions.h"

#include <filesystem>
#include <new>
#include <optional>
#include <utility>

#include "app/core/main_data.h"
#include "app/core/option_file.h"
#include "engine/errors.h"
#include "engine/pubfunc.h"
#include "engine/pubstr.h"
#include "engine/textfmt.h"

namespace {

using K = TCaptionKind;

// The keys in the editor's order; the groups follow one another as listed in
// kGroups.
const std::vector<TCaptionKey> kKeys = {
    // MENU
    {K::Menu, "Menu File", "File1"},
    {K::Menu, "Menu Print Setup", "PrintSetup1"},
    {K::Menu, "Menu Support", "NeedHelp1"},
    {K::Menu, "Menu Update", "Update1"},
    {K::Menu, "Menu Exit", "FileExitItem"},
    {K::Menu, "Menu Edit", "Edit1"},
    {K::Menu, "Menu Cut", "CutItem"},
    {K::Menu, "Menu Copy", "CopyItem"},
    {K::Menu, "Menu Paste", "PasteItem"},
    {K::Menu, "Menu Help", "Help1"},
    {K::Menu, "Menu About", "HelpAboutItem"},
    {K::Menu, "Menu Online", "Homepage1"},
    {K::Menu, "Menu Question", "emailsupport1"},
    {K::Menu, "Menu Contents", "Contents1"},
    // TAB
    {K::Control, "Tab Sheets", "TabSheetSheets"},
    {K::Control, "Tab Parts", "TabSheetParts"},
    {K::Control, "Tab Profiles", "TabSheetAnyShape"},
    {K::Control, "Tab Offcuts", "TabSheetOffcuts"},
    {K::Control, "Tab Configure", "TabSheetSetup"},
    {K::Control, "Tab Layout", "TabSheetLayout"},
    {K::Control, "Tab Report", "TabSheetReport"},
    {K::Control, "Tab Part Harp Rack", "TabSheetPartHarp"},
    // BUTTON
    {K::HintOf, "Start Optimize Button", "StartOptimize"},
    {K::HintOf, "Cut Tool Button", "ToolButton4"},
    {K::HintOf, "Copy Tool Button", "ToolButton5"},
    {K::HintOf, "Paste Tool Button", "ToolButton6"},
    {K::HintOf, "Help Tool Button", "ToolButton2"},
    {K::Control, "Load File Button", "SheetsOpen"},
    {K::Control, "Save File Button", "SheetsSave"},
    {K::Control, "Save As Button", "SheetsSaveas"},
    {K::Control, "Delete Button", "SheetsDelete"},
    {K::Control, "Delete All Button", "SheetsDeleteAll"},
    {K::Control, "Save Configure Button", "ButtonSaveOptions"},
    {K::Control, "Print Font Setup Button", "ButtonFontSetup"},
    {K::Control, "Print Label Setup Button", "ButtonFontLabel"},
    {K::Control, "Print Dimension Setup Button", "ButtonFontDim"},
    {K::Control, "Print Position Setup Button", "ButtonFontPosition"},
    {K::Control, "Print Cut Sequence Setup Button", "ButtonFontCutSeq"},
    {K::Control, "Auto Rearrange Button", "ButtonLayoutAgain"},
    {K::Control, "Save Offcut Button", "ButtonSaveOffcuts"},
    {K::Control, "Print All Button", "ButtonPrintAll"},
    {K::Control, "Print Current Button", "ButtonPrintCurrentPage"},
    {K::Control, "Print Report Button", "ButtonPrintReport"},
    {K::Control, "Save Layout Button", "ButtonSaveLayout"},
    {K::Control, "Load Layout Button", "ButtonLoadLayout"},
    {K::Control, "Export DXF Button", "ButtonExportDXF"},
    {K::Control, "Export HTML Button", "ButtonSaveToHtml"},
    {K::Control, "Export G Code Button", "ButtonExportGCode"},
    {K::Control, "Update Sheets Button", "ButtonUpdateSheets"},
    {K::Control, "Manual Button", "ButtonManual"},
    {K::Control, "Manual Confirm Button", "ButtonConfirm"},
    {K::Control, "Manual Cancel Button", "ButtonCancelManual"},
    {K::Control, "Add Profile Button", "ButtonAddAnyShape"},
    {K::Control, "Import DXF Button", "ButtonImportDXF"},
    {K::Control, "Print Rack Button", "ButtonPrintOffcutRack"},
    {K::Control, "Reset Rack Button", "ButtonResetOffcutRack"},
    {K::Control, "Material Type Setup Button", "ButtonTypeSetup"},
    {K::Control, "Add Part To Rack Button", "ButtonAddPartToRack"},
    {K::Control, "Add Offcut To Rack Button", "ButtonAddOffcutToRack"},
    {K::String, "Harp Rack Report Button", "HarpRackReportButton"},
    {K::Control, "Summary Harp Rack Button", "ButtonReportOffcutsRack"},
    {K::Control, "Delete Layout Button", "ButtonDeleteLayout"},
    {K::Control, "Update All Data Button", "ButtonUpdateAll"},
    {K::Control, "Append Data File Button", "ButtonAppendSheetsFromFile"},
    // MATERIAL
    {K::Control, "Total Area Caption", "LabelTotalArea_Sheets"},
    {K::Control, "Total Qty Caption", "LabelQty_Sheets"},
    {K::Control, "Total Cost Caption", "LabelCost_Sheets"},
    {K::Control, "Opened File Caption", "LabelFileName_Sheets"},
    {K::String, "Part Label Caption", "PartLabelCaption"},
    {K::String, "Part Length Caption", "PartLengthCaption"},
    {K::String, "Part Width Caption", "PartWidthCaption"},
    {K::String, "Part Qty Caption", "PartQtyCaption"},
    {K::String, "Part Rotate Caption", "PartRotateCaption"},
    {K::String, "Part Shape Caption", "PartShapeCaption"},
    {K::String, "Parts BG Type Caption", "PartsBGTypeCaption"},
    {K::Control, "Left Top Caption", "ShowXYPos"},
    {K::String, "Cut Sequence Caption", "CutSequenceCaption"},
    {K::Control, "Layout Sheet Label Caption", "LabelLayoutLabel"},
    {K::Control, "Layout Sheet Length Caption", "LabelLayoutLength"},
    {K::Control, "Layout Sheet Width Caption", "LabelLayoutWidth"},
    {K::Control, "Layout Sheet Qty Caption", "LabelLayoutQty"},
    {K::Control, "Layout Sheet Cost Caption", "LabelLayoutCost"},
    {K::Control, "Parts in Layout Caption", "LabelPartsInLayout"},
    {K::Control, "Select Profile Caption", "GroupBoxEditShape"},
    {K::String, "Sheets Priority", "SheetsPriorityCaption"},
    {K::Control, "Print Font Name Caption", "LabelPrinterFontName"},
    {K::String, "Confirm Data Caption", "ConfirmDataCaption"},
    {K::String, "Cancel Data Caption", "CancelDataCaption"},
    {K::String, "Slot Qty Caption", "SlotQtyCaption"},
    {K::String, "Add Material Type Caption", "AddMaterialTypeCaption"},
    {K::String, "Delete Material Type Caption", "DeleteMaterialTypeCaption"},
    {K::String, "Modify Material Type Caption", "ModifyMaterialTypeCaption"},
    {K::String, "Remove All Material Type Caption", "RemoveAllMaterialTypeCaption"},
    {K::String, "Save Material Type Caption", "SaveMaterialTypeCaption"},
    {K::String, "sDisableOffcutsRack", "sDisableOffcutsRack"},
    {K::String, "sDiablePartsRack", "sDiablePartsRack"},
    {K::String, "sButtonDeleteEmpty", "sButtonDeleteEmpty"},
    {K::String, "Order of Layouts Caption", "OrderOfLayoutsCaption"},
    // GLOSSARY
    {K::String, "Comment Caption", "CommentCaption"},
    {K::String, "Sqr Caption", "SqrCaption"},
    {K::Control, "Area Caption", "LabelLayoutArea"},
    {K::Control, "Waste Area Caption", "LabelLayoutWaste"},
    {K::String, "Color Caption", "ColorCaption"},
    {K::Control, "Layout Sheet Utilization Caption", "LabelLayoutUtilization"},
    {K::String, "Usable Length Caption", "UsableLengthCaption"},
    {K::String, "Usable Width Caption", "UsableWidthCaption"},
    {K::String, "Usable Area Caption", "UsableAreaCaption"},
    {K::String, "TRUE Caption", "TrueCaption"},
    {K::String, "FALSE Caption", "FalseCaption"},
    {K::String, "Rectangle Shape", "RectangleShapeCaption"},
    {K::String, "Circle Shape", "CircleShapeCaption"},
    {K::String, "Sheet USED Caption", "SheetUsedCaption"},
    {K::String, "Sheet REST Caption", "SheetRestCaption"},
    {K::String, "Last Board Utilization", "LastBoardUtilizationCaption"},
    {K::String, "Total Usable Area", "TotalUsableAreaCaption"},
    {K::String, "Total Cost", "TotalCostCaption"},
    {K::String, "Total Waste Area", "TotalWasteAreaCaption"},
    {K::String, "Last Board Waste Area", "LastBoardWasteAreaCaption"},
    {K::String, "Max Parts Qty", "MaxPartsQtyCaption"},
    {K::String, "Used Parts Qty", "UsedPartsQtyCaption"},
    {K::String, "Utilization Include Usable Offcuts Caption",
     "UtilizationIncludeUsableOffcutsCaption"},
    {K::String, "Total Usable Offcuts Area Caption", "TotalUsableOffcutsAreaCaption"},
    // CONFIGURE
    {K::String, "Guillotine Caption", "GuillotineCaption"},
    {K::String, "Nested Caption", "NestedCaption"},
    {K::String, "Rolling Caption", "RollingCaption"},
    {K::Control, "Fast Optimize Caption", "CheckBoxFastSpeed"},
    {K::Control, "Cost Optimize Caption", "CheckBoxCostOptimize"},
    {K::Control, "Order Optimize Caption", "CheckBoxOrderOptimize"},
    {K::Control, "Measure Caption", "LabelSetupMeasure"},
    {K::Control, "Printer Font Size Caption", "LabelSetupPrinterFont"},
    {K::Control, "Blade Width Caption", "LabelSetupBladeWidth"},
    {K::Control, "Length Edge Caption", "LabelSetupLengthEdge"},
    {K::Control, "Width Edge Caption", "LabelSetupWidthEdge"},
    {K::Control, "Scrap Criteria Caption", "GroupBoxScrap"},
    {K::Control, "Scrap Min. Length Caption", "LabelSetupMinScrap1"},
    {K::Control, "Scrap Min. Width Caption", "LabelSetupMinScrap2"},
    {K::Control, "G code Caption", "GroupBoxGCode"},
    {K::Control, "Z Axis Caption", "CheckBoxZAxis"},
    {K::Control, "Drill Depth Caption", "LabelDrillDepth"},
    {K::Control, "Safety Heigth Caption", "LabelSafetyHeigth"},
    {K::String, "Standard Profile Var Name Caption", "StandardProfileVarNameCaption"},
    {K::String, "Standard Profile Value Caption", "StandardProfileValueCaption"},
    {K::Control, "Material Type Caption", "GroupBoxMaterialType"},
    {K::Control, "Printer Font Setup Caption", "GroupBoxSettingsPrinter"},
    {K::Control, "Print Title Caption", "LabelPrintTitle"},
    {K::Control, "Minimum Offcut Size Caption", "LabelMinOffcutSize"},
    {K::String, "Import Caption", "ImportCaption"},
    {K::String, "Export Caption", "ExportCaption"},
    {K::String, "Ignore Caption", "IgnoreCaption"},
    {K::String, "Waiting Caption", "WaitingCaption"},
    {K::String, "Include Column Titles Caption", "IncludeColumnTitlesCaption"},
    {K::String, "Offcuts Prefix Caption", "OffcutsPrefixCaption"},
    {K::String, "Dimension Caption", "DimensionCaption"},
    {K::String, "Fastest to Max Utilization Speed Bar Caption",
     "FastestToMaxUtilizationSpeedBarCaption"},
    {K::String, "Band Caption", "BandCaption"},
    {K::String, "Grinding Caption", "GrindingCaption"},
    {K::String, "Band and Grinding Label Caption", "BandAndGrindingLabelCaption"},
    {K::String, "Rotatable Caption", "RotatableCaption"},
    {K::String, "Non-Rotatable Caption", "NonRotatableCaption"},
    {K::Control, "Scale Size Caption", "CheckBoxAutoPrinterSetupFont"},
    // MESSAGE
    {K::String, "MSG_MANUAL_LOCK", "MsgManualLock"},
    {K::String, "MSG_SHEET_LABEL_CANT_BE_EMPTY", "MsgSheetLabelCantBeEmpty"},
    {K::String, "MSG_SHEET_LENGTH_FORMAT_INVALID", "MsgSheetLengthFormatInvalid"},
    {K::String, "MSG_SHEET_WIDTH_FORMAT_INVALID", "MsgSheetWidthFormatInvalid"},
    {K::String, "MSG_SHEET_QTY_FORMAT_INVALID", "MsgSheetQtyFormatInvalid"},
    {K::String, "MSG_SHEET_COST_FORMAT_INVALID", "MsgSheetCostFormatInvalid"},
    {K::String, "MSG_SHEET_PRIORITY_FORMAT_INVALID", "MsgSheetPriorityFormatInvalid"},
    {K::String, "MSG_OFFCUT_LENGTH_FORMAT_INVALID", "MsgOffcutLengthFormatInvalid"},
    {K::String, "MSG_OFFCUT_WIDTH_FORMAT_INVALID", "MsgOffcutWidthFormatInvalid"},
    {K::String, "MSG_OFFCUT_QTY_FORMAT_INVALID", "MsgOffcutQtyFormatInvalid"},
    {K::String, "MSG_PART_LABEL_CANT_BE_EMPTY", "MsgPartLabelCantBeEmpty"},
    {K::String, "MSG_PART_LENGTH_FORMAT_INVALID", "MsgPartLengthFormatInvalid"},
    {K::String, "MSG_PART_WIDTH_FORMAT_INVALID", "MsgPartWidthFormatInvalid"},
    {K::String, "MSG_PART_QTY_FORMAT_INVALID", "MsgPartQtyFormatInvalid"},
    {K::String, "MSG_SCROLL_LAYOUT_TOTAL", "MsgScrollLayoutTotal"},
    {K::String, "MSG_SCROLL_LAYOUT_CURRENT", "MsgScrollLayoutCurrent"},
    {K::String, "MSG_OPEN_FILE_TITLE", "MsgOpenFileTitle"},
    {K::String, "MSG_SAVE_FILE_TITLE", "MsgSaveFileTitle"},
    {K::String, "MSG_SAVE_AS_FILE_TITLE", "MsgSaveAsFileTitle"},
    {K::String, "MSG_SHEET_DATA_IS_EMPTY", "MsgSheetDataIsEmpty"},
    {K::String, "MSG_PART_DATA_IS_EMPTY", "MsgPartDataIsEmpty"},
    {K::String, "MSG_BLADE_WIDTH_FORMAT_INVALID", "MsgBladeWidthFormatInvalid"},
    {K::String, "MSG_WIDTH_EDGE_FORMAT_INVALID", "MsgWidthEdgeFormatInvalid"},
    {K::String, "MSG_LENGTH_EDGE_FORMAT_INVALID", "MsgLengthEdgeFormatInvalid"},
    {K::String, "MSG_MIN_OFFCUT_SIZE_WIDTH_FORMAT_INVALID", "MsgMinOffcutSizeWidthFormatInvalid"},
    {K::String, "MSG_MIN_SCRAP_LENGTH_FORMAT_INVALID", "MsgMinScrapLengthFormatInvalid"},
    {K::String, "MSG_MIN_SCRAP_WIDTH_FORMAT_INVALID", "MsgMinScrapWidthFormatInvalid"},
    {K::String, "MSG_LAYOUT_IS_EMPTY", "MsgLayoutIsEmpty"},
    {K::String, "MSG_CANT_READ_IMPORT_TXT_FILE", "MsgCantReadImportTxtFile"},
    {K::String, "MSG_LABEL_ISNT_UNIQUE", "MsgLabelIsntUnique"},
    {K::String, "MSG_CANT_GET_RESULT", "MsgCantGetResult"},
    {K::String, "MSG_TOTAL_PART_AREA_LARGER_THAN_SHEET_AREA",
     "MsgTotalPartAreaLargerThanSheetArea"},
    {K::String, "MSG_CANT_OPEN_FILE", "MsgCantOpenFile"},
    {K::String, "MSG_NOT_FIND_POLYLINE_DATA", "MsgNotFindPolylineData"},
    {K::String, "MSG_DXF_ERROR_OUTSIDE", "MsgDxfErrorOutside"},
    {K::String, "MSG_PROFILE_FILE_FORMAT_ERROR", "MsgProfileFileFormatError"},
    {K::String, "MSG_SHAPE_PARA_FORMAT_INVALID", "MsgShapeParaFormatInvalid"},
    {K::String, "MSG_SELECT_SHAPE_LABEL_EMPTY", "MsgSelectShapeLabelEmpty"},
    {K::String, "MSG_SAME_FIELD_ERROR", "MsgSameFieldError"},
    {K::String, "MSG_NEED_INSTALL_EXCEL", "MsgNeedInstallExcel"},
    {K::String, "MSG_NEED_EXCEL", "MsgNeedExcel"},
    // PRINT LABEL
    {K::String, "MSG_INVALID_DATA", "MsgInvalidData"},
    {K::String, "sPrintLabelInch", "sPrintLabelInch"},
    {K::String, "sPrintLabelMm", "sPrintLabelMm"},
    {K::String, "sPrintLabel", "sPrintLabel"},
    {K::String, "sPrintLabelColumnQty", "sPrintLabelColumnQty"},
    {K::String, "sPrintLabelRowQty", "sPrintLabelRowQty"},
    {K::String, "sPrintLabelHoriGap", "sPrintLabelHoriGap"},
    {K::String, "sPrintLabelVertGap", "sPrintLabelVertGap"},
    {K::String, "sPrintLabelWidthMarge", "sPrintLabelWidthMarge"},
    {K::String, "sPrintLabelLengthMarge", "sPrintLabelLengthMarge"},
    {K::String, "sPrintLabelEnableTitle", "sPrintLabelEnableTitle"},
    {K::String, "sPrintLabelTopTitleWidth", "sPrintLabelTopTitleWidth"},
    {K::String, "sPrintLabelLeftTitleLength", "sPrintLabelLeftTitleLength"},
    {K::String, "sPrintLabelRow", "sPrintLabelRow"},
    {K::String, "sPrintLabelCol", "sPrintLabelCol"},
    {K::String, "sPrintLabelPrintSetup", "sPrintLabelPrintSetup"},
    {K::String, "sPrintLabelPrintAll", "sPrintLabelPrintAll"},
    {K::String, "sPrintLabelPrintSelected", "sPrintLabelPrintSelected"},
    {K::String, "sPrintLabelFrom", "sPrintLabelFrom"},
    {K::String, "sPrintLabelFromRow", "sPrintLabelFromRow"},
    {K::String, "sPrintLabelFromCol", "sPrintLabelFromCol"},
    {K::String, "sLabelScheme", "sLabelScheme"},
    {K::String, "sPrintLabelPreview", "sPrintLabelPreview"},
    {K::String, "Print Layout Columns Per Page Caption", "PrintLayoutColumnsPerPageCaption"},
    {K::String, "Print Layout Rows Per Page Caption", "PrintLayoutRowsPerPageCaption"},
    {K::String, "Date Caption", "DateCaption"},
    {K::String, "Time Caption", "TimeCaption"},
    {K::String, "Distinct Label Caption", "DistinctLabelCaption"},
    // DXF Layer
    {K::String, "DXF Layer Offcuts", "DxfLayerOffcuts"},
    {K::String, "DXF Layer Parts", "DxfLayerParts"},
    {K::String, "DXF Layer Parts Label", "DxfLayerPartsLabel"},
    {K::String, "DXF Layer Parts Origin", "DxfLayerPartsOrigin"},
    {K::String, "DXF Layer Parts LxW", "DxfLayerPartsLxW"},
    {K::String, "DXF Layer Report", "DxfLayerReport"},
    {K::String, "DXF Layer Sheet", "DxfLayerSheet"},
    {K::String, "DXF Polyline Exporting", "DxfPolylineExporting"},
    {K::String, "DXF Text Font Size", "DxfTextFontSize"},
};

struct Group {
    const char* Name;
    int Count;
};
const Group kGroups[] = {{"MENU", 14},     {"TAB", 8},          {"BUTTON", 42},
                         {"MATERIAL", 34}, {"GLOSSARY", 24},    {"CONFIGURE", 38},
                         {"MESSAGE", 41},  {"PRINT LABEL", 28}, {"DXF Layer", 9}};

}  // namespace

namespace {

// Shared strings that a caption file replaces but that are not listed among
// the words and messages of engine/pubstr.h's table.
struct NamedString {
    const char* Name;
    std::string* Value;
};
const NamedString kMoreStrings[] = {
    {"DxfLayerOffcuts", &DxfLayerOffcuts},       {"DxfLayerParts", &DxfLayerParts},
    {"DxfLayerPartsLabel", &DxfLayerPartsLabel}, {"DxfLayerPartsOrigin", &DxfLayerPartsOrigin},
    {"DxfLayerPartsLxW", &DxfLayerPartsLxW},     {"DxfLayerReport", &DxfLayerReport},
    {"DxfLayerSheet", &DxfLayerSheet},           {"DxfPolylineExporting", &DxfPolylineExporting},
    {"DxfTextFontSize", &DxfTextFontSize},
};

// The built-in texts of the material type group box and of the layout
// page's type label.
constexpr const char* kPanelsTypeCaption = "Panels Type";
constexpr const char* kMaterialTypeLabel = "Material Type";

// Built-in texts of the controls and menu items: name, caption, hint.
struct BuiltIn {
    const char* Name;
    const char* Caption;
    const char* Hint;
};
const BuiltIn kBuiltIn[] = {
    // Main menu.
    {"File1", "&File", ""},
    {"PrintSetup1", "P&rint Setup...", ""},
    {"NeedHelp1", "&Support", ""},
    {"Update1", "&Update", ""},
    {"FileExitItem", "E&xit", ""},
    {"Edit1", "&Edit", ""},
    {"CutItem", "Cu&t", ""},
    {"CopyItem", "&Copy", ""},
    {"PasteItem", "&Paste", ""},
    {"Help1", "&Help", ""},
    {"HelpAboutItem", "&About...", ""},
    {"Homepage1", "&Online", ""},
    {"emailsupport1", "&Question", ""},
    {"Contents1", "&Contents", ""},
    // Tool bar.
    {"StartOptimize", "", "Start Optimize"},
    {"ToolButton4", "", "Cut"},
    {"ToolButton5", "", "Copy"},
    {"ToolButton6", "", "Paste"},
    {"ToolButton2", "", "Help"},
    // Tab pages.
    {"TabSheetSheets", "RAW Panels", ""},
    {"TabSheetParts", "Parts", ""},
    {"TabSheetAnyShape", "Profiles", ""},
    {"TabSheetOffcuts", "Offcuts", ""},
    {"TabSheetSetup", "Settings", ""},
    {"TabSheetLayout", "Layouts", ""},
    {"TabSheetReport", "Report", ""},
    {"TabSheetPartHarp", "Parts Rack", ""},
    // Buttons.
    {"SheetsOpen", "Load File", "Load a list file"},
    {"SheetsSave", "Save File", "Save the list to its file"},
    {"SheetsSaveas", "Save As", "Save the list to a new file"},
    {"SheetsDelete", "Delete", "Delete the current row"},
    {"SheetsDeleteAll", "Delete All", "Delete every row"},
    {"ButtonSaveOptions", "Save Configure", "Save the settings as the defaults"},
    {"ButtonFontSetup", "Font", ""},
    {"ButtonFontLabel", "Label Font", ""},
    {"ButtonFontDim", "Dimension Font", ""},
    {"ButtonFontPosition", "Position Font", ""},
    {"ButtonFontCutSeq", "Cut Sequence Font", ""},
    {"ButtonLayoutAgain", "Auto Rearrange", ""},
    {"ButtonSaveOffcuts", "Save Offcuts", ""},
    {"ButtonPrintAll", "Print All", ""},
    {"ButtonPrintCurrentPage", "Print Current", ""},
    {"ButtonPrintReport", "Print Report", ""},
    {"ButtonSaveLayout", "Save Result", ""},
    {"ButtonLoadLayout", "Load Result", ""},
    {"ButtonExportDXF", "Export DXF", ""},
    {"ButtonSaveToHtml", "Export HTML", ""},
    {"ButtonExportGCode", "Export G Code", ""},
    {"ButtonUpdateSheets", "Update Sheets", ""},
    {"ButtonManual", "Manual", ""},
    {"ButtonConfirm", "Confirm", ""},
    {"ButtonCancelManual", "Cancel", ""},
    {"ButtonAddAnyShape", "<< Add", ""},
    {"ButtonImportDXF", "Import DXF", ""},
    {"ButtonPrintOffcutRack", "Print Rack", ""},
    {"ButtonResetOffcutRack", "Reset Rack", ""},
    {"ButtonTypeSetup", "Type setup", ""},
    {"ButtonAddPartToRack", "Add Parts To Rack", ""},
    {"ButtonAddOffcutToRack", "Add Offcuts To Rack", ""},
    {"ButtonReportOffcutsRack", "Summary", ""},
    {"ButtonDeleteLayout", "Delete Layout", ""},
    {"ButtonUpdateAll", "Update All", ""},
    {"ButtonAppendSheetsFromFile", "Append File", ""},
    // Labels and boxes of the list, layout and free-shape pages.
    {"LabelTotalArea_Sheets", "Total Area", ""},
    {"LabelQty_Sheets", "Qty", ""},
    {"LabelCost_Sheets", "Total Cost", ""},
    {"LabelFileName_Sheets", "Opened File", ""},
    {"ShowXYPos", "(left,top)", ""},
    {"LabelLayoutLabel", "Label", ""},
    {"LabelLayoutType", kMaterialTypeLabel, ""},
    {"LabelLayoutLength", "Length", ""},
    {"LabelLayoutWidth", "Width", ""},
    {"LabelLayoutQty", "Qty", ""},
    {"LabelLayoutCost", "Cost", ""},
    {"LabelLayoutArea", "Area", ""},
    {"LabelLayoutWaste", "Waste", ""},
    {"LabelLayoutUtilization", "Utilization", ""},
    {"LabelPartsInLayout", "Parts in Layout", ""},
    {"GroupBoxEditShape", "Select Profile", ""},
    // Settings page.
    {"LabelPrinterFontName", "Font Name", ""},
    {"CheckBoxFastSpeed", "Fast Optimize", ""},
    {"CheckBoxCostOptimize", "Cost Optimize", ""},
    {"CheckBoxOrderOptimize", "Order Optimize", ""},
    {"LabelSetupMeasure", "Measure", ""},
    {"LabelSetupPrinterFont", "Printer Font Size", ""},
    {"LabelSetupBladeWidth", "Blade Width", ""},
    {"LabelSetupLengthEdge", "Length Edge", ""},
    {"LabelSetupWidthEdge", "Width Edge", ""},
    {"GroupBoxScrap", "Scrap Criteria", ""},
    {"LabelSetupMinScrap1", "Min. Length", ""},
    {"LabelSetupMinScrap2", "Min. Width", ""},
    {"GroupBoxGCode", "G code", ""},
    {"CheckBoxZAxis", "Z Axis", ""},
    {"LabelDrillDepth", "Drill Depth", ""},
    {"LabelSafetyHeigth", "Safety Height", ""},
    {"GroupBoxMaterialType", kPanelsTypeCaption, ""},
    {"GroupBoxSettingsPrinter", "Printer", ""},
    {"LabelPrintTitle", "Print Title", ""},
    {"LabelMinOffcutSize", "Minimum Offcut Size", ""},
    {"CheckBoxAutoPrinterSetupFont", "Scale Size", ""},
    {"RadioGroupCutMode", "Cut Mode", ""},
    {"CheckBoxDisableOffcutsRack", "",
     "A disabled offcut rack sends reusable offcuts to the sheets"},
    {"CheckBoxDisablePartsRack", "", "A disabled part rack receives no parts"},
};

// Controls that take caption and hint of a control of the sheets page.
struct Twin {
    const char* Source;
    std::vector<const char*> Copies;
};
const std::vector<Twin>& Twins() {
    static const std::vector<Twin> twins = {
        {"LabelFileName_Sheets",
         {"LabelFileName_Parts", "LabelOffcuts_FileName", "LabelPartHR_FileName",
          "LabelFileName_AnyShape"}},
        {"LabelTotalArea_Sheets",
         {"LabelTotalArea_Parts", "LabelTotalArea_Offcuts", "LabelTotalArea_PartRack"}},
        {"LabelQty_Sheets", {"LabelQty_Parts", "LabelQty_Offcuts", "LabelQty_PartRack"}},
        {"LabelCost_Sheets", {"LabelCost_Offcuts"}},
        {"SheetsOpen",
         {"PartsOpen", "ButtonLoadOffcutsRack", "ButtonLoadPartRack", "AnyShapeOpen"}},
        {"SheetsSave", {"PartsSave", "AnyShapeSave", "ButtonSaveOffcutRack", "ButtonSavePartRack"}},
        {"SheetsSaveas",
         {"PartsSaveas", "ButtonSaveAsOffcutsHarpRack", "ButtonSaveAsPartRack", "AnyShapeSaveAs"}},
        {"SheetsDelete",
         {"PartsDelete", "AnyShapeDelete", "ButtonDeleteOffcutSlot", "ButtonDeletePartSlot"}},
        {"SheetsDeleteAll",
         {"PartsDeleteAll", "AnyShapeDeleteAll", "ButtonDeleteOffcutAllSlot",
          "ButtonDeletePartAllSlot"}},
        {"TabSheetSheets", {"LabelSheetHead"}},
        {"ButtonPrintOffcutRack", {"ButtonPrintPartRack"}},
        {"ButtonResetOffcutRack", {"ButtonResetPartRack"}},
        {"ButtonReportOffcutsRack", {"ButtonReportPartsRack"}},
        {"ButtonAppendSheetsFromFile", {"ButtonAppendPartsFromFile"}},
    };
    return twins;
}

// Shared report words that take the caption of a control.
struct WordFromControl {
    std::string* Word;
    const char* Control;
};
const std::vector<WordFromControl>& WordsFromControls() {
    static const std::vector<WordFromControl> words = {
        {&OffcutCaption, "TabSheetOffcuts"},
        {&OffcutsCaption, "TabSheetOffcuts"},
        {&LayoutsCaption, "TabSheetLayout"},
        {&LabelCaption, "LabelLayoutLabel"},
        {&MaterialTypeCaption, "LabelLayoutType"},
        {&QtyCaption, "LabelLayoutQty"},
        {&LengthCaption, "LabelLayoutLength"},
        {&WidthCaption, "LabelLayoutWidth"},
        {&LengthEdgeCaption, "LabelSetupLengthEdge"},
        {&WidthEdgeCaption, "LabelSetupWidthEdge"},
        {&UtilizationCaption, "LabelLayoutUtilization"},
        {&CostCaption, "LabelLayoutCost"},
        {&WasteCaption, "LabelLayoutWaste"},
        {&BladeWidthCaption, "LabelSetupBladeWidth"},
        {&PartsInLayoutCaption, "LabelPartsInLayout"},
        {&ProfilesCaption, "TabSheetAnyShape"},
        {&CostOptimizeCaption, "CheckBoxCostOptimize"},
        {&FastOptimizeCaption, "CheckBoxFastSpeed"},
        {&MeasureCaption, "LabelSetupMeasure"},
        {&RawPanelsCaption, "TabSheetSheets"},
        {&AreaCaption, "LabelLayoutArea"},
        {&UsedQtyCaption, "LabelQty_Sheets"},
        {&PartsCaption, "TabSheetParts"},
        {&ReportCaption, "TabSheetReport"},
    };
    return words;
}

// Texts of a caption file: a line break is stored as "\n", a backslash as
// "\\"; any other backslash is read as it stands.
std::string EncodeCaptionText(std::string_view Text) {
    std::string out;
    for (std::size_t i = 0; i < Text.size(); ++i) {
        const char c = Text[i];
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '\r') {
            out += "\\n";
            if (i + 1 < Text.size() && Text[i + 1] == '\n') ++i;
        } else if (c == '\n') {
            out += "\\n";
        } else {
            out += c;
        }
    }
    return out;
}

std::string DecodeCaptionText(std::string_view Text) {
    std::string out;
    for (std::size_t i = 0; i < Text.size(); ++i) {
        const char c = Text[i];
        if (c == '\\' && i + 1 < Text.size() && Text[i + 1] == 'n') {
            out += "\r\n";
            ++i;
        } else if (c == '\\' && i + 1 < Text.size() && Text[i + 1] == '\\') {
            out += '\\';
            ++i;
        } else {
            out += c;
        }
    }
    return out;
}

std::string ReadText(const platform::TIniFile& Ini, std::string_view Section, std::string_view Key,
                     const std::string& Current) {
    if (!Ini.ValueExists(Section, Key)) return Current;
    return DecodeCaptionText(Ini.ReadString(Section, Key, ""));
}

void WriteText(platform::TIniFile& Ini, std::string_view Section, std::string_view Key,
               std::string_view Text) {
    Ini.WriteString(Section, Key, EncodeCaptionText(Text));
}

}  // namespace

const std::vector<TCaptionKey>& CaptionKeys() {
    return kKeys;
}

const TCaptionKey* FindCaptionKey(std::string_view Key) {
    for (const TCaptionKey& k : kKeys)
        if (SameText(k.Key, Key)) return &k;
    return nullptr;
}

std::string* CaptionStringVariable(std::string_view Name) {
    for (const PubStringEntry& e : PubStringTable())
        if (Name == e.Name) return e.Value;
    for (const NamedString& e : kMoreStrings)
        if (Name == e.Name) return e.Value;
    return nullptr;
}

const std::vector<TCaptionEditorItem>& CaptionEditorItems() {
    static const std::vector<TCaptionEditorItem> items = [] {
        std::vector<TCaptionEditorItem> list;
        const std::string dashes(16, '-');
        std::size_t next = 0;
        for (const Group& g : kGroups) {
            list.push_back({dashes + " " + g.Name + " " + dashes, nullptr});
            for (int i = 0; i < g.Count; ++i, ++next)
                list.push_back({std::string(kKeys[next].Key), &kKeys[next]});
        }
        list.push_back({std::string(2 * dashes.size() + 12, '-'), nullptr});
        return list;
    }();
    return items;
}

std::string DefaultCaptionFilePath() {
    return (std::filesystem::path(AppDir) / "default.cap").string();
}

TCaptionStore::TCaptionStore() {
    for (const BuiltIn& b : kBuiltIn) controls_[b.Name] = {b.Caption, b.Hint, {}};
    controls_["RadioGroupCutMode"].Items = {"Nested", "Guillotine", "Rolling"};
    controls_["RadioGroupLayoutsOrder"].Items = {"Utilization", "Sheet"};
    controls_["ComboBoxRotatable"].Items = {"Rotatable", "Non-rotatable"};
    controls_["ComboBoxBothOrEither"].Items = {"Rotatable", "Non-rotatable"};
    controls_["ComboBoxRectCircle"].Items = {"Rectangle", "Circle/Ellipse"};
    RefreshColourLabels();
    RefreshDerivedControls();
}

std::vector<std::string> TCaptionStore::ControlNames() const {
    std::vector<std::string> names;
    for (const auto& [name, text] : controls_) names.push_back(name);
    return names;
}

const TControlText* TCaptionStore::Find(std::string_view Name) const {
    auto it = controls_.find(Name);
    return it == controls_.end() ? nullptr : &it->second;
}

std::string TCaptionStore::Caption(std::string_view Name) const {
    const TControlText* c = Find(Name);
    return c ? c->Caption : std::string();
}

std::string TCaptionStore::ShownCaption(std::string_view Name) const {
    std::string c = Caption(Name);
    const std::size_t n = ColorCaption.size();
    if (Name == "LabelSetupEdgeColor" && n > 0 && c.size() > n &&
        c.compare(c.size() - n, n, ColorCaption) == 0 && c[c.size() - n - 1] != ' ')
        c.insert(c.size() - n, " ");
    return c;
}

std::string PlainCaptionText(const std::string& caption) {
    std::string out;
    out.reserve(caption.size());
    for (std::size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] != '&') {
            out += caption[i];
        } else if (i + 1 < caption.size() && caption[i + 1] == '&') {
            out += '&';
            ++i;
        }
    }
    return out;
}

std::string TCaptionStore::Hint(std::string_view Name) const {
    const TControlText* c = Find(Name);
    return c ? c->Hint : std::string();
}

std::vector<std::string> TCaptionStore::Items(std::string_view Name) const {
    const TControlText* c = Find(Name);
    return c ? c->Items : std::vector<std::string>();
}

TControlText& TCaptionStore::Control(std::string_view Name) {
    auto it = controls_.find(Name);
    if (it == controls_.end()) it = controls_.emplace(std::string(Name), TControlText()).first;
    return it->second;
}

void TCaptionStore::SetCaption(std::string_view Name, std::string Text) {
    Control(Name).Caption = std::move(Text);
}

void TCaptionStore::SetHint(std::string_view Name, std::string Text) {
    Control(Name).Hint = std::move(Text);
}

std::string TCaptionStore::KeyCaption(std::string_view Key) const {
    const TCaptionKey* k = FindCaptionKey(Key);
    if (!k) return std::string();
    switch (k->Kind) {
        case K::Control:
        case K::Menu:
            return Caption(k->Target);
        case K::String: {
            const std::string* v = CaptionStringVariable(k->Target);
            return v ? *v : std::string();
        }
        case K::HintOf:
            break;
    }
    return std::string();
}

std::string TCaptionStore::KeyHint(std::string_view Key) const {
    const TCaptionKey* k = FindCaptionKey(Key);
    if (!k || (k->Kind != K::Control && k->Kind != K::HintOf)) return std::string();
    return Hint(k->Target);
}

void TCaptionStore::ReadKey(const TCaptionKey& Key, const platform::TIniFile& Ini) {
    switch (Key.Kind) {
        case K::Control: {
            TControlText& c = Control(Key.Target);
            c.Caption = ReadText(Ini, kCaptionSection, Key.Key, c.Caption);
            c.Hint = ReadText(Ini, kHintSection, Key.Key, c.Hint);
            break;
        }
        case K::String:
            if (std::string* v = CaptionStringVariable(Key.Target))
                *v = ReadText(Ini, kCaptionSection, Key.Key, *v);
            break;
        case K::Menu: {
            TControlText& c = Control(Key.Target);
            c.Caption = ReadText(Ini, kCaptionSection, Key.Key, c.Caption);
            break;
        }
        case K::HintOf: {
            TControlText& c = Control(Key.Target);
            c.Hint = ReadText(Ini, kHintSection, Key.Key, c.Hint);
            break;
        }
    }
}

void TCaptionStore::WriteKey(const TCaptionKey& Key, platform::TIniFile& Ini) const {
    switch (Key.Kind) {
        case K::Control:
            WriteText(Ini, kCaptionSection, Key.Key, Caption(Key.Target));
            WriteText(Ini, kHintSection, Key.Key, Hint(Key.Target));
            break;
        case K::String:
            if (const std::string* v = CaptionStringVariable(Key.Target))
                WriteText(Ini, kCaptionSection, Key.Key, *v);
            break;
        case K::Menu:
            WriteText(Ini, kCaptionSection, Key.Key, Caption(Key.Target));
            break;
        case K::HintOf:
            WriteText(Ini, kHintSection, Key.Key, Hint(Key.Target));
            break;
    }
}

void TCaptionStore::ApplyEditor(const TCaptionKey& Key, const TCaptionEditor& Editor) {
    switch (Key.Kind) {
        case K::Control:
            SetCaption(Key.Target, Editor.EditModifyCaption);
            SetHint(Key.Target, Editor.EditModifyHint);
            break;
        case K::String:
            if (std::string* v = CaptionStringVariable(Key.Target)) *v = Editor.EditModifyCaption;
            break;
        case K::Menu:
            SetCaption(Key.Target, Editor.EditModifyCaption);
            break;
        case K::HintOf:
            SetHint(Key.Target, Editor.EditModifyHint);
            break;
    }
}

void TCaptionStore::LoadEditor(const TCaptionKey& Key, TCaptionEditor& Editor) const {
    switch (Key.Kind) {
        case K::Control:
            Editor.EditModifyCaption = Caption(Key.Target);
            Editor.EditModifyHint = Hint(Key.Target);
            break;
        case K::String: {
            const std::string* v = CaptionStringVariable(Key.Target);
            Editor.EditModifyCaption = v ? *v : std::string();
            Editor.HintEditVisible = false;
            break;
        }
        case K::Menu:
            Editor.EditModifyCaption = Caption(Key.Target);
            break;
        case K::HintOf:
            Editor.CaptionEditVisible = false;
            Editor.EditModifyHint = Hint(Key.Target);
            break;
    }
}

void TCaptionStore::SetCaptionIndex(int Index, TCaptionMode Mode, platform::TIniFile* Ini,
                                    TCaptionEditor* Editor) {
    const auto& items = CaptionEditorItems();
    if (Index < 0 || Index >= static_cast<int>(items.size())) return;
    const TCaptionKey* key = items[static_cast<std::size_t>(Index)].Key;
    if (!key) return;
    switch (Mode) {
        case TCaptionMode::Read:
            if (Ini) ReadKey(*key, *Ini);
            break;
        case TCaptionMode::Write:
            if (Ini) WriteKey(*key, *Ini);
            break;
        case TCaptionMode::ApplyEditor:
            if (Editor) ApplyEditor(*key, *Editor);
            break;
        case TCaptionMode::LoadEditor:
            if (Editor) LoadEditor(*key, *Editor);
            break;
    }
}

void TCaptionStore::ComboBoxInterfaceCaptionChange(TCaptionEditor& Editor) {
    Editor.EditModifyCaption.clear();
    Editor.EditModifyHint.clear();
    Editor.CaptionEditVisible = true;
    Editor.HintEditVisible = true;
    Editor.SelectedWhole = TCaptionEditor::TField::None;
    SetCaptionIndex(Editor.ComboBoxInterfaceCaption, TCaptionMode::LoadEditor, nullptr, &Editor);
}

void TCaptionStore::ButtonConfirmCaptionClick(const TCaptionEditor& Editor) {
    TCaptionEditor copy = Editor;
    SetCaptionIndex(Editor.ComboBoxInterfaceCaption, TCaptionMode::ApplyEditor, nullptr, &copy);
    RefreshCaption();
}

void TCaptionStore::ReadCaptionFile(const std::string& FileName) {
    // The whole file is read before any caption changes; one too large to
    // hold in memory changes nothing.
    std::optional<platform::TIniFile> read;
    try {
        read.emplace(FileName);
    } catch (const std::bad_alloc&) {
        WarnNoMemoryFor(FileName);
        return;
    }
    platform::TIniFile& Ini = *read;
    const int n = static_cast<int>(CaptionEditorItems().size());
    for (int i = 0; i < n; ++i) SetCaptionIndex(i, TCaptionMode::Read, &Ini, nullptr);
    RefreshCaption();
}

void TCaptionStore::WriteCaptionFile(const std::string& FileName) const {
    platform::TIniFile Ini = OpenIniForRewrite(FileName);
    for (const TCaptionEditorItem& item : CaptionEditorItems())
        if (item.Key) WriteKey(*item.Key, Ini);
    Ini.UpdateFile();
}

void TCaptionStore::ButtonSetAsDefaultCaptionClick() const {
    WriteCaptionFile(DefaultCaptionFilePath());
}

void TCaptionStore::RefreshCaption() {
    RefreshColourLabels();
    // The layout page's type label follows the group box before the report
    // word is taken from it, so the word is the same however often the
    // captions are refreshed.
    RefreshLayoutTypeLabel();
    RefreshSharedWords();
    RefreshDerivedControls();
    RefreshDxfSettings();
}

void TCaptionStore::RefreshColourLabels() {
    SetCaption("LabelSetupSheetColor", Caption("TabSheetSheets") + " " + ColorCaption);
    SetCaption("LabelSetupPartsColor", Caption("TabSheetParts") + " " + ColorCaption);
    SetCaption("LabelSetupEdgeColor", Caption("LabelSetupLengthEdge") + " && " +
                                          Caption("LabelSetupWidthEdge") + ColorCaption);
    SetCaption("LabelOffcutsColor", Caption("TabSheetOffcuts") + " " + ColorCaption);
}

void TCaptionStore::RefreshLayoutTypeLabel() {
    // The group box's built-in "Panels Type" names the settings box only; the
    // label (and with it the reports' word) keeps "Material Type" until the
    // user gives the group box a text of his own.
    const std::string box = Caption("GroupBoxMaterialType");
    SetCaption("LabelLayoutType", box == kPanelsTypeCaption ? std::string(kMaterialTypeLabel) : box);
}

void TCaptionStore::RefreshSharedWords() {
    for (const WordFromControl& w : WordsFromControls()) *w.Word = Caption(w.Control);
}

void TCaptionStore::RefreshDerivedControls() {
    for (const Twin& t : Twins()) {
        const TControlText source = Control(t.Source);
        for (const char* copy : t.Copies) {
            TControlText& c = Control(copy);
            c.Caption = source.Caption;
            c.Hint = source.Hint;
        }
    }

    SetCaption("ShowOffcuts", Caption("TabSheetOffcuts"));
    SetCaption("ShowLabel", PartLabelCaption);
    SetCaption("ShowLengthXWidth", DimensionCaption);
    SetCaption("ShowCutSequence", CutSequenceCaption);
    RefreshLayoutTypeLabel();

    SetCaption("LabelSelectLabel", PartLabelCaption);
    SetCaption("LabelSelectQty", PartQtyCaption);

    for (const char* b : {"ButtonSheetsExportExcel", "ButtonPartsExportExcel",
                          "ButtonOffcutsExportExcel", "ButtonPartsRackExportExcel"})
        SetCaption(b, ExportCaption);
    for (const char* b : {"ButtonImportSheets", "ButtonImportParts"}) SetCaption(b, ImportCaption);
    for (const char* b :
         {"ButtonPrintSheetLabel", "ButtonPrintPartLabel", "ButtonPrintOffcutRackLabel",
          "ButtonPrintProfileLabel", "ButtonPrintLayoutsLabel", "ButtonPrintPartRackLabel"})
        SetCaption(b, sPrintLabel);
    SetCaption("CheckBoxDisableOffcutsRack", sDisableOffcutsRack);
    SetCaption("CheckBoxDisablePartsRack", sDiablePartsRack);
    SetCaption("ButtonSheetsDeleteEmpty", sButtonDeleteEmpty);
    SetCaption("ButtonPartsDeleteEmpty", sButtonDeleteEmpty);

    TControlText& order = Control("RadioGroupLayoutsOrder");
    order.Caption = OrderOfLayoutsCaption;
    order.Items = {UtilizationCaption, Caption("TabSheetSheets")};
    Control("RadioGroupCutMode").Items = {NestedCaption, GuillotineCaption, RollingCaption};

    SetCaption("LabeledEditOffcutsPrefix", OffcutsPrefixCaption);
    SetCaption("LabelOptimizeSpeedTrackbar", FastestToMaxUtilizationSpeedBarCaption);
    SetCaption("ButtonGrindingAndBandSetting", BandCaption + " && " + GrindingCaption);
    SetCaption("GroupBoxPartsEdge", Caption("ButtonGrindingAndBandSetting"));

    Control("ComboBoxRectCircle").Items = {RectangleShapeCaption, CircleShapeCaption};
    Control("ComboBoxRotatable").Items = {RotatableCaption, NonRotatableCaption};
    Control("ComboBoxBothOrEither").Items = {RotatableCaption, NonRotatableCaption};
}

void TCaptionStore::RefreshDxfSettings() {
    DxfExportLines = DxfPolylineExporting != "Y";
    std::string decimal;
    FractionToDecimalStr(DxfTextFontSize, decimal);
    if (decimal.empty()) return;
    try {
        const double h = PubFunc.StrToUnits(decimal) / 1000.0;
        DxfTextHeight = h < 0 ? -h : h;
    } catch (const EConvertError&) {
    } catch (const ERangeError&) {
    }
}
