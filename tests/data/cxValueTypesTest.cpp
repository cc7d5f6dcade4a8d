// Value types: order, texts, conversions and the byte images of WriteRecord/ReadRecord
// per type, written out from the record stream format by hand.
#include "DataTestSupport.h"
#include "widgets/data/cxDataStorage.h"
#include "widgets/foundation/cxVariants.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace {

class ValueTypes : public DataTest {
 protected:
  void SetUp() override {
    DataTest::SetUp();
    storage_.reset(New<TcxDataStorage>());
  }
  void TearDown() override {
    storage_.reset();
    DataTest::TearDown();
  }

  // A fresh one-field storage with one record.
  TcxValueDef* Field(TcxValueTypeClass AType, bool ATextStored = false) {
    storage_->Clear(false);
    storage_->ValueDefs()->Clear();
    TcxValueDef* def = storage_->ValueDefs()->Add(AType, true, ATextStored, nullptr);
    storage_->SetRecordCount(1);
    return def;
  }

  std::string Written() {
    TStringStream s;
    storage_->WriteRecord(0, s);
    return Hex(s.DataString());
  }

  // Reads `hex` into record 0; the whole image must be consumed.
  void Read(const std::string& hex) {
    TStringStream s(Unhex(hex));
    storage_->ReadRecord(0, s);
    EXPECT_EQ(s.GetPosition(), s.GetSize()) << hex;
  }

  Owned<TcxDataStorage> storage_;
};

struct Golden {
  TcxValueTypeClass Type;
  Variant Value;
  const char* Bytes;  // the record image: buffer flag, null flag, value
  Variant ReadBack = Unassigned();  // when reading gives another variant than was stored
};

}  // namespace

TEST_F(ValueTypes, RecordImagesOfEveryTypeRoundTrip) {
  TSQLTimeStamp noonFirstOfJanuary1900{1900, 1, 1, 12, 0, 0, 0};
  const Golden cases[] = {
      {TcxStringValueType::StaticClass(), "ab", "00 00 02000000 6162"},
      {TcxWideStringValueType::StaticClass(), WideString(u"a\u20AC"), "00 00 02000000 6100 AC20"},
      {TcxSmallintValueType::StaticClass(), SmallInt(-2), "00 00 FEFF"},
      {TcxIntegerValueType::StaticClass(), Integer(-65536), "00 00 0000FFFF"},
      {TcxWordValueType::StaticClass(), Word(65535), "00 00 FFFF"},
      {TcxBooleanValueType::StaticClass(), true, "00 00 01"},
      {TcxFloatValueType::StaticClass(), 1.5, "00 00 00000000000000C0 FF3F"},
      {TcxCurrencyValueType::StaticClass(), Currency::FromRaw(15000), "00 00 983A000000000000"},
      {TcxDateTimeValueType::StaticClass(), VarFromDateTime(2.5), "00 00 0000000000000440"},
      {TcxLargeIntValueType::StaticClass(), Int64(0x0102030405060708), "00 00 0807060504030201"},
      {TcxFMTBcdValueType::StaticClass(), "-12.50", "00 00 06 05 2D31322E35", "-12.5"},
      {TcxSQLTimeStampValueType::StaticClass(), VarSQLTimeStampCreate(noonFirstOfJanuary1900),
       "00 00 11 0000000000000440"},
      {TcxVariantValueType::StaticClass(), Integer(300), "00 00 03 2C01", SmallInt(300)},
  };
  for (const Golden& g : cases) {
    SCOPED_TRACE(g.Type->ClassName());
    TcxValueDef* def = Field(g.Type);
    storage_->SetValue(0, def, g.Value);
    EXPECT_EQ(Written(), Hex(Unhex(g.Bytes)));

    // Read back over a record holding nothing, then over a null one: same value, same bytes.
    storage_->SetValue(0, def, Null());
    EXPECT_EQ(Written(), "00 01");
    Read(g.Bytes);
    EXPECT_EQ(Written(), Hex(Unhex(g.Bytes)));
    Variant got = storage_->GetValue(0, def);
    const Variant& expected = VarIsEmpty(g.ReadBack) ? g.Value : g.ReadBack;
    EXPECT_EQ(VarType(got), VarType(expected));
    EXPECT_TRUE(cxVariantsEqual(got, expected));
  }
}

