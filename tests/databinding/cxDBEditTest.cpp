// Data-aware editors: reading the record, typing, writing when the data set posts, the
// modified state of the field link, the empty-text rule, AutoEdit and the field-not-found
// error.
#include "classlib/visual/ActnList.h"
#include "tests/databinding/DBEditTestSupport.h"

using enum TDataSetState;

namespace {

TEST_F(DBEditTest, EditorsShowTheCurrentRecordAndFollowTheCursor) {
  auto* name = Add<TcxDBTextEdit>("NAME");
  auto* id = Add<TcxDBSpinEdit>("ID");
  auto* ok = Add<TcxDBCheckBox>("OK");
  Show();
  EXPECT_EQ(Shown(name), "Apple");
  EXPECT_EQ(id->GetEditValue().AsInteger(), 1);
  EXPECT_TRUE(ok->GetChecked());
  DS->Next();
  Pump();
  EXPECT_EQ(Shown(name), "Banana");
  EXPECT_EQ(id->GetEditValue().AsInteger(), 2);
  EXPECT_FALSE(ok->GetChecked());
  // Closing leaves the editors without data: empty.
  DS->Close();
  Pump();
  EXPECT_EQ(Shown(name), "");
  EXPECT_FALSE(name->DataBinding()->IsDataAvailable());
}

// Two editors hold input when the data set posts: a text edit typed into and still focused,
// and a list box whose picked item waits for the post. Each keeps its value whichever link
// the data set asks first: a write by one is a record change of its own field only.
class TwoEditorsPost : public DBEditTest, public ::testing::WithParamInterface<bool> {};

TEST_P(TwoEditorsPost, BothValuesAreStoredInEitherLinkOrder) {
  TcxDBTextEdit* name = nullptr;
  TcxDBListBox* kind = nullptr;
  if (GetParam()) {
    name = Add<TcxDBTextEdit>("NAME");
    kind = AddKindList(TRect{160, 4, 260, 84});
  } else {
    kind = AddKindList(TRect{160, 4, 260, 84});
    name = Add<TcxDBTextEdit>("NAME");
  }
  Show();
  EXPECT_EQ(kind->GetItemIndex(), 0);
  TRect item = kind->ItemRect(1);
  host().Click(kind->InnerListBox()->GetHandle(), item.Left + 5, (item.Top + item.Bottom) / 2);
  Pump();
  EXPECT_EQ(kind->GetItemIndex(), 1);
  EXPECT_EQ(DS->State(), dsEdit);
  EXPECT_TRUE(kind->GetDataBinding()->Modified());
  Focus(name);
  name->SelectAll();
  Type("Zed");
  // Both hold input that no field has yet.
  EXPECT_TRUE(kind->GetDataBinding()->Modified());
  EXPECT_TRUE(name->GetDataBinding()->DataLink()->Modified());
  EXPECT_EQ(F("KIND")->GetAsString(), "fruit");
  EXPECT_EQ(F("NAME")->GetAsString(), "Apple");
  DS->Post();
  Pump();
  EXPECT_EQ(DS->State(), dsBrowse);
  EXPECT_EQ(F("NAME")->GetAsString(), "Zed");
  EXPECT_EQ(F("KIND")->GetAsString(), "nut");
  EXPECT_FALSE(kind->GetDataBinding()->Modified());
  EXPECT_FALSE(name->GetDataBinding()->DataLink()->Modified());
}

INSTANTIATE_TEST_SUITE_P(LinkOrder, TwoEditorsPost, ::testing::Bool());

TEST_F(DBEditTest, TypedInputSurvivesAWriteToAnotherField) {
  auto* name = Add<TcxDBTextEdit>("NAME");
  auto* id = Add<TcxDBTextEdit>("ID");
  Show();
  Focus(name);
  name->SelectAll();
  Type("Zed");
  F("ID")->SetAsInteger(7);
  Pump();
  EXPECT_EQ(Shown(name), "Zed");
  EXPECT_EQ(Shown(id), "7");
  EXPECT_TRUE(name->GetDataBinding()->DataLink()->Modified());
  DS->Post();
  EXPECT_EQ(F("NAME")->GetAsString(), "Zed");
  EXPECT_EQ(F("ID")->GetAsInteger(), 7);
}

TEST_F(DBEditTest, ModifiedSurvivesTheEditorsOwnWriteAndDropsWhereTheRecordIsShownAgain) {
  auto* name = Add<TcxDBTextEdit>("NAME");
  auto* other = Add<TcxDBTextEdit>("ID");
  Show();
  TcxEditFieldDataLink* link = name->GetDataBinding()->DataLink();
  EXPECT_FALSE(link->Modified());
  Focus(name);
  name->SelectAll();
  Type("Kiwi");
  EXPECT_TRUE(link->Modified());
  EXPECT_TRUE(name->DataBinding()->IsEditing());
  // The editor posts its value (as Enter or ImmediatePost do): its own write keeps it.
  name->PostEditValue(true);
  EXPECT_EQ(F("NAME")->GetAsString(), "Kiwi");
  EXPECT_TRUE(link->Modified());
  DS->Post();
  EXPECT_FALSE(link->Modified());

  // Cancel: the record change drops the input and the editor shows the stored text.
  name->SelectAll();
  Type("Lime");
  EXPECT_TRUE(link->Modified());
  DS->Cancel();
  Pump();
  EXPECT_FALSE(link->Modified());
  EXPECT_EQ(Shown(name), "Kiwi");

  // Leaving writes the value and shows the field again, which ends the input.
  name->SelectAll();
  Type("Plum");
  ASSERT_TRUE(link->Modified());
  Focus(other);
  EXPECT_EQ(F("NAME")->GetAsString(), "Plum");
  EXPECT_FALSE(link->Modified());

  // A scroll is a record change too (and posts what was written).
  Focus(name);
  name->SelectAll();
  Type("Pear");
  ASSERT_TRUE(link->Modified());
  DS->Next();
  Pump();
  EXPECT_FALSE(link->Modified());
  EXPECT_EQ(Shown(name), "Banana");
  DS->First();
  EXPECT_EQ(F("NAME")->GetAsString(), "Pear");
}

TEST_F(DBEditTest, AFormattedFloatShowsItsDisplayTextUnfocusedAndItsEditTextFocused) {
  auto* price = static_cast<TFloatField*>(F("PRICE"));
  price->SetDisplayFormat("#,##0.00");
  price->SetEditFormat("0.000");
  auto* e = Add<TcxDBTextEdit>("PRICE");
  auto* other = Add<TcxDBTextEdit>("NAME");
  Show();
  EXPECT_EQ(Shown(e), "1,234.50");
  Focus(e);
  EXPECT_EQ(Shown(e), "1234.500");
  Focus(other);
  EXPECT_EQ(Shown(e), "1,234.50");
  // The provider hands the formats to the properties.
  IcxEditDefaultValuesProvider* p = e->DataBinding()->GetIDefaultValuesProvider();
  EXPECT_EQ(p->DefaultDisplayFormat(), "#,##0.00");
  EXPECT_EQ(p->DefaultEditFormat(), "0.000");
  EXPECT_TRUE(p->IsDisplayFormatDefined(false));
  EXPECT_FALSE(p->IsNonNumericDisplayFormat());
}

class TGetTextHandler : public TObject {
 public:
  void GetText(TField* Sender, String& Text, bool DisplayText) {
    Text = Sender->IsNull() ? String(DisplayText ? "none" : "-") : Sender->GetAsString() + "!";
  }
};

TEST_F(DBEditTest, ANullFieldWithAGetTextHandlerStillReadsAsText) {
  DS->Last();  // PRICE is null here
  // A text edit reads the field's text, a spin edit its value.
  auto* e = Add<TcxDBTextEdit>("PRICE");
  auto* plain = Add<TcxDBSpinEdit>("PRICE");
  Show();
  // Without a handler a null field is Null, whatever the source.
  EXPECT_TRUE(VarIsNull(e->DataBinding()->GetStoredValue()));
  TGetTextHandler handler;
  F("PRICE")->OnGetText = {&handler, &TGetTextHandler::GetText};
  EXPECT_EQ(e->DataBinding()->GetStoredValue().AsString(), "none");
  // A value read of a null field stays Null.
  EXPECT_TRUE(VarIsNull(plain->DataBinding()->GetStoredValue()));
  // Focused and modifiable: the edit text.
  Focus(e);
  EXPECT_EQ(e->DataBinding()->GetStoredValue().AsString(), "-");
  F("PRICE")->SetReadOnly(true);
  EXPECT_EQ(e->DataBinding()->GetStoredValue().AsString(), "none");
}

TEST_F(DBEditTest, AnEmptyTextStoresNullExceptInTextFields) {
  auto* id = Add<TcxDBTextEdit>("ID");
  auto* when = Add<TcxDBTextEdit>("WHEN");
  auto* name = Add<TcxDBTextEdit>("NAME");
  auto* date = Add<TcxDBDateEdit>("WHEN");
  Show();
  for (TcxDBTextEdit* e : {id, when, name}) {
    Focus(e);
    e->SelectAll();
    Press(VK_DELETE);
  }
  Focus(date);
  DS->Post();
  EXPECT_TRUE(F("ID")->IsNull());
  EXPECT_TRUE(F("WHEN")->IsNull());
  EXPECT_FALSE(F("NAME")->IsNull());
  EXPECT_EQ(F("NAME")->GetAsString(), "");
  // The date edit cleared by hand stores Null as well.
  DS->Next();
  Pump();
  Focus(date);
  date->SelectAll();
  Press(VK_DELETE);
  Focus(name);
  DS->Post();
  EXPECT_TRUE(F("WHEN")->IsNull());
  EXPECT_EQ(F("ID")->GetAsInteger(), 2);
}

TEST_F(DBEditTest, WithAutoEditOffTypingIsRefusedUntilTheDataSetEdits) {
  Source->SetAutoEdit(false);
  auto* name = Add<TcxDBTextEdit>("NAME");
  Show();
  Focus(name);
  EXPECT_FALSE(name->DataBinding()->CanModify());
  Type("Q");
  EXPECT_EQ(Shown(name), "Apple");
  EXPECT_EQ(DS->State(), dsBrowse);
  EXPECT_FALSE(name->GetDataBinding()->DataLink()->Modified());
  // Once the data set edits, typing goes in.
  DS->Edit();
  Pump();
  EXPECT_TRUE(name->DataBinding()->CanModify());
  name->SelectAll();
  Type("Quince");
  DS->Post();
  EXPECT_EQ(F("NAME")->GetAsString(), "Quince");
  // Browsing again: refused again.
  Type("x");
  EXPECT_EQ(Shown(name), "Quince");
}

TEST_F(DBEditTest, AMissingFieldFailsNamingTheEditor) {
  auto* e = Add<TcxDBTextEdit>("NAME");
  try {
    e->GetDataBinding()->SetDataField("NOPE");
    FAIL() << "no error";
  } catch (const EDatabaseError& err) {
    EXPECT_EQ(err.Message(), "ed1: Field 'NOPE' not found");
  }
  // The same when the data set opens with the name already set.
  DS->Close();
  EXPECT_THROW(DS->Open(), EDatabaseError);
}

TEST_F(DBEditTest, AssignTakesEveryDataSetBindingAndRefusesOthers) {
  auto* text = Add<TcxDBTextEdit>("NAME");
  auto* check = Add<TcxDBCheckBox>("OK");
  auto* image = Add<TcxDBImage>("NOTE");
  // The check box's binding set from another kind of data-set binding.
  auto* other = Add<TcxDBCheckBox>("ID");
  check->SetDataBinding(other->GetDataBinding());
  EXPECT_EQ(check->GetDataBinding()->DataField(), "ID");
  check->SetDataBinding(text->GetDataBinding());
  EXPECT_EQ(check->GetDataBinding()->DataField(), "NAME");
  EXPECT_EQ(check->GetDataBinding()->DataSource(), Source);
  image->SetDataBinding(check->GetDataBinding());
  EXPECT_EQ(image->GetDataBinding()->DataField(), "NAME");
  // A plain editor's binding is no data-set binding.
  auto* plain = New<TcxTextEdit>(form);
  EXPECT_THROW(text->DataBinding()->Assign(plain->DataBinding()), EConvertError);
  EXPECT_EQ(text->GetDataBinding()->DataField(), "NAME");
  plain->Free();
}

TEST_F(DBEditTest, EveryEditorAnswersTheDataLinkRequest) {
  std::vector<TcxCustomEdit*> editors = {
      Add<TcxDBTextEdit>("NAME"),     Add<TcxDBMemo>("NOTE"),        Add<TcxDBMaskEdit>("NAME"),
      Add<TcxDBButtonEdit>("NAME"),   Add<TcxDBCheckBox>("OK"),      Add<TcxDBComboBox>("NAME"),
      Add<TcxDBPopupEdit>("NAME"),    Add<TcxDBSpinEdit>("ID"),      Add<TcxDBTimeEdit>("WHEN"),
      Add<TcxDBBlobEdit>("NOTE"),     Add<TcxDBCalcEdit>("PRICE"),   Add<TcxDBDateEdit>("WHEN"),
      Add<TcxDBCurrencyEdit>("PRICE"), Add<TcxDBHyperLinkEdit>("NAME"), Add<TcxDBImage>("NOTE"),
      Add<TcxDBImageComboBox>("ID"),  Add<TcxDBMRUEdit>("NAME"),     Add<TcxDBRadioGroup>("ID")};
  for (TcxCustomEdit* e : editors) {
    auto* binding = dynamic_cast<TcxDBEditDataBinding*>(e->DataBinding());
    ASSERT_NE(binding, nullptr) << e->ClassName();
    EXPECT_EQ(e->Perform(CM_GETDATALINK, 0, 0), LRESULT(reinterpret_cast<intptr_t>(binding->DataLink())))
        << e->ClassName();
    EXPECT_TRUE(binding->IsDataAvailable()) << e->ClassName();
  }
  // The radio group's buttons pass the request to the group and are replicatable.
  auto* group = static_cast<TcxDBRadioGroup*>(editors.back());
  static_cast<TcxRadioGroupItem*>(group->GetProperties()->GetItems()->Add())->SetCaption("one");
  static_cast<TcxRadioGroupItem*>(group->GetProperties()->GetItems()->Add())->SetCaption("two");
  ASSERT_EQ(group->ButtonCount(), 2);
  TWinControl* button = group->Buttons(1);
  EXPECT_EQ(button->Perform(CM_GETDATALINK, 0, 0),
            LRESULT(reinterpret_cast<intptr_t>(group->GetDataBinding()->DataLink())));
  EXPECT_TRUE(button->ControlStyle().Contains(TControlStyleItem::csReplicatable));
  // The classes are there for window descriptions while the unit runs.
  EXPECT_EQ(GetClass("TcxDBTextEdit"), &TcxDBTextEdit::StaticClass());
  EXPECT_EQ(GetClass("TcxDBListBox"), &TcxDBListBox::StaticClass());
}

// The field's ValidChars filter what is typed into the editors that show its text; control
// keys still edit, and editors that type something else than the field's text (a number
// for a value) are not asked.
TEST_F(DBEditTest, AFieldsValidCharsFilterTypingInTextEditors) {
  TCharSet upper;
  for (char c = 'A'; c <= 'Z'; ++c) upper.set(Byte(c));
  F("NAME")->SetValidChars(upper);
  F("NOTE")->SetValidChars(upper);
  auto* text = Add<TcxDBTextEdit>("NAME");
  auto* mask = Add<TcxDBMaskEdit>("NAME");
  auto* combo = Add<TcxDBComboBox>("NAME");
  auto* memo = Add<TcxDBMemo>("NOTE");
  memo->SetBounds(160, 4, 170, 60);
  auto* spin = Add<TcxDBSpinEdit>("ID");
  Show();
  for (TcxCustomTextEdit* e : std::initializer_list<TcxCustomTextEdit*>{text, mask, combo, memo}) {
    Focus(e);
    e->SelectAll();
    Type("a1B");
    EXPECT_EQ(Shown(e), "B") << e->ClassName();
    Press(VK_BACK);
    EXPECT_EQ(Shown(e), "") << e->ClassName();
  }
  // The spin edit types a number for the integer field, whatever the field's characters.
  F("ID")->SetValidChars(upper);
  Focus(spin);
  spin->SelectAll();
  Type("42");
  EXPECT_EQ(Shown(spin), "42");
}

// Read from a window description at design time, unbound text editors show their names at
// once, not only after a later change of their data.
TEST_F(DBEditTest, UnboundTextEditorsReadAtDesignTimeShowTheirNames) {
  TForm* dialog = TForm::CreateNew(Application);
  dialog->SetDesigning(true);
  ReadDescription(
      "object Dialog: TForm\n"
      "  object edName: TcxDBTextEdit\n"
      "    Left = 8\n"
      "    Top = 8\n"
      "  end\n"
      "  object edNote: TcxDBMemo\n"
      "    Left = 8\n"
      "    Top = 40\n"
      "  end\n"
      "  object edKind: TcxDBComboBox\n"
      "    Left = 8\n"
      "    Top = 100\n"
      "  end\n"
      "end\n",
      dialog);
  for (const char* name : {"edName", "edNote", "edKind"}) {
    auto* e = dynamic_cast<TcxCustomTextEdit*>(dialog->FindComponent(name));
    ASSERT_NE(e, nullptr) << name;
    EXPECT_TRUE(e->InState(TComponentStateItem::csDesigning)) << name;
    EXPECT_EQ(VarToStr(e->GetDisplayValue()), name);
  }
  // A setting changed in the designer shows the name again; bound, the field's text shows.
  auto* e = static_cast<TcxDBTextEdit*>(dialog->FindComponent("edName"));
  e->GetProperties()->SetMaxLength(5);
  EXPECT_EQ(VarToStr(e->GetDisplayValue()), "edName");
  e->GetDataBinding()->SetDataSource(Source);
  e->GetDataBinding()->SetDataField("NAME");
  EXPECT_EQ(VarToStr(e->GetDisplayValue()), "Apple");
  dialog->Free();
}

TEST_F(DBEditTest, ADesignedUnboundTextEditShowsItsNameAndAtRunTimeNothing) {
  auto* e = New<TcxDBTextEdit>(form);
  e->SetName("Designed");
  e->SetParent(form);
  Show();
  EXPECT_EQ(Shown(e), "");
  e->DataBinding()->SetDisplayValue(Variant("x"));
  EXPECT_EQ(Shown(e), "");
  e->SetDesigning(true);
  e->DataBinding()->SetDisplayValue(Variant("x"));
  EXPECT_EQ(Shown(e), "Designed");
  e->SetDesigning(false);
}

}  // namespace

