// Change notification: merging data changes inside nested brackets into one notification
// of the right kind, the order of what is sent, listeners and listener links.
#include "DataControllerTestSupport.h"

#include "classlib/core/SysUtils.h"
#include "widgets/data/cxDataRelations.h"
#include "widgets/data/cxDataStorage.h"
#include "widgets/data/cxDataUtils.h"

#include <algorithm>
#include <limits>
#include <string>

using enum TcxDataChange;
using enum TcxDataSortOrder;

namespace {

struct Recorder : TObject {
  std::vector<std::string> Sent;
  std::vector<std::string> Events;
  TcxDataChange Kind = dcTotal;
  Integer Item = -2, Record = -2;
  void Update(TcxUpdateControlInfo* AInfo) {
    Sent.push_back(AInfo->ClassName());
    if (auto* d = dynamic_cast<TcxDataChangedInfo*>(AInfo)) {
      Kind = d->Kind;
      Item = d->ItemIndex;
      Record = d->RecordIndex;
    }
  }
  void DataChanged(TcxCustomDataController*) { Events.push_back("data"); }
  void RecordChanged(TcxCustomDataController*, Integer ARecordIndex, Integer AItemIndex) {
    Events.push_back("record " + std::to_string(ARecordIndex) + " item " + std::to_string(AItemIndex));
  }
  void SortingChanged(TcxCustomDataController*) { Events.push_back("sorting"); }
  void GroupingChanged(TcxCustomDataController*) { Events.push_back("grouping"); }
  void Listener(TObject* Sender) { Events.push_back(Sender ? "listener" : "listener without sender"); }
};

class Notify : public ControllerTest {
 protected:
  void SetUp() override {
    ControllerTest::SetUp();
    AddItems({IntType(), IntType()});
    c_->SetRecordCount(6);
    c_->OnUpdateControl = TcxUpdateControlEvent(&r_, &Recorder::Update);
    c_->OnDataChanged = TcxDataControllerNotifyEvent(&r_, &Recorder::DataChanged);
    c_->OnRecordChanged = TcxDataRecordChangedEvent(&r_, &Recorder::RecordChanged);
    c_->OnSortingChanged = TcxDataControllerNotifyEvent(&r_, &Recorder::SortingChanged);
    c_->OnGroupingChanged = TcxDataControllerNotifyEvent(&r_, &Recorder::GroupingChanged);
  }
  // Runs AChange inside two nested brackets; nothing may be sent before the outer end.
  template <class F>
  void InBrackets(F AChange) {
    r_.Sent.clear();
    r_.Events.clear();
    c_->BeginUpdate();
    c_->BeginUpdate();
    AChange();
    c_->EndUpdate();
    EXPECT_TRUE(r_.Sent.empty());
    EXPECT_TRUE(r_.Events.empty());
    c_->EndUpdate();
  }
  Recorder r_;
};

}  // namespace

TEST_F(Notify, ChangesMergeIntoOneNotificationOfTheRightKind) {
  InBrackets([&] { c_->SetValue(3, 1, 7); });
  EXPECT_EQ(r_.Sent, (std::vector<std::string>{"TcxDataChangedInfo"}));
  EXPECT_EQ(r_.Kind, dcField);
  EXPECT_EQ(r_.Item, 1);
  EXPECT_EQ(r_.Record, 3);
  EXPECT_EQ(r_.Events, (std::vector<std::string>{"record 3 item 1", "data"}));

  InBrackets([&] {
    c_->SetValue(3, 0, 1);
    c_->SetValue(3, 1, 2);
  });
  EXPECT_EQ(r_.Sent, (std::vector<std::string>{"TcxDataChangedInfo"}));
  EXPECT_EQ(r_.Kind, dcRecord);
  EXPECT_EQ(r_.Item, -1);
  EXPECT_EQ(r_.Record, 3);
  EXPECT_EQ(r_.Events, (std::vector<std::string>{"record 3 item -1", "data"}));

  InBrackets([&] {
    c_->SetValue(3, 0, 1);
    c_->SetValue(4, 0, 2);
  });
  EXPECT_EQ(r_.Kind, dcTotal);
  EXPECT_EQ(r_.Events, (std::vector<std::string>{"data"}));

  // Once two records changed, a further change of one of them does not narrow it down.
  InBrackets([&] {
    c_->SetValue(3, 0, 1);
    c_->SetValue(4, 0, 2);
    c_->SetValue(4, 0, 3);
  });
  EXPECT_EQ(r_.Kind, dcTotal);

  // Nor does a value written into a record just added.
  InBrackets([&] {
    const Integer r = c_->AppendRecord();
    c_->SetValue(r, 0, 1);
  });
  EXPECT_EQ(r_.Kind, dcTotal);

  InBrackets([&] { c_->AppendRecord(); });
  EXPECT_EQ(r_.Kind, dcNew);
  InBrackets([&] { c_->DeleteRecord(0); });
  EXPECT_EQ(r_.Kind, dcDeleted);
  EXPECT_EQ(r_.Record, 0);
}

