// The program's entry point: picks the display host, starts the units from the platform
// up, creates the main window and runs the message loop.
#include "classlib/core/SysUtils.h"
#include "classlib/visual/VisualUnits.h"
#include "game/GameForms.h"
#include "game/GameUnits.h"
#include "game/MainForm.h"
#include "platform/gdi/FontEngine.h"
#include "platform/kernel/Units.h"
#include "platform/theme/UxTheme.h"
#include "platform/user/User.h"

#if TL_HAVE_SDL_HOST
#include "platform/host/sdl/SdlHost.h"
#endif

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

namespace {

// From the platform up; finalized in reverse. Only what the game's windows use is started:
// the class library, and of the widget library the layers and editors the game's windows
// are made of.
const UnitEntry kUnits[] = {
    {"Kernel", PlatformKernelInitialize, PlatformKernelFinalize},
    {"Fonts", InitializeFonts, FinalizeFonts},
    {"User", PlatformUserInitialize, PlatformUserFinalize},
    {"Theme", PlatformThemeInitialize, PlatformThemeFinalize},
    {"SysUtils", SysUtilsInitialize, SysUtilsFinalize},
    {"ClasslibVisual", ClasslibVisualInitialize, ClasslibVisualFinalize},
    {"GameWidgets", GameWidgetsInitialize, GameWidgetsFinalize},
    {"Game", GameInitialize, GameFinalize},
};

// Installs the host that shows windows on the user's display; false, with the reason on
// standard error, when there is none to use.
bool StartDisplayHost() {
  const char* display = std::getenv("DISPLAY");
  if (!display || !*display) {
    std::fputs("Tessaloom needs a display (set DISPLAY)\n", stderr);
    return false;
  }
#if TL_HAVE_SDL_HOST
  std::string error;
  if (StartSdlHost(error)) return true;
  std::fprintf(stderr, "Tessaloom cannot open its window: %s\n", error.c_str());
#else
  std::fputs("Tessaloom was built without a display host, so it cannot open its window\n", stderr);
#endif
  return false;
}

void StopDisplayHost() {
#if TL_HAVE_SDL_HOST
  StopSdlHost();
#endif
}

int RunGame() {
  int code = 0;
  try {
    InitializeUnits(kUnits);
    try {
      Application->Initialize();
      Application->SetTitle("Tessaloom");
      TMainForm* mainForm = nullptr;
      Application->CreateForm(mainForm);
      CreateGameDialogs();
      Application->Run();
    } catch (const Exception& e) {
      // What escapes the loop is shown as the application shows any error, then the
      // program ends.
      Application->ShowException(e);
      code = 1;
    } catch (const std::exception& e) {
      Application->ShowException(Exception(e.what()));
      code = 1;
    }
    FinalizeUnits(kUnits);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "Tessaloom could not start: %s\n", e.what());
    code = 1;
  }
  return code;
}

}  // namespace

int main() {
  if (!StartDisplayHost()) return 1;
  const int code = RunGame();
  StopDisplayHost();
  return code;
}
