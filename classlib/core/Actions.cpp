#include "classlib/core/Actions.h"

#include "classlib/core/ScopeGuards.h"

#include <algorithm>

TL_DEFINE_CLASS(TBasicAction, [](auto& c) {
  c.Property("OnExecute", &TBasicAction::GetOnExecute, &TBasicAction::SetOnExecute);
  c.Event("OnUpdate", &TBasicAction::OnUpdate);
})

TL_DEFINE_CLASS(TBasicActionLink)

void TBasicAction::BeforeDestruction() {
  while (!FClients.empty()) FClients.back()->SetAction(nullptr);
  inherited::BeforeDestruction();
}

bool TBasicAction::Execute() {
  if (!FOnExecute) return false;
  FOnExecute(this);
  return true;
}

bool TBasicAction::Update() {
  if (!OnUpdate) return false;
  OnUpdate(this);
  return true;
}

void TBasicAction::ForEachClient(const std::function<void(TBasicActionLink*)>& Tell) {
  const std::vector<TBasicActionLink*> links = FClients;
  TWeakLink self(this);
  for (TBasicActionLink* link : links) {
    if (!self.Alive()) return;
    if (std::find(FClients.begin(), FClients.end(), link) != FClients.end()) Tell(link);
  }
}

void TBasicAction::Change() {
  ForEachClient([](TBasicActionLink* link) { link->Change(); });
}

void TBasicAction::SetOnExecute(const TNotifyEvent& Value) {
  if (FOnExecute == Value) return;
  TWeakLink self(this);
  ForEachClient([&](TBasicActionLink* link) { link->SetOnExecute(Value); });
  if (!self.Alive()) return;
  FOnExecute = Value;
  Change();
}

void TBasicAction::RegisterChanges(TBasicActionLink* Value) {
  if (std::find(FClients.begin(), FClients.end(), Value) == FClients.end()) FClients.push_back(Value);
}

void TBasicAction::UnRegisterChanges(TBasicActionLink* Value) {
  auto it = std::find(FClients.begin(), FClients.end(), Value);
  if (it != FClients.end()) FClients.erase(it);
}

void TBasicActionLink::BeforeDestruction() {
  if (FAction) FAction->UnRegisterChanges(this);
  FAction = nullptr;
  inherited::BeforeDestruction();
}

void TBasicActionLink::SetAction(TBasicAction* Value) {
  if (Value == FAction) return;
  if (FAction) FAction->UnRegisterChanges(this);
  FAction = Value;
  if (FAction) FAction->RegisterChanges(this);
}

bool TBasicActionLink::Execute(TComponent* AComponent) {
  if (!FAction) return false;
  TBasicAction* action = FAction;
  auto component = WatchedPairedCall(
      action, [&] { action->SetActionComponent(AComponent); },
      [action] { action->SetActionComponent(nullptr); });
  return action->Execute();
}

bool TBasicActionLink::Update() { return FAction && FAction->Update(); }
