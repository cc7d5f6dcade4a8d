#include "widgets/data/cxDataSummary.h"

#include "classlib/core/ScopeGuards.h"
#include "classlib/core/SysUtils.h"
#include "widgets/data/cxData.h"
#include "widgets/data/cxDataController.h"
#include "widgets/data/cxDataUtils.h"
#include "widgets/foundation/cxVariants.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <typeinfo>

using enum TcxSummaryKind;
using enum TcxSummaryPosition;
using enum TcxSummaryOption;

namespace {

TcxCustomDataField* FieldOfLink(TcxCustomDataController* AController, TObject* AItemLink) {
  if (!AItemLink) return nullptr;
  if (auto* field = dynamic_cast<TcxCustomDataField*>(AItemLink)) return field;
  return AController ? AController->Fields()->FieldByItem(AItemLink) : nullptr;
}

// Whether a handler just run freed the controller of a summary that had one.
bool ControllerFreed(const TWeakLink& AController, bool AHadController) { return AHadController && !AController.Alive(); }

// Decimal fields hand out their values as texts; summed or compared as texts they would
// concatenate and sort "10" before "9".
bool IsDecimalField(const TcxCustomDataField* AField) {
  TcxValueTypeClass type = AField ? AField->GetValueTypeClass() : nullptr;
  return type && type->InheritsFrom(TcxFMTBcdValueType::StaticClass());
}


}  // namespace

// ---- Items ----

TcxCustomDataController* TcxCustomDataSummaryItem::GetDataController() const {
  if (auto* items = dynamic_cast<TcxDataSummaryItems*>(Collection())) return items->DataController();
  if (auto* links = dynamic_cast<TcxDataSummaryGroupItemLinks*>(Collection())) {
    TcxDataSummary* summary = links->SummaryGroup() ? links->SummaryGroup()->Summary() : nullptr;
    return summary ? summary->DataController() : nullptr;
  }
  return nullptr;
}

void TcxCustomDataSummaryItem::Assign(TPersistent* Source) {
  if (auto* source = dynamic_cast<TcxCustomDataSummaryItem*>(Source)) {
    SetItemLink(source->ItemLink());
    return;
  }
  inherited::Assign(Source);
}

void TcxCustomDataSummaryItem::SetField(TcxCustomDataField* Value) {
  if (FField == Value) return;
  FField = Value;
  FieldChanged();
}

TObject* TcxCustomDataSummaryItem::ItemLink() const { return FField ? FField->Item() : nullptr; }

void TcxCustomDataSummaryItem::SetItemLink(TObject* Value) {
  TcxCustomDataField* field = FieldOfLink(GetDataController(), Value);
  if (field == FField) return;
  TCollection* owner = Collection();
  auto bracket = PairedCall(
      [owner] {
        if (owner) owner->BeginUpdate();
      },
      [owner] {
        if (owner) owner->EndUpdate();
      });
  SetField(field);
  if (auto* link = dynamic_cast<TcxDataSummaryGroupItemLink*>(this)) {
    auto* links = dynamic_cast<TcxDataSummaryGroupItemLinks*>(owner);
    if (links && links->SummaryGroup() && links->SummaryGroup()->Summary())
      links->SummaryGroup()->Summary()->LinkSet(link);
  }
}

void TcxDataSummaryItem::Assign(TPersistent* Source) {
  if (auto* source = dynamic_cast<TcxDataSummaryItem*>(Source)) {
    TCollection* owner = Collection();
    auto bracket = PairedCall(
        [owner] {
          if (owner) owner->BeginUpdate();
        },
        [owner] {
          if (owner) owner->EndUpdate();
        });
    inherited::Assign(Source);
    SetFormat(source->FFormat);
    SetKind(source->FKind);
    SetPosition(source->GetPosition());
    OnGetText = source->OnGetText;
    return;
  }
  inherited::Assign(Source);
}

bool TcxDataSummaryItem::IsCurrency(TVarType AVarType) const { return cxIsCurrencyVarType(AVarType); }

bool TcxDataSummaryItem::IsCalculated() const {
  return Field() || (FKind == skCount && GetPosition() == spGroup);
}

bool TcxDataSummaryItem::IsPositionStored() const {
  TcxDataSummaryItems* items = SummaryItems();
  return items && items->IsItemPositionStored(this);
}

TcxDataSummaryItems* TcxDataSummaryItem::SummaryItems() const { return dynamic_cast<TcxDataSummaryItems*>(Collection()); }

void TcxDataSummaryItem::SetFormat(const String& Value) {
  if (FFormat == Value) return;
  FFormat = Value;
  Changed(false);
}

void TcxDataSummaryItem::SetKind(TcxSummaryKind Value) {
  if (FKind == Value) return;
  FKind = Value;
  Changed(true);
}

TcxSummaryPosition TcxDataSummaryItem::GetPosition() const {
  TcxDataSummaryItems* items = SummaryItems();
  return items ? items->GetItemPosition(this) : FPosition;
}

void TcxDataSummaryItem::SetPosition(TcxSummaryPosition Value) {
  if (FPosition == Value) return;
  FPosition = Value;
  Changed(false);
}

void TcxDataSummaryItem::FormatValue(const Variant& AValue, bool AIsFooter, String& AText) {
  if (VarIsNull(AValue) || VarIsEmpty(AValue)) {
    AText.clear();
  } else if (FKind == skNone) {
    AText = VarToStr(AValue);
  } else {
    const TVarType type = VarType(AValue);
    String format = FFormat;
    if (format.empty()) {
      // A decimal field's values are currency-like wherever they come as numbers.
      const bool currency = IsCurrency(type) || (IsDecimalField(Field()) && VarIsNumeric(AValue));
      const TcxSummaryValueType valueType = currency                   ? TcxSummaryValueType::svtCurrency
                                            : cxIsDateVarType(type)  ? TcxSummaryValueType::svtDate
                                                                      : TcxSummaryValueType::svtFloat;
      TcxDataSummaryItems* items = SummaryItems();
      if (items) format = items->GetDefaultFormat(valueType, FKind, AIsFooter);
    }
    if (cxIsDateVarType(type) && FKind != skCount) {
      const double dt = AValue.AsDouble();
      const double whole = std::trunc(dt);
      if (dt == whole)
        AText = format + DateToStr(dt);
      else if (whole == 0)
        AText = format + TimeToStr(dt);
      else
        AText = format + DateTimeToStr(dt);
    } else if (VarIsNumeric(AValue) || type == varCurrency) {
      AText = FormatFloat(format, AValue.AsDouble());
    } else {
      // A minimum or maximum of texts shows the text itself.
      AText = VarToStr(AValue);
    }
  }
  if (OnGetText) OnGetText(this, AValue, AIsFooter, AText);
}

