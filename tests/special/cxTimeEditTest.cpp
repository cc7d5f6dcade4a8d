// The time edit on a form: spin steps by the part under the caret (fast steps, noon
// crossing, the day's ends), typing into the digit and AM/PM parts, the texts by focus,
// the date part kept while the time changes, and the error for text that is no time.
#include "classlib/visual/Clipbrd.h"
#include "tests/editors/EditorsTestSupport.h"
#include "widgets/special/cxTimeEdit.h"

namespace {

using TF = TcxTimeEditTimeFormat;

class TimeEdit : public EditorsDialogTest {
 protected:
  void SetUp() override {
    EditorsDialogTest::SetUp();
    FormatSettings = DefaultFormatSettings();
    cxTimeEdit::Initialize();
  }
  void TearDown() override {
    cxTimeEdit::Finalize();
    EditorsDialogTest::TearDown();
    FormatSettings = DefaultFormatSettings();
  }
  TcxTimeEdit* Add(bool AFocus = true) {
    auto* e = New<TcxTimeEdit>(form);
    e->SetBounds(10, 10, 120, 21);
    e->SetParent(form);
    Show();
    if (AFocus) {
      e->SetFocus();
      Pump();
    }
    return e;
  }
  static TcxTimeEditProperties* P(TcxTimeEdit* e) { return e->GetTimeEditProperties(); }
  static String Text(TcxTimeEdit* e) { return e->InnerTextEdit()->GetText(); }
  void Caret(TcxTimeEdit* e, Integer APos) {
    e->SetSelStart(APos);
    Pump();
  }
  void Press(int VK) {
    host().Key(VK);
    Pump();
  }
};

TEST_F(TimeEdit, StepsFollowThePartUnderTheCaret) {
  TcxTimeEdit* e = Add();
  EXPECT_EQ(Text(e), "00:00:00");
  EXPECT_EQ(P(e)->GetEditMask(), "00:00:00;1;0");
  e->SetTime(EncodeTime(12, 55, 0, 0));
  Pump();
  Caret(e, 0);
  Press(VK_UP);
  EXPECT_EQ(Text(e), "13:55:00");
  Caret(e, 4);
  Press(VK_PRIOR);  // fast forward: ten minutes
  EXPECT_EQ(Text(e), "14:05:00");
  EXPECT_EQ(e->GetSelStart(), 4) << "the selection stays where it was";
  Caret(e, 7);
  Press(VK_DOWN);
  EXPECT_EQ(Text(e), "14:04:59");
  // The day's end: nothing past 23:59:59 unless circular.
  e->SetTime(EncodeTime(23, 55, 0, 0));
  Pump();
  Caret(e, 4);
  Press(VK_PRIOR);
  EXPECT_EQ(Text(e), "23:55:00");
  P(e)->SetCircular(true);
  Caret(e, 4);
  Press(VK_PRIOR);
  EXPECT_EQ(Text(e), "00:05:00");
  Caret(e, 7);
  Press(VK_DOWN);
  Press(VK_DOWN);
  Press(VK_DOWN);
  Press(VK_DOWN);
  Press(VK_DOWN);
  Press(VK_DOWN);
  EXPECT_EQ(Text(e), "00:04:54");
}

TEST_F(TimeEdit, TwelveHourDesignatorCrossesNoonAndKeepsTheDate) {
  TcxTimeEdit* e = Add();
  P(e)->SetUse24HourFormat(false);
  EXPECT_EQ(P(e)->GetEditMask(), "00:00:00 cc;1;0");
  e->SetEditValue(Variant(TDateTime(EncodeDate(2026, 3, 5).Value + EncodeTime(11, 30, 0, 0).Value)));
  Pump();
  EXPECT_EQ(Text(e), "11:30:00 AM");
  Caret(e, 9);
  Press(VK_UP);
  EXPECT_EQ(Text(e), "11:30:00 PM");
  Press(VK_UP);
  EXPECT_EQ(Text(e), "11:30:00 AM");
  Press(VK_DOWN);
  EXPECT_EQ(Text(e), "11:30:00 PM");
  e->PostEditValue(true);
  EXPECT_DOUBLE_EQ(e->EditValue().AsDouble(), EncodeDate(2026, 3, 5).Value + EncodeTime(23, 30, 0, 0).Value)
      << "the date part survives";
  EXPECT_NEAR(e->GetTime().Value, EncodeTime(23, 30, 0, 0).Value, 1e-9);
  e->SetTime(0.25);
  EXPECT_DOUBLE_EQ(e->EditValue().AsDouble(), EncodeDate(2026, 3, 5).Value + 0.25);
}

TEST_F(TimeEdit, TypingCorrectsOutOfRangeDigits) {
  TcxTimeEdit* e = Add();
  Caret(e, 0);
  host().Text("5");
  Pump();
  EXPECT_EQ(Text(e), "05:00:00");
  EXPECT_EQ(e->GetSelStart(), 3) << "on to the minutes";
  Caret(e, 0);
  host().Text("2");
  Pump();
  EXPECT_EQ(Text(e), "20:00:00");
  host().Text("7");
  Pump();
  EXPECT_EQ(Text(e), "07:00:00");
  P(e)->SetUse24HourFormat(false);
  e->SetTime(EncodeTime(7, 0, 0, 0));
  Pump();
  EXPECT_EQ(Text(e), "07:00:00 AM");
  Caret(e, 9);
  host().Text("p");
  Pump();
  EXPECT_EQ(Text(e), "07:00:00 PM");
  EXPECT_EQ(e->InternalGetValue().AsDouble(), 19 * 3600);
}

// Ctrl+V and Ctrl+X edit the time as typing does, and only while it may be edited.
TEST_F(TimeEdit, CtrlVAndCtrlXEditTheTime) {
  TcxTimeEdit* e = Add();
  Clipboard->SetAsText("09:30:00");
  e->SelectAll();
  host().Char(22);
  Pump();
  EXPECT_EQ(Text(e), "09:30:00");
  e->SelectAll();
  host().Char(24);
  Pump();
  EXPECT_EQ(Text(e), "00:00:00");
  EXPECT_EQ(Clipboard->GetAsText(), "09:30:00");
  P(e)->SetCanEdit(false);
  e->SelectAll();
  host().Char(22);
  Pump();
  EXPECT_EQ(Text(e), "00:00:00");
}

// Deleting blanks the digits to "0"; the designator has no blank and stays as it stands.
TEST_F(TimeEdit, DeletingKeepsTheDesignator) {
  TcxTimeEdit* e = Add();
  P(e)->SetUse24HourFormat(false);
  e->SetTime(EncodeTime(23, 30, 15, 0));
  Pump();
  EXPECT_EQ(Text(e), "11:30:15 PM");
  Caret(e, 9);
  e->SetSelLength(2);
  Press(VK_DELETE);
  EXPECT_EQ(Text(e), "11:30:15 PM");
  e->SelectAll();
  Press(VK_DELETE);
  EXPECT_EQ(Text(e), "00:00:00 PM");
  Caret(e, 11);
  Press(VK_BACK);
  EXPECT_EQ(Text(e), "00:00:00 PM");
  EXPECT_EQ(e->InternalGetValue().AsDouble(), 43200) << "still afternoon";
  // Twelve hours on a 12-hour clock are "00" once deleted: the text reads as noon, as its
  // spin value does.
  ASSERT_TRUE(e->ValidateDisplayText(false));
  e->PostEditValue(false);
  EXPECT_DOUBLE_EQ(e->GetTime().Value, 0.5);
  Caret(e, 9);
  host().Text("a");
  Pump();
  ASSERT_TRUE(e->ValidateDisplayText(false));
  e->PostEditValue(false);
  EXPECT_DOUBLE_EQ(e->GetTime().Value, 0.0);
}

TEST_F(TimeEdit, FormatChangesKeepTheTime) {
  TcxTimeEdit* e = Add(false);
  e->SetTime(EncodeTime(21, 30, 0, 0));
  P(e)->SetUse24HourFormat(false);
  Pump();
  EXPECT_EQ(Text(e), "09:30:00 PM");
  P(e)->SetTimeFormat(TF::tfHourMin);
  Pump();
  EXPECT_EQ(Text(e), "09:30 PM");
  EXPECT_EQ(P(e)->GetEditMask(), "00:00 cc;1;0");
}

TEST_F(TimeEdit, PublishedSpinEditPropertiesStream) {
  TForm* dialog = ReadDialog(
      "object dlg: TForm\n"
      "  object teStart: TcxTimeEdit\n"
      "    Properties.HideSelection = False\n"
      "    Properties.ImeName = 'pinyin'\n"
      "    Properties.TimeFormat = tfHourMin\n"
      "  end\n"
      "end\n");
  auto* e = dynamic_cast<TcxTimeEdit*>(dialog->FindComponent("teStart"));
  ASSERT_NE(e, nullptr);
  EXPECT_FALSE(P(e)->GetHideSelection());
  EXPECT_EQ(P(e)->GetImeName(), "pinyin");
  EXPECT_EQ(P(e)->GetTimeFormat(), TF::tfHourMin);
  dialog->Free();
}

TEST_F(TimeEdit, TextsByFocusAndInvalidText) {
  TcxTimeEdit* e = Add(false);
  EXPECT_FALSE(e->ControlStyle().Contains(TControlStyleItem::csSetCaption)) << "a name never becomes the text";
  const double value = EncodeDate(2026, 3, 5).Value + EncodeTime(9, 5, 0, 0).Value;
  e->SetEditValue(Variant(TDateTime(value)));
  Pump();
  EXPECT_EQ(Text(e), "09:05:00") << "unfocused, the time format; no date without ShowDate";
  P(e)->SetShowDate(true);
  Pump();
  EXPECT_EQ(Text(e), DateTimeToStr(value));
  P(e)->SetUseTimeFormatWhenUnfocused(false);
  P(e)->SetShowDate(false);
  Pump();
  EXPECT_EQ(Text(e), TimeToStr(value));
  e->SetEditValue(Variant("no time at all"));
  Pump();
  EXPECT_EQ(Text(e), "") << "shown empty, never raising";
  // A spin value is seconds of the day: it sets the time and keeps the date.
  e->SetEditValue(Variant(TDateTime(value)));
  e->SetValue(Variant(5430.0));
  EXPECT_DOUBLE_EQ(e->EditValue().AsDouble(), EncodeDate(2026, 3, 5).Value + EncodeTime(1, 30, 30, 0).Value);
  EXPECT_EQ(e->GetValue().AsDouble(), 5430.0);

  String error;
  Variant dv(String("25:99:00"));
  bool failed = false;
  P(e)->ValidateDisplayValue(dv, error, failed, e);
  EXPECT_TRUE(failed);
  EXPECT_EQ(error, "Could not convert to time");
}

}  // namespace
