// Rows kept up to date record by record, against rows rebuilt whole. Two controllers take
// the same seeded random edits, inserts, deletes, focus, selection and expanding under
// random sorts, groupings, filters and options: one finds the changed records' places
// alone, the other has a filter handler, which makes every rebuild weigh each record. Their
// rows, record positions, groups, focus, selection, summaries and notifications must be the
// same after every step; and a fresh controller holding the same records must show the
// same records in the same order.
#include "DataControllerTestSupport.h"

#include "widgets/data/cxDataControllerInfo.h"
#include "widgets/data/cxDataSummary.h"
#include "widgets/data/cxFilter.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <random>
#include <sstream>
#include <string>

using enum TcxDataSortOrder;
using enum TcxFilterOperatorKind;
using enum TcxDataControllerOption;

namespace {

// Counts the filter verdicts it is asked for: a rebuild of every record asks one per record.
class TDeltaController : public TcxDataController {
  TL_CLASS(TDeltaController, TcxDataController)
 public:
  using TcxDataController::TcxDataController;
  bool DoFilterCriteriaRecord(Integer ARecordIndex) const override {
    ++Verdicts;
    return inherited::DoFilterCriteriaRecord(ARecordIndex);
  }
  // The counting changes no verdict and no order.
  bool RowsFollowRecordValues() const override { return true; }
  mutable Integer Verdicts = 0;
};

// Everything either controller tells its owner and listeners, in order.
struct Log : TObject {
  std::vector<std::string> Lines;
  std::vector<TcxDataChange> Kinds;  // of each data change told
  void Update(TcxUpdateControlInfo* AInfo) {
    Lines.push_back(AInfo->ClassName());
    if (auto* data = dynamic_cast<TcxDataChangedInfo*>(AInfo)) Kinds.push_back(data->Kind);
  }
  void DataChanged(TcxCustomDataController*) { Lines.push_back("data"); }
  void RecordChanged(TcxCustomDataController*, Integer ARecord, Integer AItem) {
    Lines.push_back("record " + std::to_string(ARecord) + " " + std::to_string(AItem));
  }
  void Listener(TObject*) { Lines.push_back("listener"); }
  void AcceptAll(TcxCustomDataController*, Integer, bool& AAccept) { AAccept = true; }
};

std::string Shown(const Variant& V) {
  if (VarIsEmpty(V)) return "empty";
  if (VarIsNull(V)) return "null";
  if (VarIsArray(V)) {
    std::string r = "[";
    for (Integer i = VarArrayLowBound(V, 1); i <= VarArrayHighBound(V, 1); ++i)
      r += Shown(V[i]) + ",";
    return r + "]";
  }
  if (V.VType() == varDouble) {
    // Every bit: sums in another order differ past the digits a text shows.
    const double d = V.AsDouble();
    std::uint64_t bits;
    std::memcpy(&bits, &d, sizeof bits);
    return "double:" + std::to_string(bits);
  }
  return std::to_string(V.VType()) + ":" + std::string(VarToStr(V));
}

enum Item { iNumber, iText, iFloat, iWide, iItems };

class RowDelta : public DataTest {
 protected:
  void SetUp() override {
    DataTest::SetUp();
    for (auto& i : items_) i.reset(New<TestItem>());
    delta_.reset(New<TDeltaController>(nullptr));
    rebuilt_.reset(New<TcxDataController>(nullptr));
    rebuilt_->OnFilterRecord = TcxDataFilterRecordEvent(&rebuiltLog_, &Log::AcceptAll);
    for (TcxCustomDataController* c : Both()) Prepare(c);
    Watch(delta_.get(), deltaLog_);
    Watch(rebuilt_.get(), rebuiltLog_);
  }
  void TearDown() override {
    delta_.reset();
    rebuilt_.reset();
    DataTest::TearDown();
  }
  std::vector<TcxCustomDataController*> Both() { return {delta_.get(), rebuilt_.get()}; }

  void Prepare(TcxCustomDataController* c) {
    const TcxValueTypeClass types[iItems] = {IntType(), StrType(), TcxFloatValueType::StaticClass(),
                                             TcxWideStringValueType::StaticClass()};
    for (Integer i = 0; i < iItems; ++i) {
      c->AddItem(items_[size_t(i)].get());
      c->ChangeValueTypeClass(i, types[i]);
    }
    c->SetMultiSelect(true);
    TcxDataSummary* s = c->Summary();
    s->FooterSummaryItems()->Add(items_[iFloat].get(), TcxSummaryPosition::spFooter,
                                 TcxSummaryKind::skSum);
    s->FooterSummaryItems()->Add(items_[iText].get(), TcxSummaryPosition::spFooter,
                                 TcxSummaryKind::skMin);
    s->FooterSummaryItems()->Add(items_[iNumber].get(), TcxSummaryPosition::spFooter,
                                 TcxSummaryKind::skCount);
    s->DefaultGroupSummaryItems()->Add(items_[iFloat].get(), TcxSummaryPosition::spGroup,
                                       TcxSummaryKind::skSum);
    s->DefaultGroupSummaryItems()->Add(items_[iText].get(), TcxSummaryPosition::spGroup,
                                       TcxSummaryKind::skMax);
  }
  void Watch(TcxCustomDataController* c, Log& ALog) {
    c->OnUpdateControl = TcxUpdateControlEvent(&ALog, &Log::Update);
    c->OnDataChanged = TcxDataControllerNotifyEvent(&ALog, &Log::DataChanged);
    c->OnRecordChanged = TcxDataRecordChangedEvent(&ALog, &Log::RecordChanged);
    c->AddNotifyEventItem(&ALog, TNotifyEvent(&ALog, &Log::Listener));
  }

