// A data-set controller with smart refresh keeps its rows up to date record by record: a
// posted edit, an insert and a delete move only the rows they touch. Two twin controllers
// over twin data sets take the same seeded random edits, inserts and deletes under random
// sorts, groupings and filters; one of them has a filter handler, which makes every rebuild
// weigh each record. Rows, groups, focus, selection, summaries and notifications must agree
// after every step, and a fresh controller over the data set must show the same records
// and read the same bookmarks for them.
#include "tests/databinding/DBDataTestSupport.h"

#include "widgets/data/cxDataControllerInfo.h"
#include "widgets/data/cxDataSummary.h"
#include "widgets/data/cxFilter.h"

#include <algorithm>
#include <functional>
#include <map>
#include <random>
#include <sstream>
#include <string>

using enum TFieldType;
using enum TcxDataSortOrder;
using enum TcxFilterOperatorKind;

namespace {

// Counts the filter verdicts it is asked for: a rebuild of every record asks one per record.
class TCountingDBController : public TcxDBDataController {
  TL_CLASS(TCountingDBController, TcxDBDataController)
 public:
  using TcxDBDataController::TcxDBDataController;
  bool DoFilterCriteriaRecord(Integer ARecordIndex) const override {
    ++Verdicts;
    return inherited::DoFilterCriteriaRecord(ARecordIndex);
  }
  // The counting changes no verdict and no order.
  bool RowsFollowRecordValues() const override { return true; }
  mutable Integer Verdicts = 0;
};

struct TwinLog : TObject {
  std::vector<std::string> Lines;
  Integer Asked = 0;
  void Update(TcxUpdateControlInfo* AInfo) { Lines.push_back(AInfo->ClassName()); }
  void DataChanged(TcxCustomDataController*) { Lines.push_back("data"); }
  void AcceptAll(TcxCustomDataController*, Integer, bool& AAccept) {
    ++Asked;
    AAccept = true;
  }
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
  return std::string(VarToStr(V));
}

class DBRowDelta : public DBDataTest {
 protected:
  struct Twin {
    TMemoryDataSet* DataSet = nullptr;
    TDataSource* Source = nullptr;
    Owned<TcxDBDataController> C;
    TwinLog Log;
  };

  void SetUp() override {
    DBDataTest::SetUp();
    for (Twin* t : {&delta_, &rebuilt_}) {
      t->DataSet = MakeTestDataSet(Owner.get(),
                                   {{"ID", ftAutoInc}, {"NAME", ftString, 20}, {"V", ftInteger}});
      for (Integer i = 1; i <= 60; ++i)
        t->DataSet->AddRecord({i, String(kNames[i % 7]), Integer((i * 7919) % 5)});
      t->DataSet->Open();
      t->Source = New<TDataSource>(Owner.get());
      t->Source->SetDataSet(t->DataSet);
      if (t == &delta_)
        t->C.reset(New<TCountingDBController>(nullptr));
      else
        t->C.reset(New<TcxDBDataController>(nullptr));
      AddItems(t->C.get(), {"ID", "NAME", "V"});
      t->C->SetKeyFieldNames("ID");
      t->C->DataModeController()->SetSmartRefresh(true);
      t->C->SetMultiSelect(true);
      t->C->Summary()->FooterSummaryItems()->Add(t->C->GetItem(2), TcxSummaryPosition::spFooter,
                                                 TcxSummaryKind::skSum);
      t->C->Summary()->DefaultGroupSummaryItems()->Add(
          t->C->GetItem(1), TcxSummaryPosition::spGroup, TcxSummaryKind::skMax);
      t->C->SetDataSource(t->Source);
      t->C->OnUpdateControl = TcxUpdateControlEvent(&t->Log, &TwinLog::Update);
      t->C->OnDataChanged = TcxDataControllerNotifyEvent(&t->Log, &TwinLog::DataChanged);
    }
    rebuilt_.C->OnFilterRecord = TcxDataFilterRecordEvent(&rebuilt_.Log, &TwinLog::AcceptAll);
  }
  void TearDown() override {
    delta_.C.reset();
    rebuilt_.C.reset();
    DBDataTest::TearDown();
  }

