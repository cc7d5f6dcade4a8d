// The lookup grid's layout: header and column widths, the rows from the top row (forward,
// or backward while the top row that fills the area is worked out), grid lines, the cells
// through their columns' editors, and the fillers.
#include "widgets/databinding/cxLookupGridView.h"

#include "classlib/core/ScopeGuards.h"
#include "widgets/editcore/cxTextEditViewData.h"
#include "widgets/editors/cxCheckBox.h"
#include "widgets/special/cxImage.h"

#include <algorithm>

using enum TcxGridLines;
using enum TcxLookupGridTopRowIndexCalculation;

void cxLookupGridEditValueToDrawValue(TcxCustomEditViewData* AViewData, TcxCanvas& ACanvas, const Variant& AValue,
                                      TcxCustomEditViewInfo* AViewInfo) {
  if (auto* text = dynamic_cast<TcxCustomTextEditViewData*>(AViewData))
    text->EditValueToDrawValue(ACanvas, AValue, AViewInfo);
  else if (auto* check = dynamic_cast<TcxCustomCheckBoxViewData*>(AViewData))
    check->EditValueToDrawValue(ACanvas, AValue, AViewInfo);
  else if (auto* image = dynamic_cast<TcxImageViewData*>(AViewData))
    image->EditValueToDrawValue(ACanvas, AValue, AViewInfo);
}

void TcxLookupGridColumnViewInfo::BeforeDestruction() {
  if (EditViewData) EditViewData->Free();
  EditViewData = nullptr;
  if (Style) Style->Free();
  Style = nullptr;
  inherited::BeforeDestruction();
}

void TcxLookupGridCellViewInfo::BeforeDestruction() {
  if (EditViewInfo) EditViewInfo->Free();
  EditViewInfo = nullptr;
  inherited::BeforeDestruction();
}

TL_DEFINE_CLASS(TcxLookupGridPartViewInfo, [](auto&) {});
TL_DEFINE_CLASS(TcxLookupGridColumnViewInfo, [](auto&) {});
TL_DEFINE_CLASS(TcxLookupGridCellViewInfo, [](auto&) {});
TL_DEFINE_CLASS(TcxLookupGridRowViewInfo, [](auto&) {});

// ---- view info ----

TcxCanvas* TcxLookupGridViewInfo::Canvas() const { return FGrid->Painter()->Canvas(); }

TcxLookupGridRowViewInfo* TcxLookupGridViewInfo::FindRow(Integer ARowIndex) const {
  for (const auto& row : FRows)
    if (row->RowIndex == ARowIndex) return row.get();
  return nullptr;
}

Integer TcxLookupGridViewInfo::TopRowIndex() const {
  return FMode != ticNone ? FCalculatedTopRowIndex : FGrid->GetTopRowIndex();
}

Integer TcxLookupGridViewInfo::FullRowHeight() const {
  const TcxGridLines lines = FGrid->GetOptions()->GetGridLines();
  return FContentRowHeight + (lines == glBoth || lines == glHorizontal ? GetGridLineWidth() : 0);
}

Integer TcxLookupGridViewInfo::GetHeaderHeight() {
  const TcxCustomLookAndFeelPainter* painter = FGrid->GetLookAndFeelPainter();
  const Integer fontHeight = Canvas()->FontHeight(GetHeaderFont());
  return painter->HeaderHeight(fontHeight);
}

bool TcxLookupGridViewInfo::Calculate() {
  FBorderSize = FGrid->GetBorderSize();
  CalculateHeader();
  if (!CalculateRows()) return false;
  CalculateFillers();
  return true;
}

void TcxLookupGridViewInfo::CalculateHeader() {
  FColumns.clear();
  if (FGrid->GetColumns()->Count() == 0) {
    HeaderBounds = {};
    return;
  }
  HeaderBounds = FGrid->GetClientBounds();
  HeaderBounds.Bottom = HeaderBounds.Top + (FGrid->GetOptions()->GetShowHeader() ? GetHeaderHeight() : 0);
  CalculateColumns();
}

