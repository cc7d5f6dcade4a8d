#include "classlib/core/Filer.h"
#include "classlib/core/Streams.h"
#include "classlib/core/FormText.h"
#include "classlib/visual/ActnList.h"
#include "classlib/visual/StdCtrls.h"
#include "tests/classlib/visual/VisualTestClasses.h"
#include "tests/support/AppTest.h"
#include "tests/support/FormDescription.h"

#include <gtest/gtest.h>

namespace {

class TActionSink : public TObject {
  TL_CLASS(TActionSink, TObject)
 public:
  void Execute(TObject* Sender) {
    auto* a = dynamic_cast<TBasicAction*>(Sender);
    TComponent* by = a ? a->GetActionComponent() : nullptr;
    Log().push_back("execute " + (by ? by->GetName() : String("-")));
    if (FreeOnExecute) {
      TComponent* victim = FreeOnExecute;
      FreeOnExecute = nullptr;
      victim->Free();
    }
  }
  void Other(TObject*) { Log().push_back("other"); }
  void Update(TObject* Sender) {
    Log().push_back("update " + dynamic_cast<TComponent*>(Sender)->GetName());
    if (auto* a = dynamic_cast<TCustomAction*>(Sender)) a->SetEnabled(EnableOnUpdate);
  }
  bool EnableOnUpdate = true;
  TComponent* FreeOnExecute = nullptr;
};

// A button whose action change can be run with either setting of CheckDefaults.
class TActionButton : public TButton {
  TL_CLASS(TActionButton, TButton)
 public:
  using TButton::TButton;
  using TButton::ActionChange;
};

// An action that works on edits only: it logs the edit it ran or updated on.
class TEditAction : public TAction {
  TL_CLASS(TEditAction, TAction)
 public:
  using TAction::TAction;
  bool HandlesTarget(TObject* Target) override { return dynamic_cast<TEdit*>(Target) != nullptr; }
  void ExecuteTarget(TObject* Target) override { Log().push_back("target " + static_cast<TEdit*>(Target)->GetName()); }
  void UpdateTarget(TObject* Target) override { Log().push_back("update on " + static_cast<TEdit*>(Target)->GetName()); }
};

}  // namespace

TL_DEFINE_CLASS(TActionSink)
TL_DEFINE_CLASS(TActionButton)
TL_DEFINE_CLASS(TEditAction)

namespace {

class ActionsTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    Log().clear();
    sink_.reset(New<TActionSink>());
    Application->CreateForm(form_);
    form_->SetBounds(100, 100, 300, 200);
    list_ = New<TActionList>(form_);
    action_ = NewAction("Go");
  }
  void TearDown() override {
    sink_.reset();
    AppTest::TearDown();
  }
  TAction* NewAction(const char* Name) {
    auto* a = New<TAction>(form_);
    a->SetName(Name);
    a->SetActionList(list_);
    a->SetOnExecute(TNotifyEvent(sink_.get(), &TActionSink::Execute));
    return a;
  }
  template <class T>
  T* Add(const char* Name, Integer Left) {
    T* c = New<T>(form_);
    c->SetName(Name);
    c->SetBounds(Left, 10, 80, 24);
    c->SetParent(form_);
    return c;
  }
  void ShowForm() {
    form_->Show();
    Pump();
    Log().clear();
  }
  // Runs the application's idle time once (the queue is empty, so it waits afterwards).
  void RunIdle() {
    host().WhenIdle([] {});
    Application->HandleMessage();
  }
  TForm* form_ = nullptr;
  TActionList* list_ = nullptr;
  TAction* action_ = nullptr;
  Owned<TActionSink> sink_;
};

