#include "classlib/core/Filer.h"
#include "classlib/core/ScopeGuards.h"
#include "classlib/visual/Forms.h"
#include "classlib/visual/Graphics.h"
#include "classlib/visual/Menus.h"
#include "classlib/visual/Messages.h"
#include "platform/gdi/Gdi.h"
#include "platform/user/User.h"
#include "widgets/foundation/cxClasses.h"
#include "widgets/foundation/cxControlBase.h"

#include <algorithm>

namespace {

using enum TScrollCode;

inline constexpr UINT kSetNonClientMetrics = 0x002A;
// A wheel that is set to scroll a page per notch asks for no more line steps than this.
inline constexpr Integer kMaxWheelLines = 100;

TcxSettingsController* gSettingsController = nullptr;
TDragObject* gDragObject = nullptr;

}  // namespace

// ---- Popup menus ----------------------------------------------------------------------------

bool cxPopupMenuIsShortCut(TComponent* AMenu, TMessage& Message) {
  if (auto* menu = dynamic_cast<IcxPopupMenu*>(AMenu)) return menu->IsShortCutKey(Message);
  if (auto* menu = dynamic_cast<TPopupMenu*>(AMenu)) return menu->IsShortCut(Message);
  return false;
}

bool cxShowPopupMenu(TComponent* ACaller, TComponent* AMenu, Integer X, Integer Y) {
  if (auto* menu = dynamic_cast<IcxPopupMenu*>(AMenu)) {
    menu->Popup(X, Y);
    return true;
  }
  auto* menu = dynamic_cast<TPopupMenu*>(AMenu);
  if (!menu || !menu->GetAutoPopup()) return false;
  menu->SetPopupComponent(ACaller);
  menu->Popup(X, Y);
  return true;
}

Integer cxGetPopupMenuHeight(TPopupMenu* AMenu) {
  if (!AMenu) return 0;
  Owned<TScreenCanvas> canvas(New<TScreenCanvas>());
  // The class library keeps no separate menu font: menus are drawn in the default one.
  Owned<TFont> menuFont(New<TFont>());
  canvas->Font()->Assign(menuFont.get());
  const Integer lineHeight = canvas->TextHeight("Qg") + 4;
  Integer height = 4;
  TMenuItem* items = AMenu->Items();
  for (Integer i = 0; i < items->Count(); ++i) {
    TMenuItem* item = items->Items(i);
    if (!item->GetVisible()) continue;
    MEASUREITEMSTRUCT measure{};
    measure.CtlType = ODT_MENU;
    measure.itemData = reinterpret_cast<ULONG_PTR>(item);
    // An item that measures itself counts what the menu will ask it when drawn.
    if ((AMenu->GetOwnerDraw() || item->OnMeasureItem) && AMenu->MeasureItem(measure))
      height += Integer(measure.itemHeight);
    else
      height += lineHeight;
  }
  return height;
}

// ---- TcxDragControlObject -------------------------------------------------------------------

TCursor TcxDragControlObject::GetDragCursor(bool Accepted, Integer X, Integer Y) {
  return Accepted && cxIsCtrlPressed() ? crcxDragCopy : inherited::GetDragCursor(Accepted, X, Y);
}

void TcxDragControlObject::Finished(TObject* Target, Integer X, Integer Y, bool Accepted) {
  inherited::Finished(Target, X, Y, Accepted);
  if (gDragObject == this) gDragObject = nullptr;
  Free();
}

TL_DEFINE_CLASS(TcxDragControlObject)

// A drag that ended with a drop gives no leave notice: only the running drag's object counts.
TDragObject* cxGetDragObject() { return gDragObject && gDragObject == CurrentDragObject() ? gDragObject : nullptr; }

namespace {
// Keeps the running drag's image (if AHide) away from drawing done until the scope ends.
auto DragImageHidden(bool AHide = true) {
  TDragObject* object = AHide ? cxGetDragObject() : nullptr;
  if (object) object->HideDragImage();
  return TScopeExit([object] {
    if (object && object == cxGetDragObject()) object->ShowDragImage();
  });
}
}  // namespace

TL_DEFINE_CLASS(TcxDragImageList)

void cxControlDesignerModified(TControl* AControl) {
  if (!AControl) return;
  auto* cx = dynamic_cast<TcxControl*>(AControl);
  const bool designing = cx ? cx->IsDesigning() : AControl->InState(TComponentStateItem::csDesigning);
  if (!designing) return;
  if (TCustomForm* form = GetParentForm(AControl))
    if (IDesignerHook* designer = form->GetDesigner()) designer->Modified();
}

// ---- TcxDragAndDropObject -------------------------------------------------------------------

TcxDragAndDropObject::TcxDragAndDropObject(TcxControl* AControl) : FControl(AControl) {}

TcxCanvas* TcxDragAndDropObject::Canvas() const { return FControl ? FControl->GetCanvas() : nullptr; }

void TcxDragAndDropObject::SetFinished(bool Value) {
  if (FFinished == Value) return;
  FFinished = Value;
  FinishedChanged();
}

void TcxDragAndDropObject::DragAndDrop(const TPoint&, bool& Accepted) {
  SetFinished(false);
  if (Screen) Screen->SetCursor(GetDragAndDropCursor(Accepted));
}

void TcxDragAndDropObject::EndDragAndDrop(bool) { SetFinished(true); }

void TcxDragAndDropObject::DoBeginDragAndDrop() {
  POINT P{0, 0};
  GetCursorPos(&P);
  CurMousePos = PrevMousePos = FControl ? FControl->ScreenToClient(P) : P;
  BeginDragAndDrop();
}

void TcxDragAndDropObject::DoDragAndDrop(const TPoint& P, bool& Accepted) {
  PrevMousePos = CurMousePos;
  CurMousePos = P;
  DragAndDrop(P, Accepted);
}

void TcxDragAndDropObject::DoEndDragAndDrop(bool Accepted) {
  EndDragAndDrop(Accepted);
  AfterDragAndDrop(Accepted);
}

TL_DEFINE_CLASS(TcxDragAndDropObject)

// ---- TcxControlScrollBar ------------------------------------------------------------------------

TcxControlScrollBar::TcxControlScrollBar(TComponent* AOwner) : TcxScrollBar(AOwner) {
  SetColor(clBtnFace);
  TControlStyle style = ControlStyle();
  style.Exclude(TControlStyleItem::csFramed);
  style.Include(TControlStyleItem::csNoDesignVisible);
  SetControlStyle(style);
  SetTabStop(false);
  SetVisible(false);
  if (auto* control = dynamic_cast<TcxControl*>(AOwner)) GetLookAndFeel()->SetMasterLookAndFeel(control->GetLookAndFeel());
}

