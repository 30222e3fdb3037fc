// Drawing surface used by everything that draws: the layout view, bitmaps
// and the printer page all hand the drawing code a TCanvas.
//
// The canvas keeps the current pen, brush and font as plain public members
// (set them, then draw); every primitive uses the values in force when it is
// called. Coordinates are device pixels with Y growing downwards. Rectangle
// and ellipse boxes follow the usual device rule: the right and bottom
// coordinates lie just outside the figure.
#pragma once

#include <cmath>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace platform {

// A colour as 0x00BBGGRR, the value stored in option files.
using TColor = std::int32_t;

constexpr TColor RGBColor(std::uint8_t R, std::uint8_t G, std::uint8_t B) {
    return static_cast<TColor>(R) | (static_cast<TColor>(G) << 8) | (static_cast<TColor>(B) << 16);
}

// The sixteen standard named colours.
constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clWhite = 0xFFFFFF;

enum class TPenStyle { Solid, Dash, Dot, DashDot, DashDotDot, Clear };

// How the pen combines with what is already drawn. Xor inverts the pixels it
// touches against the pen colour, so drawing the same figure twice in Xor mode
// restores the picture.
enum class TPenMode { Copy, Xor, NotXor, Not };

enum class TBrushStyle { Solid, Clear };

// Direction of text: Horizontal runs left to right; Down is turned a quarter
// clockwise and runs from the start point downwards (escapement 270 degrees).
enum class TTextDirection { Horizontal, Down };

enum class TFontPitch { Default, Fixed, Variable };

struct TPen {
    TColor Color = clBlack;
    int Width = 1;
    TPenStyle Style = TPenStyle::Solid;
    TPenMode Mode = TPenMode::Copy;
    friend bool operator==(const TPen&, const TPen&) = default;
};

struct TBrush {
    TColor Color = clWhite;
    TBrushStyle Style = TBrushStyle::Solid;
    friend bool operator==(const TBrush&, const TBrush&) = default;
};

struct TFont {
    std::string Name = "Arial";
    // Negative: character height in pixels (without internal leading);
    // positive: cell height in pixels.
    int Height = -11;
    TColor Color = clBlack;
    TFontPitch Pitch = TFontPitch::Default;
    TTextDirection Direction = TTextDirection::Horizontal;
    friend bool operator==(const TFont&, const TFont&) = default;
};

struct TCanvasPoint {
    int X = 0;
    int Y = 0;
    friend bool operator==(const TCanvasPoint&, const TCanvasPoint&) = default;
};

struct TCanvasRect {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    friend bool operator==(const TCanvasRect&, const TCanvasRect&) = default;
};

// Width and height in pixels of a text in the current font (measured along
// the text, whatever its direction).
struct TTextExtent {
    int Width = 0;
    int Height = 0;
    friend bool operator==(const TTextExtent&, const TTextExtent&) = default;
};

class TCanvas {
  public:
    TPen Pen;
    TBrush Brush;
    TFont Font;

    virtual ~TCanvas() = default;

    // Pen position used by LineTo.
    void MoveTo(int X, int Y) { penPos_ = {X, Y}; }
    // A line from the pen position to (X, Y), which becomes the pen position.
    // The end point itself is not drawn.
    void LineTo(int X, int Y) {
        DrawLine(penPos_, {X, Y});
        penPos_ = {X, Y};
    }
    TCanvasPoint PenPos() const { return penPos_; }

    // Outline with the pen, inside filled with the brush (unless clear).
    virtual void Rectangle(int X1, int Y1, int X2, int Y2) = 0;
    // The box filled with the brush; no outline.
    virtual void FillRect(const TCanvasRect& R) = 0;
    // Ellipse inscribed in the box: outline with the pen, filled with the brush.
    virtual void Ellipse(int X1, int Y1, int X2, int Y2) = 0;
    // Part of the ellipse inscribed in the box (X1, Y1)-(X2, Y2), outline only,
    // running counter-clockwise (on screen) from where the ray from the centre
    // through (X3, Y3) meets it to where the ray through (X4, Y4) meets it.
    // Equal rays draw the whole ellipse.
    virtual void Arc(int X1, int Y1, int X2, int Y2, int X3, int Y3, int X4, int Y4) = 0;
    // Connected lines through the points, with the pen; the pen position is
    // not changed.
    virtual void Polyline(std::span<const TCanvasPoint> Points) = 0;

    // Text with its top-left corner (the start of the first character cell)
    // at (X, Y) in the current font and direction.
    virtual void TextOut(int X, int Y, std::string_view Text) = 0;
    virtual TTextExtent TextExtent(std::string_view Text) = 0;
    int TextWidth(std::string_view Text) { return TextExtent(Text).Width; }
    int TextHeight(std::string_view Text) { return TextExtent(Text).Height; }

    // A dotted focus rectangle drawn by exclusive or: drawing the same
    // rectangle a second time erases it.
    virtual void DrawFocusRect(const TCanvasRect& R) = 0;

    // Drawing outside R is left out until ResetClip.
    virtual void SetClipRect(const TCanvasRect& R) = 0;
    virtual void ResetClip() = 0;

    // Device resolution, for font sizes given in points.
    virtual int PixelsPerInch() const { return 96; }
    // Font height for a size in points (character height, so negative).
    void SetFontSize(int Points) {
        Font.Height = -static_cast<int>(std::lround(Points * PixelsPerInch() / 72.0));
    }

  protected:
    // A line from From to To with the current pen, end point excluded.
    virtual void DrawLine(TCanvasPoint From, TCanvasPoint To) = 0;

  private:
    TCanvasPoint penPos_;
};

}  // namespace platform
