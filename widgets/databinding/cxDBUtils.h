// Binding to the class library's data sets: routines over ';'-separated field-name lists
// and over single fields, and the registry of per-data-set-class adapters.
#pragma once

#include "classlib/core/DB.h"
#include "classlib/core/ScopeGuards.h"
#include "classlib/core/Strings.h"
#include "widgets/data/cxDataUtils.h"

#include <vector>

// ---- field-name lists ----
// Names are separated by ';' and trimmed; empty entries (";;", a trailing ';') are skipped.

Integer cxGetFieldNameCount(const String& AFieldNames);
// Clears AList, then adds each name in order.
void cxGetFieldNames(const String& AFieldNames, TStrings* AList);
// More than one name in the list.
bool cxIsMultipleFieldNames(const String& AFieldNames);

// ---- questions asked of a field ----

// The name a filter text uses for AField: its Origin unless AIgnoreOrigin, else (or when
// the Origin is empty) its FieldName, written "[name]" with every inner ']' doubled when
// the name is not an identifier. Empty for nullptr.
String cxGetFilterFieldName(TField* AField, bool AIgnoreOrigin);
// Equal after both are upper-cased by the code page's rules.
bool cxTextEquals(const String& AText1, const String& AText2);
// Whether an editor may change the field: never when the field cannot be modified; always
// with AIgnoreKind; byte, BLOB and object fields only through an OnSetText handler.
bool cxIsFieldEditable(TField* AField, bool AIgnoreKind);
// Whether a data controller keeps a display text beside the field's value.
bool cxIsFieldDisplayTextNeeded(TField* AField, bool ADefault);
// A float or fixed-point field flagged as currency that neither formats its text itself
// (DisplayFormat) nor lets a handler do it (OnGetText).
bool cxIsCurrencyField(TField* AField);
// Whether the key fields behind a lookup field can all be modified (at least one, each
// present in the field's data set).
bool cxCanModifyFields(TField* ALookupField);

// A control may change AField: the field itself, or a lookup field through its key fields.
bool cxCanModifyBoundField(TField* AField);

// ---- values ----

Variant cxGetFieldValue(TField* AField);
// How a field's value is read: the class tests of cxGetFieldValue, made once for a field
// read many times (a load reads each field once per record).
enum class TcxFieldValueKind { fvkPlain, fvkWide, fvkAggregate };
TcxFieldValueKind cxFieldValueKind(TField* AField);
Variant cxGetFieldValue(TField* AField, TcxFieldValueKind AKind);
// Null for no field, the value for one, a variant array (0..n-1) for more.
Variant cxGetFieldValues(const std::vector<TField*>& AFields);
// A date-time field given a double takes it as a date and time.
void cxSetFieldValue(TField* AField, const Variant& AValue);
// One field takes AValue. Several take the elements of an array of as many values, in
// order; Null or Unassigned clears every one. Any other shape raises EDatabaseError before
// a field is written, and a field that rejects its value puts back the ones written before.
void cxSetFieldValues(const std::vector<TField*>& AFields, const Variant& AValue);

// ---- adapters: behaviour chosen by the class of a data set ----

class TcxDBAdapterItem;
using TcxDBAdapterItemClass = TMetaClass<TcxDBAdapterItem, const TClass*>;

class TcxDBAdapterItem : public TObject {
  TL_CLASS(TcxDBAdapterItem, TObject)
 public:
  // Descendants keep this constructor's signature: the list makes them through their class.
  explicit TcxDBAdapterItem(const TClass* ADataSetClass) : FDataSetClass(ADataSetClass) {}
  const TClass* DataSetClass() const { return FDataSetClass; }

 private:
  const TClass* FDataSetClass;
};

// Kept with every class's ancestors before it, so a scan from the end meets the most derived
// registered class first.
class TcxDBAdapterList : public TObject {
  TL_CLASS(TcxDBAdapterList, TObject)
 public:
  void BeforeDestruction() override;

  // The item of ADataSetClass or of its nearest registered ancestor: True with AIndex its
  // place. False otherwise, with AIndex the first place of a registered descendant of
  // ADataSetClass, or -1.
  virtual bool FindAdapter(const TClass* ADataSetClass, Integer& AIndex) const;
  // A new AAdapterClass item for ADataSetClass, placed after its ancestors and before its
  // descendants.
  virtual void RegisterAdapter(const TClass* ADataSetClass, TcxDBAdapterItemClass AAdapterClass);
  // Frees every item of exactly AAdapterClass registered for ADataSetClass.
  virtual void UnregisterAdapter(const TClass* ADataSetClass, TcxDBAdapterItemClass AAdapterClass);

  Integer Count() const { return Integer(FItems.size()); }
  TcxDBAdapterItem* GetItem(Integer AIndex) const;

 private:
  std::vector<TcxDBAdapterItem*> FItems;
};

// ---- field data links and data-set bindings ----

class TcxCustomDBDataBinding;
class TcxCustomFieldDataLink;
class TcxFreeNotificator;
using TcxCustomFieldDataLinkClass = TMetaClass<TcxCustomFieldDataLink, TcxCustomDBDataBinding*>;

