#include "engine/pubstr.h"

#include <stdexcept>

std::string MsgManualLock;
std::string MsgSheetLabelCantBeEmpty;
std::string MsgSheetLengthFormatInvalid;
std::string MsgSheetWidthFormatInvalid;
std::string MsgSheetQtyFormatInvalid;
std::string MsgSheetCostFormatInvalid;
std::string MsgSheetPriorityFormatInvalid;
std::string MsgOffcutLengthFormatInvalid;
std::string MsgOffcutWidthFormatInvalid;
std::string MsgOffcutQtyFormatInvalid;
std::string MsgPartLabelCantBeEmpty;
std::string MsgPartLengthFormatInvalid;
std::string MsgPartWidthFormatInvalid;
std::string MsgPartQtyFormatInvalid;
std::string MsgScrollLayoutTotal;
std::string MsgScrollLayoutCurrent;
std::string MsgOpenFileTitle;
std::string MsgSaveFileTitle;
std::string MsgSaveAsFileTitle;
std::string MsgSheetDataIsEmpty;
std::string MsgPartDataIsEmpty;
std::string MsgBladeWidthFormatInvalid;
std::string MsgMinOffcutSizeWidthFormatInvalid;
std::string MsgWidthEdgeFormatInvalid;
std::string MsgLengthEdgeFormatInvalid;
std::string MsgMinScrapLengthFormatInvalid;
std::string MsgMinScrapWidthFormatInvalid;
std::string MsgLayoutIsEmpty;
std::string MsgCantReadImportTxtFile;
std::string MsgLabelIsntUnique;
std::string MsgCantGetResult;
std::string MsgTotalPartAreaLargerThanSheetArea;
std::string MsgSelectShapeLabelEmpty;
std::string MsgShapeParaFormatInvalid;
std::string MsgProfileFileFormatError;
std::string MsgDxfErrorOutside;
std::string MsgNotFindPolylineData;
std::string MsgCantOpenFile;
std::string MsgSameFieldError;
std::string MsgNeedInstallExcel;
std::string MsgNeedExcel;
std::string MsgDxfFileNotFound;
std::string MsgInvalidData;
std::string OffcutCaption;
std::string PartLabelCaption;
std::string PartLengthCaption;
std::string PartWidthCaption;
std::string PartQtyCaption;
std::string MaxPartsQtyCaption;
std::string UsedPartsQtyCaption;
std::string PartShapeCaption;
std::string PartRotateCaption;
std::string CommentCaption;
std::string SqrCaption;
std::string ColorCaption;
std::string UsableLengthCaption;
std::string UsableWidthCaption;
std::string UsableAreaCaption;
std::string TrueCaption;
std::string FalseCaption;
std::string SheetUsedCaption;
std::string SheetRestCaption;
std::string SheetsPriorityCaption;
std::string LastBoardUtilizationCaption;
std::string TotalUsableAreaCaption;
std::string TotalCostCaption;
std::string TotalWasteAreaCaption;
std::string LastBoardWasteAreaCaption;
std::string ConfirmDataCaption;
std::string CancelDataCaption;
std::string SlotQtyCaption;
std::string AddMaterialTypeCaption;
std::string DeleteMaterialTypeCaption;
std::string ModifyMaterialTypeCaption;
std::string RemoveAllMaterialTypeCaption;
std::string SaveMaterialTypeCaption;
std::string RectangleShapeCaption;
std::string CircleShapeCaption;
std::string StandardProfileVarNameCaption;
std::string StandardProfileValueCaption;
std::string LayoutsCaption;
std::string RawPanelsCaption;
std::string PartsCaption;
std::string ProfilesCaption;
std::string OffcutsCaption;
std::string ReportCaption;
std::string LabelCaption;
std::string MaterialTypeCaption;
std::string QtyCaption;
std::string LengthCaption;
std::string WidthCaption;
std::string BladeWidthCaption;
std::string LengthEdgeCaption;
std::string WidthEdgeCaption;
std::string AreaCaption;
std::string UtilizationCaption;
std::string CostCaption;
std::string WasteCaption;
std::string PartsInLayoutCaption;
std::string GuillotineCaption;
std::string CostOptimizeCaption;
std::string FastOptimizeCaption;
std::string MeasureCaption;
std::string UsedQtyCaption;
std::string ImportCaption;
std::string ExportCaption;
std::string IgnoreCaption;
std::string TotalUsableOffcutsAreaCaption;
std::string UtilizationIncludeUsableOffcutsCaption;
std::string HarpRackReportButton;
std::string WaitingCaption;
std::string IncludeColumnTitlesCaption;
std::string sPrintLabelInch;
std::string sPrintLabelMm;
std::string sPrintLabel;
std::string sPrintLabelColumnQty;
std::string sPrintLabelRowQty;
std::string sPrintLabelHoriGap;
std::string sPrintLabelVertGap;
std::string sPrintLabelWidthMarge;
std::string sPrintLabelLengthMarge;
std::string sPrintLabelEnableTitle;
std::string sPrintLabelTopTitleWidth;
std::string sPrintLabelLeftTitleLength;
std::string sPrintLabelRow;
std::string sPrintLabelCol;
std::string sPrintLabelPrintSetup;
std::string sPrintLabelPrintAll;
std::string sPrintLabelPrintSelected;
std::string sPrintLabelFrom;
std::string sPrintLabelFromRow;
std::string sPrintLabelFromCol;
std::string sLabelScheme;
std::string sDisableOffcutsRack;
std::string sDiablePartsRack;
std::string sPrintLabelPreview;
std::string sButtonDeleteEmpty;
std::string PrintLayoutRowsPerPageCaption;
std::string PrintLayoutColumnsPerPageCaption;
std::string OrderOfLayoutsCaption;
std::string NestedCaption;
std::string RollingCaption;
std::string DateCaption;
std::string TimeCaption;
std::string OffcutsPrefixCaption;
std::string DistinctLabelCaption;
std::string DimensionCaption;
std::string FastestToMaxUtilizationSpeedBarCaption;
std::string BandAndGrindingLabelCaption;
std::string GrindingCaption;
std::string BandCaption;
std::string PartsBGTypeCaption;
std::string RotatableCaption;
std::string NonRotatableCaption;
std::string CutSequenceCaption;
std::string ProductName;
std::string VersionCaption;
std::string VersionNumber;
std::string MyCompanyInformation;
std::string OffcutPrefix;
std::string ZeroOffcutPrefix;
std::string MeasureUnitName;
std::string ProjectTitle;
std::string PrinterFontName;
std::string LabelFontName;
std::string DimFontName;
std::string PositionFontName;
std::string CutSeqFontName;
std::string PrintLabelFontName;
std::string DxfLayerSheet;
std::string DxfLayerOffcuts;
std::string DxfLayerParts;
std::string DxfLayerPartsLabel;
std::string DxfLayerPartsOrigin;
std::string DxfLayerPartsLxW;
std::string DxfLayerReport;
std::string DxfTextFontSize;
std::string DxfPolylineExporting;
std::string ExSheetFileName;
std::string ExPartFileName;
std::string GCodeCutPrefix;
std::string GCodePlungePrefix;
std::string GCodeNumberSuffix;
std::string BladeWidthText;
std::string WidthEdgeText;
std::string LengthEdgeText;
std::string MinScrapLengthText;
std::string MinScrapWidthText;
std::string MinOffcutSizeText;
std::string DirSheets;
std::string DirParts;
std::string DirOffcuts;
std::string DirProfiles;
std::string DirPartsRack;
std::string DirImportDxfs;
std::string DirImportSheetsTxt;
std::string DirImportSheetsExcel;
std::string DirImportPartsTxt;
std::string DirImportPartsExcel;
std::string DirExportSheetsTxt;
std::string DirExportSheetsExcel;
std::string DirExportPartsTxt;
std::string DirExportPartsExcel;
std::string DirExportOffcutsTxt;
std::string DirExportOffcutsExcel;
std::string DirExportPartsRackTxt;
std::string DirExportPartsRackExcel;
std::string DirExportHtml;
std::string DirExportDxf;
std::string DirExportCnc;
std::int32_t MeasureDecimals{};
std::int32_t BladeWidth{};
std::int32_t WidthEdge{};
std::int32_t LengthEdge{};
std::int32_t MinScrapLength{};
std::int32_t MinScrapWidth{};
bool OffcutLenRotatable{};
std::int32_t MinOffcutSize{};
bool GuillotineMode{};
bool RollingMode{};
bool FastOptimize{};
bool CostOptimize{};
bool OrderOptimize{};
bool CompareEqualLayouts{};
bool KeepPlacements{};
bool MergeCommonCuts{};
bool SeedsIgnoreGuillotine{};
std::int32_t MaxCandidateLayouts{};
bool FewPiecesMode{};
bool FewPartKinds{};
bool SeedsFromRefine{};
bool GCodeZMoves{};
std::int32_t GCodeCutExtension{};
bool DxfExportLines{};
double DxfTextHeight{};
bool LayoutShowLabel{};
bool LayoutShowXYPos{};
bool LayoutShowLengthXWidth{};
bool LayoutShowOffcuts{};
bool AnimateCutSequence{};
bool PartsInLayout{};
bool PrintingComment{};
bool ReportAllRawPanels{};
bool ReportAllParts{};
std::int32_t PrinterFontSize{};
std::int32_t LabelFontSize{};
std::int32_t DimFontSize{};
std::int32_t PositionFontSize{};
std::int32_t CutSeqFontSize{};
std::int32_t PrintLabelFontSize{};
bool AutoPrinterFontSize{};
std::int32_t AutoPrinterFontZoom{};
std::int32_t SheetsLabelPrintIndex{};
std::int32_t PartsLabelPrintIndex{};
std::int32_t ProfilesLabelPrintIndex{};
std::int32_t OffcutsRackLabelPrintIndex{};
std::int32_t PartsRackLabelPrintIndex{};
std::int32_t LayoutsLabelPrintIndex{};
bool DisableOffcutsRack{};
bool DisablePartsRack{};
bool AutoSavePanel{};
bool AutoSavePart{};
bool AutoSaveOffcut{};
bool AutoSavePartRack{};
bool AutoSaveProfile{};
bool AutoMode{};
bool HideMode{};
bool UpdateMode{};
bool ImportSheetsMode{};
std::string LayoutsPrintCol{};
std::string LayoutsPrintRow{};
bool LayoutsPrintParts{};
std::string AppDir;
std::int64_t OptimizeStartTime = 0;
std::int64_t OptimizeTimeLimit = 0;
std::int64_t OptimizeElapsedSeconds = 0;
std::int32_t OptimizeSpeed = 0;
std::int32_t OptimizeStepCount = 0;
std::vector<std::string> OptimizeNotes;
std::string ReportTitle;
std::int64_t PubRandSeed = kPubRandomStartSeed;

