// The editors' text layout: rows and their placement for every alignment, justification,
// ellipsis and line limit, measuring, selection highlight, tabs and clipping. The test face
// at height -16 has cells 20 high and every character 10 wide; a visible character is a box
// over columns 0..8 and rows 4..19 of its cell, blanks draw nothing.
#include "classlib/visual/Graphics.h"
#include "platform/gdi/Text.h"
#include "tests/support/AppTest.h"
#include "widgets/editcore/cxEditTextUtils.h"
#include "widgets/foundation/cxGraphics.h"

#include <climits>

namespace {

using enum TcxTextAlignX;
using enum TcxTextAlignY;

constexpr COLORREF kWhite = RGB(255, 255, 255), kBlack = RGB(0, 0, 0), kRed = RGB(255, 0, 0),
                   kBlue = RGB(0, 0, 255);
constexpr Integer kAdv = 10, kLine = 20;

class EditTextUtilsTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    dc_ = CreateCompatibleDC(nullptr);
    bmp_ = CreateBitmap(kW, kH, 1, 32, nullptr);
    font_ = CreateFontA(-16, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, kTestFaceName);
    oldBmp_ = SelectObject(dc_, bmp_);
    oldFont_ = SelectObject(dc_, font_);
    Clear();
    SetBkMode(dc_, OPAQUE);
    SetTextColor(dc_, kBlack);
  }
  void TearDown() override {
    SelectObject(dc_, oldFont_);
    SelectObject(dc_, oldBmp_);
    DeleteObject(font_);
    DeleteObject(bmp_);
    DeleteDC(dc_);
    AppTest::TearDown();
  }

  void Clear() { PatBlt(dc_, 0, 0, kW, kH, WHITENESS); }
  COLORREF Px(int x, int y) const { return GetPixel(dc_, x, y); }
  int Count(COLORREF c, TRect r = {0, 0, kW, kH}) const {
    int n = 0;
    for (int y = r.Top; y < r.Bottom; ++y)
      for (int x = r.Left; x < r.Right; ++x) n += Px(x, y) == c;
    return n;
  }
  // Whether the cell at (x, y) shows a glyph box in colour c (its centre pixel).
  bool Box(int x, int y, COLORREF c = kBlack) const { return Px(x + 4, y + 12) == c; }

  // Lays out and places as cxTextOut does before drawing.
  TcxTextRows Layout(const char* text, TRect r, Cardinal flags, Integer maxLines = 0, bool* whole = nullptr) {
    TcxTextParams p;
    cxCalcTextParams(dc_, flags, p);
    TcxTextRows rows;
    Integer count = -1;
    bool w = cxMakeTextRows(dc_, text, r, maxLines, count, rows, p);
    EXPECT_EQ(Integer(rows.size()), count);
    cxPlaceTextRows(dc_, r, p, count, rows);
    if (whole) *whole = w;
    return rows;
  }
  static std::vector<String> Texts(const TcxTextRows& rows) {
    std::vector<String> out;
    for (const TcxTextRow& row : rows) out.emplace_back(row.Text, size_t(row.TextLength));
    return out;
  }

  static constexpr int kW = 240, kH = 160;
  HDC dc_ = nullptr;
  HBITMAP bmp_ = nullptr;
  HFONT font_ = nullptr;
  HGDIOBJ oldBmp_ = nullptr, oldFont_ = nullptr;
};

using Strings = std::vector<String>;

}  // namespace

TEST_F(EditTextUtilsTest, ParamsComeFromFlagsAndFont) {
  TcxTextParams p;
  cxCalcTextParams(dc_, cxMakeTextAlignFlags(taDistributeX, taBottom) | cxtfEndEllipsis | cxtfWholeRows, p);
  EXPECT_EQ(p.AlignX, taDistributeX);
  EXPECT_EQ(p.AlignY, taBottom);
  EXPECT_EQ(p.LineHeight, kLine);
  EXPECT_EQ(p.RowHeight, kLine);
  EXPECT_EQ(p.EllipsisWidth, 3 * kAdv);
  EXPECT_EQ(p.MaxCharWidth, kAdv);
  EXPECT_TRUE(p.EndEllipsis && p.WholeRows);
  EXPECT_FALSE(p.WordBreak || p.SingleLine || p.CalcRect || p.NoClip);
  // Alignment numbers past the last alignment read as left, not as an unknown value.
  cxCalcTextParams(dc_, 7, p);
  EXPECT_EQ(p.AlignX, taLeft);
  EXPECT_EQ(p.EllipsisWidth, 0);
}

