// The base fixture of every test that touches platform state. Each test starts with the
// kernel freshly initialised: a virtual clock, the built-in locale and version, an empty
// module table without switches, the generator seeded as at program start, and the link
// opener recording instead of launching. Upper layers extend it through TestHooks.h (their
// resets and leak checks) and by deriving their own fixtures.
#pragma once

#include <gtest/gtest.h>

#include "platform/kernel/VirtualClock.h"
#include "tests/support/TestHooks.h"

class KernelTest : public ::testing::Test {
 protected:
  void SetUp() override;
  // Fails the test for every leak the hooks report, then finalizes the kernel.
  void TearDown() override;

  VirtualClock& Clock() { return clock_; }

 private:
  VirtualClock clock_;
  ClockSource* previousClock_ = nullptr;
};
