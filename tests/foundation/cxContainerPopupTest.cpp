// The drop-down window and the container unit's hooks on a headless form: opening, the ways
// it closes (clicks, the owner's drop-down button, the owner hiding, the application leaving,
// quitting, WM_CLOSE), its own loop, Alt keys, and the one-message
// swallow that keeps the owner form's caption active.
#include "classlib/visual/Forms.h"
#include "classlib/visual/Messages.h"
#include "platform/host/HeadlessHost.h"
#include "platform/kernel/Modules.h"
#include "platform/user/User.h"
#include "platform/user/UserTesting.h"
#include "tests/support/AppTest.h"
#include "widgets/foundation/FoundationUnits.h"
#include "widgets/foundation/cxContainerPopup.h"

#include <functional>
#include <vector>

namespace {


// A form that records the caption activation it is told about and the closes it gets.
class TRecordingForm : public TForm {
  TL_CLASS(TRecordingForm, TForm)
 public:
  using TForm::TForm;
  std::vector<WPARAM> NcActivates;
  int Closes = 0;
  // Inactive captions drawn while this popup was still shown.
  const TcxCustomPopupWindow* Watched = nullptr;
  int InactiveWhileShown = 0;

 protected:
  void WndProc(TMessage& Message) override {
    if (Message.Msg == WM_NCACTIVATE) {
      NcActivates.push_back(Message.WParam);
      if (!Message.WParam && Watched && Watched->IsShown()) ++InactiveWhileShown;
    }
    if (Message.Msg == WM_CLOSE) ++Closes;
    inherited::WndProc(Message);
  }
};


// An owner like a drop-down editor: a press in its button area opens its popup, unless that
// very press closed it.
class TOwnerBox : public TcxContainer {
  TL_CLASS(TOwnerBox, TcxContainer)
 public:
  using TcxContainer::TcxContainer;
  TcxCustomPopupWindow* Popup = nullptr;
  TRect Button{};
  int Presses = 0, SetFocusMessages = 0;
  bool HasShownPopup() const override { return Popup && Popup->IsShown(); }

 protected:
  void MouseDown(TMouseButton Button_, TShiftState Shift, Integer X, Integer Y) override {
    ++Presses;
    inherited::MouseDown(Button_, Shift, X, Y);
    if (!Popup || X < Button.Left || X >= Button.Right || Y < Button.Top || Y >= Button.Bottom) return;
    if (Popup->GetClosedByClick())
      Popup->SetClosedByClick(false);
    else
      Popup->Popup(nullptr);
  }
  void WndProc(TMessage& Message) override {
    if (Message.Msg == WM_SETFOCUS && Message.WParam == 0) ++SetFocusMessages;
    if (Message.Msg == WM_CLOSE) return;  // a control's window is not destroyed by it here
    inherited::WndProc(Message);
  }
};

// Records presses and system keys.
class TRecordingControl : public TCustomControl {
  TL_CLASS(TRecordingControl, TCustomControl)
 public:
  using TCustomControl::TCustomControl;
  int Presses = 0;
  std::vector<WPARAM> SysKeys;

 protected:
  void WndProc(TMessage& Message) override {
    if (Message.Msg == WM_CLOSE) return;
    if (Message.Msg == WM_LBUTTONDOWN) ++Presses;
    if (Message.Msg == WM_SYSKEYDOWN) SysKeys.push_back(Message.WParam);
    inherited::WndProc(Message);
  }
};

// A popup that may be shrunk to the work area.
class TSizablePopup : public TcxCustomPopupWindow {
  TL_CLASS(TSizablePopup, TcxCustomPopupWindow)
 public:
  using TcxCustomPopupWindow::TcxCustomPopupWindow;
  bool AcceptsAnySize() const override { return true; }
};

// A popup whose descendant keeps it open when the hooks would close it.
class TStubbornPopup : public TcxCustomPopupWindow {
  TL_CLASS(TStubbornPopup, TcxCustomPopupWindow)
 public:
  using TcxCustomPopupWindow::TcxCustomPopupWindow;
  int Refusals = 0;
  void CloseByHook() override { ++Refusals; }
};

// Counts the popup's events.
class TPopupListener : public TObject {
 public:
  int Showing = 0, Closed = 0, ClosingByHook = 0;
  TcxCustomPopupWindow* Popup = nullptr;
  void OnShowing(TObject*) { ++Showing; }
  void OnClosing(TObject*) {
    if (Popup->IsClosingByHook()) ++ClosingByHook;
  }
  void OnClosed(TObject*) { ++Closed; }
};

}  // namespace
TL_DEFINE_CLASS(TRecordingForm)
TL_DEFINE_CLASS(TOwnerBox)
TL_DEFINE_CLASS(TRecordingControl)
TL_DEFINE_CLASS(TSizablePopup)
TL_DEFINE_CLASS(TStubbornPopup)

