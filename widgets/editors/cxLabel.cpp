#include "widgets/editors/cxLabel.h"

#include "classlib/core/ScopeGuards.h"
#include "classlib/core/SysUtils.h"
#include "platform/gdi/Text.h"
#include "widgets/editcore/cxEditPaintUtils.h"
#include "widgets/foundation/cxControlUtils.h"

#include <algorithm>
#include <cctype>
#include <cmath>

const TResStringRec scxSEditRepositoryLabelItem = {65440, "Label|Represents a Label"};

namespace {

constexpr double kPi = 3.14159265358979323846;

Integer Sign(Integer V) { return V > 0 ? 1 : V < 0 ? -1 : 0; }

bool IsOneOf(TcxLabelOrientation O, std::initializer_list<TcxLabelOrientation> L) {
  return std::find(L.begin(), L.end(), O) != L.end();
}

}  // namespace

Integer cxLabelNormalizeAngle(Int64 AAngle) { return Integer(((AAngle % 360) + 360) % 360); }

TColor cxLabelBlendColor(TColor AColor0, TColor AColor1, Integer AStep, Integer ACount) {
  const Cardinal c0 = Cardinal(ColorToRGB(AColor0)), c1 = Cardinal(ColorToRGB(AColor1));
  if (ACount <= 0) return TColor(c1);
  Cardinal result = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    const double a = double((c0 >> shift) & 0xFF), b = double((c1 >> shift) & 0xFF);
    const long v = std::lround(a + (b - a) * double(AStep) / double(ACount));
    result |= Cardinal(std::clamp<long>(v, 0, 255)) << shift;
  }
  return TColor(result);
}

Integer cxLabelEffectExtra(TcxLabelEffect AEffect, Integer AFontSize) {
  if (AEffect != TcxLabelEffect::cxleFun && AEffect != TcxLabelEffect::cxleExtrude) return 0;
  return AFontSize < 12 ? 1 : 2;
}

// ---- style ----

TcxContainerBorderStyle TcxLabelEditStyle::DefaultBorderStyle() const {
  return IsBaseStyle() ? TcxContainerBorderStyle::cbsNone : inherited::DefaultBorderStyle();
}

TL_DEFINE_CLASS(TcxLabelEditStyle, [](auto&) {});

// ---- properties ----

void TcxCustomLabelProperties::BeforeDestruction() {
  FreeAndNil(FGlyph);
  inherited::BeforeDestruction();
}

void TcxCustomLabelProperties::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TcxCustomLabelProperties*>(Source);
  if (!src) return inherited::Assign(Source);
  auto update = UpdateBracket(this);
  inherited::Assign(Source);
  SetAngle(src->FAngle);
  SetDepth(src->FDepth);
  if (src->HasGlyph())
    SetGlyph(src->FGlyph);
  else
    SetGlyph(nullptr);
  SetLabelEffect(src->FLabelEffect);
  SetLabelStyle(src->FLabelStyle);
  SetOrientation(src->FOrientation);
  SetPenWidth(src->FPenWidth);
  SetShadowedColor(src->FShadowedColor);
  SetShowAccelChar(src->FShowAccelChar);
  SetShowEndEllipsis(src->FShowEndEllipsis);
  SetWordWrap(src->FWordWrap);
}

TcxContainerStyleClass TcxCustomLabelProperties::GetStyleClass() const {
  return cxEditStyleClassOf<TcxLabelEditStyle>();
}

TcxCustomEditViewDataClass TcxCustomLabelProperties::GetViewDataClass() const {
  return ClassOf<TcxCustomLabelViewData, TcxCustomEditViewData, TcxCustomEditProperties*,
                 TcxCustomEditStyle*, bool>();
}

TcxCustomEditViewInfoClass TcxCustomLabelProperties::GetViewInfoClass() const {
  return ClassOf<TcxCustomLabelViewInfo, TcxCustomEditViewInfo>();
}

TcxCustomEditProperties* TcxCustomLabelProperties::CreateSameClass() const {
  return New<TcxCustomLabelProperties>(nullptr);
}

TPoint TcxCustomLabelProperties::GetEffectOffset() const {
  if (FLabelEffect == TcxLabelEffect::cxleNormal) return {0, 0};
  using O = TcxLabelOrientation;
  switch (FOrientation) {
    case O::cxoLeft:
    case O::cxoRight:
      return {FDepth, 0};
    case O::cxoTop:
    case O::cxoBottom:
      return {0, FDepth};
    default:
      return {FDepth, FDepth};
  }
}

