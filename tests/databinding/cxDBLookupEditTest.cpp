// The data-set lookup edit: key texts read three ways that must agree, the grid-mode cache
// and the list data set's position, the guards against circular links (with a master two
// levels up) and against changing what a lookup field defines, and the list settings.
#include "tests/databinding/DBLookupTestSupport.h"

#include <random>

namespace {

// The reference: a plain walk over the list data set, reading each record's fields.
String WalkText(TDataSet* ADataSet, const Variant& AKey) {
  if (VarIsNull(AKey) || VarIsEmpty(AKey)) return {};
  String r;
  ADataSet->DisableControls();
  const Integer at = ADataSet->RecNo();
  for (ADataSet->First(); !ADataSet->Eof(); ADataSet->Next())
    if (cxVariantsEqual(ADataSet->FieldByName("ID")->Value(), AKey)) {
      r = ADataSet->FieldByName("Name")->GetAsString();
      break;
    }
  ADataSet->SetRecNo(at);
  ADataSet->EnableControls();
  return r;
}

TEST_F(DBLookupTest, KeyTextsAgreeInLoadedModeGridModeAndAPlainWalk) {
  auto* c = MakeCombo();
  TcxLookupComboBoxProperties* p = c->GetProperties();
  std::mt19937 random(53);
  std::uniform_int_distribution<int> pick(0, 11);
  people->SetRecNo(3);
  // Grid mode holds a window of three records: most keys lie outside it.
  TcxDBDataController* dc = p->GetDBDataController();
  dc->DataModeController()->SetGridModeBufferCount(3);
  for (int i = 0; i < 200; ++i) {
    const int k = pick(random);
    // 0 stands for Null, 11 for a text key of the wrong type, the rest are keys 1..10.
    const Variant key = k == 0 ? Null() : k == 11 ? Variant(String("x")) : Variant(Integer(k));
    const String expected = k == 11 ? String() : WalkText(people, key);
    p->SetGridMode(false);
    ASSERT_FALSE(dc->IsGridMode());
    const String loaded = p->GetDisplayText(key);
    p->SetGridMode(true);
    ASSERT_TRUE(dc->IsGridMode());
    ASSERT_LE(dc->GetRecordCount(), 3);
    const String grid = p->GetDisplayText(key);
    const String cached = p->GetDisplayText(key);
    EXPECT_EQ(loaded, expected) << k;
    EXPECT_EQ(grid, expected) << k;
    EXPECT_EQ(cached, expected) << k;
    // Showing a key leaves the shared list where it was.
    ASSERT_EQ(people->RecNo(), 3) << k;
  }
  EXPECT_EQ(p->GetDisplayText(Variant(Integer(3))), "Bobby");
  EXPECT_EQ(p->GetDisplayText(Variant(Integer(6))), "");
}

// The list edited between the displays (names, keys, new and deleted records): both modes
// still agree with the walk, so whatever the searches keep is dropped with the change.
TEST_F(DBLookupTest, KeyTextsFollowEditsOfTheList) {
  auto* c = MakeCombo();
  TcxLookupComboBoxProperties* p = c->GetProperties();
  std::mt19937 random(531);
  auto pick = [&](int n) { return int(random() % unsigned(n)); };
  Integer nextId = 20;
  Integer checked = 0;
  for (int round = 0; round < 120; ++round) {
    SCOPED_TRACE(round);
    switch (pick(4)) {
      case 0:
        people->SetRecNo(pick(people->RecordCount()) + 1);
        people->Edit();
        people->FieldByName("Name")->SetAsString("n" + IntToStr(pick(50)));
        people->Post();
        break;
      case 1:
        people->SetRecNo(pick(people->RecordCount()) + 1);
        people->Edit();
        people->FieldByName("ID")->SetAsInteger(pick(int(nextId)));
        people->Post();
        break;
      case 2:
        people->Append();
        people->FieldByName("ID")->SetAsInteger(nextId++);
        people->FieldByName("Name")->SetAsString("new" + IntToStr(nextId));
        people->Post();
        break;
      default:
        if (people->RecordCount() > 3) {
          people->SetRecNo(pick(people->RecordCount()) + 1);
          people->Delete();
        }
        break;
    }
    for (int k = 0; k < 6; ++k) {
      const Variant key = Variant(Integer(pick(int(nextId))));
      const String expected = WalkText(people, key);
      p->SetGridMode(false);
      ASSERT_EQ(p->GetDisplayText(key), expected) << VarToStr(key);
      p->SetGridMode(true);
      ASSERT_EQ(p->GetDisplayText(key), expected) << VarToStr(key);
      ASSERT_EQ(p->GetDisplayText(key), expected) << VarToStr(key);
      if (!expected.empty()) ++checked;
    }
  }
  EXPECT_GT(checked, 120);
}

TEST_F(DBLookupTest, ARepeatedDisplayIsCachedAndAnyPropertyChangeEmptiesTheCache) {
  auto* c = MakeCombo();
  TcxLookupComboBoxProperties* p = c->GetProperties();
  p->SetGridMode(true);
  ASSERT_NE(p->Cache(), nullptr);
  EXPECT_EQ(p->GetDisplayText(Variant(Integer(2))), "Bob");
  EXPECT_EQ(p->GetDisplayText(Variant(Integer(9))), "");
  EXPECT_EQ(p->Cache()->Count(), 2);
  // With the list closed behind the properties' back, only the cache can answer.
  p->LockLookupDataChanges();
  people->Close();
  p->UnlockLookupDataChanges();
  EXPECT_EQ(p->GetDisplayText(Variant(Integer(2))), "Bob");
  EXPECT_EQ(p->Cache()->Count(), 2);
  p->SetDropDownRows(3);
  EXPECT_EQ(p->Cache()->Count(), 0);
  EXPECT_EQ(p->GetDisplayText(Variant(Integer(2))), "");
  people->Open();
  p->SetRevertable(true);
  EXPECT_EQ(p->GetDisplayText(Variant(Integer(2))), "Bob");
  // Leaving grid mode drops the cache.
  p->SetGridMode(false);
  EXPECT_EQ(p->Cache(), nullptr);
  EXPECT_EQ(p->GetDisplayText(Variant(Integer(2))), "Bob");
}

TEST_F(DBLookupTest, GridModeTurnsIncrementalFilteringOffAndSearchesTheDataSet) {
  auto* c = MakeCombo();
  TcxLookupComboBoxProperties* p = c->GetProperties();
  EXPECT_TRUE(p->GetIncrementalFiltering());
  p->SetGridMode(true);
  EXPECT_FALSE(p->GetIncrementalFiltering());
  p->SetGridMode(false);
  EXPECT_TRUE(p->GetIncrementalFiltering());
  // A partial, case-insensitive search, in the data set in grid mode and in the controller
  // without it; both answer the same record.
  TcxDBDataController* dc = p->GetDBDataController();
  const Integer loaded = p->FindByText(0, "BOBB", true);
  ASSERT_GE(loaded, 0);
  EXPECT_TRUE(cxVariantsEqual(dc->GetRecordId(loaded), Variant(Integer(3))));
  EXPECT_EQ(p->FindByText(0, "bob", false), p->FindByText(0, "Bob", false));
  EXPECT_EQ(p->FindByText(0, "zz", true), -1);
  p->SetGridMode(true);
  ASSERT_TRUE(dc->IsGridMode());
  EXPECT_EQ(p->FindByText(0, "BOBB", true), loaded);
  EXPECT_EQ(p->FindByText(0, "zz", true), -1);
  EXPECT_EQ(p->FindByText(5, "Bob", true), -1);
}

TEST_F(DBLookupTest, AListSourceOnTheBoundDataSetOrAnyOfItsMastersIsRefused) {
  // orders follows customers, which follows regions.
  auto* customers = New<TTestDetailDataSet>(form);
  auto* regions = New<TMemoryDataSet>(form);
  auto* customersSource = New<TDataSource>(form);
  auto* regionsSource = New<TDataSource>(form);
  customersSource->SetDataSet(customers);
  regionsSource->SetDataSet(regions);
  orders->SetMasterSource(customersSource);
  customers->SetMasterSource(regionsSource);
  auto* c = New<TcxDBLookupComboBox>(form);
  c->SetParent(form);
  c->GetDataBinding()->SetDataSource(ordersSource);
  c->GetDataBinding()->SetDataField("CustID");
  TcxLookupComboBoxProperties* p = c->GetProperties();
  // Another source over the same data set is the same link.
  auto* again = New<TDataSource>(form);
  again->SetDataSet(orders);
  for (TDataSource* s : {ordersSource, again, customersSource, regionsSource}) {
    try {
      p->SetListSource(s);
      ADD_FAILURE() << s->DataSet()->ClassName();
    } catch (const EDatabaseError& e) {
      EXPECT_EQ(String(e.Message()), "Circular datalinks are not allowed");
    }
    EXPECT_EQ(p->GetListSource(), nullptr);
  }
  p->SetListSource(peopleSource);
  EXPECT_EQ(p->GetListSource(), peopleSource);
  // A chain that comes back on itself ends the walk.
  regions->SetName("Regions");
  customers->SetMasterSource(customersSource);
  p->SetListSource(peopleSource);
  p->SetListSource(nullptr);
  EXPECT_EQ(p->GetListSource(), nullptr);
}

TEST_F(DBLookupTest, BindingToTheListDataSetOrADetailOfItIsRefused) {
  // customers follow the people; orders follow the customers.
  auto* customers = New<TTestDetailDataSet>(form);
  auto* customersSource = New<TDataSource>(form);
  customersSource->SetDataSet(customers);
  customers->SetMasterSource(peopleSource);
  auto* c = MakeCombo<TcxDBLookupComboBox>();
  TcxDBLookupEditDataBinding* b = c->GetDataBinding();
  auto refused = [&](auto&& bind) {
    try {
      bind();
      ADD_FAILURE() << "bound";
    } catch (const EDatabaseError& e) {
      EXPECT_EQ(String(e.Message()), "Circular datalinks are not allowed");
    }
  };
  // The list's own data set, field first or source first.
  b->SetDataField("ID");
  refused([&] { b->SetDataSource(peopleSource); });
  EXPECT_EQ(b->DataSource(), nullptr);
  b->SetDataField("");
  b->SetDataSource(peopleSource);
  refused([&] { b->SetDataField("ID"); });
  EXPECT_EQ(b->DataField(), "");
  b->SetDataSource(nullptr);
  // A detail of the list, one and two levels down.
  b->SetDataField("CustID");
  refused([&] { b->SetDataSource(customersSource); });
  orders->SetMasterSource(customersSource);
  refused([&] { b->SetDataSource(ordersSource); });
  EXPECT_EQ(b->DataSource(), nullptr);
  // Off the chain, the same binding is taken.
  orders->SetMasterSource(nullptr);
  b->SetDataSource(ordersSource);
  EXPECT_EQ(b->DataSource(), ordersSource);
  EXPECT_EQ(b->Field(), orders->FieldByName("CustID"));
  // A chain that comes back on itself ends the walk.
  b->SetDataSource(nullptr);
  orders->SetMasterSource(ordersSource);
  b->SetDataSource(ordersSource);
  EXPECT_EQ(b->DataSource(), ordersSource);
  orders->SetMasterSource(nullptr);
}

TEST_F(DBLookupTest, BindingToALookupFieldDefinesTheListAndRefusesLaterChanges) {
  auto* c = New<TcxDBLookupComboBox>(form);
  c->SetParent(form);
  c->GetDataBinding()->SetDataSource(ordersSource);
  c->GetDataBinding()->SetDataField("CustName");
  TcxLookupComboBoxProperties* p = c->GetProperties();
  ASSERT_TRUE(p->IsDefinedByLookupField());
  EXPECT_EQ(p->GetKeyFieldNames(), "ID");
  EXPECT_EQ(p->GetListFieldNames(), "Name");
  EXPECT_EQ(p->GetListFieldIndex(), 0);
  EXPECT_EQ(p->GetListSource(), nullptr);
  EXPECT_EQ(p->GetListDataSet(), people);
  EXPECT_EQ(p->GetDisplayText(Variant(Integer(5))), "Cyd");
  for (int step = 0; step < 3; ++step) {
    try {
      if (step == 0) p->SetKeyFieldNames("City");
      if (step == 1) p->SetListFieldIndex(0);
      if (step == 2) p->SetListSource(peopleSource);
      ADD_FAILURE() << step;
    } catch (const EDatabaseError& e) {
      EXPECT_EQ(String(e.Message()), "Property already defined by lookup field") << step;
    }
  }
  EXPECT_EQ(p->GetKeyFieldNames(), "ID");
  // The editor edits the key: the order's CustID 2 shows Bob.
  EXPECT_EQ(Text(c), "Bob");
  // Bound to a plain field again, the list is the properties' own.
  c->GetDataBinding()->SetDataField("CustID");
  EXPECT_FALSE(p->IsDefinedByLookupField());
  p->SetKeyFieldNames("ID");
}

TEST_F(DBLookupTest, ListFieldNamesBuildTheColumnsAndTheIndexFollowsThem) {
  auto* c = MakeCombo();
  TcxLookupComboBoxProperties* p = c->GetProperties();
  p->SetListFieldNames("Name;City");
  EXPECT_EQ(p->GetListColumns()->Count(), 2);
  EXPECT_EQ(p->GetListFieldNames(), "Name;City");
  p->SetListFieldIndex(1);
  EXPECT_EQ(p->GetDisplayText(Variant(Integer(7))), "C7");
  p->SetListFieldNames("Name");
  EXPECT_EQ(p->GetListFieldIndex(), 0);
  EXPECT_EQ(p->GetDisplayText(Variant(Integer(7))), "Dora");
  // The key is the list field: the typed text is the key.
  EXPECT_FALSE(p->IsKeyListField());
  p->SetKeyFieldNames("Name");
  EXPECT_TRUE(p->IsKeyListField());
  EXPECT_FALSE(p->GetSupportedOperations().Contains(TcxEditSupportedOperation::esoSortingByDisplayText));
  EXPECT_TRUE(cxVariantsEqual(c->GetLookupEditData()->DisplayTextToKey("Zed"), Variant(String("Zed"))));
}

// Steps through the closed list reach every record in both modes: in grid mode the controller
// holds a window of three records, and a step past its end moves the list data set on.
TEST_F(DBLookupTest, StepsThroughTheClosedListReachEveryRecordInBothModes) {
  for (bool gridMode : {false, true}) {
    SCOPED_TRACE(gridMode);
    TcxLookupComboBox* other = nullptr;
    auto* c = MakeBoundCombo(other);
    TcxLookupComboBoxProperties* p = c->GetProperties();
    p->GetDBDataController()->DataModeController()->SetGridModeBufferCount(3);
    p->SetGridMode(gridMode);
    ASSERT_EQ(p->GetDBDataController()->IsGridMode(), gridMode);
    Show();
    c->SetFocus();
    Pump();
    ASSERT_EQ(Text(c), "Bob");
    auto steps = [&](int AKey, int ACount) {
      String seq;
      for (int i = 0; i < ACount; ++i) {
        Key(AKey);
        seq += "," + Text(c);
      }
      return seq;
    };
    EXPECT_EQ(steps(VK_DOWN, 7), ",Bobby,,Cyd,Dora,anna,anna,anna");
    EXPECT_EQ(steps(VK_UP, 8), ",Dora,Cyd,,Bobby,Bob,Ann,Ann,Ann");
    // A page is DropDownRows.
    EXPECT_EQ(steps(VK_NEXT, 1), ",anna");
    EXPECT_EQ(steps(VK_PRIOR, 1), ",Ann");
    p->SetDropDownRows(3);
    EXPECT_EQ(steps(VK_NEXT, 3), ",,anna,anna");
    EXPECT_EQ(steps(VK_PRIOR, 3), ",,Ann,Ann");
    // First, last, and the wrapping steps.
    TcxCustomLookupEditLookupData* data = c->GetLookupEditData();
    auto go = [&](Integer ADirection, bool AWrap) {
      data->Go(ADirection, AWrap);
      return VarToStr(data->GetCurrentKey());
    };
    EXPECT_EQ(go(cxLookupGoLast, false), "8");
    EXPECT_EQ(go(cxLookupGoNext, false), "8");
    EXPECT_EQ(go(cxLookupGoNext, true), "1");
    EXPECT_EQ(go(cxLookupGoPrior, false), "1");
    EXPECT_EQ(go(cxLookupGoPrior, true), "8");
    EXPECT_EQ(go(cxLookupGoFirst, false), "1");
    EXPECT_EQ(go(cxLookupGoPageDown, false), "4");
    other->SetFocus();
    Pump();
    orders->Cancel();
    c->Free();
    other->Free();
  }
}

// A list column naming no field of the list data set finds nothing in either mode, also while
// the user types; nothing is raised.
TEST_F(DBLookupTest, AColumnNamingNoFieldFindsNothingInBothModes) {
  for (bool gridMode : {false, true}) {
    SCOPED_TRACE(gridMode);
    TcxLookupComboBox* other = nullptr;
    auto* c = MakeBoundCombo(other);
    TcxLookupComboBoxProperties* p = c->GetProperties();
    p->SetListFieldNames("Name;Nope");
    p->SetListFieldIndex(1);
    p->SetGridMode(gridMode);
    EXPECT_EQ(p->FindByText(1, "b", true), -1);
    EXPECT_GE(p->FindByText(0, "b", true), 0);
    Show();
    c->SetFocus();
    Pump();
    EXPECT_EQ(Text(c), "");
    Type("b");
    EXPECT_EQ(Text(c), "");
    other->SetFocus();
    Pump();
    EXPECT_EQ(orders->FieldByName("CustID")->GetAsInteger(), 2);
    orders->Cancel();
    c->Free();
    other->Free();
  }
}

}  // namespace
