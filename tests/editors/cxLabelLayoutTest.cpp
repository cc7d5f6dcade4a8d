// The label's measuring and placing: content size by wrap, rotation, effects, border and
// in-place margins; where each alignment puts the text, wrapped or not; rotated text
// centred; and the settings of the game's pause banner painted over a board.
#include "tests/editors/LabelTestSupport.h"

#include <cmath>

namespace {

using E = TcxLabelEffect;
using O = TcxLabelOrientation;

class LabelLayoutTest : public LabelTest {
 protected:
  void SetUp() override {
    LabelTest::SetUp();
    canvas->GetFont()->Assign(style->GetFont());
    adv = canvas->TextWidth("a");
    row = canvas->TextHeight("a");
  }
  // Pixels that are not the white paper.
  TRect Ink(const TRect& R) {
    TRect box{R.Right, R.Bottom, R.Left, R.Top};
    for (int y = R.Top; y < R.Bottom; ++y)
      for (int x = R.Left; x < R.Right; ++x)
        if (Px(x, y) != TColor(0xFFFFFF)) {
          box = {std::min<Integer>(box.Left, x), std::min<Integer>(box.Top, y),
                 std::max<Integer>(box.Right, x + 1), std::max<Integer>(box.Bottom, y + 1)};
        }
    return box.Left < box.Right ? box : TRect{};
  }
  Integer adv = 0, row = 0;
};

TEST_F(LabelLayoutTest, ContentSizeOfPlainWrappedAndEmptyText) {
  ASSERT_EQ(adv, 6);  // the test face at 10 pixels: advance round(0.6 E)
  EXPECT_EQ(ContentSize("abc"), (TSize{3 * adv, row}));
  EXPECT_EQ(ContentSize(""), (TSize{canvas->TextWidth(" "), row}))
      << "an empty label keeps one line";
  EXPECT_EQ(ContentSize("&abc"), (TSize{3 * adv, row})) << "the accelerator marker takes no room";
  props->SetShowAccelChar(false);
  EXPECT_EQ(ContentSize("&abc"), (TSize{4 * adv, row}));
  EXPECT_EQ(ContentSize("aaa bbb", 4 * adv), (TSize{7 * adv, row})) << "no wrap without WordWrap";
  props->SetWordWrap(true);
  EXPECT_EQ(ContentSize("aaa bbb", 4 * adv), (TSize{3 * adv, 2 * row}));
  // No width limit means no wrapping, standing as well as in place.
  EXPECT_EQ(ContentSize("aaa bbb", -1), (TSize{7 * adv, row}));
  EXPECT_EQ(ContentSize("aaa bbb", -1, true), (TSize{7 * adv + 2, row + 2}))
      << "plus the in-place margins";
  EXPECT_EQ(ContentSize("aaa bbb", 4 * adv + 2, true), (TSize{3 * adv + 2, 2 * row + 2}));
  style->SetBorderStyle(TcxContainerBorderStyle::cbsSingle);
  EXPECT_EQ(ContentSize("a b", 3 * adv + 2), (TSize{3 * adv + 2, row}));
  EXPECT_EQ(ContentSize("a b", 3 * adv), (TSize{adv + 2, 2 * row}))
      << "the border's 2 leave too little room";
}

TEST_F(LabelLayoutTest, ContentSizeOfRotatedText) {
  const Integer w = 3 * adv, h = row;
  props->SetWordWrap(true);
  const struct {
    Integer angle;
    TSize size;
  } cases[] = {{0, {w, h}}, {90, {h, w}}, {180, {w, h}}, {270, {h, w}}, {-90, {h, w}}};
  for (auto c : cases) {
    props->SetAngle(c.angle);
    EXPECT_EQ(ContentSize("abc", 100), c.size) << c.angle;
  }
  props->SetAngle(30);
  const double a = 30 * 3.14159265358979323846 / 180;
  EXPECT_EQ(ContentSize("abc"), (TSize{Integer(std::cos(a) * w + std::sin(a) * h + 0.5),
                                       Integer(std::sin(a) * w + std::cos(a) * h + 0.5)}));
  props->SetAngle(90);
  EXPECT_EQ(ContentSize("aaa bbb", 4 * adv), (TSize{row, 7 * adv}))
      << "rotated text is never wrapped";
  style->GetFont()->SetName("MS Sans Serif");  // not TrueType: the angle is ignored
  canvas->GetFont()->Assign(style->GetFont());
  EXPECT_EQ(ContentSize("abc"), canvas->TextExtent("abc"));
}

TEST_F(LabelLayoutTest, ContentSizeGrowsByTheEffect) {
  props->SetDepth(5);
  props->SetOrientation(O::cxoRight);
  EXPECT_EQ(ContentSize("ab"), (TSize{2 * adv, row})) << "Depth alone changes nothing";
  props->SetLabelEffect(E::cxleExtrude);
  EXPECT_EQ(ContentSize("ab"), (TSize{2 * adv + 5 + 1, row + 1}))
      << "below 12 points one extra step";
  props->SetLabelEffect(E::cxleCool);
  props->SetOrientation(O::cxoLeftTop);
  EXPECT_EQ(ContentSize("ab"), (TSize{2 * adv + 5, row + 5}));
  props->SetLabelEffect(E::cxleFun);
  style->GetFont()->SetSize(12);
  canvas->GetFont()->Assign(style->GetFont());
  const TSize big = canvas->TextExtent("ab");
  EXPECT_EQ(ContentSize("ab"), (TSize{big.cx + 5 + 2, big.cy + 5 + 2})) << "from 12 points on two";
}

TEST_F(LabelLayoutTest, AutoSizeFitsTheCaptionWithTheStyleBorder) {
  style->SetTransparentBorder(true);  // the default: 2 pixels around the client area
  TcxEditSizeProperties sp;
  const TSize size = props->CalculateEditSize(*canvas, style, false, Variant(String("abc")), sp);
  EXPECT_EQ(size, (TSize{3 * adv + 4, row + 4}));
  props->SetLabelEffect(E::cxleExtrude);
  props->SetDepth(3);
  const TSize deeper = props->CalculateEditSize(*canvas, style, false, Variant(String("abc")), sp);
  EXPECT_EQ(deeper, (TSize{size.cx + 3 + 1, size.cy + 3 + 1}));
  // Painted at that size, the caption and every copy fit.
  Make(deeper.cx, deeper.cy, clWhite);
  Layout({0, 0, deeper.cx, deeper.cy}, "abc");
  Paint();
  const TRect ink = Ink({0, 0, deeper.cx, deeper.cy});
  EXPECT_EQ(ink.Right, deeper.cx - 2 - 1)
      << "the last copy's box ends inside the border, less its gap column";
  EXPECT_EQ(ink.Bottom, deeper.cy - 2);
}

TEST_F(LabelLayoutTest, TextRectFlagsAndDisplayText) {
  Layout({0, 0, 40, 20}, "a");
  EXPECT_EQ(info->TextRect, (TRect{0, 0, 40, 20}));
  style->SetTransparentBorder(true);
  Layout({0, 0, 40, 20}, "a");
  EXPECT_EQ(info->TextRect, (TRect{2, 2, 38, 18}))
      << "the client area inside the transparent border";
  style->SetTransparentBorder(false);
  EXPECT_EQ(Integer(info->DrawTextFlags), cxAlignLeft | cxAlignTop | cxShowPrefix);
  Layout({0, 0, 40, 20}, "a", true);
  EXPECT_EQ(info->TextRect, (TRect{1, 1, 39, 19}));
  props->SetWordWrap(true);
  props->SetShowAccelChar(false);
  props->GetAlignment()->SetHorz(TAlignment::taRightJustify);
  props->GetAlignment()->SetVert(TcxEditVertAlignment::taVCenter);
  Layout({0, 0, 40, 20}, "a", true);
  EXPECT_EQ(Integer(info->DrawTextFlags), cxAlignRight | cxAlignVCenter | cxWordBreak);
  props->SetAngle(90);
  Layout({0, 0, 40, 20}, "a", true);
  EXPECT_EQ(Integer(info->DrawTextFlags), cxAlignRight | cxAlignVCenter)
      << "no word break when rotated";
  EXPECT_EQ(info->Angle, 90);
  // The display text of values.
  String text = "old";
  data->EditValueToDisplayText(VarArrayOf({Variant(1), Variant(2)}), text);
  EXPECT_EQ(text, "") << "an array has no text form";
  data->EditValueToDisplayText(Variant(12), text);
  EXPECT_EQ(text, "12");
  data->EditValueToDisplayText(Variant(), text);
  EXPECT_EQ(text, "");
}

TEST_F(LabelLayoutTest, EachAlignmentPlacesTheTextWrappedOrNot) {
  // "aaaa bbbb" is 9 advances: wider than the label, so it wraps into two lines of four.
  const Integer ink = 4 * adv - 1;  // four boxes, the last without its gap column
  const Integer lead = row - 10;    // rows above the box: the internal leading
  const struct {
    TAlignment horz;
    Integer left;
  } horz[] = {{TAlignment::taLeftJustify, 0},
              {TAlignment::taCenter, (40 - 4 * adv) / 2},
              {TAlignment::taRightJustify, 40 - 4 * adv}};
  for (auto h : horz) {
    props->GetAlignment()->SetHorz(h.horz);
    props->GetAlignment()->SetVert(TcxEditVertAlignment::taTopJustify);
    props->SetWordWrap(true);
    Make(40, 40, clWhite);
    Layout({0, 0, 40, 40}, "aaaa bbbb");
    Paint();
    EXPECT_EQ(Ink({0, 0, 40, 40}), (TRect{h.left, lead, h.left + ink, 2 * row})) << Ord(h.horz);
    props->GetAlignment()->SetVert(TcxEditVertAlignment::taBottomJustify);
    Make(40, 40, clWhite);
    Layout({0, 0, 40, 40}, "aaaa bbbb");
    Paint();
    EXPECT_EQ(Ink({0, 0, 40, 40}).Bottom, 40) << Ord(h.horz);
    props->SetWordWrap(false);
    props->GetAlignment()->SetVert(TcxEditVertAlignment::taVCenter);
    Make(40, 40, clWhite);
    Layout({0, 0, 40, 40}, "aaaa");
    Paint();
    EXPECT_EQ(Ink({0, 0, 40, 40}),
              (TRect{h.left, (40 - row) / 2 + lead, h.left + ink, (40 - row) / 2 + row}))
        << Ord(h.horz);
  }
}

TEST_F(LabelLayoutTest, RotatedTextIsCentred) {
  const struct {
    Integer angle;
    bool upright;
  } cases[] = {{0, false}, {90, true}, {180, false}, {270, true}, {30, false}};
  for (auto c : cases) {
    props->SetAngle(c.angle);
    Make(60, 60, clWhite);
    Layout({0, 0, 60, 60}, "abc");
    Paint();
    const TRect ink = Ink({0, 0, 60, 60});
    ASSERT_FALSE(ink.IsEmpty()) << c.angle;
    EXPECT_EQ(ink.Height() > ink.Width(), c.upright) << c.angle;
    if (c.angle == 0) continue;  // unrotated text follows the alignment: top left
    EXPECT_NEAR((ink.Left + ink.Right) / 2.0, 30.0, 2.5) << c.angle;
    EXPECT_NEAR((ink.Top + ink.Bottom) / 2.0, 30.0, 2.5) << c.angle;
  }
  // A raster face is never turned.
  style->GetFont()->SetName("MS Sans Serif");
  props->SetAngle(90);
  Make(60, 60, clWhite);
  Layout({0, 0, 60, 60}, "abc");
  Paint();
  EXPECT_GT(Ink({0, 0, 60, 60}).Width(), Ink({0, 0, 60, 60}).Height());
}


TEST_F(LabelLayoutTest, PauseBannerIsBoldNavyCentredWrappedAndTransparentOverTheBoard) {
  const String caption = "Game is paused. Press F5 to resume.";
  style->GetFont()->SetName("Tahoma");
  style->GetFont()->SetStyle({TFontStyle::fsBold});
  style->GetFont()->SetHeight(-16);
  style->SetTextColor(clNavy);
  props->GetAlignment()->SetHorz(TAlignment::taCenter);
  props->SetWordWrap(true);
  props->SetTransparent(true);
  EXPECT_EQ(style->GetFont()->GetSize(), 12);
  // The board: two colours in 8-pixel squares.
  const TColor board[2] = {TColor(0x20A020), TColor(0xC0C0C0)};
  Make(200, 100, clWhite);
  for (int y = 0; y < 100; y += 8)
    for (int x = 0; x < 200; x += 8)
      cxFillRectByColor(*canvas, {x, y, x + 8, y + 8}, board[(x / 8 + y / 8) % 2]);
  auto boardAt = [&](int x, int y) { return Rgb(board[(x / 8 + y / 8) % 2]); };
  const TRect bounds{20, 10, 180, 90};
  EXPECT_GT(ContentSize(caption, bounds.Width()).cy, ContentSize(caption).cy)
      << "wraps at the label's width";
  Layout(bounds, caption);
  Paint();
  Dump("pause-banner");
  EXPECT_GT(CountColor(bounds, clNavy), 100) << "solid navy strokes";
  // Every pixel is the board or ink: no background was filled.
  Integer boardPixels = 0, other = 0;
  for (int y = bounds.Top; y < bounds.Bottom; ++y)
    for (int x = bounds.Left; x < bounds.Right; ++x) {
      const TColor p = Px(x, y);
      if (p == boardAt(x, y))
        ++boardPixels;
      else if (p == TColor(0xFFFFFF))
        ++other;
    }
  EXPECT_EQ(other, 0);
  EXPECT_GT(boardPixels, bounds.Width() * bounds.Height() / 2);
  // Two or more lines, each centred.
  std::vector<std::pair<int, int>> bands;
  for (int y = bounds.Top; y < bounds.Bottom; ++y) {
    const bool inked = !InkBox({bounds.Left, y, bounds.Right, y + 1}, clNavy).IsEmpty();
    if (!inked) continue;
    if (bands.empty() || y != bands.back().second)
      bands.push_back({y, y + 1});
    else
      bands.back().second = y + 1;
  }
  // Lines are the bands taller than a dot over a letter.
  bands.erase(
      std::remove_if(bands.begin(), bands.end(), [](auto b) { return b.second - b.first < 6; }),
      bands.end());
  ASSERT_EQ(bands.size(), 2u);
  for (auto [top, bottom] : bands) {
    const TRect line = InkBox({bounds.Left, top, bounds.Right, bottom}, clNavy);
    EXPECT_NEAR(line.Left - bounds.Left, bounds.Right - line.Right, 4) << top;
  }
}

}  // namespace