void TcxCustomLabelProperties::SetAngle(Integer Value) {
  const Integer a = cxLabelNormalizeAngle(Value);
  if (a == FAngle) return;
  FAngle = a;
  Changed();
}

void TcxCustomLabelProperties::SetDepth(Word Value) {
  if (Value == FDepth) return;
  FDepth = Value;
  Changed();
}

TBitmap* TcxCustomLabelProperties::GetGlyph() {
  if (!FGlyph) {
    FGlyph = New<TBitmap>();
    FGlyph->OnChange = {this, &TcxCustomLabelProperties::GlyphChanged};
  }
  return FGlyph;
}

void TcxCustomLabelProperties::SetGlyph(TBitmap* Value) {
  if (!Value) {
    if (!FGlyph) return;
    FreeAndNil(FGlyph);
    Changed();
    return;
  }
  if (Value == FGlyph) return;
  // The bitmap's change notice reports the new picture.
  GetGlyph()->Assign(Value);
}

void TcxCustomLabelProperties::SetLabelEffect(TcxLabelEffect Value) {
  if (Value == FLabelEffect) return;
  FLabelEffect = Value;
  Changed();
}

void TcxCustomLabelProperties::SetLabelStyle(TcxLabelStyle Value) {
  if (Value == FLabelStyle) return;
  FLabelStyle = Value;
  Changed();
}

void TcxCustomLabelProperties::SetOrientation(TcxLabelOrientation Value) {
  if (Value == FOrientation) return;
  FOrientation = Value;
  Changed();
}

void TcxCustomLabelProperties::SetPenWidth(Integer Value) {
  Value = std::max<Integer>(Value, 1);
  if (Value == FPenWidth) return;
  FPenWidth = Value;
  Changed();
}

void TcxCustomLabelProperties::SetShadowedColor(TColor Value) {
  if (Value == FShadowedColor) return;
  FShadowedColor = Value;
  Changed();
}

void TcxCustomLabelProperties::SetShowAccelChar(bool Value) {
  if (Value == FShowAccelChar) return;
  FShowAccelChar = Value;
  Changed();
}

void TcxCustomLabelProperties::SetShowEndEllipsis(bool Value) {
  if (Value == FShowEndEllipsis) return;
  FShowEndEllipsis = Value;
  Changed();
}

void TcxCustomLabelProperties::SetWordWrap(bool Value) {
  if (Value == FWordWrap) return;
  FWordWrap = Value;
  Changed();
}

TL_DEFINE_CLASS(TcxCustomLabelProperties, [](auto&) {});

TcxCustomEditProperties* TcxLabelProperties::CreateSameClass() const {
  return New<TcxLabelProperties>(nullptr);
}

TcxCustomEditClass TcxCustomLabelProperties::GetContainerClass() const {
  return ClassOf<TcxLabel, TcxCustomEdit, TComponent*, bool>();
}

TL_DEFINE_CLASS(TcxLabelProperties, [](auto& c) {
  using T = TcxCustomLabelProperties;
  c.Property("Angle", &T::GetAngle, &T::SetAngle).Default(0);
  c.Property("Depth", &T::GetDepth, &T::SetDepth).Default(0);
  c.Property("Glyph", &T::GetGlyph, &T::SetGlyph).Stored(&T::IsGlyphStored);
  c.Property("LabelEffect", &T::GetLabelEffect, &T::SetLabelEffect)
      .Default(TcxLabelEffect::cxleNormal);
  c.Property("LabelStyle", &T::GetLabelStyle, &T::SetLabelStyle).Default(TcxLabelStyle::cxlsNormal);
  c.Property("Orientation", &T::GetOrientation, &T::SetOrientation)
      .Default(TcxLabelOrientation::cxoRightBottom);
  c.Property("PenWidth", &T::GetPenWidth, &T::SetPenWidth).Default(1);
  c.Property("ShadowedColor", &T::GetShadowedColor, &T::SetShadowedColor).Default(clGrayText);
  c.Property("ShowAccelChar", &T::GetShowAccelChar, &T::SetShowAccelChar).Default(true);
  c.Property("ShowEndEllipsis", &T::GetShowEndEllipsis, &T::SetShowEndEllipsis).Stored(false);
  c.Property("Transparent", &T::GetTransparent, &T::SetTransparent).Stored(false);
  c.Property("WordWrap", &T::GetWordWrap, &T::SetWordWrap).Default(false);
});

