#include "app/core/grid_readers.h"

#include <cstdint>
#include <string>

#include "app/core/list_files.h"
#include "app/core/option_reader.h"
#include "engine/errors.h"
#include "engine/partedge.h"
#include "engine/pubstr.h"
#include "engine/shared_state.h"
#include "engine/textfmt.h"
#include "engine/trapezium.h"

namespace {

// Where a reader reports its bad cells and how it frames the message.
struct GridPlace {
    const char* Page;
    const char* Grid;
    bool MessageFirst;  // message + "[" + E + "]" instead of "[" + E + "]" + message

    bool Fail(TErrorLocation& error, int col, int row, const std::string& e,
              const std::string& message) const {
        error = TErrorLocation::Cell(
            Page, Grid, col, row, MessageFirst ? message + "[" + e + "]" : "[" + e + "]" + message);
        return false;
    }
};

constexpr GridPlace kSheetsPlace{"TabSheetSheets", "StringGridSheets", true};
constexpr GridPlace kRackPlace{"TabSheetOffcuts", "StringGridOffcutRack", false};
constexpr GridPlace kPartsPlace{"TabSheetParts", "StringGridParts", false};
constexpr GridPlace kAnyShapePlace{"TabSheetAnyShape", "StringGridAnyShape", false};

// A typed length above 0; E gets the conversion error (empty for a value
// that converts but is not above 0).
bool PositiveLength(const std::string& text, std::int32_t& units, std::string& e) {
    e.clear();
    return TypedLengthToUnits(text, units, e) && units > 0;
}

// A cost (decimals, no fractions) of at least 0.
bool NonNegativeCost(const std::string& text, std::int32_t& units, std::string& e) {
    e.clear();
    return StrToUnitsOrError(text, units, e) && units >= 0;
}

// A whole number of at least 0.
bool NonNegativeInt(const std::string& text, std::int32_t& value, std::string& e) {
    e.clear();
    try {
        value = StrToInt(text);
    } catch (const EConvertError& ex) {
        e = ex.what();
        return false;
    }
    return value >= 0;
}

// An exactly empty cell becomes "0".
void DefaultZero(TStringGrid& g, int col, int row) {
    if (g.Cell(col, row).empty()) g.SetCell(col, row, "0");
}

}  // namespace

std::string UnknownEdgeTypeMessage(const std::string& ColumnTitle, const std::string& Label) {
    return MsgInvalidData + ": the column \"" + ColumnTitle + "\" names the edge type \"" + Label +
           "\", which is not in the edge type list (choose one of its types or leave the cell "
           "empty)";
}

bool ReadSheetsGrid(TMainData& data, TPanels& sheets, TErrorLocation& error) {
    TStringGrid& g = data.StringGridSheets;
    const GridPlace& at = kSheetsPlace;
    sheets.Clear();
    std::string e;
    for (int r = 1; r < g.RowCount(); ++r) {
        if (g.Cell(SheetCol::Label, r).empty() && g.Cell(SheetCol::Length, r).empty() &&
            g.Cell(SheetCol::Width, r).empty() && g.Cell(SheetCol::Qty, r).empty())
            continue;
        T2DStock s;
        s.Label = Trim(g.Cell(SheetCol::Label, r));
        if (s.Label.empty())
            return at.Fail(error, SheetCol::Label, r, "", MsgSheetLabelCantBeEmpty);
        if (!PositiveLength(g.Cell(SheetCol::Length, r), s.Length, e))
            return at.Fail(error, SheetCol::Length, r, e, MsgSheetLengthFormatInvalid);
        if (!PositiveLength(g.Cell(SheetCol::Width, r), s.Width, e))
            return at.Fail(error, SheetCol::Width, r, e, MsgSheetWidthFormatInvalid);
        if (!NonNegativeInt(g.Cell(SheetCol::Qty, r), s.Quantity, e))
            return at.Fail(error, SheetCol::Qty, r, e, MsgSheetQtyFormatInvalid);
        DefaultZero(g, SheetCol::Cost, r);
        if (!NonNegativeCost(g.Cell(SheetCol::Cost, r), s.Cost, e) || (CostOptimize && s.Cost == 0))
            return at.Fail(error, SheetCol::Cost, r, e, MsgSheetCostFormatInvalid);
        DefaultZero(g, SheetCol::Priority, r);
        if (!NonNegativeInt(g.Cell(SheetCol::Priority, r), s.Priority, e))
            return at.Fail(error, SheetCol::Priority, r, e, MsgSheetPriorityFormatInvalid);
        s.LengthText = g.Cell(SheetCol::Length, r);
        s.WidthText = g.Cell(SheetCol::Width, r);
        s.Comment = g.Cell(SheetCol::Comment, r);
        s.SourceKind = srcSheet;
        s.Material = Trim(g.Cell(SheetCol::Type, r));
        sheets.AddCopy(s);
    }
    if (sheets.Empty()) {
        error = TErrorLocation::Cell(at.Page, at.Grid, 0, 1, MsgSheetDataIsEmpty);
        return false;
    }
    return true;
}

