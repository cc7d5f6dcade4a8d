#include "widgets/foundation/cxContainer.h"

#include "classlib/core/ScopeGuards.h"
#include "classlib/core/SysUtils.h"
#include "classlib/visual/Forms.h"
#include "classlib/visual/Messages.h"
#include "platform/gdi/Gdi.h"
#include "platform/kernel/Arith.h"
#include "platform/theme/UxTheme.h"
#include "platform/user/User.h"
#include "widgets/foundation/dxOffice11.h"
#include "widgets/foundation/dxUxTheme.h"

#include <algorithm>

Integer cxGetContainerBorderWidth(TcxContainerBorderStyle ABorderStyle) {
  static const Integer kWidths[] = {0, 1, 2, 2, 2, 1, 1};
  const auto i = static_cast<size_t>(ABorderStyle);
  return i < std::size(kWidths) ? kWidths[i] : 0;
}

Integer cxGetLookAndFeelBorderWidth(TcxLookAndFeelKind AKind) {
  switch (AKind) {
    case TcxLookAndFeelKind::lfFlat:
    case TcxLookAndFeelKind::lfStandard: return 2;
    case TcxLookAndFeelKind::lfUltraFlat:
    case TcxLookAndFeelKind::lfOffice11: return 1;
  }
  return 1;
}

void cxDrawContainerShadow(TcxCanvas& ACanvas, const TRect& R) {
  const TRect bottom{R.Left + 3, R.Bottom, R.Right, R.Bottom + 3};
  const TRect right{R.Right, R.Top + 3, R.Right + 3, R.Bottom + 3};
  ACanvas.SetBrushColor(clBtnShadow);
  for (const TRect& strip : {bottom, right}) {
    if (strip.IsEmpty()) continue;
    ACanvas.FillRect(strip);
    ACanvas.ExcludeClipRect(strip);
  }
}

void TcxContainerViewInfo::Assign(TcxContainerViewInfo* Source) {
  if (Source) ClientRect = Source->ClientRect;
}

TcxRegion* TcxContainerViewInfo::GetUpdateRegion(TcxContainerViewInfo*) { return New<TcxRegion>(); }

void TcxContainerViewInfo::Offset(Integer DX, Integer DY) {
  for (TRect* r : {&BorderRect, &Bounds, &ClientRect}) {
    r->Left += DX;
    r->Right += DX;
    r->Top += DY;
    r->Bottom += DY;
  }
}

void TcxContainerViewInfo::DrawBorder(TcxCanvas& ACanvas, const TRect& R) {
  using B = TcxContainerBorderStyle;
  const TRect inner{R.Left + 1, R.Top + 1, R.Right - 1, R.Bottom - 1};
  switch (BorderStyle) {
    case B::cbsSingle:
    case B::cbsThick:
      ACanvas.FrameRect(R, BorderColor, cxBordersAll, BorderWidth);
      break;
    case B::cbsFlat:
      ACanvas.DrawEdge(R, true, true, Edges);
      ACanvas.FrameRect(inner, clBtnFace);
      break;
    case B::cbs3D:
      ACanvas.DrawEdge(R, true, true, Edges);
      ACanvas.DrawComplexFrame(inner, cl3DDkShadow, cl3DLight, Edges);
      break;
    case B::cbsNone:
    case B::cbsUltraFlat:
    case B::cbsOffice11:
      break;
  }
}

void TcxContainerViewInfo::InternalPaint(TcxCanvas& ACanvas) {
  if (NativeStyle) return PaintNative(ACanvas);
  TRect r = BorderRect;
  r.Left -= BorderWidth;
  r.Top -= BorderWidth;
  if (Edges.Contains(TcxBorder::bRight)) r.Right += BorderWidth;
  if (Edges.Contains(TcxBorder::bBottom)) r.Bottom += BorderWidth;
  if (Shadow) cxDrawContainerShadow(ACanvas, r);
  if (!Edges.Contains(TcxBorder::bRight)) r.Right += BorderWidth;
  if (!Edges.Contains(TcxBorder::bBottom)) r.Bottom += BorderWidth;
  DrawBorder(ACanvas, r);
  if (BorderRect.IsEmpty()) return;
  ACanvas.SetBrushColor(BackgroundColor);
  ACanvas.FillRect(BorderRect);
}

