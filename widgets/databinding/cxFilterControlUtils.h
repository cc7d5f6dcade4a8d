// What a filter-building control needs from the editor library: the operators a user picks
// from (with their captions), and per editor kind a helper that says which operators the
// kind supports, which editor takes the filter value, how that editor is set up from the
// column's properties and how its value is read and written. The registry finds the helper
// of a properties class or of its nearest registered ancestor.
//
// Helpers have no state: each class has one constant instance, reached through
// cxFilterEditHelperClassOf<T>() and used as the class itself.
#pragma once

#include "classlib/core/Exceptions.h"
#include "classlib/core/Enums.h"
#include "classlib/core/Variants.h"
#include "widgets/data/cxDataStorage.h"
#include "widgets/editcore/cxEditControl.h"
#include "widgets/foundation/cxClasses.h"

#include <map>

TL_ENUM(TcxFilterControlOperator, fcoNone, fcoEqual, fcoNotEqual, fcoLess, fcoLessEqual, fcoGreater,
        fcoGreaterEqual, fcoLike, fcoNotLike, fcoBlanks, fcoNonBlanks, fcoBetween, fcoNotBetween, fcoInList,
        fcoNotInList, fcoYesterday, fcoToday, fcoTomorrow, fcoLastWeek, fcoLastMonth, fcoLastYear, fcoThisWeek,
        fcoThisMonth, fcoThisYear, fcoNextWeek, fcoNextMonth, fcoNextYear);
using TcxFilterControlOperators = Set<TcxFilterControlOperator>;

// Every operator from AFirst to ALast, both included.
TcxFilterControlOperators cxFilterControlOperatorRange(TcxFilterControlOperator AFirst,
                                                       TcxFilterControlOperator ALast);
// The operator's caption from the string table, through the override hook; empty for fcoNone.
String cxGetFilterControlOperatorCaption(TcxFilterControlOperator AOperator);

TL_EXCEPTION(EcxFilterControlError, Exception);

class TcxCustomFilterEditHelper;
using TcxCustomFilterEditHelperClass = const TcxCustomFilterEditHelper*;

class TcxCustomFilterEditHelper : public TObject {
  TL_CLASS(TcxCustomFilterEditHelper, TObject)
 public:
  // In slot order. Column properties are the properties of the column being filtered;
  // the value editor is the editor the user types the filter value into.
  virtual void ClearPropertiesEvents(TcxCustomEditProperties* AProperties) const;
  virtual void InitializeFilterEdit(TcxCustomEdit* AEdit, TcxCustomEditProperties* AEditProperties) const;
  virtual bool KeepsDefaultValuesProvider(TcxCustomEditProperties* AEditProperties) const;
  virtual bool HasDropDownOrSpin(TcxCustomEditProperties* AProperties) const;
  virtual TcxCustomEditClass GetFilterEditClass() const { return {}; }
  virtual void GetFilterValue(TcxCustomEdit* AEdit, TcxCustomEditProperties* AEditProperties, Variant& V,
                              String& S) const;
  // A value type class of nullptr counts as not a string type.
  virtual TcxFilterControlOperators GetSupportedFilterOperators(TcxCustomEditProperties* AProperties,
                                                                TcxValueTypeClass AValueTypeClass,
                                                                bool AExtendedSet = false) const;
  virtual void InitializeProperties(TcxCustomEditProperties* AProperties, TcxCustomEditProperties* AEditProperties,
                                    bool AHasButtons) const;
  // Without a value type every value passes.
  virtual bool IsValueValid(TcxValueTypeClass AValueTypeClass, Variant& AValue) const;
  virtual void SetFilterValue(TcxCustomEdit* AEdit, TcxCustomEditProperties* AEditProperties,
                              const Variant& AValue) const;
  virtual bool UseDisplayValue() const { return false; }
};

template <class T>
TcxCustomFilterEditHelperClass cxFilterEditHelperClassOf() {
  static const T instance;
  return &instance;
}

