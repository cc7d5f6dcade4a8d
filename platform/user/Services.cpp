// Cursors, the caret, the clipboard and window scroll bars.
#include "platform/gdi/Codecs.h"
#include "platform/gdi/Gdi.h"
#include "platform/kernel/Locale.h"
#include "platform/kernel/Modules.h"
#include "platform/kernel/Resources.h"
#include "platform/user/Controls.h"
#include "platform/user/UserInternal.h"
#include "platform/user/UserTesting.h"

#include <algorithm>
#include <cstring>

using namespace user_detail;

// ---- Cursors -------------------------------------------------------------------------------

namespace {

struct CursorTable {
  std::vector<std::unique_ptr<Cursor>> slots;
  std::vector<uint32_t> generations;
  std::map<uintptr_t, HCURSOR> standard;
  std::map<std::pair<const void*, String>, HCURSOR> loaded;   // resource data + name
};

CursorTable& Cursors() {
  static CursorTable table;
  return table;
}

HCURSOR AddCursor(std::unique_ptr<Cursor> c) {
  auto& t = Cursors();
  size_t slot = 0;
  while (slot < t.slots.size() && t.slots[slot]) slot++;
  if (slot == t.slots.size()) {
    t.slots.emplace_back();
    t.generations.push_back(0);
  }
  t.slots[slot] = std::move(c);
  uint32_t gen = ++t.generations[slot];
  return reinterpret_cast<HCURSOR>((uintptr_t(gen) << 16) | uintptr_t(slot + 1) | (uintptr_t(1) << 40));
}

Cursor* LookupCursor(HCURSOR h) {
  auto& t = Cursors();
  uintptr_t v = reinterpret_cast<uintptr_t>(h);
  if (!(v & (uintptr_t(1) << 40))) return nullptr;
  v &= ~(uintptr_t(1) << 40);
  size_t slot = (v & 0xFFFF) - 1;
  uint32_t gen = uint32_t(v >> 16);
  if (slot >= t.slots.size() || !t.slots[slot] || t.generations[slot] != gen) return nullptr;
  return t.slots[slot].get();
}

// Our own art for the standard cursors: black outlines, white fills, 32x32.
std::unique_ptr<Cursor> MakeStandardCursor(uintptr_t id) {
  auto c = std::make_unique<Cursor>();
  c->shared = true;
  CursorImage& img = c->image;
  img.Width = img.Height = 32;
  img.Pixels.assign(32 * 32, CursorTransparent);
  auto px = [&](int x, int y, Pixel p) {
    if (x >= 0 && y >= 0 && x < 32 && y < 32) img.Pixels[size_t(y * 32 + x)] = p;
  };
  auto hline = [&](int x0, int x1, int y, Pixel p) {
    for (int x = x0; x <= x1; x++) px(x, y, p);
  };
  auto vline = [&](int x, int y0, int y1, Pixel p) {
    for (int y = y0; y <= y1; y++) px(x, y, p);
  };
  const Pixel black = 0x000000, white = 0xFFFFFF;
  switch (id) {
    case 32513:   // I-beam
      img.HotX = 4;
      img.HotY = 8;
      hline(1, 3, 0, black), hline(5, 7, 0, black);
      vline(4, 1, 15, black);
      hline(1, 3, 16, black), hline(5, 7, 16, black);
      break;
    case 32515:   // cross
      img.HotX = img.HotY = 10;
      hline(0, 20, 10, black);
      vline(10, 0, 20, black);
      break;
    case 32644:   // west-east
      img.HotX = 10, img.HotY = 5;
      hline(0, 20, 5, black);
      for (int i = 1; i <= 4; i++) vline(i, 5 - i, 5 + i, black), vline(20 - i, 5 - i, 5 + i, black);
      break;
    case 32645:   // north-south
      img.HotX = 5, img.HotY = 10;
      vline(5, 0, 20, black);
      for (int i = 1; i <= 4; i++) hline(5 - i, 5 + i, i, black), hline(5 - i, 5 + i, 20 - i, black);
      break;
    case 32642:   // north-west / south-east
    case 32643:   // north-east / south-west
      img.HotX = img.HotY = 8;
      for (int i = 0; i <= 16; i++) px(id == 32642 ? i : 16 - i, i, black);
      break;
    case 32646:   // all directions
      img.HotX = img.HotY = 10;
      hline(0, 20, 10, black);
      vline(10, 0, 20, black);
      hline(8, 12, 1, black), hline(8, 12, 19, black), vline(1, 8, 12, black), vline(19, 8, 12, black);
      break;
    case 32648:   // no
      img.HotX = img.HotY = 8;
      for (int y = 0; y <= 16; y++)
        for (int x = 0; x <= 16; x++) {
          int d = (x - 8) * (x - 8) + (y - 8) * (y - 8);
          if (d <= 64 && d >= 42) px(x, y, black);
        }
      for (int i = 3; i <= 13; i++) px(i, i, black);
      break;
    case 32514:   // wait: an hourglass
      img.HotX = 6, img.HotY = 10;
      hline(0, 12, 0, black), hline(0, 12, 20, black);
      for (int i = 1; i < 10; i++) {
        px(i / 2 + 1, i, black), px(11 - i / 2, i, black);
        hline(i / 2 + 2, 10 - i / 2, i, white);
        px(i / 2 + 1, 20 - i, black), px(11 - i / 2, 20 - i, black);
      }
      px(6, 10, black);
      break;
    case 32516:   // up arrow
      img.HotX = 5, img.HotY = 0;
      vline(5, 0, 16, black);
      for (int i = 1; i <= 5; i++) px(5 - i, i, black), px(5 + i, i, black);
      break;
    default:      // arrow (also hand, help and app-starting)
      for (int y = 0; y < 17; y++) {
        int w = y < 12 ? y : 12 - (y - 12) * 2;
        if (w < 0) break;
        px(0, y, black);
        hline(1, w - 1, y, white);
        px(w, y, black);
      }
      hline(0, 7, 12, black);
      if (id == 32649) vline(3, 12, 18, black);
      break;
  }
  return c;
}

}  // namespace

