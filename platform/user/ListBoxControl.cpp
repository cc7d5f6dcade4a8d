// The list box: strings or owner data, single, multiple or extended selection, fixed or
// variable item heights drawn by itself or by the owner, one column with its own vertical
// scroll bar or several side by side with a horizontal one.
#include "platform/gdi/Gdi.h"
#include "platform/gdi/Text.h"
#include "platform/kernel/CodePage.h"
#include "platform/user/BlockSequence.h"
#include "platform/user/Controls.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <new>

namespace {

struct Item {
  String text;
  ULONG_PTR data = 0;
  int height = 0;
  bool selected = false;
};

constexpr Integer kMaxNoDataItems = Integer(1) << 22;   // LB_SETCOUNT's limit

struct ListState {
  BlockSequence<Item> items;   // sorted lists insert in the middle
  int cur = -1;        // the single selection, or the caret item of multiple selection
  int anchor = -1;
  int top = 0;
  int itemHeight = 0;
  HFONT font = nullptr;
  bool focused = false;
  bool tracking = false;
  bool changedWhileTracking = false;
  int hExtent = 0;        // LB_SETHORIZONTALEXTENT: a single column scrolls sideways over it
  int hOffset = 0;        // pixels of a single column scrolled out on the left
  // What the horizontal bar last showed: it is set again only when one of them changes, so
  // a bar shown or hidden from outside stays so meanwhile.
  int hSyncedExtent = -1, hSyncedOffset = -1, hSyncedWidth = -1;
  DWORD selection = 0;    // LBS_MULTIPLESEL/LBS_EXTENDEDSEL as created: later style changes keep it
  bool vscroll = false;   // created with WS_VSCROLL: the bar comes and goes with the range
  bool hscroll = false;   // created with WS_HSCROLL: the columns' bar
  int columnWidth = 0;    // LB_SETCOLUMNWIDTH; 0 is the client width
  int tabStop = 32;       // LBS_USETABSTOPS: a stop every this many dialog units (4 a character)
};

std::map<HWND, std::unique_ptr<ListState>>& States() {
  static std::map<HWND, std::unique_ptr<ListState>> states;
  return states;
}
ListState* StateOf(HWND h) {
  auto it = States().find(h);
  return it == States().end() ? nullptr : it->second.get();
}

DWORD Style(HWND h) { return DWORD(GetWindowLongA(h, GWL_STYLE)); }
bool OwnerDraw(HWND h) { return Style(h) & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE); }
// Fixed heights win when both owner-draw styles are given.
bool Variable(HWND h) { return (Style(h) & (LBS_OWNERDRAWVARIABLE | LBS_OWNERDRAWFIXED)) == LBS_OWNERDRAWVARIABLE; }
bool HasStrings(HWND h) { return !OwnerDraw(h) || (Style(h) & LBS_HASSTRINGS); }
DWORD SelKind(HWND h);
bool Multi(HWND h) { return SelKind(h) != 0; }
int Count(const ListState& s) { return int(s.items.size()); }
DWORD SelKind(HWND h) {
  const ListState* s = StateOf(h);
  return s ? s->selection : 0;
}
bool Valid(const ListState& s, Integer i) { return i >= 0 && i < Count(s); }

int FontHeight(HFONT font) {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
  TEXTMETRICA tm;
  GetTextMetricsA(dc, &tm);
  if (old) SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return tm.tmHeight;
}

int AverageCharWidth(HFONT font) {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
  TEXTMETRICA tm;
  GetTextMetricsA(dc, &tm);
  if (old) SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return tm.tmAveCharWidth;
}

int ClientHeight(HWND h) {
  RECT rc;
  GetClientRect(h, &rc);
  return rc.Bottom;
}

int HeightOf(HWND h, const ListState& s, int i) { return Variable(h) ? s.items[size_t(i)].height : s.itemHeight; }

// Several columns: the items run down each column, then on in the next. Heights are fixed.
bool MultiColumn(HWND h) { return (Style(h) & LBS_MULTICOLUMN) != 0; }

int ClientWidth(HWND h) {
  RECT rc;
  GetClientRect(h, &rc);
  return rc.Right;
}

int ColumnWidth(HWND h, const ListState& s) { return std::max(1, s.columnWidth > 0 ? s.columnWidth : ClientWidth(h)); }
int RowsPerColumn(HWND h, const ListState& s) { return std::max(1, ClientHeight(h) / std::max(1, s.itemHeight)); }
int VisibleColumns(HWND h, const ListState& s) { return std::max(1, ClientWidth(h) / ColumnWidth(h, s)); }
int ColumnCount(HWND h, const ListState& s) {
  const int rows = RowsPerColumn(h, s);
  return (int(s.items.size()) + rows - 1) / rows;
}

// Items that fit from `top` (at least one, so a short list box still scrolls).
int PageFrom(HWND h, const ListState& s, int top) {
  if (MultiColumn(h)) return RowsPerColumn(h, s) * VisibleColumns(h, s);
  int room = ClientHeight(h), n = 0;
  for (int i = top; i < Count(s); ++i) {
    room -= HeightOf(h, s, i);
    if (room < 0) break;
    ++n;
  }
  return std::max(1, n);
}

