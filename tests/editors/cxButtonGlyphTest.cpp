// The button's glyph strip: frame counts, state images (embossed and recoloured disabled
// frames read back pixel by pixel), the shared image-list cache, the glyph and caption
// layout, and the colour per state.
#include "classlib/visual/StdCtrls.h"
#include "tests/editors/EditorsTestSupport.h"
#include "widgets/editors/cxButtonGlyph.h"

#include <gtest/gtest.h>

namespace {

using BS = TcxButtonState;
using L = TButtonLayout;

class ButtonGlyph : public EditorsTest {
 protected:
  // Draws the state's image of g at (0, 0) on fresh paper.
  void DrawState(TcxButtonGlyph& g, BS state) {
    Make(40, 40);
    g.Draw(*canvas, {0, 0, g.GlyphSize().cx, g.GlyphSize().cy}, {0, 0}, "", L::blGlyphLeft, 0, 0, state, false, 0);
  }
};

TEST_F(ButtonGlyph, NumGlyphsFollowsSquareFramesAndIsClamped) {
  Owned<TcxButtonGlyph> g(New<TcxButtonGlyph>());
  const struct {
    int w, h, before, after;
  } cases[] = {{64, 16, 1, 4}, {96, 16, 1, 1}, {40, 16, 2, 2}, {16, 16, 3, 1}};
  for (const auto& c : cases) {
    g->SetNumGlyphs(c.before);
    g->SetGlyph(Strip(c.w, c.h, clRed).get());
    EXPECT_EQ(g->GetNumGlyphs(), c.after) << c.w << "x" << c.h;
  }
  g->SetNumGlyphs(9);
  EXPECT_EQ(g->GetNumGlyphs(), 4);
  g->SetNumGlyphs(0);
  EXPECT_EQ(g->GetNumGlyphs(), 4);
  // More frames than pixels: no frame to show, nothing built, nothing drawn.
  g->SetGlyph(Strip(3, 16, clRed).get());
  g->SetNumGlyphs(4);
  EXPECT_EQ(g->GlyphSize().cx, 0);
  EXPECT_EQ(g->CreateButtonGlyph(BS::cxbsNormal), -1);
  EXPECT_EQ(g->GlyphList(), nullptr);
  g->SetGlyph(nullptr);
  EXPECT_EQ(g->GetGlyph()->GetWidth(), 0);
  EXPECT_EQ(g->CreateButtonGlyph(BS::cxbsNormal), -1);
}

TEST_F(ButtonGlyph, StatesPickTheirFramesWithFallbacks) {
  Owned<TcxButtonGlyph> g(New<TcxButtonGlyph>());
  // Three 8 x 8 frames: red up, blue disabled, lime down (bottom-left pixel kept olive).
  Owned<TBitmap> strip = Strip(24, 8, clRed);
  strip->Canvas()->Brush()->SetColor(clBlue);
  strip->Canvas()->FillRect({8, 0, 16, 8});
  strip->Canvas()->Brush()->SetColor(clLime);
  strip->Canvas()->FillRect({16, 0, 24, 8});
  for (int f = 0; f < 3; ++f) strip->Canvas()->SetPixel(f * 8, 7, clOlive);
  g->SetGlyph(strip.get());
  ASSERT_EQ(g->GetNumGlyphs(), 3);
  const struct {
    int num;
    BS state;
    TColor seen;
  } cases[] = {{3, BS::cxbsPressed, clLime}, {3, BS::cxbsHot, clRed}, {3, BS::cxbsDisabled, clBlue},
               {2, BS::cxbsPressed, clRed},  {2, BS::cxbsDefault, clRed}, {1, BS::cxbsPressed, clRed}};
  for (const auto& c : cases) {
    g->SetNumGlyphs(c.num);
    DrawState(*g, c.state);
    EXPECT_EQ(Px(3, 3), Rgb(c.seen)) << c.num << " " << int(c.state);
    // The bottom-left colour is the automatic mask: paper shows through.
    EXPECT_EQ(Px(0, 7), kPaper);
  }
}

// A one-frame glyph disabled: its shape (all but the bottom-left colour) is copied through a
// monochrome mask with DSPDxax, highlight one pixel down and right, then shadow in place.
TEST_F(ButtonGlyph, DisabledOneFrameGlyphIsEmbossed) {
  Owned<TcxButtonGlyph> g(New<TcxButtonGlyph>());
  Owned<TBitmap> strip = Strip(8, 8, clOlive);
  const std::pair<int, int> shape[] = {{2, 2}, {3, 2}, {3, 3}, {5, 5}};
  for (auto [x, y] : shape) strip->Canvas()->SetPixel(x, y, x == 5 ? clWhite : clNavy);
  g->SetGlyph(strip.get());
  DrawState(*g, BS::cxbsDisabled);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) {
      bool inShape = false, belowRight = false;
      for (auto [sx, sy] : shape) {
        inShape |= sx == x && sy == y;
        belowRight |= sx + 1 == x && sy + 1 == y;
      }
      // The face left around the shape is the image's own mask colour.
      const TColor want = inShape ? Rgb(clBtnShadow) : belowRight ? Rgb(clBtnHighlight) : kPaper;
      EXPECT_EQ(Px(x, y), want) << x << "," << y;
    }
}

