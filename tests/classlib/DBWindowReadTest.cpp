// The data set's window of records: a move reads the records asked for, not the whole window,
// where reading computes nothing; whenever and however the window is read, it shows what a
// fill of it at that moment shows.
#include <gtest/gtest.h>

#include "classlib/core/DB.h"
#include "classlib/core/Strings.h"

#include <algorithm>
#include <random>

using enum TDataSetState;
using enum TFieldType;

namespace {

// Records in a vector, each named by a number of its own; counts the records read. InsertAt
// stores a record at any place from outside, as a descendant's own store may.
class TVectorDataSet : public TDataSet {
  TL_CLASS(TVectorDataSet, TDataSet)
 public:
  explicit TVectorDataSet(TComponent* AOwner) : TDataSet(AOwner) {}
  Integer Reads = 0;
  void InsertAt(Integer Place, std::vector<Variant> Values) {
    FRecords.insert(FRecords.begin() + Place, {FNextId++, std::move(Values)});
    RecordInserted(Place);
  }

 protected:
  void InternalOpen() override {}
  void InternalClose() override {}
  Integer InternalRecordCount() const override { return Integer(FRecords.size()); }
  std::vector<Variant> InternalReadRecord(Integer Place) const override {
    ++const_cast<TVectorDataSet*>(this)->Reads;
    if (Place < 0 || Place >= InternalRecordCount()) return {};
    return FRecords[size_t(Place)].second;
  }
  TBookmarkStr InternalBookmark(Integer Place) const override {
    return IntToStr(FRecords[size_t(Place)].first);
  }
  Integer InternalFindBookmark(const TBookmarkStr& Bookmark) const override {
    for (size_t p = 0; p < FRecords.size(); ++p)
      if (IntToStr(FRecords[p].first) == Bookmark) return Integer(p);
    return -1;
  }
  Integer InternalPost(Integer Place, bool Inserting, const std::vector<Variant>& Values) override {
    if (!Inserting) {
      FRecords[size_t(Place)].second = Values;
      return Place;
    }
    FRecords.insert(FRecords.begin() + Place, {FNextId++, Values});
    return Place;
  }
  void InternalDelete(Integer Place) override { FRecords.erase(FRecords.begin() + Place); }

 private:
  std::vector<std::pair<Integer, std::vector<Variant>>> FRecords;
  Integer FNextId = 1;
};

// Reads every row of its window as each notice comes: whatever the data set does, the rows
// are records in the data set's order, each once.
class TWindowLink : public TDataLink {
 public:
  bool CheckOnNotice = false;
  Integer Checked = 0;
  // The IDs of the rows and the active row (negative, last), each row's other values checked.
  std::vector<Integer> Rows() {
    std::vector<Integer> ids;
    TDataSet* ds = DataSet();
    const Integer active = ActiveRecord();
    for (Integer i = 0; i < RecordCount(); ++i) {
      SetActiveRecord(i);
      const Variant id = ds->FieldByName("ID")->Value();
      const Integer n = VarIsNull(id) ? 0 : id.AsInteger();
      ids.push_back(n);
      // NAME is "n<ID>" or an edit of it ("e<ID>..."), TWICE twice ID, computed.
      const String name = ds->FieldByName("NAME")->GetAsString();
      if (n > 0 && ds->State() == dsBrowse) {
        EXPECT_TRUE(name == "n" + IntToStr(n) || name.rfind("e" + IntToStr(n) + "_", 0) == 0)
            << "row " << i << ": " << name;
        if (TField* twice = ds->FindField("TWICE")) {
          EXPECT_EQ(twice->Value(), Variant(2 * n)) << "row " << i;
        }
      }
    }
    SetActiveRecord(active);
    ids.push_back(-active - 1);
    return ids;
  }

