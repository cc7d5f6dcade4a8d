// Shared base classes, registries, links and message-text overrides.
#include "widgets/foundation/cxClasses.h"

#include "classlib/core/SysUtils.h"
#include "platform/kernel/Arith.h"
#include "platform/shell/Shell.h"

#include <algorithm>
#include <map>
#include <memory>

// ---- TcxComponent ----

void TcxComponent::BeforeDestruction() {
  if (!InState(TComponentStateItem::csDestroying)) Destroying();
  inherited::BeforeDestruction();
}

void TcxComponent::Loaded() {
  inherited::Loaded();
  if (InState(TComponentStateItem::csDesigning) && Owner()) {
    TComponent* refs[3] = {nullptr, nullptr, nullptr};
    GetDesignReferences(refs[0], refs[1], refs[2]);
    std::copy(std::begin(refs), std::end(refs), std::begin(FDesignReferences));
  }
}

void TcxComponent::GetDesignReferences(TComponent*&, TComponent*&, TComponent*&) {}

// ---- TcxObjectList ----

void TcxObjectList::Clear() {
  for (Integer i = 0; i < Count(); ++i) {
    TObject* o = Items(i);
    TList::SetItems(i, nullptr);
    if (o) o->Free();
  }
  TList::Clear();
}

void TcxObjectList::BeforeDestruction() {
  Clear();
  inherited::BeforeDestruction();
}

// ---- TcxRegisteredClassList ----

bool TcxRegisteredClassList::Find(const TClass* AItemClass, Integer& Index) const {
  Index = -1;
  if (!AItemClass) return false;
  // The nearest registered ancestor is the highest entry of one: registrations of a class
  // always go after those of its ancestors and before those of its descendants.
  for (Integer i = Count() - 1; i >= 0; --i) {
    const TClass* c = FItems[size_t(i)].ItemClass;
    if (AItemClass->InheritsFrom(*c)) {
      Index = i;
      return true;
    }
    if (c->InheritsFrom(*AItemClass)) Index = i;
  }
  return false;
}

void TcxRegisteredClassList::Register(const TClass* AItemClass, const TClass* ARegisteredClass) {
  if (!AItemClass) return;
  Integer index;
  TcxRegisteredClassListItemData item{AItemClass, ARegisteredClass};
  if (Find(AItemClass, index))
    FItems.insert(FItems.begin() + index + 1, item);
  else if (index >= 0)
    FItems.insert(FItems.begin() + index, item);
  else
    FItems.push_back(item);
}

void TcxRegisteredClassList::Unregister(const TClass* AItemClass, const TClass* ARegisteredClass) {
  for (Integer i = Count() - 1; i >= 0; --i) {
    const auto& it = FItems[size_t(i)];
    if (it.ItemClass == AItemClass && it.RegisteredClass == ARegisteredClass) FItems.erase(FItems.begin() + i);
  }
}

const TClass* TcxRegisteredClassList::GetClass(const TClass* AItemClass) const {
  Integer index;
  return Find(AItemClass, index) ? FItems[size_t(index)].RegisteredClass : nullptr;
}

const TcxRegisteredClassListItemData& TcxRegisteredClassList::Items(Integer Index) const {
  if (Index < 0 || Index >= Count()) ListIndexError(Index);
  return FItems[size_t(Index)];
}

// ---- TcxRegisteredClasses ----

namespace {
String NamePart(const String& d) {
  size_t p = d.find('|');
  return p == String::npos ? d : d.substr(0, p);
}
String TextPart(const String& d) {
  size_t p = d.find('|');
  return p == String::npos ? d : d.substr(p + 1);
}
}  // namespace

const TcxRegisteredClasses::TItem& TcxRegisteredClasses::Item(Integer Index) const {
  if (Index < 0 || Index >= Count()) ListIndexError(Index);
  return FItems[size_t(Index)];
}

Integer TcxRegisteredClasses::CompareItems(Integer AIndex1, Integer AIndex2) const {
  return AnsiCompareText(Names(AIndex1), Names(AIndex2));
}