void TcxContainerViewInfo::PaintNative(TcxCanvas& ACanvas) {
  if (Bounds.IsEmpty()) return;
  if (BorderStyle == TcxContainerBorderStyle::cbsNone) {
    ACanvas.SetBrushColor(BackgroundColor);
    ACanvas.FillRect(Bounds);
    return;
  }
  TRect content = Bounds;
  HTHEME theme = cxOpenTheme(ThemedObjectType);
  if (!theme || FAILED(cxGetThemeBackgroundContentRect(theme, ACanvas.GetHandle(), NativePart, NativeState, Bounds,
                                                        content)))
    content = {Bounds.Left + 1, Bounds.Top + 1, Bounds.Right - 1, Bounds.Bottom - 1};
  // Without a theme colour the frame keeps the computed border colour rather than garbage.
  TColor frame = BorderColor;
  COLORREF themed = 0;
  HTHEME combo = cxOpenTheme(TdxThemedObjectType::totComboBox);
  if (combo && SUCCEEDED(cxGetThemeColor(combo, 1, 1, TMT_BORDERCOLOR, themed))) frame = TColor(themed);
  if (!content.IsEmpty()) {
    ACanvas.SetBrushColor(BackgroundColor);
    ACanvas.FillRect(content);
  }
  ACanvas.SetBrushColor(frame);
  const TRect strips[] = {{Bounds.Left, Bounds.Top, Bounds.Right, content.Top},
                          {Bounds.Left, content.Bottom, Bounds.Right, Bounds.Bottom},
                          {Bounds.Left, content.Top, content.Left, content.Bottom},
                          {content.Right, content.Top, Bounds.Right, content.Bottom}};
  for (const TRect& s : strips)
    if (!s.IsEmpty()) ACanvas.FillRect(s);
}

TL_DEFINE_CLASS(TcxContainerViewInfo, [](auto&) {});

// ---- container ----

namespace {
// The button pressed over a container and still held; none once released or left.
TcxMouseButton gLastMouseButton = TcxMouseButton::cxmbNone;

TRect Deflate(const TRect& R, const TRect& By) {
  return {R.Left + By.Left, R.Top + By.Top, R.Right - By.Right, R.Bottom - By.Bottom};
}
// Too small for its border: nothing inside.
TRect Normalized(TRect R) {
  if (R.Right < R.Left) R.Right = R.Left;
  if (R.Bottom < R.Top) R.Bottom = R.Top;
  return R;
}
}  // namespace

TcxContainer::TcxContainer(TComponent* AOwner) : TcxControl(AOwner) {}

void TcxContainer::RecreateViewInfo() {
  TcxContainerViewInfo* old = FViewInfo;
  FViewInfo = GetViewInfoClass().Create();
  if (old) old->Free();
}

void TcxContainer::AfterConstruction() {
  inherited::AfterConstruction();
  FStyles = GetStylesClass().Create(this, GetStyleClass());
  FStyles->SetOnChanged({this, &TcxContainer::ContainerStyleChanged});
  FViewInfo = GetViewInfoClass().Create();
  GetLookAndFeel()->SetMasterLookAndFeel(GetStyle()->GetLookAndFeel());
  SetTabStop(true);
  SetParentColor(DefaultParentColor() && !IsInplace() && !GetStyle()->IsValueAssigned(csvColor));
  if (!GetParentColor()) SetColor(clWindow);
  SetRegionChanged();
  FCreating = false;
  ContainerStyleChanged(nullptr);
}

void TcxContainer::BeforeDestruction() {
  EndMouseTracking();
  FIsDestroying = true;
  FreeAndNil(FViewInfo);
  if (FStyles) FStyles->SetOnChanged(nullptr);
  FreeAndNil(FStyles);
  inherited::BeforeDestruction();
}

TcxContainerStyleClass TcxContainer::GetStyleClass() const {
  return ClassOf<TcxContainerStyle, TcxContainerStyle, TPersistent*, TcxContainerStateItem, TcxContainerStyle*,
                 bool>();
}

TcxContainerViewInfoClass TcxContainer::GetViewInfoClass() const {
  return ClassOf<TcxContainerViewInfo, TcxContainerViewInfo>();
}

TcxContainerStyle* TcxContainer::InternalGetActiveStyle() const {
  const TcxContainerState state = FViewInfo ? FViewInfo->ContainerState : TcxContainerState{};
  if (state.Contains(TcxContainerStateItem::csDisabled)) return GetStyleDisabled();
  if (state.Contains(TcxContainerStateItem::csActive)) return GetStyleFocused();
  if (state.Contains(TcxContainerStateItem::csHotTrack) && GetStyleHot()->GetHotTrack()) return GetStyleHot();
  return GetStyle();
}

// Asked on every paint and mouse move: answered from the last state until that changes
// (or a style does).
TcxContainerStyle* TcxContainer::GetActiveStyle() const {
  const TcxContainerState state = FViewInfo ? FViewInfo->ContainerState : TcxContainerState{};
  if (!FActiveStyle || FActiveStyleState != state) {
    FActiveStyle = InternalGetActiveStyle();
    FActiveStyleState = state;
  }
  return FActiveStyle;
}

TcxContainerStylesClass TcxContainer::GetStylesClass() const {
  return ClassOf<TcxContainerStyles, TcxContainerStyles, TPersistent*, TcxContainerStyleClass>();
}

bool TcxContainer::IsNativeStyle() const {
  return GetStyle()->GetLookAndFeel()->GetNativeStyle() && cxOpenTheme(GetBackgroundThemedObjectType()) != nullptr;
}

