// The text editor end to end: keys, mouse and clipboard through the application's loop, the
// settings pushed to its platform edit, the text messages of its window, its place in a
// form, and its registration.
#include "classlib/core/FormText.h"
#include "classlib/visual/Clipbrd.h"
#include "platform/gdi/FontEngine.h"
#include "platform/user/UserTesting.h"
#include "tests/editcore/EditControlTestSupport.h"
#include "tests/support/MouseCrossingFreer.h"
#include "widgets/editcore/cxTextEditControl.h"
#include "widgets/foundation/cxLookAndFeels.h"

namespace {

// Writes what the editor's handlers heard to a log.
class TTextListener : public TObject {
 public:
  explicit TTextListener(TEventLog* ALog) : Log(ALog) {}
  void HChange(TObject*) { Log->Add("change"); }
  void HValueChanged(TObject*) { Log->Add("valueChanged"); }
  void HEditing(TObject*, bool&) { Log->Add("editing"); }
  void HKeyDown(TObject*, Word& Key, TShiftState) { Log->Add("keyDown:" + std::to_string(Key)); }
  void HKeyPress(TObject*, Char& Key) {
    Log->Add("keyPress:" + std::to_string(Byte(Key)));
    if (SelectOnPress) SelectOnPress->SetSelStartAndLength(0, 1);
  }
  void HAfterKeyDown(TObject*, Word& Key, TShiftState) { Log->Add("after:" + std::to_string(Key)); }
  void HKeyUp(TObject*, Word& Key, TShiftState) { Log->Add("keyUp:" + std::to_string(Key)); }
  void HMouseDown(TObject*, TMouseButton, TShiftState, Integer X, Integer Y) {
    Log->Add("down:" + std::to_string(X) + "," + std::to_string(Y));
  }
  void HDblClick(TObject*) { Log->Add("dblClick"); }
  void HClickFails(TObject*) {
    Log->Add("click");
    throw Exception("click failed");
  }
  TEventLog* Log;
  // Selects the first character while a character is being delivered.
  TcxCustomTextEdit* SelectOnPress = nullptr;
};

class TextEdit : public EditControlTest {
 protected:
  TcxTextEdit* AddText(Integer Y) {
    auto* e = New<TcxTextEdit>(form);
    e->SetBounds(10, Y, 121, 21);
    e->SetParent(form);
    TcxCustomEditProperties* p = e->GetProperties();
    p->OnChange = {&listener, &TTextListener::HChange};
    p->OnEditValueChanged = {&listener, &TTextListener::HValueChanged};
    e->OnEditing = {&listener, &TTextListener::HEditing};
    e->OnKeyDown = {&listener, &TTextListener::HKeyDown};
    e->OnKeyPress = {&listener, &TTextListener::HKeyPress};
    e->OnAfterKeyDown = {&listener, &TTextListener::HAfterKeyDown};
    host().PumpUntilIdle();
    return e;
  }
  static String Text(TcxCustomTextEdit* e) { return e->InnerTextEdit()->GetText(); }
  static HWND Inner(TcxCustomTextEdit* e) { return e->InnerTextEdit()->GetHandle(); }
  void Ctrl(int VK) {
    host().KeyDown(VK_CONTROL);
    host().Key(VK);
    host().KeyUp(VK_CONTROL);
    Pump();
  }
  static void PutClipboard(const String& S) { Clipboard->SetAsText(S); }
  // The x of character I in the inner edit.
  static int XOf(TcxCustomTextEdit* e, int I) {
    return int16_t(LOWORD(SendMessageA(Inner(e), EM_POSFROMCHAR, WPARAM(I), 0)));
  }

