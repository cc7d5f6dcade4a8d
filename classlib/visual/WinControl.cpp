// TWinControl: window handles made on demand, children and alignment, tab order, focus,
// the key path with reflection and dialog keys, painting, and the catch of MainWndProc.
#include "classlib/visual/Controls.h"
#include "classlib/core/ScopeGuards.h"
#include "classlib/visual/DockDrag.h"
#include "classlib/visual/Forms.h"
#include "classlib/visual/Menus.h"
#include "platform/gdi/Gdi.h"
#include "platform/user/Controls.h"
#include "platform/host/HeadlessHost.h"

#include <algorithm>
#include <deque>
#include <unordered_map>

using enum TControlStyleItem;
using enum TControlStateItem;
using enum TComponentStateItem;
using enum TAlign;

namespace {

std::unordered_map<HWND, TWinControl*>& HandleMap() {
  static std::unordered_map<HWND, TWinControl*> map;
  return map;
}

TWinControl* gCreationControl = nullptr;

bool PtIn(const TRect& r, const TPoint& p) {
  return p.X >= r.Left && p.X < r.Right && p.Y >= r.Top && p.Y < r.Bottom;
}

}  // namespace

TWinControl* FindControl(HWND Handle) {
  if (!Handle) return nullptr;
  auto it = HandleMap().find(Handle);
  return it == HandleMap().end() ? nullptr : it->second;
}

TCustomForm* GetParentForm(const TControl* Control) {
  if (!Control) return nullptr;
  while (Control->GetParent()) Control = Control->GetParent();
  return dynamic_cast<TCustomForm*>(const_cast<TControl*>(Control));
}

TControl* FindDragTarget(const TPoint& Pos, bool AllowDisabled) {
  HWND wnd = WindowFromPoint(Pos);
  TWinControl* w = nullptr;
  while (wnd && !(w = FindControl(wnd))) wnd = GetParent(wnd);
  if (!w) return nullptr;
  TControl* c = w->ControlAtPos(w->ScreenToClient(Pos), AllowDisabled);
  return c ? c : w;
}

LRESULT TWinControl::InitWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  TWinControl* c = gCreationControl;
  if (!c) return DefWindowProcA(hwnd, msg, wParam, lParam);
  gCreationControl = nullptr;
  c->FHandle = hwnd;
  HandleMap()[hwnd] = c;
  SetWindowLongA(hwnd, GWL_WNDPROC, LONG_PTR(c->FObjectInstance));
  return CallWindowProcA(c->FObjectInstance, hwnd, msg, wParam, lParam);
}

// ---- Construction -------------------------------------------------------------------------

TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner) {
  FObjectInstance = MakeObjectInstance(TWndMethod(this, &TWinControl::MainWndProc));
}

void TWinControl::BeforeDestruction() {
  DockDrag::SiteDestroyed(this);
  if (FParent) RemoveFocus(true);
  DestroyHandle();
  // Children die with their parent, the last first.
  while (!FWinControls.empty() || !FControls.empty()) {
    TControl* c = !FWinControls.empty() ? FWinControls.back() : FControls.back();
    RemoveControl(c);
    c->Free();
  }
  if (FBrush) {
    DeleteObject(FBrush);
    FBrush = nullptr;
  }
  inherited::BeforeDestruction();
  FreeObjectInstance(FObjectInstance);
  FObjectInstance = nullptr;
}

// ---- Handles ------------------------------------------------------------------------------

void TWinControl::CreateParams(TCreateParams& Params) {
  Params = TCreateParams();
  Params.Caption = FText;
  Params.Style = WS_CHILD | WS_CLIPSIBLINGS;
  if (FControlStyle.Contains(csAcceptsControls)) Params.Style |= WS_CLIPCHILDREN;
  if (FVisible) Params.Style |= WS_VISIBLE;
  if (!FEnabled) Params.Style |= WS_DISABLED;
  if (FTabStop) Params.Style |= WS_TABSTOP;
  Params.X = FLeft;
  Params.Y = FTop;
  Params.Width = FWidth;
  Params.Height = FHeight;
  Params.WndParent = FParent ? FParent->GetHandle() : FParentWindow;
  Params.WindowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
  Params.WindowClass.lpfnWndProc = DefWindowProcToken();
  Params.WindowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  Params.WinClassName = ClassName();
}

void TWinControl::CreateSubClass(TCreateParams& Params, LPCSTR ControlClassName) {
  WNDCLASSA wc;
  if (!GetClassInfoA(nullptr, ControlClassName, &wc))
    throw EInvalidOperation(String("Unknown window class ") + ControlClassName);
  Params.WindowClass.style = wc.style;
  Params.WindowClass.lpfnWndProc = wc.lpfnWndProc;
  Params.WindowClass.cbClsExtra = wc.cbClsExtra;
  Params.WindowClass.cbWndExtra = wc.cbWndExtra;
  Params.WindowClass.hCursor = wc.hCursor;
  Params.WindowClass.hbrBackground = wc.hbrBackground;
}

void TWinControl::CreateWnd() {
  TCreateParams params;
  CreateParams(params);
  if (FHandle) return;  // the parent's creation made this window already
  if ((params.Style & WS_CHILD) && !params.WndParent)
    throw EInvalidOperation("Control '" + GetName() + "' has no parent window");
  FDefWndProc = params.WindowClass.lpfnWndProc;
  static WNDPROC initProc = MakeProcInstance(&TWinControl::InitWndProc);
  WNDCLASSA existing;
  if (!GetClassInfoA(nullptr, params.WinClassName.c_str(), &existing)) {
    WNDCLASSA wc = params.WindowClass;
    wc.lpfnWndProc = initProc;
    wc.lpszClassName = params.WinClassName.c_str();
    if (!RegisterClassA(&wc)) throw EOutOfResources("Cannot register window class " + params.WinClassName);
  }
  // The new window's first messages may run handlers that free this control.
  TWeakLink self(this);
  CreateWindowHandle(params);
  if (!self.Alive()) return;
  if (!FHandle) throw EOutOfResources("Error creating window " + params.WinClassName);
  // A platform control starts with the platform's font; it draws and measures in the
  // control's from its first message on.
  if (FDefWndProc != DefWindowProcToken()) SendMessageA(FHandle, WM_SETFONT, WPARAM(FFont->GetHandle()), 0);
}

