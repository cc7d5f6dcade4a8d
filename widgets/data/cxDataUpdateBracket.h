// Closes a controller's update bracket on every way out, so a raising handler never leaves
// the controller locked; an error while unwinding is dropped so the first one reaches the
// caller.
#pragma once

#include "widgets/data/cxDataController.h"

#include <exception>

class TcxDataUpdateBracket {
 public:
  explicit TcxDataUpdateBracket(TcxCustomDataController* AController) : FController(AController) {
    FController->BeginUpdate();
  }
  ~TcxDataUpdateBracket() noexcept(false) {
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
  int FExceptions = std::uncaught_exceptions();
};
