#include "classlib/visual/Cursors.h"
#include "classlib/visual/Forms.h"
#include "platform/gdi/Gdi.h"
#include "platform/kernel/Arith.h"
#include "platform/user/User.h"
#include "widgets/editcore/cxDateUtils.h"
#include "widgets/editcore/cxEditPaintUtils.h"
#include "widgets/editcore/cxFormats.h"
#include "widgets/foundation/cxClasses.h"
#include "widgets/foundation/cxGraphics.h"
#include "widgets/foundation/cxPainterGlyphs.h"
#include "widgets/special/cxCalendar.h"
#include "widgets/special/cxDateEdit.h"

#include <algorithm>
#include <cmath>

const TResStringRec cxSDateToday = {65396, "Today"};
const TResStringRec cxSDateNow = {65397, "Now"};
const TResStringRec cxSDateClear = {65398, "Clear"};
const TResStringRec cxSDateOK = {65399, "OK"};

namespace {

using enum TDateButton;
using enum TcxCalendarKind;

constexpr Integer kMaxYear = 9999;

double SignOf(double AValue) { return AValue >= 0 ? 1.0 : -1.0; }

// The last acceptable moment: 31 December 9999, 23:59:59.999.
double MaxAcceptableDate() { return EncodeDate(kMaxYear, 12, 31).Value + EncodeTime(23, 59, 59, 999).Value; }

Integer MinYear() {
  Word y, m, d;
  DecodeDate(cxGetMinDate(), y, m, d);
  return y;
}

// The first or last character of a UTF-8 text, whole however many bytes it takes.
String FirstCharacter(const String& S) {
  if (S.empty()) return S;
  size_t n = 1;
  while (n < S.size() && (Byte(S[n]) & 0xC0) == 0x80) ++n;
  return S.substr(0, n);
}

String LastCharacter(const String& S) {
  if (S.empty()) return S;
  size_t i = S.size() - 1;
  while (i > 0 && (Byte(S[i]) & 0xC0) == 0x80) --i;
  return S.substr(i);
}

bool InClientRect(const TControl* AControl, const TPoint& P) {
  const TRect r = AControl->GetClientRect();
  return PtInRect(&r, P);
}

void HorzLine(TcxCanvas& C, Integer X1, Integer X2, Integer Y, TColor AColor) {
  cxFillRectColor(C, {X1, Y, X2, Y + 1}, AColor);
}

}  // namespace

// ---- Construction ------------------------------------------------------------------------------

TcxCustomCalendar::TcxCustomCalendar(TComponent* AOwner) : TcxControl(AOwner) {
  FSelectDate = Date();
  Word y, m, d;
  DecodeDate(FSelectDate, y, m, d);
  FFirstDate = EncodeDate(y, m, 1);
  SetParentColor(false);
  SetColor(clWindow);
}

void TcxCustomCalendar::AfterConstruction() {
  inherited::AfterConstruction();
  SetControlStyle(TControlStyle{TControlStyleItem::csCaptureMouse, TControlStyleItem::csOpaque});
  SetBounds(GetLeft(), GetTop(), 20, 20);
  SetKeys({TcxKey::kAll, TcxKey::kArrows, TcxKey::kChars, TcxKey::kTab});
  FTimer = New<TcxTimer>(this);
  FTimer->SetEnabled(false);
  FTimer->SetInterval(kArrowRepeatInterval);
  FTimer->SetOnTimer(TNotifyEvent(this, &TcxCustomCalendar::TimerHandler));
  FMonthList = New<TMonthListBox>(this, this);
  // Tags: Clear 0, Now 1, Today 2, OK 3, as the button kinds count.
  const TResStringRec* captions[4] = {&cxSDateClear, &cxSDateNow, &cxSDateToday, &cxSDateOK};
  for (Integer i = 0; i < 4; ++i) {
    TcxButton* b = New<TcxButton>(this);
    b->SetTag(i);
    b->SetCaption(cxGetResourceString(*captions[i]));
    b->GetLookAndFeel()->SetMasterLookAndFeel(GetLookAndFeel());
    b->OnClick = TNotifyEvent(this, &TcxCustomCalendar::ButtonClick);
    b->SetVisible(false);
    b->SetParent(this);
    FButtons[size_t(i)] = b;
  }
  FButtons[size_t(btnOk)]->SetDefault(true);
  FTimeEdit = New<TcxTimeEdit>(this);
  FTimeEdit->GetTimeEditProperties()->SetCircular(true);
  FTimeEdit->GetTimeEditProperties()->OnChange = TNotifyEvent(this, &TcxCustomCalendar::TimeEditChanged);
  FTimeEdit->SetVisible(false);
  FClock = New<TcxClock>(this);
  FClock->SetVisible(false);
  FClock->SetParent(this);
}

void TcxCustomCalendar::BeforeDestruction() {
  StopArrowTimer();
  SetHotCaption(0);
  if (FMonthList && FMonthList->IsShown()) FMonthList->ClosePopup();
  inherited::BeforeDestruction();
}

void TcxCustomCalendar::CreateWnd() {
  inherited::CreateWnd();
  // An editor needs a window to stand in as soon as it has a parent.
  if (FTimeEdit && FTimeEdit->GetParent() != this) FTimeEdit->SetParent(this);
  LayoutChanged();
}

// ---- Dates -------------------------------------------------------------------------------------