  TTextListener listener{&log};
};

TEST_F(TextEdit, TypingWithHomeEndAndShiftArrows) {
  TcxTextEdit* e = AddText(10);
  e->SetFocus();
  Type("hello");
  EXPECT_EQ(Text(e), "hello");
  Press(VK_HOME);
  Press(VK_RIGHT, true);
  Press(VK_RIGHT, true);
  EXPECT_EQ(e->GetSelStart(), 0);
  EXPECT_EQ(e->GetSelLength(), 2);
  // Right without Shift collapses the selection to its end instead of moving on.
  Press(VK_RIGHT);
  EXPECT_EQ(e->GetSelStart(), 2);
  EXPECT_EQ(e->GetSelLength(), 0);
  Press(VK_END);
  Type("!");
  EXPECT_EQ(Text(e), "hello!");
  Press(VK_LEFT, true);
  Type("?");
  EXPECT_EQ(Text(e), "hello?");
  // Typing makes the value only when it is validated, on leaving or Enter.
  EXPECT_TRUE(e->GetDisplayValueModified());
}

TEST_F(TextEdit, AKeyThePlatformEditIgnoresStillReachesTheEditor) {
  TcxTextEdit* e = AddText(10);
  e->SetFocus();
  Type("ab");
  Press(VK_HOME);
  log.Take();
  Press(VK_LEFT);
  EXPECT_EQ(log.Take(), L({"keyDown:37", "after:37"}));
  Press(VK_RIGHT);
  EXPECT_EQ(log.Take(), L({"keyDown:39"}));
  // Up and Down have no meaning in one line: the editor's handler gets them instead.
  Press(VK_DOWN);
  EXPECT_EQ(log.Take(), L({"keyDown:40", "after:40"}));
}

TEST_F(TextEdit, MouseDragSelects) {
  TcxTextEdit* e = AddText(10);
  // Even advances: a point one pixel into a character stands before it.
  e->GetStyle()->GetFont()->SetName(kTestFaceName);
  e->SetEditValue(Variant("drag me"));
  e->SetFocus();
  Pump();
  const HWND h = Inner(e);
  host().MouseDown(h, XOf(e, 1) + 1, 5);
  host().MouseMove(h, XOf(e, 4) + 1, 5);
  host().MouseUp(h, XOf(e, 4) + 1, 5);
  Pump();
  EXPECT_EQ(e->GetSelStart(), 1);
  EXPECT_EQ(e->GetSelLength(), 3);
  // The editor hears the inner edit's mouse in its own coordinates.
  e->OnMouseDown = {&listener, &TTextListener::HMouseDown};
  e->OnDblClick = {&listener, &TTextListener::HDblClick};
  log.Take();
  host().DoubleClick(h, 3, 4);
  Pump();
  const TRect r = e->InnerTextEdit()->GetBoundsRect();
  const std::string down = "down:" + std::to_string(3 + r.Left) + "," + std::to_string(4 + r.Top);
  EXPECT_EQ(log.Take(), L({down.c_str(), "dblClick", down.c_str()}));
  EXPECT_EQ(e->GetSelText(), "drag") << "a double click selects the word";
}

TEST_F(TextEdit, ClipboardKeysAndOneLevelUndo) {
  TcxTextEdit* e = AddText(10);
  e->SetFocus();
  Type("abcdef");
  e->SetSelStartAndLength(1, 2);
  Ctrl('C');
  EXPECT_EQ(Clipboard->GetAsText(), "bc");
  EXPECT_EQ(Text(e), "abcdef");
  Ctrl('X');
  EXPECT_EQ(Text(e), "adef");
  Press(VK_END);
  Ctrl('V');
  EXPECT_EQ(Text(e), "adefbc");
  // Shift+Insert pastes once, without coming back to the editor again.
  host().KeyDown(VK_SHIFT);
  host().Key(VK_INSERT);
  host().KeyUp(VK_SHIFT);
  Pump();
  EXPECT_EQ(Text(e), "adefbcbc");
  Ctrl('Z');
  EXPECT_EQ(Text(e), "adefbc");
  // Undo of the undo brings the paste back.
  Ctrl('Z');
  EXPECT_EQ(Text(e), "adefbcbc");
}

TEST_F(TextEdit, PastingKeepsToOneLineAndTheMaximumLength) {
  TcxTextEdit* e = AddText(10);
  e->GetTextProperties()->SetMaxLength(5);
  e->SetFocus();
  Type("abc");
  PutClipboard("defgh");
  Ctrl('V');
  EXPECT_EQ(Text(e), "abcde");
  const size_t beeps = UserBeeps().size();
  Type("x");
  EXPECT_EQ(Text(e), "abcde");
  EXPECT_EQ(UserBeeps().size(), beeps + 1);
  e->SelectAll();
  PutClipboard("one\r\ntwo");
  Ctrl('V');
  EXPECT_EQ(Text(e), "one");
  // From code as well: the text stops at the line break.
  e->SelectAll();
  e->PasteFromClipboard();
  EXPECT_EQ(Text(e), "one");
}

TEST_F(TextEdit, ReadOnlyRefusesEditsButCopies) {
  TcxTextEdit* e = AddText(10);
  e->SetEditValue(Variant("fixed"));
  e->GetTextProperties()->SetReadOnly(true);
  e->SetFocus();
  e->SelectAll();
  PutClipboard("other");
  log.Take();
  Type("z");
  Ctrl('V');
  Press(VK_DELETE);
  EXPECT_EQ(Text(e), "fixed");
  // A cut that reaches a read-only editor only copies.
  SendMessageA(Inner(e), WM_CUT, 0, 0);
  EXPECT_EQ(Clipboard->GetAsText(), "fixed");
  EXPECT_EQ(Text(e), "fixed");
  for (const std::string& s : log.Take()) EXPECT_NE(s, "change");
}

TEST_F(TextEdit, PasswordEchoAndCharacterCase) {
  TcxTextEdit* e = AddText(10);
  TcxTextEditProperties* p = e->GetTextProperties();
  p->SetEchoMode(TcxEditEchoMode::eemPassword);
  EXPECT_EQ(SendMessageA(Inner(e), EM_GETPASSWORDCHAR, 0, 0), '*');
  p->SetPasswordChar('#');
  EXPECT_EQ(SendMessageA(Inner(e), EM_GETPASSWORDCHAR, 0, 0), '#');
  e->SetFocus();
  Type("pw");
  e->SelectAll();
  PutClipboard("kept");
  Ctrl('C');
  EXPECT_EQ(Clipboard->GetAsText(), "kept");
  p->SetEchoMode(TcxEditEchoMode::eemNormal);
  EXPECT_EQ(SendMessageA(Inner(e), EM_GETPASSWORDCHAR, 0, 0), 0);

  // The case applies to the text there is and to what is typed.
  p->SetCharCase(TEditCharCase::ecUpperCase);
  Press(VK_END);
  Type("aB");
  EXPECT_EQ(Text(e), "PWAB");
  p->SetCharCase(TEditCharCase::ecLowerCase);
  EXPECT_EQ(Text(e), "pwab");
}

TEST_F(TextEdit, TypedCharacterEventsInOrder) {
  TcxTextEdit* e = AddText(10);
  e->SetFocus();
  Pump();
  log.Take();
  Press('X');
  // The key itself changes nothing (its character does): the after-key-down handler hears it.
  EXPECT_EQ(log.Take(), L({"keyDown:88", "after:88", "keyPress:120", "editing", "change", "valueChanged"}));
  Press('Y');
  EXPECT_EQ(log.Take(), L({"keyDown:89", "after:89", "keyPress:121", "change", "valueChanged"}));
  EXPECT_EQ(Text(e), "xy");
  // Setting the value from code: one of each, and nothing counts as edited.
  e->SetEditValue(Variant("code"));
  EXPECT_EQ(log.Take(), L({"change", "valueChanged"}));
  EXPECT_FALSE(e->GetEditModified());
  EXPECT_EQ(Text(e), "code");
}

TEST_F(TextEdit, WindowTextMessages) {
  TcxTextEdit* e = AddText(10);
  e->SetEditValue(Variant("abc"));
  const HWND h = e->GetHandle();
  char buf[8] = "zzzzzzz";
  EXPECT_EQ(SendMessageA(h, WM_GETTEXT, 0, LPARAM(buf)), 0);
  EXPECT_EQ(buf[0], 'z');
  EXPECT_EQ(SendMessageA(h, WM_GETTEXT, 5, 0), 0);
  EXPECT_EQ(SendMessageA(h, WM_GETTEXT, 1, LPARAM(buf)), 0);
  EXPECT_EQ(buf[0], 0);
  EXPECT_EQ(SendMessageA(h, WM_GETTEXT, 3, LPARAM(buf)), 2);
  EXPECT_STREQ(buf, "ab");
  EXPECT_EQ(SendMessageA(h, WM_GETTEXT, 4, LPARAM(buf)), 3);
  EXPECT_STREQ(buf, "abc");
  EXPECT_EQ(SendMessageA(h, WM_GETTEXTLENGTH, 0, 0), 3);
  EXPECT_EQ(SendMessageA(h, WM_SETTEXT, 0, LPARAM("new\r\nline")), 1);
  EXPECT_EQ(Text(e), "new");
}

TEST_F(TextEdit, InAFormTabEnterAndEscape) {
  TClickCounter ok, cancel;
  AddButton(10, true, false, ok);
  AddButton(50, false, true, cancel);
  TcxTextEdit* a = AddText(10);
  TcxTextEdit* b = AddText(40);
  a->SetEditValue(Variant("first"));
  a->SetFocus();
  Pump();
  Press(VK_TAB);
  EXPECT_TRUE(b->IsFocused());
  EXPECT_FALSE(a->IsFocused());
  // Escape with the text changed puts the value back; the form's cancel button stays idle.
  Press(VK_TAB, true);
  EXPECT_TRUE(a->IsFocused());
  Press(VK_END);
  Type("x");
  Press(VK_ESCAPE);
  EXPECT_EQ(Text(a), "first");
  EXPECT_EQ(cancel.Count, 0);
  // Unmodified, Escape and Enter belong to the dialog's buttons.
  Press(VK_ESCAPE);
  EXPECT_EQ(cancel.Count, 1);
  Press(VK_RETURN);
  EXPECT_EQ(ok.Count, 1);
}

// Focus that reaches the editor's window from outside (a form focusing its active control
// as it activates, again after a dialog was hidden) is an entry: with AutoSelect the whole
// text is selected, so typing replaces it. Focusing from code through the inner edit's own
// safe path leaves the selection alone.
TEST_F(TextEdit, FocusFromOutsideSelectsTheTextWithAutoSelect) {
  TcxTextEdit* a = AddText(10);
  TcxTextEdit* b = AddText(40);
  a->SetEditValue(Variant("hello"));
  b->SetFocus();
  Pump();
  auto selection = [&] { return std::pair(a->GetSelStart(), a->GetSelLength()); };
  // The container's window is focused: the focus goes on to the inner edit, text selected.
  ::SetFocus(a->GetHandle());
  Pump();
  EXPECT_EQ(GetFocus(), Inner(a));
  EXPECT_EQ(selection(), std::pair(0, 5));
  Type("hi");
  EXPECT_EQ(Text(a), "hi");
  // The form left for another window and then focusing its active control again (no entry
  // of the form's own runs, the edit being its focused control still): the same.
  TCustomForm* other = TCustomForm::CreateNew(nullptr);
  other->SetBounds(300, 300, 100, 100);
  other->Show();
  other->SetFocus();
  Pump();
  a->SetSelStartAndLength(1, 0);
  ::SetFocus(Inner(a));
  Pump();
  other->Free();
  EXPECT_EQ(selection(), std::pair(0, 2));
  // The safe path from code selects nothing.
  b->SetFocus();
  Pump();
  a->SetSelStartAndLength(1, 0);
  a->InnerTextEdit()->SafelySetFocus();
  Pump();
  EXPECT_EQ(std::tuple(GetFocus() == Inner(a), a->GetSelStart(), a->GetSelLength()), std::tuple(true, 1, 0));
}

TEST_F(TextEdit, EnterBeepsOnlyWhenAskedTo) {
  TcxTextEdit* e = AddText(10);
  e->SetFocus();
  size_t beeps = UserBeeps().size();
  Press(VK_RETURN);
  EXPECT_EQ(UserBeeps().size(), beeps + 1);
  e->SetBeepOnEnter(false);
  beeps = UserBeeps().size();
  Press(VK_RETURN);
  EXPECT_EQ(UserBeeps().size(), beeps);
}

TEST_F(TextEdit, RegisteredWithItsCaption) {
  TcxRegisteredClasses* r = GetRegisteredEditProperties();
  const Integer i = r->GetIndexByClass(&TcxTextEditProperties::StaticClass());
  ASSERT_GE(i, 0);
  EXPECT_EQ(r->Descriptions(i), "Represents a single line text editor");
  EXPECT_EQ(r->Names(i), "TextEdit");
  EXPECT_EQ(&FindClass("TcxTextEdit"), &TcxTextEdit::StaticClass());
  TcxTextEditProperties* p = New<TcxTextEditProperties>(nullptr);
  EXPECT_EQ(p->GetContainerClass().Class, &TcxTextEdit::StaticClass());
  p->Free();
}

TEST_F(TextEdit, InPlacePaintedWithoutAWindowThenActivatedByAClickThatPlacesTheCaret) {
  Owned<TcxTextEditProperties> p(New<TcxTextEditProperties>(nullptr));
  const Variant value(String("cell text"));
  // A host paints its cells with the properties' view, on its own canvas.
  Owned<TcxContainerStyles> styles(New<TcxContainerStyles>(nullptr, cxEditStyleClassOf<TcxEditStyle>()));
  Owned<TBitmap> bmp(New<TBitmap>());
  bmp->SetSize(120, 21);
  Owned<TcxCanvas> canvas(New<TcxCanvas>(bmp->Canvas()));
  canvas->GetBrush()->SetColor(clFuchsia);
  canvas->FillRect({0, 0, 120, 21});
  {
    Owned<TcxCustomTextEditViewData> vd(static_cast<TcxCustomTextEditViewData*>(
        p->CreateViewData(static_cast<TcxCustomEditStyle*>(styles->Style()), true)));
    Owned<TcxCustomEditViewInfo> vi(static_cast<TcxCustomEditViewInfo*>(p->GetViewInfoClass().Create()));
    vd->Calculate(*canvas, {0, 0, 120, 21}, {-1, -1}, TcxMouseButton::cxmbNone, {}, vi.get(), false);
    vd->EditValueToDrawValue(*canvas, value, vi.get());
    vi->Paint(*canvas);
    EXPECT_EQ(static_cast<TcxCustomTextEditViewInfo*>(vi.get())->Text, "cell text");
  }
  int inked = 0, fuchsia = 0;
  for (int x = 0; x < 120; ++x)
    for (int y = 0; y < 21; ++y) {
      const COLORREF c = COLORREF(bmp->Canvas()->GetPixel(x, y));
      // Text on a bitmap is smoothed: count the dark pixels.
      inked += (c & 0xFF) < 0x80 && ((c >> 8) & 0xFF) < 0x80;
      fuchsia += c == ColorToRGB(clFuchsia);
    }
  EXPECT_GT(inked, 20);
  EXPECT_EQ(fuchsia, 0) << "the whole cell is painted";

  Owned<TcxInplaceEditList> list(New<TcxInplaceEditList>());
  auto* e = dynamic_cast<TcxTextEdit*>(list->GetEdit(p.get()));
  ASSERT_NE(e, nullptr);
  EXPECT_TRUE(e->IsInplace());
  e->SetParent(form);
  e->SetBounds(10, 10, 120, 21);
  e->GetStyle()->GetFont()->SetName(kTestFaceName);
  e->SetEditValue(value);
  const LONG_PTR proc = GetWindowLongPtrA(Inner(e), GWLP_WNDPROC);
  const int x = e->InnerTextEdit()->GetLeft() + XOf(e, 4) + 1;
  TcxCustomEditData* data = nullptr;
  e->ActivateByMouse({TShiftStateItem::ssLeft}, x, 10, data);
  host().MouseUp(Inner(e), x - e->InnerTextEdit()->GetLeft(), 5);
  Pump();
  EXPECT_TRUE(e->IsFocused());
  EXPECT_EQ(e->GetSelStart(), 4);
  EXPECT_EQ(e->InnerTextEdit()->GetCaretCharIndex(), 4);
  EXPECT_EQ(GetWindowLongPtrA(Inner(e), GWLP_WNDPROC), proc);
  // In place, the platform edit takes every key, Enter and Escape included.
  EXPECT_TRUE(SendMessageA(Inner(e), WM_GETDLGCODE, 0, 0) & DLGC_WANTALLKEYS);
  Type("_");
  EXPECT_EQ(Text(e), "cell_ text");
}

TEST_F(TextEdit, PixelsInEachLookFocusedAndNot) {
  TcxTextEdit* e = AddText(10);
  TcxTextEdit* other = AddText(50);
  // A face drawn without smoothing: its ink is the text colour itself.
  e->GetStyle()->GetFont()->SetName(kTestFaceName);
  e->SetEditValue(Variant(String("Hg")));
  auto px = [&](int x, int y) { return host().PixelAt(e->GetHandle(), x, y) & 0xFFFFFF; };
  auto rgb = [](TColor c) {
    const COLORREF v = ColorToRGB(c);
    return Pixel(((v & 0xFF) << 16) | (v & 0xFF00) | ((v >> 16) & 0xFF));
  };
  using B = TcxContainerBorderStyle;
  // The second ring of the frame tells the looks apart. Focused, the look is the focused
  // style's: single and flat frames thicken (into thick and 3-D ones), the flat modern looks
  // light up. A one-pixel border leaves the outer ring of the transparent border to the
  // parent's colour.
  const struct {
    B Border;
    TColor Outer, Inner, FocusedOuter, FocusedInner;
  } looks[] = {{B::cbsSingle, clBtnFace, clWindowFrame, clWindowFrame, clWindowFrame},
               {B::cbsFlat, clBtnShadow, clBtnFace, clBtnShadow, cl3DDkShadow},
               {B::cbs3D, clBtnShadow, cl3DDkShadow, clBtnShadow, cl3DDkShadow},
               {B::cbsUltraFlat, clBtnShadow, cl3DDkShadow, clHighlight, cl3DDkShadow},
               {B::cbsOffice11, clBtnShadow, cl3DDkShadow, clHighlight, cl3DDkShadow}};
  const int mid = 10;
  for (const auto& look : looks) {
    e->GetStyle()->SetBorderStyle(look.Border);
    for (bool focused : {false, true}) {
      SCOPED_TRACE(std::to_string(Ord(look.Border)) + (focused ? " focused" : ""));
      (focused ? static_cast<TWinControl*>(e) : other)->SetFocus();
      Pump();
      EXPECT_EQ(px(0, mid), rgb(focused ? look.FocusedOuter : look.Outer));
      EXPECT_EQ(px(1, mid), rgb(focused ? look.FocusedInner : look.Inner));
      // Inside the frame: the text on the window colour, highlighted while focused (all selected).
      int ink = 0, highlight = 0;
      for (int x = 2; x < 30; ++x)
        for (int y = 2; y < e->GetHeight() - 2; ++y) {
          ink += px(x, y) == rgb(clWindowText);
          highlight += px(x, y) == rgb(clHighlight);
        }
      EXPECT_GT(focused ? highlight : ink, 10);
      // Focused, the only dark pixels are the caret's column.
      EXPECT_LE(focused ? ink : highlight, focused ? e->GetHeight() - 4 : 0);
      EXPECT_EQ(px(e->GetWidth() - 6, mid), rgb(clWindow));
      // The platform edit shows the text: the view draws neither text nor focus frame under it.
      EXPECT_TRUE(static_cast<TcxCustomTextEditViewInfo*>(e->EditViewInfo())->InnerEditShowsText);
    }
  }
}

// The mouse leaving the inner edit reaches the editor (its parent) first: the editor's
// OnMouseLeave may free it, with the inner edit, from inside the inner edit's own message.
// The window text set by message, and the focus given from code, each reach a handler that
// frees the editor (OnChange, OnEnter): nothing after it touches the editor or its inner edit.
TEST_F(TextEdit, TextSetByMessageOrFocusFromCodeEndsWhereAHandlerFreesTheEditor) {
  for (bool focus : {false, true}) {
    SCOPED_TRACE(focus ? "SafelySetFocus" : "WM_SETTEXT");
    TcxTextEdit* keeper = AddText(40);
    TcxTextEdit* e = AddText(10);
    keeper->SetFocus();
    Pump();
    TNotifyFreer freer;
    freer.Victim = e;
    if (focus)
      e->OnEnter = {&freer, &TNotifyFreer::HNotify};
    else
      e->GetProperties()->OnChange = {&freer, &TNotifyFreer::HNotify};
    TWeakLink link(e);
    if (focus)
      e->InnerTextEdit()->SafelySetFocus();
    else
      SendMessageA(e->GetHandle(), WM_SETTEXT, 0, LPARAM("new"));
    Pump();
    EXPECT_FALSE(link.Alive());
    EXPECT_EQ(freer.Runs, 1);
    keeper->Free();
    Pump();
  }
}

// Each change that places the inner edit again (a property, the style's colour, the editor's
// bounds, entering and leaving) runs the inner edit's OnResize, which frees the editor there.
TEST_F(TextEdit, PlacingTheInnerEditEndsWhereItsOnResizeFreesTheEditor) {
  for (int way = 0; way < 5; ++way) {
    SCOPED_TRACE(way);
    TcxTextEdit* keeper = AddText(40);
    TcxTextEdit* e = AddText(10);
    (way == 4 ? static_cast<TWinControl*>(e) : keeper)->SetFocus();
    Pump();
    TNotifyFreer freer;
    freer.Victim = e;
    // Out of its place, so the next placing moves it.
    e->InnerTextEdit()->SetBounds(0, 0, 7, 7);
    e->InnerTextEdit()->OnResize = {&freer, &TNotifyFreer::HNotify};
    TWeakLink link(e);
    if (way == 0) e->GetProperties()->SetReadOnly(true);
    if (way == 1) e->GetStyle()->SetColor(clYellow);
    if (way == 2) e->SetBounds(10, 10, 140, 21);
    if (way == 3) e->SetFocus();
    if (way == 4) keeper->SetFocus();
    Pump();
    EXPECT_FALSE(link.Alive());
    EXPECT_EQ(freer.Runs, 1);
    keeper->Free();
    Pump();
  }
}

namespace {
struct TKeyPressOpen : TcxTextEdit {
  using TcxTextEdit::DoEditKeyPress;
};
struct TRaisingEditing : TObject {
  void HEditing(TObject*, bool&) { throw EAbort("refused"); }
};
}  // namespace

// An OnEditing that raises while a key is typed leaves the inner edit taking the next key as
// typed, not as one the editor spent.
TEST_F(TextEdit, AKeyWhoseHandlerRaisesLeavesTheInnerEditUnmarked) {
  TcxTextEdit* e = AddText(10);
  TRaisingEditing raising;
  e->OnEditing = {&raising, &TRaisingEditing::HEditing};
  e->InnerTextEdit()->SetInternalUpdating(false);
  Char key = 'a';
  EXPECT_THROW((e->*(&TKeyPressOpen::DoEditKeyPress))(key), EAbort);
  EXPECT_FALSE(e->InnerTextEdit()->GetInternalUpdating());
}

TEST_F(TextEdit, AnOnMouseLeaveHandlerMayFreeTheEditorAsTheMouseLeavesItsInnerEdit) {
  TcxTextEdit* e = AddText(10);
  host().MouseMove(Inner(e), 5, 5);
  Pump();
  TNotifyFreer freer;
  freer.Victim = e;
  e->OnMouseLeave = {&freer, &TNotifyFreer::HNotify};
  TWeakLink link(e);
  host().MouseMove(form->Handle(), 200, 150);
  Pump();
  EXPECT_FALSE(link.Alive());
  EXPECT_EQ(freer.Runs, 1);
  // The form goes on taking the mouse.
  host().MouseMove(form->Handle(), 210, 150);
  Pump();
}

}  // namespace

