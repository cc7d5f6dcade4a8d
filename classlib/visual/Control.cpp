// TControl: geometry, state notifications, text, mouse messages and dispatch.
#include "classlib/core/Filer.h"
#include "classlib/core/ScopeGuards.h"
#include "classlib/visual/Controls.h"
#include "classlib/visual/Forms.h"
#include "classlib/visual/Menus.h"
#include "platform/gdi/Gdi.h"
#include "platform/kernel/Arith.h"

#include <algorithm>

using enum TControlStyleItem;
using enum TControlStateItem;
using enum TComponentStateItem;
using enum TShiftStateItem;

TShiftState KeysToShiftState(WPARAM Keys) {
  TShiftState s;
  if (Keys & MK_SHIFT) s.Include(ssShift);
  if (Keys & MK_CONTROL) s.Include(ssCtrl);
  if (Keys & MK_LBUTTON) s.Include(ssLeft);
  if (Keys & MK_RBUTTON) s.Include(ssRight);
  if (Keys & MK_MBUTTON) s.Include(ssMiddle);
  if (GetKeyState(VK_MENU) < 0) s.Include(ssAlt);
  return s;
}

TShiftState KeyboardStateToShiftState() {
  TShiftState s;
  if (GetKeyState(VK_SHIFT) < 0) s.Include(ssShift);
  if (GetKeyState(VK_CONTROL) < 0) s.Include(ssCtrl);
  if (GetKeyState(VK_MENU) < 0) s.Include(ssAlt);
  if (GetKeyState(VK_LBUTTON) < 0) s.Include(ssLeft);
  if (GetKeyState(VK_RBUTTON) < 0) s.Include(ssRight);
  if (GetKeyState(VK_MBUTTON) < 0) s.Include(ssMiddle);
  return s;
}

TShiftState KeyDataToShiftState(LPARAM KeyData) {
  TShiftState s;
  if (GetKeyState(VK_SHIFT) < 0) s.Include(ssShift);
  if (GetKeyState(VK_CONTROL) < 0) s.Include(ssCtrl);
  if (KeyData & 0x20000000) s.Include(ssAlt);
  return s;
}

// ---- Control canvases ---------------------------------------------------------------------

namespace {
std::vector<TControlCanvas*>& ControlCanvases() {
  static std::vector<TControlCanvas*> list;
  return list;
}
}  // namespace

void RegisterControlCanvas(TControlCanvas* Canvas) { ControlCanvases().push_back(Canvas); }

void UnregisterControlCanvas(TControlCanvas* Canvas) { std::erase(ControlCanvases(), Canvas); }

void FreeDeviceContexts() {
  for (TControlCanvas* c : ControlCanvases())
    if (c->LockCount() == 0) c->FreeHandle();
}

TControlCanvas* NewControlCanvas(TControl* Control) {
  TControlCanvas* c = New<TControlCanvas>();
  c->SetControl(Control);
  RegisterControlCanvas(c);
  return c;
}

void FreeControlCanvas(TControlCanvas*& Canvas) {
  if (!Canvas) return;
  UnregisterControlCanvas(Canvas);
  FreeAndNil(Canvas);
}

// ---- TSizeConstraints -----------------------------------------------------------------------

void TSizeConstraints::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TSizeConstraints*>(Source);
  if (!src) {
    inherited::Assign(Source);
    return;
  }
  FMaxHeight = src->FMaxHeight;
  FMaxWidth = src->FMaxWidth;
  FMinHeight = src->FMinHeight;
  FMinWidth = src->FMinWidth;
  Change();
}

TPersistent* TSizeConstraints::GetOwner() const { return FControl; }

void TSizeConstraints::SetMaxHeight(Integer Value) {
  Value = std::max<Integer>(Value, 0);
  if (Value == FMaxHeight) return;
  FMaxHeight = Value;
  if (Value > 0 && FMinHeight > Value) FMinHeight = Value;
  Change();
}

void TSizeConstraints::SetMaxWidth(Integer Value) {
  Value = std::max<Integer>(Value, 0);
  if (Value == FMaxWidth) return;
  FMaxWidth = Value;
  if (Value > 0 && FMinWidth > Value) FMinWidth = Value;
  Change();
}