  Variant RandomValue(Integer AItem) {
    if (gen_() % 8 == 0) return Null();
    switch (AItem) {
      case iNumber:
        return Integer(gen_() % 5);  // few values: ties and shared groups
      case iText: {
        static const char* texts[] = {"", "a", "A", "ab", "b", "B", "abcdefghij", "abcdefghiJ"};
        return String(texts[gen_() % 8]);
      }
      case iFloat: {
        // Large and small values: a sum's last bits depend on its order.
        if (gen_() % 300 == 0) return std::nan("");
        return double(gen_() % 7) / 10 + double(gen_() % 3) * 1e9;
      }
      default:
        return String(1, char('x' + gen_() % 3));
    }
  }
  // Past every value RandomValue gives; AHigher past the other one.
  static Variant Extreme(Integer AItem, bool AHigher) {
    switch (AItem) {
      case iNumber:
        return 100 + Integer(AHigher);
      case iFloat:
        return AHigher ? 2e12 : 1e12;
      default:
        return String(AHigher ? "zzz" : "zz");
    }
  }
  Integer Pick(Integer ACount) { return ACount > 0 ? Integer(gen_() % unsigned(ACount)) : 0; }

  // One random step, the same on both controllers.
  std::string Step() {
    const Integer count = delta_->GetRecordCount();
    const Integer rows = delta_->GetRowCount();
    const unsigned kind = gen_() % 100;
    std::ostringstream what;
    std::function<void(TcxCustomDataController*)> op;
    if (editing_ && kind < 30) {
      const bool post = gen_() % 4 != 0;
      what << (post ? "post" : "cancel");
      op = [post](TcxCustomDataController* c) { post ? c->PostEditing() : c->Cancel(); };
      editing_ = false;
    } else if (kind < 40 && count > 0) {
      const Integer r = Pick(count), item = Pick(iItems);
      const Variant v = RandomValue(item);
      what << "set " << r << "." << item << " = " << Shown(v);
      op = [=](TcxCustomDataController* c) { c->SetValue(r, item, v); };
    } else if (kind < 50 && count > 0) {
      const Integer r1 = Pick(count), r2 = Pick(count);
      Integer i1 = Pick(iItems), i2 = Pick(iItems);
      Variant v1 = RandomValue(i1), v2 = RandomValue(i2);
      if (gen_() % 2) {
        // Two values of the first sorted item past all others: both records land between
        // the same two rows, in the order of their values.
        i1 = gen_() % 2 ? iNumber : iText;
        for (Integer item = 0; item < iItems; ++item)
          if (delta_->GetItemSortingIndex(item) == 0) i1 = item;
        i2 = i1;
        const bool up = gen_() % 2;
        v1 = Extreme(i1, up);
        v2 = Extreme(i1, !up);
      }
      what << "bracket set " << r1 << "." << i1 << ", " << r2 << "." << i2;
      op = [=](TcxCustomDataController* c) {
        c->BeginUpdate();
        c->SetValue(r1, i1, v1);
        c->SetValue(r2, i2, v2);
        c->EndUpdate();
      };
    } else if (kind < 58 && rows > 0 && !editing_) {
      // An edit through the provider, posted now or left open for later steps.
      const Integer row = Pick(rows), item = Pick(iItems);
      const Variant v = RandomValue(item);
      const unsigned how = gen_() % 3;  // edit, insert, append
      editing_ = gen_() % 3 == 0;
      const bool open = editing_;
      what << (how == 0   ? "edit"
               : how == 1 ? "insert"
                          : "append")
           << " at row " << row << " item " << item << (open ? " left open" : " posted");
      op = [=](TcxCustomDataController* c) {
        c->ChangeFocusedRowIndex(row);
        if (how == 0)
          c->Edit();
        else if (how == 1)
          c->Insert();
        else
          c->Append();
        if (c->IsEditing()) c->SetEditValue(item, v, TcxDataEditValueSource::evsValue);
        if (!open) c->PostEditing();
      };
    } else if (kind < 64 && !editing_) {
      const Integer at = Pick(count + 1);
      const bool append = gen_() % 3 == 0;
      std::vector<Variant> values;
      for (Integer i = 0; i < iItems; ++i) values.push_back(RandomValue(i));
      const bool bracket = gen_() % 2 == 0;
      what << (append ? "append record" : "insert record at ") << (append ? count : at)
           << (bracket ? " in a bracket" : "");
      op = [=](TcxCustomDataController* c) {
        if (bracket) c->BeginUpdate();
        const Integer r = append ? c->AppendRecord() : c->InsertRecord(at);
        for (Integer i = 0; i < iItems; ++i) c->SetValue(r, i, values[size_t(i)]);
        if (bracket) c->EndUpdate();
      };
    } else if (kind < 72 && count > 0 && !editing_) {
      std::vector<Integer> list{Pick(count)};
      if (gen_() % 3 == 0) list.push_back(Pick(count));
      // Now and then a batch: a few records, or more than a few.
      if (gen_() % 8 == 0)
        for (Integer k = 2 + Pick(12); k > 0; --k) list.push_back(Pick(count));
      what << "delete";
      for (Integer r : list) what << " " << r;
      op = [=](TcxCustomDataController* c) {
        if (list.size() == 1)
          c->DeleteRecord(list[0]);
        else
          c->DeleteRecords(list);
      };
    } else if (kind < 82 && rows > 0) {
      const Integer row = Pick(rows);
      what << "focus row " << row;
      op = [=](TcxCustomDataController* c) { c->ChangeFocusedRowIndex(row); };
    } else if (kind < 92 && rows > 0) {
      const Integer row = Pick(rows);
      const bool on = gen_() % 3 != 0;
      what << (on ? "select row " : "unselect row ") << row;
      op = [=](TcxCustomDataController* c) { c->ChangeRowSelection(row, on); };
    } else if (rows > 0) {
      const Integer row = Pick(rows);
      const bool expand = gen_() % 2 == 0, recursive = gen_() % 3 == 0;
      what << (expand ? "expand row " : "collapse row ") << row;
      op = [=](TcxCustomDataController* c) {
        c->Groups()->ChangeExpanding(row, expand, recursive);
      };
    } else {
      what << "nothing";
      op = [](TcxCustomDataController*) {};
    }
    const Integer before = delta_->Verdicts;
    for (TcxCustomDataController* c : Both()) op(c);
    lastVerdicts_ = delta_->Verdicts - before;
    return what.str();
  }

