#include "widgets/foundation/cxLookAndFeelPaintersNative.h"

#include "widgets/foundation/dxOffice11.h"
#include "widgets/foundation/dxThemeManager.h"
#include "widgets/foundation/dxUxTheme.h"

namespace {

using BS = TcxButtonState;
using TOT = TdxThemedObjectType;

// Theme colour properties and text/edge flags the painter passes through.
constexpr int kPropFillColor = 3801;
constexpr int kPropTextColor = 3803;
constexpr int kPropButtonColor = 204;
constexpr DWORD kDtCenter = 0x1, kDtRight = 0x2, kDtVCenter = 0x4, kDtBottom = 0x8, kDtWordBreak = 0x10,
                kDtSingleLine = 0x20, kDtNoPrefix = 0x800, kDtEditControl = 0x2000, kDtEndEllipsis = 0x8000;
constexpr UINT kEdgeRaisedInner = 4, kEdgeAllSides = 0xF;

int Ord(BS s) { return int(s); }
HTHEME Theme(TOT t) { return cxOpenTheme(t); }
HDC DC(TcxCanvas& c) { return c.GetHandle(); }
// Without a theme the Standard instance itself draws, so the answers this family fixes
// (text shift, cell border size, ...) cannot leak into the fallback drawing.
const TcxCustomLookAndFeelPainter& Std() { return *cxStandardPainter(); }

void DrawPart(TcxCanvas& c, HTHEME th, int part, int state, const TRect& r) {
  cxDrawThemeBackground(th, DC(c), part, state, r);
}

// The insets of a part's content rect inside a 100 x 100 rect; false when the theme has no
// answer (the caller then measures as without a theme, never with zeros).
bool ContentInsets(HTHEME th, int part, int state, TRect& AInsets) {
  const TRect box{0, 0, 100, 100};
  TRect content{};
  if (!th || FAILED(cxGetThemeBackgroundContentRect(th, nullptr, part, state, box, content))) return false;
  AInsets = {content.Left - box.Left, content.Top - box.Top, box.Right - content.Right, box.Bottom - content.Bottom};
  return true;
}

bool PartSize(HTHEME th, int part, int state, TSize& ASize) {
  TSize size{};
  if (!th || FAILED(cxGetThemePartSizeNoRect(th, nullptr, part, state, TS_TRUE, size))) return false;
  ASize = size;
  return true;
}

constexpr int kHeaderItemStates[5] = {1, 1, 2, 3, 1};
constexpr int kPinStates[5] = {1, 1, 2, 3, 1};
constexpr int kGroupExpandStates[5] = {6, 1, 2, 3, 1};
constexpr int kToolBarStates[5] = {2, 2, 5, 3, 4};
constexpr int kSmallButtonStates[5] = {1, 1, 2, 3, 4};

TRect Inflated(TRect r, Integer dx, Integer dy) { return {r.Left - dx, r.Top - dy, r.Right + dx, r.Bottom + dy}; }

}  // namespace

int cxWinXPPushButtonState(TcxButtonState AState) {
  constexpr int states[5] = {5, 1, 2, 3, 4};
  return states[Ord(AState)];
}

int cxWinXPCheckBoxState(TcxButtonState AState, bool AChecked) {
  constexpr int unchecked[5] = {1, 1, 2, 3, 4};
  return unchecked[Ord(AState)] + (AChecked ? 4 : 0);
}

int cxWinXPScrollArrowState(TcxButtonState AState, TcxArrowDirection ADirection) {
  constexpr int base[5] = {1, 1, 2, 3, 4};
  return int(ADirection) * 4 + base[Ord(AState)];
}

TcxLookAndFeelStyle TcxWinXPLookAndFeelPainter::LookAndFeelStyle() const { return TcxLookAndFeelStyle::lfsNative; }
// The answers this family fixes hold while visual styles draw; without them it answers as
// the Standard painter in every operation.
TColor TcxWinXPLookAndFeelPainter::DefaultColor16() const {
  return Theme(TOT::totButton) ? TColor(0x800000) : Std().DefaultColor16();
}
TColor TcxWinXPLookAndFeelPainter::DefaultColor47() const {
  COLORREF color = 0x0000FF;
  if (HTHEME th = Theme(TOT::totComboBox)) {
    COLORREF themed = 0;
    if (SUCCEEDED(cxGetThemeColor(th, 1, 1, kPropFillColor, themed))) color = themed;
  }
  return TColor(color);
}
TColor TcxWinXPLookAndFeelPainter::DefaultColor49() const {
  return Theme(TOT::totButton) ? TColor(0xD5FFFF) : Std().DefaultColor49();
}

