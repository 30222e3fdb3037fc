// A string grid of the core shown as a table: the cell fill-down on a click,
// drop-down editors laid over the cells of some columns, the Enter move the
// owner decides, and a click on a column title. The view only forwards; the
// rules are in app/core/grid_editing.
#pragma once

#include <QTableView>
#include <functional>
#include <string>
#include <vector>

#include "app/core/grid_editing.h"
#include "app/ui/grid_model.h"

class TGridView : public QTableView {
    Q_OBJECT
  public:
    enum class TEditor { Text, Type, Priority, Rotation, Shape, EdgeType };

    TGridView(TStringGrid& Grid, QWidget* Parent, int FirstColumn = 0);

    TStringGridModel* GridModel() { return model_; }
    TStringGrid& Grid() { return model_->Grid(); }

    void SetColumnEditor(int GridCol, TEditor Kind);
    TEditor ColumnEditor(int GridCol) const;
    // The items of the type and edge type editors; a new text typed into them
    // is learned there (and a new type ticked for runs).
    std::vector<std::string>* TypeItems = nullptr;
    std::vector<std::string>* EdgeItems = nullptr;

    // Enter outside an editor, or Enter that closed one: the next cell.
    std::function<TCellPos(TCellPos)> OnEnter;
    // A click on a data cell, before an editor opens (the fill-down).
    std::function<void(TCellPos)> OnCellClick;
    // A click on a column title (grid column).
    std::function<void(int)> OnTitleClick;

    // The current cell in grid coordinates (row 1 is the first data row).
    TCellPos CurrentCell() const;
    void SetCurrentCell(TCellPos At);
    // Shows the grid again after rows were added, removed or moved.
    void Reload();

    // How the cell editor now opening was asked for: typing replaces the
    // cell's text, a click, a double click or F2 selects all of it.
    bool OpeningByTyping() const { return openingByTyping_; }

    using QTableView::edit;

  protected:
    bool edit(const QModelIndex& Index, EditTrigger Trigger, QEvent* Event) override;
    void keyPressEvent(QKeyEvent* Event) override;
    void mouseReleaseEvent(QMouseEvent* Event) override;
    void closeEditor(QWidget* Editor, QAbstractItemDelegate::EndEditHint Hint) override;

  private:
    void EnterMove();
    void Clicked(const QModelIndex& Index);

    TStringGridModel* model_;
    std::vector<TEditor> editors_;
    bool openingByTyping_ = false;
    QPersistentModelIndex clickedCell_;  // a click on the current cell opens it
};
