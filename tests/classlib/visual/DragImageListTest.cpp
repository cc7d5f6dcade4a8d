// Drag image lists on the composed screen, and the size limits of controls.
#include "classlib/visual/ImgList.h"
#include "platform/gdi/Surface.h"
#include "platform/host/HeadlessHost.h"
#include "tests/support/AppTest.h"

#include <gtest/gtest.h>

namespace {

constexpr Pixel kRed = 0xFF0000, kLime = 0x00FF00;

class DragImageListTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    form = TForm::CreateNew<TForm>(Application);
    form->SetBounds(100, 100, 400, 300);
    form->Show();
    host().PumpUntilIdle();
    // Two 10 x 10 images: red with a transparent right half, then lime.
    Owned<TBitmap> strip(New<TBitmap>());
    strip->SetSize(20, 10);
    TCanvas* c = strip->Canvas();
    c->Brush()->SetColor(clFuchsia);
    c->FillRect(TRect{0, 0, 20, 10});
    c->Brush()->SetColor(clRed);
    c->FillRect(TRect{0, 0, 5, 10});
    c->Brush()->SetColor(clLime);
    c->FillRect(TRect{10, 0, 20, 10});
    images->SetWidth(10);
    images->SetHeight(10);
    ASSERT_EQ(images->AddMasked(strip.get(), clFuchsia), 0);
  }
  Pixel ScreenAt(const TPoint& P) { return host().CaptureScreen().At(P.X, P.Y); }
  TPoint OnScreen(Integer X, Integer Y) { return form->ClientToScreen({X, Y}); }

  TForm* form = nullptr;
  Owned<TDragImageList> images{New<TDragImageList>(nullptr)};
};

TEST_F(DragImageListTest, TheImageSitsByItsHotSpotInTheWindowsCoordinatesAndLetsTheMouseThrough) {
  EXPECT_FALSE(images->SetDragImage(2, 0, 0));
  ASSERT_TRUE(images->SetDragImage(0, 2, 3));
  const Pixel beneath = ScreenAt(OnScreen(54, 50));
  ASSERT_TRUE(images->BeginDrag(form->Handle(), 50, 50));
  host().PumpUntilIdle();
  EXPECT_EQ(ScreenAt(OnScreen(48, 47)), kRed);  // the image's corner
  EXPECT_EQ(ScreenAt(OnScreen(52, 56)), kRed);
  EXPECT_EQ(ScreenAt(OnScreen(54, 50)), beneath);  // transparent half
  EXPECT_EQ(WindowFromPoint(OnScreen(50, 50)), form->Handle());

  images->DragMove(100, 80);
  host().PumpUntilIdle();
  EXPECT_EQ(ScreenAt(OnScreen(98, 77)), kRed);

  // Hides nest; the last show brings the image back where it was.
  images->HideDragImage();
  images->HideDragImage();
  images->ShowDragImage();
  host().PumpUntilIdle();
  EXPECT_NE(ScreenAt(OnScreen(98, 77)), kRed);
  images->ShowDragImage();
  host().PumpUntilIdle();
  EXPECT_EQ(ScreenAt(OnScreen(98, 77)), kRed);

  // Another image while dragging, with its own hot spot.
  ASSERT_TRUE(images->SetDragImage(1, 0, 0));
  host().PumpUntilIdle();
  EXPECT_EQ(ScreenAt(OnScreen(100, 80)), kLime);

  EXPECT_TRUE(images->EndDrag());
  host().PumpUntilIdle();
  EXPECT_NE(ScreenAt(OnScreen(100, 80)), kLime);
}

TEST_F(DragImageListTest, AnEmptiedOrFreedListTakesItsImageAway) {
  Owned<TDragImageList> other(New<TDragImageList>(nullptr));
  other->Assign(images.get());
  ASSERT_TRUE(other->BeginDrag(nullptr, 200, 200));  // screen coordinates
  other.reset();  // freed while showing: the fixture fails on a window left behind
  ASSERT_TRUE(images->BeginDrag(nullptr, 300, 300));
  images->Clear();
  EXPECT_FALSE(images->GetDragging());
  EXPECT_FALSE(images->BeginDrag(nullptr, 300, 300));  // nothing to show
}

TEST_F(DragImageListTest, ConstraintsBoundTheSize) {
  auto* panel = New<TCustomControl>(form);
  panel->SetParent(form);
  TSizeConstraints* limits = panel->GetConstraints();
  panel->SetBounds(0, 0, 300, 10);
  limits->SetMaxWidth(120);
  limits->SetMinHeight(40);
  EXPECT_EQ(panel->GetBoundsRect(), (TRect{0, 0, 120, 40}));  // applied at once
  limits->SetMinWidth(200);  // raises the maximum with it
  limits->SetMaxHeight(30);  // lowers the minimum with it
  panel->SetBounds(0, 0, 10, 500);
  EXPECT_EQ(panel->GetBoundsRect(), (TRect{0, 0, 200, 30}));
}

TEST_F(DragImageListTest, AMaximumOfNothingLiftsTheLimitAndKeepsTheMinimum) {
  auto* panel = New<TCustomControl>(form);
  panel->SetParent(form);
  TSizeConstraints* limits = panel->GetConstraints();
  limits->SetMinWidth(200);
  limits->SetMaxWidth(250);
  limits->SetMinHeight(40);
  limits->SetMaxHeight(60);
  limits->SetMaxWidth(0);
  limits->SetMaxHeight(0);
  EXPECT_EQ(limits->GetMinWidth(), 200);
  EXPECT_EQ(limits->GetMinHeight(), 40);
  panel->SetBounds(0, 0, 10, 10);
  EXPECT_EQ(panel->GetBoundsRect(), (TRect{0, 0, 200, 40}));
  panel->SetBounds(0, 0, 900, 700);
  EXPECT_EQ(panel->GetBoundsRect(), (TRect{0, 0, 900, 700}));
  // A maximum of one is a limit: the minimum comes down to it.
  limits->SetMaxWidth(1);
  limits->SetMaxHeight(1);
  EXPECT_EQ(limits->GetMinWidth(), 1);
  EXPECT_EQ(limits->GetMinHeight(), 1);
  EXPECT_EQ(panel->GetBoundsRect(), (TRect{0, 0, 1, 1}));
}

}  // namespace
