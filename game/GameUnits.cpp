#include "game/GameUnits.h"

#include "game/MainForm.h"
#include "platform/kernel/Resources.h"
#include "platform/kernel/Units.h"

void TlRegisterResources_game_lib();

namespace {
UnitCounter gGame;
}  // namespace

void GameInitialize() {
  if (!gGame.Enter()) return;
  try {
    TlRegisterResources_game_lib();
    RegisterClass(TMainForm::StaticClass());
  } catch (...) {
    gGame.Leave();
    UnregisterResourceTable("game_lib");
    throw;
  }
}

void GameFinalize() {
  if (!gGame.Leave()) return;
  UnRegisterClass(TMainForm::StaticClass());
  UnregisterResourceTable("game_lib");
}
