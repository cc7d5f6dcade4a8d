#include "tests/support/KernelTest.h"

#include "platform/kernel/Modules.h"
#include "platform/kernel/Units.h"
#include "platform/shell/Shell.h"

void KernelTest::SetUp() {
  PlatformKernelInitialize();
  previousClock_ = SetClockSource(&clock_);
  ClearShellLaunches();
  SetShellRecording(true);
  RunTestResets();
  // After the resets, so that what they load belongs to the baseline.
  loadsAtStart_ = ModuleLoadCount();
  leaksChecked_ = false;
}

void KernelTest::CheckLeaks() {
  if (leaksChecked_) return;
  leaksChecked_ = true;
  std::vector<std::string> leaks = RunLeakChecks();
  const int loads = ModuleLoadCount() - loadsAtStart_;
  if (loads > 0) leaks.push_back(std::to_string(loads) + " module load(s) without FreeLibrary");
  for (const std::string& leak : leaks) ADD_FAILURE() << "leak: " << leak;
}

void KernelTest::TearDown() {
  CheckLeaks();
  PlatformKernelFinalize();
  SetClockSource(previousClock_);
  SetShellRecording(false);
  ClearShellLaunches();
}
