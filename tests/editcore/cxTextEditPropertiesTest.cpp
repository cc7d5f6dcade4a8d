// Text edit properties: bounds, echo and character case, fixed-list validity, the display
// path that never raises, formats in two locales, what typing and pasting may insert, and
// the settings through Assign and the component stream.
#include "classlib/core/FormText.h"
#include "tests/editcore/TextEditTestSupport.h"

#include <cmath>
#include <limits>

namespace {

using ES = TcxEditEditingStyle;

class TextEditPropertiesTest : public TextEditTest {
 protected:
  template <class P = TTestTextProperties>
  Owned<P> Make() {
    return Owned<P>(New<P>(nullptr));
  }
  static String Shown(TcxCustomTextEditProperties* p, const Variant& v) {
    String s;
    p->GetDisplayText(v, s);
    return s;
  }
};

TEST_F(TextEditPropertiesTest, BoundsAreDefinedAndActiveByTheAssignedRule) {
  struct Row {
    int assigned;  // bit 0 min, bit 1 max
    double min, max;
    bool defined, minActive, maxActive;
  };
  const double nan = std::numeric_limits<double>::quiet_NaN();
  for (Row r : {Row{3, 0, 10, true, true, true},  Row{3, 7, 7, false, false, false},
                Row{1, 10, 0, true, true, false}, Row{2, 10, -5, true, false, true},
                Row{3, 10, 0, false, false, false}, Row{0, 0, 0, false, false, false},
                Row{3, nan, 10, false, false, false}}) {
    SCOPED_TRACE(testing::Message() << r.assigned << " " << r.min << ".." << r.max);
    auto p = Make();
    // An unassigned bound keeps its value but loses its flag.
    p->SetMinValue(r.min);
    p->SetMaxValue(r.max);
    if (!(r.assigned & 1)) p->GetTextAssignedValues()->SetMinValue(false);
    if (!(r.assigned & 2)) p->GetTextAssignedValues()->SetMaxValue(false);
    EXPECT_EQ(p->IsValueBoundDefined(), r.defined);
    EXPECT_EQ(p->IsValueBoundActive(0), r.minActive);
    EXPECT_EQ(p->IsValueBoundActive(1), r.maxActive);
  }
}

TEST_F(TextEditPropertiesTest, ValidationReportsOutOfBoundsAndUnreadableTextWithoutRaising) {
  Owned<TTestTextEdit> edit(New<TTestTextEdit>(nullptr));
  auto p = Make<TTestNumericProperties>();
  p->SetMinValue(10);  // only the minimum assigned, above the maximum
  auto check = [&](const char* text) {
    Variant v(text);
    String error;
    bool failed = false;
    p->ValidateDisplayValue(v, error, failed, edit.get());
    return failed ? error : String("ok");
  };
  EXPECT_EQ(check("5"), "Value out of bounds");
  EXPECT_EQ(check("10"), "ok");
  EXPECT_EQ(check("1,000"), "ok") << "the thousand separator is read";
  EXPECT_NE(check("abc"), "ok") << "unreadable text is a validation error, not an escaping exception";
  p->SetMaxValue(20);
  EXPECT_EQ(check("21"), "Value out of bounds");
  // The plain text kind does not check bounds.
  auto text = Make();
  text->SetMinMaxValues(10, 20);
  Variant v("5");
  String error;
  bool failed = false;
  text->ValidateDisplayValue(v, error, failed, edit.get());
  EXPECT_FALSE(failed);
}

TEST_F(TextEditPropertiesTest, MaxLengthClampsAndFollowsTheProviderUntilAssigned) {
  struct TLengthProvider : TMemoryDefaultValuesProvider {
    Integer DefaultMaxLength() override { return 20; }
  };
  Owned<TLengthProvider> provider(New<TLengthProvider>());
  auto p = Make();
  TNoticeCounter counter;
  p->OnPropertiesChanged = counter.Handler();
  EXPECT_EQ(p->GetMaxLength(), 0);
  p->SetIDefaultValuesProvider(provider.get());
  EXPECT_EQ(p->GetMaxLength(), 20);
  p->SetMaxLength(-3);
  EXPECT_EQ(p->GetMaxLength(), 0);
  EXPECT_TRUE(p->IsMaxLengthAssigned());
  const int notices = counter.Count;
  p->SetMaxLength(0);
  EXPECT_EQ(counter.Count, notices) << "the same assigned value changes nothing";
  p->SetMaxLength(12);
  EXPECT_EQ(counter.Count, notices + 1);
  p->SetIDefaultValuesProvider(nullptr);
}

TEST_F(TextEditPropertiesTest, DisplayTextShowsPasswordCharactersOrTheCharacterCase) {
  auto p = Make();
  p->SetCharCase(TEditCharCase::ecUpperCase);
  EXPECT_EQ(Shown(p.get(), Variant("Hello \xE9")), "HELLO \xC9");
  p->SetEchoMode(TcxEditEchoMode::eemPassword);
  EXPECT_EQ(Shown(p.get(), Variant("Hello")), "*****");
  p->SetPasswordChar('#');
  EXPECT_EQ(Shown(p.get(), Variant("abc")), "###");
  EXPECT_EQ(Shown(p.get(), Variant::MakeNull()), "");
  EXPECT_TRUE(p->IsEditValuesEqual(Variant("ab"), Variant("xy"))) << "compared as shown";
  p->SetEchoMode(TcxEditEchoMode::eemNormal);
  p->SetCharCase(TEditCharCase::ecNormal);
  EXPECT_FALSE(p->IsEditValuesEqual(Variant("ab"), Variant("AB")));
}

TEST_F(TextEditPropertiesTest, ListStylesAcceptOnlyItemsIgnoringCase) {
  auto p = Make();
  p->GetLookupItems()->Add("Red");
  p->GetLookupItems()->Add("Green");
  for (ES style : {ES::esFixedList, ES::esEditList}) {
    p->FixedStyle = style;
    Variant v("red");
    EXPECT_TRUE(p->IsEditValueValid(v, true));
    EXPECT_EQ(v.AsString(), "red") << "the typed case stays";
    Variant w("Blue");
    EXPECT_FALSE(p->IsEditValueValid(w, true));
    Variant empty("");
    EXPECT_TRUE(p->IsEditValueValid(empty, true));
  }
  p->SetCharCase(TEditCharCase::ecUpperCase);
  Variant v("red");
  EXPECT_TRUE(p->IsEditValueValid(v, true));
  EXPECT_EQ(v.AsString(), "RED");
  p->FixedStyle = ES::esEdit;
  Variant w("Blue");
  EXPECT_TRUE(p->IsEditValueValid(w, true)) << "free text in the plain style";
  EXPECT_TRUE(p->FindLookupText("GREEN"));
}

TEST_F(TextEditPropertiesTest, TheDisplayPathNeverRaisesButPreparingANonNumberDoes) {
  auto p = Make<TTestNumericProperties>();
  p->SetDisplayFormat("0.00");
  const Variant date(EncodeDate(2026, 3, 4));
  String shown;
  EXPECT_NO_THROW(p->GetDisplayText(date, shown));
  EXPECT_EQ(shown, DateTimeToStr(EncodeDate(2026, 3, 4)));
  // The text view paints through the same path.
  Owned<TcxCustomEditViewData> data(p->CreateViewData(nullptr, true));
  String viewText;
  EXPECT_NO_THROW(data->EditValueToDisplayText(date, viewText));
  EXPECT_EQ(viewText, shown);
  Variant display;
  try {
    p->PrepareDisplayValue(date, display, false);
    FAIL() << "a date is no numeric value";
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "Could not convert to numeric value");
  }
  EXPECT_EQ(Shown(p.get(), Variant(2.5)), "2.50");
  EXPECT_EQ(Shown(p.get(), Variant::MakeNull()), "");
  EXPECT_EQ(Shown(p.get(), Variant("12x")), "12x") << "a string that is no number shows as typed";
  for (const char* bad : {"0.0\"open", "0;0;0;0", "0.0000000000000000000000000000000000000000"}) {
    p->SetDisplayFormat(bad);
    EXPECT_NO_THROW(p->GetDisplayText(Variant(1.5), shown)) << bad;
  }
}

