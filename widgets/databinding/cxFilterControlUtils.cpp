#include "widgets/databinding/cxFilterControlUtils.h"

#include "classlib/core/ScopeGuards.h"
#include "platform/kernel/Units.h"
#include "widgets/databinding/cxDBLookupComboBox.h"
#include "widgets/databinding/cxLookupEdit.h"
#include "widgets/editcore/cxMaskEdit.h"
#include "widgets/editcore/cxTextEditControl.h"
#include "widgets/editors/cxCheckBox.h"
#include "widgets/editors/cxComboBox.h"
#include "widgets/editors/cxHyperLinkEdit.h"
#include "widgets/editors/cxLabel.h"
#include "widgets/editors/cxMRUEdit.h"
#include "widgets/editors/cxMemo.h"
#include "widgets/editors/cxRadioGroup.h"
#include "widgets/editors/cxSpinEdit.h"
#include "widgets/special/cxBlobEdit.h"
#include "widgets/special/cxCalcEdit.h"
#include "widgets/special/cxCurrencyEdit.h"
#include "widgets/special/cxDateEdit.h"
#include "widgets/special/cxImageComboBox.h"
#include "widgets/special/cxTimeEdit.h"

using enum TcxFilterControlOperator;

namespace {

const TResStringRec cxSFilterControlOperatorCaptions[26] = {
    {63300, "equals"},
    {63301, "does not equal"},
    {63302, "is less than"},
    {63303, "is less than or equal to"},
    {63304, "is greater than"},
    {63305, "is greater than or equal to"},
    {63306, "like"},
    {63307, "not like"},
    {63308, "is blank"},
    {63309, "is not blank"},
    {63310, "between"},
    {63311, "not between"},
    {63312, "in"},
    {63313, "not in"},
    {63314, "is yesterday"},
    {63315, "is today"},
    {63316, "is tomorrow"},
    {63317, "is last week"},
    {63318, "is last month"},
    {63319, "is last year"},
    {63320, "is this week"},
    {63321, "is this month"},
    {63322, "is this year"},
    {63323, "is next week"},
    {63324, "is next month"},
    {63325, "is next year"},
};
const TResStringRec cxSFilterControlInvalidValue = {63326, "Invalid value"};

template <class T>
T* As(TObject* AObject) {
  return AObject && AObject->InheritsFrom(T::StaticClass()) ? static_cast<T*>(AObject) : nullptr;
}

template <class T>
TcxCustomEditClass EditClassOf() {
  return ClassOf<T, TcxCustomEdit, TComponent*, bool>();
}

// "basic": the comparisons and the two blank tests.
TcxFilterControlOperators BasicOperators() {
  return cxFilterControlOperatorRange(fcoEqual, fcoGreaterEqual) + TcxFilterControlOperators{fcoBlanks, fcoNonBlanks};
}

TcxFilterControlOperators BasicOperators(bool AExtendedSet, TcxFilterControlOperator ALastExtended) {
  TcxFilterControlOperators r = BasicOperators();
  if (AExtendedSet) r = r + cxFilterControlOperatorRange(fcoBetween, ALastExtended);
  return r;
}

TcxFilterControlOperators ChoiceOperators(bool AExtendedSet, bool AListsInExtended) {
  TcxFilterControlOperators r{fcoEqual, fcoNotEqual, fcoBlanks, fcoNonBlanks};
  if (AExtendedSet && AListsInExtended) r = r + TcxFilterControlOperators{fcoInList, fcoNotInList};
  return r;
}

const TcxFilterControlOperators kMemoOperators{fcoLike, fcoNotLike, fcoBlanks, fcoNonBlanks};

bool IsStringType(TcxValueTypeClass AValueTypeClass) { return AValueTypeClass && AValueTypeClass->IsString(); }

// The column's text for a value, as its own editor would show it, but whole: a memo's or a
// memo blob's cell shows only a first line or an icon, while a filter shows the value.
String ColumnDisplayText(TcxCustomEditProperties* AEditProperties, const Variant& AValue) {
  if (auto* p = As<TcxCustomTextEditProperties>(AEditProperties)) {
    String s;
    p->GetDisplayText(AValue, s, true);
    return s;
  }
  if (auto* p = As<TcxCustomCheckBoxProperties>(AEditProperties)) return p->GetDisplayText(AValue);
  if (auto* p = As<TcxCustomRadioGroupProperties>(AEditProperties)) return p->GetDisplayText(AValue);
  return VarToStr(AValue);
}

// The shared set-up of the two helpers whose value editor is a combo box of choices.
void InitializeChoiceList(const TcxCustomFilterEditHelper& AHelper, TcxCustomEditProperties* AProperties,
                          const std::vector<String>& AChoices) {
  auto* combo = As<TcxCustomComboBoxProperties>(AProperties);
  if (!combo) return;
  auto update = PairedCall([combo] { combo->BeginUpdate(); }, [combo] { combo->EndUpdate(); });
  TStrings* items = combo->GetItems();
  items->Clear();
  for (const String& s : AChoices) items->Add(s);
  combo->SetDropDownListStyle(TcxEditDropDownListStyle::lsFixedList);
  combo->ClearDefaultValuesProvider();
  AHelper.ClearPropertiesEvents(combo);
}

Integer ComboItemIndex(TcxCustomEdit* AEdit) {
  auto* combo = As<TcxCustomComboBox>(AEdit);
  return combo ? combo->GetItemIndex() : -1;
}

void SetComboItemIndex(TcxCustomEdit* AEdit, Integer AIndex) {
  if (auto* combo = As<TcxCustomComboBox>(AEdit)) combo->SetItemIndex(AIndex);
}

TcxFilterEditsController* gController = nullptr;
UnitCounter gUnit;

}  // namespace

