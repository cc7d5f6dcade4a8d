// The string grid (counts, geometry, drawing only the rows in view, scrolling, the right
// click and its popup menu, reading from a description) and the image control.
#include "classlib/core/FormText.h"
#include "classlib/visual/ExtCtrls.h"
#include "classlib/visual/Grids.h"
#include "classlib/visual/Menus.h"
#include "tests/support/AppTest.h"
#include "tests/support/FormDescription.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

class GridsTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    Application->CreateForm(form_);
    form_->SetBounds(40, 40, 400, 300);
    grid_ = New<TStringGrid>(form_);
    grid_->SetParent(form_);
    grid_->SetBounds(10, 10, 260, 200);
    grid_->SetColCount(3);
    grid_->SetFixedCols(0);
    grid_->SetDefaultRowHeight(18);
    grid_->SetColWidths(0, 63);
    grid_->SetColWidths(1, 93);
    grid_->SetColWidths(2, 64);
    grid_->SetScrollBars(TScrollStyle::ssVertical);
    form_->Show();
    Pump();
  }
  Pixel At(Integer X, Integer Y) { return host().PixelAt(grid_->GetHandle(), X, Y) & 0xFFFFFF; }
  static Pixel Sys(int Index) { return PixelFromColor(GetSysColor(Index)) & 0xFFFFFF; }
  TForm* form_ = nullptr;
  TStringGrid* grid_ = nullptr;
};

TEST_F(GridsTest, FixedRowsMayTakeEveryRowAndCountsKeepEachOtherInRange) {
  grid_->SetRowCount(1);
  EXPECT_EQ(std::tuple(grid_->GetFixedRows(), grid_->GetRow(), grid_->GetTopRow()), std::tuple(1, -1, 1));
  grid_->SetRow(0);
  EXPECT_EQ(grid_->GetRow(), -1);
  grid_->SetRowCount(4);
  EXPECT_EQ(grid_->GetRow(), 1);
  grid_->SetRow(9);
  EXPECT_EQ(grid_->GetRow(), 3);
  // Fewer rows bring the selection back, and fixed rows no higher than the rows.
  grid_->SetRowCount(2);
  EXPECT_EQ(grid_->GetRow(), 1);
  grid_->SetRowCount(0);
  grid_->SetRowCount(3);
  EXPECT_EQ(std::pair(grid_->GetFixedRows(), grid_->GetRow()), std::pair(0, 0));
  grid_->SetFixedRows(7);
  EXPECT_EQ(std::pair(grid_->GetFixedRows(), grid_->GetRow()), std::pair(3, -1));
  // Cells outside read empty and refuse a write.
  grid_->SetCells(2, 2, "x");
  EXPECT_EQ(std::pair(grid_->Cells(2, 2), grid_->Cells(3, 2)), std::pair(String("x"), String()));
  EXPECT_THROW(grid_->SetCells(0, 3, "y"), EInvalidGridOperation);
  EXPECT_THROW(grid_->SetCells(-1, 0, "y"), EInvalidGridOperation);
}

TEST_F(GridsTest, CellsLieOnAPitchOfTheirSizePlusAGridLine) {
  grid_->SetRowCount(5);
  EXPECT_EQ(grid_->CellRect(0, 0), (TRect{0, 0, 63, 18}));
  EXPECT_EQ(grid_->CellRect(1, 1), (TRect{64, 19, 157, 37}));
  EXPECT_EQ(grid_->CellRect(2, 4), (TRect{158, 76, 222, 94}));
  Integer c = 0, r = 0;
  auto cell = [&](Integer x, Integer y) {
    grid_->MouseToCell(x, y, c, r);
    return std::pair(c, r);
  };
  EXPECT_EQ(cell(63, 18), std::pair(0, 0));
  EXPECT_EQ(cell(64, 19), std::pair(1, 1));
  EXPECT_EQ(cell(222, 94), std::pair(2, 4));     // the lines belong to the cell before them
  EXPECT_EQ(cell(223, 95), std::pair(-1, -1));   // past the last column and row
  EXPECT_EQ(cell(-1, -1), std::pair(-1, -1));
  // Without lines the pitch is the row height alone.
  grid_->SetOptions(TGridOptions{TGridOption::goRowSelect});
  EXPECT_EQ(grid_->CellRect(1, 2), (TRect{63, 36, 156, 54}));
}