TEST_F(ValueTypes, NullsMissingBuffersKeptTextsAndObjects) {
  TcxValueDef* def = Field(TcxStringValueType::StaticClass(), true);
  EXPECT_EQ(Written(), "01");  // no buffer yet
  storage_->SetDisplayText(0, def, "x");
  EXPECT_EQ(Written(), Hex(Unhex("00 01 01000000 78")));  // the kept text follows a null value too
  storage_->SetValue(0, def, "ab");
  EXPECT_EQ(Written(), Hex(Unhex("00 00 02000000 6162 01000000 78")));
  Read("00 01 00000000");
  EXPECT_TRUE(VarIsNull(storage_->GetValue(0, def)));
  EXPECT_EQ(storage_->GetDisplayText(0, def), "");
  Read("01");
  EXPECT_FALSE(storage_->HasBuffer(0));

  // An object is never written or read, but its null flag is.
  struct Counted : TObject {
    int* Freed;
    explicit Counted(int* f) : Freed(f) {}
    ~Counted() override { ++*Freed; }
  };
  int freed = 0;
  def = Field(TcxObjectValueType::StaticClass());
  Counted* object = New<Counted>(&freed);
  storage_->SetValue(0, def, Int64(reinterpret_cast<intptr_t>(object)));
  EXPECT_EQ(Written(), "00 00");
  Read("00 00");  // a present value keeps its object
  EXPECT_EQ(freed, 0);
  EXPECT_EQ(storage_->GetValue(0, def).AsInt64(), Int64(reinterpret_cast<intptr_t>(object)));
  storage_->DeleteRecord(0);  // the record owns the object
  EXPECT_EQ(freed, 1);
}

TEST_F(ValueTypes, FloatsSurviveTheTenByteFormExactly) {
  TcxValueDef* def = Field(TcxFloatValueType::StaticClass());
  const double inf = std::numeric_limits<double>::infinity();
  const double tiny = std::numeric_limits<double>::denorm_min();
  struct Row {
    double Value;
    const char* Bytes;
  } rows[] = {
      {-inf, "00 00 0000000000000080 FFFF"},
      {tiny, "00 00 0000000000000080 CD3B"},  // 2^-1074: exponent 16383 - 1074
      {0.1, "00 00 00D0CCCCCCCCCCCC FB3F"},
  };
  for (const Row& r : rows) {
    storage_->SetValue(0, def, r.Value);
    EXPECT_EQ(Written(), Hex(Unhex(r.Bytes))) << r.Value;
    storage_->SetValue(0, def, 7.0);
    Read(r.Bytes);
    EXPECT_EQ(storage_->GetValue(0, def).AsDouble(), r.Value);
  }
  storage_->SetValue(0, def, std::numeric_limits<double>::quiet_NaN());
  TStringStream s;
  storage_->WriteRecord(0, s);
  s.SetPosition(0);
  storage_->ReadRecord(0, s);
  EXPECT_TRUE(std::isnan(storage_->GetValue(0, def).AsDouble()));
  Read("00 00 0000000000000080 FE7F");  // beyond the double range
  EXPECT_EQ(storage_->GetValue(0, def).AsDouble(), inf);
}

