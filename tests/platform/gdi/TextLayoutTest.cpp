// DrawTextA's layout rules, with the test face at height -16: every character advances
// 10 pixels, lines are 20 pixels high, the average width is 10.
#include "platform/gdi/TextLayout.h"

#include <gtest/gtest.h>

#include <cstring>
#include <tuple>
#include <utility>

namespace {

FontInstance& Font16() {
  FontDesc d;
  d.FaceName = kTestFaceName;
  d.Height = -16;
  return RealizeFont(d);
}

DrawTextLayout Layout(const char* text, TRect rect, UINT format, DrawTextMargins margins = {}) {
  return LayoutDrawText(Font16(), reinterpret_cast<const Byte*>(text), Integer(std::strlen(text)), rect,
                        format, margins);
}

std::vector<String> Lines(const DrawTextLayout& l) {
  std::vector<String> out;
  for (const TextLine& line : l.Lines) out.push_back(line.Chars);
  return out;
}

using V = std::vector<String>;

}  // namespace

TEST(DrawTextLayoutTest, CalcRectSingleLineMovesTheRightEdgeToTheTextEnd) {
  DrawTextLayout l = Layout("abc", {5, 7, 100, 50}, DT_CALCRECT | DT_SINGLELINE);
  EXPECT_EQ(l.CalcRect, (TRect{5, 7, 35, 27}));
  // Empty text, single line: no width, one line high.
  l = Layout("", {10, 10, 100, 100}, DT_CALCRECT | DT_SINGLELINE);
  EXPECT_EQ(l.CalcRect, (TRect{10, 10, 10, 30}));
  EXPECT_EQ(l.Result, 20);
  // Empty text, several lines allowed: an empty rectangle, but still a line's height.
  l = Layout("", {10, 10, 100, 100}, DT_CALCRECT);
  EXPECT_EQ(l.CalcRect, (TRect{10, 10, 10, 10}));
  EXPECT_EQ(l.Result, 20);
}

TEST(DrawTextLayoutTest, WordBreakWrapsAtBlanksAndCalcRectShrinksToTheWidestLine) {
  DrawTextLayout l = Layout("aaa bbb ccc", {5, 0, 80, 0}, DT_CALCRECT | DT_WORDBREAK);
  EXPECT_EQ(Lines(l), (V{"aaa bbb", "ccc"}));
  EXPECT_EQ(l.CalcRect, (TRect{5, 0, 75, 40}));
  // Several blanks at a break are all dropped; blanks never force a break themselves.
  l = Layout("ab    cd", {0, 0, 35, 0}, DT_WORDBREAK);
  EXPECT_EQ(Lines(l), (V{"ab", "cd"}));
  l = Layout("abc   ", {0, 0, 35, 0}, DT_WORDBREAK);
  EXPECT_EQ(Lines(l), (V{"abc   "}));
}

TEST(DrawTextLayoutTest, OverWideWordsOverflowOrBreakUnderEditControl) {
  // Without DT_EDITCONTROL a word wider than the line stays whole and widens the rectangle.
  DrawTextLayout l = Layout("abcdefghij xy", {0, 0, 35, 0}, DT_CALCRECT | DT_WORDBREAK);
  EXPECT_EQ(Lines(l), (V{"abcdefghij", "xy"}));
  EXPECT_EQ(l.CalcRect.Right, 100);
  // With it the word is broken where it overflows.
  l = Layout("abcdefghij xy", {0, 0, 35, 0}, DT_CALCRECT | DT_WORDBREAK | DT_EDITCONTROL);
  EXPECT_EQ(Lines(l), (V{"abc", "def", "ghi", "j", "xy"}));
  EXPECT_EQ(l.CalcRect.Right, 30);
  // A rectangle narrower than one character still makes progress: a character per line.
  l = Layout("line1 line2", {0, 0, 1, 1}, DT_CALCRECT | DT_WORDBREAK);
  EXPECT_EQ(l.Lines.size(), 2u);
  l = Layout("line1 line2", {0, 0, 1, 1}, DT_CALCRECT | DT_WORDBREAK | DT_EDITCONTROL);
  EXPECT_EQ(l.Lines.size(), 10u);
  l = Layout("abc", {0, 0, 0, 0}, DT_WORDBREAK | DT_EDITCONTROL);
  EXPECT_EQ(Lines(l), (V{"a", "b", "c"}));
}

TEST(DrawTextLayoutTest, LineBreaksAndSingleLine) {
  EXPECT_EQ(Lines(Layout("a\r\nb\nc\rd", {0, 0, 100, 100}, 0)), (V{"a", "b", "c", "d"}));
  EXPECT_EQ(Lines(Layout("a\n\rb", {0, 0, 100, 100}, 0)), (V{"a", "", "b"}));
  EXPECT_EQ(Lines(Layout("a\n", {0, 0, 100, 100}, 0)), (V{"a"}));
  // Single line: CR and LF are ordinary characters.
  DrawTextLayout l = Layout("a\r\nb", {0, 0, 100, 100}, DT_SINGLELINE | DT_CALCRECT);
  EXPECT_EQ(Lines(l), (V{"a\r\nb"}));
  EXPECT_EQ(l.CalcRect.Right, 40);
}

