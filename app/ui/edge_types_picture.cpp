#include "app/ui/edge_types_picture.h"

#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>

#include "app/ui/qt_canvas.h"
#include "engine/pubstr.h"

namespace {

constexpr int kMargin = 4;      // around the picture
constexpr int kAllowance = 12;  // the grinding margin around the part
constexpr int kBand = 7;        // a band strip's thickness
constexpr int kLineGap = 10;    // between a dimension's word and the drawing
constexpr int kSample = 26;     // the key's samples
constexpr int kSampleGap = 5;   // between a sample and its word
constexpr int kKeyGap = 20;     // between the two entries of the key
constexpr int kWidestWord = 110;
constexpr int kArrow = 4;  // an arrowhead's length

// The colours of the program's icon: the sheet's, a part's and the orange
// part's, here the grinding allowance, the part and its bands.
const QColor kSheet(0xf3, 0xe2, 0xb3);
const QColor kSheetEdge(0x7a, 0x55, 0x27);
const QColor kPart(0xd6, 0xe6, 0xf7);
const QColor kPartEdge(0x1d, 0x45, 0x76);
const QColor kBandColour(0xd9, 0x7a, 0x30);
const QColor kBandEdge(0x7d, 0x3f, 0x0e);
const QColor kExtension(0x80, 0x80, 0x80);

const char* const kSideLetters[4] = {"T", "B", "L", "R"};

// The sign between the part's length and width.
QString Times() {
    return QString(" ") + QChar(0x00d7) + " ";
}

QFont MarkFont(const QFont& Base) {
    QFont f = Base;
    f.setBold(true);
    return f;
}

// Word on Label, cut short with "..." to MaxWidth pixels (the whole word is
// then the tooltip), at (X, Y); returns the width it takes.
int Place(QLabel* Label, const QString& Word, int MaxWidth, int X, int Y) {
    const QFontMetrics fm(Label->font());
    const QString shown = fm.elidedText(Word, Qt::ElideRight, std::max(MaxWidth, 1));
    Label->setText(shown);
    Label->setToolTip(shown == Word ? QString() : Word);
    const int width = std::min(fm.horizontalAdvance(shown) + 2, std::max(MaxWidth, 1));
    Label->setGeometry(X, Y, width, fm.height());
    return width;
}

void Arrowhead(QPainter& P, QPointF Tip, QPointF Towards) {
    const QLineF back(Tip, Towards);
    const QLineF unit = back.unitVector();
    const QPointF d = (unit.p2() - unit.p1()) * kArrow;
    const QPointF n(-d.y() * 0.6, d.x() * 0.6);
    QPainterPath head;
    head.moveTo(Tip);
    head.lineTo(Tip + d + n);
    head.lineTo(Tip + d - n);
    head.closeSubpath();
    P.fillPath(head, P.pen().color());
}

// A dimension line from A to B with an arrowhead at each end.
void DimensionLine(QPainter& P, QPointF A, QPointF B) {
    P.drawLine(A, B);
    Arrowhead(P, A, B);
    Arrowhead(P, B, A);
}

}  // namespace

TEdgeTypesPicture::TEdgeTypesPicture(QWidget* Parent) : QWidget(Parent) {
    setObjectName("ImageGrindingAndBand");
    LabelPartLength = AddLabel("LabelPartLength");
    LabelPartLength2 = AddLabel("LabelPartLength2");
    LabelPartWidth = AddLabel("LabelPartWidth");
    LabelPartWidth2 = AddLabel("LabelPartWidth2");
    LabelBand = AddLabel("LabelBand");
    LabelGrinding = AddLabel("LabelGrinding");
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    SetCaptions();
}

QLabel* TEdgeTypesPicture::AddLabel(const char* Name) {
    auto* label = new QLabel(this);
    label->setObjectName(Name);
    label->setTextFormat(Qt::PlainText);
    return label;
}

void TEdgeTypesPicture::SetCaptions() {
    words_ = {ToQString(PartLengthCaption), ToQString(PartWidthCaption), ToQString(BandCaption),
              ToQString(GrindingCaption)};
    updateGeometry();
    Arrange();
    update();
}

int TEdgeTypesPicture::LineHeight() const {
    return std::max(fontMetrics().height(), QFontMetrics(MarkFont(font())).height());
}

