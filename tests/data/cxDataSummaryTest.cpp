// Summaries: each kind over Nulls with and without soNullIgnore, groups at two levels
// with a summary group, formats, selected records, a raising handler, and editing by
// item index.
#include "DataControllerTestSupport.h"

#include "widgets/data/cxDataRelations.h"
#include "widgets/data/cxDataSummary.h"

#include <cmath>
#include <random>
#include <stdexcept>

using enum TcxSummaryKind;
using enum TcxSummaryPosition;
using enum TcxSummaryOption;

namespace {

class Summaries : public ControllerTest {
 protected:
  TcxDataSummary* S() { return c_->Summary(); }
  TcxDataFooterSummaryItems* Footer() { return S()->FooterSummaryItems(); }
  Variant F(Integer i) { return S()->GetFooterSummaryValue(i); }
  TcxDataSummaryItem* AddFooter(Integer AItem, TcxSummaryKind AKind) {
    return Footer()->Add(items_[size_t(AItem)].get(), spFooter, AKind);
  }
};

struct Handler : TObject {
  Integer Calls = 0, After = 0;
  void AfterSummary(TcxDataSummary*) { ++After; }
  void Raise(TcxDataSummaryItems*, const TcxSummaryEventArguments& A, TcxSummaryEventOutArguments&) {
    ++Calls;
    if (A.SummaryItem->GetIndex() == 0) throw std::runtime_error("no");
  }
  void Double(TcxDataSummaryItems*, const TcxSummaryEventArguments&, TcxSummaryEventOutArguments& O) {
    if (!VarIsNull(O.Value)) O.Value = O.Value.AsInteger() * 2;
  }
  void Text(TcxDataSummaryItem*, const Variant&, bool AIsFooter, String& AText) {
    AText = (AIsFooter ? "F:" : "G:") + AText;
  }
};

struct LoadingOwner : TComponent {
  LoadingOwner() : TComponent(nullptr) {}
  void SetLoading(bool AOn) { SetStateFlag(TComponentStateItem::csLoading, AOn); }
};

Variant Date(Word y, Word m, Word d) { return VarFromDateTime(EncodeDate(y, m, d)); }

}  // namespace

TEST_F(Summaries, EachKindOverNullsWithAndWithoutIgnoringThem) {
  AddItems({IntType(), IntType()});
  Fill({{Null(), Null()}, {1, Null()}, {2, Null()}});
  for (TcxSummaryKind k : {skSum, skMin, skMax, skCount, skAverage}) AddFooter(0, k);
  AddFooter(1, skMin);
  AddFooter(1, skSum);
  Footer()->Add(nullptr, spFooter, skCount);  // a footer count needs a field
  EXPECT_EQ(F(0).AsInteger(), 3);
  EXPECT_EQ(F(1).AsInteger(), 1);
  EXPECT_EQ(F(2).AsInteger(), 2);
  EXPECT_EQ(F(3).AsInteger(), 3);
  EXPECT_DOUBLE_EQ(F(4).AsDouble(), 1.0);  // the Null counts
  EXPECT_TRUE(VarIsNull(F(5)));
  EXPECT_EQ(F(6).AsInteger(), 0);  // a Null first value starts a sum at 0
  EXPECT_TRUE(VarIsNull(F(7)));

  S()->SetOptions({soNullIgnore});
  EXPECT_EQ(F(0).AsInteger(), 3);
  EXPECT_EQ(F(3).AsInteger(), 2);
  EXPECT_DOUBLE_EQ(F(4).AsDouble(), 1.5);
  EXPECT_TRUE(VarIsNull(F(6)));

  // A handler's value is what counts.
  Handler h;
  Footer()->OnSummary = TcxSummaryEvent(&h, &Handler::Double);
  c_->RefreshView();
  EXPECT_EQ(F(0).AsInteger(), 6);
}

