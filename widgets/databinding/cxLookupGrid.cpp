// The lookup grid control: update lock and change set, the data controller's notices,
// sorting by header clicks, the top row and the scroll bar, keys, mouse and auto-scroll.
#include "widgets/databinding/cxLookupGrid.h"

#include "classlib/core/ScopeGuards.h"
#include "platform/kernel/ScopeExit.h"
#include "platform/kernel/Units.h"
#include "platform/user/User.h"
#include "widgets/databinding/cxLookupGridView.h"
#include "widgets/foundation/cxContainer.h"

#include <algorithm>

using enum TcxLookupGridChange;

TcxCustomLookupGrid::TcxCustomLookupGrid(TComponent* AOwner) : TcxControl(AOwner) {}

void TcxCustomLookupGrid::AfterConstruction() {
  inherited::AfterConstruction();
  FColumns = GetColumnsClass().Create(this, GetColumnClass());
  FOptions = New<TcxLookupGridOptions>(this);
  CreateViewInfoAndPainter();
  CreateDataController();
  SetParentColor(false);
  SetColor(clWindow);
  SetBounds(GetLeft(), GetTop(), 250, 200);
  SetKeys({TcxKey::kArrows});
}

void TcxCustomLookupGrid::BeforeDestruction() {
  SetScrollMode(TcxLookupGridScrollMode::smNone);
  // Columns leave the controller as they go; the controller goes first, so they find none.
  DestroyDataController();
  DestroyViewInfoAndPainter();
  if (FOptions) FOptions->Free();
  FOptions = nullptr;
  if (FColumns) FColumns->Free();
  FColumns = nullptr;
  inherited::BeforeDestruction();
}

void TcxCustomLookupGrid::Loaded() {
  inherited::Loaded();
  Changed({lgcLayout});
}

// ---- data side ----

void TcxCustomLookupGrid::BeginUpdate() {
  ++FLockCount;
  if (FDataController) FDataController->BeginUpdate();
}

void TcxCustomLookupGrid::EndUpdate() {
  TWeakLink self(this);
  if (FDataController) FDataController->EndUpdate();
  if (!self.Alive()) return;
  if (FLockCount > 0) --FLockCount;
  CheckChanges();
}

void TcxCustomLookupGrid::Changed(TcxLookupGridChanges AChanges) {
  FChanges = FChanges + AChanges;
  CheckChanges();
}

void TcxCustomLookupGrid::CheckChanges() {
  if (FChanges == TcxLookupGridChanges{} || FLockCount != 0) return;
  TWatchedScopeExit clear(this, [this] { FChanges = {}; });
  if (FChanges.Contains(lgcLayout) || FChanges.Contains(lgcData) || FChanges.Contains(lgcFocusedRow)) RefreshLayout();
}

void TcxCustomLookupGrid::AddColumn(TcxLookupGridColumn* AColumn) {
  if (FDataController) FDataController->AddItem(AColumn);
}

void TcxCustomLookupGrid::RemoveColumn(TcxLookupGridColumn* AColumn) {
  if (!FDataController) return;
  if (FFocusedColumn == AColumn) FFocusedColumn = nullptr;
  FDataController->RemoveItem(AColumn);
}

void TcxCustomLookupGrid::CreateViewInfoAndPainter() {
  FViewInfo = New<TcxLookupGridViewInfo>(this);
  FPainter = New<TcxLookupGridPainter>(this);
  FPainter->SetLookAndFeelPainter(GetLookAndFeelPainter());
}

void TcxCustomLookupGrid::DestroyViewInfoAndPainter() {
  if (FViewInfo) FViewInfo->Free();
  FViewInfo = nullptr;
  if (FPainter) FPainter->Free();
  FPainter = nullptr;
}

void TcxCustomLookupGrid::CreateDataController() {
  FDataController = GetDataControllerClass().Create(this);
  FDataController->OnUpdateControl = {this, &TcxCustomLookupGrid::UpdateControl};
}

void TcxCustomLookupGrid::DestroyDataController() {
  if (FDataController) FDataController->Free();
  FDataController = nullptr;
}

