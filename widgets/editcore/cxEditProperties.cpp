#include "widgets/editcore/cxEditProperties.h"
#include "widgets/editcore/cxEditControl.h"

#include "widgets/editcore/cxEditPaintUtils.h"
#include "widgets/editcore/cxEditStyles.h"
#include "widgets/editcore/cxEditViewData.h"
#include "widgets/foundation/cxContainer.h"

#include <algorithm>

namespace {

std::vector<TcxCustomEditProperties*>* gLiveProperties = nullptr;
TcxRegisteredClasses* gRegisteredEditProperties = nullptr;
Integer gInitCount = 0;

const std::vector<TcxCustomEditProperties*> kNoProperties;

}  // namespace

const std::vector<TcxCustomEditProperties*>& cxEditLivePropertiesList() {
  return gLiveProperties ? *gLiveProperties : kNoProperties;
}

TcxRegisteredClasses* GetRegisteredEditProperties() {
  if (!gRegisteredEditProperties) {
    gRegisteredEditProperties = New<TcxRegisteredClasses>();
    gRegisteredEditProperties->SetSorted(true);
  }
  return gRegisteredEditProperties;
}

namespace cxEditProperties {

void Initialize() {
  if (gInitCount++ > 0) return;
  gLiveProperties = new std::vector<TcxCustomEditProperties*>();
}

void Finalize() {
  if (gInitCount == 0 || --gInitCount > 0) return;
  delete gLiveProperties;
  gLiveProperties = nullptr;
  FreeAndNil(gRegisteredEditProperties);
}

}  // namespace cxEditProperties

// ---- default-values provider ----

void TcxCustomEditDefaultValuesProvider::BeforeDestruction() {
  ClearUsers();
  inherited::BeforeDestruction();
}

TAlignment TcxCustomEditDefaultValuesProvider::DefaultAlignment() { return cxEditDefaultHorzAlignment; }

void TcxCustomEditDefaultValuesProvider::ClearUsers() {
  // A snapshot: a properties object may react by leaving the list.
  const std::vector<TcxCustomEditProperties*> live = cxEditLivePropertiesList();
  for (TcxCustomEditProperties* p : live)
    if (p->GetIDefaultValuesProvider() == static_cast<IcxEditDefaultValuesProvider*>(this))
      p->ClearDefaultValuesProvider();
}

TL_DEFINE_CLASS(TcxCustomEditDefaultValuesProvider, [](auto&) {});

// ---- alignment ----

void TcxEditAlignment::DoChanged() {
  if (OnChanged) OnChanged(this);
}

void TcxEditAlignment::SetHorz(TAlignment Value) {
  if (FIsHorzAssigned && FHorz == Value) return;
  FIsHorzAssigned = true;
  FHorz = Value;
  DoChanged();
}

void TcxEditAlignment::SetVert(TcxEditVertAlignment Value) {
  if (FVert == Value) return;
  FVert = Value;
  DoChanged();
}

void TcxEditAlignment::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TcxEditAlignment*>(Source);
  if (!src) return inherited::Assign(Source);
  FVert = src->FVert;
  FHorz = src->FHorz;
  FIsHorzAssigned = src->FIsHorzAssigned;
  DoChanged();
}

TL_DEFINE_CLASS(TcxEditAlignment, [](auto& c) {
  using T = TcxEditAlignment;
  c.Property("Horz", &T::GetHorz, &T::SetHorz).Stored(&T::IsHorzStored);
  c.Property("Vert", &T::GetVert, &T::SetVert).Stored(&T::IsVertStored);
});

// ---- assigned values ----

TPersistent* TcxCustomEditPropertiesValues::GetOwner() const { return FProperties; }

void TcxCustomEditPropertiesValues::BeginUpdate() {
  if (FProperties) FProperties->BeginUpdate();
}

void TcxCustomEditPropertiesValues::EndUpdate() {
  if (FProperties) FProperties->EndUpdate(true);
}

void TcxCustomEditPropertiesValues::Changed() {
  if (FProperties) FProperties->Changed();
}

void TcxCustomEditPropertiesValues::RestoreDefaults() { SetReadOnly(false); }

