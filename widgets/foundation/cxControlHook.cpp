// The control hook: a window-procedure link that calls the hook's WndProc.
#include "widgets/foundation/cxControlUtils.h"

#include "classlib/core/ScopeGuards.h"

#include <memory>
#include <vector>

// The hook's window procedure. While attached it hands messages to the hook; once the hook
// leaves a chain it cannot cut itself out of (another procedure was installed on top), the
// link stays alive and passes messages straight to the procedure it replaced.
class TcxControlHookProc final : public WndProc_t {
 public:
  explicit TcxControlHookProc(TcxControlHook* AHook) : Hook(AHook) {}
  LRESULT Invoke(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override {
    if (!Hook) return Next ? CallWindowProcA(Next, hwnd, msg, wParam, lParam) : DefWindowProcA(hwnd, msg, wParam, lParam);
    HWND saved = Hook->FWnd;
    Hook->FWnd = hwnd;
    TMessage m{msg, wParam, lParam, 0};
    // The hook may unhook or even free itself while it handles the message; this link
    // then stays alive until the call returns (see ~TcxControlHook).
    ++Depth;
    TScopeExit leave([this, saved] {
      --Depth;
      if (Hook) Hook->FWnd = saved;
    });
    Hook->WndProc(m);
    return m.Result;
  }
  TcxControlHook* Hook;
  WNDPROC Next = nullptr;   // where a detached link sends messages
  int Depth = 0;            // calls in progress
};

namespace {

// Detached links still chained into some window. A link is dropped once its window is
// gone, or at exit.
struct TDetachedLink {
  HWND Wnd;
  std::unique_ptr<TcxControlHookProc> Proc;
};
std::vector<TDetachedLink>& DetachedLinks() {
  static std::vector<TDetachedLink> links;
  return links;
}

void Detach(std::unique_ptr<TcxControlHookProc> proc, HWND wnd, WNDPROC next) {
  auto& links = DetachedLinks();
  std::erase_if(links, [](const TDetachedLink& l) { return !IsWindow(l.Wnd); });
  proc->Hook = nullptr;
  proc->Next = next;
  links.push_back({wnd, std::move(proc)});
}

// The control's default procedure (the one its window class or subclassing gave it).
struct TWinControlAccess : TWinControl {
  static WNDPROC DefWndProc(TWinControl* c) { return c->*(&TWinControlAccess::FDefWndProc); }
};

}  // namespace

TcxControlHook::TcxControlHook() : FNewWndProc(new TcxControlHookProc(this)) {}

TcxControlHook::~TcxControlHook() {
  // Freed from inside its own window procedure: the running call still needs the link.
  if (FNewWndProc->Depth > 0)
    Detach(std::unique_ptr<TcxControlHookProc>(FNewWndProc), FWnd, nullptr);
  else
    delete FNewWndProc;
}

WNDPROC TcxControlHook::NewWndProc() const { return FNewWndProc; }

void TcxControlHook::BeforeDestruction() {
  FDestroying = true;
  SetControl(nullptr);
  inherited::BeforeDestruction();
}

void TcxControlHook::SetControl(TWinControl* Value) {
  if (Value == FControl) return;
  if (FControl) UnhookControl();
  FControl = Value;
  if (FControl) HookControl();
}

void TcxControlHook::HookControl() {
  if (!FControl || FDestroying || FOldWndProc) return;
  if (FControl->InState(TComponentStateItem::csDesigning) || FControl->InState(TComponentStateItem::csDestroying))
    return;
  HWND wnd = FControl->GetHandle();
  FOldWndProc = reinterpret_cast<WNDPROC>(GetWindowLongA(wnd, GWL_WNDPROC));
  SetWindowLongA(wnd, GWL_WNDPROC, LONG_PTR(NewWndProc()));
}

void TcxControlHook::UnhookControl() {
  // The saved procedure is checked first: after WM_DESTROY the control may be gone.
  if (FOldWndProc && FControl && FControl->HandleAllocated()) {
    HWND wnd = FControl->GetHandle();
    if (reinterpret_cast<WNDPROC>(GetWindowLongA(wnd, GWL_WNDPROC)) == NewWndProc()) {
      // Links left behind by hooks removed earlier are cut out on the way.
      WNDPROC old = FOldWndProc;
      while (auto* link = dynamic_cast<TcxControlHookProc*>(static_cast<WndProc_t*>(old))) {
        if (link->Hook) break;
        old = link->Next;
      }
      SetWindowLongA(wnd, GWL_WNDPROC, LONG_PTR(old));
    } else {
      // Someone hooked the window after us and calls our procedure as theirs: our link
      // stays and passes messages on, and the hook takes a fresh procedure.
      Detach(std::unique_ptr<TcxControlHookProc>(FNewWndProc), wnd, FOldWndProc);
      FNewWndProc = new TcxControlHookProc(this);
    }
  }
  FOldWndProc = nullptr;
}

void TcxControlHook::WndProc(TMessage& Message) {
  if (!FControl || FDestroying) return;
  WNDPROC target = FOldWndProc ? FOldWndProc : TWinControlAccess::DefWndProc(FControl);
  HWND wnd = FWnd ? FWnd : (FControl->HandleAllocated() ? FControl->GetHandle() : nullptr);
  Message.Result = target ? CallWindowProcA(target, wnd, Message.Msg, Message.WParam, Message.LParam)
                          : DefWindowProcA(wnd, Message.Msg, Message.WParam, Message.LParam);
  if (Message.Msg == WM_DESTROY) UnhookControl();
}

TL_DEFINE_CLASS(TcxControlHook)
