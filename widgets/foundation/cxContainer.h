// What a container paints around its inner control: border, background and drop shadow,
// by its style or through the visual style.
#pragma once

#include "widgets/foundation/cxContainerStyle.h"
#include "widgets/foundation/cxGraphics.h"
#include "widgets/foundation/dxThemeManager.h"

using TcxContainerState = Set<TcxContainerStateItem>;

// Border width by border style: 0, 1, 2, 2, 2, 1, 1.
Integer cxGetContainerBorderWidth(TcxContainerBorderStyle ABorderStyle);
// Border width by look-and-feel kind.
Integer cxGetLookAndFeelBorderWidth(TcxLookAndFeelKind AKind);
// A 3-pixel shadow below and right of R; each strip is left out of the clip region afterwards.
void cxDrawContainerShadow(TcxCanvas& ACanvas, const TRect& R);

class TcxContainerViewInfo : public TObject {
  TL_CLASS(TcxContainerViewInfo, TObject)
 public:
  TcxContainerViewInfo() = default;

  virtual void DrawBorder(TcxCanvas& ACanvas, const TRect& R);
  virtual TcxContainerBorderStyle GetContainerBorderStyle() const { return BorderStyle; }
  virtual void InternalPaint(TcxCanvas& ACanvas);
  virtual void SetBackgroundColor(TColor Value) { BackgroundColor = Value; }
  virtual void Assign(TcxContainerViewInfo* Source);
  virtual void Offset(Integer DX, Integer DY);
  virtual void Paint(TcxCanvas& ACanvas) { InternalPaint(ACanvas); }

  TColor BackgroundColor = clWindow;
  TColor BorderColor = clWindowFrame;
  TRect BorderRect{};
  TcxContainerBorderStyle BorderStyle = TcxContainerBorderStyle::cbsNone;
  Integer BorderWidth = 0;
  TRect Bounds{};
  TRect ClientRect{};
  TcxContainerState ContainerState{TcxContainerStateItem::csNormal};
  TcxBorders Edges = cxBordersAll;
  uint8_t HotState = 0;
  bool NativeStyle = false;
  bool Shadow = false;
  int NativePart = 1;
  int NativeState = 1;
  TdxThemedObjectType ThemedObjectType = TdxThemedObjectType::totEdit;

 protected:
  void PaintNative(TcxCanvas& ACanvas);
};