TEST_F(Summaries, GroupsCoverTheirDeepestGroupsAndASummaryGroupOwnsItsLevel) {
  AddItems({StrType(), StrType(), IntType()});
  Fill({{"A", "x", 1}, {"B", "x", 8}, {"A", "y", 4}, {"A", "x", 2}});
  TcxDataGroupSummaryItems* def = S()->DefaultGroupSummaryItems();
  def->Add(items_[2].get(), spGroup, skSum);
  def->Add(nullptr, spGroup, skCount);  // counts rows
  TcxDataSummaryGroup* kinds = S()->SummaryGroups()->Add();
  kinds->Links()->Add()->SetItemLink(items_[1].get());
  kinds->SummaryItems()->Add(items_[2].get(), spGroup, skMax);
  c_->BeginUpdate();
  c_->ChangeItemGroupIndex(0, 0);
  c_->ChangeItemGroupIndex(1, 1);
  c_->EndUpdate();
  // Pre-order: A, A/x, A/y, B, B/x.
  auto g = [&](Integer AGroup, Integer AIndex) { return S()->GetGroupSummaryValue(AGroup, AIndex).AsInteger(); };
  EXPECT_EQ(g(0, 0), 7);
  EXPECT_EQ(g(0, 1), 3);
  EXPECT_EQ(g(3, 0), 8);
  EXPECT_EQ(g(3, 1), 1);
  EXPECT_EQ(g(1, 0), 2);
  EXPECT_EQ(g(2, 0), 4);
  EXPECT_EQ(g(4, 0), 8);
  EXPECT_EQ(S()->GetGroupSummaryText(0), "(SUM=7.00, COUNT=3)");
  def->SetSeparator(";");
  def->SetBeginText("[");
  EXPECT_EQ(S()->GetGroupSummaryText(3), "[SUM=8.00; COUNT=1)");
  EXPECT_EQ(S()->GetGroupSummaryText(1), "(MAX=2.00)");
  // An item with a Null value leaves no empty place between the separators.
  def->Add(items_[2].get(), spGroup, skMin);
  String text;
  def->GetGroupSummaryText(VarArrayOf({7, Null(), 2}), text);
  EXPECT_EQ(text, "[SUM=7.00; MIN=2.00)");
  def->GetGroupSummaryText(VarArrayOf({7, 3, Null()}), text);
  EXPECT_EQ(text, "[SUM=7.00; COUNT=3)");

  // A link set on another group leaves the first one.
  TcxDataSummaryGroup* other = S()->SummaryGroups()->Add();
  other->Links()->Add()->SetItemLink(items_[1].get());
  EXPECT_EQ(kinds->Links()->Count(), 0);
  EXPECT_EQ(S()->SummaryGroups()->FindByItemLink(items_[1].get()), other);
  EXPECT_EQ(S()->GetGroupSummaryText(1), "");  // the new group has no items
}

TEST_F(Summaries, DefaultFormatsByValueTypeKindAndPlace) {
  AddItems({TcxCurrencyValueType::StaticClass(), TcxFloatValueType::StaticClass(),
            TcxDateTimeValueType::StaticClass(), StrType()});
  Fill({{Variant(Currency::FromRaw(10000000)), 1000.0, Date(2024, 1, 1), "pear"},
        {Variant(Currency::FromRaw(2345000)), 234.5, Date(2024, 1, 3), "apple"}});
  AddFooter(0, skSum);
  AddFooter(1, skSum);
  AddFooter(2, skAverage);
  AddFooter(3, skMin);
  AddFooter(1, skCount);
  AddFooter(0, skMax);
  TcxDataSummaryItem* own = AddFooter(1, skAverage);
  own->SetFormat("0.0 avg");
  EXPECT_EQ(S()->GetFooterSummaryText(0), "$1,234.50");
  EXPECT_EQ(S()->GetFooterSummaryText(1), "1234.50");
  EXPECT_EQ(VarType(F(2)), varDate);
  EXPECT_EQ(S()->GetFooterSummaryText(2), "AVG=1/2/2024");
  EXPECT_EQ(S()->GetFooterSummaryText(3), "apple");  // a text shows as itself
  EXPECT_EQ(S()->GetFooterSummaryText(4), "2");
  EXPECT_EQ(S()->GetFooterSummaryText(5), "MAX=$1,000.00");
  EXPECT_EQ(S()->GetFooterSummaryText(6), "617.3 avg");
  // In a group the sum and count name themselves.
  TcxDataSummaryItem* g = S()->DefaultGroupSummaryItems()->Add(items_[1].get(), spGroup, skSum);
  EXPECT_EQ(g->FormatText(-3.0, false), "SUM=-3.00");
  g->SetKind(skCount);
  EXPECT_EQ(g->FormatText(4, false), "COUNT=4");
  Handler h;
  g->OnGetText = TcxDataSummaryItemGetTextEvent(&h, &Handler::Text);
  EXPECT_EQ(g->FormatText(Null(), false), "G:");
  // Footer-place items in a group collection give no group text.
  g->SetPosition(spFooter);
  String text;
  S()->DefaultGroupSummaryItems()->GetGroupSummaryText(VarArrayOf({1}), text);
  EXPECT_EQ(text, "");
}

