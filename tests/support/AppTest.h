// The fixture of tests that use the visual class library: a fresh window layer (UserTest)
// plus the visual units started for each test, so Application, Screen, Mouse and
// Clipboard are new every time. Exceptions the application reports are recorded: a test
// takes them with TakeExceptions(), and any left over fail the test. Windows, timers,
// hooks and GDI objects still alive once the units are finalized fail it as well.
#pragma once

#include "classlib/visual/Forms.h"
#include "tests/support/UserTest.h"

#include <string>
#include <vector>

class AppTest : public UserTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The messages of the exceptions Application reported since the last call.
  std::vector<String> TakeExceptions();
  // Runs everything queued through the application's own loop (key reflection and dialog
  // keys included), as the running program would; time stands still and a queue that never
  // empties fails the test instead of hanging it.
  void Pump();
  // Types each character as the keyboard would, pumping after each one.
  void Type(const char* s) {
    for (; *s; ++s) {
      host().Char(Byte(*s));
      Pump();
    }
  }
};
