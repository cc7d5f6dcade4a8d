// The Mouse global, the capture control (graphic controls capture through their parent's
// window) and drag and drop, which holds the capture on a utility window of its own.
#include "classlib/visual/Controls.h"
#include "classlib/core/ScopeGuards.h"
#include "classlib/visual/DockDrag.h"
#include "classlib/visual/Forms.h"
#include "classlib/visual/ImgList.h"

#include <cstdlib>

TMouse* Mouse = nullptr;

// ---- Capture ------------------------------------------------------------------------------

namespace {

TControl* gCaptureControl = nullptr;

HWND CaptureWindowOf(TControl* c) {
  if (auto* w = dynamic_cast<TWinControl*>(c)) return w->HandleAllocated() ? w->Handle() : nullptr;
  TWinControl* p = c->GetParent();
  return p && p->HandleAllocated() ? p->Handle() : nullptr;
}

}  // namespace

TControl* GetCaptureControl() {
  HWND cap = GetCapture();
  if (!cap) {
    gCaptureControl = nullptr;
    return nullptr;
  }
  if (gCaptureControl && CaptureWindowOf(gCaptureControl) == cap) return gCaptureControl;
  return FindControl(cap);
}

void CaptureControlDestroyed(TControl* Control) {
  if (gCaptureControl != Control) return;
  bool holds = GetCapture() && CaptureWindowOf(Control) == GetCapture();
  gCaptureControl = nullptr;
  if (holds) ReleaseCapture();
}

void SetCaptureControl(TControl* Control) {
  if (!Control) {
    bool ours = gCaptureControl || FindControl(GetCapture());
    gCaptureControl = nullptr;
    if (ours) ReleaseCapture();
    return;
  }
  HWND wnd = CaptureWindowOf(Control);
  if (!wnd) return;
  gCaptureControl = Control;
  SetCapture(wnd);
}

// ---- TMouse -------------------------------------------------------------------------------

TMouse::TMouse() { SettingChanged(0); }

void TMouse::SettingChanged(UINT Setting) {
  if (Setting == 0 || Setting == SPI_SETWHEELSCROLLLINES) {
    UINT lines = 3;
    if (SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &lines, 0)) FWheelScrollLines = Integer(lines);
  }
}

bool TMouse::GetWheelPresent() const { return GetSystemMetrics(SM_MOUSEWHEELPRESENT) != 0; }

TPoint TMouse::GetCursorPos() const {
  TPoint p;
  ::GetCursorPos(&p);
  return p;
}

void TMouse::SetCursorPos(const TPoint& Value) { ::SetCursorPos(Value.X, Value.Y); }

HWND TMouse::GetCapture() const { return ::GetCapture(); }

void TMouse::SetCapture(HWND Value) {
  if (Value)
    ::SetCapture(Value);
  else
    ReleaseCapture();
}

TL_DEFINE_CLASS(TMouse)

// ---- Drag and drop ------------------------------------------------------------------------

TCursor TDragObject::GetDragCursor(bool Accepted, Integer, Integer) { return Accepted ? crDrag : crNoDrop; }

void TDragObject::Finished(TObject*, Integer, Integer, bool) {}

void TDragObject::HideDragImage() {
  if (TDragImageList* images = GetDragImages()) images->HideDragImage();
}

void TDragObject::ShowDragImage() {
  if (TDragImageList* images = GetDragImages()) images->ShowDragImage();
}

TL_DEFINE_CLASS(TDragObject)

TCursor TDragControlObject::GetDragCursor(bool Accepted, Integer, Integer) {
  return Accepted ? FControl->GetDragCursor() : crNoDrop;
}

TL_DEFINE_CLASS(TDragControlObject)

namespace {
// Where the mouse was for the message being handled (the cursor may have moved on since).
TPoint MessagePos() {
  DWORD p = GetMessagePos();
  return {Integer(SHORT(LOWORD(p))), Integer(SHORT(HIWORD(p)))};
}
}  // namespace

// The drag in progress: the source, its drag object, the threshold still to cross, and the
// target under the mouse. The capture sits on a window of its own so that no control's
// mouse handling runs while dragging.
struct DragState {
  TControl* Source = nullptr;
  TDragObject* Object = nullptr;
  bool OwnObject = false;
  bool Active = false;
  TPoint Start;
  Integer Threshold = 0;
  HWND CaptureWnd = nullptr;
  TControl* Target = nullptr;
  bool Accepted = false;
  TCursor Cursor = crDefault;
  TDragImageList* Images = nullptr;  // the source's drag images, shown under the mouse
  bool Dock = false;                 // the source drags to dock (DragKind dkDock)

