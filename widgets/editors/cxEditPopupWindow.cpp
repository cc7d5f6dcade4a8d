// The editor popup window: size and place by the edit's settings, the frame and system panel,
// sizing by the grip and the borders next to it, and the close-up reason of a hook's close.
#include "classlib/visual/Cursors.h"
#include "classlib/visual/Forms.h"
#include "platform/gdi/Gdi.h"
#include "platform/user/User.h"
#include "widgets/editcore/cxEditPaintUtils.h"
#include "widgets/editors/cxDropDownEdit.h"

#include <algorithm>

namespace {

// The shadow's width below and right of the window.
inline constexpr Integer kShadowSize = 3;

bool IsTop(Integer ACorner) { return ACorner == cxPopupGripTopLeft || ACorner == cxPopupGripTopRight; }
bool IsLeft(Integer ACorner) { return ACorner == cxPopupGripTopLeft || ACorner == cxPopupGripBottomLeft; }

// The status bar's gripper and the window's small close button stand for the panel's parts.
inline constexpr int kGripPart = SP_GRIPPER, kClosePart = WP_SMALLCLOSEBUTTON;

HTHEME PanelTheme(bool ANativeStyle, TdxThemedObjectType AType) {
  return cxIsNativeThemeUsable(ANativeStyle, AType) ? cxOpenTheme(AType) : nullptr;
}

TSize ThemedPartSize(bool ANativeStyle, TdxThemedObjectType AType, int APart) {
  TSize s{};
  HTHEME theme = PanelTheme(ANativeStyle, AType);
  if (!theme || FAILED(cxGetThemePartSizeNoRect(theme, nullptr, APart, 1, TS_TRUE, s))) return {};
  return s;
}

}  // namespace

// ---- view info ----

Integer TcxCustomEditPopupWindowViewInfo::GetRingCount() const {
  if (NativeStyle) return 1;
  switch (PopupBorderStyle) {
    case TcxEditPopupBorderStyle::epbsSingle: return 1;
    case TcxEditPopupBorderStyle::epbsFlat: return 2;
    case TcxEditPopupBorderStyle::epbsFrame3D: return 4;
    default: return 0;
  }
}

TSize TcxCustomEditPopupWindowViewInfo::GetThemedGripSize() const {
  return ThemedPartSize(NativeStyle, TdxThemedObjectType::totStatus, kGripPart);
}

TSize TcxCustomEditPopupWindowViewInfo::GetThemedCloseButtonSize() const {
  return ThemedPartSize(NativeStyle, TdxThemedObjectType::totWindow, kClosePart);
}

Integer TcxCustomEditPopupWindowViewInfo::GetSysPanelBaseHeight() const {
  return std::max({GetSystemMetrics(SM_CYHSCROLL), GetSystemMetrics(SM_CYSIZE), GetThemedGripSize().cy,
                   GetThemedCloseButtonSize().cy});
}

Integer TcxCustomEditPopupWindowViewInfo::GetSysPanelHeight() const {
  return std::max(GetSysPanelBaseHeight(), FMinSysPanelHeight);
}

TSize TcxCustomEditPopupWindowViewInfo::GetSizeGripSize() const {
  const Integer g = GetSysPanelBaseHeight() - 2;
  const TSize themed = GetThemedGripSize();
  return {std::max(g, themed.cx + 2), std::max(g, themed.cy + 2)};
}

TSize TcxCustomEditPopupWindowViewInfo::GetCloseButtonSize() const {
  if (!CloseButton) return {};
  const TSize themed = GetThemedCloseButtonSize();
  if (themed.cx > 0) return themed;
  const Integer s = GetSysPanelBaseHeight() - 4;
  return {s, s};
}

TRect TcxCustomEditPopupWindowViewInfo::GetBorderExtent() const {
  const Integer w = GetRingCount();
  TRect r{w, w, w, w};
  if (SysPanelStyle) {
    const bool line = NativeStyle || PopupBorderStyle == TcxEditPopupBorderStyle::epbsSingle;
    const Integer h = GetSysPanelHeight() + (line ? 1 : 0);
    if (IsTop(SizeGripCorner)) r.Top += h;
    else r.Bottom += h;
  }
  return r;
}

