// The rows of the label dialog for the six kinds of label: the pieces of the
// plan's layouts, the sheets, the parts, the profile parts, the offcut rack
// and the part rack. Every row has the eight fields of LabelFieldNames: label,
// material type, size, comment, layout number, date, time and project title.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/core/captions.h"
#include "app/core/error_location.h"
#include "app/core/main_data.h"
#include "engine/panels.h"
#include "engine/schemes.h"

enum class TLabelKind { Layouts, Sheets, Parts, Profiles, OffcutRack, PartRack };

// What every row ends with: the date and time (in the system's short
// formats) and the project title.
struct TLabelStamp {
    std::string Date;
    std::string Time;
    std::string ProjectTitle;
};

// The eight field names, in column order.
std::vector<std::string> LabelFieldNames(const TCaptionStore& Captions);

// One row per copy of every layout's pieces: usable offcuts only when big
// enough to keep (MinScrapLength, MinScrapWidth, OffcutLenRotatable as they
// stand), offcuts too small to keep never. Names the offcuts of every layout
// first. The size puts the larger side first.
std::vector<std::vector<std::string>> LayoutLabelRows(TSchemes& Plan, const TLabelStamp& Stamp);
// One row per unit of every entry's Quantity. Sheets and parts show their
// sizes as typed, profiles their net sizes, rack offcuts their sizes as typed.
std::vector<std::vector<std::string>> ListLabelRows(const TPanels& List, TLabelKind Kind,
                                                    const TLabelStamp& Stamp);
// One row per part rack slot with a label.
std::vector<std::vector<std::string>> PartRackLabelRows(const TStringGrid& Rack,
                                                        const TLabelStamp& Stamp);

// The label command of Kind: reads the grid the kind needs (sheets, parts,
// free shapes or offcut rack; a refusal fills Error and returns false) and
// writes the field names (row 0) and the rows into Labels.
bool FillLabelData(TLabelKind Kind, TMainData& Data, const TCaptionStore& Captions,
                   const TLabelStamp& Stamp, TStringGrid& Labels, TErrorLocation& Error);

// The setting that remembers the scheme last used for Kind.
std::int32_t& LabelSchemeSetting(TLabelKind Kind);