TEST_F(EditTextUtilsTest, RowsBreakAtWordsCharactersAndLineEnds) {
  const TRect r{0, 0, 60, 200};
  // The blank that overflows is not part of the row, so the row fits the width.
  TcxTextRows rows = Layout("aaa bb cccc", r, cxtfWordBreak);
  EXPECT_EQ(Texts(rows), (Strings{"aaa bb", "cccc"}));
  EXPECT_EQ(rows[0].Width, 60);
  EXPECT_EQ(rows[0].BreakCount, 1);
  EXPECT_EQ(rows[1].StartIndex, 7);
  EXPECT_EQ(rows[1].Y, kLine);

  // A word longer than the width stays whole; character breaking splits it.
  EXPECT_EQ(Texts(Layout("abcdefgh xy", {0, 0, 35, 200}, cxtfWordBreak)), (Strings{"abcdefgh", "xy"}));
  EXPECT_EQ(Texts(Layout("abcdefgh", {0, 0, 35, 200}, cxtfWordBreak | cxtfCharBreak)),
            (Strings{"abc", "def", "gh"}));
  // Narrower than one character: still one character per row, never an empty loop.
  EXPECT_EQ(Texts(Layout("abc", {0, 0, 3, 200}, cxtfWordBreak | cxtfCharBreak)), (Strings{"a", "b", "c"}));

  // CR and LF end rows and are left out; single-line keeps them as characters.
  rows = Layout("a\r\nb", r, 0);
  EXPECT_EQ(Texts(rows), (Strings{"a", "b"}));
  EXPECT_EQ(rows[1].StartIndex, 3);
  EXPECT_EQ(Texts(Layout("a\r\nb", r, cxtfSingleLine)), (Strings{"a\r\nb"}));
  EXPECT_EQ(Texts(Layout("\n\nx", r, 0)), (Strings{"", "", "x"}));
  // The text ends at its first #0.
  EXPECT_EQ(Texts(Layout("ab\0cd", r, 0)), (Strings{"ab"}));
  EXPECT_TRUE(Layout("", r, cxtfWordBreak).empty());
  EXPECT_TRUE(Layout(nullptr, r, cxtfWordBreak).empty());
}

TEST_F(EditTextUtilsTest, RowsArePlacedForEachAlignment) {
  const TRect r{10, 20, 110, 120};
  struct Case {
    TcxTextAlignX x;
    TcxTextAlignY y;
    Integer X, Y;
  };
  for (const Case& c : {Case{taLeft, taTop, 10, 20}, Case{taCenterX, taCenterY, 50, 60},
                        Case{taRight, taBottom, 90, 100}}) {
    TcxTextRows rows = Layout("ab", r, cxMakeTextAlignFlags(c.x, c.y));
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].X, c.X) << int(c.x);
    EXPECT_EQ(rows[0].Y, c.Y) << int(c.y);
  }
  // Two rows centred: the pair's middle is the rectangle's.
  TcxTextRows rows = Layout("a\nbbb", r, cxMakeTextAlignFlags(taCenterX, taCenterY));
  EXPECT_EQ(rows[0].Y, 50);
  EXPECT_EQ(rows[1].Y, 70);
  EXPECT_EQ(rows[1].X, 45);

  // Over-wide and over-tall text starts before the rectangle unless kept inside.
  const TRect narrow{10, 20, 40, 30};
  rows = Layout("abcdef", narrow, cxMakeTextAlignFlags(taCenterX, taCenterY));
  EXPECT_EQ(rows[0].X, -5);
  EXPECT_EQ(rows[0].Y, 15);
  rows = Layout("abcdef", narrow, cxMakeTextAlignFlags(taRight, taCenterY) | cxtfKeepInsideX | cxtfKeepInsideY);
  EXPECT_EQ(rows[0].X, 10);
  EXPECT_EQ(rows[0].Y, 20);

  // Distributed rows: first at the top, last at the bottom, the remainder to the first gaps.
  rows = Layout("a\nb\nc", {0, 0, 100, 101}, cxMakeTextAlignFlags(taLeft, taDistributeY));
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].Y, 0);
  EXPECT_EQ(rows[1].Y, 41);
  EXPECT_EQ(rows[2].Y + kLine, 101);
  // Too little room to spread: rows keep their step.
  rows = Layout("a\nb\nc", {0, 0, 100, 30}, cxMakeTextAlignFlags(taLeft, taDistributeY));
  EXPECT_EQ(rows[1].Y, kLine);
}

