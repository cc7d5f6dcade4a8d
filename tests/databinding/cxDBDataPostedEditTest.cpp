// Smart refresh reads again every record the data set posts, whoever posted it and whatever
// record the controller watched: an edit of a record the controller's own filter hides, made
// on the data set, through another source or through another controller, shows once the
// filter is lifted; one that makes the record match brings it into the rows, in its sorted
// place, its group and the sums. Records are found by key, by bookmark where keys are shared
// or missing. A lookup's list (no sync mode) shows edits of its list made elsewhere.
#include "tests/databinding/DBDataTestSupport.h"
#include "tests/databinding/DBLookupTestSupport.h"

#include "classlib/core/SysUtils.h"
#include "widgets/data/cxDataSummary.h"
#include "widgets/data/cxFilter.h"

#include <algorithm>
#include <string>

using enum TFieldType;
using enum TcxFilterOperatorKind;

namespace {

// Key layouts of the record the filter hides (the third): its own key, a key another record
// has too, no key at all.
enum class TKeys { Own, Shared, Missing };
// Where the edit of the hidden record comes from.
enum class TWay { DataSet, OtherSource, OtherController };

class DBPostedEdit : public DBDataTest {
 protected:
  void TearDown() override {
    Other.reset();
    OtherLink.reset();
    DBDataTest::TearDown();
  }
  // ID, NAME, V, G: the third record ("b3", V 30) is the one the filters hide.
  void MakeSet(TKeys AKeys) {
    const Variant third = AKeys == TKeys::Own ? Variant(3) : AKeys == TKeys::Shared ? Variant(2) : Null();
    MakeDataSet({{"ID", ftInteger}, {"NAME", ftString, 20}, {"V", ftInteger}, {"G", ftString, 5}},
                {{1, "a1", 10, "x"}, {2, "a2", 20, "y"}, {third, "b3", 30, "x"}, {4, "a4", 40, "y"}, {5, "a5", 50, "x"}});
    DS->Open();
  }
  // A keyed smart-refresh controller over ID, NAME, V, G.
  void MakeSmart() {
    MakeController({"ID", "NAME", "V", "G"}, "ID");
    C->DataModeController()->SetSmartRefresh(true);
  }
  // Hides the third record: V <> 30, or the incremental filter "a" on NAME.
  void HideThird(bool AIncremental) {
    if (AIncremental) {
      C->ApplyIncrementalFilter(1, "a");
    } else {
      C->Filter()->Root()->AddItem(C->GetItem(2), foNotEqual, 30, "30");
      C->Filter()->SetActive(true);
    }
  }
  void LiftFilters() {
    C->ResetIncrementalFilter();
    C->Filter()->SetActive(false);
  }
  // The third record's NAME and V set as AWay does it, and posted.
  void EditThird(TWay AWay, const String& AName, Integer AV) {
    switch (AWay) {
      case TWay::DataSet:
        ASSERT_TRUE(DS->Locate("NAME", Variant(String("b3")), TLocateOptions()));
        DS->Edit();
        DS->FieldByName("NAME")->SetAsString(AName);
        DS->FieldByName("V")->SetAsInteger(AV);
        DS->Post();
        break;
      case TWay::OtherSource: {
        // Another control's link on a source of its own over the data set.
        if (!OtherLink) {
          OtherSource = New<TDataSource>(Owner.get());
          OtherSource->SetDataSet(DS);
          OtherLink.reset(New<TDataLink>());
          OtherLink->SetDataSource(OtherSource);
        }
        ASSERT_TRUE(DS->Locate("NAME", Variant(String("b3")), TLocateOptions()));
        ASSERT_TRUE(OtherLink->Edit());
        OtherLink->DataSet()->FieldByName("NAME")->SetAsString(AName);
        OtherLink->DataSet()->FieldByName("V")->SetAsInteger(AV);
        OtherLink->DataSet()->Post();
        break;
      }
      case TWay::OtherController: {
        if (!Other) {
          Other.reset(New<TcxDBDataController>(nullptr));
          AddItems(Other.get(), {"ID", "NAME", "V", "G"});
          Other->SetKeyFieldNames("ID");
          Other->DataModeController()->SetSmartRefresh(true);
          Other->SetDataSource(Source);
        }
        Integer row = -1;
        for (Integer i = 0; i < Other->GetRowCount(); ++i)
          if (Other->GetItemValue(Other->GetRowInfo(i).RecordIndex, 1) == Variant(String("b3"))) row = i;
        ASSERT_GE(row, 0);
        Other->ChangeFocusedRowIndex(row);
        Other->Edit();
        Other->SetEditValue(1, Variant(AName), TcxDataEditValueSource::evsValue);
        Other->SetEditValue(2, Variant(AV), TcxDataEditValueSource::evsValue);
        Other->PostEditing();
        break;
      }
    }
  }
  static std::string Text(const Variant& V) { return VarIsNull(V) ? std::string("-") : std::string(VarToStr(V)); }
  // "ID/NAME/V" of each stored record, sorted.
  static std::vector<std::string> Stored(TcxDBDataController* AController) {
    std::vector<std::string> r;
    for (Integer i = 0; i < AController->GetRecordCount(); ++i)
      r.push_back(Text(AController->GetItemValue(i, 0)) + "/" + Text(AController->GetItemValue(i, 1)) + "/" +
                  Text(AController->GetItemValue(i, 2)));
    std::sort(r.begin(), r.end());
    return r;
  }
  static std::vector<std::string> Sorted(std::vector<std::string> AList) {
    std::sort(AList.begin(), AList.end());
    return AList;
  }
  // NAME of each row, in row order (group rows left out).
  std::vector<std::string> RowNames() const {
    std::vector<std::string> r;
    for (Integer record : DataRows()) r.push_back(Text(C->GetItemValue(record, 1)));
    return r;
  }