void ResetPubStrDefaults() {
    MsgManualLock = "before you confirm or cancel the manual in layout, all are DISABLE";
    MsgSheetLabelCantBeEmpty = "Current Panel Label can't be empty";
    MsgSheetLengthFormatInvalid = "Current Panel Length format error";
    MsgSheetWidthFormatInvalid = "Current Panel Width format error";
    MsgSheetQtyFormatInvalid = "Current Panel quantity format error";
    MsgSheetCostFormatInvalid = "Current Panel cost format error or can't be ZERO when checked COST OPTIMIZE";
    MsgSheetPriorityFormatInvalid = "Current Panel priority format error";
    MsgOffcutLengthFormatInvalid = "Current offcut Length format error";
    MsgOffcutWidthFormatInvalid = "Current offcut Width format error";
    MsgOffcutQtyFormatInvalid = "Current offcut quantity format error";
    MsgPartLabelCantBeEmpty = "Current part Label can't be empty";
    MsgPartLengthFormatInvalid = "Current part Length format error";
    MsgPartWidthFormatInvalid = "Current part Width format error";
    MsgPartQtyFormatInvalid = "Current part quantity format error";
    MsgScrollLayoutTotal = "TOTAL";
    MsgScrollLayoutCurrent = "CURRENT";
    MsgOpenFileTitle = "Open File";
    MsgSaveFileTitle = "Save File";
    MsgSaveAsFileTitle = "Save As";
    MsgSheetDataIsEmpty = "panels data is empty";
    MsgPartDataIsEmpty = "Parts data is empty";
    MsgBladeWidthFormatInvalid = "define blade width format error in settings tab, = 0 , 0.002, 0.004 , 0.006 ... 999.998";
    MsgMinOffcutSizeWidthFormatInvalid = "define minimum offcut size format error in settings tab";
    MsgWidthEdgeFormatInvalid = "define width edge format error in settings tab";
    MsgLengthEdgeFormatInvalid = "define length edge format error in settings tab";
    MsgMinScrapLengthFormatInvalid = "define Min. Scrap Length format error in setup tab";
    MsgMinScrapWidthFormatInvalid = "define Min. Scrap Width format error in setup tab";
    MsgLayoutIsEmpty = "Layout is empty, please click optimize button in Toolbar";
    MsgCantReadImportTxtFile = "Can't read import txt file";
    MsgLabelIsntUnique = "label isn't unique";
    MsgCantGetResult =
        "Not enough material for the requested parts, optimalization incomplete\r\n"
        "Can't Get result, because of\r\n"
        "small sheets size,\r\n"
        "large parts size,\r\n"
        "less sheets quantity,\r\n"
        "large edge size,\r\n"
        "large minimum offcut size,\r\n"
        "different material type between panels and parts\r\n"
        "If you want to report the question, please click Menu->File->Support item, send all dump.* files in the install folder to us, thank you.";
    MsgTotalPartAreaLargerThanSheetArea = "Total area of Parts is larger than total area of panels";
    MsgSelectShapeLabelEmpty = "Select profile label is empty";
    MsgShapeParaFormatInvalid = "profile variant value is invalid";
    MsgProfileFileFormatError = "profile file format is invalid";
    MsgDxfErrorOutside = "DXF polyline size must less than 999.999";
    MsgNotFindPolylineData = "Not find any profiles in DXF file";
    MsgCantOpenFile = "File isn't exist or file being used";
    MsgSameFieldError = "Same field error";
    MsgNeedInstallExcel = "Excel may not be installed";
    MsgNeedExcel = "need EXCEL";
    MsgDxfFileNotFound = "DXF file is not found, or is opened by another software";
    MsgInvalidData = "Invalid data";
    OffcutCaption = "Offcut";
    PartLabelCaption = "Label";
    PartLengthCaption = "Length";
    PartWidthCaption = "Width";
    PartQtyCaption = "Qty";
    MaxPartsQtyCaption = "Max Qty";
    UsedPartsQtyCaption = "Used Qty";
    PartShapeCaption = "Rec/Cir";
    PartRotateCaption = "Rotate";
    CommentCaption = "Comment";
    SqrCaption = ".sq.";
    ColorCaption = "Color";
    UsableLengthCaption = "USABLE LENGTH";
    UsableWidthCaption = "USABLE WIDTH";
    UsableAreaCaption = "USABLE AREA";
    TrueCaption = "YES";
    FalseCaption = "NO";
    SheetUsedCaption = "USED";
    SheetRestCaption = "REST";
    SheetsPriorityCaption = "Priority";
    LastBoardUtilizationCaption = "LAST BOARD UTILIZATION";
    TotalUsableAreaCaption = "TOTAL USABLE AREA";
    TotalCostCaption = "TOTAL SHEET COST";
    TotalWasteAreaCaption = "TOTAL WASTE AREA";
    LastBoardWasteAreaCaption = "THE LAST BOARD WASTE AREA";
    ConfirmDataCaption = "OK";
    CancelDataCaption = "Cancel";
    SlotQtyCaption = "Slot Qty";
    AddMaterialTypeCaption = "Add";
    DeleteMaterialTypeCaption = "Delete";
    ModifyMaterialTypeCaption = "Modify";
    RemoveAllMaterialTypeCaption = "Remove All";
    SaveMaterialTypeCaption = "Save";
    RectangleShapeCaption = "Rectangle";
    CircleShapeCaption = "Circle";
    StandardProfileVarNameCaption = "Var Name";
    StandardProfileValueCaption = "Value";
    LayoutsCaption = "Layouts";
    RawPanelsCaption = "RAW Panels";
    PartsCaption = "Parts";
    ProfilesCaption = "Profiles";
    OffcutsCaption = "Offcuts";
    ReportCaption = "Report";
    LabelCaption = "Label";
    MaterialTypeCaption = "Material Type";
    QtyCaption = "Qty";
    LengthCaption = "Length";
    WidthCaption = "Width";
    BladeWidthCaption = "Blade Width";
    LengthEdgeCaption = "Length Edge";
    WidthEdgeCaption = "Width Edge";
    AreaCaption = "Area";
    UtilizationCaption = "Utilization";
    CostCaption = "Cost";
    WasteCaption = "Waste";
    PartsInLayoutCaption = "Parts in Layout";
    GuillotineCaption = "Guillotine";
    CostOptimizeCaption = "Cost Optimize";
    FastOptimizeCaption = "Fast Optimize";
    MeasureCaption = "Measure";
    UsedQtyCaption = "Qty";
    ImportCaption = "Import";
    ExportCaption = "Export";
    IgnoreCaption = "Ignore";
    TotalUsableOffcutsAreaCaption = "USABLE OFFCUT AREA";
    UtilizationIncludeUsableOffcutsCaption = "Utilization Include Usable Offcuts";
    HarpRackReportButton = "Summary";
    WaitingCaption = "Please Waiting";
    IncludeColumnTitlesCaption = "Include Column Titles";
    sPrintLabelInch = "inch";
    sPrintLabelMm = "mm";
    sPrintLabel = "Print Label";
    sPrintLabelColumnQty = "Column";
    sPrintLabelRowQty = "Row";
    sPrintLabelHoriGap = "Horizontal Label to Label Gap";
    sPrintLabelVertGap = "Vertical Label to Label Gap";
    sPrintLabelWidthMarge = "Printer Paper Width Marge";
    sPrintLabelLengthMarge = "Printer Paper Length Marge";
    sPrintLabelEnableTitle = "Enable";
    sPrintLabelTopTitleWidth = "Top Tital Width";
    sPrintLabelLeftTitleLength = "Left Title Length";
    sPrintLabelRow = "Row";
    sPrintLabelCol = "Column";
    sPrintLabelPrintSetup = "Printer Setup";
    sPrintLabelPrintAll = "Print All";
    sPrintLabelPrintSelected = "Print Selected";
    sPrintLabelFrom = "Print From";
    sPrintLabelFromRow = "Row";
    sPrintLabelFromCol = "Col";
    sLabelScheme = "Label Scheme";
    sDisableOffcutsRack = "Disable Offcuts Rack";
    sDiablePartsRack = "Disable Parts Rack";
    sPrintLabelPreview = "Label Preview";
    sButtonDeleteEmpty = "Delete Empty";
    PrintLayoutRowsPerPageCaption = "Rows Per Page";
    PrintLayoutColumnsPerPageCaption = "Columns Per Page";
    OrderOfLayoutsCaption = "Order";
    NestedCaption = "Nested";
    RollingCaption = "Rolling";
    DateCaption = "Date";
    TimeCaption = "Time";
    OffcutsPrefixCaption = "Offcuts Prefix";
    DistinctLabelCaption = "Distinct";
    DimensionCaption = "Dimensions";
    FastestToMaxUtilizationSpeedBarCaption = " << fastest  |  Max.  Optimization >> ";
    BandAndGrindingLabelCaption = "Name";
    GrindingCaption = "Grinding";
    BandCaption = "Band";
    PartsBGTypeCaption = "BG Type";
    RotatableCaption = "Rotatable";
    NonRotatableCaption = "Non-Rotatable";
    CutSequenceCaption = "Cut Sequence";
    ProductName = "Tessaly";
    VersionCaption = "Version";
    VersionNumber = "0.1.0";
    MyCompanyInformation = "Tessaly cutting planner";
    OffcutPrefix = "OFFCUT_";
    ZeroOffcutPrefix = "ZEROOFFCUT_";
    MeasureUnitName = "inch";
    ProjectTitle = "PROJECT 1";
    PrinterFontName = "MS Mincho";
    LabelFontName = "MS Mincho";
    DimFontName = "MS Mincho";
    PositionFontName = "MS Mincho";
    CutSeqFontName = "MS Mincho";
    PrintLabelFontName = "MS Mincho";
    DxfLayerSheet = "sheet";
    DxfLayerOffcuts = "offcuts";
    DxfLayerParts = "parts";
    DxfLayerPartsLabel = "parts label";
    DxfLayerPartsOrigin = "parts origin";
    DxfLayerPartsLxW = "parts length x width";
    DxfLayerReport = "Layout Report";
    DxfTextFontSize = "4.0";
    DxfPolylineExporting = "Y";
    ExSheetFileName = "ExSheet.txt";
    ExPartFileName = "ExPart.txt";
    GCodeCutPrefix = "70";
    GCodePlungePrefix = "700000";
    GCodeNumberSuffix = ".0000";
    BladeWidthText = "0";
    WidthEdgeText = "0";
    LengthEdgeText = "0";
    MinScrapLengthText = "0";
    MinScrapWidthText = "0";
    MinOffcutSizeText = "0";
    MeasureDecimals = 3;
    BladeWidth = 0;
    WidthEdge = 0;
    LengthEdge = 0;
    MinScrapLength = 0;
    MinScrapWidth = 0;
    OffcutLenRotatable = true;
    MinOffcutSize = 0;
    GuillotineMode = false;
    RollingMode = true;
    FastOptimize = true;
    CostOptimize = false;
    OrderOptimize = false;
    CompareEqualLayouts = false;
    KeepPlacements = false;
    MergeCommonCuts = true;
    SeedsIgnoreGuillotine = false;
    MaxCandidateLayouts = 32768;
    FewPiecesMode = false;
    FewPartKinds = true;
    SeedsFromRefine = false;
    GCodeZMoves = true;
    GCodeCutExtension = 0;
    DxfExportLines = false;
    DxfTextHeight = 4.0;
    LayoutShowLabel = true;
    LayoutShowXYPos = false;
    LayoutShowLengthXWidth = false;
    LayoutShowOffcuts = false;
    AnimateCutSequence = true;
    PartsInLayout = false;
    PrintingComment = false;
    ReportAllRawPanels = false;
    ReportAllParts = false;
    PrinterFontSize = 72;
    LabelFontSize = 72;
    DimFontSize = 72;
    PositionFontSize = 72;
    CutSeqFontSize = 72;
    PrintLabelFontSize = 8;
    AutoPrinterFontSize = true;
    AutoPrinterFontZoom = 99;
    SheetsLabelPrintIndex = 0;
    PartsLabelPrintIndex = 0;
    ProfilesLabelPrintIndex = 0;
    OffcutsRackLabelPrintIndex = 0;
    PartsRackLabelPrintIndex = 0;
    LayoutsLabelPrintIndex = 0;
    DisableOffcutsRack = false;
    DisablePartsRack = false;
    AutoSavePanel = true;
    AutoSavePart = true;
    AutoSaveOffcut = true;
    AutoSavePartRack = true;
    AutoSaveProfile = true;
    AutoMode = false;
    HideMode = false;
    UpdateMode = false;
    ImportSheetsMode = false;
    LayoutsPrintCol = std::string();
    LayoutsPrintRow = std::string();
    LayoutsPrintParts = false;
    DirSheets.clear();
    DirParts.clear();
    DirOffcuts.clear();
    DirProfiles.clear();
    DirPartsRack.clear();
    DirImportDxfs.clear();
    DirImportSheetsTxt.clear();
    DirImportSheetsExcel.clear();
    DirImportPartsTxt.clear();
    DirImportPartsExcel.clear();
    DirExportSheetsTxt.clear();
    DirExportSheetsExcel.clear();
    DirExportPartsTxt.clear();
    DirExportPartsExcel.clear();
    DirExportOffcutsTxt.clear();
    DirExportOffcutsExcel.clear();
    DirExportPartsRackTxt.clear();
    DirExportPartsRackExcel.clear();
    DirExportHtml.clear();
    DirExportDxf.clear();
    DirExportCnc.clear();
    OptimizeStartTime = 0;
    OptimizeTimeLimit = 0;
    OptimizeElapsedSeconds = 0;
    OptimizeSpeed = 0;
    OptimizeStepCount = 0;
    OptimizeNotes.clear();
    ReportTitle.clear();
    PubRandSeed = kPubRandomStartSeed;
}

