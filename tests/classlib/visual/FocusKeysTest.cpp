#include "tests/classlib/visual/VisualTestClasses.h"
#include "tests/support/AppTest.h"

#include <gtest/gtest.h>

namespace {

class FocusKeysTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    form = TForm::CreateNew(Application);
    form->SetName("form");
    form->SetBounds(50, 50, 400, 300);
    panel = Make(form, "P", {0, 0, 200, 100});
    a = Make(panel, "A", {10, 10, 50, 30});
    b = Make(panel, "B", {60, 10, 100, 30});
    c = Make(form, "C", {10, 150, 60, 170});
    for (TProbe* p : {a, b, c}) p->SetTabStop(true);
    form->Show();
    Log().clear();
  }
  TProbe* Make(TWinControl* parent, const char* name, TRect r) {
    TProbe* p = New<TProbe>(form);
    p->SetName(name);
    p->SetBoundsRect(r);
    p->SetParent(parent);
    return p;
  }
  void Tab(bool back = false) {
    if (back) host().KeyDown(VK_SHIFT);
    host().Key(VK_TAB);
    if (back) host().KeyUp(VK_SHIFT);
    Pump();
  }
  TForm* form = nullptr;
  TProbe *panel = nullptr, *a = nullptr, *b = nullptr, *c = nullptr;
};

TEST_F(FocusKeysTest, ExitAndEnterRunUpToTheCommonParentAndDownAgain) {
  TSink sink;
  a->OnEnter = TNotifyEvent(&sink, &TSink::Entered);
  a->OnExit = TNotifyEvent(&sink, &TSink::Exited);
  a->SetFocus();
  EXPECT_TRUE(a->Focused());
  EXPECT_EQ(Joined(), "enter P,enter A,OnEnter A");
  Log().clear();
  c->SetFocus();
  EXPECT_EQ(Joined(), "exit A,OnExit A,exit P,enter C");
  Log().clear();
  b->SetFocus();
  EXPECT_EQ(Joined(), "exit C,enter P,enter B");
  EXPECT_EQ(form->GetActiveControl(), b);
  Log().clear();
  a->SetFocus();  // within the same parent: no exit from P
  EXPECT_EQ(Joined(), "exit B,enter A,OnEnter A");
}

TEST_F(FocusKeysTest, AValidationErrorInAnExitHandlerKeepsTheFocus) {
  a->SetFocus();
  a->RefuseExit = true;
  Log().clear();
  c->SetFocus();
  EXPECT_TRUE(a->Focused());
  EXPECT_EQ(Joined(), "");
  EXPECT_EQ(TakeExceptions(), std::vector<String>{"A is not valid"});
  a->RefuseExit = false;
  Tab();
  EXPECT_TRUE(b->Focused());
  // Perform hands the exception to the caller; a sent message stops it at the window.
  b->RefuseExit = true;
  EXPECT_THROW(b->Perform(CM_EXIT), Exception);
  EXPECT_EQ(SendMessageA(b->Handle(), CM_EXIT, 0, 0), 0);
  EXPECT_EQ(TakeExceptions(), std::vector<String>{"B is not valid"});
  b->RefuseExit = false;
}

TEST_F(FocusKeysTest, TabFollowsTheTabOrderAndSkipsWhatCannotTakeFocus) {
  a->SetFocus();
  Tab();
  EXPECT_TRUE(b->Focused());
  Tab();
  EXPECT_TRUE(c->Focused());
  Tab();
  EXPECT_TRUE(a->Focused());
  b->SetTabOrder(0);
  a->SetFocus();
  Tab();
  EXPECT_TRUE(c->Focused());  // B now comes before A
  b->SetTabOrder(5);          // clamped to the end
  EXPECT_EQ(b->GetTabOrder(), 1);
  c->SetEnabled(false);
  a->SetFocus();
  Tab();
  EXPECT_TRUE(b->Focused());
  b->SetVisible(false);
  b->SetTabStop(false);
  Tab();
  EXPECT_TRUE(a->Focused());  // nothing else left
  c->SetEnabled(true);
  // Disabling the focused control moves the focus away from it.
  c->SetFocus();
  c->SetEnabled(false);
  EXPECT_FALSE(c->Focused());
}

