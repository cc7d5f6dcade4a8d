#pragma once
// Window plumbing shared by the owner-drawn push and radio buttons: the item's device context
// lent to a canvas, the item's size, the popup-menu link and where its context menu shows.

#include "classlib/visual/Controls.h"

#include <functional>

// Paints through ACanvas on the item's device context, whose state is restored afterwards even
// when APaint throws. APaint receives the item's state bits.
void cxOwnerDrawItem(TControl* AControl, TCanvas* ACanvas, TMessage& Message,
                     const std::function<void(UINT AItemState)>& APaint);

// The item is the whole control.
void cxOwnerMeasureItem(TControl* AControl, TMessage& Message);

// Accepts only popup menus; a removal of the menu clears AField through Notification.
void cxSetPopupMenuLink(TComponent* AOwner, TComponent*& AField, TComponent* Value);

// Where a context-menu message shows the menu, in screen coordinates: the client origin for
// one sent by the keyboard. False when the click lies outside the client area.
bool cxContextMenuPoint(TControl* AControl, const TMessage& Message, TPoint& P);
