// Filter criteria: trees and their truth tables, filter texts, the binary form byte by
// byte, hostile streams, removal by item link, copying and the component stream.
#include "FilterTestSupport.h"
#include "widgets/foundation/cxVariants.h"

namespace {

using K = TcxFilterOperatorKind;
using B = TcxFilterBoolOperatorKind;
using O = TcxFilterCriteriaOption;

class FilterCriteria : public CriteriaTest {
 protected:
  std::string Data(TcxFilterCriteria* c = nullptr) {
    TStringStream s;
    (c ? c : c_.get())->WriteData(s);
    return Hex(s.DataString());
  }
  void Read(const std::string& hex) {
    TStringStream s(Unhex(hex));
    c_->ReadData(s);
  }
  TestField* F(Integer i) { return c_->Field(i); }
};

struct ChangeCounter : TObject {
  int Count = 0;
  void Changed(TObject*) { ++Count; }
};

const char* kTwoConditions =
    "FFFFFFFF 00 02000000"
    " 00 00 01000000 35 00000000 02 05"
    " 00 06 02000000 6125 01000000 06 02 6125";
const char* kNestedBetween =
    "FFFFFFFF 00 01000000"
    " 01 01 01000000"
    " 00 08 03000000 313B35 02000000 01 02 02 02 01 02 05";

}  // namespace

TEST_F(FilterCriteria, TruthTablesOfNestedLists) {
  EXPECT_TRUE(c_->Matches({}));  // empty criteria pass every record
  struct Row {
    B Kind;
    bool A, Bv;
    bool Expected;
  } rows[] = {
      {B::fboAnd, true, false, false},   {B::fboOr, true, false, true},    {B::fboNotAnd, true, false, true},
      {B::fboNotAnd, true, true, false}, {B::fboNotOr, false, false, true}, {B::fboNotOr, false, true, false},
  };
  for (const Row& r : rows) {
    c_->Clear();
    TcxFilterCriteriaItemList* list = c_->Root()->AddItemList(r.Kind);
    list->AddItem(F(0), K::foEqual, 1, "1");
    list->AddItem(F(1), K::foEqual, 1, "1");
    EXPECT_EQ(c_->Matches({r.A ? 1 : 0, r.Bv ? 1 : 0}), r.Expected) << int(r.Kind) << r.A << r.Bv;
  }
  // An empty list inside a tree is True; a single-child NOT list negates it.
  c_->Clear();
  c_->Root()->AddItemList(B::fboOr);
  TcxFilterCriteriaItemList* notList = c_->Root()->AddItemList(B::fboNotOr);
  notList->AddItem(F(0), K::foGreater, 5, "5");
  EXPECT_TRUE(c_->Matches({3}));
  EXPECT_FALSE(c_->Matches({7}));
  EXPECT_TRUE(c_->HasData());
  c_->Clear();
  EXPECT_FALSE(c_->HasData());
  c_->Root()->SetBoolOperatorKind(B::fboOr);
  EXPECT_TRUE(c_->HasData());
}

