#include <gtest/gtest.h>

#include "classlib/core/Collections.h"
#include "classlib/core/Lists.h"
#include "classlib/core/Strings.h"

#include <string>
#include <vector>

namespace {
int gFreed = 0;
class TCounted : public TObject {
 public:
  explicit TCounted(int id = 0) : Id(id) {}
  void BeforeDestruction() override {
    ++gFreed;
    TObject::BeforeDestruction();
  }
  int Id;
};

std::vector<std::string> Items(const TStrings& s) {
  std::vector<std::string> r;
  for (Integer i = 0; i < s.Count(); ++i) r.push_back(s[i]);
  return r;
}
using Lines = std::vector<std::string>;

class TChangeCounter : public TObject {
 public:
  int Changes = 0, Changings = 0;
  void Changed(TObject*) { ++Changes; }
  void Changing(TObject*) { ++Changings; }
};
}  // namespace

TEST(TList, IndexesAreCheckedAndItemsMove) {
  Owned<TList> l(New<TList>());
  int a = 1, b = 2, c = 3;
  l->Add(&a);
  l->Add(&b);
  l->Insert(0, &c);
  l->Move(0, 2);
  EXPECT_EQ(l->Last(), &c);
  l->Exchange(0, 1);
  EXPECT_EQ(l->First(), &b);
  EXPECT_THROW(l->Items(3), EListError);
  EXPECT_EQ(l->Remove(&a), 1);
  l->SetCount(4);
  EXPECT_EQ(l->Items(3), nullptr);
  l->Pack();
  EXPECT_EQ(l->Count(), 2);
}

TEST(TList, SortIsStableAndSurvivesAnInconsistentCompare) {
  Owned<TList> l(New<TList>());
  std::vector<int> v{3, 1, 3, 2, 1};
  for (int& x : v) l->Add(&x);
  l->Sort([](Pointer a, Pointer b) { return *static_cast<int*>(a) - *static_cast<int*>(b); });
  EXPECT_EQ(l->Items(0), &v[1]);
  EXPECT_EQ(l->Items(1), &v[4]);
  EXPECT_EQ(l->Items(3), &v[0]);
  EXPECT_EQ(l->Items(4), &v[2]);
  l->Sort([](Pointer, Pointer) { return 1; });  // claims every item is larger
  EXPECT_EQ(l->Count(), 5);
}

TEST(TObjectList, FreesOwnedObjectsButNotExtractedOnes) {
  gFreed = 0;
  TObjectList* l = New<TObjectList>();
  auto* keep = new TCounted(1);
  l->Add(new TCounted(0));
  l->Add(keep);
  l->Add(new TCounted(2));
  l->Delete(0);
  EXPECT_EQ(gFreed, 1);
  EXPECT_EQ(l->Extract(keep), keep);
  EXPECT_EQ(gFreed, 1);
  l->Free();
  EXPECT_EQ(gFreed, 2);
  keep->Free();
  Owned<TObjectList> notOwning(New<TObjectList>(false));
  TCounted c;
  notOwning->Add(&c);
  notOwning->Clear();
  EXPECT_EQ(gFreed, 3);
}

TEST(TStringList, SortedListsHonourTheDuplicatesRule) {
  Owned<TStringList> s(New<TStringList>());
  s->SetSorted(true);
  s->Add("pear");
  s->Add("Apple");
  s->Add("plum");
  EXPECT_EQ(s->Add("APPLE"), 0);  // dupIgnore: the existing index
  EXPECT_EQ(Items(*s), (Lines{"Apple", "pear", "plum"}));
  s->SetDuplicates(TDuplicates::dupError);
  EXPECT_THROW(s->Add("PEAR"), EStringListError);
  s->SetDuplicates(TDuplicates::dupAccept);
  s->Add("Pear");
  s->Add("pear");
  Integer i = -1;
  EXPECT_TRUE(s->Find("PEAR", i));
  EXPECT_EQ(i, 1);  // the first of the equal run
  EXPECT_THROW(s->Insert(0, "x"), EStringListError);
}

TEST(TStringList, CaseSensitivityChangesOrderAndLookup) {
  Owned<TStringList> s(New<TStringList>());
  s->SetCommaText("b,a,B,A,\xE9,e,f");
  s->SetCaseSensitive(true);
  s->SetSorted(true);
  // Locale order: by letter first, accents after, lower case before upper case.
  EXPECT_EQ(Items(*s), (Lines{"a", "A", "b", "B", "e", "\xE9", "f"}));
  EXPECT_EQ(s->IndexOf("E"), -1);
  s->SetCaseSensitive(false);
  EXPECT_EQ(s->IndexOf("E"), 4);
}

TEST(TStringList, CommaTextQuotesWhatNeedsItAndParsesBack) {
  Owned<TStringList> s(New<TStringList>());
  s->Add("plain");
  s->Add("with space");
  s->Add("");
  s->Add("say \"hi\"");
  s->Add("a,b");
  EXPECT_EQ(s->GetCommaText(), "plain,\"with space\",,\"say \"\"hi\"\"\",\"a,b\"");
  Owned<TStringList> t(New<TStringList>());
  t->SetCommaText(s->GetCommaText());
  EXPECT_EQ(Items(*t), Items(*s));

  t->SetCommaText(" x  y ,z,");  // blanks separate too; a trailing comma adds an empty item
  EXPECT_EQ(Items(*t), (Lines{"x", "y", "z", ""}));
  t->SetCommaText("\"unterminated");
  EXPECT_EQ(Items(*t), (Lines{"unterminated"}));
  t->SetCommaText(String("a\0b", 3));  // a NUL is a blank, never a stall
  EXPECT_EQ(Items(*t), (Lines{"a", "b"}));
}