TcxLookupGridColumnClass TcxCustomLookupGrid::GetColumnClass() const {
  return ClassOf<TcxLookupGridColumn, TCollectionItem, TCollection*>();
}

TcxLookupGridColumnsClass TcxCustomLookupGrid::GetColumnsClass() const {
  return ClassOf<TcxLookupGridColumns, TcxLookupGridColumns, TcxCustomLookupGrid*, TcxLookupGridColumnClass>();
}

TcxLookupGridDataControllerClass TcxCustomLookupGrid::GetDataControllerClass() const {
  return ClassOf<TcxLookupGridDataController, TcxCustomDataController, TcxCustomLookupGrid*>();
}

void TcxCustomLookupGrid::UpdateControl(TcxUpdateControlInfo* AInfo) {
  if (dynamic_cast<TcxDataChangedInfo*>(AInfo))
    DataChanged();
  else if (dynamic_cast<TcxLayoutChangedInfo*>(AInfo))
    LayoutChanged();
  else if (auto* focus = dynamic_cast<TcxFocusedRowChangedInfo*>(AInfo))
    FocusedRowChanged(focus->PrevFocusedRowIndex, focus->FocusedRowIndex);
  else if (auto* selection = dynamic_cast<TcxSelectionChangedInfo*>(AInfo))
    SelectionChanged(selection);
}

void TcxCustomLookupGrid::SetFocusedColumn(TcxLookupGridColumn* Value) {
  if (FOptions && FOptions->GetRowSelect()) Value = nullptr;
  if (FFocusedColumn == Value) return;
  FFocusedColumn = Value;
  Changed({lgcLayout});
}

void TcxCustomLookupGrid::SetFocusedColumnIndex(Integer Value) {
  const Integer count = FColumns->Count();
  if (count == 0) return;
  Value = std::clamp(Value, Integer(0), count - 1);
  if (Value != GetFocusedColumnIndex()) SetFocusedColumn(FColumns->GetItem(Value));
}

Integer TcxCustomLookupGrid::GetFocusedRowIndex() const {
  return FDataController ? FDataController->GetFocusedRowIndex() : -1;
}

void TcxCustomLookupGrid::SetFocusedRowIndex(Integer Value) {
  if (FDataController) FDataController->ChangeFocusedRowIndex(Value);
}

Integer TcxCustomLookupGrid::GetRowCount() const { return FDataController ? FDataController->GetRowCount() : 0; }

void TcxCustomLookupGrid::HeaderClick(Integer AColumnIndex, TShiftState AShift) {
  if (!FOptions->GetColumnSorting() || AColumnIndex < 0 || AColumnIndex >= FColumns->Count()) return;
  TcxLookupGridColumn* column = FColumns->GetItem(AColumnIndex);
  if (!column->GetSorting()) return;
  TWatchedScopeExit finish(this, [this] {
    TWeakLink self(this);
    EndUpdate();
    if (self.Alive()) MakeFocusedRowVisible();
  });
  BeginUpdate();
  if (AShift.Contains(TShiftStateItem::ssCtrl)) {
    column->SetSortOrder(TcxDataSortOrder::soNone);
    return;
  }
  const TcxDataSortOrder order = column->GetSortOrder() == TcxDataSortOrder::soAscending
                                     ? TcxDataSortOrder::soDescending
                                     : TcxDataSortOrder::soAscending;
  if (!AShift.Contains(TShiftStateItem::ssShift)) FDataController->ClearSorting(true);
  column->SetSortOrder(order);
}

void TcxCustomLookupGrid::CellMouseDown(Integer ARowIndex, Integer AColumnIndex, TShiftState) {
  TWeakLink self(this);
  if (ARowIndex != -1) SetFocusedRowIndex(ARowIndex);
  if (!self.Alive()) return;
  if (AColumnIndex != -1) SetFocusedColumnIndex(AColumnIndex);
}

// ---- view side ----

void TcxCustomLookupGrid::SetIsPopup(bool Value) {
  if (FIsPopup == Value) return;
  FIsPopup = Value;
  Changed({lgcLayout});
}