namespace {

class cxContainerPopupTest : public AppTest {
 protected:
  void SetUp() override { AppTest::SetUp(); }
  void TearDown() override {
    if (form) form->Free();
    if (started) WidgetsFoundationFinalize();
    AppTest::TearDown();
  }

  // The owner form with the owner box (its button the right 20 pixels) and another control.
  template <class P = TcxCustomPopupWindow>
  void Open(bool captureFocus) {
    if (!started) WidgetsFoundationInitialize();
    started = true;
    form = New<TRecordingForm>(nullptr, Integer(0));
    form->SetBounds(100, 100, 400, 300);
    owner = New<TOwnerBox>(form);
    owner->SetBounds(10, 10, 150, 24);
    owner->SetParent(form);
    owner->Button = {130, 0, 150, 24};
    other = New<TRecordingControl>(form);
    other->SetBounds(10, 200, 100, 30);
    other->SetParent(form);
    form->Show();
    Pump();
    P* p = New<P>(owner);
    popup = p;
    owner->Popup = popup;
    popup->SetCaptureFocus(captureFocus);
    // A tool child needs a parent that shows; the screen stands in for the editor's choice.
    if (!captureFocus) popup->SetParentWindow(GetDesktopWindow());
    popup->SetModal(false);
    popup->SetOwnerParent(form);
    popup->SetOwnerBounds({10, 10, 160, 34});
    popup->SetOwnerDropDownRect({130, 0}, {150, 24});
    inner = New<TRecordingControl>(popup);
    inner->SetBounds(0, 0, 150, 100);
    inner->SetTabStop(true);
    inner->SetParent(popup);
    listener.Popup = popup;
    form->Watched = popup;
    popup->OnShowing = TNotifyEvent(&listener, &TPopupListener::OnShowing);
    popup->OnClosing = TNotifyEvent(&listener, &TPopupListener::OnClosing);
    popup->OnClosed = TNotifyEvent(&listener, &TPopupListener::OnClosed);
  }
  bool PopupVisible() { return popup->HandleAllocated() && IsWindowVisible(popup->GetHandle()); }
  void AltKey(int vk) {
    host().KeyDown(VK_MENU);
    host().Key(vk);
    host().KeyUp(VK_MENU);
    Pump();
  }