TEST_F(Summaries, SelectedRecordsOnlyFollowTheSelection) {
  AddItems({IntType()});
  Fill({{1}, {10}, {100}});
  AddFooter(0, skSum);
  S()->SetOptions({soSelectedRecords});
  c_->ChangeFocusedRowIndex(1);
  EXPECT_EQ(F(0).AsInteger(), 10);
  c_->SetMultiSelect(true);  // keeps the focused row selected
  c_->ChangeRowSelection(0, true);
  EXPECT_EQ(F(0).AsInteger(), 11);
  c_->ChangeRowSelection(1, false);
  c_->ChangeRowSelection(2, true);
  EXPECT_EQ(F(0).AsInteger(), 101);
}

TEST_F(Summaries, ARaisingItemEndsNullAndTheOthersStillCount) {
  AddItems({IntType(), StrType()});
  Fill({{1, "a"}, {2, "b"}});
  Handler h;
  AddFooter(0, skSum);
  AddFooter(0, skMax);
  AddFooter(1, skSum);  // a sum over texts that cannot add up
  Footer()->OnSummary = TcxSummaryEvent(&h, &Handler::Raise);
  c_->RefreshView();
  EXPECT_TRUE(VarIsNull(F(0)));
  EXPECT_EQ(F(1).AsInteger(), 2);
  EXPECT_EQ(c_->LockCount(), 0);
  EXPECT_FALSE(S()->InCalculation());
  Footer()->OnSummary = {};
  c_->SetValue(0, 0, 5);
  EXPECT_EQ(F(0).AsInteger(), 7);
}

// Decimal fields hand out texts; their sums, averages and extremes are still numbers,
// shown in the currency form. A count over a one-byte field reads no number from it.
TEST_F(Summaries, DecimalsSumAsNumbersAndNarrowFieldsOnlyCount) {
  AddItems({TcxFMTBcdValueType::StaticClass(), TcxBooleanValueType::StaticClass()});
  Fill({{"1.5", true}, {"10", false}, {"2", Null()}, {Null(), true}});
  AddFooter(0, skSum);
  AddFooter(0, skMin);
  AddFooter(0, skMax);
  AddFooter(0, skAverage);
  AddFooter(0, skCount);
  AddFooter(1, skCount);
  EXPECT_EQ(F(0).AsDouble(), 13.5);
  EXPECT_EQ(F(1).AsDouble(), 1.5);
  EXPECT_EQ(F(2).AsDouble(), 10.0);
  EXPECT_EQ(F(3).AsDouble(), 3.375);  // the Null counts: 13.5 / 4
  EXPECT_EQ(F(4).AsInteger(), 4);
  EXPECT_EQ(F(5).AsInteger(), 4);
  EXPECT_EQ(S()->GetFooterSummaryText(0), "$13.50");
  EXPECT_EQ(S()->GetFooterSummaryText(2), "MAX=$10.00");
  S()->SetOptions({soNullIgnore});
  EXPECT_EQ(F(3).AsDouble(), 4.5);
  EXPECT_EQ(S()->GetFooterSummaryText(3), "AVG=$4.50");
  // A decimal-comma locale reads its own texts.
  FormatSettings.DecimalSeparator = ',';
  FormatSettings.ThousandSeparator = '.';
  c_->SetValue(0, 0, "0,25");
  EXPECT_EQ(F(0).AsDouble(), 12.25);
  EXPECT_EQ(F(1).AsDouble(), 0.25);
}

TEST_F(Summaries, EditingByItemIndexAndRemovingAnItem) {
  AddItems({IntType(), IntType()});
  Fill({{1, 2}, {3, 4}});
  Footer()->SetDataItemKind(1, spFooter, skSum);
  ASSERT_EQ(Footer()->Count(), 1);
  EXPECT_EQ(F(0).AsInteger(), 6);
  Footer()->SetDataItemFormat(1, spFooter, "0");
  EXPECT_EQ(Footer()->GetDataItemKind(1, spFooter), skSum);
  Footer()->SetDataItemFormat(1, spFooter, "");
  Footer()->SetDataItemKind(1, spFooter, skNone);  // neither kind nor format: the item goes
  EXPECT_EQ(Footer()->Count(), 0);
  Footer()->SetDataItemKind(0, spFooter, skNone);  // nothing to remove, nothing added
  EXPECT_EQ(Footer()->Count(), 0);

  AddFooter(0, skSum);
  EXPECT_EQ(F(0).AsInteger(), 4);
  c_->RemoveItem(items_[0].get());
  EXPECT_EQ(Footer()->Items(0)->Field(), nullptr);
  EXPECT_TRUE(VarIsNull(F(0)));
}

