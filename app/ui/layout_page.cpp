#include "app/ui/layout_page.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFormLayout>
#include <QFrame>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QToolBar>
#include <cmath>

#include "app/core/layout_view.h"
#include "app/core/main_window.h"
#include "app/ui/qt_canvas.h"
#include "app/ui/sdimain.h"
#include "engine/numeric.h"
#include "engine/pubfunc.h"
#include "engine/pubstr.h"
#include "engine/shared_state.h"
#include "engine/textfmt.h"
#include "output/layout_print.h"
#include "platform/message_sink.h"

namespace {

constexpr int kAnimationStepMs = 500;
constexpr int kInfoPanelWidth = 280;

bool ValidLayout() {
    return CurrentLayoutIndex >= 0 && CurrentLayoutIndex < Optimizer.Best.Count();
}

QString Caption(TSDIAppForm& Form, const char* Name) {
    return ToQString(Form.Core().Captions.Caption(Name));
}

// A fact of the layout: its title (a captioned control) and its value.
QLabel* AddFact(TSDIAppForm& Form, QFormLayout* Facts, const char* TitleName, const char* Name) {
    auto* title = new QLabel(Caption(Form, TitleName));
    title->setObjectName(TitleName);
    auto* value = new QLabel;
    value->setObjectName(Name);
    Facts->addRow(title, value);
    return value;
}

}  // namespace

TLayoutPaintBox::TLayoutPaintBox(TLayoutPage& Page, QWidget* Parent)
    : QWidget(Parent), page_(Page) {
    setObjectName("PaintBoxLayout");
    setMouseTracking(true);
}

void TLayoutPaintBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    page_.PaintLayout(painter);
}

void TLayoutPaintBox::mouseMoveEvent(QMouseEvent* Event) {
    const QPoint p = Event->position().toPoint();
    page_.PaintMouseMove(p.x(), p.y());
}

void TLayoutPaintBox::mousePressEvent(QMouseEvent* Event) {
    const QPoint p = Event->position().toPoint();
    page_.PaintMouseDown(Event->button(), p.x(), p.y());
}

