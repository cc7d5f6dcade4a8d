// Exact single-field searches of the in-memory data set, answered from the key index once
// searching pays for it: the same records as the walk over the records, whatever the values,
// the edits in between and the filter.
#include <gtest/gtest.h>

#include "classlib/core/DB.h"

#include <functional>
#include <random>

using enum TFieldType;

namespace {

class TIdDoubler : public TObject {
 public:
  void Count(TDataSet* DataSet) {
    ++Calls;
    const Variant id = DataSet->FieldByName("ID")->GetAsVariant();
    DataSet->FieldByName("TWICE")->SetAsVariant(VarType(id) == varInteger ? Variant(id.AsInteger() * 2) : Null());
  }
  Integer Calls = 0;
};

class DataSetKeyIndexTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Owner.reset(New<TComponent>(nullptr));
    DS = New<TMemoryDataSet>(Owner.get());
    DS->SetName("Keys");
    Add<TIntegerField>("RECID");
    Add<TIntegerField>("ID");
    Add<TStringField>("CODE");
    Add<TStringField>("MIXED");
    Add<TIntegerField>("TWICE")->SetFieldKind(TFieldKind::fkCalculated);
    DS->OnCalcFields = TDataSetNotifyEvent(&Calc, &TIdDoubler::Count);
  }
  template <class T>
  T* Add(const char* AName) {
    auto* f = New<T>(Owner.get());
    f->SetFieldName(AName);
    f->SetDataSet(DS);
    return f;
  }
  // The record a search by the walk finds: the same field named twice is a search on two
  // fields, which never uses an index.
  Variant Walked(const String& AField, const Variant& AKey) {
    return DS->Lookup(AField + ";" + AField, VarArrayOf({AKey, AKey}), "RECID");
  }

  Owned<TComponent> Owner;
  TMemoryDataSet* DS = nullptr;
  TIdDoubler Calc;
};

String Show(const Variant& V) {
  if (VarIsArray(V)) return "[" + Show(VarArrayGet(V, VarArrayLowBound(V))) + "]";
  return VarIsNull(V) ? String("Null") : VarToStr(V);
}

}  // namespace

// Nulls, texts meeting whole numbers of every width, duplicates, and values only the walk
// compares (a fraction, a Boolean): each search gives the first record in order.
TEST_F(DataSetKeyIndexTest, MixedValuesGiveTheFirstMatchingRecordInOrder) {
  const std::vector<Variant> ids = {Null(), Variant(Integer(5)), Variant("5"), Variant(Int64(5)), Variant("x"),
                                    Null(), Variant(Byte(7)), Variant("07"), Variant(Integer(7))};
  for (size_t i = 0; i < ids.size(); ++i) DS->AddRecord({Variant(Integer(i + 1)), ids[i], Null(), Null()});
  DS->Open();
  // A search for a missing key walks every record; the index is built by the next one.
  EXPECT_TRUE(VarIsNull(DS->Lookup("ID", Variant(Integer(99)), "RECID")));
  struct Case {
    Variant Key;
    const char* Want;
  };
  const Case cases[] = {
      {Null(), "1"},  {Unassigned(), "1"},         {Variant(Integer(5)), "2"}, {Variant("5"), "2"},
      {Variant(Int64(5)), "2"}, {Variant(Word(7)), "7"}, {Variant("07"), "8"},  {Variant("7"), "7"},
      {Variant("x"), "5"}, {Variant(5.0), "2"},           {Variant(Integer(6)), "Null"},
      {Variant(""), "Null"}, {VarArrayOf({Variant("x")}), "5"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Show(c.Key));
    EXPECT_EQ(Show(DS->Lookup("ID", c.Key, "RECID")), c.Want);
    if (!VarIsArray(c.Key)) {
      EXPECT_EQ(Show(Walked("ID", c.Key)), c.Want);
    }
  }
  // A Boolean or a fraction among the values leaves the whole field to the walk, which
  // compares them as numbers: True is -1.
  DS->AddRecord({Variant(Integer(10)), Variant(true), Null(), Null()});
  DS->AddRecord({Variant(Integer(11)), Variant(2.5), Null(), Null()});
  for (int pass = 0; pass < 3; ++pass) {
    EXPECT_EQ(Show(DS->Lookup("ID", Variant(Integer(-1)), "RECID")), "10");
    EXPECT_EQ(Show(DS->Lookup("ID", Variant(2.5), "RECID")), "11");
    EXPECT_EQ(Show(DS->Lookup("ID", Variant(Integer(7)), "RECID")), "7");
  }
  EXPECT_TRUE(DS->Locate("ID", Variant("07"), {}));
  EXPECT_EQ(DS->RecNo(), 8);
}

