// Menu handles and their items: creation, editing, queries and states.
#include "platform/kernel/CodePage.h"
#include "platform/user/MenuInternal.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>

namespace user_detail {
namespace {

struct MenuTable {
  std::map<HMENU, std::unique_ptr<Menu>> menus;
  uintptr_t next = 1;
};
MenuTable& Table() {
  static MenuTable t;
  return t;
}

HMENU NewMenu(bool popup) {
  auto m = std::make_unique<Menu>();
  m->popup = popup;
  // Handle values never repeat within a run, so a stale handle never finds a new menu.
  HMENU h = reinterpret_cast<HMENU>(uintptr_t(0x4D000000) + (Table().next++ << 4));
  Table().menus[h] = std::move(m);
  return h;
}

// The item named by position or by command (searched depth first through submenus).
struct Located {
  Menu* menu = nullptr;
  int index = -1;
  MenuItem* item() const { return menu ? &menu->items[size_t(index)] : nullptr; }
};

Located LocateByCommand(Menu* m, UINT id, int depth) {
  if (!m || depth > 32) return {};
  for (size_t i = 0; i < m->items.size(); ++i) {
    MenuItem& it = m->items[i];
    if (it.sub) {
      Located inner = LocateByCommand(FindMenu(it.sub), id, depth + 1);
      if (inner.menu) return inner;
      if (it.id == id) return {m, int(i)};
    } else if (it.id == id) {
      return {m, int(i)};
    }
  }
  return {};
}

Located Locate(HMENU h, UINT item, bool byPosition) {
  Menu* m = FindMenu(h);
  if (!m) return {};
  if (byPosition) {
    if (item >= m->items.size()) return {};
    return {m, int(item)};
  }
  return LocateByCommand(m, item, 0);
}

// Fills an item from the older flag form of the calls.
bool FromFlags(MenuItem& it, UINT flags, UINT_PTR idOrPopup, LPCSTR text) {
  it.type = flags & (MFT_BITMAP | MFT_MENUBARBREAK | MFT_MENUBREAK | MFT_OWNERDRAW | MFT_SEPARATOR | MFT_RIGHTJUSTIFY);
  it.state = flags & (MFS_GRAYED | MFS_CHECKED | MFS_HILITE | MFS_DEFAULT);
  if (flags & MF_POPUP) {
    HMENU sub = reinterpret_cast<HMENU>(idOrPopup);
    if (!FindMenu(sub)) return false;
    it.sub = sub;
    it.id = UINT(idOrPopup);
  } else {
    it.sub = nullptr;
    it.id = UINT(idOrPopup);
  }
  it.text.clear();
  it.data = 0;
  it.bitmap = nullptr;
  if (flags & MF_OWNERDRAW) it.data = ULONG_PTR(reinterpret_cast<uintptr_t>(text));
  else if (flags & MF_BITMAP) it.bitmap = reinterpret_cast<HBITMAP>(const_cast<char*>(text));
  else if (!(flags & MF_SEPARATOR) && text) it.text = text;
  return true;
}

void DestroyTree(HMENU h, int depth) {
  auto found = Table().menus.find(h);
  if (found == Table().menus.end() || depth > 32) return;
  std::unique_ptr<Menu> m = std::move(found->second);
  Table().menus.erase(found);
  for (auto& it : m->items)
    if (it.sub) DestroyTree(it.sub, depth + 1);
}

}  // namespace

Menu* FindMenu(HMENU h) {
  auto it = Table().menus.find(h);
  return it == Table().menus.end() ? nullptr : it->second.get();
}

bool IsSeparator(const MenuItem& it) { return (it.type & MFT_SEPARATOR) != 0; }
bool IsDisabled(const MenuItem& it) { return (it.state & MFS_GRAYED) != 0; }
bool HasOwnerImage(const MenuItem& it) {
  return it.bitmap == HBMMENU_CALLBACK && !IsSeparator(it) && !(it.type & MFT_OWNERDRAW);
}

Byte Mnemonic(const String& text) {
  for (size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != '&') continue;
    if (text[i + 1] == '&') { ++i; continue; }
    return CpUpper(Byte(text[i + 1]));
  }
  return 0;
}

void MenusReset() { Table().menus.clear(); }

}  // namespace user_detail

using namespace user_detail;

int UserLiveMenuCount() { return int(Table().menus.size()); }

HMENU CreateMenu() { return NewMenu(false); }
HMENU CreatePopupMenu() { return NewMenu(true); }
BOOL IsMenu(HMENU menu) { return FindMenu(menu) != nullptr; }

BOOL DestroyMenu(HMENU menu) {
  if (!FindMenu(menu)) return FALSE;
  DestroyTree(menu, 0);
  return TRUE;
}