// The tab order of the form is P, A, B, C; only A, B and C are tab stops.
TEST_F(FocusKeysTest, WithoutACurrentControlTheSearchStartsAtAnEndOfTheTabOrder) {
  EXPECT_EQ(form->FindNextControl(nullptr, true, false, false), panel);
  EXPECT_EQ(form->FindNextControl(nullptr, false, false, false), c);
  EXPECT_EQ(form->FindNextControl(nullptr, true, true, false), a);
  // The ends themselves when they cannot take the focus: the next one inwards.
  c->SetEnabled(false);
  EXPECT_EQ(form->FindNextControl(nullptr, false, false, false), b);
  c->SetEnabled(true);
  // From a control, the search runs on and wraps round past the end.
  EXPECT_EQ(form->FindNextControl(c, true, false, false), panel);
  EXPECT_EQ(form->FindNextControl(panel, false, false, false), c);
  form->SelectNext(nullptr, false, true);
  EXPECT_TRUE(c->Focused());
}

TEST_F(FocusKeysTest, ArrowsMoveAmongSiblingsAndControlsMayClaimSpecialKeys) {
  a->SetFocus();
  host().Key(VK_RIGHT);
  Pump();
  EXPECT_TRUE(b->Focused());
  host().Key(VK_RIGHT);
  Pump();
  EXPECT_TRUE(a->Focused());  // siblings only: C has another parent
  TSink sink;
  a->OnKeyDown = TKeyEvent(&sink, &TSink::KeyDown);
  a->DlgCode = DLGC_WANTTAB | DLGC_WANTARROWS;
  Log().clear();
  host().Key(VK_TAB);
  host().Key(VK_DOWN);
  Pump();
  EXPECT_TRUE(a->Focused());
  EXPECT_EQ(Joined(), "keydown A 9,keydown A 40");
}

TEST_F(FocusKeysTest, KeyEventsReachTheFocusedControlAfterThePreviewingForm) {
  TSink sink;
  a->OnKeyDown = TKeyEvent(&sink, &TSink::KeyDown);
  a->OnKeyPress = TKeyPressEvent(&sink, &TSink::KeyPress);
  form->OnKeyDown = TKeyEvent(&sink, &TSink::KeyDown);
  a->SetFocus();
  a->DlgCode = DLGC_WANTCHARS;
  Log().clear();
  host().Key('Q');
  Pump();
  EXPECT_EQ(Joined(), "keydown A 81,keypress A q");
  form->SetKeyPreview(true);
  sink.SwallowKey = 'W';
  Log().clear();
  host().Key('Q');
  host().Key('W');
  Pump();
  // A swallowed key stops its key-down handlers; its character still comes.
  EXPECT_EQ(Joined(), "keydown form 81,keydown A 81,keypress A q,keydown form 87,keypress A w");
}

TEST_F(FocusKeysTest, CharactersAControlDoesNotWantGoToTheFormAsDialogCharacters) {
  TTestButton* btn = New<TTestButton>(form);
  btn->SetName("btn");
  btn->SetParent(form);
  a->SetFocus();
  Log().clear();
  host().Char('x');
  Pump();
  EXPECT_EQ(Joined(), "dialogchar btn x");
  a->DlgCode = DLGC_WANTCHARS;
  Log().clear();
  host().Char('y');
  Pump();
  EXPECT_EQ(Joined(), "");
}

// Alt with a letter reaches the form as the menu key; the form offers the letter to its
// controls as a dialog character first, whichever control has the focus, even one that
// takes every plain character itself.
TEST_F(FocusKeysTest, AltAndALetterIsADialogCharacterWhateverControlHasTheFocus) {
  TTestButton* btn = New<TTestButton>(form);
  btn->SetName("btn");
  btn->SetParent(form);
  a->DlgCode = DLGC_WANTCHARS;
  a->SetFocus();
  Log().clear();
  host().KeyDown(VK_MENU);
  host().Key('G');
  host().KeyUp(VK_MENU);
  Pump();
  EXPECT_EQ(Joined(), "dialogchar btn g");
}

