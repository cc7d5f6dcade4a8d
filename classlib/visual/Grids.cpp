#include "classlib/visual/Grids.h"

#include "classlib/core/Filer.h"
#include "platform/kernel/Units.h"

#include <algorithm>

namespace {

// Widths kept for columns beyond this are refused: a stored description cannot make the
// grid hold an unbounded list.
constexpr Integer kMaxStoredColumn = 1 << 16;

}  // namespace

TStringGrid::TStringGrid(TComponent* AOwner) : TCustomControl(AOwner) {
  FControlStyle = TControlStyle{TControlStyleItem::csOpaque, TControlStyleItem::csCaptureMouse,
                                TControlStyleItem::csClickEvents, TControlStyleItem::csDoubleClicks};
  FColor = clWindow;
  FParentColor = false;
  FTabStop = true;
  FCells.assign(5, std::vector<String>(size_t(FColCount)));
  SetBounds(0, 0, 320, 120);
}

// ---- Counts and sizes -----------------------------------------------------------------------

void TStringGrid::SetColCount(Integer Value) {
  Value = std::max<Integer>(Value, 0);
  if (Value == FColCount) return;
  FColCount = Value;
  for (auto& row : FCells) row.resize(size_t(Value));
  FFixedCols = std::min(FFixedCols, Value);
  ClampSelection();
  Invalidate();
}

void TStringGrid::SetRowCount(Integer Value) {
  Value = std::max<Integer>(Value, 0);
  if (Value == GetRowCount()) return;
  FCells.resize(size_t(Value), std::vector<String>(size_t(FColCount)));
  FFixedRows = std::min(FFixedRows, Value);
  ClampSelection();
  UpdateScrollBar();
  Invalidate();
}

void TStringGrid::SetFixedCols(Integer Value) {
  Value = std::clamp<Integer>(Value, 0, FColCount);
  if (Value == FFixedCols) return;
  FFixedCols = Value;
  ClampSelection();
  Invalidate();
}

void TStringGrid::SetFixedRows(Integer Value) {
  Value = std::clamp<Integer>(Value, 0, GetRowCount());
  if (Value == FFixedRows) return;
  FFixedRows = Value;
  ClampSelection();
  UpdateScrollBar();
  Invalidate();
}

void TStringGrid::SetDefaultColWidth(Integer Value) {
  Value = std::clamp<Integer>(Value, 0, kMaxControlCoord);
  if (Value == FDefaultColWidth) return;
  FDefaultColWidth = Value;
  Invalidate();
}

void TStringGrid::SetDefaultRowHeight(Integer Value) {
  Value = std::clamp<Integer>(Value, 0, kMaxControlCoord);
  if (Value == FDefaultRowHeight) return;
  FDefaultRowHeight = Value;
  ClampSelection();
  UpdateScrollBar();
  Invalidate();
}

Integer TStringGrid::ColWidths(Integer ACol) const {
  if (ACol >= 0 && ACol < Integer(FColWidths.size()) && FColWidths[size_t(ACol)] >= 0)
    return FColWidths[size_t(ACol)];
  return FDefaultColWidth;
}

void TStringGrid::SetColWidths(Integer ACol, Integer Value) {
  // Widths are kept for columns not made yet, so a description may give them before the
  // column count.
  if (ACol < 0 || ACol >= kMaxStoredColumn) return;
  if (ACol >= Integer(FColWidths.size())) FColWidths.resize(size_t(ACol) + 1, -1);
  FColWidths[size_t(ACol)] = std::clamp<Integer>(Value, 0, kMaxControlCoord);
  Invalidate();
}

void TStringGrid::SetOptions(TGridOptions Value) {
  if (Value == FOptions) return;
  FOptions = Value;
  ClampSelection();
  UpdateScrollBar();
  Invalidate();
}

void TStringGrid::SetScrollBars(TScrollStyle Value) {
  if (Value == FScrollBars) return;
  FScrollBars = Value;
  if (HandleAllocated()) RecreateWnd();
}

void TStringGrid::SetBorderStyle(TBorderStyle Value) {
  if (Value == FBorderStyle) return;
  FBorderStyle = Value;
  if (HandleAllocated()) RecreateWnd();
}

