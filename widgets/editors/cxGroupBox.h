// The group box below its control: the caption's place on any side (or in the middle), the
// room kept for it, the frame by border style or by the platform's themed group-box frame,
// and the caption drawn through an off-screen bitmap, rotated for the side positions.
#pragma once

#include "widgets/editcore/cxEditControl.h"
#include "widgets/editcore/cxEditViewData.h"
#include "widgets/editcore/cxTextEditViewData.h"

TL_ENUM(TcxCaptionAlignment, alTopLeft, alTopCenter, alTopRight, alBottomLeft, alBottomCenter, alBottomRight,
        alLeftTop, alLeftCenter, alLeftBottom, alRightTop, alRightCenter, alRightBottom, alCenterCenter);

bool cxIsTopCaption(TcxCaptionAlignment A);
bool cxIsBottomCaption(TcxCaptionAlignment A);
bool cxIsLeftCaption(TcxCaptionAlignment A);
bool cxIsRightCaption(TcxCaptionAlignment A);
inline bool cxIsVerticalCaption(TcxCaptionAlignment A) { return cxIsLeftCaption(A) || cxIsRightCaption(A); }
// 90 for left-side captions, 270 for right-side ones, else 0.
Integer cxGroupBoxCaptionAngle(TcxCaptionAlignment A);
// The caption as drawn: side captions lose their accelerator markers.
String cxGroupBoxCaptionText(const String& ACaption, TcxCaptionAlignment A);
// Platform text-drawing flags of the caption: single line, the bidirectional flags given;
// side captions add no-prefix.
UINT cxGroupBoxCaptionTextFlags(TcxCaptionAlignment A, UINT ABiDiFlags = 0);
// The caption font from the style's: a copy, for side captions turned to their angle (a
// face the platform cannot turn becomes "Arial"), unless it already stands at that angle.
void cxPrepareGroupBoxCaptionFont(TFont* ACaptionFont, TFont* AStyleFont, TcxCaptionAlignment A);

class TcxCustomGroupBoxProperties : public TcxCustomEditProperties {
  TL_CLASS(TcxCustomGroupBoxProperties, TcxCustomEditProperties)
 public:
  using TcxCustomEditProperties::TcxCustomEditProperties;
  TcxCustomEditViewDataClass GetViewDataClass() const override;
  TcxCustomEditViewInfoClass GetViewInfoClass() const override;
  TcxCustomEditProperties* CreateSameClass() const override;
  TcxCustomEditClass GetContainerClass() const override;
};

// One button of a button group laid out in the box.
class TcxGroupBoxButtonViewInfo : public TcxEditButtonViewInfo {
  TL_CLASS(TcxGroupBoxButtonViewInfo, TcxEditButtonViewInfo)
 public:
  void Assign(TPersistent* Source) override;

  String Caption;
  Integer Column = 0;
  Integer Row = 0;
  bool NativeStyle = false;
  bool Transparent = false;
};

class TcxGroupBoxViewInfo : public TcxCustomTextEditViewInfo {
  TL_CLASS(TcxGroupBoxViewInfo, TcxCustomTextEditViewInfo)
 public:
  TcxGroupBoxViewInfo();
  ~TcxGroupBoxViewInfo() override;

  void InternalPaint(TcxCanvas& ACanvas) override;
  void Assign(TcxContainerViewInfo* Source) override;
  void Offset(Integer DX, Integer DY) override;
  TcxEditButtonViewInfoClass GetButtonsViewInfoClass() const override;
  // Sizes the off-screen bitmap to the caption rectangle.
  void SetCaptionRect(const TRect& R);
  TBitmap* CaptionBitmap() const { return FCaptionBitmap; }

  TcxCaptionAlignment CaptionAlignment = TcxCaptionAlignment::alTopLeft;
  TRect CaptionRect{};
  // The caption text as drawn and its flags.
  String Caption;
  UINT CaptionTextFlags = 0;
  TFont* CaptionFont = nullptr;  // not owned
  TColor CaptionTextColor = clBtnText;
  // The height of "Qq" in the caption font.
  Integer CaptionFontHeight = 0;
  bool HasBorder = true;
  bool Ctl3D = true;
  bool ShadowAllowed = true;

 protected:
  void DrawFrame(TcxCanvas& ACanvas);
  void DrawNativeFrame(TcxCanvas& ACanvas);
  void DrawCaption(TcxCanvas& ACanvas);
  void DrawBackgroundAndFrame(TcxCanvas& ACanvas);

 private:
  TBitmap* FCaptionBitmap;
  TcxCanvas* FCaptionCanvas;
};

class TcxGroupBoxViewData : public TcxCustomEditViewData {
  TL_CLASS(TcxGroupBoxViewData, TcxCustomEditViewData)
 public:
  using TcxCustomEditViewData::TcxCustomEditViewData;

