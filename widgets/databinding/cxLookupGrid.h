// The lookup grid: a light multi-column list over its own data controller, with an
// optional header whose clicks sort, drawn cell by cell through each column's editor. The
// lookup editors drop it down as their list. This header holds the data side (columns,
// options, controller, update lock) and the grid control; the layout and the painter are
// in cxLookupGridView.h.
#pragma once

#include "classlib/core/Collections.h"
#include "widgets/data/cxData.h"
#include "widgets/editcore/cxEditRepository.h"
#include "widgets/foundation/cxControlBase.h"
#include "widgets/foundation/cxGraphics.h"

TL_ENUM(TcxLookupGridChange, lgcLayout, lgcData, lgcFocusedRow);
using TcxLookupGridChanges = Set<TcxLookupGridChange>;
TL_ENUM(TcxLookupGridHitTest, htNone, htHeader, htCell);
TL_ENUM(TcxLookupGridScrollMode, smNone, smTop, smBottom);
TL_ENUM(TcxLookupGridTopRowIndexCalculation, ticNone, ticForward, ticBackward);

using TcxLookupGridCloseUpEvent = TMethod<void(TObject* Sender, bool AAccept)>;

class TcxCustomLookupGrid;
class TcxLookupGridColumns;
class TcxLookupGridViewInfo;
class TcxLookupGridPainter;

// What lies under a point of the grid.
struct TcxLookupGridHitInfo {
  TcxLookupGridHitTest HitTest = TcxLookupGridHitTest::htNone;
  Integer RowIndex = -1;
  Integer ColumnIndex = -1;
};

// A column's editor settings answer "is a display format defined" from the controller.
class TcxLookupGridDefaultValuesProvider : public TcxCustomEditDefaultValuesProvider {
  TL_CLASS(TcxLookupGridDefaultValuesProvider, TcxCustomEditDefaultValuesProvider)
 public:
  using TcxCustomEditDefaultValuesProvider::TcxCustomEditDefaultValuesProvider;
  bool IsDisplayFormatDefined(bool AIsCurrencyValueAccepted) override;
};
using TcxLookupGridDefaultValuesProviderClass = TcxCustomEditDefaultValuesProviderClass;

class TcxLookupGridColumn : public TCollectionItem, public IcxEditRepositoryItemListener {
  TL_CLASS(TcxLookupGridColumn, TCollectionItem)
 public:
  explicit TcxLookupGridColumn(TCollection* ACollection);
  // Joins the collection and the grid's data controller inside one grid update.
  void AfterConstruction() override;
  // Leaves the data controller first, inside one grid update (unless the grid is going).
  void BeforeDestruction() override;
  void Assign(TPersistent* Source) override;
  // The data controller's items follow the new order.
  void SetIndex(Integer Value) override;

  // Listening to the repository item.
  void ItemRemoved(TcxEditRepositoryItem* Sender) override;
  void PropertiesChanged(TcxEditRepositoryItem* Sender) override;

  String GetCaption() const { return FIsCaptionAssigned ? FCaption : GetDefaultCaption(); }
  void SetCaption(const String& Value);
  bool IsCaptionStored() const { return FIsCaptionAssigned; }
  bool GetFixed() const { return FFixed; }
  void SetFixed(bool Value);
  TAlignment GetHeaderAlignment() const { return FHeaderAlignment; }
  void SetHeaderAlignment(TAlignment Value);
  Integer GetMinWidth() const { return FMinWidth; }
  // A negative width is 0; the width grows to the new minimum.
  void SetMinWidth(Integer Value);
  bool GetSorting() const { return FSorting; }
  void SetSorting(bool Value);
  // Kept by the data controller; soNone without a grid.
  TcxDataSortOrder GetSortOrder() const;
  void SetSortOrder(TcxDataSortOrder Value);
  TcxEditRepositoryItem* GetRepositoryItem() const { return FRepositoryItem; }
  void SetRepositoryItem(TcxEditRepositoryItem* Value);
  Integer GetWidth() const { return FIsWidthAssigned ? FWidth : GetDefaultWidth(); }
  void SetWidth(Integer Value);
  bool IsWidthStored() const { return FIsWidthAssigned; }

  TcxCustomLookupGrid* Grid() const;
  TcxCustomEditDefaultValuesProvider* DefaultValuesProvider() const { return FDefaultValuesProvider; }
  // The properties of the item in use.
  TcxCustomEditProperties* GetProperties() const;

