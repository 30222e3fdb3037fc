// The sheets, parts, free-shape and report pages of the main window and the
// commands of their lists.
#include <QBoxLayout>
#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QHeaderView>
#include <exception>

#include "app/core/exit_save.h"
#include "app/core/free_shapes.h"
#include "app/core/list_files.h"
#include "app/core/main_window.h"
#include "app/ui/dialogs.h"
#include "app/ui/grid_view.h"
#include "app/ui/qt_canvas.h"
#include "app/ui/sdimain.h"
#include "app/ui/wheel_guard.h"
#include "engine/optimize2d.h"
#include "engine/profile_output.h"
#include "engine/pubstr.h"
#include "engine/shared_state.h"
#include "output/dxf_import.h"
#include "output/piece_draw.h"
#include "output/report_text.h"
#include "platform/message_sink.h"

namespace {

void Warn(const std::string& text) { platform::CurrentMessageSink().Warning(text); }

// Runs a file command; a failure of the file system becomes a warning box.
template <class F>
void Guarded(F&& f) {
    try {
        f();
    } catch (const std::exception& e) {
        Warn(std::string("[") + e.what() + "]");
    }
}

// A white box to draw a shape in.
class TShapeBox : public QWidget {
  public:
    TShapeBox(const char* name, QWidget* parent) : QWidget(parent) {
        setObjectName(name);
        setAutoFillBackground(true);
        QPalette p = palette();
        p.setColor(QPalette::Window, Qt::white);
        setPalette(p);
    }
};

// The preview under the free-shape grid: the part of the grid's current row.
class TShapePreview : public TShapeBox {
  public:
    TShapePreview(TMainWindowCore& core, TGridView*& grid, QWidget* parent)
        : TShapeBox("PaintBoxShowAnyShpe", parent), core_(core), grid_(grid) {
        setMinimumSize(160, 100);
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        TQtCanvas canvas(painter);
        const int row = grid_ ? grid_->CurrentCell().Row : 0;
        const TWindowOptions& w = core_.Window;
        if (row < 1 || row > ProfilePartList.Count()) return;
        const T2DStock& part = ProfilePartList[row - 1];
        if (part.Length <= 0 || part.Width <= 0) return;
        const double boxRatio = double(width() - 80) / std::max(1, height() - 10);
        const double scale = double(part.Length) / part.Width <= boxRatio
                                 ? double(height() - 10) / part.Width
                                 : double(width() - 80) / part.Length;
        // The part's whole outline, a little inside the box's edges.
        T2DStock shown(part);
        shown.Position = {0, 0};
        DrawPiece(shown, {4, 4}, canvas, scale, w.ShowLabel, w.ShowLengthXWidth, w.ShowXYPos,
                  core_.Page.ColorBoxParts, core_.Page.ColorBoxOffcuts, true);
    }

  private:
    TMainWindowCore& core_;
    TGridView*& grid_;
};

// The box beside the parameter grid: the chosen template's picture with its
// named dimensions, or the outline of the DXF file last imported.
class TSelectShapeBox : public TShapeBox {
  public:
    TSelectShapeBox(TMainWindowCore& core, QWidget* parent)
        : TShapeBox("PaintBoxShowSelectShape", parent), core_(core) {
        setMinimumSize(200, 150);
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        TQtCanvas canvas(painter);
        const TWindowOptions& w = core_.Window;
        if (core_.Data.DxfShapeChosen) {
            if (DxfOutline.Length <= 0 || DxfOutline.Width <= 0) return;
            const double boxRatio = double(width() - 2) / std::max(1, height() - 2);
            const double scale = double(DxfOutline.Length) / DxfOutline.Width <= boxRatio
                                     ? double(height() - 2) / DxfOutline.Width
                                     : double(width() - 2) / DxfOutline.Length;
            const TPoint origin{static_cast<std::int32_t>((width() - DxfOutline.Length * scale) / 2),
                                static_cast<std::int32_t>((height() - DxfOutline.Width * scale) / 2)};
            DrawProfile(DxfOutline, origin, {0, 0}, canvas, scale, "DXF", w.ShowLabel,
                        w.ShowLengthXWidth, w.ShowXYPos, core_.Page.ColorBoxParts, "");
            return;
        }
        const auto& names = StandardShapeNames();
        const int index = core_.Data.ComboBoxStandShape;
        if (index < 0 || index >= static_cast<int>(names.size())) return;
        painter.setRenderHint(QPainter::Antialiasing);
        DrawPicture(painter, canvas, StandardShapePicture(names[static_cast<std::size_t>(index)]));
    }

