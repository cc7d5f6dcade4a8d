// Start-up of the data controller's units, in their fixed order: the data utilities, the
// LIKE matcher, then the record storage, which registers the value types. Counted;
// finalized in reverse.
#pragma once

void WidgetsDataInitialize();
void WidgetsDataFinalize();
