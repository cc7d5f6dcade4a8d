// The in-memory data controller.
#pragma once

#include "widgets/data/cxCustomData.h"

class TcxDataController : public TcxCustomDataController {
  TL_CLASS(TcxDataController, TcxCustomDataController)
 public:
  using TcxCustomDataController::TcxCustomDataController;
  // The controller is active from the start: its rows are built.
  void AfterConstruction() override;
};
