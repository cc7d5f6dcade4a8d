#include "widgets/foundation/cxGraphics.h"

#include "platform/gdi/Font.h"
#include "platform/gdi/GdiObject.h"
#include "platform/gdi/Text.h"
#include "platform/kernel/Arith.h"
#include "platform/user/User.h"
#include "widgets/foundation/cxControls.h"
#include "widgets/foundation/dxOffice11.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr int kRegionModes[4] = {RGN_COPY, RGN_OR, RGN_DIFF, RGN_AND};

bool Empty(const TRect& R) { return R.Right <= R.Left || R.Bottom <= R.Top; }

// Floor division: tiles to the left of or above the origin start one cell earlier.
Integer FloorDiv(Integer a, Integer b) {
  Integer q = a / b;
  return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

String StripAccelerators(const String& s) {
  String out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '&' && i + 1 < s.size()) ++i;
    else if (s[i] == '&') continue;
    out += s[i];
  }
  return out;
}

double Sinc(double x) {
  if (x == 0) return 1;
  x *= M_PI;
  return std::sin(x) / x;
}

double Lanczos3(double x) { return std::fabs(x) < 3 ? Sinc(x) * Sinc(x / 3) : 0; }

// A source index folded back into 0..n-1: mirrored at both edges as often as needed.
Integer Reflect(Integer j, Integer n) {
  if (n == 1) return 0;
  const Integer period = 2 * n;
  j %= period;
  if (j < 0) j += period;
  return j < n ? j : period - j - 1;
}

struct Contributor {
  Integer index;
  Integer weight;
};

std::vector<std::vector<Contributor>> Contributors(Integer src, Integer dst) {
  std::vector<std::vector<Contributor>> list(static_cast<size_t>(dst));
  const double scale = double(dst) / src;
  const double width = scale < 1 ? 3 / scale : 3;
  const double fscale = scale < 1 ? 1 / scale : 1;
  for (Integer i = 0; i < dst; ++i) {
    const double center = i / scale;
    for (Integer j = Integer(std::floor(center - width)); j <= Integer(std::ceil(center + width)); ++j) {
      const Integer weight = Integer(Round(Lanczos3((center - j) / fscale) / fscale * 256));
      if (weight != 0) list[size_t(i)].push_back({Reflect(j, src), weight});
    }
  }
  return list;
}

Pixel Combine(const std::vector<Contributor>& cs, const Pixel* line, Integer stride) {
  Integer sum[3] = {0, 0, 0};
  for (const Contributor& c : cs) {
    const Pixel p = line[std::ptrdiff_t(c.index) * stride];
    for (int k = 0; k < 3; ++k) sum[k] += Integer(p >> (8 * k) & 0xFF) * c.weight;
  }
  Pixel out = 0;
  for (int k = 0; k < 3; ++k) out |= Pixel(std::clamp(sum[k] >> 8, 0, 255)) << (8 * k);
  return out;
}

}  // namespace

TL_DEFINE_CLASS(TcxRegion)
TL_DEFINE_CLASS(TcxCanvas)
TL_DEFINE_CLASS(TcxScreenCanvas)

UINT cxFlagsToDTFlags(Integer F) {
  UINT r = DT_NOPREFIX;
  if (F & cxAlignRight) r |= DT_RIGHT;
  if (F & cxAlignHCenter) r |= DT_CENTER;
  if (F & cxAlignBottom) r |= DT_BOTTOM;
  if (F & cxAlignVCenter) r |= DT_VCENTER;
  if (F & cxSingleLine) r |= DT_SINGLELINE;
  if (F & cxDontClip) r |= DT_NOCLIP;
  if (F & cxExpandTabs) r |= DT_EXPANDTABS;
  if (F & cxShowPrefix) r &= ~DT_NOPREFIX;
  if (F & cxWordBreak) {
    r |= DT_WORDBREAK;
    if (!(F & cxDontBreakChars)) r |= DT_EDITCONTROL;
  }
  if (F & cxShowEndEllipsis) r |= DT_END_ELLIPSIS;
  if (F & cxDontPrint) r |= DT_CALCRECT;
  if (F & cxShowPathEllipsis) r |= DT_PATH_ELLIPSIS;
  return r;
}

// ---- TcxRegion ---------------------------------------------------------------------------

TcxRegion::TcxRegion(HRGN AHandle) : FHandle(AHandle) {}
TcxRegion::TcxRegion(const TRect& R) : FHandle(CreateRectRgnIndirect(&R)) {}
TcxRegion::TcxRegion() : FHandle(CreateRectRgn(0, 0, 0, 0)) {}