TEST_F(TextEditPropertiesTest, FormatsRoundTripInTheUsAndGermanLocales) {
  auto p = Make<TTestNumericProperties>();
  TNoticeCounter counter;
  p->OnPropertiesChanged = counter.Handler();
  p->SetDisplayFormat("#,##0.00");
  const double value = 1234567.5;
  struct Case {
    const LocaleTable* Locale;
    const char* Display;
    const char* Editing;  // EditFormat "0.000"
    const char* Plain;    // no editing format
  };
  for (Case c : {Case{&UsEnglishLocale(), "1,234,567.50", "1234567.500", "1234567.5"},
                 Case{&GermanLocale(), "1.234.567,50", "1234567,500", "1234567,5"}}) {
    const int before = counter.Count;
    SetCurrentLocale(*c.Locale);
    Pump();
    if (c.Locale == &GermanLocale()) {
      EXPECT_GT(counter.Count, before) << "a locale change reaches the properties";
    }
    const String display = Shown(p.get(), Variant(value));
    EXPECT_EQ(display, c.Display);
    // Read back as the editor reads typed text: separators out, the locale's decimal point.
    String s = display;
    cxRemoveThousandSeparators(s);
    EXPECT_DOUBLE_EQ(StrToFloat(s), value);

    p->GetTextAssignedValues()->SetEditFormat(false);
    EXPECT_EQ(p->FormatEditValue(Variant(value), true), c.Plain) << "the display format is not for editing";
    p->SetUseDisplayFormatWhenEditing(true);
    EXPECT_EQ(p->FormatEditValue(Variant(value), true), c.Display);
    p->SetUseDisplayFormatWhenEditing(false);
    p->SetEditFormat("0.000");
    const String edited = p->FormatEditValue(Variant(value), true);
    EXPECT_EQ(edited, c.Editing);
    EXPECT_DOUBLE_EQ(StrToFloat(edited), value);
  }
}

