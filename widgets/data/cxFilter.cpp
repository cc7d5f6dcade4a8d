// Filter criteria and their items.
#include "widgets/data/cxFilter.h"

#include "classlib/core/ScopeGuards.h"
#include "classlib/core/SysUtils.h"
#include "platform/kernel/CodePage.h"
#include "platform/kernel/Units.h"
#include "widgets/data/cxFilterConsts.h"
#include "widgets/foundation/cxVariants.h"

#include <algorithm>
#include <iterator>

using namespace cxFilterConsts;

namespace {

UnitCounter gFilterUnit;

[[noreturn]] void StreamReadError() { throw EReadError("Stream read error"); }

template <class F>
void ForEachCondition(TcxFilterCriteriaItemList* AList, F&& AFunc) {
  for (Integer i = 0; i < AList->Count(); ++i) {
    TcxCustomFilterCriteriaItem* item = AList->Items(i);
    if (item->IsItemList())
      ForEachCondition(static_cast<TcxFilterCriteriaItemList*>(item), AFunc);
    else
      AFunc(static_cast<TcxFilterCriteriaItem*>(item));
  }
}

bool ValuesDiffer(const Variant& A, const Variant& B) {
  if (VarType(A) != VarType(B)) return true;
  try {
    return !cxVariantsEqual(A, B);
  } catch (const Exception&) {
    return true;
  }
}

// A wide text upper-cased as the code page's case table does, and kept wide: read through
// the code page, characters it lacks would all become '?' and match one another.
// Characters outside the code page keep their case.
WideString UpperCaseInCodePage(const WideString& AText) {
  WideString r = AText;
  for (char16_t& c : r) {
    const int b = CpFromUnicode(c);
    if (b >= 0) c = CpToUnicode(CpUpper(Byte(b)));
  }
  return r;
}

}  // namespace

// ---- TcxCustomFilterCriteriaItem ----

void TcxCustomFilterCriteriaItem::BeforeDestruction() {
  if (TcxFilterCriteriaItemList* parent = FParent) {
    FParent = nullptr;
    // Looked for from the end, where a list that clears itself frees its items: clearing
    // stays linear in their number.
    auto& items = parent->FItems;
    auto it = std::find(items.rbegin(), items.rend(), this);
    if (it != items.rend()) {
      items.erase(std::next(it).base());
      parent->Changed();
    }
  }
  inherited::BeforeDestruction();
}

void TcxCustomFilterCriteriaItem::Changed() {
  if (TcxFilterCriteria* criteria = GetCriteria()) criteria->Changed();
}

TcxFilterCriteria* TcxCustomFilterCriteriaItem::GetCriteria() const { return FParent ? FParent->GetCriteria() : nullptr; }
void TcxCustomFilterCriteriaItem::ReadData(TStream&) {}

// ---- TcxFilterCriteriaItemList ----

TcxFilterCriteriaItemList::TcxFilterCriteriaItemList(TcxFilterCriteriaItemList* AParent,
                                                     TcxFilterBoolOperatorKind ABoolOperatorKind)
    : TcxCustomFilterCriteriaItem(AParent), FBoolOperatorKind(ABoolOperatorKind) {}

void TcxFilterCriteriaItemList::BeforeDestruction() {
  while (!FItems.empty()) FItems.back()->Free();
  inherited::BeforeDestruction();
}

TcxFilterCriteria* TcxFilterCriteriaItemList::GetCriteria() const {
  return FCriteria ? FCriteria : inherited::GetCriteria();
}

void TcxFilterCriteriaItemList::WriteData(TStream& AStream) {
  cxStreamWriteBoolean(AStream, true);
  cxStreamWriteByte(AStream, Byte(FBoolOperatorKind));
  cxStreamWriteInteger(AStream, Count());
  for (TcxCustomFilterCriteriaItem* item : FItems) item->WriteData(AStream);
}

TcxFilterCriteriaItemList* TcxFilterCriteriaItemList::AddItemList(TcxFilterBoolOperatorKind ABoolOperatorKind) {
  auto list = New<TcxFilterCriteriaItemList>(this, ABoolOperatorKind);
  FItems.push_back(list);
  Changed();
  return list;
}

