// The class library's data-set unit: fields, data sets with their record buffer and
// state machine, data sources and data links, query parameters, and an in-memory data set
// (TMemoryDataSet) that keeps its records in the process.
//
// A data set shows its records to data links through a window of buffered records around
// the current one (as many as the largest BufferCount of its links). Every field reads the
// buffer at ActiveRecord, so a link that moves its ActiveRecord reads another buffered row
// without moving the data set. Bookmarks are texts; they stay valid while their record
// exists, whatever else is inserted or deleted.
#pragma once

#include "classlib/core/Actions.h"
#include "classlib/core/Collections.h"
#include "classlib/core/GapList.h"
#include "classlib/core/Variants.h"

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

class TDataSet;
class TDataSource;
class TDataLink;
class TField;
class TParams;
class TStrings;
struct TDataSetKeyIndexes;
class TDataSetKeptRecords;
class TFirstError;

TL_ENUM(TDataSetState, dsInactive, dsBrowse, dsEdit, dsInsert, dsSetKey, dsCalcFields, dsFilter,
        dsNewValue, dsOldValue, dsCurValue, dsBlockRead, dsInternalCalc, dsOpening);

TL_ENUM(TFieldType, ftUnknown, ftString, ftSmallint, ftInteger, ftWord, ftBoolean, ftFloat,
        ftCurrency, ftBCD, ftDate, ftTime, ftDateTime, ftBytes, ftVarBytes, ftAutoInc, ftBlob,
        ftMemo, ftGraphic, ftFmtMemo, ftOle1, ftOle2, ftTypedBinary, ftCursor, ftFixedChar,
        ftWideString, ftLargeint, ftADT, ftArray, ftReference, ftDataSet, ftLargeBlob, ftLargeClob,
        ftVariant, ftInterface, ftDispatch, ftGuid, ftTimeStamp, ftFMTBcd);

// Code keeps ranges of these (ftBlob..ftCursor, ftADT..ftDataSet), so the order is fixed.
static_assert(EnumInfo<TFieldType>::Count == 38 && int(TFieldType::ftBlob) == 15 &&
              int(TFieldType::ftADT) == 26);

TL_ENUM(TFieldKind, fkData, fkCalculated, fkLookup, fkInternalCalc, fkAggregate);

TL_ENUM(TDataEvent, deFieldChange, deRecordChange, deDataSetChange, deDataSetScroll, deLayoutChange,
        deUpdateRecord, deUpdateState, deCheckBrowseMode, dePropertyChange, deFieldListChange,
        deFocusControl, deParentScroll, deConnectChange, deReconcileError, deDisabledStateChange);

// The events that ask the links for something: to write what their controls hold into the
// record (before a post, which a refused value must stop), to settle an edit before the data
// set moves, to focus a field's control. A link's error answers such a request, and the
// request goes no further. Every other event tells of a change already made: it reaches every
// link (and each data source's own handler) whatever one of them raises, so that none keeps
// showing what is gone, and the first error then reaches the caller.
constexpr bool IsDataRequest(TDataEvent Event) {
  return Event == TDataEvent::deUpdateRecord || Event == TDataEvent::deCheckBrowseMode ||
         Event == TDataEvent::deFocusControl;
}

TL_ENUM(TLocateOption, loCaseInsensitive, loPartialKey);
using TLocateOptions = Set<TLocateOption>;

TL_ENUM(TFilterOption, foCaseInsensitive, foNoPartialCompare);
using TFilterOptions = Set<TFilterOption>;

TL_ENUM(TBlobType, btNone, btMemo, btGraphic);

using TBookmarkStr = String;

// States in which fields take new values.
bool IsEditState(TDataSetState s);  // dsEdit, dsInsert, dsSetKey

TL_EXCEPTION(EDatabaseError, Exception);

// Raises EDatabaseError; a named component prefixes the text with "Name: ".
[[noreturn]] void DatabaseError(const String& Message, const TComponent* Component = nullptr);
[[noreturn]] void DatabaseErrorFmt(const TResStringRec& Message, TVarRecs Args,
                                   const TComponent* Component = nullptr);

// The position after the name ending at or after Pos in a ';'-separated list of names.
// Pos is 1-based and is moved past the separator; blanks around a name are dropped.
String ExtractFieldName(const String& Fields, Integer& Pos);

using TFieldNotifyEvent = TMethod<void(TField* Sender)>;
using TFieldGetTextEvent = TMethod<void(TField* Sender, String& Text, bool DisplayText)>;
using TFieldSetTextEvent = TMethod<void(TField* Sender, const String& Text)>;
using TDataSetNotifyEvent = TMethod<void(TDataSet* DataSet)>;
using TFilterRecordEvent = TMethod<void(TDataSet* DataSet, bool& Accept)>;
using TDataChangeEvent = TMethod<void(TObject* Sender, TField* Field)>;

// Filter texts: field conditions (= <> < <= > >=, [NOT] LIKE with '%' and '_', [NOT] BETWEEN
// a AND b, [NOT] IN (a, b), IS [NOT] NULL) joined by AND, OR, NOT and parentheses; values
// are quoted texts, numbers, NULL, TRUE or FALSE; [Name] quotes a field name. A chain of
// conditions joined by AND or OR may be as long as it likes; parentheses and NOT nest at
// most MaxFilterTextNesting deep.
struct TFilterExpression;
inline constexpr Integer MaxFilterTextNesting = 1000;
// Raises EDatabaseError naming the position of a syntax error or of the parenthesis or NOT
// that nests too deep.
std::shared_ptr<const TFilterExpression> ParseFilterText(const String& Text);
// The expression bound to an open data set: its fields found, a quoted value meeting a
// date, number or Boolean field read as one. Raises "Field '%s' not found" for a name the
// data set lacks and "Filter value %s does not suit field '%s'" for a value its field
// cannot read; the bound expression is good while the data set stays open.
std::shared_ptr<const TFilterExpression> BindFilterText(const TFilterExpression& Expression,
                                                        const TDataSet& DataSet);
// Evaluates a bound expression against the record the data set's fields read.
bool EvaluateFilterText(const TFilterExpression& Expression, TDataSet& DataSet,
                        TFilterOptions Options);
// LIKE matching, byte-wise and case-sensitive: AManyChars stands for any run of characters,
// none included, wherever it stands ("a%%" matches "a"); AOneChar for one; AEscapeChar
// (0: none) makes the next character a literal, and a trailing one is ignored. Takes
// pattern length times text length steps at most.
bool MatchLikePattern(const Char* AText, Integer ATextLength, const Char* APattern, Integer APatternLength,
                      Char AEscapeChar, Char AOneChar, Char AManyChars);

