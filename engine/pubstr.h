// Program-wide words, messages, option values and run bookkeeping.
//
// Every user-visible text that more than one part of the program shows lives
// here as a writable string, so a caption file can replace it and the change
// shows everywhere. Code reads the variable, never a literal.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Messages.
extern std::string MsgManualLock;
extern std::string MsgSheetLabelCantBeEmpty;
extern std::string MsgSheetLengthFormatInvalid;
extern std::string MsgSheetWidthFormatInvalid;
extern std::string MsgSheetQtyFormatInvalid;
extern std::string MsgSheetCostFormatInvalid;
extern std::string MsgSheetPriorityFormatInvalid;
extern std::string MsgOffcutLengthFormatInvalid;
extern std::string MsgOffcutWidthFormatInvalid;
extern std::string MsgOffcutQtyFormatInvalid;
extern std::string MsgPartLabelCantBeEmpty;
extern std::string MsgPartLengthFormatInvalid;
extern std::string MsgPartWidthFormatInvalid;
extern std::string MsgPartQtyFormatInvalid;
extern std::string MsgScrollLayoutTotal;
extern std::string MsgScrollLayoutCurrent;
extern std::string MsgOpenFileTitle;
extern std::string MsgSaveFileTitle;
extern std::string MsgSaveAsFileTitle;
extern std::string MsgSheetDataIsEmpty;
extern std::string MsgPartDataIsEmpty;
extern std::string MsgBladeWidthFormatInvalid;
extern std::string MsgMinOffcutSizeWidthFormatInvalid;
extern std::string MsgWidthEdgeFormatInvalid;
extern std::string MsgLengthEdgeFormatInvalid;
extern std::string MsgMinScrapLengthFormatInvalid;
extern std::string MsgMinScrapWidthFormatInvalid;
extern std::string MsgLayoutIsEmpty;
extern std::string MsgCantReadImportTxtFile;
extern std::string MsgLabelIsntUnique;
extern std::string MsgCantGetResult;
extern std::string MsgTotalPartAreaLargerThanSheetArea;
extern std::string MsgSelectShapeLabelEmpty;
extern std::string MsgShapeParaFormatInvalid;
extern std::string MsgProfileFileFormatError;
extern std::string MsgDxfErrorOutside;
extern std::string MsgNotFindPolylineData;
extern std::string MsgCantOpenFile;
extern std::string MsgSameFieldError;
extern std::string MsgNeedInstallExcel;
extern std::string MsgNeedExcel;
extern std::string MsgDxfFileNotFound;
extern std::string MsgInvalidData;