void TWinControl::CreateWindowHandle(const TCreateParams& Params) {
  gCreationControl = this;
  TScopeExit reset([] { gCreationControl = nullptr; });
  CreateWindowExA(Params.ExStyle, Params.WinClassName.c_str(), Params.Caption.c_str(), Params.Style, Params.X,
                  Params.Y, Params.Width, Params.Height, Params.WndParent, nullptr, nullptr, Params.Param);
}

void TWinControl::CreateHandle() {
  if (FHandle) return;
  // Laying the new window out may run handlers (a text handler asked for the rows' texts,
  // say) that free this control.
  TWeakLink self(this);
  CreateWnd();
  if (!self.Alive()) return;
  if (FParent && FHandle) {
    // The platform puts a new child below its siblings; the control list (last on top)
    // says where it belongs: just below the first later sibling that has a window.
    auto& list = FParent->FWinControls;
    HWND above = nullptr;
    for (auto it = std::find(list.begin(), list.end(), this); it != list.end() && !above; ++it)
      if (*it != this && (*it)->FHandle && ::GetParent((*it)->FHandle) == ::GetParent(FHandle)) above = (*it)->FHandle;
    if (GetWindow(FHandle, GW_HWNDPREV) != above)
      SetWindowPos(FHandle, above ? above : HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  UpdateBounds();
  std::deque<TWeakLink> children;
  for (TWinControl* c : FWinControls) children.emplace_back(c);
  for (TWeakLink& link : children) {
    if (!self.Alive()) return;
    auto* c = static_cast<TWinControl*>(link.Ref());
    if (c && !c->FHandle) c->CreateHandle();
  }
}

void TWinControl::DestroyWnd() {
  FText = GetText();
  DestroyWindowHandle();
}

void TWinControl::DestroyWindowHandle() {
  HWND h = FHandle;
  // The messages of a window going away (focus leaving, say) run handlers that may free
  // the control.
  TWeakLink self(this);
  if (h) DestroyWindow(h);
  if (!self.Alive()) return;
  if (FHandle) {  // the window was not ours to destroy any more
    HandleMap().erase(FHandle);
    FHandle = nullptr;
  }
}

void TWinControl::DestroyHandle() {
  if (!FHandle) return;
  FreeDeviceContexts();  // no canvas keeps a DC of a window about to go
  FControlState.Include(csDestroyingHandle);
  // A child's window going away may run handlers that free children, or this control: the
  // list is read afresh at each step, and nothing goes on once this control is gone.
  TWeakLink self(this);
  for (size_t i = 0; self.Alive() && i < FWinControls.size(); ++i) FWinControls[i]->DestroyHandle();
  if (!self.Alive()) return;
  DestroyWnd();
  if (self.Alive()) FControlState.Exclude(csDestroyingHandle);
}

HWND TWinControl::GetHandle() {
  HandleNeeded();
  return FHandle;
}

void TWinControl::HandleNeeded() {
  if (FHandle) return;
  if (FParent) {
    TWeakLink self(this);
    FParent->HandleNeeded();
    if (!self.Alive()) return;
  }
  CreateHandle();
}

void TWinControl::RecreateWnd() {
  if (!FHandle) return;
  bool wasVisible = IsWindowVisible(FHandle);
  DestroyHandle();
  UpdateControlState();
  if (!FParent && wasVisible && FVisible) {
    HandleNeeded();
    Perform(CM_SHOWINGCHANGED);
  }
}

void TWinControl::UpdateControlState() {
  if (FParent ? FParent->FHandle != nullptr : FParentWindow != nullptr) HandleNeeded();
}

void TWinControl::SetParentWindow(HWND Value) {
  if (FParent || FParentWindow == Value) return;
  if (FHandle) {
    if (Value)
      ::SetParent(FHandle, Value);
    else
      DestroyHandle();
  }
  FParentWindow = Value;
  UpdateControlState();
}

void TWinControl::MainWndProc(TMessage& Message) {
  TScopeExit freeContexts([] { FreeDeviceContexts(); });
  try {
    FWindowProc(Message);
  } catch (const HeadlessStall&) {
    throw;  // a test's loop has nothing scripted: not the program's exception
  } catch (...) {  // not cleanup: a message's error is reported, never passed to the platform
    if (Application)
      Application->HandleException(this, std::current_exception());
  }
}

// ---- Children -----------------------------------------------------------------------------

TControl* TWinControl::Controls(Integer Index) const {
  if (Index < 0 || Index >= ControlCount()) throw EListError("Control index out of bounds (" + std::to_string(Index) + ")");
  if (size_t(Index) < FControls.size()) return FControls[size_t(Index)];
  return FWinControls[size_t(Index) - FControls.size()];
}

void TWinControl::InsertControl(TControl* AControl) {
  if (!AControl || AControl->FParent == this) return;
  if (AControl->FParent) AControl->FParent->RemoveControl(AControl);
  auto* w = dynamic_cast<TWinControl*>(AControl);
  if (w) {
    FWinControls.push_back(w);
    FTabList.push_back(w);
  } else {
    FControls.push_back(AControl);
  }
  AControl->FParent = this;
  AControl->Perform(CM_PARENTCOLORCHANGED);
  AControl->Perform(CM_PARENTFONTCHANGED);
  if (w) {
    // The child's new window may run handlers that free it, or this control.
    TWeakLink self(this), child(w);
    w->UpdateControlState();
    if (!self.Alive() || !child.Alive()) return;
    if (w->FHandle && ::GetParent(w->FHandle) != FHandle) ::SetParent(w->FHandle, FHandle);
  } else {
    AControl->Invalidate();
  }
  Perform(CM_CONTROLCHANGE, WPARAM(AControl), 1);
  AControl->UpdateAnchorRules();
  AControl->RequestAlign();
}

void TWinControl::RemoveControl(TControl* AControl) {
  if (!AControl || AControl->FParent != this) return;
  auto* w = dynamic_cast<TWinControl*>(AControl);
  if (w) {
    w->RemoveFocus(true);
    w->DestroyHandle();
    std::erase(FWinControls, w);
    std::erase(FTabList, w);
  } else {
    AControl->InvalidateControl(AControl->FVisible, false);
    std::erase(FControls, AControl);
  }
  AControl->FParent = nullptr;
  AControl->FDocked = false;
  if (!InState(csDestroying)) {
    Perform(CM_CONTROLCHANGE, WPARAM(AControl), 0);
    Realign();
  }
}

void TWinControl::Loaded() {
  inherited::Loaded();
  Realign();
}

void TWinControl::GetChildren(const TGetChildProc& Proc, TComponent* Root) {
  for (Integer i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    if (c->Owner() == Root) Proc(c);
  }
}

bool TWinControl::ContainsControl(const TControl* Control) const {
  for (const TControl* c = Control; c; c = c->FParent)
    if (c == this) return true;
  return false;
}

TControl* TWinControl::ControlAtPos(const TPoint& Pos, bool AllowDisabled, bool AllowWinControls) const {
  auto hit = [&](TControl* c) {
    return (c->FVisible || c->InState(csDesigning)) && (c->FEnabled || AllowDisabled) &&
           PtIn(c->GetBoundsRect(), Pos);
  };
  if (AllowWinControls)
    for (auto it = FWinControls.rbegin(); it != FWinControls.rend(); ++it)
      if (hit(*it)) return *it;
  for (auto it = FControls.rbegin(); it != FControls.rend(); ++it)
    if (hit(*it)) return *it;
  return nullptr;
}

void TWinControl::Broadcast(TMessage& Message) {
  // A child's handler (a button's click) may free that child, a later one or this control.
  std::deque<TWeakLink> all;
  for (TControl* c : FControls) all.emplace_back(c);
  for (TControl* c : FWinControls) all.emplace_back(c);
  TWeakLink self(this);
  for (TWeakLink& link : all) {
    if (!self.Alive()) return;
    auto* c = static_cast<TControl*>(link.Ref());
    if (!c || c->FParent != this) continue;  // freed or removed by an earlier handler
    c->FWindowProc(Message);
    if (Message.Result != 0) return;
  }
}

void TWinControl::ChangeScale(Integer M, Integer D) {
  if (M == D || M <= 0 || D <= 0) return;
  auto align = PairedCall([this] { DisableAlign(); }, [this] { EnableAlign(); });
  for (Integer i = 0; i < ControlCount(); ++i) Controls(i)->ChangeScale(M, D);
  TControl::ChangeScale(M, D);
}

void TWinControl::ScaleBy(Integer M, Integer D) {
  const Integer left = FLeft, top = FTop;
  ChangeScale(M, D);
  SetBounds(left, top, FWidth, FHeight);
}

void TWinControl::EnableAlign() {
  if (FAlignLevel > 0) --FAlignLevel;
  if (FAlignLevel == 0 && FControlState.Contains(csAlignmentNeeded)) {
    FControlState.Exclude(csAlignmentNeeded);
    Realign();
  }
}

void TWinControl::AlignControls(TControl*, TRect& Rect) {
  if (FAlignLevel != 0) {
    FControlState.Include(csAlignmentNeeded);
    return;
  }
  if (InState(csLoading) || InState(csDestroying)) return;
  AdjustClientRect(Rect);
  // A child's resize handler may free this control, and the children with it.
  auto level = WatchedPairedCall(
      this, [this] { ++FAlignLevel; }, [this] { --FAlignLevel; });
  ApplyAnchors(GetClientRect());
  for (TAlign a : {alTop, alBottom, alLeft, alRight, alClient, alCustom})
    if (level.Alive()) DoAlign(a, Rect);
  if (level.Alive()) FControlState.Exclude(csAlignmentNeeded);
}

void TWinControl::ApplyAnchors(const TRect& Client) {
  using enum TAnchorKind;
  TWeakLink self(this);  // a child's resize handler may free this control
  for (Integer i = 0; self.Alive() && i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    if (c->FAlign != alNone || c->InState(csLoading) || c->FAnchors == TAnchors{akLeft, akTop}) continue;
    const TRect& r = c->FAnchorRules;
    Integer left = c->FLeft, top = c->FTop, width = c->FWidth, height = c->FHeight;
    if (c->FAnchors.Contains(akRight)) {
      if (c->FAnchors.Contains(akLeft))
        width = Client.Right - r.Right - left;
      else
        left = Client.Right - r.Right - width;
    }
    if (c->FAnchors.Contains(akBottom)) {
      if (c->FAnchors.Contains(akTop))
        height = Client.Bottom - r.Bottom - top;
      else
        top = Client.Bottom - r.Bottom - height;
    }
    c->FAnchoring = true;
    // Its resize handler may free it.
    TWatchedScopeExit anchored(c, [c] { c->FAnchoring = false; });
    c->SetBounds(left, top, width, height);
  }
}

void TWinControl::DoAlign(TAlign AAlign, TRect& Rect) {
  std::vector<TControl*> list;
  for (Integer i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    if (c->FAlign == AAlign && (c->FVisible || c->InState(csDesigning))) list.push_back(c);
  }
  auto key = [AAlign](const TControl* c) -> Integer {
    switch (AAlign) {
      case alTop: return c->FTop;
      case alBottom: return -(c->FTop + c->FHeight);
      case alLeft: return c->FLeft;
      case alRight: return -(c->FLeft + c->FWidth);
      default: return 0;
    }
  };
  std::stable_sort(list.begin(), list.end(), [&](TControl* a, TControl* b) { return key(a) < key(b); });
  // A resize handler may free its control or a later one: a control gone takes no room.
  std::deque<TWeakLink> alive;
  for (TControl* c : list) alive.emplace_back(c);
  for (TWeakLink& link : alive) {
    if (!link.Alive()) continue;
    auto* c = static_cast<TControl*>(link.Ref());
    Integer w = Rect.Right - Rect.Left, h = Rect.Bottom - Rect.Top;
    switch (AAlign) {
      case alTop:
        c->SetBounds(Rect.Left, Rect.Top, w, c->FHeight);
        if (link.Alive()) Rect.Top += c->FHeight;
        break;
      case alBottom:
        c->SetBounds(Rect.Left, Rect.Bottom - c->FHeight, w, c->FHeight);
        if (link.Alive()) Rect.Bottom -= c->FHeight;
        break;
      case alLeft:
        c->SetBounds(Rect.Left, Rect.Top, c->FWidth, h);
        if (link.Alive()) Rect.Left += c->FWidth;
        break;
      case alRight:
        c->SetBounds(Rect.Right - c->FWidth, Rect.Top, c->FWidth, h);
        if (link.Alive()) Rect.Right -= c->FWidth;
        break;
      case alClient:
        c->SetBounds(Rect.Left, Rect.Top, w, h);
        break;
      case alCustom: {
        Integer left = c->FLeft, top = c->FTop, width = c->FWidth, height = c->FHeight;
        CustomAlignPosition(c, left, top, width, height, Rect);
        if (link.Alive()) c->SetBounds(left, top, width, height);
        break;
      }
      default:
        break;
    }
  }
}

void TWinControl::CustomAlignPosition(TControl* Control, Integer& NewLeft, Integer& NewTop, Integer& NewWidth,
                                      Integer& NewHeight, TRect& AlignRect) {
  if (OnAlignPosition) OnAlignPosition(this, Control, NewLeft, NewTop, NewWidth, NewHeight, AlignRect);
}

// ---- Geometry -----------------------------------------------------------------------------

TRect TWinControl::GetClientRect() const {
  if (FHandle) {
    TRect r;
    ::GetClientRect(FHandle, &r);
    return r;
  }
  return TControl::GetClientRect();
}

TPoint TWinControl::ClientOrigin() const {
  if (FHandle) {
    TPoint p{0, 0};
    ::ClientToScreen(FHandle, &p);
    return p;
  }
  return TControl::ClientOrigin();
}

void TWinControl::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) {
  AWidth = std::max<Integer>(AWidth, 0);
  AHeight = std::max<Integer>(AHeight, 0);
  FConstraints->Apply(AWidth, AHeight);
  ClampBounds(ALeft, ATop, AWidth, AHeight);
  if (ALeft == FLeft && ATop == FTop && AWidth == FWidth && AHeight == FHeight) return;
  bool resized = AWidth != FWidth || AHeight != FHeight;
  FLeft = ALeft;
  FTop = ATop;
  FWidth = AWidth;
  FHeight = AHeight;
  // The window's own size messages and the alignment run OnResize handlers that may free
  // the control: each later step runs only while it lives.
  TWeakLink self(this);
  if (FHandle) {
    SetWindowPos(FHandle, nullptr, ALeft, ATop, AWidth, AHeight, SWP_NOZORDER | SWP_NOACTIVATE);
    if (!self.Alive()) return;
    UpdateBounds();
  }
  UpdateAnchorRules();
  RequestAlign();
  if (resized && self.Alive()) {
    Realign();
    if (self.Alive()) Resize();
  }
}

void TWinControl::UpdateBounds() {
  if (!FHandle) return;
  TRect r;
  GetWindowRect(FHandle, &r);
  if (GetWindowLongA(FHandle, GWL_STYLE) & WS_CHILD) {
    HWND parent = ::GetParent(FHandle);
    if (parent) MapWindowPoints(nullptr, parent, reinterpret_cast<LPPOINT>(&r), 2);
  }
  FLeft = r.Left;
  FTop = r.Top;
  FWidth = r.Right - r.Left;
  FHeight = r.Bottom - r.Top;
}

void TWinControl::Invalidate() {
  if (FHandle) InvalidateRect(FHandle, nullptr, !FControlStyle.Contains(csOpaque));
}

void TWinControl::Update() {
  if (FHandle) UpdateWindow(FHandle);
}

void TWinControl::Repaint() {
  Invalidate();
  Update();
}

bool TWinControl::Showing() const { return FHandle && IsWindowVisible(FHandle); }

void TWinControl::CMEnabledChanged(TMessage& Message) {
  if (!FEnabled && FParent) RemoveFocus(false);
  if (FHandle) EnableWindow(FHandle, FEnabled);
  TControl::CMEnabledChanged(Message);
}

void TWinControl::SetZOrder(bool TopMost) {
  if (FParent) {
    auto& list = FParent->FWinControls;
    std::erase(list, this);
    if (TopMost)
      list.push_back(this);
    else
      list.insert(list.begin(), this);
  }
  if (FHandle)
    SetWindowPos(FHandle, TopMost ? HWND_TOP : HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

// ---- Tab order and focus ------------------------------------------------------------------

Integer TWinControl::GetTabOrder() const {
  if (!FParent) return -1;
  auto& l = FParent->FTabList;
  auto it = std::find(l.begin(), l.end(), this);
  return it == l.end() ? -1 : Integer(it - l.begin());
}

void TWinControl::SetTabOrder(Integer Value) {
  if (!FParent) return;
  auto& l = FParent->FTabList;
  std::erase(l, const_cast<TWinControl*>(this));
  Value = std::clamp<Integer>(Value, 0, Integer(l.size()));
  l.insert(l.begin() + Value, this);
}

void TWinControl::SetTabStop(bool Value) {
  if (FTabStop == Value) return;
  FTabStop = Value;
  if (FHandle) {
    LONG_PTR style = GetWindowLongA(FHandle, GWL_STYLE);
    SetWindowLongA(FHandle, GWL_STYLE, Value ? (style | WS_TABSTOP) : (style & ~LONG_PTR(WS_TABSTOP)));
  }
  Perform(CM_TABSTOPCHANGED);
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& List) const {
  for (TWinControl* c : FTabList) {
    List.push_back(c);
    c->GetTabOrderList(List);
  }
}

TWinControl* TWinControl::FindNextControl(TWinControl* CurControl, bool GoForward, bool CheckTabStop,
                                          bool CheckParent) const {
  std::vector<TWinControl*> list;
  GetTabOrderList(list);
  if (list.empty()) return nullptr;
  Integer n = Integer(list.size());
  auto it = std::find(list.begin(), list.end(), CurControl);
  Integer start = it == list.end() ? (GoForward ? n - 1 : 0) : Integer(it - list.begin());
  Integer i = start;
  do {
    i = GoForward ? (i + 1) % n : (i + n - 1) % n;
    TWinControl* c = list[size_t(i)];
    if (c != CurControl && c->CanFocus() && (!CheckTabStop || c->FTabStop) && (!CheckParent || c->FParent == this))
      return c;
  } while (i != start);
  return nullptr;
}

void TWinControl::SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop) {
  if (TWinControl* c = FindNextControl(CurControl, GoForward, CheckTabStop, !CheckTabStop)) c->SetFocus();
}

bool TWinControl::CanFocus() const {
  TCustomForm* form = GetParentForm(this);
  if (!form && !FParentWindow) return false;
  // The form itself may still be hidden: it is focused when shown.
  for (const TControl* c = this; c && c != form; c = c->FParent)
    if (!c->FVisible || !c->FEnabled) return false;
  return true;
}

void TWinControl::SetFocus() {
  if (TCustomForm* form = GetParentForm(this))
    form->FocusControl(this);
  else if (FParentWindow)
    ::SetFocus(GetHandle());
  else
    throw EInvalidOperation("Control '" + GetName() + "' has no parent window");
}

bool TWinControl::Focused() const { return FHandle && GetFocus() == FHandle; }

void TWinControl::RemoveFocus(bool Removing) {
  if (TCustomForm* form = GetParentForm(this); form && form != this) form->DefocusControl(this, Removing);
}

void TWinControl::DoEnter() {
  if (OnEnter) OnEnter(this);
}

void TWinControl::DoExit() {
  if (OnExit) OnExit(this);
}

void TWinControl::CMEnter(TMessage&) { DoEnter(); }
void TWinControl::CMExit(TMessage&) { DoExit(); }

// ---- Keys ---------------------------------------------------------------------------------

bool TWinControl::IsShortCut(TMessage& Message) {
  // The control's own popup menu answers its shortcut keys too.
  return FPopupMenu && FPopupMenu->IsShortCut(Message);
}

// A key handler that frees the control (or what holds it) spends the key: the overrides that
// act on the key after the handler see none, so nothing reads the control after it.
void TWinControl::KeyDown(Word& Key, TShiftState Shift) {
  if (!OnKeyDown) return;
  TWeakLink self(this);
  OnKeyDown(this, Key, Shift);
  if (!self.Alive()) Key = 0;
}

void TWinControl::KeyPress(Char& Key) {
  if (!OnKeyPress) return;
  TWeakLink self(this);
  OnKeyPress(this, Key);
  if (!self.Alive()) Key = 0;
}

void TWinControl::KeyUp(Word& Key, TShiftState Shift) {
  if (!OnKeyUp) return;
  TWeakLink self(this);
  OnKeyUp(this, Key, Shift);
  if (!self.Alive()) Key = 0;
}

bool TWinControl::DoKeyDown(TMessage& Message) {
  TCustomForm* form = GetParentForm(this);
  TWeakLink self(this);  // the form's preview handler may free the form and this control with it
  if (form && form != this && form->GetKeyPreview() && static_cast<TWinControl*>(form)->DoKeyDown(Message)) return true;
  if (!self.Alive()) return true;
  Word key = Word(Message.WParam);
  KeyDown(key, KeyDataToShiftState(Message.LParam));
  Message.WParam = key;
  return key == 0;
}

bool TWinControl::DoKeyPress(TMessage& Message) {
  TCustomForm* form = GetParentForm(this);
  TWeakLink self(this);  // the form's preview handler may free the form and this control with it
  if (form && form != this && form->GetKeyPreview() && static_cast<TWinControl*>(form)->DoKeyPress(Message)) return true;
  if (!self.Alive()) return true;
  Char ch = Char(Message.WParam);
  KeyPress(ch);
  Message.WParam = WPARAM(Byte(ch));
  return ch == 0;
}

bool TWinControl::DoKeyUp(TMessage& Message) {
  TCustomForm* form = GetParentForm(this);
  TWeakLink self(this);  // the form's preview handler may free the form and this control with it
  if (form && form != this && form->GetKeyPreview() && static_cast<TWinControl*>(form)->DoKeyUp(Message)) return true;
  if (!self.Alive()) return true;
  Word key = Word(Message.WParam);
  KeyUp(key, KeyDataToShiftState(Message.LParam));
  Message.WParam = key;
  return key == 0;
}

// A key handler may free the control: the key then goes no further.
void TWinControl::WMKeyDown(TMessage& Message) {
  TWeakLink self(this);
  if (!DoKeyDown(Message) && self.Alive()) TL_INHERITED(Message);
}

void TWinControl::WMKeyUp(TMessage& Message) {
  TWeakLink self(this);
  if (!DoKeyUp(Message) && self.Alive()) TL_INHERITED(Message);
}

void TWinControl::WMChar(TMessage& Message) {
  TWeakLink self(this);
  if (!DoKeyPress(Message) && self.Alive()) TL_INHERITED(Message);
}

void TWinControl::CNKeyDown(TMessage& Message) {
  Message.Result = 1;
  for (TWinControl* c = this; c; c = c->FParent)
    if (c->IsShortCut(Message)) return;
  if (!InState(csDesigning)) {
    LRESULT mask = 0;
    switch (Message.WParam) {
      case VK_TAB: mask = DLGC_WANTTAB; break;
      case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN: mask = DLGC_WANTARROWS; break;
      case VK_RETURN: case VK_ESCAPE: case VK_CANCEL: mask = DLGC_WANTALLKEYS; break;
      default: break;
    }
    if (mask != 0 && Perform(CM_WANTSPECIALKEY, Message.WParam, Message.LParam) == 0 &&
        (Perform(WM_GETDLGCODE) & mask) == 0) {
      if (TCustomForm* form = GetParentForm(this); form && form->Perform(CM_DIALOGKEY, Message.WParam, Message.LParam) != 0)
        return;
    }
  }
  Message.Result = 0;
}

void TWinControl::CNChar(TMessage& Message) {
  Message.Result = 1;
  if (!InState(csDesigning) && (Perform(WM_GETDLGCODE) & DLGC_WANTCHARS) == 0) {
    if (TCustomForm* form = GetParentForm(this); form && form->Perform(CM_DIALOGCHAR, Message.WParam, Message.LParam) != 0)
      return;
  }
  Message.Result = 0;
}

void TWinControl::CMDialogKey(TMessage& Message) { Broadcast(Message); }
void TWinControl::CMDialogChar(TMessage& Message) { Broadcast(Message); }

// ---- Painting -----------------------------------------------------------------------------

HBRUSH TWinControl::BrushHandle() {
  COLORREF c = ColorToDevice(FColor);
  if (!FBrush || FBrushColor != c) {
    if (FBrush) DeleteObject(FBrush);
    FBrush = CreateSolidBrush(c);
    FBrushColor = c;
  }
  return FBrush;
}

void TWinControl::PaintWindow(HDC DC) {
  // Only a platform control painting into a given DC has anything to draw here; the
  // default procedure's own paint would validate the window behind the caller's back.
  if (!FHandle || FDefWndProc == DefWindowProcToken()) return;
  TMessage m{WM_PAINT, WPARAM(DC), 0, 0};
  DefaultHandler(m);
}

void TWinControl::PaintControls(HDC DC, TControl* First) {
  auto from = FControls.begin();
  if (First) from = std::find(FControls.begin(), FControls.end(), First);
  // A paint handler may free its control, another one or this control.
  std::deque<TWeakLink> controls;
  for (auto it = from; it != FControls.end(); ++it) controls.emplace_back(*it);
  TWeakLink self(this);
  for (TWeakLink& link : controls) {
    auto* c = static_cast<TControl*>(link.Ref());
    if (!self.Alive()) return;
    if (!c || c->FParent != this) continue;
    if (!(c->FVisible || c->InState(csDesigning))) continue;
    TRect r = c->GetBoundsRect();
    if (!RectVisible(DC, &r)) continue;
    TScopeExit restore([DC, level = SaveDC(DC)] { RestoreDC(DC, level); });
    IntersectClipRect(DC, r.Left, r.Top, r.Right, r.Bottom);
    OffsetViewportOrgEx(DC, r.Left, r.Top, nullptr);
    c->Perform(WM_PAINT, WPARAM(DC), 0);
  }
}

// The window's own paint (a form's OnPaint) may free the control: its children are not
// painted then.
void TWinControl::PaintHandler(TMessage& Message) {
  HDC dc = reinterpret_cast<HDC>(Message.WParam);
  TWeakLink self(this);
  if (dc) {
    PaintWindow(dc);
    if (self.Alive()) PaintControls(dc, nullptr);
    return;
  }
  // The paint ends even when a handler raises or frees the control.
  PAINTSTRUCT ps;
  const HWND wnd = FHandle;
  const HDC paintDC = BeginPaint(wnd, &ps);
  TScopeExit endPaint([wnd, &ps] { EndPaint(wnd, &ps); });
  PaintWindow(paintDC);
  if (self.Alive()) PaintControls(paintDC, nullptr);
}

void TWinControl::WMPaint(TMessage& Message) {
  // A platform control without graphic children paints itself.
  if (!Message.WParam && FControls.empty() && FDefWndProc != DefWindowProcToken()) {
    TL_INHERITED(Message);
    return;
  }
  PaintHandler(Message);
}

void TWinControl::CNCtlColor(TMessage& Message) {
  // The platform control asks its parent, which reflects the question here.
  HDC dc = reinterpret_cast<HDC>(Message.WParam);
  SetTextColor(dc, ColorToDevice(FFont->GetColor()));
  SetBkColor(dc, ColorToDevice(FColor));
  Message.Result = reinterpret_cast<LRESULT>(BrushHandle());
}

void TWinControl::WMEraseBkgnd(TMessage& Message) {
  HDC dc = reinterpret_cast<HDC>(Message.WParam);
  TRect r = GetClientRect();
  FillRect(dc, &r, BrushHandle());
  Message.Result = 1;
}

void TWinControl::PaintTo(HDC DC, Integer X, Integer Y) {
  TScopeExit restore([DC, level = SaveDC(DC)] { RestoreDC(DC, level); });
  OffsetViewportOrgEx(DC, X, Y, nullptr);
  TRect r = GetClientRect();
  IntersectClipRect(DC, 0, 0, r.Right, r.Bottom);
  Perform(WM_ERASEBKGND, WPARAM(DC), 0);
  Perform(WM_PAINT, WPARAM(DC), 0);
  for (TWinControl* c : FWinControls)
    if (c->FVisible) c->PaintTo(DC, c->FLeft, c->FTop);
}

// ---- Messages -----------------------------------------------------------------------------

bool TWinControl::IsControlMouseMsg(TMessage& Message) {
  TControl* target = nullptr;
  TControl* capture = GetCaptureControl();
  TPoint p{GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)};
  if (FHandle && GetCapture() == FHandle) {
    if (capture && capture != this && capture->FParent == this) target = capture;
  } else {
    target = ControlAtPos(p, false);
  }
  if (!target) return false;
  Message.Result =
      target->Perform(Message.Msg, Message.WParam, MAKELPARAM(WORD(p.X - target->FLeft), WORD(p.Y - target->FTop)));
  return true;
}

void TWinControl::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_SETFOCUS: {
      TCustomForm* form = GetParentForm(this);
      TWeakLink self(this);  // an OnEnter or OnExit handler may free the control
      if (form && !form->SetFocusedControl(this)) return;
      if (!self.Alive()) return;
      break;
    }
    case WM_KILLFOCUS:
      if (FControlState.Contains(csFocusing)) return;
      break;
    case WM_MOUSEMOVE:
      if (Application) {
        // Entering or leaving runs handlers that may free this control.
        TWeakLink self(this);
        Application->TrackMouse();
        if (!self.Alive()) return;
      }
      if (FHandle) {
        TRACKMOUSEEVENT tme;
        tme.dwFlags = TME_LEAVE;
        tme.hwndTrack = FHandle;
        TrackMouseEvent(&tme);
      }
      if (IsControlMouseMsg(Message)) return;
      break;
    case WM_LBUTTONDOWN: case WM_LBUTTONUP: case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN: case WM_RBUTTONUP: case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN: case WM_MBUTTONUP: case WM_MBUTTONDBLCLK:
      if (IsControlMouseMsg(Message)) return;
      break;
    case WM_KEYDOWN: case WM_SYSKEYDOWN: case WM_KEYUP: case WM_SYSKEYUP: case WM_CHAR:
      if (Dragging()) return;
      break;
    case WM_CANCELMODE:
      if (FHandle && GetCapture() == FHandle) {
        TControl* capture = GetCaptureControl();
        if (capture && capture != this && capture->FParent == this) capture->Perform(WM_CANCELMODE);
      }
      break;
    default:
      break;
  }
  inherited::WndProc(Message);
}

