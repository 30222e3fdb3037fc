// The program's working data, created when the program starts and kept to
// its end: the lists the grids are read into, the optimisers (the first holds
// the current plan), the report lines, the outline read from a DXF file, the
// used quantities and the plan edited by hand. Also the routines that work on
// it: naming the free rectangles of a layout as offcuts, counting what the
// plan uses, and erasing an INI file before it is rewritten.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/extpolyline.h"
#include "engine/optimize2d.h"
#include "engine/packet.h"
#include "engine/panels.h"
#include "engine/schemes.h"
#include "engine/trapezium.h"

namespace platform {
class TIniFile;
}

extern std::vector<std::string> LayoutHeaderLines;
extern std::vector<std::string> SummaryReportLines;
extern std::vector<std::string> SheetsReportLines;
extern std::vector<std::string> PartsReportLines;

// The optimiser whose Best is the current plan and whose lists are those of
// the last run; a second one for the run and the re-layout command.
extern TOptimize2d Optimizer;
extern TOptimize2d Optimizer2;

extern TPanels SheetList;           // sheets of the sheets grid
extern TPanels PartList;            // parts, Quantity = maximum quantity
extern TPanels PartQtyList;         // the same parts, Quantity = quantity to cut
extern TPanels OffcutRackList;      // offcuts of the offcut rack
extern TPanels ProfilePartList;     // profile parts, Quantity = maximum quantity
extern TPanels ProfilePartQtyList;  // the same, Quantity = quantity to cut

extern TExtPolyline DxfOutline;         // the outline read from a DXF file
extern std::string DxfProfileFileName;  // the last DXF or profile file read
extern TTrapezium DxfShape;             // the shape built from that outline

extern TPanels UsedPartsList;            // the optimiser's parts, Quantity = pieces the plan uses
extern TPanels UsedSheetsList;           // the optimiser's sheets, Quantity = sheets the plan uses
extern std::int32_t CurrentLayoutIndex;  // layout shown, -1 none
extern TSchemes ManualSchemes;           // the plan of manual layout editing
extern std::int32_t TotalUsedSheets;     // sheets the plan uses (sheets report)

// Turns every free rectangle of Packet into a placed offcut piece labelled
// OffcutPrefix + n (both sides above the blade width) or ZeroOffcutPrefix + z,
// largest first. In guillotine mode only rectangles that guillotine cuts can
// free together with the parts and the offcuts before them are named as
// offcuts; what is left becomes ZeroOffcutPrefix pieces (waste).
void NameOffcutsOfPacket(TPacket& Packet);

// Fills UsedPartsList and UsedSheetsList from Optimizer's plan.
void ComputeUsedQuantities();

// Erases every section of Ini (in memory; the caller writes the file).
void EraseAllIniSections(platform::TIniFile& Ini);

// Back to the start-up state.
void ResetSharedStateDefaults();
