#include "widgets/editors/cxGroupBox.h"

#include "classlib/core/ScopeGuards.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/Text.h"
#include "platform/kernel/Units.h"
#include "widgets/editcore/cxEditStyles.h"
#include "widgets/editcore/cxEditPaintUtils.h"
#include "widgets/foundation/cxContainer.h"
#include "widgets/foundation/dxThemeManager.h"
#include "widgets/foundation/dxUxTheme.h"

#include <algorithm>
#include <cctype>

using CA = TcxCaptionAlignment;
using EB = TcxEditBorderStyle;

namespace {

constexpr int kGroupBoxPart = 4;
constexpr int kThemeTextColor = 3803;
// Captions keep this far from the box's corners.
constexpr Integer kCaptionIndent = 8;

// A memory DC with AFont turned back to no angle: extents are those of the unrotated text.
class TMeasureDC {
 public:
  explicit TMeasureDC(TFont* AFont) {
    LOGFONTA lf{};
    GetObjectA(AFont->GetHandle(), sizeof lf, &lf);
    lf.lfEscapement = 0;
    lf.lfOrientation = 0;
    FFont = CreateFontIndirectA(&lf);
    FDC = CreateCompatibleDC(nullptr);
    FOld = SelectObject(FDC, FFont);
  }
  ~TMeasureDC() {
    SelectObject(FDC, FOld);
    DeleteDC(FDC);
    DeleteObject(FFont);
  }
  TMeasureDC(const TMeasureDC&) = delete;
  TMeasureDC& operator=(const TMeasureDC&) = delete;
  HDC DC() const { return FDC; }

 private:
  HFONT FFont;
  HDC FDC;
  HGDIOBJ FOld;
};

Integer QqHeight(TFont* AFont) {
  TMeasureDC m(AFont);
  SIZE s{};
  GetTextExtentPoint32A(m.DC(), "Qq", 2, &s);
  return s.cy;
}

bool IsTrueTypeFont(TFont* AFont) {
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, AFont->GetHandle());
  TEXTMETRICA tm{};
  const bool tt = GetTextMetricsA(dc, &tm) && (tm.tmPitchAndFamily & TMPF_TRUETYPE) != 0;
  SelectObject(dc, old);
  DeleteDC(dc);
  return tt;
}

TRect Deflate(const TRect& R, const TRect& E) {
  TRect r{R.Left + E.Left, R.Top + E.Top, R.Right - E.Right, R.Bottom - E.Bottom};
  // A box smaller than what it keeps free has an empty client, never an inverted one.
  r.Right = std::max(r.Right, r.Left);
  r.Bottom = std::max(r.Bottom, r.Top);
  return r;
}

}  // namespace

// ---- Caption rules --------------------------------------------------------------------------

bool cxIsTopCaption(CA A) { return A == CA::alTopLeft || A == CA::alTopCenter || A == CA::alTopRight; }
bool cxIsBottomCaption(CA A) { return A == CA::alBottomLeft || A == CA::alBottomCenter || A == CA::alBottomRight; }
bool cxIsLeftCaption(CA A) { return A == CA::alLeftTop || A == CA::alLeftCenter || A == CA::alLeftBottom; }
bool cxIsRightCaption(CA A) { return A == CA::alRightTop || A == CA::alRightCenter || A == CA::alRightBottom; }

Integer cxGroupBoxCaptionAngle(CA A) {
  if (cxIsLeftCaption(A)) return 90;
  if (cxIsRightCaption(A)) return 270;
  return 0;
}

String cxGroupBoxCaptionText(const String& ACaption, CA A) {
  return cxIsVerticalCaption(A) ? cxRemoveHotKeyPrefix(ACaption) : ACaption;
}

UINT cxGroupBoxCaptionTextFlags(CA A, UINT ABiDiFlags) {
  UINT flags = DT_SINGLELINE | ABiDiFlags;
  if (cxIsVerticalCaption(A)) flags |= DT_NOPREFIX;
  return flags;
}

