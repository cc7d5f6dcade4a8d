// Filter criteria: a tree of condition lists joined by Boolean operators and of
// conditions (item, operator, value), evaluated per record, turned into filter texts,
// compared, copied and streamed; the filter operators; and the filter value list.
//
// Record values come from subclasses: the base criteria know nothing of items beyond
// their links.
#pragma once

#include "classlib/core/Classes.h"
#include "classlib/core/Enums.h"
#include "classlib/core/Lists.h"
#include "classlib/core/Streams.h"
#include "classlib/core/Variants.h"
#include "widgets/data/cxDataUtils.h"

#include <memory>
#include <set>
#include <vector>

TL_ENUM(TcxFilterOperatorKind, foEqual, foNotEqual, foLess, foLessEqual, foGreater, foGreaterEqual, foLike, foNotLike,
        foBetween, foNotBetween, foInList, foNotInList, foYesterday, foToday, foTomorrow, foLastWeek, foLastMonth,
        foLastYear, foThisWeek, foThisMonth, foThisYear, foNextWeek, foNextMonth, foNextYear);
using TcxFilterOperatorKinds = Set<TcxFilterOperatorKind>;
TL_ENUM(TcxFilterBoolOperatorKind, fboAnd, fboOr, fboNotAnd, fboNotOr);
TL_ENUM(TcxFilterCriteriaOption, fcoCaseInsensitive, fcoShowOperatorDescription, fcoSoftNull, fcoSoftCompare,
        fcoIgnoreNull);
using TcxFilterCriteriaOptions = Set<TcxFilterCriteriaOption>;

class TcxFilterCriteria;
class TcxFilterCriteriaItem;
class TcxFilterCriteriaItemList;
class TcxFilterValueList;
class TcxFilterValueSet;

// The one source of today's date for the date operators: nullptr means the platform's Date.
using TcxFilterTodaySource = TDateTime (*)();
extern TcxFilterTodaySource cxFilterTodaySource;
TDateTime cxFilterToday();

// Nesting deeper than this is refused when criteria are read from a stream.
inline constexpr int cxFilterMaxNesting = 1000;

// ---- Operators ----

class TcxFilterOperator : public TObject {
  TL_CLASS(TcxFilterOperator, TObject)
 public:
  explicit TcxFilterOperator(TcxFilterCriteriaItem* ACriteriaItem) : FCriteriaItem(ACriteriaItem) {}

  // In slot order.
  virtual void GetExpandedFilterText(const Variant& AValue, String& AText);
  virtual void GetValueText(const Variant& AValue, String& AText);
  virtual void AdjustDisplayValue(String& AText);
  virtual void Prepare();
  virtual bool GetCustomValueText(const Variant& AValue, String& AText);
  // AValue is the record's value, AOperand the condition's, both prepared by the criteria.
  virtual bool IsSatisfied(const Variant& AValue, const Variant& AOperand) = 0;
  virtual void GetCaption(String& AText);
  virtual void GetKeyword(String& AText) = 0;
  virtual bool UseDescription();
  virtual bool NeedsExpandedText();
  virtual bool IsNullOperator();

  TcxFilterCriteriaItem* CriteriaItem() const { return FCriteriaItem; }
  TcxFilterCriteria* Criteria() const;

 protected:
  // The field name of the condition, for the expanded texts.
  String FieldName() const;

 private:
  TcxFilterCriteriaItem* FCriteriaItem;
};

using TcxFilterOperatorClass = TMetaClass<TcxFilterOperator, TcxFilterCriteriaItem*>;

#define TL_FILTER_OPERATOR(Name, Parent) \
  TL_CLASS(Name, Parent)                 \
 public:                                 \
  using Parent::Parent;                  \
                                         \
 private:

