#include "game/GameForms.h"

#include "game/HighScoresForm.h"
#include "game/InfoForms.h"
#include "game/ResultForm.h"

void CreateGameDialogs() {
  Application->CreateForm(ResultForm);
  Application->CreateForm(FormAbout);
  Application->CreateForm(HighScoresForm);
  Application->CreateForm(HowToForm);
}