void TcxRegisteredClasses::Sort() {
  // Sorted through indexes so that the virtual CompareItems decides; stable, so equal
  // names keep their registration order.
  std::vector<Integer> order(FItems.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = Integer(i);
  std::stable_sort(order.begin(), order.end(), [this](Integer a, Integer b) { return CompareItems(a, b) < 0; });
  std::vector<TItem> sorted;
  sorted.reserve(FItems.size());
  for (Integer i : order) sorted.push_back(FItems[size_t(i)]);
  FItems = std::move(sorted);
}

void TcxRegisteredClasses::Register(const TClass* AClass, const String& ADescription) {
  if (!AClass || GetIndexByClass(AClass) >= 0) return;
  FItems.push_back({ADescription, AClass});
  if (FSorted) Sort();
  if (FRegisterClasses) RegisterClass(*AClass);
}

void TcxRegisteredClasses::Unregister(const TClass* AClass) {
  Integer i = GetIndexByClass(AClass);
  if (i >= 0) FItems.erase(FItems.begin() + i);
}

const TClass* TcxRegisteredClasses::Items(Integer Index) const { return Item(Index).Class; }
String TcxRegisteredClasses::Names(Integer Index) const { return NamePart(Item(Index).Description); }
String TcxRegisteredClasses::Descriptions(Integer Index) const { return TextPart(Item(Index).Description); }

Integer TcxRegisteredClasses::GetIndexByClass(const TClass* AClass) const {
  for (Integer i = 0; i < Count(); ++i)
    if (FItems[size_t(i)].Class == AClass) return i;
  return -1;
}

const TClass* TcxRegisteredClasses::GetClassByName(const String& AClassName) const {
  for (Integer i = Count() - 1; i >= 0; --i)
    if (FItems[size_t(i)].Class->ClassName() == AClassName) return FItems[size_t(i)].Class;
  return nullptr;
}

const TClass* TcxRegisteredClasses::GetClassByDescription(const String& ADescription) const {
  for (Integer i = Count() - 1; i >= 0; --i)
    if (Descriptions(i) == ADescription) return FItems[size_t(i)].Class;
  return nullptr;
}

String TcxRegisteredClasses::GetNameByClass(const TClass* AClass) const {
  Integer i = GetIndexByClass(AClass);
  return i >= 0 ? Names(i) : String();
}

String TcxRegisteredClasses::GetDescriptionByClass(const TClass* AClass) const {
  Integer i = GetIndexByClass(AClass);
  return i >= 0 ? Descriptions(i) : String();
}

void TcxRegisteredClasses::SetSorted(bool Value) {
  if (FSorted == Value) return;
  FSorted = Value;
  if (FSorted) Sort();
}

// ---- TcxAlignment ----

TcxAlignment::TcxAlignment(TPersistent* AOwner, bool AUseAssignedValues, TAlignment ADefaultHorz,
                           TcxAlignmentVert ADefaultVert)
    : FOwner(AOwner),
      FDefaultHorz(ADefaultHorz),
      FDefaultVert(ADefaultVert),
      FHorz(ADefaultHorz),
      FVert(ADefaultVert),
      FUseAssignedValues(AUseAssignedValues) {}

void TcxAlignment::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TcxAlignment*>(Source);
  if (!src) {
    inherited::Assign(Source);
    return;
  }
  bool changed = FHorz != src->FHorz || FVert != src->FVert;
  FHorz = src->FHorz;
  FVert = src->FVert;
  FIsHorzAssigned = src->FIsHorzAssigned;
  FIsVertAssigned = src->FIsVertAssigned;
  if (changed) DoChanged();
}

void TcxAlignment::Reset() {
  bool changed = FHorz != FDefaultHorz || FVert != FDefaultVert;
  FIsHorzAssigned = FIsVertAssigned = false;
  FHorz = FDefaultHorz;
  FVert = FDefaultVert;
  if (changed) DoChanged();
}

void TcxAlignment::SetHorz(TAlignment Value) {
  FIsHorzAssigned = true;
  if (FHorz == Value) return;
  FHorz = Value;
  DoChanged();
}

void TcxAlignment::SetVert(TcxAlignmentVert Value) {
  FIsVertAssigned = true;
  if (FVert == Value) return;
  FVert = Value;
  DoChanged();
}

bool TcxAlignment::IsHorzStored() const { return FUseAssignedValues ? FIsHorzAssigned : FHorz != FDefaultHorz; }

bool TcxAlignment::IsVertStored() const { return FUseAssignedValues ? FIsVertAssigned : FVert != FDefaultVert; }

void TcxAlignment::DoChanged() {
  if (OnChanged) OnChanged(this);
}

// ---- TcxMRUItems ----

void TcxMRUItems::BeforeDestruction() {
  Clear();
  inherited::BeforeDestruction();
}