void TcxWinXPLookAndFeelPainter::DrawArrow(TcxCanvas& ACanvas, const TRect& R, TcxArrowDirection ADirection,
                                           TColor AColor) const {
  if (!Theme(TOT::totButton)) return Std().DrawArrow(ACanvas, R, ADirection, AColor);
  TcxCustomLookAndFeelPainter::DrawArrow(ACanvas, R, ADirection, AColor);
}

void TcxWinXPLookAndFeelPainter::DrawScrollBarArrow(TcxCanvas& ACanvas, TRect R, TcxButtonState AState,
                                                    TcxArrowDirection ADirection, bool ADrawAsButton) const {
  HTHEME th = Theme(TOT::totScrollBar);
  if (!th) return Std().DrawScrollBarArrow(ACanvas, R, AState, ADirection, ADrawAsButton);
  DrawPart(ACanvas, th, 1, cxWinXPScrollArrowState(AState, ADirection), R);
}

void TcxWinXPLookAndFeelPainter::DrawPlainButton(TcxCanvas& ACanvas, const TRect& R, TcxButtonState AState) const {
  HTHEME th = Theme(TOT::totButton);
  if (!th) return Std().DrawPlainButton(ACanvas, R, AState);
  DrawPart(ACanvas, th, 1, cxWinXPPushButtonState(AState), R);
}

Integer TcxWinXPLookAndFeelPainter::BorderSize() const {
  return Theme(TOT::totListView) ? 1 : Std().BorderSize();
}

void TcxWinXPLookAndFeelPainter::DrawBorder(TcxCanvas& ACanvas, TRect R) const {
  HTHEME th = Theme(TOT::totListView);
  if (!th) return Std().DrawBorder(ACanvas, R);
  TcxRegion* saved = ACanvas.GetClipRegion();
  ACanvas.ExcludeClipRect(Inflated(R, -1, -1));
  DrawPart(ACanvas, th, 5, 0, R);
  ACanvas.SetClipRegion(saved, TcxRegionOperation::roSet);
}

TRect TcxWinXPLookAndFeelPainter::ButtonDrawBounds(const TRect& R) const {
  HTHEME th = Theme(TOT::totButton);
  if (th && cxIsThemeBackgroundPartiallyTransparent(th, 1, 1)) return Inflated(R, 1, 1);
  return R;
}

Integer TcxWinXPLookAndFeelPainter::ButtonBorderSize(TcxButtonState AState) const {
  HTHEME th = Theme(TOT::totButton);
  if (!th) return Std().ButtonBorderSize(AState);
  TRect insets{};
  if (!ContentInsets(th, 1, cxWinXPPushButtonState(AState), insets)) return Std().ButtonBorderSize(AState);
  return insets.Left;
}

TColor TcxWinXPLookAndFeelPainter::ButtonColor(TcxButtonState AState) const {
  HTHEME th = Theme(TOT::totButton);
  if (!th) return Std().ButtonColor(AState);
  COLORREF color = 0;
  if (FAILED(cxGetThemeColor(th, 1, cxWinXPPushButtonState(AState), kPropButtonColor, color))) return clBtnFace;
  return TColor(color);
}

TRect TcxWinXPLookAndFeelPainter::ButtonContentBounds(const TRect& R) const {
  HTHEME th = Theme(TOT::totButton);
  if (!th) return Std().ButtonContentBounds(R);
  TRect content = R;
  if (FAILED(cxGetThemeBackgroundContentRect(th, nullptr, 1, 1, R, content))) return R;
  return content;
}

TRect TcxWinXPLookAndFeelPainter::ButtonGroupBorderSizes(Integer AButtonCount, Integer AButtonIndex) const {
  HTHEME th = Theme(TOT::totButton);
  if (!th) return Std().ButtonGroupBorderSizes(AButtonCount, AButtonIndex);
  TRect insets{};
  if (!ContentInsets(th, 1, 1, insets)) return Std().ButtonGroupBorderSizes(AButtonCount, AButtonIndex);
  if (cxIsThemeBackgroundPartiallyTransparent(th, 1, 1)) insets = Inflated(insets, 1, 1);
  return insets;
}

Integer TcxWinXPLookAndFeelPainter::ButtonTextOffset() const {
  return Theme(TOT::totButton) ? 2 : Std().ButtonTextOffset();
}
Integer TcxWinXPLookAndFeelPainter::ButtonTextShift() const {
  return Theme(TOT::totButton) ? 0 : Std().ButtonTextShift();
}

