// Value types, value definitions and the record storage of the data controller, and the
// key-sorted lookup list of lookup editors.
//
// A value type describes how one kind of value sits in a record buffer, becomes a variant
// and a text, compares and streams. Value types have no instances of their own: each
// class exists once as a const object reached through StaticClass(), and a
// TcxValueTypeClass points at it.
//
// Record buffers: one zero-filled heap block per record: a flag byte, the record
// identifier (Int32, only with UseRecordID), then per stored definition a null flag
// (1 = a value is present), the value's bytes, and, when the definition keeps a display
// text, a pointer to the text cell. Slots that hold a pointer (the String, WideString and
// Variant cells, the object of the Object type, the display-text cell) are pointer-sized;
// buffers are never streamed, so the stream formats do not depend on it.
#pragma once

#include "classlib/core/Events.h"
#include "classlib/core/GapList.h"
#include "classlib/core/Object.h"
#include "classlib/core/Streams.h"
#include "classlib/core/Variants.h"

#include <memory>
#include "widgets/data/cxDataTypes.h"

#include <cstdint>
#include <map>
#include <string_view>
#include <utility>
#include <vector>

class TcxValueType;
using TcxValueTypeClass = const TcxValueType*;

// The base answers as the table of value types gives it; it is also a usable class of
// its own (all values Null), though no registered type is it.
class TcxValueType {
 public:
  TcxValueType(const TcxValueType&) = delete;
  TcxValueType& operator=(const TcxValueType&) = delete;
  static TcxValueTypeClass StaticClass();

  // In slot order. A buffer is the value's place in a record buffer (after its null
  // flag); a text place is where the pointer to a text cell sits.
  virtual int CompareValues(const void* ABuffer1, const void* ABuffer2) const;
  virtual void FreeBuffer(void* ABuffer) const;
  virtual void FreeTextBuffer(void* ATextPlace) const;
  virtual int GetDataSize() const;
  virtual Variant GetDataValue(const void* ABuffer) const;
  virtual String GetDisplayText(const void* ABuffer) const;
  virtual String GetTextBufferText(const void* ATextPlace) const;
  virtual void ReadDataValue(void* ABuffer, TStream& AStream) const;
  virtual void ReadDisplayText(void* ATextPlace, TStream& AStream) const;
  virtual void SetDataValue(void* ABuffer, const Variant& AValue) const;
  virtual void SetDisplayText(void* ATextPlace, const String& AText) const;
  virtual void WriteDataValue(const void* ABuffer, TStream& AStream) const;
  virtual void WriteDisplayText(const void* ATextPlace, TStream& AStream) const;
  // The class name without a leading "Tcx" and without "ValueType".
  String Caption() const;
  // The data of Compare and GetValue is what PrepareValueBuffer makes of a buffer.
  virtual int Compare(const void* AData1, const void* AData2) const;
  virtual Variant GetValue(const void* AData) const;
  virtual TVarType GetVarType() const;
  virtual bool IsValueValid(const Variant& AValue) const;
  virtual bool IsString() const;
  virtual void PrepareValueBuffer(const void*& ABuffer) const;

  virtual const char* ClassName() const;
  virtual TcxValueTypeClass ClassParent() const;
  bool InheritsFrom(TcxValueTypeClass AClass) const;

 protected:
  TcxValueType() = default;
  ~TcxValueType() = default;
};

