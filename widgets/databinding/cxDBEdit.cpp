#include "widgets/databinding/cxDBEdit.h"

#include "classlib/core/ScopeGuards.h"
#include "classlib/core/SysUtils.h"
#include "classlib/visual/Controls.h"
#include "classlib/visual/Messages.h"
#include "platform/user/User.h"
#include "widgets/foundation/cxClasses.h"

#include <algorithm>

namespace {

// Whether a control should show a field right to left. Nothing here reads right to left.
bool UseRightToLeftAlignment(TWinControl*, TField*) { return false; }

// A window whose right-aligned style disagrees with the field's reading direction is rebuilt.
void CheckFieldReadingDirection(TWinControl* AControl, TField* AField) {
  if (!AControl || !AControl->HandleAllocated()) return;
  const bool right = (GetWindowLongA(AControl->GetHandle(), GWL_EXSTYLE) & LONG(WS_EX_RIGHT)) != 0;
  if (right != UseRightToLeftAlignment(AControl, AField)) AControl->Perform(CM_RECREATEWND, 0, 0);
}

// The field's control takes the focus and clears the request, when it is that field's.
void FocusFieldControl(TWinControl* AControl, TField* ABound, TField*& AField) {
  if (!AControl || !AField || AField != ABound || !AControl->CanFocus()) return;
  AField = nullptr;
  AControl->SetFocus();
}

}  // namespace

// ---- TcxDBFieldDataLink ----

TL_DEFINE_CLASS(TcxDBFieldDataLink)

TWinControl* TcxDBFieldDataLink::Control() const {
  return dynamic_cast<TWinControl*>(DataBinding()->Owner());
}

void TcxDBFieldDataLink::UpdateVisualControl() { SetVisualControl(Control() != nullptr); }

void TcxDBFieldDataLink::FocusControl(TField*& AField) { FocusFieldControl(Control(), Field(), AField); }

void TcxDBFieldDataLink::FieldChanged() { CheckFieldReadingDirection(Control(), Field()); }

// ---- TcxDBDataBinding ----

TL_DEFINE_CLASS(TcxDBDataBinding, [](auto& c) {
  using T = TcxDBDataBinding;
  c.Property("DataField", &T::DataField, &T::SetDataField);
  c.Property("DataSource", &T::DataSource, &T::SetDataSource);
});

void TcxDBDataBinding::AfterConstruction() {
  inherited::AfterConstruction();
  UpdateVisualControl();
}

void TcxDBDataBinding::Assign(TPersistent* Source) {
  auto* source = dynamic_cast<TcxCustomDBDataBinding*>(Source);
  if (!source) {
    inherited::Assign(Source);
    return;
  }
  // From another source the link leaves its own first: the new name is never looked up in
  // the old data set, nor the old name in the new one.
  if (DataSource() != source->DataSource()) SetDataSource(nullptr);
  SetDataField(source->DataField());
  SetDataSource(source->DataSource());
}

TcxCustomFieldDataLinkClass TcxDBDataBinding::GetDataLinkClass() const {
  return ClassOf<TcxDBFieldDataLink, TcxCustomFieldDataLink, TcxCustomDBDataBinding*>();
}

// ---- TcxCustomDBEditDefaultValuesProvider ----

TL_DEFINE_CLASS(TcxCustomDBEditDefaultValuesProvider)

Integer cxFieldPrecision(Integer APrecision) {
  if (APrecision <= 0) return 15;
  return std::min<Integer>(APrecision, 18);
}

TcxCustomDBEditDefaultValuesProvider::TcxCustomDBEditDefaultValuesProvider(TPersistent* AOwner)
    : TcxCustomEditDefaultValuesProvider(AOwner),
      FFreeNotificator(New<TcxFreeNotificator>(nullptr)) {
  FFreeNotificator->OnFreeNotification = {this, &TcxCustomDBEditDefaultValuesProvider::FieldFreed};
}