void TcxLookupGridViewInfo::CalculateColumns() {
  const TcxCustomLookAndFeelPainter* painter = FGrid->GetLookAndFeelPainter();
  TcxLookupGridColumns* columns = FGrid->GetColumns();
  Owned<TcxAutoWidthObject> widths(New<TcxAutoWidthObject>(columns->Count()));
  for (Integer i = 0; i < columns->Count(); ++i) {
    TcxLookupGridColumn* column = columns->GetItem(i);
    Owned<TcxLookupGridColumnViewInfo> info(New<TcxLookupGridColumnViewInfo>());
    info->HeaderAlignment = column->GetHeaderAlignment();
    if (!column->IsFirst()) info->Neighbors.Include(TcxNeighbor::nLeft);
    if (!column->IsLast()) info->Neighbors.Include(TcxNeighbor::nRight);
    info->HeaderBorders = painter->HeaderBorders(info->Neighbors);
    info->SortOrder = column->GetSortOrder();
    info->Text = column->GetCaption();
    InitColumnStyle(info.get(), column);
    TcxAutoWidthItem* item = widths->AddItem();
    item->MinWidth = column->GetMinWidth();
    item->Width = column->GetWidth();
    item->Fixed = column->GetFixed();
    FColumns.push_back(std::move(info));
  }
  widths->AvailableWidth = HeaderBounds.Width();
  widths->Calculate();
  Integer left = HeaderBounds.Left;
  for (Integer i = 0; i < Integer(FColumns.size()); ++i) {
    TcxLookupGridColumnViewInfo* info = FColumns[size_t(i)].get();
    info->Bounds = {left, HeaderBounds.Top, left + widths->Items(i)->AutoWidth, HeaderBounds.Bottom};
    info->ContentBounds = painter->HeaderContentBounds(info->Bounds, info->Neighbors, info->HeaderBorders);
    left = info->Bounds.Right;
  }
  if (left < HeaderBounds.Right) HeaderBounds.Right = left;
}

void TcxLookupGridViewInfo::InitColumnStyle(TcxLookupGridColumnViewInfo* AColumnViewInfo,
                                            TcxLookupGridColumn* AColumn) {
  TcxCustomEditProperties* properties = AColumn->GetProperties();
  auto* style = static_cast<TcxCustomEditStyle*>(properties->GetStyleClass().Create(
      nullptr, TcxContainerStateItem::csNormal, nullptr, true));
  style->SetButtonTransparency(TcxEditButtonTransparency::ebtHideInactive);
  style->SetFont(AColumn->GetContentFont());
  AColumnViewInfo->Style = style;
}

TcxCustomEditViewData* TcxLookupGridViewInfo::CreateColumnViewData(TcxLookupGridColumnViewInfo* AColumnViewInfo,
                                                                    TcxLookupGridColumn* AColumn) {
  TcxCustomEditProperties* properties = AColumn->GetProperties();
  properties->LockUpdate(true);
  properties->SetIDefaultValuesProvider(AColumn->DefaultValuesProvider());
  properties->LockUpdate(false);
  AColumnViewInfo->EditViewData = properties->CreateViewData(AColumnViewInfo->Style, true, false);
  return AColumnViewInfo->EditViewData;
}

void TcxLookupGridViewInfo::FreeColumnViewData(TcxLookupGridColumnViewInfo* AColumnViewInfo,
                                               TcxLookupGridColumn* AColumn) {
  if (AColumnViewInfo->EditViewData) AColumnViewInfo->EditViewData->Free();
  AColumnViewInfo->EditViewData = nullptr;
  TcxCustomEditProperties* properties = AColumn->GetProperties();
  properties->LockUpdate(true);
  properties->SetIDefaultValuesProvider(nullptr);
  properties->LockUpdate(false);
}

Integer TcxLookupGridViewInfo::CalculateContentRowHeight() {
  Integer height = 0;
  TcxLookupGridColumns* columns = FGrid->GetColumns();
  for (Integer i = 0; i < columns->Count(); ++i) {
    TcxLookupGridColumnViewInfo* info = FColumns[size_t(i)].get();
    TcxLookupGridColumn* column = columns->GetItem(i);
    TcxCustomEditViewData* data = CreateColumnViewData(info, column);
    TcxEditSizeProperties size;
    size.Width = -1;
    const TSize edit = data->CalculateEditSize(*Canvas(), Null(), size);
    FreeColumnViewData(info, column);
    height = std::max(height, Integer(edit.cy + 2));
  }
  return height;
}

