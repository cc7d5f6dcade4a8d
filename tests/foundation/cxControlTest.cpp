#include <gtest/gtest.h>

#include "classlib/core/Streams.h"
#include "classlib/visual/Menus.h"
#include "classlib/visual/Messages.h"
#include "classlib/visual/StdCtrls.h"
#include "platform/host/HeadlessHost.h"
#include "platform/kernel/Clock.h"
#include "platform/user/User.h"
#include "tests/support/AppTest.h"
#include "widgets/foundation/cxControlBase.h"

#include <functional>
#include <utility>
#include <vector>

namespace {

using enum TScrollBarKind;
using enum TScrollCode;

// Content of a fixed size scrolled in pixels; the bars follow from the client area left.
class TContentControl : public TcxControl {
  TL_CLASS(TContentControl, TcxControl)
 public:
  using TcxControl::TcxControl;
  Integer ContentWidth = 0, ContentHeight = 0;
  bool AllowHide = true;
  bool Flipping = false;  // a calculation that never agrees with itself
  int HookRuns = 0;
  int MetricsRequests = 0;
  std::vector<std::pair<TScrollBarKind, TScrollCode>> Scrolls;
  std::vector<DWORD> ScrollTimes;
  size_t ReleaseCaptureAfter = 0;  // ends a modal mouse loop after that many scrolls

 protected:
  void CalculateScrollBarsHook() override {
    ++HookRuns;
    if (Flipping) {
      const bool show = !HScrollBarVisible();
      SetScrollBarInfo(sbHorizontal, 0, show ? 1000 : 0, 1, 10, 0, true, true);
      SetScrollBarInfo(sbVertical, 0, show ? 0 : 1000, 1, 10, 0, true, true);
      return;
    }
    const TRect C = GetClientBounds();
    SetScrollBarInfo(sbHorizontal, 0, ContentWidth - 1, 1, C.Right - C.Left, 0, true, AllowHide);
    SetScrollBarInfo(sbVertical, 0, ContentHeight - 1, 1, C.Bottom - C.Top, 0, true, AllowHide);
  }
  void Scroll(TScrollBarKind AKind, TScrollCode AScrollCode, Integer&) override {
    Scrolls.emplace_back(AKind, AScrollCode);
    ScrollTimes.push_back(GetTickCount());
    if (ReleaseCaptureAfter && Scrolls.size() == ReleaseCaptureAfter) ReleaseCapture();
  }
  void WndProc(TMessage& Message) override {
    if (Message.Msg == TL_MSG_METRICS_REFRESH) ++MetricsRequests;
    inherited::WndProc(Message);
  }
};
TL_DEFINE_CLASS(TContentControl)

class cxControlTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    cxControls::Initialize();
    form = TCustomForm::CreateNew(nullptr);
    form->SetBounds(50, 50, 500, 400);
    control = New<TContentControl>(form);
    control->SetBounds(10, 10, 200, 150);
    control->SetParent(form);
    form->Show();
    host().PumpUntilIdle();
    hBar = GetSystemMetrics(SM_CYHSCROLL);
    vBar = GetSystemMetrics(SM_CXVSCROLL);
  }
  void TearDown() override {
    form->Free();
    cxControls::Finalize();
    AppTest::TearDown();
  }
  void Content(Integer w, Integer h) {
    control->ContentWidth = w;
    control->ContentHeight = h;
    control->UpdateScrollBars();
  }
  // While a modal loop waits, time passes one 20 ms timer tick per wait.
  void TickWhilePanning() {
    host().WhenIdle([this] {
      host().Sleep(20);
      if (control->IsPanning()) TickWhilePanning();
    });
  }
  bool HShown() { return control->HScrollBar()->GetVisible(); }
  bool VShown() { return control->VScrollBar()->GetVisible(); }

  TForm* form = nullptr;
  TContentControl* control = nullptr;
  Integer hBar = 0, vBar = 0;
};

TEST_F(cxControlTest, BarsShowForContentThatDoesNotFitAndPlaceTheGrip) {
  Content(100, 100);
  EXPECT_FALSE(HShown());
  EXPECT_EQ(control->GetClientBounds(), (TRect{0, 0, 200, 150}));

  Content(400, 400);
  EXPECT_TRUE(control->SizeGrip()->GetVisible());
  EXPECT_EQ(control->GetClientBounds(), (TRect{0, 0, 200 - vBar, 150 - hBar}));
  EXPECT_EQ(control->HScrollBar()->GetBoundsRect(), (TRect{0, 150 - hBar, 200 - vBar, 150}));
}

TEST_F(cxControlTest, OneBarCanForceTheOther) {
  // The width fits until the vertical bar takes its share.
  Content(200 - vBar / 2, 400);
  EXPECT_TRUE(VShown());
  EXPECT_TRUE(HShown());
  EXPECT_LE(control->HookRuns, 2 * TcxControl::kMaxScrollBarPasses);
}

TEST_F(cxControlTest, ScrollBarsStyleAndHidingRules) {
  control->SetScrollBars(TScrollStyle::ssHorizontal);
  Content(400, 400);
  EXPECT_TRUE(HShown());
  EXPECT_FALSE(VShown());

  control->SetScrollBars(TScrollStyle::ssBoth);
  control->AllowHide = false;
  Content(100, 100);  // fits, but may not hide: shown disabled
  EXPECT_TRUE(HShown());
  EXPECT_TRUE(VShown());
  EXPECT_FALSE(control->HScrollBar()->GetEnabled());
  EXPECT_FALSE(control->VScrollBar()->GetEnabled());
}