bool TcxContainer::HasShadow() const { return GetActiveStyle()->GetShadow() && !IsNativeStyle(); }

int TcxContainer::GetBackgroundNativeState() const {
  const TcxContainerState state = FViewInfo->ContainerState;
  if (state.Contains(TcxContainerStateItem::csDisabled)) return 4;
  if (state.Contains(TcxContainerStateItem::csActive)) return 5;
  if (state.Contains(TcxContainerStateItem::csHotTrack)) return 2;
  return 1;
}

void TcxContainer::GetBorderExtent(TRect& R) const {
  R = {};
  TcxContainerStyle* active = GetActiveStyle();
  if (active->GetTransparentBorder()) {
    R = {2, 2, 2, 2};
  } else if (GetStyle()->HasBorder()) {
    if (!IsNativeStyle()) {
      const Integer w = cxGetContainerBorderWidth(FViewInfo->BorderStyle);
      const TcxBorders edges = active->GetEdges();
      R = {edges.Contains(TcxBorder::bLeft) ? w : 0, edges.Contains(TcxBorder::bTop) ? w : 0,
           edges.Contains(TcxBorder::bRight) ? w : 0, edges.Contains(TcxBorder::bBottom) ? w : 0};
    } else if (GetStyle()->GetBorderStyle() != TcxContainerBorderStyle::cbsNone) {
      R = {2, 2, 2, 2};
    }
  }
  if (HasShadow()) {
    R.Right += 3;
    R.Bottom += 3;
  }
}

void TcxContainer::GetHotTrackBounds(TRect& R) const {
  R = {0, 0, GetWidth(), GetHeight()};
  if (IsInplace()) return;
  if (HasShadow()) {
    R.Right -= 3;
    R.Bottom -= 3;
  }
  TcxContainerStyle* base = GetStyle();
  const bool transparent = base->GetTransparentBorder();
  if (base->HasBorder()) {
    if (IsNativeStyle()) {
      if (base->GetBorderStyle() == TcxContainerBorderStyle::cbsNone && transparent) R = Deflate(R, {2, 2, 2, 2});
    } else if (transparent) {
      const Integer w = cxGetContainerBorderWidth(FViewInfo->BorderStyle);
      R = Deflate(R, {2 - w, 2 - w, 2 - w, 2 - w});
      const TcxBorders edges = GetActiveStyle()->GetEdges();
      if (!edges.Contains(TcxBorder::bLeft)) R.Left += w;
      if (!edges.Contains(TcxBorder::bTop)) R.Top += w;
      if (!edges.Contains(TcxBorder::bRight)) R.Right -= w;
      if (!edges.Contains(TcxBorder::bBottom)) R.Bottom -= w;
    }
  } else if (transparent) {
    R = Deflate(R, {2, 2, 2, 2});
  }
  R = Normalized(R);
}

void TcxContainer::GetBorderRect(TRect& R) const {
  TRect extent;
  GetBorderExtent(extent);
  R = Deflate({0, 0, GetWidth(), GetHeight()}, extent);
  const Integer w = FViewInfo->BorderWidth;
  const TcxBorders edges = FViewInfo->Edges;
  if (edges.Contains(TcxBorder::bLeft)) R.Left -= w;
  if (edges.Contains(TcxBorder::bTop)) R.Top -= w;
  if (edges.Contains(TcxBorder::bRight)) R.Right += w;
  if (edges.Contains(TcxBorder::bBottom)) R.Bottom += w;
  R = Normalized(R);
}

void TcxContainer::UpdateWindowRegion() {
  if (!HandleAllocated() || !FViewInfo) return;
  TRect r;
  GetBorderRect(r);
  // A native frame paints the whole window: no region at all.
  const bool noRegion = FViewInfo->NativeStyle && GetStyle()->GetBorderStyle() != TcxContainerBorderStyle::cbsNone;
  cxUpdateWindowRegion(GetHandle(), r, noRegion, TRect{}, FViewInfo->Shadow);
}

TcxContainerState TcxContainer::ComputeState(const TPoint& P, bool AMouseInside) const {
  using S = TcxContainerStateItem;
  if (!GetEnabled()) return {S::csDisabled};
  if (ComponentState().Contains(TComponentStateItem::csDesigning)) return {S::csNormal};
  TcxContainerState state{IsContainerFocused() ? S::csActive : S::csNormal};
  TRect hot;
  GetHotTrackBounds(hot);
  const bool buttonDown = (GetKeyState(VK_LBUTTON) | GetKeyState(VK_RBUTTON) | GetKeyState(VK_MBUTTON)) < 0;
  if (AMouseInside && !buttonDown && GetActiveStyle()->GetHotTrack() && P.X >= hot.Left && P.X < hot.Right &&
      P.Y >= hot.Top && P.Y < hot.Bottom)
    state.Include(S::csHotTrack);
  return state;
}

