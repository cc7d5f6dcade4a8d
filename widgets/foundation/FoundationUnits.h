// Start-up of the control foundation's units, in their fixed order: class registries and
// message overrides, control flags and cursors, the visual-style library, the theme manager,
// look and feel with the native painter and the Office11 colours, the painter images, and the
// container unit's popup hooks.
// Counted; finalized in reverse.
#pragma once

void WidgetsFoundationInitialize();
void WidgetsFoundationFinalize();
