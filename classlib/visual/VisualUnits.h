// Start-up of the visual class library: the units in order (graphics, controls, forms, clipboard,
// extra controls), creating Mouse, Screen, Application and Clipboard; finalization in
// reverse. Both are counted like every unit's own.
#pragma once

void ClasslibVisualInitialize();
void ClasslibVisualFinalize();
