// The lookup grid's data side below the control: columns, their collection, the options
// and the grid's data controller.
#include "classlib/core/ScopeGuards.h"
#include "widgets/databinding/cxEditDBRegisteredRepositoryItems.h"
#include "widgets/databinding/cxLookupGrid.h"
#include "widgets/special/cxEditRepositoryItems.h"

// ---- the columns' default-values provider ----

bool TcxLookupGridDefaultValuesProvider::IsDisplayFormatDefined(bool) {
  auto* column = dynamic_cast<TcxLookupGridColumn*>(GetOwner());
  TcxCustomLookupGrid* grid = column ? column->Grid() : nullptr;
  if (!grid || !grid->GetDataController()) return false;
  const Integer index = column->GetIndex();
  return index >= 0 && index < grid->GetDataController()->GetItemCount() &&
         grid->GetDataController()->GetItemTextStored(index);
}

TL_DEFINE_CLASS(TcxLookupGridDefaultValuesProvider, [](auto&) {});

// ---- column ----

namespace {

// Locks the grid (if any) for the step, and unlocks it however the step ends.
auto GridUpdate(TcxCustomLookupGrid* AGrid) {
  return PairedCall(
      [AGrid] {
        if (AGrid) AGrid->BeginUpdate();
      },
      [AGrid] {
        if (AGrid) AGrid->EndUpdate();
      });
}

}  // namespace

TcxLookupGridColumn::TcxLookupGridColumn(TCollection* ACollection)
    : TCollectionItem(ACollection), FPendingColumns(dynamic_cast<TcxLookupGridColumns*>(ACollection)) {}

TcxCustomLookupGrid* TcxLookupGridColumn::Grid() const {
  auto* columns = dynamic_cast<TcxLookupGridColumns*>(Collection());
  if (!columns) columns = FPendingColumns;
  return columns ? columns->Grid() : nullptr;
}

void TcxLookupGridColumn::AfterConstruction() {
  auto update = GridUpdate(Grid());
  inherited::AfterConstruction();
  FDefaultValuesProvider = GetDefaultValuesProviderClass().Create(this);
  FMinWidth = 20;
  FSorting = true;
  Notify();
  if (TcxCustomLookupGrid* grid = Grid()) grid->AddColumn(this);
}

void TcxLookupGridColumn::BeforeDestruction() {
  TcxCustomLookupGrid* grid = Grid();
  const bool lock = grid && !grid->IsDestroying();
  if (lock) grid->BeginUpdate();
  if (grid) grid->RemoveColumn(this);
  SetRepositoryItem(nullptr);
  if (FFallbackRepositoryItem) FFallbackRepositoryItem->Free();
  FFallbackRepositoryItem = nullptr;
  if (FDefaultValuesProvider) FDefaultValuesProvider->Free();
  FDefaultValuesProvider = nullptr;
  inherited::BeforeDestruction();
  FPendingColumns = nullptr;
  if (lock) grid->EndUpdate();
}

void TcxLookupGridColumn::Assign(TPersistent* Source) {
  auto* source = dynamic_cast<TcxLookupGridColumn*>(Source);
  if (!source) {
    inherited::Assign(Source);
    return;
  }
  TCollection* collection = Collection();
  auto bracket = PairedCall(
      [collection] {
        if (collection) collection->BeginUpdate();
      },
      [collection] {
        if (collection) collection->EndUpdate();
      });
  RestoreDefaults();
  if (source->IsCaptionStored()) SetCaption(source->GetCaption());
  SetHeaderAlignment(source->GetHeaderAlignment());
  SetMinWidth(source->GetMinWidth());
  SetFixed(source->GetFixed());
  SetSorting(source->GetSorting());
  SetSortOrder(source->GetSortOrder());
  SetRepositoryItem(source->GetRepositoryItem());
  if (source->IsWidthStored()) SetWidth(source->GetWidth());
}

void TcxLookupGridColumn::SetIndex(Integer Value) {
  inherited::SetIndex(Value);
  if (TcxCustomLookupGrid* grid = Grid())
    grid->UpdateItemIndexes();
}

