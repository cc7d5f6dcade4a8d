// Editor properties: update locking around one change notice, silence while the owner is
// destroyed, Assign, the alignment's working copy, read-only and modification with bound
// defaults, provider clean-up, validation handlers, and the class registry.
#include "tests/editcore/EditSettingsTestSupport.h"

namespace {

using A = TAlignment;
using V = TcxEditVertAlignment;

class EditPropertiesTest : public EditSettingsTest {
 protected:
  void SetUp() override {
    EditSettingsTest::SetUp();
    props.reset(New<TTestEditProperties>(nullptr));
    props->OnPropertiesChanged = counter.Handler();
  }
  void TearDown() override {
    props.reset();
    EditSettingsTest::TearDown();
  }
  TNoticeCounter counter;
  Owned<TTestEditProperties> props;
  int& changes = counter.Count;
};

TEST_F(EditPropertiesTest, NestedUpdatesFireOneChangeAtTheOutermostEnd) {
  props->EndUpdate();  // at a count of 0: nothing
  EXPECT_EQ(props->UpdateCount(), 0);
  props->BeginUpdate();
  props->BeginUpdate();
  props->SetBeepOnError(true);
  props->SetImmediatePost(true);
  props->EndUpdate();
  EXPECT_EQ(changes, 0);
  props->EndUpdate();
  EXPECT_EQ(changes, 1);
  props->BeginUpdate();
  props->SetClearKey(46);
  props->EndUpdate(false);
  EXPECT_EQ(changes, 1) << "an outermost end without invoking";
  props->LockUpdate(true);
  props->SetTransparent(true);
  props->LockUpdate(false);
  EXPECT_EQ(changes, 1);
  props->SetTransparent(true);  // same value: no notice
  props->SetTransparent(false);
  EXPECT_EQ(changes, 2);
}

TEST_F(EditPropertiesTest, NothingFiresWhileTheOwnerIsBeingDestroyed) {
  int notices = 0;
  auto* edit = New<TTestEdit>(nullptr);
  edit->Notices = &notices;
  edit->GetOwnProperties()->SetValidateOnEnter(true);
  ASSERT_EQ(notices, 1);
  // The editor changes its own properties from its BeforeDestruction: no notice may reach it.
  edit->Free();
  EXPECT_EQ(notices, 1);
}

TEST_F(EditPropertiesTest, AssignCopiesInOneNoticeAndKeepsTheReadOnlyFlagOfTheSource) {
  TMemoryDefaultValuesProvider provider;
  // Two items of one name in two repositories: their streams compare the stored settings.
  Owned<TcxEditRepository> repoA(New<TcxEditRepository>(nullptr)), repoB(New<TcxEditRepository>(nullptr));
  TcxEditRepositoryItem* from = repoA->CreateItem(cxEditRepositoryItemClassOf<TTestRepositoryItem>());
  TcxEditRepositoryItem* to = repoB->CreateItem(cxEditRepositoryItemClassOf<TTestRepositoryItem>());
  from->SetName("Item");
  to->SetName("Item");
  TcxCustomEditProperties* src = from->GetProperties();
  TcxCustomEditProperties* dst = to->GetProperties();
  TNoticeCounter handlers;
  src->SetAutoSelect(false);
  src->GetButtons()->Add()->SetKind(TcxEditButtonKind::bkEllipsis);
  src->SetButtonsViewStyle(TcxEditButtonsViewStyle::bvsButtonsOnly);
  src->SetBeepOnError(true);
  src->SetClearKey(46);
  src->SetClickKey(13);
  src->SetUseLeftAlignmentOnEditing(false);
  src->SetIDefaultValuesProvider(&provider);
  src->GetAlignment()->SetVert(V::taVCenter);
  src->SetImmediatePost(true);
  src->SetTransparent(true);
  src->SetValidateOnEnter(true);
  src->OnChange = handlers.Handler();
  src->OnClosePopup = {&handlers, &TNoticeCounter::ClosePopup};
  src->OnPropertiesChanged = handlers.Handler();
  dst->SetReadOnly(true);
  dst->OnPropertiesChanged = counter.Handler();
  changes = 0;

  dst->Assign(src);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(Write(to), Write(from)) << "every stored setting copied; the unset ReadOnly cleared";
  EXPECT_EQ(dst->GetButtonsViewStyle(), TcxEditButtonsViewStyle::bvsButtonsOnly);
  EXPECT_EQ(dst->GetIDefaultValuesProvider(), static_cast<IcxEditDefaultValuesProvider*>(&provider));
  EXPECT_EQ(dst->OnChange, src->OnChange);
  EXPECT_FALSE(dst->OnClosePopup) << "the close-up handler stays the editor's own";
  EXPECT_EQ(dst->OnPropertiesChanged, counter.Handler()) << "so does the change handler";
  provider.ReadOnly = true;
  EXPECT_TRUE(dst->GetReadOnly()) << "the cleared flag follows the provider";
  src->SetReadOnly(false);
  dst->Assign(src);
  EXPECT_TRUE(dst->IsReadOnlyAssigned());
  EXPECT_FALSE(dst->GetReadOnly());
  src->ClearDefaultValuesProvider();
  dst->ClearDefaultValuesProvider();
}

TEST_F(EditPropertiesTest, ReadingTheAlignmentNotifiesNobodyAndUnsetHorzFollowsTheProvider) {
  TMemoryDefaultValuesProvider provider;
  props->SetIDefaultValuesProvider(&provider);
  changes = 0;
  for (int i = 0; i < 3; ++i) EXPECT_EQ(props->GetAlignment()->GetHorz(), A::taRightJustify);
  EXPECT_EQ(changes, 0);
  provider.Alignment = A::taCenter;
  EXPECT_EQ(props->GetAlignment()->GetHorz(), A::taCenter);
  props->GetAlignment()->SetHorz(A::taLeftJustify);  // set explicitly: the provider no longer counts
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(props->GetAlignment()->GetHorz(), A::taLeftJustify);
  EXPECT_TRUE(props->GetAlignment()->IsHorzAssigned());
  props->RestoreDefaults();
  EXPECT_EQ(props->GetAlignment()->GetHorz(), A::taCenter);
  EXPECT_EQ(changes, 2);
  props->ClearDefaultValuesProvider();
}

TEST_F(EditPropertiesTest, ReadOnlyAndModificationFollowTheBoundDefaults) {
  auto* provider = New<TMemoryDefaultValuesProvider>();
  props->SetIDefaultValuesProvider(provider);
  struct Row {
    int assigned;  // -1 none, 0 False, 1 True
    bool providerReadOnly, canEdit, readOnly, canModify;
  };
  const Row rows[] = {
      {-1, false, true, false, true},  {-1, false, false, false, false}, {-1, true, true, true, false},
      {0, true, false, false, true},   {1, false, true, true, false},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << r.assigned << r.providerReadOnly << r.canEdit);
    props->RestoreDefaults();
    if (r.assigned >= 0) props->SetReadOnly(r.assigned == 1);
    provider->ReadOnly = r.providerReadOnly;
    provider->CanEdit = r.canEdit;
    EXPECT_EQ(props->GetReadOnly(), r.readOnly);
    EXPECT_EQ(props->CanModify(), r.canModify);
  }
  // A provider that goes drops out of every properties object that used it.
  Owned<TTestEditProperties> other(New<TTestEditProperties>(nullptr));
  other->SetIDefaultValuesProvider(provider);
  provider->Free();
  EXPECT_EQ(props->GetIDefaultValuesProvider(), nullptr);
  EXPECT_EQ(other->GetIDefaultValuesProvider(), nullptr);
  props->RestoreDefaults();
  EXPECT_TRUE(props->CanModify());
}

