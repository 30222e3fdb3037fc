// Edge types: grinding allowances and banding thicknesses of a part's sides.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

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

// The edge types of the program, in order. Records are shared with the pieces
// that use them: removing a record from the list never frees it under a piece.
class TPartEdgeList {
  public:
    // Appends a record with the label and the eight texts as typed; each text
    // goes through FractionToDecimalStr and StrToUnits (in the order GT, GB,
    // GL, GR, BT, BB, BL, BR) into its field. Throws EConvertError (or
    // ERangeError) for a value that is not a length; nothing is added then.
    PPartEdge AddEdge(const std::string& Label, const std::string& GT, const std::string& GB,
                      const std::string& GL, const std::string& GR, const std::string& BT,
                      const std::string& BB, const std::string& BL, const std::string& BR);
    // Removes record Index. Throws EListError for an index outside the list.
    void DeleteEdge(std::int32_t Index);
    // Record Index. Throws EListError for an index outside the list.
    PPartEdge GetEdge(std::int32_t Index) const;
    void ClearEdges();
    std::int32_t Count() const { return static_cast<std::int32_t>(FItems.size()); }
    const std::vector<PPartEdge>& Items() const { return FItems; }

    // The first record whose label equals Label exactly (case-sensitive), or
    // an empty pointer.
    PPartEdge FindByLabel(std::string_view Label) const;
    // Position of the first record whose label equals Label exactly; 0 when
    // none does (the same as the first position).
    std::int32_t IndexOfLabel(std::string_view Label) const;

    // Appends the edge types of an edge type file (sections EDGETYPECOUNT and
    // EDGETYPE0...). A missing file gives one edge type "N/A" with all values
    // 0; a missing section gives one such edge type in its place. Conversion
    // errors of a value pass to the caller.
    void LoadFromIni(const std::string& FileName);
    // Writes the list as an edge type file, keeping the file's other sections
    // (sections beyond the new count stay and are ignored when read). Throws
    // platform::IniWriteError when the file cannot be written.
    void SaveToIni(const std::string& FileName) const;

  private:
    std::vector<PPartEdge> FItems;
};

// Most edge types an edge type file is read with; a larger count is taken as
// this many.
inline constexpr std::int32_t MaxEdgeTypes = 10000;

// The program's edge types.
extern TPartEdgeList PartEdgeList;

// Empties PartEdgeList.
void ResetPartEdgeDefaults();
