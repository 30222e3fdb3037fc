// The drawing surface on a QPainter: the layout view, the free-shape preview,
// bitmaps and printed pages all draw through it.
#pragma once

#include <QPainter>

#include "platform/canvas.h"

class TQtCanvas : public platform::TCanvas {
  public:
    // Painter must stay active while the canvas is used; Dpi is the device's
    // resolution (96 for the screen, the printer's for a printed page).
    explicit TQtCanvas(QPainter& Painter, int Dpi = 96) : painter_(Painter), dpi_(Dpi) {}

    void Rectangle(int X1, int Y1, int X2, int Y2) override;
    void FillRect(const platform::TCanvasRect& R) override;
    void Ellipse(int X1, int Y1, int X2, int Y2) override;
    void Arc(int X1, int Y1, int X2, int Y2, int X3, int Y3, int X4, int Y4) override;
    void Polyline(std::span<const platform::TCanvasPoint> Points) override;
    void TextOut(int X, int Y, std::string_view Text) override;
    platform::TTextExtent TextExtent(std::string_view Text) override;
    void DrawFocusRect(const platform::TCanvasRect& R) override;
    void SetClipRect(const platform::TCanvasRect& R) override;
    void ResetClip() override;
    int PixelsPerInch() const override { return dpi_; }

  protected:
    void DrawLine(platform::TCanvasPoint From, platform::TCanvasPoint To) override;

  private:
    void UsePen();
    void UseBrush();
    void UseFont();

    QPainter& painter_;
    int dpi_;
};

// 0x00BBGGRR as a QColor, and back.
QColor ToQColor(platform::TColor Color);
platform::TColor FromQColor(const QColor& Color);
// Texts of the program are single bytes of the system code page (Latin-1 here).
QString ToQString(std::string_view Text);
std::string FromQString(const QString& Text);
