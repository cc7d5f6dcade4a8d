// The masked editor end to end: keys, clipboard and validation through the application's
// loop, each kind of mask, and the mask settings of its properties.
#include "classlib/core/FormText.h"
#include "classlib/visual/Clipbrd.h"
#include "platform/user/UserTesting.h"
#include "tests/editcore/EditControlTestSupport.h"
#include "widgets/editcore/cxMaskEdit.h"
#include "widgets/foundation/cxClasses.h"

namespace {

class MaskEdit : public EditControlTest {
 protected:
  TcxMaskEdit* AddMask(TcxEditMaskKind AKind, const String& AMask) {
    auto* e = New<TcxMaskEdit>(form);
    e->SetBounds(10, 10, 160, 21);
    e->SetParent(form);
    TcxMaskEditProperties* p = e->GetMaskProperties();
    p->SetMaskKind(AKind);
    p->SetEditMask(AMask);
    host().PumpUntilIdle();
    e->SetFocus();
    Pump();
    return e;
  }
  static String Text(TcxCustomTextEdit* e) { return e->InnerTextEdit()->GetText(); }
};

TEST_F(MaskEdit, StandardMaskOverwritesSkipsLiteralsAndBlanksOnDelete) {
  TcxMaskEdit* e = AddMask(TcxEditMaskKind::emkStandard, "!(999) 000-0000;1;_");
  EXPECT_EQ(Text(e), "(___) ___-____");
  Press(VK_HOME);
  // The letter does not fit a digit position and is dropped; the caret jumps the literals.
  Type("55x51");
  EXPECT_EQ(Text(e), "(555) 1__-____");
  EXPECT_EQ(e->GetSelStart(), 7);
  // Backspace blanks the previous digit, stepping back over literals; the text never shrinks.
  Press(VK_BACK);
  Press(VK_BACK);
  EXPECT_EQ(Text(e), "(55_) ___-____");
  EXPECT_EQ(e->GetSelStart(), 3);
  Press(VK_HOME);
  Press(VK_DELETE);
  EXPECT_EQ(Text(e), "(_5_) ___-____");
  // A literal typed at an input position is refused there.
  Press(VK_HOME);
  Type("12)3");
  EXPECT_EQ(Text(e), "(123) ___-____");
  // At a literal position the caret moves past it; the literal is not written twice.
  e->SetSelStart(4);
  EXPECT_EQ(e->GetSelLength(), 1);
  Type(")7");
  EXPECT_EQ(Text(e), "(123) 7__-____");
  // Cutting blanks the input positions of the selection and keeps the literals.
  e->SetSelStartAndLength(2, 6);
  e->CutToClipboard();
  EXPECT_EQ(Clipboard->GetAsText(), "23) 7_");
  EXPECT_EQ(Text(e), "(1__) ___-____");
  // With no input position before the caret, Backspace blanks the one it stands on.
  Press(VK_HOME);
  Press(VK_BACK);
  EXPECT_EQ(Text(e), "(___) ___-____");
  EXPECT_EQ(e->GetSelStart(), 1);
}

// Shift with the arrows selects from the caret: the first press leaves the overwrite
// selection, the next ones extend what the user selected.
TEST_F(MaskEdit, ShiftArrowsExtendTheSelectionOfAPictureMask) {
  TcxMaskEdit* e = AddMask(TcxEditMaskKind::emkStandard, "0000;1;_");
  Press(VK_HOME);
  ASSERT_EQ(std::pair(e->GetSelStart(), e->GetSelLength()), std::pair(0, 1));
  Press(VK_RIGHT, true);
  EXPECT_EQ(std::pair(e->GetSelStart(), e->GetSelLength()), std::pair(0, 1));
  Press(VK_RIGHT, true);
  Press(VK_RIGHT, true);
  EXPECT_EQ(std::pair(e->GetSelStart(), e->GetSelLength()), std::pair(0, 3));
  Press(VK_END);
  Press(VK_LEFT);
  ASSERT_EQ(std::pair(e->GetSelStart(), e->GetSelLength()), std::pair(3, 1));
  Press(VK_LEFT, true);
  EXPECT_EQ(std::pair(e->GetSelStart(), e->GetSelLength()), std::pair(2, 1));
  Press(VK_LEFT, true);
  EXPECT_EQ(std::pair(e->GetSelStart(), e->GetSelLength()), std::pair(1, 2));
  // Typing over the selection blanks it and writes at its start.
  Type("7");
  EXPECT_EQ(Text(e), "_7__");
  EXPECT_EQ(std::pair(e->GetSelStart(), e->GetSelLength()), std::pair(2, 1));
}

struct TAfterKeyDownLog : TObject {
  void HAfterKeyDown(TObject*, Word& Key, TShiftState) { Keys.push_back(Key); }
  std::vector<Word> Keys;
};

// Keys the mask does not use, or that a read-only editor may not process, go to the
// editor's own key handling, which tells OnAfterKeyDown; nothing changes.
TEST_F(MaskEdit, KeysLeftToTheEditorTellOnAfterKeyDown) {
  TcxMaskEdit* e = AddMask(TcxEditMaskKind::emkStandard, "00-00;1;_");
  TAfterKeyDownLog after;
  e->OnAfterKeyDown = {&after, &TAfterKeyDownLog::HAfterKeyDown};
  Press(VK_HOME);
  Type("12");
  Press(VK_UP);
  EXPECT_EQ(after.Keys, (std::vector<Word>{VK_UP}));
  e->GetMaskProperties()->SetReadOnly(true);
  after.Keys.clear();
  Press(VK_HOME);
  Press(VK_DELETE);
  EXPECT_EQ(Text(e), "12-__");
  EXPECT_EQ(after.Keys, (std::vector<Word>{VK_DELETE}));
}

TEST_F(MaskEdit, ControlCharactersNeverReachAnAnyCharacterPosition) {
  TcxMaskEdit* e = AddMask(TcxEditMaskKind::emkStandard, "CCC;1;_");
  Press(VK_HOME);
  Type(String("a") + Char(2) + "b");
  EXPECT_EQ(Text(e).substr(0, 2), "ab");
  EXPECT_EQ(Text(e).find(Char(2)), String::npos);
}

// An editor whose character check clears a 7 (taking it), or refuses an 8 without clearing it.
class TSevenlessMaskEdit : public TcxMaskEdit {
  TL_CLASS(TSevenlessMaskEdit, TcxMaskEdit)
 public:
  using TcxMaskEdit::TcxMaskEdit;
  bool IsCharValidForPos(Char& Key, Integer) override {
    if (Key == '7') Key = 0;
    return Key != '8';
  }
};
TL_DEFINE_CLASS(TSevenlessMaskEdit, [](auto&) {});

// Properties whose picture masks blank deleted positions with a star.
class TStarBlankMode : public TcxMaskEditStandardMode {
  TL_CLASS(TStarBlankMode, TcxMaskEditStandardMode)
 public:
  using TcxMaskEditStandardMode::TcxMaskEditStandardMode;
  Char GetBlankChar(Integer) const override { return '*'; }
};
TL_DEFINE_CLASS(TStarBlankMode, [](auto&) {});

class TStarBlankProperties : public TcxMaskEditProperties {
  TL_CLASS(TStarBlankProperties, TcxMaskEditProperties)
 public:
  using TcxMaskEditProperties::TcxMaskEditProperties;
  TcxCustomEditProperties* CreateSameClass() const override { return New<TStarBlankProperties>(nullptr); }
  TcxMaskEditCustomModeClass GetModeClass(TcxEditMaskKind AMaskKind) const override {
    if (AMaskKind != TcxEditMaskKind::emkStandard) return TcxMaskEditProperties::GetModeClass(AMaskKind);
    return ClassOf<TStarBlankMode, TcxMaskEditCustomMode, TcxCustomMaskEdit*, TcxCustomMaskEditProperties*>();
  }
};
TL_DEFINE_CLASS(TStarBlankProperties, [](auto&) {});

class TStarBlankMaskEdit : public TcxMaskEdit {
  TL_CLASS(TStarBlankMaskEdit, TcxMaskEdit)
 public:
  using TcxMaskEdit::TcxMaskEdit;
  TcxCustomEditPropertiesClass GetPropertiesClass() override {
    return ClassOf<TStarBlankProperties, TcxCustomEditProperties, TPersistent*>();
  }
};
TL_DEFINE_CLASS(TStarBlankMaskEdit, [](auto&) {});

// Each kind of mask has its mode class, and an editor works through the class its
// properties name.
TEST_F(MaskEdit, TheModeClassComesFromTheProperties) {
  Owned<TcxMaskEditProperties> p(New<TcxMaskEditProperties>(nullptr));
  EXPECT_EQ(p->GetModeClass(TcxEditMaskKind::emkStandard).Class, &TcxMaskEditStandardMode::StaticClass());
  EXPECT_EQ(p->GetModeClass(TcxEditMaskKind::emkRegExpr).Class, &TcxMaskEditRegExprMode::StaticClass());
  EXPECT_EQ(p->GetModeClass(TcxEditMaskKind::emkRegExprEx).Class, &TcxMaskEditRegExprExMode::StaticClass());
  auto* e = New<TStarBlankMaskEdit>(form);
  e->SetBounds(10, 10, 160, 21);
  e->SetParent(form);
  e->GetMaskProperties()->SetEditMask("000;1;_");
  e->SetFocus();
  Pump();
  Press(VK_HOME);
  Type("12");
  Press(VK_BACK);
  EXPECT_EQ(Text(e), "1*_");
  e->GetMaskProperties()->SetMaskKind(TcxEditMaskKind::emkRegExpr);
  EXPECT_EQ(&e->Mode()->ClassType(), &TcxMaskEditRegExprMode::StaticClass());
}

// Refused keys beep only under BeepOnError; a key the character check clears writes nothing.
TEST_F(MaskEdit, RefusedKeysAndTheBeepRule) {
  auto* e = New<TSevenlessMaskEdit>(form);
  e->SetBounds(10, 10, 160, 21);
  e->SetParent(form);
  e->GetMaskProperties()->SetEditMask("0000;1;_");
  e->SetFocus();
  Pump();
  Press(VK_HOME);
  size_t beeps = UserBeeps().size();
  Type("1x7");
  EXPECT_EQ(Text(e), "1___");
  EXPECT_EQ(UserBeeps().size(), beeps) << "BeepOnError is off";
  e->GetMaskProperties()->SetBeepOnError(true);
  Type("x");
  EXPECT_EQ(UserBeeps().size(), beeps + 1) << "a letter at a digit position";
  Type("7");
  EXPECT_EQ(Text(e), "1___");
  EXPECT_EQ(UserBeeps().size(), beeps + 2) << "a key the check cleared";
  Type("8");
  EXPECT_EQ(Text(e), "1___");
  EXPECT_EQ(UserBeeps().size(), beeps + 2) << "a key the check refused as it stands";
  Type("2");
  EXPECT_EQ(Text(e), "12__");
}

TEST_F(MaskEdit, RegularExpressionWithCompletionInsertsForcedCharacters) {
  TcxMaskEdit* e = AddMask(TcxEditMaskKind::emkRegExprEx, "\\d\\d:\\d\\d");
  Type("1");
  EXPECT_EQ(Text(e), "1");
  Type("2");
  EXPECT_EQ(Text(e), "12:");
  Type("a34");
  EXPECT_EQ(Text(e), "12:34");
  Type("5");
  EXPECT_EQ(Text(e), "12:34");
  // The forced separator goes with the digit that forced it.
  Press(VK_BACK);
  Press(VK_BACK);
  EXPECT_EQ(Text(e), "12:");
  Press(VK_BACK);
  EXPECT_EQ(Text(e), "1");
}

TEST_F(MaskEdit, AForcedPrefixIsShownKeptAndValid) {
  TcxMaskEdit* e = AddMask(TcxEditMaskKind::emkRegExprEx, "ID-\\d+");
  EXPECT_EQ(Text(e), "ID-");
  // The completing kind's expression completes by itself; the plain kind's does not.
  EXPECT_TRUE(static_cast<TcxMaskEditRegExprMode*>(e->Mode())->RegExpr()->GetAutoComplete());
  Owned<TcxMaskEditProperties> plain(New<TcxMaskEditProperties>(nullptr));
  EXPECT_FALSE(TcxMaskEditRegExprMode(nullptr, plain.get()).RegExpr()->GetAutoComplete());
  EXPECT_TRUE(e->ValidateDisplayText(true));
  Press(VK_END);
  Press(VK_BACK);
  EXPECT_EQ(Text(e), "ID-");
  Type("42");
  EXPECT_EQ(Text(e), "ID-42");
  e->SelectAll();
  Type("7");
  EXPECT_EQ(Text(e), "ID-7");
  Press(VK_HOME);
  Press(VK_DELETE);
  EXPECT_EQ(Text(e), "ID-7");
}

// Deleting, backspacing or cutting over the forced prefix keeps it, as typing over it does.
TEST_F(MaskEdit, DeletingASelectionKeepsTheForcedPrefix) {
  TcxMaskEdit* e = AddMask(TcxEditMaskKind::emkRegExprEx, "ID-\\d+");
  Type("42");
  e->SelectAll();
  Press(VK_DELETE);
  EXPECT_EQ(Text(e), "ID-");
  EXPECT_EQ(e->GetSelStart(), 3);
  Type("57");
  e->SelectAll();
  Press(VK_BACK);
  EXPECT_EQ(Text(e), "ID-");
  Type("68");
  e->SetSelStartAndLength(1, 3);
  e->CutToClipboard();
  EXPECT_EQ(Text(e), "ID-8");
  Type("9");
  EXPECT_EQ(Text(e), "ID-98");
  // A selection inside the prefix leaves nothing to delete: the key is refused.
  e->GetMaskProperties()->SetBeepOnError(true);
  const size_t beeps = UserBeeps().size();
  e->SetSelStartAndLength(0, 2);
  Press(VK_DELETE);
  EXPECT_EQ(Text(e), "ID-98");
  EXPECT_EQ(UserBeeps().size(), beeps + 1);
}

TEST_F(MaskEdit, RegularExpressionDeletionDropsATailThatNoLongerFits) {
  TcxMaskEdit* e = AddMask(TcxEditMaskKind::emkRegExpr, "a(bc|xyz)");
  Type("abc");
  Press(VK_HOME);
  Press(VK_RIGHT);
  Press(VK_DELETE);
  // "ac" no longer matches: everything from the caret on goes.
  EXPECT_EQ(Text(e), "a");
  Type("x");
  EXPECT_EQ(Text(e), "ax");
}

// Moves, selections set from code and overwritten selections keep the text acceptable.
TEST_F(MaskEdit, RegularExpressionEditsInTheMiddle) {
  TcxMaskEdit* e = AddMask(TcxEditMaskKind::emkRegExpr, "([a-z]|' ')*");
  Type("abc def");
  // Ctrl+Left goes to the start, not a word back.
  host().KeyDown(VK_CONTROL);
  host().Key(VK_LEFT);
  host().KeyUp(VK_CONTROL);
  Pump();
  Type("x");
  EXPECT_EQ(Text(e), "xabc def");
  Press(VK_RIGHT);
  Press(VK_RIGHT, true);
  Press(VK_RIGHT, true);
  Type("z");
  EXPECT_EQ(Text(e), "xaz def");
  e->SetSelStart(4);
  Press(VK_BACK);
  Type("Q");
  EXPECT_EQ(Text(e), "xazdef");
  Press(VK_LEFT);
  Press(VK_DELETE);
  EXPECT_EQ(Text(e), "xadef");
  EXPECT_EQ(e->GetSelStart(), 2);
  // Shift+Delete deletes backwards without a selection and cuts one.
  Press(VK_DELETE, true);
  EXPECT_EQ(Text(e), "xdef");
  e->SetSelStartAndLength(1, 2);
  Press(VK_DELETE, true);
  EXPECT_EQ(Text(e), "xf");
  EXPECT_EQ(Clipboard->GetAsText(), "de");

  // A key the selection's place refuses leaves the selection as it was.
  TcxMaskEdit* r = AddMask(TcxEditMaskKind::emkRegExpr, "a(bc|xyz)");
  Type("abc");
  r->SetSelStartAndLength(1, 2);
  Type("q");
  EXPECT_EQ(Text(r), "abc");
  Type("x");
  EXPECT_EQ(Text(r), "ax");
  Press(VK_HOME);
  Press(VK_END);
  Type("yz");
  EXPECT_EQ(Text(r), "axyz");
}

TEST_F(MaskEdit, CompletionFollowsEditsAndMovesOverForcedCharacters) {
  TcxMaskEdit* e = AddMask(TcxEditMaskKind::emkRegExprEx, "\\d\\d:\\d\\d");
  Type("1234");
  EXPECT_EQ(Text(e), "12:34");
  Press(VK_HOME);
  Press(VK_RIGHT);
  EXPECT_EQ(e->GetSelStart(), 1);
  // Passing the digit passes the separator it forced.
  Press(VK_RIGHT);
  EXPECT_EQ(e->GetSelStart(), 3);
  Press(VK_LEFT);
  EXPECT_EQ(e->GetSelStart(), 1);
  // Overwriting a digit keeps the separator that is already there and the rest.
  e->SetSelStartAndLength(1, 1);
  Type("5");
  EXPECT_EQ(Text(e), "15:34");
  EXPECT_EQ(e->GetSelStart(), 3);
  // Taking in the whole text never completes it a second time.
  auto* mode = static_cast<TcxMaskEditRegExprExMode*>(e->Mode());
  mode->SelectText();
  EXPECT_EQ(mode->Head(), "15:34");

  // Deleting a character takes the characters it forced along.
  TcxMaskEdit* d = AddMask(TcxEditMaskKind::emkRegExprEx, "(\\d-)+");
  Type("12");
  EXPECT_EQ(Text(d), "1-2-");
  Press(VK_HOME);
  Press(VK_DELETE);
  EXPECT_EQ(Text(d), "2-");

  // An edit inside the text completes what its end now needs; the caret stays at the edit.
  TcxMaskEdit* m = AddMask(TcxEditMaskKind::emkRegExprEx, "a\\d;|b\\d\\d");
  Type("b1");
  Press(VK_HOME);
  Press(VK_RIGHT, true);
  Type("a");
  EXPECT_EQ(Text(m), "a1;");
  EXPECT_EQ(m->GetSelStart(), 1);
}

TEST_F(MaskEdit, PasteTakesItsPlacesInEachKindOfMask) {
  TcxMaskEdit* r = AddMask(TcxEditMaskKind::emkRegExpr, "[a-c]+");
  Type("ab");
  r->SetSelStart(1);
  Clipboard->SetAsText("cx");
  Type(String(1, Char(22)));
  EXPECT_EQ(Text(r), "acb");
  EXPECT_EQ(r->GetSelStart(), 2);
  // A paste by the user is an edit: the value text follows at once.
  EXPECT_EQ(r->GetEditingText(), "acb");

  TcxMaskEdit* x = AddMask(TcxEditMaskKind::emkRegExprEx, "\\d\\d\\.\\d\\d\\.\\d\\d\\d\\d");
  Clipboard->SetAsText("12");
  x->PasteFromClipboard();
  EXPECT_EQ(Text(x), "12.");
  EXPECT_EQ(x->GetSelStart(), 3);
  x->SelectAll();
  Clipboard->SetAsText("31.12.2026");
  x->PasteFromClipboard();
  EXPECT_EQ(Text(x), "31.12.2026");

  // A picture mask is overwritten from the caret; the caret ends past the pasted characters.
  TcxMaskEdit* s = AddMask(TcxEditMaskKind::emkStandard, "99/99/9999;1;_");
  Press(VK_HOME);
  Clipboard->SetAsText("12/05");
  s->PasteFromClipboard();
  EXPECT_EQ(Text(s), "12/05/____");
  EXPECT_EQ(s->GetSelStart(), 6);
}

// The value's text follows every change; the edit value itself waits for validation.
TEST_F(MaskEdit, TheEditingTextFollowsEachChange) {
  TcxMaskEdit* e = AddMask(TcxEditMaskKind::emkStandard, "00-00;0;_");
  const String before = VarToStr(e->GetEditValue());
  Press(VK_HOME);
  Type("12");
  EXPECT_EQ(e->GetEditingText(), "12  ");
  Type("34");
  EXPECT_EQ(e->GetEditingText(), "1234");
  EXPECT_EQ(VarToStr(e->GetEditValue()), before);
}

// A setting that makes a new inner window keeps the caret of the edit in progress.
TEST_F(MaskEdit, ChangedSettingsKeepTheSelection) {
  TcxMaskEdit* e = AddMask(TcxEditMaskKind::emkStandard, "0000;1;_");
  Press(VK_HOME);
  Type("12");
  e->GetMaskProperties()->SetHideSelection(false);
  EXPECT_EQ(e->GetSelStart(), 2);
  EXPECT_EQ(e->GetSelLength(), 1);
  Type("3");
  EXPECT_EQ(Text(e), "123_");
}

TEST_F(MaskEdit, AnIncompleteTextFailsValidation) {
  TcxMaskEdit* e = AddMask(TcxEditMaskKind::emkStandard, "00/00;1;_");
  Press(VK_HOME);
  Type("12");
  try {
    e->ValidateDisplayText(true);
    ADD_FAILURE() << "no error";
  } catch (const Exception& E) {
    EXPECT_EQ(E.Message(), "The edit value is invalid");
  }
  e->SetSelStart(3);
  Type("34");
  EXPECT_TRUE(e->ValidateDisplayText(true));
  // With IgnoreMaskBlank an untouched mask passes.
  e->GetMaskProperties()->SetIgnoreMaskBlank(true);
  e->SelectAll();
  Press(VK_DELETE);
  EXPECT_EQ(Text(e), "__/__");
  EXPECT_TRUE(e->ValidateDisplayText(true));
}

// Enter checks the text at once, as in the other editor kinds; a description need not say so.
TEST_F(MaskEdit, EnterReportsAnIncompleteTextByDefault) {
  TcxMaskEdit* e = AddMask(TcxEditMaskKind::emkStandard, "00/00;1;_");
  EXPECT_TRUE(e->GetMaskProperties()->GetValidateOnEnter());
  Press(VK_HOME);
  Type("12");
  Press(VK_RETURN);
  EXPECT_EQ(TakeExceptions(), std::vector<String>{"The edit value is invalid"});
  EXPECT_EQ(Text(e), "12/__");
  e->SetSelStart(3);
  Type("34");
  Press(VK_RETURN);
  EXPECT_TRUE(TakeExceptions().empty());
  EXPECT_EQ(VarToStr(e->GetEditValue()), "12/34");
  // The default is not written out; an explicit False is.
  auto written = [&] {
    Owned<TMemoryStream> m(New<TMemoryStream>());
    m->WriteComponent(e);
    return String(reinterpret_cast<const char*>(m->Memory()), size_t(m->GetSize()));
  };
  EXPECT_EQ(written().find("ValidateOnEnter"), String::npos);
  e->GetMaskProperties()->SetValidateOnEnter(false);
  EXPECT_NE(written().find("ValidateOnEnter"), String::npos);
}

// A new mask or kind on a live editor shows its value through the new mask; only an editor
// without a value of its own takes the new mask's empty text.
TEST_F(MaskEdit, ANewMaskKeepsTheValue) {
  TcxMaskEdit* e = AddMask(TcxEditMaskKind::emkStandard, "00-00;0;_");
  EXPECT_EQ(Text(e), "__-__");
  e->GetMaskProperties()->SetEditMask("00/00;0;_");
  EXPECT_EQ(Text(e), "__/__");
  e->SetEditValue(Variant(String("1234")));
  e->GetMaskProperties()->SetEditMask("00:00;0;_");
  EXPECT_EQ(Text(e), "12:34");
  EXPECT_EQ(VarToStr(e->GetEditValue()), "1234");

  TcxMaskEdit* r = AddMask(TcxEditMaskKind::emkRegExpr, "\\d+");
  r->SetEditValue(Variant(String("987")));
  r->GetMaskProperties()->SetMaskKind(TcxEditMaskKind::emkRegExprEx);
  EXPECT_EQ(Text(r), "987");
  r->GetMaskProperties()->SetEditMask("\\d\\d");
  EXPECT_EQ(Text(r), "98");
}

TEST_F(MaskEdit, PasteIsFilteredThroughTheMask) {
  TcxMaskEdit* e = AddMask(TcxEditMaskKind::emkStandard, "99/99/9999;1;_");
  Press(VK_HOME);
  Clipboard->SetAsText("12/05/2026");
  e->PasteFromClipboard();
  EXPECT_EQ(Text(e), "12/05/2026");
  e->SelectAll();
  Press(VK_DELETE);
  Press(VK_HOME);
  Clipboard->SetAsText("1x2y3");
  e->PasteFromClipboard();
  EXPECT_EQ(Text(e), "12/3_/____");

  TcxMaskEdit* r = AddMask(TcxEditMaskKind::emkRegExpr, "[a-c]+");
  Clipboard->SetAsText("abxc");
  r->PasteFromClipboard();
  EXPECT_EQ(Text(r), "abc");
}

TEST_F(MaskEdit, AnInvalidExpressionIsRefusedAndKeysOnAnUnusableMaskNeverRaise) {
  TcxMaskEdit* e = AddMask(TcxEditMaskKind::emkRegExpr, "ab");
  TcxMaskEditProperties* p = e->GetMaskProperties();
  EXPECT_THROW(p->SetEditMask("[a"), EcxMaskEditError);
  EXPECT_EQ(p->GetEditMask(), "ab");
  // Valid as a picture mask, "[a" does not compile as an expression: the switch is refused.
  p->SetMaskKind(TcxEditMaskKind::emkStandard);
  p->SetEditMask("[a");
  try {
    p->SetMaskKind(TcxEditMaskKind::emkRegExpr);
    ADD_FAILURE() << "no error";
  } catch (const EcxMaskEditError& E) {
    EXPECT_EQ(E.Message().rfind("Regular expression errors:\r\n", 0), 0u);
  }
  EXPECT_EQ(p->GetMaskKind(), TcxEditMaskKind::emkStandard);
  // The heading is the expression errors' own text, which an application may replace.
  cxSetResourceString(scxRegExprErrors, "Mask errors:");
  try {
    e->GetMaskProperties()->SetMaskKind(TcxEditMaskKind::emkRegExpr);
    ADD_FAILURE() << "no error";
  } catch (const EcxMaskEditError& E) {
    EXPECT_EQ(E.Message(), "Mask errors:\r\nLine1, Char3: Missing ']'")
        << E.Message();
  }
  cxSetResourceString(scxRegExprErrors, "Regular expression errors:");
}

TEST_F(MaskEdit, CaseSettingsAndBlankMasks) {
  TcxMaskEdit* e = AddMask(TcxEditMaskKind::emkStandard, "   ");
  TcxMaskEditProperties* p = e->GetMaskProperties();
  // A blank mask is no mask: a text editor with its own length limit.
  EXPECT_FALSE(p->IsMasked());
  // Blank means the mask language's white space: a vertical tab is a literal, NUL is blank.
  p->SetEditMask(String(1, '\v'));
  EXPECT_TRUE(p->IsMasked());
  EXPECT_EQ(Text(e), "\v");
  p->SetEditMask(String("  \0\t", 4));
  EXPECT_FALSE(p->IsMasked());
  p->SetMaxLength(3);
  Type("abcd");
  EXPECT_EQ(Text(e), "abc");
  p->SetCaseInsensitive(false);
  EXPECT_FALSE(p->GetCaseInsensitive());
  p->SetCharCase(TEditCharCase::ecUpperCase);
  EXPECT_TRUE(p->GetCaseInsensitive());
  p->SetCaseInsensitive(false);
  EXPECT_TRUE(p->GetCaseInsensitive());
  // A mask forces the length limit off; the typed letters take the forced case.
  p->SetEditMask("CCCC;1;_");
  EXPECT_EQ(p->GetMaxLength(), 0);
  Press(VK_HOME);
  Type("ab");
  EXPECT_EQ(Text(e).substr(0, 2), "AB");
}

// A change handler that raises while a mask forces the length limit off leaves no forcing
// behind: the next limit is forced off as well.
TEST_F(MaskEdit, ALimitForcedOffByAMaskStaysForcedAfterAFailingChangeHandler) {
  Owned<TcxMaskEditProperties> p(New<TcxMaskEditProperties>(nullptr));
  p->SetMaskKind(TcxEditMaskKind::emkStandard);
  p->SetEditMask("CCCC;1;_");
  TFailingNotice failing;
  p->OnPropertiesChanged = failing.Handler();
  EXPECT_THROW(p->SetMaxLength(5), Exception);
  EXPECT_EQ(p->GetMaxLength(), 0);
  TNoticeCounter counter;
  p->OnPropertiesChanged = counter.Handler();
  p->SetMaxLength(6);
  EXPECT_EQ(p->GetMaxLength(), 0);
  EXPECT_GE(counter.Count, 1);
}

// Read from a description, the mask may come before its kind; it is compiled once, at the end.
TEST_F(MaskEdit, ReadFromAWindowDescriptionWithTheMaskBeforeItsKind) {
  auto load = [&](const char* AMask) {
    const String text = String("object Dialog: TForm\n  object eMask: TcxMaskEdit\n    Properties.EditMask = '") +
                        AMask + "'\n    Properties.MaskKind = emkRegExpr\n  end\nend\n";
    Owned<TMemoryStream> binary(New<TMemoryStream>());
    ObjectTextToBinary(text, *binary);
    binary->SetPosition(0);
    TForm* dialog = TForm::CreateNew(Application);
    binary->ReadComponent(dialog);
    return dialog;
  };
  TForm* good = load("\\d\\d");
  auto* e = dynamic_cast<TcxMaskEdit*>(good->FindComponent("eMask"));
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->GetMaskProperties()->GetMaskKind(), TcxEditMaskKind::emkRegExpr);
  EXPECT_TRUE(TakeExceptions().empty());
  good->Free();