TEST_F(TextEditPropertiesTest, EditingFormatTakesTheStepsOfTheProvider) {
  struct TFormatProvider : TMemoryDefaultValuesProvider {
    String DefaultDisplayFormat() override { return Display; }
    String DefaultEditFormat() override { return Edit; }
    bool IsNonNumericDisplayFormat() override { return NonNumeric; }
    String Display, Edit;
    bool NonNumeric = false;
  };
  Owned<TFormatProvider> provider(New<TFormatProvider>());
  Owned<TTestTextEdit> edit(New<TTestTextEdit>(nullptr));
  auto p = Make<TTestNumericProperties>();
  p->SetIDefaultValuesProvider(provider.get());
  auto format = [&](bool& providerFormats) {
    bool flag = false;
    String f;
    p->GetEditingFormat(flag, providerFormats, f, edit.get());
    return f;
  };
  bool pf = false;
  provider->NonNumeric = true;
  EXPECT_EQ(format(pf), "");
  EXPECT_TRUE(pf);
  provider->NonNumeric = false;
  provider->Edit = "0.0";
  EXPECT_EQ(format(pf), "0.0");
  EXPECT_FALSE(pf);
  provider->Edit.clear();
  provider->Display = "#,##0";
  EXPECT_EQ(format(pf), "") << "a display format is not for editing";
  EXPECT_EQ(p->GetDisplayFormat(), "#,##0") << "the provider's display format applies unassigned";
  p->SetUseDisplayFormatWhenEditing(true);
  EXPECT_EQ(format(pf), "#,##0");
  p->SetDisplayFormat("0.00");
  EXPECT_EQ(format(pf), "0.00");
  p->SetEditFormat("0");
  EXPECT_EQ(format(pf), "0");
  p->SetIDefaultValuesProvider(nullptr);
}

TEST_F(TextEditPropertiesTest, TypingAndPastingKeepToMaxLengthAndTheCharacterCase) {
  auto p = Make();
  p->SetMaxLength(5);
  struct Row {
    const char* text;
    int selStart, selLength;
    const char* insert;
    bool allowed;
    const char* inserted;
  };
  for (Row r : {Row{"abc", 3, 0, "defgh", true, "de"},      // paste cut to the room left
                Row{"abcde", 5, 0, "x", false, ""},          // typing at the limit
                Row{"abcde", 1, 2, "xyz", true, "xy"},       // the selection makes room
                Row{"ab", 2, 0, "cd\r\nef", true, "cd"},     // a paste stops at its line break
                Row{"abcdefg", 7, 0, "x", false, ""}}) {     // already longer than the limit
    SCOPED_TRACE(r.insert);
    String insert = r.insert;
    EXPECT_EQ(p->PrepareInsertedText(r.text, r.selStart, r.selLength, insert), r.allowed);
    if (r.allowed) {
      EXPECT_EQ(insert, r.inserted);
    }
  }
  p->SetCharCase(TEditCharCase::ecUpperCase);
  p->SetMaxLength(0);
  String insert = "mixed Case";
  EXPECT_TRUE(p->PrepareInsertedText("", 0, 0, insert));
  EXPECT_EQ(insert, "MIXED CASE") << "no limit, the case applied";
}

