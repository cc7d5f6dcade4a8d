// Loaded mode: the controller's rows against a plain walk of the data set, keys, the focus
// following the data set and back, the saved position, and the field binding.
#include "tests/databinding/DBDataTestSupport.h"

#include "classlib/core/SysUtils.h"
#include "platform/kernel/CodePage.h"
#include "widgets/data/cxDataSummary.h"

#include <algorithm>
#include <set>

using enum TFieldType;

namespace {

// Every value type the controller gives a field, each with Nulls.
const std::vector<TTestFieldDef> kAllTypes = {
    {"ID", ftInteger},  {"S", ftString, 12},  {"SI", ftSmallint}, {"I", ftInteger},      {"W", ftWord},
    {"B", ftBoolean},   {"F", ftFloat},       {"CUR", ftCurrency}, {"BCD", ftBCD},       {"D", ftDate},
    {"DT", ftDateTime}, {"WS", ftWideString, 12}, {"L", ftLargeint}, {"G", ftSmallint},
};

Variant RandomValue(std::mt19937& ARandom, TFieldType AType, bool ANullable) {
  auto pick = [&](Integer lo, Integer hi) { return std::uniform_int_distribution<Integer>(lo, hi)(ARandom); };
  if (ANullable && pick(0, 9) == 0) return Null();
  switch (AType) {
    case ftString: {
      static const char kLetters[] = {'a', 'B', 'b', 'A', 'z', ' ', char(0xE9), char(0xC9), '0'};
      String s;
      for (Integer n = pick(0, 5); n > 0; --n) s += kLetters[pick(0, Integer(sizeof kLetters) - 1)];
      return Variant(s);
    }
    case ftWideString: return Variant(AnsiToWide(String(1, char('a' + pick(0, 25))) + "x"));
    case ftSmallint: return Variant(SmallInt(pick(-300, 300)));
    case ftInteger: return Variant(pick(-100000, 100000));
    case ftWord: return Variant(Word(pick(0, 65535)));
    case ftBoolean: return Variant(pick(0, 1) == 1);
    case ftFloat: return Variant(pick(-4000, 4000) / 8.0);
    case ftCurrency: return Variant(pick(-4000, 4000) / 4.0);
    case ftBCD: return Variant(pick(-400000, 400000) / 100.0);
    case ftDate: return Variant(EncodeDate(Word(1990 + pick(0, 40)), Word(pick(1, 12)), Word(pick(1, 28))));
    case ftDateTime:
      return Variant(TDateTime(EncodeDate(Word(2000 + pick(0, 20)), Word(pick(1, 12)), Word(pick(1, 28))).Value +
                               pick(0, 23) / 24.0));
    case ftLargeint: return Variant(Int64(pick(-1000000, 1000000)) * 1000003);
    default: return Null();
  }
}

// The order the controller must give the records: Null first, texts byte by byte, other
// values by number; ties keep the data set's order.
int CompareModelValues(const Variant& A, const Variant& B) {
  const bool an = VarIsNull(A), bn = VarIsNull(B);
  if (an || bn) return an == bn ? 0 : an ? -1 : 1;
  if (A.VType() == varString || A.VType() == varOleStr) {
    const String a = A.AsString(), b = B.AsString();
    return a < b ? -1 : a > b ? 1 : 0;
  }
  if (A.VType() == varBoolean) return int(A.AsBoolean() ? 1 : 0) - int(B.AsBoolean() ? 1 : 0);
  const double a = A.AsDouble(), b = B.AsDouble();
  return a < b ? -1 : a > b ? 1 : 0;
}

bool SameValue(const Variant& A, const Variant& B) {
  if (VarIsNull(A) || VarIsNull(B)) return VarIsNull(A) && VarIsNull(B);
  if (A.VType() == varString || A.VType() == varOleStr) return A.AsString() == B.AsString();
  if (A.VType() == varBoolean || B.VType() == varBoolean) return A.AsBoolean() == B.AsBoolean();
  return A.AsDouble() == B.AsDouble();
}

class DBDataLoad : public DBDataTest {
 protected:
  std::vector<String> AllNames() const {
    std::vector<String> r;
    for (const TTestFieldDef& d : kAllTypes) r.push_back(d.Name);
    return r;
  }
  void MakeRandom(unsigned ASeed, Integer ACount) {
    std::mt19937 random(ASeed);
    std::vector<std::vector<Variant>> rows;
    for (Integer i = 0; i < ACount; ++i) {
      std::vector<Variant> row;
      for (const TTestFieldDef& d : kAllTypes)
        row.push_back(String(d.Name) == "ID" ? Variant(i + 1)
                      : String(d.Name) == "G" ? (random() % 7 == 0 ? Null() : Variant(SmallInt(random() % 5)))
                                              : RandomValue(random, d.Type, true));
      rows.push_back(row);
    }
    // Field definitions from the table.
    DS = New<TMemoryDataSet>(Owner.get());
    for (const TTestFieldDef& d : kAllTypes) DS->FieldDefs().Add(d.Name, d.Type, d.Size);
    for (const auto& r : rows) DS->AddRecord(r);
    Source = New<TDataSource>(Owner.get());
    Source->SetDataSet(DS);
    DS->Open();
  }
  // The walked records in the order of the rows the controller must show.
  std::vector<Integer> ModelOrder(const std::vector<WalkedRecord>& AWalk, const std::vector<std::pair<Integer, bool>>& AKeys) {
    std::vector<Integer> order(AWalk.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = Integer(i);
    std::stable_sort(order.begin(), order.end(), [&](Integer a, Integer b) {
      for (const auto& [field, descending] : AKeys) {
        const int c = CompareModelValues(AWalk[size_t(a)].Values[size_t(field)], AWalk[size_t(b)].Values[size_t(field)]);
        if (c != 0) return descending ? c > 0 : c < 0;
      }
      return false;
    });
    return order;
  }
  // Row i shows the walked record order[i]: every value, and every text the controller keeps.
  void ExpectRowsShow(const std::vector<WalkedRecord>& AWalk, const std::vector<Integer>& AOrder) {
    const std::vector<Integer> rows = DataRows();
    ASSERT_EQ(rows.size(), AOrder.size());
    for (size_t i = 0; i < rows.size(); ++i) {
      const WalkedRecord& w = AWalk[size_t(AOrder[i])];
      for (Integer f = 0; f < Integer(kAllTypes.size()); ++f) {
        const Variant v = C->GetItemValue(rows[i], f);
        ASSERT_TRUE(SameValue(v, w.Values[size_t(f)]))
            << "row " << i << " field " << kAllTypes[size_t(f)].Name << ": " << VarToStr(v) << " vs "
            << VarToStr(w.Values[size_t(f)]);
        ASSERT_EQ(C->GetItemDisplayText(rows[i], f), w.Texts[size_t(f)])
            << "row " << i << " field " << kAllTypes[size_t(f)].Name;
      }
    }
  }
};

TEST_F(DBDataLoad, RowsEqualAPlainWalkSortedAndGroupedByAnIndependentComparison) {
  for (unsigned seed : {1u, 2u, 3u}) {
    MakeRandom(seed, 1000);
    MakeController(AllNames(), "ID");
    const std::vector<WalkedRecord> walk = Walk();
    ASSERT_EQ(C->GetRecordCount(), Integer(walk.size()));
    // Unsorted: the data set's order.
    ExpectRowsShow(walk, ModelOrder(walk, {}));
    // Sorted by a text, then by a float descending.
    C->BeginUpdate();
    C->ChangeSortingOrder(1, TcxDataSortOrder::soAscending);
    C->ChangeSortingOrder(6, TcxDataSortOrder::soDescending);
    C->EndUpdate();
    ExpectRowsShow(walk, ModelOrder(walk, {{1, false}, {6, true}}));
    // Grouped by a small number (with Nulls), inside each group sorted by a date.
    C->BeginUpdate();
    C->ClearSorting(false);
    C->ChangeSortingOrder(9, TcxDataSortOrder::soAscending);
    C->ChangeItemGroupIndex(13, 0);
    C->EndUpdate();
    C->Groups()->FullExpand();
    ExpectRowsShow(walk, ModelOrder(walk, {{13, false}, {9, false}}));
    std::set<String> groups;
    for (const WalkedRecord& w : walk) groups.insert(VarIsNull(w.Values[13]) ? "null" : VarToStr(w.Values[13]));
    EXPECT_EQ(C->GetRowCount(), Integer(walk.size() + groups.size()));
    C.reset();
    Items.clear();
    DS->Free();
    Source->Free();
  }
}

TEST_F(DBDataLoad, ItemsOfOneFieldShareAColumnAndAnyCaseNamesIt) {
  MakeDataSet({{"ID", ftInteger}, {"NAME", ftString, 10}}, {{1, "a"}, {2, "b"}});
  DS->Open();
  MakeController({"ID", "name", "Name"});
  EXPECT_EQ(C->GetItemField(2)->ReferenceField(), C->GetItemField(1));
  EXPECT_EQ(C->GetItemValue(1, 2), Variant("b"));
  EXPECT_EQ(C->GetItemByFieldName("NAME"), Items[1].get());
  EXPECT_EQ(C->GetItemDataSetField(1), DS->FieldByName("NAME"));
  // Another name ends the sharing.
  C->ChangeFieldName(2, "ID");
  EXPECT_NE(C->GetItemField(2)->ReferenceField(), C->GetItemField(1));
  EXPECT_EQ(C->GetItemValue(1, 2), Variant(2));
  EXPECT_EQ(C->GetItemValue(1, 1), Variant("b"));
}

class DBDataKeys : public DBDataTest {
 protected:
  void SetUp() override {
    DBDataTest::SetUp();
    MakeDataSet({{"A", ftInteger}, {"B", ftString, 10}, {"V", ftFloat}},
                {{1, "x", 1.5}, {1, "y", 2.5}, {2, "x", 3.5}, {3, "z", Null()}});
    DS->Open();
  }
};

TEST_F(DBDataKeys, LocateByKeyFindsTheRecordAndAMissingOrWrongShapedKeyIsNotFound) {
  MakeController({"A", "B", "V"}, "A;B");
  EXPECT_TRUE(C->IdentifiesRecordsByKey());
  std::vector<Variant> key = {Variant(2), Variant("x")};
  Variant k = VarArrayOf(key);
  EXPECT_EQ(C->FindRecordIndexByKey(k), 2);
  ASSERT_TRUE(C->LocateByKey(k));
  EXPECT_EQ(C->GetFocusedRecordIndex(), 2);
  // The data set follows the focus.
  EXPECT_EQ(DS->FieldByName("V")->Value(), Variant(3.5));
  // A key no record has: no row stays focused, the data set is not moved.
  EXPECT_FALSE(C->LocateByKey(VarArrayOf({Variant(2), Variant("y")})));
  EXPECT_EQ(C->GetFocusedRowIndex(), -1);
  EXPECT_EQ(DS->FieldByName("V")->Value(), Variant(3.5));
  // Shapes that cannot be a key of two fields: not found, no error.
  EXPECT_EQ(C->FindRecordIndexByKey(Variant(1)), -1);
  EXPECT_EQ(C->FindRecordIndexByKey(Null()), -1);
  EXPECT_EQ(C->FindRecordIndexByKey(VarArrayOf({Variant(1)})), -1);
  EXPECT_EQ(C->FindRecordIndexByKey(VarArrayOf({Variant(1), Variant("x"), Variant(0)})), -1);
  EXPECT_EQ(C->FindRecordIndexByKey(VarArrayOf({Variant("not a number"), Variant("x")})), -1);
  EXPECT_FALSE(C->LocateByKey(Variant(1)));
  EXPECT_FALSE(C->LocateByKey(VarArrayOf({Variant("one"), Variant("x")})));
  // A duplicate first key is told apart by the second.
  EXPECT_EQ(C->FindRecordIndexByKey(VarArrayOf({Variant(1), Variant("y")})), 1);
  EXPECT_TRUE(cxVariantsEqual(C->GetRecordId(1), VarArrayOf({Variant(1), Variant("y")})));
}

TEST_F(DBDataKeys, OneKeyFieldTakesAPlainValueAndAValueOfAnotherTypeIsNotFound) {
  MakeController({"B", "V"}, "A");
  EXPECT_EQ(C->FindRecordIndexByKey(Variant(3)), 3);
  EXPECT_EQ(C->FindRecordIndexByKey(Variant("3")), 3);
  EXPECT_EQ(C->FindRecordIndexByKey(Variant(7)), -1);
  EXPECT_EQ(C->FindRecordIndexByKey(Variant("seven")), -1);
  EXPECT_EQ(C->FindRecordIndexByKey(VarArrayOf({Variant(1), Variant(2)})), -1);
  EXPECT_TRUE(cxVariantsEqual(C->GetDataSetKeyValues(), Variant(1)));
  // Without key names nothing identifies a record.
  C->SetKeyFieldNames("");
  EXPECT_FALSE(C->IdentifiesRecordsByKey());
  EXPECT_EQ(C->FindRecordIndexByKey(Variant(3)), -1);
  EXPECT_TRUE(VarIsNull(C->GetRecordId(0)));
  // A key name the data set lacks fails where the data set's key is read.
  C->SetKeyFieldNames("NOPE");
  EXPECT_THROW(C->GetDataSetKeyValues(), EcxInvalidDataControllerOperation);
}

TEST_F(DBDataKeys, AKeyNameTheDataSetLacksIsReportedAsSuchWhenARecordIsFocused) {
  for (bool smart : {false, true}) {
    MakeController({"A", "B", "V"}, "NOPE");
    C->DataModeController()->SetSmartRefresh(smart);
    ASSERT_EQ(C->GetRecordCount(), 4);
    const Variant before = DS->FieldByName("V")->Value();
    try {
      C->ChangeFocusedRowIndex(2);
      ADD_FAILURE() << "no error, smart " << smart;
    } catch (const EcxInvalidDataControllerOperation& e) {
      EXPECT_EQ(e.Message(), "Key Field not found") << smart;
    }
    // The data set was not moved.
    EXPECT_EQ(DS->FieldByName("V")->Value(), before) << smart;
  }
}

TEST_F(DBDataKeys, TheTwoSmartRefreshQuestionsAreAnsweredApart) {
  MakeController({"A", "B"}, "A");
  EXPECT_TRUE(C->IdentifiesRecordsByKey());
  EXPECT_FALSE(C->IsSmartRefreshActive());
  C->DataModeController()->SetSmartRefresh(true);
  EXPECT_TRUE(C->IsSmartRefreshActive());
  C->SetKeyFieldNames("");
  EXPECT_FALSE(C->IsSmartRefreshActive());
}

class DBDataBrowse : public DBDataTest {
 protected:
  void SetUp() override {
    DBDataTest::SetUp();
    std::vector<std::vector<Variant>> rows;
    for (Integer i = 1; i <= 20; ++i) rows.push_back({i, String("n") + IntToStr(i % 7)});
    MakeDataSet({{"ID", ftInteger}, {"N", ftString, 10}}, rows);
    DS->Open();
  }
  Integer CurrentID() const { return DS->FieldByName("ID")->Value().AsInteger(); }
  Integer FocusedID() const { return C->GetItemValue(C->GetFocusedRecordIndex(), 0).AsInteger(); }
};

TEST_F(DBDataBrowse, TheFocusAndTheDataSetFollowEachOtherWithAndWithoutKeys) {
  for (const char* keys : {"", "ID"}) {
    DS->First();
    MakeController({"ID", "N"}, keys);
    // Sorted so that rows and records are not in the same order.
    C->ChangeSortingOrder(1, TcxDataSortOrder::soDescending);
    EXPECT_EQ(FocusedID(), 1) << keys;
    for (Integer row : {5, 0, 19, 7}) {
      C->ChangeFocusedRowIndex(row);
      EXPECT_EQ(CurrentID(), FocusedID()) << keys << " row " << row;
    }
    // The data set moved from outside: the focus follows.
    DS->Next();
    EXPECT_EQ(FocusedID(), CurrentID()) << keys;
    DS->MoveBy(-3);
    EXPECT_EQ(FocusedID(), CurrentID()) << keys;
    DS->Last();
    EXPECT_EQ(FocusedID(), 20) << keys;
    ASSERT_TRUE(DS->Locate("ID", Variant(4), TLocateOptions()));
    EXPECT_EQ(FocusedID(), 4) << keys;
    C.reset();
  }
}

TEST_F(DBDataBrowse, AnOutsideChangeInBrowseStateReloads) {
  MakeController({"ID", "N"});
  ASSERT_EQ(C->GetRecordCount(), 20);
  // A record added by the data set itself, and one changed and posted from outside.
  DS->Append();
  DS->FieldByName("ID")->SetValue(Variant(21));
  DS->FieldByName("N")->SetValue(Variant("new"));
  DS->Post();
  EXPECT_EQ(C->GetRecordCount(), 21);
  EXPECT_EQ(C->GetItemValue(20, 1), Variant("new"));
  DS->First();
  DS->Edit();
  DS->FieldByName("N")->SetValue(Variant("changed"));
  DS->Post();
  EXPECT_EQ(C->GetItemValue(0, 1), Variant("changed"));
  DS->Delete();
  EXPECT_EQ(C->GetRecordCount(), 20);
  EXPECT_EQ(C->GetItemValue(0, 0), Variant(2));
  EXPECT_EQ(FocusedID(), CurrentID());
  // Without SyncMode the data set is still read; the focus no longer moves it.
  C->DataModeController()->SetSyncMode(false);
  C->ChangeFocusedRowIndex(10);
  EXPECT_EQ(CurrentID(), 2);
}

TEST_F(DBDataBrowse, ClosingADataSetWithDefaultFieldsUnbindsTheItemsFirst) {
  MakeController({"ID", "N"}, "ID");
  ASSERT_TRUE(DS->DefaultFields());
  ASSERT_NE(C->GetItemDataSetField(0), nullptr);
  DS->Close();
  EXPECT_EQ(C->GetItemDataSetField(0), nullptr);
  EXPECT_EQ(C->GetItemDataSetField(1), nullptr);
  EXPECT_EQ(C->KeyField()->Field(), nullptr);
  EXPECT_EQ(C->GetRecordCount(), 0);
  // Reopened: new fields are bound, and the records come back.
  DS->Open();
  EXPECT_EQ(C->GetItemDataSetField(0), DS->FieldByName("ID"));
  EXPECT_EQ(C->GetRecordCount(), 20);
  EXPECT_EQ(C->FindRecordIndexByKey(Variant(5)), 4);
}

// A second link with a window of five records around the current one.
class WindowLink : public TDataLink {};

TEST_F(DBDataBrowse, RestorePositionBringsBackTheWindowAtBothEnds) {
  MakeController({"ID"});
  Owned<WindowLink> window(New<WindowLink>());
  window->SetBufferCount(5);
  window->SetDataSource(Source);
  TcxDBDataProvider* p = C->DBProvider();
  for (Integer slot : {0, 4}) {
    // The current record at the window's first (or last) place.
    DS->First();
    DS->MoveBy(9);
    DS->MoveBy(slot == 0 ? -4 : 4);
    DS->MoveBy(slot == 0 ? 4 : -4);
    ASSERT_EQ(DS->ActiveRecord(), slot == 0 ? 4 : 0);
    // Moved to one end of the window.
    DS->MoveBy(slot == 0 ? -4 : 4);
    ASSERT_EQ(DS->ActiveRecord(), slot);
    const Integer id = CurrentID();
    const Integer first = id - slot;
    p->SavePosition();
    // Scrolled away (a scroll, not a jump: nothing is read again meanwhile).
    DS->MoveBy(slot == 0 ? 8 : -8);
    p->RestorePosition();
    EXPECT_EQ(CurrentID(), id) << slot;
    EXPECT_EQ(DS->ActiveRecord(), slot) << slot;
    // The same window: its first record is the one it was.
    window->SetActiveRecord(0);
    EXPECT_EQ(DS->FieldByName("ID")->Value().AsInteger(), first) << slot;
    window->SetActiveRecord(DS->ActiveRecord());
  }
  // BOF and EOF come back too.
  DS->First();
  p->SavePosition();
  DS->MoveBy(3);
  p->RestorePosition();
  EXPECT_TRUE(DS->Bof());
  DS->Last();
  DS->Next();
  ASSERT_TRUE(DS->Eof());
  p->SavePosition();
  DS->MoveBy(-5);
  p->RestorePosition();
  EXPECT_TRUE(DS->Eof());
  EXPECT_EQ(CurrentID(), 20);
  window->SetDataSource(nullptr);
}

TEST_F(DBDataBrowse, AssignCopiesTheSettingsNotTheRecords) {
  MakeController({"ID", "N"}, "ID");
  C->DataModeController()->SetSmartRefresh(true);
  C->DataModeController()->SetSyncMode(false);
  C->DataModeController()->SetGridModeBufferCount(-5);
  EXPECT_EQ(C->DataModeController()->GridModeBufferCount(), 0);
  C->DataModeController()->SetGridModeBufferCount(30);
  C->SetDetailKeyFieldNames("D");
  C->SetMasterKeyFieldNames("M");
  C->ChangeSortingOrder(0, TcxDataSortOrder::soDescending);
  Owned<TcxDBDataController> other(New<TcxDBDataController>(nullptr));
  DBTestItem item;
  other->AddItem(&item);
  other->Assign(C.get());
  EXPECT_EQ(other->DataSource(), Source);
  EXPECT_EQ(other->KeyFieldNames(), "ID");
  EXPECT_EQ(other->DetailKeyFieldNames(), "D");
  EXPECT_EQ(other->MasterKeyFieldNames(), "M");
  EXPECT_TRUE(other->DataModeController()->SmartRefresh());
  EXPECT_FALSE(other->DataModeController()->SyncMode());
  EXPECT_EQ(other->DataModeController()->GridModeBufferCount(), 30);
  // Its own item stays unbound and its rows stay its own: no sorting came over.
  EXPECT_EQ(other->GetItemCount(), 1);
  EXPECT_EQ(other->GetItemDataSetField(0), nullptr);
  EXPECT_EQ(other->GetItemSortOrder(0), TcxDataSortOrder::soNone);
  other->RemoveItem(&item);
  other.reset();
}

// An item whose edit source flips at every question: its field's text setting never settles.
class FlippingController : public TcxDBDataController {
 public:
  using TcxDBDataController::TcxDBDataController;
  TcxDataEditValueSource GetItemEditValueSource(Integer) const override {
    FFlip = !FFlip;
    return FFlip ? TcxDataEditValueSource::evsText : TcxDataEditValueSource::evsValue;
  }
  mutable bool FFlip = false;
};

TEST_F(DBDataBrowse, FieldBindingThatNeverSettlesStopsWithAnError) {
  Owned<TDataSource> bools(New<TDataSource>(nullptr));
  TMemoryDataSet* ds = MakeTestDataSet(Owner.get(), {{"F", ftBoolean}});
  ds->AddRecord({true});
  ds->Open();
  bools->SetDataSet(ds);
  Owned<FlippingController> c(New<FlippingController>(nullptr));
  DBTestItem item;
  c->AddItem(&item);
  c->SetDataSource(bools.get());
  EXPECT_THROW(c->ChangeFieldName(0, "F"), EcxInvalidDataControllerOperation);
  c->RemoveItem(&item);
}

// A controller whose owner takes the focus for one item only.
class FocusingController : public TcxDBDataController {
 public:
  using TcxDBDataController::TcxDBDataController;
  void FocusControl(Integer AItemIndex, bool& ADone) override {
    Asked.push_back(AItemIndex);
    ADone = AItemIndex == Focusable;
  }
  std::vector<Integer> Asked;
  Integer Focusable = -1;
};

// A link told after the controller's: sees the field only while no control took the focus.
class FieldFocusProbe : public TDataLink {
 public:
  std::vector<TField*> Seen;