  private:
    void DrawPicture(QPainter& painter, TQtCanvas& canvas, const TShapePicture& p) {
        if (p.Length <= 0 || p.Width <= 0) return;
        constexpr int margin = 34;  // room for the dimension names
        const double scale = std::min(double(width() - 2 * margin) / p.Length,
                                      double(height() - 2 * margin) / p.Width);
        if (scale <= 0) return;
        const QPointF origin((width() - p.Length * scale) / 2, (height() - p.Width * scale) / 2);
        DrawProfile(p.Outline, {static_cast<std::int32_t>(origin.x()), static_cast<std::int32_t>(origin.y())},
                    {0, 0}, canvas, scale, "", false, false, false, platform::clBlack, "");
        const QPointF centre = origin + QPointF(p.Length * scale / 2, p.Width * scale / 2);
        const auto at = [&](TPoint q) { return origin + QPointF(q.X * scale, q.Y * scale); };
        QFont font = painter.font();
        font.setBold(true);
        painter.setFont(font);
        const QFontMetrics fm(font);
        for (const TShapeDimension& d : p.Dimensions) {
            const QPointF a = at(d.From), b = at(d.To);
            const QPointF mid = (a + b) / 2;
            QPointF out = mid - centre;  // away from the middle of the shape
            QPointF label;
            painter.setPen(QPen(QColor(0, 0, 200), 1));
            if (d.From == d.To) {
                const double len = std::hypot(out.x(), out.y());
                label = len > 0 ? mid + out / len * 14 : mid;
            } else {
                const QPointF dir = (b - a) / std::max(1.0, std::hypot(b.x() - a.x(), b.y() - a.y()));
                QPointF n(-dir.y(), dir.x());
                if (n.x() * out.x() + n.y() * out.y() < 0) n = -n;
                // A dimension line beside the side, with end marks.
                const QPointF a2 = a + n * 8, b2 = b + n * 8;
                painter.drawLine(a2, b2);
                painter.drawLine(a + n * 4, a + n * 12);
                painter.drawLine(b + n * 4, b + n * 12);
                label = mid + n * 20;
            }
            const QString text = ToQString(d.Name);
            const QRectF box(label.x() - fm.horizontalAdvance(text) / 2.0 - 1, label.y() - fm.height() / 2.0,
                             fm.horizontalAdvance(text) + 2, fm.height());
            painter.drawText(box, Qt::AlignCenter, text);
        }
    }

    TMainWindowCore& core_;
};

}  // namespace

void TSDIAppForm::ConnectGrid(TGridView* view, bool grows) {
    view->TypeItems = &core_.Page.ComboBoxTypeSelect.Items;
    view->EdgeItems = &edgeItems_;
    view->OnCellClick = [view](TCellPos at) { FillDownCell(view->Grid(), at.Col, at.Row); };
    view->OnEnter = [this, view, grows](TCellPos at) {
        if (!grows) return EnterStepping(view->Grid(), at);
        bool completed = false;
        const TCellPos next = EnterGrowing(view->Grid(), at, &completed);
        if (completed) view == gridSheets_ ? TotalOfSheets() : TotalOfParts();
        return next;
    };
    listCommands_.push_back(view);
}