// ---- Fields --------------------------------------------------------------------------------

class TField : public TComponent {
  TL_CLASS(TField, TComponent)
 public:
  explicit TField(TComponent* AOwner);
  void BeforeDestruction() override;

  TDataSet* DataSet() const { return FDataSet; }
  // Joins (or, with nullptr, leaves) a data set's field list; only while it is closed.
  void SetDataSet(TDataSet* Value);

  const String& FieldName() const { return FFieldName; }
  void SetFieldName(const String& Value);
  TFieldKind FieldKind() const { return FFieldKind; }
  void SetFieldKind(TFieldKind Value);
  TFieldType DataType() const { return FDataType; }
  Integer Size() const { return FSize; }
  void SetSize(Integer Value);
  // 1-based place among the data set's stored fields; 0 for calculated and lookup fields.
  Integer FieldNo() const { return FFieldNo; }
  Integer Index() const;

  const String& Origin() const { return FOrigin; }
  void SetOrigin(const String& v) { FOrigin = v; }
  String DisplayLabel() const { return FDisplayLabel.empty() ? FFieldName : FDisplayLabel; }
  void SetDisplayLabel(const String& v);
  String DisplayName() const { return DisplayLabel(); }
  Integer DisplayWidth() const;
  void SetDisplayWidth(Integer v);
  bool Visible() const { return FVisible; }
  void SetVisible(bool v);
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool v);
  bool Required() const { return FRequired; }
  void SetRequired(bool v) { FRequired = v; }
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment v);
  const String& EditMask() const { return FEditMask; }
  void SetEditMask(const String& v);
  const TCharSet& ValidChars() const { return FValidChars; }
  void SetValidChars(const TCharSet& v) { FValidChars = v; }
  bool IsValidChar(Char C) const { return FValidChars.test(Byte(C)); }

  // Lookup fields: KeyFields of this data set matched against LookupKeyFields of
  // LookupDataSet give LookupResultField.
  const String& KeyFields() const { return FKeyFields; }
  void SetKeyFields(const String& v);
  TDataSet* LookupDataSet() const { return FLookupDataSet; }
  void SetLookupDataSet(TDataSet* v);
  const String& LookupKeyFields() const { return FLookupKeyFields; }
  void SetLookupKeyFields(const String& v);
  const String& LookupResultField() const { return FLookupResultField; }
  void SetLookupResultField(const String& v);
  bool Lookup() const { return FFieldKind == TFieldKind::fkLookup; }
  bool Calculated() const { return FFieldKind == TFieldKind::fkCalculated; }

  virtual bool IsBlob() const { return false; }
  // Not read-only, a stored field, and a data set that can modify. Calculated and lookup
  // fields take values only from their data set's calculation.
  virtual bool CanModify() const;
  bool IsNull() const;
  void Clear() { SetAsVariant(Null()); }

  // Null for a null field.
  virtual Variant GetAsVariant() const;
  // Null or Empty clears the field; other values are converted to the field's type.
  virtual void SetAsVariant(const Variant& Value);
  Variant Value() const { return GetAsVariant(); }
  void SetValue(const Variant& v) { SetAsVariant(v); }
  Variant OldValue() const;

  virtual String GetAsString() const;
  virtual void SetAsString(const String& Value);
  virtual Integer GetAsInteger() const;
  virtual void SetAsInteger(Integer Value);
  virtual double GetAsFloat() const;
  virtual void SetAsFloat(double Value);
  virtual bool GetAsBoolean() const;
  virtual void SetAsBoolean(bool Value);
  virtual TDateTime GetAsDateTime() const;
  virtual void SetAsDateTime(TDateTime Value);
  virtual Currency GetAsCurrency() const;
  virtual void SetAsCurrency(Currency Value);
  virtual Int64 GetAsLargeInt() const;
  virtual void SetAsLargeInt(Int64 Value);
  virtual WideString GetAsWideString() const;
  virtual void SetAsWideString(const WideString& Value);

  // Edit text and display text: OnGetText when assigned, else the field's own formatting.
  String Text() const { return CallGetText(false); }
  void SetText(const String& Value);
  String DisplayText() const { return CallGetText(true); }

  // Asks the data set's links to focus the control that shows this field.
  void FocusControl();
  // Checks Value for this field (OnValidate); raises to reject it.
  void Validate();

  TFieldGetTextEvent OnGetText;
  TFieldSetTextEvent OnSetText;
  TFieldNotifyEvent OnValidate;
  TFieldNotifyEvent OnChange;

 protected:
  void SetDataType(TFieldType v) { FDataType = v; }
  // The field's own edit or display text of a non-null value.
  virtual String GetText(bool DisplayText) const;
  // The value converted to what the field stores; raises EConvertError or EDatabaseError.
  virtual Variant ConvertValue(const Variant& Value) const;
  virtual Integer DefaultWidth() const { return 10; }
  void RangeError(double Value, double Min, double Max) const;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void PropertyChanged(bool LayoutAffected);
  String CallGetText(bool DisplayText) const;

 private:
  friend class TDataSet;
  TDataSet* FDataSet = nullptr;
  String FFieldName;
  TFieldKind FFieldKind = TFieldKind::fkData;
  TFieldType FDataType = TFieldType::ftUnknown;
  Integer FSize = 0;
  Integer FFieldNo = 0;
  Integer FSlot = -1;  // place in a record buffer's values
  String FOrigin;
  String FDisplayLabel;
  Integer FDisplayWidth = 0;
  bool FVisible = true;
  bool FReadOnly = false;
  bool FRequired = false;
  TAlignment FAlignment = TAlignment::taLeftJustify;
  String FEditMask;
  TCharSet FValidChars;
  String FKeyFields;
  TDataSet* FLookupDataSet = nullptr;
  String FLookupKeyFields;
  String FLookupResultField;
};

class TStringField : public TField {
  TL_CLASS(TStringField, TField)
 public:
  explicit TStringField(TComponent* AOwner);

 protected:
  Variant ConvertValue(const Variant& Value) const override;
  Integer DefaultWidth() const override { return Size(); }
};

class TWideStringField : public TStringField {
  TL_CLASS(TWideStringField, TStringField)
 public:
  explicit TWideStringField(TComponent* AOwner);
  WideString GetAsWideString() const override;

 protected:
  Variant ConvertValue(const Variant& Value) const override;
};

class TNumericField : public TField {
  TL_CLASS(TNumericField, TField)
 public:
  explicit TNumericField(TComponent* AOwner);
  const String& DisplayFormat() const { return FDisplayFormat; }
  void SetDisplayFormat(const String& v);
  const String& EditFormat() const { return FEditFormat; }
  void SetEditFormat(const String& v);

