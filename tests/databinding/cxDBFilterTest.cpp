// A filter handed to a data set as text keeps the records the data controller's own filter
// keeps: random condition trees (every operator, Nulls, texts in mixed case with accents,
// numbers and dates written under a locale with a comma decimal separator) over random
// records, the controller's rows against the data set's records.
#include "tests/databinding/DatabindingTestSupport.h"

#include "widgets/data/cxData.h"
#include "widgets/data/cxDataControllerFilter.h"
#include "widgets/data/cxFilter.h"

#include <random>
#include <set>
#include <string>

using K = TcxFilterOperatorKind;
using B = TcxFilterBoolOperatorKind;

namespace {

struct TFilterItem : TObject {};

// The controller names its items as the data set names its fields.
class TNamedController : public TcxDataController {
 public:
  using TcxDataController::TcxDataController;
  String GetItemFieldName(Integer AItemIndex) const override { return "F" + IntToStr(AItemIndex); }
};

enum TColumn { cInt, cFloat, cText, cDate, cBool, cMoney, cColumns };

const TFieldType kFieldTypes[cColumns] = {TFieldType::ftInteger,  TFieldType::ftFloat,   TFieldType::ftString,
                                          TFieldType::ftDateTime, TFieldType::ftBoolean, TFieldType::ftCurrency};

// Mixed case, code-page accents, a quote, an empty text, shared beginnings.
const char* const kTexts[] = {"apple", "Apple", "APPLE", "\xE9" "cole", "\xC9" "COLE", "Zo\xEB", "zo\xCB",
                              "O'Neil", "", "ap", "b_c", "a%b", "banana"};

TDateTime Today() { return EncodeDate(2024, 3, 15); }

class DataSetFilterAgreement : public DatabindingDataTest {
 protected:
  void SetUp() override {
    DatabindingDataTest::SetUp();
    // A locale that writes "1,5" and "15.03.2024 13:45:10".
    FormatSettings.DecimalSeparator = ',';
    FormatSettings.ThousandSeparator = '.';
    FormatSettings.DateSeparator = '.';
    FormatSettings.ShortDateFormat = "dd.mm.yyyy";
    FormatSettings.LongTimeFormat = "hh:nn:ss";
    cxFilterTodaySource = &Today;
    owner_.reset(New<TComponent>(nullptr));
    c_.reset(New<TNamedController>(nullptr));
    const TcxValueTypeClass types[cColumns] = {
        TcxIntegerValueType::StaticClass(),  TcxFloatValueType::StaticClass(),   TcxStringValueType::StaticClass(),
        TcxDateTimeValueType::StaticClass(), TcxBooleanValueType::StaticClass(), TcxCurrencyValueType::StaticClass()};
    for (Integer i = 0; i < cColumns; ++i) {
      items_[i].reset(New<TFilterItem>());
      c_->AddItem(items_[i].get());
      c_->ChangeValueTypeClass(i, types[i]);
    }
    ds_ = MakeTestDataSet(owner_.get(), {{"ID", TFieldType::ftInteger}});
    for (Integer i = 0; i < cColumns; ++i) ds_->FieldDefs().Add("F" + IntToStr(i), kFieldTypes[i], 20);
  }
  void TearDown() override {
    cxFilterTodaySource = nullptr;
    c_.reset();
    owner_.reset();
    DatabindingDataTest::TearDown();
  }

  Variant RandomValue(Integer AColumn, bool ANullable) {
    if (ANullable && gen_() % 7 == 0) return Null();
    switch (AColumn) {
      case cInt: return Integer(gen_() % 11) - 5;
      case cFloat: return (double(gen_() % 41) - 20) / 4;
      case cText: return String(kTexts[gen_() % std::size(kTexts)]);
      case cDate: return VarFromDateTime(Today().Value - 3 + double(gen_() % 7) + double(gen_() % 3) * 0.25);
      case cBool: return gen_() % 2 == 0;
      default: return Variant(Currency::FromRaw(Int64(gen_() % 21) * 2500 - 25000));
    }
  }

  // A pattern made from a text: wildcards in place of some of its characters.
  Variant RandomPattern() {
    String p = kTexts[gen_() % std::size(kTexts)];
    if (!p.empty() && gen_() % 2 == 0) p[gen_() % p.size()] = '_';
    switch (gen_() % 4) {
      case 0: return p + "%";
      case 1: return "%" + p;
      case 2: return "%" + p + "%";
      default: return p;
    }
  }