class TcxFilterTextEditHelper : public TcxCustomFilterEditHelper {
  TL_CLASS(TcxFilterTextEditHelper, TcxCustomFilterEditHelper)
 public:
  TcxCustomEditClass GetFilterEditClass() const override;
  void InitializeProperties(TcxCustomEditProperties* AProperties, TcxCustomEditProperties* AEditProperties,
                            bool AHasButtons) const override;
  void SetFilterValue(TcxCustomEdit* AEdit, TcxCustomEditProperties* AEditProperties,
                      const Variant& AValue) const override;
};

class TcxFilterMemoHelper : public TcxFilterTextEditHelper {
  TL_CLASS(TcxFilterMemoHelper, TcxFilterTextEditHelper)
 public:
  TcxFilterControlOperators GetSupportedFilterOperators(TcxCustomEditProperties* AProperties,
                                                        TcxValueTypeClass AValueTypeClass,
                                                        bool AExtendedSet = false) const override;
};

class TcxFilterBlobEditHelper : public TcxFilterTextEditHelper {
  TL_CLASS(TcxFilterBlobEditHelper, TcxFilterTextEditHelper)
 public:
  TcxFilterControlOperators GetSupportedFilterOperators(TcxCustomEditProperties* AProperties,
                                                        TcxValueTypeClass AValueTypeClass,
                                                        bool AExtendedSet = false) const override;
};

class TcxFilterMaskEditHelper : public TcxFilterTextEditHelper {
  TL_CLASS(TcxFilterMaskEditHelper, TcxFilterTextEditHelper)
 public:
  TcxCustomEditClass GetFilterEditClass() const override;
  TcxFilterControlOperators GetSupportedFilterOperators(TcxCustomEditProperties* AProperties,
                                                        TcxValueTypeClass AValueTypeClass,
                                                        bool AExtendedSet = false) const override;
  void InitializeProperties(TcxCustomEditProperties* AProperties, TcxCustomEditProperties* AEditProperties,
                            bool AHasButtons) const override;
};

class TcxFilterComboBoxHelper : public TcxFilterMaskEditHelper {
  TL_CLASS(TcxFilterComboBoxHelper, TcxFilterMaskEditHelper)
 public:
  TcxCustomEditClass GetFilterEditClass() const override;
  void InitializeProperties(TcxCustomEditProperties* AProperties, TcxCustomEditProperties* AEditProperties,
                            bool AHasButtons) const override;
};

// The value editor is a combo box listing the checked and the unchecked state's texts.
class TcxFilterCheckBoxHelper : public TcxCustomFilterEditHelper {
  TL_CLASS(TcxFilterCheckBoxHelper, TcxCustomFilterEditHelper)
 public:
  TcxCustomEditClass GetFilterEditClass() const override;
  void GetFilterValue(TcxCustomEdit* AEdit, TcxCustomEditProperties* AEditProperties, Variant& V,
                      String& S) const override;
  TcxFilterControlOperators GetSupportedFilterOperators(TcxCustomEditProperties* AProperties,
                                                        TcxValueTypeClass AValueTypeClass,
                                                        bool AExtendedSet = false) const override;
  void InitializeProperties(TcxCustomEditProperties* AProperties, TcxCustomEditProperties* AEditProperties,
                            bool AHasButtons) const override;
  // A value in neither state (Null, or grayed) selects no item.
  void SetFilterValue(TcxCustomEdit* AEdit, TcxCustomEditProperties* AEditProperties,
                      const Variant& AValue) const override;
  bool UseDisplayValue() const override { return true; }
};

class TcxFilterCalcEditHelper : public TcxFilterMaskEditHelper {
  TL_CLASS(TcxFilterCalcEditHelper, TcxFilterMaskEditHelper)
 public:
  TcxCustomEditClass GetFilterEditClass() const override;
  TcxFilterControlOperators GetSupportedFilterOperators(TcxCustomEditProperties* AProperties,
                                                        TcxValueTypeClass AValueTypeClass,
                                                        bool AExtendedSet = false) const override;
  void InitializeProperties(TcxCustomEditProperties* AProperties, TcxCustomEditProperties* AEditProperties,
                            bool AHasButtons) const override;
};