  static DragState& Get() {
    static DragState state;
    return state;
  }

  TObject* SourceObject() const {
    if (auto* co = dynamic_cast<TDragControlObject*>(Object)) return co->Control();
    return Object;
  }

  void Begin(TControl* source, bool immediate, Integer threshold);

  void TargetDestroyed(TControl* control) {
    if (Target != control) return;
    Target = nullptr;
    Accepted = false;
    if (Object) Object->FDragTarget = nullptr;
  }

  void StartDragging(const TPoint& pos) {
    Active = true;
    TControl* source = Source;
    if (source->FDragKind == TDragKind::dkDock) {
      bool own = false;
      TDragDockObject* dock = DockDrag::Start(source, Start, own);
      if (Source != source) {  // the handler ended the drag
        if (dock) dock->Free();
        return;
      }
      Object = dock;
      OwnObject = own;
      Dock = true;
      MoveTo(pos);
      return;
    }
    TDragObject* obj = nullptr;
    source->DoStartDrag(obj);
    if (Source != source) {  // the handler ended the drag
      if (obj) obj->Free();
      return;
    }
    if (!obj) {
      obj = New<TDragControlObject>(Source);
      OwnObject = true;
    }
    Object = obj;
    Images = obj->GetDragImages();
    MoveTo(pos);
  }

  void MoveTo(const TPoint& pos) {
    if (Dock) {
      if (!DockDrag::Move(static_cast<TDragDockObject*>(Object), pos, Target, Accepted)) return;
      Object->FDragTarget = Target;
      Object->FDragPos = pos;
      Cursor = Object->GetDragCursor(Accepted, pos.X, pos.Y);
      if (Screen) ::SetCursor(Screen->Cursors(Cursor));
      return;
    }
    TControl* target = FindDragTarget(pos, false);
    TObject* src = SourceObject();
    if (target != Target && Target) {
      bool dummy = false;
      TPoint p = Target->ScreenToClient(pos);
      Target->DragOver(src, p.X, p.Y, TDragState::dsDragLeave, dummy);
    }
    TDragState state = target == Target ? TDragState::dsDragMove : TDragState::dsDragEnter;
    Target = target;
    Accepted = false;
    if (Target) {
      TPoint p = Target->ScreenToClient(pos);
      Target->DragOver(src, p.X, p.Y, state, Accepted);
    }
    Object->FDragTarget = Target;
    Object->FDragPos = pos;
    Cursor = Object->GetDragCursor(Accepted, pos.X, pos.Y);
    if (Screen) ::SetCursor(Screen->Cursors(Cursor));
    // The image shows over nothing and over targets that display drag images.
    if (Images) {
      if (!Target || Target->ControlStyle().Contains(TControlStyleItem::csDisplayDragImage)) {
        if (!Images->GetDragging())
          Images->BeginDrag(nullptr, pos.X, pos.Y);
        else
          Images->DragMove(pos.X, pos.Y);
      } else {
        Images->EndDrag();
      }
    }
  }

  void Done(bool drop) {
    DragState was = *this;
    *this = DragState();
    if (was.Images) was.Images->EndDrag();
    if (GetCapture() == was.CaptureWnd) ReleaseCapture();
    // A cancel may come from a key: it ends where the mouse last dragged.
    TPoint pos = drop || !was.Object ? MessagePos() : was.Object->FDragPos;
    // The drag object this drag made is freed at the end, unless a handler freed it first.
    TDragObject* ownObject = was.OwnObject ? was.Object : nullptr;
    TScopeExit cleanup([&ownObject, wnd = was.CaptureWnd] {
      if (ownObject) ownObject->Free();
      DeallocateHWnd(wnd);
    });
    if (was.Dock) DockDrag::HideFrame();
    if (!was.Active || !was.Object) return;
    if (was.Dock) {
      DockDrag::Done(static_cast<TDragDockObject*>(was.Object), was.Source, was.Target, was.Accepted, drop, pos);
      return;
    }
    TControl* target = was.Target;
    bool accepted = target && was.Accepted && drop;
    TDragObject* obj = was.Object;
    obj->FCancelling = !drop;
    obj->FDropped = accepted;
    TObject* src = was.SourceObject();
    // The target's handlers may free the target, the source or the drag object (a
    // handler's own one): what is gone hears nothing more, and is named to nobody.
    TWeakLink targetLink(target), sourceLink(was.Source), objLink(obj);
    if (target && !accepted) {
      bool dummy = false;
      TPoint p = target->ScreenToClient(pos);
      target->DragOver(src, p.X, p.Y, TDragState::dsDragLeave, dummy);
      if (!targetLink.Alive()) target = nullptr;
    }
    TPoint p = target ? target->ScreenToClient(pos) : TPoint{0, 0};
    if (accepted && target) {
      target->DragDrop(src, p.X, p.Y);
      if (!targetLink.Alive()) target = nullptr;
    }
    if (!objLink.Alive()) ownObject = nullptr;
    if (objLink.Alive()) obj->Finished(accepted ? target : nullptr, p.X, p.Y, accepted);
    if (sourceLink.Alive()) was.Source->DoEndDrag(accepted ? target : nullptr, p.X, p.Y);
  }