bool TcxCustomCalendar::IsDateAcceptable(TDateTime ADate) {
  const double d = ADate.Value;
  return d == NullDate || (d >= cxGetMinDate().Value && d <= MaxAcceptableDate());
}

TDateTime TcxCustomCalendar::StepDate(TDateTime AFirstDate, Integer AStep) {
  Word y, m, d;
  DecodeDate(AFirstDate, y, m, d);
  Integer year = y;
  switch (AStep) {
    case kMonthBack: {
      Word wy = y, wm = m;
      cxDecMonth(wy, wm);
      year = wy, m = wm;
      break;
    }
    case kMonthForward: {
      Word wy = y, wm = m;
      cxIncMonth(wy, wm);
      year = wy, m = wm;
      break;
    }
    case kYearBack: --year; break;
    case kYearForward: ++year; break;
    default: break;
  }
  TDateTime result;
  if (year < MinYear() || year > kMaxYear || !TryEncodeDate(Word(year), m, 1, result)) return kInvalidDate;
  return result;
}

Integer TcxCustomCalendar::ColumnOf(TDateTime ADate, Integer AStartOfWeek) {
  Integer col = Integer(DayOfWeek(ADate)) - AStartOfWeek - 1;
  while (col < 0) col += 7;
  return col % 7;
}

void TcxCustomCalendar::SetFirstDate(TDateTime Value) {
  if (Value.Value == NullDate || !IsDateAcceptable(Value)) return;
  Word y, m, d;
  DecodeDate(Value, y, m, d);
  const TDateTime first = EncodeDate(y, m, 1);
  if (first == FFirstDate) return;
  FFirstDate = first;
  Invalidate();
}

void TcxCustomCalendar::SetSelectDate(TDateTime Value) {
  if (Value == FSelectDate || !IsDateAcceptable(Value)) return;
  FSelectDate = Value;
  if (Value.Value != NullDate) SetFirstDate(cxDateOf(Value));
  Invalidate();
}

TDateTime TcxCustomCalendar::GetTime() const { return FClock ? FClock->GetTime() : TDateTime(0); }

void TcxCustomCalendar::SetTime(TDateTime Value) {
  if (!FClock) return;
  FClock->SetTime(Value);
  if (FTimeEdit) FTimeEdit->SetTime(FClock->GetTime());
  if (FKind == ckDateTime) InvalidateRect(FTimeCaptionRect, false);
}

void TcxCustomCalendar::TimeEditChanged(TObject*) {
  if (!FClock || !FTimeEdit) return;
  FClock->SetTime(FTimeEdit->GetTime());
  if (FKind == ckDateTime) InvalidateRect(FTimeCaptionRect, false);
}

TcxTimeEditTimeFormat TcxCustomCalendar::GetTimeFormat() const {
  return FTimeEdit->GetTimeEditProperties()->GetTimeFormat();
}

void TcxCustomCalendar::SetTimeFormat(TcxTimeEditTimeFormat Value) {
  FTimeEdit->GetTimeEditProperties()->SetTimeFormat(Value);
  LayoutChanged();
}

bool TcxCustomCalendar::GetUse24HourFormat() const { return FTimeEdit->GetTimeEditProperties()->GetUse24HourFormat(); }

void TcxCustomCalendar::SetUse24HourFormat(bool Value) {
  FTimeEdit->GetTimeEditProperties()->SetUse24HourFormat(Value);
  LayoutChanged();
}

TDateTime TcxCustomCalendar::GetLastDate() const {
  Word y, m, d;
  DecodeDate(FFirstDate, y, m, d);
  return EncodeDate(y, m, cxDaysPerMonth(y, m));
}

TDateTime TcxCustomCalendar::GetFirstGridDate() const {
  const Integer col = ColumnOf(FFirstDate, cxGetFormatController()->GetStartOfWeek());
  double result = FFirstDate.Value - col;
  // A month starting in the first column is preceded by a whole week, when there is one.
  if (col == 0 && cxGetMinDate().Value < FFirstDate.Value) result -= 7;
  return result;
}

TDateTime TcxCustomCalendar::GetLastGridDate() const { return GetFirstGridDate().Value + 41; }

TDateTime TcxCustomCalendar::KeyBaseDate() const {
  return FSelectDate.Value == NullDate ? Date() : TDateTime(cxDateOf(FSelectDate));
}

String TcxCustomCalendar::TimeCaptionText() const {
  if (FSelectDate.Value == NullDate) return String();
  const double date = cxDateOf(FSelectDate);
  return DateTimeToStr(date + SignOf(date) * GetTime().Value);
}

// ---- Metrics and layout ------------------------------------------------------------------------

bool TcxCustomCalendar::IsOffice11() const {
  return GetPainter()->LookAndFeelStyle() == TcxLookAndFeelStyle::lfsOffice11;
}

bool TcxCustomCalendar::IsButtonVisible(TDateButton AButton) const {
  switch (AButton) {
    case btnToday:
    case btnClear: return FDateButtons.Contains(AButton);
    case btnNow: return FKind == ckDateTime && FDateButtons.Contains(btnNow);
    case btnOk: return FKind == ckDateTime;
  }
  return false;
}

bool TcxCustomCalendar::HasButtonStrip() const {
  return FKind == ckDateTime || IsButtonVisible(btnToday) || IsButtonVisible(btnClear);
}

Integer TcxCustomCalendar::GetInnerSpacing() const { return GetFont()->GetSize() / 2; }

