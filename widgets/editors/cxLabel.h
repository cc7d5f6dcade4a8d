// The label editor's settings, measuring and painting: a read-only text with alignment,
// word wrap, rotation, depth effects, relief styles, an outline and a texture glyph. The
// view data lays a label out from its properties and style; the view info renders it into
// an off-screen bitmap that is reused while nothing it depends on changed.
#pragma once

#include "widgets/editcore/cxEditControl.h"
#include "widgets/editcore/cxTextEditViewData.h"

TL_ENUM(TcxLabelEffect, cxleNormal, cxleFun, cxleExtrude, cxleCool);
TL_ENUM(TcxLabelStyle, cxlsNormal, cxlsRaised, cxlsLowered, cxlsOutLine);
TL_ENUM(TcxLabelOrientation, cxoLeft, cxoRight, cxoTop, cxoBottom, cxoLeftTop, cxoLeftBottom,
        cxoRightTop, cxoRightBottom);

// The registry caption of the label's properties class.
extern const TResStringRec scxSEditRepositoryLabelItem;

class TcxLabelEditStyle : public TcxEditStyle {
  TL_CLASS(TcxLabelEditStyle, TcxEditStyle)
 public:
  using TcxEditStyle::TcxEditStyle;

 protected:
  // No border on the base style; the state styles keep the editors' default.
  TcxContainerBorderStyle DefaultBorderStyle() const override;
  bool DefaultHotTrack() const override { return false; }
};

// An angle in degrees taken into 0..359 (-90 is 270, 720 is 0), whatever its size.
Integer cxLabelNormalizeAngle(Int64 AAngle);
// Each of red, green and blue from AColor0 (step 0) to AColor1 (step ACount), rounded.
TColor cxLabelBlendColor(TColor AColor0, TColor AColor1, Integer AStep, Integer ACount);
// The extra pixel step of the one-pixel effects: 1 below 12 points, 2 from 12 points on.
Integer cxLabelEffectExtra(TcxLabelEffect AEffect, Integer AFontSize);

class TcxCustomLabelProperties : public TcxCustomEditProperties {
  TL_CLASS(TcxCustomLabelProperties, TcxCustomEditProperties)
 public:
  using TcxCustomEditProperties::TcxCustomEditProperties;
  void BeforeDestruction() override;
  // Every label setting too, inside one update bracket.
  void Assign(TPersistent* Source) override;

  TcxContainerStyleClass GetStyleClass() const override;
  TcxCustomEditViewDataClass GetViewDataClass() const override;
  TcxCustomEditViewInfoClass GetViewInfoClass() const override;
  TcxCustomEditProperties* CreateSameClass() const override;
  TcxCustomEditClass GetContainerClass() const override;
  // (dx, dy) of the depth effect: none for cxleNormal, else Depth along the orientation's axes.
  virtual TPoint GetEffectOffset() const;

  Integer GetAngle() const { return FAngle; }
  void SetAngle(Integer Value);
  Word GetDepth() const { return FDepth; }
  void SetDepth(Word Value);
  // Made on first read; nil frees it.
  TBitmap* GetGlyph();
  void SetGlyph(TBitmap* Value);
  bool HasGlyph() const { return FGlyph && !FGlyph->Empty(); }
  TcxLabelEffect GetLabelEffect() const { return FLabelEffect; }
  void SetLabelEffect(TcxLabelEffect Value);
  TcxLabelStyle GetLabelStyle() const { return FLabelStyle; }
  void SetLabelStyle(TcxLabelStyle Value);
  TcxLabelOrientation GetOrientation() const { return FOrientation; }
  void SetOrientation(TcxLabelOrientation Value);
  // Widths below 1 count as 1.
  Integer GetPenWidth() const { return FPenWidth; }
  void SetPenWidth(Integer Value);
  TColor GetShadowedColor() const { return FShadowedColor; }
  void SetShadowedColor(TColor Value);
  bool GetShowAccelChar() const { return FShowAccelChar; }
  void SetShowAccelChar(bool Value);
  // Kept for stored windows; painting ignores it.
  bool GetShowEndEllipsis() const { return FShowEndEllipsis; }
  void SetShowEndEllipsis(bool Value);
  bool GetWordWrap() const { return FWordWrap; }
  void SetWordWrap(bool Value);

