// TStringGrid: a table of texts in rows and columns with fixed (header) rows and columns at
// the top and left, a selected row and cell, a vertical scroll bar over the rows below the
// fixed ones, and a right click that selects the row under the pointer.
//
// Only the rows in view are drawn, so the cost of a paint does not grow with the row count.
// Columns are not scrolled: those past the right edge are cut off.
#pragma once

#include "classlib/visual/StdCtrls.h"

#include <vector>

TL_ENUM(TGridOption, goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goRowSelect);
using TGridOptions = Set<TGridOption>;

class TStringGrid : public TCustomControl {
  TL_CLASS(TStringGrid, TCustomControl)
 public:
  explicit TStringGrid(TComponent* AOwner);

  // Counts never go below 0. Fixed rows may take every row (a grid of headers alone); a
  // fixed count above the row or column count is lowered to it, and a row or column count
  // set below the fixed count lowers the fixed count with it.
  Integer GetColCount() const { return FColCount; }
  void SetColCount(Integer Value);
  Integer GetRowCount() const { return Integer(FCells.size()); }
  void SetRowCount(Integer Value);
  Integer GetFixedCols() const { return FFixedCols; }
  void SetFixedCols(Integer Value);
  Integer GetFixedRows() const { return FFixedRows; }
  void SetFixedRows(Integer Value);

  // Sizes in pixels, never below 0; a grid line adds its pixel after each cell.
  Integer GetDefaultColWidth() const { return FDefaultColWidth; }
  void SetDefaultColWidth(Integer Value);
  Integer GetDefaultRowHeight() const { return FDefaultRowHeight; }
  void SetDefaultRowHeight(Integer Value);
  // A column outside the grid answers the default width; setting one is ignored.
  Integer ColWidths(Integer ACol) const;
  void SetColWidths(Integer ACol, Integer Value);

  TGridOptions GetOptions() const { return FOptions; }
  void SetOptions(TGridOptions Value);
  TScrollStyle GetScrollBars() const { return FScrollBars; }
  void SetScrollBars(TScrollStyle Value);
  TBorderStyle GetBorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle Value);
  TColor GetFixedColor() const { return FFixedColor; }
  void SetFixedColor(TColor Value);

  // A cell outside the grid reads as empty; writing one raises EInvalidGridOperation.
  String Cells(Integer ACol, Integer ARow) const;
  void SetCells(Integer ACol, Integer ARow, const String& Value);

  // The selected row: one below the fixed rows, or -1 when the grid has none. Setting it
  // brings the row into view; a value outside the selectable rows is brought to the
  // nearest one.
  Integer GetRow() const { return FRow; }
  void SetRow(Integer Value);
  Integer GetCol() const { return FCol; }
  void SetCol(Integer Value);
  // The first row shown below the fixed rows, and how many whole rows fit there.
  Integer GetTopRow() const { return FTopRow; }
  void SetTopRow(Integer Value);
  Integer VisibleRowCount() const;
  // The row whose popup menu opened last: the row under the pointer for a right click
  // (a fixed row included), the selected row for the keyboard; -1 for none (a click
  // below the last row). A right click on a row below the fixed ones also selects it.
  Integer ContextRow() const { return FContextRow; }

  // The cell under a client point; -1 for a coordinate past the last row or column.
  void MouseToCell(Integer X, Integer Y, Integer& ACol, Integer& ARow) const;
  // The rectangle of a cell in client coordinates, empty when it is not in view.
  TRect CellRect(Integer ACol, Integer ARow) const;
  // How many rows the last paint drew (fixed rows included).
  Integer RowsPainted() const { return FRowsPainted; }

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void Paint() override;
  void Resize() override;
  void DefineProperties(TFiler& Filer) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos) override;
  bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos) override;

  void WMGetDlgCode(TMessage& Message);
  void WMVScroll(TMessage& Message);
  void WMContextMenu(TMessage& Message);

 private:
  Integer LineWidth(bool Fixed, bool Vertical) const;
  Integer RowStride() const;
  Integer FixedHeight() const;
  Integer MaxTopRow() const;
  // Row and top row brought back into their ranges after a change of counts or size.
  void ClampSelection();
  void ScrollInView(Integer ARow);
  void UpdateScrollBar();
  void DrawCell(Integer ACol, Integer ARow, const TRect& R, bool Fixed, bool Selected);

  Integer FColCount = 5;
  Integer FFixedCols = 1;
  Integer FFixedRows = 1;
  Integer FDefaultColWidth = 64;
  Integer FDefaultRowHeight = 24;
  std::vector<Integer> FColWidths;
  TGridOptions FOptions{TGridOption::goFixedVertLine, TGridOption::goFixedHorzLine, TGridOption::goVertLine,
                        TGridOption::goHorzLine};
  TScrollStyle FScrollBars = TScrollStyle::ssBoth;
  TBorderStyle FBorderStyle = TBorderStyle::bsSingle;
  TColor FFixedColor = clBtnFace;
  std::vector<std::vector<String>> FCells;   // [row][column]
  Integer FRow = 1;
  Integer FCol = 1;
  Integer FTopRow = 1;
  Integer FContextRow = -1;
  Integer FRowsPainted = 0;
};

TL_EXCEPTION(EInvalidGridOperation, Exception);

namespace GridsUnit {
void Initialize();
void Finalize();
}  // namespace GridsUnit