void TcxMRUItems::Add(TcxMRUItem* AItem) {
  if (!AItem) return;
  Integer i = IndexOf(AItem);
  if (i >= 0) {
    TcxMRUItem* existing = FItems[size_t(i)];
    FItems.erase(FItems.begin() + i);
    FItems.insert(FItems.begin(), existing);
    // The caller's item is a duplicate, unless it is the very member that moved.
    if (existing != AItem) AItem->Free();
    return;
  }
  FItems.insert(FItems.begin(), AItem);
  Trim();
}

Integer TcxMRUItems::IndexOf(const TcxMRUItem* AItem) const {
  for (Integer i = 0; i < Count(); ++i)
    if (FItems[size_t(i)] == AItem || FItems[size_t(i)]->Equals(AItem)) return i;
  return -1;
}

void TcxMRUItems::Delete(Integer AIndex) {
  if (AIndex < 0 || AIndex >= Count()) ListIndexError(AIndex);
  TcxMRUItem* item = FItems[size_t(AIndex)];
  FItems.erase(FItems.begin() + AIndex);
  item->Free();
}

void TcxMRUItems::Clear() {
  for (Integer i = Count() - 1; i >= 0; --i) Delete(i);
}

TcxMRUItem* TcxMRUItems::Items(Integer AIndex) const {
  if (AIndex < 0 || AIndex >= Count()) ListIndexError(AIndex);
  return FItems[size_t(AIndex)];
}

void TcxMRUItems::SetMaxCount(Integer Value) {
  Value = std::max(Value, 0);
  if (Value == FMaxCount) return;
  FMaxCount = Value;
  Trim();
}

void TcxMRUItems::Trim() {
  if (FMaxCount == 0) return;
  for (Integer i = Count() - 1; i >= FMaxCount; --i) Delete(i);
}

// ---- Object links ----

void TcxObjectLinkController::BeforeDestruction() {
  for (TcxObjectLink* l : FLinks) l->Free();
  FLinks.clear();
  inherited::BeforeDestruction();
}

TcxObjectLink* TcxObjectLinkController::AddLink(TObject* AObject) {
  TcxObjectLink* link = New<TcxObjectLink>(AObject);
  FLinks.push_back(link);
  return link;
}

void TcxObjectLinkController::RemoveLink(TcxObjectLink* ALink) {
  auto it = std::find(FLinks.begin(), FLinks.end(), ALink);
  if (it == FLinks.end()) return;
  FLinks.erase(it);
  ALink->Free();
}

namespace {
TcxObjectLinkController* gLinkController = nullptr;
}

TcxObjectLink* cxAddObjectLink(TObject* AObject) {
  if (!gLinkController) gLinkController = New<TcxObjectLinkController>();
  return gLinkController->AddLink(AObject);
}

void cxRemoveObjectLink(TcxObjectLink* ALink) {
  if (!gLinkController || !ALink) return;
  gLinkController->RemoveLink(ALink);
  if (gLinkController->Count() == 0) FreeAndNil(gLinkController);
}

void cxClearObjectLinks(TObject* AObject) {
  if (AObject) AObject->ClearWeakLinks();
}

// ---- Free notification ----

void TcxFreeNotificator::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation == TOperation::opRemove && OnFreeNotification) OnFreeNotification(AComponent);
}

void cxAddFreeNotification(TComponent* AComponent, TComponent* ATarget) {
  if (AComponent && ATarget) AComponent->FreeNotification(ATarget);
}

void cxRemoveFreeNotification(TComponent* AComponent, TComponent* ATarget) {
  if (AComponent && ATarget) AComponent->RemoveFreeNotification(ATarget);
}

// ---- Component names ----

namespace {

String CleanName(const String& s) {
  String r;
  for (Char c : s)
    if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_') r += c;
  return r;
}

bool NameTaken(TComponent* AOwner, TComponent* AExcept, const String& AName) {
  if (!AOwner) return false;
  for (Integer i = 0; i < AOwner->ComponentCount(); ++i) {
    TComponent* c = AOwner->Components(i);
    if (c != AExcept && SameText(c->GetName(), AName)) return true;
  }
  return false;
}

bool StartsWithText(const String& s, const String& prefix) {
  return s.size() >= prefix.size() && SameText(s.substr(0, prefix.size()), prefix);
}

}  // namespace

