#include "app/ui/wheel_guard.h"

#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QScrollArea>
#include <QScrollBar>

namespace {

class TWheelGuard : public QObject {
  public:
    explicit TWheelGuard(QScrollArea* Area) : QObject(Area), area_(Area) {}

  protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override {
        if (Event->type() != QEvent::Wheel) return false;
        auto* w = qobject_cast<QWidget*>(Watched);
        if (!w || w->hasFocus()) return false;
        // The page scrolls instead.
        QApplication::sendEvent(area_->verticalScrollBar(), Event);
        return true;
    }

  private:
    QScrollArea* area_;
};

}  // namespace

void ScrollPageOnWheel(QScrollArea* Area) {
    if (!Area || !Area->widget()) return;
    auto* guard = new TWheelGuard(Area);
    QList<QWidget*> controls;
    for (auto* c : Area->widget()->findChildren<QComboBox*>()) controls << c;
    for (auto* s : Area->widget()->findChildren<QAbstractSpinBox*>()) controls << s;
    for (auto* s : Area->widget()->findChildren<QAbstractSlider*>()) controls << s;
    for (QWidget* w : controls) {
        // A click gives the focus (a scroll bar takes none of its own); a
        // wheel turn does not.
        w->setFocusPolicy(Qt::StrongFocus);
        w->installEventFilter(guard);
    }
}