void TcxContainer::CalculateViewInfo(const TPoint& P, TcxMouseButton, bool) {
  using B = TcxContainerBorderStyle;
  using S = TcxContainerStateItem;
  TcxContainerViewInfo& vi = *FViewInfo;
  vi.NativeStyle = IsNativeStyle();
  auto paintedBorder = [&] {
    if (vi.NativeStyle) return GetStyle()->GetBorderStyle();
    B b = GetActiveStyle()->GetBorderStyle();
    return (b == B::cbsUltraFlat || b == B::cbsOffice11) ? B::cbsSingle : b;
  };
  const Integer oldWidth = cxGetContainerBorderWidth(vi.BorderStyle);
  vi.ContainerState = ComputeState(P, FMouseInside);
  vi.BorderStyle = paintedBorder();
  // The hot-track area depends on the border: a thinner one asks again.
  if (!vi.NativeStyle && cxGetContainerBorderWidth(vi.BorderStyle) < oldWidth) {
    vi.ContainerState = ComputeState(P, FMouseInside);
    vi.BorderStyle = paintedBorder();
  }
  TcxContainerStyle* active = GetActiveStyle();
  vi.HotState = !active->GetHotTrack() ? 0
                : (vi.ContainerState.Contains(S::csActive) || vi.ContainerState.Contains(S::csHotTrack)) ? 2
                                                                                                           : 1;
  if (vi.NativeStyle) {
    vi.ThemedObjectType = GetBackgroundThemedObjectType();
    vi.NativePart = GetBackgroundNativePart();
    vi.NativeState = GetBackgroundNativeState();
  }
  vi.Bounds = {0, 0, GetWidth(), GetHeight()};
  TRect extent;
  GetBorderExtent(extent);
  vi.BorderRect = Normalized(Deflate(vi.Bounds, extent));
  vi.ClientRect = vi.BorderRect;
  vi.BorderWidth = cxGetContainerBorderWidth(vi.BorderStyle);
  vi.Edges = active->GetEdges();
  vi.Shadow = HasShadow();

  const B activeBorder = active->GetBorderStyle();
  if (activeBorder == B::cbsUltraFlat || activeBorder == B::cbsOffice11) {
    const bool designing = ComponentState().Contains(TComponentStateItem::csDesigning);
    const bool highlighted = vi.ContainerState.Contains(S::csActive) ||
                             (vi.ContainerState.Contains(S::csHotTrack) && active->GetHotTrack()) ||
                             (designing && GetEnabled());
    if (!highlighted)
      vi.BorderColor = clBtnShadow;
    else
      vi.BorderColor = activeBorder == B::cbsUltraFlat ? clHighlight : TColor(cxOffice11Colors().SelectionFrame);
  } else {
    vi.BorderColor = active->GetBorderColor();
  }

  // A disabled native container takes the visual style's fill; when the style has none
  // the active style's colour stands, never an unset value.
  TColor back = active->GetColor();
  if (vi.NativeStyle && vi.ContainerState.Contains(S::csDisabled)) {
    COLORREF fill = 0;
    HTHEME theme = cxOpenTheme(vi.ThemedObjectType);
    if (theme && SUCCEEDED(cxGetThemeColor(theme, vi.NativePart, vi.NativePart, TMT_FILLCOLOR, fill)))
      back = TColor(fill);
  }
  vi.SetBackgroundColor(back);
}

void TcxContainer::AdjustInnerControl() {
  if (!FInnerControl) return;
  FInnerControl->SetColor(FViewInfo->BackgroundColor);
  FInnerControl->SetFont(GetActiveStyle()->GetVisibleFont());
}

void TcxContainer::AdjustInnerControlBounds() {
  if (!FInnerControl) return;
  const TRect& r = FViewInfo->ClientRect;
  if (FInnerControl->GetBoundsRect() == r) {
    // Same place, but its clip region must be set again (a new window, say).
    if (FRegionChanged) {
      TRect client = GetClientRect();
      AlignControls(FInnerControl, client);
    }
    return;
  }
  // The inner control's OnResize may free the container.
  TWatchedValue<bool> adjusting(this, FIsAdjusting, true);
  FInnerControl->SetBounds(r.Left, r.Top, r.Width(), r.Height());
}

bool TcxContainer::ProcessViewInfoChanges(const TPoint& P, TcxMouseButton AButton, TShiftState,
                                          bool AIsMouseEvent) {
  if (FIsAdjusting || FIsDestroying) return true;
  CalculateViewInfo(P, AButton, AIsMouseEvent);
  TWeakLink self(this);
  AdjustInnerControlBounds();
  if (!self.Alive()) return true;
  AdjustInnerControl();
  UpdateWindowRegion();
  // The inner control repaints itself; only the frame around it is the container's.
  if (FInnerControl && HandleAllocated())
    cxInvalidateRectFrame(GetHandle(), cxGetControlRect(this), FViewInfo->BorderRect, false);
  else
    Invalidate();
  if (FViewInfo->ContainerState.Contains(TcxContainerStateItem::csHotTrack) && HandleAllocated()) {
    TRect hot;
    GetHotTrackBounds(hot);
    cxBeginMouseTracking(this, hot, &FMouseTracker);
  }
  return true;
}

