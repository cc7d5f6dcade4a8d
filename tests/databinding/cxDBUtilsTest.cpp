// The field-name lists, the questions asked of fields, reading and writing several fields
// at once, and the adapter registry against a brute-force model of "nearest registered
// ancestor" over every registration order.
#include "tests/databinding/DatabindingTestSupport.h"
#include "widgets/databinding/cxDBUtils.h"

#include <algorithm>

using enum TFieldType;

namespace {

class FieldRoutines : public DatabindingDataTest {
 protected:
  void SetUp() override {
    DatabindingDataTest::SetUp();
    Owner.reset(New<TComponent>(nullptr));
  }
  void TearDown() override {
    Owner.reset();
    DatabindingDataTest::TearDown();
  }
  Owned<TComponent> Owner;
};

TEST_F(FieldRoutines, NameListsTrimAndSkipEmptyEntries) {
  EXPECT_EQ(cxGetFieldNameCount(""), 0);
  EXPECT_EQ(cxGetFieldNameCount("ID"), 1);
  EXPECT_EQ(cxGetFieldNameCount(" A ; B;C"), 3);
  EXPECT_EQ(cxGetFieldNameCount("A;;B;"), 2);
  EXPECT_FALSE(cxIsMultipleFieldNames("A;"));
  EXPECT_FALSE(cxIsMultipleFieldNames(" A "));
  EXPECT_TRUE(cxIsMultipleFieldNames("A; B"));
  Owned<TStringList> list(New<TStringList>());
  list->Add("old");
  cxGetFieldNames(" First ;; Second Name ;", list.get());
  ASSERT_EQ(list->Count(), 2);
  EXPECT_EQ(list->Strings(0), "First");
  EXPECT_EQ(list->Strings(1), "Second Name");
}

TEST_F(FieldRoutines, FilterNameBracketsNonIdentifiersAndDoublesClosingBrackets) {
  TMemoryDataSet* ds = MakeTestDataSet(Owner.get(), {{"ID", ftInteger},
                                                     {"Unit Price", ftFloat},
                                                     {"a]b", ftString, 10},
                                                     {"_x1", ftString, 10}});
  ds->AddRecord({1, 2.5, "one", "x"});
  ds->AddRecord({2, 7.0, "two", "y"});
  ds->Open();
  EXPECT_EQ(cxGetFilterFieldName(nullptr, false), "");
  EXPECT_EQ(cxGetFilterFieldName(ds->FieldByName("ID"), false), "ID");
  EXPECT_EQ(cxGetFilterFieldName(ds->FieldByName("_x1"), false), "_x1");
  EXPECT_EQ(cxGetFilterFieldName(ds->FieldByName("Unit Price"), false), "[Unit Price]");
  EXPECT_EQ(cxGetFilterFieldName(ds->FieldByName("a]b"), false), "[a]]b]");
  // The Origin wins unless ignored, and comes back as it is.
  ds->FieldByName("ID")->SetOrigin("T.ID X");
  EXPECT_EQ(cxGetFilterFieldName(ds->FieldByName("ID"), false), "T.ID X");
  EXPECT_EQ(cxGetFilterFieldName(ds->FieldByName("ID"), true), "ID");
  // The names round-trip through the data set's own filter.
  ds->SetFilter(cxGetFilterFieldName(ds->FieldByName("a]b"), true) + " = 'two'");
  ds->SetFiltered(true);
  EXPECT_EQ(ds->RecordCount(), 1);
  EXPECT_EQ(ds->FieldByName("ID")->GetAsInteger(), 2);
  ds->SetFilter(cxGetFilterFieldName(ds->FieldByName("Unit Price"), true) + " < 3");
  EXPECT_EQ(ds->FieldByName("ID")->GetAsInteger(), 1);
}

TEST_F(FieldRoutines, TextEqualsUsesTheCodePageCase) {
  EXPECT_TRUE(cxTextEquals("abc", "ABC"));
  EXPECT_TRUE(cxTextEquals("\x9A\xE9", "\x8A\xC9"));  // š é against Š É
  EXPECT_FALSE(cxTextEquals("abc", "abd"));
}

class TTextHandler : public TObject {
 public:
  void GetText(TField*, String& Text, bool) { Text = "t"; }
  void SetText(TField*, const String&) {}
  void RejectZ(TField* Field) {
    if (Field->GetAsString() == "z") DatabaseError("z is refused");
  }
};

TEST_F(FieldRoutines, EditableDisplayTextAndCurrencyQuestions) {
  TMemoryDataSet* ds = MakeTestDataSet(Owner.get(), {{"ID", ftInteger},
                                                     {"PRICE", ftFloat},
                                                     {"COST", ftBCD},
                                                     {"PIC", ftBlob},
                                                     {"RAW", ftBytes, 4},
                                                     {"OK", ftBoolean},
                                                     {"WHEN", ftDateTime},
                                                     {"NAME", ftString, 10}});
  ds->Open();
  TTextHandler handler;
  TField* id = ds->FieldByName("ID");
  auto* price = static_cast<TFloatField*>(ds->FieldByName("PRICE"));
  auto* cost = static_cast<TBCDField*>(ds->FieldByName("COST"));
  TField* pic = ds->FieldByName("PIC");
  TField* raw = ds->FieldByName("RAW");
  TField* name = ds->FieldByName("NAME");

  // Editable: the field's own CanModify first, then the kind unless ignored.
  EXPECT_TRUE(cxIsFieldEditable(id, false));
  EXPECT_FALSE(cxIsFieldEditable(pic, false));
  EXPECT_FALSE(cxIsFieldEditable(raw, false));
  EXPECT_TRUE(cxIsFieldEditable(pic, true));
  pic->OnSetText = {&handler, &TTextHandler::SetText};
  EXPECT_TRUE(cxIsFieldEditable(pic, false));
  name->SetReadOnly(true);
  EXPECT_FALSE(cxIsFieldEditable(name, true));

  // Display text needed.
  EXPECT_FALSE(cxIsFieldDisplayTextNeeded(id, true));
  EXPECT_TRUE(cxIsFieldDisplayTextNeeded(pic, true));
  EXPECT_FALSE(cxIsFieldDisplayTextNeeded(pic, false));
  EXPECT_TRUE(cxIsFieldDisplayTextNeeded(ds->FieldByName("OK"), true));
  EXPECT_FALSE(cxIsFieldDisplayTextNeeded(ds->FieldByName("OK"), false));
  EXPECT_FALSE(cxIsFieldDisplayTextNeeded(ds->FieldByName("WHEN"), true));
  static_cast<TDateTimeField*>(ds->FieldByName("WHEN"))->SetDisplayFormat("yyyy");
  EXPECT_TRUE(cxIsFieldDisplayTextNeeded(ds->FieldByName("WHEN"), false));
  EXPECT_FALSE(cxIsFieldDisplayTextNeeded(price, true));
  price->SetCurrency(true);
  EXPECT_TRUE(cxIsFieldDisplayTextNeeded(price, false));
  static_cast<TNumericField*>(id)->SetEditFormat("0");
  EXPECT_TRUE(cxIsFieldDisplayTextNeeded(id, false));
  name->SetEditMask("999;0;_");
  EXPECT_TRUE(cxIsFieldDisplayTextNeeded(name, false));

  // Currency: the flag, unless the field formats its text itself.
  EXPECT_TRUE(cxIsCurrencyField(price));
  EXPECT_FALSE(cxIsCurrencyField(cost));
  cost->SetCurrency(true);
  EXPECT_TRUE(cxIsCurrencyField(cost));
  cost->SetDisplayFormat("0.00");
  EXPECT_FALSE(cxIsCurrencyField(cost));
  price->OnGetText = {&handler, &TTextHandler::GetText};
  EXPECT_FALSE(cxIsCurrencyField(price));
  EXPECT_FALSE(cxIsCurrencyField(id));
}

// A data set with two key fields and a lookup field keyed on both, over a list of names.
class KeyedFields : public FieldRoutines {
 protected:
  void SetUp() override {
    FieldRoutines::SetUp();
    List = MakeTestDataSet(Owner.get(), {{"A", ftInteger}, {"B", ftString, 5}, {"TITLE", ftString, 20}});
    List->AddRecord({1, "x", "One X"});
    List->AddRecord({2, "y", "Two Y"});
    Main = New<TMemoryDataSet>(Owner.get());
    auto* id = New<TIntegerField>(Owner.get());
    id->SetFieldName("ID");
    id->SetDataSet(Main);
    KA = New<TIntegerField>(Owner.get());
    KA->SetFieldName("KA");
    KA->SetDataSet(Main);
    KB = New<TStringField>(Owner.get());
    KB->SetFieldName("KB");
    KB->SetDataSet(Main);
    Title = New<TStringField>(Owner.get());
    Title->SetFieldName("TITLE");
    Title->SetFieldKind(TFieldKind::fkLookup);
    Title->SetKeyFields("KA;KB");
    Title->SetLookupDataSet(List);
    Title->SetLookupKeyFields("A;B");
    Title->SetLookupResultField("TITLE");
    Title->SetDataSet(Main);
    Main->AddRecord({10, 1, "x"});
    List->Open();
    Main->Open();
    Main->Edit();
  }
  std::vector<TField*> Keys() const { return {KA, KB}; }
  TMemoryDataSet* List = nullptr;
  TMemoryDataSet* Main = nullptr;
  TField* KA = nullptr;
  TField* KB = nullptr;
  TField* Title = nullptr;
};

TEST_F(KeyedFields, ReadingOneOrSeveralFields) {
  EXPECT_TRUE(VarIsNull(cxGetFieldValues({})));
  EXPECT_EQ(cxGetFieldValues({KA}).AsInteger(), 1);
  const Variant both = cxGetFieldValues(Keys());
  ASSERT_TRUE(VarIsArray(both));
  EXPECT_EQ(VarArrayLowBound(both), 0);
  EXPECT_EQ(VarArrayHighBound(both), 1);
  EXPECT_EQ(VarArrayGet(both, 0).AsInteger(), 1);
  EXPECT_EQ(VarArrayGet(both, 1).AsString(), "x");
  EXPECT_EQ(Title->GetAsString(), "One X");
  KB->Clear();
  EXPECT_TRUE(VarIsNull(cxGetFieldValue(KB)));
}

TEST_F(KeyedFields, WritingSeveralFieldsTakesArraysAndClearsOnNull) {
  cxSetFieldValues(Keys(), VarArrayOf({2, "y"}));
  EXPECT_EQ(KA->GetAsInteger(), 2);
  EXPECT_EQ(KB->GetAsString(), "y");
  EXPECT_EQ(Title->GetAsString(), "Two Y");
  // An array with other bounds is taken from its low bound.
  Variant shifted = VarArrayCreate(1, 2, varVariant);
  VarArrayPut(shifted, 1, 1);
  VarArrayPut(shifted, "x", 2);
  cxSetFieldValues(Keys(), shifted);
  EXPECT_EQ(KA->GetAsInteger(), 1);
  EXPECT_EQ(KB->GetAsString(), "x");
  // Null and Unassigned clear every key.
  cxSetFieldValues(Keys(), Null());
  EXPECT_TRUE(KA->IsNull());
  EXPECT_TRUE(KB->IsNull());
  cxSetFieldValues(Keys(), VarArrayOf({2, "y"}));
  cxSetFieldValues(Keys(), Unassigned());
  EXPECT_TRUE(KA->IsNull() && KB->IsNull());
  EXPECT_TRUE(Title->IsNull());
}

TEST_F(KeyedFields, AWrongShapeOrARejectedValueLeavesEveryFieldAsItWas) {
  cxSetFieldValues(Keys(), VarArrayOf({2, "y"}));
  const auto unchanged = [&] { return KA->GetAsInteger() == 2 && KB->GetAsString() == "y"; };
  EXPECT_THROW(cxSetFieldValues(Keys(), 5), EDatabaseError);
  EXPECT_TRUE(unchanged());
  EXPECT_THROW(cxSetFieldValues(Keys(), VarArrayOf({1})), EDatabaseError);
  EXPECT_TRUE(unchanged());
  EXPECT_THROW(cxSetFieldValues(Keys(), VarArrayOf({1, "x", 3})), EDatabaseError);
  EXPECT_TRUE(unchanged());
  // The second field rejects its value: the first is put back.
  TTextHandler handler;
  KB->OnValidate = {&handler, &TTextHandler::RejectZ};
  EXPECT_ANY_THROW(cxSetFieldValues(Keys(), VarArrayOf({1, "z"})));
  EXPECT_TRUE(unchanged());
  // No fields: nothing to write, whatever the value.
  cxSetFieldValues({}, VarArrayOf({1, 2, 3}));
}

TEST_F(KeyedFields, DateTimeFieldsTakeDoublesAsDates) {
  TMemoryDataSet* ds = MakeTestDataSet(Owner.get(), {{"WHEN", ftDateTime}, {"N", ftFloat}});
  ds->Open();
  ds->Append();
  cxSetFieldValue(ds->FieldByName("WHEN"), 45000.25);
  EXPECT_EQ(VarType(ds->FieldByName("WHEN")->GetAsVariant()), varDate);
  EXPECT_DOUBLE_EQ(double(ds->FieldByName("WHEN")->GetAsDateTime()), 45000.25);
  cxSetFieldValue(ds->FieldByName("N"), 1.5);
  EXPECT_EQ(VarType(ds->FieldByName("N")->GetAsVariant()), varDouble);
}

TEST_F(KeyedFields, LookupKeysModifiableOnlyWhenEveryKeyFieldIs) {
  EXPECT_TRUE(cxCanModifyFields(Title));
  KB->SetReadOnly(true);
  EXPECT_FALSE(cxCanModifyFields(Title));
  KB->SetReadOnly(false);
  Main->Cancel();
  Main->Close();
  Title->SetKeyFields("KA;MISSING");
  EXPECT_FALSE(cxCanModifyFields(Title));
  Title->SetKeyFields(" ; ");
  EXPECT_FALSE(cxCanModifyFields(Title));
  auto* loose = New<TStringField>(Owner.get());
  loose->SetKeyFields("KA");
  EXPECT_FALSE(cxCanModifyFields(loose));
}

// ---- adapters ----

// A small tree of data-set classes: TDataSet > TMemoryDataSet > {TTestMemoryQuery,
// TTestDetailDataSet}, plus a class of its own under TDataSet.
class TOtherDataSet : public TDataSet {
  TL_CLASS(TOtherDataSet, TDataSet)
 public:
  explicit TOtherDataSet(TComponent* AOwner) : TDataSet(AOwner) {}