// Words and captions.
extern std::string OffcutCaption;
extern std::string PartLabelCaption;
extern std::string PartLengthCaption;
extern std::string PartWidthCaption;
extern std::string PartQtyCaption;
extern std::string MaxPartsQtyCaption;
extern std::string UsedPartsQtyCaption;
extern std::string PartShapeCaption;
extern std::string PartRotateCaption;
extern std::string CommentCaption;
extern std::string SqrCaption;
extern std::string ColorCaption;
extern std::string UsableLengthCaption;
extern std::string UsableWidthCaption;
extern std::string UsableAreaCaption;
extern std::string TrueCaption;
extern std::string FalseCaption;
extern std::string SheetUsedCaption;
extern std::string SheetRestCaption;
extern std::string SheetsPriorityCaption;
extern std::string LastBoardUtilizationCaption;
extern std::string TotalUsableAreaCaption;
extern std::string TotalCostCaption;
extern std::string TotalWasteAreaCaption;
extern std::string LastBoardWasteAreaCaption;
extern std::string ConfirmDataCaption;
extern std::string CancelDataCaption;
extern std::string SlotQtyCaption;
extern std::string AddMaterialTypeCaption;
extern std::string DeleteMaterialTypeCaption;
extern std::string ModifyMaterialTypeCaption;
extern std::string RemoveAllMaterialTypeCaption;
extern std::string SaveMaterialTypeCaption;
extern std::string RectangleShapeCaption;
extern std::string CircleShapeCaption;
extern std::string StandardProfileVarNameCaption;
extern std::string StandardProfileValueCaption;
extern std::string LayoutsCaption;
extern std::string RawPanelsCaption;
extern std::string PartsCaption;
extern std::string ProfilesCaption;
extern std::string OffcutsCaption;
extern std::string ReportCaption;
extern std::string LabelCaption;
extern std::string MaterialTypeCaption;
extern std::string QtyCaption;
extern std::string LengthCaption;
extern std::string WidthCaption;
extern std::string BladeWidthCaption;
extern std::string LengthEdgeCaption;
extern std::string WidthEdgeCaption;
extern std::string AreaCaption;
extern std::string UtilizationCaption;
extern std::string CostCaption;
extern std::string WasteCaption;
extern std::string PartsInLayoutCaption;
extern std::string GuillotineCaption;
extern std::string CostOptimizeCaption;
extern std::string FastOptimizeCaption;
extern std::string MeasureCaption;
extern std::string UsedQtyCaption;
extern std::string ImportCaption;
extern std::string ExportCaption;
extern std::string IgnoreCaption;
extern std::string TotalUsableOffcutsAreaCaption;
extern std::string UtilizationIncludeUsableOffcutsCaption;
extern std::string HarpRackReportButton;
extern std::string WaitingCaption;
extern std::string IncludeColumnTitlesCaption;
extern std::string sPrintLabelInch;
extern std::string sPrintLabelMm;
extern std::string sPrintLabel;
extern std::string sPrintLabelColumnQty;
extern std::string sPrintLabelRowQty;
extern std::string sPrintLabelHoriGap;
extern std::string sPrintLabelVertGap;
extern std::string sPrintLabelWidthMarge;
extern std::string sPrintLabelLengthMarge;
extern std::string sPrintLabelEnableTitle;
extern std::string sPrintLabelTopTitleWidth;
extern std::string sPrintLabelLeftTitleLength;
extern std::string sPrintLabelRow;
extern std::string sPrintLabelCol;
extern std::string sPrintLabelPrintSetup;
extern std::string sPrintLabelPrintAll;
extern std::string sPrintLabelPrintSelected;
extern std::string sPrintLabelFrom;
extern std::string sPrintLabelFromRow;
extern std::string sPrintLabelFromCol;
extern std::string sLabelScheme;
extern std::string sDisableOffcutsRack;
extern std::string sDiablePartsRack;
extern std::string sPrintLabelPreview;
extern std::string sButtonDeleteEmpty;
extern std::string PrintLayoutRowsPerPageCaption;
extern std::string PrintLayoutColumnsPerPageCaption;
extern std::string OrderOfLayoutsCaption;
extern std::string NestedCaption;
extern std::string RollingCaption;
extern std::string DateCaption;
extern std::string TimeCaption;
extern std::string OffcutsPrefixCaption;
extern std::string DistinctLabelCaption;
extern std::string DimensionCaption;
extern std::string FastestToMaxUtilizationSpeedBarCaption;
extern std::string BandAndGrindingLabelCaption;
extern std::string GrindingCaption;
extern std::string BandCaption;
extern std::string PartsBGTypeCaption;
extern std::string RotatableCaption;
extern std::string NonRotatableCaption;
extern std::string CutSequenceCaption;

// Texts with a fixed role.
extern std::string ProductName;
extern std::string VersionCaption;
extern std::string VersionNumber;
extern std::string MyCompanyInformation;
extern std::string OffcutPrefix;
extern std::string ZeroOffcutPrefix;
extern std::string MeasureUnitName;
extern std::string ProjectTitle;
extern std::string PrinterFontName;
extern std::string LabelFontName;
extern std::string DimFontName;
extern std::string PositionFontName;
extern std::string CutSeqFontName;
extern std::string PrintLabelFontName;
extern std::string DxfLayerSheet;
extern std::string DxfLayerOffcuts;
extern std::string DxfLayerParts;
extern std::string DxfLayerPartsLabel;
extern std::string DxfLayerPartsOrigin;
extern std::string DxfLayerPartsLxW;
extern std::string DxfLayerReport;
extern std::string DxfTextFontSize;
extern std::string DxfPolylineExporting;
extern std::string ExSheetFileName;
extern std::string ExPartFileName;
extern std::string GCodeCutPrefix;
extern std::string GCodePlungePrefix;
extern std::string GCodeNumberSuffix;
extern std::string BladeWidthText;
extern std::string WidthEdgeText;
extern std::string LengthEdgeText;
extern std::string MinScrapLengthText;
extern std::string MinScrapWidthText;
extern std::string MinOffcutSizeText;

