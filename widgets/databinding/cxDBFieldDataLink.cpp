// The field data link and the data-set binding of a control bound to one field.
#include "widgets/databinding/cxDBUtils.h"

#include "widgets/foundation/cxClasses.h"

// ---- TcxCustomFieldDataLink ----

TL_DEFINE_CLASS(TcxCustomFieldDataLink)

TcxCustomFieldDataLink::TcxCustomFieldDataLink(TcxCustomDBDataBinding* ADataBinding)
    : FDataBinding(ADataBinding), FFreeNotificator(New<TcxFreeNotificator>(nullptr)) {
  SetVisualControl(false);
  FFreeNotificator->OnFreeNotification = {this, &TcxCustomFieldDataLink::FieldFreed};
}

void TcxCustomFieldDataLink::BeforeDestruction() {
  cxRemoveFreeNotification(FField, FFreeNotificator);
  FreeAndNil(FFreeNotificator);
  inherited::BeforeDestruction();
}

void TcxCustomFieldDataLink::FieldFreed(TComponent* AComponent) {
  if (AComponent != FField) return;
  // A control on its way out needs no new display.
  if (TComponent* owner = FDataBinding->ErrorComponent();
      owner && owner->InState(TComponentStateItem::csDestroying)) {
    FField = nullptr;
    return;
  }
  SetField(nullptr);
}

void TcxCustomFieldDataLink::SetFieldName(const String& Value) {
  if (FFieldName == Value) return;
  FFieldName = Value;
  UpdateField();
}

bool TcxCustomFieldDataLink::Edit() {
  if (CanModify()) TDataLink::Edit();
  return FEditing;
}

bool TcxCustomFieldDataLink::CanModify() const {
  return !ReadOnly() && FField && cxCanModifyBoundField(FField);
}

void TcxCustomFieldDataLink::ClearModified() {
  if (!FDataBinding->IsStoreLocked()) FModified = false;
}

void TcxCustomFieldDataLink::UpdateField() {
  TField* field = nullptr;
  if (Active() && !FFieldName.empty()) {
    FField = nullptr;
    if (TComponent* named = FDataBinding->ErrorComponent())
      field = DataSet()->FieldByName(FFieldName, named);
    else
      field = DataSet()->FieldByName(FFieldName);
  }
  SetField(field);
}

void TcxCustomFieldDataLink::SetField(TField* Value) {
  if (FField == Value) return;
  cxRemoveFreeNotification(FField, FFreeNotificator);
  FField = Value;
  cxAddFreeNotification(FField, FFreeNotificator);
  FDataBinding->DataSetChange();
  EditingChanged();
  RecordChanged(nullptr);
  FieldChanged();
}

void TcxCustomFieldDataLink::ActiveChanged() {
  UpdateField();
  FDataBinding->DataSetChange();
}

// Only a new field list binds again. The data set reports every field write as a field
// change; binding again on those would reset every other control on the source, and a
// control whose link hears another's write during a post would lose its pending value.
void TcxCustomFieldDataLink::DataEvent(TDataEvent Event, intptr_t Info) {
  const bool fieldList = Event == TDataEvent::deFieldListChange;
  if (fieldList) UpdateField();
  inherited::DataEvent(Event, Info);
  if (fieldList) FDataBinding->DataSetChange();
}

void TcxCustomFieldDataLink::EditingChanged() {
  const bool editing = TDataLink::Editing() && CanModify();
  if (editing == FEditing) return;
  FEditing = editing;
  ClearModified();
}

void TcxCustomFieldDataLink::LayoutChanged() { UpdateField(); }

void TcxCustomFieldDataLink::RecordChanged(TField* AField) {
  if (AField && AField != FField) return;
  if (!FDataBinding->IsStoreLocked()) FDataBinding->DataChanged();
  ClearModified();
}

void TcxCustomFieldDataLink::UpdateData() {
  if (!FModified) return;
  if (FField) FDataBinding->UpdateData();
  ClearModified();
}

// ---- TcxCustomDBDataBinding ----

TL_DEFINE_CLASS(TcxCustomDBDataBinding)

void TcxCustomDBDataBinding::AfterConstruction() {
  inherited::AfterConstruction();
  FDataLink = GetDataLinkClass().Create(this);
}

void TcxCustomDBDataBinding::BeforeDestruction() {
  FreeAndNil(FDataLink);
  inherited::BeforeDestruction();
}

TcxCustomFieldDataLinkClass TcxCustomDBDataBinding::GetDataLinkClass() const {
  return ClassOf<TcxCustomFieldDataLink, TcxCustomFieldDataLink, TcxCustomDBDataBinding*>();
}

TComponent* TcxCustomDBDataBinding::ErrorComponent() const {
  return dynamic_cast<TComponent*>(Owner());
}

bool TcxCustomDBDataBinding::GetModified() {
  return IsDataAvailable() && FDataLink->Editing() && FDataLink->Modified();
}

bool TcxCustomDBDataBinding::GetReadOnly() { return FDataLink->ReadOnly(); }
void TcxCustomDBDataBinding::SetReadOnly(bool Value) { FDataLink->SetReadOnly(Value); }
void TcxCustomDBDataBinding::UpdateVisualControl() { FDataLink->UpdateVisualControl(); }

bool TcxCustomDBDataBinding::CanModify() {
  // A read-only binding keeps its control from changing the value, whatever the field allows.
  return inherited::CanModify() && IsDataAvailable() && !Field()->ReadOnly() &&
         cxCanModifyBoundField(Field());
}

bool TcxCustomDBDataBinding::ExecuteAction(TObject* AAction) {
  return FDataLink->ExecuteAction(dynamic_cast<TBasicAction*>(AAction));
}

bool TcxCustomDBDataBinding::UpdateAction(TObject* AAction) {
  return FDataLink->UpdateAction(dynamic_cast<TBasicAction*>(AAction));
}

Variant TcxCustomDBDataBinding::GetStoredValue(TcxDataEditValueSource AValueSource, bool AFocused) {
  if (!IsDataAvailable()) return Null();
  return cxReadBoundField(Field(), AValueSource, AFocused && FDataLink->CanModify());
}

bool TcxCustomDBDataBinding::IsDataAvailable() {
  TField* f = Field();
  return f && f->DataSet() && f->DataSet()->State() != TDataSetState::dsInactive;
}

void TcxCustomDBDataBinding::Reset() { FDataLink->Reset(); }

bool TcxCustomDBDataBinding::SetModified() {
  if (CanModify()) {
    auto lock = BindingLock(FStoreLock);
    FDataLink->Edit();
    if (FDataLink->Editing()) FDataLink->SetModified();
  }
  return FDataLink->Editing();
}

void TcxCustomDBDataBinding::SetStoredValue(TcxDataEditValueSource AValueSource,
                                            const Variant& AValue) {
  if (!IsDataAvailable()) return;
  auto lock = BindingLock(FStoreLock);
  if (FDataLink->Edit()) cxWriteBoundField(Field(), AValueSource, AValue);
}

void TcxCustomDBDataBinding::UpdateDataSource() { FDataLink->UpdateRecord(); }
