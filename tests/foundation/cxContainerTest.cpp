// The container on a headless form: which state style it paints with, its extents, border
// colours and pixels in each look, natively too, and its inner control.
#include "classlib/core/Streams.h"
#include "classlib/visual/Forms.h"
#include "platform/gdi/Codecs.h"
#include "platform/gdi/Gdi.h"
#include "platform/host/HeadlessHost.h"
#include "platform/user/User.h"
#include "platform/theme/UxTheme.h"
#include "tests/foundation/GalleryFile.h"
#include "tests/foundation/NativePainterFixture.h"
#include "widgets/foundation/cxContainer.h"
#include "widgets/foundation/cxControls.h"
#include "widgets/foundation/cxLookAndFeelPainterImages.h"

#include <algorithm>
#include <vector>

namespace {

using B = TcxContainerBorderStyle;
using S = TcxContainerStateItem;
using K = TcxLookAndFeelKind;

// A container with an inner window control, and a settable native part.
class TTestContainer : public TcxContainer {
  TL_CLASS(TTestContainer, TcxContainer)
 public:
  using TcxContainer::TcxContainer;
  void Host(TWinControl* AInner) {
    AInner->SetParent(this);
    SetInnerControl(AInner);
  }
  int GetBackgroundNativePart() const override { return Part; }
  void CalculateViewInfo(const TPoint& P, TcxMouseButton AButton, bool AIsMouseEvent) override {
    Buttons.push_back(AButton);
    TcxContainer::CalculateViewInfo(P, AButton, AIsMouseEvent);
  }
  using TcxContainer::KeyDown;
  int Part = 1;
  std::vector<TcxMouseButton> Buttons;
};

// Like a label or group box: it takes its parent's colour by default.
class TParentColoredContainer : public TcxContainer {
  TL_CLASS(TParentColoredContainer, TcxContainer)
 public:
  using TcxContainer::TcxContainer;
  bool DefaultParentColor() const override { return true; }
};

}  // namespace
TL_DEFINE_CLASS(TTestContainer, [](auto&) {});
TL_DEFINE_CLASS(TParentColoredContainer, [](auto&) {});

namespace {

class Container : public NativePainterTest {
 protected:
  void SetUp() override {
    NativePainterTest::SetUp();
  }
  void TearDown() override {
    if (form) form->Free();
    if (started) {
      cxControls::Finalize();
      cxLookAndFeelPainterImages::Finalize();
    }
    NativePainterTest::TearDown();
  }
  void Open(bool themed = false) {
    // The visual style is on before the units start, as at a real start-up.
    if (themed) ThemeOn();
    Start();
    cxLookAndFeelPainterImages::Initialize();
    cxControls::Initialize();
    started = true;
    form = TCustomForm::CreateNew(nullptr);
    form->SetBounds(50, 50, 300, 200);
    box = New<TTestContainer>(form);
    box->SetBounds(10, 10, kW, kH);
    box->SetParent(form);
    other = New<TTestContainer>(form);
    other->SetBounds(10, 100, kW, kH);
    other->SetParent(form);
    form->Show();
    host().PumpUntilIdle();
  }
  // The container painted on fresh paper.
  std::unique_ptr<PaperCanvas> Shot() {
    box->RecalcViewAtCursor();
    auto paper = std::make_unique<PaperCanvas>(kW, kH);
    box->PaintTo(paper->DC(), 0, 0);
    return paper;
  }
  void Focus(TWinControl* c) {
    c->SetFocus();
    host().PumpUntilIdle();
  }
  static COLORREF Rgb(TColor c) { return ColorToRGB(c); }

