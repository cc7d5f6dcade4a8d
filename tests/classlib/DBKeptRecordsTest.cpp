// What a filtered data set keeps of its filter's verdicts: the block list against a plain
// list; a handler filter (and a filter text on a calculated field) under random edits that
// flip the verdict, where the count and the record numbers must agree with a walk from the
// first record and with the list the test keeps, and must not ask the filter again; the
// verdicts asked again when the filter or its handlers change; a filter that raises; and a
// handler that tries to move or change the data set while it is asked.
#include <gtest/gtest.h>

#include "ErrorText.h"
#include "classlib/core/DB.h"
#include "classlib/core/DBKeptRecords.h"
#include "classlib/core/SysUtils.h"

#include <algorithm>
#include <functional>
#include <random>

using enum TFieldType;

namespace {

// ---- The block list against a plain list ----------------------------------------------------

void ExpectSame(const TDataSetKeptRecords& AKept, const std::vector<char>& AModel) {
  const Integer size = Integer(AModel.size());
  ASSERT_EQ(AKept.Size(), size);
  ASSERT_EQ(AKept.Count(), Integer(std::count(AModel.begin(), AModel.end(), char(1))));
  // The nearest kept place at or after each place, and at or before it.
  std::vector<Integer> atOrAfter(size_t(size) + 1, -1), atOrBefore(size_t(size) + 1, -1);
  for (Integer q = size - 1; q >= 0; --q)
    atOrAfter[size_t(q)] = AModel[size_t(q)] ? q : atOrAfter[size_t(q) + 1];
  for (Integer q = 0; q < size; ++q)
    atOrBefore[size_t(q) + 1] = AModel[size_t(q)] ? q : atOrBefore[size_t(q)];
  Integer before = 0;
  for (Integer p = -2; p <= size + 1; ++p) {
    const bool in = p >= 0 && p < size;
    ASSERT_EQ(AKept.Kept(p), in && AModel[size_t(p)]) << p;
    ASSERT_EQ(AKept.Rank(p), p <= 0 ? 0 : before) << p;
    const Integer next = atOrAfter[size_t(std::clamp(p + 1, 0, size))];
    const Integer prior = atOrBefore[size_t(std::clamp(p, 0, size))];
    ASSERT_EQ(AKept.Next(p, 1), next) << p;
    ASSERT_EQ(AKept.Next(p, -1), prior) << p;
    if (in && AModel[size_t(p)]) ++before;
  }
}

TEST(DataSetKeptRecords, FollowAPlainListThroughRandomChanges) {
  for (unsigned seed = 1; seed <= 4; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 gen(seed);
    TDataSetKeptRecords kept;
    std::vector<char> model;
    // Sparse and dense lists, long enough for blocks to split and to empty.
    const unsigned density = seed % 3 == 0 ? 20 : 2;
    for (unsigned n = 1500 + gen() % 1500; n > 0; --n) {
      model.push_back(gen() % density == 0);
      kept.Add(model.back());
    }
    ExpectSame(kept, model);
    for (int step = 0; step < 3000; ++step) {
      // Growing first, so that blocks split, then as many insertions as deletions.
      const unsigned op = step < 1000 ? gen() % 6 : gen() % 10;
      if (op < 4) {
        // Runs of insertions at one place, as a loop inserting at the cursor does.
        const Integer at = Integer(gen() % (model.size() + 1));
        for (unsigned n = 1 + gen() % 8; n > 0; --n) {
          const bool k = gen() % density == 0;
          kept.Insert(at, k);
          model.insert(model.begin() + at, k);
        }
      } else if (op < 8 && !model.empty()) {
        const Integer at = Integer(gen() % model.size());
        for (unsigned n = 1 + gen() % 8; n > 0 && at < Integer(model.size()); --n) {
          kept.Erase(at);
          model.erase(model.begin() + at);
        }
      } else if (!model.empty()) {
        const Integer at = Integer(gen() % model.size());
        const bool k = gen() % 2 == 0;
        kept.Set(at, k);
        model[size_t(at)] = k;
      }
      if (step % 500 == 0) ExpectSame(kept, model);
    }
    // Emptied from the front, then filled again.
    while (!model.empty()) {
      kept.Erase(0);
      model.erase(model.begin());
      if (model.size() % 1009 == 0) ExpectSame(kept, model);
    }
    ExpectSame(kept, model);
    for (Integer p = 0; p < 40; ++p) {
      kept.Insert(p / 2, p % 3 == 0);
      model.insert(model.begin() + p / 2, p % 3 == 0);
    }
    ExpectSame(kept, model);
  }
}

TEST(DataSetKeptRecords, PlacesOutsideTheListChangeNothing) {
  TDataSetKeptRecords kept;
  for (bool k : {true, false, true}) kept.Add(k);
  kept.Insert(-1, true);
  kept.Insert(4, true);
  kept.Erase(3);
  kept.Erase(-1);
  kept.Set(3, false);
  ExpectSame(kept, {true, false, true});
  EXPECT_EQ(kept.Next(2147483647, 1), -1);
  EXPECT_EQ(kept.Next(2147483647, -1), 2);
  EXPECT_EQ(kept.Next(-2147483647 - 1, 1), 0);
}

// ---- A filtered data set under random changes -----------------------------------------------

struct TModelRecord {
  Integer Id;
  Integer Value;
};

// A handler filter keeping the values not divisible by Modulus, counting what it is asked;
// one value may make it raise, and Meddle runs once from inside it.
struct TFilterProbe : TObject {
  Integer Asks = 0;
  Integer Modulus = 3;
  Integer RaiseOn = -1;
  std::function<void(TDataSet*)> Meddle;
  void Accept(TDataSet* DataSet, bool& Accept) {
    ++Asks;
    const Integer v = DataSet->FieldByName("V")->GetAsInteger();
    if (v == RaiseOn) throw Exception("no verdict on " + IntToStr(v));
    if (Meddle) {
      auto meddle = std::move(Meddle);
      Meddle = nullptr;
      meddle(DataSet);
    }
    Accept = v % Modulus != 0;
  }
  bool Keeps(Integer v) const { return v % Modulus != 0; }
  // Another handler, for a filter that changes its mind.
  void AcceptAll(TDataSet*, bool& Accept) {
    ++Asks;
    Accept = true;
  }
};

// The calculated field CALC = 2 * V, counting its calculations; Meddle runs once from it.
struct TCalcProbe : TObject {
  Integer Calcs = 0;
  std::function<void(TDataSet*)> Meddle;
  void Calc(TDataSet* DataSet) {
    ++Calcs;
    if (Meddle) {
      auto meddle = std::move(Meddle);
      Meddle = nullptr;
      meddle(DataSet);
    }
    DataSet->FieldByName("CALC")->SetAsInteger(2 * DataSet->FieldByName("V")->GetAsInteger());
  }
};

class KeptVerdicts : public ::testing::Test {
 protected:
  void SetUp() override {
    DS.reset(New<TMemoryDataSet>(nullptr));
    DS->SetName("Counted");
    for (const char* name : {"ID", "V"}) {
      auto* f = New<TIntegerField>(DS.get());
      f->SetFieldName(name);
      f->SetDataSet(DS.get());
    }
    auto* calc = New<TIntegerField>(DS.get());
    calc->SetFieldName("CALC");
    calc->SetFieldKind(TFieldKind::fkCalculated);
    calc->SetDataSet(DS.get());
  }
  void Fill(Integer ACount, unsigned ASeed) {
    std::mt19937 gen(ASeed);
    for (Integer id = 1; id <= ACount; ++id) {
      Model.push_back({id, Integer(gen() % 100)});
      DS->AddRecord({id, Model.back().Value});
    }
    NextId = ACount + 1;
  }
  // Filter by the handler, or by a filter text on the calculated field.
  void FilterBy(bool AHandler) {
    ByHandler = AHandler;
    if (AHandler) {
      DS->OnFilterRecord = TFilterRecordEvent(&Probe, &TFilterProbe::Accept);
    } else {
      DS->OnCalcFields = TDataSetNotifyEvent(&Calc, &TCalcProbe::Calc);
      DS->SetFilter("CALC > 100");
    }
    DS->SetFiltered(true);
  }
  bool Keeps(Integer v) const { return ByHandler ? Probe.Keeps(v) : 2 * v > 100; }
  std::vector<size_t> KeptIndexes() const {
    std::vector<size_t> k;
    for (size_t i = 0; i < Model.size(); ++i)
      if (Keeps(Model[i].Value)) k.push_back(i);
    return k;
  }
  Integer Id() { return DS->FieldByName("ID")->GetAsInteger(); }
  // What filtering asked since the last call.
  Integer Asked() {
    const Integer n = ByHandler ? Probe.Asks : Calc.Calcs;
    Probe.Asks = Calc.Calcs = 0;
    return n;
  }
  // First..Next..Eof visits the model's kept records in order, each numbered by its place
  // among them, and the count agrees.
  void ExpectWalk() {
    std::vector<Integer> walked, numbers, expected, places;
    for (DS->First(); !DS->Eof(); DS->Next()) {
      walked.push_back(Id());
      numbers.push_back(DS->RecNo());
    }
    for (size_t i : KeptIndexes()) {
      expected.push_back(Model[i].Id);
      places.push_back(Integer(places.size()) + 1);
    }
    ASSERT_EQ(walked, expected);
    ASSERT_EQ(numbers, places);
    ASSERT_EQ(DS->RecordCount(), Integer(expected.size()));
  }
  // Random edits (many flipping the verdict), inserts, appends, added records and
  // deletions, each checked against the model; counting and numbering ask nothing, and
  // each change asks about one record at most.
  void Run(unsigned ASeed) {
    std::mt19937 gen(ASeed);
    ExpectWalk();
    for (int step = 0; step < 400; ++step) {
      SCOPED_TRACE("step " + std::to_string(step));
      const std::vector<size_t> visible = KeptIndexes();
      if (DS->IsEmpty()) DS->First();  // a record added to an empty window shows once moved
      const unsigned op = gen() % 10;
      if (!visible.empty()) DS->SetRecNo(Integer(gen() % visible.size()) + 1);
      const Integer at = visible.empty() ? -1 : DS->RecNo() - 1;
      Asked();
      if (at >= 0 && op < 4) {
        // Most edits take the record out of the filter, or keep it by a value not kept
        // before: the verdict flips both ways over the run.
        const Integer value = Integer(gen() % 100);
        DS->Edit();
        DS->FieldByName("V")->SetAsInteger(value);
        DS->Post();
        Model[visible[size_t(at)]].Value = value;
      } else if (at >= 0 && op < 6) {
        const Integer id = Id();
        DS->Delete();
        Model.erase(Model.begin() + Integer(visible[size_t(at)]));
        EXPECT_NE(Id(), id);
      } else if (op < 8) {
        const TModelRecord r{NextId++, Integer(gen() % 100)};
        const size_t place = at >= 0 ? visible[size_t(at)] : Model.size();
        DS->Insert();
        DS->FieldByName("ID")->SetAsInteger(r.Id);
        DS->FieldByName("V")->SetAsInteger(r.Value);
        DS->Post();
        Model.insert(Model.begin() + Integer(place), r);
      } else if (op < 9) {
        const TModelRecord r{NextId++, Integer(gen() % 100)};
        DS->Append();
        DS->FieldByName("ID")->SetAsInteger(r.Id);
        DS->FieldByName("V")->SetAsInteger(r.Value);
        DS->Post();
        Model.push_back(r);
      } else {
        const TModelRecord r{NextId++, Integer(gen() % 100)};
        DS->AddRecord({r.Id, r.Value});
        Model.push_back(r);
      }
      if (ByHandler) {
        EXPECT_LE(Asked(), 1);
      }
      Asked();
      ASSERT_EQ(DS->RecordCount(), Integer(KeptIndexes().size()));
      if (!DS->IsEmpty()) {
        const std::vector<size_t> kept = KeptIndexes();
        const Integer no = DS->RecNo();
        ASSERT_GE(no, 1);
        ASSERT_LE(no, Integer(kept.size()));
        ASSERT_EQ(Id(), Model[kept[size_t(no - 1)]].Id);
      }
      ASSERT_EQ(Asked(), 0);
      if (step % 40 == 0) ExpectWalk();
    }
    ExpectWalk();
  }

