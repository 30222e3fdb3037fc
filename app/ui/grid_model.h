// A table model over one of the core's string grids. Row 0 of the grid holds
// the column titles; the model shows the data rows 1.. and the titles in the
// header. Editing writes straight into the grid.
#pragma once

#include <QAbstractTableModel>
#include <functional>

#include "app/core/string_grid.h"

class TStringGridModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    TStringGridModel(TStringGrid& Grid, QObject* Parent = nullptr);

    TStringGrid& Grid() { return grid_; }
    // Columns from FirstColumn on are shown (column 0 is usually the row number).
    void SetFirstColumn(int Column);
    int FirstColumn() const { return first_; }
    void SetReadOnly(bool ReadOnly) { readOnly_ = ReadOnly; }
    // Grid columns before Column show their text but take none.
    void SetFixedColumns(int Column) { fixedBefore_ = Column; }
    // Called after a cell was edited (grid column, grid row).
    std::function<void(int, int)> OnCellEdited;

    // Tell the views that the grid changed behind the model's back.
    void Reload();

    int rowCount(const QModelIndex& Parent = {}) const override;
    int columnCount(const QModelIndex& Parent = {}) const override;
    QVariant data(const QModelIndex& Index, int Role) const override;
    bool setData(const QModelIndex& Index, const QVariant& Value, int Role) override;
    QVariant headerData(int Section, Qt::Orientation Orientation, int Role) const override;
    Qt::ItemFlags flags(const QModelIndex& Index) const override;

  private:
    TStringGrid& grid_;
    int first_ = 0;
    bool readOnly_ = false;
    int fixedBefore_ = 0;
};