TEST_F(Notify, AFieldChangeAfterAWholeRecordChangeStillTellsTheWholeRecord) {
  InBrackets([&] {
    c_->DataChanged(dcRecord, -1, 3);
    c_->SetValue(3, 1, 7);
  });
  EXPECT_EQ(r_.Sent, (std::vector<std::string>{"TcxDataChangedInfo"}));
  EXPECT_EQ(r_.Kind, dcRecord);
  EXPECT_EQ(r_.Item, -1);
  EXPECT_EQ(r_.Record, 3);
  EXPECT_EQ(r_.Events, (std::vector<std::string>{"record 3 item -1", "data"}));

  // The other way round the record change is the wider one anyway.
  InBrackets([&] {
    c_->SetValue(3, 1, 8);
    c_->DataChanged(dcRecord, -1, 3);
  });
  EXPECT_EQ(r_.Kind, dcRecord);
  EXPECT_EQ(r_.Item, -1);
  // The same field twice stays one field.
  InBrackets([&] {
    c_->SetValue(3, 1, 9);
    c_->SetValue(3, 1, 10);
  });
  EXPECT_EQ(r_.Kind, dcField);
  EXPECT_EQ(r_.Item, 1);
}

TEST_F(Notify, AValueTypedIntoTheNewItemRowIsToldAsARecordChange) {
  c_->SetUseNewItemRowForEditing(true);
  c_->ChangeFocusedRowIndex(2);
  c_->SetNewItemRowFocused(true);
  ASSERT_TRUE(c_->IsNewItemRowActive());
  r_.Events.clear();
  c_->SetEditValue(1, 60, TcxDataEditValueSource::evsValue);
  ASSERT_EQ(r_.Kind, dcField);
  ASSERT_EQ(r_.Record, -1);  // the new-item row's own record
  ASSERT_FALSE(r_.Events.empty());
  EXPECT_EQ(r_.Events.back(), "data");
  EXPECT_NE(std::find(r_.Events.begin(), r_.Events.end(), "record -1 item 1"), r_.Events.end());
  c_->Cancel();
}

TEST_F(Notify, APatternDetailCallsOnlyItsListeners) {
  TcxCustomDataRelation* relation = c_->Relations()->Add(items_[0].get());
  Owned<TcxDataController> pattern(New<TcxDataController>(nullptr));
  Owned<TestItem> item(New<TestItem>());
  pattern->AddItem(item.get());
  pattern->ChangeValueTypeClass(0, IntType());
  pattern->SetRecordCount(2);
  pattern->SetMasterRelation(relation, -1);
  ASSERT_EQ(pattern->GetDetailMode(), TcxDataControllerDetailMode::dcdmPattern);
  Recorder seen;
  pattern->OnDataChanged = TcxDataControllerNotifyEvent(&seen, &Recorder::DataChanged);
  pattern->OnRecordChanged = TcxDataRecordChangedEvent(&seen, &Recorder::RecordChanged);
  pattern->AddNotifyEventItem(&seen, TNotifyEvent(&seen, &Recorder::Listener));
  pattern->SetValue(1, 0, 5);
  EXPECT_EQ(seen.Events, (std::vector<std::string>{"listener"}));

  // Left on its own it is a controller like any other.
  c_->Relations()->Clear();
  seen.Events.clear();
  pattern->SetValue(1, 0, 6);
  EXPECT_EQ(seen.Events, (std::vector<std::string>{"record 1 item 0", "data", "listener"}));
}

TEST_F(Notify, SortingAndGroupingSendLayoutAndTheirEvents) {
  InBrackets([&] { c_->ChangeSortingOrder(0, soAscending); });
  EXPECT_EQ(r_.Sent, (std::vector<std::string>{"TcxLayoutChangedInfo"}));
  EXPECT_EQ(r_.Events, (std::vector<std::string>{"sorting"}));
  InBrackets([&] { c_->ChangeSortingOrder(0, soAscending); });  // unchanged: nothing at all
  EXPECT_TRUE(r_.Sent.empty());

  InBrackets([&] { c_->ChangeItemGroupIndex(1, 0); });
  EXPECT_EQ(r_.Sent, (std::vector<std::string>{"TcxDataChangedInfo"}));
  EXPECT_EQ(r_.Events, (std::vector<std::string>{"data", "grouping"}));

  // A sort and a value change in one bracket: one data notification, then the event.
  InBrackets([&] {
    c_->ChangeSortingOrder(0, soDescending);
    c_->SetValue(2, 0, 5);
  });
  EXPECT_EQ(r_.Sent, (std::vector<std::string>{"TcxDataChangedInfo"}));
  EXPECT_EQ(r_.Events, (std::vector<std::string>{"record 2 item 0", "data", "sorting"}));
}