TPoint TcxCustomCalendar::GetTimeAreaMargins() const {
  const Integer m = MulDiv(GetFont()->GetSize(), 3, 4);
  return {m, m};
}

Integer TcxCustomCalendar::StripGap() const { return (FButtonsRegionHeight - 1 - FButtonHeight) / 2; }

Integer TcxCustomCalendar::ClockSide() const {
  const Integer side = GetSize().cy - FHeaderHeight - GetTimeAreaMargins().Y - FButtonsRegionHeight -
                       FTimeEdit->GetHeight() - 3 * StripGap();
  return std::max<Integer>(side, 0);
}

Integer TcxCustomCalendar::TimeAreaWidth() const { return std::max(ClockSide(), FTimeEditWidth) + 2 * StripGap(); }

TSize TcxCustomCalendar::GetSize() const {
  Integer h = FDaysOfWeekHeight + 6 * FRowHeight + FHeaderHeight;
  Integer w = 2 * FSideWidth + 7 * FColWidth;
  if (FKind == ckDateTime) {
    h += FButtonsRegionHeight + GetTimeAreaMargins().Y + FHeaderHeight + GetInnerSpacing();
  } else {
    h += 1;
    if (HasButtonStrip()) h += FButtonsRegionHeight;
    if (IsOffice11()) h += 2;
  }
  if (FKind == ckDateTime) {
    // The time area's width depends on the height just computed.
    const Integer d = (FButtonsRegionHeight - 1 - FButtonHeight) / 2;
    const Integer side = std::max<Integer>(
        h - FHeaderHeight - GetTimeAreaMargins().Y - FButtonsRegionHeight - FTimeEdit->GetHeight() - 3 * d, 0);
    w += 2 * GetTimeAreaMargins().X + FColWidth + std::max(side, FTimeEditWidth) + 2 * d;
  }
  return {w, h};
}

TPoint TcxCustomCalendar::GridOrigin() const {
  if (FKind == ckDateTime) return {GetTimeAreaMargins().X, FHeaderHeight + GetTimeAreaMargins().Y};
  return {0, IsOffice11() ? 2 : 0};
}

void TcxCustomCalendar::CalculateMetrics(TcxCanvas& C) {
  const TSize zero = C.TextExtent("0");
  const Integer fontSize = GetFont()->GetSize();
  FColWidth = 3 * zero.cx;
  FSideWidth = 2 * zero.cx;
  FRowHeight = zero.cy + 2;
  FHeaderHeight = zero.cy + 5;
  if (FKind == ckDate && IsOffice11()) --FHeaderHeight;
  FDaysOfWeekHeight = FRowHeight + 1;
  Integer widest = 0;
  for (TDateButton b : {btnClear, btnNow, btnToday, btnOk})
    if (IsButtonVisible(b)) widest = std::max(widest, C.TextWidth(FButtons[size_t(b)]->GetCaption()));
  FButtonWidth = widest + FColWidth;
  FButtonHeight = MulDiv(C.TextHeight("Wg"), 20, 13) + 1;
  if (FKind == ckDateTime) {
    Integer s = MulDiv(fontSize, 5, 4) + 1;
    if (s % 2 == 0) ++s;
    FButtonsRegionHeight = s + FButtonHeight;
  } else {
    FButtonsRegionHeight = MulDiv(fontSize, 3, 4) + fontSize / 2 + FButtonHeight - 1;
  }
  FGridWidth = 2 * FSideWidth + 7 * FColWidth;
  // The time edit needs its widest text plus room for its frame and spin buttons.
  const String noon = FormatDateTime(FTimeEdit->GetTimeEditProperties()->DisplayFormat(), 0.5);
  FTimeEditWidth = C.TextWidth(noon + "0") + 2 * FColWidth;
}

void TcxCustomCalendar::PlaceChildren() {
  const Integer fontSize = GetFont()->GetSize();
  const Integer W = GetWidth(), H = GetHeight();
  for (TDateButton b : {btnClear, btnNow, btnToday, btnOk}) FButtons[size_t(b)]->SetVisible(IsButtonVisible(b));
  auto place = [&](TDateButton b, Integer ALeft, Integer ATop) {
    FButtons[size_t(b)]->SetBounds(ALeft, ATop, FButtonWidth + 1, FButtonHeight);
  };
  if (FKind == ckDate) {
    const Integer n = Integer(IsButtonVisible(btnToday)) + Integer(IsButtonVisible(btnClear));
    const Integer gap = (FGridWidth - n * FButtonWidth) / (n + 1);
    const Integer top = H - FButtonsRegionHeight + fontSize / 2;
    place(btnToday, gap, top);
    place(btnClear, FGridWidth - FButtonWidth - gap, top);
  } else {
    std::vector<TDateButton> shown;
    for (TDateButton b : {btnToday, btnNow, btnClear, btnOk})
      if (IsButtonVisible(b)) shown.push_back(b);
    const Integer s = MulDiv(fontSize, 5, 4);
    const Integer top = H - FButtonsRegionHeight + 1 + (FButtonsRegionHeight - 1 - FButtonHeight) / 2;
    const Integer lastLeft = W - s - FButtonWidth - 1;
    for (size_t i = 0; i + 1 < shown.size(); ++i) {
      const Integer left = shown.size() == 2 ? lastLeft - s - FButtonWidth - 1 : s + Integer(i) * (FButtonWidth + s + 1);
      place(shown[i], left, top);
    }
    if (!shown.empty()) place(shown.back(), lastLeft, top);
  }
  FClock->SetVisible(FKind == ckDateTime);
  FTimeEdit->SetVisible(FKind == ckDateTime);
  if (FKind == ckDateTime) {
    const Integer side = ClockSide();
    const TPoint m = GetTimeAreaMargins();
    FClock->SetBounds(W - m.X - StripGap() - side, m.Y + FHeaderHeight + StripGap(), side, side);
    const Integer areaLeft = W - m.X - TimeAreaWidth();
    const Integer teHeight = FTimeEdit->GetHeight();
    FTimeEdit->SetBounds(areaLeft + (TimeAreaWidth() - FTimeEditWidth) / 2, H - FButtonsRegionHeight - teHeight - StripGap(),
                         FTimeEditWidth, teHeight);
    FTimeEdit->SetSelStart(0);
  }
}