  static constexpr const char* kNames[7] = {"ash", "Birch", "birch", "cedar", "elm", "", "fir"};
  Integer Pick(Integer ACount) { return ACount > 0 ? Integer(gen_() % unsigned(ACount)) : 0; }

  std::string NewView() {
    const unsigned sort = gen_() % 4, group = gen_() % 3, filter = gen_() % 3;
    const bool saveExpanding = gen_() % 2;
    for (Twin* t : {&delta_, &rebuilt_}) {
      TcxDBDataController* c = t->C.get();
      c->BeginUpdate();
      c->ClearSorting(false);
      c->Groups()->ClearGrouping();
      if (sort == 1) c->ChangeSortingOrder(1, soAscending);
      if (sort == 2) c->ChangeSortingOrder(2, soDescending);
      if (sort == 3) {
        c->ChangeSortingOrder(2, soAscending);
        c->ChangeSortingOrder(1, soDescending);
      }
      if (group > 0) c->ChangeItemGroupIndex(group == 1 ? 2 : 1, 0);
      TcxDataControllerOptions options = c->Options();
      if (saveExpanding)
        options.Include(TcxDataControllerOption::dcoSaveExpanding);
      else
        options.Exclude(TcxDataControllerOption::dcoSaveExpanding);
      c->SetOptions(options);
      c->Filter()->Clear();
      if (filter == 1) c->Filter()->Root()->AddItem(c->GetItem(2), foLessEqual, 2, "2");
      if (filter == 2) c->Filter()->Root()->AddItem(c->GetItem(1), foNotEqual, "elm", "elm");
      c->Filter()->SetActive(filter != 0);
      c->EndUpdate();
    }
    std::ostringstream what;
    what << "view: sort " << sort << " group " << group << " filter " << filter << " save "
         << saveExpanding;
    return what.str();
  }

  std::string Step() {
    const Integer rows = delta_.C->GetRowCount();
    const unsigned kind = gen_() % 10;
    const Integer row = Pick(rows);
    const String name = kNames[gen_() % 7];
    const Integer v = Integer(gen_() % 6);
    const bool post = gen_() % 5 != 0;
    std::ostringstream what;
    std::function<void(TcxDBDataController*)> op;
    if (kind < 5 && rows > 0) {
      const Integer item = gen_() % 2 ? 1 : 2;
      what << "edit row " << row << " item " << item << (post ? " posted" : " cancelled");
      op = [=](TcxDBDataController* c) {
        c->ChangeFocusedRowIndex(row);
        c->Edit();
        c->SetEditValue(item, item == 1 ? Variant(name) : Variant(v),
                        TcxDataEditValueSource::evsValue);
        post ? c->PostEditing() : c->Cancel();
      };
    } else if (kind < 7) {
      const bool append = gen_() % 2;
      what << (append ? "append" : "insert") << " at row " << row
           << (post ? " posted" : " cancelled");
      op = [=](TcxDBDataController* c) {
        if (rows > 0) c->ChangeFocusedRowIndex(row);
        append ? c->Append() : c->Insert();
        c->SetEditValue(1, Variant(name), TcxDataEditValueSource::evsValue);
        c->SetEditValue(2, Variant(v), TcxDataEditValueSource::evsValue);
        post ? c->PostEditing() : c->Cancel();
      };
    } else if (kind < 9 && rows > 0 && delta_.C->GetGroupingItemCount() == 0 &&
               batches_() % 3 == 0) {
      // Several records at once: the rows of the selected ones close up together. Drawn
      // apart, so that the other steps stay what they were.
      std::vector<Integer> selected{row};
      for (Integer k = 1 + Integer(batches_() % 9); k > 0; --k)
        selected.push_back(Integer(batches_() % unsigned(rows)));
      what << "delete the selection with rows";
      for (Integer r : selected) what << " " << r;
      op = [=](TcxDBDataController* c) {
        for (Integer r : selected) c->ChangeRowSelection(r, true);
        c->DeleteSelection();
      };
    } else if (kind < 9 && rows > 0) {
      what << "delete row " << row;
      op = [=](TcxDBDataController* c) {
        c->ChangeFocusedRowIndex(row);
        c->DeleteFocused();
      };
    } else if (rows > 0) {
      const bool on = gen_() % 3 != 0;
      what << (on ? "select row " : "unselect row ") << row;
      op = [=](TcxDBDataController* c) { c->ChangeRowSelection(row, on); };
    } else {
      what << "nothing";
      op = [](TcxDBDataController*) {};
    }
    auto* counting = static_cast<TCountingDBController*>(delta_.C.get());
    const Integer before = counting->Verdicts;
    for (Twin* t : {&delta_, &rebuilt_}) op(t->C.get());
    lastVerdicts_ = counting->Verdicts - before;
    return what.str();
  }

