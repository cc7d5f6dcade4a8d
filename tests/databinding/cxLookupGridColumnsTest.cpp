// The lookup grid's data side: sorting by header clicks (plain, Shift and Ctrl over two
// columns), changes gathered under one update bracket, column widths and their limits,
// the repository item a column shows through, the focused column, and a sort order that
// arrives before the column has a grid.
#include "tests/databinding/LookupGridTestSupport.h"

namespace {

using SO = TcxDataSortOrder;

// Counts the layout passes the grid runs.
class TCountingGrid : public TcxLookupGrid {
 public:
  using TcxLookupGrid::TcxLookupGrid;
  void RefreshLayout() override {
    ++Layouts;
    TcxLookupGrid::RefreshLayout();
  }
  int Layouts = 0;
};

class LookupGridColumns : public LookupGridTest {
 protected:
  void SetUp() override {
    LookupGridTest::SetUp();
    grid = MakeGrid({"A", "B"});
    Fill(grid, {{"b", "1"}, {"a", "2"}, {"b", "0"}, {"a", "1"}});
    Show();
  }
  std::vector<SO> Orders() const {
    return {grid->GetColumns()->GetItem(0)->GetSortOrder(), grid->GetColumns()->GetItem(1)->GetSortOrder()};
  }
  TcxLookupGrid* grid = nullptr;
};

TEST_F(LookupGridColumns, HeaderClicksCycleTheOrderAndShiftAndCtrlKeepOrDropOneColumn) {
  const TShiftState none{}, shift{TShiftStateItem::ssShift}, ctrl{TShiftStateItem::ssCtrl};
  grid->HeaderClick(0, none);
  EXPECT_EQ(Orders(), (std::vector<SO>{SO::soAscending, SO::soNone}));
  EXPECT_EQ(Order(grid), (std::vector<Integer>{1, 3, 0, 2}));
  grid->HeaderClick(1, shift);
  EXPECT_EQ(Orders(), (std::vector<SO>{SO::soAscending, SO::soAscending}));
  EXPECT_EQ(Order(grid), (std::vector<Integer>{3, 1, 2, 0}));
  // A plain click turns its own column round and drops the other's order.
  grid->HeaderClick(0, none);
  EXPECT_EQ(Orders(), (std::vector<SO>{SO::soDescending, SO::soNone}));
  EXPECT_EQ(Order(grid), (std::vector<Integer>{0, 2, 1, 3}));
  grid->HeaderClick(1, shift);
  EXPECT_EQ(Order(grid), (std::vector<Integer>{2, 0, 3, 1}));
  grid->HeaderClick(1, shift);
  EXPECT_EQ(Orders(), (std::vector<SO>{SO::soDescending, SO::soDescending}));
  // Ctrl drops only the clicked column's order.
  grid->HeaderClick(0, ctrl);
  EXPECT_EQ(Orders(), (std::vector<SO>{SO::soNone, SO::soDescending}));
  EXPECT_EQ(Order(grid), (std::vector<Integer>{1, 0, 3, 2}));
  grid->HeaderClick(1, none);
  EXPECT_EQ(Orders(), (std::vector<SO>{SO::soNone, SO::soAscending}));
  grid->HeaderClick(1, none);
  grid->HeaderClick(1, none);
  EXPECT_EQ(Orders(), (std::vector<SO>{SO::soNone, SO::soAscending}));
  EXPECT_EQ(Order(grid), (std::vector<Integer>{2, 0, 3, 1}));
}

TEST_F(LookupGridColumns, AHeaderPressWithAnyButtonSortsUnlessSortingIsOff) {
  const TRect header = grid->ViewInfo()->Columns()[1]->Bounds;
  const Integer x = (header.Left + header.Right) / 2, y = (header.Top + header.Bottom) / 2;
  host().Click(grid->Handle(), x, y, MouseButton::Right);
  Pump();
  EXPECT_EQ(Orders(), (std::vector<SO>{SO::soNone, SO::soAscending}));
  grid->GetColumns()->GetItem(1)->SetSorting(false);
  host().Click(grid->Handle(), x, y);
  Pump();
  EXPECT_EQ(Orders(), (std::vector<SO>{SO::soNone, SO::soAscending}));
  grid->GetColumns()->GetItem(1)->SetSorting(true);
  grid->GetOptions()->SetColumnSorting(false);
  grid->HeaderClick(1, {});
  grid->HeaderClick(-1, {});
  EXPECT_EQ(Orders(), (std::vector<SO>{SO::soNone, SO::soAscending}));
  grid->GetOptions()->SetColumnSorting(true);
  grid->HeaderClick(1, {});
  EXPECT_EQ(Orders(), (std::vector<SO>{SO::soNone, SO::soDescending}));
}

TEST_F(LookupGridColumns, TwoChangesInOneBracketGiveOneLayout) {
  auto* counting = New<TCountingGrid>(form);
  counting->SetParent(form);
  counting->GetColumns()->Add();
  Pump();
  counting->Layouts = 0;
  counting->GetColumns()->GetItem(0)->SetWidth(80);
  counting->GetOptions()->SetGridLines(TcxGridLines::glNone);
  EXPECT_EQ(counting->Layouts, 2);
  counting->Layouts = 0;
  counting->BeginUpdate();
  counting->GetColumns()->GetItem(0)->SetWidth(90);
  counting->GetOptions()->SetShowHeader(false);
  EXPECT_EQ(counting->Layouts, 0);
  EXPECT_TRUE(counting->PendingChanges().Contains(TcxLookupGridChange::lgcLayout));
  counting->EndUpdate();
  EXPECT_EQ(counting->Layouts, 1);
  EXPECT_EQ(counting->PendingChanges(), TcxLookupGridChanges{});
  // The columns' own bracket holds the grid too.
  counting->Layouts = 0;
  counting->GetColumns()->BeginUpdate();
  counting->GetColumns()->Add();
  counting->GetColumns()->Add();
  counting->GetColumns()->EndUpdate();
  EXPECT_EQ(counting->Layouts, 1);
}

class TSenders : public TObject {
 public:
  void Heard(TObject* Sender) { Senders.push_back(Sender); }
  std::vector<TObject*> Senders;
};

TEST_F(LookupGridColumns, NoticesOfTheControllerReachTheGridAsTheirKindAsks) {
  auto* counting = New<TCountingGrid>(form);
  counting->SetParent(form);
  counting->GetColumns()->Add()->SetValueTypeClass(TcxStringValueType::StaticClass());
  FillNumbered(counting, 40);
  TSenders data;
  counting->OnDataChanged = {&data, &TSenders::Heard};
  Pump();
  const Integer visible = counting->ViewInfo()->VisibleRowCount();
  ASSERT_GT(visible, 2);
  // A focus change among the fully visible rows repaints two rows without a layout pass.
  counting->Layouts = 0;
  counting->SetFocusedRowIndex(1);
  counting->SetFocusedRowIndex(2);
  EXPECT_EQ(counting->Layouts, 0);
  EXPECT_TRUE(counting->ViewInfo()->FindRow(2)->Focused);
  EXPECT_FALSE(counting->ViewInfo()->FindRow(1)->Focused);
  // Beyond them the grid lays out again with the row brought into view.
  counting->SetFocusedRowIndex(visible + 5);
  EXPECT_GT(counting->Layouts, 0);
  EXPECT_EQ(counting->GetTopRowIndex(), 6);
  // A value written is a data change: one layout and the data-changed link, with the grid.
  EXPECT_TRUE(data.Senders.empty());
  counting->GetDataController()->SetValue(0, 0, Variant(String("changed")));
  EXPECT_EQ(data.Senders, (std::vector<TObject*>{counting}));
}

TEST_F(LookupGridColumns, WidthsKeepToTheirMinimum) {
  TcxLookupGridColumn* c = grid->GetColumns()->Add();
  EXPECT_EQ(c->GetMinWidth(), 20);
  EXPECT_TRUE(c->GetSorting());
  EXPECT_EQ(c->GetWidth(), 64);
  EXPECT_EQ(c->GetCaption(), "");
  EXPECT_FALSE(c->IsWidthStored());
  EXPECT_FALSE(c->IsCaptionStored());
  c->SetMinWidth(-5);
  EXPECT_EQ(c->GetMinWidth(), 0);
  c->SetMinWidth(100);
  EXPECT_EQ(c->GetWidth(), 100);
  c->SetMinWidth(20);
  EXPECT_EQ(c->GetWidth(), 100);
  c->SetWidth(10);
  EXPECT_EQ(c->GetWidth(), 20);
  c->SetWidth(21);
  EXPECT_EQ(c->GetWidth(), 21);
  // Restoring the defaults forgets the width; assigning copies what the source set.
  TcxLookupGridColumn* copy = grid->GetColumns()->Add();
  copy->Assign(c);
  EXPECT_EQ(copy->GetWidth(), 21);
  EXPECT_FALSE(copy->IsCaptionStored());
  c->RestoreDefaults();
  EXPECT_EQ(c->GetWidth(), 64);
  EXPECT_EQ(c->GetMinWidth(), 20);
}

TEST_F(LookupGridColumns, AColumnFallsBackWhenItsItemIsFreed) {
  TcxLookupGridColumn* c = grid->GetColumns()->GetItem(0);
  TcxEditRepositoryItem* registryDefault = cxGetEditDataRegisteredRepositoryItems()->GetDefaultItem();
  ASSERT_NE(registryDefault, nullptr);
  EXPECT_EQ(c->GetRepositoryItemInUse(), registryDefault);
  TcxEditRepositoryItem* mine =
      GetDefaultEditRepository()->CreateItem(cxEditRepositoryItemClassOf<TcxEditRepositoryMaskItem>());
  c->SetRepositoryItem(mine);
  EXPECT_EQ(c->GetProperties(), mine->GetProperties());
  mine->Free();
  EXPECT_EQ(c->GetRepositoryItem(), nullptr);
  EXPECT_EQ(c->GetRepositoryItemInUse(), registryDefault);
  // Without a default in the registry the column shows through a text item of its own,
  // the same one each time.
  registryDefault->Free();
  TcxEditRepositoryItem* own = c->GetRepositoryItemInUse();
  ASSERT_NE(own, nullptr);
  EXPECT_EQ(own->ClassName(), "TcxEditRepositoryTextItem");
  EXPECT_EQ(c->GetRepositoryItemInUse(), own);
  EXPECT_EQ(own->GetRepository(), nullptr);
  // The grid still lays out and paints through it.
  grid->Invalidate();
  Pump();
  EXPECT_EQ(grid->ViewInfo()->RowCount(), 4);
}

TEST_F(LookupGridColumns, TheFocusedColumnNeedsRowSelectOffAndStaysInRange) {
  grid->SetFocusedColumnIndex(1);
  EXPECT_EQ(grid->GetFocusedColumnIndex(), -1);
  grid->GetOptions()->SetRowSelect(false);
  grid->SetFocusedColumnIndex(7);
  EXPECT_EQ(grid->GetFocusedColumnIndex(), 1);
  grid->SetFocusedColumnIndex(-3);
  EXPECT_EQ(grid->GetFocusedColumnIndex(), 0);
  grid->GetOptions()->SetRowSelect(true);
  EXPECT_EQ(grid->GetFocusedColumn(), nullptr);
  // A focused column that goes leaves no focused column behind.
  grid->GetOptions()->SetRowSelect(false);
  grid->SetFocusedColumnIndex(1);
  grid->GetColumns()->GetItem(1)->Free();
  EXPECT_EQ(grid->GetFocusedColumn(), nullptr);
  EXPECT_EQ(grid->GetDataController()->GetItemCount(), 1);
}

TEST_F(LookupGridColumns, MovingAColumnMovesItsValuesAndOrder) {
  grid->HeaderClick(1, {});
  grid->GetColumns()->GetItem(1)->SetIndex(0);
  TcxLookupGridColumn* b = grid->GetColumns()->GetItem(0);
  EXPECT_EQ(b->GetCaption(), "B");
  EXPECT_EQ(b->GetSortOrder(), SO::soAscending);
  EXPECT_EQ(VarToStr(grid->GetDataController()->GetItemValue(0, 0)), "1");
  EXPECT_EQ(VarToStr(grid->GetDataController()->GetItemValue(0, 1)), "b");
}

TEST_F(LookupGridColumns, ASortOrderWithoutAGridIsNoSort) {
  Owned<TcxLookupGridColumns> loose(
      New<TcxLookupGridColumns>(nullptr, ClassOf<TcxLookupGridColumn, TCollectionItem, TCollection*>()));
  TcxLookupGridColumn* c = loose->Add();
  c->SetSortOrder(SO::soDescending);
  EXPECT_EQ(c->GetSortOrder(), SO::soNone);
  // Assigned into a grid's column, it stays no sort there.
  grid->GetColumns()->GetItem(0)->Assign(c);
  EXPECT_EQ(grid->GetColumns()->GetItem(0)->GetSortOrder(), SO::soNone);
}

TEST_F(LookupGridColumns, OptionsAssignInOneUpdate) {
  auto* other = MakeGrid({"X"});
  other->GetOptions()->SetCaseInsensitive(true);
  other->GetOptions()->SetColumnSorting(false);
  other->GetOptions()->SetGridLines(TcxGridLines::glVertical);
  other->GetOptions()->SetShowHeader(false);
  grid->GetOptions()->Assign(other->GetOptions());
  EXPECT_TRUE(grid->GetOptions()->GetCaseInsensitive());
  EXPECT_TRUE(grid->GetDataController()->Options().Contains(TcxDataControllerOption::dcoCaseInsensitive));
  EXPECT_FALSE(grid->GetOptions()->GetColumnSorting());
  EXPECT_EQ(grid->GetOptions()->GetGridLines(), TcxGridLines::glVertical);
  EXPECT_FALSE(grid->GetOptions()->GetShowHeader());
  EXPECT_EQ(grid->ViewInfo()->HeaderBounds.Height(), 0);
}

}  // namespace

