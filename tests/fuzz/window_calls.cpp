// fuzz-links: platform_host
// Sequences of window and message calls through the headless host: windows of the system
// classes and a plain one created, nested, moved to extreme places, shown, re-parented,
// destroyed; messages sent and posted; clicks, keys and wheel turns; timers; paints. Every
// call must fail cleanly or work, and at the end nothing made here is left.
#include "platform/gdi/Gdi.h"
#include "platform/user/Controls.h"
#include "platform/user/User.h"
#include "platform/user/UserTesting.h"
#include "tests/fuzz/support/FuzzHost.h"
#include "tests/fuzz/support/FuzzInput.h"

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

class Bytes : public FuzzBytes {
 public:
  using FuzzBytes::FuzzBytes;
  int Coord() {
    static const int kExtremes[] = {INT_MIN, -100000, -32769, -1, 0, 32767, 32768, 100000, INT_MAX};
    const uint8_t b = U8();
    if (b < 0xF0) return int(b) - 40;
    return kExtremes[(b - 0xF0) % (sizeof kExtremes / sizeof kExtremes[0])];
  }
  // Sizes: small, or so large that the window gets no pixels at all (a size in between
  // would only make the run slow by filling large surfaces).
  int Size() {
    static const int kExtremes[] = {INT_MIN, -100000, -1, 1 << 27, INT_MAX};
    const uint8_t b = U8();
    if (b < 0xF0) return int(b) - 8;
    return kExtremes[(b - 0xF0) % (sizeof kExtremes / sizeof kExtremes[0])];
  }
};

struct Platform : FuzzHost {
  Platform() {
    WNDCLASSA wc;
    wc.lpfnWndProc = MakeProcInstance(DefWindowProcA);
    wc.lpszClassName = "FuzzPlain";
    wc.hbrBackground = reinterpret_cast<HBRUSH>(uintptr_t(COLOR_WINDOW + 1));
    RegisterClassA(&wc);
  }
};

const char* const kClasses[] = {"FuzzPlain", "BUTTON", "EDIT", "LISTBOX", "STATIC"};
const DWORD kStyleBits[] = {WS_VISIBLE, WS_BORDER,  WS_CAPTION, WS_VSCROLL, WS_HSCROLL, WS_DISABLED,
                            WS_TABSTOP, WS_SYSMENU, WS_THICKFRAME, WS_CLIPCHILDREN, WS_CLIPSIBLINGS, 0x000F};
// Messages whose parameters carry no pointers (or none that this driver passes).
const UINT kMessages[] = {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_MOUSEMOVE, WM_RBUTTONUP,  WM_KEYDOWN,  WM_KEYUP,
                          WM_CHAR,        WM_ENABLE,    WM_SHOWWINDOW, WM_CLOSE,     WM_COMMAND,  WM_VSCROLL,
                          WM_HSCROLL,     WM_SETREDRAW, WM_CANCELMODE, WM_KILLFOCUS, WM_SETFOCUS, WM_CUT,
                          WM_COPY,        WM_PASTE,     WM_CLEAR,      WM_UNDO,      EM_SETSEL,   EM_LIMITTEXT,
                          LB_SETCURSEL,   LB_DELETESTRING, LB_SETTOPINDEX, LB_SETSEL, LB_RESETCONTENT, BM_SETCHECK,
                          BM_CLICK,       BM_SETSTATE,  WM_MOUSEWHEEL, LB_GETCOUNT,  EM_UNDO,     WM_PAINT};
const int kKeys[] = {VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN, VK_HOME, VK_END, VK_PRIOR, VK_NEXT, VK_TAB,
                     VK_RETURN, VK_ESCAPE, VK_BACK, VK_DELETE, VK_SPACE, VK_SHIFT, VK_CONTROL, 'A', '7'};