void TSizeConstraints::SetMinHeight(Integer Value) {
  Value = std::max<Integer>(Value, 0);
  if (Value == FMinHeight) return;
  FMinHeight = Value;
  if (FMaxHeight > 0 && Value > FMaxHeight) FMaxHeight = Value;
  Change();
}

void TSizeConstraints::SetMinWidth(Integer Value) {
  Value = std::max<Integer>(Value, 0);
  if (Value == FMinWidth) return;
  FMinWidth = Value;
  if (FMaxWidth > 0 && Value > FMaxWidth) FMaxWidth = Value;
  Change();
}

void TSizeConstraints::Apply(Integer& Width, Integer& Height) const {
  if (FMaxWidth > 0) Width = std::min(Width, FMaxWidth);
  if (FMaxHeight > 0) Height = std::min(Height, FMaxHeight);
  Width = std::max(Width, FMinWidth);
  Height = std::max(Height, FMinHeight);
}

void TSizeConstraints::Change() {
  if (OnChange) OnChange(this);
}

TL_DEFINE_CLASS(TSizeConstraints, [](auto& c) {
  c.Property("MaxHeight", &TSizeConstraints::GetMaxHeight, &TSizeConstraints::SetMaxHeight).Default(0);
  c.Property("MaxWidth", &TSizeConstraints::GetMaxWidth, &TSizeConstraints::SetMaxWidth).Default(0);
  c.Property("MinHeight", &TSizeConstraints::GetMinHeight, &TSizeConstraints::SetMinHeight).Default(0);
  c.Property("MinWidth", &TSizeConstraints::GetMinWidth, &TSizeConstraints::SetMinWidth).Default(0);
})

// ---- TControl -----------------------------------------------------------------------------