void TcxCustomDBEditDefaultValuesProvider::BeforeDestruction() {
  SetField(nullptr);
  FreeAndNil(FFreeNotificator);
  inherited::BeforeDestruction();
}

void TcxCustomDBEditDefaultValuesProvider::SetField(TField* Value) {
  if (Value == FField) return;
  cxRemoveFreeNotification(FField, FFreeNotificator);
  FField = Value;
  cxAddFreeNotification(FField, FFreeNotificator);
}

void TcxCustomDBEditDefaultValuesProvider::FieldFreed(TComponent* AComponent) {
  if (AComponent == FField) FField = nullptr;
}

bool TcxCustomDBEditDefaultValuesProvider::IsDataAvailable() {
  return FField && FField->DataSet() && FField->DataSet()->State() != TDataSetState::dsInactive;
}

TAlignment TcxCustomDBEditDefaultValuesProvider::DefaultAlignment() {
  return IsDataAvailable() ? FField->Alignment() : inherited::DefaultAlignment();
}

TcxBlobKind TcxCustomDBEditDefaultValuesProvider::DefaultBlobKind() {
  if (!IsDataAvailable()) return TcxBlobKind::bkNone;
  switch (FField->DataType()) {
    case TFieldType::ftMemo:
    case TFieldType::ftFmtMemo:
      return TcxBlobKind::bkMemo;
    case TFieldType::ftGraphic:
      return TcxBlobKind::bkGraphic;
    case TFieldType::ftOle1:
    case TFieldType::ftOle2:
      return TcxBlobKind::bkOle;
    default:
      return TcxBlobKind::bkNone;
  }
}

bool TcxCustomDBEditDefaultValuesProvider::CanSetEditMode() {
  return !DefaultReadOnly() && IsDataAvailable() && cxCanModifyBoundField(FField);
}

String TcxCustomDBEditDefaultValuesProvider::DefaultDisplayFormat() {
  if (IsDataAvailable())
    if (auto* numeric = dynamic_cast<TNumericField*>(FField)) return numeric->DisplayFormat();
  return inherited::DefaultDisplayFormat();
}

String TcxCustomDBEditDefaultValuesProvider::DefaultEditFormat() {
  if (IsDataAvailable())
    if (auto* numeric = dynamic_cast<TNumericField*>(FField)) return numeric->EditFormat();
  return inherited::DefaultEditFormat();
}

String TcxCustomDBEditDefaultValuesProvider::DefaultEditMask() {
  return IsDataAvailable() ? FField->EditMask() : inherited::DefaultEditMask();
}

bool TcxCustomDBEditDefaultValuesProvider::DefaultIsFloatValue() {
  if (!IsDataAvailable()) return inherited::DefaultIsFloatValue();
  const TFieldType t = FField->DataType();
  return t == TFieldType::ftFloat || t == TFieldType::ftCurrency || t == TFieldType::ftBCD;
}

Integer TcxCustomDBEditDefaultValuesProvider::DefaultMaxLength() {
  if (IsDataAvailable() &&
      (FField->DataType() == TFieldType::ftString || FField->DataType() == TFieldType::ftWideString))
    return FField->Size();
  return inherited::DefaultMaxLength();
}

// A float bound is read back through the field's own precision, so the editor never offers
// digits the field cannot keep.
double TcxCustomDBEditDefaultValuesProvider::Bound(bool AMax) {
  if (auto* integer = dynamic_cast<TIntegerField*>(FField))
    return AMax ? integer->MaxValue() : integer->MinValue();
  if (auto* fp = dynamic_cast<TFloatField*>(FField)) {
    const Integer precision = cxFieldPrecision(fp->Precision());
    return StrToFloat(FloatToStrF(AMax ? fp->MaxValue() : fp->MinValue(), TFloatFormat::ffGeneral,
                                  precision, precision));
  }
  if (auto* bcd = dynamic_cast<TBCDField*>(FField))
    return double((AMax ? bcd->MaxValue() : bcd->MinValue()).Raw) / 10000.0;
  return AMax ? inherited::DefaultMaxValue() : inherited::DefaultMinValue();
}