void TcxCustomCalendar::CalculateViewRects(TcxCanvas& C) {
  const TPoint o = GridOrigin();
  const Integer border = FKind == ckDateTime ? 1 : (FFlat ? 0 : 1);
  FTimeCaptionRect = FKind == ckDateTime ? TRect{0, 0, GetWidth(), FHeaderHeight} : TRect{};
  FHeaderRect = {o.X, o.Y, o.X + FGridWidth, o.Y + FHeaderHeight};
  if (FKind == ckDate && IsOffice11()) FHeaderRect = {o.X + 2, o.Y, o.X + FGridWidth - 2, o.Y + FHeaderHeight};
  const TRect& hr = FHeaderRect;
  const Integer aw = FColWidth - 2, top = hr.Top + border, bottom = hr.Bottom - 1;
  FArrowRects = {};
  if (!FArrowsForYear) {
    FArrowCount = 2;
    FArrowRects[0] = {hr.Left + border, top, hr.Left + border + aw, bottom};
    FArrowRects[1] = {hr.Right - border - aw, top, hr.Right - border, bottom};
    FMonthRect = {FArrowRects[0].Right, top, FArrowRects[1].Left, bottom};
    FYearRect = {};
  } else {
    FArrowCount = 4;
    Integer monthWidth = 0;
    for (const String& name : FormatSettings.LongMonthNames) monthWidth = std::max(monthWidth, C.TextWidth(name));
    const Integer yearWidth = C.TextWidth("9999");
    const Integer space = std::max<Integer>(hr.Width() - 2 * border - 4 * aw, 0);
    const Integer monthSpace = monthWidth + yearWidth > 0 ? MulDiv(space, monthWidth, monthWidth + yearWidth) : space / 2;
    Integer x = hr.Left + border;
    FArrowRects[0] = {x, top, x + aw, bottom};
    x += aw;
    FMonthRect = {x, top, x + monthSpace, bottom};
    x += monthSpace;
    FArrowRects[1] = {x, top, x + aw, bottom};
    x += aw;
    FArrowRects[2] = {x, top, x + aw, bottom};
    x += aw;
    FArrowRects[3] = {hr.Right - border - aw, top, hr.Right - border, bottom};
    FYearRect = {x, top, FArrowRects[3].Left, bottom};
  }
  FDaysRect = {o.X + FSideWidth, hr.Bottom + FDaysOfWeekHeight, o.X + FGridWidth - FSideWidth,
               hr.Bottom + FDaysOfWeekHeight + 6 * FRowHeight};
}

void TcxCustomCalendar::LayoutChanged() {
  if (!FClock || IsDestroying()) return;
  const bool dateTime = FKind == ckDateTime;
  for (TDateButton b : {btnClear, btnNow, btnToday, btnOk}) FButtons[size_t(b)]->SetTabStop(dateTime);
  FTimeEdit->SetTabStop(dateTime);
  if (dateTime) {
    FTimeEdit->SetTabOrder(0);
    FButtons[size_t(btnToday)]->SetTabOrder(1);
    FButtons[size_t(btnNow)]->SetTabOrder(2);
    FButtons[size_t(btnClear)]->SetTabOrder(3);
    FButtons[size_t(btnOk)]->SetTabOrder(4);
    SetKeys({TcxKey::kAll, TcxKey::kArrows, TcxKey::kChars});
  } else {
    SetKeys({TcxKey::kAll, TcxKey::kArrows, TcxKey::kChars, TcxKey::kTab});
  }
  // Without a window yet (a popup sizes itself by the calendar before showing it) the
  // screen measures the font.
  Owned<TcxScreenCanvas> screen;
  TcxCanvas* canvas = GetCanvas();
  if (!HandleAllocated()) {
    screen.reset(New<TcxScreenCanvas>());
    canvas = screen.get();
  }
  TcxCanvas& C = *canvas;
  C.SetFont(GetFont());
  CalculateMetrics(C);
  const TSize size = GetSize();
  SetBounds(GetLeft(), GetTop(), size.cx, size.cy);
  PlaceChildren();
  CalculateViewRects(C);
  Invalidate();
}

TRect TcxCustomCalendar::CellRect(Integer ACol, Integer ARow) const {
  const Integer l = FDaysRect.Left + ACol * FColWidth, t = FDaysRect.Top + ARow * FRowHeight;
  return {l, t, l + FColWidth, t + FRowHeight};
}