void TWinControl::DefaultHandler(TMessage& Message) {
  UINT msg = Message.Msg;
  if (!FHandle) {
    TControl::DefaultHandler(Message);
    return;
  }
  if (msg >= CM_BASE) return;  // the class library's own messages mean nothing to the platform
  switch (msg) {
    case WM_CTLCOLORMSGBOX: case WM_CTLCOLOREDIT: case WM_CTLCOLORLISTBOX: case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG: case WM_CTLCOLORSCROLLBAR: case WM_CTLCOLORSTATIC:
    case WM_COMMAND: case WM_HSCROLL: case WM_VSCROLL: {
      HWND child = reinterpret_cast<HWND>(Message.LParam);
      if (child && child != FHandle && FindControl(child)) {
        Message.Result = SendMessageA(child, CN_BASE + msg, Message.WParam, Message.LParam);
        return;
      }
      break;
    }
    case WM_DRAWITEM: {
      auto* d = reinterpret_cast<DRAWITEMSTRUCT*>(Message.LParam);
      if (d && d->CtlType != ODT_MENU && d->hwndItem != FHandle && FindControl(d->hwndItem)) {
        Message.Result = SendMessageA(d->hwndItem, CN_DRAWITEM, Message.WParam, Message.LParam);
        return;
      }
      break;
    }
    case WM_MEASUREITEM: {
      auto* m = reinterpret_cast<MEASUREITEMSTRUCT*>(Message.LParam);
      if (m && m->CtlType != ODT_MENU && m->CtlID != 0)
        for (TWinControl* c : FWinControls)
          if (c->FHandle && UINT(GetWindowLongA(c->FHandle, GWL_ID)) == m->CtlID) {
            Message.Result = SendMessageA(c->FHandle, CN_MEASUREITEM, Message.WParam, Message.LParam);
            return;
          }
      break;
    }
    case WM_SETTEXT:
      TControl::DefaultHandler(Message);
      break;
    default:
      break;
  }
  Message.Result = CallWindowProcA(FDefWndProc, FHandle, msg, Message.WParam, Message.LParam);
}

