// The single-line edit control: selection as anchor and caret, keys, the length limit,
// the clipboard, one-level undo, notifications, mouse selection and painting.
#include "platform/gdi/Surface.h"
#include "tests/platform/controls/ControlTestUtil.h"

#include <cstring>
#include <tuple>

namespace {
constexpr WORD kEditId = 7;
}

class EditTest : public ControlTest {
 protected:
  HWND Edit(const char* text = "", DWORD style = ES_AUTOHSCROLL, int width = 300) {
    edit = Child("EDIT", text, style, 10, 10, width, 24, kEditId);
    notes.clear();
    return edit;
  }
  std::string Text() {
    char buf[256] = {};
    GetWindowTextA(edit, buf, sizeof buf);
    return buf;
  }
  std::pair<int, int> Sel() {
    DWORD a = 0, b = 0;
    LRESULT packed = SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&a), reinterpret_cast<LPARAM>(&b));
    EXPECT_EQ(packed, LRESULT(MAKELONG(WORD(a), WORD(b))));
    return {int(a), int(b)};
  }
  void SetSel(int a, int b) { SendMessageA(edit, EM_SETSEL, WPARAM(a), LPARAM(b)); }
  void Type(const char* s) {
    for (; *s; ++s) SendMessageA(edit, WM_CHAR, WPARAM(Byte(*s)), 0);
  }
  void Press(int vk, bool shift = false, bool ctrl = false) {
    if (shift) host().KeyDown(VK_SHIFT);
    if (ctrl) host().KeyDown(VK_CONTROL);
    host().Key(vk);
    if (ctrl) host().KeyUp(VK_CONTROL);
    if (shift) host().KeyUp(VK_SHIFT);
    host().PumpUntilIdle();
  }
  void PutClipboard(const char* s) {
    ASSERT_TRUE(OpenClipboard(parent));
    EmptyClipboard();
    SetClipboardData(CF_TEXT, s, std::strlen(s) + 1);
    CloseClipboard();
  }
  std::string Clipboard() {
    if (!OpenClipboard(parent)) return "<closed>";
    auto* p = static_cast<const char*>(GetClipboardData(CF_TEXT));
    std::string s = p ? p : "<none>";
    CloseClipboard();
    return s;
  }
  HWND edit = nullptr;
};

TEST_F(EditTest, SetSelKeepsAnchorAndCaretAndClamps) {
  Edit("hello world");
  SetSel(5, 2);   // anchor 5, caret 2: reported in order
  EXPECT_EQ(Sel(), std::make_pair(2, 5));
  SetFocus(edit);
  host().PumpUntilIdle();
  // Shift+Right moves the caret end, not the right end of the selection.
  Press(VK_RIGHT, true);
  EXPECT_EQ(Sel(), std::make_pair(3, 5));
  for (auto [a, b, sel] : {std::tuple{2, 100, std::pair{2, 11}}, {0, -1, {0, 11}}}) {
    SetSel(a, b);
    EXPECT_EQ(Sel(), sel) << a << "," << b;
  }
  SetSel(3, 3);
  SetSel(-1, 0);   // deselects, the caret stays
  EXPECT_EQ(Sel(), std::make_pair(3, 3));
  EXPECT_EQ(SendMessageA(edit, EM_POSFROMCHAR, 11, 0), -1);
}

TEST_F(EditTest, KeysMoveByCharacterWordAndLine) {
  Edit("one two  three");
  SetFocus(edit);
  host().PumpUntilIdle();
  // Ctrl+Shift+Right extends to the next word start; Left collapses to the selection's left end.
  const std::tuple<int, bool, bool, std::pair<int, int>> steps[] = {
      {VK_END, false, false, {14, 14}}, {VK_LEFT, false, true, {9, 9}}, {VK_LEFT, false, true, {4, 4}},
      {VK_RIGHT, true, true, {4, 9}},   {VK_LEFT, false, false, {4, 4}}, {VK_HOME, true, false, {0, 4}}};
  for (auto [vk, shift, ctrl, sel] : steps) {
    Press(vk, shift, ctrl);
    EXPECT_EQ(Sel(), sel) << vk << " shift " << shift << " ctrl " << ctrl;
  }
  Press(VK_DELETE);
  EXPECT_EQ(Text(), "two  three");
}

