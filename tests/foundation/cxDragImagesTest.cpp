#include <gtest/gtest.h>

#include "classlib/visual/Messages.h"
#include "platform/gdi/Surface.h"
#include "platform/host/HeadlessHost.h"
#include "platform/user/User.h"
#include "tests/support/AppTest.h"
#include "widgets/foundation/cxControlBase.h"

namespace {

constexpr Pixel kRed = 0xFF0000;
constexpr TPoint kHotSpot{5, 3};

// Drags itself with a 20 x 12 image: red on top, its last four rows transparent.
class TImageControl : public TcxControl {
  TL_CLASS(TImageControl, TcxControl)
 public:
  using TcxControl::TcxControl;
  int Drops = 0;
  int Overs = 0;

  void DragOver(TObject* Source, Integer X, Integer Y, TDragState State, bool& Accept) override {
    inherited::DragOver(Source, X, Y, State, Accept);
    if (State != TDragState::dsDragLeave) ++Overs;
    Accept = true;
  }
  void DragDrop(TObject*, Integer, Integer) override { ++Drops; }

 protected:
  bool HasDragImages() override { return true; }
  TPoint GetDragImagesSize() override { return {20, 12}; }
  void DrawDragImage(TcxCanvas* ACanvas, const TRect& R) override {
    ACanvas->Canvas()->Brush()->SetColor(clFuchsia);
    ACanvas->Canvas()->FillRect(R);
    ACanvas->Canvas()->Brush()->SetColor(clRed);
    ACanvas->Canvas()->FillRect(TRect{R.Left, R.Top, R.Right, R.Top + 8});
  }
  void InitDragImages(TcxDragImageList* ADragImages) override {
    inherited::InitDragImages(ADragImages);
    ADragImages->SetDragImage(0, kHotSpot.X, kHotSpot.Y);
  }
  void Paint() override {
    Canvas()->Brush()->SetColor(clWhite);
    Canvas()->FillRect(GetClientRect());
  }
};
TL_DEFINE_CLASS(TImageControl)

// A target that accepts drops but does not display drag images.
class TPlainTarget : public TCustomControl {
  TL_CLASS(TPlainTarget, TCustomControl)
 public:
  using TCustomControl::TCustomControl;
  void DragOver(TObject*, Integer, Integer, TDragState, bool& Accept) override { Accept = true; }

 protected:
  void Paint() override {
    Canvas()->Brush()->SetColor(clBlue);
    Canvas()->FillRect(GetClientRect());
  }
};
TL_DEFINE_CLASS(TPlainTarget)

class cxDragImagesTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    cxControls::Initialize();
    form = TCustomForm::CreateNew(nullptr);
    form->SetBounds(50, 50, 600, 420);
    source = Add<TImageControl>(10, 10);
    target = Add<TImageControl>(220, 10);
    plain = Add<TPlainTarget>(10, 200);
    source->SetDragMode(TDragMode::dmAutomatic);
    form->Show();
    host().PumpUntilIdle();
  }
  void TearDown() override {
    form->Free();
    cxControls::Finalize();
    AppTest::TearDown();
  }
  template <class T>
  T* Add(Integer X, Integer Y) {
    T* c = New<T>(form);
    c->SetBounds(X, Y, 150, 150);
    c->SetParent(form);
    return c;
  }
  // Moves the mouse to a client point of C; answers the screen point.
  TPoint MoveTo(TWinControl* C, Integer X, Integer Y) {
    host().MouseMove(C->Handle(), X, Y);
    host().PumpUntilIdle();
    return C->ClientToScreen({X, Y});
  }
  // Whether the drag image's red part covers exactly the rows and columns it should
  // around the hot spot at P, its transparent rows showing what lies beneath.
  void ExpectImageAt(const TPoint& P, const Surface& Beneath) {
    const Surface s = host().CaptureScreen();
    const TPoint o{P.X - kHotSpot.X, P.Y - kHotSpot.Y};
    EXPECT_EQ(s.At(o.X, o.Y), kRed);
    EXPECT_EQ(s.At(o.X + 19, o.Y + 7), kRed);
    EXPECT_EQ(s.At(o.X - 1, o.Y), Beneath.At(o.X - 1, o.Y));
    EXPECT_EQ(s.At(o.X + 20, o.Y + 7), Beneath.At(o.X + 20, o.Y + 7));
    EXPECT_EQ(s.At(o.X + 10, o.Y + 9), Beneath.At(o.X + 10, o.Y + 9));  // masked out
  }
  void ExpectNoImageAt(const TPoint& P, const Surface& Beneath) {
    const Surface s = host().CaptureScreen();
    EXPECT_EQ(s.At(P.X - kHotSpot.X, P.Y - kHotSpot.Y), Beneath.At(P.X - kHotSpot.X, P.Y - kHotSpot.Y));
    EXPECT_NE(s.At(P.X - kHotSpot.X, P.Y - kHotSpot.Y), kRed);
  }

  TForm* form = nullptr;
  TImageControl* source = nullptr;
  TImageControl* target = nullptr;
  TPlainTarget* plain = nullptr;
};

