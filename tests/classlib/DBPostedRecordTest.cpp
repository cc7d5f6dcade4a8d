// What a data set tells its links of changes that name no record by notice alone: the record a
// post stored (its bookmark, while the post's notices go out), and a count of the changes
// after which any record may show otherwise.
#include <gtest/gtest.h>

#include "classlib/core/DB.h"

#include <map>

using enum TFieldType;

namespace {

// Logs each notice with the ID of the record the data set names as posted ("-" for none).
class TPostedLink : public TDataLink {
 public:
  std::map<TBookmarkStr, Integer> Ids;
  std::vector<String> Log;
  TBookmarkStr Last;  // the last bookmark named

 protected:
  void DataSetChanged() override { Add("changed"); }
  void DataSetScrolled(Integer) override { Add("scrolled"); }
  void EditingChanged() override { Add(Editing() ? "editing" : "browsing"); }

 private:
  void Add(const String& AWhat) {
    const TBookmarkStr& mark = DataSet()->PostedBookmark();
    if (!mark.empty()) Last = mark;
    const auto it = Ids.find(mark);
    Log.push_back(AWhat + " " + (mark.empty() ? String("-") : it == Ids.end() ? String("?") : IntToStr(it->second)));
  }
};

class DBPostedRecord : public ::testing::Test {
 protected:
  void SetUp() override {
    Owner.reset(New<TComponent>(nullptr));
    DS = New<TMemoryDataSet>(Owner.get());
    DS->FieldDefs().Add("ID", ftInteger);
    DS->FieldDefs().Add("NAME", ftString, 10);
    for (Integer i = 1; i <= 4; ++i) DS->AddRecord({i, String("n") + IntToStr(i)});
    DS->Open();
    Source = New<TDataSource>(Owner.get());
    Source->SetDataSet(DS);
    for (DS->First(); !DS->Eof(); DS->Next()) Link.Ids[DS->Bookmark()] = DS->FieldByName("ID")->GetAsInteger();
    Link.SetDataSource(Source);
  }
  void TearDown() override { Link.SetDataSource(nullptr); }
  std::vector<String> Logged(const std::function<void()>& AStep) {
    Link.Log.clear();
    AStep();
    EXPECT_TRUE(DS->PostedBookmark().empty());
    return Link.Log;
  }
  void Go(Integer AId) { ASSERT_TRUE(DS->Locate("ID", Variant(AId), TLocateOptions())); }

  Owned<TComponent> Owner;
  TMemoryDataSet* DS = nullptr;
  TDataSource* Source = nullptr;
  TPostedLink Link;
};

TEST_F(DBPostedRecord, APostNamesItsRecordWhileItsNoticesGoOut) {
  using Log = std::vector<String>;
  Go(3);
  EXPECT_EQ(Logged([&] { DS->Edit(); }), (Log{"editing -"}));
  EXPECT_EQ(Logged([&] {
              DS->FieldByName("NAME")->SetAsString("x");
              DS->Post();
            }),
            (Log{"browsing 3", "changed 3"}));
  // Nothing is named by a cancel, a move, or the handler after the post.
  EXPECT_EQ(Logged([&] {
              DS->Edit();
              DS->Cancel();
              DS->Next();
              DS->First();
            }),
            (Log{"editing -", "browsing -", "changed -", "scrolled -", "changed -"}));
  TBookmarkStr afterPost = "unset";
  struct TAfterPost : TObject {
    TBookmarkStr* Seen;
    void Run(TDataSet* ADataSet) { *Seen = ADataSet->PostedBookmark(); }
  } handler;
  handler.Seen = &afterPost;
  DS->AfterPost = TDataSetNotifyEvent(&handler, &TAfterPost::Run);
  // The data set's filter hides the record its edit posted: still named, the data set
  // standing elsewhere by then.
  DS->SetFilter("ID <> 20");
  DS->SetFiltered(true);
  Go(2);
  DS->Edit();
  EXPECT_EQ(Logged([&] {
              DS->FieldByName("ID")->SetAsInteger(20);
              DS->Post();
            }),
            (Log{"browsing 2", "changed 2"}));
  EXPECT_TRUE(afterPost.empty());
  EXPECT_EQ(DS->FieldByName("ID")->GetAsInteger(), 3);
  // An insert posted names the new record, unknown before.
  DS->Append();
  DS->FieldByName("ID")->SetAsInteger(5);
  EXPECT_EQ(Logged([&] { DS->Post(); }), (Log{"browsing ?", "changed ?"}));
  EXPECT_EQ(Link.Last, DS->Bookmark());
  EXPECT_EQ(DS->FieldByName("ID")->GetAsInteger(), 5);
}

TEST_F(DBPostedRecord, OnlyChangesNamingNoRecordAreCountedAsChangingTheRecords) {
  UInt64 count = DS->RecordsChangeCount();
  // Each step, and whether it counts.
  const std::pair<std::function<void()>, bool> steps[] = {
      {[&] { Go(2); }, false},
      {[&] {
         DS->Edit();
         DS->FieldByName("NAME")->SetAsString("y");
       },
       false},
      {[&] { DS->Post(); }, false},
      {[&] { DS->Append(); }, false},
      {[&] {
         DS->FieldByName("ID")->SetAsInteger(9);
         DS->Post();
       },
       false},
      {[&] { DS->Delete(); }, false},
      {[&] { DS->AddRecord({7, "n7"}); }, false},
      {[&] { DS->SetFilter("ID < 4"); }, true},
      {[&] { DS->SetFiltered(true); }, true},
      {[&] { DS->SetFilterOptions(TFilterOptions{TFilterOption::foCaseInsensitive}); }, true},
      {[&] { DS->Refresh(); }, true},
      {[&] { DS->Close(); }, true},
      {[&] { DS->Open(); }, true},
      {[&] { DS->EmptyDataSet(); }, true},
  };
  Integer step = 0;
  for (const auto& [run, counts] : steps) {
    run();
    EXPECT_EQ(DS->RecordsChangeCount() != count, counts) << "step " << step;
    count = DS->RecordsChangeCount();
    ++step;
  }
}

}  // namespace
