#include "widgets/databinding/cxDBFilter.h"

#include "classlib/core/SysUtils.h"
#include "platform/kernel/Units.h"
#include "widgets/databinding/cxDBData.h"
#include "widgets/databinding/cxDBDataGuards.h"

namespace {

UnitCounter gDBFilterUnit;
TcxDBAdapterList* gFilterOperatorAdapters = nullptr;

bool IsEditing(TDataSet* ADataSet) {
  const TDataSetState state = ADataSet->State();
  return state == TDataSetState::dsEdit || state == TDataSetState::dsInsert || state == TDataSetState::dsSetKey;
}

String Padded(Word AValue, size_t AWidth) {
  String r = IntToStr(Integer(AValue));
  return r.size() < AWidth ? String(AWidth - r.size(), '0') + r : r;
}

}  // namespace

// ---- Operators ----

void TcxFilterSQLNullOperator::GetKeyword(String& AText) { AText = "IS"; }
void TcxFilterSQLNotNullOperator::GetKeyword(String& AText) { AText = "IS NOT"; }

void TcxDBFilterOperatorAdapter::PrepareOperatorClass(TcxFilterCriteriaItem*, TDataSet* ADataSet,
                                                      TcxFilterOperatorClass& AOperatorClass) {
  if (!ADataSet || !AOperatorClass) return;
  if (UpperCase(ADataSet->ClassName()).find("QUERY") == String::npos) return;
  using I = TcxFilterCriteriaItem*;
  // The not-null test descends from the null test: it is asked first.
  if (AOperatorClass.Class->InheritsFrom(TcxFilterNotNullOperator::StaticClass()))
    AOperatorClass = ClassOf<TcxFilterSQLNotNullOperator, TcxFilterOperator, I>();
  else if (AOperatorClass.Class->InheritsFrom(TcxFilterNullOperator::StaticClass()))
    AOperatorClass = ClassOf<TcxFilterSQLNullOperator, TcxFilterOperator, I>();
}

TcxFilterOperatorClass TcxDBDataFilterCriteriaItem::GetFilterOperatorClass() {
  TcxFilterOperatorClass result = inherited::GetFilterOperatorClass();
  auto* criteria = dynamic_cast<TcxDBDataFilterCriteria*>(GetCriteria());
  TDataSet* dataSet = criteria ? criteria->DataSet() : nullptr;
  Integer index;
  if (!dataSet || !gFilterOperatorAdapters || !gFilterOperatorAdapters->FindAdapter(&dataSet->ClassType(), index))
    return result;
  if (auto* adapter = dynamic_cast<TcxDBFilterOperatorAdapter*>(gFilterOperatorAdapters->GetItem(index)))
    adapter->PrepareOperatorClass(this, dataSet, result);
  return result;
}

// ---- Criteria ----

TcxDBDataFilterCriteria::TcxDBDataFilterCriteria(TcxCustomDataController* ADataController)
    : TcxDataFilterCriteria(ADataController) {
  FIgnoreOrigin = true;
}

void TcxDBDataFilterCriteria::Assign(TPersistent* Source) {
  auto* source = dynamic_cast<TcxDBDataFilterCriteria*>(Source);
  if (!source) {
    inherited::Assign(Source);
    return;
  }
  auto update = PairedCall([this] { BeginUpdate(); }, [this] { EndUpdate(); });
  inherited::Assign(Source);
  SetAutoDataSetFilter(source->FAutoDataSetFilter);
  SetIgnoreOrigin(source->FIgnoreOrigin);
}

void TcxDBDataFilterCriteria::FormatDateTimeValue(const Variant& AValue, String& AText) {
  if (!GetDateTimeFormat().empty() && !FWritingForDataSet) {
    inherited::FormatDateTimeValue(AValue, AText);
    return;
  }
  // The locale's text would be read back in whatever locale holds when the data set reads
  // it, and without its milliseconds.
  const TDateTime date = AValue.AsDateTime();
  Word year, month, day, hour, minute, second, msec;
  DecodeDate(date, year, month, day);
  DecodeTime(date, hour, minute, second, msec);
  AText = Padded(year, 4) + "-" + Padded(month, 2) + "-" + Padded(day, 2);
  if (hour == 0 && minute == 0 && second == 0 && msec == 0) return;
  AText += " " + Padded(hour, 2) + ":" + Padded(minute, 2) + ":" + Padded(second, 2);
  if (msec != 0) AText += "." + Padded(msec, 3);
}

