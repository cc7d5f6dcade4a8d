// Painters: stateless drawing families. Each family is one const object with virtual
// operations and no data; callers hold `const TcxCustomLookAndFeelPainter*` and never
// create or free one. The operations keep a fixed declaration order that every family
// follows.
#pragma once

#include "classlib/core/Classes.h"
#include "widgets/foundation/cxClasses.h"
#include "widgets/foundation/cxGraphics.h"

#include <array>
#include <functional>

TL_ENUM(TcxLookAndFeelStyle, lfsFlat, lfsStandard, lfsUltraFlat, lfsNative, lfsOffice11);
TL_ENUM(TcxButtonState, cxbsDefault, cxbsNormal, cxbsHot, cxbsPressed, cxbsDisabled);
TL_ENUM(TcxArrowDirection, adUp, adDown, adLeft, adRight);
TL_ENUM(TcxHeaderArrows, haNone, haLeft, haRight, haBoth);
TL_ENUM(TcxIndicatorKind, ikNone, ikArrow, ikEdit, ikInsert, ikMultiDot, ikMultiArrow);
TL_ENUM(TcxNeighbor, nLeft, nTop, nRight, nBottom);
using TcxNeighbors = Set<TcxNeighbor>;
TL_ENUM(TcxScrollBarPart, sbpNone, sbpLineUp, sbpLineDown, sbpThumbnail, sbpPageUp, sbpPageDown);
TL_ENUM(TcxPopupBorderStyle, pbsNone, pbsUltraFlat, pbsFlat, pbs3D);

// Answers True when it painted the background itself, so the default fill is skipped.
using TcxDrawBackgroundEvent = std::function<bool(TcxCanvas& ACanvas, const TRect& ABounds)>;

using TcxArrowPoints = std::array<TPoint, 3>;

// The view parameters of a header drawn with arrows.
struct TcxViewParams {
  TColor Color = clDefault;
  TFont* Font = nullptr;
  TColor TextColor = clDefault;
};

class TcxCustomLookAndFeelPainter {
 public:
  TcxCustomLookAndFeelPainter() = default;
  TcxCustomLookAndFeelPainter(const TcxCustomLookAndFeelPainter&) = delete;
  TcxCustomLookAndFeelPainter& operator=(const TcxCustomLookAndFeelPainter&) = delete;
  virtual ~TcxCustomLookAndFeelPainter() = default;

  // Drawing primitives and style
  virtual void DrawDropDownGlyph(TcxCanvas& ACanvas, const TRect& R, TColor AColor) const;
  virtual void DrawContent(TcxCanvas& ACanvas, const TRect& ABounds, const TRect& ATextAreaBounds,
                           Integer AState, TAlignment AAlignmentHorz, TcxAlignmentVert AAlignmentVert,
                           bool AMultiLine, bool AShowEndEllipsis, const String& AText, TFont* AFont,
                           TColor ATextColor, TColor ABkColor,
                           const TcxDrawBackgroundEvent& AOnDrawBackground, bool AIsLast) const;
  virtual TRect SunkenBoxContentBounds(const TRect& R) const;
  virtual TRect SunkenBoxTextBounds(const TRect& R) const;
  virtual TcxLookAndFeelStyle LookAndFeelStyle() const;
  virtual Integer DefaultValue5() const;
  virtual Integer DefaultValue6() const;
  virtual Integer DefaultValue7() const;