void cxPrepareGroupBoxCaptionFont(TFont* ACaptionFont, TFont* AStyleFont, CA A) {
  ACaptionFont->Assign(AStyleFont);
  if (!cxIsVerticalCaption(A)) return;
  if (!IsTrueTypeFont(ACaptionFont)) ACaptionFont->SetName("Arial");
  const Integer escapement = cxGroupBoxCaptionAngle(A) * 10;
  LOGFONTA lf{};
  GetObjectA(ACaptionFont->GetHandle(), sizeof lf, &lf);
  if (lf.lfEscapement == escapement) return;
  lf.lfEscapement = escapement;
  lf.lfOrientation = escapement;
  lf.lfOutPrecision = OUT_TT_ONLY_PRECIS;
  const TColor color = ACaptionFont->GetColor();
  ACaptionFont->SetHandle(CreateFontIndirectA(&lf));
  ACaptionFont->SetColor(color);
}

// ---- Properties -----------------------------------------------------------------------------

TcxCustomEditViewDataClass TcxCustomGroupBoxProperties::GetViewDataClass() const {
  return ClassOf<TcxGroupBoxViewData, TcxCustomEditViewData, TcxCustomEditProperties*, TcxCustomEditStyle*, bool>();
}

TcxCustomEditViewInfoClass TcxCustomGroupBoxProperties::GetViewInfoClass() const {
  return ClassOf<TcxGroupBoxViewInfo, TcxCustomEditViewInfo>();
}

TcxCustomEditProperties* TcxCustomGroupBoxProperties::CreateSameClass() const {
  return New<TcxCustomGroupBoxProperties>(nullptr);
}

TcxCustomEditClass TcxCustomGroupBoxProperties::GetContainerClass() const {
  return ClassOf<TcxGroupBox, TcxCustomEdit, TComponent*, bool>();
}

// ---- Button view info -----------------------------------------------------------------------

void TcxGroupBoxButtonViewInfo::Assign(TPersistent* Source) {
  inherited::Assign(Source);
  if (auto* s = dynamic_cast<TcxGroupBoxButtonViewInfo*>(Source)) {
    Caption = s->Caption;
    Column = s->Column;
    Row = s->Row;
    NativeStyle = s->NativeStyle;
    Transparent = s->Transparent;
  }
}

// ---- View data ------------------------------------------------------------------------------

TFont* TcxGroupBoxViewData::GetCaptionFont() const {
  if (CaptionFont) return CaptionFont;
  return Style ? Style->GetFont() : nullptr;
}

Integer TcxGroupBoxViewData::CaptionFontHeight(TcxCanvas& ACanvas) const {
  if (FFontHeight < 0) {
    TFont* font = GetCaptionFont();
    FFontHeight = font ? QqHeight(font) : ACanvas.TextHeight("Qq");
  }
  return FFontHeight;
}

bool TcxGroupBoxViewData::HasShadow() const {
  const CA a = CaptionAlignment;
  return (cxIsTopCaption(a) || cxIsLeftCaption(a) || a == CA::alCenterCenter) && inherited::HasShadow();
}

bool TcxGroupBoxViewData::IsNativeStyle(TcxLookAndFeel* ALookAndFeel) const {
  return ALookAndFeel && (ALookAndFeel->GetNativeStyle() || ALookAndFeel->GetKind() == TcxLookAndFeelKind::lfOffice11) &&
         cxIsNativeThemeUsable(true, TdxThemedObjectType::totButton);
}

TRect TcxGroupBoxViewData::GetBorderExtent() const {
  if (IsInplace) return inherited::GetBorderExtent();
  TRect r{};
  if (FFontHeight < 0) {
    if (TFont* font = GetCaptionFont()) FFontHeight = QqHeight(font);
  }
  const Integer h = std::max(FFontHeight, 0);
  const CA a = CaptionAlignment;
  if (cxIsTopCaption(a)) r.Top = h / 2 + 1;
  else if (cxIsBottomCaption(a)) r.Bottom = h / 2 + 1;
  else if (cxIsLeftCaption(a)) r.Left = h / 2;
  else if (cxIsRightCaption(a)) r.Right = h / 2;
  if (HasShadow()) {
    r.Right += 3;
    r.Bottom += 3;
  }
  return r;
}