// The largest top index that still fills the client area.
int MaxTop(HWND h, const ListState& s) {
  if (MultiColumn(h)) return std::max(0, ColumnCount(h, s) - VisibleColumns(h, s)) * RowsPerColumn(h, s);
  int room = ClientHeight(h), i = Count(s);
  while (i > 0 && room - HeightOf(h, s, i - 1) >= 0) {
    room -= HeightOf(h, s, i - 1);
    --i;
  }
  return std::min(i, std::max(0, Count(s) - 1));
}

void UpdateScrollBar(HWND h, ListState& s) {
  if (MultiColumn(h)) {
    if (!s.hscroll) return;
    SCROLLINFO si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | ((Style(h) & LBS_DISABLENOSCROLL) ? SIF_DISABLENOSCROLL : 0);
    si.nMin = 0;
    si.nMax = std::max(0, ColumnCount(h, s) - 1);
    si.nPage = UINT(VisibleColumns(h, s));
    si.nPos = s.top / RowsPerColumn(h, s);
    SetScrollInfo(h, SB_HORZ, &si, TRUE);
    return;
  }
  const int width = ClientWidth(h);
  if (s.hscroll && (s.hExtent != s.hSyncedExtent || s.hOffset != s.hSyncedOffset || width != s.hSyncedWidth)) {
    // Shown only while the extent is wider than the list.
    s.hSyncedExtent = s.hExtent;
    s.hSyncedOffset = s.hOffset;
    s.hSyncedWidth = width;
    SCROLLINFO hi;
    hi.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    hi.nMin = 0;
    hi.nMax = std::max(0, s.hExtent - 1);
    hi.nPage = UINT(std::max(0, width));
    hi.nPos = s.hOffset;
    SetScrollInfo(h, SB_HORZ, &hi, TRUE);
  }
  if (!s.vscroll) return;
  SCROLLINFO si;
  si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | ((Style(h) & LBS_DISABLENOSCROLL) ? SIF_DISABLENOSCROLL : 0);
  si.nMin = 0;
  si.nMax = std::max(0, Count(s) - 1);
  si.nPage = UINT(PageFrom(h, s, s.top));
  si.nPos = s.top;
  SetScrollInfo(h, SB_VERT, &si, TRUE);
}

void SetHorizontalOffset(HWND h, ListState& s, int offset) {
  offset = std::clamp(offset, 0, std::max(0, s.hExtent - ClientWidth(h)));
  if (offset != s.hOffset) {
    s.hOffset = offset;
    InvalidateRect(h, nullptr, TRUE);
  }
}

void SetTop(HWND h, ListState& s, int top) {
  if (!MultiColumn(h)) SetHorizontalOffset(h, s, s.hOffset);
  top = std::clamp(top, 0, MaxTop(h, s));
  // Columns scroll whole.
  if (MultiColumn(h)) top -= top % RowsPerColumn(h, s);
  if (top != s.top) {
    s.top = top;
    InvalidateRect(h, nullptr, TRUE);
  }
  UpdateScrollBar(h, s);
}

void EnsureVisible(HWND h, ListState& s, int i) {
  if (!Valid(s, i)) return;
  if (MultiColumn(h)) {
    const int rows = RowsPerColumn(h, s);
    if (i < s.top) SetTop(h, s, i);
    else if (i >= s.top + PageFrom(h, s, s.top)) SetTop(h, s, (i / rows - VisibleColumns(h, s) + 1) * rows);
    return;
  }
  if (i < s.top) SetTop(h, s, i);
  else if (i >= s.top + PageFrom(h, s, s.top)) {
    int top = i, room = ClientHeight(h) - HeightOf(h, s, i);
    while (top > 0 && room - HeightOf(h, s, top - 1) >= 0) room -= HeightOf(h, s, --top);
    SetTop(h, s, top);
  }
}

RECT ItemRect(HWND h, const ListState& s, int i) {
  RECT rc;
  GetClientRect(h, &rc);
  if (MultiColumn(h)) {
    const int rows = RowsPerColumn(h, s), d = i - s.top;
    const int col = d >= 0 ? d / rows : -((-d + rows - 1) / rows);
    const int x = col * ColumnWidth(h, s), y = (d - col * rows) * s.itemHeight;
    return {x, y, x + ColumnWidth(h, s), y + s.itemHeight};
  }
  int y = 0;
  if (i >= s.top)
    for (int k = s.top; k < i; ++k) y += HeightOf(h, s, k);
  else
    for (int k = i; k < s.top; ++k) y -= HeightOf(h, s, k);
  return {0, y, rc.Right, y + HeightOf(h, s, i)};
}