TEST_F(Notify, ListenersAndTheirRemoval) {
  Recorder other;
  c_->OnDataChanged = nullptr;
  c_->OnRecordChanged = nullptr;
  const TNotifyEvent listener(&other, &Recorder::Listener);
  c_->AddNotifyEventItem(&other, listener);
  c_->SetValue(0, 0, 1);
  EXPECT_EQ(other.Events, (std::vector<std::string>{"listener"}));
  c_->RemoveNotifyEventItem(&other, listener);
  c_->SetValue(0, 0, 2);
  EXPECT_EQ(other.Events.size(), 1u);
  EXPECT_EQ(r_.Sent.back(), "TcxDataChangedInfo");  // the owner is still told
}

TEST_F(Notify, ARaisingHandlerLeavesNoBracketOpen) {
  struct Raiser : TObject {
    void Filter(TcxCustomDataController*, Integer, bool&) { throw EAbort("stop"); }
  } raiser;
  c_->OnFilterRecord = TcxDataFilterRecordEvent(&raiser, &Raiser::Filter);
  EXPECT_THROW(c_->SetValue(1, 0, 1), EAbort);
  EXPECT_EQ(c_->LockCount(), 0);
  c_->OnFilterRecord = nullptr;
  r_.Sent.clear();
  c_->SetValue(1, 0, 2);
  EXPECT_EQ(r_.Sent, (std::vector<std::string>{"TcxDataChangedInfo"}));
  EXPECT_EQ(c_->GetRowCount(), 6);
}

TEST_F(Notify, WhatARaisingHandlerLeftUnsentGoesOutWithTheNextChange) {
  struct Raiser : TObject {
    bool Armed = true;
    void Data(TcxCustomDataController*) {
      if (!Armed) return;
      Armed = false;
      throw EAbort("stop");
    }
  } raiser;
  c_->ChangeFocusedRowIndex(1);
  c_->OnDataChanged = TcxDataControllerNotifyEvent(&raiser, &Raiser::Data);
  c_->OnRecordChanged = nullptr;
  r_.Sent.clear();
  c_->BeginUpdate();
  c_->ChangeFocusedRowIndex(4);
  c_->SetValue(2, 0, 9);
  EXPECT_THROW(c_->EndUpdate(), EAbort);
  EXPECT_EQ(c_->LockCount(), 0);
  EXPECT_EQ(r_.Sent, (std::vector<std::string>{"TcxDataChangedInfo"}));
  r_.Sent.clear();
  c_->SetValue(2, 0, 10);
  EXPECT_EQ(r_.Sent, (std::vector<std::string>{"TcxDataChangedInfo", "TcxFocusedRowChangedInfo",
                                                "TcxFocusedRecordChangedInfo"}));
  r_.Sent.clear();
  c_->SetValue(2, 0, 11);  // told once only
  EXPECT_EQ(r_.Sent, (std::vector<std::string>{"TcxDataChangedInfo"}));
}

TEST_F(Notify, ListenerLinkForgetsADestroyedController) {
  TcxDataListenerLink* link = c_->CreateListenerLink();
  EXPECT_EQ(link->DataController(), c_.get());
  c_.reset();
  EXPECT_EQ(link->DataController(), nullptr);
  link->Free();
}

TEST_F(Notify, AssignCopiesOptionsAndTheEightEvents) {
  Owned<TcxDataController> copy(New<TcxDataController>(nullptr));
  c_->SetOptions({TcxDataControllerOption::dcoAnsiSort});
  copy->Assign(c_.get());
  EXPECT_EQ(copy->Options(), c_->Options());
  EXPECT_TRUE(copy->OnDataChanged == c_->OnDataChanged);
  EXPECT_TRUE(copy->OnSortingChanged == c_->OnSortingChanged);
  EXPECT_FALSE(bool(copy->OnRecordChanged));  // outside the eight
  EXPECT_FALSE(bool(copy->OnUpdateControl));
}

namespace {

struct LoadingOwner : TComponent {
  LoadingOwner() : TComponent(nullptr) {}
  void SetLoading(bool AOn) { SetStateFlag(TComponentStateItem::csLoading, AOn); }
};

}  // namespace

TEST_F(Notify, ChangesWhileTheOwnerLoadsAreToldByLoaded) {
  Owned<LoadingOwner> owner(New<LoadingOwner>());
  Owned<TcxDataController> c(New<TcxDataController>(owner.get()));
  TestItem item;
  c->AddItem(&item);
  c->ChangeValueTypeClass(0, IntType());
  c->OnDataChanged = TcxDataControllerNotifyEvent(&r_, &Recorder::DataChanged);
  r_.Events.clear();
  owner->SetLoading(true);
  c->SetRecordCount(2);
  EXPECT_TRUE(r_.Events.empty());
  owner->SetLoading(false);
  c->Loaded();
  EXPECT_EQ(r_.Events, (std::vector<std::string>{"data"}));
  c->Loaded();  // only once
  EXPECT_EQ(r_.Events.size(), 1u);
}