  void Calculate(TcxCanvas& ACanvas, const TRect& ABounds, const TPoint& P, TcxMouseButton AButton,
                 TShiftState AShift, TcxCustomEditViewInfo* AViewInfo, bool AIsMouseEvent) override;
  // The frame's inset: h / 2 + 1 for top and bottom captions, h / 2 for side ones, on the
  // caption's side only.
  TRect GetBorderExtent() const override;
  // The room kept free around the children: the frame's width, and h + 3 on the caption's side.
  TRect GetClientExtent(TcxCanvas& ACanvas, TcxCustomEditViewInfo* AViewInfo) override;
  bool HasShadow() const override;
  bool IsNativeStyle(TcxLookAndFeel* ALookAndFeel) const override;

  // The caption rectangle for the bounds (empty without a caption).
  TRect CalculateCaptionRect(TcxCanvas& ACanvas, const TRect& ABounds);
  // The caption's font: CaptionFont when set, else the style's.
  TFont* GetCaptionFont() const;
  Integer CaptionFontHeight(TcxCanvas& ACanvas) const;

  TcxCaptionAlignment CaptionAlignment = TcxCaptionAlignment::alTopLeft;
  String Caption;
  TFont* CaptionFont = nullptr;  // not owned
  bool Ctl3D = true;
  UINT BiDiFlags = 0;

 private:
  mutable Integer FFontHeight = -1;
};

// A box that frames child controls under a caption; it never takes the focus itself, its
// caption's accelerator hands it to the first child that can take it.
class TcxCustomGroupBox : public TcxCustomEdit {
  TL_CLASS(TcxCustomGroupBox, TcxCustomEdit)
 public:
  explicit TcxCustomGroupBox(TComponent* AOwner) : TcxCustomEdit(AOwner) {}
  TcxCustomGroupBox(TComponent* AOwner, bool AIsInplace) : TcxCustomEdit(AOwner, AIsInplace) {}
  void BeforeDestruction() override;

  TcxCaptionAlignment GetAlignment() const { return FAlignment; }
  void SetAlignment(TcxCaptionAlignment Value);
  TColor GetCaptionBkColor() const { return FCaptionBkColor; }
  void SetCaptionBkColor(TColor Value);
  // The style's colour and font: the control keeps none of its own.
  TColor GetStyleColor() const { return GetStyle()->GetColor(); }
  void SetStyleColor(TColor Value) { SetColor(Value); }
  TFont* GetStyleFont() const { return GetStyle()->GetFont(); }
  void SetStyleFont(TFont* Value) { SetFont(Value); }
  TcxLookAndFeel* GetStyleLookAndFeel() const { return GetStyle()->GetLookAndFeel(); }
  void SetStyleLookAndFeel(TcxLookAndFeel* Value) { GetStyle()->SetLookAndFeel(Value); }
  TcxGroupBoxViewInfo* GroupBoxViewInfo() const { return static_cast<TcxGroupBoxViewInfo*>(ViewInfo()); }
  TFont* CaptionFont() const { return FCaptionFont; }
  // The caption as drawn.
  String CaptionText() const { return cxGroupBoxCaptionText(GetCaption(), FAlignment); }
  bool IsAccelCharHandling() const { return FAccelCharHandling; }

  TcxCustomEditPropertiesClass GetPropertiesClass() override;
  void Initialize() override;
  void InitializeViewData(TcxCustomEditViewData* AViewData) override;
  bool HasTabOrderChildren() const override { return true; }
  bool DefaultParentColor() const override { return true; }
  void ContainerStyleChanged(TObject* Sender) override;

 protected:
  void AdjustClientRect(TRect& Rect) override;
  void AlignControls(TControl* AControl, TRect& ARect) override;
  bool CanFocusOnClick() override { return false; }
  void LookAndFeelChanged(TcxLookAndFeel* Sender, TcxLookAndFeelValues AChangedValues) override;
  void WndProc(TMessage& Message) override;

 private:
  void PrepareCaptionFont();
  // Child windows show only inside the room the frame leaves them.
  void ClipChildren(const TRect& AClient);
  TRect CalculateClientRect();

  TcxCaptionAlignment FAlignment = TcxCaptionAlignment::alTopLeft;
  TColor FCaptionBkColor = clBtnFace;
  TFont* FCaptionFont = nullptr;
  bool FAccelCharHandling = false;
};

class TcxGroupBox : public TcxCustomGroupBox {
  TL_CLASS(TcxGroupBox, TcxCustomGroupBox)
 public:
  using TcxCustomGroupBox::TcxCustomGroupBox;
};

namespace cxGroupBox {
void Initialize();
void Finalize();
}  // namespace cxGroupBox
