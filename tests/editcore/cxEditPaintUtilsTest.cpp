// The editor painting utilities: the brush cache, fills, lines, arrows, glyphs, the editor
// frame per border style with and without the visual style, the parent's image under a
// transparent control, and the small text routines.
#include "widgets/editcore/cxEditPaintUtils.h"

#include "classlib/visual/Forms.h"
#include "platform/kernel/Version.h"
#include "platform/user/Messages.h"
#include "tests/foundation/NativePainterFixture.h"
#include "widgets/foundation/FoundationUnits.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

using AD = TcxArrowDirection;
using BS = TcxContainerBorderStyle;

COLORREF Rgb(TColor c) { return ColorToRGB(c); }

class EditPaintTest : public NativePainterTest {
 protected:
  void SetUp() override {
    NativePainterTest::SetUp();
    cxEditPaintUtils::Initialize();
  }
  void TearDown() override {
    cxEditPaintUtils::Finalize();
    NativePainterTest::TearDown();
  }
  TcxSolidBrushCache& Cache() { return *cxSolidBrushCache(); }
};

// ---- brush cache ----

TEST_F(EditPaintTest, SystemColoursUseTheSystemBrushesAndOthersAreCachedOnce) {
  EXPECT_EQ(cxGetSolidBrush(clBtnFace), GetSysColorBrush(COLOR_BTNFACE));
  EXPECT_EQ(cxGetSolidBrush(clHotLight), GetSysColorBrush(COLOR_HOTLIGHT));
  EXPECT_EQ(Cache().Count(), 0);
  // A system colour index past the table is an ordinary cached colour.
  const TColor beyond = TColor(0x80000000u | 40u);
  const HBRUSH b = cxGetSolidBrush(beyond);
  EXPECT_EQ(Cache().Count(), 1);
  const HBRUSH red = cxGetSolidBrush(0x0000FF);
  EXPECT_EQ(cxGetSolidBrush(0x0000FF), red);
  EXPECT_EQ(cxGetSolidBrush(beyond), b);
  EXPECT_EQ(Cache().Count(), 2);
  // The brush paints its colour.
  PaperCanvas c(4, 4);
  cxFillRectWithBrush(c.DC(), {0, 0, 2, 2}, red);
  EXPECT_EQ(c.Px(1, 1), RGB(255, 0, 0));
  EXPECT_EQ(c.Px(2, 2), PaperDC::kPaper);
}

TEST_F(EditPaintTest, AFullCacheEvictsTheFirstLeastUsedColourAndDeletesItsBrush) {
  ASSERT_EQ(Cache().Capacity(), 128);
  // Inserted from the highest colour down: the first least used is the lowest colour,
  // not the oldest entry.
  HBRUSH made[128] = {};
  for (TColor i = 127; i >= 0; --i) made[i] = cxGetSolidBrush(0x010000 + i);
  EXPECT_EQ(Cache().Count(), 128);
  cxGetSolidBrush(0x010000 + 50);  // used once more than the others
  cxGetSolidBrush(0x010000);
  const HBRUSH victim = made[1];
  // A brush still selected into a device context when it is evicted.
  PaperCanvas c(2, 2);
  EXPECT_EQ(Cache().Count(), 128);
  HGDIOBJ old = SelectObject(c.DC(), victim);
  cxGetSolidBrush(0x020000);  // the 129th colour
  EXPECT_EQ(Cache().Count(), 128);
  EXPECT_FALSE(Cache().Contains(0x010001)) << "least used of the lowest colours goes first";
  EXPECT_TRUE(Cache().Contains(0x010000));
  EXPECT_TRUE(Cache().Contains(0x020000));
  SelectObject(c.DC(), old);
  EXPECT_EQ(GetObjectType(victim), 0u) << "the evicted brush is deleted";
  EXPECT_NE(GetObjectType(made[0]), 0u);
}

TEST_F(EditPaintTest, APaletteChangeAndAResetEmptyTheCache) {
  const HBRUSH b = cxGetSolidBrush(0x123456);
  cxGetSolidBrush(0x654321);
  ASSERT_NE(cxSystemPaletteChangedListenerWindow(), nullptr);
  SendMessageA(cxSystemPaletteChangedListenerWindow(), WM_SYSCOLORCHANGE, 0, 0);
  EXPECT_EQ(Cache().Count(), 0);
  EXPECT_EQ(GetObjectType(b), 0u);
  cxGetSolidBrush(0x123456);
  cxResetSolidBrushCache();
  EXPECT_EQ(Cache().Count(), 0);
  // Outside the unit's start-up there is no cache to answer from.
  cxEditPaintUtils::Finalize();
  EXPECT_THROW(cxGetSolidBrush(0x123456), Exception);
  EXPECT_EQ(cxGetSolidBrush(clWindow), GetSysColorBrush(COLOR_WINDOW)) << "system brushes need no cache";
  cxEditPaintUtils::Initialize();
}

