// Start-up of the data-set binding units, in their fixed order (each unit's entry in
// DatabindingUnits.cpp): field binding and the data-set controller first, then the
// data-aware editors, the default repository items by type, the filter-edit helpers and
// the lookup editors. Needs the specialised editors' and the data controller's units
// started first. Counted; finalized in reverse.
#pragma once

void WidgetsDatabindingInitialize();
void WidgetsDatabindingFinalize();
