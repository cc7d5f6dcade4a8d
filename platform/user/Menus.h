// Menus: HMENU handles with their items, the menu bar in a window's frame, and the modal
// tracking of the bar and of popup menus. Shortcut keys are not the platform's business:
// there are no accelerator tables.
#pragma once

#include "platform/user/User.h"

inline constexpr UINT MF_INSERT = 0x0000;
inline constexpr UINT MF_CHANGE = 0x0080;
inline constexpr UINT MF_APPEND = 0x0100;
inline constexpr UINT MF_DELETE = 0x0200;
inline constexpr UINT MF_REMOVE = 0x1000;
inline constexpr UINT MF_BYCOMMAND = 0x0000;
inline constexpr UINT MF_BYPOSITION = 0x0400;
inline constexpr UINT MF_SEPARATOR = 0x0800;
inline constexpr UINT MF_ENABLED = 0x0000;
inline constexpr UINT MF_GRAYED = 0x0001;
inline constexpr UINT MF_DISABLED = 0x0002;
inline constexpr UINT MF_UNCHECKED = 0x0000;
inline constexpr UINT MF_CHECKED = 0x0008;
inline constexpr UINT MF_STRING = 0x0000;
inline constexpr UINT MF_BITMAP = 0x0004;
inline constexpr UINT MF_OWNERDRAW = 0x0100;
inline constexpr UINT MF_POPUP = 0x0010;
inline constexpr UINT MF_MENUBARBREAK = 0x0020;
inline constexpr UINT MF_MENUBREAK = 0x0040;
inline constexpr UINT MF_UNHILITE = 0x0000;
inline constexpr UINT MF_HILITE = 0x0080;
inline constexpr UINT MF_DEFAULT = 0x1000;
inline constexpr UINT MF_RIGHTJUSTIFY = 0x4000;
inline constexpr UINT MF_MOUSESELECT = 0x8000;

inline constexpr UINT MFT_STRING = MF_STRING;
inline constexpr UINT MFT_BITMAP = MF_BITMAP;
inline constexpr UINT MFT_MENUBARBREAK = MF_MENUBARBREAK;
inline constexpr UINT MFT_MENUBREAK = MF_MENUBREAK;
inline constexpr UINT MFT_OWNERDRAW = MF_OWNERDRAW;
inline constexpr UINT MFT_RADIOCHECK = 0x0200;
inline constexpr UINT MFT_SEPARATOR = MF_SEPARATOR;
inline constexpr UINT MFT_RIGHTORDER = 0x2000;
inline constexpr UINT MFT_RIGHTJUSTIFY = MF_RIGHTJUSTIFY;
inline constexpr UINT MFS_GRAYED = 0x0003;
inline constexpr UINT MFS_DISABLED = MFS_GRAYED;
inline constexpr UINT MFS_CHECKED = MF_CHECKED;
inline constexpr UINT MFS_HILITE = MF_HILITE;
inline constexpr UINT MFS_ENABLED = MF_ENABLED;
inline constexpr UINT MFS_UNCHECKED = MF_UNCHECKED;
inline constexpr UINT MFS_UNHILITE = MF_UNHILITE;
inline constexpr UINT MFS_DEFAULT = MF_DEFAULT;

inline constexpr UINT MIIM_STATE = 0x0001;
inline constexpr UINT MIIM_ID = 0x0002;
inline constexpr UINT MIIM_SUBMENU = 0x0004;
inline constexpr UINT MIIM_CHECKMARKS = 0x0008;
inline constexpr UINT MIIM_TYPE = 0x0010;
inline constexpr UINT MIIM_DATA = 0x0020;
inline constexpr UINT MIIM_STRING = 0x0040;
inline constexpr UINT MIIM_BITMAP = 0x0080;
inline constexpr UINT MIIM_FTYPE = 0x0100;

// As an item's bitmap (MIIM_BITMAP): the owner measures and draws the item's image itself.
// Before a popup menu is shown, WM_MEASUREITEM (ODT_MENU, the item's id and data) asks the
// image's size; the menu keeps a column as wide as its widest image between the check marks
// and the texts, and the item is at least the image's height plus 2. WM_DRAWITEM then asks
// for the image in its rectangle (rcItem), on the item's background already drawn, with
// the item's state (selected, grayed, checked). An image measured empty takes no room.
inline HBITMAP const HBMMENU_CALLBACK = reinterpret_cast<HBITMAP>(intptr_t(-1));

struct MENUITEMINFOA {
  UINT cbSize = sizeof(MENUITEMINFOA);
  UINT fMask = 0;
  UINT fType = 0;
  UINT fState = 0;
  UINT wID = 0;
  HMENU hSubMenu = nullptr;
  HBITMAP hbmpChecked = nullptr;
  HBITMAP hbmpUnchecked = nullptr;
  ULONG_PTR dwItemData = 0;
  LPSTR dwTypeData = nullptr;
  UINT cch = 0;
  HBITMAP hbmpItem = nullptr;
};