TcxFilterControlOperators cxFilterControlOperatorRange(TcxFilterControlOperator AFirst,
                                                       TcxFilterControlOperator ALast) {
  TcxFilterControlOperators r;
  for (int i = int(AFirst); i <= int(ALast); ++i) r.Include(TcxFilterControlOperator(i));
  return r;
}

String cxGetFilterControlOperatorCaption(TcxFilterControlOperator AOperator) {
  if (AOperator == fcoNone || int(AOperator) > int(fcoNextYear)) return {};
  return cxGetResourceString(cxSFilterControlOperatorCaptions[int(AOperator) - 1]);
}

// ---- TcxCustomFilterEditHelper ----

void TcxCustomFilterEditHelper::ClearPropertiesEvents(TcxCustomEditProperties* AProperties) const {
  AProperties->OnButtonClick = {};
  AProperties->OnChange = {};
  AProperties->OnEditValueChanged = {};
  AProperties->OnValidate = {};
}

void TcxCustomFilterEditHelper::InitializeFilterEdit(TcxCustomEdit* AEdit,
                                                     TcxCustomEditProperties* AEditProperties) const {
  TcxCustomEditProperties* p = AEdit->GetActiveProperties();
  InitializeProperties(p, AEditProperties, HasDropDownOrSpin(p));
}

bool TcxCustomFilterEditHelper::KeepsDefaultValuesProvider(TcxCustomEditProperties*) const { return true; }

bool TcxCustomFilterEditHelper::HasDropDownOrSpin(TcxCustomEditProperties* AProperties) const {
  return As<TcxCustomDropDownEditProperties>(AProperties) || As<TcxCustomSpinEditProperties>(AProperties);
}

void TcxCustomFilterEditHelper::GetFilterValue(TcxCustomEdit* AEdit, TcxCustomEditProperties* AEditProperties,
                                               Variant& V, String& S) const {
  V = AEdit->GetEditValue();
  S = ColumnDisplayText(AEditProperties, V);
}