bool ReadRackGrid(TMainData& data, TPanels& offcuts, TErrorLocation& error) {
    offcuts.Clear();
    if (DisableOffcutsRack) return true;
    TStringGrid& g = data.StringGridOffcutRack;
    const GridPlace& at = kRackPlace;
    std::string e;
    for (int r = 1; r < g.RowCount(); ++r) {
        if (g.Cell(OffcutRackCol::Label, r).empty() && g.Cell(OffcutRackCol::Length, r).empty() &&
            g.Cell(OffcutRackCol::Width, r).empty())
            continue;
        T2DStock s;
        s.Label = g.Cell(OffcutRackCol::Label, r);  // taken as it stands
        if (!PositiveLength(g.Cell(OffcutRackCol::Length, r), s.Length, e))
            return at.Fail(error, OffcutRackCol::Length, r, e, MsgSheetLengthFormatInvalid);
        if (!PositiveLength(g.Cell(OffcutRackCol::Width, r), s.Width, e))
            return at.Fail(error, OffcutRackCol::Width, r, e, MsgSheetWidthFormatInvalid);
        // A rack offcut may cost nothing, even when costs are optimised.
        DefaultZero(g, OffcutRackCol::Cost, r);
        if (!NonNegativeCost(g.Cell(OffcutRackCol::Cost, r), s.Cost, e))
            return at.Fail(error, OffcutRackCol::Cost, r, e, MsgSheetCostFormatInvalid);
        DefaultZero(g, OffcutRackCol::Priority, r);
        if (!NonNegativeInt(g.Cell(OffcutRackCol::Priority, r), s.Priority, e))
            return at.Fail(error, OffcutRackCol::Priority, r, e, MsgSheetPriorityFormatInvalid);
        s.Material = Trim(g.Cell(OffcutRackCol::Type, r));
        s.Quantity = 1;
        s.LengthText = g.Cell(OffcutRackCol::Length, r);
        s.WidthText = g.Cell(OffcutRackCol::Width, r);
        s.Comment = g.Cell(OffcutRackCol::Comment, r);
        s.SourceKind = srcOffcut;
        offcuts.AddCopy(s);
    }
    return true;
}

bool ReadPartsGrid(TMainData& data, TPanels& parts, TPanels& partQtys, TErrorLocation& error) {
    TStringGrid& g = data.StringGridParts;
    const GridPlace& at = kPartsPlace;
    parts.Clear();
    partQtys.Clear();
    std::string e;
    for (int r = 1; r < g.RowCount(); ++r) {
        if (g.Cell(PartCol::Label, r).empty() && g.Cell(PartCol::Length, r).empty() &&
            g.Cell(PartCol::Width, r).empty() && g.Cell(PartCol::Qty, r).empty())
            continue;
        T2DStock p;
        p.Label = Trim(g.Cell(PartCol::Label, r));
        if (p.Label.empty()) return at.Fail(error, PartCol::Label, r, "", MsgPartLabelCantBeEmpty);
        if (!PositiveLength(g.Cell(PartCol::Length, r), p.Length, e))
            return at.Fail(error, PartCol::Length, r, e, MsgPartLengthFormatInvalid);
        if (!PositiveLength(g.Cell(PartCol::Width, r), p.Width, e))
            return at.Fail(error, PartCol::Width, r, e, MsgPartWidthFormatInvalid);

        g.SetCell(PartCol::Rotate, r, NormalRotateCell(g.Cell(PartCol::Rotate, r)));
        p.CanRotate = g.Cell(PartCol::Rotate, r) == "R";

        std::int32_t maxQty = 0, qty = 0;
        if (Trim(g.Cell(PartCol::MaxQty, r)).empty())
            g.SetCell(PartCol::MaxQty, r, g.Cell(PartCol::Qty, r));
        if (!NonNegativeInt(g.Cell(PartCol::MaxQty, r), maxQty, e))
            return at.Fail(error, PartCol::MaxQty, r, e, MsgPartQtyFormatInvalid);
        if (Trim(g.Cell(PartCol::Qty, r)).empty())
            g.SetCell(PartCol::Qty, r, g.Cell(PartCol::MaxQty, r));
        if (!NonNegativeInt(g.Cell(PartCol::Qty, r), qty, e))
            return at.Fail(error, PartCol::Qty, r, e, MsgPartQtyFormatInvalid);
        if (maxQty < qty) return at.Fail(error, PartCol::MaxQty, r, "", MsgPartQtyFormatInvalid);

        g.SetCell(PartCol::Shape, r, NormalShapeCell(g.Cell(PartCol::Shape, r)));
        p.ShapeKind = g.Cell(PartCol::Shape, r) == "C" ? skCircle : skRectangle;

        p.Quantity = maxQty;
        p.LengthText = g.Cell(PartCol::Length, r);
        p.WidthText = g.Cell(PartCol::Width, r);
        p.Comment = g.Cell(PartCol::Comment, r);
        p.SourceKind = srcPart;
        p.Material = Trim(g.Cell(PartCol::Type, r));
        // A named edge type must still exist: a part cut without the
        // allowances it was meant to have would come out the wrong size.
        const std::string edgeLabel = Trim(g.Cell(PartCol::EdgeType, r));
        p.Edge = PartEdgeList.FindByLabel(edgeLabel);
        if (!edgeLabel.empty() && !p.Edge)
            return at.Fail(error, PartCol::EdgeType, r, edgeLabel,
                           UnknownEdgeTypeMessage(g.Cell(PartCol::EdgeType, 0), edgeLabel));
        parts.AddCopy(p);
        p.Quantity = qty;
        partQtys.AddCopy(p);
    }
    if (parts.Empty() && TrapeziumList.Count() == 0) {
        error = TErrorLocation::Cell(at.Page, at.Grid, 0, 1, MsgPartDataIsEmpty);
        return false;
    }
    return true;
}

