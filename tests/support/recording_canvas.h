// A canvas for tests: it draws nothing and records every primitive with the
// pen, brush and font in force, so a test can check what was drawn where.
//
// Text is measured with a fixed, predictable metric: every character is
// CharWidth pixels wide (when CharWidth is 0: half the font's pixel height,
// rounded up) and a text is as high as the font's pixel height.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/canvas.h"

namespace testsupport {

enum class OpKind {
    Line,
    Rectangle,
    FillRect,
    Ellipse,
    Arc,
    Polyline,
    Text,
    FocusRect,
    Clip,
    ResetClip
};

struct CanvasOp {
    OpKind Kind = OpKind::Line;
    // Line: from, to. Rectangle/FillRect/Ellipse/FocusRect/Clip: the two box
    // corners. Arc: box corners, then the start and end ray points.
    // Polyline: its points. Text: the start point.
    std::vector<platform::TCanvasPoint> Points;
    std::string Text;
    platform::TPen Pen;
    platform::TBrush Brush;
    platform::TFont Font;

    platform::TCanvasRect Box() const {
        if (Points.size() < 2) return {};
        return {Points[0].X, Points[0].Y, Points[1].X, Points[1].Y};
    }
};

class RecordingCanvas : public platform::TCanvas {
  public:
    std::vector<CanvasOp> Ops;
    int CharWidth = 0;
    int Ppi = 96;

    void Rectangle(int X1, int Y1, int X2, int Y2) override {
        Record(OpKind::Rectangle, {{X1, Y1}, {X2, Y2}});
    }
    void FillRect(const platform::TCanvasRect& R) override {
        Record(OpKind::FillRect, {{R.Left, R.Top}, {R.Right, R.Bottom}});
    }
    void Ellipse(int X1, int Y1, int X2, int Y2) override {
        Record(OpKind::Ellipse, {{X1, Y1}, {X2, Y2}});
    }
    void Arc(int X1, int Y1, int X2, int Y2, int X3, int Y3, int X4, int Y4) override {
        Record(OpKind::Arc, {{X1, Y1}, {X2, Y2}, {X3, Y3}, {X4, Y4}});
    }
    void Polyline(std::span<const platform::TCanvasPoint> Points) override {
        Record(OpKind::Polyline, std::vector<platform::TCanvasPoint>(Points.begin(), Points.end()));
    }
    void TextOut(int X, int Y, std::string_view Text) override {
        Record(OpKind::Text, {{X, Y}}, Text);
    }
    platform::TTextExtent TextExtent(std::string_view Text) override {
        const int h = std::max(1, std::abs(Font.Height));
        const int w = CharWidth > 0 ? CharWidth : (h + 1) / 2;
        return {static_cast<int>(Text.size()) * w, h};
    }
    void DrawFocusRect(const platform::TCanvasRect& R) override {
        Record(OpKind::FocusRect, {{R.Left, R.Top}, {R.Right, R.Bottom}});
    }
    void SetClipRect(const platform::TCanvasRect& R) override {
        Record(OpKind::Clip, {{R.Left, R.Top}, {R.Right, R.Bottom}});
    }
    void ResetClip() override { Record(OpKind::ResetClip, {}); }
    int PixelsPerInch() const override { return Ppi; }

    void Clear() { Ops.clear(); }

    std::size_t Count(OpKind Kind) const {
        return static_cast<std::size_t>(std::count_if(
            Ops.begin(), Ops.end(), [&](const CanvasOp& op) { return op.Kind == Kind; }));
    }
    std::vector<CanvasOp> OfKind(OpKind Kind) const {
        std::vector<CanvasOp> out;
        for (const auto& op : Ops)
            if (op.Kind == Kind) out.push_back(op);
        return out;
    }
    // The texts drawn, in order.
    std::vector<std::string> Texts() const {
        std::vector<std::string> out;
        for (const auto& op : Ops)
            if (op.Kind == OpKind::Text) out.push_back(op.Text);
        return out;
    }
    // The first text operation that drew exactly Text, or nullptr.
    const CanvasOp* FindText(std::string_view Text) const {
        for (const auto& op : Ops)
            if (op.Kind == OpKind::Text && op.Text == Text) return &op;
        return nullptr;
    }
    // Focus rectangles still visible: each drawing of a rectangle toggles it,
    // as exclusive-or drawing does on a real surface.
    std::vector<platform::TCanvasRect> VisibleFocusRects() const {
        std::vector<platform::TCanvasRect> shown;
        for (const auto& op : Ops) {
            if (op.Kind != OpKind::FocusRect) continue;
            auto it = std::find(shown.begin(), shown.end(), op.Box());
            if (it != shown.end())
                shown.erase(it);
            else
                shown.push_back(op.Box());
        }
        return shown;
    }

  protected:
    void DrawLine(platform::TCanvasPoint From, platform::TCanvasPoint To) override {
        Record(OpKind::Line, {From, To});
    }

  private:
    void Record(OpKind Kind, std::vector<platform::TCanvasPoint> Points,
                std::string_view Text = {}) {
        CanvasOp op;
        op.Kind = Kind;
        op.Points = std::move(Points);
        op.Text = std::string(Text);
        op.Pen = Pen;
        op.Brush = Brush;
        op.Font = Font;
        Ops.push_back(std::move(op));
    }
};

}  // namespace testsupport