namespace {

TEST_F(DBEditTest, AFieldAskingForFocusFocusesItsEditor) {
  auto* name = Add<TcxDBTextEdit>("NAME");
  auto* id = Add<TcxDBSpinEdit>("ID");
  Show();
  Focus(name);
  F("ID")->FocusControl();
  Pump();
  EXPECT_TRUE(id->IsFocused());
  EXPECT_FALSE(name->IsFocused());
  F("NAME")->FocusControl();
  Pump();
  EXPECT_TRUE(name->IsFocused());
}

TEST_F(DBEditTest, AValueTheFieldRefusesReachesTheCallerAndLeavesTheBindingUnlocked) {
  auto* when = Add<TcxDBTextEdit>("WHEN");
  auto* name = Add<TcxDBTextEdit>("NAME");
  Show();
  Focus(when);
  when->SelectAll();
  Type("2/31/2023");
  EXPECT_ANY_THROW(when->PostEditValue(true));
  EXPECT_FALSE(when->GetDataBinding()->IsLocked());
  EXPECT_DOUBLE_EQ(double(F("WHEN")->GetAsDateTime()), 45000);
  // The input is still pending; a good value goes in.
  EXPECT_TRUE(when->GetDataBinding()->DataLink()->Modified());
  when->SelectAll();
  Type("3/1/2023");
  Focus(name);
  EXPECT_EQ(F("WHEN")->GetAsString(), "3/1/2023");
  EXPECT_FALSE(when->GetDataBinding()->IsLocked());
}

}  // namespace