void TcxCustomEditPropertiesValues::SetReadOnly(bool Value) {
  if (FReadOnly == Value) return;
  FReadOnly = Value;
  Changed();
}

TL_DEFINE_CLASS(TcxCustomEditPropertiesValues, [](auto& c) {
  using T = TcxCustomEditPropertiesValues;
  c.Property("ReadOnly", &T::GetReadOnly, &T::SetReadOnly).Default(false);
});

// ---- properties ----

TcxCustomEditProperties::TcxCustomEditProperties(TPersistent* AOwner) : TcxInterfacedPersistent(AOwner) {
  if (gLiveProperties) gLiveProperties->push_back(this);
}

void TcxCustomEditProperties::AfterConstruction() {
  inherited::AfterConstruction();
  FFreeNotificator = New<TcxFreeNotificator>(nullptr);
  FFreeNotificator->OnFreeNotification = {this, &TcxCustomEditProperties::NotificatorFreeNotification};
  FAlignment = New<TcxEditAlignment>(this);
  FAlignment->OnChanged = {this, &TcxCustomEditProperties::AlignmentChanged};
  FAssignedValues = GetAssignedValuesClass().Create(this);
  FButtons = New<TcxEditButtons>(this);
  FButtons->OnChange = {this, &TcxCustomEditProperties::ButtonsChanged};
  FUseLeftAlignmentOnEditing = DefaultUseLeftAlignmentOnEditing();
  FStoredAlignment = New<TcxEditAlignment>(this);
}

void TcxCustomEditProperties::BeforeDestruction() {
  FIDefaultValuesProvider = nullptr;
  OnPropertiesChanged = nullptr;
  FreeAndNil(FButtons);
  FreeAndNil(FStoredAlignment);
  FreeAndNil(FAlignment);
  FreeAndNil(FAssignedValues);
  FreeAndNil(FFreeNotificator);
  if (gLiveProperties)
    gLiveProperties->erase(std::remove(gLiveProperties->begin(), gLiveProperties->end(), this),
                           gLiveProperties->end());
  inherited::BeforeDestruction();
}

bool TcxCustomEditProperties::IsOwnerDestroying() const {
  auto* c = dynamic_cast<TComponent*>(GetOwner());
  return c && c->InState(TComponentStateItem::csDestroying);
}

bool TcxCustomEditProperties::IsOwnerWriting() const {
  auto* c = dynamic_cast<TComponent*>(GetOwner());
  return c && c->InState(TComponentStateItem::csWriting);
}

void TcxCustomEditProperties::BeginUpdate() { ++FUpdateCount; }

void TcxCustomEditProperties::EndUpdate(bool AInvokeChanged) {
  if (FUpdateCount == 0) return;
  if (--FUpdateCount == 0 && AInvokeChanged) Changed();
}

void TcxCustomEditProperties::Changed() {
  if (IsChangeLocked() || IsOwnerDestroying()) return;
  if (OnPropertiesChanged) OnPropertiesChanged(this);
}

void TcxCustomEditProperties::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TcxCustomEditProperties*>(Source);
  if (!src) return inherited::Assign(Source);
  if (src == this) return;
  auto update = cxPropertiesUpdate(this);
  SetAutoSelect(src->FAutoSelect);
  FButtons->Assign(src->FButtons);
  SetButtonsViewStyle(src->FButtonsViewStyle);
  SetBeepOnError(src->FBeepOnError);
  SetClearKey(src->FClearKey);
  SetClickKey(src->FClickKey);
  SetUseLeftAlignmentOnEditing(src->FUseLeftAlignmentOnEditing);
  FIDefaultValuesProvider = src->FIDefaultValuesProvider;
  SetAlignment(src->FStoredAlignment);
  FAssignedValues->SetReadOnly(false);
  if (src->IsReadOnlyAssigned()) SetReadOnly(src->FReadOnly);
  SetImmediatePost(src->FImmediatePost);
  SetTransparent(src->FTransparent);
  SetValidateOnEnter(src->FValidateOnEnter);
  OnButtonClick = src->OnButtonClick;
  OnChange = src->OnChange;
  OnEditValueChanged = src->OnEditValueChanged;
  OnValidate = src->OnValidate;
}

