// The single-line edit control: one byte per character, selection as anchor and caret,
// a length limit, one level of undo, the clipboard messages and horizontal scrolling.
#include "platform/gdi/Gdi.h"
#include "platform/gdi/Text.h"
#include "platform/kernel/CodePage.h"
#include "platform/user/Controls.h"
#include "platform/user/EditLines.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <vector>

namespace {

constexpr int kMaxLimit = 0x7FFFFFFE;
constexpr int kDefaultLimit = 30000;

struct EditState {
  String text;
  int anchor = 0, caret = 0;
  int limit = kDefaultLimit;
  Char password = 0;
  bool modified = false;
  // One level of undo: the text before the last edit; undoing swaps it with the text.
  bool canUndo = false;
  String undoText;
  bool typingRun = false;   // consecutive typed characters share one undo record
  int marginLeft = 0, marginRight = 0;
  int scroll = 0;           // pixels of text scrolled out on the left
  int topLine = 0;          // first visible line of a multi-line edit
  HFONT font = nullptr;
  bool focused = false;
  bool dragging = false;
  // The line starts last laid out, kept while the font and the room stay and moved along
  // with each change of the text.
  mutable user_detail::EditLineLayout lines;
  mutable bool linesValid = false;
  mutable HFONT linesFont = nullptr;
  // The width of each laid-out line as shown, and how many lines have each width: kept with
  // the layout, measured again only for the lines an edit lays out again.
  mutable std::vector<int> widths;
  mutable std::map<int, int> widthCount;
  mutable bool widthsValid = false;
};

std::map<HWND, std::unique_ptr<EditState>>& States() {
  static std::map<HWND, std::unique_ptr<EditState>> states;
  return states;
}

EditState* StateOf(HWND h) {
  auto it = States().find(h);
  return it == States().end() ? nullptr : it->second.get();
}

DWORD Style(HWND h) { return DWORD(GetWindowLongA(h, GWL_STYLE)); }
bool ReadOnly(HWND h) { return Style(h) & ES_READONLY; }
bool MultiLine(HWND h) { return Style(h) & ES_MULTILINE; }

// The last line starting at or before index (the first line for an index before it).
int LineOf(const std::vector<int>& starts, int index) {
  const auto after = std::upper_bound(starts.begin(), starts.end(), index);
  return after == starts.begin() ? 0 : int(after - starts.begin()) - 1;
}

// A line ends before its CR LF, or where the next wrapped line starts.
int LineLength(const String& t, const std::vector<int>& starts, int line) {
  const int begin = starts[size_t(line)];
  if (line + 1 >= int(starts.size())) return int(t.size()) - begin;
  int end = starts[size_t(line) + 1];
  if (end >= 2 && t[size_t(end) - 2] == '\r' && t[size_t(end) - 1] == '\n') end -= 2;
  return end - begin;
}

String Shown(const EditState& e) { return e.password ? String(e.text.size(), e.password) : e.text; }

// The characters [begin, begin + length) as shown.
String ShownPart(const EditState& e, int begin, int length) {
  return e.password ? String(size_t(length), e.password) : e.text.substr(size_t(begin), size_t(length));
}

// The characters a line shows: behind a password character its line break shows as well.
int ShownLineLength(const EditState& e, const std::vector<int>& starts, int line) {
  if (!e.password) return LineLength(e.text, starts, line);
  const int end = line + 1 < int(starts.size()) ? starts[size_t(line) + 1] : int(e.text.size());
  return end - starts[size_t(line)];
}

// Measures with the control's font on a screen DC.
struct Measure {
  HDC dc;
  HGDIOBJ old = nullptr;
  explicit Measure(const EditState& e) : dc(GetDC(nullptr)) {
    if (e.font) old = SelectObject(dc, e.font);
  }
  ~Measure() {
    if (old) SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
  }
  int Width(const String& s, int n) { return Width(s.data(), n); }
  // The first n characters at p: no copy of the text behind them.
  int Width(const char* p, int n) {
    if (n <= 0) return 0;
    SIZE sz;
    GetTextExtentPoint32A(dc, p, n, &sz);
    return sz.cx;
  }
  int Height() {
    TEXTMETRICA tm;
    GetTextMetricsA(dc, &tm);
    return tm.tmHeight;
  }
};

int VisibleWidth(HWND h, const EditState& e) {
  RECT rc;
  GetClientRect(h, &rc);
  return std::max(0, int(rc.Right) - e.marginLeft - e.marginRight);
}

// The line starts of a multi-line edit. Without automatic horizontal scrolling a line wider
// than the visible width wraps (see EditLineLayout).
const std::vector<int>& Starts(HWND h, const EditState& e) {
  using user_detail::EditLineLayout;
  const Int64 room = (Style(h) & ES_AUTOHSCROLL) ? EditLineLayout::kNoWrap : Int64(VisibleWidth(h, e));
  if (e.linesValid && e.linesFont == e.font && e.lines.Room() == room) return e.lines.Starts();
  EditLineLayout::Advances advances{};
  if (room != EditLineLayout::kNoWrap) {
    // Every character code measured once, in one run: the advance of each is the step of
    // the run's extent at it.
    char all[256];
    int extents[256];
    for (int i = 0; i < 256; ++i) all[i] = char(i);
    Measure m(e);
    if (GetTextExtentExPointA(m.dc, all, 256, 0, nullptr, extents, nullptr))
      for (int i = 0; i < 256; ++i) advances[size_t(i)] = extents[i] - (i > 0 ? extents[i - 1] : 0);
  }
  e.lines.Build(e.text, advances, room);
  e.linesFont = e.font;
  e.linesValid = true;
  e.widthsValid = false;
  return e.lines.Starts();
}

void ForgetWidth(const EditState& e, int width) {
  const auto it = e.widthCount.find(width);
  if (it != e.widthCount.end() && --it->second == 0) e.widthCount.erase(it);
}

// The text changed: `removed` characters at `at` became `inserted` ones.
void TextReplaced(const EditState& e, size_t at, size_t removed, size_t inserted) {
  if (!e.linesValid) {
    e.widthsValid = false;
    return;
  }
  e.lines.Edited(e.text, at, removed, inserted);
  if (!e.widthsValid) return;
  // The lines laid out again are measured again; the others keep their widths.
  const auto& relaid = e.lines.LastRelaid();
  const auto& starts = e.lines.Starts();
  if (relaid.oldEnd > e.widths.size() || relaid.newEnd > starts.size() || relaid.first > relaid.oldEnd ||
      relaid.first > relaid.newEnd) {
    e.widthsValid = false;
    return;
  }
  for (size_t i = relaid.first; i < relaid.oldEnd; ++i) ForgetWidth(e, e.widths[i]);
  std::vector<int> fresh;
  fresh.reserve(relaid.newEnd - relaid.first);
  Measure m(e);
  for (size_t i = relaid.first; i < relaid.newEnd; ++i) {
    const int length = ShownLineLength(e, starts, int(i));
    fresh.push_back(m.Width(ShownPart(e, starts[i], length), length));
    ++e.widthCount[fresh.back()];
  }
  e.widths.erase(e.widths.begin() + std::ptrdiff_t(relaid.first), e.widths.begin() + std::ptrdiff_t(relaid.oldEnd));
  e.widths.insert(e.widths.begin() + std::ptrdiff_t(relaid.first), fresh.begin(), fresh.end());
}

// How many characters two texts share at their start (forward) or end (backward), up to n;
// compared a block at a time.
size_t CommonRun(const char* a, const char* b, size_t n, bool forward) {
  constexpr size_t kBlock = 256;
  size_t i = 0;
  auto at = [&](const char* p, size_t k) { return forward ? p + i : p - i - k; };
  while (i + kBlock <= n && std::memcmp(at(a, kBlock), at(b, kBlock), kBlock) == 0) i += kBlock;
  while (i < n && *at(a, 1) == *at(b, 1)) ++i;
  return i;
}

// Replaces the whole text; the line layout follows only the part that differs.
void AssignText(EditState& e, String text) {
  const size_t oldSize = e.text.size();
  const size_t most = std::min(oldSize, text.size());
  const size_t pre = CommonRun(e.text.data(), text.data(), most, true);
  const size_t suf = CommonRun(e.text.data() + oldSize, text.data() + text.size(), most - pre, false);
  e.text = std::move(text);
  TextReplaced(e, pre, oldSize - pre - suf, e.text.size() - pre - suf);
}

// A multi-line edit with a vertical bar shows its first visible line on it.
void SyncVerticalBar(HWND h, const EditState& e, int lineCount) {
  if (!(Style(h) & WS_VSCROLL)) return;
  // The bar stays shown, if unavailable, while every line fits.
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  si.fMask = SIF_RANGE | SIF_POS | SIF_DISABLENOSCROLL;
  si.nMin = 0;
  si.nMax = std::max(0, lineCount - 1);
  si.nPos = e.topLine;
  SetScrollInfo(h, SB_VERT, &si, TRUE);
}

// The widest line of a multi-line edit, in pixels: the lines are measured once and then
// only those an edit changes.
int WidestLine(const EditState& e, const std::vector<int>& starts) {
  if (!e.widthsValid || e.widths.size() != starts.size()) {
    Measure m(e);
    e.widths.clear();
    e.widthCount.clear();
    e.widths.reserve(starts.size());
    for (size_t i = 0; i < starts.size(); ++i) {
      const int length = ShownLineLength(e, starts, int(i));
      e.widths.push_back(m.Width(ShownPart(e, starts[i], length), length));
      ++e.widthCount[e.widths.back()];
    }
    e.widthsValid = true;
  }
  return e.widthCount.empty() ? 0 : std::max(0, e.widthCount.rbegin()->first);
}

// How far a multi-line edit that does not wrap scrolls sideways: to its widest line's end.
int MaxHorizontalScroll(HWND h, const EditState& e, const std::vector<int>& starts) {
  if (!(Style(h) & ES_AUTOHSCROLL)) return 0;
  return std::max(0, WidestLine(e, starts) - VisibleWidth(h, e));
}

// A multi-line edit with a horizontal bar shows on it the pixels scrolled out on the left;
// `widest` is its widest line.
void SyncHorizontalBar(HWND h, const EditState& e, int widest) {
  if (!(Style(h) & WS_HSCROLL)) return;
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
  si.nMin = 0;
  si.nMax = std::max(0, widest - 1);
  si.nPage = UINT(VisibleWidth(h, e));
  si.nPos = e.scroll;
  SetScrollInfo(h, SB_HORZ, &si, TRUE);
}

// x of the text's left edge in client coordinates: alignment applies while all of it fits.
int TextOrigin(HWND h, const EditState& e, int textWidth) {
  int room = VisibleWidth(h, e);
  int off = 0;
  if (textWidth < room) {
    DWORD align = Style(h) & (ES_CENTER | ES_RIGHT);
    if (align == ES_RIGHT) off = room - textWidth;
    else if (align == ES_CENTER) off = (room - textWidth) / 2;
  }
  return e.marginLeft + off - e.scroll;
}

int XOfChar(HWND h, const EditState& e, int index) {
  Measure m(e);
  String s = Shown(e);
  return TextOrigin(h, e, m.Width(s, int(s.size()))) + m.Width(s, index);
}

int CharFromX(HWND h, const EditState& e, int x) {
  Measure m(e);
  String s = Shown(e);
  int origin = TextOrigin(h, e, m.Width(s, int(s.size())));
  int prev = origin;
  for (int i = 0; i < int(s.size()); ++i) {
    int next = origin + m.Width(s, i + 1);
    if (x < (prev + next) / 2) return i;
    prev = next;
  }
  return int(s.size());
}

void Notify(HWND h, WORD code) { user_detail::NotifyParent(h, code); }

// The character nearest to a client point; a multi-line edit picks the line by y first.
int CharFromPoint(HWND h, const EditState& e, int x, int y) {
  if (!MultiLine(h)) return CharFromX(h, e, x);
  const auto& starts = Starts(h, e);
  Measure m(e);
  const int height = std::max(1, m.Height());
  const int row = y >= 0 ? y / height : -((-y + height - 1) / height);
  const int line = std::clamp(e.topLine + row, 0, int(starts.size()) - 1);
  const int length = ShownLineLength(e, starts, line);
  const String s = ShownPart(e, starts[size_t(line)], length);
  const int origin = TextOrigin(h, e, m.Width(s, length));
  int prev = origin;
  for (int i = 0; i < length; ++i) {
    const int next = origin + m.Width(s, i + 1);
    if (x < (prev + next) / 2) return starts[size_t(line)] + i;
    prev = next;
  }
  return starts[size_t(line)] + length;
}

void UpdateCaret(HWND h, EditState& e) {
  if (!e.focused) return;
  if (!MultiLine(h)) {
    SetCaretPos(XOfChar(h, e, e.caret), 0);
    return;
  }
  const auto& starts = Starts(h, e);
  const int line = LineOf(starts, e.caret);
  Measure m(e);
  const String s = ShownPart(e, starts[size_t(line)], ShownLineLength(e, starts, line));
  const int x = TextOrigin(h, e, m.Width(s, int(s.size())));
  SetCaretPos(x + m.Width(s, e.caret - starts[size_t(line)]), (line - e.topLine) * m.Height());
}

// Keeps the caret inside the visible width; jumps by a quarter of it so typing at the
// edge does not scroll on every character.
void ScrollToCaret(HWND h, EditState& e) {
  int before = e.scroll;
  const int beforeTop = e.topLine;
  if (MultiLine(h)) {
    // The caret's line stays among the lines the client area shows in full.
    Measure m(e);
    RECT rc;
    GetClientRect(h, &rc);
    const int visible = std::max(1, int(rc.Bottom) / std::max(1, m.Height()));
    // The layout is read in place: nothing below changes it before the bars are set.
    const auto& starts = Starts(h, e);
    const int line = LineOf(starts, e.caret);
    if (line < e.topLine) e.topLine = line;
    else if (line >= e.topLine + visible) e.topLine = line - visible + 1;
    // Lines that do not wrap scroll sideways to the caret, a quarter of the width at a time.
    const int maxScroll = MaxHorizontalScroll(h, e, starts);
    if (maxScroll == 0) {
      e.scroll = 0;
    } else {
      const int room = VisibleWidth(h, e);
      const int cx = m.Width(ShownPart(e, starts[size_t(line)], e.caret - starts[size_t(line)]),
                             e.caret - starts[size_t(line)]);
      if (cx < e.scroll) e.scroll = std::max(0, cx - room / 4);
      else if (cx > e.scroll + room) e.scroll = cx - room + room / 4;
      e.scroll = std::clamp(e.scroll, 0, maxScroll);
    }
    // Setting a bar may resize the client area and lay the lines out anew: the bars are
    // given what they show first.
    const int lineCount = int(starts.size());
    const int widest = (Style(h) & WS_HSCROLL) ? WidestLine(e, starts) : 0;
    SyncVerticalBar(h, e, lineCount);
    SyncHorizontalBar(h, e, widest);
  } else if (!(Style(h) & ES_AUTOHSCROLL)) {
    e.scroll = 0;
  } else {
    Measure m(e);
    String s = Shown(e);
    int total = m.Width(s, int(s.size()));
    int room = VisibleWidth(h, e);
    int cx = m.Width(s, e.caret);
    if (total <= room) e.scroll = 0;
    else if (cx < e.scroll) e.scroll = std::max(0, cx - room / 4);
    else if (cx > e.scroll + room) e.scroll = std::min(total - room + 1, cx - room + room / 4);
    e.scroll = std::clamp(e.scroll, 0, std::max(0, total - room + 1));
  }
  if (before != e.scroll || beforeTop != e.topLine) InvalidateRect(h, nullptr, FALSE);
  UpdateCaret(h, e);
}

int AverageCharWidth(const EditState& e) {
  Measure m(e);
  TEXTMETRICA tm;
  GetTextMetricsA(m.dc, &tm);
  return std::max(1, int(tm.tmAveCharWidth));
}

// Scrolling leaves the caret where it is, in view or not.
void ScrollHorizontally(HWND h, EditState& e, const std::vector<int>& starts, int to) {
  to = std::clamp(to, 0, MaxHorizontalScroll(h, e, starts));
  if (to == e.scroll) return;
  e.scroll = to;
  SyncHorizontalBar(h, e, WidestLine(e, starts));
  InvalidateRect(h, nullptr, FALSE);
  UpdateCaret(h, e);
}

void Redraw(HWND h, EditState& e) {
  InvalidateRect(h, nullptr, FALSE);
  ScrollToCaret(h, e);
}

void SetSelection(HWND h, EditState& e, int anchor, int caret) {
  int n = int(e.text.size());
  anchor = std::clamp(anchor, 0, n);
  caret = std::clamp(caret, 0, n);
  if (anchor != e.anchor || caret != e.caret) InvalidateRect(h, nullptr, FALSE);
  e.anchor = anchor;
  e.caret = caret;
  e.typingRun = false;
  ScrollToCaret(h, e);
}

int SelStart(const EditState& e) { return std::min(e.anchor, e.caret); }
int SelEnd(const EditState& e) { return std::max(e.anchor, e.caret); }

String ConvertCase(HWND h, String s) {
  DWORD st = Style(h);
  for (Char& c : s) {
    if (st & ES_UPPERCASE) c = Char(CpUpper(Byte(c)));
    else if (st & ES_LOWERCASE) c = Char(CpLower(Byte(c)));
  }
  return s;
}

// Replaces the selection with `insert`, cut to the room the limit leaves. Returns false
// when something had to be dropped (EN_MAXTEXT was sent).
bool ReplaceSelection(HWND h, EditState& e, String insert, bool undoable, bool typing) {
  int start = SelStart(e), end = SelEnd(e);
  int room = e.limit - (int(e.text.size()) - (end - start));
  bool cut = false;
  if (room < 0) room = 0;
  if (int(insert.size()) > room) {
    insert.resize(size_t(room));
    cut = true;
  }
  // Without automatic scrolling the text may not grow past the visible width.
  if (!(Style(h) & ES_AUTOHSCROLL) && !MultiLine(h) && !insert.empty()) {
    Measure m(e);
    const int room_px = VisibleWidth(h, e);
    // The width grows with the part of the insert kept: search for the longest part that fits.
    auto fits = [&](size_t keep) {
      String candidate = e.text.substr(0, size_t(start)) + insert.substr(0, keep) + e.text.substr(size_t(end));
      if (e.password) candidate.assign(candidate.size(), e.password);
      return m.Width(candidate, int(candidate.size())) <= room_px;
    };
    if (!fits(insert.size())) {
      size_t lo = 0, hi = insert.size();   // fits(lo) is open, fits(hi) is false
      while (lo < hi) {
        const size_t mid = lo + (hi - lo) / 2;
        if (fits(mid)) lo = mid + 1;
        else hi = mid;
      }
      // lo is the first count that does not fit, or 0 when nothing beyond the rest does.
      insert.resize(lo > 0 ? lo - 1 : 0);
      cut = true;
    }
  }
  if (cut) Notify(h, EN_MAXTEXT);
  if (insert.empty() && start == end) return !cut;
  if (undoable && !(typing && e.typingRun)) {
    e.undoText = e.text;
    e.canUndo = true;
  } else if (!undoable) {
    // An older record would no longer match the text: undoing it would lose this change.
    e.canUndo = false;
    e.undoText.clear();
  }
  e.text.replace(size_t(start), size_t(end - start), insert);
  TextReplaced(e, size_t(start), size_t(end - start), insert.size());
  e.anchor = e.caret = start + int(insert.size());
  e.typingRun = typing;
  e.modified = true;
  Redraw(h, e);
  Notify(h, EN_UPDATE);
  Notify(h, EN_CHANGE);
  return !cut;
}

bool IsWordChar(Byte c) { return CpIsAlpha(c) || (c >= '0' && c <= '9'); }

bool Copy(HWND h, const EditState& e) {
  if (e.password || e.anchor == e.caret) return false;
  if (!OpenClipboard(h)) return false;
  EmptyClipboard();
  String sel = e.text.substr(size_t(SelStart(e)), size_t(SelEnd(e) - SelStart(e)));
  SetClipboardData(CF_TEXT, sel.c_str(), sel.size() + 1);
  CloseClipboard();
  return true;
}

void Paste(HWND h, EditState& e) {
  if (ReadOnly(h)) return;
  if (!OpenClipboard(h)) return;
  String t;
  bool has = false;
  if (auto* data = static_cast<const char*>(GetClipboardData(CF_TEXT))) {
    size_t n = GetClipboardDataSize(CF_TEXT);
    has = true;
    for (size_t i = 0; i < n && data[i] && data[i] != '\r' && data[i] != '\n'; ++i) t.push_back(data[i]);
  }
  CloseClipboard();
  if (!has) return;
  // Nothing touches `e` after the notifications: their handlers may destroy the control.
  if (!ReplaceSelection(h, e, ConvertCase(h, t), true, false)) MessageBeep(0);
}

void Undo(HWND h, EditState& e) {
  if (!e.canUndo) return;
  String now = e.text;
  e.text = e.undoText;
  e.undoText = now;
  // Select what the undo brought back: the part that differs from the replaced text.
  size_t pre = 0;
  while (pre < e.text.size() && pre < now.size() && e.text[pre] == now[pre]) ++pre;
  size_t suf = 0;
  while (suf < e.text.size() - pre && suf < now.size() - pre &&
         e.text[e.text.size() - 1 - suf] == now[now.size() - 1 - suf])
    ++suf;
  TextReplaced(e, pre, now.size() - pre - suf, e.text.size() - pre - suf);
  e.anchor = int(pre);
  e.caret = int(e.text.size() - suf);
  e.typingRun = false;
  e.modified = true;
  Redraw(h, e);
  Notify(h, EN_UPDATE);
  Notify(h, EN_CHANGE);
}

void DeleteRange(HWND h, EditState& e, int start, int end) {
  e.anchor = start;
  e.caret = end;
  ReplaceSelection(h, e, String(), true, false);
}

void OnChar(HWND h, EditState& e, Byte ch) {
  bool ro = ReadOnly(h);
  switch (ch) {
    case 1: SetSelection(h, e, 0, int(e.text.size())); return;      // Ctrl+A
    case 3: SendMessageA(h, WM_COPY, 0, 0); return;
    case 22: if (!ro) SendMessageA(h, WM_PASTE, 0, 0); return;
    case 24: if (!ro) SendMessageA(h, WM_CUT, 0, 0); return;
    case 26: if (!ro) SendMessageA(h, WM_UNDO, 0, 0); return;
    case 8:
      if (GetKeyState(VK_CONTROL) < 0) return;
      if (ro) { MessageBeep(0); return; }
      if (e.anchor != e.caret) DeleteRange(h, e, SelStart(e), SelEnd(e));
      else if (MultiLine(h) && e.caret >= 2 && e.text.compare(size_t(e.caret) - 2, 2, "\r\n") == 0)
        DeleteRange(h, e, e.caret - 2, e.caret);   // a line break goes as one
      else if (e.caret > 0) DeleteRange(h, e, e.caret - 1, e.caret);
      return;
    case 13:
      if (!MultiLine(h)) { MessageBeep(0); return; }
      if (ro) { MessageBeep(0); return; }
      if (!ReplaceSelection(h, e, "\r\n", true, true)) MessageBeep(0);
      return;
    case 9:
      if (!MultiLine(h)) return;
      if (ro) { MessageBeep(0); return; }
      if (!ReplaceSelection(h, e, "\t", true, true)) MessageBeep(0);
      return;
    case 27:
    case 127: return;
    default: break;
  }
  if (ch < 32) return;
  if (ro) { MessageBeep(0); return; }
  if ((Style(h) & ES_NUMBER) && !(ch >= '0' && ch <= '9')) { MessageBeep(0); return; }
  if (!ReplaceSelection(h, e, ConvertCase(h, String(1, Char(ch))), true, true)) MessageBeep(0);
}

int WordLeft(const String& s, int i) {
  while (i > 0 && s[size_t(i - 1)] == ' ') --i;
  while (i > 0 && s[size_t(i - 1)] != ' ') --i;
  return i;
}
int WordRight(const String& s, int i) {
  int n = int(s.size());
  while (i < n && s[size_t(i)] != ' ') ++i;
  while (i < n && s[size_t(i)] == ' ') ++i;
  return i;
}

bool OnKeyDown(HWND h, EditState& e, int vk) {
  bool shift = GetKeyState(VK_SHIFT) < 0, ctrl = GetKeyState(VK_CONTROL) < 0;
  int n = int(e.text.size());
  int to = -1;
  const bool multi = MultiLine(h);
  auto isBreakAt = [&](int i) { return i >= 0 && i + 1 < n && e.text[size_t(i)] == '\r' && e.text[size_t(i) + 1] == '\n'; };
  if (multi && !ctrl && (vk == VK_UP || vk == VK_DOWN || vk == VK_HOME || vk == VK_END)) {
    // Up and Down keep the column where the line allows; Home and End stay on the line.
    const auto& starts = Starts(h, e);
    const int line = LineOf(starts, e.caret);
    const int column = e.caret - starts[size_t(line)];
    int target = line;
    if (vk == VK_UP) target = std::max(0, line - 1);
    else if (vk == VK_DOWN) target = std::min(int(starts.size()) - 1, line + 1);
    const int length = LineLength(e.text, starts, target);
    if (vk == VK_HOME) to = starts[size_t(target)];
    else if (vk == VK_END) to = starts[size_t(target)] + length;
    else to = starts[size_t(target)] + std::min(column, length);
    SetSelection(h, e, shift ? e.anchor : to, to);
    return true;
  }
  switch (vk) {
    case VK_LEFT:
    case VK_UP:
      if (!shift && e.anchor != e.caret && !ctrl) to = SelStart(e);
      else if (!ctrl && multi && isBreakAt(e.caret - 2)) to = e.caret - 2;   // a line break is one step
      else to = ctrl ? WordLeft(e.text, e.caret) : std::max(0, e.caret - 1);
      break;
    case VK_RIGHT:
    case VK_DOWN:
      if (!shift && e.anchor != e.caret && !ctrl) to = SelEnd(e);
      else if (!ctrl && multi && isBreakAt(e.caret)) to = e.caret + 2;
      else to = ctrl ? WordRight(e.text, e.caret) : std::min(n, e.caret + 1);
      break;
    case VK_HOME: to = 0; break;
    case VK_END: to = n; break;
    case VK_DELETE:
      if (shift) { SendMessageA(h, WM_CUT, 0, 0); return true; }
      if (ReadOnly(h)) { MessageBeep(0); return true; }
      if (e.anchor != e.caret) DeleteRange(h, e, SelStart(e), SelEnd(e));
      else if (e.caret < n) DeleteRange(h, e, e.caret, e.caret + (multi && isBreakAt(e.caret) ? 2 : 1));
      return true;
    case VK_INSERT:
      if (shift) SendMessageA(h, WM_PASTE, 0, 0);
      else if (ctrl) SendMessageA(h, WM_COPY, 0, 0);
      return true;
    default: return false;
  }
  SetSelection(h, e, shift ? e.anchor : to, to);
  return true;
}

void Paint(HWND h, EditState& e) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(h, &ps);
  bool enabled = IsWindowEnabled(h);
  HBRUSH bg = user_detail::ControlColors(h, (ReadOnly(h) || !enabled) ? WM_CTLCOLORSTATIC : WM_CTLCOLOREDIT, dc);
  RECT rc;
  GetClientRect(h, &rc);
  FillRect(dc, &rc, bg);
  HGDIOBJ old = e.font ? SelectObject(dc, e.font) : nullptr;
  if (!enabled) SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
  TEXTMETRICA tm;
  GetTextMetricsA(dc, &tm);
  const int lineHeight = std::max(1, int(tm.tmHeight));
  // A multi-line edit draws its lines from the first visible one down; a single-line edit
  // draws its text as one line, line breaks included.
  const bool multi = MultiLine(h);
  static const std::vector<int> kOneLine{0};
  const std::vector<int>& starts = multi ? Starts(h, e) : kOneLine;
  RECT clip{e.marginLeft, 0, rc.Right - e.marginRight, rc.Bottom};
  const bool showSel = e.anchor != e.caret && (e.focused || (Style(h) & ES_NOHIDESEL));
  const int selA = SelStart(e), selB = SelEnd(e);
  const COLORREF textColor = GetTextColor(dc);
  for (int line = multi ? e.topLine : 0; line < int(starts.size()); ++line) {
    const int y = (line - (multi ? e.topLine : 0)) * lineHeight;
    if (y >= rc.Bottom) break;
    const int begin = starts[size_t(line)];
    const int length = multi ? ShownLineLength(e, starts, line) : int(e.text.size());
    const String shown = ShownPart(e, begin, length);
    const char* text = shown.data();
    SIZE all{0, 0};
    GetTextExtentPoint32A(dc, text, length, &all);
    const int x = TextOrigin(h, e, all.cx);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, textColor);
    ExtTextOutA(dc, x, y, ETO_CLIPPED, &clip, text, UINT(length), nullptr);
    const int a = std::max(selA, begin) - begin, b = std::min(selB, begin + length) - begin;
    if (showSel && a < b) {
      SIZE pa{0, 0}, pb{0, 0};
      GetTextExtentPoint32A(dc, text, a, &pa);
      GetTextExtentPoint32A(dc, text, b, &pb);
      RECT sel{std::max(clip.Left, LONG(x + pa.cx)), LONG(y), std::min(clip.Right, LONG(x + pb.cx)),
               LONG(y + lineHeight)};
      SetBkMode(dc, OPAQUE);
      SetBkColor(dc, GetSysColor(COLOR_HIGHLIGHT));
      SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
      if (sel.Left < sel.Right)
        ExtTextOutA(dc, x + pa.cx, y, ETO_CLIPPED | ETO_OPAQUE, &sel, text + a, UINT(b - a), nullptr);
    }
  }
  if (old) SelectObject(dc, old);
  EndPaint(h, &ps);
}