TEST_F(EditPropertiesTest, DisplayFormatsComeFromTheProviderOnlyForKindsThatSupportThem) {
  class TFormatted : public TTestEditProperties {
   public:
    using TTestEditProperties::TTestEditProperties;
    TcxEditDisplayFormatOptions GetDisplayFormatOptions() const override {
      return {TcxEditDisplayFormatOption::dfoSupports, TcxEditDisplayFormatOption::dfoNoCurrencyValue};
    }
    TcxDataEditValueSource GetEditValueSource(bool AFocused) const override {
      return AFocused ? TcxDataEditValueSource::evsValue : TcxDataEditValueSource::evsText;
    }
  };
  TMemoryDefaultValuesProvider provider;
  provider.IsCurrency = true;
  Owned<TFormatted> f(New<TFormatted>(nullptr));
  f->SetIDefaultValuesProvider(&provider);
  props->SetIDefaultValuesProvider(&provider);
  EXPECT_FALSE(f->IsDisplayFormatDefined(false)) << "currency does not count for this kind";
  provider.HasDisplayFormat = true;
  EXPECT_TRUE(f->IsDisplayFormatDefined(false));
  EXPECT_FALSE(f->IsDisplayFormatDefined(true));
  EXPECT_TRUE(f->IsValueFormattedByProvider());
  EXPECT_FALSE(props->IsDisplayFormatDefined(false));
  EXPECT_FALSE(props->IsValueFormattedByProvider());
  f->ClearDefaultValuesProvider();
  props->ClearDefaultValuesProvider();
}

