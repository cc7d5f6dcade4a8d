// The record bookmarks: records with and without bookmarks come and go at scattered places,
// the room of those gone is taken again, and every record reads the bookmark a plain vector
// given the same changes holds; a search finds the first record with a bookmark.
#include "widgets/databinding/cxDBRecordBookmarks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace {

std::vector<std::string> Read(const TcxRecordBookmarks& AMarks) {
  std::vector<std::string> r;
  for (size_t i = 0; i < AMarks.size(); ++i) r.push_back(AMarks[i]);
  return r;
}

Integer FirstOf(const std::vector<std::string>& AModel, const std::string& AMark) {
  const auto it = std::find(AModel.begin(), AModel.end(), AMark);
  return it == AModel.end() ? -1 : Integer(it - AModel.begin());
}

TEST(RecordBookmarks, ARecordComingWhereOneWentHasNoBookmarkUntilGivenItsOwn) {
  TcxRecordBookmarks marks;
  marks.Set(0, "a");
  marks.Set(1, "b");
  marks.Set(2, "a bookmark too long to be held inside the string itself");
  marks.EraseSorted(std::vector<Integer>{0, 2});
  EXPECT_EQ(Read(marks), (std::vector<std::string>{"b"}));
  marks.InsertEmpty(0);
  marks.InsertEmpty(2);
  EXPECT_EQ(Read(marks), (std::vector<std::string>{"", "b", ""}));
  EXPECT_EQ(marks.Find("a"), -1);
  EXPECT_EQ(marks.Find("a bookmark too long to be held inside the string itself"), -1);
  // The rooms freed are taken by the bookmarks set next, each its own.
  marks.Set(0, "c");
  marks.Set(2, "d");
  EXPECT_EQ(Read(marks), (std::vector<std::string>{"c", "b", "d"}));
  marks.Set(0, "e");
  EXPECT_EQ(Read(marks), (std::vector<std::string>{"e", "b", "d"}));
  // A bookmark taken away leaves the record without one.
  marks.Set(1, "");
  EXPECT_EQ(Read(marks), (std::vector<std::string>{"e", "", "d"}));
  EXPECT_EQ(marks.Find("b"), -1);
  EXPECT_EQ(marks.Find(""), 1);
}

TEST(RecordBookmarks, SettingPastTheEndGivesTheRecordsBetweenNoBookmark) {
  TcxRecordBookmarks marks;
  marks.Set(3, "d");
  EXPECT_EQ(Read(marks), (std::vector<std::string>{"", "", "", "d"}));
  EXPECT_EQ(marks.Find(""), 0);
  EXPECT_EQ(marks.Find("d"), 3);
  marks.InsertEmpty(4);
  EXPECT_EQ(marks.Find("d"), 3);
  marks.clear();
  EXPECT_TRUE(marks.empty());
  EXPECT_EQ(marks.Find("d"), -1);
  EXPECT_EQ(marks.Find(""), -1);
}

TEST(RecordBookmarks, TheFirstOfRecordsSharingABookmarkIsFound) {
  TcxRecordBookmarks marks;
  // The later record takes its room first, so the room's order is not the records'.
  marks.Set(2, "x");
  marks.Set(0, "y");
  marks.Set(1, "x");
  EXPECT_EQ(marks.Find("x"), 1);
  marks.EraseSorted(std::vector<Integer>{1});
  EXPECT_EQ(marks.Find("x"), 1);
  marks.Set(0, "x");
  EXPECT_EQ(marks.Find("x"), 0);
}

TEST(RecordBookmarks, MostRecordsGoneTheOthersKeepTheirBookmarks) {
  TcxRecordBookmarks marks;
  std::vector<std::string> model;
  for (size_t i = 0; i < 1000; ++i) {
    model.push_back(i % 7 == 3 ? "" : "mark " + std::to_string(i));
    marks.Set(i, model.back());
  }
  std::vector<Integer> gone;
  for (Integer i = 0; i < 1000; ++i)
    if (i % 10 != 4) gone.push_back(i);
  marks.EraseSorted(gone);
  for (auto it = gone.rbegin(); it != gone.rend(); ++it) model.erase(model.begin() + *it);
  EXPECT_EQ(Read(marks), model);
  marks.InsertEmpty(50);
  marks.Set(50, "new");
  model.insert(model.begin() + 50, "new");
  marks.Set(0, "changed");
  model[0] = "changed";
  EXPECT_EQ(Read(marks), model);
  EXPECT_EQ(marks.Find("mark 994"), 100);
  EXPECT_EQ(marks.Find("mark 4"), -1);
}

// Each record's bookmark leads to that record (the first of those sharing it), and the
// records without one are counted, as the model tells.
void ExpectEachBookmarkLeadsToItsRecord(const TcxRecordBookmarks& AMarks,
                                        const std::vector<std::string>& AModel, const char* AStep) {
  ASSERT_EQ(Read(AMarks), AModel) << AStep;
  for (const std::string& m : AModel) {
    if (m.empty()) continue;
    ASSERT_EQ(AMarks.Find(m), FirstOf(AModel, m)) << AStep << " '" << m << "'";
  }
  EXPECT_EQ(AMarks.EmptyCount(), size_t(std::count(AModel.begin(), AModel.end(), std::string())))
      << AStep;
}

