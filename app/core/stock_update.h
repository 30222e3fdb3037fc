// Stock update after cutting: the plan of the last run (Optimizer.Best) is
// taken out of the stock tables. Used sheets are subtracted from the sheets
// grid, cut parts from the parts and free-shape grids, kept offcuts go into
// the offcut rack (or, with that rack switched off, into the sheets grid as
// new stock), rack offcuts that served as sheets leave the rack, and every cut
// part gets a slot of the part rack.
//
// Each command works all or nothing: every cell it needs is checked first and
// a bad one (a quantity that is no whole number, a sum beyond 32 bits, an
// invalid least offcut size) changes nothing and is reported to the message
// sink. A step already made on the current plan is never made again: each
// command switches its own button off, and "Update All" leaves out the steps
// whose buttons are off, so a plan is subtracted once whatever the order of
// the commands. A full rack is reported, and the pieces that found no slot
// carry "-1X" + their number in their slot note.
//
// Nothing is saved to files here; the caller recomputes the totals of the
// grids it was told changed.
#pragma once

#include <string>
#include <vector>

#include "app/core/error_location.h"
#include "app/core/main_data.h"
#include "app/core/option_page.h"

// The enabled states of the buttons that the stock update reads and switches
// off. A new plan switches them all on: the end of a run assigns a fresh
// object.
struct TStockUpdateButtons {
    bool ButtonUpdateSheets = true;
    bool ButtonUpdateParts = true;
    bool ButtonUpdateAll = true;
    bool ButtonAddOffcutsToSheets = true;
    bool ButtonAddOffcutToRack = true;
    bool ButtonAddPartToRack = true;
    bool ButtonManual = true;
    bool ButtonLayoutAgain = true;
    bool ButtonDeleteLayout = true;
};

// The buttons as the window offers them: a rack's button only while that rack
// is switched on (DisableOffcutsRack, DisablePartsRack), so nothing is filed
// into a page the user has hidden.
TStockUpdateButtons OfferedUpdateButtons(const TStockUpdateButtons& Buttons);

// What the last command did, for the window to show.
struct TStockUpdateOutcome {
    bool SheetsChanged = false;      // sheets grid changed: recompute TotalOfSheets
    bool PartsChanged = false;       // parts or free-shape grid changed
    bool OffcutRackChanged = false;  // recompute TotalOfOffcuts
    bool PartRackChanged = false;    // recompute TotalOfPartsRack
    // Tab page to bring to front ("TabSheetOffcuts", "TabSheetPartHarp"), or empty.
    std::string PageToFront;
    // When the command was refused over a bad field or cell: where it is (the
    // window focuses it) and the message shown.
    TErrorLocation Error;
    // Copies of offcuts and of parts that found no empty rack slot.
    int OffcutsNotStored = 0;
    int PartsNotStored = 0;
};

// The offcut name prefix and the least offcut sizes come from the settings
// page; MinScrapLength and MinScrapWidth are set from it when an offcut
// command starts. The settings DisableOffcutsRack, DisablePartsRack,
// OffcutLenRotatable, OffcutPrefix and BladeWidth are read as they stand.
class TStockUpdater {
  public:
    TStockUpdater(TMainData& Data, const TOptionPage& Page, TStockUpdateButtons& Buttons)
        : Data_(Data), Page_(Page), Buttons_(Buttons) {}

    // The whole update: sheets, parts, offcuts (to the sheets grid when the
    // offcut rack is switched off, else to the rack), parts to the part rack
    // unless it is switched off; then ButtonUpdateAll, ButtonManual,
    // ButtonLayoutAgain and ButtonDeleteLayout are switched off. With no plan
    // a single MsgLayoutIsEmpty warning. True when the update was made.
    bool ButtonUpdateAllClick();

    // Sheets of every layout: quantity -= the layout's count in the sheets
    // rows of the layout's label and material (rack offcut layouts excepted).
    bool ButtonUpdateSheetsClick();
    // Parts of every layout: in the parts and free-shape rows of the part's
    // label and the layout's material, maximum quantity -= pieces cut (no
    // lower bound), quantity -= pieces cut (not below 0).
    bool ButtonUpdatePartsClick();
    // Kept offcuts into empty offcut rack slots, then the slots of the rack
    // offcuts used as sheets cleared.
    bool ButtonAddOffcutToRackClick();
    // Kept offcuts into the sheets grid (equal offcuts gather in one row).
    bool ButtonAddOffcutsToSheetsClick();
    // Every cut part into empty part rack slots.
    bool ButtonAddPartToRackClick();

    const TStockUpdateOutcome& Outcome() const { return Outcome_; }

  private:
    TMainData& Data_;
    const TOptionPage& Page_;
    TStockUpdateButtons& Buttons_;
    TStockUpdateOutcome Outcome_;
};

// The slot note of a piece whose copies went into the given rack slots, in
// order, with NotStored copies left over for want of a free slot: "(3-5,9)",
// "(2-3,6-1X1)", "(-1X4)"; "()" for no copy at all.
std::string RackSlotNote(const std::vector<int>& Slots, int NotStored);