// Once the walks have read as many records as the data set holds, a search reads only the
// record it finds; any change of the records, and any search with options, walks again.
TEST_F(DataSetKeyIndexTest, AnIndexedSearchReadsOnlyTheRecordItFinds) {
  for (Integer i = 1; i <= 100; ++i) DS->AddRecord({Variant(i), Variant(i), Variant("c" + IntToStr(i)), Null()});
  DS->Open();
  auto callsOf = [&](const std::function<void()>& ASearch) {
    const Integer before = Calc.Calls;
    ASearch();
    return Calc.Calls - before;
  };
  EXPECT_EQ(callsOf([&] { EXPECT_EQ(DS->Lookup("ID", 60, "TWICE").AsInteger(), 120); }), 60);
  EXPECT_EQ(callsOf([&] { EXPECT_EQ(DS->Lookup("ID", 40, "TWICE").AsInteger(), 80); }), 40);
  // 100 records walked: this search builds the index and reads one record.
  EXPECT_EQ(callsOf([&] { EXPECT_EQ(DS->Lookup("ID", 100, "TWICE").AsInteger(), 200); }), 1);
  EXPECT_EQ(callsOf([&] { EXPECT_TRUE(VarIsNull(DS->Lookup("ID", 101, "TWICE"))); }), 0);
  EXPECT_EQ(callsOf([&] { EXPECT_EQ(DS->Lookup("ID", "99", "CODE").AsString(), "c99"); }), 1);
  // Another field has an index of its own, built by its own walks.
  EXPECT_EQ(callsOf([&] { EXPECT_EQ(DS->Lookup("CODE", "c100", "ID").AsInteger(), 100); }), 100);
  EXPECT_EQ(callsOf([&] { EXPECT_EQ(DS->Lookup("CODE", "c100", "ID").AsInteger(), 100); }), 1);
  // Options walk.
  EXPECT_EQ(callsOf([&] { EXPECT_TRUE(DS->Locate("CODE", "C100", {TLocateOption::loCaseInsensitive})); }), 100 + 1);
  // A posted change is filed in the index: the changed value is found without a walk, and
  // the old one no more.
  DS->Edit();
  DS->FieldByName("ID")->SetAsInteger(7);
  DS->Post();
  EXPECT_EQ(callsOf([&] { EXPECT_EQ(DS->Lookup("ID", 7, "RECID").AsInteger(), 7); }), 1);
  EXPECT_EQ(callsOf([&] { EXPECT_TRUE(VarIsNull(DS->Lookup("ID", 100, "RECID"))); }), 0);
  // Records added in code are filed too.
  DS->AddRecord({Variant(Integer(101)), Variant(Integer(100)), Null(), Null()});
  EXPECT_EQ(callsOf([&] { EXPECT_EQ(DS->Lookup("ID", 100, "RECID").AsInteger(), 101); }), 1);
  // Any other change of the records drops the index: the walk finds the records again.
  DS->Refresh();
  EXPECT_EQ(callsOf([&] { EXPECT_EQ(DS->Lookup("ID", 7, "RECID").AsInteger(), 7); }), 7);
}

