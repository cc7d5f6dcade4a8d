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
