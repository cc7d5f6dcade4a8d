#include "widgets/special/cxCalendar.h"

#include "platform/gdi/Gdi.h"
#include "platform/user/User.h"
#include "widgets/foundation/cxGraphics.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr double kTwoPi = 2 * std::numbers::pi;
constexpr Integer kMinYear = 100, kMaxYear = 9999;

TPoint OnDial(const TcxClock::TFace& F, double AAngle, double ARatio) {
  return {Integer(std::nearbyint(F.CX + F.RX * ARatio * std::cos(AAngle))),
          Integer(std::nearbyint(F.CY + F.RY * ARatio * std::sin(AAngle)))};
}

// A filled hand: tip, one side, tail, other side; the sides stand at right angles to the
// hand, half the width parameter from the centre.
void FillHand(TcxCanvas* C, const TcxClock::TFace& F, double AAngle, double ATip, double ATail,
              Integer AWidth) {
  const double half = AWidth / 2.0;
  const double sx = -std::sin(AAngle) * half, sy = std::cos(AAngle) * half;
  const POINT pts[4] = {
      {LONG(OnDial(F, AAngle, ATip).X), LONG(OnDial(F, AAngle, ATip).Y)},
      {LONG(std::nearbyint(F.CX + sx)), LONG(std::nearbyint(F.CY + sy))},
      {LONG(OnDial(F, AAngle + std::numbers::pi, ATail).X),
       LONG(OnDial(F, AAngle + std::numbers::pi, ATail).Y)},
      {LONG(std::nearbyint(F.CX - sx)), LONG(std::nearbyint(F.CY - sy))},
  };
  const HDC dc = C->GetHandle();
  BeginPath(dc);
  Polygon(dc, pts, 4);
  C->EndPath();
  C->GetBrush()->SetColor(clTeal);
  SelectObject(dc, C->GetBrush()->GetHandle());
  FillPath(dc);
}

}  // namespace

// ---- TcxClock ----------------------------------------------------------------------------------

TcxClock::TcxClock(TComponent* AOwner) : TcxControl(AOwner) {
  SetColor(clWindow);
  SetParentColor(false);
  SetTabStop(false);
}

void TcxClock::SetMinuteDotColor(TColor Value) {
  if (FMinuteDotColor == Value) return;
  FMinuteDotColor = Value;
  Invalidate();
}

void TcxClock::SetTime(TDateTime Value) {
  const TDateTime t = std::isfinite(Value) ? std::fabs(Frac(Value)) : 0.0;
  if (t == FTime) return;
  FTime = t;
  Invalidate();
}

TcxClock::TFace TcxClock::FaceOf(Integer AWidth, Integer AHeight) {
  return {double(AWidth / 2), double(AHeight / 2), AWidth / 2.0 - 2, AHeight / 2.0 - 2};
}

TPoint TcxClock::DotPoint(const TFace& F, Integer I) { return OnDial(F, I * kTwoPi / 60, 1.0); }

double TcxClock::HourAngle(Word H, Word M, Word S) {
  return ((H % 12) * 3600.0 + M * 60.0 + S - 10800) * kTwoPi / 43200;
}
double TcxClock::MinuteAngle(Word M, Word S) { return (M * 60.0 + S - 900) * kTwoPi / 3600; }
double TcxClock::SecondAngle(Word S) { return (S - 15.0) * kTwoPi / 60; }

void TcxClock::Paint() {
  TcxCanvas* C = GetCanvas();
  const TFace F = FaceOf(GetWidth(), GetHeight());
  for (Integer i = 0; i < 60; i += 5) {
    const TPoint P = DotPoint(F, i);
    C->SetPixel(P.X, P.Y, clTeal);
    C->GetPen()->SetColor(clAqua);
    C->MoveTo(P.X - 1, P.Y + 1);
    C->LineTo(P.X - 1, P.Y - 1);
    C->LineTo(P.X + 2, P.Y - 1);
    C->GetPen()->SetColor(clBtnText);
    C->MoveTo(P.X + 1, P.Y - 1);
    C->LineTo(P.X + 1, P.Y + 1);
    C->LineTo(P.X - 2, P.Y + 1);
    C->ExcludeClipRect({P.X - 1, P.Y - 1, P.X + 2, P.Y + 2});
  }
  C->GetBrush()->SetColor(GetColor());
  C->FillRect(GetClientRect());
  Word h, m, s, ms;
  DecodeTime(FTime, h, m, s, ms);
  FillHand(C, F, HourAngle(h, m, s), 0.75, 0.15, 9);
  FillHand(C, F, MinuteAngle(m, s), 0.85, 0.2, 7);
  C->GetPen()->SetColor(clRed);
  const TPoint tip = OnDial(F, SecondAngle(s), 0.9);
  C->MoveTo(Integer(F.CX), Integer(F.CY));
  C->LineTo(tip.X, tip.Y);
}

