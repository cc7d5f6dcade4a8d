// A display text that reaches the text editor other than by typing (its window text, a
// selection replaced or cleared from code or by a clipboard message): the edit value follows
// it, so that nothing shown is lost when the editor shows its value again.
#include "classlib/core/FormText.h"
#include "classlib/visual/Clipbrd.h"
#include "tests/editcore/EditControlTestSupport.h"
#include "widgets/editcore/cxTextEditControl.h"

namespace {

class TDisplayListener : public TObject {
 public:
  explicit TDisplayListener(TEventLog* ALog) : Log(ALog) {}
  void HChange(TObject*) { Log->Add("change"); }
  void HValueChanged(TObject*) { Log->Add("valueChanged"); }
  TEventLog* Log;
};

class TextEditDisplayText : public EditControlTest {
 protected:
  TcxTextEdit* AddText(Integer Y) {
    auto* e = New<TcxTextEdit>(form);
    e->SetBounds(10, Y, 121, 21);
    e->SetParent(form);
    e->GetProperties()->OnChange = {&listener, &TDisplayListener::HChange};
    e->GetProperties()->OnEditValueChanged = {&listener, &TDisplayListener::HValueChanged};
    Pump();
    return e;
  }
  static String Text(TcxCustomTextEdit* e) { return e->InnerTextEdit()->GetText(); }
  TDisplayListener listener{&log};
};

TEST_F(TextEditDisplayText, TheWindowTextBecomesTheValueAndSurvivesTheFocus) {
  TcxTextEdit* a = AddText(10);
  TcxTextEdit* b = AddText(40);
  a->SetEditValue(Variant("old"));
  log.Take();
  a->SetText("new");
  EXPECT_EQ(Text(a), "new");
  EXPECT_EQ(VarToStr(a->EditValue()), "new");
  EXPECT_FALSE(a->GetEditModified());
  EXPECT_EQ(log.Take(), L({"change", "valueChanged"}));
  // Entering shows the value again: the text set stays.
  a->SetFocus();
  Pump();
  EXPECT_EQ(Text(a), "new");
  b->SetFocus();
  Pump();
  EXPECT_EQ(Text(a), "new");
  EXPECT_EQ(VarToStr(a->EditValue()), "new");
}

TEST_F(TextEditDisplayText, ASelectionReplacedFromCodeIsTheValue) {
  TcxTextEdit* a = AddText(10);
  a->SetEditValue(Variant("abcd"));
  a->SetFocus();
  Pump();
  log.Take();
  a->SetSelStartAndLength(1, 2);
  a->SetSelText("XY");
  EXPECT_EQ(Text(a), "aXYd");
  EXPECT_EQ(a->GetSelStart(), 3);
  EXPECT_EQ(VarToStr(a->EditValue()), "aXYd");
  EXPECT_EQ(log.Take(), L({"change", "valueChanged"}));
  // Cleared from code, and cut from code.
  a->SetSelStartAndLength(0, 1);
  a->ClearSelection();
  EXPECT_EQ(VarToStr(a->EditValue()), "XYd");
  a->SetSelStartAndLength(2, 1);
  a->CutToClipboard();
  EXPECT_EQ(Clipboard->GetAsText(), "d");
  EXPECT_EQ(VarToStr(a->EditValue()), "XY");
  Clipboard->SetAsText("Z");
  a->SetSelStartAndLength(2, 0);
  a->PasteFromClipboard();
  EXPECT_EQ(VarToStr(a->EditValue()), "XYZ");
}

// A clear message is the user's change: the text counts as typed, is validated and kept.
TEST_F(TextEditDisplayText, AClearMessageIsTheUsersChange) {
  TcxTextEdit* a = AddText(10);
  TcxTextEdit* b = AddText(40);
  a->SetEditValue(Variant("abcd"));
  a->SetFocus();
  Pump();
  log.Take();
  a->SetSelStartAndLength(1, 2);
  SendMessageA(a->InnerTextEdit()->GetHandle(), WM_CLEAR, 0, 0);
  EXPECT_EQ(Text(a), "ad");
  EXPECT_TRUE(a->GetDisplayValueModified());
  EXPECT_TRUE(a->GetEditModified());
  EXPECT_EQ(log.Take(), L({"change", "valueChanged"}));
  b->SetFocus();
  Pump();
  EXPECT_EQ(Text(a), "ad");
  EXPECT_EQ(VarToStr(a->EditValue()), "ad");
  a->SetFocus();
  Pump();
  EXPECT_EQ(Text(a), "ad");
}

}  // namespace