// ---- fills, lines, arrows ----

TEST_F(EditPaintTest, FillsAroundARectangleLeaveTheInsideAlone) {
  PaperCanvas c(12, 12);
  cxFillRectAroundRect(c.Cx(), {1, 1, 11, 11}, {4, 3, 8, 9}, clRed);
  for (int y = 0; y < 12; ++y)
    for (int x = 0; x < 12; ++x) {
      const bool outer = x >= 1 && x < 11 && y >= 1 && y < 11;
      const bool inner = x >= 4 && x < 8 && y >= 3 && y < 9;
      EXPECT_EQ(c.Px(x, y), outer && !inner ? Rgb(clRed) : PaperDC::kPaper) << x << "," << y;
    }
  PaperCanvas e(6, 6);
  cxFillRectAroundRect(e.Cx(), {1, 1, 5, 5}, {3, 3, 3, 3}, clBlue);
  EXPECT_EQ(e.Px(3, 3), Rgb(clBlue)) << "an empty inner rectangle fills all";
  cxFillRectByColor(e.Cx(), {0, 0, 6, 6}, clNone);
  EXPECT_EQ(e.Px(0, 0), PaperDC::kPaper) << "clNone fills nothing";
}

TEST_F(EditPaintTest, PolylinesAndRectBordersIncludeTheirLastPixel) {
  const TPoint pts[] = {{1, 1}, {6, 1}, {6, 5}};
  for (bool brush : {true, false}) {
    PaperCanvas c(8, 8);
    cxDrawPolyline(c.Cx(), pts, 3, brush, clRed);
    for (int x = 1; x <= 6; ++x) EXPECT_EQ(c.Px(x, 1), Rgb(clRed)) << brush << " x=" << x;
    for (int y = 1; y <= 5; ++y) EXPECT_EQ(c.Px(6, y), Rgb(clRed)) << brush << " y=" << y;
    EXPECT_EQ(c.Px(7, 1), PaperDC::kPaper);
    EXPECT_EQ(c.Px(6, 6), PaperDC::kPaper);
    EXPECT_EQ(c.Px(5, 2), PaperDC::kPaper);
  }
  PaperCanvas c(10, 10);
  TRect r{1, 1, 9, 9};
  cxDrawRectBorders(c.Cx(), r, cxEditBorderLeft | cxEditBorderBottom, clBlue);
  EXPECT_EQ(r, (TRect{2, 1, 9, 8}));
  EXPECT_EQ(c.Px(1, 1), Rgb(clBlue));
  EXPECT_EQ(c.Px(8, 8), Rgb(clBlue));
  EXPECT_EQ(c.Px(8, 1), PaperDC::kPaper);
  EXPECT_EQ(c.Px(2, 7), PaperDC::kPaper);
}

// The painted run along each row (vertical arrows) or column: first and last painted offset.
std::vector<std::pair<int, int>> Runs(PaperCanvas& c, int w, int h, bool rows) {
  std::vector<std::pair<int, int>> out;
  for (int a = 0; a < (rows ? h : w); ++a) {
    int first = -1, last = -1;
    for (int b = 0; b < (rows ? w : h); ++b)
      if (c.Px(rows ? b : a, rows ? a : b) != PaperDC::kPaper) {
        if (first < 0) first = b;
        last = b;
      }
    if (first >= 0) out.push_back({first, last});
  }
  return out;
}

