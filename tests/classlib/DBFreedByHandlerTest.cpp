// A data set freed by one of its own handlers: the operation that ran the handler stops at
// once. The sanitizer build sees any later use of the freed data set; every build checks
// that the handler ran once and freed it, and that nothing after it ran.
#include <gtest/gtest.h>

#include "classlib/core/DB.h"

#include <functional>
#include <string>

using enum TFieldType;

namespace {

class TFreer : public TObject {
 public:
  TDataSet* Victim = nullptr;
  int Runs = 0, After = 0;
  // Counts the frees: a data set being freed closes, and its BeforeClose runs again.
  void Free(TDataSet*) {
    TDataSet* v = Victim;
    Victim = nullptr;
    if (!v) return;
    ++Runs;
    v->Free();
  }
  void Later(TDataSet*) { ++After; }
};

TMemoryDataSet* MakeDataSet() {
  TMemoryDataSet* ds = New<TMemoryDataSet>(nullptr);
  ds->FieldDefs().Add("ID", ftInteger);
  ds->FieldDefs().Add("NAME", ftString, 10);
  for (int i = 1; i <= 5; ++i) ds->AddRecord({i, "n" + std::to_string(i)});
  ds->Open();
  return ds;
}

using Op = std::function<void(TMemoryDataSet*)>;

void Edited(TMemoryDataSet* ds) {
  ds->Edit();
  ds->FieldByName("NAME")->SetAsString("changed");
}

// Every way a changed record gets posted runs BeforePost; the handler frees the data set.
TEST(DataSetFreedByHandler, BeforePostEndsEveryOperationThatPosts) {
  const std::pair<Op, const char*> ops[] = {
      {[](TMemoryDataSet* ds) { ds->Post(); }, "Post"},
      {[](TMemoryDataSet* ds) { ds->Next(); }, "Next"},
      {[](TMemoryDataSet* ds) { ds->Prior(); }, "Prior"},
      {[](TMemoryDataSet* ds) { ds->First(); }, "First"},
      {[](TMemoryDataSet* ds) { ds->Last(); }, "Last"},
      {[](TMemoryDataSet* ds) { ds->SetRecNo(4); }, "SetRecNo"},
      {[](TMemoryDataSet* ds) { ds->Refresh(); }, "Refresh"},
      {[](TMemoryDataSet* ds) { ds->Insert(); }, "Insert"},
      {[](TMemoryDataSet* ds) { ds->Append(); }, "Append"},
      {[](TMemoryDataSet* ds) { ds->Locate("ID", Variant(3), {}); }, "Locate"},
      {[](TMemoryDataSet* ds) { ds->LocateNext("ID", Variant(3), {}); }, "LocateNext"},
      {[](TMemoryDataSet* ds) { ds->SetFilter("ID > 2"); ds->SetFiltered(true); }, "SetFiltered"},
      {[](TMemoryDataSet* ds) { ds->EmptyDataSet(); }, "EmptyDataSet"},
  };
  for (const auto& [op, name] : ops) {
    TMemoryDataSet* ds = MakeDataSet();
    ds->Next();
    TFreer freer;
    freer.Victim = ds;
    TWeakLink link(ds);
    ds->BeforePost = {&freer, &TFreer::Free};
    ds->AfterPost = {&freer, &TFreer::Later};
    ds->BeforeScroll = {&freer, &TFreer::Later};
    ds->BeforeInsert = {&freer, &TFreer::Later};
    Edited(ds);
    op(ds);
    EXPECT_FALSE(link.Alive()) << name;
    EXPECT_EQ(freer.Runs, 1) << name;
    EXPECT_EQ(freer.After, 0) << name << ": nothing runs after the data set is gone";
  }
}

// The handlers that run before the operation's own work, and those in its middle.
TEST(DataSetFreedByHandler, EveryHandlerBeforeTheWorkEndsIt) {
  using Hook = std::function<void(TMemoryDataSet*, TFreer*)>;
  struct Case {
    const char* Name;
    Hook Set;
    Op Prepare, Act;
  };
  const auto free = [](TDataSetNotifyEvent TDataSet::*AEvent) {
    return [AEvent](TMemoryDataSet* ds, TFreer* f) { ds->*AEvent = {f, &TFreer::Free}; };
  };
  const Op nothing = [](TMemoryDataSet*) {};
  const Case cases[] = {
      {"BeforeScroll", free(&TDataSet::BeforeScroll), nothing, [](TMemoryDataSet* ds) { ds->Next(); }},
      {"BeforeScroll on Last", free(&TDataSet::BeforeScroll), nothing, [](TMemoryDataSet* ds) { ds->Last(); }},
      {"BeforeEdit", free(&TDataSet::BeforeEdit), nothing, [](TMemoryDataSet* ds) { ds->Edit(); }},
      {"BeforeInsert", free(&TDataSet::BeforeInsert), nothing, [](TMemoryDataSet* ds) { ds->Insert(); }},
      {"OnNewRecord", free(&TDataSet::OnNewRecord), nothing, [](TMemoryDataSet* ds) { ds->Append(); }},
      {"AfterInsert", free(&TDataSet::AfterInsert), nothing, [](TMemoryDataSet* ds) { ds->Insert(); }},
      {"BeforeCancel", free(&TDataSet::BeforeCancel), Edited, [](TMemoryDataSet* ds) { ds->Cancel(); }},
      {"BeforeDelete", free(&TDataSet::BeforeDelete), nothing, [](TMemoryDataSet* ds) { ds->Delete(); }},
      {"AfterDelete", free(&TDataSet::AfterDelete), nothing, [](TMemoryDataSet* ds) { ds->Delete(); }},
      {"BeforeClose", free(&TDataSet::BeforeClose), nothing, [](TMemoryDataSet* ds) { ds->Close(); }},
  };
  for (const Case& c : cases) {
    TMemoryDataSet* ds = MakeDataSet();
    TFreer freer;
    freer.Victim = ds;
    TWeakLink link(ds);
    c.Prepare(ds);
    c.Set(ds, &freer);
    ds->AfterScroll = {&freer, &TFreer::Later};
    ds->AfterEdit = {&freer, &TFreer::Later};
    ds->AfterCancel = {&freer, &TFreer::Later};
    // (AfterClose runs as the freed data set closes, so it is not watched.)
    c.Act(ds);
    EXPECT_FALSE(link.Alive()) << c.Name;
    EXPECT_EQ(freer.Runs, 1) << c.Name;
    EXPECT_EQ(freer.After, 0) << c.Name;
  }
}

// A link set on a plain object reads nil once the object is freed, and a link moved to
// another object no longer follows the first.
TEST(WeakLink, ClearedByFreeWhateverTheClass) {
  TObject* a = New<TObject>();
  TObject* b = New<TObject>();
  TWeakLink l1(a), l2(a), l3(b);
  TWeakLink moved(a);
  moved.Attach(b);
  EXPECT_EQ(moved.Ref(), b);
  a->Free();
  EXPECT_EQ(l1.Ref(), nullptr);
  EXPECT_EQ(l2.Ref(), nullptr);
  EXPECT_EQ(l3.Ref(), b);
  EXPECT_EQ(moved.Ref(), b);
  {
    TWeakLink inner(b);
    EXPECT_TRUE(inner.Alive());
  }  // a link that ends before its object leaves the others linked
  l3.Detach();
  EXPECT_FALSE(l3.Alive());
  b->Free();
  EXPECT_EQ(moved.Ref(), nullptr);
}

}  // namespace