namespace {

class TNewTextCounter : public TObject {
 public:
  void HNewText(TObject*, const String& AText) { Texts.push_back(AText); }
  std::vector<String> Texts;
};

// Nothing fires while the editor is read from a description: a text that is not among the
// items read before it is announced only when the editor shows it anew.
TEST_F(TextEditDisplayText, ATextNewToTheItemsIsNotAnnouncedWhileLoading) {
  TcxTextEdit* e = AddText(10);
  TNewTextCounter counter;
  auto* p = static_cast<TcxTextEditProperties*>(e->GetProperties());
  p->OnNewLookupDisplayText = {&counter, &TNewTextCounter::HNewText};
  const char* text =
      "object eName: TcxTextEdit\n"
      "  Properties.LookupItems.Strings = (\n"
      "    'Red'\n"
      "    'Green')\n"
      "  Text = 'Blue'\n"
      "end\n";
  Owned<TMemoryStream> binary(New<TMemoryStream>());
  ObjectTextToBinary(text, *binary);
  binary->SetPosition(0);
  binary->ReadComponent(e);
  EXPECT_EQ(Text(e), "Blue");
  EXPECT_EQ(p->GetLookupItems()->Count(), 2);
  EXPECT_EQ(counter.Texts, std::vector<String>{});
  // Showing the same text again (a setting changed) announces nothing either.
  p->SetMaxLength(10);
  e->SetEditValue(Variant("Pink"));
  e->SetEditValue(Variant("Green"));
  p->SetMaxLength(20);
  EXPECT_EQ(counter.Texts, std::vector<String>{"Pink"});
}

}  // namespace

namespace {

// A text the user may not edit (no cursor) is still copied whole, the selection the copy
// makes being the inner edit's even where the editor reports none.
TEST_F(TextEditDisplayText, ATextWithoutACursorIsCopiedWhole) {
  TcxTextEdit* e = AddText(10);
  auto* p = static_cast<TcxTextEditProperties*>(e->GetProperties());
  p->SetHideCursor(true);
  e->SetEditValue(Variant("abc"));
  Clipboard->SetAsText("old");
  e->CopyToClipboard();
  EXPECT_EQ(Clipboard->GetAsText(), "abc");
  EXPECT_EQ(e->GetSelLength(), 0);
  // The copy message of the editor's window does the same.
  Clipboard->SetAsText("old");
  SendMessageA(e->GetHandle(), WM_COPY, 0, 0);
  EXPECT_EQ(Clipboard->GetAsText(), "abc");
  // An empty text leaves the clipboard as it was.
  e->SetEditValue(Variant(""));
  e->CopyToClipboard();
  EXPECT_EQ(Clipboard->GetAsText(), "abc");
}

// Without a cursor the whole text is the selection a replacement from code takes.
TEST_F(TextEditDisplayText, ATextWithoutACursorIsReplacedWhole) {
  TcxTextEdit* e = AddText(10);
  auto* p = static_cast<TcxTextEditProperties*>(e->GetProperties());
  p->SetHideCursor(true);
  e->SetEditValue(Variant("abc"));
  e->SetSelText("X");
  EXPECT_EQ(Text(e), "X");
  EXPECT_EQ(VarToStr(e->EditValue()), "X");
  Clipboard->SetAsText("pasted");
  e->PasteFromClipboard();
  EXPECT_EQ(Text(e), "pasted");
  // The user may not change it at all.
  e->SetFocus();
  Pump();
  SendMessageA(e->InnerTextEdit()->GetHandle(), WM_CLEAR, 0, 0);
  SendMessageA(e->InnerTextEdit()->GetHandle(), WM_PASTE, 0, 0);
  EXPECT_EQ(Text(e), "pasted");
}

}  // namespace
