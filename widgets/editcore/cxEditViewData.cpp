#include "widgets/editcore/cxEditViewData.h"

#include "classlib/core/ScopeGuards.h"
#include "platform/user/User.h"
#include "widgets/editcore/cxEditPaintUtils.h"
#include "widgets/editcore/cxEditUtils.h"
#include "widgets/foundation/dxThemeManager.h"
#include "widgets/foundation/dxUxTheme.h"

#include <algorithm>
#include <climits>

namespace {

using EB = TcxEditBorderStyle;
using K = TcxEditButtonKind;
using St = TcxEditButtonStyle;
using CS = TcxContainerStateItem;

// The right edge an in-place host gives for "no right edge": buttons-only there means stretch.
constexpr Integer kOpenRightEdge = INT_MAX;
// Theme colour property of a disabled native editor's fill.
constexpr int kThemeFillColorProperty = 3802;

TRect Deflated(const TRect& R, const TRect& E) {
  TRect r{R.Left + E.Left, R.Top + E.Top, R.Right - E.Right, R.Bottom - E.Bottom};
  // Bounds smaller than the border leave an empty client area at the border, never an inverted one.
  if (r.Right < r.Left) r.Right = r.Left = std::min(std::max(R.Left + E.Left, R.Left), R.Right);
  if (r.Bottom < r.Top) r.Bottom = r.Top = std::min(std::max(R.Top + E.Top, R.Top), R.Bottom);
  return r;
}

void OffsetBy(TRect& R, Integer DX, Integer DY) { OffsetRect(&R, DX, DY); }

}  // namespace

Integer cxEditBorderWidth(TcxEditBorderStyle AStyle) {
  return cxGetContainerBorderWidth(TcxContainerBorderStyle(Ord(AStyle)));
}

bool cxEditHasShadow(TcxCustomEditViewData* AViewData) {
  return AViewData && AViewData->Style && AViewData->Style->GetShadow() &&
         !AViewData->IsNativeStyle(AViewData->Style->GetLookAndFeel());
}

// ---- view info ----

TcxEditButtonViewInfoClass TcxCustomEditViewInfo::GetButtonsViewInfoClass() const {
  return ClassOf<TcxEditButtonViewInfo, TcxEditButtonViewInfo>();
}

bool TcxCustomEditViewInfo::DrawEditBackground(TcxCanvas& ACanvas) {
  bool handled = false;
  if (OnDrawBackground) OnDrawBackground(this, ACanvas, handled);
  return handled;
}

void TcxCustomEditViewInfo::DrawButton(TcxCanvas& ACanvas, Integer AButtonVisibleIndex) {
  bool handled = false;
  if (OnDrawButton) OnDrawButton(this, ACanvas, AButtonVisibleIndex, handled);
  if (!handled) cxDrawEditButton(ACanvas, *this, AButtonVisibleIndex);
}

bool TcxCustomEditViewInfo::DrawButtonBackground(TcxCanvas& ACanvas, const TRect& R, Integer AButtonVisibleIndex) {
  bool handled = false;
  if (OnDrawButtonBackground) OnDrawButtonBackground(this, ACanvas, R, AButtonVisibleIndex, handled);
  return handled;
}

bool TcxCustomEditViewInfo::HasSelectedButton() const {
  return std::any_of(ButtonsInfo.begin(), ButtonsInfo.end(),
                     [](const auto& b) { return b->State == TcxEditButtonState::ebsSelected; });
}

bool TcxCustomEditViewInfo::IsButtonAtPoint(const TPoint& P) const {
  const POINT q{P.X + ScrollOffset.X, P.Y + ScrollOffset.Y};
  return std::any_of(ButtonsInfo.begin(), ButtonsInfo.end(),
                     [&](const auto& b) { return PtInRect(&b->Bounds, q) != 0; });
}

void TcxCustomEditViewInfo::InternalPaint(TcxCanvas& ACanvas) { DrawFrameAndButtons(ACanvas, true); }

void TcxCustomEditViewInfo::DrawFrameAndButtons(TcxCanvas& ACanvas, bool AFullBackground) {
  // A background handler takes over the background only: the frame and buttons are still drawn,
  // with the fills left out as for a transparent editor.
  const bool transparent = Transparent;
  if (DrawEditBackground(ACanvas)) Transparent = true;
  {
    TScopeExit restore([&] { Transparent = transparent; });
    cxDrawEditBackgroundAndButtons(ACanvas, *this, AFullBackground);
  }
  // The flat looks' one-pixel frame: the frame routine leaves it to the view info.
  const EB style = GetEditBorderStyle();
  if (!NativeStyle && (style == EB::ebsUltraFlat || style == EB::ebsOffice11) && !BorderRect.IsEmpty()) {
    TRect frame = Bounds;
    if (Shadow) {
      frame.Right -= 3;
      frame.Bottom -= 3;
    }
    ACanvas.FrameRect(frame, BorderColor, Edges);
  }
}