inline constexpr UINT TPM_LEFTBUTTON = 0x0000;
inline constexpr UINT TPM_RIGHTBUTTON = 0x0002;
inline constexpr UINT TPM_LEFTALIGN = 0x0000;
inline constexpr UINT TPM_CENTERALIGN = 0x0004;
inline constexpr UINT TPM_RIGHTALIGN = 0x0008;
inline constexpr UINT TPM_TOPALIGN = 0x0000;
inline constexpr UINT TPM_VCENTERALIGN = 0x0010;
inline constexpr UINT TPM_BOTTOMALIGN = 0x0020;
inline constexpr UINT TPM_NONOTIFY = 0x0080;
inline constexpr UINT TPM_RETURNCMD = 0x0100;

struct TPMPARAMS {
  UINT cbSize = sizeof(TPMPARAMS);
  RECT rcExclude;
};

inline constexpr UINT WM_UNINITMENUPOPUP = 0x0125;
inline constexpr WPARAM SC_MOUSEMENU = 0xF090;

HMENU CreateMenu();
HMENU CreatePopupMenu();
BOOL DestroyMenu(HMENU menu);
BOOL IsMenu(HMENU menu);
BOOL AppendMenuA(HMENU menu, UINT flags, UINT_PTR idOrPopup, LPCSTR item);
BOOL InsertMenuA(HMENU menu, UINT position, UINT flags, UINT_PTR idOrPopup, LPCSTR item);
BOOL InsertMenuItemA(HMENU menu, UINT item, BOOL byPosition, const MENUITEMINFOA* info);
BOOL ModifyMenuA(HMENU menu, UINT position, UINT flags, UINT_PTR idOrPopup, LPCSTR item);
BOOL RemoveMenu(HMENU menu, UINT position, UINT flags);
BOOL DeleteMenu(HMENU menu, UINT position, UINT flags);
int GetMenuItemCount(HMENU menu);
UINT GetMenuItemID(HMENU menu, int position);
HMENU GetSubMenu(HMENU menu, int position);
BOOL GetMenuItemInfoA(HMENU menu, UINT item, BOOL byPosition, MENUITEMINFOA* info);
BOOL SetMenuItemInfoA(HMENU menu, UINT item, BOOL byPosition, const MENUITEMINFOA* info);
int GetMenuStringA(HMENU menu, UINT item, LPSTR buffer, int size, UINT flags);
DWORD CheckMenuItem(HMENU menu, UINT item, UINT check);
BOOL CheckMenuRadioItem(HMENU menu, UINT first, UINT last, UINT check, UINT flags);
BOOL EnableMenuItem(HMENU menu, UINT item, UINT enable);
UINT GetMenuState(HMENU menu, UINT item, UINT flags);
BOOL SetMenuDefaultItem(HMENU menu, UINT item, UINT byPosition);
BOOL DrawMenuBar(HWND hwnd);
BOOL HiliteMenuItem(HWND hwnd, HMENU menu, UINT item, UINT hilite);
BOOL GetMenuItemRect(HWND hwnd, HMENU menu, UINT item, LPRECT rect);

inline constexpr Integer OBJID_MENU = Integer(0xFFFFFFFD);
struct MENUBARINFO {
  DWORD cbSize = sizeof(MENUBARINFO);
  RECT rcBar;
  HMENU hMenu = nullptr;
  HWND hwndMenu = nullptr;
  BOOL fBarFocused = FALSE;   // the bar is being tracked
  BOOL fFocused = FALSE;      // the item asked about is the one selected there
};
// The window's menu bar (OBJID_MENU) in screen coordinates: the whole bar for item 0 (an
// empty rectangle when the bar has no items), item n's rectangle for n from 1. FALSE for
// another object, a window without a bar, an item it lacks or a cbSize not this structure's.
BOOL GetMenuBarInfo(HWND hwnd, Integer idObject, Integer idItem, MENUBARINFO* info);
int MenuItemFromPoint(HWND hwnd, HMENU menu, POINT screen);
BOOL EndMenu();

// Modal: returns when the menu closes. With TPM_RETURNCMD the chosen id (0 for none);
// otherwise TRUE, and the choice arrives as a posted WM_COMMAND unless TPM_NONOTIFY.
BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int reserved, HWND owner, const RECT* unused);
BOOL TrackPopupMenuEx(HMENU menu, UINT flags, int x, int y, HWND owner, const TPMPARAMS* params);

// The class of popup menu windows.
inline constexpr const char* MenuWindowClassName = "#32768";

// Menus still alive (for leak checks in tests).
int UserLiveMenuCount();

// The height of the window's menu bar in its frame (0 when it has none): what the screen
// host needs to show the bar above the client area.
int MenuBarHeight(HWND hwnd);

namespace user_detail {
// Frees every menu; part of the platform reset.
void MenusReset();
// The window's frame draws its menu bar here (rect in window coordinates).
void PaintMenuBar(HWND hwnd, HDC windowDC, const TRect& barInWindow);
// The height the window's menu bar needs: the system metric, or more for an item image or
// an owner-drawn item the owner measured taller. Asks the owner for those sizes.
int MeasureMenuBar(HWND hwnd);
// Starts tracking the menu bar: from a click at a screen point, or from the keyboard
// (`key` 0 for Alt/F10, else the mnemonic character).
void TrackMenuBarMouse(HWND hwnd, POINT screen);
void TrackMenuBarKey(HWND hwnd, Byte key);
// Ends the menu being tracked for `owner`, if any (WM_CANCELMODE to the owner).
void EndMenuOf(HWND owner);
}  // namespace user_detail