TControl::TControl(TComponent* AOwner) : TComponent(AOwner) {
  FWindowProc = TWndMethod(this, &TControl::WndProc);
  FControlStyle = {csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
  FFont = New<TFont>();
  FFont->OnChange = TNotifyEvent(this, &TControl::FontChanged);
  FConstraints = New<TSizeConstraints>(this);
  FConstraints->OnChange = TNotifyEvent(this, &TControl::ConstraintsChanged);
}

TControl::~TControl() {
  if (FFont) {
    FFont->OnChange = nullptr;
    FFont->Free();
  }
  if (FConstraints) FConstraints->Free();
}

void TControl::ConstraintsChanged(TObject*) {
  if (!InState(csLoading)) SetBounds(FLeft, FTop, FWidth, FHeight);
}

void TControl::SetCtl3D(bool Value) {
  FParentCtl3D = false;
  if (FCtl3D == Value) return;
  FCtl3D = Value;
  SpreadToChildren(&TControl::FParentCtl3D, &TControl::FCtl3D);
  Invalidate();
}

void TControl::SetParentCtl3D(bool Value) {
  FParentCtl3D = Value;
  if (Value && FParent && FParent->FCtl3D != FCtl3D) {
    FCtl3D = FParent->FCtl3D;
    SpreadToChildren(&TControl::FParentCtl3D, &TControl::FCtl3D);
    Invalidate();
  }
}

void TControl::SetShowHint(bool Value) {
  FParentShowHint = false;
  if (FShowHint == Value) return;
  FShowHint = Value;
  SpreadToChildren(&TControl::FParentShowHint, &TControl::FShowHint);
}

void TControl::SetParentShowHint(bool Value) {
  FParentShowHint = Value;
  if (Value && FParent && FParent->FShowHint != FShowHint) {
    FShowHint = FParent->FShowHint;
    SpreadToChildren(&TControl::FParentShowHint, &TControl::FShowHint);
  }
}

void TControl::SpreadToChildren(bool TControl::*ParentFlag, bool TControl::*Value) {
  auto* w = dynamic_cast<TWinControl*>(this);
  if (!w) return;
  for (Integer i = 0; i < w->ControlCount(); ++i) {
    TControl* c = w->Controls(i);
    if (!(c->*ParentFlag) || c->*Value == this->*Value) continue;
    c->*Value = this->*Value;
    if (Value == &TControl::FCtl3D) c->Invalidate();
    c->SpreadToChildren(ParentFlag, Value);
  }
}

void TControl::SetFont(TFont* Value) {
  if (Value && Value != FFont) FFont->Assign(Value);
}

void TControl::FontChanged(TObject*) {
  FParentFont = false;
  Perform(CM_FONTCHANGED);
}

void TControl::BeforeDestruction() {
  SetAction(nullptr);
  if (Application) Application->ControlDestroyed(this);
  CaptureControlDestroyed(this);
  if (Dragging()) CancelDrag();
  DragTargetDestroyed(this);
  if (FParent) {
    try {
      FParent->RemoveControl(this);
    } catch (...) {
      // Leaving the parent never stops the destruction.
    }
  }
  inherited::BeforeDestruction();
}

void TControl::SetParent(TWinControl* AParent) {
  if (FParent == AParent) return;
  if (AParent == this) throw EInvalidOperation("A control cannot have itself as its parent");
  for (TWinControl* p = AParent; p; p = p->FParent)
    if (p == this) throw EInvalidOperation("A control cannot be a child of its own child");
  // The parents' handlers and this control's own, run as it moves (a resize, say), may
  // free it.
  TWeakLink self(this);
  if (FParent) FParent->RemoveControl(this);
  if (!self.Alive()) return;
  if (AParent) AParent->InsertControl(this);
  if (!self.Alive()) return;
  if (FParent) {
    if (FParentCtl3D) FCtl3D = FParent->FCtl3D;
    if (FParentShowHint) FShowHint = FParent->FShowHint;
  }
}

TComponent* TControl::GetParentComponent() const { return FParent; }

void TControl::SetParentComponent(TComponent* Value) {
  if (auto* w = dynamic_cast<TWinControl*>(Value)) SetParent(w);
}

void TControl::ReadState(TReader& Reader) {
  FControlState.Include(csReadingState);
  if (auto* w = dynamic_cast<TWinControl*>(Reader.Parent()); w && w != this) SetParent(w);
  TScopeExit reading([this] { FControlState.Exclude(csReadingState); });
  inherited::ReadState(Reader);
}

void TControl::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) {
  AWidth = std::max<Integer>(AWidth, 0);
  AHeight = std::max<Integer>(AHeight, 0);
  FConstraints->Apply(AWidth, AHeight);
  ClampBounds(ALeft, ATop, AWidth, AHeight);
  if (ALeft == FLeft && ATop == FTop && AWidth == FWidth && AHeight == FHeight) return;
  InvalidateControl(FVisible, false);
  FLeft = ALeft;
  FTop = ATop;
  FWidth = AWidth;
  FHeight = AHeight;
  UpdateAnchorRules();
  Invalidate();
  TWeakLink self(this);  // the parent's alignment may resize this control, whose handler may free it
  RequestAlign();
  if (self.Alive()) Resize();
}

TRect TControl::GetClientRect() const { return {0, 0, FWidth, FHeight}; }

void TControl::ClampBounds(Integer& ALeft, Integer& ATop, Integer& AWidth, Integer& AHeight) {
  ALeft = std::clamp(ALeft, -kMaxControlCoord, kMaxControlCoord);
  ATop = std::clamp(ATop, -kMaxControlCoord, kMaxControlCoord);
  AWidth = std::clamp(AWidth, 0, kMaxControlCoord);
  AHeight = std::clamp(AHeight, 0, kMaxControlCoord);
}

// Sums saturate: a deep chain of far-placed parents may pass the integer range.
TPoint TControl::ClientOrigin() const {
  if (!FParent) return {FLeft, FTop};
  TPoint p = FParent->ClientOrigin();
  return {Saturate32(Int64(p.X) + FLeft), Saturate32(Int64(p.Y) + FTop)};
}

TPoint TControl::ClientToScreen(const TPoint& Point) const {
  TPoint o = ClientOrigin();
  return {Saturate32(Int64(Point.X) + o.X), Saturate32(Int64(Point.Y) + o.Y)};
}

TPoint TControl::ScreenToClient(const TPoint& Point) const {
  TPoint o = ClientOrigin();
  return {Saturate32(Int64(Point.X) - o.X), Saturate32(Int64(Point.Y) - o.Y)};
}