#define TL_VALUE_TYPE(Name, Parent)                                                    \
 public:                                                                               \
  static TcxValueTypeClass StaticClass();                                              \
  const char* ClassName() const override { return #Name; }                             \
  TcxValueTypeClass ClassParent() const override { return Parent::StaticClass(); }     \
                                                                                       \
 protected:                                                                            \
  Name() = default;                                                                    \
                                                                                       \
 public:

// A text cell per value: the buffer holds a pointer to a heap String.
class TcxStringValueType : public TcxValueType {
  TL_VALUE_TYPE(TcxStringValueType, TcxValueType)
  int CompareValues(const void* ABuffer1, const void* ABuffer2) const override;
  void FreeBuffer(void* ABuffer) const override;
  int GetDataSize() const override;
  Variant GetDataValue(const void* ABuffer) const override;
  void ReadDataValue(void* ABuffer, TStream& AStream) const override;
  void SetDataValue(void* ABuffer, const Variant& AValue) const override;
  void WriteDataValue(const void* ABuffer, TStream& AStream) const override;
  int Compare(const void* AData1, const void* AData2) const override;
  Variant GetValue(const void* AData) const override;
  TVarType GetVarType() const override;
  bool IsString() const override;
  void PrepareValueBuffer(const void*& ABuffer) const override;
};

class TcxWideStringValueType : public TcxStringValueType {
  TL_VALUE_TYPE(TcxWideStringValueType, TcxStringValueType)
  void FreeBuffer(void* ABuffer) const override;
  Variant GetDataValue(const void* ABuffer) const override;
  void ReadDataValue(void* ABuffer, TStream& AStream) const override;
  void SetDataValue(void* ABuffer, const Variant& AValue) const override;
  void WriteDataValue(const void* ABuffer, TStream& AStream) const override;
  int Compare(const void* AData1, const void* AData2) const override;
  Variant GetValue(const void* AData) const override;
  TVarType GetVarType() const override;
};

class TcxSmallintValueType : public TcxValueType {
  TL_VALUE_TYPE(TcxSmallintValueType, TcxValueType)
  int GetDataSize() const override;
  Variant GetDataValue(const void* ABuffer) const override;
  void ReadDataValue(void* ABuffer, TStream& AStream) const override;
  void SetDataValue(void* ABuffer, const Variant& AValue) const override;
  void WriteDataValue(const void* ABuffer, TStream& AStream) const override;
  int Compare(const void* AData1, const void* AData2) const override;
  TVarType GetVarType() const override;
};

class TcxIntegerValueType : public TcxValueType {
  TL_VALUE_TYPE(TcxIntegerValueType, TcxValueType)
  int GetDataSize() const override;
  Variant GetDataValue(const void* ABuffer) const override;
  void ReadDataValue(void* ABuffer, TStream& AStream) const override;
  void SetDataValue(void* ABuffer, const Variant& AValue) const override;
  void WriteDataValue(const void* ABuffer, TStream& AStream) const override;
  int Compare(const void* AData1, const void* AData2) const override;
  TVarType GetVarType() const override;
};

class TcxWordValueType : public TcxValueType {
  TL_VALUE_TYPE(TcxWordValueType, TcxValueType)
  int GetDataSize() const override;
  Variant GetDataValue(const void* ABuffer) const override;
  void ReadDataValue(void* ABuffer, TStream& AStream) const override;
  void SetDataValue(void* ABuffer, const Variant& AValue) const override;
  void WriteDataValue(const void* ABuffer, TStream& AStream) const override;
  int Compare(const void* AData1, const void* AData2) const override;
  TVarType GetVarType() const override;
};

class TcxBooleanValueType : public TcxValueType {
  TL_VALUE_TYPE(TcxBooleanValueType, TcxValueType)
  int GetDataSize() const override;
  Variant GetDataValue(const void* ABuffer) const override;
  // "True" or "False"; empty when the value cannot be read as a Boolean.
  String GetDisplayText(const void* ABuffer) const override;
  void ReadDataValue(void* ABuffer, TStream& AStream) const override;
  void SetDataValue(void* ABuffer, const Variant& AValue) const override;
  void WriteDataValue(const void* ABuffer, TStream& AStream) const override;
  int Compare(const void* AData1, const void* AData2) const override;
  TVarType GetVarType() const override;
};

// Streams as the 10-byte extended float and reads back into the same double.
class TcxFloatValueType : public TcxValueType {
  TL_VALUE_TYPE(TcxFloatValueType, TcxValueType)
  int GetDataSize() const override;
  Variant GetDataValue(const void* ABuffer) const override;
  void ReadDataValue(void* ABuffer, TStream& AStream) const override;
  void SetDataValue(void* ABuffer, const Variant& AValue) const override;
  void WriteDataValue(const void* ABuffer, TStream& AStream) const override;
  // NaN sorts after every number and equals NaN, so the order stays total.
  int Compare(const void* AData1, const void* AData2) const override;
  TVarType GetVarType() const override;
};

class TcxCurrencyValueType : public TcxValueType {
  TL_VALUE_TYPE(TcxCurrencyValueType, TcxValueType)
  int GetDataSize() const override;
  Variant GetDataValue(const void* ABuffer) const override;
  void ReadDataValue(void* ABuffer, TStream& AStream) const override;
  void SetDataValue(void* ABuffer, const Variant& AValue) const override;
  void WriteDataValue(const void* ABuffer, TStream& AStream) const override;
  int Compare(const void* AData1, const void* AData2) const override;
  TVarType GetVarType() const override;
};

class TcxDateTimeValueType : public TcxValueType {
  TL_VALUE_TYPE(TcxDateTimeValueType, TcxValueType)
  int GetDataSize() const override;
  Variant GetDataValue(const void* ABuffer) const override;
  // The locale's date-time text; the number's text when that fails.
  String GetDisplayText(const void* ABuffer) const override;
  void ReadDataValue(void* ABuffer, TStream& AStream) const override;
  void SetDataValue(void* ABuffer, const Variant& AValue) const override;
  void WriteDataValue(const void* ABuffer, TStream& AStream) const override;
  int Compare(const void* AData1, const void* AData2) const override;
  TVarType GetVarType() const override;
};

class TcxLargeIntValueType : public TcxValueType {
  TL_VALUE_TYPE(TcxLargeIntValueType, TcxValueType)
  int GetDataSize() const override;
  Variant GetDataValue(const void* ABuffer) const override;
  void ReadDataValue(void* ABuffer, TStream& AStream) const override;
  void SetDataValue(void* ABuffer, const Variant& AValue) const override;
  void WriteDataValue(const void* ABuffer, TStream& AStream) const override;
  int Compare(const void* AData1, const void* AData2) const override;
  TVarType GetVarType() const override;
};

// A TBcd in the record; streams as the tagged variant (its text).
class TcxFMTBcdValueType : public TcxValueType {
  TL_VALUE_TYPE(TcxFMTBcdValueType, TcxValueType)
  int GetDataSize() const override;
  Variant GetDataValue(const void* ABuffer) const override;
  String GetDisplayText(const void* ABuffer) const override;
  void SetDataValue(void* ABuffer, const Variant& AValue) const override;
  int Compare(const void* AData1, const void* AData2) const override;
  TVarType GetVarType() const override;
};

// A TSQLTimeStamp in the record; a date variant outside it.
class TcxSQLTimeStampValueType : public TcxValueType {
  TL_VALUE_TYPE(TcxSQLTimeStampValueType, TcxValueType)
  int GetDataSize() const override;
  Variant GetDataValue(const void* ABuffer) const override;
  void SetDataValue(void* ABuffer, const Variant& AValue) const override;
  int Compare(const void* AData1, const void* AData2) const override;
  TVarType GetVarType() const override;
};

// A variant cell per value.
class TcxVariantValueType : public TcxValueType {
  TL_VALUE_TYPE(TcxVariantValueType, TcxValueType)
  int CompareValues(const void* ABuffer1, const void* ABuffer2) const override;
  void FreeBuffer(void* ABuffer) const override;
  int GetDataSize() const override;
  Variant GetDataValue(const void* ABuffer) const override;
  void SetDataValue(void* ABuffer, const Variant& AValue) const override;
  int Compare(const void* AData1, const void* AData2) const override;
  Variant GetValue(const void* AData) const override;
  void PrepareValueBuffer(const void*& ABuffer) const override;
};

// An object the record owns, held by its address; travels as an Int64 variant, is never
// streamed, and is freed with the value.
class TcxObjectValueType : public TcxIntegerValueType {
  TL_VALUE_TYPE(TcxObjectValueType, TcxIntegerValueType)
  void FreeBuffer(void* ABuffer) const override;
  int GetDataSize() const override;
  Variant GetDataValue(const void* ABuffer) const override;
  void ReadDataValue(void* ABuffer, TStream& AStream) const override;
  void SetDataValue(void* ABuffer, const Variant& AValue) const override;
  void WriteDataValue(const void* ABuffer, TStream& AStream) const override;
  int Compare(const void* AData1, const void* AData2) const override;
  TVarType GetVarType() const override;
};

#undef TL_VALUE_TYPE

// The registered value types, in registration order.
class TcxValueTypeClassList : public TObject {
  TL_CLASS(TcxValueTypeClassList, TObject)
 public:
  void RegisterItem(TcxValueTypeClass AValueTypeClass);  // unless present
  void UnregisterItem(TcxValueTypeClass AValueTypeClass);
  Integer Count() const { return Integer(FItems.size()); }
  TcxValueTypeClass Items(Integer AIndex) const;  // EListError out of range
  // The first class whose Caption is exactly ACaption, else nullptr.
  TcxValueTypeClass ItemByCaption(const String& ACaption) const;

 private:
  std::vector<TcxValueTypeClass> FItems;
};

// The list the unit's start-up fills; created on first use.
TcxValueTypeClassList* cxValueTypeClassList();

// A decimal value type hands its values out as texts, which would add up by concatenation
// and order "10" before "9": such a text as the number it stands for (a double); any other
// value, or a text that is no decimal, as it is.
Variant cxValueTypeNumber(TcxValueTypeClass AType, const Variant& AValue);

// ---- Value definitions ----

class TcxDataStorage;
class TcxValueDefs;
struct TcxDataStorageKeyIndexes;
struct TcxDataKeyView;
class TcxDataKeyIndex;
class TcxDataTextIndex;
template <class TIndex>
struct TcxDataIndexEntry;

class TcxValueDef : public TObject {
  TL_CLASS(TcxValueDef, TObject)
 public:
  TcxValueDef(TcxValueDefs* AOwner, TcxValueTypeClass AValueTypeClass);
  // Removes the definition from its list and its bytes from every buffer.
  void BeforeDestruction() override;

  virtual TObject* GetLink() const { return FLink; }
  virtual bool IsStored() const;
  virtual void SetLink(TObject* Value) { FLink = Value; }
  // Copies Stored and TextStored.
  virtual void Assign(TcxValueDef* ASource);

  bool IsTextStored() const { return IsStored() && FTextStored; }
  bool IsString() const { return FValueTypeClass->IsString(); }

  TcxValueDefs* Owner() const { return FOwner; }
  TcxValueTypeClass ValueTypeClass() const { return FValueTypeClass; }
  TObject* Link() const { return GetLink(); }
  bool Stored() const { return FStored; }
  // Changing Stored or TextStored of a definition in use lays its records out anew,
  // keeping every value the new layout has room for.
  void SetStored(bool Value);
  bool TextStored() const { return FTextStored; }
  void SetTextStored(bool Value);
  bool Streamed() const { return FStreamed; }
  void SetStreamed(bool Value) { FStreamed = Value; }
  Integer Offset() const { return FOffset; }
  Integer DataSize() const { return FDataSize; }
  Integer BufferSize() const { return FBufferSize; }
  // Whether the present layout gave the field a display-text slot.
  bool HasTextSlot() const { return FHasTextSlot; }

 private:
  friend class TcxValueDefs;
  friend class TcxDataStorage;
  TcxValueDefs* FOwner;
  TcxValueTypeClass FValueTypeClass;
  TObject* FLink = nullptr;
  bool FStored = true;
  bool FTextStored = false;
  bool FStreamed = true;
  Integer FOffset = 0;
  Integer FDataSize = 0;
  Integer FBufferSize = 0;
  bool FHasTextSlot = false;
};

// The mirror of one ordinary definition in the layout of internal records.
class TcxInternalValueDef : public TcxValueDef {
  TL_CLASS(TcxInternalValueDef, TcxValueDef)
 public:
  using TcxValueDef::TcxValueDef;
  TObject* GetLink() const override;
  bool IsStored() const override { return true; }
  TcxValueDef* ValueDef() const { return FValueDef; }

 private:
  friend class TcxInternalValueDefs;
  friend class TcxDataStorage;
  TcxValueDef* FValueDef = nullptr;
};

class TcxValueDefs : public TObject {
  TL_CLASS(TcxValueDefs, TObject)
 public:
  explicit TcxValueDefs(TcxDataStorage* ADataStorage);
  void BeforeDestruction() override;

  // In slot order. AChange: 0 Stored, 1 TextStored.
  virtual void Changed(TcxValueDef* AValueDef, Integer AChange);
  virtual TcxValueDef* CreateValueDef(TcxValueTypeClass AValueTypeClass);
  virtual void Prepare(Integer AStartOffset);

  TcxValueDef* Add(TcxValueTypeClass AValueTypeClass, bool AStored, bool ATextStored, TObject* ALink);
  void Clear();                        // frees every definition
  void Remove(TcxValueDef* AValueDef);  // frees it
  Integer Count() const { return Integer(FItems.size()); }
  // In streaming order while the storage streams, else in list order.
  TcxValueDef* Items(Integer AIndex) const;
  Integer IndexOf(const TcxValueDef* AValueDef) const;
  Integer StoredCount() const;

  TcxDataStorage* DataStorage() const { return FDataStorage; }
  Integer StartOffset() const { return FStartOffset; }
  Integer RecordSize() const { return FRecordSize; }

 protected:
  friend class TcxValueDef;
  friend class TcxDataStorage;
  // The definitions in list (layout) order.
  const std::vector<TcxValueDef*>& List() const { return FItems; }
  void Extract(TcxValueDef* AValueDef);

 private:
  TcxDataStorage* FDataStorage;
  std::vector<TcxValueDef*> FItems;
  Integer FStartOffset = 0;
  Integer FRecordSize = 0;
};

class TcxInternalValueDefs : public TcxValueDefs {
  TL_CLASS(TcxInternalValueDefs, TcxValueDefs)
 public:
  using TcxValueDefs::TcxValueDefs;
  TcxValueDef* CreateValueDef(TcxValueTypeClass AValueTypeClass) override;
  // The last mirror of AValueDef, or nullptr.
  TcxInternalValueDef* FindByValueDef(const TcxValueDef* AValueDef) const;
  void RemoveByValueDef(const TcxValueDef* AValueDef);
};

// Supplies the values of ReadRecordValues.
class TcxValueDefReader : public TObject {
  TL_CLASS(TcxValueDefReader, TObject)
 public:
  virtual String GetDisplayText(TcxValueDef* AValueDef);
  virtual Variant GetValue(TcxValueDef* AValueDef);
  // True makes the storage skip the definition.
  virtual bool IsInternal(TcxValueDef* AValueDef);
  // A value or a text may come from the program's own code (a field's text handler), which
  // may free what the read works on: the reader then says so, and every read with it ends.
  bool Stopped() const { return FStopped; }

 protected:
  void Stop() { FStopped = true; }

 private:
  bool FStopped = false;
};

using TcxValueDefsCompare = int (*)(TcxValueDef* A, TcxValueDef* B);
using TcxValueDefProc = void (*)(TcxValueDef* AValueDef, Integer ARecordIndex, void* AData1, void* AData2);

// ---- Record storage ----

class TcxDataStorage : public TObject {
  TL_CLASS(TcxDataStorage, TObject)
 public:
  TcxDataStorage();
  void BeforeDestruction() override;
  ~TcxDataStorage() override;

  // In slot order.
  virtual void ValueDefsChanged(TcxValueDefs* AValueDefs);
  virtual void ValueDefChanged(TcxValueDef* AValueDef, Integer AChange);
  virtual TcxValueDefs* GetValueDefsByRecordIndex(Integer ARecordIndex) const;

  TcxValueDefs* ValueDefs() const { return FValueDefs; }
  TcxInternalValueDefs* InternalValueDefs() const { return FInternalValueDefs; }

  Integer RecordCount() const { return Integer(FRecords.size()); }
  // A negative count counts as 0.
  // The most records a storage holds: with the controller's lists of records and rows they
  // take about two gigabytes. A larger count is refused with an error and changes nothing.
  static constexpr Integer kMaxRecordCount = 1 << 26;
  void SetRecordCount(Integer Value);
  Integer AppendRecord();
  void InsertRecord(Integer ARecordIndex);
  void DeleteRecord(Integer ARecordIndex);
  // Deletes the records (ascending, unique, in range) in one pass: the survivors close
  // up once instead of after every deletion.
  void DeleteRecords(const std::vector<Integer>& AList);
  Integer AddInternalRecord();
  void Clear(bool AKeepInternalRecords);

  Variant GetValue(Integer ARecordIndex, TcxValueDef* AValueDef) const;
  void SetValue(Integer ARecordIndex, TcxValueDef* AValueDef, const Variant& AValue);
  String GetDisplayText(Integer ARecordIndex, TcxValueDef* AValueDef) const;
  void SetDisplayText(Integer ARecordIndex, TcxValueDef* AValueDef, const String& AText);
  Integer CompareRecords(Integer ARecordIndex1, Integer ARecordIndex2, TcxValueDef* AValueDef) const;
  // Returns whether the field is null; P is the value type's data for Compare.
  bool GetDataBuffer(Integer ARecordIndex, TcxValueDef* AValueDef, const void*& P) const;
  // GetDataBuffer of every record in storage order, into arrays of RecordCount entries: for
  // each record whether the field is null (also when P would be nullptr) and, when not, the
  // first ASize (at most 8) bytes P points to.
  void GetDataColumn(TcxValueDef* AValueDef, size_t ASize, std::uint64_t* AValues,
                     char* ANulls) const;
  Integer RecordID(Integer ARecordIndex);
  // False when the reader's code freed this storage or stopped the reader on the way: the
  // record is then left half read, and the caller goes no further.
  bool ReadRecordValues(Integer ARecordIndex, TcxValueDefReader* AReader);
  void WriteRecord(Integer ARecordIndex, TStream& AStream) const;
  // All or nothing: a stream that ends early, or holds a value its field cannot take,
  // raises EReadError "Stream read error" and leaves the record as it was.
  void ReadRecord(Integer ARecordIndex, TStream& AStream);
  // Makes the records ACount entries of the WriteRecord form: records beyond ACount go,
  // the others take the streamed fields read and keep their other fields. All or
  // nothing: on any failure (a count beyond the bytes left included) EReadError "Stream
  // read error" is raised and the records stay as they were.
  void ReadRecords(Integer ACount, TStream& AStream);
  void BeginStreaming(TcxValueDefsCompare ACompare);
  void EndStreaming();
  bool IsStreaming() const { return FStreaming; }
  virtual void BeginLoad() {}
  virtual void EndLoad() {}
  void EnumerateValueDefs(Integer ARecordIndex, TcxValueDefProc AProc, void* AData1, void* AData2);

  // Changing either of these frees every record buffer, so every value is lost (the
  // records stay, reading as Null); with UseRecordID the records get fresh identifiers.
  bool UseRecordID() const { return FUseRecordID; }
  void SetUseRecordID(bool Value);
  bool StoredValuesOnly() const { return FStoredValuesOnly; }
  void SetStoredValuesOnly(bool Value);
  Integer NextRecordID() const { return FNextRecordID; }
  bool Destroying() const { return FDestroying; }
  // Whether the record has a buffer (a record without one reads as all Null).
  bool HasBuffer(Integer ARecordIndex) const;

  // The first record whose value of AValueDef compares equal (CompareRecords) to the one in
  // AKeyRecord, from the definition's key index: true with ARecordIndex (-1 for none) when
  // the index answers, false when the records must be compared one by one.
  // CountEqualWalk adds how many records such a walk compared: the index is built once the
  // walks have compared as many records as it reads, and then follows every change of a record.
  bool FindEqualRecord(TcxValueDef* AValueDef, Integer AKeyRecord, Integer& ARecordIndex);
  void CountEqualWalk(TcxValueDef* AValueDef, Integer ACompared);
  // How many records hold what AKeyRecord holds in AValueDef, where the index answers.
  bool CountEqualRecords(TcxValueDef* AValueDef, Integer AKeyRecord, Integer& ACount);
  // The records whose display text of AValueDef begins with APrefix, byte by byte in the code
  // page's upper case (as the incremental filter matches), in record order, from the
  // definition's text index: true when the index answers; false when every record's text
  // must be read. Only texts the storage itself holds are indexed (a stored display text, or
  // a string value), never texts formatted by the settings of the moment. CountTextWalk adds
  // how many texts such a walk read: the index is built once the walks have read as many as
  // it holds, and then follows every change of a record.
  bool FindTextPrefix(TcxValueDef* AValueDef, const String& APrefix, std::vector<Integer>& ARecords);
  void CountTextWalk(TcxValueDef* AValueDef, Integer AWalked);
  // The record's display text of AValueDef without a copy, when it is one the storage holds
  // itself (as above; empty for Null or no buffer); false otherwise.
  bool TextView(Integer ARecordIndex, TcxValueDef* AValueDef, std::string_view& AText) const;
  // The bytes the record's value of AValueDef compares equal by; false for a value type
  // whose comparison is not the equality of such bytes.
  bool KeyView(Integer ARecordIndex, TcxValueDef* AValueDef, TcxDataKeyView& AView) const;

  // Counts every change of the records (values, texts, their number) and of the layout, so
  // that what was read from the records can tell whether it still stands.
  Int64 ChangeCount() const { return FChangeCount; }

  TNotifyEvent OnClearInternalRecords;

 protected:
  friend class TcxValueDefs;
  friend class TcxValueDef;
  Integer HeaderSize() const { return FUseRecordID ? 5 : 1; }
  // Called by the definition lists around their own changes.
  void InsertValueDef(TcxValueDefs* AValueDefs, TcxValueDef* AValueDef);
  void RemoveValueDef(TcxValueDefs* AValueDefs, TcxValueDef* AValueDef);
  void RelayOut(TcxValueDefs* AValueDefs);
  const std::vector<TcxValueDef*>& StreamingOrder() const { return FStreamingOrder; }

 private:
  static String TooManyRecords(Integer ACount);
  Byte*& Slot(Integer ARecordIndex);
  Byte* Buffer(Integer ARecordIndex) const;
  Byte* EnsureBuffer(Integer ARecordIndex);
  // SetValue's store into the field of ADef (the record's own definition).
  void StoreValue(Integer ARecordIndex, TcxValueDef* ADef, const Variant& AValue);
  TGapList<Byte*>& BuffersOf(TcxValueDefs* AValueDefs);
  TcxValueDef* Resolve(Integer ARecordIndex, TcxValueDef* AValueDef) const;
  // A new buffer holding the streamed fields of one entry read after its empty flag.
  Byte* ReadRecordBuffer(TStream& AStream, Integer& AID);
  // Moves the streamed fields of AScratch (freed here) into the record, keeping the rest.
  void AdoptStreamedFields(Integer ARecordIndex, Byte* AScratch);
  // The streamed fields of the record become Null; a record left with nothing loses its buffer.
  void ClearStreamedFields(Integer ARecordIndex);
  void FreeRecordBuffer(Byte*& ABuffer, TcxValueDefs* AValueDefs);
  void FreeAllBuffers();
  void AssignRecordIDs();
  void AssignRecordID(Integer ARecordIndex);
  // A change of the layout, or of every record at once, drops the indexes; a change of one
  // record's values, or of their number, is followed by them (see TIndexedChange).
  void DropIndexes() {
    ++FChangeCount;
    FKeyIndexes.reset();
  }
  bool HasBuiltIndexes() const;
  // The key index of AValueDef that answers for every record, with AKey the key AKeyRecord
  // holds in it; nullptr where the records must be compared one by one.
  TcxDataKeyIndex* KeyIndexFor(TcxValueDef* AValueDef, Integer AKeyRecord, TcxDataKeyView& AKey);
  // A record appended or inserted (all Null): the indexes take it in.
  void IndexInserted(Integer ARecordIndex);
  // Records about to go (ascending): the indexes let them go; IndexDeleted, once they went,
  // closes up the others.
  void IndexDeleting(const std::vector<Integer>& AList);
  void IndexDeleted(const std::vector<Integer>& AList);
  // The definition's index while it answers for ACount records (built when the walks have
  // paid for it); nullptr otherwise.
  template <class TIndex>
  TIndex* UsableIndex(std::vector<TcxDataIndexEntry<TIndex>>& AEntries, TcxValueDef* AValueDef,
                      Integer ACount);
  // Around a change of one record's values of one definition (or of all, with nullptr), or
  // of its display texts: the record leaves the indexes that hold what changes, and comes
  // back under what it holds afterwards, whether the change succeeded or raised.
  class TIndexedChange {
   public:
    TIndexedChange(TcxDataStorage* AStorage, Integer ARecordIndex, TcxValueDef* AValueDef,
                   bool AValues, bool ATexts);
    ~TIndexedChange();
    TIndexedChange(const TIndexedChange&) = delete;
    TIndexedChange& operator=(const TIndexedChange&) = delete;

   private:
    TcxDataStorage* FStorage;
    Integer FRecord;
    struct TKeptKey {
      TcxDataKeyIndex* Index;
      Byte Kind;
      String Bytes;
    };
    std::vector<TKeptKey> FKeys;
    std::vector<TcxDataTextIndex*> FTexts;
  };
  friend class TIndexedChange;

  TcxValueDefs* FValueDefs = nullptr;
  TcxInternalValueDefs* FInternalValueDefs = nullptr;
  TGapList<Byte*> FRecords;
  TGapList<Byte*> FInternalRecords;
  std::vector<TcxValueDef*> FStreamingOrder;
  bool FStreaming = false;
  bool FUseRecordID = false;
  bool FStoredValuesOnly = false;
  Integer FNextRecordID = 1;
  bool FDestroying = false;
  std::shared_ptr<TcxDataStorageKeyIndexes> FKeyIndexes;
  Int64 FChangeCount = 0;
};

// ---- Lookup list ----

struct TcxLookupListItem {
  Variant Key;
  String DisplayText;
};

class TcxLookupList : public TObject {
  TL_CLASS(TcxLookupList, TObject)
 public:
  // Binary search by cxCompareVariants; AIndex is the match or the insertion point.
  bool Find(const Variant& AKey, Integer& AIndex) const;
  void Insert(Integer AIndex, const Variant& AKey, const String& ADisplayText);
  void Clear() { FItems.clear(); }
  Integer Count() const { return Integer(FItems.size()); }
  const TcxLookupListItem& Items(Integer AIndex) const;

 private:
  std::vector<TcxLookupListItem> FItems;
};

namespace cxDataStorage {
// Registers the fourteen value types in their fixed order; Finalize unregisters them in
// reverse and frees the list. Counted.
void Initialize();
void Finalize();
}  // namespace cxDataStorage
