// Start-up of the standard editors' units: the button registers its class for window
// descriptions, the check box measures the system check. Counted; finalized in reverse.
#pragma once

void WidgetsEditorsInitialize();
void WidgetsEditorsFinalize();