TEST_F(cxControlTest, ACalculationThatNeverSettlesIsCapped) {
  control->Flipping = true;
  control->UpdateScrollBars();  // must return
  EXPECT_LE(control->HookRuns, 4 * TcxControl::kMaxScrollBarPasses);
  // The disputed bars stay shown and disabled instead of flickering.
  EXPECT_TRUE(HShown() || VShown());
  if (HShown() && VShown()) {
    EXPECT_FALSE(control->HScrollBar()->GetEnabled() && control->VScrollBar()->GetEnabled());
  }
}

TEST_F(cxControlTest, NegativeMinWithALargePageDoesNotFailTheLayout) {
  control->BeginUpdateScrollBars();
  control->SetScrollBarInfo(sbVertical, -100, 10, 1, 50, -20, true, true);
  control->EndUpdateScrollBars();
  EXPECT_NO_THROW(control->VScrollBar()->ApplyData());
  TcxControlScrollBar* bar = control->VScrollBar();
  EXPECT_TRUE(bar->GetVisible());
  // The range stays as asked, so positions mean what the control meant.
  EXPECT_EQ(bar->GetMin(), -100);
  EXPECT_EQ(bar->GetPosition(), -20);
  EXPECT_FALSE(bar->ThumbRect().IsEmpty());
  // A bar of its own keeps refusing the same values.
  EXPECT_THROW(control->VScrollBar()->SetScrollParams(-100, 10, 0, 50), EInvalidOperation);
}

TEST_F(cxControlTest, UpdatesWaitForTheLastUnlock) {
  control->BeginUpdateScrollBars();
  control->BeginUpdateScrollBars();
  Content(400, 400);
  EXPECT_FALSE(HShown());
  control->EndUpdateScrollBars();
  EXPECT_FALSE(HShown());
  control->EndUpdateScrollBars();
  EXPECT_TRUE(HShown());
  control->EndUpdateScrollBars();  // an extra unlock is harmless
}

TEST_F(cxControlTest, DialogCodesFollowKeysAndCtrlKeepsTab) {
  const HWND wnd = control->Handle();
  EXPECT_EQ(SendMessageA(wnd, WM_GETDLGCODE, 0, 0), 0);
  control->SetKeys({TcxKey::kArrows, TcxKey::kChars, TcxKey::kTab});
  EXPECT_EQ(SendMessageA(wnd, WM_GETDLGCODE, 0, 0), DLGC_WANTARROWS | DLGC_WANTCHARS | DLGC_WANTTAB);
  host().KeyDown(VK_CONTROL);
  host().PumpUntilIdle();
  EXPECT_EQ(SendMessageA(wnd, WM_GETDLGCODE, 0, 0), DLGC_WANTARROWS | DLGC_WANTCHARS);
  host().KeyUp(VK_CONTROL);
  host().PumpUntilIdle();
}

TEST_F(cxControlTest, WheelScrollsLinesOrOnePage) {
  Content(100, 400);
  control->SetFocus();  // the wheel goes to the focused control
  host().PumpUntilIdle();
  control->Scrolls.clear();
  host().Wheel(control->Handle(), 20, 20, -120);
  host().PumpUntilIdle();
  ASSERT_EQ(control->Scrolls.size(), size_t(Mouse->GetWheelScrollLines()));
  EXPECT_EQ(control->Scrolls[0], std::make_pair(sbVertical, scLineDown));

  // One page per notch: one page step, not a loop over the all-ones count.
  SystemParametersInfoA(SPI_SETWHEELSCROLLLINES, WHEEL_PAGESCROLL, nullptr, SPIF_SENDCHANGE);
  host().PumpUntilIdle();
  ASSERT_EQ(Mouse->GetWheelScrollLines(), Integer(WHEEL_PAGESCROLL));
  control->Scrolls.clear();
  host().Wheel(control->Handle(), 20, 20, 120);
  host().PumpUntilIdle();
  ASSERT_EQ(control->Scrolls.size(), 1u);
  EXPECT_EQ(control->Scrolls[0], std::make_pair(sbVertical, scPageUp));

  Content(100, 100);  // no vertical bar: the wheel is not taken
  control->Scrolls.clear();
  host().Wheel(control->Handle(), 20, 20, 120);
  host().PumpUntilIdle();
  EXPECT_TRUE(control->Scrolls.empty());
}

TEST_F(cxControlTest, MetricChangesReachControlsWithScrollBars) {
  ASSERT_NE(cxSettingsController()->Window(), nullptr);
  const int before = control->MetricsRequests;
  SendMessageA(cxSettingsController()->Window(), WM_SETTINGCHANGE, 0x2A, 0);
  EXPECT_EQ(control->MetricsRequests, before + 1);
  SendMessageA(cxSettingsController()->Window(), WM_SETTINGCHANGE, 0x2F, 0);  // another setting
  EXPECT_EQ(control->MetricsRequests, before + 1);
  control->Free();  // unregisters; the controller lets its window go with the last control
  EXPECT_EQ(cxSettingsController()->Window(), nullptr);
}

TEST_F(cxControlTest, MiddleButtonPansAlongTheShownBarAtTheSpeedOfTheDistance) {
  Content(100, 400);  // only the vertical bar
  const HWND wnd = control->Handle();
  const TPoint start = control->ClientToScreen({40, 40});
  host().MouseMove(nullptr, start.X, start.Y);
  host().PumpUntilIdle();
  control->ReleaseCaptureAfter = 3;
  // A click without moving leaves panning on; far away (mostly sideways) it scrolls down at
  // full speed: every 20 ms tick, although only the vertical bar can pan.
  host().WhenIdle([&] {
    host().MouseUp(wnd, 40, 40, MouseButton::Middle);
    host().WhenIdle([&] {
      host().MouseMove(nullptr, start.X + 300, start.Y + 200);
      TickWhilePanning();
    });
  });
  host().MouseDown(wnd, 40, 40, MouseButton::Middle);
  host().PumpUntilIdle();
  EXPECT_FALSE(control->IsPanning());
  ASSERT_EQ(control->Scrolls.size(), 3u);
  for (const auto& s : control->Scrolls) EXPECT_EQ(s, std::make_pair(sbVertical, scLineDown));
  EXPECT_EQ(control->ScrollTimes[1] - control->ScrollTimes[0], 20u);
}

