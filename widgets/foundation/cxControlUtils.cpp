// Rectangle, colour, number and text routines.
#include "widgets/foundation/cxControlUtils.h"

#include "classlib/core/ScopeGuards.h"
#include "classlib/core/SysUtils.h"
#include "platform/gdi/Font.h"
#include "platform/gdi/Gdi.h"

#include <algorithm>
#include <cmath>
#include <limits>

// ---- Rectangles ----

namespace {
Integer ClampedSpan(Integer from, Integer to) {
  return Integer(std::clamp<Int64>(Int64(to) - from, 0, std::numeric_limits<Integer>::max()));
}
}  // namespace

Integer cxClampedRectWidth(const TRect& R) { return ClampedSpan(R.Left, R.Right); }

Integer cxClampedRectHeight(const TRect& R) { return ClampedSpan(R.Top, R.Bottom); }

void cxExtendRect(TRect& R, Integer ALeft, Integer ATop, Integer ARight, Integer ABottom) {
  R.Left += ALeft;
  R.Top += ATop;
  R.Right += ARight;
  R.Bottom += ABottom;
}

Integer cxCenteredOffset(const TRect& R, Integer ASize) {
  Int64 d = Int64(R.Bottom) - R.Top - ASize;
  // The larger half: rounded up, also for a negative space.
  return Integer(d >= 0 ? (d + 1) / 2 : -((-d) / 2));
}

Integer cxCenteredOuterSize(const TRect& R, Integer ASize) { return 2 * cxCenteredOffset(R, ASize) + 2 + ASize; }

// ---- Colours ----

namespace {

COLORREF ResolveColor(TColor c) {
  if (c < 0) return COLORREF(GetSysColor(int(c & 0xFF)));
  return COLORREF(c) & 0xFFFFFF;
}

Byte ClampByte(Int64 v) { return Byte(std::clamp<Int64>(v, 0, 255)); }

// A field of "r.g.b" read leniently and kept within 0..255, also when it overflows.
Byte ColorField(const String& field) {
  String digits;
  for (Char c : field)
    if (c >= '0' && c <= '9') digits += c;
  digits.erase(0, std::min(digits.find_first_not_of('0'), digits.size()));
  if (digits.size() > 3) {
    size_t first = field.find_first_of("-0123456789");
    return field[first] == '-' ? 0 : 255;
  }
  return ClampByte(cxStrToIntLenient(field));
}

}  // namespace

TColor cxAddToColor(TColor AColor, Integer ARed, Integer AGreen, Integer ABlue) {
  COLORREF c = ResolveColor(AColor);
  return TColor(RGB(ClampByte(Int64(GetRValue(c)) + ARed), ClampByte(Int64(GetGValue(c)) + AGreen),
                    ClampByte(Int64(GetBValue(c)) + ABlue)));
}

TColor cxRGBStringToColor(const String& S) {
  Byte parts[3] = {0, 0, 0};
  size_t start = 0;
  for (int i = 0; i < 3 && start <= S.size(); ++i) {
    size_t dot = S.find('.', start);
    String field = S.substr(start, dot == String::npos ? String::npos : dot - start);
    parts[i] = ColorField(field);
    if (dot == String::npos) break;
    start = dot + 1;
  }
  return TColor(RGB(parts[0], parts[1], parts[2]));
}

TColor cxHexStringToColor(const String& S) {
  String digits;
  for (Char c : S)
    if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f')) digits += c;
  Byte parts[3] = {0, 0, 0};
  for (size_t i = 0; i < 3 && 2 * i < digits.size(); ++i) {
    Integer v = 0;
    TryStrToInt("$" + digits.substr(2 * i, 2), v);
    parts[i] = ClampByte(v);
  }
  return TColor(RGB(parts[0], parts[1], parts[2]));
}

// ---- Numbers and text ----

bool cxIsIntegerText(const String& S) {
  String t = Trim(S);
  Integer v;
  return !t.empty() && TryStrToInt(t, v);
}

bool cxIsNumberText(const String& S) {
  String t = Trim(S);
  const Char sep = FormatSettings.DecimalSeparator;
  bool digit = false, point = false;
  for (size_t i = 0; i < t.size(); ++i) {
    Char c = t[i];
    if (c >= '0' && c <= '9')
      digit = true;
    else if (c == sep && !point)
      point = true;
    else if (!(c == '-' && i == 0))
      return false;
  }
  if (!digit) return false;
  double v;
  return TryStrToFloat(t, v) && std::isfinite(v) && std::fabs(v) <= 1.7e308;
}