// ---- view data ----

TcxCustomLabelProperties* TcxCustomLabelViewData::LabelProperties() const {
  return dynamic_cast<TcxCustomLabelProperties*>(Properties);
}

bool TcxCustomLabelViewData::HasOwnBorder() const {
  return !IsInplace && Style && Style->GetBorderStyle() != TcxContainerBorderStyle::cbsNone;
}

Integer TcxCustomLabelViewData::GetEffectiveAngle(TcxCanvas& ACanvas) const {
  const bool trueType =
      cxAssignRotatedFont(ACanvas.Canvas(), Style ? Style->GetFont() : ACanvas.GetFont(), 0);
  auto* p = LabelProperties();
  return trueType && p ? p->GetAngle() : 0;
}

void TcxCustomLabelViewData::EditValueToDisplayText(const Variant& AEditValue, String& AText) {
  if (VarIsArray(AEditValue)) {
    AText.clear();
    return;
  }
  inherited::EditValueToDisplayText(AEditValue, AText);
}

TSize TcxCustomLabelViewData::InternalGetEditContentSize(
    TcxCanvas& ACanvas, const Variant& AEditValue,
    const TcxEditSizeProperties& AEditSizeProperties) {
  auto* p = LabelProperties();
  String text;
  PrepareDisplayText(AEditValue, text);
  if (text.empty()) text = " ";
  // Measured unrotated; the rotation is applied to the extent below.
  const Integer angle = GetEffectiveAngle(ACanvas);
  const TcxLabelEffect effect = p ? p->GetLabelEffect() : TcxLabelEffect::cxleNormal;
  const Integer extra = cxLabelEffectExtra(effect, ACanvas.GetFont()->GetSize());
  const TPoint offset = p ? p->GetEffectOffset() : TPoint{0, 0};
  const TRect margins = IsInplace ? GetContentMargins() : TRect{0, 0, 0, 0};
  const Integer hMargin = margins.Left + margins.Right, vMargin = margins.Top + margins.Bottom;
  const bool border = HasOwnBorder();
  // A negative width is no limit: the text is not wrapped, standing or in place.
  const bool limited = AEditSizeProperties.Width >= 0;
  Integer width = AEditSizeProperties.Width - extra - offset.X - (border ? 2 : 0) - hMargin;
  UINT flags = DT_CALCRECT | DT_LEFT | DT_TOP;
  if (p && p->GetWordWrap() && angle == 0 && limited) flags |= DT_WORDBREAK;
  if (!(p && p->GetShowAccelChar() && angle == 0)) flags |= DT_NOPREFIX;
  RECT r{0, 0, limited ? std::max<Integer>(width, 0) : 0, 0};
  ACanvas.TextExtent(String());  // realizes the font in the canvas's DC for the raw call
  DrawTextA(ACanvas.GetHandle(), text.c_str(), int(text.size()), &r, flags);
  Integer w = r.Width(), h = r.Height();
  if (angle != 0) {
    const double a = angle * kPi / 180.0, c = std::fabs(std::cos(a)), s = std::fabs(std::sin(a));
    const Integer rw = Integer(std::trunc(c * w + s * h + 0.5)),
                  rh = Integer(std::trunc(s * w + c * h + 0.5));
    w = rw;
    h = rh;
  }
  TSize size{w + offset.X + extra, h + offset.Y + extra};
  if (border) size.cx += 2;
  size.cx += hMargin;
  size.cy += vMargin;
  return size;
}

Cardinal TcxCustomLabelViewData::GetDrawTextFlags() const {
  auto* p = LabelProperties();
  TcxEditAlignment* a = p ? p->GetAlignment() : nullptr;
  Integer flags = 0;
  switch (a ? a->GetHorz() : TAlignment::taLeftJustify) {
    case TAlignment::taRightJustify:
      flags |= cxAlignRight;
      break;
    case TAlignment::taCenter:
      flags |= cxAlignHCenter;
      break;
    default:
      flags |= cxAlignLeft;
      break;
  }
  switch (a ? a->GetVert() : TcxEditVertAlignment::taTopJustify) {
    case TcxEditVertAlignment::taBottomJustify:
      flags |= cxAlignBottom;
      break;
    case TcxEditVertAlignment::taVCenter:
      flags |= cxAlignVCenter;
      break;
    default:
      flags |= cxAlignTop;
      break;
  }
  if (p && p->GetWordWrap() && FEffectiveAngle == 0) flags |= cxWordBreak;
  if (p && p->GetShowAccelChar()) flags |= cxShowPrefix;
  if (IsInplace && PaintOptions.Contains(TcxEditPaintOption::epoShowEndEllipsis))
    flags |= cxShowEndEllipsis;
  return Cardinal(flags);
}