void TcxRegion::BeforeDestruction() {
  if (FHandle) DeleteObject(FHandle);
  FHandle = nullptr;
  TObject::BeforeDestruction();
}

void TcxRegion::Combine(TcxRegion* ARegion, TcxRegionOperation AOperation, bool ADestroyRegion) {
  if (!ARegion) return;
  if (AOperation == TcxRegionOperation::roSet) CombineRgn(FHandle, ARegion->FHandle, nullptr, RGN_COPY);
  else CombineRgn(FHandle, FHandle, ARegion->FHandle, kRegionModes[size_t(AOperation)]);
  if (ADestroyRegion) ARegion->Free();
}

bool TcxRegion::IsEmpty() const {
  TRect r{};
  return GetRgnBox(FHandle, &r) == NULLREGION;
}

bool TcxRegion::IsEqual(const TcxRegion* ARegion) const {
  if (!ARegion) return false;
  if (IsEmpty() && ARegion->IsEmpty()) return true;
  return EqualRgn(FHandle, ARegion->FHandle) != 0;
}

void TcxRegion::Offset(Integer DX, Integer DY) { OffsetRgn(FHandle, DX, DY); }
bool TcxRegion::PtInRegion(Integer X, Integer Y) const { return ::PtInRegion(FHandle, X, Y) != 0; }
bool TcxRegion::RectInRegion(const TRect& R) const { return ::RectInRegion(FHandle, &R) != 0; }

// ---- TcxCanvas: access -------------------------------------------------------------------

TcxCanvas::TcxCanvas(TCanvas* ACanvas) : FCanvas(ACanvas) {}

TPoint TcxCanvas::GetWindowOrg() const {
  TPoint p{};
  GetWindowOrgEx(GetHandle(), &p);
  return p;
}
void TcxCanvas::SetWindowOrg(const TPoint& P) { SetWindowOrgEx(GetHandle(), P.X, P.Y, nullptr); }
TPoint TcxCanvas::GetViewportOrg() const {
  TPoint p{};
  GetViewportOrgEx(GetHandle(), &p);
  return p;
}
void TcxCanvas::SetViewportOrg(const TPoint& P) { SetViewportOrgEx(GetHandle(), P.X, P.Y, nullptr); }
TPoint TcxCanvas::DCOrigin() const {
  const TPoint v = GetViewportOrg(), w = GetWindowOrg();
  return {v.X - w.X, v.Y - w.Y};
}

void TcxCanvas::SetBrushColor(TColor Value) {
  if (GetBrush()->GetColor() != Value) GetBrush()->SetColor(Value);
}

void TcxCanvas::InvertRect(const TRect& R) {
  SetCopyMode(cmDstInvert);
  FCanvas->CopyRect(R, FCanvas, R);
  SetCopyMode(cmSrcCopy);
}

void TcxCanvas::EndPath() { ::EndPath(GetHandle()); }

TcxRegion* TcxCanvas::PathToRegion() {
  HRGN r = ::PathToRegion(GetHandle());
  return r ? New<TcxRegion>(r) : New<TcxRegion>();
}

void TcxCanvas::SetParams(const TcxPaintParams& AParams) {
  if (AParams.Font) SetFont(AParams.Font);
  if (AParams.TextColor != clNone && AParams.TextColor != clDefault) GetFont()->SetColor(AParams.TextColor);
}

// ---- Fills and frames --------------------------------------------------------------------

void TcxCanvas::FillRect(const TRect& R, TBitmap* ABitmap) {
  if (Empty(R)) return;
  if (!ABitmap || ABitmap->Empty()) {
    FCanvas->FillRect(R);
    return;
  }
  const Integer w = ABitmap->GetWidth(), h = ABitmap->GetHeight();
  for (Integer row = FloorDiv(R.Top, h); row * h < R.Bottom; ++row)
    for (Integer col = FloorDiv(R.Left, w); col * w < R.Right; ++col) {
      const TRect cell{col * w, row * h, col * w + w, row * h + h};
      TRect part{};
      if (!IntersectRect(&part, &cell, &R)) continue;
      const TRect source{part.Left - cell.Left, part.Top - cell.Top, part.Right - cell.Left,
                         part.Bottom - cell.Top};
      FCanvas->CopyRect(part, ABitmap->Canvas(), source);
    }
}