TcxFilterControlOperators TcxCustomFilterEditHelper::GetSupportedFilterOperators(
    TcxCustomEditProperties*, TcxValueTypeClass AValueTypeClass, bool AExtendedSet) const {
  TcxFilterControlOperators r = cxFilterControlOperatorRange(fcoEqual, AExtendedSet ? fcoNotInList : fcoNonBlanks);
  if (!IsStringType(AValueTypeClass)) r = r - TcxFilterControlOperators{fcoLike, fcoNotLike};
  return r;
}

void TcxCustomFilterEditHelper::InitializeProperties(TcxCustomEditProperties* AProperties,
                                                     TcxCustomEditProperties* AEditProperties,
                                                     bool AHasButtons) const {
  AProperties->Assign(AEditProperties);
  AProperties->GetAlignment()->SetHorz(TAlignment::taLeftJustify);
  AProperties->GetAlignment()->SetVert(TcxEditVertAlignment::taTopJustify);
  if (!AHasButtons) AProperties->GetButtons()->Clear();
  AProperties->SetReadOnly(false);
  if (!KeepsDefaultValuesProvider(AEditProperties)) AProperties->ClearDefaultValuesProvider();
  ClearPropertiesEvents(AProperties);
}

bool TcxCustomFilterEditHelper::IsValueValid(TcxValueTypeClass AValueTypeClass, Variant& AValue) const {
  return !AValueTypeClass || AValueTypeClass->IsValueValid(AValue);
}

void TcxCustomFilterEditHelper::SetFilterValue(TcxCustomEdit*, TcxCustomEditProperties*, const Variant&) const {}

// ---- the text family ----

TcxCustomEditClass TcxFilterTextEditHelper::GetFilterEditClass() const { return EditClassOf<TcxTextEdit>(); }

void TcxFilterTextEditHelper::InitializeProperties(TcxCustomEditProperties* AProperties,
                                                   TcxCustomEditProperties* AEditProperties,
                                                   bool AHasButtons) const {
  inherited::InitializeProperties(AProperties, AEditProperties, AHasButtons);
  AProperties->SetAutoSelect(true);
  if (auto* p = As<TcxCustomTextEditProperties>(AProperties)) {
    p->SetHideSelection(true);
    p->SetViewStyle(TcxTextEditViewStyle::vsNormal);
  }
}

void TcxFilterTextEditHelper::SetFilterValue(TcxCustomEdit* AEdit, TcxCustomEditProperties*,
                                             const Variant& AValue) const {
  AEdit->SetEditValueWithoutClick(AValue);
}

TcxFilterControlOperators TcxFilterMemoHelper::GetSupportedFilterOperators(TcxCustomEditProperties*,
                                                                           TcxValueTypeClass, bool) const {
  return kMemoOperators;
}

TcxFilterControlOperators TcxFilterBlobEditHelper::GetSupportedFilterOperators(TcxCustomEditProperties* AProperties,
                                                                               TcxValueTypeClass, bool) const {
  auto* blob = As<TcxCustomBlobEditProperties>(AProperties);
  if (blob && blob->GetBlobEditKind() == TcxBlobEditKind::bekMemo) return kMemoOperators;
  return {fcoBlanks, fcoNonBlanks};
}

TcxCustomEditClass TcxFilterMaskEditHelper::GetFilterEditClass() const { return EditClassOf<TcxMaskEdit>(); }

TcxFilterControlOperators TcxFilterMaskEditHelper::GetSupportedFilterOperators(TcxCustomEditProperties* AProperties,
                                                                               TcxValueTypeClass AValueTypeClass,
                                                                               bool AExtendedSet) const {
  TcxFilterControlOperators r = BasicOperators(AExtendedSet, fcoNotInList);
  auto* mask = As<TcxCustomMaskEditProperties>(AProperties);
  if (!(mask && mask->IsMasked()) && IsStringType(AValueTypeClass)) r = r + TcxFilterControlOperators{fcoLike, fcoNotLike};
  return r;
}