bool TcxLookupGridViewInfo::CalculateRows() {
  FRows.clear();
  RowsBounds = {};
  VisibleRowsBounds = {};
  FVisibleRowCount = 0;
  if (HeaderBounds.Width() <= 0) return true;
  FContentRowHeight = CalculateContentRowHeight();
  RowsBounds = {HeaderBounds.Left, HeaderBounds.Bottom, HeaderBounds.Right, HeaderBounds.Bottom};
  VisibleRowsBounds = RowsBounds;
  Integer top = HeaderBounds.Bottom;
  const Integer clientBottom = FGrid->GetClientBounds().Bottom;
  const Integer rowCount = FGrid->GetRowCount();
  const Integer first = TopRowIndex();
  const bool backward = FMode == ticBackward;
  for (Integer row = first; backward ? row >= 0 : row < rowCount; backward ? --row : ++row) {
    if (row < 0 || row >= rowCount) break;
    if (!LayOutRow(row, top)) return false;
    if (RowsBounds.Bottom <= clientBottom) {
      ++FVisibleRowCount;
      VisibleRowsBounds.Bottom = RowsBounds.Bottom;
    } else {
      break;
    }
  }
  if (!FRows.empty() && FVisibleRowCount == 0) FVisibleRowCount = 1;
  return true;
}

bool TcxLookupGridViewInfo::LayOutRow(Integer ARowIndex, Integer& ATop) {
  Owned<TcxLookupGridRowViewInfo> row(New<TcxLookupGridRowViewInfo>());
  row->Bounds = {RowsBounds.Left, ATop, RowsBounds.Right, ATop + FContentRowHeight};
  row->RowIndex = ARowIndex;
  row->RecordIndex = FGrid->GetDataController()->GetRowInfo(ARowIndex).RecordIndex;
  row->Focused = ARowIndex == FGrid->GetFocusedRowIndex();
  const Integer focusedColumn = FGrid->GetFocusedColumnIndex();
  for (size_t i = 0; i < FColumns.size(); ++i) {
    Owned<TcxLookupGridCellViewInfo> cell(New<TcxLookupGridCellViewInfo>());
    cell->Bounds = {FColumns[i]->Bounds.Left, row->Bounds.Top, FColumns[i]->Bounds.Right, row->Bounds.Bottom};
    cell->ContentBounds = cell->Bounds;
    cell->Index = Integer(i);
    cell->Focused = Integer(i) == focusedColumn;
    row->Cells.push_back(std::move(cell));
  }
  row->ContentBounds = row->Bounds;
  CalculateGridLines(row.get());
  RowsBounds.Bottom = row->Bounds.Bottom;
  ATop = row->Bounds.Bottom;
  if (!CalculateCells(row.get())) return false;
  FRows.push_back(std::move(row));
  return true;
}

void TcxLookupGridViewInfo::CalculateGridLines(TcxLookupGridRowViewInfo* ARow) {
  const TcxGridLines lines = FGrid->GetOptions()->GetGridLines();
  const Integer w = GetGridLineWidth();
  if (lines != glNone && !ARow->Cells.empty()) {
    const bool all = lines == glBoth || lines == glVertical;
    for (size_t i = 0; i < ARow->Cells.size(); ++i) {
      TcxLookupGridCellViewInfo* cell = ARow->Cells[i].get();
      const bool last = i + 1 == ARow->Cells.size();
      if (!all && !last) continue;
      cell->ContentBounds.Right -= w;
      if (last) {
        ARow->Borders.Include(TcxBorder::bRight);
        ARow->ContentBounds.Right -= w;
      } else {
        cell->Borders.Include(TcxBorder::bRight);
      }
    }
  }
  bool bottom = lines == glBoth || lines == glHorizontal;
  // With vertical lines only, one closing line under the last record, unless it already
  // meets the client area's bottom.
  if (lines == glVertical && FMode == ticNone && ARow->RowIndex == FGrid->GetRowCount() - 1)
    bottom = ARow->Bounds.Bottom != FGrid->GetClientBounds().Bottom;
  if (bottom) {
    ARow->Bounds.Bottom += w;
    ARow->Borders.Include(TcxBorder::bBottom);
  }
}

