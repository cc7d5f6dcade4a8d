#include "widgets/data/cxData.h"

void TcxDataController::AfterConstruction() {
  inherited::AfterConstruction();
  Refresh();
}

TL_DEFINE_CLASS(TcxDataController)