  bool IsGlyphStored() const { return HasGlyph(); }

 private:
  void GlyphChanged(TObject*) { Changed(); }

  Integer FAngle = 0;
  Word FDepth = 0;
  TBitmap* FGlyph = nullptr;
  TcxLabelEffect FLabelEffect = TcxLabelEffect::cxleNormal;
  TcxLabelStyle FLabelStyle = TcxLabelStyle::cxlsNormal;
  TcxLabelOrientation FOrientation = TcxLabelOrientation::cxoRightBottom;
  Integer FPenWidth = 1;
  TColor FShadowedColor = clGrayText;
  bool FShowAccelChar = true;
  bool FShowEndEllipsis = false;
  bool FWordWrap = false;
};

class TcxLabelProperties : public TcxCustomLabelProperties {
  TL_CLASS(TcxLabelProperties, TcxCustomLabelProperties)
 public:
  using TcxCustomLabelProperties::TcxCustomLabelProperties;
  TcxCustomEditProperties* CreateSameClass() const override;
};

class TcxCustomLabelViewInfo : public TcxCustomTextEditViewInfo {
  TL_CLASS(TcxCustomLabelViewInfo, TcxCustomTextEditViewInfo)
 public:
  void AfterConstruction() override;
  void BeforeDestruction() override;
  // Renders into the cached bitmap when needed, then copies it to the canvas.
  void InternalPaint(TcxCanvas& ACanvas) override;
  void Assign(TcxContainerViewInfo* Source) override;
  // A transparent label shows what is behind its new place: render again.
  void Offset(Integer DX, Integer DY) override;

  // Everything but the background: the depth copies, then the text in its relief style,
  // at the view's coordinates shifted by AShift.
  void DrawLabelText(TcxCanvas& ACanvas, const TPoint& AShift);
  // Whether the last paint rendered (false: the cached bitmap was copied as it was).
  bool LastPaintRendered() const { return FLastPaintRendered; }

  TcxLabelEffect LabelEffect = TcxLabelEffect::cxleNormal;
  TcxLabelStyle LabelStyle = TcxLabelStyle::cxlsNormal;
  TcxLabelOrientation Orientation = TcxLabelOrientation::cxoRightBottom;
  Integer Depth = 0;
  TColor ShadowedColor = clGrayText;
  bool ShowAccelChar = true;
  Integer Angle = 0;
  Integer PenWidth = 1;
  bool WordWrap = false;
  TcxEditAlignment* Alignment = nullptr;  // owned
  TBitmap* Glyph = nullptr;               // owned copy; empty without a texture
  TPoint EffectOffset{0, 0};
  TRect ContentRect{};
  // Set by every calculation.
  bool NeedsRender = true;
  // The standing control that shows the label: its parent's image goes behind a
  // transparent label, and a paint copy of it renders straight onto the canvas. nullptr
  // in place and when painting without a control.
  TWinControl* Control = nullptr;

 private:
  void RenderBackground(TcxCanvas& ACanvas, TcxCanvas* ABehind, const TPoint& AShift);
  void DrawTextCopy(TcxCanvas& ACanvas, const TPoint& AOrigin, Integer AAngle);
  void DrawTextLayer(TcxCanvas& ACanvas, const TPoint& AOrigin, Integer AAngle, bool ATrueType);
  TRect ShiftedTextRect(const TPoint& AShift) const;

  TBitmap* FBitmap = nullptr;
  TColor FRenderedTextColor = TColor(0x7FFFFFFF);
  TColor FRenderedBackgroundColor = TColor(0x7FFFFFFF);
  bool FLastPaintRendered = false;
};

class TcxCustomLabelViewData : public TcxCustomTextEditViewData {
  TL_CLASS(TcxCustomLabelViewData, TcxCustomTextEditViewData)
 public:
  using TcxCustomTextEditViewData::TcxCustomTextEditViewData;