  // Several rows selected and their records deleted at once, the same on both twins: a few
  // or more, apart or in a run. Drawn apart from the other steps.
  std::string DeleteSeveral() {
    const Integer rows = delta_.C->GetRowCount();
    if (rows < 2) return "nothing";
    const Integer want =
        std::min(rows, batches_() % 2 ? 2 + Integer(batches_() % 7) : 9 + Integer(batches_() % 12));
    std::vector<Integer> selected;
    if (batches_() % 3 == 0) {
      const Integer first = Integer(batches_() % unsigned(rows - want + 1));
      for (Integer r = first; r < first + want; ++r) selected.push_back(r);
    } else {
      for (Integer k = 0; k < want; ++k) selected.push_back(Integer(batches_() % unsigned(rows)));
    }
    std::ostringstream what;
    what << "delete the selection with rows";
    for (Integer r : selected) what << " " << r;
    auto* counting = static_cast<TCountingDBController*>(delta_.C.get());
    const Integer before = counting->Verdicts;
    for (Twin* t : {&delta_, &rebuilt_}) {
      for (Integer r : selected) t->C->ChangeRowSelection(r, true);
      t->C->DeleteSelection();
    }
    lastVerdicts_ = counting->Verdicts - before;
    return what.str();
  }

  // Records appended through both twins, known by ID meanwhile, up to 60.
  void Refill(const String& AKeys) {
    for (Twin* t : {&delta_, &rebuilt_}) t->C->SetKeyFieldNames("ID");
    while (delta_.C->GetRecordCount() < 60)
      for (Twin* t : {&delta_, &rebuilt_}) {
        TcxDBDataController* c = t->C.get();
        c->Append();
        c->SetEditValue(1, Variant(String(kNames[refills_ % 7])), TcxDataEditValueSource::evsValue);
        c->SetEditValue(2, refills_ % 4 == 0 ? Null() : Variant(Integer(refills_ % 5)),
                        TcxDataEditValueSource::evsValue);
        c->PostEditing();
        if (t == &rebuilt_) ++refills_;
      }
    for (Twin* t : {&delta_, &rebuilt_}) t->C->SetKeyFieldNames(AKeys);
  }

  std::string Differences() {
    std::ostringstream d;
    TcxDBDataController* a = delta_.C.get();
    TcxDBDataController* b = rebuilt_.C.get();
    if (a->GetRecordCount() != b->GetRecordCount()) return "record count";
    if (a->GetRowCount() != b->GetRowCount()) return "row count";
    for (Integer row = 0; row < a->GetRowCount(); ++row) {
      const TcxRowInfo x = a->GetRowInfo(row), y = b->GetRowInfo(row);
      if (x.Level != y.Level || x.Expanded != y.Expanded || x.RecordIndex != y.RecordIndex) {
        d << "row " << row << " ";
        break;
      }
    }
    for (Integer r = 0; r < a->GetRecordCount(); ++r)
      for (Integer i = 0; i < 3; ++i)
        if (Shown(a->GetItemValue(r, i)) != Shown(b->GetItemValue(r, i))) {
          d << "record " << r << " ";
          r = a->GetRecordCount();
          break;
        }
    TcxCustomDataControllerInfo* ia = a->DataControllerInfo();
    TcxCustomDataControllerInfo* ib = b->DataControllerInfo();
    for (Integer r = 0; r < a->GetRecordCount(); ++r)
      if (ia->GetFilteredIndexByRecordIndex(r) != ib->GetFilteredIndexByRecordIndex(r)) {
        d << "position of record " << r << " ";
        break;
      }
    if (ia->Groups()->Count() != ib->Groups()->Count()) d << "groups ";
    for (Integer g = 0; g < std::min(ia->Groups()->Count(), ib->Groups()->Count()); ++g)
      if (Shown(ia->Groups()->Items(g).SummaryValues) !=
              Shown(ib->Groups()->Items(g).SummaryValues) ||
          ia->Groups()->Items(g).Expanded != ib->Groups()->Items(g).Expanded) {
        d << "group " << g << " ";
        break;
      }
    if (a->GetFocusedRowIndex() != b->GetFocusedRowIndex()) d << "focused row ";
    if (a->GetFocusedRecordIndex() != b->GetFocusedRecordIndex()) d << "focused record ";
    if (a->GetSelectedCount() != b->GetSelectedCount()) d << "selected count ";
    for (Integer i = 0; i < std::min(a->GetSelectedCount(), b->GetSelectedCount()); ++i)
      if (a->GetSelectedRowIndex(i) != b->GetSelectedRowIndex(i)) {
        d << "selected " << i << " ";
        break;
      }
    if (Shown(a->Summary()->GetFooterSummaryValue(0)) !=
        Shown(b->Summary()->GetFooterSummaryValue(0)))
      d << "footer ";
    if (delta_.Log.Lines != rebuilt_.Log.Lines) d << "notifications ";
    if (delta_.DataSet->RecordCount() != rebuilt_.DataSet->RecordCount()) d << "data set ";
    return d.str();
  }

