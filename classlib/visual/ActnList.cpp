#include "classlib/visual/ActnList.h"

#include "classlib/core/Filer.h"
#include "classlib/visual/Forms.h"
#include "platform/kernel/Units.h"

#include <algorithm>
#include <deque>

using enum TControlStyleItem;

TL_DEFINE_CLASS(TContainedAction)
TL_DEFINE_CLASS(TCustomAction)
TL_DEFINE_CLASS(TAction, [](auto& c) {
  c.Property("Caption", &TAction::GetCaption, &TAction::SetCaption);
  c.Property("Checked", &TAction::GetChecked, &TAction::SetChecked).Default(false);
  c.Property("Enabled", &TAction::GetEnabled, &TAction::SetEnabled).Default(true);
  c.Property("Hint", &TAction::GetHint, &TAction::SetHint);
  c.Property("ImageIndex", &TAction::GetImageIndex, &TAction::SetImageIndex).Default(-1);
  c.Property("ShortCut", &TAction::GetShortCut, &TAction::SetShortCut).Default(0);
  c.Property("Visible", &TAction::GetVisible, &TAction::SetVisible).Default(true);
})
TL_DEFINE_CLASS(TCustomActionList)
TL_DEFINE_CLASS(TActionList, [](auto& c) { c.Property("Images", &TActionList::GetImages, &TActionList::SetImages); })
TL_DEFINE_CLASS(TActionLink)
TL_DEFINE_CLASS(TControlActionLink)
TL_DEFINE_CLASS(TWinControlActionLink)

// ---- Contained actions --------------------------------------------------------------------

void TContainedAction::BeforeDestruction() {
  SetActionList(nullptr);
  inherited::BeforeDestruction();
}

void TContainedAction::SetActionList(TCustomActionList* Value) {
  if (Value == FActionList) return;
  if (FActionList) FActionList->RemoveAction(this);
  if (Value) Value->AddAction(this);
}

Integer TContainedAction::GetIndex() const {
  if (!FActionList) return -1;
  auto& list = FActionList->FActions;
  return Integer(std::find(list.begin(), list.end(), this) - list.begin());
}

bool TContainedAction::Execute() {
  TWeakLink self(this);
  if (inherited::Execute()) return true;
  return self.Alive() && DispatchActionToTarget(this, true);
}

bool TContainedAction::Update() {
  TWeakLink self(this);
  if (inherited::Update()) return true;
  return self.Alive() && DispatchActionToTarget(this, false);
}

TComponent* TContainedAction::GetParentComponent() const { return FActionList; }

void TContainedAction::SetParentComponent(TComponent* Value) {
  if (auto* list = dynamic_cast<TCustomActionList*>(Value)) SetActionList(list);
}

void TContainedAction::ReadState(TReader& Reader) {
  if (auto* list = dynamic_cast<TCustomActionList*>(Reader.Parent())) SetActionList(list);
  inherited::ReadState(Reader);
}

// ---- Custom actions -----------------------------------------------------------------------

namespace {
// Tells the links the new value (each still sees the old one), then stores it and tells them
// the action changed, unless a client's reaction freed the action.
template <class V, class S>
void ChangeActionValue(TCustomAction* Action, V& Field, const V& Value, void (TActionLink::*Setter)(S)) {
  if (Field == Value) return;
  TWeakLink alive(Action);
  Action->ForEachClient([&](TBasicActionLink* link) {
    if (auto* l = dynamic_cast<TActionLink*>(link)) (l->*Setter)(Value);
  });
  if (!alive.Alive()) return;
  Field = Value;
  Action->Change();
}
}  // namespace

void TCustomAction::SetCaption(const String& Value) { ChangeActionValue(this, FCaption, Value, &TActionLink::SetCaption); }
void TCustomAction::SetChecked(bool Value) { ChangeActionValue(this, FChecked, Value, &TActionLink::SetChecked); }
void TCustomAction::SetEnabled(bool Value) { ChangeActionValue(this, FEnabled, Value, &TActionLink::SetEnabled); }
void TCustomAction::SetHint(const String& Value) { ChangeActionValue(this, FHint, Value, &TActionLink::SetHint); }
void TCustomAction::SetVisible(bool Value) { ChangeActionValue(this, FVisible, Value, &TActionLink::SetVisible); }

void TCustomAction::SetImageIndex(Integer Value) {
  ChangeActionValue(this, FImageIndex, Value, &TActionLink::SetImageIndex);
}

void TCustomAction::SetShortCut(TShortCut Value) {
  ChangeActionValue(this, FShortCut, Value, &TActionLink::SetShortCut);
}

bool TCustomAction::Execute() {
  TWeakLink self(this);
  Update();
  if (!self.Alive() || !FEnabled) return false;
  return inherited::Execute();
}

