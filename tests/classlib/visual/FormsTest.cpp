#include "classlib/core/Filer.h"
#include "classlib/core/FormText.h"
#include "platform/kernel/Resources.h"
#include "tests/classlib/visual/VisualTestClasses.h"
#include "tests/support/AppTest.h"

#include <gtest/gtest.h>

namespace {

// A nested persistent value, as `Margins.Left` in a description.
class TMargins : public TPersistent {
  TL_CLASS(TMargins, TPersistent)
 public:
  Integer GetLeft() const { return FLeft; }
  void SetLeft(Integer v) { FLeft = v; }

 private:
  Integer FLeft = 0;
};

class TBoxed : public TProbe {
  TL_CLASS(TBoxed, TProbe)
 public:
  explicit TBoxed(TComponent* AOwner) : TProbe(AOwner), FMargins(New<TMargins>()) {}
  TMargins* GetMargins() const { return FMargins.get(); }

 private:
  Owned<TMargins> FMargins;
};

class TDescForm : public TForm {
  TL_CLASS(TDescForm, TForm)
 public:
  using TForm::TForm;
  void OkClick(TObject*) { Log().push_back("OkClick"); }
  void FormCreate(TObject*) { Log().push_back("FormCreate " + std::to_string(ComponentCount())); }
  void TimerTick(TObject*) { Log().push_back("tick"); }
};

// A form without a description of its own: it is built from its base class's.
class TDerivedForm : public TDescForm {
  TL_CLASS(TDerivedForm, TDescForm)
 public:
  using TDescForm::TDescForm;
};

class TMissingForm : public TForm {
  TL_CLASS(TMissingForm, TForm)
 public:
  using TForm::TForm;
};

}  // namespace

TL_DEFINE_CLASS(TMargins, [](auto& c) { c.Property("Left", &TMargins::GetLeft, &TMargins::SetLeft).Default(0); })
TL_DEFINE_CLASS(TBoxed, [](auto& c) { c.Property("Margins", &TBoxed::GetMargins); })
TL_DEFINE_CLASS(TDescForm, [](auto& c) {
  c.Method("OkClick", &TDescForm::OkClick);
  c.Method("FormCreate", &TDescForm::FormCreate);
  c.Method("TimerTick", &TDescForm::TimerTick);
})
TL_DEFINE_CLASS(TMissingForm)
TL_DEFINE_CLASS(TDerivedForm)

namespace {

class FormsTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    Log().clear();
    RegisterClasses({&TProbe::StaticClass(), &TTestButton::StaticClass(), &TBoxed::StaticClass(),
                     &TDescForm::StaticClass()});
  }
  void TearDown() override {
    UnregisterResourceTable("forms-test");
    AppTest::TearDown();
  }
  void RegisterDescription(const char* name, std::vector<Byte> bytes) {
    data_ = std::move(bytes);
    item_ = ResourceItem{10, 0, name, data_.data(), data_.size(), 0, 0};
    RegisterResourceTable(ResourceTable{"forms-test", &item_, 1});
  }
  // A point of the window's close box, found by asking the window itself.
  TPoint CloseBox(HWND wnd) {
    TRect r;
    GetWindowRect(wnd, &r);
    for (Integer y = r.Top; y < r.Top + 40; ++y)
      for (Integer x = r.Right - 1; x > r.Right - 60; --x)
        if (SendMessageA(wnd, WM_NCHITTEST, 0, MAKELPARAM(WORD(x), WORD(y))) == HTCLOSE) return {x, y};
    ADD_FAILURE() << "no close box";
    return {0, 0};
  }
  TForm* MakeMainForm() {
    TForm* f = nullptr;
    Application->CreateForm(f);
    return f;
  }
  TForm* MakeDialog(TTestButton*& ok, TTestButton*& cancel) {
    TForm* dlg = TForm::CreateNew(Application);
    dlg->SetName("dlg");
    dlg->SetBorderStyle(TFormBorderStyle::bsDialog);
    dlg->SetBounds(0, 0, 200, 120);
    ok = New<TTestButton>(dlg);
    ok->SetName("ok");
    ok->SetBounds(10, 10, 60, 20);
    ok->Default = true;
    ok->ModalResult = mrOk;
    ok->SetParent(dlg);
    cancel = New<TTestButton>(dlg);
    cancel->SetName("cancel");
    cancel->SetBounds(80, 10, 60, 20);
    cancel->Cancel = true;
    cancel->ModalResult = mrCancel;
    cancel->SetParent(dlg);
    return dlg;
  }
  std::vector<Byte> data_;
  ResourceItem item_{};
};

