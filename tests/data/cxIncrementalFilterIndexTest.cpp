// The incremental filter typed into a list: once the storage's text index answers, the rows
// kept must be those a comparison of every record's text keeps. Random texts with mixed case,
// letters of the upper code page and shared beginnings, keystrokes that narrow, widen and
// start again, edits, new and deleted records between them, against the test's own list.
#include "DataControllerTestSupport.h"
#include "platform/kernel/CodePage.h"

#include <random>
#include <string>

namespace {

using enum TcxDataSortOrder;
using V = std::vector<Integer>;

bool StartsWithIgnoringCase(const String& AText, const String& APrefix) {
  if (AText.size() < APrefix.size()) return false;
  for (size_t i = 0; i < APrefix.size(); ++i)
    if (CpUpper(Byte(AText[i])) != CpUpper(Byte(APrefix[i]))) return false;
  return true;
}

class IncrementalFilterIndex : public ControllerTest {
 protected:
  // Texts over a small alphabet so that many share a beginning: lower and upper letters,
  // and a code-page pair whose upper case is another byte.
  String RandomText(std::mt19937& AGen) {
    static const char kAlphabet[] = {'a', 'A', 'b', 'B', char(0x9A), char(0x8A), 'c', '1'};
    String s;
    for (unsigned n = AGen() % 5; n > 0; --n) s += kAlphabet[AGen() % sizeof(kAlphabet)];
    return s;
  }
  // The rows the filter keeps, in row order, against the test's list of texts.
  void ExpectRows(const std::vector<String>& ATexts, const String& APrefix, const char* AWhat) {
    std::vector<Integer> expected;
    for (size_t r = 0; r < ATexts.size(); ++r)
      if (StartsWithIgnoringCase(ATexts[r], APrefix)) expected.push_back(Integer(r));
    ASSERT_EQ(Rows(), expected) << AWhat << " \"" << APrefix << "\"";
  }
};

TEST_F(IncrementalFilterIndex, KeepsWhatComparingEveryTextKeepsThroughTypingAndChanges) {
  for (unsigned seed = 1; seed <= 3; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 gen(seed);
    c_.reset(Make());
    items_.clear();
    AddItems({StrType(), IntType()});
    std::vector<String> texts;
    c_->BeginUpdate();
    c_->SetRecordCount(400);
    for (Integer r = 0; r < 400; ++r) {
      texts.push_back(RandomText(gen));
      c_->SetValue(r, 0, Variant(texts.back()));
      c_->SetValue(r, 1, r);
    }
    c_->EndUpdate();
    String typed;
    for (int step = 0; step < 300; ++step) {
      const unsigned op = gen() % 12;
      if (op < 6 || typed.empty()) {
        typed += RandomText(gen).substr(0, 1);  // a key typed (nothing when the text was empty)
      } else if (op < 8) {
        typed.pop_back();  // a backspace
      } else if (op < 9) {
        typed.clear();
        typed += RandomText(gen).substr(0, 1);  // typing starts again
      } else if (op < 10) {
        // An edit: the index is dropped and built again after enough keystrokes.
        const Integer r = Integer(gen() % texts.size());
        texts[size_t(r)] = RandomText(gen);
        c_->SetValue(r, 0, Variant(texts[size_t(r)]));
      } else if (op < 11) {
        texts.push_back(RandomText(gen));
        const Integer r = c_->AppendRecord();
        c_->SetValue(r, 0, Variant(texts.back()));
      } else {
        const Integer r = Integer(gen() % texts.size());
        c_->DeleteRecord(r);
        texts.erase(texts.begin() + r);
      }
      if (typed.empty()) {
        c_->ResetIncrementalFilter();
        ASSERT_EQ(c_->GetRowCount(), Integer(texts.size()));
        continue;
      }
      c_->ApplyIncrementalFilter(0, typed);
      ExpectRows(texts, typed, "typed");
    }
    // The index answered for most keystrokes: after two passes over the same records.
    c_->ApplyIncrementalFilter(0, "a");
    c_->ApplyIncrementalFilter(0, "b");
    std::vector<Integer> found;
    EXPECT_TRUE(c_->DataStorage()->FindTextPrefix(c_->GetItemField(0)->GetValueDef(), "A", found));
    std::vector<Integer> expected;
    for (size_t r = 0; r < texts.size(); ++r)
      if (StartsWithIgnoringCase(texts[r], "a")) expected.push_back(Integer(r));
    EXPECT_EQ(found, expected);
  }
}

TEST_F(IncrementalFilterIndex, StoredDisplayTextsAreWhatIsMatchedAndTheSortOrderStays) {
  AddItems({IntType(), StrType()});
  c_->ChangeTextStored(0, true);
  Fill({{30, "x"}, {10, "y"}, {20, "z"}, {11, "w"}});
  c_->BeginUpdate();
  const char* shown[] = {"Ab", "aC", "b", "ab"};
  for (Integer r = 0; r < 4; ++r) c_->SetDisplayText(r, 0, shown[r]);
  c_->EndUpdate();
  // The stored display texts are what the filter reads, not the numbers.
  for (int pass = 0; pass < 3; ++pass) {
    c_->ApplyIncrementalFilter(0, "a");
    EXPECT_EQ(Rows(), (V{0, 1, 3})) << pass;
    c_->ApplyIncrementalFilter(0, "AB");
    EXPECT_EQ(Rows(), (V{0, 3})) << pass;
    c_->ApplyIncrementalFilter(0, "1");
    EXPECT_EQ(Rows(), V{}) << pass;
  }
  // Sorted rows keep their sort order among the records found.
  c_->ChangeSortingOrder(0, soDescending);
  c_->ApplyIncrementalFilter(0, "a");
  EXPECT_EQ(Rows(), (V{0, 3, 1}));
  // A new display text is seen at once.
  c_->SetDisplayText(2, 0, "aZ");
  c_->ApplyIncrementalFilter(0, "a");
  EXPECT_EQ(Rows(), (V{0, 2, 3, 1}));
}

}  // namespace