TEST_F(EditTest, LimitCutsTypingAndPastingAndNotifies) {
  Edit("");
  SendMessageA(edit, EM_LIMITTEXT, 5, 0);
  size_t beeps = UserBeeps().size();
  Type("abcdefg");
  EXPECT_EQ(Text(), "abcde");
  const std::vector<WORD> codes = Codes();
  EXPECT_EQ(std::count(codes.begin(), codes.end(), EN_MAXTEXT), 2);
  EXPECT_EQ(UserBeeps().size(), beeps + 2);
  // Pasting inserts what fits and keeps the existing text.
  SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("abc"));
  SetSel(3, 3);
  PutClipboard("defgh");
  SendMessageA(edit, WM_PASTE, 0, 0);
  EXPECT_EQ(Text(), "abcde");
  // A replacement is held to the limit too.
  // Set text may exceed the limit; the limit stays and typing adds nothing.
  SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("toolongtext"));
  EXPECT_EQ(Text(), "toolongtext");
  SetSel(11, 11);
  Type("!");
  EXPECT_EQ(Text(), "toolongtext");
}

TEST_F(EditTest, ClipboardMessagesRespectPasswordAndReadOnly) {
  Edit("secret");
  SetSel(1, 4);
  SendMessageA(edit, WM_COPY, 0, 0);
  EXPECT_EQ(Clipboard(), "ecr");
  SendMessageA(edit, WM_CUT, 0, 0);
  EXPECT_EQ(Text(), "set");
  // Paste stops at the first line break.
  PutClipboard("ab\r\ncd");
  SendMessageA(edit, WM_PASTE, 0, 0);
  EXPECT_EQ(Text(), "sabet");
  SetSel(0, 2);
  SendMessageA(edit, WM_CLEAR, 0, 0);

  // A password field never gives its text away.
  SendMessageA(edit, EM_SETPASSWORDCHAR, '#', 0);
  PutClipboard("keep");
  SetSel(0, -1);
  SendMessageA(edit, WM_COPY, 0, 0);
  SendMessageA(edit, WM_CUT, 0, 0);
  EXPECT_EQ(std::pair(Clipboard(), Text()), std::pair(std::string("keep"), std::string("bet")));
  SendMessageA(edit, EM_SETPASSWORDCHAR, 0, 0);

  // Read-only: copying works, changing does not.
  notes.clear();
  SendMessageA(edit, EM_SETREADONLY, TRUE, 0);
  SendMessageA(edit, WM_CUT, 0, 0);
  SendMessageA(edit, WM_PASTE, 0, 0);
  Type("x");
  EXPECT_EQ(Text(), "bet");
  EXPECT_TRUE(Codes().empty());
}

TEST_F(EditTest, UndoIsOneLevelAndUndoesItself) {
  Edit("start");
  EXPECT_FALSE(SendMessageA(edit, EM_CANUNDO, 0, 0));
  SetSel(5, 5);
  Type(" ab");   // one typing run, one record
  EXPECT_TRUE(SendMessageA(edit, EM_CANUNDO, 0, 0) && SendMessageA(edit, EM_GETMODIFY, 0, 0));
  SendMessageA(edit, WM_UNDO, 0, 0);
  EXPECT_EQ(Text(), "start");
  SendMessageA(edit, EM_UNDO, 0, 0);   // undoing the undo brings the text back, selected
  EXPECT_EQ(Text(), "start ab");
  EXPECT_EQ(Sel(), std::make_pair(5, 8));
  // WM_SETTEXT forgets the record and the modified flag.
  SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("new"));
  EXPECT_FALSE(SendMessageA(edit, EM_CANUNDO, 0, 0) || SendMessageA(edit, EM_GETMODIFY, 0, 0));
  // A non-undoable replacement drops an older record rather than let it undo over it.
  Type("y");
  EXPECT_TRUE(SendMessageA(edit, EM_CANUNDO, 0, 0));
  SendMessageA(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>("z"));
  EXPECT_FALSE(SendMessageA(edit, EM_UNDO, 0, 0));
  EXPECT_EQ(Text(), "yznew");
}