void TcxCustomLabelViewData::Calculate(TcxCanvas& ACanvas, const TRect& ABounds, const TPoint& P,
                                       TcxMouseButton AButton, TShiftState AShift,
                                       TcxCustomEditViewInfo* AViewInfo, bool AIsMouseEvent) {
  inherited::Calculate(ACanvas, ABounds, P, AButton, AShift, AViewInfo, AIsMouseEvent);
  auto* vi = dynamic_cast<TcxCustomLabelViewInfo*>(AViewInfo);
  if (!vi) return;
  FEffectiveAngle = GetEffectiveAngle(ACanvas);
  if (auto* p = LabelProperties()) {
    vi->LabelEffect = p->GetLabelEffect();
    vi->LabelStyle = p->GetLabelStyle();
    vi->Orientation = p->GetOrientation();
    vi->Depth = p->GetDepth();
    vi->ShadowedColor = p->GetShadowedColor();
    vi->ShowAccelChar = p->GetShowAccelChar();
    vi->Angle = p->GetAngle();
    vi->PenWidth = p->GetPenWidth();
    vi->WordWrap = p->GetWordWrap();
    vi->Alignment->Assign(p->GetAlignment());
    if (p->HasGlyph())
      vi->Glyph->Assign(p->GetGlyph());
    else
      vi->Glyph->SetSize(0, 0);
    vi->EffectOffset = p->GetEffectOffset();
  }
  vi->ContentRect = vi->ClientRect;
  TRect r = vi->ContentRect;
  if (IsInplace) {
    const TRect m = GetContentMargins();
    r = {r.Left + m.Left, r.Top + m.Top, r.Right - m.Right, r.Bottom - m.Bottom};
  }
  vi->TextRect = r;
  vi->DrawTextFlags = GetDrawTextFlags();
  vi->Control = IsInplace ? nullptr : Edit;
  // A standing label shows its own value, and its own Transparent decides its background,
  // not the properties' flag.
  if (auto* label = dynamic_cast<TcxCustomLabel*>(Edit); label && !IsInplace) {
    vi->Transparent = label->IsTransparent();
    EditValueToDrawValue(ACanvas, label->EditValue(), vi);
  }
  vi->NeedsRender = true;
}

TL_DEFINE_CLASS(TcxCustomLabelViewData, [](auto&) {});

// ---- view info ----

void TcxCustomLabelViewInfo::AfterConstruction() {
  inherited::AfterConstruction();
  Alignment = New<TcxEditAlignment>(nullptr);
  Glyph = New<TBitmap>();
}

void TcxCustomLabelViewInfo::BeforeDestruction() {
  FreeAndNil(FBitmap);
  FreeAndNil(Glyph);
  FreeAndNil(Alignment);
  inherited::BeforeDestruction();
}

void TcxCustomLabelViewInfo::Assign(TcxContainerViewInfo* Source) {
  inherited::Assign(Source);
  auto* src = dynamic_cast<TcxCustomLabelViewInfo*>(Source);
  if (!src || src == this) return;
  LabelEffect = src->LabelEffect;
  LabelStyle = src->LabelStyle;
  Orientation = src->Orientation;
  Depth = src->Depth;
  ShadowedColor = src->ShadowedColor;
  ShowAccelChar = src->ShowAccelChar;
  Angle = src->Angle;
  PenWidth = src->PenWidth;
  WordWrap = src->WordWrap;
  Alignment->Assign(src->Alignment);
  Glyph->Assign(src->Glyph);
  EffectOffset = src->EffectOffset;
  ContentRect = src->ContentRect;
  Control = src->Control;
  NeedsRender = true;
}

void TcxCustomLabelViewInfo::Offset(Integer DX, Integer DY) {
  inherited::Offset(DX, DY);
  OffsetRect(&ContentRect, DX, DY);
  if (Transparent) NeedsRender = true;
}