void TcxCustomEditViewInfo::Assign(TcxContainerViewInfo* Source) {
  inherited::Assign(Source);
  auto* src = dynamic_cast<TcxCustomEditViewInfo*>(Source);
  if (!src || src == this) return;
  BackgroundColor = src->BackgroundColor;
  BorderColor = src->BorderColor;
  BorderRect = src->BorderRect;
  BorderStyle = src->BorderStyle;
  BorderWidth = src->BorderWidth;
  Bounds = src->Bounds;
  ContainerState = src->ContainerState;
  Edges = src->Edges;
  HotState = src->HotState;
  NativeStyle = src->NativeStyle;
  NativeState = src->NativeState;
  Shadow = src->Shadow;
  InnerEditRect = src->InnerEditRect;
  ButtonAreaRect = src->ButtonAreaRect;
  Enabled = src->Enabled;
  Focused = src->Focused;
  Properties = src->Properties;
  PopupBorderStyle = src->PopupBorderStyle;
  PressedButton = src->PressedButton;
  SelectedButton = src->SelectedButton;
  HasTextButton = src->HasTextButton;
  IsButtonReallyPressed = src->IsButtonReallyPressed;
  IsInplace = src->IsInplace;
  Transparent = src->Transparent;
  IsDBEditPaintCopyDrawing = src->IsDBEditPaintCopyDrawing;
  PaintOptions = src->PaintOptions;
  HasInnerEditOffset = src->HasInnerEditOffset;
  HasVisibleInnerEdit = src->HasVisibleInnerEdit;
  TextColor = src->TextColor;
  Font = src->Font;
  ScrollOffset = src->ScrollOffset;
  ButtonsInfo.clear();
  for (const auto& b : src->ButtonsInfo) {
    ButtonsInfo.emplace_back(GetButtonsViewInfoClass().Create());
    ButtonsInfo.back()->Assign(b.get());
  }
}

namespace {

bool SameFrame(const TcxCustomEditViewInfo& A, const TcxCustomEditViewInfo& B) {
  const bool bordered = A.BorderStyle != TcxContainerBorderStyle::cbsNone;
  return A.ContainerState == B.ContainerState && A.BackgroundColor == B.BackgroundColor &&
         (!bordered || A.BorderColor == B.BorderColor) && A.BorderStyle == B.BorderStyle &&
         A.ButtonsInfo.size() == B.ButtonsInfo.size();
}

}  // namespace

TcxRegion* TcxCustomEditViewInfo::GetUpdateRegion(TcxContainerViewInfo* AViewInfo) {
  TcxRegion* result = inherited::GetUpdateRegion(AViewInfo);
  auto* old = dynamic_cast<TcxCustomEditViewInfo*>(AViewInfo);
  const bool layoutMatches = old && old->BorderStyle == BorderStyle && old->ButtonsInfo.size() == ButtonsInfo.size() &&
                             (old->Bounds == Bounds || BorderStyle == TcxContainerBorderStyle::cbsNone);
  if (!layoutMatches) {
    result->Combine(New<TcxRegion>(Bounds), TcxRegionOperation::roAdd);
    return result;
  }
  for (size_t i = 0; i < ButtonsInfo.size(); ++i)
    result->Combine(ButtonsInfo[i]->GetUpdateRegion(old->ButtonsInfo[i].get()), TcxRegionOperation::roAdd);
  return result;
}

void TcxCustomEditViewInfo::Offset(Integer DX, Integer DY) {
  inherited::Offset(DX, DY);
  OffsetBy(InnerEditRect, DX, DY);
  OffsetBy(ButtonAreaRect, DX, DY);
  for (auto& b : ButtonsInfo) {
    OffsetBy(b->Bounds, DX, DY);
    OffsetBy(b->VisibleBounds, DX, DY);
  }
}

bool TcxCustomEditViewInfo::Repaint(TWinControl* AControl, TcxCustomEditViewInfo* AOldViewInfo) {
  return RepaintChanges(AControl, TRect{}, AOldViewInfo);
}

