// The data controller unit: shared types, fields, the row list, the controller, its
// filter and its summaries.
#pragma once

#include "widgets/data/cxDataController.h"
#include "widgets/data/cxDataControllerFilter.h"
#include "widgets/data/cxDataControllerInfo.h"
#include "widgets/data/cxDataControllerTypes.h"
#include "widgets/data/cxDataFields.h"
#include "widgets/data/cxDataKeys.h"
#include "widgets/data/cxDataSummary.h"