TEST_F(ValueTypes, OrderOfEveryKind) {
  auto compare = [](TcxValueTypeClass t, const Variant& a, const Variant& b) {
    Owned<TcxDataStorage> s(New<TcxDataStorage>());
    TcxValueDef* d = s->ValueDefs()->Add(t, true, false, nullptr);
    s->SetRecordCount(2);
    s->SetValue(0, d, a);
    s->SetValue(1, d, b);
    return s->CompareRecords(0, 1, d);
  };
  EXPECT_GT(compare(TcxIntegerValueType::StaticClass(), Integer(2147483647), Integer(-1)), 0);
  EXPECT_LT(compare(TcxLargeIntValueType::StaticClass(), Int64(-1), Int64(0x100000000)), 0);
  EXPECT_LT(compare(TcxSmallintValueType::StaticClass(), SmallInt(-32768), SmallInt(32767)), 0);
  EXPECT_GT(compare(TcxWordValueType::StaticClass(), Word(65535), Word(0)), 0);
  EXPECT_LT(compare(TcxBooleanValueType::StaticClass(), false, true), 0);
  EXPECT_LT(compare(TcxCurrencyValueType::StaticClass(), Currency::FromRaw(-1), Currency::FromRaw(0)), 0);
  EXPECT_EQ(compare(TcxFloatValueType::StaticClass(), 0.0, -0.0), 0);
  EXPECT_GT(compare(TcxFloatValueType::StaticClass(), std::nan(""), 1e308), 0);
  EXPECT_EQ(compare(TcxFloatValueType::StaticClass(), std::nan(""), std::nan("")), 0);
  EXPECT_LT(compare(TcxDateTimeValueType::StaticClass(), VarFromDateTime(1.0), VarFromDateTime(1.5)), 0);
  // Texts compare as unsigned bytes, wide texts as code units.
  EXPECT_LT(compare(TcxStringValueType::StaticClass(), "Z", "a"), 0);
  EXPECT_GT(compare(TcxStringValueType::StaticClass(), "\xE9", "z"), 0);
  EXPECT_LT(compare(TcxStringValueType::StaticClass(), "ab", "abc"), 0);
  EXPECT_GT(compare(TcxWideStringValueType::StaticClass(), WideString(u"\u20AC"), WideString(u"z")), 0);
  // Decimals by value, not by text.
  EXPECT_GT(compare(TcxFMTBcdValueType::StaticClass(), "10", "9.99"), 0);
  EXPECT_EQ(compare(TcxFMTBcdValueType::StaticClass(), "1.50", "1.5"), 0);
  EXPECT_LT(compare(TcxFMTBcdValueType::StaticClass(), "-2", "-1.5"), 0);
  EXPECT_EQ(compare(TcxFMTBcdValueType::StaticClass(), "-0", "0"), 0);
  // Time stamps field by field: the later second wins over the earlier millisecond.
  EXPECT_LT(compare(TcxSQLTimeStampValueType::StaticClass(), VarFromDateTime(2.0 + 1.0 / 86400 + 0.999 / 86400),
                    VarFromDateTime(2.0 + 2.0 / 86400)),
            0);
  EXPECT_LT(compare(TcxVariantValueType::StaticClass(), Integer(2), Integer(10)), 0);

  // A cell never filled sorts before every text, the empty text included.
  Owned<TcxDataStorage> s(New<TcxDataStorage>());
  TcxValueDef* d = s->ValueDefs()->Add(TcxStringValueType::StaticClass(), true, false, nullptr);
  s->SetRecordCount(2);
  s->SetValue(1, d, "");
  const void* p0;
  const void* p1;
  EXPECT_TRUE(s->GetDataBuffer(0, d, p0));
  EXPECT_FALSE(s->GetDataBuffer(1, d, p1));
  EXPECT_LT(d->ValueTypeClass()->Compare(p0, p1), 0);
  EXPECT_EQ(d->ValueTypeClass()->GetValue(p1).AsString(), "");
  EXPECT_LT(s->CompareRecords(0, 1, d), 0);  // a null sorts first
}

