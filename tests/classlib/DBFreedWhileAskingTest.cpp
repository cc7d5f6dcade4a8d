// A data set freed by its OnFilterRecord or OnCalcFields handler, which run deep inside
// walks over the records: the operation that asked stops once the handler returns, no other
// handler of the data set runs, nothing is asked again, and the data set is gone by the time
// the operation returns (its destructor has run: no leak). The sanitizer build sees any use
// of the freed data set on the way out.
#include <gtest/gtest.h>

#include "classlib/core/DB.h"

#include <functional>
#include <stdexcept>
#include <string>

using enum TFieldType;

namespace {

int gDestroyed = 0;

// Counts its destructions, so a test sees the data set really deleted, and when.
class TCountedDataSet : public TMemoryDataSet {
 public:
  explicit TCountedDataSet(TComponent* AOwner) : TMemoryDataSet(AOwner) {}
  ~TCountedDataSet() override { ++gDestroyed; }
};

class TAsker : public TObject {
 public:
  TObject* Victim = nullptr;  // freed on the Countdown-th question
  int Countdown = 1;
  int Asked = 0, AskedAfter = 0, After = 0;
  bool Raise = false;
  void Hit() {
    if (!Victim) {
      ++AskedAfter;
      return;
    }
    ++Asked;
    if (--Countdown > 0) return;
    TObject* v = Victim;
    Victim = nullptr;
    v->Free();
    if (Raise) throw std::runtime_error("handler failed");
  }
  void Filter(TDataSet*, bool& Accept) {
    Hit();
    Accept = true;
  }
  void Calc(TDataSet*) { Hit(); }
  void Later(TDataSet*) { ++After; }
};

// ID, NAME and a calculated field (without one OnCalcFields is never asked), the fields
// owned by FieldOwner (the data set itself when nil).
TCountedDataSet* MakeDataSet(TComponent* AOwner = nullptr, TComponent* FieldOwner = nullptr) {
  auto* ds = New<TCountedDataSet>(AOwner);
  ds->FieldDefs().Add("ID", ftInteger);
  ds->FieldDefs().Add("NAME", ftString, 10);
  TComponent* fieldOwner = FieldOwner ? FieldOwner : ds;
  auto* id = New<TIntegerField>(fieldOwner);
  id->SetFieldName("ID");
  id->SetDataSet(ds);
  auto* name = New<TStringField>(fieldOwner);
  name->SetFieldName("NAME");
  name->SetSize(10);
  name->SetDataSet(ds);
  auto* calc = New<TStringField>(fieldOwner);
  calc->SetFieldName("CALC");
  calc->SetFieldKind(TFieldKind::fkCalculated);
  calc->SetDataSet(ds);
  for (int i = 1; i <= 6; ++i) ds->AddRecord({i, "n" + std::to_string(i)});
  return ds;
}

TBookmarkStr gMark;

using Op = std::function<void(TCountedDataSet*)>;
struct Step {
  const char* Name;
  Op Prepare, Run;
  bool Filters = true;  // whether the operation asks the filter (every one computes fields)
};

const Op kNothing = [](TCountedDataSet*) {};

// Every operation that asks the filter or computes fields, from an open data set that has
// asked everything it needed before the handler is armed.
const Step kSteps[] = {
    {"First", [](TCountedDataSet* ds) { ds->Last(); }, [](TCountedDataSet* ds) { ds->First(); }},
    {"Last", kNothing, [](TCountedDataSet* ds) { ds->Last(); }},
    {"Next", kNothing, [](TCountedDataSet* ds) { ds->Next(); }},
    {"Prior", [](TCountedDataSet* ds) { ds->Last(); }, [](TCountedDataSet* ds) { ds->Prior(); }},
    {"MoveBy", kNothing, [](TCountedDataSet* ds) { ds->MoveBy(4); }},
    {"Locate", kNothing, [](TCountedDataSet* ds) { ds->Locate("NAME", Variant("n5"), {}); }},
    {"LocateNext", kNothing,
     [](TCountedDataSet* ds) { ds->LocateNext("NAME", Variant("n5"), {}); }},
    {"Lookup", kNothing, [](TCountedDataSet* ds) { (void)ds->Lookup("NAME", Variant("n5"), "ID"); }},
    {"RecordCount", kNothing, [](TCountedDataSet* ds) { (void)ds->RecordCount(); }},
    {"RecNo", [](TCountedDataSet* ds) { ds->Next(); }, [](TCountedDataSet* ds) { (void)ds->RecNo(); }},
    {"SetRecNo", kNothing, [](TCountedDataSet* ds) { ds->SetRecNo(4); }},
    {"Edit", kNothing, [](TCountedDataSet* ds) { ds->Edit(); }, false},
    {"Post",
     [](TCountedDataSet* ds) {
       ds->Edit();
       ds->FieldByName("NAME")->SetAsString("x");
     },
     [](TCountedDataSet* ds) { ds->Post(); }},
    {"Delete", kNothing, [](TCountedDataSet* ds) { ds->Delete(); }},
    {"Refresh", kNothing, [](TCountedDataSet* ds) { ds->Refresh(); }},
    {"GotoBookmark",
     [](TCountedDataSet* ds) {
       ds->Last();
       gMark = ds->Bookmark();
       ds->First();
     },
     [](TCountedDataSet* ds) { ds->GotoBookmark(gMark); }},
    {"BookmarkValid", [](TCountedDataSet* ds) { gMark = ds->Bookmark(); },
     [](TCountedDataSet* ds) { (void)ds->BookmarkValid(gMark); }},
    {"AddRecord", kNothing, [](TCountedDataSet* ds) { ds->AddRecord({7, "n7"}); }},
    {"Filtered:=True", [](TCountedDataSet* ds) { ds->SetFiltered(false); },
     [](TCountedDataSet* ds) { ds->SetFiltered(true); }},
    {"Close and Open", kNothing,
     [](TCountedDataSet* ds) {
       ds->Close();
       ds->Open();
     }},
};

// The handler asked: OnCalcFields, or OnFilterRecord with the filter on.
void SetAsker(TCountedDataSet* ds, TAsker& asker, bool Calc) {
  if (Calc) {
    ds->OnCalcFields = {&asker, &TAsker::Calc};
  } else {
    ds->OnFilterRecord = {&asker, &TAsker::Filter};
    ds->SetFiltered(true);
  }
}

// The handlers that run after the work of an operation (BeforeScroll runs before it).
void Watch(TCountedDataSet* ds, TAsker& asker) {
  for (TDataSetNotifyEvent TDataSet::*e :
       {&TDataSet::AfterScroll, &TDataSet::AfterPost, &TDataSet::AfterEdit,
        &TDataSet::AfterOpen, &TDataSet::AfterDelete, &TDataSet::AfterCancel})
    ds->*e = {&asker, &TAsker::Later};
}

// Computing fields: a filter that keeps every record makes counting and bookmarks read
// records too.
void RunEvery(bool Calc) {
  for (const Step& s : kSteps) {
    if (!Calc && !s.Filters) continue;
    gDestroyed = 0;
    TCountedDataSet* ds = MakeDataSet();
    TAsker asker, keepAll;
    if (Calc) {
      ds->OnCalcFields = {&asker, &TAsker::Calc};
      ds->OnFilterRecord = {&keepAll, &TAsker::Filter};
    } else {
      ds->OnFilterRecord = {&asker, &TAsker::Filter};
    }
    ds->SetFiltered(true);
    ds->Open();
    s.Prepare(ds);
    TWeakLink link(ds);
    asker.Victim = ds;
    Watch(ds, asker);
    asker.Asked = asker.AskedAfter = 0;
    s.Run(ds);
    EXPECT_FALSE(link.Alive()) << s.Name;
    EXPECT_EQ(asker.Asked, 1) << s.Name << ": the handler that froze the data set ran once";
    EXPECT_EQ(asker.AskedAfter, 0) << s.Name << ": nothing is asked of a freed data set";
    EXPECT_EQ(asker.After, 0) << s.Name << ": no later handler runs";
    EXPECT_EQ(gDestroyed, 1) << s.Name << ": deleted when the operation returns";
    if (link.Alive()) ds->Free();
  }
}

TEST(DataSetFreedWhileAsking, AFilterHandlerFreeingItEndsEveryOperation) { RunEvery(false); }

TEST(DataSetFreedWhileAsking, ACalcHandlerFreeingItEndsEveryOperation) { RunEvery(true); }

// Opening asks the filter (or computes the records a link shows) before anything else runs.
TEST(DataSetFreedWhileAsking, OpeningEndsWhenTheHandlerFreesIt) {
  for (bool calc : {false, true}) {
    gDestroyed = 0;
    TCountedDataSet* ds = MakeDataSet();
    Owned<TDataSource> source(New<TDataSource>(nullptr));
    source->SetDataSet(ds);
    TDataLink rows;
    rows.SetBufferCount(3);
    rows.SetDataSource(source.get());
    TAsker asker;
    if (calc)
      ds->OnCalcFields = {&asker, &TAsker::Calc};
    else
      ds->OnFilterRecord = {&asker, &TAsker::Filter};
    ds->SetFiltered(true);
    Watch(ds, asker);
    asker.Victim = ds;
    asker.Countdown = 2;  // the second record
    TWeakLink link(ds);
    ds->Open();
    EXPECT_FALSE(link.Alive());
    EXPECT_EQ(asker.Asked, 2);
    EXPECT_EQ(asker.AskedAfter, 0);
    EXPECT_EQ(asker.After, 0);
    EXPECT_EQ(gDestroyed, 1);
    EXPECT_EQ(source->DataSet(), nullptr);
    EXPECT_FALSE(rows.Active());
  }
}

// The handler frees the data set's owner, which frees the data set, its data source and
// the fields it made; a link of the data source sees its data set go.
class TCountingLink : public TDataLink {
 public:
  int Changes = 0;