void TSDIAppForm::BuildListPage(TPage page) {
    const bool sheets = page == TPage::Sheets;
    TMainData& d = core_.Data;
    auto* view = new TGridView(sheets ? d.StringGridSheets : d.StringGridParts, this);
    view->setObjectName(sheets ? "StringGridSheets" : "StringGridParts");
    ConnectGrid(view, true);
    // The totals follow every change of a cell, however its edit ended.
    view->GridModel()->OnCellEdited = [this, sheets](int, int) { TotalsAfterEdit(sheets); };
    view->OnCellClick = [this, view, sheets](TCellPos at) {
        if (FillDownCell(view->Grid(), at.Col, at.Row)) TotalsAfterEdit(sheets);
    };
    if (sheets) {
        gridSheets_ = view;
        view->SetColumnEditor(SheetCol::Type, TGridView::TEditor::Type);
        view->SetColumnEditor(SheetCol::Priority, TGridView::TEditor::Priority);
        view->OnTitleClick = [this](int col) {
            SortSheetsGrid(core_.Data.StringGridSheets, sheetsSort_, col);
            gridSheets_->Reload();
        };
    } else {
        gridParts_ = view;
        view->SetColumnEditor(PartCol::Type, TGridView::TEditor::Type);
        view->SetColumnEditor(PartCol::Rotate, TGridView::TEditor::Rotation);
        view->SetColumnEditor(PartCol::Shape, TGridView::TEditor::Shape);
        view->SetColumnEditor(PartCol::EdgeType, TGridView::TEditor::EdgeType);
        view->OnTitleClick = [this](int col) {
            SortPartsGrid(core_.Data.StringGridParts, partsSort_, col);
            gridParts_->Reload();
        };
    }

    QBoxLayout* tools = PageTools(page);
    const auto button = [&](const char* name, const char* fallback, auto slot) {
        const std::string c = core_.Captions.Caption(name);
        auto* b = new QPushButton(ToQString(c.empty() || c.rfind("Button", 0) == 0 || c.rfind("AnyShape", 0) == 0
                                                ? fallback
                                                : c),
                                  this);
        b->setObjectName(name);
        connect(b, &QPushButton::clicked, this, slot);
        tools->addWidget(b);
        listCommands_.push_back(b);
        return b;
    };
    if (sheets) {
        button("SheetsOpen", "Load File", &TSDIAppForm::SheetsOpenClick);
        button("ButtonAppendSheetsFromFile", "Append File", &TSDIAppForm::SheetsAppendClick);
        button("SheetsSave", "Save File", &TSDIAppForm::SheetsSaveClick);
        button("SheetsSaveas", "Save As", &TSDIAppForm::SheetsSaveasClick);
        button("SheetsDelete", "Delete", &TSDIAppForm::SheetsDeleteClick);
        button("SheetsDeleteAll", "Delete All", &TSDIAppForm::SheetsDeleteAllClick);
        button("ButtonSheetsDeleteEmpty", "Delete Empty", &TSDIAppForm::ButtonSheetsDeleteEmptyClick);
        button("ButtonTypeSetup", "Type setup", &TSDIAppForm::ButtonTypeSetupClick);
    } else {
        button("PartsOpen", "Load File", &TSDIAppForm::PartsOpenClick);
        button("ButtonAppendPartsFromFile", "Append File", &TSDIAppForm::PartsAppendClick);
        button("PartsSave", "Save File", &TSDIAppForm::PartsSaveClick);
        button("PartsSaveas", "Save As", &TSDIAppForm::PartsSaveasClick);
        button("PartsDelete", "Delete", &TSDIAppForm::PartsDeleteClick);
        button("PartsDeleteAll", "Delete All", &TSDIAppForm::PartsDeleteAllClick);
        button("ButtonPartsDeleteEmpty", "Delete Empty", &TSDIAppForm::ButtonPartsDeleteEmptyClick);
        button("ButtonGrindingAndBandSetting", "Edge types",
               &TSDIAppForm::ButtonGrindingAndBandSettingClick);
    }
    tools->addStretch(1);
    auto* fileLabel = new QLabel(ToQString(core_.Captions.Caption("LabelFileName_Sheets")), this);
    fileLabel->setObjectName(sheets ? "LabelFileName_Sheets" : "LabelFileName_Parts");
    tools->addWidget(fileLabel);
    auto* fileName = new QLineEdit(this);
    fileName->setObjectName(sheets ? "EditSheetsFileName" : "EditPartsFileName");
    fileName->setReadOnly(true);
    fileName->setMinimumWidth(220);
    tools->addWidget(fileName);
    fileNameEdits_[sheets ? 0 : 1] = fileName;

    QBoxLayout* body = PageBody(page);
    body->addWidget(view, 1);
    auto* totals = new QHBoxLayout;
    auto& edits = sheets ? sheetsTotalEdits_ : partsTotalEdits_;
    const char* names[2][3] = {{"EditTotalSheetsArea", "EditTotalSheetsNumber", "EditTotalSheetsCost"},
                               {"EditTotalPartsArea", "EditTotalPartsNumber", nullptr}};
    const char* labels[2][3] = {{"LabelTotalArea_Sheets", "LabelQty_Sheets", "LabelCost_Sheets"},
                                {"LabelTotalArea_Parts", "LabelQty_Parts", nullptr}};
    for (int i = 0; i < 3; ++i) {
        const char* name = names[sheets ? 0 : 1][i];
        if (!name) break;
        auto* label = new QLabel(ToQString(core_.Captions.Caption(labels[0][i])), this);
        label->setObjectName(labels[sheets ? 0 : 1][i]);
        totals->addWidget(label);
        edits[i] = new QLineEdit(this);
        edits[i]->setObjectName(name);
        edits[i]->setReadOnly(true);
        totals->addWidget(edits[i]);
    }
    totals->addStretch(1);
    body->addLayout(totals);
}

