// Start-up of the standard editors' units: the button registers its class for window
// descriptions. Counted; finalized in reverse.
#pragma once

void WidgetsEditorsInitialize();
void WidgetsEditorsFinalize();