void TcxDBDataFilterCriteria::FormatFilterTextValue(TcxFilterCriteriaItem*, const Variant& AValue, String& AText) {
  if (OnFormatFilterTextValue) OnFormatFilterTextValue(this, AValue, AText);
}

TcxFilterCriteriaItemClass TcxDBDataFilterCriteria::GetItemClass() {
  return ClassOf<TcxDBDataFilterCriteriaItem, TcxFilterCriteriaItem, TcxFilterCriteriaItemList*, TObject*,
                 TcxFilterOperatorKind, const Variant&, const String&>();
}

void TcxDBDataFilterCriteria::AssignEvents(TPersistent* ASource) {
  inherited::AssignEvents(ASource);
  if (auto* source = dynamic_cast<TcxDBDataFilterCriteria*>(ASource)) {
    OnBeforeChange = source->OnBeforeChange;
    OnFormatFilterTextValue = source->OnFormatFilterTextValue;
  }
}

void TcxDBDataFilterCriteria::RestoreDefaults() {
  auto update = PairedCall([this] { BeginUpdate(); }, [this] { EndUpdate(); });
  inherited::RestoreDefaults();
  SetAutoDataSetFilter(false);
  SetIgnoreOrigin(true);
}

bool TcxDBDataFilterCriteria::IsFiltering() {
  return inherited::IsFiltering() && !OnBeforeChange && !IsAutoDataSetFilterInForce();
}

void TcxDBDataFilterCriteria::GetItemOperatorText(TcxFilterCriteriaItem* AItem, bool ADisplay, String& AText) {
  TcxFilterOperator* op = AItem->Operator();
  const TcxFilterOperatorClass fitting = op && op->IsNullOperator() ? AItem->GetFilterOperatorClass()
                                                                   : TcxFilterOperatorClass();
  if (!fitting || fitting.Class == &op->ClassType()) {
    inherited::GetItemOperatorText(AItem, ADisplay, AText);
    return;
  }
  // The operator was chosen for another data set; the one this data set takes writes the text.
  Owned<TcxFilterOperator> now(fitting.Create(AItem));
  if (ADisplay && (now->UseDescription() || GetOptions().Contains(TcxFilterCriteriaOption::fcoShowOperatorDescription)))
    now->GetCaption(AText);
  else
    now->GetKeyword(AText);
}

void TcxDBDataFilterCriteria::SetAutoDataSetFilter(bool Value) {
  if (FAutoDataSetFilter == Value) return;
  FAutoDataSetFilter = Value;
  Changed();
}

void TcxDBDataFilterCriteria::SetIgnoreOrigin(bool Value) {
  if (FIgnoreOrigin == Value) return;
  FIgnoreOrigin = Value;
  Changed();
}

bool TcxDBDataFilterCriteria::IsAutoDataSetFilterInForce() const {
  if (!FAutoDataSetFilter) return false;
  const auto* controller = dynamic_cast<const TcxDBDataController*>(DataController());
  return !controller || !controller->Provider() || !controller->IsSmartRefreshActive();
}

TDataSet* TcxDBDataFilterCriteria::DataSet() const {
  const auto* controller = dynamic_cast<const TcxDBDataController*>(DataController());
  return controller && controller->Provider() ? controller->DataSet() : nullptr;
}

bool TcxDBDataFilterCriteria::ApplyToDataSet(TDataSet* ADataSet, const String& AText, TFilterOptions AOptions,
                                             bool AFiltered) {
  if (ADataSet->Filter() == AText && ADataSet->FilterOptions() == AOptions && ADataSet->Filtered() == AFiltered)
    return false;
  {
    auto controls = PairedCall([ADataSet] { ADataSet->DisableControls(); },
                               [ADataSet] { ADataSet->EnableControls(); });
    ADataSet->SetFilter(AText);
    ADataSet->SetFilterOptions(AOptions);
    ADataSet->SetFiltered(AFiltered);
  }
  return true;
}