double TcxCustomDBEditDefaultValuesProvider::DefaultMaxValue() {
  return IsDataAvailable() ? Bound(true) : inherited::DefaultMaxValue();
}

double TcxCustomDBEditDefaultValuesProvider::DefaultMinValue() {
  return IsDataAvailable() ? Bound(false) : inherited::DefaultMinValue();
}

Integer TcxCustomDBEditDefaultValuesProvider::DefaultPrecision() {
  if (auto* fp = dynamic_cast<TFloatField*>(FField)) return cxFieldPrecision(fp->Precision());
  if (auto* bcd = dynamic_cast<TBCDField*>(FField)) return cxFieldPrecision(bcd->Precision());
  if (auto* aggregate = dynamic_cast<TAggregateField*>(FField))
    return cxFieldPrecision(aggregate->Precision());
  return inherited::DefaultPrecision();
}

bool TcxCustomDBEditDefaultValuesProvider::DefaultReadOnly() {
  return IsDataAvailable() ? FField->ReadOnly() : inherited::DefaultReadOnly();
}

bool TcxCustomDBEditDefaultValuesProvider::DefaultRequired() {
  return IsDataAvailable() ? FField->Required() : inherited::DefaultRequired();
}

bool TcxCustomDBEditDefaultValuesProvider::IsBlob() { return IsDataAvailable() && FField->IsBlob(); }

bool TcxCustomDBEditDefaultValuesProvider::DefaultIsCurrency() {
  if (IsDataAvailable()) {
    if (auto* numeric = dynamic_cast<TNumericField*>(FField)) return numeric->GetCurrency();
    if (auto* aggregate = dynamic_cast<TAggregateField*>(FField)) return aggregate->GetCurrency();
  }
  return inherited::DefaultIsCurrency();
}

bool TcxCustomDBEditDefaultValuesProvider::IsDisplayFormatDefined(bool AIsCurrencyValueAccepted) {
  if (!IsDataAvailable()) return false;
  if (FField->OnGetText) return true;
  if (auto* numeric = dynamic_cast<TNumericField*>(FField))
    return !numeric->DisplayFormat().empty() || (AIsCurrencyValueAccepted && numeric->GetCurrency());
  if (auto* date = dynamic_cast<TDateTimeField*>(FField)) return !date->DisplayFormat().empty();
  if (auto* aggregate = dynamic_cast<TAggregateField*>(FField))
    return !aggregate->DisplayFormat().empty() || (AIsCurrencyValueAccepted && aggregate->GetCurrency());
  return false;
}

bool TcxCustomDBEditDefaultValuesProvider::IsNonNumericDisplayFormat() {
  return IsDisplayFormatDefined(false) && DefaultDisplayFormat().empty();
}

bool TcxCustomDBEditDefaultValuesProvider::IsValidChar(Char AChar) {
  return IsDataAvailable() ? FField->IsValidChar(AChar) : inherited::IsValidChar(AChar);
}

// ---- TcxEditFieldDataLink ----

TL_DEFINE_CLASS(TcxEditFieldDataLink)

TcxEditFieldDataLink::TcxEditFieldDataLink(TcxDBEditDataBinding* ADataBinding)
    : FDataBinding(ADataBinding), FFreeNotificator(New<TcxFreeNotificator>(nullptr)) {
  SetVisualControl(true);
  FFreeNotificator->OnFreeNotification = {this, &TcxEditFieldDataLink::FieldFreed};
}

void TcxEditFieldDataLink::BeforeDestruction() {
  cxRemoveFreeNotification(FField, FFreeNotificator);
  cxRemoveFreeNotification(FWatchedField, FFreeNotificator);
  FreeAndNil(FFreeNotificator);
  inherited::BeforeDestruction();
}