TColor TcxWinXPLookAndFeelPainter::ButtonSymbolColor(TcxButtonState AState, TColor ADefaultColor) const {
  HTHEME th = Theme(TOT::totButton);
  if (!th) return Std().ButtonSymbolColor(AState, ADefaultColor);
  COLORREF color = 0;
  if (FAILED(cxGetThemeColor(th, 1, cxWinXPPushButtonState(AState), kPropTextColor, color))) return ADefaultColor;
  return TColor(color);
}

void TcxWinXPLookAndFeelPainter::DrawButton(TcxCanvas& ACanvas, TRect R, const String& ACaption,
                                            TcxButtonState AState, bool ADrawBorder, TColor AColor,
                                            TColor ATextColor) const {
  HTHEME th = Theme(TOT::totButton);
  if (!th) return Std().DrawButton(ACanvas, R, ACaption, AState, ADrawBorder, AColor, ATextColor);
  const int state = cxWinXPPushButtonState(AState);
  DrawPart(ACanvas, th, 1, state, R);
  if (!ACaption.empty())
    cxDrawThemeTextAnsi(th, DC(ACanvas), 1, state, ACaption, -1, kDtCenter | kDtVCenter | kDtSingleLine, 0, &R);
}

void TcxWinXPLookAndFeelPainter::DrawExpandButton(TcxCanvas& ACanvas, const TRect& R, bool AExpanded,
                                                  TColor AColor) const {
  HTHEME th = Theme(TOT::totTreeview);
  if (!th) return Std().DrawExpandButton(ACanvas, R, AExpanded, AColor);
  DrawPart(ACanvas, th, 2, AExpanded ? 2 : 1, R);
  ACanvas.ExcludeClipRect(R);
}

bool TcxWinXPLookAndFeelPainter::ExpandButtonOpaque() const {
  return Theme(TOT::totTreeview) ? false : Std().ExpandButtonOpaque();
}

void TcxWinXPLookAndFeelPainter::DrawGroupExpandButton(TcxCanvas& ACanvas, const TRect& R, bool AExpanded,
                                                       TcxButtonState AState) const {
  HTHEME th = Theme(TOT::totExplorerBar);
  if (!th) return Std().DrawGroupExpandButton(ACanvas, R, AExpanded, AState);
  DrawPart(ACanvas, th, AExpanded ? 6 : 7, kGroupExpandStates[Ord(AState)], R);
}

void TcxWinXPLookAndFeelPainter::DrawSmallExpandButton(TcxCanvas& ACanvas, const TRect& R, bool AExpanded,
                                                       TColor ABorderColor, TColor AColor) const {
  if (!Theme(TOT::totTreeview))
    return Std().DrawSmallExpandButton(ACanvas, R, AExpanded, ABorderColor, AColor);
  DrawExpandButton(ACanvas, R, AExpanded, clDefault);
}

Integer TcxWinXPLookAndFeelPainter::ExpandButtonSize() const {
  HTHEME th = Theme(TOT::totTreeview);
  if (!th) return Std().ExpandButtonSize();
  TSize size{};
  if (!PartSize(th, 2, 2, size)) return Std().ExpandButtonSize();
  return size.cx;
}

Integer TcxWinXPLookAndFeelPainter::GroupExpandButtonSize() const {
  HTHEME th = Theme(TOT::totExplorerBar);
  if (!th) return Std().GroupExpandButtonSize();
  TSize size{};
  if (!PartSize(th, 7, 1, size)) return Std().GroupExpandButtonSize();
  return size.cx;
}

bool TcxWinXPLookAndFeelPainter::IsScrollBarHotTracked() const {
  return Theme(TOT::totScrollBar) ? true : Std().IsScrollBarHotTracked();
}

bool TcxWinXPLookAndFeelPainter::IsPointOverGroupExpandButton(const TRect& R, const TPoint& P) const {
  HTHEME th = Theme(TOT::totExplorerBar);
  if (!th) return Std().IsPointOverGroupExpandButton(R, P);
  HRGN region = nullptr;
  if (FAILED(cxGetThemeBackgroundRegion(th, nullptr, 7, 1, &R, &region)) || !region) return false;
  const bool inside = PtInRegion(region, P.X, P.Y) != 0;
  DeleteObject(region);
  return inside;
}

Integer TcxWinXPLookAndFeelPainter::SmallExpandButtonSize() const {
  if (!Theme(TOT::totTreeview)) return Std().SmallExpandButtonSize();
  return ExpandButtonSize();
}

Integer TcxWinXPLookAndFeelPainter::CheckBorderSize() const {
  return Theme(TOT::totButton) ? 0 : Std().CheckBorderSize();
}

void TcxWinXPLookAndFeelPainter::DrawCheck(TcxCanvas& ACanvas, const TRect& R, TcxButtonState AState, bool AChecked,
                                           TColor AColor) const {
  HTHEME th = Theme(TOT::totButton);
  if (!th) return Std().DrawCheck(ACanvas, R, AState, AChecked, AColor);
  DrawPart(ACanvas, th, 3, cxWinXPCheckBoxState(AState, AChecked), R);
}

