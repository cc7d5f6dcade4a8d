#include "widgets/data/cxDataUtils.h"

#include "classlib/core/SysUtils.h"
#include "platform/kernel/CodePage.h"
#include "platform/kernel/Locale.h"
#include "platform/kernel/Units.h"

#include <cmath>

namespace {
UnitCounter gDataUtilsUnit;

bool IsFormatCharacter(Char c) {
  switch (c) {
    case ',': case '.': case ';': case '0': case '#': case '"':
      return true;
    default:
      return false;
  }
}
}  // namespace

TcxFilterTranslationHook cxFilterTranslationHook = nullptr;

String cxGetCurrencyDisplayFormat() {
  String format = ",0.";
  format.append(size_t(FormatSettings.CurrencyDecimals), '0');
  String symbol;
  const String& currency = FormatSettings.CurrencyString;
  for (size_t i = 0; i < currency.size(); ++i) {
    Char c = currency[i];
    // "E+" and "E-" would start an exponent.
    bool exponent = (c == 'E' || c == 'e') && i + 1 < currency.size() && (currency[i + 1] == '+' || currency[i + 1] == '-');
    if (c == '\'')
      symbol += "\"'\"";
    else if (IsFormatCharacter(c) || exponent)
      symbol += String("'") + c + "'";
    else
      symbol += c;
  }
  if (symbol.empty()) return format;
  switch (FormatSettings.CurrencyFormat) {
    case 0: return symbol + format;
    case 1: return format + symbol;
    case 2: return symbol + " " + format;
    case 3: return format + " " + symbol;
    default: return format;
  }
}

Integer cxGetLocaleFirstDayOfWeek() {
  char buf[16] = "0";
  if (GetLocaleInfoA(GetThreadLocale(), LOCALE_IFIRSTDAYOFWEEK, buf, sizeof buf) == 0) {
    buf[0] = '0';
    buf[1] = 0;
  }
  Integer n = StrToIntDef(buf, 0);
  if (n < 0) n = 0;
  return n + 1 < 7 ? n + 1 : 0;
}

TDateTime cxGetStartOfWeek(TDateTime ADate) {
  Integer first = cxGetLocaleFirstDayOfWeek();
  Integer day = Integer(DayOfWeek(ADate)) - 1;
  double date = cxDataUtils::cxDateOf(ADate);
  return first <= day ? date - (day - first) : date - 7 + (first - day);
}

namespace cxDataUtils {
double cxDateOf(TDateTime ADateTime) { return std::trunc(ADateTime.Value); }
double cxTimeOf(TDateTime ADateTime) { return std::fabs(ADateTime.Value - std::trunc(ADateTime.Value)); }
void Initialize() { gDataUtilsUnit.Enter(); }
void Finalize() { gDataUtilsUnit.Leave(); }
}  // namespace cxDataUtils

bool cxTextMatches(const String& AText, const String& ASubText, bool APartial) {
  if (!APartial && AText.size() != ASubText.size()) return false;
  return cxTextBegins(AText, ASubText);
}

bool cxTextBegins(std::string_view AText, const String& ASubText) {
  if (ASubText.empty()) return AText.empty();
  if (AText.size() < ASubText.size()) return false;
  // Character by character in the code page's upper case, as the upper-cased texts compare,
  // without making them: a search asks this of every record.
  for (size_t i = 0; i < ASubText.size(); ++i)
    if (CpUpper(Byte(AText[i])) != CpUpper(Byte(ASubText[i]))) return false;
  return true;
}

void cxGetFilterResString(const String& AText, String& AResult) {
  AResult = AText;
  if (cxFilterTranslationHook) cxFilterTranslationHook(AText, AResult);
}

// ---- TcxCustomDataBinding ----

TcxCustomDataBinding::TcxCustomDataBinding(TObject* AOwner, TObject* ADataComponent)
    : FOwner(AOwner), FDataComponent(ADataComponent) {}

void TcxCustomDataBinding::DataChanged() {
  if (OnDataChange) OnDataChange();
}
void TcxCustomDataBinding::DataSetChange() {
  if (OnDataSetChange) OnDataSetChange();
}
bool TcxCustomDataBinding::GetModified() { return false; }
bool TcxCustomDataBinding::GetReadOnly() { return FReadOnly; }
void TcxCustomDataBinding::SetReadOnly(bool Value) { FReadOnly = Value; }
void TcxCustomDataBinding::UpdateVisualControl() {}
void TcxCustomDataBinding::UpdateData() {
  if (OnUpdateData) OnUpdateData();
}
void TcxCustomDataBinding::ValueSourceChanged() {}
bool TcxCustomDataBinding::CanModify() { return !GetReadOnly(); }
bool TcxCustomDataBinding::ExecuteAction(TObject*) { return false; }
Variant TcxCustomDataBinding::GetStoredValue(TcxDataEditValueSource, bool) { return Null(); }
bool TcxCustomDataBinding::IsDataAvailable() { return true; }
bool TcxCustomDataBinding::IsDataBound() { return false; }
void TcxCustomDataBinding::Reset() {}
bool TcxCustomDataBinding::SetModified() { return CanModify(); }
void TcxCustomDataBinding::SetStoredValue(TcxDataEditValueSource, const Variant&) {}
bool TcxCustomDataBinding::UpdateAction(TObject*) { return false; }
void TcxCustomDataBinding::UpdateDataSource() {}

void TcxCustomDataBinding::SetValueSource(TcxDataEditValueSource Value) {
  if (FValueSource == Value) return;
  FValueSource = Value;
  ValueSourceChanged();
}

TL_DEFINE_CLASS(TcxCustomDataBinding)