bool ReadAnyShapeGrid(TMainData& data, TPanels& profiles, TPanels& profileQtys,
                      TErrorLocation& error) {
    TStringGrid& g = data.StringGridAnyShape;
    const GridPlace& at = kAnyShapePlace;
    profileQtys.Assign(profiles);
    if (profiles.Empty()) return true;
    // Every profile part has its row, even when the grid was never shown.
    if (g.RowCount() < profiles.Count() + 1) g.SetRowCount(profiles.Count() + 1);
    std::string e;
    for (int i = 0; i < profiles.Count(); ++i) {
        const int r = i + 1;
        std::int32_t qty = 0, maxQty = 0;
        if (Trim(g.Cell(AnyShapeCol::Qty, r)).empty())
            g.SetCell(AnyShapeCol::Qty, r, g.Cell(AnyShapeCol::MaxQty, r));
        if (!NonNegativeInt(g.Cell(AnyShapeCol::Qty, r), qty, e))
            return at.Fail(error, AnyShapeCol::Qty, r, e, MsgPartQtyFormatInvalid);
        profileQtys[i].Quantity = qty;
        if (Trim(g.Cell(AnyShapeCol::MaxQty, r)).empty())
            g.SetCell(AnyShapeCol::MaxQty, r, g.Cell(AnyShapeCol::Qty, r));
        if (!NonNegativeInt(g.Cell(AnyShapeCol::MaxQty, r), maxQty, e))
            return at.Fail(error, AnyShapeCol::MaxQty, r, e, MsgPartQtyFormatInvalid);
        if (maxQty < qty)
            return at.Fail(error, AnyShapeCol::MaxQty, r, "", MsgPartQtyFormatInvalid);

        T2DStock& p = profiles[i];
        p.Quantity = maxQty;
        p.Comment = g.Cell(AnyShapeCol::Comment, r);
        p.Material = Trim(g.Cell(AnyShapeCol::Type, r));
        p.SourceKind = srcPart;
        const std::string rot = Trim(g.Cell(AnyShapeCol::Rotate, r));
        p.CanRotate = rot.empty() || SameText(rot, "R");
        // The copy made above predates these edits; entry i of both lists is one part.
        T2DStock& q = profileQtys[i];
        q.Comment = p.Comment;
        q.Material = p.Material;
        q.SourceKind = p.SourceKind;
        q.CanRotate = p.CanRotate;
    }
    return true;
}

bool ReadSheetsGrid(TMainData& data, TErrorLocation& error) {
    return ReadSheetsGrid(data, SheetList, error);
}

bool ReadRackGrid(TMainData& data, TErrorLocation& error) {
    return ReadRackGrid(data, OffcutRackList, error);
}

bool ReadPartsGrid(TMainData& data, TErrorLocation& error) {
    return ReadPartsGrid(data, PartList, PartQtyList, error);
}

bool ReadAnyShapeGrid(TMainData& data, TErrorLocation& error) {
    return ReadAnyShapeGrid(data, ProfilePartList, ProfilePartQtyList, error);
}