 protected:
  void Notice() {
    if (!CheckOnNotice) return;
    ++Checked;
    std::vector<Integer> ids = Rows();
    ids.pop_back();
    // A record being inserted has no ID yet; the others come in rising order.
    ids.erase(std::remove(ids.begin(), ids.end(), 0), ids.end());
    EXPECT_TRUE(std::is_sorted(ids.begin(), ids.end()) &&
                std::adjacent_find(ids.begin(), ids.end()) == ids.end())
        << "a row read during a notice shows another record";
  }
  void EditingChanged() override { Notice(); }
  void DataSetChanged() override { Notice(); }
  void CheckBrowseMode() override { Notice(); }
};

class DBWindowRead : public ::testing::Test {
 protected:
  // ACount records, ID 10, 20, ... (the data set's order is the IDs' order), NAME "n<ID>";
  // with ACalc a calculated TWICE; a link with a window of AWindow rows.
  void Open(Integer ACount, Integer AWindow, bool ACalc) {
    Owner.reset(New<TComponent>(nullptr));
    DS = New<TVectorDataSet>(Owner.get());
    DS->FieldDefs().Add("ID", ftInteger);
    DS->FieldDefs().Add("NAME", ftString, 20);
    if (ACalc) {
      TField* id = New<TIntegerField>(Owner.get());
      id->SetFieldName("ID");
      id->SetDataSet(DS);
      TField* name = New<TStringField>(Owner.get());
      name->SetFieldName("NAME");
      name->SetDataSet(DS);
      TField* twice = New<TIntegerField>(Owner.get());
      twice->SetFieldName("TWICE");
      twice->SetFieldKind(TFieldKind::fkCalculated);
      twice->SetDataSet(DS);
      DS->OnCalcFields = TDataSetNotifyEvent(&Calculator, &TCalculator::Calc);
    }
    Ids.clear();
    for (Integer i = 1; i <= ACount; ++i) {
      DS->InsertAt(i - 1, {10 * i, "n" + IntToStr(10 * i)});
      Ids.push_back(10 * i);
    }
    Source = New<TDataSource>(Owner.get());
    Source->SetDataSet(DS);
    Link.SetBufferCount(AWindow);
    Link.SetDataSource(Source);
    DS->Open();
  }
  void TearDown() override {
    Link.SetDataSource(nullptr);
    Owner.reset();
  }
  struct TCalculator : TObject {
    void Calc(TDataSet* ADataSet) {
      const Variant id = ADataSet->FieldByName("ID")->Value();
      if (!VarIsNull(id)) ADataSet->FieldByName("TWICE")->SetValue(Variant(2 * id.AsInteger()));
    }
  } Calculator;
  Integer CurrentID() const { return DS->FieldByName("ID")->Value().AsInteger(); }
  // The window a fill around the current record at its slot shows: the records in the
  // data set's order around it.
  void ExpectWindow() { ExpectWindowOf(Ids); }
  void ExpectWindowOf(const std::vector<Integer>& AIds) {
    const std::vector<Integer> rows = Link.Rows();
    ASSERT_GE(rows.size(), 2u);
    const Integer active = -rows.back() - 1;
    const auto at = std::find(AIds.begin(), AIds.end(), rows[size_t(active)]);
    ASSERT_NE(at, AIds.end());
    const Integer first = Integer(at - AIds.begin()) - active;
    ASSERT_GE(first, 0);
    for (size_t r = 0; r + 1 < rows.size(); ++r) {
      ASSERT_LT(first + Integer(r), Integer(AIds.size()));
      EXPECT_EQ(rows[r], AIds[size_t(first) + r]) << "row " << r;
    }
  }

  Owned<TComponent> Owner;
  TVectorDataSet* DS = nullptr;
  TDataSource* Source = nullptr;
  TWindowLink Link;
  std::vector<Integer> Ids;  // the records' IDs in the data set's order
};

}  // namespace

TL_DEFINE_CLASS(TVectorDataSet)

// Going to k bookmarks in a window of 50 and reading the record each time reads about k
// records; with a calculated field every record of the window is read (and computed) at once.
TEST_F(DBWindowRead, AMoveReadsTheRecordsItShows) {
  for (bool calc : {false, true}) {
    SCOPED_TRACE(calc ? "calculated" : "stored");
    Open(1000, 50, calc);
    std::vector<TBookmarkStr> marks;
    for (Integer i = 0; i < 10; ++i) {
      DS->MoveBy(97);
      marks.push_back(DS->Bookmark());
    }
    const Integer before = DS->Reads;
    for (const TBookmarkStr& mark : marks) {
      DS->GotoBookmark(mark);
      EXPECT_EQ(DS->FieldByName("NAME")->GetAsString(), "n" + IntToStr(CurrentID()));
    }
    if (calc)
      EXPECT_EQ(DS->Reads - before, 10 * 50);
    else
      EXPECT_LE(DS->Reads - before, 10);
    // The rows read later are those a fill shows.
    ExpectWindow();
    TearDown();
  }
}