void TcxWinXPLookAndFeelPainter::DrawCheckBorder(TcxCanvas& ACanvas, TRect R, TcxButtonState AState) const {
  if (!Theme(TOT::totButton)) Std().DrawCheckBorder(ACanvas, R, AState);
}

void TcxWinXPLookAndFeelPainter::DrawRadioButton(TcxCanvas& ACanvas, Integer X, Integer Y, TcxButtonState AState,
                                                 bool AChecked, bool AFocused, TColor ABrushColor,
                                                 bool AIsDesigning) const {
  // The button theme can close between choosing this painter and drawing: then the
  // inherited glyph drawing runs rather than nothing.
  HTHEME th = Theme(TOT::totButton);
  if (!th)
    return Std().DrawRadioButton(ACanvas, X, Y, AState, AChecked, AFocused, ABrushColor,
                                                          AIsDesigning);
  TSize size{};
  if (!PartSize(th, 2, 1, size))
    return Std().DrawRadioButton(ACanvas, X, Y, AState, AChecked, AFocused, ABrushColor, AIsDesigning);
  DrawPart(ACanvas, th, 2, cxWinXPCheckBoxState(AState, AChecked), Bounds(X, Y, size.cx, size.cy));
}

void TcxWinXPLookAndFeelPainter::DrawHeader(TcxCanvas& ACanvas, const TRect& ABounds, const TRect& ATextAreaBounds,
                                            TcxNeighbors ANeighbors, TcxBorders ABorders, TcxButtonState AState,
                                            TAlignment AAlignmentHorz, TcxAlignmentVert AAlignmentVert,
                                            bool AMultiLine, bool AShowEndEllipsis, const String& AText,
                                            TFont* AFont, TColor ATextColor, TColor ABkColor,
                                            const TcxDrawBackgroundEvent& AOnDrawBackground, bool AIsLast) const {
  HTHEME th = Theme(TOT::totHeader);
  if (!th)
    return Std().DrawHeader(ACanvas, ABounds, ATextAreaBounds, ANeighbors, ABorders, AState,
                                                   AAlignmentHorz, AAlignmentVert, AMultiLine, AShowEndEllipsis, AText,
                                                   AFont, ATextColor, ABkColor, AOnDrawBackground, AIsLast);
  const int state = kHeaderItemStates[Ord(AState)];
  const TOffice11Scheme scheme = cxGetOffice11Scheme();
  const bool rightEnd = AIsLast && state == 1 &&
                        (scheme == TOffice11Scheme::schNormalColor || scheme == TOffice11Scheme::schHomestead);
  const int part = rightEnd ? 3 : 1;
  DrawPart(ACanvas, th, part, state, ABounds);
  TRect text = ATextAreaBounds;
  if (AState == BS::cxbsPressed) text = {text.Left + 1, text.Top + 1, text.Right + 1, text.Bottom + 1};
  DrawThemedText(ACanvas, th, part, state, text, AAlignmentHorz, AAlignmentVert, AMultiLine, AShowEndEllipsis, false,
                 AText, AFont, ATextColor);
}

// Themed cells show their pressed state themselves; without a theme they are inverted.
void TcxWinXPLookAndFeelPainter::DrawInvertedRect(TcxCanvas& ACanvas, const TRect& R) const {
  if (!Theme(TOT::totHeader)) Std().DrawInvertedRect(ACanvas, R);
}

void TcxWinXPLookAndFeelPainter::DrawButtonCell(TcxCanvas& ACanvas, const TRect& R, TcxButtonState AState,
                                                TcxBorders ABorders, const String& AText, TFont* AFont,
                                                TAlignment AAlignmentHorz, TcxAlignmentVert AAlignmentVert,
                                                TColor ATextColor, TColor ABkColor) const {
  if (!Theme(TOT::totHeader))
    return Std().DrawButtonCell(ACanvas, R, AState, ABorders, AText, AFont, AAlignmentHorz, AAlignmentVert,
                                ATextColor, ABkColor);
  ACanvas.SetBrushColor(clBtnFace);
  ACanvas.FillRect(R);
  DrawHeader(ACanvas, R, R, {}, ABorders, AState, AAlignmentHorz, AAlignmentVert, false, false, AText, AFont,
             ATextColor, ABkColor);
}

void TcxWinXPLookAndFeelPainter::DrawSortingMark(TcxCanvas& ACanvas, const TRect& R, bool AAscending) const {
  if (!Theme(TOT::totHeader)) return Std().DrawSortingMark(ACanvas, R, AAscending);
  cxUltraFlatPainter()->DrawSortingMark(ACanvas, R, AAscending);
}