TcxFilterCriteriaItem* TcxFilterCriteriaItemList::AddItem(TObject* AItemLink, TcxFilterOperatorKind AOperatorKind,
                                                          const Variant& AValue, const String& ADisplayValue) {
  if (TcxFilterCriteria* criteria = GetCriteria())
    return criteria->AddItem(this, AItemLink, AOperatorKind, AValue, ADisplayValue);
  auto item = New<TcxFilterCriteriaItem>(this, AItemLink, AOperatorKind, AValue, ADisplayValue);
  FItems.push_back(item);
  return item;
}

void TcxFilterCriteriaItemList::Clear() {
  // A list outside any criteria has no bracket to hold.
  TcxFilterCriteria* criteria = GetCriteria();
  auto bracket = PairedCall(
      [criteria] {
        if (criteria) criteria->BeginUpdate();
      },
      [criteria] {
        if (criteria) criteria->EndUpdate();
      });
  while (!FItems.empty()) FItems.back()->Free();
}

TcxCustomFilterCriteriaItem* TcxFilterCriteriaItemList::Items(Integer AIndex) const {
  return AIndex >= 0 && AIndex < Count() ? FItems[size_t(AIndex)] : nullptr;
}

void TcxFilterCriteriaItemList::Remove(TcxCustomFilterCriteriaItem* AItem) {
  auto it = std::find(FItems.begin(), FItems.end(), AItem);
  if (it == FItems.end()) return;
  FItems.erase(it);
  AItem->FParent = nullptr;
  Changed();
}

Integer TcxFilterCriteriaItemList::IndexOf(const TcxCustomFilterCriteriaItem* AItem) const {
  auto it = std::find(FItems.begin(), FItems.end(), AItem);
  return it == FItems.end() ? -1 : Integer(it - FItems.begin());
}

void TcxFilterCriteriaItemList::SetBoolOperatorKind(TcxFilterBoolOperatorKind Value) {
  if (FBoolOperatorKind == Value) return;
  FBoolOperatorKind = Value;
  Changed();
}

// ---- TcxFilterCriteriaItem ----

TcxFilterCriteriaItem::TcxFilterCriteriaItem(TcxFilterCriteriaItemList* AParent, TObject* AItemLink,
                                             TcxFilterOperatorKind AOperatorKind, const Variant& AValue,
                                             const String& ADisplayValue)
    : TcxCustomFilterCriteriaItem(AParent),
      FDisplayValue(ADisplayValue),
      FItemLink(AItemLink),
      FOperatorKind(AOperatorKind),
      FValue(AValue) {}

void TcxFilterCriteriaItem::AfterConstruction() {
  inherited::AfterConstruction();
  RecreateOperator();
}

void TcxFilterCriteriaItem::BeforeDestruction() {
  if (TcxFilterCriteria* criteria = GetCriteria()) criteria->ItemRemoving(this);
  inherited::BeforeDestruction();
  if (FOperator) FOperator->Free();
  FOperator = nullptr;
}

void TcxFilterCriteriaItem::WriteData(TStream& AStream) {
  TcxFilterCriteria* criteria = GetCriteria();
  cxStreamWriteBoolean(AStream, false);
  cxStreamWriteByte(AStream, Byte(FOperatorKind));
  cxStreamWriteString(AStream, FDisplayValue);
  cxStreamWriteInteger(AStream, criteria ? criteria->GetIDByItemLink(GetItemLink()) : -1);
  cxStreamWriteVariant(AStream, FValue);
}

void TcxFilterCriteriaItem::GetDataValue(Pointer, Variant& AValue) { AValue = Null(); }

String TcxFilterCriteriaItem::GetDisplayValue() {
  String text = FDisplayValue;
  if (FOperator) FOperator->AdjustDisplayValue(text);
  return text;
}

void TcxFilterCriteriaItem::GetValueText(bool ADisplay, String& AText) {
  if (ADisplay)
    AText = GetDisplayValue();
  else if (FOperator)
    FOperator->GetValueText(FValue, AText);
  else
    AText.clear();
}

void TcxFilterCriteriaItem::GetFieldCaption(String& AText) { AText.clear(); }
void TcxFilterCriteriaItem::GetFieldName(String& AText) { AText.clear(); }