TEST_F(Notify, FocusMovesToTheTopAfterSortingWhenAsked) {
  c_->BeginUpdate();
  for (Integer r = 0; r < 6; ++r) c_->SetValue(r, 0, r);
  c_->EndUpdate();
  c_->ChangeFocusedRowIndex(2);
  c_->ChangeSortingOrder(0, soDescending);
  EXPECT_EQ(c_->GetFocusedRecordIndex(), 2);  // follows its record by default
  c_->SetOptions(c_->Options() + TcxDataControllerOptions{TcxDataControllerOption::dcoFocusTopRowAfterSorting});
  r_.Sent.clear();
  c_->ChangeSortingOrder(0, soAscending);
  EXPECT_EQ(c_->GetFocusedRowIndex(), 0);
  EXPECT_EQ(c_->GetFocusedRecordIndex(), 0);
  EXPECT_EQ(r_.Sent, (std::vector<std::string>{"TcxLayoutChangedInfo", "TcxFocusedRowChangedInfo",
                                               "TcxFocusedRecordChangedInfo"}));
}

TEST_F(Notify, AChangeFromAFilterHandlerWaitsForTheNextRebuild) {
  struct Meddler : TObject {
    Integer Calls = 0;
    void Filter(TcxCustomDataController* C, Integer ARecordIndex, bool& Accept) {
      ++Calls;
      if (ARecordIndex == 0 && C->GetItemValue(0, 0).VType() == varNull) C->SetValue(0, 0, 1);
      Accept = ARecordIndex != 5;
    }
  } m;
  c_->OnFilterRecord = TcxDataFilterRecordEvent(&m, &Meddler::Filter);
  c_->RefreshView();
  EXPECT_EQ(m.Calls, 6);  // one pass, not one per change
  EXPECT_EQ(c_->GetRowCount(), 5);
  EXPECT_EQ(c_->GetItemValue(0, 0), Variant(1));
  EXPECT_EQ(c_->LockCount(), 0);
  c_->BeginUpdate();
  c_->EndUpdate();  // the waiting reload runs
  EXPECT_EQ(m.Calls, 12);
}

namespace {

TEST_F(Notify, AFilterHandlerThatRemovesRecordsLeavesNoRowPastThem) {
  struct Shrinker : TObject {
    Integer Calls = 0;
    Integer To = 2;
    void Filter(TcxCustomDataController* C, Integer, bool& Accept) {
      if (++Calls == 1) C->SetRecordCount(To);
      Accept = true;
    }
  } s;
  c_->OnFilterRecord = TcxDataFilterRecordEvent(&s, &Shrinker::Filter);
  c_->RefreshView();
  EXPECT_EQ(c_->GetRecordCount(), 2);
  EXPECT_EQ(Rows(), (std::vector<Integer>{0, 1})) << "rows only for the records left";
  for (Integer r = 0; r < c_->GetRowCount(); ++r) EXPECT_LT(c_->GetRowInfo(r).RecordIndex, 2);
  // Records added by the handler come in with the rebuild the change asked for.
  s.Calls = 0;
  s.To = 4;
  c_->RefreshView();
  c_->OnFilterRecord = nullptr;
  c_->BeginUpdate();
  c_->EndUpdate();
  EXPECT_EQ(Rows(), (std::vector<Integer>{0, 1, 2, 3}));
}

TEST_F(Notify, ARecordCountThatCannotBeHeldIsRefusedAndChangesNothing) {
  c_->SetValue(2, 0, 7);
  r_.Sent.clear();
  r_.Events.clear();
  for (const Integer count : {std::numeric_limits<Integer>::max(), TcxDataStorage::kMaxRecordCount + 1}) {
    try {
      c_->SetRecordCount(count);
      ADD_FAILURE() << count << " records were taken";
    } catch (const EcxInvalidDataControllerOperation& e) {
      EXPECT_EQ(e.Message(), "Not enough memory for " + IntToStr(count) + " records");
    }
    EXPECT_EQ(c_->GetRecordCount(), 6);
    EXPECT_EQ(c_->GetRowCount(), 6);
    EXPECT_EQ(c_->GetItemValue(2, 0), Variant(7));
    EXPECT_EQ(c_->LockCount(), 0);
  }
  EXPECT_TRUE(r_.Sent.empty());
  EXPECT_TRUE(r_.Events.empty());
  c_->SetRecordCount(8);  // a count that can be held still is
  EXPECT_EQ(c_->GetRecordCount(), 8);
}

}  // namespace