TL_DEFINE_CLASS(TcxClock)

// ---- TMonthListBox -----------------------------------------------------------------------------

TMonthListBox::TMonthListBox(TWinControl* AOwnerControl, IcxMonthListCalendar* ACalendar)
    : TcxCustomPopupWindow(AOwnerControl), FCalendar(ACalendar) {
  SetAdjustSize(false);
  SetCaptureFocus(false);
  SetIsTopMost(true);
  SetModal(false);
  // A list that never takes the focus floats over the screen, not inside its owner.
  SetParentWindow(GetDesktopWindow());
  SetControlStyle(TControlStyle{TControlStyleItem::csCaptureMouse, TControlStyleItem::csOpaque});
  FTimer = New<TcxTimer>(this);
  FTimer->SetEnabled(false);
  FTimer->SetOnTimer(TNotifyEvent(this, &TMonthListBox::TimerHandler));
}

void TMonthListBox::BeforeDestruction() {
  if (FTimer) FTimer->SetEnabled(false);
  inherited::BeforeDestruction();
}

void TMonthListBox::CreateParams(TCreateParams& Params) {
  inherited::CreateParams(Params);
  Params.WindowClass.style |= CS_SAVEBITS;
}

Integer TMonthListBox::ItemIndex(Integer I) const { return FBaseIndex + FFirstOffset + I; }

bool TMonthListBox::ItemMonth(Integer I, Word& AYear, Word& AMonth) const {
  const Integer idx = ItemIndex(I);
  const Integer year = idx >= 0 ? idx / 12 : -1;
  if (year < kMinYear || year > kMaxYear) return false;
  AYear = Word(year);
  AMonth = Word(idx % 12 + 1);
  return true;
}

String TMonthListBox::ItemText(Integer I) const {
  Word y, m;
  if (!ItemMonth(I, y, m)) return String();
  String S = FormatSettings.LongMonthNames[m - 1];
  if (!FTwelveMonths) S += " " + IntToStr(y);
  return S;
}

TRect TMonthListBox::ItemRect(Integer I) const {
  return {1, 1 + I * FItemHeight, GetClientWidth() - 1, 1 + (I + 1) * FItemHeight};
}

Cardinal TMonthListBox::ScrollInterval(Integer ADistance, Integer AItemHeight) {
  static constexpr Cardinal kIntervals[4] = {500, 250, 100, 50};
  const Integer speed =
      AItemHeight > 0 ? std::min<Integer>(std::abs(ADistance) / AItemHeight, 3) : 3;
  return kIntervals[speed];
}

void TMonthListBox::Popup(TWinControl* AFocusedControl) {
  if (IsShown() || !FCalendar) return;
  TWinControl* cal = FCalendar->MonthListControl();
  FTwelveMonths = FCalendar->MonthListTwelveMonths();
  FItemCount = FTwelveMonths ? kTwelveCount : kSevenCount;
  TControlStyle style{TControlStyleItem::csCaptureMouse, TControlStyleItem::csOpaque};
  if (FTwelveMonths) style.Include(TControlStyleItem::csClickEvents);
  SetControlStyle(style);
  GetFont()->Assign(cal->GetFont());
  FItemHeight = std::max<Integer>(FCalendar->MonthListHeaderHeight() - 2, 1);
  const Integer W = 6 * FCalendar->MonthListColumnWidth() + 2, H = FItemCount * FItemHeight + 2;
  Word y, m, d;
  DecodeDate(FCalendar->MonthListFirstDate(), y, m, d);
  FBaseIndex = Integer(y) * 12 + m - 1;
  FFirstOffset = FTwelveMonths ? -(Integer(m) - 1) : -3;
  FHotItem = -1;
  FScrollDirection = 0;
  const TRect caption = FCalendar->MonthListCaptionRect();
  const TPoint a = cal->ClientToScreen({caption.Left, caption.Top});
  const TPoint centre{a.X + caption.Width() / 2, a.Y + caption.Height() / 2};
  TPoint P{centre.X - W / 2, centre.Y - H / 2};
  // Near a screen edge the list stays whole on the work area of the caption's monitor.
  const TRect work = cxGetDesktopWorkArea(centre);
  P.X = std::max(work.Left, std::min(P.X, work.Right - W));
  P.Y = std::max(work.Top, std::min(P.Y, work.Bottom - H));
  FPosition = P;
  SetBounds(GetLeft(), GetTop(), W, H);
  inherited::Popup(AFocusedControl);
}