LRESULT EditProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto st = std::make_unique<EditState>();
    auto* cs = reinterpret_cast<CREATESTRUCTA*>(lp);
    if (cs && cs->lpszName) st->text = cs->lpszName;
    if (cs && (cs->style & ES_PASSWORD)) st->password = '*';
    st->caret = st->anchor = 0;
    States()[h] = std::move(st);
    return DefWindowProcA(h, msg, wp, lp);
  }
  EditState* e = StateOf(h);
  if (!e) {
    // The text lives in the control's state: once that is gone there is none.
    if (msg == WM_GETTEXT) {
      if (wp > 0 && lp) *reinterpret_cast<char*>(lp) = 0;
      return 0;
    }
    if (msg == WM_GETTEXTLENGTH) return 0;
    return DefWindowProcA(h, msg, wp, lp);
  }
  switch (msg) {
    case WM_NCDESTROY:
      States().erase(h);
      return DefWindowProcA(h, msg, wp, lp);
    case WM_GETDLGCODE:
      return DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS | (MultiLine(h) ? DLGC_WANTALLKEYS : 0);
    case WM_SETTEXT: {
      const char* t = reinterpret_cast<const char*>(lp);
      AssignText(*e, t ? t : "");
      e->anchor = e->caret = 0;
      e->scroll = 0;
      e->modified = false;
      e->canUndo = false;
      e->undoText.clear();
      e->typingRun = false;
      Redraw(h, *e);
      Notify(h, EN_UPDATE);
      Notify(h, EN_CHANGE);
      return TRUE;
    }
    case WM_GETTEXT: {
      int size = int(wp);
      char* out = reinterpret_cast<char*>(lp);
      if (size <= 0 || !out) return 0;
      int n = std::min(int(e->text.size()), size - 1);
      std::memcpy(out, e->text.data(), size_t(n));
      out[n] = 0;
      return n;
    }
    case WM_GETTEXTLENGTH: return LRESULT(e->text.size());
    case WM_SETFONT:
      e->font = reinterpret_cast<HFONT>(wp);
      if (e->focused) {
        Measure m(*e);
        CreateCaret(h, nullptr, 1, m.Height());
        ShowCaret(h);
      }
      if (LOWORD(lp)) InvalidateRect(h, nullptr, FALSE);
      ScrollToCaret(h, *e);
      return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(e->font);
    case EM_GETSEL: {
      int a = SelStart(*e), b = SelEnd(*e);
      if (wp) *reinterpret_cast<DWORD*>(wp) = DWORD(a);
      if (lp) *reinterpret_cast<DWORD*>(lp) = DWORD(b);
      return (a > 0xFFFF || b > 0xFFFF) ? -1 : LRESULT(MAKELONG(WORD(a), WORD(b)));
    }
    case EM_SETSEL: {
      int a = int(Integer(wp)), b = int(Integer(lp));
      if (a < 0) { SetSelection(h, *e, e->caret, e->caret); return 0; }
      if (b < 0) b = int(e->text.size());
      SetSelection(h, *e, a, b);
      return 0;
    }
    case EM_SCROLLCARET: ScrollToCaret(h, *e); return TRUE;
    case EM_GETMODIFY: return e->modified;
    case EM_SETMODIFY: e->modified = wp != 0; return 0;
    case EM_GETLINECOUNT: return MultiLine(h) ? LRESULT(Starts(h, *e).size()) : 1;
    case EM_LINEINDEX: {
      if (!MultiLine(h)) return (Integer(wp) == 0 || Integer(wp) == -1) ? 0 : -1;
      const auto& starts = Starts(h, *e);
      const int line = Integer(wp) == -1 ? LineOf(starts, e->caret) : Integer(wp);
      return line >= 0 && line < int(starts.size()) ? starts[size_t(line)] : -1;
    }
    case EM_LINELENGTH: {
      if (!MultiLine(h)) return LRESULT(e->text.size());
      const auto& starts = Starts(h, *e);
      const int index = Integer(wp);
      if (index < 0) return LineLength(e->text, starts, LineOf(starts, SelStart(*e))) - (SelEnd(*e) - SelStart(*e));
      if (index > int(e->text.size())) return 0;
      return LineLength(e->text, starts, LineOf(starts, index));
    }
    case EM_LINEFROMCHAR: {
      if (!MultiLine(h)) return 0;
      const auto& starts = Starts(h, *e);
      const int index = Integer(wp) < 0 ? SelStart(*e) : std::min(Integer(wp), int(e->text.size()));
      return LineOf(starts, index);
    }
    case WM_VSCROLL: {
      if (!MultiLine(h)) return DefWindowProcA(h, msg, wp, lp);
      RECT rc;
      GetClientRect(h, &rc);
      Measure m(*e);
      const int page = std::max(1, int(rc.Bottom) / std::max(1, m.Height()));
      int delta = 0;
      switch (LOWORD(wp)) {
        case SB_LINEUP: delta = -1; break;
        case SB_LINEDOWN: delta = 1; break;
        case SB_PAGEUP: delta = -page; break;
        case SB_PAGEDOWN: delta = page; break;
        case SB_THUMBPOSITION:
        case SB_THUMBTRACK: delta = int(HIWORD(wp)) - e->topLine; break;
        default: return DefWindowProcA(h, msg, wp, lp);
      }
      SendMessageA(h, EM_LINESCROLL, 0, LPARAM(delta));
      return 0;
    }
    case WM_HSCROLL: {
      if (!MultiLine(h)) return DefWindowProcA(h, msg, wp, lp);
      const auto& starts = Starts(h, *e);
      const int room = VisibleWidth(h, *e);
      int to = e->scroll;
      switch (LOWORD(wp)) {
        case SB_LINELEFT: to -= AverageCharWidth(*e); break;
        case SB_LINERIGHT: to += AverageCharWidth(*e); break;
        case SB_PAGELEFT: to -= std::max(1, room); break;
        case SB_PAGERIGHT: to += std::max(1, room); break;
        case SB_LEFT: to = 0; break;
        case SB_RIGHT: to = MaxHorizontalScroll(h, *e, starts); break;
        case SB_THUMBPOSITION:
        case SB_THUMBTRACK: to = int(HIWORD(wp)); break;
        default: return DefWindowProcA(h, msg, wp, lp);
      }
      ScrollHorizontally(h, *e, starts, to);
      return 0;
    }
    case EM_GETFIRSTVISIBLELINE: return MultiLine(h) ? e->topLine : 0;
    case EM_LINESCROLL: {
      if (!MultiLine(h)) return FALSE;
      const auto& starts = Starts(h, *e);
      const int count = int(starts.size());
      e->topLine = std::clamp(e->topLine + Integer(lp), 0, count - 1);
      // Columns are counted in average characters.
      if (Integer(wp) != 0) ScrollHorizontally(h, *e, starts, e->scroll + Integer(wp) * AverageCharWidth(*e));
      SyncVerticalBar(h, *e, count);
      // Scrolling leaves the caret where it is, in view or not.
      InvalidateRect(h, nullptr, FALSE);
      UpdateCaret(h, *e);
      return TRUE;
    }
    case EM_GETLINE: {
      // The first WORD of the buffer holds its size; the line is not terminated.
      char* out = reinterpret_cast<char*>(lp);
      // A single line has only one line: any line number asks for it.
      static const std::vector<int> kOneLine{0};
      const std::vector<int>& starts = MultiLine(h) ? Starts(h, *e) : kOneLine;
      const int line = MultiLine(h) ? int(Integer(wp)) : 0;
      if (!out || line < 0 || line >= int(starts.size())) return 0;
      WORD size;
      std::memcpy(&size, out, sizeof size);
      const int length = MultiLine(h) ? LineLength(e->text, starts, line) : int(e->text.size());
      int n = std::min(length, int(size));
      std::memcpy(out, e->text.data() + starts[size_t(line)], size_t(n));
      return n;
    }
    case EM_REPLACESEL: {
      const char* t = reinterpret_cast<const char*>(lp);
      String s = t ? t : "";
      ReplaceSelection(h, *e, s, wp != 0, false);
      return 0;
    }
    case EM_LIMITTEXT: {
      int v = int(Integer(wp));
      e->limit = v <= 0 ? kMaxLimit : v;
      return 0;
    }
    case EM_GETLIMITTEXT: return e->limit;
    case EM_CANUNDO: return e->canUndo;
    case EM_UNDO:
    case WM_UNDO:
      if (!e->canUndo) return FALSE;
      Undo(h, *e);
      return TRUE;
    case EM_EMPTYUNDOBUFFER:
      e->canUndo = false;
      e->undoText.clear();
      e->typingRun = false;
      return 0;
    case EM_SETREADONLY: {
      DWORD st = Style(h);
      SetWindowLongA(h, GWL_STYLE, LONG_PTR(wp ? (st | ES_READONLY) : (st & ~ES_READONLY)));
      InvalidateRect(h, nullptr, FALSE);
      return TRUE;
    }
    case EM_SETPASSWORDCHAR: {
      e->password = Char(Byte(wp));
      e->widthsValid = false;
      DWORD st = Style(h);
      SetWindowLongA(h, GWL_STYLE, LONG_PTR(e->password ? (st | ES_PASSWORD) : (st & ~ES_PASSWORD)));
      Redraw(h, *e);
      return 0;
    }
    case EM_GETPASSWORDCHAR: return Byte(e->password);
    case EM_SETMARGINS: {
      int left = SHORT(LOWORD(lp)), right = SHORT(HIWORD(lp));
      if (wp == EC_USEFONTINFO) {
        Measure m(*e);
        TEXTMETRICA tm;
        GetTextMetricsA(m.dc, &tm);
        left = right = tm.tmAveCharWidth / 2;
        e->marginLeft = left;
        e->marginRight = right;
      } else {
        if (wp & EC_LEFTMARGIN) e->marginLeft = std::max(0, left);
        if (wp & EC_RIGHTMARGIN) e->marginRight = std::max(0, right);
      }
      Redraw(h, *e);
      return 0;
    }
    case EM_GETMARGINS: return MAKELONG(WORD(e->marginLeft), WORD(e->marginRight));
    case EM_POSFROMCHAR: {
      int i = int(Integer(wp));
      if (i < 0 || i >= int(e->text.size())) return -1;
      return MAKELONG(WORD(SHORT(XOfChar(h, *e, i))), 0);
    }
    case EM_CHARFROMPOS: {
      const int i = CharFromPoint(h, *e, SHORT(LOWORD(lp)), SHORT(HIWORD(lp)));
      return MAKELONG(WORD(i), WORD(MultiLine(h) ? LineOf(Starts(h, *e), i) : 0));
    }
    case EM_GETRECT: {
      RECT* r = reinterpret_cast<RECT*>(lp);
      if (!r) return 0;
      GetClientRect(h, r);
      r->Left += e->marginLeft;
      r->Right -= e->marginRight;
      return 0;
    }
    case WM_COPY: Copy(h, *e); return 0;
    case WM_CUT:
      if (ReadOnly(h) || e->password) return 0;
      if (Copy(h, *e)) DeleteRange(h, *e, SelStart(*e), SelEnd(*e));
      return 0;
    case WM_PASTE: Paste(h, *e); return 0;
    case WM_CLEAR:
      if (!ReadOnly(h) && e->anchor != e->caret) DeleteRange(h, *e, SelStart(*e), SelEnd(*e));
      return 0;
    case WM_CHAR: OnChar(h, *e, Byte(wp)); return 1;   // as the platform answers
    case WM_KEYDOWN:
      if (OnKeyDown(h, *e, int(wp))) return 0;
      return DefWindowProcA(h, msg, wp, lp);
    case WM_SYSKEYDOWN:
      if (wp == WPARAM(VK_BACK)) { SendMessageA(h, WM_UNDO, 0, 0); return 0; }
      return DefWindowProcA(h, msg, wp, lp);
    case WM_SETFOCUS: {
      e->focused = true;
      Measure m(*e);
      CreateCaret(h, nullptr, 1, m.Height());
      UpdateCaret(h, *e);
      ShowCaret(h);
      InvalidateRect(h, nullptr, FALSE);
      Notify(h, EN_SETFOCUS);
      return 0;
    }
    case WM_KILLFOCUS:
      e->focused = false;
      e->dragging = false;
      DestroyCaret();
      InvalidateRect(h, nullptr, FALSE);
      Notify(h, EN_KILLFOCUS);
      return 0;
    case WM_LBUTTONDOWN: {
      if (GetFocus() != h) SetFocus(h);
      if (!IsWindow(h)) return 0;
      int i = CharFromPoint(h, *e, SHORT(LOWORD(lp)), SHORT(HIWORD(lp)));
      SetSelection(h, *e, (wp & MK_SHIFT) ? e->anchor : i, i);
      SetCapture(h);
      e->dragging = true;
      return 0;
    }
    case WM_LBUTTONDBLCLK: {
      int i = CharFromPoint(h, *e, SHORT(LOWORD(lp)), SHORT(HIWORD(lp)));
      const String& s = e->text;
      int n = int(s.size());
      int probe = i < n ? i : n - 1;
      if (probe < 0) return 0;
      bool word = IsWordChar(Byte(s[size_t(probe)]));
      int a = probe, b = probe;
      while (a > 0 && IsWordChar(Byte(s[size_t(a - 1)])) == word) --a;
      while (b < n && IsWordChar(Byte(s[size_t(b)])) == word) ++b;
      SetSelection(h, *e, a, b);
      return 0;
    }
    case WM_MOUSEMOVE:
      if (e->dragging && GetCapture() == h) {
        int i = CharFromPoint(h, *e, SHORT(LOWORD(lp)), SHORT(HIWORD(lp)));
        SetSelection(h, *e, e->anchor, i);
      }
      return 0;
    case WM_LBUTTONUP:
      if (e->dragging) {
        e->dragging = false;
        if (GetCapture() == h) ReleaseCapture();
      }
      return 0;
    case WM_CAPTURECHANGED: e->dragging = false; return 0;
    case WM_PAINT: Paint(h, *e); return 0;
    case WM_ERASEBKGND: return 1;   // WM_PAINT fills the whole client area itself
    case WM_SIZE: Redraw(h, *e); return 0;
    case WM_ENABLE: InvalidateRect(h, nullptr, FALSE); return 0;
    case WM_IME_CHAR: return SendMessageA(h, WM_CHAR, wp, lp);
    default: return DefWindowProcA(h, msg, wp, lp);
  }
}

}  // namespace

namespace user_detail {
WNDPROCFN EditWindowProc() { return &EditProc; }
}  // namespace user_detail
