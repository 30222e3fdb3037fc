// The "Layouts" page: the plan drawn layout by layout, its facts, the parts
// it carries, stepping, sorting and deleting layouts, and manual editing.
// The rules live in app/core (layout_view, manual_edit); this page shows
// them and forwards the mouse.
#pragma once

#include <QWidget>
#include <vector>

#include "app/core/manual_edit.h"

class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QScrollBar;
class QTableWidget;
class QTimer;
class TSDIAppForm;
class TLayoutPaintBox;

class TLayoutPage : public QWidget {
    Q_OBJECT
  public:
    explicit TLayoutPage(TSDIAppForm& Form);

    // Shows the layout at CurrentLayoutIndex (nothing when it is off the plan).
    void ShowScheme();
    // Hides the drawing and empties the layout's facts.
    void HideLayout();
    // Refills the layout list and scroll bar from the plan.
    void RefillLayoutList();

    bool ShowCutSequenceChecked() const;
    TManualEdit& Edit() { return edit_; }
    TLayoutPaintBox* PaintBox() { return paintBox_; }
    double LayoutScale() const { return layoutScale_; }
    // Where the sheet's corner lies on the paint box.
    QPoint SheetOrigin() const;
    // While the cut sequence is animated: how many cuts are shown (-1 all).
    int CutsShown() const { return cutsShown_; }

    // Paint box events.
    void PaintLayout(class QPainter& Painter);
    void PaintMouseMove(int X, int Y);
    void PaintMouseDown(Qt::MouseButton Button, int X, int Y);

    void ButtonManualClick();
    void ButtonConfirmClick();
    void ButtonCancelManualClick();
    void ButtonDeleteLayoutClick();
    void RadioGroupLayoutsOrderClick(int Order);

  protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

  private:
    void ShowPacket();
    void SelectLayout(int Index);
    void PlanChanged();
    void RunningChanged(bool Running);
    void CheckBoxClicked();
    void StoreShowBoxes();
    void ShowCutSequenceClick();
    void AnimationStep();
    void StopAnimation();
    void LockWindow(bool Lock);
    void EndManualEdit(bool Keep);
    void UpdateButtons();

    TSDIAppForm& form_;
    TManualEdit edit_;
    std::vector<QRect> focusRects_;  // the carried part's rectangle, when drawn
    double layoutScale_ = 0.0;
    int rollingScrollOffset_ = 0;
    int cutsShown_ = -1;
    int cutCount_ = 0;
    bool filling_ = false;

    QPushButton *manual_, *confirm_, *cancel_, *delete_;
    QScrollBar* scrollSchemes_;
    QComboBox* layoutList_;
    QRadioButton* orderButtons_[2];
    QCheckBox *showLabel_, *showLengthXWidth_, *showXYPos_, *showOffcuts_, *showCutSequence_;
    QLabel *sheetLabel_, *sheetType_, *sheetLength_, *sheetWidth_, *sheetNumber_;
    QLabel *utilization_, *wasteArea_, *cost_, *area_;
    QTableWidget* partsInLayout_;
    QGroupBox *display_, *info_;
    QLabel* hint_;
    QWidget* drawArea_;
    QFrame* drawPanel_;
    TLayoutPaintBox* paintBox_;
    QScrollBar* rolling_;
    QTimer* animation_;
};

// The drawing surface of the layout page.
class TLayoutPaintBox : public QWidget {
    Q_OBJECT
  public:
    explicit TLayoutPaintBox(TLayoutPage& Page, QWidget* Parent);

  protected:
    void paintEvent(QPaintEvent* Event) override;
    void mouseMoveEvent(QMouseEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;

  private:
    TLayoutPage& page_;
};

// The layout page of the window (nullptr before InstallLayoutPage).
TLayoutPage* FindLayoutPage(TSDIAppForm& Form);