  void WndProc(TMessage& m) {
    switch (m.Msg) {
      case WM_MOUSEMOVE: {
        TPoint pos = MessagePos();
        if (!Active) {
          if (std::abs(pos.X - Start.X) > Threshold || std::abs(pos.Y - Start.Y) > Threshold) StartDragging(pos);
        } else {
          MoveTo(pos);
        }
        return;
      }
      case WM_LBUTTONUP:
      case WM_RBUTTONUP:
        Done(true);
        return;
      case WM_SETCURSOR:
        if (Active && Screen) ::SetCursor(Screen->Cursors(Cursor));
        m.Result = 1;
        return;
      case WM_CAPTURECHANGED:
        if (Source && reinterpret_cast<HWND>(m.LParam) != CaptureWnd) Done(false);
        return;
      default:
        m.Result = DefWindowProcA(CaptureWnd, m.Msg, m.WParam, m.LParam);
    }
  }
};

namespace {
// The receiver of the drag window's messages (a closure needs an object).
class TDragCapture : public TObject {
 public:
  void WndProc(TMessage& m) { DragState::Get().WndProc(m); }
};
TDragCapture gDragCapture;
}  // namespace

void DragState::Begin(TControl* source, bool immediate, Integer threshold) {
  Source = source;
  Threshold = threshold < 0 ? (Mouse ? Mouse->GetDragThreshold() : 5) : threshold;
  Start = MessagePos();
  CaptureWnd = AllocateHWnd(TWndMethod(&gDragCapture, &TDragCapture::WndProc));
  SetCapture(CaptureWnd);
  if (immediate) StartDragging(Start);
}

void TControl::BeginDrag(bool Immediate, Integer Threshold) {
  DragState& d = DragState::Get();
  if (d.Source) return;
  d.Begin(this, Immediate, Threshold);
}

void TControl::EndDrag(bool Drop) {
  DragState& d = DragState::Get();
  if (d.Source == this) d.Done(Drop);
}

bool TControl::Dragging() const { return DragState::Get().Source == this; }

bool DragActive() { return DragState::Get().Source != nullptr; }

TDragObject* CurrentDragObject() {
  const DragState& d = DragState::Get();
  return d.Active ? d.Object : nullptr;
}

void DragTargetDestroyed(TControl* Control) {
  DragState::Get().TargetDestroyed(Control);
  if (TDragDockObject* dock = CurrentDockObject(); dock && dock->GetDropOnControl() == Control)
    dock->SetDropOnControl(nullptr);
}

void DragImagesDestroyed(TDragImageList* Images) {
  DragState& d = DragState::Get();
  if (d.Images == Images) d.Images = nullptr;
}

void CancelDrag() {
  DragState& d = DragState::Get();
  if (d.Source) d.Done(false);
}

void TControl::DragOver(TObject* Source, Integer X, Integer Y, TDragState State, bool& Accept) {
  Accept = false;
  if (OnDragOver) {
    Accept = true;
    OnDragOver(this, Source, X, Y, State, Accept);
  }
}

void TControl::DragDrop(TObject* Source, Integer X, Integer Y) {
  if (OnDragDrop) OnDragDrop(this, Source, X, Y);
}

void TControl::DoStartDrag(TDragObject*& DragObject) {
  if (OnStartDrag) OnStartDrag(this, DragObject);
}

void TControl::DoEndDrag(TObject* Target, Integer X, Integer Y) {
  if (OnEndDrag) OnEndDrag(this, Target, X, Y);
}