Integer TcxCustomLookupGrid::GetBorderSize() {
  if (FIsPopup) return 0;
  const TcxCustomLookAndFeelPainter* painter = GetLookAndFeelPainter();
  return painter ? painter->BorderSize() : 0;
}

const TcxCustomLookAndFeelPainter* TcxCustomLookupGrid::GetLookAndFeelPainter() const {
  return GetLookAndFeel() ? GetLookAndFeel()->GetPainter() : nullptr;
}

bool TcxCustomLookupGrid::HasRowsAbove() const {
  return FDataController && FDataController->IsGridMode() && !FDataController->IsBOF();
}

bool TcxCustomLookupGrid::HasRowsBelow() const {
  return FDataController && FDataController->IsGridMode() && !FDataController->IsEOF();
}

void TcxCustomLookupGrid::Recalculate() {
  if (!HandleAllocated() || !FViewInfo) return;
  if (!FViewInfo->Calculate()) return;
  Invalidate();
  UpdateScrollBars();
}

// An unchanged top row leaves the view info calculated in the normal mode already: only
// the painting and the bar follow, sparing a third layout pass.
void TcxCustomLookupGrid::RefreshLayout() {
  if (!FViewInfo || IsDestroying()) return;
  const Integer before = FTopRowIndex;
  if (!InternalSetTopRowIndex(FTopRowIndex, true)) return;
  if (FTopRowIndex != before) {
    Recalculate();
  } else if (HandleAllocated()) {
    Invalidate();
    UpdateScrollBars();
  }
}

void TcxCustomLookupGrid::DataChanged() {
  TWeakLink self(this);
  RefreshLayout();
  if (!self.Alive()) return;
  if (OnDataChanged) OnDataChanged(this);
}

void TcxCustomLookupGrid::LayoutChanged() { RefreshLayout(); }

void TcxCustomLookupGrid::DoFocusedRowChangedLink() {
  if (OnFocusedRowChangedLink) OnFocusedRowChangedLink(this);
}

void TcxCustomLookupGrid::DoCloseUp(bool AAccept) {
  if (OnCloseUp) OnCloseUp(this, AAccept);
}

void TcxCustomLookupGrid::DoClickLink() {
  if (OnClickLink) OnClickLink(this);
}

void TcxCustomLookupGrid::InvalidateRow(Integer ARowIndex, bool ARecalculate) {
  if (!FViewInfo) return;
  TcxLookupGridRowViewInfo* row = FViewInfo->FindRow(ARowIndex);
  if (!row) return;
  if (ARecalculate) {
    row->Focused = row->RowIndex == GetFocusedRowIndex();
    if (!FViewInfo->CalculateCells(row)) return;
  }
  InvalidateRect(row->Bounds, false);
}

void TcxCustomLookupGrid::InvalidateFocusedRow() { InvalidateRow(GetFocusedRowIndex(), false); }

void TcxCustomLookupGrid::FocusedRowChanged(Integer APrevFocusedRowIndex, Integer AFocusedRowIndex) {
  const Integer first = FViewInfo->TopRowIndex();
  const Integer last = first + FViewInfo->VisibleRowCount() - 1;
  TWeakLink self(this);
  if (HandleAllocated() && AFocusedRowIndex >= first && AFocusedRowIndex <= last) {
    InvalidateRow(APrevFocusedRowIndex, true);
    if (self.Alive()) InvalidateRow(AFocusedRowIndex, true);
  } else {
    RefreshLayout();
    if (self.Alive()) MakeFocusedRowVisible();
  }
}

void TcxCustomLookupGrid::SelectionChanged(TcxSelectionChangedInfo* AInfo) {
  if (AInfo->GetCount() == 0) {
    RefreshLayout();
    return;
  }
  TWeakLink self(this);
  for (Integer i = 0; i < AInfo->GetCount() && self.Alive(); ++i) InvalidateRow(AInfo->GetRowIndex(i), true);
}

void TcxCustomLookupGrid::SetFocusedSelected(bool ASelected) {
  if (FDataController) FDataController->SetFocusedSelected(ASelected);
}

// ---- top row ----