void TcxCanvas::FillRect(const TRect& R, const TcxPaintParams& AParams, TColor AFrameColor,
                         TcxBorders ABorders, Integer ALineWidth) {
  if (Empty(R)) return;
  FrameRect(R, AFrameColor, ABorders, ALineWidth);
  TRect inner = R;
  const Integer lw = std::max(0, ALineWidth);
  if (ABorders.Contains(TcxBorder::bLeft)) inner.Left += lw;
  if (ABorders.Contains(TcxBorder::bTop)) inner.Top += lw;
  if (ABorders.Contains(TcxBorder::bRight)) inner.Right -= lw;
  if (ABorders.Contains(TcxBorder::bBottom)) inner.Bottom -= lw;
  if (AParams.Color != clNone) SetBrushColor(AParams.Color);
  FillRect(inner, AParams.Bitmap);
}

void TcxCanvas::FrameRect(const TRect& R, TColor AColor, TcxBorders ABorders, Integer ALineWidth) {
  if (Empty(R) || ALineWidth <= 0) return;
  if (AColor != clDefault) SetBrushColor(AColor);
  const Integer lw = ALineWidth;
  if (ABorders.Contains(TcxBorder::bLeft)) FCanvas->FillRect({R.Left, R.Top, std::min(R.Right, R.Left + lw), R.Bottom});
  if (ABorders.Contains(TcxBorder::bRight)) FCanvas->FillRect({std::max(R.Left, R.Right - lw), R.Top, R.Right, R.Bottom});
  if (ABorders.Contains(TcxBorder::bTop)) FCanvas->FillRect({R.Left, R.Top, R.Right, std::min(R.Bottom, R.Top + lw)});
  if (ABorders.Contains(TcxBorder::bBottom)) FCanvas->FillRect({R.Left, std::max(R.Top, R.Bottom - lw), R.Right, R.Bottom});
}

void TcxCanvas::DrawComplexFrame(const TRect& R, TColor ALeftTopColor, TColor ARightBottomColor,
                                 TcxBorders ABorders, Integer ALineWidth) {
  if (Empty(R) || ALineWidth <= 0) return;
  const Integer lw = ALineWidth;
  if (ABorders.Contains(TcxBorder::bLeft)) FrameRect({R.Left, R.Top, std::min(R.Right, R.Left + lw), R.Bottom}, ALeftTopColor, {TcxBorder::bLeft}, lw);
  if (ABorders.Contains(TcxBorder::bTop)) FrameRect({R.Left, R.Top, R.Right, std::min(R.Bottom, R.Top + lw)}, ALeftTopColor, {TcxBorder::bTop}, lw);
  if (ABorders.Contains(TcxBorder::bRight)) FrameRect({std::max(R.Left, R.Right - lw), R.Top, R.Right, R.Bottom}, ARightBottomColor, {TcxBorder::bRight}, lw);
  if (ABorders.Contains(TcxBorder::bBottom)) FrameRect({R.Left, std::max(R.Top, R.Bottom - lw), R.Right, R.Bottom}, ARightBottomColor, {TcxBorder::bBottom}, lw);
}

void TcxCanvas::DrawEdge(const TRect& R, bool ASunken, bool AOuter, TcxBorders ABorders) {
  TColor a, b;
  if (ASunken) {
    a = AOuter ? clBtnShadow : cl3DDkShadow;
    b = AOuter ? clBtnHighlight : cl3DLight;
  } else {
    a = AOuter ? cl3DLight : clBtnHighlight;
    b = AOuter ? cl3DDkShadow : clBtnShadow;
  }
  DrawComplexFrame(R, a, b, ABorders, 1);
}

void TcxCanvas::DrawFocusRect(const TRect& R) {
  SetBrushColor(clWhite);
  GetFont()->SetColor(clBlack);
  FCanvas->DrawFocusRect(R);
}

void TcxCanvas::FillRegion(TcxRegion* ARegion, TColor AColor) {
  if (ARegion) FillRegion(ARegion->Handle(), AColor);
}
void TcxCanvas::FillRegion(HRGN ARegion, TColor AColor) {
  if (!ARegion) return;
  SetBrushColor(AColor);
  FillRgn(GetHandle(), ARegion, GetBrush()->GetHandle());
}
void TcxCanvas::FrameRegion(TcxRegion* ARegion, TColor AColor, Integer FrameWidth, Integer FrameHeight) {
  if (ARegion) FrameRegion(ARegion->Handle(), AColor, FrameWidth, FrameHeight);
}
void TcxCanvas::FrameRegion(HRGN ARegion, TColor AColor, Integer FrameWidth, Integer FrameHeight) {
  if (!ARegion) return;
  SetBrushColor(AColor);
  FrameRgn(GetHandle(), ARegion, GetBrush()->GetHandle(), FrameWidth, FrameHeight);
}

