#include "tests/support/AppTest.h"

#include "classlib/visual/VisualUnits.h"
#include "platform/gdi/GdiObject.h"

namespace {

size_t gGdiBaseline = 0;

void GdiReset() { gGdiBaseline = GdiLiveObjectCount(); }

void GdiLeaks(std::vector<std::string>& leaks) {
  size_t now = GdiLiveObjectCount();
  if (now > gGdiBaseline) leaks.push_back(std::to_string(now - gGdiBaseline) + " GDI object(s) not deleted");
}

}  // namespace

void AppTest::SetUp() {
  AddTestHook({"gdi-objects", GdiReset, GdiLeaks});
  UserTest::SetUp();
  ClasslibVisualInitialize();
  Application->SetRecordExceptions(true);
  // Every pump of the test (host().PumpUntilIdle, host().Advance, Pump) runs messages
  // through the application's loop, so keys take the path they take in the program.
  host().SetMessageRoute([](MSG& msg) {
    if (Application) {
      Application->RouteMessage(msg);
    } else {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  });
}

void AppTest::TearDown() {
  if (Application)
    for (const String& e : Application->TakeExceptions()) ADD_FAILURE() << "unexpected exception: " << e;
  host().SetMessageRoute(nullptr);
  ClasslibVisualFinalize();
  UserTest::TearDown();
}

std::vector<String> AppTest::TakeExceptions() { return Application->TakeExceptions(); }

void AppTest::Pump() { host().PumpUntilIdle(); }