TEST_F(EditTextUtilsTest, JustifiedRowsFillTheWidthExceptParagraphEnds) {
  const Cardinal justify = cxMakeTextAlignFlags(taJustifyX, taTop);
  const Cardinal distribute = cxMakeTextAlignFlags(taDistributeX, taTop);
  // Trailing blanks are dropped; the paragraph's last row and the text's last row count no breaks.
  TcxTextRows rows = Layout("aa bb cc dd ee\nff gg", {0, 0, 100, 200}, justify);
  EXPECT_EQ(Texts(rows), (Strings{"aa bb cc", "dd ee", "ff gg"}));
  EXPECT_EQ(rows[0].BreakCount, 2);
  EXPECT_EQ(rows[1].BreakCount, 0);
  EXPECT_EQ(rows[2].BreakCount, 0);
  rows = Layout("aa bb cc dd ee\nff gg", {0, 0, 100, 200}, distribute);
  EXPECT_EQ(rows[1].BreakCount, 1);
  EXPECT_EQ(rows[2].BreakCount, 1);
  // A row broken by the width right before a paragraph end is that paragraph's last row,
  // whether the paragraph ends in CR LF or in LF alone.
  for (const char* text : {"aaaa bbbb  \r\nc", "aaaa bbbb  \nc"}) {
    rows = Layout(text, {0, 0, 100, 200}, justify);
    EXPECT_EQ(rows[0].TextLength, 9) << text;
    EXPECT_EQ(rows[0].BreakCount, 0) << text;
  }
  // Blanks only: nothing to justify, and the layout ends.
  rows = Layout("      ", {0, 0, 30, 200}, justify);
  for (const TcxTextRow& row : rows) EXPECT_EQ(row.TextLength, 0);

  // Drawn: the first row's last box reaches the right edge, the paragraph end stays left.
  TRect r{0, 0, 100, 100};
  cxTextOut(dc_, "aa bb cc dd ee\nff gg", r, justify);
  EXPECT_TRUE(Box(90, 0)) << "'c' moved to the right edge";
  EXPECT_FALSE(Box(70, 0));
  EXPECT_TRUE(Box(30, kLine)) << "'e' of the unjustified paragraph end";
  EXPECT_FALSE(Box(90, kLine));
  EXPECT_TRUE(Box(30, 2 * kLine)) << "'g' of the text's last row";
  // Justification does not outlive the call.
  SIZE s{};
  GetTextExtentPoint32A(dc_, "a b", 3, &s);
  EXPECT_EQ(s.cx, 3 * kAdv);
}

TEST_F(EditTextUtilsTest, EllipsisAndLineLimit) {
  const char* five = "aaaa bbbb cccc dddd eeee";
  bool whole = true;
  TcxTextRows rows = Layout(five, {0, 0, 50, 200}, cxtfWordBreak, 2, &whole);
  EXPECT_EQ(Texts(rows), (Strings{"aaaa ", "bbbb "}));
  EXPECT_FALSE(whole);
  Layout("aaaa bbbb", {0, 0, 50, 200}, cxtfWordBreak, 2, &whole);
  EXPECT_TRUE(whole);

  // A line limit that cut the text forces the ellipsis on the last whole row.
  TRect r{0, 0, 50, 150};
  EXPECT_EQ(cxTextOut(dc_, five, r, cxtfWordBreak | cxtfEndEllipsis | cxtfWholeRows, 2), 2 * kLine);
  EXPECT_TRUE(Box(0, kLine) && Box(10, kLine)) << "\"bb\" fits beside the ellipsis";
  EXPECT_TRUE(Box(20, kLine) && Box(30, kLine) && Box(40, kLine)) << "the three dots";
  EXPECT_EQ(Count(kBlack, {0, 2 * kLine, kW, kH}), 0) << "nothing below the limit";
  EXPECT_EQ(Count(kBlack, {50, 0, kW, kH}), 0) << "nothing right of the rectangle";

  // The last row the height allows runs on and is cut with an ellipsis.
  Clear();
  r = {0, 0, 50, 30};
  cxTextOut(dc_, "aaaa bbbb cccc", r, cxtfWordBreak | cxtfEndEllipsis);
  EXPECT_EQ(Px(14, 25), kBlack) << "\"bb\" of the last row";
  EXPECT_EQ(Px(24, 25), kBlack) << "first dot after \"bb\"";
  EXPECT_EQ(Count(kBlack, {0, 30, kW, kH}), 0) << "clipped to the rectangle";

  // A right-aligned row with an ellipsis keeps the ellipsis beside its text, inside the rectangle.
  Clear();
  r = {0, 0, 80, 20};
  cxTextOut(dc_, "abcdefghijkl", r, cxMakeTextAlignFlags(taRight, taTop) | cxtfSingleLine | cxtfEndEllipsis);
  EXPECT_TRUE(Box(0, 0) && Box(40, 0) && Box(70, 0));
  EXPECT_EQ(Count(kBlack, {80, 0, kW, kH}), 0);
  // No ellipsis when the row fits.
  Clear();
  cxTextOut(dc_, "abc", r, cxtfSingleLine | cxtfEndEllipsis);
  EXPECT_FALSE(Box(30, 0));
}