class TcxFilterDateEditHelper : public TcxFilterMaskEditHelper {
  TL_CLASS(TcxFilterDateEditHelper, TcxFilterMaskEditHelper)
 public:
  TcxCustomEditClass GetFilterEditClass() const override;
  TcxFilterControlOperators GetSupportedFilterOperators(TcxCustomEditProperties* AProperties,
                                                        TcxValueTypeClass AValueTypeClass,
                                                        bool AExtendedSet = false) const override;
  void InitializeProperties(TcxCustomEditProperties* AProperties, TcxCustomEditProperties* AEditProperties,
                            bool AHasButtons) const override;
};

class TcxFilterCurrencyEditHelper : public TcxFilterTextEditHelper {
  TL_CLASS(TcxFilterCurrencyEditHelper, TcxFilterTextEditHelper)
 public:
  TcxCustomEditClass GetFilterEditClass() const override;
  TcxFilterControlOperators GetSupportedFilterOperators(TcxCustomEditProperties* AProperties,
                                                        TcxValueTypeClass AValueTypeClass,
                                                        bool AExtendedSet = false) const override;
};

class TcxFilterSpinEditHelper : public TcxFilterMaskEditHelper {
  TL_CLASS(TcxFilterSpinEditHelper, TcxFilterMaskEditHelper)
 public:
  TcxCustomEditClass GetFilterEditClass() const override;
  TcxFilterControlOperators GetSupportedFilterOperators(TcxCustomEditProperties* AProperties,
                                                        TcxValueTypeClass AValueTypeClass,
                                                        bool AExtendedSet = false) const override;
  void InitializeProperties(TcxCustomEditProperties* AProperties, TcxCustomEditProperties* AEditProperties,
                            bool AHasButtons) const override;
};

class TcxFilterImageComboBoxHelper : public TcxFilterComboBoxHelper {
  TL_CLASS(TcxFilterImageComboBoxHelper, TcxFilterComboBoxHelper)
 public:
  TcxCustomEditClass GetFilterEditClass() const override;
  TcxFilterControlOperators GetSupportedFilterOperators(TcxCustomEditProperties* AProperties,
                                                        TcxValueTypeClass AValueTypeClass,
                                                        bool AExtendedSet = false) const override;
  void InitializeProperties(TcxCustomEditProperties* AProperties, TcxCustomEditProperties* AEditProperties,
                            bool AHasButtons) const override;
};

class TcxFilterTimeEditHelper : public TcxFilterSpinEditHelper {
  TL_CLASS(TcxFilterTimeEditHelper, TcxFilterSpinEditHelper)
 public:
  TcxCustomEditClass GetFilterEditClass() const override;
  void InitializeFilterEdit(TcxCustomEdit* AEdit, TcxCustomEditProperties* AEditProperties) const override;
};

class TcxFilterMRUEditHelper : public TcxFilterTextEditHelper {
  TL_CLASS(TcxFilterMRUEditHelper, TcxFilterTextEditHelper)
 public:
  bool HasDropDownOrSpin(TcxCustomEditProperties*) const override { return false; }
};

class TcxFilterHyperLinkEditHelper : public TcxFilterTextEditHelper {
  TL_CLASS(TcxFilterHyperLinkEditHelper, TcxFilterTextEditHelper)
 public:
  TcxCustomEditClass GetFilterEditClass() const override;
};

