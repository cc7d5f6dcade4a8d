// Actions: commands that find their target among the objects that accept them, and the
// links through which clients (controls, menu items) follow an action.
#pragma once

#include "classlib/core/Classes.h"

#include <functional>
#include <vector>

class TBasicActionLink;

class TBasicAction : public TComponent {
  TL_CLASS(TBasicAction, TComponent)
 public:
  explicit TBasicAction(TComponent* AOwner) : TComponent(AOwner) {}
  // The links still attached let go of this action first, so none reaches it once freed.
  void BeforeDestruction() override;

  // Whether Target is something this action works on.
  virtual bool HandlesTarget(TObject* /*Target*/) { return false; }
  virtual void ExecuteTarget(TObject* /*Target*/) {}
  virtual void UpdateTarget(TObject* /*Target*/) {}
  // Runs OnExecute; answers whether a handler ran.
  virtual bool Execute();
  // Runs OnUpdate; answers whether a handler ran.
  virtual bool Update();

  // The component whose firing runs the action, during Execute only (nil when it is freed).
  TComponent* GetActionComponent() const { return static_cast<TComponent*>(FActionComponent.Ref()); }
  void SetActionComponent(TComponent* Value) { FActionComponent.Attach(Value); }

  const TNotifyEvent& GetOnExecute() const { return FOnExecute; }
  // The clients whose click still runs the old handler take the new one.
  void SetOnExecute(const TNotifyEvent& Value);
  TNotifyEvent OnUpdate;

  // The links attached to this action, in the order they came.
  Integer ClientCount() const { return Integer(FClients.size()); }
  TBasicActionLink* Clients(Integer Index) const { return FClients.at(size_t(Index)); }
  // Calls Tell for each link attached now. A client reacting may detach links or free the
  // action: links gone meanwhile are skipped, and a freed action ends the walk.
  void ForEachClient(const std::function<void(TBasicActionLink*)>& Tell);
  // After a property of the action changed: every link hears of it (its Change).
  void Change();

 private:
  friend class TBasicActionLink;
  void RegisterChanges(TBasicActionLink* Value);
  void UnRegisterChanges(TBasicActionLink* Value);

  std::vector<TBasicActionLink*> FClients;
  TNotifyEvent FOnExecute;
  TWeakLink FActionComponent;
};

// What ties a client to an action: the action tells its links of each change and the link
// decides what reaches the client.
class TBasicActionLink : public TObject {
  TL_CLASS(TBasicActionLink, TObject)
 public:
  explicit TBasicActionLink(TObject* /*AClient*/) {}
  void BeforeDestruction() override;

  TBasicAction* GetAction() const { return FAction; }
  virtual void SetAction(TBasicAction* Value);
  // Runs the action with AComponent as its ActionComponent. The handler may free this link
  // or its client: nothing of either is touched afterwards.
  virtual bool Execute(TComponent* AComponent = nullptr);
  virtual bool Update();

  // Whether the client's click handler is the action's OnExecute.
  virtual bool IsOnExecuteLinked() { return true; }
  virtual void SetOnExecute(const TNotifyEvent&) {}
  // The action changed (after its new value is stored).
  virtual void Change() {}

 protected:
  TBasicAction* FAction = nullptr;
  friend class TBasicAction;
};