  // Whether values are amounts of money; only float and fixed-point fields can say so.
  virtual bool GetCurrency() const { return false; }

 protected:
  String FormatNumber(double v, bool DisplayText, const String& Plain) const;

 private:
  String FDisplayFormat;
  String FEditFormat;
};

class TIntegerField : public TNumericField {
  TL_CLASS(TIntegerField, TNumericField)
 public:
  explicit TIntegerField(TComponent* AOwner);
  // 0 and 0 mean the type's own range.
  Integer MinValue() const { return FMinValue; }
  void SetMinValue(Integer v) { FMinValue = v; }
  Integer MaxValue() const { return FMaxValue; }
  void SetMaxValue(Integer v) { FMaxValue = v; }

 protected:
  TIntegerField(TComponent* AOwner, TFieldType Type, Int64 Low, Int64 High);
  String GetText(bool DisplayText) const override;
  Variant ConvertValue(const Variant& Value) const override;

 private:
  Integer FMinValue = 0, FMaxValue = 0;
  Int64 FLow, FHigh;
};

class TSmallintField : public TIntegerField {
  TL_CLASS(TSmallintField, TIntegerField)
 public:
  explicit TSmallintField(TComponent* AOwner);
};

class TWordField : public TIntegerField {
  TL_CLASS(TWordField, TIntegerField)
 public:
  explicit TWordField(TComponent* AOwner);
};

class TAutoIncField : public TIntegerField {
  TL_CLASS(TAutoIncField, TIntegerField)
 public:
  explicit TAutoIncField(TComponent* AOwner);
};

class TLargeintField : public TNumericField {
  TL_CLASS(TLargeintField, TNumericField)
 public:
  explicit TLargeintField(TComponent* AOwner);

 protected:
  String GetText(bool DisplayText) const override;
  Variant ConvertValue(const Variant& Value) const override;
};

class TFloatField : public TNumericField {
  TL_CLASS(TFloatField, TNumericField)
 public:
  explicit TFloatField(TComponent* AOwner);
  bool GetCurrency() const override { return FCurrency; }
  void SetCurrency(bool v);
  Integer Precision() const { return FPrecision; }
  void SetPrecision(Integer v);  // clamped to 2..15
  double MinValue() const { return FMinValue; }
  void SetMinValue(double v) { FMinValue = v; }
  double MaxValue() const { return FMaxValue; }
  void SetMaxValue(double v) { FMaxValue = v; }

 protected:
  String GetText(bool DisplayText) const override;
  Variant ConvertValue(const Variant& Value) const override;

 private:
  bool FCurrency = false;
  Integer FPrecision = 15;
  double FMinValue = 0, FMaxValue = 0;
};

class TCurrencyField : public TFloatField {
  TL_CLASS(TCurrencyField, TFloatField)
 public:
  explicit TCurrencyField(TComponent* AOwner);
};

// Fixed point with four decimals, stored as Currency.
class TBCDField : public TNumericField {
  TL_CLASS(TBCDField, TNumericField)
 public:
  explicit TBCDField(TComponent* AOwner);
  bool GetCurrency() const override { return FCurrency; }
  void SetCurrency(bool v);
  Integer Precision() const { return FPrecision; }
  void SetPrecision(Integer v) { FPrecision = v; }
  Currency MinValue() const { return FMinValue; }
  void SetMinValue(Currency v) { FMinValue = v; }
  Currency MaxValue() const { return FMaxValue; }
  void SetMaxValue(Currency v) { FMaxValue = v; }

 protected:
  String GetText(bool DisplayText) const override;
  Variant ConvertValue(const Variant& Value) const override;

 private:
  bool FCurrency = false;
  Integer FPrecision = 0;
  Currency FMinValue{}, FMaxValue{};
};

// Wide decimals, held here as doubles.
class TFMTBCDField : public TFloatField {
  TL_CLASS(TFMTBCDField, TFloatField)
 public:
  explicit TFMTBCDField(TComponent* AOwner);
};

class TBooleanField : public TField {
  TL_CLASS(TBooleanField, TField)
 public:
  explicit TBooleanField(TComponent* AOwner);
  // "True text;False text"
  const String& DisplayValues() const { return FDisplayValues; }
  void SetDisplayValues(const String& v);

 protected:
  String GetText(bool DisplayText) const override;
  Variant ConvertValue(const Variant& Value) const override;

 private:
  String FDisplayValues;
  String FTrueText = "True", FFalseText = "False";
};

class TDateTimeField : public TField {
  TL_CLASS(TDateTimeField, TField)
 public:
  explicit TDateTimeField(TComponent* AOwner);
  const String& DisplayFormat() const { return FDisplayFormat; }
  void SetDisplayFormat(const String& v);

 protected:
  TDateTimeField(TComponent* AOwner, TFieldType Type);
  String GetText(bool DisplayText) const override;
  Variant ConvertValue(const Variant& Value) const override;
  virtual String DefaultFormat() const;

 private:
  String FDisplayFormat;
};

class TDateField : public TDateTimeField {
  TL_CLASS(TDateField, TDateTimeField)
 public:
  explicit TDateField(TComponent* AOwner);

 protected:
  Variant ConvertValue(const Variant& Value) const override;
  String DefaultFormat() const override;
};

class TTimeField : public TDateTimeField {
  TL_CLASS(TTimeField, TDateTimeField)
 public:
  explicit TTimeField(TComponent* AOwner);

 protected:
  Variant ConvertValue(const Variant& Value) const override;
  String DefaultFormat() const override;
};

class TSQLTimeStampField : public TDateTimeField {
  TL_CLASS(TSQLTimeStampField, TDateTimeField)
 public:
  explicit TSQLTimeStampField(TComponent* AOwner);
};

// A summary computed by its data set: its value is set from outside, not stored in records.
class TAggregateField : public TField {
  TL_CLASS(TAggregateField, TField)
 public:
  explicit TAggregateField(TComponent* AOwner);
  Variant GetAsVariant() const override { return FValue; }
  void SetAsVariant(const Variant& Value) override { FValue = Value; }
  bool GetCurrency() const { return FCurrency; }
  void SetCurrency(bool v) { FCurrency = v; }
  Integer Precision() const { return FPrecision; }
  void SetPrecision(Integer v) { FPrecision = v; }
  const String& DisplayFormat() const { return FDisplayFormat; }
  void SetDisplayFormat(const String& v) { FDisplayFormat = v; }
  bool CanModify() const override { return false; }

 protected:
  String GetText(bool DisplayText) const override;

