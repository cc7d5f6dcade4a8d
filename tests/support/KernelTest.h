// The base fixture of every test that touches platform state. Each test starts with the
// kernel freshly initialised: a virtual clock, the built-in locale and version, an empty
// module table without switches, the generator seeded as at program start, and the link
// opener recording instead of launching.
//
// Upper layers extend it in two ways: their test support adds hooks (TestHooks.h) that
// reset their global state and report leaks, and their fixtures derive from this one:
//   SetUp:    KernelTest::SetUp(), then the layer's <Layer>Initialize()
//   TearDown: CheckLeaks() while everything still lives, then <Layer>Finalize(),
//             then KernelTest::TearDown()
#pragma once

#include <gtest/gtest.h>

#include "platform/kernel/VirtualClock.h"
#include "tests/support/TestHooks.h"

class KernelTest : public ::testing::Test {
 protected:
  void SetUp() override;
  // Runs CheckLeaks() unless the test or a derived fixture already did, then finalizes
  // the kernel and restores the real clock.
  void TearDown() override;

  // Fails the test once for every leak the hooks and the kernel report (modules loaded
  // during the test and never freed). Runs once per test.
  void CheckLeaks();

  VirtualClock& Clock() { return clock_; }

 private:
  VirtualClock clock_;
  ClockSource* previousClock_ = nullptr;
  int loadsAtStart_ = 0;
  bool leaksChecked_ = false;
};