 protected:
  void ActiveChanged() override { ++Changes; }
};

TEST(DataSetFreedWhileAsking, AHandlerFreeingTheOwnerEndsTheOperation) {
  for (bool calc : {false, true}) {
    gDestroyed = 0;
    TComponent* owner = New<TComponent>(nullptr);
    TCountedDataSet* ds = MakeDataSet(owner, owner);
    auto* source = New<TDataSource>(owner);
    source->SetDataSet(ds);
    TCountingLink watcher;
    watcher.SetDataSource(source);
    TAsker asker;
    SetAsker(ds, asker, calc);
    ds->Open();
    Watch(ds, asker);
    TWeakLink link(ds), ownerLink(owner);
    asker.Victim = owner;
    asker.Asked = asker.AskedAfter = 0;
    ds->Last();
    EXPECT_FALSE(ownerLink.Alive());
    EXPECT_FALSE(link.Alive());
    EXPECT_EQ(asker.Asked, 1);
    EXPECT_EQ(asker.AskedAfter, 0);
    EXPECT_EQ(asker.After, 0);
    EXPECT_EQ(gDestroyed, 1);
    EXPECT_EQ(watcher.DataSource(), nullptr);
    EXPECT_FALSE(watcher.Active());
  }
}

// One data set's handler walks another, whose handler frees the first: the inner walk goes
// on, the outer one stops when its handler returns.
TEST(DataSetFreedWhileAsking, AFreeFromAnotherDataSetsHandlerEndsTheOuterWalk) {
  struct TNested : public TObject {
    TDataSet* Other = nullptr;
    int Asked = 0;
    void Filter(TDataSet*, bool& Accept) {
      ++Asked;
      Other->Last();
      Accept = true;
    }
  };
  gDestroyed = 0;
  TCountedDataSet* outer = MakeDataSet();
  TCountedDataSet* inner = MakeDataSet();
  TNested nested;
  nested.Other = inner;
  TAsker asker;
  inner->OnCalcFields = {&asker, &TAsker::Calc};
  inner->Open();
  outer->Open();
  outer->OnFilterRecord = {&nested, &TNested::Filter};
  asker.Victim = outer;
  TWeakLink outerLink(outer), innerLink(inner);
  outer->SetFiltered(true);
  EXPECT_FALSE(outerLink.Alive());
  EXPECT_TRUE(innerLink.Alive());
  EXPECT_EQ(nested.Asked, 1);
  EXPECT_EQ(gDestroyed, 1);
  EXPECT_TRUE(inner->Eof());
  EXPECT_EQ(inner->FieldByName("ID")->GetAsInteger(), 6);
  inner->Free();
  EXPECT_EQ(gDestroyed, 2);
}

// A handler that frees the data set and then raises: the error reaches the caller, and the
// data set is still gone.
TEST(DataSetFreedWhileAsking, AHandlerThatFreesAndRaisesReachesTheCaller) {
  for (bool calc : {false, true}) {
    gDestroyed = 0;
    TCountedDataSet* ds = MakeDataSet();
    TAsker asker;
    SetAsker(ds, asker, calc);
    ds->Open();
    TWeakLink link(ds);
    asker.Victim = ds;
    asker.Raise = true;
    EXPECT_THROW(ds->Last(), std::runtime_error);
    EXPECT_FALSE(link.Alive());
    EXPECT_EQ(gDestroyed, 1);
  }
}

// A Free outside any operation still deletes at once.
TEST(DataSetFreedWhileAsking, AFreeOutsideAnOperationDeletesAtOnce) {
  gDestroyed = 0;
  TCountedDataSet* ds = MakeDataSet();
  ds->Open();
  ds->Free();
  EXPECT_EQ(gDestroyed, 1);
}

}  // namespace
