// The menu bar in a window's frame, popup menu windows, and the modal loop that tracks
// both with the mouse and the keyboard.
#include "platform/gdi/Gdi.h"
#include "platform/gdi/Text.h"
#include "platform/kernel/CodePage.h"
#include "platform/user/Controls.h"
#include "platform/user/MenuInternal.h"

#include <algorithm>
#include <map>

namespace user_detail {
namespace {

constexpr int kBarPad = 7;        // space either side of a bar item's text
constexpr int kCheckArea = 18;    // left column of popup items: check marks
constexpr int kArrowArea = 16;    // right column: the submenu arrow
constexpr int kSeparatorHeight = 8;
constexpr UINT kMsgfMenu = 2;     // WM_ENTERIDLE source

struct Level {
  HMENU menu = nullptr;
  HWND wnd = nullptr;             // the popup window; null for the bar
  int sel = -1;
};

struct Tracker {
  HWND owner = nullptr;
  UINT flags = 0;
  bool bar = false;               // level 0 is the owner's menu bar
  bool notify = true;
  std::vector<Level> levels;
  bool done = false;
  bool chosen = false;
  UINT command = 0;
};

Tracker* g_tracker = nullptr;

String Strip(const String& s) {
  String out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '&' && i + 1 < s.size()) ++i;
    out.push_back(s[i]);
  }
  return out;
}

SIZE TextSize(HDC dc, const String& s) {
  RECT r{0, 0, 0, 0};
  DrawTextA(dc, s.c_str(), int(s.size()), &r, DT_SINGLELINE | DT_CALCRECT);
  return {r.Width(), r.Height()};
}

// The bar's rectangle in window coordinates: the line above the client area.
TRect BarRect(HWND hwnd) {
  RECT win, cli;
  if (!GetWindowRect(hwnd, &win) || !GetClientRect(hwnd, &cli)) return {};
  POINT o{0, 0};
  ClientToScreen(hwnd, &o);
  int left = o.X - win.Left, top = o.Y - win.Top;
  if (GetWindowLongA(hwnd, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) {
    left -= GetSystemMetrics(SM_CXEDGE);
    top -= GetSystemMetrics(SM_CYEDGE);
  }
  return {left, top - MenuBarHeight(hwnd), win.Width() - left, top};
}

// Asks the owner the size of each image it draws, and on a menu bar the size of each item
// it draws whole (a popup measures those while laying out, with its line height). The
// handler may change or destroy the menu, so the menu is looked up again around every
// message.
void MeasureOwnerImages(HWND owner, HMENU hmenu, bool bar = false) {
  const auto drawnWhole = [bar](const MenuItem& it) { return bar && (it.type & MFT_OWNERDRAW) && !IsSeparator(it); };
  for (size_t i = 0;; ++i) {
    Menu* m = FindMenu(hmenu);
    if (!m || i >= m->items.size()) return;
    MenuItem& it = m->items[i];
    it.image = {0, 0};
    it.ownerSize = {0, 0};
    const bool whole = drawnWhole(it);
    if (!owner || !(whole || HasOwnerImage(it))) continue;
    MEASUREITEMSTRUCT mi;
    mi.CtlType = ODT_MENU;
    mi.itemID = it.id;
    mi.itemData = it.data;
    if (whole) mi.itemHeight = UINT(GetSystemMetrics(SM_CYMENU));   // an owner leaving it keeps the bar's height
    SendMessageA(owner, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&mi));
    m = FindMenu(hmenu);
    if (!m || i >= m->items.size()) return;
    const SIZE size{std::clamp(int(mi.itemWidth), 0, 1000), std::clamp(int(mi.itemHeight), 0, 1000)};
    MenuItem& now = m->items[i];
    if (whole && drawnWhole(now)) now.ownerSize = size;
    else if (!whole && HasOwnerImage(now)) now.image = size;
  }
}

bool HasImage(const MenuItem& it) { return it.image.cx > 0 && it.image.cy > 0; }

// The room an image takes left of a bar item's text: its width and a gap of 2.
int BarImageRoom(const MenuItem& it) { return HasImage(it) ? int(it.image.cx) + 2 : 0; }

// The height a bar item needs: an image with a pixel above and below it, as in the popups;
// an owner-drawn item what its owner asked for.
int BarItemHeight(const MenuItem& it) {
  if (IsSeparator(it)) return 0;
  if (it.type & MFT_OWNERDRAW) return int(it.ownerSize.cy);
  return HasImage(it) ? int(it.image.cy) + 2 : 0;
}

// Lays out the window's menu bar, asking the owner for the sizes of its items' images and
// owner-drawn items first; null when the menu is gone meanwhile. The items span the height
// the frame gave the bar.
Menu* LayoutBar(HWND hwnd, HMENU hmenu) {
  MeasureOwnerImages(hwnd, hmenu, true);
  Menu* m = FindMenu(hmenu);
  if (!m) return nullptr;
  TRect bar = BarRect(hwnd);
  HDC dc = GetDC(nullptr);
  int x = bar.Left;
  for (MenuItem& it : m->items) {
    int w = IsSeparator(it)                ? kBarPad
            : (it.type & MFT_OWNERDRAW) ? int(it.ownerSize.cx) + 2 * kBarPad
                                         : TextSize(dc, Strip(it.text)).cx + 2 * kBarPad + BarImageRoom(it);
    it.rect = {x, bar.Top, x + w, bar.Bottom};
    x += w;
  }
  ReleaseDC(nullptr, dc);
  return m;
}

