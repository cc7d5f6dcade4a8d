#include "game/GameUnits.h"

#include "game/ChoiceForms.h"
#include "game/HighScoresForm.h"
#include "game/InfoForms.h"
#include "game/MainForm.h"
#include "game/ResultForm.h"
#include "platform/kernel/Resources.h"
#include "platform/kernel/Units.h"
#include "widgets/editcore/EditcoreUnits.h"
#include "widgets/editors/cxButtons.h"
#include "widgets/editors/cxComboBox.h"
#include "widgets/editors/cxGroupBox.h"
#include "widgets/editors/cxHyperLinkEdit.h"
#include "widgets/editors/cxLabel.h"
#include "widgets/editors/cxSpinEdit.h"
#include "widgets/foundation/FoundationUnits.h"

#include <vector>

void TlRegisterResources_game_lib();

namespace {
UnitCounter gGame;
UnitCounter gGameWidgets;
// In the order of the library's own lists.
const UnitEntry kGameWidgets[] = {
    {"WidgetsFoundation", WidgetsFoundationInitialize, WidgetsFoundationFinalize},
    {"WidgetsEditcore", WidgetsEditcoreInitialize, WidgetsEditcoreFinalize},
    {"cxButtons", cxButtons::Initialize, cxButtons::Finalize},
    {"cxGroupBox", cxGroupBox::Initialize, cxGroupBox::Finalize},
    {"cxLabel", cxLabelInitialize, cxLabelFinalize},
    {"cxHyperLinkEdit", cxHyperLinkEdit::Initialize, cxHyperLinkEdit::Finalize},
    {"cxSpinEdit", cxSpinEdit::Initialize, cxSpinEdit::Finalize},
    {"cxComboBox", cxComboBox::Initialize, cxComboBox::Finalize},
};
std::vector<const TClass*> FormClasses() {
  return {&TMainForm::StaticClass(), &TFormSettings::StaticClass(), &TResultForm::StaticClass(),
          &TNumberForm::StaticClass(), &TFormAbout::StaticClass(),
          &THighScoresForm::StaticClass(), &THowToForm::StaticClass()};
}
}  // namespace

void GameInitialize() {
  if (!gGame.Enter()) return;
  // Only a failed start gives the count and the resources back; a started game keeps them
  // until GameFinalize.
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

void GameWidgetsInitialize() {
  if (!gGameWidgets.Enter()) return;
  // Only a failed start gives the count back; a started layer stays entered until Finalize.
  try {
    InitializeUnits(kGameWidgets);
  } catch (...) {
    gGameWidgets.Leave();
    throw;
  }
}

void GameWidgetsFinalize() {
  if (gGameWidgets.Leave()) FinalizeUnits(kGameWidgets);
}