// ---- alignment ----

TcxEditAlignment* TcxCustomEditProperties::GetAlignment() {
  // The refresh goes on with the copy's handler detached: a read must not look like a change.
  FAlignment->OnChanged = nullptr;
  FAlignment->Assign(FStoredAlignment);
  if (!IsOwnerWriting() && !FStoredAlignment->IsHorzAssigned()) FAlignment->FHorz = GetDefaultHorzAlignment();
  FAlignment->OnChanged = {this, &TcxCustomEditProperties::AlignmentChanged};
  return FAlignment;
}

void TcxCustomEditProperties::AlignmentChanged(TObject*) {
  FStoredAlignment->Assign(FAlignment);
  Changed();
}

void TcxCustomEditProperties::SetAlignment(TcxEditAlignment* Value) {
  if (!Value) return;
  FStoredAlignment->Assign(Value);
  Changed();
}

TAlignment TcxCustomEditProperties::GetDefaultHorzAlignment() {
  if (FIDefaultValuesProvider) return FIDefaultValuesProvider->DefaultAlignment();
  return FAlignment->GetHorz();
}

bool TcxCustomEditProperties::IsAlignmentStored() const {
  return FStoredAlignment->IsHorzStored() || FStoredAlignment->IsVertStored();
}

// ---- setters ----

void TcxCustomEditProperties::SetAssignedValues(TcxCustomEditPropertiesValues* Value) {
  if (Value && Value != FAssignedValues) FAssignedValues->Assign(Value);
}

void TcxCustomEditProperties::SetAutoSelect(bool Value) {
  if (FAutoSelect == Value) return;
  FAutoSelect = Value;
  Changed();
}

void TcxCustomEditProperties::SetBeepOnError(bool Value) {
  if (FBeepOnError == Value) return;
  FBeepOnError = Value;
  Changed();
}

void TcxCustomEditProperties::SetButtons(TcxEditButtons* Value) {
  if (Value && Value != FButtons) FButtons->Assign(Value);
}

void TcxCustomEditProperties::SetButtonsViewStyle(TcxEditButtonsViewStyle Value) {
  if (FButtonsViewStyle == Value) return;
  FButtonsViewStyle = Value;
  Changed();
}

void TcxCustomEditProperties::SetClearKey(TShortCut Value) {
  if (FClearKey == Value) return;
  FClearKey = Value;
  Changed();
}

void TcxCustomEditProperties::SetClickKey(TShortCut Value) {
  if (FClickKey == Value) return;
  FClickKey = Value;
  Changed();
}

void TcxCustomEditProperties::SetImmediatePost(bool Value) {
  if (FImmediatePost == Value) return;
  FImmediatePost = Value;
  Changed();
}

bool TcxCustomEditProperties::GetReadOnly() const {
  if (IsReadOnlyAssigned()) return FReadOnly;
  return FIDefaultValuesProvider ? FIDefaultValuesProvider->DefaultReadOnly() : false;
}

void TcxCustomEditProperties::SetReadOnly(bool Value) {
  if (IsReadOnlyAssigned() && FReadOnly == Value) return;
  auto update = cxPropertiesUpdate(this);
  FReadOnly = Value;
  FAssignedValues->SetReadOnly(true);
}

void TcxCustomEditProperties::SetTransparent(bool Value) {
  if (FTransparent == Value) return;
  FTransparent = Value;
  Changed();
}

void TcxCustomEditProperties::SetUseLeftAlignmentOnEditing(bool Value) {
  if (FUseLeftAlignmentOnEditing == Value) return;
  FUseLeftAlignmentOnEditing = Value;
  Changed();
}

void TcxCustomEditProperties::SetValidateOnEnter(bool Value) {
  if (FValidateOnEnter == Value) return;
  FValidateOnEnter = Value;
  Changed();
}

// ---- queries ----

bool TcxCustomEditProperties::CanModify() const {
  if (IsReadOnlyAssigned() && !FReadOnly) return true;
  if (GetReadOnly()) return false;
  if (!FIDefaultValuesProvider) return true;
  return FIDefaultValuesProvider->CanSetEditMode();
}

