// Line starts of a multi-line edit: exact breaks for the cases that decide them, and the
// layout (whole, and after edits) against the plain wrap over random texts, widths and rooms.
#include "platform/user/EditLines.h"

#include "tests/platform/controls/ReferenceWrap.h"

#include <gtest/gtest.h>

#include <random>

using user_detail::EditLineLayout;

namespace {

using Starts = std::vector<int>;

// Every character 10 wide, but 'W' 25 and '\t' 40.
EditLineLayout::Advances TenEach() {
  EditLineLayout::Advances a{};
  a.fill(10);
  a[size_t('W')] = 25;
  a[size_t('\t')] = 40;
  return a;
}

Starts Layout(const String& text, int64_t room, const EditLineLayout::Advances& a = TenEach()) {
  EditLineLayout l;
  l.Build(text, a, room);
  return l.Starts();
}

// The plain wrap with these advances (a run counts at most 2^20 characters, as the text
// functions measure).
Starts PlainWrap(const String& t, const EditLineLayout::Advances& a, int64_t room) {
  return ReferenceWrap(t, room != EditLineLayout::kNoWrap, room, [&](size_t from, size_t n) {
    int64_t w = 0;
    for (size_t i = from; i < from + std::min<size_t>(n, size_t(1) << 20); ++i) w += a[Byte(t[i])];
    return w;
  });
}

String RandomText(std::mt19937& rng, size_t most) {
  static const char kChars[] = "aaaabbbccW    \t\r\n\r\n-";
  std::uniform_int_distribution<size_t> len(0, most), pick(0, sizeof kChars - 2);
  String s(len(rng), ' ');
  for (char& c : s) c = kChars[pick(rng)];
  return s;
}

EditLineLayout::Advances RandomAdvances(std::mt19937& rng) {
  EditLineLayout::Advances a{};
  std::uniform_int_distribution<Integer> w(0, 30);
  for (Integer& x : a) x = w(rng);
  return a;
}

}  // namespace

TEST(EditLines, BreaksAtTheLastSpaceThatFitsAndInsideWordsTooLongForALine) {
  // "aa b" would need 40: the line breaks after the space, which stays on the upper line.
  EXPECT_EQ(Layout("aa bb", 35), (Starts{0, 3}));
  // A run of spaces at the break hangs on the upper line whatever its width.
  EXPECT_EQ(Layout("aa      bb", 35), (Starts{0, 8}));
  // A line exactly as wide as the room fits.
  EXPECT_EQ(Layout("aaa bbb", 30), (Starts{0, 4}));
  // A word longer than a line breaks after the last character that fits, and the rest of it
  // starts the next line; the next word follows after a space when it fits.
  EXPECT_EQ(Layout("abcdefghij", 35), (Starts{0, 3, 6, 9}));
  EXPECT_EQ(Layout("ab abcdefgh c", 35), (Starts{0, 3, 6, 9, 12}));
  // A character wider than the room still takes a line of its own.
  EXPECT_EQ(Layout("abc", 5), (Starts{0, 1, 2}));
  EXPECT_EQ(Layout("WaW", 20), (Starts{0, 1, 2}));
  // Spaces at the end of the text never start an empty line.
  EXPECT_EQ(Layout("aaa     ", 35), (Starts{0}));
  EXPECT_EQ(Layout("aaa", 0), (Starts{0, 1, 2}));
}

TEST(EditLines, LineBreaksTabsAndEmptyParagraphs) {
  // CR LF ends a line, an empty paragraph is a line, and a final CR LF adds an empty line.
  EXPECT_EQ(Layout("ab\r\ncd", 100), (Starts{0, 4}));
  EXPECT_EQ(Layout("a\r\n\r\nb", 100), (Starts{0, 3, 5}));
  EXPECT_EQ(Layout("ab\r\n", 100), (Starts{0, 4}));
  EXPECT_EQ(Layout("", 100), (Starts{0}));
  // A CR or LF alone is an ordinary character.
  EXPECT_EQ(Layout("a\rb\nc", 100), (Starts{0}));
  // Spaces before a CR LF stay on their line; a paragraph wraps on its own.
  EXPECT_EQ(Layout("aa     \r\nbb cc", 35), (Starts{0, 9, 12}));
  // A tab is measured by its own advance and is no place to break.
  EXPECT_EQ(Layout("a\tbb", 55), (Starts{0, 2}));
  EXPECT_EQ(Layout("aa\tbb cc", 75), (Starts{0, 4}));
  // Without wrapping only CR LF ends lines.
  EXPECT_EQ(Layout("aaaa bbbb cccc\r\nd", EditLineLayout::kNoWrap), (Starts{0, 16}));
}

TEST(EditLines, MatchesThePlainWrapOverRandomTexts) {
  std::mt19937 rng(54);
  std::uniform_int_distribution<int64_t> room(0, 200);
  for (int round = 0; round < 3000; ++round) {
    const EditLineLayout::Advances a = round % 3 == 0 ? TenEach() : RandomAdvances(rng);
    const String text = RandomText(rng, 120);
    const int64_t r = round % 50 == 0 ? EditLineLayout::kNoWrap : room(rng);
    ASSERT_EQ(Layout(text, r, a), PlainWrap(text, a, r)) << "text \"" << text << "\" room " << r;
  }
}

TEST(EditLines, AfterEditsMatchesAWrapOfTheWholeNewText) {
  std::mt19937 rng(5402);
  std::uniform_int_distribution<int64_t> room(0, 160);
  for (int round = 0; round < 400; ++round) {
    const EditLineLayout::Advances a = round % 2 == 0 ? TenEach() : RandomAdvances(rng);
    const int64_t r = round % 40 == 0 ? EditLineLayout::kNoWrap : room(rng);
    String text = RandomText(rng, 300);
    EditLineLayout l;
    l.Build(text, a, r);
    for (int step = 0; step < 20; ++step) {
      std::uniform_int_distribution<size_t> pos(0, text.size());
      const size_t at = pos(rng);
      std::uniform_int_distribution<size_t> cut(0, std::min<size_t>(text.size() - at, step % 5 == 0 ? 60 : 4));
      const size_t removed = cut(rng);
      const String insert = RandomText(rng, step % 4 == 0 ? 40 : 3);
      const String before = text;
      text.replace(at, removed, insert);
      l.Edited(text, at, removed, insert.size());
      ASSERT_EQ(l.Starts(), PlainWrap(text, a, r))
          << "\"" << before << "\" -> \"" << text << "\" at " << at << " room " << r;
    }
  }
}

TEST(EditLines, TypingIntoALongParagraphKeepsTheLinesOfAWholeWrap) {
  // Characters typed one by one at the start, in the middle and at the end of a paragraph of
  // words, and taken out again: the lines after each key are those of a whole wrap.
  const EditLineLayout::Advances a = TenEach();
  String text;
  for (int i = 0; i < 200; ++i) text += i % 7 == 0 ? "longerword " : "ab cde ";
  EditLineLayout l;
  l.Build(text, a, 155);
  for (size_t at : {size_t(0), text.size() / 2, text.size()}) {
    for (char c : String("xx yyyyyyyyyyyyyyyyyy z")) {
      text.insert(at, 1, c);
      l.Edited(text, at, 0, 1);
      ASSERT_EQ(l.Starts(), PlainWrap(text, a, 155)) << "typing at " << at;
      ++at;
    }
    for (int k = 0; k < 23; ++k) {
      --at;
      text.erase(at, 1);
      l.Edited(text, at, 1, 0);
      ASSERT_EQ(l.Starts(), PlainWrap(text, a, 155)) << "deleting at " << at;
    }
  }
}