void TcxControlScrollBar::ApplyData() {
  if (Data.Visible) {
    // The public setters refuse a page beyond Max, which a negative Min makes legitimate
    // (Min -100, Max 10, page 50); the pending data only need a page within the range.
    const Integer min = std::min(Data.Min, Data.Max), max = std::max(Data.Min, Data.Max);
    const int64_t range = int64_t(max) - min + 1;
    const Integer page = Integer(std::clamp<int64_t>(Data.PageSize, 0, range));
    InternalSetScrollParams(min, max, Data.Position, page, true);
    SetSmallChange(Data.SmallChange);
    SetLargeChange(Data.LargeChange);
  }
  SetEnabled(Data.Enabled);
  SetVisible(Data.Visible);
}

void TcxControlScrollBar::FocusParent() {
  TWinControl* parent = GetParent();
  if (!parent) return;
  if (auto* control = dynamic_cast<TcxControl*>(parent)) {
    if (!control->Focused() && control->CanFocusOnChildClick(this)) control->SetFocus();
  } else if (parent->CanFocus()) {
    parent->SetFocus();
  }
}

void TcxControlScrollBar::WndProc(TMessage& Message) {
  if (Message.Msg == CM_DESIGNHITTEST) {
    Message.Result = 1;
    return;
  }
  if (Message.Msg == WM_LBUTTONDOWN) FocusParent();
  inherited::WndProc(Message);
}

TL_DEFINE_CLASS(TcxControlScrollBar)

// ---- TcxSizeGrip --------------------------------------------------------------------------------

TcxSizeGrip::TcxSizeGrip(TComponent* AOwner) : TCustomControl(AOwner) {
  SetColor(clBtnFace);
  TControlStyle style = ControlStyle();
  style.Include(TControlStyleItem::csNoDesignVisible);
  SetControlStyle(style);
}

void TcxSizeGrip::Paint() {
  Canvas()->Brush()->SetColor(GetColor());
  Canvas()->FillRect(GetClientRect());
}

TL_DEFINE_CLASS(TcxSizeGrip)

// ---- TcxControl -----------------------------------------------------------------------------------

TcxControl::TcxControl(TComponent* AOwner) : TCustomControl(AOwner) {
  FcxCanvas = New<TcxCanvas>(FCanvas);
  FLookAndFeel = New<TcxLookAndFeel>(this);
  FLookAndFeel->OnChanged = TcxLookAndFeelChangedEvent(this, &TcxControl::LookAndFeelChangedHandler);
  FDefaultCursor = GetCursor();
}

void TcxControl::AfterConstruction() {
  inherited::AfterConstruction();
  if (HasScrollBars()) {
    FHScrollBar = New<TcxControlScrollBar>(this);
    FHScrollBar->SetKind(TScrollBarKind::sbHorizontal);
    FHScrollBar->SetHeight(GetSystemMetrics(SM_CYHSCROLL));
    FHScrollBar->OnScroll = TScrollEvent(this, &TcxControl::ScrollEvent);
    FVScrollBar = New<TcxControlScrollBar>(this);
    FVScrollBar->SetKind(TScrollBarKind::sbVertical);
    FVScrollBar->SetWidth(GetSystemMetrics(SM_CXVSCROLL));
    FVScrollBar->OnScroll = TScrollEvent(this, &TcxControl::ScrollEvent);
    FSizeGrip = New<TcxSizeGrip>(this);
    FSizeGrip->SetVisible(false);
    cxSettingsController()->AddListener(this);
  }
  SetTabStop(MayFocus());
  if (HasDragImages()) {
    TControlStyle style = ControlStyle();
    style.Include(TControlStyleItem::csDisplayDragImage);
    SetControlStyle(style);
  }
}

void TcxControl::BeforeDestruction() {
  FinishDragAndDrop(false);
  // The capture object is not told: a descendant may already have freed it.
  FMouseCaptureObject = nullptr;
  FPressed = false;
  while (!FChildComponents.empty()) RemoveChildComponent(FChildComponents.back());
  if (FHScrollBar && gSettingsController) gSettingsController->RemoveListener(this);
  inherited::BeforeDestruction();
  // After the class library's destruction, which ends a drag still showing the images.
  if (FDragImages) FDragImages->Free();
  FDragImages = nullptr;
  if (FLookAndFeel) FLookAndFeel->Free();
  FLookAndFeel = nullptr;
  if (FcxCanvas) FcxCanvas->Free();
  FcxCanvas = nullptr;
}

void TcxControl::CreateParams(TCreateParams& Params) {
  inherited::CreateParams(Params);
  Params.Style |= WS_CLIPCHILDREN;  // the own scroll bars are children
}

void TcxControl::CreateWnd() {
  TWeakLink self(this);  // the new window's first messages may run handlers that free it
  inherited::CreateWnd();
  if (self.Alive()) SetInternalControlsParent();
}

void TcxControl::SetInternalControlsParent() {
  if (HasScrollBars() && FHScrollBar)
    for (TControl* c : std::initializer_list<TControl*>{FHScrollBar, FVScrollBar, FSizeGrip}) c->SetParent(this);
}

void TcxControl::SetBorderStyle(TcxControlBorderStyle Value) {
  if (FBorderStyle == Value) return;
  FBorderStyle = Value;
  BoundsChanged();
}

void TcxControl::SetScrollBars(TScrollStyle Value) {
  if (FScrollBars == Value) return;
  FScrollBars = Value;
  UpdateScrollBars();
}

const TcxCustomLookAndFeelPainter* TcxControl::GetPainter() const { return FLookAndFeel->GetPainter(); }

Integer TcxControl::GetBorderSize() {
  if (FBorderStyle == TcxControlBorderStyle::cxcbsNone) return 0;
  const TcxCustomLookAndFeelPainter* painter = GetPainter();
  return painter ? painter->BorderSize() : 0;
}

TRect TcxControl::GetBounds() {
  const TRect& R = FExplicitBounds;
  if (R.Right > R.Left && R.Bottom > R.Top) return R;
  return HandleAllocated() ? GetClientRect() : TRect{};
}

void TcxControl::SetExplicitBounds(const TRect& Value) {
  if (FExplicitBounds == Value) return;
  FExplicitBounds = Value;
  BoundsChanged();
}

TRect TcxControl::GetClientBounds() {
  TRect R = GetBounds();
  const Integer b = GetBorderSize();
  R = {R.Left + b, R.Top + b, R.Right - b, R.Bottom - b};
  if (HScrollBarVisible()) R.Bottom -= FHScrollBar->GetHeight();
  if (VScrollBarVisible()) R.Right -= FVScrollBar->GetWidth();
  // Too small for border and bars: an empty area rather than an inverted one.
  R.Right = std::max(R.Right, R.Left);
  R.Bottom = std::max(R.Bottom, R.Top);
  return R;
}

TRect TcxControl::GetHScrollBarBounds() {
  const TRect C = GetClientBounds();
  return {C.Left, C.Bottom, C.Right, C.Bottom + FHScrollBar->GetHeight()};
}

TRect TcxControl::GetVScrollBarBounds() {
  const TRect C = GetClientBounds();
  return {C.Right, C.Top, C.Right + FVScrollBar->GetWidth(), C.Bottom};
}