String cxGenerateComponentName(TComponent* AOwner, TComponent* AComponent, const String& ABaseText,
                               bool AIsClassName, const String& APrefix, const String& ANewPrefix,
                               bool AWithOwnerName) {
  String base = CleanName(ABaseText);
  if (base.empty() && AComponent) {
    base = CleanName(AComponent->ClassName());
    AIsClassName = true;
  }
  if (AIsClassName && base.size() > 1 && (base[0] == 'T' || base[0] == 't')) base.erase(0, 1);
  if (!APrefix.empty() && StartsWithText(base, APrefix)) base = ANewPrefix + base.substr(APrefix.size());
  if (AWithOwnerName && AOwner) base = CleanName(AOwner->GetName()) + base;
  // A name must not start with a digit.
  if (base.empty() || (base[0] >= '0' && base[0] <= '9')) base.insert(0, "_");
  for (Integer n = 1;; ++n) {
    String name = base + IntToStr(n);
    if (!NameTaken(AOwner, AComponent, name)) return name;
  }
}

String cxGetFreeComponentName(TComponent* AOwner, const String& ABaseName, bool AAppendOne) {
  String name = AAppendOne ? ABaseName + "1" : ABaseName;
  for (Integer n = 2; AOwner && AOwner->FindComponent(name); ++n) name = ABaseName + IntToStr(n);
  return name;
}

void cxRenameSubItems(TComponent* AComponent, const String& AOldName, const String& ANewName,
                      const std::vector<TComponent*>& ASubItems) {
  if (!AComponent || AComponent->InState(TComponentStateItem::csAncestor)) return;
  for (TComponent* item : ASubItems) {
    if (!item) continue;
    const String& n = item->GetName();
    if (n.size() > AOldName.size() && StartsWithText(n, AOldName)) item->SetName(ANewName + n.substr(AOldName.size()));
  }
}

// ---- Message texts ----

namespace {

// Overrides keyed by resource identity (two resource strings with equal texts stay
// apart) and by plain name.
struct TResOverrides {
  std::map<int, String> ById;
  std::map<String, String> ByName;
};
std::unique_ptr<TResOverrides> gOverrides;
int gClassesInit = 0;
TResStringResolver gPrevResolver = nullptr;

String ResolveOverride(const TResStringRec& rec, bool& found) {
  if (gOverrides) {
    auto it = gOverrides->ById.find(rec.Id);
    if (it != gOverrides->ById.end()) {
      found = true;
      return it->second;
    }
  }
  if (gPrevResolver) return gPrevResolver(rec, found);
  found = false;
  return String();
}

TResOverrides& Overrides() {
  if (!gOverrides) gOverrides = std::make_unique<TResOverrides>();
  return *gOverrides;
}

}  // namespace

String cxGetResourceString(const TResStringRec& AResString) {
  if (gOverrides) {
    auto it = gOverrides->ById.find(AResString.Id);
    if (it != gOverrides->ById.end()) return it->second;
  }
  return LoadResString(AResString);
}

String cxGetResourceStringByName(const String& AName) {
  if (gOverrides) {
    auto it = gOverrides->ByName.find(AName);
    if (it != gOverrides->ByName.end()) return it->second;
  }
  return AName;
}

namespace {
bool gResolverInstalled = false;

// Puts the override lookup in front of the class library's string tables.
void InstallResolver() {
  if (gResolverInstalled) return;
  gPrevResolver = SetResStringResolver(ResolveOverride);
  gResolverInstalled = true;
}

void RemoveResolver() {
  if (!gResolverInstalled) return;
  TResStringResolver current = SetResStringResolver(gPrevResolver);
  // A lookup installed after ours stays where it is.
  if (current != ResolveOverride) SetResStringResolver(current);
  gPrevResolver = nullptr;
  gResolverInstalled = false;
}
}  // namespace

void cxSetResourceString(const TResStringRec& AResString, const String& Value) {
  InstallResolver();
  Overrides().ById[AResString.Id] = Value;
}

void cxSetResourceStringByName(const String& AName, const String& Value) { Overrides().ByName[AName] = Value; }

void cxClearResourceStrings() { gOverrides.reset(); }

void cxClasses::Initialize() {
  if (gClassesInit++ > 0) return;
  InstallResolver();
}

void cxClasses::Finalize() {
  if (gClassesInit == 0 || --gClassesInit > 0) return;
  RemoveResolver();
  cxClearResourceStrings();
}

// ---- TcxAutoWidthObject ----

TcxAutoWidthObject::TcxAutoWidthObject(Integer ACount) { FItems.reserve(size_t(std::max(ACount, 0))); }

void TcxAutoWidthObject::BeforeDestruction() {
  Clear();
  inherited::BeforeDestruction();
}