TEST_F(EditTest, NotificationsAndTextMessages) {
  Edit("");
  SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("abc"));
  EXPECT_EQ(Codes(), (std::vector<WORD>{EN_UPDATE, EN_CHANGE}));
  SetFocus(edit);
  EXPECT_EQ(Codes(), (std::vector<WORD>{EN_SETFOCUS}));
  SetFocus(parent);
  EXPECT_EQ(Codes(), (std::vector<WORD>{EN_KILLFOCUS}));
  char buf[8];
  EXPECT_EQ(SendMessageA(edit, WM_GETTEXT, 3, reinterpret_cast<LPARAM>(buf)), 2);
  EXPECT_STREQ(buf, "ab");
}

TEST_F(EditTest, TextIntoSmallOrMissingBuffersAndImeCharacters) {
  Edit("abc");
  char buf[8] = "zzzzzzz";
  // No room even for the terminator: nothing written, nothing copied.
  EXPECT_EQ(SendMessageA(edit, WM_GETTEXT, 0, reinterpret_cast<LPARAM>(buf)), 0);
  EXPECT_EQ(buf[0], 'z');
  EXPECT_EQ(SendMessageA(edit, WM_GETTEXT, 8, 0), 0);
  EXPECT_EQ(SendMessageA(edit, WM_GETTEXT, 1, reinterpret_cast<LPARAM>(buf)), 0);
  EXPECT_EQ(buf[0], 0);
  EXPECT_EQ(SendMessageA(edit, WM_GETTEXT, 4, reinterpret_cast<LPARAM>(buf)), 3);
  EXPECT_STREQ(buf, "abc");
  // Positions exist for characters only; a deselect keeps the caret where it was.
  EXPECT_EQ(SendMessageA(edit, EM_POSFROMCHAR, 3, 0), -1);
  SetSel(1, 2);
  SetSel(-1, 0);
  EXPECT_EQ(Sel(), std::make_pair(2, 2));
  // An IME character is typed as any other.
  SendMessageA(edit, WM_IME_CHAR, 'x', 0);
  EXPECT_EQ(Text(), "abxc");
}

// A single line has one line: EM_GETLINE answers it whatever line number it is asked for.
TEST_F(EditTest, ASingleLineAnswersEveryLineNumberWithItsText) {
  Edit("hello");
  for (WPARAM line : {WPARAM(0), WPARAM(1), WPARAM(7)}) {
    char buf[8] = {};
    WORD size = 4;
    std::memcpy(buf, &size, sizeof size);
    EXPECT_EQ(SendMessageA(edit, EM_GETLINE, line, reinterpret_cast<LPARAM>(buf)), 4) << line;
    EXPECT_EQ(std::string(buf, 4), "hell") << line;
  }
  EXPECT_EQ(SendMessageA(edit, EM_GETLINE, 0, 0), 0);
}

TEST_F(EditTest, CaseNumberAndPasswordStyles) {
  Edit("", ES_AUTOHSCROLL | ES_UPPERCASE);
  Type("ab\xE9\xDF");   // é → É, ß has no capital
  EXPECT_EQ(Text(), "AB\xC9\xDF");
  DestroyWindow(edit);
  Edit("", ES_AUTOHSCROLL | ES_NUMBER);
  size_t beeps = UserBeeps().size();
  Type("1a2");
  EXPECT_EQ(Text(), "12");
  EXPECT_EQ(UserBeeps().size(), beeps + 1);
  DestroyWindow(edit);
  Edit("", ES_AUTOHSCROLL | ES_PASSWORD);
  // Enter, Escape and Tab insert nothing.
  Type("\r\x1B\t");
  EXPECT_EQ(Text(), "");
}