  // Default colours
  virtual TColor DefaultColor8() const;
  virtual TColor DefaultColor9() const;
  virtual TColor DefaultColor10() const;
  virtual TColor DefaultColor11() const;
  virtual TColor DefaultColor12() const;
  virtual TColor DefaultColor13() const;
  virtual TColor DefaultColor14() const;
  virtual TColor DefaultColor15() const;
  virtual TColor DefaultColor16() const;
  virtual TColor DefaultColor17() const;
  virtual TColor DefaultColor18() const;
  virtual TColor DefaultColor19() const;
  virtual TColor DefaultColor20() const;
  virtual TColor DefaultColor21() const;
  virtual TColor DefaultColor22() const;
  virtual TColor DefaultColor23() const;
  virtual TColor DefaultColor24() const;
  virtual TColor DefaultColor25() const;
  virtual TColor DefaultColor26() const;
  virtual TColor DefaultColor27() const;
  virtual TColor DefaultColor28() const;
  virtual TColor DefaultColor29() const;
  virtual TColor DefaultColor30() const;
  virtual TColor DefaultColor31() const;
  virtual TColor DefaultColor32() const;
  virtual TColor DefaultColor33() const;
  virtual TColor DefaultColor34() const;
  virtual TColor DefaultColor35() const;
  virtual TColor DefaultColor36() const;
  virtual TColor DefaultColor37() const;
  virtual TColor DefaultColor38() const;
  virtual TColor DefaultColor39() const;
  virtual TColor DefaultColor40() const;
  virtual TColor DefaultColor41() const;
  virtual TColor DefaultColor42() const;
  virtual TColor DefaultColor43() const;
  virtual TColor DefaultColor44() const;
  virtual TColor DefaultColor45() const;
  virtual TColor DefaultColor46() const;
  virtual TColor DefaultColor47() const;
  virtual TColor DefaultColor48() const;
  virtual TColor DefaultColor49() const;
  virtual TColor DefaultColor50() const;
  virtual TColor DefaultColor51() const;
  virtual TColor DefaultColor52() const;
  virtual TColor DefaultColor53() const;
  virtual TColor DefaultColor54() const;
  virtual TColor DefaultColor55() const;
  virtual TColor DefaultColor56() const;
  virtual TColor DefaultColor57() const;
  virtual TColor DefaultColor58() const;
  virtual TColor DefaultColor59() const;
  virtual TColor DefaultColor60() const;
  virtual TColor DefaultColor61() const;

  // Arrows, buttons and borders
  virtual void DrawArrow(TcxCanvas& ACanvas, const TRect& R, TcxArrowDirection ADirection, TColor AColor) const;
  virtual void DrawScrollBarArrow(TcxCanvas& ACanvas, TRect R, TcxButtonState AState,
                                  TcxArrowDirection ADirection, bool ADrawAsButton) const;
  virtual void DrawPlainButton(TcxCanvas& ACanvas, const TRect& R, TcxButtonState AState) const;
  virtual void DrawButtonArrow(TcxCanvas& ACanvas, const TRect& R, TcxButtonState AState,
                               TcxArrowDirection ADirection) const;
  virtual Integer BorderSize() const;
  virtual void DrawBorder(TcxCanvas& ACanvas, TRect R) const;
  virtual TRect ButtonDrawBounds(const TRect& R) const;
  virtual Integer ButtonBorderSize(TcxButtonState AState = TcxButtonState::cxbsNormal) const;
  virtual TColor ButtonColor(TcxButtonState AState) const;
  virtual TRect ButtonContentBounds(const TRect& R) const;
  virtual TRect ButtonGroupBorderSizes(Integer AButtonCount, Integer AButtonIndex) const;
  virtual Integer ButtonTextOffset() const;
  virtual Integer ButtonTextShift() const;
  virtual TColor ButtonSymbolColor(TcxButtonState AState, TColor ADefaultColor = clDefault) const;
  virtual TcxButtonState ButtonSymbolState(TcxButtonState AState) const;
  virtual void DrawButton(TcxCanvas& ACanvas, TRect R, const String& ACaption, TcxButtonState AState,
                          bool ADrawBorder = true, TColor AColor = clDefault,
                          TColor ATextColor = clDefault) const;
  virtual void DrawButtonInGroup(TcxCanvas& ACanvas, const TRect& R, TcxButtonState AState,
                                 Integer AButtonCount, Integer AButtonIndex, TColor AFrameColor) const;
  virtual void DrawButtonBorder(TcxCanvas& ACanvas, TRect R, TcxButtonState AState) const;
  virtual void DrawStateFrame(TcxCanvas& ACanvas, const TRect& R, bool AFirst, bool ASecond) const;

  // Expand buttons
  virtual void DrawExpandButton(TcxCanvas& ACanvas, const TRect& R, bool AExpanded,
                                TColor AColor = clDefault) const;
  virtual bool ExpandButtonOpaque() const;
  virtual void DrawGroupExpandButton(TcxCanvas& ACanvas, const TRect& R, bool AExpanded,
                                     TcxButtonState AState) const;
  virtual void DrawSmallExpandButton(TcxCanvas& ACanvas, const TRect& R, bool AExpanded, TColor ABorderColor,
                                     TColor AColor = clDefault) const;
  virtual Integer ExpandButtonSize() const;
  virtual Integer GroupExpandButtonSize() const;
  virtual bool IsScrollBarHotTracked() const;
  virtual bool IsPointOverGroupExpandButton(const TRect& R, const TPoint& P) const;
  virtual Integer SmallExpandButtonSize() const;