// The left edge of the texts in a popup item: after the check marks and the image column
// (with a gap of 2 after the images, when there are any).
int TextLeft(const Menu& m) { return kCheckArea + (m.imageColumn > 0 ? m.imageColumn + 2 : 0); }

bool LayoutPopup(HWND owner, HMENU hmenu, int* width, int* height) {
  MeasureOwnerImages(owner, hmenu);
  Menu* menu = FindMenu(hmenu);
  if (!menu) return false;
  Menu& m = *menu;
  m.imageColumn = 0;
  for (const MenuItem& it : m.items)
    if (HasImage(it)) m.imageColumn = std::max(m.imageColumn, int(it.image.cx));
  HDC dc = GetDC(nullptr);
  int y = 2, left = 0, right = 0;
  int lineHeight = std::max(GetSystemMetrics(SM_CYMENUSIZE), int(TextSize(dc, "Ag").cy) + 4);
  for (MenuItem& it : m.items) {
    int h = lineHeight, w = 0;
    if (IsSeparator(it)) {
      h = kSeparatorHeight;
    } else if (it.type & MFT_OWNERDRAW) {
      MEASUREITEMSTRUCT mi;
      mi.CtlType = ODT_MENU;
      mi.itemID = it.id;
      mi.itemData = it.data;
      mi.itemHeight = UINT(lineHeight);
      if (owner) SendMessageA(owner, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&mi));
      h = std::clamp(int(mi.itemHeight), 1, 1000);
      w = std::clamp(int(mi.itemWidth), 0, 4000);
      left = std::max(left, w);
    } else {
      size_t tab = it.text.find('\t');
      left = std::max(left, int(TextSize(dc, Strip(it.text.substr(0, tab))).cx));
      if (tab != String::npos) right = std::max(right, int(TextSize(dc, it.text.substr(tab + 1)).cx));
      if (HasImage(it)) h = std::max(h, int(it.image.cy) + 2);
    }
    it.rect = {2, y, 0, y + h};
    y += h;
  }
  ReleaseDC(nullptr, dc);
  int w = TextLeft(m) + left + (right ? right + 2 * kBarPad : 0) + kArrowArea + 4;
  for (MenuItem& it : m.items) it.rect.Right = w - 2;
  *width = w;
  *height = y + 2;
  return true;
}

void DrawCheck(HDC dc, const TRect& area, bool radio, COLORREF colour) {
  int cx = area.Left + kCheckArea / 2, cy = (area.Top + area.Bottom) / 2;
  HBRUSH brush = CreateSolidBrush(colour);
  if (radio) {
    HGDIOBJ oldBrush = SelectObject(dc, brush);
    HPEN pen = CreatePen(PS_SOLID, 1, colour);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    Ellipse(dc, cx - 3, cy - 3, cx + 3, cy + 3);
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    DeleteObject(pen);
  } else {
    // A tick of two strokes, three pixels thick.
    for (int i = 0; i < 3; ++i) {
      RECT a{cx - 4 + i, cy - 1 + i, cx - 3 + i, cy + 2 + i};
      FillRect(dc, &a, brush);
    }
    for (int i = 0; i < 5; ++i) {
      RECT b{cx - 1 + i, cy + 1 - i, cx + i, cy + 4 - i};
      FillRect(dc, &b, brush);
    }
  }
  DeleteObject(brush);
}

