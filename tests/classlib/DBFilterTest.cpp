// The data set's filter text as the data controller's filter reads the same conditions:
// Nulls, the locale's decimal separator, dates, LIKE, case, values a field cannot read;
// and the count and number of a filtered data set asked without walking its records.
#include <gtest/gtest.h>

#include "tests/classlib/ErrorText.h"

#include "classlib/core/DB.h"
#include "classlib/core/SysUtils.h"

using enum TFieldType;

namespace {

class TCalcCounter : public TObject {
 public:
  Integer Reads = 0;
  void Count(TDataSet*) { ++Reads; }
};

// Refuses record 4 while the filter text is Text.
class TRefusingHandler : public TObject {
 public:
  String Text;
  void Filter(TDataSet* DataSet, bool&) {
    if (DataSet->Filter() == Text && DataSet->FieldByName("ID")->GetAsInteger() == 4)
      throw EDatabaseError("record 4 refused");
  }
};

class DataSetFilter : public ::testing::Test {
 protected:
  void SetUp() override {
    Owner.reset(New<TComponent>(nullptr));
    DS = New<TMemoryDataSet>(Owner.get());
    DS->SetName("Items");
    DS->FieldDefs().Add("ID", ftInteger);
    DS->FieldDefs().Add("NAME", ftString, 20);
    DS->FieldDefs().Add("PRICE", ftFloat);
    DS->FieldDefs().Add("DAY", ftDate);
    const double day = EncodeDate(2024, 1, 1).Value;
    DS->AddRecord({1, "apple", 1.5, VarFromDateTime(day)});
    DS->AddRecord({2, "Banana", 2.25, VarFromDateTime(day + 1)});
    DS->AddRecord({3, Null(), Null(), Null()});
    DS->AddRecord({4, "cherry*", 4.5, VarFromDateTime(day + 2)});
    DS->AddRecord({5, "\xC4rger", 10.0, VarFromDateTime(day + 3)});  // an accented capital
    DS->Open();
    DS->SetFiltered(true);
  }
  void TearDown() override { FormatSettings = saved_; }

  // The IDs the filter keeps, walking from the first.
  String IDs(const String& AFilter) {
    DS->SetFilter(AFilter);
    String s;
    for (DS->First(); !DS->Eof(); DS->Next()) s += DS->FieldByName("ID")->GetAsString() + " ";
    return s;
  }

  Owned<TComponent> Owner;
  TMemoryDataSet* DS = nullptr;
  TFormatSettings saved_ = FormatSettings;
};

}  // namespace

TEST_F(DataSetFilter, NullOrdersBelowEveryValue) {
  EXPECT_EQ(IDs("PRICE < 2"), "1 3 ");
  EXPECT_EQ(IDs("PRICE <> 1.5"), "2 3 4 5 ");
  EXPECT_EQ(IDs("PRICE >= 1.5"), "1 2 4 5 ");
  EXPECT_EQ(IDs("PRICE = NULL"), "3 ");
  EXPECT_EQ(IDs("PRICE <> NULL"), "1 2 4 5 ");
  EXPECT_EQ(IDs("PRICE IS NOT NULL AND NOT (PRICE > 2)"), "1 ");
  EXPECT_EQ(IDs("PRICE NOT BETWEEN 2 AND 5"), "1 3 5 ");
  EXPECT_EQ(IDs("PRICE IN (NULL, 4.5)"), "3 4 ");
  EXPECT_EQ(IDs("NAME NOT IN ('apple')"), "2 3 4 5 ");
  // A Null name reads as an empty text.
  EXPECT_EQ(IDs("NAME NOT LIKE 'a%'"), "2 3 4 5 ");
  EXPECT_EQ(IDs("NAME LIKE '%'"), "1 2 3 4 5 ");
}

