#include "classlib/core/Filer.h"
#include "classlib/core/FormText.h"
#include "classlib/visual/ComCtrls.h"
#include "classlib/visual/Menus.h"
#include "classlib/visual/StdCtrls.h"
#include "platform/kernel/Resources.h"
#include "tests/classlib/visual/VisualTestClasses.h"
#include "tests/support/AppTest.h"
#include "tests/support/FormDescription.h"

#include <gtest/gtest.h>

namespace {

// The game's kind of main window: menu with shortcuts, status bar and standard controls.
class TMenuForm : public TForm {
  TL_CLASS(TMenuForm, TForm)
 public:
  using TForm::TForm;
  bool DisablePauseOnOpen = false;
  void miGameClick(TObject*) {
    Log().push_back("game opened");
    if (DisablePauseOnOpen) dynamic_cast<TMenuItem*>(FindComponent("miPause"))->SetEnabled(false);
  }
  void miNewClick(TObject*) { Log().push_back("new"); }
  void miPauseClick(TObject*) { Log().push_back("pause"); }
  void Edit1Change(TObject*) { Log().push_back("change"); }
};

const char* kMainText =
    "object MenuForm: TMenuForm\n"
    "  ClientWidth = 320\n"
    "  ClientHeight = 200\n"
    "  Menu = MainMenu1\n"
    "  object MainMenu1: TMainMenu\n"
    "    object miGame: TMenuItem\n"
    "      Caption = '&Game'\n"
    "      OnClick = miGameClick\n"
    "      object miNew: TMenuItem\n"
    "        Caption = '&New'\n"
    "        ShortCut = 113\n"
    "        OnClick = miNewClick\n"
    "      end\n"
    "      object miLine: TMenuItem\n"
    "        Caption = '-'\n"
    "      end\n"
    "      object miPause: TMenuItem\n"
    "        Caption = '&Pause'\n"
    "        Checked = True\n"
    "        ShortCut = 116\n"
    "        OnClick = miPauseClick\n"
    "      end\n"
    "    end\n"
    "  end\n"
    "  object StatusBar1: TStatusBar\n"
    "    Panels = <\n"
    "      item\n"
    "        Text = 'Score'\n"
    "        Width = 80\n"
    "      end>\n"
    "  end\n"
    "  object Ok: TButton\n"
    "    Default = True\n"
    "  end\n"
    "  object Edit1: TEdit\n"
    "    Text = 'Player'\n"
    "    OnChange = Edit1Change\n"
    "  end\n"
    "  object List1: TListBox\n"
    "    Items.Strings = (\n"
    "      'pear'\n"
    "      'apple')\n"
    "    Sorted = True\n"
    "  end\n"
    "end\n";

class MenusTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    Log().clear();
    RegisterClass(TMenuForm::StaticClass());
  }
  void TearDown() override {
    UnregisterResourceTable("menus-test");
    AppTest::TearDown();
  }
  TMenuForm* LoadMain() {
    Owned<TMemoryStream> bin(New<TMemoryStream>());
    ObjectTextToBinary(kMainText, *bin);
    return LoadFrom(*bin);
  }
  // Creates the form from ADescription, registered as its resource.
  TMenuForm* LoadFrom(TMemoryStream& ADescription) {
    UnregisterResourceTable("menus-test");
    data_.assign(ADescription.Memory(), ADescription.Memory() + ADescription.GetSize());
    item_ = ResourceItem{10, 0, "TMENUFORM", data_.data(), data_.size(), 0, 0};
    RegisterResourceTable(ResourceTable{"menus-test", &item_, 1});
    TMenuForm* f = nullptr;
    Application->CreateForm(f);
    return f;
  }
  // What kMainText describes, as read back into AForm.
  static void ExpectMainWindow(TMenuForm* AForm) {
    auto* menu = Find<TMainMenu>(AForm, "MainMenu1");
    auto* bar = Find<TStatusBar>(AForm, "StatusBar1");
    auto* ok = Find<TButton>(AForm, "Ok");
    auto* edit = Find<TEdit>(AForm, "Edit1");
    auto* list = Find<TListBox>(AForm, "List1");
    ASSERT_TRUE(menu && bar && ok && edit && list);
    EXPECT_EQ(AForm->GetMenu(), menu);
    ASSERT_EQ(menu->Items()->Count(), 1);
    TMenuItem* game = menu->Items()->Items(0);
    ASSERT_EQ(game->Count(), 3);
    EXPECT_EQ(game->Items(0)->GetShortCut(), VK_F2);
    EXPECT_TRUE(game->Items(1)->IsLine());
    EXPECT_TRUE(game->Items(2)->GetChecked());
    ASSERT_EQ(bar->GetPanels()->Count(), 1);
    EXPECT_TRUE(ok->GetDefault());
    EXPECT_EQ(edit->GetText(), "Player");
  }
  template <class T>
  static T* Find(TComponent* Root, const char* Name) {
    auto* c = dynamic_cast<T*>(Root->FindComponent(Name));
    EXPECT_NE(c, nullptr) << Name;
    return c;
  }
  std::vector<Byte> data_;
  ResourceItem item_{};
};

