// Docking: dock sites and their clients, the drag that docks a control on a site or floats
// it, the window a floating control lives in, and the frame that shows where a dragged
// control would go.
#include "classlib/visual/DockDrag.h"
#include "classlib/visual/Forms.h"
#include "platform/gdi/Gdi.h"

#include <deque>

using enum TAlign;
using enum TComponentStateItem;

namespace {

// How far outside its bounds a site still takes a dock client, by default.
constexpr Integer kInfluenceMargin = 10;

bool PtIn(const TRect& r, const TPoint& p) {
  return p.X >= r.Left && p.X < r.Right && p.Y >= r.Top && p.Y < r.Bottom;
}

TRect Offset(TRect r, const TPoint& by) {
  r.Left += by.X;
  r.Right += by.X;
  r.Top += by.Y;
  r.Bottom += by.Y;
  return r;
}

// A control's bounds on the screen (a top-level window's bounds already are).
TRect ScreenBounds(const TControl* c) {
  const TWinControl* p = c->GetParent();
  return p ? Offset(c->GetBoundsRect(), p->ClientOrigin()) : c->GetBoundsRect();
}

TRect ScreenClientRect(const TWinControl* w) { return Offset(w->GetClientRect(), w->ClientOrigin()); }

// Moves a window so that its client area starts at To (screen), whatever its frame.
void MoveClientTo(TWinControl* w, const TPoint& To) {
  w->HandleNeeded();
  const TPoint origin = w->ClientOrigin();
  w->SetBounds(w->GetLeft() + To.X - origin.X, w->GetTop() + To.Y - origin.Y, w->GetWidth(), w->GetHeight());
}

// The windowed controls whose DockSite is on, in the order they became sites.
std::vector<TWinControl*>& Sites() {
  static std::vector<TWinControl*> sites;
  return sites;
}

// ---- The dock frame -----------------------------------------------------------------------

// A frame-shaped window above everything, which the mouse goes through.
constexpr const char* kDockFrameClass = "TDockFrameWindow";
HWND gFrame = nullptr;

LRESULT FrameProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_NCHITTEST: return HTTRANSPARENT;
    case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
    default: return DefWindowProcA(hwnd, msg, wParam, lParam);
  }
}

void ShowFrame(const TRect& r, Integer width) {
  if (!gFrame) {
    WNDCLASSA wc;
    if (!GetClassInfoA(nullptr, kDockFrameClass, &wc)) {
      wc = WNDCLASSA();
      wc.lpfnWndProc = MakeProcInstance(&FrameProc);
      wc.hbrBackground = GetSysColorBrush(COLOR_3DDKSHADOW);
      wc.lpszClassName = kDockFrameClass;
      if (!RegisterClassA(&wc)) return;
    }
    gFrame = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_TRANSPARENT, kDockFrameClass, "", WS_POPUP,
                             0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    if (!gFrame) return;
  }
  const Integer w = std::max<Integer>(r.Right - r.Left, 0), h = std::max<Integer>(r.Bottom - r.Top, 0);
  HRGN shape = CreateRectRgn(0, 0, w, h);
  HRGN inside = CreateRectRgn(width, width, std::max(width, w - width), std::max(width, h - width));
  CombineRgn(shape, shape, inside, RGN_DIFF);
  DeleteObject(inside);
  SetWindowRgn(gFrame, shape, FALSE);
  SetWindowPos(gFrame, HWND_TOPMOST, r.Left, r.Top, w, h, SWP_NOACTIVATE | SWP_SHOWWINDOW);
  InvalidateRect(gFrame, nullptr, TRUE);
}

// Where the control would float with the mouse at Pos: its floating size, held where the
// drag took it.
TRect FloatRect(TDragDockObject* Obj, const TPoint& Pos, const TPoint& Grab) {
  TControl* c = Obj->Control();
  const Integer w = c->GetUndockWidth(), h = c->GetUndockHeight();
  const Integer gx = std::clamp<Integer>(Grab.X, 0, std::max<Integer>(w - 1, 0));
  const Integer gy = std::clamp<Integer>(Grab.Y, 0, std::max<Integer>(h - 1, 0));
  return {Pos.X - gx, Pos.Y - gy, Pos.X - gx + w, Pos.Y - gy + h};
}

