#include "widgets/data/DataUnits.h"

#include "platform/kernel/Units.h"
#include "widgets/data/cxDataStorage.h"
#include "widgets/data/cxDataUtils.h"
#include "widgets/data/cxFilter.h"
#include "widgets/data/cxFilterConsts.h"
#include "widgets/data/cxLike.h"

namespace {

const UnitEntry kDataUnits[] = {
    {"cxDataUtils", cxDataUtils::Initialize, cxDataUtils::Finalize},
    {"cxLike", cxLike::Initialize, cxLike::Finalize},
    {"cxDataStorage", cxDataStorage::Initialize, cxDataStorage::Finalize},
    {"cxFilterConsts", cxFilterConsts::Initialize, cxFilterConsts::Finalize},
    {"cxFilter", cxFilter::Initialize, cxFilter::Finalize},
};
UnitCounter gData;

}  // namespace

void WidgetsDataInitialize() {
  if (!gData.Enter()) return;
  try {
    InitializeUnits(kDataUnits);
  } catch (...) {  // written out: a start that fails is undone; one that succeeds stays
    gData.Leave();
    throw;
  }
}

void WidgetsDataFinalize() {
  if (gData.Leave()) FinalizeUnits(kDataUnits);
}
