// The memory data set's records under random deletions, insertions, appends and edits,
// against a plain list kept by the test: the order, every bookmark taken so far, the
// count with and without a filter text, and the events of a mass deletion.
#include <gtest/gtest.h>

#include "classlib/core/DB.h"
#include "classlib/core/SysUtils.h"

#include <algorithm>
#include <random>

using enum TFieldType;

namespace {

struct TModelRecord {
  Integer Id;  // the ID field, unique: names the record in the model
  Integer Value;
};

class MemoryStore : public ::testing::Test {
 protected:
  void SetUp() override {
    DS.reset(New<TMemoryDataSet>(nullptr));
    DS->FieldDefs().Add("ID", ftInteger);
    DS->FieldDefs().Add("V", ftInteger);
  }
  Integer Id() { return DS->FieldByName("ID")->GetAsInteger(); }
  // Every record walked from the first, against the model.
  void ExpectWalk(const std::vector<TModelRecord>& AModel) {
    std::vector<Integer> walked, expected;
    for (DS->First(); !DS->Eof(); DS->Next()) walked.push_back(Id());
    for (const TModelRecord& r : AModel)
      if (!Filtered || r.Value < 50) expected.push_back(r.Id);
    ASSERT_EQ(walked, expected);
    ASSERT_EQ(DS->RecordCount(), Integer(expected.size()));
  }
  // Random operations, each checked against the model.
  void Run(unsigned ASeed) {
    std::mt19937 gen(ASeed);
    std::vector<TModelRecord> model;
    Integer nextId = 1;
    for (; nextId <= 60; ++nextId) {
      model.push_back({nextId, Integer(gen() % 100)});
      DS->AddRecord({nextId, model.back().Value});
    }
    DS->Open();
    if (Filtered) {
      DS->SetFilter("V < 50");
      DS->SetFiltered(true);
    }
    std::vector<std::pair<Integer, TBookmarkStr>> marks;  // id, its bookmark
    auto kept = [&] {
      std::vector<size_t> k;
      for (size_t i = 0; i < model.size(); ++i)
        if (!Filtered || model[i].Value < 50) k.push_back(i);
      return k;
    };
    for (int step = 0; step < 600; ++step) {
      SCOPED_TRACE("step " + std::to_string(step));
      const std::vector<size_t> visible = kept();
      const unsigned op = gen() % 10;
      // A record added to an empty window is not shown until the cursor moves.
      if (DS->IsEmpty()) DS->First();
      if (!visible.empty() && op < 4) {
        // A run of deletions from a random record on, as a loop at the cursor does.
        DS->SetRecNo(Integer(gen() % visible.size()) + 1);
        for (unsigned n = 1 + gen() % 4; n > 0 && !DS->IsEmpty(); --n) {
          const Integer id = Id();
          DS->Delete();
          model.erase(std::find_if(model.begin(), model.end(), [&](const TModelRecord& r) { return r.Id == id; }));
          ASSERT_EQ(DS->RecordCount(), Integer(kept().size()));
        }
      } else if (op < 6) {
        // Inserted before a random record (or appended to an empty view).
        Integer at = Integer(model.size());
        if (!visible.empty()) {
          const size_t before = gen() % visible.size();
          DS->SetRecNo(Integer(before) + 1);
          at = Integer(visible[before]);
        }
        const TModelRecord r{nextId++, Integer(gen() % 100)};
        DS->Insert();
        DS->FieldByName("ID")->SetAsInteger(r.Id);
        DS->FieldByName("V")->SetAsInteger(r.Value);
        DS->Post();
        model.insert(model.begin() + at, r);
      } else if (op < 7) {
        const TModelRecord r{nextId++, Integer(gen() % 100)};
        if (gen() % 2) {
          DS->Append();
          DS->FieldByName("ID")->SetAsInteger(r.Id);
          DS->FieldByName("V")->SetAsInteger(r.Value);
          DS->Post();
        } else {
          DS->AddRecord({r.Id, r.Value});
        }
        model.push_back(r);
      } else if (!visible.empty() && op < 9) {
        // An edit that may take the record out of the filter or bring it back.
        const size_t at = gen() % visible.size();
        DS->SetRecNo(Integer(at) + 1);
        const Integer value = Integer(gen() % 100);
        DS->Edit();
        DS->FieldByName("V")->SetAsInteger(value);
        DS->Post();
        model[visible[at]].Value = value;
      } else if (!DS->IsEmpty()) {
        marks.push_back({Id(), DS->Bookmark()});
      }
      ASSERT_EQ(DS->RecordCount(), Integer(kept().size()));
      if (step % 25 == 0) ExpectWalk(model);
      // Every bookmark still names its record, or is invalid while the record is gone or hidden.
      for (const auto& entry : marks) {
        const Integer id = entry.first;
        const TBookmarkStr& mark = entry.second;
        const auto it = std::find_if(model.begin(), model.end(), [&](const TModelRecord& r) { return r.Id == id; });
        const bool shown = it != model.end() && (!Filtered || it->Value < 50);
        ASSERT_EQ(DS->BookmarkValid(mark), shown) << "bookmark of " << id;
        if (!shown) continue;
        DS->GotoBookmark(mark);
        ASSERT_EQ(Id(), id);
      }
    }
    ExpectWalk(model);
  }
  Owned<TMemoryDataSet> DS;
  bool Filtered = false;
};

struct TEventCounter : TObject {
  Integer Before = 0, After = 0;
  void CountBefore(TDataSet*) { ++Before; }
  void CountAfter(TDataSet*) { ++After; }
};

class CountingLink : public TDataLink {
 public:
  Integer Changes = 0;