// Random records and random edits between the searches: every exact search on one field,
// by Lookup and by Locate, finds what the walk finds, with and without a filter text.
TEST_F(DataSetKeyIndexTest, IndexedSearchesAgreeWithTheWalkOverRandomRecordsAndEdits) {
  std::mt19937 gen(53);
  auto pick = [&](Integer n) { return Integer(gen() % unsigned(n)); };
  auto randomId = [&]() -> Variant {
    switch (pick(6)) {
      case 0: return Null();
      case 1: return Variant(String(IntToStr(pick(40))));
      default: return Variant(pick(40));
    }
  };
  auto randomCode = [&]() -> Variant {
    if (pick(8) == 0) return Null();
    String s;
    for (Integer k = pick(3) + 1; k > 0; --k) s += char('a' + pick(3));
    return Variant(s);
  };
  auto randomMixed = [&]() -> Variant {
    switch (pick(5)) {
      case 0: return Null();
      case 1: return Variant(pick(10));
      case 2: return Variant(double(pick(10)));
      case 3: return Variant(pick(2) == 0);
      default: return Variant(String(IntToStr(pick(10))));
    }
  };
  auto randomKey = [&](const String& AField) -> Variant {
    switch (pick(8)) {
      case 0: return Null();
      case 1: return Variant(Int64(pick(45)));
      case 2: return Variant(String(IntToStr(pick(45))));
      case 3: return Variant(double(pick(12)));
      case 4: return Variant(pick(2) == 0);
      case 5: return randomCode();
      default: return AField == "ID" ? randomId() : AField == "CODE" ? randomCode() : randomMixed();
    }
  };
  Integer next = 1;
  for (Integer i = 0; i < 200; ++i) DS->AddRecord({Variant(next++), randomId(), randomCode(), randomMixed()});
  DS->Open();
  const String fields[] = {"ID", "CODE", "MIXED"};
  Integer found = 0;
  for (Integer round = 0; round < 40; ++round) {
    SCOPED_TRACE("round " + IntToStr(round));
    for (Integer k = 0; k < 30; ++k) {
      const String& field = fields[pick(3)];
      const Variant key = randomKey(field);
      SCOPED_TRACE(field + " = " + Show(key));
      const Variant want = Walked(field, key);
      ASSERT_EQ(Show(DS->Lookup(field, key, "RECID")), Show(want));
      if (!VarIsNull(want)) ++found;
      if (pick(4) == 0) {
        const bool located = DS->Locate(field, key, {});
        ASSERT_EQ(located, !VarIsNull(want));
        if (located) {
          ASSERT_EQ(DS->FieldByName("RECID")->GetAsInteger(), want.AsInteger());
        }
      }
    }
    // An edit of some kind between the rounds.
    if (DS->RecordCount() == 0) DS->AddRecord({Variant(next++), randomId(), randomCode(), randomMixed()});
    switch (pick(7)) {
      case 0:
        DS->SetRecNo(pick(DS->RecordCount()) + 1);
        DS->Edit();
        switch (pick(3)) {
          case 0: DS->FieldByName("ID")->SetAsVariant(randomId()); break;
          case 1: DS->FieldByName("CODE")->SetAsVariant(randomCode()); break;
          default: DS->FieldByName("MIXED")->SetAsVariant(randomMixed()); break;
        }
        DS->Post();
        break;
      case 1:
        DS->SetRecNo(pick(DS->RecordCount()) + 1);
        DS->Insert();
        DS->FieldByName("RECID")->SetAsInteger(next++);
        DS->FieldByName("ID")->SetAsVariant(randomId());
        DS->FieldByName("CODE")->SetAsVariant(randomCode());
        DS->Post();
        break;
      case 2:
        if (DS->RecordCount() > 1) {
          DS->SetRecNo(pick(DS->RecordCount()) + 1);
          DS->Delete();
        }
        break;
      case 3:
        DS->AddRecord({Variant(next++), randomId(), randomCode(), randomMixed()});
        break;
      case 4:
        DS->SetFilter("RECID > " + IntToStr(pick(150)));
        DS->SetFiltered(!DS->Filtered());
        break;
      default:
        break;  // searches on unchanged records
    }
  }
  // The searches found records often enough to mean something.
  EXPECT_GT(found, 300);
}

namespace {

// The RECIDs of the records Locate and then LocateNext go to, until LocateNext answers false.
std::vector<Integer> LocatedInTurn(TDataSet* ADataSet, const String& AFields, const Variant& AKey) {
  std::vector<Integer> r;
  if (!ADataSet->Locate(AFields, AKey, {})) return r;
  do {
    r.push_back(ADataSet->FieldByName("RECID")->GetAsInteger());
  } while (ADataSet->LocateNext(AFields, AKey, {}));
  return r;
}

// The same records as a walk over every record finds them.
std::vector<Integer> MatchingInOrder(TDataSet* ADataSet, const String& AField,
                                     const Variant& AKey) {
  std::vector<Integer> r;
  for (ADataSet->First(); !ADataSet->Eof(); ADataSet->Next()) {
    const Variant v = ADataSet->FieldByName(AField)->GetAsVariant();
    if (VarIsNull(v) ? VarIsNull(AKey) : !VarIsNull(AKey) && VarToStr(v) == VarToStr(AKey))
      r.push_back(ADataSet->FieldByName("RECID")->GetAsInteger());
  }
  return r;
}

}  // namespace