TEST_F(cxControlTest, PanningEndsOnEscapeAndNeedsABar) {
  const HWND wnd = control->Handle();
  Content(100, 100);  // no bars: a middle click does nothing
  host().MouseDown(wnd, 40, 40, MouseButton::Middle);  // would stall the host if a loop ran
  host().PumpUntilIdle();
  host().MouseUp(wnd, 40, 40, MouseButton::Middle);
  host().PumpUntilIdle();

  Content(400, 400);
  host().WhenIdle([&] { host().KeyDown(VK_ESCAPE); });
  host().MouseDown(wnd, 40, 40, MouseButton::Middle);
  host().PumpUntilIdle();
  EXPECT_FALSE(control->IsPanning());
  EXPECT_TRUE(control->Scrolls.empty());
  EXPECT_EQ(GetCapture(), nullptr);
  host().KeyUp(VK_ESCAPE);
  host().PumpUntilIdle();
}

class TEventLog : public TObject {
  TL_CLASS(TEventLog, TObject)
 public:
  void Entered(TObject*) { Events.push_back("enter"); }
  void Left(TObject*) { Events.push_back("leave"); }
  void Focus(TObject*) { Events.push_back("focus"); }
  std::vector<String> Events;
};
TL_DEFINE_CLASS(TEventLog)

TEST_F(cxControlTest, MouseEnterLeaveAndFocusEventsFire) {
  Owned<TEventLog> log(New<TEventLog>());
  control->OnMouseEnter = TNotifyEvent(log.get(), &TEventLog::Entered);
  control->OnMouseLeave = TNotifyEvent(log.get(), &TEventLog::Left);
  control->OnFocusChanged = TNotifyEvent(log.get(), &TEventLog::Focus);
  host().MouseMove(form->Handle(), 300, 300);
  host().PumpUntilIdle();
  host().MouseMove(control->Handle(), 30, 30);
  host().PumpUntilIdle();
  host().MouseMove(form->Handle(), 300, 300);
  host().PumpUntilIdle();
  EXPECT_EQ(log->Events, (std::vector<String>{"enter", "leave"}));

  log->Events.clear();
  host().Click(control->Handle(), 30, 30);  // focus on click
  host().PumpUntilIdle();
  EXPECT_TRUE(control->Focused());
  ASSERT_FALSE(log->Events.empty());
  EXPECT_EQ(log->Events.back(), "focus");

  // Freeing the focused control fires nothing into handlers whose owners may be gone.
  log->Events.clear();
  control->Free();
  control = nullptr;
  EXPECT_TRUE(log->Events.empty());
}

// The mouse entering a control runs its OnMouseEnter from inside the move that the control's
// own window receives; a handler freeing the control there must end that move.
class TSelfFreer : public TObject {
  TL_CLASS(TSelfFreer, TObject)
 public:
  TControl* Victim = nullptr;
  void Kill(TObject*) {
    if (TControl* v = std::exchange(Victim, nullptr)) v->Free();
  }
};
TL_DEFINE_CLASS(TSelfFreer)

TEST_F(cxControlTest, AnOnMouseEnterHandlerMayFreeTheControl) {
  Owned<TSelfFreer> freer(New<TSelfFreer>());
  host().MouseMove(form->Handle(), 300, 300);
  host().PumpUntilIdle();
  freer->Victim = control;
  control->OnMouseEnter = TNotifyEvent(freer.get(), &TSelfFreer::Kill);
  TWeakLink link(control);
  host().MouseMove(control->Handle(), 30, 30);
  host().PumpUntilIdle();
  EXPECT_FALSE(link.Alive());
  control = nullptr;
  // The form goes on taking the mouse.
  host().MouseMove(form->Handle(), 320, 300);
  host().PumpUntilIdle();
}

// The mouse entering or leaving a child reaches its parent's handlers from inside the child's
// own message; a parent's handler freeing the parent frees the child under that message.
TEST_F(cxControlTest, AParentsMouseEnterOrLeaveHandlerMayFreeItWithTheChildUnderTheMouse) {
  Owned<TSelfFreer> freer(New<TSelfFreer>());
  for (const bool entering : {true, false}) {
    SCOPED_TRACE(entering ? "entering" : "leaving");
    if (!control) {
      control = New<TContentControl>(form);
      control->SetBounds(10, 10, 200, 150);
      control->SetParent(form);
    }
    auto* child = New<TContentControl>(form);
    child->SetBounds(20, 20, 80, 60);
    child->SetParent(control);
    host().MouseMove(form->Handle(), 300, 300);
    host().PumpUntilIdle();
    if (!entering) {
      host().MouseMove(child->Handle(), 30, 30);
      host().PumpUntilIdle();
    }
    freer->Victim = control;
    (entering ? control->OnMouseEnter : control->OnMouseLeave) = TNotifyEvent(freer.get(), &TSelfFreer::Kill);
    TWeakLink parentLink(control), childLink(child);
    if (entering)
      host().MouseMove(child->Handle(), 30, 30);
    else
      host().MouseMove(form->Handle(), 300, 300);
    host().PumpUntilIdle();
    EXPECT_FALSE(parentLink.Alive());
    EXPECT_FALSE(childLink.Alive());
    control = nullptr;
    host().MouseMove(form->Handle(), 320, 300);
    host().PumpUntilIdle();
  }
}

std::vector<String> gDragLog;