TEST_F(DataSetFilter, TextsOrderByTheirBytesAndLikeIsTheSharedMatcher) {
  EXPECT_EQ(IDs("NAME < 'a'"), "2 3 ");  // upper case first, Null below all
  EXPECT_EQ(IDs("NAME > 'z'"), "5 ");    // a letter beyond ASCII orders last
  EXPECT_EQ(IDs("NAME = 'cherry*'"), "4 ");
  EXPECT_EQ(IDs("NAME = 'cherry'"), "");
  EXPECT_EQ(IDs("NAME LIKE 'apple%%'"), "1 ");  // every "%" may stand for no character
  EXPECT_EQ(IDs("NAME LIKE '%apple'"), "1 ");
  EXPECT_EQ(IDs("NAME LIKE 'Ban_na%'"), "2 ");

  DS->SetFilterOptions({TFilterOption::foCaseInsensitive});
  EXPECT_EQ(IDs("NAME IN ('APPLE', 'banana')"), "1 2 ");
  EXPECT_EQ(IDs("NAME BETWEEN 'b' AND 'C'"), "2 ");
  EXPECT_EQ(IDs("NAME LIKE '\xE4%'"), "5 ");  // the code page's upper case of the accented letter
}

TEST_F(DataSetFilter, NumbersReadInTheSeparatorTheyAreWrittenIn) {
  FormatSettings.DecimalSeparator = ',';
  EXPECT_EQ(IDs("PRICE = 2,25"), "2 ");
  EXPECT_EQ(IDs("PRICE = 2.25"), "2 ");
  EXPECT_EQ(IDs("PRICE IN (1,5, 4,5)"), "1 4 ");
  EXPECT_EQ(IDs("ID IN (1, 5)"), "1 5 ");
  EXPECT_EQ(IDs("PRICE > 1,5E-1 AND PRICE < 2,5"), "1 2 ");
  EXPECT_EQ(IDs("ID > -1 AND ID < 3000000000"), "1 2 3 4 5 ");
}

TEST_F(DataSetFilter, QuotedValuesAreReadAsTheirFieldsReadThem) {
  EXPECT_EQ(IDs("DAY >= '2024-01-03'"), "4 5 ");
  EXPECT_EQ(IDs("DAY BETWEEN '2024-01-02' AND '2024-01-03'"), "2 4 ");
  EXPECT_EQ(IDs("DAY < '" + DateToStr(EncodeDate(2024, 1, 2), FormatSettings) + "'"), "1 3 ");
  EXPECT_EQ(IDs("PRICE = '2.25'"), "2 ");

  // A value its field cannot read is refused before the filter is taken.
  DS->SetFilter("ID = 2");
  EXPECT_EQ(MessageOf<EDatabaseError>([&] { DS->SetFilter("DAY = 'soon'"); }),
            "Items: Filter value soon does not suit field 'DAY'");
  EXPECT_EQ(MessageOf<EDatabaseError>([&] { DS->SetFilter("ID IN (1, 'x')"); }),
            "Items: Filter value x does not suit field 'ID'");
  EXPECT_EQ(DS->Filter(), "ID = 2");
  EXPECT_EQ(DS->RecordCount(), 1);
  // A LIKE pattern stays a pattern.
  EXPECT_EQ(IDs("ID LIKE '1%'"), "1 ");

  // Set while closed, the text is bound at opening; a value that does not suit then
  // fails the opening, and the data set stays closed.
  DS->Close();
  DS->SetFilter("DAY = 'soon'");
  EXPECT_THROW(DS->Open(), EDatabaseError);
  EXPECT_FALSE(DS->Active());
  DS->SetFilter("DAY = '2024-01-01'");
  DS->Open();
  EXPECT_EQ(DS->RecordCount(), 1);
}