// ---- Action lists -------------------------------------------------------------------------

void TCustomActionList::BeforeDestruction() {
  while (!FActions.empty()) {
    TContainedAction* action = FActions.back();
    FActions.pop_back();
    action->FActionList = nullptr;
    action->Free();
  }
  SetImages(nullptr);
  inherited::BeforeDestruction();
}

TContainedAction* TCustomActionList::Actions(Integer Index) const {
  if (Index < 0 || Index >= ActionCount())
    throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
  return FActions[size_t(Index)];
}

void TCustomActionList::SetImages(TCustomImageList* Value) {
  if (Value == FImages) return;
  if (FImages) FImages->RemoveFreeNotification(this);
  FImages = Value;
  if (FImages) FImages->FreeNotification(this);
}

bool TCustomActionList::IsShortCut(TMessage& Message) {
  TShortCut sc = ShortCut(Word(Message.WParam), KeyDataToShiftState(Message.LParam));
  if (sc == scNone) return false;
  std::vector<TContainedAction*> actions = FActions;
  TWeakLink list(this);
  for (TContainedAction* a : actions) {
    if (!list.Alive()) return false;
    if (std::find(FActions.begin(), FActions.end(), a) == FActions.end()) continue;
    auto* action = dynamic_cast<TCustomAction*>(a);
    if (!action || action->GetShortCut() != sc) continue;
    TWeakLink alive(action);
    action->Update();
    if (!alive.Alive() || !action->GetEnabled()) return false;
    action->Execute();
    return true;
  }
  return false;
}

void TCustomActionList::GetChildren(const TGetChildProc& Proc, TComponent* Root) {
  for (TContainedAction* action : std::vector<TContainedAction*>(FActions))
    if (action->Owner() == Root) Proc(action);
}

void TCustomActionList::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation != TOperation::opRemove) return;
  if (AComponent == FImages) FImages = nullptr;
  auto it = std::find(FActions.begin(), FActions.end(), AComponent);
  if (it != FActions.end()) {
    (*it)->FActionList = nullptr;
    FActions.erase(it);
  }
}

void TCustomActionList::AddAction(TContainedAction* Action) {
  FActions.push_back(Action);
  Action->FActionList = this;
  Action->FreeNotification(this);
}

void TCustomActionList::RemoveAction(TContainedAction* Action) {
  auto it = std::find(FActions.begin(), FActions.end(), Action);
  if (it == FActions.end()) return;
  FActions.erase(it);
  Action->FActionList = nullptr;
  Action->RemoveFreeNotification(this);
}

// ---- Action links -------------------------------------------------------------------------

bool TActionLink::IsCaptionLinked() { return CustomAction() != nullptr; }
bool TActionLink::IsCheckedLinked() { return CustomAction() != nullptr; }
bool TActionLink::IsEnabledLinked() { return CustomAction() != nullptr; }
bool TActionLink::IsHintLinked() { return CustomAction() != nullptr; }
bool TActionLink::IsImageIndexLinked() { return CustomAction() != nullptr; }
bool TActionLink::IsShortCutLinked() { return CustomAction() != nullptr; }
bool TActionLink::IsVisibleLinked() { return CustomAction() != nullptr; }

bool TControlActionLink::IsCaptionLinked() {
  return inherited::IsCaptionLinked() && FClient->GetCaption() == CustomAction()->GetCaption();
}

bool TControlActionLink::IsEnabledLinked() {
  return inherited::IsEnabledLinked() && FClient->GetEnabled() == CustomAction()->GetEnabled();
}

bool TControlActionLink::IsHintLinked() {
  return inherited::IsHintLinked() && FClient->GetHint() == CustomAction()->GetHint();
}

bool TControlActionLink::IsVisibleLinked() {
  return inherited::IsVisibleLinked() && FClient->GetVisible() == CustomAction()->GetVisible();
}

bool TControlActionLink::IsOnExecuteLinked() {
  return FAction && FClient->OnClick == FAction->GetOnExecute();
}

void TControlActionLink::SetCaption(const String& Value) {
  if (IsCaptionLinked()) FClient->SetCaption(Value);
}

void TControlActionLink::SetEnabled(bool Value) {
  if (IsEnabledLinked()) FClient->SetEnabled(Value);
}

void TControlActionLink::SetHint(const String& Value) {
  if (IsHintLinked()) FClient->SetHint(Value);
}

void TControlActionLink::SetVisible(bool Value) {
  if (IsVisibleLinked()) FClient->SetVisible(Value);
}

void TControlActionLink::SetOnExecute(const TNotifyEvent& Value) {
  if (IsOnExecuteLinked()) FClient->OnClick = Value;
}

void TControlActionLink::Change() {
  if (FAction) FClient->ActionChange(FAction, false);
}