TRect TcxControl::GetSizeGripBounds() {
  const Integer left = GetVScrollBarBounds().Left, top = GetHScrollBarBounds().Top;
  return {left, top, left + FVScrollBar->GetWidth(), top + FHScrollBar->GetHeight()};
}

bool TcxControl::HScrollBarVisible() const {
  if (!FHScrollBar) return false;
  return FCalculatingScrollBars ? FHScrollBar->Data.Visible : FHScrollBar->GetVisible();
}

bool TcxControl::VScrollBarVisible() const {
  if (!FVScrollBar) return false;
  return FCalculatingScrollBars ? FVScrollBar->Data.Visible : FVScrollBar->GetVisible();
}

void TcxControl::SetScrollBarInfo(TScrollBarKind AKind, Integer AMin, Integer AMax, Integer AStep, Integer APage,
                                  Integer APos, bool AAllowShow, bool AAllowHide) {
  if (!HasScrollBars()) return;
  TcxControlScrollBar* bar = AKind == TScrollBarKind::sbHorizontal ? FHScrollBar : FVScrollBar;
  TcxScrollBarData& d = bar->Data;
  const TScrollStyle kindStyle =
      AKind == TScrollBarKind::sbHorizontal ? TScrollStyle::ssHorizontal : TScrollStyle::ssVertical;
  const bool mayShow = AAllowShow && (FScrollBars == kindStyle || FScrollBars == TScrollStyle::ssBoth);
  const bool nothingToScroll = int64_t(AMax) - AMin + 1 <= APage || APos < AMin || AMin > AMax;
  d.AllowShow = mayShow;
  d.AllowHide = AAllowHide;
  if (!mayShow) {
    d.Visible = false;
  } else if (!nothingToScroll) {
    d.Min = AMin;
    d.Max = AMax;
    d.Position = APos;
    d.PageSize = APage;
    d.SmallChange = TScrollBarInc(std::clamp(AStep, 1, 0x7FFF));
    d.LargeChange = TScrollBarInc(std::clamp(APage, 1, 0x7FFF));
    d.Enabled = true;
    d.Visible = true;
  } else if (AAllowHide) {
    d.Visible = false;
  } else {
    d.Visible = true;
    d.Enabled = false;
  }
}

void TcxControl::CheckTwoBars() {
  const TcxScrollBarData& h = FHScrollBar->Data;
  const TcxScrollBarData& v = FVScrollBar->Data;
  if (!(h.Visible && v.Visible && h.Enabled && v.Enabled && h.AllowHide && v.AllowHide)) return;
  if (!IsPixelScrollBar(TScrollBarKind::sbHorizontal) || !IsPixelScrollBar(TScrollBarKind::sbVertical)) return;
  const Integer vWidth = FVScrollBar->GetWidth(), hHeight = FHScrollBar->GetHeight();
  if (int64_t(h.PageSize) + vWidth < int64_t(h.Max) - h.Min + 1) return;
  if (int64_t(v.PageSize) + hHeight < int64_t(v.Max) - v.Min + 1) return;
  const TcxScrollBarData hd = h, vd = v;
  SetScrollBarInfo(TScrollBarKind::sbHorizontal, hd.Min, hd.Max, hd.SmallChange, hd.PageSize + vWidth, hd.Position,
                   hd.AllowShow, hd.AllowHide);
  SetScrollBarInfo(TScrollBarKind::sbVertical, vd.Min, vd.Max, vd.SmallChange, vd.PageSize + hHeight, vd.Position,
                   vd.AllowShow, vd.AllowHide);
}

void TcxControl::UpdateScrollBars() {
  if (!HasScrollBars() || !FHScrollBar) return;
  if (FScrollBarsLockCount > 0) {
    FScrollBarsUpdateNeeded = true;
    return;
  }
  const bool nested = FUpdatingScrollBars;
  if (!nested) {
    FRecordedHVisible = FHScrollBar->GetVisible();
    FRecordedVVisible = FVScrollBar->GetVisible();
  }
  const bool savedUpdating = FUpdatingScrollBars;
  FUpdatingScrollBars = true;
  // A bar shown or hidden changes the client area: the layout that follows may run handlers
  // (a text handler asked for the rows' texts, say) that free this control.
  TWeakLink self(this);
  const bool wasH = FHScrollBar->GetVisible(), wasV = FVScrollBar->GetVisible();
  if (!FVisibilityForced) {
    FCalculatingScrollBars = true;
    FHScrollBar->Data.Visible = false;
    FVScrollBar->Data.Visible = false;
    bool settled = false;
    bool flippedH = false, flippedV = false;
    for (int pass = 0; pass < kMaxScrollBarPasses && !settled; ++pass) {
      const bool h0 = FHScrollBar->Data.Visible, v0 = FVScrollBar->Data.Visible;
      CalculateScrollBarsHook();
      if (!self.Alive()) return;
      flippedH = flippedH || h0 != FHScrollBar->Data.Visible;
      flippedV = flippedV || v0 != FVScrollBar->Data.Visible;
      settled = h0 == FHScrollBar->Data.Visible && v0 == FVScrollBar->Data.Visible;
    }
    CheckTwoBars();
    FCalculatingScrollBars = false;
    const bool flipFlop = nested && FHScrollBar->Data.Visible == FRecordedHVisible &&
                          FVScrollBar->Data.Visible == FRecordedVVisible;
    if (flipFlop || !settled) {
      // The bars would keep changing each other: show the disputed ones, disabled.
      FVisibilityForced = true;
      const bool forceH = flipFlop ? FHScrollBar->GetVisible() != FRecordedHVisible : flippedH;
      const bool forceV = flipFlop ? FVScrollBar->GetVisible() != FRecordedVVisible : flippedV;
      for (auto [bar, force] : {std::pair{FHScrollBar, forceH}, std::pair{FVScrollBar, forceV}}) {
        if (force) {
          bar->SetEnabled(false);
          bar->SetVisible(true);
        } else if (!flipFlop) {
          bar->ApplyData();
        }
      }
    } else {
      FHScrollBar->ApplyData();
      FVScrollBar->ApplyData();
    }
  }
  if (!self.Alive()) return;
  if (wasH != FHScrollBar->GetVisible() || wasV != FVScrollBar->GetVisible()) {
    BoundsChanged();
    if (!self.Alive()) return;
  } else {
    FSizeGrip->SetVisible(FHScrollBar->GetVisible() && FVScrollBar->GetVisible());
    SetInternalControlsBounds();
    if (NeedsInternalControlsOnTop()) BringInternalControlsToFront();
  }
  if (!nested) FVisibilityForced = false;
  FUpdatingScrollBars = savedUpdating;
}

void TcxControl::SetInternalControlsBounds() {
  if (FHScrollBar->GetVisible()) FHScrollBar->SetBoundsRect(GetHScrollBarBounds());
  if (FVScrollBar->GetVisible()) FVScrollBar->SetBoundsRect(GetVScrollBarBounds());
  if (FSizeGrip->GetVisible()) FSizeGrip->SetBoundsRect(GetSizeGripBounds());
}

