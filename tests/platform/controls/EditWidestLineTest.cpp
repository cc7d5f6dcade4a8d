// The horizontal bar of a multi-line edit that scrolls sideways spans its widest line: after
// every change of the text, the password character and the font it is the widest line
// measured by the text functions, line by line, on the shown text.
#include "tests/platform/controls/ControlTestUtil.h"

#include <random>

namespace {

class EditWidestLineTest : public ControlTest {
 protected:
  void TearDown() override {
    if (other) DeleteObject(other);
    ControlTest::TearDown();
  }
  String Text() {
    String s(size_t(GetWindowTextLengthA(edit)) + 1, '\0');
    s.resize(size_t(GetWindowTextA(edit, s.data(), int(s.size()))));
    return s;
  }
  // The widest line of the text as shown (every character a password character when one is
  // set, line breaks included then), each measured on its own.
  int PlainWidest(HFONT f) {
    String t = Text();
    const Char password = Char(SendMessageA(edit, EM_GETPASSWORDCHAR, 0, 0));
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, f);
    int widest = 0;
    size_t start = 0;
    while (true) {
      const size_t br = t.find("\r\n", start);
      const size_t end = br == String::npos ? t.size() : br;
      // Behind a password character the line break shows too, as two more characters.
      const size_t shown = password && br != String::npos ? end + 2 - start : end - start;
      const String line = password ? String(shown, password) : t.substr(start, shown);
      SIZE sz{0, 0};
      if (!line.empty()) GetTextExtentPoint32A(dc, line.data(), int(line.size()), &sz);
      widest = std::max(widest, int(sz.cx));
      if (br == String::npos) break;
      start = br + 2;
    }
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return widest;
  }
  int BarMax() {
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_RANGE;
    GetScrollInfo(edit, SB_HORZ, &si);
    return si.nMax;
  }
  HWND edit = nullptr;
  HFONT other = nullptr;
};

String Lines(std::mt19937& rng, size_t most) {
  static const char* const kParts[] = {"a", "mm", "word", "wwwwwwwwwwww", " ", "\r\n", "i", "\r\n\r\n"};
  std::uniform_int_distribution<size_t> count(0, most), pick(0, 7);
  String s;
  for (size_t n = count(rng); n > 0; --n) s += kParts[pick(rng)];
  return s;
}

}  // namespace

