// The edge types dialog without its widgets: the table of edge types (name,
// banding top/bottom/left/right, grinding top/bottom/left/right, as typed),
// the nine edits, and Add, Modify, Delete and OK. Edits of the table are
// provisional until OK rebuilds PartEdgeList from it.
//
// The first edge type (normally "N/A") is protected while others exist: it
// cannot be changed or deleted.
#pragma once

#include <array>
#include <string>

#include "app/core/string_grid.h"

class TCaptionStore;

namespace EdgeCol {
enum : int { Label, BT, BB, BL, BR, GT, GB, GL, GR, Count };
}

// The dialog's title: the caption of the button that opens it
// (`ButtonGrindingAndBandSetting`) as plain text, so that a caption file
// relabels both alike.
std::string EdgeTypesDialogCaption(const TCaptionStore& Captions);

class TEdgeTypesDialog {
  public:
    TEdgeTypesDialog();

    // `StringGridGrindingAndBand`: row 0 titles, row i + 1 edge type i.
    TStringGrid Grid;
    // The label edit and the eight value edits, in the table's column order.
    std::array<std::string, EdgeCol::Count> Edits;
    int Row = 1;  // the selected table row

    // Opening: the table gets every edge type of PartEdgeList.
    void Fill();
    // A row click: the edits get the row's cells (row 0 does nothing).
    void ClickRow(int Row);
    // Trims the label edit, then checks it is not empty and that every value
    // is a length of at least 0; otherwise warns MsgInvalidData and returns
    // false with BadField = the edit to correct (an EdgeCol).
    bool CheckInput(int* BadField = nullptr);
    // Add: the edits as a new last row, unless the label is already a label
    // cell of the table (the title included). True when added.
    bool AddClick(int* BadField = nullptr);
    // Modify: the selected row (2 or more) gets the edits, unless another row
    // has the label. True when changed.
    bool ModifyClick(int* BadField = nullptr);
    // Delete: removes the selected row (2 or more).
    bool DeleteClick();
    // OK: PartEdgeList := the table's rows, in order. Pieces of the current
    // plan keep the records they hold (records are shared), so none is left
    // with a freed one. False, with PartEdgeList unchanged, when a row cannot
    // be converted.
    bool OKClick();

  private:
    bool LabelTakenByOtherRow(const std::string& Label, int ExceptRow) const;
};
