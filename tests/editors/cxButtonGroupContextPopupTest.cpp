// A radio group's item asked for a context menu: the group's OnContextPopup hears it once, in
// the group's coordinates, before any menu; Handled keeps every menu closed; a request from the
// keyboard stays one; a handler freeing the group ends the request quietly.
#include "classlib/visual/Forms.h"
#include "classlib/visual/Menus.h"
#include "platform/host/HeadlessHost.h"
#include "platform/user/User.h"
#include "tests/editors/EditorsTestSupport.h"
#include "widgets/editors/cxRadioGroup.h"

#include <gtest/gtest.h>

namespace {

class TNoteMenu : public TPopupMenu {
  TL_CLASS(TNoteMenu, TPopupMenu)
 public:
  using TPopupMenu::TPopupMenu;
  void Popup(Integer X, Integer Y) override {
    ++Shown;
    At = {X, Y};
  }
  int Shown = 0;
  TPoint At{};
};
TL_DEFINE_CLASS(TNoteMenu)

class TPopupAsks : public TObject {
 public:
  void Ask(TObject* Sender, TPoint MousePos, bool& Handled) {
    ++Count;
    From = Sender;
    At = MousePos;
    Handled = Handle;
    if (Victim) {
      TObject* v = Victim;
      Victim = nullptr;
      v->Free();
    }
  }
  int Count = 0;
  TObject* From = nullptr;
  TPoint At{-2, -2};
  bool Handle = false;
  TObject* Victim = nullptr;
};

class RadioGroupContextPopup : public EditorsTest {
 protected:
  void SetUp() override {
    EditorsTest::SetUp();
    form = TForm::CreateNew(Application);
    form->SetBounds(100, 100, 400, 300);
    group = New<TcxRadioGroup>(form);
    group->SetBounds(10, 10, 185, 105);
    group->SetParent(form);
    for (const char* c : {"a", "b", "c"})
      static_cast<TcxRadioGroupItem*>(group->GetProperties()->GetItems()->Add())->SetCaption(c);
    group->OnContextPopup = TContextPopupEvent(&asks, &TPopupAsks::Ask);
    form->Show();
    Pump();
  }
  void TearDown() override {
    form->Free();
    EditorsTest::TearDown();
  }
  TcxRadioButton* Item(int i) { return group->RadioButton(i); }
  void RightClick(TWinControl* c, int x, int y) {
    host().Click(c->Handle(), x, y, MouseButton::Right);
    Pump();
  }
  TForm* form = nullptr;
  TcxRadioGroup* group = nullptr;
  TPopupAsks asks;
};

TEST_F(RadioGroupContextPopup, ARightClickOnAnItemReachesTheGroupOnceInItsCoordinates) {
  // Three items in one column of a 185 x 105 box, rows 30 high below a 15-high caption band
  // and a 1-pixel border: the second sits at (1, 45).
  ASSERT_EQ(Item(1)->GetLeft(), 1);
  ASSERT_EQ(Item(1)->GetTop(), 45);
  RightClick(Item(1), 7, 3);
  EXPECT_EQ(asks.Count, 1) << "the parent's default handling does not ask again";
  EXPECT_EQ(asks.From, group);
  EXPECT_EQ(asks.At, (TPoint{8, 48}));
  // From the keyboard there is no point to move.
  SendMessageA(Item(2)->Handle(), WM_CONTEXTMENU, WPARAM(Item(2)->Handle()), LPARAM(-1));
  EXPECT_EQ(asks.Count, 2);
  EXPECT_EQ(asks.At, (TPoint{-1, -1}));
}

TEST_F(RadioGroupContextPopup, HandledKeepsTheGroupsAndTheItemsMenusClosed) {
  auto* groupMenu = New<TNoteMenu>(form);
  auto* itemMenu = New<TNoteMenu>(form);
  group->SetPopupMenu(groupMenu);
  Item(0)->SetPopupMenu(itemMenu);
  asks.Handle = true;
  RightClick(Item(0), 4, 5);
  EXPECT_EQ(asks.Count, 1);
  EXPECT_EQ(groupMenu->Shown, 0);
  EXPECT_EQ(itemMenu->Shown, 0);
  // Not handled: the group's menu opens where clicked, and answers for the item's.
  asks.Handle = false;
  RightClick(Item(0), 4, 5);
  EXPECT_EQ(asks.Count, 2);
  EXPECT_EQ(groupMenu->Shown, 1);
  EXPECT_EQ(groupMenu->At, Item(0)->ClientToScreen({4, 5}));
  EXPECT_EQ(itemMenu->Shown, 0);
  // From the keyboard the group's menu opens at the group's client origin.
  SendMessageA(Item(0)->Handle(), WM_CONTEXTMENU, WPARAM(Item(0)->Handle()), LPARAM(-1));
  EXPECT_EQ(groupMenu->Shown, 2);
  EXPECT_EQ(groupMenu->At, group->ClientToScreen({0, 0}));
  // Without a menu of the group's, the item's own opens after the group was asked.
  group->SetPopupMenu(nullptr);
  RightClick(Item(0), 4, 5);
  EXPECT_EQ(asks.Count, 4);
  EXPECT_EQ(itemMenu->Shown, 1);
  EXPECT_EQ(groupMenu->Shown, 2);
}

TEST_F(RadioGroupContextPopup, AHandlerFreeingTheGroupEndsTheRequest) {
  for (const bool handled : {false, true}) {
    SCOPED_TRACE(handled ? "handled" : "not handled");
    auto* g = New<TcxRadioGroup>(form);
    g->SetBounds(200, 10, 150, 80);
    g->SetParent(form);
    static_cast<TcxRadioGroupItem*>(g->GetProperties()->GetItems()->Add())->SetCaption("x");
    g->SetPopupMenu(New<TNoteMenu>(form));
    g->OnContextPopup = TContextPopupEvent(&asks, &TPopupAsks::Ask);
    Pump();
    TWeakLink link(g);
    const int before = asks.Count;
    asks.Handle = handled;
    asks.Victim = g;
    RightClick(g->RadioButton(0), 3, 3);
    EXPECT_EQ(asks.Count, before + 1);
    EXPECT_FALSE(link.Alive());
  }
}

}  // namespace