Integer TcxWinXPLookAndFeelPainter::HeaderBorderSize() const {
  HTHEME th = Theme(TOT::totHeader);
  TRect insets{};
  if (!ContentInsets(th, 1, 1, insets)) return Std().HeaderBorderSize();
  return insets.Left;
}

bool TcxWinXPLookAndFeelPainter::HeaderFlag() const { return Theme(TOT::totHeader) ? false : Std().HeaderFlag(); }

Integer TcxWinXPLookAndFeelPainter::ButtonCellBorderSize(TcxButtonState AState) const {
  return Theme(TOT::totHeader) ? HeaderBorderSize() : Std().ButtonCellBorderSize(AState);
}

TRect TcxWinXPLookAndFeelPainter::ButtonCellContentBounds(const TRect& R) const {
  if (!Theme(TOT::totHeader)) return Std().ButtonCellContentBounds(R);
  const Integer b = HeaderBorderSize();
  return Inflated(R, -b, -b);
}

bool TcxWinXPLookAndFeelPainter::ButtonCellFlag() const {
  return Theme(TOT::totHeader) ? true : Std().ButtonCellFlag();
}

TPoint TcxWinXPLookAndFeelPainter::SortingMarkSize() const {
  return Theme(TOT::totHeader) ? cxUltraFlatPainter()->SortingMarkSize() : Std().SortingMarkSize();
}

void TcxWinXPLookAndFeelPainter::DrawSunkenBox(TcxCanvas& ACanvas, const TRect& R, TAlignment AAlignmentHorz,
                                               TcxAlignmentVert AAlignmentVert, bool AMultiLine, const String& AText,
                                               TFont* AFont, TColor ATextColor, TColor ABkColor,
                                               const TcxDrawBackgroundEvent& AOnDrawBackground) const {
  HTHEME th = Theme(TOT::totTrackBar);
  if (!th)
    return Std().DrawSunkenBox(ACanvas, R, AAlignmentHorz, AAlignmentVert, AMultiLine, AText,
                                                      AFont, ATextColor, ABkColor, AOnDrawBackground);
  DrawPart(ACanvas, th, 1, 1, R);
  DrawThemedText(ACanvas, th, 1, 1, SunkenBoxTextBounds(R), AAlignmentHorz, AAlignmentVert, AMultiLine, false, false,
                 AText, AFont, ATextColor);
}

Integer TcxWinXPLookAndFeelPainter::RaisedFrameWidth() const {
  return Theme(TOT::totEdit) ? 1 : Std().RaisedFrameWidth();
}

Integer TcxWinXPLookAndFeelPainter::SunkenFrameWidth() const {
  HTHEME th = Theme(TOT::totTrackBar);
  TRect insets{};
  if (!ContentInsets(th, 1, 1, insets)) return Std().SunkenFrameWidth();
  return insets.Left;
}

Integer TcxWinXPLookAndFeelPainter::SunkenBoxOuterWidth() const {
  return Theme(TOT::totTrackBar) ? 1 : Std().SunkenBoxOuterWidth();
}

bool TcxWinXPLookAndFeelPainter::SunkenBoxFlag() const {
  return Theme(TOT::totTrackBar) ? false : Std().SunkenBoxFlag();
}

void TcxWinXPLookAndFeelPainter::DrawRaisedFrame(TcxCanvas& ACanvas, const TRect& R) const {
  HTHEME th = Theme(TOT::totEdit);
  if (!th) return Std().DrawRaisedFrame(ACanvas, R);
  cxDrawThemeEdge(th, DC(ACanvas), 0, 0, R, kEdgeRaisedInner, kEdgeAllSides);
}

void TcxWinXPLookAndFeelPainter::DrawCloseButton(TcxCanvas& ACanvas, const TRect& R, TcxButtonState AState) const {
  HTHEME th = Theme(TOT::totWindow);
  if (!th) return Std().DrawCloseButton(ACanvas, R, AState);
  DrawPart(ACanvas, th, 19, kSmallButtonStates[Ord(AState)], R);
}

void TcxWinXPLookAndFeelPainter::DrawDropDownButton(TcxCanvas& ACanvas, const TRect& R, TcxButtonState AState,
                                                    bool AIsActive) const {
  HTHEME th = Theme(TOT::totComboBox);
  if (!th) return Std().DrawDropDownButton(ACanvas, R, AState, AIsActive);
  DrawPart(ACanvas, th, 1, kSmallButtonStates[Ord(AState)], R);
}