void TcxEditFieldDataLink::WatchFields(TField* AOldWatched) {
  cxRemoveFreeNotification(AOldWatched, FFreeNotificator);
  cxAddFreeNotification(FField, FFreeNotificator);
  cxAddFreeNotification(FWatchedField, FFreeNotificator);
}

void TcxEditFieldDataLink::FieldFreed(TComponent* AComponent) {
  if (AComponent == FField) {
    // An editor on its way out needs no new display.
    if (Control()->InState(TComponentStateItem::csDestroying)) {
      FField = FWatchedField = nullptr;
      return;
    }
    SetField(nullptr);
  } else if (AComponent == FWatchedField) {
    FWatchedField = FField;
  }
}

TcxCustomEdit* TcxEditFieldDataLink::Control() const { return FDataBinding->Edit(); }

void TcxEditFieldDataLink::SetFieldName(const String& Value) {
  if (FFieldName == Value) return;
  FFieldName = Value;
  UpdateField();
}

bool TcxEditFieldDataLink::CanModify() const {
  return !ReadOnly() && FField && cxCanModifyBoundField(FField);
}

bool TcxEditFieldDataLink::Edit() {
  if (CanModify()) TDataLink::Edit();
  return FEditing;
}

void TcxEditFieldDataLink::ClearModified() {
  if (!FDataBinding->IsLocked()) FModified = false;
}

void TcxEditFieldDataLink::UpdateField() {
  TField* field = nullptr;
  if (Active() && !FFieldName.empty()) {
    FField = nullptr;
    field = DataSet()->FieldByName(FFieldName, Control());
  }
  SetField(field);
}

void TcxEditFieldDataLink::SetField(TField* Value) {
  if (FField == Value) return;
  TField* const oldWatched = FWatchedField;
  FField = Value;
  // A lookup field edited by its one key reports the key's changes.
  FWatchedField = FField;
  if (FField && FField->FieldKind() == TFieldKind::fkLookup && FDataBinding->IsKeyEditing() &&
      Pos(";", FField->KeyFields()) == 0 && FField->DataSet())
    if (TField* key = FField->DataSet()->FindField(Trim(FField->KeyFields()))) FWatchedField = key;
  WatchFields(oldWatched);
  // Each notice may run the edit's handlers, which may free the edit and this link with it.
  TWeakLink self(this);
  FDataBinding->DataSetChanged();
  if (self.Alive()) EditingChanged();
  if (self.Alive()) RecordChanged(nullptr);
  if (self.Alive()) CheckFieldReadingDirection(Control(), FField);
}

void TcxEditFieldDataLink::ActiveChanged() {
  TWeakLink self(this);
  UpdateField();
  if (!self.Alive()) return;
  {
    auto lock = BindingLock(FDataBinding->FLock);
    FDataBinding->DataSetChanged();
  }
  if (!self.Alive()) return;
  ClearModified();
  FDataBinding->DataChanged();
}

// A field write is a record change of that field (RecordChanged), never a new field list:
// resetting on every write would wipe another editor's typed value while the data set posts.
void TcxEditFieldDataLink::DataEvent(TDataEvent Event, intptr_t Info) {
  const bool fieldList = Event == TDataEvent::deFieldListChange;
  TWeakLink self(this);
  if (fieldList) UpdateField();
  if (!self.Alive()) return;
  inherited::DataEvent(Event, Info);
  if (!fieldList || !self.Alive()) return;
  {
    auto lock = BindingLock(FDataBinding->FLock);
    FDataBinding->DataSetChanged();
  }
  if (self.Alive()) ClearModified();
}

void TcxEditFieldDataLink::EditingChanged() {
  const bool editing = TDataLink::Editing() && CanModify();
  if (editing != FEditing) {
    FEditing = editing;
    ClearModified();
  }
  FDataBinding->EditingChanged();
}