  static constexpr int kW = 40, kH = 21;
  bool started = false;
  TForm* form = nullptr;
  TTestContainer* box = nullptr;
  TTestContainer* other = nullptr;
};

// Rows: the four painted looks and the native one; columns: normal, hot, focused, disabled
// and with a shadow. Written to the build folder's gallery/, three times enlarged for the eye.
TEST_F(Container, GalleryOfLooksAndStates) {
  Open(true);
  box->GetStyle()->SetTransparentBorder(false);
  const K kinds[] = {K::lfFlat, K::lfStandard, K::lfUltraFlat, K::lfOffice11, K::lfStandard};
  constexpr int kCols = 5, kRows = 5, kZoom = 3;
  DecodedImage image;
  image.Width = kCols * kW * kZoom;
  image.Height = kRows * kH * kZoom;
  image.Pixels.assign(static_cast<size_t>(image.Width * image.Height), 0);
  std::vector<std::vector<COLORREF>> rows;
  for (int row = 0; row < kRows; ++row) {
    box->GetStyle()->GetLookAndFeel()->SetKind(kinds[row]);
    box->GetStyle()->GetLookAndFeel()->SetNativeStyle(row == 4);
    std::vector<COLORREF> rowPixels;
    for (int col = 0; col < kCols; ++col) {
      box->SetEnabled(col != 3);
      box->GetStyle()->SetShadow(col == 4);
      Focus(col == 2 ? static_cast<TWinControl*>(box) : other);
      host().MouseMove(col == 1 ? box->GetHandle() : other->GetHandle(), 20, 10);
      host().PumpUntilIdle();
      auto shot = Shot();
      if (col == 1 && row < 4) {
        EXPECT_TRUE(box->ViewInfo()->ContainerState.Contains(S::csHotTrack)) << row;
      }
      for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
          rowPixels.push_back(shot->Px(x, y));
          for (int zy = 0; zy < kZoom; ++zy)
            for (int zx = 0; zx < kZoom; ++zx)
              image.Pixels[static_cast<size_t>(((row * kH + y) * kZoom + zy) * image.Width + (col * kW + x) * kZoom +
                                               zx)] = PixelFromColor(shot->Px(x, y));
        }
    }
    EXPECT_NE(std::count(rowPixels.begin(), rowPixels.end(), PaperDC::kPaper), Integer(rowPixels.size())) << row;
    rows.push_back(rowPixels);
  }
  for (size_t i = 0; i < rows.size(); ++i)
    for (size_t j = i + 1; j < rows.size(); ++j) EXPECT_NE(rows[i], rows[j]) << i << " vs " << j;
  WriteGalleryPng(image, "container-looks.png");
}

TEST_F(Container, ActiveStyleOrderDisabledFocusedHot) {
  Open();
  Focus(box);
  EXPECT_EQ(box->GetActiveStyle(), box->GetStyleFocused());
  host().MouseMove(box->GetHandle(), 20, 10);
  host().PumpUntilIdle();
  EXPECT_EQ(box->GetActiveStyle(), box->GetStyleFocused()) << "focused wins over hot";
  box->SetEnabled(false);
  host().PumpUntilIdle();
  EXPECT_EQ(box->GetActiveStyle(), box->GetStyleDisabled());
  box->SetEnabled(true);
  Focus(other);
  host().MouseMove(box->GetHandle(), 20, 10);
  host().PumpUntilIdle();
  EXPECT_EQ(box->GetActiveStyle(), box->GetStyleHot());
}

TEST_F(Container, UltraFlatFrameHighlightsWhenFocusedOrHot) {
  Open();
  box->GetStyle()->SetBorderStyle(B::cbsUltraFlat);
  box->GetStyle()->SetTransparentBorder(false);
  auto normal = Shot();
  EXPECT_EQ(normal->Px(0, kH / 2), Rgb(clBtnShadow));
  Focus(box);
  auto focused = Shot();
  EXPECT_EQ(focused->Px(0, kH / 2), Rgb(clHighlight));

  box->GetStyle()->SetBorderStyle(B::cbsOffice11);
  auto office = Shot();
  EXPECT_EQ(office->Px(kW / 2, 0), cxOffice11Colors().SelectionFrame);
  Focus(other);
  auto unfocused = Shot();
  EXPECT_EQ(unfocused->Px(kW / 2, 0), Rgb(clBtnShadow));
}

