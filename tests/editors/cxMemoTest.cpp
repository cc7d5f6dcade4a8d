// The memo on a form: lines typed with Enter, the keys it takes, the settings it gives its
// platform edit, the length limit across lines, its lines (also written one at a time) and
// its place in a form text.
#include "widgets/editors/cxMemo.h"

#include "classlib/core/FormText.h"
#include "classlib/core/Streams.h"
#include "classlib/visual/Clipbrd.h"
#include "classlib/visual/Forms.h"
#include "platform/gdi/Text.h"
#include "platform/user/User.h"
#include "tests/support/AppTest.h"
#include "tests/support/FormDescription.h"
#include "widgets/editcore/EditcoreUnits.h"
#include "widgets/editcore/cxEditControl.h"
#include "widgets/editors/EditorsUnits.h"
#include "widgets/foundation/FoundationUnits.h"
#include "widgets/foundation/cxControls.h"

#include <gtest/gtest.h>

#include <random>

namespace {
// Refuses every edit.
class TRefuser : public TObject {
 public:
  void Editing(TObject*, bool& CanEdit) { CanEdit = false; }
};
// Counts the change events and keeps what each handler saw of the text and the edit value.
class TChangeCounter : public TObject {
 public:
  void Changed(TObject* Sender) {
    ++Changes;
    auto* m = static_cast<TcxMemo*>(Sender);
    Seen.push_back(m->InnerMemo()->GetText() + "|" + m->EditValue().AsString());
  }
  int Changes = 0;
  std::vector<String> Seen;
};
// Records the keys the editor hands on to its host.
class TKeySink : public TObject {
 public:
  void AfterKeyDown(TObject*, Word& Key, TShiftState) { Keys.push_back(Key); }
  std::vector<Word> Keys;
};
}  // namespace

class MemoTest : public AppTest {
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
    host().PumpUntilIdle();
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
  TcxMemo* Add() {
    auto* m = New<TcxMemo>(form);
    m->SetParent(form);
    m->SetLeft(10);
    host().PumpUntilIdle();
    m->SetFocus();
    host().PumpUntilIdle();
    return m;
  }
  void Type(const char* s) {
    for (; *s; ++s) {
      if (*s == '\r') host().Key(VK_RETURN);
      else if (*s == '\t') host().Key(VK_TAB);
      else host().Char(Byte(*s));
      host().PumpUntilIdle();
    }
  }
  // The user pastes S into the memo's window.
  void Paste(TcxMemo* m, const String& S) {
    Clipboard->SetAsText(S);
    SendMessageA(m->InnerMemo()->GetHandle(), WM_PASTE, 0, 0);
    host().PumpUntilIdle();
  }
  static String Text(TcxMemo* m) { return m->InnerMemo()->GetText(); }
  static LRESULT Ask(TcxMemo* m, UINT msg) { return SendMessageA(m->InnerMemo()->GetHandle(), msg, 0, 0); }
  static DWORD Style(TcxMemo* m) { return DWORD(GetWindowLongA(m->InnerMemo()->GetHandle(), GWL_STYLE)); }
  TCustomForm* form = nullptr;
};

TEST_F(MemoTest, EnterBreaksLinesAndTheLinesFollowTheText) {
  TcxMemo* m = Add();
  EXPECT_EQ(m->GetWidth(), 185);
  EXPECT_EQ(m->GetHeight(), 89);
  Type("one\rtwo\rthree");
  EXPECT_EQ(Text(m), "one\r\ntwo\r\nthree");
  host().Key(VK_UP);
  host().PumpUntilIdle();
  EXPECT_EQ(m->GetSelStart(), 8);   // the end of "two", the column kept
  TStrings* lines = m->GetLines();
  ASSERT_EQ(lines->Count(), 3);
  EXPECT_EQ(lines->Strings(2), "three");
  // Writing the lines replaces the text; the last line keeps no break.
  auto* other = New<TStringList>();
  other->Add("a");
  other->Add("b");
  m->SetLines(other);
  other->Free();
  EXPECT_EQ(Text(m), "a\r\nb");
  m->SetText("x\r\ny\r\nz");   // the memo's own window text
  EXPECT_EQ(Text(m), "x\r\ny\r\nz");
}

TEST_F(MemoTest, TextWrittenByTheProgramIsTheEditValue) {
  TcxMemo* m = Add();
  int changes = 0;
  struct TCounter : TObject {
    int* N = nullptr;
    void Changed(TObject*) { ++*N; }
  } counter;
  counter.N = &changes;
  m->GetMemoProperties()->OnChange = {&counter, &TCounter::Changed};
  m->GetLines()->SetText("a\r\nb\r\n");
  EXPECT_EQ(m->EditValue().AsString(), "a\r\nb");
  EXPECT_EQ(changes, 1);
  m->GetLines()->Add("c");
  EXPECT_EQ(m->EditValue().AsString(), "a\r\nb\r\nc");
  m->SetSelStart(1);
  m->SetSelLength(3);
  m->SetSelText("X");
  EXPECT_EQ(Text(m), "aX\r\nc");
  EXPECT_EQ(m->EditValue().AsString(), "aX\r\nc");
  EXPECT_EQ(m->GetSelStart(), 2);
  EXPECT_EQ(changes, 3);
  m->SetText("x\r\ny");   // the memo's own window text
  EXPECT_EQ(m->EditValue().AsString(), "x\r\ny");
  EXPECT_EQ(changes, 4);
  // Lines held from before follow the text, typed or set, and write into it.
  TStrings* lines = m->GetLines();
  m->SetEditValue(Variant("p\r\nq"));
  ASSERT_EQ(lines->Count(), 2);
  EXPECT_EQ(lines->Strings(1), "q");
  m->SetSelStartAndLength(4, 0);
  Type("r\rs");
  ASSERT_EQ(lines->Count(), 3);
  EXPECT_EQ(lines->Strings(2), "s");
  lines->Add("t");
  EXPECT_EQ(Text(m), "p\r\nqr\r\ns\r\nt");
}

