#include "widgets/foundation/cxContainer.h"

#include "classlib/visual/Forms.h"
#include "classlib/visual/Messages.h"
#include "platform/gdi/Gdi.h"
#include "platform/theme/UxTheme.h"
#include "platform/user/User.h"
#include "widgets/foundation/dxOffice11.h"
#include "widgets/foundation/dxUxTheme.h"

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

void TcxContainer::AfterConstruction() {
  inherited::AfterConstruction();
  FStyles = New<TcxContainerStyles>(this, GetStyleClass());
  FStyles->SetOnChanged({this, &TcxContainer::ContainerStyleChanged});
  FViewInfo = GetViewInfoClass().Create();
  GetLookAndFeel()->SetMasterLookAndFeel(GetStyle()->GetLookAndFeel());
  SetTabStop(true);
  SetParentColor(DefaultParentColor() && !IsInplace() && !GetStyle()->IsValueAssigned(csvColor));
  if (!GetParentColor()) SetColor(clWindow);
  FCreating = false;
  ContainerStyleChanged(nullptr);
}

void TcxContainer::BeforeDestruction() {
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

TcxContainerStyle* TcxContainer::GetActiveStyle() const { return InternalGetActiveStyle(); }

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
  if (!HandleAllocated()) return;
  HWND wnd = GetHandle();
  HRGN current = CreateRectRgn(0, 0, 0, 0);
  const bool hasRegion = GetWindowRgn(wnd, current) != ERROR;
  // A native frame paints the whole window: no region at all.
  if (FViewInfo->NativeStyle && GetStyle()->GetBorderStyle() != TcxContainerBorderStyle::cbsNone) {
    if (hasRegion) SetWindowRgn(wnd, nullptr, TRUE);
    DeleteObject(current);
    return;
  }
  TRect r;
  GetBorderRect(r);
  HRGN rgn = CreateRectRgn(r.Left, r.Top, r.Right, r.Bottom);
  if (FViewInfo->Shadow && !r.IsEmpty()) {
    HRGN shadow = CreateRectRgn(r.Left + 3, r.Top + 3, r.Right + 3, r.Bottom + 3);
    CombineRgn(rgn, rgn, shadow, RGN_OR);
    DeleteObject(shadow);
  }
  if ((hasRegion && EqualRgn(rgn, current)) || SetWindowRgn(wnd, rgn, TRUE) == 0) DeleteObject(rgn);
  DeleteObject(current);
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

void TcxContainer::CalculateViewInfo(const TPoint& P, TMouseButton, bool) {
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
  if (FInnerControl->GetBoundsRect() == r) return;
  FIsAdjusting = true;
  try {
    FInnerControl->SetBounds(r.Left, r.Top, r.Width(), r.Height());
  } catch (...) {
    FIsAdjusting = false;
    throw;
  }
  FIsAdjusting = false;
}

bool TcxContainer::ProcessViewInfoChanges(const TPoint& P, TMouseButton AButton, TShiftState,
                                          bool AIsMouseEvent) {
  if (FIsAdjusting || FIsDestroying) return true;
  CalculateViewInfo(P, AButton, AIsMouseEvent);
  AdjustInnerControlBounds();
  AdjustInnerControl();
  UpdateWindowRegion();
  Invalidate();
  return true;
}

void TcxContainer::RecalcViewAtCursor(bool AIsMouseEvent) {
  if (FRecalculating || FIsDestroying || FCreating || !FViewInfo) return;
  FRecalculating = true;
  TPoint p{-1, -1};
  if (HandleAllocated()) {
    POINT cur{};
    GetCursorPos(&cur);
    ::ScreenToClient(GetHandle(), &cur);
    p = cur;
  }
  try {
    ProcessViewInfoChanges(p, TMouseButton::mbLeft, cxGetShiftState(), AIsMouseEvent);
  } catch (...) {
    FRecalculating = false;
    throw;
  }
  FRecalculating = false;
}

void TcxContainer::SetInnerControl(TWinControl* Value) {
  FInnerControl = Value;
  RecalcViewAtCursor();
}

void TcxContainer::ContainerStyleChanged(TObject*) {
  if (FCreating || FIsDestroying || ComponentState().Contains(TComponentStateItem::csLoading)) return;
  RecalcViewAtCursor();
  if (!GetParentColor() || GetStyle()->IsValueAssigned(csvColor)) SetColor(GetStyle()->GetVisibleColor());
}

void TcxContainer::FocusInnerControl() {
  if (FInnerControl && FInnerControl->CanFocus()) FInnerControl->SetFocus();
}

void TcxContainer::KeyDown(Word& Key, TShiftState Shift) {
  inherited::KeyDown(Key, Shift);
  if (Key != VK_TAB || Shift.Contains(TShiftStateItem::ssAlt) || Shift.Contains(TShiftStateItem::ssCtrl)) return;
  if (!IsContainerFocused() || HandlesTabKey()) return;
  Key = 0;
  TCustomForm* form = GetParentForm(this);
  if (!form) return;
  form->SelectNext(form->GetActiveControl(), !Shift.Contains(TShiftStateItem::ssShift), true);
  if (HandleAllocated() && GetFocus() == GetHandle()) FocusInnerControl();
}

void TcxContainer::FocusChanged() {
  inherited::FocusChanged();
  RecalcViewAtCursor();
}

void TcxContainer::MouseEnter(TControl* AControl) {
  inherited::MouseEnter(AControl);
  FMouseInside = true;
  RecalcViewAtCursor(true);
}

void TcxContainer::MouseLeave(TControl* AControl) {
  inherited::MouseLeave(AControl);
  FMouseInside = false;
  RecalcViewAtCursor(true);
}

void TcxContainer::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  inherited::MouseMove(Shift, X, Y);
  FMouseInside = true;
  RecalcViewAtCursor(true);
}

