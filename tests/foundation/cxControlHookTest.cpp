#include <gtest/gtest.h>

#include "platform/gdi/Font.h"
#include "platform/gdi/Gdi.h"
#include "tests/support/AppTest.h"
#include "widgets/foundation/cxControlUtils.h"

namespace {

constexpr UINT kAsk = WM_USER + 1;

// Answers kAsk with 100; every hook on the way adds its own amount.
class TAnswering : public TCustomControl {
  TL_CLASS(TAnswering, TCustomControl)
 public:
  using TCustomControl::TCustomControl;

 protected:
  void WndProc(TMessage& Message) override {
    if (Message.Msg == kAsk) {
      Message.Result = 100;
      return;
    }
    inherited::WndProc(Message);
  }
};

class TAddingHook : public TcxControlHook {
  TL_CLASS(TAddingHook, TcxControlHook)
 public:
  explicit TAddingHook(LRESULT add) : Add(add) {}
  void WndProc(TMessage& Message) override {
    Seen.push_back(Message.Msg);
    inherited::WndProc(Message);
    if (Message.Msg == kAsk) Message.Result += Add;
  }
  LRESULT Add;
  std::vector<UINT> Seen;
};

// A subclassing done by other code, with a plain window-procedure swap.
class TForeign : public TObject {
  TL_CLASS(TForeign, TObject)
 public:
  void Install(HWND wnd) {
    Wnd = wnd;
    Proc = MakeObjectInstance(TWndMethod(this, &TForeign::Handle));
    Old = reinterpret_cast<WNDPROC>(SetWindowLongA(wnd, GWL_WNDPROC, LONG_PTR(Proc)));
  }
  void Handle(TMessage& m) {
    m.Result = CallWindowProcA(Old, Wnd, m.Msg, m.WParam, m.LParam);
    if (m.Msg == kAsk) m.Result += 1000;
  }
  HWND Wnd = nullptr;
  WNDPROC Proc = nullptr;
  WNDPROC Old = nullptr;
};

class ControlHookTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    form = TForm::CreateNew<TForm>(Application);
    form->SetBounds(10, 10, 300, 200);
    control = New<TAnswering>(form);
    control->SetBounds(5, 5, 50, 20);
    control->SetParent(form);
  }
  LRESULT Ask() { return SendMessageA(control->GetHandle(), kAsk, 0, 0); }
  WNDPROC Proc() { return reinterpret_cast<WNDPROC>(GetWindowLongA(control->GetHandle(), GWL_WNDPROC)); }
  TForm* form = nullptr;
  TAnswering* control = nullptr;
};

}  // namespace

TL_DEFINE_CLASS(TAnswering)
TL_DEFINE_CLASS(TAddingHook)
TL_DEFINE_CLASS(TForeign)

TEST_F(ControlHookTest, HooksChainAndComeOffInEitherOrder) {
  WNDPROC original = Proc();
  for (bool firstOffFirst : {true, false}) {
    Owned<TAddingHook> h1(New<TAddingHook>(1)), h2(New<TAddingHook>(20));
    h1->SetControl(control);
    EXPECT_EQ(Ask(), 101);
    h2->SetControl(control);
    EXPECT_EQ(Ask(), 121);
    if (firstOffFirst) {
      h1->SetControl(nullptr);
      EXPECT_EQ(Proc(), h2->NewWndProc()) << "the later hook stays installed";
      EXPECT_EQ(Ask(), 120) << "the earlier hook no longer adds, but the message still arrives";
      h2->SetControl(nullptr);
    } else {
      h2->SetControl(nullptr);
      EXPECT_EQ(Proc(), h1->NewWndProc());
      EXPECT_EQ(Ask(), 101);
      h1->SetControl(nullptr);
    }
    EXPECT_EQ(Proc(), original) << "every link is gone once all hooks are off";
    EXPECT_EQ(Ask(), 100);
    // A hook can go on again afterwards.
    h1->SetControl(control);
    EXPECT_EQ(Ask(), 101);
    h1->SetControl(nullptr);
  }
}

TEST_F(ControlHookTest, AForeignSubclassingOnTopSurvivesUnhookingAndFreeing) {
  TForeign foreign;
  Owned<TAddingHook> hook(New<TAddingHook>(1));
  hook->SetControl(control);
  foreign.Install(control->GetHandle());
  EXPECT_EQ(Ask(), 1101);
  hook->SetControl(nullptr);
  EXPECT_EQ(Proc(), foreign.Proc);
  EXPECT_EQ(Ask(), 1100) << "the control's own handling still answers";
  hook->SetControl(control);   // on top again
  EXPECT_EQ(Ask(), 1101);
  hook.reset();                // restores the foreign procedure
  EXPECT_EQ(Proc(), foreign.Proc);
  EXPECT_EQ(Ask(), 1100);

  Owned<TAddingHook> under(New<TAddingHook>(3));
  SetWindowLongA(control->GetHandle(), GWL_WNDPROC, LONG_PTR(foreign.Old));
  FreeObjectInstance(foreign.Proc);
  under->SetControl(control);
  foreign.Install(control->GetHandle());
  under.reset();               // freed while the foreign procedure still calls its link
  EXPECT_EQ(Ask(), 1100);
  SetWindowLongA(control->GetHandle(), GWL_WNDPROC, LONG_PTR(foreign.Old));
  FreeObjectInstance(foreign.Proc);
}