TDateTime TcxCustomCalendar::PosToDate(const TPoint& P) const {
  // A font without width leaves no cells to hit.
  if (FColWidth <= 0 || FRowHeight <= 0) return NullDate;
  if (!InClientRect(this, P) || !PtInRect(&FDaysRect, P)) return NullDate;
  const Integer col = (P.X - FDaysRect.Left) / FColWidth, row = (P.Y - FDaysRect.Top) / FRowHeight;
  if (col > 6 || row > 5) return NullDate;
  const TDateTime d = GetFirstGridDate().Value + 7 * row + col;
  return IsDateAcceptable(d) ? d : TDateTime(NullDate);
}

void TcxCustomCalendar::SetKind(TcxCalendarKind Value) {
  if (FKind == Value) return;
  FKind = Value;
  TControlStyle style = ControlStyle();
  if (Value == ckDateTime) {
    style.Include(TControlStyleItem::csClickEvents);
    style.Include(TControlStyleItem::csDoubleClicks);
  } else {
    style.Exclude(TControlStyleItem::csClickEvents);
    style.Exclude(TControlStyleItem::csDoubleClicks);
  }
  SetControlStyle(style);
  LayoutChanged();
}

void TcxCustomCalendar::SetDateButtons(TDateButtons Value) {
  if (FDateButtons == Value) return;
  FDateButtons = Value;
  LayoutChanged();
}

void TcxCustomCalendar::SetArrowsForYear(bool Value) {
  if (FArrowsForYear == Value) return;
  FArrowsForYear = Value;
  LayoutChanged();
}

void TcxCustomCalendar::SetFlat(bool Value) {
  if (FFlat == Value) return;
  FFlat = Value;
  LayoutChanged();
}

// The buttons take the font from their parent, the calendar.
void TcxCustomCalendar::FontChanged() {
  inherited::FontChanged();
  LayoutChanged();
}

void TcxCustomCalendar::LookAndFeelChanged(TcxLookAndFeel* Sender, TcxLookAndFeelValues AChangedValues) {
  inherited::LookAndFeelChanged(Sender, AChangedValues);
  LayoutChanged();
}

// ---- Painting ----------------------------------------------------------------------------------

void TcxCustomCalendar::PaintTimeCaption(TcxCanvas& C, const TcxCustomLookAndFeelPainter* P) {
  const TRect& r = FTimeCaptionRect;
  const String text = TimeCaptionText();
  if (P->LookAndFeelStyle() == TcxLookAndFeelStyle::lfsNative) {
    P->DrawHeader(C, r, r, {}, cxBordersAll, TcxButtonState::cxbsNormal, TAlignment::taCenter,
                  TcxAlignmentVert::vaCenter, false, false, text, GetFont(), GetFont()->GetColor(), GetColor());
    return;
  }
  if (P->LookAndFeelStyle() != TcxLookAndFeelStyle::lfsOffice11) {
    if (!FFlat)
      C.DrawEdge(r, false, true);
    else
      HorzLine(C, r.Left, r.Right, r.Bottom - 1, clBtnText);
  }
  C.GetBrush()->SetStyle(TBrushStyle::bsClear);
  C.GetFont()->SetColor(GetFont()->GetColor());
  C.DrawText(text, r, cxAlignHCenter | cxAlignVCenter | cxSingleLine);
  C.GetBrush()->SetStyle(TBrushStyle::bsSolid);
}

void TcxCustomCalendar::PaintHeader(TcxCanvas& C, const TcxCustomLookAndFeelPainter* P) {
  const TRect& r = FHeaderRect;
  const bool office = P->LookAndFeelStyle() == TcxLookAndFeelStyle::lfsOffice11;
  const TColor face = office ? P->DefaultColor42() : TColor(clBtnFace);
  if (P->LookAndFeelStyle() == TcxLookAndFeelStyle::lfsNative) {
    P->DrawHeader(C, r, r, {}, cxBordersAll, TcxButtonState::cxbsNormal, TAlignment::taCenter,
                  TcxAlignmentVert::vaCenter, false, false, String(), GetFont(), GetFont()->GetColor(), face);
  } else {
    cxFillRectColor(C, r, face);
    if (!FFlat)
      C.DrawEdge(r, false, true);
    else if (FKind == ckDateTime)
      C.FrameRect(r, office ? GetColor() : TColor(clBtnShadow));
    else if (office)
      C.FrameRect(r, clBtnShadow);
    else
      HorzLine(C, r.Left, r.Right, r.Bottom - 1, clBtnText);
  }
  for (Integer i = 0; i < FArrowCount; ++i) {
    const TcxArrowDirection dir = i % 2 == 0 ? TcxArrowDirection::adLeft : TcxArrowDirection::adRight;
    cxDrawTriangle(C, TcxCustomLookAndFeelPainter::CalculateArrowPoints(FArrowRects[size_t(i)], dir, true), clBtnText);
  }
  Word y, m, d;
  DecodeDate(FFirstDate, y, m, d);
  String month = FormatSettings.LongMonthNames[m - 1];
  if (FArrowCount == 2) month += " " + IntToStr(y);
  C.GetBrush()->SetStyle(TBrushStyle::bsClear);
  const Integer flags = cxAlignHCenter | cxAlignVCenter | cxSingleLine;
  C.GetFont()->SetColor(FHotCaption == 1 ? cxGetHotLightColor() : GetFont()->GetColor());
  C.DrawText(month, FMonthRect, flags);
  if (FArrowCount == 4) {
    C.GetFont()->SetColor(FHotCaption == 2 ? cxGetHotLightColor() : GetFont()->GetColor());
    C.DrawText(IntToStr(y), FYearRect, flags);
  }
  C.GetBrush()->SetStyle(TBrushStyle::bsSolid);
}