// ---- Item collections ----

TPersistent* TcxDataSummaryItems::GetOwner() const { return FSummary; }

TcxCustomDataController* TcxDataSummaryItems::DataController() const {
  return FSummary ? FSummary->DataController() : nullptr;
}

TcxSummaryPosition TcxDataSummaryItems::GetItemPosition(const TcxDataSummaryItem* AItem) const {
  return AItem->StoredPosition();
}

TcxDataSummaryItem* TcxDataSummaryItems::GetDataItem(Integer AItemIndex, TcxSummaryPosition APosition) const {
  TcxCustomDataController* c = DataController();
  if (!c) return nullptr;
  TcxCustomDataField* field = c->GetItemField(AItemIndex);
  for (Integer i = 0; i < Count(); ++i) {
    TcxDataSummaryItem* item = Items(i);
    if (item->Field() == field && item->GetPosition() == APosition) return item;
  }
  return nullptr;
}

bool TcxDataSummaryItems::IsEmptyItem(const String& AFormat, TcxSummaryKind AKind) const {
  return AFormat.empty() && AKind == skNone;
}

void TcxDataSummaryItems::AssignEvents(TPersistent* ASource) {
  if (auto* source = dynamic_cast<TcxDataSummaryItems*>(ASource)) OnSummary = source->OnSummary;
}

String TcxDataSummaryItems::GetDefaultFormat(TcxSummaryValueType AValueType, TcxSummaryKind AKind,
                                             bool AIsFooter) const {
  static const char* const kPrefix[] = {"", "SUM=", "MIN=", "MAX=", "COUNT=", "AVG="};
  const String prefix = kPrefix[size_t(AKind)];
  if (AKind == skNone) return String();
  if (AKind == skCount) return AIsFooter ? String("0") : String("COUNT=0");
  // A footer sum carries no prefix; the others name their kind in both places.
  const String p = AKind == skSum && AIsFooter ? String() : prefix;
  switch (AValueType) {
    case TcxSummaryValueType::svtCurrency: {
      const String money = cxGetCurrencyDisplayFormat();
      return p + money + ";" + p + "-" + money;
    }
    case TcxSummaryValueType::svtDate:
      return p;
    default:
      return p + "0.00;" + p + "-0.00";
  }
}

void TcxDataSummaryItems::GetGroupSummaryText(const Variant&, String& AText) { AText.clear(); }

TcxDataSummaryItem* TcxDataSummaryItems::Add(TObject* AItemLink, TcxSummaryPosition APosition, TcxSummaryKind AKind,
                                             const String& AFormat) {
  auto bracket = UpdateBracket(this);
  TcxDataSummaryItem* item = Add();
  item->SetItemLink(AItemLink);
  item->SetPosition(APosition);
  item->SetKind(AKind);
  item->SetFormat(AFormat);
  return item;
}

Integer TcxDataSummaryItems::IndexOf(const TcxDataSummaryItem* AItem) const {
  for (Integer i = 0; i < Count(); ++i)
    if (Items(i) == AItem) return i;
  return -1;
}

Integer TcxDataSummaryItems::IndexOfItemLink(TObject* AItemLink) const {
  return IndexOfField(FieldOfLink(DataController(), AItemLink));
}

TcxDataSummaryItem* TcxDataSummaryItems::ItemOfItemLink(TObject* AItemLink) const {
  const Integer i = IndexOfItemLink(AItemLink);
  return i >= 0 ? Items(i) : nullptr;
}

Integer TcxDataSummaryItems::IndexOfField(const TcxCustomDataField* AField) const {
  if (!AField) return -1;
  for (Integer i = 0; i < Count(); ++i)
    if (Items(i)->Field() == AField) return i;
  return -1;
}

TcxDataSummaryItem* TcxDataSummaryItems::ItemOfField(const TcxCustomDataField* AField) const {
  const Integer i = IndexOfField(AField);
  return i >= 0 ? Items(i) : nullptr;
}

String TcxDataSummaryItems::GetDataItemFormat(Integer AItemIndex, TcxSummaryPosition APosition) const {
  TcxDataSummaryItem* item = GetDataItem(AItemIndex, APosition);
  return item ? item->GetFormat() : String();
}

TcxSummaryKind TcxDataSummaryItems::GetDataItemKind(Integer AItemIndex, TcxSummaryPosition APosition) const {
  TcxDataSummaryItem* item = GetDataItem(AItemIndex, APosition);
  return item ? item->GetKind() : skNone;
}

TcxDataSummaryItem* TcxDataSummaryItems::DataItemOrNew(Integer AItemIndex, TcxSummaryPosition APosition,
                                                       bool ACreate) {
  TcxDataSummaryItem* item = GetDataItem(AItemIndex, APosition);
  if (item || !ACreate) return item;
  return Add(DataController()->GetItem(AItemIndex), APosition, skNone);
}

void TcxDataSummaryItems::SetDataItemFormat(Integer AItemIndex, TcxSummaryPosition APosition, const String& AValue) {
  TcxDataSummaryItem* item = DataItemOrNew(AItemIndex, APosition, !AValue.empty());
  if (!item) return;
  if (IsEmptyItem(AValue, item->GetKind()))
    item->Free();
  else
    item->SetFormat(AValue);
}

void TcxDataSummaryItems::SetDataItemKind(Integer AItemIndex, TcxSummaryPosition APosition, TcxSummaryKind AValue) {
  TcxDataSummaryItem* item = DataItemOrNew(AItemIndex, APosition, AValue != skNone);
  if (!item) return;
  if (IsEmptyItem(item->GetFormat(), AValue))
    item->Free();
  else
    item->SetKind(AValue);
}

void TcxDataSummaryItems::Update(TCollectionItem*) {
  if (FSummary) FSummary->Update(true);
}

void TcxDataGroupSummaryItems::GetGroupSummaryText(const Variant& AValues, String& AText) {
  AText.clear();
  for (Integer i = 0; i < Count(); ++i) {
    TcxDataSummaryItem* item = Items(i);
    if (item->GetPosition() != spGroup) continue;
    Variant value = Null();
    if (VarIsArray(AValues) && i <= VarArrayHighBound(AValues)) value = VarArrayGet(AValues, i);
    // An item with nothing to show (a Null value) leaves no empty place between separators.
    const String text = item->FormatText(value, false);
    if (text.empty()) continue;
    if (!AText.empty()) AText += FSeparator + " ";
    AText += text;
  }
  if (!AText.empty()) AText = FBeginText + AText + FEndText;
}