void TWinControl::WMWindowPosChanged(TMessage& Message) {
  TWeakLink self(this);
  TL_INHERITED(Message);
  if (!self.Alive()) return;
  Integer w = FWidth, h = FHeight;
  UpdateBounds();
  if (w != FWidth || h != FHeight) {
    Realign();
    if (self.Alive()) Resize();
  }
}


void TWinControl::WMSetCursor(TMessage& Message) {
  if (reinterpret_cast<HWND>(Message.WParam) == FHandle && LOWORD(uintptr_t(Message.LParam)) == HTCLIENT && Screen) {
    TCursor cursor = Screen->GetCursor();
    if (cursor == crDefault) {
      TPoint p;
      GetCursorPos(&p);
      TControl* c = ControlAtPos(ScreenToClient(p), false);
      cursor = c && c->FCursor != crDefault ? c->FCursor : FCursor;
    }
    if (cursor != crDefault) {
      ::SetCursor(Screen->Cursors(cursor));
      Message.Result = 1;
      return;
    }
  }
  TL_INHERITED(Message);
}

void TWinControl::WMNCDestroy(TMessage& Message) {
  TL_INHERITED(Message);
  if (FHandle) {
    HandleMap().erase(FHandle);
    FHandle = nullptr;
  }
}

void TWinControl::WMSysColorChange(TMessage& Message) {
  TL_INHERITED(Message);
  Perform(CM_SYSCOLORCHANGE);
}

