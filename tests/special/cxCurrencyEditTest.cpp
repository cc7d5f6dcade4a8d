// The currency edit: the locale's currency format in two locales, the null text, typing
// limited to numbers with DecimalPlaces decimals, the value bounds, and the currency type
// refusing a number it cannot hold.
#include "classlib/core/Variants.h"
#include "classlib/visual/Clipbrd.h"
#include "tests/special/SpecialTestSupport.h"
#include "widgets/editcore/cxEditRegisteredRepositoryItems.h"
#include "widgets/special/cxCalcEdit.h"
#include "widgets/special/cxCurrencyEdit.h"

namespace {

class TCurrencyProvider : public TcxCustomEditDefaultValuesProvider {
 public:
  using TcxCustomEditDefaultValuesProvider::TcxCustomEditDefaultValuesProvider;
  bool DefaultIsCurrency() override { return true; }
};

class CurrencyEdit : public SpecialDialogTest {
 protected:
  TcxCurrencyEdit* Add() {
    auto* e = New<TcxCurrencyEdit>(form);
    e->SetBounds(10, 10, 160, 21);
    e->SetParent(form);
    other = New<TcxCurrencyEdit>(form);
    other->SetBounds(10, 40, 160, 21);
    other->SetParent(form);
    Show();
    return e;
  }
  static TcxCurrencyEditProperties* P(TcxCurrencyEdit* e) { return e->GetCurrencyEditProperties(); }
  static String Text(TcxCurrencyEdit* e) { return e->InnerTextEdit()->GetText(); }
  void Focus(TcxCustomEdit* e) {
    e->SetFocus();
    Pump();
  }
  // Typed at the end of the text, one character at a time.
  void Type(TcxCurrencyEdit* e, const String& S) {
    e->SetSelStart(Integer(Text(e).size()));
    host().Text(S);
    Pump();
  }
  void Press(Word AKey) {
    host().Key(AKey);
    Pump();
  }
  void Clear(TcxCurrencyEdit* e) {
    e->SelectAll();
    Press(VK_DELETE);
  }
  TcxCurrencyEdit* other = nullptr;
};

TEST_F(CurrencyEdit, ShowsTheLocaleCurrencyFormatUnlessADisplayFormatIsSet) {
  TcxCurrencyEdit* e = Add();
  e->SetValue(1234.5);
  EXPECT_EQ(Text(e), "$1,234.50");
  e->SetValue(-0.125);
  EXPECT_EQ(Text(e), "($0.13)");

  SetCurrentLocale(GermanLocale());  // the window layer tells the application and the formats
  Pump();
  EXPECT_EQ(Text(e), "-0,13 \x80");
  e->SetValue(1234.5);
  EXPECT_EQ(Text(e), "1.234,50 \x80");

  // Focused, the plain number shows, grouped only with UseThousandSeparator.
  Focus(e);
  EXPECT_EQ(Text(e), "1234,5");
  P(e)->SetUseThousandSeparator(true);
  EXPECT_EQ(Text(e), "1.234,5");
  Focus(other);
  P(e)->SetDisplayFormat("0.000");
  EXPECT_EQ(Text(e), "1234,500");
  TcxRegisteredClasses* r = GetRegisteredEditProperties();
  EXPECT_EQ(r->GetNameByClass(&TcxCurrencyEditProperties::StaticClass()), "CurrencyEdit");
  EXPECT_EQ(r->GetDescriptionByClass(&TcxCurrencyEditProperties::StaticClass()),
            "Represents an editor enabling editing currency data");
}

TEST_F(CurrencyEdit, AnEmptyValueShowsTheNullTextOnlyWhileUnfocused) {
  TcxCurrencyEdit* e = Add();
  P(e)->SetNullString("none");
  e->SetEditValue(Variant::MakeNull());
  EXPECT_EQ(Text(e), "none");
  EXPECT_EQ(e->GetValue(), 0);
  Focus(e);
  EXPECT_EQ(Text(e), "");
  Focus(other);
  P(e)->SetNullable(false);
  EXPECT_EQ(Text(e), "$0.00");
  // Clearing the text leaves Null, not 0.
  e->SetValue(7);
  Focus(e);
  Clear(e);
  Focus(other);
  EXPECT_TRUE(VarIsNull(e->EditValue()));
}

TEST_F(CurrencyEdit, TypingKeepsTheTextANumberWithTheAllowedDecimals) {
  TcxCurrencyEdit* e = Add();
  Focus(e);
  size_t beeps = Beeps();
  Type(e, "12,345");  // "," is the decimal separator here; the third decimal is refused
  EXPECT_EQ(Text(e), "12.34");
  EXPECT_EQ(Beeps(), beeps + 1);
  P(e)->SetDecimalPlaces(0);
  beeps = Beeps();
  Type(e, "5");
  EXPECT_EQ(Text(e), "12.34");
  EXPECT_EQ(Beeps(), beeps + 1);

  // A minus only starts a number; a letter never goes in.
  Clear(e);
  Type(e, "-5-x");
  EXPECT_EQ(Text(e), "-5");
  // The exponent's digits are not decimals, but the number must stay within range.
  P(e)->SetDecimalPlaces(2);
  e->SetEditValue(Variant(String("1.5E30")));
  Type(e, "7");
  EXPECT_EQ(Text(e), "1.5E307");
  Type(e, "0");
  EXPECT_EQ(Text(e), "1.5E307");

  // The thousand separator is typed only while it is in use, then the number regroups.
  e->SetEditValue(Variant::MakeNull());
  P(e)->SetUseThousandSeparator(true);
  Type(e, "1234,5");
  EXPECT_EQ(Text(e), "12,345");
  Focus(other);
  EXPECT_EQ(e->GetValue(), 12345);
}

// Backspace, Ctrl+V and Ctrl+X are no characters of the number: the valid-character test
// lets them through to do their work.
TEST_F(CurrencyEdit, BackspacePasteAndCutKeysEditTheText) {
  TcxCurrencyEdit* e = Add();
  Focus(e);
  Type(e, "12.5");
  Press(VK_BACK);
  EXPECT_EQ(Text(e), "12.");
  Clipboard->SetAsText("77");
  e->SelectAll();
  host().Char(22);
  Pump();
  EXPECT_EQ(Text(e), "77");
  e->SelectAll();
  host().Char(24);
  Pump();
  EXPECT_EQ(Text(e), "");
  EXPECT_EQ(Clipboard->GetAsText(), "77");
}

TEST_F(CurrencyEdit, ValueWritesStayWithinTheBounds) {
  TcxCurrencyEdit* e = Add();
  e->SetValue(5);
  EXPECT_EQ(e->GetValue(), 5);
  P(e)->SetMaxValue(3);
  e->SetValue(5);
  EXPECT_EQ(e->GetValue(), 3);
  e->SetValue(-2);
  EXPECT_EQ(e->GetValue(), 0);
  P(e)->SetMinMaxValues(-10, -20);  // an empty range bounds nothing
  e->SetValue(5);
  EXPECT_EQ(e->GetValue(), 5);
  e->SetEditValue(Variant(String("abc")));
  EXPECT_EQ(e->GetValue(), 0);
}

TEST_F(CurrencyEdit, TheCurrencyTypeRefusesANumberItCannotHold) {
  TcxCurrencyEdit* e = Add();
  e->SetEditValue(Variant(DoubleToCurr(2.5)));
  Focus(e);
  Clear(e);
  Type(e, "922337203685477");
  Press(VK_RETURN);
  EXPECT_EQ(VarType(e->EditValue()), varCurrency);
  EXPECT_GT(e->GetValue(), 9.2E14);
  // One more than the type's largest whole amount: refused, the typed text kept to mend.
  Clear(e);
  Type(e, "922337203685478");
  Press(VK_RETURN);
  EXPECT_EQ(TakeExceptions(), std::vector<String>({"Could not convert to numeric value"}));
  EXPECT_GT(e->GetValue(), 9.2E14);
  EXPECT_EQ(Text(e), "922337203685478");
  EXPECT_THROW(e->SetValue(1e300), EConvertError);

  // Data of the currency type makes numbers currency from the start.
  TcxCurrencyEdit* d = other;
  Owned<TCurrencyProvider> provider(New<TCurrencyProvider>(nullptr));
  P(d)->SetIDefaultValuesProvider(provider.get());
  d->SetValue(1.25);
  EXPECT_EQ(VarType(d->EditValue()), varCurrency);
  P(d)->SetIDefaultValuesProvider(nullptr);
}

}  // namespace

