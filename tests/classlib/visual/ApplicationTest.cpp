#include "classlib/core/SysUtils.h"
#include "classlib/visual/Clipbrd.h"
#include "classlib/visual/ExtCtrls.h"
#include "platform/host/HeadlessHost.h"
#include "tests/classlib/visual/VisualTestClasses.h"
#include "tests/support/AppTest.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

class ApplicationTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    Log().clear();
  }
};

LRESULT ThrowingProc(HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
  if (msg == WM_USER + 1) throw Exception("raw window failed");
  return DefWindowProcA(hwnd, msg, w, l);
}

class TExceptionSink : public TObject {
 public:
  void Handle(TObject* Sender, const Exception& E) {
    Log().push_back(std::string("handled ") + NameOf(Sender) + ": " + E.Message());
  }
};

class TAppEvents : public TObject {
 public:
  void Activated(TObject*) { Log().push_back("app active"); }
  void Deactivated(TObject*) { Log().push_back("app inactive"); }
  void Idle(TObject*, bool& Done) {
    Log().push_back("idle");
    Done = true;
  }
  void Posted(TMessage& m) {
    if (m.Msg == WM_USER + 2) Log().push_back("posted");
    m.Result = 0;
  }
};

TEST_F(ApplicationTest, HandlerExceptionsAreReportedAndTheLoopGoesOn) {
  TForm* mainForm = nullptr;
  Application->CreateForm(mainForm);
  TProbe* p = New<TProbe>(mainForm);
  p->SetName("P");
  p->SetBounds(0, 0, 50, 50);
  p->SetParent(mainForm);
  TSink sink;
  p->OnClick = TNotifyEvent(&sink, &TSink::Raise);

  // A window procedure outside the class library raises through the dispatch: Run catches.
  WNDCLASSA wc;
  wc.lpfnWndProc = MakeProcInstance(&ThrowingProc);
  wc.lpszClassName = "RawThrower";
  RegisterClassA(&wc);
  HWND raw = CreateWindowExA(0, "RawThrower", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  host().WhenIdle([&] {
    host().Click(p->Handle(), 5, 5);
    PostMessageA(raw, WM_USER + 1, 0, 0);
  });
  host().WhenIdle([&] { host().Click(p->Handle(), 30, 30); });  // apart: not a double click
  host().WhenIdle([&] { mainForm->Close(); });
  Application->Run();
  // Posted messages come before input.
  EXPECT_EQ(TakeExceptions(), (std::vector<String>{"raw window failed", "raised by P", "raised by P"}));
  DestroyWindow(raw);

  // OnException replaces the report; EAbort is never reported.
  TExceptionSink es;
  Application->OnException = TExceptionEvent(&es, &TExceptionSink::Handle);
  SendMessageA(p->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 1));
  SendMessageA(p->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(1, 1));
  try {
    throw EAbort("quiet");
  } catch (...) {
    Application->HandleException(p);
  }
  EXPECT_EQ(Log().back(), "handled P: raised by P");
  EXPECT_TRUE(TakeExceptions().empty());
  Application->OnException = nullptr;
}

TEST_F(ApplicationTest, AnUnrecordedErrorShowsOneBoxUnderTheTitle) {
  Application->SetRecordExceptions(false);
  Application->SetTitle("Tessaloom");
  String caption;
  int boxes = 0;
  host().WhenIdle([&] {
    char text[64] = {};
    GetWindowTextA(GetActiveWindow(), text, sizeof text);
    caption = text;
    ++boxes;
    // Raised again while the box is up: no second box.
    Application->HandleException(nullptr, std::make_exception_ptr(std::runtime_error("again")));
    host().Key(VK_RETURN);
  });
  Application->HandleException(nullptr, std::make_exception_ptr(Exception("disk full")));
  Application->SetRecordExceptions(true);
  Application->SetTitle("");
  EXPECT_EQ(std::pair(caption, boxes), std::pair(String("Tessaloom"), 1));
  EXPECT_EQ(host().PendingScripts(), 0u);
}