void TcxDataGroupSummaryItems::SetBeginText(const String& Value) {
  if (FBeginText == Value) return;
  FBeginText = Value;
  Changed();
}

void TcxDataGroupSummaryItems::SetEndText(const String& Value) {
  if (FEndText == Value) return;
  FEndText = Value;
  Changed();
}

void TcxDataGroupSummaryItems::SetSeparator(const String& Value) {
  if (FSeparator == Value) return;
  FSeparator = Value;
  Changed();
}

// ---- Summary groups ----

TcxDataSummaryGroupItemLinks::TcxDataSummaryGroupItemLinks(TcxDataSummaryGroup* AGroup)
    : TCollection(ClassOf<TcxDataSummaryGroupItemLink, TCollectionItem, TCollection*>()), FGroup(AGroup) {}

TPersistent* TcxDataSummaryGroupItemLinks::GetOwner() const { return FGroup; }

Integer TcxDataSummaryGroupItemLinks::IndexOfField(const TcxCustomDataField* AField) const {
  if (!AField) return -1;
  for (Integer i = 0; i < Count(); ++i)
    if (Items(i)->Field() == AField) return i;
  return -1;
}

void TcxDataSummaryGroupItemLinks::Update(TCollectionItem*) {
  if (FGroup && FGroup->Summary()) FGroup->Summary()->Update(true);
}

void TcxDataSummaryGroup::AfterConstruction() {
  inherited::AfterConstruction();
  TcxCustomDataController* c = Summary() ? Summary()->DataController() : nullptr;
  FSummaryItems = New<TcxDataGroupSummaryItems>(
      Summary(), c ? c->GetSummaryItemClass() : ClassOf<TcxDataSummaryItem, TCollectionItem, TCollection*>());
}

void TcxDataSummaryGroup::BeforeDestruction() {
  inherited::BeforeDestruction();
  FreeAndNil(FSummaryItems);
  FreeAndNil(FLinks);
}

void TcxDataSummaryGroup::Assign(TPersistent* Source) {
  if (auto* source = dynamic_cast<TcxDataSummaryGroup*>(Source)) {
    if (source->FLinks) Links()->Assign(source->FLinks);
    else if (FLinks) FLinks->Clear();
    FSummaryItems->Assign(source->FSummaryItems);
    return;
  }
  inherited::Assign(Source);
}

TcxDataSummaryGroups* TcxDataSummaryGroup::SummaryGroups() const {
  return dynamic_cast<TcxDataSummaryGroups*>(Collection());
}

TcxDataSummary* TcxDataSummaryGroup::Summary() const {
  TcxDataSummaryGroups* groups = SummaryGroups();
  return groups ? groups->Summary() : nullptr;
}

TcxDataSummaryGroupItemLinks* TcxDataSummaryGroup::Links() {
  if (!FLinks) FLinks = New<TcxDataSummaryGroupItemLinks>(this);
  return FLinks;
}

TcxDataSummaryGroups::TcxDataSummaryGroups(TcxDataSummary* ASummary)
    : TCollection(ClassOf<TcxDataSummaryGroup, TCollectionItem, TCollection*>()), FSummary(ASummary) {}

TPersistent* TcxDataSummaryGroups::GetOwner() const { return FSummary; }

TcxDataSummaryGroup* TcxDataSummaryGroups::FindByItemLink(TObject* AItemLink) const {
  TcxCustomDataField* field = FieldOfLink(FSummary ? FSummary->DataController() : nullptr, AItemLink);
  if (!field) return nullptr;
  for (Integer i = 0; i < Count(); ++i) {
    TcxDataSummaryGroup* group = Items(i);
    if (group->HasLinks() && group->Links()->IndexOfField(field) >= 0) return group;
  }
  return nullptr;
}

void TcxDataSummaryGroups::Update(TCollectionItem*) {
  if (FSummary) FSummary->Update(true);
}

// ---- Summary ----

TcxDataSummary::TcxDataSummary(TcxCustomDataController* ADataController) : FDataController(ADataController) {
  const auto itemClass = ADataController ? ADataController->GetSummaryItemClass()
                                         : ClassOf<TcxDataSummaryItem, TCollectionItem, TCollection*>();
  FDefaultGroupSummaryItems = New<TcxDataGroupSummaryItems>(this, itemClass);
  FFooterSummaryItems = New<TcxDataFooterSummaryItems>(this, itemClass);
  FSummaryGroups = New<TcxDataSummaryGroups>(this);
  FFooterSummaryValues = Null();
}

void TcxDataSummary::BeforeDestruction() {
  FDestroying = true;
  ++FLockCount;  // no recalculation while the collections go
  FreeAndNil(FSummaryGroups);
  FreeAndNil(FFooterSummaryItems);
  FreeAndNil(FDefaultGroupSummaryItems);
  inherited::BeforeDestruction();
}

void TcxDataSummary::Assign(TPersistent* Source) {
  auto* source = dynamic_cast<TcxDataSummary*>(Source);
  if (!source) {
    inherited::Assign(Source);
    return;
  }
  BeginUpdate();
  try {
    FDefaultGroupSummaryItems->Assign(source->FDefaultGroupSummaryItems);
    FDefaultGroupSummaryItems->AssignEvents(source->FDefaultGroupSummaryItems);
    FFooterSummaryItems->Assign(source->FFooterSummaryItems);
    FFooterSummaryItems->AssignEvents(source->FFooterSummaryItems);
    FSummaryGroups->Assign(source->FSummaryGroups);
    SetOptions(source->FOptions);
    OnAfterSummary = source->OnAfterSummary;
  } catch (...) {
    // An error closes the bracket without the recalculation a normal end runs.
    CancelUpdate();
    throw;
  }
  EndUpdate();
}

void TcxDataSummary::BeginCalculation(TcxDataSummaryItems* AItems, TcxDataSummaryValues& AValues,
                                      TcxDataSummaryCountValues& ACounts) {
  AValues.assign(size_t(AItems->Count()), Unassigned());
  ACounts.assign(size_t(AItems->Count()), 0);
}