  bool started = false;
  TRecordingForm* form = nullptr;
  TOwnerBox* owner = nullptr;
  TRecordingControl* other = nullptr;
  TRecordingControl* inner = nullptr;
  TcxCustomPopupWindow* popup = nullptr;
  TPopupListener listener;
};

TEST_F(cxContainerPopupTest, OpensBelowItsOwnerAndClosesOnAClickElsewhereOnTheForm) {
  Open(false);
  popup->Popup(nullptr);
  ASSERT_TRUE(popup->IsShown());
  TRect r{};
  GetWindowRect(popup->GetHandle(), &r);
  const TPoint below = form->ClientToScreen({10, 34});
  EXPECT_EQ((TPoint{r.Left, r.Top}), below);
  EXPECT_NE(GetFocus(), popup->GetHandle()) << "it leaves the focus where it was";

  // Opening again while shown changes nothing.
  popup->Popup(nullptr);
  EXPECT_EQ(listener.Showing, 1);

  host().Click(inner->GetHandle(), 5, 5);
  Pump();
  EXPECT_TRUE(popup->IsShown()) << "a click inside the popup keeps it open";

  host().Click(other->GetHandle(), 5, 5);
  Pump();
  EXPECT_FALSE(popup->IsShown());
  EXPECT_EQ(other->Presses, 1) << "the click that closes the popup still reaches its control";
}

TEST_F(cxContainerPopupTest, AClickOnTheOwnersButtonClosesThePopupAndDoesNotReopenIt) {
  Open(false);
  host().Click(owner->GetHandle(), 140, 10);
  Pump();
  ASSERT_TRUE(popup->IsShown()) << "the owner's button opens it";

  host().Click(owner->GetHandle(), 140, 10);
  Pump();
  EXPECT_FALSE(popup->IsShown()) << "closed by the press on the button, not opened again";
  EXPECT_EQ(owner->Presses, 2);
  EXPECT_FALSE(popup->GetClosedByClick()) << "the owner took the mark";
}

TEST_F(cxContainerPopupTest, AnOwnerThatHidesTakesItsPopupAlongAndAHiddenOwnerNeverShowsOne) {
  Open(false);
  popup->Popup(nullptr);
  ASSERT_TRUE(popup->IsShown());
  owner->SetVisible(false);
  EXPECT_FALSE(popup->IsShown());
  EXPECT_FALSE(PopupVisible());
  EXPECT_EQ(listener.Closed, 1);

  popup->Popup(nullptr);
  EXPECT_FALSE(popup->IsShown());
  EXPECT_FALSE(PopupVisible());
  EXPECT_EQ(listener.Showing, 1) << "never shown for a hidden owner";
  EXPECT_EQ(listener.Closed, 2) << "but the owner hears it closed";

  // Hiding the panel that holds the owner hides the owner as well.
  owner->SetVisible(true);
  popup->Popup(nullptr);
  ASSERT_TRUE(popup->IsShown());
  form->Hide();
  EXPECT_FALSE(popup->IsShown());
}

TEST_F(cxContainerPopupTest, LeavingTheApplicationClosesThePopupAndTheCaptionStaysActiveUntilThen) {
  Open(false);
  owner->SetFocus();
  popup->Popup(nullptr);
  ASSERT_TRUE(popup->IsShown());
  form->NcActivates.clear();
  const LONG_PTR procBefore = GetWindowLongA(form->GetHandle(), GWL_WNDPROC);

  UserSetApplicationActive(false);
  EXPECT_FALSE(popup->IsShown());
  EXPECT_TRUE(form->NcActivates.empty()) << "the deactivation sent while the popup was open is swallowed";
  EXPECT_EQ(GetWindowLongA(form->GetHandle(), GWL_WNDPROC), procBefore) << "the form has its procedure back";
  Pump();
  ASSERT_FALSE(form->NcActivates.empty());
  EXPECT_EQ(form->NcActivates.back(), WPARAM(FALSE)) << "the posted deactivation arrives after the close";
}

TEST_F(cxContainerPopupTest, ClosingTheOwnersWindowClosesAPopupThatTakesNoFocus) {
  Open(false);
  popup->Popup(nullptr);
  ASSERT_TRUE(popup->IsShown());
  SendMessageA(other->GetHandle(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(popup->IsShown()) << "another control of the form is no owner";
  SendMessageA(owner->GetHandle(), WM_CLOSE, 0, 0);
  EXPECT_FALSE(popup->IsShown());
  EXPECT_EQ(listener.Closed, 1);
}

TEST_F(cxContainerPopupTest, AFocusTakingPopupKeepsTheOwnerCaptionActiveAndForwardsItsClose) {
  Open(true);
  form->NcActivates.clear();
  popup->Popup(nullptr);
  ASSERT_TRUE(popup->IsShown());
  EXPECT_TRUE(popup->Active());
  EXPECT_TRUE(popup->Focused()) << "the first focusable control of the popup has the focus";
  EXPECT_EQ(GetFocus(), inner->GetHandle());
  EXPECT_EQ(GetWindow(popup->GetHandle(), GW_OWNER), form->GetHandle());
  for (WPARAM w : form->NcActivates) EXPECT_NE(w, WPARAM(FALSE)) << "the owner form never drew its caption inactive";

  // Closing the popup (Alt+F4 in it) closes the form it stands for.
  SendMessageA(popup->GetHandle(), WM_CLOSE, 0, 0);
  EXPECT_FALSE(popup->IsShown());
  EXPECT_EQ(form->Closes, 1);
}

TEST_F(cxContainerPopupTest, TheModalLoopEndsWhenTheApplicationQuitsAndLeavesTheQuitQueued) {
  Open(true);
  popup->SetModal(true);
  bool shownInLoop = false;
  host().WhenIdle([&] {
    shownInLoop = popup->IsShown() && PopupVisible();
    PostQuitMessage(7);
  });
  popup->Popup(nullptr);
  EXPECT_TRUE(shownInLoop);
  EXPECT_FALSE(popup->IsShown());
  MSG msg{};
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "the quit is left for the outer loop";
  EXPECT_EQ(msg.wParam, WPARAM(7));
}

TEST_F(cxContainerPopupTest, AltKeysAreDroppedWhileAPopupIsShownUnlessItTakesThem) {
  Open(false);
  other->SetFocus();
  AltKey('X');
  const auto reached = [&](WPARAM vk) {
    return std::find(other->SysKeys.begin(), other->SysKeys.end(), vk) != other->SysKeys.end();
  };
  EXPECT_TRUE(reached('X')) << "no popup: the hooks change nothing";
  other->SysKeys.clear();

  popup->Popup(nullptr);
  AltKey('X');
  EXPECT_FALSE(reached('X'));
  AltKey(VK_DOWN);
  EXPECT_TRUE(reached(VK_DOWN));
  // Alt+F4 gets through too: the form closes, and its tool-child popup with it.
  AltKey(VK_F4);
  EXPECT_TRUE(reached(VK_F4));
  EXPECT_EQ(form->Closes, 1);
  EXPECT_FALSE(popup->IsShown());
}

TEST_F(cxContainerPopupTest, PostedCloseAndRecreationOnAFlagChange) {
  Open(false);
  popup->Popup(nullptr);
  popup->PostClose();
  EXPECT_TRUE(popup->IsShown()) << "only once the message runs";
  Pump();
  EXPECT_FALSE(popup->IsShown());
  EXPECT_EQ(owner->SetFocusMessages, 1);

  popup->Popup(nullptr);
  const HWND before = popup->GetHandle();
  popup->SetCaptureFocus(true);
  EXPECT_FALSE(popup->IsShown()) << "closed while its window is made again";
  Pump();
  EXPECT_TRUE(popup->IsShown()) << "and shown again afterwards";
  EXPECT_NE(popup->GetHandle(), before);

  // Made topmost only above a topmost owner form (showing it then puts it on top).
  const auto topmost = [](TcxCustomPopupWindow* p) {
    return (DWORD(GetWindowLongA(p->GetHandle(), GWL_EXSTYLE)) & WS_EX_TOPMOST) != 0;
  };
  popup->ClosePopup();
  popup->SetIsTopMost(true);
  EXPECT_FALSE(topmost(popup));
  auto* onTop = New<TForm>(nullptr, Integer(0));
  onTop->SetFormStyle(TFormStyle::fsStayOnTop);
  auto* box = New<TOwnerBox>(onTop);
  box->SetParent(onTop);
  auto* popup2 = New<TcxCustomPopupWindow>(box);
  popup2->SetIsTopMost(true);
  popup2->HandleNeeded();
  EXPECT_TRUE(topmost(popup2));
  onTop->Free();
}

TEST_F(cxContainerPopupTest, FitsIntoTheWorkAreaWhenItAcceptsAnySize) {
  Open<TSizablePopup>(false);
  popup->SetBounds(0, 0, 150, 100);
  const TRect work{0, 0, 1280, 400};
  // Below the owner, passing the bottom: shorter.
  TPoint p{200, 350};
  popup->FitToWorkArea(p, work);
  EXPECT_EQ(popup->GetHeight(), 50);
  EXPECT_EQ(p.Y, 350);
  // Above the owner (whose top is at screen y 100 + frame + 10), passing the top: the
  // popup keeps its bottom edge and comes down by what it lost.
  popup->SetBounds(0, 0, 150, 100);
  p = {1200, -30};
  popup->FitToWorkArea(p, work);
  EXPECT_EQ(popup->GetHeight(), 70);
  EXPECT_EQ(p.Y, 0);
  EXPECT_EQ(popup->GetWidth(), 80);
}

TEST_F(cxContainerPopupTest, RoutinesFindWindowsInsideControlsAndPopupOwners) {
  Open(false);
  popup->Popup(nullptr);
  EXPECT_TRUE(cxIsDescendantWindow(owner, popup->GetHandle())) << "a popup shown for the owner";
  EXPECT_TRUE(cxIsDescendantWindow(form, inner->GetHandle())) << "inside a popup of a control of the form";
  EXPECT_EQ(cxFindParentPopupOwnerWindow(inner->GetHandle()), owner->GetHandle());
  popup->ClosePopup();
  WidgetsFoundationFinalize();
  started = false;
  EXPECT_EQ(UserLiveHookCount(), 0);
}

TEST_F(cxContainerPopupTest, TheSwallowKeepsOneProcedurePerWindowAndNeverArmsTwice) {
  WidgetsFoundationInitialize();
  started = true;
  static std::vector<std::pair<HWND, UINT>> received;
  received.clear();
  WNDCLASSA wc{};
  wc.lpfnWndProc = MakeProcInstance([](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
    if (m == WM_USER) received.emplace_back(h, m);
    return DefWindowProcA(h, m, w, l);
  });
  wc.lpszClassName = "SwallowTest";
  ASSERT_TRUE(RegisterClassA(&wc));
  const HWND a = CreateWindowExA(0, "SwallowTest", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  const HWND b = CreateWindowExA(0, "SwallowTest", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  const LONG_PTR proc = GetWindowLongA(a, GWL_WNDPROC);

  cxSwallowNextWindowMessage(a);
  cxSwallowNextWindowMessage(b);
  cxSwallowNextWindowMessage(a);  // armed already
  EXPECT_EQ(SendMessageA(b, WM_USER, 0, 0), 1);
  EXPECT_EQ(SendMessageA(a, WM_USER, 0, 0), 1);
  EXPECT_TRUE(received.empty());
  EXPECT_EQ(GetWindowLongA(a, GWL_WNDPROC), proc);
  EXPECT_EQ(GetWindowLongA(b, GWL_WNDPROC), proc) << "each window gets its own procedure back";
  SendMessageA(a, WM_USER, 0, 0);
  SendMessageA(b, WM_USER, 0, 0);
  EXPECT_EQ(received.size(), 2u) << "only one message each is swallowed";

  // Armed inside the send hook, the message being sent is the one swallowed.
  static HWND armTarget = nullptr;
  armTarget = a;
  static HHOOK hook = nullptr;
  hook = SetWindowsHookExA(
      WH_CALLWNDPROC,
      [](int code, WPARAM w, LPARAM l) -> LRESULT {
        const auto* cwp = reinterpret_cast<const CWPSTRUCT*>(l);
        if (code == HC_ACTION && cwp->hwnd == armTarget && cwp->message == WM_USER) cxSwallowNextWindowMessage(cwp->hwnd);
        return CallNextHookEx(hook, code, w, l);
      },
      nullptr, 0);
  received.clear();
  EXPECT_EQ(SendMessageA(a, WM_USER, 0, 0), 1);
  EXPECT_TRUE(received.empty());
  UnhookWindowsHookEx(hook);
  DestroyWindow(a);
  DestroyWindow(b);
  UnregisterClassA("SwallowTest", nullptr);
}

}  // namespace

TEST_F(cxContainerPopupTest, AFocusTakingPopupClosesWhenTheApplicationIsLeft) {
  Open(true);
  popup->Popup(nullptr);
  ASSERT_TRUE(popup->Active());
  UserSetApplicationActive(false);
  EXPECT_FALSE(popup->IsShown());
  EXPECT_FALSE(Application->Active()) << "closing the popup does not take the activation back";
  Pump();
  ASSERT_FALSE(form->NcActivates.empty());
  EXPECT_EQ(form->NcActivates.back(), WPARAM(FALSE)) << "the owner form's caption goes inactive once it closed";

  // Back in the application, a click on another form of it closes a new popup through its
  // deactivation.
  UserSetApplicationActive(true);
  Pump();
  popup->Popup(nullptr);
  ASSERT_TRUE(popup->Active());
  host().Click(other->GetHandle(), 5, 5);
  Pump();
  EXPECT_FALSE(popup->IsShown());
  EXPECT_EQ(other->Presses, 1);
}

TEST_F(cxContainerPopupTest, TheOwnersButtonClosesAFocusTakingPopupRunningItsLoopWithoutReopeningIt) {
  Open(true);
  popup->SetModal(true);
  host().WhenIdle([&] { host().Click(owner->GetHandle(), 140, 10); });
  popup->Popup(nullptr);
  EXPECT_FALSE(popup->IsShown());
  Pump();
  EXPECT_EQ(owner->Presses, 1);
  EXPECT_FALSE(popup->IsShown()) << "the press that closed it did not open it again";
}

TEST_F(cxContainerPopupTest, FreedWithItsOwnerWhileShownOrInsideItsLoop) {
  Open(true);
  popup->Popup(nullptr);
  ASSERT_EQ(cxShownPopupCount(), 1);
  form->Free();
  form = nullptr;
  EXPECT_EQ(cxShownPopupCount(), 0);
  EXPECT_EQ(cxLastShownPopup(), nullptr);

  Open(true);
  popup->SetModal(true);
  host().WhenIdle([&] {
    form->Free();
    form = nullptr;
  });
  popup->Popup(nullptr);  // returns without touching the freed popup
  EXPECT_EQ(cxShownPopupCount(), 0);
  EXPECT_EQ(cxLastClosedPopup(), nullptr);
}

TEST_F(cxContainerPopupTest, APopupThatRefusesToCloseDoesNotHangTheHooks) {
  Open<TStubbornPopup>(false);
  auto* stubborn = static_cast<TStubbornPopup*>(popup);
  popup->Popup(nullptr);
  host().Click(other->GetHandle(), 5, 5);
  Pump();
  owner->SetVisible(false);
  UserSetApplicationActive(false);
  Pump();
  EXPECT_TRUE(popup->IsShown());
  EXPECT_GE(stubborn->Refusals, 3);
  EXPECT_EQ(other->Presses, 1);
  popup->ClosePopup();
}