TPoint TcxWinXPLookAndFeelPainter::CheckButtonSize() const {
  TSize s{};
  if (!PartSize(Theme(TOT::totButton), 3, 5, s)) return Std().CheckButtonSize();
  return {s.cx, s.cy};
}

TPoint TcxWinXPLookAndFeelPainter::CloseButtonSize() const {
  TSize s{};
  if (!PartSize(Theme(TOT::totWindow), 19, 1, s)) return Std().CloseButtonSize();
  return {s.cx, s.cy};
}

TPoint TcxWinXPLookAndFeelPainter::ButtonSize138() const {
  if (!Theme(TOT::totButton)) return Std().ButtonSize138();
  const TPoint base = TcxCustomLookAndFeelPainter::ButtonSize138();
  return {base.X + 2, base.Y + 2};
}

TPoint TcxWinXPLookAndFeelPainter::AutoHideButtonSize() const {
  TSize s{};
  if (!PartSize(Theme(TOT::totExplorerBar), 3, 1, s)) return Std().AutoHideButtonSize();
  return {s.cx, s.cy};
}

void TcxWinXPLookAndFeelPainter::DrawPlusButton(TcxCanvas& ACanvas, const TRect& R, TcxButtonState AState) const {
  HTHEME th = Theme(TOT::totButton);
  if (!th) return Std().DrawPlusButton(ACanvas, R, AState);
  DrawPart(ACanvas, th, 1, cxWinXPPushButtonState(AState), R);
  TRect glyph = Inflated(R, -2, -2);
  if (AState == BS::cxbsPressed) glyph = {glyph.Left + 1, glyph.Top + 1, glyph.Right + 1, glyph.Bottom + 1};
  DrawPlusGlyph(ACanvas, glyph, AState);
}

void TcxWinXPLookAndFeelPainter::DrawAutoHideButton(TcxCanvas& ACanvas, const TRect& R, TcxButtonState AState,
                                                    bool APinned, TColor ABkColor) const {
  HTHEME th = Theme(TOT::totExplorerBar);
  if (!th) return Std().DrawAutoHideButton(ACanvas, R, AState, APinned, ABkColor);
  if (R.IsEmpty()) return;
  Owned<TBitmap> image(New<TScratchBitmap>());
  image->SetPixelFormat(TPixelFormat::pf32bit);
  image->SetSize(R.Width(), R.Height());
  TcxCanvas imageCanvas(image->Canvas());
  imageCanvas.SetBrushColor(ABkColor);
  imageCanvas.FillRect({0, 0, R.Width(), R.Height()});
  DrawPart(imageCanvas, th, 3, kPinStates[Ord(AState)], {0, 0, R.Width(), R.Height()});
  // An unpinned pin lies on its side: a quarter turn clockwise.
  if (!APinned) imageCanvas.RotateBitmap(image.get(), TcxRotationAngle::raMinus90);
  ACanvas.Draw(R.Left, R.Top, image.get());
}

void TcxWinXPLookAndFeelPainter::DrawTab(TcxCanvas& ACanvas, const TRect& R, TcxBorders ABorders, const String& AText,
                                         TcxButtonState AState, bool AVertical, TFont* AFont, TColor ATextColor,
                                         TColor ABkColor) const {
  HTHEME th = Theme(TOT::totTab);
  if (!th)
    return Std().DrawTab(ACanvas, R, ABorders, AText, AState, AVertical, AFont, ATextColor,
                                                ABkColor);
  if (R.IsEmpty()) return;
  // Tab items are drawn upright (part 1, the item) and turned for tabs along a side.
  constexpr int tabStates[5] = {4, 1, 2, 3, 4};
  const int state = tabStates[Ord(AState)];
  const Integer w = AVertical ? R.Height() : R.Width();
  const Integer h = AVertical ? R.Width() : R.Height();
  Owned<TBitmap> image(New<TScratchBitmap>());
  image->SetPixelFormat(TPixelFormat::pf32bit);
  image->SetSize(w, h);
  TcxCanvas imageCanvas(image->Canvas());
  imageCanvas.SetBrushColor(ABkColor == clDefault ? clBtnFace : ABkColor);
  imageCanvas.FillRect({0, 0, w, h});
  DrawPart(imageCanvas, th, 1, state, {0, 0, w, h});
  if (!AVertical)
    DrawThemedText(imageCanvas, th, 1, state, {0, 0, w, h}, TAlignment::taCenter, TcxAlignmentVert::vaCenter, false,
                   false, false, AText, AFont, ATextColor);
  else
    imageCanvas.RotateBitmap(image.get(), TcxRotationAngle::raPlus90);
  ACanvas.Draw(R.Left, R.Top, image.get());
}