  // Check boxes and radio buttons
  virtual Integer CheckBorderSize() const;
  virtual TColor CheckButtonColor(TcxButtonState AState) const;
  virtual void DrawCheck(TcxCanvas& ACanvas, const TRect& R, TcxButtonState AState, bool AChecked,
                         TColor AColor) const;
  virtual void DrawCheckBorder(TcxCanvas& ACanvas, TRect R, TcxButtonState AState) const;
  virtual void DrawCheckButton(TcxCanvas& ACanvas, TRect R, TcxButtonState AState, bool AChecked) const;
  virtual void DrawRadioButton(TcxCanvas& ACanvas, Integer X, Integer Y, TcxButtonState AState, bool AChecked,
                               bool AFocused, TColor ABrushColor, bool AIsDesigning = false) const;

  // Header sections and button cells
  virtual void DrawHeader(TcxCanvas& ACanvas, const TRect& ABounds, const TRect& ATextAreaBounds,
                          TcxNeighbors ANeighbors, TcxBorders ABorders, TcxButtonState AState,
                          TAlignment AAlignmentHorz, TcxAlignmentVert AAlignmentVert, bool AMultiLine,
                          bool AShowEndEllipsis, const String& AText, TFont* AFont, TColor ATextColor,
                          TColor ABkColor, const TcxDrawBackgroundEvent& AOnDrawBackground = nullptr,
                          bool AIsLast = false) const;
  virtual void DrawHeaderSection(TcxCanvas& ACanvas, const TRect& ABounds, TcxNeighbors ANeighbors,
                                 TcxBorders ABorders, TcxButtonState AState, TAlignment AAlignmentHorz,
                                 TcxAlignmentVert AAlignmentVert, bool AMultiLine, bool AShowEndEllipsis,
                                 const String& AText, TFont* AFont, TColor ATextColor, TColor ABkColor,
                                 const TcxDrawBackgroundEvent& AOnDrawBackground = nullptr,
                                 bool AIsLast = false) const;
  virtual void DrawHeaderBorder(TcxCanvas& ACanvas, const TRect& R, TcxNeighbors ANeighbors,
                                TcxBorders ABorders) const;
  virtual void DrawInvertedRect(TcxCanvas& ACanvas, const TRect& R) const;
  virtual void DrawButtonCell(TcxCanvas& ACanvas, const TRect& R, TcxButtonState AState, TcxBorders ABorders,
                              const String& AText, TFont* AFont, TAlignment AAlignmentHorz,
                              TcxAlignmentVert AAlignmentVert, TColor ATextColor, TColor ABkColor) const;
  virtual void DrawButtonCellBorder(TcxCanvas& ACanvas, TRect R, TcxButtonState AState,
                                    TcxBorders ABorders) const;
  virtual void DrawButtonCellContent(TcxCanvas& ACanvas, const TRect& R, TcxButtonState AState,
                                     const String& AText, TFont* AFont, TAlignment AAlignmentHorz,
                                     TcxAlignmentVert AAlignmentVert, TColor ATextColor, TColor ABkColor) const;
  virtual void DrawButtonCellText(TcxCanvas& ACanvas, const TRect& R, TFont* AFont, TColor ATextColor,
                                  const String& AText, TAlignment AAlignmentHorz,
                                  TcxAlignmentVert AAlignmentVert, TcxButtonState AState) const;
  virtual void DrawSortingMark(TcxCanvas& ACanvas, const TRect& R, bool AAscending) const;
  virtual TcxBorders HeaderBorders(TcxNeighbors ANeighbors) const;
  virtual Integer HeaderBorderSize() const;
  virtual TRect HeaderContentBounds(const TRect& R, TcxNeighbors ANeighbors, TcxBorders ABorders) const;
  virtual TRect HeaderDrawCellBounds(const TRect& R, TcxBorders ABorders) const;
  virtual bool HeaderFlag() const;
  virtual Integer HeaderHeight(Integer AFontHeight) const;
  virtual Integer ButtonCellBorderSize(TcxButtonState AState) const;
  virtual TRect ButtonCellTextBounds(const TRect& R, TcxButtonState AState) const;
  virtual TRect ButtonCellContentBounds(const TRect& R) const;
  virtual Integer HeaderWidth(TcxCanvas& ACanvas, TcxBorders ABorders, TFont* AFont, const String& AText) const;
  virtual bool ButtonCellFlag() const;
  virtual TPoint SortingMarkAreaSize() const;
  virtual TPoint SortingMarkSize() const;