template <class T, size_t N>
const T& Pick(Bytes& in, const T (&table)[N]) {
  return table[in.U8() % N];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  HeadlessHost& host = FuzzEnvironment<Platform>().host;
  const int windowsBefore = UserLiveWindowCount();
  Bytes in(data, size);
  std::vector<HWND> wins;
  std::vector<UINT_PTR> threadTimers;
  auto any = [&]() -> HWND { return wins.empty() ? nullptr : wins[in.U8() % wins.size()]; };
  std::string text;
  int steps = 0;
  while (in.More() && ++steps < 300) {
    const int a = in.Coord(), b = in.Coord(), c = in.Size(), d = in.Size();
    HWND w = any();
    switch (in.U8() % 24) {
      case 0:
      case 1: {
        DWORD style = 0;
        for (int k = in.U8() % 4; k > 0; --k) style |= Pick(in, kStyleBits);
        HWND parent = (in.U8() & 1) ? w : nullptr;
        style |= parent ? WS_CHILD : ((in.U8() & 1) ? WS_POPUP : WS_OVERLAPPED);
        HWND h = CreateWindowExA(0, Pick(in, kClasses), "fuzz", style, a, b, c, d, parent,
                                 reinterpret_cast<HMENU>(uintptr_t(in.U8())), nullptr, nullptr);
        if (h) wins.push_back(h);
        break;
      }
      case 2: DestroyWindow(w); break;
      case 3: SetWindowPos(w, (in.U8() & 1) ? HWND_TOP : any(), a, b, c, d, UINT(in.U8()) & 0x3FF); break;
      case 4: MoveWindow(w, a, b, c, d, TRUE); break;
      case 5: {
        int cmd = in.U8() % 11;
        if (cmd == SW_MAXIMIZE && (in.U8() & 7)) cmd = SW_SHOWNORMAL;   // a screen-sized window now and then
        ShowWindow(w, cmd);
        break;
      }
      case 6: SetParent(w, any()); break;
      case 7: SetFocus(w); break;
      case 8: EnableWindow(w, in.U8() & 1); break;
      case 9: SendMessageA(w, Pick(in, kMessages), WPARAM(in.U8() % 8), MAKELPARAM(WORD(a), WORD(b))); break;
      case 10: PostMessageA(w, Pick(in, kMessages), WPARAM(in.U8() % 8), MAKELPARAM(WORD(c), WORD(d))); break;
      case 11: {
        text.assign(in.U8() % 40, char('a' + in.U8() % 26));
        SetWindowTextA(w, text.c_str());
        break;
      }
      case 12:
        text.assign(in.U8() % 20, char(' ' + in.U8() % 90));
        SendMessageA(w, (in.U8() & 1) ? EM_REPLACESEL : LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
        break;
      case 13: {
        char buf[16];
        SendMessageA(w, WM_GETTEXT, sizeof buf, reinterpret_cast<LPARAM>(buf));
        break;
      }
      case 14: if (w) host.Click(w, a, b, (in.U8() & 1) ? MouseButton::Left : MouseButton::Right); break;
      case 15: if (w) host.MouseMove(w, a, b); break;
      case 16: if (w) host.Wheel(w, a, b, c); break;
      case 17: host.Key(Pick(in, kKeys)); break;
      case 18: host.Char(in.U8()); break;
      case 19:
        if (w && (in.U8() & 1)) {
          SetTimer(w, UINT_PTR(in.U8() % 4), UINT(in.U8()) * 7, nullptr);
        } else if (UINT_PTR id = SetTimer(nullptr, 0, UINT(in.U8()) * 7, nullptr)) {
          threadTimers.push_back(id);
        }
        break;
      case 20: host.Advance(in.U8() * 4); break;
      case 21: {
        RECT r{a, b, c, d};
        InvalidateRect(w, (in.U8() & 1) ? &r : nullptr, TRUE);
        UpdateWindow(w);
        break;
      }
      case 22: {
        SCROLLINFO si{};
        si.fMask = SIF_ALL;
        si.nMin = a, si.nMax = b, si.nPage = UINT(c), si.nPos = d;
        SetScrollInfo(w, in.U8() % 3, &si, TRUE);
        break;
      }
      case 23: ScrollWindow(w, a, b, nullptr, nullptr); break;
    }
    if (in.U8() % 4 == 0) host.PumpUntilIdle();
  }
  host.PumpUntilIdle();
  for (UINT_PTR id : threadTimers) KillTimer(nullptr, id);
  for (HWND h : wins) DestroyWindow(h);   // stale handles among them fail harmlessly
  host.PumpUntilIdle();
  if (UserLiveWindowCount() != windowsBefore || UserLiveTimerCount() != 0) std::abort();
  return 0;
}