TEST_F(EditWidestLineTest, TheBarSpansTheWidestLineThroughEveryKindOfChange) {
  std::mt19937 rng(5402);
  other = CreateFontA(-24, 0, 0, 0, FW_BOLD, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, kTestFaceName);
  edit = Child("EDIT", "", ES_MULTILINE | ES_AUTOHSCROLL | WS_HSCROLL | ES_WANTRETURN, 10, 10, 120, 200);
  SendMessageA(edit, EM_LIMITTEXT, 0, 0);
  SetFocus(edit);
  HFONT current = font;
  std::uniform_int_distribution<int> action(0, 9), chance(0, 99);
  for (int step = 0; step < 500; ++step) {
    const String text = Text();
    std::uniform_int_distribution<int> pos(0, int(text.size()));
    switch (action(rng)) {
      case 0: SetWindowTextA(edit, Lines(rng, 30).c_str()); break;
      case 1:
      case 2: {   // typing, Enter included, where the caret is put
        const int at = pos(rng);
        SendMessageA(edit, EM_SETSEL, WPARAM(at), LPARAM(at));
        for (const char c : Lines(rng, 4)) {
          if (c != '\n') SendMessageA(edit, WM_CHAR, WPARAM(Byte(c)), 0);
        }
        break;
      }
      case 3: {   // deleting backwards and forwards
        const int at = pos(rng);
        SendMessageA(edit, EM_SETSEL, WPARAM(at), LPARAM(at));
        SendMessageA(edit, WM_CHAR, WPARAM(VK_BACK), 0);
        SendMessageA(edit, WM_KEYDOWN, WPARAM(VK_DELETE), 0);
        break;
      }
      case 4: {   // a selection replaced, several lines at once
        const int a = pos(rng), b = pos(rng);
        SendMessageA(edit, EM_SETSEL, WPARAM(a), LPARAM(b));
        const String with = Lines(rng, 8);
        SendMessageA(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(with.c_str()));
        break;
      }
      case 5: SendMessageA(edit, EM_UNDO, 0, 0); break;
      case 6: {   // the widest line taken out whole
        const int count = int(SendMessageA(edit, EM_GETLINECOUNT, 0, 0));
        int widestLine = 0, widest = -1;
        HDC dc = GetDC(nullptr);
        HGDIOBJ old = SelectObject(dc, current);
        for (int i = 0; i < count; ++i) {
          const int start = int(SendMessageA(edit, EM_LINEINDEX, WPARAM(i), 0));
          const int length = int(SendMessageA(edit, EM_LINELENGTH, WPARAM(start), 0));
          SIZE sz{0, 0};
          if (length > 0) GetTextExtentPoint32A(dc, text.data() + start, length, &sz);
          if (sz.cx > widest) widest = int(sz.cx), widestLine = i;
        }
        SelectObject(dc, old);
        ReleaseDC(nullptr, dc);
        const int from = int(SendMessageA(edit, EM_LINEINDEX, WPARAM(widestLine), 0));
        const int to = widestLine + 1 < count ? int(SendMessageA(edit, EM_LINEINDEX, WPARAM(widestLine + 1), 0))
                                              : int(text.size());
        SendMessageA(edit, EM_SETSEL, WPARAM(from), LPARAM(to));
        SendMessageA(edit, WM_CHAR, WPARAM(VK_BACK), 0);
        break;
      }
      case 7: {   // a line added at the end, as a list of lines sets the text
        const String more = text + "\r\n" + Lines(rng, 6);
        SetWindowTextA(edit, more.c_str());
        break;
      }
      case 8:
        SendMessageA(edit, EM_SETPASSWORDCHAR, chance(rng) < 30 ? WPARAM('#') : 0, 0);
        break;
      default:
        current = current == font ? other : font;
        SendMessageA(edit, WM_SETFONT, reinterpret_cast<WPARAM>(current), 0);
        break;
    }
    // The bar is set on the next caret move as well: ask for it through one.
    SendMessageA(edit, EM_SCROLLCARET, 0, 0);
    ASSERT_EQ(BarMax(), std::max(0, PlainWidest(current) - 1)) << "step " << step << " text \"" << Text() << "\"";
  }
}

TEST_F(EditWidestLineTest, DeletingTheWidestLineNarrowsTheBarToTheNextWidest) {
  edit = Child("EDIT", "", ES_MULTILINE | ES_AUTOHSCROLL | WS_HSCROLL, 10, 10, 120, 200);
  SetWindowTextA(edit, "mm\r\nwwwwwwwwwwwwwwwwwwww\r\nmmmmmm\r\ni");
  SendMessageA(edit, EM_SCROLLCARET, 0, 0);
  const int full = BarMax();
  EXPECT_EQ(full, PlainWidest(font) - 1);
  // The widest line (the second) goes with its line break.
  SendMessageA(edit, EM_SETSEL, 4, 4 + 22);
  SendMessageA(edit, WM_CHAR, WPARAM(VK_BACK), 0);
  ASSERT_EQ(Text(), "mm\r\nmmmmmm\r\ni");
  EXPECT_EQ(BarMax(), PlainWidest(font) - 1);
  EXPECT_LT(BarMax(), full);
  // Two lines of the same width: taking one out leaves the other's width.
  SetWindowTextA(edit, "mmmm\r\na\r\nmmmm");
  SendMessageA(edit, EM_SETSEL, 0, 6);
  SendMessageA(edit, WM_CHAR, WPARAM(VK_BACK), 0);
  ASSERT_EQ(Text(), "a\r\nmmmm");
  EXPECT_EQ(BarMax(), PlainWidest(font) - 1);
  // Undone, the widest line is back.
  SendMessageA(edit, EM_UNDO, 0, 0);
  EXPECT_EQ(Text(), "mmmm\r\na\r\nmmmm");
  EXPECT_EQ(BarMax(), PlainWidest(font) - 1);
}
