#include "app/core/free_shapes.h"

#include <algorithm>
#include <new>
#include <optional>
#include <utility>

#include "app/core/grid_readers.h"
#include "engine/errors.h"
#include "engine/pubstr.h"
#include "engine/shape_templates.h"
#include "engine/shared_state.h"
#include "engine/textfmt.h"
#include "engine/trapezium.h"
#include "output/dxf_import.h"
#include "platform/inifile.h"
#include "platform/message_sink.h"

namespace {

struct TemplateRows {
    const char* Name;
    std::vector<std::string> Parameters;
};

const std::vector<TemplateRows>& Templates() {
    static const std::vector<TemplateRows> t = {
        {"Triangle1", {"A", "B", "C"}},
        {"Triangle2", {"G", "H"}},
        {"Trapezium1", {"G", "G1", "G2", "H"}},
        {"Trapezium2", {"G", "G1", "H"}},
        {"Trapezium3", {"G", "G1", "H"}},
        {"Disc1", {"G", "H"}},
        {"Disc2", {"G", "H"}},
        {"Disc3", {"R", "A"}},
    };
    return t;
}

constexpr int kMaxShapeParameters = 6;

// A part that may be in the shown plan is about to change: the plan goes.
void ClearPlanIfShown() {
    if (Optimizer.Best.Count() > 0) Optimizer.Clear();
}

}  // namespace

const std::vector<std::string>& StandardShapeNames() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> n;
        for (const auto& t : Templates()) n.push_back(t.Name);
        return n;
    }();
    return names;
}

namespace {

using TTemplateBuilder = bool (*)(T2DStock&, const std::string&, const std::string&,
                                  const std::string&, const std::string&, const std::string&,
                                  const std::string&);
using TSegments = std::vector<TPolySegment>;

// Sample dimensions of each template's picture and where its parameters lie
// on the outline the template builds from them (segments in build order).
struct TPictureRecipe {
    const char* Name;
    TTemplateBuilder Build;
    std::vector<std::string> Sample;
    std::vector<TShapeDimension> (*Place)(const TSegments& S, std::int32_t W);
};

TShapeDimension Dim(const char* Name, TPoint From, TPoint To) { return {Name, From, To}; }

const std::vector<TPictureRecipe>& PictureRecipes() {
    static const std::vector<TPictureRecipe> recipes = {
        // Sides a, b (the base) and c; the apex lies left of the base's end.
        {"Triangle1", MakeTriangle1Profile, {"800", "1000", "700"},
         [](const TSegments& S, std::int32_t) {
             return std::vector{Dim("A", S[2].P1, S[2].P2), Dim("B", S[0].P1, S[0].P2),
                                Dim("C", S[1].P1, S[1].P2)};
         }},
        // The two sides at the right angle.
        {"Triangle2", MakeTriangle2Profile, {"1000", "600"},
         [](const TSegments& S, std::int32_t) {
             return std::vector{Dim("G", S[0].P1, S[0].P2), Dim("H", S[2].P1, S[2].P2)};
         }},
        // Bottom, top, right inset, height.
        {"Trapezium1", MakeTrapezium1Profile, {"1000", "400", "350", "450"},
         [](const TSegments& S, std::int32_t) {
             const TPoint topRight = S[1].P2;
             return std::vector{Dim("G", S[0].P1, S[0].P2), Dim("G1", S[2].P1, S[2].P2),
                                Dim("G2", topRight, {S[0].P2.X, topRight.Y}),
                                Dim("H", S[0].P1, {S[0].P1.X, topRight.Y})};
         }},
        // Top, bottom and height of a right trapezium.
        {"Trapezium2", MakeTrapezium2Profile, {"600", "1000", "500"},
         [](const TSegments& S, std::int32_t) {
             return std::vector{Dim("G", S[2].P1, S[2].P2), Dim("G1", S[0].P1, S[0].P2),
                                Dim("H", S[3].P1, S[3].P2)};
         }},
        // Side, shift and height of a parallelogram.
        {"Trapezium3", MakeTrapezium3Profile, {"1000", "300", "500"},
         [](const TSegments& S, std::int32_t) {
             const TPoint topLeft = S[2].P2;
             return std::vector{Dim("G", S[0].P1, S[0].P2), Dim("G1", {S[0].P1.X, topLeft.Y}, topLeft),
                                Dim("H", S[0].P1, {S[0].P1.X, topLeft.Y})};
         }},
        // Chord and height of a segment of a disc.
        {"Disc1", MakeDisc1Profile, {"1000", "300"},
         [](const TSegments& S, std::int32_t W) {
             const std::int32_t mid = (S[0].P1.X + S[0].P2.X) / 2;
             return std::vector{Dim("G", S[0].P1, S[0].P2), Dim("H", {mid, S[0].P1.Y}, {mid, W})};
         }},
        {"Disc2", MakeDisc2Profile, {"800", "700"},
         [](const TSegments& S, std::int32_t W) {
             const std::int32_t mid = (S[0].P1.X + S[0].P2.X) / 2;
             return std::vector{Dim("G", S[0].P1, S[0].P2), Dim("H", {mid, S[0].P1.Y}, {mid, W})};
         }},
        // Radius and angle of a sector, the apex at the bottom.
        {"Disc3", MakeDisc3Profile, {"1000", "60"},
         [](const TSegments& S, std::int32_t) {
             return std::vector{Dim("R", S[0].P1, S[0].P2), Dim("A", S[0].P2, S[0].P2)};
         }},
    };
    return recipes;
}

TShapePicture BuildPicture(const TPictureRecipe& r) {
    TShapePicture picture;
    // The template stores its shape under the piece's label; the picture
    // takes the outline and leaves the list as it was.
    const std::string label = std::string("\x01picture ") + r.Name;
    T2DStock piece;
    piece.Label = label;
    std::vector<std::string> p = r.Sample;
    p.resize(6);
    if (!r.Build(piece, p[0], p[1], p[2], p[3], p[4], p[5])) return picture;
    if (const PTrapezium shape = TrapeziumList.FindByLabel(label)) {
        picture.Outline = shape->GetPolylineB(0);
        TrapeziumList.DeleteByLabel(label);
    }
    picture.Length = piece.Length;
    picture.Width = piece.Width;
    for (const TPolySegment& s : picture.Outline.Segments()) {
        if (s.Kind != psLine) continue;
        picture.Length = std::max({picture.Length, s.P1.X, s.P2.X});
        picture.Width = std::max({picture.Width, s.P1.Y, s.P2.Y});
    }
    if (picture.Outline.Count() > 0) picture.Dimensions = r.Place(picture.Outline.Segments(), picture.Width);
    return picture;
}

}  // namespace