TEST_F(EditPaintTest, ArrowsAreCentredStacksOfLinesTurnedByDirection) {
  using Runs_t = std::vector<std::pair<int, int>>;
  {
    PaperCanvas c(11, 9);
    cxDrawEditArrow(c.Cx(), {0, 0, 11, 9}, 3, AD::adDown, false, false, clBlack);
    // 5 wide, 3 high, centred: left 3, top 3.
    EXPECT_EQ(Runs(c, 11, 9, true), (Runs_t{{3, 7}, {4, 6}, {5, 5}}));
    EXPECT_FALSE(c.Painted({0, 0, 11, 3}));
  }
  {
    PaperCanvas c(11, 9);
    cxDrawEditArrow(c.Cx(), {0, 0, 11, 9}, 3, AD::adUp, true, true, clBlack);
    // Double: 6 high from top 1, moved one right and down when pressed.
    EXPECT_EQ(Runs(c, 11, 9, true), (Runs_t{{6, 6}, {5, 7}, {4, 8}, {6, 6}, {5, 7}, {4, 8}}));
    EXPECT_FALSE(c.Painted({0, 0, 11, 2}));
    EXPECT_TRUE(c.Painted({0, 2, 11, 3}));
  }
  {
    PaperCanvas c(9, 11);
    cxDrawEditArrow(c.Cx(), {0, 0, 9, 11}, 3, AD::adRight, false, false, clBlack);
    EXPECT_EQ(Runs(c, 9, 11, false), (Runs_t{{3, 7}, {4, 6}, {5, 5}}));
    EXPECT_TRUE(c.Painted({3, 3, 4, 4}));
  }
  EXPECT_EQ(cxCalcArrowSize(9, 20, AD::adDown), (TSize{5, 3}));
  EXPECT_EQ(cxCalcArrowSize(9, 20, AD::adLeft), (TSize{3, 5}));
  EXPECT_EQ(cxCalcArrowSize(20, 12, AD::adUp), (TSize{5, 3}));
  EXPECT_EQ(cxCalcArrowSize(20, 15, AD::adUp), (TSize{7, 4}));

  Integer x = 0, y = 0;
  cxCenterRect({0, 0, 10, 7}, {4, 4}, true, x, y);
  EXPECT_EQ(x, 4);
  EXPECT_EQ(y, 2);
  // A pressed figure that already touches the far edge stays put.
  cxCenterRect({0, 0, 10, 4}, {9, 4}, true, x, y);
  EXPECT_EQ(x, 1);
  EXPECT_EQ(y, 0);
}

// ---- glyphs ----

class GlyphTest : public EditPaintTest {
 protected:
  // 4 × 4: a red 2 × 2 core on a fuchsia transparent ring.
  void SetUp() override {
    EditPaintTest::SetUp();
    glyph.reset(New<TBitmap>());
    glyph->SetSize(4, 4);
    glyph->Canvas()->Brush()->SetColor(clFuchsia);
    glyph->Canvas()->FillRect({0, 0, 4, 4});
    glyph->Canvas()->Brush()->SetColor(clRed);
    glyph->Canvas()->FillRect({1, 1, 3, 3});
    glyph->SetTransparentColor(clFuchsia);
  }
  void TearDown() override {
    glyph.reset();
    EditPaintTest::TearDown();
  }
  Owned<TBitmap> glyph;
};

TEST_F(GlyphTest, EnabledGlyphsMaskTheirTransparentColour) {
  EXPECT_TRUE(cxIsGraphicValid(glyph.get()));
  Owned<TBitmap> empty(New<TBitmap>());
  EXPECT_FALSE(cxIsGraphicValid(empty.get()));
  EXPECT_FALSE(cxIsGraphicValid(nullptr));

  PaperCanvas c(8, 8);
  cxDrawGlyph(c.Cx(), 2, 2, nullptr, clNone, true, glyph.get());
  EXPECT_EQ(c.Px(3, 3), Rgb(clRed));
  EXPECT_EQ(c.Px(2, 2), PaperDC::kPaper) << "no background colour: the paper shows through";
  cxDrawGlyph(c.Cx(), 2, 2, nullptr, clLime, true, glyph.get());
  EXPECT_EQ(c.Px(2, 2), Rgb(clLime));
  EXPECT_EQ(c.Px(4, 4), Rgb(clRed));
  EXPECT_EQ(c.Px(6, 6), PaperDC::kPaper);

  // Onto a background bitmap, then drawn whole.
  Owned<TBitmap> back(New<TBitmap>());
  back->SetSize(4, 4);
  back->Canvas()->Brush()->SetColor(clBlue);
  back->Canvas()->FillRect({0, 0, 4, 4});
  PaperCanvas d(8, 8);
  cxDrawGlyph(d.Cx(), 1, 1, back.get(), clNone, true, glyph.get());
  EXPECT_EQ(d.Px(1, 1), Rgb(clBlue));
  EXPECT_EQ(d.Px(2, 2), Rgb(clRed));
  EXPECT_EQ(d.Px(0, 0), PaperDC::kPaper);
  // Nothing for an invalid glyph.
  PaperCanvas e(4, 4);
  cxDrawGlyph(e.Cx(), 0, 0, nullptr, clLime, true, empty.get());
  EXPECT_FALSE(e.Painted());
}

TEST_F(GlyphTest, DisabledGlyphsAreDrawnInTheDisabledLook) {
  PaperCanvas c(8, 8);
  cxDrawGlyph(c.Cx(), 2, 2, nullptr, clNone, false, glyph.get());
  EXPECT_NE(c.Px(3, 3), Rgb(clRed)) << "not the enabled colour";
  EXPECT_TRUE(c.Painted({3, 3, 5, 5}));
  EXPECT_EQ(c.Px(2, 2), PaperDC::kPaper) << "the transparent ring stays out";
  PaperCanvas d(8, 8);
  cxDrawGlyph(d.Cx(), 2, 2, nullptr, clLime, false, glyph.get());
  EXPECT_EQ(d.Px(2, 2), Rgb(clLime)) << "a background colour fills behind it";
  EXPECT_EQ(d.Px(3, 3), c.Px(3, 3)) << "the same disabled image";
}