void DrawPopupItem(HDC dc, HWND owner, HMENU hmenu, const MenuItem& it, bool selected, int textLeft) {
  TRect r = it.rect;
  if (it.type & MFT_OWNERDRAW) {
    DRAWITEMSTRUCT di;
    di.CtlType = ODT_MENU;
    di.itemID = it.id;
    di.itemAction = ODA_DRAWENTIRE;
    di.itemState = (selected ? ODS_SELECTED : 0) | ((it.state & MFS_CHECKED) ? ODS_CHECKED : 0) |
                   (IsDisabled(it) ? ODS_GRAYED | ODS_DISABLED : 0) | ((it.state & MFS_DEFAULT) ? ODS_DEFAULT : 0);
    di.hwndItem = reinterpret_cast<HWND>(hmenu);
    di.hDC = dc;
    di.rcItem = r;
    di.itemData = it.data;
    FillRect(dc, &r, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_MENU));
    if (owner) SendMessageA(owner, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&di));
    return;
  }
  if (IsSeparator(it)) {
    FillRect(dc, &r, GetSysColorBrush(COLOR_MENU));
    RECT line{r.Left + 1, (r.Top + r.Bottom) / 2 - 1, r.Right - 1, (r.Top + r.Bottom) / 2 + 1};
    DrawEdge(dc, &line, EDGE_ETCHED, BF_TOP);
    return;
  }
  FillRect(dc, &r, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_MENU));
  if (HasOwnerImage(it) && HasImage(it) && owner) {
    DRAWITEMSTRUCT di;
    di.CtlType = ODT_MENU;
    di.itemID = it.id;
    di.itemAction = ODA_DRAWENTIRE;
    di.itemState = (selected ? ODS_SELECTED : 0) | ((it.state & MFS_CHECKED) ? ODS_CHECKED : 0) |
                   (IsDisabled(it) ? ODS_GRAYED | ODS_DISABLED : 0);
    di.hwndItem = reinterpret_cast<HWND>(hmenu);
    di.hDC = dc;
    int top = r.Top + (r.Height() - it.image.cy) / 2;
    di.rcItem = {r.Left + kCheckArea, top, r.Left + kCheckArea + it.image.cx, top + it.image.cy};
    di.itemData = it.data;
    // Whatever the owner selects or sets in the DC stays with its image.
    int saved = SaveDC(dc);
    SendMessageA(owner, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&di));
    if (saved > 0) RestoreDC(dc, saved);
  }
  COLORREF text = GetSysColor(IsDisabled(it) ? COLOR_GRAYTEXT : selected ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, text);
  if (it.state & MFS_CHECKED) DrawCheck(dc, r, it.type & MFT_RADIOCHECK, text);
  size_t tab = it.text.find('\t');
  String label = it.text.substr(0, tab);
  RECT tr{r.Left + textLeft, r.Top, r.Right - kArrowArea, r.Bottom};
  DrawTextA(dc, label.c_str(), int(label.size()), &tr, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
  if (tab != String::npos) {
    String keys = it.text.substr(tab + 1);
    DrawTextA(dc, keys.c_str(), int(keys.size()), &tr, DT_SINGLELINE | DT_VCENTER | DT_RIGHT | DT_NOPREFIX);
  }
  if (it.sub) {
    // A small right-pointing triangle.
    int cx = r.Right - kArrowArea / 2 - 2, cy = (r.Top + r.Bottom) / 2;
    HBRUSH brush = CreateSolidBrush(text);
    for (int i = 0; i < 4; ++i) {
      RECT col{cx + i, cy - 3 + i, cx + i + 1, cy + 4 - i};
      FillRect(dc, &col, brush);
    }
    DeleteObject(brush);
  }
}

Level* LevelOfWindow(HWND h) {
  if (!g_tracker) return nullptr;
  for (Level& l : g_tracker->levels)
    if (l.wnd == h) return &l;
  return nullptr;
}

LRESULT MenuWndProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(h, &ps);
      RECT rc;
      GetClientRect(h, &rc);
      FillRect(dc, &rc, GetSysColorBrush(COLOR_MENU));
      RECT edge = rc;
      DrawEdge(dc, &edge, EDGE_RAISED, BF_RECT);
      if (Level* l = LevelOfWindow(h)) {
        // The owner draws some items and may change the menu meanwhile: look it up anew.
        HMENU menu = l->menu;
        int sel = l->sel;
        HWND owner = g_tracker->owner;
        for (size_t i = 0;; ++i) {
          Menu* m = FindMenu(menu);
          if (!m || i >= m->items.size()) break;
          const MenuItem item = m->items[i];
          DrawPopupItem(dc, owner, menu, item, int(i) == sel, TextLeft(*m));
        }
      }
      EndPaint(h, &ps);
      return 0;
    }
    default: return DefWindowProcA(h, msg, wp, lp);
  }
}

TRect WorkArea() {
  RECT r;
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &r, 0);
  return r;
}