void TcxLookupGridColumn::ItemRemoved(TcxEditRepositoryItem* Sender) {
  if (Sender == FRepositoryItem) SetRepositoryItem(nullptr);
}

void TcxLookupGridColumn::PropertiesChanged(TcxEditRepositoryItem*) { Notify(); }

void TcxLookupGridColumn::SetCaption(const String& Value) {
  FCaption = Value;
  FIsCaptionAssigned = true;
  Notify();
}

void TcxLookupGridColumn::SetFixed(bool Value) {
  if (FFixed == Value) return;
  FFixed = Value;
  Notify();
}

void TcxLookupGridColumn::SetHeaderAlignment(TAlignment Value) {
  if (FHeaderAlignment == Value) return;
  FHeaderAlignment = Value;
  Notify();
}

void TcxLookupGridColumn::SetMinWidth(Integer Value) {
  Value = std::max(Value, Integer(0));
  if (FMinWidth == Value) return;
  FMinWidth = Value;
  if (GetWidth() < Value) {
    FWidth = Value;
    FIsWidthAssigned = true;
  }
  Notify();
}

void TcxLookupGridColumn::SetSorting(bool Value) {
  if (FSorting == Value) return;
  FSorting = Value;
  Notify();
}

TcxDataSortOrder TcxLookupGridColumn::GetSortOrder() const {
  TcxCustomLookupGrid* grid = Grid();
  const Integer index = GetIndex();
  if (!grid || !grid->GetDataController() || index < 0 || index >= grid->GetDataController()->GetItemCount())
    return TcxDataSortOrder::soNone;
  return grid->GetDataController()->GetItemSortOrder(index);
}

// A sort order read before the column belongs to a grid's controller has nowhere to live:
// it is no sort, rather than an error while reading.
void TcxLookupGridColumn::SetSortOrder(TcxDataSortOrder Value) {
  TcxCustomLookupGrid* grid = Grid();
  const Integer index = GetIndex();
  if (!grid || !grid->GetDataController() || index < 0 || index >= grid->GetDataController()->GetItemCount())
    return;
  grid->GetDataController()->ChangeSortingOrder(index, Value);
}

void TcxLookupGridColumn::SetRepositoryItem(TcxEditRepositoryItem* Value) {
  if (FRepositoryItem == Value) return;
  if (FRepositoryItem) FRepositoryItem->RemoveListener(this);
  FRepositoryItem = Value;
  if (FRepositoryItem) FRepositoryItem->AddListener(this);
  Notify();
}

void TcxLookupGridColumn::SetWidth(Integer Value) {
  CheckWidthValue(Value);
  FWidth = Value;
  FIsWidthAssigned = true;
  Notify();
}

TcxCustomEditProperties* TcxLookupGridColumn::GetProperties() const {
  TcxEditRepositoryItem* item = GetRepositoryItemInUse();
  return item ? item->GetProperties() : nullptr;
}

void TcxLookupGridColumn::CheckWidthValue(Integer& AWidth) const { AWidth = std::max(AWidth, FMinWidth); }

TcxLookupGridDefaultValuesProviderClass TcxLookupGridColumn::GetDefaultValuesProviderClass() const {
  return ClassOf<TcxLookupGridDefaultValuesProvider, TcxCustomEditDefaultValuesProvider, TPersistent*>();
}

TcxValueTypeClass TcxLookupGridColumn::GetValueTypeClass() const {
  TcxCustomLookupGrid* grid = Grid();
  if (!grid || !grid->GetDataController()) return nullptr;
  return grid->GetDataController()->GetItemValueTypeClass(GetIndex());
}

void TcxLookupGridColumn::SetValueTypeClass(TcxValueTypeClass Value) {
  TcxCustomLookupGrid* grid = Grid();
  if (!grid || !grid->GetDataController()) return;
  grid->GetDataController()->ChangeValueTypeClass(GetIndex(), Value);
}