void TcxContainer::Resize() {
  inherited::Resize();
  RecalcViewAtCursor();
}

void TcxContainer::CreateWnd() {
  inherited::CreateWnd();
  RecalcViewAtCursor();
}

void TcxContainer::Paint() {
  if (FViewInfo) FViewInfo->Paint(*GetCanvas());
}

void TcxContainer::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_NCPAINT:
      Message.Result = 0;
      return;
    case CM_ENABLEDCHANGED:
    case CM_SYSCOLORCHANGE:
      inherited::WndProc(Message);
      RecalcViewAtCursor();
      return;
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CHAR:
      if (FInnerControl && FInnerControl->HandleAllocated()) {
        Message.Result = SendMessageA(FInnerControl->GetHandle(), Message.Msg, Message.WParam, Message.LParam);
        return;
      }
      break;
    default:
      break;
  }
  inherited::WndProc(Message);
}

// ---- not yet built: placeholders keeping the interface whole ----

void TcxContainer::LockAlignControls(bool) {}
void TcxContainer::PostUpdateScrollBars() {}
bool TcxContainer::IsStylePropertyStored(const String&, bool) const { return true; }
void TcxContainer::SetFocus() { inherited::SetFocus(); }
void TcxContainer::EndMouseTracking() {}
void TcxContainer::CalculateInnerControlClipRect(const TRect&, TWinControl*, TcxContainerInnerControlBounds& AInfo) {
  AInfo = {};
}
void TcxContainer::UpdateScrollBar(TcxScrollBar*) {}
void TcxContainer::ScreenRectToClient(const TRect& AScreenRect, TRect& R) const { R = AScreenRect; }
bool TcxContainer::IsScrollBarEnabled(TcxScrollBar*, const SCROLLBARINFO&) const { return false; }
bool TcxContainer::GetInnerControlScrollBarInfo(SCROLLBARINFO&, TScrollBarKind) const { return false; }
bool TcxContainer::IsScrollBarVisible(const SCROLLBARINFO&) const { return false; }
void TcxContainer::SetScrollBarVisible(TcxScrollBar*, bool) {}
bool TcxContainer::InnerControlMenuHandler(TMessage&) { return false; }
void TcxContainer::UpdateScrollBars() { inherited::UpdateScrollBars(); }
void TcxContainer::AlignControls(TControl* AControl, TRect& ARect) { inherited::AlignControls(AControl, ARect); }
bool TcxContainer::CanFocusOnClick() { return inherited::CanFocusOnClick(); }
void TcxContainer::ChangeScale(Integer, Integer) {}
void TcxContainer::ColorChanged() { inherited::ColorChanged(); }
void TcxContainer::FontChanged() { inherited::FontChanged(); }
void TcxContainer::Loaded() { inherited::Loaded(); }
void TcxContainer::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  inherited::MouseDown(Button, Shift, X, Y);
}
void TcxContainer::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  inherited::MouseUp(Button, Shift, X, Y);
}

TL_DEFINE_CLASS(TcxContainer, [](auto&) {});