void TcxFilterMaskEditHelper::InitializeProperties(TcxCustomEditProperties* AProperties,
                                                   TcxCustomEditProperties* AEditProperties,
                                                   bool AHasButtons) const {
  inherited::InitializeProperties(AProperties, AEditProperties, AHasButtons);
  auto* p = As<TcxCustomMaskEditProperties>(AProperties);
  if (!p) return;
  auto* column = As<TcxCustomMaskEditProperties>(AEditProperties);
  // The value editor matches a regular expression as the user types, so that a partly
  // typed value is not refused before it is complete.
  if (column && column->GetMaskKind() == TcxEditMaskKind::emkRegExpr)
    p->SetMaskKind(TcxEditMaskKind::emkRegExprEx);
  p->SetAutoSelect(!p->IsMasked());
}

TcxCustomEditClass TcxFilterComboBoxHelper::GetFilterEditClass() const { return EditClassOf<TcxComboBox>(); }

void TcxFilterComboBoxHelper::InitializeProperties(TcxCustomEditProperties* AProperties,
                                                   TcxCustomEditProperties* AEditProperties,
                                                   bool AHasButtons) const {
  inherited::InitializeProperties(AProperties, AEditProperties, AHasButtons);
  auto* p = As<TcxCustomComboBoxProperties>(AProperties);
  if (!p) return;
  p->SetButtonGlyph(nullptr);
  p->SetDropDownRows(8);
  p->SetDropDownListStyle(TcxEditDropDownListStyle::lsEditList);
  p->SetPopupAlignment(TAlignment::taLeftJustify);
  // A filter value has no record to post to or revert to.
  p->SetRevertable(false);
  p->SetImmediatePost(false);
}

TcxCustomEditClass TcxFilterCheckBoxHelper::GetFilterEditClass() const { return EditClassOf<TcxComboBox>(); }

void TcxFilterCheckBoxHelper::GetFilterValue(TcxCustomEdit* AEdit, TcxCustomEditProperties* AEditProperties,
                                             Variant& V, String& S) const {
  auto* column = As<TcxCustomCheckBoxProperties>(AEditProperties);
  Integer index = ComboItemIndex(AEdit);
  if (!column || index < 0 || index > 1) {
    V = Variant::MakeNull();
    S = String();
    return;
  }
  V = index == 0 ? column->GetValueChecked() : column->GetValueUnchecked();
  S = column->GetDisplayText(V);
}

TcxFilterControlOperators TcxFilterCheckBoxHelper::GetSupportedFilterOperators(TcxCustomEditProperties*,
                                                                               TcxValueTypeClass, bool) const {
  return ChoiceOperators(false, false);
}

void TcxFilterCheckBoxHelper::InitializeProperties(TcxCustomEditProperties* AProperties,
                                                   TcxCustomEditProperties* AEditProperties, bool) const {
  std::vector<String> choices;
  if (auto* column = As<TcxCustomCheckBoxProperties>(AEditProperties))
    choices = {column->GetDisplayChecked(), column->GetDisplayUnchecked()};
  InitializeChoiceList(*this, AProperties, choices);
}

void TcxFilterCheckBoxHelper::SetFilterValue(TcxCustomEdit* AEdit, TcxCustomEditProperties* AEditProperties,
                                             const Variant& AValue) const {
  auto* column = As<TcxCustomCheckBoxProperties>(AEditProperties);
  Integer index = -1;
  if (column && !VarIsNull(AValue)) {
    switch (column->GetState(AValue)) {
      case TcxCheckBoxState::cbsChecked: index = 0; break;
      case TcxCheckBoxState::cbsUnchecked: index = 1; break;
      default: break;
    }
  }
  SetComboItemIndex(AEdit, index);
}

TcxCustomEditClass TcxFilterCalcEditHelper::GetFilterEditClass() const { return EditClassOf<TcxCalcEdit>(); }