TcxAutoWidthItem* TcxAutoWidthObject::AddItem() {
  FItems.push_back(New<TcxAutoWidthItem>());
  return FItems.back();
}

void TcxAutoWidthObject::Clear() {
  while (!FItems.empty()) {
    TcxAutoWidthItem* item = FItems.back();
    FItems.pop_back();
    item->Free();
  }
}

TcxAutoWidthItem* TcxAutoWidthObject::Items(Integer Index) const {
  if (Index < 0 || Index >= Count()) ListIndexError(Index);
  return FItems[size_t(Index)];
}

void TcxAutoWidthObject::Calculate() {
  // Negative widths would make the proportions meaningless: they count as 0.
  Int64 avail = AvailableWidth, total = 0;
  for (TcxAutoWidthItem* it : FItems) {
    it->Width = std::max(it->Width, 0);
    it->MinWidth = std::max(it->MinWidth, 0);
    it->AutoWidth = -1;
    total += it->Width;
  }
  for (TcxAutoWidthItem* it : FItems)
    if (it->Fixed) {
      it->AutoWidth = it->Width;
      avail -= it->AutoWidth;
      total -= it->Width;
    }
  auto clamp32 = [](Int64 v) {
    return Integer(std::clamp<Int64>(v, std::numeric_limits<Integer>::min(), std::numeric_limits<Integer>::max()));
  };
  bool lastPass = false, changed;
  do {
    Integer a = clamp32(avail), t = clamp32(total);
    Int64 s = 0;
    changed = false;
    for (TcxAutoWidthItem* it : FItems) {
      if (it->AutoWidth != -1) continue;
      Integer share = MulDiv(clamp32(s + it->Width), a, t) - MulDiv(clamp32(s), a, t);
      if (lastPass) {
        it->AutoWidth = share;
      } else if (it->MinWidth >= share) {
        it->AutoWidth = it->MinWidth;
        avail -= it->MinWidth;
        total -= it->Width;
        changed = true;
      }
      s += it->Width;
    }
    if (!changed) lastPass = !lastPass;
  } while (total != 0 && (changed || lastPass));
}

// ---- Value routines ----

TPoint cxMakePoint(Integer X, Integer Y) { return TPoint{X, Y}; }

void cxExchangeIntegers(Integer& A, Integer& B) { std::swap(A, B); }

Integer cxHalfSum(Integer A, Integer B) {
  Int64 s = Int64(A) + Int64(B);
  return Integer(s >= 0 ? s / 2 : -((-s + 1) / 2));
}

Integer cxHexDigitValue(Char C) {
  if (C >= '0' && C <= '9') return C - '0';
  Char u = (C >= 'a' && C <= 'z') ? Char(C - 'a' + 'A') : C;
  if (u >= 'A' && u <= 'F') return u - 'A' + 10;
  return -1;
}

Integer cxHexByteValue(Char AHigh, Char ALow) {
  Integer h = cxHexDigitValue(AHigh), l = cxHexDigitValue(ALow);
  return h < 0 || l < 0 ? -1 : h * 16 + l;
}

TPersistent* cxGetPersistentOwner(TPersistent* APersistent) {
  return APersistent ? APersistent->GetOwner() : nullptr;
}

void cxShellOpen(const String& AFileName) {
  ShellExecuteA(nullptr, "OPEN", AFileName.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

TL_DEFINE_CLASS(TcxInterfacedPersistent)
TL_DEFINE_CLASS(TcxComponent)
TL_DEFINE_CLASS(TcxObjectList)
TL_DEFINE_CLASS(TcxRegisteredClassList)
TL_DEFINE_CLASS(TcxRegisteredClasses)
TL_DEFINE_CLASS(TcxAlignment, [](auto& c) {
  c.Property("Horz", &TcxAlignment::GetHorz, &TcxAlignment::SetHorz).Stored(&TcxAlignment::IsHorzStored);
  c.Property("Vert", &TcxAlignment::GetVert, &TcxAlignment::SetVert).Stored(&TcxAlignment::IsVertStored);
})
TL_DEFINE_CLASS(TcxMRUItem)
TL_DEFINE_CLASS(TcxMRUItems)
TL_DEFINE_CLASS(TcxObjectLink)
TL_DEFINE_CLASS(TcxObjectLinkController)
TL_DEFINE_CLASS(TcxFreeNotificator)
TL_DEFINE_CLASS(TcxAutoWidthItem)
TL_DEFINE_CLASS(TcxAutoWidthObject)