void TcxCanvas::FillAndFrameRegion(TcxRegion* ARegion, TColor AColor, TColor AFrameColor, Integer FrameWidth,
                                   Integer FrameHeight) {
  if (ARegion) FillAndFrameRegion(ARegion->Handle(), AColor, AFrameColor, FrameWidth, FrameHeight);
}
void TcxCanvas::FillAndFrameRegion(HRGN ARegion, TColor AColor, TColor AFrameColor, Integer FrameWidth,
                                   Integer FrameHeight) {
  FillRegion(ARegion, AColor);
  FrameRegion(ARegion, AFrameColor, FrameWidth, FrameHeight);
}

// ---- Pies and fonts ----------------------------------------------------------------------

void TcxCanvas::Pie(const TRect& R, const TPoint& StartPoint, const TPoint& EndPoint) {
  if (Empty(R)) return;
  FCanvas->Pie(R.Left, R.Top, R.Right, R.Bottom, StartPoint.X, StartPoint.Y, EndPoint.X, EndPoint.Y);
}

void TcxCanvas::Pie(const TRect& R, Integer AStartAngle, Integer ASweepAngle) {
  if (Empty(R) || ASweepAngle == 0) return;
  // The platform pie runs counter-clockwise: a negative sweep is the same pie walked
  // from its other end.
  if (ASweepAngle < 0) {
    AStartAngle += ASweepAngle;
    ASweepAngle = -ASweepAngle;
  }
  const Integer a = (R.Right - R.Left) / 2, b = (R.Bottom - R.Top) / 2;
  const TPoint c{R.Left + a, R.Top + b};
  auto point = [&](double deg) {
    const double t = deg * M_PI / 180, s = std::sin(t), co = std::cos(t);
    const double den = std::sqrt(double(a) * a * s * s + double(b) * b * co * co);
    const double r = (a == 0 || b == 0 || den == 0) ? 0 : double(a) * b / den;
    return TPoint{c.X + Integer(Round(r * co)), c.Y - Integer(Round(r * s))};
  };
  const TPoint p1 = point(AStartAngle);
  const TPoint p2 = ASweepAngle == 360 ? p1 : point(double(AStartAngle) + ASweepAngle);
  if (p1.X == p2.X && p1.Y == p2.Y && ASweepAngle < 181) return;
  Pie(R, p1, p2);
}

void TcxCanvas::SetFontAngle(Integer Value) {
  LOGFONTA lf{};
  GetObjectA(GetFont()->GetHandle(), sizeof lf, &lf);
  Value %= 360;
  lf.lfEscapement = Value * 10;
  lf.lfOrientation = Value * 10;
  if (Value != 0) lf.lfOutPrecision = OUT_TT_ONLY_PRECIS;
  GetFont()->SetHandle(CreateFontIndirectA(&lf));
}

// ---- Text --------------------------------------------------------------------------------

TSize TcxCanvas::TextExtent(const String& Text) { return FCanvas->TextExtent(Text); }

HDC TcxCanvas::TextDC() {
  // Measuring realizes the canvas font in its DC, so raw text calls use it.
  FCanvas->TextExtent(String());
  return FCanvas->GetHandle();
}

Integer TcxCanvas::FontHeight(TFont* AFont) {
  SetFont(AFont);
  return TextHeight("Qq");
}

void TcxCanvas::TextExtentInRect(const String& Text, TRect& R, Integer Flags) {
  UINT f = (cxFlagsToDTFlags(Flags) & ~DT_VCENTER) | DT_CALCRECT;
  TRect calc = R;
  ::DrawTextA(TextDC(), Text.data(), Integer(Text.size()), &calc, f);
  const Integer dw = (R.Right - R.Left) - (calc.Right - calc.Left);
  const Integer dh = (R.Bottom - R.Top) - (calc.Bottom - calc.Top);
  const UINT all = cxFlagsToDTFlags(Flags);
  if (all & DT_CENTER) OffsetRect(&calc, dw / 2, 0);
  else if (all & DT_RIGHT) OffsetRect(&calc, dw, 0);
  if (all & DT_VCENTER) OffsetRect(&calc, 0, dh / 2);
  else if (all & DT_BOTTOM) OffsetRect(&calc, 0, dh);
  R = calc;
}

