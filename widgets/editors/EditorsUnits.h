// Start-up of the standard editors' units: the button and the label register their classes
// for window descriptions (the label its properties class too). Needs the editor
// framework's units started first. Counted; finalized in reverse.
#pragma once

void WidgetsEditorsInitialize();
void WidgetsEditorsFinalize();
