// Keyed controllers with smart refresh over records whose keys do not tell them apart: new
// records with no key yet (Null) and records that share a key. Whatever the steps, each
// controller shows what the data set holds.
#include "tests/databinding/DBDataTestSupport.h"

#include <algorithm>
#include <string>

using enum TFieldType;

namespace {

class DBDataSharedKeys : public DBDataTest {
 protected:
  void TearDown() override {
    Second.reset();
    DBDataTest::TearDown();
  }
  // A keyed smart-refresh controller over the data set; the second one is sorted the
  // other way by NAME and selects several rows, as another grid would.
  TcxDBDataController* MakeKeyed(Owned<TcxDBDataController>& AController, bool ASecond) {
    AController.reset(New<TcxDBDataController>(nullptr));
    AddItems(AController.get(), {"ID", "NAME"});
    AController->SetKeyFieldNames("ID");
    AController->DataModeController()->SetSmartRefresh(true);
    if (ASecond) {
      AController->SetMultiSelect(true);
      AController->ChangeSortingOrder(1, TcxDataSortOrder::soDescending);
    }
    AController->SetDataSource(Source);
    return AController.get();
  }
  static std::string Text(const Variant& V) {
    return VarIsNull(V) || VarIsEmpty(V) ? std::string("-") : std::string(VarToStr(V));
  }
  // "ID/NAME" of each record, sorted: the controller's against the data set's.
  static std::vector<std::string> Shown(TcxDBDataController* AController) {
    std::vector<std::string> r;
    for (Integer i = 0; i < AController->GetRecordCount(); ++i)
      r.push_back(Text(AController->GetItemValue(i, 0)) + "/" +
                  Text(AController->GetItemValue(i, 1)));
    std::sort(r.begin(), r.end());
    return r;
  }
  std::vector<std::string> Held() const {
    std::vector<std::string> r;
    for (const WalkedRecord& w : Walk()) r.push_back(Text(w.Values[0]) + "/" + Text(w.Values[1]));
    std::sort(r.begin(), r.end());
    return r;
  }
  // Both controllers show the data set's records, each row once.
  void ExpectBothShowTheDataSet() {
    for (TcxDBDataController* c : {C.get(), Second.get()}) {
      if (!c) continue;
      EXPECT_EQ(Shown(c), Held());
      EXPECT_EQ(c->GetRowCount(), c->GetRecordCount());
    }
  }

  // Each stored record's bookmark leads back to it, and the data set's record there holds
  // its values.
  void ExpectEachBookmarkLeadsToItsRecord(TcxDBDataController* AController) {
    TcxDBDataProvider* p = AController->DBProvider();
    std::vector<TBookmarkStr> marks;
    for (Integer r = 0; r < AController->GetRecordCount(); ++r) {
      marks.push_back(p->RecordBookmark(r));
      ASSERT_FALSE(marks.back().empty()) << r;
      EXPECT_EQ(p->BookmarkedRecordIndex(marks.back()), r);
    }
    std::vector<std::string> there;
    DS->DisableControls();
    for (const TBookmarkStr& mark : marks) {
      DS->GotoBookmark(mark);
      there.push_back(Text(DS->FieldByName("ID")->Value()) + "/" + Text(DS->FieldByName("NAME")->Value()));
    }
    DS->EnableControls();
    for (Integer r = 0; r < AController->GetRecordCount(); ++r)
      EXPECT_EQ(there[size_t(r)],
                Text(AController->GetItemValue(r, 0)) + "/" + Text(AController->GetItemValue(r, 1)));
  }

