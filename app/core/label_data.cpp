#include "app/core/label_data.h"

#include "app/core/grid_readers.h"
#include "engine/errors.h"
#include "engine/pubfunc.h"
#include "engine/pubstr.h"
#include "engine/shared_state.h"
#include "engine/textfmt.h"

namespace {

constexpr const char* kSizeJoin = " X ";

std::vector<std::string> Row(const std::string& Label, const std::string& Material,
                             const std::string& Size, const std::string& Comment,
                             const std::string& Layout, const TLabelStamp& S) {
    return {Label, Material, Size, Comment, Layout, S.Date, S.Time, S.ProjectTitle};
}

std::string NetSize(const T2DStock& P) {
    return PubFunc.UnitsToStr(P.NetLength()) + kSizeJoin + PubFunc.UnitsToStr(P.NetWidth());
}

// The value of a typed length, or Fallback when it does not convert.
std::int64_t TypedValue(const std::string& Text, std::int32_t Fallback) {
    std::string decimal;
    FractionToDecimalStr(Text, decimal);
    try {
        return decimal.empty() || decimal[0] == '[' ? Fallback : StrToFixed4(decimal);
    } catch (const EConvertError&) {
        return Fallback;
    }
}

// Larger side first: the typed texts when both are given, else the net sizes.
std::string LayoutPieceSize(const T2DStock& Q) {
    if (!Trim(Q.LengthText).empty() && !Trim(Q.WidthText).empty()) {
        const std::int64_t l = TypedValue(Q.LengthText, Q.Length);
        const std::int64_t w = TypedValue(Q.WidthText, Q.Width);
        return l >= w ? Q.LengthText + kSizeJoin + Q.WidthText
                      : Q.WidthText + kSizeJoin + Q.LengthText;
    }
    const std::string l = PubFunc.UnitsToStr(Q.NetLength()), w = PubFunc.UnitsToStr(Q.NetWidth());
    return Q.NetLength() > Q.NetWidth() ? l + kSizeJoin + w : w + kSizeJoin + l;
}

// The label's text up to and including its first "_" (all of it without one).
std::string LabelPrefix(const std::string& Label) {
    const std::size_t p = Label.find('_');
    return p == std::string::npos ? Label : Label.substr(0, p + 1);
}

bool KeptOffcut(const T2DStock& Q) {
    const std::int32_t l = Q.NetLength(), w = Q.NetWidth();
    return (l >= MinScrapLength && w >= MinScrapWidth) ||
           (OffcutLenRotatable && l >= MinScrapWidth && w >= MinScrapLength);
}

}  // namespace

std::vector<std::string> LabelFieldNames(const TCaptionStore& Captions) {
    return {PartLabelCaption,
            Captions.Caption("GroupBoxMaterialType"),
            PartLengthCaption + kSizeJoin + PartWidthCaption,
            CommentCaption,
            LayoutsCaption,
            DateCaption,
            TimeCaption,
            Captions.Caption("LabelPrintTitle")};
}

std::vector<std::vector<std::string>> LayoutLabelRows(TSchemes& Plan, const TLabelStamp& Stamp) {
    std::vector<std::vector<std::string>> rows;
    for (int k = 0; k < Plan.Count(); ++k) NameOffcutsOfPacket(Plan[k]);
    for (int k = 0; k < Plan.Count(); ++k) {
        const TPacket& P = Plan[k];
        const std::string layout = IntToStr(k + 1);
        for (int copy = 0; copy < P.Quantity; ++copy)
            for (const T2DStock& Q : P.Placements) {
                const std::string prefix = LabelPrefix(Q.Label);
                if (prefix == ZeroOffcutPrefix) continue;
                const bool offcut = prefix == OffcutPrefix;
                if (offcut && !KeptOffcut(Q)) continue;
                // An offcut is of its sheet's material.
                const std::string& material =
                    offcut && Q.Material.empty() ? P.Material : Q.Material;
                rows.push_back(Row(Q.Label, material, LayoutPieceSize(Q),
                                   offcut ? P.Comment : Q.Comment, layout, Stamp));
            }
    }
    return rows;
}

std::vector<std::vector<std::string>> ListLabelRows(const TPanels& List, TLabelKind Kind,
                                                    const TLabelStamp& Stamp) {
    std::vector<std::vector<std::string>> rows;
    for (const T2DStock& s : List) {
        const std::string size =
            Kind == TLabelKind::Profiles ? NetSize(s) : s.LengthText + kSizeJoin + s.WidthText;
        for (int i = 0; i < s.Quantity; ++i)
            rows.push_back(Row(s.Label, s.Material, size, s.Comment, "", Stamp));
    }
    return rows;
}

std::vector<std::vector<std::string>> PartRackLabelRows(const TStringGrid& G,
                                                        const TLabelStamp& Stamp) {
    std::vector<std::vector<std::string>> rows;
    for (int r = 1; r < G.RowCount(); ++r) {
        if (Trim(G.Cell(PartRackCol::Label, r)).empty()) continue;
        rows.push_back(
            Row(G.Cell(PartRackCol::Label, r), G.Cell(PartRackCol::Type, r),
                G.Cell(PartRackCol::Length, r) + kSizeJoin + G.Cell(PartRackCol::Width, r),
                G.Cell(PartRackCol::Comment, r), "", Stamp));
    }
    return rows;
}

bool FillLabelData(TLabelKind Kind, TMainData& Data, const TCaptionStore& Captions,
                   const TLabelStamp& Stamp, TStringGrid& Labels, TErrorLocation& Error) {
    std::vector<std::vector<std::string>> rows;
    switch (Kind) {
        case TLabelKind::Layouts:
            rows = LayoutLabelRows(Optimizer.Best, Stamp);
            break;
        case TLabelKind::Sheets:
            if (!ReadSheetsGrid(Data, Error)) return false;
            rows = ListLabelRows(SheetList, Kind, Stamp);
            break;
        case TLabelKind::Parts:
            if (!ReadPartsGrid(Data, Error)) return false;
            rows = ListLabelRows(PartList, Kind, Stamp);
            break;
        case TLabelKind::Profiles:
            if (!ReadAnyShapeGrid(Data, Error)) return false;
            rows = ListLabelRows(ProfilePartList, Kind, Stamp);
            break;
        case TLabelKind::OffcutRack:
            if (!ReadRackGrid(Data, Error)) return false;
            rows = ListLabelRows(OffcutRackList, Kind, Stamp);
            break;
        case TLabelKind::PartRack:
            rows = PartRackLabelRows(Data.StringGridPartRack, Stamp);
            break;
    }
    const std::vector<std::string> names = LabelFieldNames(Captions);
    Labels.SetSize(static_cast<int>(names.size()), static_cast<int>(rows.size()) + 1);
    Labels.SetRow(0, names);
    for (std::size_t i = 0; i < rows.size(); ++i) Labels.SetRow(static_cast<int>(i) + 1, rows[i]);
    return true;
}

std::int32_t& LabelSchemeSetting(TLabelKind Kind) {
    switch (Kind) {
        case TLabelKind::Layouts:
            return LayoutsLabelPrintIndex;
        case TLabelKind::Sheets:
            return SheetsLabelPrintIndex;
        case TLabelKind::Parts:
            return PartsLabelPrintIndex;
        case TLabelKind::Profiles:
            return ProfilesLabelPrintIndex;
        case TLabelKind::OffcutRack:
            return OffcutsRackLabelPrintIndex;
        case TLabelKind::PartRack:
            break;
    }
    return PartsRackLabelPrintIndex;
}