void TSDIAppForm::ShowTotals() {
    const TGridTotals* t[2] = {&sheetsTotals_, &partsTotals_};
    const std::array<QLineEdit*, 3>* e[2] = {&sheetsTotalEdits_, &partsTotalEdits_};
    for (int k = 0; k < 2; ++k) {
        const std::string texts[3] = {t[k]->Area, t[k]->Number, t[k]->Cost};
        for (int i = 0; i < 3; ++i)
            if ((*e[k])[i]) (*e[k])[i]->setText(ToQString(texts[i]));
    }
}

void TSDIAppForm::ShowTotalsQuietly() {
    SheetsTotalsAfterEdit(core_.Data.StringGridSheets, sheetsTotals_);
    PartsTotalsAfterEdit(core_.Data.StringGridParts, partsTotals_);
    ShowTotals();
}

void TSDIAppForm::TotalsAfterEdit(bool sheets) {
    if (sheets) {
        SheetsTotalsAfterEdit(core_.Data.StringGridSheets, sheetsTotals_);
    } else {
        PartsTotalsAfterEdit(core_.Data.StringGridParts, partsTotals_);
        if (gridParts_) gridParts_->viewport()->update();  // normalised rotation and shape cells
    }
    ShowTotals();
}

bool TSDIAppForm::TotalOfSheets() {
    TErrorLocation err;
    return ShowTotalsOf(::TotalOfSheets(core_.Data.StringGridSheets, sheetsTotals_, err), err,
                        gridSheets_);
}

bool TSDIAppForm::TotalOfParts() {
    TErrorLocation err;
    return ShowTotalsOf(::TotalOfParts(core_.Data.StringGridParts, partsTotals_, err), err,
                        gridParts_);
}

bool TSDIAppForm::ShowTotalsOf(bool ok, const TErrorLocation& err, TGridView* grid) {
    if (grid) grid->viewport()->update();  // normalised cells
    if (!ok) {
        ShowErrorLocation(err);
        Warn(err.Message);
    }
    ShowTotals();
    return ok;
}

void TSDIAppForm::ShowSaveCommands() {
    const std::pair<const char*, bool> saves[] = {{"SheetsSave", core_.Data.SheetsSaveEnabled},
                                                  {"PartsSave", core_.Data.PartsSaveEnabled}};
    for (const auto& [name, on] : saves)
        if (QWidget* button = Control(name)) button->setEnabled(on && !running_);
}

void TSDIAppForm::UpdateFileNameEdits() {
    const std::string* names[3] = {&core_.Data.EditSheetsFileName, &core_.Data.EditPartsFileName,
                                   &core_.Data.EditAnyShapeFileName};
    const char* kinds[3] = {"sht", "prt", "apt"};
    for (int i = 0; i < 3; ++i)
        if (fileNameEdits_[i]) fileNameEdits_[i]->setText(ToQFileName(ShownListFileName(*names[i], kinds[i])));
}

// Sheet and part list commands. Each pair differs only in its grid, file kind
// and folder; Sheets decides which.
namespace {
struct ListKind {
    bool Sheets;
    std::string& Folder() const { return Sheets ? DirSheets : DirParts; }
    std::string Filter(const std::string& title) const {
        return Sheets ? SheetsFileFilter(title) : PartsFileFilter(title);
    }
    const char* Ext() const { return Sheets ? "sht" : "prt"; }
};
}  // namespace

// Open (replace) or append a list file chosen in the open dialog.
void TSDIAppForm::LoadListFile(bool sheets, bool (*load)(TMainData&, const std::string&)) {
    const ListKind k{sheets};
    const std::string name =
        ChooseFile(false, MsgOpenFileTitle, k.Filter(MsgOpenFileTitle), k.Folder(), k.Ext());
    if (name.empty()) return;
    Guarded([&] { load(core_.Data, name); });
    RefreshGrids();
    sheets ? TotalOfSheets() : TotalOfParts();
    emit GridsReloaded();
}

