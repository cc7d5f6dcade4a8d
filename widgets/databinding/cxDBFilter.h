// The data-set controller's filter: the controller's criteria that can hand their filter
// text to the data set itself (AutoDataSetFilter), show it to the application before each
// change (OnBeforeChange), let the application format value texts, and name fields by
// their Origin unless IgnoreOrigin. Data sets whose class name holds "QUERY" read null
// tests as "IS NULL" and "IS NOT NULL".
#pragma once

#include "widgets/data/cxDataControllerFilter.h"
#include "widgets/data/cxFilter.h"
#include "widgets/databinding/cxDBUtils.h"

class TcxDBDataFilterCriteria;

using TcxDBDataFilterBeforeChangeEvent =
    TMethod<void(TcxDBDataFilterCriteria* Sender, TDataSet* ADataSet, const String& AFilterText)>;
using TcxDBDataFilterFormatFilterTextValueEvent =
    TMethod<void(TcxDBDataFilterCriteria* Sender, const Variant& AValue, String& ADisplayValue)>;

// A null test written as SQL writes it: "F IS NULL".
class TcxFilterSQLNullOperator : public TcxFilterNullOperator {
  TL_FILTER_OPERATOR(TcxFilterSQLNullOperator, TcxFilterNullOperator)
 public:
  void GetKeyword(String& AText) override;
};

// "F IS NOT NULL".
class TcxFilterSQLNotNullOperator : public TcxFilterNotNullOperator {
  TL_FILTER_OPERATOR(TcxFilterSQLNotNullOperator, TcxFilterNotNullOperator)
 public:
  void GetKeyword(String& AText) override;
};

// Chooses, per data-set class, the operator class a condition uses.
class TcxDBFilterOperatorAdapter : public TcxDBAdapterItem {
  TL_CLASS(TcxDBFilterOperatorAdapter, TcxDBAdapterItem)
 public:
  using TcxDBAdapterItem::TcxDBAdapterItem;
  // A null or not-null test against a data set whose upper-cased class name contains
  // "QUERY" becomes its SQL form; any other class stays.
  virtual void PrepareOperatorClass(TcxFilterCriteriaItem* AItem, TDataSet* ADataSet,
                                    TcxFilterOperatorClass& AOperatorClass);
};

class TcxDBDataFilterCriteriaItem : public TcxDataFilterCriteriaItem {
  TL_CLASS(TcxDBDataFilterCriteriaItem, TcxDataFilterCriteriaItem)
 public:
  using TcxDataFilterCriteriaItem::TcxDataFilterCriteriaItem;
  // The inherited class, then what the adapter registered for the data set's class makes
  // of it.
  TcxFilterOperatorClass GetFilterOperatorClass() override;
};

class TcxDBDataFilterCriteria : public TcxDataFilterCriteria {
  TL_CLASS(TcxDBDataFilterCriteria, TcxDataFilterCriteria)
 public:
  explicit TcxDBDataFilterCriteria(TcxCustomDataController* ADataController);

  // From other data-set criteria, in one update: the inherited assignment, then
  // AutoDataSetFilter and IgnoreOrigin.
  void Assign(TPersistent* Source) override;
  // A date goes to the data set year first, to the millisecond (2024-01-02 06:00:00.250),
  // which it reads as that date whatever its locale; DateTimeFormat, when set, writes the
  // dates of the text the application sees (OnBeforeChange, FilterText).
  void FormatDateTimeValue(const Variant& AValue, String& AText) override;
  // OnFormatFilterTextValue, when assigned, gets the value and its text.
  void FormatFilterTextValue(TcxFilterCriteriaItem* AItem, const Variant& AValue, String& AText) override;
  TcxFilterCriteriaItemClass GetItemClass() override;
  void DoChanged() override;
  void AssignEvents(TPersistent* ASource) override;
  void RestoreDefaults() override;
  // The controller filters its own records only while neither the data set nor the
  // application takes the filter over.
  bool IsFiltering() override;
  // A null test's keyword is the one of the data set read now, also for a test made while
  // another data set was read.
  void GetItemOperatorText(TcxFilterCriteriaItem* AItem, bool ADisplay, String& AText) override;

  bool AutoDataSetFilter() const { return FAutoDataSetFilter; }
  void SetAutoDataSetFilter(bool Value);
  bool IgnoreOrigin() const { return FIgnoreOrigin; }
  void SetIgnoreOrigin(bool Value);
  // AutoDataSetFilter, and the controller does not re-read single records by key
  // (smart refresh), which a data set that filters itself would defeat.
  bool IsAutoDataSetFilterInForce() const;
  // The controller's data set; nullptr without one.
  TDataSet* DataSet() const;

  TcxDBDataFilterBeforeChangeEvent OnBeforeChange;
  TcxDBDataFilterFormatFilterTextValueEvent OnFormatFilterTextValue;

 private:
  // Sets the data set's Filter, FilterOptions and Filtered when they differ; True when it
  // touched them.
  bool ApplyToDataSet(TDataSet* ADataSet, const String& AText, TFilterOptions AOptions, bool AFiltered);

  bool FAutoDataSetFilter = false;
  bool FIgnoreOrigin = true;
  bool FDeactivating = false;
  // The data set holds a filter these criteria gave it.
  bool FDataSetFiltered = false;
  // The text being written is the data set's.
  bool FWritingForDataSet = false;
};

// The filter-operator adapters, one per registered data-set class (TDataSet's from the
// start).
TcxDBAdapterList* cxDBFilterOperatorAdapters();

namespace cxDBFilter {
void Initialize();
void Finalize();
}  // namespace cxDBFilter