TEST_F(EditTextUtilsTest, MeasuringReturnsTheNeededRectangle) {
  TRect r{5, 7, 1000, 7};   // no height is needed to measure
  EXPECT_EQ(cxTextOut(dc_, "aaa bb\ncccc", r, cxtfWordBreak | cxtfCalcRect | cxtfReturnRowCount), 2);
  EXPECT_EQ(r, (TRect{5, 7, 65, 7 + 2 * kLine}));
  r = {5, 7, 1000, 7};
  EXPECT_EQ(cxTextOut(dc_, "aaa bb\ncccc", r, cxtfWordBreak | cxtfCalcRect), 2 * kLine);
  // The indents narrow the text and widen the answer again; the line limit cuts the rows.
  r = {0, 0, 50, 0};
  EXPECT_EQ(cxTextOut(dc_, "aa bb cc", r, cxtfWordBreak | cxtfCalcRect, 2, 3, 4), 2 * kLine);
  EXPECT_EQ(r, (TRect{0, 0, 3 + 30 + 4, 2 * kLine}));
  // Single-line measuring takes the whole text as one row.
  r = {0, 0, 10, 0};
  EXPECT_EQ(cxTextOut(dc_, "ab\ncd", r, cxtfSingleLine | cxtfCalcRect | cxtfReturnRowCount), 1);
  EXPECT_EQ(r.Right, 5 * kAdv);
  // Measuring needs a positive width only; drawing needs an area.
  r = {0, 0, 0, 100};
  EXPECT_EQ(cxTextOut(dc_, "ab", r, cxtfCalcRect), 0);
  r = {0, 0, 100, 0};
  EXPECT_EQ(cxTextOut(dc_, "ab", r, 0), 0);
  r = {0, 0, 100, 100};
  EXPECT_EQ(cxTextOut(dc_, "ab", r, 0, 0, 60, 50), 0) << "indents larger than the rectangle";
  EXPECT_EQ(Count(kBlack), 0);
  EXPECT_EQ(cxTextOut(dc_, "", r, 0), 0);
  EXPECT_EQ(r, (TRect{0, 0, 100, 100})) << "drawing leaves the rectangle alone";
}