TEST_F(EditTest, WithoutAutoScrollTextStopsAtTheWidth) {
  int cw = CharWidth();
  Edit("", 0, cw * 4 + cw / 2);
  Type("abcdef");
  EXPECT_EQ(Text(), "abcd");
  std::vector<WORD> codes = Codes();
  EXPECT_NE(std::find(codes.begin(), codes.end(), EN_MAXTEXT), codes.end());
}

TEST_F(EditTest, AutoScrollKeepsTheCaretVisible) {
  int cw = CharWidth();
  Edit("", ES_AUTOHSCROLL, cw * 5);
  SetFocus(edit);
  Type("abcdefghijklmnop");
  POINT caret;
  GetCaretPos(&caret);
  RECT rc;
  GetClientRect(edit, &rc);
  EXPECT_TRUE(caret.X >= 0 && caret.X <= rc.Right) << caret.X;
  // Home scrolls back: the first character is at the left edge again.
  Press(VK_HOME);
  EXPECT_EQ(SHORT(LOWORD(SendMessageA(edit, EM_POSFROMCHAR, 0, 0))), 0);
}

TEST_F(EditTest, MouseSelectsWithCaptureAndDoubleClickSelectsAWord) {
  int cw = CharWidth();
  Edit("alpha beta");
  host().PumpUntilIdle();
  in().MouseDown(edit, cw * 1 + 1, 5);
  EXPECT_EQ(std::pair(GetFocus(), GetCapture()), std::pair(edit, edit));
  host().MouseMove(edit, cw * 4 + 1, 5);
  in().MouseUp(edit, cw * 4 + 1, 5);
  EXPECT_EQ(Sel(), std::make_pair(1, 4));
  EXPECT_EQ(GetCapture(), nullptr);
  host().Advance(1000);
  in().DoubleClick(edit, cw * 7 + 1, 5);
  EXPECT_EQ(Sel(), std::make_pair(6, 10));
}

TEST_F(EditTest, SelectionIsHighlightedOnlyWhileFocused) {
  int cw = CharWidth();
  Edit("abcdef");
  SendMessageA(edit, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(3, 3));
  SetSel(1, 3);
  host().PumpUntilIdle();
  Pixel highlight = PixelFromColor(GetSysColor(COLOR_HIGHLIGHT));
  // Character 2 starts at the margin plus two advances; probe the top row of its cell.
  int x = 3 + cw * 2 + 1;
  EXPECT_NE(host().PixelAt(edit, x, 0), highlight);
  SetFocus(edit);
  host().PumpUntilIdle();
  EXPECT_EQ(host().PixelAt(edit, x, 0), highlight);
  EXPECT_NE(host().PixelAt(edit, 3 + cw * 4 + 1, 0), highlight);
}

TEST_F(EditTest, WithoutAutoScrollAPasteKeepsTheLongestPartThatFits) {
  Edit("abcd", 0, 80);
  SetSel(2, 2);
  std::string insert;
  for (int i = 0; i < 2000; ++i) insert += char('0' + i % 10);
  SendMessageA(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(insert.c_str()));
  // The widest "ab" + a prefix of the insert + "cd" within the client area less the margins.
  RECT rc;
  GetClientRect(edit, &rc);
  const LRESULT margins = SendMessageA(edit, EM_GETMARGINS, 0, 0);
  const int room = rc.Right - LOWORD(uintptr_t(margins)) - HIWORD(uintptr_t(margins));
  HDC dc = GetDC(nullptr);
  HGDIOBJ font = reinterpret_cast<HGDIOBJ>(SendMessageA(edit, WM_GETFONT, 0, 0));
  HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
  auto width = [&](size_t keep) {
    const std::string s = "ab" + insert.substr(0, keep) + "cd";
    SIZE sz;
    GetTextExtentPoint32A(dc, s.c_str(), int(s.size()), &sz);
    return int(sz.cx);
  };
  size_t keep = 0;
  while (width(keep + 1) <= room) ++keep;
  if (old) SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  ASSERT_GT(keep, 0u);
  EXPECT_EQ(Text(), "ab" + insert.substr(0, keep) + "cd");
  const std::vector<WORD> codes = Codes();
  EXPECT_EQ(std::count(codes.begin(), codes.end(), EN_MAXTEXT), 1);
}