namespace {

// A cursor resource: a PNG (or BMP) with its hot spot. Shared like the standard cursors.
HCURSOR LoadResourceCursor(HINSTANCE instance, LPCSTR name) {
  HRSRC res = FindResourceA(instance, name, RT_CURSOR);
  if (!res) return nullptr;
  const void* data = LockResource(LoadResource(instance, res));
  DWORD size = SizeofResource(instance, res);
  if (!data || size == 0) return nullptr;
  String key = IS_INTRESOURCE(name) ? "#" + std::to_string(reinterpret_cast<uintptr_t>(name)) : String(name);
  auto& t = Cursors();
  auto it = t.loaded.find({data, key});
  if (it != t.loaded.end() && LookupCursor(it->second)) return it->second;
  DecodeResult img = DecodeImage(static_cast<const uint8_t*>(data), size);
  if (!img.Ok || img.Image.Width > 256 || img.Image.Height > 256) return nullptr;
  auto c = std::make_unique<Cursor>();
  c->shared = true;
  c->image.Width = img.Image.Width;
  c->image.Height = img.Image.Height;
  TPoint hot = ResourceHotspot(res);
  c->image.HotX = std::clamp(hot.X, 0, img.Image.Width - 1);
  c->image.HotY = std::clamp(hot.Y, 0, img.Image.Height - 1);
  c->image.Pixels = img.Image.Pixels;
  if (img.Image.HasAlpha)
    for (size_t i = 0; i < c->image.Pixels.size(); i++)
      if (img.Image.Alpha[i] < 128) c->image.Pixels[i] = CursorTransparent;
  HCURSOR h = AddCursor(std::move(c));
  t.loaded[{data, key}] = h;
  return h;
}

}  // namespace

HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name) {
  if (!name) return nullptr;
  if (instance || !IS_INTRESOURCE(name)) return LoadResourceCursor(instance, name);
  uintptr_t id = reinterpret_cast<uintptr_t>(name);
  static const uintptr_t known[] = {32512, 32513, 32514, 32515, 32516, 32642, 32643,
                                    32644, 32645, 32646, 32648, 32649, 32650, 32651};
  if (std::find(std::begin(known), std::end(known), id) == std::end(known)) return LoadResourceCursor(nullptr, name);
  auto& t = Cursors();
  auto it = t.standard.find(id);
  if (it != t.standard.end()) return it->second;
  HCURSOR h = AddCursor(MakeStandardCursor(id));
  t.standard[id] = h;
  return h;
}