namespace {

// The characters a lenient reader keeps: digits, a leading "-" and, for floats, the
// decimal separator.
String KeepNumberChars(const String& S, bool AStopAtInvalid, bool AFloat) {
  String r;
  const Char sep = FormatSettings.DecimalSeparator;
  for (Char c : S) {
    bool keep = (c >= '0' && c <= '9') || (c == '-' && r.empty()) || (AFloat && c == sep);
    if (keep)
      r += c;
    else if (AStopAtInvalid)
      break;
  }
  return r;
}

}  // namespace

Integer cxStrToIntLenient(const String& S, bool AStopAtInvalid) {
  Integer v = 0;
  return TryStrToInt(KeepNumberChars(S, AStopAtInvalid, false), v) ? v : 0;
}

double cxStrToFloatLenient(const String& S, bool AStopAtInvalid) {
  double v = 0;
  return TryStrToFloat(KeepNumberChars(S, AStopAtInvalid, true), v) && std::isfinite(v) ? v : 0.0;
}

bool cxVarIsNullOrEmpty(const Variant& V) { return VarIsNull(V) || VarIsEmpty(V); }

String cxGetToken(const String& S, Char ASeparator, Integer AIndex) {
  if (AIndex < 1) return String();
  size_t start = 0;
  for (Integer i = 1;; ++i) {
    size_t end = S.find(ASeparator, start);
    if (i == AIndex) return S.substr(start, end == String::npos ? String::npos : end - start);
    if (end == String::npos) return String();
    start = end + 1;
  }
}

String cxDigitText(Integer AValue) {
  switch (AValue) {
    case 1:
      return "1";
    case 2:
      return "2";
    default:
      return "0";
  }
}

// ---- Drawing and measuring ----

void cxDrawTwoColorFrame(TCanvas* ACanvas, TRect& R, TColor ALeftTopColor, TColor ARightBottomColor) {
  ACanvas->Pen()->SetColor(ALeftTopColor);
  ACanvas->MoveTo(R.Left, R.Top);
  ACanvas->LineTo(R.Left, R.Bottom + 1);
  ACanvas->MoveTo(R.Left, R.Top);
  ACanvas->LineTo(R.Right + 1, R.Top);
  ACanvas->Pen()->SetColor(ARightBottomColor);
  ACanvas->MoveTo(R.Right, R.Top + 1);
  ACanvas->LineTo(R.Right, R.Bottom);
  ACanvas->MoveTo(R.Left + 1, R.Bottom);
  ACanvas->LineTo(R.Right + 1, R.Bottom);
  cxExtendRect(R, 1, 1, -1, -1);
}

void cxDrawLine(TCanvas* ACanvas, const TPoint& P1, const TPoint& P2, TColor AColor) {
  ACanvas->Pen()->SetColor(AColor);
  ACanvas->MoveTo(P1.X, P1.Y);
  ACanvas->LineTo(P2.X, P2.Y);
}

namespace {
// The canvas's own text flags.
constexpr Integer cxtfLeft = 0x1, cxtfRight = 0x2, cxtfCenterX = 0x4;
constexpr Integer cxtfTop = 0x8, cxtfBottom = 0x10, cxtfCenterY = 0x20;
constexpr Integer cxtfShowPrefix = 0x200, cxtfWordBreak = 0x400, cxtfEndEllipsis = 0x800, cxtfExpandTabs = 0x100;
}  // namespace