TEST_F(cxDragImagesTest, TheImageFollowsTheMouseByItsHotSpotOverTargetsThatDisplayIt) {
  const Surface beneath = host().CaptureScreen();
  ASSERT_TRUE(source->ControlStyle().Contains(TControlStyleItem::csDisplayDragImage));
  host().MouseDown(source->Handle(), 30, 30);
  host().WhenIdle([&] { host().MouseMove(source->Handle(), 30 + Mouse->GetDragThreshold(), 30); });
  host().PumpUntilIdle();
  ASSERT_TRUE(source->Dragging());

  TPoint p = MoveTo(target, 40, 40);
  EXPECT_GT(target->Overs, 0);
  ExpectImageAt(p, beneath);
  // The target repainting under the image leaves it shown.
  target->Invalidate();
  host().PumpUntilIdle();
  ExpectImageAt(p, beneath);

  // A small step lands on the image where it still lies: the target is found through it.
  const int overs = target->Overs;
  p = MoveTo(target, 42, 41);
  EXPECT_EQ(target->Overs, overs + 1);
  ExpectImageAt(p, beneath);

  p = MoveTo(target, 70, 90);
  ExpectImageAt(p, beneath);
  const TPoint old = p;

  // Over a target that does not display drag images the image goes, and comes back after.
  p = MoveTo(plain, 40, 40);
  ExpectNoImageAt(p, beneath);
  ExpectNoImageAt(old, beneath);
  p = MoveTo(target, 60, 60);
  ExpectImageAt(p, beneath);

  host().MouseUp(target->Handle(), 60, 60);
  host().PumpUntilIdle();
  EXPECT_FALSE(source->Dragging());
  EXPECT_EQ(target->Drops, 1);
  ExpectNoImageAt(p, beneath);
}

TEST_F(cxDragImagesTest, NoImagesWithoutASizeAndACancelTakesTheImageAway) {
  class TSizeless : public TImageControl {
   public:
    using TImageControl::TImageControl;

   protected:
    TPoint GetDragImagesSize() override { return {0, 12}; }
  };
  auto* sizeless = New<TSizeless>(form);
  EXPECT_EQ(sizeless->GetDragImages(), nullptr);
  sizeless->Free();

  const Surface beneath = host().CaptureScreen();
  host().MouseDown(source->Handle(), 30, 30);
  host().WhenIdle([&] { host().MouseMove(source->Handle(), 30 + Mouse->GetDragThreshold(), 30); });
  host().PumpUntilIdle();
  const TPoint p = MoveTo(target, 40, 40);
  ExpectImageAt(p, beneath);
  host().Key(VK_ESCAPE);
  host().PumpUntilIdle();
  EXPECT_FALSE(source->Dragging());
  EXPECT_EQ(target->Drops, 0);
  ExpectNoImageAt(p, beneath);
}

}  // namespace