  Owned<TcxDBDataController> Second;
};

TEST_F(DBDataSharedKeys, AppendsWithoutAKeyUnderTwoControllersLeaveBothShowingTheDataSet) {
  MakeDataSet({{"ID", ftInteger}, {"NAME", ftString, 20}}, {{1, "n1"}, {2, "n2"}});
  DS->Open();
  TcxDBDataController* first = MakeKeyed(C, false);
  TcxDBDataController* second = MakeKeyed(Second, true);
  // Appends on the data set, then an insert through one controller and an append through
  // the other: each new record holds no key while it is under way.
  DS->Append();
  DS->Append();
  first->Insert();
  second->Append();
  EXPECT_EQ(DS->State(), TDataSetState::dsInsert);
  EXPECT_NO_THROW(first->GotoLast());
  EXPECT_EQ(DS->State(), TDataSetState::dsBrowse);
  ExpectBothShowTheDataSet();
  EXPECT_NO_THROW(first->Insert());
  EXPECT_NO_THROW(first->GotoLast());
  ExpectBothShowTheDataSet();
}

TEST_F(DBDataSharedKeys, AnEmptyInsertLeftForTheLastRowIsCancelledUnderOneController) {
  MakeDataSet({{"ID", ftInteger}, {"NAME", ftString, 20}}, {{1, "n1"}, {2, "n2"}, {3, "n3"}});
  DS->Open();
  TcxDBDataController* first = MakeKeyed(C, false);
  first->ChangeFocusedRowIndex(1);
  first->Insert();
  EXPECT_NO_THROW(first->GotoLast());
  EXPECT_EQ(first->GetItemValue(first->GetFocusedRecordIndex(), 1), Variant("n3"));
  EXPECT_EQ(DS->FieldByName("NAME")->Value(), Variant("n3"));
  MakeKeyed(Second, true);
  ExpectBothShowTheDataSet();
}

TEST_F(DBDataSharedKeys, AnAppendCancelledByAnotherControllerLeavesNoRecordBehind) {
  MakeDataSet({{"ID", ftInteger}, {"NAME", ftString, 20}}, {{1, "n1"}, {2, "n2"}});
  DS->Open();
  TcxDBDataController* first = MakeKeyed(C, false);
  TcxDBDataController* second = MakeKeyed(Second, true);
  first->ChangeFocusedRowIndex(1);
  first->Insert();
  // The other controller's append leaves the empty insert: it is cancelled under both.
  second->Append();
  second->Cancel();
  EXPECT_EQ(DS->State(), TDataSetState::dsBrowse);
  ExpectBothShowTheDataSet();
}

TEST_F(DBDataSharedKeys, EditsOfRecordsSharingAKeyReachTheRecordEdited) {
  MakeDataSet({{"ID", ftInteger}, {"NAME", ftString, 20}}, {{1, "a"}, {1, "b"}, {2, "c"}});
  DS->Open();
  TcxDBDataController* first = MakeKeyed(C, false);
  MakeKeyed(Second, true);
  ExpectBothShowTheDataSet();
  // The second record of key 1 is edited: the first keeps its name.
  first->ChangeFocusedRowIndex(1);
  EXPECT_EQ(first->GetItemValue(first->GetFocusedRecordIndex(), 1), Variant("b"));
  first->Edit();
  first->SetEditValue(1, Variant("x"), TcxDataEditValueSource::evsValue);
  first->PostEditing();
  EXPECT_EQ(DS->Lookup("NAME", Variant("a"), "ID"), Variant(1));
  ExpectBothShowTheDataSet();
  // A key changed to one that another record has already.
  first->ChangeFocusedRowIndex(2);
  first->Edit();
  first->SetEditValue(0, Variant(1), TcxDataEditValueSource::evsValue);
  first->PostEditing();
  ExpectBothShowTheDataSet();
  // The same on the data set itself.
  DS->Locate("NAME", Variant("a"), TLocateOptions());
  DS->Edit();
  DS->FieldByName("ID")->SetAsInteger(3);
  DS->Post();
  ExpectBothShowTheDataSet();
}

TEST_F(DBDataSharedKeys, DeletingOneOfTwoRecordsSharingAKeyDeletesTheFocusedOne) {
  MakeDataSet({{"ID", ftInteger}, {"NAME", ftString, 20}}, {{1, "a"}, {1, "b"}, {2, "c"}});
  DS->Open();
  TcxDBDataController* first = MakeKeyed(C, false);
  first->ChangeFocusedRowIndex(1);
  ASSERT_EQ(first->GetItemValue(first->GetFocusedRecordIndex(), 1), Variant("b"));
  first->DeleteFocused();
  EXPECT_EQ(DS->Lookup("ID", Variant(1), "NAME"), Variant("a"));
  EXPECT_EQ(DS->RecordCount(), 2);
  MakeKeyed(Second, true);
  ExpectBothShowTheDataSet();
  // Through the second controller, sorted the other way: its focused row's record goes.
  DS->Append();
  DS->FieldByName("ID")->SetAsInteger(1);
  DS->FieldByName("NAME")->SetAsString("d");
  DS->Post();
  ExpectBothShowTheDataSet();
  Second->ChangeFocusedRowIndex(Second->GetRowIndexByRecordIndex(
      [&] {
        for (Integer r = 0; r < Second->GetRecordCount(); ++r)
          if (Second->GetItemValue(r, 1) == Variant("d")) return r;
        return Integer(-1);
      }(),
      true));
  Second->DeleteFocused();
  EXPECT_TRUE(VarIsNull(DS->Lookup("NAME", Variant("d"), "ID")));
  EXPECT_EQ(DS->Lookup("NAME", Variant("a"), "ID"), Variant(1));
  ExpectBothShowTheDataSet();
}

TEST_F(DBDataSharedKeys, DeletingSelectedRecordsSharingAKeyDeletesThoseSelected) {
  MakeDataSet({{"ID", ftInteger}, {"NAME", ftString, 20}},
              {{1, "a"}, {1, "b"}, {2, "c"}, {1, "d"}});
  DS->Open();
  TcxDBDataController* first = MakeKeyed(C, false);
  first->SetMultiSelect(true);
  MakeKeyed(Second, true);
  // The second and the fourth record: two of the three with key 1.
  first->ClearSelection();
  first->ChangeRowSelection(1, true);
  first->ChangeRowSelection(3, true);
  ASSERT_EQ(first->GetSelectedCount(), 2);
  first->DeleteSelection();
  std::vector<std::string> expected{"1/a", "2/c"};
  EXPECT_EQ(Held(), expected);
  ExpectBothShowTheDataSet();
}

// Another component's read (the data set filtered and shown whole again) reads every record
// anew: the rows selected stay on the records selected, not on others sharing their key.
TEST_F(DBDataSharedKeys, SelectedRecordsSharingAKeyStaySelectedThroughAFullRead) {
  MakeDataSet({{"ID", ftInteger}, {"NAME", ftString, 20}},
              {{1, "a"}, {1, "b"}, {2, "c"}, {1, "d"}, {2, "e"}});
  DS->Open();
  TcxDBDataController* c = MakeKeyed(C, false);
  c->SetMultiSelect(true);
  c->ClearSelection();
  c->ChangeRowSelection(3, true);  // d
  c->ChangeRowSelection(4, true);  // e
  DS->SetFilter("NAME <> 'c'");
  DS->SetFiltered(true);
  DS->SetFiltered(false);
  std::vector<std::string> selected;
  for (Integer i = 0; i < c->GetSelectedCount(); ++i)
    selected.push_back(Text(c->GetItemValue(c->GetRowInfo(c->GetSelectedRowIndex(i)).RecordIndex, 1)));
  std::sort(selected.begin(), selected.end());
  EXPECT_EQ(selected, (std::vector<std::string>{"d", "e"}));
  c->DeleteSelection();
  EXPECT_EQ(Held(), (std::vector<std::string>{"1/a", "1/b", "2/c"}));
}

TEST_F(DBDataSharedKeys, RecordsWithoutAKeyKeepTheirPlacesUnderOneController) {
  MakeDataSet({{"ID", ftInteger}, {"NAME", ftString, 20}}, {{1, "a"}});
  DS->Open();
  TcxDBDataController* first = MakeKeyed(C, false);
  MakeKeyed(Second, true);
  // Posted records without a key, then an edit of one of them and an insert cancelled.
  for (const char* name : {"b", "c"}) {
    first->Append();
    first->SetEditValue(1, Variant(name), TcxDataEditValueSource::evsValue);
    first->PostEditing();
  }
  ExpectBothShowTheDataSet();
  first->ChangeFocusedRowIndex(1);
  const Variant edited = first->GetItemValue(first->GetFocusedRecordIndex(), 1);
  first->Edit();
  first->SetEditValue(1, Variant("x"), TcxDataEditValueSource::evsValue);
  first->PostEditing();
  const std::vector<std::string> held = Held();
  EXPECT_EQ(std::count(held.begin(), held.end(), "-/" + Text(edited)), 0);
  EXPECT_EQ(std::count(held.begin(), held.end(), "-/x"), 1);
  ExpectBothShowTheDataSet();
  first->Insert();
  first->Cancel();
  ExpectBothShowTheDataSet();
  first->GotoLast();
  first->DeleteFocused();
  ExpectBothShowTheDataSet();
}

TEST_F(DBDataSharedKeys, ACancelledEditOfAKeyKeepsTheRecordShown) {
  MakeDataSet({{"ID", ftInteger}, {"NAME", ftString, 20}}, {{1, "a"}, {2, "b"}, {3, "c"}});
  DS->Open();
  TcxDBDataController* first = MakeKeyed(C, false);
  MakeKeyed(Second, true);
  for (const Integer key : {5, 3}) {
    first->ChangeFocusedRowIndex(1);
    first->SetEditValue(0, Variant(key), TcxDataEditValueSource::evsValue);
    EXPECT_EQ(DS->State(), TDataSetState::dsEdit);
    first->Cancel();
    EXPECT_EQ(DS->State(), TDataSetState::dsBrowse);
    ExpectBothShowTheDataSet();
    EXPECT_EQ(first->GetItemValue(first->GetFocusedRecordIndex(), 1), Variant("b"));
    // The same edit cancelled on the data set itself.
    first->SetEditValue(0, Variant(key), TcxDataEditValueSource::evsValue);
    DS->Cancel();
    ExpectBothShowTheDataSet();
    EXPECT_EQ(first->GetItemValue(first->GetFocusedRecordIndex(), 1), Variant("b"));
  }
  // A record the data set appended by itself, then focused and its key edited.
  DS->Append();
  DS->FieldByName("ID")->SetAsInteger(0);
  DS->FieldByName("NAME")->SetAsString("d");
  DS->Post();
  ExpectBothShowTheDataSet();
  first->GotoLast();
  first->GotoFirst();
  Integer appended = -1;
  for (Integer r = 0; r < first->GetRecordCount(); ++r)
    if (first->GetItemValue(r, 1) == Variant("d")) appended = r;
  ASSERT_GE(appended, 0);
  first->ChangeFocusedRowIndex(first->GetRowIndexByRecordIndex(appended, true));
  first->SetEditValue(0, Variant(7), TcxDataEditValueSource::evsValue);
  first->Cancel();
  ExpectBothShowTheDataSet();
}

TEST_F(DBDataSharedKeys, AnEditTheDataSetBeginsWithNoRowFocusedIsShownOncePosted) {
  MakeDataSet({{"ID", ftInteger}, {"NAME", ftString, 20}}, {{1, "a"}, {2, "b"}});
  DS->Open();
  TcxDBDataController* first = MakeKeyed(C, false);
  // A key no record has leaves no row focused; the data set stays on its record.
  first->LocateByKey(Variant(9));
  ASSERT_EQ(first->GetFocusedRowIndex(), -1);
  const Variant edited = DS->FieldByName("ID")->Value();
  DS->Edit();
  DS->FieldByName("NAME")->SetAsString("x");
  DS->Post();
  ExpectBothShowTheDataSet();
  EXPECT_EQ(first->GetItemValue(first->FindRecordIndexByKey(edited), 1), Variant("x"));
}

TEST_F(DBDataSharedKeys, ARecordPostedByTheControllersAppendIsTheOneItsDeleteTakes) {
  MakeDataSet({{"ID", ftInteger}, {"NAME", ftString, 20}}, {{1, "a"}, {2, "b"}});
  DS->Open();
  TcxDBDataController* first = MakeKeyed(C, false);
  // The data set's own append of a second record with key 1, posted by the controller's
  // append (with the data set's controls off), whose empty record is then left.
  DS->Append();
  DS->FieldByName("ID")->SetAsInteger(1);
  DS->FieldByName("NAME")->SetAsString("d");
  first->Append();
  first->GotoPrev();
  ASSERT_EQ(DS->State(), TDataSetState::dsBrowse);
  Integer posted = -1;
  for (Integer r = 0; r < first->GetRecordCount(); ++r)
    if (first->GetItemValue(r, 1) == Variant("d")) posted = r;
  ASSERT_GE(posted, 0);
  first->ChangeFocusedRowIndex(first->GetRowIndexByRecordIndex(posted, true));
  first->DeleteFocused();
  EXPECT_EQ(Held(), (std::vector<std::string>{"1/a", "2/b"}));
  MakeKeyed(Second, true);
  ExpectBothShowTheDataSet();
}

// Records appended and inserted with their key left Null (the program fills it in later)
// are read back in place, each told from the others by its bookmark, as a record with a
// key is: nothing is read again whole, and every record's bookmark still leads to it once
// records came and went far apart.
TEST_F(DBDataSharedKeys, RecordsWithoutAKeyYetAreReadInPlaceAndFoundByTheirBookmarks) {
  std::vector<std::vector<Variant>> rows;
  for (Integer i = 1; i <= 30; ++i) rows.push_back({i, "n" + IntToStr(i)});
  MakeDataSet({{"ID", ftInteger}, {"NAME", ftString, 20}}, rows);
  DS->Open();
  auto* first = New<ReloadCountingController>(nullptr);
  C.reset(first);
  AddItems(first, {"ID", "NAME"});
  first->SetKeyFieldNames("ID");
  first->DataModeController()->SetSmartRefresh(true);
  first->SetMultiSelect(true);
  first->SetDataSource(Source);
  MakeKeyed(Second, true);
  const Integer reloads = first->Reloads;
  // Appends and inserts through the controller, then on the data set itself.
  for (Integer i = 0; i < 8; ++i) {
    const String name = "a" + IntToStr(i);
    if (i >= 6) {
      if (i == 6) DS->Append(); else DS->Insert();
      DS->FieldByName("NAME")->SetAsString(name);
      DS->Post();
    } else {
      if (i % 2 == 0) {
        first->Append();
      } else {
        first->ChangeFocusedRowIndex(i == 1 ? 0 : first->GetRowCount() / 2);
        first->Insert();
      }
      first->SetEditValue(1, Variant(name), TcxDataEditValueSource::evsValue);
      first->PostEditing();
    }
    const Integer r = first->GetFocusedRecordIndex();
    ASSERT_GE(r, 0) << name;
    EXPECT_TRUE(VarIsNull(first->GetItemValue(r, 0))) << name;
    EXPECT_EQ(first->GetItemValue(r, 1), Variant(name));
    EXPECT_EQ(DS->FieldByName("NAME")->Value(), Variant(name));
  }
  EXPECT_EQ(first->Reloads, reloads);
  ExpectBothShowTheDataSet();
  ExpectEachBookmarkLeadsToItsRecord(first);
  // Records deleted at the first, the last and a middle row, then several at once.
  for (const Integer row : {Integer(0), first->GetRowCount() - 1, Integer(15)}) {
    first->ChangeFocusedRowIndex(row);
    first->DeleteFocused();
  }
  first->ClearSelection();
  for (const Integer row : {2, 11, 25}) first->ChangeRowSelection(row, true);
  first->DeleteSelection();
  ExpectBothShowTheDataSet();
  ExpectEachBookmarkLeadsToItsRecord(first);
  // The keys filled in: each edit reaches the record edited, read again in place.
  const Integer beforeKeys = first->Reloads;
  Integer key = 100;
  for (Integer r = 0; r < first->GetRecordCount(); ++r) {
    if (!VarIsNull(first->GetItemValue(r, 0))) continue;
    const Variant name = first->GetItemValue(r, 1);
    first->ChangeFocusedRowIndex(first->GetRowIndexByRecordIndex(r, true));
    first->Edit();
    first->SetEditValue(0, Variant(++key), TcxDataEditValueSource::evsValue);
    first->PostEditing();
    EXPECT_EQ(DS->Lookup("NAME", name, "ID"), Variant(key)) << Text(name);
    EXPECT_EQ(first->GetItemValue(r, 0), Variant(key)) << Text(name);
  }
  EXPECT_GT(key, 100);
  EXPECT_EQ(first->Reloads, beforeKeys);
  ExpectBothShowTheDataSet();
  ExpectEachBookmarkLeadsToItsRecord(first);
}

}  // namespace
