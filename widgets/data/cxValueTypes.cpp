// The value types and their registry.
#include "classlib/core/Lists.h"
#include "classlib/core/SysUtils.h"
#include "platform/kernel/Units.h"
#include "widgets/data/cxDataStorage.h"
#include "widgets/foundation/cxVariants.h"

#include <cmath>
#include <cstring>
#include <memory>

namespace {

template <class T>
T Load(const void* p) {
  T v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

template <class T>
void Store(void* p, const T& v) {
  std::memcpy(p, &v, sizeof v);
}

template <class T>
int Order(const T& a, const T& b) {
  return a < b ? -1 : (b < a ? 1 : 0);
}

// The cell a pointer slot holds, or nullptr.
template <class T>
T* CellAt(const void* ASlot) {
  return ASlot ? Load<T*>(ASlot) : nullptr;
}

template <class T>
void FreeCell(void* ASlot) {
  T* cell = Load<T*>(ASlot);
  Store<T*>(ASlot, nullptr);
  delete cell;
}

// Stores AValue into the cell of ASlot, creating the cell on first store.
template <class T>
void PutCell(void* ASlot, T AValue) {
  if (T* cell = Load<T*>(ASlot)) {
    *cell = std::move(AValue);
    return;
  }
  auto cell = std::make_unique<T>(std::move(AValue));
  Store<T*>(ASlot, cell.release());
}

int CompareBytes(const String& a, const String& b) {
  int c = a.compare(b);  // char_traits<char> compares as unsigned char
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

UnitCounter gDataStorageUnit;
TcxValueTypeClassList* gValueTypeList = nullptr;

}  // namespace

// ---- TcxValueType ----

TcxValueTypeClass TcxValueType::StaticClass() {
  static const TcxValueType instance{};
  return &instance;
}

int TcxValueType::CompareValues(const void* ABuffer1, const void* ABuffer2) const { return Compare(ABuffer1, ABuffer2); }
void TcxValueType::FreeBuffer(void*) const {}
void TcxValueType::FreeTextBuffer(void* ATextPlace) const { FreeCell<String>(ATextPlace); }
int TcxValueType::GetDataSize() const { return 0; }
Variant TcxValueType::GetDataValue(const void*) const { return Null(); }
String TcxValueType::GetDisplayText(const void* ABuffer) const {
  const Variant value = GetDataValue(ABuffer);
  try {
    return VarToStr(value);
  } catch (const EVariantError&) {
    // A value without a text form (an array in a Variant field) shows as nothing: grids
    // paint and filter lists are built from these texts.
    return String();
  }
}

String TcxValueType::GetTextBufferText(const void* ATextPlace) const {
  const String* cell = CellAt<String>(ATextPlace);
  return cell ? *cell : String();
}

void TcxValueType::ReadDataValue(void* ABuffer, TStream& AStream) const {
  SetDataValue(ABuffer, cxStreamReadVariant(AStream));
}

void TcxValueType::ReadDisplayText(void* ATextPlace, TStream& AStream) const {
  SetDisplayText(ATextPlace, cxStreamReadString(AStream));
}

void TcxValueType::SetDataValue(void*, const Variant&) const {}
void TcxValueType::SetDisplayText(void* ATextPlace, const String& AText) const { PutCell<String>(ATextPlace, AText); }

void TcxValueType::WriteDataValue(const void* ABuffer, TStream& AStream) const {
  cxStreamWriteVariant(AStream, GetDataValue(ABuffer));
}

void TcxValueType::WriteDisplayText(const void* ATextPlace, TStream& AStream) const {
  cxStreamWriteString(AStream, GetTextBufferText(ATextPlace));
}

String TcxValueType::Caption() const {
  String name = ClassName();
  if (name.compare(0, 3, "Tcx") == 0) name.erase(0, 3);
  size_t at = name.find("ValueType");
  if (at != String::npos) name.erase(at, 9);
  return name;
}

int TcxValueType::Compare(const void* AData1, const void* AData2) const {
  return cxCompareVariants(GetDataValue(AData1), GetDataValue(AData2));
}

Variant TcxValueType::GetValue(const void* AData) const { return GetDataValue(AData); }
TVarType TcxValueType::GetVarType() const { return varVariant; }

bool TcxValueType::IsValueValid(const Variant& AValue) const {
  if (VarIsNull(AValue) || GetVarType() == varVariant) return true;
  try {
    cxVarAsValueType(AValue, GetVarType());
    return true;
  } catch (const Exception&) {
    return false;
  }
}

bool TcxValueType::IsString() const { return false; }
void TcxValueType::PrepareValueBuffer(const void*&) const {}
const char* TcxValueType::ClassName() const { return "TcxValueType"; }
TcxValueTypeClass TcxValueType::ClassParent() const { return nullptr; }

bool TcxValueType::InheritsFrom(TcxValueTypeClass AClass) const {
  for (TcxValueTypeClass c = this; c; c = c->ClassParent())
    if (c == AClass) return true;
  return false;
}

#define TL_VALUE_TYPE_INSTANCE(Name)         \
  TcxValueTypeClass Name::StaticClass() {    \
    static const Name instance{};            \
    return &instance;                        \
  }

TL_VALUE_TYPE_INSTANCE(TcxStringValueType)
TL_VALUE_TYPE_INSTANCE(TcxWideStringValueType)
TL_VALUE_TYPE_INSTANCE(TcxSmallintValueType)
TL_VALUE_TYPE_INSTANCE(TcxIntegerValueType)
TL_VALUE_TYPE_INSTANCE(TcxWordValueType)
TL_VALUE_TYPE_INSTANCE(TcxBooleanValueType)
TL_VALUE_TYPE_INSTANCE(TcxFloatValueType)
TL_VALUE_TYPE_INSTANCE(TcxCurrencyValueType)
TL_VALUE_TYPE_INSTANCE(TcxDateTimeValueType)
TL_VALUE_TYPE_INSTANCE(TcxLargeIntValueType)
TL_VALUE_TYPE_INSTANCE(TcxFMTBcdValueType)
TL_VALUE_TYPE_INSTANCE(TcxSQLTimeStampValueType)
TL_VALUE_TYPE_INSTANCE(TcxVariantValueType)
TL_VALUE_TYPE_INSTANCE(TcxObjectValueType)

// ---- String ----

int TcxStringValueType::CompareValues(const void* ABuffer1, const void* ABuffer2) const {
  PrepareValueBuffer(ABuffer1);
  PrepareValueBuffer(ABuffer2);
  return Compare(ABuffer1, ABuffer2);
}
void TcxStringValueType::FreeBuffer(void* ABuffer) const { FreeCell<String>(ABuffer); }
int TcxStringValueType::GetDataSize() const { return int(sizeof(void*)); }

Variant TcxStringValueType::GetDataValue(const void* ABuffer) const {
  const String* cell = CellAt<String>(ABuffer);
  return cell ? Variant(*cell) : Null();
}

void TcxStringValueType::ReadDataValue(void* ABuffer, TStream& AStream) const {
  PutCell<String>(ABuffer, cxStreamReadString(AStream));
}

void TcxStringValueType::SetDataValue(void* ABuffer, const Variant& AValue) const {
  SetDisplayText(ABuffer, AValue.AsString());
}

void TcxStringValueType::WriteDataValue(const void* ABuffer, TStream& AStream) const {
  cxStreamWriteString(AStream, GetTextBufferText(ABuffer));
}

int TcxStringValueType::Compare(const void* AData1, const void* AData2) const {
  auto a = static_cast<const String*>(AData1);
  auto b = static_cast<const String*>(AData2);
  if (!a || !b) return a ? 1 : (b ? -1 : 0);
  return CompareBytes(*a, *b);
}

Variant TcxStringValueType::GetValue(const void* AData) const {
  auto s = static_cast<const String*>(AData);
  return s ? Variant(*s) : Null();
}

TVarType TcxStringValueType::GetVarType() const { return varString; }
bool TcxStringValueType::IsString() const { return true; }
void TcxStringValueType::PrepareValueBuffer(const void*& ABuffer) const { ABuffer = CellAt<void>(ABuffer); }

// ---- WideString ----

void TcxWideStringValueType::FreeBuffer(void* ABuffer) const { FreeCell<WideString>(ABuffer); }

Variant TcxWideStringValueType::GetDataValue(const void* ABuffer) const {
  const WideString* cell = CellAt<WideString>(ABuffer);
  return cell ? Variant(*cell) : Null();
}

void TcxWideStringValueType::ReadDataValue(void* ABuffer, TStream& AStream) const {
  PutCell<WideString>(ABuffer, cxStreamReadWideString(AStream));
}

void TcxWideStringValueType::SetDataValue(void* ABuffer, const Variant& AValue) const {
  PutCell<WideString>(ABuffer, AValue.AsWideString());
}

void TcxWideStringValueType::WriteDataValue(const void* ABuffer, TStream& AStream) const {
  const WideString* cell = CellAt<WideString>(ABuffer);
  cxStreamWriteWideString(AStream, cell ? *cell : WideString());
}

int TcxWideStringValueType::Compare(const void* AData1, const void* AData2) const {
  auto a = static_cast<const WideString*>(AData1);
  auto b = static_cast<const WideString*>(AData2);
  if (!a || !b) return a ? 1 : (b ? -1 : 0);
  int c = a->compare(*b);
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

Variant TcxWideStringValueType::GetValue(const void* AData) const {
  auto s = static_cast<const WideString*>(AData);
  return s ? Variant(*s) : Null();
}

TVarType TcxWideStringValueType::GetVarType() const { return varOleStr; }

// ---- Smallint, Integer, Word ----

int TcxSmallintValueType::GetDataSize() const { return 2; }
Variant TcxSmallintValueType::GetDataValue(const void* ABuffer) const { return Variant(Load<SmallInt>(ABuffer)); }
void TcxSmallintValueType::ReadDataValue(void* ABuffer, TStream& AStream) const {
  Store(ABuffer, cxStreamReadSmallInt(AStream));
}
void TcxSmallintValueType::SetDataValue(void* ABuffer, const Variant& AValue) const {
  Store(ABuffer, SmallInt(VarAsType(AValue, varSmallint).AsInteger()));
}
void TcxSmallintValueType::WriteDataValue(const void* ABuffer, TStream& AStream) const {
  cxStreamWriteSmallInt(AStream, Load<SmallInt>(ABuffer));
}
int TcxSmallintValueType::Compare(const void* AData1, const void* AData2) const {
  return int(Load<SmallInt>(AData1)) - int(Load<SmallInt>(AData2));
}
TVarType TcxSmallintValueType::GetVarType() const { return varSmallint; }

int TcxIntegerValueType::GetDataSize() const { return 4; }
Variant TcxIntegerValueType::GetDataValue(const void* ABuffer) const { return Variant(Load<Integer>(ABuffer)); }
void TcxIntegerValueType::ReadDataValue(void* ABuffer, TStream& AStream) const {
  Store(ABuffer, cxStreamReadInteger(AStream));
}
void TcxIntegerValueType::SetDataValue(void* ABuffer, const Variant& AValue) const {
  Store(ABuffer, AValue.AsInteger());
}
void TcxIntegerValueType::WriteDataValue(const void* ABuffer, TStream& AStream) const {
  cxStreamWriteInteger(AStream, Load<Integer>(ABuffer));
}
int TcxIntegerValueType::Compare(const void* AData1, const void* AData2) const {
  return Order(Load<Integer>(AData1), Load<Integer>(AData2));
}
TVarType TcxIntegerValueType::GetVarType() const { return varInteger; }

int TcxWordValueType::GetDataSize() const { return 2; }
Variant TcxWordValueType::GetDataValue(const void* ABuffer) const { return Variant(Load<Word>(ABuffer)); }
void TcxWordValueType::ReadDataValue(void* ABuffer, TStream& AStream) const { Store(ABuffer, cxStreamReadWord(AStream)); }
void TcxWordValueType::SetDataValue(void* ABuffer, const Variant& AValue) const {
  Store(ABuffer, Word(VarAsType(AValue, varWord).AsInteger()));
}
void TcxWordValueType::WriteDataValue(const void* ABuffer, TStream& AStream) const {
  cxStreamWriteWord(AStream, Load<Word>(ABuffer));
}
int TcxWordValueType::Compare(const void* AData1, const void* AData2) const {
  return int(Load<Word>(AData1)) - int(Load<Word>(AData2));
}
TVarType TcxWordValueType::GetVarType() const { return varWord; }

// ---- Boolean ----

int TcxBooleanValueType::GetDataSize() const { return 1; }
Variant TcxBooleanValueType::GetDataValue(const void* ABuffer) const { return Variant(Load<Byte>(ABuffer) != 0); }

String TcxBooleanValueType::GetDisplayText(const void* ABuffer) const {
  try {
    return Variant(GetDataValue(ABuffer).AsBoolean()).AsString();
  } catch (const Exception&) {
    return String();
  }
}

void TcxBooleanValueType::ReadDataValue(void* ABuffer, TStream& AStream) const {
  Store<Byte>(ABuffer, cxStreamReadBoolean(AStream) ? 1 : 0);
}
void TcxBooleanValueType::SetDataValue(void* ABuffer, const Variant& AValue) const {
  Store<Byte>(ABuffer, AValue.AsBoolean() ? 1 : 0);
}
void TcxBooleanValueType::WriteDataValue(const void* ABuffer, TStream& AStream) const {
  cxStreamWriteBoolean(AStream, Load<Byte>(ABuffer) != 0);
}
int TcxBooleanValueType::Compare(const void* AData1, const void* AData2) const {
  return int(Load<Byte>(AData1) != 0) - int(Load<Byte>(AData2) != 0);
}
TVarType TcxBooleanValueType::GetVarType() const { return varBoolean; }

// ---- Float, Currency, DateTime, LargeInt ----

namespace {
int CompareDoubles(double a, double b) {
  bool na = std::isnan(a), nb = std::isnan(b);
  if (na || nb) return int(na) - int(nb);
  return Order(a, b);
}
}  // namespace

int TcxFloatValueType::GetDataSize() const { return 8; }
Variant TcxFloatValueType::GetDataValue(const void* ABuffer) const { return Variant(Load<double>(ABuffer)); }
void TcxFloatValueType::ReadDataValue(void* ABuffer, TStream& AStream) const { Store(ABuffer, cxStreamReadFloat(AStream)); }
void TcxFloatValueType::SetDataValue(void* ABuffer, const Variant& AValue) const { Store(ABuffer, AValue.AsDouble()); }
void TcxFloatValueType::WriteDataValue(const void* ABuffer, TStream& AStream) const {
  cxStreamWriteFloat(AStream, Load<double>(ABuffer));
}
int TcxFloatValueType::Compare(const void* AData1, const void* AData2) const {
  return CompareDoubles(Load<double>(AData1), Load<double>(AData2));
}
TVarType TcxFloatValueType::GetVarType() const { return varDouble; }

int TcxCurrencyValueType::GetDataSize() const { return 8; }
Variant TcxCurrencyValueType::GetDataValue(const void* ABuffer) const {
  return Variant(Currency::FromRaw(Load<Int64>(ABuffer)));
}
void TcxCurrencyValueType::ReadDataValue(void* ABuffer, TStream& AStream) const {
  Store(ABuffer, cxStreamReadCurrency(AStream).Raw);
}
void TcxCurrencyValueType::SetDataValue(void* ABuffer, const Variant& AValue) const {
  Store(ABuffer, AValue.AsCurrency().Raw);
}
void TcxCurrencyValueType::WriteDataValue(const void* ABuffer, TStream& AStream) const {
  cxStreamWriteCurrency(AStream, Currency::FromRaw(Load<Int64>(ABuffer)));
}
int TcxCurrencyValueType::Compare(const void* AData1, const void* AData2) const {
  return Order(Load<Int64>(AData1), Load<Int64>(AData2));
}
TVarType TcxCurrencyValueType::GetVarType() const { return varCurrency; }

int TcxDateTimeValueType::GetDataSize() const { return 8; }
Variant TcxDateTimeValueType::GetDataValue(const void* ABuffer) const {
  return VarFromDateTime(Load<double>(ABuffer));
}

String TcxDateTimeValueType::GetDisplayText(const void* ABuffer) const {
  double v = Load<double>(ABuffer);
  try {
    if (!(v >= MinDateTime && v <= MaxDateTime)) throw EConvertError("date out of range");
    return VarFromDateTime(v).AsString();
  } catch (const Exception&) {
    return FloatToStr(v);
  }
}

void TcxDateTimeValueType::ReadDataValue(void* ABuffer, TStream& AStream) const {
  Store(ABuffer, cxStreamReadDateTime(AStream).Value);
}
void TcxDateTimeValueType::SetDataValue(void* ABuffer, const Variant& AValue) const {
  Store(ABuffer, AValue.AsDateTime().Value);
}
void TcxDateTimeValueType::WriteDataValue(const void* ABuffer, TStream& AStream) const {
  cxStreamWriteDateTime(AStream, Load<double>(ABuffer));
}
int TcxDateTimeValueType::Compare(const void* AData1, const void* AData2) const {
  return CompareDoubles(Load<double>(AData1), Load<double>(AData2));
}
TVarType TcxDateTimeValueType::GetVarType() const { return varDate; }

int TcxLargeIntValueType::GetDataSize() const { return 8; }
Variant TcxLargeIntValueType::GetDataValue(const void* ABuffer) const { return Variant(Load<Int64>(ABuffer)); }
void TcxLargeIntValueType::ReadDataValue(void* ABuffer, TStream& AStream) const {
  Store(ABuffer, cxStreamReadInt64(AStream));
}
void TcxLargeIntValueType::SetDataValue(void* ABuffer, const Variant& AValue) const { Store(ABuffer, AValue.AsInt64()); }
void TcxLargeIntValueType::WriteDataValue(const void* ABuffer, TStream& AStream) const {
  cxStreamWriteInt64(AStream, Load<Int64>(ABuffer));
}
int TcxLargeIntValueType::Compare(const void* AData1, const void* AData2) const {
  return Order(Load<Int64>(AData1), Load<Int64>(AData2));
}
TVarType TcxLargeIntValueType::GetVarType() const { return varInt64; }

// ---- FMTBcd, SQLTimeStamp ----

int TcxFMTBcdValueType::GetDataSize() const { return int(sizeof(TBcd)); }
Variant TcxFMTBcdValueType::GetDataValue(const void* ABuffer) const { return VarFMTBcdCreate(Load<TBcd>(ABuffer)); }
String TcxFMTBcdValueType::GetDisplayText(const void* ABuffer) const { return BcdToStr(Load<TBcd>(ABuffer)); }
void TcxFMTBcdValueType::SetDataValue(void* ABuffer, const Variant& AValue) const { Store(ABuffer, VarToBcd(AValue)); }
int TcxFMTBcdValueType::Compare(const void* AData1, const void* AData2) const {
  return BcdCompare(Load<TBcd>(AData1), Load<TBcd>(AData2));
}
TVarType TcxFMTBcdValueType::GetVarType() const { return varFMTBcd; }

int TcxSQLTimeStampValueType::GetDataSize() const { return int(sizeof(TSQLTimeStamp)); }
Variant TcxSQLTimeStampValueType::GetDataValue(const void* ABuffer) const {
  return VarSQLTimeStampCreate(Load<TSQLTimeStamp>(ABuffer));
}
void TcxSQLTimeStampValueType::SetDataValue(void* ABuffer, const Variant& AValue) const {
  Store(ABuffer, VarToSQLTimeStamp(AValue));
}
int TcxSQLTimeStampValueType::Compare(const void* AData1, const void* AData2) const {
  return SQLTimeStampCompare(Load<TSQLTimeStamp>(AData1), Load<TSQLTimeStamp>(AData2));
}
TVarType TcxSQLTimeStampValueType::GetVarType() const { return varSQLTimeStamp; }

// ---- Variant ----

int TcxVariantValueType::CompareValues(const void* ABuffer1, const void* ABuffer2) const {
  PrepareValueBuffer(ABuffer1);
  PrepareValueBuffer(ABuffer2);
  return Compare(ABuffer1, ABuffer2);
}
void TcxVariantValueType::FreeBuffer(void* ABuffer) const { FreeCell<Variant>(ABuffer); }
int TcxVariantValueType::GetDataSize() const { return int(sizeof(void*)); }

Variant TcxVariantValueType::GetDataValue(const void* ABuffer) const {
  const Variant* cell = CellAt<Variant>(ABuffer);
  return cell ? *cell : Null();
}

void TcxVariantValueType::SetDataValue(void* ABuffer, const Variant& AValue) const { PutCell<Variant>(ABuffer, AValue); }

int TcxVariantValueType::Compare(const void* AData1, const void* AData2) const {
  auto a = static_cast<const Variant*>(AData1);
  auto b = static_cast<const Variant*>(AData2);
  if (!a || !b) return a ? 1 : (b ? -1 : 0);
  return cxCompareVariants(*a, *b);
}

Variant TcxVariantValueType::GetValue(const void* AData) const {
  auto v = static_cast<const Variant*>(AData);
  return v ? *v : Null();
}

void TcxVariantValueType::PrepareValueBuffer(const void*& ABuffer) const { ABuffer = CellAt<void>(ABuffer); }

// ---- Object ----

void TcxObjectValueType::FreeBuffer(void* ABuffer) const {
  TObject* object = Load<TObject*>(ABuffer);
  Store<TObject*>(ABuffer, nullptr);
  if (object) object->Free();
}
int TcxObjectValueType::GetDataSize() const { return int(sizeof(void*)); }
Variant TcxObjectValueType::GetDataValue(const void* ABuffer) const {
  return Variant(Int64(reinterpret_cast<intptr_t>(Load<TObject*>(ABuffer))));
}
void TcxObjectValueType::ReadDataValue(void*, TStream&) const {}
void TcxObjectValueType::SetDataValue(void* ABuffer, const Variant& AValue) const {
  Store(ABuffer, reinterpret_cast<TObject*>(intptr_t(AValue.AsInt64())));
}
void TcxObjectValueType::WriteDataValue(const void*, TStream&) const {}
int TcxObjectValueType::Compare(const void* AData1, const void* AData2) const {
  return Order(reinterpret_cast<uintptr_t>(Load<TObject*>(AData1)), reinterpret_cast<uintptr_t>(Load<TObject*>(AData2)));
}
TVarType TcxObjectValueType::GetVarType() const { return varInt64; }

// ---- Registry ----

void TcxValueTypeClassList::RegisterItem(TcxValueTypeClass AValueTypeClass) {
  for (TcxValueTypeClass c : FItems)
    if (c == AValueTypeClass) return;
  FItems.push_back(AValueTypeClass);
}

void TcxValueTypeClassList::UnregisterItem(TcxValueTypeClass AValueTypeClass) {
  for (size_t i = 0; i < FItems.size(); ++i)
    if (FItems[i] == AValueTypeClass) {
      FItems.erase(FItems.begin() + ptrdiff_t(i));
      return;
    }
}

TcxValueTypeClass TcxValueTypeClassList::Items(Integer AIndex) const {
  if (AIndex < 0 || AIndex >= Count()) ListIndexError(AIndex);
  return FItems[size_t(AIndex)];
}

TcxValueTypeClass TcxValueTypeClassList::ItemByCaption(const String& ACaption) const {
  for (TcxValueTypeClass c : FItems)
    if (c->Caption() == ACaption) return c;
  return nullptr;
}

TcxValueTypeClassList* cxValueTypeClassList() {
  if (!gValueTypeList) gValueTypeList = New<TcxValueTypeClassList>();
  return gValueTypeList;
}

Variant cxValueTypeNumber(TcxValueTypeClass AType, const Variant& AValue) {
  if (!AType || !VarIsStr(AValue) || !AType->InheritsFrom(TcxFMTBcdValueType::StaticClass())) return AValue;
  TBcd decimal;
  if (!TryStrToBcd(AValue.AsString(), decimal)) return AValue;
  return StrToFloat(BcdToStr(decimal));
}

TL_DEFINE_CLASS(TcxValueTypeClassList)

namespace cxDataStorage {

namespace {
TcxValueTypeClass const* RegisteredTypes(size_t& ACount) {
  static const TcxValueTypeClass types[] = {
      TcxStringValueType::StaticClass(),   TcxWideStringValueType::StaticClass(),
      TcxSmallintValueType::StaticClass(), TcxIntegerValueType::StaticClass(),
      TcxWordValueType::StaticClass(),     TcxBooleanValueType::StaticClass(),
      TcxFloatValueType::StaticClass(),    TcxCurrencyValueType::StaticClass(),
      TcxDateTimeValueType::StaticClass(), TcxLargeIntValueType::StaticClass(),
      TcxFMTBcdValueType::StaticClass(),   TcxSQLTimeStampValueType::StaticClass(),
      TcxVariantValueType::StaticClass(),  TcxObjectValueType::StaticClass(),
  };
  ACount = sizeof types / sizeof types[0];
  return types;
}
}  // namespace

void Initialize() {
  if (!gDataStorageUnit.Enter()) return;
  size_t n;
  TcxValueTypeClass const* types = RegisteredTypes(n);
  for (size_t i = 0; i < n; ++i) cxValueTypeClassList()->RegisterItem(types[i]);
}

void Finalize() {
  if (!gDataStorageUnit.Leave()) return;
  size_t n;
  TcxValueTypeClass const* types = RegisteredTypes(n);
  if (gValueTypeList)
    for (size_t i = n; i-- > 0;) gValueTypeList->UnregisterItem(types[i]);
  if (gValueTypeList) gValueTypeList->Free();
  gValueTypeList = nullptr;
}

}  // namespace cxDataStorage
