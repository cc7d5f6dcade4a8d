#include "widgets/foundation/cxScrollBar.h"

#include "classlib/core/Exceptions.h"
#include "classlib/visual/Messages.h"
#include "platform/gdi/Gdi.h"
#include "platform/theme/UxTheme.h"
#include "platform/user/User.h"
#include "widgets/foundation/cxLookAndFeelPainterImages.h"
#include "widgets/foundation/dxThemeManager.h"
#include "widgets/foundation/dxUxTheme.h"

#include <algorithm>
#include <cstdint>

namespace {

using enum TcxScrollBarPart;
using enum TScrollCode;

// a·b/c rounded half away from zero, in 64 bits so that wide ranges cannot overflow.
int64_t MulDiv64(int64_t a, int64_t b, int64_t c) {
  const int64_t p = a * b;
  const int64_t q = p / c, r = p % c;
  if (2 * (r < 0 ? -r : r) >= (c < 0 ? -c : c)) return q + ((p < 0) != (c < 0) ? -1 : 1);
  return q;
}

Integer Clamp64(int64_t v, Integer lo, Integer hi) { return Integer(std::clamp<int64_t>(v, lo, hi)); }

}  // namespace

TcxScrollBar::TcxScrollBar(TComponent* AOwner) : TCustomControl(AOwner) {
  FBitmap = New<TScratchBitmap>();
  FBitmapCanvas = New<TcxCanvas>(FBitmap->Canvas());
  FLookAndFeel = New<TcxLookAndFeel>(this);
  FLookAndFeel->OnChanged = TcxLookAndFeelChangedEvent(this, &TcxScrollBar::LookAndFeelChanged);
  SetControlStyle({TControlStyleItem::csCaptureMouse, TControlStyleItem::csFramed, TControlStyleItem::csOpaque});
  SetBounds(GetLeft(), GetTop(), 121, GetSystemMetrics(SM_CYHSCROLL));
  FTimer = New<TcxTimer>(nullptr);
  FTimer->SetEnabled(false);
  FTimer->SetInterval(kFirstRepeatDelay);
  FTimer->SetOnTimer(TNotifyEvent(this, &TcxScrollBar::TimerTick));
  FThemeNotificator = New<TdxThemeChangedNotificator>();
  FThemeNotificator->OnThemeChanged = TdxThemeChangedEvent(this, &TcxScrollBar::ThemeChanged);
  CalcMinThumbLength();
  CalcArrowRects();
}

void TcxScrollBar::BeforeDestruction() {
  if (FThemeNotificator) FThemeNotificator->Free();
  FThemeNotificator = nullptr;
  if (FTimer) FTimer->Free();
  FTimer = nullptr;
  if (FLookAndFeel) FLookAndFeel->Free();
  FLookAndFeel = nullptr;
  inherited::BeforeDestruction();
  if (FBitmapCanvas) FBitmapCanvas->Free();
  FBitmapCanvas = nullptr;
  if (FBitmap) FBitmap->Free();
  FBitmap = nullptr;
}

const TcxCustomLookAndFeelPainter* TcxScrollBar::Painter() const {
  return FLookAndFeel ? FLookAndFeel->GetAvailablePainter(TdxThemedObjectType::totScrollBar) : nullptr;
}

bool TcxScrollBar::HotTracked() const {
  const TcxCustomLookAndFeelPainter* painter = Painter();
  return painter && painter->IsScrollBarHotTracked();
}

void TcxScrollBar::LookAndFeelChanged(TcxLookAndFeel*, TcxLookAndFeelValues) {
  CalcMinThumbLength();
  CalcArrowRects();
  Invalidate();
}

void TcxScrollBar::ThemeChanged() {
  cxUpdateCheckerBitmaps();
  CalcMinThumbLength();
  CalcArrowRects();
  Invalidate();
  // The bar's size may follow the style's metrics: the parent lays its children out again.
  if (TWinControl* parent = GetParent()) parent->Realign();
}

