// The drop-downs of the specialised editors as the user meets them with the mouse and the
// keys: the image combo box's list keeps the focus in the edit, scrolls when dragged past its
// edge and closes on what the release decides; the calendar, the calculator and the blob
// edit's popup take the focus while open and give it back to the edit when they close; a
// cancel puts back what the edit held; and a second choice after leaving and coming back is
// the value as the first was.
#include "tests/editors/DropDownTestSupport.h"
#include "widgets/special/cxBlobEdit.h"
#include "widgets/special/cxCalcEdit.h"
#include "widgets/special/cxDateEdit.h"
#include "widgets/special/cxImageComboBox.h"

namespace {

TDateTime D(Word y, Word m, Word d) { return EncodeDate(y, m, d); }

class DropDownUserTest : public DropDownTest {
 protected:
  void SetUp() override {
    DropDownTest::SetUp();
    FormatSettings = DefaultFormatSettings();
    cxImageComboBox::Initialize();
    cxDateEdit::Initialize();
    cxCalcEdit::Initialize();
    cxBlobEdit::Initialize();
  }
  void TearDown() override {
    if (form) form->DestroyComponents();
    host().PumpUntilIdle();
    cxBlobEdit::Finalize();
    cxCalcEdit::Finalize();
    cxDateEdit::Finalize();
    cxImageComboBox::Finalize();
    DropDownTest::TearDown();
  }
  template <class E>
  E* Add() {
    auto* e = New<E>(form);
    e->SetBounds(10, 10, 150, 21);
    e->SetParent(form);
    host().PumpUntilIdle();
    return e;
  }
  void Focus(TWinControl* c) {
    c->SetFocus();
    host().PumpUntilIdle();
  }
  bool EditFocused(TcxCustomEdit* e) { return GetFocus() == e->InnerControl()->GetHandle(); }
  static TPoint Centre(const TRect& R) { return {(R.Left + R.Right) / 2, (R.Top + R.Bottom) / 2}; }
  void ClickIn(TWinControl* c, const TRect& R) {
    const TPoint p = Centre(R);
    host().MouseMove(c->GetHandle(), p.X, p.Y);
    host().Click(c->GetHandle(), p.X, p.Y);
    host().PumpUntilIdle();
  }
  // A focus-taking popup opened with F4; AScript runs inside its loop at the first idle point.
  void InPopup(std::function<void()> AScript) {
    host().WhenIdle(std::move(AScript));
    Key(VK_F4);
  }
};

// "Item 1" .. "Item 8", values 1 .. 8, three rows shown; the edit holds 2, focused.
class ImageComboUserTest : public DropDownUserTest {
 protected:
  TcxImageComboBox* AddEight() {
    auto* c = Add<TcxImageComboBox>();
    TcxCustomImageComboBoxProperties* p = c->GetProperties();
    for (int v = 1; v <= 8; ++v) {
      TcxImageComboBoxItem* item = p->GetItems()->Add();
      item->SetDescription("Item " + IntToStr(v));
      item->SetValue(v);
    }
    p->SetDropDownRows(3);
    events.Listen(p);
    c->SetEditValue(Variant(2));
    Focus(c);
    return c;
  }
  static Integer Value(TcxImageComboBox* c) {
    return VarIsNull(c->EditValue()) ? -1 : c->EditValue().AsInteger();
  }
};

TEST_F(ImageComboUserTest, AClickChoosesADragScrollsAndAReleaseBesideChoosesNothing) {
  TcxImageComboBox* c = AddEight();
  ClickButton(c);
  ASSERT_TRUE(c->GetDroppedDown());
  TcxCustomEditListBox* list = List(c);
  const HWND h = list->GetHandle();
  EXPECT_TRUE(EditFocused(c));
  // Pressed on the first row and dragged below the list: it scrolls toward the pointer.
  const TPoint first = Centre(list->ItemRect(0));
  host().MouseMove(h, first.X, first.Y);
  host().MouseDown(h, first.X, first.Y);
  host().MouseMove(h, first.X, list->GetClientHeight() + 4);
  host().Advance(50);
  EXPECT_EQ(list->GetItemIndex(), 4);
  EXPECT_TRUE(EditFocused(c));
  EXPECT_EQ(Text(c), "Item 2");
  // Released beside the list: the list closes choosing nothing.
  host().MouseUp(h, list->GetWidth() + 30, first.Y);
  host().PumpUntilIdle();
  EXPECT_FALSE(c->GetDroppedDown());
  EXPECT_EQ(events.Reason, TcxEditCloseUpReason::crCancel);
  EXPECT_EQ(Text(c), "Item 2");
  EXPECT_EQ(c->GetItemIndex(), 1);
  EXPECT_TRUE(EditFocused(c));
  // A click on a row chooses it.
  ClickButton(c);
  ClickIn(list, list->ItemRect(2));
  EXPECT_FALSE(c->GetDroppedDown());
  EXPECT_EQ(Text(c), "Item 3");
  EXPECT_TRUE(EditFocused(c));
  other->SetFocus();
  host().PumpUntilIdle();
  EXPECT_EQ(Value(c), 3);
}

// The fixed list searches what is typed: Escape in the open list puts back the item it
// opened on; chosen again after leaving, each choice is the value.
TEST_F(ImageComboUserTest, EscapePutsBackTheItemAndEveryChoiceIsTheValue) {
  TcxImageComboBox* c = AddEight();
  Key(VK_F4);
  Type("Item 5");
  ASSERT_TRUE(c->GetDroppedDown());
  Key(VK_DOWN);
  Key(VK_ESCAPE);
  EXPECT_FALSE(c->GetDroppedDown());
  EXPECT_EQ(Text(c), "Item 2");
  EXPECT_FALSE(c->GetEditModified());
  for (int pick : {6, 4, 7}) {
    SCOPED_TRACE(pick);
    Focus(c);
    ClickButton(c);
    ASSERT_TRUE(c->GetDroppedDown());
    TcxCustomEditListBox* list = List(c);
    list->SetTopIndex(pick - 2);
    ClickIn(list, list->ItemRect(pick - 1));
    EXPECT_EQ(Text(c), "Item " + IntToStr(pick));
    EXPECT_TRUE(EditFocused(c));
    other->SetFocus();
    host().PumpUntilIdle();
    EXPECT_EQ(Value(c), pick);
    host().Advance(GetDoubleClickTime() + 1);
  }
}

// The calendar takes the focus while open; a day clicked closes it, the focus back in the
// edit; the arrows page without closing; Escape after moving the day leaves the value and
// the marks; a day chosen after leaving and coming back is the value.
TEST_F(DropDownUserTest, TheCalendarGivesTheFocusBackAndEveryChosenDayIsTheValue) {
  auto* e = Add<TcxDateEdit>();
  events.Listen(e->GetDateEditProperties());
  e->SetDate(D(2026, 3, 5));
  Focus(e);
  TcxPopupCalendar* cal = e->Calendar();
  bool focusedInPopup = false, openAfterArrow = false;
  TDateTime firstAfterArrow;
  InPopup([&] {
    focusedInPopup = GetFocus() == cal->GetHandle();
    ClickIn(cal, cal->ArrowRect(1));
    openAfterArrow = e->GetDroppedDown();
    firstAfterArrow = cal->GetFirstDate();
    host().Key(VK_LEFT);
    host().Key(VK_ESCAPE);
  });
  host().PumpUntilIdle();
  EXPECT_TRUE(focusedInPopup);
  EXPECT_TRUE(openAfterArrow);
  EXPECT_EQ(firstAfterArrow, D(2026, 4, 1));
  EXPECT_FALSE(e->GetDroppedDown());
  EXPECT_EQ(events.Reason, TcxEditCloseUpReason::crCancel);
  EXPECT_EQ(e->GetDate(), D(2026, 3, 5));
  EXPECT_FALSE(e->GetEditModified());
  EXPECT_TRUE(EditFocused(e));

  for (int col : {2, 4}) {
    SCOPED_TRACE(col);
    Focus(e);
    InPopup([&] { ClickIn(cal, cal->CellRect(col, 3)); });
    host().PumpUntilIdle();
    EXPECT_FALSE(e->GetDroppedDown());
    EXPECT_EQ(events.Reason, TcxEditCloseUpReason::crEnter);
    EXPECT_TRUE(EditFocused(e));
    const TDateTime chosen = e->GetDate();
    EXPECT_NE(chosen, D(2026, 3, 5));
    other->SetFocus();
    host().PumpUntilIdle();
    EXPECT_EQ(e->GetDate(), chosen);
    EXPECT_DOUBLE_EQ(e->EditValue().AsDouble(), chosen.Value);
    host().Advance(GetDoubleClickTime() + 1);
  }
}

// An OnPopup handler that frees the date edit or the calculator edit as its popup shows
// ends it there: nothing after it touches the edit's calendar or calculator.
TEST_F(DropDownUserTest, AnOnPopupHandlerFreeingTheEditEndsThere) {
  for (bool calendar : {true, false}) {
    SCOPED_TRACE(calendar);
    TcxCustomDropDownEdit* e = calendar ? static_cast<TcxCustomDropDownEdit*>(Add<TcxDateEdit>())
                                        : static_cast<TcxCustomDropDownEdit*>(Add<TcxCalcEdit>());
    Focus(e);
    TDropDownFreer freer;
    freer.Victim = e;
    static_cast<TcxCustomDropDownEditProperties*>(e->GetProperties())->OnPopup = {
        &freer, &TDropDownFreer::Notify};
    TWeakLink edit(e);
    // Were the popup left open, this ends its loop.
    InPopup([this, &edit] {
      if (edit.Alive()) host().Key(VK_ESCAPE);
    });
    while (host().PendingScripts() > 0) host().WaitForInput(std::nullopt);
    host().PumpUntilIdle();
    EXPECT_FALSE(edit.Alive());
    EXPECT_EQ(freer.Runs, 1);
    if (edit.Alive()) e->Free();
  }
}

// The calculator: its buttons clicked, then Enter; the focus is the edit's again; a second
// calculation after leaving is the value as the first was; Escape after clicking buttons
// puts back the text and the marks.
TEST_F(DropDownUserTest, TheCalculatorGivesTheFocusBackAndEveryResultIsTheValue) {
  auto* e = Add<TcxCalcEdit>();
  events.Listen(e->GetCalcEditProperties());
  e->SetValue(6);
  Focus(e);
  TcxPopupCalculator* calc = e->Calculator();
  auto press = [&](std::initializer_list<TcxCalcButtonKind> AKinds) {
    for (TcxCalcButtonKind k : AKinds) ClickIn(calc, calc->Button(k).Bounds);
  };
  bool focusedInPopup = false;
  InPopup([&] {
    focusedInPopup = GetFocus() == calc->GetHandle();
    press({TcxCalcButtonKind::cbMul, TcxCalcButtonKind::cbNum2, TcxCalcButtonKind::cbEqual});
    host().Key(VK_RETURN);
  });
  host().PumpUntilIdle();
  EXPECT_TRUE(focusedInPopup);
  EXPECT_FALSE(e->GetDroppedDown());
  EXPECT_EQ(Text(e), "12");
  EXPECT_TRUE(EditFocused(e));
  other->SetFocus();
  host().PumpUntilIdle();
  EXPECT_EQ(e->GetValue(), 12);

  Focus(e);
  InPopup([&] {
    press({TcxCalcButtonKind::cbAdd, TcxCalcButtonKind::cbNum3, TcxCalcButtonKind::cbEqual});
    host().Key(VK_RETURN);
  });
  host().PumpUntilIdle();
  EXPECT_TRUE(EditFocused(e));
  other->SetFocus();
  host().PumpUntilIdle();
  EXPECT_EQ(e->GetValue(), 15);

  Focus(e);
  const bool modified = e->GetEditModified();
  InPopup([&] {
    press({TcxCalcButtonKind::cbNum9});
    host().Key(VK_ESCAPE);
  });
  host().PumpUntilIdle();
  EXPECT_EQ(events.Reason, TcxEditCloseUpReason::crCancel);
  EXPECT_EQ(Text(e), "15");
  EXPECT_FALSE(e->GetDisplayValueModified());
  EXPECT_EQ(e->GetEditModified(), modified);
  EXPECT_TRUE(EditFocused(e));
}

// The blob edit's memo: OK clicked or Escape pressed, the focus is the edit's again.
TEST_F(DropDownUserTest, TheBlobPopupGivesTheFocusBackOnOkAndOnEscape) {
  auto* e = Add<TcxBlobEdit>();
  e->GetProperties()->SetBlobEditKind(TcxBlobEditKind::bekMemo);
  events.Listen(e->GetProperties());
  e->SetEditValue(Variant("first"));
  Focus(e);
  String expected = "first";
  for (const char* typed : {"second", "", "third"}) {
    const bool ok = *typed != 0;
    SCOPED_TRACE(typed);
    bool memoFocused = false;
    InPopup([&] {
      memoFocused = IsChild(e->PopupWindow()->GetHandle(), GetFocus());
      host().Text(ok ? typed : "dropped");
      host().PumpUntilIdle();
      if (ok)
        host().Click(e->OkButton()->GetHandle(), 5, 5);
      else
        host().Key(VK_ESCAPE);
    });
    host().PumpUntilIdle();
    EXPECT_TRUE(memoFocused);
    EXPECT_FALSE(e->GetDroppedDown());
    EXPECT_TRUE(EditFocused(e));
    if (ok) expected = typed;
    EXPECT_EQ(VarToStr(e->EditValue()), expected);
    other->SetFocus();
    host().PumpUntilIdle();
    Focus(e);
  }
}

}  // namespace
