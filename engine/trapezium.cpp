#include "engine/trapezium.h"

#include <algorithm>

#include "engine/errors.h"
#include "engine/numeric.h"
#include "engine/textfmt.h"
#include "platform/inifile.h"

TTrapeziumList TrapeziumList;

namespace {

std::int32_t Plus(std::int32_t A, std::int32_t B) {
    return CheckedInt32(static_cast<std::int64_t>(A) + B);
}

// Quarter turn Index of a set of four outlines: index 0 as built.
void TurnCopies(std::array<TExtPolyline, 4>& Outlines) {
    Outlines[1].Rotate90();
    Outlines[2].Rotate180();
    Outlines[3].Rotate90();
    Outlines[3].Rotate180();
}

}  // namespace

void TTrapezium::Setup(bool DX_, const std::string& Label_, std::int32_t ListIndex_,
                       const TExtPolyline& Outline, std::int32_t Bottom_, std::int32_t Param3_,
                       std::int32_t TopOffset_, std::int32_t Top_, std::int32_t Param6_,
                       std::int32_t Height_) {
    // The outline may be one of this shape's own: copy it before anything changes.
    const TExtPolyline source = Outline;
    Label = Label_;
    ListIndex = ListIndex_;
    Bottom = Bottom_;
    Param3 = Param3_;
    TopOffset = TopOffset_;
    Top = Top_;
    Param6 = Param6_;
    Height = Height_;
    DX = DX_;

    const TPoint none;
    const TPoint topRight{Plus(TopOffset, Top), Height};
    const TPoint topLeft{TopOffset, Height};
    TExtPolyline trapezium;
    trapezium.AddSegment(psLine, {0, 0}, {Bottom, 0}, none, 0, 0.0, 0.0, 0, "0");
    trapezium.AddSegment(psLine, {Bottom, 0}, topRight, none, 0, 0.0, 0.0, 0, "0");
    trapezium.AddSegment(psLine, topRight, topLeft, none, 0, 0.0, 0.0, 0, "0");
    trapezium.AddSegment(psLine, topLeft, {0, 0}, none, 0, 0.0, 0.0, 0, "0");

    const std::int32_t length = CheckedInt32(static_cast<std::int64_t>(Bottom) + Param3 -
                                             static_cast<std::int64_t>(Param8) - Param9);
    for (int i = 0; i < 4; ++i) {
        OutlineA[i].Assign(trapezium);
        OutlineB[i].Assign(source);
        OutlineC[i].Assign(source);
        for (TExtPolyline* o : {&OutlineA[i], &OutlineB[i], &OutlineC[i]}) {
            o->SetLength(length);
            o->SetWidth(Height);
        }
    }
    TurnCopies(OutlineA);
    TurnCopies(OutlineB);
    TurnCopies(OutlineC);
}

void TTrapezium::Assign(const TTrapezium& Source) {
    if (&Source != this) *this = Source;
}

namespace {
const TExtPolyline& TurnOf(const std::array<TExtPolyline, 4>& Outlines, int Index) {
    if (Index < 0 || Index >= 4) throw ERangeError();
    return Outlines[Index];
}
}  // namespace

const TExtPolyline& TTrapezium::GetPolylineB(int Index) const {
    return TurnOf(OutlineB, Index);
}
const TExtPolyline& TTrapezium::GetPolylineC(int Index) const {
    return TurnOf(OutlineC, Index);
}

double TTrapezium::Area() const {
    return (static_cast<double>(Bottom) + static_cast<double>(Top)) * static_cast<double>(Height) /
           2.0;
}

std::string TrapeziumSection(const std::string& Prefix) {
    return Prefix + "TZ";
}

void TTrapezium::SaveToIni(platform::TIniFile& Ini, const std::string& Prefix) const {
    const std::string section = TrapeziumSection(Prefix);
    Ini.WriteString(section, "N", Name);
    Ini.WriteString(section, "P1", P1);
    Ini.WriteString(section, "P2", P2);
    Ini.WriteString(section, "P3", P3);
    Ini.WriteString(section, "P4", P4);
    Ini.WriteString(section, "P5", P5);
    Ini.WriteString(section, "P6", P6);
    Ini.WriteBool(section, "DX", DX);
}

void TTrapezium::LoadFromIni(const platform::TIniFile& Ini, const std::string& Prefix) {
    const std::string section = TrapeziumSection(Prefix);
    Name = Ini.ReadString(section, "N", "");
    P1 = Ini.ReadString(section, "P1", "-1");
    P2 = Ini.ReadString(section, "P2", "-1");
    P3 = Ini.ReadString(section, "P3", "-1");
    P4 = Ini.ReadString(section, "P4", "-1");
    P5 = Ini.ReadString(section, "P5", "-1");
    P6 = Ini.ReadString(section, "P6", "-1");
    DX = Ini.ReadBool(section, "DX", false);
}

const PTrapezium& TTrapeziumList::Items(std::size_t Index) const {
    if (Index >= items_.size())
        throw EListError(Format("List index out of bounds (%d)", {static_cast<long long>(Index)}));
    return items_[Index];
}

PTrapezium TTrapeziumList::FindByLabel(const std::string& Label) const {
    for (const PTrapezium& t : items_)
        if (t->Label == Label) return t;
    return nullptr;
}

void TTrapeziumList::AddOrUpdate(const TTrapezium& Shape) {
    if (PTrapezium t = FindByLabel(Shape.Label)) {
        t->Assign(Shape);
        return;
    }
    auto t = std::make_shared<TTrapezium>();
    t->Assign(Shape);
    items_.push_back(std::move(t));
}

void TTrapeziumList::DeleteByLabel(const std::string& Label) {
    auto it = std::find_if(items_.begin(), items_.end(),
                           [&](const PTrapezium& t) { return t->Label == Label; });
    if (it != items_.end()) items_.erase(it);
}

void ResetTrapeziumList() {
    TrapeziumList.Clear();
}

double ShapeAreaOfLabel(const std::string& Label, double Fallback) {
    const PTrapezium t = TrapeziumList.FindByLabel(Label);
    return t ? t->Area() : Fallback;
}