void TcxControl::BringInternalControlsToFront() {
  for (TControl* c : std::initializer_list<TControl*>{FHScrollBar, FVScrollBar, FSizeGrip})
    if (c->GetParent() == this) c->BringToFront();
}

void TcxControl::BeginUpdateScrollBars() {
  if (FScrollBarsLockCount++ == 0) FScrollBarsUpdateNeeded = false;
}

void TcxControl::EndUpdateScrollBars() {
  if (FScrollBarsLockCount == 0) return;
  if (--FScrollBarsLockCount == 0 && FScrollBarsUpdateNeeded) UpdateScrollBars();
}

void TcxControl::Scroll(TScrollBarKind, TScrollCode, Integer&) {}

void TcxControl::ScrollEvent(TObject* Sender, TScrollCode ScrollCode, Integer& ScrollPos) {
  Scroll(Sender == FHScrollBar ? TScrollBarKind::sbHorizontal : TScrollBarKind::sbVertical, ScrollCode, ScrollPos);
}

void TcxControl::ScrollContent(TcxDirection ADirection) {
  if (!HasScrollBars() || ADirection == TcxDirection::dirNone) return;
  const bool vertical = ADirection == TcxDirection::dirUp || ADirection == TcxDirection::dirDown;
  const bool up = ADirection == TcxDirection::dirLeft || ADirection == TcxDirection::dirUp;
  TcxControlScrollBar* bar = vertical ? FVScrollBar : FHScrollBar;
  Integer pos = bar->GetPosition();
  Scroll(vertical ? TScrollBarKind::sbVertical : TScrollBarKind::sbHorizontal, up ? scLineUp : scLineDown, pos);
}

TcxMouseWheelScrollingKind TcxControl::GetMouseWheelScrollingKind() {
  return VScrollBarVisible() ? TcxMouseWheelScrollingKind::mwskVertical : TcxMouseWheelScrollingKind::mwskNone;
}

bool TcxControl::DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) {
  if (inherited::DoMouseWheel(Shift, WheelDelta, MousePos)) return true;
  const TcxMouseWheelScrollingKind kind = GetMouseWheelScrollingKind();
  if (kind == TcxMouseWheelScrollingKind::mwskNone) return false;
  const bool horizontal = kind == TcxMouseWheelScrollingKind::mwskHorizontal;
  const bool up = WheelDelta > 0;
  const Integer lines = Mouse ? Mouse->GetWheelScrollLines() : 3;
  if (lines == Integer(WHEEL_PAGESCROLL) || lines > kMaxWheelLines) {
    // A page per notch: one page step, not billions of line steps.
    TcxControlScrollBar* bar = horizontal ? FHScrollBar : FVScrollBar;
    Integer pos = bar->GetPosition();
    Scroll(horizontal ? TScrollBarKind::sbHorizontal : TScrollBarKind::sbVertical, up ? scPageUp : scPageDown, pos);
    return true;
  }
  const TcxDirection dir = horizontal ? (up ? TcxDirection::dirLeft : TcxDirection::dirRight)
                                      : (up ? TcxDirection::dirUp : TcxDirection::dirDown);
  for (Integer i = 0; i < lines; ++i) ScrollContent(dir);
  return true;
}

void TcxControl::LookAndFeelChanged(TcxLookAndFeel*, TcxLookAndFeelValues) {}

void TcxControl::BoundsChanged() { UpdateScrollBars(); }

void TcxControl::Resize() {
  TWeakLink self(this);  // OnResize may free the control
  inherited::Resize();
  if (self.Alive()) BoundsChanged();
}

// No event fires while the control is being destroyed: the handlers' owners may be gone.
void TcxControl::FocusChanged() {
  if (OnFocusChanged && !ComponentState().Contains(TComponentStateItem::csDestroying)) OnFocusChanged(this);
}

void TcxControl::MouseEnter(TControl*) {
  if (OnMouseEnter && !ComponentState().Contains(TComponentStateItem::csDestroying)) OnMouseEnter(this);
}

void TcxControl::MouseLeave(TControl*) {
  if (OnMouseLeave && !ComponentState().Contains(TComponentStateItem::csDestroying)) OnMouseLeave(this);
}

bool TcxControl::CanFocusOnClick() {
  return !IsDesigning() && FFocusOnClick && MayFocus() && CanFocus();
}

void TcxControl::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  FMouseDownPos = {X, Y};
  TWeakLink self(this);
  if (CanFocusOnClickAt(X, Y) && !Shift.Contains(TShiftStateItem::ssDouble)) {
    if (!Focused()) SetFocus();
    if (!self.Alive()) return;
    // The form may count the control as active while its window lost the focus to a window
    // the form does not know: focusing through the form then changes nothing.
    if (!Focused() && HandleAllocated())
      if (TCustomForm* form = GetParentForm(this); form && form->GetActiveControl() == this) ::SetFocus(Handle());
    if (!self.Alive()) return;
    // A handler refused the focus: the press is not the control's.
    if (!Focused() && !KeepMouseCaptureUnfocused()) {
      SetMouseCapture(false);
      return;
    }
  }
  if (Button == TMouseButton::mbLeft && !Shift.Contains(TShiftStateItem::ssDouble)) {
    if (StartDragAndDrop({X, Y})) {
      FDragAndDropState = TcxDragAndDropState::ddsStarting;
      if (DragAndDropObject()->GetImmediateStart()) BeginDragAndDrop();
    } else {
      FinishDragAndDrop(false);
    }
    if (!self.Alive()) return;
  }
  BeforeMouseDown(Button, Shift, X, Y);
  if (!self.Alive()) return;
  inherited::MouseDown(Button, Shift, X, Y);
  if (self.Alive() && GetMouseCapture()) FPressed = true;
}

void TcxControl::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  const TCursor keep = FDefaultCursor;
  SetCursor(GetCursorDefault(X, Y));
  FDefaultCursor = keep;
  TWeakLink self(this);
  inherited::MouseMove(Shift, X, Y);
  if (!self.Alive()) return;
  if (FDragAndDropState == TcxDragAndDropState::ddsStarting && !IsMouseInPressedArea(X, Y))
    BeginDragAndDrop();
  if (FDragAndDropState == TcxDragAndDropState::ddsInProcess) {
    bool accepted = false;
    DragAndDrop({X, Y}, accepted);
  }
}

void TcxControl::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  FPressed = false;
  EndMouseOperations();
  inherited::MouseUp(Button, Shift, X, Y);
}

void TcxControl::KeyDown(Word& Key, TShiftState Shift) {
  if (Key == VK_ESCAPE) FinishDragAndDrop(false);
  inherited::KeyDown(Key, Shift);
}

bool TcxControl::CanTakeFocus() {
  if (!CanFocus()) return false;
  TCustomForm* form = GetParentForm(this);
  return !form || (form->CanFocus() && form->GetEnabled() && form->GetVisible());
}

