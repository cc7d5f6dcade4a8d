#include "classlib/core/Classes.h"

#include "classlib/core/Actions.h"

#include <algorithm>
#include <cctype>

using enum TComponentStateItem;

// ---- TPersistent ----

TL_DEFINE_CLASS(TPersistent)

void TPersistent::Assign(TPersistent* Source) {
  if (Source)
    Source->AssignTo(this);
  else
    AssignError(nullptr);
}

void TPersistent::AssignTo(TPersistent* Dest) { Dest->AssignError(this); }

void TPersistent::AssignError(TPersistent* Source) {
  String from = Source ? Source->ClassName() : String("nil");
  throw EConvertError("Cannot assign a " + from + " to a " + ClassName());
}

void TPersistent::DefineProperties(TFiler&) {}

String TPersistent::GetNamePath() const {
  String s = ClassName();
  if (TPersistent* owner = GetOwner()) {
    String path = owner->GetNamePath();
    if (!path.empty()) s = path + "." + s;
  }
  return s;
}

TL_DEFINE_CLASS(TInterfacedPersistent)

// ---- TComponent ----

TL_DEFINE_CLASS(TComponent, [](auto& c) {
  c.Property("Name", &TComponent::GetName, &TComponent::SetName).Stored(false);
  c.Property("Tag", &TComponent::GetTag, &TComponent::SetTag).Default(0);
})

namespace {
bool IsIdent(const String& s) {
  if (s.empty()) return false;
  auto first = [](unsigned char c) { return std::isalpha(c) || c == '_'; };
  if (!first(static_cast<unsigned char>(s[0]))) return false;
  for (char ch : s) {
    unsigned char c = static_cast<unsigned char>(ch);
    if (!(c < 128 && (std::isalnum(c) || c == '_'))) return false;
  }
  return true;
}
}  // namespace

TComponent::TComponent(TComponent* AOwner) : FOwner(AOwner) {}

void TComponent::AfterConstruction() {
  inherited::AfterConstruction();
  if (FOwner) {
    TComponent* owner = FOwner;
    FOwner = nullptr;
    owner->InsertComponent(this);
  }
}

void TComponent::BeginDestruction() noexcept { Destroying(); }

void TComponent::Destroying() {
  if (FComponentState.Contains(csDestroying)) return;
  FComponentState.Include(csDestroying);
  for (TComponent* c : FComponents) c->Destroying();
}

void TComponent::BeforeDestruction() {
  Destroying();
  // Each client hears once; its Notification may remove further links, so take them one by one.
  while (!FFreeNotifies.empty()) {
    TComponent* client = FFreeNotifies.back();
    FFreeNotifies.pop_back();
    client->RemoveNotification(this);
    client->Notification(this, TOperation::opRemove);
  }
  DestroyComponents();
  if (FOwner) FOwner->RemoveComponent(this);
  inherited::BeforeDestruction();
}

TPersistent* TComponent::GetOwner() const { return FOwner; }

String TComponent::GetNamePath() const { return FName; }

TComponent* TComponent::Components(Integer Index) const {
  if (Index < 0 || Index >= ComponentCount())
    throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
  return FComponents[size_t(Index)];
}

Integer TComponent::GetComponentIndex() const {
  if (!FOwner) return -1;
  const auto& list = FOwner->FComponents;
  auto it = std::find(list.begin(), list.end(), this);
  return it == list.end() ? -1 : Integer(it - list.begin());
}

void TComponent::SetComponentIndex(Integer Value) {
  if (!FOwner) return;
  auto& list = FOwner->FComponents;
  Integer cur = GetComponentIndex();
  if (cur < 0) return;
  Value = std::clamp(Value, Integer(0), Integer(list.size()) - 1);
  if (Value == cur) return;
  list.erase(list.begin() + cur);
  list.insert(list.begin() + Value, this);
}

TComponent* TComponent::FindComponent(const String& AName) const {
  if (AName.empty()) return nullptr;
  for (TComponent* c : FComponents)
    if (tl_detail::SameIdent(c->FName, AName)) return c;
  return nullptr;
}