void TcxScrollBar::CalcMinThumbLength() {
  static constexpr Integer kMinThumb = 8;
  FMinThumbLength = kMinThumb;
  const TcxCustomLookAndFeelPainter* painter = Painter();
  if (!painter || painter->LookAndFeelStyle() != TcxLookAndFeelStyle::lfsNative) return;
  HTHEME theme = cxOpenTheme(TdxThemedObjectType::totScrollBar);
  if (!theme) return;
  // The gripper drawn on the thumb must fit on it.
  const int part = Horizontal() ? SBP_GRIPPERVERT : SBP_GRIPPERHORZ;
  TSize size{};
  if (cxGetThemePartSizeNoRect(theme, nullptr, part, 0, TS_MIN, size) != S_OK) return;
  Integer length = Horizontal() ? size.cx : size.cy;
  if (cxGetThemePartSizeNoRect(theme, nullptr, part, 0, TS_TRUE, size) == S_OK)
    length = std::max(length, (Horizontal() ? size.cx : size.cy) + 4);
  FMinThumbLength = std::max(length, kMinThumb);
}

void TcxScrollBar::SetKind(TScrollBarKind Value) {
  if (FKind == Value) return;
  FKind = Value;
  CalcMinThumbLength();
  if (ComponentState().Contains(TComponentStateItem::csLoading))
    CalcArrowRects();
  else
    SetBounds(GetLeft(), GetTop(), GetHeight(), GetWidth());
  Invalidate();
}

void TcxScrollBar::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) {
  const TRect old{GetLeft(), GetTop(), GetLeft() + GetWidth(), GetTop() + GetHeight()};
  TWeakLink self(this);  // OnResize may free the bar
  inherited::SetBounds(ALeft, ATop, AWidth, AHeight);
  if (!self.Alive() || !FBitmap) return;
  // The layout follows the size applied, which constraints may have changed from the one asked.
  const Integer width = GetWidth(), height = GetHeight();
  const bool changed = old != TRect{GetLeft(), GetTop(), GetLeft() + width, GetTop() + height} ||
                       FBitmap->GetWidth() != width || FBitmap->GetHeight() != height;
  // The back buffer is sized when painted: most bars (an editor's own pair) never are.
  if (changed && width >= 1 && height >= 1) CalcArrowRects();
}

void TcxScrollBar::SetScrollParams(Integer AMin, Integer AMax, Integer APosition, Integer APageSize, bool ARedraw) {
  if (ComponentState().Contains(TComponentStateItem::csLoading)) {
    // A stream may name Max before a Min that makes it valid: Loaded checks the whole.
    FMin = AMin;
    FMax = AMax;
    FPosition = APosition;
    FPageSize = APageSize;
    return;
  }
  if (AMax < AMin || AMax < APageSize) throw EInvalidOperation("Scrollbar property out of range");
  InternalSetScrollParams(AMin, AMax, APosition, APageSize, ARedraw);
}

void TcxScrollBar::InternalSetScrollParams(Integer AMin, Integer AMax, Integer APosition, Integer APageSize,
                                           bool ARedraw) {
  APosition = std::clamp(APosition, AMin, AMax);
  const bool rangeChanged = AMin != FMin || AMax != FMax || APageSize != FPageSize;
  const bool positionChanged = APosition != FPosition;
  if (!rangeChanged && !positionChanged) return;
  ARedraw = ARedraw && HandleAllocated();
  FMin = AMin;
  FMax = AMax;
  FPageSize = APageSize;
  if (positionChanged) {
    SetEnabled(true);
    FPosition = APosition;
  }
  CalcArrowRects();
  if (ARedraw) Invalidate();
  if (positionChanged) Change();
}

void TcxScrollBar::Loaded() {
  inherited::Loaded();
  const Integer min = FMin, max = FMax, position = FPosition, page = FPageSize;
  // Stored values are compared against these: the defaults, so that the whole is set.
  FMin = 0;
  FMax = 100;
  FPosition = 0;
  FPageSize = 0;
  CalcArrowRects();  // the geometry may still be that of the values read over
  SetScrollParams(min, max, position, page);
}

// ---- Geometry -------------------------------------------------------------------------------

