#include <gtest/gtest.h>

#include "classlib/core/SysUtils.h"
#include "classlib/visual/Messages.h"
#include "platform/host/HeadlessHost.h"
#include "platform/user/User.h"
#include "tests/support/AppTest.h"
#include "widgets/foundation/cxControlBase.h"
#include "widgets/foundation/cxControls.h"

namespace {

using enum TcxDragDetect;

class TLeaveCounting : public TCustomControl {
  TL_CLASS(TLeaveCounting, TCustomControl)
 public:
  using TCustomControl::TCustomControl;
  int Leaves = 0;
  LPARAM LastLeaveParam = 0;
  TObject* FreeOnLeave = nullptr;

 protected:
  void WndProc(TMessage& Message) override {
    if (Message.Msg == CM_MOUSELEAVE) {
      ++Leaves;
      LastLeaveParam = Message.LParam;
      if (FreeOnLeave) FreeAndNil(FreeOnLeave);
    }
    inherited::WndProc(Message);
  }
};
TL_DEFINE_CLASS(TLeaveCounting)

// Counted outside the objects, which the tests free before their tick would tell them.
int gLeavesTold = 0;

class TComponentCaller : public TcxComponent, public IcxMouseTrackingCaller {
  TL_CLASS(TComponentCaller, TcxComponent)
 public:
  TComponentCaller() : TcxComponent(nullptr) {}
  void MouseLeave() override { ++gLeavesTold; }
};
TL_DEFINE_CLASS(TComponentCaller)

// Tracks itself and frees itself when the mouse leaves it.
class TSelfFreeing : public TcxControl, public IcxMouseTrackingCaller {
  TL_CLASS(TSelfFreeing, TcxControl)
 public:
  using TcxControl::TcxControl;
  using TcxControl::MouseLeave;
  void MouseLeave() override { ++gLeavesTold; }

 protected:
  void WndProc(TMessage& Message) override {
    if (Message.Msg == CM_MOUSELEAVE) {
      Free();
      return;
    }
    inherited::WndProc(Message);
  }
};
TL_DEFINE_CLASS(TSelfFreeing)

class TCaller : public TObject, public IcxMouseTrackingCaller {
  TL_CLASS(TCaller, TObject)
 public:
  void MouseLeave() override {
    ++Leaves;
    if (Restart) cxBeginMouseTracking(nullptr, {0, 0, 10, 10}, this);
  }
  int Leaves = 0;
  bool Restart = false;
};
TL_DEFINE_CLASS(TCaller)

// Claims only the left half of the control's client area.
class THalfCaller : public TObject, public IcxMouseTrackingCaller2 {
  TL_CLASS(THalfCaller, TObject)
 public:
  void MouseLeave() override { ++Leaves; }
  bool PtInCaller(const TPoint& P) override { return P.X >= 0 && P.X < 50 && P.Y >= 0 && P.Y < 100; }
  int Leaves = 0;
};
TL_DEFINE_CLASS(THalfCaller)

class cxDragAndDropTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    cxControls::Initialize();
    form = TCustomForm::CreateNew(nullptr);
    form->SetBounds(100, 100, 400, 300);
    control = New<TLeaveCounting>(form);
    control->SetBounds(20, 20, 100, 100);
    control->SetParent(form);
    form->Show();
    host().PumpUntilIdle();
  }
  void TearDown() override {
    if (form) form->Free();
    cxControls::Finalize();
    AppTest::TearDown();
  }
  void CursorTo(Integer x, Integer y) {  // screen coordinates
    host().MouseMove(nullptr, x, y);
    host().PumpUntilIdle();
  }
  TPoint ControlOrigin() { return control->ClientToScreen({0, 0}); }

  TForm* form = nullptr;
  TLeaveCounting* control = nullptr;
  Owned<TCaller> caller{New<TCaller>()};
};

TEST_F(cxDragAndDropTest, TrackingNoticesTheMouseLeavingWithinATick) {
  const TPoint o = ControlOrigin();
  CursorTo(o.X + 10, o.Y + 10);
  cxBeginMouseTracking(control, {0, 0, 100, 100}, caller.get());
  cxBeginMouseTracking(control, {0, 0, 100, 100}, caller.get());  // one tracking per caller
  host().Advance(50);
  EXPECT_EQ(caller->Leaves, 0);
  CursorTo(o.X + 150, o.Y + 10);
  const int beforeTick = control->Leaves;  // the class library's own notice, if any
  EXPECT_EQ(caller->Leaves, 0);
  host().Advance(10);
  EXPECT_EQ(caller->Leaves, 1);  // once, although begun twice
  EXPECT_EQ(control->Leaves - beforeTick, 1);
  EXPECT_EQ(control->LastLeaveParam, LPARAM(static_cast<TControl*>(control)));
  EXPECT_FALSE(cxIsMouseTracking(caller.get()));
}

TEST_F(cxDragAndDropTest, ASecondInterfaceDecidesInsideItself) {
  Owned<THalfCaller> half(New<THalfCaller>());
  const TPoint o = ControlOrigin();
  CursorTo(o.X + 10, o.Y + 10);
  cxBeginMouseTracking(control, {0, 0, 100, 100}, half.get());
  CursorTo(o.X + 70, o.Y + 10);  // inside the bounds, outside what the caller claims
  host().Advance(10);
  EXPECT_EQ(half->Leaves, 1);
}