namespace {

// Numbers read straight from record buffers, for items that the variant steps would
// accumulate without side effects; the results, their variant types included, are those
// of CalculateItem and its variant arithmetic.
enum class TNum { kNone, kInt32, kInt64, kDouble, kDate, kCurr };

TNum NumKindOf(TcxValueTypeClass AType) {
  if (AType == TcxIntegerValueType::StaticClass() || AType == TcxSmallintValueType::StaticClass() ||
      AType == TcxWordValueType::StaticClass())
    return TNum::kInt32;
  if (AType == TcxLargeIntValueType::StaticClass()) return TNum::kInt64;
  if (AType == TcxFloatValueType::StaticClass()) return TNum::kDouble;
  if (AType == TcxDateTimeValueType::StaticClass()) return TNum::kDate;
  if (AType == TcxCurrencyValueType::StaticClass()) return TNum::kCurr;
  return TNum::kNone;
}

struct TNumber {
  Int64 I = 0;  // integers, currency (ten-thousandths)
  double D = 0;
};

TNumber ReadNumber(TcxValueTypeClass AType, TNum AKind, const void* P) {
  TNumber n;
  switch (AKind) {
    case TNum::kInt32:
      if (AType == TcxSmallintValueType::StaticClass()) {
        int16_t v;
        std::memcpy(&v, P, sizeof v);
        n.I = v;
      } else if (AType == TcxWordValueType::StaticClass()) {
        uint16_t v;
        std::memcpy(&v, P, sizeof v);
        n.I = v;
      } else {
        int32_t v;
        std::memcpy(&v, P, sizeof v);
        n.I = v;
      }
      break;
    case TNum::kInt64:
    case TNum::kCurr: std::memcpy(&n.I, P, sizeof n.I); break;
    default: std::memcpy(&n.D, P, sizeof n.D); break;
  }
  return n;
}

// One field's values as ReadNumber reads them, by record: null flags, and each value's
// bytes (a number's; nothing for other types, whose items only count).
struct TSummaryColumn {
  TcxValueDef* Def = nullptr;
  std::vector<std::uint64_t> Bits;
  std::vector<char> Null;
};

bool IsIntKind(TNum AKind) { return AKind == TNum::kInt32 || AKind == TNum::kInt64; }
bool IsRealKind(TNum AKind) { return AKind == TNum::kDouble || AKind == TNum::kDate; }

template <class T>
int Order(T A, T B) {
  return A == B ? 0 : A < B ? -1 : 1;  // NaN answers 1, as the variant compare does
}

class TFastItem {
 public:
  TFastItem(TcxDataSummaryItem* AItem, TcxValueDef* ADef, TNum ANum, bool ANullIgnore, const Variant& AValue,
            Integer ACount)
      : FItem(AItem), FDef(ADef), FNum(ANum), FKind(AItem->GetKind()), FNullIgnore(ANullIgnore), FCount(ACount) {
    if (FKind == TcxSummaryKind::skNone) return;
    const TVarType t = VarType(AValue);
    if (VarIsEmpty(AValue)) return;
    if (FKind == TcxSummaryKind::skCount) {
      FOk = false;
      return;
    }
    if (FKind == TcxSummaryKind::skSum || FKind == TcxSummaryKind::skAverage) {
      if (t == varInteger || t == varSmallint || t == varWord) {
        FSum = kInt;
        FValue.I = AValue.AsInt64();
      } else if (t == varInt64) {
        FSum = kInt;
        FWide = true;
        FValue.I = AValue.AsInt64();
      } else if (t == varCurrency) {
        FSum = kCurr;
        FValue.I = AValue.AsCurrency().Raw;
      } else if (t == varDouble) {
        FSum = kDouble;
        FValue.D = AValue.AsDouble();
      } else if (t == varDate) {
        FSum = kDate;
        FValue.D = AValue.AsDouble();
      } else {
        FOk = false;
      }
      return;
    }
    // A minimum or maximum carried over: the field's own kind of value.
    FStarted = true;
    if (IsIntKind(FNum) && (t == varInteger || t == varSmallint || t == varWord || t == varInt64))
      FValue.I = AValue.AsInt64();
    else if (FNum == TNum::kCurr && t == varCurrency)
      FValue.I = AValue.AsCurrency().Raw;
    else if ((FNum == TNum::kDouble && t == varDouble) || (FNum == TNum::kDate && t == varDate))
      FValue.D = AValue.AsDouble();
    else
      FOk = false;
  }

  bool Ok() const { return FOk; }
  TcxValueDef* Def() const { return FDef; }

  // The record's value read out of the column of the item's field when there is one (a column
  // holds every record), else out of the record's buffer.
  void Add(const TSummaryColumn* AColumn, const TcxDataStorage* AStorage, Integer ARecord) {
    if (FKind == TcxSummaryKind::skNone || !FOk) return;
    const void* p = nullptr;
    bool isNull;
    if (AColumn && ARecord >= 0 && size_t(ARecord) < AColumn->Null.size()) {
      isNull = AColumn->Null[size_t(ARecord)] != 0;
      p = &AColumn->Bits[size_t(ARecord)];
    } else {
      isNull = !FDef || AStorage->GetDataBuffer(ARecord, FDef, p) || !p;
    }
    if (isNull) {
      if (FNullIgnore) return;
      if ((FKind == TcxSummaryKind::skSum || FKind == TcxSummaryKind::skAverage) && FSum == kNone) FSum = kInt;
      ++FCount;
      return;
    }
    if (FNum == TNum::kNone) {
      // A count reads no value: the field may be narrower than any number read here.
      ++FCount;
      return;
    }
    const TNumber x = ReadNumber(FDef->ValueTypeClass(), FNum, p);
    if (FNum == TNum::kDate && std::isnan(x.D)) {
      FOk = false;  // a date that is no number: the variant steps decide what it gives
      return;
    }
    switch (FKind) {
      case TcxSummaryKind::skSum:
      case TcxSummaryKind::skAverage: AddToSum(x); break;
      case TcxSummaryKind::skMin:
      case TcxSummaryKind::skMax: {
        int order = 0;
        if (FStarted) order = IsRealKind(FNum) ? Order(x.D, FValue.D) : Order(x.I, FValue.I);
        if (!FStarted || (FKind == TcxSummaryKind::skMin ? order < 0 : order > 0)) {
          FValue = x;
          FStarted = true;
          FBest = ARecord;
        }
        break;
      }
      default: break;
    }
    ++FCount;
  }

  // Into the running variant and count, as the variant steps would have left them.
  void Store(TcxCustomDataController* AController, Variant& AValue, Integer& ACount) const {
    ACount = FCount;
    switch (FKind) {
      case TcxSummaryKind::skSum:
      case TcxSummaryKind::skAverage:
        switch (FSum) {
          case kInt: AValue = FWide ? Variant(FValue.I) : Variant(Integer(FValue.I)); break;
          case kCurr: AValue = Variant(Currency::FromRaw(FValue.I)); break;
          case kDouble: AValue = Variant(FValue.D); break;
          case kDate: AValue = VarFromDateTime(TDateTime{FValue.D}); break;
          default: break;
        }
        break;
      case TcxSummaryKind::skMin:
      case TcxSummaryKind::skMax:
        if (FBest >= 0) AValue = AController->GetValue(FBest, FItem->Field());
        break;
      default: break;
    }
  }