void TcxCustomLookupGrid::CheckTopRowIndex(Integer& Value) {
  const Integer rows = GetRowCount();
  if (FDataController && FDataController->IsGridMode()) {
    const Integer visible = FViewInfo->VisibleRowCount();
    if (Value < 0) {
      if (!FDataController->IsBOF()) FDataController->Scroll(Value);
      Value = 0;
    } else if (Value >= rows) {
      if (!FDataController->IsEOF()) FDataController->Scroll(Value - (rows - 1));
      Value = rows - 1;
    } else if (Value > rows - visible) {
      if (!FDataController->IsEOF()) FDataController->Scroll(Value - (rows - visible));
      Value = rows - visible;
    }
  }
  Value = std::max(std::min(Value, rows - 1), Integer(0));
}

void TcxCustomLookupGrid::SetTopRowIndex(Integer Value) {
  TWeakLink self(this);
  CheckTopRowIndex(Value);
  if (!self.Alive()) return;
  if (Value != FTopRowIndex) InternalSetTopRowIndex(Value, false);
}

bool TcxCustomLookupGrid::InternalSetTopRowIndex(Integer Value, bool AWithoutRecalculation) {
  Integer top = 0;
  if (!FViewInfo->CalculateTopRowIndex(Value, top)) return false;
  if (top == FTopRowIndex) return FViewInfo->Calculate();
  FTopRowIndex = top;
  auto unlock = WatchedPairedCall(this, [this] { LockMouseMove(true); }, [this] { LockMouseMove(false); });
  if (!AWithoutRecalculation) Recalculate();
  return unlock.Alive();
}

void TcxCustomLookupGrid::MakeRowVisible(Integer ARowIndex) {
  const Integer visible = FViewInfo->VisibleRowCount();
  if (visible == 0) return;
  const Integer first = FViewInfo->TopRowIndex();
  if (ARowIndex < first)
    SetTopRowIndex(ARowIndex);
  else if (ARowIndex > first + visible - 1)
    SetTopRowIndex(ARowIndex - visible + 1);
}

void TcxCustomLookupGrid::MakeFocusedRowVisible() {
  const Integer row = GetFocusedRowIndex();
  if (row != -1) MakeRowVisible(row);
}

void TcxCustomLookupGrid::LockMouseMove(bool ARaise) {
  if (ARaise)
    ++FIgnoreMouseMoveCount;
  else if (FIgnoreMouseMoveCount > 0)
    --FIgnoreMouseMoveCount;
}

// ---- heights for a drop-down ----

Integer TcxCustomLookupGrid::GetHeightForRowCount(Integer ARowCount) const {
  return FViewInfo->FullRowHeight() * ARowCount + FViewInfo->HeaderBounds.Height();
}

// A grid that never laid out a column has rows of height 0 under some grid-line settings:
// then there is no row to snap to, and the proposal stands (never below the header).
Integer TcxCustomLookupGrid::SnapPopupHeight(Integer AHeight) const {
  const Integer H = FViewInfo->HeaderBounds.Height();
  const Integer F = FViewInfo->FullRowHeight();
  if (F <= 0) return std::max(AHeight, H);
  // Worked out wide: a proposal near the integer range's ends must not wrap round.
  Int64 n = (Int64(AHeight) - H) / F;
  if (n <= 0) n = 1;
  if (n > GetRowCount()) n = GetRowCount();
  n = std::max(n, Int64(1));
  return Integer(F * n + H);
}

// ---- hit test ----

