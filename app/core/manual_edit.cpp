#include "app/core/manual_edit.h"

#include <cstdint>
#include <limits>

#include "engine/numeric.h"
#include "engine/pubstr.h"
#include "engine/shared_state.h"
#include "output/piece_draw.h"

namespace {

bool IsOffcutLabel(const std::string& Label) {
    return Label.find(OffcutPrefix) != std::string::npos;
}

}  // namespace

TPacket* TManualEdit::ShownLayout() {
    if (CurrentLayoutIndex < 0 || CurrentLayoutIndex >= Optimizer.Best.Count()) return nullptr;
    return &Optimizer.Best[CurrentLayoutIndex];
}

bool TManualEdit::StartManual() {
    Dragging = false;
    if (ManualMode) return true;
    const TPacket* layout = ShownLayout();
    if (Locked || !layout) return false;
    ManualBackup.emplace(*layout);
    ManualMode = true;
    return true;
}

void TManualEdit::Confirm() {
    if (ManualMode) EndManual();
}

void TManualEdit::Cancel() {
    if (!ManualMode) return;
    if (TPacket* layout = ShownLayout(); layout && ManualBackup) layout->Assign(*ManualBackup);
    EndManual();
}

void TManualEdit::EndManual() {
    if (Dragging && DrawFocusRect) DrawFocusRect(DragRect);
    ManualMode = false;
    Dragging = false;
    TurnWhileMoving = false;
    MovingPieceIndex = -1;
    ManualBackup.reset();
    if (ShowScheme) ShowScheme();
}

void TManualEdit::MoveDragRect(int X, int Y) {
    const int w = PieceRect.Right - PieceRect.Left, h = PieceRect.Bottom - PieceRect.Top;
    if (!TurnWhileMoving)
        DragRect = {X - GrabOffset.X, Y - GrabOffset.Y, X - GrabOffset.X + w, Y - GrabOffset.Y + h};
    else
        DragRect = {X - GrabOffset.Y, Y - GrabOffset.X, X - GrabOffset.Y + h, Y - GrabOffset.X + w};
}

std::string TManualEdit::MouseMove(int X, int Y) {
    const TPacket* layout = ShownLayout();
    if (!layout || Locked) return {};
    if (ManualMode && Dragging) {
        if (DrawFocusRect) DrawFocusRect(DragRect);
        MoveDragRect(X, Y);
        if (DrawFocusRect) DrawFocusRect(DragRect);
        return {};
    }
    for (const T2DStock& p : layout->Placements) {
        const std::string_view prefix = PieceLabelPrefix(p.Label);
        if (prefix == ZeroOffcutPrefix || (prefix == OffcutPrefix && !ShowOffcuts)) continue;
        if (PieceHitTestMove(p, X, Y, LayoutScale)) return PieceHintText(p);
    }
    return {};
}

void TManualEdit::MouseDown(TMouseButton Button, int X, int Y) {
    const TPacket* layout = ShownLayout();
    if (!layout || !ManualMode || Locked) return;
    if (Dragging) {
        if (Button == TMouseButton::Right && MovingCanRotate) {
            TurnWhileMoving = !TurnWhileMoving;
            MouseMove(X, Y);
            return;
        }
        if (DrawFocusRect) DrawFocusRect(DragRect);
        AutoFillInRect(DragRect);
        Dragging = false;
        TurnWhileMoving = false;
        MovingPieceIndex = -1;
        return;
    }
    if (Button == TMouseButton::Right) return;
    const double s = LayoutScale;
    for (int i = 0; i < layout->Placements.Count(); ++i) {
        const T2DStock& p = layout->Placements[i];
        if (IsOffcutLabel(p.Label) || !PieceHitTest(p, X, Y, s)) continue;
        MovingPieceIndex = i;
        const double x0 = p.Position.X, y0 = p.Position.Y;
        PieceRect = {Round32(x0 * s), Round32(y0 * s), Round32((x0 + p.NetLength()) * s),
                     Round32((y0 + p.NetWidth()) * s)};
        GrabOffset = {X - PieceRect.Left, Y - PieceRect.Top};
        Dragging = true;
        TurnWhileMoving = false;
        MovingCanRotate = p.CanRotate;
        // The rectangle starts where the part lies, so a drop without any
        // mouse movement aims at the part's own place.
        MoveDragRect(X, Y);
        if (ShowScheme) ShowScheme();
        if (DrawFocusRect) DrawFocusRect(DragRect);
        return;
    }
}