void TcxScrollBar::CalcArrowRects() {
  const TRect C = GetClientRect();
  if (Horizontal()) {
    const Integer a = std::min(GetSystemMetrics(SM_CYHSCROLL), C.Right / 2);
    FLineUpRect = {0, 0, a, C.Bottom};
    FLineDownRect = {C.Right - a, 0, C.Right, C.Bottom};
  } else {
    const Integer a = std::min(GetSystemMetrics(SM_CXVSCROLL), C.Bottom / 2);
    FLineUpRect = {0, 0, C.Right, a};
    FLineDownRect = {0, C.Bottom - a, C.Right, C.Bottom};
  }
  CalcThumb();
}

void TcxScrollBar::SetThumbStart(Integer AStart) {
  const Integer length = Horizontal() ? FThumbRect.Width() : FThumbRect.Height();
  if (Horizontal()) {
    FThumbRect = {AStart, FLineUpRect.Top, AStart + length, FLineUpRect.Bottom};
    FPageUpRect = {FLineUpRect.Right, FLineUpRect.Top, FThumbRect.Left, FLineUpRect.Bottom};
    FPageDownRect = {FThumbRect.Right, FLineUpRect.Top, FLineDownRect.Left, FLineUpRect.Bottom};
  } else {
    FThumbRect = {FLineUpRect.Left, AStart, FLineUpRect.Right, AStart + length};
    FPageUpRect = {FLineUpRect.Left, FLineUpRect.Bottom, FLineUpRect.Right, FThumbRect.Top};
    FPageDownRect = {FLineUpRect.Left, FThumbRect.Bottom, FLineUpRect.Right, FLineDownRect.Top};
  }
}

void TcxScrollBar::CalcThumb() {
  FThumbRect = FPageUpRect = FPageDownRect = TRect{};
  if (!GetEnabled()) return;
  const Integer trackStart = Horizontal() ? FLineUpRect.Right : FLineUpRect.Bottom;
  const Integer trackEnd = Horizontal() ? FLineDownRect.Left : FLineDownRect.Top;
  const Integer L = trackEnd - trackStart;
  const int64_t span = int64_t(FMax) - FMin;
  Integer t = 0;
  int64_t offset = 0;
  if (FPageSize > 0) {
    if (L < FMinThumbLength || span == 0) return;
    t = Integer(std::min<int64_t>(L, MulDiv64(FPageSize, L, span + 1)));
    t = std::max(t, FMinThumbLength);
    // A page as large as the whole range leaves nothing to scroll: the thumb stays at the start.
    const int64_t R = span - (FPageSize - 1);
    if (R > 0) offset = MulDiv64(L - t, std::min<int64_t>(int64_t(FPosition) - FMin, R), R);
  } else {
    t = GetSystemMetrics(Horizontal() ? SM_CXHTHUMB : SM_CYVTHUMB);
    if (L < t) return;
    if (L - t > 0 && span != 0) offset = MulDiv64(L - t, int64_t(FPosition) - FMin, span);
  }
  if (Horizontal())
    FThumbRect = {0, FLineUpRect.Top, t, FLineUpRect.Bottom};
  else
    FThumbRect = {FLineUpRect.Left, 0, FLineUpRect.Right, t};
  SetThumbStart(trackStart + Integer(offset));
}

Integer TcxScrollBar::PositionFromThumb() const {
  const Integer trackStart = Horizontal() ? FLineUpRect.Right : FLineUpRect.Bottom;
  const Integer trackEnd = Horizontal() ? FLineDownRect.Left : FLineDownRect.Top;
  const Integer t = Horizontal() ? FThumbRect.Width() : FThumbRect.Height();
  const Integer start = Horizontal() ? FThumbRect.Left : FThumbRect.Top;
  const Integer free = trackEnd - trackStart - t;
  // A thumb filling the track has nowhere to go: it stands for Min.
  if (free <= 0) return FMin;
  int64_t R = int64_t(FMax) - FMin;
  if (FPageSize > 0) R -= FPageSize - 1;
  return Clamp64(FMin + MulDiv64(R, start - trackStart, free), FMin, FMax);
}

Integer TcxScrollBar::ThumbStart() const { return Horizontal() ? FThumbRect.Left : FThumbRect.Top; }

