// Provider mode: a data source of rows with ids serves the records, takes the edits,
// appends, inserts and deletes, and is read again with the selection kept by id.
#include "DataControllerTestSupport.h"
#include "widgets/data/cxDataRelations.h"
#include "widgets/data/cxDataUtils.h"

#include <string>

using V = std::vector<Integer>;
using S = std::vector<std::string>;
using enum TcxDataEditValueSource;

namespace {

// Rows with stable ids (the record handles and the record ids); item 0 a number,
// item 1 a text.
struct IdRows : TcxCustomDataSource {
  struct Row {
    Int64 Id;
    Variant Values[2];
  };
  std::vector<Row> Data;
  Int64 NextId = 100;
  bool WithIds = true, MakesRecords = true, Fails = false;

  void Add(Integer ANumber, const String& AText) { Data.push_back({NextId++, {ANumber, AText}}); }
  Row* Find(TcxDataRecordHandle H) {
    for (Row& r : Data)
      if (r.Id == H) return &r;
    return nullptr;
  }
  TcxDataRecordHandle AppendRecord() override {
    if (!MakesRecords) return kNoRecordHandle;
    Data.push_back({NextId, {Null(), Null()}});
    return NextId++;
  }
  TcxDataRecordHandle InsertRecord(TcxDataRecordHandle ABefore) override {
    for (size_t i = 0; i < Data.size(); ++i)
      if (Data[i].Id == ABefore) {
        Data.insert(Data.begin() + Integer(i), Row{NextId, {Null(), Null()}});
        return NextId++;
      }
    return kNoRecordHandle;
  }
  void DeleteRecord(TcxDataRecordHandle H) override {
    for (size_t i = 0; i < Data.size(); ++i)
      if (Data[i].Id == H) {
        Data.erase(Data.begin() + Integer(i));
        return;
      }
  }
  Integer ChildAsks = 0;
  bool GetDetailHasChildren(Integer ARecordIndex, Integer) override {
    ++ChildAsks;
    return ARecordIndex == 1;
  }
  Integer GetRecordCount() override {
    if (Fails) throw Exception("source gone");
    return Integer(Data.size());
  }
  TcxDataRecordHandle GetRecordHandleByIndex(Integer I) override { return Data.at(size_t(I)).Id; }
  Variant GetRecordId(TcxDataRecordHandle H) override { return Variant(Integer(H)); }
  bool IsRecordIdSupported() override { return WithIds; }
  Variant GetValue(TcxDataRecordHandle H, TcxDataItemHandle I) override {
    Row* r = Find(H);
    return r ? r->Values[I] : Null();
  }
  void SetValue(TcxDataRecordHandle H, TcxDataItemHandle I, const Variant& AValue) override {
    if (Row* r = Find(H)) r->Values[I] = AValue;
  }
  V Numbers() const {
    V r;
    for (const Row& row : Data)
      r.push_back(VarIsNull(row.Values[0]) ? -1 : row.Values[0].AsInteger());
    return r;
  }
};

class Provider : public ControllerTest {
 protected:
  void SetUp() override {
    ControllerTest::SetUp();
    AddItems({IntType(), StrType()});
    for (Integer i = 1; i <= 5; ++i) src_.Add(i * 10, String(1, Char('a' + i - 1)));
    c_->SetCustomDataSource(&src_);
  }
  void TearDown() override {
    c_.reset();
    owned_.reset();
    ControllerTest::TearDown();
  }
  V Numbers() const {
    V r;
    for (Integer rec : Rows()) r.push_back(c_->GetItemValue(rec, 0).AsInteger());
    return r;
  }
  Owned<IdRows> owned_{New<IdRows>()};
  IdRows& src_ = *owned_;
};

TEST_F(Provider, RecordsAndValuesComeFromTheSource) {
  EXPECT_TRUE(c_->IsProviderMode());
  EXPECT_EQ(c_->GetRecordCount(), 5);
  EXPECT_EQ(c_->GetItemValue(2, 0).AsInteger(), 30);
  EXPECT_EQ(c_->GetRecordId(2).AsInteger(), 102);
  EXPECT_EQ(c_->Provider()->GetRecordIndexByHandle(103), 3);
  EXPECT_EQ(c_->Provider()->GetRecordIndexByHandle(7), -1);
  c_->SetValue(1, 0, 99);
  EXPECT_EQ(src_.Data[1].Values[0].AsInteger(), 99);
  c_->ChangeSortingOrder(0, TcxDataSortOrder::soDescending);
  EXPECT_EQ(Numbers(), (V{99, 50, 40, 30, 10}));
  src_.Data[4].Values[0] = Variant("abc");  // no number: still sorted, nothing raised
  src_.DataChanged();
  EXPECT_EQ(c_->GetRowCount(), 5);
  EXPECT_EQ(c_->GetItemCount(), 2);  // the handle field is internal
}

TEST_F(Provider, ARefreshThatFailsAtTheEndOfABracketLeavesNoBracketOpen) {
  c_->BeginUpdate();
  c_->Refresh();  // waits for the end of the bracket
  src_.Fails = true;
  EXPECT_THROW(c_->EndUpdate(), Exception);
  EXPECT_EQ(c_->LockCount(), 0);
  src_.Fails = false;
  src_.Add(60, "f");
  c_->Refresh();  // not held back by a bracket left open
  EXPECT_EQ(c_->GetRecordCount(), 6);
  EXPECT_EQ(c_->GetRowCount(), 6);
}

TEST_F(Provider, AppendInsertPostAndCancelGoToTheSource) {
  c_->ChangeFocusedRowIndex(2);
  c_->Insert();  // before row 2
  EXPECT_EQ(c_->GetFocusedRecordIndex(), 2);
  EXPECT_EQ(src_.Data.size(), 6u);
  EXPECT_EQ(src_.Data[2].Id, 105);
  EXPECT_EQ(c_->GetFocusedRowIndex(), 2);
  c_->SetEditValue(0, 25, evsValue);
  c_->PostEditing();
  EXPECT_EQ(src_.Numbers(), (V{10, 20, 25, 30, 40, 50}));

  c_->Append();
  c_->PostEditing();  // nothing entered: the source loses the row again
  EXPECT_EQ(src_.Numbers(), (V{10, 20, 25, 30, 40, 50}));

  c_->ChangeFocusedRowIndex(0);
  c_->SetEditValue(0, 1, evsValue);
  c_->Cancel();  // the old value goes back into the source
  EXPECT_EQ(src_.Data[0].Values[0].AsInteger(), 10);

  src_.MakesRecords = false;  // a source without new records: nothing to edit
  c_->Append();
  EXPECT_TRUE(c_->GetEditState().Empty());
  EXPECT_EQ(c_->GetRecordCount(), 6);
}

// A source that stores the value and then refuses it, as one that checks after writing.
struct StoresThenRaises : IdRows {
  void SetValue(TcxDataRecordHandle H, TcxDataItemHandle I, const Variant& AValue) override {
    IdRows::SetValue(H, I, AValue);
    if (VarToStr(AValue) == "13") throw EcxInvalidDataControllerOperation("13 is refused");
  }
};

TEST_F(Provider, AValueThatRaisesPartWayIsUndoneByCancelAndKeptByPost) {
  Owned<StoresThenRaises> src(New<StoresThenRaises>());
  for (Integer i = 1; i <= 3; ++i) src->Add(i * 10, "x");
  c_->SetCustomDataSource(src.get());
  c_->ChangeFocusedRowIndex(1);
  EXPECT_THROW(c_->SetEditValue(0, 13, evsValue), EcxInvalidDataControllerOperation);
  EXPECT_EQ(src->Data[1].Values[0].AsInteger(), 13) << "the source kept what it was given";
  EXPECT_TRUE(c_->Provider()->IsModified());
  c_->Cancel();
  EXPECT_EQ(src->Data[1].Values[0].AsInteger(), 20) << "Cancel puts the old value back";

  // A new record whose first value raised part-way is an edit, not an empty row.
  c_->Append();
  EXPECT_THROW(c_->SetEditValue(0, 13, evsValue), EcxInvalidDataControllerOperation);
  c_->PostEditing();
  EXPECT_EQ(src->Numbers(), (V{10, 20, 30, 13}));
  c_->SetCustomDataSource(nullptr);
}

TEST_F(Provider, InsertingIntoAnEmptySourceAppends) {
  src_.Data.clear();
  src_.DataChanged();
  EXPECT_EQ(c_->GetRecordCount(), 0);
  EXPECT_EQ(c_->InsertRecord(0), 0);
  EXPECT_EQ(src_.Data.size(), 1u);
  EXPECT_EQ(c_->Provider()->GetRecordHandle(0), src_.Data[0].Id);
}

TEST_F(Provider, AReloadKeepsTheSelectionByRecordId) {
  EXPECT_TRUE(c_->IsSmartRefresh());
  c_->SetMultiSelect(true);
  c_->ChangeRowSelection(1, true);  // id 101
  c_->ChangeRowSelection(3, true);  // id 103
  c_->BeginSaveKeys();
  src_.DeleteRecord(102);
  std::swap(src_.Data[0],
            src_.Data[3]);  // 103 20 40 10 ... -> ids 104 101 103 100 after the delete
  src_.DataChanged();
  c_->EndRestoreKeys();
  std::vector<Integer> ids;
  for (Integer i = 0; i < c_->GetSelectedCount(); ++i)
    ids.push_back(
        c_->GetRecordId(c_->GetRowInfo(c_->GetSelectedRowIndex(i)).RecordIndex).AsInteger());
  std::sort(ids.begin(), ids.end());
  EXPECT_EQ(ids, (V{101, 103}));
}

TEST_F(Provider, DeletingTheSelectionDeletesFromTheSourceAndReadsItOnce) {
  struct Counter : TObject {
    S Log;
    void Before(TcxCustomDataController*, Integer R) { Log.push_back("BD" + std::to_string(R)); }
    void Update(TcxUpdateControlInfo* AInfo) {
      if (auto* d = dynamic_cast<TcxDataChangedInfo*>(AInfo))
        Log.push_back("data" + std::to_string(Integer(d->Kind)));
    }
  } counter;
  c_->OnBeforeDelete = TcxDataControllerRecordEvent(&counter, &Counter::Before);
  c_->OnUpdateControl = TcxUpdateControlEvent(&counter, &Counter::Update);
  c_->SetMultiSelect(true);
  c_->ChangeRowSelection(0, true);
  c_->ChangeRowSelection(2, true);
  c_->ChangeRowSelection(4, true);
  c_->DeleteSelection();
  EXPECT_EQ(src_.Numbers(), (V{20, 40}));
  EXPECT_EQ(c_->GetRecordCount(), 2);
  EXPECT_EQ(counter.Log, (S{"BD4", "BD2", "BD0", "data4"}));  // one change, dcTotal
  EXPECT_EQ(c_->GetSelectedCount(), 0);
}

TEST_F(Provider, HasChildrenIsAskedOnceUntilADetailChanges) {
  Owned<TcxDataController> pattern(New<TcxDataController>(nullptr));
  pattern->SetMasterRelation(c_->Relations()->Add(items_[0].get()), -1);
  EXPECT_TRUE(c_->GetDetailHasChildren(1, 0));
  EXPECT_FALSE(c_->GetDetailHasChildren(2, 0));
  EXPECT_TRUE(c_->GetDetailHasChildren(1, 0));
  EXPECT_EQ(src_.ChildAsks, 2);
  pattern->SetRecordCount(1);  // a detail changed: the answers are asked again
  EXPECT_TRUE(c_->GetDetailHasChildren(1, 0));
  EXPECT_EQ(src_.ChildAsks, 3);
  EXPECT_EQ(c_->GetItemValue(1, 0).AsInteger(), 20);  // values still from the source
}

TEST_F(Provider, ASourceGoneOrRemovedLeavesProviderMode) {
  {
    Owned<IdRows> other(New<IdRows>());
    other->Add(7, "x");
    c_->SetCustomDataSource(other.get());
    EXPECT_EQ(c_->GetRecordCount(), 1);
  }  // destroyed while attached
  EXPECT_FALSE(c_->IsProviderMode());
  EXPECT_EQ(c_->GetRecordCount(), 0);
  EXPECT_EQ(c_->Fields()->InternalCount(), 0);
  c_->SetRecordCount(2);  // the controller's own records again
  c_->SetValue(1, 0, 5);
  EXPECT_EQ(c_->GetItemValue(1, 0).AsInteger(), 5);
}

}  // namespace