 private:
  enum TSum { kNone, kInt, kCurr, kDouble, kDate };

  void AddToSum(const TNumber& x) {
    switch (FSum) {
      case kNone:
        FValue = x;
        FSum = IsIntKind(FNum) ? kInt : FNum == TNum::kCurr ? kCurr : FNum == TNum::kDate ? kDate : kDouble;
        FWide = FNum == TNum::kInt64;
        return;
      case kInt:
        if (IsIntKind(FNum)) {
          Int64 r;
          if (__builtin_add_overflow(FValue.I, x.I, &r)) {
            FOk = false;  // on past Int64 the variant steps go on in doubles
            return;
          }
          FValue.I = r;
          FWide = FWide || FNum == TNum::kInt64 || r < INT32_MIN || r > INT32_MAX;
        } else if (FNum == TNum::kCurr) {
          Int64 raw, r;
          if (__builtin_mul_overflow(FValue.I, Int64(10000), &raw) || __builtin_add_overflow(raw, x.I, &r)) {
            FOk = false;
            return;
          }
          FValue.I = r;
          FSum = kCurr;
        } else {
          FValue.D = double(FValue.I) + x.D;
          FSum = FNum == TNum::kDate ? kDate : kDouble;
        }
        return;
      case kCurr: {
        Int64 r;
        if (FNum != TNum::kCurr || __builtin_add_overflow(FValue.I, x.I, &r)) {
          FOk = false;
          return;
        }
        FValue.I = r;
        return;
      }
      case kDouble:
      case kDate:
        if (!IsRealKind(FNum)) {
          FOk = false;
          return;
        }
        FValue.D += x.D;
        return;
    }
  }

  TcxDataSummaryItem* FItem;
  TcxValueDef* FDef;
  TNum FNum;
  TcxSummaryKind FKind;
  bool FNullIgnore;
  Integer FCount;
  bool FOk = true;
  TSum FSum = kNone;
  bool FWide = false;
  bool FStarted = false;
  TNumber FValue;
  Integer FBest = -1;
};

}  // namespace

// The columns of one summary pass, each read when an item first asks for its field; all read
// again when the records changed meanwhile (a handler of the pass changed them). Used only
// when the pass reads most records, in an order other than theirs: rows in storage order
// read the buffers one after another already.
struct TcxDataSummaryColumns {
  TcxCustomDataController* Controller = nullptr;
  const TcxDataStorage* Storage = nullptr;
  Int64 ChangeCount = 0;
  Integer State = 0;  // 0 not decided yet, 1 in use, -1 not worth it
  std::vector<std::unique_ptr<TSummaryColumn>> Columns;

  bool Use() {
    if (State == 0) {
      const std::vector<Integer>& rows = Controller->DataControllerInfo()->RecordList();
      const size_t records = size_t(std::max<Integer>(Controller->GetRecordCount(), 0));
      const bool most = rows.size() >= 256 && rows.size() >= records / 8;
      State = most && !std::is_sorted(rows.begin(), rows.end()) ? 1 : -1;
    }
    return State > 0;
  }

  const TSummaryColumn* Find(TcxValueDef* ADef, TNum ANum) {
    if (!ADef) return nullptr;
    if (ChangeCount != Storage->ChangeCount()) {
      Columns.clear();
      ChangeCount = Storage->ChangeCount();
    }
    for (const auto& c : Columns)
      if (c->Def == ADef) return c.get();
    auto column = std::make_unique<TSummaryColumn>();
    column->Def = ADef;
    const size_t n = size_t(std::max<Integer>(Storage->RecordCount(), 0));
    const size_t size =
        ANum == TNum::kNone ? 0 : size_t(std::clamp<Integer>(ADef->DataSize(), 0, 8));
    column->Null.resize(n);
    column->Bits.resize(n);
    Storage->GetDataColumn(ADef, size, column->Bits.data(), column->Null.data());
    Columns.push_back(std::move(column));
    return Columns.back().get();
  }
};

// A summary pass: each field's values may be read out once, in storage order, instead of
// one record buffer per record in row order (decided when an item first reads numbers).
class TcxDataSummaryColumnScope {
 public:
  explicit TcxDataSummaryColumnScope(TcxDataSummary* ASummary)
      : FSummary(ASummary), FLink(ASummary) {
    TcxCustomDataController* c = ASummary->FDataController;
    if (!c || ASummary->FColumns || c->IsGridMode() || c->IsProviderMode()) return;
    FColumns.Controller = c;
    FColumns.Storage = c->DataStorage();
    FColumns.ChangeCount = FColumns.Storage->ChangeCount();
    ASummary->FColumns = &FColumns;
    FOwned = true;
  }
  ~TcxDataSummaryColumnScope() {
    if (FOwned && FLink.Alive()) FSummary->FColumns = nullptr;
  }
  TcxDataSummaryColumnScope(const TcxDataSummaryColumnScope&) = delete;
  TcxDataSummaryColumnScope& operator=(const TcxDataSummaryColumnScope&) = delete;

 private:
  TcxDataSummary* FSummary;
  TWeakLink FLink;
  TcxDataSummaryColumns FColumns;
  bool FOwned = false;
};

bool TcxDataSummary::CanCalculateFromStorage(TcxDataSummaryItems* AItems) const {
  // Only where no step can be told apart: no handler, no descendant's steps, values read
  // from the storage as they stand.
  const TcxCustomDataController* c = FDataController;
  return !AItems->OnSummary && typeid(*this) == typeid(TcxDataSummary) && !c->IsProviderMode() && !c->IsGridMode() &&
         (typeid(*c) == typeid(TcxDataController) || typeid(*c) == typeid(TcxCustomDataController));
}

