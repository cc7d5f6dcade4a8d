#include "widgets/databinding/cxLookupDBGrid.h"

#include "classlib/core/Classes.h"
#include "classlib/core/ScopeGuards.h"
#include "platform/kernel/Units.h"
#include "widgets/databinding/cxEditDBRegisteredRepositoryItems.h"
#include "widgets/databinding/cxLookupGridView.h"
#include "widgets/foundation/cxLookAndFeelPainters.h"

#include <algorithm>
#include <limits>

// ---- default values ----

bool TcxLookupDBGridDefaultValuesProvider::IsDisplayFormatDefined(bool) {
  auto* column = dynamic_cast<TcxLookupGridColumn*>(GetOwner());
  TcxCustomLookupGrid* grid = column ? column->Grid() : nullptr;
  TcxCustomDataController* c = grid ? grid->GetDataController() : nullptr;
  const Integer index = column ? column->GetIndex() : -1;
  return c && index >= 0 && index < c->GetItemCount() && c->GetItemTextStored(index);
}

// ---- column ----

TcxDBDataController* TcxLookupDBGridColumn::DBDataController() const {
  TcxCustomLookupGrid* grid = Grid();
  return grid ? dynamic_cast<TcxDBDataController*>(grid->GetDataController()) : nullptr;
}

String TcxLookupDBGridColumn::GetFieldName() const {
  TcxDBDataController* c = DBDataController();
  const Integer index = GetIndex();
  if (!c || index < 0 || index >= c->GetItemCount()) return FPendingFieldName;
  return c->GetDataFieldName(index);
}

void TcxLookupDBGridColumn::SetFieldName(const String& Value) {
  if (GetFieldName() == Value) return;
  TcxDBDataController* c = DBDataController();
  const Integer index = GetIndex();
  FPendingFieldName = Value;
  if (c && index >= 0 && index < c->GetItemCount()) c->ChangeFieldName(index, Value);
  Notify();
}

TField* TcxLookupDBGridColumn::Field() const {
  TcxDBDataController* c = DBDataController();
  const Integer index = GetIndex();
  return c && index >= 0 && index < c->GetItemCount() ? c->GetItemDataSetField(index) : nullptr;
}

void TcxLookupDBGridColumn::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TcxLookupDBGridColumn*>(Source)) SetFieldName(s->GetFieldName());
  inherited::Assign(Source);
}

TcxLookupGridDefaultValuesProviderClass TcxLookupDBGridColumn::GetDefaultValuesProviderClass() const {
  return ClassOf<TcxLookupDBGridDefaultValuesProvider, TcxCustomEditDefaultValuesProvider, TPersistent*>();
}

String TcxLookupDBGridColumn::GetDefaultCaption() const {
  if (TField* f = Field()) return f->DisplayName();
  return GetFieldName();
}

TcxEditRepositoryItem* TcxLookupDBGridColumn::GetDefaultRepositoryItem() const {
  return cxGetEditDBRegisteredRepositoryItems()->GetItemByField(Field());
}

Integer TcxLookupDBGridColumn::GetDefaultWidth() const {
  TField* f = Field();
  TcxCustomLookupGrid* grid = Grid();
  if (!f || !grid || !grid->Painter()) return inherited::GetDefaultWidth();
  TcxCanvas* canvas = grid->Painter()->Canvas();
  canvas->SetFont(GetContentFont());
  // A display width far beyond any screen stays the widest column there is, not a wrapped
  // negative one.
  const Int64 wide = Int64(canvas->TextWidth("0")) * f->DisplayWidth() + 4;
  Integer w = Integer(std::min<Int64>(wide, std::numeric_limits<Integer>::max()));
  if (grid->GetOptions()->GetShowHeader())
    if (const TcxCustomLookAndFeelPainter* painter = grid->GetLookAndFeelPainter())
      w = std::max(w, painter->HeaderWidth(*canvas, cxBordersAll, grid->GetFont(), GetCaption()));
  CheckWidthValue(w);
  return w;
}