TcxLookupGridHitInfo TcxCustomLookupGrid::HitTest(const TPoint& P) const {
  TcxLookupGridHitInfo info;
  auto inside = [&P](const TRect& R) { return P.X >= R.Left && P.X < R.Right && P.Y >= R.Top && P.Y < R.Bottom; };
  const TRect client = const_cast<TcxCustomLookupGrid*>(this)->GetClientBounds();
  if (!inside(client) || !FViewInfo) return info;
  if (inside(FViewInfo->HeaderBounds)) {
    for (size_t i = 0; i < FViewInfo->Columns().size(); ++i)
      if (inside(FViewInfo->Columns()[i]->Bounds)) {
        info.HitTest = TcxLookupGridHitTest::htHeader;
        info.ColumnIndex = Integer(i);
        break;
      }
  } else if (inside(FViewInfo->RowsBounds)) {
    for (const auto& row : FViewInfo->Rows()) {
      if (!inside(row->Bounds)) continue;
      info.RowIndex = row->RowIndex;
      for (const auto& cell : row->Cells)
        if (P.X >= cell->Bounds.Left && P.X < cell->Bounds.Right) {
          info.HitTest = TcxLookupGridHitTest::htCell;
          info.ColumnIndex = cell->Index;
          break;
        }
      break;
    }
  }
  return info;
}

// ---- painting and control hooks ----

void TcxCustomLookupGrid::Paint() {
  inherited::Paint();
  FPainter->Paint();
}

void TcxCustomLookupGrid::SetInternalControlsParent() {
  TWeakLink self(this);
  inherited::SetInternalControlsParent();
  if (self.Alive()) RefreshLayout();
}

void TcxCustomLookupGrid::LookAndFeelChanged(TcxLookAndFeel* Sender, TcxLookAndFeelValues AChangedValues) {
  TWeakLink self(this);
  inherited::LookAndFeelChanged(Sender, AChangedValues);
  if (!self.Alive()) return;
  if (FPainter) FPainter->SetLookAndFeelPainter(GetLookAndFeelPainter());
  Changed({lgcLayout});
}

void TcxCustomLookupGrid::ColorChanged() {
  TWeakLink self(this);
  RefreshLayout();
  if (!self.Alive()) return;
  inherited::ColorChanged();
}

void TcxCustomLookupGrid::FontChanged() {
  TWeakLink self(this);
  inherited::FontChanged();
  if (self.Alive()) RefreshLayout();
}

void TcxCustomLookupGrid::BoundsChanged() {
  TWeakLink self(this);
  RefreshLayout();
  if (!self.Alive()) return;
  inherited::BoundsChanged();
}

void TcxCustomLookupGrid::Resize() {
  inherited::Resize();
}

void TcxCustomLookupGrid::CreateWnd() {
  // The window's first size lays the rows out already.
  TWeakLink self(this);
  inherited::CreateWnd();
  if (self.Alive()) RefreshLayout();
}

void TcxCustomLookupGrid::FocusChanged() {
  InvalidateFocusedRow();
  inherited::FocusChanged();
}

void TcxCustomLookupGrid::DoCancelMode() {
  SetScrollMode(TcxLookupGridScrollMode::smNone);
  FMouseSelecting = false;
  inherited::DoCancelMode();
}

// ---- scroll bar ----

void TcxCustomLookupGrid::CalculateScrollBarsHook() {
  const Integer above = HasRowsAbove() ? 1 : 0, below = HasRowsBelow() ? 1 : 0;
  SetScrollBarInfo(TScrollBarKind::sbVertical, 0, above + GetRowCount() - 1 + below, 1, FViewInfo->VisibleRowCount(),
                   above + FViewInfo->TopRowIndex(), true, true);
}

// A scroll asks the texts of the rows it brings into view; their handlers may free the grid.
void TcxCustomLookupGrid::ScrollPage(bool ADown) {
  const Integer visible = FViewInfo->VisibleRowCount();
  const Integer step = visible < 2 ? 1 : visible - 1;
  SetTopRowIndex(FTopRowIndex + (ADown ? step : -step));
}

void TcxCustomLookupGrid::Scroll(TScrollBarKind AKind, TScrollCode AScrollCode, Integer& AScrollPos) {
  if (AKind != TScrollBarKind::sbVertical) return;
  const Integer above = HasRowsAbove() ? 1 : 0;
  const bool gridMode = FDataController && FDataController->IsGridMode();
  TWeakLink self(this);
  switch (AScrollCode) {
    case TScrollCode::scLineUp:
      SetTopRowIndex(FTopRowIndex - 1);
      break;
    case TScrollCode::scLineDown:
      SetTopRowIndex(FTopRowIndex + 1);
      break;
    case TScrollCode::scPageUp:
      ScrollPage(false);
      break;
    case TScrollCode::scPageDown:
      ScrollPage(true);
      break;
    case TScrollCode::scPosition:
      if (gridMode) SetTopRowIndex(AScrollPos - above);
      break;
    case TScrollCode::scTrack:
      if (!gridMode) SetTopRowIndex(AScrollPos);
      break;
    default:
      break;
  }
  if (!self.Alive()) return;
  AScrollPos = (HasRowsAbove() ? 1 : 0) + FTopRowIndex;
}