namespace {

TEST_F(DBEditTest, TheBindingIsPublishedInWindowDescriptions) {
  auto* check = Add<TcxDBCheckBox>("OK");
  Owned<TMemoryStream> m(New<TMemoryStream>());
  m->WriteComponent(check);
  const String binary(reinterpret_cast<const char*>(m->Memory()), size_t(m->GetSize()));
  EXPECT_NE(binary.find("DataBinding.DataField"), String::npos);
  EXPECT_NE(binary.find("DataBinding.DataSource"), String::npos);
  EXPECT_NE(binary.find("Source"), String::npos);

  TForm* dialog = ReadDialog(
      "object Dialog: TForm\n"
      "  object name: TcxDBTextEdit\n"
      "    DataBinding.DataField = 'NAME'\n"
      "  end\n"
      "  object items: TcxDBListBox\n"
      "    DataBinding.DataField = 'KIND'\n"
      "  end\n"
      "end\n");
  auto* name = dynamic_cast<TcxDBTextEdit*>(dialog->FindComponent("name"));
  auto* items = dynamic_cast<TcxDBListBox*>(dialog->FindComponent("items"));
  ASSERT_NE(name, nullptr);
  ASSERT_NE(items, nullptr);
  EXPECT_EQ(name->GetDataBinding()->DataField(), "NAME");
  EXPECT_EQ(items->GetDataBinding()->DataField(), "KIND");
  // Bound after reading, they show the record.
  name->GetDataBinding()->SetDataSource(Source);
  EXPECT_EQ(name->GetDataBinding()->Field(), F("NAME"));
  dialog->Free();
}

}  // namespace

