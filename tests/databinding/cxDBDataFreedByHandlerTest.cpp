// A data set's handler that frees the data set, its data source, the data-set controller
// working on it, or the owner of both, while the controller deletes, cancels, posts, moves
// or walks the data set: the operation ends where its handler left it, nothing touches the
// freed objects (the sanitizer build sees that), and what survives stays usable.
#include "tests/databinding/DBDataTestSupport.h"

#include "widgets/data/cxFilter.h"

#include <string>

using enum TFieldType;

namespace {

enum class TVictim { DataSet, Source, Controller, Owner };
const TVictim kVictims[] = {TVictim::DataSet, TVictim::Source, TVictim::Controller, TVictim::Owner};
const char* const kVictimNames[] = {"data set", "source", "controller", "owner"};

// How the controller reads the data set.
enum class TMode { NoKeys, Keys, SmartRefresh, Grid };
const TMode kModes[] = {TMode::NoKeys, TMode::Keys, TMode::SmartRefresh, TMode::Grid};
const char* const kModeNames[] = {"no keys", "keys", "smart refresh", "grid"};

// Frees its victim on the Countdown-th call of any handler it is set to.
class TFreer : public TObject {
 public:
  TObject* Victim = nullptr;
  int Countdown = 0;
  int Runs = 0;
  void Hit(TDataSet*) {
    if (!Victim || --Countdown > 0) return;
    ++Runs;
    TObject* v = Victim;
    Victim = nullptr;
    v->Free();
  }
  // As a filter handler it lets every record through. The same under another name: the
  // data set asks a handler it has not heard from about every record again.
  void Filter(TDataSet* ADataSet, bool& AAccept) {
    AAccept = true;
    Hit(ADataSet);
  }
  void FilterAgain(TDataSet* ADataSet, bool& AAccept) { Filter(ADataSet, AAccept); }
  // As a display-text handler it gives the field's own text first: the field may go with
  // the victim.
  void GetText(TField* ASender, String& AText, bool) {
    AText = ASender->GetAsString();
    Hit(nullptr);
  }
};

using TEventSlot = TDataSetNotifyEvent TDataSet::*;

class DBDataFreedByHandler : public DBDataTest {
 protected:
  void SetUp() override {
    DBDataTest::SetUp();
    OwnerLink.Attach(Owner.get());
  }
  void TearDown() override {
    // A controller the test let go of and no handler freed.
    if (Let.Alive()) Let.Ref()->Free();
    if (OwnerLink.Alive()) OwnerLink.Ref()->Free();
    Owner.release();
    DBDataTest::TearDown();
  }
  // Six records (ID 1..6, a calculated field) and a controller over them in AMode, focused on
  // its second row; the handler at ASlot (if any) is set to the freer (not armed yet), and so
  // is NAME's display-text handler with AGetText, before the controller binds the field. The
  // controller is let go of by C: the freer or the test frees it.
  void Make(TMode AMode, TEventSlot ASlot, bool AGetText = false) {
    if (Let.Alive()) Let.Ref()->Free();
    if (OwnerLink.Alive()) OwnerLink.Ref()->Free();
    Owner.release();
    Owner.reset(New<TComponent>(nullptr));
    OwnerLink.Attach(Owner.get());
    std::vector<std::vector<Variant>> rows;
    for (Integer i = 1; i <= 6; ++i) rows.push_back({i, String("n") + IntToStr(i)});
    MakeDataSet({{"ID", ftInteger}, {"NAME", ftString, 20}}, rows);
    // A calculated field, without which OnCalcFields is never asked.
    AddTestField<TIntegerField>(Owner.get(), DS, "ID");
    AddTestField<TStringField>(Owner.get(), DS, "NAME")->SetSize(20);
    AddTestField<TStringField>(Owner.get(), DS, "CALC")->SetFieldKind(TFieldKind::fkCalculated);
    if (WithLookup) {
      // A lookup field searching a list of its own for every record read.
      List = MakeTestDataSet(Owner.get(), {{"ID", ftInteger}, {"TEXT", ftString, 20}});
      for (Integer i = 1; i <= 6; ++i) List->AddRecord({i, String("t") + IntToStr(i)});
      List->Open();
      auto* look = AddTestField<TStringField>(Owner.get(), DS, "LOOK");
      look->SetSize(20);
      look->SetFieldKind(TFieldKind::fkLookup);
      look->SetKeyFields("ID");
      look->SetLookupDataSet(List);
      look->SetLookupKeyFields("ID");
      look->SetLookupResultField("TEXT");
    }
    DS->Open();
    C.reset(New<TcxDBDataController>(nullptr));
    Items.clear();
    AddItems(C.get(), {"ID", "NAME"});
    C->SetKeyFieldNames(AMode == TMode::NoKeys || AMode == TMode::Grid ? "" : "ID");
    C->DataModeController()->SetSmartRefresh(AMode == TMode::SmartRefresh);
    if (AMode == TMode::Grid) {
      C->DataModeController()->SetGridModeBufferCount(4);
      C->DataModeController()->SetGridMode(true);
    }
    if (AGetText) DS->FieldByName("NAME")->OnGetText = {&Freer, &TFreer::GetText};
    C->SetDataSource(Source);
    C->ChangeFocusedRowIndex(1);
    if (ASlot) DS->*ASlot = {&Freer, &TFreer::Hit};
    Ctrl = C.release();
    Let.Attach(Ctrl);
    DataSetLink.Attach(DS);
    SourceLink.Attach(Source);
  }
  void Arm(TVictim AVictim, int ACountdown) {
    Freer.Runs = 0;
    Freer.Countdown = ACountdown;
    switch (AVictim) {
      case TVictim::DataSet:
        Freer.Victim = DS;
        break;
      case TVictim::Source:
        Freer.Victim = Source;
        break;
      case TVictim::Controller:
        Freer.Victim = Ctrl;
        break;
      case TVictim::Owner:
        Freer.Victim = Owner.get();
        break;
    }
  }
  // What survives the handler: the controller without its data set holds no records and
  // takes another data set as usual; the data set without the controller can be walked.
  void ExpectSurvivorsUsable(const std::string& AWhat) {
    Freer.Victim = nullptr;  // an operation that ran no handler leaves it armed
    if (Let.Alive() && !Ctrl->DataSet()) {
      EXPECT_EQ(Ctrl->GetRecordCount(), 0) << AWhat;
      EXPECT_EQ(Ctrl->GetRowCount(), 0) << AWhat;
      Owned<TMemoryDataSet> other(MakeTestDataSet(nullptr, {{"ID", ftInteger}}));
      other->AddRecord({Variant(Integer(7))});
      other->AddRecord({Variant(Integer(8))});
      other->Open();
      Owned<TDataSource> source(New<TDataSource>(nullptr));
      source->SetDataSet(other.get());
      Ctrl->SetDataSource(source.get());
      EXPECT_EQ(Ctrl->GetRecordCount(), 2) << AWhat;
      Ctrl->SetDataSource(nullptr);
    }
    if (Let.Alive() && Ctrl->DataSet() && !Ctrl->IsGridMode()) {
      EXPECT_EQ(Ctrl->GetRecordCount(), DS->RecordCount()) << AWhat;
    }
    if (DataSetLink.Alive()) {
      // Nothing that went leaves the data set deaf to its other links.
      EXPECT_FALSE(DS->ControlsDisabled()) << AWhat;
      const Integer count = DS->RecordCount();
      Integer walked = 0;
      for (DS->First(); !DS->Eof(); DS->Next()) ++walked;
      EXPECT_EQ(walked, count) << AWhat;
    }
  }
  static std::string What(TMode AMode, TVictim AVictim, const char* AEvent) {
    return std::string(kModeNames[int(AMode)]) + ", " + AEvent + " frees the " +
           kVictimNames[int(AVictim)];
  }