TEST_F(MemoTest, WantReturnsAndWantTabsDecideWhatIsTyped) {
  TcxMemo* m = Add();
  Type("a\tb");
  EXPECT_EQ(Text(m), "ab");   // WantTabs is off by default
  m->GetMemoProperties()->SetWantTabs(true);
  m->GetMemoProperties()->SetWantReturns(false);
  host().PumpUntilIdle();
  EXPECT_FALSE(Style(m) & ES_WANTRETURN);
  m->SetSelStartAndLength(2, 0);
  Type("\t\rc");
  EXPECT_EQ(Text(m), "ab\tc");
  EXPECT_TRUE(m->WantsKey(VK_RETURN, TShiftState{TShiftStateItem::ssCtrl}));
  EXPECT_FALSE(m->WantsKey(VK_RETURN, TShiftState{}));
  EXPECT_TRUE(m->WantsKey(VK_TAB, TShiftState{}));
  EXPECT_FALSE(m->CanKeyStartEdit(Char(13)));
  EXPECT_TRUE(m->CanKeyStartEdit('a'));
  // A refused edit types no line break either.
  TcxMemo* refused = Add();
  TRefuser refuser;
  refused->OnEditing = {&refuser, &TRefuser::Editing};
  refused->GetMemoProperties()->SetWantTabs(true);
  Type("\r\t");
  EXPECT_EQ(Text(refused), "");
  refused->OnEditing = {};
}

TEST_F(MemoTest, WordWrapAndScrollBarsSetThePlatformStyle) {
  TcxMemo* m = Add();
  DWORD st = Style(m);
  EXPECT_TRUE(st & ES_MULTILINE);
  EXPECT_FALSE(st & ES_AUTOHSCROLL);   // wrapping
  EXPECT_FALSE(st & (WS_HSCROLL | WS_VSCROLL));
  m->GetMemoProperties()->SetScrollBars(TScrollStyle::ssVertical);
  host().PumpUntilIdle();
  st = Style(m);
  EXPECT_TRUE(st & WS_VSCROLL);
  EXPECT_FALSE(st & WS_HSCROLL);
  m->GetMemoProperties()->SetScrollBars(TScrollStyle::ssBoth);
  host().PumpUntilIdle();
  st = Style(m);
  EXPECT_TRUE((st & (WS_HSCROLL | WS_VSCROLL)) == (WS_HSCROLL | WS_VSCROLL));
  EXPECT_TRUE(st & ES_AUTOHSCROLL);   // a horizontal bar scrolls instead of wrapping
  // A visible line count sizes the memo: each line the font's height, a horizontal bar its own.
  const Integer fontHeight = m->GetInnerEditTextHeight();
  m->GetMemoProperties()->SetVisibleLineCount(1);
  const Integer one = m->GetHeight();
  m->GetMemoProperties()->SetVisibleLineCount(3);
  EXPECT_EQ(m->GetHeight(), one + 2 * fontHeight);
  EXPECT_EQ(m->GetClientHeight(), 3 * fontHeight + 4 + GetSystemMetrics(SM_CYHSCROLL));   // ssBoth
  m->GetMemoProperties()->SetScrollBars(TScrollStyle::ssVertical);
  EXPECT_EQ(m->GetClientHeight(), 3 * fontHeight + 4);
  m->GetMemoProperties()->SetVisibleLineCount(-4);
  EXPECT_EQ(m->GetMemoProperties()->GetVisibleLineCount(), 0);
}

// Both windows leave out CS_VREDRAW, and CS_HREDRAW where the lines do not rewrap with the width;
// a change of the settings remakes the window whose class style changes.
TEST_F(MemoTest, WindowClassesRedrawOnlyWhereTheLinesRewrap) {
  TcxMemo* m = Add();
  auto classStyle = [](TWinControl* w) { return UINT(GetClassLongA(w->GetHandle(), GCL_STYLE)); };
  TWinControl* inner = m->InnerMemo();
  EXPECT_FALSE(classStyle(m) & CS_VREDRAW);
  EXPECT_FALSE(classStyle(inner) & CS_VREDRAW);
  EXPECT_TRUE(classStyle(m) & CS_HREDRAW) << "wrapped lines follow the width";
  m->GetMemoProperties()->SetScrollBars(TScrollStyle::ssBoth);
  host().PumpUntilIdle();
  EXPECT_FALSE(classStyle(m) & CS_HREDRAW);
  EXPECT_FALSE(classStyle(m->InnerMemo()) & CS_HREDRAW);
  m->GetMemoProperties()->SetScrollBars(TScrollStyle::ssVertical);
  m->GetMemoProperties()->SetWordWrap(false);
  host().PumpUntilIdle();
  EXPECT_FALSE(classStyle(m) & CS_HREDRAW);
  m->GetMemoProperties()->SetWordWrap(true);
  host().PumpUntilIdle();
  EXPECT_TRUE(classStyle(m) & CS_HREDRAW);
}

TEST_F(MemoTest, WrappedLinesFollowTheWordWrapSetting) {
  TcxMemo* m = Add();
  String words;
  for (int i = 0; i < 40; ++i) words += "word ";
  m->GetLines()->SetText(words);
  HWND inner = m->InnerMemo()->GetHandle();
  EXPECT_GT(SendMessageA(inner, EM_GETLINECOUNT, 0, 0), 1);
  m->GetMemoProperties()->SetWordWrap(false);
  host().PumpUntilIdle();
  inner = m->InnerMemo()->GetHandle();
  EXPECT_EQ(SendMessageA(inner, EM_GETLINECOUNT, 0, 0), 1);
  EXPECT_EQ(Text(m), words);   // the window made anew keeps the text
}

