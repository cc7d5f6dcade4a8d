// A benchmark program's desktop: the headless host on a virtual clock, with the units started
// up to the layer asked for; they are finalized in reverse, and the clock put back, when it goes.
#pragma once

#include "classlib/visual/VisualUnits.h"
#include "platform/host/HeadlessHost.h"
#include "platform/kernel/Clock.h"
#include "platform/kernel/Units.h"
#include "platform/kernel/VirtualClock.h"
#include "platform/user/User.h"
#include "widgets/editcore/EditcoreUnits.h"
#include "widgets/foundation/FoundationUnits.h"

enum class BenchUnits { User, Classlib, Foundation, Editcore };

class BenchDesktop {
 public:
  explicit BenchDesktop(BenchUnits AUpTo) : upTo_(AUpTo), host_(clock_) {
    previousClock_ = SetClockSource(&clock_);
    PlatformKernelInitialize();
    PlatformUserInitialize();
    if (upTo_ >= BenchUnits::Classlib) ClasslibVisualInitialize();
    if (upTo_ >= BenchUnits::Foundation) WidgetsFoundationInitialize();
    if (upTo_ >= BenchUnits::Editcore) WidgetsEditcoreInitialize();
  }
  ~BenchDesktop() {
    if (upTo_ >= BenchUnits::Editcore) WidgetsEditcoreFinalize();
    if (upTo_ >= BenchUnits::Foundation) WidgetsFoundationFinalize();
    if (upTo_ >= BenchUnits::Classlib) ClasslibVisualFinalize();
    PlatformUserFinalize();
    PlatformKernelFinalize();
    SetClockSource(previousClock_);
  }
  BenchDesktop(const BenchDesktop&) = delete;
  BenchDesktop& operator=(const BenchDesktop&) = delete;

  HeadlessHost& Host() { return host_; }

 private:
  const BenchUnits upTo_;
  VirtualClock clock_;
  ClockSource* previousClock_ = nullptr;
  HeadlessHost host_;
};