TEST_F(EditTextUtilsTest, SelectionIsHighlightedAndClippedToTheText) {
  TRect r{0, 0, 200, 40};
  cxTextOut(dc_, "abcdef", r, 0, 0, 0, TColor(kWhite), TColor(kRed), 2, 2, 0);
  EXPECT_TRUE(Box(10, 0)) << "'b' unselected";
  EXPECT_TRUE(Box(20, 0, kWhite) && Box(30, 0, kWhite)) << "'c' and 'd' in the selection text colour";
  EXPECT_EQ(Px(29, 2), kRed) << "selection background over the whole row band";
  EXPECT_EQ(Px(29, 19), kRed);
  EXPECT_EQ(Px(19, 10), kWhite) << "nothing before the selection";
  EXPECT_TRUE(Box(40, 0)) << "'e' unselected";
  EXPECT_EQ(Count(kRed), 2 * kAdv * kLine - 2 * 9 * 16) << "exactly the two cells less their boxes";
  EXPECT_EQ(GetBkMode(dc_), OPAQUE) << "background mode restored";
  EXPECT_EQ(GetTextColor(dc_), kBlack);

  // A selection past the end is cut at the text; one starting outside it shows nothing.
  Clear();
  cxTextOut(dc_, "abcdef", r, 0, 0, 0, TColor(kWhite), TColor(kRed), 1000, 4, 0);
  EXPECT_EQ(Px(59, 2), kRed);
  EXPECT_EQ(Px(61, 2), kWhite);
  for (Integer start : {-1, 6, INT_MAX}) {
    Clear();
    cxTextOut(dc_, "abcdef", r, 0, 0, 0, TColor(kWhite), TColor(kRed), 3, start, 0);
    EXPECT_EQ(Count(kRed), 0) << start;
  }
  // Across rows: each row highlights its own part; system colours are resolved.
  Clear();
  r = {0, 0, 200, 60};
  cxTextOut(dc_, "ab\ncd", r, 0, 0, 0, clHighlightText, TColor(kBlue), 3, 1, 0);
  EXPECT_EQ(Px(19, 2), kBlue) << "'b'";
  EXPECT_EQ(Px(9, kLine + 2), kBlue) << "'c' (the LF takes no cell)";
  EXPECT_EQ(Px(19, kLine + 2), kWhite);
  EXPECT_EQ(Px(14, 12), ColorToRGB(clHighlightText));
  // Justified: the highlight follows the widened blanks.
  Clear();
  r = {0, 0, 100, 60};
  cxTextOut(dc_, "aa bb cc dd", r, 0, 0, 0, TColor(kWhite), TColor(kRed), 2, 6,
            cxMakeTextAlignFlags(taJustifyX, taTop));
  EXPECT_TRUE(Box(80, 0, kWhite) && Box(90, 0, kWhite));
  EXPECT_EQ(Px(81, 2), kRed);
  EXPECT_EQ(Px(79, 2), kWhite) << "the widened blank before them is not selected";
}

TEST_F(EditTextUtilsTest, TabsExpandToDefaultStopsFromTheRowStart) {
  const DWORD tabbed = GetTabbedTextExtentA(dc_, "a\tb", 3, 0, nullptr);
  TSize s{};
  cxTextExtent(dc_, "a\tb", 3, s, true);
  EXPECT_EQ(s.cx, Integer(LOWORD(tabbed)));
  EXPECT_EQ(s.cy, kLine);
  ASSERT_GT(s.cx, 3 * kAdv);
  cxTextExtent(dc_, "a\tb", 3, s, false);
  EXPECT_EQ(s.cx, 3 * kAdv);
  // Wider than a 16-bit extent can say.
  String longText(7000, 'x');
  longText += "\tx";
  cxTextExtent(dc_, longText.c_str(), Integer(longText.size()), s, true);
  EXPECT_GT(s.cx, 7000 * kAdv);

  const Integer stop = Integer(LOWORD(tabbed)) - kAdv;   // where 'b' starts
  TRect r{20, 0, 220, 40};
  cxTextOut(dc_, "a\tb", r, cxtfExpandTabs);
  EXPECT_TRUE(Box(20, 0));
  EXPECT_TRUE(Box(20 + stop, 0)) << "the stops count from the row's own start";
  EXPECT_FALSE(Box(40, 0));
  // A tab is a break: rows split there and lose it.
  TcxTextRows rows = Layout("aaa\tbbb", {0, 0, 50, 100}, cxtfWordBreak | cxtfExpandTabs);
  EXPECT_EQ(Texts(rows), (Strings{"aaa", "bbb"}));
}

