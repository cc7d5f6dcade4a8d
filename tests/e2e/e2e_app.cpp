// A small program on the screen host for the end-to-end test: a window with a menu bar
// and a known pattern; a click, a key and a menu command each paint their own square in
// their own colour and print a line. Lines on stdout:
//   CLIENT <left> <top> <menu bar height>   where the client area starts inside the shown window
//   READY <X window id>            after the first frame reached the screen
//   CLICK <x> <y> | KEY <vk> | MENUOPEN <x> <y> (screen centre of the first item) | MENU <id>
// With --bare it only opens the window and exits after the first frame (for timing).
#include "platform/gdi/Gdi.h"
#include "platform/host/sdl/SdlHost.h"
#include "platform/kernel/Units.h"
#include "platform/user/Menus.h"
#include "platform/user/User.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr COLORREF kBase = RGB(200, 40, 40);
constexpr COLORREF kClick = RGB(0, 0, 255);
constexpr COLORREF kKey = RGB(0, 200, 0);
constexpr COLORREF kMenu = RGB(255, 220, 0);
constexpr UINT kMenuFill = 1, kMenuQuit = 2;

COLORREF g_squares[3] = {kBase, kBase, kBase};
HMENU g_popup = nullptr;
bool g_menuReported = false;

void Fill(HDC dc, int x, int y, int w, int h, COLORREF c) {
  HBRUSH b = CreateSolidBrush(c);
  RECT r{x, y, x + w, y + h};
  FillRect(dc, &r, b);
  DeleteObject(b);
}

void Mark(HWND h, int square, COLORREF c) {
  g_squares[square] = c;
  RECT r{square * 100, 0, square * 100 + 100, 100};
  InvalidateRect(h, &r, FALSE);
}

LRESULT Proc(HWND h, UINT m, WPARAM w, LPARAM l) {
  switch (m) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(h, &ps);
      RECT rc;
      GetClientRect(h, &rc);
      Fill(dc, 0, 0, rc.Right, rc.Bottom, kBase);
      // A checker row under the squares, so a shifted copy would show.
      for (int x = 0; x < rc.Right; x += 20) Fill(dc, x, 100, 10, 10, RGB(255, 255, 255));
      for (int i = 0; i < 3; ++i) Fill(dc, i * 100, 0, 100, 100, g_squares[i]);
      EndPaint(h, &ps);
      return 0;
    }
    case WM_LBUTTONDOWN:
      std::printf("CLICK %d %d\n", int(GET_X_LPARAM(l)), int(GET_Y_LPARAM(l)));
      std::fflush(stdout);
      Mark(h, 0, kClick);
      return 0;
    case WM_KEYDOWN:
      std::printf("KEY %d\n", int(w));
      std::fflush(stdout);
      if (w == 'K') Mark(h, 1, kKey);
      if (w == 'Q') DestroyWindow(h);
      return 0;
    case WM_ENTERIDLE:
      if (!g_menuReported) {
        RECT r;
        if (GetMenuItemRect(nullptr, g_popup, 0, &r)) {
          g_menuReported = true;
          std::printf("MENUOPEN %d %d\n", int((r.Left + r.Right) / 2), int((r.Top + r.Bottom) / 2));
          std::fflush(stdout);
        }
      }
      return 0;
    case WM_EXITMENULOOP:
      g_menuReported = false;
      return 0;
    case WM_COMMAND:
      std::printf("MENU %u\n", unsigned(LOWORD(w)));
      std::fflush(stdout);
      if (LOWORD(w) == kMenuFill) Mark(h, 2, kMenu);
      if (LOWORD(w) == kMenuQuit) DestroyWindow(h);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default: return DefWindowProcA(h, m, w, l);
  }
}

}  // namespace

int main(int argc, char** argv) {
  bool bare = argc > 1 && std::strcmp(argv[1], "--bare") == 0;
  std::string error;
  PlatformKernelInitialize();
  if (!StartSdlHost(error)) {
    std::fprintf(stderr, "e2e_app: %s\n", error.c_str());
    return 2;
  }
  PlatformUserInitialize();
  WNDCLASSA wc;
  wc.lpfnWndProc = MakeProcInstance(&Proc);
  wc.lpszClassName = "E2eWindow";
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  RegisterClassA(&wc);
  HMENU bar = CreateMenu();
  g_popup = CreatePopupMenu();
  AppendMenuA(g_popup, MF_STRING, kMenuFill, "&Fill");
  AppendMenuA(g_popup, MF_STRING, kMenuQuit, "&Quit");
  AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(g_popup), "&Paint");
  RECT want{0, 0, 300, 200};
  AdjustWindowRectEx(&want, WS_OVERLAPPEDWINDOW, TRUE, 0);
  HWND h = CreateWindowExA(0, "E2eWindow", "Tessaloom e2e", WS_OVERLAPPEDWINDOW, 40, 40, want.Width(), want.Height(),
                           nullptr, bar, nullptr, nullptr);
  if (!h) {
    std::fprintf(stderr, "e2e_app: the window could not be created\n");
    return 1;
  }
  ShowWindow(h, SW_SHOW);
  UpdateWindow(h);
  const TPoint client = GetSdlHost()->ShownClientOrigin(h);
  std::printf("CLIENT %d %d %d\n", int(client.X), int(client.Y), MenuBarHeight(h));
  bool ready = false;
  MSG msg;
  for (;;) {
    if (!ready && GetSdlHost()->PresentCount(h) > 0) {
      ready = true;
      std::printf("READY %lu\n", GetSdlHost()->NativeWindowId(h));
      std::fflush(stdout);
      if (bare) break;
    }
    if (!GetMessageA(&msg, nullptr, 0, 0)) break;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  if (IsWindow(h)) DestroyWindow(h);
  DestroyMenu(bar);
  PlatformUserFinalize();
  StopSdlHost();
  PlatformKernelFinalize();
  return 0;
}