 protected:
  void FocusControl(TField*& AField) override { Seen.push_back(AField); }
};

TEST_F(DBDataBrowse, AFieldAskingForFocusReachesTheItemBoundToItAndStopsOnceFocused) {
  Owned<FocusingController> c(New<FocusingController>(nullptr));
  DBTestItem id, n;
  c->AddItem(&id);
  c->AddItem(&n);
  c->SetDataSource(Source);
  c->ChangeFieldName(0, "ID");
  c->ChangeFieldName(1, "N");
  FieldFocusProbe probe;
  probe.SetDataSource(Source);
  TField* field = DS->FieldByName("N");
  field->FocusControl();
  EXPECT_EQ(c->Asked, std::vector<Integer>{1});
  EXPECT_EQ(probe.Seen, std::vector<TField*>{field});
  c->Focusable = 1;
  field->FocusControl();
  EXPECT_EQ(c->Asked, (std::vector<Integer>{1, 1}));
  EXPECT_EQ(probe.Seen.size(), 1u);
  probe.SetDataSource(nullptr);
  c->RemoveItem(&n);
  c->RemoveItem(&id);
}

TEST_F(DBDataBrowse, ValueTypesComeFromTheFieldsAndAboundItemKeepsItsOwn) {
  MakeController({"ID", "N", ""});
  EXPECT_EQ(C->GetItemValueTypeClass(0), TcxIntegerValueType::StaticClass());
  EXPECT_EQ(C->GetItemValueTypeClass(1), TcxStringValueType::StaticClass());
  C->ChangeValueTypeClass(0, TcxFloatValueType::StaticClass());
  EXPECT_EQ(C->GetItemValueTypeClass(0), TcxIntegerValueType::StaticClass());
  C->ChangeValueTypeClass(2, TcxFloatValueType::StaticClass());
  EXPECT_EQ(C->GetItemValueTypeClass(2), TcxFloatValueType::StaticClass());
  EXPECT_TRUE(C->GetItemField(2)->IsUnbound());
  EXPECT_FALSE(C->GetItemField(0)->IsUnbound());
  EXPECT_EQ(C->GetItemFieldName(0), "ID");
  EXPECT_EQ(C->GetItemFieldName(2), "");
}

TEST_F(DBDataBrowse, ASummaryItemNamesItsOwnField) {
  MakeController({"N"});
  TcxDataSummaryItem* item = C->Summary()->FooterSummaryItems()->Add();
  auto* dbItem = dynamic_cast<TcxDBDataSummaryItem*>(item);
  ASSERT_NE(dbItem, nullptr);
  dbItem->SetFieldName("ID");
  ASSERT_NE(dbItem->GetField(), nullptr);
  EXPECT_EQ(static_cast<TcxDBDataField*>(dbItem->GetField())->Field(), DS->FieldByName("ID"));
  dbItem->SetFieldName("");
  EXPECT_EQ(dbItem->GetField(), nullptr);
}

}  // namespace

namespace {

using DBDataForwardOnly = DBDataTest;

// A data set that reads its records once, forward only: loaded mode reads it from the first
// record to the end and never moves it back; grid mode, which scrolls back, is not taken.
TEST_F(DBDataForwardOnly, LoadedModeReadsTheRecordsOnceForward) {
  auto* ds = MakeTestDataSet<TTestForwardOnlyDataSet>(Owner.get(),
                                                      {{"ID", ftInteger}, {"N", ftString, 10}});
  for (Integer i = 1; i <= 6; ++i) ds->AddRecord({i, "n" + IntToStr(i)});
  DS = ds;
  Source = New<TDataSource>(Owner.get());
  Source->SetDataSet(ds);
  ds->Open();
  for (bool grid : {false, true}) {
    SCOPED_TRACE(grid ? "grid mode asked" : "loaded mode");
    C.reset(New<TcxDBDataController>(nullptr));
    AddItems(C.get(), {"ID", "N"});
    C->DataModeController()->SetGridMode(grid);
    ASSERT_NO_THROW(C->SetDataSource(Source));
    EXPECT_FALSE(C->IsGridMode());
    ASSERT_EQ(C->GetRecordCount(), 6);
    for (Integer r = 0; r < 6; ++r) {
      EXPECT_EQ(C->GetItemValue(r, 0), Variant(r + 1));
      EXPECT_EQ(C->GetItemValue(r, 1), Variant("n" + IntToStr(r + 1)));
    }
    // Read to its end and left there: the second controller started the reading over once.
    EXPECT_TRUE(ds->Eof());
    EXPECT_EQ(ds->Restarts(), grid ? 1 : 0);
    // The focus does not move the data set back.
    ASSERT_NO_THROW(C->ChangeFocusedRowIndex(2));
    EXPECT_EQ(C->GetFocusedRecordIndex(), 2);
    EXPECT_EQ(ds->FieldByName("ID")->Value(), Variant(6));
    C.reset();
    Items.clear();
  }
}

}  // namespace