  // Several records at once out of the storage, the same on both controllers, as a source
  // that deleted them itself takes them out: a few (each compared with every one deleted)
  // or more (searched among them), apart or in a run. Drawn apart from the other steps.
  std::string DeleteAtOnce() {
    const Integer count = delta_->GetRecordCount();
    std::ostringstream what;
    if (count < 40) {
      // Records enough for the next deletions.
      std::vector<std::vector<Variant>> records(40);
      for (auto& values : records)
        for (Integer i = 0; i < iItems; ++i) values.push_back(RandomValue(i));
      what << "append 40 records";
      for (TcxCustomDataController* c : Both()) {
        c->BeginUpdate();
        for (const auto& values : records) {
          const Integer r = c->AppendRecord();
          for (Integer i = 0; i < iItems; ++i) c->SetValue(r, i, values[size_t(i)]);
        }
        c->EndUpdate();
      }
      lastVerdicts_ = -1;
      return what.str();
    }
    const Integer want =
        batches_() % 2 ? 2 + Integer(batches_() % 7) : 9 + Integer(batches_() % 24);
    std::vector<Integer> list;
    if (batches_() % 3 == 0) {
      const Integer first = Integer(batches_() % unsigned(count - want + 1));
      for (Integer r = first; r < first + want; ++r) list.push_back(r);
    } else {
      while (Integer(list.size()) < want) {
        list.push_back(Integer(batches_() % unsigned(count)));
        std::sort(list.begin(), list.end());
        list.erase(std::unique(list.begin(), list.end()), list.end());
      }
    }
    what << "delete at once";
    for (Integer r : list) what << " " << r;
    const Integer before = delta_->Verdicts;
    for (TcxCustomDataController* c : Both()) c->Provider()->DeleteStoredRecords(list);
    lastVerdicts_ = delta_->Verdicts - before;
    return what.str();
  }

  // A new view: sorting, grouping, filter and options drawn at random.
  std::string NewView() {
    std::ostringstream what;
    const unsigned sortCount = gen_() % 3, groupCount = gen_() % 3, filter = gen_() % 5;
    std::vector<std::pair<Integer, TcxDataSortOrder>> sorts;
    for (unsigned i = 0; i < sortCount; ++i)
      sorts.push_back({Pick(iItems), gen_() % 2 ? soAscending : soDescending});
    std::vector<Integer> groups;
    for (unsigned i = 0; i < groupCount; ++i) groups.push_back(gen_() % 2 ? iNumber : iWide);
    TcxDataControllerOptions options;
    if (gen_() % 2) options.Include(dcoSaveExpanding);
    if (gen_() % 4 == 0) options.Include(dcoCaseInsensitive);
    if (gen_() % 5 == 0) options.Include(dcoGroupsAlwaysExpanded);
    if (gen_() % 6 == 0) options.Include(dcoAnsiSort);
    what << "view: sorts";
    for (auto& s : sorts) what << " " << s.first << (s.second == soAscending ? "+" : "-");
    what << " groups";
    for (Integer g : groups) what << " " << g;
    what << " filter " << filter;
    for (TcxCustomDataController* c : Both()) {
      if (c->IsEditing()) c->PostEditing();
      c->BeginUpdate();
      c->SetOptions(options);
      c->ClearSorting(false);
      c->Groups()->ClearGrouping();
      for (auto& s : sorts) c->ChangeSortingOrder(s.first, s.second);
      for (size_t g = 0; g < groups.size(); ++g) c->ChangeItemGroupIndex(groups[g], Integer(g));
      TcxDataFilterCriteria* f = c->Filter();
      f->Clear();
      switch (filter) {
        case 1:
          f->Root()->AddItem(items_[iNumber].get(), foGreaterEqual, 2, "2");
          break;
        case 2:
          f->Root()->AddItem(items_[iText].get(), foLike, "a%", "a%");
          break;
        case 3: {
          TcxFilterCriteriaItemList* any = f->Root()->AddItemList(TcxFilterBoolOperatorKind::fboOr);
          any->AddItem(items_[iFloat].get(), foLess, 1, "1");
          any->AddItem(items_[iWide].get(), foEqual, "y", "y");
          break;
        }
        default:
          break;
      }
      f->SetActive(filter != 0 && filter != 4);
      c->EndUpdate();
    }
    editing_ = false;
    return what.str();
  }