// The lookup combo box's: the value is a key, chosen from the column's own list.
class TcxFilterLookupComboBoxHelper : public TcxFilterComboBoxHelper {
  TL_CLASS(TcxFilterLookupComboBoxHelper, TcxFilterComboBoxHelper)
 public:
  TcxCustomEditClass GetFilterEditClass() const override;
  // The key and the column's list text for it.
  void GetFilterValue(TcxCustomEdit* AEdit, TcxCustomEditProperties* AEditProperties, Variant& V,
                      String& S) const override;
  TcxFilterControlOperators GetSupportedFilterOperators(TcxCustomEditProperties* AProperties,
                                                        TcxValueTypeClass AValueTypeClass,
                                                        bool AExtendedSet = false) const override;
  void InitializeProperties(TcxCustomEditProperties* AProperties, TcxCustomEditProperties* AEditProperties,
                            bool AHasButtons) const override;
  // A list defined by a lookup field comes from the provider's field, so the provider stays.
  bool KeepsDefaultValuesProvider(TcxCustomEditProperties* AEditProperties) const override;
  // A key is whatever the list holds.
  bool IsValueValid(TcxValueTypeClass, Variant&) const override { return true; }
};

// The value editor is a combo box listing the radio items' captions in order.
class TcxFilterRadioGroupHelper : public TcxCustomFilterEditHelper {
  TL_CLASS(TcxFilterRadioGroupHelper, TcxCustomFilterEditHelper)
 public:
  TcxCustomEditClass GetFilterEditClass() const override;
  // No item selected gives Null, as for the check box, so that "no value" reads the same
  // whichever of the two kinds the column has.
  void GetFilterValue(TcxCustomEdit* AEdit, TcxCustomEditProperties* AEditProperties, Variant& V,
                      String& S) const override;
  TcxFilterControlOperators GetSupportedFilterOperators(TcxCustomEditProperties* AProperties,
                                                        TcxValueTypeClass AValueTypeClass,
                                                        bool AExtendedSet = false) const override;
  void InitializeProperties(TcxCustomEditProperties* AProperties, TcxCustomEditProperties* AEditProperties,
                            bool AHasButtons) const override;
  void SetFilterValue(TcxCustomEdit* AEdit, TcxCustomEditProperties* AEditProperties,
                      const Variant& AValue) const override;
  bool UseDisplayValue() const override { return true; }
};

// Pairs of a properties class and a helper class; a lookup answers the helper of the class
// or of its nearest registered ancestor.
class TcxFilterEditsController : public TcxRegisteredClassList {
  TL_CLASS(TcxFilterEditsController, TcxRegisteredClassList)
 public:
  void Register(const TClass* AItemClass, const TClass* ARegisteredClass) override;
  void Unregister(const TClass* AItemClass, const TClass* ARegisteredClass) override;
  // The helper's instance is remembered so that a lookup can hand it back.
  void Register(const TClass& AProperties, TcxCustomFilterEditHelperClass AHelper);
  void Unregister(const TClass& AProperties, TcxCustomFilterEditHelperClass AHelper);
  // nullptr when neither the class nor an ancestor has a helper.
  TcxCustomFilterEditHelperClass FindHelper(const TClass& AProperties) const;

 private:
  std::map<const TClass*, TcxCustomFilterEditHelperClass> FHelpers;
};

// The registry; nullptr outside the unit's start-up and shut-down.
TcxFilterEditsController* cxGetFilterEditsController();

// An empty text for a column whose value type is not a string type becomes Null; a value
// the helper rejects raises EcxFilterControlError "Invalid value", leaving the value
// editor modified and, when it can take the focus, focused.
void cxFilterControlValidateValue(TcxCustomEdit* AEdit, TcxValueTypeClass AValueTypeClass,
                                  TcxCustomFilterEditHelperClass AHelper, Variant& AValue);

namespace cxFilterControlUtils {
// The helpers the editor units below this layer would register themselves (the label's and
// the blob edit's), after this unit's own; undone before the registry goes.
void RegisterEditorUnitHelpers();
void UnregisterEditorUnitHelpers();

void Initialize();
void Finalize();
}  // namespace cxFilterControlUtils
