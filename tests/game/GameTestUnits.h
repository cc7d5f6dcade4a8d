// The units a game window needs besides the application's: the widget library's layers the
// main window's controls come from, then the game's own. Stopped in reverse.
#pragma once

#include "game/GameUnits.h"
#include "widgets/editcore/EditcoreUnits.h"
#include "widgets/editors/EditorsUnits.h"
#include "widgets/foundation/FoundationUnits.h"

inline void StartGameUnits() {
  WidgetsFoundationInitialize();
  WidgetsEditcoreInitialize();
  WidgetsEditorsInitialize();
  GameInitialize();
}

inline void StopGameUnits() {
  GameFinalize();
  WidgetsEditorsFinalize();
  WidgetsEditcoreFinalize();
  WidgetsFoundationFinalize();
}