// Scattered records of each key, a filter hiding some, records changed in between: the walk of
// LocateNext visits every matching record after the current one, in order, by the index or
// by the walk over the records, and stays put at the end.
TEST_F(DataSetKeyIndexTest, LocateNextVisitsEveryLaterMatchInOrder) {
  std::mt19937 gen(17);
  Integer next = 1;
  auto add = [&] { DS->AddRecord({Variant(next++), Variant(Integer(gen() % 6)), Null(), Null()}); };
  for (Integer i = 0; i < 60; ++i) add();
  DS->AddRecord({Variant(next++), Null(), Null(), Null()});
  DS->Open();
  Integer visited = 0;
  for (Integer round = 0; round < 30; ++round) {
    SCOPED_TRACE("round " + IntToStr(round));
    for (const Variant& key :
         {Variant(Integer(gen() % 7)), Variant(IntToStr(Integer(gen() % 6))), Null()}) {
      SCOPED_TRACE(Show(key));
      const std::vector<Integer> want = MatchingInOrder(DS, "ID", key);
      ASSERT_EQ(LocatedInTurn(DS, "ID", key), want);
      // The same search on two fields never uses an index.
      ASSERT_EQ(LocatedInTurn(DS, "ID;ID", VarArrayOf({key, key})), want);
      visited += Integer(want.size());
      if (!want.empty()) {
        // At the last match nothing later matches: the data set stays there.
        EXPECT_FALSE(DS->LocateNext("ID", key, {}));
        EXPECT_EQ(DS->FieldByName("RECID")->GetAsInteger(), want.back());
      }
    }
    // From a record of another key, the next match after it.
    DS->First();
    const Variant first = DS->FieldByName("ID")->GetAsVariant();
    const Variant other =
        VarIsNull(first) ? Variant(Integer(0)) : Variant((first.AsInteger() + 1) % 6);
    const std::vector<Integer> all = MatchingInOrder(DS, "ID", other);
    DS->First();
    ASSERT_EQ(DS->LocateNext("ID", other, {}), !all.empty());
    if (!all.empty()) {
      EXPECT_EQ(DS->FieldByName("RECID")->GetAsInteger(), all.front());
    }
    switch (gen() % 4) {
      case 0:
        add();
        break;
      case 1:
        DS->SetRecNo(Integer(gen() % unsigned(DS->RecordCount())) + 1);
        DS->Edit();
        DS->FieldByName("ID")->SetAsInteger(Integer(gen() % 6));
        DS->Post();
        break;
      case 2:
        DS->SetFilter("RECID > " + IntToStr(Integer(gen() % 30)));
        DS->SetFiltered(!DS->Filtered());
        break;
      default:
        break;
    }
  }
  EXPECT_GT(visited, 500);
}

// Once the index is built, a walk through a key's records reads each of them once, wherever
// they stand, instead of every record after the first.
TEST_F(DataSetKeyIndexTest, AnIndexedLocateNextReadsOnlyTheRecordsItGoesTo) {
  // Key k stands at places k, k + 10, k + 20, ...: ten records each, scattered.
  for (Integer i = 0; i < 100; ++i)
    DS->AddRecord({Variant(i + 1), Variant(i % 10), Null(), Null()});
  DS->Open();
  // Walks for two keys read most of the data set and have the index built.
  for (Integer key : {0, 1}) EXPECT_EQ(LocatedInTurn(DS, "ID", key).size(), 10u);
  const Integer before = Calc.Calls;
  const std::vector<Integer> found = LocatedInTurn(DS, "ID", 7);
  EXPECT_EQ(found, (std::vector<Integer>{8, 18, 28, 38, 48, 58, 68, 78, 88, 98}));
  EXPECT_EQ(Calc.Calls - before, 20);
  // The answer stands when records move: one inserted in front shifts every place.
  DS->First();
  DS->Insert();
  DS->FieldByName("RECID")->SetAsInteger(101);
  DS->FieldByName("ID")->SetAsInteger(7);
  DS->Post();
  EXPECT_EQ(LocatedInTurn(DS, "ID", 7).size(), 11u);
}

