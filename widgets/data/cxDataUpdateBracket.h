// Closes a controller's update bracket on every way out, so a raising handler never leaves
// the controller locked; an error while unwinding is dropped so the first one reaches the
// caller.
#pragma once

#include "widgets/data/cxDataController.h"

#include <exception>

class TcxDataUpdateBracket {
 public:
  explicit TcxDataUpdateBracket(TcxCustomDataController* AController)
      : FController(AController), FLink(AController) {
    FController->BeginUpdate();
  }
  // A handler inside the bracket may have freed the controller: then there is nothing to close.
  ~TcxDataUpdateBracket() noexcept(false) {
    if (!FLink.Alive()) return;
    if (std::uncaught_exceptions() > FExceptions) {
      try {
        FController->EndUpdate();
      } catch (...) {
      }
    } else {
      FController->EndUpdate();
    }
  }
  TcxDataUpdateBracket(const TcxDataUpdateBracket&) = delete;
  TcxDataUpdateBracket& operator=(const TcxDataUpdateBracket&) = delete;

 private:
  TcxCustomDataController* FController;
  TWeakLink FLink;
  int FExceptions = std::uncaught_exceptions();
};