void TcxEditFieldDataLink::FocusControl(TField*& AField) {
  FocusFieldControl(Control(), FField, AField);
}

void TcxEditFieldDataLink::LayoutChanged() { UpdateField(); }

void TcxEditFieldDataLink::RecordChanged(TField* AField) {
  if (AField && AField != FWatchedField) return;
  // The value shown runs the edit's handlers, which may free the edit and this link with it.
  TWeakLink self(this);
  FDataBinding->DataChanged();
  if (self.Alive()) ClearModified();
}

void TcxEditFieldDataLink::UpdateData() {
  if (FModified && FField) FDataBinding->UpdateData();
  ClearModified();
}

// ---- TcxDBEditDataBinding ----

TL_DEFINE_CLASS(TcxDBEditDataBinding, [](auto& c) {
  using T = TcxDBEditDataBinding;
  c.Property("DataField", &T::DataField, &T::SetDataField);
  c.Property("DataSource", &T::DataSource, &T::SetDataSource);
});

void TcxDBEditDataBinding::AfterConstruction() {
  inherited::AfterConstruction();
  FDataLink = New<TcxEditFieldDataLink>(this);
}

void TcxDBEditDataBinding::BeforeDestruction() {
  FreeAndNil(FDataLink);
  inherited::BeforeDestruction();
}

TcxCustomDBEditDefaultValuesProvider* TcxDBEditDataBinding::DBProvider() const {
  return static_cast<TcxCustomDBEditDefaultValuesProvider*>(GetIDefaultValuesProvider());
}

TcxDataEditValueSource TcxDBEditDataBinding::ValueSource() const {
  return Edit()->GetActiveProperties()->GetEditValueSource(Edit()->IsFocused());
}

void TcxDBEditDataBinding::Assign(TPersistent* Source) {
  auto* source = dynamic_cast<TcxDBEditDataBinding*>(Source);
  if (!source) {
    // The plain binding takes any binding silently; a data-set one takes only its own kind.
    TPersistent::Assign(Source);
    return;
  }
  // See TcxDBDataBinding::Assign: a copy from another source never fails halfway.
  if (DataSource() != source->DataSource()) SetDataSource(nullptr);
  SetDataField(source->DataField());
  SetDataSource(source->DataSource());
  DataChanged();
}

bool cxDataSourceLetsEdit(TDataSource* ASource) {
  return ASource && (ASource->AutoEdit() || ASource->State() == TDataSetState::dsEdit ||
                     ASource->State() == TDataSetState::dsInsert);
}

bool TcxDBEditDataBinding::CanModify() const { return cxDataSourceLetsEdit(DataSource()); }

void TcxDBEditDataBinding::DefaultValuesChanged() {
  if (TcxCustomDBEditDefaultValuesProvider* p = DBProvider()) p->SetField(FDataLink->Field());
  inherited::DefaultValuesChanged();
}

bool TcxDBEditDataBinding::IsEditing() const {
  return IsDataAvailable() && FDataLink->Editing() && FDataLink->Modified();
}

Variant TcxDBEditDataBinding::GetStoredValue() const {
  const TcxDataEditValueSource source = ValueSource();
  if (!IsDataAvailable()) return Null();
  TField* field = Field();
  // A handler may give a null field a text of its own.
  if (field->IsNull() && !(source == TcxDataEditValueSource::evsText && field->OnGetText))
    return Null();
  return cxReadBoundField(field, source, Edit()->IsFocused() && FDataLink->CanModify(), true);
}

void TcxDBEditDataBinding::Reset() {
  if (!IsDataAvailable()) return;
  FDataLink->Reset();
  Edit()->SelectAll();
}

void TcxDBEditDataBinding::SetDisplayValue(const Variant& Value) {
  Edit()->SetInternalDisplayValue(IsDataAvailable() ? Value : Variant(String()));
}

