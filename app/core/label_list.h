// The label dialog's list of labels (`StringGridLabelData`): row 0 holds the
// field names, every further row one label. A click on a column title sorts
// the labels by that column; "Distinct" removes duplicate labels.
#pragma once

#include "app/core/string_grid.h"

// The column the list was last sorted by and its direction.
struct TLabelSortState {
    int LabelSortColumn = 0;
    bool LabelSortDescending = false;
};

// Sorts the labels by Column (byte-wise comparison; equal labels keep their
// order). Clicking the column sorted last reverses the direction; another
// column keeps it. A column outside the grid does nothing.
void SortLabelRows(TStringGrid& Labels, int Column, TLabelSortState& State);

// Removes every label whose trimmed cells all equal those of an earlier
// label, then orders the labels by their trimmed first column, descending.
// Unique labels are all kept, those with an empty first column included.
void DistinctLabelRows(TStringGrid& Labels);