TEST_F(FocusKeysTest, FocusRulesRefuseWhatCannotBeFocused) {
  c->SetVisible(false);
  EXPECT_FALSE(c->CanFocus());
  EXPECT_THROW(form->SetActiveControl(c), EInvalidOperation);
  TForm* other = TForm::CreateNew(Application);
  TProbe* foreign = New<TProbe>(other);
  foreign->SetParent(other);
  EXPECT_THROW(form->SetActiveControl(foreign), EInvalidOperation);
  TProbe* orphan = New<TProbe>(form);
  EXPECT_FALSE(orphan->CanFocus());
  EXPECT_THROW(orphan->SetFocus(), EInvalidOperation);
  // A control removed while focused leaves no dangling active control.
  a->SetFocus();
  a->Free();
  EXPECT_EQ(form->GetActiveControl(), nullptr);
  EXPECT_EQ(Screen->ActiveControl(), form);  // the form holds the focus itself
  b->SetFocus();
  EXPECT_TRUE(b->Focused());
}

// A form that takes F5 as a shortcut before any control sees the key, as menus will.
class TShortcutForm : public TForm {
 public:
  using TForm::TForm;
  bool IsShortCut(TMessage& Message) override {
    if (Message.WParam != WPARAM(VK_F5)) return false;
    Log().push_back("shortcut F5");
    return true;
  }
};

TEST_F(FocusKeysTest, ShortcutsAreAskedBeforeTheFocusedControlSeesTheKey) {
  TShortcutForm* f = New<TShortcutForm>(Application, Integer(0));
  TProbe* p = New<TProbe>(f);
  p->SetName("p");
  p->SetParent(f);
  TSink sink;
  p->OnKeyDown = TKeyEvent(&sink, &TSink::KeyDown);
  f->SetActiveControl(p);
  f->Show();
  Log().clear();
  host().Key(VK_F5);
  host().Key(VK_F6);
  Pump();
  EXPECT_EQ(Joined(), "shortcut F5,keydown p 117");
}

class TWheelSink : public TObject {
 public:
  bool Take = false;
  bool TakeNotch = false;
  void Wheel(TObject* Sender, TShiftState, Integer Delta, TPoint, bool& Handled) {
    Log().push_back(std::string("wheel ") + NameOf(Sender) + " " + std::to_string(Delta));
    Handled = Take;
  }
  void Down(TObject* Sender, TShiftState, TPoint, bool& Handled) {
    Log().push_back(std::string("notch down ") + NameOf(Sender));
    Handled = TakeNotch;
  }
  void Up(TObject* Sender, TShiftState, TPoint, bool& Handled) {
    Log().push_back(std::string("notch up ") + NameOf(Sender));
    Handled = TakeNotch;
  }
};

TEST_F(FocusKeysTest, TheWheelReachesTheFocusedControlAndRisesWhileUnused) {
  TWheelSink ws;
  for (TControl* c : std::initializer_list<TControl*>{a, panel}) {
    c->OnMouseWheel = TMouseWheelEvent(&ws, &TWheelSink::Wheel);
    c->OnMouseWheelDown = TMouseWheelUpDownEvent(&ws, &TWheelSink::Down);
    c->OnMouseWheelUp = TMouseWheelUpDownEvent(&ws, &TWheelSink::Up);
  }
  a->SetFocus();
  host().MouseMove(c->Handle(), 5, 5);
  Pump();
  Log().clear();
  host().Wheel(c->Handle(), 5, 5, -120);  // over C, but A has the focus
  Pump();
  EXPECT_EQ(Joined(), "wheel A -120,notch down A,wheel P -120,notch down P");
  ws.TakeNotch = true;
  Log().clear();
  host().Wheel(c->Handle(), 5, 5, 60);  // half a notch: kept for the next one
  host().Wheel(c->Handle(), 5, 5, 60);
  Pump();
  EXPECT_EQ(Joined(), "wheel A 60,wheel P 60,wheel A 60,notch up A");
  ws.Take = true;
  Log().clear();
  host().Wheel(c->Handle(), 5, 5, 240);
  Pump();
  EXPECT_EQ(Joined(), "wheel A 240");
}

}  // namespace