bool TcxCustomEditViewInfo::RepaintChanges(TWinControl* AControl, const TRect& AInnerRect,
                                           TcxCustomEditViewInfo* AOldViewInfo) {
  if (!AControl || !AControl->HandleAllocated()) return false;
  const HWND wnd = AControl->GetHandle();
  TRect bounds = Bounds;
  OffsetBy(bounds, -ScrollOffset.X, -ScrollOffset.Y);
  if (!AOldViewInfo) {
    TRect area = bounds;
    if (!AInnerRect.IsEmpty()) IntersectRect(&area, &bounds, &AInnerRect);
    InvalidateRect(wnd, &area, Transparent);
    return false;
  }
  bool repainted = false;
  if (!SameFrame(*this, *AOldViewInfo)) {
    // The frame band, and the client area too when its colour changed with the state.
    TRect client = ClientRect;
    OffsetBy(client, -ScrollOffset.X, -ScrollOffset.Y);
    if (BackgroundColor != AOldViewInfo->BackgroundColor)
      InvalidateRect(wnd, &bounds, Transparent);
    else
      cxInvalidateRectFrame(wnd, bounds, client, Transparent);
    repainted = true;
  }
  if (ButtonsInfo.size() == AOldViewInfo->ButtonsInfo.size())
    for (size_t i = 0; i < ButtonsInfo.size(); ++i)
      repainted |= ButtonsInfo[i]->Repaint(AControl, AOldViewInfo->ButtonsInfo[i].get(),
                                           {-ScrollOffset.X, -ScrollOffset.Y});
  return repainted;
}

TL_DEFINE_CLASS(TcxCustomEditViewInfo, [](auto&) {});

// ---- view data: set-up ----

void TcxCustomEditViewData::AfterConstruction() {
  inherited::AfterConstruction();
  Initialize();
  BackgroundColor = clDefault;
  TextColor = clDefault;
  InitCacheData();
}

void TcxCustomEditViewData::Initialize() { InplaceBorderExtent = TRect{}; }

void TcxCustomEditViewData::InitCacheData() {
  if (!Properties) return;
  VisibleButtonCount = Properties->GetButtons()->VisibleCount();
  ValueSourceDiffers = Properties->GetEditValueSource(true) != Properties->GetEditValueSource(false);
  TcxEditAlignment* a = Properties->GetAlignment();
  HorzAlignment = a->GetHorz();
  VertAlignment = a->GetVert();
  NativeStyle = Style && IsNativeStyle(Style->GetLookAndFeel());
  TcxEditContentParams params;
  InitEditContentParams(params);
  ContentOptions = params.Options;
  HorzSpacing = params.HorzSpacing;
  VertSpacing = params.VertSpacing;
  SpacingRect = params.SpacingRect;
}

void TcxCustomEditViewData::InitEditContentParams(TcxEditContentParams&) {}

bool TcxCustomEditViewData::IsNativeStyle(TcxLookAndFeel* ALookAndFeel) const {
  return ALookAndFeel && cxIsNativeThemeUsable(ALookAndFeel->GetNativeStyle(), TdxThemedObjectType::totEdit);
}

bool TcxCustomEditViewData::HasShadow() const {
  return cxEditHasShadow(const_cast<TcxCustomEditViewData*>(this));
}

TRect TcxCustomEditViewData::GetContentMargins() const { return IsInplace ? TRect{1, 1, 1, 1} : TRect{1, 1, 1, 3}; }

void TcxCustomEditViewData::EditValueToDisplayText(const Variant&, String& AText) { AText.clear(); }

void TcxCustomEditViewData::PrepareDisplayText(const Variant& AEditValue, String& AText) {
  EditValueToDisplayText(AEditValue, AText);
  if (OnGetDisplayText) OnGetDisplayText(this, AText);
}

bool TcxCustomEditViewData::IsButtonPressed(Integer) const { return false; }

bool TcxCustomEditViewData::CanPressButton(TcxCustomEditViewInfo*, Integer) { return true; }

TcxContainerState TcxCustomEditViewData::GetContainerState(const TRect& ABounds, const TPoint& P, TcxMouseButton,
                                                           TShiftState, bool ACheckCapture) {
  if (!Enabled) return {CS::csDisabled};
  TcxContainerState state{Selected ? CS::csNormal : Focused ? CS::csActive : CS::csNormal};
  if (Selected) return state;
  const POINT q{P.X, P.Y};
  bool inside = PtInRect(&ABounds, q) != 0;
  if (inside && ACheckCapture) {
    const HWND capture = GetCapture();
    inside = !capture || (Edit && Edit->HandleAllocated() && capture == Edit->GetHandle());
  }
  if (inside) state.Include(CS::csHotTrack);
  return state;
}

// ---- view data: border ----

TcxEditBorderStyle TcxCustomEditViewData::GetEffectiveBorderStyle() const {
  if (IsInplace || !Style) return EB::ebsNone;
  const EB style = Style->GetEditBorderStyle();
  return style == EB::ebsUltraFlat || style == EB::ebsOffice11 ? EB::ebsSingle : style;
}