namespace {

// A binding that edits a lookup field by its key, as lookup editors do.
class TKeyEditBinding : public TcxDBTextEditDataBinding {
  TL_CLASS(TKeyEditBinding, TcxDBTextEditDataBinding)
 public:
  using TcxDBTextEditDataBinding::TcxDBTextEditDataBinding;
  bool IsKeyEditing() const override { return true; }
};
class TKeyEdit : public TcxDBTextEdit {
  TL_CLASS(TKeyEdit, TcxDBTextEdit)
 public:
  using TcxDBTextEdit::TcxDBTextEdit;
  TcxEditDataBindingClass GetDataBindingClass() const override {
    return ClassOf<TKeyEditBinding, TcxEditDataBinding, TcxCustomEdit*>();
  }
};

}  // namespace

TL_DEFINE_CLASS(TKeyEditBinding)
TL_DEFINE_CLASS(TKeyEdit)

namespace {

TEST_F(DBEditTest, AnEditorEditingByKeyWatchesTheLookupFieldsOneKey) {
  TMemoryDataSet* list = MakeTestDataSet(form, {{"A", TFieldType::ftInteger}, {"TITLE", TFieldType::ftString, 20}});
  list->AddRecord({1, "One"});
  list->AddRecord({2, "Two"});
  list->Open();
  auto* main = New<TMemoryDataSet>(form);
  TField* key = AddTestField<TIntegerField>(form, main, "KA");
  AddTestField<TIntegerField>(form, main, "KB");
  TField* title = AddTestField<TStringField>(form, main, "TITLE");
  title->SetFieldKind(TFieldKind::fkLookup);
  title->SetKeyFields("KA");
  title->SetLookupDataSet(list);
  title->SetLookupKeyFields("A");
  title->SetLookupResultField("TITLE");
  main->AddRecord({1, 2});
  main->Open();
  auto* source = New<TDataSource>(form);
  source->SetDataSet(main);

  auto* byKey = New<TKeyEdit>(form);
  byKey->SetParent(form);
  byKey->GetDataBinding()->SetDataSource(source);
  byKey->GetDataBinding()->SetDataField("TITLE");
  auto* plain = New<TcxDBTextEdit>(form);
  plain->SetParent(form);
  plain->GetDataBinding()->SetDataSource(source);
  plain->GetDataBinding()->SetDataField("TITLE");
  EXPECT_EQ(byKey->GetDataBinding()->DataLink()->WatchedField(), key);
  EXPECT_EQ(plain->GetDataBinding()->DataLink()->WatchedField(), title);
  EXPECT_EQ(Shown(plain), "One");
  // Two keys: nothing single to watch, the field itself is.
  main->Close();
  title->SetKeyFields("KA;KB");
  title->SetLookupKeyFields("A;A");
  main->Open();
  EXPECT_EQ(byKey->GetDataBinding()->DataLink()->WatchedField(), title);
}

}  // namespace