#define TESSALY_LIST_COMMANDS(Prefix, IsSheets, Read, Append, Save, Delete, DeleteAll, Total,  \
                              FileName, View, QtyCol)                                        \
    void TSDIAppForm::Prefix##OpenClick() { LoadListFile(IsSheets, Read); }                 \
    void TSDIAppForm::Prefix##AppendClick() { LoadListFile(IsSheets, Append); }             \
    void TSDIAppForm::Prefix##SaveClick() {                                                  \
        const std::string name = SaveCommandFile(core_.Data, IsSheets);                      \
        if (name.empty()) return Prefix##SaveasClick();                                      \
        Guarded([&] { Save(core_.Data, name, true); });                                      \
        UpdateFileNameEdits();                                                               \
    }                                                                                        \
    void TSDIAppForm::Prefix##SaveasClick() {                                                \
        const ListKind k{IsSheets};                                                          \
        const std::string name = ChooseFile(true, MsgSaveAsFileTitle,                        \
                                            k.Filter(MsgSaveAsFileTitle), k.Folder(), k.Ext()); \
        if (name.empty()) return;                                                            \
        Guarded([&] { Save(core_.Data, name, true); });                                      \
        UpdateFileNameEdits();                                                               \
    }                                                                                        \
    void TSDIAppForm::Prefix##DeleteClick() {                                                \
        Delete(core_.Data, View->CurrentCell().Row);                                         \
        View->Reload();                                                                      \
        Total();                                                                             \
    }                                                                                        \
    void TSDIAppForm::Prefix##DeleteAllClick() {                                             \
        DeleteAll(core_.Data);                                                               \
        View->Reload();                                                                      \
        Total();                                                                             \
    }                                                                                        \
    void TSDIAppForm::Button##Prefix##DeleteEmptyClick() {                                   \
        const int row = DeleteEmptyRows(View->Grid(), QtyCol, View->CurrentCell().Row);     \
        View->Reload();                                                                      \
        View->SetCurrentCell({View->CurrentCell().Col, row});                                \
        Total();                                                                             \
    }

TESSALY_LIST_COMMANDS(Sheets, true, ReadSheetsFile, AppendSheetsFile, SaveSheetsFile, SheetsDelete,
                      SheetsDeleteAll, TotalOfSheets, EditSheetsFileName, gridSheets_, SheetCol::Qty)
TESSALY_LIST_COMMANDS(Parts, false, ReadPartsFile, AppendPartsFile, SavePartsFile, PartsDelete,
                      PartsDeleteAll, TotalOfParts, EditPartsFileName, gridParts_, PartCol::Qty)
#undef TESSALY_LIST_COMMANDS