const TShapePicture& StandardShapePicture(const std::string& name) {
    static const std::vector<TShapePicture> pictures = [] {
        std::vector<TShapePicture> all;
        for (const TPictureRecipe& r : PictureRecipes()) all.push_back(BuildPicture(r));
        return all;
    }();
    static const TShapePicture none;
    const auto& recipes = PictureRecipes();
    for (std::size_t i = 0; i < recipes.size(); ++i)
        if (name == recipes[i].Name) return pictures[i];
    return none;
}

std::vector<std::string> StandardShapeParameters(const std::string& name) {
    for (const auto& t : Templates())
        if (name == t.Name) return t.Parameters;
    return {};
}

void ComboBoxStandShapeChange(TMainData& d, int index) {
    d.DxfShapeChosen = false;
    if (index < 0 || index >= static_cast<int>(Templates().size())) return;
    d.ComboBoxStandShape = index;
    const auto& names = Templates()[static_cast<std::size_t>(index)].Parameters;
    TStringGrid& g = d.StringGridStandardPara;
    g.SetRowCount(static_cast<int>(names.size()) + 1);
    for (std::size_t i = 0; i < names.size(); ++i)
        g.SetCell(StandardParaCol::Name, static_cast<int>(i) + 1, names[i]);
}

void ChooseDxfProfile(TMainData& d) {
    d.DxfShapeChosen = true;
    d.StringGridStandardPara.SetRowCount(2);
    d.StringGridStandardPara.SetCell(StandardParaCol::Name, 1, "");
}

std::vector<std::string> StandardShapeValues(const TMainData& d) {
    const TStringGrid& g = d.StringGridStandardPara;
    std::vector<std::string> values;
    for (int r = 1; r <= kMaxShapeParameters; ++r)
        values.push_back(r < g.RowCount() ? g.Cell(StandardParaCol::Value, r) : std::string());
    return values;
}