TRect TcxCustomEditViewData::GetBorderExtent() const {
  TRect r{};
  if (IsInplace) return InplaceBorderExtent;
  if (!Style) return r;
  if (Style->GetTransparentBorder()) {
    r = {2, 2, 2, 2};
  } else if (!Style->HasBorder()) {
    r = {};
  } else if (NativeStyle) {
    const Integer w = Style->GetEditBorderStyle() == EB::ebsNone ? 0 : 2;
    r = {w, w, w, w};
  } else {
    const Integer w = cxEditBorderWidth(GetEffectiveBorderStyle());
    const TcxBorders edges = Style->GetEdges();
    r = {edges.Contains(TcxBorder::bLeft) ? w : 0, edges.Contains(TcxBorder::bTop) ? w : 0,
         edges.Contains(TcxBorder::bRight) ? w : 0, edges.Contains(TcxBorder::bBottom) ? w : 0};
  }
  if (HasShadow()) {
    r.Right += 3;
    r.Bottom += 3;
  }
  return r;
}

TColor TcxCustomEditViewData::GetBorderColor() const {
  if (!Style) return clWindowFrame;
  const EB style = Style->GetEditBorderStyle();
  if (style != EB::ebsUltraFlat && style != EB::ebsOffice11) return Style->GetBorderColor();
  bool highlight;
  if (ContainerState.Contains(CS::csActive))
    highlight = true;
  else if (ContainerState.Contains(CS::csHotTrack))
    highlight = Style->GetHotTrack() || (Enabled && Selected);
  else
    highlight = Enabled && Selected;
  return highlight ? cxGetEditBorderHighlightColor(style == EB::ebsOffice11) : clBtnShadow;
}

TRect TcxCustomEditViewData::GetClientExtent(TcxCanvas& ACanvas, TcxCustomEditViewInfo* AViewInfo) {
  (void)ACanvas;
  const TRect b = AViewInfo->Bounds, c = AViewInfo->ClientRect;
  return {c.Left - b.Left, c.Top - b.Top, b.Right - c.Right, b.Bottom - c.Bottom};
}

// ---- view data: layout ----

void TcxCustomEditViewData::Calculate(TcxCanvas& ACanvas, const TRect& ABounds, const TPoint& P,
                                      TcxMouseButton AButton, TShiftState AShift, TcxCustomEditViewInfo* AViewInfo,
                                      bool AIsMouseEvent) {
  Bounds = ABounds;
  // 1. State.
  ContainerState = GetContainerState(ABounds, P, AButton, AShift, !IsInplace);
  Hot = ContainerState.Contains(CS::csActive) || ContainerState.Contains(CS::csHotTrack);
  // The editor's active style follows its view info's state: the state just found, not the
  // last layout's, or each new look would show one step late.
  auto takeActiveStyle = [&] {
    if (!Edit) return;
    if (AViewInfo == Edit->ViewInfo()) AViewInfo->ContainerState = ContainerState;
    if (auto* s = dynamic_cast<TcxCustomEditStyle*>(Edit->GetActiveStyle())) Style = s;
  };
  takeActiveStyle();
  const Integer previousBorderWidth = AViewInfo->BorderWidth;
  TcxContainerHotState hot{};
  EB border{};
  auto state = [&] {
    AViewInfo->ContainerState = ContainerState;
    if (Selected || !Style || !Style->GetHotTrack() || IsInplace)
      hot = TcxContainerHotState::chsNoHotTrack;
    else
      hot = Hot ? TcxContainerHotState::chsSelected : TcxContainerHotState::chsNormal;
    AViewInfo->HotState = uint8_t(Ord(hot));
    border = hot != TcxContainerHotState::chsNoHotTrack && Style ? Style->GetEditBorderStyle()
                                                                 : GetEffectiveBorderStyle();
    AViewInfo->SetEditBorderStyle(border);
    AViewInfo->BorderWidth = cxEditBorderWidth(border);
  };
  state();
  // A thinner border than the last layout's widens the area the state depends on: once more.
  if (!IsInplace && !NativeStyle && AViewInfo->BorderWidth < previousBorderWidth) {
    ContainerState = GetContainerState(ABounds, P, AButton, AShift, !IsInplace);
    Hot = ContainerState.Contains(CS::csActive) || ContainerState.Contains(CS::csHotTrack);
    takeActiveStyle();
    state();
  }
  // 2. Buttons-only view.
  const TcxEditButtonsViewStyle buttonsView = Properties ? Properties->GetButtonsViewStyle()
                                                         : TcxEditButtonsViewStyle::bvsNormal;
  ButtonsOnly = IsInplace ? ABounds.Right != kOpenRightEdge && buttonsView != TcxEditButtonsViewStyle::bvsNormal
                          : buttonsView == TcxEditButtonsViewStyle::bvsButtonsOnly;
  // 3. Copies.
  AViewInfo->Bounds = ABounds;
  AViewInfo->Enabled = Enabled;
  AViewInfo->Focused = Focused;
  AViewInfo->Properties = Properties;
  AViewInfo->Transparent = Properties && Properties->GetTransparent();
  AViewInfo->IsInplace = IsInplace;
  AViewInfo->IsDBEditPaintCopyDrawing = IsDBEditPaintCopyDrawing;
  AViewInfo->PaintOptions = PaintOptions;
  AViewInfo->HasInnerEditOffset = false;
  AViewInfo->HasVisibleInnerEdit = Edit && Edit->InnerControl() && Edit->InnerControl()->GetVisible();
  if (Style) {
    AViewInfo->Edges = Style->GetEdges();
    AViewInfo->Font = Style->GetFont();
    AViewInfo->TextColor = Style->GetTextColor();
  }
  AViewInfo->Shadow = !IsInplace && HasShadow();
  // 4. Rectangles and colours.
  CalculateViewInfoRects(AViewInfo);
  // 5. Buttons.
  CalculateButtonsLayout(ACanvas, AViewInfo, P, AButton, AShift, AIsMouseEvent);
  AViewInfo->InnerEditRect = AViewInfo->ClientRect;
  if (Edit && Edit->InnerControl()) AViewInfo->InnerEditRect = Edit->InnerControl()->GetBoundsRect();
  // 6. Popup border.
  TcxEditPopupBorderStyle popup = Style ? Style->GetPopupBorderStyle() : TcxEditPopupBorderStyle::epbsDefault;
  if (popup == TcxEditPopupBorderStyle::epbsDefault) {
    using PB = TcxEditPopupBorderStyle;
    if (!IsInplace) {
      const EB s = Style ? Style->GetEditBorderStyle() : EB::ebsNone;
      popup = s == EB::ebsNone || s == EB::ebsFlat ? PB::epbsFlat : PB::epbsSingle;
    } else {
      switch (Style ? Style->GetLookAndFeel()->GetKind() : TcxLookAndFeelKind::lfUltraFlat) {
        case TcxLookAndFeelKind::lfFlat: popup = PB::epbsFlat; break;
        case TcxLookAndFeelKind::lfStandard: popup = PB::epbsFrame3D; break;
        default: popup = PB::epbsSingle; break;
      }
    }
  }
  AViewInfo->PopupBorderStyle = popup;
}