class TcxFilterEqualOperator : public TcxFilterOperator {
  TL_FILTER_OPERATOR(TcxFilterEqualOperator, TcxFilterOperator)
 public:
  // ";"-separated field names against the elements of an array value; an array longer
  // than the name list raises EcxInvalidDataControllerOperation.
  void GetExpandedFilterText(const Variant& AValue, String& AText) override;
  bool IsSatisfied(const Variant& AValue, const Variant& AOperand) override;
  void GetCaption(String& AText) override;
  void GetKeyword(String& AText) override;
  bool NeedsExpandedText() override;
};

class TcxFilterNotEqualOperator : public TcxFilterEqualOperator {
  TL_FILTER_OPERATOR(TcxFilterNotEqualOperator, TcxFilterEqualOperator)
 public:
  void GetExpandedFilterText(const Variant& AValue, String& AText) override;
  bool IsSatisfied(const Variant& AValue, const Variant& AOperand) override;
  void GetCaption(String& AText) override;
  void GetKeyword(String& AText) override;
};

class TcxFilterLessOperator : public TcxFilterOperator {
  TL_FILTER_OPERATOR(TcxFilterLessOperator, TcxFilterOperator)
 public:
  bool IsSatisfied(const Variant& AValue, const Variant& AOperand) override;
  void GetCaption(String& AText) override;
  void GetKeyword(String& AText) override;
};

class TcxFilterLessEqualOperator : public TcxFilterOperator {
  TL_FILTER_OPERATOR(TcxFilterLessEqualOperator, TcxFilterOperator)
 public:
  bool IsSatisfied(const Variant& AValue, const Variant& AOperand) override;
  void GetCaption(String& AText) override;
  void GetKeyword(String& AText) override;
};

class TcxFilterGreaterOperator : public TcxFilterOperator {
  TL_FILTER_OPERATOR(TcxFilterGreaterOperator, TcxFilterOperator)
 public:
  bool IsSatisfied(const Variant& AValue, const Variant& AOperand) override;
  void GetCaption(String& AText) override;
  void GetKeyword(String& AText) override;
};

class TcxFilterGreaterEqualOperator : public TcxFilterOperator {
  TL_FILTER_OPERATOR(TcxFilterGreaterEqualOperator, TcxFilterOperator)
 public:
  bool IsSatisfied(const Variant& AValue, const Variant& AOperand) override;
  void GetCaption(String& AText) override;
  void GetKeyword(String& AText) override;
};

class TcxFilterLikeOperator : public TcxFilterOperator {
  TL_FILTER_OPERATOR(TcxFilterLikeOperator, TcxFilterOperator)
 public:
  void AdjustDisplayValue(String& AText) override;
  bool IsSatisfied(const Variant& AValue, const Variant& AOperand) override;
  void GetCaption(String& AText) override;
  void GetKeyword(String& AText) override;

 protected:
  // The pattern kind of the condition's value (cxLikePlain .. cxLikeContains).
  Integer PatternKind() const;
};

class TcxFilterNotLikeOperator : public TcxFilterLikeOperator {
  TL_FILTER_OPERATOR(TcxFilterNotLikeOperator, TcxFilterLikeOperator)
 public:
  bool IsSatisfied(const Variant& AValue, const Variant& AOperand) override;
  void GetCaption(String& AText) override;
  void GetKeyword(String& AText) override;
};

// An operand that is no array of at least two elements satisfies nothing.
class TcxFilterBetweenOperator : public TcxFilterOperator {
  TL_FILTER_OPERATOR(TcxFilterBetweenOperator, TcxFilterOperator)
 public:
  void GetExpandedFilterText(const Variant& AValue, String& AText) override;
  void AdjustDisplayValue(String& AText) override;
  bool GetCustomValueText(const Variant& AValue, String& AText) override;
  bool IsSatisfied(const Variant& AValue, const Variant& AOperand) override;
  void GetCaption(String& AText) override;
  void GetKeyword(String& AText) override;
  bool UseDescription() override;
  bool NeedsExpandedText() override;
};