  // The records a fresh controller given the view shows, against the twin's. Binding it
  // reads the twin's data set, which the twin hears of: both twins get one.
  std::string AgainstFresh() {
    const std::string d = AgainstFresh(delta_);
    return AgainstFresh(rebuilt_) + d;
  }
  std::string AgainstFresh(Twin& ATwin) {
    TcxDBDataController* a = ATwin.C.get();
    Owned<TcxDBDataController> fresh(New<TcxDBDataController>(nullptr));
    AddItems(fresh.get(), {"ID", "NAME", "V"});
    fresh->SetKeyFieldNames("ID");
    fresh->BeginUpdate();
    for (Integer i = 0; i < a->GetSortingItemCount(); ++i)
      for (Integer item = 0; item < 3; ++item)
        if (a->GetItemSortingIndex(item) == i)
          fresh->ChangeSortingOrder(item, a->GetItemSortOrder(item));
    for (Integer l = 0; l < a->GetGroupingItemCount(); ++l)
      fresh->ChangeItemGroupIndex(a->GetGroupingItemIndex(l), l);
    fresh->SetDataSource(ATwin.Source);
    fresh->EndUpdate();
    fresh->Filter()->Assign(a->Filter());
    // The storage keeps new records last where the data set put them elsewhere: the
    // records shown are compared, their order is the twins' test.
    auto keys = [](TcxDBDataController* c) {
      std::vector<Integer> r;
      TcxCustomDataControllerInfo* info = c->DataControllerInfo();
      for (Integer i = 0; i < info->GetFilteredRecordCount(); ++i)
        r.push_back(c->GetItemValue(info->GetFilteredRecordIndex(i), 0).AsInteger());
      std::sort(r.begin(), r.end());
      return r;
    };
    auto stored = [](TcxDBDataController* c) {
      std::vector<Integer> r;
      for (Integer i = 0; i < c->GetRecordCount(); ++i)
        r.push_back(VarIsNull(c->GetItemValue(i, 0)) ? -1 : c->GetItemValue(i, 0).AsInteger());
      std::sort(r.begin(), r.end());
      return r;
    };
    // The bookmark each record keeps is the one a fresh read gives the record of its key.
    auto bookmarks = [](TcxDBDataController* c) {
      std::map<Integer, TBookmarkStr> r;
      for (Integer i = 0; i < c->GetRecordCount(); ++i)
        if (!VarIsNull(c->GetItemValue(i, 0)))
          r[c->GetItemValue(i, 0).AsInteger()] = c->DBProvider()->RecordBookmark(i);
      return r;
    };
    const std::map<Integer, TBookmarkStr> kept = bookmarks(a), read = bookmarks(fresh.get());
    for (const auto& [key, mark] : kept)
      if (!mark.empty() && (!read.count(key) || read.at(key) != mark))
        return "bookmark of record " + std::to_string(key);
    if (stored(a) != stored(fresh.get())) return "records stored";
    return keys(a) == keys(fresh.get()) ? "" : "records shown";
  }

