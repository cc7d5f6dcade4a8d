// Persistent objects and components: assignment, streaming hooks, ownership, names,
// component state and free notification.
#pragma once

#include "classlib/core/Object.h"

#include <functional>
#include <vector>

class TFiler;
class TReader;
class TWriter;
class TComponent;
class TBasicAction;

class TPersistent : public TObject {
  TL_CLASS(TPersistent, TObject)
 public:
  // Copies Source into this object; falls back to Source->AssignTo(this). Raises
  // EConvertError when neither side knows the other.
  virtual void Assign(TPersistent* Source);
  virtual TPersistent* GetOwner() const { return nullptr; }
  // Dotted path used in messages: owner's path plus this object's name.
  virtual String GetNamePath() const;

 protected:
  virtual void AssignTo(TPersistent* Dest);
  void AssignError(TPersistent* Source);
  // Non-published data written to and read from component streams.
  virtual void DefineProperties(TFiler& Filer);

  friend class TFiler;
  friend class TReader;
  friend class TWriter;
};

// Interface support without reference counting: lifetime stays with the owner.
class TInterfacedPersistent : public TPersistent {
  TL_CLASS(TInterfacedPersistent, TPersistent)
};

TL_ENUM(TComponentStateItem, csLoading, csReading, csWriting, csDestroying, csDesigning, csAncestor,
        csUpdating, csFixups, csFreeNotification, csInline, csDesignInstance);
using TComponentState = Set<TComponentStateItem>;

TL_ENUM(TOperation, opInsert, opRemove);

TL_ENUM(TAlignment, taLeftJustify, taRightJustify, taCenter);

TL_ENUM(TShiftStateItem, ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble);
using TShiftState = Set<TShiftStateItem>;

class TComponent : public TPersistent {
  TL_CLASS(TComponent, TPersistent)
 public:
  // The owner takes the component in AfterConstruction, where its Notification
  // override is reachable.
  explicit TComponent(TComponent* AOwner);
  void AfterConstruction() override;
  // Notifies free-notification clients, frees owned components (last first), and leaves
  // the owner, which tells its other components.
  void BeforeDestruction() override;

  TComponent* Owner() const { return FOwner; }
  TPersistent* GetOwner() const override;
  String GetNamePath() const override;

  const String& GetName() const { return FName; }
  virtual void SetName(const String& NewName);
  Integer GetTag() const { return FTag; }
  void SetTag(Integer v) { FTag = v; }

  Integer ComponentCount() const { return Integer(FComponents.size()); }
  TComponent* Components(Integer Index) const;
  Integer GetComponentIndex() const;
  void SetComponentIndex(Integer Value);
  TComponent* FindComponent(const String& AName) const;

  TComponentState ComponentState() const { return FComponentState; }
  bool InState(TComponentStateItem s) const { return FComponentState.Contains(s); }

  void InsertComponent(TComponent* AComponent);
  void RemoveComponent(TComponent* AComponent);
  // Frees every owned component, the last one first.
  void DestroyComponents();
  // Marks this component and the components it owns as being destroyed.
  void Destroying();

  // Makes AComponent hear Notification(this, opRemove) when this component is freed, and
  // the reverse. Components with the same owner already hear of each other through it.
  void FreeNotification(TComponent* AComponent);
  void RemoveFreeNotification(TComponent* AComponent);

  virtual bool HasParent() const { return false; }
  virtual TComponent* GetParentComponent() const { return nullptr; }
  virtual void SetParentComponent(TComponent*) {}

  using TGetChildProc = std::function<void(TComponent* Child)>;
  // The components written as this component's children in a component stream.
  virtual void GetChildren(const TGetChildProc& Proc, TComponent* Root);
  virtual TComponent* GetChildOwner() { return nullptr; }
  virtual TComponent* GetChildParent() { return this; }
  virtual void SetChildOrder(TComponent*, Integer) {}

  void SetDesigning(bool Value, bool SetChildren = true);
  // An action looking for its target: one that handles this component runs (or updates)
  // on it, and the answer says so.
  virtual bool ExecuteAction(TBasicAction* Action);
  virtual bool UpdateAction(TBasicAction* Action);
  // Component streaming: the default reads and writes this component's data (Filer.cpp).
  virtual void ReadState(TReader& Reader);
  virtual void WriteState(TWriter& Writer);

 protected:
  void BeginDestruction() noexcept override;
  virtual void Notification(TComponent* AComponent, TOperation Operation);
  virtual void ValidateRename(TComponent* AComponent, const String& CurName, const String& NewName);
  virtual void ChangeName(const String& NewName) { FName = NewName; }
  // Runs after the whole stream was read; clears csLoading.
  virtual void Loaded();
  virtual void Updating() { FComponentState.Include(TComponentStateItem::csUpdating); }
  virtual void Updated() { FComponentState.Exclude(TComponentStateItem::csUpdating); }

  void SetStateFlag(TComponentStateItem s, bool on) {
    if (on)
      FComponentState.Include(s);
    else
      FComponentState.Exclude(s);
  }

  friend class TReader;
  friend class TWriter;

 private:
  void Insert(TComponent* AComponent);
  void Remove(TComponent* AComponent);
  void RemoveNotification(TComponent* AComponent);

  TComponent* FOwner = nullptr;
  bool FInserted = false;
  String FName;
  Integer FTag = 0;
  std::vector<TComponent*> FComponents;
  std::vector<TComponent*> FFreeNotifies;
  TComponentState FComponentState;
};