String MenuText(HMENU Menu, UINT Pos) {
  char buf[64] = {};
  GetMenuStringA(Menu, Pos, buf, sizeof buf, MF_BYPOSITION);
  return buf;
}

TEST_F(MenusTest, AMainWindowIsBuiltFromItsDescription) {
  TMenuForm* f = LoadMain();
  ExpectMainWindow(f);
  EXPECT_EQ(Joined(), "");  // nothing fired while loading

  // The window gets the platform menu, with the bar outside the client area.
  f->Show();
  host().PumpUntilIdle();
  HMENU hmenu = GetMenu(f->Handle());
  ASSERT_NE(hmenu, nullptr);
  ASSERT_EQ(GetMenuItemCount(hmenu), 1);
  HMENU sub = GetSubMenu(hmenu, 0);
  ASSERT_EQ(GetMenuItemCount(sub), 3);
  EXPECT_EQ(MenuText(sub, 0), "&New\tF2");
  EXPECT_TRUE(GetMenuState(sub, 2, MF_BYPOSITION) & MF_CHECKED);

  auto* list = Find<TListBox>(f, "List1");
  ASSERT_EQ(SendMessageA(list->Handle(), LB_GETCOUNT, 0, 0), 2);
  EXPECT_EQ(list->GetItems()->Strings(0), "apple");
}

TEST_F(MenusTest, AWrittenMainWindowReadsBackTheSame) {
  TMenuForm* f = LoadMain();
  Find<TMenuItem>(f, "miPause")->SetEnabled(false);
  Find<TListBox>(f, "List1")->GetItems()->Add("fig");
  Owned<TMemoryStream> ms(New<TMemoryStream>());
  {
    Owned<TWriter> w(New<TWriter>(*ms));
    w->WriteRootComponent(f);
  }
  f->Free();
  TMenuForm* g = LoadFrom(*ms);
  ExpectMainWindow(g);
  EXPECT_FALSE(Find<TMenuItem>(g, "miPause")->GetEnabled());
  EXPECT_EQ(Find<TListBox>(g, "List1")->GetItems()->GetCommaText(), "apple,fig,pear");
  // Published defaults are not written, and an edit's text is written once, as Text.
  String bytes(data_.begin(), data_.end());
  size_t player = bytes.find("Player");
  ASSERT_NE(player, String::npos);
  EXPECT_EQ(bytes.find("Player", player + 1), String::npos);
  EXPECT_EQ(bytes.find("TabStop"), String::npos);
  EXPECT_EQ(bytes.find("\x05" "Align"), String::npos);  // the property name, not Alignment
}

TEST_F(MenusTest, ShortcutsFireOnlyWhileTheMainFormIsEnabled) {
  TMenuForm* f = LoadMain();
  f->Show();
  host().PumpUntilIdle();
  SetFocus(f->Handle());
  host().Key(VK_F2);
  Pump();
  EXPECT_EQ(Joined(), "game opened,new");

  // Under a modal dialog the same key does nothing.
  Log().clear();
  TForm* dlg = TForm::CreateNew(Application);
  auto* close = New<TButton>(dlg);
  close->SetCancel(true);
  close->SetModalResult(mrCancel);
  close->SetParent(dlg);
  bool mainEnabled = true;
  host().WhenIdle([&] {
    mainEnabled = IsWindowEnabled(f->Handle());
    host().Key(VK_F2);
    host().Key(VK_F5);
    host().Key(VK_ESCAPE);
  });
  EXPECT_EQ(dlg->ShowModal(), mrCancel);
  EXPECT_FALSE(mainEnabled);
  EXPECT_EQ(Joined(), "");

  // A submenu's OnClick runs first and may disable the item, which then does not fire.
  f->DisablePauseOnOpen = true;
  SetFocus(f->Handle());
  host().Key(VK_F5);
  Pump();
  EXPECT_EQ(Joined(), "game opened");
}