TEST_F(FilterCriteria, FilterTexts) {
  EXPECT_EQ(c_->Text(), "");
  c_->Root()->AddItem(F(0), K::foEqual, 5, "5");
  c_->Root()->AddItem(F(0), K::foLike, "a%", "a%");
  EXPECT_EQ(c_->Text(), "(F = 5) AND (F LIKE 'a%')");
  c_->Clear();
  c_->Root()->SetBoolOperatorKind(B::fboNotOr);
  c_->Root()->AddItem(F(0), K::foLess, 3, "3");
  c_->Root()->AddItem(F(0), K::foGreater, 7, "7");
  EXPECT_EQ(c_->Text(), "NOT ((F < 3) OR (F > 7))");
  EXPECT_EQ(c_->Text(true), "not ((F < 3) or (F > 7))");

  c_->Clear();
  c_->Root()->AddItem(F(3), K::foGreater, 5, "5");
  c_->Root()->AddItem(F(4), K::foLike, "a%", "a%");
  EXPECT_EQ(c_->Text(true), "(Price > 5) and (Name LIKE a%)");
  c_->SetOptions({O::fcoShowOperatorDescription});
  EXPECT_EQ(c_->Text(true), "(Price is greater than 5) and (Name begins with a)");
  c_->SetOptions({});

  auto one = [&](K kind, const Variant& v, const String& display) {
    c_->Clear();
    c_->Root()->AddItem(F(0), kind, v, display);
  };
  one(K::foBetween, VarArrayOf({1, 5}), "1;5");
  EXPECT_EQ(c_->Text(), "(F BETWEEN 1 AND 5)");
  EXPECT_EQ(c_->Text(true), "(F between 1 and 5)");
  c_->SetTranslateBetween(true);
  EXPECT_EQ(c_->Text(), "((F >= 1) AND (F <= 5))");
  one(K::foNotBetween, VarArrayOf({1, 5}), "1;5");
  EXPECT_EQ(c_->Text(), "(NOT ((F >= 1) AND (F <= 5)))");
  one(K::foInList, VarArrayOf({1, 2}), "1;2");
  EXPECT_EQ(c_->Text(), "(F IN (1, 2))");
  c_->SetTranslateIn(true);
  EXPECT_EQ(c_->Text(), "((F = 1) OR (F = 2))");
  one(K::foEqual, Null(), "");
  EXPECT_EQ(c_->Text(), "(F = NULL)");
  EXPECT_EQ(c_->Text(true), "(F = blank)");
  c_->SetOptions({O::fcoShowOperatorDescription});
  EXPECT_EQ(c_->Text(true), "(F is blank)");
  c_->SetOptions({});

  one(K::foToday, Null(), "");
  cxFilterTodaySource = [] { return EncodeDate(2026, 3, 4); };
  c_->RefreshOperators();
  cxFilterTodaySource = nullptr;
  EXPECT_EQ(c_->Text(), "((F >= '3/4/2026') AND (F < '3/5/2026'))");
  EXPECT_EQ(c_->Text(true), "(F is today)");

  // An array against a ";"-separated name list; more values than names is refused.
  c_->Clear();
  TestField pair(9, "A; B");
  c_->Root()->AddItem(&pair, K::foNotEqual, VarArrayOf({1, "x"}), "");
  EXPECT_EQ(c_->Text(), "(NOT ((A = 1) AND (B = 'x')))");
  c_->Root()->Items(0)->Free();
  c_->Root()->AddItem(&pair, K::foEqual, VarArrayOf({1, 2, 3}), "");
  String text;
  EXPECT_THROW(c_->GetFilterText(false, text), EcxInvalidDataControllerOperation);
  c_->Clear();
}

TEST_F(FilterCriteria, BinaryFormByteByByte) {
  EXPECT_EQ(Data(), "FF FF FF FF 00 00 00 00 00");
  c_->Root()->AddItem(F(0), K::foEqual, 5, "5");
  c_->Root()->AddItem(F(1), K::foLike, "a%", "a%");
  EXPECT_EQ(Data(), Hex(Unhex(kTwoConditions)));
  c_->Clear();
  c_->Root()->AddItemList(B::fboOr)->AddItem(F(2), K::foBetween, VarArrayOf({1, 5}), "1;5");
  EXPECT_EQ(Data(), Hex(Unhex(kNestedBetween)));

  Read(kTwoConditions);
  EXPECT_EQ(c_->Text(), "(F = 5) AND (G LIKE 'a%')");
  EXPECT_EQ(Data(), Hex(Unhex(kTwoConditions)));
  Read(kNestedBetween);
  EXPECT_EQ(c_->Text(), "((H BETWEEN 1 AND 5))");
  // Without the marker: the count comes first and the root stays AND.
  Read("02000000 00 02 00000000 00000000 02 01  00 04 00000000 01000000 02 09");
  EXPECT_EQ(c_->Root()->BoolOperatorKind(), B::fboAnd);
  EXPECT_EQ(c_->Text(), "(F < 1) AND (G > 9)");
  // An unknown item is kept unlinked; it reads no value.
  Read("FFFFFFFF 01 01000000 00 00 00000000 63000000 02 01");
  auto item = static_cast<TcxFilterCriteriaItem*>(c_->Root()->Items(0));
  EXPECT_EQ(item->ItemLink(), nullptr);
  EXPECT_EQ(c_->Root()->BoolOperatorKind(), B::fboOr);

  // Equal trees write equal bytes; copying goes through them.
  Owned<TestCriteria> other(New<TestCriteria>());
  Read(kTwoConditions);
  EXPECT_FALSE(other->IsEqual(c_.get()));
  other->Assign(c_.get());
  EXPECT_TRUE(other->IsEqual(c_.get()));
  EXPECT_EQ(other->Text(), "(F = 5) AND (G LIKE 'a%')");
  // The base criteria cannot name items.
  Owned<TcxFilterCriteria> base(New<TcxFilterCriteria>());
  base->Root()->AddItem(nullptr, K::foEqual, 1, "1");
  EXPECT_THROW(Data(base.get()), EAbstractError);
}

