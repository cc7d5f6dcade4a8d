// The spin edit on a form: keys, buttons with auto-repeat on the virtual clock, the wheel,
// typing and pasting, validation, and values outside the range that are shown, read and
// reported but never clamped.
#include "classlib/visual/Clipbrd.h"
#include "platform/user/UserTesting.h"
#include "tests/editors/EditorsTestSupport.h"
#include "tests/support/FreedByHandlerTest.h"
#include "widgets/editors/cxSpinEdit.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace {

using VT = TcxSpinEditValueType;
using B = TcxSpinEditButton;

class TGetValueHandler : public TObject {
 public:
  void HGetValue(TObject*, const String& AText, Variant& AValue, String& ErrorText, bool& Error) {
    if (AText == "ten") {
      AValue = Variant(10.0);
      Error = false;
    } else if (AText == "boom") {
      throw Exception("No such number");
    } else {
      ErrorText = "Not a number here";
    }
  }
};

class TRequiredProvider : public TcxCustomEditDefaultValuesProvider {
 public:
  using TcxCustomEditDefaultValuesProvider::TcxCustomEditDefaultValuesProvider;
  bool DefaultRequired() override { return true; }
};

class SpinEdit : public EditorsDialogTest {
 protected:
  TcxSpinEdit* Add(double AMin, double AMax, bool AFocus = true) {
    auto* e = New<TcxSpinEdit>(form);
    e->SetBounds(10, 10, 120, 21);
    e->SetParent(form);
    e->GetSpinEditProperties()->SetMinMaxValues(AMin, AMax);
    Show();
    if (AFocus) {
      e->SetFocus();
      Pump();
    }
    return e;
  }
  static TcxSpinEditProperties* P(TcxSpinEdit* e) { return e->GetSpinEditProperties(); }
  static String Text(TcxSpinEdit* e) { return e->InnerTextEdit()->GetText(); }
  static double Value(TcxSpinEdit* e) { return e->GetValue().AsDouble(); }
  void Type(TcxSpinEdit* e, const String& S) {
    e->SelectAll();
    host().Text(S);
    Pump();
  }
  void Press(int VK) {
    host().Key(VK);
    Pump();
  }
  static TcxEditButtonViewInfo* Button(TcxSpinEdit* e, B AButton) {
    for (const auto& b : e->EditViewInfo()->ButtonsInfo)
      if (b->ButtonIndex == Ord(AButton)) return b.get();
    return nullptr;
  }
  static TPoint Centre(TcxSpinEdit* e, B AButton) {
    const TRect r = Button(e, AButton)->Bounds;
    return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
  }
  static bool AnyPressed(TcxSpinEdit* e) {
    for (const auto& b : e->EditViewInfo()->ButtonsInfo)
      if (b->State == TcxEditButtonState::ebsPressed) return true;
    return false;
  }
};

TEST_F(SpinEdit, KeysStepTheValueAndShowTheHeldButtonPressed) {
  TcxSpinEdit* e = Add(5, 20);
  EXPECT_EQ(Text(e), "0");
  // 0 lies below the range: the first forward step goes to the minimum.
  const std::pair<int, const char*> steps[] = {{VK_UP, "5"},     {VK_UP, "6"},     {VK_PRIOR, "16"}, {VK_PRIOR, "20"},
                                               {VK_DOWN, "19"},  {VK_NEXT, "9"},   {VK_NEXT, "5"},   {VK_DOWN, "5"}};
  for (const auto& [key, text] : steps) {
    Press(key);
    EXPECT_EQ(Text(e), text) << key;
  }
  // A stand-alone editor answers through its binding's provider, whose values are not
  // floats: without a type of its own it holds integers.
  EXPECT_EQ(e->GetValue(), Variant(Int64(5)));
  EXPECT_EQ(VarType(e->GetValue()), varInt64);

  host().KeyDown(VK_UP);
  Pump();
  EXPECT_EQ(e->KeyboardPressedButton(), Ord(B::sebForward) + 1);
  EXPECT_EQ(Button(e, B::sebForward)->State, TcxEditButtonState::ebsPressed);
  host().KeyUp(VK_UP);
  Pump();
  EXPECT_EQ(e->KeyboardPressedButton(), 0);
  EXPECT_FALSE(AnyPressed(e));
  EXPECT_EQ(Text(e), "6");
  // A spin goes on from what was typed; Escape puts back the value the focus found.
  Type(e, "12");
  Press(VK_UP);
  EXPECT_EQ(Text(e), "13");
  Press(VK_ESCAPE);
  EXPECT_EQ(Text(e), "0");
}