 private:
  Variant FValue = Null();
  bool FCurrency = false;
  Integer FPrecision = 15;
  String FDisplayFormat;
};

class TVariantField : public TField {
  TL_CLASS(TVariantField, TField)
 public:
  explicit TVariantField(TComponent* AOwner);
};

// Binary and large values, held as byte texts.
class TBlobField : public TField {
  TL_CLASS(TBlobField, TField)
 public:
  explicit TBlobField(TComponent* AOwner);
  bool IsBlob() const override { return true; }
  TBlobType BlobType() const { return FBlobType; }

 protected:
  TBlobField(TComponent* AOwner, TFieldType Type, TBlobType Blob);
  String GetText(bool DisplayText) const override;
  Variant ConvertValue(const Variant& Value) const override;

 private:
  TBlobType FBlobType;
};

class TMemoField : public TBlobField {
  TL_CLASS(TMemoField, TBlobField)
 public:
  explicit TMemoField(TComponent* AOwner);

 protected:
  String GetText(bool DisplayText) const override;
};

class TGraphicField : public TBlobField {
  TL_CLASS(TGraphicField, TBlobField)
 public:
  explicit TGraphicField(TComponent* AOwner);
};

// The field class that stores a data type; nullptr for types without one.
const TClass* FieldClassOf(TFieldType Type);

// ---- Field definitions -----------------------------------------------------------------------

struct TFieldDef {
  String Name;
  TFieldType DataType = TFieldType::ftUnknown;
  Integer Size = 0;
  bool Required = false;
};

class TFieldDefs {
 public:
  void Add(const String& Name, TFieldType DataType, Integer Size = 0, bool Required = false);
  void Clear() { FItems.clear(); }
  Integer Count() const { return Integer(FItems.size()); }
  const TFieldDef& Items(Integer Index) const;
  Integer IndexOf(const String& Name) const;  // case-insensitive; -1 when absent

 private:
  std::vector<TFieldDef> FItems;
};

// ---- Data sets -------------------------------------------------------------------------------

class TDataSet : public TComponent {
  TL_CLASS(TDataSet, TComponent)
 public:
  explicit TDataSet(TComponent* AOwner);
  void BeforeDestruction() override;

  // Opening, closing and state.
  void Open() { SetActive(true); }
  void Close() { SetActive(false); }
  bool Active() const { return FState != TDataSetState::dsInactive; }
  void SetActive(bool Value);
  TDataSetState State() const { return FState; }
  // True while the fields were made from the field definitions on opening.
  bool DefaultFields() const { return FDefaultFields; }
  TFieldDefs& FieldDefs() { return FFieldDefs; }
  virtual bool IsUniDirectional() const { return false; }
  // The source of this data set's master, for data sets that follow one.
  virtual TDataSource* GetDataSource() const { return nullptr; }
  // The parameters of a data set that has them; nullptr otherwise.
  virtual TParams* GetParams() const { return nullptr; }
  virtual bool IsSequenced() const { return true; }

  // Fields.
  Integer FieldCount() const { return Integer(FFields.size()); }
  TField* Fields(Integer Index) const;
  TField* FindField(const String& FieldName) const;
  // Raises "Field '%s' not found", naming this data set.
  TField* FieldByName(const String& FieldName) const;
  // The same, naming ErrorComponent (a control, say) in the error instead.
  TField* FieldByName(const String& FieldName, const TComponent* ErrorComponent) const;
  void GetFieldNames(TStrings* List) const;
  // The fields of a ';'-separated list, in its order; raises for a name not found.
  void GetFieldList(std::vector<TField*>& List, const String& FieldNames) const;
  // One value, or a variant array for several names.
  Variant GetFieldValues(const String& FieldNames) const;
  void SetFieldValues(const String& FieldNames, const Variant& Value);

  // Moving.
  void First();
  void Last();
  void Next() { MoveBy(1); }
  void Prior() { MoveBy(-1); }
  // Returns how many records the cursor really moved (signed).
  Integer MoveBy(Integer Distance);
  bool Bof() const { return FBOF; }
  bool Eof() const { return FEOF; }
  // No record to show (also while closed).
  bool IsEmpty() const;
  // The visible records (after filtering).
  virtual Integer RecordCount() const;
  // 1-based place of the current record; -1 while inserting or without records.
  virtual Integer RecNo() const;
  void SetRecNo(Integer Value);