void TcxCustomEditViewData::CalculateViewInfoRects(TcxCustomEditViewInfo* AViewInfo) {
  AViewInfo->NativeStyle = NativeStyle;
  int state = 1;
  if (!Enabled)
    state = 4;
  else if (Properties && Properties->GetReadOnly())
    state = 6;
  else if (Focused)
    state = 5;
  else if (Hot)
    state = 2;
  AViewInfo->NativeState = state;
  const TRect extent = GetBorderExtent();
  AViewInfo->BorderRect = Deflated(AViewInfo->Bounds, extent);
  AViewInfo->ClientRect = AViewInfo->BorderRect;
  if (!IsInplace) AViewInfo->BorderColor = GetBorderColor();
  TColor color = Style ? Style->GetVisibleColor() : clWindow;
  if (NativeStyle && !Enabled && Style && !Style->IsValueAssigned(csvColor)) {
    COLORREF fill = 0;
    if (HTHEME theme = cxOpenTheme(TdxThemedObjectType::totEdit);
        theme && SUCCEEDED(cxGetThemeColor(theme, 1, state, kThemeFillColorProperty, fill)))
      color = TColor(fill);
  }
  if (BackgroundColor != clDefault) color = BackgroundColor;
  AViewInfo->SetBackgroundColor(color);
}

TcxEditButtonStyle TcxCustomEditViewData::ResolveButtonStyle() const {
  const St style = Style ? Style->GetButtonStyle() : St::btsDefault;
  if (style != St::btsDefault) return style;
  if (!IsInplace) {
    switch (Style ? Style->GetEditBorderStyle() : EB::ebsNone) {
      case EB::ebsNone: return St::btsSimple;
      case EB::ebsSingle: return St::btsHotFlat;
      case EB::ebsThick: return St::bts3D;
      case EB::ebsFlat: return St::btsFlat;
      case EB::ebs3D: return St::bts3D;
      case EB::ebsUltraFlat: return St::btsUltraFlat;
      case EB::ebsOffice11: return St::btsOffice11;
    }
  }
  switch (Style ? Style->GetLookAndFeel()->GetKind() : TcxLookAndFeelKind::lfUltraFlat) {
    case TcxLookAndFeelKind::lfFlat: return St::btsFlat;
    case TcxLookAndFeelKind::lfStandard: return St::bts3D;
    case TcxLookAndFeelKind::lfOffice11: return St::btsOffice11;
    default: return St::btsUltraFlat;
  }
}