void TWinControl::WMSettingChange(TMessage& Message) {
  TL_INHERITED(Message);
  Perform(CM_WININICHANGE, Message.WParam, Message.LParam);
}

void TWinControl::WMMouseLeave(TMessage& Message) {
  TL_INHERITED(Message);
  if (Application) Application->TrackMouse();
}

void TWinControl::CMVisibleChanged(TMessage& Message) {
  (void)Message;
  if (InState(csLoading)) return;  // shown once the description is read
  if (!FVisible && FParent) RemoveFocus(false);
  if (FParent && !FParent->FHandle) return;
  if (!FParent && !FParentWindow && !dynamic_cast<TCustomForm*>(this)) return;
  if (FVisible || FHandle) {
    HandleNeeded();
    Perform(CM_SHOWINGCHANGED);
  }
}

void TWinControl::CMShowingChanged(TMessage&) {
  if (FHandle) ShowWindow(FHandle, FVisible ? SW_SHOWNOACTIVATE : SW_HIDE);
}

void TWinControl::CMColorChanged(TMessage&) {
  Invalidate();
  for (Integer i = 0; i < ControlCount(); ++i) Controls(i)->Perform(CM_PARENTCOLORCHANGED);
}

void TWinControl::CMFontChanged(TMessage&) {
  // A platform control draws its text with the font it is given.
  if (FHandle && FDefWndProc != DefWindowProcToken())
    SendMessageA(FHandle, WM_SETFONT, WPARAM(FFont->GetHandle()), 0);
  Invalidate();
  for (Integer i = 0; i < ControlCount(); ++i) Controls(i)->Perform(CM_PARENTFONTCHANGED);
}