TEST(DrawTextLayoutTest, PrefixCharacters) {
  DrawTextLayout l = Layout("&File", {0, 0, 100, 20}, DT_SINGLELINE | DT_CALCRECT);
  EXPECT_EQ(Lines(l), (V{"File"}));
  EXPECT_EQ(l.Lines[0].Underline, 0);
  l = Layout("a&&b", {0, 0, 100, 20}, DT_SINGLELINE);
  EXPECT_EQ(Lines(l), (V{"a&b"}));
  EXPECT_EQ(l.Lines[0].Underline, -1);
  l = Layout("Sa&ve&", {0, 0, 100, 20}, DT_SINGLELINE);
  EXPECT_EQ(Lines(l), (V{"Save"}));
  EXPECT_EQ(l.Lines[0].Underline, 2);
  // A prefixed line break is still a break, and never reads past the end.
  EXPECT_EQ(Lines(Layout("a&\nb&", {0, 0, 100, 100}, 0)), (V{"a", "b"}));
}

TEST(DrawTextLayoutTest, TabsExpandEveryEightAverageWidths) {
  DrawTextLayout l = Layout("a\tb", {0, 0, 200, 20}, DT_SINGLELINE | DT_EXPANDTABS | DT_CALCRECT);
  ASSERT_EQ(l.Lines.size(), 1u);
  EXPECT_EQ(l.Lines[0].Advances, (std::vector<Integer>{10, 70, 10}));
  EXPECT_EQ(l.CalcRect.Right, 90);
  // Tab stops from the high byte with DT_TABSTOP, or from the margins' tab length.
  l = Layout("a\tb", {0, 0, 200, 20}, DT_SINGLELINE | DT_EXPANDTABS | DT_TABSTOP | 0x0300);
  EXPECT_EQ(l.Lines[0].Width, 40);
  l = Layout("a\tb", {0, 0, 200, 20}, DT_SINGLELINE | DT_EXPANDTABS, {0, 0, 4});
  EXPECT_EQ(l.Lines[0].Width, 50);
  // Expanded tabs count from the line start, also after a wrap.
  l = Layout("aaaaaaaaa b\tc", {0, 0, 100, 20}, DT_WORDBREAK | DT_EXPANDTABS);
  ASSERT_EQ(l.Lines.size(), 2u);
  EXPECT_EQ(l.Lines[1].Advances, (std::vector<Integer>{10, 70, 10}));
}

TEST(DrawTextLayoutTest, Ellipses) {
  DrawTextLayout l = Layout("abcdefghij", {0, 0, 55, 20}, DT_SINGLELINE | DT_END_ELLIPSIS);
  EXPECT_EQ(Lines(l), (V{"ab..."}));
  EXPECT_EQ(l.ModifiedText, "ab...");
  EXPECT_EQ(Lines(Layout("c:\\dir\\file", {0, 0, 90, 20}, DT_SINGLELINE | DT_PATH_ELLIPSIS)),
            (V{"c...\\file"}));
  // Too narrow for the last part: it is cut at its end.
  EXPECT_EQ(Lines(Layout("c:\\dir\\file", {0, 0, 60, 20}, DT_SINGLELINE | DT_PATH_ELLIPSIS)),
            (V{"...\\fi"}));
  // Fitting text is left alone; so is any text under DT_CALCRECT.
  l = Layout("abcdefghij", {0, 0, 55, 20}, DT_SINGLELINE | DT_END_ELLIPSIS | DT_CALCRECT);
  EXPECT_EQ(l.CalcRect.Right, 100);
  // Narrower than the dots: as many dots as fit, at least one.
  EXPECT_EQ(Lines(Layout("abcdefghij", {0, 0, 5, 20}, DT_SINGLELINE | DT_END_ELLIPSIS)), (V{"."}));
}

TEST(DrawTextLayoutTest, EditControlHidesAPartlyVisibleLastLine) {
  DrawTextLayout l = Layout("a\nb\nc", {0, 0, 100, 50}, DT_EDITCONTROL);
  ASSERT_EQ(l.Lines.size(), 3u);
  EXPECT_EQ(std::tuple(l.Lines[0].Visible, l.Lines[1].Visible, l.Lines[2].Visible), std::tuple(true, true, false));
  // The first line shows even in a rectangle lower than a line.
  EXPECT_TRUE(Layout("a\nb", {0, 0, 100, 5}, DT_EDITCONTROL).Lines[0].Visible);
}

TEST(TabStopsTest, NextStopIsStrictlyRightOfThePen) {
  Integer stops[] = {40};
  TabStops every40(0, 10, 1, stops);
  Integer list[] = {30, 50}, zeroStop[] = {0};
  const TabStops several(0, 10, 2, list), none(0, 10, 0, nullptr), shifted(5, 10, 1, stops),
      zero(0, 10, 1, zeroStop);
  // Past the list, without a list, or with a zero interval: every 8 average widths.
  const std::tuple<const TabStops*, Integer, Integer> cases[] = {
      {&every40, 0, 40}, {&every40, 39, 40}, {&every40, 40, 80}, {&several, 0, 30}, {&several, 30, 50},
      {&several, 50, 80}, {&none, 5, 80},    {&shifted, 5, 45},  {&shifted, 0, 5},  {&zero, 1, 80}};
  for (auto [tabs, pen, next] : cases) EXPECT_EQ(tabs->Next(pen), next) << pen;

  std::vector<Integer> adv;
  Integer w = TabbedAdvances(Font16(), reinterpret_cast<const Byte*>("xxxx\tx"), 6, 0, every40, adv);
  EXPECT_EQ(w, 90);
}