TcxFilterControlOperators TcxFilterCalcEditHelper::GetSupportedFilterOperators(TcxCustomEditProperties*,
                                                                               TcxValueTypeClass,
                                                                               bool AExtendedSet) const {
  return BasicOperators(AExtendedSet, fcoNotInList);
}

void TcxFilterCalcEditHelper::InitializeProperties(TcxCustomEditProperties* AProperties,
                                                   TcxCustomEditProperties* AEditProperties,
                                                   bool AHasButtons) const {
  inherited::InitializeProperties(AProperties, AEditProperties, AHasButtons);
  if (auto* p = As<TcxCustomCalcEditProperties>(AProperties)) p->SetQuickClose(true);
}

TcxCustomEditClass TcxFilterDateEditHelper::GetFilterEditClass() const { return EditClassOf<TcxDateEdit>(); }

TcxFilterControlOperators TcxFilterDateEditHelper::GetSupportedFilterOperators(TcxCustomEditProperties*,
                                                                               TcxValueTypeClass,
                                                                               bool AExtendedSet) const {
  return BasicOperators(AExtendedSet, fcoNextYear);
}

void TcxFilterDateEditHelper::InitializeProperties(TcxCustomEditProperties* AProperties,
                                                   TcxCustomEditProperties* AEditProperties,
                                                   bool AHasButtons) const {
  inherited::InitializeProperties(AProperties, AEditProperties, AHasButtons);
  auto* p = As<TcxCustomDateEditProperties>(AProperties);
  if (!p) return;
  p->SetDateButtons(TDateButtons{TDateButton::btnClear, TDateButton::btnToday});
  p->SetDateOnError(TDateOnError::deNull);
  p->SetInputKind(TcxInputKind::ikRegExpr);
  p->SetSaveTime(true);
}

TcxCustomEditClass TcxFilterCurrencyEditHelper::GetFilterEditClass() const {
  return EditClassOf<TcxCurrencyEdit>();
}

TcxFilterControlOperators TcxFilterCurrencyEditHelper::GetSupportedFilterOperators(TcxCustomEditProperties*,
                                                                                   TcxValueTypeClass,
                                                                                   bool AExtendedSet) const {
  return BasicOperators(AExtendedSet, fcoNotInList);
}

TcxCustomEditClass TcxFilterSpinEditHelper::GetFilterEditClass() const { return EditClassOf<TcxSpinEdit>(); }

TcxFilterControlOperators TcxFilterSpinEditHelper::GetSupportedFilterOperators(TcxCustomEditProperties*,
                                                                               TcxValueTypeClass,
                                                                               bool AExtendedSet) const {
  return BasicOperators(AExtendedSet, fcoNotInList);
}

void TcxFilterSpinEditHelper::InitializeProperties(TcxCustomEditProperties* AProperties,
                                                   TcxCustomEditProperties* AEditProperties,
                                                   bool AHasButtons) const {
  inherited::InitializeProperties(AProperties, AEditProperties, AHasButtons);
  // A column that only spins still takes a typed filter value.
  if (auto* p = As<TcxCustomSpinEditProperties>(AProperties)) p->SetCanEdit(true);
}

TcxCustomEditClass TcxFilterImageComboBoxHelper::GetFilterEditClass() const {
  return EditClassOf<TcxImageComboBox>();
}

TcxFilterControlOperators TcxFilterImageComboBoxHelper::GetSupportedFilterOperators(TcxCustomEditProperties*,
                                                                                    TcxValueTypeClass,
                                                                                    bool AExtendedSet) const {
  return ChoiceOperators(AExtendedSet, true);
}

void TcxFilterImageComboBoxHelper::InitializeProperties(TcxCustomEditProperties* AProperties,
                                                        TcxCustomEditProperties* AEditProperties,
                                                        bool AHasButtons) const {
  inherited::InitializeProperties(AProperties, AEditProperties, AHasButtons);
  auto* p = As<TcxCustomImageComboBoxProperties>(AProperties);
  if (!p) return;
  p->SetDropDownListStyle(TcxEditDropDownListStyle::lsFixedList);
  p->SetShowDescriptions(true);
}

