// The edge types dialog's picture: which side of a part is which. A part
// lies with its length along the picture and its width across; a band is a
// thin strip along each side, the grinding allowance a dashed margin around
// the part. The sides are marked T, B, L and R as the table's columns name
// them (BT ... GR): left and right lie at the ends of the length, top and
// bottom at the ends of the width. Its words are labels with the program's
// captions, so that a caption file relabels them.
#pragma once

#include <QWidget>
#include <array>

class QLabel;

class TEdgeTypesPicture : public QWidget {
    Q_OBJECT
  public:
    explicit TEdgeTypesPicture(QWidget* Parent = nullptr);

    // `LabelPartLength`, `LabelPartWidth`: the length and width dimension
    // lines; `LabelPartLength2` x `LabelPartWidth2`: the part's size written
    // on it; `LabelBand`, `LabelGrinding`: the key to the strip and the
    // dashed margin.
    QLabel* LabelPartLength;
    QLabel* LabelPartLength2;
    QLabel* LabelPartWidth;
    QLabel* LabelPartWidth2;
    QLabel* LabelBand;
    QLabel* LabelGrinding;

    // The words are the present captions (a caption file may have changed
    // them): PartLengthCaption, PartWidthCaption, BandCaption and
    // GrindingCaption. A word too long for its place is cut short with "..."
    // and shown whole in its tooltip.
    void SetCaptions();

    // Where the part, its outline with the grinding allowance, a band strip
    // (the top one), the side marks (T, B, L, R) and the key's two samples
    // are drawn at the present size.
    QRect PartRect() const { return part_; }
    QRect GrindingRect() const { return grinding_; }
    QRect TopBand() const;
    const std::array<QRect, 4>& SideMarks() const { return marks_; }
    QRect BandSample() const { return bandSample_; }
    QRect GrindingSample() const { return grindingSample_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  protected:
    void resizeEvent(QResizeEvent* Event) override;
    void paintEvent(QPaintEvent* Event) override;

  private:
    QLabel* AddLabel(const char* Name);
    // The size the words need: the widest and the height of a line.
    int LineHeight() const;
    QSize LeastPart() const;
    int RightColumn() const;
    int KeyWidth() const;
    void Arrange();

    std::array<QString, 4> words_;  // length, width, band, grinding
    QRect part_, grinding_, bandSample_, grindingSample_, times_;
    int lengthLineY_ = 0, widthLineX_ = 0;
    std::array<QRect, 4> marks_;  // T, B, L, R
};