void SendSelect(Tracker& t, HMENU menu, int index) {
  if (!t.notify) return;
  Menu* m = FindMenu(menu);
  if (!m || index < 0 || size_t(index) >= m->items.size()) {
    SendMessageA(t.owner, WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
    return;
  }
  const MenuItem& it = m->items[size_t(index)];
  UINT flags = (it.state & (MF_GRAYED | MF_DISABLED | MF_CHECKED)) | MF_HILITE | (it.sub ? MF_POPUP : 0) |
               (IsSeparator(it) ? MF_SEPARATOR : 0) | (it.type & MF_OWNERDRAW);
  WORD key = it.sub ? WORD(index) : WORD(it.id);
  SendMessageA(t.owner, WM_MENUSELECT, MAKEWPARAM(key, WORD(flags)), reinterpret_cast<LPARAM>(menu));
}

void InvalidateLevel(Tracker& t, size_t level) {
  Level& l = t.levels[level];
  if (l.wnd) InvalidateRect(l.wnd, nullptr, FALSE);
  else DrawMenuBar(t.owner);
}

void Select(Tracker& t, size_t level, int index) {
  Level& l = t.levels[level];
  if (l.sel == index) return;
  l.sel = index;
  InvalidateLevel(t, level);
  SendSelect(t, l.menu, index);
}

void CloseFrom(Tracker& t, size_t level) {
  while (t.levels.size() > level) {
    Level l = t.levels.back();
    t.levels.pop_back();
    if (l.wnd) {
      DestroyWindow(l.wnd);
      if (t.notify && IsWindow(t.owner))
        SendMessageA(t.owner, WM_UNINITMENUPOPUP, reinterpret_cast<WPARAM>(l.menu), 0);
    }
  }
  if (!t.levels.empty()) InvalidateLevel(t, t.levels.size() - 1);
}

// Shows `menu` as a popup level at a screen point, kept on the work area; `avoid` is the
// rectangle of the item that opened it (flipped to the other side when there is no room).
void OpenPopup(Tracker& t, HMENU hmenu, int x, int y, UINT align, const TRect* avoid, int parentIndex) {
  Menu* m = FindMenu(hmenu);
  if (!m) return;
  if (t.notify)
    SendMessageA(t.owner, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(hmenu), MAKELPARAM(WORD(std::max(0, parentIndex)), 0));
  m = FindMenu(hmenu);   // the handler may have destroyed it
  if (!m || m->items.empty() || !IsWindow(t.owner)) return;
  int w = 0, h = 0;
  if (!LayoutPopup(t.owner, hmenu, &w, &h)) return;
  m = FindMenu(hmenu);   // measuring asked the owner, which may have emptied it
  if (!m || m->items.empty() || !IsWindow(t.owner)) return;
  if (align & TPM_RIGHTALIGN) x -= w;
  else if (align & TPM_CENTERALIGN) x -= w / 2;
  if (align & TPM_BOTTOMALIGN) y -= h;
  else if (align & TPM_VCENTERALIGN) y -= h / 2;
  TRect work = WorkArea();
  if (x + w > work.Right) x = (avoid && avoid->Left - w >= work.Left) ? avoid->Left - w : work.Right - w;
  if (y + h > work.Bottom) y = (avoid && avoid->Top - h >= work.Top && avoid->Bottom == y) ? avoid->Top - h : work.Bottom - h;
  x = std::max(x, int(work.Left));
  y = std::max(y, int(work.Top));
  HWND wnd = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, MenuWindowClassName, "", WS_POPUP, x, y, w, h,
                             t.owner, nullptr, nullptr, nullptr);
  if (!wnd) return;
  t.levels.push_back({hmenu, wnd, -1});
  SetWindowPos(wnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  UpdateWindow(wnd);
}

Menu* MenuOf(Tracker& t, size_t level) { return FindMenu(t.levels[level].menu); }

// Opens the submenu of the selected item of `level`, if it has one.
void OpenSubmenu(Tracker& t, size_t level, bool selectFirst) {
  Menu* m = MenuOf(t, level);
  Level& l = t.levels[level];
  if (!m || l.sel < 0 || size_t(l.sel) >= m->items.size()) return;
  const MenuItem it = m->items[size_t(l.sel)];
  if (!it.sub || IsDisabled(it)) return;
  CloseFrom(t, level + 1);
  TRect r = it.rect;
  int index = l.sel;
  if (l.wnd) {
    RECT win;
    GetWindowRect(l.wnd, &win);
    TRect screen{win.Left + r.Left, win.Top + r.Top, win.Left + r.Right, win.Top + r.Bottom};
    OpenPopup(t, it.sub, win.Right - 2, screen.Top - 2, 0, &win, index);
  } else {
    RECT win;
    GetWindowRect(t.owner, &win);
    TRect screen{win.Left + r.Left, win.Top + r.Top, win.Left + r.Right, win.Top + r.Bottom};
    OpenPopup(t, it.sub, screen.Left, screen.Bottom, 0, &screen, index);
  }
  if (selectFirst && t.levels.size() == level + 2) {
    Menu* sub = MenuOf(t, level + 1);
    for (size_t i = 0; sub && i < sub->items.size(); ++i)
      if (!IsSeparator(sub->items[i])) { Select(t, level + 1, int(i)); break; }
  }
}

void Choose(Tracker& t, const MenuItem& it) {
  if (IsDisabled(it) || IsSeparator(it) || it.sub) return;
  t.chosen = true;
  t.command = it.id;
  t.done = true;
}

// Level and item under a screen point; level -1 when outside every level.
std::pair<int, int> HitTest(Tracker& t, POINT p) {
  for (int lv = int(t.levels.size()) - 1; lv >= 0; --lv) {
    Level& l = t.levels[size_t(lv)];
    Menu* m = FindMenu(l.menu);
    if (!m) continue;
    RECT win;
    if (l.wnd) GetWindowRect(l.wnd, &win);
    else GetWindowRect(t.owner, &win);
    POINT q{p.X - win.Left, p.Y - win.Top};
    if (l.wnd && !PtInRect(&win, p)) continue;
    if (!l.wnd) {
      TRect bar = BarRect(t.owner);
      if (!PtInRect(&bar, q)) continue;
    }
    for (size_t i = 0; i < m->items.size(); ++i)
      if (PtInRect(&m->items[i].rect, q)) return {lv, int(i)};
    return {lv, -1};
  }
  return {-1, -1};
}

void OnMouse(Tracker& t, const MSG& msg) {
  auto [lv, index] = HitTest(t, msg.pt);
  bool right = (t.flags & TPM_RIGHTBUTTON) != 0;
  switch (msg.message) {
    case WM_MOUSEMOVE:
    case WM_NCMOUSEMOVE:
      if (lv < 0) return;
      if (!t.levels[size_t(lv)].wnd && t.levels.size() == 1) return;   // bar without a dropped menu
      if (index < 0) return;
      if (t.levels[size_t(lv)].sel != index || size_t(lv) + 1 < t.levels.size()) {
        bool wasOpen = size_t(lv) + 1 < t.levels.size();
        if (t.levels[size_t(lv)].sel != index) {
          CloseFrom(t, size_t(lv) + 1);
          Select(t, size_t(lv), index);
          wasOpen = !t.levels[size_t(lv)].wnd;
        }
        if (wasOpen || t.levels[size_t(lv)].wnd) {
          if (t.levels.size() == size_t(lv) + 1) OpenSubmenu(t, size_t(lv), false);
        }
      }
      return;
    case WM_LBUTTONDOWN:
    case WM_NCLBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_NCRBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_NCLBUTTONDBLCLK:
      if (lv < 0) {
        t.done = true;   // a click outside closes the menu and is eaten
        return;
      }
      if (!t.levels[size_t(lv)].wnd && index >= 0) {
        // A bar item: open or close its menu.
        if (t.levels[0].sel == index && t.levels.size() > 1) {
          CloseFrom(t, 1);
        } else {
          CloseFrom(t, 1);
          Select(t, 0, index);
          OpenSubmenu(t, 0, false);
        }
      }
      return;
    case WM_LBUTTONUP:
    case WM_NCLBUTTONUP:
    case WM_RBUTTONUP:
    case WM_NCRBUTTONUP: {
      bool rightUp = msg.message == WM_RBUTTONUP || msg.message == WM_NCRBUTTONUP;
      if (rightUp && !right) return;
      if (lv < 0 || index < 0) return;
      Menu* m = MenuOf(t, size_t(lv));
      if (!m) return;
      const MenuItem& it = m->items[size_t(index)];
      if (!t.levels[size_t(lv)].wnd) {
        if (!it.sub) Choose(t, it);
        return;
      }
      Choose(t, it);
      return;
    }
    default: return;
  }
}

int NextSelectable(Menu* m, int from, int step) {
  int n = int(m->items.size());
  if (n == 0) return -1;
  int i = from;
  for (int k = 0; k < n; ++k) {
    i = (i + step + n) % n;
    if (!IsSeparator(m->items[size_t(i)])) return i;
  }
  return -1;
}

void OnKey(Tracker& t, int vk) {
  size_t inner = t.levels.size() - 1;
  Level& l = t.levels[inner];
  Menu* m = FindMenu(l.menu);
  if (!m) { t.done = true; return; }
  bool barOnly = t.bar && inner == 0;
  switch (vk) {
    case VK_ESCAPE:
      if (inner == 0) t.done = true;
      else CloseFrom(t, inner);
      return;
    case VK_MENU:
    case VK_F10:
      t.done = true;
      return;
    case VK_UP:
    case VK_DOWN:
      if (barOnly) { OpenSubmenu(t, 0, true); return; }
      Select(t, inner, NextSelectable(m, l.sel < 0 ? (vk == VK_DOWN ? -1 : 0) : l.sel, vk == VK_DOWN ? 1 : -1));
      return;
    case VK_RIGHT: {
      if (!barOnly && l.sel >= 0 && m->items[size_t(l.sel)].sub) { OpenSubmenu(t, inner, true); return; }
      if (!t.bar) return;
      Menu* barMenu = MenuOf(t, 0);
      bool dropped = t.levels.size() > 1;
      CloseFrom(t, 1);
      Select(t, 0, NextSelectable(barMenu, t.levels[0].sel, 1));
      if (dropped) OpenSubmenu(t, 0, true);
      return;
    }
    case VK_LEFT: {
      if (inner >= 2 || (!t.bar && inner >= 1)) { CloseFrom(t, inner); return; }
      if (!t.bar) return;
      Menu* barMenu = MenuOf(t, 0);
      bool dropped = t.levels.size() > 1;
      CloseFrom(t, 1);
      Select(t, 0, NextSelectable(barMenu, t.levels[0].sel, -1));
      if (dropped) OpenSubmenu(t, 0, true);
      return;
    }
    case VK_RETURN:
      if (l.sel < 0) return;
      if (m->items[size_t(l.sel)].sub) OpenSubmenu(t, inner, true);
      else Choose(t, m->items[size_t(l.sel)]);
      return;
    default: return;
  }
}

void OnChar(Tracker& t, Byte ch) {
  size_t inner = t.levels.size() - 1;
  Menu* m = MenuOf(t, inner);
  if (!m) return;
  Byte key = CpUpper(ch);
  for (size_t i = 0; i < m->items.size(); ++i) {
    const MenuItem& it = m->items[i];
    if (IsSeparator(it) || Mnemonic(it.text) != key) continue;
    const MenuItem chosen = it;   // Select notifies; the handler may change the menu
    Select(t, inner, int(i));
    if (chosen.sub) OpenSubmenu(t, inner, true);
    else Choose(t, chosen);
    return;
  }
  if (ch != 0x1B) MessageBeep(0);
}

bool IsMouseMessage(UINT m) {
  return (m >= WM_MOUSEFIRST && m <= WM_MOUSELAST) || (m >= WM_NCMOUSEMOVE && m <= WM_NCMBUTTONDBLCLK);
}

// Undoes what tracking holds even when a handler throws: the popup windows, the capture,
// the tracker pointer.
struct TrackingScope {
  Tracker& t;
  Tracker* outer;
  explicit TrackingScope(Tracker& tr) : t(tr), outer(g_tracker) { g_tracker = &tr; }
  ~TrackingScope() {
    for (auto it = t.levels.rbegin(); it != t.levels.rend(); ++it)
      if (it->wnd && IsWindow(it->wnd)) DestroyWindow(it->wnd);
    t.levels.clear();
    if (GetCapture() == t.owner) ReleaseCapture();
    g_tracker = outer;
  }
};

void Run(Tracker& t) {
  while (!t.done && !t.levels.empty()) {
    MSG msg;
    if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      HWND idle = t.levels.back().wnd;
      SendMessageA(t.owner, WM_ENTERIDLE, kMsgfMenu, reinterpret_cast<LPARAM>(idle));
      if (t.done || !IsWindow(t.owner)) break;
      // Waiting here (not inside a blocking retrieval) lets whatever ran meanwhile end the loop.
      WaitMessage();
      if (!IsWindow(t.owner)) break;
      continue;
    }
    if (msg.message == WM_QUIT) {
      PostQuitMessage(int(msg.wParam));   // the loop that owns WM_QUIT must still see it
      break;
    }
    if (IsMouseMessage(msg.message)) {
      OnMouse(t, msg);
    } else if (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) {
      TranslateMessage(&msg);
      OnKey(t, int(msg.wParam));
    } else if (msg.message == WM_CHAR || msg.message == WM_SYSCHAR) {
      OnChar(t, Byte(msg.wParam));
    } else if (msg.message == WM_KEYUP || msg.message == WM_SYSKEYUP) {
      // swallowed while the menu holds the keyboard
    } else {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    if (!IsWindow(t.owner)) t.done = true;
    if (GetCapture() != t.owner && IsWindow(t.owner) && !t.done) SetCapture(t.owner);
  }
}

void Finish(Tracker& t, bool popupMenu) {
  CloseFrom(t, t.bar ? 1 : 0);
  if (t.bar && !t.levels.empty()) {
    t.levels[0].sel = -1;
    DrawMenuBar(t.owner);
  }
  if (!IsWindow(t.owner)) return;
  if (t.notify) SendMessageA(t.owner, WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
  if (IsWindow(t.owner)) SendMessageA(t.owner, WM_EXITMENULOOP, popupMenu ? TRUE : FALSE, 0);
}

void TrackBar(HWND hwnd, int startIndex, bool dropDown, bool keyboard) {
  HMENU bar = GetMenu(hwnd);
  Menu* m = FindMenu(bar);
  if (!m || m->items.empty() || g_tracker) return;
  Tracker t;
  t.owner = hwnd;
  t.bar = true;
  TrackingScope scope(t);
  SendMessageA(hwnd, WM_ENTERMENULOOP, FALSE, 0);
  SendMessageA(hwnd, WM_INITMENU, reinterpret_cast<WPARAM>(bar), 0);
  m = FindMenu(bar);
  if (!m || m->items.empty() || !IsWindow(hwnd)) return;
  m = LayoutBar(hwnd, bar);   // measuring asks the owner, which may change the menu
  if (!m || m->items.empty() || !IsWindow(hwnd)) return;
  t.levels.push_back({bar, nullptr, -1});
  SetCapture(hwnd);
  Select(t, 0, std::clamp(startIndex, 0, int(m->items.size()) - 1));
  if (dropDown) OpenSubmenu(t, 0, keyboard);
  Run(t);
  Finish(t, false);
  if (t.chosen && IsWindow(hwnd)) PostMessageA(hwnd, WM_COMMAND, MAKEWPARAM(WORD(t.command), 0), 0);
}

}  // namespace

WNDPROCFN MenuWindowProc() { return &MenuWndProc; }

int MeasureMenuBar(HWND hwnd) {
  int height = GetSystemMetrics(SM_CYMENU);
  HMENU hmenu = GetMenu(hwnd);
  if (!FindMenu(hmenu)) return height;
  MeasureOwnerImages(hwnd, hmenu, true);
  if (Menu* m = FindMenu(hmenu))
    for (const MenuItem& it : m->items) height = std::max(height, BarItemHeight(it));
  return height;
}

void PaintMenuBar(HWND hwnd, HDC dc, const TRect& barInWindow) {
  FillRect(dc, &barInWindow, GetSysColorBrush(COLOR_MENU));
  HMENU menu = GetMenu(hwnd);
  if (!FindMenu(menu) || !LayoutBar(hwnd, menu)) return;
  int sel = (g_tracker && g_tracker->bar && g_tracker->owner == hwnd) ? g_tracker->levels.empty() ? -1 : g_tracker->levels[0].sel : -1;
  SetBkMode(dc, TRANSPARENT);
  for (size_t i = 0;; ++i) {
    Menu* m = FindMenu(menu);   // an owner-drawn item's handler may change the menu
    if (!m || i >= m->items.size()) break;
    const MenuItem it = m->items[i];
    if (IsSeparator(it) || it.rect.Left >= barInWindow.Right) continue;
    TRect r = it.rect;
    r.Right = std::min(r.Right, barInWindow.Right);
    bool selected = int(i) == sel || (it.state & MFS_HILITE);
    if (selected) FillRect(dc, &r, GetSysColorBrush(COLOR_HIGHLIGHT));
    SetTextColor(dc, GetSysColor(IsDisabled(it) ? COLOR_GRAYTEXT : selected ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT));
    if (it.type & MFT_OWNERDRAW) {
      DRAWITEMSTRUCT di;
      di.CtlType = ODT_MENU;
      di.itemID = it.id;
      di.itemAction = ODA_DRAWENTIRE;
      di.itemState = (selected ? ODS_SELECTED : 0) | (IsDisabled(it) ? ODS_GRAYED : 0);
      di.hwndItem = reinterpret_cast<HWND>(GetMenu(hwnd));
      di.hDC = dc;
      di.rcItem = r;
      di.itemData = it.data;
      SendMessageA(hwnd, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&di));
      continue;
    }
    TRect text = r;
    if (HasOwnerImage(it) && HasImage(it)) {
      // The image sits after the item's padding, centred in the bar's height and kept inside
      // the item; the text follows it.
      DRAWITEMSTRUCT di;
      di.CtlType = ODT_MENU;
      di.itemID = it.id;
      di.itemAction = ODA_DRAWENTIRE;
      di.itemState = (selected ? ODS_SELECTED : 0) | (IsDisabled(it) ? ODS_GRAYED | ODS_DISABLED : 0);
      di.hwndItem = reinterpret_cast<HWND>(menu);
      di.hDC = dc;
      int left = r.Left + kBarPad, top = r.Top + (r.Height() - it.image.cy) / 2;
      di.rcItem = {left, top, left + it.image.cx, top + it.image.cy};
      di.itemData = it.data;
      int saved = SaveDC(dc);
      IntersectClipRect(dc, r.Left, r.Top, r.Right, r.Bottom);
      SendMessageA(hwnd, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&di));
      if (saved > 0) RestoreDC(dc, saved);
      text.Left += BarImageRoom(it);
    }
    DrawTextA(dc, it.text.c_str(), int(it.text.size()), &text, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
  }
}

