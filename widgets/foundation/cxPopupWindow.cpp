#include "platform/kernel/Arith.h"
#include "platform/user/User.h"
#include "widgets/foundation/cxControlBase.h"

#include <algorithm>

namespace {

using enum TcxPopupAlignHorz;
using enum TcxPopupAlignVert;
using enum TcxPopupDirection;

TPoint PlaceAgainst(const TRect& O, Integer W, Integer H, TcxPopupDirection Direction, TcxPopupAlignHorz AlignHorz,
                    TcxPopupAlignVert AlignVert) {
  TPoint P{0, 0};
  if (Direction == pdVertical) {
    P.X = AlignHorz == pahRight ? O.Right - W : O.Left;
    P.Y = AlignVert == pavTop ? O.Top - H : O.Bottom;
  } else {
    P.X = AlignHorz == pahLeft ? O.Left - W : O.Right;
    P.Y = AlignVert == pavTop ? O.Top : O.Bottom - H;
  }
  if (AlignHorz == pahCenter) P.X = (O.Left + O.Right - W) / 2;
  if (AlignVert == pavCenter) P.Y = (O.Top + O.Bottom - H) / 2;
  return P;
}

Integer ClampInto(Integer Pos, Integer Size, Integer Low, Integer High) {
  // The far edge first, so that a popup larger than the area keeps its near edge visible.
  if (Pos + Size > High) Pos = High - Size;
  if (Pos < Low) Pos = Low;
  return Pos;
}

}  // namespace

TPoint cxCalculatePopupPosition(const TRect& O, Integer W, Integer H, TcxPopupDirection Direction,
                                TcxPopupAlignHorz AlignHorz, TcxPopupAlignVert AlignVert, const TRect& WorkArea) {
  TPoint P = PlaceAgainst(O, W, H, Direction, AlignHorz, AlignVert);
  if (Direction == pdVertical && AlignVert != pavCenter) {
    const bool moreRoomAbove = O.Top - WorkArea.Top > WorkArea.Bottom - O.Bottom;
    if (P.Y + H > WorkArea.Bottom && moreRoomAbove)
      AlignVert = pavTop;
    else if (P.Y < WorkArea.Top && !moreRoomAbove)
      AlignVert = pavBottom;
    P = PlaceAgainst(O, W, H, Direction, AlignHorz, AlignVert);
  } else if (Direction == pdHorizontal && AlignHorz != pahCenter) {
    const bool moreRoomLeft = O.Left - WorkArea.Left > WorkArea.Right - O.Right;
    if (P.X + W > WorkArea.Right && moreRoomLeft)
      AlignHorz = pahLeft;
    else if (P.X < WorkArea.Left && !moreRoomLeft)
      AlignHorz = pahRight;
    P = PlaceAgainst(O, W, H, Direction, AlignHorz, AlignVert);
  }
  if (Direction == pdVertical || AlignHorz == pahCenter) P.X = ClampInto(P.X, W, WorkArea.Left, WorkArea.Right);
  if (Direction == pdHorizontal || AlignVert == pavCenter) P.Y = ClampInto(P.Y, H, WorkArea.Top, WorkArea.Bottom);
  return P;
}

TcxFindPopupOwnerWindowFunc cxFindPopupOwnerWindowFunc = nullptr;

void cxScaleFormByFont(TCustomForm* AForm, TFont* AFont) {
  if (!AForm || !AFont) return;
  Owned<TScreenCanvas> canvas(New<TScreenCanvas>());
  canvas->Font()->Assign(AForm->GetFont());
  const Integer before = canvas->TextHeight("Qq");
  AForm->GetFont()->Assign(AFont);
  canvas->Font()->Assign(AFont);
  const Integer after = canvas->TextHeight("Qq");
  if (before <= 0 || after <= 0 || before == after) return;
  const Integer clientWidth = AForm->GetClientWidth(), clientHeight = AForm->GetClientHeight();
  AForm->ScaleBy(after, before);
  // Scaling also scales the form's own font: it keeps the one given.
  AForm->GetFont()->Assign(AFont);
  AForm->SetClientWidth(MulDiv(clientWidth, after, before));
  AForm->SetClientHeight(MulDiv(clientHeight, after, before));
}

// ---- TcxPopupWindow -------------------------------------------------------------------------

TcxPopupWindow::TcxPopupWindow(TComponent* AOwner) : TForm(AOwner, Integer(0)) {
  SetBorderStyle(TFormBorderStyle::bsNone);
  SetFormStyle(TFormStyle::fsStayOnTop);
  FcxCanvas = New<TcxCanvas>(Canvas());
}

void TcxPopupWindow::BeforeDestruction() {
  FOwnerParent = nullptr;
  inherited::BeforeDestruction();
  if (FcxCanvas) FcxCanvas->Free();
  FcxCanvas = nullptr;
}