class TcxFilterNotBetweenOperator : public TcxFilterBetweenOperator {
  TL_FILTER_OPERATOR(TcxFilterNotBetweenOperator, TcxFilterBetweenOperator)
 public:
  void GetExpandedFilterText(const Variant& AValue, String& AText) override;
  bool IsSatisfied(const Variant& AValue, const Variant& AOperand) override;
  void GetCaption(String& AText) override;
  void GetKeyword(String& AText) override;
};

// A scalar operand is compared as a list of one; values that cannot be compared are not
// equal.
class TcxFilterInListOperator : public TcxFilterOperator {
  TL_FILTER_OPERATOR(TcxFilterInListOperator, TcxFilterOperator)
 public:
  ~TcxFilterInListOperator() override;
  void GetExpandedFilterText(const Variant& AValue, String& AText) override;
  void AdjustDisplayValue(String& AText) override;
  bool GetCustomValueText(const Variant& AValue, String& AText) override;
  bool IsSatisfied(const Variant& AValue, const Variant& AOperand) override;
  void GetCaption(String& AText) override;
  void GetKeyword(String& AText) override;
  bool UseDescription() override;
  bool NeedsExpandedText() override;
  void Prepare() override;

 private:
  // The condition's prepared list indexed once, for as long as that list stays prepared.
  std::unique_ptr<TcxFilterValueSet> FValueSet;
  UInt64 FValueSetGeneration = 0;
};

class TcxFilterNotInListOperator : public TcxFilterInListOperator {
  TL_FILTER_OPERATOR(TcxFilterNotInListOperator, TcxFilterInListOperator)
 public:
  void GetExpandedFilterText(const Variant& AValue, String& AText) override;
  bool IsSatisfied(const Variant& AValue, const Variant& AOperand) override;
  void GetCaption(String& AText) override;
  void GetKeyword(String& AText) override;
};

class TcxFilterNullOperator : public TcxFilterEqualOperator {
  TL_FILTER_OPERATOR(TcxFilterNullOperator, TcxFilterEqualOperator)
 public:
  void AdjustDisplayValue(String& AText) override;
  bool IsSatisfied(const Variant& AValue, const Variant& AOperand) override;
  void GetCaption(String& AText) override;
  bool IsNullOperator() override;
};

class TcxFilterNotNullOperator : public TcxFilterNullOperator {
  TL_FILTER_OPERATOR(TcxFilterNotNullOperator, TcxFilterNullOperator)
 public:
  void GetExpandedFilterText(const Variant& AValue, String& AText) override;
  bool IsSatisfied(const Variant& AValue, const Variant& AOperand) override;
  void GetCaption(String& AText) override;
  void GetKeyword(String& AText) override;
};

// DateStart (inclusive) to DateEnd (exclusive), computed by Prepare from today. A value
// that is no date satisfies nothing.
class TcxFilterDateOperator : public TcxFilterOperator {
  TL_FILTER_OPERATOR(TcxFilterDateOperator, TcxFilterOperator)
 public:
  void GetExpandedFilterText(const Variant& AValue, String& AText) override;
  void AdjustDisplayValue(String& AText) override;
  void Prepare() override;
  bool IsSatisfied(const Variant& AValue, const Variant& AOperand) override;
  void GetCaption(String& AText) override;
  void GetKeyword(String& AText) override;
  bool NeedsExpandedText() override;

  double DateStart() const { return FDateStart; }
  double DateEnd() const { return FDateEnd; }

 protected:
  virtual TcxFilterOperatorKind Kind() const = 0;

 private:
  double FDateStart = 0;
  double FDateEnd = 0;
};

#define TL_FILTER_DATE_OPERATOR(Name, AKind)                                   \
  class Name : public TcxFilterDateOperator {                                  \
    TL_FILTER_OPERATOR(Name, TcxFilterDateOperator)                            \
   protected:                                                                  \
    TcxFilterOperatorKind Kind() const override { return TcxFilterOperatorKind::AKind; } \
  };
