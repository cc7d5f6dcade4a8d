// The start-up shared by the end-to-end test programs that run class-library forms on the
// screen host: open the display, start the units, let `createForms` make the forms, run the
// application, and undo it all in reverse. Errors go to standard error under `name`; the
// result is the program's exit status.
#pragma once

#include "classlib/visual/Forms.h"
#include "platform/host/sdl/SdlHost.h"
#include "platform/kernel/Units.h"

#include <cstdio>
#include <exception>
#include <string>

template <class CreateForms>
int RunScreenProgram(const char* name, const UnitEntry* units, size_t count, CreateForms createForms) {
  std::string error;
  if (!StartSdlHost(error)) {
    std::fprintf(stderr, "%s cannot open its window: %s\n", name, error.c_str());
    return 1;
  }
  int code = 0;
  try {
    InitializeUnits(units, count);
    try {
      Application->Initialize();
      Application->SetTitle(name);
      createForms();
      Application->Run();
    } catch (const std::exception& e) {
      std::fprintf(stderr, "%s: %s\n", name, e.what());
      code = 1;
    }
    Application->OnIdle = nullptr;
    FinalizeUnits(units, count);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s could not start: %s\n", name, e.what());
    code = 1;
  }
  StopSdlHost();
  return code;
}