TEST_F(FilterCriteria, HostileStreamsRaiseTheReadErrorAndReleaseTheLock) {
  Owned<ChangeCounter> counter(New<ChangeCounter>());
  c_->OnChanged = TNotifyEvent(counter.get(), &ChangeCounter::Changed);
  std::string deep = "FFFFFFFF 00 01000000";
  for (int i = 0; i < cxFilterMaxNesting + 5; ++i) deep += " 01 00 01000000";
  const std::string hostile[] = {
      "FFFFFFFF 04 00000000",                         // root operator beyond fboNotOr
      "FFFFFFFF 00 01000000 00 18 00000000 00000000 00",  // operator kind 24
      "FFFFFFFF 00 01000000 01 07 00000000",          // list operator 7
      "FFFFFFFF 00 FFFFFF7F 00",                      // a count far beyond the bytes left
      "FFFFFFFF 00 01000000 00 00 FFFFFF7F",          // a display text longer than the stream
      "FFFFFFFF 00 01000000 00 00 00000000 00000000 0E",  // an undefined variant tag
      "FFFFFFFF 00 02000000 00 00 00000000 00000000 02 01",  // truncated after one item
      deep,
  };
  for (const std::string& h : hostile) {
    TStringStream s(Unhex(h));
    EXPECT_THROW(c_->ReadData(s), EReadError) << h.substr(0, 60);
    EXPECT_EQ(c_->LockCount(), 0);
  }
  // The truncated stream left its first item in place.
  counter->Count = 0;
  c_->Root()->AddItem(F(0), K::foEqual, 1, "1");
  EXPECT_EQ(counter->Count, 1);
  // A negative count reads nothing.
  Read("FFFFFFFF 01 FEFFFFFF");
  EXPECT_TRUE(c_->IsEmpty());
  c_->OnChanged = nullptr;
}

TEST_F(FilterCriteria, RemovingByItemLinkTidiesTheTree) {
  // (F = 1) AND ((G = 2) OR (F = 3)) AND ((F = 4) OR (F = 5)) AND (H = 6)
  c_->Root()->AddItem(F(0), K::foEqual, 1, "1");
  TcxFilterCriteriaItemList* a = c_->Root()->AddItemList(B::fboOr);
  a->AddItem(F(1), K::foEqual, 2, "2");
  a->AddItem(F(0), K::foEqual, 3, "3");
  TcxFilterCriteriaItemList* b = c_->Root()->AddItemList(B::fboOr);
  b->AddItem(F(0), K::foEqual, 4, "4");
  b->AddItem(F(0), K::foEqual, 5, "5");
  c_->Root()->AddItem(F(2), K::foEqual, 6, "6");
  Owned<ChangeCounter> counter(New<ChangeCounter>());
  c_->OnChanged = TNotifyEvent(counter.get(), &ChangeCounter::Changed);
  c_->RemoveItemByItemLink(F(0));
  EXPECT_EQ(counter->Count, 1);
  // The list left with G moved to the end as the bare condition; the emptied one went.
  EXPECT_EQ(c_->Text(), "(H = 6) AND (G = 2)");
  c_->RemoveItemByItemLink(F(4));
  EXPECT_EQ(counter->Count, 1);  // nothing removed, no notice
  EXPECT_EQ(c_->LockCount(), 0);
  EXPECT_EQ(c_->FindItemByItemLink(F(1))->Value().AsInteger(), 2);
  c_->OnChanged = nullptr;
}