TcxEditRepositoryItem* TcxLookupGridColumn::GetDefaultRepositoryItem() const {
  return cxGetEditDataRegisteredRepositoryItems()->GetDefaultItem();
}

TFont* TcxLookupGridColumn::GetContentFont() const {
  TcxCustomLookupGrid* grid = Grid();
  return grid ? grid->GetFont() : nullptr;
}

TcxEditRepositoryItem* TcxLookupGridColumn::GetDefaultRepositoryItemOrFallback() const {
  if (TcxEditRepositoryItem* item = GetDefaultRepositoryItem()) return item;
  if (!FFallbackRepositoryItem) FFallbackRepositoryItem = New<TcxEditRepositoryTextItem>(nullptr);
  return FFallbackRepositoryItem;
}

TcxEditRepositoryItem* TcxLookupGridColumn::GetRepositoryItemInUse() const {
  return FRepositoryItem ? FRepositoryItem : GetDefaultRepositoryItemOrFallback();
}

bool TcxLookupGridColumn::IsLast() const { return Collection() && GetIndex() == Collection()->Count() - 1; }

void TcxLookupGridColumn::RestoreDefaults() {
  FIsCaptionAssigned = false;
  FCaption.clear();
  FIsWidthAssigned = false;
  FHeaderAlignment = TAlignment::taLeftJustify;
  FMinWidth = 20;
  FFixed = false;
  FSorting = true;
  Notify();
}

TL_DEFINE_CLASS(TcxLookupGridColumn, [](auto& c) {
  using T = TcxLookupGridColumn;
  c.Property("Caption", &T::GetCaption, &T::SetCaption).Stored(&T::IsCaptionStored);
  c.Property("Fixed", &T::GetFixed, &T::SetFixed).Default(false);
  c.Property("HeaderAlignment", &T::GetHeaderAlignment, &T::SetHeaderAlignment).Default(TAlignment::taLeftJustify);
  c.Property("MinWidth", &T::GetMinWidth, &T::SetMinWidth).Default(Integer(20));
  c.Property("Sorting", &T::GetSorting, &T::SetSorting).Default(true);
  c.Property("SortOrder", &T::GetSortOrder, &T::SetSortOrder).Default(TcxDataSortOrder::soNone);
  c.Property("RepositoryItem", &T::GetRepositoryItem, &T::SetRepositoryItem);
  c.Property("Width", &T::GetWidth, &T::SetWidth).Stored(&T::IsWidthStored);
});

// ---- columns ----

TcxLookupGridColumns::TcxLookupGridColumns(TcxCustomLookupGrid* AGrid, TcxLookupGridColumnClass AColumnClass)
    : TCollection(AColumnClass), FGrid(AGrid) {}

TPersistent* TcxLookupGridColumns::GetOwner() const { return FGrid; }

void TcxLookupGridColumns::Update(TCollectionItem*) {
  if (FGrid && !FGrid->IsLoading()) FGrid->Changed({TcxLookupGridChange::lgcLayout});
}

void TcxLookupGridColumns::BeginUpdate() {
  if (FGrid && !FGrid->IsDestroying()) FGrid->BeginUpdate();
  inherited::BeginUpdate();
}

void TcxLookupGridColumns::EndUpdate() {
  inherited::EndUpdate();
  if (FGrid && !FGrid->IsDestroying()) FGrid->EndUpdate();
}

void TcxLookupGridColumns::RestoreDefaults() {
  auto bracket = UpdateBracket(this);
  for (Integer i = 0; i < Count(); ++i) GetItem(i)->RestoreDefaults();
}

TL_DEFINE_CLASS(TcxLookupGridColumns, [](auto&) {});

// ---- options ----

TPersistent* TcxLookupGridOptions::GetOwner() const { return FGrid; }

bool TcxLookupGridOptions::GetControllerOption(TcxDataControllerOption AOption) const {
  return FGrid && FGrid->GetDataController() && FGrid->GetDataController()->Options().Contains(AOption);
}

