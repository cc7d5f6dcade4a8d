// The lookup grid's layout in the test face: header and row heights per grid-line setting,
// closing lines, the top row kept from leaving space under the last row, drop-down heights
// snapped to whole rows, hit tests at every border, Page Down, Enter, the scroll bar's codes and
// auto-scroll on the test clock.
#include "tests/databinding/LookupGridTestSupport.h"

#include "widgets/editcore/cxTextEdit.h"

#include <limits>

namespace {

using GL = TcxGridLines;
using HT = TcxLookupGridHitTest;

constexpr Integer kFontHeight = 15;  // the test face's cell at em 12

class TCloseUps : public TObject {
 public:
  void Closed(TObject*, bool AAccept) { Accepts.push_back(AAccept); }
  std::vector<bool> Accepts;
};

class LookupGridView : public LookupGridTest {
 protected:
  Integer Border() { return grid->GetLookAndFeelPainter()->BorderSize(); }
  Integer HeaderHeight() { return grid->GetLookAndFeelPainter()->HeaderHeight(kFontHeight); }
  // The height a text editor needs for one line in the grid's font, measured on its own.
  Integer EditorHeight() {
    Owned<TcxTextEditProperties> p(New<TcxTextEditProperties>(nullptr));
    Owned<TcxEditStyle> style(New<TcxEditStyle>(nullptr, TcxContainerStateItem::csNormal, nullptr, true));
    style->SetFont(grid->GetFont());
    TcxEditSizeProperties size;
    return p->CalculateEditSize(*grid->GetCanvas(), style.get(), true, Null(), size).cy;
  }
  Integer Hit(Integer x, Integer y, Integer* row = nullptr) {
    const TcxLookupGridHitInfo h = grid->HitTest({x, y});
    if (row) *row = h.RowIndex;
    return h.HitTest == HT::htNone ? -1 : h.HitTest == HT::htHeader ? 100 + h.ColumnIndex : 200 + h.ColumnIndex;
  }
  TcxLookupGrid* grid = nullptr;
};

TEST_F(LookupGridView, RowsStackAtTheirFullHeightUnderTheHeader) {
  grid = MakeGrid({"A"});
  FillNumbered(grid, 3);
  Show();
  const Integer b = Border(), content = EditorHeight() + 2;
  TcxLookupGridViewInfo* vi = grid->ViewInfo();
  EXPECT_EQ(vi->HeaderBounds.Top, b);
  EXPECT_EQ(vi->HeaderBounds.Height(), HeaderHeight());
  EXPECT_EQ(vi->ContentRowHeight(), content);
  EXPECT_EQ(vi->FullRowHeight(), content + 1);
  for (Integer i = 0; i < 3; ++i) {
    EXPECT_EQ(vi->Rows()[size_t(i)]->Bounds.Top, b + HeaderHeight() + i * (content + 1)) << i;
    EXPECT_EQ(vi->Rows()[size_t(i)]->Bounds.Height(), content + 1) << i;
  }
  const std::pair<GL, Integer> cases[] = {{GL::glNone, 0}, {GL::glVertical, 0}, {GL::glHorizontal, 1}, {GL::glBoth, 1}};
  for (const auto& [lines, extra] : cases) {
    grid->GetOptions()->SetGridLines(lines);
    EXPECT_EQ(vi->FullRowHeight(), content + extra) << Ord(lines);
    EXPECT_EQ(vi->Rows()[1]->Bounds.Top, b + HeaderHeight() + content + extra) << Ord(lines);
  }
  // Without a header the rows start at the client top, and the header keeps its width.
  grid->GetOptions()->SetShowHeader(false);
  EXPECT_EQ(vi->Rows()[0]->Bounds.Top, b);
  EXPECT_EQ(vi->HeaderBounds.Width(), 200 - 2 * b);
}

TEST_F(LookupGridView, VerticalLinesCloseAShortListButNotAFullOne) {
  grid = MakeGrid({"A", "B"});
  grid->GetOptions()->SetGridLines(GL::glVertical);
  FillNumbered(grid, 2);
  Show();
  TcxLookupGridViewInfo* vi = grid->ViewInfo();
  const Integer content = vi->ContentRowHeight();
  EXPECT_EQ(vi->Rows()[0]->Bounds.Height(), content);
  EXPECT_EQ(vi->Rows()[1]->Bounds.Height(), content + 1);
  EXPECT_TRUE(vi->Rows()[1]->Borders.Contains(TcxBorder::bBottom));
  EXPECT_TRUE(vi->Rows()[0]->Cells[0]->Borders.Contains(TcxBorder::bRight));
  EXPECT_TRUE(vi->Rows()[0]->Borders.Contains(TcxBorder::bRight));
  // A list whose last row ends exactly at the client bottom gets no closing line.
  const Integer b = Border();
  grid->SetBounds(10, 10, 200, 2 * b + HeaderHeight() + 2 * content);
  Pump();
  ASSERT_EQ(vi->RowCount(), 2);
  EXPECT_EQ(vi->Rows()[1]->Bounds.Bottom, grid->GetClientBounds().Bottom);
  EXPECT_FALSE(vi->Rows()[1]->Borders.Contains(TcxBorder::bBottom));
  // Horizontal lines only: one closing line at the right end of each row, none between cells.
  grid->GetOptions()->SetGridLines(GL::glHorizontal);
  EXPECT_FALSE(vi->Rows()[0]->Cells[0]->Borders.Contains(TcxBorder::bRight));
  EXPECT_TRUE(vi->Rows()[0]->Borders.Contains(TcxBorder::bRight));
  grid->GetOptions()->SetGridLines(GL::glNone);
  EXPECT_EQ(vi->Rows()[0]->Borders, TcxBorders{});
}

TEST_F(LookupGridView, TheTopRowLeavesNoSpaceUnderTheLastRow) {
  grid = MakeGrid({"A"});
  FillNumbered(grid, 10);
  Show();
  const Integer F = grid->ViewInfo()->FullRowHeight(), b = Border();
  grid->SetBounds(10, 10, 200, 2 * b + HeaderHeight() + 5 * F + F / 2);
  Pump();
  EXPECT_EQ(grid->ViewInfo()->VisibleRowCount(), 5);
  EXPECT_EQ(grid->ViewInfo()->RowCount(), 6);  // one more, partly shown
  grid->SetTopRowIndex(9);
  EXPECT_EQ(grid->GetTopRowIndex(), 5);
  EXPECT_EQ(grid->ViewInfo()->Rows()[0]->RowIndex, 5);
  grid->SetTopRowIndex(-4);
  EXPECT_EQ(grid->GetTopRowIndex(), 0);
  grid->SetTopRowIndex(3);
  EXPECT_EQ(grid->GetTopRowIndex(), 3);
  // The scroll bar shows the same: range over the rows, a page of the fully visible ones.
  EXPECT_TRUE(grid->VScrollBarVisible());
  EXPECT_EQ(grid->VScrollBar()->Data.Max, 9);
  EXPECT_EQ(grid->VScrollBar()->Data.PageSize, 5);
  EXPECT_EQ(grid->VScrollBar()->Data.Position, 3);
}

TEST_F(LookupGridView, DropDownHeightsSnapToWholeRows) {
  grid = MakeGrid({"A"});
  FillNumbered(grid, 4);
  Show();
  const Integer H = HeaderHeight(), F = grid->ViewInfo()->FullRowHeight();
  EXPECT_EQ(grid->GetHeightForRowCount(3), H + 3 * F);
  EXPECT_EQ(grid->SnapPopupHeight(H + 2 * F + F - 1), H + 2 * F);
  EXPECT_EQ(grid->SnapPopupHeight(H + 2 * F), H + 2 * F);
  EXPECT_EQ(grid->SnapPopupHeight(0), H + F);
  EXPECT_EQ(grid->SnapPopupHeight(-50), H + F);
  EXPECT_EQ(grid->SnapPopupHeight(H + 40 * F), H + 4 * F);
  // Proposals at the ends of the integer range: one row, and all rows.
  EXPECT_EQ(grid->SnapPopupHeight(std::numeric_limits<Integer>::min()), H + F);
  EXPECT_EQ(grid->SnapPopupHeight(std::numeric_limits<Integer>::max()), H + 4 * F);
  FillNumbered(grid, 0);
  EXPECT_EQ(grid->SnapPopupHeight(H + 3 * F), H + F);
  // A grid that never laid out a column has rows of height 0 without horizontal lines:
  // the proposal stands instead of a division by zero.
  auto* empty = MakeGrid({});
  empty->GetOptions()->SetGridLines(GL::glNone);
  Pump();
  EXPECT_EQ(empty->ViewInfo()->FullRowHeight(), 0);
  EXPECT_EQ(empty->SnapPopupHeight(77), 77);
  EXPECT_EQ(empty->SnapPopupHeight(-3), 0);
  // Without columns the fillers cover the whole client area.
  EXPECT_EQ(empty->ViewInfo()->BottomFiller, empty->GetClientBounds());
  EXPECT_EQ(empty->ViewInfo()->RightFiller, empty->GetClientBounds());
  empty->GetOptions()->SetGridLines(GL::glBoth);
  empty->SetIsPopup(true);
  Pump();
  EXPECT_EQ(empty->ViewInfo()->RightFiller, (TRect{0, 0, 200, 120}));
  EXPECT_EQ(empty->ViewInfo()->BottomFiller, (TRect{0, 0, 200, 120}));
  EXPECT_EQ(empty->ViewInfo()->RowCount(), 0);
}

TEST_F(LookupGridView, HitTestsChangeAnswerExactlyAtEachBorder) {
  grid = MakeGrid({"A", "B"});
  FillNumbered(grid, 2);
  Show();
  const Integer b = Border(), H = HeaderHeight(), F = grid->ViewInfo()->FullRowHeight();
  const Integer half = (200 - 2 * b) / 2;  // two equal columns share the client width
  const Integer top = b + H;
  // Columns: the last pixel of A, the first of B, the last of B, then outside.
  EXPECT_EQ(Hit(b, b), 100);
  EXPECT_EQ(Hit(b + half - 1, b), 100);
  EXPECT_EQ(Hit(b + half, b), 101);
  EXPECT_EQ(Hit(200 - b - 1, b), 101);
  EXPECT_EQ(Hit(200 - b, b), -1);
  EXPECT_EQ(Hit(b - 1, b), -1);
  EXPECT_EQ(Hit(b, b - 1), -1);
  // Header to rows, row to row (a row owns the line under it), rows to the filler.
  Integer row = -2;
  EXPECT_EQ(Hit(b, top - 1, &row), 100);
  EXPECT_EQ(Hit(b, top, &row), 200);
  EXPECT_EQ(row, 0);
  EXPECT_EQ(Hit(b + half, top + F - 1, &row), 201);
  EXPECT_EQ(row, 0);
  EXPECT_EQ(Hit(b + half, top + F, &row), 201);
  EXPECT_EQ(row, 1);
  EXPECT_EQ(Hit(b, top + 2 * F - 1, &row), 200);
  EXPECT_EQ(row, 1);
  EXPECT_EQ(Hit(b, top + 2 * F, &row), -1);
  EXPECT_EQ(row, -1);
  EXPECT_TRUE(grid->IsPointOverRow({b, top + F}));
  EXPECT_FALSE(grid->IsPointOverRow({b, top + 2 * F}));
  // Narrow columns leave a filler on the right, which belongs to no row.
  grid->GetColumns()->GetItem(0)->SetFixed(true);
  grid->GetColumns()->GetItem(1)->SetFixed(true);
  Pump();
  EXPECT_EQ(Hit(b + 128, top, &row), -1);
  EXPECT_EQ(row, -1);
  EXPECT_EQ(Hit(b + 127, top, &row), 201);
}

TEST_F(LookupGridView, PageDownOnTheLastFullyVisibleRowScrollsAPage) {
  grid = MakeGrid({"A"});
  FillNumbered(grid, 30);
  Show();
  const Integer F = grid->ViewInfo()->FullRowHeight(), b = Border();
  grid->SetBounds(10, 10, 200, 2 * b + HeaderHeight() + 5 * F + 2);
  grid->SetFocus();
  Pump();
  ASSERT_EQ(grid->ViewInfo()->VisibleRowCount(), 5);
  grid->SetFocusedRowIndex(2);
  host().Key(VK_NEXT);
  Pump();
  EXPECT_EQ(grid->GetFocusedRowIndex(), 4);  // first to the last fully visible row
  EXPECT_EQ(grid->GetTopRowIndex(), 0);
  host().Key(VK_NEXT);
  Pump();
  EXPECT_EQ(grid->GetTopRowIndex(), 4);
  EXPECT_EQ(grid->GetFocusedRowIndex(), 8);
  host().Key(VK_PRIOR);
  Pump();
  EXPECT_EQ(grid->GetFocusedRowIndex(), 4);
  host().Key(VK_PRIOR);
  Pump();
  EXPECT_EQ(grid->GetTopRowIndex(), 0);
  EXPECT_EQ(grid->GetFocusedRowIndex(), 0);
  host().Key(VK_DOWN);
  Pump();
  EXPECT_EQ(grid->GetFocusedRowIndex(), 1);
  host().KeyDown(VK_CONTROL);
  host().Key(VK_END);
  host().KeyUp(VK_CONTROL);
  Pump();
  EXPECT_EQ(grid->GetFocusedRowIndex(), 29);
  EXPECT_EQ(grid->GetTopRowIndex(), 25);
}

TEST_F(LookupGridView, EnterClosesAcceptingOnlyWithAFocusedRow) {
  grid = MakeGrid({"A"});
  FillNumbered(grid, 3);
  TCloseUps closes;
  grid->OnCloseUp = {&closes, &TCloseUps::Closed};
  Show();
  grid->SetFocus();
  Pump();
  ASSERT_EQ(grid->GetFocusedRowIndex(), -1);
  host().Key(VK_RETURN);
  Pump();
  grid->SetFocusedRowIndex(1);
  host().Key(VK_RETURN);
  Pump();
  FillNumbered(grid, 0);
  Pump();
  ASSERT_EQ(grid->GetFocusedRowIndex(), -1);
  host().Key(VK_RETURN);
  Pump();
  EXPECT_EQ(closes.Accepts, (std::vector<bool>{false, true, false}));
}

TEST_F(LookupGridView, AutoScrollMovesOneRowPerTickWithoutSkipping) {
  grid = MakeGrid({"A"});
  FillNumbered(grid, 30);
  TCloseUps closes;
  grid->OnCloseUp = {&closes, &TCloseUps::Closed};
  Show();
  const Integer F = grid->ViewInfo()->FullRowHeight(), b = Border(), top = b + HeaderHeight();
  grid->SetBounds(10, 10, 200, 2 * b + HeaderHeight() + 5 * F + 2);
  Pump();
  HWND h = grid->Handle();
  host().MouseDown(h, 20, top + F + 1);
  Pump();
  EXPECT_EQ(grid->GetFocusedRowIndex(), 1);
  host().MouseMove(h, 20, top + 5 * F + 4);  // below the fully visible rows
  Pump();
  EXPECT_EQ(grid->GetScrollMode(), TcxLookupGridScrollMode::smBottom);
  ASSERT_NE(grid->ScrollTimer(), nullptr);
  EXPECT_EQ(grid->ScrollTimer()->GetInterval(), 50u);
  std::vector<Integer> focused, tops;
  for (int tick = 0; tick < 3; ++tick) {
    host().Advance(50);
    focused.push_back(grid->GetFocusedRowIndex());
    tops.push_back(grid->GetTopRowIndex());
  }
  EXPECT_EQ(focused, (std::vector<Integer>{5, 6, 7}));
  EXPECT_EQ(tops, (std::vector<Integer>{1, 2, 3}));
  // A row reached by scrolling is not selected; moving back over a row selects again.
  EXPECT_FALSE(grid->GetDataController()->IsFocusedSelected());
  host().MouseMove(h, 20, top - 3);  // above the rows: upward
  Pump();
  EXPECT_EQ(grid->GetScrollMode(), TcxLookupGridScrollMode::smTop);
  host().Advance(50);
  EXPECT_EQ(grid->GetFocusedRowIndex(), 2);
  EXPECT_EQ(grid->GetTopRowIndex(), 2);
  host().MouseMove(h, 20, top + F + 1);
  Pump();
  EXPECT_EQ(grid->GetScrollMode(), TcxLookupGridScrollMode::smNone);
  EXPECT_EQ(grid->ScrollTimer(), nullptr);
  EXPECT_EQ(grid->GetFocusedRowIndex(), 3);
  EXPECT_TRUE(grid->GetDataController()->IsFocusedSelected());
  host().Advance(200);
  EXPECT_EQ(grid->GetFocusedRowIndex(), 3);
  // Released outside every cell: closed without accepting; on a cell: accepted.
  host().MouseUp(h, 20, top - 3);
  Pump();
  host().Click(h, 20, top + 1);
  Pump();
  EXPECT_EQ(closes.Accepts, (std::vector<bool>{false, true}));
}

TEST_F(LookupGridView, InPopupModeTheRowFollowsThePointerAfterTheFirstMove) {
  grid = MakeGrid({"A"});
  FillNumbered(grid, 10);
  grid->SetIsPopup(true);
  Show();
  EXPECT_EQ(grid->GetBorderSize(), 0);
  EXPECT_EQ(grid->ViewInfo()->HeaderBounds.Top, 0);
  const Integer F = grid->ViewInfo()->FullRowHeight(), top = HeaderHeight();
  grid->LockMouseMove(true);
  const Integer before = grid->GetFocusedRowIndex();
  host().MouseMove(grid->Handle(), 20, top + 2 * F + 1);
  Pump();
  EXPECT_EQ(grid->GetFocusedRowIndex(), before);
  EXPECT_EQ(grid->MouseMoveLockCount(), 0);
  host().MouseMove(grid->Handle(), 20, top + 3 * F + 1);
  Pump();
  EXPECT_EQ(grid->GetFocusedRowIndex(), 3);
}

}  // namespace