bool TcxControl::AllowDragAt(Integer X, Integer Y) {
  return GetDragMode() == TDragMode::dmManual || IsMouseInPressedArea(X, Y);
}

TcxDragAndDropObjectClass TcxControl::GetDragAndDropObjectClass() {
  return FDragAndDropObjectClass ? FDragAndDropObjectClass
                                 : ClassOf<TcxDragAndDropObject, TcxDragAndDropObject, TcxControl*>();
}

TcxDragAndDropObject* TcxControl::DragAndDropObject() {
  if (!FDragAndDropObject) FDragAndDropObject = GetDragAndDropObjectClass().Create(this);
  return FDragAndDropObject;
}

void TcxControl::BeginDragAndDrop() {
  DragAndDropObject()->DoBeginDragAndDrop();
  SetMouseCapture(true);
  FSavedScreenCursor = Screen ? Screen->GetCursor() : crDefault;
  FDragAndDropState = TcxDragAndDropState::ddsInProcess;
}

void TcxControl::DragAndDrop(const TPoint& P, bool& Accepted) { DragAndDropObject()->DoDragAndDrop(P, Accepted); }

void TcxControl::EndDragAndDrop(bool Accepted) {
  SetDragAndDropState(TcxDragAndDropState::ddsNone);
  if (Screen) Screen->SetCursor(FSavedScreenCursor);
  if (GetMouseCapture()) SetMouseCapture(false);
  SetMouseCaptureObject(nullptr);
  DragAndDropObject()->DoEndDragAndDrop(Accepted);
}

void TcxControl::SetDragAndDropState(TcxDragAndDropState Value) {
  if (FDragAndDropState == Value) return;
  FDragAndDropState = Value;
  if (Value == TcxDragAndDropState::ddsNone && !FFinishingDragAndDrop) DoCancelMode();
}

void TcxControl::FinishDragAndDrop(bool Accepted) {
  if (FFinishingDragAndDrop) return;
  TScopedValue<bool> finishing(FFinishingDragAndDrop, true);
  if (FDragAndDropState == TcxDragAndDropState::ddsInProcess)
    EndDragAndDrop(Accepted);
  else
    FDragAndDropState = TcxDragAndDropState::ddsNone;
  if (FDragAndDropObject) FDragAndDropObject->Free();
  FDragAndDropObject = nullptr;
}

void TcxControl::EndMouseOperations() {
  FinishDragAndDrop(true);
  SetMouseCaptureObject(nullptr);
}

void TcxControl::DoCancelMode() {
  FPressed = false;
  SetMouseCaptureObject(nullptr);
}

void TcxControl::SetMouseCaptureObject(TObject* Value) {
  if (FMouseCaptureObject == Value) return;
  if (auto* old = dynamic_cast<IcxMouseCaptureObject*>(FMouseCaptureObject)) old->DoCancelMode();
  FMouseCaptureObject = Value;
  const bool hadCapture = GetMouseCapture();
  SetMouseCapture(Value != nullptr);
  if (hadCapture && !GetMouseCapture() && FDragAndDropState == TcxDragAndDropState::ddsStarting && HandleAllocated())
    SendMessageA(Handle(), WM_CANCELMODE, 0, 0);
}

void TcxControl::AddFontListener(IcxFontListener* AListener) {
  if (AListener && std::find(FFontListeners.begin(), FFontListeners.end(), AListener) == FFontListeners.end())
    FFontListeners.push_back(AListener);
}

void TcxControl::RemoveFontListener(IcxFontListener* AListener) {
  FFontListeners.erase(std::remove(FFontListeners.begin(), FFontListeners.end(), AListener), FFontListeners.end());
}

void TcxControl::FontChanged() {
  const std::vector<IcxFontListener*> listeners = FFontListeners;
  for (IcxFontListener* listener : listeners)
    if (std::find(FFontListeners.begin(), FFontListeners.end(), listener) != FFontListeners.end())
      listener->Changed(this, GetFont());
  Invalidate();
}

void TcxControl::InvalidateRect(const TRect& R, bool EraseBackground) {
  if (HandleAllocated()) ::InvalidateRect(Handle(), &R, EraseBackground);
}

void TcxControl::InvalidateRegion(const TcxRegion* ARegion, bool EraseBackground) {
  if (ARegion && !ARegion->IsEmpty() && HandleAllocated()) ::InvalidateRgn(Handle(), ARegion->Handle(), EraseBackground);
}

