// The check box editor on a form: the state cycle by mouse and Space, value mapping, the
// events of a toggle, keyboard focus moving between check boxes, loading, and the
// background a native check box takes from its parent.
#include "widgets/editors/cxCheckBox.h"

#include "classlib/core/Filer.h"
#include "classlib/core/FormText.h"
#include "classlib/core/Streams.h"
#include "platform/host/HeadlessHost.h"
#include "platform/user/User.h"
#include "tests/foundation/NativePainterFixture.h"
#include "tests/support/FormDescription.h"
#include "widgets/editcore/EditcoreUnits.h"
#include "widgets/editors/EditorsUnits.h"
#include "widgets/foundation/FoundationUnits.h"
#include "widgets/foundation/cxControls.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using CS = TcxCheckBoxState;
using ES = TcxEditCheckState;

// Records what the editor tells, in order.
class TCheckLog : public TObject {
 public:
  void Click(TObject*) { Items.push_back("click"); }
  void Change(TObject*) { Items.push_back("change"); }
  void ValueChanged(TObject*) { Items.push_back("value"); }
  void Post(TObject*) { Items.push_back("post"); }
  void Editing(TObject*, bool& CanEdit) {
    Items.push_back("editing");
    CanEdit = Allow;
  }
  std::vector<std::string> Take() { return std::exchange(Items, {}); }
  std::vector<std::string> Items;
  bool Allow = true;
};

class CheckBoxTest : public NativePainterTest {
 protected:
  void Open(bool themed = false) {
    if (themed) ThemeOn();
    WidgetsFoundationInitialize();
    WidgetsEditcoreInitialize();
    WidgetsEditorsInitialize();
    cxControls::Initialize();
    started = true;
    form = TCustomForm::CreateNew(nullptr);
    form->SetBounds(40, 40, 300, 200);
    form->Show();
    host().PumpUntilIdle();
  }
  void TearDown() override {
    if (form) form->Free();
    form = nullptr;
    host().PumpUntilIdle();
    if (started) {
      cxControls::Finalize();
      WidgetsEditorsFinalize();
      WidgetsEditcoreFinalize();
      WidgetsFoundationFinalize();
    }
    NativePainterTest::TearDown();
  }
  TcxCheckBox* Add(Integer Y, const String& ACaption = "Check") {
    auto* c = New<TcxCheckBox>(form);
    c->SetBounds(10, Y, 120, 21);
    c->SetParent(form);
    c->GetProperties()->SetCaption(ACaption);
    c->OnClick = {&log, &TCheckLog::Click};
    c->GetProperties()->OnChange = {&log, &TCheckLog::Change};
    c->GetProperties()->OnEditValueChanged = {&log, &TCheckLog::ValueChanged};
    c->OnEditing = {&log, &TCheckLog::Editing};
    host().PumpUntilIdle();
    return c;
  }
  // A click on the check itself.
  void ClickCheck(TcxCheckBox* c) {
    host().Click(c->GetHandle(), 6, 10);
    Pump();
  }
  static ES CheckState(TcxCheckBox* c) {
    return static_cast<TcxCustomCheckBoxViewInfo*>(c->ViewInfo())->CheckState;
  }
  static std::vector<std::string> L(std::initializer_list<const char*> Items) {
    return std::vector<std::string>(Items.begin(), Items.end());
  }

  bool started = false;
  TCustomForm* form = nullptr;
  TCheckLog log;
};

// ---- properties ----

