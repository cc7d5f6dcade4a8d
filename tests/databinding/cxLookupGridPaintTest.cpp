// The lookup grid on screen in every look: grid lines in their colour where the layout
// puts them, the focused row in the selection colours (with the focused cell left in the
// content colours when rows are not selected whole), sort marks in sorted headers, and the
// gallery picture of all of it.
#include "tests/databinding/LookupGridTestSupport.h"
#include "tests/foundation/GalleryFile.h"

namespace {

using GL = TcxGridLines;
using LK = TcxLookAndFeelKind;

constexpr LK kLooks[] = {LK::lfFlat, LK::lfStandard, LK::lfUltraFlat, LK::lfOffice11};

class LookupGridPaint : public LookupGridTest {
 protected:
  void SetUp() override {
    LookupGridTest::SetUp();
    grid = MakeGrid({"Name", "Kind"});
    Fill(grid, {{"ab", "x"}, {"cd", "y"}, {"ef", "z"}});
    Show();
  }
  Pixel At(Integer x, Integer y) { return host().PixelAt(grid->Handle(), x, y); }
  static Pixel Of(TColor c) { return PixelFromColor(ColorToRGB(c)); }
  const TcxLookupGridRowViewInfo& Row(Integer i) { return *grid->ViewInfo()->Rows()[size_t(i)]; }
  // A point inside a cell, clear of its text (short, on the left) and of the focus frame.
  TPoint Inside(Integer ARow, Integer ACell) {
    const TRect& r = Row(ARow).Cells[size_t(ACell)]->ContentBounds;
    return {r.Right - 4, (r.Top + r.Bottom) / 2};
  }
  TcxLookupGrid* grid = nullptr;
};

TEST_F(LookupGridPaint, GridLinesAndTheFocusedRowInEveryLook) {
  for (LK look : kLooks) {
    SCOPED_TRACE(Ord(look));
    grid->GetLookAndFeel()->SetKind(look);
    grid->GetOptions()->SetGridLines(GL::glBoth);
    grid->SetFocusedRowIndex(1);
    Pump();
    const TRect cell = Row(0).Cells[0]->Bounds;
    const Integer midY = (cell.Top + cell.Bottom) / 2;
    // The line between the cells and the one under the row, in the grid-line colour.
    EXPECT_EQ(At(cell.Right - 1, midY), Of(clBtnFace));
    EXPECT_EQ(At(cell.Right - 2, midY), Of(clWindow));
    EXPECT_EQ(At(cell.Left + 5, Row(0).Bounds.Bottom - 1), Of(clBtnFace));
    EXPECT_EQ(At(cell.Left + 5, Row(0).Bounds.Bottom - 2), Of(clWindow));
    // The closing line at the right end of the row.
    EXPECT_EQ(At(Row(0).Bounds.Right - 1, midY), Of(clBtnFace));
    // The focused row is selected, whole.
    const TPoint a = Inside(1, 0), b = Inside(1, 1);
    EXPECT_EQ(At(a.X, a.Y), Of(clHighlight));
    EXPECT_EQ(At(b.X, b.Y), Of(clHighlight));
    const TPoint other = Inside(2, 1);
    EXPECT_EQ(At(other.X, other.Y), Of(clWindow));
    // Without lines the row's last pixel row is content.
    grid->GetOptions()->SetGridLines(GL::glNone);
    Pump();
    EXPECT_EQ(At(Row(0).Cells[0]->Bounds.Right - 1, midY), Of(clWindow));
    EXPECT_EQ(At(cell.Left + 5, Row(0).Bounds.Bottom - 1), Of(clWindow));
  }
}

TEST_F(LookupGridPaint, TheFocusedCellKeepsTheContentColoursWithoutRowSelect) {
  grid->GetOptions()->SetRowSelect(false);
  grid->SetFocusedRowIndex(2);
  grid->SetFocusedColumnIndex(1);
  Pump();
  const TPoint focused = Inside(2, 1), rest = Inside(2, 0);
  EXPECT_EQ(At(focused.X, focused.Y), Of(clWindow));
  EXPECT_EQ(At(rest.X, rest.Y), Of(clHighlight));
  // Right moves the focused cell.
  grid->SetFocus();
  host().Key(VK_LEFT);
  Pump();
  EXPECT_EQ(grid->GetFocusedColumnIndex(), 0);
  EXPECT_EQ(At(focused.X, focused.Y), Of(clHighlight));
  EXPECT_EQ(At(rest.X, rest.Y), Of(clWindow));
}

TEST_F(LookupGridPaint, ASortedHeaderGivesItsTextLessRoomForTheMark) {
  const TcxLookupGridColumnViewInfo& header = *grid->ViewInfo()->Columns()[0];
  const TRect r = header.Bounds;
  auto marked = [&] {
    // Pixels in the mark's area that differ from the header's own background.
    const Integer area = grid->GetLookAndFeelPainter()->SortingMarkAreaSize().X;
    int n = 0;
    for (Integer y = r.Top + 3; y < r.Bottom - 3; ++y)
      for (Integer x = r.Right - area - 2; x < r.Right - 3; ++x)
        if (At(x, y) != At(r.Right - area - 3, r.Top + 3)) ++n;
    return n;
  };
  EXPECT_EQ(marked(), 0);
  grid->HeaderClick(0, {});
  Pump();
  EXPECT_GT(marked(), 3);
}

// One look per band: a grid with sorted headers, lines and its focused row, and a popup
// grid without row selection whose row follows the pointer.
TEST_F(LookupGridPaint, GalleryOfTheGridInEveryLook) {
  grid->Free();
  const Integer w = 200, h = 110, gap = 6;
  DecodedImage image;
  image.Width = 2 * w + 3 * gap;
  image.Height = Integer(std::size(kLooks)) * (h + gap) + gap;
  image.Pixels.assign(size_t(image.Width * image.Height), 0x808080);
  form->SetBounds(0, 0, 2 * w + 60, h + 60);
  Integer band = 0;
  for (LK look : kLooks) {
    TcxLookupGrid* grids[2] = {MakeGrid({"Name", "Kind", "Size"}, w, h), MakeGrid({"Name", "Kind", "Size"}, w, h)};
    grids[1]->SetLeft(w + 20);
    for (TcxLookupGrid* g : grids) {
      g->GetFont()->SetName("Tahoma");  // a real face for a person to read
      g->GetFont()->SetHeight(-11);
      g->GetLookAndFeel()->SetKind(look);
      Fill(g, {{"tiles", "sheet", "12"},
               {"board", "save", "3"},
               {"scores", "table", "40"},
               {"music", "sound", "7"},
               {"cursor", "image", "1"},
               {"intro", "text", "5"}});
      g->HeaderClick(0, {});
      g->HeaderClick(2, {TShiftStateItem::ssShift});
      g->HeaderClick(2, {TShiftStateItem::ssShift});
    }
    grids[0]->SetFocusedRowIndex(2);
    grids[1]->GetOptions()->SetGridLines(GL::glVertical);
    grids[1]->GetOptions()->SetRowSelect(false);
    grids[1]->SetIsPopup(true);
    grids[1]->SetFocusedColumnIndex(1);
    Show();
    const TcxLookupGridRowViewInfo& hot = *grids[1]->ViewInfo()->Rows()[3];
    host().MouseMove(grids[1]->Handle(), 30, (hot.Bounds.Top + hot.Bounds.Bottom) / 2);
    Pump();
    EXPECT_EQ(grids[1]->GetFocusedRowIndex(), 3);
    for (int i = 0; i < 2; ++i) {
      const DecodedImage shown = CaptureClientImage(host(), grids[i]->Handle());
      for (Integer y = 0; y < std::min(h, shown.Height); ++y)
        for (Integer x = 0; x < std::min(w, shown.Width); ++x)
          image.Pixels[size_t((gap + band * (h + gap) + y) * image.Width + gap + i * (w + gap) + x)] =
              shown.Pixels[size_t(y * shown.Width + x)];
    }
    grids[0]->Free();
    grids[1]->Free();
    ++band;
  }
  WriteGalleryPng(image, "lookupgrid.png");
}

}  // namespace