TEST_F(TextEditPropertiesTest, AssignCopiesAssignedValuesAndClearsTheUnassigned) {
  Owned<TTextPropertiesHost> from(New<TTextPropertiesHost>(nullptr)), to(New<TTextPropertiesHost>(nullptr));
  from->SetName("Host");
  to->SetName("Host");
  TTestNumericProperties* src = from->GetProperties();
  src->SetDisplayFormat("0.0");
  src->SetMaxValue(9);
  src->SetCharCase(TEditCharCase::ecLowerCase);
  src->SetPasswordChar('*');
  src->GetLookupItems()->Add("b");
  src->GetLookupItems()->Add("a");
  src->SetLookupItemsSorted(true);
  TTestNumericProperties* dst = to->GetProperties();
  dst->SetMaxLength(4);
  dst->SetMinValue(3);
  TNoticeCounter counter;
  dst->OnPropertiesChanged = counter.Handler();
  dst->Assign(src);
  EXPECT_EQ(counter.Count, 1) << "one notice for the whole copy";
  EXPECT_FALSE(dst->IsMaxLengthAssigned());
  EXPECT_FALSE(dst->IsMinValueAssigned());
  EXPECT_EQ(Write(to.get()), Write(from.get())) << "every stored setting copied";
}

TEST_F(TextEditPropertiesTest, ViewStyleMapsToButtonsAndHiddenCursor) {
  auto p = Make();
  using VS = TcxTextEditViewStyle;
  p->SetViewStyle(VS::vsButtonsOnly);
  EXPECT_EQ(p->GetButtonsViewStyle(), TcxEditButtonsViewStyle::bvsButtonsOnly);
  EXPECT_TRUE(p->GetHideCursor());
  EXPECT_EQ(p->GetEditingStyle(), ES::esNoEdit);
  p->SetViewStyle(VS::vsHideCursor);
  EXPECT_EQ(p->GetViewStyle(), VS::vsHideCursor);
  EXPECT_EQ(p->GetButtonsViewStyle(), TcxEditButtonsViewStyle::bvsNormal);
  p->SetViewStyle(VS::vsNormal);
  EXPECT_FALSE(p->GetHideCursor());
  EXPECT_EQ(p->GetEditingStyle(), ES::esEdit);
}

TEST_F(TextEditPropertiesTest, SettingsSurviveTheComponentStream) {
  Owned<TTextPropertiesHost> host(New<TTextPropertiesHost>(nullptr));
  host->SetName("Host");
  TTestNumericProperties* p = host->GetProperties();
  p->SetCharCase(TEditCharCase::ecUpperCase);
  p->SetEchoMode(TcxEditEchoMode::eemPassword);
  p->SetPasswordChar('#');
  p->SetHideSelection(false);
  p->SetIncrementalSearch(false);
  p->SetImeMode(TImeMode::imHira);
  p->SetImeName("ime");
  p->SetMaxLength(7);
  p->SetDisplayFormat("#,##0.00");
  p->SetEditFormat("0.0");
  p->SetMinValue(0);  // assigned while 0: only its flag can say so
  p->SetMaxValue(99.5);
  p->SetViewStyle(TcxTextEditViewStyle::vsButtonsAutoWidth);
  p->GetLookupItems()->Add("one");
  p->GetLookupItems()->Add("two");
  const String bytes = Write(host.get());
  for (const char* name : {"CharCase", "EchoMode", "PasswordChar", "HideSelection", "IncrementalSearch", "ImeMode",
                           "ImeName", "MaxLength", "DisplayFormat", "EditFormat", "AssignedValues.MinValue",
                           "MaxValue", "ViewStyle", "LookupItems"})
    EXPECT_NE(bytes.find(String("Properties.") + name), String::npos) << name;

  // Every value written is read back: the copy writes the same bytes again.
  Owned<TTextPropertiesHost> copy(New<TTextPropertiesHost>(nullptr));
  Read(bytes, copy.get());
  EXPECT_TRUE(copy->GetProperties()->IsValueBoundActive(0));
  EXPECT_EQ(Write(copy.get()), bytes);
}

TEST_F(TextEditPropertiesTest, OldFormDataNamesTheDisplayFormatFlagByItself) {
  Owned<TTextPropertiesHost> host(New<TTextPropertiesHost>(nullptr));
  Owned<TMemoryStream> binary(New<TMemoryStream>());
  ObjectTextToBinary(
      "object Host: TTextPropertiesHost\n"
      "  Properties.IsDisplayFormatAssigned = True\n"
      "end\n",
      *binary);
  Read(String(reinterpret_cast<const char*>(binary->Memory()), size_t(binary->GetSize())), host.get());
  EXPECT_TRUE(host->GetProperties()->IsDisplayFormatAssigned());
  EXPECT_EQ(Write(host.get()).find("IsDisplayFormatAssigned"), String::npos) << "read, never written";
}

}  // namespace