TLayoutPage::TLayoutPage(TSDIAppForm& Form) : QWidget(nullptr), form_(Form) {
    setObjectName("LayoutPage");
    QBoxLayout* tools = Form.PageTools(TSDIAppForm::TPage::Layout);
    auto button = [&](const char* name, auto slot) {
        auto* b = new QPushButton(Caption(Form, name));
        b->setObjectName(name);
        tools->addWidget(b);
        connect(b, &QPushButton::clicked, this, slot);
        return b;
    };
    manual_ = button("ButtonManual", &TLayoutPage::ButtonManualClick);
    confirm_ = button("ButtonConfirm", &TLayoutPage::ButtonConfirmClick);
    cancel_ = button("ButtonCancelManual", &TLayoutPage::ButtonCancelManualClick);
    confirm_->hide();
    cancel_->hide();
    button("ButtonLayoutAgain", [this] {
        form_.Core().ButtonLayoutAgainClick();
        form_.NotifyPlanChanged();
    });
    delete_ = button("ButtonDeleteLayout", &TLayoutPage::ButtonDeleteLayoutClick);

    // The drawing: hint bar above the sheet panel, rolling bar below.
    display_ = new QGroupBox;
    display_->setObjectName("GroupBoxLayoutDisplay");
    auto* dl = new QVBoxLayout(display_);
    hint_ = new QLabel;
    hint_->setObjectName("LabelHint");
    hint_->setFrameShape(QFrame::StyledPanel);
    dl->addWidget(hint_);
    drawArea_ = new QWidget;
    drawArea_->setObjectName("DrawArea");
    drawArea_->installEventFilter(this);
    dl->addWidget(drawArea_, 1);
    drawPanel_ = new QFrame(drawArea_);
    drawPanel_->setObjectName("DrawPanelSheet");
    drawPanel_->setAutoFillBackground(true);
    drawPanel_->hide();
    paintBox_ = new TLayoutPaintBox(*this, drawPanel_);
    rolling_ = new QScrollBar(Qt::Horizontal);
    rolling_->setObjectName("scrlbrRollingMode");
    rolling_->setPageStep(1);
    rolling_->hide();
    dl->addWidget(rolling_);
    connect(rolling_, &QScrollBar::valueChanged, this, [this] { ShowScheme(); });

    // The facts and controls beside it.
    info_ = new QGroupBox;
    info_->setObjectName("GroupBoxLayoutInfo");
    auto* il = new QVBoxLayout(info_);
    scrollSchemes_ = new QScrollBar(Qt::Horizontal);
    scrollSchemes_->setObjectName("ScrollBarSchemes");
    scrollSchemes_->setPageStep(1);
    scrollSchemes_->setRange(0, 0);
    il->addWidget(scrollSchemes_);
    layoutList_ = new QComboBox;
    layoutList_->setObjectName("ComboBoxLayoutList");
    layoutList_->setMaxVisibleItems(20);
    il->addWidget(layoutList_);
    connect(scrollSchemes_, &QScrollBar::valueChanged, this, [this](int v) { SelectLayout(v); });
    connect(layoutList_, &QComboBox::activated, this, [this](int v) { SelectLayout(v); });

    auto* order = new QGroupBox(Caption(Form, "RadioGroupLayoutsOrder"));
    order->setObjectName("RadioGroupLayoutsOrder");
    auto* ol = new QHBoxLayout(order);
    const std::vector<std::string> items = Form.Core().Captions.Items("RadioGroupLayoutsOrder");
    for (int i = 0; i < 2; ++i) {
        orderButtons_[i] =
            new QRadioButton(i < static_cast<int>(items.size()) ? ToQString(items[i]) : QString());
        ol->addWidget(orderButtons_[i]);
        connect(orderButtons_[i], &QRadioButton::clicked, this,
                [this, i] { RadioGroupLayoutsOrderClick(i); });
    }
    const int storedOrder = Form.Core().Window.RadioGroupLayoutsOrder;
    orderButtons_[storedOrder == 1 ? 1 : 0]->setChecked(true);
    il->addWidget(order);

    auto check = [&](const char* name, bool on) {
        auto* c = new QCheckBox(Caption(Form, name));
        c->setObjectName(name);
        c->setChecked(on);
        il->addWidget(c);
        return c;
    };
    // The boxes as the option file left them.
    const TWindowOptions& shown = Form.Core().Window;
    showLabel_ = check("ShowLabel", shown.ShowLabel);
    showLengthXWidth_ = check("ShowLengthXWidth", shown.ShowLengthXWidth);
    showXYPos_ = check("ShowXYPos", shown.ShowXYPos);
    showOffcuts_ = check("ShowOffcuts", shown.ShowOffcuts);
    showCutSequence_ = check("ShowCutSequence", false);
    for (QCheckBox* c : {showLabel_, showLengthXWidth_, showXYPos_, showOffcuts_})
        connect(c, &QCheckBox::clicked, this, &TLayoutPage::CheckBoxClicked);
    connect(showCutSequence_, &QCheckBox::clicked, this, &TLayoutPage::ShowCutSequenceClick);
    StoreShowBoxes();

    auto* facts = new QFormLayout;
    sheetLabel_ = AddFact(Form, facts, "LabelLayoutLabel", "LabelSheetLabel");
    sheetType_ = AddFact(Form, facts, "LabelLayoutType", "LabelSheetType");
    sheetLength_ = AddFact(Form, facts, "LabelLayoutLength", "LabelSheetLength");
    sheetWidth_ = AddFact(Form, facts, "LabelLayoutWidth", "LabelSheetWidth");
    sheetNumber_ = AddFact(Form, facts, "LabelLayoutQty", "LabelSheetNumber");
    utilization_ = AddFact(Form, facts, "LabelLayoutUtilization", "LabelUtilization");
    wasteArea_ = AddFact(Form, facts, "LabelLayoutWaste", "LabelWasteArea");
    cost_ = AddFact(Form, facts, "LabelLayoutCost", "LabelCost");
    area_ = AddFact(Form, facts, "LabelLayoutArea", "LabelArea");
    il->addLayout(facts);

    auto* partsTitle = new QLabel(Caption(Form, "LabelPartsInLayout"));
    partsTitle->setObjectName("LabelPartsInLayout");
    il->addWidget(partsTitle);
    partsInLayout_ = new QTableWidget(0, 2);
    partsInLayout_->setObjectName("StringGridPartsInLayout");
    partsInLayout_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    partsInLayout_->verticalHeader()->hide();
    partsInLayout_->horizontalHeader()->setStretchLastSection(true);
    il->addWidget(partsInLayout_, 1);

    // The facts scroll when the window is too low to show them all.
    auto* side = new QScrollArea;
    side->setObjectName("ScrollBoxLayoutInfo");
    side->setWidget(info_);
    side->setWidgetResizable(true);
    side->setFrameShape(QFrame::NoFrame);
    side->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    side->setFixedWidth(kInfoPanelWidth + side->verticalScrollBar()->sizeHint().width());
    info_->setMinimumWidth(kInfoPanelWidth);
    info_->setMaximumWidth(kInfoPanelWidth);
    partsInLayout_->setMinimumHeight(120);

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(display_, 1);
    row->addWidget(side);
    Form.PageBody(TSDIAppForm::TPage::Layout)->addWidget(this);

    animation_ = new QTimer(this);
    animation_->setInterval(kAnimationStepMs);
    connect(animation_, &QTimer::timeout, this, &TLayoutPage::AnimationStep);

    edit_.DrawFocusRect = [this](const platform::TCanvasRect& r) {
        const QRect q(QPoint(r.Left, r.Top), QPoint(r.Right - 1, r.Bottom - 1));
        // Drawing a rectangle a second time takes it away.
        const auto it = std::find(focusRects_.begin(), focusRects_.end(), q);
        if (it != focusRects_.end())
            focusRects_.erase(it);
        else
            focusRects_.push_back(q);
        paintBox_->update();
    };
    edit_.ShowScheme = [this] { ShowScheme(); };

    connect(&Form, &TSDIAppForm::PlanChanged, this, &TLayoutPage::PlanChanged);
    connect(&Form, &TSDIAppForm::RunningChanged, this, &TLayoutPage::RunningChanged);
    // A new plan is shown in the order of utilisation.
    connect(&Form, &TSDIAppForm::RunFinished, this, [this](bool Cancelled) {
        if (Cancelled || !form_.LastRunMadePlan()) return;
        orderButtons_[0]->setChecked(true);
        form_.Core().Window.RadioGroupLayoutsOrder = 0;
    });
    connect(Form.PageControl(), &QTabWidget::currentChanged, this, [this](int index) {
        if (edit_.ManualMode && index != static_cast<int>(TSDIAppForm::TPage::Layout))
            platform::CurrentMessageSink().Warning(MsgManualLock);
        if (index == static_cast<int>(TSDIAppForm::TPage::Layout)) ShowScheme();
    });
    UpdateButtons();
}