TEST_F(SpinEdit, WithCtrlIncrementOnlyCtrlMakesTheKeysSpin) {
  TcxSpinEdit* e = Add(0, 100);
  P(e)->SetUseCtrlIncrement(true);
  Press(VK_UP);
  EXPECT_EQ(Text(e), "0");
  host().KeyDown(VK_CONTROL);
  Press(VK_UP);
  Press(VK_PRIOR);
  host().KeyUp(VK_CONTROL);
  Pump();
  EXPECT_EQ(Text(e), "11");
}

TEST_F(SpinEdit, AHeldButtonRepeatsAfter400ThenEvery100Milliseconds) {
  TcxSpinEdit* e = Add(0, 100);
  P(e)->SetValueType(VT::vtInt);
  const TPoint c = Centre(e, B::sebForward);
  host().MouseDown(e->GetHandle(), c.X, c.Y);
  Pump();
  EXPECT_EQ(Text(e), "1");
  EXPECT_TRUE(AnyPressed(e));
  const std::pair<DWORD, const char*> ticks[] = {{399, "1"}, {1, "2"}, {99, "2"}, {1, "3"}, {100, "4"}};
  for (const auto& [ms, text] : ticks) {
    host().Advance(ms);
    Pump();
    EXPECT_EQ(Text(e), text) << ms;
  }
  host().MouseUp(e->GetHandle(), c.X, c.Y);
  Pump();
  host().Advance(1000);
  Pump();
  EXPECT_EQ(Text(e), "4");
  EXPECT_EQ(e->RepeatTimer(), nullptr);
  EXPECT_FALSE(AnyPressed(e));
  EXPECT_EQ(e->GetValue(), Variant(Int64(4)));

  // A fast button steps by LargeIncrement; losing the focus while held stops the repeat
  // and leaves nothing pressed.
  P(e)->GetSpinButtons()->SetShowFastButtons(true);
  Pump();
  const TPoint f = Centre(e, B::sebFastForward);
  host().MouseDown(e->GetHandle(), f.X, f.Y);
  Pump();
  EXPECT_EQ(Text(e), "14");
  auto* other = New<TcxSpinEdit>(form);
  other->SetParent(form);
  other->SetTop(60);
  other->SetFocus();
  Pump();
  host().Advance(1000);
  Pump();
  EXPECT_EQ(Text(e), "14");
  EXPECT_EQ(e->RepeatTimer(), nullptr);
  host().MouseUp(e->GetHandle(), f.X, f.Y);
  Pump();
  EXPECT_FALSE(AnyPressed(e));

  // So does a press that loses the mouse capture to another window.
  e->SetFocus();
  Pump();
  host().MouseDown(e->GetHandle(), f.X, f.Y);
  Pump();
  EXPECT_EQ(Text(e), "24");
  SetCapture(other->GetHandle());
  host().Advance(1000);
  Pump();
  EXPECT_EQ(Text(e), "24");
  EXPECT_EQ(e->RepeatTimer(), nullptr);
  ReleaseCapture();
  host().MouseUp(e->GetHandle(), f.X, f.Y);
  Pump();
  EXPECT_FALSE(AnyPressed(e));
}

TEST_F(SpinEdit, TheWheelSpins) {
  TcxSpinEdit* e = Add(0, 10);
  host().Wheel(e->InnerTextEdit()->GetHandle(), 5, 5, 120);
  Pump();
  host().Wheel(e->InnerTextEdit()->GetHandle(), 5, 5, 240);
  Pump();
  EXPECT_EQ(Text(e), "3");
  host().Wheel(e->InnerTextEdit()->GetHandle(), 5, 5, -120);
  Pump();
  EXPECT_EQ(Text(e), "2");
}

