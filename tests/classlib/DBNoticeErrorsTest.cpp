// A link or data source that raises while hearing of a change: the change still reaches every
// other link and source (each step's every notice), and the first error then reaches the
// caller; a request (write the controls into the record, settle before a move, focus a
// control) stops at the first error instead.
#include <gtest/gtest.h>

#include "tests/classlib/ErrorText.h"

#include "classlib/core/DB.h"
#include "classlib/core/Strings.h"

#include <functional>
#include <string>
#include <utility>
#include <vector>

using enum TDataSetState;
using enum TFieldType;

namespace notice_errors {

// Logs what it hears; raises "<tag> failed" once when it hears Fails, frees *Victim when it
// hears Frees.
class TNoticeLink : public TDataLink {
 public:
  explicit TNoticeLink(String ATag) : Tag(std::move(ATag)) {}
  String Tag;
  std::vector<String> Log;
  String Fails, Frees;
  TDataSet** Victim = nullptr;
  bool LogsBrowseMode = false;  // asked before every move: logged only when wanted

 protected:
  void ActiveChanged() override { Hear(String("Active ") + (Active() ? "on" : "off")); }
  void CheckBrowseMode() override {
    if (LogsBrowseMode) Hear("CheckBrowseMode");
  }
  void DataSetChanged() override { Hear("DataSetChanged"); }
  void DataSetScrolled(Integer Distance) override { Hear("Scrolled " + IntToStr(Distance)); }
  void EditingChanged() override { Hear(String("Editing ") + (Editing() ? "on" : "off")); }
  void LayoutChanged() override { Hear("LayoutChanged"); }
  void RecordChanged(TField* Field) override {
    Hear("RecordChanged " + (Field ? Field->FieldName() : String("nil")));
  }
  void FocusControl(TField*&) override { Hear("FocusControl"); }
  void UpdateData() override { Hear("UpdateData"); }

 private:
  void Hear(const String& AWhat) {
    Log.push_back(AWhat);
    if (AWhat == Frees && Victim && *Victim) {
      Frees.clear();
      std::exchange(*Victim, nullptr)->Free();
    }
    if (AWhat == Fails) {
      Fails.clear();
      throw Exception(Tag + " failed");
    }
  }
};

// A data source's own handlers, and the data set's After handlers: they log, and raise
// "<tag> failed" once when Fails runs.
struct TSourceHandlers : TObject {
  String Tag;
  std::vector<String> Log;
  String Fails;
  void DataChange(TObject*, TField*) { Hear("DataChange"); }
  void StateChange(TObject*) { Hear("StateChange"); }
  void UpdateData(TObject*) { Hear("UpdateData"); }
  void After(TDataSet*) { Hear("After"); }
  void Hear(const String& AWhat) {
    Log.push_back(AWhat);
    if (AWhat != Fails) return;
    Fails.clear();
    throw Exception(Tag + " failed");
  }
};

using Step = std::function<void(TMemoryDataSet*)>;
using Log = std::vector<String>;

// One data set and two sources: the first with links A and B (A joined first, so it hears
// first) and handlers S1, the second with link C and handlers S2.
class DataSetNoticeErrors : public ::testing::Test {
 protected:
  void SetUp() override {
    DS = New<TMemoryDataSet>(nullptr);
    DS->FieldDefs().Add("ID", ftInteger);
    DS->FieldDefs().Add("NAME", ftString, 10);
    for (int i = 1; i <= 5; ++i) DS->AddRecord({i, "n" + std::to_string(i)});
    DS->AfterPost = DS->AfterDelete = DS->AfterCancel = DS->AfterEdit =
        TDataSetNotifyEvent(&Afters, &TSourceHandlers::After);
    First.reset(New<TDataSource>(nullptr));
    Second.reset(New<TDataSource>(nullptr));
    S1.Tag = "S1";
    for (auto [source, handlers] : {std::pair(First.get(), &S1), std::pair(Second.get(), &S2)}) {
      source->SetDataSet(DS);
      source->OnDataChange = TDataChangeEvent(handlers, &TSourceHandlers::DataChange);
      source->OnStateChange = TNotifyEvent(handlers, &TSourceHandlers::StateChange);
      source->OnUpdateData = TNotifyEvent(handlers, &TSourceHandlers::UpdateData);
    }
    A.SetDataSource(First.get());
    B.SetDataSource(First.get());
    C.SetDataSource(Second.get());
    DS->Open();
  }
  void TearDown() override {
    for (TNoticeLink* l : {&A, &B, &C}) l->SetDataSource(nullptr);
    First.reset();
    Second.reset();
    if (DS) DS->Free();
  }
  void ClearLogs() {
    for (TNoticeLink* l : {&A, &B, &C}) l->Log.clear();
    for (TSourceHandlers* h : {&S1, &S2, &Afters}) h->Log.clear();
  }
  String Names() {
    String s;
    DS->DisableControls();
    for (DS->First(); !DS->Eof(); DS->Next()) s += DS->FieldByName("NAME")->GetAsString() + " ";
    DS->EnableControls();
    return s;
  }