TcxFilterOperatorClass TcxFilterCriteriaItem::GetFilterOperatorClass() {
  using K = TcxFilterOperatorKind;
  if (IsNullValue(FValue)) {
    if (FOperatorKind == K::foEqual || FOperatorKind == K::foLike)
      return ClassOf<TcxFilterNullOperator, TcxFilterOperator, TcxFilterCriteriaItem*>();
    if (FOperatorKind == K::foNotEqual || FOperatorKind == K::foNotLike)
      return ClassOf<TcxFilterNotNullOperator, TcxFilterOperator, TcxFilterCriteriaItem*>();
  }
  return cxFilterOperatorClassOf(FOperatorKind);
}

void TcxFilterCriteriaItem::RecreateOperator() {
  if (FOperator) FOperator->Free();
  FOperator = nullptr;
  FOperator = GetFilterOperatorClass().Create(this);
  FPrepared = false;
  if (FOperator->IsNullOperator() && FDisplayValue.empty()) FDisplayValue = cxFilterText(cxSFilterBlankCaption);
  Changed();
}

bool TcxFilterCriteriaItem::IsNullValue(const Variant& AValue) {
  TcxFilterCriteria* criteria = GetCriteria();
  return criteria ? criteria->IsValueNull(AValue) : VarIsNull(AValue);
}

void TcxFilterCriteriaItem::SetDisplayValue(const String& Value) {
  if (FDisplayValue == Value) return;
  FDisplayValue = Value;
  Changed();
}

void TcxFilterCriteriaItem::SetOperatorKind(TcxFilterOperatorKind Value) {
  if (FOperatorKind == Value) return;
  FOperatorKind = Value;
  RecreateOperator();
}

void TcxFilterCriteriaItem::SetValue(const Variant& Value) {
  if (!ValuesDiffer(FValue, Value)) return;
  FValue = Value;
  RecreateOperator();
}

const Variant& TcxFilterCriteriaItem::PreparedValue() {
  if (!FPrepared) {
    if (TcxFilterCriteria* criteria = GetCriteria()) criteria->PrepareValue(FValue, FPreparedValue);
    else FPreparedValue = FValue;
    FPrepared = true;
    ++FPreparedGeneration;
  }
  return FPreparedValue;
}

// ---- TcxFilterCriteria ----

TcxFilterCriteria::TcxFilterCriteria() {
  FRoot = New<TcxFilterCriteriaItemList>(nullptr, TcxFilterBoolOperatorKind::fboAnd);
  FRoot->FCriteria = this;
}

void TcxFilterCriteria::BeforeDestruction() {
  ++FLockCount;  // no notices while the tree goes
  if (FRoot) FRoot->Free();
  FRoot = nullptr;
  inherited::BeforeDestruction();
}

void TcxFilterCriteria::Assign(TPersistent* Source) {
  auto source = dynamic_cast<TcxFilterCriteria*>(Source);
  if (!source) {
    inherited::Assign(Source);
    return;
  }
  auto bracket = UpdateBracket(this);
  SetDateTimeFormat(source->FDateTimeFormat);
  SetMaxValueListCount(source->FMaxValueListCount);
  SetOptions(source->FOptions);
  SetPercentWildcard(source->FPercentWildcard);
  FTranslateBetween = source->FTranslateBetween;
  FTranslateIn = source->FTranslateIn;
  FSupportedLike = source->FSupportedLike;
  SetUnderscoreWildcard(source->FUnderscoreWildcard);
  AssignItems(source);
  AssignEvents(source);
}

void TcxFilterCriteria::CheckChanges() {
  if (!FChangePending || FLockCount > 0) return;
  FChangePending = false;
  PrepareOperators();
  DoChanged();
}

void TcxFilterCriteria::FormatBooleanValue(const Variant& AValue, String& AText) { AText = VarToStr(AValue); }

void TcxFilterCriteria::FormatDateTimeValue(const Variant& AValue, String& AText) {
  if (FDateTimeFormat.empty())
    AText = VarToStr(AValue);
  else
    AText = FormatDateTime(FDateTimeFormat, AValue.AsDateTime());
}

