// The layout page without its widgets: the facts of the shown layout, the
// layout list, the view's scale, sorting and deleting layouts, and which
// pieces the view draws. The plan is Optimizer.Best; the layout shown is
// CurrentLayoutIndex.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "engine/packet.h"
#include "engine/schemes.h"

class TMainWindowCore;
class TManualEdit;
struct TOptionPage;

// What the page shows beside the drawing.
struct TLayoutViewFacts {
    std::string SheetLabel, SheetType, SheetLength, SheetWidth, SheetNumber;
    std::string Utilization, WasteArea, Cost, Area;
    // Rows of the parts-in-layout grid after its title row: label, count.
    std::vector<std::pair<std::string, std::string>> PartsInLayout;
    // A shaped part lies on the layout: no cut sequence can be shown.
    bool HasShapedPart = false;
};
TLayoutViewFacts LayoutFacts(const TPacket& Packet);

// The full sheet of a layout: its net size plus both trims.
double FullLayoutLength(const TPacket& Packet);
double FullLayoutWidth(const TPacket& Packet);

// Pixels per internal unit for a view AvailWidth x AvailHeight pixels: the
// smaller of the two ratios, or the height's alone in rolling mode (the
// sheet then fills the height and scrolls along its length). 0 when the
// view has no room.
double LayoutViewScale(const TPacket& Packet, int AvailWidth, int AvailHeight, bool Rolling);

// The rolling-mode scroll range and offset: Max = paint width div panel
// width; the offset of Position shows whole panel widths, the last position
// the right end exactly.
int RollingScrollMax(int PaintWidth, int PanelWidth);
int RollingScrollOffsetFor(int Position, int Max, int PaintWidth, int PanelWidth);

// Entries of the layout list: "i / n" for i = 1..Count.
std::vector<std::string> LayoutListEntries(int Count);
// The scroll bar's hint: TOTAL<count> CR LF CURRENT<index + 1>.
std::string LayoutScrollHint(int Count, int Index);

// Sorts the plan's layouts: Order 0 by used value descending, 1 by material,
// then label (both ordinal, ascending), then used value descending. Equal
// layouts keep their order.
void SortLayouts(TSchemes& Plan, int Order);

// Removes layout Index of the plan and moves CurrentLayoutIndex back onto
// the plan; with layouts left the used quantities and reports are rebuilt,
// with none the report page is emptied. False for an index off the plan, or
// once a stock update has disabled ButtonDeleteLayout.
bool DeleteLayout(TMainWindowCore& Core, int Index);

// Names the offcuts of the shown layout again after an edit (a layout whose
// offcut pieces are still there keeps them).
void RenameShownLayoutOffcuts();

// "Confirm" of a manual edit: the edited layout stays, its offcuts are named
// again, and the used quantities and reports are rebuilt from the plan as it
// now is, so that the report page, the printed report and the HTML export
// show the moved pieces' offcuts and utilisation, as after a deleted layout.
// Nothing happens while no edit is on.
void ConfirmManualEdit(TMainWindowCore& Core, TManualEdit& Edit);

// The settings page's offcut sides drop-down (`ComboBoxBothOrEither`, items
// "Rotatable" and "Non-rotatable"): the page keeps the item and
// OffcutLenRotatable takes it at once (false for item 1, else true), so that
// the view, the labels and the stock update judge offcuts by it from now on.
void OnChangeOffcutsrotatable(TOptionPage& Page, int Item);