TEST_F(ButtonGlyph, DisabledFrameIsRecolouredInThreePasses) {
  Owned<TcxButtonGlyph> g(New<TcxButtonGlyph>());
  Owned<TBitmap> strip = Strip(8, 4, clRed);
  TCanvas* c = strip->Canvas();
  // Disabled frame (4..7): white, gray, olive and a red that stays.
  c->SetPixel(4, 0, clWhite);
  c->SetPixel(5, 0, clGray);
  c->SetPixel(6, 0, clOlive);
  c->SetPixel(4, 3, clMaroon);  // bottom-left: the automatic mask
  g->SetGlyph(strip.get());
  g->SetNumGlyphs(2);
  DrawState(*g, BS::cxbsDisabled);
  EXPECT_EQ(Px(0, 0), Rgb(clBtnHighlight));
  EXPECT_EQ(Px(1, 0), Rgb(clBtnShadow));
  EXPECT_EQ(Px(2, 0), Rgb(clBtnFace));
  EXPECT_EQ(Px(3, 0), Rgb(clRed));
  EXPECT_EQ(Px(0, 3), kPaper);
}

TEST_F(ButtonGlyph, GlyphsOfOneSizeShareAListThatDiesWithThem) {
  EXPECT_EQ(cxGlyphCache(), nullptr);
  auto* a = New<TcxButtonGlyph>();
  auto* b = New<TcxButtonGlyph>();
  auto* other = New<TcxButtonGlyph>();
  a->SetGlyph(Strip(16, 16, clRed).get());
  b->SetGlyph(Strip(16, 16, clBlue).get());
  other->SetGlyph(Strip(8, 8, clBlue).get());
  EXPECT_EQ(a->CreateButtonGlyph(BS::cxbsNormal), 0);
  EXPECT_EQ(b->CreateButtonGlyph(BS::cxbsNormal), 1);
  EXPECT_EQ(other->CreateButtonGlyph(BS::cxbsNormal), 0);
  EXPECT_EQ(a->GlyphList(), b->GlyphList());
  EXPECT_NE(a->GlyphList(), other->GlyphList());
  ASSERT_NE(cxGlyphCache(), nullptr);
  EXPECT_EQ(cxGlyphCache()->Count(), 2);
  // A released slot is the next one used.
  TcxGlyphList* shared = a->GlyphList();
  a->SetNumGlyphs(1);
  a->Invalidate();
  EXPECT_EQ(b->CreateButtonGlyph(BS::cxbsDisabled), 0);
  EXPECT_EQ(shared->UsedCount(), 2);
  other->Free();
  EXPECT_EQ(cxGlyphCache()->Count(), 1);
  a->Free();
  b->Free();
  EXPECT_EQ(cxGlyphCache(), nullptr);
}