Integer TcxScrollBar::TrackedPosition() const {
  // Pixels stand for a span of positions on a long range: an unmoved thumb keeps the exact one.
  return ThumbStart() == FSavedThumbStart ? FSavedPosition : PositionFromThumb();
}

TcxScrollBarPart TcxScrollBar::HitTest(const TPoint& P) const {
  auto in = [&P](const TRect& R) { return P.X >= R.Left && P.X < R.Right && P.Y >= R.Top && P.Y < R.Bottom; };
  if (!in(GetClientRect())) return sbpNone;
  if (in(FLineUpRect)) return sbpLineUp;
  if (in(FLineDownRect)) return sbpLineDown;
  if (FThumbRect.IsEmpty()) return sbpNone;
  if (in(FThumbRect)) return sbpThumbnail;
  if (in(FPageUpRect)) return sbpPageUp;
  if (in(FPageDownRect)) return sbpPageDown;
  return sbpNone;
}

// ---- Scrolling ----------------------------------------------------------------------------

void TcxScrollBar::Change() {
  // The class library's change notice first, as its own controls give it.
  Perform(CM_CHANGED, 0, LPARAM(static_cast<TControl*>(this)));
  if (OnChange) OnChange(this);
}

void TcxScrollBar::Scroll(TScrollCode ScrollCode, Integer& ScrollPos) {
  if (OnScroll) OnScroll(this, ScrollCode, ScrollPos);
}

void TcxScrollBar::DoScroll(TScrollCode Code) {
  int64_t pos = FPosition;
  switch (Code) {
    case scLineUp: pos -= FSmallChange; break;
    case scLineDown: pos += FSmallChange; break;
    case scPageUp: pos -= FLargeChange; break;
    case scPageDown: pos += FLargeChange; break;
    case scTop: pos = FMin; break;
    case scBottom: pos = FMax; break;
    default: break;
  }
  Integer scrollPos = Clamp64(pos, FMin, FMax);
  Scroll(Code, scrollPos);
  scrollPos = std::clamp(scrollPos, FMin, FMax);
  if (scrollPos == FPosition) return;
  if (Code == scTrack) {
    FPosition = scrollPos;
    if (FPressedPart != sbpThumbnail) CalcThumb();
    Invalidate();
  } else {
    SetPosition(scrollPos);
  }
}

bool TcxScrollBar::IsRepeatPart(TcxScrollBarPart APart) {
  return APart == sbpLineUp || APart == sbpLineDown || APart == sbpPageUp || APart == sbpPageDown;
}

TScrollCode TcxScrollBar::PartCode(TcxScrollBarPart APart) {
  switch (APart) {
    case sbpLineUp: return scLineUp;
    case sbpLineDown: return scLineDown;
    case sbpPageUp: return scPageUp;
    case sbpPageDown: return scPageDown;
    default: return scTrack;
  }
}

void TcxScrollBar::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  inherited::MouseDown(Button, Shift, X, Y);
  if (Button != TMouseButton::mbLeft) return;
  FPressedPart = FHotPart = HitTest({X, Y});
  if (FPressedPart == sbpThumbnail) {
    FSavedMousePos = {X, Y};
    FSavedPosition = FPosition;
    FSavedThumbStart = ThumbStart();
    DoScroll(scTrack);
  } else if (IsRepeatPart(FPressedPart)) {
    DoScroll(PartCode(FPressedPart));
    FTimer->SetInterval(kFirstRepeatDelay);
    FTimer->SetEnabled(true);
  }
  Invalidate();
}

void TcxScrollBar::TimerTick(TObject*) {
  if (HandleAllocated() && GetCapture() == Handle() && IsRepeatPart(FPressedPart)) {
    if (FTimer->GetInterval() == kFirstRepeatDelay) FTimer->SetInterval(kRepeatInterval);
    DoScroll(PartCode(FPressedPart));
    POINT P{0, 0};
    GetCursorPos(&P);
    // Paging stops once the thumb has reached the cursor; arrows pause while it is off them.
    FTimer->SetEnabled(HitTest(ScreenToClient(P)) == FPressedPart);
  } else {
    StopScrolling();
  }
}

