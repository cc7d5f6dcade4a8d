// The editor control's keys, focus order and activation inside a host: dialog keys the
// editor leaves to the form, Escape reset, Tab, the clear and click keys, button hot keys,
// activation by key and by mouse.
#include "tests/editcore/EditControlTestSupport.h"

namespace {

using EditKeys = EditControlTest;

TEST_F(EditKeys, EnterAndEscapeReachTheDialogButtonsUnlessTheEditorUsesThem) {
  TClickCounter ok, cancel;
  AddButton(10, true, false, ok);
  AddButton(50, false, true, cancel);
  TValueEdit* e = AddEdit(10);
  e->SetEditValue(Variant("old"));
  e->SetFocus();
  log.Take();

  // Nothing typed: both keys belong to the dialog.
  Press(VK_RETURN);
  Press(VK_ESCAPE);
  EXPECT_EQ(ok.Count, 1);
  EXPECT_EQ(cancel.Count, 1);
  EXPECT_EQ(log.Take(), L({}));

  // Typed: Escape restores the value once, its character is swallowed, the next Escape is the
  // dialog's.
  Type("new");
  log.Take();
  Press(VK_ESCAPE);
  EXPECT_EQ(cancel.Count, 1);
  EXPECT_EQ(log.Take(), L({"selectAll", "change:old", "valueChanged:old"}));
  EXPECT_EQ(e->Inner()->GetText(), "old");
  Press(VK_ESCAPE);
  EXPECT_EQ(cancel.Count, 2);

  // Validating on Enter, a typed text keeps Enter from the default button; an untouched one does
  // not.
  e->Props()->SetValidateOnEnter(true);
  Type("x");
  log.Take();
  Press(VK_RETURN);
  EXPECT_EQ(ok.Count, 1);
  EXPECT_EQ(log.Take(), L({"validate:x", "post:x", "change:x", "valueChanged:x", "keyPress:13"}));
  Press(VK_RETURN);
  EXPECT_EQ(ok.Count, 2);
}

TEST_F(EditKeys, TabAndShiftTabFollowTheTabOrderCountedFromTheEditor) {
  TValueEdit* a = AddEdit(10, "a");
  TValueEdit* b = AddEdit(40, "b");
  auto* plain = New<TEdit>(form);
  plain->SetBounds(10, 70, 100, 21);
  plain->SetParent(form);
  AddEdit(100, "c");
  a->SetFocus();
  log.Take();
  Press(VK_TAB);
  EXPECT_TRUE(b->IsFocused());
  Press(VK_TAB);
  EXPECT_TRUE(plain->Focused());
  Press(VK_TAB);
  Press(VK_TAB, true);
  Press(VK_TAB, true);
  EXPECT_TRUE(b->IsFocused());
  EXPECT_EQ(log.Take(), L({"a:exit", "b:enter", "a:keyPress:9", "b:exit", "b:keyPress:9", "c:enter",
                           "c:exit", "c:keyPress:9", "b:enter"}));
}

TEST_F(EditKeys, TabWithNoOtherTabStopKeepsTheFocus) {
  TValueEdit* e = AddEdit(10);
  e->SetFocus();
  log.Take();
  Press(VK_TAB);
  EXPECT_TRUE(e->IsFocused());
  EXPECT_EQ(log.Take(), L({"keyPress:9"}));
}

TEST_F(EditKeys, TheClearKeyEmptiesTheValueAsTheUsersChange) {
  TValueEdit* e = AddEdit(10);
  e->Props()->SetClearKey(ShortCut(VK_DELETE, {TShiftStateItem::ssCtrl}));
  e->SetEditValue(Variant("full"));
  e->SetFocus();
  log.Take();
  host().KeyDown(VK_CONTROL);
  Press(VK_DELETE);
  host().KeyUp(VK_CONTROL);
  Pump();
  EXPECT_EQ(log.Take(), L({"editing", "editMode", "change:", "valueChanged:"}));
  EXPECT_EQ(e->EditValue().VType(), varEmpty);
  EXPECT_TRUE(e->GetDisplayValueModified());
  EXPECT_TRUE(e->IsValidated());
}

TEST_F(EditKeys, TheClickKeyClicksTheDefaultButtonAndRemovesOnlyItsOwnCharacter) {
  TValueEdit* e = AddEdit(10);
  TcxEditButtons* buttons = e->Props()->GetButtons();
  buttons->Add();
  buttons->Add()->SetDefault(true);
  e->SetFocus();
  log.Take();
  const HWND inner = e->Inner()->GetHandle();
  PostMessageA(inner, WM_CHAR, 10, 0);
  PostMessageA(inner, WM_CHAR, 'q', 0);
  Word key = VK_RETURN;
  e->KeyDown(key, {TShiftStateItem::ssCtrl});
  EXPECT_EQ(key, 0);
  EXPECT_EQ(log.Take(), L({"button:1"}));
  Pump();
  EXPECT_EQ(e->Inner()->GetText(), "q");
  log.Take();

  // A quit request waiting in the queue stays there.
  PostMessageA(inner, WM_CHAR, 10, 0);
  PostQuitMessage(3);
  key = VK_RETURN;
  e->KeyDown(key, {TShiftStateItem::ssCtrl});
  MSG m{};
  ASSERT_TRUE(PeekMessageA(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(m.wParam, WPARAM(3));
  EXPECT_FALSE(PeekMessageA(&m, inner, WM_CHAR, WM_CHAR, PM_NOREMOVE));
  log.Take();

  // Without a default button the key passes on.
  buttons->Items(1)->SetDefault(false);
  key = VK_RETURN;
  e->KeyDown(key, {TShiftStateItem::ssCtrl});
  EXPECT_EQ(key, VK_RETURN);
  EXPECT_EQ(log.Take(), L({}));
}

TEST_F(EditKeys, ClipboardMessagesFollowReadOnly) {
  TValueEdit* e = AddEdit(10);
  log.Take();
  e->Perform(WM_CUT);
  e->Perform(WM_COPY);
  e->Perform(WM_PASTE);
  EXPECT_EQ(log.Take(), L({"cut*", "copy", "paste*"}));
  e->Props()->SetReadOnly(true);
  log.Take();
  e->Perform(WM_CUT);
  e->Perform(WM_PASTE);
  EXPECT_EQ(log.Take(), L({"copy*"}));
}

TEST_F(EditKeys, AButtonHotKeyClicksAnEnabledButton) {
  TValueEdit* e = AddEdit(10);
  TcxEditButtons* buttons = e->Props()->GetButtons();
  buttons->Add()->SetCaption("&Go");
  buttons->Items(0)->SetKind(TcxEditButtonKind::bkText);
  log.Take();
  EXPECT_EQ(e->Perform(CM_DIALOGCHAR, 'g'), 1);
  buttons->Items(0)->SetEnabled(false);
  EXPECT_EQ(e->Perform(CM_DIALOGCHAR, 'g'), 0);
  EXPECT_EQ(log.Take(), L({"button:0"}));
}

TEST_F(EditKeys, AnInplaceEditorIsKeptPerPropertiesAndStartsWithTheActivatingKey) {
  Owned<TValueEditProperties> pa(New<TValueEditProperties>(nullptr));
  Owned<TValueEditProperties> pb(New<TValueEditProperties>(nullptr));
  pa->SetValidateOnEnter(true);
  Owned<TcxInplaceEditList> list(New<TcxInplaceEditList>());
  auto* e = static_cast<TValueEdit*>(list->GetEdit(pa.get()));
  EXPECT_EQ(list->GetEdit(pa.get()), e);
  auto* other = static_cast<TValueEdit*>(list->GetEdit(pb.get()));
  EXPECT_NE(other, e);
  EXPECT_EQ(list->Count(), 2);
  EXPECT_TRUE(e->IsInplace());
  EXPECT_FALSE(e->GetVisible());
  EXPECT_TRUE(e->GetProperties()->GetValidateOnEnter());
  for (TValueEdit* x : {e, other}) {
    x->SetParent(form);
    x->SetBounds(10, x == e ? 10 : 50, 120, 21);
  }
  e->Listen(&log);
  const LONG_PTR before = GetWindowLongPtrA(e->Inner()->GetHandle(), GWLP_WNDPROC);
  const LONG_PTR otherBefore = GetWindowLongPtrA(other->Inner()->GetHandle(), GWLP_WNDPROC);
  TcxCustomEditData* data = nullptr;
  e->ActivateByKey('k', data);
  EXPECT_TRUE(e->GetVisible());
  EXPECT_TRUE(e->IsFocused());
  EXPECT_EQ(e->Inner()->GetText(), "k");
  // In place, edit mode is the host's: OnEditing only.
  EXPECT_EQ(log.Take(),
            L({"enter", "selectAll", "keyPress:107", "editing", "change:k", "valueChanged:"}));
  EXPECT_NE(std::find(e->Hooked.begin(), e->Hooked.end(), UINT(WM_CHAR)), e->Hooked.end());
  EXPECT_EQ(GetWindowLongPtrA(e->Inner()->GetHandle(), GWLP_WNDPROC), before);
  EXPECT_EQ(GetWindowLongPtrA(other->Inner()->GetHandle(), GWLP_WNDPROC), otherBefore);
  EXPECT_TRUE(other->Hooked.empty());
  // Enter posts in place through the host's handler.
  Press(VK_RETURN);
  EXPECT_EQ(log.Take(),
            L({"validate:k", "inplacePost:k", "change:k", "valueChanged:k", "keyPress:13"}));
  EXPECT_FALSE(e->GetEditModified());
  list->RemoveItem(pb.get());
  EXPECT_EQ(list->Count(), 1);
}

TEST_F(EditKeys, ActivationByMouseReplaysTheClickAndASecondClickIsADoubleClick) {
  Owned<TValueEditProperties> p(New<TValueEditProperties>(nullptr));
  Owned<TcxInplaceEditList> list(New<TcxInplaceEditList>());
  auto* e = static_cast<TValueEdit*>(list->GetEdit(p.get()));
  e->SetParent(form);
  e->SetBounds(10, 10, 120, 21);
  e->Listen(&log);
  TcxCustomEditData* data = nullptr;
  e->ActivateByMouse({TShiftStateItem::ssLeft}, 30, 10, data);
  const TRect r = e->Inner()->GetBoundsRect();
  ASSERT_EQ(e->Inner()->Mouse.size(), 1u);
  EXPECT_EQ(e->Inner()->Mouse[0],
            "down " + std::to_string(30 - r.Left) + "," + std::to_string(10 - r.Top));
  // The replayed press took the capture although the button is up: it is let go.
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_TRUE(e->ClickTimerRunning());
  log.Take();
  SendMessageA(e->GetHandle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 1));
  SendMessageA(e->GetHandle(), WM_LBUTTONUP, 0, MAKELPARAM(1, 1));
  EXPECT_EQ(log.Take(), L({"dblClick"}));
  EXPECT_FALSE(e->ClickTimerRunning());

  // Once the double-click time has passed, a click is a click.
  e->ActivateByMouse({}, 30, 10, data);
  EXPECT_EQ(e->Inner()->Mouse.back().substr(0, 3), "up ");
  host().Advance(GetDoubleClickTime());
  EXPECT_FALSE(e->ClickTimerRunning());
  log.Take();
  SendMessageA(e->GetHandle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 1));
  SendMessageA(e->GetHandle(), WM_LBUTTONUP, 0, MAKELPARAM(1, 1));
  EXPECT_EQ(log.Take(), L({}));
}

TEST_F(EditKeys, ADoubleClickOnAButtonClicksItAgainInsteadOfADoubleClick) {
  TValueEdit* e = AddEdit(10);
  e->Props()->GetButtons()->Add()->SetKind(TcxEditButtonKind::bkEllipsis);
  host().PumpUntilIdle();
  ASSERT_EQ(e->EditViewInfo()->ButtonsInfo.size(), 1u);
  const TRect b = e->EditViewInfo()->ButtonsInfo[0]->VisibleBounds;
  const TPoint c{(b.Left + b.Right) / 2, (b.Top + b.Bottom) / 2};
  log.Take();
  host().DoubleClick(e->GetHandle(), c.X, c.Y);
  Pump();
  EXPECT_EQ(log.Take(), L({"enter", "button:0", "button:0"}));
  // Beside the buttons a double click stays one.
  const TRect inner = e->Inner()->GetBoundsRect();
  host().DoubleClick(e->GetHandle(), inner.Left - 1 >= 0 ? inner.Left - 1 : 0, c.Y);
  Pump();
  EXPECT_EQ(log.Take(), L({"dblClick"}));
}

// Kept as it is: closing a dialog with OK validates without an error box, so a text that
// fails validation is dropped silently while the dialog reports success.
TEST_F(EditKeys, ClosingAModalDialogWithOkValidatesSilently) {
  TCustomForm* dlg = TCustomForm::CreateNew(nullptr);
  dlg->SetBounds(100, 100, 300, 200);
  auto* e = New<TValueEdit>(dlg);
  e->SetBounds(10, 10, 120, 21);
  e->SetParent(dlg);
  e->Listen(&log);
  e->SetEditValue(Variant("old"));
  e->InvalidText = "bad";
  host().WhenIdle([&] {
    e->SetFocus();
    host().Text("bad");
    host().WhenIdle([&] { dlg->SetModalResult(mrOk); });
  });
  log.Take();
  EXPECT_EQ(dlg->ShowModal(), mrOk);
  EXPECT_TRUE(TakeExceptions().empty());
  const std::vector<std::string> heard = log.Take();
  EXPECT_NE(std::find(heard.begin(), heard.end(), "validate:bad"), heard.end());
  EXPECT_EQ(e->EditValue().AsString(), "old");
  EXPECT_EQ(e->Binding()->Stored.VType(), varEmpty);
  dlg->Free();
}

}  // namespace