  void AddCondition(TcxFilterCriteriaItemList* AList) {
    static const K kinds[] = {K::foEqual,   K::foNotEqual,   K::foLess,    K::foLessEqual, K::foGreater,
                              K::foGreaterEqual, K::foLike,  K::foNotLike, K::foBetween,   K::foNotBetween,
                              K::foInList,  K::foNotInList,  K::foToday,   K::foThisWeek,  K::foLastMonth};
    const Integer column = Integer(gen_() % cColumns);
    K kind = kinds[gen_() % std::size(kinds)];
    Variant value;
    if (kind == K::foLike || kind == K::foNotLike) {
      if (column != cText) kind = K::foEqual;
      value = column == cText ? RandomPattern() : RandomValue(column, true);
    } else if (kind == K::foBetween || kind == K::foNotBetween) {
      value = VarArrayOf({RandomValue(column, false), RandomValue(column, false)});
    } else if (kind == K::foInList || kind == K::foNotInList) {
      std::vector<Variant> list;
      for (size_t n = 1 + gen_() % 3; n > 0; --n) list.push_back(RandomValue(column, true));
      value = VarArrayOf(list);
    } else if (kind >= K::foYesterday) {
      if (column != cDate) kind = K::foLess;
      value = column == cDate ? Variant(Null()) : RandomValue(column, false);
    } else {
      value = RandomValue(column, true);
    }
    c_->Filter()->AddItem(AList, items_[column].get(), kind, value, "");
  }

  void AddList(TcxFilterCriteriaItemList* AList, Integer ADepth) {
    for (size_t n = 1 + gen_() % 3; n > 0; --n) {
      if (ADepth < 2 && gen_() % 4 == 0)
        AddList(AList->AddItemList(B(gen_() % 4)), ADepth + 1);
      else
        AddCondition(AList);
    }
  }

  std::mt19937 gen_{20261207};
  Owned<TComponent> owner_;
  Owned<TNamedController> c_;
  Owned<TFilterItem> items_[cColumns];
  TMemoryDataSet* ds_ = nullptr;
};

}  // namespace

TEST_F(DataSetFilterAgreement, RandomConditionsKeepTheSameRecords) {
  const Integer kRecords = 60;
  c_->SetRecordCount(kRecords);
  for (Integer r = 0; r < kRecords; ++r) {
    std::vector<Variant> row{r};
    for (Integer i = 0; i < cColumns; ++i) {
      const Variant v = RandomValue(i, true);
      c_->SetValue(r, i, v);
      row.push_back(v);
    }
    ds_->AddRecord(row);
  }
  ds_->Open();
  Integer compared = 0, kept = 0, dropped = 0;
  for (Integer round = 0; round < 400; ++round) {
    TcxDataFilterCriteria* filter = c_->Filter();
    c_->BeginUpdate();
    filter->Clear();
    filter->Root()->SetBoolOperatorKind(B(gen_() % 4));
    AddList(filter->Root(), 0);
    const bool caseInsensitive = gen_() % 2 == 0;
    filter->SetOptions(caseInsensitive ? TcxFilterCriteriaOptions{TcxFilterCriteriaOption::fcoCaseInsensitive}
                                       : TcxFilterCriteriaOptions{});
    filter->SetTranslateBetween(gen_() % 3 == 0);
    filter->SetTranslateIn(gen_() % 3 == 0);
    filter->SetActive(true);
    c_->EndUpdate();
    std::set<Integer> ours;
    for (Integer row = 0; row < c_->GetRowCount(); ++row) ours.insert(c_->GetRowInfo(row).RecordIndex);

    String text;
    filter->FilterText(text);
    ds_->SetFiltered(false);
    ds_->SetFilterOptions(caseInsensitive ? TFilterOptions{TFilterOption::foCaseInsensitive} : TFilterOptions{});
    ds_->SetFilter(text);
    ds_->SetFiltered(true);
    std::set<Integer> theirs;
    for (ds_->First(); !ds_->Eof(); ds_->Next()) theirs.insert(ds_->FieldByName("ID")->GetAsInteger());
    ASSERT_EQ(ours, theirs) << "round " << round << ": " << text << (caseInsensitive ? " (any case)" : "");
    EXPECT_EQ(ds_->RecordCount(), Integer(theirs.size()));
    ++compared;
    kept += ours.size() == size_t(kRecords) ? 1 : 0;
    dropped += ours.empty() ? 1 : 0;
  }
  // The conditions are mixed enough to keep some records and drop others most of the time.
  EXPECT_LT(kept + dropped, compared / 2);
}
