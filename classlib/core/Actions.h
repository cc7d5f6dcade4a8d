// Actions: commands that find their target among the objects that accept them.
#pragma once

#include "classlib/core/Classes.h"

class TBasicAction : public TComponent {
  TL_CLASS(TBasicAction, TComponent)
 public:
  explicit TBasicAction(TComponent* AOwner) : TComponent(AOwner) {}
  // Whether Target is something this action works on.
  virtual bool HandlesTarget(TObject* /*Target*/) { return false; }
  virtual void ExecuteTarget(TObject* /*Target*/) {}
  virtual void UpdateTarget(TObject* /*Target*/) {}
};
