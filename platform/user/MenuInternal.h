// Menu data shared by the menu functions and the tracking loop. Not for other layers.
#pragma once

#include "platform/user/Menus.h"

#include <vector>

namespace user_detail {

struct MenuItem {
  UINT type = MFT_STRING;    // MFT_* bits
  UINT state = 0;            // MFS_* bits
  UINT id = 0;
  HMENU sub = nullptr;
  String text;
  ULONG_PTR data = 0;
  HBITMAP bitmap = nullptr;
  TRect rect;                // laid out: bar items in window coordinates, popup items in client
  SIZE image{0, 0};          // a HBMMENU_CALLBACK image as the owner measured it
  SIZE ownerSize{0, 0};      // an owner-drawn item of a menu bar as the owner measured it
};

struct Menu {
  bool popup = false;
  int imageColumn = 0;       // popups: the widest image measured, 0 when none
  std::vector<MenuItem> items;
};

Menu* FindMenu(HMENU h);
bool IsSeparator(const MenuItem& it);
bool IsDisabled(const MenuItem& it);
// An item whose image the owner draws (never an owner-drawn item or a separator).
bool HasOwnerImage(const MenuItem& it);
// The character after a single '&' (upper-cased), or 0.
Byte Mnemonic(const String& text);

}  // namespace user_detail