// The dock sites that may take Client with the mouse at Pos, the innermost under the
// mouse first, then the others. A control never docks on itself or inside itself, nor on
// the floating window it is alone in.
std::vector<TWinControl*> Candidates(TControl* Client, const TPoint& Pos) {
  std::vector<TWinControl*> list;
  if (dynamic_cast<TCustomForm*>(Client)) return list;  // a form stays a window of its own
  auto add = [&](TWinControl* w) {
    if (!w || !w->GetDockSite() || std::find(list.begin(), list.end(), w) != list.end()) return;
    list.push_back(w);
  };
  TControl* under = FindDragTarget(Pos, false);
  for (TControl* c = under; c; c = c->GetParent())
    if (auto* w = dynamic_cast<TWinControl*>(c)) add(w);
  for (TWinControl* w : Sites()) add(w);
  auto* clientWin = dynamic_cast<TWinControl*>(Client);
  std::erase_if(list, [&](TWinControl* w) {
    if (!w->Showing() || w == Client) return true;
    if (clientWin && clientWin->ContainsControl(w)) return true;
    return Client->GetHostDockSite() == w && Client->GetFloating() && w->DockClientCount() == 1;
  });
  return list;
}

}  // namespace

// ---- TDragDockObject ------------------------------------------------------------------------

TCursor TDragDockObject::GetDragCursor(bool, Integer, Integer) { return crDefault; }

TL_DEFINE_CLASS(TDragDockObject)

TDragDockObject* CurrentDockObject() { return dynamic_cast<TDragDockObject*>(CurrentDragObject()); }

// ---- The dock drag --------------------------------------------------------------------------

TDragDockObject* DockDrag::Start(TControl* Source, const TPoint& Grab, bool& Own) {
  TDragDockObject* obj = nullptr;
  TWeakLink source(Source);
  Source->DoStartDock(obj);
  Own = false;
  if (!source.Alive()) return obj;
  if (!obj) {
    obj = New<TDragDockObject>(Source);
    Own = true;
  }
  obj->FControl = Source;  // a handler's object docks the control that drags
  const TRect bounds = ScreenBounds(Source);
  obj->FDockRect = bounds;
  obj->FGrab = {Grab.X - bounds.Left, Grab.Y - bounds.Top};
  return obj;
}

bool DockDrag::Move(TDragDockObject* Obj, const TPoint& Pos, TControl*& Target, bool& Accepted) {
  TWeakLink obj(Obj);
  // Each handler may end the drag or free what it is shown; nothing is touched after that.
  auto alive = [&] { return obj.Alive() && CurrentDockObject() == Obj; };
  TControl* client = Obj->Control();
  TWinControl* site = nullptr;
  std::deque<TWeakLink> candidates;  // a site's handler may free another one
  for (TWinControl* w : Candidates(client, Pos)) candidates.emplace_back(w);
  for (TWeakLink& link : candidates) {
    if (!link.Alive()) continue;
    auto* w = static_cast<TWinControl*>(link.Ref());
    TRect influence = ScreenBounds(w);
    influence = {influence.Left - kInfluenceMargin, influence.Top - kInfluenceMargin,
                 influence.Right + kInfluenceMargin, influence.Bottom + kInfluenceMargin};
    bool canDock = true;
    w->GetSiteInfo(client, influence, Pos, canDock);
    if (!alive()) return false;
    if (link.Alive() && canDock && PtIn(influence, Pos)) {
      site = w;
      break;
    }
  }
  TWeakLink siteLink(site);
  if (Target && Target != site) {
    auto* old = dynamic_cast<TWinControl*>(Target);
    Target = nullptr;
    if (old) {
      bool dummy = false;
      const TPoint p = old->ScreenToClient(Pos);
      old->DockOver(Obj, p.X, p.Y, TDragState::dsDragLeave, dummy);
      if (!alive()) return false;
    }
  }
  Accepted = false;
  if (site && siteLink.Alive()) {
    const TDragState state = site == Target ? TDragState::dsDragMove : TDragState::dsDragEnter;
    const TPoint p = site->ScreenToClient(Pos);
    Target = site;
    Obj->FFloating = false;
    Obj->FDropAlign = site->GetDockEdge(p);
    TControl* on = site->ControlAtPos(p, false, true);
    Obj->FDropOnControl = on == client ? nullptr : on;
    Obj->FDragTarget = site;
    Obj->FDragPos = Pos;
    bool accepted = false;
    site->DockOver(Obj, p.X, p.Y, state, accepted);
    if (!alive()) return false;
    Accepted = accepted && siteLink.Alive();
  }
  if (!Accepted) {
    Obj->FFloating = true;
    Obj->FDropAlign = alNone;
    Obj->FDropOnControl = nullptr;
    Obj->FDockRect = FloatRect(Obj, Pos, Obj->FGrab);
  }
  ShowFrame(Obj->FDockRect, Obj->FFrameWidth);
  return true;
}

