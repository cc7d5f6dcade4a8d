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

// A data source's own handlers: they log, and raise "<tag> failed" once when Fails runs.
struct TSourceHandlers : TObject {
  String Tag;
  std::vector<String> Log;
  String Fails;
  void DataChange(TObject*, TField*) { Hear("DataChange"); }
  void StateChange(TObject*) { Hear("StateChange"); }
  void UpdateData(TObject*) { Hear("UpdateData"); }
  void Hear(const String& AWhat) {
    Log.push_back(AWhat);
    if (AWhat != Fails) return;
    Fails.clear();
    throw Exception(Tag + " failed");
  }
};

struct TAfterHandlers : TObject {
  std::vector<String> Log;
  void Post(TDataSet*) { Log.push_back("AfterPost"); }
  void Delete(TDataSet*) { Log.push_back("AfterDelete"); }
};

using Step = std::function<void(TMemoryDataSet*)>;

// One data set and two sources: the first with links A and B (A joined first, so it hears
// first) and handlers S1, the second with link C and handlers S2.
class DataSetNoticeErrors : public ::testing::Test {
 protected:
  void SetUp() override {
    DS = New<TMemoryDataSet>(nullptr);
    DS->FieldDefs().Add("ID", ftInteger);
    DS->FieldDefs().Add("NAME", ftString, 10);
    for (int i = 1; i <= 5; ++i) DS->AddRecord({i, "n" + std::to_string(i)});
    DS->AfterPost = TDataSetNotifyEvent(&After, &TAfterHandlers::Post);
    DS->AfterDelete = TDataSetNotifyEvent(&After, &TAfterHandlers::Delete);
    First.reset(New<TDataSource>(nullptr));
    Second.reset(New<TDataSource>(nullptr));
    S1.Tag = "S1";
    S2.Tag = "S2";
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
    S1.Log.clear();
    S2.Log.clear();
    After.Log.clear();
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
  TSourceHandlers S1, S2;
  TAfterHandlers After;
};

TEST_F(DataSetNoticeErrors, AChangeReachesEveryLinkWhereARequestStopsAtTheFirstError) {
  struct Case {
    const char* Name;
    Step Prepare, Run;
    const char* Fails;                // what A raises on
    std::vector<String> Heard;        // what B and C hear, as when nobody raises
    std::vector<String> SourceHeard;  // what S1 and S2 hear
    const char* Names;                // the records afterwards
    TDataSetState State;
    std::vector<String> After;  // the data set's After handlers that ran
  };
  const Step none = [](TMemoryDataSet*) {};
  const Step edited = [](TMemoryDataSet* ds) {
    ds->Edit();
    ds->FieldByName("NAME")->SetAsString("x");
  };
  const Case cases[] = {
      {"deletions while the controls were disabled",
       [](TMemoryDataSet* ds) {
         ds->DisableControls();
         ds->Next();
         ds->Delete();
         ds->Next();
         ds->Delete();
       },
       [](TMemoryDataSet* ds) { ds->EnableControls(); },
       "DataSetChanged",
       {"DataSetChanged"},
       {"DataChange"},
       "n1 n3 n5 ",
       dsBrowse,
       {}},
      {"a move",
       none,
       [](TMemoryDataSet* ds) { ds->Next(); },
       "Scrolled 1",
       {"Scrolled 1"},
       {"DataChange"},
       "n1 n2 n3 n4 n5 ",
       dsBrowse,
       {}},
      {"a deletion",
       none,
       [](TMemoryDataSet* ds) { ds->Delete(); },
       "DataSetChanged",
       {"DataSetChanged"},
       {"DataChange"},
       "n2 n3 n4 n5 ",
       dsBrowse,
       {}},
      {"a value",
       [](TMemoryDataSet* ds) { ds->Edit(); },
       [](TMemoryDataSet* ds) { ds->FieldByName("NAME")->SetAsString("x"); },
       "RecordChanged NAME",
       {"RecordChanged NAME"},
       {"DataChange"},
       "n1 n2 n3 n4 n5 ",
       dsEdit,
       {}},
      // The state's notice fails; the window's notice after it still goes out.
      {"a post",
       edited,
       [](TMemoryDataSet* ds) { ds->Post(); },
       "Editing off",
       {"UpdateData", "Editing off", "DataSetChanged"},
       {"UpdateData", "StateChange", "DataChange"},
       "x n2 n3 n4 n5 ",
       dsBrowse,
       {}},
      {"a cancel",
       edited,
       [](TMemoryDataSet* ds) { ds->Cancel(); },
       "Editing off",
       {"Editing off", "DataSetChanged"},
       {"StateChange", "DataChange"},
       "n1 n2 n3 n4 n5 ",
       dsBrowse,
       {}},
      // An insert its links failed to hear of is given up, as when OnNewRecord raises.
      {"an insert",
       none,
       [](TMemoryDataSet* ds) { ds->Insert(); },
       "Editing on",
       {"Editing on", "Editing off", "DataSetChanged"},
       {"StateChange", "StateChange", "DataChange"},
       "n1 n2 n3 n4 n5 ",
       dsBrowse,
       {}},
      {"the closing",
       none,
       [](TMemoryDataSet* ds) { ds->Close(); },
       "Active off",
       {"Active off"},
       {"StateChange"},
       "",
       dsInactive,
       {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TearDown();
    SetUp();
    c.Prepare(DS);
    ClearLogs();
    // A and C fail on the change, and S1 on its first notice of it: A's error is the one
    // reported.
    A.Fails = C.Fails = c.Fails;
    S1.Fails = c.SourceHeard[c.SourceHeard[0] == "UpdateData" ? 1 : 0];
    EXPECT_EQ(MessageOf([&] { c.Run(DS); }), "A failed");
    EXPECT_EQ(A.Log, c.Heard);
    EXPECT_EQ(B.Log, c.Heard);
    EXPECT_EQ(C.Log, c.Heard);
    EXPECT_EQ(S1.Log, c.SourceHeard);
    EXPECT_EQ(S2.Log, c.SourceHeard);
    EXPECT_EQ(DS->State(), c.State);
    EXPECT_EQ(After.Log, c.After);
    if (c.State == dsInactive) {
      // Closed whole: it opens again.
      DS->Open();
      EXPECT_EQ(DS->RecordCount(), 5);
    } else {
      if (c.State != dsBrowse) DS->Cancel();
      EXPECT_EQ(Names(), c.Names);
    }
  }
  TearDown();
  SetUp();
  // A source's own handler failing: the other source's links still hear.
  ClearLogs();
  S1.Fails = "DataChange";
  EXPECT_EQ(MessageOf([&] { DS->Last(); }), "S1 failed");
  EXPECT_EQ(C.Log, std::vector<String>{"DataSetChanged"});
  EXPECT_EQ(S2.Log, std::vector<String>{"DataChange"});
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
  A.Fails = "UpdateData";
  EXPECT_EQ(MessageOf([&] { DS->Post(); }), "A failed");
  EXPECT_EQ(B.Log, std::vector<String>{});
  EXPECT_EQ(C.Log, std::vector<String>{});
  EXPECT_EQ(S1.Log, std::vector<String>{});
  EXPECT_EQ(DS->State(), dsEdit);
  // An edit that cannot be settled: the data set does not move.
  ClearLogs();
  for (TNoticeLink* l : {&A, &B, &C}) l->LogsBrowseMode = true;
  A.Fails = "CheckBrowseMode";
  EXPECT_EQ(MessageOf([&] { DS->Next(); }), "A failed");
  EXPECT_EQ(B.Log, std::vector<String>{});
  EXPECT_EQ(C.Log, std::vector<String>{});
  EXPECT_EQ(DS->State(), dsEdit);
  EXPECT_EQ(DS->RecNo(), 1);
  DS->Cancel();
  // Focusing a field's control: the search stops at the link that failed.
  ClearLogs();
  A.Fails = "FocusControl";
  EXPECT_EQ(MessageOf([&] { DS->FieldByName("NAME")->FocusControl(); }), "A failed");
  EXPECT_EQ(B.Log, std::vector<String>{});
  EXPECT_EQ(C.Log, std::vector<String>{});
}

}  // namespace notice_errors
