// The popup edit: the control it lifts into its popup and gives back, its own message loop
// (scripted at its idle points), the controls it refuses, and a control or parent freed
// while the popup is open.
#include "widgets/editors/cxPopupEdit.h"

#include "tests/editors/DropDownTestSupport.h"

namespace {

class PopupEditTest : public DropDownTest {
 protected:
  // The edit at (10, 10) and a list box on a panel at (200, 40), the list the popup control.
  TcxPopupEdit* AddPopupEdit() {
    panel = New<TCustomControl>(form);
    panel->SetBounds(200, 40, 150, 120);
    panel->SetParent(form);
    list = New<TListBox>(form);
    list->SetBounds(5, 6, 120, 90);
    list->SetParent(panel);
    list->GetItems()->Add("a");
    list->GetItems()->Add("b");
    auto* e = New<TcxPopupEdit>(form);
    e->SetBounds(10, 10, 150, 21);
    e->SetParent(form);
    e->GetPopupProperties()->SetPopupControl(list);
    events.Listen(e->GetPopupProperties());
    host().PumpUntilIdle();
    e->SetFocus();
    host().PumpUntilIdle();
    return e;
  }
  // Opens the popup with F4; Script runs inside the popup's own loop.
  void OpenWith(std::function<void()> Script) {
    host().WhenIdle(std::move(Script));
    Key(VK_F4);
  }
  TCustomControl* panel = nullptr;
  TListBox* list = nullptr;
};

TEST_F(PopupEditTest, ShowsTheControlInItsLoopAndGivesItBackWhereItWas) {
  TcxPopupEdit* e = AddPopupEdit();
  list->SetVisible(false);
  bool inPopup = false, focused = false;
  TRect client{}, listBounds{};
  Integer height = 0;
  OpenWith([&] {
    inPopup = list->GetParent() == e->PopupWindow() && list->GetVisible();
    focused = GetFocus() == list->GetHandle();
    client = e->PopupWindow()->PopupViewInfo()->ClientRect;
    listBounds = list->GetBoundsRect();
    height = e->PopupWindow()->GetHeight();
    host().Key(VK_ESCAPE);
  });
  EXPECT_TRUE(inPopup);
  EXPECT_TRUE(focused) << "a popup that captures the focus gives it to the control";
  EXPECT_EQ(listBounds, client) << "the control fills the client area";
  EXPECT_EQ(client.Width(), 120) << "sized to the control";
  EXPECT_EQ(height, 100) << "but not below the minimum height";
  EXPECT_FALSE(e->GetDroppedDown());
  EXPECT_EQ(events.Reason, TcxEditCloseUpReason::crCancel);
  EXPECT_EQ(list->GetParent(), panel);
  EXPECT_EQ(list->GetBoundsRect(), (TRect{5, 6, 125, 96}));
  EXPECT_FALSE(list->GetVisible()) << "the visibility comes back too";
  EXPECT_EQ(list->GetAlign(), TAlign::alNone);
}

TEST_F(PopupEditTest, APopupResultClosesWithTheMatchingReasonAndAQuitEndsTheLoop) {
  TcxPopupEdit* e = AddPopupEdit();
  OpenWith([&] { e->PopupWindow()->SetModalResult(mrOk); });
  EXPECT_FALSE(e->GetDroppedDown());
  EXPECT_EQ(events.Reason, TcxEditCloseUpReason::crEnter);
  OpenWith([&] { e->PopupWindow()->SetModalResult(mrCancel); });
  EXPECT_EQ(events.Reason, TcxEditCloseUpReason::crCancel);

  OpenWith([&] { PostQuitMessage(3); });
  EXPECT_FALSE(e->GetDroppedDown());
  EXPECT_EQ(list->GetParent(), panel);
  MSG msg{};
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "the quit is left for the outer loop";
  EXPECT_EQ(msg.wParam, WPARAM(3));
}

TEST_F(PopupEditTest, RefusesTheEditItsParentsAndItsOwnControlsAndOpensNothingWithoutAControl) {
  TcxPopupEdit* e = AddPopupEdit();
  for (TControl* c : {static_cast<TControl*>(form), static_cast<TControl*>(e),
                      static_cast<TControl*>(e->InnerControl()), static_cast<TControl*>(e->PopupWindow())}) {
    e->GetPopupProperties()->SetPopupControl(c);
    try {
      e->SetDroppedDown(true);
      ADD_FAILURE() << "no error";
    } catch (const Exception& x) {
      EXPECT_EQ(x.Message(), "Circular referencing is not allowed");
    }
    host().PumpUntilIdle();
    EXPECT_FALSE(e->GetDroppedDown());
  }
  EXPECT_EQ(e->GetParent(), form);
  e->GetPopupProperties()->SetPopupControl(nullptr);
  Key(VK_F4);
  EXPECT_FALSE(e->GetDroppedDown());
  EXPECT_EQ(events.Popups, 0);
}

TEST_F(PopupEditTest, SurvivesTheControlOrItsParentFreedWhileOpen) {
  TcxPopupEdit* e = AddPopupEdit();
  OpenWith([&] {
    panel->Free();
    panel = nullptr;
    host().Key(VK_ESCAPE);
  });
  EXPECT_FALSE(e->GetDroppedDown());
  EXPECT_EQ(list->GetParent(), nullptr) << "nowhere to go back to";
  EXPECT_EQ(list->GetBoundsRect(), (TRect{5, 6, 125, 96}));

  OpenWith([&] {
    list->Free();
    list = nullptr;
  });
  EXPECT_FALSE(e->GetDroppedDown()) << "nothing left to show: the popup closed";
  EXPECT_EQ(e->GetPopupProperties()->GetPopupControl(), nullptr);
  EXPECT_EQ(events.CloseUps, 2);
}

TEST_F(PopupEditTest, FreedWhileOpenItGivesTheControlBack) {
  TcxPopupEdit* e = AddPopupEdit();
  OpenWith([&] { e->Free(); });
  EXPECT_EQ(list->GetParent(), panel);
  EXPECT_TRUE(list->GetVisible());
}

TEST_F(PopupEditTest, WithoutAutoSizeOrWidthThePopupIsAsWideAsTheEdit) {
  TcxPopupEdit* e = AddPopupEdit();
  e->GetPopupProperties()->SetPopupAutoSize(false);
  e->GetPopupProperties()->SetPopupWidth(0);
  e->GetPopupProperties()->SetPopupMinWidth(0);
  Integer width = 0, height = 0;
  OpenWith([&] {
    width = e->PopupWindow()->GetWidth();
    height = e->PopupWindow()->GetHeight();
    host().Key(VK_ESCAPE);
  });
  EXPECT_EQ(width, e->GetWidth());
  EXPECT_EQ(height, 200);
}

}  // namespace