  TMemoryDataSet* DS = nullptr;
  Owned<TDataSource> First, Second;
  TNoticeLink A{"A"}, B{"B"}, C{"C"};
  TSourceHandlers S1, S2, Afters;
};

TEST_F(DataSetNoticeErrors, AChangeReachesEveryLinkWhereARequestStopsAtTheFirstError) {
  // A and C fail on what they hear first of the step, and S1 on its first notice: every link
  // and source still hears every notice of the step (what they hear when none fails), A's
  // error comes last, and the data set's After handler does not run.
  auto check = [&](const char* AName, const Step& APrepare, const Step& ARun, const Log& AHeard,
                   const Log& ASourceHeard, const char* ANames, TDataSetState AState) {
    SCOPED_TRACE(AName);
    TearDown();
    SetUp();
    APrepare(DS);
    ClearLogs();
    A.Fails = C.Fails = AHeard[0] == "UpdateData" ? AHeard[1] : AHeard[0];
    S1.Fails = ASourceHeard[ASourceHeard[0] == "UpdateData" ? 1 : 0];
    EXPECT_EQ(MessageOf([&] { ARun(DS); }), "A failed");
    for (TNoticeLink* l : {&A, &B, &C}) EXPECT_EQ(l->Log, AHeard) << l->Tag.c_str();
    EXPECT_EQ(S1.Log, ASourceHeard);
    EXPECT_EQ(S2.Log, ASourceHeard);
    EXPECT_EQ(Afters.Log, Log{});
    EXPECT_EQ(DS->State(), AState);
    if (AState == dsInactive) {
      DS->Open();  // closed whole: it opens again
      EXPECT_EQ(DS->RecordCount(), 5);
    } else {
      if (AState != dsBrowse) DS->Cancel();
      EXPECT_EQ(Names(), ANames);
    }
  };
  const Step none = [](TMemoryDataSet*) {};
  const Step edited = [](TMemoryDataSet* ds) {
    ds->Edit();
    ds->FieldByName("NAME")->SetAsString("x");
  };
  check(
      "deletions while the controls were disabled",
      [](TMemoryDataSet* ds) {
        ds->DisableControls();
        ds->Next();
        ds->Delete();
        ds->Next();
        ds->Delete();
      },
      [](TMemoryDataSet* ds) { ds->EnableControls(); }, {"DataSetChanged"}, {"DataChange"},
      "n1 n3 n5 ", dsBrowse);
  check(
      "a move", none, [](TMemoryDataSet* ds) { ds->Next(); }, {"Scrolled 1"}, {"DataChange"},
      "n1 n2 n3 n4 n5 ", dsBrowse);
  check(
      "a deletion", none, [](TMemoryDataSet* ds) { ds->Delete(); }, {"DataSetChanged"},
      {"DataChange"}, "n2 n3 n4 n5 ", dsBrowse);
  check(
      "a value", [](TMemoryDataSet* ds) { ds->Edit(); },
      [](TMemoryDataSet* ds) { ds->FieldByName("NAME")->SetAsString("x"); }, {"RecordChanged NAME"},
      {"DataChange"}, "n1 n2 n3 n4 n5 ", dsEdit);
  // The state's notice fails; the window's notice after it still goes out.
  check(
      "a post", edited, [](TMemoryDataSet* ds) { ds->Post(); },
      {"UpdateData", "Editing off", "DataSetChanged"}, {"UpdateData", "StateChange", "DataChange"},
      "x n2 n3 n4 n5 ", dsBrowse);
  check(
      "a cancel", edited, [](TMemoryDataSet* ds) { ds->Cancel(); },
      {"Editing off", "DataSetChanged"}, {"StateChange", "DataChange"}, "n1 n2 n3 n4 n5 ",
      dsBrowse);
  // An insert its links failed to hear of is given up, as when OnNewRecord raises.
  check(
      "an insert", none, [](TMemoryDataSet* ds) { ds->Insert(); },
      {"Editing on", "Editing off", "DataSetChanged"}, {"StateChange", "StateChange", "DataChange"},
      "n1 n2 n3 n4 n5 ", dsBrowse);
  check(
      "the closing", none, [](TMemoryDataSet* ds) { ds->Close(); }, {"Active off"}, {"StateChange"},
      "", dsInactive);

  // A source's own handler failing: the other source's links still hear.
  ClearLogs();
  S1.Fails = "DataChange";
  EXPECT_EQ(MessageOf([&] { DS->Last(); }), "S1 failed");
  EXPECT_EQ(C.Log, Log{"DataSetChanged"});
  EXPECT_EQ(S2.Log, Log{"DataChange"});
  // A link freeing the data set after another raised: the notice ends there, the error
  // still reaches the caller.
  ClearLogs();
  A.Fails = "DataSetChanged";
  C.Frees = "DataSetChanged";
  TDataSet* victim = DS;
  C.Victim = &victim;
  TWeakLink alive(DS);
  EXPECT_EQ(MessageOf([&] { DS->First(); }), "A failed");
  EXPECT_FALSE(alive.Alive());
  DS = nullptr;

  // Requests. The controls' values refused: nothing is posted, and nobody after A is asked.
  TearDown();
  SetUp();
  DS->Edit();
  DS->FieldByName("NAME")->SetAsString("x");
  ClearLogs();
  for (TNoticeLink* l : {&A, &B, &C}) l->LogsBrowseMode = true;
  A.Fails = "UpdateData";
  EXPECT_EQ(MessageOf([&] { DS->Post(); }), "A failed");
  EXPECT_EQ(B.Log, Log{});
  EXPECT_EQ(C.Log, Log{});
  EXPECT_EQ(S1.Log, Log{});
  EXPECT_EQ(DS->State(), dsEdit);
  // An edit that cannot be settled: the data set does not move.
  A.Fails = "CheckBrowseMode";
  EXPECT_EQ(MessageOf([&] { DS->Next(); }), "A failed");
  EXPECT_EQ(B.Log, Log{});
  EXPECT_EQ(C.Log, Log{});
  EXPECT_EQ(DS->State(), dsEdit);
  EXPECT_EQ(DS->RecNo(), 1);
  // Focusing a field's control: the search stops at the link that failed.
  A.Fails = "FocusControl";
  EXPECT_EQ(MessageOf([&] { DS->FieldByName("NAME")->FocusControl(); }), "A failed");
  EXPECT_EQ(B.Log, Log{});
  EXPECT_EQ(C.Log, Log{});
}

}  // namespace notice_errors