void TcxDataSummary::CalculateRecords(TcxDataSummaryItems* AItems, Integer AFromPosition, Integer AToPosition,
                                      TcxDataSummaryValues& AValues, TcxDataSummaryCountValues& ACounts) {
  const Integer count = AItems->Count();
  std::vector<TcxDataSummaryItem*> slow;
  std::vector<Integer> slowIndex;
  std::vector<TFastItem> fast;
  std::vector<Integer> fastIndex;
  const bool storage = CanCalculateFromStorage(AItems);
  for (Integer i = 0; i < count; ++i) {
    TcxDataSummaryItem* item = AItems->Items(i);
    if (!FFailed.empty() && std::find(FFailed.begin(), FFailed.end(), item) != FFailed.end()) continue;
    if (!item->IsCalculated()) continue;
    TcxCustomDataField* field = item->Field();
    TcxValueDef* def = field ? field->GetValueDef() : nullptr;
    const TNum num = def ? NumKindOf(def->ValueTypeClass()) : TNum::kNone;
    const bool counted = item->GetKind() == skCount || item->GetKind() == skNone;
    if (storage && typeid(*item) == typeid(TcxDataSummaryItem) && (num != TNum::kNone || (counted && (def || !field)))) {
      TFastItem f(item, def, num, FOptions.Contains(soNullIgnore), AValues[size_t(i)], ACounts[size_t(i)]);
      if (f.Ok()) {
        fast.push_back(f);
        fastIndex.push_back(i);
        continue;
      }
    }
    slow.push_back(item);
    slowIndex.push_back(i);
  }
  if (!fast.empty()) {
    const TcxDataStorage* data = FDataController->DataStorage();
    std::vector<const TSummaryColumn*> columns(fast.size(), nullptr);
    if (FColumns && FColumns->Storage == data && FColumns->Use())
      for (size_t k = 0; k < fast.size(); ++k) {
        TcxValueDef* def = fast[k].Def();
        columns[k] = FColumns->Find(def, def ? NumKindOf(def->ValueTypeClass()) : TNum::kNone);
      }
    // Every row counts (GetRecordIndex is this class's own): the rows are read as they lie.
    const std::vector<Integer>& rows = FDataController->DataControllerInfo()->RecordList();
    const bool direct = !FOptions.Contains(soSelectedRecords) && AFromPosition >= 0 &&
                        AToPosition < Integer(rows.size());
    for (Integer pos = AFromPosition; pos <= AToPosition; ++pos) {
      const Integer record = direct ? rows[size_t(pos)] : GetRecordIndex(pos);
      if (record == -1) continue;
      for (size_t k = 0; k < fast.size(); ++k) fast[k].Add(columns[k], data, record);
    }
    for (size_t k = 0; k < fast.size(); ++k) {
      const size_t i = size_t(fastIndex[k]);
      if (fast[k].Ok()) {
        fast[k].Store(FDataController, AValues[i], ACounts[i]);
      } else {
        // An overflow the variant steps handle their own way: those steps do it.
        slow.push_back(AItems->Items(Integer(i)));
        slowIndex.push_back(Integer(i));
      }
    }
  }
  if (slow.empty()) return;
  for (Integer pos = AFromPosition; pos <= AToPosition; ++pos) {
    const Integer record = GetRecordIndex(pos);
    if (record == -1) continue;
    for (size_t k = 0; k < slow.size(); ++k) {
      TcxDataSummaryItem* item = slow[k];
      if (!FFailed.empty() && std::find(FFailed.begin(), FFailed.end(), item) != FFailed.end()) continue;
      const size_t i = size_t(slowIndex[k]);
      try {
        CalculateItem(item, record, AValues[i], ACounts[i]);
      } catch (const TcxDataControllerFreed&) {
        throw;
      } catch (...) {
        // A sum over texts, a raising handler: this item ends as Null, the rest go on.
        FFailed.push_back(item);
        AValues[i] = Null();
      }
    }
  }
}

void TcxDataSummary::Update(bool AChanged) {
  if (!AChanged || FInCalculation || FLockCount != 0 || FDestroying) return;
  SummaryChanged();
}

void TcxDataSummary::SummaryChanged() {
  if (!FDataController || !FDataController->DataControllerInfo()) return;
  auto bracket = UpdateBracket(FDataController);
  FDataController->DataControllerInfo()->AddChanges({TcxDataControllerInfoChange::dcicSummary});
}

void TcxDataSummary::DoAfterSummary() {
  if (!OnAfterSummary) return;
  if (FDataController && FDataController->IsLoading()) {
    FAfterSummaryPending = true;
    return;
  }
  FAfterSummaryPending = false;
  // A pattern detail shows no rows: its clones tell their own summaries.
  if (FInCalculation && !(FDataController && FDataController->GetDetailMode() == TcxDataControllerDetailMode::dcdmPattern)) {
    TWeakLink controller(FDataController);
    const bool owned = FDataController != nullptr;
    OnAfterSummary(this);
    if (ControllerFreed(controller, owned)) throw TcxDataControllerFreed();
  }
}

void TcxDataSummary::FinishItem(TcxDataSummaryItem* AItem, Variant& AValue, Integer& ACount) {
  if (!FFailed.empty() && std::find(FFailed.begin(), FFailed.end(), AItem) != FFailed.end()) {
    AValue = Null();
    return;
  }
  if (VarIsEmpty(AValue)) AValue = Null();
  if (!AItem->IsCalculated()) return;
  const TcxSummaryKind kind = AItem->GetKind();
  if (kind == skCount) {
    AValue = ACount;
  } else if (kind == skAverage && ACount > 0 && !VarIsNull(AValue)) {
    const bool date = cxIsDateVarType(VarType(AValue));
    try {
      AValue = AValue / Variant(ACount);
      if (date) AValue = VarFromDateTime(AValue.AsDouble());
    } catch (...) {  // not cleanup: an average that cannot be taken is Null
      AValue = Null();
    }
  }
}

void TcxDataSummary::CalculateItem(TcxDataSummaryItem* AItem, Integer ARecordIndex, Variant& AValue,
                                   Integer& ACount) {
  if (!AItem->IsCalculated()) return;
  TcxCustomDataField* field = AItem->Field();
  Variant v = field ? FDataController->GetValue(ARecordIndex, field) : Null();
  TcxDataSummaryItems* items = AItem->SummaryItems();
  if (items && items->OnSummary) {
    const TcxSummaryEventArguments args{ARecordIndex, AItem};
    TcxSummaryEventOutArguments out{v, AValue, ACount, false};
    TWeakLink controller(FDataController);
    const bool owned = FDataController != nullptr;
    items->OnSummary(items, args, out);
    if (ControllerFreed(controller, owned)) throw TcxDataControllerFreed();
    AValue = out.SummaryValue;
    ACount = out.CountValue;
    v = out.Value;
    if (out.Done) return;
  }
  if (field) v = cxValueTypeNumber(field->GetValueTypeClass(), v);
  const TcxSummaryKind kind = AItem->GetKind();
  if (kind == skNone) return;
  const bool isNull = VarIsNull(v) || VarIsEmpty(v);
  if (isNull && FOptions.Contains(soNullIgnore)) return;
  if (VarIsEmpty(AValue)) {
    if (kind == skCount) {
    } else if ((kind == skMin || kind == skMax) && isNull) {
    } else {
      AValue = isNull ? Null() : v;
      if (isNull && (kind == skSum || kind == skAverage)) AValue = 0;
    }
  } else if (!isNull && !VarIsNull(AValue)) {
    switch (kind) {
      case skSum:
      case skAverage: AValue = AValue + v; break;
      case skMin:
        if (cxCompareVariants(v, AValue) < 0) AValue = v;
        break;
      case skMax:
        if (cxCompareVariants(v, AValue) > 0) AValue = v;
        break;
      default: break;
    }
  }
  ++ACount;
}