TEST_F(FormsTest, AFormIsBuiltFromATextDescription) {
  const char* text =
      "object DescForm: TDescForm\n"
      "  ActiveControl = Ok\n"
      "  BorderIcons = [biSystemMenu]\n"
      "  Caption = 'From text'\n"
      "  OnCreate = FormCreate\n"
      "  object tTimer: TTimer\n"
      "    Interval = 500\n"
      "    OnTimer = TimerTick\n"
      "  end\n"
      "  object Box: TBoxed\n"
      "    Margins.Left = 9\n"
      "    Font.Height = -20\n"
      "    object Ok: TTestButton\n"
      "      OnClick = OkClick\n"
      "    end\n"
      "  end\n"
      "end\n";
  Owned<TMemoryStream> bin(New<TMemoryStream>());
  ObjectTextToBinary(text, *bin);
  RegisterDescription("TDESCFORM", std::vector<Byte>(bin->Memory(), bin->Memory() + bin->GetSize()));
  TDescForm* f = nullptr;
  Application->CreateForm(f);
  EXPECT_EQ(Log().back(), "FormCreate 3");
  EXPECT_EQ(f->GetBorderIcons(), TBorderIcons{TBorderIcon::biSystemMenu});
  auto* box = dynamic_cast<TBoxed*>(f->FindComponent("Box"));
  auto* ok = dynamic_cast<TTestButton*>(f->FindComponent("Ok"));
  ASSERT_TRUE(box && ok);
  EXPECT_EQ(box->GetMargins()->GetLeft(), 9);
  EXPECT_EQ(ok->GetFont()->GetHeight(), -20);  // the nested font, passed on to the child
  ok->OnClick(ok);
  EXPECT_EQ(Log().back(), "OkClick");
  Log().clear();
  host().Advance(1200);
  EXPECT_EQ(Joined(), "tick,tick");
  EXPECT_EQ(f->GetActiveControl(), ok);  // a reference resolved after reading
  f->Show();
  EXPECT_TRUE(ok->Focused());

  f->Free();  // the derived form takes the same name
  TDerivedForm* d = nullptr;
  Application->CreateForm(d);
  EXPECT_EQ(d->GetCaption(), "From text");
  EXPECT_NE(d->FindComponent("Ok"), nullptr);
}

TEST_F(FormsTest, AMissingOrDamagedDescriptionFailsTheCreationCleanly) {
  TMissingForm* m = nullptr;
  EXPECT_THROW(Application->CreateForm(m), EResNotFound);
  EXPECT_EQ(m, nullptr);
  EXPECT_EQ(Screen->FormCount(), 0);
  RegisterDescription("TDESCFORM", {'T', 'P', 'F', '0', 0xF0, 0xFF, 'x'});
  TDescForm* d = nullptr;
  EXPECT_THROW(Application->CreateForm(d), EStreamError);
  EXPECT_EQ(d, nullptr);
  EXPECT_EQ(Application->ComponentCount(), 0);
}