BOOL InsertMenuA(HMENU menu, UINT position, UINT flags, UINT_PTR idOrPopup, LPCSTR item) {
  Menu* m = FindMenu(menu);
  if (!m) return FALSE;
  MenuItem it;
  if (!FromFlags(it, flags, idOrPopup, item)) return FALSE;
  if (it.sub == menu) return FALSE;   // a menu cannot hold itself
  size_t at = m->items.size();
  if (flags & MF_BYPOSITION) {
    if (position != UINT(-1) && position < m->items.size()) at = position;
  } else {
    Located l = LocateByCommand(m, position, 0);
    if (l.menu) {
      l.menu->items.insert(l.menu->items.begin() + l.index, it);
      return TRUE;
    }
  }
  m->items.insert(m->items.begin() + std::ptrdiff_t(at), it);
  return TRUE;
}

BOOL AppendMenuA(HMENU menu, UINT flags, UINT_PTR idOrPopup, LPCSTR item) {
  return InsertMenuA(menu, UINT(-1), (flags & ~MF_BYCOMMAND) | MF_BYPOSITION, idOrPopup, item);
}

BOOL ModifyMenuA(HMENU menu, UINT position, UINT flags, UINT_PTR idOrPopup, LPCSTR item) {
  Located l = Locate(menu, position, flags & MF_BYPOSITION);
  if (!l.menu) return FALSE;
  MenuItem it;
  if (!FromFlags(it, flags, idOrPopup, item)) return FALSE;
  *l.item() = it;
  return TRUE;
}

BOOL RemoveMenu(HMENU menu, UINT position, UINT flags) {
  Located l = Locate(menu, position, flags & MF_BYPOSITION);
  if (!l.menu) return FALSE;
  l.menu->items.erase(l.menu->items.begin() + l.index);
  return TRUE;
}

BOOL DeleteMenu(HMENU menu, UINT position, UINT flags) {
  Located l = Locate(menu, position, flags & MF_BYPOSITION);
  if (!l.menu) return FALSE;
  HMENU sub = l.item()->sub;
  l.menu->items.erase(l.menu->items.begin() + l.index);
  if (sub) DestroyMenu(sub);
  return TRUE;
}

int GetMenuItemCount(HMENU menu) {
  Menu* m = FindMenu(menu);
  return m ? int(m->items.size()) : -1;
}

UINT GetMenuItemID(HMENU menu, int position) {
  Menu* m = FindMenu(menu);
  if (!m || position < 0 || size_t(position) >= m->items.size()) return UINT(-1);
  const MenuItem& it = m->items[size_t(position)];
  return it.sub ? UINT(-1) : it.id;
}

HMENU GetSubMenu(HMENU menu, int position) {
  Menu* m = FindMenu(menu);
  if (!m || position < 0 || size_t(position) >= m->items.size()) return nullptr;
  return m->items[size_t(position)].sub;
}

BOOL GetMenuItemInfoA(HMENU menu, UINT item, BOOL byPosition, MENUITEMINFOA* info) {
  Located l = Locate(menu, item, byPosition);
  if (!l.menu || !info) return FALSE;
  const MenuItem& it = *l.item();
  if (info->fMask & (MIIM_TYPE | MIIM_FTYPE)) info->fType = it.type;
  if (info->fMask & MIIM_STATE) info->fState = it.state;
  if (info->fMask & MIIM_ID) info->wID = it.id;
  if (info->fMask & MIIM_SUBMENU) info->hSubMenu = it.sub;
  if (info->fMask & MIIM_DATA) info->dwItemData = it.data;
  if (info->fMask & MIIM_BITMAP) info->hbmpItem = it.bitmap;
  if ((info->fMask & (MIIM_STRING | MIIM_TYPE)) && !IsSeparator(it) && !(it.type & MFT_OWNERDRAW)) {
    UINT n = UINT(it.text.size());
    if (info->dwTypeData && info->cch > 0) {
      UINT copy = std::min(n, info->cch - 1);
      std::memcpy(info->dwTypeData, it.text.data(), copy);
      info->dwTypeData[copy] = 0;
      info->cch = copy;
    } else {
      info->cch = n;
    }
  } else if (info->fMask & (MIIM_STRING | MIIM_TYPE)) {
    info->cch = 0;
  }
  return TRUE;
}

BOOL SetMenuItemInfoA(HMENU menu, UINT item, BOOL byPosition, const MENUITEMINFOA* info) {
  Located l = Locate(menu, item, byPosition);
  if (!l.menu || !info) return FALSE;
  MenuItem& it = *l.item();
  if (info->fMask & MIIM_SUBMENU) {
    if (info->hSubMenu && (!FindMenu(info->hSubMenu) || info->hSubMenu == menu)) return FALSE;
  }
  if (info->fMask & (MIIM_TYPE | MIIM_FTYPE)) {
    it.type = info->fType & ~UINT(MF_POPUP);
    if ((info->fMask & MIIM_TYPE) && !(it.type & (MFT_SEPARATOR | MFT_OWNERDRAW | MFT_BITMAP)))
      it.text = info->dwTypeData ? info->dwTypeData : "";
  }
  if (info->fMask & MIIM_STRING) it.text = info->dwTypeData ? info->dwTypeData : "";
  if (info->fMask & MIIM_STATE) it.state = info->fState & (MFS_GRAYED | MFS_CHECKED | MFS_HILITE | MFS_DEFAULT);
  if (info->fMask & MIIM_ID) it.id = info->wID;
  if (info->fMask & MIIM_SUBMENU) it.sub = info->hSubMenu;
  if (info->fMask & MIIM_DATA) it.data = info->dwItemData;
  if (info->fMask & MIIM_BITMAP) it.bitmap = info->hbmpItem;
  return TRUE;
}