TEST_F(EditTest, SetTextIgnoresTheLimitAndNotifiesOnceEachWayReplacingDoesNot) {
  Edit("", 0);
  const char* longText = "this is a long string.";
  auto count = [&](WORD code) { return std::count_if(notes.begin(), notes.end(), [&](auto& n) { return n.second == code; }); };
  auto notified = [&] {
    auto r = std::tuple(count(EN_CHANGE), count(EN_MAXTEXT), count(EN_UPDATE));
    notes.clear();
    return r;
  };
  EXPECT_EQ(SendMessageA(edit, WM_GETDLGCODE, 0, 0), DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS);
  EXPECT_EQ(SendMessageA(edit, WM_CHAR, 'a', 0), 1);
  SetWindowTextA(edit, "");
  notes.clear();
  SendMessageA(edit, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>("a"));
  EXPECT_EQ(notified(), std::tuple(1, 0, 1));
  SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(longText));
  EXPECT_EQ(notified(), std::tuple(1, 0, 1));
  EXPECT_EQ(Sel(), std::pair(0, 0));   // the caret goes to the start
  SendMessageA(edit, EM_SETLIMITTEXT, 5, 0);
  SetWindowTextA(edit, "");
  notes.clear();
  SendMessageA(edit, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(longText));
  EXPECT_EQ(Text(), "this ");   // cut at the limit, and told so
  EXPECT_EQ(notified(), std::tuple(1, 1, 1));
  SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(longText));
  EXPECT_EQ(Text(), longText);   // setting the text is not limited
  EXPECT_EQ(notified(), std::tuple(1, 0, 1));
}