  // Sunken boxes, frames and separators
  virtual void DrawSunkenBox(TcxCanvas& ACanvas, const TRect& R, TAlignment AAlignmentHorz,
                             TcxAlignmentVert AAlignmentVert, bool AMultiLine, const String& AText, TFont* AFont,
                             TColor ATextColor, TColor ABkColor,
                             const TcxDrawBackgroundEvent& AOnDrawBackground = nullptr) const;
  virtual TcxBorders SunkenBoxBorders() const;
  virtual Integer RaisedFrameWidth() const;
  virtual Integer SunkenFrameWidth() const;
  virtual Integer SunkenBoxOuterWidth() const;
  virtual bool SunkenBoxFlag() const;
  virtual TColor SeparatorColor() const;
  virtual Integer SeparatorWidth() const;
  virtual void DrawRaisedFrame(TcxCanvas& ACanvas, const TRect& R) const;
  virtual void DrawSunkenFrame(TcxCanvas& ACanvas, const TRect& R) const;
  virtual void DrawSeparator(TcxCanvas& ACanvas, const TRect& R) const;
  virtual void DrawItemCheckButton(TcxCanvas& ACanvas, const TRect& R, TcxButtonState AState,
                                   bool AChecked) const;

  // Small buttons, tabs, indicators, scroll bars and bars
  virtual void DrawCloseButton(TcxCanvas& ACanvas, const TRect& R, TcxButtonState AState) const;
  virtual void DrawDropDownButton(TcxCanvas& ACanvas, const TRect& R, TcxButtonState AState,
                                  bool AIsActive) const;
  virtual TPoint CheckButtonSize() const;
  virtual TPoint CloseButtonSize() const;
  virtual TPoint SmallButtonSize() const;
  virtual bool SmallButtonFlag() const;
  virtual TPoint ButtonSize136() const;
  virtual TPoint ButtonSize137() const;
  virtual TPoint ButtonSize138() const;
  virtual TPoint AutoHideButtonSize() const;
  virtual TPoint ButtonSize140() const;
  virtual void DrawPlusButton(TcxCanvas& ACanvas, const TRect& R, TcxButtonState AState) const;
  virtual void DrawPlusGlyph(TcxCanvas& ACanvas, const TRect& R, TcxButtonState AState) const;
  virtual void DrawAutoHideButton(TcxCanvas& ACanvas, const TRect& R, TcxButtonState AState, bool APinned,
                                  TColor ABkColor) const;
  // The arguments after the rectangle are free: no control of this program draws tabs this way.
  virtual void DrawTab(TcxCanvas& ACanvas, const TRect& R, TcxBorders ABorders, const String& AText,
                       TcxButtonState AState, bool AVertical, TFont* AFont, TColor ATextColor,
                       TColor ABkColor) const;
  virtual void DrawTabBorder(TcxCanvas& ACanvas, const TRect& R, TcxBorder ABorder, TcxBorders ABorders,
                             bool AVertical) const;
  virtual void DrawTabsRoot(TcxCanvas& ACanvas, const TRect& R, TcxBorders ABorders, bool AVertical) const;
  virtual bool IsTabHotTracked() const;
  virtual bool IsTabNative() const;
  virtual Integer TabBorderSize(bool AVertical) const;
  virtual void DrawIndicatorItem(TcxCanvas& ACanvas, const TRect& R, TcxIndicatorKind AKind, TColor AColor,
                                 const TcxDrawBackgroundEvent& AOnDrawBackground = nullptr) const;
  virtual void DrawIndicatorItemEx(TcxCanvas& ACanvas, const TRect& R, TcxIndicatorKind AKind, TColor AColor,
                                   const TcxDrawBackgroundEvent& AOnDrawBackground = nullptr) const;
  virtual bool IndicatorFlag() const;
  virtual void DrawScrollBarPart(TcxCanvas& ACanvas, bool AHorizontal, TRect R, TcxScrollBarPart APart,
                                 TcxButtonState AState) const;
  virtual void DrawHeaderWithArrows(TcxCanvas& ACanvas, const TRect& R, const String& AText,
                                    TcxNeighbors ANeighbors, const TcxViewParams& AViewParams,
                                    TcxHeaderArrows AArrows, Integer AArrowOffset,
                                    const TcxDrawBackgroundEvent& AOnDrawBackground = nullptr) const;
  virtual void DrawFrameBorder(TcxCanvas& ACanvas, const TRect& R) const;
  virtual void DrawToolButton(TcxCanvas& ACanvas, const TRect& R, TcxButtonState AState) const;
  virtual void DrawBar(TcxCanvas& ACanvas, const TRect& R, bool AHorizontal, const TcxPaintParams& ABackground) const;