namespace {

// A provider with a cursor of its own (as over a data set): the reload reads one record
// per position through the provider's reader.
Integer gCursor = 0;

struct CursorReader : TcxValueDefReader {
  Variant GetValue(TcxValueDef*) override { return gCursor * 10; }
};

struct CursorProvider : TcxCustomDataProvider {
  using TcxCustomDataProvider::TcxCustomDataProvider;
  Integer Count = 3;
  bool IsActive() const override { return true; }
  bool IsEOF() const override { return gCursor >= Count; }
  void First() override { gCursor = 0; }
  void Next() override { ++gCursor; }
  TcxValueDefReaderClass GetValueDefReaderClass() const override {
    return ClassOf<CursorReader, TcxValueDefReader>();
  }
};

struct CursorController : TcxDataController {
  using TcxDataController::TcxDataController;
  TcxDataProviderClass GetDataProviderClass() const override {
    return ClassOf<CursorProvider, TcxCustomDataProvider, TcxCustomDataController*>();
  }
};

class Cursor : public ControllerTest {
 protected:
  TcxCustomDataController* Make() override { return New<CursorController>(nullptr); }
};

TEST_F(Cursor, AReloadReadsEveryPositionOfTheProvider) {
  AddItems({IntType()});
  Fill({{7}});
  c_->ReloadStorage();
  ASSERT_EQ(c_->GetRecordCount(), 3);
  EXPECT_EQ(c_->GetItemValue(2, 0).AsInteger(), 20);
  EXPECT_EQ(c_->GetRowCount(), 3);
}

}  // namespace