TEST_F(EditTextUtilsTest, ClipAndDcStateAreRestored) {
  // No clip before: none after.
  HRGN saved = cxSaveAndIntersectClip(dc_, {0, 0, 10, 10});
  EXPECT_EQ(saved, nullptr);
  SetPixel(dc_, 20, 20, kRed);
  cxRestoreClip(dc_, saved);
  EXPECT_EQ(Px(20, 20), kWhite) << "the pixel was outside the clip";
  HRGN probe = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(GetClipRgn(dc_, probe), 0);

  // A clip before: the same clip after, and text drawn through cxTextOut stays inside both.
  HRGN clip = CreateRectRgn(0, 0, 30, 100);
  SelectClipRgn(dc_, clip);
  TRect r{0, 0, 200, 100};
  cxTextOut(dc_, "abcdef", r, cxtfSingleLine);
  EXPECT_EQ(Count(kBlack, {30, 0, kW, kH}), 0);
  saved = cxSaveAndIntersectClip(dc_, {0, 0, 5, 5});
  ASSERT_NE(saved, nullptr);
  cxRestoreClip(dc_, saved);
  EXPECT_EQ(saved, nullptr);
  ASSERT_EQ(GetClipRgn(dc_, probe), 1);
  EXPECT_TRUE(EqualRgn(probe, clip));
  SelectClipRgn(dc_, nullptr);
  DeleteObject(clip);
  DeleteObject(probe);

  // Rows outside the rectangle are clipped unless asked not to be.
  Clear();
  r = {0, 0, 25, 15};
  cxTextOut(dc_, "abc\ndef", r, cxMakeTextAlignFlags(taLeft, taTop));
  EXPECT_EQ(Count(kBlack, {0, 15, kW, kH}) + Count(kBlack, {25, 0, kW, 15}), 0);
  Clear();
  cxTextOut(dc_, "abc", r, cxtfNoClip);
  EXPECT_TRUE(Box(20, 0));
}

TEST_F(EditTextUtilsTest, HostileRectanglesAndTextsEnd) {
  String words;
  for (int i = 0; i < 2000; ++i) words += i % 7 ? "word " : "\r\n\t ";
  const String solid(20000, 'x');
  for (TRect r : {TRect{INT_MIN, INT_MIN, INT_MAX, INT_MAX}, TRect{INT_MAX - 5, 0, INT_MAX, 50},
                  TRect{-100000, -100000, -99990, -99990}, TRect{0, 0, 1, 1}}) {
    for (Cardinal flags : {Cardinal(cxtfWordBreak | cxtfCharBreak | cxtfEndEllipsis),
                           Cardinal(cxMakeTextAlignFlags(taDistributeX, taDistributeY) | cxtfExpandTabs),
                           Cardinal(cxMakeTextAlignFlags(taCenterX, taBottom) | cxtfCalcRect | cxtfWordBreak)}) {
      for (const String* text : {static_cast<const String*>(&words), &solid}) {
        TRect rr = r;
        cxTextOut(dc_, text->c_str(), rr, INT_MIN, INT_MAX, 3, TColor(kWhite), TColor(kRed), INT_MAX, 1, flags);
        rr = r;
        cxTextOut(dc_, text->c_str(), rr, 0, 0, -5, TColor(kWhite), TColor(kRed), 10, 0, flags);
      }
    }
  }
  SIZE s{};
  GetTextExtentPoint32A(dc_, "a b", 3, &s);
  EXPECT_EQ(s.cx, 3 * kAdv) << "no justification left behind";
}

TEST_F(EditTextUtilsTest, CanvasFormsUseTheCanvasFont) {
  Owned<TBitmap> bmp(New<TBitmap>());
  bmp->SetWidth(100);
  bmp->SetHeight(40);
  bmp->Canvas()->Brush()->SetColor(clWhite);
  bmp->Canvas()->FillRect({0, 0, 100, 40});
  bmp->Canvas()->Font()->SetName(kTestFaceName);
  bmp->Canvas()->Font()->SetHeight(-16);
  bmp->Canvas()->Font()->SetColor(clBlue);
  Owned<TcxCanvas> canvas(New<TcxCanvas>(bmp->Canvas()));
  TcxTextParams p;
  cxCalcTextParams(canvas.get(), cxtfWordBreak, p);
  EXPECT_EQ(p.LineHeight, kLine);
  TRect r{0, 0, 100, 40};
  EXPECT_EQ(cxDrawCanvasText(canvas.get(), "ab", r, cxMakeTextAlignFlags(taRight, taTop)), kLine);
  EXPECT_EQ(bmp->Canvas()->GetPixel(94, 12), clBlue);
  EXPECT_EQ(bmp->Canvas()->GetPixel(74, 12), clWhite);
  r = {0, 0, 100, 40};
  cxTextOut(canvas.get(), "ab", r, 0, 0, 0, clWhite, clRed, 1, 0, 0);
  EXPECT_EQ(bmp->Canvas()->GetPixel(9, 12), clRed);
  EXPECT_EQ(bmp->Canvas()->GetPixel(4, 12), clWhite);
}