bool TcxDBEditDataBinding::SetEditMode() {
  if (TcxCustomDBEditDefaultValuesProvider* p = DBProvider(); !p || !p->CanSetEditMode())
    return false;
  auto lock = BindingLock(FLock);
  FDataLink->Edit();
  const bool editing = FDataLink->Editing();
  if (editing) FDataLink->SetModified();
  return editing;
}

void TcxDBEditDataBinding::UpdateDataValue() {
  if (!IsDataAvailable()) return;
  auto lock = BindingLock(FLock);
  if (FDataLink->Edit()) cxWriteBoundField(Field(), ValueSource(), Edit()->GetEditValue());
}

TcxCustomEditDefaultValuesProviderClass TcxDBEditDataBinding::GetDefaultValuesProviderClass() const {
  return ClassOf<TcxCustomDBEditDefaultValuesProvider, TcxCustomEditDefaultValuesProvider,
                 TPersistent*>();
}

void TcxDBEditDataBinding::UpdateDisplayValue() {
  TcxCustomEdit* edit = Edit();
  auto click = WatchedPairedCall(
      edit, [edit] { edit->LockClick(true); }, [edit] { edit->LockClick(false); });
  if (IsDataAvailable())
    FDataLink->Reset();
  else
    inherited::UpdateDisplayValue();
}

void TcxDBEditDataBinding::ClearValueIfNoData() {
  if (!IsDataAvailable()) Edit()->SetEditValueWithoutClick(Null());
}

void TcxDBEditDataBinding::DataChanged() {
  if (FLock > 0) return;
  TcxCustomEdit* edit = Edit();
  if (edit->InState(TComponentStateItem::csDesigning) && !IsDataAvailable()) {
    ClearValueIfNoData();
    return;
  }
  if (edit->IsFocused() || !edit->GetActiveProperties()->IsValueFormattedByProvider()) {
    edit->SetEditValueWithoutClick(GetStoredValue());
    return;
  }
  // The editor keeps the value and shows the field's own text of it.
  TField* field = Field();
  edit->SetEditValueWithoutClick(!IsDataAvailable() || field->IsNull() ? Null() : field->GetAsVariant());
  auto click = WatchedPairedCall(
      edit, [edit] { edit->LockClick(true); }, [edit] { edit->LockClick(false); });
  SetDisplayValue(GetStoredValue());
}

void TcxDBEditDataBinding::EditingChanged() { Edit()->EditingChanged(); }

void TcxDBEditDataBinding::UpdateData() {
  if (IsDataAvailable() && Edit()->ValidateDisplayText(true)) UpdateDataValue();
}

bool TcxDBEditDataBinding::IsValidChar(Char AChar) const {
  if (Byte(AChar) < 32 || ValueSource() != TcxDataEditValueSource::evsText) return true;
  IcxEditDefaultValuesProvider* p = GetIDefaultValuesProvider();
  return !p || p->IsValidChar(AChar);
}

// ---- TcxDBTextEditDataBinding ----

TL_DEFINE_CLASS(TcxDBTextEditDataBinding)

void TcxDBTextEditDataBinding::SetDisplayValue(const Variant& Value) {
  if (IsDataAvailable()) {
    inherited::SetDisplayValue(Value);
    return;
  }
  TcxCustomEdit* edit = Edit();
  edit->SetInternalDisplayValue(edit->InState(TComponentStateItem::csDesigning) ? Variant(edit->GetName())
                                                                               : Variant(String()));
}

void TcxDBTextEditDataBinding::ClearValueIfNoData() {
  if (IsDataAvailable()) return;
  TcxCustomEdit* edit = Edit();
  auto click = WatchedPairedCall(
      edit, [edit] { edit->LockClick(true); }, [edit] { edit->LockClick(false); });
  SetDisplayValue(Variant(String()));
}