TEST_F(FormsTest, ModalDialogsEndByButtonCloseBoxAndModalResult) {
  TForm* mainForm = MakeMainForm();
  mainForm->Show();
  TTestButton *ok, *cancel;
  TForm* dlg = MakeDialog(ok, cancel);

  bool mainDisabled = false;
  host().WhenIdle([&] {
    mainDisabled = !IsWindowEnabled(mainForm->Handle());
    host().Click(cancel->Handle(), 2, 2);
  });
  EXPECT_EQ(dlg->ShowModal(), mrCancel);
  EXPECT_TRUE(mainDisabled);
  EXPECT_TRUE(IsWindowEnabled(mainForm->Handle()));
  EXPECT_FALSE(dlg->GetVisible());

  host().WhenIdle([&] {
    TPoint p = CloseBox(dlg->Handle());
    host().Click(nullptr, p.X, p.Y);
  });
  EXPECT_EQ(dlg->ShowModal(), mrCancel);
  EXPECT_EQ(Joined(), "click cancel");
  // Writing the result from code ends the loop as well.
  host().WhenIdle([&] { dlg->SetModalResult(mrRetry); });
  EXPECT_EQ(dlg->ShowModal(), mrRetry);
  EXPECT_EQ(host().PendingScripts(), 0u);
  // A visible form cannot be shown modally.
  dlg->Show();
  EXPECT_THROW(dlg->ShowModal(), EInvalidOperation);
}

TEST_F(FormsTest, CloseQueryAndCloseActionsDecideWhatClosingDoes) {
  MakeMainForm();  // the closing form is not the main one
  TForm* f = TForm::CreateNew(Application);
  f->SetName("f");
  TSink sink;
  f->OnCloseQuery = TCloseQueryEvent(&sink, &TSink::Query);
  f->OnClose = TCloseEvent(&sink, &TSink::Closing);
  f->Show();
  sink.CanClose = false;
  f->Close();
  EXPECT_TRUE(f->GetVisible());
  sink.CanClose = true;
  sink.CloseAction = TCloseAction::caNone;
  f->Close();
  EXPECT_TRUE(f->GetVisible());
  sink.CloseAction = TCloseAction::caHide;
  f->Close();
  EXPECT_FALSE(f->GetVisible());
  EXPECT_EQ(Joined(), "query f,query f,close f,query f,close f");

  // caFree releases the form once queued messages ran, never inside the handler.
  f->Show();
  sink.CloseAction = TCloseAction::caFree;
  f->Close();
  EXPECT_EQ(Screen->FormCount(), 2);
  Pump();
  EXPECT_EQ(Screen->FormCount(), 1);

  // A modal form told to close gets mrCancel; caNone from OnClose keeps it open.
  TTestButton *ok, *cancel;
  TForm* dlg = MakeDialog(ok, cancel);
  dlg->OnClose = TCloseEvent(&sink, &TSink::Closing);
  sink.CloseAction = TCloseAction::caNone;
  host().WhenIdle([&] { dlg->Close(); });
  host().WhenIdle([&] {
    EXPECT_TRUE(dlg->GetVisible());
    sink.CloseAction = TCloseAction::caHide;
    PostMessageA(dlg->Handle(), WM_CLOSE, 0, 0);
  });
  EXPECT_EQ(dlg->ShowModal(), mrCancel);
}

TEST_F(FormsTest, ClosingTheMainFormEndsRun) {
  TForm* mainForm = MakeMainForm();
  TSink sink;
  mainForm->OnShow = TNotifyEvent(&sink, &TSink::Clicked);
  host().WhenIdle([&] { mainForm->Close(); });
  Application->Run();
  EXPECT_TRUE(Application->Terminated());
  EXPECT_EQ(Log().size(), 1u);  // shown once by Run
}

TEST_F(FormsTest, PositionPlacesTheFormOnShow) {
  TForm* mainForm = MakeMainForm();
  mainForm->SetBounds(100, 100, 400, 300);
  mainForm->Show();
  TForm* f = TForm::CreateNew(Application);
  f->SetBounds(0, 0, 200, 100);
  f->SetPosition(TPosition::poMainFormCenter);
  f->Show();
  EXPECT_EQ(f->GetLeft(), 200);
  EXPECT_EQ(f->GetTop(), 200);
  // Centred on a form near the edge, it stays inside the work area.
  f->Hide();
  mainForm->SetBounds(-150, -100, 200, 150);
  f->SetPosition(TPosition::poMainFormCenter);
  f->Show();
  EXPECT_EQ(f->GetLeft(), Screen->WorkAreaRect().Left);
  EXPECT_EQ(f->GetTop(), Screen->WorkAreaRect().Top);
}