  void Calculate(TcxCanvas& ACanvas, const TRect& ABounds, const TPoint& P, TcxMouseButton AButton,
                 TShiftState AShift, TcxCustomEditViewInfo* AViewInfo, bool AIsMouseEvent) override;
  // The value as text; a value with no text form (an array) shows nothing.
  void EditValueToDisplayText(const Variant& AEditValue, String& AText) override;
  TSize InternalGetEditContentSize(TcxCanvas& ACanvas, const Variant& AEditValue,
                                   const TcxEditSizeProperties& AEditSizeProperties) override;
  // The library's canvas text flags of unrotated text.
  Cardinal GetDrawTextFlags() const override;
  // A label has no laid-out rows.
  void CalculateTextLayout(TcxCanvas&, TcxCustomTextEditViewInfo*) override {}

  // Angle when the style's font is TrueType, else 0 (the canvas gets the style's font).
  Integer GetEffectiveAngle(TcxCanvas& ACanvas) const;

 private:
  TcxCustomLabelProperties* LabelProperties() const;
  bool HasOwnBorder() const;
  Integer FEffectiveAngle = 0;
};

// The label control: a read-only editor whose caption and edit value always agree. It
// never takes the focus when standing on a form; its accelerator hands the focus to
// FocusControl instead.
class TcxCustomLabel : public TcxCustomEdit {
  TL_CLASS(TcxCustomLabel, TcxCustomEdit)
 public:
  explicit TcxCustomLabel(TComponent* AOwner) : TcxCustomEdit(AOwner) {}
  TcxCustomLabel(TComponent* AOwner, bool AIsInplace) : TcxCustomEdit(AOwner, AIsInplace) {}
  void BeforeDestruction() override;

  TcxCustomEditPropertiesClass GetPropertiesClass() override;
  TcxLabelProperties* GetProperties() const {
    return static_cast<TcxLabelProperties*>(TcxCustomEdit::GetProperties());
  }
  void SetProperties(TcxLabelProperties* Value) { TcxCustomEdit::SetProperties(Value); }
  TcxLabelEditStyle* GetStyle() const {
    return static_cast<TcxLabelEditStyle*>(TcxContainer::GetStyle());
  }
  void SetStyle(TcxLabelEditStyle* Value) { TcxContainer::SetStyle(Value); }
  TWinControl* GetFocusControl() const { return FFocusControl; }
  // The label itself and the control already set are ignored.
  void SetFocusControl(TWinControl* Value);
  void SetAutoSize(bool Value) override;
  // Repaints: the background changes between the parent's image and the label's colour.
  void SetTransparent(bool Value);
  // Measuring needs a window: a label without a parent is sized when it gets one.
  bool IsAutoSizeActive() const override {
    return inherited::IsAutoSizeActive() && (HandleAllocated() || GetParent());
  }

  // Known before the properties exist, when the container makes its style and view info.
  TcxContainerStyleClass GetStyleClass() const override {
    return cxEditStyleClassOf<TcxLabelEditStyle>();
  }
  bool CanFocus() const override { return IsInplace() && inherited::CanFocus(); }
  bool CanFocusOnClick() override { return IsInplace() && inherited::CanFocusOnClick(); }
  void InternalSetEditValue(const Variant& AValue, bool AValidateEditValue = false) override;
  void PropertiesChanged(TObject* Sender) override;
  void ContainerStyleChanged(TObject* Sender) override;
  void Initialize() override;
  // Fits the bounds to the text when AutoSize is on: a word-wrapped label keeps its width
  // and takes the height of its lines; any other takes the size of its text.
  void AdjustLabelSize();

  void CMDialogChar(TMessage& Message);
  void WMLButtonUp(TMessage& Message);

 protected:
  bool DefaultParentColor() const override { return true; }
  void TextChanged() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  TWinControl* FFocusControl = nullptr;
  // Set while the caption and the edit value are being copied into each other.
  bool FLockCaption = false;
};

class TcxLabel : public TcxCustomLabel {
  TL_CLASS(TcxLabel, TcxCustomLabel)
 public:
  using TcxCustomLabel::TcxCustomLabel;
};

// Unit start-up: the properties class in the editors' registry and the control's class
// for window descriptions; shut-down removes both.
void cxLabelInitialize();
void cxLabelFinalize();