TEST_F(FilterCriteria, ChangesAreBatchedAndOperatorsRecreatedOnlyOnChange) {
  Owned<ChangeCounter> counter(New<ChangeCounter>());
  c_->OnChanged = TNotifyEvent(counter.get(), &ChangeCounter::Changed);
  c_->BeginUpdate();
  TcxFilterCriteriaItem* item = c_->Root()->AddItem(F(0), K::foEqual, 1, "1");
  c_->Root()->AddItem(F(1), K::foEqual, 2, "2");
  c_->SetOptions({O::fcoCaseInsensitive});
  EXPECT_EQ(counter->Count, 0);
  c_->EndUpdate();
  EXPECT_EQ(counter->Count, 1);
  counter->Count = 0;
  item->SetOperatorKind(K::foEqual);
  item->SetValue(Integer(1));
  EXPECT_EQ(counter->Count, 0);  // nothing new, nothing recreated
  item->SetValue(VarArrayOf({1, 2}));
  EXPECT_EQ(counter->Count, 1);
  item->SetValue(VarArrayOf({1, 2}));  // element-wise equal: kept
  EXPECT_EQ(counter->Count, 1);
  item->SetValue(VarArrayOf({1, "a"}));  // not comparable with the old: a change
  EXPECT_EQ(counter->Count, 2);
  item->SetDisplayValue("1");
  EXPECT_EQ(counter->Count, 2);
  c_->OnChanged = nullptr;
}

TEST_F(FilterCriteria, ComponentStream) {
  c_->SetOptions({O::fcoCaseInsensitive, O::fcoIgnoreNull});
  c_->SetPercentWildcard('*');
  c_->SetMaxValueListCount(300);
  c_->Root()->AddItem(F(0), K::foEqual, 1, "1");
  TStringStream out;
  c_->SaveToStream(out);
  std::string expected =
      "54504630 0E" + Hex("TFilterWrapper") + " 00"
      " 0E" + Hex("Filter.Options") + " 0B 12" + Hex("fcoCaseInsensitive") + " 0D" + Hex("fcoIgnoreNull") + " 00"
      " 16" + Hex("Filter.PercentWildcard") + " 06 01 2A"
      " 18" + Hex("Filter.MaxValueListCount") + " 03 2C01"
      " 00 00";
  EXPECT_EQ(Hex(out.DataString()), Hex(Unhex(expected)));

  // Loading brings the options back and leaves the conditions (the base defines no data).
  Owned<TestCriteria> other(New<TestCriteria>());
  other->SetUnderscoreWildcard('?');
  other->Root()->AddItem(other->Field(0), K::foEqual, 9, "9");
  out.SetPosition(0);
  other->LoadFromStream(out);
  EXPECT_EQ(other->GetOptions(), c_->GetOptions());
  EXPECT_EQ(other->GetPercentWildcard(), '*');
  EXPECT_EQ(other->GetUnderscoreWildcard(), '_');
  EXPECT_EQ(other->GetMaxValueListCount(), 300);
  EXPECT_TRUE(other->IsEmpty());

  // Saved empty criteria load as empty, default criteria.
  Owned<TestCriteria> empty(New<TestCriteria>());
  TStringStream blank;
  empty->SaveToStream(blank);
  blank.SetPosition(0);
  other->LoadFromStream(blank);
  EXPECT_TRUE(other->GetOptions().Empty());
  EXPECT_EQ(other->GetPercentWildcard(), '%');
  EXPECT_EQ(other->GetMaxValueListCount(), 0);

  TStringStream junk(Unhex("54504630 0E" + Hex("TFilterWrapper") + " 00 07" + Hex("Unknown") + " 09 00 00"));
  EXPECT_ANY_THROW(other->LoadFromStream(junk));
  EXPECT_EQ(other->LockCount(), 0);
}
