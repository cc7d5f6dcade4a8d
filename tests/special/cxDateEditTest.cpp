// The date edit: text to date and back by kind and input kind, smart words, what a text that
// is no date becomes, the bounds, the kept time of day, and dates chosen in the drop-down
// calendar. The locale is the built-in one (month/day/year) and today is 18 March 2026.
#include "classlib/core/FormText.h"
#include "classlib/core/Streams.h"
#include "tests/editors/DropDownTestSupport.h"
#include "widgets/editcore/cxFormats.h"
#include "widgets/special/cxDateEdit.h"

namespace {

using enum TcxInputKind;
using enum TDateOnError;
using enum TcxCalendarKind;

TDateTime D(Word y, Word m, Word d) { return EncodeDate(y, m, d); }
double DT(Word y, Word m, Word d, Word h, Word n) { return D(y, m, d).Value + EncodeTime(h, n, 0, 0).Value; }

class DateEdit : public DropDownTest {
 protected:
  void SetUp() override {
    DropDownTest::SetUp();
    FormatSettings = DefaultFormatSettings();
    cxDateEdit::Initialize();
    const double target = D(2026, 3, 18).Value + 0.5 - D(2026, 1, 1).Value;
    for (UInt64 ms = UInt64(target * 86400000.0); ms > 0;) {
      const DWORD step = DWORD(std::min<UInt64>(ms, 86400000));
      Clock().Advance(step);
      ms -= step;
    }
  }
  void TearDown() override {
    cxDateEdit::Finalize();
    DropDownTest::TearDown();
  }
  TcxDateEdit* Add(TcxInputKind AInput = ikStandard, bool AFocus = true) {
    auto* e = New<TcxDateEdit>(form);
    e->SetBounds(10, 10, 150, 21);
    e->SetParent(form);
    P(e)->SetInputKind(AInput);
    events.Listen(P(e));
    host().PumpUntilIdle();
    if (AFocus) {
      e->SetFocus();
      host().PumpUntilIdle();
    }
    return e;
  }
  static TcxDateEditProperties* P(TcxDateEdit* e) { return e->GetDateEditProperties(); }
  // A focused masked date-and-time edit holding AValue.
  TcxDateEdit* AddDateTime(double AValue) {
    TcxDateEdit* e = Add(ikMask);
    P(e)->GetAssignedValues()->RestoreDefaults();
    P(e)->SetKind(ckDateTime);
    e->SetEditValue(Variant(TDateTime(AValue)));
    host().PumpUntilIdle();
    return e;
  }
  void Retype(TcxDateEdit* e, const char* s) {
    e->SelectAll();
    Type(s);
  }
  // Validates and posts what was typed; false when validation refused it.
  bool Post(TcxDateEdit* e) {
    if (!e->ValidateDisplayText(false)) return false;
    e->PostEditValue(false);
    return true;
  }
  static String Validate(TcxDateEdit* e, const char* s, bool& AError) {
    Variant v{String(s)};
    String text;
    AError = false;
    P(e)->ValidateDisplayValue(v, text, AError, e);
    return AError ? text : VarToStr(v);
  }
};

TEST_F(DateEdit, TypedDatesAndSmartWords) {
  TcxDateEdit* e = Add();
  Retype(e, "3/5/2026");
  ASSERT_TRUE(Post(e));
  EXPECT_EQ(e->GetDate(), D(2026, 3, 5));
  Retype(e, "today+1");
  ASSERT_TRUE(Post(e));
  EXPECT_EQ(e->GetDate(), D(2026, 3, 19));
  Retype(e, "eom");
  ASSERT_TRUE(Post(e));
  EXPECT_EQ(e->GetDate(), D(2026, 3, 31));
  other->SetFocus();
  host().PumpUntilIdle();
  EXPECT_EQ(Text(e), "3/31/2026");
  e->SetFocus();
  host().PumpUntilIdle();
  e->SelectAll();
  Key(VK_DELETE);
  ASSERT_TRUE(Post(e));
  EXPECT_TRUE(VarIsNull(e->EditValue())) << "an empty text clears the date";
  EXPECT_EQ(e->GetDate().Value, NullDate);
}

TEST_F(DateEdit, TextThatIsNoDateByDateOnError) {
  TcxDateEdit* e = Add();
  bool error = false;
  EXPECT_EQ(Validate(e, "5/40/2026", error), "Invalid Date");
  EXPECT_TRUE(error) << "deNoChange keeps the error";
  P(e)->SetDateOnError(deToday);
  EXPECT_EQ(Validate(e, "nonsense", error), "3/18/2026");
  EXPECT_FALSE(error);
  P(e)->SetKind(ckDateTime);
  P(e)->SetInputKind(ikStandard);
  EXPECT_EQ(Validate(e, "nonsense", error), "3/18/2026 12:00:00 PM") << "now, in the date-and-time kind";
  P(e)->SetKind(ckDate);
  P(e)->SetDateOnError(deNull);
  EXPECT_EQ(Validate(e, "nonsense", error), "");
  EXPECT_FALSE(error);

  // Values that are no dates show nothing and never raise: text, and numbers past the range.
  for (const Variant& v : {Variant(String("no date")), Variant(1e10), Variant(-1e7), Variant(true)}) {
    Variant shown;
    EXPECT_NO_THROW(P(e)->PrepareDisplayValue(v, shown, false));
    EXPECT_EQ(VarToStr(shown), "") << VarToStr(v);
    Variant copy = v;
    EXPECT_FALSE(P(e)->IsEditValueValid(copy, false)) << VarToStr(v);
  }
}

TEST_F(DateEdit, BoundsInForceOnlyWhenTheyMakeARange) {
  TcxDateEdit* e = Add();
  P(e)->SetMinDate(D(2026, 1, 1));
  EXPECT_TRUE(P(e)->IsMinDateActive());
  EXPECT_FALSE(P(e)->IsMaxDateActive());
  bool error = false;
  EXPECT_EQ(Validate(e, "12/31/2025", error), "Value out of bounds");
  EXPECT_TRUE(error);
  EXPECT_EQ(Validate(e, "1/1/2099", error), "1/1/2099");
  EXPECT_FALSE(error) << "no upper bound";
  P(e)->SetMaxDate(D(2025, 6, 1));
  EXPECT_FALSE(P(e)->IsMinDateActive()) << "MinDate >= MaxDate: no bound at all";
  EXPECT_EQ(Validate(e, "12/31/2025", error), "12/31/2025");
  EXPECT_FALSE(error);
  P(e)->SetMaxDate(D(2026, 6, 1));
  EXPECT_EQ(Validate(e, "7/1/2026", error), "Value out of bounds");
  // A value set from outside is brought within bounds that come into force.
  e->SetDate(D(2026, 8, 1));
  P(e)->SetMaxDate(D(2026, 7, 1));
  EXPECT_EQ(e->GetDate(), D(2026, 7, 1));
}

TEST_F(DateEdit, TheBoundsThemselvesAreAcceptedAndTheNextDaysOutsideAreNot) {
  TcxDateEdit* e = Add();
  P(e)->SetMinDate(D(2026, 1, 1));
  P(e)->SetMaxDate(D(2026, 6, 1));
  bool error = false;
  EXPECT_EQ(Validate(e, "6/1/2026", error), "6/1/2026");
  EXPECT_FALSE(error);
  EXPECT_EQ(Validate(e, "6/2/2026", error), "Value out of bounds");
  EXPECT_TRUE(error);
  EXPECT_EQ(Validate(e, "1/1/2026", error), "1/1/2026");
  EXPECT_FALSE(error);
  EXPECT_EQ(Validate(e, "12/31/2025", error), "Value out of bounds");
  EXPECT_TRUE(error);
  // Typed and posted the same way.
  Retype(e, "6/1/2026");
  EXPECT_TRUE(Post(e));
  EXPECT_EQ(e->GetDate(), D(2026, 6, 1));
  Retype(e, "6/2/2026");
  EXPECT_FALSE(Post(e));
  EXPECT_EQ(e->GetDate(), D(2026, 6, 1));
  Retype(e, "1/1/2026");
  EXPECT_TRUE(Post(e));
  EXPECT_EQ(e->GetDate(), D(2026, 1, 1));
}

TEST_F(DateEdit, KindDefaultsMasksAndAssignedValues) {
  TcxDateEdit* e = Add(ikRegExpr, false);
  P(e)->GetAssignedValues()->RestoreDefaults();
  TcxFormatController* c = cxGetFormatController();
  EXPECT_EQ(P(e)->GetInputKind(), ikRegExpr);
  EXPECT_EQ(P(e)->GetMaskKind(), TcxEditMaskKind::emkRegExprEx);
  EXPECT_EQ(P(e)->GetEditMask(), c->GetRegExprDateEditMask());
  EXPECT_EQ(P(e)->GetDateButtons(), (TDateButtons{TDateButton::btnClear, TDateButton::btnToday}));
  P(e)->SetKind(ckDateTime);
  EXPECT_EQ(P(e)->GetInputKind(), ikMask) << "unassigned, the kind decides";
  EXPECT_EQ(P(e)->GetMaskKind(), TcxEditMaskKind::emkStandard);
  EXPECT_EQ(P(e)->GetEditMask(), c->GetStandardDateTimeEditMask());
  EXPECT_EQ(P(e)->GetDateButtons(), (TDateButtons{TDateButton::btnClear, TDateButton::btnNow}));
  P(e)->SetDateButtons({TDateButton::btnToday});
  P(e)->SetInputKind(ikStandard);
  P(e)->SetKind(ckDate);
  EXPECT_EQ(P(e)->GetDateButtons(), TDateButtons{TDateButton::btnToday}) << "assigned values stay";
  EXPECT_EQ(P(e)->GetInputKind(), ikStandard);
  EXPECT_EQ(P(e)->GetEditMask(), "");
  P(e)->SetInputKind(ikMask);
  EXPECT_EQ(P(e)->GetEditMask(), c->GetStandardDateEditMask());
}

// The picture of a date and time is no regular expression, nor the other way round: every
// switch of kind and input kind lands on the format controller's mask of the new pair.
TEST_F(DateEdit, EveryInputKindFollowsEveryKind) {
  TcxDateEdit* e = Add(ikMask, false);
  e->SetDate(D(2026, 3, 5));
  TcxFormatController* c = cxGetFormatController();
  struct Step {
    TcxCalendarKind Kind;
    TcxInputKind Input;
    TcxEditMaskKind MaskKind;
    String Mask;
  };
  const Step steps[] = {
      {ckDateTime, ikMask, TcxEditMaskKind::emkStandard, c->GetStandardDateTimeEditMask()},
      {ckDateTime, ikRegExpr, TcxEditMaskKind::emkRegExprEx, c->GetRegExprDateTimeEditMask()},
      {ckDateTime, ikMask, TcxEditMaskKind::emkStandard, c->GetStandardDateTimeEditMask()},
      {ckDate, ikRegExpr, TcxEditMaskKind::emkRegExprEx, c->GetRegExprDateEditMask()},
      {ckDateTime, ikRegExpr, TcxEditMaskKind::emkRegExprEx, c->GetRegExprDateTimeEditMask()},
      {ckDateTime, ikStandard, TcxEditMaskKind::emkRegExprEx, ""},
      {ckDateTime, ikMask, TcxEditMaskKind::emkStandard, c->GetStandardDateTimeEditMask()},
      {ckDate, ikMask, TcxEditMaskKind::emkStandard, c->GetStandardDateEditMask()},
  };
  for (const Step& s : steps) {
    EXPECT_NO_THROW(P(e)->SetInputKind(s.Input)) << int(s.Kind) << int(s.Input);
    EXPECT_NO_THROW(P(e)->SetKind(s.Kind)) << int(s.Kind) << int(s.Input);
    EXPECT_EQ(P(e)->GetMaskKind(), s.MaskKind) << int(s.Kind) << int(s.Input);
    EXPECT_EQ(P(e)->GetEditMask(), s.Mask) << int(s.Kind) << int(s.Input);
    EXPECT_EQ(e->GetDate(), D(2026, 3, 5)) << int(s.Kind) << int(s.Input);
  }
}

TEST_F(DateEdit, PublishedPropertiesStreamUnderTheirNames) {
  const char* text =
      "object dlg: TForm\n"
      "  object deFrom: TcxDateEdit\n"
      "    Date = 46082.500000000000\n"
      "    Properties.AssignedValues.MaxDate = True\n"
      "    Properties.ImeName = 'pinyin'\n"
      "    Properties.MinDate = 46023.000000000000\n"
      "    Properties.PostPopupValueOnTab = True\n"
      "  end\n"
      "end\n";
  Owned<TMemoryStream> binary(New<TMemoryStream>());
  ObjectTextToBinary(text, *binary);
  binary->SetPosition(0);
  TForm* dialog = TForm::CreateNew(Application);
  binary->ReadComponent(dialog);
  auto* e = dynamic_cast<TcxDateEdit*>(dialog->FindComponent("deFrom"));
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(P(e)->GetMinDate(), D(2026, 1, 1));
  EXPECT_EQ(e->GetDate().Value, DT(2026, 3, 1, 12, 0));
  EXPECT_TRUE(P(e)->IsMinDateActive());
  EXPECT_TRUE(P(e)->DateValues()->GetMaxValue()) << "the MaxDate flag is the MaxValue flag";
  EXPECT_EQ(P(e)->GetImeName(), "pinyin");
  EXPECT_TRUE(P(e)->GetPostPopupValueOnTab());
  EXPECT_TRUE(P(e)->GetValidateOnEnter()) << "Enter validates a typed date by default";
  Owned<TMemoryStream> out(New<TMemoryStream>());
  out->WriteComponent(dialog);
  const String bytes(reinterpret_cast<const char*>(out->Memory()), size_t(out->GetSize()));
  EXPECT_NE(bytes.find("Properties.MinDate"), String::npos);
  EXPECT_NE(bytes.find("\x04" "Date"), String::npos);
  EXPECT_EQ(bytes.find("ValidateOnEnter"), String::npos) << "defaults are not written";
  dialog->Free();
}

TEST_F(DateEdit, SaveTimeKeepsTheTimeOfDay) {
  TcxDateEdit* e = Add();
  e->SetEditValue(Variant(TDateTime(DT(2026, 3, 5, 14, 30))));
  host().PumpUntilIdle();
  EXPECT_EQ(Text(e), "3/5/2026 2:30:00 PM") << "plain text shows a time there is";
  Retype(e, "3/6/2026");
  ASSERT_TRUE(Post(e));
  EXPECT_DOUBLE_EQ(e->EditValue().AsDouble(), DT(2026, 3, 6, 14, 30));
  P(e)->SetShowTime(false);
  other->SetFocus();
  host().PumpUntilIdle();
  EXPECT_EQ(Text(e), "3/6/2026") << "without ShowTime the time stays hidden";
  e->SetFocus();
  host().PumpUntilIdle();
  P(e)->SetSaveTime(false);
  e->SetEditValue(Variant(TDateTime(DT(2026, 3, 5, 14, 30))));
  Retype(e, "3/6/2026");
  ASSERT_TRUE(Post(e));
  EXPECT_DOUBLE_EQ(e->EditValue().AsDouble(), D(2026, 3, 6).Value);
}

TEST_F(DateEdit, ChosenFromTheCalendar) {
  TcxDateEdit* e = Add();
  e->SetEditValue(Variant(TDateTime(DT(2026, 3, 5, 9, 15))));
  host().PumpUntilIdle();
  TcxPopupCalendar* cal = nullptr;
  TDateTime shown;
  host().WhenIdle([&] {
    cal = e->Calendar();
    shown = cal->GetSelectDate();
    const TRect cell = cal->CellRect(2, 3);  // Tuesday 17 March
    host().Click(cal->GetHandle(), (cell.Left + cell.Right) / 2, (cell.Top + cell.Bottom) / 2);
  });
  Key(VK_F4);
  EXPECT_EQ(shown, D(2026, 3, 5)) << "the calendar opened on the date";
  EXPECT_FALSE(e->GetDroppedDown());
  EXPECT_EQ(events.Reason, TcxEditCloseUpReason::crEnter);
  EXPECT_DOUBLE_EQ(e->EditValue().AsDouble(), DT(2026, 3, 17, 9, 15)) << "the time of day survives";

  // Tab posts the day under the keys when the properties ask for it.
  P(e)->SetPostPopupValueOnTab(true);
  host().WhenIdle([&] {
    host().Key(VK_RIGHT);
    host().Key(VK_TAB);
  });
  Key(VK_F4);
  EXPECT_FALSE(e->GetDroppedDown());
  EXPECT_DOUBLE_EQ(e->EditValue().AsDouble(), DT(2026, 3, 18, 9, 15));

  // Dragged out of the calendar, even from a held arrow, the selection returns to the date.
  TDateTime dragged, returned;
  bool repeating = false;
  TPoint arrow;
  host().WhenIdle([&] {
    host().Key(VK_RIGHT);
    host().WhenIdle([&] {
      arrow = {(cal->ArrowRect(1).Left + cal->ArrowRect(1).Right) / 2, (cal->ArrowRect(1).Top + cal->ArrowRect(1).Bottom) / 2};
      host().MouseDown(cal->GetHandle(), arrow.X, arrow.Y);
      host().WhenIdle([&] {
        dragged = cal->GetSelectDate();
        repeating = cal->ArrowTimer()->GetEnabled();
        // What the calendar gets while it holds the mouse and the pointer is above-left of it.
        SendMessageA(cal->GetHandle(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(WORD(-20), WORD(-20)));
        returned = cal->GetSelectDate();
        host().MouseUp(cal->GetHandle(), arrow.X, arrow.Y);
        host().Key(VK_ESCAPE);
      });
    });
  });
  Key(VK_F4);
  EXPECT_FALSE(e->GetDroppedDown());
  EXPECT_TRUE(repeating);
  EXPECT_EQ(dragged, D(2026, 3, 19));
  EXPECT_EQ(returned, D(2026, 3, 18));

  // Escape leaves the value; Clear empties it.
  host().WhenIdle([&] { host().Key(VK_ESCAPE); });
  Key(VK_F4);
  EXPECT_EQ(events.Reason, TcxEditCloseUpReason::crCancel);
  EXPECT_DOUBLE_EQ(e->EditValue().AsDouble(), DT(2026, 3, 18, 9, 15));
  host().WhenIdle([&] { cal->DateButton(TDateButton::btnClear)->Click(); });
  Key(VK_F4);
  EXPECT_FALSE(e->GetDroppedDown());
  EXPECT_TRUE(VarIsNull(e->EditValue()));
}

TEST_F(DateEdit, EachInputKindTyped) {
  TcxDateEdit* m = Add(ikMask);
  EXPECT_EQ(Text(m), "  /  /    ") << "the empty standard mask";
  m->SelectAll();
  Type("03052026");
  EXPECT_EQ(Text(m), "03/05/2026");
  ASSERT_TRUE(Post(m));
  EXPECT_EQ(m->GetDate(), D(2026, 3, 5));
  // Emptied back to the bare mask, the text is no date at all, not a wrong one.
  P(m)->SetDateOnError(deToday);
  m->SelectAll();
  Key(VK_DELETE);
  EXPECT_EQ(Text(m), "  /  /    ");
  ASSERT_TRUE(Post(m));
  EXPECT_TRUE(VarIsNull(m->EditValue())) << "the empty mask is no date for deToday to replace";

  TcxDateEdit* r = Add(ikRegExpr);
  r->SelectAll();
  Type("tom");
  EXPECT_EQ(Text(r), "tomorrow") << "a smart word completes";
  ASSERT_TRUE(Post(r));
  EXPECT_EQ(r->GetDate(), D(2026, 3, 19));

  // Date and time through the standard mask: the time parts follow the time edit's rules.
  TcxDateEdit* t = AddDateTime(DT(2026, 3, 5, 9, 15));
  EXPECT_EQ(Text(t), "03/05/2026 09:15:00 AM");
  TcxDateEditTimePartInfo info;
  ASSERT_TRUE(P(t)->GetTimePartInfo(16, info));
  EXPECT_EQ(info.Kind, 1);
  EXPECT_EQ(info.Start, 15);
  EXPECT_EQ(info.Length, 2);
  ASSERT_TRUE(P(t)->GetTimePartInfo(21, info));
  EXPECT_EQ(info.Kind, 3);
  EXPECT_FALSE(P(t)->GetTimePartInfo(4, info)) << "the day is no time part";
  EXPECT_EQ(P(t)->GetTimePartBlankChar(12), '0');
  EXPECT_EQ(P(t)->GetTimePartBlankChar(22), Char(0));
  EXPECT_EQ(P(t)->GetTimePartBlankChar(11), ' ');
  EXPECT_FALSE(P(m)->GetTimePartInfo(1, info)) << "dates alone have no time parts";
  t->SetSelStart(11);
  Type("7");
  EXPECT_EQ(Text(t), "03/05/2026 07:15:00 AM") << "7 cannot start an hour: 07";
  t->SetSelStart(20);
  Type("p");
  EXPECT_EQ(Text(t), "03/05/2026 07:15:00 PM");
  ASSERT_TRUE(Post(t));
  EXPECT_DOUBLE_EQ(t->EditValue().AsDouble(), DT(2026, 3, 5, 19, 15));
}

// Deleting in a masked date-and-time text leaves the time digits "0" and the designator as it
// stands, so what is left still reads as a time; emptied to that, the text is no date.
TEST_F(DateEdit, DeletedTimePartsLeaveZeros) {
  TcxDateEdit* t = AddDateTime(DT(2026, 3, 5, 9, 15));
  t->SetSelStart(17);
  t->SetSelLength(2);
  Key(VK_DELETE);
  EXPECT_EQ(Text(t), "03/05/2026 09:15:00 AM");
  t->SetSelStart(14);
  t->SetSelLength(8);
  Key(VK_DELETE);
  EXPECT_EQ(Text(t), "03/05/2026 09:00:00 AM") << "the designator is never blanked";
  ASSERT_TRUE(Post(t));
  EXPECT_DOUBLE_EQ(t->EditValue().AsDouble(), DT(2026, 3, 5, 9, 0));
  t->SetSelStart(14);
  Key(VK_BACK);
  EXPECT_EQ(Text(t), "03/05/2026 00:00:00 AM");
  ASSERT_TRUE(Post(t)) << "a deleted 12-hour hour reads as twelve";
  EXPECT_DOUBLE_EQ(t->EditValue().AsDouble(), D(2026, 3, 5).Value);
  t->SetSelStart(3);
  t->SetSelLength(2);
  Key(VK_DELETE);
  EXPECT_EQ(Text(t), "03/  /2026 12:00:00 AM") << "date positions take the blank";
  t->SelectAll();
  Key(VK_DELETE);
  EXPECT_EQ(Text(t), "  /  /     00:00:00 AM");
  ASSERT_TRUE(Post(t));
  EXPECT_TRUE(VarIsNull(t->EditValue())) << "an emptied date with a zero time is no date";
  // A time left without its date is not the empty text, nor a date on the first day of the
  // calendar's count: it is no date.
  EXPECT_FALSE(t->IsEmptyDateText("  /  /     09:15:00 AM"));
  t->SetEditValue(Variant(TDateTime(DT(2026, 3, 5, 9, 15))));
  host().PumpUntilIdle();
  t->SetSelStart(0);
  t->SetSelLength(10);
  Key(VK_DELETE);
  EXPECT_EQ(Text(t), "  /  /     09:15:00 AM");
  EXPECT_FALSE(Post(t));
  EXPECT_DOUBLE_EQ(t->EditValue().AsDouble(), DT(2026, 3, 5, 9, 15));
  EXPECT_TRUE(t->IsEmptyDateText("  /  /       :  :     "));
  EXPECT_TRUE(t->IsEmptyDateText("  /  /     00:00:00 PM"));
}

TEST_F(DateEdit, DateAndTimeFromThePopup) {
  TcxDateEdit* e = AddDateTime(DT(2026, 3, 5, 9, 15));
  TcxPopupCalendar* cal = e->Calendar();
  bool okShown = false;
  // From a focused button of the calendar, Escape still closes the popup.
  host().WhenIdle([&] {
    okShown = cal->DateButton(TDateButton::btnOk)->GetVisible();
    cal->DateButton(TDateButton::btnOk)->SetFocus();
    host().Key(VK_ESCAPE);
  });
  Key(VK_F4);
  EXPECT_TRUE(okShown);
  EXPECT_FALSE(e->GetDroppedDown());
  EXPECT_EQ(events.Reason, TcxEditCloseUpReason::crCancel);
  // The time edit's time and the chosen day make the value.
  host().WhenIdle([&] {
    cal->TimeEdit()->SetTime(EncodeTime(18, 45, 0, 0));
    const TDateTime day = D(2026, 3, 20);
    const Integer i = Integer(day.Value - cal->GetFirstGridDate().Value);
    const TRect cell = cal->CellRect(i % 7, i / 7);
    host().DoubleClick(cal->GetHandle(), (cell.Left + cell.Right) / 2, (cell.Top + cell.Bottom) / 2);
  });
  Key(VK_F4);
  EXPECT_FALSE(e->GetDroppedDown());
  EXPECT_NEAR(e->EditValue().AsDouble(), DT(2026, 3, 20, 18, 45), 1e-9);
}

// The twelve-month list takes no activation: a month clicked in it moves the calendar and the
// drop-down stays open with the date as it was.
TEST_F(DateEdit, AMonthChosenInTheListKeepsThePopupOpen) {
  TcxDateEdit* e = Add();
  P(e)->SetYearsInMonthList(false);
  e->SetDate(D(2026, 3, 5));
  host().PumpUntilIdle();
  bool listShown = false, listClosed = false, open = false;
  TDateTime first;
  host().WhenIdle([&] {
    TcxPopupCalendar* cal = e->Calendar();
    const TRect r = cal->MonthCaptionRect();
    host().Click(cal->GetHandle(), (r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
    host().PumpUntilIdle();
    TMonthListBox* list = cal->MonthList();
    listShown = list->IsShown();
    const TRect may = list->ItemRect(4);
    host().MouseMove(list->GetHandle(), 20, (may.Top + may.Bottom) / 2);
    host().Click(list->GetHandle(), 20, (may.Top + may.Bottom) / 2);
    host().PumpUntilIdle();
    listClosed = !list->IsShown();
    first = cal->GetFirstDate();
    open = e->GetDroppedDown();
    if (open) host().Key(VK_ESCAPE);
  });
  Key(VK_F4);
  EXPECT_TRUE(listShown);
  EXPECT_TRUE(listClosed);
  EXPECT_EQ(first, D(2026, 5, 1));
  EXPECT_TRUE(open) << "the drop-down stays open";
  EXPECT_EQ(events.Reason, TcxEditCloseUpReason::crCancel);
  EXPECT_EQ(e->GetDate(), D(2026, 3, 5));
}

// In the calendar's time edit Escape first puts back a time being typed; once the time edit is
// untouched it closes the popup.
TEST_F(DateEdit, EscapeInThePopupsTimeEdit) {
  TcxDateEdit* e = Add(ikMask);
  P(e)->SetKind(ckDateTime);
  e->SetEditValue(Variant(TDateTime(DT(2026, 3, 5, 9, 15))));
  host().PumpUntilIdle();
  TcxPopupCalendar* cal = e->Calendar();
  String before, typed, afterEscape;
  bool openAfterEscape = false;
  host().WhenIdle([&] {
    TcxTimeEdit* t = cal->TimeEdit();
    t->SetFocus();
    host().PumpUntilIdle();
    before = t->InnerTextEdit()->GetText();
    t->SetSelStart(0);
    host().Char('1');
    host().PumpUntilIdle();
    typed = t->InnerTextEdit()->GetText();
    host().Key(VK_ESCAPE);
    host().PumpUntilIdle();
    afterEscape = t->InnerTextEdit()->GetText();
    openAfterEscape = e->GetDroppedDown();
    host().Key(VK_ESCAPE);
  });
  Key(VK_F4);
  EXPECT_NE(typed, before);
  EXPECT_EQ(afterEscape, before);
  EXPECT_TRUE(openAfterEscape);
  EXPECT_FALSE(e->GetDroppedDown());
  EXPECT_EQ(events.Reason, TcxEditCloseUpReason::crCancel);
  EXPECT_NEAR(e->EditValue().AsDouble(), DT(2026, 3, 5, 9, 15), 1e-9);
}

}  // namespace