// The item under a client point and whether the point lies outside every item.
int ItemAt(HWND h, const ListState& s, int y, bool* outside, int x = 0) {
  *outside = false;
  if (Count(s) == 0) { *outside = true; return 0; }
  if (MultiColumn(h)) {
    const int rows = RowsPerColumn(h, s);
    const int row = std::clamp(y / std::max(1, s.itemHeight), 0, rows - 1);
    const int i = s.top + std::max(0, x) / ColumnWidth(h, s) * rows + row;
    *outside = y < 0 || y >= rows * s.itemHeight || i >= Count(s);
    return std::min(i, Count(s) - 1);
  }
  if (y < 0) { *outside = true; return s.top; }
  int top = 0;
  for (int i = s.top; i < Count(s); ++i) {
    int bottom = top + HeightOf(h, s, i);
    if (y < bottom) return i;
    top = bottom;
  }
  *outside = true;
  return Count(s) - 1;
}

// Case-insensitive order over the 1252 case tables; n < 0 compares whole strings.
int CompareNoCase(const char* a, const char* b, int n = -1) {
  for (int i = 0; n < 0 || i < n; ++i) {
    Byte x = CpUpper(Byte(a[i])), y = CpUpper(Byte(b[i]));
    if (x != y) return x < y ? -1 : 1;
    if (!x) return 0;
  }
  return 0;
}

void Notify(HWND h, WORD code) {
  if (Style(h) & LBS_NOTIFY) user_detail::NotifyParent(h, code);
}

// False when the owner's measuring destroyed the list: nothing of it may be read then.
bool Measure(HWND h, ListState& s, int i) {
  MEASUREITEMSTRUCT mi;
  mi.CtlType = ODT_LISTBOX;
  mi.CtlID = UINT(GetWindowLongA(h, GWL_ID));
  mi.itemID = UINT(i);
  RECT rc;
  GetClientRect(h, &rc);
  mi.itemWidth = UINT(rc.Right);
  mi.itemHeight = UINT(FontHeight(s.font));
  if (i >= 0 && i < Count(s))
    mi.itemData = HasStrings(h) ? reinterpret_cast<ULONG_PTR>(s.items[size_t(i)].text.c_str()) : s.items[size_t(i)].data;
  if (HWND parent = GetParent(h)) SendMessageA(parent, WM_MEASUREITEM, mi.CtlID, reinterpret_cast<LPARAM>(&mi));
  if (!IsWindow(h)) return false;
  int height = std::clamp(int(mi.itemHeight), 1, 255);
  if (i >= 0 && i < Count(s)) s.items[size_t(i)].height = height;
  else s.itemHeight = height;
  return true;
}

void Changed(HWND h, ListState& s) {
  InvalidateRect(h, nullptr, TRUE);
  SetTop(h, s, s.top);
}

LRESULT Insert(HWND h, ListState& s, int at, LPARAM lp) {
  Item item;
  if (HasStrings(h)) item.text = lp ? reinterpret_cast<const char*>(lp) : "";
  else item.data = ULONG_PTR(lp);
  if (at < 0) {
    at = Count(s);
    if ((Style(h) & LBS_SORT) && HasStrings(h)) {
      // After every item that sorts before or equal to the new one; the list is kept sorted.
      size_t lo = 0, hi = s.items.size();
      while (lo < hi) {
        const size_t mid = lo + (hi - lo) / 2;
        if (CompareNoCase(s.items[mid].text.c_str(), item.text.c_str()) <= 0) lo = mid + 1;
        else hi = mid;
      }
      at = int(lo);
    }
  }
  if (at > Count(s)) return LB_ERR;
  try {
    s.items.insert(size_t(at), item);
  } catch (const std::bad_alloc&) {
    return LB_ERRSPACE;
  }
  if (s.cur >= at) ++s.cur;
  if (s.anchor >= at) ++s.anchor;
  if (Variable(h) && !Measure(h, s, at)) return LB_ERR;
  Changed(h, s);
  return at;
}

void SelectOnly(HWND h, ListState& s, int i) {
  for (int k = 0; k < Count(s); ++k) {
    bool sel = k == i;
    if (s.items[size_t(k)].selected != sel) {
      s.items[size_t(k)].selected = sel;
      RECT r = ItemRect(h, s, k);
      InvalidateRect(h, &r, TRUE);
    }
  }
  if (s.cur != i) {
    if (Valid(s, s.cur)) { RECT r = ItemRect(h, s, s.cur); InvalidateRect(h, &r, TRUE); }
    s.cur = i;
    if (Valid(s, i)) { RECT r = ItemRect(h, s, i); InvalidateRect(h, &r, TRUE); }
  }
}