void TcxWinXPLookAndFeelPainter::DrawTabBorder(TcxCanvas& ACanvas, const TRect& R, TcxBorder ABorder,
                                               TcxBorders ABorders, bool AVertical) const {
  if (!Theme(TOT::totTab)) Std().DrawTabBorder(ACanvas, R, ABorder, ABorders, AVertical);
}

void TcxWinXPLookAndFeelPainter::DrawTabsRoot(TcxCanvas& ACanvas, const TRect& R, TcxBorders ABorders,
                                              bool AVertical) const {
  HTHEME th = Theme(TOT::totTab);
  if (!th) return Std().DrawTabsRoot(ACanvas, R, ABorders, AVertical);
  TRect insets{};
  if (!ContentInsets(th, 9, 0, insets)) return Std().DrawTabsRoot(ACanvas, R, ABorders, AVertical);
  TRect pane = R;
  if (AVertical) {
    pane.Right += 10;
    pane.Bottom += insets.Bottom - insets.Top;
  } else {
    pane.Bottom += 10;
    pane.Right += insets.Right - insets.Left;
  }
  DrawPart(ACanvas, th, 9, 0, pane);
}

bool TcxWinXPLookAndFeelPainter::IsTabHotTracked() const {
  return Theme(TOT::totTab) ? true : Std().IsTabHotTracked();
}

bool TcxWinXPLookAndFeelPainter::IsTabNative() const {
  return Theme(TOT::totTab) ? true : Std().IsTabNative();
}

Integer TcxWinXPLookAndFeelPainter::TabBorderSize(bool AVertical) const {
  return Theme(TOT::totTab) ? 1 : Std().TabBorderSize(AVertical);
}

void TcxWinXPLookAndFeelPainter::DrawIndicatorItem(TcxCanvas& ACanvas, const TRect& R, TcxIndicatorKind AKind,
                                                   TColor AColor,
                                                   const TcxDrawBackgroundEvent& AOnDrawBackground) const {
  if (!Theme(TOT::totHeader)) return Std().DrawIndicatorItem(ACanvas, R, AKind, AColor, AOnDrawBackground);
  cxFlatPainter()->DrawIndicatorItem(ACanvas, R, AKind, AColor, AOnDrawBackground);
}

void TcxWinXPLookAndFeelPainter::DrawScrollBarPart(TcxCanvas& ACanvas, bool AHorizontal, TRect R,
                                                   TcxScrollBarPart APart, TcxButtonState AState) const {
  if (R.IsEmpty()) return;
  HTHEME th = Theme(TOT::totScrollBar);
  if (!th) return Std().DrawScrollBarPart(ACanvas, AHorizontal, R, APart, AState);
  constexpr int partStates[5] = {1, 1, 2, 3, 4};
  const int state = partStates[Ord(AState)];
  switch (APart) {
    case TcxScrollBarPart::sbpLineUp:
      DrawScrollBarArrow(ACanvas, R, AState, AHorizontal ? TcxArrowDirection::adLeft : TcxArrowDirection::adUp, true);
      break;
    case TcxScrollBarPart::sbpLineDown:
      DrawScrollBarArrow(ACanvas, R, AState, AHorizontal ? TcxArrowDirection::adRight : TcxArrowDirection::adDown,
                         true);
      break;
    case TcxScrollBarPart::sbpThumbnail:
      DrawPart(ACanvas, th, AHorizontal ? 2 : 3, state, R);
      DrawPart(ACanvas, th, AHorizontal ? 8 : 9, 0, R);
      break;
    case TcxScrollBarPart::sbpPageUp:
      DrawPart(ACanvas, th, AHorizontal ? 4 : 6, state, R);
      break;
    case TcxScrollBarPart::sbpPageDown:
      DrawPart(ACanvas, th, AHorizontal ? 5 : 7, state, R);
      break;
    case TcxScrollBarPart::sbpNone:
      break;
  }
}