// Handlers of the editor's own and of its repository item's properties.
class TValidators : public TObject {
 public:
  void Own(TObject*, Variant& V, String& E, bool& Err) {
    Calls.push_back("own");
    if (Fail) Err = true;
    if (Rewrite) V = Variant(String("fixed"));
    E += "+own";
  }
  void Item(TObject*, Variant&, String& E, bool&) {
    Calls.push_back("item");
    E += "+item";
  }
  std::vector<String> Calls;
  bool Fail = false, Rewrite = false;
};

TEST_F(EditPropertiesTest, ValidationRunsOwnThenItemHandlersAndRestoresAnUntouchedFailedText) {
  Owned<TTestEdit> edit(New<TTestEdit>(nullptr));
  Owned<TcxEditRepository> repo(New<TcxEditRepository>(nullptr));
  TcxEditRepositoryItem* item = repo->CreateItem(cxEditRepositoryItemClassOf<TTestRepositoryItem>());
  edit->SetRepositoryItem(item);
  TValidators v;
  edit->GetOwnProperties()->OnValidate = {&v, &TValidators::Own};
  item->GetProperties()->OnValidate = {&v, &TValidators::Item};
  v.Fail = true;
  Variant value(String("entered"));
  String error;
  bool failed = false;
  edit->GetActiveProperties()->ValidateDisplayValue(value, error, failed, edit.get());
  EXPECT_EQ(v.Calls, (std::vector<String>{"own", "item"}));
  EXPECT_EQ(error, "Invalid+own+item") << "the kind's text fills an empty error first";
  EXPECT_TRUE(failed);
  EXPECT_EQ(VarToStr(value), "typed") << "failed and untouched: the editor's current text again";
  v.Rewrite = true;
  failed = false;
  edit->GetActiveProperties()->ValidateDisplayValue(value, error, failed, edit.get());
  EXPECT_EQ(VarToStr(value), "fixed");
  // Without handlers nothing runs.
  edit->GetOwnProperties()->OnValidate = nullptr;
  item->GetProperties()->OnValidate = nullptr;
  failed = false;
  value = Variant(String("x"));
  edit->GetActiveProperties()->ValidateDisplayValue(value, error, failed, edit.get());
  EXPECT_FALSE(failed);
  EXPECT_EQ(VarToStr(value), "x");
}

TEST_F(EditPropertiesTest, TheRegistryIsSortedAndEveryPropertiesObjectIsLive) {
  TcxRegisteredClasses* reg = cxGetRegisteredEditProperties();
  reg->Register(&TTestEditProperties::StaticClass(), "Test|Represents a test editor");
  reg->Register(&TcxCustomEditProperties::StaticClass(), "Base|Represents a base editor");
  EXPECT_EQ(reg->Items(0), &TcxCustomEditProperties::StaticClass());
  EXPECT_EQ(reg->GetDescriptionByClass(&TTestEditProperties::StaticClass()), "Represents a test editor");
  const auto& live = cxEditLivePropertiesList();
  EXPECT_NE(std::find(live.begin(), live.end(), props.get()), live.end());
  Owned<TcxCustomEditProperties> same(props->CreateSameClass());
  EXPECT_EQ(&same->ClassType(), &TTestEditProperties::StaticClass());
  EXPECT_EQ(same->GetOwner(), nullptr);
  EXPECT_EQ(props->GetSupportedOperations(), TcxEditSupportedOperations{});
  props->GetButtons()->Add();
  EXPECT_EQ(props->GetSupportedOperations(), TcxEditSupportedOperations{TcxEditSupportedOperation::esoHotTrack});
}

}  // namespace