TEST_F(ApplicationTest, ProcessMessagesAndModalLoopsRunInsideAPaintHandler) {
  TForm* f = TForm::CreateNew(Application);
  f->SetName("f");
  TSink sink;
  f->OnPaint = TNotifyEvent(&sink, &TSink::Paint);
  TAppEvents ev;
  HWND util = AllocateHWnd(TWndMethod(&ev, &TAppEvents::Posted));
  TForm* dlg = TForm::CreateNew(Application);
  int paints = 0;
  sink.OnPaintDo = [&] {
    if (++paints > 1) return;
    PostMessageA(util, WM_USER + 2, 0, 0);
    Application->ProcessMessages();
    host().WhenIdle([&] { host().Key(VK_ESCAPE); });
    host().WhenIdle([&] { dlg->Close(); });
    EXPECT_EQ(dlg->ShowModal(), mrCancel);
    Log().push_back("modal done");
  };
  f->Show();
  Pump();
  EXPECT_EQ(Joined(), "paint f,posted,modal done");
  EXPECT_EQ(paints, 1);  // the nested loops did not paint the same region again
  DeallocateHWnd(util);
}

TEST_F(ApplicationTest, AModalLoopWaitingWithNothingScriptedStopsAndCleansUp) {
  TForm* mainForm = nullptr;
  Application->CreateForm(mainForm);
  mainForm->Show();
  TForm* dlg = TForm::CreateNew(Application);
  EXPECT_THROW(dlg->ShowModal(), HeadlessStall);
  EXPECT_TRUE(IsWindowEnabled(mainForm->Handle()));
  EXPECT_FALSE(dlg->FormState().Contains(TFormStateItem::fsModal));
}

TEST_F(ApplicationTest, IdleTimeRunsOnIdleThenWaits) {
  TAppEvents ev;
  Application->OnIdle = TIdleEvent(&ev, &TAppEvents::Idle);
  host().WhenIdle([] { Log().push_back("waited"); });
  Application->HandleMessage();
  EXPECT_EQ(Joined(), "idle,waited");
  Application->Terminate();
  Application->HandleMessage();
  EXPECT_TRUE(Application->Terminated());
}

TEST_F(ApplicationTest, TimersTickOnTheVirtualClock) {
  TTimer* t = New<TTimer>(Application);
  TSink sink;
  t->SetInterval(500);
  host().Advance(2000);
  EXPECT_EQ(Log().size(), 0u);  // no handler, no timer
  t->SetOnTimer(TNotifyEvent(&sink, &TSink::Tick));
  host().Advance(1600);
  EXPECT_EQ(Log().size(), 3u);
  t->SetEnabled(false);
  host().Advance(2000);
  EXPECT_EQ(Log().size(), 3u);
  // A raising handler is reported and the timer goes on; a timer may free itself.
  t->SetEnabled(true);
  t->SetInterval(100);
  int ticks = 0;
  sink.OnTickDo = [&] {
    if (++ticks == 1) throw Exception("tick failed");
    if (ticks == 3) t->Free();
  };
  host().Advance(1000);
  EXPECT_EQ(ticks, 3);
  EXPECT_EQ(TakeExceptions(), std::vector<String>{"tick failed"});
}

TEST_F(ApplicationTest, SettingsAndActivationBroadcastsReachTheApplication) {
  char saved = FormatSettings.DecimalSeparator;
  FormatSettings.DecimalSeparator = 'x';
  Application->SetUpdateFormatSettings(false);
  UserBroadcastLocaleChange();
  EXPECT_EQ(FormatSettings.DecimalSeparator, 'x');
  Application->SetUpdateFormatSettings(true);
  UserBroadcastLocaleChange();
  EXPECT_EQ(FormatSettings.DecimalSeparator, saved);

  SystemParametersInfoA(SPI_SETWHEELSCROLLLINES, 7, nullptr, SPIF_SENDCHANGE);
  EXPECT_EQ(Mouse->GetWheelScrollLines(), 7);

  TAppEvents ev;
  Application->OnActivate = TNotifyEvent(&ev, &TAppEvents::Activated);
  Application->OnDeactivate = TNotifyEvent(&ev, &TAppEvents::Deactivated);
  TForm* f = TForm::CreateNew(Application);
  f->Show();
  UserSetApplicationActive(false);
  UserSetApplicationActive(true);
  EXPECT_EQ(Joined(), "app active,app inactive,app active");
  Application->OnActivate = nullptr;
  Application->OnDeactivate = nullptr;
}

TEST_F(ApplicationTest, TheClipboardCarriesText) {
  Clipboard->SetAsText(String("cut\0here", 8));
  EXPECT_EQ(Clipboard->GetAsText(), "cut");
  // Another window holding the clipboard open makes opening fail with a clear error.
  TAppEvents ev;
  HWND other = AllocateHWnd(TWndMethod(&ev, &TAppEvents::Posted));
  ASSERT_TRUE(OpenClipboard(other));
  EXPECT_THROW(Clipboard->SetAsText("x"), Exception);
  CloseClipboard();
  DeallocateHWnd(other);
}

}  // namespace