TEST_F(ValueTypes, TextsConversionsAndValidity) {
  auto text = [&](TcxValueTypeClass t, const Variant& v) {
    TcxValueDef* d = Field(t);
    storage_->SetValue(0, d, v);
    return storage_->GetDisplayText(0, d);
  };
  EXPECT_EQ(text(TcxBooleanValueType::StaticClass(), Integer(5)), "True");
  EXPECT_EQ(text(TcxDateTimeValueType::StaticClass(), VarFromDateTime(2.5)), "1/1/1900 12:00:00 PM");
  EXPECT_EQ(text(TcxFloatValueType::StaticClass(), "1e20"), "1E20");
  EXPECT_EQ(text(TcxFMTBcdValueType::StaticClass(), 0.25), "0.25");
  EXPECT_EQ(text(TcxCurrencyValueType::StaticClass(), 2.5), "2.5");
  EXPECT_EQ(text(TcxSQLTimeStampValueType::StaticClass(), VarFromDateTime(2.5)), "1/1/1900 12:00:00 PM");
  EXPECT_EQ(text(TcxVariantValueType::StaticClass(), VarArrayOf({1, 2})), "");  // no text form
  EXPECT_EQ(text(TcxVariantValueType::StaticClass(), 2.5), "2.5");
  // Unassigned is a value: an Integer field holds 0 and is not null.
  TcxValueDef* d = Field(TcxIntegerValueType::StaticClass());
  storage_->SetValue(0, d, Unassigned());
  EXPECT_EQ(VarType(storage_->GetValue(0, d)), varInteger);
  EXPECT_EQ(storage_->GetValue(0, d).AsInteger(), 0);

  // Conversions that fail raise and leave the field as it was; narrowing never wraps.
  struct Bad {
    TcxValueTypeClass Type;
    Variant Value;
  } bad[] = {{TcxIntegerValueType::StaticClass(), "abc"},        {TcxSmallintValueType::StaticClass(), Integer(70000)},
             {TcxWordValueType::StaticClass(), Integer(-1)},      {TcxCurrencyValueType::StaticClass(), 1e300},
             {TcxFMTBcdValueType::StaticClass(), "1.2.3"},        {TcxFMTBcdValueType::StaticClass(), 1e300},
             {TcxSQLTimeStampValueType::StaticClass(), "never"},  {TcxDateTimeValueType::StaticClass(), 1e10}};
  for (const Bad& b : bad) {
    SCOPED_TRACE(b.Type->ClassName());
    TcxValueDef* f = Field(b.Type);
    EXPECT_FALSE(b.Type->IsValueValid(b.Value));
    EXPECT_THROW(storage_->SetValue(0, f, b.Value), EVariantError);
    EXPECT_TRUE(VarIsNull(storage_->GetValue(0, f)));
  }
  EXPECT_TRUE(TcxIntegerValueType::StaticClass()->IsValueValid(Null()));
  EXPECT_TRUE(TcxIntegerValueType::StaticClass()->IsValueValid("12"));
  EXPECT_TRUE(TcxVariantValueType::StaticClass()->IsValueValid(VarArrayOf({1, 2})));
  EXPECT_TRUE(TcxFMTBcdValueType::StaticClass()->IsValueValid("1.5E-3"));
  // A failed store over a value keeps the value.
  d = Field(TcxSmallintValueType::StaticClass());
  storage_->SetValue(0, d, SmallInt(9));
  EXPECT_THROW(storage_->SetValue(0, d, Integer(40000)), EVariantError);
  EXPECT_EQ(storage_->GetValue(0, d).AsInteger(), 9);
}

TEST_F(ValueTypes, DecimalCommaLocale) {
  FormatSettings.DecimalSeparator = ',';
  TcxValueDef* d = Field(TcxFMTBcdValueType::StaticClass());
  storage_->SetValue(0, d, "3,25");
  EXPECT_EQ(storage_->GetDisplayText(0, d), "3,25");
  EXPECT_EQ(Written(), Hex(Unhex("00 00 06 04 332C3235")));
  Read("00 00 06 03 312E35");  // a point is read too
  EXPECT_EQ(storage_->GetDisplayText(0, d), "1,5");
}