void TcxFilterCriteria::FormatFilterTextValue(TcxFilterCriteriaItem*, const Variant&, String&) {}
void TcxFilterCriteria::FilterCaption(String& AText) { GetFilterText(true, AText); }

void TcxFilterCriteria::GetFilterText(bool ADisplay, String& AText) {
  AText.clear();
  ListText(FRoot, ADisplay, AText);
}

void TcxFilterCriteria::ListText(TcxFilterCriteriaItemList* AList, bool ADisplay, String& AText) {
  using B = TcxFilterBoolOperatorKind;
  B kind = AList->BoolOperatorKind();
  bool isAnd = kind == B::fboAnd || kind == B::fboNotAnd;
  String word = ADisplay ? cxFilterText(isAnd ? cxSFilterAndCaption : cxSFilterOrCaption) : (isAnd ? "AND" : "OR");
  String text;
  for (Integer i = 0; i < AList->Count(); ++i) {
    TcxCustomFilterCriteriaItem* item = AList->Items(i);
    String part;
    if (item->IsItemList())
      ListText(static_cast<TcxFilterCriteriaItemList*>(item), ADisplay, part);
    else
      GetItemFilterText(static_cast<TcxFilterCriteriaItem*>(item), ADisplay, part);
    if (i > 0) text += " " + word + " ";
    text += "(" + part + ")";
  }
  if (kind == B::fboNotAnd || kind == B::fboNotOr)
    text = (ADisplay ? cxFilterText(cxSFilterNotCaption) : String("NOT")) + " (" + text + ")";
  AText = text;
}

void TcxFilterCriteria::FilterText(String& AText) { GetFilterText(false, AText); }

Integer TcxFilterCriteria::GetIDByItemLink(TObject*) { throw EAbstractError("Abstract error"); }

TcxFilterCriteriaItemClass TcxFilterCriteria::GetItemClass() {
  return ClassOf<TcxFilterCriteriaItem, TcxFilterCriteriaItem, TcxFilterCriteriaItemList*, TObject*,
                 TcxFilterOperatorKind, const Variant&, const String&>();
}

void TcxFilterCriteria::GetItemFilterText(TcxFilterCriteriaItem* AItem, bool ADisplay, String& AText) {
  TcxFilterOperator* op = AItem->Operator();
  if (!ADisplay && op->NeedsExpandedText()) {
    op->GetExpandedFilterText(AItem->Value(), AText);
    return;
  }
  String field, oper, value;
  GetItemFieldText(AItem, ADisplay, field);
  GetItemOperatorText(AItem, ADisplay, oper);
  GetItemValueText(AItem, ADisplay, value);
  AText = field + " " + oper;
  if (!value.empty()) AText += " " + value;
}

void TcxFilterCriteria::GetItemFieldText(TcxFilterCriteriaItem* AItem, bool ADisplay, String& AText) {
  if (ADisplay)
    AItem->GetFieldCaption(AText);
  else
    AItem->GetFieldName(AText);
}

void TcxFilterCriteria::GetItemOperatorText(TcxFilterCriteriaItem* AItem, bool ADisplay, String& AText) {
  TcxFilterOperator* op = AItem->Operator();
  if (ADisplay && (op->UseDescription() || FOptions.Contains(TcxFilterCriteriaOption::fcoShowOperatorDescription)))
    op->GetCaption(AText);
  else
    op->GetKeyword(AText);
}

void TcxFilterCriteria::GetItemValueText(TcxFilterCriteriaItem* AItem, bool ADisplay, String& AText) {
  AItem->GetValueText(ADisplay, AText);
}

TObject* TcxFilterCriteria::GetItemLinkByID(Integer) { throw EAbstractError("Abstract error"); }

TcxFilterValueListClass TcxFilterCriteria::GetValueListClass() {
  return ClassOf<TcxFilterValueList, TcxFilterValueList, TcxFilterCriteria*>();
}

void TcxFilterCriteria::PrepareOperators() {
  ForEachCondition(FRoot, [](TcxFilterCriteriaItem* item) {
    item->FPrepared = false;
    if (item->Operator()) item->Operator()->Prepare();
  });
}

