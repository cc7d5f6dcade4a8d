#include "platform/gdi/FontEngine.h"
#include "platform/gdi/Text.h"
#include "platform/kernel/Version.h"
#include "tests/support/AppTest.h"
#include "widgets/foundation/cxControls.h"
#include "widgets/foundation/cxGraphics.h"
#include "widgets/foundation/dxOffice11.h"

#include <cstdlib>
#include <vector>

namespace {

class CanvasTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    Make(60, 40);
  }
  void TearDown() override {
    canvas.reset();
    bitmap.reset();
    AppTest::TearDown();
  }
  void Make(int w, int h, TColor fill = clWhite) {
    canvas.reset();
    bitmap.reset(New<TBitmap>());
    bitmap->SetPixelFormat(TPixelFormat::pf32bit);
    bitmap->SetSize(w, h);
    bitmap->Canvas()->Brush()->SetColor(fill);
    bitmap->Canvas()->FillRect({0, 0, w, h});
    canvas.reset(New<TcxCanvas>(bitmap->Canvas()));
    canvas->GetFont()->SetName(kTestFaceName);
    canvas->GetFont()->SetHeight(-10);
  }
  TColor Px(int x, int y) { return bitmap->Canvas()->GetPixel(x, y); }
  bool Painted(const TRect& r, TColor paper = clWhite) {
    for (int y = r.Top; y < r.Bottom; ++y)
      for (int x = r.Left; x < r.Right; ++x)
        if (Px(x, y) != paper) return true;
    return false;
  }
  Owned<TBitmap> bitmap;
  Owned<TcxCanvas> canvas;
};

using CanvasText = CanvasTest;

TEST_F(CanvasText, FlagConversion) {
  EXPECT_EQ(cxFlagsToDTFlags(0), DT_NOPREFIX);
  EXPECT_EQ(cxFlagsToDTFlags(cxWordBreak), DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX);
  EXPECT_EQ(cxFlagsToDTFlags(cxShowPrefix | cxAlignLeft | cxAlignTop), 0u);
  EXPECT_EQ(cxFlagsToDTFlags(cxAlignRight | cxAlignBottom | cxSingleLine),
            DT_RIGHT | DT_BOTTOM | DT_SINGLELINE | DT_NOPREFIX);
}

TEST_F(CanvasText, LineWalkEndsEvenWhenNothingFits) {
  TRectArray rects;
  canvas->GetTextLineRects("abc def", {0, 0, 1, 100}, rects, cxAlignLeft | cxWordBreak);
  EXPECT_EQ(rects.size(), 7u) << "one character a line";
  canvas->GetTextLineRects("abc", {5, 5, 6, 6}, rects, cxAlignLeft | cxWordBreak, false);
  EXPECT_EQ(rects.size(), 3u) << "a one-pixel disabled box shrinks to nothing";
  canvas->GetTextLineRects("&&&", {0, 0, 0, 0}, rects, cxShowPrefix);
  EXPECT_EQ(rects.size(), 1u) << "prefix marks are stripped first";
}

TEST_F(CanvasText, LineBreaksAndWrapping) {
  const Integer h = canvas->TextHeight("Qq");
  TRectArray rects;
  canvas->GetTextLineRects("ab\r\ncd\n\rde\r\rf", {0, 0, 500, 500}, rects, cxAlignLeft);
  ASSERT_EQ(rects.size(), 5u) << "CR LF and LF CR are one break each, CR CR two";
  EXPECT_EQ(rects[4].Top, 4 * h);
  EXPECT_EQ(rects[3].Right - rects[3].Left, 0) << "the empty line between two CRs";
  // Cut after the last blank that fits; right alignment drops that blank.
  const Integer w = canvas->TextWidth("aaa bbb ");
  canvas->GetTextLineRects("aaa bbb ccc", {0, 0, w, 500}, rects, cxAlignLeft);
  ASSERT_EQ(rects.size(), 2u);
  EXPECT_EQ(rects[0].Right, w) << "the blank stays on a left-aligned line";
  canvas->GetTextLineRects("aaa bbb ccc", {0, 0, w, 500}, rects, cxAlignRight);
  ASSERT_EQ(rects.size(), 2u);
  EXPECT_EQ(rects[0].Left, w - canvas->TextWidth("aaa bbb"));
  EXPECT_EQ(rects[1].Right, w);
  // A long word with no blank is cut where it stops fitting.
  canvas->GetTextLineRects("abcdefgh", {0, 0, canvas->TextWidth("abc"), 500}, rects, cxAlignLeft);
  EXPECT_EQ(rects.size(), 3u);
}