TEST_F(Provider, DeletingARecordThroughTheSourceKeepsTheFocusAndSelectionOnTheirRecords) {
  c_->SetMultiSelect(true);
  c_->ChangeFocusedRowIndex(3);  // 40
  c_->ClearSelection();
  c_->ChangeRowSelection(4, true);  // 50
  c_->DeleteRecord(0);              // 20 30 40 50, read again from the source
  EXPECT_EQ(src_.Numbers(), (V{20, 30, 40, 50}));
  EXPECT_EQ(c_->GetFocusedRowIndex(), 2);
  EXPECT_EQ(c_->GetItemValue(c_->GetFocusedRecordIndex(), 0).AsInteger(), 40);
  ASSERT_EQ(c_->GetSelectedCount(), 1);
  EXPECT_EQ(c_->GetSelectedRowIndex(0), 3);
  c_->InsertRecord(0);  // (empty) 20 30 40 50
  EXPECT_EQ(c_->GetFocusedRowIndex(), 3);
  EXPECT_EQ(c_->GetItemValue(c_->GetFocusedRecordIndex(), 0).AsInteger(), 40);
  EXPECT_EQ(c_->GetSelectedRowIndex(0), 4);
}

namespace {

struct KeyedByNumber : TcxDataController {
  using TcxDataController::TcxDataController;
  void GetKeyFields(std::vector<TcxCustomDataField*>& AFields) const override {
    AFields.push_back(Fields()->GetItem(0));
  }
};

class KeyedProvider : public Provider {
 protected:
  TcxCustomDataController* Make() override { return New<KeyedByNumber>(nullptr); }
};

}  // namespace

