#include "widgets/databinding/cxDBUtils.h"

#include "classlib/core/SysUtils.h"

#include <algorithm>

namespace {

// The names of a list in order, empty entries left out.
std::vector<String> FieldNamesOf(const String& AFieldNames) {
  std::vector<String> names;
  Integer pos = 1;
  while (pos <= Integer(AFieldNames.size())) {
    String name = ExtractFieldName(AFieldNames, pos);
    if (!name.empty()) names.push_back(std::move(name));
  }
  return names;
}

// Byte strings, BLOBs and object fields: ftBytes, ftVarBytes, ftBlob..ftCursor, ftADT..ftDataSet.
bool IsBinaryOrObjectField(const TField* AField) {
  const TFieldType t = AField->DataType();
  return t == TFieldType::ftBytes || t == TFieldType::ftVarBytes ||
         (t >= TFieldType::ftBlob && t <= TFieldType::ftCursor) ||
         (t >= TFieldType::ftADT && t <= TFieldType::ftDataSet);
}

// Float and fixed-point fields (float, currency, BCD, FMTBCD) carry a currency flag.
bool IsCurrencyCapable(const TField* AField) {
  return dynamic_cast<const TFloatField*>(AField) || dynamic_cast<const TBCDField*>(AField);
}

}  // namespace

// ---- field-name lists ----

Integer cxGetFieldNameCount(const String& AFieldNames) {
  return Integer(FieldNamesOf(AFieldNames).size());
}

void cxGetFieldNames(const String& AFieldNames, TStrings* AList) {
  AList->Clear();
  for (const String& name : FieldNamesOf(AFieldNames)) AList->Add(name);
}

bool cxIsMultipleFieldNames(const String& AFieldNames) { return cxGetFieldNameCount(AFieldNames) > 1; }

// ---- questions asked of a field ----

String cxGetFilterFieldName(TField* AField, bool AIgnoreOrigin) {
  if (!AField) return {};
  if (!AIgnoreOrigin && !AField->Origin().empty()) return AField->Origin();
  const String& name = AField->FieldName();
  if (IsValidIdent(name)) return name;
  // A ']' would end the bracketed name early and let the rest be read as filter text.
  String quoted = "[";
  for (Char c : name) {
    quoted += c;
    if (c == ']') quoted += ']';
  }
  return quoted + "]";
}

bool cxTextEquals(const String& AText1, const String& AText2) {
  return AnsiUpperCase(AText1) == AnsiUpperCase(AText2);
}

bool cxIsFieldEditable(TField* AField, bool AIgnoreKind) {
  if (!AField->CanModify()) return false;
  if (AIgnoreKind) return true;
  if (IsBinaryOrObjectField(AField)) return bool(AField->OnSetText);
  return true;
}

bool cxIsFieldDisplayTextNeeded(TField* AField, bool ADefault) {
  if (AField->OnGetText || !AField->EditMask().empty()) return true;
  if (IsBinaryOrObjectField(AField)) return ADefault;
  if (dynamic_cast<TBooleanField*>(AField)) return ADefault;
  if (auto* numeric = dynamic_cast<TNumericField*>(AField)) {
    if (!numeric->DisplayFormat().empty() || !numeric->EditFormat().empty()) return true;
    return IsCurrencyCapable(AField) && numeric->GetCurrency();
  }
  if (auto* date = dynamic_cast<TDateTimeField*>(AField)) return !date->DisplayFormat().empty();
  if (auto* aggregate = dynamic_cast<TAggregateField*>(AField))
    return !aggregate->DisplayFormat().empty() || aggregate->GetCurrency();
  return false;
}

bool cxIsCurrencyField(TField* AField) {
  if (!IsCurrencyCapable(AField)) return false;
  auto* numeric = static_cast<TNumericField*>(AField);
  return numeric->GetCurrency() && numeric->DisplayFormat().empty() && !AField->OnGetText;
}

bool cxCanModifyFields(TField* ALookupField) {
  TDataSet* dataSet = ALookupField->DataSet();
  if (!dataSet) return false;
  const std::vector<String> names = FieldNamesOf(ALookupField->KeyFields());
  if (names.empty()) return false;
  for (const String& name : names) {
    TField* key = dataSet->FindField(name);
    if (!key || !key->CanModify()) return false;
  }
  return true;
}

bool cxCanModifyBoundField(TField* AField) {
  return AField->CanModify() ||
         (AField->FieldKind() == TFieldKind::fkLookup && cxCanModifyFields(AField));
}

// ---- values ----

TcxFieldValueKind cxFieldValueKind(TField* AField) {
  if (dynamic_cast<TAggregateField*>(AField)) return TcxFieldValueKind::fvkAggregate;
  if (dynamic_cast<TWideStringField*>(AField)) return TcxFieldValueKind::fvkWide;
  return TcxFieldValueKind::fvkPlain;
}

Variant cxGetFieldValue(TField* AField, TcxFieldValueKind AKind) {
  if (AKind == TcxFieldValueKind::fvkAggregate) return AField->GetAsVariant();
  if (AField->IsNull()) return Null();
  if (AKind == TcxFieldValueKind::fvkWide) return AField->GetAsWideString();
  return AField->GetAsVariant();
}

Variant cxGetFieldValue(TField* AField) { return cxGetFieldValue(AField, cxFieldValueKind(AField)); }

Variant cxGetFieldValues(const std::vector<TField*>& AFields) {
  if (AFields.empty()) return Null();
  if (AFields.size() == 1) return cxGetFieldValue(AFields[0]);
  Variant values = VarArrayCreate(0, Integer(AFields.size()) - 1, varVariant);
  for (size_t i = 0; i < AFields.size(); ++i)
    VarArrayPut(values, cxGetFieldValue(AFields[i]), Integer(i));
  return values;
}

