// Data utilities: the currency display format, week starts under the locale, text matching,
// the filter translation hook and the data binding base.
#include "DataTestSupport.h"
#include "platform/kernel/Locale.h"
#include "widgets/data/cxDataUtils.h"

using DataUtils = DataTest;

TEST_F(DataUtils, CurrencyDisplayFormat) {
  struct Row {
    const char* Symbol;
    Byte Decimals, Format;
    const char* Expected;
  } rows[] = {
      {"EUR", 2, 3, ",0.00 EUR"}, {"$", 2, 0, "$,0.00"},      {"kr", 0, 1, ",0.kr"},
      {"1.-", 2, 2, "1'.'- ,0.00"}, {"#;0", 1, 1, ",0.0'#'';''0'"}, {"E+", 0, 0, "'E'+,0."},
      {"a'b", 2, 1, ",0.00a\"'\"b"}, {"", 3, 2, ",0.000"},
  };
  for (const Row& r : rows) {
    FormatSettings.CurrencyString = r.Symbol;
    FormatSettings.CurrencyDecimals = r.Decimals;
    FormatSettings.CurrencyFormat = r.Format;
    EXPECT_EQ(cxGetCurrencyDisplayFormat(), r.Expected) << r.Symbol;
  }
  // The formats read back as intended: symbols stay literal, no stray separator.
  FormatSettings.CurrencyString = "#;0";
  FormatSettings.CurrencyDecimals = 0;
  FormatSettings.CurrencyFormat = 3;
  EXPECT_EQ(FormatFloat(cxGetCurrencyDisplayFormat(), 1234.0, FormatSettings), "1,234 #;0");
  FormatSettings.CurrencyString = "1.-";
  FormatSettings.CurrencyFormat = 1;
  EXPECT_EQ(FormatFloat(cxGetCurrencyDisplayFormat(), 5.0, FormatSettings), "51.-");
}

TEST_F(DataUtils, WeekStartFollowsTheLocale) {
  // The built-in locale starts weeks on Sunday.
  EXPECT_EQ(cxGetLocaleFirstDayOfWeek(), 0);
  EXPECT_EQ(cxGetStartOfWeek(EncodeDate(2024, 1, 13).Value + 0.75), EncodeDate(2024, 1, 7));
  EXPECT_EQ(cxGetStartOfWeek(EncodeDate(2024, 1, 7)), EncodeDate(2024, 1, 7));
  SetCurrentLocale(GermanLocale());  // Monday
  EXPECT_EQ(cxGetLocaleFirstDayOfWeek(), 1);
  EXPECT_EQ(cxGetStartOfWeek(EncodeDate(2024, 1, 14)), EncodeDate(2024, 1, 8));
  EXPECT_EQ(cxGetStartOfWeek(EncodeDate(2024, 1, 8)), EncodeDate(2024, 1, 8));
  LocaleTable saturday = UsEnglishLocale();
  saturday.firstDayOfWeek = 5;
  SetCurrentLocale(saturday);
  EXPECT_EQ(cxGetLocaleFirstDayOfWeek(), 6);
  EXPECT_EQ(cxGetStartOfWeek(EncodeDate(2024, 1, 12)), EncodeDate(2024, 1, 6));  // a Friday

  EXPECT_EQ(cxDataUtils::cxDateOf(10.75), 10.0);
  EXPECT_EQ(cxDataUtils::cxDateOf(-1.25), -1.0);
  EXPECT_DOUBLE_EQ(cxDataUtils::cxTimeOf(10.75), 0.75);
}

TEST_F(DataUtils, TextMatches) {
  EXPECT_TRUE(cxTextMatches("Abcdef", "abc", true));
  EXPECT_FALSE(cxTextMatches("Abcdef", "abc", false));
  EXPECT_TRUE(cxTextMatches("ABC", "abc", false));
  EXPECT_TRUE(cxTextMatches("\xC9" "cole", "\xE9" "c", true));  // the code page's accented capital
  EXPECT_FALSE(cxTextMatches("ab", "abc", true));
  EXPECT_FALSE(cxTextMatches("abd", "abc", false));
  EXPECT_TRUE(cxTextMatches("", "", false));
  EXPECT_TRUE(cxTextMatches("", "", true));
  EXPECT_FALSE(cxTextMatches("x", "", true));
  EXPECT_FALSE(cxTextMatches("x", "", false));
  EXPECT_FALSE(cxTextMatches("ab", "abc", true));
  EXPECT_TRUE(cxTextMatches("\xE9t\xE9", "\xC9T", true));  // the code page's case table
}

namespace {
void Shout(const String& AText, String& AResult) { AResult = "<" + AText + ">"; }

class CountingBinding : public TcxCustomDataBinding {
 public:
  using TcxCustomDataBinding::TcxCustomDataBinding;
  void ValueSourceChanged() override { ++SourceChanges; }
  int SourceChanges = 0;
};

struct Recorder : TObject {
  std::string Log;
  void Data() { Log += "d"; }
  void DataSet() { Log += "s"; }
  void Update() { Log += "u"; }
};
}  // namespace

TEST_F(DataUtils, TranslationHookAndBindingBase) {
  String r;
  cxGetFilterResString("and", r);
  EXPECT_EQ(r, "and");
  cxFilterTranslationHook = Shout;
  cxGetFilterResString("and", r);
  cxFilterTranslationHook = nullptr;
  EXPECT_EQ(r, "<and>");

  Owned<TObject> owner(New<TObject>());
  Owned<CountingBinding> b(New<CountingBinding>(owner.get(), nullptr));
  Owned<Recorder> rec(New<Recorder>());
  EXPECT_EQ(b->Owner(), owner.get());
  b->DataChanged();  // nothing assigned: nothing happens
  b->OnDataChange = TcxDataBindingNotifyEvent(rec.get(), &Recorder::Data);
  b->OnDataSetChange = TcxDataBindingNotifyEvent(rec.get(), &Recorder::DataSet);
  b->OnUpdateData = TcxDataBindingNotifyEvent(rec.get(), &Recorder::Update);
  b->UpdateData();
  b->DataChanged();
  b->DataSetChange();
  EXPECT_EQ(rec->Log, "uds");
  b->SetValueSource(TcxDataEditValueSource::evsText);
  b->SetValueSource(TcxDataEditValueSource::evsText);
  EXPECT_EQ(b->SourceChanges, 1);
  EXPECT_TRUE(b->CanModify());
  EXPECT_TRUE(b->SetModified());
  b->SetReadOnly(true);
  EXPECT_FALSE(b->CanModify());
  EXPECT_FALSE(b->SetModified());
  EXPECT_FALSE(b->Modified());
  EXPECT_TRUE(VarIsNull(b->GetStoredValue(TcxDataEditValueSource::evsValue, false)));
  EXPECT_TRUE(b->IsDataAvailable());
  EXPECT_FALSE(b->IsDataBound());
}
