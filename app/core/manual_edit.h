// Editing the shown layout by hand: pick a part up, carry it as a rectangle
// that follows the mouse, turn it a quarter with the right button, drop it.
// A dropped part goes into the free rectangle of the sheet whose corner lies
// nearest to the drop; with no free rectangle large enough it goes back to
// where it was. Confirm keeps the edits, Cancel restores the layout as it
// was when editing began.
//
// Coordinates are view pixels measured from the sheet's corner (without the
// trim origin of the drawing). A part keeps its full size, blade width
// included, when it is dropped: a dropped part stays one blade width away
// from its neighbours, like the parts the optimiser places.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "engine/packet.h"
#include "platform/canvas.h"

enum class TMouseButton { Left, Right, Middle };

class TManualEdit {
  public:
    bool ManualMode = false;
    bool Dragging = false;
    int MovingPieceIndex = -1;
    platform::TCanvasRect PieceRect;
    platform::TCanvasPoint GrabOffset;
    platform::TCanvasRect DragRect{-1, -1, -1, -1};
    bool TurnWhileMoving = false;
    bool MovingCanRotate = false;
    std::optional<TPacket> ManualBackup;

    // Pixels per internal unit of the view.
    double LayoutScale = 1.0;
    // Offcut pieces are shown (the hint skips hidden ones).
    bool ShowOffcuts = false;
    // An optimisation runs: nothing may be picked, dropped or started.
    bool Locked = false;

    // Draws the carried rectangle as an overlay. Each call toggles the
    // rectangle: drawing the same one a second time removes it.
    std::function<void(const platform::TCanvasRect&)> DrawFocusRect;
    // The layout must be shown again (pieces changed or the carried part left it).
    std::function<void()> ShowScheme;

    // Starts editing the shown layout; false when there is none or a run is going.
    bool StartManual();
    // Ends editing and keeps the edited layout.
    void Confirm();
    // Restores the layout as it was at the start, then ends editing.
    void Cancel();

    // Mouse move: while carrying, the rectangle follows the mouse and the
    // result is empty; otherwise the hint of the piece under the mouse.
    std::string MouseMove(int X, int Y);
    void MouseDown(TMouseButton Button, int X, int Y);

    // Drops the carried part aiming at Rect: true when a free rectangle took
    // it, false when it went back to where it was.
    bool AutoFillInRect(const platform::TCanvasRect& Rect);

  private:
    TPacket* ShownLayout();
    void EndManual();
    void MoveDragRect(int X, int Y);
};

// The colours of the carried part's outline drawn over a sheet of colour
// Background: Dash is black on a light and white on a dark background (by
// the eye's brightness of the colour), Gap the other one, so the dashed
// outline stands out on every sheet colour.
struct TCarriedOutlineColors {
    platform::TColor Dash;
    platform::TColor Gap;
};
TCarriedOutlineColors CarriedOutlineColors(platform::TColor Background);
