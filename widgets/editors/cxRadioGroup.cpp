#include "widgets/editors/cxRadioGroup.h"

#include "classlib/visual/Messages.h"
#include "platform/gdi/Gdi.h"
#include "platform/kernel/Units.h"
#include "platform/theme/UxTheme.h"
#include "platform/user/Controls.h"
#include "platform/user/User.h"
#include "widgets/editcore/cxEditPaintUtils.h"
#include "widgets/foundation/cxContainer.h"
#include "widgets/foundation/cxControlBase.h"
#include "widgets/foundation/cxLookAndFeelPainters.h"
#include "widgets/foundation/dxThemeManager.h"
#include "widgets/foundation/dxUxTheme.h"

using RS = TcxRadioButtonState;
using BS = TcxButtonState;

namespace {

constexpr int kRadioPart = 2;

// Theme states: unchecked normal, hot, pressed, disabled are 1..4; checked ones 5..8.
int ThemeState(RS AState, bool AChecked) {
  int s = 1;
  switch (AState) {
    case RS::rbsNormal: s = 1; break;
    case RS::rbsHot: s = 2; break;
    case RS::rbsPressed: s = 3; break;
    case RS::rbsDisabled: s = 4; break;
  }
  return AChecked ? s + 4 : s;
}

BS PainterState(RS AState) {
  switch (AState) {
    case RS::rbsDisabled: return BS::cxbsDisabled;
    case RS::rbsHot: return BS::cxbsHot;
    case RS::rbsPressed: return BS::cxbsPressed;
    case RS::rbsNormal: break;
  }
  return BS::cxbsNormal;
}

// Text margins beside the glyph (left, top, right, bottom): [native][word wrap][glyph left].
constexpr TRect kStandingMargins[2][2][2] = {
    {{{2, -1, 1, 0}, {5, -1, 0, 0}}, {{2, -1, 6, 0}, {5, -1, 2, 0}}},
    {{{0, -1, 1, 0}, {3, -1, 0, 0}}, {{0, -1, 3, 0}, {3, -1, 0, 0}}},
};

bool Inside(const TRect& R, const TPoint& P) {
  return P.X >= R.Left && P.X < R.Right && P.Y >= R.Top && P.Y < R.Bottom;
}

}  // namespace

// ---- Construction ---------------------------------------------------------------------------

TcxRadioButton::TcxRadioButton(TComponent* AOwner) : TRadioButton(AOwner) {
  FControlStyle.Include(TControlStyleItem::csDoubleClicks);
  FCanvas = New<TControlCanvas>();
  static_cast<TControlCanvas*>(FCanvas)->SetControl(this);
  FcxCanvas = New<TcxCanvas>(FCanvas);
  FLookAndFeel = New<TcxLookAndFeel>(this);
  FLookAndFeel->OnChanged = TcxLookAndFeelChangedEvent(this, &TcxRadioButton::LookAndFeelChanged);
}

TcxRadioButton::~TcxRadioButton() {
  FLookAndFeel->Free();
  FcxCanvas->Free();
  FCanvas->Free();
}

void TcxRadioButton::BeforeDestruction() {
  cxEndMouseTracking(this);
  FLookAndFeel->OnChanged = TcxLookAndFeelChangedEvent();
  inherited::BeforeDestruction();
}

void TcxRadioButton::LookAndFeelChanged(TcxLookAndFeel*, TcxLookAndFeelValues) { Invalidate(); }

void TcxRadioButton::SetPopupMenu(TComponent* Value) {
  if (Value && !dynamic_cast<TPopupMenu*>(Value) && !dynamic_cast<IcxPopupMenu*>(Value)) Value = nullptr;
  if (FPopupMenu == Value) return;
  if (FPopupMenu) FPopupMenu->RemoveFreeNotification(this);
  FPopupMenu = Value;
  if (Value) Value->FreeNotification(this);
}

void TcxRadioButton::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation == TOperation::opRemove && AComponent == FPopupMenu) FPopupMenu = nullptr;
}

void TcxRadioButton::SetParentBackground(bool Value) {
  if (FParentBackground == Value) return;
  FParentBackground = Value;
  Invalidate();
}