void TWinControl::CMSysColorChange(TMessage& Message) {
  Invalidate();
  Broadcast(Message);
  Message.Result = 0;
}

void TWinControl::CMWinIniChange(TMessage& Message) {
  Broadcast(Message);
  Message.Result = 0;
}

void TWinControl::CMRecreateWnd(TMessage&) { RecreateWnd(); }

TL_MESSAGES(TWinControl,
            TL_ON(WM_PAINT, WMPaint),
            TL_ON(WM_ERASEBKGND, WMEraseBkgnd),
            TL_ON(WM_WINDOWPOSCHANGED, WMWindowPosChanged),
            TL_ON(WM_KEYDOWN, WMKeyDown),
            TL_ON(WM_SYSKEYDOWN, WMKeyDown),
            TL_ON(WM_KEYUP, WMKeyUp),
            TL_ON(WM_SYSKEYUP, WMKeyUp),
            TL_ON(WM_CHAR, WMChar),
            TL_ON(WM_SETCURSOR, WMSetCursor),
            TL_ON(WM_NCDESTROY, WMNCDestroy),
            TL_ON(WM_SYSCOLORCHANGE, WMSysColorChange),
            TL_ON(WM_SETTINGCHANGE, WMSettingChange),
            TL_ON(WM_MOUSELEAVE, WMMouseLeave),
            TL_ON(CN_KEYDOWN, CNKeyDown),
            TL_ON(CN_SYSKEYDOWN, CNKeyDown),
            TL_ON(CN_CHAR, CNChar),
            TL_ON(CN_CTLCOLOREDIT, CNCtlColor),
            TL_ON(CN_CTLCOLORLISTBOX, CNCtlColor),
            TL_ON(CN_CTLCOLORBTN, CNCtlColor),
            TL_ON(CN_CTLCOLORSTATIC, CNCtlColor),
            TL_ON(CN_CTLCOLORSCROLLBAR, CNCtlColor),
            TL_ON(CM_DIALOGKEY, CMDialogKey),
            TL_ON(CM_DIALOGCHAR, CMDialogChar),
            TL_ON(CM_ENTER, CMEnter),
            TL_ON(CM_EXIT, CMExit),
            TL_ON(CM_VISIBLECHANGED, CMVisibleChanged),
            TL_ON(CM_ENABLEDCHANGED, CMEnabledChanged),
            TL_ON(CM_SHOWINGCHANGED, CMShowingChanged),
            TL_ON(CM_COLORCHANGED, CMColorChanged),
            TL_ON(CM_FONTCHANGED, CMFontChanged),
            TL_ON(CM_SYSCOLORCHANGE, CMSysColorChange),
            TL_ON(CM_WININICHANGE, CMWinIniChange),
            TL_ON(CM_RECREATEWND, CMRecreateWnd))