// Random moves, posts, inserts (through the data set and from outside, while editing too),
// deletions and filters: the window read at any time, in a notice too, shows what a fill shows.
TEST_F(DBWindowRead, RandomChangesShowWhatAFillShows) {
  Integer checked = 0;
  for (bool calc : {false, true})
    for (unsigned seed = 1; seed <= 6; ++seed) {
      SCOPED_TRACE(std::string(calc ? "calculated" : "stored") + ", seed " + std::to_string(seed));
      std::mt19937 gen(seed);
      Open(40, 1 + Integer(gen() % 9), calc);
      Integer next = 5, edits = 0;
      for (Integer step = 0; step < 200; ++step) {
        Link.CheckOnNotice = gen() % 3 == 0;
        const unsigned op = gen() % 9;
        if (DS->IsEmpty() && op != 5) continue;
        const Integer place = Integer(gen() % Ids.size());
        if (op == 0) {
          DS->MoveBy(Integer(gen() % 15) - 7);
        } else if (op == 1) {
          ASSERT_TRUE(DS->Locate("ID", Variant(Ids[size_t(place)]), {}));
        } else if (op == 2) {
          const Integer id = CurrentID();
          DS->Delete();
          Ids.erase(std::find(Ids.begin(), Ids.end(), id));
        } else if (op == 3) {
          const Integer id = CurrentID();
          DS->Edit();
          DS->FieldByName("NAME")->SetAsString("e" + IntToStr(id) + "_" + IntToStr(++edits));
          const Integer at = Integer(std::find(Ids.begin(), Ids.end(), id) - Ids.begin()) + 1;
          if (gen() % 2 == 0 && (at == Integer(Ids.size()) || Ids[size_t(at)] - id >= 2)) {
            // Stored from outside while the edit goes on, after the record edited: the rows
            // still show the records they were taken for until the window is filled again.
            DS->InsertAt(at, {id + 1, "n" + IntToStr(id + 1)});
            if (gen() % 2 == 0) ExpectWindowOf(Ids);
            Ids.insert(Ids.begin() + at, id + 1);
          }
          DS->Post();
        } else if (op == 4) {
          // A new record before the current one, its ID between its neighbours'.
          const Integer id = CurrentID();
          const auto at = std::find(Ids.begin(), Ids.end(), id);
          const Integer before = at == Ids.begin() ? 0 : *(at - 1);
          if (id - before < 2) continue;
          // Rows read as the insert starts would be read before the post stores the record.
          const bool notice = Link.CheckOnNotice;
          Link.CheckOnNotice = false;
          DS->Insert();
          DS->FieldByName("ID")->SetValue(Variant(before + 1));
          DS->FieldByName("NAME")->SetAsString("n" + IntToStr(before + 1));
          Ids.insert(at, before + 1);
          Link.CheckOnNotice = notice;
          DS->Post();
        } else if (op == 5) {
          // From outside, while browsing.
          const Integer at = Ids.empty() ? 0 : place;
          const Integer before = at > 0 ? Ids[size_t(at - 1)] : 0;
          if (!Ids.empty() && Ids[size_t(at)] - before < 2) continue;
          DS->InsertAt(at, {before + 1, "n" + IntToStr(before + 1)});
          Ids.insert(Ids.begin() + at, before + 1);
        } else if (op == 6) {
          DS->GotoBookmark(DS->Bookmark());
          DS->MoveBy(Integer(gen() % 5));
        } else if (op == 7) {
          gen() % 2 ? DS->First() : DS->Last();
        } else {
          ++next;
          DS->MoveBy(next % 2 ? 3 : -3);
        }
        if (gen() % 4 == 0 && !DS->IsEmpty()) {
          ++checked;
          ExpectWindow();
        }
        if (HasFatalFailure()) return;
      }
      Link.CheckOnNotice = false;
      if (!DS->IsEmpty()) ExpectWindow();
      TearDown();
    }
  EXPECT_GT(checked, 300);
  EXPECT_GT(Link.Checked, 0);
}