  // Queries the controls and editors ask that the list above lacks.
  virtual TColor DefaultSelectionColor() const;      // DefaultColor43
  virtual TColor DefaultSelectionTextColor() const;  // DefaultColor44
  // The focus rectangle of a push button drawn in R: ButtonContentBounds.
  virtual TRect ButtonFocusRect(TcxCanvas& ACanvas, const TRect& R) const;
  // Whether buttons take a hot look under the mouse (False: hot draws as normal).
  virtual bool IsButtonHotTrack() const;
  // The size of the radio glyph DrawRadioButton draws.
  virtual TPoint RadioButtonSize() const;

  // Three corners of the arrow triangle in R; with ASquare the rect is first trimmed to a square.
  static TcxArrowPoints CalculateArrowPoints(TRect R, TcxArrowDirection ADirection, bool ASquare);
};

class TcxStandardLookAndFeelPainter : public TcxCustomLookAndFeelPainter {
 public:
  TcxLookAndFeelStyle LookAndFeelStyle() const override;
  TColor DefaultColor49() const override;
  Integer BorderSize() const override;
  void DrawBorder(TcxCanvas& ACanvas, TRect R) const override;
  Integer ButtonBorderSize(TcxButtonState AState = TcxButtonState::cxbsNormal) const override;
  Integer ButtonTextOffset() const override;
  Integer ButtonTextShift() const override;
  void DrawButtonBorder(TcxCanvas& ACanvas, TRect R, TcxButtonState AState) const override;
  void DrawExpandButton(TcxCanvas& ACanvas, const TRect& R, bool AExpanded, TColor AColor = clDefault) const override;
  void DrawGroupExpandButton(TcxCanvas& ACanvas, const TRect& R, bool AExpanded,
                             TcxButtonState AState) const override;
  Integer ExpandButtonSize() const override;
  bool IsScrollBarHotTracked() const override;
  void DrawCheckBorder(TcxCanvas& ACanvas, TRect R, TcxButtonState AState) const override;
  void DrawHeaderBorder(TcxCanvas& ACanvas, const TRect& R, TcxNeighbors ANeighbors,
                        TcxBorders ABorders) const override;
  void DrawButtonCellBorder(TcxCanvas& ACanvas, TRect R, TcxButtonState AState, TcxBorders ABorders) const override;
  void DrawSortingMark(TcxCanvas& ACanvas, const TRect& R, bool AAscending) const override;
  Integer HeaderBorderSize() const override;
  Integer ButtonCellBorderSize(TcxButtonState AState) const override;
  TPoint SortingMarkSize() const override;
  Integer RaisedFrameWidth() const override;
  Integer SunkenFrameWidth() const override;
  Integer SunkenBoxOuterWidth() const override;
  void DrawRaisedFrame(TcxCanvas& ACanvas, const TRect& R) const override;
  void DrawSunkenFrame(TcxCanvas& ACanvas, const TRect& R) const override;
  void DrawDropDownButton(TcxCanvas& ACanvas, const TRect& R, TcxButtonState AState, bool AIsActive) const override;
  void DrawPlusGlyph(TcxCanvas& ACanvas, const TRect& R, TcxButtonState AState) const override;
  void DrawTabBorder(TcxCanvas& ACanvas, const TRect& R, TcxBorder ABorder, TcxBorders ABorders,
                     bool AVertical) const override;
  void DrawTabsRoot(TcxCanvas& ACanvas, const TRect& R, TcxBorders ABorders, bool AVertical) const override;
  Integer TabBorderSize(bool AVertical) const override;
  void DrawScrollBarPart(TcxCanvas& ACanvas, bool AHorizontal, TRect R, TcxScrollBarPart APart,
                         TcxButtonState AState) const override;
  void DrawHeaderWithArrows(TcxCanvas& ACanvas, const TRect& R, const String& AText, TcxNeighbors ANeighbors,
                            const TcxViewParams& AViewParams, TcxHeaderArrows AArrows, Integer AArrowOffset,
                            const TcxDrawBackgroundEvent& AOnDrawBackground = nullptr) const override;
  void DrawBar(TcxCanvas& ACanvas, const TRect& R, bool AHorizontal, const TcxPaintParams& ABackground) const override;
};