// Edges are scaled, not sizes, so that neighbours stay flush. A ratio that is not positive
// would collapse or mirror the control: it is ignored.
void TControl::ChangeScale(Integer M, Integer D) {
  if (M == D || M <= 0 || D <= 0) return;
  const Integer left = MulDiv(FLeft, M, D), top = MulDiv(FTop, M, D);
  const Integer width = MulDiv(FLeft + FWidth, M, D) - left, height = MulDiv(FTop + FHeight, M, D) - top;
  SetBounds(left, top, width, height);
  if (!FParentFont) {
    FFont->SetSize(MulDiv(FFont->GetSize(), M, D));
    FParentFont = false;
  }
}

void TControl::SetClientSize(Integer AWidth, Integer AHeight) {
  TRect r = GetClientRect();
  SetBounds(FLeft, FTop, FWidth - r.Right + AWidth, FHeight - r.Bottom + AHeight);
}

void TControl::SetAlign(TAlign Value) {
  if (FAlign == Value) return;
  TAlign old = FAlign;
  FAlign = Value;
  // Leaving alignment keeps the bounds the layout gave.
  if (old != TAlign::alNone || Value != TAlign::alNone) RequestAlign();
}

void TControl::SetAnchors(TAnchors Value) {
  if (FAnchors == Value) return;
  FAnchors = Value;
  UpdateAnchorRules();
}

void TControl::UpdateAnchorRules() {
  if (!FParent || FAnchoring || InState(csLoading)) return;
  TRect c = FParent->GetClientRect();
  FAnchorRules = {FLeft, FTop, c.Right - (FLeft + FWidth), c.Bottom - (FTop + FHeight)};
}

void TControl::Loaded() {
  inherited::Loaded();
  if (TBasicAction* action = GetAction()) ActionChange(action, true);
  // The size may have been read before the constraints that limit it.
  SetBounds(FLeft, FTop, FWidth, FHeight);
  UpdateAnchorRules();
  RequestAlign();
}

void TControl::RequestAlign() {
  if (FParent && !InState(csLoading) && !FParent->InState(csDestroying)) FParent->AlignControls(this, FParent->GetClientRect());
}

void TControl::SetVisible(bool Value) {
  if (FVisible == Value) return;
  FVisible = Value;
  Perform(CM_VISIBLECHANGED, WPARAM(Value), 0);
  RequestAlign();
}

bool TControl::Showing() const { return FVisible && FParent && FParent->Showing(); }

void TControl::SetEnabled(bool Value) {
  if (FEnabled == Value) return;
  FEnabled = Value;
  Perform(CM_ENABLEDCHANGED);
}

String TControl::GetText() const {
  auto* self = const_cast<TControl*>(this);
  LRESULT len = self->Perform(WM_GETTEXTLENGTH);
  if (len <= 0) return {};
  String s(size_t(len) + 1, '\0');
  LRESULT got = self->Perform(WM_GETTEXT, WPARAM(s.size()), LPARAM(s.data()));
  s.resize(size_t(std::clamp<LRESULT>(got, 0, len)));
  return s;
}

void TControl::SetText(const String& Value) {
  if (GetText() == Value) return;
  String copy = Value;  // the control may still read the text while it changes
  TWeakLink self(this);  // a handler of the new text may free the control
  Perform(WM_SETTEXT, 0, LPARAM(copy.c_str()));
  if (self.Alive()) Perform(CM_TEXTCHANGED);
}

void TControl::SetColor(TColor Value) {
  if (FColor == Value) return;
  FColor = Value;
  FParentColor = false;
  Perform(CM_COLORCHANGED);
}

void TControl::SetParentColor(bool Value) {
  if (FParentColor == Value) return;
  FParentColor = Value;
  if (FParent && Value) Perform(CM_PARENTCOLORCHANGED);
}

void TControl::SetParentFont(bool Value) {
  if (FParentFont == Value) return;
  FParentFont = Value;
  if (FParent && Value) Perform(CM_PARENTFONTCHANGED);
}

void TControl::SetCursor(TCursor Value) {
  if (FCursor == Value) return;
  FCursor = Value;
  Perform(CM_CURSORCHANGED);
}

LRESULT TControl::Perform(UINT Msg, WPARAM WParam, LPARAM LParam) {
  TMessage m{Msg, WParam, LParam, 0};
  FWindowProc(m);
  return m.Result;
}

