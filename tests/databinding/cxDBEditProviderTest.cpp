// The default values a bound field gives its editor, as one table over the field kinds, and
// the answers without data.
#include "tests/databinding/DatabindingTestSupport.h"
#include "widgets/databinding/cxDBEdit.h"

using enum TFieldType;
using A = TAlignment;
using K = TcxBlobKind;

namespace {

// A field of an OLE type: the layer has no class of its own for it.
class TOleTestField : public TBlobField {
  TL_CLASS(TOleTestField, TBlobField)
 public:
  explicit TOleTestField(TComponent* AOwner) : TBlobField(AOwner, ftOle1, TBlobType::btNone) {}
};

class TTextHandler : public TObject {
 public:
  void GetText(TField*, String& Text, bool) { Text = "t"; }
};

}  // namespace

TL_DEFINE_CLASS(TOleTestField)

namespace {

struct TRow {
  const char* Field;
  A Alignment;
  K BlobKind;
  const char* DisplayFormat;
  const char* EditFormat;
  const char* EditMask;
  bool IsFloat;
  Integer MaxLength;
  double MaxValue, MinValue;
  Integer Precision;
  bool ReadOnly, Required, IsBlob, IsCurrency;
  bool FormatDefinedWithCurrency, FormatDefinedWithoutCurrency, NonNumericFormat;
  bool CanSetEditMode;
};

class DBEditProvider : public DatabindingDataTest {
 protected:
  void SetUp() override {
    DatabindingDataTest::SetUp();
    Owner.reset(New<TComponent>(nullptr));
    DS = New<TMemoryDataSet>(Owner.get());
  }
  void TearDown() override {
    Owner.reset();
    DatabindingDataTest::TearDown();
  }
  template <class T>
  T* Add(const char* AName) {
    return AddTestField<T>(Owner.get(), DS, AName);
  }
  Owned<TComponent> Owner;
  TMemoryDataSet* DS = nullptr;
  TTextHandler Handler;
};

TEST_F(DBEditProvider, AnswersFromEachKindOfField) {
  auto* s = Add<TStringField>("S");
  s->SetRequired(true);
  s->SetEditMask("LL;0;_");
  Add<TWideStringField>("W")->SetSize(8);
  Add<TStringField>("T")->OnGetText = {&Handler, &TTextHandler::GetText};
  auto* i = Add<TIntegerField>("I");
  i->SetMinValue(-5);
  i->SetMaxValue(99);
  i->SetDisplayFormat("#0");
  i->SetReadOnly(true);
  auto* f = Add<TFloatField>("F");
  f->SetPrecision(4);
  f->SetMaxValue(123456.789);
  f->SetMinValue(-0.5);
  f->SetCurrency(true);
  f->SetEditFormat("0.00");
  Add<TCurrencyField>("C");
  auto* b = Add<TBCDField>("B");
  b->SetMaxValue(Currency::FromRaw(1234567));
  b->SetMinValue(Currency::FromRaw(-50000));
  b->SetPrecision(40);
  Add<TDateField>("D")->SetDisplayFormat("yyyy-mm-dd");
  Add<TMemoField>("M");
  Add<TGraphicField>("G");
  Add<TOleTestField>("O");
  Add<TBooleanField>("L");
  auto* agg = Add<TAggregateField>("AG");
  agg->SetPrecision(0);
  agg->SetCurrency(true);
  DS->Open();

  const TRow rows[] = {
      // field align blob     disp   edit    mask      float len max     min   prec RO  Req  blob cur  fmt+c  fmt-c  nonnum set
      {"S", A::taLeftJustify, K::bkNone, "", "", "LL;0;_", false, 20, 0, 0, 15, false, true, false, false, false, false, false, true},
      {"W", A::taLeftJustify, K::bkNone, "", "", "", false, 8, 0, 0, 15, false, false, false, false, false, false, false, true},
      {"T", A::taLeftJustify, K::bkNone, "", "", "", false, 20, 0, 0, 15, false, false, false, false, true, true, true, true},
      {"I", A::taRightJustify, K::bkNone, "#0", "", "", false, 0, 99, -5, 15, true, false, false, false, true, true, false, false},
      {"F", A::taRightJustify, K::bkNone, "", "0.00", "", true, 0, 123500, -0.5, 4, false, false, false, true, true, false, false, true},
      {"C", A::taRightJustify, K::bkNone, "", "", "", true, 0, 0, 0, 15, false, false, false, true, true, false, false, true},
      {"B", A::taRightJustify, K::bkNone, "", "", "", true, 0, 123.4567, -5, 18, false, false, false, false, false, false, false, true},
      {"D", A::taLeftJustify, K::bkNone, "", "", "", false, 0, 0, 0, 15, false, false, false, false, true, true, true, true},
      {"M", A::taLeftJustify, K::bkMemo, "", "", "", false, 0, 0, 0, 15, false, false, true, false, false, false, false, true},
      {"G", A::taLeftJustify, K::bkGraphic, "", "", "", false, 0, 0, 0, 15, false, false, true, false, false, false, false, true},
      {"O", A::taLeftJustify, K::bkOle, "", "", "", false, 0, 0, 0, 15, false, false, true, false, false, false, false, true},
      {"L", A::taLeftJustify, K::bkNone, "", "", "", false, 0, 0, 0, 15, false, false, false, false, false, false, false, true},
      {"AG", A::taLeftJustify, K::bkNone, "", "", "", false, 0, 0, 0, 15, false, false, false, true, true, false, false, false},
  };
  Owned<TcxCustomDBEditDefaultValuesProvider> p(New<TcxCustomDBEditDefaultValuesProvider>(nullptr));
  for (const TRow& r : rows) {
    SCOPED_TRACE(r.Field);
    p->SetField(DS->FieldByName(r.Field));
    ASSERT_TRUE(p->IsDataAvailable());
    EXPECT_TRUE(p->IsDataStorage());
    EXPECT_EQ(p->DefaultAlignment(), r.Alignment);
    EXPECT_EQ(p->DefaultBlobKind(), r.BlobKind);
    EXPECT_EQ(p->DefaultDisplayFormat(), r.DisplayFormat);
    EXPECT_EQ(p->DefaultEditFormat(), r.EditFormat);
    EXPECT_EQ(p->DefaultEditMask(), r.EditMask);
    EXPECT_EQ(p->DefaultIsFloatValue(), r.IsFloat);
    EXPECT_EQ(p->DefaultMaxLength(), r.MaxLength);
    EXPECT_DOUBLE_EQ(p->DefaultMaxValue(), r.MaxValue);
    EXPECT_DOUBLE_EQ(p->DefaultMinValue(), r.MinValue);
    EXPECT_EQ(p->DefaultPrecision(), r.Precision);
    EXPECT_EQ(p->DefaultReadOnly(), r.ReadOnly);
    EXPECT_EQ(p->DefaultRequired(), r.Required);
    EXPECT_EQ(p->IsBlob(), r.IsBlob);
    EXPECT_EQ(p->DefaultIsCurrency(), r.IsCurrency);
    EXPECT_EQ(p->IsDisplayFormatDefined(true), r.FormatDefinedWithCurrency);
    EXPECT_EQ(p->IsDisplayFormatDefined(false), r.FormatDefinedWithoutCurrency);
    EXPECT_EQ(p->IsNonNumericDisplayFormat(), r.NonNumericFormat);
    EXPECT_EQ(p->CanSetEditMode(), r.CanSetEditMode);
  }
  // The field's own valid characters.
  p->SetField(i);
  EXPECT_TRUE(p->IsValidChar('7'));
  EXPECT_FALSE(p->IsValidChar('x'));
  p->SetField(s);
  EXPECT_TRUE(p->IsValidChar('x'));
}

TEST_F(DBEditProvider, WithoutDataTheInheritedAnswersApplyAndAFreedFieldIsForgotten) {
  auto* f = Add<TFloatField>("F");
  f->SetPrecision(6);
  f->SetMaxValue(10);
  f->SetAlignment(A::taCenter);
  f->SetReadOnly(true);
  auto* m = Add<TMemoField>("M");
  Owned<TcxCustomDBEditDefaultValuesProvider> p(New<TcxCustomDBEditDefaultValuesProvider>(nullptr));
  EXPECT_FALSE(p->IsDataAvailable());
  EXPECT_EQ(p->DefaultPrecision(), 15);
  EXPECT_EQ(p->DefaultBlobKind(), K::bkNone);
  EXPECT_TRUE(p->IsDataStorage());
  EXPECT_FALSE(p->CanSetEditMode());
  // A field whose data set is closed: no data, except the precision, which needs none.
  p->SetField(f);
  EXPECT_FALSE(p->IsDataAvailable());
  EXPECT_EQ(p->DefaultPrecision(), 6);
  EXPECT_EQ(p->DefaultAlignment(), A::taLeftJustify);
  EXPECT_DOUBLE_EQ(p->DefaultMaxValue(), 0);
  EXPECT_FALSE(p->DefaultReadOnly());
  EXPECT_FALSE(p->IsDisplayFormatDefined(true));
  p->SetField(m);
  EXPECT_FALSE(p->IsBlob());
  EXPECT_EQ(p->DefaultBlobKind(), K::bkNone);
  EXPECT_TRUE(p->IsValidChar('\x01'));
  DS->Open();
  EXPECT_TRUE(p->IsBlob());
  DS->Close();
  // Freeing the field leaves the provider without one.
  m->Free();
  EXPECT_EQ(p->Field(), nullptr);
  EXPECT_FALSE(p->IsBlob());
}

TEST(FieldPrecision, NoneGivesFifteenAndTheRestIsHeldToEighteen) {
  EXPECT_EQ(cxFieldPrecision(-3), 15);
  EXPECT_EQ(cxFieldPrecision(0), 15);
  EXPECT_EQ(cxFieldPrecision(1), 1);
  EXPECT_EQ(cxFieldPrecision(18), 18);
  EXPECT_EQ(cxFieldPrecision(19), 18);
  EXPECT_EQ(cxFieldPrecision(1000), 18);
}

}  // namespace