namespace {

TEST_F(PopupEditTest, LeavingTheApplicationClosesItAndTheEditHasTheFocusAfterwards) {
  TcxPopupEdit* e = AddPopupEdit();
  OpenWith([&] { UserSetApplicationActive(false); });
  EXPECT_FALSE(e->GetDroppedDown());
  EXPECT_EQ(events.Reason, TcxEditCloseUpReason::crNone);
  EXPECT_EQ(list->GetParent(), panel);
  UserSetApplicationActive(true);
  host().PumpUntilIdle();

  OpenWith([&] { host().Key(VK_ESCAPE); });
  host().PumpUntilIdle();
  EXPECT_EQ(GetFocus(), e->InnerControl()->GetHandle()) << "the focus comes back to the edit";
}

}  // namespace

namespace {

TEST_F(PopupEditTest, AClickOnAnotherControlClosesItAndThatControlKeepsTheFocus) {
  TcxPopupEdit* e = AddPopupEdit();
  OpenWith([&] { host().Click(other->GetHandle(), 3, 3); });
  host().PumpUntilIdle();
  EXPECT_FALSE(e->GetDroppedDown());
  EXPECT_EQ(events.Reason, TcxEditCloseUpReason::crNone);
  EXPECT_EQ(list->GetParent(), panel);
  EXPECT_EQ(GetFocus(), other->GetHandle());

  // A press on the edit's own button closes it and does not open it again.
  e->SetFocus();
  host().PumpUntilIdle();
  const TRect b = e->EditViewInfo()->ButtonsInfo[0]->Bounds;
  OpenWith([&] { host().Click(e->GetHandle(), (b.Left + b.Right) / 2, (b.Top + b.Bottom) / 2); });
  host().PumpUntilIdle();
  EXPECT_FALSE(e->GetDroppedDown());
  EXPECT_EQ(events.Popups, 2);
}

}  // namespace

namespace {

class TCloseGate : public TObject {
 public:
  bool Allow = false;
  int Asked = 0;
  void Query(TObject*, bool& CanClose) {
    ++Asked;
    CanClose = Allow;
  }
};

TEST_F(PopupEditTest, OnCloseQueryCanKeepThePopupOpenAgainstAResult) {
  TcxPopupEdit* e = AddPopupEdit();
  TCloseGate gate;
  e->GetPopupProperties()->OnCloseQuery = {&gate, &TCloseGate::Query};
  bool stillOpen = false;
  OpenWith([&] {
    e->PopupWindow()->SetModalResult(mrOk);
    host().WhenIdle([&] {
      stillOpen = e->GetDroppedDown();
      gate.Allow = true;
      e->PopupWindow()->SetModalResult(mrOk);
    });
  });
  EXPECT_TRUE(stillOpen);
  EXPECT_EQ(gate.Asked, 2);
  EXPECT_FALSE(e->GetDroppedDown());
  EXPECT_EQ(events.Reason, TcxEditCloseUpReason::crEnter);
}

}  // namespace