bool TcxLookupGridViewInfo::CalculateCells(TcxLookupGridRowViewInfo* ARow) {
  TcxCustomDataController* controller = FGrid->GetDataController();
  TcxLookupGridColumns* columns = FGrid->GetColumns();
  // The value or text read below runs the list's handlers.
  TWeakLink grid(FGrid), list(controller);
  const bool selected = controller->IsRowSelected(ARow->RowIndex);
  for (const auto& cell : ARow->Cells) {
    TcxLookupGridColumnViewInfo* info = FColumns[size_t(cell->Index)].get();
    TcxLookupGridColumn* column = columns->GetItem(cell->Index);
    const bool highlight = selected && ARow->Focused && !cell->Focused;
    info->Style->SetColor(highlight ? GetSelectionColor() : GetContentColor());
    info->Style->SetTextColor(highlight ? GetSelectionTextColor() : GetContentTextColor());
    if (cell->EditViewInfo) cell->EditViewInfo->Free();
    cell->EditViewInfo = column->GetProperties()->GetViewInfoClass().Create();
    TcxCustomEditViewData* data = CreateColumnViewData(info, column);
    // The view data is this call's own: a layout that a text handler runs meanwhile does not
    // take its place, and it goes with this call even where the handler freed the grid.
    info->EditViewData = nullptr;
    Owned<TcxCustomEditViewData> ownData(data);
    TWatchedScopeExit release(FGrid, [this, info, column] { FreeColumnViewData(info, column); });
    Variant value;
    if (column->GetProperties()->GetEditValueSource(false) == TcxDataEditValueSource::evsValue)
      value = controller->GetItemValue(ARow->RecordIndex, cell->Index);
    else
      value = Variant(controller->GetItemDisplayText(ARow->RecordIndex, cell->Index));
    if (!grid.Alive() || !list.Alive()) return false;
    cxLookupGridEditValueToDrawValue(data, *Canvas(), value, cell->EditViewInfo);
    TRect bounds = cell->ContentBounds;
    InflateRect(&bounds, -1, -1);
    data->Calculate(*Canvas(), bounds, {-1, -1}, TcxMouseButton::cxmbNone, {}, cell->EditViewInfo, false);
  }
  return true;
}

void TcxLookupGridViewInfo::CalculateFillers() {
  const TRect client = FGrid->GetClientBounds();
  // Without columns the header has no extent: both fillers start at the client area's own
  // left and top edges, never on the border.
  const Integer headerRight = FColumns.empty() ? client.Left : HeaderBounds.Right;
  RightFiller =
      client.Right > headerRight ? TRect{headerRight, client.Top, client.Right, client.Bottom} : TRect{};
  const Integer rowsBottom = FColumns.empty() ? client.Top : RowsBounds.Bottom;
  BottomFiller = client.Bottom > rowsBottom ? TRect{client.Left, rowsBottom, client.Right, client.Bottom} : TRect{};
}

bool TcxLookupGridViewInfo::CalculateTopRowIndex(Integer ARequestedTopRowIndex, Integer& ATopRowIndex) {
  TWatchedScopeExit reset(FGrid, [this] { FMode = ticNone; });
  FMode = ticForward;
  FCalculatedTopRowIndex = ARequestedTopRowIndex;
  if (!Calculate()) return false;
  if (BottomFiller.IsEmpty() || FColumns.empty()) {
    ATopRowIndex = ARequestedTopRowIndex;
    return true;
  }
  FMode = ticBackward;
  FCalculatedTopRowIndex = std::min(FVisibleRowCount + ARequestedTopRowIndex - 1, FGrid->GetRowCount() - 1);
  if (!Calculate()) return false;
  ATopRowIndex = std::max(FCalculatedTopRowIndex - FVisibleRowCount + 1, Integer(0));
  return true;
}

TColor TcxLookupGridViewInfo::GetContentColor() const { return FGrid->GetColor(); }
TFont* TcxLookupGridViewInfo::GetContentFont() const { return FGrid->GetFont(); }
TColor TcxLookupGridViewInfo::GetContentTextColor() const { return GetContentFont()->GetColor(); }
TColor TcxLookupGridViewInfo::GetHeaderColor() const { return FGrid->GetLookAndFeelPainter()->DefaultColor27(); }
TFont* TcxLookupGridViewInfo::GetHeaderFont() const { return FGrid->GetFont(); }
TColor TcxLookupGridViewInfo::GetHeaderTextColor() const { return FGrid->GetLookAndFeelPainter()->DefaultColor28(); }

TL_DEFINE_CLASS(TcxLookupGridViewInfo, [](auto&) {});