// Moves the selection (or the caret of a multiple selection) the way the user does.
bool UserSelect(HWND h, ListState& s, int i, bool shift, bool ctrl) {
  if (Count(s) == 0) return false;
  i = std::clamp(i, 0, Count(s) - 1);
  std::vector<bool> before;
  for (auto& it : s.items) before.push_back(it.selected);
  int curBefore = s.cur;
  if (SelKind(h) & LBS_EXTENDEDSEL) {
    if (shift && Valid(s, s.anchor)) {
      for (int k = 0; k < Count(s); ++k)
        s.items[size_t(k)].selected = k >= std::min(s.anchor, i) && k <= std::max(s.anchor, i);
    } else if (ctrl) {
      s.items[size_t(i)].selected = !s.items[size_t(i)].selected;
      s.anchor = i;
    } else {
      for (int k = 0; k < Count(s); ++k) s.items[size_t(k)].selected = k == i;
      s.anchor = i;
    }
    s.cur = i;
    InvalidateRect(h, nullptr, TRUE);
  } else if (SelKind(h) & LBS_MULTIPLESEL) {
    s.cur = i;
    InvalidateRect(h, nullptr, TRUE);
  } else {
    SelectOnly(h, s, i);
  }
  EnsureVisible(h, s, i);
  bool changed = curBefore != s.cur;
  for (int k = 0; k < Count(s); ++k) changed |= before[size_t(k)] != s.items[size_t(k)].selected;
  return changed;
}

void Paint(HWND h, ListState& s) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(h, &ps);
  HBRUSH bg = user_detail::ControlColors(h, WM_CTLCOLORLISTBOX, dc);
  RECT rc;
  GetClientRect(h, &rc);
  HGDIOBJ old = s.font ? SelectObject(dc, s.font) : nullptr;
  COLORREF text = GetTextColor(dc), back = GetBkColor(dc);
  const bool columns = MultiColumn(h);
  // Columns leave gaps at their feet and on the right: the background goes first.
  if (columns) FillRect(dc, &rc, bg);
  int y = 0;
  for (int i = s.top; i < Count(s); ++i) {
    RECT r;
    if (columns) {
      r = ItemRect(h, s, i);
      if (r.Left >= rc.Right) break;
    } else {
      if (y >= rc.Bottom) break;
      r = {0, y, rc.Right, y + HeightOf(h, s, i)};
      y = r.Bottom;
    }
    const Item& it = s.items[size_t(i)];
    // A list without selection keeps one for its queries but never shows it.
    bool selected = !(Style(h) & LBS_NOSEL) && (Multi(h) ? it.selected : i == s.cur);
    bool focus = s.focused && i == s.cur;
    if (OwnerDraw(h)) {
      DRAWITEMSTRUCT di;
      di.CtlType = ODT_LISTBOX;
      di.CtlID = UINT(GetWindowLongA(h, GWL_ID));
      di.itemID = UINT(i);
      di.itemAction = ODA_DRAWENTIRE;
      di.itemState = (selected ? ODS_SELECTED : 0) | (focus ? ODS_FOCUS : 0) | (IsWindowEnabled(h) ? 0 : ODS_DISABLED);
      di.hwndItem = h;
      di.hDC = dc;
      di.rcItem = r;
      if (!columns) {
        di.rcItem.Left -= s.hOffset;
        di.rcItem.Right = std::max(LONG(rc.Right), LONG(s.hExtent)) - s.hOffset;
      }
      di.itemData = it.data;
      FillRect(dc, &r, bg);
      if (HWND parent = GetParent(h)) SendMessageA(parent, WM_DRAWITEM, di.CtlID, reinterpret_cast<LPARAM>(&di));
      // The owner's drawing may destroy the list: its state is gone, the paint only ends.
      if (!IsWindow(h)) {
        EndPaint(h, &ps);
        return;
      }
      continue;
    }
    FillRect(dc, &r, selected ? GetSysColorBrush(COLOR_HIGHLIGHT) : bg);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, !IsWindowEnabled(h) ? GetSysColor(COLOR_GRAYTEXT) : selected ? GetSysColor(COLOR_HIGHLIGHTTEXT) : text);
    RECT tr{r.Left + 2 - (columns ? 0 : s.hOffset), r.Top, r.Right, r.Bottom};
    if (Style(h) & LBS_USETABSTOPS) {
      String shown = it.text;
      DRAWTEXTPARAMS dp{sizeof(DRAWTEXTPARAMS), std::max(1, s.tabStop / 4), 0, 0, 0};
      DrawTextExA(dc, shown.data(), int(shown.size()), &tr, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_EXPANDTABS,
                  &dp);
    } else {
      DrawTextA(dc, it.text.c_str(), int(it.text.size()), &tr, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    }
    if (focus) DrawFocusRect(dc, &r);
  }
  if (!columns && y < rc.Bottom) {
    RECT rest{0, y, rc.Right, rc.Bottom};
    FillRect(dc, &rest, bg);
  }
  SetBkColor(dc, back);
  if (old) SelectObject(dc, old);
  EndPaint(h, &ps);
}

LRESULT Find(const ListState& s, Integer start, const char* text, bool exact) {
  if (!text || s.items.empty()) return LB_ERR;
  size_t len = std::strlen(text);
  int n = Count(s);
  int from = (start < 0 || start >= n) ? 0 : int(start) + 1;
  for (int k = 0; k < n; ++k) {
    int i = (from + k) % n;
    const String& t = s.items[size_t(i)].text;
    if (exact ? CompareNoCase(t.c_str(), text) == 0
              : (t.size() >= len && CompareNoCase(t.c_str(), text, int(len)) == 0))
      return i;
  }
  return LB_ERR;
}