TRect TcxCustomLabelViewInfo::ShiftedTextRect(const TPoint& AShift) const {
  TRect r = TextRect;
  OffsetRect(&r, AShift.X, AShift.Y);
  return r;
}

void TcxCustomLabelViewInfo::RenderBackground(TcxCanvas& ACanvas, TcxCanvas* ABehind,
                                              const TPoint& AShift) {
  const TRect all{0, 0, Bounds.Width(), Bounds.Height()};
  if (Transparent && Control) {
    cxPaintParentBackground(Control, ACanvas.GetHandle(), all);
  } else if (Transparent && !(IsInplace && Focused) && ABehind) {
    // In place (or without a window) what lies behind is what the target already shows.
    BitBlt(ACanvas.GetHandle(), 0, 0, all.Width(), all.Height(), ABehind->GetHandle(), -AShift.X,
           -AShift.Y, SRCCOPY);
  } else {
    cxFillRectByColor(ACanvas, all, BackgroundColor);
  }
}

void TcxCustomLabelViewInfo::InternalPaint(TcxCanvas& ACanvas) {
  FLastPaintRendered = false;
  const Integer w = Bounds.Width(), h = Bounds.Height();
  // A zero-size label has nothing to show and no bitmap to size.
  if (w <= 0 || h <= 0) return;
  const bool paintCopy =
      Control && Control->ControlState().Contains(TControlStateItem::csPaintCopy);
  if (!IsInplace && Transparent && paintCopy) {
    DrawLabelText(ACanvas, {0, 0});
    FLastPaintRendered = true;
    return;
  }
  if (NeedsRender || !FBitmap || TextColor != FRenderedTextColor ||
      BackgroundColor != FRenderedBackgroundColor || Transparent) {
    if (!FBitmap) {
      FBitmap = New<TScratchBitmap>();
      FBitmap->SetPixelFormat(TPixelFormat::pf32bit);
    }
    FBitmap->SetSize(w, h);
    Owned<TcxCanvas> canvas(New<TcxCanvas>(FBitmap->Canvas()));
    const TPoint shift{-Bounds.Left, -Bounds.Top};
    RenderBackground(*canvas, &ACanvas, shift);
    DrawLabelText(*canvas, shift);
    FRenderedTextColor = TextColor;
    FRenderedBackgroundColor = BackgroundColor;
    NeedsRender = false;
    FLastPaintRendered = true;
  }
  BitBlt(ACanvas.GetHandle(), Bounds.Left, Bounds.Top, w, h, FBitmap->Canvas()->GetHandle(), 0, 0,
         SRCCOPY);
}

void TcxCustomLabelViewInfo::DrawTextCopy(TcxCanvas& ACanvas, const TPoint& AOrigin,
                                          Integer AAngle) {
  if (AAngle == 0) {
    TRect r = TextRect;
    r.Right -= EffectOffset.X;
    r.Bottom -= EffectOffset.Y;
    OffsetRect(&r, AOrigin.X, AOrigin.Y);
    ACanvas.DrawText(Text, r, Integer(DrawTextFlags));
  } else {
    ACanvas.Canvas()->TextOut(AOrigin.X, AOrigin.Y,
                              ShowAccelChar ? cxRemoveHotKeyPrefix(Text) : Text);
  }
}

void TcxCustomLabelViewInfo::DrawTextLayer(TcxCanvas& ACanvas, const TPoint& AOrigin,
                                           Integer AAngle, bool ATrueType) {
  if (!(ATrueType && !Glyph->Empty())) {
    DrawTextCopy(ACanvas, AOrigin, AAngle);
    return;
  }
  // The letters become the clip, and the glyph is tiled through them.
  const HDC dc = ACanvas.GetHandle();
  // The canvas's clip, put back after the clipping path replaced it.
  const HRGN savedClip = CreateRectRgn(0, 0, 0, 0);
  const bool hadClip = GetClipRgn(dc, savedClip) == 1;
  TScopeExit restoreClip([dc, savedClip, hadClip] {
    SelectClipRgn(dc, hadClip ? savedClip : nullptr);
    DeleteObject(savedClip);
  });
  BeginPath(dc);
  DrawTextCopy(ACanvas, AOrigin, AAngle);
  EndPath(dc);
  SelectClipPath(dc, RGN_AND);
  RECT box{};
  if (GetClipBox(dc, &box) > NULLREGION) ACanvas.FillRect(box, Glyph);
}

