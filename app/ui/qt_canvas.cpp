#include "app/ui/qt_canvas.h"

#include <QFile>
#include <QFontMetrics>
#include <QPainterPath>
#include <cmath>
#include <numbers>
#include <vector>

#include "platform/text_encoding.h"

using namespace platform;

QColor ToQColor(TColor Color) {
    return QColor(Color & 0xFF, (Color >> 8) & 0xFF, (Color >> 16) & 0xFF);
}

TColor FromQColor(const QColor& Color) {
    return RGBColor(static_cast<std::uint8_t>(Color.red()), static_cast<std::uint8_t>(Color.green()),
                    static_cast<std::uint8_t>(Color.blue()));
}

QString ToQString(std::string_view Text) {
    const std::string utf8 = platform::TextAsUtf8(Text);
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::string FromQString(const QString& Text) {
    const QByteArray bytes = Text.toUtf8();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

std::string FromQString(const QString& Text, std::string_view Was) {
    if (Text == ToQString(Was)) return std::string(Was);
    return FromQString(Text);
}

QString ToQFileName(std::string_view FileName) {
    return QFile::decodeName(QByteArray(FileName.data(), static_cast<qsizetype>(FileName.size())));
}

std::string FromQFileName(const QString& FileName) {
    const QByteArray bytes = QFile::encodeName(FileName);
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

void TQtCanvas::UsePen() {
    if (Pen.Style == TPenStyle::Clear) {
        painter_.setPen(Qt::NoPen);
    } else {
        QPen pen(ToQColor(Pen.Color));
        pen.setWidth(Pen.Width);
        switch (Pen.Style) {
            case TPenStyle::Dash: pen.setStyle(Qt::DashLine); break;
            case TPenStyle::Dot: pen.setStyle(Qt::DotLine); break;
            case TPenStyle::DashDot: pen.setStyle(Qt::DashDotLine); break;
            case TPenStyle::DashDotDot: pen.setStyle(Qt::DashDotDotLine); break;
            default: pen.setStyle(Qt::SolidLine); break;
        }
        painter_.setPen(pen);
    }
    switch (Pen.Mode) {
        case TPenMode::Xor:
        case TPenMode::NotXor:
        case TPenMode::Not:
            painter_.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
            break;
        default: painter_.setCompositionMode(QPainter::CompositionMode_SourceOver); break;
    }
}

void TQtCanvas::UseBrush() {
    if (Brush.Style == TBrushStyle::Clear)
        painter_.setBrush(Qt::NoBrush);
    else
        painter_.setBrush(ToQColor(Brush.Color));
}

void TQtCanvas::UseFont() {
    QFont font(ToQString(Font.Name));
    if (Font.Pitch == TFontPitch::Fixed) {
        font.setStyleHint(QFont::Monospace);
        font.setFixedPitch(true);
        if (Font.Name.empty()) font.setFamily("Monospace");
    }
    // Negative heights are character heights, positive ones cell heights;
    // Qt's pixel size is close to the character height either way.
    font.setPixelSize(std::max(1, std::abs(Font.Height)));
    painter_.setFont(font);
    painter_.setPen(ToQColor(Font.Color));
}

void TQtCanvas::Rectangle(int X1, int Y1, int X2, int Y2) {
    UsePen();
    UseBrush();
    // The right and bottom edges lie just outside the figure.
    painter_.drawRect(QRect(QPoint(X1, Y1), QPoint(X2 - 1, Y2 - 1)));
}

void TQtCanvas::FillRect(const TCanvasRect& R) {
    if (Brush.Style == TBrushStyle::Clear) return;
    painter_.fillRect(QRect(QPoint(R.Left, R.Top), QPoint(R.Right - 1, R.Bottom - 1)), ToQColor(Brush.Color));
}

void TQtCanvas::Ellipse(int X1, int Y1, int X2, int Y2) {
    UsePen();
    UseBrush();
    painter_.drawEllipse(QRect(QPoint(X1, Y1), QPoint(X2 - 1, Y2 - 1)));
}

void TQtCanvas::Arc(int X1, int Y1, int X2, int Y2, int X3, int Y3, int X4, int Y4) {
    UsePen();
    const double cx = (X1 + X2) / 2.0, cy = (Y1 + Y2) / 2.0;
    // Screen angles counter-clockwise from the positive x axis (Y down).
    const double a1 = std::atan2(cy - Y3, X3 - cx) * 180.0 / std::numbers::pi;
    const double a2 = std::atan2(cy - Y4, X4 - cx) * 180.0 / std::numbers::pi;
    double span = a2 - a1;
    while (span <= 0) span += 360.0;
    const QRectF box(QPointF(X1, Y1), QPointF(X2, Y2));
    painter_.drawArc(box, static_cast<int>(std::lround(a1 * 16)), static_cast<int>(std::lround(span * 16)));
}

void TQtCanvas::Polyline(std::span<const TCanvasPoint> Points) {
    UsePen();
    std::vector<QPoint> points;
    points.reserve(Points.size());
    for (const auto& p : Points) points.emplace_back(p.X, p.Y);
    painter_.drawPolyline(points.data(), static_cast<int>(points.size()));
}

void TQtCanvas::DrawLine(TCanvasPoint From, TCanvasPoint To) {
    UsePen();
    painter_.drawLine(From.X, From.Y, To.X, To.Y);
}

void TQtCanvas::TextOut(int X, int Y, std::string_view Text) {
    UseFont();
    painter_.setCompositionMode(QPainter::CompositionMode_SourceOver);
    const QFontMetrics metrics(painter_.font());
    const QString text = ToQString(Text);
    if (Brush.Style != TBrushStyle::Clear) {
        const int w = metrics.horizontalAdvance(text), h = metrics.height();
        QRect box = Font.Direction == TTextDirection::Down ? QRect(X - h, Y, h, w) : QRect(X, Y, w, h);
        painter_.fillRect(box, ToQColor(Brush.Color));
    }
    painter_.save();
    painter_.translate(X, Y);
    if (Font.Direction == TTextDirection::Down) painter_.rotate(90);
    painter_.drawText(0, metrics.ascent(), text);
    painter_.restore();
}

TTextExtent TQtCanvas::TextExtent(std::string_view Text) {
    UseFont();
    const QFontMetrics metrics(painter_.font());
    return {metrics.horizontalAdvance(ToQString(Text)), metrics.height()};
}

void TQtCanvas::DrawFocusRect(const TCanvasRect& R) {
    painter_.save();
    painter_.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    QPen pen(Qt::white);
    pen.setStyle(Qt::DotLine);
    painter_.setPen(pen);
    painter_.setBrush(Qt::NoBrush);
    painter_.drawRect(QRect(QPoint(R.Left, R.Top), QPoint(R.Right - 1, R.Bottom - 1)));
    painter_.restore();
}

void TQtCanvas::SetClipRect(const TCanvasRect& R) {
    painter_.setClipRect(QRect(QPoint(R.Left, R.Top), QPoint(R.Right - 1, R.Bottom - 1)));
}

void TQtCanvas::ResetClip() { painter_.setClipping(false); }