  Owned<TcxDBDataController> Other;
  TDataSource* OtherSource = nullptr;
  Owned<TDataLink> OtherLink;
};

TEST_F(DBPostedEdit, AnEditOfARecordTheFilterHidesShowsOnceTheFilterIsLifted) {
  for (TKeys keys : {TKeys::Own, TKeys::Shared, TKeys::Missing})
    for (TWay way : {TWay::DataSet, TWay::OtherSource, TWay::OtherController})
      for (bool incremental : {false, true}) {
        const std::string what = "keys " + std::to_string(int(keys)) + " way " + std::to_string(int(way)) +
                                 (incremental ? " incremental" : " criteria");
        MakeSet(keys);
        MakeSmart();
        HideThird(incremental);
        ASSERT_EQ(RowNames(), (std::vector<std::string>{"a1", "a2", "a4", "a5"})) << what;
        // Still hidden after the edit (V 30, NAME not beginning with "a").
        EditThird(way, "b3x", 30);
        EXPECT_EQ(RowNames(), (std::vector<std::string>{"a1", "a2", "a4", "a5"})) << what;
        LiftFilters();
        EXPECT_EQ(RowNames(), (std::vector<std::string>{"a1", "a2", "b3x", "a4", "a5"})) << what;
        const std::string third = keys == TKeys::Own ? "3" : keys == TKeys::Shared ? "2" : "-";
        EXPECT_EQ(Stored(C.get()), Sorted({"1/a1/10", "2/a2/20", third + "/b3x/30", "4/a4/40", "5/a5/50"}))
            << what;
        Other.reset();
        OtherLink.reset();
        C.reset();
        Items.clear();
      }
}

TEST_F(DBPostedEdit, AnEditMakingAHiddenRecordMatchBringsItInSortedGroupedAndSummed) {
  for (TKeys keys : {TKeys::Own, TKeys::Missing})
    for (TWay way : {TWay::DataSet, TWay::OtherSource}) {
      const std::string what = "keys " + std::to_string(int(keys)) + " way " + std::to_string(int(way));
      MakeSet(keys);
      MakeSmart();
      C->ChangeSortingOrder(1, TcxDataSortOrder::soDescending);
      C->Summary()->FooterSummaryItems()->Add(C->GetItem(2), TcxSummaryPosition::spFooter, TcxSummaryKind::skSum);
      HideThird(false);
      ASSERT_EQ(RowNames(), (std::vector<std::string>{"a5", "a4", "a2", "a1"})) << what;
      ASSERT_EQ(C->Summary()->GetFooterSummaryValue(0), Variant(120)) << what;
      // Matching now: in its place by NAME, counted in the sum.
      EditThird(way, "a3", 33);
      EXPECT_EQ(RowNames(), (std::vector<std::string>{"a5", "a4", "a3", "a2", "a1"})) << what;
      EXPECT_EQ(C->Summary()->GetFooterSummaryValue(0), Variant(153)) << what;
      // Grouped by G: the record moves to the group its edit gives it.
      C->ChangeItemGroupIndex(3, 0);
      C->Groups()->FullExpand();
      ASSERT_EQ(RowNames(), (std::vector<std::string>{"a5", "a3", "a1", "a4", "a2"})) << what;
      ASSERT_TRUE(DS->Locate("NAME", Variant(String("a3")), TLocateOptions())) << what;
      DS->Edit();
      DS->FieldByName("G")->SetAsString("y");
      DS->FieldByName("NAME")->SetAsString("a6");
      DS->Post();
      EXPECT_EQ(RowNames(), (std::vector<std::string>{"a5", "a1", "a6", "a4", "a2"})) << what;
      EXPECT_EQ(C->Summary()->GetFooterSummaryValue(0), Variant(153)) << what;
      // Hidden once more by its edit: out of the rows and the sum.
      DS->Edit();
      DS->FieldByName("V")->SetAsInteger(30);
      DS->Post();
      EXPECT_EQ(RowNames(), (std::vector<std::string>{"a5", "a1", "a4", "a2"})) << what;
      EXPECT_EQ(C->Summary()->GetFooterSummaryValue(0), Variant(120)) << what;
      OtherLink.reset();
      C.reset();
      Items.clear();
    }
}

// A controller that does not follow the data set (as a lookup's list) watches no record:
// every edit posted on the data set is read where it stands, keyed or by bookmark, a key
// changed by the edit included; nothing else is read.
TEST_F(DBPostedEdit, AControllerOutOfSyncShowsEveryPostedEdit) {
  for (TKeys keys : {TKeys::Own, TKeys::Shared, TKeys::Missing}) {
    const std::string what = "keys " + std::to_string(int(keys));
    MakeSet(keys);
    MakeSmart();
    C->DataModeController()->SetSyncMode(false);
    EditThird(TWay::DataSet, "b3x", 31);
    ASSERT_TRUE(DS->Locate("ID", Variant(4), TLocateOptions())) << what;
    DS->Edit();
    DS->FieldByName("ID")->SetAsInteger(9);
    DS->Post();
    const std::string third = keys == TKeys::Own ? "3" : keys == TKeys::Shared ? "2" : "-";
    EXPECT_EQ(Stored(C.get()), Sorted({"1/a1/10", "2/a2/20", third + "/b3x/31", "5/a5/50", "9/a4/40"}))
        << what;
    C.reset();
    Items.clear();
  }
}

// The data set's own filter changed for one keeping as many records, or the data set
// refreshed to show what its lookup fields read now: no notice names the records, and every
// record is read again.
TEST_F(DBPostedEdit, ADataSetRefilteredOrRefreshedShowsItsRecordsAsTheyAreNow) {
  MakeSet(TKeys::Own);
  MakeSmart();
  DS->SetFilter("V < 30");
  DS->SetFiltered(true);
  EXPECT_EQ(Stored(C.get()), (std::vector<std::string>{"1/a1/10", "2/a2/20"}));
  DS->SetFilter("V > 30");
  EXPECT_EQ(Stored(C.get()), (std::vector<std::string>{"4/a4/40", "5/a5/50"}));
  C->ChangeFocusedRowIndex(0);
  C->Edit();
  C->SetEditValue(2, Variant(45), TcxDataEditValueSource::evsValue);
  C->PostEditing();
  EXPECT_EQ(Stored(C.get()), (std::vector<std::string>{"4/a4/45", "5/a5/50"}));
  // Orders whose KTEXT looks K up in the texts, which change unseen by the orders' links.
  TMemoryDataSet* texts = MakeTestDataSet(Owner.get(), {{"K", ftInteger}, {"TEXT", ftString, 10}});
  texts->AddRecord({1, "one"});
  texts->AddRecord({2, "two"});
  texts->Open();
  auto* orders = New<TMemoryDataSet>(Owner.get());
  AddTestField<TIntegerField>(Owner.get(), orders, "ID");
  AddTestField<TIntegerField>(Owner.get(), orders, "K");
  auto* lookup = AddTestField<TStringField>(Owner.get(), orders, "KTEXT");
  lookup->SetFieldKind(TFieldKind::fkLookup);
  lookup->SetKeyFields("K");
  lookup->SetLookupDataSet(texts);
  lookup->SetLookupKeyFields("K");
  lookup->SetLookupResultField("TEXT");
  orders->AddRecord({10, 1});
  orders->AddRecord({20, 2});
  orders->Open();
  auto* ordersSource = New<TDataSource>(Owner.get());
  ordersSource->SetDataSet(orders);
  Owned<TcxDBDataController> shown(New<TcxDBDataController>(nullptr));
  AddItems(shown.get(), {"ID", "KTEXT"});
  shown->SetKeyFieldNames("ID");
  shown->DataModeController()->SetSmartRefresh(true);
  shown->SetDataSource(ordersSource);
  auto Shown = [&] {
    std::vector<std::string> r;
    for (Integer i = 0; i < shown->GetRecordCount(); ++i)
      r.push_back(Text(shown->GetItemValue(i, 0)) + "/" + Text(shown->GetItemValue(i, 1)));
    return Sorted(r);
  };
  ASSERT_EQ(Shown(), (std::vector<std::string>{"10/one", "20/two"}));
  ASSERT_TRUE(texts->Locate("K", Variant(2), TLocateOptions()));
  texts->Edit();
  texts->FieldByName("TEXT")->SetAsString("deux");
  texts->Post();
  orders->Refresh();
  EXPECT_EQ(Shown(), (std::vector<std::string>{"10/one", "20/deux"}));
}

// Edits the record the data set scrolls onto once, if it is the third one.
struct TEditOnScroll : TObject {
  bool Done = false;
  void Run(TDataSet* ADataSet) {
    if (Done || ADataSet->FieldByName("NAME")->GetAsString() != "b3") return;
    Done = true;
    ADataSet->Edit();
    ADataSet->FieldByName("NAME")->SetAsString("b3x");
    ADataSet->Post();
  }
};

// Another controller moves the data set onto the third record, and a scroll handler edits
// it: this controller hears of the move only once the other is done, after the edit. The
// edit is not taken as the focused row's (its record would be overwritten with the third
// one's values), and the post is read into the third record, hidden by the filter or shown.
TEST_F(DBPostedEdit, AnEditMadeWhileTheMoveOntoItIsHeldBackIsReadIntoItsOwnRecord) {
  for (bool hidden : {true, false}) {
    MakeSet(TKeys::Own);
    MakeSmart();
    if (hidden) HideThird(false);
    ASSERT_EQ(C->GetItemValue(C->GetFocusedRecordIndex(), 1), Variant(String("a1")));
    Other.reset(New<TcxDBDataController>(nullptr));
    AddItems(Other.get(), {"ID", "NAME", "V", "G"});
    Other->SetKeyFieldNames("ID");
    Other->DataModeController()->SetSmartRefresh(true);
    Other->SetDataSource(Source);
    TEditOnScroll handler;
    DS->AfterScroll = TDataSetNotifyEvent(&handler, &TEditOnScroll::Run);
    Other->ChangeFocusedRowIndex(2);
    DS->AfterScroll = {};
    ASSERT_TRUE(handler.Done) << hidden;
    EXPECT_EQ(RowNames(), hidden ? (std::vector<std::string>{"a1", "a2", "a4", "a5"})
                                 : (std::vector<std::string>{"a1", "a2", "b3x", "a4", "a5"}))
        << hidden;
    if (!hidden) {
      EXPECT_EQ(C->GetItemValue(C->GetFocusedRecordIndex(), 1), Variant(String("b3x")));
    }
    LiftFilters();
    EXPECT_EQ(RowNames(), (std::vector<std::string>{"a1", "a2", "b3x", "a4", "a5"})) << hidden;
    EXPECT_EQ(Stored(C.get()), Stored(Other.get())) << hidden;
    Other.reset();
    C.reset();
    Items.clear();
  }
}

}  // namespace

