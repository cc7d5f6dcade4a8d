#include "widgets/databinding/DatabindingUnits.h"

#include "platform/kernel/Units.h"
#include "widgets/databinding/cxDBData.h"
#include "widgets/databinding/cxDBEdit.h"
#include "widgets/databinding/cxDBFilter.h"
#include "widgets/databinding/cxDBLookupComboBox.h"
#include "widgets/databinding/cxEditDBRegisteredRepositoryItems.h"
#include "widgets/databinding/cxFilterControlUtils.h"
#include "widgets/databinding/cxLookupDBGrid.h"
#include "widgets/databinding/cxLookupGrid.h"

namespace {

// In unit order: a unit may rely on every unit above it being started. The field routines
// and the adapter list (cxDBUtils) need no start-up of their own.
const UnitEntry kDatabindingUnits[] = {
    {"cxDBEdit", cxDBEdit::Initialize, cxDBEdit::Finalize},
    {"cxDBFilter", cxDBFilter::Initialize, cxDBFilter::Finalize},
    {"cxDBData", cxDBData::Initialize, cxDBData::Finalize},
    {"cxEditDBRegisteredRepositoryItems", cxEditDBRegisteredRepositoryItems::Initialize,
     cxEditDBRegisteredRepositoryItems::Finalize},
    {"cxLookupGrid", cxLookupGrid::Initialize, cxLookupGrid::Finalize},
    {"cxLookupDBGrid", cxLookupDBGrid::Initialize, cxLookupDBGrid::Finalize},
    {"cxDBLookupComboBox", cxDBLookupComboBox::Initialize, cxDBLookupComboBox::Finalize},
    {"cxFilterControlUtils", cxFilterControlUtils::Initialize, cxFilterControlUtils::Finalize},
};
UnitCounter gDatabinding;

}  // namespace

void WidgetsDatabindingInitialize() {
  if (!gDatabinding.Enter()) return;
  try {
    InitializeUnits(kDatabindingUnits);
  } catch (...) {  // written out: a start that fails is undone; one that succeeds stays
    gDatabinding.Leave();
    throw;
  }
}

void WidgetsDatabindingFinalize() {
  if (gDatabinding.Leave()) FinalizeUnits(kDatabindingUnits);
}