void cxSetFieldValue(TField* AField, const Variant& AValue) {
  if (dynamic_cast<TDateTimeField*>(AField) && VarType(AValue) == varDouble)
    AField->SetAsDateTime(TDateTime(AValue.AsDouble()));
  else
    AField->SetAsVariant(AValue);
}

namespace {

// One field takes AValue through AWrite. Several take the elements of an array of exactly
// as many values (Null or Unassigned: Null each); the shape is checked before any write,
// and a rejected element puts back the fields written before it.
template <class W>
void WriteFieldValues(const std::vector<TField*>& AFields, const Variant& AValue, W AWrite) {
  if (AFields.empty()) return;
  if (AFields.size() == 1) {
    AWrite(AFields[0], AValue);
    return;
  }
  const Integer count = Integer(AFields.size());
  const bool clears = VarIsNull(AValue) || VarIsEmpty(AValue);
  if (!clears && (!VarIsArray(AValue) ||
                  VarArrayHighBound(AValue) - VarArrayLowBound(AValue) + 1 != count))
    DatabaseErrorFmt(DBConsts::SLocateValueCount, {count, count});
  std::vector<Variant> old;
  old.reserve(AFields.size());
  for (TField* f : AFields) old.push_back(f->GetAsVariant());
  size_t written = 0;
  try {
    for (; written < AFields.size(); ++written)
      AWrite(AFields[written],
             clears ? Null() : VarArrayGet(AValue, VarArrayLowBound(AValue) + Integer(written)));
  } catch (...) {  // written out: only a write that fails gives the fields back their old values
    for (size_t i = 0; i < written; ++i) AFields[i]->SetAsVariant(old[i]);
    throw;
  }
}

// An empty text means "no value" for every field that does not hold texts.
void WriteBoundValue(TField* AField, const Variant& AValue) {
  const TFieldType t = AField->DataType();
  if (VarIsStr(AValue) && AValue.AsString().empty() && t != TFieldType::ftString &&
      t != TFieldType::ftWideString)
    AField->SetAsVariant(Null());
  else
    AField->SetAsVariant(AValue);
}

}  // namespace

void cxSetFieldValues(const std::vector<TField*>& AFields, const Variant& AValue) {
  WriteFieldValues(AFields, AValue, &cxSetFieldValue);
}

// ---- reading and writing a bound field ----

Variant cxReadBoundField(TField* AField, TcxDataEditValueSource AValueSource, bool AEditText,
                         bool ABlobValueAsText) {
  using S = TcxDataEditValueSource;
  if (AValueSource == S::evsText) {
    if (AEditText) return AField->Text();
    if (ABlobValueAsText && AField->IsBlob()) return AField->GetAsString();
    return AField->DisplayText();
  }
  if (AField->IsNull()) return Null();
  if (AValueSource == S::evsKey && !AField->KeyFields().empty() && AField->DataSet())
    return AField->DataSet()->GetFieldValues(AField->KeyFields());
  return AField->GetAsVariant();
}

void cxWriteBoundField(TField* AField, TcxDataEditValueSource AValueSource, const Variant& AValue) {
  using S = TcxDataEditValueSource;
  if (AValueSource == S::evsText) {
    AField->SetText(VarToStr(AValue));
    return;
  }
  if (AValueSource == S::evsKey && !AField->KeyFields().empty() && AField->DataSet()) {
    std::vector<TField*> keys;
    AField->DataSet()->GetFieldList(keys, AField->KeyFields());
    WriteFieldValues(keys, AValue, &WriteBoundValue);
    return;
  }
  WriteBoundValue(AField, AValue);
}

// ---- adapters ----

TL_DEFINE_CLASS(TcxDBAdapterItem)
TL_DEFINE_CLASS(TcxDBAdapterList)

void TcxDBAdapterList::BeforeDestruction() {
  for (TcxDBAdapterItem* item : FItems) item->Free();
  FItems.clear();
  inherited::BeforeDestruction();
}

bool TcxDBAdapterList::FindAdapter(const TClass* ADataSetClass, Integer& AIndex) const {
  AIndex = -1;
  for (Integer i = Count() - 1; i >= 0; --i) {
    const TClass* registered = FItems[size_t(i)]->DataSetClass();
    if (ADataSetClass->InheritsFrom(*registered)) {
      AIndex = i;
      return true;
    }
    if (registered->InheritsFrom(*ADataSetClass)) AIndex = i;
  }
  return false;
}

void TcxDBAdapterList::RegisterAdapter(const TClass* ADataSetClass,
                                       TcxDBAdapterItemClass AAdapterClass) {
  Integer index = -1;
  const bool found = FindAdapter(ADataSetClass, index);
  TcxDBAdapterItem* item = AAdapterClass.Create(ADataSetClass);
  if (found)
    FItems.insert(FItems.begin() + index + 1, item);
  else if (index >= 0)
    FItems.insert(FItems.begin() + index, item);
  else
    FItems.push_back(item);
}

void TcxDBAdapterList::UnregisterAdapter(const TClass* ADataSetClass,
                                         TcxDBAdapterItemClass AAdapterClass) {
  for (Integer i = Count() - 1; i >= 0; --i) {
    TcxDBAdapterItem* item = FItems[size_t(i)];
    if (item->DataSetClass() != ADataSetClass || &item->ClassType() != AAdapterClass.Class) continue;
    FItems.erase(FItems.begin() + i);
    item->Free();
  }
}

TcxDBAdapterItem* TcxDBAdapterList::GetItem(Integer AIndex) const {
  if (AIndex < 0 || AIndex >= Count())
    throw EListError("Adapter index out of range (" + IntToStr(AIndex) + ")");
  return FItems[size_t(AIndex)];
}