TRect TcxGroupBoxViewData::GetClientExtent(TcxCanvas& ACanvas, TcxCustomEditViewInfo* AViewInfo) {
  if (IsInplace) return inherited::GetClientExtent(ACanvas, AViewInfo);
  TRect r{};
  if (Style && Style->HasBorder()) {
    if (NativeStyle) {
      r = {2, 2, 2, 2};
    } else {
      const Integer w = cxEditBorderWidth(Style->GetEditBorderStyle());
      const TcxBorders edges = Style->GetEdges();
      r = {edges.Contains(TcxBorder::bLeft) ? w : 0, edges.Contains(TcxBorder::bTop) ? w : 0,
           edges.Contains(TcxBorder::bRight) ? w : 0, edges.Contains(TcxBorder::bBottom) ? w : 0};
    }
  }
  const Integer room = CaptionFontHeight(ACanvas) + 3;
  const CA a = CaptionAlignment;
  if (cxIsTopCaption(a)) r.Top = room;
  else if (cxIsBottomCaption(a)) r.Bottom = room;
  else if (cxIsLeftCaption(a)) r.Left = room;
  else if (cxIsRightCaption(a)) r.Right = room;
  if (HasShadow()) {
    r.Right += 3;
    r.Bottom += 3;
  }
  return r;
}

TRect TcxGroupBoxViewData::CalculateCaptionRect(TcxCanvas& ACanvas, const TRect& ABounds) {
  const CA a = CaptionAlignment;
  const String text = cxGroupBoxCaptionText(Caption, a);
  TFont* font = GetCaptionFont();
  if (text.empty() || !font) return {};
  const Integer h = CaptionFontHeight(ACanvas);
  TRect r{kCaptionIndent, 0, kCaptionIndent, h};
  {
    TMeasureDC m(font);
    DrawTextA(m.DC(), text.c_str(), Integer(text.size()), &r,
              cxGroupBoxCaptionTextFlags(a, BiDiFlags) | DT_CALCRECT);
  }
  const Integer tw = r.Width(), th = r.Height();
  const Integer W = ABounds.Width(), H = ABounds.Height();
  const Integer B = Style && Style->HasBorder() ? 3 : 0;
  if (!cxIsVerticalCaption(a)) {
    Integer x = kCaptionIndent, y = 0;
    if (a == CA::alTopCenter || a == CA::alBottomCenter || a == CA::alCenterCenter) x = (W - B - tw) / 2;
    else if (a == CA::alTopRight || a == CA::alBottomRight) x = W - kCaptionIndent - B - tw;
    if (cxIsBottomCaption(a)) y = H - h - 2;
    if (a == CA::alCenterCenter) y = (H - B - th) / 2;
    r = ::Bounds(x, y, tw, th);
  } else {
    const Integer w = tw, t = th;
    switch (a) {
      case CA::alLeftTop: r = {-1, kCaptionIndent, t - 1, kCaptionIndent + w}; break;
      case CA::alLeftCenter: {
        const Integer bottom = (H - B) - (H - B - w) / 2;
        r = {-1, bottom - w, t - 1, bottom};
        break;
      }
      case CA::alLeftBottom: {
        const Integer bottom = H - B - kCaptionIndent;
        r = {-1, bottom - w, t - 1, bottom};
        break;
      }
      case CA::alRightTop: r = {W - t + 1, kCaptionIndent, W + 1, kCaptionIndent + w}; break;
      case CA::alRightCenter: {
        const Integer top = (H - w) / 2;
        r = {W - t + 1, top, W + 1, top + w};
        break;
      }
      default: r = {W - t + 1, H - kCaptionIndent - w, W + 1, H - kCaptionIndent}; break;
    }
  }
  OffsetRect(&r, ABounds.Left, ABounds.Top);
  return r;
}

void TcxGroupBoxViewData::Calculate(TcxCanvas& ACanvas, const TRect& ABounds, const TPoint& P, TcxMouseButton AButton,
                                    TShiftState AShift, TcxCustomEditViewInfo* AViewInfo, bool AIsMouseEvent) {
  FFontHeight = -1;
  inherited::Calculate(ACanvas, ABounds, P, AButton, AShift, AViewInfo, AIsMouseEvent);
  auto* info = dynamic_cast<TcxGroupBoxViewInfo*>(AViewInfo);
  if (!info) return;
  const CA a = CaptionAlignment;
  info->CaptionAlignment = a;
  info->Caption = cxGroupBoxCaptionText(Caption, a);
  info->CaptionTextFlags = cxGroupBoxCaptionTextFlags(a, BiDiFlags);
  info->CaptionFont = GetCaptionFont();
  info->CaptionFontHeight = CaptionFontHeight(ACanvas);
  info->HasBorder = Style && Style->HasBorder();
  info->Ctl3D = Ctl3D;
  info->ShadowAllowed = cxIsTopCaption(a) || cxIsLeftCaption(a) || a == CA::alCenterCenter;
  info->Shadow = !IsInplace && HasShadow();
  info->CaptionTextColor = Style ? Style->GetTextColor() : clBtnText;
  if (NativeStyle) {
    if (HTHEME theme = cxOpenTheme(TdxThemedObjectType::totButton)) {
      COLORREF c = 0;
      if (SUCCEEDED(cxGetThemeColor(theme, kGroupBoxPart, Enabled ? 1 : 2, kThemeTextColor, c)))
        info->CaptionTextColor = TColor(c);
    }
  }
  if (IsInplace) {
    info->SetCaptionRect({});
    return;
  }
  info->ClientRect = Deflate(ABounds, GetClientExtent(ACanvas, AViewInfo));
  info->SetCaptionRect(CalculateCaptionRect(ACanvas, ABounds));
}

