// Binding to the class library's data sets: routines over ';'-separated field-name lists
// and over single fields, and the registry of per-data-set-class adapters.
#pragma once

#include "classlib/core/DB.h"
#include "classlib/core/Strings.h"

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

// ---- values ----

Variant cxGetFieldValue(TField* AField);
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