TEST_F(MemoTest, MaxLengthCountsAcrossLinesAndKeepsTheRest) {
  TcxMemo* m = Add();
  m->GetMemoProperties()->SetMaxLength(7);
  host().PumpUntilIdle();
  Type("ab\rcdefg");
  EXPECT_EQ(Text(m), "ab\r\ncde");
  m->GetMemoProperties()->SetMaxLength(10);
  host().PumpUntilIdle();
  m->SetSelStartAndLength(2, 0);
  Type("xyz9");
  EXPECT_EQ(Text(m), "abxyz\r\ncde");   // the text after the caret stays
  // A user paste keeps its line breaks and only the part that fits; a full memo keeps
  // its selection when nothing fits.
  m->GetMemoProperties()->SetMaxLength(12);
  m->SetSelStartAndLength(0, 2);
  Paste(m, "1\r\n23456");
  EXPECT_EQ(Text(m), "1\r\n2xyz\r\ncde");
  // Replacing everything in a full memo has the whole limit as room.
  m->GetMemoProperties()->SetMaxLength(Integer(Text(m).size()));
  m->SelectAll();
  Paste(m, "xy");
  EXPECT_EQ(Text(m), "xy");
  // No room at all: the selection is not deleted for an insert that cannot go in.
  m->GetMemoProperties()->SetMaxLength(2);
  m->SetSelStartAndLength(0, 1);
  Paste(m, "pq");
  EXPECT_EQ(Text(m), "py");
  m->SetSelStartAndLength(1, 0);
  Paste(m, "z");
  EXPECT_EQ(Text(m), "py");
}

TEST_F(MemoTest, CutAndClearKeepTheOtherLines) {
  TcxMemo* m = Add();
  Type("ab\rcd\ref");
  m->SetSelStartAndLength(1, 4);   // "b\r\nc"
  m->CutToClipboard();
  EXPECT_EQ(Text(m), "ad\r\nef");
  EXPECT_EQ(Clipboard->GetAsText(), "b\r\nc");
  m->SetSelStartAndLength(0, 1);
  SendMessageA(m->InnerMemo()->GetHandle(), WM_CLEAR, 0, 0);
  EXPECT_EQ(Text(m), "d\r\nef");
}

