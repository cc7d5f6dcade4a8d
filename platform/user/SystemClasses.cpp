// Registration of the system control classes and what the controls share: notifying
// the parent and asking it for colours.
#include "platform/user/Controls.h"
#include "platform/user/Menus.h"

namespace user_detail {
WNDPROCFN EditWindowProc();
WNDPROCFN ListBoxWindowProc();
WNDPROCFN StaticWindowProc();
WNDPROCFN ButtonWindowProc();
WNDPROCFN MenuWindowProc();

void NotifyParent(HWND hwnd, WORD code) {
  HWND parent = GetParent(hwnd);
  if (!parent) return;
  WORD id = WORD(GetWindowLongA(hwnd, GWL_ID));
  SendMessageA(parent, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(hwnd));
}

HBRUSH ControlColors(HWND hwnd, UINT ctlColorMsg, HDC dc) {
  HWND parent = GetParent(hwnd);
  LRESULT r = parent ? SendMessageA(parent, ctlColorMsg, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(hwnd))
                     : DefWindowProcA(hwnd, ctlColorMsg, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(hwnd));
  if (!r) r = DefWindowProcA(hwnd, ctlColorMsg, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(hwnd));
  return reinterpret_cast<HBRUSH>(r);
}
}  // namespace user_detail

void RegisterSystemClasses() {
  using namespace user_detail;
  struct Entry {
    const char* name;
    WNDPROCFN proc;
    UINT style;
    LPCSTR cursor;
  };
  const Entry entries[] = {
      {"EDIT", EditWindowProc(), CS_DBLCLKS | CS_GLOBALCLASS, IDC_IBEAM},
      {"LISTBOX", ListBoxWindowProc(), CS_DBLCLKS | CS_GLOBALCLASS, IDC_ARROW},
      {"STATIC", StaticWindowProc(), CS_GLOBALCLASS, IDC_ARROW},
      {"BUTTON", ButtonWindowProc(), CS_DBLCLKS | CS_GLOBALCLASS | CS_HREDRAW | CS_VREDRAW, IDC_ARROW},
      {MenuWindowClassName, MenuWindowProc(), CS_GLOBALCLASS | CS_SAVEBITS, IDC_ARROW},
  };
  for (const Entry& e : entries) {
    WNDCLASSA wc;
    if (GetClassInfoA(nullptr, e.name, &wc)) continue;
    wc.style = e.style;
    wc.lpfnWndProc = MakeProcInstance(e.proc);
    wc.hCursor = LoadCursorA(nullptr, e.cursor);
    wc.lpszClassName = e.name;
    RegisterClassA(&wc);
  }
  MenusReset();
}