TEST_F(GridsTest, OnlyTheRowsInViewAreDrawnAndTheSelectionIsKeptInView) {
  grid_->SetRowCount(10001);
  for (Integer r = 0; r < 10001; ++r) grid_->SetCells(0, r, std::to_string(r));
  const Integer visible = grid_->VisibleRowCount();
  ASSERT_GT(visible, 5);
  grid_->Invalidate();
  Pump();
  EXPECT_LE(grid_->RowsPainted(), visible + 2);
  SCROLLINFO si;
  si.fMask = SIF_ALL;
  ASSERT_TRUE(GetScrollInfo(grid_->GetHandle(), SB_VERT, &si));
  EXPECT_EQ(std::tuple(si.nMax, si.nPage, si.nPos), std::tuple(9999, UINT(visible), 0));

  // The keys move the selection; the rows follow it.
  grid_->SetFocus();
  host().Key(VK_END);
  Pump();
  EXPECT_EQ(std::pair(grid_->GetRow(), grid_->GetTopRow()), std::pair(10000, 10001 - visible));
  host().Key(VK_PRIOR);
  host().Key(VK_UP);
  Pump();
  EXPECT_EQ(std::pair(grid_->GetRow(), grid_->GetTopRow()), std::pair(10000 - visible - 1, 10000 - visible - 1));
  host().Key(VK_HOME);
  Pump();
  EXPECT_EQ(std::pair(grid_->GetRow(), grid_->GetTopRow()), std::pair(1, 1));
  // The scroll bar moves the rows, not the selection.
  grid_->Perform(WM_VSCROLL, SB_PAGEDOWN, 0);
  grid_->Perform(WM_VSCROLL, SB_LINEDOWN, 0);
  EXPECT_EQ(std::pair(grid_->GetRow(), grid_->GetTopRow()), std::pair(1, 2 + visible));
  grid_->Perform(WM_VSCROLL, SB_BOTTOM, 0);
  Pump();
  ASSERT_TRUE(GetScrollInfo(grid_->GetHandle(), SB_VERT, &si));
  EXPECT_EQ(std::pair(grid_->GetTopRow(), si.nPos), std::pair(10001 - visible, 10000 - visible));
  // The header stays on top of the last rows.
  EXPECT_EQ(grid_->CellRect(0, 0), (TRect{0, 0, 63, 18}));
  EXPECT_EQ(grid_->CellRect(0, 10000).Top, 19 * visible);
}

TEST_F(GridsTest, ARightClickSelectsTheRowUnderThePointerForThePopupMenu) {
  grid_->SetRowCount(4);
  TGridOptions options = grid_->GetOptions();
  grid_->SetOptions(options.Include(TGridOption::goRowSelect));
  auto* menu = New<TPopupMenu>(form_);
  auto* item = New<TMenuItem>(form_);
  item->SetCaption("Act");
  menu->Items()->Add(item);
  grid_->SetPopupMenu(menu);
  std::vector<Integer> seen;
  auto open = [&](Integer y) {
    host().WhenIdle([&] {
      seen.push_back(grid_->ContextRow());
      host().Key(VK_ESCAPE);
    });
    host().Click(grid_->GetHandle(), 100, y, MouseButton::Right);
    Pump();
  };
  open(2 * 19 + 5);
  EXPECT_EQ(grid_->GetRow(), 2);
  open(5);            // the header: selected for the menu, the grid's row stays
  open(4 * 19 + 5);   // below the last row
  // From the keyboard the menu takes the selected row.
  grid_->SetFocus();
  host().WhenIdle([&] {
    seen.push_back(grid_->ContextRow());
    host().Key(VK_ESCAPE);
  });
  host().Key(VK_APPS);
  Pump();
  EXPECT_EQ(seen, (std::vector<Integer>{2, 0, -1, 2}));
  EXPECT_EQ(grid_->GetRow(), 2);
  // The selected row is drawn in the highlight colour across its cells, the header in
  // the fixed colour.
  EXPECT_EQ(std::tuple(At(30, 2 * 19 + 2), At(200, 2 * 19 + 2), At(30, 19 + 2), At(30, 2)),
            std::tuple(Sys(COLOR_HIGHLIGHT), Sys(COLOR_HIGHLIGHT), Sys(COLOR_WINDOW), Sys(COLOR_BTNFACE)));
  // A line only under the header: the other rows keep its room in their own colours.
  grid_->SetOptions(TGridOptions{TGridOption::goFixedHorzLine, TGridOption::goRowSelect});
  Pump();
  EXPECT_EQ(std::tuple(At(30, 18), At(30, 37), At(30, 56), At(63, 40)),
            std::tuple(Sys(COLOR_BTNSHADOW), Sys(COLOR_WINDOW), Sys(COLOR_HIGHLIGHT), Sys(COLOR_HIGHLIGHT)));
}

