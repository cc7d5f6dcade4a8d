// The fuzz host with the class library's visual unit started, errors recorded rather than
// shown; routed, the host's messages go through the application, as typing and clicking need.
#pragma once

#include "classlib/visual/Forms.h"
#include "classlib/visual/VisualUnits.h"
#include "platform/user/UserTesting.h"
#include "tests/fuzz/support/FuzzHost.h"

#include <cstdlib>

struct VisualFuzzHost : FuzzHost {
  explicit VisualFuzzHost(bool ARouted) {
    ClasslibVisualInitialize();
    Application->SetRecordExceptions(true);
    if (ARouted) host.SetMessageRoute([](MSG& msg) { Application->RouteMessage(msg); });
  }
  ~VisualFuzzHost() { ClasslibVisualFinalize(); }
};

// Runs one input: the errors it left recorded are dropped, and a window it left behind is a
// fault.
template <class Run>
void RunLeavingNoWindow(Run ARun) {
  const int windowsBefore = UserLiveWindowCount();
  ARun();
  (void)Application->TakeExceptions();
  if (UserLiveWindowCount() != windowsBefore) std::abort();
}