TL_FILTER_DATE_OPERATOR(TcxFilterYesterdayOperator, foYesterday)
TL_FILTER_DATE_OPERATOR(TcxFilterTodayOperator, foToday)
TL_FILTER_DATE_OPERATOR(TcxFilterTomorrowOperator, foTomorrow)
TL_FILTER_DATE_OPERATOR(TcxFilterLastWeekOperator, foLastWeek)
TL_FILTER_DATE_OPERATOR(TcxFilterLastMonthOperator, foLastMonth)
TL_FILTER_DATE_OPERATOR(TcxFilterLastYearOperator, foLastYear)
TL_FILTER_DATE_OPERATOR(TcxFilterThisWeekOperator, foThisWeek)
TL_FILTER_DATE_OPERATOR(TcxFilterThisMonthOperator, foThisMonth)
TL_FILTER_DATE_OPERATOR(TcxFilterThisYearOperator, foThisYear)
TL_FILTER_DATE_OPERATOR(TcxFilterNextWeekOperator, foNextWeek)
TL_FILTER_DATE_OPERATOR(TcxFilterNextMonthOperator, foNextMonth)
TL_FILTER_DATE_OPERATOR(TcxFilterNextYearOperator, foNextYear)
#undef TL_FILTER_DATE_OPERATOR

// The class of each operator kind.
TcxFilterOperatorClass cxFilterOperatorClassOf(TcxFilterOperatorKind AKind);

// ---- Criteria items ----

class TcxCustomFilterCriteriaItem : public TObject {
  TL_CLASS(TcxCustomFilterCriteriaItem, TObject)
 public:
  explicit TcxCustomFilterCriteriaItem(TcxFilterCriteriaItemList* AParent) : FParent(AParent) {}
  // Takes the item out of its parent.
  void BeforeDestruction() override;

  // In slot order.
  virtual void Changed();
  virtual TcxFilterCriteria* GetCriteria() const;
  virtual bool IsItemList() const { return false; }
  // Extra data after the item's record; nothing here.
  virtual void ReadData(TStream& AStream);
  // The item's record.
  virtual void WriteData(TStream& AStream) = 0;

  TcxFilterCriteriaItemList* Parent() const { return FParent; }

 private:
  friend class TcxFilterCriteriaItemList;
  friend class TcxFilterCriteria;
  TcxFilterCriteriaItemList* FParent;
};

class TcxFilterCriteriaItemList : public TcxCustomFilterCriteriaItem {
  TL_CLASS(TcxFilterCriteriaItemList, TcxCustomFilterCriteriaItem)
 public:
  TcxFilterCriteriaItemList(TcxFilterCriteriaItemList* AParent, TcxFilterBoolOperatorKind ABoolOperatorKind);
  void BeforeDestruction() override;

  TcxFilterCriteria* GetCriteria() const override;
  bool IsItemList() const override { return true; }
  void WriteData(TStream& AStream) override;

  TcxFilterCriteriaItemList* AddItemList(TcxFilterBoolOperatorKind ABoolOperatorKind);
  TcxFilterCriteriaItem* AddItem(TObject* AItemLink, TcxFilterOperatorKind AOperatorKind, const Variant& AValue,
                                 const String& ADisplayValue);
  // Frees the children from the last to the first, inside one update of the criteria.
  void Clear();
  Integer Count() const { return Integer(FItems.size()); }
  // nullptr for an index out of range.
  TcxCustomFilterCriteriaItem* Items(Integer AIndex) const;
  void Remove(TcxCustomFilterCriteriaItem* AItem);
  Integer IndexOf(const TcxCustomFilterCriteriaItem* AItem) const;

  TcxFilterBoolOperatorKind BoolOperatorKind() const { return FBoolOperatorKind; }
  void SetBoolOperatorKind(TcxFilterBoolOperatorKind Value);