  // Editing.
  void Edit();
  void Insert();
  void Append();
  void Post();
  void Cancel();
  void Delete();
  // Posts a modified record, cancels an unmodified one.
  void CheckBrowseMode();
  // Asks the links to write their pending values to the fields.
  void UpdateRecord();
  void Refresh();
  bool Modified() const { return FModified; }
  virtual bool CanModify() const;
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool v) { FReadOnly = v; }

  // Bookmarks: the active buffer's record; empty without one.
  bool BookmarkAvailable() const;
  TBookmarkStr Bookmark() const;
  void SetBookmark(const TBookmarkStr& Value) { GotoBookmark(Value); }
  TBookmarkStr GetBookmark() const { return Bookmark(); }
  void GotoBookmark(const TBookmarkStr& Value);
  virtual bool BookmarkValid(const TBookmarkStr& Value) const;
  // Orders by the records' places in the data set; empty bookmarks come first.
  virtual Integer CompareBookmarks(const TBookmarkStr& A, const TBookmarkStr& B) const;

  // Reading without moving: the visible records in order, from the first or from the record
  // of From, without leaving an edit or insert (a record being inserted is not one of
  // them). While Visit runs, the fields read the visited record, whose bookmark it is
  // given; Visit answers false to stop. It may read and search the data set, not move,
  // change, refilter or close it. Raises "Record not found" for a From that is gone.
  void ReadRecords(const std::function<bool(const TBookmarkStr&)>& Visit,
                   const TBookmarkStr& From = {});

  // Searching.
  bool Locate(const String& KeyFields, const Variant& KeyValues, TLocateOptions Options);
  // The same search from the record after the current one on: goes to the next matching
  // record, so that a walk of Locate and then LocateNext until it answers false visits every
  // matching record in order, wherever they stand; false, without moving, when no later
  // record matches. Only moves forward.
  bool LocateNext(const String& KeyFields, const Variant& KeyValues, TLocateOptions Options);
  // Says that about Count exact searches by KeyFields come (a Locate, LocateNext or Lookup
  // each): where a key index serves them and building it costs less than walking for them,
  // the first of them builds it.
  void ExpectSearches(const String& KeyFields, Integer Count);
  // The result fields of the first record matching; Null when none. Does not move.
  Variant Lookup(const String& KeyFields, const Variant& KeyValues, const String& ResultFields);
  // The display text of ResultField in the first record matching; empty when none. Does not
  // move.
  String LookupDisplayText(const String& KeyFields, const Variant& KeyValues, const String& ResultField);

  // Filtering: OnFilterRecord decides for each record; Filter text needs a descendant that
  // reads it (AcceptsFilterText).
  bool Filtered() const { return FFiltered; }
  void SetFiltered(bool Value);
  const String& Filter() const { return FFilter; }
  void SetFilter(const String& Value);
  TFilterOptions FilterOptions() const { return FFilterOptions; }
  void SetFilterOptions(TFilterOptions Value);

  // Links and controls.
  void DisableControls();
  void EnableControls();
  bool ControlsDisabled() const { return FDisableCount > 0; }
  // Counts what changes the records or their values: posts, insertions, deletions, field
  // writes, state changes, refilters, refreshes, opening and closing, field and layout
  // changes. Moving alone never counts.
  UInt64 ChangeCount() const { return FChangeCount; }
  // Counts the changes after which any record may show otherwise, or other records show,
  // with no notice naming them: filter changes, refreshes, opening and closing, and what a
  // descendant changes in its stored records other than through Post and Delete. Posts,
  // insertions and deletions never count (a post names its record, see PostedBookmark).
  UInt64 RecordsChangeCount() const { return FRecordsChangeCount; }
  // While the notice of the last EnableControls goes out: true when nothing counted
  // happened since the controls were disabled (a walk that only moved, whose links need
  // only follow the position), and no handler computes what the records read (calculated
  // or lookup fields, OnCalcFields, OnFilterRecord while filtered), as that may change
  // unseen. False at any other time.
  bool OnlyMovedWhileControlsDisabled() const;
  // While that notice goes out: true when something counted happened since the controls
  // were disabled, which the links heard nothing of. False at any other time.
  bool ChangedWhileControlsDisabled() const;
  // While the notices of a post go out (the end of the edit or insert, then the change):
  // the bookmark of the record just stored, wherever the data set stands by then (its own
  // filter may hide the record); empty at any other time. A link keeping copies of the
  // records reads that one again instead of every record.
  const TBookmarkStr& PostedBookmark() const { return FPostedBookmark; }
  // Number of records in the buffer window and the active one's place in it.
  Integer BufferRecordCount() const { return Integer(FBuffers.size()); }
  // The window's capacity: the largest BufferCount its links ask for (at least 1).
  Integer BufferCount() const { return FBufferCount > 1 ? FBufferCount : 1; }
  Integer ActiveRecord() const { return FActiveRecord; }

  TDataSetNotifyEvent BeforeOpen, AfterOpen, BeforeClose, AfterClose;
  TDataSetNotifyEvent BeforeInsert, AfterInsert, BeforeEdit, AfterEdit;
  TDataSetNotifyEvent BeforePost, AfterPost, BeforeCancel, AfterCancel;
  TDataSetNotifyEvent BeforeDelete, AfterDelete, BeforeScroll, AfterScroll;
  TDataSetNotifyEvent OnNewRecord, OnCalcFields;
  TFilterRecordEvent OnFilterRecord;

 protected:
  // Only Free ends a data set: a handler may free it in the middle of an operation, which
  // then has to find it still in memory when the handler returns.
  ~TDataSet() override = default;
  // Held by each operation that may run a handler, the outermost one first. A handler that
  // frees the data set meanwhile leaves it in memory (Freed), and the outermost operation
  // destroys it as it returns: the walks over the records the handler interrupted unwind
  // without touching freed memory. Declared before every other local of the operation, so
  // it ends last.
  class TRunning {
   public:
    explicit TRunning(const TDataSet& ADataSet) noexcept : FDataSet(const_cast<TDataSet&>(ADataSet)) {
      ++FDataSet.FRunning;
    }
    ~TRunning() {
      if (--FDataSet.FRunning == 0 && FDataSet.FFreeHeld) {
        FDataSet.FFreeHeld = false;
        FDataSet.EndHeldFree();
      }
    }
    TRunning(const TRunning&) = delete;
    TRunning& operator=(const TRunning&) = delete;

   private:
    TDataSet& FDataSet;
  };
  bool HoldFree() noexcept override;
  // Freed by a handler in the middle of an operation (its Free held, see TRunning): asks,
  // tells and runs nothing more, and is destroyed as the outermost operation returns.
  bool Freed() const { return FFreeHeld; }
  // Runs a handler; false when it freed the data set, and the caller then stops at once.
  bool Notify(const TDataSetNotifyEvent& AEvent);
  // CheckBrowseMode; false when a handler it ran (BeforePost, say) freed the data set.
  bool BrowseModeChecked();

  // ---- What a descendant provides: a list of stored records, by place. ----
  // Makes the records available; the field definitions must be filled by then.
  virtual void InternalOpen() = 0;
  virtual void InternalClose() = 0;
  virtual Integer InternalRecordCount() const = 0;
  // The stored values of the record at Place, one per field definition.
  virtual std::vector<Variant> InternalReadRecord(Integer Place) const = 0;
  // A text naming the record at Place for as long as it exists.
  virtual TBookmarkStr InternalBookmark(Integer Place) const = 0;
  // The place of a bookmarked record; -1 when it no longer exists.
  virtual Integer InternalFindBookmark(const TBookmarkStr& Bookmark) const = 0;
  // Stores Values over the record at Place, or (Inserting) as a new record at Place
  // (Place == InternalRecordCount() appends). Returns the stored record's place.
  virtual Integer InternalPost(Integer Place, bool Inserting,
                               const std::vector<Variant>& Values) = 0;
  virtual void InternalDelete(Integer Place) = 0;
  // Whether the Filter text accepts the record being read; only asked when
  // SupportsFilterText, which the base does not.
  virtual bool SupportsFilterText() const { return false; }
  // Checks a new, non-empty Filter text before it is taken, and a filtering one again as
  // the data set opens, once FieldsBound; raises to refuse it.
  virtual void PrepareFilterText(const String& /*Text*/) {}
  // Whether the fields are bound to the records: while open, and while opening from the
  // moment the filter text is checked.
  bool FieldsBound() const { return FFieldsBound; }
  // Changes whenever the Filter text is assigned: what was read from the text holds while
  // this stays, without comparing the text again for every record.
  UInt64 FilterVersion() const { return FFilterVersion; }
  virtual bool AcceptsFilterText() { return true; }
  // Fills fields of a new record (after the links heard of the insert).
  virtual void InitRecord();

  void DataEvent(TDataEvent Event, intptr_t Info);
  // A descendant that changes its stored records other than through Post and Delete says
  // so, so that the records the filter keeps are asked again.
  void RecordsChanged() {
    ++FChangeCount;
    ++FRecordsChangeCount;
    FKept.reset();
    FKeyIndexes.reset();
  }
  // A descendant that stored a new record at Place other than through Post says so: the
  // filter is asked about that record alone, and browsing links are shown the records
  // again. A filter that raises reaches the caller; what it keeps is then asked again.
  void RecordInserted(Integer Place);
  // Raises while the data set asks OnFilterRecord or OnCalcFields about a record: a
  // handler may read the data set then, but not move, change, refilter or close it.
  void CheckNotAsking() const;
  // The stored value at Place of the field definition Slot, read without copying the
  // record; nullptr from a descendant that cannot (searches then always walk the records).
  virtual const Variant* InternalStoredValue(Integer /*Place*/, Integer /*Slot*/) const {
    return nullptr;
  }
  // A number (0 or more) naming the record at Place for as long as it exists, whatever comes
  // and goes around it, and the place of the record a number names (-1 when gone); -1 from a
  // descendant without them, whose key indexes are then dropped by every change.
  virtual Integer InternalRecordId(Integer /*Place*/) const { return -1; }
  virtual Integer InternalPlaceOfId(Integer /*Id*/) const { return -1; }

 private:
  friend class TField;
  friend class TDataSource;
  friend class TDataLink;

  struct TRecordBuffer {
    Integer Place = -1;           // -1: a record being inserted
    std::vector<Variant> Values;  // one per field slot
    bool Unread = false;          // Values not read yet (see WindowBuffer)
  };

  void AddField(TField* Field);
  void RemoveField(TField* Field);
  void CheckInactive() const;
  void CheckActive() const;
  void CheckCanModify() const;
  void CheckFieldName(TField* Field, const String& Name) const;
  void BindFields();
  void CreateDefaultFields();
  void DestroyDefaultFields();
  // False when a link's handler freed the data set (the caller then stops at once). Given
  // Errors, the error a link raises on a notice (not a request) is kept there instead: a
  // step that tells several changes tells them all, and finishes its own bookkeeping, before
  // the first error reaches its caller.
  bool SetState(TDataSetState Value, TFirstError* Errors = nullptr);
  bool Told(TDataEvent Event, intptr_t Info, TFirstError* Errors = nullptr);
  // Whether a handler or a computed field takes part in what the records read.
  bool ComputesValues() const;
  // UpdateRecord: false when a link's handler freed the data set.
  bool LinksUpdatedRecord();

  const Variant& FieldData(const TField* Field) const;
  void SetFieldData(TField* Field, const Variant& Value);
  void CalculateFields(TRecordBuffer& Buffer);
  TRecordBuffer ReadBuffer(Integer Place);
  // A record taken into the window. Where reading a record computes nothing (no calculated or
  // lookup field), its values are left unread until asked for: a move then costs the records
  // it shows, not the whole window (the current record is read as the data set arrives).
  // Reading them later gives what reading them now would, as the window follows every change
  // of the stored records (or is filled again).
  TRecordBuffer WindowBuffer(Integer Place);
  // The window's record at Index, its values read if they were left unread; runs no handler.
  TRecordBuffer& LoadedBuffer(Integer Index) const;
  // The window's places after a record moved from OldPlace to Place in the stored records
  // (-1: a new record, or one gone).
  void WindowFollow(Integer OldPlace, Integer Place);
  bool RecordVisible(Integer Place);
  // The filter's own verdict on the record at Place, whatever is kept.
  bool AskFilter(Integer Place);
  Integer NextVisible(Integer Place, Integer Step);
  // Whether a filter decides which records show.
  bool Filtering() const;
  // The verdicts kept while they hold (one per record, given by the filter text and the
  // handlers as they are now); nullptr otherwise, dropping verdicts that no longer hold.
  TDataSetKeptRecords* KnownKept();
  // The same, asking the filter about every record first when they are not known.
  TDataSetKeptRecords& KeptRecords();
  // After a post: the verdict of the record now at Place (coming from OldPlace, or -1 for
  // a new record) asked and kept; the filter's error, with nothing kept, when it raises.
  std::exception_ptr KeepVerdict(TDataSetKeptRecords& Kept, Integer OldPlace, Integer Place);
  Integer FirstVisible() { return NextVisible(-1, 1); }
  Integer LastVisible() { return NextVisible(InternalRecordCount(), -1); }
  Integer WindowSize() const;
  // Refills the window so that Place is the active record at slot Slot (or as near as
  // the records allow); Place -1 leaves the window empty. A handler the reads run may
  // change the window's size meanwhile (a link going with its freed source): the window
  // is then filled again at that size.
  void FillWindow(Integer Place, Integer Slot);
  void FillWindowAt(Integer Size, Integer Place, Integer Slot);
  // The window was built (or moved) at Size with its size waiting: a handler that changed it
  // meanwhile has the window filled again around its active record.
  void WindowBuilt(Integer Size);
  // False when a link's handler freed the data set; Errors as for Told.
  bool Resync(TFirstError* Errors = nullptr);
  // The window after the record at Place went from its active slot; false as Resync.
  bool ResyncAfterDelete(Integer Place, TFirstError* Errors = nullptr);
  void StoredValuesOf(const TRecordBuffer& Buffer, std::vector<Variant>& Values) const;
  void CheckRequiredFields();
  bool MatchRecord(const std::vector<TField*>& Fields, const Variant& Values,
                   TLocateOptions Options, const TRecordBuffer& Buffer) const;
  // The first visible record after place After (-1: from the first record on) matching.
  Integer FindRecord(const String& KeyFields, const Variant& KeyValues, TLocateOptions Options,
                     std::vector<TField*>& Fields, Integer After = -1);
  // Goes to the record a search found, as Locate does; false when a handler refused the
  // scroll or freed the data set before it.
  bool GotoFoundRecord(Integer Place);
  // The search by one stored field's key index: true with the place (-1: none) when the
  // index answers, false when the records must be walked. CountWalk adds what a walk for
  // that field cost, which decides when building the index pays.
  Integer KeyIndexSlot(const TField* Field, TLocateOptions Options) const;
  bool FindIndexedRecord(const TField* Field, const Variant& Key, TLocateOptions Options,
                         Integer After, Integer& Place);
  void CountWalk(const TField* Field, TLocateOptions Options, Integer Walked);
  // The key indexes after a post, an insertion or a deletion of one record: OldId names it
  // as it was (-1: a new record), Place is where it stands now (-1: gone).
  void KeyIndexesFollow(Integer OldId, Integer Place);
  void UpdateBufferCount();
  void ChangeFilter(const String& Text, TFilterOptions Options, bool Filtering);
  void NotifyScroll(Integer WindowShift);
  void ShiftLinks(Integer WindowShift);
  void StartNewRecord();

  TDataSetState FState = TDataSetState::dsInactive;
  TFieldDefs FFieldDefs;
  std::vector<TField*> FFields;
  std::vector<TDataSource*> FDataSources;
  bool FDefaultFields = false;
  bool FFieldsBound = false;
  Integer FStoredSlots = 0;
  Integer FSlotCount = 0;
  std::vector<TRecordBuffer> FBuffers;
  Integer FActiveRecord = 0;
  Integer FBufferCount = 1;
  bool FBuildingWindow = false;  // the window stands half built: its size waits
  TRecordBuffer FCalcBuffer;                   // a record read for Locate, Lookup or filtering
  const TRecordBuffer* FReadBuffer = nullptr;  // when set, fields read this buffer
  std::vector<Variant> FOldValues;             // the record as it was when editing began
  Integer FInsertPlace = -1;                   // where a record being inserted will go
  bool FBOF = true, FEOF = true;
  bool FModified = false;
  bool FReadOnly = false;
  bool FFiltered = false;
  String FFilter;
  UInt64 FFilterVersion = 0;
  TFilterOptions FFilterOptions;
  // The filter's verdict on every record, known from the first count, record number or
  // walk that needs them until the filter, its handlers or the records change other than
  // by a post or a deletion (which ask about the one record they touch): counting,
  // numbering and moving then ask no filter.
  std::shared_ptr<TDataSetKeptRecords> FKept;
  TFilterRecordEvent FKeptFilterHandler;
  TDataSetNotifyEvent FKeptCalcHandler;
  // How deep the data set is in asking OnFilterRecord or OnCalcFields.
  Integer FAsking = 0;
  // How many operations are running (TRunning), and whether a handler freed the data set
  // while they were.
  Integer FRunning = 0;
  bool FFreeHeld = false;
  // Exact single-field searches by value; they follow posts, insertions and deletions and
  // are dropped by any other change of the records.
  std::shared_ptr<TDataSetKeyIndexes> FKeyIndexes;
  Integer FDisableCount = 0;
  UInt64 FChangeCount = 1;
  UInt64 FRecordsChangeCount = 0;
  UInt64 FChangeCountAtDisable = 0;
  bool FComputedAtDisable = false;
  // While the notice of EnableControls goes out: the count when the controls were disabled
  // (0 outside it), and whether a handler computed values meanwhile.
  UInt64 FNoticeCountAtDisable = 0;
  bool FNoticeComputed = false;
  bool FPendingChange = false;
  bool FStateChangedWhileDisabled = false;
  TBookmarkStr FPostedBookmark;
};

