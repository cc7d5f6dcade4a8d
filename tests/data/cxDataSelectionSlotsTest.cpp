// A selection of a descendant class that keeps a list in parallel with its entries: every
// path that changes the selection must reach it through the insert, delete and clear it
// overrides, or the two lists part.
#include "DataControllerTestSupport.h"

#include <string>

using V = std::vector<Integer>;
using enum TcxDataSortOrder;

namespace {

struct ShadowSelection : TcxDataSelection {
  using TcxDataSelection::TcxDataSelection;
  V Shadow;  // the record or group index of each entry, kept only through the slots
  std::vector<std::string> Log;
  bool InStep() const {
    if (Integer(Shadow.size()) != Count()) return false;
    for (Integer i = 0; i < Count(); ++i)
      if (Shadow[size_t(i)] != Items(i).Index) return false;
    return true;
  }
  V Records() const {
    V r;
    for (Integer i = 0; i < Count(); ++i) r.push_back(Items(i).Index);
    return r;
  }
  V RowsOf() const {
    V r;
    for (Integer i = 0; i < Count(); ++i) r.push_back(Items(i).RowIndex);
    return r;
  }

 protected:
  void InternalAdd(Integer AIndex, Integer ARowIndex, Integer AKind, Integer ARecordOrGroupIndex) override {
    Log.push_back("add " + std::to_string(AIndex));
    const size_t at = AIndex < 0 || AIndex >= Count() ? Shadow.size() : size_t(AIndex);
    Shadow.insert(Shadow.begin() + Integer(at), ARecordOrGroupIndex);
    TcxDataSelection::InternalAdd(AIndex, ARowIndex, AKind, ARecordOrGroupIndex);
  }
  void InternalDelete(Integer AIndex) override {
    Log.push_back("delete " + std::to_string(AIndex));
    Shadow.erase(Shadow.begin() + AIndex);
    TcxDataSelection::InternalDelete(AIndex);
  }
  void InternalClear() override {
    Log.push_back("clear");
    Shadow.clear();
    TcxDataSelection::InternalClear();
  }
};

struct ShadowController : TcxDataController {
  using TcxDataController::TcxDataController;
  TcxDataSelectionClass GetDataSelectionClass() const override {
    return ClassOf<ShadowSelection, TcxDataSelection, TcxCustomDataController*>();
  }
};

struct DropRecord : TObject {
  Integer Out = -1;
  void Run(TcxCustomDataController*, Integer ARecordIndex, bool& Accept) { Accept = ARecordIndex != Out; }
};

class SelectionSlots : public ControllerTest {
 protected:
  TcxCustomDataController* Make() override { return New<ShadowController>(nullptr); }
  // Records 0..7: 10 A, 20 A, 30 B, 40 B, 50 A, 60 B, 70 A, 80 B.
  void SetUp() override {
    ControllerTest::SetUp();
    AddItems({IntType(), StrType()});
    Fill({{10, "A"}, {20, "A"}, {30, "B"}, {40, "B"}, {50, "A"}, {60, "B"}, {70, "A"}, {80, "B"}});
    c_->SetMultiSelect(true);
    S()->Log.clear();
  }
  ShadowSelection* S() const { return dynamic_cast<ShadowSelection*>(c_->DataControllerInfo()->Selection()); }
  // The log since the last call.
  std::vector<std::string> Took() {
    std::vector<std::string> r;
    r.swap(S()->Log);
    return r;
  }
};

using L = std::vector<std::string>;

}  // namespace

