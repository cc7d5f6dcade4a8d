#include <gtest/gtest.h>

#include "classlib/core/Streams.h"
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

// ---- Focus, designer notices and child components ----------------------------------------------

class TDesignerLog : public TObject, public IDesignerHook {
 public:
  void Modified() override { ++Count; }
  int Count = 0;
};

class TLoadingForm : public TForm {
 public:
  using TForm::TForm;
  void SetLoading(bool Value) { SetStateFlag(TComponentStateItem::csLoading, Value); }
};

class TChild : public TcxControlChildComponent {
  TL_CLASS(TChild, TcxControlChildComponent)
 public:
  using TcxControlChildComponent::TcxControlChildComponent;
  int Initialized = 0;
  std::vector<TcxControl*> Controls;

 protected:
  void Initialize() override { ++Initialized; }
  void SetControl(TcxControl* Value) override {
    inherited::SetControl(Value);
    Controls.push_back(Value);
  }
};
TL_DEFINE_CLASS(TChild)

TEST_F(cxDragImagesTest, AClickFocusesTheWindowWhenTheFormAlreadyCountsTheControlActive) {
  source->SetFocus();
  host().PumpUntilIdle();
  ASSERT_EQ(form->GetActiveControl(), source);
  // A window the form does not know takes the focus.
  HWND foreign = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 400, 300, 20, 20, form->Handle(), nullptr,
                                 nullptr, nullptr);
  ::SetFocus(foreign);
  host().PumpUntilIdle();
  ASSERT_FALSE(source->IsFocused());
  ASSERT_EQ(form->GetActiveControl(), source);

  host().Click(source->Handle(), 5, 5);
  host().PumpUntilIdle();
  EXPECT_TRUE(source->IsFocused());
  EXPECT_EQ(GetFocus(), source->Handle());
  DestroyWindow(foreign);
}

TEST_F(cxDragImagesTest, TheDesignerHearsOfChangesOnlyWhileNothingLoadsOrIsWritten) {
  auto* designForm = TCustomForm::CreateNew<TLoadingForm>(nullptr);
  TDesignerLog log;
  designForm->SetDesigner(&log);
  auto* control = New<TImageControl>(designForm);
  control->SetParent(designForm);
  control->DesignerModified();
  EXPECT_EQ(log.Count, 0);  // not designing
  designForm->SetDesigning(true);
  ASSERT_TRUE(control->IsDesigning());
  control->DesignerModified();
  EXPECT_EQ(log.Count, 1);
  designForm->SetLoading(true);
  control->DesignerModified();
  EXPECT_EQ(log.Count, 1);
  designForm->SetLoading(false);
  cxControlDesignerModified(control);
  EXPECT_EQ(log.Count, 2);
  designForm->Free();
}

TEST_F(cxDragImagesTest, ChildComponentsJoinMoveAndOutliveTheirControl) {
  auto* a = New<TChild>(source, true);
  EXPECT_EQ(a->Owner(), form);
  EXPECT_EQ(a->Initialized, 1);
  EXPECT_EQ(a->GetControl(), source);
  EXPECT_TRUE(a->HasParent());
  EXPECT_EQ(a->GetParentComponent(), source);
  ASSERT_EQ(source->ChildComponentCount(), 1);
  EXPECT_EQ(source->ChildComponents(0), a);

  Owned<TChild> b(New<TChild>(nullptr));
  EXPECT_FALSE(b->HasParent());
  b->SetParentComponent(target);
  b->SetParentComponent(source);  // moves: the first control lets it go
  EXPECT_EQ(target->ChildComponentCount(), 0);
  EXPECT_EQ(source->ChildComponentCount(), 2);
  EXPECT_EQ(b->Controls, (std::vector<TcxControl*>{target, nullptr, source}));
  b.reset();
  EXPECT_EQ(source->ChildComponentCount(), 1);

  // The control goes first: the component stays, without a control.
  source->Free();
  source = nullptr;
  EXPECT_EQ(a->GetControl(), nullptr);
  EXPECT_FALSE(a->HasParent());
  a->Free();  // nothing left to tell
}

TEST_F(cxDragImagesTest, TheScrollBarStreamsItsLimitsLookAndHints) {
  Owned<TcxScrollBar> bar(New<TcxScrollBar>(nullptr));
  bar->GetConstraints()->SetMaxWidth(100);
  bar->SetWidth(300);
  EXPECT_EQ(bar->GetWidth(), 100);
  bar->SetCtl3D(false);
  bar->SetShowHint(true);
  bar->SetDragKind(TDragKind::dkDock);

  Owned<TMemoryStream> stream(New<TMemoryStream>());
  stream->WriteComponent(bar.get());
  stream->SetPosition(0);
  Owned<TcxScrollBar> copy(New<TcxScrollBar>(nullptr));
  stream->ReadComponent(copy.get());
  EXPECT_EQ(copy->GetConstraints()->GetMaxWidth(), 100);
  EXPECT_EQ(copy->GetWidth(), 100);
  EXPECT_FALSE(copy->GetCtl3D());
  EXPECT_FALSE(copy->GetParentCtl3D());
  EXPECT_TRUE(copy->GetShowHint());
  EXPECT_EQ(copy->GetDragKind(), TDragKind::dkDock);
  for (const char* name : {"OnStartDock", "OnEndDock", "ParentShowHint"})
    EXPECT_NE(GetPropInfo(copy.get(), name), nullptr) << name;
}

}  // namespace