TEST_F(GlyphTest, ImageListImagesGoOntoTheirBackground) {
  Owned<TCustomImageList> images(New<TCustomImageList>(nullptr));
  images->SetWidth(4);
  images->SetHeight(4);
  images->AddMasked(glyph.get(), clFuchsia);
  PaperCanvas c(8, 8);
  cxDrawImageListImage(c.Cx(), {1, 1}, images.get(), 0, true, clLime);
  EXPECT_EQ(c.Px(1, 1), Rgb(clLime));
  EXPECT_EQ(c.Px(2, 2), Rgb(clRed));
  EXPECT_EQ(c.Px(5, 5), PaperDC::kPaper);
  PaperCanvas d(8, 8);
  cxDrawImageListImage(d.Cx(), {1, 1}, images.get(), 0, true, clNone);
  EXPECT_EQ(d.Px(1, 1), PaperDC::kPaper) << "no background colour: nothing behind the image";
  EXPECT_EQ(d.Px(2, 2), Rgb(clRed));
  cxDrawImageListImage(d.Cx(), {1, 1}, images.get(), 1, true, clLime);
  EXPECT_EQ(d.Px(1, 1), PaperDC::kPaper) << "an index past the list draws nothing";
}

// ---- editor frame and background ----

// Records the buttons it is asked to draw and paints each one's bounds.
class TTestEditViewInfo : public TcxCustomEditViewInfo {
 public:
  void DrawButton(TcxCanvas& ACanvas, Integer AButtonVisibleIndex) override {
    drawn.push_back(AButtonVisibleIndex);
    cxFillRectByColor(ACanvas, ButtonsInfo[size_t(AButtonVisibleIndex)]->Bounds, clLime);
  }
  void AddButton(const TRect& R) {
    ButtonsInfo.emplace_back(New<TcxEditButtonViewInfo>());
    ButtonsInfo.back()->Bounds = R;
  }
  std::vector<Integer> drawn;
};

class EditFrameTest : public EditPaintTest {
 protected:
  static constexpr int kW = 30, kH = 20;
  // A 30 × 20 editor whose client area lies inside a border of ABorder pixels.
  void Make(BS AStyle, Integer ABorder) {
    vi.reset(New<TTestEditViewInfo>());
    vi->BorderStyle = AStyle;
    vi->Bounds = {0, 0, kW, kH};
    vi->ClientRect = {ABorder, ABorder, kW - ABorder, kH - ABorder};
    vi->InnerEditRect = {ABorder + 2, ABorder + 2, kW - ABorder - 2, kH - ABorder - 2};
    vi->BorderColor = clRed;
    vi->BackgroundColor = clYellow;
  }
  std::unique_ptr<PaperCanvas> Paint(bool full = true,
                                     TcxEditBackgroundPaintingStyle style = TcxEditBackgroundPaintingStyle::bpsSolid) {
    auto paper = std::make_unique<PaperCanvas>(kW + 4, kH + 4);
    cxDrawEditBackgroundAndButtons(paper->Cx(), *vi, full, style);
    return paper;
  }
  Owned<TTestEditViewInfo> vi;
};

TEST_F(EditFrameTest, EachBorderStyleDrawsItsFrameAroundTheFilledClientArea) {
  Make(BS::cbsSingle, 1);
  auto p = Paint();
  EXPECT_EQ(p->Px(0, 0), Rgb(clRed));
  EXPECT_EQ(p->Px(kW - 1, kH - 1), Rgb(clRed));
  EXPECT_EQ(p->Px(1, 1), Rgb(clYellow));

  Make(BS::cbsThick, 2);
  p = Paint();
  EXPECT_EQ(p->Px(1, 1), Rgb(clRed));
  EXPECT_EQ(p->Px(2, 2), Rgb(clYellow));

  Make(BS::cbsFlat, 2);
  p = Paint();
  EXPECT_EQ(p->Px(0, 0), Rgb(clBtnShadow));
  EXPECT_EQ(p->Px(kW - 1, kH - 1), Rgb(clBtnHighlight));
  EXPECT_EQ(p->Px(1, 1), Rgb(clBtnFace));
  EXPECT_EQ(p->Px(kW - 2, kH - 2), Rgb(clBtnFace));

  Make(BS::cbs3D, 2);
  vi->Edges = {TcxBorder::bLeft, TcxBorder::bTop, TcxBorder::bRight};
  p = Paint();
  EXPECT_EQ(p->Px(1, 1), Rgb(cl3DDkShadow));
  EXPECT_EQ(p->Px(kW - 2, 5), Rgb(cl3DLight));
  EXPECT_EQ(p->Px(5, kH - 1), PaperDC::kPaper) << "no bottom edge";
  EXPECT_EQ(p->Px(5, kH - 2), PaperDC::kPaper);
  EXPECT_EQ(p->Px(5, kH - 3), Rgb(clYellow));

  // Borders of the flat looks come from elsewhere: only the client area is filled.
  Make(BS::cbsUltraFlat, 1);
  p = Paint();
  EXPECT_EQ(p->Px(0, 0), PaperDC::kPaper);
  EXPECT_EQ(p->Px(1, 1), Rgb(clYellow));
}