 protected:
  void DataSetChanged() override { ++Changes; }
};

}  // namespace

TEST_F(MemoryStore, RandomEditsMatchAPlainList) { Run(1); }

TEST_F(MemoryStore, RandomEditsMatchAPlainListThroughAFilter) {
  Filtered = true;
  Run(2);
}

TEST_F(MemoryStore, DeletingEveryRecordKeepsItsEvents) {
  for (Integer i = 0; i < 300; ++i) DS->AddRecord({i, i % 7});
  DS->Open();
  DS->SetRecNo(101);
  const TBookmarkStr last = [&] {
    DS->Last();
    return DS->Bookmark();
  }();
  TEventCounter counter;
  DS->BeforeDelete = TDataSetNotifyEvent(&counter, &TEventCounter::CountBefore);
  DS->AfterDelete = TDataSetNotifyEvent(&counter, &TEventCounter::CountAfter);
  Owned<TDataSource> source(New<TDataSource>(nullptr));
  source->SetDataSet(DS.get());
  CountingLink link;
  link.SetDataSource(source.get());
  DS->SetRecNo(101);
  while (!DS->IsEmpty() && Id() != 299) DS->Delete();  // records 100..298 go
  EXPECT_EQ(counter.Before, 199);
  EXPECT_EQ(counter.After, 199);
  EXPECT_GE(link.Changes, 199);
  EXPECT_EQ(DS->RecordCount(), 101);
  EXPECT_EQ(DS->RecNo(), 101);
  EXPECT_TRUE(DS->BookmarkValid(last));
  DS->First();
  while (!DS->IsEmpty()) DS->Delete();
  EXPECT_EQ(counter.After, 300);
  EXPECT_FALSE(DS->BookmarkValid(last));
  DS->AddRecord({7, 7});  // the store takes records again after it emptied
  DS->First();
  EXPECT_EQ(Id(), 7);
  EXPECT_EQ(DS->RecordCount(), 1);
  link.SetDataSource(nullptr);
}

// Scattered deletions of most records, the store giving back the room they held: the rest keep
// their order, their values and their bookmarks, and the room is taken again by new records.
TEST_F(MemoryStore, DeletingMostRecordsKeepsTheRestWhole) {
  for (Integer i = 0; i < 400; ++i) DS->AddRecord({i, 1000 + i});
  DS->Open();
  std::vector<std::pair<Integer, TBookmarkStr>> marks;  // id, its bookmark
  for (Integer i = 0; i < 400; i += 9) {
    DS->SetRecNo(i + 1);
    marks.push_back({Id(), DS->Bookmark()});
  }
  // Every record whose id is not a multiple of 9 goes, from the back and the front in turn.
  std::vector<Integer> kept;
  for (Integer i = 0; i < 400; i += 9) kept.push_back(i);
  for (bool back = true; DS->RecordCount() > Integer(kept.size()); back = !back) {
    back ? DS->Last() : DS->First();
    while (Id() % 9 == 0) back ? DS->Prior() : DS->Next();
    DS->Delete();
  }
  std::vector<Integer> ids;
  for (DS->First(); !DS->Eof(); DS->Next()) {
    ids.push_back(Id());
    ASSERT_EQ(DS->FieldByName("V")->GetAsInteger(), 1000 + Id());
  }
  EXPECT_EQ(ids, kept);
  for (const auto& [id, mark] : marks) {
    ASSERT_TRUE(DS->BookmarkValid(mark)) << id;
    DS->GotoBookmark(mark);
    EXPECT_EQ(Id(), id);
    EXPECT_EQ(DS->FieldByName("V")->GetAsInteger(), 1000 + id);
  }
  // More new records than room left free since the store last gave it back.
  for (Integer i = -1; i >= -100; --i) {
    DS->First();
    DS->Insert();
    DS->FieldByName("ID")->SetAsInteger(i);
    DS->FieldByName("V")->SetAsInteger(1000 + i);
    DS->Post();
    kept.insert(kept.begin(), i);
  }
  ids.clear();
  for (DS->First(); !DS->Eof(); DS->Next()) {
    ids.push_back(Id());
    ASSERT_EQ(DS->FieldByName("V")->GetAsInteger(), 1000 + Id());
  }
  EXPECT_EQ(ids, kept);
}