bool TManualEdit::AutoFillInRect(const platform::TCanvasRect& Rect) {
    TPacket* layout = ShownLayout();
    if (!layout || MovingPieceIndex < 0 || MovingPieceIndex >= layout->Placements.Count())
        return false;
    const std::int32_t kind = layout->Placements[MovingPieceIndex].Index;
    if (kind < 0 || kind >= layout->PartCounts.Count()) return false;  // not a counted part

    // Take the offcut pieces and the carried part off the layout. The offcuts
    // are the last pieces of a layout; they are named again when it is shown.
    std::optional<T2DStock> original;
    auto& pieces = layout->Placements.Items();
    for (int i = layout->Placements.Count() - 1; i >= 0; --i) {
        const T2DStock& p = pieces[static_cast<std::size_t>(i)];
        const std::string_view prefix = PieceLabelPrefix(p.Label);
        if (i == MovingPieceIndex) {
            layout->PartCounts.Qty(p.Index) -= 1;
            original.emplace(T2DStock::CreateCopy(p));
            layout->Placements.Delete(i);
            break;
        }
        if (prefix == ZeroOffcutPrefix || prefix == OffcutPrefix) layout->Placements.Delete(i);
    }
    T2DStock n = *original;
    if (TurnWhileMoving) n.Rotate();
    const std::int32_t l0 = n.Length, w0 = n.Width;

    layout->RebuildSpaces();
    const double inv = LayoutScale > 0 ? 1.0 / LayoutScale : 0.0;
    const double left = Round32(Rect.Left * inv), top = Round32(Rect.Top * inv);
    const double right = static_cast<double>(Round32(Rect.Right * inv)) + BladeWidth;
    const double bottom = static_cast<double>(Round32(Rect.Bottom * inv)) + BladeWidth;

    // The distance is only compared, never limited: a part dropped far off
    // the sheet still goes to the nearest corner that has room.
    double best = std::numeric_limits<double>::infinity();
    bool chosen = false;
    for (const TSpace& f : layout->Spaces) {
        if (f.Length < l0 || f.Width < w0) continue;
        const double fx = f.Position.X, fy = f.Position.Y, fr = fx + f.Length, fb = fy + f.Width;
        const struct {
            double Dx, Dy;
            TPoint At;
        } corners[4] = {
            {left - fx, top - fy, {f.Position.X, f.Position.Y}},
            {right - fr, top - fy, {f.Position.X + f.Length - l0, f.Position.Y}},
            {left - fx, bottom - fb, {f.Position.X, f.Position.Y + f.Width - w0}},
            {right - fr, bottom - fb, {f.Position.X + f.Length - l0, f.Position.Y + f.Width - w0}},
        };
        for (const auto& c : corners) {
            const double d = c.Dx * c.Dx + c.Dy * c.Dy;
            if (d < best) {
                best = d;
                chosen = true;
                n.Position = c.At;
            }
        }
    }
    // With no room the part goes back exactly as it was picked up, turn included.
    layout->AddPlacement(chosen ? n : *original);
    ManualMode = true;
    if (ShowScheme) ShowScheme();
    return chosen;
}

TCarriedOutlineColors CarriedOutlineColors(platform::TColor Background) {
    const int r = Background & 0xFF, g = (Background >> 8) & 0xFF, b = (Background >> 16) & 0xFF;
    const bool light = 299 * r + 587 * g + 114 * b >= 128000;
    return light ? TCarriedOutlineColors{platform::clBlack, platform::clWhite}
                 : TCarriedOutlineColors{platform::clWhite, platform::clBlack};
}