// ---- keys ----

void TcxCustomLookupGrid::FocusNextRow(bool AForward) {
  TWeakLink self(this);
  Integer start = GetFocusedRowIndex();
  if (FDataController->IsGridMode()) {
    if (AForward && start == GetRowCount() - 1 && !FDataController->IsEOF()) {
      FDataController->Scroll(1);
      if (!self.Alive()) return;
      if (!FDataController->IsEOF()) --start;
    } else if (!AForward && start == 0 && !FDataController->IsBOF()) {
      FDataController->Scroll(-1);
      if (!self.Alive()) return;
      if (!FDataController->IsBOF()) ++start;
    }
  }
  const Integer next = std::clamp(start + (AForward ? 1 : -1), Integer(0), std::max(GetRowCount() - 1, Integer(0)));
  SetFocusedRowIndex(next);
  if (self.Alive()) SetFocusedSelected(true);
}

void TcxCustomLookupGrid::PageKey(bool ADown) {
  TWeakLink self(this);
  MakeFocusedRowVisible();
  if (!self.Alive()) return;
  const Integer top = FViewInfo->TopRowIndex();
  const Integer last = top + FViewInfo->VisibleRowCount() - 1;
  if (GetFocusedRowIndex() == (ADown ? last : top)) ScrollPage(ADown);
  if (!self.Alive()) return;
  const Integer newTop = FViewInfo->TopRowIndex();
  SetFocusedRowIndex(ADown ? newTop + FViewInfo->VisibleRowCount() - 1 : newTop);
}

void TcxCustomLookupGrid::KeyDown(Word& Key, TShiftState Shift) {
  inherited::KeyDown(Key, Shift);
  switch (Key) {
    case VK_RETURN:
      // Nothing to accept without a focused row: the list closes as cancelled.
      DoCloseUp(GetFocusedRowIndex() != -1);
      break;
    case VK_PRIOR:
      PageKey(false);
      break;
    case VK_NEXT:
      PageKey(true);
      break;
    case VK_HOME:
    case VK_END:
      if (Shift.Contains(TShiftStateItem::ssCtrl) || FOptions->GetRowSelect()) {
        if (Key == VK_HOME)
          FDataController->GotoFirst();
        else
          FDataController->GotoLast();
      } else {
        TWeakLink self(this);
        SetFocusedColumnIndex(Key == VK_HOME ? 0 : FColumns->Count() - 1);
        if (self.Alive()) MakeFocusedRowVisible();
      }
      break;
    case VK_LEFT:
    case VK_RIGHT: {
      TWeakLink self(this);
      SetFocusedColumnIndex(GetFocusedColumnIndex() + (Key == VK_LEFT ? -1 : 1));
      if (self.Alive()) MakeFocusedRowVisible();
      break;
    }
    case VK_UP:
    case VK_DOWN:
      FocusNextRow(Key == VK_DOWN);
      break;
    default:
      break;
  }
}

// ---- mouse and auto-scroll ----

void TcxCustomLookupGrid::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  inherited::MouseDown(Button, Shift, X, Y);
  const TcxLookupGridHitInfo hit = HitTest({X, Y});
  if (hit.HitTest == TcxLookupGridHitTest::htHeader) {
    HeaderClick(hit.ColumnIndex, Shift);
  } else if (hit.HitTest == TcxLookupGridHitTest::htCell) {
    TWeakLink self(this);  // the focused row's layout may run a text handler that frees the grid
    CellMouseDown(hit.RowIndex, hit.ColumnIndex, Shift);
    if (self.Alive()) FMouseSelecting = true;
  }
}