TEST_F(MemoTest, ReplacingTheSelectionRewritesReversedLineBreaks) {
  EXPECT_EQ(cxMemoRewriteLineBreaks("a\n\rb\r\nc\nd\re"), "a\r\n\r\nb\r\nc\nd\re");
  TcxMemo* m = Add();
  SendMessageA(m->InnerMemo()->GetHandle(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>("x\n\ry"));
  EXPECT_EQ(Text(m), "x\r\n\r\ny");
}

TEST_F(MemoTest, DisplayTextIsTheFirstLineUpTo250Characters) {
  auto* p = New<TcxMemoProperties>(nullptr);
  String text;
  p->GetDisplayText(Variant(String(300, 'x') + "\r\nmore"), text);
  EXPECT_EQ(text, String(250, 'x'));
  p->GetDisplayText(Variant(String("ab\ncd")), text);
  EXPECT_EQ(text, "ab");
  p->GetDisplayText(Variant(String("ab\r\ncd")), text, true);
  EXPECT_EQ(text, "ab\r\ncd");
  p->Free();
}

TEST_F(MemoTest, AHugeVisibleLineCountFromAFormTextIsClampedSoTheHeightStaysAnInteger) {
  TcxMemo* m = Add();
  const Integer fontHeight = m->GetInnerEditTextHeight();
  for (const char* count : {"2147483647", "32768", "32767"}) {
    const String text = String("object Memo1: TcxMemo\n  Properties.VisibleLineCount = ") + count + "\nend\n";
    ReadDescription(text, m);
    host().PumpUntilIdle();
    EXPECT_EQ(m->GetMemoProperties()->GetVisibleLineCount(), 32767) << count;
    // As tall as the window layer allows, never a height that wrapped round.
    EXPECT_GE(m->GetClientHeight(), 1000 * fontHeight) << count;
  }
  m->GetMemoProperties()->SetVisibleLineCount(32766);
  EXPECT_EQ(m->GetMemoProperties()->GetVisibleLineCount(), 32766);
}

TEST_F(MemoTest, ReadsItsLinesAndSettingsFromAFormText) {
  TcxMemo* m = Add();
  const String text =
      "object Memo1: TcxMemo\n"
      "  Lines.Strings = (\n"
      "    'first'\n"
      "    'second')\n"
      "  Properties.ScrollBars = ssVertical\n"
      "  Properties.WantTabs = True\n"
      "end\n";
  ReadDescription(text, m);
  host().PumpUntilIdle();
  EXPECT_EQ(Text(m), "first\r\nsecond");
  EXPECT_EQ(m->EditValue().AsString(), "first\r\nsecond");
  EXPECT_EQ(m->GetMemoProperties()->GetScrollBars(), TScrollStyle::ssVertical);
  EXPECT_TRUE(m->GetMemoProperties()->GetWantTabs());
  EXPECT_TRUE(Style(m) & WS_VSCROLL);
  // The registry names the memo.
  TcxRegisteredClasses* r = GetRegisteredEditProperties();
  const Integer i = r->GetIndexByClass(&TcxMemoProperties::StaticClass());
  ASSERT_GE(i, 0);
  EXPECT_EQ(r->Names(i), "Memo");
  EXPECT_EQ(r->Descriptions(i), "Represents an edit control that allows editing memo data");
}

TEST_F(MemoTest, TheLibraryBarsCoverTheInnerMemosAndScrollIt) {
  TcxMemo* m = Add();
  m->GetMemoProperties()->SetScrollBars(TScrollStyle::ssBoth);
  m->GetMemoProperties()->SetWordWrap(false);
  String text;
  for (int i = 0; i < 20; ++i) text += "line " + std::to_string(i) + " of a memo wide enough to scroll sideways\r\n";
  m->GetLines()->SetText(text);
  host().PumpUntilIdle();
  const HWND inner = m->InnerMemo()->GetHandle();
  TcxControlScrollBar* v = m->VScrollBar();
  TcxControlScrollBar* h = m->HScrollBar();
  ASSERT_TRUE(v->GetVisible());
  ASSERT_TRUE(h->GetVisible());
  // The bar's arrow scrolls the memo one line, and the bar follows.
  host().Click(v->Handle(), v->GetWidth() / 2, v->GetHeight() - 3);
  host().PumpUntilIdle();
  EXPECT_EQ(SendMessageA(inner, EM_GETFIRSTVISIBLELINE, 0, 0), 1);
  EXPECT_EQ(v->GetPosition(), 1);
  // Sideways the same, in the inner memo's own units.
  host().Click(h->Handle(), h->GetWidth() - 3, h->GetHeight() / 2);
  host().PumpUntilIdle();
  EXPECT_GT(GetScrollPos(inner, SB_HORZ), 0);
  EXPECT_EQ(h->GetPosition(), GetScrollPos(inner, SB_HORZ));
  // A key that moves the caret out of view takes the bar with the text.
  host().KeyDown(VK_CONTROL);
  host().Key(VK_END);
  host().KeyUp(VK_CONTROL);
  host().PumpUntilIdle();
  EXPECT_GT(SendMessageA(inner, EM_GETFIRSTVISIBLELINE, 0, 0), 1);
  EXPECT_EQ(v->GetPosition(), SendMessageA(inner, EM_GETFIRSTVISIBLELINE, 0, 0));
}

TEST_F(MemoTest, TheInnerMemoIsReachedThroughItsInterface) {
  TcxMemo* m = Add();
  m->GetLines()->SetText("first\r\nsecond\r\nthird");
  IcxInnerMemo* im = m->InnerMemoIntf();
  ASSERT_NE(im, nullptr);
  EXPECT_EQ(im->GetLines()->Count(), 3);
  im->SetCaretPos({2, 1});
  EXPECT_EQ(m->GetSelStart(), 7 + 2);
  EXPECT_EQ(im->GetCaretPos(), (TPoint{2, 1}));
  im->SetCaretPos({99, 9});  // past the text: the end of the last line
  EXPECT_EQ(im->GetCaretPos(), (TPoint{5, 2}));
  EXPECT_EQ(m->GetSelStart(), 15 + 5);
  im->SetWordWrap(false);
  EXPECT_TRUE(Style(m) & ES_AUTOHSCROLL);
  EXPECT_FALSE(im->GetWordWrap());
  auto* te = dynamic_cast<IcxInnerTextEdit*>(im);
  ASSERT_NE(te, nullptr);
  EXPECT_EQ(te->GetControl(), m->InnerMemo());
  EXPECT_EQ(te->GetEditText(), "first\r\nsecond\r\nthird");
}

TEST_F(MemoTest, InPlaceCtrlSwapsWhatEnterDoes) {
  Owned<TcxMemoProperties> p(New<TcxMemoProperties>(nullptr));
  Owned<TcxInplaceEditList> list(New<TcxInplaceEditList>());
  auto* m = dynamic_cast<TcxMemo*>(list->GetEdit(p.get()));
  ASSERT_NE(m, nullptr);
  ASSERT_TRUE(m->IsInplace());
  const TShiftState none{}, ctrl{TShiftStateItem::ssCtrl};
  EXPECT_TRUE(m->IsEnterTyped(none));
  EXPECT_FALSE(m->IsEnterTyped(ctrl));  // Ctrl+Enter goes to the host
  m->ActiveMemoProperties()->SetWantReturns(false);
  EXPECT_FALSE(m->IsEnterTyped(none));
  EXPECT_TRUE(m->IsEnterTyped(ctrl));
  // Stand-alone, Ctrl+Enter always breaks the line.
  TcxMemo* alone = Add();
  EXPECT_TRUE(alone->IsEnterTyped(ctrl));
  alone->GetMemoProperties()->SetWantReturns(false);
  EXPECT_TRUE(alone->IsEnterTyped(ctrl));
  EXPECT_FALSE(alone->IsEnterTyped(none));

  // Typed in place: Enter breaks the line, Ctrl+Enter leaves the text alone.
  m->SetParent(form);
  m->SetBounds(10, 150, 150, 60);
  m->SetVisible(true);
  host().PumpUntilIdle();
  m->ActiveMemoProperties()->SetWantReturns(true);
  m->SetFocus();
  host().PumpUntilIdle();
  Type("a\rb");
  host().KeyDown(VK_CONTROL);
  host().Key(VK_RETURN);
  host().KeyUp(VK_CONTROL);
  host().PumpUntilIdle();
  EXPECT_EQ(Text(m), "a\r\nb");
}

TEST_F(MemoTest, TheViewDrawsAndSizesInTheMemosTextFlags) {
  using enum TScrollStyle;
  EXPECT_EQ(cxMemoDrawTextFlags(true, ssNone, TAlignment::taLeftJustify), 0x24540u);
  EXPECT_EQ(cxMemoDrawTextFlags(true, ssVertical, TAlignment::taRightJustify), 0x24542u);
  EXPECT_EQ(cxMemoDrawTextFlags(true, ssHorizontal, TAlignment::taCenter), 0x4441u);
  EXPECT_EQ(cxMemoDrawTextFlags(false, ssNone, TAlignment::taLeftJustify), 0x4440u);

  TcxMemo* m = Add();
  TcxMemoProperties* p = m->GetMemoProperties();
  Owned<TBitmap> bmp(New<TBitmap>());
  bmp->SetSize(200, 200);
  Owned<TcxCanvas> canvas(New<TcxCanvas>(bmp->Canvas()));
  auto sizeFor = [&](const char* text) {
    Owned<TcxCustomEditViewData> vd(p->CreateViewData(static_cast<TcxCustomEditStyle*>(m->GetStyle()), false));
    vd->Edit = m;
    TcxEditSizeProperties sp;
    sp.Width = -1;
    return vd->CalculateEditSize(*canvas, Variant(String(text)), sp);
  };
  canvas->SetFont(m->GetStyle()->GetFont());
  const Integer row = canvas->Canvas()->TextHeight("Zg");
  const TSize one = sizeFor("x");
  EXPECT_EQ(sizeFor("x\r\ny\r\nz").cy, one.cy + 2 * row);
  p->SetVisibleLineCount(2);  // at most two lines counted
  EXPECT_EQ(sizeFor("x\r\ny\r\nz").cy, one.cy + row);
  p->SetScrollBars(ssHorizontal);
  EXPECT_EQ(sizeFor("x").cy, one.cy + GetSystemMetrics(SM_CYHSCROLL));
}

TEST_F(MemoTest, KeysThatChangeNothingReachTheHostButUpAndDownStay) {
  TcxMemo* m = Add();
  TKeySink sink;
  m->OnAfterKeyDown = {&sink, &TKeySink::AfterKeyDown};
  Type("ab");
  sink.Keys.clear();
  host().Key(VK_RIGHT);  // already at the end: nothing moves
  host().Key(VK_UP);     // on the only line
  host().Key(VK_DOWN);
  host().Key(VK_LEFT);   // moves the caret: the memo's own
  host().PumpUntilIdle();
  EXPECT_EQ(sink.Keys, (std::vector<Word>{VK_RIGHT}));
  m->OnAfterKeyDown = {};
}

TEST_F(MemoTest, AMemoWrittenOnItsOwnReadsBackWithItsStyles) {
  TcxMemo* m = Add();
  m->GetLines()->SetText("one\r\ntwo\r\n");
  m->GetMemoProperties()->SetScrollBars(TScrollStyle::ssBoth);
  m->GetMemoProperties()->SetWordWrap(false);
  m->GetStyle()->SetColor(clRed);
  m->GetStyleFocused()->SetColor(clYellow);
  m->GetStyleHot()->SetColor(clBlue);
  m->GetStyleDisabled()->SetColor(clGray);
  Owned<TMemoryStream> s(New<TMemoryStream>());
  s->WriteComponent(m);
  // The inner memo is the memo's own, and the text is stored once, as lines.
  const String written(reinterpret_cast<const char*>(s->Memory()), size_t(s->GetSize()));
  EXPECT_EQ(written.find("TcxCustomInnerMemo"), String::npos);
  EXPECT_EQ(written.find("Caption"), String::npos);
  EXPECT_EQ(written.find("ParentColor"), String::npos);
  auto* d = New<TcxMemo>(form);
  d->SetParent(form);
  s->SetPosition(0);
  s->ReadComponent(d);
  host().PumpUntilIdle();
  EXPECT_EQ(Text(d), "one\r\ntwo");
  EXPECT_EQ(d->GetMemoProperties()->GetScrollBars(), TScrollStyle::ssBoth);
  EXPECT_FALSE(d->GetMemoProperties()->GetWordWrap());
  EXPECT_EQ(d->GetStyle()->GetColor(), clRed);
  EXPECT_EQ(d->GetStyleFocused()->GetColor(), clYellow);
  EXPECT_EQ(d->GetStyleHot()->GetColor(), clBlue);
  EXPECT_EQ(d->GetStyleDisabled()->GetColor(), clGray);
}

// Every editor written on its own leaves out the inner control it makes itself.
TEST_F(MemoTest, AnyEditorWrittenOnItsOwnLeavesItsInnerControlOut) {
  auto* e = New<TcxTextEdit>(form);
  e->SetParent(form);
  e->SetEditValue(Variant(String("typed")));
  host().PumpUntilIdle();
  ASSERT_NE(e->InnerControl(), nullptr);
  Owned<TMemoryStream> s(New<TMemoryStream>());
  s->WriteComponent(e);
  const String written(reinterpret_cast<const char*>(s->Memory()), size_t(s->GetSize()));
  EXPECT_EQ(written.find("TcxCustomInnerTextEdit"), String::npos);
  auto* d = New<TcxTextEdit>(form);
  d->SetParent(form);
  s->SetPosition(0);
  s->ReadComponent(d);
  host().PumpUntilIdle();
  EXPECT_EQ(d->ComponentCount(), e->ComponentCount()) << "no second inner edit";
}

TEST_F(MemoTest, PastedAndCutTextIsPostedLikeTypedText) {
  TcxMemo* m = Add();
  int changes = 0;
  struct TCounter : TObject {
    int* N = nullptr;
    void Changed(TObject*) { ++*N; }
  } counter;
  counter.N = &changes;
  m->GetMemoProperties()->OnChange = {&counter, &TCounter::Changed};
  Paste(m, "pasted\r\ntext");
  EXPECT_EQ(changes, 1);
  EXPECT_TRUE(m->GetDisplayValueModified());
  TcxMemo* other = Add();   // focus leaves: the text is posted
  EXPECT_EQ(m->EditValue().AsString(), "pasted\r\ntext");
  m->SetFocus();
  host().PumpUntilIdle();
  m->SelectAll();
  changes = 0;
  SendMessageA(m->InnerMemo()->GetHandle(), WM_CUT, 0, 0);
  host().PumpUntilIdle();
  EXPECT_EQ(changes, 1);
  other->SetFocus();
  host().PumpUntilIdle();
  EXPECT_EQ(m->EditValue().AsString(), "");
}

TEST_F(MemoTest, EachAddedLineIsTheWholeNewTextOnce) {
  TcxMemo* memo = Add();
  TChangeCounter counter;
  memo->GetMemoProperties()->OnChange = {&counter, &TChangeCounter::Changed};
  memo->SetEditValue(Variant(String("first")));
  memo->SetSelStartAndLength(2, 2);
  counter.Changes = 0;
  counter.Seen.clear();
  TStrings* lines = memo->GetLines();
  lines->Add("second");
  memo->GetLines()->Add("third line");
  lines->Add("4");
  EXPECT_EQ(Text(memo), "first\r\nsecond\r\nthird line\r\n4");
  EXPECT_EQ(memo->EditValue().AsString(), "first\r\nsecond\r\nthird line\r\n4");
  EXPECT_EQ(counter.Changes, 3);
  EXPECT_EQ(counter.Seen, (std::vector<String>{"first\r\nsecond|first\r\nsecond",
                                               "first\r\nsecond\r\nthird line|first\r\nsecond\r\nthird line",
                                               "first\r\nsecond\r\nthird line\r\n4|first\r\nsecond\r\nthird line\r\n4"}));
  // As a text set anew: the caret at the start, nothing to undo, the edit not modified.
  EXPECT_EQ(memo->GetSelStart(), 0);
  EXPECT_EQ(memo->GetSelLength(), 0);
  EXPECT_FALSE(Ask(memo, EM_CANUNDO));
  EXPECT_FALSE(Ask(memo, EM_GETMODIFY));
  EXPECT_EQ(Ask(memo, EM_GETLINECOUNT), 4);
  ASSERT_EQ(lines->Count(), 4);
  EXPECT_EQ(lines->Strings(3), "4");
  // Typed text reaches the lines held from before, and the next line goes after it.
  memo->SetSelStartAndLength(int(Text(memo).size()), 0);
  host().Char('2');
  host().PumpUntilIdle();
  EXPECT_EQ(lines->Strings(3), "42");
  lines->Add("fifth");
  EXPECT_EQ(Text(memo), "first\r\nsecond\r\nthird line\r\n42\r\nfifth");
}

TEST_F(MemoTest, LinesThatAreNotTheTextJoinedAreSplitAgainFirst) {
  TcxMemo* memo = Add();
  // A text ending in a line break, or with a lone CR or LF, reads as lines that join into
  // another text: an added line goes after those lines.
  memo->SetEditValue(Variant(String("a\r\n")));
  memo->GetLines()->Add("b");
  EXPECT_EQ(Text(memo), "a\r\nb");
  memo->SetEditValue(Variant(String("a\rb\nc")));
  memo->GetLines()->Add("d");
  EXPECT_EQ(Text(memo), "a\r\nb\r\nc\r\nd");
  // An empty line added last ends the text with a line break: read again, the lines lose it.
  memo->GetLines()->Add("");
  EXPECT_EQ(Text(memo), "a\r\nb\r\nc\r\nd\r\n");
  EXPECT_EQ(memo->GetLines()->Count(), 4);
  memo->GetLines()->Add("e");
  EXPECT_EQ(Text(memo), "a\r\nb\r\nc\r\nd\r\ne");
  // Held from before the empty line, the lines still hold it and the next line follows it.
  TStrings* lines = memo->GetLines();
  lines->Add("");
  lines->Add("f");
  EXPECT_EQ(Text(memo), "a\r\nb\r\nc\r\nd\r\ne\r\n\r\nf");
  // A line holding line breaks is several lines of the text.
  lines->Add("g\r\nh");
  EXPECT_EQ(memo->GetLines()->Count(), 9);
  EXPECT_EQ(memo->GetLines()->Strings(8), "h");
  // Lines added to an empty memo: the first needs no break before it.
  memo->SetEditValue(Variant(String()));
  memo->GetLines()->Add("x");
  memo->GetLines()->Add("y");
  EXPECT_EQ(Text(memo), "x\r\ny");
  EXPECT_EQ(memo->EditValue().AsString(), "x\r\ny");
}

TEST_F(MemoTest, LinesWrittenInsideAnUpdateAreKeptUntilItEnds) {
  TcxMemo* memo = Add();
  TChangeCounter counter;
  memo->GetMemoProperties()->OnChange = {&counter, &TChangeCounter::Changed};
  memo->SetEditValue(Variant(String("start")));
  counter.Changes = 0;
  memo->GetLines()->BeginUpdate();
  memo->GetLines()->Add("one");
  memo->GetLines()->Add("two");
  memo->GetLines()->Delete(0);
  EXPECT_EQ(Text(memo), "start");   // nothing written yet
  EXPECT_EQ(memo->GetLines()->Count(), 2);
  memo->GetLines()->EndUpdate();
  EXPECT_EQ(Text(memo), "one\r\ntwo");
  EXPECT_EQ(memo->EditValue().AsString(), "one\r\ntwo");
  EXPECT_EQ(counter.Changes, 1);
}

namespace {
// The lines a text reads as: CR LF, a lone CR and a lone LF each end a line, and a break at
// the very end starts no further line.
std::vector<String> PlainSplit(const String& T) {
  std::vector<String> out;
  size_t i = 0;
  while (i < T.size()) {
    const size_t start = i;
    while (i < T.size() && T[i] != '\r' && T[i] != '\n') ++i;
    out.push_back(T.substr(start, i - start));
    if (i < T.size() && T[i] == '\r') ++i;
    if (i < T.size() && T[i] == '\n') ++i;
  }
  return out;
}
// Lines written as a text: each followed by CR LF, except the last.
String PlainJoin(const std::vector<String>& L) {
  String out;
  for (const String& l : L) out += l + "\r\n";
  if (!out.empty()) out.resize(out.size() - 2);
  return out;
}
std::vector<String> Read(TStrings* L) {
  std::vector<String> out;
  for (Integer i = 0; i < L->Count(); ++i) out.push_back(L->Strings(i));
  return out;
}
}  // namespace

// Lines added, inserted and deleted, keys typed and undone in a random mix: the text is
// always the one the plain rules give, each change fires OnChange once, the lines read
// back as the text split, and a text written through the lines is the edit value, set
// as a new text (caret at the start, nothing to undo, not modified).
TEST_F(MemoTest, RandomLinesTypingAndUndoKeepTheTextOfThePlainRules) {
  for (const bool focused : {true, false}) {
    TcxMemo* memo = Add();
    if (!focused) Add()->SetTop(150);   // the focus goes to another memo
    TChangeCounter counter;
    memo->GetMemoProperties()->OnChange = {&counter, &TChangeCounter::Changed};
    // The memo outlives this pass (the form owns it); its handler must not outlive the counter.
    struct Unhook {
      TcxMemo* Memo;
      ~Unhook() { Memo->GetMemoProperties()->OnChange = {}; }
    } unhook{memo};
    std::mt19937 rng(focused ? 5421 : 5422);
    std::uniform_int_distribution<int> action(0, 13), pick(0, 5);
    static const char* const kLines[] = {"one", "a longer line of words", "x", "", "two\r\nlines", "lone\rcr"};
    String model;
    String value;   // the edit value: the text last written by the program
    String undoText;
    bool canUndo = false;
    int changes = 0;
    for (int step = 0; step < 300; ++step) {
      const String before = model;
      std::vector<String> lines = PlainSplit(model);
      std::uniform_int_distribution<size_t> at(0, lines.size());
      bool byLines = false;
      const int act = action(rng);
      // Keys reach the focused control only.
      if (!focused && act >= 6 && act <= 9) continue;
      switch (act) {
        case 0:
        case 1:
        case 2:
        case 3: {
          const String line = kLines[pick(rng) < 3 ? 0 : pick(rng)] + (step % 3 == 0 ? std::to_string(step) : "");
          lines.push_back(line);
          if (PlainJoin(lines) == model) continue;
          memo->GetLines()->Add(line);
          byLines = true;
          break;
        }
        case 4: {
          const size_t i = at(rng);
          const String line = kLines[pick(rng)];
          lines.insert(lines.begin() + std::ptrdiff_t(i), line);
          if (PlainJoin(lines) == model) continue;
          memo->GetLines()->Insert(Integer(i), line);
          byLines = true;
          break;
        }
        case 5: {
          if (lines.empty()) continue;
          const size_t i = at(rng) % lines.size();
          lines.erase(lines.begin() + std::ptrdiff_t(i));
          if (PlainJoin(lines) == model) continue;
          memo->GetLines()->Delete(Integer(i));
          byLines = true;
          break;
        }
        case 6:
        case 7:
        case 8: {   // keys typed where the caret is put, never inside a line break
          size_t p = std::uniform_int_distribution<size_t>(0, model.size())(rng);
          if (p > 0 && p < model.size() && model[p - 1] == '\r' && model[p] == '\n') ++p;
          memo->SetSelStartAndLength(Integer(p), 0);
          host().PumpUntilIdle();
          if (pick(rng) == 0) {
            host().Key(VK_RETURN);
            model.insert(p, "\r\n");
          } else {
            host().Char('k');
            host().Char('q');
            model.insert(p, "kq");
            ++changes;
          }
          host().PumpUntilIdle();
          ++changes;
          undoText = before;
          canUndo = true;
          break;
        }
        case 9: {   // Backspace: a line break goes as one
          size_t p = std::uniform_int_distribution<size_t>(0, model.size())(rng);
          if (p > 0 && p < model.size() && model[p - 1] == '\r' && model[p] == '\n') ++p;
          memo->SetSelStartAndLength(Integer(p), 0);
          host().PumpUntilIdle();
          host().Key(VK_BACK);
          host().PumpUntilIdle();
          if (p >= 2 && model.compare(p - 2, 2, "\r\n") == 0) model.erase(p - 2, 2);
          else if (p > 0) model.erase(p - 1, 1);
          if (model != before) {
            ++changes;
            undoText = before;
            canUndo = true;
          }
          break;
        }
        case 12:
        case 13: {   // the program replaces a selection, which may split a line break
          static const char* const kInserts[] = {"x", "\r", "\n", "\r\n", "a\rb", "c\nd", "\n\r", ""};
          const String insert = kInserts[std::uniform_int_distribution<size_t>(0, 7)(rng)];
          const size_t a = std::uniform_int_distribution<size_t>(0, model.size())(rng);
          const size_t b = std::uniform_int_distribution<size_t>(a, std::min(model.size(), a + 6))(rng);
          const String& written = insert;
          const String now = model.substr(0, a) + written + model.substr(b);
          if (now == model) continue;
          memo->SetSelStartAndLength(Integer(a), Integer(b - a));
          memo->SetSelText(insert);
          host().PumpUntilIdle();
          model = now;
          if (model != value) ++changes;
          value = model;
          canUndo = false;
          ASSERT_EQ(memo->GetSelStart(), Integer(a + written.size()));
          break;
        }
        default:   // undo: the text before the last typing, or nothing after a text written
          SendMessageA(memo->InnerMemo()->GetHandle(), EM_UNDO, 0, 0);
          host().PumpUntilIdle();
          if (canUndo) {
            std::swap(model, undoText);
            ++changes;
          }
          break;
      }
      if (byLines) {
        model = PlainJoin(lines);
        value = model;
        canUndo = false;
        ++changes;
      }
      ASSERT_EQ(Text(memo), model) << "step " << step;
      ASSERT_EQ(counter.Changes, changes) << "step " << step;
      ASSERT_EQ(Read(memo->GetLines()), PlainSplit(model)) << "step " << step;
      ASSERT_EQ(bool(Ask(memo, EM_CANUNDO)), canUndo) << "step " << step;
      if (byLines) {
        ASSERT_EQ(memo->EditValue().AsString(), model) << "step " << step;
        ASSERT_EQ(counter.Seen.back(), model + "|" + model) << "step " << step;
        ASSERT_EQ(memo->GetSelStart(), 0);
        ASSERT_EQ(memo->GetSelLength(), 0);
        ASSERT_FALSE(Ask(memo, EM_GETMODIFY));
        ASSERT_FALSE(memo->GetEditModified());
      }
    }
    memo->GetMemoProperties()->OnChange = {};   // the counter ends with this round
  }
}

// A memo with a horizontal bar and lines added one at a time: its bar spans the widest line,
// also once that line is deleted, and the view draws the text the memo holds.
TEST_F(MemoTest, LinesAddedOneByOneKeepTheBarsAndTheViewInStep) {
  TcxMemo* memo = Add();
  memo->GetMemoProperties()->SetScrollBars(TScrollStyle::ssBoth);
  memo->GetMemoProperties()->SetWordWrap(false);
  host().PumpUntilIdle();
  memo->SetEditValue(Variant(String()));
  TStrings* lines = memo->GetLines();
  lines->Add("short");
  lines->Add("a much much longer line than the others");
  lines->Add("mid length line");
  host().PumpUntilIdle();
  const HWND h = memo->InnerMemo()->GetHandle();
  auto barMax = [&] {
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_RANGE;
    GetScrollInfo(h, SB_HORZ, &si);
    return si.nMax;
  };
  auto widthOf = [&](const String& s) {
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, HFONT(SendMessageA(h, WM_GETFONT, 0, 0)));
    SIZE sz{0, 0};
    GetTextExtentPoint32A(dc, s.data(), int(s.size()), &sz);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return int(sz.cx);
  };
  EXPECT_EQ(barMax(), widthOf("a much much longer line than the others") - 1);
  lines->Delete(1);
  EXPECT_EQ(Text(memo), "short\r\nmid length line");
  EXPECT_EQ(barMax(), widthOf("mid length line") - 1);
  lines->Add("x");
  EXPECT_EQ(barMax(), widthOf("mid length line") - 1);
  auto* vi = dynamic_cast<TcxCustomTextEditViewInfo*>(memo->EditViewInfo());
  ASSERT_NE(vi, nullptr);
  EXPECT_EQ(vi->Text, "short\r\nmid length line\r\nx");
  // Upper case shows in the view as it is drawn; the text keeps its letters.
  memo->GetMemoProperties()->SetCharCase(TEditCharCase::ecUpperCase);
  lines->Add("tail");
  EXPECT_EQ(Text(memo), "short\r\nmid length line\r\nx\r\ntail");
  EXPECT_EQ(vi->Text, "SHORT\r\nMID LENGTH LINE\r\nX\r\nTAIL");
}