TEST_F(CanvasText, DisabledTextIsEmbossedOnePixelDownRight) {
  Make(60, 30, clBtnFace);
  canvas->DrawText("I", {10, 5, 50, 25}, cxSingleLine | cxAlignLeft | cxAlignTop, false);
  const TColor light = TColor(ColorToRGB(clBtnHighlight)), dark = TColor(ColorToRGB(clBtnShadow));
  int lightCount = 0, darkCount = 0, minDarkX = 99, minLightX = 99;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 60; ++x) {
      if (Px(x, y) == dark) {
        ++darkCount;
        minDarkX = std::min(minDarkX, x);
      }
      if (Px(x, y) == light) {
        ++lightCount;
        minLightX = std::min(minLightX, x);
      }
    }
  EXPECT_GT(darkCount, 0);
  EXPECT_GT(lightCount, 0) << "the highlight shows where the shadow does not cover it";
  EXPECT_EQ(canvas->GetFont()->GetColor(), clWindowText) << "the font colour comes back";
  EXPECT_EQ(minLightX, minDarkX + 1) << "the highlight copy sits one pixel to the right";
}

TEST_F(CanvasText, DisabledRightAlignedTextLinesUpOnEveryPath) {
  // Plain single line (direct output), with an ellipsis flag and multi-line (layout path).
  const Integer flagSets[] = {cxSingleLine | cxAlignRight | cxAlignBottom,
                              cxSingleLine | cxAlignRight | cxAlignBottom | cxShowEndEllipsis,
                              cxAlignRight | cxAlignBottom};
  const TRect R{10, 5, 50, 25};
  std::vector<TColor> first;
  for (Integer flags : flagSets) {
    Make(60, 30, clBtnFace);
    canvas->DrawText("IH", R, flags, false);
    std::vector<TColor> pixels;
    Integer right = 0, bottom = 0;
    for (int y = 0; y < 30; ++y)
      for (int x = 0; x < 60; ++x) {
        pixels.push_back(Px(x, y));
        if (pixels.back() != TColor(ColorToRGB(clBtnFace))) {
          right = std::max(right, x + 1);
          bottom = std::max(bottom, y + 1);
        }
      }
    // The highlight stays inside R, its last column one right of the shadow's.
    EXPECT_LE(right, R.Right) << flags;
    EXPECT_LE(bottom, R.Bottom) << flags;
    EXPECT_EQ(Px(right - 1, bottom - 1), TColor(ColorToRGB(clBtnHighlight))) << flags;
    if (first.empty()) first = pixels;
    EXPECT_TRUE(pixels == first) << flags;
  }
}

TEST_F(CanvasText, TabsAndEllipsisGoThroughTheLayoutPath) {
  Make(200, 20);
  canvas->GetBrush()->SetStyle(TBrushStyle::bsClear);
  canvas->DrawText("a\tb", {0, 0, 200, 20}, cxSingleLine | cxExpandTabs);
  // An expanded tab leaves a wide gap: ink far to the right of "a".
  EXPECT_TRUE(Painted({canvas->TextWidth("a     "), 0, 200, 20}));
  Make(60, 20);
  canvas->GetBrush()->SetStyle(TBrushStyle::bsClear);
  canvas->DrawText("WWWWWWWWWWWWWWWW", {0, 0, 40, 20}, cxSingleLine | cxShowEndEllipsis);
  EXPECT_FALSE(Painted({40, 0, 60, 20})) << "shortened, and clipped to the rectangle";
}

TEST_F(CanvasText, MultiLineBlocksSitAtTheBottomOrInTheMiddle) {
  const Integer h = canvas->TextHeight("Qq");
  Make(60, 60);
  canvas->GetBrush()->SetStyle(TBrushStyle::bsClear);
  canvas->DrawText("ab\ncd", {0, 0, 60, 60}, cxAlignLeft | cxAlignBottom | cxWordBreak);
  EXPECT_FALSE(Painted({0, 0, 60, 60 - 2 * h}));
  EXPECT_TRUE(Painted({0, 60 - 2 * h, 60, 60 - h}));
  Make(60, 60);
  canvas->GetBrush()->SetStyle(TBrushStyle::bsClear);
  canvas->DrawText("ab\ncd", {0, 0, 60, 60}, cxAlignLeft | cxAlignVCenter | cxWordBreak);
  const Integer top = (60 - 2 * h) / 2;
  EXPECT_FALSE(Painted({0, 0, 60, top}));
  EXPECT_TRUE(Painted({0, top, 60, top + h}));
}