HCURSOR CreateCursorFromPixels(int width, int height, const Pixel* pixels, Pixel transparent, int hotX,
                               int hotY) {
  if (width <= 0 || height <= 0 || width > 256 || height > 256 || !pixels) return nullptr;
  auto c = std::make_unique<Cursor>();
  c->image.Width = width;
  c->image.Height = height;
  c->image.HotX = std::clamp(hotX, 0, width - 1);
  c->image.HotY = std::clamp(hotY, 0, height - 1);
  c->image.Pixels.resize(size_t(width) * size_t(height));
  for (size_t i = 0; i < c->image.Pixels.size(); i++)
    c->image.Pixels[i] = (pixels[i] & 0xFFFFFF) == (transparent & 0xFFFFFF) ? CursorTransparent
                                                                            : (pixels[i] & 0xFFFFFF);
  return AddCursor(std::move(c));
}

BOOL DestroyCursor(HCURSOR cursor) {
  Cursor* c = LookupCursor(cursor);
  if (!c || c->shared) return FALSE;
  auto& t = Cursors();
  uintptr_t v = reinterpret_cast<uintptr_t>(cursor) & ~(uintptr_t(1) << 40);
  t.slots[(v & 0xFFFF) - 1].reset();
  if (S().currentCursor == cursor) S().currentCursor = nullptr;
  return TRUE;
}

const CursorImage* GetCursorImage(HCURSOR cursor) {
  Cursor* c = LookupCursor(cursor);
  return c ? &c->image : nullptr;
}

HCURSOR SetCursor(HCURSOR cursor) {
  auto& st = S();
  HCURSOR old = st.currentCursor;
  if (cursor && !LookupCursor(cursor)) return old;
  st.currentCursor = cursor;
  if (old != cursor)
    if (Host* h = CurrentHost()) h->SetCursor(cursor);
  return old;
}

HCURSOR GetCursor() {
  return S().currentCursor;
}

int ShowCursor(BOOL show) {
  return show ? ++S().cursorShowCount : --S().cursorShowCount;
}

// ---- Caret -----------------------------------------------------------------------------------

namespace user_detail {

void DestroyCaretOf(HWND h) {
  if (S().caret.hwnd == h) DestroyCaret();
}

void ResetServices() {
  auto& t = Cursors();
  for (size_t i = 0; i < t.slots.size(); i++)
    if (t.slots[i] && !t.slots[i]->shared) t.slots[i].reset();
}

}  // namespace user_detail

BOOL CreateCaret(HWND hwnd, HBITMAP, int width, int height) {
  if (!Find(hwnd)) return FALSE;
  DestroyCaret();
  auto& c = S().caret;
  c.hwnd = hwnd;
  c.width = width > 0 ? width : GetSystemMetrics(SM_CXBORDER);
  c.height = height > 0 ? height : GetSystemMetrics(SM_CYBORDER);
  c.pos = {0, 0};
  c.hideCount = 1;
  c.blinkStart = Now();
  return TRUE;
}

BOOL DestroyCaret() {
  auto& c = S().caret;
  if (!c.hwnd) return FALSE;
  c = Caret{};
  return TRUE;
}

BOOL ShowCaret(HWND hwnd) {
  auto& c = S().caret;
  if (!c.hwnd || (hwnd && hwnd != c.hwnd) || c.hideCount == 0) return FALSE;
  if (--c.hideCount == 0) c.blinkStart = Now();
  return TRUE;
}

BOOL HideCaret(HWND hwnd) {
  auto& c = S().caret;
  if (!c.hwnd || (hwnd && hwnd != c.hwnd)) return FALSE;
  c.hideCount++;
  return TRUE;
}

BOOL SetCaretPos(int x, int y) {
  auto& c = S().caret;
  if (!c.hwnd) return FALSE;
  c.pos = {x, y};
  c.blinkStart = Now();
  return TRUE;
}

BOOL GetCaretPos(LPPOINT point) {
  auto& c = S().caret;
  if (!c.hwnd || !point) return FALSE;
  *point = c.pos;
  return TRUE;
}

UINT GetCaretBlinkTime() {
  return S().caretBlinkTime;
}

BOOL SetCaretBlinkTime(UINT ms) {
  if (ms == 0) return FALSE;
  S().caretBlinkTime = ms;
  return TRUE;
}

CaretState UserCaretState() {
  auto& c = S().caret;
  CaretState s;
  if (!c.hwnd || !Find(c.hwnd)) return s;
  s.hwnd = c.hwnd;
  s.rect = Bounds(c.pos.X, c.pos.Y, c.width, c.height);
  DWORD phase = (Now() - c.blinkStart) / std::max<UINT>(S().caretBlinkTime, 1);
  s.visible = c.hideCount == 0 && (phase % 2) == 0 && IsWindowVisible(c.hwnd);
  return s;
}

