#include "app/ui/grid_view.h"

#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QStyledItemDelegate>

#include "app/ui/qt_canvas.h"
#include "engine/textfmt.h"

namespace {

QStringList ToList(const std::vector<std::string>& items) {
    QStringList list;
    for (const std::string& s : items) list << ToQString(s);
    return list;
}

// A drop-down's text as bytes: those of the item or of the cell it shows (so
// a text read from a file keeps its bytes), else what was typed.
std::string ChosenText(const QComboBox* Box, const std::vector<std::string>* Items,
                       const std::string& Cell) {
    const QString text = Box->currentText();
    if (Items)
        for (const std::string& item : *Items)
            if (ToQString(item) == text) return item;
    return FromQString(text, Trim(Cell));
}

// The drop-down editors of the grid's columns.
class TDropDownDelegate : public QStyledItemDelegate {
  public:
    explicit TDropDownDelegate(TGridView& View) : QStyledItemDelegate(&View), view_(View) {}

    TGridView::TEditor Kind(const QModelIndex& i) const {
        return view_.ColumnEditor(i.column() + view_.GridModel()->FirstColumn());
    }

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                          const QModelIndex& index) const override {
        using E = TGridView::TEditor;
        const E kind = Kind(index);
        if (kind == E::Text) return new QLineEdit(parent);
        auto* box = new QComboBox(parent);
        box->setMaxVisibleItems(20);
        switch (kind) {
            case E::Type:
                box->setEditable(true);
                if (view_.TypeItems) box->addItems(ToList(*view_.TypeItems));
                break;
            case E::EdgeType:
                box->setEditable(true);
                if (view_.EdgeItems) box->addItems(ToList(*view_.EdgeItems));
                break;
            case E::Priority: box->addItems(ToList(PriorityItems())); break;
            case E::Rotation: box->addItems({"Rotatable", "Non-rotatable"}); break;
            case E::Shape: box->addItems({"Rectangle", "Circle/Ellipse"}); break;
            case E::Text: break;
        }
        return box;
    }

    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        if (auto* line = qobject_cast<QLineEdit*>(editor)) {
            // Typing starts a new text; a click or F2 selects the old one,
            // which the first key then replaces.
            if (view_.OpeningByTyping()) {
                line->clear();
            } else {
                line->setText(index.data(Qt::EditRole).toString());
                line->selectAll();
            }
            return;
        }
        auto* box = qobject_cast<QComboBox*>(editor);
        if (!box) return QStyledItemDelegate::setEditorData(editor, index);
        const std::string cell = FromQString(index.data(Qt::EditRole).toString());
        using E = TGridView::TEditor;
        switch (Kind(index)) {
            case E::Type:
                box->setCurrentIndex(-1);
                box->setEditText(ToQString(Trim(cell)));
                break;
            case E::EdgeType: {
                const int i = box->findText(ToQString(Trim(cell)));
                box->setCurrentIndex(i >= 0 ? i : 0);
                break;
            }
            case E::Priority: box->setCurrentIndex(box->findText(ToQString(cell))); break;
            case E::Rotation: box->setCurrentIndex(RotationItemOfCell(cell)); break;
            case E::Shape: box->setCurrentIndex(ShapeItemOfCell(cell)); break;
            case E::Text: break;
        }
    }

    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override {
        auto* box = qobject_cast<QComboBox*>(editor);
        if (!box) return QStyledItemDelegate::setModelData(editor, model, index);
        using E = TGridView::TEditor;
        TStringGridModel* m = view_.GridModel();
        const std::string cell = m->Grid().Cell(index.column() + m->FirstColumn(), index.row() + 1);
        std::string text;
        switch (Kind(index)) {
            case E::Type: {
                std::vector<std::string> none;
                text = LearnMaterialType(view_.TypeItems ? *view_.TypeItems : none,
                                         ChosenText(box, view_.TypeItems, cell));
                break;
            }
            case E::EdgeType: {
                std::vector<std::string> none;
                text = LearnComboText(view_.EdgeItems ? *view_.EdgeItems : none,
                                      ChosenText(box, view_.EdgeItems, cell));
                break;
            }
            case E::Priority: text = Trim(FromQString(box->currentText())); break;
            case E::Rotation: text = RotationCellOfItem(box->currentIndex()); break;
            case E::Shape: text = ShapeCellOfItem(box->currentIndex()); break;
            case E::Text: break;
        }
        model->setData(index, ToQString(text), Qt::EditRole);
    }

    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                              const QModelIndex&) const override {
        editor->setGeometry(option.rect);
    }

  private:
    TGridView& view_;
};

}  // namespace