void TcxCustomEditProperties::SetIDefaultValuesProvider(IcxEditDefaultValuesProvider* AProvider) {
  FIDefaultValuesProvider = AProvider;
  // Only an editor repaints for new defaults; a repository item's properties wait for their editors.
  if (dynamic_cast<TcxCustomEdit*>(GetOwner())) Changed();
}

bool TcxCustomEditProperties::IsDisplayFormatDefined(bool AEditFocused) const {
  const TcxEditDisplayFormatOptions options = GetDisplayFormatOptions();
  if (AEditFocused || !options.Contains(TcxEditDisplayFormatOption::dfoSupports) || !FIDefaultValuesProvider)
    return false;
  return FIDefaultValuesProvider->IsDisplayFormatDefined(
      !options.Contains(TcxEditDisplayFormatOption::dfoNoCurrencyValue));
}

bool TcxCustomEditProperties::IsValueFormattedByProvider() const {
  const TcxEditDisplayFormatOptions options = GetDisplayFormatOptions();
  return options.Contains(TcxEditDisplayFormatOption::dfoSupports) &&
         GetEditValueSource(true) == TcxDataEditValueSource::evsValue &&
         GetEditValueSource(false) == TcxDataEditValueSource::evsText && FIDefaultValuesProvider &&
         FIDefaultValuesProvider->IsDisplayFormatDefined(
             !options.Contains(TcxEditDisplayFormatOption::dfoNoCurrencyValue));
}

TcxEditSupportedOperations TcxCustomEditProperties::GetSupportedOperations() const {
  if (FButtons && FButtons->Count() > 0) return {TcxEditSupportedOperation::esoHotTrack};
  return {};
}

bool TcxCustomEditProperties::IsEditValueValid(Variant&, bool) const { return true; }

TcxDataEditValueSource TcxCustomEditProperties::GetEditValueSource(bool) const {
  return TcxDataEditValueSource::evsValue;
}

TcxCustomEditPropertiesValuesClass TcxCustomEditProperties::GetAssignedValuesClass() const {
  return ClassOf<TcxCustomEditPropertiesValues, TcxCustomEditPropertiesValues, TcxCustomEditProperties*>();
}

TcxCustomEditViewDataClass TcxCustomEditProperties::GetViewDataClass() const {
  return ClassOf<TcxCustomEditViewData, TcxCustomEditViewData, TcxCustomEditProperties*, TcxCustomEditStyle*, bool>();
}

TcxCustomEditClass TcxCustomEditProperties::GetContainerClass() const {
  return ClassOf<TcxCustomEdit, TcxCustomEdit, TComponent*, bool>();
}

TcxContainerStyleClass TcxCustomEditProperties::GetStyleClass() const { return cxEditStyleClassOf<TcxEditStyle>(); }

TcxCustomEditViewInfoClass TcxCustomEditProperties::GetViewInfoClass() const {
  return ClassOf<TcxCustomEditViewInfo, TcxCustomEditViewInfo>();
}

TcxCustomEditProperties* TcxCustomEditProperties::CreateSameClass() const {
  return New<TcxCustomEditProperties>(nullptr);
}

TcxCustomEditViewData* TcxCustomEditProperties::CreateViewData(TcxCustomEditStyle* AStyle, bool AIsInplace,
                                                               bool APreviewMode) {
  TcxCustomEditViewData* data = GetViewDataClass().Create(this, AStyle, AIsInplace);
  data->PreviewMode = APreviewMode;
  return data;
}

TSize TcxCustomEditProperties::CalculateEditSize(TcxCanvas& ACanvas, TcxCustomEditStyle* AStyle, bool AIsInplace,
                                                 const Variant& AEditValue,
                                                 TcxEditSizeProperties& AEditSizeProperties) {
  Owned<TcxCustomEditViewData> data(CreateViewData(AStyle, AIsInplace));
  return data->CalculateEditSize(ACanvas, AEditValue, AEditSizeProperties);
}