// A date written year first means that date under any locale, to the millisecond; any other
// text is read as the locale writes it.
TEST_F(DataSetFilter, ADateWrittenYearFirstReadsAlikeUnderEveryLocale) {
  DS->Close();
  DS->FieldDefs().Add("AT", ftDateTime);
  DS->EmptyDataSet();
  const double jan2 = EncodeDate(2024, 1, 2).Value, feb1 = EncodeDate(2024, 2, 1).Value;
  const double quarter = EncodeTime(6, 0, 0, 0).Value, ms = EncodeTime(6, 0, 0, 250).Value;
  DS->AddRecord({1, Null(), Null(), VarFromDateTime(jan2), VarFromDateTime(jan2)});
  DS->AddRecord({2, Null(), Null(), VarFromDateTime(feb1), VarFromDateTime(feb1 + quarter)});
  DS->AddRecord({3, Null(), Null(), Null(), VarFromDateTime(jan2 + ms)});
  DS->Open();
  for (bool dayFirst : {true, false}) {
    SCOPED_TRACE(dayFirst ? "day first" : "month first");
    FormatSettings.ShortDateFormat = dayFirst ? "dd.mm.yyyy" : "mm/dd/yyyy";
    FormatSettings.DateSeparator = dayFirst ? '.' : '/';
    FormatSettings.TimeSeparator = dayFirst ? '.' : ':';
    EXPECT_EQ(IDs("DAY = '2024-01-02'"), "1 ");
    EXPECT_EQ(IDs("AT = '2024-02-01 06:00'"), "2 ");
    EXPECT_EQ(IDs("AT = '2024-02-01T06:00:00'"), "2 ");
    EXPECT_EQ(IDs("AT = '2024-01-02 06:00:00.250'"), "3 ");
    EXPECT_EQ(IDs("AT = '2024-01-02 06:00:00.25'"), "3 ");
    EXPECT_EQ(IDs("AT > '2024-01-02 06:00:00.249' AND AT < '2024-01-02 06:00:00.251'"), "3 ");
    // The locale's own text, its order of day and month.
    EXPECT_EQ(IDs("DAY = '02" + String(1, FormatSettings.DateSeparator) + "01" +
                  String(1, FormatSettings.DateSeparator) + "2024'"),
              dayFirst ? "1 " : "2 ");
    // Not year first after all: left to the locale, which refuses it.
    EXPECT_EQ(MessageOf<EDatabaseError>([&] { DS->SetFilter("DAY = '2024-13-01'"); }),
              "Items: Filter value 2024-13-01 does not suit field 'DAY'");
    EXPECT_EQ(MessageOf<EDatabaseError>([&] { DS->SetFilter("AT = '2024-01-02 06:00:00.2500'"); }),
              "Items: Filter value 2024-01-02 06:00:00.2500 does not suit field 'AT'");
  }
}

TEST_F(DataSetFilter, CountAndNumberReadTheRecordsOncePerChange) {
  // Every record read runs the calculation: it counts the reads.
  TCalcCounter counter;
  DS = New<TMemoryDataSet>(Owner.get());
  DS->SetName("Counted");
  auto* id = New<TIntegerField>(Owner.get());
  id->SetFieldName("ID");
  id->SetDataSet(DS);
  auto* price = New<TFloatField>(Owner.get());
  price->SetFieldName("PRICE");
  price->SetDataSet(DS);
  auto* calc = New<TFloatField>(Owner.get());
  calc->SetFieldName("CALC");
  calc->SetFieldKind(TFieldKind::fkCalculated);
  calc->SetDataSet(DS);
  for (const auto& [i, p] : {std::pair{1, 1.5}, {2, 2.25}, {3, 0.0}, {4, 4.5}, {5, 10.0}}) DS->AddRecord({i, p});
  DS->OnCalcFields = TDataSetNotifyEvent(&counter, &TCalcCounter::Count);
  DS->Open();
  DS->SetFiltered(true);
  DS->SetFilter("PRICE > 2");  // 2, 4, 5
  counter.Reads = 0;
  EXPECT_EQ(DS->RecordCount(), 3);
  const Integer once = counter.Reads;
  EXPECT_GE(once, 5);
  DS->Last();
  counter.Reads = 0;
  EXPECT_EQ(DS->RecordCount(), 3);
  EXPECT_EQ(DS->RecNo(), 3);
  DS->SetRecNo(2);
  EXPECT_EQ(DS->FieldByName("ID")->GetAsInteger(), 4);
  EXPECT_EQ(DS->RecNo(), 2);
  EXPECT_LE(counter.Reads, 3);  // only the records shown, none to decide

  // A posted change is counted at once.
  DS->Edit();
  DS->FieldByName("PRICE")->SetAsFloat(1);
  DS->Post();
  EXPECT_EQ(DS->RecordCount(), 2);
  DS->Append();
  DS->FieldByName("ID")->SetAsInteger(6);
  DS->FieldByName("PRICE")->SetAsFloat(7);
  DS->Post();
  EXPECT_EQ(DS->RecordCount(), 3);
  EXPECT_EQ(DS->RecNo(), 3);
  DS->First();
  DS->Delete();
  EXPECT_EQ(DS->RecordCount(), 2);
  DS->AddRecord({7, 8.0});
  EXPECT_EQ(DS->RecordCount(), 3);

  // Unfiltered, the number is the place.
  DS->SetFiltered(false);
  DS->Last();
  EXPECT_EQ(DS->RecNo(), 6);
  EXPECT_EQ(DS->RecordCount(), 6);
}