TEST_F(EditTest, LimitsMarginsAndTextUntilTheLastMessage) {
  Edit("Test", 0);
  EXPECT_EQ(SendMessageA(edit, EM_GETLIMITTEXT, 0, 0), 30000);
  SendMessageA(edit, EM_SETLIMITTEXT, 0, 0);   // no limit: the largest the platform allows
  EXPECT_EQ(SendMessageA(edit, EM_GETLIMITTEXT, 0, 0), 2147483646);
  EXPECT_EQ(SendMessageA(edit, EM_GETMARGINS, 0, 0), 0);
  // The text stays readable through WM_DESTROY and is gone after WM_NCDESTROY.
  HWND other = CreateWindowExA(0, "EDIT", "Test", WS_POPUP, 0, 0, 50, 20, nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(SendMessageA(other, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("test\r\ntest")), TRUE);
  char buf[32] = {};
  EXPECT_EQ(SendMessageA(other, WM_DESTROY, 0, 0), 0);
  EXPECT_EQ(SendMessageA(other, WM_GETTEXT, sizeof buf, reinterpret_cast<LPARAM>(buf)), 10);
  EXPECT_EQ(std::string(buf), "test\r\ntest");
  EXPECT_EQ(SendMessageA(other, WM_NCDESTROY, 0, 0), 0);
  buf[0] = 'x';
  EXPECT_EQ(SendMessageA(other, WM_GETTEXT, sizeof buf, reinterpret_cast<LPARAM>(buf)), 0);
  EXPECT_EQ(std::string(buf), "");
  DestroyWindow(other);
}

TEST_F(EditTest, MultiLineTypesLineBreaksAndTabsAndAnswersLineQueries) {
  Edit("", ES_MULTILINE | ES_WANTRETURN, 300);
  Type("ab\rc\td\r");
  EXPECT_EQ(Text(), "ab\r\nc\td\r\n");
  EXPECT_EQ(SendMessageA(edit, EM_GETLINECOUNT, 0, 0), 3);
  EXPECT_EQ(SendMessageA(edit, EM_LINEINDEX, 1, 0), 4);
  EXPECT_EQ(SendMessageA(edit, EM_LINEINDEX, 2, 0), 9);
  EXPECT_EQ(SendMessageA(edit, EM_LINEINDEX, 3, 0), -1);
  EXPECT_EQ(SendMessageA(edit, EM_LINELENGTH, 5, 0), 3);
  EXPECT_EQ(SendMessageA(edit, EM_LINEFROMCHAR, 4, 0), 1);
  EXPECT_EQ(SendMessageA(edit, EM_LINEFROMCHAR, 3, 0), 0);
  char buf[8] = {};
  WORD size = sizeof buf;
  std::memcpy(buf, &size, sizeof size);
  EXPECT_EQ(SendMessageA(edit, EM_GETLINE, 1, reinterpret_cast<LPARAM>(buf)), 3);
  EXPECT_EQ(std::string(buf, 3), "c\td");
  EXPECT_TRUE(SendMessageA(edit, WM_GETDLGCODE, 0, 0) & DLGC_WANTALLKEYS);
  EXPECT_TRUE(SendMessageA(edit, EM_LINESCROLL, 0, 5));
  EXPECT_EQ(SendMessageA(edit, EM_GETFIRSTVISIBLELINE, 0, 0), 2);
  SendMessageA(edit, EM_LINESCROLL, 0, -1);
  EXPECT_EQ(SendMessageA(edit, EM_GETFIRSTVISIBLELINE, 0, 0), 1);
  // A single-line edit keeps refusing both.
  Edit("", ES_AUTOHSCROLL);
  Type("a\r\tb");
  EXPECT_EQ(Text(), "ab");
  EXPECT_FALSE(SendMessageA(edit, WM_GETDLGCODE, 0, 0) & DLGC_WANTALLKEYS);
}

TEST_F(EditTest, MultiLineDrawsEachLineBelowTheOtherFromTheFirstVisible) {
  int cw = CharWidth();
  edit = Child("EDIT", "ab\r\ncd\r\nef", ES_MULTILINE, 10, 10, 200, 100, kEditId);
  SetFocus(edit);
  SetSel(5, 6);   // "d", on the second line
  host().PumpUntilIdle();
  const Pixel highlight = PixelFromColor(GetSysColor(COLOR_HIGHLIGHT));
  HDC dc = GetDC(nullptr);
  TEXTMETRICA tm;
  HGDIOBJ old = SelectObject(dc, font);
  GetTextMetricsA(dc, &tm);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  const int h = tm.tmHeight;
  EXPECT_NE(host().PixelAt(edit, cw + 1, 1), highlight);
  EXPECT_EQ(host().PixelAt(edit, cw + 1, h + 1), highlight);
  EXPECT_NE(host().PixelAt(edit, 1, h + 1), highlight);
  // Scrolled by a line, the second line is drawn at the top.
  SendMessageA(edit, EM_LINESCROLL, 0, 1);
  host().PumpUntilIdle();
  EXPECT_EQ(host().PixelAt(edit, cw + 1, 1), highlight);
  EXPECT_NE(host().PixelAt(edit, cw + 1, h + 1), highlight);
}

TEST_F(EditTest, MultiLineKeysMoveByLinesAndTakeLineBreaksWhole) {
  Edit("abcd\r\nx\r\nefgh", ES_MULTILINE, 200);
  SetFocus(edit);
  SetSel(3, 3);
  Press(VK_DOWN);
  EXPECT_EQ(Sel(), std::make_pair(7, 7));   // the short line's end
  Press(VK_DOWN);
  EXPECT_EQ(Sel(), std::make_pair(10, 10));
  Press(VK_UP, true);
  EXPECT_EQ(Sel(), std::make_pair(7, 10));
  Press(VK_HOME);
  EXPECT_EQ(Sel(), std::make_pair(6, 6));
  Press(VK_LEFT);
  EXPECT_EQ(Sel(), std::make_pair(4, 4));
  Press(VK_DELETE);
  EXPECT_EQ(Text(), "abcdx\r\nefgh");
  SetSel(9, 9);
  Press(VK_END);
  EXPECT_EQ(Sel(), std::make_pair(11, 11));
  SetSel(7, 7);
  Type("\b");
  EXPECT_EQ(Text(), "abcdxefgh");
}

TEST_F(EditTest, MultiLineWithoutAutoScrollWrapsAtTheLastSpaceThatFits) {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  SIZE two{0, 0};
  GetTextExtentPoint32A(dc, "xxx xxx", 7, &two);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  Edit("xxx xxx xxx\r\nyy", ES_MULTILINE, int(two.cx) + 1);
  EXPECT_EQ(SendMessageA(edit, EM_GETLINECOUNT, 0, 0), 3);
  EXPECT_EQ(SendMessageA(edit, EM_LINEINDEX, 1, 0), 8);
  EXPECT_EQ(SendMessageA(edit, EM_LINELENGTH, 8, 0), 3);
  EXPECT_EQ(SendMessageA(edit, EM_LINEINDEX, 2, 0), 13);
  EXPECT_EQ(SendMessageA(edit, EM_LINEFROMCHAR, 9, 0), 1);
  // A word wider than the line breaks inside itself; automatic scrolling never wraps.
  Edit("xxxxxxxxxxxxxxxxxxxx", ES_MULTILINE, int(two.cx) + 1);
  EXPECT_GE(SendMessageA(edit, EM_GETLINECOUNT, 0, 0), 2);
  Edit("xxx xxx xxx\r\nyy", ES_MULTILINE | ES_AUTOHSCROLL, int(two.cx) + 1);
  EXPECT_EQ(SendMessageA(edit, EM_GETLINECOUNT, 0, 0), 2);
}

TEST_F(EditTest, MultiLineKeepsTheCaretLineInView) {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  TEXTMETRICA tm;
  GetTextMetricsA(dc, &tm);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  const int h = tm.tmHeight;
  edit = Child("EDIT", "", ES_MULTILINE, 10, 10, 200, 2 * h + h / 2, kEditId);
  SetFocus(edit);
  host().PumpUntilIdle();
  Type("a\rb\rc");
  EXPECT_EQ(SendMessageA(edit, EM_GETFIRSTVISIBLELINE, 0, 0), 1);
  POINT caret{0, 0};
  GetCaretPos(&caret);
  EXPECT_EQ(caret.Y, h);
  SetSel(0, 0);
  EXPECT_EQ(SendMessageA(edit, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
  GetCaretPos(&caret);
  EXPECT_EQ(caret.Y, 0);
}

TEST_F(EditTest, MultiLineClickPicksTheLineUnderThePointer) {
  int cw = CharWidth();
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  TEXTMETRICA tm;
  GetTextMetricsA(dc, &tm);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  edit = Child("EDIT", "abc\r\ndef\r\ng", ES_MULTILINE, 10, 10, 200, 100, kEditId);
  SendMessageA(edit, WM_LBUTTONDOWN, 0, MAKELPARAM(cw + 1, tm.tmHeight + 1));
  SendMessageA(edit, WM_LBUTTONUP, 0, MAKELPARAM(cw + 1, tm.tmHeight + 1));
  EXPECT_EQ(Sel(), std::make_pair(6, 6));   // after "d"
  EXPECT_EQ(SendMessageA(edit, EM_CHARFROMPOS, 0, MAKELPARAM(150, 3 * tm.tmHeight)), MAKELONG(11, 2));
}

TEST_F(EditTest, MultiLineScrollsByItsVerticalBarAndShowsThePosition) {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  TEXTMETRICA tm;
  GetTextMetricsA(dc, &tm);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  edit = Child("EDIT", "1\r\n2\r\n3\r\n4\r\n5", ES_MULTILINE | WS_VSCROLL, 10, 10, 200, 2 * tm.tmHeight + 1,
               kEditId);
  auto first = [&] { return SendMessageA(edit, EM_GETFIRSTVISIBLELINE, 0, 0); };
  SendMessageA(edit, WM_VSCROLL, SB_LINEDOWN, 0);
  EXPECT_EQ(first(), 1);
  EXPECT_EQ(GetScrollPos(edit, SB_VERT), 1);
  SendMessageA(edit, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 4), 0);
  EXPECT_EQ(first(), 4);
  SendMessageA(edit, WM_VSCROLL, SB_PAGEUP, 0);
  EXPECT_EQ(first(), 2);
  EXPECT_EQ(GetScrollPos(edit, SB_VERT), 2);
  SendMessageA(edit, WM_VSCROLL, SB_LINEUP, 0);
  EXPECT_EQ(first(), 1);
  // With nothing to scroll the bar stays, unavailable.
  edit = Child("EDIT", "a", ES_MULTILINE | WS_VSCROLL, 10, 10, 200, 2 * tm.tmHeight + 1, kEditId);
  SetSel(1, 1);
  SendMessageA(edit, EM_SCROLLCARET, 0, 0);
  EXPECT_TRUE(GetWindowLongA(edit, GWL_STYLE) & WS_VSCROLL);
}

TEST_F(EditTest, MultiLineWithoutWrappingScrollsSidewaysByItsHorizontalBar) {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  TEXTMETRICA tm;
  GetTextMetricsA(dc, &tm);
  SIZE wide{0, 0};
  const char* kLong = "a line much wider than the edit is";
  GetTextExtentPoint32A(dc, kLong, int(std::strlen(kLong)), &wide);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  edit = Child("EDIT", (std::string("short\r\n") + kLong).c_str(), ES_MULTILINE | ES_AUTOHSCROLL | WS_HSCROLL, 10, 10,
               100, 4 * tm.tmHeight, kEditId);
  RECT rc;
  GetClientRect(edit, &rc);
  const int maxScroll = int(wide.cx) - int(rc.Right);
  ASSERT_GT(maxScroll, tm.tmAveCharWidth);
  SendMessageA(edit, WM_HSCROLL, SB_LINERIGHT, 0);
  EXPECT_EQ(GetScrollPos(edit, SB_HORZ), tm.tmAveCharWidth);
  SendMessageA(edit, WM_HSCROLL, SB_RIGHT, 0);
  EXPECT_EQ(GetScrollPos(edit, SB_HORZ), maxScroll);
  SendMessageA(edit, WM_HSCROLL, SB_PAGERIGHT, 0);  // no further than the widest line's end
  EXPECT_EQ(GetScrollPos(edit, SB_HORZ), maxScroll);
  SendMessageA(edit, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 5), 0);
  EXPECT_EQ(GetScrollPos(edit, SB_HORZ), 5);
  SendMessageA(edit, EM_LINESCROLL, 2, 0);  // columns in average characters
  EXPECT_EQ(GetScrollPos(edit, SB_HORZ), 5 + 2 * tm.tmAveCharWidth);
  SendMessageA(edit, WM_HSCROLL, SB_LEFT, 0);
  EXPECT_EQ(GetScrollPos(edit, SB_HORZ), 0);
  SetSel(7 + int(std::strlen(kLong)), 7 + int(std::strlen(kLong)));
  EXPECT_GT(GetScrollPos(edit, SB_HORZ), 0) << "the caret at the long line's end is kept in view";
  SetSel(2, 2);
  EXPECT_EQ(GetScrollPos(edit, SB_HORZ), 0);

  // Wrapped lines never scroll sideways.
  edit = Child("EDIT", kLong, ES_MULTILINE | WS_HSCROLL, 10, 10, 100, 4 * tm.tmHeight, kEditId);
  SendMessageA(edit, WM_HSCROLL, SB_RIGHT, 0);
  EXPECT_EQ(GetScrollPos(edit, SB_HORZ), 0);
}
