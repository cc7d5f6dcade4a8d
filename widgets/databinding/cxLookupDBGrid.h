// The data-set lookup grid: the lookup grid over a data set. Its controller is a data-set
// controller, its columns name their fields, and a column takes its caption, width and editor
// from its field. In the controller's grid mode over a sequenced data set the scroll bar and
// scrolling follow the data set's record numbers.
#pragma once

#include "widgets/databinding/cxDBData.h"
#include "widgets/databinding/cxDBEdit.h"
#include "widgets/databinding/cxLookupGrid.h"

class TcxCustomLookupDBGrid;

// A column's editor settings come from its field, which is given before every data refresh.
class TcxLookupDBGridDefaultValuesProvider : public TcxCustomDBEditDefaultValuesProvider {
  TL_CLASS(TcxLookupDBGridDefaultValuesProvider, TcxCustomDBEditDefaultValuesProvider)
 public:
  using TcxCustomDBEditDefaultValuesProvider::TcxCustomDBEditDefaultValuesProvider;
  bool IsDisplayFormatDefined(bool AIsCurrencyValueAccepted) override;
};

class TcxLookupDBGridColumn : public TcxLookupGridColumn {
  TL_CLASS(TcxLookupDBGridColumn, TcxLookupGridColumn)
 public:
  using TcxLookupGridColumn::TcxLookupGridColumn;
  void Assign(TPersistent* Source) override;

  String GetFieldName() const;
  // A different name rebinds the column's data field.
  void SetFieldName(const String& Value);
  // The data set's field behind the column; nullptr when none.
  TField* Field() const;
  TcxDBDataController* DBDataController() const;

  TcxLookupGridDefaultValuesProviderClass GetDefaultValuesProviderClass() const override;
  String GetDefaultCaption() const override;
  TcxEditRepositoryItem* GetDefaultRepositoryItem() const override;
  Integer GetDefaultWidth() const override;

 private:
  // The name kept until the column has a controller to bind it in.
  String FPendingFieldName;
};

class TcxLookupDBGridColumns : public TcxLookupGridColumns {
  TL_CLASS(TcxLookupDBGridColumns, TcxLookupGridColumns)
 public:
  using TcxLookupGridColumns::TcxLookupGridColumns;
  TcxLookupDBGridColumn* GetItem(Integer Index) const { return static_cast<TcxLookupDBGridColumn*>(Items(Index)); }
  TcxLookupDBGridColumn* Add() { return static_cast<TcxLookupDBGridColumn*>(TCollection::Add()); }
  // The first column whose field name equals AFieldName ignoring case; nullptr when none.
  TcxLookupDBGridColumn* ColumnByFieldName(const String& AFieldName) const;
};

class TcxLookupGridDBDataController : public TcxDBDataController {
  TL_CLASS(TcxLookupGridDBDataController, TcxDBDataController)
 public:
  explicit TcxLookupGridDBDataController(TcxCustomLookupGrid* AGrid) : TcxDBDataController(AGrid), FGrid(AGrid) {}
  // The data set's own inserts and a synchronised position are not the list's business.
  void AfterConstruction() override;
  TObject* GetItem(Integer AIndex) const override;
  void DataSetPositionChanged() override;
  TcxCustomLookupGrid* Grid() const { return FGrid; }

 private:
  TcxCustomLookupGrid* FGrid;
};

class TcxCustomLookupDBGrid : public TcxCustomLookupGrid {
  TL_CLASS(TcxCustomLookupDBGrid, TcxCustomLookupGrid)
 public:
  using TcxCustomLookupGrid::TcxCustomLookupGrid;

  TcxLookupDBGridColumns* GetColumns() const { return static_cast<TcxLookupDBGridColumns*>(TcxCustomLookupGrid::GetColumns()); }
  void SetColumns(TcxLookupDBGridColumns* Value) { TcxCustomLookupGrid::SetColumns(Value); }
  TcxDBDataController* GetDataController() const {
    return static_cast<TcxDBDataController*>(TcxCustomLookupGrid::GetDataController());
  }
  TDataSource* GetDataSource() const;
  void SetDataSource(TDataSource* Value);
  String GetKeyFieldNames() const;
  void SetKeyFieldNames(const String& Value);

  // The columns are cleared and made for the ';'-separated names.
  void CreateColumnsForFieldNames(const String& AFieldNames);
  // The columns are cleared and made for every field of the data set.
  void CreateColumnsForAllFields();
  virtual void AddColumnsForNames(TStrings* ANames);

  // The controller is in grid mode over a data set whose record numbers mean something.
  bool IsGridModeOverSequencedDataSet() const;

  TcxLookupGridColumnClass GetColumnClass() const override;
  TcxLookupGridColumnsClass GetColumnsClass() const override;
  TcxLookupGridDataControllerClass GetDataControllerClass() const override;
  void DataChanged() override;

 protected:
  void CalculateScrollBarsHook() override;
  void Scroll(TScrollBarKind AKind, TScrollCode AScrollCode, Integer& AScrollPos) override;
};

class TcxLookupDBGrid : public TcxCustomLookupDBGrid {
  TL_CLASS(TcxLookupDBGrid, TcxCustomLookupDBGrid)
 public:
  using TcxCustomLookupDBGrid::TcxCustomLookupDBGrid;
};

namespace cxLookupDBGrid {
// The data-set grid and column classes for window descriptions.
void Initialize();
void Finalize();
}  // namespace cxLookupDBGrid