TEST_F(SelectionSlots, SelectRangeDeselectAndClearGoThroughTheSlots) {
  ASSERT_NE(S(), nullptr);
  c_->ChangeRowSelection(5, true);
  EXPECT_EQ(Took(), L({"add 0"}));
  // Extending past the last entry inserts in place.
  c_->SelectRows(6, 7);
  EXPECT_EQ(Took(), L({"add 1", "add 2"}));
  // Three rows before three entries: laid down again rather than shifting the tail thrice.
  c_->SelectRows(2, 0);
  EXPECT_EQ(Took(), L({"clear", "add -1", "add -1", "add -1", "add -1", "add -1", "add -1"}));
  EXPECT_EQ(S()->Records(), V({0, 1, 2, 5, 6, 7}));
  EXPECT_TRUE(S()->InStep());
  // One row inside the entries: a single insertion at its place.
  c_->SelectRows(3, 3);
  EXPECT_EQ(Took(), L({"add 3"}));
  c_->SetSelectionAnchor(3);
  c_->ChangeRowSelection(3, false);
  EXPECT_EQ(Took(), L({"delete 3"}));
  EXPECT_EQ(c_->GetSelectionAnchorRowIndex(), -1);  // its entry went
  c_->ClearSelection();
  EXPECT_EQ(Took(), L({"clear"}));
  EXPECT_EQ(S()->Count(), 0);
  EXPECT_TRUE(S()->InStep());
}

TEST_F(SelectionSlots, RebuildsThatReorderOrDropRowsGoThroughTheSlots) {
  for (Integer row : {1, 3, 4, 6}) c_->ChangeRowSelection(row, true);
  Took();
  // Reversed order: the entries follow their records to rows 6, 4, 3, 1, re-laid in row order.
  c_->ChangeSortingOrder(0, soDescending);
  EXPECT_EQ(S()->Records(), V({6, 4, 3, 1}));
  EXPECT_EQ(S()->RowsOf(), V({1, 3, 4, 6}));
  EXPECT_EQ(Took().front(), "clear");
  EXPECT_TRUE(S()->InStep());
  // Record 4 filtered out: its entry alone is deleted, the others keep their places.
  DropRecord f;
  f.Out = 4;
  c_->OnFilterRecord = TcxDataFilterRecordEvent(&f, &DropRecord::Run);
  c_->RefreshView();
  EXPECT_EQ(Took(), L({"delete 1"}));
  EXPECT_EQ(S()->Records(), V({6, 3, 1}));
  EXPECT_EQ(S()->RowsOf(), V({1, 3, 5}));  // 7 6 5 3 2 1 0
  EXPECT_TRUE(S()->InStep());
  // A selected group row comes back after a re-sort through the slots as well.
  c_->ClearSelection();
  c_->Groups()->ChangeGrouping(1, 0);
  c_->Groups()->FullCollapse();
  Took();
  c_->ChangeRowSelection(1, true);
  Took();
  c_->ChangeSortingOrder(0, soAscending);
  EXPECT_TRUE(c_->IsRowSelected(1));
  EXPECT_EQ(S()->Count(), 1);
  EXPECT_EQ(Took().front(), "add -1");  // the remembered group, under its new index
  EXPECT_TRUE(S()->InStep());
  // Focusing the top row after a re-sort clears the selection through the slot too (after
  // the group came back).
  c_->SetOptions(c_->Options() + TcxDataControllerOptions{TcxDataControllerOption::dcoFocusTopRowAfterSorting});
  Took();
  c_->ChangeSortingOrder(0, soDescending);
  EXPECT_EQ(S()->Count(), 0);
  EXPECT_EQ(Took(), L({"add -1", "clear"}));
  EXPECT_TRUE(S()->InStep());
}

TEST_F(SelectionSlots, ResizeGoesThroughTheSlots) {
  S()->Resize(3);
  EXPECT_EQ(Took(), L({"add -1", "add -1", "add -1"}));
  EXPECT_EQ(S()->RowsOf(), V({0, 1, 2}));
  S()->SetAnchorRowIndex(2);
  S()->Resize(1);
  EXPECT_EQ(Took(), L({"delete 2", "delete 1"}));
  EXPECT_EQ(S()->AnchorRowIndex(), -1);
  EXPECT_TRUE(S()->InStep());
}