void TcxLookupGridOptions::SetControllerOption(TcxDataControllerOption AOption, bool Value) {
  if (!FGrid || !FGrid->GetDataController()) return;
  TcxDataControllerOptions options = FGrid->GetDataController()->Options();
  if (Value)
    options.Include(AOption);
  else
    options.Exclude(AOption);
  FGrid->GetDataController()->SetOptions(options);
}

bool TcxLookupGridOptions::GetAnsiSort() const { return GetControllerOption(TcxDataControllerOption::dcoAnsiSort); }
void TcxLookupGridOptions::SetAnsiSort(bool Value) { SetControllerOption(TcxDataControllerOption::dcoAnsiSort, Value); }
bool TcxLookupGridOptions::GetCaseInsensitive() const {
  return GetControllerOption(TcxDataControllerOption::dcoCaseInsensitive);
}
void TcxLookupGridOptions::SetCaseInsensitive(bool Value) {
  SetControllerOption(TcxDataControllerOption::dcoCaseInsensitive, Value);
}

void TcxLookupGridOptions::SetGridLines(TcxGridLines Value) {
  if (FGridLines == Value) return;
  FGridLines = Value;
  Changed();
}

void TcxLookupGridOptions::SetRowSelect(bool Value) {
  if (FRowSelect == Value) return;
  FRowSelect = Value;
  if (FRowSelect && FGrid) FGrid->SetFocusedColumn(nullptr);
}

void TcxLookupGridOptions::SetShowHeader(bool Value) {
  if (FShowHeader == Value) return;
  FShowHeader = Value;
  Changed();
}

void TcxLookupGridOptions::Changed() {
  if (FGrid) FGrid->Changed({TcxLookupGridChange::lgcLayout});
  if (OnChanged) OnChanged(this);
}

void TcxLookupGridOptions::Assign(TPersistent* Source) {
  auto* source = dynamic_cast<TcxLookupGridOptions*>(Source);
  if (!source) {
    inherited::Assign(Source);
    return;
  }
  auto update = GridUpdate(FGrid);
  SetAnsiSort(source->GetAnsiSort());
  SetCaseInsensitive(source->GetCaseInsensitive());
  FColumnSorting = source->GetColumnSorting();
  SetGridLines(source->GetGridLines());
  SetRowSelect(source->GetRowSelect());
  SetShowHeader(source->GetShowHeader());
}

TL_DEFINE_CLASS(TcxLookupGridOptions, [](auto& c) {
  using T = TcxLookupGridOptions;
  c.Property("AnsiSort", &T::GetAnsiSort, &T::SetAnsiSort).Default(false);
  c.Property("CaseInsensitive", &T::GetCaseInsensitive, &T::SetCaseInsensitive).Default(false);
  c.Property("ColumnSorting", &T::GetColumnSorting, &T::SetColumnSorting).Default(true);
  c.Property("GridLines", &T::GetGridLines, &T::SetGridLines).Default(TcxGridLines::glBoth);
  c.Property("RowSelect", &T::GetRowSelect, &T::SetRowSelect).Default(true);
  c.Property("ShowHeader", &T::GetShowHeader, &T::SetShowHeader).Default(true);
});

// ---- data controller ----

TcxLookupGridDataController::TcxLookupGridDataController(TcxCustomLookupGrid* AGrid)
    : TcxDataController(AGrid), FGrid(AGrid) {}

TObject* TcxLookupGridDataController::GetItem(Integer AIndex) const {
  if (!FGrid || AIndex < 0 || AIndex >= FGrid->GetColumns()->Count()) return nullptr;
  return FGrid->GetColumns()->GetItem(AIndex);
}

void TcxCustomLookupGrid::UpdateItemIndexes() {
  if (!FDataController || !FColumns) return;
  for (Integer i = 0; i < FColumns->Count(); ++i)
    if (TcxCustomDataField* field = FDataController->Fields()->FieldByItem(FColumns->GetItem(i))) field->SetIndex(i);
}

TL_DEFINE_CLASS(TcxLookupGridDataController, [](auto& c) {
  c.Event("OnCompare", &TcxLookupGridDataController::OnCompare);
});
