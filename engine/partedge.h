// Edge types: grinding allowances and banding thicknesses of a part's sides.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

// One edge type. Left and right belong to the part's Length (X extent), top
// and bottom to its Width (Y extent). Records are owned by the edge type list
// and shared with the pieces that refer to them, so deleting or reloading
// edge types never leaves a piece pointing at freed memory.
struct TPartEdge {
    std::string Label;
    std::int32_t GT = 0, GB = 0, GL = 0, GR = 0;
    std::int32_t BT = 0, BB = 0, BL = 0, BR = 0;
    std::string GTText, GBText, GLText, GRText, BTText, BBText, BLText, BRText;
};

using PPartEdge = std::shared_ptr<TPartEdge>;