void TcxCanvas::DrawText(const String& Text, TRect R, Integer Flags, bool Enabled) {
  if (Text.empty()) return;
  // Tabs are expanded only by DrawTextA, so they send single-line text there too.
  const bool viaDrawText =
      !(Flags & cxSingleLine) || (Flags & (cxShowPrefix | cxShowEndEllipsis | cxShowPathEllipsis | cxExpandTabs));
  const TSize extent = TextExtent(Text);
  if (R.Right - R.Left > extent.cx && R.Bottom - R.Top > extent.cy) Flags |= cxDontClip;
  Integer x = R.Left, y = R.Top;
  if (viaDrawText) {
    if (!(Flags & cxSingleLine) && (Flags & (cxAlignBottom | cxAlignVCenter))) {
      TRect block{0, 0, R.Right - R.Left - (Enabled ? 0 : 1), 0};
      Integer f = cxAlignLeft | cxAlignTop | (Flags & (cxWordBreak | cxShowPrefix | cxDontBreakChars));
      TextExtentInRect(Text, block, f);
      const Integer bh = block.Bottom - block.Top;
      if (Flags & cxAlignBottom) R.Top = R.Bottom - bh - (Enabled ? 0 : 1);
      else R.Top = (R.Top + R.Bottom - bh) / 2;
    }
  } else {
    if (R.Right - R.Left > extent.cx) {
      if (Flags & cxAlignRight) x = R.Right - extent.cx - (Enabled ? 0 : 1);
      else if (Flags & cxAlignHCenter) x = (R.Left + R.Right - extent.cx) / 2;
    }
    if (R.Bottom - R.Top > extent.cy) {
      if (Flags & cxAlignBottom) y = R.Bottom - extent.cy - (Enabled ? 0 : 1);
      else if (Flags & cxAlignVCenter) y = (R.Top + R.Bottom - extent.cy) / 2;
    }
  }
  const UINT dt = cxFlagsToDTFlags(Flags);
  const UINT eto = (Flags & cxDontClip) ? 0 : ETO_CLIPPED;
  // Disabled text is embossed: the highlight in (L+1, T+1, R, B), the shadow over it in
  // (L, T, R-1, B-1), so that both stay inside R and line up whatever the alignment.
  auto draw = [&](Integer dx, Integer dy) {
    TRect r = R;
    if (!Enabled) r = dx ? TRect{R.Left + 1, R.Top + 1, R.Right, R.Bottom} : TRect{R.Left, R.Top, R.Right - 1, R.Bottom - 1};
    HDC dc = TextDC();
    SetTextColor(dc, ColorToDevice(GetFont()->GetColor()));
    SetBkColor(dc, ColorToDevice(GetBrush()->GetColor()));
    SetBkMode(dc, GetBrush()->GetStyle() == TBrushStyle::bsClear ? TRANSPARENT : OPAQUE);
    if (viaDrawText) ::DrawTextA(dc, Text.data(), Integer(Text.size()), &r, dt);
    else ExtTextOutA(dc, x + dx, y + dy, eto, &r, Text.data(), UINT(Text.size()), nullptr);
  };
  const TBrushStyle brushStyle = GetBrush()->GetStyle();
  const TColor fontColor = GetFont()->GetColor();
  if (!Enabled) {
    GetBrush()->SetStyle(TBrushStyle::bsClear);
    GetFont()->SetColor(clBtnHighlight);
    draw(1, 1);
    GetFont()->SetColor(clBtnShadow);
  }
  draw(0, 0);
  if (GetBrush()->GetStyle() != brushStyle) GetBrush()->SetStyle(brushStyle);
  GetFont()->SetColor(fontColor);
}