void TComponent::SetName(const String& NewName) {
  if (FName == NewName) return;
  if (!NewName.empty() && !IsIdent(NewName))
    throw EComponentError("'" + NewName + "' is not a valid component name");
  if (FOwner)
    FOwner->ValidateRename(this, FName, NewName);
  else
    ValidateRename(nullptr, FName, NewName);
  ChangeName(NewName);
}

void TComponent::ValidateRename(TComponent* AComponent, const String& CurName, const String& NewName) {
  if (AComponent && !tl_detail::SameIdent(CurName, NewName) && FindComponent(NewName))
    throw EComponentError("A component named " + NewName + " already exists");
}

void TComponent::Insert(TComponent* AComponent) {
  FComponents.push_back(AComponent);
  AComponent->FOwner = this;
}

void TComponent::Remove(TComponent* AComponent) {
  auto it = std::find(FComponents.begin(), FComponents.end(), AComponent);
  if (it != FComponents.end()) FComponents.erase(it);
  AComponent->FOwner = nullptr;
}

void TComponent::InsertComponent(TComponent* AComponent) {
  if (!AComponent) return;
  ValidateRename(AComponent, String(), AComponent->FName);
  if (AComponent->FOwner) AComponent->FOwner->RemoveComponent(AComponent);
  Insert(AComponent);
  if (FComponentState.Contains(csDesigning)) AComponent->SetDesigning(true);
  Notification(AComponent, TOperation::opInsert);
}

void TComponent::RemoveComponent(TComponent* AComponent) {
  if (!AComponent || AComponent->FOwner != this) return;
  Notification(AComponent, TOperation::opRemove);
  Remove(AComponent);
}

void TComponent::DestroyComponents() {
  while (!FComponents.empty()) {
    TComponent* c = FComponents.back();
    // The component leaves the list first, so whatever its destruction does sees a
    // consistent owner; the other components still hear of its removal.
    Notification(c, TOperation::opRemove);
    Remove(c);
    c->Free();
  }
}

void TComponent::Notification(TComponent* AComponent, TOperation Operation) {
  if (Operation == TOperation::opRemove && AComponent) RemoveFreeNotification(AComponent);
  // Forward to owned components; a handler may free some of them, so re-check the bound.
  for (size_t i = FComponents.size(); i-- > 0;) {
    if (i >= FComponents.size()) {
      if (FComponents.empty()) break;
      i = FComponents.size() - 1;
    }
    FComponents[i]->Notification(AComponent, Operation);
  }
}

bool TComponent::ExecuteAction(TBasicAction* Action) {
  if (!Action || !Action->HandlesTarget(this)) return false;
  Action->ExecuteTarget(this);
  return true;
}

bool TComponent::UpdateAction(TBasicAction* Action) {
  if (!Action || !Action->HandlesTarget(this)) return false;
  Action->UpdateTarget(this);
  return true;
}

void TComponent::FreeNotification(TComponent* AComponent) {
  if (!AComponent || AComponent == this) return;
  if (!FOwner || AComponent->FOwner != FOwner) {
    if (std::find(FFreeNotifies.begin(), FFreeNotifies.end(), AComponent) == FFreeNotifies.end()) {
      FFreeNotifies.push_back(AComponent);
      AComponent->FreeNotification(this);
    }
  }
  FComponentState.Include(csFreeNotification);
}

void TComponent::RemoveNotification(TComponent* AComponent) {
  auto it = std::find(FFreeNotifies.begin(), FFreeNotifies.end(), AComponent);
  if (it != FFreeNotifies.end()) FFreeNotifies.erase(it);
}

void TComponent::RemoveFreeNotification(TComponent* AComponent) {
  if (!AComponent) return;
  RemoveNotification(AComponent);
  AComponent->RemoveNotification(this);
}

void TComponent::GetChildren(const TGetChildProc&, TComponent*) {}

void TComponent::SetDesigning(bool Value, bool SetChildren) {
  SetStateFlag(csDesigning, Value);
  if (SetChildren)
    for (TComponent* c : FComponents) c->SetDesigning(Value, true);
}

void TComponent::Loaded() { FComponentState.Exclude(csLoading); }