void TcxCustomLabelViewInfo::DrawLabelText(TcxCanvas& ACanvas, const TPoint& AShift) {
  if (Text.empty()) return;
  const TRect textRect = ShiftedTextRect(AShift);
  TFont* font = Font ? Font : ACanvas.GetFont();
  const Integer fontSize = font->GetSize();
  const bool trueType = cxAssignRotatedFont(ACanvas.Canvas(), font, 0);
  const Integer a = trueType ? Angle : 0;
  // 5. Origin: the shift for unrotated text (its rectangle places it), the centred start of rotated
  // text.
  TPoint origin = AShift;
  if (a != 0) {
    const TSize ext = ACanvas.TextExtent(ShowAccelChar ? cxRemoveHotKeyPrefix(Text) : Text);
    cxAssignRotatedFont(ACanvas.Canvas(), font, a);
    const double rad = a * kPi / 180.0, c = std::cos(rad), s = std::sin(rad);
    const double cx = (textRect.Left + textRect.Right - EffectOffset.X) / 2.0;
    const double cy = (textRect.Top + textRect.Bottom - EffectOffset.Y) / 2.0;
    origin = {Integer(std::lround(cx - c * ext.cx / 2 - s * ext.cy / 2)),
              Integer(std::lround(cy + s * ext.cx / 2 - c * ext.cy / 2))};
  }
  // 6. Step vector.
  using O = TcxLabelOrientation;
  const bool effect = LabelEffect != TcxLabelEffect::cxleNormal && Depth != 0;
  const bool onePixel =
      LabelEffect == TcxLabelEffect::cxleFun || LabelEffect == TcxLabelEffect::cxleExtrude;
  const Integer extra = cxLabelEffectExtra(LabelEffect, fontSize);
  TPoint step{0, 0};
  if (effect) step = EffectOffset;
  if (IsOneOf(Orientation, {O::cxoRight, O::cxoRightTop, O::cxoRightBottom})) {
    origin.X += EffectOffset.X + extra;
    step.X = -step.X;
  }
  if (IsOneOf(Orientation, {O::cxoBottom, O::cxoLeftBottom, O::cxoRightBottom})) {
    origin.Y += EffectOffset.Y + extra;
    step.Y = -step.Y;
  }
  if (onePixel) step = {Sign(step.X), Sign(step.Y)};
  // 7.
  ACanvas.GetBrush()->SetStyle(TBrushStyle::bsClear);
  // 8. Depth copies.
  if (effect) {
    const Integer n =
        step.X != 0 ? Depth / std::abs(step.X) : Depth / std::max<Integer>(std::abs(step.Y), 1);
    if (LabelEffect != TcxLabelEffect::cxleFun) ACanvas.GetFont()->SetColor(ShadowedColor);
    for (Integer i = 1; i <= n; ++i) {
      if (LabelEffect == TcxLabelEffect::cxleFun)
        ACanvas.GetFont()->SetColor(cxLabelBlendColor(BackgroundColor, ShadowedColor, i, n));
      DrawTextCopy(ACanvas, origin, a);
      origin.X += step.X;
      origin.Y += step.Y;
    }
  }
  // 9.
  if (step.X < 0) origin.X -= extra;
  if (step.Y < 0) origin.Y -= extra;
  // 10. The text in its relief.
  auto at = [&](Integer k) { return TPoint{origin.X + k, origin.Y + k}; };
  auto layer = [&](TColor AColor, Integer k) {
    ACanvas.GetFont()->SetColor(AColor);
    DrawTextLayer(ACanvas, at(k), a, trueType);
  };
  ACanvas.GetFont()->SetColor(TextColor);
  switch (LabelStyle) {
    case TcxLabelStyle::cxlsNormal:
      layer(TextColor, 0);
      break;
    case TcxLabelStyle::cxlsRaised:
      layer(clBtnHighlight, 0);
      if (fontSize >= 12) layer(clBtnShadow, 2);
      layer(TextColor, 1);
      break;
    case TcxLabelStyle::cxlsLowered:
      if (fontSize >= 12) layer(clBtnShadow, 0);
      layer(clBtnHighlight, 2);
      layer(TextColor, 1);
      break;
    case TcxLabelStyle::cxlsOutLine: {
      if (!trueType) {
        layer(TextColor, 0);
        break;
      }
      if (!Glyph->Empty()) DrawTextLayer(ACanvas, origin, a, trueType);
      const HDC dc = ACanvas.GetHandle();
      BeginPath(dc);
      DrawTextCopy(ACanvas, origin, a);
      EndPath(dc);
      ACanvas.GetPen()->SetColor(TextColor);
      ACanvas.GetPen()->SetWidth(PenWidth);
      const HGDIOBJ old = SelectObject(dc, ACanvas.GetPen()->GetHandle());
      StrokePath(dc);
      SelectObject(dc, old);
      ACanvas.GetPen()->SetWidth(1);
      break;
    }
  }
  ACanvas.GetBrush()->SetStyle(TBrushStyle::bsSolid);
}

