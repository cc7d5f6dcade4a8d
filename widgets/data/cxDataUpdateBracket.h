// Closes a controller's update bracket on every way out, so a raising handler never leaves
// the controller locked; an error while unwinding is dropped so the first one reaches the
// caller. A handler inside the bracket may have freed the controller: then there is nothing
// to close.
#pragma once

#include "classlib/core/ScopeGuards.h"
#include "widgets/data/cxDataController.h"

class TcxDataUpdateBracket {
 public:
  explicit TcxDataUpdateBracket(TcxCustomDataController* AController)
      : FEnd((AController->BeginUpdate(), AController), TEnd{AController}) {}

 private:
  struct TEnd {
    TcxCustomDataController* Controller;
    void operator()() const { Controller->EndUpdate(); }
  };
  TWatchedScopeExit<TEnd> FEnd;
};