void TcxRadioButton::SetTransparent(bool Value) {
  if (FTransparent == Value) return;
  FTransparent = Value;
  Invalidate();
}

void TcxRadioButton::SetWordWrap(bool Value) {
  if (FWordWrap == Value) return;
  FWordWrap = Value;
  Invalidate();
}

bool TcxRadioButton::DoShowPopupMenu(TComponent* AMenu, Integer X, Integer Y) {
  return cxShowPopupMenu(this, AMenu, X, Y);
}

// ---- Window ---------------------------------------------------------------------------------

void TcxRadioButton::CreateParams(TCreateParams& Params) {
  inherited::CreateParams(Params);
  Params.Style = (Params.Style & ~DWORD(BS_TYPEMASK)) | BS_OWNERDRAW;
}

void TcxRadioButton::CreateWnd() {
  inherited::CreateWnd();
  UpdateStateFromCursor();
}

// The check is the button's own: the set-checked step runs without its click, which follows
// here once (and not while the button is read from a stream).
void TcxRadioButton::Activate() {
  if (GetChecked()) return;
  const bool savedActivating = FActivating, savedClicks = ClicksDisabled();
  FActivating = true;
  SetClicksDisabled(true);
  try {
    SetCheckedState(true);
  } catch (...) {
    FActivating = savedActivating;
    SetClicksDisabled(savedClicks);
    throw;
  }
  FActivating = savedActivating;
  SetClicksDisabled(savedClicks);
  if (!InState(TComponentStateItem::csLoading)) Click();
}

void TcxRadioButton::BMSetCheck(TMessage& Message) {
  TL_INHERITED(Message);
  if (HandleAllocated()) {
    TRect r = FGlyphRect;
    InflateRect(&r, 1, 1);
    InvalidateRect(Handle(), &r, FALSE);
  }
}

void TcxRadioButton::WMWindowPosChanged(TMessage& Message) {
  TL_INHERITED(Message);
  if (FTransparent || FParentBackground) Invalidate();
}

void TcxRadioButton::WMEraseBkgnd(TMessage& Message) { Message.Result = 1; }

void TcxRadioButton::CNMeasureItem(TMessage& Message) {
  auto* m = reinterpret_cast<MEASUREITEMSTRUCT*>(Message.LParam);
  m->itemWidth = UINT(GetWidth());
  m->itemHeight = UINT(GetHeight());
  Message.Result = 1;
}

// ---- Visual state ---------------------------------------------------------------------------

void TcxRadioButton::SetVisualState(RS Value) {
  if (FState == Value) return;
  FState = Value;
  if (HandleAllocated()) {
    TRect r = GetClientRect();
    InflateRect(&r, 1, 1);
    InvalidateRect(Handle(), &r, FALSE);
  }
}

void TcxRadioButton::UpdateState(const TPoint& P, bool AButtonHeld) {
  if (!GetEnabled()) return SetVisualState(RS::rbsDisabled);
  if (InState(TComponentStateItem::csDesigning)) return SetVisualState(RS::rbsNormal);
  const bool inside = Inside(GetClientRect(), P);
  if (HandleAllocated() && GetCapture() == Handle()) return SetVisualState(inside ? RS::rbsPressed : RS::rbsHot);
  if (inside) return SetVisualState(AButtonHeld ? RS::rbsNormal : RS::rbsHot);
  SetVisualState(RS::rbsNormal);
}

void TcxRadioButton::UpdateStateFromCursor() {
  const TPoint p = HandleAllocated() ? ScreenToClient(cxGetCursorPos()) : TPoint{-1, -1};
  const bool held = GetKeyState(VK_LBUTTON) < 0 || GetKeyState(VK_RBUTTON) < 0 || GetKeyState(VK_MBUTTON) < 0;
  UpdateState(HandleAllocated() && WindowFromPoint(cxGetCursorPos()) == Handle() ? p : TPoint{-1, -1}, held);
}

void TcxRadioButton::WMMouse(TMessage& Message) {
  TL_INHERITED(Message);
  if (!HandleAllocated()) return;
  const TPoint p{SHORT(LOWORD(Message.LParam)), SHORT(HIWORD(Message.LParam))};
  const bool held = (Message.WParam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) != 0;
  UpdateState(p, held);
}

