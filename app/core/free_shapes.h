// The free-shape page without its widgets: the standard shape parameter grid,
// the free-shape grid StringGridAnyShape, adding and deleting shaped parts,
// and the free-shape list file (*.apt).
//
// Three program-wide lists belong together: TrapeziumList (the shapes),
// ProfilePartList (one piece per shape, Max Qty as quantity) and
// ProfilePartQtyList (the same pieces with the quantity to cut).
//
// Free-shape list file: section STR, key CN = number of shaped parts; per part
// i = 0 .. CN-1 a section "STR" + i with L (label), Q (quantity to cut), MQ
// (maximum quantity), C (comment), T (material type), R (may rotate, "1"/"0"),
// preceded by its shape section "STR" + i + "TZ" (template or DXF file name,
// the six parameter texts, the DXF flag).
#pragma once

#include <string>
#include <vector>

#include "app/core/main_data.h"
#include "engine/extpolyline.h"
#include "engine/panels.h"

// The templates of ComboBoxStandShape, in its order.
const std::vector<std::string>& StandardShapeNames();

// The parameter names of a template (empty for an unknown name).
std::vector<std::string> StandardShapeParameters(const std::string& TemplateName);

// The picture of a template beside its parameter grid: the outline the
// template itself builds from sample dimensions (as shaped parts are drawn,
// Y down) and, for each parameter name, the two outline points it measures
// between (one point, From == To, for an angle at that corner).
struct TShapeDimension {
    std::string Name;
    TPoint From, To;
};
struct TShapePicture {
    TExtPolyline Outline;
    std::int32_t Length = 0, Width = 0;  // the outline's extent
    std::vector<TShapeDimension> Dimensions;
};
// The picture of TemplateName (an empty outline for an unknown name). The
// first call builds every picture; it borrows TrapeziumList for a moment, so
// it must come before a run can read that list (the window calls it when it
// is built).
const TShapePicture& StandardShapePicture(const std::string& TemplateName);

// A template was chosen (index into StandardShapeNames): the parameter grid
// gets one row per parameter after the title row, with the parameter names in
// its name column; values already typed stay. The DXF outline is no longer
// the choice. An index outside the list only drops the DXF choice.
void ComboBoxStandShapeChange(TMainData& Data, int Index);

// A DXF outline was imported and accepted: it becomes the choice, and the
// parameter grid keeps a single row with an empty name.
void ChooseDxfProfile(TMainData& Data);

// The parameter texts of rows 1 to 6 of the parameter grid's value column
// (empty beyond its rows).
std::vector<std::string> StandardShapeValues(const TMainData& Data);

// Writes entry i of the profile lists into row i + 1 of StringGridAnyShape
// (label, material, "R"/"N", quantity to cut, maximum quantity, comment) and
// empties every later row; the grid grows when it is too short.
void ShowAnyShapeList(TMainData& Data, const TPanels& Profiles, const TPanels& ProfileQtys);

// The open and save dialogs' filter ("Open File(*.apt)|*.apt").
std::string AnyShapeFileFilter(const std::string& Title);

// ShowAnyShapeList of ProfilePartList and ProfilePartQtyList.
void ShowAnyShapeList(TMainData& Data);

// Writes the free-shape list file. The grid is read into the lists first
// (ReadAnyShapeGrid); when that fails its message goes to the message sink,
// nothing is written and the result is false. Every section of the file is
// erased, then CN and one entry per profile part (with the shape of its
// label) are written. With SetName the page's file-name field shows
// FileName afterwards. A failed write throws platform::IniWriteError and
// leaves the old file and the field as they were.
bool SaveAnyShapeFile(TMainData& Data, const std::string& FileName, bool SetName);

// Deletes the profile part of grid row Row (1 .. number of parts; other rows
// do nothing and return false): a shown plan is cleared (it may hold the
// part), the part leaves both part lists and its shape leaves TrapeziumList
// unless another part still has that label; the grid is redrawn.
bool AnyShapeDelete(TMainData& Data, int Row);
// Deletes every profile part and shape (a shown plan is cleared) and redraws.
void AnyShapeDeleteAll(TMainData& Data);

// Replaces the free shapes with those of a free-shape list file: every
// profile part and shape is deleted first (a shown plan is cleared), then each
// entry "STR" + i (i from 0, up to CN, stopping at the first missing entry)
// is rebuilt from its shape section: a DXF profile from its DXF file (an entry
// whose file cannot be read is skipped with the reader's message, label and
// file name as a warning), a standard shape from its template
// and texts (an entry the template refuses is skipped with the template's
// warning). The grid is redrawn, the page's file-name field shows FileName and
// the shared DXF outline is emptied. Any other error shows "[" + error + "]" +
// MsgProfileFileFormatError and leaves no shaped part. A missing file, an
// empty file or one of blanks reads as an empty list; a file that exists but
// cannot be read, or that holds no [STR] section (nor any STR<n>), as a
// tab-separated text or a file saved as UTF-16, is refused with a warning
// before anything changes. False when the file was refused.
bool ReadAnyShapeFile(TMainData& Data, const std::string& FileName);

// "<< Add": adds one shaped part from the "Select Profile" box: the template
// chosen in ComboBoxStandShape with the parameter grid's values, or the DXF
// outline last imported (DxfShapeChosen, DxfProfileFileName), labelled
// EditSelectLabel, quantity and maximum quantity EditSelectQty, rotatable,
// no material. Warnings (through the message sink): an empty label box
// (MsgSelectShapeLabelEmpty); a grid that cannot be read (its message); a
// label of blanks ("[]" + MsgPartLabelCantBeEmpty); a quantity that is no
// whole number of at least 1 ("[" + error + "]" + MsgPartQtyFormatInvalid); a
// label already used, compared exactly (MsgLabelIsntUnique); values the
// template refuses. True when a part was added; the grid is redrawn then.
bool ButtonAddAnyShapeClick(TMainData& Data);