// The free-shape page.
void TSDIAppForm::BuildAnyShapePage() {
    TMainData& d = core_.Data;
    gridAnyShape_ = new TGridView(d.StringGridAnyShape, this);
    gridAnyShape_->setObjectName("StringGridAnyShape");
    ConnectGrid(gridAnyShape_, false);
    gridAnyShape_->OnCellClick = nullptr;
    gridAnyShape_->SetColumnEditor(AnyShapeCol::Type, TGridView::TEditor::Type);
    gridAnyShape_->SetColumnEditor(AnyShapeCol::Rotate, TGridView::TEditor::Rotation);

    QBoxLayout* tools = PageTools(TPage::AnyShape);
    const auto button = [&](QBoxLayout* into, const char* name, const char* text, auto slot) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(name);
        connect(b, &QPushButton::clicked, this, slot);
        into->addWidget(b);
        listCommands_.push_back(b);
        return b;
    };
    button(tools, "AnyShapeOpen", "Load File", &TSDIAppForm::AnyShapeOpenClick);
    button(tools, "AnyShapeSave", "Save File", &TSDIAppForm::AnyShapeSaveClick);
    button(tools, "AnyShapeSaveAs", "Save As", &TSDIAppForm::AnyShapeSaveAsClick);
    button(tools, "AnyShapeDelete", "Delete", &TSDIAppForm::AnyShapeDeleteClick);
    button(tools, "AnyShapeDeleteAll", "Delete All", &TSDIAppForm::AnyShapeDeleteAllClick);
    tools->addStretch(1);
    auto* fileLabel = new QLabel(ToQString(core_.Captions.Caption("LabelFileName_Sheets")), this);
    fileLabel->setObjectName("LabelFileName_AnyShape");
    tools->addWidget(fileLabel);
    auto* fileName = new QLineEdit(this);
    fileName->setObjectName("EditAnyShapeFileName");
    fileName->setReadOnly(true);
    fileName->setMinimumWidth(220);
    tools->addWidget(fileName);
    fileNameEdits_[2] = fileName;

    auto* row = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    left->addWidget(gridAnyShape_, 2);
    auto* preview = new TShapePreview(core_, gridAnyShape_, this);
    shapePreview_ = preview;
    left->addWidget(preview, 1);
    row->addLayout(left, 1);

    // "Select Profile": scrolls when the window is too low to show it all.
    auto* box = new QGroupBox(ToQString(core_.Captions.Caption("GroupBoxEditShape")), this);
    box->setObjectName("GroupBoxEditShape");
    auto* v = new QVBoxLayout(box);
    comboStandShape_ = new QComboBox(box);
    comboStandShape_->setObjectName("ComboBoxStandShape");
    for (const std::string& n : StandardShapeNames()) {
        comboStandShape_->addItem(ToQString(n));
        StandardShapePicture(n);  // built now, before a run can use the shapes' list
    }
    connect(comboStandShape_, &QComboBox::activated, this, &TSDIAppForm::ComboBoxStandShapeChange);
    v->addWidget(comboStandShape_);
    button(v, "ButtonImportDXF", "Import DXF", &TSDIAppForm::ButtonImportDXFClick);
    selectShape_ = new TSelectShapeBox(core_, box);
    v->addWidget(selectShape_, 1);
    gridPara_ = new TGridView(d.StringGridStandardPara, box);
    gridPara_->setObjectName("StringGridStandardPara");
    gridPara_->GridModel()->SetFixedColumns(StandardParaCol::Value);  // the names are not typed
    gridPara_->horizontalHeader()->setStretchLastSection(true);
    // Room for the longest template's rows.
    gridPara_->setFixedHeight(gridPara_->horizontalHeader()->sizeHint().height() +
                              gridPara_->verticalHeader()->defaultSectionSize() * 6 + 4);
    ConnectGrid(gridPara_, false);
    gridPara_->OnCellClick = nullptr;
    v->addWidget(gridPara_);
    auto* form = new QHBoxLayout;
    auto* labelCaption = new QLabel(ToQString(PartLabelCaption), box);
    labelCaption->setObjectName("LabelSelectLabel");
    form->addWidget(labelCaption);
    editSelectLabel_ = new QLineEdit(box);
    editSelectLabel_->setObjectName("EditSelectLabel");
    form->addWidget(editSelectLabel_);
    auto* qtyCaption = new QLabel(ToQString(PartQtyCaption), box);
    qtyCaption->setObjectName("LabelSelectQty");
    form->addWidget(qtyCaption);
    editSelectQty_ = new QLineEdit(box);
    editSelectQty_->setObjectName("EditSelectQty");
    editSelectQty_->setMaximumWidth(60);
    form->addWidget(editSelectQty_);
    v->addLayout(form);
    button(v, "ButtonAddAnyShape", "<< Add", &TSDIAppForm::ButtonAddAnyShapeClick);
    auto* side = new QScrollArea(this);
    side->setObjectName("ScrollBoxEditShape");
    side->setWidget(box);
    side->setWidgetResizable(true);
    side->setFrameShape(QFrame::NoFrame);
    side->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    box->setMinimumHeight(box->minimumSizeHint().height());
    side->setFixedWidth(300);
    ScrollPageOnWheel(side);  // a wheel turn scrolls, it does not pick a template
    row->addWidget(side);
    PageBody(TPage::AnyShape)->addLayout(row, 1);
    listCommands_.push_back(comboStandShape_);
    listCommands_.push_back(editSelectLabel_);
    listCommands_.push_back(editSelectQty_);

    connect(gridAnyShape_->selectionModel(), &QItemSelectionModel::currentChanged, preview,
            [preview] { preview->update(); });
}