namespace {

int WordWidth(const QFontMetrics& Fm, const QString& Word, int Widest = kWidestWord) {
    return std::min(Fm.horizontalAdvance(Word) + 2, Widest);
}

int MarkWidth(const QFont& Base) {
    const QFontMetrics fm(MarkFont(Base));
    int w = 0;
    for (const char* letter : kSideLetters) w = std::max(w, fm.horizontalAdvance(letter));
    return w + 2;
}

}  // namespace

// The smallest part that holds its bands, its side marks and its size.
QSize TEdgeTypesPicture::LeastPart() const {
    const QFontMetrics fm(font());
    const int tag = WordWidth(fm, words_[0], kWidestWord / 2) + fm.horizontalAdvance(Times()) +
                    WordWidth(fm, words_[1], kWidestWord / 2);
    const int lh = LineHeight();
    return {2 * kBand + 2 * (MarkWidth(font()) + 6) + tag + 8, 2 * kBand + 3 * lh + 8};
}

int TEdgeTypesPicture::RightColumn() const {
    return 8 + 6 + WordWidth(fontMetrics(), words_[1]) + kMargin;
}

int TEdgeTypesPicture::KeyWidth() const {
    const QFontMetrics fm(font());
    return 2 * (kSample + kSampleGap) + kKeyGap + WordWidth(fm, words_[2]) +
           WordWidth(fm, words_[3]);
}

QSize TEdgeTypesPicture::minimumSizeHint() const {
    const QSize part = LeastPart();
    const int lh = LineHeight();
    const int w = std::max(2 * kMargin + 2 * kAllowance + part.width() + RightColumn(),
                           KeyWidth() + 2 * kMargin);
    const int h = 2 * kMargin + 2 * lh + 2 * kLineGap + 2 * kAllowance + part.height();
    return {w, h};
}

QSize TEdgeTypesPicture::sizeHint() const {
    return minimumSizeHint().expandedTo(QSize(340, 210));
}

void TEdgeTypesPicture::resizeEvent(QResizeEvent* Event) {
    QWidget::resizeEvent(Event);
    Arrange();
}

QRect TEdgeTypesPicture::TopBand() const {
    return {part_.left(), part_.top(), part_.width(), kBand};
}

void TEdgeTypesPicture::Arrange() {
    const QFontMetrics fm(font());
    const int lh = LineHeight(), W = width(), H = height();
    const QSize least = LeastPart();
    const int right = RightColumn();

    // The part with its grinding margin: between the length's word and the
    // key, a part's shape (about 2.4 times as long as wide) where there is
    // room, centred together with the width's column.
    const int keyTop = H - kMargin - lh;
    const int top = kMargin + lh + kLineGap;
    const int height = std::max(keyTop - kLineGap - top, least.height() + 2 * kAllowance);
    const int room = W - 2 * kMargin - right;
    const int wanted = std::max(least.width() + 2 * kAllowance, height * 12 / 5);
    const int width = std::max(std::min(room, wanted), least.width() + 2 * kAllowance);
    const int left = std::max(kMargin, (W - width - right) / 2);
    grinding_ = QRect(left, top, width, height);
    part_ = grinding_.adjusted(kAllowance, kAllowance, -kAllowance, -kAllowance);

    // The length above, along the part; the width at its right, across it.
    lengthLineY_ = top - kLineGap / 2;
    const int lengthWidth = WordWidth(fm, words_[0], part_.width());
    Place(LabelPartLength, words_[0], part_.width(), part_.center().x() - lengthWidth / 2,
          lengthLineY_ - 3 - lh);
    widthLineX_ = grinding_.right() + 8;
    Place(LabelPartWidth, words_[1], std::max(W - widthLineX_ - 6 - kMargin, 1), widthLineX_ + 6,
          part_.center().y() - lh / 2);

    // The side marks inside the part, beside their bands.
    const int mw = MarkWidth(font()), mh = QFontMetrics(MarkFont(font())).height();
    const int cx = part_.center().x(), cy = part_.center().y();
    marks_[0] = QRect(cx - mw / 2, part_.top() + kBand + 2, mw, mh);
    marks_[1] = QRect(cx - mw / 2, part_.bottom() - kBand - 1 - mh, mw, mh);
    marks_[2] = QRect(part_.left() + kBand + 4, cy - mh / 2, mw, mh);
    marks_[3] = QRect(part_.right() - kBand - 3 - mw, cy - mh / 2, mw, mh);

    // The part's size, "Length x Width", between the marks.
    const int timesWidth = fm.horizontalAdvance(Times());
    const int inner = marks_[3].left() - marks_[2].right() - 8;
    const int each = std::max((inner - timesWidth) / 2, 1);
    const int a = WordWidth(fm, words_[0], each), b = WordWidth(fm, words_[1], each);
    const int tagLeft = cx - (a + timesWidth + b) / 2;
    Place(LabelPartLength2, words_[0], each, tagLeft, cy - lh / 2);
    times_ = QRect(tagLeft + a, cy - lh / 2, timesWidth, lh);
    Place(LabelPartWidth2, words_[1], each, tagLeft + a + timesWidth, cy - lh / 2);

    // The key: a band strip and a dashed margin, each with its word.
    const int wordRoom = std::max((W - 2 * kMargin - 2 * (kSample + kSampleGap) - kKeyGap) / 2, 1);
    const int bandWord = WordWidth(fm, words_[2], std::min(kWidestWord, wordRoom));
    const int grindingWord = WordWidth(fm, words_[3], std::min(kWidestWord, wordRoom));
    int x = std::max(kMargin,
                     (W - (2 * (kSample + kSampleGap) + kKeyGap + bandWord + grindingWord)) / 2);
    bandSample_ = QRect(x, keyTop + lh / 2 - kBand / 2, kSample, kBand);
    x += kSample + kSampleGap;
    x += Place(LabelBand, words_[2], std::min(kWidestWord, wordRoom), x, keyTop) + kKeyGap;
    grindingSample_ = QRect(x, keyTop + 2, kSample, lh - 4);
    x += kSample + kSampleGap;
    Place(LabelGrinding, words_[3], std::min(kWidestWord, wordRoom), x, keyTop);
}

