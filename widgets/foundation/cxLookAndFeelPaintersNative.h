// The native family: draws with the visual-style theme of each kind of element through the
// theme manager's cached handles, and falls back to the Standard drawing whenever the
// kind's handle does not open (styles off, library absent, a function missing).
#pragma once

#include "platform/theme/UxTheme.h"
#include "widgets/foundation/cxLookAndFeelPainters.h"

class TcxWinXPLookAndFeelPainter : public TcxStandardLookAndFeelPainter {
 public:
  TcxLookAndFeelStyle LookAndFeelStyle() const override;
  TColor DefaultColor16() const override;
  TColor DefaultColor47() const override;
  TColor DefaultColor49() const override;

  void DrawArrow(TcxCanvas& ACanvas, const TRect& R, TcxArrowDirection ADirection, TColor AColor) const override;
  void DrawScrollBarArrow(TcxCanvas& ACanvas, TRect R, TcxButtonState AState, TcxArrowDirection ADirection,
                          bool ADrawAsButton) const override;
  void DrawPlainButton(TcxCanvas& ACanvas, const TRect& R, TcxButtonState AState) const override;
  Integer BorderSize() const override;
  void DrawBorder(TcxCanvas& ACanvas, TRect R) const override;
  TRect ButtonDrawBounds(const TRect& R) const override;
  Integer ButtonBorderSize(TcxButtonState AState = TcxButtonState::cxbsNormal) const override;
  TColor ButtonColor(TcxButtonState AState) const override;
  TRect ButtonContentBounds(const TRect& R) const override;
  TRect ButtonGroupBorderSizes(Integer AButtonCount, Integer AButtonIndex) const override;
  Integer ButtonTextOffset() const override;
  Integer ButtonTextShift() const override;
  TColor ButtonSymbolColor(TcxButtonState AState, TColor ADefaultColor = clDefault) const override;
  void DrawButton(TcxCanvas& ACanvas, TRect R, const String& ACaption, TcxButtonState AState,
                  bool ADrawBorder = true, TColor AColor = clDefault, TColor ATextColor = clDefault) const override;

  void DrawExpandButton(TcxCanvas& ACanvas, const TRect& R, bool AExpanded, TColor AColor = clDefault) const override;
  bool ExpandButtonOpaque() const override;
  void DrawGroupExpandButton(TcxCanvas& ACanvas, const TRect& R, bool AExpanded,
                             TcxButtonState AState) const override;
  void DrawSmallExpandButton(TcxCanvas& ACanvas, const TRect& R, bool AExpanded, TColor ABorderColor,
                             TColor AColor = clDefault) const override;
  Integer ExpandButtonSize() const override;
  Integer GroupExpandButtonSize() const override;
  bool IsScrollBarHotTracked() const override;
  bool IsPointOverGroupExpandButton(const TRect& R, const TPoint& P) const override;
  Integer SmallExpandButtonSize() const override;

  Integer CheckBorderSize() const override;
  void DrawCheck(TcxCanvas& ACanvas, const TRect& R, TcxButtonState AState, bool AChecked,
                 TColor AColor) const override;
  void DrawCheckBorder(TcxCanvas& ACanvas, TRect R, TcxButtonState AState) const override;
  void DrawRadioButton(TcxCanvas& ACanvas, Integer X, Integer Y, TcxButtonState AState, bool AChecked, bool AFocused,
                       TColor ABrushColor, bool AIsDesigning = false) const override;

  void DrawHeader(TcxCanvas& ACanvas, const TRect& ABounds, const TRect& ATextAreaBounds, TcxNeighbors ANeighbors,
                  TcxBorders ABorders, TcxButtonState AState, TAlignment AAlignmentHorz,
                  TcxAlignmentVert AAlignmentVert, bool AMultiLine, bool AShowEndEllipsis, const String& AText,
                  TFont* AFont, TColor ATextColor, TColor ABkColor,
                  const TcxDrawBackgroundEvent& AOnDrawBackground = nullptr, bool AIsLast = false) const override;
  void DrawInvertedRect(TcxCanvas& ACanvas, const TRect& R) const override;
  void DrawButtonCell(TcxCanvas& ACanvas, const TRect& R, TcxButtonState AState, TcxBorders ABorders,
                      const String& AText, TFont* AFont, TAlignment AAlignmentHorz, TcxAlignmentVert AAlignmentVert,
                      TColor ATextColor, TColor ABkColor) const override;
  void DrawSortingMark(TcxCanvas& ACanvas, const TRect& R, bool AAscending) const override;
  Integer HeaderBorderSize() const override;
  bool HeaderFlag() const override;
  Integer ButtonCellBorderSize(TcxButtonState AState) const override;
  TRect ButtonCellContentBounds(const TRect& R) const override;
  bool ButtonCellFlag() const override;
  TPoint SortingMarkSize() const override;