void TcxWinXPLookAndFeelPainter::DrawHeaderWithArrows(TcxCanvas& ACanvas, const TRect& R, const String& AText,
                                                      TcxNeighbors ANeighbors, const TcxViewParams& AViewParams,
                                                      TcxHeaderArrows AArrows, Integer AArrowOffset,
                                                      const TcxDrawBackgroundEvent& AOnDrawBackground) const {
  if (!Theme(TOT::totHeader))
    return Std().DrawHeaderWithArrows(ACanvas, R, AText, ANeighbors, AViewParams, AArrows, AArrowOffset,
                                      AOnDrawBackground);
  DrawHeader(ACanvas, R, R, ANeighbors, cxBordersAll, BS::cxbsNormal, TAlignment::taCenter,
             TcxAlignmentVert::vaCenter, false, false, AText, AViewParams.Font, AViewParams.TextColor,
             AViewParams.Color, AOnDrawBackground, !ANeighbors.Contains(TcxNeighbor::nRight));
  TRect r = R;
  r.Top += BorderSize();
  r.Top += 1;
  r.Bottom -= 1;
  Integer h = (r.Bottom - r.Top) / 2;
  if (h % 2 == 0) ++h;
  const Integer y0 = (r.Top + r.Bottom - h) / 2 - 1;
  ACanvas.SetBrushColor(clWindowText);
  ACanvas.GetPen()->SetColor(clWindowText);
  const Integer n = AArrowOffset;
  if (AArrows == TcxHeaderArrows::haLeft || AArrows == TcxHeaderArrows::haBoth) {
    const Integer x = r.Left + n - 1;
    ACanvas.Polygon({{x, y0}, {x, y0 + h + 1}, {x - (h / 2 + 1), y0 + h / 2 + 1}});
  }
  if (AArrows == TcxHeaderArrows::haRight || AArrows == TcxHeaderArrows::haBoth) {
    const Integer x = r.Right - n + 1;
    ACanvas.Polygon({{x, y0}, {x, y0 + h + 1}, {x + (h / 2 + 1), y0 + h / 2 + 1}});
  }
}

void TcxWinXPLookAndFeelPainter::DrawToolButton(TcxCanvas& ACanvas, const TRect& R, TcxButtonState AState) const {
  HTHEME th = Theme(TOT::totToolBar);
  if (!th) return Std().DrawToolButton(ACanvas, R, AState);
  DrawPart(ACanvas, th, 1, kToolBarStates[Ord(AState)], R);
}

void TcxWinXPLookAndFeelPainter::DrawBar(TcxCanvas& ACanvas, const TRect& R, bool AHorizontal,
                                         const TcxPaintParams& ABackground) const {
  HTHEME combo = Theme(TOT::totComboBox);
  if (!combo || !Theme(TOT::totListView))
    return Std().DrawBar(ACanvas, R, AHorizontal, ABackground);
  COLORREF color = 0;
  if (FAILED(cxGetThemeColor(combo, 1, 1, kPropFillColor, color))) return Std().DrawBar(ACanvas, R, AHorizontal, ABackground);
  ACanvas.SetBrushColor(TColor(color));
  TRect inner = R;
  if (AHorizontal) {
    ACanvas.FillRect({R.Left, R.Top, R.Right, R.Top + 1});
    ACanvas.FillRect({R.Left, R.Bottom - 1, R.Right, R.Bottom});
    inner = Inflated(inner, 1, -1);
  } else {
    ACanvas.FillRect({R.Left, R.Top, R.Left + 1, R.Bottom});
    ACanvas.FillRect({R.Right - 1, R.Top, R.Right, R.Bottom});
    inner = Inflated(inner, -1, 1);
  }
  ACanvas.FillRect(inner, ABackground, clNone, TcxBorders{}, 1);
}

void TcxWinXPLookAndFeelPainter::DrawThemedText(TcxCanvas& ACanvas, HTHEME ATheme, Integer APart, Integer AState,
                                                TRect R, TAlignment AAlignmentHorz, TcxAlignmentVert AAlignmentVert,
                                                bool AMultiLine, bool AShowEndEllipsis, bool AShowPrefix,
                                                const String& AText, TFont* AFont, TColor ATextColor) const {
  if (AText.empty()) return;
  if (AFont) ACanvas.SetFont(AFont);
  ACanvas.GetFont()->SetColor(ATextColor);
  if (AMultiLine) {
    TRect text = R;
    ACanvas.TextExtentInRect(AText,
                             text, cxAlignmentsHorz[int(AAlignmentHorz)] | cxAlignmentsVert[int(AAlignmentVert)] |
                                       cxWordBreak);
    R = text;
  }
  constexpr DWORD horz[3] = {0, kDtRight, kDtCenter};
  constexpr DWORD vert[3] = {0, kDtBottom, kDtVCenter};
  DWORD flags = horz[int(AAlignmentHorz)] | vert[int(AAlignmentVert)] | kDtEditControl;
  flags |= AMultiLine ? kDtWordBreak : kDtSingleLine;
  if (AShowEndEllipsis) flags |= kDtEndEllipsis;
  if (!AShowPrefix) flags |= kDtNoPrefix;
  cxDrawThemeTextAnsi(ATheme, DC(ACanvas), APart, AState, AText, -1, flags, 0, &R);
}

namespace {
const TcxWinXPLookAndFeelPainter kNativePainter;
}  // namespace

const TcxCustomLookAndFeelPainter* cxNativePainter() { return &kNativePainter; }