void TcxCustomEditViewData::CalculateButtonViewInfo(TcxCanvas& ACanvas, TcxCustomEditViewInfo* AViewInfo, bool,
                                                    Integer AButtonVisibleIndex) {
  TcxEditButtonViewInfo& v = *AViewInfo->ButtonsInfo[size_t(AButtonVisibleIndex)];
  TcxEditButton* button = Properties->GetButtons()->Items(v.ButtonIndex);
  TcxEditButtonViewInfoData& d = v.Data;
  d = TcxEditButtonViewInfoData{};
  d.Kind = button->GetKind();
  if (d.Kind == K::bkText) {
    d.Caption = button->GetCaption();
    d.TextColor = button->GetTextColor();
    d.DisplayCaption = button->GetDisplayCaption();
  }
  d.Glyph = button->HasGlyph() ? button->GetGlyph() : nullptr;
  d.Default = button->GetDefault();
  d.LeftAlignment = button->GetLeftAlignment();
  d.Stretchable = button->GetStretchable();
  d.IsInplace = IsInplace;
  d.NativeStyle = NativeStyle;
  d.Gradient = Style && Style->GetGradientButtons();
  d.ComboBoxStyle = VisibleButtonCount == 1 && d.Kind == K::bkDown;
  Integer width = button->GetWidth();
  if (width == 0 && OnGetDefaultButtonWidth) OnGetDefaultButtonWidth(this, v.ButtonIndex, width);
  d.Width = width;
  d.Width = cxGetEditButtonWidth(ACanvas, v);
  const TcxEditButtonTransparency t =
      Style ? Style->GetButtonTransparency() : TcxEditButtonTransparency::ebtNone;
  d.Transparent = t == TcxEditButtonTransparency::ebtAlways || (t == TcxEditButtonTransparency::ebtInactive && !Hot);
}

void TcxCustomEditViewData::CalculateButtonBounds(TcxCanvas&, TcxCustomEditViewInfo* AViewInfo,
                                                  Integer AButtonVisibleIndex, TRect& ButtonsRect) {
  TcxEditButtonViewInfo& v = *AViewInfo->ButtonsInfo[size_t(AButtonVisibleIndex)];
  if (ButtonsRect.IsEmpty()) {
    v.Bounds = v.VisibleBounds = TRect{};
    return;
  }
  const Integer w = v.Data.Width;
  const Integer room = std::max<Integer>(0, std::min(w, ButtonsRect.Width()));
  if (v.Data.LeftAlignment) {
    v.Bounds = {ButtonsRect.Left, ButtonsRect.Top, ButtonsRect.Left + w, ButtonsRect.Bottom};
    v.VisibleBounds = {ButtonsRect.Left, ButtonsRect.Top, ButtonsRect.Left + room, ButtonsRect.Bottom};
    ButtonsRect.Left += room;
  } else {
    v.Bounds = {ButtonsRect.Right - w, ButtonsRect.Top, ButtonsRect.Right, ButtonsRect.Bottom};
    v.VisibleBounds = {ButtonsRect.Right - room, ButtonsRect.Top, ButtonsRect.Right, ButtonsRect.Bottom};
    ButtonsRect.Right -= room;
  }
}

void TcxCustomEditViewData::StretchButtons(TcxCustomEditViewInfo* AViewInfo, Integer AWidth) {
  auto& buttons = AViewInfo->ButtonsInfo;
  std::vector<size_t> part;
  for (size_t i = 0; i < buttons.size(); ++i)
    if (buttons[i]->Data.Stretchable) part.push_back(i);
  if (part.empty())
    for (size_t i = 0; i < buttons.size(); ++i) part.push_back(i);
  Integer sum = 0;
  for (size_t i : part) sum += buttons[i]->Data.Width;
  Integer left = AWidth;
  // From the last participant to the first; the last one taken gets what is left. With
  // widths summing to zero there is nothing to divide by: it gets all of the width.
  for (size_t k = part.size(); k-- > 0;) {
    const size_t i = part[k];
    TcxEditButtonViewInfo& b = *buttons[i];
    const Integer grow = k == 0 ? left : sum > 0 ? Integer(int64_t(b.Data.Width) * AWidth / sum) : 0;
    left -= grow;
    if (grow == 0) continue;
    const bool leftAligned = b.Data.LeftAlignment;
    if (leftAligned) {
      b.Bounds.Right += grow;
      b.VisibleBounds.Right += grow;
    } else {
      b.Bounds.Left -= grow;
      b.VisibleBounds.Left -= grow;
    }
    for (size_t j = 0; j < i; ++j)
      if (buttons[j]->Data.LeftAlignment == leftAligned) {
        OffsetBy(buttons[j]->Bounds, leftAligned ? grow : -grow, 0);
        OffsetBy(buttons[j]->VisibleBounds, leftAligned ? grow : -grow, 0);
      }
  }
}