void TrackMenuBarMouse(HWND hwnd, POINT screen) {
  Menu* m = FindMenu(GetMenu(hwnd));
  if (!m) return;
  m = LayoutBar(hwnd, GetMenu(hwnd));
  if (!m) return;
  RECT win;
  GetWindowRect(hwnd, &win);
  POINT q{screen.X - win.Left, screen.Y - win.Top};
  for (size_t i = 0; i < m->items.size(); ++i)
    if (PtInRect(&m->items[i].rect, q) && !IsSeparator(m->items[i])) {
      TrackBar(hwnd, int(i), true, false);
      return;
    }
}

void TrackMenuBarKey(HWND hwnd, Byte key) {
  Menu* m = FindMenu(GetMenu(hwnd));
  if (!m || m->items.empty()) return;
  if (key == 0) {
    TrackBar(hwnd, 0, false, true);
    return;
  }
  Byte upper = CpUpper(key);
  for (size_t i = 0; i < m->items.size(); ++i)
    if (Mnemonic(m->items[i].text) == upper) {
      if (m->items[i].sub) {
        TrackBar(hwnd, int(i), true, true);
      } else if (!IsDisabled(m->items[i])) {
        PostMessageA(hwnd, WM_COMMAND, MAKEWPARAM(WORD(m->items[i].id), 0), 0);
      }
      return;
    }
  MessageBeep(0);
}

}  // namespace user_detail