void TEdgeTypesPicture::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    // The grinding allowance: sheet around the part, its dashed outline.
    p.fillRect(grinding_, kSheet);
    p.setPen(QPen(kSheetEdge, 1.5, Qt::DashLine));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(grinding_).adjusted(0.75, 0.75, -0.75, -0.75));

    // The part and a band along each of its sides.
    p.fillRect(part_, kPart);
    const QRect bands[4] = {TopBand(),
                            {part_.left(), part_.bottom() + 1 - kBand, part_.width(), kBand},
                            {part_.left(), part_.top(), kBand, part_.height()},
                            {part_.right() + 1 - kBand, part_.top(), kBand, part_.height()}};
    for (const QRect& b : bands) p.fillRect(b, kBandColour);
    p.setPen(QPen(kBandEdge, 1));
    p.drawRect(QRectF(part_).adjusted(kBand - 0.5, kBand - 0.5, 0.5 - kBand, 0.5 - kBand));
    p.setPen(QPen(kPartEdge, 1.5));
    p.drawRect(QRectF(part_).adjusted(0.75, 0.75, -0.75, -0.75));

    // The dimension lines with their extension lines.
    const QColor ink = palette().color(QPalette::WindowText);
    p.setPen(QPen(kExtension, 1));
    const double l = part_.left() + 0.5, r = part_.right() + 0.5, t = part_.top() + 0.5,
                 b = part_.bottom() + 0.5;
    p.drawLine(QPointF(l, lengthLineY_ - 3), QPointF(l, t));
    p.drawLine(QPointF(r, lengthLineY_ - 3), QPointF(r, t));
    p.drawLine(QPointF(r, t), QPointF(widthLineX_ + 3, t));
    p.drawLine(QPointF(r, b), QPointF(widthLineX_ + 3, b));
    p.setPen(QPen(ink, 1));
    DimensionLine(p, QPointF(l, lengthLineY_ + 0.5), QPointF(r, lengthLineY_ + 0.5));
    DimensionLine(p, QPointF(widthLineX_ + 0.5, t), QPointF(widthLineX_ + 0.5, b));

    // The side marks and the "x" of the part's size.
    p.setPen(kPartEdge);
    p.setFont(MarkFont(font()));
    for (int i = 0; i < 4; ++i) p.drawText(marks_[i], Qt::AlignCenter, kSideLetters[i]);
    p.setPen(ink);
    p.setFont(font());
    p.drawText(times_, Qt::AlignCenter, Times());

    // The key's samples.
    p.fillRect(bandSample_, kBandColour);
    p.setPen(QPen(kBandEdge, 1));
    p.drawRect(QRectF(bandSample_).adjusted(0.5, 0.5, -0.5, -0.5));
    p.fillRect(grindingSample_, kSheet);
    p.setPen(QPen(kSheetEdge, 1.5, Qt::DashLine));
    p.drawRect(QRectF(grindingSample_).adjusted(0.75, 0.75, -0.75, -0.75));
}