void ShowAnyShapeList(TMainData& d, const TPanels& profiles, const TPanels& qtys) {
    TStringGrid& g = d.StringGridAnyShape;
    const int n = profiles.Count();
    if (g.RowCount() < n + 1) g.SetRowCount(n + 1);
    for (int i = 0; i < n; ++i) {
        const T2DStock& p = profiles[i];
        g.SetRow(i + 1, {p.Label, p.Material, p.CanRotate ? "R" : "N",
                         i < qtys.Count() ? IntToStr(qtys[i].Quantity) : std::string(),
                         IntToStr(p.Quantity), p.Comment});
    }
    for (int r = n + 1; r < g.RowCount(); ++r)
        for (int c = 0; c < AnyShapeCol::Count; ++c) g.Cell(c, r).clear();
}

std::string AnyShapeFileFilter(const std::string& title) {
    return title + "(*.apt)|*.apt";
}

void ShowAnyShapeList(TMainData& d) {
    ShowAnyShapeList(d, ProfilePartList, ProfilePartQtyList);
}

bool SaveAnyShapeFile(TMainData& d, const std::string& fileName, bool setName) {
    TErrorLocation error;
    if (!ReadAnyShapeGrid(d, error)) {
        platform::CurrentMessageSink().Warning(error.Message);
        return false;
    }
    const TListSaveGuard guard(d, fileName);
    platform::TIniFile ini(fileName);
    EraseAllIniSections(ini);
    // Entries are written per part, each with the shape of its label, so a
    // part and its shape can never be paired wrongly.
    std::vector<std::pair<int, PTrapezium>> entries;
    for (int i = 0; i < ProfilePartList.Count(); ++i)
        if (PTrapezium shape = TrapeziumList.FindByLabel(ProfilePartList[i].Label))
            entries.emplace_back(i, std::move(shape));
    ini.WriteInteger("STR", "CN", static_cast<std::int32_t>(entries.size()));
    for (std::size_t n = 0; n < entries.size(); ++n) {
        const auto& [i, shape] = entries[n];
        const T2DStock& p = ProfilePartList[i];
        const std::string section = "STR" + IntToStr(static_cast<std::int64_t>(n));
        shape->SaveToIni(ini, section);
        ini.WriteString(section, "L", p.Label);
        ini.WriteInteger(section, "Q",
                         i < ProfilePartQtyList.Count() ? ProfilePartQtyList[i].Quantity : 0);
        ini.WriteInteger(section, "MQ", p.Quantity);
        ini.WriteString(section, "C", p.Comment);
        ini.WriteString(section, "T", p.Material);
        ini.WriteBool(section, "R", p.CanRotate);
    }
    ini.UpdateFile();
    NoteListFile(d, fileName);
    if (setName) d.EditAnyShapeFileName = fileName;
    return true;
}

bool AnyShapeDelete(TMainData& d, int row) {
    if (row < 1 || row > ProfilePartList.Count()) return false;
    ClearPlanIfShown();
    const std::string label = ProfilePartList[row - 1].Label;
    ProfilePartList.Delete(row - 1);
    if (row - 1 < ProfilePartQtyList.Count()) ProfilePartQtyList.Delete(row - 1);
    bool shared = false;
    for (const T2DStock& p : ProfilePartList)
        if (p.Label == label) shared = true;
    if (!shared) TrapeziumList.DeleteByLabel(label);
    ShowAnyShapeList(d);
    return true;
}

void AnyShapeDeleteAll(TMainData& d) {
    ClearPlanIfShown();
    ProfilePartList.Clear();
    ProfilePartQtyList.Clear();
    TrapeziumList.Clear();
    ShowAnyShapeList(d);
}