void TcxRadioButton::CMMouseEnter(TMessage& Message) {
  TL_INHERITED(Message);
  cxBeginMouseTracking(this, GetClientRect(), this);
  UpdateStateFromCursor();
}

void TcxRadioButton::CMMouseLeave(TMessage& Message) {
  TL_INHERITED(Message);
  MouseLeave();
}

void TcxRadioButton::MouseLeave() {
  cxEndMouseTracking(this);
  SetVisualState(GetEnabled() ? RS::rbsNormal : RS::rbsDisabled);
}

void TcxRadioButton::CMEnabledChanged(TMessage& Message) {
  TL_INHERITED(Message);
  UpdateStateFromCursor();
  Invalidate();
}

void TcxRadioButton::WMCaptureChanged(TMessage& Message) {
  TL_INHERITED(Message);
  UpdateStateFromCursor();
}

// ---- Menus and keys -------------------------------------------------------------------------

void TcxRadioButton::CNKeyDown(TMessage& Message) {
  if (FPopupMenu && cxPopupMenuIsShortCut(FPopupMenu, Message)) {
    Message.Result = 1;
    return;
  }
  TL_INHERITED(Message);
}

void TcxRadioButton::WMContextMenu(TMessage& Message) {
  if (!FPopupMenu) {
    TL_INHERITED(Message);
    return;
  }
  TPoint p{SHORT(LOWORD(Message.LParam)), SHORT(HIWORD(Message.LParam))};
  if (p.X == -1 && p.Y == -1) {
    p = ClientToScreen({0, 0});
  } else if (!Inside(GetClientRect(), ScreenToClient(p))) {
    TL_INHERITED(Message);
    return;
  }
  if (DoShowPopupMenu(FPopupMenu, p.X, p.Y)) Message.Result = 1;
}

// ---- Painting -------------------------------------------------------------------------------

bool TcxRadioButton::IsNativeStyle() const {
  return FLookAndFeel->GetNativeStyle() && cxIsNativeThemeUsable(true, TdxThemedObjectType::totButton);
}

void TcxRadioButton::PaintTo(TcxCanvas& ACanvas, bool AFocused) {
  const TRect client = GetClientRect();
  const bool native = IsNativeStyle();
  if (FTransparent) {
    cxPaintParentBackground(this, ACanvas.GetHandle(), client);
  } else if (native && FParentBackground && HandleAllocated()) {
    cxDrawThemeParentBackground(Handle(), ACanvas.GetHandle(), &client);
  } else {
    ACanvas.SetBrushColor(GetColor());
    ACanvas.FillRect(client);
  }
  HTHEME theme = native ? cxOpenTheme(TdxThemedObjectType::totButton) : nullptr;
  const TcxCustomLookAndFeelPainter* painter = FLookAndFeel->GetPainter();
  TSize glyph{0, 0};
  if (theme) {
    cxGetThemePartSizeNoRect(theme, ACanvas.GetHandle(), kRadioPart, 1, TS_TRUE, glyph);
  } else {
    const TPoint size = painter->RadioButtonSize();
    glyph = {size.X, size.Y};
  }
  const bool glyphLeft = GetAlignment() != TAlignment::taLeftJustify;
  const Integer x = glyphLeft ? (!native && !IsInplace() ? 1 : 0) : client.Right - glyph.cx;
  FGlyphRect = Bounds(x, (client.Height() - glyph.cy) / 2, glyph.cx, glyph.cy);
  if (theme) {
    cxDrawThemeBackground(theme, ACanvas.GetHandle(), kRadioPart, ThemeState(FState, GetChecked()), FGlyphRect);
  } else {
    painter->DrawRadioButton(ACanvas, FGlyphRect.Left, FGlyphRect.Top, PainterState(FState), GetChecked(), false,
                             FTransparent ? clDefault : GetColor(), InState(TComponentStateItem::csDesigning));
  }
  ACanvas.ExcludeClipRect(FGlyphRect);

  ACanvas.SetFont(GetFont());
  if (!GetEnabled() && !IsInplace()) ACanvas.GetFont()->SetColor(clBtnShadow);
  TRect text = client;
  if (glyphLeft) text.Left = FGlyphRect.Right;
  else text.Right = FGlyphRect.Left;
  const TRect margins = IsInplace() ? (native ? TRect{3, 0, 0, 0} : TRect{5, 0, 1, 0})
                                    : kStandingMargins[native ? 1 : 0][FWordWrap ? 1 : 0][glyphLeft ? 1 : 0];
  cxDeflateRectByRect(text, margins);
  const Integer flags =
      (FWordWrap ? cxWordBreak : cxSingleLine) | cxAlignLeft | cxAlignVCenter | cxShowPrefix;
  ACanvas.GetBrush()->SetStyle(TBrushStyle::bsClear);
  ACanvas.DrawText(GetCaption(), text, flags, GetEnabled() || native || IsInplace());
  ACanvas.GetBrush()->SetStyle(TBrushStyle::bsSolid);
  if (AFocused) {
    TRect focus = text;
    ACanvas.TextExtentInRect(GetCaption(), focus, flags);
    InflateRect(&focus, 1, 1);
    IntersectRect(&focus, &focus, &client);
    ACanvas.DrawFocusRect(focus);
  }
}