TL_DEFINE_CLASS(TcxCustomLabelViewInfo, [](auto&) {});

// ---- control ----

namespace {

// Whether the caption marks Key as its accelerator ("&P" in "&Pause"; "&&" is a plain "&").
bool IsCaptionAccel(Char Key, const String& ACaption) {
  for (size_t i = 0; i + 1 < ACaption.size(); ++i) {
    if (ACaption[i] != '&') continue;
    if (ACaption[i + 1] == '&') {
      ++i;
      continue;
    }
    return std::toupper(static_cast<unsigned char>(ACaption[i + 1])) ==
           std::toupper(static_cast<unsigned char>(Key));
  }
  return false;
}

}  // namespace

void TcxCustomLabel::Initialize() {
  inherited::Initialize();
  TControlStyle style = ControlStyle();
  style.Exclude(TControlStyleItem::csAcceptsControls);
  style.Exclude(TControlStyleItem::csCaptureMouse);
  SetControlStyle(style);
  SetBounds(GetLeft(), GetTop(), 121, 21);
}

void TcxCustomLabel::BeforeDestruction() {
  SetFocusControl(nullptr);
  inherited::BeforeDestruction();
}

TcxCustomEditPropertiesClass TcxCustomLabel::GetPropertiesClass() {
  return ClassOf<TcxLabelProperties, TcxCustomEditProperties, TPersistent*>();
}

void TcxCustomLabel::SetFocusControl(TWinControl* Value) {
  if (Value == this || Value == FFocusControl) return;
  if (FFocusControl) FFocusControl->RemoveFreeNotification(this);
  FFocusControl = Value;
  if (FFocusControl) FFocusControl->FreeNotification(this);
}

void TcxCustomLabel::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation == TOperation::opRemove && AComponent == FFocusControl) FFocusControl = nullptr;
}

void TcxCustomLabel::CMDialogChar(TMessage& Message) {
  auto* p = dynamic_cast<TcxCustomLabelProperties*>(GetActiveProperties());
  if (FFocusControl && GetEnabled() && p && p->GetShowAccelChar() &&
      IsCaptionAccel(Char(Message.WParam), GetCaption()) && FFocusControl->CanFocus()) {
    FFocusControl->SetFocus();
    Message.Result = 1;
    return;
  }
  TL_INHERITED(Message);
}

void TcxCustomLabel::WMLButtonUp(TMessage& Message) {
  // The label does not hold the mouse on a press; the release still makes the click.
  TControlState state = ControlState();
  state.Include(TControlStateItem::csClicked);
  SetControlState(state);
  TL_INHERITED(Message);
}

void TcxCustomLabel::InternalSetEditValue(const Variant& AValue, bool AValidateEditValue) {
  TcxEditLifeGuard guard(this);
  if (!FLockCaption) {
    // The caption's own change notice must not store the text form over the value.
    TWatchedValue<bool> locked(this, FLockCaption, true);
    SetCaption(VarIsArray(AValue) ? String() : VarToStr(AValue));
    if (!guard.Alive()) return;
  }
  inherited::InternalSetEditValue(AValue, AValidateEditValue);
  if (!guard.Alive()) return;
  DataBinding()->SetDisplayValue(Variant(GetCaption()));
  TcxContainer::RecalcViewAtCursor();
  if (guard.Alive()) AdjustLabelSize();
}

void TcxCustomLabel::TextChanged() {
  inherited::TextChanged();
  if (FLockCaption || IsDestroying()) return;
  TWatchedValue<bool> locked(this, FLockCaption, true);
  SetEditValue(Variant(GetCaption()));
}