class TLoggingDragObject : public TcxDragAndDropObject {
  TL_CLASS(TLoggingDragObject, TcxDragAndDropObject)
 public:
  using TcxDragAndDropObject::TcxDragAndDropObject;
  ~TLoggingDragObject() override { gDragLog.push_back("freed"); }

 protected:
  void BeginDragAndDrop() override {
    gDragLog.push_back("begin");
    inherited::BeginDragAndDrop();
  }
  void DragAndDrop(const TPoint& P, bool& Accepted) override {
    Accepted = P.X < 150;  // accepted over the left part only
    gDragLog.push_back(Accepted ? "move+" : "move-");
    inherited::DragAndDrop(P, Accepted);
  }
  void EndDragAndDrop(bool Accepted) override {
    gDragLog.push_back(Accepted ? "end+" : "end-");
    inherited::EndDragAndDrop(Accepted);
  }
};
TL_DEFINE_CLASS(TLoggingDragObject)

class TDraggingControl : public TContentControl {
  TL_CLASS(TDraggingControl, TContentControl)
 public:
  using TContentControl::TContentControl;

 void AfterConstruction() override {
    inherited::AfterConstruction();
    SetDragAndDropObjectClass(ClassOf<TLoggingDragObject, TcxDragAndDropObject, TcxControl*>());
  }

 protected:
  bool StartDragAndDrop(const TPoint& P) override { return P.Y < 50; }  // only the top strip drags
};
TL_DEFINE_CLASS(TDraggingControl)

class cxControlDragTest : public cxControlTest {
 protected:
  void SetUp() override {
    cxControlTest::SetUp();
    gDragLog.clear();
    drag = New<TDraggingControl>(form);
    drag->SetBounds(220, 10, 200, 150);
    drag->SetParent(form);
    host().PumpUntilIdle();
  }
  enum Kind { Down, Move, Up };
  void Input(Kind what, Integer x, Integer y) {
    if (what == Down) host().MouseDown(drag->Handle(), x, y);
    if (what == Move) host().MouseMove(drag->Handle(), x, y);
    if (what == Up) host().MouseUp(drag->Handle(), x, y);
    host().PumpUntilIdle();
  }
  TDraggingControl* drag = nullptr;
};

TEST_F(cxControlDragTest, StartsBeyondTheThresholdAndEndsAcceptedOnRelease) {
  using enum TcxDragAndDropState;
  Input(Down, 30, 30);
  EXPECT_EQ(drag->GetDragAndDropState(), ddsStarting);
  Input(Move, 31, 31);  // within the threshold: still waiting
  EXPECT_EQ(drag->GetDragAndDropState(), ddsStarting);
  EXPECT_TRUE(gDragLog.empty());
  Input(Move, 60, 30);
  EXPECT_EQ(drag->GetDragAndDropState(), ddsInProcess);
  EXPECT_EQ(GetCapture(), drag->Handle());
  EXPECT_EQ(Screen->GetCursor(), crDrag);
  Input(Move, 180, 30);
  EXPECT_EQ(Screen->GetCursor(), crNoDrop);
  Input(Up, 180, 30);
  EXPECT_EQ(drag->GetDragAndDropState(), ddsNone);
  EXPECT_EQ(Screen->GetCursor(), crDefault);  // the saved screen cursor is back
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(gDragLog, (std::vector<String>{"begin", "move+", "move-", "end+", "freed"}));
}

TEST_F(cxControlDragTest, APressOutsideTheDragAreaDoesNotStart) {
  using enum TcxDragAndDropState;
  Input(Down, 30, 100);  // StartDragAndDrop refuses
  Input(Move, 90, 120);
  EXPECT_EQ(drag->GetDragAndDropState(), ddsNone);
  Input(Up, 90, 120);
  EXPECT_TRUE(gDragLog.empty());
}

class TClickCounter : public TObject {
  TL_CLASS(TClickCounter, TObject)
 public:
  void Click(TObject*) { ++Clicks; }
  int Clicks = 0;
};
TL_DEFINE_CLASS(TClickCounter)

TEST_F(cxControlDragTest, EscapeEndsTheDragAndDropBeforeTheDialogsCancelButtonSeesIt) {
  Owned<TClickCounter> counter(New<TClickCounter>());
  auto* cancel = New<TButton>(form);
  cancel->SetParent(form);
  cancel->SetBounds(10, 300, 80, 25);
  cancel->SetCancel(true);
  cancel->OnClick = {counter.get(), &TClickCounter::Click};
  Input(Down, 30, 30);
  Input(Move, 60, 30);
  ASSERT_EQ(drag->GetDragAndDropState(), TcxDragAndDropState::ddsInProcess);
  // The key as the application's loop reflects it to the focused control.
  EXPECT_EQ(drag->Perform(CN_KEYDOWN, VK_ESCAPE, 0), 1);
  host().PumpUntilIdle();
  EXPECT_EQ(drag->GetDragAndDropState(), TcxDragAndDropState::ddsNone);
  EXPECT_EQ(counter->Clicks, 0);
  EXPECT_EQ(gDragLog, (std::vector<String>{"begin", "move+", "end-", "freed"}));
  Input(Up, 60, 30);
  drag->Perform(CN_KEYDOWN, VK_ESCAPE, 0);  // no drag-and-drop now: the dialog's key again
  EXPECT_EQ(counter->Clicks, 1);
}

TEST_F(cxControlDragTest, FreeingTheControlMidDragEndsIt) {
  Input(Down, 30, 30);
  Input(Move, 60, 30);
  drag->Free();
  drag = nullptr;
  EXPECT_EQ(gDragLog, (std::vector<String>{"begin", "move+", "end-", "freed"}));
  EXPECT_EQ(Screen->GetCursor(), crDefault);
}