// ---- Data sources and data links -------------------------------------------------------------

class TDataSource : public TComponent {
  TL_CLASS(TDataSource, TComponent)
 public:
  explicit TDataSource(TComponent* AOwner);
  void BeforeDestruction() override;

  TDataSet* DataSet() const { return FDataSet; }
  void SetDataSet(TDataSet* Value);
  bool AutoEdit() const { return FAutoEdit; }
  void SetAutoEdit(bool v) { FAutoEdit = v; }
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value);
  // The data set's state; dsInactive without an enabled data set.
  TDataSetState State() const { return FState; }
  // Puts the data set into edit when AutoEdit allows it and it is browsing.
  void Edit();
  // Whether this source is the master source of DataSet or of one of its masters.
  bool IsLinkedTo(TDataSet* DataSet) const;
  Integer LinkCount() const { return Integer(FLinks.size()); }

  TNotifyEvent OnStateChange;
  TDataChangeEvent OnDataChange;
  TNotifyEvent OnUpdateData;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  friend class TDataSet;
  friend class TDataLink;
  void AddDataLink(TDataLink* Link);
  void RemoveDataLink(TDataLink* Link);
  void DataEvent(TDataEvent Event, intptr_t Info, bool NonVisualOnly);
  void NotifyLinks(TDataEvent Event, intptr_t Info, bool NonVisualOnly);
  void UpdateState(bool NonVisualOnly = false);

  TDataSet* FDataSet = nullptr;
  bool FAutoEdit = true;
  bool FEnabled = true;
  TDataSetState FState = TDataSetState::dsInactive;
  bool FStateChangePending = false;  // OnStateChange waits for the controls
  std::vector<TDataLink*> FLinks;
};