Integer cxMakeDrawTextFlags(Integer ABase, TAlignment AHorz, TcxAlignmentVert AVert, bool AEndEllipsis,
                            bool AWordWrap, bool AShowPrefix, Integer ATabCount, bool AUseDrawTextFlags) {
  static const Integer dtHorz[] = {Integer(DT_LEFT), Integer(DT_RIGHT), Integer(DT_CENTER)};
  static const Integer dtVert[] = {Integer(DT_TOP), Integer(DT_BOTTOM), Integer(DT_VCENTER)};
  static const Integer tfHorz[] = {cxtfLeft, cxtfRight, cxtfCenterX};
  static const Integer tfVert[] = {cxtfTop, cxtfBottom, cxtfCenterY};
  Integer r = ABase;
  if (AUseDrawTextFlags) {
    r |= dtHorz[int(AHorz)] | dtVert[int(AVert)];
    if (AEndEllipsis) r |= Integer(DT_END_ELLIPSIS);
    if (AWordWrap) r |= Integer(DT_WORDBREAK);
    if (!AShowPrefix) r |= Integer(DT_NOPREFIX);
    if (ATabCount > 0) r |= Integer(DT_TABSTOP | DT_EXPANDTABS);
  } else {
    r |= tfHorz[int(AHorz)] | tfVert[int(AVert)];
    if (AEndEllipsis) r |= cxtfEndEllipsis;
    if (AWordWrap) r |= cxtfWordBreak;
    if (AShowPrefix) r |= cxtfShowPrefix;
    if (ATabCount > 0) r |= cxtfExpandTabs;
  }
  return r;
}

namespace {
// Measures on a canvas of a small temporary bitmap.
template <class F>
Integer Measure(TFont* AFont, F&& measure) {
  Owned<TBitmap> bitmap(New<TScratchBitmap>());
  bitmap->SetWidth(1);
  bitmap->SetHeight(1);
  TCanvas* c = bitmap->Canvas();
  c->SetFont(AFont);
  return measure(c);
}
}  // namespace

Integer cxGetFontTextHeight(TFont* AFont) {
  return Measure(AFont, [](TCanvas* c) { return c->TextHeight("Wg"); });
}

Integer cxGetFontTextWidth(TFont* AFont, const String& S) {
  return Measure(AFont, [&](TCanvas* c) { return c->TextWidth(S); });
}

Integer cxGetWidestLineWidth(TFont* AFont, const String& S) {
  Owned<TStringList> lines(New<TStringList>());
  lines->SetText(S);
  return Measure(AFont, [&](TCanvas* c) {
    Integer widest = 0;
    for (Integer i = 0; i < lines->Count(); ++i) widest = std::max(widest, c->TextWidth(lines->Strings(i)));
    return widest + 1;
  });
}

namespace {
struct TPaintAccess : TWinControl {
  static void PaintChildren(TWinControl* c, HDC DC) { (c->*(&TPaintAccess::PaintControls))(DC, nullptr); }
};
}  // namespace

void cxPaintControlBackground(TWinControl* AControl, HDC DC, bool AFromParent) {
  if (!AControl || !DC) return;
  int saved = SaveDC(DC);
  TScopeExit restore([DC, &saved] { RestoreDC(DC, saved); });
  TWinControl* parent = AControl->GetParent();
  if (parent && AFromParent && parent->HandleAllocated()) {
    TPoint pos = parent->ScreenToClient(AControl->ClientToScreen(TPoint{0, 0}));
    OffsetWindowOrgEx(DC, pos.X, pos.Y, nullptr);
    SendMessageA(parent->GetHandle(), WM_ERASEBKGND, WPARAM(DC), 0);
    SendMessageA(parent->GetHandle(), WM_PAINT, WPARAM(DC), 0);
    RestoreDC(DC, saved);
    saved = SaveDC(DC);
  } else {
    AControl->Perform(WM_ERASEBKGND, WPARAM(DC), 0);
  }
  TPaintAccess::PaintChildren(AControl, DC);
}

bool cxAssignRotatedFont(TCanvas* ACanvas, TFont* AFont, Integer AAngle) {
  ACanvas->SetFont(AFont);
  // Asked of the font itself: the canvas selects its font only when it next draws.
  TEXTMETRICA tm{};
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, ACanvas->Font()->GetHandle());
  bool trueType = GetTextMetricsA(dc, &tm) && (tm.tmPitchAndFamily & TMPF_TRUETYPE) != 0;
  SelectObject(dc, old);
  DeleteDC(dc);
  Integer angle = ((AAngle % 360) + 360) % 360;
  if (trueType && angle != 0) {
    LOGFONTA lf{};
    GetObjectA(ACanvas->Font()->GetHandle(), sizeof(lf), &lf);
    lf.lfEscapement = angle * 10;
    lf.lfOrientation = angle * 10;
    ACanvas->Font()->SetHandle(CreateFontIndirectA(&lf));
  }
  return trueType;
}