TEST_F(CheckBoxTest, DefaultsMapNullToGrayedAndANewEditorStartsUnchecked) {
  Open();
  Owned<TcxCheckBoxProperties> p(New<TcxCheckBoxProperties>(nullptr));
  EXPECT_EQ(p->GetState(Variant::MakeNull()), CS::cbsGrayed);
  EXPECT_EQ(p->GetState(Variant(true)), CS::cbsChecked);
  EXPECT_EQ(p->GetState(Variant(false)), CS::cbsUnchecked);
  // Loose equality: a Boolean compares as text, so "True" maps; 1 is none of the values.
  EXPECT_EQ(p->GetState(Variant("True")), CS::cbsChecked);
  EXPECT_EQ(p->GetState(Variant(Integer(1))), CS::cbsGrayed);
  EXPECT_EQ(p->GetDisplayText(Variant::MakeNull()), "");
  EXPECT_EQ(p->GetDisplayText(Variant(true)), "True");
  EXPECT_EQ(p->GetDisplayText(Variant(false)), "False");
  EXPECT_EQ(p->PrepareDisplayValue(Variant(false)).AsInteger(), 0);
  EXPECT_EQ(p->PrepareDisplayValue(Variant(true)).AsInteger(), 1);
  EXPECT_EQ(p->PrepareDisplayValue(Variant("x")).AsInteger(), 2);
  EXPECT_TRUE(p->CompareDisplayValues(Variant("zz"), Variant::MakeNull()));
  EXPECT_FALSE(p->CompareDisplayValues(Variant(true), Variant::MakeNull()));
  EXPECT_TRUE(p->IsActivationKey(' '));
  EXPECT_FALSE(p->IsActivationKey('x'));
  Variant v(Integer(1));
  EXPECT_FALSE(p->IsEditValueValid(v, false));
  v = Variant(false);
  EXPECT_TRUE(p->IsEditValueValid(v, false));
  // A new editor.
  auto* c = New<TcxCheckBox>(form);
  EXPECT_EQ(c->GetWidth(), 121);
  EXPECT_EQ(c->GetState(), CS::cbsUnchecked);
  EXPECT_EQ(c->EditValue().VType(), varBoolean);
  EXPECT_FALSE(c->ControlStyle().Contains(TControlStyleItem::csDoubleClicks));
  EXPECT_EQ(c->GetProperties()->GetContainerClass().Class, &TcxCheckBox::StaticClass());
  // Known to form streams and to the editor registry by its caption.
  EXPECT_EQ(GetClass("TcxCheckBox"), &TcxCheckBox::StaticClass());
  EXPECT_EQ(GetRegisteredEditProperties()->GetDescriptionByClass(&TcxCheckBoxProperties::StaticClass()),
            "Represents a check box control that allows selecting an option");
}

TEST_F(CheckBoxTest, ValueWritesRefuseDuplicatesAndNullAndAssignCopiesThem) {
  Open();
  Owned<TcxCheckBoxProperties> p(New<TcxCheckBoxProperties>(nullptr));
  int changes = 0;
  struct Counter : TObject {
    int* N;
    void Hit(TObject*) { ++*N; }
  } counter;
  counter.N = &changes;
  p->OnPropertiesChanged = {&counter, &Counter::Hit};
  p->SetValueChecked(Variant(false));  // the unchecked value
  p->SetValueChecked(Variant::MakeNull());
  p->SetValueUnchecked(Variant(true));
  p->SetValueGrayed(Variant(false));
  EXPECT_EQ(changes, 0);
  EXPECT_EQ(p->GetValueChecked().VType(), varBoolean);
  EXPECT_TRUE(p->GetValueChecked().AsBoolean());
  // The same number as another type is another value.
  p->SetValueChecked(Variant(Integer(-1)));
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(p->GetValueChecked().VType(), varInteger);
  p->SetValueGrayed(Variant("?"));
  EXPECT_EQ(changes, 2);

  // Assign takes checked and unchecked swapped against the defaults.
  Owned<TcxCheckBoxProperties> a(New<TcxCheckBoxProperties>(nullptr));
  Owned<TcxCheckBoxProperties> b(New<TcxCheckBoxProperties>(nullptr));
  b->SetValueGrayed(Variant("g"));
  b->SetValueChecked(Variant("tmp"));
  b->SetValueUnchecked(Variant(true));
  b->SetValueChecked(Variant(false));
  b->SetAllowGrayed(true);
  b->SetCaption("Swap");
  b->SetDisplayGrayed("maybe");
  b->SetGlyphCount(3);
  a->Assign(b.get());
  EXPECT_FALSE(a->GetValueChecked().AsBoolean());
  EXPECT_TRUE(a->GetValueUnchecked().AsBoolean());
  EXPECT_EQ(a->GetValueGrayed().AsString(), "g");
  EXPECT_TRUE(a->GetAllowGrayed());
  EXPECT_EQ(a->GetCaption(), "Swap");
  EXPECT_EQ(a->GetDisplayGrayed(), "maybe");
  EXPECT_EQ(a->GetGlyphCount(), 3);
}

// ---- the editor ----