void TcxCanvas::GetTextLineRects(const String& AText, TRect R, TRectArray& ARects, Integer Flags,
                                 bool Enabled) {
  ARects.clear();
  String text = AText;
  if (Flags & cxShowPrefix) {
    text = StripAccelerators(text);
    Flags &= ~cxShowPrefix;
  }
  if (!Enabled) {
    --R.Right;
    --R.Bottom;
  }
  HDC dc = TextDC();
  TEXTMETRICA tm{};
  GetTextMetricsA(dc, &tm);
  const Integer lineHeight = tm.tmHeight;
  TRect block = R;
  TextExtentInRect(text, block, Flags);
  Integer y = R.Top;
  if (Flags & cxAlignBottom) y = R.Bottom - (block.Bottom - block.Top);
  else if (Flags & cxAlignVCenter) y = (R.Top + R.Bottom - (block.Bottom - block.Top)) / 2;
  const bool dropBlank = Flags & (cxAlignRight | cxAlignHCenter);
  size_t pos = 0;
  while (pos < text.size()) {
    const Integer rest = Integer(text.size() - pos);
    Integer fit = 0;
    SIZE size{};
    GetTextExtentExPointA(dc, text.data() + pos, rest, std::max(0, R.Right - R.Left), &fit, nullptr, &size);
    // A line always takes at least one character, so the walk ends even when nothing fits.
    fit = std::clamp(fit, 1, rest);
    Integer lineLen = fit, consumed = fit;
    Integer brk = -1;
    for (Integer i = 0; i < fit; ++i)
      if (text[pos + size_t(i)] == '\r' || text[pos + size_t(i)] == '\n') {
        brk = i;
        break;
      }
    if (brk >= 0) {
      lineLen = brk;
      consumed = brk + 1;
      const char c = text[pos + size_t(brk)];
      if (brk + 1 < rest) {
        const char d = text[pos + size_t(brk) + 1];
        if ((d == '\r' || d == '\n') && d != c) consumed = brk + 2;
      }
    } else if (rest > fit) {
      for (Integer i = fit - 1; i >= 0; --i)
        if (text[pos + size_t(i)] == ' ') {
          lineLen = dropBlank ? i : i + 1;
          consumed = i + 1;
          break;
        }
    }
    const String line = text.substr(pos, size_t(lineLen));
    const Integer w = TextWidth(line);
    Integer x = R.Left;
    if (Flags & cxAlignRight) x = R.Right - w;
    else if (Flags & cxAlignHCenter) x = (R.Left + R.Right - w) / 2;
    ARects.push_back({x, y, x + w, y + lineHeight});
    y += lineHeight;
    pos += size_t(consumed);
  }
}

// ---- Glyphs and bitmaps -----------------------------------------------------------------

void TcxCanvas::DrawGlyph(Integer X, Integer Y, TBitmap* AGlyph, bool AEnabled, TColor ABackgroundColor) {
  if (!AGlyph || AGlyph->Empty()) return;
  const Integer w = AGlyph->GetWidth(), h = AGlyph->GetHeight();
  if (AEnabled && ABackgroundColor != clNone) {
    const TBrushStyle style = GetBrush()->GetStyle();
    SetBrushColor(ABackgroundColor);
    FCanvas->BrushCopy({X, Y, X + w, Y + h}, AGlyph, {0, 0, w, h}, AGlyph->GetTransparentColor());
    if (GetBrush()->GetStyle() != style) GetBrush()->SetStyle(style);
    return;
  }
  Owned<TCustomImageList> images(New<TCustomImageList>(nullptr));
  images->SetWidth(w);
  images->SetHeight(h);
  const TColor mask =
      AGlyph->GetTransparentMode() == TTransparentMode::tmFixed ? AGlyph->GetTransparentColor() : clDefault;
  images->AddMasked(AGlyph, mask);
  if (AEnabled) {
    // The brush copy fills the transparent pixels with the brush, which a clear brush
    // cannot do; the masked image leaves them out.
    images->Draw(FCanvas, X, Y, 0, true);
    return;
  }
  if (ABackgroundColor != clNone) {
    Owned<TBitmap> back(New<TScratchBitmap>());
    back->SetSize(w, h);
    back->Canvas()->Brush()->SetColor(ABackgroundColor);
    back->Canvas()->FillRect({0, 0, w, h});
    images->Draw(back->Canvas(), 0, 0, 0, false);
    FCanvas->Draw(X, Y, back.get());
  } else {
    images->Draw(FCanvas, X, Y, 0, false);
  }
}

void TcxCanvas::DrawImage(TCustomImageList* Images, Integer X, Integer Y, Integer Index, bool Enabled) {
  if (!Images || Index < 0 || Index >= Images->Count()) return;
  Images->Draw(FCanvas, X, Y, Index, Enabled);
}

namespace {

// A bitmap's pixels as 32-bit top-down rows.
std::vector<Pixel> ReadPixels(TBitmap* b) {
  b->SetPixelFormat(TPixelFormat::pf32bit);
  const Integer w = b->GetWidth(), h = b->GetHeight();
  std::vector<Pixel> px(size_t(w) * size_t(h));
  for (Integer y = 0; y < h; ++y) std::memcpy(&px[size_t(y) * size_t(w)], b->ScanLine(y), size_t(w) * 4);
  return px;
}

void WritePixels(TBitmap* b, const std::vector<Pixel>& px) {
  const Integer w = b->GetWidth(), h = b->GetHeight();
  for (Integer y = 0; y < h; ++y) std::memcpy(b->ScanLine(y), &px[size_t(y) * size_t(w)], size_t(w) * 4);
}

}  // namespace