// ---- View info ------------------------------------------------------------------------------

TcxGroupBoxViewInfo::TcxGroupBoxViewInfo() {
  FCaptionBitmap = New<TScratchBitmap>();
  FCaptionBitmap->SetPixelFormat(TPixelFormat::pf32bit);
  FCaptionCanvas = New<TcxCanvas>(FCaptionBitmap->Canvas());
}

TcxGroupBoxViewInfo::~TcxGroupBoxViewInfo() {
  FCaptionCanvas->Free();
  FCaptionBitmap->Free();
}

TcxEditButtonViewInfoClass TcxGroupBoxViewInfo::GetButtonsViewInfoClass() const {
  return ClassOf<TcxGroupBoxButtonViewInfo, TcxEditButtonViewInfo>();
}

void TcxGroupBoxViewInfo::SetCaptionRect(const TRect& R) {
  CaptionRect = R;
  const Integer w = std::max(R.Width(), 0), h = std::max(R.Height(), 0);
  if (FCaptionBitmap->GetWidth() != w || FCaptionBitmap->GetHeight() != h) FCaptionBitmap->SetSize(w, h);
}

void TcxGroupBoxViewInfo::Assign(TcxContainerViewInfo* Source) {
  inherited::Assign(Source);
  auto* s = dynamic_cast<TcxGroupBoxViewInfo*>(Source);
  if (!s || s == this) return;
  CaptionAlignment = s->CaptionAlignment;
  Caption = s->Caption;
  CaptionTextFlags = s->CaptionTextFlags;
  CaptionFont = s->CaptionFont;
  CaptionTextColor = s->CaptionTextColor;
  CaptionFontHeight = s->CaptionFontHeight;
  HasBorder = s->HasBorder;
  Ctl3D = s->Ctl3D;
  ShadowAllowed = s->ShadowAllowed;
  SetCaptionRect(s->CaptionRect);
}

void TcxGroupBoxViewInfo::Offset(Integer DX, Integer DY) {
  inherited::Offset(DX, DY);
  OffsetRect(&CaptionRect, DX, DY);
}

void TcxGroupBoxViewInfo::DrawFrame(TcxCanvas& ACanvas) {
  if (!HasBorder) return;
  const TRect r = BorderRect;
  const TcxBorders e = Edges;
  switch (GetEditBorderStyle()) {
    case EB::ebsNone: break;
    case EB::ebsThick: ACanvas.FrameRect(r, BorderColor, e, 2); break;
    case EB::ebsFlat:
      ACanvas.FrameRect(r, clBtnShadow, e);
      ACanvas.FrameRect({r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1}, clBtnHighlight, e);
      break;
    case EB::ebs3D:
      if (Ctl3D) {
        // Etched: the light line one pixel right and down under the dark one.
        ACanvas.FrameRect({r.Left + 1, r.Top + 1, r.Right, r.Bottom}, clBtnHighlight, e);
        ACanvas.FrameRect({r.Left, r.Top, r.Right - 1, r.Bottom - 1}, clBtnShadow, e);
        if (e.Contains(TcxBorder::bTop) && e.Contains(TcxBorder::bRight))
          ACanvas.SetPixel(r.Right - 1, r.Top, BackgroundColor);
        if (e.Contains(TcxBorder::bLeft) && e.Contains(TcxBorder::bBottom))
          ACanvas.SetPixel(r.Left, r.Bottom - 1, BackgroundColor);
      } else {
        ACanvas.FrameRect(r, clWindowFrame, e);
        ACanvas.FrameRect({r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1}, BorderColor, e);
      }
      break;
    default: ACanvas.FrameRect(r, BorderColor, e); break;
  }
  if (Shadow && ShadowAllowed) cxDrawContainerShadow(ACanvas, r);
}