namespace {

// A data set whose closing handler frees it while it is already being freed: the second
// Free does nothing.
TEST(DataSetFreedByHandler, AFreeFromAHandlerOfTheDestructionItselfIsIgnored) {
  TMemoryDataSet* ds = MakeDataSet();
  TFreer freer;
  freer.Victim = ds;
  ds->BeforeClose = {&freer, &TFreer::Later};
  ds->AfterClose = {&freer, &TFreer::Free};
  TWeakLink link(ds);
  ds->Free();  // closes, and AfterClose frees it once more
  EXPECT_FALSE(link.Alive());
  EXPECT_EQ(freer.Runs, 1);
  EXPECT_EQ(freer.After, 1);
}

}  // namespace

namespace {

// A link that frees the data set on the notice it is set to; links share the victim, so
// it is freed once.
class TFreeingLink : public TDataLink {
 public:
  TDataSet** Victim = nullptr;
  TDataEvent On = TDataEvent::deDataSetChange;
  int Runs = 0;

 protected:
  void Hear(TDataEvent AEvent) {
    if (AEvent != On || !Victim || !*Victim) return;
    TDataSet* v = *Victim;
    *Victim = nullptr;
    ++Runs;
    v->Free();
  }
  void DataSetChanged() override { Hear(TDataEvent::deDataSetChange); }
  void DataSetScrolled(Integer) override { Hear(TDataEvent::deDataSetScroll); }
  void RecordChanged(TField*) override { Hear(TDataEvent::deRecordChange); }
  void EditingChanged() override { Hear(TDataEvent::deUpdateState); }
  void ActiveChanged() override { Hear(TDataEvent::deUpdateState); }
  void UpdateData() override { Hear(TDataEvent::deUpdateRecord); }
  void CheckBrowseMode() override { Hear(TDataEvent::deCheckBrowseMode); }
};

}  // namespace

