// The units a game window needs besides the application's: the widget library's units the
// program starts, then the game's own. Stopped in reverse.
#pragma once

#include "game/GameUnits.h"

inline void StartGameUnits() {
  GameWidgetsInitialize();
  GameInitialize();
}

inline void StopGameUnits() {
  GameFinalize();
  GameWidgetsFinalize();
}