TEST_F(EditFrameTest, ShadowTransparencyAndInPlaceBackgrounds) {
  Make(BS::cbsSingle, 1);
  vi->Shadow = true;
  vi->ClientRect = {1, 1, kW - 4, kH - 4};
  auto p = Paint();
  EXPECT_EQ(p->Px(kW - 2, 10), Rgb(clBtnShadow)) << "the shadow right of the frame";
  EXPECT_EQ(p->Px(kW - 4, 10), Rgb(clRed));

  Make(BS::cbsSingle, 1);
  vi->Transparent = true;
  p = Paint();
  EXPECT_EQ(p->Px(0, 0), Rgb(clRed));
  EXPECT_EQ(p->Px(5, 5), PaperDC::kPaper) << "a transparent editor fills nothing";

  Make(BS::cbsNone, 0);
  vi->IsInplace = true;
  p = Paint(true);
  EXPECT_EQ(p->Px(2, 2), Rgb(clYellow));
  EXPECT_EQ(p->Px(1, 1), PaperDC::kPaper) << "in place, the full background is the inner rectangle";
  vi->HasInnerEditOffset = true;
  p = Paint(false);
  EXPECT_EQ(p->Px(1, 1), Rgb(clYellow)) << "the margin around the inner edit";
  EXPECT_EQ(p->Px(5, 5), PaperDC::kPaper);
  Make(BS::cbsSingle, 1);
  p = Paint(false);
  EXPECT_EQ(p->Px(5, 5), PaperDC::kPaper) << "stand-alone without the full background";
  EXPECT_EQ(p->Px(0, 0), Rgb(clRed));
}

TEST_F(EditFrameTest, ButtonsAreLeftOutOfTheBackgroundAndClippedToTheEditor) {
  Make(BS::cbsSingle, 1);
  vi->AddButton({20, 1, 26, kH - 1});
  vi->AddButton({26, 1, 34, kH - 1});  // sticks out on the right
  vi->AddButton({0, 0, 0, 0});         // empty: not drawn
  auto p = Paint();
  EXPECT_EQ(vi->drawn, (std::vector<Integer>{0, 1}));
  EXPECT_EQ(p->Px(22, 5), Rgb(clLime));
  EXPECT_EQ(p->Px(kW - 1, 5), Rgb(clLime));
  EXPECT_EQ(p->Px(kW, 5), PaperDC::kPaper) << "clipped to the editor's bounds";
  // The clip is back afterwards.
  cxFillRectByColor(p->Cx(), {0, 0, kW + 4, kH + 4}, clBlue);
  EXPECT_EQ(p->Px(kW + 2, 5), Rgb(clBlue));
}

class EditFrameNativeTest : public EditFrameTest {
 protected:
  void Themed(bool on) {
    if (on) ThemeOn();
    Start();
  }
  static std::vector<ThemeCall> Draws(const std::vector<ThemeCall>& calls) {
    std::vector<ThemeCall> out;
    for (const ThemeCall& c : calls)
      if (c.function == "DrawThemeBackground") out.push_back(c);
    return out;
  }
};

TEST_F(EditFrameNativeTest, TheThemedEditFrameLeavesTheClientAreaToTheBackground) {
  Themed(true);
  Make(BS::cbsSingle, 2);
  vi->NativeStyle = true;
  vi->NativeState = 3;
  std::unique_ptr<PaperCanvas> p;
  const auto calls = Draws(Record([&] { p = Paint(); }));
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].part, 1);
  EXPECT_EQ(calls[0].state, 3);
  EXPECT_EQ(calls[0].rect, (TRect{1, 1, kW - 1, kH - 1})) << "client rectangle grown by the border width";
  EXPECT_EQ(p->Px(2, 2), Rgb(clYellow)) << "the client area is not overdrawn";

  // In place: only the inner rectangle, no theme.
  vi->IsInplace = true;
  const auto inplace = Draws(Record([&] { p = Paint(); }));
  EXPECT_TRUE(inplace.empty());
  EXPECT_EQ(p->Px(2, 2), PaperDC::kPaper);
  EXPECT_EQ(p->Px(4, 4), Rgb(clYellow));
}

