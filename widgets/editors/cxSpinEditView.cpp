// The spin edit's view: where its buttons go in each position and how they are drawn.
#include "platform/theme/UxTheme.h"
#include "widgets/editcore/cxEditPaintUtils.h"
#include "widgets/editcore/cxEditUtils.h"
#include "widgets/editors/cxSpinEdit.h"
#include "widgets/foundation/dxThemeManager.h"
#include "widgets/foundation/dxUxTheme.h"

namespace {

using B = TcxSpinEditButton;
using P = TcxSpinEditButtonsPosition;
using AD = TcxArrowDirection;

int NativeSpinState(TcxEditButtonState AState) {
  switch (AState) {
    case TcxEditButtonState::ebsDisabled: return 4;
    case TcxEditButtonState::ebsPressed: return 3;
    case TcxEditButtonState::ebsSelected: return 2;
    default: return 1;
  }
}

int NativeSpinPart(AD ADirection) {
  switch (ADirection) {
    case AD::adUp: return SPNP_UP;
    case AD::adDown: return SPNP_DOWN;
    case AD::adRight: return SPNP_UPHORZ;
    default: return SPNP_DOWNHORZ;
  }
}

void Place(TcxEditButtonViewInfo* V, const TRect& R, bool ALeft) {
  if (!V) return;
  V->Bounds = V->VisibleBounds = R;
  V->Data.LeftAlignment = ALeft;
}

// Takes a button of its own width from the right (or left) of the area.
void TakeSide(TcxEditButtonViewInfo* V, TRect& AArea, bool ALeft) {
  if (!V) return;
  const Integer w = std::max<Integer>(0, std::min(V->Data.Width, AArea.Width()));
  if (ALeft) {
    Place(V, {AArea.Left, AArea.Top, AArea.Left + w, AArea.Bottom}, true);
    AArea.Left += w;
  } else {
    Place(V, {AArea.Right - w, AArea.Top, AArea.Right, AArea.Bottom}, false);
    AArea.Right -= w;
  }
}

// The arrow of one step, or the two stacked arrows of a fast step: as many lines as fit
// along the arrow's way and across it, at most AMaxLines.
void DrawSpinArrow(TcxCanvas& ACanvas, const TRect& R, AD ADirection, bool AFast, bool APressed, TColor AColor,
                   Integer AMaxLines) {
  const bool horizontal = ADirection == AD::adLeft || ADirection == AD::adRight;
  const Integer along = horizontal ? R.Width() : R.Height(), across = horizontal ? R.Height() : R.Width();
  const Integer lines = std::max<Integer>(1, std::min({along / (AFast ? 2 : 1), (across + 1) / 2, AMaxLines}));
  cxDrawEditArrow(ACanvas, R, lines, ADirection, APressed, AFast, AColor);
}

}  // namespace

// ---- view data ----

void TcxSpinEditViewData::Calculate(TcxCanvas& ACanvas, const TRect& ABounds, const TPoint& P, TcxMouseButton AButton,
                                    TShiftState AShift, TcxCustomEditViewInfo* AViewInfo, bool AIsMouseEvent) {
  if (auto* vi = dynamic_cast<TcxSpinEditViewInfo*>(AViewInfo)) {
    auto* p = dynamic_cast<TcxCustomSpinEditProperties*>(Properties);
    vi->ButtonsPosition = p ? p->GetSpinButtons()->GetPosition() : P::sbpVert;
  }
  inherited::Calculate(ACanvas, ABounds, P, AButton, AShift, AViewInfo, AIsMouseEvent);
}

bool TcxSpinEditViewData::IsButtonPressed(Integer AButtonIndex) const {
  return PressedState != 0 && AButtonIndex + 1 == PressedState;
}

void TcxSpinEditViewData::CalculateButtonBounds(TcxCanvas& ACanvas, TcxCustomEditViewInfo* AViewInfo,
                                                Integer AButtonVisibleIndex, TRect& ButtonsRect) {
  // The layout reaches the last button first; that call places them all.
  if (AButtonVisibleIndex != Integer(AViewInfo->ButtonsInfo.size()) - 1) return;
  for (Integer i = 0; i < AButtonVisibleIndex; ++i) CalculateButtonViewInfo(ACanvas, AViewInfo, Focused, i);
  LayoutButtons(AViewInfo, ButtonsRect);
}

