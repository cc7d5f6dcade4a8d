// The lookup grid's painter: border, headers with their sort marks, fillers, and each
// laid-out row with its grid lines, its cells (drawn by their editors' view infos) and the
// focus rectangle.
#include "widgets/databinding/cxLookupGridView.h"

TcxLookupGridViewInfo* TcxLookupGridPainter::ViewInfo() const { return FGrid->ViewInfo(); }

void TcxLookupGridPainter::BeforeDestruction() {
  if (FScreenCanvas) FScreenCanvas->Free();
  FScreenCanvas = nullptr;
  inherited::BeforeDestruction();
}

TcxCanvas* TcxLookupGridPainter::Canvas() {
  if (FGrid->HandleAllocated()) {
    if (FScreenCanvas) FScreenCanvas->Free();
    FScreenCanvas = nullptr;
    return FGrid->GetCanvas();
  }
  if (!FScreenCanvas) FScreenCanvas = New<TcxScreenCanvas>();
  return FScreenCanvas;
}

void TcxLookupGridPainter::Paint() {
  DrawBorder();
  DrawContent();
}

void TcxLookupGridPainter::DrawBorder() {
  if (ViewInfo()->BorderSize() == 0 || !FLookAndFeelPainter) return;
  FLookAndFeelPainter->DrawBorder(*Canvas(), FGrid->GetBounds());
  Canvas()->IntersectClipRect(FGrid->GetClientBounds());
}

void TcxLookupGridPainter::DrawContent() {
  DrawHeaders();
  DrawBackground();
  DrawRows();
}

void TcxLookupGridPainter::DrawHeaders() {
  TcxLookupGridViewInfo* vi = ViewInfo();
  if (vi->HeaderBounds.IsEmpty() || !FLookAndFeelPainter) return;
  TcxCanvas& canvas = *Canvas();
  for (const auto& column : vi->Columns()) {
    const TRect R = column->Bounds;
    TRect T = FLookAndFeelPainter->HeaderContentBounds(R, column->Neighbors, column->HeaderBorders);
    InflateRect(&T, -2, -2);
    TRect S{};
    const bool sorted = column->SortOrder != TcxDataSortOrder::soNone;
    if (sorted) {
      S = {T.Right - FLookAndFeelPainter->SortingMarkAreaSize().X, T.Top, T.Right, T.Bottom};
      T.Right = std::max(S.Left, T.Left);
    }
    FLookAndFeelPainter->DrawHeader(canvas, R, T, column->Neighbors, column->HeaderBorders,
                                    TcxButtonState::cxbsNormal, column->HeaderAlignment,
                                    TcxAlignmentVert::vaCenter, false, true, column->Text, vi->GetHeaderFont(),
                                    vi->GetHeaderTextColor(), vi->GetHeaderColor());
    if (sorted) FLookAndFeelPainter->DrawSortingMark(canvas, S, column->SortOrder == TcxDataSortOrder::soAscending);
  }
}

void TcxLookupGridPainter::DrawBackground() {
  TcxLookupGridViewInfo* vi = ViewInfo();
  if (vi->RightFiller.IsEmpty() && vi->BottomFiller.IsEmpty()) return;
  TcxCanvas& canvas = *Canvas();
  canvas.SetBrushColor(vi->GetContentColor());
  if (!vi->RightFiller.IsEmpty()) canvas.FillRect(vi->RightFiller);
  if (!vi->BottomFiller.IsEmpty()) canvas.FillRect(vi->BottomFiller);
}

void TcxLookupGridPainter::DrawRows() {
  if (ViewInfo()->RowsBounds.IsEmpty()) return;
  for (const auto& row : ViewInfo()->Rows()) DrawRow(row.get());
}

void TcxLookupGridPainter::DrawLines(const TRect& R, TcxBorders ABorders) {
  if (ABorders == TcxBorders{}) return;
  Canvas()->FrameRect(R, ViewInfo()->GetGridLineColor(), ABorders, ViewInfo()->GetGridLineWidth());
}

void TcxLookupGridPainter::DrawRow(TcxLookupGridRowViewInfo* ARow) {
  for (const auto& cell : ARow->Cells) {
    DrawLines(cell->Bounds, cell->Borders);
    DrawCell(cell.get());
  }
  DrawLines(ARow->Bounds, ARow->Borders);
  if (ARow->Focused && (FGrid->Focused() || FGrid->IsPopup())) Canvas()->DrawFocusRect(ARow->ContentBounds);
}

void TcxLookupGridPainter::DrawCell(TcxLookupGridCellViewInfo* ACell) {
  TcxCanvas& canvas = *Canvas();
  if (ACell->EditViewInfo) {
    ACell->EditViewInfo->Paint(canvas);
    // The editor lays out one pixel inside the cell: close the gap in its own background.
    canvas.FrameRect(ACell->ContentBounds, ACell->EditViewInfo->BackgroundColor);
  }
  DrawLines(ACell->Bounds, ACell->Borders);
}

TL_DEFINE_CLASS(TcxLookupGridPainter, [](auto&) {});