  virtual void CheckWidthValue(Integer& AWidth) const;
  virtual TcxLookupGridDefaultValuesProviderClass GetDefaultValuesProviderClass() const;
  virtual TcxValueTypeClass GetValueTypeClass() const;
  virtual void SetValueTypeClass(TcxValueTypeClass Value);
  virtual String GetDefaultCaption() const { return String(); }
  virtual TcxEditRepositoryItem* GetDefaultRepositoryItem() const;
  virtual Integer GetDefaultWidth() const { return 64; }
  virtual TFont* GetContentFont() const;
  // The default item, else the column's own text item (made on the first call, kept).
  virtual TcxEditRepositoryItem* GetDefaultRepositoryItemOrFallback() const;
  virtual TcxEditRepositoryItem* GetRepositoryItemInUse() const;
  virtual bool IsFirst() const { return GetIndex() == 0; }
  virtual bool IsLast() const;
  virtual void RestoreDefaults();

 protected:
  void Notify() { Changed(false); }

 private:
  TcxLookupGridColumns* FPendingColumns;
  String FCaption;
  bool FIsCaptionAssigned = false;
  TcxCustomEditDefaultValuesProvider* FDefaultValuesProvider = nullptr;
  TAlignment FHeaderAlignment = TAlignment::taLeftJustify;
  mutable TcxEditRepositoryItem* FFallbackRepositoryItem = nullptr;  // owned
  bool FIsWidthAssigned = false;
  Integer FMinWidth = 20;
  bool FFixed = false;
  bool FSorting = true;
  TcxEditRepositoryItem* FRepositoryItem = nullptr;
  Integer FWidth = 0;
};
using TcxLookupGridColumnClass = TCollectionItemClass;

class TcxLookupGridColumns : public TCollection {
  TL_CLASS(TcxLookupGridColumns, TCollection)
 public:
  TcxLookupGridColumns(TcxCustomLookupGrid* AGrid, TcxLookupGridColumnClass AColumnClass);
  TPersistent* GetOwner() const override;
  void BeginUpdate() override;
  void EndUpdate() override;
  virtual void RestoreDefaults();

  TcxCustomLookupGrid* Grid() const { return FGrid; }
  TcxLookupGridColumn* GetItem(Integer Index) const { return static_cast<TcxLookupGridColumn*>(Items(Index)); }
  void SetItem(Integer Index, TcxLookupGridColumn* Value) { SetItems(Index, Value); }
  TcxLookupGridColumn* Add() { return static_cast<TcxLookupGridColumn*>(TCollection::Add()); }

 protected:
  void Update(TCollectionItem* Item) override;

 private:
  TcxCustomLookupGrid* FGrid;
};
using TcxLookupGridColumnsClass = TMetaClass<TcxLookupGridColumns, TcxCustomLookupGrid*, TcxLookupGridColumnClass>;

class TcxLookupGridOptions : public TPersistent {
  TL_CLASS(TcxLookupGridOptions, TPersistent)
 public:
  explicit TcxLookupGridOptions(TcxCustomLookupGrid* AGrid) : FGrid(AGrid) {}
  void Assign(TPersistent* Source) override;
  TPersistent* GetOwner() const override;

  bool GetAnsiSort() const;
  void SetAnsiSort(bool Value);
  bool GetCaseInsensitive() const;
  void SetCaseInsensitive(bool Value);
  bool GetColumnSorting() const { return FColumnSorting; }
  void SetColumnSorting(bool Value) { FColumnSorting = Value; }
  TcxGridLines GetGridLines() const { return FGridLines; }
  void SetGridLines(TcxGridLines Value);
  bool GetRowSelect() const { return FRowSelect; }
  void SetRowSelect(bool Value);
  bool GetShowHeader() const { return FShowHeader; }
  void SetShowHeader(bool Value);

  TcxCustomLookupGrid* Grid() const { return FGrid; }
  // Set by the lookup combo box; called after the grid heard of a change.
  TNotifyEvent OnChanged;

 protected:
  virtual void Changed();

 private:
  bool GetControllerOption(TcxDataControllerOption AOption) const;
  void SetControllerOption(TcxDataControllerOption AOption, bool Value);
  TcxCustomLookupGrid* FGrid;
  bool FColumnSorting = true;
  TcxGridLines FGridLines = TcxGridLines::glBoth;
  bool FRowSelect = true;
  bool FShowHeader = true;
};