TEST_F(MenusTest, TheMenuBarOpensASubmenuThroughItsItemsOnClick) {
  TMenuForm* f = LoadMain();
  f->Show();
  host().PumpUntilIdle();
  SetFocus(f->Handle());
  host().WhenIdle([&] {
    host().Key(VK_DOWN);
    host().Key(VK_RETURN);
  });
  host().Key(VK_F10);
  Pump();
  EXPECT_EQ(Joined(), "game opened,new");

  // The submenu's OnClick changes its items while it opens: the open menu shows the
  // change and stays the same menu.
  f->DisablePauseOnOpen = true;
  HMENU sub = GetSubMenu(GetMenu(f->Handle()), 0);
  UINT pauseState = 0;
  HMENU openSub = nullptr;
  host().WhenIdle([&] { host().Key(VK_DOWN); });
  host().WhenIdle([&] {
    openSub = GetSubMenu(GetMenu(f->Handle()), 0);
    pauseState = GetMenuState(openSub, 2, MF_BYPOSITION);
    host().Key(VK_ESCAPE);
    host().Key(VK_ESCAPE);
  });
  host().Key(VK_F10);
  Pump();
  EXPECT_EQ(openSub, sub);
  EXPECT_TRUE(pauseState & MF_GRAYED);
  EXPECT_EQ(host().PendingScripts(), 0u);
}

TEST_F(MenusTest, MenuCommandsAndChangesReachTheWindow) {
  TMenuForm* f = LoadMain();
  f->Show();
  host().PumpUntilIdle();
  auto* miNew = Find<TMenuItem>(f, "miNew");
  auto* miGame = Find<TMenuItem>(f, "miGame");
  PostMessageA(f->Handle(), WM_COMMAND, MAKEWPARAM(miNew->Command(), 0), 0);
  Pump();
  EXPECT_EQ(Joined(), "new");

  // Items added, changed and taken out are rebuilt into the platform menu.
  HMENU sub = GetSubMenu(GetMenu(f->Handle()), 0);
  TMenuItem* extra = New<TMenuItem>(f);
  extra->SetCaption("E&xtra");
  extra->SetShortCut(ShortCut('X', TShiftState{TShiftStateItem::ssCtrl}));
  miGame->Insert(1, extra);
  sub = GetSubMenu(GetMenu(f->Handle()), 0);
  ASSERT_EQ(GetMenuItemCount(sub), 4);
  EXPECT_EQ(MenuText(sub, 1), "E&xtra\tCtrl+X");
  extra->SetEnabled(false);
  sub = GetSubMenu(GetMenu(f->Handle()), 0);
  EXPECT_TRUE(GetMenuState(sub, 1, MF_BYPOSITION) & MF_GRAYED);
  Log().clear();
  PostMessageA(f->Handle(), WM_COMMAND, MAKEWPARAM(extra->Command(), 0), 0);
  Pump();
  EXPECT_EQ(Joined(), "");  // a disabled item's command does nothing
  extra->Free();
  EXPECT_THROW(miGame->Insert(0, miNew), EMenuError);  // already in the menu
  EXPECT_THROW(miNew->Add(miGame), EMenuError);        // would hold itself

  // Freeing the menu takes the bar off the window and keeps the client size.
  Find<TMainMenu>(f, "MainMenu1")->Free();
  EXPECT_EQ(GetMenu(f->Handle()), nullptr);
}

TEST_F(MenusTest, RadioItemsOfAGroupExcludeEachOther) {
  TForm* f = TForm::CreateNew(Application);
  auto* menu = New<TMainMenu>(f);
  TMenuItem* items[3];
  for (TMenuItem*& i : items) {
    i = New<TMenuItem>(f);
    i->SetRadioItem(true);
    i->SetGroupIndex(1);
    menu->Items()->Add(i);
  }
  items[2]->SetGroupIndex(2);
  items[0]->SetChecked(true);
  items[2]->SetChecked(true);
  items[1]->SetChecked(true);
  EXPECT_FALSE(items[0]->GetChecked());
  EXPECT_TRUE(items[1]->GetChecked());
  EXPECT_TRUE(items[2]->GetChecked());  // another group
}

TEST_F(MenusTest, ShortcutTextsAndKeys) {
  EXPECT_EQ(ShortCutToText(ShortCut('N', TShiftState{TShiftStateItem::ssCtrl})), "Ctrl+N");
  EXPECT_EQ(ShortCutToText(VK_DELETE | scShift | scAlt), "Shift+Alt+Del");
  EXPECT_EQ(TextToShortCut("ctrl+shift+f12"), TShortCut((VK_F1 + 11) | scCtrl | scShift));
  for (const char* bad : {"", "Ctrl+", "F13", "Ctrl+Nonsense", "+F2", "F2+Ctrl"})
    EXPECT_EQ(TextToShortCut(bad), scNone) << bad;
  for (Word k = 1; k < 256; ++k) {
    String t = ShortCutToText(k | scCtrl);
    if (!t.empty()) {
      EXPECT_EQ(TextToShortCut(t), TShortCut(k | scCtrl)) << t;
    }
  }
  EXPECT_EQ(StripHotkey("&Save && quit&"), "Save & quit");
}

class TMenuSink : public TObject {
  TL_CLASS(TMenuSink, TObject)
 public:
  void Chose(TObject* Sender) { Log().push_back("chose " + dynamic_cast<TComponent*>(Sender)->GetName()); }
  void Popped(TObject*) { Log().push_back("popup"); }
};