using namespace user_detail;

BOOL DrawMenuBar(HWND hwnd) {
  if (!IsWindow(hwnd) || !GetMenu(hwnd)) return FALSE;
  if (MenuBarHeight(hwnd) > 0) {
    // Items that now need another height make the frame lay itself out again.
    const int need = MeasureMenuBar(hwnd);
    if (!IsWindow(hwnd) || !GetMenu(hwnd)) return FALSE;
    if (need != MenuBarHeight(hwnd))
      return SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                          SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  return RedrawWindow(hwnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_NOERASE | RDW_NOCHILDREN);
}

BOOL HiliteMenuItem(HWND hwnd, HMENU menu, UINT item, UINT hilite) {
  Menu* m = FindMenu(menu);
  if (!m) return FALSE;
  for (size_t i = 0; i < m->items.size(); ++i) {
    MenuItem& it = m->items[i];
    if ((hilite & MF_BYPOSITION) ? i == item : it.id == item) {
      it.state = (hilite & MF_HILITE) ? (it.state | MFS_HILITE) : (it.state & ~MFS_HILITE);
      if (GetMenu(hwnd) == menu) DrawMenuBar(hwnd);
      return TRUE;
    }
  }
  return FALSE;
}

BOOL GetMenuItemRect(HWND hwnd, HMENU menu, UINT item, LPRECT rect) {
  Menu* m = FindMenu(menu);
  if (!m || !rect || item >= m->items.size()) return FALSE;
  RECT win{0, 0, 0, 0};
  if (hwnd && GetMenu(hwnd) == menu) {
    m = LayoutBar(hwnd, menu);
    if (!m || item >= m->items.size()) return FALSE;
    GetWindowRect(hwnd, &win);
  } else {
    Level* l = nullptr;
    if (g_tracker)
      for (Level& lv : g_tracker->levels)
        if (lv.menu == menu && lv.wnd) l = &lv;
    if (l) {
      GetWindowRect(l->wnd, &win);
    } else {
      // A popup not on the screen: its items as last laid out (empty if never), from
      // the window's client origin.
      if (!IsWindow(hwnd)) return FALSE;
      POINT origin{0, 0};
      ClientToScreen(hwnd, &origin);
      win = {origin.X, origin.Y, origin.X, origin.Y};
    }
  }
  TRect r = m->items[item].rect;
  *rect = {win.Left + r.Left, win.Top + r.Top, win.Left + r.Right, win.Top + r.Bottom};
  return TRUE;
}

BOOL GetMenuBarInfo(HWND hwnd, Integer idObject, Integer idItem, MENUBARINFO* info) {
  if (!info || info->cbSize != sizeof(MENUBARINFO) || idObject != OBJID_MENU || MenuBarHeight(hwnd) == 0) return FALSE;
  HMENU menu = GetMenu(hwnd);
  if (!FindMenu(menu)) return FALSE;
  Menu* m = LayoutBar(hwnd, menu);   // measuring asks the owner, which may change the menu
  if (!m || idItem < 0 || size_t(idItem) > m->items.size() || !IsWindow(hwnd)) return FALSE;
  RECT win;
  GetWindowRect(hwnd, &win);
  TRect r{0, 0, 0, 0};
  if (idItem > 0) r = m->items[size_t(idItem) - 1].rect;
  else if (!m->items.empty()) r = BarRect(hwnd);
  if (idItem > 0 || !m->items.empty()) r = {win.Left + r.Left, win.Top + r.Top, win.Left + r.Right, win.Top + r.Bottom};
  info->rcBar = r;
  info->hMenu = menu;
  info->hwndMenu = nullptr;
  const bool tracked = g_tracker && g_tracker->bar && g_tracker->owner == hwnd && !g_tracker->levels.empty();
  info->fBarFocused = tracked;
  info->fFocused = tracked && idItem > 0 && g_tracker->levels[0].sel == idItem - 1;
  return TRUE;
}

int MenuItemFromPoint(HWND hwnd, HMENU menu, POINT screen) {
  Menu* m = FindMenu(menu);
  if (!m) return -1;
  for (size_t i = 0; i < m->items.size(); ++i) {
    RECT r;
    if (GetMenuItemRect(hwnd, menu, UINT(i), &r) && PtInRect(&r, screen)) return int(i);
  }
  return -1;
}

void user_detail::EndMenuOf(HWND owner) {
  if (g_tracker && g_tracker->owner == owner) g_tracker->done = true;
}

BOOL EndMenu() {
  if (!g_tracker) return FALSE;
  g_tracker->done = true;
  return TRUE;
}

BOOL TrackPopupMenuEx(HMENU menu, UINT flags, int x, int y, HWND owner, const TPMPARAMS* params) {
  if (!FindMenu(menu) || !IsWindow(owner) || g_tracker) return FALSE;
  Tracker t;
  t.owner = owner;
  t.flags = flags;
  t.notify = !(flags & TPM_NONOTIFY);
  TrackingScope scope(t);
  SendMessageA(owner, WM_ENTERMENULOOP, TRUE, 0);
  if (t.notify) SendMessageA(owner, WM_INITMENU, reinterpret_cast<WPARAM>(menu), 0);
  if (!IsWindow(owner)) return FALSE;
  TRect avoid = params ? params->rcExclude : TRect{x, y, x, y};
  OpenPopup(t, menu, x, y, flags, params ? &avoid : nullptr, 0);
  if (t.levels.empty()) {
    if (IsWindow(owner)) SendMessageA(owner, WM_EXITMENULOOP, TRUE, 0);
    return FALSE;
  }
  SetCapture(owner);
  Run(t);
  Finish(t, true);
  if (flags & TPM_RETURNCMD) return t.chosen ? BOOL(t.command) : 0;
  if (t.chosen && t.notify && IsWindow(owner)) PostMessageA(owner, WM_COMMAND, MAKEWPARAM(WORD(t.command), 0), 0);
  return TRUE;
}

BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int, HWND owner, const RECT*) {
  return TrackPopupMenuEx(menu, flags, x, y, owner, nullptr);
}
