// A memo's lines written one at a time: each added line reaches the text, the edit value and
// the change event as a whole new text would, lines that are not the text joined again are
// split anew, and lines written inside an update are kept until it ends.
#include "widgets/editors/cxMemo.h"

#include "classlib/visual/Forms.h"
#include "platform/user/Controls.h"
#include "platform/user/User.h"
#include "tests/support/AppTest.h"
#include "widgets/editcore/EditcoreUnits.h"
#include "widgets/editors/EditorsUnits.h"
#include "widgets/foundation/FoundationUnits.h"
#include "widgets/foundation/cxControls.h"

#include <gtest/gtest.h>

namespace {

class TChangeCounter : public TObject {
 public:
  void Changed(TObject* Sender) {
    ++Changes;
    // What a handler sees: the text and the edit value already hold the new line.
    auto* m = static_cast<TcxMemo*>(Sender);
    Seen.push_back(m->InnerMemo()->GetText() + "|" + m->EditValue().AsString());
  }
  int Changes = 0;
  std::vector<String> Seen;
};

class MemoLinesTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    WidgetsFoundationInitialize();
    WidgetsEditcoreInitialize();
    WidgetsEditorsInitialize();
    cxControls::Initialize();
    form = TCustomForm::CreateNew(nullptr);
    form->SetBounds(40, 40, 400, 300);
    form->Show();
    memo = New<TcxMemo>(form);
    memo->SetParent(form);
    host().PumpUntilIdle();
    memo->GetMemoProperties()->OnChange = {&counter, &TChangeCounter::Changed};
  }
  void TearDown() override {
    form->Free();
    host().PumpUntilIdle();
    cxControls::Finalize();
    WidgetsEditorsFinalize();
    WidgetsEditcoreFinalize();
    WidgetsFoundationFinalize();
    AppTest::TearDown();
  }
  String Text() { return memo->InnerMemo()->GetText(); }
  LRESULT Ask(UINT msg) { return SendMessageA(memo->InnerMemo()->GetHandle(), msg, 0, 0); }
  TCustomForm* form = nullptr;
  TcxMemo* memo = nullptr;
  TChangeCounter counter;
};

}  // namespace

TEST_F(MemoLinesTest, EachAddedLineIsTheWholeNewTextOnce) {
  memo->SetFocus();
  host().PumpUntilIdle();
  memo->SetEditValue(Variant(String("first")));
  memo->SetSelStartAndLength(2, 2);
  counter.Changes = 0;
  counter.Seen.clear();
  TStrings* lines = memo->GetLines();
  lines->Add("second");
  memo->GetLines()->Add("third line");
  lines->Add("4");
  EXPECT_EQ(Text(), "first\r\nsecond\r\nthird line\r\n4");
  EXPECT_EQ(memo->EditValue().AsString(), "first\r\nsecond\r\nthird line\r\n4");
  EXPECT_EQ(counter.Changes, 3);
  EXPECT_EQ(counter.Seen, (std::vector<String>{"first\r\nsecond|first\r\nsecond",
                                               "first\r\nsecond\r\nthird line|first\r\nsecond\r\nthird line",
                                               "first\r\nsecond\r\nthird line\r\n4|first\r\nsecond\r\nthird line\r\n4"}));
  // As a text set anew: the caret at the start, nothing to undo, the edit not modified.
  EXPECT_EQ(memo->GetSelStart(), 0);
  EXPECT_EQ(memo->GetSelLength(), 0);
  EXPECT_FALSE(Ask(EM_CANUNDO));
  EXPECT_FALSE(Ask(EM_GETMODIFY));
  EXPECT_EQ(Ask(EM_GETLINECOUNT), 4);
  ASSERT_EQ(lines->Count(), 4);
  EXPECT_EQ(lines->Strings(3), "4");
  // Typed text reaches the lines held from before, and the next line goes after it.
  memo->SetSelStartAndLength(int(Text().size()), 0);
  host().Char('2');
  host().PumpUntilIdle();
  EXPECT_EQ(lines->Strings(3), "42");
  lines->Add("fifth");
  EXPECT_EQ(Text(), "first\r\nsecond\r\nthird line\r\n42\r\nfifth");
}

TEST_F(MemoLinesTest, LinesThatAreNotTheTextJoinedAreSplitAgainFirst) {
  // A text ending in a line break, or with a lone CR or LF, reads as lines that join into
  // another text: an added line goes after those lines.
  memo->SetEditValue(Variant(String("a\r\n")));
  memo->GetLines()->Add("b");
  EXPECT_EQ(Text(), "a\r\nb");
  memo->SetEditValue(Variant(String("a\rb\nc")));
  memo->GetLines()->Add("d");
  EXPECT_EQ(Text(), "a\r\nb\r\nc\r\nd");
  // An empty line added last ends the text with a line break: read again, the lines lose it.
  memo->GetLines()->Add("");
  EXPECT_EQ(Text(), "a\r\nb\r\nc\r\nd\r\n");
  EXPECT_EQ(memo->GetLines()->Count(), 4);
  memo->GetLines()->Add("e");
  EXPECT_EQ(Text(), "a\r\nb\r\nc\r\nd\r\ne");
  // Held from before the empty line, the lines still hold it and the next line follows it.
  TStrings* lines = memo->GetLines();
  lines->Add("");
  lines->Add("f");
  EXPECT_EQ(Text(), "a\r\nb\r\nc\r\nd\r\ne\r\n\r\nf");
  // A line holding line breaks is several lines of the text.
  lines->Add("g\r\nh");
  EXPECT_EQ(memo->GetLines()->Count(), 9);
  EXPECT_EQ(memo->GetLines()->Strings(8), "h");
  // Lines added to an empty memo: the first needs no break before it.
  memo->SetEditValue(Variant(String()));
  memo->GetLines()->Add("x");
  memo->GetLines()->Add("y");
  EXPECT_EQ(Text(), "x\r\ny");
  EXPECT_EQ(memo->EditValue().AsString(), "x\r\ny");
}

TEST_F(MemoLinesTest, LinesWrittenInsideAnUpdateAreKeptUntilItEnds) {
  memo->SetEditValue(Variant(String("start")));
  counter.Changes = 0;
  memo->GetLines()->BeginUpdate();
  memo->GetLines()->Add("one");
  memo->GetLines()->Add("two");
  memo->GetLines()->Delete(0);
  EXPECT_EQ(Text(), "start");   // nothing written yet
  EXPECT_EQ(memo->GetLines()->Count(), 2);
  memo->GetLines()->EndUpdate();
  EXPECT_EQ(Text(), "one\r\ntwo");
  EXPECT_EQ(memo->EditValue().AsString(), "one\r\ntwo");
  EXPECT_EQ(counter.Changes, 1);
}