TEST(TStringList, NamesAndValues) {
  Owned<TStringList> s(New<TStringList>());
  s->SetText("Width=10\r\nCaption=a=b\r\nplain\r\n");
  EXPECT_EQ(s->Names(0), "Width");
  EXPECT_EQ(s->Values("caption"), "a=b");
  s->SetValues("WIDTH", "20");
  EXPECT_EQ(s->Strings(0), "WIDTH=20");
  s->SetValues("Width", "");
  EXPECT_EQ(s->IndexOfName("Width"), -1);
}

TEST(TStringList, TextSplitsAtEveryLineBreakAndJoinsWithCrLf) {
  Owned<TStringList> s(New<TStringList>());
  s->SetText("a\r\nb\nc\rd");
  EXPECT_EQ(Items(*s), (Lines{"a", "b", "c", "d"}));
  EXPECT_EQ(s->GetText(), "a\r\nb\r\nc\r\nd\r\n");
  s->SetText("x\n\ny\r\n");
  EXPECT_EQ(Items(*s), (Lines{"x", "", "y"}));
}

TEST(TStringList, ChangeEventsFireOncePerUpdateBracket) {
  Owned<TStringList> s(New<TStringList>());
  TChangeCounter counter;
  s->OnChange = TNotifyEvent(&counter, &TChangeCounter::Changed);
  s->OnChanging = TNotifyEvent(&counter, &TChangeCounter::Changing);
  s->Add("a");
  EXPECT_EQ(counter.Changes, 1);
  s->BeginUpdate();
  s->Add("b");
  s->Add("c");
  s->Delete(0);
  s->EndUpdate();
  EXPECT_EQ(counter.Changes, 2);
  s->EndUpdate();  // unbalanced: ignored
  s->SetCommaText("x,y,z");
  EXPECT_EQ(counter.Changes, 3);
}

TEST(TStringList, CustomSortSeesTheListAsItStands) {
  Owned<TStringList> s(New<TStringList>());
  s->SetCommaText("ccc,a,bb");
  s->CustomSort([](TStringList* l, Integer i, Integer j) {
    return Integer(l->Strings(i).size()) - Integer(l->Strings(j).size());
  });
  EXPECT_EQ(Items(*s), (Lines{"a", "bb", "ccc"}));
  s->CustomSort([](TStringList*, Integer, Integer) { return -1; });
  EXPECT_EQ(s->Count(), 3);
}

// ---- Collections ----

namespace {
class TNote : public TCollectionItem {
  TL_CLASS(TNote, TCollectionItem)
 public:
  using TCollectionItem::TCollectionItem;
  void SetText(const String& v) {
    FText = v;
    Changed(false);
  }
  const String& GetText() const { return FText; }
  void Assign(TPersistent* Source) override {
    if (auto* n = dynamic_cast<TNote*>(Source)) {
      SetText(n->FText);
      return;
    }
    inherited::Assign(Source);
  }

 private:
  String FText;
};

class TNotes : public TCollection {
  TL_CLASS(TNotes, TCollection)
 public:
  TNotes() : TCollection(ClassOf<TNote, TCollectionItem, TCollection*>()) {}
  std::vector<std::string> Log;

 protected:
  void Update(TCollectionItem* Item) override {
    Log.push_back(Item ? "item:" + static_cast<TNote*>(Item)->GetText() : "all");
  }
  void Notify(TCollectionItem* Item, TCollectionNotification Action) override {
    Log.push_back(EnumInfo<TCollectionNotification>::Name(Action) + ":" + std::to_string(Item->GetIndex()));
  }
};
}  // namespace
TL_DEFINE_CLASS(TNote)
TL_DEFINE_CLASS(TNotes)

TEST(TCollection, ItemsJoinAndLeaveWithNotifications) {
  Owned<TNotes> c(New<TNotes>());
  auto* a = static_cast<TNote*>(c->Add());
  EXPECT_EQ(c->Log, (std::vector<std::string>{"cnAdded:0", "all"}));
  c->Log.clear();
  a->SetText("A");
  EXPECT_EQ(c->Log, (std::vector<std::string>{"item:A"}));
  auto* b = static_cast<TNote*>(c->Add());
  b->SetText("B");
  b->SetIndex(0);
  EXPECT_EQ(c->Items(0), b);
  EXPECT_EQ(a->GetIndex(), 1);
  c->Log.clear();
  c->Delete(1);
  EXPECT_EQ(c->Log, (std::vector<std::string>{"cnDeleting:1", "cnExtracting:1", "all"}));
  EXPECT_EQ(c->Count(), 1);
  b->Free();  // an item freed directly leaves its collection
  EXPECT_EQ(c->Count(), 0);
}

TEST(TCollection, UpdateBracketCollapsesChangesAndAssignCopies) {
  Owned<TNotes> c(New<TNotes>()), d(New<TNotes>());
  c->BeginUpdate();
  static_cast<TNote*>(c->Add())->SetText("x");
  static_cast<TNote*>(c->Add())->SetText("y");
  c->Log.clear();
  c->EndUpdate();
  EXPECT_EQ(c->Log, (std::vector<std::string>{"all"}));
  d->Add();
  d->Assign(c.get());
  ASSERT_EQ(d->Count(), 2);
  EXPECT_EQ(static_cast<TNote*>(d->Items(1))->GetText(), "y");
  Owned<TCollection> plain(New<TCollection>(ClassOf<TCollectionItem, TCollectionItem, TCollection*>()));
  plain->Add();
  EXPECT_THROW(plain->Items(0)->Assign(c->Items(0)), EConvertError);
  // A collection of plain items refuses nothing, but a notes collection refuses a plain item.
  EXPECT_THROW(New<TCollectionItem>(c.get()), EInvalidOperation);
}