namespace {

TEST_F(LookupGridTest, AWindowDescriptionGivesTheGridItsColumnsAndTheirOrder) {
  TForm* dialog = ReadDialog(
      "object dlg2: TForm\n"
      "  object grid: TcxLookupGrid\n"
      "    Columns = <\n"
      "      item\n"
      "        Caption = 'A'\n"
      "        SortOrder = soDescending\n"
      "      end\n"
      "      item\n"
      "        Caption = 'B'\n"
      "        MinWidth = 30\n"
      "        Width = 25\n"
      "      end>\n"
      "    Options.GridLines = glNone\n"
      "    Options.RowSelect = False\n"
      "  end\n"
      "end\n");
  auto* grid = dynamic_cast<TcxLookupGrid*>(dialog->FindComponent("grid"));
  ASSERT_NE(grid, nullptr);
  ASSERT_EQ(grid->GetColumns()->Count(), 2);
  EXPECT_EQ(grid->GetDataController()->GetItemCount(), 2);
  EXPECT_EQ(grid->GetColumns()->GetItem(0)->GetCaption(), "A");
  EXPECT_EQ(grid->GetColumns()->GetItem(0)->GetSortOrder(), TcxDataSortOrder::soDescending);
  EXPECT_EQ(grid->GetColumns()->GetItem(1)->GetWidth(), 30);
  EXPECT_EQ(grid->GetOptions()->GetGridLines(), TcxGridLines::glNone);
  EXPECT_FALSE(grid->GetOptions()->GetRowSelect());
  dialog->Free();
}

}  // namespace