void TcxFilterCriteria::PrepareValue(const Variant& AValue, Variant& AResult) {
  if (VarIsArray(AValue)) {
    // A list or a range compares its elements with the record's prepared value: each is
    // prepared the same way, or a case-insensitive IN or BETWEEN could never match.
    std::vector<Variant> elements;
    for (Integer i = VarArrayLowBound(AValue), h = VarArrayHighBound(AValue); i <= h; ++i) {
      Variant e;
      PrepareValue(AValue[i], e);
      elements.push_back(e);
    }
    AResult = VarArrayOf(elements);
  } else if (VarType(AValue) == varCurrency)
    AResult = AValue.AsDouble();
  else if (VarType(AValue) == varOleStr && FOptions.Contains(TcxFilterCriteriaOption::fcoCaseInsensitive))
    AResult = UpperCaseInCodePage(AValue.AsWideString());
  else if (VarIsStr(AValue) && FOptions.Contains(TcxFilterCriteriaOption::fcoCaseInsensitive))
    AResult = AnsiUpperCase(AValue.AsString());
  else
    AResult = AValue;
}

void TcxFilterCriteria::ItemRemoving(TcxFilterCriteriaItem*) {}

void TcxFilterCriteria::DoChanged() {
  if (OnChanged) OnChanged(this);
}

void TcxFilterCriteria::AssignEvents(TPersistent* ASource) {
  if (auto source = dynamic_cast<TcxFilterCriteria*>(ASource)) OnChanged = source->OnChanged;
}

void TcxFilterCriteria::AssignItems(TcxFilterCriteria* ASource) {
  if (!ASource || IsEqual(ASource)) return;
  auto bracket = UpdateBracket(this);
  Clear();
  TStringStream data;
  ASource->WriteData(data);
  data.SetPosition(0);
  ReadData(data);
}

TcxFilterCriteriaItem* TcxFilterCriteria::AddItem(TcxFilterCriteriaItemList* AParent, TObject* AItemLink,
                                                  TcxFilterOperatorKind AOperatorKind, const Variant& AValue,
                                                  const String& ADisplayValue) {
  if (!AParent) AParent = FRoot;
  auto bracket = UpdateBracket(this);
  TcxFilterCriteriaItem* item = GetItemClass().Create(AParent, AItemLink, AOperatorKind, AValue, ADisplayValue);
  AParent->FItems.push_back(item);
  Changed();
  return item;
}

void TcxFilterCriteria::Changed() {
  FChangePending = true;
  CheckChanges();
}

TcxFilterCriteriaItem* TcxFilterCriteria::FindItemByItemLink(TObject* AItemLink) {
  TcxFilterCriteriaItem* found = nullptr;
  ForEachCondition(FRoot, [&](TcxFilterCriteriaItem* item) {
    if (!found && item->GetItemLink() == AItemLink) found = item;
  });
  return found;
}

bool TcxFilterCriteria::IsEmpty() { return FRoot->Count() == 0; }

void TcxFilterCriteria::LoadFromStream(TStream& AStream) {
  auto bracket = UpdateBracket(this);
  // What the stream leaves out is the default: saved empty criteria load as empty.
  Clear();
  RestoreDefaults();
  SetMaxValueListCount(0);
  Owned<TFilterWrapper> wrapper(New<TFilterWrapper>(nullptr));
  wrapper->SetFilter(this);
  AStream.ReadComponent(wrapper.get());
}

void TcxFilterCriteria::RestoreDefaults() {
  auto bracket = UpdateBracket(this);
  SetOptions({});
  SetPercentWildcard('%');
  FSupportedLike = true;
  FTranslateBetween = false;
  FTranslateIn = false;
  SetUnderscoreWildcard('_');
}

void TcxFilterCriteria::SaveToStream(TStream& AStream) {
  Owned<TFilterWrapper> wrapper(New<TFilterWrapper>(nullptr));
  wrapper->SetFilter(this);
  AStream.WriteComponent(wrapper.get());
}

bool TcxFilterCriteria::IsValueNull(const Variant& AValue) {
  return VarIsNull(AValue) || (FOptions.Contains(TcxFilterCriteriaOption::fcoSoftNull) && cxVarIsBlank(AValue));
}