 protected:
  void InternalOpen() override {}
  void InternalClose() override {}
  Integer InternalRecordCount() const override { return 0; }
  std::vector<Variant> InternalReadRecord(Integer) const override { return {}; }
  TBookmarkStr InternalBookmark(Integer) const override { return {}; }
  Integer InternalFindBookmark(const TBookmarkStr&) const override { return -1; }
  Integer InternalPost(Integer, bool, const std::vector<Variant>&) override { return 0; }
  void InternalDelete(Integer) override {}
};

class TTagAdapter : public TcxDBAdapterItem {
  TL_CLASS(TTagAdapter, TcxDBAdapterItem)
 public:
  using TcxDBAdapterItem::TcxDBAdapterItem;
};
class TOtherTagAdapter : public TcxDBAdapterItem {
  TL_CLASS(TOtherTagAdapter, TcxDBAdapterItem)
 public:
  using TcxDBAdapterItem::TcxDBAdapterItem;
};

}  // namespace

TL_DEFINE_CLASS(TOtherDataSet)
TL_DEFINE_CLASS(TTagAdapter)
TL_DEFINE_CLASS(TOtherTagAdapter)

namespace {

const TClass* const kClasses[] = {&TDataSet::StaticClass(), &TMemoryDataSet::StaticClass(),
                                  &TTestMemoryQuery::StaticClass(),
                                  &TTestDetailDataSet::StaticClass(), &TOtherDataSet::StaticClass()};

// The model: the registered class among ASet that is AClass or its nearest ancestor.
const TClass* NearestRegistered(const TClass* AClass, const std::vector<const TClass*>& ASet) {
  for (const TClass* c = AClass; c; c = c->ClassParent())
    if (std::find(ASet.begin(), ASet.end(), c) != ASet.end()) return c;
  return nullptr;
}

TEST(AdapterList, AnswersTheNearestRegisteredAncestorInEveryRegistrationOrder) {
  const TcxDBAdapterItemClass tag = ClassOf<TTagAdapter, TcxDBAdapterItem, const TClass*>();
  // Every subset of the classes, registered in every order.
  int orders = 0;
  for (unsigned mask = 1; mask < (1u << std::size(kClasses)); ++mask) {
    std::vector<const TClass*> set;
    for (size_t i = 0; i < std::size(kClasses); ++i)
      if (mask & (1u << i)) set.push_back(kClasses[i]);
    std::sort(set.begin(), set.end());
    do {
      Owned<TcxDBAdapterList> list(New<TcxDBAdapterList>());
      for (const TClass* c : set) list->RegisterAdapter(c, tag);
      ASSERT_EQ(list->Count(), Integer(set.size()));
      for (const TClass* query : kClasses) {
        const TClass* expected = NearestRegistered(query, set);
        Integer index = 99;
        const bool found = list->FindAdapter(query, index);
        ASSERT_EQ(found, expected != nullptr) << query->ClassName();
        if (found) {
          ASSERT_EQ(list->GetItem(index)->DataSetClass(), expected) << query->ClassName();
        } else {
          // Not found: the first place of a registered descendant, or -1.
          Integer first = -1;
          for (Integer i = 0; i < list->Count(); ++i)
            if (list->GetItem(i)->DataSetClass()->InheritsFrom(*query)) {
              first = i;
              break;
            }
          ASSERT_EQ(index, first) << query->ClassName();
        }
      }
      ++orders;
    } while (std::next_permutation(set.begin(), set.end()));
  }
  EXPECT_EQ(orders, 325);  // sum over k of C(5,k)·k!
}

TEST(AdapterList, UnregisteringTakesOnlyTheExactAdapterClassOfTheExactDataSetClass) {
  const TcxDBAdapterItemClass tag = ClassOf<TTagAdapter, TcxDBAdapterItem, const TClass*>();
  const TcxDBAdapterItemClass other = ClassOf<TOtherTagAdapter, TcxDBAdapterItem, const TClass*>();
  Owned<TcxDBAdapterList> list(New<TcxDBAdapterList>());
  const TClass* base = &TDataSet::StaticClass();
  const TClass* memory = &TMemoryDataSet::StaticClass();
  list->RegisterAdapter(base, tag);
  list->RegisterAdapter(memory, tag);
  list->RegisterAdapter(memory, other);
  list->RegisterAdapter(memory, tag);
  ASSERT_EQ(list->Count(), 4);
  // The latest registration for the same class is met first.
  Integer index = -1;
  ASSERT_TRUE(list->FindAdapter(memory, index));
  EXPECT_EQ(index, 3);
  list->UnregisterAdapter(memory, tag);
  ASSERT_EQ(list->Count(), 2);
  EXPECT_EQ(&list->GetItem(1)->ClassType(), &TOtherTagAdapter::StaticClass());
  list->UnregisterAdapter(&TTestMemoryQuery::StaticClass(), other);
  EXPECT_EQ(list->Count(), 2);
  list->UnregisterAdapter(memory, other);
  list->UnregisterAdapter(base, tag);
  EXPECT_EQ(list->Count(), 0);
  EXPECT_FALSE(list->FindAdapter(memory, index));
  EXPECT_EQ(index, -1);
  EXPECT_THROW(list->GetItem(0), EListError);
}

// ---- the test-only data sets ----

TEST_F(FieldRoutines, QueryFixtureOpensOnTheRowsItsParametersName) {
  auto* q = MakeTestDataSet<TTestMemoryQuery>(Owner.get(), {{"ID", ftInteger}, {"GRP", ftString, 5}});
  q->AddRow({1, "a"});
  q->AddRow({2, "b"});
  q->AddRow({3, "a"});
  q->AddRow({4, Null()});
  EXPECT_NE(Pos("QUERY", AnsiUpperCase(q->ClassName())), 0);
  q->Open();
  EXPECT_EQ(q->RecordCount(), 4);
  q->Close();
  q->GetParams()->CreateParam(ftString, "grp")->SetValue("a");
  q->Open();
  EXPECT_EQ(q->RecordCount(), 2);
  EXPECT_EQ(q->FieldByName("ID")->GetAsInteger(), 1);
  q->Close();
  q->GetParams()->SetParamValues("GRP", Null());
  q->Open();
  ASSERT_EQ(q->RecordCount(), 1);
  EXPECT_EQ(q->FieldByName("ID")->GetAsInteger(), 4);
  q->Close();
  q->GetParams()->CreateParam(ftInteger, "NOPE");
  EXPECT_THROW(q->Open(), EDatabaseError);
  EXPECT_FALSE(q->Active());
  EXPECT_EQ(q->OpenCount(), 4);
}

TEST_F(FieldRoutines, DetailFixtureAnswersItsMasterSource) {
  auto* master = MakeTestDataSet(Owner.get(), {{"ID", ftInteger}});
  auto* source = New<TDataSource>(Owner.get());
  source->SetDataSet(master);
  auto* detail = MakeTestDataSet<TTestDetailDataSet>(Owner.get(), {{"ID", ftInteger}});
  EXPECT_EQ(detail->GetDataSource(), nullptr);
  detail->SetMasterSource(source);
  EXPECT_EQ(detail->GetDataSource(), source);
  EXPECT_EQ(detail->GetDataSource()->DataSet(), master);
  EXPECT_EQ(master->GetParams(), nullptr);
}

}  // namespace
