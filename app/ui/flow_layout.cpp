#include "app/ui/flow_layout.h"

#include <QWidget>
#include <map>

#include "app/core/window_geometry.h"

std::vector<QRect> TFlowBoxLayout::Place(int Width, int* Height) const {
    const QMargins m = contentsMargins();
    std::vector<TFlowSize> sizes;
    std::vector<int> shown;  // item index of each size
    for (int i = 0; i < count(); ++i) {
        QLayoutItem* item = itemAt(i);
        if (item->isEmpty() || item->spacerItem()) continue;
        const QSize s = item->sizeHint().expandedTo(item->minimumSize());
        sizes.push_back({s.width(), s.height()});
        shown.push_back(i);
    }
    const int spacing = std::max(0, this->spacing());
    int h = 0;
    const std::vector<TWindowRect> rects =
        FlowRows(sizes, Width - m.left() - m.right(), spacing, &h);
    // Each command centred in the height of its line.
    std::map<int, int> lineHeights;
    for (const TWindowRect& r : rects) lineHeights[r.Top] = std::max(lineHeights[r.Top], r.Height);
    std::vector<QRect> out(static_cast<std::size_t>(count()));
    for (std::size_t k = 0; k < rects.size(); ++k) {
        const TWindowRect& r = rects[k];
        const int top = r.Top + (lineHeights[r.Top] - r.Height) / 2;
        out[static_cast<std::size_t>(shown[k])] = QRect(r.Left + m.left(), top + m.top(), r.Width, r.Height);
    }
    if (Height) *Height = h + (sizes.empty() ? 0 : m.top() + m.bottom());
    return out;
}

int TFlowBoxLayout::heightForWidth(int Width) const {
    int h = 0;
    Place(Width, &h);
    return h;
}

QSize TFlowBoxLayout::sizeHint() const {
    // All in one line.
    int h = 0;
    Place(QWIDGETSIZE_MAX / 2, &h);
    int w = 0;
    for (int i = 0; i < count(); ++i)
        if (!itemAt(i)->isEmpty() && !itemAt(i)->spacerItem())
            w += itemAt(i)->sizeHint().width() + std::max(0, spacing());
    const QMargins m = contentsMargins();
    return {w + m.left() + m.right(), h};
}

QSize TFlowBoxLayout::minimumSize() const {
    // As narrow as its widest command; as high as one line (the height for
    // the width given comes from heightForWidth).
    int w = 0, h = 0;
    for (int i = 0; i < count(); ++i) {
        QLayoutItem* item = itemAt(i);
        if (item->isEmpty() || item->spacerItem()) continue;
        w = std::max(w, item->minimumSize().width());
        h = std::max(h, item->sizeHint().height());
    }
    const QMargins m = contentsMargins();
    return {w + m.left() + m.right(), h == 0 ? 0 : h + m.top() + m.bottom()};
}

QSize TFlowBoxLayout::maximumSize() const {
    return {QWIDGETSIZE_MAX, QWIDGETSIZE_MAX};
}

void TFlowBoxLayout::setGeometry(const QRect& Rect) {
    QLayout::setGeometry(Rect);
    const std::vector<QRect> rects = Place(Rect.width(), nullptr);
    for (int i = 0; i < count(); ++i) {
        QLayoutItem* item = itemAt(i);
        if (item->isEmpty() || item->spacerItem()) continue;
        item->setGeometry(rects[static_cast<std::size_t>(i)].translated(Rect.topLeft()));
    }
}