void DockDrag::HideFrame() {
  if (!gFrame) return;
  HWND frame = gFrame;
  gFrame = nullptr;
  DestroyWindow(frame);
}

void DockDrag::SiteDestroyed(TWinControl* Site) { std::erase(Sites(), Site); }

void DockDrag::Done(TDragDockObject* Obj, TControl* Source, TControl* Target, bool Accepted, bool Drop,
                    const TPoint& Pos) {
  HideFrame();
  TWeakLink source(Source), target(Target);
  auto* site = dynamic_cast<TWinControl*>(Target);
  // A control being destroyed (which cancels its drag) hears nothing more.
  auto endDock = [&](TObject* at, Integer x, Integer y) {
    if (source.Alive() && !Source->InState(csDestroying)) Source->DoEndDock(at, x, y);
  };
  // A site that does not get the control hears that the drag left it.
  auto leave = [&] {
    if (!site || !target.Alive()) return;
    bool dummy = false;
    const TPoint p = site->ScreenToClient(Pos);
    site->DockOver(Obj, p.X, p.Y, TDragState::dsDragLeave, dummy);
  };
  const bool docks = Drop && site && Accepted && !Obj->FFloating;
  Obj->FCancelling = !Drop;
  Obj->FDropped = docks;
  if (!Drop) {
    leave();
    endDock(nullptr, 0, 0);
    return;
  }
  if (docks) {
    TWinControl* from = Source->GetHostDockSite();
    if (from && from != site && !from->DoUnDock(site, Source)) {
      leave();
      endDock(nullptr, 0, 0);
      return;
    }
    if (!source.Alive() || !target.Alive()) {
      endDock(nullptr, 0, 0);
      return;
    }
    Source->DockTo(site, Obj->FDockRect, Obj->FDropAlign);
    // The client's handlers, run as it takes its place, may free it or the site (which
    // takes its clients with it): no drop is reported then.
    if (!source.Alive() || !target.Alive()) {
      endDock(nullptr, 0, 0);
      return;
    }
    const TPoint p = site->ScreenToClient(Pos);
    site->DockDrop(Obj, p.X, p.Y);
    endDock(target.Alive() ? site : nullptr, p.X, p.Y);
    return;
  }
  leave();
  if (!source.Alive()) return;
  if (!Source->ManualFloat(Obj->FDockRect)) {
    endDock(nullptr, 0, 0);
    return;
  }
  if (!source.Alive()) return;
  TWinControl* host = Source->GetHostDockSite();
  if (!host) host = dynamic_cast<TWinControl*>(Source);  // a form floating by itself
  const TPoint p = host ? host->ScreenToClient(Pos) : TPoint{0, 0};
  endDock(host, p.X, p.Y);
}

// ---- TControl -------------------------------------------------------------------------------

TWinControl* TControl::GetHostDockSite() const {
  if (!FParent) return nullptr;
  return FDocked || (FParent->FDockSite && FDragKind == TDragKind::dkDock) ? FParent : nullptr;
}

bool TControl::GetFloating() const {
  const TClass& floatClass = FFloatingDockSiteClass ? *FFloatingDockSiteClass : TCustomDockForm::StaticClass();
  if (TWinControl* host = GetHostDockSite()) return host->ClassType().InheritsFrom(floatClass);
  return !FParent && &floatClass == &ClassType() && dynamic_cast<const TCustomForm*>(this);
}

void TControl::SetFloatingDockSiteClass(const TClass* Value) {
  if (Value && !Value->InheritsFrom(TWinControl::StaticClass()))
    throw EInvalidOperation("A control floats in a windowed control, not in a " + Value->ClassName());
  FFloatingDockSiteClass = Value;
}