TEST_F(ActionsTest, AssigningAnActionCopiesItsPropertiesAndDefaultsKeepWhatWasSet) {
  action_->SetCaption("Go on");
  action_->SetHint("Goes on");
  action_->SetEnabled(false);
  action_->SetVisible(false);

  // Outside loading every property is taken, whatever the control had.
  auto* b = Add<TActionButton>("B", 10);
  b->SetCaption("Mine");
  b->SetHint("my hint");
  b->OnClick = TNotifyEvent(sink_.get(), &TActionSink::Other);
  b->SetAction(action_);
  EXPECT_EQ(b->GetAction(), action_);
  EXPECT_EQ(b->GetCaption(), "Go on");
  EXPECT_EQ(b->GetHint(), "Goes on");
  EXPECT_FALSE(b->GetEnabled());
  EXPECT_FALSE(b->GetVisible());
  EXPECT_TRUE(b->OnClick == action_->GetOnExecute());
  EXPECT_TRUE(b->ControlStyle().Contains(TControlStyleItem::csActionClient));

  // With the defaults checked, only what still has its default value follows.
  auto* c = Add<TActionButton>("C", 100);
  c->SetCaption("Mine");
  c->SetEnabled(false);
  c->OnClick = TNotifyEvent(sink_.get(), &TActionSink::Other);
  action_->SetEnabled(true);
  c->ActionChange(action_, true);
  EXPECT_EQ(c->GetCaption(), "Mine");
  EXPECT_EQ(c->GetHint(), "Goes on");
  EXPECT_FALSE(c->GetEnabled());  // not the default: kept
  EXPECT_FALSE(c->GetVisible());  // the default (visible): taken
  EXPECT_TRUE(c->OnClick == TNotifyEvent(sink_.get(), &TActionSink::Other));

  auto* d = Add<TActionButton>("D", 200);
  d->SetCaption("");
  d->ActionChange(action_, true);
  EXPECT_EQ(d->GetCaption(), "Go on");
  EXPECT_TRUE(d->GetEnabled());
  EXPECT_TRUE(d->OnClick == action_->GetOnExecute());
}

TEST_F(ActionsTest, EveryChangeOfTheActionBringsAllItsPropertiesToItsControls) {
  action_->SetCaption("One");
  auto* a = Add<TButton>("A", 10);
  auto* b = Add<TButton>("B", 100);
  a->SetAction(action_);
  b->SetAction(action_);
  EXPECT_EQ(action_->ClientCount(), 2);
  const TNotifyEvent execute(sink_.get(), &TActionSink::Execute);

  // b takes values of its own; the next change of the action, whichever property it is,
  // gives b all of the action's again, and a follows the changed one.
  b->SetCaption("Own");
  b->SetHint("own hint");
  b->SetEnabled(false);
  b->OnClick = TNotifyEvent(sink_.get(), &TActionSink::Other);
  action_->SetHint("hint");
  EXPECT_EQ(a->GetHint(), "hint");
  EXPECT_EQ(b->GetCaption(), "One");
  EXPECT_EQ(b->GetHint(), "hint");
  EXPECT_TRUE(b->GetEnabled());
  EXPECT_TRUE(b->OnClick == execute);

  action_->SetCaption("Two");
  action_->SetEnabled(false);
  EXPECT_EQ(a->GetCaption(), "Two");
  EXPECT_EQ(b->GetCaption(), "Two");
  EXPECT_FALSE(a->GetEnabled());
  EXPECT_FALSE(b->GetEnabled());
  action_->SetEnabled(true);
  action_->SetVisible(false);
  EXPECT_TRUE(a->GetEnabled());
  EXPECT_FALSE(a->GetVisible());
  EXPECT_FALSE(b->GetVisible());
  action_->SetVisible(true);

  // Properties no control shows are changes too; a write of the value the action already has
  // is none.
  b->SetCaption("Own");
  action_->SetCaption("Two");
  EXPECT_EQ(b->GetCaption(), "Own");
  action_->SetShortCut(ShortCut(VK_F8, {}));
  EXPECT_EQ(b->GetCaption(), "Two");
  b->SetCaption("Own");
  action_->SetImageIndex(3);
  EXPECT_EQ(b->GetCaption(), "Two");
  b->SetCaption("Own");
  action_->SetChecked(true);
  EXPECT_EQ(b->GetCaption(), "Two");

  // A new handler reaches every click, whichever handler it ran before.
  b->OnClick = TNotifyEvent(sink_.get(), &TActionSink::Other);
  action_->SetOnExecute(TNotifyEvent(sink_.get(), &TActionSink::Update));
  EXPECT_TRUE(a->OnClick == TNotifyEvent(sink_.get(), &TActionSink::Update));
  EXPECT_TRUE(b->OnClick == TNotifyEvent(sink_.get(), &TActionSink::Update));
}

