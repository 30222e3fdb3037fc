// A row of commands that wraps into further lines when the page is too
// narrow to show it in one (the tool strip of every page). It is a box
// layout to its users, who add widgets and stretches as to any row; the
// stretches only end a group and take no room.
#pragma once

#include <QHBoxLayout>

class TFlowBoxLayout : public QHBoxLayout {
  public:
    TFlowBoxLayout() = default;

    QSize sizeHint() const override;
    QSize minimumSize() const override;
    QSize maximumSize() const override;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int Width) const override;
    int minimumHeightForWidth(int Width) const override { return heightForWidth(Width); }
    Qt::Orientations expandingDirections() const override { return Qt::Horizontal; }
    void setGeometry(const QRect& Rect) override;

  private:
    // The rectangles of the shown items for a row Width pixels wide (an
    // empty rectangle for a stretch or a hidden widget).
    std::vector<QRect> Place(int Width, int* Height) const;
};