class TcxLookupGridDataController : public TcxDataController {
  TL_CLASS(TcxLookupGridDataController, TcxDataController)
 public:
  explicit TcxLookupGridDataController(TcxCustomLookupGrid* AGrid);
  // The grid's column at the index.
  TObject* GetItem(Integer AIndex) const override;
  TcxCustomLookupGrid* Grid() const { return FGrid; }

 private:
  TcxCustomLookupGrid* FGrid;
};
// The grid's controller: its own records, or a data set's (the data-set lookup grid).
using TcxLookupGridDataControllerClass = TMetaClass<TcxCustomDataController, TcxCustomLookupGrid*>;

class TcxCustomLookupGrid : public TcxControl {
  TL_CLASS(TcxCustomLookupGrid, TcxControl)
 public:
  explicit TcxCustomLookupGrid(TComponent* AOwner);
  // Columns, options, view info and painter, then the data controller.
  void AfterConstruction() override;
  // Stops scrolling, then frees the controller, view info and painter, options, columns.
  void BeforeDestruction() override;
  void Loaded() override;

  // ---- data side ----
  TcxLookupGridColumns* GetColumns() const { return FColumns; }
  void SetColumns(TcxLookupGridColumns* Value) { FColumns->Assign(Value); }
  TcxLookupGridOptions* GetOptions() const { return FOptions; }
  void SetOptions(TcxLookupGridOptions* Value) { FOptions->Assign(Value); }
  TcxCustomDataController* GetDataController() const { return FDataController; }
  void SetDataController(TcxCustomDataController* Value) { FDataController->Assign(Value); }
  // The controller's fields follow the columns' order.
  void UpdateItemIndexes();
  void BeginUpdate();
  void EndUpdate();
  Integer UpdateLockCount() const { return FLockCount; }
  TcxLookupGridChanges PendingChanges() const { return FChanges; }
  TcxLookupGridColumn* GetFocusedColumn() const { return FFocusedColumn; }
  void SetFocusedColumn(TcxLookupGridColumn* Value);
  Integer GetFocusedColumnIndex() const { return FFocusedColumn ? FFocusedColumn->GetIndex() : -1; }
  void SetFocusedColumnIndex(Integer Value);
  Integer GetFocusedRowIndex() const;
  void SetFocusedRowIndex(Integer Value);
  Integer GetRowCount() const;

  // ---- view side ----
  bool IsPopup() const { return FIsPopup; }
  void SetIsPopup(bool Value);
  Integer GetTopRowIndex() const { return FTopRowIndex; }
  void SetTopRowIndex(Integer Value);
  TcxLookupGridScrollMode GetScrollMode() const { return FScrollMode; }
  TcxTimer* ScrollTimer() const { return FScrollTimer; }
  bool IsMouseSelecting() const { return FMouseSelecting; }
  TcxLookupGridViewInfo* ViewInfo() const { return FViewInfo; }
  TcxLookupGridPainter* Painter() const { return FPainter; }

  TcxLookupGridHitInfo HitTest(const TPoint& P) const;
  bool IsPointOverRow(const TPoint& P) const { return HitTest(P).RowIndex != -1; }
  Integer GetHeightForRowCount(Integer ARowCount) const;
  Integer SnapPopupHeight(Integer AHeight) const;
  void LockMouseMove(bool ARaise);
  Integer MouseMoveLockCount() const { return FIgnoreMouseMoveCount; }
  void MakeRowVisible(Integer ARowIndex);
  void MakeFocusedRowVisible();
  void CheckTopRowIndex(Integer& Value);
  // False where a text handler asked for the layout freed the grid.
  bool InternalSetTopRowIndex(Integer Value, bool AWithoutRecalculation = false);

  Integer GetBorderSize() override;
  const TcxCustomLookAndFeelPainter* GetLookAndFeelPainter() const;

  TNotifyEvent OnDataChanged;
  TcxLookupGridCloseUpEvent OnCloseUp;
  // Wired by the lookup editors; raised through their raisers only.
  TNotifyEvent OnFocusedRowChangedLink;
  TNotifyEvent OnClickLink;