TEST_F(ControlHookTest, DestroyedWindowUnhooksTheHook) {
  Owned<TAddingHook> hook(New<TAddingHook>(1));
  hook->SetControl(control);
  control->Free();
  control = nullptr;
  EXPECT_FALSE(hook->IsHooked());
  ASSERT_FALSE(hook->Seen.empty());
  EXPECT_NE(std::find(hook->Seen.begin(), hook->Seen.end(), UINT(WM_DESTROY)), hook->Seen.end());
  hook.reset();   // nothing left to restore: the control is gone
}

TEST_F(ControlHookTest, AHookMayFreeItselfWhileHandlingAMessage) {
  class TSelfFreeing : public TcxControlHook {
   public:
    void WndProc(TMessage& Message) override {
      TcxControlHook::WndProc(Message);
      if (Message.Msg == kAsk) {
        Message.Result += 5;
        Free();
      }
    }
  };
  WNDPROC original = Proc();
  TSelfFreeing* hook = New<TSelfFreeing>();
  hook->SetControl(control);
  EXPECT_EQ(Ask(), 105);
  EXPECT_EQ(Proc(), original);
  EXPECT_EQ(Ask(), 100) << "the freed hook took itself out of the chain";
}

TEST_F(ControlHookTest, DesigningControlsAreNotHookedAndHookingTwiceIsHarmless) {
  control->SetDesigning(true);
  Owned<TAddingHook> hook(New<TAddingHook>(1));
  hook->SetControl(control);
  EXPECT_FALSE(hook->IsHooked());
  hook->SetControl(nullptr);
  control->SetDesigning(false);
  hook->SetControl(control);
  hook->HookControl();   // already hooked: must not chain to itself
  EXPECT_EQ(Ask(), 101);
  hook->SetControl(nullptr);
}

TEST_F(ControlHookTest, ParentBackgroundIsPaintedAtTheControlsPlace) {
  form->SetColor(TColor(RGB(10, 200, 30)));
  control->SetColor(TColor(RGB(200, 0, 0)));
  Owned<TBitmap> bmp(New<TBitmap>());
  bmp->SetWidth(50);
  bmp->SetHeight(20);
  bmp->Canvas()->Brush()->SetColor(clWhite);
  bmp->Canvas()->FillRect(TRect{0, 0, 50, 20});
  form->HandleNeeded();
  cxPaintControlBackground(control, bmp->Canvas()->GetHandle());
  EXPECT_EQ(COLORREF(bmp->Canvas()->GetPixel(3, 3)), RGB(10, 200, 30));
  cxPaintControlBackground(control, bmp->Canvas()->GetHandle(), false);
  EXPECT_EQ(COLORREF(bmp->Canvas()->GetPixel(3, 3)), RGB(200, 0, 0));
}

TEST(DrawTextFlagsTest, BothFamilies) {
  using enum TAlignment;
  using enum TcxAlignmentVert;
  EXPECT_EQ(cxMakeDrawTextFlags(0, taLeftJustify, vaTop, false, false, true, 0, true), 0);
  EXPECT_EQ(cxMakeDrawTextFlags(0, taLeftJustify, vaTop, false, false, false, 0, true), 0x800);
  EXPECT_EQ(cxMakeDrawTextFlags(0x20, taRightJustify, vaCenter, true, true, true, 4, true),
            0x20 | 2 | 4 | 0x8000 | 0x10 | 192);
  EXPECT_EQ(cxMakeDrawTextFlags(0, taLeftJustify, vaTop, false, false, false, 0, false), 1 | 8);
  EXPECT_EQ(cxMakeDrawTextFlags(0x40, taCenter, vaCenter, true, true, true, 1, false),
            0x40 | 4 | 0x20 | 0x800 | 0x400 | 0x200 | 256);
}

TEST(AlignmentTest, StoringFollowsTheAssignedValuesFlag) {
  using enum TAlignment;
  using enum TcxAlignmentVert;
  struct TCounter : TObject {
    void Changed(TObject*) { ++Count; }
    int Count = 0;
  } counter;
  Owned<TcxAlignment> byValue(New<TcxAlignment>(nullptr, false, taCenter, vaCenter));
  byValue->OnChanged = TNotifyEvent(&counter, &TCounter::Changed);
  EXPECT_FALSE(byValue->IsHorzStored());
  byValue->SetHorz(taCenter);
  EXPECT_EQ(counter.Count, 0) << "same value: no change";
  EXPECT_FALSE(byValue->IsHorzStored()) << "equal to the default";
  byValue->SetVert(vaTop);
  EXPECT_EQ(counter.Count, 1);

  Owned<TcxAlignment> byAssignment(New<TcxAlignment>(nullptr, true));
  byAssignment->SetHorz(taLeftJustify);
  EXPECT_TRUE(byAssignment->IsHorzStored()) << "assigned, even to the default";

  byAssignment->Assign(byValue.get());
  EXPECT_EQ(byAssignment->GetHorz(), taCenter);

  byValue->Reset();
  Owned<TStringList> other(New<TStringList>());
  EXPECT_THROW(byValue->Assign(other.get()), EConvertError);
}