// Option values; lengths are in internal units.
extern std::int32_t MeasureDecimals;
extern std::int32_t BladeWidth;
extern std::int32_t WidthEdge;
extern std::int32_t LengthEdge;
extern std::int32_t MinScrapLength;
extern std::int32_t MinScrapWidth;
extern bool OffcutLenRotatable;
extern std::int32_t MinOffcutSize;
extern bool GuillotineMode;
extern bool RollingMode;
extern bool FastOptimize;
extern bool CostOptimize;
extern bool OrderOptimize;
extern bool CompareEqualLayouts;
extern bool KeepPlacements;
extern bool MergeCommonCuts;
extern bool SeedsIgnoreGuillotine;
extern std::int32_t MaxCandidateLayouts;
extern bool FewPiecesMode;
extern bool FewPartKinds;
extern bool SeedsFromRefine;
extern bool GCodeZMoves;
extern std::int32_t GCodeCutExtension;
extern bool DxfExportLines;
extern double DxfTextHeight;
extern bool LayoutShowLabel;
extern bool LayoutShowXYPos;
extern bool LayoutShowLengthXWidth;
extern bool LayoutShowOffcuts;
extern bool AnimateCutSequence;
extern bool PartsInLayout;
extern bool PrintingComment;
extern bool ReportAllRawPanels;
extern bool ReportAllParts;
extern std::int32_t PrinterFontSize;
extern std::int32_t LabelFontSize;
extern std::int32_t DimFontSize;
extern std::int32_t PositionFontSize;
extern std::int32_t CutSeqFontSize;
extern std::int32_t PrintLabelFontSize;
extern bool AutoPrinterFontSize;
extern std::int32_t AutoPrinterFontZoom;
extern std::int32_t SheetsLabelPrintIndex;
extern std::int32_t PartsLabelPrintIndex;
extern std::int32_t ProfilesLabelPrintIndex;
extern std::int32_t OffcutsRackLabelPrintIndex;
extern std::int32_t PartsRackLabelPrintIndex;
extern std::int32_t LayoutsLabelPrintIndex;
extern bool DisableOffcutsRack;
extern bool DisablePartsRack;
extern bool AutoSavePanel;
extern bool AutoSavePart;
extern bool AutoSaveOffcut;
extern bool AutoSavePartRack;
extern bool AutoSaveProfile;
extern bool AutoMode;
extern bool HideMode;
extern bool UpdateMode;
extern bool ImportSheetsMode;
extern std::string LayoutsPrintCol;
extern std::string LayoutsPrintRow;
extern bool LayoutsPrintParts;

// Last folders of the file dialogs.
extern std::string DirSheets;
extern std::string DirParts;
extern std::string DirOffcuts;
extern std::string DirProfiles;
extern std::string DirPartsRack;
extern std::string DirImportDxfs;
extern std::string DirImportSheetsTxt;
extern std::string DirImportSheetsExcel;
extern std::string DirImportPartsTxt;
extern std::string DirImportPartsExcel;
extern std::string DirExportSheetsTxt;
extern std::string DirExportSheetsExcel;
extern std::string DirExportPartsTxt;
extern std::string DirExportPartsExcel;
extern std::string DirExportOffcutsTxt;
extern std::string DirExportOffcutsExcel;
extern std::string DirExportPartsRackTxt;
extern std::string DirExportPartsRackExcel;
extern std::string DirExportHtml;
extern std::string DirExportDxf;
extern std::string DirExportCnc;

// Folder the program started in; every default file is looked for there.
extern std::string AppDir;

// Bookkeeping of the current optimisation run. Times are milliseconds of the
// program clock (see platform/clock.h); limits and elapsed time are seconds.
extern std::int64_t OptimizeStartTime;
extern std::int64_t OptimizeTimeLimit;
extern std::int64_t OptimizeElapsedSeconds;
extern std::int32_t OptimizeSpeed;
extern std::int32_t OptimizeStepCount;
extern std::vector<std::string> OptimizeNotes;
extern std::string ReportTitle;

// State of the reproducible random generator.
extern std::int64_t PubRandSeed;
constexpr std::int64_t kPubRandomStartSeed = 479;

// Next pseudo-random number in 0..N-1. N must be at least 1.
std::int32_t PubRandom(std::int32_t N);
// Moves the generator on as Count calls of PubRandom would (their results
// unused), in a number of steps that grows with the logarithm of Count.
void PubRandomSkip(std::int64_t Count);

// Returns S unchanged.
std::string PubStrCopy(const std::string& S);

// A replaceable string by its variable name, for the caption files.
struct PubStringEntry {
    const char* Name;
    std::string* Value;
};
// Every message, word and caption that a caption file may replace.
const std::vector<PubStringEntry>& PubStringTable();

// Restores every variable of this module to its start-up value.
void ResetPubStrDefaults();