  // The two controllers in every respect the owner sees.
  std::string Differences() {
    std::ostringstream d;
    TcxCustomDataController* a = delta_.get();
    TcxCustomDataController* b = rebuilt_.get();
    auto same = [&](const char* AWhat, auto x, auto y) {
      if (!(x == y)) d << AWhat << " ";
    };
    same("record count", a->GetRecordCount(), b->GetRecordCount());
    same("row count", a->GetRowCount(), b->GetRowCount());
    if (!d.str().empty()) return d.str();
    for (Integer row = 0; row < a->GetRowCount(); ++row) {
      const TcxRowInfo x = a->GetRowInfo(row), y = b->GetRowInfo(row);
      if (x.Level != y.Level || x.Expanded != y.Expanded || x.FilteredIndex != y.FilteredIndex ||
          x.RecordIndex != y.RecordIndex) {
        d << "row " << row << " ";
        break;
      }
    }
    TcxCustomDataControllerInfo* ia = a->DataControllerInfo();
    TcxCustomDataControllerInfo* ib = b->DataControllerInfo();
    same("filtered count", ia->GetFilteredRecordCount(), ib->GetFilteredRecordCount());
    for (Integer i = 0; i < ia->GetFilteredRecordCount(); ++i)
      if (ia->GetFilteredRecordIndex(i) != ib->GetFilteredRecordIndex(i)) {
        d << "filtered record " << i << " ";
        break;
      }
    // Every position now and then; between, a few, so that positions left to be found
    // when read pile up over several steps.
    std::vector<Integer> read;
    if (allPositions_) {
      for (Integer r = -1; r <= a->GetRecordCount(); ++r) read.push_back(r);
    } else {
      for (int i = 0; i < 3; ++i)
        read.push_back(Integer(readGen_() % unsigned(a->GetRecordCount() + 1)));
    }
    for (Integer r : read)
      if (ia->GetFilteredIndexByRecordIndex(r) != ib->GetFilteredIndexByRecordIndex(r)) {
        d << "position of record " << r << " ";
        break;
      }
    same("groups", ia->Groups()->Count(), ib->Groups()->Count());
    for (Integer g = 0; g < std::min(ia->Groups()->Count(), ib->Groups()->Count()); ++g) {
      const TcxDataGroupInfo &x = ia->Groups()->Items(g), &y = ib->Groups()->Items(g);
      if (x.RowIndex != y.RowIndex || x.Expanded != y.Expanded || x.Level != y.Level ||
          x.BeginIndex != y.BeginIndex || x.EndIndex != y.EndIndex ||
          x.ParentIndex != y.ParentIndex || x.LastDescendant != y.LastDescendant ||
          x.ChildCount != y.ChildCount || x.FirstPosition != y.FirstPosition ||
          Shown(x.SummaryValues) != Shown(y.SummaryValues)) {
        d << "group " << g << " ";
        break;
      }
    }
    same("focused row", a->GetFocusedRowIndex(), b->GetFocusedRowIndex());
    same("focused record", a->GetFocusedRecordIndex(), b->GetFocusedRecordIndex());
    same("previous focus", ia->PrevFocusingInfo().RecordIndex, ib->PrevFocusingInfo().RecordIndex);
    same("selected count", a->GetSelectedCount(), b->GetSelectedCount());
    for (Integer i = 0; i < std::min(a->GetSelectedCount(), b->GetSelectedCount()); ++i)
      if (a->GetSelectedRowIndex(i) != b->GetSelectedRowIndex(i)) {
        d << "selected " << i << " ";
        break;
      }
    same("anchor", a->GetSelectionAnchorRowIndex(), b->GetSelectionAnchorRowIndex());
    for (Integer i = 0; i < a->Summary()->FooterSummaryItems()->Count(); ++i)
      same("footer", Shown(a->Summary()->GetFooterSummaryValue(i)),
           Shown(b->Summary()->GetFooterSummaryValue(i)));
    same("editing", a->GetEditingRecordIndex(), b->GetEditingRecordIndex());
    same("notifications", deltaLog_.Lines, rebuiltLog_.Lines);
    return d.str();
  }

  // The records the delta controller shows, against a fresh controller given its records
  // and its view: the same records in the same order, in the same groups (with ASummaries,
  // the same footer and group summaries).
  std::string AgainstFresh(bool ASummaries = false) {
    TcxCustomDataController* a = delta_.get();
    Owned<TcxDataController> fresh(New<TcxDataController>(nullptr));
    Prepare(fresh.get());
    fresh->BeginUpdate();
    fresh->SetOptions(a->Options());
    fresh->SetRecordCount(a->GetRecordCount());
    for (Integer r = 0; r < a->GetRecordCount(); ++r)
      for (Integer i = 0; i < iItems; ++i) fresh->SetValue(r, i, a->GetItemValue(r, i));
    for (Integer i = 0; i < a->GetSortingItemCount(); ++i)
      for (Integer item = 0; item < iItems; ++item)
        if (a->GetItemSortingIndex(item) == i)
          fresh->ChangeSortingOrder(item, a->GetItemSortOrder(item));
    for (Integer l = 0; l < a->GetGroupingItemCount(); ++l)
      fresh->ChangeItemGroupIndex(a->GetGroupingItemIndex(l), l);
    fresh->Filter()->Assign(a->Filter());
    fresh->EndUpdate();
    TcxCustomDataControllerInfo* ia = a->DataControllerInfo();
    TcxCustomDataControllerInfo* ifresh = fresh->DataControllerInfo();
    std::ostringstream d;
    if (ia->GetFilteredRecordCount() != ifresh->GetFilteredRecordCount()) return "filtered count";
    for (Integer i = 0; i < ia->GetFilteredRecordCount(); ++i)
      if (ia->GetFilteredRecordIndex(i) != ifresh->GetFilteredRecordIndex(i))
        return "record at " + std::to_string(i);
    if (ia->Groups()->Count() != ifresh->Groups()->Count()) return "group count";
    for (Integer g = 0; g < ia->Groups()->Count(); ++g)
      if (ia->Groups()->Items(g).BeginIndex != ifresh->Groups()->Items(g).BeginIndex ||
          ia->Groups()->Items(g).Level != ifresh->Groups()->Items(g).Level)
        return "group " + std::to_string(g);
    if (!ASummaries) return "";
    for (Integer i = 0; i < a->Summary()->FooterSummaryItems()->Count(); ++i)
      if (Shown(a->Summary()->GetFooterSummaryValue(i)) !=
          Shown(fresh->Summary()->GetFooterSummaryValue(i)))
        return "footer " + std::to_string(i);
    for (Integer g = 0; g < ia->Groups()->Count(); ++g)
      if (Shown(ia->Groups()->Items(g).SummaryValues) !=
          Shown(ifresh->Groups()->Items(g).SummaryValues))
        return "summaries of group " + std::to_string(g);
    return "";
  }