TEST_F(ValueTypes, RegistryCaptionsAndAncestry) {
  const char* captions[] = {"String", "WideString", "Smallint", "Integer",  "Word",         "Boolean",  "Float",
                            "Currency", "DateTime", "LargeInt", "FMTBcd", "SQLTimeStamp", "Variant", "Object"};
  TcxValueTypeClassList* list = cxValueTypeClassList();
  ASSERT_EQ(list->Count(), 14);
  for (Integer i = 0; i < 14; ++i) EXPECT_EQ(list->Items(i)->Caption(), captions[i]);
  EXPECT_EQ(list->ItemByCaption("Integer"), TcxIntegerValueType::StaticClass());
  EXPECT_EQ(list->ItemByCaption("integer"), nullptr);
  list->RegisterItem(TcxIntegerValueType::StaticClass());
  EXPECT_EQ(list->Count(), 14);
  EXPECT_THROW(list->Items(14), EListError);

  EXPECT_TRUE(TcxObjectValueType::StaticClass()->InheritsFrom(TcxIntegerValueType::StaticClass()));
  EXPECT_TRUE(TcxWideStringValueType::StaticClass()->IsString());
  EXPECT_FALSE(TcxVariantValueType::StaticClass()->IsString());
  const TVarType codes[] = {varString, varOleStr, varSmallint, varInteger, varWord, varBoolean, varDouble,
                            varCurrency, varDate, varInt64, varFMTBcd, varSQLTimeStamp, varVariant, varInt64};
  for (Integer i = 0; i < 14; ++i) EXPECT_EQ(list->Items(i)->GetVarType(), codes[i]) << i;

  // Balanced start-ups keep the list until the last shut-down.
  WidgetsDataInitialize();
  WidgetsDataFinalize();
  EXPECT_EQ(cxValueTypeClassList()->Count(), 14);
}

TEST(DecimalsAndTimeStamps, TextAndConversions) {
  TBcd b;
  ASSERT_TRUE(TryStrToBcd(" -0012.3400 ", b));
  EXPECT_EQ(b.Precision, 4);
  EXPECT_EQ(b.SignSpecialPlaces, 0x80 | 2);
  EXPECT_EQ(b.Fraction[0], 0x12);
  EXPECT_EQ(b.Fraction[1], 0x34);
  EXPECT_EQ(BcdToStr(b), "-12.34");
  EXPECT_EQ(BcdToStr(StrToBcd("1.5E3")), "1500");
  EXPECT_EQ(BcdToStr(StrToBcd("25e-3")), "0.025");
  EXPECT_EQ(BcdToStr(StrToBcd(".5")), "0.5");
  EXPECT_EQ(BcdToStr(StrToBcd("-0.000")), "0");
  EXPECT_TRUE(TryStrToBcd(std::string(64, '9'), b));
  EXPECT_FALSE(TryStrToBcd(std::string(65, '9'), b));
  for (const char* bad : {"", "-", ".", "1e", "1,5", "1x", "1e+5000"}) EXPECT_FALSE(TryStrToBcd(bad, b)) << bad;
  EXPECT_THROW(StrToBcd("x"), EConvertError);

  TSQLTimeStamp ts = DateTimeToSQLTimeStamp(2.5 + 0.25 / 86400);
  EXPECT_EQ(ts.Year, 1900);
  EXPECT_EQ(ts.Hour, 12);
  EXPECT_EQ(ts.Fractions, 250u);
  EXPECT_EQ(SQLTimeStampToDateTime(ts).Value, 2.5 + 0.25 / 86400);
  TSQLTimeStamp bad{2026, 2, 30, 0, 0, 0, 0};
  EXPECT_THROW(SQLTimeStampToDateTime(bad), EConvertError);
  EXPECT_THROW(VarSQLTimeStampCreate(bad), EVariantError);
  EXPECT_THROW(VarToBcd(Null()), EVariantError);
  EXPECT_EQ(BcdToStr(VarToBcd(Currency::FromRaw(12345))), "1.2345");
  EXPECT_EQ(BcdToStr(VarToBcd(true)), "-1");
}