void TSDIAppForm::ComboBoxStandShapeChange(int index) {
    core_.Data.ComboBoxStandShape = index;
    ::ComboBoxStandShapeChange(core_.Data, index);
    if (comboStandShape_ && comboStandShape_->currentIndex() != index)
        comboStandShape_->setCurrentIndex(index);
    if (gridPara_) gridPara_->Reload();
    if (selectShape_) selectShape_->update();
}

void TSDIAppForm::ButtonImportDXFClick() {
    const std::string title = MsgOpenFileTitle;
    const std::string name = ChooseFile(false, title, title + "(*.dxf)|*.dxf", DirImportDxfs, "dxf");
    if (name.empty()) return;
    const std::string error = ImportDxfProfile(name);
    if (!error.empty()) {
        Warn(error);
        return;
    }
    ChooseDxfProfile(core_.Data);
    gridPara_->Reload();
    selectShape_->update();
}

void TSDIAppForm::ButtonAddAnyShapeClick() {
    core_.Data.EditSelectLabel = FromQString(editSelectLabel_->text(), core_.Data.EditSelectLabel);
    core_.Data.EditSelectQty = FromQString(editSelectQty_->text(), core_.Data.EditSelectQty);
    ::ButtonAddAnyShapeClick(core_.Data);
    gridAnyShape_->Reload();
    shapePreview_->update();
}

void TSDIAppForm::AnyShapeOpenClick() {
    const std::string title = MsgOpenFileTitle;
    const std::string name = ChooseFile(false, title, AnyShapeFileFilter(title), DirProfiles, "apt");
    if (name.empty()) return;
    Guarded([&] { ReadAnyShapeFile(core_.Data, name); });
    RefreshGrids();
    shapePreview_->update();
    selectShape_->update();
    emit PlanChanged();  // reading a free-shape list clears a plan that may hold its parts
    emit GridsReloaded();
}

void TSDIAppForm::AnyShapeSaveClick() {
    const std::string& name = core_.Data.EditAnyShapeFileName;
    if (name.empty() || !IsListFileOfKind(name, "apt")) return AnyShapeSaveAsClick();
    Guarded([&] { SaveAnyShapeFile(core_.Data, name, true); });
    UpdateFileNameEdits();
}

void TSDIAppForm::AnyShapeSaveAsClick() {
    const std::string title = MsgSaveAsFileTitle;
    const std::string name = ChooseFile(true, title, AnyShapeFileFilter(title), DirProfiles, "apt");
    if (name.empty()) return;
    Guarded([&] { SaveAnyShapeFile(core_.Data, name, true); });
    UpdateFileNameEdits();
}

void TSDIAppForm::AnyShapeDeleteClick() {
    if (AnyShapeDelete(core_.Data, gridAnyShape_->CurrentCell().Row)) emit PlanChanged();
    gridAnyShape_->Reload();
    shapePreview_->update();
}

void TSDIAppForm::AnyShapeDeleteAllClick() {
    AnyShapeDeleteAll(core_.Data);
    gridAnyShape_->Reload();
    shapePreview_->update();
    emit PlanChanged();
}

// The report page.
void TSDIAppForm::BuildReportPage() {
    listBoxReport_ = new QListWidget(this);
    listBoxReport_->setObjectName("ListBoxReport");
    listBoxReport_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    PageBody(TPage::Report)->addWidget(listBoxReport_, 1);
    // The sheets and parts tables of the summary, each shown on request.
    const auto box = [this](const char* name, const char* text, bool& setting, void (*build)()) {
        auto* b = new QCheckBox(text, this);
        b->setObjectName(name);
        b->setChecked(setting);
        connect(b, &QCheckBox::toggled, this, [this, &setting, build](bool on) {
            setting = on;
            if (Optimizer.Best.Count() == 0) return;
            build();
            BuildSummaryReport();
            core_.ShowReport();
            ShowReport();
        });
        PageTools(TPage::Report)->addWidget(b);
        listCommands_.push_back(b);
    };
    box("chkReportAllRawPanels", "RAW Panels List", ReportAllRawPanels, BuildSheetsReport);
    box("chkReportAllParts", "Parts List", ReportAllParts, BuildPartsReport);
    PageTools(TPage::Report)->addStretch(1);
}

void TSDIAppForm::ShowReport() {
    listBoxReport_->clear();
    for (const std::string& line : core_.ListBoxReport) listBoxReport_->addItem(ToQString(line));
}