  std::mt19937 gen_{20240611};
  std::mt19937 readGen_{5};
  std::mt19937 batches_{3187};
  bool allPositions_ = true;
  Owned<TestItem> items_[iItems];
  Owned<TDeltaController> delta_;
  Owned<TcxDataController> rebuilt_;
  Log deltaLog_, rebuiltLog_;
  bool editing_ = false;
  Integer lastVerdicts_ = 0;
};

}  // namespace

TL_DEFINE_CLASS(TDeltaController)

TEST_F(RowDelta, RandomChangesGiveWhatARebuildGives) {
  for (TcxCustomDataController* c : Both()) {
    c->BeginUpdate();
    c->SetRecordCount(80);
    c->EndUpdate();
  }
  for (Integer r = 0; r < 80; ++r)
    for (Integer i = 0; i < iItems; ++i) {
      const Variant v = RandomValue(i);
      for (TcxCustomDataController* c : Both()) c->SetValue(r, i, v);
    }
  Integer weighedAlone = 0, weighedAll = 0;
  std::string history;
  for (int view = 0; view < 40; ++view) {
    history = NewView();
    ASSERT_EQ(Differences(), "") << history;
    for (int step = 0; step < 50; ++step) {
      const std::string what = Step();
      history += "\n" + what;
      allPositions_ = step % 8 == 7;
      ASSERT_EQ(Differences(), "") << history;
      if (!editing_ && step % 4 == 0) {
        ASSERT_EQ(AgainstFresh(), "") << history;
      }
      // With a filter on, a rebuild asks for every record's verdict; a change placed
      // record by record only for the records it touched.
      if (delta_->IsFiltering() && what.rfind("set ", 0) == 0) {
        if (lastVerdicts_ <= 2)
          ++weighedAlone;
        else
          ++weighedAll;
      }
    }
  }
  // Most single changes were placed alone (those changing the groups were not).
  EXPECT_GT(weighedAlone, 3 * weighedAll);
  EXPECT_GT(weighedAlone, 100) << weighedAll;
}

// Several records taken out of the storage at once, between the other changes, under every
// view: the rows of those records go and the others are renumbered as a rebuild and a fresh
// controller give them, summaries included, without a rebuild where no group changes; the
// owner and listeners are told of a total change.
TEST_F(RowDelta, SeveralRecordsDeletedAtOnceGiveWhatARebuildGives) {
  for (TcxCustomDataController* c : Both()) {
    c->BeginUpdate();
    c->SetRecordCount(120);
    c->EndUpdate();
  }
  for (Integer r = 0; r < 120; ++r)
    for (Integer i = 0; i < iItems; ++i) {
      const Variant v = RandomValue(i);
      for (TcxCustomDataController* c : Both()) c->SetValue(r, i, v);
    }
  Integer weighedAlone = 0, weighedAll = 0, few = 0, many = 0;
  std::string history;
  for (int view = 0; view < 40; ++view) {
    history = NewView();
    ASSERT_EQ(Differences(), "") << history;
    for (int step = 0; step < 30; ++step) {
      const bool atOnce = !editing_ && batches_() % 2 == 0;
      const size_t lines = deltaLog_.Lines.size(), kinds = deltaLog_.Kinds.size();
      const std::string what = atOnce ? DeleteAtOnce() : Step();
      history += "\n" + what;
      allPositions_ = step % 4 == 3;
      ASSERT_EQ(Differences(), "") << history;
      if (!atOnce || what.rfind("delete", 0) != 0) continue;
      ASSERT_EQ(AgainstFresh(true), "") << history;
      const std::vector<std::string> told(deltaLog_.Lines.begin() + ptrdiff_t(lines),
                                          deltaLog_.Lines.end());
      EXPECT_EQ(std::count(told.begin(), told.end(), "data"), 1) << history;
      EXPECT_EQ(std::count(told.begin(), told.end(), "listener"), 1) << history;
      EXPECT_EQ(std::vector<TcxDataChange>(deltaLog_.Kinds.begin() + ptrdiff_t(kinds),
                                           deltaLog_.Kinds.end()),
                std::vector<TcxDataChange>{TcxDataChange::dcTotal})
          << history;
      (std::count(what.begin(), what.end(), ' ') - 2 <= 8 ? few : many)++;
      // Filtered and not grouped, a rebuild asks for every record's verdict, the rows
      // taking the deletion none.
      if (delta_->IsFiltering() && delta_->GetGroupingItemCount() == 0)
        (lastVerdicts_ == 0 ? weighedAlone : weighedAll)++;
    }
  }
  EXPECT_GT(few, 50);
  EXPECT_GT(many, 50);
  EXPECT_GT(weighedAlone, 3 * weighedAll);
  EXPECT_GT(weighedAlone, 20) << weighedAll;
}

