// A filter handed to a data set as text keeps the records the data controller's own filter
// keeps: random condition trees (every operator, Nulls, texts in mixed case with accents,
// numbers and dates written under a locale with a comma decimal separator) over random
// records, the controller's rows against the data set's records; and the data-set
// controller's filter criteria: the automatic data-set filter, the application's look at
// each change, the SQL null tests of query classes, the names it writes.
#include "tests/databinding/DBDataTestSupport.h"

#include "tests/classlib/ErrorText.h"
#include "widgets/databinding/cxDBFilter.h"

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

// A locale that writes "1,5" and "15.03.2024 13:45:10".
void UseCommaLocale() {
  FormatSettings.DecimalSeparator = ',';
  FormatSettings.ThousandSeparator = '.';
  FormatSettings.DateSeparator = '.';
  FormatSettings.ShortDateFormat = "dd.mm.yyyy";
  FormatSettings.LongTimeFormat = "hh:nn:ss";
}

// Random values of the columns, and random condition trees over the links of the columns.
struct TRandomConditions {
  std::mt19937 Gen{20261207};
  std::vector<TObject*> Links;  // one per column
  // The dates are the three days either side of this one.
  TDateTime Dates = Today();

  Variant Value(Integer AColumn, bool ANullable) {
    if (ANullable && Gen() % 7 == 0) return Null();
    switch (AColumn) {
      case cInt: return Integer(Gen() % 11) - 5;
      case cFloat: return (double(Gen() % 41) - 20) / 4;
      case cText: return String(kTexts[Gen() % std::size(kTexts)]);
      case cDate:
        return VarFromDateTime(Dates.Value - 3 + double(Gen() % 7) + double(Gen() % 3) * 0.25);
      case cBool: return Gen() % 2 == 0;
      default: return Variant(Currency::FromRaw(Int64(Gen() % 21) * 2500 - 25000));
    }
  }

  // A pattern made from a text: wildcards in place of some of its characters.
  Variant Pattern() {
    String p = kTexts[Gen() % std::size(kTexts)];
    if (!p.empty() && Gen() % 2 == 0) p[Gen() % p.size()] = '_';
    switch (Gen() % 4) {
      case 0: return p + "%";
      case 1: return "%" + p;
      case 2: return "%" + p + "%";
      default: return p;
    }
  }

  void AddCondition(TcxFilterCriteria* ACriteria, TcxFilterCriteriaItemList* AList) {
    static const K kinds[] = {K::foEqual,   K::foNotEqual,   K::foLess,    K::foLessEqual, K::foGreater,
                              K::foGreaterEqual, K::foLike,  K::foNotLike, K::foBetween,   K::foNotBetween,
                              K::foInList,  K::foNotInList,  K::foToday,   K::foThisWeek,  K::foLastMonth};
    const Integer column = Integer(Gen() % cColumns);
    K kind = kinds[Gen() % std::size(kinds)];
    Variant value;
    if (kind == K::foLike || kind == K::foNotLike) {
      if (column != cText) kind = K::foEqual;
      value = column == cText ? Pattern() : Value(column, true);
    } else if (kind == K::foBetween || kind == K::foNotBetween) {
      value = VarArrayOf({Value(column, false), Value(column, false)});
    } else if (kind == K::foInList || kind == K::foNotInList) {
      std::vector<Variant> list;
      for (size_t n = 1 + Gen() % 3; n > 0; --n) list.push_back(Value(column, true));
      value = VarArrayOf(list);
    } else if (kind >= K::foYesterday) {
      if (column != cDate) kind = K::foLess;
      value = column == cDate ? Variant(Null()) : Value(column, false);
    } else {
      value = Value(column, true);
    }
    ACriteria->AddItem(AList, Links[size_t(column)], kind, value, "");
  }

  void AddList(TcxFilterCriteria* ACriteria, TcxFilterCriteriaItemList* AList, Integer ADepth) {
    for (size_t n = 1 + Gen() % 3; n > 0; --n) {
      if (ADepth < 2 && Gen() % 4 == 0)
        AddList(ACriteria, AList->AddItemList(B(Gen() % 4)), ADepth + 1);
      else
        AddCondition(ACriteria, AList);
    }
  }