String TcxCustomCalendar::DayCaption(Integer ACol) const {
  const Integer day = (cxGetFormatController()->GetStartOfWeek() + ACol % 7 + 7) % 7;  // 0 Sunday
  const String& name = FormatSettings.ShortDayNames[day];
  const Byte charset = GetFont()->GetCharset();
  const bool last = charset == GB2312_CHARSET || charset == CHINESEBIG5_CHARSET || charset == ARABIC_CHARSET;
  return last ? LastCharacter(name) : FirstCharacter(name);
}

void TcxCustomCalendar::PaintDayNames(TcxCanvas& C) {
  const Integer top = FHeaderRect.Bottom;
  C.GetBrush()->SetStyle(TBrushStyle::bsClear);
  C.GetFont()->SetColor(clBtnText);
  for (Integer col = 0; col < 7; ++col) {
    const TRect cell = CellRect(col, 0);
    const TRect r{cell.Left, top, cell.Right - 3, top + FRowHeight};
    C.DrawText(DayCaption(col), r, cxAlignRight | cxAlignVCenter | cxSingleLine);
  }
  C.GetBrush()->SetStyle(TBrushStyle::bsSolid);
  HorzLine(C, FDaysRect.Left, FDaysRect.Right, top + FDaysOfWeekHeight - 2, clBtnShadow);
  HorzLine(C, FDaysRect.Left, FDaysRect.Right, top + FDaysOfWeekHeight - 1, clWindow);
  if (FKind == ckDate && HasButtonStrip())
    HorzLine(C, FDaysRect.Left, FDaysRect.Right, GetClientHeight() - FButtonsRegionHeight, clBtnShadow);
}

void TcxCustomCalendar::PaintDays(TcxCanvas& C, const TcxCustomLookAndFeelPainter* P) {
  const double first = GetFirstGridDate().Value, today = Date().Value;
  const double selected = FSelectDate.Value == NullDate ? today : cxDateOf(FSelectDate);
  const double monthFirst = FFirstDate.Value, monthLast = GetLastDate().Value;
  for (Integer row = 0; row < 6; ++row)
    for (Integer col = 0; col < 7; ++col) {
      const double date = first + 7 * row + col;
      const TRect r = CellRect(col, row);
      TColor fill = GetColor(), text = date >= monthFirst && date <= monthLast ? clWindowText : clGrayText;
      if (date == selected) {
        fill = P->DefaultSelectionColor();
        text = P->DefaultSelectionTextColor();
      }
      cxFillRectColor(C, r, fill);
      if (date == today) C.FrameRect(r, clMaroon);
      if (!IsDateAcceptable(date)) continue;
      Word y, m, d;
      DecodeDate(date, y, m, d);
      C.GetBrush()->SetStyle(TBrushStyle::bsClear);
      C.GetFont()->SetColor(text);
      C.DrawText(IntToStr(d), {r.Left, r.Top, r.Right - 3, r.Bottom}, cxAlignRight | cxAlignVCenter | cxSingleLine);
      C.GetBrush()->SetStyle(TBrushStyle::bsSolid);
    }
}

void TcxCustomCalendar::PaintButtonStrip(TcxCanvas& C) {
  const TRect strip{0, GetClientHeight() - FButtonsRegionHeight, GetClientWidth(), GetClientHeight()};
  cxFillRectColor(C, strip, GetColor());
  if (FFlat)
    HorzLine(C, strip.Left, strip.Right, strip.Top, clBtnText);
  else
    C.DrawEdge({strip.Left, strip.Top, strip.Right, strip.Top + 2}, false, true, {TcxBorder::bTop});
  // The time area is set off from the grid by a line half a column away.
  const Integer x = FHeaderRect.Right + FColWidth / 2;
  cxFillRectColor(C, {x, FHeaderRect.Top, x + 1, FDaysRect.Bottom}, clBtnShadow);
}

void TcxCustomCalendar::Paint() {
  TcxCanvas& C = *GetCanvas();
  const TcxCustomLookAndFeelPainter* P = GetPainter();
  C.SetFont(GetFont());
  cxFillRectColor(C, GetClientRect(), GetColor());
  if (FKind == ckDateTime) PaintTimeCaption(C, P);
  PaintHeader(C, P);
  PaintDayNames(C);
  PaintDays(C, P);
  if (FKind == ckDateTime) PaintButtonStrip(C);
}

// ---- Mouse -------------------------------------------------------------------------------------

TPoint TcxCustomCalendar::CursorClientPos() const {
  POINT p{};
  GetCursorPos(&p);
  return ScreenToClient(p);
}

bool TcxCustomCalendar::IsMonthListShown() const { return FMonthList && FMonthList->IsShown(); }

Byte TcxCustomCalendar::CaptionAt(const TPoint& P) const {
  if (!InClientRect(this, P)) return 0;
  if (PtInRect(&FMonthRect, P)) return 1;
  if (PtInRect(&FYearRect, P)) return 2;
  return 0;
}

Integer TcxCustomCalendar::ArrowAt(const TPoint& P) const {
  for (Integer i = 0; i < FArrowCount; ++i)
    if (PtInRect(&FArrowRects[size_t(i)], P)) return i;
  return -1;
}