TEST_F(Container, ExtentsFollowBorderEdgesAndShadow) {
  Open();
  TRect r;
  box->GetBorderExtent(r);
  EXPECT_EQ(r, (TRect{2, 2, 2, 2})) << "a transparent border keeps two pixels";
  box->GetStyle()->SetTransparentBorder(false);
  box->GetStyle()->SetBorderStyle(B::cbsThick);
  box->GetStyle()->SetEdges({TcxBorder::bLeft, TcxBorder::bBottom});
  box->RecalcViewAtCursor();
  box->GetBorderExtent(r);
  EXPECT_EQ(r, (TRect{2, 0, 0, 2}));
  box->GetStyle()->SetShadow(true);
  box->RecalcViewAtCursor();
  box->GetBorderExtent(r);
  EXPECT_EQ(r, (TRect{2, 0, 3, 5}));
  // Smaller than border and shadow: nothing inside, no failure.
  box->SetBounds(10, 10, 3, 2);
  host().PumpUntilIdle();
  EXPECT_TRUE(box->ViewInfo()->BorderRect.IsEmpty());
}

TEST_F(Container, WindowRegionCoversPaintedAreaAndShadow) {
  Open();
  box->GetStyle()->SetBorderStyle(B::cbsSingle);
  box->GetStyle()->SetShadow(true);
  host().PumpUntilIdle();
  HRGN rgn = CreateRectRgn(0, 0, 0, 0);
  ASSERT_NE(GetWindowRgn(box->GetHandle(), rgn), ERROR);
  // Transparent border of 2 around a 1-pixel frame: the region starts 1 in.
  EXPECT_FALSE(PtInRegion(rgn, 0, 0));
  EXPECT_TRUE(PtInRegion(rgn, 1, 1));
  const int r = kW - 3 - 1, b = kH - 3 - 1;  // right and bottom of the framed box, exclusive
  EXPECT_TRUE(PtInRegion(rgn, r + 2, b + 2)) << "the shadow copy";
  DeleteObject(rgn);

  // Asking for the native look without visual styles keeps the painted look and its region.
  box->GetStyle()->GetLookAndFeel()->SetNativeStyle(true);
  host().PumpUntilIdle();
  EXPECT_FALSE(box->IsNativeStyle());
  HRGN kept = CreateRectRgn(0, 0, 0, 0);
  EXPECT_NE(GetWindowRgn(box->GetHandle(), kept), ERROR);
  DeleteObject(kept);
}

TEST_F(Container, NativeFrameHasNoWindowRegion) {
  Open(true);
  box->GetStyle()->SetShadow(true);
  host().PumpUntilIdle();
  HRGN rgn = CreateRectRgn(0, 0, 0, 0);
  ASSERT_NE(GetWindowRgn(box->GetHandle(), rgn), ERROR);
  box->GetStyle()->GetLookAndFeel()->SetNativeStyle(true);
  host().PumpUntilIdle();
  ASSERT_TRUE(box->IsNativeStyle());
  EXPECT_EQ(GetWindowRgn(box->GetHandle(), rgn), ERROR);
  DeleteObject(rgn);
}

TEST_F(Container, PixelsPerLook) {
  Open();
  box->GetStyle()->SetTransparentBorder(false);
  box->GetStyle()->SetColor(clYellow);
  const std::pair<K, COLORREF> looks[] = {{K::lfFlat, Rgb(clBtnShadow)},
                                          {K::lfStandard, Rgb(clBtnShadow)},
                                          {K::lfUltraFlat, Rgb(clBtnShadow)},
                                          {K::lfOffice11, Rgb(clBtnShadow)}};
  for (auto [kind, edge] : looks) {
    box->GetStyle()->GetLookAndFeel()->SetKind(kind);
    auto shot = Shot();
    const Integer w = cxGetLookAndFeelBorderWidth(kind);
    EXPECT_EQ(box->ViewInfo()->BorderWidth, w) << static_cast<int>(kind);
    EXPECT_EQ(shot->Px(0, 0), edge) << static_cast<int>(kind);
    EXPECT_EQ(shot->Px(w, w), Rgb(clYellow)) << static_cast<int>(kind);
  }
  // Standard: a sunken edge, then the dark inner frame.
  box->GetStyle()->GetLookAndFeel()->SetKind(K::lfStandard);
  auto standard = Shot();
  EXPECT_EQ(standard->Px(1, kH / 2), Rgb(cl3DDkShadow));
  EXPECT_EQ(standard->Px(kW - 1, kH / 2), Rgb(clBtnHighlight));
}