TEST_F(SpinEdit, TypingIsFilteredByTheValueType) {
  TcxSpinEdit* e = Add(0, 0);
  P(e)->SetValueType(VT::vtFloat);
  size_t beeps = UserBeeps().size();
  Type(e, "1a2");
  EXPECT_EQ(Text(e), "12");
  EXPECT_EQ(UserBeeps().size(), beeps + 1);
  // Either separator typed becomes the locale's.
  host().Text(",5");
  Pump();
  EXPECT_EQ(Text(e), "12.5");
  EXPECT_EQ(e->GetValue(), Variant(12.5));
  P(e)->SetValueType(VT::vtInt);
  beeps = UserBeeps().size();
  Type(e, "-3.");
  EXPECT_EQ(Text(e), "-3");
  EXPECT_EQ(UserBeeps().size(), beeps + 1);
  EXPECT_EQ(e->GetValue(), Variant(Int64(-3)));
  // Characters the properties name as valid pass besides the number's own.
  TCharSet extra;
  extra.set(Byte(' '));
  P(e)->SetValidChars(extra);
  beeps = UserBeeps().size();
  Type(e, "1 0x");
  EXPECT_EQ(Text(e), "1 0");
  EXPECT_EQ(UserBeeps().size(), beeps + 1);
}

TEST_F(SpinEdit, WithoutCanEditOnlyTheSpinChangesTheText) {
  TcxSpinEdit* e = Add(0, 50);
  P(e)->SetCanEdit(false);
  const size_t beeps = UserBeeps().size();
  Type(e, "7");
  EXPECT_EQ(Text(e), "0");
  EXPECT_EQ(UserBeeps().size(), beeps + 1);
  Clipboard->SetAsText("9");
  e->SelectAll();
  e->PasteFromClipboard();
  Press(VK_DELETE);
  EXPECT_EQ(Text(e), "0");
  Press(VK_UP);
  EXPECT_EQ(Text(e), "1");
  // Pasting with CanEdit: only a text that reads as a number goes in.
  P(e)->SetCanEdit(true);
  Clipboard->SetAsText("abc");
  e->SelectAll();
  SendMessageA(e->InnerTextEdit()->GetHandle(), WM_PASTE, 0, 0);
  Pump();
  EXPECT_EQ(Text(e), "1");
  Clipboard->SetAsText("42");
  e->SelectAll();
  SendMessageA(e->InnerTextEdit()->GetHandle(), WM_PASTE, 0, 0);
  Pump();
  EXPECT_EQ(Text(e), "42");
  EXPECT_TRUE(e->IsTyped());
  EXPECT_EQ(e->GetValue(), Variant(42.0));
}

TEST_F(SpinEdit, ValidationReportsOutOfRangeAndRestoresWhatIsNoNumber) {
  TcxSpinEdit* e = Add(5, 20);
  Type(e, "25");
  try {
    e->ValidateDisplayText(true);
    ADD_FAILURE() << "no error";
  } catch (const Exception& E) {
    EXPECT_EQ(E.Message(), "Value out of bounds");
  }
  EXPECT_EQ(Text(e), "25");
  // An empty text shows 0 moved into the range.
  Type(e, "");
  Press(VK_BACK);
  EXPECT_TRUE(e->ValidateDisplayText(true));
  EXPECT_EQ(Text(e), "5");
  EXPECT_EQ(e->EditValue(), Variant(5.0));
  // With a provider that requires a value, empty text is the bounded 0 at once.
  Variant v;
  String error;
  EXPECT_TRUE(e->InternalPrepareEditValue("", false, v, error));
  EXPECT_TRUE(VarIsNull(v));
  TRequiredProvider required(nullptr);
  P(e)->SetIDefaultValuesProvider(&required);
  EXPECT_TRUE(e->InternalPrepareEditValue("", false, v, error));
  EXPECT_EQ(v, Variant(Int64(5)));
  P(e)->SetIDefaultValuesProvider(e->DataBinding()->GetIDefaultValuesProvider());
  // Text of number characters that is no number: silently the last value again...
  Type(e, "1e");
  EXPECT_TRUE(e->ValidateDisplayText(true));
  EXPECT_EQ(Text(e), "5");
  // ...or the error, when asked for.
  P(e)->SetExceptionOnInvalidInput(true);
  Type(e, "--");
  try {
    e->ValidateDisplayText(true);
    ADD_FAILURE() << "no error";
  } catch (const Exception& E) {
    EXPECT_EQ(E.Message(), "Invalid numeric value");
  }
}