void TcxCustomEditPopupWindowViewInfo::Calculate(const TRect& ABounds) {
  Bounds = ABounds;
  const TRect e = GetBorderExtent();
  ClientRect = {ABounds.Left + e.Left, ABounds.Top + e.Top, ABounds.Right - e.Right, ABounds.Bottom - e.Bottom};
  SysPanelRect = CloseButtonRect = SizeGripRect = {};
  if (!SysPanelStyle) return;
  const Integer rings = GetRingCount();
  const Integer h = GetSysPanelHeight();
  const bool top = IsTop(SizeGripCorner), left = IsLeft(SizeGripCorner);
  const Integer l = ABounds.Left + rings, r = ABounds.Right - rings;
  SysPanelRect = top ? TRect{l, ABounds.Top + rings, r, ABounds.Top + rings + h}
                     : TRect{l, ABounds.Bottom - rings - h, r, ABounds.Bottom - rings};
  if (Sizeable) {
    const TSize g = GetSizeGripSize();
    const Integer gx = left ? SysPanelRect.Left : SysPanelRect.Right - g.cx;
    const Integer gy = top ? SysPanelRect.Top : SysPanelRect.Bottom - g.cy;
    SizeGripRect = {gx, gy, gx + g.cx, gy + g.cy};
  }
  if (CloseButton) {
    // At the panel's other end: a themed part 1 pixel in and centred across the panel, else a
    // square 3 pixels in and 2 pixels from the panel's outer edge.
    const TSize s = GetCloseButtonSize();
    const bool themed = GetThemedCloseButtonSize().cx > 0;
    const Integer in = themed ? 1 : 3, edge = themed ? (h - s.cy) / 2 : 2;
    const Integer x = left ? SysPanelRect.Right - in - s.cx : SysPanelRect.Left + in;
    const Integer y = top ? SysPanelRect.Top + edge : SysPanelRect.Bottom - edge - s.cy;
    CloseButtonRect = {x, y, x + s.cx, y + s.cy};
  }
}

void TcxCustomEditPopupWindowViewInfo::GetSizingDirections(const TPoint& P, Integer& AHorz, Integer& AVert) const {
  AHorz = AVert = 0;
  if (!Sizeable) return;
  const POINT q{P.X, P.Y};
  const bool top = IsTop(SizeGripCorner), left = IsLeft(SizeGripCorner);
  const Integer dh = left ? -1 : 1, dv = top ? -1 : 1;
  if (PtInRect(&SizeGripRect, q)) {
    AHorz = dh;
    AVert = dv;
    return;
  }
  // The two borders that meet at the grip's corner; at least 2 pixels wide.
  const Integer w = std::max<Integer>(2, GetRingCount());
  if (P.X < Bounds.Left || P.X >= Bounds.Right || P.Y < Bounds.Top || P.Y >= Bounds.Bottom) return;
  if (left ? P.X < Bounds.Left + w : P.X >= Bounds.Right - w) AHorz = dh;
  if (top ? P.Y < Bounds.Top + w : P.Y >= Bounds.Bottom - w) AVert = dv;
}