// Arrows 0 and 1 step months back and forward, arrows 2 and 3 years.
Integer TcxCustomCalendar::ArrowStep(Integer I) const { return I; }

void TcxCustomCalendar::SetHotCaption(Byte Value) {
  if (FHotCaption == Value) return;
  auto rectOf = [this](Byte c) { return c == 1 ? FMonthRect : (c == 2 ? FYearRect : TRect{}); };
  InvalidateRect(rectOf(FHotCaption), false);
  InvalidateRect(rectOf(Value), false);
  if (Screen) {
    if (FHotCaption == 0) {
      FSavedCursor = Screen->GetCursor();
      Screen->SetCursor(crHandPoint);
    } else if (Value == 0) {
      Screen->SetCursor(FSavedCursor);
    }
  }
  FHotCaption = Value;
}

void TcxCustomCalendar::CheckHotTrack() {
  const HWND capture = GetCapture();
  if (!HandleAllocated() || IsMonthListShown() || (capture && capture != GetHandle())) {
    SetHotCaption(0);
    return;
  }
  SetHotCaption(CaptionAt(CursorClientPos()));
}

void TcxCustomCalendar::StopArrowTimer() {
  if (FTimer) FTimer->SetEnabled(false);
}

void TcxCustomCalendar::TimerHandler(TObject*) {
  const Integer arrow = ArrowAt(CursorClientPos());
  if (arrow >= 0) SetFirstDate(StepDate(FFirstDate, ArrowStep(arrow)));
}

// Closing the popup and the handlers of a chosen date may free the editor, and the calendar
// with it: nothing runs after them once it is gone.
void TcxCustomCalendar::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TWeakLink self(this);
  inherited::MouseDown(Button, Shift, X, Y);
  if (!self.Alive()) return;
  CheckHotTrack();
  if (Button != TMouseButton::mbLeft) return;
  const TPoint P{X, Y};
  const TDateTime date = PosToDate(P);
  if (date.Value != NullDate) {
    SetSelectDate(date);
    return;
  }
  const Integer arrow = ArrowAt(P);
  if (arrow >= 0) {
    SetFirstDate(StepDate(FFirstDate, ArrowStep(arrow)));
    FTimer->SetEnabled(true);
    return;
  }
  if (CaptionAt(P) == 1) {
    SetHotCaption(0);
    FMonthList->Popup();
  }
}

void TcxCustomCalendar::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  TWeakLink self(this);
  inherited::MouseMove(Shift, X, Y);
  if (!self.Alive()) return;
  CheckHotTrack();
  if (!Shift.Contains(TShiftStateItem::ssLeft) || FTimer->GetEnabled()) return;
  const TDateTime date = PosToDate({X, Y});
  if (date.Value == NullDate || date == FSelectDate) return;
  // Dragging over the grid moves the selection only; the month shown stays.
  FSelectDate = date;
  Invalidate();
}

void TcxCustomCalendar::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TWeakLink self(this);
  inherited::MouseUp(Button, Shift, X, Y);
  if (!self.Alive()) return;
  CheckHotTrack();
  if (FTimer->GetEnabled()) {
    StopArrowTimer();
    return;
  }
  if (FKind != ckDate || Button != TMouseButton::mbLeft) return;
  const TPoint P{X, Y};
  if (!InClientRect(this, P) || PtInRect(&FMonthRect, P) ||
      PtInRect(&FYearRect, P))
    return;
  const bool onDate = PosToDate(P).Value != NullDate;
  HidePopup(this, TcxEditCloseUpReason::crEnter);
  if (self.Alive() && onDate) DoDateTimeChanged();
}

void TcxCustomCalendar::DblClick() {
  TWeakLink self(this);
  inherited::DblClick();
  if (!self.Alive() || FKind != ckDateTime) return;
  const TDateTime date = PosToDate(CursorClientPos());
  if (date.Value == NullDate) return;
  SetSelectDate(date);
  HidePopup(this, TcxEditCloseUpReason::crEnter);
  if (self.Alive()) DoDateTimeChanged();
}

bool TcxCustomCalendar::DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) {
  if (inherited::DoMouseWheel(Shift, WheelDelta, MousePos)) return true;
  if (IsMonthListShown() || WheelDelta == 0) return false;
  const Byte caption = CaptionAt(ScreenToClient(MousePos));
  if (caption == 0) return false;
  const bool up = WheelDelta > 0;
  const Integer step = caption == 1 ? (up ? kMonthBack : kMonthForward) : (up ? kYearBack : kYearForward);
  SetFirstDate(StepDate(FFirstDate, step));
  return true;
}

// OnMouseEnter and OnMouseLeave may free the calendar.
void TcxCustomCalendar::MouseEnter(TControl* AControl) {
  TWeakLink self(this);
  inherited::MouseEnter(AControl);
  if (self.Alive()) CheckHotTrack();
}

void TcxCustomCalendar::MouseLeave(TControl* AControl) {
  TWeakLink self(this);
  inherited::MouseLeave(AControl);
  if (self.Alive()) CheckHotTrack();
}

// A lost capture ends the press: the arrows stop repeating.
void TcxCustomCalendar::DoCancelMode() {
  inherited::DoCancelMode();
  StopArrowTimer();
}

// ---- Keys, buttons, closing ------------------------------------------------------------------

