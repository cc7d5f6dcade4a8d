// The lookup grid's visible half: the layout of header, columns, rows and cells into view
// infos, each cell laid out by its column's editor, and the painter that draws them.
// Only the rows that fit (and one partly visible row) are laid out.
#pragma once

#include "widgets/databinding/cxLookupGrid.h"
#include "widgets/editcore/cxEditStyles.h"
#include "widgets/editcore/cxEditViewData.h"
#include "widgets/foundation/cxLookAndFeelPainters.h"

#include <vector>

class TcxLookupGridPartViewInfo : public TObject {
  TL_CLASS(TcxLookupGridPartViewInfo, TObject)
 public:
  TRect Bounds{};
  TRect ContentBounds{};
};

class TcxLookupGridColumnViewInfo : public TcxLookupGridPartViewInfo {
  TL_CLASS(TcxLookupGridColumnViewInfo, TcxLookupGridPartViewInfo)
 public:
  void BeforeDestruction() override;
  // Exists only while a cell or the content height of the column is worked out.
  TcxCustomEditViewData* EditViewData = nullptr;
  TcxCustomEditStyle* Style = nullptr;  // owned
  TAlignment HeaderAlignment = TAlignment::taLeftJustify;
  TcxBorders HeaderBorders;
  TcxNeighbors Neighbors;
  TcxDataSortOrder SortOrder = TcxDataSortOrder::soNone;
  String Text;
};

class TcxLookupGridCellViewInfo : public TcxLookupGridPartViewInfo {
  TL_CLASS(TcxLookupGridCellViewInfo, TcxLookupGridPartViewInfo)
 public:
  void BeforeDestruction() override;
  TcxCustomEditViewInfo* EditViewInfo = nullptr;  // owned
  TcxBorders Borders;
  Integer Index = -1;  // the column's
  bool Focused = false;
};

class TcxLookupGridRowViewInfo : public TObject {
  TL_CLASS(TcxLookupGridRowViewInfo, TObject)
 public:
  Integer Count() const { return Integer(Cells.size()); }
  TcxLookupGridCellViewInfo* GetCell(Integer AIndex) const { return Cells[size_t(AIndex)].get(); }
  std::vector<Owned<TcxLookupGridCellViewInfo>> Cells;
  TcxBorders Borders;
  TRect Bounds{};
  TRect ContentBounds{};
  bool Focused = false;
  Integer RecordIndex = -1;
  Integer RowIndex = -1;
};

class TcxLookupGridViewInfo : public TObject {
  TL_CLASS(TcxLookupGridViewInfo, TObject)
 public:
  explicit TcxLookupGridViewInfo(TcxCustomLookupGrid* AGrid) : FGrid(AGrid) {}

  TcxCustomLookupGrid* Grid() const { return FGrid; }
  const std::vector<Owned<TcxLookupGridColumnViewInfo>>& Columns() const { return FColumns; }
  const std::vector<Owned<TcxLookupGridRowViewInfo>>& Rows() const { return FRows; }
  // The first laid-out row with that index; nil when none.
  TcxLookupGridRowViewInfo* FindRow(Integer ARowIndex) const;
  Integer TopRowIndex() const;
  Integer BorderSize() const { return FBorderSize; }
  Integer ContentRowHeight() const { return FContentRowHeight; }
  // The content row height and, with horizontal lines, the line under it.
  Integer FullRowHeight() const;
  Integer RowCount() const { return Integer(FRows.size()); }
  Integer VisibleRowCount() const { return FVisibleRowCount; }
  TcxLookupGridTopRowIndexCalculation CalculationMode() const { return FMode; }
  TRect HeaderBounds{};
  TRect RowsBounds{};
  TRect VisibleRowsBounds{};
  TRect BottomFiller{};
  TRect RightFiller{};

