// What a container paints around its inner control: border, background and drop shadow,
// by its style or through the visual style.
#pragma once

#include "widgets/foundation/cxContainerStyle.h"
#include "widgets/foundation/cxControlBase.h"
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

using TcxContainerViewInfoClass = TMetaClass<TcxContainerViewInfo>;

// A styled, bordered control around one optional inner window control.
class TcxContainer : public TcxControl {
  TL_CLASS(TcxContainer, TcxControl)
 public:
  explicit TcxContainer(TComponent* AOwner);
  void AfterConstruction() override;
  void BeforeDestruction() override;

  TcxContainerStyle* GetStyle() const { return FStyles->Style(); }
  void SetStyle(TcxContainerStyle* Value) { FStyles->SetStyle(TcxContainerStateItem::csNormal, Value); }
  TcxContainerStyle* GetStyleFocused() const { return FStyles->StyleFocused(); }
  void SetStyleFocused(TcxContainerStyle* Value) { FStyles->SetStyle(TcxContainerStateItem::csActive, Value); }
  TcxContainerStyle* GetStyleDisabled() const { return FStyles->StyleDisabled(); }
  void SetStyleDisabled(TcxContainerStyle* Value) { FStyles->SetStyle(TcxContainerStateItem::csDisabled, Value); }
  TcxContainerStyle* GetStyleHot() const { return FStyles->StyleHot(); }
  void SetStyleHot(TcxContainerStyle* Value) { FStyles->SetStyle(TcxContainerStateItem::csHotTrack, Value); }
  TcxContainerViewInfo* ViewInfo() const { return FViewInfo; }
  TWinControl* InnerControl() const { return FInnerControl; }

  // The style of the current state: disabled, else focused, else hot, else normal.
  TcxContainerStyle* GetActiveStyle() const;
  bool IsDestroying() const { return FIsDestroying; }
  void RecalcViewAtCursor(bool AIsMouseEvent = false);

  virtual bool IsContainerFocused() const { return Focused(); }
  virtual bool DefaultParentColor() const { return false; }
  virtual bool IsInplace() const { return false; }
  virtual bool IsNativeStyle() const;
  virtual bool HasShadow() const;
  virtual void GetBorderExtent(TRect& R) const;
  virtual void GetHotTrackBounds(TRect& R) const;
  // The painted area: the bounds less the extent, grown by the border where edges are on.
  void GetBorderRect(TRect& R) const;
  // Clips the window to the painted area (and its shadow); left alone when unchanged.
  void UpdateWindowRegion();
  virtual TdxThemedObjectType GetBackgroundThemedObjectType() const { return TdxThemedObjectType::totEdit; }
  virtual int GetBackgroundNativePart() const { return 1; }
  virtual int GetBackgroundNativeState() const;
  virtual bool HandlesTabKey() const { return false; }
  virtual void FocusInnerControl();

 protected:
  virtual void AdjustInnerControl();
  virtual void AdjustInnerControlBounds();
  virtual void CalculateViewInfo(const TPoint& P, bool AIsMouseEvent);
  virtual void ContainerStyleChanged(TObject* Sender);
  virtual TcxContainerStyleClass GetStyleClass() const;
  virtual TcxContainerViewInfoClass GetViewInfoClass() const;
  virtual TcxContainerStyle* InternalGetActiveStyle() const;
  virtual bool ProcessViewInfoChanges(const TPoint& P, bool AIsMouseEvent);
  // Descendants that create an inner control hand it over here; it stays theirs to free.
  void SetInnerControl(TWinControl* Value);

  void FocusChanged() override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void MouseEnter(TControl* AControl) override;
  void MouseLeave(TControl* AControl) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void Paint() override;
  void Resize() override;
  void CreateWnd() override;
  void WndProc(TMessage& Message) override;

 private:
  TcxContainerState ComputeState(const TPoint& P, bool AMouseInside) const;

  TWinControl* FInnerControl = nullptr;
  TcxContainerStyles* FStyles = nullptr;
  TcxContainerViewInfo* FViewInfo = nullptr;
  bool FCreating = true;
  bool FIsDestroying = false;
  bool FAdjusting = false;
  bool FRecalculating = false;
  bool FMouseInside = false;
};