void TcxCustomCalendar::KeyDown(Word& Key, TShiftState Shift) {
  const double base = KeyBaseDate().Value;
  const bool ctrlOnly = Shift == TShiftState{TShiftStateItem::ssCtrl};
  Word y, m, d;
  DecodeDate(base, y, m, d);
  const double weekStart = cxGetWeekStart(base, cxGetFormatController()->GetStartOfWeek()).Value;
  double target = NullDate;
  switch (Key) {
    case VK_PRIOR:
    case VK_NEXT: {
      Word wy = y, wm = m;
      if (Key == VK_PRIOR)
        cxDecMonth(wy, wm);
      else
        cxIncMonth(wy, wm);
      TDateTime r;
      if (wy >= 1 && wy <= kMaxYear && TryEncodeDate(wy, wm, cxCheckDay(wy, wm, d), r)) target = r.Value;
      break;
    }
    case VK_HOME: target = ctrlOnly ? base - d + 1 : weekStart; break;
    case VK_END: target = ctrlOnly ? base - d + cxDaysPerMonth(y, m) : weekStart + 6; break;
    case VK_LEFT: target = base - 1; break;
    case VK_RIGHT: target = base + 1; break;
    case VK_UP:
    case VK_DOWN:
      if (Shift != TShiftState{TShiftStateItem::ssAlt}) target = base + (Key == VK_UP ? -7 : 7);
      break;
    default: break;
  }
  if (target != NullDate) SetSelectDate(target);
  inherited::KeyDown(Key, Shift);
}

void TcxCustomCalendar::DoDateTimeChanged() {
  if (OnDateTimeChanged) OnDateTimeChanged(this);
}

void TcxCustomCalendar::ButtonClick(TObject* Sender) {
  const auto* button = dynamic_cast<TComponent*>(Sender);
  if (!button) return;
  double value = NullDate;
  switch (TDateButton(button->GetTag())) {
    case btnClear: value = NullDate; break;
    case btnNow: value = Now().Value; break;
    case btnToday: {
      const double today = Date().Value;
      value = today + SignOf(today) * GetTime().Value;
      break;
    }
    case btnOk: {
      // With nothing selected the grid shows today as the selection; OK takes it.
      const double date = FSelectDate.Value == NullDate ? Date().Value : cxDateOf(FSelectDate);
      value = date + SignOf(date) * GetTime().Value;
      break;
    }
  }
  SetTime(cxTimeOf(value));
  SetSelectDate(value);
  TWeakLink self(this);
  DoDateTimeChanged();
  if (self.Alive()) HidePopup(this, TcxEditCloseUpReason::crEnter);
}

void TcxCustomCalendar::HidePopup(TObject*, TcxEditCloseUpReason) {
  StopArrowTimer();
  if (IsMonthListShown()) FMonthList->ClosePopup();
}

TL_DEFINE_CLASS(TcxCustomCalendar)

// ---- TcxPopupCalendar --------------------------------------------------------------------------

void TcxPopupCalendar::HidePopup(TObject* Sender, TcxEditCloseUpReason AReason) {
  TWeakLink self(this);
  inherited::HidePopup(Sender, AReason);
  if (!self.Alive()) return;
  if (OnHidePopup) OnHidePopup(Sender, AReason);
}

void TcxPopupCalendar::CheckHotTrack() {
  inherited::CheckHotTrack();
  if (Edit && !Edit->HasShownPopup()) SetHotCaption(0);
}

void TcxPopupCalendar::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  TWeakLink self(this);
  inherited::MouseMove(Shift, X, Y);
  if (!self.Alive() || !Edit || !Shift.Contains(TShiftStateItem::ssLeft)) return;
  if (InClientRect(this, {X, Y})) return;
  const TDateTime date = Edit->GetDate();
  SetSelectDate(date.Value == NullDate ? date : TDateTime(cxDateOf(date)));
}

void TcxPopupCalendar::KeyDown(Word& Key, TShiftState Shift) {
  TWeakLink self(this);
  inherited::KeyDown(Key, Shift);
  if (!self.Alive()) return;
  if (Key == VK_TAB && Edit) {
    // In the date-and-time kind Tab moves among the calendar's own controls.
    auto* own = dynamic_cast<TcxCustomDateEditProperties*>(Edit->GetProperties());
    if (own && own->GetKind() == ckDateTime) return;
    if (Edit->DateProperties()->GetPostPopupValueOnTab()) DoDateTimeChanged();
    if (self.Alive()) Edit->DoEditKeyDown(Key, Shift);
    return;
  }
  const bool alt = Shift.Contains(TShiftStateItem::ssAlt);
  switch (Key) {
    case VK_ESCAPE:
      if (IsMonthListShown() && MonthListTwelveMonths())
        MonthList()->ClosePopup();
      else
        HidePopup(this, TcxEditCloseUpReason::crCancel);
      break;
    case VK_F4:
      if (!alt) HidePopup(this, TcxEditCloseUpReason::crClose);
      break;
    case VK_UP:
    case VK_DOWN:
      if (alt) HidePopup(this, TcxEditCloseUpReason::crClose);
      break;
    case VK_RETURN:
      if (!IsMonthListShown()) {
        HidePopup(this, TcxEditCloseUpReason::crEnter);
        if (self.Alive()) DoDateTimeChanged();
      }
      break;
    default: break;
  }
}

TL_DEFINE_CLASS(TcxPopupCalendar)