void TcxCustomEditProperties::RestoreDefaults() {
  FStoredAlignment->Reset();
  auto update = cxPropertiesUpdate(this);
  FAssignedValues->RestoreDefaults();
}

// ---- validation ----

void TcxCustomEditProperties::ValidateDisplayValue(Variant& DisplayValue, String& ErrorText, bool& Error,
                                                   IcxEditPropertiesHost* AEdit) {
  if (!CanValidate()) return;
  if (ErrorText.empty()) ErrorText = GetValidateErrorText();
  DoValidate(DisplayValue, ErrorText, Error, AEdit);
}

void TcxCustomEditProperties::DoValidate(Variant& DisplayValue, String& ErrorText, bool& Error,
                                         IcxEditPropertiesHost* AEdit) {
  TcxCustomEditProperties* own = AEdit ? AEdit->GetOwnProperties() : this;
  TcxCustomEditProperties* active = AEdit ? AEdit->GetActiveProperties() : this;
  const bool withItem = AEdit && AEdit->HasRepositoryItem() && active && active != own;
  if (!(own && own->OnValidate) && !(withItem && active->OnValidate)) return;
  const Variant before = DisplayValue;
  // A handler may free the editor, and its own properties with it.
  TObject* editObject = AEdit ? dynamic_cast<TObject*>(AEdit) : nullptr;
  TWeakLink link(editObject);
  auto editGone = [&] { return editObject && !link.Alive(); };
  if (own && own->OnValidate) own->OnValidate(own, DisplayValue, ErrorText, Error);
  if (!editGone() && withItem && active->OnValidate) active->OnValidate(active, DisplayValue, ErrorText, Error);
  if (editGone()) return;
  if (Error && AEdit && DisplayValue.VType() == before.VType() && DisplayValue == before)
    DisplayValue = AEdit->GetCurrentDisplayValue();
}

TL_DEFINE_CLASS(TcxCustomEditProperties, [](auto& c) {
  using T = TcxCustomEditProperties;
  c.Property("Alignment", &T::GetAlignment, &T::SetAlignment).Stored(&T::IsAlignmentStored);
  c.Property("AssignedValues", &T::GetAssignedValues, &T::SetAssignedValues).Stored(&T::IsAssignedValuesStored);
  c.Property("AutoSelect", &T::GetAutoSelect, &T::SetAutoSelect).Default(true);
  c.Property("BeepOnError", &T::GetBeepOnError, &T::SetBeepOnError).Default(false);
  c.Property("Buttons", &T::GetButtons, &T::SetButtons).Stored(&T::IsButtonsStored);
  c.Property("ClearKey", &T::GetClearKey, &T::SetClearKey).Default(0);
  c.Property("ClickKey", &T::GetClickKey, &T::SetClickKey).Default(16397);
  c.Property("ImmediatePost", &T::GetImmediatePost, &T::SetImmediatePost).Default(false);
  c.Property("ReadOnly", &T::GetReadOnly, &T::SetReadOnly).Stored(&T::IsReadOnlyStored);
  c.Property("Transparent", &T::GetTransparent, &T::SetTransparent).Default(false);
  c.Property("UseLeftAlignmentOnEditing", &T::GetUseLeftAlignmentOnEditing, &T::SetUseLeftAlignmentOnEditing)
      .Stored(&T::IsUseLeftAlignmentOnEditingStored);
  c.Property("ValidateOnEnter", &T::GetValidateOnEnter, &T::SetValidateOnEnter).Default(false);
  c.Event("OnButtonClick", &T::OnButtonClick);
  c.Event("OnChange", &T::OnChange);
  c.Event("OnEditValueChanged", &T::OnEditValueChanged);
  c.Event("OnValidate", &T::OnValidate);
});

void cxRegisterEditor(const TClass& AProperties, const String& ACaption, const TClass& AEditor) {
  GetRegisteredEditProperties()->Register(&AProperties, ACaption);
  RegisterClass(AEditor);
}

void cxUnregisterEditor(const TClass& AProperties, const TClass& AEditor) {
  UnRegisterClass(AEditor);
  if (TcxRegisteredClasses* r = GetRegisteredEditProperties()) r->Unregister(&AProperties);
}