namespace {
// Start-up values are in place before any other code runs.
const bool kDefaultsSet = (ResetPubStrDefaults(), true);
}  // namespace

std::int32_t PubRandom(std::int32_t N) {
    if (N < 1) throw std::domain_error("Division by zero");
    // A linear congruential step: state x 214013 + 2531011 in 64-bit
    // arithmetic that wraps round on overflow (done unsigned, where wrapping
    // is defined); the draw is (result div 65536) mod 32768, taken mod N, and
    // only the result mod 65536 is kept as the next state.
    auto next = static_cast<std::uint64_t>(PubRandSeed) * 214013u + 2531011u;
    PubRandSeed = static_cast<std::int64_t>(next);
    const std::int32_t r = static_cast<std::int32_t>(((PubRandSeed / 65536) % 32768) % N);
    PubRandSeed = PubRandSeed % 65536;
    return r;
}

void PubRandomSkip(std::int64_t Count) {
    if (Count <= 0) return;
    // After its first call the generator's state is below 65536 and moves
    // as s := (214013 s + 2531011) mod 65536, an affine map: Count calls
    // are that map composed Count times.
    if (PubRandSeed < 0 || PubRandSeed >= 65536) {
        PubRandom(1);
        --Count;
    }
    std::uint32_t a = 214013u % 65536u, c = 2531011u % 65536u;  // one call
    std::uint32_t total_a = 1, total_c = 0;                       // none yet
    for (auto k = static_cast<std::uint64_t>(Count); k != 0; k /= 2) {
        if (k % 2 == 1) {
            total_a = (a * total_a) % 65536u;
            total_c = (a * total_c + c) % 65536u;
        }
        c = (a * c + c) % 65536u;
        a = (a * a) % 65536u;
    }
    PubRandSeed = (total_a * static_cast<std::uint32_t>(PubRandSeed) + total_c) % 65536u;
}

