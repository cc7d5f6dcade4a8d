// The gap list: whatever the gap's place, the entries read in their order, as a plain vector
// given the same inserts and deletions holds them; a user keeping slots learns of every move.
#include "classlib/core/GapList.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <utility>
#include <random>
#include <string>
#include <vector>

namespace {

std::vector<std::string> Read(const TGapList<std::string>& AList) {
  std::vector<std::string> r;
  for (size_t i = 0; i < AList.size(); ++i) r.push_back(AList[i]);
  return r;
}

std::vector<std::string> Walked(const TGapList<std::string>& AList) {
  return std::vector<std::string>(AList.begin(), AList.end());
}

TEST(GapList, InsertsAndDeletionsAtEitherSideOfTheGap) {
  TGapList<std::string> list;
  for (const char* s : {"a", "b", "c", "d"}) list.push_back(s);
  list.insert(2, "x");  // the gap stands after x now
  list.insert(0, "first");
  list.insert(list.size(), "last");
  EXPECT_EQ(Read(list), (std::vector<std::string>{"first", "a", "b", "x", "c", "d", "last"}));
  list.erase(6);
  list.erase(0);
  list.erase(2);
  EXPECT_EQ(Read(list), (std::vector<std::string>{"a", "b", "c", "d"}));
  EXPECT_EQ(Walked(list), Read(list));
  list.erase_sorted(std::vector<int>{0, 3});
  EXPECT_EQ(Read(list), (std::vector<std::string>{"b", "c"}));
  list.resize(3, "z");
  EXPECT_EQ(Read(list), (std::vector<std::string>{"b", "c", "z"}));
  // A slot given back holds nothing of what stood there.
  list.erase(0);
  list.insert(0, {});
  EXPECT_EQ(list[0], "");
}

// Seeded random inserts, deletions (one and many), resizes and in-place writes, against a
// vector given the same; every entry is read after each step, by index and by walking.
TEST(GapList, RandomChangesReadAsAVectorDoes) {
  std::mt19937 gen(5077);
  TGapList<std::string> list;
  std::vector<std::string> model;
  int next = 0;
  for (int step = 0; step < 4000; ++step) {
    const size_t n = model.size();
    const unsigned kind = gen() % 20;
    // Edits cluster around a moving place, as a user's do, and jump now and then.
    const size_t at = n == 0 ? 0 : size_t(gen() % (n + 1));
    if (kind < 9 || n == 0) {
      const std::string v = std::to_string(next++);
      list.insert(at, v);
      model.insert(model.begin() + std::ptrdiff_t(at), v);
    } else if (kind < 16) {
      const size_t i = std::min(at, n - 1);
      list.erase(i);
      model.erase(model.begin() + std::ptrdiff_t(i));
    } else if (kind < 18) {
      std::vector<int> gone;
      for (size_t i = 0; i < n; ++i)
        if (gen() % 7 == 0) gone.push_back(int(i));
      list.erase_sorted(gone);
      for (auto it = gone.rbegin(); it != gone.rend(); ++it) model.erase(model.begin() + *it);
    } else if (kind < 19) {
      const size_t count = n == 0 ? 3 : size_t(gen() % (n + 8));
      list.resize(count, "r");
      model.resize(count, "r");
    } else {
      const size_t i = std::min(at, n - 1);
      list[i] = model[i] = "w" + std::to_string(step);
    }
    ASSERT_EQ(list.size(), model.size()) << step;
    ASSERT_EQ(Read(list), model) << step;
    ASSERT_EQ(Walked(list), model) << step;
  }
}

TEST(GapList, FindGivesTheIndexOfTheEntry) {
  TGapList<std::string> list;
  for (const char* s : {"a", "b", "c", "d", "e"}) list.push_back(s);
  list.insert(1, "x");
  list.erase(4);  // the gap stands before e
  const auto it = std::find(list.begin(), list.end(), std::string("e"));
  ASSERT_NE(it, list.end());
  EXPECT_EQ(it.Index(), 4u);
  EXPECT_EQ(std::find(list.begin(), list.end(), std::string("d")), list.end());
}

using TRanges = std::vector<std::pair<size_t, size_t>>;

// The slots reported as taken by moved entries, exactly: the entry inserted is not among
// them (its slot is its index), nor is the one erased.
TEST(GapList, ReportsTheSlotsTheMovedEntriesTake) {
  TGapList<int> list;
  TRanges moved;
  const auto note = [&moved](size_t AFirst, size_t ALast) { moved.push_back({AFirst, ALast}); };
  for (int v : {10, 11, 12, 13}) list.insert(list.size(), v, note);
  EXPECT_EQ(moved, TRanges{});  // appends at the gap move nothing
  list.insert(1, 99, note);     // 11, 12, 13 go above the gap of 12 slots: 13..15
  EXPECT_EQ(moved, (TRanges{{13, 16}}));
  EXPECT_EQ(list.SlotOf(1), 1u);
  EXPECT_EQ(list.AtSlot(13), 11);
  EXPECT_EQ(list.IndexOfSlot(13), 2u);
  moved.clear();
  list.erase(4, note);  // 11 and 12 come down below the gap: slots 2 and 3
  EXPECT_EQ(moved, (TRanges{{2, 4}}));
  EXPECT_EQ(list.AtSlot(2), 11);
  moved.clear();
  list.erase(0, note);  // 99, 11, 12 go up; 10, erased, crossed with them but is not reported
  EXPECT_EQ(moved, (TRanges{{13, 16}}));
  EXPECT_EQ(list.AtSlot(13), 99);
  EXPECT_EQ(list.IndexOfSlot(13), 0u);
  moved.clear();
  list.erase(0, note);  // the gap at the place asked for: nothing moves
  EXPECT_EQ(moved, TRanges{});
  list.erase(1, note);  // 11 comes down
  EXPECT_EQ(moved, (TRanges{{0, 1}}));
  EXPECT_EQ(list.AtSlot(0), 11);
}

// Seeded random inserts and deletions of distinct values, each value's slot kept in a map
// from the new entry's slot and the moves reported (the deletions' closing up included):
// after every step every entry is found where the map says.
TEST(GapList, MovesReportedKeepASlotMapTrue) {
  std::mt19937 gen(9151);
  TGapList<int> list;
  std::vector<int> model;
  std::map<int, size_t> slotOf;
  const auto refile = [&](size_t AFirst, size_t ALast) {
    for (size_t s = AFirst; s < ALast; ++s) slotOf[list.AtSlot(s)] = s;
  };
  int next = 0;
  for (int step = 0; step < 3000; ++step) {
    const size_t n = model.size();
    // Growth first, then mostly deletions, so that the list closes up on the way down.
    const bool inserting = n == 0 || gen() % 100 < (step < 1500 ? 70u : 25u);
    const size_t at = size_t(gen() % (n + 1));
    if (inserting) {
      list.insert(at, next, refile);
      model.insert(model.begin() + std::ptrdiff_t(at), next);
      slotOf[next++] = list.SlotOf(at);
    } else {
      const size_t i = std::min(at, n - 1);
      slotOf.erase(model[i]);
      list.erase(i, refile);
      model.erase(model.begin() + std::ptrdiff_t(i));
    }
    ASSERT_EQ(slotOf.size(), model.size()) << step;
    for (size_t i = 0; i < model.size(); ++i) {
      ASSERT_EQ(list[i], model[i]) << step;
      ASSERT_EQ(slotOf[model[i]], list.SlotOf(i)) << step << " at " << i;
      ASSERT_EQ(list.IndexOfSlot(slotOf[model[i]]), i) << step;
    }
  }
}

}  // namespace