TEST_F(EditFrameNativeTest, ComboStylesKeepTheirInnerAreaFromTheTheme) {
  using P = TcxEditBackgroundPaintingStyle;
  Themed(true);
  Make(BS::cbsSingle, 2);
  vi->NativeStyle = true;
  vi->ButtonAreaRect = {4, 4, 20, 16};
  auto p = Paint(false, P::bpsComboListEdit);
  EXPECT_TRUE(p->Painted({1, 1, 2, 2}));
  EXPECT_FALSE(p->Painted(vi->ButtonAreaRect)) << "the list area is left to the list";
  EXPECT_EQ(p->Px(2, 2), PaperDC::kPaper) << "nor is the client area overdrawn";
  p = Paint(true, P::bpsComboListEdit);
  EXPECT_EQ(p->Px(10, 10), Rgb(clYellow));
  EXPECT_EQ(p->Px(2, 2), Rgb(clYellow)) << "the full background leaves no hole in the client area";
  // Combo edit: the area is the frame less 3 pixels down to the client bottom; without
  // the full background only the band of the client rectangle around it is filled.
  p = Paint(false, P::bpsComboEdit);
  EXPECT_EQ(p->Px(3, 3), Rgb(clYellow));
  EXPECT_EQ(p->Px(kW - 3, 10), Rgb(clYellow));
  EXPECT_EQ(p->Px(10, 10), PaperDC::kPaper);
}

TEST_F(EditFrameNativeTest, WithoutAThemeTheNativeFlagDrawsTheClassicFrame) {
  Themed(false);
  Make(BS::cbsSingle, 1);
  vi->NativeStyle = true;
  std::unique_ptr<PaperCanvas> p;
  EXPECT_TRUE(Draws(Record([&] { p = Paint(); })).empty());
  EXPECT_EQ(p->Px(0, 0), Rgb(clRed));
  EXPECT_EQ(p->Px(3, 3), Rgb(clYellow));
}

// ---- painters and colours ----

TEST_F(EditPaintTest, PainterChoiceFollowsTheKindUnlessTheThemeIsOn) {
  EXPECT_EQ(cxGetPainterClass(false, TcxLookAndFeelKind::lfFlat), cxFlatPainter());
  EXPECT_EQ(cxGetPainterClass(false, TcxLookAndFeelKind::lfStandard), cxStandardPainter());
  EXPECT_EQ(cxGetPainterClass(false, TcxLookAndFeelKind::lfUltraFlat), cxUltraFlatPainter());
  EXPECT_EQ(cxGetPainterClass(true, TcxLookAndFeelKind::lfOffice11), cxOffice11Painter()) << "no theme";
  cxRegisterNativePainter(cxNativePainter());
  ThemeOn();
  Start();
  EXPECT_EQ(cxGetPainterClass(true, TcxLookAndFeelKind::lfOffice11), cxNativePainter());
  EXPECT_EQ(cxGetPainterClass(false, TcxLookAndFeelKind::lfOffice11), cxOffice11Painter());
  cxRegisterNativePainter(nullptr);
}

TEST_F(EditPaintTest, HighlightAndHotLightColours) {
  Start();
  EXPECT_EQ(cxGetEditBorderHighlightColor(false), clHighlight);
  EXPECT_EQ(cxGetEditBorderHighlightColor(true), TColor(cxOffice11Colors().SelectionFrame));
  struct Case {
    DWORD platform, major, minor;
    bool hot;
  };
  // NT 6 and later keep the system hot-light colour; only the first 9x release and NT 4 lack it.
  for (const Case& k : {Case{VER_PLATFORM_WIN32_NT, 5, 1, true}, Case{VER_PLATFORM_WIN32_NT, 6, 0, true},
                        Case{VER_PLATFORM_WIN32_NT, 10, 0, true}, Case{VER_PLATFORM_WIN32_NT, 4, 0, false},
                        Case{VER_PLATFORM_WIN32_WINDOWS, 4, 10, true}, Case{VER_PLATFORM_WIN32_WINDOWS, 4, 0, false}}) {
    VersionInfo v;
    v.platformId = k.platform;
    v.major = k.major;
    v.minor = k.minor;
    SetVersionInfo(v);
    cxEditPaintUtils::Finalize();
    cxEditPaintUtils::Initialize();
    EXPECT_EQ(cxGetHotLightColor(), k.hot ? TColor(GetSysColor(COLOR_HOTLIGHT)) : TColor(0xFF0000))
        << k.platform << " " << k.major << "." << k.minor;
  }
  SetVersionInfo(VersionInfo{});
}