namespace {

class RowDeltaCases : public ControllerTest {
 protected:
  void SortedNumbers(std::initializer_list<Integer> AValues) {
    AddItems({IntType()});
    c_->BeginUpdate();
    c_->SetRecordCount(Integer(AValues.size()));
    Integer r = 0;
    for (Integer v : AValues) c_->SetValue(r++, 0, v);
    c_->EndUpdate();
    c_->ChangeSortingOrder(0, soAscending);
  }
};

struct Handlers : TObject {
  void Reverse(TcxCustomDataController*, Integer, Integer, Integer, const Variant& V1,
               const Variant& V2, Integer& Compare) {
    Compare = V1.AsInteger() < V2.AsInteger() ? 1 : V1.AsInteger() > V2.AsInteger() ? -1 : 0;
  }
  void EvenOnly(TcxCustomDataController* c, Integer ARecordIndex, bool& AAccept) {
    AAccept = c->GetItemValue(ARecordIndex, 0).AsInteger() % 2 == 0;
  }
};

}  // namespace

// The edited record stands before the record that followed it when editing began, and
// moves with it, until it is posted.
TEST_F(RowDeltaCases, TheEditedRecordStaysBeforeItsFollowerUntilPosted) {
  SortedNumbers({10, 20, 30, 40, 50});
  ASSERT_EQ(Rows(), (std::vector<Integer>{0, 1, 2, 3, 4}));
  c_->ChangeFocusedRowIndex(1);
  c_->Edit();
  c_->SetEditValue(0, 45, TcxDataEditValueSource::evsValue);
  EXPECT_EQ(Rows(), (std::vector<Integer>{0, 1, 2, 3, 4}));
  c_->SetValue(2, 0, 60);  // the follower moves last, the edited record with it
  EXPECT_EQ(Rows(), (std::vector<Integer>{0, 3, 4, 1, 2}));
  c_->PostEditing();  // 45: between 40 and 50
  EXPECT_EQ(Rows(), (std::vector<Integer>{0, 3, 1, 4, 2}));
  EXPECT_EQ(c_->GetFocusedRecordIndex(), 1);
  EXPECT_EQ(c_->GetFocusedRowIndex(), 2);
}

// A compare or filter handler assigned between two changes tells no one; the next change
// must still give every row its place under it, as a rebuild does.
TEST_F(RowDeltaCases, HandlersAssignedBetweenChangesApplyToEveryRow) {
  SortedNumbers({3, 1, 4, 2, 5});
  ASSERT_EQ(Rows(), (std::vector<Integer>{1, 3, 0, 2, 4}));
  Handlers h;
  c_->OnCompare = TcxDataControllerCompareEvent(&h, &Handlers::Reverse);
  c_->SetValue(0, 0, 6);
  EXPECT_EQ(Rows(), (std::vector<Integer>{0, 4, 2, 3, 1}));
  c_->OnCompare = nullptr;
  c_->OnFilterRecord = TcxDataFilterRecordEvent(&h, &Handlers::EvenOnly);
  c_->SetValue(4, 0, 8);
  EXPECT_EQ(Rows(), (std::vector<Integer>{3, 2, 0, 4}));
  c_->OnFilterRecord = nullptr;
  c_->SetValue(1, 0, 7);
  EXPECT_EQ(Rows(), (std::vector<Integer>{3, 2, 0, 1, 4}));
}

// Records deleted and inserted before others keep every row on its record.
TEST_F(RowDeltaCases, DeletionsAndInsertionsRenumberTheRows) {
  SortedNumbers({50, 10, 40, 20, 30});
  ASSERT_EQ(Rows(), (std::vector<Integer>{1, 3, 4, 2, 0}));
  c_->BeginUpdate();
  c_->DeleteRecord(1);                    // 10 goes: 50 40 20 30
  const Integer r = c_->InsertRecord(0);  // 25 first: 25 50 40 20 30
  c_->SetValue(r, 0, 25);
  c_->DeleteRecord(2);  // 40 goes: 25 50 20 30
  c_->EndUpdate();
  EXPECT_EQ(Rows(), (std::vector<Integer>{2, 0, 3, 1}));
  for (Integer i = 0; i < 4; ++i)
    EXPECT_EQ(c_->DataControllerInfo()->GetFilteredIndexByRecordIndex(Rows()[size_t(i)]), i);
  const Integer appended = c_->AppendRecord();
  c_->SetValue(appended, 0, 5);
  EXPECT_EQ(Rows(), (std::vector<Integer>{4, 2, 0, 3, 1}));
}

// A record inserted and deleted again leaves the others' numbers as they were; a record
// that came into the rows in between (past the filter now) keeps its own number too.
TEST_F(RowDeltaCases, ARecordComingInWhileAnotherCameAndWentKeepsItsNumber) {
  SortedNumbers({10, 200, 30, 40});
  c_->Filter()->Root()->AddItem(items_[0].get(), foLess, 100, "100");
  c_->Filter()->SetActive(true);
  ASSERT_EQ(Rows(), (std::vector<Integer>{0, 2, 3}));
  c_->BeginUpdate();
  const Integer r = c_->InsertRecord(0);  // 25 10 200 30 40
  c_->SetValue(r, 0, 25);
  c_->EndUpdate();
  ASSERT_EQ(Rows(), (std::vector<Integer>{1, 0, 3, 4}));
  c_->SetValue(2, 0, 35);  // 200 becomes 35 and comes in
  ASSERT_EQ(Rows(), (std::vector<Integer>{1, 0, 3, 2, 4}));
  c_->DeleteRecord(0);  // 10 35 30 40
  EXPECT_EQ(Rows(), (std::vector<Integer>{0, 2, 1, 3}));
  for (Integer i = 0; i < 4; ++i)
    EXPECT_EQ(c_->DataControllerInfo()->GetFilteredIndexByRecordIndex(Rows()[size_t(i)]), i);
}