  TFreer Freer;
  bool WithLookup = false;
  TMemoryDataSet* List = nullptr;
  TcxDBDataController* Ctrl = nullptr;
  TWeakLink Let, OwnerLink, DataSetLink, SourceLink;
};

TEST_F(DBDataFreedByHandler, DeletingEndsWhereADeleteHandlerFreedTheDataSetOrTheController) {
  const std::pair<TEventSlot, const char*> events[] = {{&TDataSet::BeforeDelete, "BeforeDelete"},
                                                       {&TDataSet::AfterDelete, "AfterDelete"}};
  for (bool selection : {false, true})
    for (TMode mode : kModes)
      for (const auto& [slot, name] : events)
        for (TVictim victim : kVictims)
          for (int countdown : {1, 2}) {
            if (!selection && countdown > 1) continue;
            const std::string what = std::string(selection ? "selection" : "focused") + ", " +
                                     What(mode, victim, name) + ", call " +
                                     std::to_string(countdown);
            Make(mode, slot);
            if (selection) {
              Ctrl->SetMultiSelect(true);
              Ctrl->ClearSelection();
              for (Integer row : {0, 2, 3}) {
                Ctrl->ChangeFocusedRowIndex(row);
                Ctrl->ChangeRowSelection(row, true);
              }
              ASSERT_EQ(Ctrl->GetSelectedCount(), 3) << what;
            }
            Arm(victim, countdown);
            if (selection)
              Ctrl->DeleteSelection();
            else
              Ctrl->DeleteFocused();
            EXPECT_EQ(Freer.Runs, 1) << what;
            EXPECT_EQ(Let.Alive(), victim != TVictim::Controller) << what;
            EXPECT_EQ(DataSetLink.Alive(),
                      victim == TVictim::Source || victim == TVictim::Controller)
                << what;
            // The deletion stops with what it worked on: the record whose delete ran the
            // handler goes, no other after it.
            if (victim == TVictim::Source || victim == TVictim::Controller) {
              EXPECT_EQ(DS->RecordCount(), 6 - countdown) << what;
            }
            ExpectSurvivorsUsable(what);
          }
}

// Grid mode walks the data set itself to select every record, and to delete the selection:
// each step runs its scroll handlers.
TEST_F(DBDataFreedByHandler, GridModeWalksEndWhereAScrollHandlerFreedTheDataSetOrTheController) {
  const std::pair<TEventSlot, const char*> events[] = {{&TDataSet::AfterScroll, "AfterScroll"},
                                                       {&TDataSet::BeforeScroll, "BeforeScroll"}};
  for (int op = 0; op < 4; ++op)
    for (const auto& [slot, name] : events)
      for (TVictim victim : kVictims)
        for (int countdown : {1, 3}) {
          const char* const ops[] = {"select all", "delete selection", "visit every row",
                                     "visit selected rows"};
          const std::string what = std::string(ops[op]) + ", " + What(TMode::Grid, victim, name) +
                                   ", call " + std::to_string(countdown);
          Make(TMode::Grid, slot);
          Ctrl->SetMultiSelect(true);
          if (op > 0) {
            Freer.Victim = nullptr;
            Ctrl->SelectAll();
            ASSERT_EQ(Ctrl->GetSelectedCount(), 6) << what;
          }
          Arm(victim, countdown);
          int visited = 0;
          switch (op) {
            case 0:
              Ctrl->SelectAll();
              break;
            case 1:
              Ctrl->DeleteSelection();
              break;
            default:
              Ctrl->ForEachRow(op == 3, [&](Integer, const TcxRowInfo&) { ++visited; });
              break;
          }
          EXPECT_EQ(Freer.Runs, 1) << what;
          EXPECT_LT(visited, 6) << what;
          if (Let.Alive() && !Ctrl->DataSet()) {
            EXPECT_EQ(Ctrl->GetSelectedCount(), 0) << what;
          }
          ExpectSurvivorsUsable(what);
        }
}

TEST_F(DBDataFreedByHandler, CancellingEndsWhereACancelHandlerFreedTheDataSetOrTheController) {
  const std::pair<TEventSlot, const char*> events[] = {{&TDataSet::BeforeCancel, "BeforeCancel"},
                                                       {&TDataSet::AfterCancel, "AfterCancel"}};
  for (bool inserting : {false, true})
    for (TMode mode : kModes)
      for (const auto& [slot, name] : events)
        for (TVictim victim : kVictims) {
          const std::string what =
              std::string(inserting ? "insert" : "edit") + ", " + What(mode, victim, name);
          Make(mode, slot);
          if (inserting)
            Ctrl->Insert();
          else
            Ctrl->Edit();
          Ctrl->SetEditValue(1, Variant("changed"), TcxDataEditValueSource::evsValue);
          ASSERT_TRUE(Ctrl->IsEditing()) << what;
          Arm(victim, 1);
          Ctrl->Cancel();
          EXPECT_EQ(Freer.Runs, 1) << what;
          // The edit is gone with whatever the handler left.
          if (DataSetLink.Alive()) {
            EXPECT_FALSE(IsEditState(DS->State())) << what;
            EXPECT_EQ(DS->RecordCount(), 6) << what;
          }
          if (Let.Alive()) {
            EXPECT_FALSE(Ctrl->IsEditing()) << what;
          }
          ExpectSurvivorsUsable(what);
        }
}

// Every other operation of the controller that runs the data set's handlers, each of the
// handlers it runs freeing each victim.
TEST_F(DBDataFreedByHandler, EveryOperationEndsWhereAHandlerFreedTheDataSetOrTheController) {
  using TOp = void (*)(TcxDBDataController*);
  struct TCase {
    const char* Name;
    bool Editing;  // an edit with a changed value is under way when the operation starts
    TOp Op;
    std::vector<std::pair<TEventSlot, const char*>> Events;
  };
  const std::pair<TEventSlot, const char*> beforePost{&TDataSet::BeforePost, "BeforePost"},
      afterPost{&TDataSet::AfterPost, "AfterPost"},
      beforeScroll{&TDataSet::BeforeScroll, "BeforeScroll"},
      afterScroll{&TDataSet::AfterScroll, "AfterScroll"},
      calc{&TDataSet::OnCalcFields, "OnCalcFields"};
  const TCase cases[] = {
      {"edit",
       false,
       [](TcxDBDataController* c) { c->Edit(); },
       {{&TDataSet::BeforeEdit, "BeforeEdit"}, {&TDataSet::AfterEdit, "AfterEdit"}}},
      {"insert",
       true,
       [](TcxDBDataController* c) { c->Insert(); },
       {beforePost,
        afterPost,
        {&TDataSet::BeforeInsert, "BeforeInsert"},
        {&TDataSet::AfterInsert, "AfterInsert"},
        {&TDataSet::OnNewRecord, "OnNewRecord"}}},
      {"append",
       false,
       [](TcxDBDataController* c) { c->Append(); },
       {{&TDataSet::BeforeInsert, "BeforeInsert"},
        {&TDataSet::AfterInsert, "AfterInsert"},
        afterScroll}},
      {"set a value",
       false,
       [](TcxDBDataController* c) {
         c->SetEditValue(1, Variant("changed"), TcxDataEditValueSource::evsValue);
       },
       {{&TDataSet::BeforeEdit, "BeforeEdit"}, {&TDataSet::AfterEdit, "AfterEdit"}}},
      {"post", true, [](TcxDBDataController* c) { c->PostEditing(); }, {beforePost, afterPost}},
      {"focus another row",
       true,
       [](TcxDBDataController* c) { c->ChangeFocusedRowIndex(3); },
       {beforePost, afterPost, beforeScroll, afterScroll}},
      {"check the browse state",
       true,
       [](TcxDBDataController* c) { c->CheckBrowseState(); },
       {beforePost, afterPost}},
      {"next", false, [](TcxDBDataController* c) { c->GotoNext(); }, {beforeScroll, afterScroll}},
      {"last", true, [](TcxDBDataController* c) { c->GotoLast(); }, {beforePost, afterScroll}},
      {"move by", false, [](TcxDBDataController* c) { c->MoveBy(2); }, {beforeScroll, afterScroll}},
      {"scroll", false, [](TcxDBDataController* c) { c->Scroll(2); }, {afterScroll}},
      {"locate",
       false,
       [](TcxDBDataController* c) { c->LocateByKey(Variant(Integer(5))); },
       {afterScroll}},
      {"search",
       false,
       [](TcxDBDataController* c) { c->Search()->Locate(1, "n4"); },
       {afterScroll, calc}},
      {"refresh", false, [](TcxDBDataController* c) { c->Refresh(); }, {calc}},
      {"switch grid mode",
       false,
       [](TcxDBDataController* c) {
         c->DataModeController()->SetGridMode(!c->DataModeController()->GridMode());
       },
       {afterScroll, calc}},
      {"hide the focused row by a filter",
       false,
       [](TcxDBDataController* c) {
         TWeakLink self(c);
         c->Filter()->Root()->AddItem(c->GetItem(0), TcxFilterOperatorKind::foNotEqual, 2, "2");
         if (self.Alive()) c->Filter()->SetActive(true);
       },
       {beforeScroll, afterScroll}},
      {"select from the anchor",
       false,
       [](TcxDBDataController* c) {
         TWeakLink self(c);
         c->SetMultiSelect(true);
         if (self.Alive()) c->SetSelectionAnchor(0);
         if (self.Alive()) c->SelectFromAnchor(3, false);
       },
       {afterScroll, calc}},
  };
  for (const TCase& op : cases)
    for (const auto& [slot, name] : op.Events)
      for (TMode mode : kModes)
        for (TVictim victim : kVictims) {
          const std::string what = std::string(op.Name) + ", " + What(mode, victim, name);
          Make(mode, slot);
          if (op.Editing) {
            Ctrl->Edit();
            Ctrl->SetEditValue(1, Variant("edited"), TcxDataEditValueSource::evsValue);
          }
          Arm(victim, 1);
          try {
            op.Op(Ctrl);
          } catch (const Exception&) {
            // A refusal (a search on a data set that went) is reported as usual.
          }
          if (Let.Alive() && !Ctrl->DataSet()) {
            EXPECT_FALSE(Ctrl->IsEditing()) << what;
          }
          ExpectSurvivorsUsable(what);
        }
}

// Asking whether a bookmark still leads to a record, counting and numbering the records run
// the filter handler: the operations that ask before they move end where it freed
// something. Each ask in turn frees each victim, from the first until an operation asks no
// more.
TEST_F(DBDataFreedByHandler, AnOperationAskingTheFilterEndsWhereItsHandlerFreedSomething) {
  using TOp = void (*)(TcxDBDataController*);
  const std::pair<const char*, TOp> ops[] = {
      {"focus another row", [](TcxDBDataController* c) { c->ChangeFocusedRowIndex(4); }},
      {"focus a selected row",
       [](TcxDBDataController* c) {
         TWeakLink self(c);
         c->SetMultiSelect(true);
         if (self.Alive()) c->ChangeRowSelection(4, true);
         if (self.Alive()) c->FocusSelectedRow(c->GetSelectedCount() - 1);
       }},
      {"walk the selection",
       [](TcxDBDataController* c) {
         TWeakLink self(c);
         c->SetMultiSelect(true);
         if (self.Alive()) c->ChangeRowSelection(3, true);
         if (self.Alive()) c->ChangeRowSelection(4, true);
         if (self.Alive()) c->ForEachRow(true, [](Integer, const TcxRowInfo&) {});
       }},
      {"delete the selection",
       [](TcxDBDataController* c) {
         TWeakLink self(c);
         c->SetMultiSelect(true);
         if (self.Alive()) c->ChangeRowSelection(2, true);
         if (self.Alive()) c->ChangeRowSelection(4, true);
         if (self.Alive()) c->DeleteSelection();
       }},
      {"select from the anchor",
       [](TcxDBDataController* c) {
         TWeakLink self(c);
         c->SetMultiSelect(true);
         if (self.Alive()) c->SetSelectionAnchor(1);
         if (self.Alive()) c->SelectFromAnchor(4, false);
       }},
      {"walk with the controls disabled",
       [](TcxDBDataController* c) {
         TDataSet* ds = c->DataSet();
         TWeakLink alive(ds);
         ds->DisableControls();
         ds->First();
         if (alive.Alive()) ds->Next();
         if (alive.Alive()) ds->EnableControls();
       }},
      {"go to the bookmark",
       [](TcxDBDataController* c) {
         TWeakLink self(c);
         c->SaveBookmark();
         if (self.Alive()) c->ChangeFocusedRowIndex(3);
         if (self.Alive()) c->GotoBookmark();
       }},
  };
  for (const auto& [opName, op] : ops)
    for (TMode mode : kModes)
      for (TVictim victim : kVictims)
        for (bool unheard : {false, true})
          for (int ask = 1; ask <= 64; ++ask) {
          const std::string what = std::string(opName) + ", " + kModeNames[int(mode)] +
                                   (unheard ? ", a new handler" : "") + ", ask " +
                                   std::to_string(ask) + " frees the " + kVictimNames[int(victim)];
          Make(mode, &TDataSet::AfterCancel);
          DS->OnFilterRecord = {&Freer, &TFreer::Filter};
          DS->SetFiltered(true);
          if (unheard) DS->OnFilterRecord = {&Freer, &TFreer::FilterAgain};
          Arm(victim, ask);
          try {
            op(Ctrl);
          } catch (const Exception&) {
            // A refusal (a record that went with the data set) is reported as usual.
          }
          const bool freed = Freer.Runs > 0;
          ExpectSurvivorsUsable(what);
          if (!freed) break;
        }
}

// A full read copies every record of the data set, and runs the program's code for each: the
// NAME field's display-text handler, the calculation, the filter, or the filter of the list a
// lookup field searches. Grid mode reads the texts where the rows stand, as a grid paints
// after the read. The n-th call frees each victim in turn, for every n: the read ends there
// without writing into what went, nothing raises for the freeing itself, and what survives
// stays usable.
TEST_F(DBDataFreedByHandler, AFullReadEndsWhereAHandlerItRunsFreedSomething) {
  using TOp = void (*)(TcxDBDataController*, TDataSet*);
  struct TTrigger {
    const char* Name;
    bool Closed;  // the data set is closed first, and the trigger opens it
    TOp Op;
  };
  const TTrigger triggers[] = {
      {"open the data set", true, [](TcxDBDataController*, TDataSet* ds) { ds->Open(); }},
      {"refresh the data set", false, [](TcxDBDataController*, TDataSet* ds) { ds->Refresh(); }},
      {"refresh the controller", false, [](TcxDBDataController* c, TDataSet*) { c->Refresh(); }},
      {"post through the controller", false,
       [](TcxDBDataController* c, TDataSet*) {
         // The edit goes on while there is one: the controller may have lost its data set.
         TWeakLink self(c);
         c->Edit();
         if (self.Alive() && c->IsEditing())
           c->SetEditValue(1, Variant("posted"), TcxDataEditValueSource::evsValue);
         if (self.Alive() && c->IsEditing()) c->PostEditing();
       }},
      {"post on the data set", false,
       [](TcxDBDataController*, TDataSet* ds) {
         TWeakLink alive(ds);
         ds->Edit();
         if (alive.Alive()) ds->FieldByName("NAME")->SetAsString("posted");
         if (alive.Alive()) ds->Post();
       }},
      {"sort, then refresh", false,
       [](TcxDBDataController* c, TDataSet*) {
         TWeakLink self(c);
         c->ChangeSortingOrder(1, TcxDataSortOrder::soDescending);
         if (self.Alive()) c->Refresh();
       }},
      // Grid mode reads the texts on the data set, from the focused record (a match) on.
      {"search", false,
       [](TcxDBDataController* c, TDataSet*) { c->Search()->Locate(1, "n2"); }},
  };
  const char* const handlers[] = {"OnGetText", "OnCalcFields", "OnFilterRecord",
                                  "the lookup list's OnFilterRecord"};
  for (int handler = 0; handler < 4; ++handler)
    for (const TTrigger& trigger : triggers)
      for (TMode mode : kModes)
        for (TVictim victim : kVictims)
          for (int call = 1; call <= 64; ++call) {
            const std::string what = std::string(trigger.Name) + ", " + kModeNames[int(mode)] +
                                     ", call " + std::to_string(call) + " of " +
                                     handlers[handler] + " frees the " +
                                     kVictimNames[int(victim)];
            WithLookup = handler == 3;
            Make(mode, handler == 1 ? &TDataSet::OnCalcFields : nullptr, handler == 0);
            TDataSet* filtered = handler == 2 ? DS : handler == 3 ? List : nullptr;
            if (filtered) {
              filtered->OnFilterRecord = {&Freer, &TFreer::Filter};
              filtered->SetFiltered(true);
            }
            if (trigger.Closed) DS->Close();
            Arm(victim, call);
            EXPECT_NO_THROW({
              trigger.Op(Ctrl, DS);
              // What a grid shows after the read.
              for (Integer row = 0; Let.Alive() && row < Ctrl->GetRowCount(); ++row) {
                const Integer record = Ctrl->GetRowInfo(row).RecordIndex;
                if (Let.Alive() && record >= 0) Ctrl->GetItemDisplayText(record, 1);
              }
            }) << what;
            const bool freed = Freer.Runs > 0;
            ExpectSurvivorsUsable(what);
            if (!freed) break;
          }
}

}  // namespace