void TcxDataSummary::EndCalculation(TcxDataSummaryItems* AItems, TcxDataSummaryCountValues& ACounts, Variant& AResult,
                                    TcxDataSummaryValues& AValues) {
  for (Integer i = 0; i < AItems->Count(); ++i) FinishItem(AItems->Items(i), AValues[size_t(i)], ACounts[size_t(i)]);
  AResult = AValues.empty() ? Null() : VarArrayOf(AValues);
}

Integer TcxDataSummary::GetRecordIndex(Integer APosition) const {
  TcxCustomDataController* c = FDataController;
  const Integer record = c->GetFilteredRecordIndex(APosition);
  if (!FOptions.Contains(soSelectedRecords) || record < 0) return record;
  if (!c->IsMultiSelect()) return record == c->GetFocusedRecordIndex() && c->GetSelectedCount() > 0 ? record : -1;
  const Integer row = c->GetRowIndexByRecordIndex(record, false);
  return row >= 0 && c->IsRowSelected(row) ? record : -1;
}

bool TcxDataSummary::IsValidIndex(const Variant& AValues, Integer AIndex) const {
  return VarIsArray(AValues) && AIndex >= 0 && AIndex <= VarArrayHighBound(AValues);
}

// A handler that frees the controller (and this summary with it) ends the calculation
// at once: the callers find it gone through their own links.
void TcxDataSummary::CalculateFooterSummary() {
  if (FSuspended || FDestroying) return;
  try {
    TWatchedValue<bool> calculating(this, FInCalculation, true);
    TcxDataSummaryColumnScope columns(this);
    FFailed.clear();
    DoCalculateFooter();
  } catch (const TcxDataControllerFreed&) {
  }
}

void TcxDataSummary::CalculateGroupSummaries() {
  if (FSuspended || FDestroying) return;
  try {
    TWatchedValue<bool> calculating(this, FInCalculation, true);
    TcxDataSummaryColumnScope columns(this);
    FFailed.clear();
    DoCalculateGroups();
    DoAfterSummary();
  } catch (const TcxDataControllerFreed&) {
  }
}

void TcxDataSummary::Calculate() {
  TWeakLink self(this);
  CalculateFooterSummary();
  if (self.Alive()) CalculateGroupSummaries();
}

void TcxDataSummary::DoCalculateFooter() {
  TcxDataSummaryValues values;
  TcxDataSummaryCountValues counts;
  BeginCalculation(FFooterSummaryItems, values, counts);
  if (!FDataController->IsGridMode())
    CalculateRecords(FFooterSummaryItems, 0, FDataController->GetFilteredRecordCount() - 1, values, counts);
  EndCalculation(FFooterSummaryItems, counts, FFooterSummaryValues, values);
}

void TcxDataSummary::DoCalculateGroups() {
  TcxDataGroups* groups = FDataController->DataControllerInfo()->Groups();
  const Integer levels = groups->LevelCount();
  if (levels == 0 || groups->Count() == 0) return;
  struct TAccumulation {
    TcxDataSummaryItems* Items;
    TcxDataSummaryValues Values;
    TcxDataSummaryCountValues Counts;
    Integer Group = -1;
  };
  std::vector<TAccumulation> open(static_cast<size_t>(levels));
  for (Integer l = 0; l < levels; ++l) open[size_t(l)].Items = GetGroupSummaryItems(l);
  auto finish = [&](Integer ALevel) {
    TAccumulation& a = open[size_t(ALevel)];
    if (a.Group < 0) return;
    Variant result;
    EndCalculation(a.Items, a.Counts, result, a.Values);
    groups->Items(a.Group).SummaryValues = result;
    a.Group = -1;
  };
  for (Integer g = 0; g < groups->Count(); ++g) {
    const TcxDataGroupInfo& group = groups->Items(g);
    const Integer level = group.Level;
    for (Integer l = levels - 1; l >= level; --l) finish(l);
    TAccumulation& a = open[size_t(level)];
    BeginCalculation(a.Items, a.Values, a.Counts);
    a.Group = g;
    if (level != levels - 1) continue;
    // A deepest group's records count for it and for every group above it.
    for (Integer l = 0; l < levels; ++l) {
      TAccumulation& up = open[size_t(l)];
      if (up.Group >= 0) CalculateRecords(up.Items, group.BeginIndex, group.EndIndex, up.Values, up.Counts);
    }
  }
  for (Integer l = levels - 1; l >= 0; --l) finish(l);
}

void TcxDataSummary::BeginUpdate() {
  if (FDataController) FDataController->BeginUpdate();
  ++FLockCount;
}

void TcxDataSummary::EndUpdate() {
  if (FLockCount > 0) --FLockCount;
  TWatchedScopeExit done(this, [this] {
    if (FDataController) FDataController->EndUpdate();
  });
  Update(true);
}

void TcxDataSummary::CancelUpdate() {
  if (FLockCount > 0) --FLockCount;
  if (FDataController) FDataController->EndUpdate();
}

void TcxDataSummary::SetOptions(TcxSummaryOptions Value) {
  if (FOptions == Value) return;
  FOptions = Value;
  Update(true);
}

Variant TcxDataSummary::GetFooterSummaryValue(Integer AIndex) const {
  return IsValidIndex(FFooterSummaryValues, AIndex) ? VarArrayGet(FFooterSummaryValues, AIndex) : Null();
}

void TcxDataSummary::SetFooterSummaryValue(Integer AIndex, const Variant& AValue) {
  if (!IsValidIndex(FFooterSummaryValues, AIndex) || cxVariantsEqual(VarArrayGet(FFooterSummaryValues, AIndex), AValue))
    return;
  VarArrayPut(FFooterSummaryValues, AValue, AIndex);
  Update(true);
}

String TcxDataSummary::GetFooterSummaryText(Integer AIndex) {
  if (AIndex < 0 || AIndex >= FFooterSummaryItems->Count()) return String();
  return FFooterSummaryItems->Items(AIndex)->FormatText(GetFooterSummaryValue(AIndex), true);
}