namespace {
// The grid's vertical scrolling, run as its scroll bar runs it.
class TScrolledLookupGrid : public TcxLookupGrid {
  TL_CLASS(TScrolledLookupGrid, TcxLookupGrid)
 public:
  using TcxLookupGrid::TcxLookupGrid;
  // The position the scroll leaves.
  Integer ScrollBy(TScrollCode ACode, Integer APos = 0) {
    Scroll(TScrollBarKind::sbVertical, ACode, APos);
    return APos;
  }
};
TL_DEFINE_CLASS(TScrolledLookupGrid)
}  // namespace

// 30 rows, 5 in view, no grid mode: lines and pages move the top row, a dragged thumb moves
// it too (never past the last full page), a released thumb and the other codes leave it.
TEST_F(LookupGridTest, OutsideGridModeTheScrollBarMovesTheTopRow) {
  auto* g = New<TScrolledLookupGrid>(form);
  g->SetParent(form);
  g->GetFont()->SetName(kTestFaceName);
  g->GetFont()->SetHeight(-12);
  g->GetColumns()->Add()->SetValueTypeClass(TcxStringValueType::StaticClass());
  FillNumbered(g, 30);
  g->SetBounds(10, 10, 200, 120);
  Show();
  const Integer b = g->GetLookAndFeelPainter()->BorderSize(), F = g->ViewInfo()->FullRowHeight();
  g->SetBounds(10, 10, 200, 2 * b + g->ViewInfo()->HeaderBounds.Height() + 5 * F + 2);
  Pump();
  ASSERT_EQ(g->ViewInfo()->VisibleRowCount(), 5);
  using SC = TScrollCode;
  EXPECT_EQ(g->ScrollBy(SC::scLineDown), 1);
  EXPECT_EQ(g->ScrollBy(SC::scPageDown), 5);  // a page less one row of overlap
  EXPECT_EQ(g->ScrollBy(SC::scTrack, 20), 20);
  EXPECT_EQ(g->ScrollBy(SC::scTrack, 28), 25);  // the last full page starts at row 25
  EXPECT_EQ(g->ScrollBy(SC::scPosition, 3), 25);
  EXPECT_EQ(g->ScrollBy(SC::scEndScroll, 7), 25);
  EXPECT_EQ(g->ScrollBy(SC::scLineUp), 24);
  EXPECT_EQ(g->ScrollBy(SC::scPageUp), 20);
  EXPECT_EQ(g->GetTopRowIndex(), 20);
  EXPECT_EQ(g->ViewInfo()->Rows()[0]->RowIndex, 20);
  EXPECT_EQ(g->VScrollBar()->GetPosition(), 20);
}