void TcxCanvas::RotateBitmap(TBitmap* ABitmap, TcxRotationAngle AAngle, bool AFlipVertically) {
  if (!ABitmap || ABitmap->Empty() || (AAngle == TcxRotationAngle::ra0 && !AFlipVertically)) return;
  const Integer w = ABitmap->GetWidth(), h = ABitmap->GetHeight();
  if (int64_t(w) * h * 4 > INT32_MAX) return;
  const std::vector<Pixel> src = ReadPixels(ABitmap);
  const bool turn = AAngle == TcxRotationAngle::raPlus90 || AAngle == TcxRotationAngle::raMinus90;
  const Integer dw = turn ? h : w, dh = turn ? w : h;
  std::vector<Pixel> dst(src.size());
  for (Integer y = 0; y < h; ++y)
    for (Integer x = 0; x < w; ++x) {
      Integer col = x, row = y;
      switch (AAngle) {
        case TcxRotationAngle::raPlus90: col = y; row = w - 1 - x; break;
        case TcxRotationAngle::raMinus90: col = h - 1 - y; row = x; break;
        case TcxRotationAngle::ra180: col = w - 1 - x; row = h - 1 - y; break;
        case TcxRotationAngle::ra0: break;
      }
      if (AFlipVertically) row = dh - 1 - row;
      dst[size_t(row) * size_t(dw) + size_t(col)] = src[size_t(y) * size_t(w) + size_t(x)];
    }
  if (turn) {
    ABitmap->SetHeight(0);
    ABitmap->SetSize(dw, dh);
  }
  WritePixels(ABitmap, dst);
}

void TcxCanvas::MirrorBitmap(TBitmap* ABitmap) {
  if (!ABitmap || ABitmap->Empty()) return;
  const Integer w = ABitmap->GetWidth(), h = ABitmap->GetHeight();
  if (int64_t(w) * h * 4 > INT32_MAX) return;
  std::vector<Pixel> px = ReadPixels(ABitmap);
  for (Integer y = 0; y < h; ++y) std::reverse(px.begin() + std::ptrdiff_t(y) * w, px.begin() + std::ptrdiff_t(y + 1) * w);
  WritePixels(ABitmap, px);
}

// ---- Clipping ----------------------------------------------------------------------------

void TcxCanvas::ExcludeClipRect(const TRect& R) { ::ExcludeClipRect(GetHandle(), R.Left, R.Top, R.Right, R.Bottom); }
void TcxCanvas::IntersectClipRect(const TRect& R) {
  ::IntersectClipRect(GetHandle(), R.Left, R.Top, R.Right, R.Bottom);
}

TcxRegion* TcxCanvas::GetClipRegion(bool AConsiderOrigin) {
  TcxRegion* region = New<TcxRegion>();
  if (GetClipRgn(GetHandle(), region->Handle()) != 1) SetRectRgn(region->Handle(), 0, 0, 30000, 30000);
  if (AConsiderOrigin) {
    const TPoint o = DCOrigin();
    region->Offset(-o.X, -o.Y);
  }
  return region;
}

void TcxCanvas::SetClipRegion(TcxRegion* ARegion, TcxRegionOperation AOperation, bool AConsiderOrigin,
                              bool ADestroyRegion) {
  if (!ARegion) return;
  if (AOperation != TcxRegionOperation::roSet) {
    TcxRegion* clip = GetClipRegion(AConsiderOrigin);
    clip->Combine(ARegion, AOperation, ADestroyRegion);
    SetClipRegion(clip, TcxRegionOperation::roSet, AConsiderOrigin, true);
    return;
  }
  const TPoint o = AConsiderOrigin ? DCOrigin() : TPoint{0, 0};
  ARegion->Offset(o.X, o.Y);
  SelectClipRgn(GetHandle(), ARegion->Handle());
  if (ADestroyRegion) ARegion->Free();
  else ARegion->Offset(-o.X, -o.Y);
}

bool TcxCanvas::RectVisible(const TRect& R) { return ::RectVisible(GetHandle(), &R) != 0; }

bool TcxCanvas::RectFullyVisible(const TRect& R) {
  Owned<TcxRegion> clip(GetClipRegion(true));
  Owned<TcxRegion> rect(New<TcxRegion>(R));
  Owned<TcxRegion> both(New<TcxRegion>(R));
  both->Combine(clip.get(), TcxRegionOperation::roIntersect, false);
  return both->IsEqual(rect.get());
}

// ---- Screen canvas -----------------------------------------------------------------------

TcxScreenCanvas::TcxScreenCanvas() : TcxCanvas(New<TScreenCanvas>()) {}

