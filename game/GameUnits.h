// Start-up of the game's own unit: its resources (the main window's description) and the
// classes its descriptions name. Counted like every unit's start-up.
#pragma once

void GameInitialize();
void GameFinalize();

// The widget library's units the game's windows use: the foundation and the editor
// framework whole, and of the standard editors only those the game's descriptions name (the
// button, group box, label, hyperlink, spin edit and combo box), so that no other editor's
// classes or measurements are set up. Needs the class library's visual units first.
// Counted; finalized in reverse.
void GameWidgetsInitialize();
void GameWidgetsFinalize();