namespace {

struct Passive : TObject {
  void Summary(TcxDataSummaryItems*, const TcxSummaryEventArguments&, TcxSummaryEventOutArguments&) {}
};

std::string Shown(const Variant& V) { return std::to_string(VarType(V)) + ":" + VarToStr(V); }

}  // namespace

// Numbers summed straight from the buffers give what the variant steps give, types
// included: Integer sums turning Int64, currency after a Null start, dates, NaN extremes.
TEST_F(Summaries, BufferSumsEqualTheVariantStepsOnRandomData) {
  const TcxValueTypeClass types[] = {IntType(), TcxSmallintValueType::StaticClass(), TcxWordValueType::StaticClass(),
                                     TcxLargeIntValueType::StaticClass(), TcxFloatValueType::StaticClass(),
                                     TcxDateTimeValueType::StaticClass(), TcxCurrencyValueType::StaticClass(),
                                     StrType()};
  AddItems({types[0], types[1], types[2], types[3], types[4], types[5], types[6], types[7], StrType()});
  std::mt19937 gen(7);
  auto value = [&](Integer AColumn) -> Variant {
    if (gen() % 4 == 0) return Null();
    switch (AColumn) {
      case 0: return Integer(gen() % 2 ? 2000000000 - Integer(gen() % 100) : -Integer(gen() % 1000));
      case 1: return Integer(gen() % 200) - 100;
      case 2: return Integer(gen() % 60000);
      case 3: return gen() % 8 == 0 ? Variant(Int64(0x7FFFFFFFFFFFFF00)) : Variant(Int64(gen() % 1000));
      case 4: return gen() % 16 == 0 ? std::nan("") : double(gen() % 1000) / 8;
      case 5: return VarFromDateTime(TDateTime{40000.0 + gen() % 100});
      case 6: return Variant(Currency::FromRaw(Int64(gen() % 100000)));
      default: return String(1, char('a' + gen() % 26));
    }
  };
  c_->BeginUpdate();
  c_->SetRecordCount(60);
  for (Integer r = 0; r < 60; ++r) {
    for (Integer col = 0; col < 8; ++col) c_->SetValue(r, col, value(col));
    c_->SetValue(r, 8, String(1, char('x' + r % 3)));
  }
  c_->EndUpdate();
  for (Integer col = 0; col < 8; ++col)
    for (TcxSummaryKind k : {skSum, skMin, skMax, skCount, skAverage}) {
      if (col == 7 && (k == skSum || k == skAverage)) continue;
      AddFooter(col, k);
      S()->DefaultGroupSummaryItems()->Add(items_[size_t(col)].get(), spGroup, k);
    }
  S()->DefaultGroupSummaryItems()->Add(nullptr, spGroup, skCount);
  c_->ChangeItemGroupIndex(8, 0);
  Passive p;
  auto all = [&] {
    std::vector<std::string> r;
    for (Integer i = 0; i < Footer()->Count(); ++i) r.push_back(Shown(F(i)));
    for (Integer g = 0; g < 3; ++g)
      for (Integer i = 0; i < S()->DefaultGroupSummaryItems()->Count(); ++i)
        r.push_back(Shown(S()->GetGroupSummaryValue(g, i)));
    return r;
  };
  for (TcxSummaryOptions o : {TcxSummaryOptions{}, TcxSummaryOptions{soNullIgnore}}) {
    S()->SetOptions(o);
    Footer()->OnSummary = {};
    S()->DefaultGroupSummaryItems()->OnSummary = {};
    c_->RefreshView();
    const std::vector<std::string> fromBuffers = all();
    Footer()->OnSummary = TcxSummaryEvent(&p, &Passive::Summary);
    S()->DefaultGroupSummaryItems()->OnSummary = TcxSummaryEvent(&p, &Passive::Summary);
    c_->RefreshView();
    EXPECT_EQ(fromBuffers, all());
  }
}

namespace {

// An item whose field change raises, as a subclass's own reaction to its field may.
class RaisingItem : public TcxDataSummaryItem {
  TL_CLASS(RaisingItem, TcxDataSummaryItem)
 public:
  using TcxDataSummaryItem::TcxDataSummaryItem;
  void FieldChanged() override { throw std::runtime_error("field"); }
};

class SummaryHolder : public TComponent {
  TL_CLASS(SummaryHolder, TComponent)
 public:
  explicit SummaryHolder(TComponent* AOwner) : TComponent(AOwner) {}
  TcxDataSummary* GetSummary() const { return Summary; }
  TcxDataSummary* Summary = nullptr;
};

}  // namespace