namespace {

TEST_F(DBEditTest, AListBoxItemPickedByKeyIsWrittenWhenTheDataSetPosts) {
  auto* list = AddKindList(TRect{160, 4, 260, 84});
  Show();
  Focus(list->InnerListBox());
  Press(VK_DOWN);
  EXPECT_EQ(list->GetItemIndex(), 1);
  EXPECT_TRUE(list->GetDataBinding()->Modified());
  DS->Post();
  EXPECT_EQ(F("KIND")->GetAsString(), "nut");
  // Escape puts the stored item back.
  Press(VK_UP);
  EXPECT_EQ(list->GetItemIndex(), 0);
  host().Char(Byte(VK_ESCAPE));
  Pump();
  EXPECT_EQ(list->GetItemIndex(), 1);
  EXPECT_FALSE(list->GetDataBinding()->Modified());
  DS->Cancel();
  EXPECT_EQ(F("KIND")->GetAsString(), "nut");
}

}  // namespace

namespace {

// An action that works on data sources: running moves to the next record, updating enables it
// while there is one.
class TNextRecordAction : public TAction {
  TL_CLASS(TNextRecordAction, TAction)
 public:
  using TAction::TAction;
  bool HandlesTarget(TObject* Target) override {
    auto* source = dynamic_cast<TDataSource*>(Target);
    return source && source->DataSet();
  }
  void ExecuteTarget(TObject* Target) override { static_cast<TDataSource*>(Target)->DataSet()->Next(); }
  void UpdateTarget(TObject* Target) override { SetEnabled(!static_cast<TDataSource*>(Target)->DataSet()->Eof()); }
};

}  // namespace