TEST_F(ActionsTest, ClickingRunsTheActionUpdatedFirstUnlessOnClickIsAnotherHandler) {
  auto* b = Add<TButton>("B", 10);
  b->SetAction(action_);
  ShowForm();
  host().Click(b->Handle(), 5, 5);
  Pump();
  EXPECT_EQ(Joined(), "execute B");
  EXPECT_EQ(action_->GetActionComponent(), nullptr);

  // The update before running may disable the action: then it does not run.
  Log().clear();
  action_->OnUpdate = TNotifyEvent(sink_.get(), &TActionSink::Update);
  sink_->EnableOnUpdate = false;
  EXPECT_FALSE(action_->Execute());
  EXPECT_EQ(Joined(), "update Go");

  // A handler of the control's own runs instead of the action.
  Log().clear();
  sink_->EnableOnUpdate = true;
  action_->SetEnabled(true);
  b->SetEnabled(true);
  b->OnClick = TNotifyEvent(sink_.get(), &TActionSink::Other);
  host().Click(b->Handle(), 5, 5);
  Pump();
  EXPECT_EQ(Joined(), "other");
}

TEST_F(ActionsTest, IdleTimeUpdatesTheActionsOfShowingControls) {
  action_->OnUpdate = TNotifyEvent(sink_.get(), &TActionSink::Update);
  TAction* hidden = NewAction("Hidden");
  hidden->OnUpdate = TNotifyEvent(sink_.get(), &TActionSink::Update);
  auto* b = Add<TButton>("B", 10);
  b->SetAction(action_);
  auto* h = Add<TButton>("H", 100);
  h->SetAction(hidden);
  h->SetVisible(false);
  ShowForm();
  sink_->EnableOnUpdate = false;
  RunIdle();
  EXPECT_EQ(Joined(), "update Go");
  EXPECT_FALSE(action_->GetEnabled());
  EXPECT_FALSE(b->GetEnabled());  // followed the action

  // A hidden form is not looked at.
  Log().clear();
  form_->Hide();
  RunIdle();
  EXPECT_EQ(Joined(), "");
}

TEST_F(ActionsTest, AnActionWithoutHandlerRunsOnTheFocusedControlItWorksOn) {
  auto* action = New<TEditAction>(form_);
  action->SetName("EditAction");
  action->SetActionList(list_);
  auto* edit = Add<TEdit>("Edit1", 10);
  auto* button = Add<TButton>("Button1", 100);
  ShowForm();
  button->SetFocus();
  EXPECT_FALSE(action->Execute());  // the focused button is no target
  edit->SetFocus();
  EXPECT_TRUE(action->Execute());
  EXPECT_TRUE(action->Update());
  // Running updates first; each step finds the focused edit.
  EXPECT_EQ(Joined(), "update on Edit1,target Edit1,update on Edit1");
}

TEST_F(ActionsTest, EitherSideMayBeFreedFirst) {
  auto* a = Add<TButton>("A", 10);
  auto* b = Add<TButton>("B", 100);
  a->SetAction(action_);
  b->SetAction(action_);

  // The control first: the action forgets its link.
  b->Free();
  EXPECT_EQ(action_->ClientCount(), 1);

  // The action first: the control is left without one and clicks are plain again.
  TAction* second = NewAction("Second");
  auto* c = Add<TButton>("C", 200);
  c->SetAction(second);
  action_->Free();
  EXPECT_EQ(a->GetAction(), nullptr);
  EXPECT_EQ(a->GetActionLink(), nullptr);
  EXPECT_FALSE(a->ControlStyle().Contains(TControlStyleItem::csActionClient));
  EXPECT_EQ(list_->ActionCount(), 1);

  // An action owned elsewhere, freed while linked.
  auto* foreign = New<TAction>(nullptr);
  a->SetAction(foreign);
  foreign->Free();
  EXPECT_EQ(a->GetAction(), nullptr);

  // A control owned elsewhere, freed while linked.
  auto* loose = New<TButton>(nullptr);
  loose->SetAction(second);
  EXPECT_EQ(second->ClientCount(), 2);
  loose->Free();
  EXPECT_EQ(second->ClientCount(), 1);

  // The list frees its actions, and their clients let go.
  list_->Free();
  list_ = nullptr;
  EXPECT_EQ(c->GetAction(), nullptr);
  EXPECT_EQ(form_->FindComponent("Second"), nullptr);
}

