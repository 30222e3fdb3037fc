#include "app/core/edge_types_dialog.h"

#include <exception>

#include "app/core/captions.h"
#include "app/core/option_reader.h"
#include "engine/partedge.h"
#include "engine/pubstr.h"
#include "engine/textfmt.h"
#include "platform/message_sink.h"

std::string EdgeTypesDialogCaption(const TCaptionStore& Captions) {
    return PlainCaptionText(Captions.Caption("ButtonGrindingAndBandSetting"));
}

TEdgeTypesDialog::TEdgeTypesDialog() : Grid(EdgeCol::Count, 2) {
    Grid.SetRow(0, {BandAndGrindingLabelCaption, "BT", "BB", "BL", "BR", "GT", "GB", "GL", "GR"});
}

void TEdgeTypesDialog::Fill() {
    Grid.SetCell(EdgeCol::Label, 0, BandAndGrindingLabelCaption);
    Grid.SetRowCount(PartEdgeList.Count() + 1);
    int r = 1;
    for (const PPartEdge& e : PartEdgeList.Items())
        Grid.SetRow(r++, {e->Label, e->BTText, e->BBText, e->BLText, e->BRText, e->GTText,
                          e->GBText, e->GLText, e->GRText});
    Row = 1;
    Edits = {};
}

void TEdgeTypesDialog::ClickRow(int row) {
    if (row <= 0 || row >= Grid.RowCount()) return;
    Row = row;
    for (int c = 0; c < EdgeCol::Count; ++c) Edits[c] = Grid.Cell(c, row);
}

bool TEdgeTypesDialog::CheckInput(int* badField) {
    auto refuse = [&](int field) {
        if (badField) *badField = field;
        platform::CurrentMessageSink().Warning(MsgInvalidData);
        return false;
    };
    Edits[EdgeCol::Label] = Trim(Edits[EdgeCol::Label]);
    if (Edits[EdgeCol::Label].empty()) return refuse(EdgeCol::Label);
    for (int c = EdgeCol::BT; c < EdgeCol::Count; ++c) {
        std::int32_t units = 0;
        std::string e;
        if (!TypedLengthToUnits(Edits[c], units, e) || units < 0) return refuse(c);
    }
    return true;
}

bool TEdgeTypesDialog::LabelTakenByOtherRow(const std::string& label, int exceptRow) const {
    for (int r = 0; r < Grid.RowCount(); ++r)
        if (r != exceptRow && Grid.Cell(EdgeCol::Label, r) == label) return true;
    return false;
}

bool TEdgeTypesDialog::AddClick(int* badField) {
    if (!CheckInput(badField)) return false;
    if (LabelTakenByOtherRow(Edits[EdgeCol::Label], -1)) {
        if (badField) *badField = EdgeCol::Label;
        platform::CurrentMessageSink().Warning(MsgInvalidData);
        return false;
    }
    Grid.SetRowCount(Grid.RowCount() + 1);
    Grid.SetRow(Grid.RowCount() - 1, {Edits.begin(), Edits.end()});
    return true;
}

bool TEdgeTypesDialog::ModifyClick(int* badField) {
    if (Row < 2 || Row >= Grid.RowCount() || !CheckInput(badField)) return false;
    if (LabelTakenByOtherRow(Edits[EdgeCol::Label], Row)) {
        if (badField) *badField = EdgeCol::Label;
        platform::CurrentMessageSink().Warning(MsgInvalidData);
        return false;
    }
    Grid.SetRow(Row, {Edits.begin(), Edits.end()});
    return true;
}

bool TEdgeTypesDialog::DeleteClick() {
    if (Row < 2 || Row >= Grid.RowCount()) return false;
    for (int r = Row; r < Grid.RowCount() - 1; ++r) Grid.SetRow(r, Grid.Row(r + 1));
    Grid.SetRowCount(Grid.RowCount() - 1);
    if (Row >= Grid.RowCount()) Row = Grid.RowCount() - 1;
    return true;
}

bool TEdgeTypesDialog::OKClick() {
    TPartEdgeList list;
    try {
        for (int r = 1; r < Grid.RowCount(); ++r) {
            const auto c = Grid.Row(r);
            list.AddEdge(c[EdgeCol::Label], c[EdgeCol::GT], c[EdgeCol::GB], c[EdgeCol::GL],
                         c[EdgeCol::GR], c[EdgeCol::BT], c[EdgeCol::BB], c[EdgeCol::BL],
                         c[EdgeCol::BR]);
        }
    } catch (const std::exception& e) {
        platform::CurrentMessageSink().Warning(std::string("[") + e.what() + "]" + MsgInvalidData);
        return false;
    }
    PartEdgeList = std::move(list);
    return true;
}
