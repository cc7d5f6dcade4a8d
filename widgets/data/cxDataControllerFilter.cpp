#include "widgets/data/cxDataControllerFilter.h"

#include "classlib/core/Filer.h"
#include "widgets/data/cxDataController.h"
#include "widgets/data/cxDataSummary.h"
#include "widgets/data/cxFilterConsts.h"
#include "widgets/foundation/cxVariants.h"

// ---- Criteria ----

void TcxDataFilterCriteria::BeforeDestruction() {
  FDestroying = true;
  SetActive(false);
  if (FDataController) FDataController->FilterDestroying(this);
  inherited::BeforeDestruction();
}

void TcxDataFilterCriteria::Assign(TPersistent* Source) {
  auto* source = dynamic_cast<TcxDataFilterCriteria*>(Source);
  if (!source) {
    inherited::Assign(Source);
    return;
  }
  source->BeginUpdate();
  BeginUpdate();
  try {
    inherited::Assign(Source);
    SetActive(source->FActive);
  } catch (...) {
    try {
      EndUpdate();
      source->EndUpdate();
    } catch (...) {
    }
    throw;
  }
  EndUpdate();
  source->EndUpdate();
}

TcxCustomDataField* TcxDataFilterCriteria::FieldOfLink(TObject* AItemLink) const {
  if (!AItemLink) return nullptr;
  if (auto* field = dynamic_cast<TcxCustomDataField*>(AItemLink)) return field;
  return FDataController ? FDataController->Fields()->FieldByItem(AItemLink) : nullptr;
}

Integer TcxDataFilterCriteria::GetIDByItemLink(TObject* AItemLink) {
  TcxCustomDataField* field = FieldOfLink(AItemLink);
  return field && FDataController ? FDataController->GetItemID(field->Item()) : -1;
}

TcxFilterCriteriaItemClass TcxDataFilterCriteria::GetItemClass() {
  return ClassOf<TcxDataFilterCriteriaItem, TcxFilterCriteriaItem, TcxFilterCriteriaItemList*, TObject*,
                 TcxFilterOperatorKind, const Variant&, const String&>();
}

TObject* TcxDataFilterCriteria::GetItemLinkByID(Integer AID) {
  return FDataController ? FDataController->GetItemByID(AID) : nullptr;
}

TcxFilterValueListClass TcxDataFilterCriteria::GetValueListClass() {
  return ClassOf<TcxDataFilterValueList, TcxFilterValueList, TcxFilterCriteria*>();
}

void TcxDataFilterCriteria::DoChanged() {
  TcxCustomDataController* c = FDataController;
  // Further criteria of the controller never filter its rows.
  if (!c || c->Filter() != this || FDestroying || c->IsDestroying() || c->IsLoading()) return;
  c->FilterChanged();
  inherited::DoChanged();
}

void TcxDataFilterCriteria::AssignEvents(TPersistent* ASource) {
  inherited::AssignEvents(ASource);
  if (auto* source = dynamic_cast<TcxDataFilterCriteria*>(ASource)) OnGetValueList = source->OnGetValueList;
}

TcxFilterCriteriaItem* TcxDataFilterCriteria::AddItem(TcxFilterCriteriaItemList* AParent, TObject* AItemLink,
                                                      TcxFilterOperatorKind AOperatorKind, const Variant& AValue,
                                                      const String& ADisplayValue) {
  return inherited::AddItem(AParent, FieldOfLink(AItemLink), AOperatorKind, AValue, ADisplayValue);
}

TcxFilterCriteriaItem* TcxDataFilterCriteria::FindItemByItemLink(TObject* AItemLink) {
  TcxCustomDataField* field = FieldOfLink(AItemLink);
  return field ? inherited::FindItemByItemLink(field) : inherited::FindItemByItemLink(AItemLink);
}

void TcxDataFilterCriteria::RestoreDefaults() {
  BeginUpdate();
  try {
    inherited::RestoreDefaults();
    SetActive(false);
  } catch (...) {
    try {
      EndUpdate();
    } catch (...) {
    }
    throw;
  }
  EndUpdate();
}

TcxDataFilterValueList* TcxDataFilterCriteria::CreateValueList() {
  return static_cast<TcxDataFilterValueList*>(GetValueListClass().Create(this));
}

bool TcxDataFilterCriteria::IsFiltering() {
  return FActive && !IsEmpty() && FDataController && !FDataController->IsGridMode();
}

void TcxDataFilterCriteria::SetActive(bool Value) {
  if (FActive == Value) return;
  FActive = Value;
  Changed();
}

void TcxDataFilterCriteria::DefineProperties(TFiler& Filer) {
  inherited::DefineProperties(Filer);
  Filer.DefineBinaryProperty(
      "Criteria", [this](TStream& AStream) { ReadData(AStream); }, [this](TStream& AStream) { WriteData(AStream); },
      HasData());
}

// ---- Condition ----

TcxCustomDataField* TcxDataFilterCriteriaItem::Field() { return dynamic_cast<TcxCustomDataField*>(GetItemLink()); }

