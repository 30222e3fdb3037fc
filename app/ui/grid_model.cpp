#include "app/ui/grid_model.h"

#include "app/ui/qt_canvas.h"

TStringGridModel::TStringGridModel(TStringGrid& Grid, QObject* Parent)
    : QAbstractTableModel(Parent), grid_(Grid) {}

void TStringGridModel::SetFirstColumn(int Column) {
    beginResetModel();
    first_ = Column;
    endResetModel();
}

void TStringGridModel::Reload() {
    beginResetModel();
    endResetModel();
}

int TStringGridModel::rowCount(const QModelIndex& Parent) const {
    return Parent.isValid() ? 0 : std::max(0, grid_.RowCount() - 1);
}

int TStringGridModel::columnCount(const QModelIndex& Parent) const {
    return Parent.isValid() ? 0 : std::max(0, grid_.ColCount() - first_);
}

QVariant TStringGridModel::data(const QModelIndex& Index, int Role) const {
    if (!Index.isValid() || (Role != Qt::DisplayRole && Role != Qt::EditRole)) return {};
    const int col = Index.column() + first_, row = Index.row() + 1;
    if (col >= grid_.ColCount() || row >= grid_.RowCount()) return {};
    return ToQString(grid_.Cell(col, row));
}

bool TStringGridModel::setData(const QModelIndex& Index, const QVariant& Value, int Role) {
    if (!Index.isValid() || Role != Qt::EditRole || readOnly_) return false;
    const int col = Index.column() + first_, row = Index.row() + 1;
    if (col < fixedBefore_) return false;
    if (col >= grid_.ColCount() || row >= grid_.RowCount()) return false;
    grid_.SetCell(col, row, FromQString(Value.toString(), grid_.Cell(col, row)));
    emit dataChanged(Index, Index);
    if (OnCellEdited) OnCellEdited(col, row);
    return true;
}

QVariant TStringGridModel::headerData(int Section, Qt::Orientation Orientation, int Role) const {
    if (Role != Qt::DisplayRole) return {};
    if (Orientation == Qt::Vertical) return Section + 1;
    const int col = Section + first_;
    if (col >= grid_.ColCount() || grid_.RowCount() == 0) return {};
    return ToQString(grid_.Cell(col, 0));
}

Qt::ItemFlags TStringGridModel::flags(const QModelIndex& Index) const {
    if (!Index.isValid()) return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsSelectable | Qt::ItemIsEnabled;
    if (!readOnly_ && Index.column() + first_ >= fixedBefore_) f |= Qt::ItemIsEditable;
    return f;
}