  // New conditions and options; answers whether case matters not.
  bool Fill(TcxFilterCriteria* ACriteria) {
    ACriteria->Clear();
    ACriteria->Root()->SetBoolOperatorKind(B(Gen() % 4));
    AddList(ACriteria, ACriteria->Root(), 0);
    const bool caseInsensitive = Gen() % 2 == 0;
    ACriteria->SetOptions(caseInsensitive ? TcxFilterCriteriaOptions{TcxFilterCriteriaOption::fcoCaseInsensitive}
                                          : TcxFilterCriteriaOptions{});
    ACriteria->SetTranslateBetween(Gen() % 3 == 0);
    ACriteria->SetTranslateIn(Gen() % 3 == 0);
    return caseInsensitive;
  }
};

class DataSetFilterAgreement : public DatabindingDataTest {
 protected:
  void SetUp() override {
    DatabindingDataTest::SetUp();
    UseCommaLocale();
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
      random_.Links.push_back(items_[i].get());
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

  TRandomConditions random_;
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
      const Variant v = random_.Value(i, true);
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
    const bool caseInsensitive = random_.Fill(filter);
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

namespace {

// Counts what a data set tells its links.
class TCountingLink : public TDataLink {
 public:
  Integer Changes = 0;

 protected:
  void DataSetChanged() override { ++Changes; }
};

struct TFilterEvents : TObject {
  std::vector<String> Texts;
  TDataSet* DataSet = nullptr;
  String Replacement;      // the value text a formatting handler writes, when set
  String DateReplacement;  // the same for dates only
  void BeforeChange(TcxDBDataFilterCriteria*, TDataSet* ADataSet, const String& AText) {
    DataSet = ADataSet;
    Texts.push_back(AText);
  }
  void Format(TcxDBDataFilterCriteria*, const Variant& AValue, String& AText) {
    if (!Replacement.empty()) AText = Replacement;
    if (!DateReplacement.empty() && VarType(AValue) == varDate) AText = DateReplacement;
  }
};

class DBFilter : public DBDataTest {
 protected:
  void SetUp() override {
    DBDataTest::SetUp();
    UseCommaLocale();
    cxFilterTodaySource = &Today;
  }
  void TearDown() override {
    cxFilterTodaySource = nullptr;
    DBDataTest::TearDown();
  }
  // ID and the six columns F0..F5, with ARecords random records.
  void MakeRandom(Integer ARecords) {
    std::vector<std::vector<Variant>> rows;
    for (Integer r = 0; r < ARecords; ++r) {
      std::vector<Variant> row{r};
      for (Integer i = 0; i < cColumns; ++i) row.push_back(random_.Value(i, true));
      rows.push_back(row);
    }
    MakeDataSet({{"ID", TFieldType::ftInteger}, {"F0", kFieldTypes[0]}, {"F1", kFieldTypes[1]},
                 {"F2", kFieldTypes[2], 20}, {"F3", kFieldTypes[3]}, {"F4", kFieldTypes[4]}, {"F5", kFieldTypes[5]}},
                rows);
    DS->Open();
    MakeController({"ID", "F0", "F1", "F2", "F3", "F4", "F5"});
    for (Integer i = 0; i < cColumns; ++i) random_.Links.push_back(Items[size_t(i) + 1].get());
  }
  TcxDBDataFilterCriteria* Filter() const { return static_cast<TcxDBDataFilterCriteria*>(C->Filter()); }
  // ARounds random criteria, each kept by the controller and then handed to the data set:
  // both keep the same records. Counts the rounds that kept some records but not all, and
  // those whose criteria held a date.
  struct TAgreement {
    Integer Differing = 0;
    Integer WithDates = 0;
  };
  TAgreement CompareTheAutomaticFilter(Integer ARounds) {
    TAgreement r;
    const Integer records = DS->RecordCount();
    for (Integer round = 0; round < ARounds; ++round) {
      C->BeginUpdate();
      const bool caseInsensitive = random_.Fill(Filter());
      Filter()->SetActive(true);
      C->EndUpdate();
      EXPECT_FALSE(DS->Filtered());
      const std::set<Integer> ours = RowIDs();
      // The same criteria handed to the data set: it filters, the controller loads what it keeps.
      Filter()->SetAutoDataSetFilter(true);
      EXPECT_TRUE(DS->Filtered());
      if (Filter()->GetDateTimeFormat().empty()) {
        EXPECT_EQ(DS->Filter(), Text());
      }
      EXPECT_EQ(DS->FilterOptions().Contains(TFilterOption::foCaseInsensitive), caseInsensitive);
      EXPECT_FALSE(Filter()->IsFiltering());
      EXPECT_EQ(RowIDs(), ours) << "round " << round << ": " << Text()
                                << " as the data set has it: " << DS->Filter();
      EXPECT_EQ(C->GetRecordCount(), Integer(ours.size()));
      r.Differing += Integer(ours.size()) != records && !ours.empty() ? 1 : 0;
      r.WithDates += DS->Filter().find("2024") != String::npos ? 1 : 0;
      // Back to the controller's own filter: the data set shows every record again.
      Filter()->SetAutoDataSetFilter(false);
      EXPECT_FALSE(DS->Filtered());
      EXPECT_EQ(DS->RecordCount(), records);
      EXPECT_EQ(RowIDs(), ours);
      if (::testing::Test::HasFailure()) break;
    }
    return r;
  }
  std::set<Integer> RowIDs() const {
    std::set<Integer> r;
    for (Integer record : DataRows()) r.insert(C->GetItemValue(record, 0).AsInteger());
    return r;
  }
  String Text() const {
    String t;
    Filter()->FilterText(t);
    return t;
  }

  TRandomConditions random_;
};

}  // namespace

TEST_F(DBFilter, TheDataSetKeepsWhatTheControllerKeeps) {
  MakeRandom(60);
  ASSERT_NE(dynamic_cast<TcxDBDataFilterCriteria*>(C->Filter()), nullptr);
  EXPECT_GT(CompareTheAutomaticFilter(150).Differing, 50);
}

// Dates whose day and month both read as a month (2 to 8 March), written by the criteria in
// formats other than the locale's, under a locale that reads the day first and one that reads
// the month first: the data set keeps the controller's records all the same.
TEST_F(DBFilter, TheDataSetKeepsWhatTheControllerKeepsUnderAnyDateTimeFormat) {
  random_.Dates = EncodeDate(2024, 3, 5);
  MakeRandom(60);
  for (bool dayFirst : {true, false}) {
    if (!dayFirst) {
      FormatSettings.DateSeparator = '/';
      FormatSettings.ShortDateFormat = "mm/dd/yyyy";
    }
    for (const char* format :
         {"dd.mm.yyyy hh:nn", "mm/dd/yyyy hh:nn:ss", "yyyy-dd-mm hh:nn:ss.zzz", "dddd"}) {
      SCOPED_TRACE(std::string(format) +
                   (dayFirst ? ", locale day first" : ", locale month first"));
      Filter()->SetDateTimeFormat(format);
      const TAgreement agreement = CompareTheAutomaticFilter(40);
      EXPECT_GT(agreement.Differing, 5);
      EXPECT_GT(agreement.WithDates, 5);
    }
  }
}

// The data set gets its dates year first and to the millisecond, midnight without a time;
// the application sees them in its DateTimeFormat when it set one.
TEST_F(DBFilter, TheDataSetGetsDatesYearFirstAndTheApplicationInItsOwnFormat) {
  const double jan2 = EncodeDate(2024, 1, 2).Value, feb1 = EncodeDate(2024, 2, 1).Value;
  const double late = EncodeTime(6, 0, 0, 250).Value;
  MakeDataSet(
      {{"ID", TFieldType::ftInteger}, {"D", TFieldType::ftDateTime}},
      {{1, VarFromDateTime(jan2 + late)}, {2, VarFromDateTime(feb1)}, {3, VarFromDateTime(jan2)}});
  DS->Open();
  MakeController({"ID", "D"});
  TFilterEvents events;
  Filter()->OnBeforeChange =
      TcxDBDataFilterBeforeChangeEvent(&events, &TFilterEvents::BeforeChange);
  Filter()->SetAutoDataSetFilter(true);
  Filter()->AddItem(Filter()->Root(), Items[1].get(), K::foEqual, VarFromDateTime(jan2 + late), "");
  Filter()->SetActive(true);
  EXPECT_EQ(DS->Filter(), "(D = '2024-01-02 06:00:00.250')");
  EXPECT_EQ(events.Texts.back(), DS->Filter());
  EXPECT_EQ(RowIDs(), (std::set<Integer>{1}));
  Filter()->SetDateTimeFormat("dd.mm.yyyy");
  Filter()->Clear();
  Filter()->AddItem(Filter()->Root(), Items[1].get(), K::foEqual, VarFromDateTime(jan2), "");
  EXPECT_EQ(DS->Filter(), "(D = '2024-01-02')");
  EXPECT_EQ(events.Texts.back(), "(D = '02.01.2024')");
  EXPECT_EQ(Text(), "(D = '02.01.2024')");
  // Under a locale that reads the month first, the same record.
  FormatSettings.DateSeparator = '/';
  FormatSettings.ShortDateFormat = "mm/dd/yyyy";
  Filter()->SetActive(false);
  Filter()->SetActive(true);
  EXPECT_EQ(RowIDs(), (std::set<Integer>{3}));
  Filter()->OnBeforeChange = nullptr;
}

TEST_F(DBFilter, UnchangedSettingsLeaveTheDataSetAloneAndAnInactiveFilterIsHandedOverOff) {
  MakeDataSet({{"ID", TFieldType::ftInteger}, {"NAME", TFieldType::ftString, 10}},
              {{1, "a"}, {2, Null()}, {3, "c"}});
  DS->Open();
  MakeController({"ID", "NAME"});
  TCountingLink link;
  link.SetDataSource(Source);
  Filter()->SetAutoDataSetFilter(true);
  Filter()->AddItem(Filter()->Root(), Items[0].get(), K::foGreater, 1, "1");
  // Inactive: the data set has the text, not filtering.
  EXPECT_EQ(DS->Filter(), "(ID > 1)");
  EXPECT_FALSE(DS->Filtered());
  EXPECT_EQ(C->GetRecordCount(), 3);
  Filter()->SetActive(true);
  EXPECT_TRUE(DS->Filtered());
  EXPECT_EQ(RowIDs(), (std::set<Integer>{2, 3}));
  const Integer changes = link.Changes;
  // Nothing new for the data set: it is not touched.
  Filter()->Changed();
  Filter()->SetTranslateIn(true);
  EXPECT_EQ(link.Changes, changes);
  EXPECT_EQ(RowIDs(), (std::set<Integer>{2, 3}));
  // Any case: only the options change.
  Filter()->SetOptions({TcxFilterCriteriaOption::fcoCaseInsensitive});
  EXPECT_EQ(DS->FilterOptions(), TFilterOptions{TFilterOption::foCaseInsensitive});
  EXPECT_GT(link.Changes, changes);
  link.SetDataSource(nullptr);
}

TEST_F(DBFilter, QueryClassesWriteTheSQLNullTests) {
  Owned<TTestMemoryQuery> query(New<TTestMemoryQuery>(nullptr));
  query->FieldDefs().Add("NAME", TFieldType::ftString, 10);
  query->AddRow({"a"});
  query->AddRow({Null()});
  for (bool isQuery : {false, true}) {
    SCOPED_TRACE(isQuery);
    MakeDataSet({{"NAME", TFieldType::ftString, 10}}, {{"a"}, {Null()}});
    if (isQuery) Source->SetDataSet(query.get());
    Source->DataSet()->Open();
    MakeController({"NAME"});
    Filter()->AddItem(Filter()->Root(), Items[0].get(), K::foEqual, Null(), "");
    EXPECT_EQ(Text(), isQuery ? "(NAME IS NULL)" : "(NAME = NULL)");
    Filter()->Clear();
    Filter()->AddItem(Filter()->Root(), Items[0].get(), K::foNotEqual, Null(), "");
    EXPECT_EQ(Text(), isQuery ? "(NAME IS NOT NULL)" : "(NAME <> NULL)");
    // Either way the data set reads it as the null test.
    Filter()->SetAutoDataSetFilter(true);
    Filter()->SetActive(true);
    EXPECT_EQ(C->GetRecordCount(), 1);
    EXPECT_EQ(C->GetItemValue(0, 0).AsString(), "a");
    C.reset();
    Items.clear();
    Source->DataSet()->Close();
  }
}

// Null tests made while the controller read another data set write the form of the data set
// it reads now.
TEST_F(DBFilter, NullTestsFollowTheDataSetTheControllerReadsNow) {
  Owned<TTestMemoryQuery> query(New<TTestMemoryQuery>(nullptr));
  query->FieldDefs().Add("NAME", TFieldType::ftString, 10);
  query->AddRow({"a"});
  query->AddRow({Null()});
  query->AddRow({"c"});
  query->Open();
  MakeDataSet({{"NAME", TFieldType::ftString, 10}}, {{"a"}, {Null()}});
  DS->Open();
  MakeController({"NAME"});
  TcxFilterCriteriaItemList* list = Filter()->Root()->AddItemList(B::fboOr);
  Filter()->AddItem(list, Items[0].get(), K::foEqual, Null(), "");
  Filter()->AddItem(list, Items[0].get(), K::foLike, Null(), "");
  Filter()->AddItem(Filter()->Root(), Items[0].get(), K::foNotEqual, Null(), "");
  EXPECT_EQ(Text(), "((NAME = NULL) OR (NAME = NULL)) AND (NAME <> NULL)");
  Source->SetDataSet(query.get());
  EXPECT_EQ(Text(), "((NAME IS NULL) OR (NAME IS NULL)) AND (NAME IS NOT NULL)");
  // The query gets that text.
  Filter()->Clear();
  Filter()->AddItem(Filter()->Root(), Items[0].get(), K::foNotLike, Null(), "");
  Source->SetDataSet(DS);
  Filter()->SetAutoDataSetFilter(true);
  Filter()->SetActive(true);
  EXPECT_EQ(DS->Filter(), "(NAME <> NULL)");
  Filter()->SetAutoDataSetFilter(false);
  Source->SetDataSet(query.get());
  Filter()->SetAutoDataSetFilter(true);
  EXPECT_EQ(query->Filter(), "(NAME IS NOT NULL)");
  EXPECT_EQ(C->GetRecordCount(), 2);
  // And back: the plain form again.
  Filter()->SetAutoDataSetFilter(false);
  Source->SetDataSet(DS);
  EXPECT_EQ(Text(), "(NAME <> NULL)");
  C.reset();
  Items.clear();
}

TEST_F(DBFilter, TheApplicationSeesEachChangeAndThenTheControllerNoLongerFilters) {
  MakeDataSet({{"ID", TFieldType::ftInteger}}, {{1}, {2}, {3}});
  DS->Open();
  MakeController({"ID"});
  TFilterEvents events;
  Filter()->OnBeforeChange = TcxDBDataFilterBeforeChangeEvent(&events, &TFilterEvents::BeforeChange);
  Filter()->AddItem(Filter()->Root(), Items[0].get(), K::foLess, 2, "2");
  Filter()->SetActive(true);
  EXPECT_EQ(events.DataSet, DS);
  ASSERT_FALSE(events.Texts.empty());
  EXPECT_EQ(events.Texts.back(), "(ID < 2)");
  EXPECT_FALSE(Filter()->IsFiltering());
  EXPECT_EQ(C->GetRowCount(), 3);
  Filter()->OnBeforeChange = nullptr;
  Filter()->Changed();
  EXPECT_TRUE(Filter()->IsFiltering());
  EXPECT_EQ(C->GetRowCount(), 1);
}

TEST_F(DBFilter, FieldsAreNamedByOriginUnlessIgnoredAndValueTextsCanBeFormatted) {
  MakeDataSet({{"ID", TFieldType::ftInteger}, {"My Name]", TFieldType::ftString, 10}}, {{1, "a"}, {2, "b"}});
  DS->Open();
  DS->FieldByName("ID")->SetOrigin("T.ID");
  MakeController({"ID", "My Name]"});
  Filter()->AddItem(Filter()->Root(), Items[0].get(), K::foEqual, 1, "1");
  Filter()->AddItem(Filter()->Root(), Items[1].get(), K::foEqual, "b", "b");
  EXPECT_TRUE(Filter()->IgnoreOrigin());
  EXPECT_EQ(Text(), "(ID = 1) AND ([My Name]]] = 'b')");
  Filter()->SetIgnoreOrigin(false);
  EXPECT_EQ(Text(), "(T.ID = 1) AND ([My Name]]] = 'b')");
  TFilterEvents events;
  events.Replacement = "'x'";
  Filter()->OnFormatFilterTextValue = TcxDBDataFilterFormatFilterTextValueEvent(&events, &TFilterEvents::Format);
  EXPECT_EQ(Text(), "(T.ID = 'x') AND ([My Name]]] = 'x')");
  Filter()->OnFormatFilterTextValue = nullptr;
  // The escaped name reads back as the field's name.
  Filter()->SetIgnoreOrigin(true);
  Filter()->Clear();
  Filter()->AddItem(Filter()->Root(), Items[1].get(), K::foEqual, "b", "b");
  Filter()->SetAutoDataSetFilter(true);
  Filter()->SetActive(true);
  EXPECT_EQ(C->GetRecordCount(), 1);

  // Defaults come back; another criteria is copied with both settings.
  Owned<TcxDBDataFilterCriteria> copy(New<TcxDBDataFilterCriteria>(nullptr));
  copy->Assign(Filter());
  EXPECT_TRUE(copy->AutoDataSetFilter());
  Filter()->RestoreDefaults();
  EXPECT_FALSE(Filter()->AutoDataSetFilter());
  EXPECT_TRUE(Filter()->IgnoreOrigin());
}

TEST_F(DBFilter, ARefusedTextReachesTheCallerWithTheDataSetAsItWas) {
  MakeDataSet({{"ID", TFieldType::ftInteger}, {"D", TFieldType::ftDateTime}},
              {{1, VarFromDateTime(Today())}, {2, Null()}});
  DS->Open();
  MakeController({"ID", "D"});
  Filter()->SetAutoDataSetFilter(true);
  Filter()->AddItem(Filter()->Root(), Items[0].get(), K::foEqual, 1, "1");
  Filter()->SetActive(true);
  EXPECT_EQ(DS->Filter(), "(ID = 1)");
  // A value text the data set cannot read, the application's own.
  TFilterEvents events;
  events.DateReplacement = "'Friday'";
  Filter()->OnFormatFilterTextValue =
      TcxDBDataFilterFormatFilterTextValueEvent(&events, &TFilterEvents::Format);
  EXPECT_EQ(MessageOf<EDatabaseError>(
                [&] { Filter()->AddItem(Filter()->Root(), Items[1].get(), K::foLess, VarFromDateTime(Today()), ""); }),
            "Filter value Friday does not suit field 'D'");
  EXPECT_FALSE(DS->ControlsDisabled());
  EXPECT_EQ(DS->Filter(), "(ID = 1)");
  EXPECT_EQ(C->GetRecordCount(), 1);
  Filter()->OnFormatFilterTextValue = nullptr;
}

TEST_F(DBFilter, APendingEditIsSettledFirst) {
  MakeDataSet({{"ID", TFieldType::ftInteger}}, {{1}, {2}, {3}});
  DS->Open();
  MakeController({"ID"});
  DS->Last();
  DS->Edit();
  DS->FieldByName("ID")->SetAsInteger(30);
  Filter()->AddItem(Filter()->Root(), Items[0].get(), K::foGreater, 2, "2");
  Filter()->SetActive(true);
  EXPECT_EQ(DS->State(), TDataSetState::dsBrowse);
  EXPECT_EQ(RowIDs(), (std::set<Integer>{30}));
}
