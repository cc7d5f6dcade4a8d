// An editor's calculate-then-paint pair: a short-lived view data, made by the properties
// for a style and an in-place state, lays the editor out into a view info (rectangles,
// border, hot and native state, buttons), which paints itself and repaints only what
// changed against the previous one. The same pair paints an editor without a control and
// computes the size an editor needs.
#pragma once

#include "widgets/editcore/cxEditButtons.h"
#include "widgets/editcore/cxEditProperties.h"
#include "widgets/editcore/cxEditStyles.h"
#include "widgets/foundation/cxContainer.h"

#include <vector>

TL_ENUM(TcxEditPaintOption, epoAllowZeroHeight, epoAutoHeight, epoHasExternalBorder, epoShowEndEllipsis,
        epoShowFocusRectWhenInplace);
using TcxEditPaintOptions = Set<TcxEditPaintOption>;
TL_ENUM(TcxEditContentOption, ecoShowFocusRectWhenInplace);
using TcxEditContentOptions = Set<TcxEditContentOption>;
// HotState values of the view info.
TL_ENUM(TcxContainerHotState, chsNoHotTrack, chsNormal, chsSelected);

// How an editor's content sits in its frame, filled by the view data's content hook.
struct TcxEditContentParams {
  TcxEditContentOptions Options;
  Integer HorzSpacing = 0;
  Integer VertSpacing = 0;
  TRect SpacingRect{};
};

// The size an editor needs: a width limit (-1 none) and a line count limit.
struct TcxEditSizeProperties {
  Integer Height = -1;
  Integer MaxLineCount = 0;
  Integer Width = -1;
};

class TcxCustomEditViewInfo;

using TcxEditDrawBackgroundEvent = TMethod<void(TcxCustomEditViewInfo* Sender, TcxCanvas& ACanvas, bool& AHandled)>;
using TcxEditDrawButtonEvent =
    TMethod<void(TcxCustomEditViewInfo* Sender, TcxCanvas& ACanvas, Integer AButtonVisibleIndex, bool& AHandled)>;
using TcxEditDrawButtonBackgroundEvent = TMethod<void(TcxCustomEditViewInfo* Sender, TcxCanvas& ACanvas,
                                                      const TRect& ARect, Integer AButtonVisibleIndex, bool& AHandled)>;
using TcxEditGetButtonStateEvent =
    TMethod<void(TcxCustomEditViewInfo* Sender, Integer AButtonVisibleIndex, TcxEditButtonState& AState)>;
using TcxEditGetDefaultButtonWidthEvent = TMethod<void(TObject* Sender, Integer AIndex, Integer& ADefaultWidth)>;
using TcxEditViewDataGetDisplayTextEvent = TMethod<void(TObject* Sender, String& AText)>;

using TcxEditButtonViewInfoClass = TMetaClass<TcxEditButtonViewInfo>;

class TcxCustomEditViewInfo : public TcxContainerViewInfo {
  TL_CLASS(TcxCustomEditViewInfo, TcxContainerViewInfo)
 public:
  // The container's border style under the editors' own enumeration, one to one.
  TcxEditBorderStyle GetEditBorderStyle() const { return TcxEditBorderStyle(Ord(BorderStyle)); }
  void SetEditBorderStyle(TcxEditBorderStyle Value) { BorderStyle = TcxContainerBorderStyle(Ord(Value)); }
  // Background, frame and buttons.
  void InternalPaint(TcxCanvas& ACanvas) override;
  void Assign(TcxContainerViewInfo* Source) override;
  // The frame's area when it changed, else the buttons' changed areas; the caller frees it.
  TcxRegion* GetUpdateRegion(TcxContainerViewInfo* AViewInfo) override;
  void Offset(Integer DX, Integer DY) override;