// The lines follow a change next to a lone CR or LF: a break completed, split or made by the
// change reads as the text split anew would, also in lines held from before.
TEST_F(MemoTest, LinesFollowChangesThatJoinOrSplitALineBreak) {
  TcxMemo* memo = Add();
  TStrings* lines = memo->GetLines();
  struct Case {
    const char* text;
    int start, length;
    const char* insert;
    std::vector<String> expected;
  };
  const Case cases[] = {
      {"a\rb", 2, 0, "\n", {"a", "b"}},          // CR then LF: one break
      {"a\r\nb", 2, 1, "", {"a", "b"}},          // the LF of a CR LF taken out: a lone CR
      {"a\nb", 1, 0, "\r", {"a", "b"}},          // CR before an LF
      {"a\r\nb", 1, 1, "", {"a", "b"}},          // the CR taken out: a lone LF
      {"a\r\nb", 2, 0, "x", {"a", "x", "b"}},    // a character between CR and LF: two breaks
      {"a\r", 2, 0, "\n", {"a"}},                // the break at the end completed
      {"a\rx\nb", 2, 1, "", {"a", "b"}},         // a lone CR and a lone LF brought together
      {"one\r\ntwo\r\nthree", 5, 3, "", {"one", "", "three"}},
      {"one\r\ntwo\r\nthree", 3, 5, "", {"one", "three"}},
  };
  for (const Case& c : cases) {
    memo->SetEditValue(Variant(String(c.text)));
    memo->SetSelStartAndLength(c.start, c.length);
    memo->SetSelText(c.insert);
    EXPECT_EQ(Read(lines), c.expected) << c.text << " now " << Text(memo);
    EXPECT_EQ(Read(memo->GetLines()), c.expected) << c.text;
  }
}