void TControl::InvalidateControl(bool IsVisible, bool IsOpaque) {
  if (!FParent || !FParent->HandleAllocated() || !IsVisible) return;
  if (dynamic_cast<TWinControl*>(this)) return;
  TRect r = GetBoundsRect();
  InvalidateRect(FParent->FHandle, &r, !(IsOpaque || FControlStyle.Contains(csOpaque)));
}

void TControl::Invalidate() { InvalidateControl(FVisible, FControlStyle.Contains(csOpaque)); }

void TControl::Update() {
  if (FParent) FParent->Update();
}

void TControl::Repaint() {
  if (!FVisible || !FParent || !FParent->HandleAllocated()) return;
  Invalidate();
  FParent->Update();
}

void TControl::SetZOrder(bool TopMost) {
  if (!FParent) return;
  auto& list = FParent->FControls;
  auto it = std::find(list.begin(), list.end(), this);
  if (it == list.end()) return;
  list.erase(it);
  if (TopMost)
    list.push_back(this);
  else
    list.insert(list.begin(), this);
  Invalidate();
}

bool TControl::GetMouseCapture() const { return GetCaptureControl() == this; }

void TControl::SetMouseCapture(bool Value) {
  if (GetMouseCapture() == Value) return;
  SetCaptureControl(Value ? this : nullptr);
}


void TControl::DblClick() {
  if (OnDblClick) OnDblClick(this);
}

void TControl::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
}

void TControl::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  if (OnMouseMove) OnMouseMove(this, Shift, X, Y);
}

void TControl::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  if (OnMouseUp) OnMouseUp(this, Button, Shift, X, Y);
}

void TControl::Resize() {
  if (OnResize) OnResize(this);
}

void TControl::MouseWheelHandler(TMessage& Message) {
  TCustomForm* form = GetParentForm(this);
  if (form && form != this)
    form->MouseWheelHandler(Message);
  else
    Message.Result = Perform(CM_MOUSEWHEEL, Message.WParam, Message.LParam);
}

// A wheel handler that frees the control spends the turn: nothing reads the control after it.
bool TControl::DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) {
  bool handled = false;
  TWeakLink self(this);
  if (OnMouseWheel) OnMouseWheel(this, Shift, WheelDelta, MousePos, handled);
  if (!self.Alive()) return true;
  if (handled) return true;
  FWheelAccumulator += WheelDelta;
  while (FWheelAccumulator >= WHEEL_DELTA || FWheelAccumulator <= -WHEEL_DELTA) {
    bool down = FWheelAccumulator < 0;
    FWheelAccumulator += down ? WHEEL_DELTA : -WHEEL_DELTA;
    handled = (down ? DoMouseWheelDown(Shift, MousePos) : DoMouseWheelUp(Shift, MousePos)) || handled;
    if (!self.Alive()) return true;
  }
  return handled;
}

// As for the turn as a whole: a handler that frees the control spends it, so the overrides
// that scroll when it is not handled never read the control after it.
bool TControl::DoMouseWheelDown(TShiftState Shift, TPoint MousePos) {
  bool handled = false;
  if (!OnMouseWheelDown) return false;
  TWeakLink self(this);
  OnMouseWheelDown(this, Shift, MousePos, handled);
  return handled || !self.Alive();
}

bool TControl::DoMouseWheelUp(TShiftState Shift, TPoint MousePos) {
  bool handled = false;
  if (!OnMouseWheelUp) return false;
  TWeakLink self(this);
  OnMouseWheelUp(this, Shift, MousePos, handled);
  return handled || !self.Alive();
}

void TControl::WMMouseWheel(TMessage& Message) { MouseWheelHandler(Message); }

void TControl::CMMouseWheel(TMessage& Message) {
  TShiftState shift = KeysToShiftState(LOWORD(Message.WParam));
  Integer delta = SHORT(HIWORD(Message.WParam));
  TPoint pos{GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)};
  TWeakLink self(this);
  if (DoMouseWheel(shift, delta, pos) || !self.Alive())
    Message.Result = 1;
  else
    Message.Result = FParent ? FParent->Perform(CM_MOUSEWHEEL, Message.WParam, Message.LParam) : 0;
}