void TcxDBDataFilterCriteria::DoChanged() {
  if (FDeactivating) return;
  TcxCustomDataController* c = DataController();
  if (c && c->Filter() == this && !c->IsDestroying()) {
    TDataSet* dataSet = DataSet();
    // A pending edit of the data set is settled first; when it cannot be, the filter is
    // switched off and the error passes on.
    if (dataSet && IsEditing(dataSet)) {
      try {
        c->CheckBrowseState();
      } catch (...) {  // written out: the filter is switched off on an error only
        FDeactivating = true;
        try {
          SetActive(false);
        } catch (...) {
          // The first error is the one the caller sees.
        }
        FDeactivating = false;
        throw;
      }
    }
    if (OnBeforeChange && !c->IsLoading()) {
      String text;
      FilterText(text);
      OnBeforeChange(this, dataSet, text);
    }
    if (dataSet && IsAutoDataSetFilterInForce()) {
      String text;
      {
        TWatchedValue<bool> forDataSet(this, FWritingForDataSet, true);
        FilterText(text);
      }
      const TFilterOptions options = GetOptions().Contains(TcxFilterCriteriaOption::fcoCaseInsensitive)
                                         ? TFilterOptions{TFilterOption::foCaseInsensitive}
                                         : TFilterOptions{};
      const bool changed = ApplyToDataSet(dataSet, text, options, GetActive() && !text.empty());
      FDataSetFiltered = true;
      // The data set filters and tells its controller: nothing more to do here.
      if (changed) return;
    } else if (dataSet && FDataSetFiltered) {
      // The data set no longer filters for these criteria: the filter they gave it is
      // taken back, or the controller would filter only what the old filter left.
      ApplyToDataSet(dataSet, String(), dataSet->FilterOptions(), false);
      FDataSetFiltered = false;
    }
  }
  inherited::DoChanged();
}

TcxDBAdapterList* cxDBFilterOperatorAdapters() { return gFilterOperatorAdapters; }

TL_DEFINE_CLASS(TcxFilterSQLNullOperator)
TL_DEFINE_CLASS(TcxFilterSQLNotNullOperator)
TL_DEFINE_CLASS(TcxDBFilterOperatorAdapter)
TL_DEFINE_CLASS(TcxDBDataFilterCriteriaItem)
TL_DEFINE_CLASS(TcxDBDataFilterCriteria, [](auto& c) {
  using T = TcxDBDataFilterCriteria;
  c.Property("AutoDataSetFilter", &T::AutoDataSetFilter, &T::SetAutoDataSetFilter).Default(false);
  c.Property("DateTimeFormat", &T::GetDateTimeFormat, &T::SetDateTimeFormat);
  c.Property("IgnoreOrigin", &T::IgnoreOrigin, &T::SetIgnoreOrigin).Default(true);
  c.Property("TranslateBetween", &T::GetTranslateBetween, &T::SetTranslateBetween).Default(false);
  c.Property("TranslateIn", &T::GetTranslateIn, &T::SetTranslateIn).Default(false);
  c.Property("SupportedLike", &T::GetSupportedLike, &T::SetSupportedLike).Default(true);
  c.Event("OnBeforeChange", &T::OnBeforeChange);
  c.Event("OnFormatFilterTextValue", &T::OnFormatFilterTextValue);
})

namespace cxDBFilter {
void Initialize() {
  if (!gDBFilterUnit.Enter()) return;
  gFilterOperatorAdapters = New<TcxDBAdapterList>();
  gFilterOperatorAdapters->RegisterAdapter(&TDataSet::StaticClass(),
                                           ClassOf<TcxDBFilterOperatorAdapter, TcxDBAdapterItem, const TClass*>());
}

void Finalize() {
  if (!gDBFilterUnit.Leave()) return;
  if (gFilterOperatorAdapters) gFilterOperatorAdapters->Free();
  gFilterOperatorAdapters = nullptr;
}
}  // namespace cxDBFilter