void TcxGroupBoxViewInfo::DrawNativeFrame(TcxCanvas& ACanvas) {
  HTHEME theme = cxOpenTheme(TdxThemedObjectType::totButton);
  if (!theme || !HasBorder) return;
  TRect frame = Bounds;
  if (Shadow) {
    frame.Right -= 3;
    frame.Bottom -= 3;
  }
  const Integer inset = CaptionFontHeight / 2;
  const CA a = CaptionAlignment;
  if (cxIsTopCaption(a)) frame.Top += inset;
  else if (cxIsBottomCaption(a)) frame.Bottom -= inset;
  else if (cxIsLeftCaption(a)) frame.Left += inset;
  else if (cxIsRightCaption(a)) frame.Right -= inset;
  cxDrawThemeBackground(theme, ACanvas.GetHandle(), kGroupBoxPart, Enabled ? 1 : 2, frame);
}

void TcxGroupBoxViewInfo::DrawBackgroundAndFrame(TcxCanvas& ACanvas) {
  if (!Transparent) {
    ACanvas.SetBrushColor(BackgroundColor);
    ACanvas.FillRect(Bounds);
  }
  if (NativeStyle) DrawNativeFrame(ACanvas);
  else DrawFrame(ACanvas);
}

void TcxGroupBoxViewInfo::DrawCaption(TcxCanvas& ACanvas) {
  const CA a = CaptionAlignment;
  Owned<TFont> rotated;
  TFont* font = CaptionFont;
  if (cxIsVerticalCaption(a) && font) {
    // Whatever font arrives, the side caption is drawn through a font the platform turns.
    rotated.reset(New<TFont>());
    cxPrepareGroupBoxCaptionFont(rotated.get(), font, a);
    font = rotated.get();
  }
  if (font) {
    ACanvas.SetFont(font);
    if (rotated) {
      // Assigning a font copies its face and size, not its angle: the angle goes by handle.
      LOGFONTA lf{};
      GetObjectA(font->GetHandle(), sizeof lf, &lf);
      ACanvas.GetFont()->SetHandle(CreateFontIndirectA(&lf));
    }
  }
  ACanvas.TextExtent(String());  // realizes the font in the DC
  HDC dc = ACanvas.GetHandle();
  SetTextColor(dc, ColorToRGB(CaptionTextColor));
  SetBkColor(dc, ColorToRGB(BackgroundColor));
  SetBkMode(dc, Transparent ? TRANSPARENT : OPAQUE);
  if (!cxIsVerticalCaption(a)) {
    TRect r = CaptionRect;
    DrawTextA(dc, Caption.c_str(), Integer(Caption.size()), &r, CaptionTextFlags);
  } else {
    const TPoint origin = cxIsLeftCaption(a) ? TPoint{CaptionRect.Left, CaptionRect.Bottom - 1}
                                             : TPoint{CaptionRect.Right, CaptionRect.Top + 1};
    ExtTextOutA(dc, origin.X, origin.Y, ETO_CLIPPED | (Transparent ? 0 : ETO_OPAQUE), &CaptionRect, Caption.c_str(),
                UINT(Caption.size()), nullptr);
  }
  ACanvas.GetBrush()->SetStyle(TBrushStyle::bsSolid);
}

void TcxGroupBoxViewInfo::InternalPaint(TcxCanvas& ACanvas) {
  // In place the box is an editor cell like any other.
  if (IsInplace) return DrawFrameAndButtons(ACanvas, true);
  if (Caption.empty() || CaptionRect.IsEmpty()) return DrawBackgroundAndFrame(ACanvas);
  TcxRegion* clip = ACanvas.GetClipRegion();
  ACanvas.ExcludeClipRect(CaptionRect);
  DrawBackgroundAndFrame(ACanvas);
  ACanvas.SetClipRegion(clip, TcxRegionOperation::roSet);
  // The caption's area goes through the off-screen bitmap: what lies under the caption
  // (the canvas's own pixels when transparent), then the caption on it.
  TcxCanvas& b = *FCaptionCanvas;
  const TRect local{0, 0, CaptionRect.Width(), CaptionRect.Height()};
  b.CopyRect(local, ACanvas.Canvas(), CaptionRect);
  b.SetWindowOrg({CaptionRect.Left, CaptionRect.Top});
  if (!Transparent) {
    b.SetBrushColor(BackgroundColor);
    b.FillRect(CaptionRect);
  }
  DrawCaption(b);
  b.SetWindowOrg({0, 0});
  ACanvas.CopyRect(CaptionRect, FCaptionBitmap->Canvas(), local);
}