void TcxControl::UpdateWithChildren() {
  if (HandleAllocated()) RedrawWindow(Handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

void TcxControl::ScrollWindow(Integer DX, Integer DY, const TRect& R) {
  auto hider = DragImageHidden();
  if (HandleAllocated()) ScrollWindowEx(Handle(), DX, DY, &R, nullptr, nullptr, nullptr, SW_INVALIDATE | SW_ERASE);
}

void TcxControl::PostMouseMove() {
  if (!HandleAllocated()) return;
  POINT p{};
  ::GetCursorPos(&p);
  const TPoint c = ScreenToClient(TPoint{p.X, p.Y});
  PostMessageA(Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(WORD(c.X), WORD(c.Y)));
}

void TcxControl::SetParentBackground(bool Value) {
  if (FParentBackground == Value) return;
  FParentBackground = Value;
  Invalidate();
}

void TcxControl::Paint() {
  if (FBorderStyle == TcxControlBorderStyle::cxcbsDefault) {
    if (const TcxCustomLookAndFeelPainter* painter = GetPainter()) painter->DrawBorder(*FcxCanvas, GetBounds());
    FcxCanvas->IntersectClipRect(GetClientBounds());
  }
  inherited::Paint();
}

void TcxControl::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_ERASEBKGND:
      if (NeedsEraseBackground()) break;
      Message.Result = 1;
      return;
    case CM_COLORCHANGED: {
      TWeakLink self(this);  // the new colour's layout may run handlers that free the control
      ColorChanged();
      if (!self.Alive()) return;
      break;
    }
    case CM_DESIGNHITTEST:
      // A designer leaves the mouse to a control in the middle of its own mouse operation.
      inherited::WndProc(Message);
      if (Message.Result == 0) Message.Result = IsMouseOperationActive() ? 1 : 0;
      return;
    case CM_VISIBLECHANGED:
    case CM_TEXTCHANGED: {
      TWeakLink self(this);  // a handler of the change may free the control
      inherited::WndProc(Message);
      if (!self.Alive()) return;
      if (Message.Msg == CM_VISIBLECHANGED)
        VisibleChanged();
      else
        TextChanged();
      return;
    }
    case WM_CANCELMODE: {
      TWeakLink self(this);
      inherited::WndProc(Message);
      if (!self.Alive()) return;
      FinishDragAndDrop(false);
      DoCancelMode();
      return;
    }
    case WM_GETDLGCODE: {
      LRESULT code = 0;
      if (FKeys.Contains(TcxKey::kAll)) code |= DLGC_WANTALLKEYS;
      if (FKeys.Contains(TcxKey::kArrows)) code |= DLGC_WANTARROWS;
      if (FKeys.Contains(TcxKey::kChars)) code |= DLGC_WANTCHARS;
      // Ctrl+Tab stays with the dialog, so that it can leave the control.
      if (FKeys.Contains(TcxKey::kTab) && !cxIsCtrlPressed()) code |= DLGC_WANTTAB;
      Message.Result = code;
      return;
    }
    case WM_NCCALCSIZE:
      inherited::WndProc(Message);
      if (HandleAllocated()) PostMessageA(Handle(), TL_MSG_METRICS_REFRESH, 0, 0);
      return;
    case TL_MSG_METRICS_REFRESH:
      if (HasScrollBars() && FHScrollBar &&
          (GetSystemMetrics(SM_CYHSCROLL) != FHScrollBar->GetHeight() ||
           GetSystemMetrics(SM_CXVSCROLL) != FVScrollBar->GetWidth())) {
        FHScrollBar->SetHeight(GetSystemMetrics(SM_CYHSCROLL));
        FVScrollBar->SetWidth(GetSystemMetrics(SM_CXVSCROLL));
        BoundsChanged();
      }
      Message.Result = 0;
      return;
    case WM_CONTEXTMENU: {
      if (Message.Result != 0) return;
      // At design time the menu is the designer's.
      if (IsDesigning()) break;
      TPoint p{-1, -1};
      if (Message.LParam != LPARAM(-1)) {
        p = ScreenToClient(TPoint{GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)});
        const TRect client = GetClientRect();
        const bool inside = p.X >= client.Left && p.X < client.Right && p.Y >= client.Top && p.Y < client.Bottom;
        if (!inside) {
          inherited::WndProc(Message);
          return;
        }
      }
      bool handled = false;
      DoContextPopup(p, handled);
      if (handled)
        Message.Result = 1;
      else
        inherited::WndProc(Message);
      return;
    }
    case WM_SETCURSOR:
      if (IsDesigning() &&
          FDragAndDropState == TcxDragAndDropState::ddsNone && IsMouseOperationActive()) {
        const TPoint p = ScreenToClient(Mouse->GetCursorPos());
        ::SetCursor(Screen->Cursors(GetCursorDefault(p.X, p.Y)));
        Message.Result = 1;
        return;
      }
      break;
    case CM_CURSORCHANGED:
      CursorChanged();
      break;
    case CM_FONTCHANGED:
      inherited::WndProc(Message);
      FontChanged();
      return;
    case CN_KEYDOWN:
    case CN_SYSKEYDOWN: {
      // A menu may free or move the control: the walk ends with the first taker.
      for (TWinControl* c = this; c; c = c->GetParent())
        if (auto* cx = dynamic_cast<TcxControl*>(c); cx && cx->FcxPopupMenu && cxPopupMenuIsShortCut(cx->FcxPopupMenu, Message)) {
          Message.Result = 1;
          return;
        }
      // Escape must reach the drag-and-drop before the dialog treats it as Cancel.
      if (Message.Msg == CN_KEYDOWN && Message.WParam == VK_ESCAPE && FDragAndDropState != TcxDragAndDropState::ddsNone && HandleAllocated()) {
        SendMessageA(Handle(), WM_KEYDOWN, Message.WParam, Message.LParam);
        Message.Result = 1;
        return;
      }
      break;
    }
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE: {
      // The parent hears of it first, and its handlers may free this control with it.
      TWeakLink self(this);
      inherited::WndProc(Message);
      if (!self.Alive()) return;
      TControl* named = Message.LParam ? reinterpret_cast<TControl*>(Message.LParam) : this;
      if (Message.Msg == CM_MOUSEENTER)
        MouseEnter(named);
      else
        MouseLeave(named);
      return;
    }
    default:
      break;
  }
  // Handlers may free the control: nothing after them runs once the link is cleared.
  TWeakLink self(this);
  const UINT msg = Message.Msg;
  const bool leftDown = msg == WM_LBUTTONDOWN || msg == WM_LBUTTONDBLCLK;
  {
    auto hider = DragImageHidden(msg == WM_PAINT);
    if (leftDown && GetDragMode() == TDragMode::dmAutomatic && !Dragging() && !IsDesigning()) {
      // The class library's automatic drag would start at once and swallow the press; here the
      // press is dispatched as a plain one (DragMode untouched, so handlers read and may change
      // it) and DoMouseDownDragOrPan starts the drag past the drag area.
      if (!IsControlMouseMsg(Message)) {
        if (msg == WM_LBUTTONDBLCLK && !ControlStyle().Contains(TControlStyleItem::csDoubleClicks))
          Message.Msg = WM_LBUTTONDOWN;
        TControlState state = ControlState();
        state.Include(TControlStateItem::csLButtonDown);
        SetControlState(state);
        Dispatch(Message);
      }
    } else {
      inherited::WndProc(Message);
    }
  }
  if (!self.Alive()) return;
  if (msg == WM_SETFOCUS || msg == WM_KILLFOCUS) FocusChanged();
  if (msg == WM_PAINT && FPaintedParentBackground != FParentBackground) {
    FPaintedParentBackground = FParentBackground;
    ParentBackgroundChanged();
  }
  if (msg == WM_LBUTTONDOWN || msg == WM_RBUTTONDOWN || msg == WM_MBUTTONDOWN) {
    TPoint p{GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)};
    // Past 32768 the 16-bit coordinates wrapped: the cursor tells where the press was.
    if (LOWORD(Message.LParam) > 32768 || HIWORD(Message.LParam) > 32768) {
      POINT c{0, 0};
      ::GetCursorPos(&c);
      p = ScreenToClient(TPoint{c.X, c.Y});
    }
    const TMouseButton button = msg == WM_LBUTTONDOWN   ? TMouseButton::mbLeft
                                : msg == WM_RBUTTONDOWN ? TMouseButton::mbRight
                                                        : TMouseButton::mbMiddle;
    DoMouseDownDragOrPan(button, p.X, p.Y);
  }
}

void TcxControl::DoMouseDownDragOrPan(TMouseButton Button, Integer X, Integer Y) {
  if (Button == TMouseButton::mbLeft) {
    if (GetDragMode() != TDragMode::dmAutomatic || !GetMouseCapture() || !HandleAllocated()) return;
    if (IsDesigning() && !CanDrag(X, Y)) return;
    if (!CanBeginAutoDrag()) return;
    if (cxDragDetect(Handle()) == TcxDragDetect::ddDrag) BeginDrag(true, -1);
  } else if (Button == TMouseButton::mbMiddle) {
    DoPanning();
  }
}

bool TcxControl::IsDesigning() const { return InState(TComponentStateItem::csDesigning); }

void TcxControl::DesignerModified() {
  if (!IsDesigning()) return;
  for (const TControl* c = this; c; c = c->GetParent())
    if (c->InState(TComponentStateItem::csLoading) || c->InState(TComponentStateItem::csWriting) ||
        c->InState(TComponentStateItem::csDestroying))
      return;
  cxControlDesignerModified(this);
}

