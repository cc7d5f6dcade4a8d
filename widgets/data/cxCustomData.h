// The data controller unit: shared types, fields, the row list and the controller.
#pragma once

#include "widgets/data/cxDataController.h"
#include "widgets/data/cxDataControllerInfo.h"
#include "widgets/data/cxDataControllerTypes.h"
#include "widgets/data/cxDataFields.h"
#include "widgets/data/cxDataKeys.h"
