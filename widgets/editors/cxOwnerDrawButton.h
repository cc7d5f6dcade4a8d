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

// Answers a context-menu message with AMenu shown through AShow: at the client origin when sent
// by the keyboard, else where clicked. False, with nothing shown, when there is no menu or the
// click lies outside the client area: the message is then the default handling's.
bool cxOwnerContextMenu(TControl* AControl, TComponent* AMenu, TMessage& Message,
                        const std::function<bool(TComponent*, Integer, Integer)>& AShow);