 private:
  friend class TcxFilterCriteria;
  friend class TcxCustomFilterCriteriaItem;
  TcxFilterBoolOperatorKind FBoolOperatorKind;
  TcxFilterCriteria* FCriteria = nullptr;  // the root's only
  std::vector<TcxCustomFilterCriteriaItem*> FItems;
};

class TcxFilterCriteriaItem : public TcxCustomFilterCriteriaItem {
  TL_CLASS(TcxFilterCriteriaItem, TcxCustomFilterCriteriaItem)
 public:
  TcxFilterCriteriaItem(TcxFilterCriteriaItemList* AParent, TObject* AItemLink, TcxFilterOperatorKind AOperatorKind,
                        const Variant& AValue, const String& ADisplayValue);
  void AfterConstruction() override;
  void BeforeDestruction() override;

  void WriteData(TStream& AStream) override;

  // In slot order.
  virtual void GetDataValue(Pointer AData, Variant& AValue);
  virtual String GetDisplayValue();
  virtual void GetValueText(bool ADisplay, String& AText);
  virtual void GetFieldCaption(String& AText);
  virtual void GetFieldName(String& AText);
  virtual TcxFilterOperatorClass GetFilterOperatorClass();
  virtual TObject* GetItemLink() { return FItemLink; }
  virtual void RecreateOperator();
  virtual bool IsNullValue(const Variant& AValue);

  const String& DisplayValue() const { return FDisplayValue; }
  void SetDisplayValue(const String& Value);
  TObject* ItemLink() { return GetItemLink(); }
  void SetItemLink(TObject* Value) { FItemLink = Value; }
  TcxFilterOperator* Operator() const { return FOperator; }
  TcxFilterOperatorKind OperatorKind() const { return FOperatorKind; }
  void SetOperatorKind(TcxFilterOperatorKind Value);
  const Variant& Value() const { return FValue; }
  // Stored, and the operator recreated, when the value differs element by element.
  void SetValue(const Variant& Value);

  // The operand as the criteria prepare it for every record, kept until the condition or
  // the criteria's options change.
  const Variant& PreparedValue();
  // Counts the preparations of the operand: what was derived from it is stale once this moves.
  UInt64 PreparedGeneration() const { return FPreparedGeneration; }

 private:
  friend class TcxFilterCriteria;
  String FDisplayValue;
  TObject* FItemLink;
  TcxFilterOperator* FOperator = nullptr;
  TcxFilterOperatorKind FOperatorKind;
  Variant FValue;
  Variant FPreparedValue;
  bool FPrepared = false;
  UInt64 FPreparedGeneration = 0;
};

using TcxFilterCriteriaItemClass =
    TMetaClass<TcxFilterCriteriaItem, TcxFilterCriteriaItemList*, TObject*, TcxFilterOperatorKind, const Variant&,
               const String&>;
using TcxFilterValueListClass = TMetaClass<TcxFilterValueList, TcxFilterCriteria*>;

// ---- Criteria ----

class TcxFilterCriteria : public TPersistent {
  TL_CLASS(TcxFilterCriteria, TPersistent)
 public:
  TcxFilterCriteria();
  void BeforeDestruction() override;
  void Assign(TPersistent* Source) override;