// ---- Clipboard -------------------------------------------------------------------------------

BOOL OpenClipboard(HWND owner) {
  auto& st = S();
  if (st.clipboardOpen) return FALSE;
  if (owner && !Find(owner)) return FALSE;
  st.clipboardOpen = true;
  st.clipboardOpener = owner;
  return TRUE;
}

BOOL CloseClipboard() {
  auto& st = S();
  if (!st.clipboardOpen) return FALSE;
  st.clipboardOpen = false;
  st.clipboardOpener = nullptr;
  return TRUE;
}

BOOL EmptyClipboard() {
  auto& st = S();
  if (!st.clipboardOpen) return FALSE;
  if (st.clipboardOwner && st.clipboardOwner != st.clipboardOpener) Send(st.clipboardOwner, WM_DESTROYCLIPBOARD, 0, 0);
  st.clipboard.clear();
  st.clipboardBitmap.reset();
  st.clipboardOwner = st.clipboardOpener;
  return TRUE;
}

HGLOBAL SetClipboardData(UINT format, const void* data, size_t size) {
  auto& st = S();
  if (!st.clipboardOpen || format == 0 || (!data && size)) return nullptr;
  auto& bytes = st.clipboard[format];
  bytes.assign(static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + size);
  // Text is always terminated, whatever the caller passed.
  if ((format == CF_TEXT || format == CF_OEMTEXT) && (bytes.empty() || bytes.back() != 0)) bytes.push_back(0);
  if (format == CF_UNICODETEXT) {
    while (bytes.size() % 2) bytes.push_back(0);
    if (bytes.size() < 2 || bytes[bytes.size() - 1] != 0 || bytes[bytes.size() - 2] != 0)
      bytes.push_back(0), bytes.push_back(0);
  }
  return bytes.data();
}

HGLOBAL GetClipboardData(UINT format) {
  auto& st = S();
  if (!st.clipboardOpen) return nullptr;
  auto it = st.clipboard.find(format);
  return it == st.clipboard.end() ? nullptr : it->second.data();
}

size_t GetClipboardDataSize(UINT format) {
  auto& st = S();
  auto it = st.clipboard.find(format);
  return it == st.clipboard.end() ? 0 : it->second.size();
}

BOOL IsClipboardFormatAvailable(UINT format) {
  if (format == CF_BITMAP) return S().clipboardBitmap ? TRUE : FALSE;
  return S().clipboard.count(format) ? TRUE : FALSE;
}

BOOL SetClipboardBitmap(HBITMAP bitmap) {
  auto& st = S();
  BitmapObject* b = BitmapFromHandle(bitmap);
  if (!st.clipboardOpen || !b || !b->Pixels) return FALSE;
  st.clipboardBitmap = std::make_unique<Surface>(b->Pixels->Clone());
  return TRUE;
}

HBITMAP GetClipboardBitmap() {
  auto& st = S();
  if (!st.clipboardOpen || !st.clipboardBitmap) return nullptr;
  const Surface& s = *st.clipboardBitmap;
  std::vector<Pixel> rows(size_t(s.Width()) * size_t(s.Height()));
  for (Integer y = 0; y < s.Height(); y++)
    for (Integer x = 0; x < s.Width(); x++) rows[size_t(y) * size_t(s.Width()) + size_t(x)] = s.At(x, y);
  return CreateBitmap(s.Width(), s.Height(), 1, 32, rows.data());
}

HWND GetClipboardOwner() {
  return S().clipboardOwner;
}

UINT RegisterClipboardFormatA(LPCSTR name) {
  return RegisterWindowMessageA(name);
}

// ---- Window scroll bars ----------------------------------------------------------------------