void TControl::DoStartDock(TDragDockObject*& DragObject) {
  if (OnStartDock) OnStartDock(this, DragObject);
}

void TControl::DoEndDock(TObject* Target, Integer X, Integer Y) {
  if (OnEndDock) OnEndDock(this, Target, X, Y);
}

TWinControl* TControl::CreateFloatingDockSite(const TRect& Bounds) {
  const TClass& cls = FFloatingDockSiteClass ? *FFloatingDockSiteClass : TCustomDockForm::StaticClass();
  // The application keeps the window: it outlives the form the control came from.
  TComponent* made = cls.Create(Application ? static_cast<TComponent*>(Application) : Owner());
  auto* host = dynamic_cast<TWinControl*>(made);
  if (!host) {
    made->Free();
    throw EInvalidOperation("A control floats in a windowed control, not in a " + cls.ClassName());
  }
  try {
    host->SetClientWidth(Bounds.Right - Bounds.Left);
    host->SetClientHeight(Bounds.Bottom - Bounds.Top);
    MoveClientTo(host, {Bounds.Left, Bounds.Top});  // the client area goes where the control is to be
  } catch (...) {  // written out: only a site that cannot be placed is freed
    host->Free();
    throw;
  }
  return host;
}

void TControl::DockTo(TWinControl* Site, const TRect& ScreenRect, TAlign Side) {
  TWinControl* from = GetHostDockSite();
  if (from && from != Site && GetFloating()) {
    // The size it had while floating is the size it floats with next time.
    FUndockWidth = FWidth;
    FUndockHeight = FHeight;
  }
  const TPoint origin = Site->ClientOrigin();
  const TRect r = Offset(ScreenRect, {-origin.X, -origin.Y});
  TWeakLink self(this), site(Site);
  SetParent(Site);
  if (!self.Alive() || !site.Alive() || FParent != Site) return;
  FDocked = true;
  SetAlign(alNone);
  SetBounds(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top);
  if (self.Alive()) SetAlign(Side);
}

TWinControl* TControl::FloatTo(const TRect& ScreenRect) {
  TWinControl* host = GetHostDockSite();
  // Alone in its floating window, the control moves with the window.
  if (host && GetFloating() && host->DockClientCount() == 1) {
    MoveClientTo(host, {ScreenRect.Left, ScreenRect.Top});
    host->SetVisible(true);  // a window closed by its close box comes back
    return host;
  }
  // A form floats as the window it is: it moves there.
  if (auto* form = dynamic_cast<TCustomForm*>(this)) {
    MoveClientTo(form, {ScreenRect.Left, ScreenRect.Top});
    form->Show();
    return form;
  }
  TWeakLink self(this);
  TWinControl* made = CreateFloatingDockSite(ScreenRect);
  TWeakLink madeLink(made);
  DockTo(made, ScreenRect, alClient);
  // A handler that freed the control as it took its place ends the float: the window made
  // for it, left empty, goes by itself.
  if (!self.Alive() || !madeLink.Alive()) return nullptr;
  made->SetVisible(true);
  return made;
}

bool TControl::ManualDock(TWinControl* NewDockSite, TControl* DropControl, TAlign ControlSide) {
  if (!NewDockSite || NewDockSite == this || dynamic_cast<TCustomForm*>(this)) return false;
  if (auto* self = dynamic_cast<TWinControl*>(this); self && self->ContainsControl(NewDockSite)) return false;
  TWeakLink self(this), site(NewDockSite);
  TWinControl* from = GetHostDockSite();
  if (from && from != NewDockSite && !from->DoUnDock(NewDockSite, this)) return false;
  if (!self.Alive() || !site.Alive()) return false;
  Owned<TDragDockObject> obj(New<TDragDockObject>(this));
  obj->SetDropAlign(ControlSide);
  obj->SetDropOnControl(DropControl);
  obj->SetDockRect(ScreenBounds(this));
  NewDockSite->PositionDockRect(obj.get());
  DockTo(NewDockSite, obj->GetDockRect(), ControlSide);
  if (!self.Alive() || !site.Alive()) return false;
  const TPoint p = NewDockSite->ScreenToClient({obj->GetDockRect().Left, obj->GetDockRect().Top});
  NewDockSite->DockDrop(obj.get(), p.X, p.Y);
  return true;
}