void TcxSpinEditViewData::LayoutButtons(TcxCustomEditViewInfo* AViewInfo, TRect& ButtonsRect) {
  TcxEditButtonViewInfo* byIndex[4] = {};
  for (const auto& b : AViewInfo->ButtonsInfo) {
    b->Bounds = b->VisibleBounds = TRect{};
    if (b->ButtonIndex >= 0 && b->ButtonIndex < 4) byIndex[b->ButtonIndex] = b.get();
  }
  if (ButtonsRect.IsEmpty()) return;
  TcxEditButtonViewInfo* backward = byIndex[Ord(B::sebBackward)];
  TcxEditButtonViewInfo* forward = byIndex[Ord(B::sebForward)];
  TcxEditButtonViewInfo* fastBackward = byIndex[Ord(B::sebFastBackward)];
  TcxEditButtonViewInfo* fastForward = byIndex[Ord(B::sebFastForward)];
  auto* p = dynamic_cast<TcxCustomSpinEditProperties*>(Properties);
  const P position = p ? p->GetSpinButtons()->GetPosition() : P::sbpVert;

  TakeSide(fastForward, ButtonsRect, false);
  switch (position) {
    case P::sbpVert: {
      TcxEditButtonViewInfo* column = forward ? forward : backward;
      if (!column) break;
      Integer w = column->Data.Width;
      if (forward && backward) w = std::max(forward->Data.Width, backward->Data.Width);
      w = std::max<Integer>(0, std::min(w, ButtonsRect.Width()));
      const TRect col{ButtonsRect.Right - w, ButtonsRect.Top, ButtonsRect.Right, ButtonsRect.Bottom};
      ButtonsRect.Right -= w;
      if (forward && backward) {
        const Integer middle = col.Top + col.Height() / 2;
        Place(forward, {col.Left, col.Top, col.Right, middle}, false);
        Place(backward, {col.Left, middle + (NativeStyle ? 1 : 0), col.Right, col.Bottom}, false);
      } else {
        Place(column, col, false);
      }
      TakeSide(fastBackward, ButtonsRect, false);
      break;
    }
    case P::sbpHorzRight:
      TakeSide(forward, ButtonsRect, false);
      TakeSide(backward, ButtonsRect, false);
      TakeSide(fastBackward, ButtonsRect, false);
      break;
    case P::sbpHorzLeftRight:
      TakeSide(forward, ButtonsRect, false);
      TakeSide(fastBackward, ButtonsRect, true);
      TakeSide(backward, ButtonsRect, true);
      break;
  }
}

// ---- view info ----

void TcxSpinEditViewInfo::Assign(TcxContainerViewInfo* Source) {
  inherited::Assign(Source);
  if (auto* s = dynamic_cast<TcxSpinEditViewInfo*>(Source)) ButtonsPosition = s->ButtonsPosition;
}

TcxArrowDirection TcxSpinEditViewInfo::ArrowDirection(Integer AButtonIndex) const {
  switch (AButtonIndex) {
    case Ord(B::sebBackward): return ButtonsPosition == P::sbpVert ? AD::adDown : AD::adLeft;
    case Ord(B::sebForward): return ButtonsPosition == P::sbpVert ? AD::adUp : AD::adRight;
    case Ord(B::sebFastBackward): return AD::adLeft;
    default: return AD::adRight;
  }
}

void TcxSpinEditViewInfo::DrawButton(TcxCanvas& ACanvas, Integer AButtonVisibleIndex) {
  if (AButtonVisibleIndex < 0 || AButtonVisibleIndex >= Integer(ButtonsInfo.size())) return;
  bool handled = false;
  if (OnDrawButton) OnDrawButton(this, ACanvas, AButtonVisibleIndex, handled);
  if (handled) return;
  TcxEditButtonViewInfo& v = *ButtonsInfo[size_t(AButtonVisibleIndex)];
  if (v.Bounds.IsEmpty()) return;
  const AD direction = ArrowDirection(v.ButtonIndex);
  const bool fast = v.ButtonIndex == Ord(B::sebFastBackward) || v.ButtonIndex == Ord(B::sebFastForward);
  if (v.Data.NativeStyle && !fast) {
    if (HTHEME theme = cxOpenTheme(TdxThemedObjectType::totSpin)) {
      cxDrawThemeBackground(theme, ACanvas.GetHandle(), NativeSpinPart(direction), NativeSpinState(v.State), v.Bounds);
      return;
    }
  }
  // The frame and face of the button's style, drawn as a button without content of its own.
  const TcxEditButtonViewInfoData saved = v.Data;
  v.Data.Kind = TcxEditButtonKind::bkGlyph;
  v.Data.Glyph = nullptr;
  cxDrawEditButton(ACanvas, *this, AButtonVisibleIndex);
  v.Data = saved;
  // A half-height button of the vertical column keeps less room above and below its arrow.
  const bool half = ButtonsPosition == P::sbpVert && !fast;
  TRect content = v.Bounds;
  InflateRect(&content, -2, half ? -1 : -2);
  if (content.IsEmpty()) return;
  const Integer maxLines = half ? 3 : 4;
  const bool pressed = v.State == TcxEditButtonState::ebsPressed;
  if (v.State == TcxEditButtonState::ebsDisabled) {
    TRect shifted = content;
    OffsetRect(&shifted, 1, 1);
    DrawSpinArrow(ACanvas, shifted, direction, fast, false, clBtnHighlight, maxLines);
    DrawSpinArrow(ACanvas, content, direction, fast, false, clBtnShadow, maxLines);
    return;
  }
  DrawSpinArrow(ACanvas, content, direction, fast, pressed, clBtnText, maxLines);
}

TL_DEFINE_CLASS(TcxSpinEditViewInfo, [](auto&) {});
TL_DEFINE_CLASS(TcxSpinEditViewData, [](auto&) {});