TEST_F(ActionsTest, AnActionMayFreeItselfWhileAClickRunsIt) {
  auto* b = Add<TButton>("B", 10);
  b->SetAction(action_);
  ShowForm();
  sink_->FreeOnExecute = action_;
  host().Click(b->Handle(), 5, 5);
  Pump();
  EXPECT_EQ(Joined(), "execute B");
  EXPECT_EQ(form_->FindComponent("Go"), nullptr);
  EXPECT_EQ(b->GetAction(), nullptr);
  EXPECT_EQ(list_->ActionCount(), 0);
}

TEST_F(ActionsTest, AnActionsShortCutRunsItWhileEnabled) {
  action_->SetShortCut(ShortCut(VK_F7, {}));
  ShowForm();
  SetFocus(form_->Handle());
  host().Key(VK_F7);
  Pump();
  EXPECT_EQ(Joined(), "execute -");
  Log().clear();
  action_->SetEnabled(false);
  host().Key(VK_F7);
  Pump();
  EXPECT_EQ(Joined(), "");
}

TEST_F(ActionsTest, TheImagesOfAListAreForgottenWhenFreed) {
  auto* images = New<TImageList>(nullptr);
  list_->SetImages(images);
  EXPECT_EQ(list_->GetImages(), images);
  images->Free();
  EXPECT_EQ(list_->GetImages(), nullptr);
}

TEST_F(ActionsTest, AFormDescriptionNamesTheActionOfAControl) {
  const char* text =
      "object F: TForm\n"
      "  object Actions: TActionList\n"
      "    object Start: TAction\n"
      "      Caption = 'Start'\n"
      "      Hint = 'Starts'\n"
      "      ImageIndex = 2\n"
      "    end\n"
      "  end\n"
      "  object Go: TButton\n"
      "    Action = Start\n"
      "  end\n"
      "  object Keep: TButton\n"
      "    Caption = 'Kept'\n"
      "    Hint = 'Its own'\n"
      "    Action = Start\n"
      "  end\n"
      "end\n";
  TForm* form = TForm::CreateNew<TForm>(nullptr);
  ReadDescription(text, form);
  auto* list = dynamic_cast<TActionList*>(form->FindComponent("Actions"));
  auto* start = dynamic_cast<TAction*>(form->FindComponent("Start"));
  auto* go = dynamic_cast<TButton*>(form->FindComponent("Go"));
  auto* keep = dynamic_cast<TButton*>(form->FindComponent("Keep"));
  ASSERT_TRUE(list && start && go && keep);
  EXPECT_EQ(start->GetActionList(), list);
  EXPECT_EQ(start->GetIndex(), 0);
  EXPECT_EQ(start->GetImageIndex(), 2);
  EXPECT_EQ(go->GetAction(), start);
  EXPECT_EQ(go->GetCaption(), "Start");
  EXPECT_EQ(go->GetHint(), "Starts");
  EXPECT_EQ(keep->GetCaption(), "Kept");  // read while loading: the defaults rule
  EXPECT_EQ(keep->GetHint(), "Its own");

  // Written and read back, the action is again in its list and the button names it.
  Owned<TMemoryStream> out(New<TMemoryStream>());
  out->WriteComponent(form);
  form->Free();
  out->SetPosition(0);
  form = TForm::CreateNew<TForm>(nullptr);
  out->ReadComponent(form);
  start = dynamic_cast<TAction*>(form->FindComponent("Start"));
  go = dynamic_cast<TButton*>(form->FindComponent("Go"));
  ASSERT_TRUE(start && go);
  EXPECT_EQ(start->GetActionList(), form->FindComponent("Actions"));
  EXPECT_EQ(go->GetAction(), start);
  EXPECT_EQ(start->GetImageIndex(), 2);
  form->Free();
}

}  // namespace