void TControl::WndProc(TMessage& Message) {
  UINT msg = Message.Msg;
  if (msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST && msg != WM_MOUSEWHEEL) {
    if (!FControlStyle.Contains(csDoubleClicks)) {
      if (msg == WM_LBUTTONDBLCLK || msg == WM_RBUTTONDBLCLK || msg == WM_MBUTTONDBLCLK)
        Message.Msg = msg = msg - (WM_LBUTTONDBLCLK - WM_LBUTTONDOWN);
    }
    if (msg == WM_LBUTTONDOWN || msg == WM_LBUTTONDBLCLK) {
      if (FDragMode == TDragMode::dmAutomatic && !InState(csDesigning)) {
        BeginDrag(false);
        return;
      }
      FControlState.Include(csLButtonDown);
    } else if (msg == WM_LBUTTONUP) {
      FControlState.Exclude(csLButtonDown);
    } else if (msg == WM_MOUSEMOVE && Application) {
      Application->HintMouseMessage(this, Message);
    }
  }
  Dispatch(Message);
}

void TControl::DefaultHandler(TMessage& Message) {
  switch (Message.Msg) {
    case WM_GETTEXT: {
      auto* buf = reinterpret_cast<char*>(Message.LParam);
      size_t cap = size_t(Message.WParam);
      if (!buf || cap == 0) {
        Message.Result = 0;
        return;
      }
      size_t n = std::min(FText.size(), cap - 1);
      std::copy_n(FText.data(), n, buf);
      buf[n] = '\0';
      Message.Result = LRESULT(n);
      return;
    }
    case WM_GETTEXTLENGTH:
      Message.Result = LRESULT(FText.size());
      return;
    case WM_SETTEXT:
      FText = Message.LParam ? String(reinterpret_cast<const char*>(Message.LParam)) : String();
      Message.Result = 1;
      return;
    default:
      break;
  }
}

void TControl::DoMouseDown(TMessage& Message, TMouseButton Button, TShiftState Shift) {
  MouseDown(Button, KeysToShiftState(Message.WParam) + Shift, GET_X_LPARAM(Message.LParam),
            GET_Y_LPARAM(Message.LParam));
}

void TControl::DoMouseUp(TMessage& Message, TMouseButton Button) {
  MouseUp(Button, KeysToShiftState(Message.WParam), GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam));
}

// The mouse messages: the default handling (a platform control's focus and notifications)
// and each handler may free the control; every later step runs only while it lives.
void TControl::WMLButtonDown(TMessage& Message) {
  TWeakLink self(this);
  TL_INHERITED(Message);
  if (!self.Alive()) return;
  if (FControlStyle.Contains(csCaptureMouse)) SetMouseCapture(true);
  if (FControlStyle.Contains(csClickEvents)) FControlState.Include(csClicked);
  DoMouseDown(Message, TMouseButton::mbLeft, {});
}

void TControl::WMRButtonDown(TMessage& Message) {
  TWeakLink self(this);
  TL_INHERITED(Message);
  if (self.Alive()) DoMouseDown(Message, TMouseButton::mbRight, {});
}

void TControl::WMMButtonDown(TMessage& Message) {
  TWeakLink self(this);
  TL_INHERITED(Message);
  if (self.Alive()) DoMouseDown(Message, TMouseButton::mbMiddle, {});
}

void TControl::WMLButtonDblClk(TMessage& Message) {
  TWeakLink self(this);
  TL_INHERITED(Message);
  if (!self.Alive()) return;
  if (FControlStyle.Contains(csCaptureMouse)) SetMouseCapture(true);
  if (FControlStyle.Contains(csClickEvents)) DblClick();
  if (self.Alive()) DoMouseDown(Message, TMouseButton::mbLeft, {ssDouble});
}

void TControl::WMRButtonDblClk(TMessage& Message) {
  TWeakLink self(this);
  TL_INHERITED(Message);
  if (self.Alive()) DoMouseDown(Message, TMouseButton::mbRight, {ssDouble});
}

void TControl::WMMButtonDblClk(TMessage& Message) {
  TWeakLink self(this);
  TL_INHERITED(Message);
  if (self.Alive()) DoMouseDown(Message, TMouseButton::mbMiddle, {ssDouble});
}