TEST_F(ButtonGlyph, LayoutPlacesGlyphAndCaptionWithMarginAndSpacing) {
  Owned<TcxButtonGlyph> g(New<TcxButtonGlyph>());
  g->SetGlyph(Strip(10, 8, clRed).get());
  const TSize t = canvas->TextExtent("Ab");
  const TRect client{5, 7, 105, 67};  // 100 x 60
  const TPoint offset{1, 1};
  struct Case {
    L layout;
    int margin, spacing;
    TPoint glyph, text;  // in the client, before offset
  };
  const int cy = (60 - 8) / 2, ty = (60 - t.cy - 1) / 2, cx = (100 - 10) / 2, tx = (100 - t.cx) / 2;
  const Case cases[] = {
      {L::blGlyphLeft, 3, 4, {3, cy}, {3 + 10 + 4, ty}},
      {L::blGlyphRight, 3, 4, {3 + t.cx + 4, cy}, {3, ty}},
      {L::blGlyphTop, 2, 5, {cx, 2}, {tx, 2 + 8 + 5}},
      {L::blGlyphBottom, 2, 5, {cx, 2 + t.cy + 5}, {tx, 2}},
      // Automatic: margin and spacing a third each of what is left.
      {L::blGlyphLeft, -1, -1, {(100 - 10 - t.cx) / 3, cy}, {(100 - 10 - t.cx) / 3 * 2 + 10, ty}},
      // Automatic margin centres the pair around the given spacing.
      {L::blGlyphLeft, -1, 4, {(100 - 14 - t.cx) / 2, cy}, {(100 - 14 - t.cx) / 2 + 14, ty}},
      // Automatic spacing halves what the margin and glyph leave.
      {L::blGlyphTop, 6, -1, {cx, 6}, {tx, 6 + 8 + (60 - 14 - t.cy) / 2}},
  };
  for (const Case& c : cases) {
    const TcxButtonGlyphLayout r = g->CalcLayout(*canvas, client, offset, "Ab", c.layout, c.margin, c.spacing, 0);
    EXPECT_EQ(r.GlyphPos.X, 5 + 1 + c.glyph.X) << int(c.layout) << " " << c.margin << " " << c.spacing;
    EXPECT_EQ(r.GlyphPos.Y, 7 + 1 + c.glyph.Y) << int(c.layout) << " " << c.margin << " " << c.spacing;
    EXPECT_EQ(r.TextRect.Left, 5 + 1 + c.text.X) << int(c.layout);
    EXPECT_EQ(r.TextRect.Top, 7 + 1 + c.text.Y) << int(c.layout);
    EXPECT_EQ(r.TextRect.Right - r.TextRect.Left, t.cx);
  }
  // Right-aligned text swaps left and right.
  const auto swapped = g->CalcLayout(*canvas, client, {0, 0}, "Ab", L::blGlyphLeft, 3, 4, DT_RIGHT);
  EXPECT_EQ(swapped.TextRect.Left, 5 + 3);
  // Without a glyph the caption has 1 pixel left and 2 right, and no spacing.
  g->SetGlyph(nullptr);
  const auto bare = g->CalcLayout(*canvas, client, {0, 0}, "Ab", L::blGlyphLeft, 0, 4, 0);
  EXPECT_EQ(bare.TextRect.Left, 5 + 1);
  const auto centred = g->CalcLayout(*canvas, client, {0, 0}, "Ab", L::blGlyphLeft, -1, 4, 0);
  EXPECT_EQ(centred.TextRect.Left, 5 + (100 - (t.cx + 3)) / 2 + 1);
}

TEST_F(ButtonGlyph, DisabledCaptionIsEmbossed) {
  Owned<TcxButtonGlyph> g(New<TcxButtonGlyph>());
  Make(60, 30);
  canvas->GetFont()->SetColor(clBlack);
  const TRect r = g->Draw(*canvas, {0, 0, 60, 30}, {0, 0}, "W", L::blGlyphLeft, -1, 4, BS::cxbsDisabled, false, 0);
  int black = 0, light = 0;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 60; ++x) {
      black += Px(x, y) == Rgb(clBlack);
      light += Px(x, y) == Rgb(clBtnHighlight);
      if (Px(x, y) != kPaper) {
        EXPECT_TRUE(x >= r.Left && x <= r.Right && y >= r.Top && y <= r.Bottom) << x << "," << y;
      }
    }
  EXPECT_GT(black, 0);
  EXPECT_GT(light, 0);
}

TEST_F(ButtonGlyph, ColoursPerStateAndTheirAssignedSet) {
  TButton* owner = New<TButton>(nullptr);
  Owned<TcxButtonColors> colors(New<TcxButtonColors>(owner));
  colors->SetHot(clRed);
  colors->SetPressed(clBlue);
  EXPECT_EQ(colors->GetAssignedColors(), (TcxButtonAssignedColors{BS::cxbsHot, BS::cxbsPressed}));
  colors->SetHot(clNone);
  EXPECT_EQ(colors->GetHot(), clDefault);
  EXPECT_EQ(colors->GetAssignedColors(), (TcxButtonAssignedColors{BS::cxbsPressed}));
  // The set itself is written only while designing.
  colors->SetAssignedColors({});
  EXPECT_EQ(colors->GetPressed(), clBlue);
  owner->SetDesigning(true, false);
  colors->SetAssignedColors({BS::cxbsNormal});
  EXPECT_EQ(colors->GetPressed(), clDefault);
  EXPECT_TRUE(colors->GetAssignedColors().Empty()) << "a state without a colour is dropped";
  Owned<TcxButtonColors> copy(New<TcxButtonColors>(owner));
  colors->SetDisabled(clGreen);
  copy->Assign(colors.get());
  EXPECT_EQ(copy->GetDisabled(), clGreen);
  EXPECT_EQ(copy->GetAssignedColors(), (TcxButtonAssignedColors{BS::cxbsDisabled}));
  colors.reset();
  copy.reset();
  owner->Free();
}

}  // namespace
