// The editor control's value model and editing cycle: change events and their lock, the
// modified flags, validation on exit, posting through the binding, and handlers that free
// the editor.
#include "tests/editcore/EditControlTestSupport.h"

#include <functional>

namespace {

using ValueModel = EditControlTest;

TEST_F(ValueModel, OneAssignmentFiresEachEventOnceOutsideALock) {
  TValueEdit* e = AddEdit(10);
  e->SetEditValue(Variant("a"));
  EXPECT_EQ(log.Take(), L({"change:a", "valueChanged:a"}));
  EXPECT_FALSE(e->GetEditModified());

  // Comparing properties: the value event first, and nothing for an equal value of the same type.
  e->Props()->Compare = true;
  e->SetEditValue(Variant("b"));
  EXPECT_EQ(log.Take(), L({"valueChanged:b", "change:b"}));
  e->SetEditValue(Variant("b"));
  EXPECT_EQ(log.Take(), L({}));
  e->SetEditValue(Variant(Integer(7)));
  EXPECT_EQ(log.Take(), L({"valueChanged:7", "change:7"}));
}

TEST_F(ValueModel, ChangesInsideALockFireOnceAtTheLastUnlock) {
  TValueEdit* e = AddEdit(10);
  e->LockChangeEvents(true);
  e->LockChangeEvents(true);
  e->SetEditValue(Variant("a"));
  e->SetEditValue(Variant("b"));
  e->LockChangeEvents(false);
  EXPECT_EQ(log.Take(), L({}));
  e->LockChangeEvents(false);
  EXPECT_EQ(log.Take(), L({"change:b", "valueChanged:b"}));

  // An unlock without invoking drops what was pending; surplus unlocks stay at zero.
  e->LockChangeEvents(true);
  e->SetEditValue(Variant("c"));
  e->LockChangeEvents(false, false);
  e->LockChangeEvents(false);
  e->LockChangeEvents(false);
  EXPECT_EQ(log.Take(), L({}));
  e->LockChangeEvents(true);
  EXPECT_TRUE(e->IsChangeEventsLocked());
  e->SetEditValue(Variant("d"));
  e->LockChangeEvents(false);
  EXPECT_EQ(log.Take(), L({"change:d", "valueChanged:d"}));
}

TEST_F(ValueModel, ARaisingOnEnterLeavesTheSavedFlagsBalanced) {
  TValueEdit* e = AddEdit(10);
  TValueEdit* other = AddEdit(50);
  other->SetFocus();
  log.Take();
  e->RaiseOnEnter = true;
  e->SetFocus();
  EXPECT_EQ(TakeExceptions(), std::vector<String>{"enter refused"});
  EXPECT_EQ(e->SavedModifiedFlagsCount(), 0);
  // A pop with nothing saved changes nothing.
  e->SetDisplayValueModified(true);
  e->RestoreModifiedFlags();
  EXPECT_TRUE(e->GetDisplayValueModified());
  EXPECT_TRUE(e->GetEditModified());
  e->SetEditModified(false);

  e->RaiseOnEnter = false;
  other->SetFocus();
  e->SetFocus();
  Type("x");
  other->SetFocus();
  EXPECT_EQ(e->SavedModifiedFlagsCount(), 0);
  EXPECT_EQ(e->Binding()->Stored.AsString(), "x");
}

TEST_F(ValueModel, TypingEntersEditModeOnceAndEnterValidatesAndPostsThroughTheBinding) {
  TValueEdit* e = AddEdit(10);
  e->Props()->SetValidateOnEnter(true);
  e->SetFocus();
  log.Take();
  Type("ab");
  // Typing changes the display text; the edit value follows at validation.
  EXPECT_EQ(log.Take(), L({"keyPress:97", "editing", "editMode", "change:a",
                           "valueChanged:", "keyPress:98", "change:ab", "valueChanged:"}));
  EXPECT_TRUE(e->GetDisplayValueModified());
  Press(VK_RETURN);
  EXPECT_EQ(log.Take(),
            L({"validate:ab", "post:ab", "change:ab", "valueChanged:ab", "keyPress:13"}));
  EXPECT_EQ(e->EditValue().AsString(), "ab");
  EXPECT_FALSE(e->Binding()->Editing);
  EXPECT_TRUE(e->IsValidated());
}

TEST_F(ValueModel, RefusedEditingDropsTheKey) {
  TValueEdit* e = AddEdit(10);
  e->RefuseEditing = true;
  e->SetFocus();
  log.Take();
  Type("q");
  EXPECT_EQ(log.Take(), L({"keyPress:113", "editing"}));
  EXPECT_EQ(e->Inner()->GetText(), "");
  e->RefuseEditing = false;
  e->Binding()->Refuse = true;
  Type("q");
  EXPECT_EQ(log.Take(), L({"keyPress:113", "editing", "editMode"}));
  EXPECT_EQ(e->Inner()->GetText(), "");
}

TEST_F(ValueModel, AFailingValidationOnExitKeepsFocusAndEscapeRestoresTheValue) {
  TValueEdit* e = AddEdit(10, "e");
  AddEdit(50, "o");
  e->Props()->SetBeepOnError(true);
  e->SetEditValue(Variant("start"));
  e->SetFocus();
  e->InvalidText = "startzz";
  e->Correction = "start?";
  Press(VK_END);
  log.Take();
  Type("zz");
  log.Take();
  const size_t beeps = UserBeeps().size();
  Press(VK_TAB);
  EXPECT_EQ(TakeExceptions(), std::vector<String>{"Not a value: startzz"});
  // The Tab character was queued before the key moved the focus; it still reaches the editor.
  EXPECT_EQ(log.Take(), L({"e:validate:startzz", "e:selectAll", "e:selectAll", "e:keyPress:9"}));
  EXPECT_EQ(UserBeeps().size(), beeps + 1);
  EXPECT_TRUE(e->IsFocused());
  EXPECT_EQ(e->Inner()->GetText(), "start?");
  EXPECT_EQ(e->EditValue().AsString(), "start");
  EXPECT_EQ(e->Binding()->Stored.VType(), varEmpty);
  EXPECT_TRUE(e->GetDisplayValueModified());

  Press(VK_ESCAPE);
  EXPECT_EQ(log.Take(), L({"e:selectAll", "e:change:start", "e:valueChanged:start"}));
  EXPECT_EQ(e->Inner()->GetText(), "start");
  EXPECT_FALSE(e->GetDisplayValueModified());
  EXPECT_TRUE(e->GetEditModified());
  // The binding still edits: leaving posts the value it holds, the restored one.
  Press(VK_TAB);
  EXPECT_EQ(log.Take(), L({"e:post:start", "e:exit", "o:enter", "e:keyPress:9"}));
  EXPECT_EQ(e->Binding()->Stored.AsString(), "start");
  EXPECT_TRUE(TakeExceptions().empty());
}

// A value the editor sets itself after entering edit mode (as a popup, the clipboard or a file
// dialog does) leaves the display unmodified; leaving still posts it, and a binding that is
// not editing gets nothing.
TEST_F(ValueModel, LeavingPostsAValueSetInEditModeWithoutTyping) {
  TValueEdit* e = AddEdit(10, "e");
  AddEdit(50, "o");
  e->SetFocus();
  ASSERT_TRUE(e->DoEditing());
  e->SetEditValue(Variant("set"));
  EXPECT_FALSE(e->GetDisplayValueModified());
  log.Take();
  Press(VK_TAB);
  EXPECT_EQ(log.Take(), L({"e:post:set", "e:exit", "o:enter", "e:keyPress:9"}));
  EXPECT_EQ(e->Binding()->Stored.AsString(), "set");
  // Not editing: nothing to post.
  e->SetFocus();
  e->SetEditValue(Variant("again"));
  log.Take();
  Press(VK_TAB);
  EXPECT_EQ(log.Take(), L({"e:exit", "o:enter", "e:keyPress:9"}));
  EXPECT_EQ(e->Binding()->Stored.AsString(), "set");
}

// A display changed from a list after a validation is validated (and so applied) again.
TEST_F(ValueModel, ADisplayChangedFromAListIsValidatedAgain) {
  TValueEdit* e = AddEdit(10);
  e->SetFocus();
  Type("a");
  ASSERT_TRUE(e->ValidateDisplayText(true));
  ASSERT_TRUE(e->IsValidated());
  e->SetInternalDisplayValue(Variant("b"));
  e->SetModifiedAndClick();
  EXPECT_FALSE(e->IsValidated());
  EXPECT_TRUE(e->GetDisplayValueModified());
  EXPECT_TRUE(e->GetEditModified());
  log.Take();
  EXPECT_TRUE(e->ValidateDisplayText(true));
  EXPECT_EQ(e->EditValue().AsString(), "b");
}

class TValueRepositoryItem : public TcxEditRepositoryItem {
 public:
  using TcxEditRepositoryItem::TcxEditRepositoryItem;
  TcxCustomEditPropertiesClass GetEditPropertiesClass() const override {
    return ClassOf<TValueEditProperties, TcxCustomEditProperties, TPersistent*>();
  }
};

TEST_F(ValueModel, EventsFireForTheOwnPropertiesThenForTheLinkedItem) {
  TValueEdit* e = AddEdit(10);
  Owned<TcxEditRepository> repo(New<TcxEditRepository>(nullptr));
  TcxEditRepositoryItem* item =
      repo->CreateItem(ClassOf<TValueRepositoryItem, TcxEditRepositoryItem, TComponent*>());
  item->GetProperties()->OnChange = {e, &TValueEdit::HItemChange};
  e->SetRepositoryItem(item);
  log.Take();
  e->SetEditValue(Variant("a"));
  EXPECT_EQ(log.Take(), L({"change:a", "itemChange", "valueChanged:a"}));
  item->Free();
  EXPECT_EQ(e->GetRepositoryItem(), nullptr);
  e->SetEditValue(Variant("b"));
  EXPECT_EQ(log.Take(), L({"change:b", "valueChanged:b"}));
}

TEST_F(ValueModel, AnInplaceEditorCountsAsModifiedInsideItsHandlersOnly) {
  Owned<TValueEditProperties> p(New<TValueEditProperties>(nullptr));
  Owned<TcxInplaceEditList> list(New<TcxInplaceEditList>());
  auto* e = static_cast<TValueEdit*>(list->GetEdit(p.get()));
  e->Listen(&log);
  e->SetEditValue(Variant("a"));
  EXPECT_TRUE(e->ModifiedInChange);
  EXPECT_FALSE(e->GetEditModified());
  EXPECT_EQ(e->SavedModifiedFlagsCount(), 0);
  TValueEdit* standAlone = AddEdit(10);
  standAlone->SetEditValue(Variant("a"));
  EXPECT_FALSE(standAlone->ModifiedInChange);

  // Leaving in place validates: a refused text raises, an accepted one is applied.
  e->SetParent(form);
  TcxCustomEditData* data = nullptr;
  // Activation selects the text: the first key replaces it.
  e->InvalidText = "b";
  e->ActivateByKey('b', data);
  log.Take();
  EXPECT_THROW(e->Deactivate(), Exception);
  EXPECT_EQ(e->EditValue().AsString(), "a");
  // The failure selected the text again.
  Type("c");
  EXPECT_TRUE(e->Deactivate());
  EXPECT_EQ(e->EditValue().AsString(), "c");
}

// Each handler frees the editor; what follows must not touch it.
TEST_F(ValueModel, AHandlerThatFreesTheEditorEndsTheStep) {
  struct Case {
    bool TValueEdit::*Flag;
    std::function<void(TValueEdit*)> Prepare, Act;
    std::vector<std::string> Logged;
  };
  const auto focus = [](TValueEdit* e) { e->SetFocus(); };
  const Case cases[] = {
      {&TValueEdit::FreeOnChange, nullptr, [](TValueEdit* e) { e->SetEditValue(Variant("a")); }, L({"e:change:a"})},
      {&TValueEdit::FreeOnValidate,
       [&](TValueEdit* e) {
         e->SetFocus();
         Type("v");
       },
       [](TValueEdit* e) { e->PostEditValueOnRequest(); }, L({"e:validate:v"})},
      {&TValueEdit::FreeOnEditing, focus, [&](TValueEdit*) { Type("w"); }, L({"e:keyPress:119", "e:editing"})},
      {&TValueEdit::FreeOnExit,
       [&](TValueEdit* e) {
         AddEdit(50, "o");
         e->SetFocus();
         Type("x");
       },
       [&](TValueEdit*) { Press(VK_TAB); },
       L({"e:validate:x", "e:post:x", "e:change:x", "e:valueChanged:x", "e:exit", "o:enter"})},
  };
  for (const Case& c : cases) {
    TValueEdit* e = AddEdit(10, "e");
    TcxObjectLink* link = cxAddObjectLink(e);
    if (c.Prepare) c.Prepare(e);
    e->*c.Flag = true;
    log.Take();
    c.Act(e);
    EXPECT_EQ(link->Ref, nullptr) << c.Logged.back();
    cxRemoveObjectLink(link);
    EXPECT_EQ(log.Take(), c.Logged);
  }
  EXPECT_TRUE(TakeExceptions().empty());
}

}  // namespace