void TcxCustomEditPopupWindowViewInfo::Paint(TcxCanvas& ACanvas) {
  TRect r = Bounds;
  if (NativeStyle || PopupBorderStyle == TcxEditPopupBorderStyle::epbsSingle) {
    ACanvas.FrameRect(r, clBtnText);
  } else if (PopupBorderStyle == TcxEditPopupBorderStyle::epbsFlat ||
             PopupBorderStyle == TcxEditPopupBorderStyle::epbsFrame3D) {
    ACanvas.DrawEdge(r, false, true);
    InflateRect(&r, -1, -1);
    ACanvas.DrawEdge(r, false, false);
    InflateRect(&r, -1, -1);
    if (PopupBorderStyle == TcxEditPopupBorderStyle::epbsFrame3D) {
      ACanvas.FrameRect(r, ClientEdge ? clInactiveBorder : clBtnFace);
      InflateRect(&r, -1, -1);
      if (ClientEdge) ACanvas.FrameRect(r, clBtnFace);
      else ACanvas.DrawEdge(r, true, false);
    }
  }
  if (!SysPanelStyle || SysPanelRect.IsEmpty()) return;
  cxFillRectByColor(ACanvas, SysPanelRect, clBtnFace);
  // The line between the panel and the client area.
  if (NativeStyle || PopupBorderStyle == TcxEditPopupBorderStyle::epbsSingle) {
    const Integer y = IsTop(SizeGripCorner) ? SysPanelRect.Bottom : SysPanelRect.Top - 1;
    cxFillRectByColor(ACanvas, {SysPanelRect.Left, y, SysPanelRect.Right, y + 1}, clBtnText);
  }
  if (!SizeGripRect.IsEmpty()) {
    // Drawn 2 pixels in from the two outer edges at its corner.
    RECT g = SizeGripRect;
    if (IsLeft(SizeGripCorner)) g.Left += 2;
    else g.Right -= 2;
    if (IsTop(SizeGripCorner)) g.Top += 2;
    else g.Bottom -= 2;
    if (HTHEME theme = PanelTheme(NativeStyle, TdxThemedObjectType::totStatus))
      cxDrawThemeBackground(theme, ACanvas.GetHandle(), kGripPart, 1, &g, nullptr);
    else
      DrawFrameControl(ACanvas.GetHandle(), &g, DFC_SCROLL,
                       IsLeft(SizeGripCorner) ? DFCS_SCROLLSIZEGRIPRIGHT : DFCS_SCROLLSIZEGRIP);
  }
  HTHEME closeTheme = PanelTheme(NativeStyle, TdxThemedObjectType::totWindow);
  if (!CloseButtonRect.IsEmpty() && closeTheme) {
    // The button states 1 normal, 2 hot, 3 pressed are the part's own.
    cxDrawThemeBackground(closeTheme, ACanvas.GetHandle(), kClosePart, CloseButtonState, CloseButtonRect);
  } else if (!CloseButtonRect.IsEmpty()) {
    // A small button face with a cross, sunk while pressed.
    const bool pressed = CloseButtonState == cxPopupCloseButtonPressed;
    TRect b = CloseButtonRect;
    cxFillRectByColor(ACanvas, b, clBtnFace);
    ACanvas.DrawEdge(b, pressed, true);
    const Integer d = pressed ? 1 : 0, m = std::max<Integer>(3, b.Width() / 4);
    ACanvas.GetPen()->SetColor(clBtnText);
    for (Integer k = 0; k < 2; ++k) {
      ACanvas.MoveTo(b.Left + m + d + k, b.Top + m + d);
      ACanvas.LineTo(b.Right - m + d + k, b.Bottom - m + d);
      ACanvas.MoveTo(b.Right - m - 1 + d - k, b.Top + m + d);
      ACanvas.LineTo(b.Left + m - 1 + d - k, b.Bottom - m + d);
    }
  }
}

// ---- the window ----

TcxCustomEditPopupWindow::TcxCustomEditPopupWindow(TWinControl* AOwnerControl)
    : TcxCustomPopupWindow(AOwnerControl) {
  // Keys reach the edit first, whichever control of the popup has the focus.
  SetKeyPreview(true);
}

void TcxCustomEditPopupWindow::BeforeDestruction() {
  EraseSizingFrame();
  inherited::BeforeDestruction();
}

TcxCustomDropDownEdit* TcxCustomEditPopupWindow::Edit() const {
  return dynamic_cast<TcxCustomDropDownEdit*>(OwnerControl());
}

TcxContainerViewInfoClass TcxCustomEditPopupWindow::GetViewInfoClass() const {
  return ClassOf<TcxCustomEditPopupWindowViewInfo, TcxContainerViewInfo>();
}