void TcxCustomLookupGrid::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  inherited::MouseMove(Shift, X, Y);
  const bool captured = GetMouseCapture();
  if (!captured && FIgnoreMouseMoveCount > 0) {
    --FIgnoreMouseMoveCount;
    return;
  }
  if (!captured && !FIsPopup) return;
  const TcxLookupGridHitInfo hit = HitTest({X, Y});
  if (FMouseSelecting && captured) {
    if (Y < FViewInfo->VisibleRowsBounds.Top) {
      SetScrollMode(TcxLookupGridScrollMode::smTop);
      return;
    }
    if (Y >= FViewInfo->VisibleRowsBounds.Bottom) {
      SetScrollMode(TcxLookupGridScrollMode::smBottom);
      return;
    }
  }
  SetScrollMode(TcxLookupGridScrollMode::smNone);
  if (hit.HitTest == TcxLookupGridHitTest::htCell) {
    TWeakLink self(this);
    SetFocusedRowIndex(hit.RowIndex);
    if (self.Alive()) SetFocusedSelected(true);
  }
}

void TcxCustomLookupGrid::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  inherited::MouseUp(Button, Shift, X, Y);
  SetScrollMode(TcxLookupGridScrollMode::smNone);
  const TcxLookupGridHitInfo hit = HitTest({X, Y});
  if (FMouseSelecting) {
    FMouseSelecting = false;
    DoCloseUp(hit.HitTest == TcxLookupGridHitTest::htCell);
  }
}

void TcxCustomLookupGrid::SetScrollMode(TcxLookupGridScrollMode Value) {
  if (FScrollMode == Value) return;
  if (FScrollTimer) FScrollTimer->Free();
  FScrollTimer = nullptr;
  FScrollMode = Value;
  if (Value == TcxLookupGridScrollMode::smNone) return;
  FScrollTimer = New<TcxTimer>(nullptr);
  FScrollTimer->SetInterval(50);
  FScrollTimer->SetOnTimer({this, &TcxCustomLookupGrid::ScrollTimerHandler});
}

// Each tick moves the focus one row past the fully visible band, in either direction: the
// row right below the band, not the one after it, so no row is skipped going down.
void TcxCustomLookupGrid::ScrollTimerHandler(TObject*) {
  const TPoint P = ScreenToClient(cxGetCursorPos());
  Integer target;
  if (P.Y < FViewInfo->VisibleRowsBounds.Top)
    target = FTopRowIndex - 1;
  else if (P.Y >= FViewInfo->VisibleRowsBounds.Bottom)
    target = FTopRowIndex + FViewInfo->VisibleRowCount();
  else
    return;
  target = std::clamp(target, Integer(0), std::max(GetRowCount() - 1, Integer(0)));
  TWeakLink self(this);
  SetFocusedRowIndex(target);
  if (self.Alive()) MakeFocusedRowVisible();
  if (self.Alive()) SetFocusedSelected(false);
}

TL_DEFINE_CLASS(TcxCustomLookupGrid, [](auto&) {});

TL_DEFINE_CLASS(TcxLookupGrid, [](auto& c) {
  using T = TcxCustomLookupGrid;
  c.Property("Columns", &T::GetColumns, &T::SetColumns);
  c.Property("DataController", &T::GetDataController, &T::SetDataController);
  c.Property("Options", &T::GetOptions, &T::SetOptions);
  c.Property("LookAndFeel", &T::GetLookAndFeel, &T::SetLookAndFeel);
});

// ---- unit ----

namespace {
UnitCounter gLookupGridUnit;
}

void cxLookupGrid::Initialize() {
  if (!gLookupGridUnit.Enter()) return;
  RegisterClasses({&TcxLookupGrid::StaticClass(), &TcxLookupGridColumn::StaticClass()});
}

void cxLookupGrid::Finalize() {
  if (!gLookupGridUnit.Leave()) return;
  UnRegisterClass(TcxLookupGridColumn::StaticClass());
  UnRegisterClass(TcxLookupGrid::StaticClass());
}