// Rows shifted by an insert stay shifted as they were: a record placed past them afterwards
// (its position written as it is) is not moved by that earlier shift when a later one
// reaches its row.
TEST_F(RowDeltaCases, APositionWrittenPastEarlierShiftsIsShiftedOnlyByLaterOnes) {
  AddItems({IntType()});
  c_->SetRecordCount(4);
  c_->InsertRecord(3);  // the row of record 3 moves down
  c_->AppendRecord();   // record 5, in the last row
  c_->InsertRecord(5);  // record 5 moves down to be record 6, one row down
  ASSERT_EQ(Rows(), (std::vector<Integer>{0, 1, 2, 3, 4, 5, 6}));
  for (Integer r = 0; r < 7; ++r)
    EXPECT_EQ(c_->DataControllerInfo()->GetFilteredIndexByRecordIndex(r), r);
}

// Records moved by runs of rows, then others (or they) deleted before the rows were laid
// flat: each deletion takes its row out of its run, and every row and position stays what a
// fresh sort gives.
TEST_F(RowDeltaCases, DeletionsAmongMovedRowsKeepEveryRowAndPosition) {
  AddItems({IntType()});
  const Integer n = 40;
  c_->BeginUpdate();
  c_->SetRecordCount(n);
  for (Integer r = 0; r < n; ++r) c_->SetValue(r, 0, (r * 7) % n);
  c_->EndUpdate();
  c_->ChangeSortingOrder(0, soAscending);
  std::vector<Integer> values;
  for (Integer r = 0; r < n; ++r) values.push_back((r * 7) % n);
  auto expected = [&values] {
    std::vector<Integer> rows(values.size());
    for (size_t r = 0; r < rows.size(); ++r) rows[r] = Integer(r);
    std::stable_sort(rows.begin(), rows.end(),
                     [&](Integer a, Integer b) { return values[size_t(a)] < values[size_t(b)]; });
    return rows;
  };
  TcxCustomDataControllerInfo* info = c_->DataControllerInfo();
  for (Integer round = 0; round < 12; ++round) {
    // Two records far apart move: the rows stand in runs.
    const Integer count = Integer(values.size());
    const Integer a = (round * 5) % count, b = (round * 11 + 3) % count;
    values[size_t(a)] = round % 2 ? 1000 + round : -1000 - round;
    c_->SetValue(a, 0, values[size_t(a)]);
    values[size_t(b)] = 20 + round;
    c_->SetValue(b, 0, values[size_t(b)]);
    // One deleted: a moved one, or one in the middle of a run.
    const Integer gone = round % 3 == 0 ? a : (round * 3 + 1) % count;
    values.erase(values.begin() + gone);
    c_->DeleteRecord(gone);
    ASSERT_EQ(Rows(), expected()) << round;
    const std::vector<Integer> rows = expected();
    for (Integer i = 0; i < Integer(rows.size()); ++i)
      ASSERT_EQ(info->GetFilteredIndexByRecordIndex(rows[size_t(i)]), i) << round;
  }
}

// Operands are prepared again for every rebuild, with the format settings of then: after
// they change, the next change weighs every record again, as a rebuild does.
TEST_F(RowDeltaCases, OtherFormatSettingsWeighEveryRecordAgain) {
  AddItems({TcxFloatValueType::StaticClass(), IntType()});
  Fill({{1.0, 1}, {2.0, 2}, {3.0, 3}});
  FormatSettings.DecimalSeparator = ',';
  c_->Filter()->Root()->AddItem(items_[0].get(), foGreater, String("1,5"), "1,5");
  c_->Filter()->SetActive(true);
  EXPECT_EQ(Rows(), (std::vector<Integer>{1, 2}));
  // With "." the operand is no number: no record passes.
  FormatSettings.DecimalSeparator = '.';
  c_->SetValue(2, 1, 4);
  EXPECT_EQ(Rows(), (std::vector<Integer>{}));
  c_->RefreshView();
  EXPECT_EQ(Rows(), (std::vector<Integer>{}));
}