  // ---- virtual operations ----
  virtual void AddColumn(TcxLookupGridColumn* AColumn);
  virtual void Changed(TcxLookupGridChanges AChanges);
  virtual void CreateViewInfoAndPainter();
  virtual void CreateDataController();
  virtual void DestroyViewInfoAndPainter();
  virtual void DestroyDataController();
  virtual void CellMouseDown(Integer ARowIndex, Integer AColumnIndex, TShiftState AShift);
  virtual void HeaderClick(Integer AColumnIndex, TShiftState AShift);
  virtual TcxLookupGridColumnClass GetColumnClass() const;
  virtual TcxLookupGridColumnsClass GetColumnsClass() const;
  virtual TcxLookupGridDataControllerClass GetDataControllerClass() const;
  virtual bool HasRowsAbove() const;
  virtual bool HasRowsBelow() const;
  virtual void RemoveColumn(TcxLookupGridColumn* AColumn);
  virtual void SetScrollMode(TcxLookupGridScrollMode Value);
  virtual void InvalidateFocusedRow();
  virtual void InvalidateRow(Integer ARowIndex, bool ARecalculate);
  virtual void Recalculate();
  virtual void DataChanged();
  virtual void LayoutChanged();
  virtual void DoFocusedRowChangedLink();
  virtual void DoCloseUp(bool AAccept);
  virtual void DoClickLink();
  virtual void FocusedRowChanged(Integer APrevFocusedRowIndex, Integer AFocusedRowIndex);
  virtual void RefreshLayout();
  virtual void SelectionChanged(TcxSelectionChangedInfo* AInfo);
  virtual void UpdateControl(TcxUpdateControlInfo* AInfo);
  virtual void SetFocusedSelected(bool ASelected);

 protected:
  void Paint() override;
  void SetInternalControlsParent() override;
  void LookAndFeelChanged(TcxLookAndFeel* Sender, TcxLookAndFeelValues AChangedValues) override;
  void CalculateScrollBarsHook() override;
  void Scroll(TScrollBarKind AKind, TScrollCode AScrollCode, Integer& AScrollPos) override;
  void ColorChanged() override;
  void FontChanged() override;
  void BoundsChanged() override;
  void FocusChanged() override;
  void DoCancelMode() override;
  bool KeepMouseCaptureUnfocused() override { return true; }
  // A dropped-down list takes the mouse and leaves the keyboard focus in its edit.
  bool CanFocusOnClick() override { return !FIsPopup && inherited::CanFocusOnClick(); }
  void KeyDown(Word& Key, TShiftState Shift) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void CreateWnd() override;
  void Resize() override;
  // The Up / Down and PgUp / PgDn moves of the focused row.
  void FocusNextRow(bool AForward);
  void PageKey(bool ADown);

 private:
  friend class TcxLookupGridViewInfo;
  void CheckChanges();
  void ScrollTimerHandler(TObject* Sender);
  // One page up or down from the top row (PgUp / PgDn and the scroll bar's page codes).
  void ScrollPage(bool ADown);

  TcxLookupGridColumns* FColumns = nullptr;
  TcxLookupGridOptions* FOptions = nullptr;
  TcxCustomDataController* FDataController = nullptr;
  TcxLookupGridViewInfo* FViewInfo = nullptr;
  TcxLookupGridPainter* FPainter = nullptr;
  TcxLookupGridChanges FChanges;
  Integer FLockCount = 0;
  TcxLookupGridColumn* FFocusedColumn = nullptr;
  bool FIsPopup = false;
  Integer FIgnoreMouseMoveCount = 0;
  bool FMouseSelecting = false;
  TcxLookupGridScrollMode FScrollMode = TcxLookupGridScrollMode::smNone;
  TcxTimer* FScrollTimer = nullptr;
  Integer FTopRowIndex = 0;
};

class TcxLookupGrid : public TcxCustomLookupGrid {
  TL_CLASS(TcxLookupGrid, TcxCustomLookupGrid)
 public:
  using TcxCustomLookupGrid::TcxCustomLookupGrid;
  TcxLookupGridDataController* GetDataController() const {
    return static_cast<TcxLookupGridDataController*>(TcxCustomLookupGrid::GetDataController());
  }
  void SetDataController(TcxLookupGridDataController* Value) { TcxCustomLookupGrid::SetDataController(Value); }
};

namespace cxLookupGrid {
// The grid and column classes for window descriptions.
void Initialize();
void Finalize();
}  // namespace cxLookupGrid