bool TControl::ManualFloat(const TRect& ScreenPos) {
  TWeakLink self(this);
  TWinControl* from = GetHostDockSite();
  const bool moving = from && GetFloating() && from->DockClientCount() == 1;
  if (from && !moving && !from->DoUnDock(nullptr, this)) return false;
  if (!self.Alive()) return false;
  return FloatTo(ScreenPos) != nullptr;
}

// ---- TWinControl ----------------------------------------------------------------------------

void TWinControl::SetDockSite(bool Value) {
  if (Value == FDockSite) return;
  FDockSite = Value;
  if (Value)
    Sites().push_back(this);
  else
    std::erase(Sites(), this);
}

Integer TWinControl::DockClientCount() const {
  Integer n = 0;
  for (Integer i = 0; i < ControlCount(); ++i)
    if (Controls(i)->GetHostDockSite() == this) ++n;
  return n;
}

TControl* TWinControl::DockClients(Integer Index) const {
  for (Integer i = 0, n = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    if (c->GetHostDockSite() != this) continue;
    if (n++ == Index) return c;
  }
  throw EListError("Dock client index out of bounds (" + std::to_string(Index) + ")");
}

TAlign TWinControl::GetDockEdge(const TPoint& MousePos) const {
  const TRect r = GetClientRect();
  const Integer left = MousePos.X - r.Left, right = r.Right - MousePos.X;
  const Integer top = MousePos.Y - r.Top, bottom = r.Bottom - MousePos.Y;
  const Integer nearest = std::min({left, right, top, bottom});
  if (nearest == left) return alLeft;
  if (nearest == right) return alRight;
  if (nearest == top) return alTop;
  return alBottom;
}

void TWinControl::GetSiteInfo(TControl* Client, TRect& InfluenceRect, TPoint MousePos, bool& CanDock) {
  if (OnGetSiteInfo) OnGetSiteInfo(this, Client, InfluenceRect, MousePos, CanDock);
}

void TWinControl::PositionDockRect(TDragDockObject* Source) {
  const TRect r = ScreenClientRect(this);
  TControl* c = Source->Control();
  const Integer w = std::min(c->GetWidth(), r.Right - r.Left), h = std::min(c->GetHeight(), r.Bottom - r.Top);
  switch (Source->GetDropAlign()) {
    case alLeft: Source->SetDockRect({r.Left, r.Top, r.Left + w, r.Bottom}); break;
    case alRight: Source->SetDockRect({r.Right - w, r.Top, r.Right, r.Bottom}); break;
    case alTop: Source->SetDockRect({r.Left, r.Top, r.Right, r.Top + h}); break;
    case alBottom: Source->SetDockRect({r.Left, r.Bottom - h, r.Right, r.Bottom}); break;
    case alClient: Source->SetDockRect(r); break;
    default: Source->SetDockRect({r.Left, r.Top, r.Left + c->GetWidth(), r.Top + c->GetHeight()}); break;
  }
}

void TWinControl::DockOver(TDragDockObject* Source, Integer X, Integer Y, TDragState State, bool& Accept) {
  if (State != TDragState::dsDragLeave) PositionDockRect(Source);
  Accept = true;
  if (OnDockOver) OnDockOver(this, Source, X, Y, State, Accept);
}

void TWinControl::DockDrop(TDragDockObject* Source, Integer X, Integer Y) {
  if (OnDockDrop) OnDockDrop(this, Source, X, Y);
}

bool TWinControl::DoUnDock(TWinControl* NewTarget, TControl* Client) {
  bool allow = true;
  if (OnUnDock) OnUnDock(this, Client, NewTarget, allow);
  return allow;
}

// ---- TCustomDockForm ------------------------------------------------------------------------

TCustomDockForm::TCustomDockForm(TComponent* AOwner) : TCustomForm(AOwner, 0) {
  SetBorderStyle(TFormBorderStyle::bsSizeToolWin);
  SetDockSite(true);
}

void TCustomDockForm::CMControlChange(TMessage& Message) {
  TL_INHERITED(Message);
  if (Message.LParam != 0 || InState(csDestroying) || DockClientCount() > 0) return;
  Hide();
  Release();
}

TL_MESSAGES(TCustomDockForm, TL_ON(CM_CONTROLCHANGE, CMControlChange))
TL_DEFINE_CLASS(TCustomDockForm)