namespace {

// The list of a lookup combo box with smart refresh (its list never follows the data set):
// an edit of the list data set made elsewhere shows as the text of its key.
TEST_F(DBLookupTest, ALookupListWithSmartRefreshShowsEditsOfItsListMadeElsewhere) {
  for (bool smart : {false, true}) {
    SCOPED_TRACE(smart);
    auto* c = MakeCombo();
    TcxDBDataController* list = c->GetProperties()->GetDBDataController();
    list->DataModeController()->SetSmartRefresh(smart);
    ASSERT_EQ(list->IsSmartRefreshActive(), smart);
    c->SetEditValue(Variant(Integer(2)));
    ASSERT_EQ(Text(c), "Bob");
    // Through another source, as another control edits the list's data set.
    auto* other = New<TDataSource>(form);
    other->SetDataSet(people);
    TDataLink link;
    link.SetDataSource(other);
    ASSERT_TRUE(people->Locate("ID", Variant(Integer(2)), TLocateOptions()));
    ASSERT_TRUE(link.Edit());
    people->FieldByName("Name")->SetAsString("Robert");
    people->Post();
    EXPECT_EQ(Text(c), "Robert");
    // Put back for the next pass.
    ASSERT_TRUE(people->Locate("ID", Variant(Integer(2)), TLocateOptions()));
    people->Edit();
    people->FieldByName("Name")->SetAsString("Bob");
    people->Post();
    link.SetDataSource(nullptr);
    other->Free();
    c->Free();
  }
}

}  // namespace