TEST_F(CheckBoxTest, ClicksCycleTheStates) {
  Open();
  TcxCheckBox* c = Add(10);
  ClickCheck(c);
  EXPECT_EQ(c->GetState(), CS::cbsChecked);
  ClickCheck(c);
  EXPECT_EQ(c->GetState(), CS::cbsUnchecked);
  c->GetProperties()->SetAllowGrayed(true);
  std::vector<CS> seen;
  for (int i = 0; i < 3; ++i) {
    ClickCheck(c);
    seen.push_back(c->GetState());
  }
  EXPECT_EQ(seen, (std::vector<CS>{CS::cbsGrayed, CS::cbsChecked, CS::cbsUnchecked}));
  // Without AllowGrayed a grayed check leaves the state for good.
  c->GetProperties()->SetAllowGrayed(false);
  c->SetState(CS::cbsGrayed);
  seen.clear();
  for (int i = 0; i < 3; ++i) {
    ClickCheck(c);
    seen.push_back(c->GetState());
  }
  EXPECT_EQ(seen, (std::vector<CS>{CS::cbsChecked, CS::cbsUnchecked, CS::cbsChecked}));
}

// The box holds the mouse from the press, so the release reaches it wherever it happens;
// only a release over the box toggles, one dragged away first leaves the state alone.
TEST_F(CheckBoxTest, ReleaseOutsideTheBoxDoesNotToggle) {
  Open();
  TcxCheckBox* c = Add(10);
  log.Take();
  host().MouseMove(c->GetHandle(), 6, 10);
  host().MouseDown(c->GetHandle(), 6, 10);
  Pump();
  ASSERT_EQ(GetCapture(), c->GetHandle()) << "the release must come back to the box";
  EXPECT_EQ(CheckState(c), ES::ecsPressed);
  host().MouseMove(c->GetHandle(), 200, 10);  // over the form, right of the box
  Pump();
  EXPECT_EQ(CheckState(c), ES::ecsNormal);
  host().MouseUp(c->GetHandle(), 200, 10);
  Pump();
  EXPECT_NE(GetCapture(), c->GetHandle());
  EXPECT_EQ(c->GetState(), CS::cbsUnchecked);
  EXPECT_TRUE(log.Take().empty()) << "not even asked to edit";
  // Dragged out and back in, the release over the box still toggles.
  host().MouseDown(c->GetHandle(), 6, 10);
  host().MouseMove(c->GetHandle(), 200, 10);
  host().MouseMove(c->GetHandle(), 6, 10);
  Pump();
  EXPECT_EQ(CheckState(c), ES::ecsPressed);
  host().MouseUp(c->GetHandle(), 6, 10);
  Pump();
  EXPECT_EQ(c->GetState(), CS::cbsChecked);
  EXPECT_EQ(CheckState(c), ES::ecsHot);
}

TEST_F(CheckBoxTest, ClickTellsEditingThenValueChangeAndClickOnce) {
  Open();
  TcxCheckBox* c = Add(10);
  log.Take();
  // A refused edit leaves the state and tells nothing else.
  log.Allow = false;
  ClickCheck(c);
  EXPECT_EQ(c->GetState(), CS::cbsUnchecked);
  EXPECT_EQ(log.Take(), L({"editing"}));
  // The toggle's change events wait for its end, so the click comes first.
  log.Allow = true;
  ClickCheck(c);
  EXPECT_EQ(c->GetState(), CS::cbsChecked);
  EXPECT_EQ(log.Take(), L({"editing", "click", "change", "value"}));
  // A program's write is no user edit but still clicks.
  c->SetChecked(false);
  EXPECT_EQ(log.Take(), L({"value", "change", "click"}));
  c->SetChecked(false);
  EXPECT_TRUE(log.Take().empty());
}

TEST_F(CheckBoxTest, InPlaceSpaceCharacterToggles) {
  Open();
  Owned<TcxCheckBox> c(New<TcxCheckBox>(nullptr, true));
  c->GetProperties()->SetImmediatePost(true);
  c->OnPostEditValue = {&log, &TCheckLog::Post};
  Char key = ' ';
  c->KeyPress(key);
  EXPECT_EQ(key, 0);
  EXPECT_TRUE(c->GetChecked());
  // With ImmediatePost the toggle is posted at once.
  EXPECT_EQ(log.Take(), L({"post"}));
  EXPECT_FALSE(c->GetEditModified());
  key = 'x';
  c->KeyPress(key);
  EXPECT_TRUE(c->GetChecked());
  // Stand-alone, the character does nothing: the key's release toggles.
  TcxCheckBox* s = Add(10);
  key = ' ';
  s->KeyPress(key);
  EXPECT_FALSE(s->GetChecked());
}

