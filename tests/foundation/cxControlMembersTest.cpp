#include <gtest/gtest.h>

#include "classlib/core/Streams.h"
#include "platform/gdi/Surface.h"
#include "platform/host/HeadlessHost.h"
#include "platform/user/User.h"
#include "tests/support/AppTest.h"
#include "widgets/foundation/cxControlBase.h"

#include <vector>

namespace {

constexpr Pixel kRed = 0xFF0000;
constexpr TPoint kHot{5, 3};

// Drags a 20 x 12 image, red with its last four rows transparent, held at kHot; accepts drops.
class TImageControl : public TcxControl {
  TL_CLASS(TImageControl, TcxControl)
 public:
  using TcxControl::TcxControl;
  int Drops = 0, Overs = 0;
  TPoint Size{20, 12};
  void DragOver(TObject* Source, Integer X, Integer Y, TDragState State, bool& Accept) override {
    inherited::DragOver(Source, X, Y, State, Accept);
    Overs += State != TDragState::dsDragLeave;
    Accept = true;
  }
  void DragDrop(TObject*, Integer, Integer) override { ++Drops; }

 protected:
  bool HasDragImages() override { return true; }
  TPoint GetDragImagesSize() override { return Size; }
  void DrawDragImage(TcxCanvas* ACanvas, const TRect& R) override {
    TCanvas* c = ACanvas->Canvas();
    c->Brush()->SetColor(clFuchsia);
    c->FillRect(R);
    c->Brush()->SetColor(clRed);
    c->FillRect(TRect{R.Left, R.Top, R.Right, R.Top + 8});
  }
  void InitDragImages(TcxDragImageList* ADragImages) override {
    inherited::InitDragImages(ADragImages);
    ADragImages->SetDragImage(0, kHot.X, kHot.Y);
  }
};
TL_DEFINE_CLASS(TImageControl)

class TChild : public TcxControlChildComponent {
  TL_CLASS(TChild, TcxControlChildComponent)
 public:
  using TcxControlChildComponent::TcxControlChildComponent;
  int Initialized = 0;

 protected:
  void Initialize() override { ++Initialized; }
};
TL_DEFINE_CLASS(TChild)

class cxControlMembersTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    cxControls::Initialize();
    form = TCustomForm::CreateNew(nullptr);
    form->SetBounds(50, 50, 600, 420);
    source = Add<TImageControl>(10, 10);
    target = Add<TImageControl>(220, 10);
    plain = Add<TImageControl>(10, 200);  // displays no drag images
    plain->SetControlStyle(plain->ControlStyle() - TControlStyle{TControlStyleItem::csDisplayDragImage});
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
  TPoint MoveTo(TWinControl* C, Integer X, Integer Y) {
    host().MouseMove(C->Handle(), X, Y);
    host().PumpUntilIdle();
    return C->ClientToScreen({X, Y});
  }
  // The red rows of the image exactly around the hot spot at P, what lies beneath elsewhere.
  void ExpectImage(const TPoint& P, bool Shown) {
    const Surface s = host().CaptureScreen();
    const TPoint o{P.X - kHot.X, P.Y - kHot.Y};
    EXPECT_EQ(s.At(o.X, o.Y) == kRed, Shown);
    EXPECT_EQ(s.At(o.X + 19, o.Y + 7) == kRed, Shown);
    for (TPoint q : {TPoint{o.X - 1, o.Y}, TPoint{o.X + 20, o.Y + 7}, TPoint{o.X + 10, o.Y + 9}})
      EXPECT_EQ(s.At(q.X, q.Y), beneath.At(q.X, q.Y));
  }

  TForm* form = nullptr;
  TImageControl* source = nullptr;
  TImageControl* target = nullptr;
  TImageControl* plain = nullptr;
  Surface beneath{1, 1};
};

TEST_F(cxControlMembersTest, DragImagesFollowTheMouseByTheirHotSpotOverTargetsThatDisplayThem) {
  beneath = host().CaptureScreen();
  source->SetDragMode(TDragMode::dmAutomatic);
  host().MouseDown(source->Handle(), 30, 30);
  host().WhenIdle([&] { host().MouseMove(source->Handle(), 30 + Mouse->GetDragThreshold(), 30); });
  host().PumpUntilIdle();
  ASSERT_TRUE(source->Dragging());
  TPoint p = MoveTo(target, 40, 40);
  ExpectImage(p, true);
  target->Invalidate();  // a repaint under the image leaves it shown
  host().PumpUntilIdle();
  ExpectImage(p, true);
  // A small step lands on the image where it still lies: the target is found through it.
  const int overs = target->Overs;
  p = MoveTo(target, 42, 41);
  EXPECT_EQ(target->Overs, overs + 1);
  ExpectImage(p, true);

  const TPoint over = MoveTo(plain, 40, 40);
  ExpectImage(over, false);
  ExpectImage(p, false);
  p = MoveTo(target, 60, 60);
  ExpectImage(p, true);
  host().MouseUp(target->Handle(), 60, 60);
  host().PumpUntilIdle();
  EXPECT_EQ(target->Drops, 1);
  ExpectImage(p, false);

}

TEST_F(cxControlMembersTest, AClickFocusesTheWindowWhenTheFormAlreadyCountsTheControlActive) {
  source->SetFocus();
  HWND foreign = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 400, 300, 20, 20, form->Handle(), nullptr,
                                 nullptr, nullptr);
  ::SetFocus(foreign);  // a window the form does not know
  host().PumpUntilIdle();
  ASSERT_FALSE(source->IsFocused());
  ASSERT_EQ(form->GetActiveControl(), source);
  host().Click(source->Handle(), 5, 5);
  host().PumpUntilIdle();
  EXPECT_TRUE(source->IsFocused());
  DestroyWindow(foreign);
}

TEST_F(cxControlMembersTest, ChildComponentsJoinStreamAndOutliveTheirControl) {
  RegisterClasses({&TImageControl::StaticClass(), &TChild::StaticClass()});
  source->SetName("Source");
  auto* a = New<TChild>(source, true);
  a->SetName("Part");
  EXPECT_EQ(a->Owner(), form);
  EXPECT_EQ(a->Initialized, 1);
  ASSERT_EQ(source->ChildComponentCount(), 1);

  // Written inside the control (its owner skips what has a parent), joined when read.
  Owned<TMemoryStream> stream(New<TMemoryStream>());
  stream->WriteComponent(form);
  stream->SetPosition(0);
  TForm* copy = TCustomForm::CreateNew(nullptr);
  stream->ReadComponent(copy);
  auto* readPart = dynamic_cast<TChild*>(copy->FindComponent("Part"));
  ASSERT_NE(readPart, nullptr);
  EXPECT_EQ(readPart->GetControl(), copy->FindComponent("Source"));
  copy->Free();

  // A control written on its own leaves out the bars it makes itself.
  ASSERT_GT(source->ControlCount(), 0);
  stream->Clear();
  stream->WriteComponent(source);
  stream->SetPosition(0);
  Owned<TImageControl> alone(New<TImageControl>(nullptr));
  alone->SetParent(form);
  alone->HandleNeeded();
  const Integer own = alone->ControlCount();
  EXPECT_NO_THROW(stream->ReadComponent(alone.get()));
  EXPECT_EQ(alone->ControlCount(), own);
  UnRegisterClass(TChild::StaticClass());
  UnRegisterClass(TImageControl::StaticClass());

  source->Free();  // the control goes first: the component stays, without a control
  EXPECT_EQ(a->GetControl(), nullptr);
  a->Free();
}

}  // namespace
