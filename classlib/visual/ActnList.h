// Action lists: actions with a caption, state and image kept in one place (TCustomAction,
// TAction), the lists that hold them with their images (TActionList), and the links through
// which controls follow an action (TActionLink, TControlActionLink).
#pragma once

#include "classlib/core/Actions.h"
#include "classlib/visual/Controls.h"
#include "classlib/visual/ImgList.h"
#include "classlib/visual/Menus.h"

#include <vector>

class TCustomActionList;

// An action that belongs to a list; one that no handler of its own takes looks for its
// target: the focused control of the active form, then that form.
class TContainedAction : public TBasicAction {
  TL_CLASS(TContainedAction, TBasicAction)
 public:
  using TBasicAction::TBasicAction;
  void BeforeDestruction() override;

  TCustomActionList* GetActionList() const { return FActionList; }
  void SetActionList(TCustomActionList* Value);
  // The action's position in its list (-1 without one).
  Integer GetIndex() const;

  bool Execute() override;
  bool Update() override;

  bool HasParent() const override { return true; }
  TComponent* GetParentComponent() const override;
  void SetParentComponent(TComponent* Value) override;
  void ReadState(TReader& Reader) override;

 private:
  friend class TCustomActionList;
  TCustomActionList* FActionList = nullptr;
};

class TCustomAction : public TContainedAction {
  TL_CLASS(TCustomAction, TContainedAction)
 public:
  using TContainedAction::TContainedAction;

  // Each write tells the links first (each still sees the old value, so it can tell whether
  // its client was following), then stores the value.
  const String& GetCaption() const { return FCaption; }
  void SetCaption(const String& Value);
  bool GetChecked() const { return FChecked; }
  void SetChecked(bool Value);
  bool GetEnabled() const { return FEnabled; }
  void SetEnabled(bool Value);
  const String& GetHint() const { return FHint; }
  void SetHint(const String& Value);
  Integer GetImageIndex() const { return FImageIndex; }
  void SetImageIndex(Integer Value);
  bool GetVisible() const { return FVisible; }
  void SetVisible(bool Value);
  TShortCut GetShortCut() const { return FShortCut; }
  void SetShortCut(TShortCut Value);

  // Updates the action first; a disabled action does not run.
  bool Execute() override;

 private:
  String FCaption;
  bool FChecked = false;
  bool FEnabled = true;
  String FHint;
  Integer FImageIndex = -1;
  bool FVisible = true;
  TShortCut FShortCut = scNone;
};

class TAction : public TCustomAction {
  TL_CLASS(TAction, TCustomAction)
 public:
  using TCustomAction::TCustomAction;
};

class TCustomActionList : public TComponent {
  TL_CLASS(TCustomActionList, TComponent)
 public:
  using TComponent::TComponent;
  // The actions still in the list are freed with it.
  void BeforeDestruction() override;

  Integer ActionCount() const { return Integer(FActions.size()); }
  TContainedAction* Actions(Integer Index) const;
  // The images the actions' ImageIndex refers to (not owned; cleared when freed).
  TCustomImageList* GetImages() const { return FImages; }
  void SetImages(TCustomImageList* Value);
  // A key that is an enabled action's shortcut runs that action and is taken.
  bool IsShortCut(TMessage& Message);

  void GetChildren(const TGetChildProc& Proc, TComponent* Root) override;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  friend class TContainedAction;
  void AddAction(TContainedAction* Action);
  void RemoveAction(TContainedAction* Action);

  std::vector<TContainedAction*> FActions;
  TCustomImageList* FImages = nullptr;
};

class TActionList : public TCustomActionList {
  TL_CLASS(TActionList, TCustomActionList)
 public:
  using TCustomActionList::TCustomActionList;
};

// A link that passes a TCustomAction's properties on to its client; which of them the
// client follows is for the descendants to say.
class TActionLink : public TBasicActionLink {
  TL_CLASS(TActionLink, TBasicActionLink)
 public:
  using TBasicActionLink::TBasicActionLink;
  virtual bool IsCaptionLinked();
  virtual bool IsCheckedLinked();
  virtual bool IsEnabledLinked();
  virtual bool IsHintLinked();
  virtual bool IsImageIndexLinked();
  virtual bool IsShortCutLinked();
  virtual bool IsVisibleLinked();
  virtual void SetCaption(const String&) {}
  virtual void SetChecked(bool) {}
  virtual void SetEnabled(bool) {}
  virtual void SetHint(const String&) {}
  virtual void SetImageIndex(Integer) {}
  virtual void SetShortCut(TShortCut) {}
  virtual void SetVisible(bool) {}

 protected:
  TCustomAction* CustomAction() const { return dynamic_cast<TCustomAction*>(FAction); }
};

// A control follows its action's caption, enabled state, hint and visibility, and runs the
// action from its click: a setter passes a value on while the control's value still equals
// the action's, and once stored every change of the action brings all of them
// (ActionChange without the defaults rule).
class TControlActionLink : public TActionLink {
  TL_CLASS(TControlActionLink, TActionLink)
 public:
  explicit TControlActionLink(TControl* AClient) : TActionLink(AClient), FClient(AClient) {}
  bool IsCaptionLinked() override;
  bool IsEnabledLinked() override;
  bool IsHintLinked() override;
  bool IsVisibleLinked() override;
  bool IsOnExecuteLinked() override;
  void SetCaption(const String& Value) override;
  void SetEnabled(bool Value) override;
  void SetHint(const String& Value) override;
  void SetVisible(bool Value) override;
  void SetOnExecute(const TNotifyEvent& Value) override;
  // Any change of the action reaches the client whole: its ActionChange without the
  // defaults rule.
  void Change() override;

 protected:
  TControl* FClient;
};

class TWinControlActionLink : public TControlActionLink {
  TL_CLASS(TWinControlActionLink, TControlActionLink)
 public:
  using TControlActionLink::TControlActionLink;
};

// Idle time: every showing control of every visible form that follows an action has it
// updated.
void UpdateFormActions(TCustomForm* Form);
// Idle time of the application: the actions of every form.
void UpdateActionsOnIdle();
// An action with no handler of its own looks for its target (Execute: run on it; else update
// it): the focused control of the active form, then that form. Answers whether one took it.
bool DispatchActionToTarget(TBasicAction* Action, bool Execute);

namespace ActnListUnit {
void Initialize();
void Finalize();
}  // namespace ActnListUnit