Integer TcxCustomEditPopupWindow::GetAlignmentCode() const {
  switch (GetAlignHorz()) {
    case TcxPopupAlignHorz::pahCenter: return 1;
    case TcxPopupAlignHorz::pahRight: return 2;
    default: return 0;
  }
}

bool TcxCustomEditPopupWindow::IsFixedSize() const {
  TcxCustomDropDownEdit* edit = Edit();
  return !edit || edit->ActiveProperties()->IsPopupWindowSizeFixed();
}

TSize TcxCustomEditPopupWindow::GetNonClientSize() {
  TcxCustomEditPopupWindowViewInfo* vi = PopupViewInfo();
  const TRect e = vi->GetBorderExtent();
  TSize r{e.Left + e.Right, e.Top + e.Bottom};
  if (Sizeable && SysPanelStyle) r.cx += vi->GetCloseButtonSize().cx + vi->GetSizeGripSize().cx + 10;
  return r;
}

void TcxCustomEditPopupWindow::CalculateViewInfo() {
  TcxCustomEditPopupWindowViewInfo* vi = PopupViewInfo();
  vi->PopupBorderStyle = EditPopupBorderStyle;
  vi->NativeStyle = NativeStyle;
  vi->ClientEdge = ClientEdge;
  vi->SysPanelStyle = SysPanelStyle;
  vi->Sizeable = Sizeable;
  vi->CloseButton = CloseButton;
  vi->Shadow = Shadow;
  TRect bounds{0, 0, GetWidth(), GetHeight()};
  // The shadow lies outside the painted window.
  if (Shadow && !NativeStyle) {
    bounds.Right = std::max(bounds.Left, bounds.Right - kShadowSize);
    bounds.Bottom = std::max(bounds.Top, bounds.Bottom - kShadowSize);
  }
  vi->Calculate(bounds);
}

void TcxCustomEditPopupWindow::CalculateSize() {
  TcxCustomEditPopupWindowViewInfo* vi = PopupViewInfo();
  vi->SizeGripCorner = cxPopupGripBottomRight;
  vi->SysPanelStyle = SysPanelStyle;
  vi->PopupBorderStyle = EditPopupBorderStyle;
  vi->NativeStyle = NativeStyle;
  vi->CloseButton = CloseButton;
  TcxCustomDropDownEdit* edit = Edit();
  const TSize content = edit ? edit->GetPopupWindowClientPreferredSize() : TSize{0, 0};
  const TSize nc = GetNonClientSize();
  const Integer shadow = Shadow && !NativeStyle ? kShadowSize : 0;
  Integer w = PopupAutoSize ? content.cx + nc.cx : (PopupWidth > 0 ? PopupWidth : EditWidth);
  if (Sizeable && MinWidth >= 1) w = std::max(w, MinWidth);
  w = std::max(w, nc.cx);
  Integer h = PopupAutoSize ? content.cy + nc.cy
                            : (PopupHeight >= 1 ? PopupHeight : std::max(nc.cy, MinHeight));
  if (Sizeable && MinHeight > 0) h = std::max(h, MinHeight);
  h = std::max(h, nc.cy);
  SetBounds(GetLeft(), GetTop(), w + shadow, h + shadow);
}

void TcxCustomEditPopupWindow::CalculateBounds() {
  InitPopup();
  CalculateSize();
  TPoint P = CalculatePosition();
  FitToWorkArea(P, cxGetDesktopWorkArea(P));
  SetBounds(P.X, P.Y, GetWidth(), GetHeight());
}

TPoint TcxCustomEditPopupWindow::CalculatePosition() {
  TPoint P = inherited::CalculatePosition();
  TRect E = GetOwnerBounds();
  if (TControl* parent = GetOwnerParent()) {
    const TPoint a = parent->ClientToScreen({E.Left, E.Top});
    E = {a.X, a.Y, a.X + E.Width(), a.Y + E.Height()};
  }
  const TRect W = cxGetDesktopWorkArea(P);
  const Integer code = GetAlignmentCode();
  const bool bottom = P.Y > E.Top;
  const bool right = (code == 0 && P.X == E.Left) || E.Left <= W.Left ||
                     (code == 2 && P.X + GetWidth() != E.Right) ||
                     (code == 1 && E.Left - W.Left <= W.Right - E.Right);
  PopupViewInfo()->SizeGripCorner = bottom ? (right ? cxPopupGripBottomRight : cxPopupGripBottomLeft)
                                           : (right ? cxPopupGripTopRight : cxPopupGripTopLeft);
  if (Shadow && !NativeStyle && !bottom) P.Y += kShadowSize;
  return P;
}