namespace {

TEST_F(SpecialDialogTest, CurrencyAndCalculatorEditsReadFromADescription) {
  const char* text =
      "object dlg: TForm\n"
      "  object cur: TcxCurrencyEdit\n"
      "    Properties.DecimalPlaces = 3\n"
      "    Properties.NullString = 'n/a'\n"
      "    Properties.UseThousandSeparator = True\n"
      "    Value = 2.5\n"
      "  end\n"
      "  object calc: TcxCalcEdit\n"
      "    Properties.Precision = 4\n"
      "    Properties.QuickClose = True\n"
      "    Value = 0.125\n"
      "  end\n"
      "end\n";
  TForm* dialog = ReadDialog(text);
  auto* cur = dynamic_cast<TcxCurrencyEdit*>(dialog->FindComponent("cur"));
  auto* calc = dynamic_cast<TcxCalcEdit*>(dialog->FindComponent("calc"));
  ASSERT_NE(cur, nullptr);
  ASSERT_NE(calc, nullptr);
  EXPECT_EQ(cur->GetCurrencyEditProperties()->GetDecimalPlaces(), 3);
  EXPECT_EQ(cur->GetCurrencyEditProperties()->GetNullString(), "n/a");
  EXPECT_TRUE(cur->GetCurrencyEditProperties()->GetUseThousandSeparator());
  EXPECT_EQ(cur->GetValue(), 2.5);
  EXPECT_EQ(calc->GetCalcEditProperties()->GetPrecision(), 4);
  EXPECT_TRUE(calc->GetCalcEditProperties()->IsPrecisionStored());
  EXPECT_TRUE(calc->GetCalcEditProperties()->GetQuickClose());
  EXPECT_EQ(calc->GetValue(), 0.125);
  dialog->Free();
}

}  // namespace