void TcxRadioButton::CNDrawItem(TMessage& Message) {
  if (InState(TComponentStateItem::csDestroying)) return;
  auto* d = reinterpret_cast<DRAWITEMSTRUCT*>(Message.LParam);
  const int saved = SaveDC(d->hDC);
  FCanvas->SetHandle(d->hDC);
  try {
    PaintTo(*FcxCanvas, (d->itemState & ODS_FOCUS) != 0);
  } catch (...) {
    FCanvas->SetHandle(nullptr);
    RestoreDC(d->hDC, saved);
    throw;
  }
  FCanvas->SetHandle(nullptr);
  RestoreDC(d->hDC, saved);
  Message.Result = 1;
}

TL_MESSAGES(TcxRadioButton,
            TL_ON(CN_DRAWITEM, CNDrawItem),
            TL_ON(CN_MEASUREITEM, CNMeasureItem),
            TL_ON(CN_KEYDOWN, CNKeyDown),
            TL_ON(BM_SETCHECK, BMSetCheck),
            TL_ON(CM_MOUSEENTER, CMMouseEnter),
            TL_ON(CM_MOUSELEAVE, CMMouseLeave),
            TL_ON(CM_ENABLEDCHANGED, CMEnabledChanged),
            TL_ON(WM_CAPTURECHANGED, WMCaptureChanged),
            TL_ON(WM_CONTEXTMENU, WMContextMenu),
            TL_ON(WM_ERASEBKGND, WMEraseBkgnd),
            TL_ON(WM_LBUTTONDOWN, WMMouse),
            TL_ON(WM_LBUTTONDBLCLK, WMMouse),
            TL_ON(WM_LBUTTONUP, WMMouse),
            TL_ON(WM_MOUSEMOVE, WMMouse),
            TL_ON(WM_WINDOWPOSCHANGED, WMWindowPosChanged))

TL_DEFINE_CLASS(TcxRadioButton, [](auto& c) {
  using T = TcxRadioButton;
  c.Property("LookAndFeel", &T::GetLookAndFeel, &T::SetLookAndFeel);
  c.Property("ParentBackground", &T::GetParentBackground, &T::SetParentBackground).Default(true);
  c.Property("PopupMenu", &T::GetPopupMenu, &T::SetPopupMenu);
  c.Property("Transparent", &T::GetTransparent, &T::SetTransparent).Default(false);
  c.Property("WordWrap", &T::GetWordWrap, &T::SetWordWrap).Default(false);
})

namespace {
UnitCounter gRadioGroup;
}  // namespace

void cxRadioGroup::Initialize() {
  if (gRadioGroup.Enter()) RegisterClass(TcxRadioButton::StaticClass());
}

void cxRadioGroup::Finalize() {
  if (gRadioGroup.Leave()) UnRegisterClass(TcxRadioButton::StaticClass());
}