  std::mt19937 gen_{7321};
  std::mt19937 batches_{4409};
  Integer refills_ = 0;
  Integer lastVerdicts_ = 0;
  Twin delta_, rebuilt_;
};

}  // namespace

TL_DEFINE_CLASS(TCountingDBController)

TEST_F(DBRowDelta, PostsInsertsAndDeletesGiveWhatARebuildGives) {
  std::string history;
  Integer weighedAlone = 0, weighedAll = 0;
  for (int view = 0; view < 24; ++view) {
    history = NewView();
    ASSERT_EQ(Differences(), "") << history;
    for (int step = 0; step < 25; ++step) {
      const std::string what = Step();
      history += "\n" + what;
      ASSERT_EQ(Differences(), "") << history;
      // A posted edit of an unfiltered view's record asks for its verdict alone.
      if (delta_.C->IsFiltering() && what.find("edit") == 0 &&
          what.find("posted") != std::string::npos) {
        if (lastVerdicts_ <= 2)
          ++weighedAlone;
        else
          ++weighedAll;
      }
      ASSERT_EQ(AgainstFresh(), "") << history;
    }
  }
  // Most posted edits were placed alone (those changing the groups were not).
  EXPECT_GT(weighedAlone, 2 * weighedAll);
  EXPECT_GT(weighedAlone, 20) << weighedAll;
}

// Several selected records deleted at once under sorted, grouped and filtered views, the
// records known by a key of their own, by one shared with others or by none (Null): the
// twins agree after every step and with a fresh controller, and where no group changes the
// rows take the deletion without weighing any record.
TEST_F(DBRowDelta, SeveralSelectedRecordsDeletedAtOnceGiveWhatARebuildGives) {
  std::string history;
  Integer weighedAlone = 0, weighedAll = 0, grouped = 0;
  for (const char* keys : {"ID", "V", "NAME;V"})
    for (int view = 0; view < 12; ++view) {
      SCOPED_TRACE(keys);
      Refill(keys);
      history = NewView();
      ASSERT_EQ(Differences(), "") << history;
      for (int step = 0; step < 6; ++step) {
        const std::string what = DeleteSeveral();
        history += "\n" + what;
        ASSERT_EQ(Differences(), "") << history;
        ASSERT_EQ(AgainstFresh(), "") << history;
        if (delta_.C->GetGroupingItemCount() > 0)
          ++grouped;
        else if (delta_.C->IsFiltering())
          (lastVerdicts_ == 0 ? weighedAlone : weighedAll)++;
      }
    }
  EXPECT_GT(grouped, 30);
  EXPECT_GT(weighedAlone, 3 * weighedAll);
  EXPECT_GT(weighedAlone, 20) << weighedAll;
}

// Grouped rows cannot take several records out: the groups are built again and keep their
// expanding (dcoSaveExpanding), each group its own, found by the values the records had
// before they went.
TEST_F(DBRowDelta, SeveralRecordsDeletedFromGroupsKeepTheirExpanding) {
  TcxDBDataController* c = delta_.C.get();
  TcxDataControllerOptions options = c->Options();
  options.Include(TcxDataControllerOption::dcoSaveExpanding);
  c->SetOptions(options);
  c->ChangeItemGroupIndex(2, 0);
  ASSERT_EQ(c->DataControllerInfo()->Groups()->Count(), 5);
  c->Groups()->FullExpand();
  // The second group collapsed; two records of the first and one of the third selected.
  const Integer second = c->DataControllerInfo()->Groups()->Items(1).RowIndex;
  c->Groups()->ChangeExpanding(second, false, false);
  for (Integer row : {1, 2, second + 2}) c->ChangeRowSelection(row, true);
  c->DeleteSelection();
  ASSERT_EQ(c->GetRecordCount(), 57);
  std::vector<bool> expanded;
  for (Integer g = 0; g < c->DataControllerInfo()->Groups()->Count(); ++g)
    expanded.push_back(c->DataControllerInfo()->Groups()->Items(g).Expanded);
  EXPECT_EQ(expanded, (std::vector<bool>{true, false, true, true, true}));
}