void TcxContainer::RecalcViewAtCursor(bool AIsMouseEvent) {
  if (FRecalculating || FIsDestroying || FCreating || !FViewInfo) return;
  // A pressed or released button may free the control.
  TWatchedValue<bool> recalculating(this, FRecalculating, true);
  TPoint p{-1, -1};
  if (HandleAllocated()) {
    POINT cur{};
    GetCursorPos(&cur);
    ::ScreenToClient(GetHandle(), &cur);
    p = cur;
  }
  ProcessViewInfoChanges(p, gLastMouseButton, cxGetShiftState(), AIsMouseEvent);
}

void TcxContainer::SetInnerControl(TWinControl* Value) {
  FInnerControl = Value;
  FInnerControlBounds = {};
  SetRegionChanged();
  TWeakLink self(this);  // placing the inner control runs its OnResize, which may free this
  RecalcViewAtCursor();
  if (self.Alive()) PostUpdateScrollBars();
}

void TcxContainer::ContainerStyleChanged(TObject*) {
  FActiveStyle = nullptr;
  if (FCreating || FIsDestroying || ComponentState().Contains(TComponentStateItem::csLoading)) return;
  // The inner control's bounds and the new colour and font reach handlers that may free this.
  TWeakLink self(this);
  RecalcViewAtCursor();
  if (!self.Alive()) return;
  TcxContainerStyle* style = GetStyle();
  TWatchedValue<bool> copying(this, FIsCopyingFromStyle, true);
  if (!GetParentColor() || style->IsValueAssigned(csvColor)) SetColor(style->GetVisibleColor());
  if (!self.Alive()) return;
  // A font taken from the parent stays the parent's until the style has one of its own.
  if (!GetParentFont() || style->IsValueAssigned(csvFont)) SetFont(style->GetFont());
}

void TcxContainer::FocusInnerControl() {
  if (FInnerControl && FInnerControl->CanFocus()) FInnerControl->SetFocus();
}

// The handlers that run below (key, mouse, focus) may free the control: nothing after them
// touches it once it is gone.
void TcxContainer::KeyDown(Word& Key, TShiftState Shift) {
  TWeakLink self(this);
  inherited::KeyDown(Key, Shift);
  if (!self.Alive()) {
    Key = 0;
    return;
  }
  if (Key != VK_TAB || Shift.Contains(TShiftStateItem::ssAlt) || Shift.Contains(TShiftStateItem::ssCtrl)) return;
  if (!IsContainerFocused() || HandlesTabKey()) return;
  Key = 0;
  TCustomForm* form = GetParentForm(this);
  if (!form) return;
  // Counted from the container, not from its inner control: going back from the inner
  // control would reach the container and so the inner control again.
  TWinControl* current = form->GetActiveControl();
  if (!current || ContainsControl(current)) current = this;
  form->SelectNext(current, !Shift.Contains(TShiftStateItem::ssShift), true);
  if (self.Alive() && HandleAllocated() && GetFocus() == GetHandle()) FocusInnerControl();
}

void TcxContainer::FocusChanged() {
  TWeakLink self(this);
  inherited::FocusChanged();
  if (self.Alive()) RecalcViewAtCursor();
}

void TcxContainer::MouseEnter(TControl* AControl) {
  TWeakLink self(this);
  inherited::MouseEnter(AControl);
  if (!self.Alive()) return;
  FMouseInside = true;
  RecalcViewAtCursor(true);
}

void TcxContainer::MouseLeave(TControl* AControl) {
  TWeakLink self(this);
  inherited::MouseLeave(AControl);
  if (!self.Alive()) return;
  FMouseInside = false;
  gLastMouseButton = TcxMouseButton::cxmbNone;
  RecalcViewAtCursor(true);
}

void TcxContainer::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  TWeakLink self(this);
  inherited::MouseMove(Shift, X, Y);
  if (!self.Alive()) return;
  FMouseInside = true;
  RecalcViewAtCursor(true);
}

void TcxContainer::Resize() {
  TWeakLink self(this);  // OnResize may free the control
  inherited::Resize();
  if (!self.Alive()) return;
  RecalcViewAtCursor();  // the inner control's OnResize may free this
  if (!self.Alive()) return;
  // The bars follow the inner control, which has only now taken its new place.
  UpdateScrollBars();
}

void TcxContainer::CreateWnd() {
  inherited::CreateWnd();
  SetRegionChanged();
  TWeakLink self(this);  // placing the inner control runs its OnResize, which may free this
  RecalcViewAtCursor();
  if (self.Alive()) PostUpdateScrollBars();
}

