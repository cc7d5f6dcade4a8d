// Start-up of the specialised editors' units: each registers its properties class with the
// editor registry and its editor for window descriptions. Needs the standard editors' units
// started first. Counted; finalized in reverse.
#pragma once

void WidgetsSpecialInitialize();
void WidgetsSpecialFinalize();
