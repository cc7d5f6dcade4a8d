// Finding records: the incremental search from the focused record with its wrap, the
// next match without wrap, the incremental filter's search, and the key locate object.
#include "DataControllerTestSupport.h"

#include <string>

namespace {

class Finding : public ControllerTest {
 protected:
  void SetUp() override {
    ControllerTest::SetUp();
    AddItems({StrType(), IntType()});
    Fill({{"apple", 1}, {"Banana", 2}, {"berry", 3}, {"cherry", 2}});
    c_->OnUpdateControl = TcxUpdateControlEvent(&counter_, &Counter::Update);
  }
  struct Counter : TObject {
    Integer Search = 0;
    void Update(TcxUpdateControlInfo* AInfo) { Search += dynamic_cast<TcxSearchChangedInfo*>(AInfo) != nullptr; }
  } counter_;
  TcxDataControllerSearch* S() { return c_->Search(); }
};

}  // namespace

TEST_F(Finding, LocateStartsAtTheFocusWrapsAndLocateNextDoesNot) {
  c_->ChangeFocusedRecordIndex(2);
  EXPECT_FALSE(S()->Locate(0, ""));
  EXPECT_FALSE(S()->IsSearching());
  EXPECT_EQ(counter_.Search, 0);

  EXPECT_TRUE(S()->Locate(0, "b"));  // berry itself, the focused record
  EXPECT_EQ(c_->GetFocusedRecordIndex(), 2);
  EXPECT_TRUE(S()->IsSearching());
  EXPECT_EQ(S()->SearchText(), "b");
  EXPECT_EQ(S()->ItemIndex(), 0);
  EXPECT_EQ(counter_.Search, 1);
  EXPECT_FALSE(S()->LocateNext(true));
  EXPECT_TRUE(S()->LocateNext(false));  // back to Banana, case aside
  EXPECT_EQ(c_->GetFocusedRecordIndex(), 1);
  EXPECT_TRUE(S()->IsSearching());  // its own focus change does not cancel it

  EXPECT_TRUE(S()->Locate(0, "AP"));  // from Banana to the end, then from the top
  EXPECT_EQ(c_->GetFocusedRecordIndex(), 0);
  EXPECT_FALSE(S()->Locate(0, "kiwi"));
  EXPECT_EQ(c_->GetFocusedRecordIndex(), 0);

  // Any other focus change ends the search.
  c_->ChangeFocusedRowIndex(3);
  EXPECT_FALSE(S()->IsSearching());
  EXPECT_EQ(S()->SearchText(), "");
  EXPECT_FALSE(S()->LocateNext(true));
}

TEST_F(Finding, LocateSelectsTheFoundRowAloneAndFollowsTheFilteredRows) {
  c_->SetMultiSelect(true);
  c_->SelectAll();
  EXPECT_TRUE(S()->Locate(0, "ch"));
  EXPECT_EQ(c_->GetSelectedCount(), 1);
  EXPECT_EQ(c_->GetSelectedRowIndex(0), 3);
  c_->Filter()->Root()->AddItem(items_[1].get(), TcxFilterOperatorKind::foEqual, 2, "2");
  c_->Filter()->SetActive(true);
  c_->ChangeFocusedRowIndex(1);
  EXPECT_FALSE(S()->Locate(0, "ap"));  // apple is filtered out
  EXPECT_TRUE(S()->Locate(0, "ban"));
  EXPECT_EQ(c_->GetFocusedRecordIndex(), 1);
}

TEST_F(Finding, IncrementalFilterSearchWrapsWithinTheFilteredPositions) {
  auto find = [&](Integer AStart, bool AForward, bool AWrap, const char* AText, bool APartial = true) {
    return c_->FindIncrementalFilterRecord(AStart, 0, AForward, AWrap, AText, APartial);
  };
  EXPECT_EQ(find(0, true, false, "b"), 1);
  EXPECT_EQ(find(2, true, false, "BA"), -1);
  EXPECT_EQ(find(2, true, true, "BA"), 1);
  EXPECT_EQ(find(1, false, true, "c"), 3);
  EXPECT_EQ(find(3, false, false, "a"), 0);
  EXPECT_EQ(find(0, true, true, "berr", false), -1);  // whole text wanted
  EXPECT_EQ(find(0, true, true, "BERRY", false), 2);
  EXPECT_EQ(find(4, true, true, "a"), -1);  // the count is no position
  EXPECT_EQ(find(-1, true, true, "a"), -1);
  EXPECT_THROW(c_->FindIncrementalFilterRecord(0, 7, true, true, "a", true), EcxInvalidDataControllerOperation);
}