// Follows a data source. Visual-control links hear every event before the other links.
class TDataLink : public TPersistent {
  TL_CLASS(TDataLink, TPersistent)
 public:
  TDataLink() = default;
  void BeforeDestruction() override;
  // A link that ends without Free still leaves its source's list.
  ~TDataLink() override;

  TDataSource* DataSource() const { return FDataSource; }
  void SetDataSource(TDataSource* Value);
  TDataSet* DataSet() const;
  bool Active() const { return FActive; }
  bool Editing() const { return FEditing; }
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool Value);
  bool VisualControl() const { return FVisualControl; }
  void SetVisualControl(bool v) { FVisualControl = v; }

  // The records this link sees: up to BufferCount around the current one.
  Integer BufferCount() const { return FBufferCount; }
  void SetBufferCount(Integer Value);  // at least 1
  Integer RecordCount() const;
  // The row the fields read, 0-based within this link's records.
  Integer ActiveRecord() const;
  void SetActiveRecord(Integer Value);
  bool Bof() const;
  bool Eof() const;

  // Asks the data source to edit; answers Editing.
  bool Edit();
  // Runs UpdateData once (re-entry is ignored).
  void UpdateRecord();
  // An action that handles the data source runs (or updates itself) on it; answers
  // whether it did.
  virtual bool ExecuteAction(TBasicAction* Action);
  virtual bool UpdateAction(TBasicAction* Action);

 protected:
  virtual void ActiveChanged() {}
  virtual void CheckBrowseMode() {}
  virtual void DataEvent(TDataEvent Event, intptr_t Info);
  virtual void DataSetChanged() { RecordChanged(nullptr); }
  virtual void DataSetScrolled(Integer) { DataSetChanged(); }
  virtual void EditingChanged() {}
  // The control showing *Field takes the focus and clears it.
  virtual void FocusControl(TField*& /*Field*/) {}
  virtual void LayoutChanged() { DataSetChanged(); }
  virtual void RecordChanged(TField* /*Field*/) {}
  virtual void UpdateData() {}

 private:
  friend class TDataSource;
  friend class TDataSet;
  void UpdateState();
  void ClampRange();

  TDataSource* FDataSource = nullptr;
  bool FActive = false;
  bool FEditing = false;
  bool FReadOnly = false;
  bool FVisualControl = false;
  bool FUpdating = false;
  Integer FBufferCount = 1;
  Integer FFirstRecord = 0;     // the data set's buffer slot of this link's row 0
  Integer FScrollDistance = 0;  // how far this link's rows moved in the last scroll
};