  TForm* bad = load("[a");
  auto* b = dynamic_cast<TcxMaskEdit*>(bad->FindComponent("eMask"));
  ASSERT_NE(b, nullptr);
  const std::vector<String> reported = TakeExceptions();
  ASSERT_EQ(reported.size(), 1u);
  EXPECT_EQ(reported[0].rfind("Regular expression errors:", 0), 0u);
  // Painting shows the text unformatted rather than raising; keys are refused.
  Variant shown;
  b->GetMaskProperties()->PrepareDisplayValue(Variant(String("xyz")), shown, false);
  EXPECT_EQ(VarToStr(shown), "xyz");
  b->SetParent(form);
  b->SetFocus();
  Pump();
  Type("ab");
  EXPECT_EQ(Text(b), "");
  // A value is shown as it stands and may still be deleted.
  b->SetEditValue(Variant(String("xyz")));
  EXPECT_EQ(Text(b), "xyz");
  Press(VK_END);
  Press(VK_BACK);
  EXPECT_EQ(Text(b), "xy");
  EXPECT_TRUE(TakeExceptions().empty());
  bad->Free();
}

// Read from a description, the character case applies to the first letters typed; every
// published setting of the text editor is read as well.
TEST_F(MaskEdit, ReadFromAWindowDescriptionWithItsCharacterCase) {
  const String text =
      "object Dialog: TForm\n  object eMask: TcxMaskEdit\n    Properties.CharCase = ecUpperCase\n"
      "    Properties.ImeMode = imClose\n    Properties.ImeName = 'pinyin'\n"
      "    Properties.EditMask = 'CCC;1;_'\n  end\nend\n";
  Owned<TMemoryStream> binary(New<TMemoryStream>());
  ObjectTextToBinary(text, *binary);
  binary->SetPosition(0);
  TForm* dialog = TForm::CreateNew(Application);
  binary->ReadComponent(dialog);
  auto* e = dynamic_cast<TcxMaskEdit*>(dialog->FindComponent("eMask"));
  ASSERT_NE(e, nullptr);
  ASSERT_NE(e->Mode(), nullptr);
  EXPECT_EQ(e->Mode()->CharCase, TEditCharCase::ecUpperCase);
  EXPECT_EQ(e->GetMaskProperties()->GetImeMode(), TImeMode::imClose);
  EXPECT_EQ(e->GetMaskProperties()->GetImeName(), "pinyin");
  e->SetParent(form);
  e->SetFocus();
  Pump();
  Press(VK_HOME);
  Type("ab");
  EXPECT_EQ(Text(e).substr(0, 2), "AB");
  dialog->Free();
}

