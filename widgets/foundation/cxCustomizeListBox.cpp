#include "classlib/visual/Messages.h"
#include "platform/user/User.h"
#include "widgets/foundation/cxControlBase.h"

TObject* TcxCustomizeListBox::GetItemObject() {
  const Integer index = GetItemIndex();
  return index >= 0 && index < GetItems()->Count() ? GetItems()->Objects(index) : nullptr;
}

void TcxCustomizeListBox::SetItemObject(TObject* Value) {
  SetItemIndex(GetItems()->IndexOfObject(Value));
  Click();
}

void TcxCustomizeListBox::CreateParams(TCreateParams& Params) {
  inherited::CreateParams(Params);
  Params.WindowClass.style |= CS_HREDRAW;
}

void TcxCustomizeListBox::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  inherited::MouseDown(Button, Shift, X, Y);
  if (Button != TMouseButton::mbLeft || !GetItemObject()) return;
  FDragItemIndex = ItemAtPos({X, Y}, true);
  FPressPoint = {X, Y};
}

void TcxCustomizeListBox::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  inherited::MouseMove(Shift, X, Y);
  if (FDragItemIndex < 0) return;
  if (cxIsPointInDragArea(FPressPoint, X, Y) && ItemAtPos({X, Y}, true) == FDragItemIndex) return;
  const Integer index = FDragItemIndex;
  FDragItemIndex = -1;
  SetItemIndex(index);
  BeginDrag(true);
}

void TcxCustomizeListBox::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_MOUSEMOVE:
      // While an item is armed the list's own tracking would move the selection under
      // the mouse; the move goes to the drag handling only.
      if (FDragItemIndex >= 0) {
        WMMouseMove(Message);
        return;
      }
      break;
    case WM_LBUTTONUP:
    case WM_CANCELMODE:
      FDragItemIndex = -1;
      break;
    default:
      break;
  }
  inherited::WndProc(Message);
}

TL_DEFINE_CLASS(TcxCustomizeListBox)