bool TLayoutPage::ShowCutSequenceChecked() const {
    return showCutSequence_->isChecked();
}

QPoint TLayoutPage::SheetOrigin() const {
    return {Round32(WidthEdge * layoutScale_) + 1, Round32(LengthEdge * layoutScale_) + 1};
}

bool TLayoutPage::eventFilter(QObject* Watched, QEvent* Event) {
    if (Watched == drawArea_ && Event->type() == QEvent::Resize) ShowScheme();
    return QWidget::eventFilter(Watched, Event);
}

void TLayoutPage::UpdateButtons() {
    const bool running = form_.Running();
    const bool any = Optimizer.Best.Count() > 0 && !running;
    // A stock update books the plan: it can then no longer be edited.
    const TStockUpdateButtons& rules = form_.Core().UpdateButtons;
    manual_->setEnabled(any && rules.ButtonManual);
    delete_->setEnabled(any && rules.ButtonDeleteLayout);
    if (auto* again = form_.findChild<QPushButton*>("ButtonLayoutAgain"))
        again->setEnabled(any && rules.ButtonLayoutAgain);
}

void TLayoutPage::RefillLayoutList() {
    filling_ = true;
    const int n = Optimizer.Best.Count();
    layoutList_->clear();
    for (const std::string& e : LayoutListEntries(n)) layoutList_->addItem(ToQString(e));
    scrollSchemes_->setRange(0, std::max(0, n - 1));
    if (ValidLayout()) {
        layoutList_->setCurrentIndex(CurrentLayoutIndex);
        scrollSchemes_->setValue(CurrentLayoutIndex);
    }
    filling_ = false;
}

