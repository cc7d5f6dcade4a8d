// A data-aware memo written line by line: each line added is the whole text set as the edit
// value, with the same record, field and modified state as setting that text at once.
#include "tests/databinding/DBEditTestSupport.h"
#include "widgets/databinding/cxDBEditors.h"

namespace {

class TChanges : public TObject {
 public:
  void Changed(TObject*) { ++Count; }
  int Count = 0;
};

struct Outcome {
  String Text, Value, Field;
  TDataSetState State;
  bool Modified;
  int Changes, ValueChanges;
  bool operator==(const Outcome&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Outcome& o) {
  return os << o.Text << "|" << o.Value << "|" << o.Field << "|" << int(o.State) << "|" << o.Modified << "|"
            << o.Changes << "|" << o.ValueChanges;
}

class DBMemoLinesTest : public DBEditTest {
 protected:
  // The memo on the first record, written by AWrite, and what it left.
  template <class W>
  Outcome Run(W&& AWrite) {
    DS->First();
    auto* memo = Add<TcxDBMemo>("NOTE");
    Show();
    TChanges changes, valueChanges;
    memo->GetProperties()->OnChange = {&changes, &TChanges::Changed};
    memo->GetProperties()->OnEditValueChanged = {&valueChanges, &TChanges::Changed};
    AWrite(memo);
    Pump();
    Outcome o{memo->InnerMemo()->GetText(), VarToStr(memo->EditValue()), F("NOTE")->GetAsString(),
              DS->State(),   memo->GetEditModified(),             changes.Count, valueChanges.Count};
    memo->GetProperties()->OnChange = {};
    memo->GetProperties()->OnEditValueChanged = {};
    if (DS->State() != TDataSetState::dsBrowse) DS->Cancel();
    memo->Free();
    Pump();
    return o;
  }
};

}  // namespace

TEST_F(DBMemoLinesTest, LinesAddedOneByOneLeaveWhatTheWholeTextSetAtOnceLeaves) {
  const Outcome added = Run([](TcxDBMemo* m) {
    m->GetLines()->Add("second line");
    m->GetLines()->Add("third");
  });
  const Outcome set = Run([](TcxDBMemo* m) {
    m->SetEditValue(Variant(String("first\r\nsecond line")));
    m->SetEditValue(Variant(String("first\r\nsecond line\r\nthird")));
  });
  EXPECT_EQ(added, set);
  EXPECT_EQ(added.Text, "first\r\nsecond line\r\nthird");
  EXPECT_EQ(added.Value, "first\r\nsecond line\r\nthird");
  EXPECT_EQ(added.Changes, 2);
  EXPECT_EQ(added.ValueChanges, 2);
}