TEST_F(CanvasText, TextUsesTheCanvasFontSetJustBefore) {
  Make(80, 60);
  canvas->GetBrush()->SetStyle(TBrushStyle::bsClear);
  canvas->GetFont()->SetHeight(-40);
  EXPECT_GE(canvas->TextHeight("Qq"), 40);
  canvas->DrawText("I", {0, 0, 80, 60}, cxAlignLeft | cxAlignTop | cxWordBreak);
  EXPECT_TRUE(Painted({0, 25, 80, 40})) << "a 40-pixel glyph reaches below 25";
  TRectArray rects;
  canvas->GetTextLineRects("a", {0, 0, 80, 60}, rects, cxAlignLeft);
  ASSERT_EQ(rects.size(), 1u);
  EXPECT_GE(rects[0].Bottom - rects[0].Top, 40);
}

using CanvasFill = CanvasTest;

// A 16x16 pattern: red top-left quarter, green elsewhere.
Owned<TBitmap> Pattern() {
  Owned<TBitmap> p(New<TBitmap>());
  p->SetPixelFormat(TPixelFormat::pf32bit);
  p->SetSize(16, 16);
  p->Canvas()->Brush()->SetColor(clLime);
  p->Canvas()->FillRect({0, 0, 16, 16});
  p->Canvas()->Brush()->SetColor(clRed);
  p->Canvas()->FillRect({0, 0, 8, 8});
  return p;
}

TEST_F(CanvasFill, TilesAnchorAtTheOriginIncludingNegativeCoordinates) {
  Make(60, 60);
  Owned<TBitmap> p = Pattern();
  canvas->FillRect({8, 8, 40, 40}, p.get());
  EXPECT_EQ(Px(8, 8), clLime) << "cell (0,0,16,16) clipped: the rectangle starts mid-cell";
  EXPECT_EQ(Px(16, 16), clRed);
  // Logical (-20,-20) is pixel (0,0): the cells left of and above the origin are filled too.
  Make(60, 60);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, bitmap->ReleaseHandle());
  SetWindowOrgEx(dc, -20, -20, nullptr);
  Owned<TCanvas> plain(New<TCanvas>());
  plain->SetHandle(dc);
  Owned<TcxCanvas> shifted(New<TcxCanvas>(plain.get()));
  shifted->FillRect({-20, -20, 20, 20}, p.get());
  auto px = [&](int x, int y) { return TColor(GetPixel(dc, x - 20, y - 20)); };
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 40; ++x) ASSERT_NE(px(x, y), clWhite) << x << "," << y;
  EXPECT_EQ(px(20 - 16, 20 - 16), clRed) << "logical (-16,-16) starts a cell";
  plain->SetHandle(nullptr);
  DeleteObject(SelectObject(dc, old));
  DeleteDC(dc);
  canvas->FillRect({5, 5, 5, 30}, p.get());  // empty: nothing
}

using CanvasClip = CanvasTest;

TEST_F(CanvasClip, ClipRegionDefaultsAndOrigins) {
  Owned<TcxRegion> none(canvas->GetClipRegion());
  TRect box{};
  GetRgnBox(none->Handle(), &box);
  EXPECT_EQ(box, (TRect{0, 0, 30000, 30000}));
  canvas->SetWindowOrg({5, 7});
  Owned<TcxRegion> shifted(canvas->GetClipRegion());
  GetRgnBox(shifted->Handle(), &box);
  EXPECT_EQ(box, (TRect{5, 7, 30005, 30007}));
  canvas->SetClipRegion(New<TcxRegion>(TRect{10, 10, 20, 20}), TcxRegionOperation::roSet);
  EXPECT_TRUE(canvas->RectVisible({12, 12, 14, 14}));
  canvas->SetClipRegion(New<TcxRegion>(TRect{15, 10, 30, 20}), TcxRegionOperation::roSubtract);
  EXPECT_TRUE(canvas->RectFullyVisible({10, 10, 15, 20}));
  EXPECT_FALSE(canvas->RectVisible({16, 11, 18, 12}));
  Owned<TcxRegion> kept(New<TcxRegion>(TRect{0, 0, 3, 3}));
  canvas->SetClipRegion(kept.get(), TcxRegionOperation::roSet, true, false);
  GetRgnBox(kept->Handle(), &box);
  EXPECT_EQ(box, (TRect{0, 0, 3, 3})) << "a kept region is shifted back";
  canvas->SetClipRegion(nullptr, TcxRegionOperation::roAdd);
}