// Drags in automatic mode; as a target it accepts whatever comes and notes what it saw.
class TAutoDragControl : public TContentControl {
  TL_CLASS(TAutoDragControl, TContentControl)
 public:
  using TContentControl::TContentControl;
  bool Refuse = false;  // answers AcceptDragObject
  TDragObject* Started = nullptr;
  TDragObject* SeenOver = nullptr;
  TObject* SeenSource = nullptr;
  TObject* EndTarget = nullptr;
  int Ends = 0;
  int Drops = 0;

  void DragOver(TObject* Source, Integer X, Integer Y, TDragState State, bool& Accept) override {
    inherited::DragOver(Source, X, Y, State, Accept);
    if (State != TDragState::dsDragLeave) SeenOver = cxGetDragObject();
    SeenSource = Source;
    Accept = true;
  }
  void DragDrop(TObject*, Integer, Integer) override { ++Drops; }

 protected:
  void DoStartDrag(TDragObject*& DragObject) override {
    inherited::DoStartDrag(DragObject);
    Started = DragObject;
  }
  void DoEndDrag(TObject* Target, Integer X, Integer Y) override {
    inherited::DoEndDrag(Target, X, Y);
    EndTarget = Target;
    ++Ends;
  }
  bool AcceptDragObject(TDragObject*) override { return !Refuse; }
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override {
    ModeOnDown = GetDragMode();
    if (SwitchToManualOnDown) SetDragMode(TDragMode::dmManual);
    inherited::MouseDown(Button, Shift, X, Y);
  }

 public:
  TDragMode ModeOnDown = TDragMode::dmManual;
  bool SwitchToManualOnDown = false;
};
TL_DEFINE_CLASS(TAutoDragControl)

class cxControlAutoDragTest : public cxControlTest {
 protected:
  void SetUp() override {
    cxControlTest::SetUp();
    source = New<TAutoDragControl>(form);
    source->SetBounds(220, 10, 150, 150);
    source->SetParent(form);
    source->SetDragMode(TDragMode::dmAutomatic);
    target = New<TAutoDragControl>(form);
    target->SetBounds(220, 200, 150, 150);
    target->SetParent(form);
    host().PumpUntilIdle();
    d = Mouse->GetDragThreshold();
  }
  // Presses at (30, 30) of the source and runs Script once the press waits for input.
  void PressThen(std::function<void()> Script) {
    host().MouseDown(source->Handle(), 30, 30);
    host().WhenIdle(std::move(Script));
    host().PumpUntilIdle();
  }
  TAutoDragControl* source = nullptr;
  TAutoDragControl* target = nullptr;
  Integer d = 0;
};

TEST_F(cxControlAutoDragTest, PastTheDragAreaTheLibraryObjectDragsWithACopyCursorUnderCtrl) {
  ASSERT_NE(Screen->Cursors(crcxDragCopy), Screen->Cursors(crDrag));
  PressThen([&] { host().MouseMove(source->Handle(), 30 + d, 30); });
  // The press itself was handled before the drag began.
  EXPECT_EQ(source->MouseDownPos(), (TPoint{30, 30}));
  EXPECT_TRUE(source->Focused());
  ASSERT_TRUE(source->Dragging());
  auto* object = dynamic_cast<TcxDragControlObject*>(source->Started);
  ASSERT_NE(object, nullptr);
  EXPECT_EQ(object->Control(), source);

  host().MouseMove(target->Handle(), 20, 20);
  host().PumpUntilIdle();
  EXPECT_EQ(target->SeenOver, object);
  EXPECT_EQ(target->SeenSource, source);
  EXPECT_EQ(cxGetDragObject(), object);
  EXPECT_EQ(GetCursor(), Screen->Cursors(crDrag));
  host().KeyDown(VK_CONTROL);
  host().MouseMove(target->Handle(), 25, 20);
  host().PumpUntilIdle();
  EXPECT_EQ(GetCursor(), Screen->Cursors(crcxDragCopy));
  host().KeyUp(VK_CONTROL);

  host().MouseUp(target->Handle(), 25, 20);
  host().PumpUntilIdle();
  EXPECT_FALSE(source->Dragging());
  EXPECT_EQ(target->Drops, 1);
  EXPECT_EQ(source->Ends, 1);
  EXPECT_EQ(source->EndTarget, target);
  // The object freed itself: nothing may still hand it out.
  EXPECT_EQ(cxGetDragObject(), nullptr);
  EXPECT_EQ(source->GetDragMode(), TDragMode::dmAutomatic);
}

TEST_F(cxControlAutoDragTest, NoDragWithinTheAreaOnEscapeOrForARefusedObject) {
  PressThen([&] {
    host().MouseMove(source->Handle(), 30 + d - 1, 30);
    host().WhenIdle([&] { host().MouseUp(source->Handle(), 30 + d - 1, 30); });
  });
  EXPECT_FALSE(source->Dragging());
  EXPECT_EQ(source->Started, nullptr);
  EXPECT_EQ(GetCapture(), nullptr);

  host().Advance(GetDoubleClickTime() + 1);
  PressThen([&] { host().KeyDown(VK_ESCAPE); });
  host().KeyUp(VK_ESCAPE);
  host().MouseUp(source->Handle(), 30, 30);
  host().PumpUntilIdle();
  EXPECT_FALSE(source->Dragging());
  EXPECT_EQ(source->Started, nullptr);

  host().Advance(GetDoubleClickTime() + 1);
  source->Refuse = true;
  PressThen([&] { host().MouseMove(source->Handle(), 30 + d, 30); });
  EXPECT_FALSE(source->Dragging());
  EXPECT_EQ(source->Started, nullptr);  // freed and withdrawn
  EXPECT_EQ(source->Ends, 0);
  host().MouseUp(source->Handle(), 30 + d, 30);
  host().PumpUntilIdle();
  EXPECT_EQ(target->Drops, 0);
}