void TcxScrollBar::SetHotPart(TcxScrollBarPart APart) {
  if (APart == FHotPart) return;
  FHotPart = APart;
  if (HotTracked()) Invalidate();
}

void TcxScrollBar::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  inherited::MouseMove(Shift, X, Y);
  if (FPressedPart != sbpThumbnail) {
    const TcxScrollBarPart part = HitTest({X, Y});
    if (FPressedPart != sbpNone) FTimer->SetEnabled(part == FPressedPart);
    SetHotPart(part);
    return;
  }
  TRect area = GetClientRect();
  const Integer along = kTrackSlackAlong, across = kTrackSlackAcross;
  if (Horizontal())
    area = {area.Left - along, area.Top - across, area.Right + along, area.Bottom + across};
  else
    area = {area.Left - across, area.Top - along, area.Right + across, area.Bottom + along};
  const bool inside = X >= area.Left && X < area.Right && Y >= area.Top && Y < area.Bottom;
  if (!inside && !FUnlimitedTracking) {
    // Back to exactly where the drag started: the thumb's pixels would round to a neighbour.
    if (FPosition != FSavedPosition || ThumbStart() != FSavedThumbStart) {
      FPosition = FSavedPosition;
      SetThumbStart(FSavedThumbStart);
      Invalidate();
    }
    DoScroll(scTrack);
    return;
  }
  const Integer trackStart = Horizontal() ? FLineUpRect.Right : FLineUpRect.Bottom;
  const Integer trackEnd = Horizontal() ? FLineDownRect.Left : FLineDownRect.Top;
  const Integer t = Horizontal() ? FThumbRect.Width() : FThumbRect.Height();
  const Integer delta = Horizontal() ? X - FSavedMousePos.X : Y - FSavedMousePos.Y;
  SetThumbStart(std::clamp(FSavedThumbStart + delta, trackStart, std::max(trackStart, trackEnd - t)));
  Invalidate();
  const Integer pos = TrackedPosition();
  if (pos != FPosition) {
    FPosition = pos;
    DoScroll(scTrack);
  }
}

void TcxScrollBar::StopScrolling() {
  if (FPressedPart == sbpNone) return;
  if (FPressedPart == sbpThumbnail) {
    SetPosition(TrackedPosition());
    DoScroll(scPosition);
  }
  FTimer->SetEnabled(false);
  FPressedPart = FHotPart = sbpNone;
  DoScroll(scEndScroll);
  CalcThumb();
  Invalidate();
}

void TcxScrollBar::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  StopScrolling();
  FHotPart = HitTest({X, Y});
  inherited::MouseUp(Button, Shift, X, Y);
}

void TcxScrollBar::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_ERASEBKGND:
      Message.Result = 1;
      return;
    case WM_CANCELMODE:
      StopScrolling();
      break;
    case CN_HSCROLL:
    case CN_VSCROLL:
      DoScroll(TScrollCode(std::clamp<WPARAM>(Message.WParam & 0xFFFF, 0, WPARAM(scEndScroll))));
      return;
    case CM_MOUSEENTER:
      if (HotTracked() || IsRepeatPart(FPressedPart)) Invalidate();
      break;
    case CM_MOUSELEAVE:
      if (FPressedPart != sbpThumbnail) FHotPart = sbpNone;
      if (HotTracked() || IsRepeatPart(FPressedPart)) Invalidate();
      break;
    case CM_SYSCOLORCHANGE:
    case CN_CTLCOLORSCROLLBAR:
      // The checkered page areas are drawn with pattern bitmaps of the system colours.
      cxUpdateCheckerBitmaps();
      break;
    case CM_ENABLEDCHANGED:
      inherited::WndProc(Message);
      CalcArrowRects();
      if (!GetEnabled()) StopScrolling();
      Invalidate();
      return;
    case CM_VISIBLECHANGED:
      inherited::WndProc(Message);
      if (!GetVisible()) StopScrolling();
      return;
    case WM_CONTEXTMENU:
      if (OnContextPopup && Message.Result == 0) {
        TPoint p{-1, -1};
        if (Message.LParam != LPARAM(-1)) p = ScreenToClient({GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)});
        bool handled = false;
        OnContextPopup(this, p, handled);
        if (handled) {
          Message.Result = 1;
          return;
        }
      }
      break;
    default:
      break;
  }
  inherited::WndProc(Message);
}