  virtual TcxEditButtonViewInfoClass GetButtonsViewInfoClass() const;
  // OnDrawBackground first; true when it was handled there.
  virtual bool DrawEditBackground(TcxCanvas& ACanvas);
  // One button in its style (OnDrawButton first).
  virtual void DrawButton(TcxCanvas& ACanvas, Integer AButtonVisibleIndex);
  // OnDrawButtonBackground; true when it was handled there.
  virtual bool DrawButtonBackground(TcxCanvas& ACanvas, const TRect& R, Integer AButtonVisibleIndex);
  virtual bool HasSelectedButton() const;
  // P in the control's coordinates (the scroll offset applies).
  virtual bool IsButtonAtPoint(const TPoint& P) const;
  virtual String GetHintText() const { return {}; }
  virtual bool GetHintTextInRect(const TPoint&, TRect&, bool&, String&) const { return false; }
  virtual void PrepareCanvasFont(TcxCanvas&) {}
  virtual bool Repaint(TWinControl* AControl, TcxCustomEditViewInfo* AOldViewInfo);
  // Invalidates what differs from AOldViewInfo (all of the bounds, limited to AInnerRect,
  // without one); true when the frame or a button was repainted.
  virtual bool RepaintChanges(TWinControl* AControl, const TRect& AInnerRect, TcxCustomEditViewInfo* AOldViewInfo);

  std::vector<Owned<TcxEditButtonViewInfo>> ButtonsInfo;
  TRect InnerEditRect{};
  // The combo-list painting style's inner area: where the buttons and list text go.
  TRect ButtonAreaRect{};
  bool Enabled = true;
  bool Focused = false;
  TcxCustomEditProperties* Properties = nullptr;  // not owned
  TcxEditPopupBorderStyle PopupBorderStyle = TcxEditPopupBorderStyle::epbsDefault;
  Integer PressedButton = -1;
  Integer SelectedButton = -1;
  bool HasTextButton = false;
  bool IsButtonReallyPressed = false;
  bool IsInplace = false;
  bool Transparent = false;
  bool IsDBEditPaintCopyDrawing = false;
  TcxEditPaintOptions PaintOptions;
  // The inner edit sits inside the client rectangle with a margin to fill.
  bool HasInnerEditOffset = false;
  // The editor's inner edit control is there and visible.
  bool HasVisibleInnerEdit = false;
  // The colour of button captions whose own colour is clDefault.
  TColor TextColor = clBtnText;
  TFont* Font = nullptr;  // the style's, not owned
  TPoint ScrollOffset{0, 0};

  TcxEditDrawBackgroundEvent OnDrawBackground;
  TcxEditDrawButtonEvent OnDrawButton;
  TcxEditDrawButtonBackgroundEvent OnDrawButtonBackground;
  TcxEditGetButtonStateEvent OnGetButtonState;

  // Background (all of the client area, or only around the text), frame and buttons.
  void DrawFrameAndButtons(TcxCanvas& ACanvas, bool AFullBackground);
};

class TcxCustomEditViewData : public TPersistent {
  TL_CLASS(TcxCustomEditViewData, TPersistent)
 public:
  TcxCustomEditViewData(TcxCustomEditProperties* AProperties, TcxCustomEditStyle* AStyle, bool AIsInplace)
      : Properties(AProperties), Style(AStyle), IsInplace(AIsInplace) {}
  void AfterConstruction() override;