std::string PubStrCopy(const std::string& S) { return S; }

const std::vector<PubStringEntry>& PubStringTable() {
    static const std::vector<PubStringEntry> table = {
        {"MsgManualLock", &MsgManualLock},
        {"MsgSheetLabelCantBeEmpty", &MsgSheetLabelCantBeEmpty},
        {"MsgSheetLengthFormatInvalid", &MsgSheetLengthFormatInvalid},
        {"MsgSheetWidthFormatInvalid", &MsgSheetWidthFormatInvalid},
        {"MsgSheetQtyFormatInvalid", &MsgSheetQtyFormatInvalid},
        {"MsgSheetCostFormatInvalid", &MsgSheetCostFormatInvalid},
        {"MsgSheetPriorityFormatInvalid", &MsgSheetPriorityFormatInvalid},
        {"MsgOffcutLengthFormatInvalid", &MsgOffcutLengthFormatInvalid},
        {"MsgOffcutWidthFormatInvalid", &MsgOffcutWidthFormatInvalid},
        {"MsgOffcutQtyFormatInvalid", &MsgOffcutQtyFormatInvalid},
        {"MsgPartLabelCantBeEmpty", &MsgPartLabelCantBeEmpty},
        {"MsgPartLengthFormatInvalid", &MsgPartLengthFormatInvalid},
        {"MsgPartWidthFormatInvalid", &MsgPartWidthFormatInvalid},
        {"MsgPartQtyFormatInvalid", &MsgPartQtyFormatInvalid},
        {"MsgScrollLayoutTotal", &MsgScrollLayoutTotal},
        {"MsgScrollLayoutCurrent", &MsgScrollLayoutCurrent},
        {"MsgOpenFileTitle", &MsgOpenFileTitle},
        {"MsgSaveFileTitle", &MsgSaveFileTitle},
        {"MsgSaveAsFileTitle", &MsgSaveAsFileTitle},
        {"MsgSheetDataIsEmpty", &MsgSheetDataIsEmpty},
        {"MsgPartDataIsEmpty", &MsgPartDataIsEmpty},
        {"MsgBladeWidthFormatInvalid", &MsgBladeWidthFormatInvalid},
        {"MsgMinOffcutSizeWidthFormatInvalid", &MsgMinOffcutSizeWidthFormatInvalid},
        {"MsgWidthEdgeFormatInvalid", &MsgWidthEdgeFormatInvalid},
        {"MsgLengthEdgeFormatInvalid", &MsgLengthEdgeFormatInvalid},
        {"MsgMinScrapLengthFormatInvalid", &MsgMinScrapLengthFormatInvalid},
        {"MsgMinScrapWidthFormatInvalid", &MsgMinScrapWidthFormatInvalid},
        {"MsgLayoutIsEmpty", &MsgLayoutIsEmpty},
        {"MsgCantReadImportTxtFile", &MsgCantReadImportTxtFile},
        {"MsgLabelIsntUnique", &MsgLabelIsntUnique},
        {"MsgCantGetResult", &MsgCantGetResult},
        {"MsgTotalPartAreaLargerThanSheetArea", &MsgTotalPartAreaLargerThanSheetArea},
        {"MsgSelectShapeLabelEmpty", &MsgSelectShapeLabelEmpty},
        {"MsgShapeParaFormatInvalid", &MsgShapeParaFormatInvalid},
        {"MsgProfileFileFormatError", &MsgProfileFileFormatError},
        {"MsgDxfErrorOutside", &MsgDxfErrorOutside},
        {"MsgNotFindPolylineData", &MsgNotFindPolylineData},
        {"MsgCantOpenFile", &MsgCantOpenFile},
        {"MsgSameFieldError", &MsgSameFieldError},
        {"MsgNeedInstallExcel", &MsgNeedInstallExcel},
        {"MsgNeedExcel", &MsgNeedExcel},
        {"MsgDxfFileNotFound", &MsgDxfFileNotFound},
        {"MsgInvalidData", &MsgInvalidData},
        {"OffcutCaption", &OffcutCaption},
        {"PartLabelCaption", &PartLabelCaption},
        {"PartLengthCaption", &PartLengthCaption},
        {"PartWidthCaption", &PartWidthCaption},
        {"PartQtyCaption", &PartQtyCaption},
        {"MaxPartsQtyCaption", &MaxPartsQtyCaption},
        {"UsedPartsQtyCaption", &UsedPartsQtyCaption},
        {"PartShapeCaption", &PartShapeCaption},
        {"PartRotateCaption", &PartRotateCaption},
        {"CommentCaption", &CommentCaption},
        {"SqrCaption", &SqrCaption},
        {"ColorCaption", &ColorCaption},
        {"UsableLengthCaption", &UsableLengthCaption},
        {"UsableWidthCaption", &UsableWidthCaption},
        {"UsableAreaCaption", &UsableAreaCaption},
        {"TrueCaption", &TrueCaption},
        {"FalseCaption", &FalseCaption},
        {"SheetUsedCaption", &SheetUsedCaption},
        {"SheetRestCaption", &SheetRestCaption},
        {"SheetsPriorityCaption", &SheetsPriorityCaption},
        {"LastBoardUtilizationCaption", &LastBoardUtilizationCaption},
        {"TotalUsableAreaCaption", &TotalUsableAreaCaption},
        {"TotalCostCaption", &TotalCostCaption},
        {"TotalWasteAreaCaption", &TotalWasteAreaCaption},
        {"LastBoardWasteAreaCaption", &LastBoardWasteAreaCaption},
        {"ConfirmDataCaption", &ConfirmDataCaption},
        {"CancelDataCaption", &CancelDataCaption},
        {"SlotQtyCaption", &SlotQtyCaption},
        {"AddMaterialTypeCaption", &AddMaterialTypeCaption},
        {"DeleteMaterialTypeCaption", &DeleteMaterialTypeCaption},
        {"ModifyMaterialTypeCaption", &ModifyMaterialTypeCaption},
        {"RemoveAllMaterialTypeCaption", &RemoveAllMaterialTypeCaption},
        {"SaveMaterialTypeCaption", &SaveMaterialTypeCaption},
        {"RectangleShapeCaption", &RectangleShapeCaption},
        {"CircleShapeCaption", &CircleShapeCaption},
        {"StandardProfileVarNameCaption", &StandardProfileVarNameCaption},
        {"StandardProfileValueCaption", &StandardProfileValueCaption},
        {"LayoutsCaption", &LayoutsCaption},
        {"RawPanelsCaption", &RawPanelsCaption},
        {"PartsCaption", &PartsCaption},
        {"ProfilesCaption", &ProfilesCaption},
        {"OffcutsCaption", &OffcutsCaption},
        {"ReportCaption", &ReportCaption},
        {"LabelCaption", &LabelCaption},
        {"MaterialTypeCaption", &MaterialTypeCaption},
        {"QtyCaption", &QtyCaption},
        {"LengthCaption", &LengthCaption},
        {"WidthCaption", &WidthCaption},
        {"BladeWidthCaption", &BladeWidthCaption},
        {"LengthEdgeCaption", &LengthEdgeCaption},
        {"WidthEdgeCaption", &WidthEdgeCaption},
        {"AreaCaption", &AreaCaption},
        {"UtilizationCaption", &UtilizationCaption},
        {"CostCaption", &CostCaption},
        {"WasteCaption", &WasteCaption},
        {"PartsInLayoutCaption", &PartsInLayoutCaption},
        {"GuillotineCaption", &GuillotineCaption},
        {"CostOptimizeCaption", &CostOptimizeCaption},
        {"FastOptimizeCaption", &FastOptimizeCaption},
        {"MeasureCaption", &MeasureCaption},
        {"UsedQtyCaption", &UsedQtyCaption},
        {"ImportCaption", &ImportCaption},
        {"ExportCaption", &ExportCaption},
        {"IgnoreCaption", &IgnoreCaption},
        {"TotalUsableOffcutsAreaCaption", &TotalUsableOffcutsAreaCaption},
        {"UtilizationIncludeUsableOffcutsCaption", &UtilizationIncludeUsableOffcutsCaption},
        {"HarpRackReportButton", &HarpRackReportButton},
        {"WaitingCaption", &WaitingCaption},
        {"IncludeColumnTitlesCaption", &IncludeColumnTitlesCaption},
        {"sPrintLabelInch", &sPrintLabelInch},
        {"sPrintLabelMm", &sPrintLabelMm},
        {"sPrintLabel", &sPrintLabel},
        {"sPrintLabelColumnQty", &sPrintLabelColumnQty},
        {"sPrintLabelRowQty", &sPrintLabelRowQty},
        {"sPrintLabelHoriGap", &sPrintLabelHoriGap},
        {"sPrintLabelVertGap", &sPrintLabelVertGap},
        {"sPrintLabelWidthMarge", &sPrintLabelWidthMarge},
        {"sPrintLabelLengthMarge", &sPrintLabelLengthMarge},
        {"sPrintLabelEnableTitle", &sPrintLabelEnableTitle},
        {"sPrintLabelTopTitleWidth", &sPrintLabelTopTitleWidth},
        {"sPrintLabelLeftTitleLength", &sPrintLabelLeftTitleLength},
        {"sPrintLabelRow", &sPrintLabelRow},
        {"sPrintLabelCol", &sPrintLabelCol},
        {"sPrintLabelPrintSetup", &sPrintLabelPrintSetup},
        {"sPrintLabelPrintAll", &sPrintLabelPrintAll},
        {"sPrintLabelPrintSelected", &sPrintLabelPrintSelected},
        {"sPrintLabelFrom", &sPrintLabelFrom},
        {"sPrintLabelFromRow", &sPrintLabelFromRow},
        {"sPrintLabelFromCol", &sPrintLabelFromCol},
        {"sLabelScheme", &sLabelScheme},
        {"sDisableOffcutsRack", &sDisableOffcutsRack},
        {"sDiablePartsRack", &sDiablePartsRack},
        {"sPrintLabelPreview", &sPrintLabelPreview},
        {"sButtonDeleteEmpty", &sButtonDeleteEmpty},
        {"PrintLayoutRowsPerPageCaption", &PrintLayoutRowsPerPageCaption},
        {"PrintLayoutColumnsPerPageCaption", &PrintLayoutColumnsPerPageCaption},
        {"OrderOfLayoutsCaption", &OrderOfLayoutsCaption},
        {"NestedCaption", &NestedCaption},
        {"RollingCaption", &RollingCaption},
        {"DateCaption", &DateCaption},
        {"TimeCaption", &TimeCaption},
        {"OffcutsPrefixCaption", &OffcutsPrefixCaption},
        {"DistinctLabelCaption", &DistinctLabelCaption},
        {"DimensionCaption", &DimensionCaption},
        {"FastestToMaxUtilizationSpeedBarCaption", &FastestToMaxUtilizationSpeedBarCaption},
        {"BandAndGrindingLabelCaption", &BandAndGrindingLabelCaption},
        {"GrindingCaption", &GrindingCaption},
        {"BandCaption", &BandCaption},
        {"PartsBGTypeCaption", &PartsBGTypeCaption},
        {"RotatableCaption", &RotatableCaption},
        {"NonRotatableCaption", &NonRotatableCaption},
        {"CutSequenceCaption", &CutSequenceCaption},
        {"MyCompanyInformation", &MyCompanyInformation},
    };
    return table;
}
