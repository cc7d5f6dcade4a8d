// A data controller freed by one of its own handlers: whatever the change that ran the
// handler, nothing after it touches the controller. The sanitizer build sees any use of
// freed memory; every build checks that the handler ran once and freed the controller.
#include "DataControllerTestSupport.h"
#include "widgets/data/cxDataFind.h"
#include "widgets/data/cxDataProvider.h"
#include "widgets/data/cxDataSummary.h"

#include <functional>
#include <string>
#include <vector>

namespace {

struct TFreer : TObject {
  TcxCustomDataController* Victim = nullptr;
  int Runs = 0;
  void FreeVictim() {
    ++Runs;
    TcxCustomDataController* v = Victim;
    Victim = nullptr;
    if (v) v->Free();
  }
  void DataChanged(TcxCustomDataController*) { FreeVictim(); }
  void RecordChanged(TcxCustomDataController*, Integer, Integer) { FreeVictim(); }
  void Filter(TcxCustomDataController*, Integer, bool& Accept) {
    Accept = true;
    FreeVictim();
  }
  void Listener(TObject*) { FreeVictim(); }
  void Compare(TcxCustomDataController*, Integer, Integer, Integer, const Variant& V1, const Variant& V2,
               Integer& ACompare) {
    ACompare = V1 < V2 ? -1 : V2 < V1 ? 1 : 0;
    if (Victim) FreeVictim();
  }
  void Summary(TcxDataSummaryItems*, const TcxSummaryEventArguments&, TcxSummaryEventOutArguments&) {
    if (Victim) FreeVictim();
  }
  void AfterSummary(TcxDataSummary*) {
    if (Victim) FreeVictim();
  }
};

using Hook = std::function<void(TcxCustomDataController*, TFreer*)>;
using Op = std::function<void(TcxCustomDataController*)>;

class FreedByHandler : public ControllerTest {
 protected:
  // Hooks the handler after APrepare, then runs the steps while the controller lives.
  void Expect(const Hook& AHook, const Op& APrepare, const std::vector<Op>& ASteps, const std::string& AWhat) {
    c_.reset(Make());
    items_.clear();
    AddItems({IntType(), StrType()});
    Fill({{3, "c"}, {1, "a"}, {2, "b"}, {5, "e"}, {4, "d"}});
    if (APrepare) APrepare(c_.get());
    TcxCustomDataController* c = c_.release();
    TFreer freer;
    freer.Victim = c;
    TWeakLink link(c);
    AHook(c, &freer);
    for (const Op& step : ASteps)
      if (link.Alive()) step(c);
    EXPECT_FALSE(link.Alive()) << AWhat;
    EXPECT_EQ(freer.Runs, 1) << AWhat;
    if (link.Alive()) c->Free();
  }
};

TEST_F(FreedByHandler, EveryChangeStopsOnceTheControllerIsGone) {
  const std::pair<Hook, const char*> hooks[] = {
      {[](TcxCustomDataController* c, TFreer* f) { c->OnDataChanged = {f, &TFreer::DataChanged}; }, "OnDataChanged"},
      {[](TcxCustomDataController* c, TFreer* f) { c->OnRecordChanged = {f, &TFreer::RecordChanged}; },
       "OnRecordChanged"},
      {[](TcxCustomDataController* c, TFreer* f) { c->OnFilterRecord = {f, &TFreer::Filter}; }, "OnFilterRecord"},
      {[](TcxCustomDataController* c, TFreer* f) { c->AddNotifyEventItem(f, {f, &TFreer::Listener}); },
       "a listener"},
  };
  const Op sorted = [](TcxCustomDataController* c) { c->ChangeSortingOrder(0, TcxDataSortOrder::soAscending); };
  const Op focusSecond = [](TcxCustomDataController* c) { c->ChangeFocusedRowIndex(1); };
  struct Case {
    const char* Name;
    Op Prepare;
    std::vector<Op> Steps;
    bool Record;  // tells of one record, so OnRecordChanged runs
  };
  const Case ops[] = {
      {"SetValue", nullptr, {[](TcxCustomDataController* c) { c->SetValue(1, 0, 9); }}, true},
      {"SetValue sorted", sorted, {[](TcxCustomDataController* c) { c->SetValue(1, 0, 9); }}, true},
      {"a bracket's end",
       nullptr,
       {[](TcxCustomDataController* c) { c->BeginUpdate(); }, [](TcxCustomDataController* c) { c->SetValue(2, 1, "z"); },
        [](TcxCustomDataController* c) { c->EndUpdate(); }},
       true},
      {"SetRecordCount", nullptr, {[](TcxCustomDataController* c) { c->SetRecordCount(8); }}, false},
      {"AppendRecord", nullptr, {[](TcxCustomDataController* c) { c->AppendRecord(); }}, false},
      {"DeleteRecord", nullptr, {[](TcxCustomDataController* c) { c->DeleteRecord(0); }}, false},
      {"DeleteRecords", sorted, {[](TcxCustomDataController* c) { c->DeleteRecords({0, 2}); }}, false},
      {"RefreshView", nullptr, {[](TcxCustomDataController* c) { c->RefreshView(); }}, false},
      {"editing",
       focusSecond,
       {[](TcxCustomDataController* c) { c->Edit(); },
        [](TcxCustomDataController* c) { c->SetEditValue(1, "y", TcxDataEditValueSource::evsValue); },
        [](TcxCustomDataController* c) { c->PostEditing(); }},
       true},
      {"appending",
       nullptr,
       {[](TcxCustomDataController* c) { c->Append(); },
        [](TcxCustomDataController* c) { c->SetEditValue(0, 7, TcxDataEditValueSource::evsValue); },
        [](TcxCustomDataController* c) { c->PostEditing(); }},
       false},
  };
  for (const auto& [hook, event] : hooks)
    for (const Case& op : ops) {
      if (std::string(event) == "OnRecordChanged" && !op.Record) continue;
      Expect(hook, op.Prepare, op.Steps, std::string(event) + " from " + op.Name);
    }
}

// Handlers that run in the middle of a rebuild: a sort or grouping compare, a summary of
// each record, the note after the summaries. Each frees the controller the first time.
TEST_F(FreedByHandler, RebuildHandlersStopOnceTheControllerIsGone) {
  using enum TcxDataSortOrder;
  const Op sorted = [](TcxCustomDataController* c) { c->ChangeSortingOrder(0, soAscending); };
  const Op summed = [](TcxCustomDataController* c) {
    c->Summary()->FooterSummaryItems()->Add(c->GetItem(0), TcxSummaryPosition::spFooter, TcxSummaryKind::skSum);
  };
  const Hook compare = [](TcxCustomDataController* c, TFreer* f) { c->OnCompare = {f, &TFreer::Compare}; };
  const Hook summary = [](TcxCustomDataController* c, TFreer* f) {
    c->Summary()->FooterSummaryItems()->OnSummary = {f, &TFreer::Summary};
  };
  const Hook after = [](TcxCustomDataController* c, TFreer* f) { c->Summary()->OnAfterSummary = {f, &TFreer::AfterSummary}; };
  const std::vector<Op> changes[] = {
      {[](TcxCustomDataController* c) { c->SetValue(1, 0, 9); }},
      {[](TcxCustomDataController* c) { c->SetValue(1, 1, "x"); }},
      {[](TcxCustomDataController* c) { c->RefreshView(); }},
      {[](TcxCustomDataController* c) { c->SetRecordCount(7); }},
      {[](TcxCustomDataController* c) { c->DeleteRecord(2); }},
      {[](TcxCustomDataController* c) { c->BeginUpdate(); }, [](TcxCustomDataController* c) { c->SetValue(0, 0, 8); },
       [](TcxCustomDataController* c) { c->EndUpdate(); }},
  };
  for (size_t i = 0; i < std::size(changes); ++i) {
    const std::string n = " from change " + std::to_string(i);
    Expect(compare, sorted, changes[i], "OnCompare sorting" + n);
    Expect(compare, [&](TcxCustomDataController* c) { c->Groups()->ChangeGrouping(1, 0); }, changes[i], "OnCompare grouping" + n);
    Expect(summary, summed, changes[i], "OnSummary" + n);
    Expect(after, summed, changes[i], "OnAfterSummary" + n);
  }
  // The compare of a new sort order, and of a new grouping.
  Expect(compare, nullptr, {sorted}, "OnCompare on ChangeSortingOrder");
  Expect(compare, nullptr, {[](TcxCustomDataController* c) { c->Groups()->ChangeGrouping(1, 0); }}, "OnCompare on ChangeGrouping");
}

// A custom data source: item 0 a number, item 1 a text. Once armed, it frees its controller
// on the Countdown-th read of a value, a display text or its own compare.
struct TFreeingSource : TcxCustomDataSource {
  std::vector<std::pair<Integer, String>> Rows{{3, "c"}, {1, "a"}, {2, "b"}, {5, "e"}, {4, "d"}};
  TcxCustomDataController* Victim = nullptr;
  int Countdown = 0, Runs = 0, ReadsAfterFree = 0;
  bool Native = false;
  void Read() {
    if (!Victim) {
      if (Runs > 0) ++ReadsAfterFree;
      return;
    }
    if (--Countdown > 0) return;
    ++Runs;
    TcxCustomDataController* v = Victim;
    Victim = nullptr;
    v->Free();
  }
  Integer GetRecordCount() override { return Integer(Rows.size()); }
  Variant GetValue(TcxDataRecordHandle H, TcxDataItemHandle I) override {
    Read();
    const auto& row = Rows.at(size_t(H));
    return I == 0 ? Variant(row.first) : Variant(row.second);
  }
  String GetDisplayText(TcxDataRecordHandle H, TcxDataItemHandle I) override {
    Read();
    const auto& row = Rows.at(size_t(H));
    return I == 0 ? IntToStr(row.first) : row.second;
  }
  bool IsNativeCompare() override { return Native; }
  Integer NativeCompareFunc(TcxDataRecordHandle A, TcxDataRecordHandle B, TcxDataItemHandle) override {
    Read();
    return Rows.at(size_t(A)).first - Rows.at(size_t(B)).first;
  }
};

struct TTextSortedController : TcxDataController {
  using TcxDataController::TcxDataController;
  bool GetItemSortByDisplayText(Integer) const override { return true; }
};

// A custom data source read in the middle of a sort, a grouping or a summary frees the
// controller: the rebuild stops there, on the first, a middle or a late read.
TEST_F(FreedByHandler, ADataSourceFreeingTheControllerWhileARebuildReadsItEndsTheRebuild) {
  using enum TcxDataSortOrder;
  struct Case {
    const char* Name;
    bool Native, ByText;
    Op Change;
  };
  const Op sortNumbers = [](TcxCustomDataController* c) { c->ChangeSortingOrder(0, soAscending); };
  const Op sortTexts = [](TcxCustomDataController* c) { c->ChangeSortingOrder(1, soDescending); };
  const Case cases[] = {
      {"sorting by values", false, false, sortNumbers},
      {"sorting texts by values", false, false, sortTexts},
      {"sorting by the source's compare", true, false, sortNumbers},
      {"sorting by display texts", false, true, sortNumbers},
      {"grouping", false, false, [](TcxCustomDataController* c) { c->Groups()->ChangeGrouping(1, 0); }},
      {"a summary", false, false,
       [](TcxCustomDataController* c) {
         c->Summary()->FooterSummaryItems()->Add(c->GetItem(0), TcxSummaryPosition::spFooter, TcxSummaryKind::skSum);
       }},
  };
  for (const Case& k : cases)
    for (int countdown : {1, 3, 5}) {
      const std::string what = std::string(k.Name) + ", read " + std::to_string(countdown);
      Owned<TFreeingSource> source(New<TFreeingSource>());
      source->Native = k.Native;
      TcxCustomDataController* c =
          k.ByText ? static_cast<TcxCustomDataController*>(New<TTextSortedController>(nullptr)) : New<TcxDataController>(nullptr);
      std::vector<Owned<TestItem>> items;
      for (TcxValueTypeClass t : {IntType(), StrType()}) {
        items.emplace_back(New<TestItem>());
        c->AddItem(items.back().get());
        c->ChangeValueTypeClass(c->GetItemCount() - 1, t);
      }
      if (k.ByText) c->SetOptions(c->Options() + TcxDataControllerOptions{TcxDataControllerOption::dcoSortByDisplayText});
      c->SetCustomDataSource(source.get());
      ASSERT_TRUE(c->IsProviderMode()) << what;
      ASSERT_EQ(c->GetRecordCount(), 5) << what;
      TWeakLink link(c);
      source->Victim = c;
      source->Countdown = countdown;
      k.Change(c);
      EXPECT_FALSE(link.Alive()) << what;
      EXPECT_EQ(source->Runs, 1) << what;
      // Nothing read the source for a controller that is gone.
      EXPECT_EQ(source->ReadsAfterFree, 0) << what;
      if (link.Alive()) c->Free();
    }
}

// A search by field values compares every record with the values looked for: a compare
// handler or a data source that frees the controller ends it with nothing found, and the
// search's own record goes with the controller.
TEST_F(FreedByHandler, ASearchByFieldsStopsOnceACompareFreesTheController) {
  for (int countdown : {1, 3}) {
    // OnCompare over stored values.
    c_.reset(Make());
    items_.clear();
    AddItems({IntType(), StrType()});
    Fill({{3, "c"}, {1, "a"}, {2, "b"}, {5, "e"}, {4, "d"}});
    TcxCustomDataController* c = c_.release();
    TWeakLink link(c);
    int compares = 0;
    struct TCountingFreer : TFreer {
      int* Compares = nullptr;
      int Countdown = 0;
      void CompareThenFree(TcxCustomDataController* AController, Integer A, Integer B, Integer I, const Variant& V1,
                           const Variant& V2, Integer& ACompare) {
        ++*Compares;
        if (--Countdown == 0) {
          Compare(AController, A, B, I, V1, V2, ACompare);
        } else {
          ACompare = V1 < V2 ? -1 : V2 < V1 ? 1 : 0;
        }
      }
    } counting;
    counting.Victim = c;
    counting.Compares = &compares;
    counting.Countdown = countdown;
    c->OnCompare = {&counting, &TCountingFreer::CompareThenFree};
    {
      Owned<TcxDataControllerKeyLocateObject> locate(New<TcxDataControllerKeyLocateObject>(c));
      locate->KeyFields() = {c->GetItemField(0)};
      Owned<TcxValueDefUnboundReader> reader(New<TcxValueDefUnboundReader>());
      reader->SetValue(c->GetItemField(0), 4);  // the last record: every record is compared
      locate->ReadData(reader.get());
      EXPECT_EQ(locate->FindRecordIndex(), -1);
    }
    EXPECT_FALSE(link.Alive());
    EXPECT_EQ(counting.Runs, 1);
    EXPECT_EQ(compares, countdown);
    if (link.Alive()) c->Free();

    // A data source read by the search.
    Owned<TFreeingSource> source(New<TFreeingSource>());
    c = New<TcxDataController>(nullptr);
    items_.clear();
    for (TcxValueTypeClass t : {IntType(), StrType()}) {
      items_.emplace_back(New<TestItem>());
      c->AddItem(items_.back().get());
      c->ChangeValueTypeClass(c->GetItemCount() - 1, t);
    }
    c->SetCustomDataSource(source.get());
    TWeakLink sourced(c);
    {
      Owned<TcxDataControllerKeyLocateObject> locate(New<TcxDataControllerKeyLocateObject>(c));
      locate->KeyFields() = {c->GetItemField(1)};
      Owned<TcxValueDefUnboundReader> reader(New<TcxValueDefUnboundReader>());
      reader->SetValue(c->GetItemField(1), "d");
      locate->ReadData(reader.get());
      source->Victim = c;
      source->Countdown = countdown;
      EXPECT_EQ(locate->FindRecordIndex(), -1);
    }
    EXPECT_FALSE(sourced.Alive());
    EXPECT_EQ(source->Runs, 1);
    EXPECT_EQ(source->ReadsAfterFree, 0);
    if (sourced.Alive()) c->Free();
  }
}

}  // namespace
