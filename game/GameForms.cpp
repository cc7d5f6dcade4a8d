#include "game/GameForms.h"

#include "game/ChoiceForms.h"
#include "game/HighScoresForm.h"
#include "game/InfoForms.h"
#include "game/ResultForm.h"

void CreateGameDialogs() {
  Application->CreateForm(FormSettings);
  Application->CreateForm(ResultForm);
  Application->CreateForm(FormAbout);
  Application->CreateForm(NumberForm);
  Application->CreateForm(HighScoresForm);
  Application->CreateForm(HowToForm);
}