void TLayoutPage::SelectLayout(int Index) {
    if (filling_ || edit_.ManualMode || Index < 0 || Index >= Optimizer.Best.Count()) return;
    CurrentLayoutIndex = Index;
    filling_ = true;
    scrollSchemes_->setValue(Index);
    layoutList_->setCurrentIndex(Index);
    rolling_->setValue(0);
    filling_ = false;
    rollingScrollOffset_ = 0;
    StopAnimation();
    if (showCutSequence_->isChecked()) AnimateCutSequence = true;
    ShowScheme();
}

void TLayoutPage::PlanChanged() {
    if (!ValidLayout() && Optimizer.Best.Count() > 0) CurrentLayoutIndex = 0;
    RefillLayoutList();
    StopAnimation();
    if (ValidLayout())
        ShowScheme();
    else
        HideLayout();
    UpdateButtons();
}

void TLayoutPage::RunningChanged(bool Running) {
    edit_.Locked = Running;
    display_->setEnabled(!Running);
    info_->setEnabled(!Running);
    if (Running) {
        StopAnimation();
        HideLayout();
        partsInLayout_->setRowCount(0);
    }
    UpdateButtons();
}

void TLayoutPage::ShowScheme() {
    if (!edit_.ManualMode) edit_.MovingPieceIndex = -1;
    if (!ValidLayout() || form_.Running()) return;
    scrollSchemes_->setToolTip(
        ToQString(LayoutScrollHint(Optimizer.Best.Count(), CurrentLayoutIndex)));
    ShowPacket();
}

void TLayoutPage::ShowPacket() {
    TPacket& p = Optimizer.Best[CurrentLayoutIndex];
    const bool rolling = RollingMode;
    rolling_->setVisible(rolling);
    const int aw = drawArea_->width() - 10;
    const int ah = drawArea_->height() - 10;
    layoutScale_ = LayoutViewScale(p, aw, ah, rolling);
    edit_.LayoutScale = layoutScale_;
    edit_.ShowOffcuts = showOffcuts_->isChecked();
    const int fullW = Round32(FullLayoutLength(p) * layoutScale_) + 10;
    const int fullH = Round32(FullLayoutWidth(p) * layoutScale_) + 10;
    const int panelW = rolling ? std::min(fullW, std::max(aw, 1)) : fullW;
    drawPanel_->setGeometry(0, 0, panelW, fullH);
    QPalette pal = drawPanel_->palette();
    pal.setColor(QPalette::Window, ToQColor(form_.Core().Page.ColorBoxEdge));
    drawPanel_->setPalette(pal);
    if (rolling) {
        const int max = RollingScrollMax(fullW, panelW);
        filling_ = true;
        rolling_->setRange(0, max);
        filling_ = false;
        rollingScrollOffset_ = RollingScrollOffsetFor(rolling_->value(), max, fullW, panelW);
        paintBox_->setGeometry(-rollingScrollOffset_, 0, fullW, fullH);
    } else {
        rollingScrollOffset_ = 0;
        paintBox_->setGeometry(0, 0, panelW, fullH);
    }
    drawPanel_->setToolTip(ToQString(Format(
        "%s: %s%s , %s: %s%s",
        {form_.Core().Captions.Caption("LabelSetupLengthEdge"), PubFunc.UnitsToStr(WidthEdge),
         MeasureUnitName, form_.Core().Captions.Caption("LabelSetupWidthEdge"),
         PubFunc.UnitsToStr(LengthEdge), MeasureUnitName})));
    if (!(rolling && rolling_->value() > 0)) RenameShownLayoutOffcuts();
    drawPanel_->show();
    paintBox_->update();

    const TLayoutViewFacts f = LayoutFacts(p);
    sheetLabel_->setText(ToQString(f.SheetLabel));
    sheetType_->setText(ToQString(f.SheetType));
    sheetLength_->setText(ToQString(f.SheetLength));
    sheetWidth_->setText(ToQString(f.SheetWidth));
    sheetNumber_->setText(ToQString(f.SheetNumber));
    utilization_->setText(ToQString(f.Utilization));
    wasteArea_->setText(ToQString(f.WasteArea));
    cost_->setText(ToQString(f.Cost));
    area_->setText(ToQString(f.Area));
    partsInLayout_->setHorizontalHeaderLabels(
        {ToQString(PartLabelCaption), ToQString(PartQtyCaption)});
    partsInLayout_->setRowCount(static_cast<int>(f.PartsInLayout.size()));
    for (int r = 0; r < static_cast<int>(f.PartsInLayout.size()); ++r) {
        partsInLayout_->setItem(r, 0, new QTableWidgetItem(ToQString(f.PartsInLayout[r].first)));
        partsInLayout_->setItem(r, 1, new QTableWidgetItem(ToQString(f.PartsInLayout[r].second)));
    }
    if (f.HasShapedPart) {
        showCutSequence_->setChecked(false);
        showCutSequence_->hide();
        StopAnimation();
    } else {
        showCutSequence_->show();
    }
}