void TcxCustomEditViewData::MarkOuterButtons(TcxCustomEditViewInfo* AViewInfo) {
  LeftFirstButton = LeftLastButton = RightFirstButton = RightLastButton = -1;
  auto& buttons = AViewInfo->ButtonsInfo;
  for (Integer i = 0; i < Integer(buttons.size()); ++i) {
    TcxEditButtonViewInfo& b = *buttons[size_t(i)];
    if (ButtonsOnly) b.Data.LeftAlignment = false;
    Integer& first = b.Data.LeftAlignment ? LeftFirstButton : RightFirstButton;
    Integer& last = b.Data.LeftAlignment ? LeftLastButton : RightLastButton;
    if (first < 0) first = i;
    last = i;
  }
  // Left-aligned buttons are placed from the edge inwards in reverse order, right-aligned
  // ones likewise: the last of a group stands at the editor's border.
  for (Integer i = 0; i < Integer(buttons.size()); ++i) {
    TcxEditButtonViewInfoData& d = buttons[size_t(i)]->Data;
    if (d.LeftAlignment) {
      d.Leftmost = i == LeftLastButton;
      d.Rightmost = i == LeftFirstButton;
    } else {
      d.Leftmost = i == RightFirstButton;
      d.Rightmost = i == RightLastButton;
    }
  }
}

void TcxCustomEditViewData::CalculateButtonsLayout(TcxCanvas& ACanvas, TcxCustomEditViewInfo* AViewInfo,
                                                   const TPoint& P, TcxMouseButton AButton, TShiftState AShift,
                                                   bool AIsMouseEvent) {
  const Integer oldPressed = AViewInfo->PressedButton;
  AViewInfo->ButtonsInfo.clear();
  AViewInfo->PressedButton = AViewInfo->SelectedButton = -1;
  AViewInfo->HasTextButton = false;
  LeftFirstButton = LeftLastButton = RightFirstButton = RightLastButton = -1;
  if (!Properties) return;
  // 1. Buttons hidden while the editor is inactive.
  const TcxEditButtonTransparency t = Style ? Style->GetButtonTransparency() : TcxEditButtonTransparency::ebtNone;
  if (!Focused && (t == TcxEditButtonTransparency::ebtHideInactive ||
                   (t == TcxEditButtonTransparency::ebtHideUnselected && !ContainerState.Contains(CS::csHotTrack))))
    return;
  // 2. One view info per visible button.
  TcxEditButtons* buttons = Properties->GetButtons();
  for (Integer i = 0; i < buttons->Count(); ++i) {
    if (!buttons->Items(i)->GetVisible()) continue;
    AViewInfo->ButtonsInfo.emplace_back(AViewInfo->GetButtonsViewInfoClass().Create());
    TcxEditButtonViewInfo& v = *AViewInfo->ButtonsInfo.back();
    v.ButtonIndex = i;
    v.ButtonVisibleIndex = Integer(AViewInfo->ButtonsInfo.size()) - 1;
  }
  // 3. Style.
  const St style = ResolveButtonStyle();
  // 4. Placement from the last to the first.
  TRect area = AViewInfo->ClientRect;
  for (Integer i = Integer(AViewInfo->ButtonsInfo.size()) - 1; i >= 0; --i) {
    TcxEditButtonViewInfo& v = *AViewInfo->ButtonsInfo[size_t(i)];
    v.ButtonStyle = style;
    if (!AViewInfo->HasTextButton && buttons->Items(v.ButtonIndex)->GetKind() == K::bkText) {
      AViewInfo->HasTextButton = true;
      if (Style) cxSetCanvasFont(ACanvas, Style->GetFont());
    }
    CalculateButtonViewInfo(ACanvas, AViewInfo, Focused, i);
    CalculateButtonBounds(ACanvas, AViewInfo, i, area);
  }
  // 5. The buttons-only view shares what is left among the buttons.
  if (ButtonsOnly && !AViewInfo->ButtonsInfo.empty() && area.Width() > 0) StretchButtons(AViewInfo, area.Width());
  AViewInfo->ClientRect = ButtonsOnly && !AViewInfo->ButtonsInfo.empty() ? TRect{area.Left, area.Top, area.Left, area.Bottom}
                                                                           : area;
  // 6. States.
  for (Integer i = 0; i < Integer(AViewInfo->ButtonsInfo.size()); ++i) {
    TcxEditButtonViewInfo& v = *AViewInfo->ButtonsInfo[size_t(i)];
    TcxEditButtonStateInput in;
    in.EditEnabled = Enabled;
    in.ButtonEnabled = buttons->Items(v.ButtonIndex)->GetEnabled();
    const POINT q{P.X, P.Y};
    in.MouseOver = PtInRect(&v.VisibleBounds, q) != 0;
    in.PressedByViewData = IsButtonPressed(v.ButtonIndex);
    in.MouseDown = AIsMouseEvent && AButton == TcxMouseButton::cxmbLeft;
    in.Shift = AShift;
    in.CanBePressed = CanPressButton(AViewInfo, i);
    in.WasPressed = oldPressed == i;
    v.State = cxCalculateEditButtonState(in);
    if (AViewInfo->OnGetButtonState) AViewInfo->OnGetButtonState(AViewInfo, i, v.State);
    if (v.State == TcxEditButtonState::ebsPressed) AViewInfo->PressedButton = i;
    if (v.State == TcxEditButtonState::ebsSelected) AViewInfo->SelectedButton = i;
    cxCalcNativeButtonPartAndState(v);
  }
  AViewInfo->IsButtonReallyPressed = AViewInfo->PressedButton >= 0;
  // 7. Outer edges.
  MarkOuterButtons(AViewInfo);
}