void TcxCustomLabel::PropertiesChanged(TObject* Sender) {
  TWeakLink alive(this);  // placing the inner edit runs its OnResize, which may free this
  inherited::PropertiesChanged(Sender);
  if (!alive.Alive()) return;
  AdjustLabelSize();
}

void TcxCustomLabel::ContainerStyleChanged(TObject* Sender) {
  TcxEditLifeGuard guard(this);
  inherited::ContainerStyleChanged(Sender);
  if (guard.Alive()) AdjustLabelSize();
}

void TcxCustomLabel::SetAutoSize(bool Value) {
  inherited::SetAutoSize(Value);
  if (Value) AdjustLabelSize();
}

void TcxCustomLabel::SetTransparent(bool Value) {
  if (Value == GetTransparent()) return;
  inherited::SetTransparent(Value);
  Invalidate();
}

void TcxCustomLabel::AdjustLabelSize() {
  if (!IsAutoSizeActive() || !GetProperties() || IsDestroying() ||
      InState(TComponentStateItem::csLoading) || InState(TComponentStateItem::csDestroying))
    return;
  if (!GetCanvas()) return;
  // Without a window yet (a form loading, or one not shown) the screen measures the text:
  // the control's own canvas would make the label's window and its form's.
  Owned<TcxScreenCanvas> screen;
  TcxCanvas* canvas = GetCanvas();
  if (!HandleAllocated()) {
    screen.reset(New<TcxScreenCanvas>());
    canvas = screen.get();
  }
  auto* p = dynamic_cast<TcxCustomLabelProperties*>(GetActiveProperties());
  TcxEditSizeProperties sp;
  const bool wrapped = p && p->GetWordWrap();
  if (wrapped) sp.Width = GetWidth();
  Owned<TcxCustomEditViewData> vd(CreateViewData());
  const TSize sz = vd->CalculateEditSize(*canvas, EditValue(), sp);
  const TAlign a = GetAlign();
  Integer w = GetWidth(), h = GetHeight();
  if (!wrapped && a != TAlign::alTop && a != TAlign::alBottom && a != TAlign::alClient) w = sz.cx;
  if (a != TAlign::alLeft && a != TAlign::alRight && a != TAlign::alClient) h = sz.cy;
  if (w != GetWidth() || h != GetHeight()) SetBounds(GetLeft(), GetTop(), w, h);
}

TL_MESSAGES(TcxCustomLabel,
            TL_ON(CM_DIALOGCHAR, CMDialogChar),
            TL_ON(WM_LBUTTONUP, WMLButtonUp))

TL_DEFINE_CLASS(TcxCustomLabel, [](auto& c) {
  using T = TcxCustomLabel;
  c.Property("FocusControl", &T::GetFocusControl, &T::SetFocusControl);
});

TL_DEFINE_CLASS(TcxLabel, [](auto& c) {
  using T = TcxCustomLabel;
  c.Property("AutoSize", &T::GetAutoSize, &T::SetAutoSize).Default(true);
  c.Property("Properties", &T::GetProperties, &T::SetProperties);
  c.Property("Style", &T::GetStyle, &T::SetStyle);
  c.Property("StyleDisabled", &T::GetStyleDisabled, &T::SetStyleDisabled);
  c.Property("StyleFocused", &T::GetStyleFocused, &T::SetStyleFocused);
  c.Property("StyleHot", &T::GetStyleHot, &T::SetStyleHot);
  c.Property("Transparent", &T::GetTransparent, &T::SetTransparent).Default(false);
  c.Event("OnContextPopup", &T::OnContextPopup);
  c.Event("OnMouseEnter", &T::OnMouseEnter);
  c.Event("OnMouseLeave", &T::OnMouseLeave);
});

// ---- unit start-up ----

namespace {
int gLabelInitCount = 0;
}

void cxLabelInitialize() {
  if (gLabelInitCount++ > 0) return;
  cxRegisterEditor(TcxLabelProperties::StaticClass(),
                   cxGetResourceString(scxSEditRepositoryLabelItem), TcxLabel::StaticClass());
}

void cxLabelFinalize() {
  if (gLabelInitCount == 0 || --gLabelInitCount > 0) return;
  cxUnregisterEditor(TcxLabelProperties::StaticClass(), TcxLabel::StaticClass());
}
