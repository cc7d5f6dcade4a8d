// The lines of a wrapping multi-line edit as its messages report them, against a wrap that
// measures each candidate line with the edit's font, while the text is set, typed, deleted,
// replaced and undone, and while the width, margins and font change.
#include "tests/platform/controls/ControlTestUtil.h"
#include "tests/platform/controls/ReferenceWrap.h"

#include <random>

namespace {

using Starts = std::vector<int>;

class EditWrapTest : public ControlTest {
 protected:
  void TearDown() override {
    if (other) DeleteObject(other);
    ControlTest::TearDown();
  }
  Starts Reported() {
    Starts out;
    const int count = int(SendMessageA(edit, EM_GETLINECOUNT, 0, 0));
    for (int i = 0; i < count; ++i) out.push_back(int(SendMessageA(edit, EM_LINEINDEX, WPARAM(i), 0)));
    return out;
  }
  String Text() {
    String s(size_t(GetWindowTextLengthA(edit)) + 1, '\0');
    s.resize(size_t(GetWindowTextA(edit, s.data(), int(s.size()))));
    return s;
  }
  // The plain wrap measured with the text functions, on the font the edit uses, in the room
  // between its margins.
  Starts Expected(HFONT f) {
    const String t = Text();
    RECT rc;
    GetClientRect(edit, &rc);
    const DWORD margins = DWORD(SendMessageA(edit, EM_GETMARGINS, 0, 0));
    const int room = std::max(0, int(rc.Right) - int(LOWORD(margins)) - int(HIWORD(margins)));
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, f);
    auto width = [&](size_t from, size_t n) {
      SIZE sz{0, 0};
      if (n > 0) GetTextExtentPoint32A(dc, t.data() + from, int(n), &sz);
      return int(sz.cx);
    };
    const Starts out = ReferenceWrap(t, true, room, width);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return out;
  }
  HWND edit = nullptr;
  HFONT other = nullptr;
};

String Words(std::mt19937& rng, size_t most) {
  static const char* const kWords[] = {"a", "mm", "word", "lengthier", "wwwwwwwwwwwwwwwwwwwwwwwww", " ", "  ", "\r\n", "\t", "i"};
  std::uniform_int_distribution<size_t> count(0, most), pick(0, 9);
  String s;
  for (size_t n = count(rng); n > 0; --n) {
    s += kWords[pick(rng)];
    if (pick(rng) < 7) s += ' ';
  }
  return s;
}

}  // namespace

TEST_F(EditWrapTest, ReportedLinesFollowEveryChangeOfTextWidthAndFont) {
  std::mt19937 rng(5454);
  other = CreateFontA(-11, 0, 0, 0, FW_BOLD, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, kTestFaceName);
  edit = Child("EDIT", "", ES_MULTILINE | ES_WANTRETURN, 10, 10, 150, 200);
  SendMessageA(edit, EM_LIMITTEXT, 0, 0);
  SetFocus(edit);
  HFONT current = font;
  std::uniform_int_distribution<int> action(0, 9), chance(0, 99);
  for (int step = 0; step < 400; ++step) {
    const String text = Text();
    std::uniform_int_distribution<int> pos(0, int(text.size()));
    switch (action(rng)) {
      case 0: SetWindowTextA(edit, Words(rng, 40).c_str()); break;
      case 1:
      case 2:
      case 3: {   // typing where the caret is put
        const int at = pos(rng);
        SendMessageA(edit, EM_SETSEL, WPARAM(at), LPARAM(at));
        for (const char c : Words(rng, 3)) SendMessageA(edit, WM_CHAR, WPARAM(Byte(c)), 0);
        break;
      }
      case 4: {   // deleting backwards and forwards
        const int at = pos(rng);
        SendMessageA(edit, EM_SETSEL, WPARAM(at), LPARAM(at));
        SendMessageA(edit, WM_CHAR, WPARAM(VK_BACK), 0);
        SendMessageA(edit, WM_KEYDOWN, WPARAM(VK_DELETE), 0);
        break;
      }
      case 5: {   // a selection replaced
        const int a = pos(rng), b = pos(rng);
        SendMessageA(edit, EM_SETSEL, WPARAM(a), LPARAM(b));
        const String with = Words(rng, 6);
        SendMessageA(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(with.c_str()));
        break;
      }
      case 6: SendMessageA(edit, EM_UNDO, 0, 0); break;
      case 7: {   // the text set again with a line added at its end, as a list of lines does
        const String more = text + "\r\n" + Words(rng, 8);
        SetWindowTextA(edit, more.c_str());
        break;
      }
      case 8:
        if (chance(rng) < 50) {
          MoveWindow(edit, 10, 10, 20 + chance(rng) * 3, 200, TRUE);
        } else {
          const int left = chance(rng) % 20, right = chance(rng) % 20;
          SendMessageA(edit, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELONG(left, right));
        }
        break;
      default:
        current = current == font ? other : font;
        SendMessageA(edit, WM_SETFONT, reinterpret_cast<WPARAM>(current), 0);
        break;
    }
    ASSERT_EQ(Reported(), Expected(current)) << "step " << step << " text \"" << Text() << "\"";
  }
}

TEST_F(EditWrapTest, ALineAddedToALongTextKeepsTheLinesBeforeIt) {
  // The text grows one line at a time, as a list of lines sets it; each time the lines are
  // those of the whole text, and the earlier ones do not move.
  edit = Child("EDIT", "", ES_MULTILINE, 10, 10, 120, 200);
  String text;
  Starts before;
  for (int i = 0; i < 60; ++i) {
    text += (i > 0 ? "\r\n" : "") + String("line ") + std::to_string(i) + " with words that wrap";
    SetWindowTextA(edit, text.c_str());
    const Starts now = Reported();
    ASSERT_EQ(now, Expected(font));
    ASSERT_GT(now.size(), before.size());
    EXPECT_TRUE(std::equal(before.begin(), before.end(), now.begin()));
    before = now;
  }
}