// ---- Parameters ------------------------------------------------------------------------------

class TParam : public TCollectionItem {
  TL_CLASS(TParam, TCollectionItem)
 public:
  explicit TParam(TCollection* Collection) : TCollectionItem(Collection) {}
  const String& Name() const { return FName; }
  void SetName(const String& v) { FName = v; }
  TFieldType DataType() const { return FDataType; }
  void SetDataType(TFieldType v) { FDataType = v; }
  const Variant& Value() const { return FValue; }
  void SetValue(const Variant& v) { FValue = v; }
  bool IsNull() const { return VarIsNull(FValue) || VarIsEmpty(FValue); }
  String GetDisplayName() const override { return FName; }
  void Assign(TPersistent* Source) override;

 private:
  String FName;
  TFieldType FDataType = TFieldType::ftUnknown;
  Variant FValue = Null();
};

class TParams : public TCollection {
  TL_CLASS(TParams, TCollection)
 public:
  TParams();
  TParam* Items(Integer Index) const;
  TParam* CreateParam(TFieldType DataType, const String& Name);
  TParam* FindParam(const String& Name) const;  // case-insensitive
  // Raises "Parameter '%s' not found".
  TParam* ParamByName(const String& Name) const;
  // One value, or a variant array for several ';'-separated names.
  Variant GetParamValues(const String& Names) const;
  void SetParamValues(const String& Names, const Variant& Value);
};

// ---- An in-memory data set -------------------------------------------------------------------

class TMemoryDataSet : public TDataSet {
  TL_CLASS(TMemoryDataSet, TDataSet)
 public:
  explicit TMemoryDataSet(TComponent* AOwner);
  // Appends a stored record (values in field-definition order) without moving the
  // cursor; for filling a closed or open data set in code.
  void AddRecord(const std::vector<Variant>& Values);
  // Removes every stored record.
  void EmptyDataSet();
  bool IsUniDirectional() const override { return FUniDirectional; }
  void SetUniDirectional(bool v) { FUniDirectional = v; }
  bool SupportsFilterText() const override { return true; }

 protected:
  ~TMemoryDataSet() override = default;
  void InternalOpen() override;
  void InternalClose() override { FFilterExpressionBound = false; }
  // Stored records stay when the data set closes; only EmptyDataSet drops them.
  Integer InternalRecordCount() const override { return Integer(FPlaces.size()); }
  std::vector<Variant> InternalReadRecord(Integer Place) const override;
  TBookmarkStr InternalBookmark(Integer Place) const override;
  Integer InternalFindBookmark(const TBookmarkStr& Bookmark) const override;
  Integer InternalPost(Integer Place, bool Inserting, const std::vector<Variant>& Values) override;
  void InternalDelete(Integer Place) override;
  void PrepareFilterText(const String& Text) override;
  bool AcceptsFilterText() override;
  const Variant* InternalStoredValue(Integer Place, Integer Slot) const override;
  Integer InternalRecordId(Integer Place) const override;
  Integer InternalPlaceOfId(Integer Id) const override;

 private:
  void DefineFromFields();
  // A record in place order: its id and where its values are kept. Only these cross the gap
  // when it travels (a block copy of a few bytes each), never the values, and the id is at
  // hand for refiling the slot.
  struct TPlacedRecord {
    Integer Id = -1;
    Integer Values = -1;  // in FValues
  };
  // The records in place order around a gap of empty slots, left where the last deletion
  // or insertion happened: more of them there (a loop deleting at the cursor) move
  // nothing, and the gap travels only as far as the next place asked for.
  TGapList<TPlacedRecord> FPlaces;
  // The records' values where they came; a deleted record's entry, emptied, goes to the next
  // one stored.
  std::vector<std::vector<Variant>> FValues;
  std::vector<Integer> FFreeValues;
  const std::vector<Variant>& ValuesAt(Integer Place) const {
    return FValues[size_t(FPlaces[size_t(Place)].Values)];
  }
  void InsertStored(Integer Place, Integer Id, std::vector<Variant> Values);
  void CompactValues();
  Integer FNextId = 1;
  Integer FNextAutoInc = 1;
  bool FUniDirectional = false;
  // Record id -> slot (ids are handed out in turn), built on the first bookmark or id asked
  // for and kept up to date as records come, go and move with the gap, so bookmarks are
  // found and compared in constant time.
  // Slots held in 32 bits: the map is written at random as the gap travels, and half the
  // size is half the cache it takes. The list of fewer than 2^31 records holds at most twice
  // as many slots.
  using TSlotNo = uint32_t;
  static constexpr TSlotNo kNoSlot = ~TSlotNo(0);
  void IndexSlotsById() const;
  void FileSlot(Integer Id, size_t Slot) const;
  // The ids of the records that now take slots [First, Last) after a move of the gap.
  void RefileMoved(size_t First, size_t Last) const;
  mutable std::vector<TSlotNo> FSlotOfId;
  mutable bool FSlotOfIdValid = false;
  std::shared_ptr<const TFilterExpression> FFilterExpression;
  String FFilterExpressionText;
  UInt64 FFilterExpressionVersion = ~UInt64(0);  // the FilterVersion it was checked against
  bool FFilterExpressionBound = false;
};

namespace DBConsts {
extern const TResStringRec SFieldNotFound;
extern const TResStringRec SDataSetOpen;
extern const TResStringRec SDataSetClosed;
extern const TResStringRec SNotEditing;
extern const TResStringRec SDataSetReadOnly;
extern const TResStringRec SFieldReadOnly;
extern const TResStringRec SFieldRequired;
extern const TResStringRec SDataSetEmpty;
extern const TResStringRec SRecordNotFound;
extern const TResStringRec SDuplicateFieldName;
extern const TResStringRec SFieldNameMissing;
extern const TResStringRec SFieldRangeError;
extern const TResStringRec SFieldValueError;
extern const TResStringRec SParameterNotFound;
extern const TResStringRec SFilterNotSupported;
extern const TResStringRec SLocateValueCount;
extern const TResStringRec SCircularLookup;
extern const TResStringRec SDataSetUniDirectional;
extern const TResStringRec SDataSetAsking;
}  // namespace DBConsts