TEST_F(FormsTest, ACentredFormIsCentredByItsWholeWindowFrameIncluded) {
  TForm* f = TForm::CreateNew(Application);
  f->SetBorderStyle(TFormBorderStyle::bsSingle);
  f->SetClientWidth(250);
  f->SetClientHeight(269);
  f->SetPosition(TPosition::poDesktopCenter);
  f->Show();
  RECT r;
  ASSERT_TRUE(GetWindowRect(f->Handle(), &r));
  const Integer w = r.Right - r.Left, h = r.Bottom - r.Top;
  ASSERT_GT(h, 269 + GetSystemMetrics(SM_CYCAPTION));   // the caption and both borders count
  EXPECT_EQ(r.Left, (GetSystemMetrics(SM_CXSCREEN) - w) / 2);
  EXPECT_EQ(r.Top, (GetSystemMetrics(SM_CYSCREEN) - h) / 2);
}

TEST_F(FormsTest, ClientSizeExcludesTheFrameBeforeAndAfterTheWindowExists) {
  TForm* f = TForm::CreateNew(Application);
  f->SetClientWidth(300);
  f->SetClientHeight(200);
  EXPECT_GT(f->GetHeight(), 200);
  f->HandleNeeded();
  TRect c;
  GetClientRect(f->Handle(), &c);
  EXPECT_EQ(c.Bottom, 200);
  f->SetBorderStyle(TFormBorderStyle::bsNone);
  f->SetClientWidth(300);
  EXPECT_EQ(f->GetWidth(), 300);
}

class TFormEvents : public TObject {
 public:
  void Shown(TObject* Sender) { Log().push_back(std::string("show ") + NameOf(Sender)); }
  void Hidden(TObject* Sender) { Log().push_back(std::string("hide ") + NameOf(Sender)); }
  void Activated(TObject* Sender) { Log().push_back(std::string("activate ") + NameOf(Sender)); }
  void Deactivated(TObject* Sender) { Log().push_back(std::string("deactivate ") + NameOf(Sender)); }
  void Destroyed(TObject* Sender) { Log().push_back(std::string("destroy ") + NameOf(Sender)); }
};

TEST_F(FormsTest, FormsAnnounceShowingHidingActivationAndDestruction) {
  TFormEvents ev;
  TForm* forms[2];
  for (int i = 0; i < 2; ++i) {
    TForm* f = forms[i] = TForm::CreateNew(Application);
    f->SetName(i == 0 ? "one" : "two");
    f->OnShow = TNotifyEvent(&ev, &TFormEvents::Shown);
    f->OnHide = TNotifyEvent(&ev, &TFormEvents::Hidden);
    f->OnActivate = TNotifyEvent(&ev, &TFormEvents::Activated);
    f->OnDeactivate = TNotifyEvent(&ev, &TFormEvents::Deactivated);
    f->OnDestroy = TNotifyEvent(&ev, &TFormEvents::Destroyed);
  }
  forms[0]->Show();
  forms[1]->Show();
  forms[1]->Hide();
  forms[0]->Free();
  EXPECT_EQ(Joined(),
            "show one,activate one,show two,deactivate one,activate two,hide two,deactivate two,activate one,"
            "destroy one");
  forms[1]->OnDestroy = nullptr;
}

TEST_F(FormsTest, ActivationFocusesTheActiveControlAndTracksTheActiveForm) {
  TForm* a = TForm::CreateNew(Application);
  TProbe* pa = New<TProbe>(a);
  pa->SetName("pa");
  pa->SetParent(a);
  a->SetActiveControl(pa);
  TForm* b = TForm::CreateNew(Application);
  a->Show();
  EXPECT_EQ(Screen->ActiveForm(), a);
  EXPECT_EQ(Screen->ActiveControl(), pa);
  b->Show();
  EXPECT_EQ(Screen->ActiveForm(), b);
  EXPECT_TRUE(b->Active());
  EXPECT_FALSE(a->Active());
  SetActiveWindow(a->Handle());
  EXPECT_TRUE(pa->Focused());
}

}  // namespace