namespace {

TEST_F(TextEdit, TypingCompletesFromTheLookupItems) {
  TcxTextEdit* e = AddText(10);
  TcxTextEditProperties* p = e->GetTextProperties();
  p->GetLookupItems()->Add("Apple");
  p->GetLookupItems()->Add("Apricot");
  p->GetLookupItems()->Add("Banana");
  e->SetFocus();
  Type("ap");
  // The item's own letters, and the rest of it selected.
  EXPECT_EQ(Text(e), "Apple");
  EXPECT_EQ(e->GetSelStart(), 2);
  EXPECT_EQ(e->GetSelLength(), 3);
  Type("r");
  EXPECT_EQ(Text(e), "Apricot");
  EXPECT_EQ(e->GetSelText(), "icot");
  // Backspace steps the typed part back and looks it up again.
  host().Char(8);
  Pump();
  EXPECT_EQ(Text(e), "Apple");
  EXPECT_EQ(e->GetSelText(), "ple");
  // No item starts so: the character replaces the completion as typed.
  Type("x");
  EXPECT_EQ(Text(e), "Apx");
  // Typing in the middle of the text completes nothing.
  Press(VK_HOME);
  Type("b");
  EXPECT_EQ(Text(e), "bApx");
  EXPECT_TRUE(e->GetDisplayValueModified());
}

// The keys the editor leaves reach the inner edit's own handlers; a key it takes does not.
TEST_F(TextEdit, TheInnerEditHearsTheKeysTheEditorLeaves) {
  TcxTextEdit* e = AddText(10);
  TTextListener inner(&log);
  e->InnerTextEdit()->OnKeyDown = {&inner, &TTextListener::HKeyDown};
  e->InnerTextEdit()->OnKeyUp = {&inner, &TTextListener::HKeyUp};
  e->SetFocus();
  Pump();
  log.Take();
  Press('A');
  EXPECT_EQ(log.Take(), L({"keyDown:65", "keyDown:65", "after:65", "keyPress:97", "editing", "change",
                           "valueChanged", "keyUp:65"}));
  // Up is the editor's: it goes to the after-key-down handler, not to the inner edit.
  Press(VK_UP);
  EXPECT_EQ(log.Take(), L({"keyDown:38", "after:38", "keyUp:38"}));
}

TEST_F(TextEdit, InnerEditDialogCodesAndIme) {
  TcxTextEdit* e = AddText(10);
  const HWND h = Inner(e);
  EXPECT_TRUE(SendMessageA(h, WM_GETDLGCODE, 0, 0) & DLGC_WANTTAB);
  host().KeyDown(VK_CONTROL);
  Pump();
  EXPECT_FALSE(SendMessageA(h, WM_GETDLGCODE, 0, 0) & DLGC_WANTTAB) << "Ctrl+Tab leaves the editor";
  host().KeyUp(VK_CONTROL);
  Pump();
  EXPECT_FALSE(SendMessageA(h, WM_GETDLGCODE, 0, 0) & DLGC_WANTALLKEYS);
  EXPECT_EQ(e->InnerTextEdit()->GetCaretCharIndex(), 0) << "empty text";

  e->SetEditValue(Variant(String("abcdef")));
  e->SetFocus();
  e->SetSelStartAndLength(2, 1);
  // The selection set while an IME character is delivered is the one in force after it.
  listener.SelectOnPress = e;
  SendMessageA(h, WM_IME_CHAR, 'q', 0);
  listener.SelectOnPress = nullptr;
  EXPECT_EQ(Text(e), "abqdef");
  EXPECT_EQ(e->GetSelStart(), 0);
  EXPECT_EQ(e->GetSelLength(), 1);
  EXPECT_EQ(e->InnerTextEdit()->GetImeLastChar(), Char(0));
  Press(VK_END);
  EXPECT_EQ(e->InnerTextEdit()->GetCaretCharIndex(), Integer(Text(e).size()));
}

// A kind that steps through its items, as the drop-down editors do.
class TSteppingTextEdit : public TcxTextEdit {
  TL_CLASS(TSteppingTextEdit, TcxTextEdit)
 public:
  using TcxTextEdit::TcxTextEdit;
  bool CanNavigateLookupItems(bool) const override { return true; }
};
TL_DEFINE_CLASS(TSteppingTextEdit, [](auto&) {});

TEST_F(TextEdit, KindsThatNavigateStepTheItemsWithKeysAndWheel) {
  auto* e = New<TSteppingTextEdit>(form);
  e->SetBounds(10, 10, 121, 21);
  e->SetParent(form);
  e->OnAfterKeyDown = {&listener, &TTextListener::HAfterKeyDown};
  for (const char* item : {"one", "two", "three"}) e->GetTextProperties()->GetLookupItems()->Add(item);
  e->SetFocus();
  Pump();
  Press(VK_DOWN);
  EXPECT_EQ(Text(e), "one");
  Press(VK_DOWN);
  EXPECT_EQ(Text(e), "two");
  EXPECT_TRUE(e->GetDisplayValueModified());
  host().KeyDown(VK_CONTROL);
  Press(VK_NEXT);
  host().KeyUp(VK_CONTROL);
  Pump();
  EXPECT_EQ(Text(e), "three");
  log.Take();
  // At the end without wrapping: the key goes to the editor's handler instead.
  Press(VK_DOWN);
  EXPECT_EQ(Text(e), "three");
  EXPECT_EQ(log.Take(), L({"after:40"}));
  host().Wheel(e->GetHandle(), 5, 5, WHEEL_DELTA);
  Pump();
  EXPECT_EQ(Text(e), "two");
}

TEST_F(TextEdit, AStepWhoseClickFailsLeavesTheChangeEventsUnlocked) {
  auto* e = New<TSteppingTextEdit>(form);
  e->SetBounds(10, 10, 121, 21);
  e->SetParent(form);
  e->GetProperties()->OnChange = {&listener, &TTextListener::HChange};
  for (const char* item : {"one", "two", "three"})
    e->GetTextProperties()->GetLookupItems()->Add(item);
  e->SetFocus();
  Pump();
  log.Take();
  e->OnClick = {&listener, &TTextListener::HClickFails};
  EXPECT_THROW(e->GoLookup(cxLookupGoNext), Exception);
  EXPECT_EQ(Text(e), "one");
  EXPECT_EQ(log.Take(), L({"click"}));
  // Typing afterwards is heard at once: the step's lock on the change events went with it.
  e->OnClick = nullptr;
  Type("x");
  EXPECT_EQ(log.Take(), L({"change"}));
}

TEST_F(TextEdit, RightAlignedTextIsEditedFromTheLeftWhenAsked) {
  TcxTextEdit* e = AddText(10);
  TcxTextEditProperties* p = e->GetTextProperties();
  auto style = [&] { return DWORD(GetWindowLongA(Inner(e), GWL_STYLE)); };
  p->GetAlignment()->SetHorz(TAlignment::taRightJustify);
  EXPECT_EQ(e->InnerTextEdit()->GetAlignment(), TAlignment::taLeftJustify);
  EXPECT_FALSE(style() & ES_RIGHT);
  p->SetUseLeftAlignmentOnEditing(false);
  EXPECT_EQ(e->InnerTextEdit()->GetAlignment(), TAlignment::taRightJustify);
  EXPECT_TRUE(style() & ES_RIGHT);
  EXPECT_FALSE(style() & WS_BORDER);
  // A new window keeps the text.
  e->SetEditValue(Variant(String("kept")));
  p->GetAlignment()->SetHorz(TAlignment::taCenter);
  EXPECT_TRUE(style() & ES_CENTER);
  EXPECT_EQ(Text(e), "kept");
}

// A numeric kind that groups digits while editing.
class TGroupingProperties : public TcxTextEditProperties {
  TL_CLASS(TGroupingProperties, TcxTextEditProperties)
 public:
  using TcxTextEditProperties::TcxTextEditProperties;
  bool IsDigitGroupingWhileEditing() const override { return true; }
  bool IsEditValueNumeric() const override { return true; }
};
TL_DEFINE_CLASS(TGroupingProperties, [](auto&) {});

class TGroupingEdit : public TcxTextEdit {
  TL_CLASS(TGroupingEdit, TcxTextEdit)
 public:
  using TcxTextEdit::TcxTextEdit;
  TcxCustomEditPropertiesClass GetPropertiesClass() override {
    return ClassOf<TGroupingProperties, TcxCustomEditProperties, TPersistent*>();
  }
};
TL_DEFINE_CLASS(TGroupingEdit, [](auto&) {});

TEST_F(TextEdit, TypedNumbersAreRegroupedKeepingTheCaretAtItsDigit) {
  const TFormatSettings saved = FormatSettings;
  FormatSettings.ThousandSeparator = ',';
  FormatSettings.DecimalSeparator = '.';
  auto* e = New<TGroupingEdit>(form);
  e->SetParent(form);
  e->SetFocus();
  Type("1234");
  EXPECT_EQ(Text(e), "1,234");
  EXPECT_EQ(e->GetSelStart(), 5);
  // Typed in the middle: the caret stays after the digit typed.
  Press(VK_HOME);
  Press(VK_RIGHT);
  Type("5");
  EXPECT_EQ(Text(e), "15,234");
  AddText(50)->SetFocus();
  Pump();
  EXPECT_EQ(e->GetSelStart(), 2);
  // Unfocused, the value shows in the display format, following its changes at once.
  e->SetEditValue(Variant(5.0));
  e->GetTextProperties()->SetDisplayFormat("0.00");
  EXPECT_EQ(Text(e), "5.00");
  e->GetTextProperties()->SetDisplayFormat("0.0");
  EXPECT_EQ(Text(e), "5.0");
  FormatSettings = saved;
}

TEST_F(TextEdit, ReadFromAWindowDescription) {
  const char* text =
      "object Dialog: TForm\n"
      "  object eName: TcxTextEdit\n"
      "    BeepOnEnter = False\n"
      "    Properties.EchoMode = eemPassword\n"
      "    Properties.MaxLength = 4\n"
      "  end\n"
      "end\n";
  Owned<TMemoryStream> binary(New<TMemoryStream>());
  ObjectTextToBinary(text, *binary);
  binary->SetPosition(0);
  TForm* dialog = TForm::CreateNew(Application);
  binary->ReadComponent(dialog);
  auto* e = dynamic_cast<TcxTextEdit*>(dialog->FindComponent("eName"));
  ASSERT_NE(e, nullptr);
  EXPECT_FALSE(e->GetBeepOnEnter());
  EXPECT_EQ(SendMessageA(Inner(e), EM_GETPASSWORDCHAR, 0, 0), '*');
  EXPECT_EQ(SendMessageA(Inner(e), EM_GETLIMITTEXT, 0, 0), 4);
  dialog->Free();
}

TEST_F(TextEdit, InputMethodSettingsReachTheEditorItself) {
  TcxTextEdit* e = AddText(10);
  EXPECT_EQ(e->GetImeMode(), TImeMode::imDontCare);
  e->GetTextProperties()->SetImeMode(TImeMode::imSKata);
  e->GetTextProperties()->SetImeName("kana");
  EXPECT_EQ(e->GetImeMode(), TImeMode::imSKata);
  EXPECT_EQ(e->GetImeName(), "kana");
  EXPECT_EQ(e->InnerTextEdit()->GetImeMode(), TImeMode::imSKata);
  EXPECT_EQ(e->InnerTextEdit()->GetImeName(), "kana");
  e->GetTextProperties()->SetImeMode(TImeMode::imDontCare);
  e->GetTextProperties()->SetImeName("");
  EXPECT_EQ(e->GetImeMode(), TImeMode::imDontCare);
  EXPECT_EQ(e->GetImeName(), "");
}

}  // namespace