// ---- Control --------------------------------------------------------------------------------

namespace {

// Whether the caption marks Key as its accelerator ("&O" in "&Options").
bool IsCaptionAccelerator(Word Key, const String& ACaption) {
  for (size_t i = 0; i + 1 < ACaption.size(); ++i) {
    if (ACaption[i] != '&') continue;
    if (ACaption[i + 1] == '&') {
      ++i;
      continue;
    }
    return std::toupper(static_cast<unsigned char>(ACaption[i + 1])) == std::toupper(Key & 0xFF);
  }
  return false;
}

}  // namespace

TcxCustomEditPropertiesClass TcxCustomGroupBox::GetPropertiesClass() {
  return ClassOf<TcxCustomGroupBoxProperties, TcxCustomEditProperties, TPersistent*>();
}

void TcxCustomGroupBox::Initialize() {
  inherited::Initialize();
  TControlStyle cs = ControlStyle();
  cs.Include(TControlStyleItem::csAcceptsControls);
  cs.Include(TControlStyleItem::csCaptureMouse);
  cs.Include(TControlStyleItem::csClickEvents);
  SetControlStyle(cs);
  SetAutoSize(false);
  SetBounds(GetLeft(), GetTop(), 185, 105);
  SetParentBackground(true);
  FCaptionFont = New<TFont>();
  PrepareCaptionFont();
  SetTabStop(false);
}

void TcxCustomGroupBox::BeforeDestruction() {
  inherited::BeforeDestruction();
  FreeAndNil(FCaptionFont);
}

void TcxCustomGroupBox::PrepareCaptionFont() {
  if (!FCaptionFont || IsInplace()) return;
  cxPrepareGroupBoxCaptionFont(FCaptionFont, GetStyle()->GetFont(), FAlignment);
}

void TcxCustomGroupBox::SetAlignment(TcxCaptionAlignment Value) {
  if (FAlignment == Value) return;
  FAlignment = Value;
  PrepareCaptionFont();
  TWeakLink self(this);  // placing the inner control runs its OnResize, which may free this
  TcxContainer::RecalcViewAtCursor();
  if (!self.Alive()) return;
  Realign();
  Invalidate();
}

void TcxCustomGroupBox::SetCaptionBkColor(TColor Value) {
  if (FCaptionBkColor == Value) return;
  FCaptionBkColor = Value;
  Invalidate();
}

void TcxCustomGroupBox::InitializeViewData(TcxCustomEditViewData* AViewData) {
  inherited::InitializeViewData(AViewData);
  auto* vd = dynamic_cast<TcxGroupBoxViewData*>(AViewData);
  if (!vd) return;
  vd->CaptionAlignment = FAlignment;
  vd->Caption = GetCaption();
  vd->CaptionFont = IsInplace() ? nullptr : FCaptionFont;
  vd->Ctl3D = GetCtl3D();
  vd->BiDiFlags = 0;
}

void TcxCustomGroupBox::ContainerStyleChanged(TObject* Sender) {
  PrepareCaptionFont();
  TWeakLink self(this);  // the new style reaches handlers that may free the box
  inherited::ContainerStyleChanged(Sender);
  if (self.Alive()) Realign();
}

void TcxCustomGroupBox::LookAndFeelChanged(TcxLookAndFeel* Sender, TcxLookAndFeelValues AChangedValues) {
  inherited::LookAndFeelChanged(Sender, AChangedValues);
  Invalidate();
}

TRect TcxCustomGroupBox::CalculateClientRect() {
  // Measured apart from the view shown: children may be aligned before the window exists.
  Owned<TcxCustomEditViewInfo> info(static_cast<TcxCustomEditViewInfo*>(GetViewInfoClass().Create()));
  Owned<TcxCustomEditViewData> vd(CreateViewData());
  Owned<TBitmap> paper(New<TScratchBitmap>());
  paper->SetSize(1, 1);
  TcxCanvas canvas(paper->Canvas());
  vd->Calculate(canvas, TRect{0, 0, GetWidth(), GetHeight()}, {-1, -1}, TcxMouseButton::cxmbNone, {}, info.get(),
                false);
  return info->ClientRect;
}