TEST_F(cxDragAndDropTest, EndingOrRestartingFromTheLeaveHandlerIsSafe) {
  CursorTo(5, 5);
  caller->Restart = true;
  cxBeginMouseTracking(nullptr, {0, 0, 10, 10}, caller.get());
  CursorTo(50, 50);
  host().Advance(10);
  EXPECT_EQ(caller->Leaves, 1);
  EXPECT_TRUE(cxIsMouseTracking(caller.get()));  // tracking again, begun from the handler
  cxEndMouseTracking(caller.get());
  EXPECT_FALSE(cxIsMouseTracking(caller.get()));
  host().Advance(50);
  EXPECT_EQ(caller->Leaves, 1);
}

TEST_F(cxDragAndDropTest, ATrackedControlMayBeFreedAndShutDownEndsLeftoverTracking) {
  const TPoint o = ControlOrigin();
  CursorTo(o.X + 10, o.Y + 10);
  cxBeginMouseTracking(control, {0, 0, 100, 100}, caller.get());
  control->Free();
  control = nullptr;
  CursorTo(o.X + 300, o.Y + 10);
  host().Advance(10);  // the tick must not reach the freed control
  EXPECT_EQ(caller->Leaves, 1);

  cxBeginMouseTracking(nullptr, {0, 0, 2000, 2000}, caller.get());
  cxControls::Finalize();  // no exception, no timer left for the leak check
  cxControls::Initialize();
  EXPECT_FALSE(cxIsMouseTracking(caller.get()));
}

TEST_F(cxDragAndDropTest, ACallerOrControlFreedByTheLeaveNoticeIsNotToldAfterwards) {
  const TPoint o = ControlOrigin();
  gLeavesTold = 0;
  auto* tracker = New<TComponentCaller>();
  control->FreeOnLeave = tracker;
  CursorTo(o.X + 10, o.Y + 10);
  cxBeginMouseTracking(control, {0, 0, 100, 100}, tracker);
  CursorTo(o.X + 150, o.Y + 10);
  host().Advance(10);
  EXPECT_EQ(control->FreeOnLeave, nullptr);
  EXPECT_EQ(gLeavesTold, 0);

  auto* self = New<TSelfFreeing>(form);
  self->SetBounds(200, 20, 50, 50);
  self->SetParent(form);
  host().PumpUntilIdle();
  const TPoint s = self->ClientToScreen({0, 0});
  CursorTo(s.X + 10, s.Y + 10);
  cxBeginMouseTracking(self, {0, 0, 50, 50}, self);
  CursorTo(s.X + 100, s.Y + 10);
  host().Advance(10);
  EXPECT_EQ(form->ControlCount(), 1);  // it is gone
  EXPECT_EQ(gLeavesTold, 0);
}

TEST_F(cxDragAndDropTest, DragDetectAnswersByWhatEndsTheLoop) {
  const TPoint o = ControlOrigin();
  const HWND wnd = control->Handle();
  const Integer d = Mouse->GetDragThreshold();
  CursorTo(o.X + 30, o.Y + 30);
  host().WhenIdle([&] { host().MouseUp(wnd, 30, 30); });
  EXPECT_EQ(cxDragDetect(wnd), ddNone);
  EXPECT_EQ(GetCapture(), nullptr);

  host().WhenIdle([&] { host().KeyDown(VK_ESCAPE); });
  EXPECT_EQ(cxDragDetect(wnd), ddCancel);
  host().KeyUp(VK_ESCAPE);
  host().PumpUntilIdle();

  // Within the threshold the loop goes on; one pixel further it reports a drag.
  host().WhenIdle([&] {
    host().MouseMove(wnd, 30 + d - 1, 30);
    host().WhenIdle([&] { host().MouseMove(wnd, 30 + d, 30); });
  });
  EXPECT_EQ(cxDragDetect(wnd), ddDrag);
  EXPECT_EQ(GetCapture(), nullptr);

  PostQuitMessage(3);
  EXPECT_EQ(cxDragDetect(wnd), ddCancel);
  MSG msg{};
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));  // handed back
  EXPECT_EQ(msg.wParam, 3u);
}

TEST_F(cxDragAndDropTest, DragAreaAndPanningSpeed) {
  Mouse->SetDragThreshold(4);
  EXPECT_TRUE(cxIsPointInDragArea({10, 10}, 13, 7));
  EXPECT_FALSE(cxIsPointInDragArea({10, 10}, 14, 10));
  EXPECT_FALSE(cxIsPointInDragArea({10, 10}, 10, 6));
  // Just outside a tall indicator's dead zone, measured against its width: never below 1.
  EXPECT_EQ(cxPanningSpeed(11, 40), 1);
  EXPECT_EQ(cxPanningSpeed(25, 40), 2);
  EXPECT_EQ(cxPanningSpeed(1000, 40), 12);
}

TEST_F(cxDragAndDropTest, HourglassIsCountedAndRestoresTheCursor) {
  Screen->SetCursor(crHandPoint);
  cxHideHourglassCursor();  // without a show: nothing
  EXPECT_EQ(Screen->GetCursor(), crHandPoint);
  cxShowHourglassCursor();
  cxShowHourglassCursor();
  EXPECT_EQ(Screen->GetCursor(), crHourGlass);
  cxHideHourglassCursor();
  EXPECT_EQ(Screen->GetCursor(), crHourGlass);
  cxHideHourglassCursor();
  EXPECT_EQ(Screen->GetCursor(), crHandPoint);
  Screen->SetCursor(crDefault);
}

}  // namespace
