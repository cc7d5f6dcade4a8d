// The text index numbers its records through the composed map of the insertions and deletions
// since it last renumbered every entry: records in and out at one place, at the end, spread
// over the storage, texts edited between them. Every prefix search gives the records a model
// of the texts gives, in record order.
#include "DataControllerTestSupport.h"
#include "platform/kernel/CodePage.h"

#include <random>
#include <string>

namespace {

using V = std::vector<Integer>;

class TextIndexShifts : public ControllerTest {
 protected:
  void SetUp() override {
    ControllerTest::SetUp();
    AddItems({StrType()});
    def_ = c_->GetItemField(0)->GetValueDef();
  }
  // Texts over a few letters of both cases, many longer than eight bytes and sharing their
  // first nine or more, some equal to others.
  String RandomText() {
    static const char kLetters[] = {'a', 'A', 'b', 'B', 'c'};
    String s;
    const unsigned n = gen_() % 3 == 0 ? 9 + gen_() % 4 : gen_() % 5;
    for (unsigned i = 0; i < n; ++i)
      s += i < 8 && n > 8 ? 'a' : kLetters[gen_() % sizeof(kLetters)];
    return s;
  }
  String RandomPrefix() {
    const String& from = model_.empty() ? String("ab") : model_[gen_() % model_.size()];
    String p = from.substr(0, gen_() % (from.size() + 1));
    if (gen_() % 4 == 0) p += 'b';  // now and then one that few or none begin with
    return p;
  }
  void Load(Integer ACount) {
    c_->BeginUpdate();
    c_->SetRecordCount(ACount);
    for (Integer r = 0; r < ACount; ++r) {
      model_.push_back(RandomText());
      c_->SetValue(r, 0, Variant(model_.back()));
    }
    c_->EndUpdate();
    c_->DataStorage()->CountTextWalk(def_, ACount);
  }
  void Insert(Integer AAt, const String& AText) {
    const Integer r = c_->InsertRecord(AAt);
    c_->SetValue(r, 0, Variant(AText));
    model_.insert(model_.begin() + AAt, AText);
  }
  void Delete(Integer AAt) {
    c_->DeleteRecord(AAt);
    model_.erase(model_.begin() + AAt);
  }
  void Edit(Integer AAt, const String& AText) {
    c_->SetValue(AAt, 0, Variant(AText));
    model_[size_t(AAt)] = AText;
  }
  // The index's records for APrefix against the model's, compared byte by byte upper-cased.
  void Check(const String& APrefix) {
    V expected;
    for (size_t r = 0; r < model_.size(); ++r) {
      const String& t = model_[r];
      bool begins = t.size() >= APrefix.size();
      for (size_t i = 0; begins && i < APrefix.size(); ++i)
        begins = CpUpper(Byte(t[i])) == CpUpper(Byte(APrefix[i]));
      if (begins) expected.push_back(Integer(r));
    }
    V found{-2};
    ASSERT_TRUE(c_->DataStorage()->FindTextPrefix(def_, APrefix, found)) << "the index was dropped";
    ASSERT_EQ(found, expected) << "\"" << APrefix << "\"";
  }
  Integer Size() const { return Integer(model_.size()); }
  Integer Pick(Integer ACount) { return Integer(gen_() % unsigned(ACount)); }

  TcxValueDef* def_ = nullptr;
  std::vector<String> model_;
  std::mt19937 gen_{5};
};

}  // namespace

// A record in and out at one place, over and over (a map that cancels), holding the text of
// its neighbours (records in record order among equal texts) or one of its own.
TEST_F(TextIndexShifts, ARecordInAndOutAtOnePlaceLeavesEveryRecordFound) {
  Load(600);
  ASSERT_NO_FATAL_FAILURE(Check("a"));  // built
  for (Integer round = 0; round < 300; ++round) {
    SCOPED_TRACE("round " + IntToStr(round));
    const Integer at = round < 150 ? 300 : 300 + round % 3 - 1;
    const String held = round % 3 == 0 ? model_[size_t(at)] : RandomText();
    Insert(at, held);
    if (round % 4 == 0) {
      ASSERT_NO_FATAL_FAILURE(Check(held.substr(0, size_t(round) % (held.size() + 1))));
    }
    Delete(at + (round % 5 == 0 ? 1 : 0));  // now and then the record after the new one
    if (round % 3 == 0) {
      ASSERT_NO_FATAL_FAILURE(Check(RandomPrefix()));
    }
  }
  for (const char* p : {"", "a", "A", "ab", "aaaaaaaa", "aaaaaaaaa", "aaaaaaaab", "c"})
    ASSERT_NO_FATAL_FAILURE(Check(p));
}

// Records appended and taken from the end (nothing follows them) between insertions in the
// middle, so that records that came since the map's start meet both.
TEST_F(TextIndexShifts, RecordsAtTheEndAndInTheMiddleKeepTheirPlaces) {
  Load(300);
  ASSERT_NO_FATAL_FAILURE(Check(""));
  for (Integer step = 0; step < 400; ++step) {
    SCOPED_TRACE("step " + IntToStr(step));
    if (step % 4 == 0)
      Insert(Size(), RandomText());
    else if (step % 4 == 1)
      Insert(Pick(Size()), RandomText());
    else if (step % 4 == 2)
      Delete(Size() - 1);
    else
      Delete(Pick(Size()));
    ASSERT_NO_FATAL_FAILURE(Check(RandomPrefix()));
  }
  ASSERT_NO_FATAL_FAILURE(Check(""));
}

// Insertions, deletions (now and then several at once) and edits spread over the records, a
// search after each: the map and the log fill and start over many times.
TEST_F(TextIndexShifts, ScatteredChangesAnswerAsAFreshBuild) {
  Load(500);
  ASSERT_NO_FATAL_FAILURE(Check("a"));
  for (Integer step = 0; step < 3000; ++step) {
    SCOPED_TRACE("step " + IntToStr(step));
    const Integer op = Pick(10);
    if (op < 4) {
      Insert(Pick(Size() + 1), RandomText());
    } else if (op < 7) {
      Edit(Pick(Size()), RandomText());
    } else if (op < 9 || step % 50 != 0) {
      Delete(Pick(Size()));
    } else {
      V gone;
      for (Integer k = 0; k < 4; ++k) gone.push_back(Pick(Size()));
      std::sort(gone.begin(), gone.end());
      gone.erase(std::unique(gone.begin(), gone.end()), gone.end());
      c_->DeleteRecords(gone);
      for (auto it = gone.rbegin(); it != gone.rend(); ++it) model_.erase(model_.begin() + *it);
    }
    if (Size() < 300) Insert(Pick(Size() + 1), RandomText());
    ASSERT_NO_FATAL_FAILURE(Check(RandomPrefix()));
  }
  for (const char* p : {"", "a", "B", "aaaaaaaa", "aaaaaaaaa", "aaaaaaaaB"})
    ASSERT_NO_FATAL_FAILURE(Check(p));
}