  // In slot order.
  virtual void CheckChanges();
  virtual void FormatBooleanValue(const Variant& AValue, String& AText);
  virtual void FormatDateTimeValue(const Variant& AValue, String& AText);
  virtual void FormatFilterTextValue(TcxFilterCriteriaItem* AItem, const Variant& AValue, String& AText);
  virtual void FilterCaption(String& AText);
  virtual void GetFilterText(bool ADisplay, String& AText);
  virtual void FilterText(String& AText);
  // The base raises EAbstractError: only subclasses stream conditions.
  virtual Integer GetIDByItemLink(TObject* AItemLink);
  virtual TcxFilterCriteriaItemClass GetItemClass();
  virtual void GetItemFilterText(TcxFilterCriteriaItem* AItem, bool ADisplay, String& AText);
  virtual void GetItemFieldText(TcxFilterCriteriaItem* AItem, bool ADisplay, String& AText);
  virtual void GetItemOperatorText(TcxFilterCriteriaItem* AItem, bool ADisplay, String& AText);
  virtual void GetItemValueText(TcxFilterCriteriaItem* AItem, bool ADisplay, String& AText);
  virtual TObject* GetItemLinkByID(Integer AID);
  virtual TcxFilterValueListClass GetValueListClass();
  virtual void PrepareOperators();
  virtual void PrepareValue(const Variant& AValue, Variant& AResult);
  virtual void ItemRemoving(TcxFilterCriteriaItem* AItem);  // a hook; nothing here
  virtual void DoChanged();
  virtual void AssignEvents(TPersistent* ASource);
  virtual void AssignItems(TcxFilterCriteria* ASource);
  virtual TcxFilterCriteriaItem* AddItem(TcxFilterCriteriaItemList* AParent, TObject* AItemLink,
                                         TcxFilterOperatorKind AOperatorKind, const Variant& AValue,
                                         const String& ADisplayValue);
  virtual void Changed();
  virtual TcxFilterCriteriaItem* FindItemByItemLink(TObject* AItemLink);
  virtual bool IsEmpty();
  // Through the component stream, the criteria under "Filter" of a TFilterWrapper. Loading
  // starts from empty criteria with default options, so what the stream omits is not kept.
  virtual void LoadFromStream(TStream& AStream);
  virtual void RestoreDefaults();
  virtual void SaveToStream(TStream& AStream);
  virtual bool IsValueNull(const Variant& AValue);
  // Hostile data (counts beyond the bytes left, unknown kinds or tags, nesting deeper than
  // cxFilterMaxNesting) raises EReadError "Stream read error"; the items read before stay.
  virtual void ReadData(TStream& AStream);
  virtual void WriteData(TStream& AStream);

  void BeginUpdate();
  void EndUpdate();
  Integer LockCount() const { return FLockCount; }
  void Clear();
  bool IsEqual(TcxFilterCriteria* ACriteria);
  void RemoveItemByItemLink(TObject* AItemLink);
  void RefreshOperators();
  bool DoFilterRecord(Pointer AData);
  bool HasData();

  TcxFilterCriteriaItemList* Root() const { return FRoot; }
  TcxFilterCriteriaOptions GetOptions() const { return FOptions; }
  void SetOptions(TcxFilterCriteriaOptions Value);
  Char GetPercentWildcard() const { return FPercentWildcard; }
  void SetPercentWildcard(Char Value);
  Char GetUnderscoreWildcard() const { return FUnderscoreWildcard; }
  void SetUnderscoreWildcard(Char Value);
  Integer GetMaxValueListCount() const { return FMaxValueListCount; }
  // A negative count is taken as 0 (no limit).
  void SetMaxValueListCount(Integer Value);
  const String& GetDateTimeFormat() const { return FDateTimeFormat; }
  void SetDateTimeFormat(const String& Value);
  bool GetSupportedLike() const { return FSupportedLike; }
  void SetSupportedLike(bool Value) { FSupportedLike = Value; }
  bool GetTranslateBetween() const { return FTranslateBetween; }
  void SetTranslateBetween(bool Value) { FTranslateBetween = Value; }
  bool GetTranslateIn() const { return FTranslateIn; }
  void SetTranslateIn(bool Value) { FTranslateIn = Value; }

  TNotifyEvent OnChanged;

 protected:
  // Conditions' prepared operands are dropped on every change.
  void InvalidatePreparedValues();