void TControl::WMLButtonUp(TMessage& Message) {
  TWeakLink self(this);
  TL_INHERITED(Message);
  if (!self.Alive()) return;
  if (FControlStyle.Contains(csCaptureMouse)) SetMouseCapture(false);
  if (FControlState.Contains(csClicked)) {
    FControlState.Exclude(csClicked);
    TPoint p{GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)};
    TRect r = GetClientRect();
    if (p.X >= r.Left && p.X < r.Right && p.Y >= r.Top && p.Y < r.Bottom) Click();
  }
  if (self.Alive()) DoMouseUp(Message, TMouseButton::mbLeft);
}

void TControl::WMRButtonUp(TMessage& Message) {
  TWeakLink self(this);
  TL_INHERITED(Message);
  if (self.Alive()) DoMouseUp(Message, TMouseButton::mbRight);
  // A window gets WM_CONTEXTMENU from its default handling; a graphic control asks here.
  if (self.Alive() && !dynamic_cast<TWinControl*>(this) && !InState(csDestroying)) {
    TPoint s = ClientToScreen(TPoint{GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)});
    Perform(WM_CONTEXTMENU, 0, MAKELPARAM(WORD(s.X), WORD(s.Y)));
  }
}

void TControl::WMMButtonUp(TMessage& Message) {
  TWeakLink self(this);
  TL_INHERITED(Message);
  if (self.Alive()) DoMouseUp(Message, TMouseButton::mbMiddle);
}

void TControl::WMMouseMove(TMessage& Message) {
  TWeakLink self(this);
  TL_INHERITED(Message);
  if (self.Alive()) MouseMove(KeysToShiftState(Message.WParam), GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam));
}

void TControl::WMCancelMode(TMessage& Message) {
  TWeakLink self(this);
  TL_INHERITED(Message);
  if (self.Alive() && GetMouseCapture()) {
    SetMouseCapture(false);
    if (FControlState.Contains(csLButtonDown)) {
      FControlState.Exclude(csLButtonDown);
      FControlState.Exclude(csClicked);
    }
  }
}

void TControl::CMEnabledChanged(TMessage&) { Invalidate(); }

void TControl::CMVisibleChanged(TMessage&) { InvalidateControl(true, false); }

void TControl::CMColorChanged(TMessage&) { Invalidate(); }

void TControl::CMParentColorChanged(TMessage& Message) {
  if (FParentColor && FParent) {
    FColor = FParent->FColor;
    Perform(CM_COLORCHANGED);
    FParentColor = true;  // the notification keeps the inherited state
  }
  (void)Message;
}

void TControl::CMParentFontChanged(TMessage&) {
  if (!FParentFont || !FParent) return;
  SetFont(FParent->FFont);
  FParentFont = true;  // taken from the parent, not chosen
}

void TControl::CMMouseEnter(TMessage& Message) {
  if (FParent) FParent->Perform(CM_MOUSEENTER, 0, Message.LParam);
}

void TControl::CMMouseLeave(TMessage& Message) {
  if (FParent) FParent->Perform(CM_MOUSELEAVE, 0, Message.LParam);
}

TL_MESSAGES(TControl,
            TL_ON(WM_CONTEXTMENU, WMContextMenu),
            TL_ON(WM_LBUTTONDOWN, WMLButtonDown),
            TL_ON(WM_RBUTTONDOWN, WMRButtonDown),
            TL_ON(WM_MBUTTONDOWN, WMMButtonDown),
            TL_ON(WM_LBUTTONDBLCLK, WMLButtonDblClk),
            TL_ON(WM_RBUTTONDBLCLK, WMRButtonDblClk),
            TL_ON(WM_MBUTTONDBLCLK, WMMButtonDblClk),
            TL_ON(WM_LBUTTONUP, WMLButtonUp),
            TL_ON(WM_RBUTTONUP, WMRButtonUp),
            TL_ON(WM_MBUTTONUP, WMMButtonUp),
            TL_ON(WM_MOUSEMOVE, WMMouseMove),
            TL_ON(WM_CANCELMODE, WMCancelMode),
            TL_ON(WM_MOUSEWHEEL, WMMouseWheel),
            TL_ON(CM_MOUSEWHEEL, CMMouseWheel),
            TL_ON(CM_ENABLEDCHANGED, CMEnabledChanged),
            TL_ON(CM_PARENTCOLORCHANGED, CMParentColorChanged),
            TL_ON(CM_PARENTFONTCHANGED, CMParentFontChanged),
            TL_ON(CM_MOUSEENTER, CMMouseEnter),
            TL_ON(CM_MOUSELEAVE, CMMouseLeave),
            TL_ON(CM_VISIBLECHANGED, CMVisibleChanged),
            TL_ON(CM_COLORCHANGED, CMColorChanged),
            // A graphic control only repaints when its font changes, as for its colour.
            TL_ON(CM_FONTCHANGED, CMColorChanged))