namespace {

String Repeated(const String& APart, size_t ACount) {
  String s;
  s.reserve(APart.size() * ACount);
  for (size_t i = 0; i < ACount; ++i) s += APart;
  return s;
}

}  // namespace

// Conditions joined by OR or AND are one list however long the chain; every data set walk
// (binding, asking, freeing) then stays as shallow as the text's nesting.
TEST_F(DataSetFilter, LongChainsOfConditionsFilter) {
  String anyOf = "ID = 4";
  for (Integer i = 0; i < 30000; ++i) anyOf += " OR ID = " + IntToStr(100 + i);
  anyOf += " OR ID = 2";
  EXPECT_EQ(IDs(anyOf), "2 4 ");
  EXPECT_EQ(DS->RecordCount(), 2);

  String allOf = "ID <> 3";
  for (Integer i = 0; i < 30000; ++i) allOf += " AND ID <> " + IntToStr(100 + i);
  EXPECT_EQ(IDs(allOf), "1 2 4 5 ");

  // AND binds closer than OR through the whole chain: (ID = 1 AND ID > 0) OR (ID = 5 AND ...).
  String mixed = "ID = 9 AND ID > 0";
  for (Integer i = 0; i < 15000; ++i)
    mixed += " OR ID = " + IntToStr(i % 2 ? 1 : 5) + " AND PRICE > " + IntToStr(i);
  EXPECT_EQ(IDs(mixed), "1 5 ");

  // Parentheses around a chain of the same kind join it, NOT keeps its own.
  EXPECT_EQ(IDs("(ID = 1 OR ID = 2) OR (ID = 3 OR NOT (ID <> 4 OR ID = 5))"), "1 2 3 4 ");
  EXPECT_EQ(IDs("(ID > 1 AND (ID < 5 AND NOT (ID = 3))) AND ID <> 2"), "4 ");
}

// Parentheses and NOT nest at most 1000 deep; a deeper text is refused with the filter, the
// records and the cursor as they were.
TEST_F(DataSetFilter, NestingDeeperThanTheLimitIsRefused) {
  // At the limit.
  EXPECT_EQ(IDs(Repeated("(", 1000) + "ID = 2" + Repeated(")", 1000)), "2 ");
  EXPECT_EQ(IDs(Repeated("NOT ", 1000) + "ID = 2"), "2 ");
  EXPECT_EQ(IDs(Repeated("NOT ", 999) + "ID = 2"), "1 3 4 5 ");
  EXPECT_EQ(IDs(Repeated("NOT (", 500) + "ID = 2" + Repeated(")", 500)), "2 ");
  EXPECT_EQ(IDs(Repeated("ID = 1 OR (", 999) + "ID = 5" + Repeated(")", 999)), "1 5 ");

  DS->SetFilter("ID > 3");
  DS->Last();
  // The message quotes the text's beginning.
  const String nested = ": nested deeper than 1000 levels in \"";
  struct Case {
    String Text;
    String Message;  // empty: any message of the nesting
  } cases[] = {
      {Repeated("(", 1001) + "ID = 2" + Repeated(")", 1001),
       "Invalid filter text at position 1001" + nested + Repeated("(", 60) + "...\""},
      {Repeated("NOT ", 1001) + "ID = 2",
       "Invalid filter text at position 4001" + nested + Repeated("NOT ", 15) + "...\""},
      {Repeated("NOT (", 500) + "(ID = 2)" + Repeated(")", 500),
       "Invalid filter text at position 2501" + nested + Repeated("NOT (", 12) + "...\""},
      // As deep as the texts that used to overflow the stack.
      {Repeated("(", 30000) + "ID = 2" + Repeated(")", 30000), ""},
      {Repeated("NOT ", 30000) + "ID = 2", ""},
      {Repeated("ID = 1 AND (ID = 2 OR ", 30000) + "ID = 3" + Repeated(")", 30000), ""},
  };
  for (const Case& c : cases) {
    const String message = MessageOf<EDatabaseError>([&] { DS->SetFilter(c.Text); });
    if (!c.Message.empty())
      EXPECT_EQ(message, c.Message);
    else
      EXPECT_NE(message.find(nested), String::npos) << message.substr(0, 80);
    EXPECT_EQ(DS->Filter(), "ID > 3");
    EXPECT_EQ(DS->RecordCount(), 2);
    EXPECT_EQ(DS->FieldByName("ID")->GetAsInteger(), 5);
  }
  // Refused while closed too, before any field is asked for.
  DS->Close();
  EXPECT_THROW(DS->SetFilter(Repeated("(", 1001) + "NOPE = 1" + Repeated(")", 1001)),
               EDatabaseError);
  EXPECT_EQ(DS->Filter(), "ID > 3");
  DS->Open();
  EXPECT_EQ(DS->RecordCount(), 2);
}