TEST_F(cxControlAutoDragTest, HandlersOfThePressReadAndMayChangeTheAutomaticMode) {
  source->SwitchToManualOnDown = true;
  host().MouseDown(source->Handle(), 30, 30);
  host().PumpUntilIdle();  // no drag-detect loop waits: the mode is manual now
  EXPECT_EQ(source->ModeOnDown, TDragMode::dmAutomatic);
  EXPECT_EQ(source->GetDragMode(), TDragMode::dmManual);
  host().MouseMove(source->Handle(), 30 + 2 * d, 30);
  host().MouseUp(source->Handle(), 30 + 2 * d, 30);
  host().PumpUntilIdle();
  EXPECT_EQ(source->Started, nullptr);
}

// Stands as a popup menu without being one; notes where it opened and takes one key.
class TInterfaceMenu : public TComponent, public IcxPopupMenu {
  TL_CLASS(TInterfaceMenu, TComponent)
 public:
  using TComponent::TComponent;
  bool IsShortCutKey(TMessage& Message) override { return Message.WParam == Key; }
  void Popup(Integer X, Integer Y) override { Opened.push_back({X, Y}); }
  WPARAM Key = 'J';
  std::vector<TPoint> Opened;
};
TL_DEFINE_CLASS(TInterfaceMenu)

class TRecordingPopupMenu : public TPopupMenu {
  TL_CLASS(TRecordingPopupMenu, TPopupMenu)
 public:
  using TPopupMenu::TPopupMenu;
  void Popup(Integer X, Integer Y) override { Opened.push_back({X, Y}); }
  void Clicked(TObject*) { ++Clicks; }
  std::vector<TPoint> Opened;
  int Clicks = 0;
};
TL_DEFINE_CLASS(TRecordingPopupMenu)

class THandlingLog : public TObject {
  TL_CLASS(THandlingLog, TObject)
 public:
  void ContextPopup(TObject*, TPoint P, bool& Handled) {
    Seen.push_back(P);
    Handled = Handle;
  }
  bool Handle = false;
  std::vector<TPoint> Seen;
};
TL_DEFINE_CLASS(THandlingLog)

class cxControlPopupTest : public cxControlTest {
 protected:
  LRESULT ContextMenuAt(LPARAM Where) {
    return SendMessageA(control->Handle(), WM_CONTEXTMENU, WPARAM(control->Handle()), Where);
  }
  LRESULT ContextMenuAtClient(Integer X, Integer Y) {
    const TPoint s = control->ClientToScreen({X, Y});
    return ContextMenuAt(MAKELPARAM(WORD(s.X), WORD(s.Y)));
  }
};

TEST_F(cxControlPopupTest, OnlyMenusOfEitherKindAreTakenAndAFreedMenuIsForgotten) {
  auto* plain = New<TComponent>(form);
  auto* menu = New<TRecordingPopupMenu>(form);
  auto* other = New<TInterfaceMenu>(form);
  control->SetPopupMenu(plain);
  EXPECT_EQ(control->GetPopupMenu(), nullptr);
  control->SetPopupMenu(menu);
  EXPECT_EQ(control->GetPopupMenu(), menu);
  control->SetPopupMenu(other);
  EXPECT_EQ(control->GetPopupMenu(), other);
  EXPECT_EQ(static_cast<TControl*>(control)->GetPopupMenu(), nullptr);  // the class library sees none
  other->Free();
  EXPECT_EQ(control->GetPopupMenu(), nullptr);
  EXPECT_EQ(ContextMenuAtClient(10, 10), 0);  // nothing left to show, no crash
  control->SetPopupMenu(menu);
  menu->Free();
  EXPECT_EQ(control->GetPopupMenu(), nullptr);
}

TEST_F(cxControlPopupTest, ContextMenuOpensAtTheMouseOrTheControlsCorner) {
  auto* menu = New<TInterfaceMenu>(form);
  control->SetPopupMenu(menu);
  const TPoint origin = control->ClientToScreen({0, 0});
  EXPECT_EQ(ContextMenuAtClient(15, 25), 1);
  EXPECT_EQ(ContextMenuAt(LPARAM(-1)), 1);  // from the keyboard
  ASSERT_EQ(menu->Opened.size(), 2u);
  EXPECT_EQ(menu->Opened[0], (TPoint{origin.X + 15, origin.Y + 25}));
  EXPECT_EQ(menu->Opened[1], origin);
  // A click outside the client area is not the control's to answer.
  EXPECT_EQ(ContextMenuAtClient(-5, 10), 0);
  EXPECT_EQ(menu->Opened.size(), 2u);

  Owned<THandlingLog> log(New<THandlingLog>());
  control->OnContextPopup = {log.get(), &THandlingLog::ContextPopup};
  log->Handle = true;
  EXPECT_EQ(ContextMenuAtClient(5, 6), 1);
  ContextMenuAt(LPARAM(-1));
  EXPECT_EQ(menu->Opened.size(), 2u);  // the handler took both
  EXPECT_EQ(log->Seen, (std::vector<TPoint>{{5, 6}, {-1, -1}}));
  control->OnContextPopup = {};

}

