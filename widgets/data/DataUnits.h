// Start-up of the data controller's units, in their fixed order: the data utilities, the
// LIKE matcher, the record storage, which registers the value types, the filter constants
// and the filter criteria. Counted;
// finalized in reverse.
#pragma once

void WidgetsDataInitialize();
void WidgetsDataFinalize();