// ---- parent background ----

class ParentBackgroundTest : public EditPaintTest {
 protected:
  void SetUp() override {
    EditPaintTest::SetUp();
    form = TCustomForm::CreateNew(nullptr);
    form->SetBounds(50, 50, 200, 150);
    form->SetColor(clTeal);
    panel = Child(form, {10, 10, 110, 90}, clNavy);
    below = Child(panel, {5, 5, 45, 45}, clMaroon);
    control = Child(panel, {20, 20, 60, 60}, clWhite);
    above = Child(panel, {50, 50, 90, 80}, clOlive);
    form->Show();
    host().PumpUntilIdle();
  }
  void TearDown() override {
    form->Free();
    EditPaintTest::TearDown();
  }
  TWinControl* Child(TWinControl* parent, const TRect& r, TColor color) {
    auto* c = New<TCustomControl>(form);
    c->SetBounds(r.Left, r.Top, r.Width(), r.Height());
    c->SetColor(color);
    c->SetParent(parent);
    return c;
  }
  TCustomForm* form = nullptr;
  TWinControl *panel = nullptr, *below = nullptr, *control = nullptr, *above = nullptr;
};

TEST_F(ParentBackgroundTest, TheParentAndTheSiblingsBelowShowThroughOnly) {
  PaperCanvas p(40, 40);
  cxPaintParentBackground(control, p.DC(), {0, 0, 40, 35});
  // Control (0,0) is panel (20,20): the sibling below covers panel 5..45, so control 0..25.
  EXPECT_EQ(p.Px(0, 0), Rgb(clMaroon));
  EXPECT_EQ(p.Px(24, 24), Rgb(clMaroon));
  EXPECT_EQ(p.Px(26, 10), Rgb(clNavy));
  EXPECT_EQ(p.Px(35, 33), Rgb(clNavy)) << "the sibling above is not painted";
  EXPECT_EQ(p.Px(35, 36), PaperDC::kPaper) << "outside the asked rectangle";
  EXPECT_EQ(control->ControlState().Contains(TControlStateItem::csPaintCopy), false);
  EXPECT_FALSE(panel->ControlState().Contains(TControlStateItem::csPaintCopy));

  // A parent without a parent of its own is the form: its background alone.
  PaperCanvas q(10, 10);
  cxPaintParentBackground(panel, q.DC(), {0, 0, 10, 10});
  EXPECT_EQ(q.Px(5, 5), Rgb(clTeal));
  // No parent: nothing.
  PaperCanvas r(4, 4);
  cxPaintParentBackground(form, r.DC(), {0, 0, 4, 4});
  EXPECT_FALSE(r.Painted());
}

// A sibling below shows with its own child controls, and theirs.
TEST_F(ParentBackgroundTest, ASiblingBelowShowsWithItsChildren) {
  TWinControl* inner = Child(below, {10, 10, 20, 20}, clGreen);
  Child(inner, {2, 2, 6, 6}, clYellow);
  host().PumpUntilIdle();
  PaperCanvas p(40, 40);
  cxPaintParentBackground(control, p.DC(), {0, 0, 40, 40});
  // Control (0,0) is panel (20,20), below's (15,15): its child covers below's 10..20.
  EXPECT_EQ(p.Px(4, 4), Rgb(clGreen));
  EXPECT_EQ(p.Px(10, 10), Rgb(clMaroon));
  // The grandchild sits at below's 12..16: control -3..1.
  EXPECT_EQ(p.Px(0, 0), Rgb(clYellow));
  EXPECT_EQ(p.Px(2, 2), Rgb(clGreen));
}

class TFramed : public TCustomControl {
 public:
  using TCustomControl::TCustomControl;

 protected:
  void CreateParams(TCreateParams& Params) override {
    TCustomControl::CreateParams(Params);
    Params.ExStyle |= WS_EX_CLIENTEDGE;
  }
};