void TLayoutPage::HideLayout() {
    drawPanel_->hide();
    for (QLabel* l :
         {sheetLength_, sheetWidth_, sheetLabel_, sheetNumber_, utilization_, wasteArea_})
        l->clear();
}

void TLayoutPage::PaintLayout(QPainter& Painter) {
    if (!ValidLayout() || form_.Running()) return;
    const QPoint o = SheetOrigin();
    if (showCutSequence_->isChecked() && AnimateCutSequence) {
        AnimateCutSequence = false;
        cutsShown_ = 0;
        animation_->start();
    }
    TQtCanvas canvas(Painter);
    canvas.Brush.Style = platform::TBrushStyle::Clear;
    TLayoutViewOptions opt;
    opt.ShowLabel = showLabel_->isChecked();
    opt.ShowLengthXWidth = showLengthXWidth_->isChecked();
    opt.ShowXYPos = showXYPos_->isChecked();
    opt.ShowOffcuts = showOffcuts_->isChecked();
    opt.ShowCutSequence = showCutSequence_->isChecked();
    opt.CutsShown = cutsShown_;
    opt.SkipPiece = edit_.ManualMode ? edit_.MovingPieceIndex : -1;
    opt.PartColor = form_.Core().Page.ColorBoxParts;
    opt.OffcutColor = form_.Core().Page.ColorBoxOffcuts;
    try {
        cutCount_ = DrawLayoutView(CurrentLayoutIndex, canvas, layoutScale_, opt);
    } catch (const std::exception&) {
        cutCount_ = 0;  // a sheet too large for the view's pixels draws nothing
    }
    if (!focusRects_.empty()) {
        // The carried part: a dashed outline in colours that stand out on
        // the sheet, drawn over the layout (the next paint takes it away).
        const TCarriedOutlineColors c = CarriedOutlineColors(form_.Core().Page.ColorBoxEdge);
        Painter.setBrush(Qt::NoBrush);
        for (const QRect& r : focusRects_) {
            Painter.setPen(QPen(ToQColor(c.Gap), 2, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
            Painter.drawRect(r.translated(o));
            Painter.setPen(QPen(ToQColor(c.Dash), 2, Qt::DashLine, Qt::SquareCap, Qt::MiterJoin));
            Painter.drawRect(r.translated(o));
        }
    }
}

void TLayoutPage::PaintMouseMove(int X, int Y) {
    const QPoint o = SheetOrigin();
    const std::string hint = edit_.MouseMove(X - o.x(), Y - o.y());
    if (!(edit_.ManualMode && edit_.Dragging)) hint_->setText(ToQString(hint));
}

void TLayoutPage::PaintMouseDown(Qt::MouseButton Button, int X, int Y) {
    const QPoint o = SheetOrigin();
    const TMouseButton b = Button == Qt::RightButton    ? TMouseButton::Right
                           : Button == Qt::MiddleButton ? TMouseButton::Middle
                                                        : TMouseButton::Left;
    try {
        edit_.MouseDown(b, X - o.x(), Y - o.y());
    } catch (const std::exception& e) {
        platform::CurrentMessageSink().Warning(std::string("[") + e.what() + "]");
    }
}

void TLayoutPage::LockWindow(bool Lock) {
    form_.ToolBar()->setEnabled(!Lock);
    form_.menuBar()->setEnabled(!Lock);
    info_->setEnabled(!Lock);
    for (int i = 0; i < form_.PageControl()->count(); ++i)
        if (i != static_cast<int>(TSDIAppForm::TPage::Layout))
            form_.PageControl()->widget(i)->setEnabled(!Lock);
    for (QPushButton* b : form_.PageControl()
                              ->widget(static_cast<int>(TSDIAppForm::TPage::Layout))
                              ->findChildren<QPushButton*>())
        if (b != confirm_ && b != cancel_) b->setEnabled(!Lock);
    manual_->setVisible(!Lock);
    confirm_->setVisible(Lock);
    cancel_->setVisible(Lock);
    if (!Lock) UpdateButtons();
}

void TLayoutPage::ButtonManualClick() {
    if (edit_.ManualMode || !form_.Core().UpdateButtons.ButtonManual) return;
    StopAnimation();
    if (edit_.StartManual()) LockWindow(true);
}

void TLayoutPage::ButtonConfirmClick() {
    EndManualEdit(true);
}

void TLayoutPage::ButtonCancelManualClick() {
    EndManualEdit(false);
}

void TLayoutPage::EndManualEdit(bool Keep) {
    if (!edit_.ManualMode) return;
    if (Keep)
        ConfirmManualEdit(form_.Core(), edit_);
    else
        edit_.Cancel();
    focusRects_.clear();
    LockWindow(false);
    form_.ShowReport();
    form_.NotifyPlanChanged();
}

void TLayoutPage::ButtonDeleteLayoutClick() {
    if (Optimizer.Best.Count() == 0) {
        platform::CurrentMessageSink().Warning(MsgLayoutIsEmpty);
        return;
    }
    const std::string question = form_.Core().Captions.Caption("ButtonDeleteLayout") + " No." +
                                 IntToStr(std::int64_t{layoutList_->currentIndex()} + 1);
    if (!form_.Core().UpdateButtons.ButtonDeleteLayout ||
        !platform::CurrentMessageSink().Confirm(question, false))
        return;
    DeleteLayout(form_.Core(), CurrentLayoutIndex);
    form_.ShowReport();
    form_.NotifyPlanChanged();
}

void TLayoutPage::RadioGroupLayoutsOrderClick(int Order) {
    if (edit_.ManualMode) return;
    form_.Core().Window.RadioGroupLayoutsOrder = Order;
    if (Optimizer.Best.Count() == 0) return;
    SortLayouts(Optimizer.Best, Order);
    CurrentLayoutIndex = 0;
    form_.NotifyPlanChanged();
}

void TLayoutPage::CheckBoxClicked() {
    StoreShowBoxes();
    ShowScheme();
}

// The boxes into the flags the printouts and exports read and into the
// window state the option file keeps.
void TLayoutPage::StoreShowBoxes() {
    TWindowOptions& w = form_.Core().Window;
    LayoutShowLabel = w.ShowLabel = showLabel_->isChecked();
    LayoutShowLengthXWidth = w.ShowLengthXWidth = showLengthXWidth_->isChecked();
    LayoutShowXYPos = w.ShowXYPos = showXYPos_->isChecked();
    LayoutShowOffcuts = w.ShowOffcuts = showOffcuts_->isChecked();
}

void TLayoutPage::ShowCutSequenceClick() {
    StopAnimation();
    if (showCutSequence_->isChecked() && !ValidLayout()) {
        showCutSequence_->setChecked(false);
        return;
    }
    AnimateCutSequence = showCutSequence_->isChecked();
    ShowScheme();
}

void TLayoutPage::AnimationStep() {
    if (cutsShown_ < 0 || ++cutsShown_ >= cutCount_) StopAnimation();
    paintBox_->update();
}

void TLayoutPage::StopAnimation() {
    animation_->stop();
    cutsShown_ = -1;
}

TLayoutPage* FindLayoutPage(TSDIAppForm& Form) {
    return Form.findChild<TLayoutPage*>("LayoutPage");
}

void InstallLayoutPage(TSDIAppForm& Form) {
    new TLayoutPage(Form);
}