void TcxCustomEditPopupWindow::UpdateWindowRegion() {
  if (!HandleAllocated()) return;
  const bool shadow = Shadow && !NativeStyle;
  TRect bounds{0, 0, GetWidth(), GetHeight()};
  TRect cut{};
  if (!NativeStyle && shadow) {
    bounds.Right -= kShadowSize;
    bounds.Bottom -= kShadowSize;
    if (IsTop(PopupViewInfo()->SizeGripCorner)) {
      // The shadow below a popup above the edit would fall on the edit: cut it out there.
      TRect E = GetOwnerBounds();
      if (TControl* parent = GetOwnerParent()) {
        const TPoint a = ScreenToClient(parent->ClientToScreen({E.Left, E.Top}));
        E = {a.X, a.Y, a.X + E.Width(), a.Y + E.Height()};
      }
      cut = {E.Left, GetHeight() - kShadowSize, E.Right - kShadowSize, GetHeight()};
    }
  }
  cxUpdateWindowRegion(GetHandle(), bounds, NativeStyle, cut, shadow);
}

void TcxCustomEditPopupWindow::Resize() {
  TWeakLink self(this);  // OnResize may free the window
  inherited::Resize();
  if (self.Alive() && HandleAllocated()) UpdateWindowRegion();
}

void TcxCustomEditPopupWindow::Paint() {
  TcxCanvas* canvas = GetCanvas();
  PopupViewInfo()->Paint(*canvas);
  if (Shadow && !NativeStyle) {
    const TRect b = PopupViewInfo()->Bounds;
    cxDrawContainerShadow(*canvas, b);
  }
}

void TcxCustomEditPopupWindow::CloseByHook() {
  TcxEditCloseUpReason reason = TcxEditCloseUpReason::crNone;
  if (GetModalResult() == mrOk) reason = TcxEditCloseUpReason::crEnter;
  else if (GetModalResult() == mrCancel) reason = TcxEditCloseUpReason::crCancel;
  if (TcxCustomDropDownEdit* edit = Edit())
    edit->CloseUp(reason);
  else
    ClosePopup();
}

void TcxCustomEditPopupWindow::DoClosing() {
  inherited::DoClosing();
  EraseSizingFrame();
}

void TcxCustomEditPopupWindow::DoClosed() {
  FSizing = false;
  FSizingHorz = FSizingVert = 0;
  FSizingOffset = {0, 0};
  FCloseButtonPressed = false;
  PopupViewInfo()->CloseButtonState = cxPopupCloseButtonNormal;
  inherited::DoClosed();
}

void TcxCustomEditPopupWindow::SendCharToFocus(Char AChar) {
  if (const HWND focus = GetFocus()) SendMessageA(focus, WM_CHAR, WPARAM(Byte(AChar)), 0);
}

void TcxCustomEditPopupWindow::WndProc(TMessage& Message) {
  if (Message.Msg == DXM_DROPDOWNCHAR) {
    SendCharToFocus(Char(Byte(Message.WParam)));
    Message.Result = 0;
    return;
  }
  if (Message.Msg == WM_MOUSEACTIVATE && !GetCaptureFocus()) {
    // A press on a popup that leaves the focus in the edit (its frame, its grip) must not
    // take the activation from the edit's form.
    Message.Result = MA_NOACTIVATE;
    return;
  }
  if (Message.Msg == DXM_DROPDOWNPOPUP) {
    // The drop-down edit's show request: shown on the control the edit chose.
    Message.Result = 0;
    TcxCustomDropDownEdit* edit = Edit();
    Popup(edit ? edit->GetPopupFocusedControl() : nullptr);
    return;
  }
  inherited::WndProc(Message);
}