class TcxFlatLookAndFeelPainter : public TcxCustomLookAndFeelPainter {
 public:
  TcxLookAndFeelStyle LookAndFeelStyle() const override;
  Integer BorderSize() const override;
  void DrawBorder(TcxCanvas& ACanvas, TRect R) const override;
  Integer ButtonBorderSize(TcxButtonState AState = TcxButtonState::cxbsNormal) const override;
  Integer ButtonTextOffset() const override;
  Integer ButtonTextShift() const override;
  void DrawButtonBorder(TcxCanvas& ACanvas, TRect R, TcxButtonState AState) const override;
  void DrawExpandButton(TcxCanvas& ACanvas, const TRect& R, bool AExpanded, TColor AColor = clDefault) const override;
  Integer ExpandButtonSize() const override;
  bool IsScrollBarHotTracked() const override;
  void DrawCheckBorder(TcxCanvas& ACanvas, TRect R, TcxButtonState AState) const override;
  void DrawHeaderBorder(TcxCanvas& ACanvas, const TRect& R, TcxNeighbors ANeighbors,
                        TcxBorders ABorders) const override;
  void DrawButtonCellBorder(TcxCanvas& ACanvas, TRect R, TcxButtonState AState, TcxBorders ABorders) const override;
  void DrawSortingMark(TcxCanvas& ACanvas, const TRect& R, bool AAscending) const override;
  Integer HeaderBorderSize() const override;
  TPoint SortingMarkSize() const override;
  Integer RaisedFrameWidth() const override;
  Integer SunkenFrameWidth() const override;
  Integer SunkenBoxOuterWidth() const override;
  void DrawRaisedFrame(TcxCanvas& ACanvas, const TRect& R) const override;
  void DrawSunkenFrame(TcxCanvas& ACanvas, const TRect& R) const override;
  void DrawDropDownButton(TcxCanvas& ACanvas, const TRect& R, TcxButtonState AState, bool AIsActive) const override;
  void DrawPlusGlyph(TcxCanvas& ACanvas, const TRect& R, TcxButtonState AState) const override;
  void DrawTabBorder(TcxCanvas& ACanvas, const TRect& R, TcxBorder ABorder, TcxBorders ABorders,
                     bool AVertical) const override;
  void DrawTabsRoot(TcxCanvas& ACanvas, const TRect& R, TcxBorders ABorders, bool AVertical) const override;
  Integer TabBorderSize(bool AVertical) const override;
  void DrawScrollBarPart(TcxCanvas& ACanvas, bool AHorizontal, TRect R, TcxScrollBarPart APart,
                         TcxButtonState AState) const override;
  void DrawBar(TcxCanvas& ACanvas, const TRect& R, bool AHorizontal, const TcxPaintParams& ABackground) const override;
};