TcxCustomDataController* TcxDataFilterCriteriaItem::DataController() {
  auto* criteria = dynamic_cast<TcxDataFilterCriteria*>(GetCriteria());
  return criteria ? criteria->DataController() : nullptr;
}

void TcxDataFilterCriteriaItem::GetDataValue(Pointer AData, Variant& AValue) {
  TcxCustomDataField* field = Field();
  TcxCustomDataController* c = DataController();
  AValue = field && c ? c->GetRecordFieldValue(cxDataToRecordIndex(AData), field) : Null();
}

void TcxDataFilterCriteriaItem::GetFieldCaption(String& AText) {
  TcxCustomDataField* field = Field();
  TcxCustomDataController* c = DataController();
  AText = field && c && field->Item() ? c->GetItemFieldName(field->GetIndex()) : String();
}

void TcxDataFilterCriteriaItem::GetFieldName(String& AText) {
  TcxCustomDataField* field = Field();
  TcxCustomDataController* c = DataController();
  AText = field && c && field->Item() ? c->GetItemDataFieldName(field->GetIndex()) : String();
}

// ---- Value list ----

void TcxDataFilterValueList::Load(Integer AItemIndex) {
  using K = TcxFilterValueItemKind;
  using namespace cxFilterConsts;
  TcxDataFilterCriteria* criteria = DataCriteria();
  TcxCustomDataController* c = criteria->DataController();
  TcxCustomDataField* field = c->GetItemField(AItemIndex);
  Clear();
  const TcxValueTypeClass type = field->GetValueTypeClass();
  SetSortByDisplayText(c->Options().Contains(TcxDataControllerOption::dcoAnsiSort) && type && type->IsString());
  Add(K::fviAll, Null(), cxFilterText(cxSFilterBoxAllCaption), false);
  Add(K::fviCustom, Null(), cxFilterText(cxSFilterBoxCustomCaption), false);
  bool blanks = c->IsGridMode();
  if (!c->IsGridMode()) {
    for (Integer r = 0; r < c->GetRecordCount(); ++r) {
      const Variant v = c->GetRecordFieldValue(r, field);
      if (cxVarIsBlank(v)) {
        blanks = true;
        continue;
      }
      Add(K::fviValue, v, c->GetDisplayText(r, field), false);
    }
  }
  if (blanks) {
    Add(K::fviBlanks, Null(), cxFilterText(cxSFilterBoxBlanksCaption), false);
    Add(K::fviNonBlanks, Null(), cxFilterText(cxSFilterBoxNonBlanksCaption), false);
  }
  if (criteria->OnGetValueList) criteria->OnGetValueList(criteria, AItemIndex, this);
}

TL_DEFINE_CLASS(TcxDataFilterCriteria, [](auto& c) {
  using T = TcxDataFilterCriteria;
  c.Property("Active", &T::GetActive, &T::SetActive).Default(false);
  c.Event("OnGetValueList", &T::OnGetValueList);
})
TL_DEFINE_CLASS(TcxDataFilterCriteriaItem)
TL_DEFINE_CLASS(TcxDataFilterValueList)

// ---- The controller's filter, search and summary objects ----

void TcxCustomDataController::CreateFilterSearchAndSummary() {
  TcxFilterCriteria* filter = GetFilterCriteriaClass().Create(this);
  FFilter = dynamic_cast<TcxDataFilterCriteria*>(filter);
  if (!FFilter) {
    filter->Free();
    FFilter = New<TcxDataFilterCriteria>(this);
  }
  FSearch = GetSearchClass().Create(this);
  FSummary = GetSummaryClass().Create(this);
}

void TcxCustomDataController::FreeFilterSearchAndSummary() {
  FreeAndNil(FSummary);
  FreeAndNil(FFilter);
  FreeAndNil(FSearch);
}

void TcxCustomDataController::FieldRemovedFromFilterSearchAndSummary(TcxCustomDataField* AField) {
  if (FFilter) FFilter->RemoveItemByItemLink(AField);
  if (FSearch) FSearch->FieldRemoved(AField);
  if (FSummary) FSummary->FieldRemoved(AField);
}

TcxFilterCriteriaClass TcxCustomDataController::GetFilterCriteriaClass() const {
  return ClassOf<TcxDataFilterCriteria, TcxFilterCriteria, TcxCustomDataController*>();
}

void TcxCustomDataController::SetFilter(TcxFilterCriteria* Value) { FFilter->Assign(Value); }

bool TcxCustomDataController::IsFiltering() const { return FFilter && FFilter->IsFiltering(); }

bool TcxCustomDataController::DoFilterCriteriaRecord(Integer ARecordIndex) const {
  return FFilter->DoFilterRecord(cxRecordIndexToData(ARecordIndex));
}

void TcxCustomDataController::FilterChanged() { RefreshView(); }

void TcxCustomDataController::AssignFilterAndSummary(TcxCustomDataController* ASource) {
  if (ASource->FFilter) FFilter->Assign(ASource->FFilter);
  if (ASource->FSummary) FSummary->Assign(ASource->FSummary);
}