void TcxControl::AddChildComponent(TcxControlChildComponent* AComponent) {
  if (!AComponent || AComponent->FControl == this) return;
  if (AComponent->FControl) AComponent->FControl->RemoveChildComponent(AComponent);
  FChildComponents.push_back(AComponent);
  AComponent->SetControl(this);
}

void TcxControl::RemoveChildComponent(TcxControlChildComponent* AComponent) {
  auto it = std::find(FChildComponents.begin(), FChildComponents.end(), AComponent);
  if (it == FChildComponents.end()) return;
  FChildComponents.erase(it);
  AComponent->SetControl(nullptr);
}

// The control's own bars and size grip are made by the control: never written as children,
// even when the control itself is what is written.
void TcxControl::GetChildren(const TGetChildProc& Proc, TComponent* Root) {
  for (Integer i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    if (c->Owner() == Root && !IsInternalControl(c)) Proc(c);
  }
  const std::vector<TcxControlChildComponent*> children = FChildComponents;
  for (TcxControlChildComponent* child : children)
    if (child->Owner() == Root) Proc(child);
}

TcxDragImageListClass TcxControl::GetDragImagesClass() {
  return ClassOf<TcxDragImageList, TcxDragImageList, TComponent*>();
}

void TcxControl::InitDragImages(TcxDragImageList* ADragImages) {
  const TPoint size = GetDragImagesSize();
  if (size.X <= 0 || size.Y <= 0) return;
  ADragImages->SetWidth(size.X);
  ADragImages->SetHeight(size.Y);
  Owned<TBitmap> bitmap(New<TBitmap>());
  bitmap->SetSize(size.X, size.Y);
  {
    Owned<TcxCanvas> canvas(New<TcxCanvas>(bitmap->Canvas()));
    DrawDragImage(canvas.get(), {0, 0, size.X, size.Y});
  }
  ADragImages->AddMasked(bitmap.get(), bitmap->GetTransparentColor());
}

TDragImageList* TcxControl::GetDragImages() {
  if (!HasDragImages()) return nullptr;
  if (!FDragImages) {
    FDragImages = GetDragImagesClass().Create(nullptr);
    InitDragImages(FDragImages);
  }
  return FDragImages->Count() > 0 ? FDragImages : nullptr;
}

void TcxControl::DoEndDrag(TObject* Target, Integer X, Integer Y) {
  inherited::DoEndDrag(Target, X, Y);
  if (FDragImages) FDragImages->Free();
  FDragImages = nullptr;
}

TDragControlObjectClass TcxControl::GetDragObjectClass() {
  return ClassOf<TcxDragControlObject, TDragControlObject, TControl*>();
}

void TcxControl::DoStartDrag(TDragObject*& DragObject) {
  inherited::DoStartDrag(DragObject);
  if (DragObject) return;
  DragObject = GetDragObjectClass().Create(this);
  if (!AcceptDragObject(DragObject)) {
    DragObject->Free();
    DragObject = nullptr;
    CancelDrag();
  }
}

void TcxControl::SetPopupMenu(TComponent* Value) {
  if (!dynamic_cast<TPopupMenu*>(Value) && !dynamic_cast<IcxPopupMenu*>(Value)) Value = nullptr;
  if (FcxPopupMenu == Value) return;
  if (FcxPopupMenu) FcxPopupMenu->RemoveFreeNotification(this);
  FcxPopupMenu = Value;
  if (Value) Value->FreeNotification(this);
  TControl::SetPopupMenu(dynamic_cast<TPopupMenu*>(Value));
}

void TcxControl::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation == TOperation::opRemove && AComponent == FcxPopupMenu) FcxPopupMenu = nullptr;
}

void TcxControl::DoContextPopup(const TPoint& MousePos, bool& Handled) {
  if (OnContextPopup) {
    TWeakLink self(this);  // the handler may free the control
    OnContextPopup(this, MousePos, Handled);
    if (!self.Alive()) return;
  }
  if (Handled || !FcxPopupMenu) return;
  const bool fromKeyboard = MousePos.X == -1 && MousePos.Y == -1;
  const TPoint at = ClientToScreen(fromKeyboard ? TPoint{0, 0} : MousePos);
  Handled = DoShowPopupMenu(FcxPopupMenu, at.X, at.Y);
}

bool TcxControl::DoShowPopupMenu(TComponent* AMenu, Integer X, Integer Y) { return cxShowPopupMenu(this, AMenu, X, Y); }

void TcxControl::DragOver(TObject* Source, Integer X, Integer Y, TDragState State, bool& Accept) {
  gDragObject = State == TDragState::dsDragLeave ? nullptr : CurrentDragObject();
  inherited::DragOver(Source, X, Y, State, Accept);
}