// Space shows pressed while held and toggles on release, only the focused box; Tab moves on.
TEST_F(CheckBoxTest, SpaceTogglesTheFocusedBoxOnRelease) {
  Open();
  TcxCheckBox* a = Add(10, "A");
  TcxCheckBox* b = Add(40, "B");
  a->SetFocus();
  Pump();
  host().KeyDown(VK_SPACE);
  Pump();
  EXPECT_TRUE(a->IsKeyboardPressed());
  EXPECT_EQ(CheckState(a), ES::ecsPressed);
  EXPECT_EQ(a->GetState(), CS::cbsUnchecked);
  host().KeyUp(VK_SPACE);
  Pump();
  EXPECT_FALSE(a->IsKeyboardPressed());
  EXPECT_EQ(a->GetState(), CS::cbsChecked);
  host().Key(VK_TAB);
  Pump();
  EXPECT_TRUE(b->Focused());
  host().Key(VK_SPACE);
  Pump();
  EXPECT_EQ(a->GetState(), CS::cbsChecked);
  EXPECT_EQ(b->GetState(), CS::cbsChecked);
  // Leaving with Space held drops the pressed look and toggles nothing.
  host().KeyDown(VK_SPACE);
  Pump();
  a->SetFocus();
  Pump();
  EXPECT_FALSE(b->IsKeyboardPressed());
  host().KeyUp(VK_SPACE);
  Pump();
  EXPECT_EQ(b->GetState(), CS::cbsChecked);
  EXPECT_EQ(a->GetState(), CS::cbsChecked);
}

TEST_F(CheckBoxTest, StatesMapToEachKindOfValue) {
  Open();
  TcxCheckBox* c = Add(10);
  TcxCustomCheckBoxProperties* p = c->GetProperties();
  struct Case {
    Variant Checked, Unchecked, Grayed;
  };
  const Case cases[] = {
      {Variant("Y"), Variant("N"), Variant("?")},
      {Variant(Integer(1)), Variant(Integer(0)), Variant(Integer(2))},
      {Variant(2.5), Variant(-2.5), Variant(0.0)},
      {Variant(true), Variant(false), Variant::MakeNull()},
  };
  for (const Case& k : cases) {
    // Through values no case uses, so that no write is refused as a duplicate.
    p->SetValueGrayed(Variant("g0"));
    p->SetValueChecked(Variant("c0"));
    p->SetValueUnchecked(Variant("u0"));
    p->SetValueChecked(k.Checked);
    p->SetValueUnchecked(k.Unchecked);
    p->SetValueGrayed(k.Grayed);
    c->SetState(CS::cbsChecked);
    EXPECT_TRUE(c->EditValue() == k.Checked);
    c->SetState(CS::cbsGrayed);
    EXPECT_EQ(c->EditValue().VType(), k.Grayed.VType());
    c->SetState(CS::cbsUnchecked);
    EXPECT_TRUE(c->EditValue() == k.Unchecked);
    c->SetEditValue(k.Checked);
    EXPECT_TRUE(c->GetChecked());
  }
}

TEST_F(CheckBoxTest, ChangedValueMappingAndCaptionReachTheEditor) {
  Open();
  TcxCheckBox* c = Add(10);
  c->SetEditValue(Variant(Integer(1)));
  EXPECT_EQ(c->GetState(), CS::cbsGrayed);
  log.Take();
  c->GetProperties()->SetValueChecked(Variant(Integer(1)));
  EXPECT_EQ(c->GetState(), CS::cbsChecked);
  EXPECT_EQ(log.Take(), L({"click", "change"}));
  // The caption is the control's text.
  EXPECT_EQ(c->GetText(), "Check");
  c->GetProperties()->SetCaption("Second");
  EXPECT_EQ(c->GetText(), "Second");
  EXPECT_EQ(static_cast<TcxCustomCheckBoxViewInfo*>(c->ViewInfo())->Text, "Second");
}

