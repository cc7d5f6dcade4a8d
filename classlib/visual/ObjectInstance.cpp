// Window procedures that call method closures, and hidden utility windows built on them.
#include "classlib/visual/Controls.h"

namespace {

struct ObjectInstance final : WndProc_t {
  explicit ObjectInstance(TWndMethod m) : Method(m) {}
  LRESULT Invoke(HWND, UINT msg, WPARAM wParam, LPARAM lParam) override {
    TMessage m{msg, wParam, lParam, 0};
    Method(m);
    return m.Result;
  }
  TWndMethod Method;
};

constexpr const char* kUtilWindowClass = "TPUtilWindow";

}  // namespace

WNDPROC MakeObjectInstance(TWndMethod Method) {
  if (!Method) throw EInvalidOperation("A window procedure needs an object and a method");
  return new ObjectInstance(Method);
}

void FreeObjectInstance(WNDPROC ObjectInstance) {
  // Tokens of plain functions are not ours to free.
  delete dynamic_cast<::ObjectInstance*>(static_cast<WndProc_t*>(ObjectInstance));
}

HWND AllocateHWnd(TWndMethod Method) {
  WNDCLASSA wc;
  if (!GetClassInfoA(nullptr, kUtilWindowClass, &wc)) {
    wc = WNDCLASSA();
    wc.lpfnWndProc = DefWindowProcToken();
    wc.lpszClassName = kUtilWindowClass;
    if (!RegisterClassA(&wc)) throw EOutOfResources("Cannot register the utility window class");
  }
  WNDPROC proc = MakeObjectInstance(Method);
  HWND wnd = CreateWindowExA(WS_EX_TOOLWINDOW, kUtilWindowClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                             nullptr, nullptr);
  if (!wnd) {
    FreeObjectInstance(proc);
    throw EOutOfResources("Error creating window");
  }
  SetWindowLongA(wnd, GWL_WNDPROC, LONG_PTR(proc));
  return wnd;
}

void DeallocateHWnd(HWND Wnd) {
  if (!IsWindow(Wnd)) return;
  auto proc = reinterpret_cast<WNDPROC>(GetWindowLongA(Wnd, GWL_WNDPROC));
  // Messages sent while the window goes away go to the default procedure.
  SetWindowLongA(Wnd, GWL_WNDPROC, LONG_PTR(DefWindowProcToken()));
  DestroyWindow(Wnd);
  if (proc) FreeObjectInstance(proc);
}