// ---- close button and sizing ----

void TcxCustomEditPopupWindow::SetCloseButtonState(Integer AState) {
  TcxCustomEditPopupWindowViewInfo* vi = PopupViewInfo();
  if (vi->CloseButtonState == AState) return;
  vi->CloseButtonState = AState;
  if (HandleAllocated() && !vi->CloseButtonRect.IsEmpty()) {
    const RECT r = vi->CloseButtonRect;
    InvalidateRect(GetHandle(), &r, FALSE);
  }
}

void TcxCustomEditPopupWindow::AdjustSizingSize(Integer& AWidth, Integer& AHeight) {
  const TSize nc = GetNonClientSize();
  const Integer shadow = Shadow && !NativeStyle ? kShadowSize : 0;
  AWidth = std::max({AWidth, nc.cx + shadow, MinWidth >= 1 ? MinWidth + shadow : 0});
  AHeight = std::max({AHeight, nc.cy + shadow, MinHeight >= 1 ? MinHeight + shadow : 0});
  if (TcxCustomDropDownEdit* edit = Edit()) {
    Integer cw = AWidth - nc.cx - shadow, ch = AHeight - nc.cy - shadow;
    edit->AdjustPopupClientSize(cw, ch);
    AWidth = std::max(AWidth, cw + nc.cx + shadow);
    AHeight = cw >= 0 && ch >= 0 ? std::max(ch + nc.cy + shadow, nc.cy + shadow) : AHeight;
  }
}

TRect TcxCustomEditPopupWindow::SizingBounds(const TPoint& P) const {
  TRect r = GetBoundsRect();
  if (FSizingHorz > 0) r.Right = P.X + FSizingOffset.X;
  if (FSizingHorz < 0) r.Left = P.X - FSizingOffset.X;
  if (FSizingVert > 0) r.Bottom = P.Y + FSizingOffset.Y;
  if (FSizingVert < 0) r.Top = P.Y - FSizingOffset.Y;
  Integer w = r.Width(), h = r.Height();
  const_cast<TcxCustomEditPopupWindow*>(this)->AdjustSizingSize(w, h);
  if (FSizingHorz < 0) r.Left = r.Right - w;
  else r.Right = r.Left + w;
  if (FSizingVert < 0) r.Top = r.Bottom - h;
  else r.Bottom = r.Top + h;
  return r;
}

void TcxCustomEditPopupWindow::DrawSizingFrame(const TRect& R) {
  const HDC dc = ::GetDC(nullptr);
  if (!dc) return;
  RECT r = R;
  const Integer rings = std::max<Integer>(1, PopupViewInfo()->GetRingCount());
  for (Integer i = 0; i < rings && r.Right - r.Left > 2 && r.Bottom - r.Top > 2; ++i) {
    DrawFocusRect(dc, &r);
    InflateRect(&r, -1, -1);
  }
  ::ReleaseDC(nullptr, dc);
}

void TcxCustomEditPopupWindow::EraseSizingFrame() {
  if (!FSizingFrameShown) return;
  // The focus rectangle is drawn by inversion: drawing it again erases it.
  DrawSizingFrame(FSizingFrame);
  FSizingFrameShown = false;
}