TGridView::TGridView(TStringGrid& grid, QWidget* parent, int firstColumn)
    : QTableView(parent), model_(new TStringGridModel(grid, this)) {
    model_->SetFirstColumn(firstColumn);
    setModel(model_);
    setItemDelegate(new TDropDownDelegate(*this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setSectionsClickable(true);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int section) {
        if (OnTitleClick) OnTitleClick(section + model_->FirstColumn());
    });
    connect(this, &QTableView::clicked, this, &TGridView::Clicked);
}

void TGridView::SetColumnEditor(int gridCol, TEditor kind) {
    if (gridCol >= static_cast<int>(editors_.size())) editors_.resize(gridCol + 1, TEditor::Text);
    editors_[gridCol] = kind;
}

TGridView::TEditor TGridView::ColumnEditor(int gridCol) const {
    return gridCol >= 0 && gridCol < static_cast<int>(editors_.size()) ? editors_[gridCol]
                                                                          : TEditor::Text;
}

TCellPos TGridView::CurrentCell() const {
    const QModelIndex i = currentIndex();
    if (!i.isValid()) return {model_->FirstColumn(), 1};
    return {i.column() + model_->FirstColumn(), i.row() + 1};
}

void TGridView::SetCurrentCell(TCellPos at) {
    const QModelIndex i = model_->index(at.Row - 1, at.Col - model_->FirstColumn());
    if (i.isValid()) {
        setCurrentIndex(i);
        scrollTo(i);
    }
}

void TGridView::Reload() {
    const TCellPos at = CurrentCell();
    model_->Reload();
    SetCurrentCell(at);
}

bool TGridView::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
    if (trigger == SelectedClicked && editTriggers().testFlag(SelectedClicked)) {
        // A click on the current cell opens its editor as soon as the click
        // is done (mouseReleaseEvent): waiting for a possible double click
        // would drop the keys typed meanwhile.
        if (state() == EditingState) return false;
        clickedCell_ = index;
        return true;
    }
    openingByTyping_ = trigger == AnyKeyPressed;
    const bool opened = QTableView::edit(index, trigger, event);
    openingByTyping_ = false;
    return opened;
}

void TGridView::mouseReleaseEvent(QMouseEvent* event) {
    clickedCell_ = QPersistentModelIndex();
    QTableView::mouseReleaseEvent(event);
    if (clickedCell_.isValid() && state() != EditingState) {
        const QModelIndex index = clickedCell_;
        clickedCell_ = QPersistentModelIndex();
        openingByTyping_ = false;
        QTableView::edit(index, EditKeyPressed, nullptr);
    }
}

void TGridView::Clicked(const QModelIndex& index) {
    const TCellPos at{index.column() + model_->FirstColumn(), index.row() + 1};
    if (OnCellClick) {
        OnCellClick(at);
        const QModelIndex i = model_->index(index.row(), index.column());
        emit model_->dataChanged(i, i);
    }
    if (ColumnEditor(at.Col) != TEditor::Text && editTriggers() != NoEditTriggers) edit(index);
}

void TGridView::EnterMove() {
    if (!OnEnter) return;
    const int rows = Grid().RowCount();
    const TCellPos next = OnEnter(CurrentCell());
    if (Grid().RowCount() != rows) model_->Reload();
    SetCurrentCell(next);
}

void TGridView::keyPressEvent(QKeyEvent* event) {
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        state() != QAbstractItemView::EditingState) {
        EnterMove();
        return;
    }
    QTableView::keyPressEvent(event);
}

void TGridView::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
    // An editor closed already (a late request of its delegate) moves nothing.
    if (!editor || !editor->isVisibleTo(viewport()) || state() != EditingState) return;
    QTableView::closeEditor(editor, hint);
    if (hint == QAbstractItemDelegate::SubmitModelCache) EnterMove();
}