TEST_F(GridsTest, AGridAndAnImageAreReadFromADescription) {
  const char* text =
      "object F: TForm\n"
      "  object g: TStringGrid\n"
      "    ColCount = 3\n"
      "    DefaultRowHeight = 18\n"
      "    FixedCols = 0\n"
      "    RowCount = 2\n"
      "    Options = [goFixedHorzLine, goRowSelect]\n"
      "    ScrollBars = ssVertical\n"
      "    ColWidths = (\n"
      "      63\n"
      "      93\n"
      "      64)\n"
      "  end\n"
      "  object i: TImage\n"
      "    Left = 5\n"
      "    Top = 136\n"
      "    AutoSize = True\n"
      "  end\n"
      "end\n";
  TForm* f = TForm::CreateNew(Application);
  ReadDescription(text, f);
  auto* g = dynamic_cast<TStringGrid*>(f->FindComponent("g"));
  auto* image = dynamic_cast<TImage*>(f->FindComponent("i"));
  ASSERT_TRUE(g && image);
  EXPECT_EQ(std::tuple(g->GetColCount(), g->GetRowCount(), g->GetFixedCols(), g->GetDefaultRowHeight(),
                       g->GetScrollBars()),
            std::tuple(3, 2, 0, 18, TScrollStyle::ssVertical));
  EXPECT_EQ(std::tuple(g->ColWidths(0), g->ColWidths(1), g->ColWidths(2), g->ColWidths(3)), std::tuple(63, 93, 64, 64));
  EXPECT_EQ(g->GetOptions(), (TGridOptions{TGridOption::goFixedHorzLine, TGridOption::goRowSelect}));

  // The image takes its picture's size and draws it at its top left.
  Owned<TBitmap> pic(New<TBitmap>());
  pic->SetSize(12, 8);
  pic->Canvas()->Brush()->SetColor(TColor(0x3050A0));
  pic->Canvas()->FillRect(TRect{0, 0, 12, 8});
  pic->Canvas()->SetPixel(11, 7, clWhite);
  image->GetPicture()->SetGraphic(pic.get());
  EXPECT_EQ(image->GetBoundsRect(), (TRect{5, 136, 17, 144}));
  ASSERT_EQ(image->GetParent(), f);
  f->SetBounds(0, 0, 200, 220);
  f->Show();
  Pump();
  EXPECT_EQ(host().PixelAt(f->GetHandle(), 5, 136) & 0xFFFFFF, 0xA05030u);
  EXPECT_EQ(host().PixelAt(f->GetHandle(), 16, 143) & 0xFFFFFF, 0xFFFFFFu);
  // Stretched, it fills the control.
  image->SetAutoSize(false);
  image->SetBounds(5, 136, 24, 16);
  image->SetStretch(true);
  Pump();
  EXPECT_EQ(host().PixelAt(f->GetHandle(), 5 + 23, 136 + 15) & 0xFFFFFF, 0xFFFFFFu);
  EXPECT_EQ(host().PixelAt(f->GetHandle(), 5 + 21, 136 + 13) & 0xFFFFFF, 0xA05030u);
  f->Free();
}

}  // namespace