void TcxCustomEditPopupWindow::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  inherited::MouseDown(Button, Shift, X, Y);
  if (Button != TMouseButton::mbLeft) return;
  TcxCustomEditPopupWindowViewInfo* vi = PopupViewInfo();
  const POINT q{X, Y};
  if (!vi->CloseButtonRect.IsEmpty() && PtInRect(&vi->CloseButtonRect, q)) {
    FCloseButtonPressed = true;
    SetMouseCapture(true);
    SetCloseButtonState(cxPopupCloseButtonPressed);
    return;
  }
  if (IsFixedSize() && !Sizeable) return;
  Integer h = 0, v = 0;
  vi->GetSizingDirections({X, Y}, h, v);
  if (h == 0 && v == 0) return;
  FSizing = true;
  FSizingHorz = h;
  FSizingVert = v;
  const TPoint p = ClientToScreen({X, Y});
  const TRect b = GetBoundsRect();
  FSizingOffset = {h > 0 ? b.Right - p.X : p.X - b.Left, v > 0 ? b.Bottom - p.Y : p.Y - b.Top};
  SetMouseCapture(true);
  Screen->SetCursor(h != 0 && v != 0 ? (h == v ? crSizeNWSE : crSizeNESW) : (h != 0 ? crSizeWE : crSizeNS));
  FSizingFrame = GetBoundsRect();
  DrawSizingFrame(FSizingFrame);
  FSizingFrameShown = true;
}

void TcxCustomEditPopupWindow::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  inherited::MouseMove(Shift, X, Y);
  TcxCustomEditPopupWindowViewInfo* vi = PopupViewInfo();
  const POINT q{X, Y};
  if (FSizing) {
    const TRect r = SizingBounds(ClientToScreen({X, Y}));
    if (r == FSizingFrame) return;
    EraseSizingFrame();
    FSizingFrame = r;
    DrawSizingFrame(r);
    FSizingFrameShown = true;
    return;
  }
  if (!vi->CloseButtonRect.IsEmpty()) {
    const bool over = PtInRect(&vi->CloseButtonRect, q) != 0;
    if (FCloseButtonPressed)
      SetCloseButtonState(over ? cxPopupCloseButtonPressed : cxPopupCloseButtonHot);
    else
      SetCloseButtonState(over ? cxPopupCloseButtonHot : cxPopupCloseButtonNormal);
  }
}

void TcxCustomEditPopupWindow::EndSizing() {
  FSizing = false;
  FSizingHorz = FSizingVert = 0;
  SetMouseCapture(false);
}

void TcxCustomEditPopupWindow::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  inherited::MouseUp(Button, Shift, X, Y);
  if (Button != TMouseButton::mbLeft) return;
  TcxCustomEditPopupWindowViewInfo* vi = PopupViewInfo();
  const POINT q{X, Y};
  if (FCloseButtonPressed) {
    FCloseButtonPressed = false;
    SetMouseCapture(false);
    const bool over = PtInRect(&vi->CloseButtonRect, q) != 0;
    SetCloseButtonState(over ? cxPopupCloseButtonHot : cxPopupCloseButtonNormal);
    if (over) {
      if (TcxCustomDropDownEdit* edit = Edit()) edit->CloseUp(TcxEditCloseUpReason::crNone);
    }
    return;
  }
  if (!FSizing) return;
  const TRect r = SizingBounds(ClientToScreen({X, Y}));
  EraseSizingFrame();
  EndSizing();
  SetBounds(r.Left, r.Top, r.Width(), r.Height());
  FSizeChanged = true;
  CalculateViewInfo();
  if (TcxCustomDropDownEdit* edit = Edit()) edit->PositionPopupWindowChildren(PopupViewInfo()->ClientRect);
  UpdateWindowRegion();
  Invalidate();
  Integer h = 0, v = 0;
  PopupViewInfo()->GetSizingDirections({X, Y}, h, v);
  Screen->SetCursor(h != 0 || v != 0 ? (h == v ? crSizeNWSE : crSizeNESW) : crDefault);
}

void TcxCustomEditPopupWindow::MouseLeave(TControl* AControl) {
  TWeakLink self(this);  // OnMouseLeave may free the window
  inherited::MouseLeave(AControl);
  if (!self.Alive()) return;
  if (PopupViewInfo()->CloseButtonState != cxPopupCloseButtonNormal && !FCloseButtonPressed)
    SetCloseButtonState(cxPopupCloseButtonNormal);
  if (!FSizing) Screen->SetCursor(crDefault);
}

TL_DEFINE_CLASS(TcxCustomEditPopupWindowViewInfo)
TL_DEFINE_CLASS(TcxCustomEditPopupWindow)