TEST_F(Container, NativeLookPaintsThemeFrame) {
  Open(true);
  box->GetStyle()->GetLookAndFeel()->SetNativeStyle(true);
  box->GetStyle()->SetColor(clAqua);
  ASSERT_TRUE(box->IsNativeStyle());
  auto shot = Shot();
  COLORREF frame = 0;
  ASSERT_EQ(cxGetThemeColor(cxOpenTheme(TdxThemedObjectType::totComboBox), 1, 1, TMT_BORDERCOLOR, frame), S_OK);
  EXPECT_EQ(shot->Px(0, 0), frame);
  EXPECT_EQ(shot->Px(kW / 2, kH / 2), Rgb(clAqua));

  // Disabled: the theme's fill, or the style's colour when the theme has none for the part.
  box->SetEnabled(false);
  host().PumpUntilIdle();
  COLORREF fill = 0;
  ASSERT_EQ(cxGetThemeColor(cxOpenTheme(TdxThemedObjectType::totEdit), 1, 1, TMT_FILLCOLOR, fill), S_OK);
  EXPECT_EQ(box->ViewInfo()->BackgroundColor, TColor(fill));
  box->Part = 99;
  box->GetStyleDisabled()->SetColor(clFuchsia);
  box->RecalcViewAtCursor();
  EXPECT_EQ(box->ViewInfo()->BackgroundColor, clFuchsia);
}

TEST_F(Container, ParentColourReachesTheStyle) {
  Open();
  form->SetColor(clMaroon);
  auto* label = New<TParentColoredContainer>(form);
  label->SetParent(form);
  EXPECT_TRUE(label->GetParentColor());
  EXPECT_EQ(label->GetStyle()->GetColor(), clMaroon);
  EXPECT_EQ(label->GetStyleDisabled()->GetColor(), clMaroon) << "no button face for parent-coloured kinds";
  EXPECT_EQ(box->GetStyleDisabled()->GetColor(), clBtnFace);
  label->GetStyle()->SetColor(clTeal);
  label->SetParentColor(false);
  EXPECT_EQ(label->GetStyle()->GetColor(), clTeal);
  // Restoring defaults gives a parent-coloured kind its parent's colour back.
  label->GetStyle()->RestoreDefaults();
  EXPECT_TRUE(label->GetParentColor());
  EXPECT_EQ(label->GetStyle()->GetColor(), clMaroon);
}

TEST_F(Container, TabWithoutAFormAroundItDoesNothing) {
  Open();
  Owned<TTestContainer> lone(New<TTestContainer>(nullptr));
  Word key = VK_TAB;
  lone->KeyDown(key, {});
  EXPECT_EQ(key, VK_TAB) << "not focused: the key stays";
}

TEST_F(Container, ViewIsCalculatedWithTheButtonHeldSincePressedOverIt) {
  Open();
  using MB = TcxMouseButton;
  const HWND h = box->GetHandle();
  host().MouseMove(h, 20, 10);
  host().PumpUntilIdle();
  ASSERT_FALSE(box->Buttons.empty());
  EXPECT_EQ(box->Buttons.back(), MB::cxmbNone);
  host().MouseDown(h, 20, 10);
  host().PumpUntilIdle();
  EXPECT_EQ(box->Buttons.back(), MB::cxmbLeft);
  host().MouseMove(h, 22, 10);
  host().PumpUntilIdle();
  EXPECT_EQ(box->Buttons.back(), MB::cxmbLeft) << "still held";
  host().MouseUp(h, 22, 10);
  host().PumpUntilIdle();
  EXPECT_EQ(box->Buttons.back(), MB::cxmbNone) << "released: no longer pressed";
  // Leaving forgets the press; the other container never saw it.
  host().MouseMove(other->GetHandle(), 5, 5);
  host().PumpUntilIdle();
  EXPECT_EQ(box->Buttons.back(), MB::cxmbNone);
}

}  // namespace
