// The offcut rack (*.rck) and the part rack (*.prk): numbered slots kept in
// the grids StringGridOffcutRack and StringGridPartRack, their files, the
// slot commands and the grouped rack reports.
//
// Rack file: section HEAD, key NUMBER = slot count n; sections SLOT0 ..
// SLOT<n-1> hold grid rows 1..n. Offcut slot keys: LABEL, TYPE, LENGTH, WIDTH,
// PRiORITY, COST, COMMENT; part slot keys: LABEL, TYPE, LENGTH, WIDTH, SHAPE,
// COMMENT. Keys are matched without regard to letter case. Writers overwrite
// their keys in place and leave other sections (for example slot sections
// beyond the count) alone; readers stop at the count.
#pragma once

#include <string>
#include <vector>

#include "app/core/main_data.h"

// A rack holds at most this many slots; a file or a reset asking for more is
// refused with a message.
constexpr int kMaxRackSlots = 100000;

// The rack files of the start-up folder that start-up reads when the option
// file names none.
std::string DefaultOffcutRackFileName();
std::string DefaultPartRackFileName();

// Reads a rack file into its grid. An empty name, a missing file or a slot
// count below 2 change nothing and return false; so does a file that is there
// but cannot be read, after a warning to the message sink. An empty file
// (nothing but blanks and line ends) is no rack yet and changes nothing. A
// count above kMaxRackSlots, or any other file without a whole-number NUMBER
// in a [HEAD] section (one with no section at all included: text or bytes
// that are no rack), is refused: a warning saying why goes to the message
// sink, nothing changes, false.
// On success the grid holds exactly the file's slots, the page's file-name
// field shows FileName, and the caller recomputes the rack's totals.
bool ReadOffcutRackFromFile(TMainData& Data, const std::string& FileName);
bool ReadPartRackFromFile(TMainData& Data, const std::string& FileName);

// What reading a rack file came to, for start-up, which must not let a rack
// file it did not load be written over by the default rack.
enum class TRackFileRead {
    Loaded,       // the grid holds the file's slots
    NotThere,     // no name, no file, or an empty file
    TooFewSlots,  // a slot count below 2: ignored, with no message
    Refused,      // there but not loaded (unreadable, no slot count, too many
                  // slots, too large for memory), with a warning saying why
};
TRackFileRead ReadOffcutRackFile(TMainData& Data, const std::string& FileName);
TRackFileRead ReadPartRackFile(TMainData& Data, const std::string& FileName);

// Writes the first SlotCount slots (the grid is resized to SlotCount slots
// first). An empty FileName or a SlotCount below 2 writes nothing, changes
// nothing and returns false (the window asks for a name instead). With
// ShowName the file-name field shows the name written to. A failed write throws platform::IniWriteError
// and leaves the old file and the field as they were.
bool WriteOffcutRackToFile(TMainData& Data, const std::string& FileName, int SlotCount,
                           bool ShowName);
bool WritePartRackToFile(TMainData& Data, const std::string& FileName, int SlotCount,
                         bool ShowName);

// Save: writes every slot to the name in the page's file-name field; false,
// with nothing written, when the field is empty.
bool SaveOffcutRack(TMainData& Data);
bool SavePartRack(TMainData& Data);

// A slot is empty when its label, type, length and width are empty after
// trimming; a slot outside 1..RowCount-1 counts as empty.
bool IsEmptyOffcutSlot(const TMainData& Data, int Slot);
bool IsEmptyPartSlot(const TMainData& Data, int Slot);

// Clear one slot (a row outside the slots changes nothing) or every slot;
// slot numbers stay. The caller recomputes the totals.
void ClearOffcutSlot(TMainData& Data, int Row);
void ClearPartSlot(TMainData& Data, int Row);
void ClearAllOffcutSlots(TMainData& Data);
void ClearAllPartSlots(TMainData& Data);

// The slot-count dialog's buttons. Confirm parses Text as a whole number;
// when it is none, a warning "[" + conversion error + "]" + "Invalid " +
// LabelCaption + " format." goes to the message sink, the dialog stays open
// and false is returned. Otherwise SlotQty := the number, confirmed.
bool ConfirmSlotQty(TMainData& Data, const std::string& Text, const std::string& LabelCaption);
void CancelSlotQty(TMainData& Data);

// Reset after the slot-count dialog: only when it was confirmed with a
// count above 0 (and at most kMaxRackSlots, else a warning): the rack gets
// SlotQty empty numbered slots and is written at once to the name in its
// file-name field (a count of 1, or an empty field, writes no file). Returns true when the rack
// was reset. Write failures throw as WriteOffcutRackToFile does.
bool ResetOffcutRack(TMainData& Data);
bool ResetPartRack(TMainData& Data);

// The open and save dialogs' filters ("Save As(*.rck)|*.rck").
std::string OffcutRackFileFilter(const std::string& Title);
std::string PartRackFileFilter(const std::string& Title);

// Texts of the rack page the grouped report's summary line is made of.
struct TRackSummaryTexts {
    std::string AreaCaption;  // LabelTotalArea_Offcuts / LabelTotalArea_PartRack
    std::string AreaText;     // EditTotalOffcutsArea / EditTotalPartsRackArea
    std::string QtyCaption;   // LabelQty_Offcuts / LabelQty_PartRack
    std::string QtyText;      // EditTotalOffcutsNumber / EditTotalPartsRackNumber
    std::string CostCaption;  // LabelCost_Offcuts (offcut rack only)
    std::string CostText;     // EditTotalOffcutsCost (offcut rack only)
};

// The grouped rack report of the report dialog.
struct TRackReport {
    TStringGrid Grid;              // row 0 titles, one row per group
    std::string Summary;           // the summary line
    bool OffcutReportMode = true;  // false for the part rack report
};

// Offcut rack report: slots grouped by equal trimmed type, length and width
// (slots with all three empty left out); each group keeps its first slot's
// label, cost and comment and counts its slots. QtyTitle is the count
// column's title (the caption of LabelQty_Offcuts).
TRackReport BuildOffcutRackReport(const TMainData& Data, const TRackSummaryTexts& Texts,
                                  const std::string& QtyTitle);
// Part rack report: slots grouped by trimmed label (slots without label left
// out), whatever their sizes.
TRackReport BuildPartRackReport(const TMainData& Data, const TRackSummaryTexts& Texts,
                                const std::string& QtyTitle);

// The lines of the printed rack listing: title row, a rule of 106 "-", then
// every slot row.
std::vector<std::string> RackListingLines(const TMainData& Data, bool OffcutRack);
// The lines of the printed rack report's table, laid out the same way.
std::vector<std::string> RackReportLines(const TRackReport& Report);