// ---- The control's side -------------------------------------------------------------------

TBasicAction* TControl::GetAction() const { return FActionLink ? FActionLink->GetAction() : nullptr; }

void TControl::SetAction(TBasicAction* Value) {
  TBasicAction* old = GetAction();
  if (!Value) {
    FControlStyle.Exclude(csActionClient);
    TControlActionLink* link = FActionLink;
    FActionLink = nullptr;
    if (link) link->Free();
    if (old) old->RemoveFreeNotification(this);
    return;
  }
  if (Value == old) return;
  if (old) old->RemoveFreeNotification(this);
  if (!FActionLink) FActionLink = GetActionLinkClass().Create(this);
  FActionLink->SetAction(Value);
  FControlStyle.Include(csActionClient);
  Value->FreeNotification(this);
  ActionChange(Value, Value->InState(TComponentStateItem::csLoading));
}

TControlActionLinkClass TControl::GetActionLinkClass() const {
  return ClassOf<TControlActionLink, TControlActionLink, TControl*>();
}

TControlActionLinkClass TWinControl::GetActionLinkClass() const {
  return ClassOf<TWinControlActionLink, TControlActionLink, TControl*>();
}

void TControl::ActionChange(TObject* Sender, bool CheckDefaults) {
  auto* action = dynamic_cast<TCustomAction*>(Sender);
  if (!action) return;
  TWeakLink self(this);
  // Each write below may run the control's own handlers: stop once the control is gone.
  if (!CheckDefaults || GetCaption().empty()) SetCaption(action->GetCaption());
  if (!self.Alive()) return;
  if (!CheckDefaults || FEnabled) SetEnabled(action->GetEnabled());
  if (!self.Alive()) return;
  if (!CheckDefaults || FHint.empty()) SetHint(action->GetHint());
  if (!CheckDefaults || FVisible) SetVisible(action->GetVisible());
  if (!self.Alive()) return;
  if (!CheckDefaults || !OnClick) OnClick = action->GetOnExecute();
}

void TControl::InitiateAction() {
  if (FActionLink) FActionLink->Update();
}

void TControl::Click() {
  TBasicAction* action = GetAction();
  if (OnClick && action && OnClick != action->GetOnExecute())
    OnClick(this);
  else if (action && !InState(TComponentStateItem::csDesigning))
    FActionLink->Execute(this);
  else if (OnClick)
    OnClick(this);
}

// ---- Targets and idle time ----------------------------------------------------------------

bool DispatchActionToTarget(TBasicAction* Action, bool Execute) {
  if (!Action || !Screen) return false;
  TCustomForm* form = Screen->ActiveForm();
  if (!form) return false;
  TWeakLink formAlive(form);
  TWeakLink actionAlive(Action);
  if (TWinControl* control = form->GetActiveControl())
    if (Execute ? control->ExecuteAction(Action) : control->UpdateAction(Action)) return true;
  if (!formAlive.Alive() || !actionAlive.Alive()) return false;
  return Execute ? form->ExecuteAction(Action) : form->UpdateAction(Action);
}

namespace {
void CollectActionClients(TWinControl* Container, std::deque<TWeakLink>& Clients) {
  for (Integer i = 0; i < Container->ControlCount(); ++i) {
    TControl* control = Container->Controls(i);
    if (control->ControlStyle().Contains(csActionClient) && control->GetVisible()) Clients.emplace_back(control);
    if (auto* w = dynamic_cast<TWinControl*>(control); w && w->ControlCount() > 0 && w->GetVisible())
      CollectActionClients(w, Clients);
  }
}
}  // namespace

void UpdateFormActions(TCustomForm* Form) {
  if (!Form || Form->InState(TComponentStateItem::csDesigning) || !Form->Showing()) return;
  // An update handler may free any of these (or the form): each is looked at only while alive.
  std::deque<TWeakLink> clients;
  if (Form->ControlStyle().Contains(csActionClient)) clients.emplace_back(Form);
  CollectActionClients(Form, clients);
  for (TWeakLink& client : clients)
    if (client.Alive()) static_cast<TControl*>(client.Ref())->InitiateAction();
}

void UpdateActionsOnIdle() {
  if (!Screen) return;
  std::deque<TWeakLink> forms;
  for (Integer i = 0; i < Screen->FormCount(); ++i) forms.emplace_back(Screen->Forms(i));
  for (TWeakLink& form : forms)
    if (form.Alive()) UpdateFormActions(static_cast<TCustomForm*>(form.Ref()));
}

namespace {
UnitCounter gActnList;
}

void ActnListUnit::Initialize() {
  if (gActnList.Enter()) RegisterClasses({&TActionList::StaticClass(), &TAction::StaticClass()});
}

void ActnListUnit::Finalize() { gActnList.Leave(); }