TEST_F(cxControlPopupTest, ShortcutsOfTheControlsAndItsParentsMenusAreTaken) {
  auto* inner = New<TContentControl>(form);
  inner->SetParent(control);
  inner->SetBounds(5, 5, 40, 40);
  auto* menu = New<TRecordingPopupMenu>(form);
  auto* item = New<TMenuItem>(menu);
  item->SetShortCut(ShortCut('K', TShiftState{TShiftStateItem::ssCtrl}));
  item->OnClick = {menu, &TRecordingPopupMenu::Clicked};
  menu->Items()->Add(item);
  control->SetPopupMenu(menu);  // the parent's menu
  auto* own = New<TInterfaceMenu>(form);
  inner->SetPopupMenu(own);
  host().PumpUntilIdle();

  EXPECT_EQ(inner->Perform(CN_KEYDOWN, 'K', 0), 0);  // without Ctrl: no shortcut
  EXPECT_EQ(menu->Clicks, 0);
  host().KeyDown(VK_CONTROL);
  host().PumpUntilIdle();
  EXPECT_EQ(inner->Perform(CN_KEYDOWN, 'K', 0), 1);
  EXPECT_EQ(menu->Clicks, 1);
  host().KeyUp(VK_CONTROL);
  host().PumpUntilIdle();
  EXPECT_EQ(inner->Perform(CN_KEYDOWN, 'J', 0), 1);  // the control's own menu answers first
  EXPECT_EQ(control->Perform(CN_KEYDOWN, 'J', 0), 0);  // not the parent's to take
}

class TCaptureOwner : public TObject, public IcxMouseCaptureObject {
  TL_CLASS(TCaptureOwner, TObject)
 public:
  void DoCancelMode() override { ++Cancels; }
  int Cancels = 0;
};
TL_DEFINE_CLASS(TCaptureOwner)

// May give the focus away as soon as it gets it.
class TPressControl : public TContentControl {
  TL_CLASS(TPressControl, TContentControl)
 public:
  using TContentControl::TContentControl;
  TWinControl* PassFocusTo = nullptr;
  bool KeepCapture = false;
  int Downs = 0;

 protected:
  bool KeepMouseCaptureUnfocused() override { return KeepCapture; }
  void BeforeMouseDown(TMouseButton, TShiftState, Integer, Integer) override { ++Downs; }
  void WndProc(TMessage& Message) override {
    inherited::WndProc(Message);
    if (Message.Msg == WM_SETFOCUS && PassFocusTo) PassFocusTo->SetFocus();
  }
};
TL_DEFINE_CLASS(TPressControl)

class cxControlPressTest : public cxControlTest {
 protected:
  void SetUp() override {
    cxControlTest::SetUp();
    press = New<TPressControl>(form);
    press->SetBounds(220, 10, 150, 150);
    press->SetParent(form);
    host().PumpUntilIdle();
  }
  void Input(int what, Integer x, Integer y) {
    if (what == 0) host().MouseDown(press->Handle(), x, y);
    if (what == 1) host().MouseMove(press->Handle(), x, y);
    if (what == 2) host().MouseUp(press->Handle(), x, y);
    host().PumpUntilIdle();
  }
  TPressControl* press = nullptr;
};