void TStringGrid::SetFixedColor(TColor Value) {
  if (Value == FFixedColor) return;
  FFixedColor = Value;
  Invalidate();
}

// ---- Cells ------------------------------------------------------------------------------------

String TStringGrid::Cells(Integer ACol, Integer ARow) const {
  if (ACol < 0 || ARow < 0 || ACol >= FColCount || ARow >= GetRowCount()) return String();
  return FCells[size_t(ARow)][size_t(ACol)];
}

void TStringGrid::SetCells(Integer ACol, Integer ARow, const String& Value) {
  if (ACol < 0 || ARow < 0 || ACol >= FColCount || ARow >= GetRowCount())
    throw EInvalidGridOperation("Grid index out of range (" + std::to_string(ACol) + ", " + std::to_string(ARow) + ")");
  String& cell = FCells[size_t(ARow)][size_t(ACol)];
  if (cell == Value) return;
  cell = Value;
  const TRect r = CellRect(ACol, ARow);
  if (HandleAllocated() && r.Right > r.Left && r.Bottom > r.Top) {
    RECT rc = r;
    InvalidateRect(GetHandle(), &rc, FALSE);
  }
}

// ---- Geometry -----------------------------------------------------------------------------------

Integer TStringGrid::LineWidth(bool Fixed, bool Vertical) const {
  using O = TGridOption;
  if (Vertical) return FOptions.Contains(Fixed ? O::goFixedVertLine : O::goVertLine) ? 1 : 0;
  return FOptions.Contains(Fixed ? O::goFixedHorzLine : O::goHorzLine) ? 1 : 0;
}

Integer TStringGrid::RowStride() const {
  // Every row keeps the room of its line whether or not it is drawn, so fixed and other
  // rows stay on one pitch.
  const bool lines = FOptions.Contains(TGridOption::goHorzLine) || FOptions.Contains(TGridOption::goFixedHorzLine);
  return std::max<Integer>(1, FDefaultRowHeight + (lines ? 1 : 0));
}

Integer TStringGrid::FixedHeight() const { return FFixedRows * RowStride(); }

Integer TStringGrid::VisibleRowCount() const {
  const Integer room = GetClientHeight() - FixedHeight();
  return room > 0 ? room / RowStride() : 0;
}

Integer TStringGrid::MaxTopRow() const {
  return std::max(FFixedRows, GetRowCount() - std::max<Integer>(1, VisibleRowCount()));
}

void TStringGrid::ClampSelection() {
  const Integer rows = GetRowCount();
  FRow = rows > FFixedRows ? std::clamp(FRow < 0 ? FFixedRows : FRow, FFixedRows, rows - 1) : -1;
  FCol = FColCount > FFixedCols ? std::clamp(FCol < 0 ? FFixedCols : FCol, FFixedCols, FColCount - 1) : -1;
  FTopRow = std::clamp(FTopRow, FFixedRows, MaxTopRow());
}

void TStringGrid::MouseToCell(Integer X, Integer Y, Integer& ACol, Integer& ARow) const {
  ACol = -1;
  ARow = -1;
  if (X >= 0) {
    Integer x = 0;
    for (Integer c = 0; c < FColCount; ++c) {
      x += ColWidths(c) + LineWidth(c < FFixedCols, true);
      if (X < x) {
        ACol = c;
        break;
      }
    }
  }
  if (Y >= 0) {
    const Integer stride = RowStride();
    const Integer r = Y < FixedHeight() ? Y / stride : FTopRow + (Y - FixedHeight()) / stride;
    if (r < GetRowCount()) ARow = r;
  }
}

TRect TStringGrid::CellRect(Integer ACol, Integer ARow) const {
  if (ACol < 0 || ACol >= FColCount || ARow < 0 || ARow >= GetRowCount()) return TRect{};
  if (ARow >= FFixedRows && ARow < FTopRow) return TRect{};
  Integer x = 0;
  for (Integer c = 0; c < ACol; ++c) x += ColWidths(c) + LineWidth(c < FFixedCols, true);
  const Integer y = ARow < FFixedRows ? ARow * RowStride() : FixedHeight() + (ARow - FTopRow) * RowStride();
  if (y >= GetClientHeight()) return TRect{};
  return TRect{x, y, x + ColWidths(ACol), y + FDefaultRowHeight};
}

