// Canvas drawing checked pixel by pixel on bitmaps: the brush-driven text background,
// shapes with pens and brushes, pixels, copies with copy modes, BrushCopy, and the
// canvas following changes of its font, pen and brush.
#include "platform/gdi/FontEngine.h"
#include "tests/classlib/visual/GraphicsFixture.h"

namespace {

class CanvasTest : public GraphicsFixture {
 protected:
  // The built-in test face at Height -16: cell 20 high, advance 10, each visible
  // character a box over columns 0..8 and rows 4..19 of its cell.
  static void UseTestFace(TCanvas* c) {
    c->Font()->SetName(kTestFaceName);
    c->Font()->SetHeight(-16);
    c->Font()->SetColor(clBlack);
  }
};

TEST_F(CanvasTest, SolidBrushMakesTextOpaqueInTheBrushColourAndClearBrushTransparent) {
  auto b = FilledBitmap(40, 30, clWhite);
  TCanvas* c = b->Canvas();
  UseTestFace(c);
  c->Brush()->SetColor(clRed);
  c->TextOut(0, 0, "H ");
  // (2, 10) the glyph; (9, 10) the gap beside the box; (15, 5) the blank's cell; (25, 5) beyond the text.
  ExpectPixels(b.get(), {{2, 10, clBlack}, {9, 10, clRed}, {15, 5, clRed}, {25, 5, clWhite}});
  EXPECT_EQ(c->GetPenPos().X, 20);          // the pen moved to the end of the text

  c->Brush()->SetStyle(TBrushStyle::bsClear);
  c->Font()->SetColor(clBlue);
  c->TextOut(0, 0, "H ");
  // (9, 10) left as it was.
  ExpectPixels(b.get(), {{2, 10, clBlue}, {9, 10, clRed}});

  // A colour makes a clear brush solid again, and text opaque.
  c->Brush()->SetColor(clLime);
  c->TextOut(0, 0, "H");
  EXPECT_EQ(At(b.get(), 9, 10), clLime);
}

TEST_F(CanvasTest, TextRectClipsAndFillsOnlyWithASolidBrush) {
  auto b = FilledBitmap(40, 30, clWhite);
  TCanvas* c = b->Canvas();
  UseTestFace(c);
  c->Brush()->SetColor(clYellow);
  c->TextRect(Rect(0, 0, 5, 25), 0, 0, "HH");
  // (4, 22) inside R, below the cell: filled; (6, 10) clipped.
  ExpectPixels(b.get(), {{2, 10, clBlack}, {4, 22, clYellow}, {6, 10, clWhite}});

  auto b2 = FilledBitmap(40, 30, clWhite);
  b2->Canvas()->Brush()->SetStyle(TBrushStyle::bsClear);
  UseTestFace(b2->Canvas());
  b2->Canvas()->TextRect(Rect(0, 0, 5, 25), 0, 0, "HH");
  EXPECT_EQ(At(b2.get(), 4, 22), clWhite);

  TRect r = Rect(0, 0, 200, 0);
  c->TextRect(r, "HHH", DT_CALCRECT | DT_SINGLELINE);
  EXPECT_EQ(r.Right, 30);
}

TEST_F(CanvasTest, ShapesUsePenForOutlinesAndBrushForFills) {
  auto b = FilledBitmap(20, 20, clWhite);
  TCanvas* c = b->Canvas();
  c->Pen()->SetColor(clRed);
  c->Brush()->SetColor(clBlue);
  c->Rectangle(2, 2, 8, 8);
  ExpectPixels(b.get(), {{7, 7, clRed}, {4, 5, clBlue}, {8, 8, clWhite}});

  // A clear pen draws no outline; a clear brush no fill.
  auto b2 = FilledBitmap(10, 10, clWhite);
  b2->Canvas()->Pen()->SetStyle(TPenStyle::psClear);
  b2->Canvas()->Brush()->SetColor(clNavy);
  b2->Canvas()->Rectangle(0, 0, 6, 6);
  EXPECT_EQ(At(b2.get(), 0, 0), clNavy);
  b2->Canvas()->Pen()->SetStyle(TPenStyle::psSolid);
  b2->Canvas()->Brush()->SetStyle(TBrushStyle::bsClear);
  b2->Canvas()->Rectangle(2, 2, 9, 9);
  EXPECT_EQ(At(b2.get(), 7, 7), clWhite);

  // The markers never reach the device as colours: clNone fills white, clDefault black.
  b2->Canvas()->Brush()->SetColor(clNone);
  b2->Canvas()->FillRect(Rect(0, 0, 1, 1));
  EXPECT_EQ(At(b2.get(), 0, 0), clWhite);
  b2->Canvas()->Brush()->SetColor(clDefault);
  b2->Canvas()->FillRect(Rect(0, 0, 1, 1));
  EXPECT_EQ(At(b2.get(), 0, 0), clBlack);
}

TEST_F(CanvasTest, LinesMoveThePenAndPenModeCombinesWithTheDestination) {
  auto b = FilledBitmap(10, 3, clWhite);
  TCanvas* c = b->Canvas();
  c->Pen()->SetColor(clRed);
  c->MoveTo(1, 1);
  c->LineTo(5, 1);
  EXPECT_EQ(c->GetPenPos().X, 5);

  c->Pen()->SetMode(TPenMode::pmNot);
  c->MoveTo(0, 0);
  c->LineTo(3, 0);
  EXPECT_EQ(At(b.get(), 1, 0), clBlack);   // white inverted
  c->Pen()->SetMode(TPenMode::pmXor);
  c->Pen()->SetColor(clWhite);
  c->MoveTo(1, 1);
  c->LineTo(2, 1);
  EXPECT_EQ(At(b.get(), 1, 1), TColor(0xFFFF00));  // red ^ white
}

TEST_F(CanvasTest, PixelsRoundTripAndResolveSystemColours) {
  auto b = FilledBitmap(5, 5, clWhite);
  TCanvas* c = b->Canvas();
  c->SetPixel(3, 4, TColor(0x123456));
  EXPECT_EQ(c->GetPixel(3, 4), TColor(0x123456));
  c->SetPixel(1, 1, clBtnFace);
  EXPECT_EQ(COLORREF(c->GetPixel(1, 1)), GetSysColor(COLOR_BTNFACE));
  c->SetPixel(2, 2, clNone);  // not a colour: nothing happens
  EXPECT_EQ(c->GetPixel(2, 2), clWhite);
  EXPECT_EQ(c->GetPixel(5, 0), TColor(CLR_INVALID));
  c->SetPixel(-1, 0, clRed);  // outside: ignored, no crash
}

TEST_F(CanvasTest, CopyRectStretchesWithTheCopyMode) {
  auto src = FilledBitmap(2, 1, clWhite);
  src->Canvas()->SetPixel(0, 0, clRed);
  src->Canvas()->SetPixel(1, 0, clBlue);
  auto dst = FilledBitmap(6, 2, clWhite);
  dst->Canvas()->CopyRect(Rect(0, 0, 4, 1), src->Canvas(), Rect(0, 0, 2, 1));
  ExpectPixels(dst.get(), {{1, 0, clRed}, {2, 0, clBlue}, {4, 0, clWhite}});

  dst->Canvas()->SetCopyMode(cmDstInvert);
  dst->Canvas()->CopyRect(Rect(1, 0, 5, 2), dst->Canvas(), Rect(1, 0, 5, 2));
  // (0, 0) outside; (1, 0) red inverted; (4, 1) white inverted.
  ExpectPixels(dst.get(), {{0, 0, clRed}, {1, 0, clAqua}, {4, 1, clBlack}});
}

TEST_F(CanvasTest, BrushCopyReplacesExactlyTheTransparentColourWithTheBrush) {
  auto src = FilledBitmap(5, 1, clWhite);
  src->Canvas()->SetPixel(0, 0, clRed);
  src->Canvas()->SetPixel(1, 0, clGreen);
  src->Canvas()->SetPixel(2, 0, clRed);
  src->Canvas()->SetPixel(3, 0, TColor(0x0000FE));  // nearly red: kept
  src->Canvas()->SetPixel(4, 0, clBlack);
  auto dst = FilledBitmap(7, 2, clNavy);
  dst->Canvas()->Brush()->SetColor(clYellow);
  dst->Canvas()->BrushCopy(Rect(1, 1, 6, 2), src.get(), Rect(0, 0, 5, 1), clRed);
  ExpectPixels(dst.get(), {{1, 1, clYellow}, {2, 1, clGreen}, {4, 1, TColor(0x0000FE)}, {6, 1, clNavy}});
  // The source is untouched.
  EXPECT_EQ(At(src.get(), 0, 0), clRed);
}

TEST_F(CanvasTest, BrushCopyWithAClearBrushLeavesTheTransparentPixelsAlone) {
  auto src = FilledBitmap(4, 1, clRed);
  src->Canvas()->SetPixel(1, 0, clGreen);
  src->Canvas()->SetPixel(2, 0, clBlack);
  auto dst = FilledBitmap(6, 1, clNavy);
  dst->Canvas()->SetPixel(4, 0, clTeal);
  dst->Canvas()->Brush()->SetStyle(TBrushStyle::bsClear);
  dst->Canvas()->BrushCopy(Rect(1, 0, 5, 1), src.get(), Rect(0, 0, 4, 1), clRed);
  // Transparent pixels keep the destination, whatever its colour; black source pixels are
  // still copied.
  ExpectPixels(dst.get(), {{1, 0, clNavy}, {3, 0, clBlack}, {4, 0, clTeal}});
}

TEST_F(CanvasTest, AnExternalHandleGetsTheObjectsSelectedAndBackOnRelease) {
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bmp = CreateBitmap(8, 8, 1, 32, nullptr);
  HGDIOBJ oldBmp = SelectObject(dc, bmp);
  HGDIOBJ stockPen = GetCurrentObject(dc, OBJ_PEN);
  {
    Owned<TCanvas> c(New<TCanvas>());
    EXPECT_THROW(c->FillRect(Rect(0, 0, 1, 1)), EInvalidOperation);  // no handle to draw on
    c->SetHandle(dc);
    c->Pen()->SetColor(clRed);
    c->MoveTo(0, 0);
    c->LineTo(4, 0);
    EXPECT_EQ(GetPixel(dc, 2, 0), COLORREF(clRed));
    EXPECT_NE(GetCurrentObject(dc, OBJ_PEN), stockPen);
    // Changing the pen deselects the old handle before it is deleted.
    c->Pen()->SetColor(clBlue);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), stockPen);
    c->LineTo(4, 3);
    EXPECT_EQ(GetPixel(dc, 4, 1), COLORREF(clBlue));
    c->SetHandle(nullptr);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), stockPen);
  }
  SelectObject(dc, oldBmp);
  DeleteObject(bmp);
  DeleteDC(dc);
}

TEST_F(CanvasTest, LockCountsNestedLocks) {
  auto b = FilledBitmap(2, 2, clWhite);
  TCanvas* c = b->Canvas();
  c->Lock();
  EXPECT_TRUE(c->TryLock());
  EXPECT_EQ(c->LockCount(), 2);
  c->Unlock();
  c->Unlock();
  c->Unlock();  // one too many: stays at zero
  EXPECT_EQ(c->LockCount(), 0);
}

TEST_F(CanvasTest, ChangeEventsSurroundEachDrawingOperation) {
  auto b = FilledBitmap(4, 4, clWhite);
  GfxChangeCounter changing, changed;
  b->Canvas()->OnChanging = changing.Event();
  b->Canvas()->OnChange = changed.Event();
  b->Canvas()->FillRect(Rect(0, 0, 2, 2));
  b->Canvas()->SetPixel(3, 3, clRed);
  EXPECT_EQ(changing.Count, 2);
  EXPECT_EQ(changed.Count, 2);
  b->Canvas()->GetPixel(0, 0);  // reading changes nothing
  EXPECT_EQ(changed.Count, 2);
}

}  // namespace
