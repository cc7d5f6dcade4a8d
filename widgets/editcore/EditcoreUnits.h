// Start-up of the editor framework's units: the date utilities, then the format
// controller that builds on them, then the painting utilities. Counted; finalized in reverse.
#pragma once

void WidgetsEditcoreInitialize();
void WidgetsEditcoreFinalize();