TEST_F(ParentBackgroundTest, ASiblingBelowIsPaintedWithItsFrame) {
  auto* framed = New<TFramed>(form);
  framed->SetBounds(62, 2, 36, 38);
  framed->SetColor(clPurple);
  framed->SetParent(panel);
  TWinControl* target = Child(panel, {60, 0, 100, 45}, clWhite);
  host().PumpUntilIdle();
  PaperCanvas p(40, 45);
  cxPaintParentBackground(target, p.DC(), {0, 0, 40, 45});
  EXPECT_EQ(p.Px(1, 1), Rgb(clNavy));
  EXPECT_EQ(p.Px(2, 2), Rgb(clBtnShadow));
  EXPECT_EQ(p.Px(3, 3), Rgb(cl3DDkShadow));
  EXPECT_EQ(p.Px(37, 39), Rgb(clBtnHighlight));
  EXPECT_EQ(p.Px(4, 4), Rgb(clPurple)) << "the client area starts inside the edge";
  EXPECT_EQ(p.Px(20, 20), Rgb(clPurple));
  EXPECT_EQ(p.Px(20, 42), Rgb(clNavy));
}

// Paints its parent's image behind itself, as a transparent label does.
class TSeeThrough : public TGraphicControl {
 public:
  using TGraphicControl::TGraphicControl;
  int paints = 0;

 protected:
  void Paint() override {
    ++paints;
    cxPaintParentBackground(this, PaintDC(), {0, 0, GetWidth(), GetHeight()});
  }
};

TEST_F(ParentBackgroundTest, AGraphicControlPaintingItsParentDoesNotComeBackToItself) {
  auto* see = New<TSeeThrough>(form);
  see->SetBounds(60, 5, 30, 30);
  see->SetParent(panel);
  PaperCanvas p(30, 30);
  // The parent's paint reaches the control's own paint, which asks for the parent again.
  cxPaintParentBackground(see, p.DC(), {0, 0, 30, 30});
  EXPECT_EQ(see->paints, 1);
  EXPECT_EQ(p.Px(15, 15), Rgb(clNavy));
}

// ---- text and fonts ----

TEST(EditPaintText, HotKeyPrefixesAndTextFlags) {
  EXPECT_EQ(cxRemoveHotKeyPrefix("&Open"), "Open");
  EXPECT_EQ(cxRemoveHotKeyPrefix("Save && Exit"), "Save & Exit");
  EXPECT_EQ(cxRemoveHotKeyPrefix("Next&"), "Next_");
  EXPECT_EQ(cxRemoveHotKeyPrefix("a&&&b"), "a&b");

  struct Pair {
    Integer canvas, layout;
  };
  const Pair pairs[] = {{cxAlignLeft, 0},        {cxAlignRight, 2},    {cxAlignHCenter, 1}, {cxAlignTop, 0},
                        {cxAlignBottom, 0x20},   {cxAlignVCenter, 0x10}, {cxSingleLine, 0x200},
                        {cxWordBreak, 0x100}};
  for (const Pair& p : pairs) EXPECT_EQ(cxConvertTextFlags(p.canvas), p.layout) << p.canvas;
  EXPECT_EQ(cxConvertTextFlags(cxShowEndEllipsis | cxExpandTabs | cxDontClip), 0) << "no other bit is carried";
  const Integer all = cxAlignRight | cxAlignVCenter | cxWordBreak;
  EXPECT_EQ(cxConvertTextFlags(all), 0x2 | 0x10 | 0x100);
  EXPECT_EQ(cxConvertTextFlagsToCanvasFlags(cxConvertTextFlags(all)), all);
  EXPECT_EQ(cxConvertTextFlagsToCanvasFlags(0x1 | 0x20 | 0x200), cxAlignHCenter | cxAlignBottom | cxSingleLine);
  // Alignments are numbers in the layout flags: right and centre together stay one
  // alignment rather than adding up to justified (3), and justified or distributed
  // layouts have no canvas alignment bit.
  EXPECT_EQ(cxConvertTextFlags(cxAlignRight | cxAlignHCenter) & 0x7, 2);
  EXPECT_EQ(cxConvertTextFlags(cxAlignBottom | cxAlignVCenter) & 0x30, 0x20);
  EXPECT_EQ(cxConvertTextFlagsToCanvasFlags(3), 0);
  EXPECT_EQ(cxConvertTextFlagsToCanvasFlags(0x30 | 0x100), cxWordBreak);
}

TEST_F(EditPaintTest, LogFontsRoundTripThroughTheCanvasFont) {
  PaperCanvas c(4, 4);
  LOGFONTA lf{};
  lf.lfHeight = -13;
  lf.lfWeight = 700;
  std::strcpy(lf.lfFaceName, "Tessaloom Test");
  cxSetCanvasFontFromLogFont(c.Cx(), lf);
  EXPECT_EQ(c.Cx().GetFont()->GetName(), "Tessaloom Test");
  LOGFONTA back{};
  cxGetCanvasLogFont(c.Cx(), back);
  EXPECT_EQ(back.lfHeight, -13);
  EXPECT_EQ(back.lfWeight, 700);
  EXPECT_STREQ(back.lfFaceName, "Tessaloom Test");
}

}  // namespace
