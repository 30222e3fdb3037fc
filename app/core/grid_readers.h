// The grid readers an optimisation run calls after the option reader: the
// sheets grid, the offcut rack grid, the parts grid and the free-shape grid
// are checked and turned into piece lists.
//
// Each reader stops at the first bad cell and returns false with Error naming
// the page, the grid, the cell and the message; it moves no focus and shows
// nothing. The message is "[" + conversion error + "]" + message, except for
// the sheets grid, whose reader writes message + "[" + conversion error + "]";
// the conversion error is empty when a value converts but breaks a rule.
// Lists filled before a bad cell keep what they got; cells that were empty
// and got a default ("0" for cost and priority, a copied quantity) and the
// normalised rotation and shape letters stay written in the grid.
//
// Lengths accept decimals and fractions ("1 1/2"), costs decimals, quantities
// and priorities whole numbers.
#pragma once

#include "app/core/error_location.h"
#include "app/core/main_data.h"
#include "engine/panels.h"

// Fills Sheets (source kind sheet) from StringGridSheets. Rows whose label,
// length, width and quantity are all empty are skipped; no sheet at all is
// refused with MsgSheetDataIsEmpty.
bool ReadSheetsGrid(TMainData& Data, TPanels& Sheets, TErrorLocation& Error);

// Fills Offcuts (source kind offcut, quantity 1) from StringGridOffcutRack,
// unless the rack is switched off (DisableOffcutsRack): then Offcuts stays
// empty and the grid is not read. An empty rack is no error.
bool ReadRackGrid(TMainData& Data, TPanels& Offcuts, TErrorLocation& Error);

// Fills Parts (quantity = Max Qty) and PartQtys (quantity = Qty), entry i of
// both being the same part, from StringGridParts; edge types are looked up in
// PartEdgeList. No part and no free shape (TrapeziumList) is refused with
// MsgPartDataIsEmpty.
bool ReadPartsGrid(TMainData& Data, TPanels& Parts, TPanels& PartQtys, TErrorLocation& Error);
// The refusal of a part whose edge-type cell names no known edge type: it
// names the column (by its title) and the label.
std::string UnknownEdgeTypeMessage(const std::string& ColumnTitle, const std::string& Label);

// Reads quantity, maximum quantity, material, rotation and comment of every
// profile part from StringGridAnyShape (row i + 1 for entry i): Profiles gets
// the maximum quantities, ProfileQtys (rebuilt as a copy of Profiles) the
// quantities to cut.
bool ReadAnyShapeGrid(TMainData& Data, TPanels& Profiles, TPanels& ProfileQtys,
                      TErrorLocation& Error);

// The same readers on the program-wide lists of engine/shared_state.h:
// SheetList, OffcutRackList, PartList and PartQtyList, ProfilePartList and
// ProfilePartQtyList. An optimisation run calls them in this order after the
// option reader, stopping at the first false.
bool ReadSheetsGrid(TMainData& Data, TErrorLocation& Error);
bool ReadRackGrid(TMainData& Data, TErrorLocation& Error);
bool ReadPartsGrid(TMainData& Data, TErrorLocation& Error);
bool ReadAnyShapeGrid(TMainData& Data, TErrorLocation& Error);