// ---- view data: sizes ----

TSize TcxCustomEditViewData::GetBorderPaddingSize() const {
  const TRect e = GetBorderExtent();
  return {e.Left + e.Right + HorzSpacing, e.Top + e.Bottom + VertSpacing};
}

TSize TcxCustomEditViewData::InternalGetEditContentSize(TcxCanvas&, const Variant&, const TcxEditSizeProperties&) {
  return {0, 0};
}

TSize TcxCustomEditViewData::GetEditContentSize(TcxCanvas& ACanvas, const Variant& AEditValue,
                                                const TcxEditSizeProperties& AEditSizeProperties) {
  if (Properties && Properties->GetButtonsViewStyle() != TcxEditButtonsViewStyle::bvsNormal) {
    if (Style) cxSetCanvasFont(ACanvas, Style->GetFont());
    return {0, ACanvas.TextHeight("Zg") + GetBorderPaddingSize().cy};
  }
  return InternalGetEditContentSize(ACanvas, AEditValue, AEditSizeProperties);
}

TSize TcxCustomEditViewData::GetEditConstantPartSize(TcxCanvas& ACanvas, const TcxEditSizeProperties&,
                                                     TSize& AMinContentSize, TcxCustomEditViewInfo* AViewInfo) {
  Owned<TcxCustomEditViewInfo> own;
  if (!AViewInfo) {
    own.reset(Properties ? Properties->GetViewInfoClass().Create() : New<TcxCustomEditViewInfo>());
    AViewInfo = own.get();
  }
  // Laid out on generous bounds: the constant part does not depend on them.
  Calculate(ACanvas, {0, 0, 10000, 10000}, {-1, -1}, TcxMouseButton::cxmbNone, {}, AViewInfo, false);
  const TRect c = AViewInfo->ClientRect;
  const TSize constant{10000 - c.Width(), 10000 - c.Height()};
  Integer content = 0;
  for (const auto& b : AViewInfo->ButtonsInfo) {
    Integer h = 0;
    if (b->Data.Kind == K::bkGlyph && b->Data.Glyph) h = b->Data.Glyph->GetHeight();
    if (IsInplace && b->Data.Kind == K::bkText) h = ACanvas.TextHeight(b->Data.DisplayCaption);
    if (h > 0) content = std::max(content, h + cxGetEditButtonBordersHeight(ACanvas, *b));
  }
  AMinContentSize = {0, std::max<Integer>(0, content - constant.cy)};
  return constant;
}

TSize TcxCustomEditViewData::CalculateEditSize(TcxCanvas& ACanvas, const Variant& AEditValue,
                                               TcxEditSizeProperties& AEditSizeProperties) {
  TSize minContent{};
  const TSize constant = GetEditConstantPartSize(ACanvas, AEditSizeProperties, minContent);
  const Integer requested = AEditSizeProperties.Width;
  bool keepWidth = false;
  if (requested >= 0) {
    AEditSizeProperties.Width = requested - constant.cx;
    if (AEditSizeProperties.Width <= 0) {
      AEditSizeProperties.Width = 0;
      keepWidth = true;
    }
  }
  TSize content = GetEditContentSize(ACanvas, AEditValue, AEditSizeProperties);
  content.cx = std::max(content.cx, minContent.cx);
  content.cy = std::max(content.cy, minContent.cy);
  TSize size{constant.cx + content.cx, constant.cy + content.cy};
  if (keepWidth) size.cx = requested;
  AEditSizeProperties.Width = requested;
  if (!IsInplace && Edit)
    if (TSizeConstraints* k = Edit->GetConstraints()) {
      if (k->GetMinHeight() != 0) size.cy = std::max<Integer>(size.cy, k->GetMinHeight());
      if (k->GetMaxHeight() != 0) size.cy = std::min<Integer>(size.cy, k->GetMaxHeight());
      if (k->GetMinWidth() != 0) size.cx = std::max<Integer>(size.cx, k->GetMinWidth());
      if (k->GetMaxWidth() != 0) size.cx = std::min<Integer>(size.cx, k->GetMaxWidth());
    }
  return size;
}

TL_DEFINE_CLASS(TcxCustomEditViewData, [](auto&) {});