// Delete leaves the caret where it is: whether it changed the text decides whether the key
// stays with the memo or goes on to its host.
TEST_F(MemoTest, ADeleteThatChangesOnlyTheTextStaysWithTheMemo) {
  TcxMemo* m = Add();
  TKeySink sink;
  m->OnAfterKeyDown = {&sink, &TKeySink::AfterKeyDown};
  Type("abc");
  m->SetSelStartAndLength(1, 0);
  host().PumpUntilIdle();
  sink.Keys.clear();
  host().Key(VK_DELETE);
  host().PumpUntilIdle();
  EXPECT_EQ(Text(m), "ac");
  EXPECT_EQ(m->GetSelStart(), 1);
  EXPECT_TRUE(sink.Keys.empty());
  m->SetSelStartAndLength(2, 0);
  host().PumpUntilIdle();
  host().Key(VK_DELETE);   // at the end: nothing to delete
  host().PumpUntilIdle();
  EXPECT_EQ(Text(m), "ac");
  EXPECT_EQ(sink.Keys, (std::vector<Word>{VK_DELETE}));
  m->OnAfterKeyDown = {};
}

namespace {
// Frees the memo whose change it hears.
class TMemoFreer : public TObject {
 public:
  void Changed(TObject* Sender) {
    ++Calls;
    static_cast<TcxMemo*>(Sender)->Free();
  }
  int Calls = 0;
};
}  // namespace

