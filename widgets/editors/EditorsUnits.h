// Start-up of the standard editors' units: the button, the label, the radio button and group register
// their classes for window descriptions (the label its properties class too), the check box
// measures the system check. Needs the editor framework's units started first. Counted;
// finalized in reverse.
#pragma once

void WidgetsEditorsInitialize();
void WidgetsEditorsFinalize();