TEST(CanvasStretch, ResamplerStaysInsideSmallSources) {
  const Pixel grey = 0x808080;
  for (auto [sw, sh, dw, dh] : {std::array<int, 4>{1, 1, 5, 5}, {1, 2, 1, 9}, {100, 1, 3, 1},
                                {3, 3, 1, 1}}) {
    std::vector<Pixel> src(size_t(sw * sh), grey);
    std::vector<Pixel> out = cxResamplePixels(src, sw, sh, dw, dh);
    ASSERT_EQ(out.size(), size_t(dw * dh));
    for (Pixel p : out)
      for (int k = 0; k < 3; ++k) EXPECT_NEAR(int(p >> (8 * k) & 0xFF), 0x80, 4) << sw << "x" << sh;
  }
  // A strong shrink of a tiny source reads only inside it.
  EXPECT_EQ(cxResamplePixels(std::vector<Pixel>(600, grey), 300, 2, 1, 1).size(), 1u);
  EXPECT_EQ(cxResamplePixels({grey, grey}, 2, 1, 1, 1).size(), 1u);
  EXPECT_TRUE(cxResamplePixels({1}, 1, 1, 0, 4).empty());
  EXPECT_TRUE(cxResamplePixels({1}, 2, 2, 4, 4).empty()) << "too few source pixels";
  // A black-to-white step keeps its ends after enlarging.
  std::vector<Pixel> step = {0x000000, 0x000000, 0xFFFFFF, 0xFFFFFF};
  std::vector<Pixel> big = cxResamplePixels(step, 4, 1, 16, 1);
  EXPECT_LT(big.front() & 0xFF, 0x10u);
  EXPECT_GT(big.back() & 0xFF, 0xF0u);
}

using CanvasBitmaps = CanvasTest;

TEST_F(CanvasBitmaps, StretchBothWaysChosenByThePlatformVersion) {
  Owned<TBitmap> src = Pattern();
  // A black-and-white step, where the resampler's filter and the platform's halftone differ.
  Owned<TBitmap> step(New<TBitmap>());
  step->SetPixelFormat(TPixelFormat::pf32bit);
  step->SetSize(4, 1);
  for (int x = 0; x < 4; ++x) step->Canvas()->SetPixel(x, 0, x < 2 ? clBlack : clWhite);
  std::vector<Pixel> stepPixels;
  for (int x = 0; x < 4; ++x) stepPixels.push_back(Pixel(ColorToRGB(step->Canvas()->GetPixel(x, 0))));
  const std::vector<Pixel> resampled = cxResamplePixels(stepPixels, 4, 1, 16, 1);
  Owned<TBitmap> halftone(New<TBitmap>());
  halftone->SetPixelFormat(TPixelFormat::pf32bit);
  halftone->SetSize(16, 1);
  SetStretchBltMode(halftone->Canvas()->GetHandle(), HALFTONE);
  StretchBlt(halftone->Canvas()->GetHandle(), 0, 0, 16, 1, step->Canvas()->GetHandle(), 0, 0, 4, 1, SRCCOPY);
  auto row = [](TBitmap* b) {
    std::vector<Pixel> r;
    for (int x = 0; x < 16; ++x) r.push_back(Pixel(ColorToRGB(b->Canvas()->GetPixel(x, 0))));
    return r;
  };
  ASSERT_NE(row(halftone.get()), resampled);

  struct Case {
    DWORD platform, major;
    bool halftone;
  };
  for (Case c : {Case{VER_PLATFORM_WIN32_NT, 4, true}, Case{VER_PLATFORM_WIN32_NT, 3, false},
                 Case{VER_PLATFORM_WIN32_WINDOWS, 4, false}}) {
    VersionInfo v;
    v.platformId = c.platform;
    v.major = c.major;
    v.minor = 0;
    SetVersionInfo(v);
    cxControls::Initialize();
    Owned<TBitmap> dst(New<TBitmap>());
    dst->SetPixelFormat(TPixelFormat::pf32bit);
    dst->SetSize(32, 32);
    cxStretchBitmap(src.get(), dst.get());
    EXPECT_EQ(ColorToRGB(dst->Canvas()->GetPixel(4, 4)), ColorToRGB(clRed)) << c.platform;
    EXPECT_EQ(ColorToRGB(dst->Canvas()->GetPixel(28, 28)), ColorToRGB(clLime)) << c.platform;
    Owned<TBitmap> none(New<TBitmap>());
    cxStretchBitmap(src.get(), none.get());
    EXPECT_TRUE(none->Empty());
    Owned<TBitmap> wide(New<TBitmap>());
    wide->SetPixelFormat(TPixelFormat::pf32bit);
    wide->SetSize(16, 1);
    cxStretchBitmap(step.get(), wide.get());
    EXPECT_EQ(row(wide.get()), c.halftone ? row(halftone.get()) : resampled) << c.platform << " " << c.major;
    cxControls::Finalize();
  }
  SetVersionInfo(VersionInfo{});
}