BOOL InsertMenuItemA(HMENU menu, UINT item, BOOL byPosition, const MENUITEMINFOA* info) {
  Menu* m = FindMenu(menu);
  if (!m || !info) return FALSE;
  size_t at = m->items.size();
  Menu* target = m;
  if (byPosition) {
    if (item < m->items.size()) at = item;
  } else {
    Located l = LocateByCommand(m, item, 0);
    if (l.menu) {
      target = l.menu;
      at = size_t(l.index);
    }
  }
  target->items.insert(target->items.begin() + std::ptrdiff_t(at), MenuItem{});
  MENUITEMINFOA copy = *info;
  if (!SetMenuItemInfoA(menu, UINT(at), TRUE, &copy) && target == m) {
    m->items.erase(m->items.begin() + std::ptrdiff_t(at));
    return FALSE;
  }
  if (target != m) {
    // Inserting by command into a submenu: fill the placed item directly.
    MenuItem& it = target->items[at];
    if (info->fMask & (MIIM_TYPE | MIIM_FTYPE)) it.type = info->fType;
    if (info->fMask & (MIIM_STRING | MIIM_TYPE)) it.text = info->dwTypeData ? info->dwTypeData : "";
    if (info->fMask & MIIM_STATE) it.state = info->fState;
    if (info->fMask & MIIM_ID) it.id = info->wID;
    if (info->fMask & MIIM_SUBMENU && FindMenu(info->hSubMenu)) it.sub = info->hSubMenu;
    if (info->fMask & MIIM_DATA) it.data = info->dwItemData;
    if (info->fMask & MIIM_BITMAP) it.bitmap = info->hbmpItem;
  }
  return TRUE;
}

int GetMenuStringA(HMENU menu, UINT item, LPSTR buffer, int size, UINT flags) {
  Located l = Locate(menu, item, flags & MF_BYPOSITION);
  if (!l.menu) return 0;
  const String& t = l.item()->text;
  if (!buffer || size <= 0) return int(t.size());
  int n = std::min(int(t.size()), size - 1);
  std::memcpy(buffer, t.data(), size_t(n));
  buffer[n] = 0;
  return n;
}

DWORD CheckMenuItem(HMENU menu, UINT item, UINT check) {
  Located l = Locate(menu, item, check & MF_BYPOSITION);
  if (!l.menu) return DWORD(-1);
  MenuItem& it = *l.item();
  DWORD before = it.state & MF_CHECKED;
  it.state = (it.state & ~MF_CHECKED) | (check & MF_CHECKED);
  return before;
}

BOOL CheckMenuRadioItem(HMENU menu, UINT first, UINT last, UINT check, UINT flags) {
  Menu* m = FindMenu(menu);
  if (!m) return FALSE;
  bool found = false;
  for (size_t i = 0; i < m->items.size(); ++i) {
    MenuItem& it = m->items[i];
    UINT key = (flags & MF_BYPOSITION) ? UINT(i) : it.id;
    if (key < first || key > last || IsSeparator(it)) continue;
    if (key == check) {
      it.state |= MFS_CHECKED;
      it.type |= MFT_RADIOCHECK;
      found = true;
    } else {
      it.state &= ~MFS_CHECKED;
    }
  }
  return found;
}

BOOL EnableMenuItem(HMENU menu, UINT item, UINT enable) {
  Located l = Locate(menu, item, enable & MF_BYPOSITION);
  if (!l.menu) return BOOL(-1);
  MenuItem& it = *l.item();
  BOOL before = BOOL(it.state & (MF_GRAYED | MF_DISABLED));
  it.state = (it.state & ~UINT(MF_GRAYED | MF_DISABLED)) | (enable & (MF_GRAYED | MF_DISABLED));
  return before;
}

UINT GetMenuState(HMENU menu, UINT item, UINT flags) {
  Located l = Locate(menu, item, flags & MF_BYPOSITION);
  if (!l.menu) return UINT(-1);
  const MenuItem& it = *l.item();
  UINT bits = it.state | (it.type & ~UINT(MFT_RADIOCHECK | MFT_RIGHTORDER));
  if (it.sub) {
    Menu* sub = FindMenu(it.sub);
    int count = sub ? int(sub->items.size()) : 0;
    return UINT(count << 8) | (bits & 0xFF) | MF_POPUP;
  }
  return bits;
}

BOOL SetMenuDefaultItem(HMENU menu, UINT item, UINT byPosition) {
  Menu* m = FindMenu(menu);
  if (!m) return FALSE;
  bool found = item == UINT(-1);
  for (size_t i = 0; i < m->items.size(); ++i) {
    MenuItem& it = m->items[i];
    bool me = item != UINT(-1) && (byPosition ? i == item : it.id == item);
    if (me) it.state |= MFS_DEFAULT, found = true;
    else it.state &= ~MFS_DEFAULT;
  }
  return found;
}
