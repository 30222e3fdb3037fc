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
// A text of the program on screen, by the program's one rule (platform/text_encoding.h):
// bytes that are valid UTF-8 show as UTF-8, any others as Windows-1252.
QString ToQString(std::string_view Text);
// What the user typed, stored as UTF-8.
std::string FromQString(const QString& Text);
// A control's text back into the program: Was itself while Text is still what
// ToQString(Was) shows, so a text shown and not edited keeps its bytes (a
// Windows-1252 cell stays Windows-1252); else Text as UTF-8.
std::string FromQString(const QString& Text, std::string_view Was);

// File names pass between Qt and the program in the file system's encoding
// (QFile::decodeName / encodeName), never through the text rule above: the
// name the program holds is the name of the file on disk.
QString ToQFileName(std::string_view FileName);
std::string FromQFileName(const QString& FileName);