void TcxPopupWindow::DrawFrame() {
  TRect R = GetClientRect();
  switch (FBorderStyle) {
    case TcxPopupBorderStyle::pbsUltraFlat:
      FcxCanvas->FrameRect(R, FFrameColor);
      break;
    case TcxPopupBorderStyle::pbsFlat:
      FcxCanvas->DrawEdge(R, false, false);
      break;
    case TcxPopupBorderStyle::pbs3D:
      FcxCanvas->DrawEdge(R, false, true);
      R = {R.Left + 1, R.Top + 1, R.Right - 1, R.Bottom - 1};
      FcxCanvas->DrawEdge(R, false, false);
      break;
    default:
      break;
  }
}

void TcxPopupWindow::Paint() {
  inherited::Paint();
  DrawFrame();
}

void TcxPopupWindow::Deactivate() {
  inherited::Deactivate();
  ClosePopup();
}

void TcxPopupWindow::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_ACTIVATE:
      if (LOWORD(Message.WParam) != WA_INACTIVE) {
        // The owner form keeps an active caption while its popup has the focus.
        FActiveCaptionWindow = reinterpret_cast<HWND>(Message.LParam);
        if (FActiveCaptionWindow) SendMessageA(FActiveCaptionWindow, WM_NCACTIVATE, TRUE, 0);
      }
      break;
    case WM_ACTIVATEAPP:
      if (!Message.WParam) {
        if (FActiveCaptionWindow && IsWindow(FActiveCaptionWindow))
          SendMessageA(FActiveCaptionWindow, WM_NCACTIVATE, FALSE, 0);
        ClosePopup();
      }
      break;
    default:
      break;
  }
  inherited::WndProc(Message);
}

Integer TcxPopupWindow::GetBorderWidth(Integer) const {
  switch (FBorderStyle) {
    case TcxPopupBorderStyle::pbsUltraFlat:
    case TcxPopupBorderStyle::pbsFlat:
      return 1;
    case TcxPopupBorderStyle::pbs3D:
      return 2;
    default:
      return 0;
  }
}

Integer TcxPopupWindow::GetFrameWidth(Integer Side) const { return GetBorderWidth(Side) + FBorderSpace; }

void TcxPopupWindow::SetBorderSpace(Integer Value) {
  FBorderSpace = std::max(Value, 0);
  if (FAdjustSize) ApplyFrameOffset();
}

void TcxPopupWindow::SetPopupBorderStyle(TcxPopupBorderStyle Value) {
  FBorderStyle = Value;
  if (FAdjustSize) ApplyFrameOffset();
}

void TcxPopupWindow::ApplyFrameOffset() {
  const TPoint want{GetFrameWidth(0), GetFrameWidth(1)};
  const Integer dx = want.X - FAppliedOffset.X, dy = want.Y - FAppliedOffset.Y;
  if (dx != 0 || dy != 0)
    for (Integer i = 0; i < ControlCount(); ++i) {
      TControl* child = Controls(i);
      child->SetBounds(child->GetLeft() + dx, child->GetTop() + dy, child->GetWidth(), child->GetHeight());
    }
  FAppliedOffset = want;
}

void TcxPopupWindow::CalculateSize() {
  if (!FAdjustSize) return;
  ApplyFrameOffset();
  // Children sit inside the frame already; their extent without it is the content size.
  Integer right = 0, bottom = 0;
  for (Integer i = 0; i < ControlCount(); ++i) {
    TControl* child = Controls(i);
    right = std::max(right, child->GetLeft() + child->GetWidth() - FAppliedOffset.X);
    bottom = std::max(bottom, child->GetTop() + child->GetHeight() - FAppliedOffset.Y);
  }
  const bool hasChildren = ControlCount() > 0;
  Integer W = GetWidth(), H = GetHeight();
  if (right != 0 || hasChildren) W = GetFrameWidth(0) + right + GetFrameWidth(2);
  if (bottom != 0 || hasChildren) H = GetFrameWidth(1) + bottom + GetFrameWidth(3);
  SetBounds(GetLeft(), GetTop(), W, H);
}

TPoint TcxPopupWindow::CalculatePosition() {
  TRect O = FOwnerBounds;
  if (FOwnerParent) {
    const TPoint a = FOwnerParent->ClientToScreen({O.Left, O.Top});
    const TPoint b = FOwnerParent->ClientToScreen({O.Right, O.Bottom});
    O = {a.X, a.Y, b.X, b.Y};
  }
  const TRect work = cxGetDesktopWorkArea({O.Left, O.Top});
  return cxCalculatePopupPosition(O, GetWidth(), GetHeight(), FDirection, FAlignHorz, FAlignVert, work);
}

void TcxPopupWindow::InitPopup() {
  if (FOwnerParent) GetFont()->Assign(FOwnerParent->GetFont());
}

void TcxPopupWindow::Popup() {
  InitPopup();
  CalculateSize();
  const TPoint P = CalculatePosition();
  SetBounds(P.X, P.Y, GetWidth(), GetHeight());
  Show();
}

void TcxPopupWindow::ClosePopup() { Hide(); }

TL_DEFINE_CLASS(TcxPopupWindow)
