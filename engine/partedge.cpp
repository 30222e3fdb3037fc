#include "engine/partedge.h"

#include <algorithm>

#include "engine/errors.h"
#include "engine/pubfunc.h"
#include "engine/textfmt.h"
#include "platform/inifile.h"

TPartEdgeList PartEdgeList;

namespace {

const char* const CountSection = "EDGETYPECOUNT";
const char* const SectionPrefix = "EDGETYPE";

// Internal units of a typed allowance or thickness ("1/16", "0.5", "").
std::int32_t EdgeValue(const std::string& Text) {
    // A line break is read as the file stores it, a blank: a value accepted
    // here is accepted again once saved.
    std::string typed = Text;
    std::replace_if(
        typed.begin(), typed.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    std::string decimal;
    FractionToDecimalStr(typed, decimal);
    // A malformed fraction ("2 3", "1/2 3") comes back empty; it must not
    // pass as 0.
    if (decimal.empty() && !Trim(typed).empty())
        throw EConvertError("'" + Text + "' is not a valid floating point value");
    return PubFunc.StrToUnits(decimal);
}

void CheckIndex(std::int32_t Index, std::size_t Count) {
    if (Index < 0 || static_cast<std::size_t>(Index) >= Count)
        throw EListError("List index out of bounds (" + IntToStr(Index) + ")");
}

}  // namespace

PPartEdge TPartEdgeList::AddEdge(const std::string& Label, const std::string& GT,
                                 const std::string& GB, const std::string& GL,
                                 const std::string& GR, const std::string& BT,
                                 const std::string& BB, const std::string& BL,
                                 const std::string& BR) {
    auto e = std::make_shared<TPartEdge>();
    e->Label = Label;
    e->GTText = GT;
    e->GBText = GB;
    e->GLText = GL;
    e->GRText = GR;
    e->BTText = BT;
    e->BBText = BB;
    e->BLText = BL;
    e->BRText = BR;
    e->GT = EdgeValue(GT);
    e->GB = EdgeValue(GB);
    e->GL = EdgeValue(GL);
    e->GR = EdgeValue(GR);
    e->BT = EdgeValue(BT);
    e->BB = EdgeValue(BB);
    e->BL = EdgeValue(BL);
    e->BR = EdgeValue(BR);
    FItems.push_back(e);
    return e;
}

void TPartEdgeList::DeleteEdge(std::int32_t Index) {
    CheckIndex(Index, FItems.size());
    FItems.erase(FItems.begin() + Index);
}

PPartEdge TPartEdgeList::GetEdge(std::int32_t Index) const {
    CheckIndex(Index, FItems.size());
    return FItems[Index];
}

void TPartEdgeList::ClearEdges() {
    while (!FItems.empty()) FItems.pop_back();
}

PPartEdge TPartEdgeList::FindByLabel(std::string_view Label) const {
    for (const auto& e : FItems)
        if (e->Label == Label) return e;
    return nullptr;
}

std::int32_t TPartEdgeList::IndexOfLabel(std::string_view Label) const {
    for (std::size_t i = 0; i < FItems.size(); ++i)
        if (FItems[i]->Label == Label) return static_cast<std::int32_t>(i);
    return 0;
}

void TPartEdgeList::LoadFromIni(const std::string& FileName) {
    const platform::TIniFile ini(FileName);
    const std::int32_t n = ini.ReadInteger(CountSection, "COUNT", 1);
    if (n < 1) {
        AddEdge("N/A", "0", "0", "0", "0", "0", "0", "0", "0");
        return;
    }
    for (std::int32_t i = 0; i < std::min(n, MaxEdgeTypes); ++i) {
        const std::string s = SectionPrefix + IntToStr(i);
        auto value = [&](const char* key) { return ini.ReadString(s, key, "0"); };
        AddEdge(ini.ReadString(s, "LABEL", "N/A"), value("GT"), value("GB"), value("GL"),
                value("GR"), value("BT"), value("BB"), value("BL"), value("BR"));
    }
}

void TPartEdgeList::SaveToIni(const std::string& FileName) const {
    platform::TIniFile ini(FileName);
    ini.WriteInteger(CountSection, "COUNT", Count());
    for (std::size_t i = 0; i < FItems.size(); ++i) {
        const TPartEdge& e = *FItems[i];
        const std::string s = SectionPrefix + IntToStr(static_cast<std::int64_t>(i));
        ini.WriteString(s, "LABEL", e.Label);
        ini.WriteString(s, "GT", e.GTText);
        ini.WriteString(s, "GB", e.GBText);
        ini.WriteString(s, "GL", e.GLText);
        ini.WriteString(s, "GR", e.GRText);
        ini.WriteString(s, "BT", e.BTText);
        ini.WriteString(s, "BB", e.BBText);
        ini.WriteString(s, "BL", e.BLText);
        ini.WriteString(s, "BR", e.BRText);
    }
    ini.UpdateFile();
}

void ResetPartEdgeDefaults() {
    PartEdgeList.ClearEdges();
}
