// Start-up of the control foundation's units, in their fixed order: class registries and
// message overrides, control flags and cursors, the visual-style library, the theme manager,
// look and feel with the native painter and the Office11 colours, and the painter images.
// Counted; finalized in reverse.
#pragma once

void WidgetsFoundationInitialize();
void WidgetsFoundationFinalize();