// ---- Selection and scrolling ---------------------------------------------------------------------

void TStringGrid::SetRow(Integer Value) {
  if (GetRowCount() <= FFixedRows) return;
  Value = std::clamp(Value, FFixedRows, GetRowCount() - 1);
  ScrollInView(Value);
  if (Value == FRow) return;
  FRow = Value;
  Invalidate();
}

void TStringGrid::SetCol(Integer Value) {
  if (FColCount <= FFixedCols) return;
  Value = std::clamp(Value, FFixedCols, FColCount - 1);
  if (Value == FCol) return;
  FCol = Value;
  Invalidate();
}

void TStringGrid::SetTopRow(Integer Value) {
  Value = std::clamp(Value, FFixedRows, MaxTopRow());
  if (Value == FTopRow) return;
  FTopRow = Value;
  UpdateScrollBar();
  Invalidate();
}

void TStringGrid::ScrollInView(Integer ARow) {
  if (ARow < FFixedRows) return;
  if (ARow < FTopRow)
    SetTopRow(ARow);
  else if (ARow >= FTopRow + std::max<Integer>(1, VisibleRowCount()))
    SetTopRow(ARow - std::max<Integer>(1, VisibleRowCount()) + 1);
}

void TStringGrid::UpdateScrollBar() {
  if (!HandleAllocated()) return;
  if (FScrollBars != TScrollStyle::ssVertical && FScrollBars != TScrollStyle::ssBoth) return;
  SCROLLINFO si;
  si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  si.nMin = 0;
  si.nMax = std::max<Integer>(0, GetRowCount() - FFixedRows - 1);
  si.nPage = UINT(std::max<Integer>(1, VisibleRowCount()));
  si.nPos = FTopRow - FFixedRows;
  SetScrollInfo(GetHandle(), SB_VERT, &si, TRUE);
}

void TStringGrid::WMVScroll(TMessage& Message) {
  const Integer page = std::max<Integer>(1, VisibleRowCount());
  switch (LOWORD(Message.WParam)) {
    case SB_LINEUP: SetTopRow(FTopRow - 1); break;
    case SB_LINEDOWN: SetTopRow(FTopRow + 1); break;
    case SB_PAGEUP: SetTopRow(FTopRow - page); break;
    case SB_PAGEDOWN: SetTopRow(FTopRow + page); break;
    case SB_TOP: SetTopRow(FFixedRows); break;
    case SB_BOTTOM: SetTopRow(MaxTopRow()); break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: {
      // The 32-bit track position: the message's 16 bits cannot carry long lists.
      SCROLLINFO si;
      si.fMask = SIF_TRACKPOS;
      if (GetScrollInfo(GetHandle(), SB_VERT, &si)) SetTopRow(FFixedRows + si.nTrackPos);
      break;
    }
    default: break;
  }
  Message.Result = 0;
}

void TStringGrid::Resize() {
  ClampSelection();
  UpdateScrollBar();
  inherited::Resize();
}

// ---- Window ---------------------------------------------------------------------------------------