  Owned<TMemoryDataSet> DS;
  TFilterProbe Probe;
  TCalcProbe Calc;
  std::vector<TModelRecord> Model;
  Integer NextId = 1;
  bool ByHandler = true;
};

TEST_F(KeptVerdicts, HandlerFilterCountsAndNumbersLikeTheWalkThroughRandomChanges) {
  Fill(300, 7);
  DS->Open();
  FilterBy(true);
  Run(11);
}

TEST_F(KeptVerdicts, FilterTextOnACalculatedFieldCountsAndNumbersLikeTheWalk) {
  Fill(300, 8);
  DS->Open();
  FilterBy(false);
  Run(12);
}

TEST_F(KeptVerdicts, ScrollingAsksTheFilterOnlyOnce) {
  Fill(2000, 3);
  DS->Open();
  FilterBy(true);
  Asked();
  const Integer count = DS->RecordCount();
  EXPECT_EQ(count, Integer(KeptIndexes().size()));
  EXPECT_EQ(Asked(), 2000);  // one walk: every record once
  Integer steps = 0;
  for (DS->First(); !DS->Eof(); DS->Next()) {
    ASSERT_EQ(DS->RecordCount(), count);
    ASSERT_EQ(DS->RecNo(), ++steps);
  }
  EXPECT_EQ(steps, count);
  for (DS->Last(); !DS->Bof(); DS->Prior()) ASSERT_EQ(DS->RecNo(), steps--);
  EXPECT_EQ(Asked(), 0);
}

TEST_F(KeptVerdicts, VerdictsAreAskedAgainWhenTheFilterOrItsHandlersChange) {
  Fill(60, 5);
  DS->Open();
  FilterBy(true);
  ExpectWalk();
  // Another handler.
  DS->OnFilterRecord = TFilterRecordEvent(&Probe, &TFilterProbe::AcceptAll);
  EXPECT_EQ(DS->RecordCount(), 60);
  DS->OnFilterRecord = TFilterRecordEvent(&Probe, &TFilterProbe::Accept);
  ExpectWalk();
  // The handler decides otherwise now: Refresh asks it again.
  Probe.Modulus = 2;
  DS->Refresh();
  ExpectWalk();
  Probe.Modulus = 5;
  DS->SetFiltered(false);
  EXPECT_EQ(DS->RecordCount(), 60);
  DS->SetFiltered(true);
  ExpectWalk();
  // A filter text beside the handler, then a calculation the text reads.
  DS->SetFilter("V > 40");
  std::vector<Integer> expected, walked;
  for (const TModelRecord& r : Model)
    if (r.Value > 40 && Probe.Keeps(r.Value)) expected.push_back(r.Id);
  for (DS->First(); !DS->Eof(); DS->Next()) walked.push_back(Id());
  EXPECT_EQ(walked, expected);
  EXPECT_EQ(DS->RecordCount(), Integer(expected.size()));
  DS->SetFilter("CALC > 100");
  EXPECT_EQ(DS->RecordCount(), 0);  // nothing calculated yet: CALC is Null
  DS->OnCalcFields = TDataSetNotifyEvent(&Calc, &TCalcProbe::Calc);
  expected.clear();
  for (const TModelRecord& r : Model)
    if (2 * r.Value > 100 && Probe.Keeps(r.Value)) expected.push_back(r.Id);
  EXPECT_EQ(DS->RecordCount(), Integer(expected.size()));
  walked.clear();
  for (DS->First(); !DS->Eof(); DS->Next()) walked.push_back(Id());
  EXPECT_EQ(walked, expected);
  DS->OnFilterRecord = nullptr;
  ByHandler = false;
  ExpectWalk();
}

TEST_F(KeptVerdicts, AFilterThatRaisesReachesTheCallerAndLeavesTheDataSetWhole) {
  Fill(40, 9);
  DS->Open();
  ASSERT_TRUE(DS->Locate("ID", 21, {}));
  DS->Edit();
  DS->FieldByName("V")->SetAsInteger(101);
  DS->Post();
  Model[20].Value = 101;
  Probe.RaiseOn = 101;
  FilterBy(true);
  EXPECT_EQ(MessageOf([&] { DS->RecordCount(); }), "no verdict on 101");
  EXPECT_EQ(MessageOf([&] { DS->RecNo(); }), "no verdict on 101");
  EXPECT_EQ(DS->State(), TDataSetState::dsBrowse);
  Probe.RaiseOn = -1;
  ExpectWalk();

  // A post whose new value the filter cannot judge: the record is stored, the data set
  // browses, and the error reaches the caller.
  DS->First();
  const Integer id = Id();
  DS->Edit();
  DS->FieldByName("V")->SetAsInteger(77);
  Probe.RaiseOn = 77;
  EXPECT_EQ(MessageOf([&] { DS->Post(); }), "no verdict on 77");
  EXPECT_EQ(DS->State(), TDataSetState::dsBrowse);
  for (TModelRecord& r : Model)
    if (r.Id == id) r.Value = 77;
  EXPECT_EQ(MessageOf([&] { DS->RecordCount(); }), "no verdict on 77");
  Probe.RaiseOn = -1;
  ExpectWalk();
  // An added record the same way.
  Probe.RaiseOn = 103;
  EXPECT_EQ(MessageOf([&] { DS->AddRecord({NextId, 103}); }), "no verdict on 103");
  Model.push_back({NextId++, 103});
  Probe.RaiseOn = -1;
  ExpectWalk();
}

TEST_F(KeptVerdicts, AHandlerCannotMoveOrChangeTheDataSetWhileItIsAsked) {
  Fill(30, 4);
  DS->Open();
  FilterBy(true);
  const std::string refused =
      "Counted: Cannot move or change the dataset while its records are being filtered or calculated";
  const std::pair<const char*, std::function<void(TDataSet*)>> meddles[] = {
      {"Delete", [](TDataSet* d) { d->Delete(); }},
      {"Append", [](TDataSet* d) { d->Append(); }},
      {"Insert", [](TDataSet* d) { d->Insert(); }},
      {"Edit", [](TDataSet* d) { d->Edit(); }},
      {"First", [](TDataSet* d) { d->First(); }},
      {"Next", [](TDataSet* d) { d->Next(); }},
      {"Last", [](TDataSet* d) { d->Last(); }},
      {"Locate", [](TDataSet* d) { d->Locate("ID", 3, {}); }},
      {"Refresh", [](TDataSet* d) { d->Refresh(); }},
      {"Close", [](TDataSet* d) { d->Close(); }},
      {"Filtered", [](TDataSet* d) { d->SetFiltered(false); }},
      {"Filter", [](TDataSet* d) { d->SetFilter("V > 3"); }},
      {"FilterOptions", [](TDataSet* d) { d->SetFilterOptions({TFilterOption::foCaseInsensitive}); }},
      {"AddRecord", [](TDataSet* d) { static_cast<TMemoryDataSet*>(d)->AddRecord({99, 1}); }},
      {"EmptyDataSet", [](TDataSet* d) { static_cast<TMemoryDataSet*>(d)->EmptyDataSet(); }},
      {"RecordCount", [](TDataSet* d) { d->RecordCount(); }},
      {"RecNo", [](TDataSet* d) { d->RecNo(); }},
  };
  for (bool fromCalc : {false, true}) {
    for (const auto& [name, meddle] : meddles) {
      SCOPED_TRACE(std::string(name) + (fromCalc ? " from OnCalcFields" : " from OnFilterRecord"));
      DS->Refresh();  // the verdicts are asked again by the next count
      if (fromCalc) {
        DS->OnCalcFields = TDataSetNotifyEvent(&Calc, &TCalcProbe::Calc);
        Calc.Meddle = meddle;
      } else {
        Probe.Meddle = meddle;
      }
      EXPECT_EQ(MessageOf([&] { DS->RecordCount(); }), refused);
      DS->OnCalcFields = nullptr;
      Calc.Meddle = nullptr;
      Probe.Meddle = nullptr;
      EXPECT_TRUE(DS->Active());
      EXPECT_TRUE(DS->Filtered());
      EXPECT_EQ(DS->State(), TDataSetState::dsBrowse);
      ExpectWalk();
    }
  }
  // Reading the data set from a handler is allowed, and a handler that hands over to
  // another while the records are asked has them asked again by the new one.
  Integer keptId = -1;
  for (const TModelRecord& r : Model)
    if (keptId < 0 && Probe.Keeps(r.Value)) keptId = r.Id;
  Probe.Meddle = [this, keptId](TDataSet* d) {
    EXPECT_FALSE(VarIsNull(d->Lookup("ID", keptId, "V")));
    d->OnFilterRecord = TFilterRecordEvent(&Probe, &TFilterProbe::AcceptAll);
  };
  DS->Refresh();
  EXPECT_EQ(DS->RecordCount(), 30);
}

}  // namespace