TL_DEFINE_CLASS(SummaryHolder, [](auto& c) { c.Property("Summary", &SummaryHolder::GetSummary); })
TL_DEFINE_CLASS(RaisingItem)

TEST_F(Summaries, AnItemLinkWhoseFieldChangeRaisesClosesTheCollectionsBracket) {
  AddItems({IntType(), IntType()});
  Owned<TcxDataSummaryItems> items(
      New<TcxDataSummaryItems>(S(), ClassOf<RaisingItem, TCollectionItem, TCollection*>()));
  TcxDataSummaryItem* item = items->Add();
  items->BeginUpdate();  // a caller's bracket stays open
  EXPECT_THROW(item->SetItemLink(items_[1].get()), std::runtime_error);
  EXPECT_EQ(items->UpdateCount(), 1);
  items->EndUpdate();
  EXPECT_THROW(item->SetItemLink(items_[0].get()), std::runtime_error);
  EXPECT_EQ(items->UpdateCount(), 0);
}

TEST_F(Summaries, CollectionsTravelInComponentStreams) {
  AddItems({IntType(), StrType()});
  Footer()->Add(items_[0].get(), spFooter, skSum, "0.0");
  TcxDataGroupSummaryItems* def = S()->DefaultGroupSummaryItems();
  def->Add(nullptr, spFooter, skCount);
  TcxDataSummaryGroup* group = S()->SummaryGroups()->Add();
  group->SummaryItems()->Add(items_[0].get(), spGroup, skMax);
  S()->SetOptions({soNullIgnore});
  Owned<SummaryHolder> holder(New<SummaryHolder>(nullptr));
  holder->Summary = S();
  TStringStream s;
  s.WriteComponent(holder.get());

  Owned<TcxDataController> d(New<TcxDataController>(nullptr));
  holder->Summary = d->Summary();
  s.SetPosition(0);
  s.ReadComponent(holder.get());
  TcxDataSummary* t = d->Summary();
  EXPECT_EQ(t->GetOptions(), TcxSummaryOptions{soNullIgnore});
  ASSERT_EQ(t->FooterSummaryItems()->Count(), 1);
  EXPECT_EQ(t->FooterSummaryItems()->Items(0)->GetKind(), skSum);
  EXPECT_EQ(t->FooterSummaryItems()->Items(0)->GetFormat(), "0.0");
  ASSERT_EQ(t->DefaultGroupSummaryItems()->Count(), 1);
  EXPECT_EQ(t->DefaultGroupSummaryItems()->Items(0)->GetPosition(), spFooter);
  ASSERT_EQ(t->SummaryGroups()->Count(), 1);
  ASSERT_EQ(t->SummaryGroups()->Items(0)->SummaryItems()->Count(), 1);
  EXPECT_EQ(t->SummaryGroups()->Items(0)->SummaryItems()->Items(0)->GetKind(), skMax);
}

TEST_F(Summaries, TheAfterSummaryStepWaitsForLoadingAndSkipsAPatternDetail) {
  Handler h;
  Owned<LoadingOwner> owner(New<LoadingOwner>());
  Owned<TcxDataController> c(New<TcxDataController>(owner.get()));
  TestItem item;
  c->AddItem(&item);
  c->ChangeValueTypeClass(0, IntType());
  c->Summary()->FooterSummaryItems()->Add(&item, spFooter, skSum);
  c->Summary()->OnAfterSummary = TcxAfterSummaryEvent(&h, &Handler::AfterSummary);
  owner->SetLoading(true);
  c->SetRecordCount(2);
  c->SetValue(0, 0, 4);
  EXPECT_EQ(h.After, 0);
  owner->SetLoading(false);
  c->Loaded();  // the held-back step runs now
  EXPECT_EQ(h.After, 1);
  EXPECT_EQ(c->Summary()->GetFooterSummaryValue(0).AsInteger(), 4);

  // A pattern detail computes its values but tells nobody.
  AddItems({IntType()});
  TcxCustomDataRelation* relation = c_->Relations()->Add(items_[0].get());
  c->SetMasterRelation(relation, -1);
  h.After = 0;
  c->SetValue(1, 0, 5);
  EXPECT_EQ(c->Summary()->GetFooterSummaryValue(0).AsInteger(), 9);
  EXPECT_EQ(h.After, 0);
  c->SetMasterRelation(nullptr, -1);
}
