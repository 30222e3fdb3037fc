// Parametric shapes of shaped parts.
//
// Every shaped part has a TTrapezium of the same label in TrapeziumList: the
// trapezium the optimiser packs (a bottom side on y = 0, a parallel top side
// on y = Height), the part's real outline in each of the four quarter turns,
// and the template name and dimension texts, from which the free-shape list
// file rebuilds the shape.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/extpolyline.h"

namespace platform {
class TIniFile;
}

class TTrapezium {
  public:
    std::string Label;  // label of the part; compared exactly (case-sensitive)
    std::int32_t ListIndex = -1;
    std::int32_t Bottom = 0;     // side from (0, 0) to (Bottom, 0)
    std::int32_t Param3 = 0;     // how far the top reaches beyond the bottom's right end
    std::int32_t TopOffset = 0;  // x of the top side's left end
    std::int32_t Top = 0;        // length of the top side, on y = Height
    std::int32_t Param6 = 0;     // how far the bottom reaches beyond the top's right end
    std::int32_t Height = 0;
    std::int32_t Param8 = 0;  // margins taken off the outline length (disc templates)
    std::int32_t Param9 = 0;
    // Index = quarter turn 0..3. A: the trapezium itself; B: the real outline
    // for drawing, printing and DXF; C: the real outline for G-code.
    std::array<TExtPolyline, 4> OutlineA;
    std::array<TExtPolyline, 4> OutlineB;
    std::array<TExtPolyline, 4> OutlineC;
    bool DX = false;   // made from a DXF profile
    std::string Name;  // template name or DXF profile name
    std::string P1 = "-1", P2 = "-1", P3 = "-1", P4 = "-1", P5 = "-1", P6 = "-1";

    TTrapezium() = default;

    void SetParam8(std::int32_t Value) { Param8 = Value; }
    void SetParam9(std::int32_t Value) { Param9 = Value; }

    // Sets the trapezium and builds the twelve outlines: A from the trapezium,
    // B and C as copies of Outline, each with Length = Bottom + Param3 -
    // Param8 - Param9 and Width = Height, then turned once, twice and three
    // times for indexes 1, 2 and 3. Param8 and Param9 are set beforehand.
    void Setup(bool DX, const std::string& Label, std::int32_t ListIndex,
               const TExtPolyline& Outline, std::int32_t Bottom, std::int32_t Param3,
               std::int32_t TopOffset, std::int32_t Top, std::int32_t Param6, std::int32_t Height);

    // Copies every field.
    void Assign(const TTrapezium& Source);

    // Outline of quarter turn Index (0..3); ERangeError for any other index.
    const TExtPolyline& GetPolylineB(int Index) const;
    const TExtPolyline& GetPolylineC(int Index) const;

    // (Bottom + Top) * Height / 2.
    double Area() const;

    // The section Prefix + "TZ" of the free-shape list file: N, P1 ... P6, DX.
    // Writes into Ini only; the caller writes the file.
    void SaveToIni(platform::TIniFile& Ini, const std::string& Prefix) const;
    // Restores Name, P1 ... P6 and DX only (missing keys: "", "-1", false);
    // the caller rebuilds the shape from them.
    void LoadFromIni(const platform::TIniFile& Ini, const std::string& Prefix);

    friend bool operator==(const TTrapezium&, const TTrapezium&) = default;
};

// Name of the shape section of a free-shape list entry whose own section is
// Prefix.
std::string TrapeziumSection(const std::string& Prefix);

// The shapes of the program, one per shaped part, in the order added. A shape
// found by FindByLabel stays valid (and shared) even if the list later drops it.
using PTrapezium = std::shared_ptr<TTrapezium>;

class TTrapeziumList {
  public:
    TTrapeziumList() = default;
    TTrapeziumList(const TTrapeziumList&) = delete;
    TTrapeziumList& operator=(const TTrapeziumList&) = delete;

    std::size_t Count() const { return items_.size(); }
    // Throws EListError when Index is out of range.
    const PTrapezium& Items(std::size_t Index) const;

    // The first shape whose Label equals Label exactly; empty when there is
    // none (a shaped part without a shape has no outline).
    PTrapezium FindByLabel(const std::string& Label) const;
    // Copies Shape over the shape of the same label, or appends a copy.
    void AddOrUpdate(const TTrapezium& Shape);
    // Removes the first shape with that label; nothing when absent.
    void DeleteByLabel(const std::string& Label);
    void Clear() { items_.clear(); }

  private:
    std::vector<PTrapezium> items_;
};

// The program's shape list.
extern TTrapeziumList TrapeziumList;

// Empties TrapeziumList.
void ResetTrapeziumList();

// Area of the trapezium of the shaped part named Label; Fallback when no
// shape has that label.
double ShapeAreaOfLabel(const std::string& Label, double Fallback);