bool OnKey(HWND h, ListState& s, int vk) {
  bool shift = GetKeyState(VK_SHIFT) < 0, ctrl = GetKeyState(VK_CONTROL) < 0;
  int cur = Valid(s, s.cur) ? s.cur : -1;
  int page = PageFrom(h, s, s.top);
  int to;
  switch (vk) {
    case VK_UP: to = cur < 0 ? 0 : cur - 1; break;
    case VK_DOWN: to = cur + 1; break;
    case VK_PRIOR: to = cur < 0 ? 0 : cur - std::max(1, page - 1); break;
    case VK_NEXT: to = cur + std::max(1, page - 1); break;
    case VK_HOME: to = 0; break;
    case VK_END: to = Count(s) - 1; break;
    case VK_LEFT:
    case VK_RIGHT: {
      // Side by side the neighbouring column's item; in one column the neighbouring item.
      const int step = MultiColumn(h) ? RowsPerColumn(h, s) : 1;
      to = cur < 0 ? 0 : vk == VK_LEFT ? std::max(0, cur - step) : std::min(Count(s) - 1, cur + step);
      break;
    }
    case VK_SPACE:
      if ((SelKind(h) & LBS_MULTIPLESEL) && Valid(s, cur)) {
        s.items[size_t(cur)].selected = !s.items[size_t(cur)].selected;
        InvalidateRect(h, nullptr, TRUE);
        Notify(h, LBN_SELCHANGE);
      }
      return true;
    default: return false;
  }
  if (Count(s) == 0) return true;
  if (UserSelect(h, s, to, shift, ctrl && !shift)) Notify(h, LBN_SELCHANGE);
  return true;
}