TEST_F(CheckBoxTest, AcceleratorFocusesAndToggles) {
  Open();
  TcxCheckBox* a = Add(10, "&Apples");
  TcxCheckBox* b = Add(40, "&Bananas");
  a->SetFocus();
  Pump();
  EXPECT_EQ(b->Perform(CM_DIALOGCHAR, 'b'), 1);
  Pump();
  EXPECT_TRUE(b->Focused());
  EXPECT_TRUE(b->GetChecked());
  EXPECT_EQ(b->Perform(CM_DIALOGCHAR, 'x'), 0);
  EXPECT_TRUE(b->GetChecked());
}

TEST_F(CheckBoxTest, StreamedStateIsAppliedAfterLoading) {
  Open();
  TcxCheckBox* c = Add(10);
  c->GetProperties()->SetValueGrayed(Variant("half"));
  c->SetState(CS::cbsGrayed);
  Owned<TMemoryStream> m(New<TMemoryStream>());
  m->WriteComponent(c);
  const String text(reinterpret_cast<const char*>(m->Memory()), size_t(m->GetSize()));
  // Only what differs from the defaults is written.
  EXPECT_NE(text.find("ValueGrayed"), String::npos);
  EXPECT_EQ(text.find("ValueChecked"), String::npos);
  EXPECT_EQ(text.find("DisplayChecked"), String::npos);
  EXPECT_NE(text.find("State"), String::npos);
  auto* d = New<TcxCheckBox>(form);
  log.Take();
  d->OnClick = {&log, &TCheckLog::Click};
  m->SetPosition(0);
  m->ReadComponent(d);
  EXPECT_EQ(d->GetState(), CS::cbsGrayed);
  EXPECT_EQ(d->EditValue().AsString(), "half");
  EXPECT_TRUE(log.Take().empty());
  // Without a stored state a loaded check box starts unchecked.
  c->SetState(CS::cbsUnchecked);
  m->Clear();
  m->WriteComponent(c);
  m->SetPosition(0);
  m->ReadComponent(d);
  EXPECT_EQ(d->GetState(), CS::cbsUnchecked);
}

// ---- background ----

TEST_F(CheckBoxTest, NativeBackgroundComesFromTheParent) {
  Open(true);
  form->SetColor(clRed);
  TcxCheckBox* c = Add(10, "");
  c->GetStyle()->GetLookAndFeel()->SetNativeStyle(true);
  c->SetParentColor(false);
  c->SetColor(clLime);
  Pump();
  EXPECT_TRUE(c->IsNativeBackground());
  auto paint = [&] {
    PaperCanvas paper(c->GetWidth(), c->GetHeight());
    cxPaintCheckBoxViewInfo(paper.Cx(),
                            *static_cast<TcxCustomCheckBoxViewInfo*>(c->ViewInfo()));
    return paper.Px(c->GetWidth() - 3, c->GetHeight() / 2);
  };
  EXPECT_EQ(paint(), ColorToRGB(clRed));
  c->SetParentBackground(false);
  EXPECT_FALSE(c->IsNativeBackground());
  EXPECT_EQ(paint(), ColorToRGB(clLime));
  c->SetParentBackground(true);
  c->SetTransparent(true);
  EXPECT_FALSE(c->IsNativeBackground());
}

}  // namespace

// ---- actions ----

namespace {

// A check box whose action change can be run with either setting of CheckDefaults.
class TActionCheckBox : public TcxCheckBox {
  TL_CLASS(TActionCheckBox, TcxCheckBox)
 public:
  using TcxCheckBox::TcxCheckBox;
  using TcxCheckBox::ActionChange;
};

class TActionRecord : public TObject {
 public:
  void Execute(TObject*) { ++Runs; }
  int Runs = 0;
};

}  // namespace

TL_DEFINE_CLASS(TActionCheckBox)