void TStringGrid::CreateParams(TCreateParams& Params) {
  inherited::CreateParams(Params);
  if (FScrollBars == TScrollStyle::ssVertical || FScrollBars == TScrollStyle::ssBoth) Params.Style |= WS_VSCROLL;
  if (FBorderStyle == TBorderStyle::bsSingle) Params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TStringGrid::CreateWnd() {
  inherited::CreateWnd();
  ClampSelection();
  UpdateScrollBar();
}

void TStringGrid::WMGetDlgCode(TMessage& Message) { Message.Result = DLGC_WANTARROWS; }

// ---- Painting ----------------------------------------------------------------------------------------

void TStringGrid::DrawCell(Integer ACol, Integer ARow, const TRect& R, bool Fixed, bool Selected) {
  TCanvas* c = FCanvas;
  c->Brush()->SetStyle(TBrushStyle::bsSolid);
  c->Brush()->SetColor(Fixed ? FFixedColor : Selected ? clHighlight : FColor);
  c->FillRect(R);
  const String& text = FCells[size_t(ARow)][size_t(ACol)];
  if (text.empty()) return;
  c->Font()->SetColor(Selected && !Fixed ? clHighlightText : FFont->GetColor());
  TRect inner{R.Left + 2, R.Top, R.Right - 2, R.Bottom};
  if (inner.Right <= inner.Left) return;
  c->Brush()->SetStyle(TBrushStyle::bsClear);
  c->TextRect(inner, text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
  c->Brush()->SetStyle(TBrushStyle::bsSolid);
}

void TStringGrid::Paint() {
  TCanvas* c = FCanvas;
  const TRect client = GetClientRect();
  c->Font()->Assign(FFont);
  const Integer stride = RowStride();
  const bool rowSelect = FOptions.Contains(TGridOption::goRowSelect);
  Integer painted = 0;
  Integer bottom = 0, right = 0;
  auto drawRow = [&](Integer r, Integer y) {
    const bool fixedRow = r < FFixedRows;
    Integer x = 0;
    for (Integer col = 0; col < FColCount && x < client.Right; ++col) {
      const bool fixed = fixedRow || col < FFixedCols;
      const Integer w = ColWidths(col);
      const bool selected = !fixed && r == FRow && (rowSelect || col == FCol);
      DrawCell(col, r, TRect{x, y, x + w, y + FDefaultRowHeight}, fixed, selected);
      const Integer vline = LineWidth(col < FFixedCols, true);
      const Integer hline = stride - FDefaultRowHeight;
      // The room of a line is always painted: in the line's colour where this cell draws
      // one, else in the cell's own.
      const TColor line = fixed ? clBtnShadow : clSilver;
      const TColor back = fixed ? FFixedColor : selected ? clHighlight : FColor;
      if (vline) {
        c->Brush()->SetColor(LineWidth(fixed, true) ? line : back);
        c->FillRect(TRect{x + w, y, x + w + vline, y + FDefaultRowHeight});
      }
      if (hline) {
        c->Brush()->SetColor(LineWidth(fixed, false) ? line : back);
        c->FillRect(TRect{x, y + FDefaultRowHeight, x + w + vline, y + stride});
      }
      x += w + vline;
    }
    right = std::max(right, x);
    ++painted;
  };
  Integer y = 0;
  for (Integer r = 0; r < FFixedRows && y < client.Bottom; ++r, y += stride) drawRow(r, y);
  for (Integer r = FTopRow; r < GetRowCount() && y < client.Bottom; ++r, y += stride) drawRow(r, y);
  bottom = std::min(y, client.Bottom);
  // What no cell covers takes the grid's colour.
  c->Brush()->SetColor(FColor);
  if (right < client.Right) c->FillRect(TRect{right, 0, client.Right, bottom});
  if (bottom < client.Bottom) c->FillRect(TRect{0, bottom, client.Right, client.Bottom});
  FRowsPainted = painted;
}

// ---- Mouse and keys --------------------------------------------------------------------------------

void TStringGrid::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  if (Button == TMouseButton::mbLeft && CanFocus()) {
    // OnEnter (or OnExit of the control left) may free the grid or what holds it.
    TWeakLink self(this);
    SetFocus();
    if (!self.Alive()) return;
  }
  if (Button == TMouseButton::mbLeft || Button == TMouseButton::mbRight) {
    Integer col = -1, row = -1;
    MouseToCell(X, Y, col, row);
    if (row >= FFixedRows) SetRow(row);
    if (col >= FFixedCols && row >= FFixedRows) SetCol(col);
  }
  inherited::MouseDown(Button, Shift, X, Y);
}

void TStringGrid::WMContextMenu(TMessage& Message) {
  if (Message.LParam == LPARAM(-1)) {
    FContextRow = FRow;
  } else {
    const TPoint p = ScreenToClient(TPoint{SHORT(LOWORD(Message.LParam)), SHORT(HIWORD(Message.LParam))});
    Integer col = -1, row = -1;
    MouseToCell(p.X, p.Y, col, row);
    FContextRow = row;
    if (row >= FFixedRows) SetRow(row);
  }
  TL_INHERITED(Message);
}

void TStringGrid::KeyDown(Word& Key, TShiftState Shift) {
  inherited::KeyDown(Key, Shift);
  if (Key == 0) return;   // spent by the handler, which may also have freed the grid
  const Integer page = std::max<Integer>(1, VisibleRowCount());
  switch (Key) {
    case VK_UP: SetRow(FRow - 1); break;
    case VK_DOWN: SetRow(FRow + 1); break;
    case VK_PRIOR: SetRow(FRow - page); break;
    case VK_NEXT: SetRow(FRow + page); break;
    case VK_HOME: SetRow(FFixedRows); break;
    case VK_END: SetRow(GetRowCount() - 1); break;
    case VK_LEFT: SetCol(FCol - 1); break;
    case VK_RIGHT: SetCol(FCol + 1); break;
    default: return;
  }
  Key = 0;
}

bool TStringGrid::DoMouseWheelDown(TShiftState Shift, TPoint MousePos) {
  if (inherited::DoMouseWheelDown(Shift, MousePos)) return true;
  SetTopRow(FTopRow + std::max<Integer>(1, Mouse ? Mouse->GetWheelScrollLines() : 3));
  return true;
}

bool TStringGrid::DoMouseWheelUp(TShiftState Shift, TPoint MousePos) {
  if (inherited::DoMouseWheelUp(Shift, MousePos)) return true;
  SetTopRow(FTopRow - std::max<Integer>(1, Mouse ? Mouse->GetWheelScrollLines() : 3));
  return true;
}

// ---- Streaming ------------------------------------------------------------------------------------------

void TStringGrid::DefineProperties(TFiler& Filer) {
  inherited::DefineProperties(Filer);
  bool custom = false;
  for (Integer w : FColWidths) custom = custom || w >= 0;
  Filer.DefineProperty(
      "ColWidths",
      [this](TReader& Reader) {
        Reader.ReadListBegin();
        for (Integer i = 0; !Reader.EndOfList(); ++i) SetColWidths(i, Reader.ReadInteger());
        Reader.ReadListEnd();
      },
      [this](TWriter& Writer) {
        Writer.WriteListBegin();
        for (Integer i = 0; i < FColCount; ++i) Writer.WriteInteger(ColWidths(i));
        Writer.WriteListEnd();
      },
      custom);
}

TL_MESSAGES(TStringGrid,
            TL_ON(WM_GETDLGCODE, WMGetDlgCode),
            TL_ON(WM_VSCROLL, WMVScroll),
            TL_ON(WM_CONTEXTMENU, WMContextMenu))

TL_DEFINE_CLASS(TStringGrid, [](auto& c) {
  using T = TStringGrid;
  c.Property("BorderStyle", &T::GetBorderStyle, &T::SetBorderStyle).Default(TBorderStyle::bsSingle);
  c.Property("ColCount", &T::GetColCount, &T::SetColCount).Default(5);
  c.Property("RowCount", &T::GetRowCount, &T::SetRowCount).Default(5);
  c.Property("FixedCols", &T::GetFixedCols, &T::SetFixedCols).Default(1);
  c.Property("FixedRows", &T::GetFixedRows, &T::SetFixedRows).Default(1);
  c.Property("DefaultColWidth", &T::GetDefaultColWidth, &T::SetDefaultColWidth).Default(64);
  c.Property("DefaultRowHeight", &T::GetDefaultRowHeight, &T::SetDefaultRowHeight).Default(24);
  c.Property("FixedColor", &T::GetFixedColor, &T::SetFixedColor).Idents("TColor").Default(clBtnFace);
  c.Property("Options", &T::GetOptions, &T::SetOptions)
      .Default(TGridOptions{TGridOption::goFixedVertLine, TGridOption::goFixedHorzLine, TGridOption::goVertLine,
                            TGridOption::goHorzLine});
  c.Property("ScrollBars", &T::GetScrollBars, &T::SetScrollBars).Default(TScrollStyle::ssBoth);
})

namespace {
UnitCounter gGrids;
}

void GridsUnit::Initialize() {
  if (gGrids.Enter()) RegisterClass(TStringGrid::StaticClass());
}

void GridsUnit::Finalize() {
  if (gGrids.Leave()) UnRegisterClass(TStringGrid::StaticClass());
}