// A filter naming a field the data set lacks is refused as the data set opens, records or
// none; and an open data set refuses it as it is set or switched on.
TEST_F(DataSetFilter, AFieldTheDataSetLacksIsRefusedWhenTheFilterIsTakenOrTheDataSetOpens) {
  DS->SetFilter("ID > 3");
  EXPECT_EQ(MessageOf<EDatabaseError>([&] { DS->SetFilter("NOPE = 1"); }),
            "Items: Field 'NOPE' not found");
  // Brackets around nothing name no field, wherever they stand.
  EXPECT_EQ(MessageOf<EDatabaseError>([&] { DS->SetFilter("[] = 1"); }),
            "Invalid filter text at position 1: field name expected in \"[] = 1\"");
  EXPECT_EQ(MessageOf<EDatabaseError>([&] { DS->SetFilter("ID = 1 OR [] NOT LIKE 'a'"); }),
            "Invalid filter text at position 11: field name expected in \"ID = 1 OR [] NOT LIKE 'a'\"");
  EXPECT_EQ(DS->Filter(), "ID > 3");
  EXPECT_EQ(DS->RecordCount(), 2);
  DS->SetFiltered(false);
  EXPECT_EQ(DS->Filter(), "ID > 3");

  auto* empty = New<TMemoryDataSet>(Owner.get());
  empty->SetName("Empty");
  empty->FieldDefs().Add("ID", ftInteger);
  empty->SetFilter("NOPE = 1");
  empty->SetFiltered(true);
  EXPECT_EQ(MessageOf<EDatabaseError>([&] { empty->Open(); }), "Empty: Field 'NOPE' not found");
  EXPECT_FALSE(empty->Active());
  EXPECT_EQ(empty->FieldCount(), 0);

  // Not filtering, it opens; switched on, the filter is refused and stays off.
  empty->SetFiltered(false);
  empty->Open();
  EXPECT_EQ(MessageOf<EDatabaseError>([&] { empty->SetFiltered(true); }),
            "Empty: Field 'NOPE' not found");
  EXPECT_FALSE(empty->Filtered());
  empty->Append();
  empty->FieldByName("ID")->SetAsInteger(7);
  empty->Post();
  EXPECT_EQ(empty->RecordCount(), 1);
  empty->First();
  EXPECT_EQ(empty->FieldByName("ID")->GetAsInteger(), 7);

  // A text that suits opens over no records and filters what comes.
  empty->Close();
  empty->EmptyDataSet();
  empty->SetFilter("ID > 5");
  empty->SetFiltered(true);
  empty->Open();
  for (Integer id : {3, 9}) {
    empty->Append();
    empty->FieldByName("ID")->SetAsInteger(id);
    empty->Post();
  }
  EXPECT_EQ(empty->RecordCount(), 1);
  empty->First();
  EXPECT_EQ(empty->FieldByName("ID")->GetAsInteger(), 9);
}

// A text taken back after its records raised is read again: the records shown follow the
// text the data set has.
TEST_F(DataSetFilter, ATextTakenBackFiltersAsItDidBefore) {
  TRefusingHandler handler;
  handler.Text = "ID > 3";
  DS->OnFilterRecord = TFilterRecordEvent(&handler, &TRefusingHandler::Filter);
  EXPECT_EQ(IDs("ID < 3"), "1 2 ");
  EXPECT_EQ(MessageOf<EDatabaseError>([&] { DS->SetFilter("ID > 3"); }), "record 4 refused");
  EXPECT_EQ(DS->Filter(), "ID < 3");
  EXPECT_EQ(DS->RecordCount(), 2);
  String s;
  for (DS->First(); !DS->Eof(); DS->Next()) s += DS->FieldByName("ID")->GetAsString() + " ";
  EXPECT_EQ(s, "1 2 ");
  DS->OnFilterRecord = nullptr;
}
