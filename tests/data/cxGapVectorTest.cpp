// The gap list of the record-indexed arrays: whatever the gap's place, the entries read in
// their order, as a plain vector given the same inserts and deletions holds them.
#include "widgets/data/cxGapVector.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace {

std::vector<std::string> Read(const TcxGapVector<std::string>& AList) {
  std::vector<std::string> r;
  for (size_t i = 0; i < AList.size(); ++i) r.push_back(AList[i]);
  return r;
}

std::vector<std::string> Walked(const TcxGapVector<std::string>& AList) {
  return std::vector<std::string>(AList.begin(), AList.end());
}

TEST(GapVector, InsertsAndDeletionsAtEitherSideOfTheGap) {
  TcxGapVector<std::string> list;
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
TEST(GapVector, RandomChangesReadAsAVectorDoes) {
  std::mt19937 gen(5077);
  TcxGapVector<std::string> list;
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

TEST(GapVector, FindGivesTheIndexOfTheEntry) {
  TcxGapVector<std::string> list;
  for (const char* s : {"a", "b", "c", "d", "e"}) list.push_back(s);
  list.insert(1, "x");
  list.erase(4);  // the gap stands before e
  const auto it = std::find(list.begin(), list.end(), std::string("e"));
  ASSERT_NE(it, list.end());
  EXPECT_EQ(it.Index(), 4u);
  EXPECT_EQ(std::find(list.begin(), list.end(), std::string("d")), list.end());
}

}  // namespace