using CanvasRegions = CanvasTest;

TEST_F(CanvasRegions, FillAndFrameRegionFillsThenFramesInside) {
  Make(30, 30);
  Owned<TcxRegion> region(New<TcxRegion>(TRect{5, 5, 25, 25}));
  canvas->FillAndFrameRegion(region.get(), clRed, clBlue, 2, 1);
  EXPECT_EQ(Px(15, 15), clRed);
  EXPECT_EQ(Px(5, 15), clBlue);
  EXPECT_EQ(Px(6, 15), clBlue);  // two pixels wide at the sides
  EXPECT_EQ(Px(7, 15), clRed);
  EXPECT_EQ(Px(15, 5), clBlue);  // one pixel high at top and bottom
  EXPECT_EQ(Px(15, 6), clRed);
  EXPECT_EQ(Px(15, 24), clBlue);
  EXPECT_EQ(Px(4, 15), clWhite);
  EXPECT_EQ(Px(25, 15), clWhite);
  canvas->FillAndFrameRegion(HRGN(nullptr), clRed, clBlue);  // no region: nothing
}


using CanvasGlyphs = CanvasTest;

// w x h pixels, each a distinct colour: (x + 1) red, (y + 1) green.
Owned<TBitmap> Numbered(int w, int h) {
  Owned<TBitmap> b(New<TBitmap>());
  b->SetPixelFormat(TPixelFormat::pf32bit);
  b->SetSize(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b->Canvas()->SetPixel(x, y, TColor(RGB(Byte(x + 1), Byte(y + 1), 0)));
  return b;
}

TEST_F(CanvasGlyphs, RotationAndMirroring) {
  Owned<TBitmap> b = Numbered(3, 2);
  canvas->RotateBitmap(b.get(), TcxRotationAngle::raPlus90);
  ASSERT_EQ(b->GetWidth(), 2);
  ASSERT_EQ(b->GetHeight(), 3);
  EXPECT_EQ(b->Canvas()->GetPixel(0, 0), TColor(RGB(3, 1, 0))) << "the source's top-right pixel";
  b = Numbered(3, 2);
  canvas->RotateBitmap(b.get(), TcxRotationAngle::ra0, true);
  EXPECT_EQ(b->Canvas()->GetPixel(0, 0), TColor(RGB(1, 2, 0)));
  canvas->MirrorBitmap(b.get());
  EXPECT_EQ(b->Canvas()->GetPixel(0, 0), TColor(RGB(3, 2, 0)));
  Owned<TBitmap> empty(New<TBitmap>());
  canvas->RotateBitmap(empty.get(), TcxRotationAngle::raPlus90);
  canvas->MirrorBitmap(nullptr);
  EXPECT_TRUE(empty->Empty());
}

TEST_F(CanvasGlyphs, GlyphsLeaveTheirTransparentColourOutAndImagesCheckTheIndex) {
  Owned<TBitmap> g(New<TBitmap>());
  g->SetPixelFormat(TPixelFormat::pf32bit);
  g->SetSize(8, 8);
  g->Canvas()->Brush()->SetColor(clFuchsia);
  g->Canvas()->FillRect({0, 0, 8, 8});
  g->Canvas()->Brush()->SetColor(clBlue);
  g->Canvas()->FillRect({2, 2, 6, 6});
  g->SetTransparentColor(clFuchsia);
  canvas->DrawGlyph(10, 10, g.get());
  EXPECT_EQ(Px(10, 10), clWhite);
  EXPECT_EQ(Px(13, 13), clBlue);
  canvas->DrawGlyph(30, 10, g.get(), true, clYellow);
  EXPECT_EQ(Px(30, 10), clYellow);
  canvas->DrawGlyph(40, 10, g.get(), false);
  EXPECT_TRUE(Painted({40, 10, 48, 18}));
  Owned<TCustomImageList> images(New<TCustomImageList>(nullptr));
  images->SetWidth(8);
  images->SetHeight(8);
  images->AddMasked(g.get(), clFuchsia);
  Make(60, 40);
  canvas->DrawImage(images.get(), 0, 0, 1);
  canvas->DrawImage(images.get(), 0, 0, -1);
  canvas->DrawImage(nullptr, 0, 0, 0);
  EXPECT_FALSE(Painted({0, 0, 60, 40}));
  canvas->DrawImage(images.get(), 20, 20, 0);
  EXPECT_EQ(Px(23, 23), clBlue);
}

}  // namespace
