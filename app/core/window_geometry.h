// The main window's geometry without widgets: its smallest size, where it
// opens on the screen, and how a row of commands wraps into lines when the
// window is too narrow to show it in one.
#pragma once

#include <vector>

// The window, frame and title bar included, is never made smaller than this,
// so that at its smallest it fits a screen of this size whole.
constexpr int kMinWindowWidth = 781;
constexpr int kMinWindowHeight = 575;
// The size the window opens with when the screen has room for it.
constexpr int kDefaultWindowWidth = 1100;
constexpr int kDefaultWindowHeight = 760;
// Room kept for the window manager's frame and title bar around the client
// area, so that the title bar of a window placed by its client size stays on
// the screen.
constexpr int kFrameAllowanceX = 16;
constexpr int kFrameAllowanceY = 48;
// The smallest client area: the smallest window less its frame.
constexpr int kMinClientWidth = kMinWindowWidth - kFrameAllowanceX;
constexpr int kMinClientHeight = kMinWindowHeight - kFrameAllowanceY;

struct TWindowRect {
    int Left = 0, Top = 0, Width = 0, Height = 0;
    bool operator==(const TWindowRect&) const = default;
};

// A window's or dialog's side: Wanted, no more than a screen side of Screen
// leaves once Allowance is kept for the frame, never less than Least.
int FitSide(int Wanted, int Least, int Screen, int Allowance);

// Where the window opens: at (Left, Top) of the option file (the frame's
// corner) with the default size, both brought inside the screen's available
// area (less the frame allowance) so that the title bar can be reached; never
// smaller than the smallest client area.
TWindowRect OpeningWindowRect(int Left, int Top, const TWindowRect& Screen);

// A command of a wrapping row: its wanted size.
struct TFlowSize {
    int Width = 0, Height = 0;
};

// Lays the commands out left to right in lines Width pixels wide, Spacing
// pixels apart, starting a new line when the next one does not fit; a
// command wider than a line gets a line of its own, cut to the line's width.
// Returns one rectangle per command (relative to the row's corner); Height
// receives the height of all lines together.
std::vector<TWindowRect> FlowRows(const std::vector<TFlowSize>& Items, int Width, int Spacing,
                                  int* Height = nullptr);
