#include "widgets/editors/cxOwnerDrawButton.h"

#include "classlib/visual/Menus.h"
#include "platform/gdi/Gdi.h"
#include "platform/user/Controls.h"
#include "platform/user/User.h"
#include "widgets/foundation/cxControlBase.h"

void cxOwnerDrawItem(TControl* AControl, TCanvas* ACanvas, TMessage& Message,
                     const std::function<void(UINT AItemState)>& APaint) {
  if (AControl->InState(TComponentStateItem::csDestroying)) return;
  auto* d = reinterpret_cast<DRAWITEMSTRUCT*>(Message.LParam);
  const int saved = SaveDC(d->hDC);
  ACanvas->SetHandle(d->hDC);
  try {
    APaint(d->itemState);
  } catch (...) {
    ACanvas->SetHandle(nullptr);
    RestoreDC(d->hDC, saved);
    throw;
  }
  ACanvas->SetHandle(nullptr);
  RestoreDC(d->hDC, saved);
  Message.Result = 1;
}

void cxOwnerMeasureItem(TControl* AControl, TMessage& Message) {
  auto* m = reinterpret_cast<MEASUREITEMSTRUCT*>(Message.LParam);
  m->itemWidth = UINT(AControl->GetWidth());
  m->itemHeight = UINT(AControl->GetHeight());
  Message.Result = 1;
}

void cxSetPopupMenuLink(TComponent* AOwner, TComponent*& AField, TComponent* Value) {
  if (Value && !dynamic_cast<TPopupMenu*>(Value) && !dynamic_cast<IcxPopupMenu*>(Value)) Value = nullptr;
  if (AField == Value) return;
  if (AField) AField->RemoveFreeNotification(AOwner);
  AField = Value;
  if (Value) Value->FreeNotification(AOwner);
}

bool cxContextMenuPoint(TControl* AControl, const TMessage& Message, TPoint& P) {
  P = {SHORT(LOWORD(Message.LParam)), SHORT(HIWORD(Message.LParam))};
  if (P.X == -1 && P.Y == -1) {
    P = AControl->ClientToScreen({0, 0});
    return true;
  }
  const TPoint c = AControl->ScreenToClient(P);
  const TRect r = AControl->GetClientRect();
  return c.X >= r.Left && c.X < r.Right && c.Y >= r.Top && c.Y < r.Bottom;
}
