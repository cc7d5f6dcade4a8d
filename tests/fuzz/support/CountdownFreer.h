// The victim freed by a handler in the fuzz targets that free what a handler works on.
#pragma once

#include "classlib/core/Object.h"

// Frees its victim on the Countdown-th hit; the targets hit it from the handlers they hook.
class TCountdownFreer : public TObject {
 public:
  TObject* Victim = nullptr;
  int Countdown = 0;
  void Hit() {
    if (!Victim || --Countdown > 0) return;
    TObject* v = Victim;
    Victim = nullptr;
    v->Free();
  }
};