void TcxContainer::Paint() {
  if (FViewInfo) FViewInfo->Paint(*GetCanvas());
}

void TcxContainer::WndProc(TMessage& Message) {
  // A handler the inherited step runs (a mouse press, OnEnter, a resize) may free this
  // container or what holds it: nothing is read after that.
  TWeakLink self(this);
  const HWND inner = FInnerControl && FInnerControl->HandleAllocated() ? FInnerControl->GetHandle() : nullptr;
  switch (Message.Msg) {
    case WM_NCPAINT:
      Message.Result = 0;
      return;
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CHAR:
    case CN_KEYDOWN:
    case CN_KEYUP:
    case CN_CHAR:
      if (inner) {
        Message.Result = SendMessageA(inner, Message.Msg, Message.WParam, Message.LParam);
        return;
      }
      break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (GetDragMode() == TDragMode::dmAutomatic && !ComponentState().Contains(TComponentStateItem::csDesigning)) {
        BeginDrag(false, -1);
        Message.Result = 0;
        return;
      }
      break;
    case WM_SETFOCUS:
      // Focus handed back by the inner control is no entry into the container.
      if (!GetVisible() || (inner && HWND(Message.WParam) == inner)) {
        Message.Result = 0;
        return;
      }
      inherited::WndProc(Message);
      if (!self.Alive()) return;
      // An entry by the window's focus alone (a form focusing its active control as it
      // activates) goes on to the inner control, as SetFocus does: typing then reaches the
      // inner control's caret and selection, not a container that merely forwards keys.
      if (inner && !FIsDestroying && GetFocus() == GetHandle() && FInnerControl->CanFocus()) {
        FocusInnerControl();
        if (TCustomForm* form = GetParentForm(this); form && GetFocus() == inner) form->SetActiveControl(FInnerControl);
      }
      return;
    case WM_KILLFOCUS:
      // Passing the focus to the inner control does not leave the container.
      if (inner && HWND(Message.WParam) == inner) {
        Message.Result = 0;
        return;
      }
      break;
    case WM_WINDOWPOSCHANGING:
      inherited::WndProc(Message);
      if (!self.Alive()) return;
      if (inner && !FIsDestroying && GetFocus() == GetHandle() && FInnerControl->CanFocus())
        if (TCustomForm* form = GetParentForm(this)) form->SetActiveControl(FInnerControl);
      return;
    case WM_WINDOWPOSCHANGED:
      inherited::WndProc(Message);
      if (!self.Alive()) return;
      if (NeedsViewRefresh()) RecalcViewAtCursor();
      return;
    case CM_CTL3DCHANGED:
    case CM_ENABLEDCHANGED:
    case CM_SYSCOLORCHANGE:
    case CM_PARENTCOLORCHANGED:
      inherited::WndProc(Message);
      if (!self.Alive()) return;
      RecalcViewAtCursor();
      return;
    case CM_PARENTFONTCHANGED:
      // The style learns the parent's font once the control holds it as the parent's.
      {
        FTakingParentFont = true;
        TScopeExit taken([this] { FTakingParentFont = false; });
        inherited::WndProc(Message);
      }
      if (GetParentFont() && !FIsCopyingFromStyle) CopyFontToStyle();
      return;
    case DXM_UPDATESCROLLBARS:
      UpdateScrollBars();
      Message.Result = 0;
      return;
    default:
      break;
  }
  inherited::WndProc(Message);
}

void TcxContainer::LockAlignControls(bool ALock) {
  if (ALock)
    ++FLockAlignControlsCount;
  else if (FLockAlignControlsCount > 0)
    --FLockAlignControlsCount;
}

void TcxContainer::PostUpdateScrollBars() {
  if (HandleAllocated() && FInnerControl) PostMessageA(GetHandle(), DXM_UPDATESCROLLBARS, 0, 0);
}

bool TcxContainer::IsStylePropertyStored(const String& APropertyName, bool ACheckShared) const {
  TcxContainerStyle* style = GetStyle();
  for (TcxContainerStyleValue i = 0; i < style->GetStyleValueCount(); ++i) {
    String name;
    if (!style->GetStyleValueName(i, name) || !SameText(name, APropertyName)) continue;
    if (GetUnusedStyleValues().Contains(i)) return false;
    // Shared values live on the base style alone.
    return !(ACheckShared && style->GetSharedStyleValues().Contains(i));
  }
  return true;
}

void TcxContainer::SetFocus() {
  if (ComponentState().Contains(TComponentStateItem::csDesigning) || IsContainerFocused()) return;
  TWeakLink self(this);  // OnEnter may free the control
  inherited::SetFocus();
  if (!self.Alive() || !FInnerControl || !HandleAllocated() || GetFocus() != GetHandle()) return;
  FocusInnerControl();
  if (!self.Alive()) return;
  if (TCustomForm* form = GetParentForm(this); form && FInnerControl->CanFocus()) form->SetActiveControl(FInnerControl);
}