TEST_F(KeyedProvider, ExpandedDetailsComeBackByKeyAfterAReload) {
  ASSERT_TRUE(c_->IsSmartRefresh());
  TcxCustomDataRelation* relation = c_->Relations()->Add(items_[0].get());
  Owned<TcxDataController> pattern(New<TcxDataController>(nullptr));
  pattern->SetMasterRelation(relation, -1);
  ASSERT_TRUE(c_->ChangeDetailExpanding(1, true));  // 20
  ASSERT_TRUE(c_->ChangeDetailExpanding(3, true));  // 40
  c_->BeginSaveKeys();
  src_.DeleteRecord(100);  // 10 goes: 20 30 40 50
  src_.DataChanged();
  c_->EndRestoreKeys();
  ASSERT_EQ(c_->GetRecordCount(), 4);
  V expanded;
  for (Integer r = 0; r < c_->GetRecordCount(); ++r)
    if (c_->GetDetailExpanding(r)) expanded.push_back(c_->GetItemValue(r, 0).AsInteger());
  EXPECT_EQ(expanded, (V{20, 40}));
}

// A handler of the restored expanding that takes records away ends the restore there,
// without an error about a record that is gone.
TEST_F(KeyedProvider, AnExpandingHandlerThatTakesRecordsAwayEndsTheRestore) {
  struct Shrinker : TObject {
    IdRows* Source = nullptr;
    void Expanded(TcxCustomDataController*, Integer) {
      if (Source->Data.size() <= 1) return;
      Source->Data.resize(1);
      Source->DataChanged();
    }
  } shrinker;
  shrinker.Source = &src_;
  TcxCustomDataRelation* relation = c_->Relations()->Add(items_[0].get());
  Owned<TcxDataController> pattern(New<TcxDataController>(nullptr));
  pattern->SetMasterRelation(relation, -1);
  ASSERT_TRUE(c_->ChangeDetailExpanding(3, true));  // 40
  c_->BeginSaveKeys();
  src_.DataChanged();
  c_->OnDetailExpanded = TcxDataDetailExpandedEvent(&shrinker, &Shrinker::Expanded);
  EXPECT_NO_THROW(c_->EndRestoreKeys());
  c_->OnDetailExpanded = nullptr;
  EXPECT_EQ(c_->GetRecordCount(), 1);
}