TPoint TMonthListBox::CalculatePosition() { return FPosition; }

void TMonthListBox::DoShowed() {
  inherited::DoShowed();
  if (!IsShown() || !HandleAllocated()) return;
  if (FTwelveMonths)
    ReleaseCapture();
  else
    SetCapture(GetHandle());
}

void TMonthListBox::StopScrolling() {
  FTimer->SetEnabled(false);
  FScrollDirection = 0;
}

void TMonthListBox::ApplyHotItem() {
  Word y, m;
  if (FHotItem < 0 || !ItemMonth(FHotItem, y, m)) return;
  FHotItem = -1;
  FCalendar->MonthListSetFirstDate(EncodeDate(y, m, 1));
}

void TMonthListBox::ClosePopup() {
  if (HandleAllocated() && GetCapture() == GetHandle()) ReleaseCapture();
  if (!IsShown()) return;
  inherited::ClosePopup();
  StopScrolling();
  if (!FTwelveMonths) ApplyHotItem();
}

void TMonthListBox::Click() {
  inherited::Click();
  if (!FTwelveMonths) return;
  const Integer hot = FHotItem;
  ClosePopup();
  FHotItem = hot;
  ApplyHotItem();
}

void TMonthListBox::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  inherited::MouseUp(Button, Shift, X, Y);
  if (!FTwelveMonths) ClosePopup();
}

void TMonthListBox::SetHotItem(Integer Value) {
  if (Value == FHotItem) return;
  if (HandleAllocated()) {
    if (FHotItem >= 0) {
      const TRect r = ItemRect(FHotItem);
      ::InvalidateRect(GetHandle(), &r, FALSE);
    }
    if (Value >= 0) {
      const TRect r = ItemRect(Value);
      ::InvalidateRect(GetHandle(), &r, FALSE);
    }
  }
  FHotItem = Value;
}

void TMonthListBox::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  inherited::MouseMove(Shift, X, Y);
  if (FItemHeight <= 0) return;
  const Integer W = GetClientWidth(), H = GetClientHeight();
  if (X >= 0 && X < W && Y >= 0 && Y < H) {
    StopScrolling();
    // Rows start below the one-pixel frame, as painted.
    const Integer i = std::clamp<Integer>((Y - 1) / FItemHeight, 0, FItemCount - 1);
    Word y, m;
    SetHotItem(Y >= 1 && ItemMonth(i, y, m) ? i : -1);
    return;
  }
  SetHotItem(-1);
  const Integer distance = Y < 0 ? Y : (Y >= H ? Y + 1 - H : 0);
  FScrollDirection = distance < 0 ? -1 : (distance > 0 ? 1 : 0);
  if (FScrollDirection == 0) {
    FTimer->SetEnabled(false);
    return;
  }
  const Cardinal interval = ScrollInterval(distance, FItemHeight);
  if (!FTimer->GetEnabled() || FTimer->GetInterval() != interval) {
    FTimer->SetEnabled(false);
    FTimer->SetInterval(interval);
    FTimer->SetEnabled(true);
  }
}

void TMonthListBox::TimerHandler(TObject*) {
  const Integer next = FFirstOffset + FScrollDirection;
  const Integer first = FBaseIndex + next, last = first + FItemCount - 1;
  if (FScrollDirection < 0 && first / 12 < kMinYear) return;
  if (FScrollDirection > 0 && last / 12 > kMaxYear) return;
  if (FScrollDirection == 0) return;
  FFirstOffset = next;
  Invalidate();
}

void TMonthListBox::WndProc(TMessage& Message) {
  if (Message.Msg == WM_MOUSEACTIVATE) {
    Message.Result = MA_NOACTIVATE;
    return;
  }
  inherited::WndProc(Message);
}

void TMonthListBox::Paint() {
  TcxCanvas* C = GetCanvas();
  C->FrameRect(GetClientRect(), clWindowText);
  C->SetFont(GetFont());
  for (Integer i = 0; i < FItemCount; ++i) {
    const bool hot = i == FHotItem;
    const TRect r = ItemRect(i);
    C->GetBrush()->SetColor(hot ? clWindowText : clWindow);
    C->FillRect(r);
    C->GetFont()->SetColor(hot ? clWindow : clWindowText);
    C->DrawText(ItemText(i), r, cxAlignHCenter | cxAlignVCenter | cxSingleLine);
  }
}

TL_DEFINE_CLASS(TMonthListBox)