TEST_F(SpinEdit, LeavingTheEditValidatesWhatWasTyped) {
  TcxSpinEdit* e = Add(5, 20);
  auto* other = New<TcxSpinEdit>(form);
  other->SetParent(form);
  other->SetTop(60);
  Type(e, "25");
  std::vector<String> errors;
  try {
    other->SetFocus();
  } catch (const Exception& E) {
    errors.push_back(E.Message());
  }
  Pump();
  for (const String& m : TakeExceptions()) errors.push_back(m);
  EXPECT_EQ(errors, std::vector<String>{"Value out of bounds"});
  EXPECT_TRUE(e->IsFocused());
  Type(e, "");
  Press(VK_BACK);
  other->SetFocus();
  Pump();
  EXPECT_TRUE(other->IsFocused());
  EXPECT_EQ(Text(e), "5");
  EXPECT_EQ(e->GetValue(), Variant(Int64(5)));
}

TEST_F(SpinEdit, AGetValueHandlerReadsOtherTextAndItsErrorsAreReported) {
  TcxSpinEdit* e = Add(0, 100);
  P(e)->SetValueType(VT::vtFloat);
  TGetValueHandler handler;
  P(e)->OnGetValue = {&handler, &TGetValueHandler::HGetValue};
  Type(e, "ten");
  EXPECT_EQ(e->GetValue(), Variant(10.0));
  EXPECT_TRUE(e->ValidateDisplayText(true));
  EXPECT_EQ(Text(e), "10");
  // A handler that leaves the error on is silent unless exceptions are asked for.
  Type(e, "xyz");
  EXPECT_TRUE(e->ValidateDisplayText(true));
  EXPECT_EQ(Text(e), "10");
  P(e)->SetExceptionOnInvalidInput(true);
  for (const auto& [text, message] : {std::pair<const char*, const char*>{"boom", "No such number"},
                                      std::pair<const char*, const char*>{"xyz", "Not a number here"}}) {
    Type(e, text);
    try {
      e->ValidateDisplayText(true);
      ADD_FAILURE() << "no error for " << text;
    } catch (const Exception& E) {
      EXPECT_EQ(E.Message(), message);
    }
    // Read while the text is wrong, the value is the last one.
    EXPECT_EQ(e->GetValue(), Variant(10.0));
  }
}

TEST_F(SpinEdit, AValueSetOutsideTheRangeIsShownAndReadBackUnclamped) {
  TcxSpinEdit* e = Add(5, 20, false);
  e->SetValue(Variant(Integer(25)));
  EXPECT_EQ(Text(e), "25");
  EXPECT_EQ(e->GetValue(), Variant(25.0));
  e->SetFocus();
  Pump();
  EXPECT_EQ(e->GetValue(), Variant(25.0));
  Press(VK_UP);
  EXPECT_EQ(Text(e), "25");
  Press(VK_DOWN);
  EXPECT_EQ(Text(e), "20");
  // Values that are no numbers never reach the edit.
  for (const Variant& v : {Variant(NAN), Variant(INFINITY), Variant(String("7")), Variant::MakeNull()}) {
    e->SetValue(v);
    EXPECT_EQ(Text(e), "20");
  }
  // Unfocused, an edit value of text that is no number reads as 0 moved into the range.
  TcxSpinEdit* u = Add(5, 20, false);
  u->SetEditValue(Variant(String("abc")));
  EXPECT_EQ(u->GetValue(), Variant(5.0));
  u->SetEditValue(Variant(String("12")));
  EXPECT_EQ(u->GetValue(), Variant(12.0));
  // A number is read as the value type: an integer edit rounds a fraction half to even.
  ASSERT_EQ(P(u)->GetValueType(), VT::vtInt);
  u->SetEditValue(Variant(12.5));
  EXPECT_EQ(u->GetValue(), Variant(Int64(12)));
  u->SetEditValue(Variant(13.5));
  EXPECT_EQ(u->GetValue(), Variant(Int64(14)));
}