// Once built, the index follows every posted edit, insert, append, deletion and record added
// in code: each exact search afterwards reads only the records it goes to, and finds what
// the walk finds (the first match, and every later one through LocateNext), duplicates and
// Nulls included.
TEST_F(DataSetKeyIndexTest, TheIndexFollowsEveryChangeWithoutWalkingAgain) {
  std::mt19937 gen(71);
  auto pick = [&](Integer n) { return Integer(gen() % unsigned(n)); };
  auto randomId = [&]() -> Variant {
    switch (pick(8)) {
      case 0:
        return Null();
      case 1:
        return Variant(String(IntToStr(pick(30))));
      default:
        return Variant(pick(30));
    }
  };
  Integer next = 1;
  for (Integer i = 0; i < 120; ++i) DS->AddRecord({Variant(next++), randomId(), Null(), Null()});
  DS->Open();
  // Walks over every record have the index built.
  EXPECT_TRUE(VarIsNull(DS->Lookup("ID", Variant(Integer(99)), "RECID")));
  EXPECT_TRUE(VarIsNull(DS->Lookup("ID", Variant(Integer(98)), "RECID")));
  Integer changes[5] = {};
  for (Integer step = 0; step < 400; ++step) {
    SCOPED_TRACE("step " + IntToStr(step));
    if (DS->RecordCount() < 3) DS->AddRecord({Variant(next++), randomId(), Null(), Null()});
    const Integer kind = pick(5);
    ++changes[kind];
    switch (kind) {
      case 0:
        DS->SetRecNo(pick(DS->RecordCount()) + 1);
        DS->Edit();
        DS->FieldByName("ID")->SetAsVariant(randomId());
        DS->Post();
        break;
      case 1:
        DS->SetRecNo(pick(DS->RecordCount()) + 1);
        DS->Insert();
        DS->FieldByName("RECID")->SetAsInteger(next++);
        DS->FieldByName("ID")->SetAsVariant(randomId());
        DS->Post();
        break;
      case 2:
        DS->Append();
        DS->FieldByName("RECID")->SetAsInteger(next++);
        DS->FieldByName("ID")->SetAsVariant(randomId());
        DS->Post();
        break;
      case 3:
        DS->SetRecNo(pick(DS->RecordCount()) + 1);
        DS->Delete();
        break;
      default:
        DS->AddRecord({Variant(next++), randomId(), Null(), Null()});
        break;
    }
    for (Integer k = 0; k < 3; ++k) {
      const Variant key = pick(6) == 0   ? Null()
                          : pick(3) == 0 ? Variant(IntToStr(pick(32)))
                                         : Variant(pick(32));
      SCOPED_TRACE(Show(key));
      const std::vector<Integer> want = MatchingInOrder(DS, "ID", key);
      const Integer before = Calc.Calls;
      const Variant found = DS->Lookup("ID", key, "RECID");
      ASSERT_EQ(Calc.Calls - before, want.empty() ? 0 : 1);
      ASSERT_EQ(Show(found), want.empty() ? String("Null") : IntToStr(want.front()));
      if (k == 0) {
        const Integer walked = Calc.Calls;
        ASSERT_EQ(LocatedInTurn(DS, "ID", key), want);
        // Locate and each LocateNext read the record they go to (the window holds one).
        EXPECT_LE(Calc.Calls - walked, 2 * Integer(want.size()) + 1);
      }
    }
  }
  for (Integer n : changes) EXPECT_GT(n, 40);
}