TL_DEFINE_CLASS(TControl, [](auto& c) {
  c.Property("Left", &TControl::GetLeft, &TControl::SetLeft);
  c.Property("Top", &TControl::GetTop, &TControl::SetTop);
  c.Property("Width", &TControl::GetWidth, &TControl::SetWidth);
  c.Property("Height", &TControl::GetHeight, &TControl::SetHeight);
  c.Property("Align", &TControl::GetAlign, &TControl::SetAlign).Default(TAlign::alNone);
  c.Property("Anchors", &TControl::GetAnchors, &TControl::SetAnchors)
      .Default(TAnchors{TAnchorKind::akLeft, TAnchorKind::akTop});
  c.Property("Caption", &TControl::GetCaption, &TControl::SetCaption);
  c.Property("Color", &TControl::GetColor, &TControl::SetColor).Idents("TColor").Stored(&TControl::IsColorStored);
  c.Property("ParentColor", &TControl::GetParentColor, &TControl::SetParentColor).Default(true);
  c.Property("Font", &TControl::GetFont, &TControl::SetFont).Stored(&TControl::IsFontStored);
  c.Property("ParentFont", &TControl::GetParentFont, &TControl::SetParentFont).Default(true);
  c.Property("Cursor", &TControl::GetCursor, &TControl::SetCursor).Idents("TCursor").Default(crDefault);
  c.Property("DragCursor", &TControl::GetDragCursor, &TControl::SetDragCursor).Idents("TCursor").Default(crDrag);
  c.Property("DragMode", &TControl::GetDragMode, &TControl::SetDragMode).Default(TDragMode::dmManual);
  c.Property("DragKind", &TControl::GetDragKind, &TControl::SetDragKind).Default(TDragKind::dkDrag);
  c.Property("Constraints", &TControl::GetConstraints, &TControl::SetConstraints);
  c.Property("Ctl3D", &TControl::GetCtl3D, &TControl::SetCtl3D).Stored(&TControl::IsCtl3DStored);
  c.Property("ParentCtl3D", &TControl::GetParentCtl3D, &TControl::SetParentCtl3D).Default(true);
  c.Property("ShowHint", &TControl::GetShowHint, &TControl::SetShowHint).Stored(&TControl::IsShowHintStored);
  c.Property("ParentShowHint", &TControl::GetParentShowHint, &TControl::SetParentShowHint).Default(true);
  c.Property("Enabled", &TControl::GetEnabled, &TControl::SetEnabled).Default(true);
  c.Property("Hint", &TControl::GetHint, &TControl::SetHint);
  c.Property("PopupMenu", &TControl::GetPopupMenu, &TControl::SetPopupMenu);
  c.Property("Action", &TControl::GetAction, &TControl::SetAction);
  c.Property("Visible", &TControl::GetVisible, &TControl::SetVisible).Default(true);
  c.Event("OnClick", &TControl::OnClick);
  c.Event("OnDblClick", &TControl::OnDblClick);
  c.Event("OnMouseDown", &TControl::OnMouseDown);
  c.Event("OnMouseMove", &TControl::OnMouseMove);
  c.Event("OnMouseUp", &TControl::OnMouseUp);
  c.Event("OnResize", &TControl::OnResize);
  c.Event("OnMouseWheel", &TControl::OnMouseWheel);
  c.Event("OnMouseWheelDown", &TControl::OnMouseWheelDown);
  c.Event("OnMouseWheelUp", &TControl::OnMouseWheelUp);
  c.Event("OnDragOver", &TControl::OnDragOver);
  c.Event("OnDragDrop", &TControl::OnDragDrop);
  c.Event("OnStartDrag", &TControl::OnStartDrag);
  c.Event("OnEndDrag", &TControl::OnEndDrag);
  c.Event("OnStartDock", &TControl::OnStartDock);
  c.Event("OnEndDock", &TControl::OnEndDock);
})