namespace {

ScrollBarState* Bar(Wnd* w, int bar) {
  if (bar == SB_HORZ) return &w->hbar;
  if (bar == SB_VERT) return &w->vbar;
  return nullptr;
}

DWORD BarStyle(int bar) { return bar == SB_HORZ ? WS_HSCROLL : WS_VSCROLL; }

void Clamp(ScrollBarState& b) {
  // 64-bit: a range from the integer limit to the other is 2^32 wide.
  const Int64 range = b.max < b.min ? 0 : Int64(b.max) - b.min + 1;
  if (Int64(b.page) > range) b.page = UINT(range);
  const Int64 maxPos = std::max<Int64>(Int64(b.max) - std::max<Int64>(Int64(b.page) - 1, 0), b.min);
  b.pos = Integer(std::clamp<Int64>(b.pos, b.min, maxPos));
  b.trackPos = b.pos;
}

void SetBarShown(HWND hwnd, int bar, bool show) {
  Wnd* w = Find(hwnd);
  if (!w) return;
  DWORD bits = bar == SB_BOTH ? (WS_HSCROLL | WS_VSCROLL) : BarStyle(bar);
  DWORD style = show ? (w->style | bits) : (w->style & ~bits);
  if (style == w->style) return;
  w->style = style;
  SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

int SetScrollInfo(HWND hwnd, int bar, const SCROLLINFO* info, BOOL redraw) {
  Wnd* w = Find(hwnd);
  if (!w || !info) return 0;
  ScrollBarState* b = Bar(w, bar);
  if (!b) return 0;
  w->scrollInfo = true;
  if (info->fMask & SIF_RANGE) {
    b->min = info->nMin;
    b->max = info->nMax;
  }
  if (info->fMask & SIF_PAGE) b->page = info->nPage;
  if (info->fMask & SIF_POS) b->pos = info->nPos;
  Clamp(*b);
  int pos = b->pos;
  if (info->fMask & (SIF_RANGE | SIF_PAGE)) {
    bool needed = b->max > b->min && (b->page == 0 || Int64(b->page) <= Int64(b->max) - b->min);
    // An unneeded bar kept by SIF_DISABLENOSCROLL stays shown but unavailable; without
    // the flag it is hidden, its values kept for when it is shown again.
    bool keep = (info->fMask & SIF_DISABLENOSCROLL) != 0;
    b->unavailable = keep && !needed;
    SetBarShown(hwnd, bar, needed || keep);
  }
  if (redraw && (w = Find(hwnd)) && IsVisibleChain(w)) RedrawWindow(hwnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_NOCHILDREN);
  return pos;
}

BOOL GetScrollInfo(HWND hwnd, int bar, SCROLLINFO* info) {
  Wnd* w = Find(hwnd);
  if (!w || !info) return FALSE;
  ScrollBarState* b = Bar(w, bar);
  if (!b || !w->scrollInfo) return FALSE;
  if (info->fMask & SIF_RANGE) info->nMin = b->min, info->nMax = b->max;
  if (info->fMask & SIF_PAGE) info->nPage = b->page;
  if (info->fMask & SIF_POS) info->nPos = b->pos;
  if (info->fMask & SIF_TRACKPOS) info->nTrackPos = b->trackPos;
  return TRUE;
}

int SetScrollPos(HWND hwnd, int bar, int pos, BOOL redraw) {
  Wnd* w = Find(hwnd);
  if (!w) return 0;
  ScrollBarState* b = Bar(w, bar);
  if (!b) return 0;
  int old = b->pos;
  SCROLLINFO si;
  si.fMask = SIF_POS;
  si.nPos = pos;
  SetScrollInfo(hwnd, bar, &si, redraw);
  return old;
}

int GetScrollPos(HWND hwnd, int bar) {
  Wnd* w = Find(hwnd);
  if (!w || !w->scrollInfo) return 0;
  ScrollBarState* b = Bar(w, bar);
  return b ? b->pos : 0;
}

BOOL SetScrollRange(HWND hwnd, int bar, int minPos, int maxPos, BOOL redraw) {
  if (!Find(hwnd)) return FALSE;
  SCROLLINFO si;
  si.fMask = SIF_RANGE;
  si.nMin = minPos;
  si.nMax = maxPos;
  SetScrollInfo(hwnd, bar, &si, redraw);
  return TRUE;
}

BOOL GetScrollRange(HWND hwnd, int bar, int* minPos, int* maxPos) {
  Wnd* w = Find(hwnd);
  if (!w || !minPos || !maxPos) return FALSE;
  ScrollBarState* b = Bar(w, bar);
  if (!b) return FALSE;
  // A window that never had scroll bars answers an empty range.
  *minPos = w->scrollInfo ? b->min : 0;
  *maxPos = w->scrollInfo ? b->max : 0;
  return TRUE;
}

BOOL ShowScrollBar(HWND hwnd, int bar, BOOL show) {
  if (!Find(hwnd) || (bar != SB_HORZ && bar != SB_VERT && bar != SB_BOTH)) return FALSE;
  SetBarShown(hwnd, bar, show != FALSE);
  return TRUE;
}

namespace user_detail {

// The scroll bar's rectangle in window coordinates (empty when hidden).
TRect ScrollBarRect(const Wnd* w, int bar) {
  const auto& m = S().metrics;
  TRect c = w->client;
  int dx = -w->window.Left, dy = -w->window.Top;
  if (bar == SB_VERT && (w->style & WS_VSCROLL))
    return {c.Right + dx, c.Top + dy, c.Right + dx + m[SM_CXVSCROLL], c.Bottom + dy};
  if (bar == SB_HORZ && (w->style & WS_HSCROLL))
    return {c.Left + dx, c.Bottom + dy, c.Right + dx, c.Bottom + dy + m[SM_CYHSCROLL]};
  return {};
}

// Thumb position along the bar, in pixels from the bar's start (arrows included).
void ThumbExtent(const Wnd* w, int bar, int* start, int* end) {
  const auto& m = S().metrics;
  TRect r = ScrollBarRect(w, bar);
  const ScrollBarState& b = bar == SB_HORZ ? w->hbar : w->vbar;
  int length = bar == SB_HORZ ? r.Width() : r.Height();
  int arrow = bar == SB_HORZ ? m[SM_CXHSCROLL] : m[SM_CYVSCROLL];
  if (length < 2 * arrow) arrow = length / 2;
  int track = length - 2 * arrow;
  // 64-bit: the range may span the whole integer line.
  const Int64 range = Int64(b.max) - b.min + 1;
  if (track <= 0 || b.max <= b.min) {
    *start = *end = 0;
    return;
  }
  int thumb = b.page ? std::max(int(std::min<Int64>(Int64(track) * b.page / range, track)), 8)
                     : (bar == SB_HORZ ? m[SM_CXHTHUMB] : m[SM_CYVTHUMB]);
  thumb = std::min(thumb, track);
  const Int64 span = range - std::max<Int64>(b.page, 1);
  const int offset = span > 0 ? int(Int64(track - thumb) * (Int64(b.pos) - b.min) / span) : 0;
  *start = arrow + offset;
  *end = *start + thumb;
}

int MulDivInt(int a, int b, int c) {
  if (c == 0) return 0;
  return int((int64_t(a) * b) / c);
}

}  // namespace user_detail

BOOL GetScrollBarInfo(HWND hwnd, Integer idObject, SCROLLBARINFO* info) {
  Wnd* w = Find(hwnd);
  if (!w || !info || info->cbSize != sizeof(SCROLLBARINFO)) return FALSE;
  int bar;
  if (idObject == OBJID_VSCROLL) bar = SB_VERT;
  else if (idObject == OBJID_HSCROLL) bar = SB_HORZ;
  else return FALSE;
  TRect r = ScrollBarRect(w, bar);
  TRect screen = WindowRectOnScreen(w);
  info->rcScrollBar = {r.Left + screen.Left, r.Top + screen.Top, r.Right + screen.Left, r.Bottom + screen.Top};
  info->dxyLineButton = bar == SB_VERT ? S().metrics[SM_CYVSCROLL] : S().metrics[SM_CXHSCROLL];
  ThumbExtent(w, bar, &info->xyThumbTop, &info->xyThumbBottom);
  std::fill(std::begin(info->rgstate), std::end(info->rgstate), 0);
  if (!(w->style & BarStyle(bar))) info->rgstate[0] = STATE_SYSTEM_INVISIBLE;
  else if ((w->style & WS_DISABLED) || (bar == SB_VERT ? w->vbar : w->hbar).unavailable)
    info->rgstate[0] = STATE_SYSTEM_UNAVAILABLE;
  return TRUE;
}

// ---- Start-up ------------------------------------------------------------------------------

void PlatformUserInitialize() {
  EnsureRoots();
  RegisterSystemClasses();
  // A change of the locale table reaches every top-level window as the settings notice.
  SetLocaleChangedHook(UserBroadcastLocaleChange);
  // The functions callers look up by name, so a system without them can be imitated.
  UnregisterModule("USER32");
  RegisterModule("USER32", {Export("GetMonitorInfoA", &GetMonitorInfoA),
                            Export("MonitorFromPoint", &MonitorFromPoint),
                            Export("MonitorFromWindow", &MonitorFromWindow),
                            Export("MonitorFromRect", &MonitorFromRect),
                            Export("GetScrollBarInfo", &GetScrollBarInfo),
                            Export("TrackMouseEvent", &TrackMouseEvent)});
}

void PlatformUserFinalize() {
  SetLocaleChangedHook(nullptr);
  UnregisterModule("USER32");
  UserResetState();
}