// Records moving in the data set as others come and go before them: the index answers by
// the records' places as they are now, however many changes came since it was built.
TEST_F(DataSetKeyIndexTest, AnswersStandAsRecordsComeAndGoInFront) {
  for (Integer i = 0; i < 50; ++i) DS->AddRecord({Variant(i + 1), Variant(i % 5), Null(), Null()});
  DS->Open();
  EXPECT_EQ(LocatedInTurn(DS, "ID", 9).size(), 0u);
  EXPECT_EQ(LocatedInTurn(DS, "ID", 4).size(), 10u);  // the index is built by now
  // The first three records go, one of key 3 comes in front of all, and the last one of key
  // 4 becomes a 3.
  DS->First();
  for (Integer i = 0; i < 3; ++i) DS->Delete();
  DS->First();
  DS->Insert();
  DS->FieldByName("RECID")->SetAsInteger(51);
  DS->FieldByName("ID")->SetAsInteger(3);
  DS->Post();
  ASSERT_TRUE(DS->Locate("RECID", 50, {}));
  DS->Edit();
  DS->FieldByName("ID")->SetAsInteger(3);
  DS->Post();
  const Integer before = Calc.Calls;
  EXPECT_EQ(LocatedInTurn(DS, "ID", 3),
            (std::vector<Integer>{51, 4, 9, 14, 19, 24, 29, 34, 39, 44, 49, 50}));
  EXPECT_EQ(LocatedInTurn(DS, "ID", 0), (std::vector<Integer>{6, 11, 16, 21, 26, 31, 36, 41, 46}));
  EXPECT_EQ(LocatedInTurn(DS, "ID", 1), (std::vector<Integer>{7, 12, 17, 22, 27, 32, 37, 42, 47}));
  EXPECT_EQ(LocatedInTurn(DS, "ID", "4"),
            (std::vector<Integer>{5, 10, 15, 20, 25, 30, 35, 40, 45}));
  EXPECT_LE(Calc.Calls - before, 2 * 40);
}