TL_DEFINE_CLASS(TWinControl, [](auto& c) {
  c.Property("TabOrder", &TWinControl::GetTabOrder, &TWinControl::SetTabOrder).Default(-1);
  c.Property("TabStop", &TWinControl::GetTabStop, &TWinControl::SetTabStop).Default(false);
  c.Property("ImeMode", &TWinControl::GetImeMode, &TWinControl::SetImeMode).Default(TImeMode::imDontCare);
  c.Property("ImeName", &TWinControl::GetImeName, &TWinControl::SetImeName);
  c.Event("OnKeyDown", &TWinControl::OnKeyDown);
  c.Event("OnKeyPress", &TWinControl::OnKeyPress);
  c.Event("OnKeyUp", &TWinControl::OnKeyUp);
  c.Event("OnEnter", &TWinControl::OnEnter);
  c.Event("OnExit", &TWinControl::OnExit);
  c.Property("DockSite", &TWinControl::GetDockSite, &TWinControl::SetDockSite).Default(false);
  c.Property("UseDockManager", &TWinControl::GetUseDockManager, &TWinControl::SetUseDockManager).Default(false);
  c.Event("OnDockOver", &TWinControl::OnDockOver);
  c.Event("OnAlignPosition", &TWinControl::OnAlignPosition);
  c.Event("OnDockDrop", &TWinControl::OnDockDrop);
  c.Event("OnUnDock", &TWinControl::OnUnDock);
  c.Event("OnGetSiteInfo", &TWinControl::OnGetSiteInfo);
})

// ---- Painted controls ---------------------------------------------------------------------


TCustomControl::TCustomControl(TComponent* AOwner) : TWinControl(AOwner) { FCanvas = NewControlCanvas(this); }

void TCustomControl::BeforeDestruction() {
  FreeControlCanvas(FCanvas);  // its window DC goes back before the window does
  inherited::BeforeDestruction();
}

void TCustomControl::PaintWindow(HDC DC) {
  TControlCanvasPaint paint(FCanvas, FPaintDC, DC);
  Paint();
}

TL_DEFINE_CLASS(TCustomControl)

TGraphicControl::TGraphicControl(TComponent* AOwner) : TControl(AOwner) { FCanvas = NewControlCanvas(this); }

void TGraphicControl::BeforeDestruction() {
  FreeControlCanvas(FCanvas);
  inherited::BeforeDestruction();
}

void TGraphicControl::WMPaint(TMessage& Message) {
  HDC dc = reinterpret_cast<HDC>(Message.WParam);
  if (!dc) return;
  TControlCanvasPaint paint(FCanvas, FPaintDC, dc);
  Paint();
}

TL_MESSAGES(TGraphicControl, TL_ON(WM_PAINT, WMPaint))
TL_DEFINE_CLASS(TGraphicControl)