class TcxUltraFlatLookAndFeelPainter : public TcxCustomLookAndFeelPainter {
 public:
  TcxLookAndFeelStyle LookAndFeelStyle() const override;
  TColor DefaultColor16() const override;
  TColor DefaultColor47() const override;
  Integer BorderSize() const override;
  void DrawBorder(TcxCanvas& ACanvas, TRect R) const override;
  Integer ButtonBorderSize(TcxButtonState AState = TcxButtonState::cxbsNormal) const override;
  TColor ButtonColor(TcxButtonState AState) const override;
  TRect ButtonContentBounds(const TRect& R) const override;
  TRect ButtonGroupBorderSizes(Integer AButtonCount, Integer AButtonIndex) const override;
  Integer ButtonTextOffset() const override;
  Integer ButtonTextShift() const override;
  TColor ButtonSymbolColor(TcxButtonState AState, TColor ADefaultColor = clDefault) const override;
  TcxButtonState ButtonSymbolState(TcxButtonState AState) const override;
  void DrawButtonInGroup(TcxCanvas& ACanvas, const TRect& R, TcxButtonState AState, Integer AButtonCount,
                         Integer AButtonIndex, TColor AFrameColor) const override;
  void DrawButtonBorder(TcxCanvas& ACanvas, TRect R, TcxButtonState AState) const override;
  void DrawStateFrame(TcxCanvas& ACanvas, const TRect& R, bool AFirst, bool ASecond) const override;
  void DrawExpandButton(TcxCanvas& ACanvas, const TRect& R, bool AExpanded, TColor AColor = clDefault) const override;
  Integer ExpandButtonSize() const override;
  bool IsScrollBarHotTracked() const override;
  void DrawCheckBorder(TcxCanvas& ACanvas, TRect R, TcxButtonState AState) const override;
  void DrawHeaderSection(TcxCanvas& ACanvas, const TRect& ABounds, TcxNeighbors ANeighbors, TcxBorders ABorders,
                         TcxButtonState AState, TAlignment AAlignmentHorz, TcxAlignmentVert AAlignmentVert,
                         bool AMultiLine, bool AShowEndEllipsis, const String& AText, TFont* AFont,
                         TColor ATextColor, TColor ABkColor, const TcxDrawBackgroundEvent& AOnDrawBackground = nullptr,
                         bool AIsLast = false) const override;
  void DrawHeaderBorder(TcxCanvas& ACanvas, const TRect& R, TcxNeighbors ANeighbors,
                        TcxBorders ABorders) const override;
  void DrawButtonCellBorder(TcxCanvas& ACanvas, TRect R, TcxButtonState AState, TcxBorders ABorders) const override;
  void DrawButtonCellContent(TcxCanvas& ACanvas, const TRect& R, TcxButtonState AState, const String& AText,
                             TFont* AFont, TAlignment AAlignmentHorz, TcxAlignmentVert AAlignmentVert,
                             TColor ATextColor, TColor ABkColor) const override;
  void DrawSortingMark(TcxCanvas& ACanvas, const TRect& R, bool AAscending) const override;
  TcxBorders HeaderBorders(TcxNeighbors ANeighbors) const override;
  Integer HeaderBorderSize() const override;
  TPoint SortingMarkSize() const override;
  TcxBorders SunkenBoxBorders() const override;
  Integer RaisedFrameWidth() const override;
  Integer SunkenFrameWidth() const override;
  Integer SunkenBoxOuterWidth() const override;
  void DrawRaisedFrame(TcxCanvas& ACanvas, const TRect& R) const override;
  void DrawSunkenFrame(TcxCanvas& ACanvas, const TRect& R) const override;
  void DrawDropDownButton(TcxCanvas& ACanvas, const TRect& R, TcxButtonState AState, bool AIsActive) const override;
  TPoint CloseButtonSize() const override;
  TPoint ButtonSize138() const override;
  void DrawTabBorder(TcxCanvas& ACanvas, const TRect& R, TcxBorder ABorder, TcxBorders ABorders,
                     bool AVertical) const override;
  void DrawTabsRoot(TcxCanvas& ACanvas, const TRect& R, TcxBorders ABorders, bool AVertical) const override;
  Integer TabBorderSize(bool AVertical) const override;
  void DrawScrollBarPart(TcxCanvas& ACanvas, bool AHorizontal, TRect R, TcxScrollBarPart APart,
                         TcxButtonState AState) const override;
  void DrawToolButton(TcxCanvas& ACanvas, const TRect& R, TcxButtonState AState) const override;
  void DrawBar(TcxCanvas& ACanvas, const TRect& R, bool AHorizontal, const TcxPaintParams& ABackground) const override;
  bool IsButtonHotTrack() const override;

  virtual TColor BorderColorForState(TcxButtonState AState) const;
  virtual TColor ShadowColor() const;
  virtual TColor TextColorForBorder() const;
  virtual TColor HighlightColor() const;
};