  void DrawSunkenBox(TcxCanvas& ACanvas, const TRect& R, TAlignment AAlignmentHorz, TcxAlignmentVert AAlignmentVert,
                     bool AMultiLine, const String& AText, TFont* AFont, TColor ATextColor, TColor ABkColor,
                     const TcxDrawBackgroundEvent& AOnDrawBackground = nullptr) const override;
  Integer RaisedFrameWidth() const override;
  Integer SunkenFrameWidth() const override;
  Integer SunkenBoxOuterWidth() const override;
  bool SunkenBoxFlag() const override;
  void DrawRaisedFrame(TcxCanvas& ACanvas, const TRect& R) const override;

  void DrawCloseButton(TcxCanvas& ACanvas, const TRect& R, TcxButtonState AState) const override;
  void DrawDropDownButton(TcxCanvas& ACanvas, const TRect& R, TcxButtonState AState, bool AIsActive) const override;
  TPoint CheckButtonSize() const override;
  TPoint CloseButtonSize() const override;
  TPoint ButtonSize138() const override;
  TPoint AutoHideButtonSize() const override;
  void DrawPlusButton(TcxCanvas& ACanvas, const TRect& R, TcxButtonState AState) const override;
  void DrawAutoHideButton(TcxCanvas& ACanvas, const TRect& R, TcxButtonState AState, bool APinned,
                          TColor ABkColor) const override;
  void DrawTab(TcxCanvas& ACanvas, const TRect& R, TcxBorders ABorders, const String& AText, TcxButtonState AState,
               bool AVertical, TFont* AFont, TColor ATextColor, TColor ABkColor) const override;
  void DrawTabBorder(TcxCanvas& ACanvas, const TRect& R, TcxBorder ABorder, TcxBorders ABorders,
                     bool AVertical) const override;
  void DrawTabsRoot(TcxCanvas& ACanvas, const TRect& R, TcxBorders ABorders, bool AVertical) const override;
  bool IsTabHotTracked() const override;
  bool IsTabNative() const override;
  Integer TabBorderSize(bool AVertical) const override;
  void DrawIndicatorItem(TcxCanvas& ACanvas, const TRect& R, TcxIndicatorKind AKind, TColor AColor,
                         const TcxDrawBackgroundEvent& AOnDrawBackground = nullptr) const override;
  void DrawScrollBarPart(TcxCanvas& ACanvas, bool AHorizontal, TRect R, TcxScrollBarPart APart,
                         TcxButtonState AState) const override;
  void DrawHeaderWithArrows(TcxCanvas& ACanvas, const TRect& R, const String& AText, TcxNeighbors ANeighbors,
                            const TcxViewParams& AViewParams, TcxHeaderArrows AArrows, Integer AArrowOffset,
                            const TcxDrawBackgroundEvent& AOnDrawBackground = nullptr) const override;
  void DrawToolButton(TcxCanvas& ACanvas, const TRect& R, TcxButtonState AState) const override;
  void DrawBar(TcxCanvas& ACanvas, const TRect& R, bool AHorizontal, const TcxPaintParams& ABackground) const override;

  // Text in a theme's font rendering for a part and state; the canvas font and colour are
  // set first. Nothing for empty text.
  virtual void DrawThemedText(TcxCanvas& ACanvas, HTHEME ATheme, Integer APart, Integer AState, TRect R,
                              TAlignment AAlignmentHorz, TcxAlignmentVert AAlignmentVert, bool AMultiLine,
                              bool AShowEndEllipsis, bool AShowPrefix, const String& AText, TFont* AFont,
                              TColor ATextColor) const;
};

// The theme states of the button states (order cxbsDefault .. cxbsDisabled).
int cxWinXPPushButtonState(TcxButtonState AState);
int cxWinXPCheckBoxState(TcxButtonState AState, bool AChecked);
int cxWinXPScrollArrowState(TcxButtonState AState, TcxArrowDirection ADirection);

// The native family's instance, registered with cxRegisterNativePainter at start-up.
const TcxCustomLookAndFeelPainter* cxNativePainter();