TEST_F(CheckBoxTest, TheCheckFollowsTheActionsCheckedQuietlyWhileItShowsIt) {
  Open();
  TcxCheckBox* c = Add(10);
  auto* action = New<TAction>(form);
  TActionRecord record;
  action->SetOnExecute(TNotifyEvent(&record, &TActionRecord::Execute));
  action->SetChecked(true);
  log.Take();
  c->SetAction(action);
  EXPECT_TRUE(c->GetChecked());
  EXPECT_EQ(record.Runs, 0);  // taking the action's state is no click
  EXPECT_TRUE(log.Take().empty());
  EXPECT_FALSE(c->IsStateStored());  // the action's state is the check box's

  action->SetChecked(false);
  EXPECT_FALSE(c->GetChecked());
  EXPECT_TRUE(log.Take().empty());
  action->SetChecked(true);
  EXPECT_TRUE(c->GetChecked());

  // Grayed, or differing from the action, its state is written; the next change of the
  // action, whichever property, brings the action's Checked all the same, quietly.
  c->SetState(CS::cbsGrayed);
  log.Take();
  EXPECT_TRUE(c->IsStateStored());
  action->SetChecked(false);
  EXPECT_EQ(c->GetState(), CS::cbsUnchecked);
  EXPECT_TRUE(log.Take().empty());
  c->SetChecked(true);
  EXPECT_TRUE(c->IsStateStored());  // differs from the action's
  log.Take();
  action->SetHint("not checked");
  EXPECT_FALSE(c->GetChecked());
  EXPECT_TRUE(log.Take().empty());
  c->SetState(CS::cbsGrayed);
  action->SetEnabled(false);
  EXPECT_EQ(c->GetState(), CS::cbsUnchecked);
  EXPECT_FALSE(c->GetEnabled());
  action->SetEnabled(true);

  // A click toggles and runs the action, whose Checked is its own to change. (The three state
  // writes of the check box above were changes of the edit value, each a click too.)
  EXPECT_EQ(record.Runs, 3);
  record.Runs = 0;
  log.Take();
  ClickCheck(c);
  EXPECT_TRUE(c->GetChecked());
  EXPECT_EQ(record.Runs, 1);
  EXPECT_FALSE(action->GetChecked());
}

TEST_F(CheckBoxTest, WithDefaultsCheckedACheckedBoxStaysChecked) {
  Open();
  auto* c = New<TActionCheckBox>(form);
  c->SetParent(form);
  auto* action = New<TAction>(form);
  c->SetChecked(true);
  c->ActionChange(action, true);
  EXPECT_TRUE(c->GetChecked());
  c->ActionChange(action, false);
  EXPECT_FALSE(c->GetChecked());
  action->SetChecked(true);
  c->SetAction(action);
  c->SetChecked(false);  // differs now: not followed
  c->ActionChange(action, true);
  EXPECT_TRUE(c->GetChecked());  // unchecked is the default: taken
}

TEST_F(CheckBoxTest, ALoadedCheckBoxTakesItsActionsStateUnlessOneWasWritten) {
  Open();
  const char* text =
      "object F: TForm\n"
      "  object L: TActionList\n"
      "    object On: TAction\n"
      "      Checked = True\n"
      "    end\n"
      "  end\n"
      "  object Follows: TcxCheckBox\n"
      "    Action = On\n"
      "  end\n"
      "  object Own: TcxCheckBox\n"
      "    Action = On\n"
      "    State = cbsGrayed\n"
      "  end\n"
      "end\n";
  TForm* f = TForm::CreateNew<TForm>(nullptr);
  ReadDescription(text, f);
  auto* follows = dynamic_cast<TcxCheckBox*>(f->FindComponent("Follows"));
  auto* own = dynamic_cast<TcxCheckBox*>(f->FindComponent("Own"));
  ASSERT_TRUE(follows && own);
  EXPECT_TRUE(follows->GetChecked());
  EXPECT_EQ(own->GetState(), CS::cbsGrayed);

  // Written and read back, the checked box that left its State out is checked again.
  Owned<TMemoryStream> out(New<TMemoryStream>());
  out->WriteComponent(f);
  f->Free();
  out->SetPosition(0);
  f = TForm::CreateNew<TForm>(nullptr);
  out->ReadComponent(f);
  follows = dynamic_cast<TcxCheckBox*>(f->FindComponent("Follows"));
  ASSERT_TRUE(follows);
  EXPECT_TRUE(follows->GetChecked());
  f->Free();
}

TEST_F(CheckBoxTest, TheCheckBoxAndItsActionMayGoInEitherOrder) {
  Open();
  TcxCheckBox* a = Add(10);
  TcxCheckBox* b = Add(40);
  auto* action = New<TAction>(nullptr);
  a->SetAction(action);
  b->SetAction(action);
  b->Free();
  EXPECT_EQ(action->ClientCount(), 1);
  action->SetChecked(true);
  EXPECT_TRUE(a->GetChecked());
  action->Free();
  EXPECT_EQ(a->GetAction(), nullptr);
  ClickCheck(a);
  EXPECT_FALSE(a->GetChecked());
}
