#include "tests/support/KernelTest.h"

#include "platform/kernel/Modules.h"
#include "platform/kernel/Units.h"
#include "platform/shell/Shell.h"

namespace {

int g_loadsAtStart = 0;

void KernelReset() {
  ClearShellLaunches();
  SetShellRecording(true);
  g_loadsAtStart = ModuleLoadCount();
}

void KernelLeaks(std::vector<std::string>& leaks) {
  const int loads = ModuleLoadCount() - g_loadsAtStart;
  if (loads > 0) leaks.push_back(std::to_string(loads) + " module load(s) without FreeLibrary");
}

}  // namespace

void KernelTest::SetUp() {
  AddTestHook({"kernel", KernelReset, KernelLeaks});
  PlatformKernelInitialize();
  previousClock_ = SetClockSource(&clock_);
  RunTestResets();
}

void KernelTest::TearDown() {
  for (const std::string& leak : RunLeakChecks()) ADD_FAILURE() << "leak: " << leak;
  PlatformKernelFinalize();
  SetClockSource(previousClock_);
  SetShellRecording(false);
}