TEST_F(cxControlPressTest, CaptureObjectsAreToldWhenReplacedAndReleaseTheCapture) {
  Owned<TCaptureOwner> a(New<TCaptureOwner>()), b(New<TCaptureOwner>());
  press->SetMouseCaptureObject(a.get());
  EXPECT_EQ(GetCapture(), press->Handle());
  press->SetMouseCaptureObject(a.get());
  EXPECT_EQ(a->Cancels, 0);
  press->SetMouseCaptureObject(b.get());
  EXPECT_EQ(a->Cancels, 1);
  press->SetMouseCaptureObject(nullptr);
  EXPECT_EQ(b->Cancels, 1);
  EXPECT_EQ(GetCapture(), nullptr);

  // A release or a cancel ends the object's capture.
  Input(0, 70, 70);
  press->SetMouseCaptureObject(a.get());
  Input(2, 70, 70);
  EXPECT_EQ(press->GetMouseCaptureObject(), nullptr);
  EXPECT_EQ(a->Cancels, 2);
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(cxControlPressTest, PressedWhileCapturedAndNotAtAllWhenTheFocusIsRefused) {
  EXPECT_EQ(press->Perform(CM_DESIGNHITTEST, 0, MAKELPARAM(70, 70)), 0);
  Input(0, 70, 70);
  EXPECT_TRUE(press->IsPressed());
  EXPECT_EQ(press->Perform(CM_DESIGNHITTEST, 0, MAKELPARAM(70, 70)), 1);  // a mouse operation runs
  Input(2, 70, 70);
  EXPECT_FALSE(press->IsPressed());
  Input(0, 70, 70);
  SendMessageA(press->Handle(), WM_CANCELMODE, 0, 0);
  EXPECT_FALSE(press->IsPressed());
  Input(2, 70, 70);
  EXPECT_EQ(press->Downs, 2);

  press->PassFocusTo = control;
  control->SetFocus();
  host().Advance(GetDoubleClickTime() + 1);
  Input(0, 70, 70);
  EXPECT_TRUE(control->Focused());
  EXPECT_FALSE(press->IsPressed());
  EXPECT_NE(GetCapture(), press->Handle());
  EXPECT_EQ(press->Downs, 2);  // the press went no further
  Input(2, 70, 70);

  press->KeepCapture = true;
  control->SetFocus();
  host().Advance(GetDoubleClickTime() + 1);
  Input(0, 70, 70);
  EXPECT_TRUE(press->IsPressed());
  EXPECT_EQ(press->Downs, 3);
  Input(2, 70, 70);
}

class TFontWatcher : public TObject, public IcxFontListener {
  TL_CLASS(TFontWatcher, TObject)
 public:
  void Changed(TObject* Sender, TFont* AFont) override {
    ++Calls;
    LastSender = Sender;
    LastSize = AFont->GetSize();
    if (RemoveOnCall) Control->RemoveFontListener(RemoveOnCall);
  }
  TcxControl* Control = nullptr;
  IcxFontListener* RemoveOnCall = nullptr;
  int Calls = 0;
  TObject* LastSender = nullptr;
  Integer LastSize = 0;
};
TL_DEFINE_CLASS(TFontWatcher)

TEST_F(cxControlTest, FontListenersHearChangesAndMayRemoveEachOther) {
  Owned<TFontWatcher> a(New<TFontWatcher>()), b(New<TFontWatcher>());
  a->Control = b->Control = control;
  control->AddFontListener(a.get());
  control->AddFontListener(a.get());  // once only
  control->AddFontListener(b.get());
  ValidateRect(control->Handle(), nullptr);
  control->GetFont()->SetSize(15);
  EXPECT_EQ(a->Calls, 1);
  EXPECT_EQ(b->Calls, 1);
  EXPECT_EQ(a->LastSender, control);
  EXPECT_EQ(b->LastSize, 15);
  RECT r{};
  EXPECT_TRUE(GetUpdateRect(control->Handle(), &r, FALSE));  // repainted for the new font

  a->RemoveOnCall = b.get();  // b goes before its turn comes
  control->GetFont()->SetSize(16);
  EXPECT_EQ(a->Calls, 2);
  EXPECT_EQ(b->Calls, 1);
  control->RemoveFontListener(a.get());
  control->GetFont()->SetSize(17);
  EXPECT_EQ(a->Calls, 2);
}

TEST_F(cxControlPopupTest, ThePublishedPopupMenuTakesEitherKind) {
  const TPropInfo* prop = GetPropInfo(control, "PopupMenu");
  ASSERT_NE(prop, nullptr);
  auto* menu = New<TInterfaceMenu>(form);
  prop->SetObj(control, menu);  // as the reader links it
  EXPECT_EQ(control->GetPopupMenu(), menu);
  prop->SetObj(control, form);  // not a menu
  EXPECT_EQ(control->GetPopupMenu(), nullptr);
}

// Takes the focus on a click in its right half only and may want its background erased.
class TNoticeControl : public TContentControl {
  TL_CLASS(TNoticeControl, TContentControl)
 public:
  using TContentControl::TContentControl;
  bool Erase = false;
  int Erased = 0;

 protected:
  bool NeedsEraseBackground() override { return Erase; }
  bool CanFocusOnClickAt(Integer X, Integer) override { return X >= 50 && CanFocusOnClick(); }
  void WndProc(TMessage& Message) override {
    if (Message.Msg == WM_ERASEBKGND && Erase) ++Erased;
    inherited::WndProc(Message);
  }
};
TL_DEFINE_CLASS(TNoticeControl)

TEST_F(cxControlTest, ClickFocusPlacesAndBackgroundErasing) {
  auto* n = New<TNoticeControl>(form);
  n->SetBounds(220, 10, 150, 150);
  n->SetParent(form);
  host().PumpUntilIdle();
  control->SetFocus();
  host().MouseDown(n->Handle(), 10, 10);
  host().MouseUp(n->Handle(), 10, 10);
  host().PumpUntilIdle();
  EXPECT_TRUE(control->Focused());
  host().Advance(GetDoubleClickTime() + 1);
  host().MouseDown(n->Handle(), 100, 10);
  host().MouseUp(n->Handle(), 100, 10);
  host().PumpUntilIdle();
  EXPECT_TRUE(n->Focused());

  n->Invalidate();
  UpdateWindow(n->Handle());
  EXPECT_EQ(n->Erased, 0);
  n->Erase = true;
  n->Invalidate();
  UpdateWindow(n->Handle());
  EXPECT_EQ(n->Erased, 1);
}

class TKeyLog : public TObject {
  TL_CLASS(TKeyLog, TObject)
 public:
  void KeyDown(TObject*, Word& Key, TShiftState) { Keys.push_back(Key); }
  std::vector<Word> Keys;
};
TL_DEFINE_CLASS(TKeyLog)

TEST_F(cxControlDragTest, EscapeStillReachesTheKeyEventAfterEndingTheDragAndDrop) {
  Owned<TKeyLog> log(New<TKeyLog>());
  drag->OnKeyDown = {log.get(), &TKeyLog::KeyDown};
  Input(Down, 30, 30);
  Input(Move, 60, 30);
  host().Key(VK_ESCAPE);
  host().PumpUntilIdle();
  EXPECT_EQ(drag->GetDragAndDropState(), TcxDragAndDropState::ddsNone);
  EXPECT_EQ(log->Keys, (std::vector<Word>{VK_ESCAPE}));
  Input(Up, 60, 30);
}

TEST_F(cxControlTest, ExplicitBoundsPlaceTheBarsAndABarClickFocusesOnlyWhenClicksMay) {
  Content(1000, 1000);
  control->SetExplicitBounds({10, 10, 110, 90});
  EXPECT_EQ(control->GetClientBounds(), (TRect{10, 10, 110 - vBar, 90 - hBar}));
  EXPECT_EQ(control->HScrollBar()->GetLeft(), 10);
  EXPECT_EQ(control->HScrollBar()->GetTop(), 90 - hBar);
  EXPECT_EQ(control->VScrollBar()->GetLeft(), 110 - vBar);
  control->SetExplicitBounds({});
  EXPECT_EQ(control->GetBounds(), control->GetClientRect());

  auto* other = New<TContentControl>(form);
  other->SetBounds(250, 200, 50, 50);
  other->SetParent(form);
  host().PumpUntilIdle();
  const HWND bar = control->VScrollBar()->Handle();
  other->SetFocus();
  control->SetFocusOnClick(false);
  host().MouseDown(bar, 5, 40);
  host().MouseUp(bar, 5, 40);
  host().PumpUntilIdle();
  EXPECT_TRUE(other->Focused());
  control->SetFocusOnClick(true);
  host().Advance(GetDoubleClickTime() + 1);
  host().MouseDown(bar, 5, 40);
  host().MouseUp(bar, 5, 40);
  host().PumpUntilIdle();
  EXPECT_TRUE(control->Focused());
}

}  // namespace