TcxCustomEditClass TcxFilterTimeEditHelper::GetFilterEditClass() const { return EditClassOf<TcxTimeEdit>(); }

void TcxFilterTimeEditHelper::InitializeFilterEdit(TcxCustomEdit* AEdit,
                                                   TcxCustomEditProperties* AEditProperties) const {
  inherited::InitializeFilterEdit(AEdit, AEditProperties);
  if (auto* edit = As<TcxCustomTimeEdit>(AEdit)) edit->SetTime(0);
}

TcxCustomEditClass TcxFilterHyperLinkEditHelper::GetFilterEditClass() const {
  return EditClassOf<TcxHyperLinkEdit>();
}

TcxCustomEditClass TcxFilterLookupComboBoxHelper::GetFilterEditClass() const {
  return EditClassOf<TcxLookupComboBox>();
}

void TcxFilterLookupComboBoxHelper::GetFilterValue(TcxCustomEdit* AEdit, TcxCustomEditProperties* AEditProperties,
                                                   Variant& V, String& S) const {
  V = AEdit->GetEditValue();
  auto* column = As<TcxCustomLookupEditProperties>(AEditProperties);
  S = column ? column->GetDisplayText(V) : ColumnDisplayText(AEditProperties, V);
}

TcxFilterControlOperators TcxFilterLookupComboBoxHelper::GetSupportedFilterOperators(TcxCustomEditProperties*,
                                                                                     TcxValueTypeClass,
                                                                                     bool) const {
  return ChoiceOperators(false, false);
}

void TcxFilterLookupComboBoxHelper::InitializeProperties(TcxCustomEditProperties* AProperties,
                                                         TcxCustomEditProperties* AEditProperties,
                                                         bool AHasButtons) const {
  inherited::InitializeProperties(AProperties, AEditProperties, AHasButtons);
  auto* p = As<TcxCustomComboBoxProperties>(AProperties);
  if (!p) return;
  p->SetPopupAutoSize(true);
  p->SetDropDownListStyle(TcxEditDropDownListStyle::lsFixedList);
  p->SetPopupSizeable(true);
}

bool TcxFilterLookupComboBoxHelper::KeepsDefaultValuesProvider(TcxCustomEditProperties* AEditProperties) const {
  auto* column = As<TcxCustomLookupEditProperties>(AEditProperties);
  return column && column->IsDefinedByLookupField();
}

TcxCustomEditClass TcxFilterRadioGroupHelper::GetFilterEditClass() const { return EditClassOf<TcxComboBox>(); }

void TcxFilterRadioGroupHelper::GetFilterValue(TcxCustomEdit* AEdit, TcxCustomEditProperties* AEditProperties,
                                               Variant& V, String& S) const {
  auto* column = As<TcxCustomRadioGroupProperties>(AEditProperties);
  Integer index = ComboItemIndex(AEdit);
  if (!column || index < 0 || index >= column->GetItems()->Count()) {
    V = Variant::MakeNull();
    S = String();
    return;
  }
  V = column->GetItemValue(index);
  S = column->Item(index)->GetCaption();
}

TcxFilterControlOperators TcxFilterRadioGroupHelper::GetSupportedFilterOperators(TcxCustomEditProperties*,
                                                                                 TcxValueTypeClass,
                                                                                 bool AExtendedSet) const {
  return ChoiceOperators(AExtendedSet, true);
}

void TcxFilterRadioGroupHelper::InitializeProperties(TcxCustomEditProperties* AProperties,
                                                     TcxCustomEditProperties* AEditProperties, bool) const {
  std::vector<String> choices;
  if (auto* column = As<TcxCustomRadioGroupProperties>(AEditProperties))
    for (Integer i = 0; i < column->GetItems()->Count(); ++i) choices.push_back(column->Item(i)->GetCaption());
  InitializeChoiceList(*this, AProperties, choices);
}

