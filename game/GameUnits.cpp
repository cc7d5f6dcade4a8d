#include "game/GameUnits.h"

#include "game/ChoiceForms.h"
#include "game/HighScoresForm.h"
#include "game/InfoForms.h"
#include "game/MainForm.h"
#include "game/ResultForm.h"
#include "platform/kernel/Resources.h"
#include "platform/kernel/Units.h"

#include <vector>

void TlRegisterResources_game_lib();

namespace {
UnitCounter gGame;
std::vector<const TClass*> FormClasses() {
  return {&TMainForm::StaticClass(), &TFormSettings::StaticClass(), &TResultForm::StaticClass(),
          &TNumberForm::StaticClass(), &TFormAbout::StaticClass(),
          &THighScoresForm::StaticClass(), &THowToForm::StaticClass()};
}
}  // namespace

void GameInitialize() {
  if (!gGame.Enter()) return;
  try {
    TlRegisterResources_game_lib();
    for (const TClass* c : FormClasses()) RegisterClass(*c);
  } catch (...) {
    gGame.Leave();
    UnregisterResourceTable("game_lib");
    throw;
  }
}

void GameFinalize() {
  if (!gGame.Leave()) return;
  for (const TClass* c : FormClasses()) UnRegisterClass(*c);
  UnregisterResourceTable("game_lib");
}
