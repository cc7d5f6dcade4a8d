#include "widgets/editors/cxOwnerDrawButton.h"

#include "classlib/core/ScopeGuards.h"
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
  TScopeExit release([ACanvas, d, saved] {
    ACanvas->SetHandle(nullptr);
    RestoreDC(d->hDC, saved);
  });
  APaint(d->itemState);
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

bool cxOwnerContextMenu(TControl* AControl, TComponent* AMenu, TMessage& Message,
                        const std::function<bool(TComponent*, Integer, Integer)>& AShow) {
  if (!AMenu) return false;
  TPoint p{SHORT(LOWORD(Message.LParam)), SHORT(HIWORD(Message.LParam))};
  if (p.X == -1 && p.Y == -1) {
    p = AControl->ClientToScreen({0, 0});
  } else {
    const TPoint c = AControl->ScreenToClient(p);
    const TRect r = AControl->GetClientRect();
    if (c.X < r.Left || c.X >= r.Right || c.Y < r.Top || c.Y >= r.Bottom) return false;
  }
  if (AShow(AMenu, p.X, p.Y)) Message.Result = 1;
  return true;
}
