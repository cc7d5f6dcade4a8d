// Start-up of the game's own unit: its resources (the main window's description) and the
// classes its descriptions name. Counted like every unit's start-up.
#pragma once

void GameInitialize();
void GameFinalize();