void TcxFilterCriteria::ReadData(TStream& AStream) {
  auto bracket = UpdateBracket(this);
  Clear();
  Integer n = cxStreamReadInteger(AStream);
  if (n == -1) {
    Byte kind = cxStreamReadByte(AStream);
    if (kind > 3) StreamReadError();
    FRoot->SetBoolOperatorKind(TcxFilterBoolOperatorKind(kind));
    n = cxStreamReadInteger(AStream);
  }
  ReadItems(AStream, FRoot, n, 0);
}

void TcxFilterCriteria::ReadItems(TStream& AStream, TcxFilterCriteriaItemList* AParent, Integer ACount, int ADepth) {
  if (ADepth > cxFilterMaxNesting) StreamReadError();
  if (ACount <= 0) return;
  // Every item takes at least a byte: a count beyond the bytes left is bad data.
  Int64 size = AStream.GetSize();
  if (size >= 0 && Int64(ACount) > size - AStream.GetPosition()) StreamReadError();
  for (Integer i = 0; i < ACount; ++i) {
    if (cxStreamReadBoolean(AStream)) {
      Byte kind = cxStreamReadByte(AStream);
      if (kind > 3) StreamReadError();
      Integer count = cxStreamReadInteger(AStream);
      TcxFilterCriteriaItemList* list = AParent->AddItemList(TcxFilterBoolOperatorKind(kind));
      ReadItems(AStream, list, count, ADepth + 1);
      list->ReadData(AStream);
    } else {
      Byte kind = cxStreamReadByte(AStream);
      if (kind > 23) StreamReadError();
      String display = cxStreamReadString(AStream);
      Integer id = cxStreamReadInteger(AStream);
      Variant value = cxStreamReadVariant(AStream);
      TcxFilterCriteriaItem* item =
          AddItem(AParent, GetItemLinkByID(id), TcxFilterOperatorKind(kind), value, display);
      item->ReadData(AStream);
    }
  }
}

void TcxFilterCriteria::WriteData(TStream& AStream) {
  cxStreamWriteInteger(AStream, -1);
  cxStreamWriteByte(AStream, Byte(FRoot->BoolOperatorKind()));
  cxStreamWriteInteger(AStream, FRoot->Count());
  for (Integer i = 0; i < FRoot->Count(); ++i) FRoot->Items(i)->WriteData(AStream);
}

void TcxFilterCriteria::BeginUpdate() { ++FLockCount; }

void TcxFilterCriteria::EndUpdate() {
  if (FLockCount > 0) --FLockCount;
  CheckChanges();
}

void TcxFilterCriteria::Clear() {
  auto bracket = UpdateBracket(this);
  FRoot->Clear();
  FRoot->SetBoolOperatorKind(TcxFilterBoolOperatorKind::fboAnd);
}

bool TcxFilterCriteria::IsEqual(TcxFilterCriteria* ACriteria) {
  TStringStream a, b;
  WriteData(a);
  ACriteria->WriteData(b);
  return a.DataString() == b.DataString();
}

void TcxFilterCriteria::RemoveItemByItemLink(TObject* AItemLink) {
  BeginUpdate();
  bool removed = false;
  try {
    while (TcxFilterCriteriaItem* item = FindItemByItemLink(AItemLink)) {
      TcxFilterCriteriaItemList* parent = item->Parent();
      item->Free();
      removed = true;
      // Tidy upwards: an empty list goes, a list of one gives way to its child.
      while (parent && parent != FRoot) {
        TcxFilterCriteriaItemList* grand = parent->Parent();
        if (parent->Count() == 0) {
          parent->Free();
        } else if (parent->Count() == 1) {
          TcxCustomFilterCriteriaItem* child = parent->Items(0);
          parent->Remove(child);
          child->FParent = grand;
          grand->FItems.push_back(child);
          parent->Free();
        } else {
          break;
        }
        parent = grand;
      }
    }
  } catch (...) {
    // Unlike the normal end, an error releases the lock without a change notice.
    if (FLockCount > 0) --FLockCount;
    throw;
  }
  if (removed) {
    EndUpdate();
  } else {
    --FLockCount;  // released without a change notice
  }
}

void TcxFilterCriteria::RefreshOperators() {
  auto bracket = UpdateBracket(this);
  ForEachCondition(FRoot, [](TcxFilterCriteriaItem* item) { item->RecreateOperator(); });
}