void TcxScreenCanvas::BeforeDestruction() {
  Canvas()->Free();
  TcxCanvas::BeforeDestruction();
}

// ---- Routines ----------------------------------------------------------------------------

void cxDeflateRectByRect(TRect& R, const TRect& AWidths) {
  R.Left += AWidths.Left;
  R.Top += AWidths.Top;
  R.Right -= AWidths.Right;
  R.Bottom -= AWidths.Bottom;
}

TColor cxNearestScreenColor(TColor AColor) { return cxGetNearestScreenColor(AColor); }
TColor cxUltraFlatLightColor() { return cxGetNearestScreenColor(cxMixSystemColors(11, 9, 73)); }
TColor cxUltraFlatPressedColor() { return cxGetNearestScreenColor(cxMixSystemColors(14, 44, 40)); }
TColor cxUltraFlatHotColor() { return cxGetNearestScreenColor(cxMixSystemColors(-2, 30, 72)); }

TColor cxLightenedBtnFaceColor() {
  const COLORREF f = ColorToRGB(clBtnFace);
  auto up = [](Integer c) { return Byte(c + (255 - c) * 16 / 100); };
  return cxGetNearestScreenColor(TColor(RGB(up(GetRValue(f)), up(GetGValue(f)), up(GetBValue(f)))));
}


std::vector<Pixel> cxResamplePixels(const std::vector<Pixel>& src, Integer sw, Integer sh, Integer dw,
                                    Integer dh) {
  if (sw <= 0 || sh <= 0 || dw <= 0 || dh <= 0 || src.size() < size_t(sw) * size_t(sh)) return {};
  std::vector<Pixel> mid(size_t(dw) * size_t(sh)), out(size_t(dw) * size_t(dh));
  const auto cols = Contributors(sw, dw);
  for (Integer y = 0; y < sh; ++y)
    for (Integer x = 0; x < dw; ++x)
      mid[size_t(y) * size_t(dw) + size_t(x)] = Combine(cols[size_t(x)], &src[size_t(y) * size_t(sw)], 1);
  const auto rows = Contributors(sh, dh);
  for (Integer y = 0; y < dh; ++y)
    for (Integer x = 0; x < dw; ++x)
      out[size_t(y) * size_t(dw) + size_t(x)] = Combine(rows[size_t(y)], &mid[size_t(x)], dw);
  return out;
}

void cxStretchBitmap(TBitmap* ASource, TBitmap* ADest) {
  if (!ASource || !ADest || ASource->Empty() || ADest->Empty()) return;
  const Integer sw = ASource->GetWidth(), sh = ASource->GetHeight();
  const Integer dw = ADest->GetWidth(), dh = ADest->GetHeight();
  if (int64_t(sw) * sh * 4 > INT32_MAX || int64_t(dw) * dh * 4 > INT32_MAX) return;
  ASource->Canvas()->Lock();
  ADest->Canvas()->Lock();
  // The platform's halftone stretch from NT 4 on; older systems get the resampler.
  if (IsNT4OrLater()) {
    HDC dc = ADest->Canvas()->GetHandle();
    const int old = SetStretchBltMode(dc, HALFTONE);
    StretchBlt(dc, 0, 0, dw, dh, ASource->Canvas()->GetHandle(), 0, 0, sw, sh, SRCCOPY);
    SetStretchBltMode(dc, old);
  } else {
    ASource->SetPixelFormat(TPixelFormat::pf32bit);
    ADest->SetPixelFormat(TPixelFormat::pf32bit);
    std::vector<Pixel> src(size_t(sw) * size_t(sh));
    for (Integer y = 0; y < sh; ++y) {
      const Byte* row = ASource->ScanLine(y);
      for (Integer x = 0; x < sw; ++x)
        src[size_t(y) * size_t(sw) + size_t(x)] =
            Pixel(row[4 * x]) | Pixel(row[4 * x + 1]) << 8 | Pixel(row[4 * x + 2]) << 16;
    }
    const std::vector<Pixel> out = cxResamplePixels(src, sw, sh, dw, dh);
    for (Integer y = 0; y < dh; ++y) {
      Byte* row = ADest->ScanLine(y);
      for (Integer x = 0; x < dw; ++x) {
        const Pixel p = out[size_t(y) * size_t(dw) + size_t(x)];
        row[4 * x] = Byte(p);
        row[4 * x + 1] = Byte(p >> 8);
        row[4 * x + 2] = Byte(p >> 16);
      }
    }
  }
  ADest->Canvas()->Unlock();
  ASource->Canvas()->Unlock();
}