TEST_F(SpinEdit, ButtonsArePlacedByPosition) {
  TcxSpinEdit* e = Add(0, 0, false);
  using Pos = TcxSpinEditButtonsPosition;
  const TRect client = e->EditViewInfo()->BorderRect;
  // Vertical: one column at the right, forward above backward.
  const TRect f = Button(e, B::sebForward)->Bounds, b = Button(e, B::sebBackward)->Bounds;
  EXPECT_EQ(f, (TRect{b.Left, client.Top, client.Right, b.Top}));
  EXPECT_EQ(b.Bottom, client.Bottom);
  // The horizontal positions, left to right, edge to edge: the buttons, where the text lies.
  auto row = [&](Pos APosition) {
    P(e)->GetSpinButtons()->SetPosition(APosition);
    Pump();
    std::vector<std::pair<Integer, String>> items;
    const char* names[] = {"B", "F", "FB", "FF"};
    Integer right = client.Left;
    for (const auto& v : e->EditViewInfo()->ButtonsInfo) items.push_back({v->Bounds.Left, names[v->ButtonIndex]});
    items.push_back({e->InnerTextEdit()->GetLeft(), "text"});
    std::sort(items.begin(), items.end());
    String r;
    for (const auto& [left, name] : items) r += (r.empty() ? "" : " ") + name;
    for (const auto& v : e->EditViewInfo()->ButtonsInfo) right = std::max(right, v->Bounds.Right);
    EXPECT_EQ(right, client.Right);
    return r;
  };
  P(e)->GetSpinButtons()->SetShowFastButtons(true);
  EXPECT_EQ(row(Pos::sbpHorzRight), "text FB B F FF");
  EXPECT_EQ(row(Pos::sbpHorzLeftRight), "FB B text F FF");
  auto* vi = dynamic_cast<TcxSpinEditViewInfo*>(e->EditViewInfo());
  ASSERT_NE(vi, nullptr);
  EXPECT_EQ(vi->ArrowDirection(Ord(B::sebForward)), TcxArrowDirection::adRight);
  EXPECT_EQ(vi->ArrowDirection(Ord(B::sebFastBackward)), TcxArrowDirection::adLeft);
  EXPECT_EQ(row(Pos::sbpVert), "text FB B F FF");
  EXPECT_EQ(vi->ArrowDirection(Ord(B::sebBackward)), TcxArrowDirection::adDown);
}

}  // namespace

