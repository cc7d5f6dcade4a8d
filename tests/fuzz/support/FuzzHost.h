// The headless host on a virtual clock with the kernel and window units started, for the fuzz
// targets that drive windows; the units are finalized before the host goes.
#pragma once

#include "platform/host/HeadlessHost.h"
#include "platform/kernel/Clock.h"
#include "platform/kernel/Units.h"
#include "platform/kernel/VirtualClock.h"
#include "platform/user/User.h"

struct FuzzHost {
  FuzzHost() : host(clock) {
    SetClockSource(&clock);
    PlatformKernelInitialize();
    PlatformUserInitialize();
  }
  ~FuzzHost() {
    PlatformUserFinalize();
    PlatformKernelFinalize();
  }
  FuzzHost(const FuzzHost&) = delete;
  FuzzHost& operator=(const FuzzHost&) = delete;
  VirtualClock clock;
  HeadlessHost host;
};
