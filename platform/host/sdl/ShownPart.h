// What the screen host shows of a top-level window, and the shape it cuts that to. Kept
// apart from the host so that it can be checked without a display.
#pragma once

#include "platform/gdi/Region.h"
#include "platform/user/Menus.h"
#include "platform/user/User.h"

#include <vector>

inline bool Captioned(DWORD style) { return (style & WS_CAPTION) == WS_CAPTION; }

// The shown part of a top-level window: for captioned windows under a window manager, the
// menu bar, as high as the platform made it, and the client area (the manager draws
// caption and borders around them); the whole window, frame included, otherwise. So what
// shows is always the window the platform placed, frame for frame.
inline void ShownPart(HWND hwnd, DWORD style, const TRect& screen, bool managerFrames, TPoint* offset, int* width,
                      int* height) {
  if (!Captioned(style) || !managerFrames) {
    *offset = {0, 0};
    *width = screen.Width();
    *height = screen.Height();
    return;
  }
  RECT client;
  GetClientRect(hwnd, &client);
  POINT origin{0, 0};
  ClientToScreen(hwnd, &origin);
  const int menu = MenuBarHeight(hwnd);
  *offset = {origin.X - screen.Left, origin.Y - screen.Top - menu};
  *width = client.Width();
  *height = client.Height() + menu;
}

// A window cut to a region: the screen window shows the part of the platform window from
// `offset`, so the region is moved by it and cut to what is shown.
inline std::vector<TRect> ShownShape(const Region& region, TPoint offset, int width, int height) {
  Region shown = region;
  shown.Offset(-offset.X, -offset.Y);
  return Region::Combine(shown, Region(TRect{0, 0, width, height}), RegionOp::And).Rects();
}