// ---- columns ----

TcxLookupDBGridColumn* TcxLookupDBGridColumns::ColumnByFieldName(const String& AFieldName) const {
  for (Integer i = 0; i < Count(); ++i)
    if (AnsiSameText(GetItem(i)->GetFieldName(), AFieldName)) return GetItem(i);
  return nullptr;
}

// ---- controller ----

void TcxLookupGridDBDataController::AfterConstruction() {
  inherited::AfterConstruction();
  DataModeController()->SetSyncMode(false);
  DataModeController()->SetSyncInsert(false);
}

TObject* TcxLookupGridDBDataController::GetItem(Integer AIndex) const {
  if (!FGrid || AIndex < 0 || AIndex >= FGrid->GetColumns()->Count()) return nullptr;
  return FGrid->GetColumns()->GetItem(AIndex);
}

void TcxLookupGridDBDataController::DataSetPositionChanged() {
  if (FGrid && FGrid->HandleAllocated()) FGrid->UpdateScrollBars();
}

// ---- grid ----

TDataSource* TcxCustomLookupDBGrid::GetDataSource() const {
  return GetDataController() ? GetDataController()->DataSource() : nullptr;
}

void TcxCustomLookupDBGrid::SetDataSource(TDataSource* Value) {
  if (GetDataController()) GetDataController()->SetDataSource(Value);
}

String TcxCustomLookupDBGrid::GetKeyFieldNames() const {
  return GetDataController() ? GetDataController()->KeyFieldNames() : String();
}

void TcxCustomLookupDBGrid::SetKeyFieldNames(const String& Value) {
  if (GetDataController()) GetDataController()->SetKeyFieldNames(Value);
}

void TcxCustomLookupDBGrid::CreateColumnsForFieldNames(const String& AFieldNames) {
  GetColumns()->Clear();
  Owned<TStringList> names(New<TStringList>());
  cxGetFieldNames(AFieldNames, names.get());
  AddColumnsForNames(names.get());
}

void TcxCustomLookupDBGrid::CreateColumnsForAllFields() {
  GetColumns()->Clear();
  TDataSet* ds = GetDataController() ? GetDataController()->DataSet() : nullptr;
  if (!ds) return;
  Owned<TStringList> names(New<TStringList>());
  ds->GetFieldNames(names.get());
  AddColumnsForNames(names.get());
}

void TcxCustomLookupDBGrid::AddColumnsForNames(TStrings* ANames) {
  auto update = PairedCall([this] { BeginUpdate(); }, [this] { EndUpdate(); });
  for (Integer i = 0; i < ANames->Count(); ++i)
    GetColumns()->Add()->SetFieldName(ANames->Strings(i));
}

bool TcxCustomLookupDBGrid::IsGridModeOverSequencedDataSet() const {
  TcxDBDataController* c = GetDataController();
  return c && c->IsGridMode() && c->DataSet() && c->DataSet()->IsSequenced();
}

TcxLookupGridColumnClass TcxCustomLookupDBGrid::GetColumnClass() const {
  return ClassOf<TcxLookupDBGridColumn, TCollectionItem, TCollection*>();
}

TcxLookupGridColumnsClass TcxCustomLookupDBGrid::GetColumnsClass() const {
  return ClassOf<TcxLookupDBGridColumns, TcxLookupGridColumns, TcxCustomLookupGrid*, TcxLookupGridColumnClass>();
}

TcxLookupGridDataControllerClass TcxCustomLookupDBGrid::GetDataControllerClass() const {
  return ClassOf<TcxLookupGridDBDataController, TcxCustomDataController, TcxCustomLookupGrid*>();
}

void TcxCustomLookupDBGrid::DataChanged() {
  TcxLookupDBGridColumns* columns = GetColumns();
  for (Integer i = 0; columns && i < columns->Count(); ++i)
    if (auto* p = dynamic_cast<TcxCustomDBEditDefaultValuesProvider*>(columns->GetItem(i)->DefaultValuesProvider()))
      p->SetField(columns->GetItem(i)->Field());
  inherited::DataChanged();
}