  virtual Integer GetHeaderHeight();
  virtual void CalculateHeader();
  virtual void CalculateFillers();
  virtual void CalculateColumns();
  // The layout asks the rows' texts, whose handlers may free the grid (with this view info),
  // its owner or its data controller: these answer false where that happened, and the caller
  // then stops and touches nothing of the grid.
  virtual bool CalculateRows();
  virtual bool Calculate();
  // The top row that fills the client area from ARequestedTopRowIndex on, in ATopRowIndex.
  virtual bool CalculateTopRowIndex(Integer ARequestedTopRowIndex, Integer& ATopRowIndex);
  virtual void InitColumnStyle(TcxLookupGridColumnViewInfo* AColumnViewInfo, TcxLookupGridColumn* AColumn);
  virtual TcxCustomEditViewData* CreateColumnViewData(TcxLookupGridColumnViewInfo* AColumnViewInfo,
                                                      TcxLookupGridColumn* AColumn);
  virtual void FreeColumnViewData(TcxLookupGridColumnViewInfo* AColumnViewInfo, TcxLookupGridColumn* AColumn);
  virtual TColor GetContentColor() const;
  virtual TFont* GetContentFont() const;
  virtual TColor GetContentTextColor() const;
  virtual TColor GetGridLineColor() const { return clBtnFace; }
  virtual Integer GetGridLineWidth() const { return 1; }
  virtual TColor GetHeaderColor() const;
  virtual TFont* GetHeaderFont() const;
  virtual TColor GetHeaderTextColor() const;
  virtual TColor GetSelectionColor() const { return clHighlight; }
  virtual TColor GetSelectionTextColor() const { return clHighlightText; }

  // Colours, value and editor view info of each cell of the row; false where a text handler
  // freed the grid or its data controller.
  bool CalculateCells(TcxLookupGridRowViewInfo* ARow);

 private:
  void CalculateGridLines(TcxLookupGridRowViewInfo* ARow);
  bool LayOutRow(Integer ARowIndex, Integer& ATop);
  Integer CalculateContentRowHeight();
  TcxCanvas* Canvas() const;

  TcxCustomLookupGrid* FGrid;
  std::vector<Owned<TcxLookupGridColumnViewInfo>> FColumns;
  std::vector<Owned<TcxLookupGridRowViewInfo>> FRows;
  Integer FCalculatedTopRowIndex = 0;
  TcxLookupGridTopRowIndexCalculation FMode = TcxLookupGridTopRowIndexCalculation::ticNone;
  Integer FContentRowHeight = 0;
  Integer FBorderSize = 0;
  Integer FVisibleRowCount = 0;
};

class TcxLookupGridPainter : public TObject {
  TL_CLASS(TcxLookupGridPainter, TObject)
 public:
  explicit TcxLookupGridPainter(TcxCustomLookupGrid* AGrid) : FGrid(AGrid) {}
  void BeforeDestruction() override;

  // The grid's canvas while its window exists, else an own screen canvas.
  TcxCanvas* Canvas();
  const TcxCustomLookAndFeelPainter* LookAndFeelPainter() const { return FLookAndFeelPainter; }
  void SetLookAndFeelPainter(const TcxCustomLookAndFeelPainter* Value) { FLookAndFeelPainter = Value; }
  void Paint();

  virtual void DrawBorder();
  virtual void DrawCell(TcxLookupGridCellViewInfo* ACell);
  virtual void DrawContent();
  virtual void DrawBackground();
  virtual void DrawHeaders();
  virtual void DrawRow(TcxLookupGridRowViewInfo* ARow);
  virtual void DrawRows();

 private:
  TcxLookupGridViewInfo* ViewInfo() const;
  void DrawLines(const TRect& R, TcxBorders ABorders);
  TcxCustomLookupGrid* FGrid;
  TcxCanvas* FScreenCanvas = nullptr;  // owned
  const TcxCustomLookAndFeelPainter* FLookAndFeelPainter = nullptr;
};

// The value of a cell turned into what its editor draws; the editor kinds keep this step
// on their own view data classes.
void cxLookupGridEditValueToDrawValue(TcxCustomEditViewData* AViewData, TcxCanvas& ACanvas, const Variant& AValue,
                                      TcxCustomEditViewInfo* AViewInfo);