TL_DEFINE_CLASS(TNextRecordAction)

TEST_F(DBEditTest, AnActionFindsTheDataSourceOfTheFocusedEditor) {
  auto* name = Add<TcxDBTextEdit>("NAME");
  auto* plain = New<TcxTextEdit>(form);
  plain->SetBounds(10, 200, 100, 21);
  plain->SetParent(form);
  auto* next = New<TNextRecordAction>(form);
  form->Show();
  Pump();

  // An editor with no data source is no target.
  Focus(plain);
  EXPECT_FALSE(next->Execute());
  EXPECT_EQ(DS->RecNo(), 1);

  Focus(name);
  ASSERT_TRUE(name->InnerTextEdit()->Focused());
  EXPECT_TRUE(next->Execute());
  EXPECT_EQ(DS->RecNo(), 2);
  EXPECT_EQ(Shown(name), "Banana");
  DS->Last();
  EXPECT_TRUE(next->Update());
  EXPECT_FALSE(next->GetEnabled());
  EXPECT_FALSE(next->Execute());  // updated first, and disabled
}

namespace {

// ReadOnly of the list box is its binding's: neither keys nor clicks move off the stored
// item, and the data set stays browsing.
TEST_F(DBEditTest, AReadOnlyListBoxKeepsTheStoredItem) {
  auto* list = AddKindList(TRect{160, 4, 260, 84});
  list->SetReadOnly(true);
  Show();
  EXPECT_FALSE(list->GetDataBinding()->CanModify());
  ExpectListRefusesPicks(list);
  EXPECT_FALSE(list->GetDataBinding()->Modified());
  // Writable again, the same key picks the next item.
  list->SetReadOnly(false);
  Press(VK_DOWN);
  EXPECT_EQ(list->GetItemIndex(), 1);
  EXPECT_EQ(DS->State(), dsEdit);
}

// With AutoEdit off a browsing data set refuses the list box as it refuses typing: the
// stored item stays selected until the data set edits.
TEST_F(DBEditTest, WithAutoEditOffTheListBoxKeepsTheStoredItemUntilTheDataSetEdits) {
  Source->SetAutoEdit(false);
  auto* list = AddKindList(TRect{160, 4, 260, 84});
  Show();
  EXPECT_FALSE(list->DataBinding()->CanModify());
  ExpectListRefusesPicks(list);
  DS->Edit();
  Pump();
  EXPECT_TRUE(list->DataBinding()->CanModify());
  Press(VK_DOWN);
  EXPECT_EQ(list->GetItemIndex(), 1);
  DS->Post();
  EXPECT_EQ(F("KIND")->GetAsString(), "nut");
}

// A bound radio group whose checked item is renamed shows no item for the stored value: it
// neither takes the renamed item's caption as its value nor puts the data set into edit.
TEST_F(DBEditTest, ARenamedCheckedRadioItemOfABoundGroupShowsNoItemAndWritesNothing) {
  auto* group = Add<TcxDBRadioGroup>("KIND");
  group->SetBounds(200, 4, 150, 80);
  for (const char* kind : {"fruit", "nut"})
    static_cast<TcxRadioGroupItem*>(group->GetProperties()->GetItems()->Add())->SetCaption(kind);
  Show();
  ASSERT_EQ(group->GetItemIndex(), 0);
  group->GetProperties()->Item(0)->SetCaption("Fruit");
  EXPECT_EQ(group->GetItemIndex(), -1);
  EXPECT_EQ(VarToStr(group->GetEditValue()), "fruit");
  EXPECT_EQ(DS->State(), dsBrowse);
  EXPECT_EQ(F("KIND")->GetAsString(), "fruit");
}

// The radio group's item picked by the user edits the data set and is written when it posts;
// a data set that may not edit refuses the pick and the stored item stays checked.
TEST_F(DBEditTest, ARadioItemPickedByTheUserIsWrittenOrRefusedWithTheDataSet) {
  auto* group = Add<TcxDBRadioGroup>("KIND");
  group->SetBounds(200, 4, 150, 80);
  for (const char* kind : {"fruit", "nut"}) {
    auto* item = static_cast<TcxRadioGroupItem*>(group->GetProperties()->GetItems()->Add());
    item->SetCaption(kind);
  }
  auto* name = Add<TcxDBTextEdit>("NAME");
  Show();
  EXPECT_EQ(group->GetItemIndex(), 0);
  auto pick = [&](Integer AIndex) {
    TWinControl* button = group->Buttons(AIndex);
    host().Click(button->Handle(), 20, button->GetHeight() / 2);
    Pump();
  };
  pick(1);
  EXPECT_EQ(group->GetItemIndex(), 1);
  EXPECT_EQ(DS->State(), dsEdit);
  EXPECT_TRUE(group->DataBinding()->IsEditing());
  Focus(name);
  DS->Post();
  EXPECT_EQ(F("KIND")->GetAsString(), "nut");
  // AutoEdit off, browsing: the pick is refused.
  Source->SetAutoEdit(false);
  pick(0);
  EXPECT_EQ(group->GetItemIndex(), 1);
  EXPECT_EQ(DS->State(), dsBrowse);
  // A read-only field refuses it too, also while the data set edits.
  Source->SetAutoEdit(true);
  F("KIND")->SetReadOnly(true);
  DS->Edit();
  pick(0);
  EXPECT_EQ(group->GetItemIndex(), 1);
  DS->Post();
  EXPECT_EQ(F("KIND")->GetAsString(), "nut");
}

// A binding moved from one open data source to another binds the new data set's field: the
// editor shows and writes the new record, and the old data set is left alone.
TEST_F(DBEditTest, ABindingMovedToAnotherOpenSourceTakesItsField) {
  TDataSource* secondSource = AddSecondSource("NAME", "Zulu");
  TDataSet* second = secondSource->DataSet();
  auto* e = Add<TcxDBTextEdit>("NAME");
  auto* list = AddKindList(TRect{160, 4, 260, 84});
  Show();
  EXPECT_EQ(Shown(e), "Apple");
  e->GetDataBinding()->SetDataSource(secondSource);
  Pump();
  EXPECT_EQ(e->GetDataBinding()->Field(), second->FieldByName("NAME"));
  EXPECT_EQ(Shown(e), "Zulu");
  Focus(e);
  e->SelectAll();
  Type("Yak");
  Focus(list->InnerListBox());
  EXPECT_EQ(DS->State(), dsBrowse);
  second->Post();
  EXPECT_EQ(second->FieldByName("NAME")->GetAsString(), "Yak");
  EXPECT_EQ(F("NAME")->GetAsString(), "Apple");
  // The plain controls' binding as well.
  TcxDBDataBinding* binding = list->GetDataBinding();
  binding->SetDataField("NAME");
  binding->SetDataSource(secondSource);
  EXPECT_EQ(binding->Field(), second->FieldByName("NAME"));
  binding->SetDataSource(Source);
  EXPECT_EQ(binding->Field(), F("NAME"));
}

// A binding copied from one on another data source whose field the first source lacks (and
// the other way round) takes source and field together, without a field-not-found error.
TEST_F(DBEditTest, ABindingCopiedFromAnotherSourceTakesItsFieldThere) {
  TDataSource* secondSource = AddSecondSource("TITLE", "Zulu");
  TDataSet* second = secondSource->DataSet();
  auto* there = New<TcxDBTextEdit>(form);
  there->SetParent(form);
  there->GetDataBinding()->SetDataSource(secondSource);
  there->GetDataBinding()->SetDataField("TITLE");
  auto* here = Add<TcxDBTextEdit>("NAME");
  Show();
  here->SetDataBinding(there->GetDataBinding());
  EXPECT_EQ(here->GetDataBinding()->Field(), second->FieldByName("TITLE"));
  EXPECT_EQ(Shown(here), "Zulu");
  auto* back = Add<TcxDBTextEdit>("KIND");
  there->SetDataBinding(back->GetDataBinding());
  EXPECT_EQ(there->GetDataBinding()->Field(), F("KIND"));
  // The plain controls' binding, both ways.
  auto* list = AddKindList(TRect{160, 4, 260, 84});
  Owned<TcxDBDataBinding> copy(New<TcxDBDataBinding>(nullptr, nullptr));
  copy->SetDataSource(secondSource);
  copy->SetDataField("TITLE");
  list->SetDataBinding(copy.get());
  EXPECT_EQ(list->GetDataBinding()->Field(), second->FieldByName("TITLE"));
  copy->SetDataSource(nullptr);
  copy->SetDataField("KIND");
  copy->SetDataSource(Source);
  list->SetDataBinding(copy.get());
  EXPECT_EQ(list->GetDataBinding()->Field(), F("KIND"));
  EXPECT_EQ(list->GetItemIndex(), 0);
}

// A persistent field freed while its data set is open: the editor lets it go at once and
// shows nothing, and the data set goes on without it.
TEST_F(DBEditTest, AFreedFieldUnbindsItsEditor) {
  auto* ds = New<TMemoryDataSet>(form);
  auto* id = AddTestField<TIntegerField>(form, ds, "ID");
  auto* name = AddTestField<TStringField>(form, ds, "NAME");
  ds->AddRecord({1, "a"});
  ds->AddRecord({2, "b"});
  auto* source = New<TDataSource>(form);
  source->SetDataSet(ds);
  ds->Open();
  auto* e = New<TcxDBTextEdit>(form);
  e->SetParent(form);
  e->GetDataBinding()->SetDataSource(source);
  e->GetDataBinding()->SetDataField("NAME");
  auto* key = New<TcxDBSpinEdit>(form);
  key->SetBounds(10, 40, 100, 21);
  key->SetParent(form);
  key->GetDataBinding()->SetDataSource(source);
  key->GetDataBinding()->SetDataField("ID");
  Show();
  EXPECT_EQ(Shown(e), "a");
  name->Free();
  Pump();
  EXPECT_EQ(e->GetDataBinding()->Field(), nullptr);
  EXPECT_FALSE(e->DataBinding()->IsDataAvailable());
  EXPECT_EQ(Shown(e), "");
  ds->Next();
  ds->Edit();
  id->SetAsInteger(5);
  ds->Post();
  Pump();
  EXPECT_EQ(Shown(e), "");
  EXPECT_EQ(key->GetEditValue().AsInteger(), 5);
  // Typing into the unbound editor starts no edit.
  Focus(e);
  Type("x");
  EXPECT_EQ(ds->State(), dsBrowse);
}

}  // namespace