bool TcxFilterCriteria::DoFilterRecord(Pointer AData) { return EvaluateList(FRoot, AData); }

bool TcxFilterCriteria::EvaluateList(TcxFilterCriteriaItemList* AList, Pointer AData) {
  using B = TcxFilterBoolOperatorKind;
  B kind = AList->BoolOperatorKind();
  bool r = true;
  for (Integer i = 0; i < AList->Count(); ++i) {
    TcxCustomFilterCriteriaItem* item = AList->Items(i);
    bool v = item->IsItemList() ? EvaluateList(static_cast<TcxFilterCriteriaItemList*>(item), AData)
                                : EvaluateItem(static_cast<TcxFilterCriteriaItem*>(item), AData);
    if (i == 0) {
      r = (kind == B::fboNotAnd || kind == B::fboNotOr) ? !v : v;
      continue;
    }
    switch (kind) {
      case B::fboAnd: r = r && v; break;
      case B::fboOr: r = r || v; break;
      case B::fboNotAnd: r = r || !v; break;
      case B::fboNotOr: r = r && !v; break;
    }
  }
  return r;
}

bool TcxFilterCriteria::EvaluateItem(TcxFilterCriteriaItem* AItem, Pointer AData) {
  Variant value, prepared;
  AItem->GetDataValue(AData, value);
  PrepareValue(value, prepared);
  TcxFilterOperator* op = AItem->Operator();
  if (FOptions.Contains(TcxFilterCriteriaOption::fcoIgnoreNull) && !op->IsNullOperator() && AItem->IsNullValue(prepared))
    return false;
  return op->IsSatisfied(prepared, AItem->PreparedValue());
}

bool TcxFilterCriteria::HasData() { return FRoot->BoolOperatorKind() != TcxFilterBoolOperatorKind::fboAnd || FRoot->Count() > 0; }

void TcxFilterCriteria::InvalidatePreparedValues() {
  ForEachCondition(FRoot, [](TcxFilterCriteriaItem* item) { item->FPrepared = false; });
}

void TcxFilterCriteria::SetOptions(TcxFilterCriteriaOptions Value) {
  if (FOptions == Value) return;
  FOptions = Value;
  InvalidatePreparedValues();
  Changed();
}

void TcxFilterCriteria::SetPercentWildcard(Char Value) {
  if (FPercentWildcard == Value) return;
  FPercentWildcard = Value;
  Changed();
}

void TcxFilterCriteria::SetUnderscoreWildcard(Char Value) {
  if (FUnderscoreWildcard == Value) return;
  FUnderscoreWildcard = Value;
  Changed();
}

void TcxFilterCriteria::SetMaxValueListCount(Integer Value) { FMaxValueListCount = Value < 0 ? 0 : Value; }

void TcxFilterCriteria::SetDateTimeFormat(const String& Value) {
  if (FDateTimeFormat == Value) return;
  FDateTimeFormat = Value;
  Changed();
}

TL_DEFINE_CLASS(TcxCustomFilterCriteriaItem)
TL_DEFINE_CLASS(TcxFilterCriteriaItemList)
TL_DEFINE_CLASS(TcxFilterCriteriaItem)
TL_DEFINE_CLASS(TcxFilterCriteria, [](auto& c) {
  using T = TcxFilterCriteria;
  c.Property("Options", &T::GetOptions, &T::SetOptions).Default(TcxFilterCriteriaOptions{});
  c.Property("PercentWildcard", &T::GetPercentWildcard, &T::SetPercentWildcard).Default(Char('%'));
  c.Property("UnderscoreWildcard", &T::GetUnderscoreWildcard, &T::SetUnderscoreWildcard).Default(Char('_'));
  c.Property("MaxValueListCount", &T::GetMaxValueListCount, &T::SetMaxValueListCount).Default(0);
  c.Event("OnChanged", &T::OnChanged);
})
TL_DEFINE_CLASS(TFilterWrapper, [](auto& c) {
  c.Property("Filter", &TFilterWrapper::GetFilter, &TFilterWrapper::SetFilter);
})

namespace cxFilter {
void Initialize() { gFilterUnit.Enter(); }
void Finalize() { gFilterUnit.Leave(); }
}  // namespace cxFilter