class TFieldMask : public TcxCustomEditDefaultValuesProvider {
 public:
  using TcxCustomEditDefaultValuesProvider::TcxCustomEditDefaultValuesProvider;
  String DefaultEditMask() override { return "00-00;1;_"; }
};

// A standard mask of its own wins; without one the data's default mask applies.
TEST_F(MaskEdit, DefaultEditMaskAndTheStoredValue) {
  auto* p = New<TcxMaskEditProperties>(nullptr);
  auto* field = New<TFieldMask>(nullptr);
  p->SetIDefaultValuesProvider(field);
  EXPECT_EQ(p->GetEditMask(), "00-00;1;_");
  EXPECT_TRUE(p->IsMasked());
  p->SetEditMask("000;0;_");
  EXPECT_EQ(p->GetEditMask(), "000;0;_");
  p->SetEditMask("");
  p->SetMaskKind(TcxEditMaskKind::emkRegExpr);
  EXPECT_FALSE(p->IsMasked());
  p->SetIDefaultValuesProvider(nullptr);
  field->Free();
  p->Free();

  // The edit value drops the literals a mask does not save.
  TcxMaskEdit* e = AddMask(TcxEditMaskKind::emkStandard, "00-00;0;_");
  Press(VK_HOME);
  Type("1234");
  EXPECT_EQ(Text(e), "12-34");
  EXPECT_TRUE(e->ValidateDisplayText(true));
  EXPECT_EQ(VarToStr(e->GetEditValue()), "1234");
}

TEST_F(MaskEdit, RegisteredWithItsCaption) {
  TcxRegisteredClasses* r = GetRegisteredEditProperties();
  const Integer i = r->GetIndexByClass(&TcxMaskEditProperties::StaticClass());
  ASSERT_GE(i, 0);
  EXPECT_EQ(r->Descriptions(i), "Represents a generic masked edit control.");
  EXPECT_EQ(r->Names(i), "MaskEdit");
  EXPECT_EQ(&FindClass("TcxMaskEdit"), &TcxMaskEdit::StaticClass());
}

}  // namespace