  // ---- virtual operations ----
  virtual bool CanPressButton(TcxCustomEditViewInfo* AViewInfo, Integer AButtonVisibleIndex);
  virtual TcxContainerState GetContainerState(const TRect& ABounds, const TPoint& P, TcxMouseButton AButton,
                                              TShiftState AShift, bool ACheckCapture);
  // Left, top, right, bottom.
  virtual TRect GetContentMargins() const;
  virtual void InitCacheData();
  // Content options and spacing of the editor kind; none in the base.
  virtual void InitEditContentParams(TcxEditContentParams& AParams);
  virtual void Initialize();
  virtual void EditValueToDisplayText(const Variant& AEditValue, String& AText);
  virtual TSize InternalGetEditContentSize(TcxCanvas& ACanvas, const Variant& AEditValue,
                                           const TcxEditSizeProperties& AEditSizeProperties);
  virtual bool IsButtonPressed(Integer AButtonIndex) const;
  // Lays the editor out into AViewInfo; AViewInfo's earlier content is the previous layout.
  virtual void Calculate(TcxCanvas& ACanvas, const TRect& ABounds, const TPoint& P, TcxMouseButton AButton,
                         TShiftState AShift, TcxCustomEditViewInfo* AViewInfo, bool AIsMouseEvent);
  virtual void CalculateButtonBounds(TcxCanvas& ACanvas, TcxCustomEditViewInfo* AViewInfo,
                                     Integer AButtonVisibleIndex, TRect& ButtonsRect);
  virtual void CalculateButtonsLayout(TcxCanvas& ACanvas, TcxCustomEditViewInfo* AViewInfo, const TPoint& P,
                                      TcxMouseButton AButton, TShiftState AShift, bool AIsMouseEvent);
  virtual void CalculateButtonViewInfo(TcxCanvas& ACanvas, TcxCustomEditViewInfo* AViewInfo, bool AIsFocused,
                                       Integer AButtonVisibleIndex);
  virtual TColor GetBorderColor() const;
  virtual TRect GetBorderExtent() const;
  virtual TcxEditBorderStyle GetEffectiveBorderStyle() const;
  virtual TRect GetClientExtent(TcxCanvas& ACanvas, TcxCustomEditViewInfo* AViewInfo);
  virtual TSize GetEditContentSize(TcxCanvas& ACanvas, const Variant& AEditValue,
                                   const TcxEditSizeProperties& AEditSizeProperties);
  // The constant part (borders and buttons) and the smallest content size.
  virtual TSize GetEditConstantPartSize(TcxCanvas& ACanvas, const TcxEditSizeProperties& AEditSizeProperties,
                                        TSize& AMinContentSize, TcxCustomEditViewInfo* AViewInfo = nullptr);
  virtual TSize GetBorderPaddingSize() const;
  virtual bool HasShadow() const;
  virtual bool IsNativeStyle(TcxLookAndFeel* ALookAndFeel) const;

  void CalculateViewInfoRects(TcxCustomEditViewInfo* AViewInfo);
  TSize CalculateEditSize(TcxCanvas& ACanvas, const Variant& AEditValue, TcxEditSizeProperties& AEditSizeProperties);
  void PrepareDisplayText(const Variant& AEditValue, String& AText);
  TcxCustomEditStyle* GetStyle() const { return Style; }
  void SetStyle(TcxCustomEditStyle* Value) { Style = Value; }

  TcxCustomEditProperties* Properties;  // not owned
  TcxCustomEditStyle* Style;            // not owned
  bool IsInplace;
  // Marked selected by an in-place host.
  bool Selected = false;
  // The editor being painted; nullptr when painting without a control.
  TcxContainer* Edit = nullptr;
  Integer LeftFirstButton = -1, LeftLastButton = -1, RightFirstButton = -1, RightLastButton = -1;
  TRect Bounds{};
  // Set by an in-place host; empty after Initialize.
  TRect InplaceBorderExtent{};
  TRect ExternalBorderBounds{};
  Integer VisibleButtonCount = 0;
  bool ButtonsOnly = false;
  TcxContainerState ContainerState{TcxContainerStateItem::csNormal};
  bool Hot = false;
  bool Enabled = true;
  bool Focused = false;
  TAlignment HorzAlignment = TAlignment::taLeftJustify;
  TcxEditVertAlignment VertAlignment = TcxEditVertAlignment::taTopJustify;
  bool NativeStyle = false;
  bool ValueSourceDiffers = false;
  TcxEditPaintOptions PaintOptions;
  TcxEditContentOptions ContentOptions;
  Integer HorzSpacing = 0, VertSpacing = 0;
  TRect SpacingRect{};
  // The editor paints a copy of data-bound contents; set by the editor that makes the view data.
  bool IsDBEditPaintCopyDrawing = false;
  TColor BackgroundColor = clDefault;
  TColor TextColor = clDefault;
  bool PreviewMode = false;
  TcxEditGetDefaultButtonWidthEvent OnGetDefaultButtonWidth;
  TcxEditViewDataGetDisplayTextEvent OnGetDisplayText;

 private:
  TcxEditButtonStyle ResolveButtonStyle() const;
  void StretchButtons(TcxCustomEditViewInfo* AViewInfo, Integer AWidth);
  void MarkOuterButtons(TcxCustomEditViewInfo* AViewInfo);
};

// Border width per border style (0, 1, 2, 2, 2, 1, 1).
Integer cxEditBorderWidth(TcxEditBorderStyle AStyle);