void TcxFilterRadioGroupHelper::SetFilterValue(TcxCustomEdit* AEdit, TcxCustomEditProperties* AEditProperties,
                                               const Variant& AValue) const {
  auto* column = As<TcxCustomRadioGroupProperties>(AEditProperties);
  SetComboItemIndex(AEdit, column && !VarIsNull(AValue) ? column->GetRadioGroupItemIndex(AValue) : -1);
}

// ---- TcxFilterEditsController ----

void TcxFilterEditsController::Register(const TClass* AItemClass, const TClass* ARegisteredClass) {
  inherited::Register(AItemClass, ARegisteredClass);
}

void TcxFilterEditsController::Unregister(const TClass* AItemClass, const TClass* ARegisteredClass) {
  inherited::Unregister(AItemClass, ARegisteredClass);
}

void TcxFilterEditsController::Register(const TClass& AProperties, TcxCustomFilterEditHelperClass AHelper) {
  FHelpers[&AHelper->ClassType()] = AHelper;
  Register(&AProperties, &AHelper->ClassType());
}

void TcxFilterEditsController::Unregister(const TClass& AProperties, TcxCustomFilterEditHelperClass AHelper) {
  Unregister(&AProperties, &AHelper->ClassType());
}

TcxCustomFilterEditHelperClass TcxFilterEditsController::FindHelper(const TClass& AProperties) const {
  const TClass* helper = GetClass(&AProperties);
  if (!helper) return nullptr;
  auto it = FHelpers.find(helper);
  return it == FHelpers.end() ? nullptr : it->second;
}

TcxFilterEditsController* cxGetFilterEditsController() { return gController; }

void cxFilterControlValidateValue(TcxCustomEdit* AEdit, TcxValueTypeClass AValueTypeClass,
                                  TcxCustomFilterEditHelperClass AHelper, Variant& AValue) {
  try {
    if (VarIsStr(AValue) && VarToStr(AValue).empty() && AValueTypeClass && !AValueTypeClass->IsString())
      AValue = Variant::MakeNull();
    if (!VarIsNull(AValue) && AHelper && !AHelper->IsValueValid(AValueTypeClass, AValue))
      throw EcxFilterControlError(cxGetResourceString(cxSFilterControlInvalidValue));
  } catch (...) {  // written out: only a refused value marks the editor
    // Focus first: entering the editor starts a new edit and would drop the mark.
    if (AEdit) {
      if (AEdit->CanFocus()) AEdit->SetFocus();
      AEdit->SetDisplayValueModified(true);
    }
    throw;
  }
}

TL_DEFINE_CLASS(TcxCustomFilterEditHelper)
TL_DEFINE_CLASS(TcxFilterTextEditHelper)
TL_DEFINE_CLASS(TcxFilterMemoHelper)
TL_DEFINE_CLASS(TcxFilterBlobEditHelper)
TL_DEFINE_CLASS(TcxFilterMaskEditHelper)
TL_DEFINE_CLASS(TcxFilterComboBoxHelper)
TL_DEFINE_CLASS(TcxFilterCheckBoxHelper)
TL_DEFINE_CLASS(TcxFilterCalcEditHelper)
TL_DEFINE_CLASS(TcxFilterDateEditHelper)
TL_DEFINE_CLASS(TcxFilterCurrencyEditHelper)
TL_DEFINE_CLASS(TcxFilterSpinEditHelper)
TL_DEFINE_CLASS(TcxFilterImageComboBoxHelper)
TL_DEFINE_CLASS(TcxFilterTimeEditHelper)
TL_DEFINE_CLASS(TcxFilterMRUEditHelper)
TL_DEFINE_CLASS(TcxFilterHyperLinkEditHelper)
TL_DEFINE_CLASS(TcxFilterLookupComboBoxHelper)
TL_DEFINE_CLASS(TcxFilterRadioGroupHelper)
TL_DEFINE_CLASS(TcxFilterEditsController)