void TcxContainer::EndMouseTracking() { cxEndMouseTracking(&FMouseTracker); }

void TcxContainer::CalculateInnerControlClipRect(const TRect& R, TWinControl* AControl,
                                                 TcxContainerInnerControlBounds& AInfo) {
  const TRect b = AControl->GetBoundsRect();
  const TRect visible{std::max(b.Left, R.Left), std::max(b.Top, R.Top), std::min(b.Right, R.Right),
                      std::min(b.Bottom, R.Bottom)};
  if (visible == b) {
    AInfo = {true, {}};
    return;
  }
  AInfo.NoRegion = false;
  AInfo.Rect = visible.IsEmpty() ? TRect{}
                                 : TRect{visible.Left - b.Left, visible.Top - b.Top, visible.Right - b.Left,
                                         visible.Bottom - b.Top};
}

void TcxContainer::GetChildren(const TGetChildProc& Proc, TComponent* Root) {
  TWinControl* inner = FInnerControl;
  inherited::GetChildren(
      [&](TComponent* AChild) {
        if (AChild != inner) Proc(AChild);
      },
      Root);
}

void TcxContainer::AlignControls(TControl* AControl, TRect& ARect) {
  if (!AControl || ControlStyle().Contains(TControlStyleItem::csAcceptsControls)) {
    inherited::AlignControls(AControl, ARect);
    return;
  }
  if (FLockAlignControlsCount > 0 || IsInternalControl(AControl)) return;
  auto* control = dynamic_cast<TWinControl*>(AControl);
  if (!control || !control->HandleAllocated()) return;
  TcxContainerInnerControlBounds info;
  CalculateInnerControlClipRect(ARect, control, info);
  if (control != FInnerControl) {
    // Other children (the bars an inner control lays over itself, say) are clipped too, but
    // the remembered clip is the inner control's alone: theirs must not stand in for it.
    HRGN current = CreateRectRgn(0, 0, 0, 0);
    const bool hasRegion = GetWindowRgn(control->GetHandle(), current) != ERROR;
    DeleteObject(current);
    if (!info.NoRegion || hasRegion) cxSetWindowRegionFromInfo(control, info);
    return;
  }
  if (!FRegionChanged && info == FInnerControlBounds) return;
  FRegionChanged = false;
  FInnerControlBounds = info;
  cxSetWindowRegionFromInfo(control, info);
}

// ---- library scroll bars over the inner control ----

bool TcxContainer::GetInnerControlScrollBarInfo(SCROLLBARINFO& AInfo, TScrollBarKind AKind) const {
  if (!cxIsGetScrollBarInfoAvailable() || !FInnerControl || !FInnerControl->HandleAllocated()) return false;
  return cxGetScrollBarInfo(FInnerControl->GetHandle(),
                            AKind == TScrollBarKind::sbHorizontal ? OBJID_HSCROLL : OBJID_VSCROLL, AInfo);
}

bool TcxContainer::IsScrollBarVisible(const SCROLLBARINFO& AInfo) const {
  return (AInfo.rgstate[0] & cxScrollBarHiddenStates) == 0;
}

bool TcxContainer::IsScrollBarEnabled(TcxScrollBar*, const SCROLLBARINFO& AInfo) const {
  return (AInfo.rgstate[0] & STATE_SYSTEM_UNAVAILABLE) == 0 && GetEnabled();
}

void TcxContainer::ScreenRectToClient(const TRect& AScreenRect, TRect& R) const {
  const TPoint a = ScreenToClient({AScreenRect.Left, AScreenRect.Top});
  R = {a.X, a.Y, a.X + AScreenRect.Width(), a.Y + AScreenRect.Height()};
}

void TcxContainer::SetScrollBarVisible(TcxScrollBar* AScrollBar, bool AVisible) {
  if (AScrollBar->GetVisible() != AVisible) AScrollBar->SetVisible(AVisible);
  if (AVisible) AScrollBar->BringToFront();
}

void TcxContainer::UpdateScrollBar(TcxScrollBar* AScrollBar) {
  // An inner control that lays its own library bar needs no second one on top of it.
  auto* inner = dynamic_cast<IcxContainerInnerControl*>(FInnerControl);
  SCROLLBARINFO info;
  if ((inner && inner->GetLibraryScrollBar(AScrollBar->GetKind())) ||
      !GetInnerControlScrollBarInfo(info, AScrollBar->GetKind()) || !IsScrollBarVisible(info)) {
    SetScrollBarVisible(AScrollBar, false);
    return;
  }
  AScrollBar->SetEnabled(IsScrollBarEnabled(AScrollBar, info));
  TRect r;
  ScreenRectToClient(info.rcScrollBar, r);
  AScrollBar->SetBoundsRect(r);
  const int bar = AScrollBar->GetKind() == TScrollBarKind::sbHorizontal ? SB_HORZ : SB_VERT;
  if (cxCopyScrollInfo(FInnerControl->GetHandle(), bar, AScrollBar) && AScrollBar->GetPageSize() > 0)
    AScrollBar->SetLargeChange(TScrollBarInc(std::min<Integer>(AScrollBar->GetPageSize(), 0x7FFF)));
  SetScrollBarVisible(AScrollBar, true);
}