// A line added, by the short route or the long one, whose change handler frees the memo and
// with it its lines: nothing is touched afterwards.
TEST_F(MemoTest, AChangeHandlerMayFreeTheMemoWhileALineIsAdded) {
  for (const char* start : {"first", "ends with a break\r\n"}) {
    TcxMemo* memo = Add();
    memo->SetEditValue(Variant(String(start)));
    TStrings* lines = memo->GetLines();
    TMemoFreer freer;
    memo->GetMemoProperties()->OnChange = {&freer, &TMemoFreer::Changed};
    TWeakLink link(memo);
    lines->Add("second");
    host().PumpUntilIdle();
    EXPECT_FALSE(link.Alive()) << start;
    EXPECT_EQ(freer.Calls, 1) << start;
  }
}

// The limit never cuts a line break in two: a CR without its LF would be no line break at all.
TEST_F(MemoTest, MaxLengthNeverKeepsHalfALineBreak) {
  TcxMemo* m = Add();
  m->GetMemoProperties()->SetMaxLength(3);
  Type("ab\r");
  EXPECT_EQ(Text(m), "ab") << "Enter needs two characters of room";
  EXPECT_EQ(m->GetLines()->Count(), 1);
  m->SelectAll();
  Paste(m, "xy\r\nz");
  EXPECT_EQ(Text(m), "xy");
  m->SelectAll();
  Paste(m, "x\r\nyz");
  EXPECT_EQ(Text(m), "x\r\n");
  // A CR of its own in the pasted text is kept as it comes.
  m->SelectAll();
  Paste(m, "p\rq");
  EXPECT_EQ(Text(m), "p\rq");
}