void TcxCustomGroupBox::AdjustClientRect(TRect& Rect) {
  if (!GetProperties() || IsDestroying()) return;
  Rect = CalculateClientRect();
}

void TcxCustomGroupBox::AlignControls(TControl* AControl, TRect& ARect) {
  TWeakLink self(this);  // a child's resize handler may free the group box
  inherited::AlignControls(AControl, ARect);
  if (self.Alive() && GetProperties() && !IsDestroying()) ClipChildren(CalculateClientRect());
}

void TcxCustomGroupBox::ClipChildren(const TRect& AClient) {
  for (Integer i = 0; i < ControlCount(); ++i) {
    auto* child = dynamic_cast<TWinControl*>(Controls(i));
    if (!child || !child->HandleAllocated() || IsInternalControl(child)) continue;
    TcxContainerInnerControlBounds info;
    CalculateInnerControlClipRect(AClient, child, info);
    cxSetWindowRegionFromInfo(child, info);
  }
}

void TcxCustomGroupBox::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case CM_DIALOGCHAR:
      if (IsCaptionAccelerator(Word(Message.WParam), GetCaption()) && CanFocus()) {
        // With no child to take the focus the character stays free for other controls.
        if (TWinControl* first = FindNextControl(nullptr, true, true, false)) {
          // The child's OnEnter may free the box.
          TWatchedValue<bool> handling(this, FAccelCharHandling, true);
          first->SetFocus();
          Message.Result = 1;
          return;
        }
      }
      break;
    case CM_TEXTCHANGED: {
      TWeakLink self(this);  // a change handler may free the box
      inherited::WndProc(Message);
      if (!self.Alive()) return;
      TcxContainer::RecalcViewAtCursor();
      if (self.Alive()) Invalidate();
      return;
    }
    default:
      break;
  }
  inherited::WndProc(Message);
}

TL_DEFINE_CLASS(TcxCustomGroupBox)

TL_DEFINE_CLASS(TcxGroupBox, [](auto& c) {
  using T = TcxCustomGroupBox;
  c.Property("Alignment", &T::GetAlignment, &T::SetAlignment).Default(TcxCaptionAlignment::alTopLeft);
  c.Property("CaptionBkColor", &T::GetCaptionBkColor, &T::SetCaptionBkColor).Stored(false);
  c.Property("Color", &T::GetStyleColor, &T::SetStyleColor).Stored(false);
  c.Property("Font", &T::GetStyleFont, &T::SetStyleFont).Stored(false);
  c.Property("LookAndFeel", &T::GetStyleLookAndFeel, &T::SetStyleLookAndFeel);
  c.Property("ParentBackground", &T::GetParentBackground, &T::SetParentBackground).Default(true);
  c.Property("ParentColor", &T::GetParentColor, &T::SetParentColor).Default(true);
  c.Property("Style", &T::GetStyle, &T::SetStyle);
  c.Property("StyleDisabled", &T::GetStyleDisabled, &T::SetStyleDisabled);
  c.Property("StyleFocused", &T::GetStyleFocused, &T::SetStyleFocused);
  c.Property("StyleHot", &T::GetStyleHot, &T::SetStyleHot);
  c.Property("TabStop", &T::GetTabStop, &T::SetTabStop).Default(false);
  c.Property("Transparent", &T::GetTransparent, &T::SetTransparent).Default(false);
})

namespace {
UnitCounter gGroupBox;
}  // namespace

void cxGroupBox::Initialize() {
  if (gGroupBox.Enter()) RegisterClass(TcxGroupBox::StaticClass());
}

void cxGroupBox::Finalize() {
  if (gGroupBox.Leave()) UnRegisterClass(TcxGroupBox::StaticClass());
}

TL_DEFINE_CLASS(TcxCustomGroupBoxProperties)
TL_DEFINE_CLASS(TcxGroupBoxButtonViewInfo)
TL_DEFINE_CLASS(TcxGroupBoxViewInfo)
TL_DEFINE_CLASS(TcxGroupBoxViewData)