// A record moving far forward and back, to the very first and the very last row, while
// other records move across it: every row and every record's position as a fresh sort
// gives them, whichever positions were read in between.
TEST_F(RowDeltaCases, FarMovesKeepEveryRowAndPosition) {
  AddItems({IntType()});
  const Integer n = 300;
  c_->BeginUpdate();
  c_->SetRecordCount(n);
  for (Integer r = 0; r < n; ++r) c_->SetValue(r, 0, (r * 7) % n);  // value v at row v
  c_->EndUpdate();
  c_->ChangeSortingOrder(0, soAscending);
  TcxCustomDataControllerInfo* info = c_->DataControllerInfo();
  std::vector<Integer> values(static_cast<size_t>(n));
  for (Integer r = 0; r < n; ++r) values[size_t(r)] = (r * 7) % n;
  auto expected = [&] {
    std::vector<Integer> rows(values.size());
    for (size_t r = 0; r < rows.size(); ++r) rows[r] = Integer(r);
    std::stable_sort(rows.begin(), rows.end(),
                     [&](Integer a, Integer b) { return values[size_t(a)] < values[size_t(b)]; });
    return rows;
  };
  auto rowOf = [&](Integer ARecord) {
    const std::vector<Integer> rows = expected();
    return Integer(std::find(rows.begin(), rows.end(), ARecord) - rows.begin());
  };
  auto set = [&](Integer ARecord, Integer AValue) {
    values[size_t(ARecord)] = AValue;
    c_->SetValue(ARecord, 0, AValue);
  };
  // Record 1 (value 7, row 7) to the last row, back to the first, to the middle.
  set(1, 1000);
  EXPECT_EQ(info->GetFilteredIndexByRecordIndex(1), n - 1);
  set(1, -1000);
  EXPECT_EQ(info->GetFilteredIndexByRecordIndex(1), 0);
  // Others move across record 1 and across each other; only the moved ones are read.
  set(2, -2000);  // first: record 1 one row down
  EXPECT_EQ(info->GetFilteredIndexByRecordIndex(2), 0);
  EXPECT_EQ(info->GetFilteredIndexByRecordIndex(1), 1);
  set(3, 2000);  // last: from its row to the end
  EXPECT_EQ(info->GetFilteredIndexByRecordIndex(3), n - 1);
  EXPECT_EQ(info->GetFilteredIndexByRecordIndex(2), 0);
  set(2, 1500);  // from the first row to the one before last: record 1 one row up
  EXPECT_EQ(info->GetFilteredIndexByRecordIndex(2), n - 2);
  EXPECT_EQ(info->GetFilteredIndexByRecordIndex(1), 0);
  EXPECT_EQ(info->GetFilteredIndexByRecordIndex(3), n - 1);
  set(1, 150);  // to the middle, after the record of value 150
  EXPECT_EQ(info->GetFilteredIndexByRecordIndex(1), rowOf(1));
  EXPECT_EQ(Rows(), expected());
  for (Integer r = 0; r < n; ++r) EXPECT_EQ(info->GetFilteredIndexByRecordIndex(r), rowOf(r)) << r;
  // A record not moved, read among rows others passed.
  set(4, -5);
  set(5, 5000);
  EXPECT_EQ(info->GetFilteredIndexByRecordIndex(0), rowOf(0));
  EXPECT_EQ(info->GetFilteredIndexByRecordIndex(6), rowOf(6));
  // Many moves in a row, of many records and of the same few, each read alone, then every
  // position.
  for (Integer few : {200, 5}) {
    for (Integer i = 0; i < 50; ++i) {
      const Integer r = 10 + (i * 13) % few;
      const Integer base = few == 5 ? 50000 : 10000;  // past every value before
      set(r, i % 2 ? base + i : -base - i);
      ASSERT_EQ(info->GetFilteredIndexByRecordIndex(r), i % 2 ? n - 1 : 0) << i;
      if (i % 10 == 4) {  // after an odd number of moves: it is off its row
        EXPECT_EQ(info->GetFilteredIndexByRecordIndex(7), rowOf(7)) << i;
      }
    }
    EXPECT_EQ(Rows(), expected());
    for (Integer r = 0; r < n; ++r)
      EXPECT_EQ(info->GetFilteredIndexByRecordIndex(r), rowOf(r)) << r;
  }
  // Deleted: the rows after it move up.
  c_->DeleteRecord(4);
  values.erase(values.begin() + 4);
  EXPECT_EQ(Rows(), expected());
  for (Integer r = 0; r < n - 1; ++r)
    EXPECT_EQ(info->GetFilteredIndexByRecordIndex(r), rowOf(r)) << r;
}

// Runs of insertions and deletions between two reads of the rows, next to one another (an
// insertion just above the last, a deletion just below it) or anywhere, in record order and
// sorted: the rows read are those of the records held, as the shifts in between compose.
TEST_F(RowDeltaCases, RunsOfShiftsBetweenReadsGiveTheRecordsHeld) {
  AddItems({IntType()});
  const Integer n = 60;
  std::vector<Integer> values;
  c_->BeginUpdate();
  c_->SetRecordCount(n);
  for (Integer r = 0; r < n; ++r) {
    values.push_back((r * 37) % n * 10);
    c_->SetValue(r, 0, values.back());
  }
  c_->EndUpdate();
  std::mt19937 gen(29);
  auto pick = [&](Integer AFew) { return Integer(gen() % unsigned(AFew)); };
  Integer next = 1, last = n / 2;
  // In record order, then through a filter, then sorted.
  for (Integer view = 0; view < 3; ++view) {
    SCOPED_TRACE("view " + IntToStr(view));
    const bool filtered = view == 1, sorted = view == 2;
    if (filtered) {
      c_->Filter()->Root()->AddItem(items_[0].get(), foGreater, 100, "100");
      c_->Filter()->SetActive(true);
    }
    if (sorted) {
      c_->Filter()->SetActive(false);
      c_->ChangeSortingOrder(0, soAscending);
    }
    for (Integer round = 0; round < 60; ++round) {
      SCOPED_TRACE("round " + IntToStr(round));
      for (Integer k = pick(12); k >= 0; --k) {
        const Integer count = Integer(values.size());
        switch (pick(4)) {
          case 0:  // just above the last place, or anywhere
          case 1: {
            const Integer at =
                pick(3) == 0 ? pick(count + 1) : std::clamp<Integer>(last - pick(2), 0, count);
            const Integer r = c_->InsertRecord(at);
            c_->SetValue(r, 0, next * 10 + 5);
            values.insert(values.begin() + at, next++ * 10 + 5);
            last = at;
            break;
          }
          default: {
            if (count < 20) break;
            const Integer at =
                pick(3) == 0 ? pick(count) : std::clamp<Integer>(last + pick(3) - 1, 0, count - 1);
            c_->DeleteRecord(at);
            values.erase(values.begin() + at);
            last = at;
            break;
          }
        }
      }
      std::vector<Integer> want;
      for (size_t i = 0; i < values.size(); ++i)
        if (!filtered || values[i] > 100) want.push_back(Integer(i));
      if (sorted)
        std::sort(want.begin(), want.end(),
                  [&](Integer A, Integer B) { return values[size_t(A)] < values[size_t(B)]; });
      ASSERT_EQ(Rows(), want);
    }
  }
}