// A record stored from outside in front of the record being edited or inserted moves it one
// place on: the post still writes the record edited, or inserts before the record the insert
// was begun on, and a browsing data set stays on its record.
TEST_F(DBWindowRead, ARecordStoredInFrontLeavesTheEditAndTheCurrentRecordWhereTheyWere) {
  Open(10, 5, false);
  DS->MoveBy(4);  // ID 50
  DS->InsertAt(0, {5, "n5"});
  EXPECT_EQ(CurrentID(), 50);

  DS->Edit();
  DS->InsertAt(2, {15, "n15"});
  DS->FieldByName("NAME")->SetAsString("e50_x");
  DS->Post();
  EXPECT_EQ(CurrentID(), 50);
  EXPECT_EQ(DS->FieldByName("NAME")->GetAsString(), "e50_x");
  DS->First();
  std::vector<String> names;
  for (; !DS->Eof(); DS->Next()) names.push_back(DS->FieldByName("NAME")->GetAsString());
  ASSERT_GE(names.size(), 7u);
  EXPECT_EQ(names[4], "n30");
  EXPECT_EQ(names[5], "n40");
  EXPECT_EQ(names[6], "e50_x");

  // An insert begun on ID 30 (now at place 4) still goes in front of it.
  DS->First();
  DS->MoveBy(4);
  ASSERT_EQ(CurrentID(), 30);
  DS->Insert();
  DS->InsertAt(0, {1, "n1"});
  DS->FieldByName("ID")->SetAsInteger(25);
  DS->FieldByName("NAME")->SetAsString("n25");
  DS->Post();
  std::vector<Integer> ids;
  for (DS->First(); !DS->Eof(); DS->Next()) ids.push_back(CurrentID());
  const std::vector<Integer> expected = {1, 5, 10, 15, 20, 25, 30, 40, 50, 60, 70, 80, 90, 100};
  EXPECT_EQ(ids, expected);
}

// The filter of a lookup field's list, asked as the records are read, frees the data source
// of the link with the widest window, while the window is filled or moved and stands half
// built: the window takes its new size once built, and shows what a fill shows. Each ask in
// turn frees it.
TEST_F(DBWindowRead, AWindowWhoseSizeAHandlerChangesWhileItIsBuiltTakesTheNewSize) {
  struct TFreer : TObject {
    TObject* Victim = nullptr;
    int Countdown = 0;
    void Filter(TDataSet*, bool& AAccept) {
      AAccept = true;
      if (!Victim || --Countdown > 0) return;
      TObject* v = Victim;
      Victim = nullptr;
      v->Free();
    }
  } freer;
  using TOp = void (*)(TDataSet*);
  const std::pair<const char*, TOp> ops[] = {
      {"Next", [](TDataSet* ds) { ds->Next(); }},
      {"MoveBy forward", [](TDataSet* ds) { ds->MoveBy(9); }},
      {"MoveBy back", [](TDataSet* ds) { ds->MoveBy(-9); }},
      {"Last", [](TDataSet* ds) { ds->Last(); }},
      {"Refresh", [](TDataSet* ds) { ds->Refresh(); }},
      {"Locate", [](TDataSet* ds) { ds->Locate("ID", Variant(150), {}); }},
  };
  for (const auto& [name, op] : ops)
    for (int ask = 1; ask <= 40; ++ask) {
      SCOPED_TRACE(std::string(name) + ", ask " + std::to_string(ask));
      Open(20, 1, true);
      // Each record's ID looked up in a list of its own.
      DS->Close();
      auto* list = New<TMemoryDataSet>(Owner.get());
      list->FieldDefs().Add("ID", ftInteger);
      list->FieldDefs().Add("TEXT", ftString, 20);
      for (Integer id : Ids) list->AddRecord({id, "t" + IntToStr(id)});
      list->Open();
      TField* look = New<TStringField>(Owner.get());
      look->SetFieldName("LOOK");
      look->SetFieldKind(TFieldKind::fkLookup);
      look->SetKeyFields("ID");
      look->SetLookupDataSet(list);
      look->SetLookupKeyFields("ID");
      look->SetLookupResultField("TEXT");
      look->SetDataSet(DS);
      DS->Open();
      list->OnFilterRecord = {&freer, &TFreer::Filter};
      list->SetFiltered(true);
      auto* wide = New<TDataSource>(nullptr);
      wide->SetDataSet(DS);
      TWindowLink wideLink;
      wideLink.SetBufferCount(6);
      wideLink.SetDataSource(wide);
      DS->MoveBy(10);  // the window full, its active row in the middle
      freer.Victim = wide;
      freer.Countdown = ask;
      op(DS);
      const bool freed = !freer.Victim;
      freer.Victim = nullptr;
      if (!freed) wide->Free();
      EXPECT_EQ(DS->BufferCount(), 1);
      ExpectWindow();
      TearDown();
      if (!freed || HasFatalFailure()) break;
    }
}