TEST_F(Finding, KeyLocateFindsTheFirstRecordEqualOnEveryKey) {
  Owned<TcxDataControllerKeyLocateObject> key(New<TcxDataControllerKeyLocateObject>(c_.get()));
  key->KeyFields().push_back(c_->GetItemField(1));
  EXPECT_EQ(key->FindRecordIndex(), -1);  // nothing read yet
  Owned<TcxValueDefUnboundReader> reader(New<TcxValueDefUnboundReader>());
  reader->SetValue(c_->GetItemField(1), 2);
  key->ReadData(reader.get());
  EXPECT_LT(key->RecordIndex(), 0);
  EXPECT_EQ(key->FindRecordIndex(), 1);
  key->KeyFields().push_back(c_->GetItemField(0));
  reader->SetValue(c_->GetItemField(0), "cherry");
  key->ReadData(reader.get());
  EXPECT_EQ(key->FindRecordIndex(), 3);
  reader->SetValue(c_->GetItemField(0), "none");
  key->ReadData(reader.get());
  EXPECT_EQ(key->FindRecordIndex(), -1);
  key->ReleaseRecord();
  EXPECT_EQ(key->FindRecordIndex(), -1);

  // A record reader copies another record.
  Owned<TcxValueDefRecordReader> copy(New<TcxValueDefRecordReader>(c_.get(), 2));
  key->ReadData(copy.get());
  EXPECT_EQ(key->FindRecordIndex(), 2);
}

TEST(KeyLocate, ValuesAreReadBetweenTheControllersRecordReadingBrackets) {
  struct Logged : TcxDataController {
    using TcxDataController::TcxDataController;
    std::vector<std::string> Log;
    void BeginReadRecord() override { Log.push_back("begin"); }
    void EndReadRecord() override { Log.push_back("end"); }
  };
  struct Reader : TcxValueDefReader {
    std::vector<std::string>* Log = nullptr;
    bool Raise = false;
    Variant GetValue(TcxValueDef*) override {
      Log->push_back("read");
      if (Raise) throw Exception("unreadable");
      return 5;
    }
  };
  Owned<Logged> c(New<Logged>(nullptr));
  Owned<TestItem> item(New<TestItem>());
  c->AddItem(item.get());
  c->ChangeValueTypeClass(0, IntType());
  c->SetRecordCount(2);
  c->SetValue(1, 0, 5);
  Owned<TcxDataControllerKeyLocateObject> key(New<TcxDataControllerKeyLocateObject>(c.get()));
  key->KeyFields().push_back(c->GetItemField(0));
  Owned<Reader> reader(New<Reader>());
  reader->Log = &c->Log;
  key->ReadData(reader.get());
  EXPECT_EQ(c->Log, (std::vector<std::string>{"begin", "read", "end"}));
  EXPECT_EQ(key->FindRecordIndex(), 1);

  c->Log.clear();
  reader->Raise = true;
  EXPECT_THROW(key->ReadData(reader.get()), Exception);
  EXPECT_EQ(c->Log, (std::vector<std::string>{"begin", "read", "end"}));  // closed all the same
}

TEST_F(Finding, LocateMakesTheFoundRowTheSelectionInSingleSelectMode) {
  c_->ChangeFocusedRecordIndex(2);
  c_->SetFocusedSelected(false);
  ASSERT_EQ(c_->GetSelectedCount(), 0);
  EXPECT_TRUE(S()->Locate(0, "b"));  // berry, the focused record itself
  EXPECT_EQ(c_->GetSelectedCount(), 1);
  EXPECT_EQ(c_->GetSelectedRowIndex(0), 2);
  c_->SetFocusedSelected(false);
  EXPECT_TRUE(S()->LocateNext(false));  // Banana
  EXPECT_EQ(c_->GetSelectedCount(), 1);
  EXPECT_EQ(c_->GetSelectedRowIndex(0), 1);
  EXPECT_TRUE(S()->IsSearching());
}

TEST_F(Finding, ASearchInsideACallersBracketIsNotEndedByItsOwnFocusChange) {
  c_->ChangeFocusedRecordIndex(0);
  c_->BeginUpdate();
  EXPECT_TRUE(S()->Locate(0, "ch"));
  c_->EndUpdate();
  EXPECT_EQ(c_->GetFocusedRecordIndex(), 3);
  EXPECT_TRUE(S()->IsSearching());
  EXPECT_EQ(S()->SearchText(), "ch");

  // The caller's own focus change in the same bracket still ends it.
  c_->BeginUpdate();
  EXPECT_TRUE(S()->Locate(0, "b"));  // from cherry to the end, then from the top: Banana
  EXPECT_EQ(c_->GetFocusedRecordIndex(), 1);
  c_->ChangeFocusedRecordIndex(0);
  c_->EndUpdate();
  EXPECT_FALSE(S()->IsSearching());
  EXPECT_EQ(S()->SearchText(), "");
}
