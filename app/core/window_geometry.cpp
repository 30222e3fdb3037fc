#include "app/core/window_geometry.h"

#include <algorithm>

int FitSide(int Wanted, int Least, int Screen, int Allowance) {
    return std::max(Least, std::min(Wanted, Screen - Allowance));
}

TWindowRect OpeningWindowRect(int Left, int Top, const TWindowRect& Screen) {
    TWindowRect r;
    r.Width = FitSide(kDefaultWindowWidth, kMinClientWidth, Screen.Width, kFrameAllowanceX);
    r.Height = FitSide(kDefaultWindowHeight, kMinClientHeight, Screen.Height, kFrameAllowanceY);
    // The frame's corner inside the screen, and as much of the window as fits.
    const int maxLeft = Screen.Left + std::max(0, Screen.Width - r.Width - kFrameAllowanceX);
    const int maxTop = Screen.Top + std::max(0, Screen.Height - r.Height - kFrameAllowanceY);
    r.Left = std::clamp(Left, Screen.Left, maxLeft);
    r.Top = std::clamp(Top, Screen.Top, maxTop);
    return r;
}

std::vector<TWindowRect> FlowRows(const std::vector<TFlowSize>& Items, int Width, int Spacing,
                                  int* Height) {
    std::vector<TWindowRect> out;
    out.reserve(Items.size());
    Width = std::max(Width, 1);
    int x = 0, y = 0, lineHeight = 0;
    for (const TFlowSize& item : Items) {
        const int w = std::min(item.Width, Width);
        if (x > 0 && x + w > Width) {  // the next line
            y += lineHeight + Spacing;
            x = 0;
            lineHeight = 0;
        }
        out.push_back({x, y, w, item.Height});
        x += w + Spacing;
        lineHeight = std::max(lineHeight, item.Height);
    }
    if (Height) *Height = Items.empty() ? 0 : y + lineHeight;
    return out;
}