namespace {

// Frees itself, once armed, as it is asked for a detail, as a detail binding to a data set
// whose handler frees the master would.
struct FreedByItsDetail : KeyedByNumber {
  using KeyedByNumber::KeyedByNumber;
  bool Armed = false;
  TObject* CreateDetailDataController(TcxCustomDataRelation* ARelation, Integer ARecordIndex) override {
    if (!Armed) return KeyedByNumber::CreateDetailDataController(ARelation, ARecordIndex);
    Free();
    return nullptr;
  }
};

class FreedByItsDetailProvider : public Provider {
 protected:
  TcxCustomDataController* Make() override { return New<FreedByItsDetail>(nullptr); }
};

}  // namespace

TEST_F(FreedByItsDetailProvider, AControllerFreedAsItsDetailsComeBackEndsTheRestoreThere) {
  TcxCustomDataRelation* relation = c_->Relations()->Add(items_[0].get());
  Owned<TcxDataController> pattern(New<TcxDataController>(nullptr));
  pattern->SetMasterRelation(relation, -1);
  ASSERT_TRUE(c_->ChangeDetailExpanding(1, true));  // 20
  ASSERT_TRUE(c_->ChangeDetailExpanding(3, true));  // 40
  c_->BeginSaveKeys();
  src_.DeleteRecord(100);
  src_.DataChanged();
  static_cast<FreedByItsDetail*>(c_.get())->Armed = true;
  TWeakLink alive(c_.get());
  TcxCustomDataController* c = c_.release();
  c->EndRestoreKeys();
  EXPECT_FALSE(alive.Alive());
}

namespace {

// Frees itself, once armed, as its edit is settled before its details collapse, as a data
// set's post handler freeing the controller would.
struct FreedBySettling : KeyedByNumber {
  using KeyedByNumber::KeyedByNumber;
  bool Armed = false;
  void CheckBrowseState() override {
    if (Armed) Free();
  }
};

class FreedBySettlingProvider : public Provider {
 protected:
  TcxCustomDataController* Make() override { return New<FreedBySettling>(nullptr); }
};

}  // namespace

TEST_F(FreedBySettlingProvider, AControllerFreedAsItSettlesItsEditBeforeCollapsingEndsThere) {
  TcxCustomDataRelation* relation = c_->Relations()->Add(items_[0].get());
  Owned<TcxDataController> pattern(New<TcxDataController>(nullptr));
  pattern->SetMasterRelation(relation, -1);
  ASSERT_TRUE(c_->ChangeDetailExpanding(1, true));
  static_cast<FreedBySettling*>(c_.get())->Armed = true;
  TWeakLink alive(c_.get());
  TcxCustomDataController* c = c_.release();
  c->CollapseDetails();
  EXPECT_FALSE(alive.Alive());
}