class TcxOffice11LookAndFeelPainter : public TcxUltraFlatLookAndFeelPainter {
 public:
  TcxLookAndFeelStyle LookAndFeelStyle() const override;
  void DrawContent(TcxCanvas& ACanvas, const TRect& ABounds, const TRect& ATextAreaBounds, Integer AState,
                   TAlignment AAlignmentHorz, TcxAlignmentVert AAlignmentVert, bool AMultiLine,
                   bool AShowEndEllipsis, const String& AText, TFont* AFont, TColor ATextColor, TColor ABkColor,
                   const TcxDrawBackgroundEvent& AOnDrawBackground, bool AIsLast) const override;
  TColor DefaultColor14() const override;
  TColor DefaultColor24() const override;
  TColor DefaultColor25() const override;
  TColor DefaultColor27() const override;
  TColor DefaultColor28() const override;
  TColor DefaultColor30() const override;
  TColor DefaultColor32() const override;
  TColor DefaultColor33() const override;
  TColor DefaultColor34() const override;
  TColor DefaultColor36() const override;
  TColor DefaultColor42() const override;
  TColor DefaultColor43() const override;
  TColor DefaultColor44() const override;
  TColor DefaultColor47() const override;
  TColor DefaultColor48() const override;
  TColor DefaultColor54() const override;
  TColor DefaultColor56() const override;
  TColor DefaultColor59() const override;
  TColor DefaultColor61() const override;
  void DrawBorder(TcxCanvas& ACanvas, TRect R) const override;
  TColor ButtonColor(TcxButtonState AState) const override;
  TColor ButtonSymbolColor(TcxButtonState AState, TColor ADefaultColor = clDefault) const override;
  void DrawButtonBorder(TcxCanvas& ACanvas, TRect R, TcxButtonState AState) const override;
  void DrawExpandButton(TcxCanvas& ACanvas, const TRect& R, bool AExpanded, TColor AColor = clDefault) const override;
  bool ExpandButtonOpaque() const override;
  void DrawSmallExpandButton(TcxCanvas& ACanvas, const TRect& R, bool AExpanded, TColor ABorderColor,
                             TColor AColor = clDefault) const override;
  Integer SmallExpandButtonSize() const override;
  TColor CheckButtonColor(TcxButtonState AState) const override;
  void DrawHeader(TcxCanvas& ACanvas, const TRect& ABounds, const TRect& ATextAreaBounds, TcxNeighbors ANeighbors,
                  TcxBorders ABorders, TcxButtonState AState, TAlignment AAlignmentHorz,
                  TcxAlignmentVert AAlignmentVert, bool AMultiLine, bool AShowEndEllipsis, const String& AText,
                  TFont* AFont, TColor ATextColor, TColor ABkColor,
                  const TcxDrawBackgroundEvent& AOnDrawBackground = nullptr, bool AIsLast = false) const override;
  void DrawHeaderBorder(TcxCanvas& ACanvas, const TRect& R, TcxNeighbors ANeighbors,
                        TcxBorders ABorders) const override;
  void DrawButtonCell(TcxCanvas& ACanvas, const TRect& R, TcxButtonState AState, TcxBorders ABorders,
                      const String& AText, TFont* AFont, TAlignment AAlignmentHorz, TcxAlignmentVert AAlignmentVert,
                      TColor ATextColor, TColor ABkColor) const override;
  void DrawSortingMark(TcxCanvas& ACanvas, const TRect& R, bool AAscending) const override;
  TcxBorders HeaderBorders(TcxNeighbors ANeighbors) const override;
  bool ButtonCellFlag() const override;
  TColor SeparatorColor() const override;
  void DrawScrollBarPart(TcxCanvas& ACanvas, bool AHorizontal, TRect R, TcxScrollBarPart APart,
                         TcxButtonState AState) const override;
  void DrawHeaderWithArrows(TcxCanvas& ACanvas, const TRect& R, const String& AText, TcxNeighbors ANeighbors,
                            const TcxViewParams& AViewParams, TcxHeaderArrows AArrows, Integer AArrowOffset,
                            const TcxDrawBackgroundEvent& AOnDrawBackground = nullptr) const override;
  void DrawFrameBorder(TcxCanvas& ACanvas, const TRect& R) const override;
  void DrawToolButton(TcxCanvas& ACanvas, const TRect& R, TcxButtonState AState) const override;

  TColor BorderColorForState(TcxButtonState AState) const override;
  TColor ShadowColor() const override;
  TColor HighlightColor() const override;
  virtual TColor SchemeColor162() const;
  virtual TColor SchemeColor163() const;
  virtual TColor SchemeColor164() const;
  virtual TColor SchemeColor165() const;
};

// The one instance of each family.
const TcxCustomLookAndFeelPainter* cxCustomPainter();
const TcxCustomLookAndFeelPainter* cxStandardPainter();
const TcxCustomLookAndFeelPainter* cxFlatPainter();
const TcxCustomLookAndFeelPainter* cxUltraFlatPainter();
const TcxCustomLookAndFeelPainter* cxOffice11Painter();

// The native-theme family lives in its own unit, which registers its instance at start-up.
// Until one is registered cxWinXPPainter answers nullptr and look and feels choose the
// painter of their kind.
void cxRegisterNativePainter(const TcxCustomLookAndFeelPainter* APainter);
const TcxCustomLookAndFeelPainter* cxWinXPPainter();