// Replaces the base control's settlement: these bars copy the inner control's own ones
// instead of being computed, so there is nothing to settle.
void TcxContainer::UpdateScrollBars() {
  if (FScrollBarsUpdating || !HScrollBar() || !VScrollBar() || FIsDestroying) return;
  TScopedValue<bool> updating(FScrollBarsUpdating, true);
  UpdateScrollBar(HScrollBar());
  UpdateScrollBar(VScrollBar());
}

// ---- keyboard, focus and mouse ----

bool TcxContainer::InnerControlMenuHandler(TMessage& Message) {
  if (Message.Msg != CN_KEYDOWN && Message.Msg != CN_SYSKEYDOWN) return false;
  if (!GetPopupMenu() || !cxPopupMenuIsShortCut(GetPopupMenu(), Message)) return false;
  Message.Result = 1;
  return true;
}

bool TcxContainer::CanFocusOnClick() {
  if (FInnerControl && FInnerControl->HandleAllocated() && FInnerControl->Focused()) return false;
  return !InnerControlMouseDown && inherited::CanFocusOnClick();
}

void TcxContainer::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  gLastMouseButton = cxTranslateMouseButton(Button);
  TWeakLink self(this);
  inherited::MouseDown(Button, Shift, X, Y);
  if (self.Alive()) RecalcViewAtCursor(true);
}

void TcxContainer::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  // Released, the button no longer counts as pressed over the container.
  if (gLastMouseButton == cxTranslateMouseButton(Button)) gLastMouseButton = TcxMouseButton::cxmbNone;
  TWeakLink self(this);
  inherited::MouseUp(Button, Shift, X, Y);
  if (self.Alive()) RecalcViewAtCursor(true);
}

// ---- colour and font exchange with the style ----

// A colour taken from the parent leaves an unassigned style colour alone (the style answers
// the parent's anyway); one chosen for the control becomes the style's own, since an
// unassigned value would fall back to the default and undo the choice.
void TcxContainer::CopyColorToStyle() {
  TcxContainerStyle* style = GetStyle();
  if (GetParentColor() && !style->GetAssignedValues().Contains(csvColor)) {
    RecalcViewAtCursor();
    return;
  }
  style->SetColor(GetColor());
}

// The same rule for the font: the parent's font is copied without assigning it.
void TcxContainer::CopyFontToStyle() {
  TcxContainerStyle* style = GetStyle();
  const bool keepUnassigned = GetParentFont() && !style->GetAssignedValues().Contains(csvFont);
  auto update = UpdateBracket(style);
  style->SetFont(GetFont());
  if (keepUnassigned) {
    TcxContainerStyleValues values = style->GetAssignedValues();
    style->SetAssignedValues(values.Exclude(csvFont));
  }
}

void TcxContainer::ColorChanged() {
  inherited::ColorChanged();
  if (FIsCopyingFromStyle || FCreating || FIsDestroying || !FStyles) return;
  CopyColorToStyle();
}

void TcxContainer::FontChanged() {
  if (!FIsCopyingFromStyle && !FTakingParentFont && !FCreating && !FIsDestroying && FStyles &&
      !ComponentState().Contains(TComponentStateItem::csLoading))
    CopyFontToStyle();
  inherited::FontChanged();
}

void TcxContainer::Loaded() {
  inherited::Loaded();
  // A font read with the control (or its parent's) reaches a style that has none of its own.
  if (!GetStyle()->GetAssignedValues().Contains(csvFont)) {
    if (GetParentFont() && GetParent())
      Perform(CM_PARENTFONTCHANGED);
    else
      CopyFontToStyle();
  }
  ContainerStyleChanged(nullptr);
}

void TcxContainer::ChangeScale(Integer M, Integer D) {
  if (M == D || M <= 0 || D <= 0) return;
  // The control's font is the style's: it is scaled there (or by the controller, once for
  // all its followers), never again with the bounds.
  Owned<TFont> font(New<TFont>());
  font->Assign(GetFont());
  const bool ownFont = !GetParentFont();
  {
    FIsCopyingFromStyle = true;
    TScopeExit copied([this] { FIsCopyingFromStyle = false; });
    inherited::ChangeScale(M, D);
    if (ownFont) SetFont(font.get());
  }
  GetStyle()->ScaleFont(M, D);
}

TL_DEFINE_CLASS(TcxContainer, [](auto& c) {
  c.Property("TabStop", &TcxContainer::GetTabStop, &TcxContainer::SetTabStop).Default(true);
  c.Property("DragKind", &TcxContainer::GetDragKind, &TcxContainer::SetDragKind).Default(TDragKind::dkDrag);
});
