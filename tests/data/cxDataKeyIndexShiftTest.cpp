// The key index numbers its records through a composed map of the insertions and deletions
// since it last renumbered every key: records in and out at one place, records spread over
// the storage, keys read between the shifts or long after them. Every first record and count
// it gives is the one a model of the records gives.
#include "DataControllerTestSupport.h"

#include <algorithm>
#include <random>

namespace {

class KeyIndexShifts : public ControllerTest {
 protected:
  void SetUp() override {
    ControllerTest::SetUp();
    AddItems({IntType()});
    def_ = c_->GetItemField(0)->GetValueDef();
  }
  void Load(Integer ACount) {
    c_->BeginUpdate();
    c_->SetRecordCount(ACount);
    for (Integer r = 0; r < ACount; ++r) {
      model_.push_back(r % 7 == 3 ? 1000000 + r % 5 : r);  // a few keys held by many records
      c_->SetValue(r, 0, model_.back());
    }
    c_->EndUpdate();
    c_->DataStorage()->CountEqualWalk(def_, ACount);
  }
  Integer Insert(Integer AAt, Integer AValue) {
    const Integer r = c_->InsertRecord(AAt);
    c_->SetValue(r, 0, AValue);
    model_.insert(model_.begin() + AAt, AValue);
    return r;
  }
  void Delete(Integer AAt) {
    c_->DeleteRecord(AAt);
    model_.erase(model_.begin() + AAt);
  }
  // The index's first record and count for the key record AAt holds, against the model's.
  void Check(Integer AAt) {
    const Integer key = model_[size_t(AAt)];
    const auto first = std::find(model_.begin(), model_.end(), key);
    Integer found = -2, count = -2;
    ASSERT_TRUE(c_->DataStorage()->FindEqualRecord(def_, AAt, found)) << "the index was dropped";
    ASSERT_TRUE(c_->DataStorage()->CountEqualRecords(def_, AAt, count));
    ASSERT_EQ(found, Integer(first - model_.begin())) << "key " << key << " at " << AAt;
    ASSERT_EQ(count, Integer(std::count(model_.begin(), model_.end(), key))) << "key " << key;
  }
  Integer Size() const { return Integer(model_.size()); }

  TcxValueDef* def_ = nullptr;
  std::vector<Integer> model_;
};

}  // namespace

// A record in and out at one place, over and over (a map that cancels), with the records
// before, at and after the place read between and after the rounds.
TEST_F(KeyIndexShifts, ARecordInAndOutAtOnePlaceLeavesEveryKeyWhereItWas) {
  Load(600);
  Check(0);  // built
  Integer value = 5000;
  for (Integer round = 0; round < 400; ++round) {
    SCOPED_TRACE("round " + IntToStr(round));
    const Integer at = round < 200 ? 300 : 300 + round % 3 - 1;
    // A key of its own, or one that records after the place hold as well.
    const Integer held = round % 4 == 0 ? model_[size_t(at + 20)] : ++value;
    Insert(at, held);
    if (round % 5 == 0) {
      ASSERT_NO_FATAL_FAILURE(Check(at));
    }
    if (round % 7 == 0) {
      ASSERT_NO_FATAL_FAILURE(Check(at + 1));
    }
    Delete(at);
    if (round % 3 == 0) {
      ASSERT_NO_FATAL_FAILURE(Check(at));
    }
    if (round % 11 == 0) {
      ASSERT_NO_FATAL_FAILURE(Check(at - 1));
    }
  }
  for (Integer r = 0; r < Size(); r += 7) ASSERT_NO_FATAL_FAILURE(Check(r));
  for (Integer r = 290; r < 310; ++r) ASSERT_NO_FATAL_FAILURE(Check(r));
}

// Insertions and deletions spread over the records, several at once now and then, keys read
// at random between them (some right after their record came, some only many shifts later):
// the map and the log fill and start over many times.
TEST_F(KeyIndexShifts, ScatteredInsertionsAndDeletionsKeepEveryKeyNumbered) {
  Load(500);
  Check(0);
  std::mt19937 gen(71);
  auto pick = [&](Integer n) { return Integer(gen() % unsigned(n)); };
  Integer value = 9000;
  for (Integer step = 0; step < 3000; ++step) {
    SCOPED_TRACE("step " + IntToStr(step));
    const Integer at = pick(Size() + 1);
    const Integer held = pick(6) == 0 ? model_[size_t(pick(Size()))] : ++value;
    Insert(at, held);
    if (pick(3) == 0) {
      ASSERT_NO_FATAL_FAILURE(Check(at));
    }
    if (step % 97 == 0) {
      std::vector<Integer> gone;
      for (Integer k = 0; k < 4; ++k) gone.push_back(pick(Size()));
      std::sort(gone.begin(), gone.end());
      gone.erase(std::unique(gone.begin(), gone.end()), gone.end());
      c_->DeleteRecords(gone);
      for (auto it = gone.rbegin(); it != gone.rend(); ++it) model_.erase(model_.begin() + *it);
    } else {
      Delete(pick(Size()));
    }
    if (pick(4) == 0) {
      ASSERT_NO_FATAL_FAILURE(Check(pick(Size())));
    }
    if (step % 500 == 499) {
      for (Integer r = 0; r < Size(); ++r) ASSERT_NO_FATAL_FAILURE(Check(r));
    }
  }
  for (Integer r = 0; r < Size(); ++r) ASSERT_NO_FATAL_FAILURE(Check(r));
}