// A link told of a change frees the data set: the operation that told it stops there, and
// the data set's own After handlers never run.
TEST(DataSetFreedByHandler, ALinkFreeingTheDataSetEndsTheOperation) {
  using E = TDataEvent;
  struct Case {
    const char* Name;
    E On;
    Op Prepare, Run;
  };
  const Op none = [](TMemoryDataSet*) {};
  const Case cases[] = {
      {"First", E::deDataSetChange, [](TMemoryDataSet* ds) { ds->Next(); }, [](TMemoryDataSet* ds) { ds->First(); }},
      {"Last", E::deDataSetChange, none, [](TMemoryDataSet* ds) { ds->Last(); }},
      {"Next", E::deDataSetScroll, none, [](TMemoryDataSet* ds) { ds->Next(); }},
      {"Locate", E::deDataSetChange, none, [](TMemoryDataSet* ds) { ds->Locate("ID", Variant(3), {}); }},
      {"LocateNext", E::deDataSetChange, none,
       [](TMemoryDataSet* ds) { ds->LocateNext("ID", Variant(3), {}); }},
      {"LocateNext, the next record", E::deDataSetScroll, none,
       [](TMemoryDataSet* ds) { ds->LocateNext("ID", Variant(2), {}); }},
      {"Refresh", E::deDataSetChange, none, [](TMemoryDataSet* ds) { ds->Refresh(); }},
      {"Edit", E::deUpdateState, none, [](TMemoryDataSet* ds) { ds->Edit(); }},
      {"Edit's record", E::deRecordChange, none, [](TMemoryDataSet* ds) { ds->Edit(); }},
      {"Insert", E::deUpdateState, none, [](TMemoryDataSet* ds) { ds->Insert(); }},
      {"Append", E::deDataSetChange, none, [](TMemoryDataSet* ds) { ds->Append(); }},
      {"Post's data", E::deUpdateRecord, Edited, [](TMemoryDataSet* ds) { ds->Post(); }},
      {"Post's state", E::deUpdateState, Edited, [](TMemoryDataSet* ds) { ds->Post(); }},
      {"Post's window", E::deDataSetChange, Edited, [](TMemoryDataSet* ds) { ds->Post(); }},
      {"Cancel", E::deDataSetChange, Edited, [](TMemoryDataSet* ds) { ds->Cancel(); }},
      {"Next while editing", E::deCheckBrowseMode, Edited, [](TMemoryDataSet* ds) { ds->Next(); }},
      {"Delete's check", E::deCheckBrowseMode, none, [](TMemoryDataSet* ds) { ds->Delete(); }},
      {"Delete's window", E::deDataSetChange, none, [](TMemoryDataSet* ds) { ds->Delete(); }},
      {"SetAsString", E::deRecordChange, [](TMemoryDataSet* ds) { ds->Edit(); },
       [](TMemoryDataSet* ds) { ds->FieldByName("NAME")->SetAsString("x"); }},
      {"EnableControls", E::deDataSetChange, [](TMemoryDataSet* ds) { ds->DisableControls(); },
       [](TMemoryDataSet* ds) { ds->EnableControls(); }},
      {"Close", E::deUpdateState, none, [](TMemoryDataSet* ds) { ds->Close(); }},
  };
  for (const Case& c : cases) {
    TMemoryDataSet* ds = MakeDataSet();
    Owned<TDataSource> source(New<TDataSource>(nullptr));
    source->SetDataSet(ds);
    TFreeingLink first, second;
    first.SetDataSource(source.get());
    second.SetDataSource(source.get());
    c.Prepare(ds);
    TFreer later;
    ds->AfterScroll = {&later, &TFreer::Later};
    ds->AfterPost = {&later, &TFreer::Later};
    ds->AfterCancel = {&later, &TFreer::Later};
    ds->AfterEdit = {&later, &TFreer::Later};
    ds->AfterInsert = {&later, &TFreer::Later};
    ds->AfterDelete = {&later, &TFreer::Later};
    first.On = second.On = c.On;
    TDataSet* victim = ds;
    first.Victim = second.Victim = &victim;
    TWeakLink link(ds);
    c.Run(ds);
    EXPECT_FALSE(link.Alive()) << c.Name;
    EXPECT_EQ(first.Runs + second.Runs, 1) << c.Name;
    EXPECT_EQ(later.After, 0) << c.Name << ": no After handler of a freed data set runs";
    first.SetDataSource(nullptr);
    second.SetDataSource(nullptr);
    if (link.Alive()) ds->Free();
  }
}

namespace {

// A data set freed while its records are read without moving: the read stops at the
// record that freed it.
TEST(DataSetFreedByHandler, AReadOfTheRecordsStopsWhereTheDataSetWasFreed) {
  TMemoryDataSet* ds = MakeDataSet();
  ds->Next();
  ds->Edit();
  TWeakLink link(ds);
  int visits = 0;
  ds->ReadRecords([&](const TBookmarkStr&) {
    ++visits;
    if (ds->FieldByName("ID")->GetAsInteger() == 3) ds->Free();
    return true;
  });
  EXPECT_FALSE(link.Alive());
  EXPECT_EQ(visits, 3);
}

}  // namespace