bool ReadAnyShapeFile(TMainData& d, const std::string& fileName) {
    if (RefuseUnreadableFile(fileName)) return false;
    std::optional<platform::TIniFile> file;
    try {
        file.emplace(fileName);
    } catch (const std::bad_alloc&) {
        WarnNoMemoryFor(fileName);
        return false;
    }
    // A file of another kind (a tab-separated text, a file saved as UTF-16)
    // leaves the list as it was and is not saved over.
    if (RefuseFileWithoutListSection(*file, fileName, "STR", true, "free-shape list"))
        return false;
    AnyShapeDeleteAll(d);
    try {
        const platform::TIniFile& ini = *file;
        const std::int32_t count = ini.ReadInteger("STR", "CN", 0);
        for (std::int32_t i = 0; i < count; ++i) {
            const std::string section = "STR" + IntToStr(i);
            if (!ini.SectionExists(section)) break;
            const std::string label = ini.ReadString(section, "L", "");
            const std::int32_t qty = ini.ReadInteger(section, "Q", 0);
            const std::int32_t maxQty = ini.ReadInteger(section, "MQ", 0);
            const std::string comment = ini.ReadString(section, "C", "");
            const std::string material = ini.ReadString(section, "T", "");
            const bool rotate = ini.ReadBool(section, "R", true);
            TTrapezium shape;
            shape.LoadFromIni(ini, section);
            if (shape.DX) {
                // An outline that cannot be read is skipped, and the user told
                // which, so that a later save does not drop it unnoticed.
                const std::string dxfError = ReadDxfProfileFile(shape.Name, DxfOutline);
                if (!dxfError.empty()) {
                    platform::CurrentMessageSink().Warning(dxfError + "[" + label + " : " +
                                                           shape.Name + "]");
                    continue;
                }
                DxfProfileFileName = shape.Name;
                AddDxfProfilePart(label, comment, shape.Name, maxQty, qty, material, rotate);
            } else if (AddStandardProfilePart(label, comment, shape.Name, shape.P1, shape.P2,
                                              shape.P3, shape.P4, shape.P5, shape.P6, maxQty, qty,
                                              material)) {
                ProfilePartList.Last().CanRotate = rotate;
                ProfilePartQtyList.Last().CanRotate = rotate;
            }
        }
    } catch (const std::exception& e) {
        platform::CurrentMessageSink().Warning("[" + std::string(e.what()) + "]" +
                                               MsgProfileFileFormatError);
        ProfilePartList.Clear();
        ProfilePartQtyList.Clear();
        TrapeziumList.Clear();
        DxfOutline = TExtPolyline();
        ShowAnyShapeList(d);
        return false;
    }
    ShowAnyShapeList(d);
    d.EditAnyShapeFileName = fileName;
    NoteListFile(d, fileName);
    DxfOutline = TExtPolyline();
    return true;
}

bool ButtonAddAnyShapeClick(TMainData& d) {
    auto& sink = platform::CurrentMessageSink();
    if (d.EditSelectLabel.empty()) {
        sink.Warning(MsgSelectShapeLabelEmpty);
        return false;
    }
    // Edits made in the grid reach the lists before the grid is redrawn from
    // them; a grid that cannot be read would lose them, so nothing is added.
    TErrorLocation error;
    if (!ReadAnyShapeGrid(d, error)) {
        sink.Warning(error.Message);
        return false;
    }
    const std::string& label = d.EditSelectLabel;
    if (Trim(label).empty()) {
        sink.Warning("[]" + MsgPartLabelCantBeEmpty);
        return false;
    }
    std::int32_t qty = 0;
    try {
        qty = StrToInt(d.EditSelectQty);
    } catch (const EConvertError& e) {
        sink.Warning("[" + std::string(e.what()) + "]" + MsgPartQtyFormatInvalid);
        return false;
    }
    if (qty < 1) {
        sink.Warning("[]" + MsgPartQtyFormatInvalid);
        return false;
    }
    for (const T2DStock& p : ProfilePartList)
        if (p.Label == label) {
            sink.Warning(MsgLabelIsntUnique);
            return false;
        }
    bool added = false;
    try {
        if (d.DxfShapeChosen) {
            added = AddDxfProfilePart(label, "", DxfProfileFileName, qty, qty, "", true);
        } else {
            const auto& names = StandardShapeNames();
            const std::string templ =
                d.ComboBoxStandShape >= 0 && d.ComboBoxStandShape < static_cast<int>(names.size())
                    ? names[static_cast<std::size_t>(d.ComboBoxStandShape)]
                    : std::string();
            const auto v = StandardShapeValues(d);
            added = AddStandardProfilePart(label, "", templ, v[0], v[1], v[2], v[3], v[4], v[5],
                                           qty, qty, "");
        }
    } catch (const std::exception& e) {
        sink.Warning("[" + std::string(e.what()) + "]" + MsgShapeParaFormatInvalid);
        return false;
    }
    ShowAnyShapeList(d);
    return added;
}