namespace {

class TChangeCounter : public TObject {
 public:
  void HChange(TObject*) { ++Count; }
  int Count = 0;
};

TEST_F(SpinEdit, ASpinChangesOnceAndPostsOnlyWithImmediatePost) {
  TcxSpinEdit* e = Add(0, 10);
  TChangeCounter changes;
  P(e)->OnChange = {&changes, &TChangeCounter::HChange};
  Press(VK_UP);
  EXPECT_EQ(changes.Count, 1);
  EXPECT_EQ(e->EditValue(), Variant(Integer(0)));
  P(e)->SetImmediatePost(true);
  Press(VK_UP);
  EXPECT_EQ(changes.Count, 2);
  EXPECT_EQ(e->EditValue(), Variant(Int64(2)));
  // At the bound nothing changes and nothing fires.
  Press(VK_PRIOR);
  Press(VK_PRIOR);
  EXPECT_EQ(changes.Count, 3);
  EXPECT_EQ(Text(e), "10");
  // A bound moved under a modified value brings the value inside it.
  P(e)->SetMaxValue(4);
  EXPECT_EQ(Text(e), "4");
  EXPECT_EQ(e->GetValue(), Variant(Int64(4)));
}

TEST_F(SpinEdit, ReadFromTheGameSettingsDescription) {
  const char* text =
      "object Dialog: TForm\n"
      "  object seSize: TcxSpinEdit\n"
      "    Properties.MaxValue = 20.000000000000000000\n"
      "    Properties.MinValue = 5.000000000000000000\n"
      "    Value = 10\n"
      "  end\n"
      "  object eNumber: TcxSpinEdit\n"
      "    Properties.MaxValue = 9999.000000000000000000\n"
      "    Properties.ValueType = vtFloat\n"
      "  end\n"
      "end\n";
  TForm* dialog = ReadDialog(text);
  auto* size = dynamic_cast<TcxSpinEdit*>(dialog->FindComponent("seSize"));
  auto* number = dynamic_cast<TcxSpinEdit*>(dialog->FindComponent("eNumber"));
  ASSERT_NE(size, nullptr);
  ASSERT_NE(number, nullptr);
  EXPECT_EQ(size->GetValue(), Variant(Int64(10)));
  EXPECT_EQ(size->GetSpinEditProperties()->GetMinValue(), 5);
  EXPECT_EQ(number->GetValue(), Variant(0.0));
  EXPECT_EQ(number->GetSpinEditProperties()->GetValueType(), VT::vtFloat);
  Owned<TMemoryStream> out(New<TMemoryStream>());
  out->WriteComponent(dialog);
  const String bytes(reinterpret_cast<const char*>(out->Memory()), size_t(out->GetSize()));
  // Names are written with their length first: "Value" alone, not inside "MaxValue".
  EXPECT_NE(bytes.find("\x05Value"), String::npos);
  EXPECT_EQ(bytes.find("Increment"), String::npos) << "defaults are not written";
  dialog->Free();
}

// The spin buttons painted without an editor: arrows in the button text colour pointing
// the button's way, embossed when disabled.
TEST_F(EditorsTest, SpinButtonsPaintArrowsPointingTheirWay) {
  Owned<TcxSpinEditProperties> props(New<TcxSpinEditProperties>(nullptr));
  Owned<TcxContainerStyle> style(
      props->GetStyleClass().Create(nullptr, TcxContainerStateItem::csNormal, nullptr, false));
  style->SetColor(clWhite);
  auto paint = [&](bool AEnabled, TcxSpinEditButtonsPosition APosition) {
    Make(80, 21, clWhite);
    props->GetSpinButtons()->SetPosition(APosition);
    Owned<TcxCustomEditViewInfo> info(props->GetViewInfoClass().Create());
    Owned<TcxCustomEditViewData> data(props->CreateViewData(static_cast<TcxCustomEditStyle*>(style.get()), false));
    data->Enabled = AEnabled;
    data->Calculate(*canvas, {0, 0, 80, 21}, {-1, -1}, TcxMouseButton::cxmbNone, {}, info.get(), false);
    info->Paint(*canvas);
    std::map<Integer, TRect> bounds;
    for (const auto& b : info->ButtonsInfo) bounds[b->ButtonIndex] = b->Bounds;
    return bounds;
  };
  // Pixels of a colour in R: per row (or column) counts along the arrow's axis.
  auto profile = [&](const TRect& R, TColor AColor, bool ARows) {
    std::vector<int> counts;
    for (int i = ARows ? R.Top : R.Left; i < (ARows ? R.Bottom : R.Right); ++i) {
      int n = 0;
      for (int j = ARows ? R.Left : R.Top; j < (ARows ? R.Right : R.Bottom); ++j) n += Is(ARows ? j : i, ARows ? i : j, AColor);
      if (n > 0) counts.push_back(n);
    }
    return counts;
  };
  auto bounds = paint(true, TcxSpinEditButtonsPosition::sbpVert);
  // Each arrow grows from a one-pixel apex, two pixels a line.
  auto isArrow = [](const std::vector<int>& ALines) {
    if (ALines.size() < 2 || ALines.front() != 1) return false;
    for (size_t i = 1; i < ALines.size(); ++i)
      if (ALines[i] != ALines[i - 1] + 2) return false;
    return true;
  };
  std::vector<int> up = profile(bounds[Ord(B::sebForward)], clBtnText, true);
  std::vector<int> down = profile(bounds[Ord(B::sebBackward)], clBtnText, true);
  std::reverse(down.begin(), down.end());
  EXPECT_TRUE(isArrow(up));
  EXPECT_TRUE(isArrow(down));

  bounds = paint(false, TcxSpinEditButtonsPosition::sbpHorzRight);
  EXPECT_TRUE(profile(bounds[Ord(B::sebForward)], clBtnText, false).empty());
  EXPECT_FALSE(profile(bounds[Ord(B::sebForward)], clBtnShadow, false).empty());
  EXPECT_FALSE(profile(bounds[Ord(B::sebForward)], clBtnHighlight, false).empty());
}

// Cutting and pasting run the change handler, which may free the editor: nothing touches it
// after that.
TEST_F(SpinEdit, ACutOrPasteWhoseChangeHandlerFreesTheEditorEndsThere) {
  for (bool paste : {true, false}) {
    SCOPED_TRACE(paste ? "paste" : "cut");
    TcxSpinEdit* e = Add(0, 50);
    Owned<TFreer> freer(New<TFreer>());
    freer->Victim = e;
    P(e)->OnChange = {freer.get(), &TFreer::HNotify};
    Clipboard->SetAsText("42");
    e->SelectAll();
    TWeakLink link(e);
    if (paste)
      e->PasteFromClipboard();
    else
      e->CutToClipboard();
    EXPECT_EQ(freer->Runs, 1);
    EXPECT_FALSE(link.Alive());
  }
}

}  // namespace