// Texts that look like whole numbers without reading as one (a sign, a leading zero, "-0",
// beyond 64 bits) match only themselves; texts that read exactly as one match it.
TEST_F(DataSetKeyIndexTest, OnlyTextsSpellingAWholeNumberAsItReadsMatchIt) {
  const std::vector<Variant> ids = {Variant(Integer(0)),
                                    Variant("-0"),
                                    Variant("+5"),
                                    Variant(Integer(-5)),
                                    Variant("-5"),
                                    Variant("9223372036854775808"),
                                    Variant(Int64(9223372036854775807LL)),
                                    Variant("00"),
                                    Variant("9223372036854775807"),
                                    Variant("-")};
  for (size_t i = 0; i < ids.size(); ++i)
    DS->AddRecord({Variant(Integer(i + 1)), ids[i], Null(), Null()});
  DS->Open();
  for (Integer i = 0; i < 2; ++i)
    EXPECT_TRUE(VarIsNull(DS->Lookup("ID", Variant(Integer(99)), "RECID")));
  struct Case {
    Variant Key;
    const char* Want;
  };
  const Case cases[] = {{Variant(Integer(0)), "1"},
                        {Variant("0"), "1"},
                        {Variant("-0"), "2"},
                        {Variant("+5"), "3"},
                        {Variant(Integer(5)), "Null"},
                        {Variant("-5"), "4"},
                        {Variant(Int64(-5)), "4"},
                        {Variant("9223372036854775808"), "6"},
                        {Variant(Int64(9223372036854775807LL)), "7"},
                        {Variant("9223372036854775807"), "7"},
                        {Variant("00"), "8"},
                        {Variant("-"), "10"},
                        {Variant(""), "Null"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(Show(c.Key));
    const Integer before = Calc.Calls;
    EXPECT_EQ(Show(DS->Lookup("ID", c.Key, "RECID")), c.Want);
    EXPECT_LE(Calc.Calls - before, 1);  // by the index
    EXPECT_EQ(Show(Walked("ID", c.Key)), c.Want);
  }
}

// Searches announced in number build the index at the first of them, where the walks would
// read more than building does; one search, or a search the index cannot serve, walks.
TEST_F(DataSetKeyIndexTest, ExpectedSearchesBuildTheIndexAtTheFirst) {
  for (Integer i = 1; i <= 100; ++i)
    DS->AddRecord({Variant(i), Variant(i), Variant("c" + IntToStr(i)), Null()});
  DS->Open();
  auto callsOf = [&](const std::function<void()>& ASearch) {
    const Integer before = Calc.Calls;
    ASearch();
    return Calc.Calls - before;
  };
  DS->ExpectSearches("ID", 1);
  EXPECT_EQ(callsOf([&] { EXPECT_EQ(DS->Lookup("ID", 50, "RECID").AsInteger(), 50); }), 50);
  DS->ExpectSearches("CODE", 2);
  EXPECT_EQ(callsOf([&] { EXPECT_EQ(DS->Lookup("CODE", "c70", "RECID").AsInteger(), 70); }), 1);
  // Two fields at once, or a computed one, are never indexed.
  DS->ExpectSearches("ID;CODE", 1000);
  DS->ExpectSearches("TWICE", 1000);
  EXPECT_EQ(callsOf([&] {
              EXPECT_EQ(DS->Lookup("ID;CODE", VarArrayOf({30, "c30"}), "RECID").AsInteger(), 30);
            }),
            30);
  EXPECT_EQ(callsOf([&] { EXPECT_EQ(DS->Lookup("TWICE", 40, "RECID").AsInteger(), 20); }), 20);
}

// A Boolean reads as "True" to a text and as -1 to a number: among whole numbers it leaves
// the field to the walk, so neither key finds the other's records.
TEST_F(DataSetKeyIndexTest, ABooleanAmongWholeNumbersLeavesTheFieldToTheWalk) {
  DS->AddRecord({Variant(Integer(1)), Variant(true), Null(), Null()});
  DS->AddRecord({Variant(Integer(2)), Variant(Integer(-1)), Null(), Null()});
  DS->AddRecord({Variant(Integer(3)), Variant("True"), Null(), Null()});
  DS->Open();
  for (int pass = 0; pass < 3; ++pass) {
    SCOPED_TRACE(pass);
    EXPECT_EQ(Show(DS->Lookup("ID", Variant("-1"), "RECID")), "2");
    EXPECT_EQ(Show(DS->Lookup("ID", Variant("True"), "RECID")), "1");
    EXPECT_EQ(Show(DS->Lookup("ID", Variant(Integer(-1)), "RECID")), "1");
    EXPECT_EQ(Show(DS->Lookup("ID", Variant(Integer(1)), "RECID")), "Null");
  }
}

// The index is built by the search after the walks have read as many records as the data set
// holds, not one record sooner; one search announced adds no walk.
TEST_F(DataSetKeyIndexTest, TheIndexWaitsForWalksOfEveryRecord) {
  for (Integer i = 1; i <= 100; ++i) DS->AddRecord({Variant(i), Variant(i), Null(), Null()});
  DS->Open();
  auto reads = [&](Integer AId) {
    const Integer before = Calc.Calls;
    EXPECT_EQ(DS->Lookup("ID", AId, "RECID").AsInteger(), AId);
    return Calc.Calls - before;
  };
  EXPECT_EQ(reads(60), 60);
  EXPECT_EQ(reads(39), 39);  // 99 read
  EXPECT_EQ(reads(50), 50);  // 149: the next search builds it
  EXPECT_EQ(reads(70), 1);

  DS->Refresh();  // the index goes, the walks start over
  DS->ExpectSearches("ID", 1);
  EXPECT_EQ(reads(50), 50);
  EXPECT_EQ(reads(30), 30);  // 80 read
  EXPECT_EQ(reads(20), 20);  // 100
  EXPECT_EQ(reads(90), 1);
}

// A filter handler may decide on anything, so with one assigned every search walks, however
// often it ran.
TEST_F(DataSetKeyIndexTest, WithAFilterHandlerEverySearchWalks) {
  struct AcceptAll : TObject {
    void Filter(TDataSet*, bool& Accept) { Accept = true; }
  } accept;
  for (Integer i = 1; i <= 100; ++i) DS->AddRecord({Variant(i), Variant(i), Null(), Null()});
  DS->OnFilterRecord = TFilterRecordEvent(&accept, &AcceptAll::Filter);
  DS->SetFiltered(true);
  DS->Open();
  EXPECT_EQ(DS->Lookup("ID", 100, "RECID").AsInteger(), 100);
  for (Integer pass = 0; pass < 4; ++pass) {
    SCOPED_TRACE(pass);
    const Integer before = Calc.Calls;
    EXPECT_EQ(DS->Lookup("ID", 60, "RECID").AsInteger(), 60);
    EXPECT_GE(Calc.Calls - before, 60);  // each record up to the match read
  }
}