TEST(RecordBookmarks, EachBookmarkLeadsToItsRecordThroughChangesFarApart) {
  TcxRecordBookmarks marks;
  std::vector<std::string> model;
  for (size_t i = 0; i < 3000; ++i) {
    model.push_back("m" + std::to_string(i));
    marks.Set(i, model.back());
  }
  ExpectEachBookmarkLeadsToItsRecord(marks, model, "read");
  // Records come in at the start, at the end and in the middle, each far from the last.
  for (const size_t at : {size_t(0), model.size(), size_t(1500), size_t(1), model.size() - 3}) {
    marks.InsertEmpty(at);
    model.insert(model.begin() + std::ptrdiff_t(at), std::string());
    const std::string m = "new" + std::to_string(at);
    marks.Set(at, m);
    model[at] = m;
    ExpectEachBookmarkLeadsToItsRecord(marks, model, "inserted");
  }
  // One record at a time leaves, far apart; then several at once.
  for (const Integer at : {Integer(2), Integer(model.size() - 2), Integer(1000)}) {
    marks.EraseSorted(std::vector<Integer>{at});
    model.erase(model.begin() + at);
    ExpectEachBookmarkLeadsToItsRecord(marks, model, "one gone");
  }
  marks.EraseSorted(std::vector<Integer>{0, 700, 2900});
  for (const Integer at : {2900, 700, 0}) model.erase(model.begin() + at);
  ExpectEachBookmarkLeadsToItsRecord(marks, model, "several gone");
  marks.InsertEmpty(10);
  model.insert(model.begin() + 10, std::string());
  ExpectEachBookmarkLeadsToItsRecord(marks, model, "inserted after several gone");
  // A record's bookmark changed, taken away, and given one another record has.
  const Integer changed = FirstOf(model, "m50");
  ASSERT_GE(changed, 0);
  EXPECT_EQ(marks.Find("m50"), changed);
  marks.Set(size_t(changed), "changed");
  model[size_t(changed)] = "changed";
  marks.Set(60, "");
  model[60] = "";
  marks.Set(2500, "m100");
  model[2500] = "m100";
  EXPECT_EQ(marks.Find("m50"), -1);
  ExpectEachBookmarkLeadsToItsRecord(marks, model, "set");
  // Most records gone: the pool closes up, the others are still found.
  std::vector<Integer> gone;
  for (Integer i = 0; i < Integer(model.size()); ++i)
    if (i % 9 != 5) gone.push_back(i);
  marks.EraseSorted(gone);
  for (auto it = gone.rbegin(); it != gone.rend(); ++it) model.erase(model.begin() + *it);
  ExpectEachBookmarkLeadsToItsRecord(marks, model, "most gone");
  for (size_t i = 0; i < 40; ++i) {
    const size_t at = (i * 37) % (model.size() + 1);
    marks.InsertEmpty(at);
    model.insert(model.begin() + std::ptrdiff_t(at), std::string());
    if (i % 3 != 0) {
      marks.Set(at, "again" + std::to_string(i));
      model[at] = "again" + std::to_string(i);
    }
  }
  ExpectEachBookmarkLeadsToItsRecord(marks, model, "after closing up");
}

TEST(RecordBookmarks, ScatteredChangesReadAsAVectorDoes) {
  std::mt19937 gen(5);
  TcxRecordBookmarks marks;
  std::vector<std::string> model;
  auto mark = [&] {
    const unsigned k = gen() % 40;
    if (k == 0) return std::string();
    // Some bookmarks repeat; some are longer than a string holds inside itself.
    return (k % 3 == 0 ? std::string("a longer bookmark, kept on the heap ") : std::string("m")) +
           std::to_string(k);
  };
  for (int step = 0; step < 4000; ++step) {
    const unsigned op = gen() % 20;
    if (op < 7) {
      const size_t at = gen() % (model.size() + 1);
      marks.InsertEmpty(at);
      model.insert(model.begin() + std::ptrdiff_t(at), std::string());
    } else if (op < 13) {
      const size_t at = gen() % (model.size() + 3);
      const std::string m = mark();
      marks.Set(at, m);
      if (at >= model.size()) model.resize(at + 1);
      model[at] = m;
    } else if (op < 19 && !model.empty()) {
      // A few records at scattered places, now and then most of them.
      std::vector<Integer> gone;
      const unsigned keepOneIn = op == 18 ? 5 : 0;
      for (Integer i = 0; i < Integer(model.size()); ++i)
        if (keepOneIn ? gen() % keepOneIn != 0 : gen() % 40 == 0) gone.push_back(i);
      marks.EraseSorted(gone);
      for (auto it = gone.rbegin(); it != gone.rend(); ++it) model.erase(model.begin() + *it);
    } else if (gen() % 10 == 0) {
      marks.clear();
      model.clear();
    }
    ASSERT_EQ(Read(marks), model) << "step " << step;
    for (const std::string& m : {mark(), mark(), std::string()})
      ASSERT_EQ(marks.Find(m), FirstOf(model, m)) << "step " << step << " '" << m << "'";
  }
}

}  // namespace