TcxDataGroupSummaryItems* TcxDataSummary::GetGroupSummaryItems(Integer ALevel) const {
  const TcxGroupingFieldList* grouping = FDataController->DataControllerInfo()->GroupingFieldList();
  if (ALevel >= 0 && ALevel < grouping->Count())
    if (TcxDataSummaryGroup* group = FSummaryGroups->FindByItemLink(grouping->Items(ALevel).Field))
      return group->SummaryItems();
  return FDefaultGroupSummaryItems;
}

Variant TcxDataSummary::GetGroupSummaryValue(Integer AGroupIndex, Integer AIndex) const {
  TcxDataGroups* groups = FDataController->DataControllerInfo()->Groups();
  if (!groups->IsValid(AGroupIndex)) return Null();
  const Variant& values = groups->Items(AGroupIndex).SummaryValues;
  return IsValidIndex(values, AIndex) ? VarArrayGet(values, AIndex) : Null();
}

void TcxDataSummary::SetGroupSummaryValue(Integer AGroupIndex, Integer AIndex, const Variant& AValue) {
  TcxDataGroups* groups = FDataController->DataControllerInfo()->Groups();
  if (!groups->IsValid(AGroupIndex)) return;
  Variant& values = groups->Items(AGroupIndex).SummaryValues;
  if (!IsValidIndex(values, AIndex) || cxVariantsEqual(VarArrayGet(values, AIndex), AValue)) return;
  VarArrayPut(values, AValue, AIndex);
  Update(true);
}

String TcxDataSummary::GetGroupSummaryText(Integer AGroupIndex) {
  TcxDataGroups* groups = FDataController->DataControllerInfo()->Groups();
  if (!groups->IsValid(AGroupIndex)) return String();
  String text;
  GetGroupSummaryItems(groups->Items(AGroupIndex).Level)->GetGroupSummaryText(groups->Items(AGroupIndex).SummaryValues,
                                                                               text);
  return text;
}

void TcxDataSummary::FieldRemoved(TcxCustomDataField* AField) {
  bool changed = false;
  auto drop = [&](TCollection* ACollection) {
    for (Integer i = 0; i < ACollection->Count(); ++i) {
      auto* item = static_cast<TcxCustomDataSummaryItem*>(ACollection->Items(i));
      if (item->Field() != AField) continue;
      item->SetField(nullptr);
      changed = true;
    }
  };
  drop(FFooterSummaryItems);
  drop(FDefaultGroupSummaryItems);
  for (Integer g = 0; g < FSummaryGroups->Count(); ++g) {
    TcxDataSummaryGroup* group = FSummaryGroups->Items(g);
    drop(group->SummaryItems());
    if (group->HasLinks()) drop(group->Links());
  }
  if (changed) Update(true);
}

void TcxDataSummary::LinkSet(TcxDataSummaryGroupItemLink* ALink) {
  TcxCustomDataField* field = ALink->Field();
  if (!field) return;
  for (Integer g = 0; g < FSummaryGroups->Count(); ++g) {
    TcxDataSummaryGroup* group = FSummaryGroups->Items(g);
    if (!group->HasLinks()) continue;
    TcxDataSummaryGroupItemLinks* links = group->Links();
    for (Integer i = links->Count() - 1; i >= 0; --i)
      if (links->Items(i) != ALink && links->Items(i)->Field() == field) links->Items(i)->Free();
  }
}

TL_DEFINE_CLASS(TcxCustomDataSummaryItem)
TL_DEFINE_CLASS(TcxDataSummaryItem, [](auto& c) {
  using T = TcxDataSummaryItem;
  c.Property("Format", &T::GetFormat, &T::SetFormat);
  c.Property("Kind", &T::GetKind, &T::SetKind).Default(TcxSummaryKind::skNone);
  c.Property("Position", &T::StoredPosition, &T::SetPosition).Stored(&T::IsPositionStored);
  c.Event("OnGetText", &T::OnGetText);
})
TL_DEFINE_CLASS(TcxDataSummaryItems, [](auto& c) { c.Event("OnSummary", &TcxDataSummaryItems::OnSummary); })
TL_DEFINE_CLASS(TcxDataFooterSummaryItems)
TL_DEFINE_CLASS(TcxDataGroupSummaryItems, [](auto& c) {
  using T = TcxDataGroupSummaryItems;
  c.Property("BeginText", &T::GetBeginText, &T::SetBeginText).Stored(&T::IsBeginTextStored);
  c.Property("EndText", &T::GetEndText, &T::SetEndText).Stored(&T::IsEndTextStored);
  c.Property("Separator", &T::GetSeparator, &T::SetSeparator).Stored(&T::IsSeparatorStored);
})
TL_DEFINE_CLASS(TcxDataSummaryGroupItemLink)
TL_DEFINE_CLASS(TcxDataSummaryGroupItemLinks)
TL_DEFINE_CLASS(TcxDataSummaryGroup, [](auto& c) {
  using T = TcxDataSummaryGroup;
  c.Property("Links", &T::Links);
  c.Property("SummaryItems", &T::SummaryItems);
})
TL_DEFINE_CLASS(TcxDataSummaryGroups)
TL_DEFINE_CLASS(TcxDataSummary, [](auto& c) {
  using T = TcxDataSummary;
  c.Property("DefaultGroupSummaryItems", &T::DefaultGroupSummaryItems);
  c.Property("FooterSummaryItems", &T::FooterSummaryItems);
  c.Property("SummaryGroups", &T::SummaryGroups);
  c.Property("Options", &T::GetOptions, &T::SetOptions).Default(TcxSummaryOptions{});
  c.Event("OnAfterSummary", &T::OnAfterSummary);
})

// ---- The controller's summary ----

TcxDataSummaryClass TcxCustomDataController::GetSummaryClass() const {
  return ClassOf<TcxDataSummary, TcxDataSummary, TcxCustomDataController*>();
}

TcxDataSummaryItemClass TcxCustomDataController::GetSummaryItemClass() const {
  return ClassOf<TcxDataSummaryItem, TCollectionItem, TCollection*>();
}

void TcxCustomDataController::SetSummary(TcxDataSummary* Value) { FSummary->Assign(Value); }

void TcxCustomDataController::CalculateFooterSummary() {
  if (FSummary) FSummary->CalculateFooterSummary();
}

void TcxCustomDataController::CalculateGroupSummaries() {
  if (!FSummary) return;
  TWeakLink self(this);
  if (SummaryCountsSelectedOnly()) FSummary->CalculateFooterSummary();
  if (self.Alive()) FSummary->CalculateGroupSummaries();
}

bool TcxCustomDataController::SummaryCountsSelectedOnly() const {
  return FSummary && FSummary->GetOptions().Contains(TcxSummaryOption::soSelectedRecords);
}