 private:
  bool EvaluateList(TcxFilterCriteriaItemList* AList, Pointer AData);
  bool EvaluateItem(TcxFilterCriteriaItem* AItem, Pointer AData);
  void ListText(TcxFilterCriteriaItemList* AList, bool ADisplay, String& AText);
  void ReadItems(TStream& AStream, TcxFilterCriteriaItemList* AParent, Integer ACount, int ADepth);

  TcxFilterCriteriaItemList* FRoot = nullptr;
  TcxFilterCriteriaOptions FOptions;
  Char FPercentWildcard = '%';
  Char FUnderscoreWildcard = '_';
  Integer FMaxValueListCount = 0;
  String FDateTimeFormat;
  bool FSupportedLike = true;
  bool FTranslateBetween = false;
  bool FTranslateIn = false;
  Integer FLockCount = 0;
  bool FChangePending = false;
};

// The root component under which criteria travel in component streams.
class TFilterWrapper : public TComponent {
  TL_CLASS(TFilterWrapper, TComponent)
 public:
  explicit TFilterWrapper(TComponent* AOwner) : TComponent(AOwner) {}
  TcxFilterCriteria* GetFilter() const { return FFilter; }
  void SetFilter(TcxFilterCriteria* Value) { FFilter = Value; }

 private:
  TcxFilterCriteria* FFilter = nullptr;
};

// ---- Filter value list ----

TL_ENUM(TcxFilterValueItemKind, fviAll, fviCustom, fviBlanks, fviNonBlanks, fviUser, fviValue, fviMRU,
        fviMRUSeparator);

struct TcxFilterValueItem {
  TcxFilterValueItemKind Kind;
  Variant Value;
  String DisplayText;
};

// Unsorted values are gathered in an ordered set and merged into the list when it is next
// read, so filling a list of d distinct values from N records costs N log d, with the
// entries, their order and the count limit exactly as adding them one by one would give.
class TcxFilterValueList : public TObject {
  TL_CLASS(TcxFilterValueList, TObject)
 public:
  explicit TcxFilterValueList(TcxFilterCriteria* ACriteria) : FCriteria(ACriteria) {}

  // In slot order.
  virtual Integer Compare(Integer AIndex, const Variant& AValue, const String& ADisplayText);
  virtual void Add(TcxFilterValueItemKind AKind, const Variant& AValue, const String& ADisplayText, bool AIsSorted);
  virtual void Clear();
  virtual bool Find(const Variant& AValue, const String& ADisplayText, Integer& AIndex);
  virtual Integer GetIndexByCriteriaItem(TcxFilterCriteriaItem* AItem);

  Integer IndexOfKind(TcxFilterValueItemKind AKind) const;
  Integer GetIndexByValue(const Variant& AValue);
  Integer Count() const {
    MergePending();
    return Integer(FItems.size());
  }
  const TcxFilterValueItem& Items(Integer AIndex) const;
  Integer MaxValueListCount() const { return FCriteria ? FCriteria->GetMaxValueListCount() : 0; }
  TcxFilterCriteria* Criteria() const { return FCriteria; }
  bool SortByDisplayText() const { return FSortByDisplayText; }
  void SetSortByDisplayText(bool Value) { FSortByDisplayText = Value; }

 private:
  struct PendingLess {
    TcxFilterValueList* List;
    bool operator()(const TcxFilterValueItem& A, const TcxFilterValueItem& B) const;
  };
  Integer FirstValueIndex() const;
  bool ContainsMerged(const Variant& AValue, const String& ADisplayText);
  Integer CompareEntries(const Variant& AValue1, const String& AText1, const Variant& AValue2, const String& AText2);
  void MergePending() const;

  TcxFilterCriteria* FCriteria;
  mutable std::vector<TcxFilterValueItem> FItems;
  mutable std::set<TcxFilterValueItem, PendingLess> FPending{PendingLess{this}};
  bool FSortByDisplayText = false;
};

namespace cxFilter {
void Initialize();
void Finalize();
}  // namespace cxFilter
