// Start-up of the editor framework's units: the date utilities, then the format
// controller that builds on them, then the painting utilities, then the editor settings
// (properties, repository, styles). Counted; finalized in reverse.
#pragma once

void WidgetsEditcoreInitialize();
void WidgetsEditcoreFinalize();