// ---- Painting ---------------------------------------------------------------------------------

TcxButtonState TcxScrollBar::PartState(TcxScrollBarPart APart) const {
  using enum TcxButtonState;
  if (!GetEnabled()) return cxbsDisabled;
  if (APart == sbpThumbnail && !HotTracked()) return cxbsNormal;
  if (FPressedPart != sbpNone) {
    if (APart != FPressedPart) return cxbsNormal;
    // The pressed part reads as pressed only while the cursor is still over it.
    return FHotPart == FPressedPart ? cxbsPressed : cxbsNormal;
  }
  const bool designing = ComponentState().Contains(TComponentStateItem::csDesigning);
  return APart == FHotPart && !designing ? cxbsHot : cxbsNormal;
}

void TcxScrollBar::Paint() {
  const TRect C = GetClientRect();
  if (C.IsEmpty() || !FBitmap) return;
  if (FBitmap->GetWidth() != GetWidth() || FBitmap->GetHeight() != GetHeight())
    FBitmap->SetSize(GetWidth(), GetHeight());
  const bool horizontal = Horizontal();
  const TcxCustomLookAndFeelPainter* painter = Painter();
  auto draw = [&](const TRect& R, TcxScrollBarPart part, TcxButtonState state) {
    if (R.IsEmpty()) return;
    if (painter) {
      painter->DrawScrollBarPart(*FBitmapCanvas, horizontal, R, part, state);
    } else {
      TCanvas* canvas = FBitmapCanvas->Canvas();
      canvas->Brush()->SetColor(part == sbpPageUp || part == sbpPageDown ? clScrollBar : clBtnFace);
      canvas->FillRect(R);
    }
  };
  if (FThumbRect.IsEmpty())
    draw(C, sbpPageUp, TcxButtonState::cxbsNormal);
  else
    draw(FThumbRect, sbpThumbnail, PartState(sbpThumbnail));
  draw(FLineUpRect, sbpLineUp, PartState(sbpLineUp));
  draw(FLineDownRect, sbpLineDown, PartState(sbpLineDown));
  draw(FPageUpRect, sbpPageUp, PartState(sbpPageUp));
  draw(FPageDownRect, sbpPageDown, PartState(sbpPageDown));
  Canvas()->CopyRect(C, FBitmap->Canvas(), C);
}

TL_DEFINE_CLASS(TcxScrollBar, [](auto& c) {
  c.Property("Kind", &TcxScrollBar::GetKind, &TcxScrollBar::SetKind).Default(TScrollBarKind::sbHorizontal);
  c.Property("Max", &TcxScrollBar::GetMax, &TcxScrollBar::SetMax).Default(100);
  c.Property("Min", &TcxScrollBar::GetMin, &TcxScrollBar::SetMin).Default(0);
  c.Property("PageSize", &TcxScrollBar::GetPageSize, &TcxScrollBar::SetPageSize).Default(0);
  c.Property("Position", &TcxScrollBar::GetPosition, &TcxScrollBar::SetPosition).Default(0);
  c.Property("SmallChange", &TcxScrollBar::GetSmallChange, &TcxScrollBar::SetSmallChange).Default(1);
  c.Property("LargeChange", &TcxScrollBar::GetLargeChange, &TcxScrollBar::SetLargeChange).Default(1);
  c.Property("UnlimitedTracking", &TcxScrollBar::GetUnlimitedTracking, &TcxScrollBar::SetUnlimitedTracking)
      .Default(false);
  c.Property("LookAndFeel", &TcxScrollBar::GetLookAndFeel, &TcxScrollBar::SetLookAndFeel);
  c.Event("OnChange", &TcxScrollBar::OnChange);
  c.Event("OnScroll", &TcxScrollBar::OnScroll);
  c.Event("OnContextPopup", &TcxScrollBar::OnContextPopup);
})