// ---- unit start-up ----

namespace {

struct TFilterHelperEntry {
  const TClass& (*Properties)();
  TcxCustomFilterEditHelperClass (*Helper)();
};

// In start-up order.
const TFilterHelperEntry kOwnHelpers[] = {
    {&TcxCalcEditProperties::StaticClass, &cxFilterEditHelperClassOf<TcxFilterCalcEditHelper>},
    {&TcxCheckBoxProperties::StaticClass, &cxFilterEditHelperClassOf<TcxFilterCheckBoxHelper>},
    {&TcxComboBoxProperties::StaticClass, &cxFilterEditHelperClassOf<TcxFilterComboBoxHelper>},
    {&TcxCurrencyEditProperties::StaticClass, &cxFilterEditHelperClassOf<TcxFilterCurrencyEditHelper>},
    {&TcxDateEditProperties::StaticClass, &cxFilterEditHelperClassOf<TcxFilterDateEditHelper>},
    {&TcxHyperLinkEditProperties::StaticClass, &cxFilterEditHelperClassOf<TcxFilterHyperLinkEditHelper>},
    {&TcxImageComboBoxProperties::StaticClass, &cxFilterEditHelperClassOf<TcxFilterImageComboBoxHelper>},
    {&TcxLookupComboBoxProperties::StaticClass, &cxFilterEditHelperClassOf<TcxFilterLookupComboBoxHelper>},
    {&TcxMaskEditProperties::StaticClass, &cxFilterEditHelperClassOf<TcxFilterMaskEditHelper>},
    {&TcxMemoProperties::StaticClass, &cxFilterEditHelperClassOf<TcxFilterMemoHelper>},
    {&TcxMRUEditProperties::StaticClass, &cxFilterEditHelperClassOf<TcxFilterMRUEditHelper>},
    {&TcxRadioGroupProperties::StaticClass, &cxFilterEditHelperClassOf<TcxFilterRadioGroupHelper>},
    {&TcxSpinEditProperties::StaticClass, &cxFilterEditHelperClassOf<TcxFilterSpinEditHelper>},
    {&TcxTextEditProperties::StaticClass, &cxFilterEditHelperClassOf<TcxFilterTextEditHelper>},
    {&TcxTimeEditProperties::StaticClass, &cxFilterEditHelperClassOf<TcxFilterTimeEditHelper>},
};

// The label's and the blob edit's: their units sit below this layer and cannot reach the
// registry, so this unit makes their registrations for them.
const TFilterHelperEntry kEditorUnitHelpers[] = {
    {&TcxLabelProperties::StaticClass, &cxFilterEditHelperClassOf<TcxFilterTextEditHelper>},
    {&TcxBlobEditProperties::StaticClass, &cxFilterEditHelperClassOf<TcxFilterBlobEditHelper>},
};

}  // namespace

void cxFilterControlUtils::RegisterEditorUnitHelpers() {
  if (!gController) return;
  for (const TFilterHelperEntry& e : kEditorUnitHelpers) gController->Register(e.Properties(), e.Helper());
}

void cxFilterControlUtils::UnregisterEditorUnitHelpers() {
  if (!gController) return;
  for (const TFilterHelperEntry& e : kEditorUnitHelpers) gController->Unregister(e.Properties(), e.Helper());
}

void cxFilterControlUtils::Initialize() {
  if (!gUnit.Enter()) return;
  try {
    gController = New<TcxFilterEditsController>();
    for (const TFilterHelperEntry& e : kOwnHelpers) gController->Register(e.Properties(), e.Helper());
    RegisterEditorUnitHelpers();
  } catch (...) {  // written out: a start that fails is undone; one that succeeds stays
    gUnit.Leave();
    FreeAndNil(gController);
    throw;
  }
}

void cxFilterControlUtils::Finalize() {
  if (!gUnit.Leave()) return;
  UnregisterEditorUnitHelpers();
  FreeAndNil(gController);
}