namespace {

// The round indicator shown where panning started; absent when its picture is missing.
class TPanningIndicator {
 public:
  TPanningIndicator(HWND AOwner, const char* ABitmapName, const TPoint& ACenter) {
    TBitmap* bitmap = New<TBitmap>();
    try {
      bitmap->LoadFromResourceName(GetModuleHandleA(nullptr), ABitmapName);
    } catch (const Exception&) {
      bitmap->Free();
      return;
    }
    Width = bitmap->GetWidth();
    Height = bitmap->GetHeight();
    Bounds = {ACenter.X - Width / 2, ACenter.Y - Height / 2, ACenter.X - Width / 2 + Width,
              ACenter.Y - Height / 2 + Height};
    Wnd = CreateWindowExA(WS_EX_TOPMOST, "STATIC", "", WS_POPUP, Bounds.Left, Bounds.Top, Width, Height, AOwner,
                          nullptr, nullptr, nullptr);
    if (Wnd) {
      SetWindowRgn(Wnd, CreateEllipticRgn(0, 0, Width + 1, Height + 1), TRUE);
      SetWindowPos(Wnd, nullptr, 0, 0, 0, 0,
                   SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
      if (HDC dc = GetDC(Wnd)) {
        BitBlt(dc, 0, 0, Width, Height, bitmap->Canvas()->GetHandle(), 0, 0, SRCCOPY);
        HRGN rgn = CreateEllipticRgn(0, 0, Width + 1, Height + 1);
        FrameRgn(dc, rgn, GetSysColorBrush(COLOR_WINDOWFRAME), 1, 1);
        DeleteObject(rgn);
        ReleaseDC(Wnd, dc);
      }
    }
    bitmap->Free();
  }
  ~TPanningIndicator() {
    if (Wnd) DestroyWindow(Wnd);
  }
  HWND Wnd = nullptr;
  Integer Width = 0, Height = 0;
  TRect Bounds{};
};

}  // namespace

void TcxControl::DoPanning() {
  const bool canH = HScrollBarVisible(), canV = VScrollBarVisible();
  if ((!canH && !canV) || !HandleAllocated()) return;
  FPanning = true;
  POINT start{0, 0};
  GetCursorPos(&start);
  const char* bitmapName = canH && canV ? "CX_FULLSCROLLBITMAP" : canH ? "CX_HORSCROLLBITMAP" : "CX_VERSCROLLBITMAP";
  TPanningIndicator indicator(Handle(), bitmapName, start);
  TRect deadZone = indicator.Bounds;
  if (!canH) deadZone.Left = 0, deadZone.Right = GetSystemMetrics(SM_CXSCREEN);
  if (!canV) deadZone.Top = 0, deadZone.Bottom = GetSystemMetrics(SM_CYSCREEN);
  auto setCursor = [](TCursor id) { ::SetCursor(Screen ? Screen->Cursors(id) : nullptr); };
  const TCursor idleCursor = canH && canV ? crcxFullScroll : canH ? crcxHorScroll : crcxVerScroll;
  setCursor(idleCursor);
  TcxDirection direction = TcxDirection::dirNone;
  Integer speed = 0, ticks = 0;
  bool moved = false;
  POINT last = start;
  const UINT_PTR timer = SetTimer(nullptr, 0, 20, nullptr);
  SetCapture(Handle());
  while (GetCapture() == Handle()) {
    MSG msg{};
    const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got == 0) {
      PostQuitMessage(int(msg.wParam));
      break;
    }
    if (got < 0) break;
    if (msg.message == WM_PAINT && indicator.Wnd && msg.hwnd == indicator.Wnd) {
      ValidateRect(indicator.Wnd, nullptr);
      continue;
    }
    if (msg.message >= WM_MOUSEFIRST && msg.message <= WM_MOUSEWHEEL && msg.message != WM_MOUSEMOVE &&
        msg.message != WM_MBUTTONUP) {
      if (msg.message == WM_LBUTTONDOWN || msg.message == WM_RBUTTONDOWN) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
      }
      break;
    }
    if ((msg.message == WM_KEYDOWN || msg.message == WM_KEYUP) && msg.wParam == VK_ESCAPE) break;
    if (msg.message == WM_MOUSEMOVE) {
      POINT p{0, 0};
      GetCursorPos(&p);
      if (p.X != last.X || p.Y != last.Y) {
        last = p;
        const bool inDeadZone = p.X >= deadZone.Left && p.X < deadZone.Right && p.Y >= deadZone.Top &&
                                p.Y < deadZone.Bottom;
        if (inDeadZone) {
          direction = TcxDirection::dirNone;
          speed = 0;
          setCursor(idleCursor);
        } else {
          moved = true;
          const Integer dx = p.X - start.X, dy = p.Y - start.Y;
          Integer distance;
          if (canH && (!canV || std::abs(dx) > std::abs(dy))) {
            direction = dx >= 0 ? TcxDirection::dirRight : TcxDirection::dirLeft;
            distance = std::abs(dx);
          } else {
            direction = dy >= 0 ? TcxDirection::dirDown : TcxDirection::dirUp;
            distance = std::abs(dy);
          }
          speed = cxPanningSpeed(distance, indicator.Width);
          static constexpr TCursor kCursors[] = {0, crcxLeftScroll, crcxRightScroll, crcxUpScroll, crcxDownScroll};
          setCursor(kCursors[Integer(direction)]);
        }
      }
    } else if (msg.message == WM_MBUTTONUP) {
      // A click without moving keeps panning until the next click.
      if (moved) break;
    } else if (msg.message == WM_TIMER && msg.hwnd == nullptr && msg.wParam == timer) {
      ++ticks;
      if (direction != TcxDirection::dirNone && ticks % (12 - speed + 1) == 0) ScrollContent(direction);
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  if (GetCapture() == Handle()) ReleaseCapture();
  KillTimer(nullptr, timer);
  FPanning = false;
}

// ---- TcxControlChildComponent ---------------------------------------------------------------------

TcxControlChildComponent::TcxControlChildComponent(TcxControl* AControl, bool AAssignOwner)
    : TcxComponent(AAssignOwner && AControl ? AControl->Owner() : nullptr), FJoinControl(AControl) {}

void TcxControlChildComponent::AfterConstruction() {
  inherited::AfterConstruction();
  Initialize();
  if (FJoinControl) FJoinControl->AddChildComponent(this);
  FJoinControl = nullptr;
}

void TcxControlChildComponent::BeforeDestruction() {
  if (FControl) FControl->RemoveChildComponent(this);
  inherited::BeforeDestruction();
}

void TcxControlChildComponent::SetParentComponent(TComponent* Value) {
  if (auto* control = dynamic_cast<TcxControl*>(Value))
    control->AddChildComponent(this);
  else if (!Value && FControl)
    FControl->RemoveChildComponent(this);
}

void TcxControlChildComponent::ReadState(TReader& Reader) {
  if (auto* control = dynamic_cast<TcxControl*>(Reader.Parent())) control->AddChildComponent(this);
  inherited::ReadState(Reader);
}

TL_DEFINE_CLASS(TcxControlChildComponent)

TL_DEFINE_CLASS(TcxControl, [](auto& c) {
  c.Property("PopupMenu", &TcxControl::GetPopupMenu, &TcxControl::SetPopupMenu);
  c.Event("OnContextPopup", &TcxControl::OnContextPopup);
})

// ---- Settings controller --------------------------------------------------------------------

TcxSettingsController::~TcxSettingsController() {
  if (FWindow) DeallocateHWnd(FWindow);
}

void TcxSettingsController::AddListener(TWinControl* AControl) {
  if (std::find(FListeners.begin(), FListeners.end(), AControl) != FListeners.end()) return;
  FListeners.push_back(AControl);
  if (!FWindow) FWindow = AllocateHWnd(TWndMethod(this, &TcxSettingsController::WndProc));
}

void TcxSettingsController::RemoveListener(TWinControl* AControl) {
  FListeners.erase(std::remove(FListeners.begin(), FListeners.end(), AControl), FListeners.end());
  if (FListeners.empty() && FWindow) {
    DeallocateHWnd(FWindow);
    FWindow = nullptr;
  }
}

void TcxSettingsController::WndProc(TMessage& Message) {
  try {
    if (Message.Msg == WM_SETTINGCHANGE && Message.WParam == kSetNonClientMetrics) {
      const std::vector<TWinControl*> listeners = FListeners;  // a handler may unregister
      for (TWinControl* control : listeners)
        if (control->HandleAllocated()) SendNotifyMessageA(control->Handle(), TL_MSG_METRICS_REFRESH, 0, 0);
      Message.Result = 0;
      return;
    }
    Message.Result = DefWindowProcA(FWindow, Message.Msg, Message.WParam, Message.LParam);
  } catch (...) {
    // System notices must not unwind into the platform's broadcast.
  }
}

TL_DEFINE_CLASS(TcxSettingsController)

TcxSettingsController* cxSettingsController() {
  if (!gSettingsController) gSettingsController = New<TcxSettingsController>();
  return gSettingsController;
}

void cxControls::FreeSettingsController() {
  if (gSettingsController) gSettingsController->Free();
  gSettingsController = nullptr;
}