void TcxCustomLookupDBGrid::CalculateScrollBarsHook() {
  if (!IsGridModeOverSequencedDataSet()) {
    inherited::CalculateScrollBarsHook();
    return;
  }
  TcxDBDataController* c = GetDataController();
  const Integer visible = ViewInfo()->VisibleRowCount();
  // Counting and numbering ask the data set's filter, whose handler may free this grid.
  TWeakLink self(this);
  const Integer count = c->GetDataSetRecordCount();
  if (!self.Alive()) return;
  const Integer recNo = c->GetDataSetRecNo();
  if (!self.Alive()) return;
  SetScrollBarInfo(TScrollBarKind::sbVertical, 0, count - 1 + visible - 1, 1, visible, recNo - 1,
                   true, true);
}

void TcxCustomLookupDBGrid::Scroll(TScrollBarKind AKind, TScrollCode AScrollCode, Integer& AScrollPos) {
  if (AKind != TScrollBarKind::sbVertical || !IsGridModeOverSequencedDataSet()) {
    inherited::Scroll(AKind, AScrollCode, AScrollPos);
    return;
  }
  TcxDBDataController* c = GetDataController();
  TWeakLink self(this);  // moving runs the data set's handlers, which may free this grid
  switch (AScrollCode) {
    case TScrollCode::scLineUp: FocusNextRow(false); break;
    case TScrollCode::scLineDown: FocusNextRow(true); break;
    case TScrollCode::scPageUp: PageKey(false); break;
    case TScrollCode::scPageDown: PageKey(true); break;
    case TScrollCode::scPosition: c->SetDataSetRecNo(AScrollPos + 1); break;
    default: break;
  }
  if (!self.Alive()) return;
  const Integer recNo = c->GetDataSetRecNo();
  if (self.Alive()) AScrollPos = recNo - 1;
}

TL_DEFINE_CLASS(TcxLookupDBGridDefaultValuesProvider, [](auto&) {});
TL_DEFINE_CLASS(TcxLookupDBGridColumn, [](auto& c) {
  c.Property("FieldName", &TcxLookupDBGridColumn::GetFieldName, &TcxLookupDBGridColumn::SetFieldName);
});
TL_DEFINE_CLASS(TcxLookupDBGridColumns, [](auto&) {});
TL_DEFINE_CLASS(TcxLookupGridDBDataController, [](auto& c) {
  c.Event("OnCompare", &TcxLookupGridDBDataController::OnCompare);
});
TL_DEFINE_CLASS(TcxCustomLookupDBGrid, [](auto&) {});
TL_DEFINE_CLASS(TcxLookupDBGrid, [](auto& c) {
  using T = TcxLookupDBGrid;
  c.Property("Columns", &T::GetColumns, &T::SetColumns);
  c.Property("DataSource", &T::GetDataSource, &T::SetDataSource);
  c.Property("KeyFieldNames", &T::GetKeyFieldNames, &T::SetKeyFieldNames);
  c.Property("Options", &T::GetOptions, &T::SetOptions);
  c.Property("LookAndFeel", &T::GetLookAndFeel, &T::SetLookAndFeel);
});

namespace cxLookupDBGrid {

namespace {
UnitCounter gLookupDBGrid;
}  // namespace

void Initialize() {
  if (!gLookupDBGrid.Enter()) return;
  RegisterClasses({&TcxLookupDBGrid::StaticClass(), &TcxLookupDBGridColumn::StaticClass()});
}

void Finalize() {
  if (!gLookupDBGrid.Leave()) return;
  UnRegisterClass(TcxLookupDBGridColumn::StaticClass());
  UnRegisterClass(TcxLookupDBGrid::StaticClass());
}

}  // namespace cxLookupDBGrid