TEST_F(MenusTest, APopupMenuChoosesACommandFromARightClick) {
  TForm* f = nullptr;
  Application->CreateForm(f);
  f->SetBounds(50, 50, 300, 200);
  auto* target = New<TProbe>(f);
  target->SetName("target");
  target->SetBounds(10, 10, 100, 100);
  target->SetParent(f);
  auto* popup = New<TPopupMenu>(f);
  Owned<TMenuSink> sink(New<TMenuSink>());
  const char* names[] = {"first", "second", "third"};
  for (const char* n : names) {
    TMenuItem* i = New<TMenuItem>(f);
    i->SetName(n);
    i->SetCaption(n);
    i->OnClick = TNotifyEvent(sink.get(), &TMenuSink::Chose);
    popup->Items()->Add(i);
  }
  popup->OnPopup = TNotifyEvent(sink.get(), &TMenuSink::Popped);
  target->SetPopupMenu(popup);
  f->Show();
  host().PumpUntilIdle();
  host().MouseMove(target->Handle(), 20, 20);
  Pump();
  Log().clear();

  host().WhenIdle([&] {
    Log().push_back("menu open");
    host().Key(VK_DOWN);
    host().Key(VK_DOWN);
    host().Key(VK_RETURN);
  });
  host().Click(target->Handle(), 20, 20, MouseButton::Right);
  Pump();
  EXPECT_EQ(Joined(), "popup,menu open,chose second");

  // AutoPopup off keeps it shut.
  Log().clear();
  popup->SetAutoPopup(false);
  host().Click(target->Handle(), 20, 20, MouseButton::Right);
  Pump();
  EXPECT_EQ(Joined(), "");

  // Its shortcuts work while its control has the focus.
  TMenuItem* third = popup->Items()->Items(2);
  third->SetShortCut(ShortCut('K', TShiftState{TShiftStateItem::ssCtrl}));
  target->SetFocus();
  Log().clear();
  host().KeyDown(VK_CONTROL);
  host().Key('K');
  host().KeyUp(VK_CONTROL);
  Pump();
  EXPECT_EQ(Joined(), "chose third");

  // A graphic control's menu opens from a right click over it.
  auto* shape = New<TGraphicControl>(f);
  shape->SetBounds(150, 10, 50, 50);
  shape->SetParent(f);
  auto* shapeMenu = New<TPopupMenu>(f);
  shapeMenu->OnPopup = TNotifyEvent(sink.get(), &TMenuSink::Popped);
  shape->SetPopupMenu(shapeMenu);
  host().MouseMove(f->Handle(), 160, 20);
  Pump();
  Log().clear();
  host().WhenIdle([&] { host().Key(VK_ESCAPE); });
  host().Click(f->Handle(), 160, 20, MouseButton::Right);
  Pump();
  EXPECT_EQ(Joined(), "popup");
  EXPECT_EQ(shapeMenu->PopupComponent(), shape);

  // The control forgets a freed menu, and the menu a freed component.
  popup->Free();
  EXPECT_EQ(target->GetPopupMenu(), nullptr);
  host().Click(target->Handle(), 20, 20, MouseButton::Right);
  Pump();
}

}  // namespace

TL_DEFINE_CLASS(TMenuForm, [](auto& c) {
  c.Method("miGameClick", &TMenuForm::miGameClick);
  c.Method("miNewClick", &TMenuForm::miNewClick);
  c.Method("miPauseClick", &TMenuForm::miPauseClick);
  c.Method("Edit1Change", &TMenuForm::Edit1Change);
})
TL_DEFINE_CLASS(TMenuSink)

TEST_F(MenusTest, AnErrorInsideANestedItemFreesEveryItemReadSoFarOnce) {
  // The inner items are owned by the form but destroyed by their parent item; the failing
  // read must forget them before anything else looks at them.
  const char* text =
      "object F: TForm\n"
      "  object Bar: TMainMenu\n"
      "    object File1: TMenuItem\n"
      "      object Open1: TMenuItem\n"
      "        Caption = '&Open'\n"
      "      end\n"
      "      object N1: TMenuItem\n"
      "        Captimn = '-'\n"
      "      end\n"
      "    end\n"
      "  end\n"
      "end\n";
  TForm* form = TForm::CreateNew<TForm>(nullptr);
  try {
    ReadDescription(text, form);
    ADD_FAILURE() << "an unknown property was read";
  } catch (const EReadError& e) {
    EXPECT_NE(e.Message().find("Captimn"), std::string::npos) << e.Message();
  }
  EXPECT_EQ(form->ComponentCount(), 0);
  EXPECT_FALSE(form->InState(TComponentStateItem::csLoading));
  form->Free();
}