// Follows a data source for a binding: finds the field by name whenever the data set opens,
// changes its layout or gets another field list, and tells the binding of record changes
// that concern its field. A write to some field is a record change, never a new field
// list: the links of other controls keep their field and their pending input.
class TcxCustomFieldDataLink : public TDataLink {
  TL_CLASS(TcxCustomFieldDataLink, TDataLink)
 public:
  explicit TcxCustomFieldDataLink(TcxCustomDBDataBinding* ADataBinding);
  void BeforeDestruction() override;

  TField* Field() const { return FField; }
  const String& FieldName() const { return FFieldName; }
  // Binds again on a change (exact text compare).
  void SetFieldName(const String& Value);
  TcxCustomDBDataBinding* DataBinding() const { return FDataBinding; }
  // The data set edits and this link may modify its field.
  bool Editing() const { return FEditing; }
  // The control holds a value not written to the field yet.
  bool Modified() const { return FModified; }
  void SetModified() { FModified = true; }
  // Puts the data set into edit when the field can be modified; answers Editing.
  bool Edit();
  // Not read-only, a field bound, and the field (or, for a lookup field, its key fields)
  // modifiable.
  virtual bool CanModify() const;
  // The control shows the field's value again.
  void Reset() { RecordChanged(nullptr); }

  // Acts as a visual control when the binding's control is a windowed one; nothing here.
  virtual void UpdateVisualControl() {}

 protected:
  void ActiveChanged() override;
  void DataEvent(TDataEvent Event, intptr_t Info) override;
  void EditingChanged() override;
  void LayoutChanged() override;
  void RecordChanged(TField* AField) override;
  void UpdateData() override;
  // After the link took another field; nothing here.
  virtual void FieldChanged() {}

  void UpdateField();
  void SetField(TField* Value);
  // Modified drops unless the binding is writing its own value.
  void ClearModified();

 private:
  // A field freed while bound (a persistent field of an open data set) unbinds the link.
  void FieldFreed(TComponent* AComponent);

  TcxCustomDBDataBinding* FDataBinding;
  TcxFreeNotificator* FFreeNotificator = nullptr;
  TField* FField = nullptr;
  String FFieldName;
  bool FEditing = false;
  bool FModified = false;
};

// The base of bindings between a control and one field of a data set: reads and writes the
// field's value, text or lookup keys, and puts the data set into edit for the control.
class TcxCustomDBDataBinding : public TcxCustomDataBinding {
  TL_CLASS(TcxCustomDBDataBinding, TcxCustomDataBinding)
 public:
  TcxCustomDBDataBinding(TObject* AOwner, TObject* ADataComponent)
      : TcxCustomDataBinding(AOwner, ADataComponent) {}
  void AfterConstruction() override;
  void BeforeDestruction() override;

  bool GetModified() override;
  bool GetReadOnly() override;
  void SetReadOnly(bool Value) override;
  void UpdateVisualControl() override;
  bool CanModify() override;
  bool ExecuteAction(TObject* AAction) override;
  Variant GetStoredValue(TcxDataEditValueSource AValueSource, bool AFocused) override;
  bool IsDataAvailable() override;
  bool IsDataBound() override { return true; }
  void Reset() override;
  bool SetModified() override;
  void SetStoredValue(TcxDataEditValueSource AValueSource, const Variant& AValue) override;
  bool UpdateAction(TObject* AAction) override;
  void UpdateDataSource() override;
  virtual TcxCustomFieldDataLinkClass GetDataLinkClass() const;

  TcxCustomFieldDataLink* DataLink() const { return FDataLink; }
  TField* Field() const { return FDataLink->Field(); }
  TDataSource* DataSource() const { return FDataLink->DataSource(); }
  void SetDataSource(TDataSource* Value) { FDataLink->SetDataSource(Value); }
  const String& DataField() const { return FDataLink->FieldName(); }
  void SetDataField(const String& Value) { FDataLink->SetFieldName(Value); }
  // Raised while the binding writes to its field, so that its own write does not clear
  // Modified.
  bool IsStoreLocked() const { return FStoreLock > 0; }
  // The component a missing field's error names; the owner when it is a component.
  TComponent* ErrorComponent() const;

 private:
  Integer FStoreLock = 0;
  TcxCustomFieldDataLink* FDataLink = nullptr;
};

// Raises a binding's lock counter for as long as one of its own steps runs, whatever way the
// step ends; lowering never goes below 0.
inline auto BindingLock(Integer& ALock) {
  return PairedCall([&ALock] { ++ALock; },
                    [&ALock] {
                      if (ALock > 0) --ALock;
                    });
}

// The data-set forms of the shared single-field rules.
//   Reading: a text read gives the edit text with AEditText, else the display text (a BLOB's
//   own value with ABlobValueAsText), also for a null field; other reads give Null for a
//   null field, a lookup field's key values (an array for several) for a key read, else
//   the value.
//   Writing: a text write sets the field's text; a key write goes to the key fields (see
//   cxSetFieldValues for several); an empty text stores Null in a field that does not hold
//   texts.
Variant cxReadBoundField(TField* AField, TcxDataEditValueSource AValueSource, bool AEditText,
                         bool ABlobValueAsText = false);
void cxWriteBoundField(TField* AField, TcxDataEditValueSource AValueSource, const Variant& AValue);