LRESULT ListProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    States()[h] = std::make_unique<ListState>();
    if (auto* cs = reinterpret_cast<CREATESTRUCTA*>(lp)) {
      States()[h]->vscroll = (DWORD(cs->style) & WS_VSCROLL) != 0;
      States()[h]->hscroll = (DWORD(cs->style) & WS_HSCROLL) != 0;
      // Without selection the list keeps track as a single-selection one does.
      States()[h]->selection =
          (DWORD(cs->style) & LBS_NOSEL) ? 0 : DWORD(cs->style) & (LBS_MULTIPLESEL | LBS_EXTENDEDSEL);
    }
    return DefWindowProcA(h, msg, wp, lp);
  }
  ListState* sp = StateOf(h);
  if (!sp) return DefWindowProcA(h, msg, wp, lp);
  ListState& s = *sp;
  switch (msg) {
    case WM_CREATE:
      s.itemHeight = FontHeight(s.font);
      if ((Style(h) & LBS_OWNERDRAWFIXED) && !Measure(h, s, 0)) return -1;
      UpdateScrollBar(h, s);
      return 0;
    case WM_NCDESTROY:
      States().erase(h);
      return DefWindowProcA(h, msg, wp, lp);
    case WM_WINDOWPOSCHANGING: {
      // Without LBS_NOINTEGRALHEIGHT the height drops to whole items.
      auto* pos = reinterpret_cast<WINDOWPOS*>(lp);
      if (!(Style(h) & LBS_NOINTEGRALHEIGHT) && !Variable(h) && s.itemHeight > 0 && !(pos->flags & SWP_NOSIZE)) {
        RECT win, cli;
        GetWindowRect(h, &win);
        GetClientRect(h, &cli);
        int frame = (win.Bottom - win.Top) - cli.Bottom;
        int client = pos->cy - frame;
        if (client > s.itemHeight) pos->cy -= client % s.itemHeight;
      }
      return DefWindowProcA(h, msg, wp, lp);
    }
    case WM_SIZE: SetTop(h, s, s.top); InvalidateRect(h, nullptr, TRUE); return 0;
    case WM_GETDLGCODE: return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_SETFONT:
      s.font = reinterpret_cast<HFONT>(wp);
      if (!OwnerDraw(h)) s.itemHeight = FontHeight(s.font);
      if (LOWORD(lp)) InvalidateRect(h, nullptr, TRUE);
      UpdateScrollBar(h, s);
      return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(s.font);
    case LB_ADDSTRING: return Insert(h, s, -1, lp);
    case LB_INSERTSTRING: return Insert(h, s, int(Integer(wp)) < 0 ? Count(s) : int(Integer(wp)), lp);
    case LB_DELETESTRING: {
      Integer i = Integer(wp);
      if (!Valid(s, i)) return LB_ERR;
      if (OwnerDraw(h) && !HasStrings(h)) {
        struct { UINT CtlType, CtlID, itemID; HWND hwndItem; ULONG_PTR itemData; } del{
            ODT_LISTBOX, UINT(GetWindowLongA(h, GWL_ID)), UINT(i), h, s.items[size_t(i)].data};
        if (HWND parent = GetParent(h)) SendMessageA(parent, WM_DELETEITEM, del.CtlID, reinterpret_cast<LPARAM>(&del));
        if (!IsWindow(h)) return LB_ERR;
      }
      s.items.erase(size_t(i));
      if (s.cur == i) s.cur = -1;
      else if (s.cur > i) --s.cur;
      if (s.anchor >= i) s.anchor = s.anchor == i ? -1 : s.anchor - 1;
      Changed(h, s);
      return Count(s);
    }
    case LB_RESETCONTENT:
      s.items.clear();
      s.cur = s.anchor = -1;
      s.top = 0;
      Changed(h, s);
      return 0;
    case LB_GETCOUNT: return Count(s);
    case LB_SETCOUNT: {
      if (!(Style(h) & LBS_NODATA)) return LB_ERR;
      Integer n = Integer(wp);
      if (n < 0) return LB_ERR;
      // Each item still costs a record here, so a count past the cap is refused up front.
      if (n > kMaxNoDataItems) return LB_ERRSPACE;
      try {
        s.items.assign(size_t(n), Item{});
      } catch (const std::bad_alloc&) {
        s.items.clear();
        s.cur = -1;
        Changed(h, s);
        return LB_ERRSPACE;
      }
      s.cur = -1;
      Changed(h, s);
      return 0;
    }
    case LB_GETTEXT: {
      Integer i = Integer(wp);
      if (!Valid(s, i) || !lp) return LB_ERR;
      const Item& it = s.items[size_t(i)];
      if (!HasStrings(h)) {
        std::memcpy(reinterpret_cast<void*>(lp), &it.data, sizeof it.data);
        return sizeof it.data;
      }
      std::memcpy(reinterpret_cast<char*>(lp), it.text.c_str(), it.text.size() + 1);
      return LRESULT(it.text.size());
    }
    case LB_GETTEXTLEN: {
      Integer i = Integer(wp);
      if (!Valid(s, i)) return LB_ERR;
      return HasStrings(h) ? LRESULT(s.items[size_t(i)].text.size()) : LRESULT(sizeof(ULONG_PTR));
    }
    case LB_GETITEMDATA: {
      Integer i = Integer(wp);
      if (!Valid(s, i)) return LB_ERR;
      return LRESULT(s.items[size_t(i)].data);
    }
    case LB_SETITEMDATA: {
      Integer i = Integer(wp);
      if (i == -1) {
        for (auto& it : s.items) it.data = ULONG_PTR(lp);
        return TRUE;
      }
      if (!Valid(s, i)) return LB_ERR;
      s.items[size_t(i)].data = ULONG_PTR(lp);
      return TRUE;
    }
    case LB_SETCURSEL: {
      if (Multi(h)) return LB_ERR;
      Integer i = Integer(wp);
      if (i == -1) {
        SelectOnly(h, s, -1);
        return LB_ERR;
      }
      if (!Valid(s, i)) return LB_ERR;
      SelectOnly(h, s, int(i));
      EnsureVisible(h, s, int(i));
      return i;
    }
    case LB_GETCURSEL:
      if (Multi(h)) return Count(s) == 0 ? LB_ERR : Valid(s, s.cur) ? s.cur : 0;   // the caret item
      return Valid(s, s.cur) ? s.cur : LB_ERR;
    case LB_SETSEL: {
      if (!Multi(h)) return LB_ERR;
      Integer i = Integer(lp);
      if (i == -1) {
        for (auto& it : s.items) it.selected = wp != 0;
      } else {
        if (!Valid(s, i)) return LB_ERR;
        s.items[size_t(i)].selected = wp != 0;
        s.anchor = int(i);
        s.cur = int(i);   // the caret follows the item set
      }
      InvalidateRect(h, nullptr, TRUE);
      return 0;
    }
    case LB_GETSEL: {
      Integer i = Integer(wp);
      if (!Valid(s, i)) return LB_ERR;
      return Multi(h) ? s.items[size_t(i)].selected : i == s.cur;
    }
    case LB_GETSELCOUNT: {
      if (!Multi(h)) return LB_ERR;
      return LRESULT(std::count_if(s.items.begin(), s.items.end(), [](const Item& it) { return it.selected; }));
    }
    case LB_SETCARETINDEX: {
      Integer i = Integer(wp);
      if (!Valid(s, i)) return LB_ERR;
      if (!Multi(h)) SelectOnly(h, s, int(i));
      else s.cur = int(i);
      EnsureVisible(h, s, int(i));
      InvalidateRect(h, nullptr, TRUE);
      return 0;
    }
    case LB_GETCARETINDEX: return Valid(s, s.cur) ? s.cur : 0;
    case LB_SETTOPINDEX: {
      Integer i = Integer(wp);
      if (i < 0 || (i >= Count(s) && i > 0)) return LB_ERR;
      SetTop(h, s, int(i));
      return 0;
    }
    case LB_GETTOPINDEX: return s.top;
    case LB_GETITEMHEIGHT: {
      if (Variable(h)) {
        Integer i = Integer(wp);
        if (!Valid(s, i)) return Count(s) == 0 ? s.itemHeight : LB_ERR;
        return s.items[size_t(i)].height;
      }
      return s.itemHeight;
    }
    case LB_SETITEMHEIGHT: {
      int height = int(LOWORD(lp));
      if (height <= 0 || height > 255) return LB_ERR;
      if (Variable(h)) {
        Integer i = Integer(wp);
        if (!Valid(s, i)) return LB_ERR;
        s.items[size_t(i)].height = height;
      } else {
        s.itemHeight = height;
      }
      Changed(h, s);
      return LB_OKAY;
    }
    case LB_GETITEMRECT: {
      Integer i = Integer(wp);
      RECT* r = reinterpret_cast<RECT*>(lp);
      if (!r || (!Valid(s, i) && !(i == 0 && Count(s) == 0))) return LB_ERR;
      if (Count(s) == 0) {
        RECT rc;
        GetClientRect(h, &rc);
        *r = {0, 0, rc.Right, s.itemHeight};
      } else {
        *r = ItemRect(h, s, int(i));
      }
      // The rectangle is always given; the answer says whether any of it shows.
      RECT rc;
      GetClientRect(h, &rc);
      return r->Top < rc.Bottom && r->Bottom > 0 && r->Left < rc.Right && r->Right > 0 ? 1 : 0;
    }
    case LB_ITEMFROMPOINT: {
      bool outside = false;
      int x = SHORT(LOWORD(lp)), y = SHORT(HIWORD(lp));
      RECT rc;
      GetClientRect(h, &rc);
      // Below the client area the answer is the last item that shows, at least in part.
      int i = ItemAt(h, s, std::min(y, int(rc.Bottom) - 1), &outside, std::clamp(x, 0, std::max(0, int(rc.Right) - 1)));
      if (x < 0 || x >= rc.Right || y >= rc.Bottom) outside = true;
      return MAKELONG(WORD(i), WORD(outside ? 1 : 0));
    }
    case LB_FINDSTRING:
    case LB_FINDSTRINGEXACT:
      if (!HasStrings(h)) {
        for (int i = 0; i < Count(s); ++i)
          if (s.items[size_t(i)].data == ULONG_PTR(lp)) return i;
        return LB_ERR;
      }
      return Find(s, Integer(wp), reinterpret_cast<const char*>(lp), msg == LB_FINDSTRINGEXACT);
    case LB_SELECTSTRING: {
      LRESULT i = HasStrings(h) ? Find(s, Integer(wp), reinterpret_cast<const char*>(lp), false) : LB_ERR;
      if (i == LB_ERR) return LB_ERR;
      if (Multi(h)) s.cur = int(i);
      else SelectOnly(h, s, int(i));
      EnsureVisible(h, s, int(i));
      return i;
    }
    case LB_SETHORIZONTALEXTENT:
      s.hExtent = std::max(0, int(Integer(wp)));
      SetTop(h, s, s.top);
      return 0;
    case LB_SETTABSTOPS: {
      // No stops: every 32 dialog units; one: every that many; more: the first one counts.
      const int* stops = reinterpret_cast<const int*>(lp);
      if (Integer(wp) < 0 || (wp > 0 && !stops)) return FALSE;
      s.tabStop = wp == 0 ? 32 : std::max(1, stops[0]);
      InvalidateRect(h, nullptr, TRUE);
      return TRUE;
    }
    case LB_SETCOLUMNWIDTH:
      s.columnWidth = std::max(0, int(Integer(wp)));
      Changed(h, s);
      return 0;
    case WM_HSCROLL: {
      if (!MultiColumn(h)) {
        const int line = std::max(1, AverageCharWidth(s.font)), page = std::max(1, ClientWidth(h));
        switch (LOWORD(wp)) {
          case SB_LINELEFT: SetHorizontalOffset(h, s, s.hOffset - line); break;
          case SB_LINERIGHT: SetHorizontalOffset(h, s, s.hOffset + line); break;
          case SB_PAGELEFT: SetHorizontalOffset(h, s, s.hOffset - page); break;
          case SB_PAGERIGHT: SetHorizontalOffset(h, s, s.hOffset + page); break;
          case SB_LEFT: SetHorizontalOffset(h, s, 0); break;
          case SB_RIGHT: SetHorizontalOffset(h, s, s.hExtent); break;
          case SB_THUMBTRACK:
          case SB_THUMBPOSITION: SetHorizontalOffset(h, s, int(HIWORD(wp))); break;
          default: break;
        }
        UpdateScrollBar(h, s);
        return 0;
      }
      const int rows = RowsPerColumn(h, s), page = VisibleColumns(h, s) * rows;
      switch (LOWORD(wp)) {
        case SB_LINELEFT: SetTop(h, s, s.top - rows); break;
        case SB_LINERIGHT: SetTop(h, s, s.top + rows); break;
        case SB_PAGELEFT: SetTop(h, s, s.top - page); break;
        case SB_PAGERIGHT: SetTop(h, s, s.top + page); break;
        case SB_LEFT: SetTop(h, s, 0); break;
        case SB_RIGHT: SetTop(h, s, Count(s)); break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: SetTop(h, s, int(HIWORD(wp)) * rows); break;
        default: break;
      }
      return 0;
    }
    case LB_GETHORIZONTALEXTENT: return s.hExtent;
    case WM_VSCROLL: {
      int page = PageFrom(h, s, s.top);
      switch (LOWORD(wp)) {
        case SB_LINEUP: SetTop(h, s, s.top - 1); break;
        case SB_LINEDOWN: SetTop(h, s, s.top + 1); break;
        case SB_PAGEUP: SetTop(h, s, s.top - std::max(1, page - 1)); break;
        case SB_PAGEDOWN: SetTop(h, s, s.top + std::max(1, page - 1)); break;
        case SB_TOP: SetTop(h, s, 0); break;
        case SB_BOTTOM: SetTop(h, s, Count(s)); break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: SetTop(h, s, int(HIWORD(wp))); break;
        default: break;
      }
      return 0;
    }
    case WM_MOUSEWHEEL: {
      int delta = SHORT(HIWORD(wp));
      SetTop(h, s, s.top - delta / 120 * (MultiColumn(h) ? RowsPerColumn(h, s) : 3));
      return 0;
    }
    case WM_LBUTTONDOWN: {
      if (GetFocus() != h) SetFocus(h);
      if (!IsWindow(h)) return 0;
      bool outside;
      int i = ItemAt(h, s, SHORT(HIWORD(lp)), &outside, SHORT(LOWORD(lp)));
      if (Count(s) == 0) return 0;
      if (SelKind(h) & LBS_MULTIPLESEL) {
        if (!outside) {
          s.items[size_t(i)].selected = !s.items[size_t(i)].selected;
          s.cur = i;
          InvalidateRect(h, nullptr, TRUE);
          Notify(h, LBN_SELCHANGE);
        }
        return 0;
      }
      s.changedWhileTracking = UserSelect(h, s, i, wp & MK_SHIFT, wp & MK_CONTROL);
      s.tracking = true;
      SetCapture(h);
      return 0;
    }
    case WM_MOUSEMOVE:
      if (s.tracking && GetCapture() == h && !(SelKind(h) & LBS_MULTIPLESEL)) {
        int y = SHORT(HIWORD(lp));
        if (y < 0) s.changedWhileTracking |= UserSelect(h, s, s.top - 1, SelKind(h) & LBS_EXTENDEDSEL, false);
        else {
          bool outside;
          int i = ItemAt(h, s, y, &outside, SHORT(LOWORD(lp)));
          if (y >= ClientHeight(h)) i = std::min(Count(s) - 1, s.top + PageFrom(h, s, s.top));
          s.changedWhileTracking |= UserSelect(h, s, i, SelKind(h) & LBS_EXTENDEDSEL, false);
        }
      }
      return 0;
    case WM_LBUTTONUP:
      if (s.tracking) {
        s.tracking = false;
        if (GetCapture() == h) ReleaseCapture();
        bool changed = s.changedWhileTracking;
        s.changedWhileTracking = false;
        if (changed) Notify(h, LBN_SELCHANGE);   // last: the handler may destroy the list
      }
      return 0;
    case WM_CAPTURECHANGED: s.tracking = false; return 0;
    case WM_LBUTTONDBLCLK: {
      bool outside;
      ItemAt(h, s, SHORT(HIWORD(lp)), &outside, SHORT(LOWORD(lp)));
      if (!outside) Notify(h, LBN_DBLCLK);
      return 0;
    }
    case WM_KEYDOWN:
      if (OnKey(h, s, int(wp))) return 0;
      return DefWindowProcA(h, msg, wp, lp);
    case WM_CHAR: {
      Byte ch = Byte(wp);
      if (!HasStrings(h) || ch < 32) return 0;
      char text[2] = {Char(ch), 0};
      LRESULT i = Find(s, Valid(s, s.cur) ? s.cur : -1, text, false);
      if (i != LB_ERR && UserSelect(h, s, int(i), false, false)) Notify(h, LBN_SELCHANGE);
      return 0;
    }
    case WM_SETFOCUS:
      s.focused = true;
      InvalidateRect(h, nullptr, TRUE);
      Notify(h, LBN_SETFOCUS);
      return 0;
    case WM_KILLFOCUS: {
      s.focused = false;
      // A press whose release never came ends here: the capture goes, the change is told.
      bool pending = s.tracking && s.changedWhileTracking;
      s.tracking = s.changedWhileTracking = false;
      if (GetCapture() == h) ReleaseCapture();
      if (!IsWindow(h)) return 0;
      if (pending) Notify(h, LBN_SELCHANGE);
      if (!IsWindow(h)) return 0;
      InvalidateRect(h, nullptr, TRUE);
      Notify(h, LBN_KILLFOCUS);
      return 0;
    }
    case WM_PAINT: Paint(h, s); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_ENABLE: InvalidateRect(h, nullptr, TRUE); return 0;
    default: return DefWindowProcA(h, msg, wp, lp);
  }
}

}  // namespace

namespace user_detail {
WNDPROCFN ListBoxWindowProc() { return &ListProc; }
}  // namespace user_detail
